#include "framework/core/SysUtils.h"
#include "framework/core/Types.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr TColor StockSysColors[31] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0x7A7A7A, 0xD77800, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xD77800, 0xF0F0F0};

TSysColorSource SysColorSource = nullptr;

}  // namespace

void SetSysColorSource(TSysColorSource source) { SysColorSource = source; }

TColor SysColor(int index) {
  if (index < 0 || index > 30) return clBlack;
  return (SysColorSource ? SysColorSource(index) : StockSysColors[index]) & 0xFFFFFF;
}

TColor ColorToRGB(TColor color) { return int32_t(color) < 0 ? SysColor(int(color & 0xFF)) : color; }

TRect OffsetRect(const TRect& r, int dx, int dy) { return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

String Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  String result;
  if (n > 0) {
    result.resize(size_t(n) + 1);
    std::vsnprintf(result.data(), result.size(), fmt, args);
    result.resize(size_t(n));
  }
  va_end(args);
  return result;
}

String IntToStr(int64_t value) { return std::to_string(value); }

String IntToHex(uint64_t value, int digits) {
  static const char hex[] = "0123456789ABCDEF";
  String s;
  do {
    s.insert(s.begin(), hex[value & 15]);
    value >>= 4;
  } while (value != 0);
  if (int(s.size()) < digits) s.insert(0, size_t(digits) - s.size(), '0');
  return s;
}

static int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

static bool ParseInteger(std::string_view text, int64_t& value, bool& hex) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  hex = false;
  if (i < text.size() && text[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) return false;
  // Hexadecimal texts may fill all 64 bits (as a bit pattern); decimal ones must fit.
  uint64_t acc = 0;
  const uint64_t base = hex ? 16 : 10;
  const uint64_t limit = hex ? std::numeric_limits<uint64_t>::max()
                             : uint64_t(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
  for (; i < text.size(); ++i) {
    int d = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (d < 0) return false;
    if (acc > (limit - uint64_t(d)) / base) return false;
    acc = acc * base + uint64_t(d);
  }
  value = negative ? int64_t(0 - acc) : int64_t(acc);
  return true;
}

bool TryStrToInt64(std::string_view text, int64_t& value) {
  bool hex;
  return ParseInteger(text, value, hex);
}

bool TryStrToInt(std::string_view text, int& value) {
  int64_t v;
  bool hex;
  if (!ParseInteger(text, v, hex)) return false;
  // Hexadecimal up to 8 digits keeps its 32-bit pattern ($FFFFFFFF = -1).
  const int64_t upper = hex ? int64_t(std::numeric_limits<uint32_t>::max()) : std::numeric_limits<int32_t>::max();
  if (v > upper || v < std::numeric_limits<int32_t>::min()) return false;
  value = int(int32_t(uint32_t(v)));
  return true;
}

int StrToInt(std::string_view text) {
  int v;
  if (!TryStrToInt(text, v)) throw EConvertError("'" + String(text) + "' is not a valid integer value");
  return v;
}

int StrToIntDef(std::string_view text, int defaultValue) {
  int v;
  return TryStrToInt(text, v) ? v : defaultValue;
}

bool TryStrToFloatDot(std::string_view text, double& value) {
  String s = Trim(text);
  if (s.empty()) return false;
  const char* first = s.data();
  if (*first == '+') ++first;
  auto [ptr, ec] = std::from_chars(first, s.data() + s.size(), value);
  return ec == std::errc() && ptr == s.data() + s.size();
}

String UpperCase(std::string_view s) {
  String r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return r;
}

String LowerCase(std::string_view s) {
  String r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return r;
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && UpperCase(a) == UpperCase(b); }

static bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

String TrimLeft(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return String(s.substr(i));
}

String TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return String(s.substr(0, n));
}

String Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

bool IsPathDelimiter(char c) { return c == '\\' || c == '/'; }

static size_t LastDelimiter(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i)
    if (IsPathDelimiter(path[i - 1]) || path[i - 1] == ':') return i;
  return 0;
}

String ExtractFileName(std::string_view path) { return String(path.substr(LastDelimiter(path))); }
String ExtractFilePath(std::string_view path) { return String(path.substr(0, LastDelimiter(path))); }

String ExtractFileExt(std::string_view path) {
  size_t start = LastDelimiter(path);
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < start) return String();
  return String(path.substr(dot));
}

String ChangeFileExt(std::string_view path, std::string_view ext) {
  String cur = ExtractFileExt(path);
  return String(path.substr(0, path.size() - cur.size())) + String(ext);
}

String IncludeTrailingPathDelimiter(std::string_view path) {
  String r(path);
  if (r.empty() || !IsPathDelimiter(r.back())) {
#ifdef _WIN32
    r += '\\';
#else
    r += '/';
#endif
  }
  return r;
}

static fs::path ToPath(const String& s) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(s.data()), s.size()));
}

bool FileExists(const String& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(ToPath(path), ec);
}

bool DirectoryExists(const String& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(ToPath(path), ec);
}

bool ForceDirectories(const String& path) {
  if (path.empty()) return false;
  std::error_code ec;
  fs::create_directories(ToPath(path), ec);
  return DirectoryExists(path);
}

bool RemoveFile(const String& path) {
  std::error_code ec;
  return fs::remove(ToPath(path), ec);
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  auto cont = [&](size_t k) { return k < s.size() && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80; };
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp = 0xFFFD;
    size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0 && c >= 0xC2 && cont(i + 1)) {
      cp = (char32_t(c & 0x1F) << 6) | (s[i + 1] & 0x3F);
      len = 2;
    } else if ((c & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
      char32_t v = (char32_t(c & 0x0F) << 12) | (char32_t(s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
      if (v >= 0x800 && (v < 0xD800 || v > 0xDFFF)) {
        cp = v;
        len = 3;
      }
    } else if ((c & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
      char32_t v = (char32_t(c & 0x07) << 18) | (char32_t(s[i + 1] & 0x3F) << 12) | (char32_t(s[i + 2] & 0x3F) << 6) |
                   (s[i + 3] & 0x3F);
      if (v >= 0x10000 && v <= 0x10FFFF) {
        cp = v;
        len = 4;
      }
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(char16_t(0xD800 + (cp >> 10)));
      out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(char16_t(cp));
    }
    i += len;
  }
  return out;
}

String Utf16ToUtf8(std::u16string_view s) {
  String out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += char(cp);
    } else if (cp < 0x800) {
      out += char(0xC0 | (cp >> 6));
      out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += char(0xE0 | (cp >> 12));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    } else {
      out += char(0xF0 | (cp >> 18));
      out += char(0x80 | ((cp >> 12) & 0x3F));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::wstring Utf8ToWide(std::string_view s) {
  std::u16string u = Utf8ToUtf16(s);
  return std::wstring(u.begin(), u.end());
}

String WideToUtf8(std::wstring_view s) {
  std::u16string u;
  u.reserve(s.size());
  for (wchar_t c : s) u.push_back(char16_t(c));
  return Utf16ToUtf8(u);
}
