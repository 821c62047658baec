#include "skin/acSkinOptions.h"

#include "skin/acSkinColors.h"

#include <algorithm>
#include <cstring>

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
  if (value == "1") return true;
  if (value.size() != 4) return false;
  for (size_t i = 0; i < 4; ++i)
    if ((value[i] >= 'a' && value[i] <= 'z' ? char(value[i] - 32) : value[i]) != "TRUE"[i]) return false;
  return true;
}

namespace {

// Sections up to this many lines are searched in order; longer ones get an index.
constexpr size_t LinearKeys = 16;

}  // namespace

const TacOptionsKey* TacOptionsSection::Find(std::string_view key) const {
  if (Keys.size() > LinearKeys) {
    auto it = FirstKey.find(key);
    return it == FirstKey.end() ? nullptr : &Keys[it->second];
  }
  for (const TacOptionsKey& k : Keys)
    if (k.First && k.Name == key) return &k;
  return nullptr;
}

void TacSkinOptions::Clear() {
  FText.reset();
  FTextSize = 0;
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
    section.Name = name;
    FCurrent = FSections.size();
    if (FFirstSection.emplace(name, FCurrent).second) FSectionNames.emplace_back(name);
    FSections.push_back(std::move(section));
    return;
  }
  if (FCurrent == SIZE_MAX) return;
  TacOptionsSection& section = FSections[FCurrent];
  TacOptionsKey key;
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) {
    key.Name = line;
  } else {
    std::string_view name = line.substr(0, eq), value = line.substr(eq + 1);
    if (FTrimLines) {
      name = TrimView(name);
      value = TrimView(value);
    }
    key.Name = name;
    key.Value = value;
    key.HasValue = true;
    if (section.Keys.size() > LinearKeys)
      key.First = section.FirstKey.emplace(name, section.Keys.size()).second;
    else
      key.First = section.Find(name) == nullptr;
  }
  section.Keys.push_back(key);
  if (section.Keys.size() == LinearKeys + 1)
    for (size_t i = 0; i < section.Keys.size(); ++i)
      if (section.Keys[i].First) section.FirstKey.emplace(section.Keys[i].Name, i);
}

void TacSkinOptions::SetText(std::string_view text) {
  Clear();
  if (text.size() >= 3 && uint8_t(text[0]) == 0xEF && uint8_t(text[1]) == 0xBB && uint8_t(text[2]) == 0xBF)
    text.remove_prefix(3);
  FText.reset(new char[text.size() + 1]);
  FTextSize = text.size();
  if (!text.empty()) std::memcpy(FText.get(), text.data(), text.size());
  text = std::string_view(FText.get(), FTextSize);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    AddLine(text.substr(start, end - start));
    if (end == text.size()) break;
    // CRLF counts as one line break.
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
}

void TacSkinOptions::LoadFromStrings(const TStrings& lines) {
  Clear();
  size_t total = 0;
  for (int i = 0; i < lines.Count(); ++i) total += lines[i].size();
  FText.reset(new char[total + 1]);
  FTextSize = total;
  std::vector<std::string_view> views;
  views.reserve(size_t(lines.Count()));
  size_t at = 0;
  for (int i = 0; i < lines.Count(); ++i) {
    const String& line = lines[i];
    if (!line.empty()) std::memcpy(FText.get() + at, line.data(), line.size());
    views.emplace_back(FText.get() + at, line.size());
    at += line.size();
  }
  for (std::string_view line : views) AddLine(line);
}

void TacSkinOptions::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  const int64_t size = stream.Size();
  if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream)) {
    // Parsing copies the text once anyway: read it in place.
    SetText(std::string_view(reinterpret_cast<const char*>(memory->Memory()), size_t(size)));
    stream.SetPosition(size);
    return;
  }
  String text(size_t(size), '\0');
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
      if (k.First) names.emplace_back(k.Name);
  }
  return names;
}

const std::string_view* TacSkinOptions::FindValue(const TacOptionsSection* s, std::string_view key) {
  if (!s) return nullptr;
  const TacOptionsKey* k = s->Find(key);
  return k ? &k->Value : nullptr;
}

const std::string_view* TacSkinOptions::FindValue(std::string_view section, std::string_view key) const {
  return FindValue(FindSection(section), key);
}

bool TacSkinOptions::ValueExists(std::string_view section, std::string_view key) const {
  return FindValue(section, key) != nullptr;
}

String TacSkinOptions::ReadString(std::string_view section, std::string_view key, const String& defaultValue) const {
  const std::string_view* v = FindValue(section, key);
  return v ? String(*v) : defaultValue;
}

int TacSkinOptions::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
  const std::string_view* v = FindValue(section, key);
  int value;
  return v && TryReadSkinInt(*v, value) ? value : defaultValue;
}

bool TacSkinOptions::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  const std::string_view* v = FindValue(section, key);
  return v ? SkinBool(*v) : defaultValue;
}

double TacSkinOptions::ReadFloat(std::string_view section, std::string_view key, double defaultValue) const {
  const std::string_view* v = FindValue(section, key);
  double value;
  return v && TryStrToFloatDot(*v, value) ? value : defaultValue;
}

TacSkinOptions::TacChain TacSkinOptions::InheritanceChain(std::string_view section) const {
  TacChain chain;
  std::string_view visited[MaxParentDepth];
  std::string_view current = section;
  const TacOptionsSection* s = FindSection(current);
  for (;;) {
    visited[chain.size()] = current;
    chain.push_back(s);
    // A parent of "?" counts as none.
    const std::string_view* parent = FindValue(s, "PARENTCLASS");
    if (!parent || parent->empty() || *parent == "?" || *parent == current || int(chain.size()) >= MaxParentDepth ||
        std::find(visited, visited + chain.size(), *parent) != visited + chain.size())
      return chain;
    current = *parent;
    s = FindSection(current);
  }
}

String TacSkinOptions::ReadInheritedString(const TacChain& chain, std::string_view key, const String& defaultValue) {
  // A value of "?" counts as absent.
  for (const TacOptionsSection* s : chain)
    if (const std::string_view* v = FindValue(s, key); v && *v != "?") return String(*v);
  return defaultValue;
}

int TacSkinOptions::ReadInheritedInteger(const TacChain& chain, std::string_view key, int defaultValue) {
  // -1 (or text that is no number) counts as absent at every level.
  for (size_t i = 0; i < chain.size(); ++i) {
    const std::string_view* v = FindValue(chain[i], key);
    int value;
    if (v && TryReadSkinInt(*v, value) && value != -1) return i == 0 ? value : int(ColorToRGB(TColor(value)));
  }
  return defaultValue;
}

bool TacSkinOptions::ReadInheritedBool(const TacChain& chain, std::string_view key, const String& defaultValue) {
  return SkinBool(ReadInheritedString(chain, key, defaultValue));
}

String TacSkinOptions::ReadInheritedString(std::string_view section, std::string_view key, const String& defaultValue) const {
  return ReadInheritedString(InheritanceChain(section), key, defaultValue);
}

int TacSkinOptions::ReadInheritedInteger(std::string_view section, std::string_view key, int defaultValue) const {
  return ReadInheritedInteger(InheritanceChain(section), key, defaultValue);
}

bool TacSkinOptions::ReadInheritedBool(std::string_view section, std::string_view key, const String& defaultValue) const {
  return ReadInheritedBool(InheritanceChain(section), key, defaultValue);
}
