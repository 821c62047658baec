// Window-free model of the masked edit: the edit-mask language and an
// editor over it. A mask is "positions;save-literals flag;blank char", for
// example "AAAAAA;1; ". Positions: L letter, l optional letter, A letter or
// digit, a optional one, C any character, c optional one, 0 digit, 9
// optional digit, # optional digit or sign; > upper-cases what follows, <
// lower-cases it, <> neither; \ makes the next character literal; : and /
// are the time and date separators, _ a space; ! and everything else
// literal flags or literals. The field never holds more characters than
// the mask has positions.
#pragma once
#include "framework/core/SysUtils.h"

#include <cstddef>
#include <vector>

enum class TacMaskCharKind { mkLiteral, mkLetter, mkAlnum, mkAny, mkDigit, mkDigitOrSign };
enum class TacMaskCase { mcNone, mcUpper, mcLower };

struct TacMaskPosition {
  TacMaskCharKind Kind = TacMaskCharKind::mkLiteral;
  bool Required = false;
  TacMaskCase Case = TacMaskCase::mcNone;
  char32_t Literal = 0;  // for literals
};

struct TacEditMask {
  std::vector<TacMaskPosition> Positions;
  bool SaveLiterals = true;
  char32_t BlankChar = U'_';
  bool Empty() const { return Positions.empty(); }
};

// Separators for ":" and "/" come from the locale, passed in.
TacEditMask ParseEditMask(const String& mask, char32_t timeSeparator = U':', char32_t dateSeparator = U'/');

// Whether c fits a position, and as which character (case applied).
bool MaskCharFits(const TacMaskPosition& p, char32_t c, char32_t& stored);

// The field's characters under a mask. Positions count characters.
class TacMaskEditModel {
public:
  explicit TacMaskEditModel(TacEditMask mask = {});
  void SetMask(TacEditMask mask);  // clears the field
  const TacEditMask& Mask() const { return FMask; }
  size_t Count() const { return FMask.Positions.size(); }

  // Literals and blank chars: what the edit shows.
  String EditText() const;
  // Unfilled positions as spaces, literals only with the save flag.
  String Text() const;
  // Fills the field from the start as typed text (literals in the text
  // are matched, not stored twice); what does not fit is cut. Returns
  // false when characters were dropped.
  bool SetText(const String& text);
  void Clear();
  bool IsComplete() const;  // every required position filled
  bool Filled(size_t pos) const { return pos < FChars.size() && FChars[pos] != 0; }

  // Typing c at pos: overtype replaces, insert shifts the following
  // entries right (refused when the last would fall off or no longer fit).
  // Literals are skipped; typing a literal's own character moves past it.
  // Returns the new cursor, or npos when refused (beep).
  size_t TypeChar(size_t pos, char32_t c, bool overtype);
  // Delete key at pos and Backspace before pos; the following entries move
  // left where they fit. Return the new cursor.
  size_t DeleteChar(size_t pos);
  size_t Backspace(size_t pos);
  // Clears the positions of a selection; returns its start.
  size_t ClearRange(size_t start, size_t length);
  // Overtypes text from pos, cut to the mask; characters that fit nowhere
  // are dropped. Returns the cursor; dropped tells whether any was.
  size_t Paste(size_t pos, const String& text, bool& dropped);

  static constexpr size_t npos = size_t(-1);

private:
  TacEditMask FMask;
  std::vector<char32_t> FChars;  // 0 = unfilled placeholder or literal
  size_t NextEntry(size_t pos) const;
  bool ShiftLeftFrom(size_t pos);
};

std::vector<char32_t> Utf8Decode(const String& s);
