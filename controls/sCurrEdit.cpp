#include "controls/sCurrEdit.h"

#include "controls/sEdit.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

void ReplaceAll(String& s, const String& from, const String& to) {
  if (from.empty()) return;
  for (size_t p = s.find(from); p != String::npos; p = s.find(from, p + to.size())) s.replace(p, from.size(), to);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Byte offset of the code point at index (clamped to the end).
size_t ByteOffset(const String& s, size_t index) {
  size_t i = 0;
  for (size_t n = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
    if (n++ == index) return i;
  }
  return s.size();
}

// |value| as up to 15 significant digits: digits (no leading zeros) and the
// count of them before the decimal point (may be negative or beyond).
struct TDecimal {
  std::vector<char> Digits;
  int PointPos = 0;
};

TDecimal ToDecimal(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
  TDecimal d;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (IsDigit(*p)) d.Digits.push_back(*p);
  const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
  d.PointPos = exponent + 1;
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits.empty()) d.PointPos = 0;
  return d;
}

// Rounded half away from zero to places fraction digits.
void RoundTo(TDecimal& d, int places) {
  const long keep = long(d.PointPos) + places;
  if (keep >= long(d.Digits.size())) return;
  if (keep < 0) {
    d.Digits.clear();
    d.PointPos = 0;
    return;
  }
  const bool up = d.Digits[size_t(keep)] >= '5';
  d.Digits.resize(size_t(keep));
  if (up) {
    long i = keep - 1;
    for (; i >= 0 && d.Digits[size_t(i)] == '9'; --i) d.Digits.pop_back();
    if (i < 0) {
      d.Digits.assign(1, '1');
      ++d.PointPos;
    } else {
      ++d.Digits[size_t(i)];
    }
  }
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits.empty()) d.PointPos = 0;
}

struct TSection {
  String Text;
  int IntPlaces = 0;     // "0"/"#" before the decimal point
  int ForcedInt = 0;     // of them, from the first "0" on
  int FracPlaces = 0;    // "0"/"#" after it
  int ForcedFrac = 0;    // up to the last "0" after it
  bool Grouping = false;
};

TSection Analyse(const String& text) {
  TSection s;
  s.Text = text;
  bool inFrac = false;
  int firstZero = -1;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      const size_t end = text.find(c, i + 1);
      i = end == String::npos ? text.size() : end;
    } else if (c == '0' || c == '#') {
      if (inFrac) {
        ++s.FracPlaces;
        if (c == '0') s.ForcedFrac = s.FracPlaces;
      } else {
        if (c == '0' && firstZero < 0) firstZero = s.IntPlaces;
        ++s.IntPlaces;
      }
    } else if (c == '.') {
      inFrac = true;
    } else if (c == ',') {
      s.Grouping = true;
    }
  }
  s.ForcedInt = firstZero < 0 ? 0 : s.IntPlaces - firstZero;
  return s;
}

String Render(const TSection& s, const TDecimal& d, const TacNumberSeparators& seps) {
  String intDigits, fracDigits;
  for (int i = 0; i < d.PointPos && i < int(d.Digits.size()); ++i) intDigits += d.Digits[size_t(i)];
  if (d.PointPos > int(d.Digits.size())) intDigits.append(size_t(d.PointPos - int(d.Digits.size())), '0');
  for (int i = std::max(d.PointPos, 0); i < int(d.Digits.size()); ++i) fracDigits += d.Digits[size_t(i)];
  if (d.PointPos < 0) fracDigits.insert(0, size_t(-d.PointPos), '0');
  if (int(intDigits.size()) < s.ForcedInt) intDigits.insert(0, size_t(s.ForcedInt - int(intDigits.size())), '0');
  const int fracShown = std::max(s.ForcedFrac, int(std::min<size_t>(fracDigits.size(), size_t(s.FracPlaces))));
  fracDigits.resize(size_t(std::max(fracShown, 0)), '0');

  const int total = int(intDigits.size());
  int next = 0;          // next integer digit to write
  int intPlace = 0;      // integer placeholders seen
  int fracPlace = 0;
  bool inFrac = false;
  String out;
  const auto putInt = [&](int upTo) {  // writes digits up to index upTo
    for (; next <= upTo && next < total; ++next) {
      out += intDigits[size_t(next)];
      const int rest = total - 1 - next;
      if (s.Grouping && rest > 0 && rest % 3 == 0) out += seps.Thousand;
    }
  };
  const String& t = s.Text;
  for (size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '"' || c == '\'') {
      const size_t end = t.find(c, i + 1);
      out += t.substr(i + 1, (end == String::npos ? t.size() : end) - i - 1);
      i = end == String::npos ? t.size() : end;
    } else if (c == '0' || c == '#') {
      if (inFrac) {
        if (fracPlace < fracShown) out += fracDigits[size_t(fracPlace)];
        ++fracPlace;
      } else {
        // the first placeholder takes every digit the others have no room for
        putInt(total - (s.IntPlaces - intPlace));
        ++intPlace;
      }
    } else if (c == '.') {
      if (!inFrac) {
        putInt(total - 1);
        inFrac = true;
        if (fracShown > 0) out += seps.Decimal;
      }
    } else if (c != ',') {
      out += c;
    }
  }
  return out;
}

std::vector<String> SplitSections(const String& format) {
  std::vector<String> sections(1);
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '"' || c == '\'') {
      const size_t end = format.find(c, i + 1);
      const size_t stop = end == String::npos ? format.size() : end + 1;
      sections.back() += format.substr(i, stop - i);
      i = stop - 1;
    } else if (c == ';') {
      if (sections.size() == 3) break;
      sections.emplace_back();
    } else {
      sections.back() += c;
    }
  }
  return sections;
}

}  // namespace

String NormaliseNumberText(const String& text, const TacNumberSeparators& seps) {
  const size_t first = text.find_first_not_of(' ');
  String s = first == String::npos ? String() : text.substr(first, text.find_last_not_of(' ') - first + 1);
  if (seps.Decimal != seps.Thousand) ReplaceAll(s, seps.Thousand, "");
  for (const char* sep : {".", ","})
    if (seps.Decimal != sep && seps.Thousand != sep) ReplaceAll(s, sep, seps.Decimal);
  if (s.empty()) return "0";
  if (s == "-") return "-0";
  return s;
}

bool TryTextToFloat(const String& text, const String& decimalSep, double& value) {
  // Rewrite into the plain C syntax, checking the shape on the way.
  String plain;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  if (i < n && (text[i] == '+' || text[i] == '-')) plain += text[i++];
  int mantissaDigits = 0, intSignificant = 0, leadingFracZeros = 0;
  bool seenNonZero = false;
  for (; i < n && IsDigit(text[i]); ++i, ++mantissaDigits) {
    plain += text[i];
    seenNonZero |= text[i] != '0';
    if (seenNonZero) ++intSignificant;
  }
  if (!decimalSep.empty() && text.compare(i, decimalSep.size(), decimalSep) == 0) {
    i += decimalSep.size();
    plain += '.';
    for (; i < n && IsDigit(text[i]); ++i, ++mantissaDigits) {
      plain += text[i];
      if (!seenNonZero && text[i] == '0') ++leadingFracZeros;
      seenNonZero |= text[i] != '0';
    }
  }
  if (mantissaDigits == 0) return false;
  long long exponent = 0;
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    plain += 'e';
    ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i] == '-', plain += text[i++];
    const size_t start = i;
    for (; i < n && IsDigit(text[i]); ++i) {
      plain += text[i];
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
    }
    if (i == start) return false;
    if (negative) exponent = -exponent;
  }
  while (i < n && text[i] == ' ') ++i;
  if (i != n) return false;
  const char* begin = plain.data() + (plain[0] == '+' ? 1 : 0);
  double v = 0;
  const auto r = std::from_chars(begin, plain.data() + plain.size(), v);
  if (r.ptr != plain.data() + plain.size()) return false;
  if (r.ec == std::errc::result_out_of_range) {
    if (!seenNonZero) {
      v = 0;
    } else {
      const long long magnitude = intSignificant > 0 ? exponent + intSignificant : exponent - leadingFracZeros;
      if (magnitude > 0) return false;  // beyond the largest double
      v = 0;                            // below the smallest: reads as zero
    }
    if (plain[0] == '-') v = -v;
  } else if (r.ec != std::errc()) {
    return false;
  }
  if (!std::isfinite(v)) return false;
  value = v;
  return true;
}

String FormatFloat(const String& format, double value, const TacNumberSeparators& seps) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (format.empty()) return FloatToStrGeneral(value, seps.Decimal);
  const std::vector<String> sections = SplitSections(format);
  const auto given = [&](size_t k) { return k < sections.size() && !sections[k].empty(); };
  size_t k = value < 0 && given(1) ? 1 : value == 0 && given(2) ? 2 : 0;
  TSection s = Analyse(sections[k]);
  TDecimal d = ToDecimal(value);
  RoundTo(d, s.FracPlaces);
  // A value that rounds to nothing takes the zero section, or shows unsigned.
  const bool zero = d.Digits.empty();
  if (zero && k != 2) {
    if (given(2)) k = 2, s = Analyse(sections[2]);
    else k = 0, s = Analyse(sections[0]);
  }
  String out = Render(s, d, seps);
  if (value < 0 && k == 0 && !zero) out.insert(0, "-");
  return out;
}

String FloatToStrGeneral(double value, const String& decimalSep) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  TDecimal d = ToDecimal(value);
  if (d.Digits.empty()) return "0";
  String out = value < 0 ? "-" : "";
  const int exponent = d.PointPos - 1;
  if (exponent < -4 || exponent >= 15) {
    out += d.Digits[0];
    if (d.Digits.size() > 1) out += decimalSep + String(d.Digits.begin() + 1, d.Digits.end());
    return out + "E" + std::to_string(exponent);
  }
  TSection s;
  s.Text = "0." + String(size_t(std::max<int>(0, int(d.Digits.size()) - d.PointPos)), '#');
  s = Analyse(s.Text);
  return out + Render(s, d, TacNumberSeparators{decimalSep, ""});
}

int32_t SaturatingTrunc(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return int32_t(v);
}

double TacNumEditModel::ClampValue(double x) const {
  if (MaxValue == MinValue) return x;
  if (MaxValue > MinValue) return std::clamp(x, MinValue, MaxValue);
  if (MaxValue == 0) return std::max(x, MinValue);
  if (MinValue == 0) return std::min(x, MaxValue);
  return x;
}

String TacNumEditModel::Text() const {
  String s;
  s.reserve(EditText.size());
  for (char c : EditText)
    if (c != '?' && c != '\r' && c != '\n') s += c;
  return s;
}

bool TacNumEditModel::ReadText(const String& text, double& value) const {
  const size_t first = text.find_first_not_of(' ');
  String s = first == String::npos ? String() : text.substr(first);
  double sign = 1;
  if (!s.empty() && s[0] == '-') sign = -1, s.erase(0, 1);
  double v = 0;
  if (!TryTextToFloat(NormaliseNumberText("0" + s, Separators), Separators.Decimal, v)) return false;
  value = sign * v + 0.0;  // no negative zero
  return true;
}

double TacNumEditModel::Value() {
  double v = 0;
  FValue = ReadText(Text(), v) ? ClampValue(v) : MinValue;
  return FValue;
}

bool TacNumEditModel::SetValue(double x) {
  if (std::isnan(x)) return false;
  const double v = ClampValue(x);
  if (!std::isfinite(v)) return false;
  FValue = v + 0.0;
  FormatEditText();
  return true;
}

bool TacNumEditModel::SetText(const String& text) {
  double v = 0;
  if (!TryTextToFloat(NormaliseNumberText(text, Separators), Separators.Decimal, v)) return false;
  FValue = ClampValue(v) + 0.0;
  FormatEditText();
  return true;
}

void TacNumEditModel::FormatEditText() {
  if (HasEditMask) return;
  String pattern = "0";
  if (DecimalPlaces > 0) pattern += "." + String(std::min(DecimalPlaces, NumEditMaxFormatPlaces), '#');
  EditText = FormatFloat(pattern, FValue, Separators);
}

String TacNumEditModel::DisplayText() {
  const String s = FormatFloat(DisplayFormat, Value(), Separators);
  const size_t first = s.find_first_not_of(' ');
  return first == String::npos ? String() : s.substr(first);
}

bool TacNumEditModel::AcceptsChar(const String& key, size_t selStart, size_t selLength) {
  if (key == "-" && MinValue >= 0 && MinValue != MaxValue) return false;
  String text = Text();
  const size_t from = ByteOffset(text, selStart), to = ByteOffset(text, selStart + selLength);
  text.replace(from, to - from, key);
  text = NormaliseNumberText(text, Separators);
  const size_t point = text.find(Separators.Decimal);
  if (point != String::npos) {
    unsigned places = 0;
    for (size_t i = point + Separators.Decimal.size(); i < text.size() && text[i] != 'E' && text[i] != 'e'; ++i)
      if (IsDigit(text[i])) ++places;
    if (places > DecimalPlaces) return false;
  }
  double v = 0;
  if (!TryTextToFloat(text, Separators.Decimal, v)) return false;
  if (v < 0 && MinValue >= 0 && MaxValue > 0) return false;
  return true;
}

bool TacNumEditModel::AcceptsChar(char32_t key, size_t selStart, size_t selLength) {
  return AcceptsChar(Utf8Of(key), selStart, selLength);
}

TacNumKeyResult TacNumEditModel::KeyPress(char32_t key, size_t selStart, size_t selLength, bool popupVisible) {
  TacNumKeyResult r;
  r.Key = Utf8Of(key);
  if (popupVisible) {
    r.Action = TacNumKeyAction::nkToPopup;
    return r;
  }
  if ((key == U'.' || key == U',') && r.Key != Separators.Thousand) r.Key = Separators.Decimal;
  if (key == 3 || key == 22) {  // Ctrl+C, Ctrl+V
    r.Action = TacNumKeyAction::nkPass;
  } else if (key == U'%' || key == U'*' || key == U'+' || key == U'/' || (key == U'-' && Value() != 0)) {
    r.Action = TacNumKeyAction::nkDropDown;
  } else if (key == 27) {
    FormatEditText();
    r.Action = TacNumKeyAction::nkReset;
  } else if (key == 8 || AcceptsChar(r.Key, selStart, selLength)) {
    r.Action = TacNumKeyAction::nkPass;
  } else {
    r.Action = TacNumKeyAction::nkDrop;
    r.Beep = BeepOnError;
  }
  return r;
}

TacPasteResult TacNumEditModel::AfterPaste(const String& previousText) {
  double v = 0;
  if (ReadText(Text(), v)) {
    Value();
    return {};
  }
  EditText = previousText;
  return TacPasteResult{false, BeepOnError};
}

bool TacNumEditModel::FocusLost() {
  double v = 0;
  const bool number = ReadText(Text(), v);
  Value();
  return !CheckOnExit || (number && (MaxValue <= MinValue || (v >= MinValue && v <= MaxValue)));
}
