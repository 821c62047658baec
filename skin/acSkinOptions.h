// The skin options dialect: an in-memory, case-sensitive INI text.
#pragma once
#include "framework/core/Classes.h"
#include "framework/core/SysUtils.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

// Integer text of the options dialect: "0x"/"0X" + hex (3 characters or more),
// a decimal number with optional sign, or "$" + hex. Hex keeps its 32-bit
// pattern ("$FFFFFFFF" is -1); decimal must fit 32 bits. No blanks allowed.
bool TryReadSkinInt(std::string_view text, int& value);

// Names and values are views into the text the options object keeps.
struct TacOptionsKey {
  std::string_view Name;
  std::string_view Value;
  bool HasValue = false;  // false for a line without "=": stored, never matched
  bool First = false;     // the first line with a value under this name
};

struct TacOptionsSection {
  std::string_view Name;
  std::vector<TacOptionsKey> Keys;  // file order, repeats kept
  // Key name -> index of its first line; only for long sections (short ones
  // are searched in order, which is faster than hashing).
  std::unordered_map<std::string_view, size_t> FirstKey;
  const TacOptionsKey* Find(std::string_view key) const;
};

// Sections and keys are case-sensitive; a repeated section or key is found by
// its first occurrence. Lines before the first section are ignored.
class TacSkinOptions {
public:
  // With trimLines false (the override text of CommonSections) lines are
  // taken as written: no trimming of lines, names or values.
  explicit TacSkinOptions(bool trimLines = true) : FTrimLines(trimLines) {}
  // Views point into the kept text: movable, not copyable.
  TacSkinOptions(TacSkinOptions&&) = default;
  TacSkinOptions& operator=(TacSkinOptions&&) = default;
  TacSkinOptions(const TacSkinOptions&) = delete;
  TacSkinOptions& operator=(const TacSkinOptions&) = delete;

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
  const std::string_view* FindValue(std::string_view section, std::string_view key) const;
  static const std::string_view* FindValue(const TacOptionsSection* section, std::string_view key);

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

  // The sections an inherited lookup in `section` visits, nearest first
  // (nil for a parent that does not exist); the key does not change the
  // chain, so callers reading many keys of one section walk it once.
  using TacChain = std::vector<const TacOptionsSection*>;
  TacChain InheritanceChain(std::string_view section) const;
  static String ReadInheritedString(const TacChain& chain, std::string_view key, const String& defaultValue);
  static int ReadInheritedInteger(const TacChain& chain, std::string_view key, int defaultValue);
  static bool ReadInheritedBool(const TacChain& chain, std::string_view key, const String& defaultValue);

private:
  void Parse();  // FText into sections
  void AddLine(std::string_view line);

  bool FTrimLines;
  std::unique_ptr<char[]> FText;  // what every view points into
  size_t FTextSize = 0;
  std::vector<TacOptionsSection> FSections;
  std::unordered_map<std::string_view, size_t> FFirstSection;
  std::vector<String> FSectionNames;
  size_t FCurrent = SIZE_MAX;  // section receiving lines, SIZE_MAX before the first
};

// Longest "PARENTCLASS" chain followed (real skins use two or three levels).
constexpr int MaxParentDepth = 64;

// True when the text reads as a Boolean "on" in the options dialect.
bool SkinBool(std::string_view value);
