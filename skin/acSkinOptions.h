// The skin options dialect: an in-memory, case-sensitive INI text.
#pragma once
#include "framework/core/Classes.h"
#include "framework/core/SysUtils.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

// Integer text of the options dialect: "0x"/"0X" + hex (3 characters or more),
// a decimal number with optional sign, or "$" + hex. Hex keeps its 32-bit
// pattern ("$FFFFFFFF" is -1); decimal must fit 32 bits. No blanks allowed.
bool TryReadSkinInt(std::string_view text, int& value);

// Hash and equality that accept string views, so lookups need no String.
struct TacStringHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using TacStringIndex = std::unordered_map<String, size_t, TacStringHash, std::equal_to<>>;

struct TacOptionsKey {
  String Name;
  String Value;
  bool HasValue = false;  // false for a line without "=": stored, never matched
  bool First = false;     // the first line with a value under this name
};

struct TacOptionsSection {
  String Name;
  std::vector<TacOptionsKey> Keys;  // file order, repeats kept
  TacStringIndex FirstKey;          // key name -> index of its first line
};

// Sections and keys are case-sensitive; a repeated section or key is found by
// its first occurrence. Lines before the first section are ignored.
class TacSkinOptions {
public:
  // With trimLines false (the override text of CommonSections) lines are
  // taken as written: no trimming of lines, names or values.
  explicit TacSkinOptions(bool trimLines = true) : FTrimLines(trimLines) {}

  void SetText(std::string_view text);  // a leading UTF-8 byte-order mark is skipped
  void LoadFromStrings(const TStrings& lines);
  void LoadFromStream(TStream& stream);  // from position 0 to the end
  void Clear();

  // Distinct section names in file order (a repeated header adds nothing:
  // every lookup reaches its first occurrence only).
  const std::vector<String>& SectionNames() const { return FSectionNames; }
  bool SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }
  // The first section of that name, nil when absent.
  const TacOptionsSection* FindSection(std::string_view section) const;
  // Distinct key names of the section in file order (lines without "=" excluded);
  // the Keys marked First of FindSection give the same without copies.
  std::vector<String> KeyNames(std::string_view section) const;
  // The value of the first line of that key, nil when absent.
  const String* FindValue(std::string_view section, std::string_view key) const;
  static const String* FindValue(const TacOptionsSection* section, std::string_view key);

  bool ValueExists(std::string_view section, std::string_view key) const;
  String ReadString(std::string_view section, std::string_view key, const String& defaultValue) const;
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
  // True when the upper-cased value is "1" or "TRUE".
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  // "." is the decimal separator whatever the locale.
  double ReadFloat(std::string_view section, std::string_view key, double defaultValue) const;

  // Key lookups through the "PARENTCLASS" chain. A chain that returns to a
  // section already visited, or grows longer than MaxParentDepth sections,
  // ends like a missing key.
  String ReadInheritedString(std::string_view section, std::string_view key, const String& defaultValue) const;
  // -1 counts as absent; a value found through a parent is converted to RGB.
  int ReadInheritedInteger(std::string_view section, std::string_view key, int defaultValue) const;
  bool ReadInheritedBool(std::string_view section, std::string_view key, const String& defaultValue) const;

private:
  void AddLine(std::string_view line);
  // Through the "PARENTCLASS" chain; nil when absent.
  const String* FindInherited(std::string_view section, std::string_view key) const;

  bool FTrimLines;
  std::vector<TacOptionsSection> FSections;
  TacStringIndex FFirstSection;
  std::vector<String> FSectionNames;
  size_t FCurrent = SIZE_MAX;  // section receiving lines, SIZE_MAX before the first
};

// Longest "PARENTCLASS" chain followed (real skins use two or three levels).
constexpr int MaxParentDepth = 64;

// True when the text reads as a Boolean "on" in the options dialect.
bool SkinBool(std::string_view value);
