// One style property slot: unset, null, an integer, a double or CSS text.
//
// Numbers live inline; text up to TPropValue::ShortCapacity bytes lives inline too,
// and longer text is shared (copying a value never allocates), so property arrays
// can be copied freely while elements inherit from each other.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

class TPropValue {
 public:
  enum TKind : uint8_t { pvUnset, pvNull, pvInteger, pvDouble, pvString };
  static constexpr size_t ShortCapacity = 22;

  TPropValue() noexcept : FKind(pvUnset), FLong(false), FLen(0) { FInt = 0; }
  TPropValue(int value) noexcept : FKind(pvInteger), FLong(false), FLen(0) { FInt = value; }
  TPropValue(double value) noexcept : FKind(pvDouble), FLong(false), FLen(0) { FDouble = value; }
  explicit TPropValue(std::string_view text) : FKind(pvUnset), FLong(false), FLen(0) {
    AssignText(text);
  }
  static TPropValue Null() {
    TPropValue v;
    v.FKind = pvNull;
    return v;
  }

  TPropValue(const TPropValue& other) noexcept : FKind(pvUnset), FLong(false), FLen(0) {
    CopyFrom(other);
  }
  TPropValue& operator=(const TPropValue& other) noexcept {
    if (this != &other) {
      Release();
      CopyFrom(other);
    }
    return *this;
  }
  ~TPropValue() { Release(); }

  // Assignment for copying whole property arrays: values that hold no shared text are
  // copied as bytes, without looking at their kind.
  void AssignFrom(const TPropValue& other) noexcept {
    if (!FLong && !other.FLong)
      std::memcpy(static_cast<void*>(this), &other, sizeof(TPropValue));
    else
      *this = other;
  }

  // The same from a value that holds no shared text.
  void AssignPlain(const TPropValue& plain) noexcept {
    if (FLong) Release();
    std::memcpy(static_cast<void*>(this), &plain, sizeof(TPropValue));
  }

  TKind Kind() const { return FKind; }
  bool IsUnset() const { return FKind == pvUnset; }
  // Holds a value: neither unset nor null.
  bool IsSet() const { return FKind >= pvInteger; }
  bool IsInteger() const { return FKind == pvInteger; }
  bool IsDouble() const { return FKind == pvDouble; }
  bool IsString() const { return FKind == pvString; }
  bool IsNumber() const { return FKind == pvInteger || FKind == pvDouble; }

  // The text of a string value; empty for every other kind.
  std::string_view AsString() const {
    if (FKind != pvString) return {};
    if (FLong) return std::string_view(FLongText->Text);
    return std::string_view(FShort, FLen);
  }
  // Integer view: doubles round to nearest (ties to even), text that reads as a whole
  // integer gives it, anything else 0.
  int AsInteger() const;
  // Double view: integers widen, text that reads as a number gives it, else 0.
  double AsDouble() const;

  // Text of the value as the conversions read it: the string itself, or a number
  // formatted without trailing zeros. Empty when unset or null.
  std::string ToText() const;

  bool Equals(std::string_view text) const { return FKind == pvString && AsString() == text; }
  friend bool operator==(const TPropValue& a, const TPropValue& b) {
    if (a.FKind != b.FKind) return false;
    switch (a.FKind) {
      case pvInteger:
        return a.FInt == b.FInt;
      case pvDouble:
        return a.FDouble == b.FDouble;
      case pvString:
        return a.AsString() == b.AsString();
      default:
        return true;
    }
  }

 private:
  struct TLongText {
    std::atomic<int> Refs;
    std::string Text;
  };

  void AssignText(std::string_view text);
  void CopyFrom(const TPropValue& other) noexcept {
    FKind = other.FKind;
    FLong = other.FLong;
    FLen = other.FLen;
    // Only the bytes the kind uses: copying a value just made must not read what its
    // construction did not write (a wide read of a narrow write stalls the processor).
    if (FLong) {
      FLongText = other.FLongText;
      FLongText->Refs.fetch_add(1, std::memory_order_relaxed);
    } else if (FKind == pvString) {
      std::memcpy(FShort, other.FShort, FLen);
    } else if (FKind == pvDouble) {
      FDouble = other.FDouble;
    } else {
      FInt = other.FInt;
    }
  }
  void Release() noexcept {
    if (FLong && FLongText->Refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete FLongText;
    FLong = false;
  }

  union {
    int32_t FInt;
    double FDouble;
    char FShort[ShortCapacity];
    TLongText* FLongText;
  };
  TKind FKind;
  bool FLong;
  uint8_t FLen;
};
