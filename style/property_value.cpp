#include "style/property_value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "style/units.h"

void TPropValue::AssignText(std::string_view text) {
  Release();
  FKind = pvString;
  if (text.size() <= ShortCapacity) {
    FLen = uint8_t(text.size());
    if (!text.empty()) std::memcpy(FShort, text.data(), text.size());
  } else {
    FLen = 0;
    FLongText = new TLongText{{1}, std::string(text)};
    FLong = true;
  }
}

int TPropValue::AsInteger() const {
  switch (FKind) {
    case pvInteger:
      return FInt;
    case pvDouble:
      return RoundToInt(FDouble);
    case pvString: {
      std::string_view s = AsString();
      int value = 0;
      auto [end, err] = std::from_chars(s.data(), s.data() + s.size(), value);
      return (err == std::errc() && end == s.data() + s.size()) ? value : 0;
    }
    default:
      return 0;
  }
}

double TPropValue::AsDouble() const {
  switch (FKind) {
    case pvInteger:
      return FInt;
    case pvDouble:
      return FDouble;
    case pvString: {
      double value = 0;
      std::string_view rest;
      ReadLeadingNumber(AsString(), value, rest);
      return rest.empty() ? value : 0;
    }
    default:
      return 0;
  }
}

std::string TPropValue::ToText() const {
  switch (FKind) {
    case pvInteger:
      return std::to_string(FInt);
    case pvDouble: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.15g", FDouble);
      return buf;
    }
    case pvString:
      return std::string(AsString());
    default:
      return {};
  }
}
