#include "style/box_values.h"

namespace {

constexpr int At(int index) { return index - BoxFirst; }

bool IsNoValue(const TPropValue& v) { return v.IsInteger() && v.AsInteger() == NoValue; }

}  // namespace

void BoxToPixels(const TVMarginArray& values, int baseWidth, int baseHeight, int emPixels,
                 int exPixels, int& autoCount, TMarginArray& result) {
  autoCount = 0;
  for (int index = piBackgroundColor; index <= piLeft; ++index) {
    const TPropValue& v = values[At(index)];
    int& out = result[At(index)];
    switch (index) {
      case piBackgroundColor:
      case piBorderColor:
        out = v.IsInteger() ? v.AsInteger() : NoColour;
        break;
      case piMarginTop:
      case piMarginBottom:
        break;
      case piMarginRight:
      case piMarginLeft:
        if (v.IsString())
          out = v.AsString() == "auto"
                    ? AutoValue
                    : LengthToPixels(v.AsString(), false, baseWidth, emPixels, exPixels, 0);
        else if (v.IsInteger())
          out = v.AsInteger() == NoValue ? 0 : v.AsInteger();
        else
          out = 0;
        if (out == AutoValue) ++autoCount;
        break;
      case piBorderTopWidth:
      case piBorderRightWidth:
      case piBorderBottomWidth:
      case piBorderLeftWidth: {
        const TPropValue& style = values[At(index + 4)];
        bool noStyle = style.AsInteger() == 0;
        // The keywords are as wide as browsers draw them.
        if (v.IsString()) {
          std::string_view s = v.AsString();
          out = noStyle          ? 0
                : s == "thin"   ? ThinBorder
                : s == "medium" ? MediumBorder
                : s == "thick"  ? ThickBorder
                                : LengthToPixels(s, false, baseWidth, emPixels, exPixels,
                                                 MediumBorder);
        } else if (v.IsInteger()) {
          out = noStyle ? 0 : v.AsInteger() == NoValue ? MediumBorder : v.AsInteger();
        } else if (noStyle) {
          out = 0;
        }
        break;
      }
      case piWidth:
      case piTop:
      case piLeft:
        if (v.IsString())
          out = LengthToPixels(v.AsString(), false, baseWidth, emPixels, exPixels, AutoValue);
        else if (v.IsInteger())
          out = v.AsInteger() == NoValue ? AutoValue : v.AsInteger();
        else
          out = AutoValue;
        if (index == piWidth && out == AutoValue) ++autoCount;
        break;
      default: {  // padding, height, border styles
        int base = index == piHeight ? baseHeight : baseWidth;
        if (v.IsString())
          out = LengthToPixels(v.AsString(), false, base, emPixels, exPixels, 0);
        else if (v.IsInteger())
          out = v.AsInteger() == NoValue ? 0 : v.AsInteger();
        else
          out = 0;
        break;
      }
    }
  }
}

void VerticalMarginsToPixels(const TVMarginArray& values, int baseHeight, int emPixels,
                             int exPixels, TMarginArray& result, bool& topAuto, bool& bottomAuto) {
  topAuto = bottomAuto = false;
  for (int index : {piMarginTop, piMarginBottom}) {
    const TPropValue& v = values[At(index)];
    bool& autoFlag = index == piMarginTop ? topAuto : bottomAuto;
    int& out = result[At(index)];
    if (v.IsString()) {
      out = LengthToPixels(v.AsString(), false, baseHeight, emPixels, exPixels, 0);
    } else if (v.IsInteger()) {
      int n = v.AsInteger();
      if (n == NoValue) {
        out = 0;
      } else if (n == ParagraphDefault) {
        out = 14;
        autoFlag = true;
      } else {
        out = n;
      }
    } else {
      out = 0;
    }
  }
}

void InlineBoxToPixels(const TVMarginArray& values, int baseWidth, int baseHeight, int emPixels,
                       int exPixels, TMarginArray& result) {
  for (int index : {piMarginTop, piMarginRight, piMarginBottom, piMarginLeft, piWidth, piHeight}) {
    const TPropValue& v = values[At(index)];
    int& out = result[At(index)];
    bool size = index == piWidth || index == piHeight;
    int base = index == piHeight ? baseHeight : baseWidth;
    if (v.IsString())
      out = LengthToPixels(v.AsString(), false, base, emPixels, exPixels, size ? AutoValue : 0);
    else if (v.IsInteger())
      out = v.AsInteger();
    else
      out = NoValue;
  }
}

void CellPaddingToPixels(const TVMarginArray& values, int emPixels, int exPixels,
                         TMarginArray& result) {
  for (int index = piPaddingTop; index <= piPaddingLeft; ++index) {
    const TPropValue& v = values[At(index)];
    int& out = result[At(index)];
    if (v.IsString())
      out = LengthToPixels(v.AsString(), false, -100, emPixels, exPixels, 0);
    else if (v.IsInteger() && !IsNoValue(v))
      out = v.AsInteger();
    else
      out = -1;
  }
}

std::string UrlFromValue(std::string_view value) {
  size_t start = value.find("url(");
  if (start == std::string_view::npos) return {};
  std::string_view address = value.substr(start + 4);
  address = address.substr(0, address.find(')'));
  if (address.size() > 2 && (address.front() == '"' || address.front() == '\'')) {
    address.remove_prefix(1);
    address.remove_suffix(1);
  }
  return std::string(address);
}
