#include "skin/acSkinOptions.h"

#include "skin/acSkinColors.h"

#include <algorithm>

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHex(std::string_view digits, int& value) {
  if (digits.empty()) return false;
  uint64_t acc = 0;
  for (char c : digits) {
    const int d = HexValue(c);
    if (d < 0) return false;
    acc = acc * 16 + uint64_t(d);
    if (acc > 0xFFFFFFFFull) return false;
  }
  value = int(int32_t(uint32_t(acc)));
  return true;
}

bool ParseDecimal(std::string_view text, int& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  int64_t acc = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    acc = acc * 10 + (text[i] - '0');
    if (acc > int64_t(INT32_MAX) + 1) return false;
  }
  if (negative) acc = -acc;
  if (acc < INT32_MIN || acc > INT32_MAX) return false;
  value = int(acc);
  return true;
}

std::string_view TrimView(std::string_view s) {
  size_t a = 0, b = s.size();
  while (a < b && uint8_t(s[a]) <= ' ') ++a;
  while (b > a && uint8_t(s[b - 1]) <= ' ') --b;
  return s.substr(a, b - a);
}

}  // namespace

bool TryReadSkinInt(std::string_view text, int& value) {
  if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return ParseHex(text.substr(2), value);
  if (!text.empty() && text[0] == '$') return ParseHex(text.substr(1), value);
  return ParseDecimal(text, value);
}

bool SkinBool(std::string_view value) {
  const String up = UpperCase(value);
  return up == "1" || up == "TRUE";
}

void TacSkinOptions::Clear() {
  FSections.clear();
  FFirstSection.clear();
  FSectionNames.clear();
  FCurrent = SIZE_MAX;
}

void TacSkinOptions::AddLine(std::string_view line) {
  if (FTrimLines) line = TrimView(line);
  if (line.empty() || line[0] == ';') return;
  if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
    std::string_view name = line.substr(1, line.size() - 2);
    if (FTrimLines) name = TrimView(name);
    TacOptionsSection section;
    section.Name = String(name);
    FCurrent = FSections.size();
    if (FFirstSection.emplace(section.Name, FCurrent).second) FSectionNames.push_back(section.Name);
    FSections.push_back(std::move(section));
    return;
  }
  if (FCurrent == SIZE_MAX) return;
  TacOptionsSection& section = FSections[FCurrent];
  TacOptionsKey key;
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) {
    key.Name = String(line);
  } else {
    std::string_view name = line.substr(0, eq), value = line.substr(eq + 1);
    if (FTrimLines) {
      name = TrimView(name);
      value = TrimView(value);
    }
    key.Name = String(name);
    key.Value = String(value);
    key.HasValue = true;
    key.First = section.FirstKey.emplace(key.Name, section.Keys.size()).second;
  }
  section.Keys.push_back(std::move(key));
}

void TacSkinOptions::SetText(std::string_view text) {
  Clear();
  if (text.size() >= 3 && uint8_t(text[0]) == 0xEF && uint8_t(text[1]) == 0xBB && uint8_t(text[2]) == 0xBF)
    text.remove_prefix(3);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    AddLine(text.substr(start, end - start));
    if (end == text.size()) break;
    // CRLF counts as one line break.
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
}

void TacSkinOptions::LoadFromStrings(const TStrings& lines) {
  Clear();
  for (int i = 0; i < lines.Count(); ++i) AddLine(lines[i]);
}

void TacSkinOptions::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  String text(size_t(stream.Size()), '\0');
  if (!text.empty()) stream.ReadBuffer(text.data(), int64_t(text.size()));
  SetText(text);
}

const TacOptionsSection* TacSkinOptions::FindSection(std::string_view section) const {
  auto it = FFirstSection.find(section);
  return it == FFirstSection.end() ? nullptr : &FSections[it->second];
}

std::vector<String> TacSkinOptions::KeyNames(std::string_view section) const {
  std::vector<String> names;
  if (const TacOptionsSection* s = FindSection(section)) {
    for (const TacOptionsKey& k : s->Keys)
      if (k.First) names.push_back(k.Name);
  }
  return names;
}

const String* TacSkinOptions::FindValue(const TacOptionsSection* s, std::string_view key) {
  if (!s) return nullptr;
  auto it = s->FirstKey.find(key);
  return it == s->FirstKey.end() ? nullptr : &s->Keys[it->second].Value;
}

const String* TacSkinOptions::FindValue(std::string_view section, std::string_view key) const {
  return FindValue(FindSection(section), key);
}

bool TacSkinOptions::ValueExists(std::string_view section, std::string_view key) const { return FindValue(section, key) != nullptr; }

String TacSkinOptions::ReadString(std::string_view section, std::string_view key, const String& defaultValue) const {
  const String* v = FindValue(section, key);
  return v ? *v : defaultValue;
}

int TacSkinOptions::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
  const String* v = FindValue(section, key);
  int value;
  return v && TryReadSkinInt(*v, value) ? value : defaultValue;
}

bool TacSkinOptions::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  const String* v = FindValue(section, key);
  return v ? SkinBool(*v) : defaultValue;
}

double TacSkinOptions::ReadFloat(std::string_view section, std::string_view key, double defaultValue) const {
  const String* v = FindValue(section, key);
  double value;
  return v && TryStrToFloatDot(*v, value) ? value : defaultValue;
}

const String* TacSkinOptions::FindInherited(std::string_view section, std::string_view key) const {
  // Chains are short: a small array of visited names beats any set.
  std::string_view visited[MaxParentDepth];
  int depth = 0;
  std::string_view current = section;
  const TacOptionsSection* s = FindSection(current);
  for (;;) {
    // A value or parent of "?" counts as absent.
    const String* v = FindValue(s, key);
    if (v && *v != "?") return v;
    visited[depth++] = current;
    const String* parent = FindValue(s, "PARENTCLASS");
    if (!parent || parent->empty() || *parent == "?" || *parent == current || depth >= MaxParentDepth ||
        std::find(visited, visited + depth, std::string_view(*parent)) != visited + depth)
      return nullptr;
    current = *parent;
    s = FindSection(current);
  }
}

String TacSkinOptions::ReadInheritedString(std::string_view section, std::string_view key, const String& defaultValue) const {
  const String* v = FindInherited(section, key);
  return v ? *v : defaultValue;
}

int TacSkinOptions::ReadInheritedInteger(std::string_view section, std::string_view key, int defaultValue) const {
  // -1 (or text that is no number) counts as absent at every level.
  std::string_view visited[MaxParentDepth];
  int depth = 0;
  std::string_view current = section;
  const TacOptionsSection* s = FindSection(current);
  for (;;) {
    const String* v = FindValue(s, key);
    int value;
    if (v && TryReadSkinInt(*v, value) && value != -1) return depth == 0 ? value : int(ColorToRGB(TColor(value)));
    visited[depth++] = current;
    const String* parent = FindValue(s, "PARENTCLASS");
    if (!parent || parent->empty() || *parent == "?" || *parent == current || depth >= MaxParentDepth ||
        std::find(visited, visited + depth, std::string_view(*parent)) != visited + depth)
      return defaultValue;
    current = *parent;
    s = FindSection(current);
  }
}

bool TacSkinOptions::ReadInheritedBool(std::string_view section, std::string_view key, const String& defaultValue) const {
  return SkinBool(ReadInheritedString(section, key, defaultValue));
}
