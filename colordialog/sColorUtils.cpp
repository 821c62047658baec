#include "colordialog/sColorUtils.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// One pair of the colour code, read as "$" + pair would be by the integer
// parser: one or two hex digits, nothing else (no sign, no blank).
int ParseCodePair(const String& pair) {
  int value = 0;
  bool ok = !pair.empty();
  for (char c : pair) {
    int digit = HexDigitValue(c);
    if (digit < 0) {
      ok = false;
      break;
    }
    value = value * 16 + digit;
  }
  if (!ok) throw EConvertError("'$" + pair + "' is not a valid integer value");
  return value;
}

// Round half to even (the FPU default mode) and clamp to a channel.
// Clamping happens on the real value so huge inputs never overflow an int.
uint32_t RoundChannel(double value) {
  if (std::isnan(value)) return 0;
  double r = std::nearbyint(value);
  if (r > 255.0) r = 255.0;
  if (r < 0.0) r = 0.0;
  return static_cast<uint32_t>(r);
}

double ClampReal(double value) {
  if (value > 255.0) value = 255.0;
  if (value < 0.0) value = 0.0;
  return value;
}

const char kHexDigits[] = "0123456789ABCDEF";

String ByteToHex(uint32_t b) {
  String s(2, '0');
  s[0] = kHexDigits[(b >> 4) & 0xF];
  s[1] = kHexDigits[b & 0xF];
  return s;
}

String FirstWord(const String& text, const char* delimiters) {
  size_t start = text.find_first_not_of(delimiters);
  if (start == String::npos) return String();
  size_t end = text.find_first_of(delimiters, start);
  return text.substr(start, end == String::npos ? String::npos : end - start);
}

}  // namespace

TColor HtmlCodeToColor(const String& text) {
  auto pair = [&](size_t pos) { return pos < text.size() ? text.substr(pos, 2) : String(); };
  int red = ParseCodePair(pair(0));
  int green = ParseCodePair(pair(2));
  int blue = ParseCodePair(pair(4));
  return static_cast<TColor>(red + green * 256 + blue * 65536);
}

String ColorToHtmlCode(TColor color) {
  return ByteToHex(color & 0xFF) + ByteToHex((color >> 8) & 0xFF) + ByteToHex((color >> 16) & 0xFF);
}

int64_t HexTextToInt(const String& text) {
  String s = UpperCase(text);
  if (s.empty()) return 0;
  if (s.back() == 'H') s.pop_back();
  uint64_t result = 0;  // unsigned so that long input wraps instead of overflowing
  for (char c : s) {
    result *= 16;
    if (c >= '0' && c <= '9') {
      result += static_cast<uint64_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      result += static_cast<uint64_t>(c - 'A' + 10);
    } else {
      return 0;
    }
  }
  return static_cast<int64_t>(result);
}

uint32_t SwapRedBlue(uint32_t value) {
  return ((value & 0xFF) << 16) | (value & 0xFF00FF00u) | ((value >> 16) & 0xFF);
}

THsv ColorToHsv(TColor color) {
  int r = static_cast<int>(color & 0xFF);
  int g = static_cast<int>((color >> 8) & 0xFF);
  int b = static_cast<int>((color >> 16) & 0xFF);
  int maxC = std::max(r, std::max(g, b));
  int minC = std::min(r, std::min(g, b));
  int delta = maxC - minC;
  THsv hsv;
  hsv.V = maxC / 255.0;
  hsv.S = maxC == 0 ? 0.0 : static_cast<double>(delta) / maxC;
  if (hsv.S == 0.0) {
    hsv.H = 0;
    return hsv;
  }
  double h;
  if (r == maxC)
    h = 60.0 * (g - b) / delta;
  else if (g == maxC)
    h = 120.0 + 60.0 * (b - r) / delta;
  else
    h = 240.0 + 60.0 * (r - g) / delta;
  if (h < 0) h += 360.0;
  hsv.H = static_cast<int>(std::nearbyint(h));
  return hsv;
}

TColor HsvToColor(double h, double s, double v) {
  if (std::isnan(h)) h = 0;
  if (std::isnan(s)) s = 0;
  if (std::isnan(v)) v = 0;
  if (s == 0.0) {
    uint32_t grey = RoundChannel(v * 255.0);
    return grey | (grey << 8) | (grey << 16);
  }
  double pos = h == 360.0 ? 0.0 : h / 60.0;
  // Sector kept as a real so a huge hue cannot overflow an int conversion.
  double sector = std::trunc(pos);
  double f = pos - sector;
  double val = v * 255.0;
  // p, q, t come from the unclamped brightness; only then is it clamped.
  double p = ClampReal(val * (1.0 - s));
  double q = ClampReal(val * (1.0 - s * f));
  double t = ClampReal(val * (1.0 - s * (1.0 - f)));
  val = ClampReal(val);
  double r, g, b;
  if (sector == 0) {
    r = val; g = t; b = p;
  } else if (sector == 1) {
    r = q; g = val; b = p;
  } else if (sector == 2) {
    r = p; g = val; b = t;
  } else if (sector == 3) {
    r = p; g = q; b = val;
  } else if (sector == 4) {
    r = t; g = p; b = val;
  } else {
    r = val; g = p; b = q;
  }
  return RoundChannel(r) | (RoundChannel(g) << 8) | (RoundChannel(b) << 16);
}

String ColorToHexText(TColor color) {
  uint32_t x = SwapRedBlue(color);
  String s;
  do {
    s.insert(s.begin(), kHexDigits[x & 0xF]);
    x >>= 4;
  } while (x != 0);
  if (s.size() < 6) s.insert(0, 6 - s.size(), '0');
  return s;
}

TColor HexTextToColor(const String& text) {
  uint32_t number = static_cast<uint32_t>(HexTextToInt(FirstWord(text, " "))) & 0xFFFFFFu;
  return SwapRedBlue(number);
}

TColor PaletteWordToColor(const String& text) {
  uint32_t number = static_cast<uint32_t>(HexTextToInt(FirstWord(text, " \r\n"))) & 0xFFFFFFu;
  return SwapRedBlue(number);
}

String ColorToDecText(TColor color) {
  return std::to_string(color);
}
