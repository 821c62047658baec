#include "controls/sMaskEdit.h"

#include "controls/sEdit.h"

namespace {

bool IsAsciiLetter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'); }
// Letters beyond ASCII are not classified without a locale; they count as letters.
bool IsLetter(char32_t c) { return IsAsciiLetter(c) || c >= 0xC0; }
bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

char32_t ToUpper(char32_t c) { return c >= U'a' && c <= U'z' ? c - 32 : c; }
char32_t ToLower(char32_t c) { return c >= U'A' && c <= U'Z' ? c + 32 : c; }

}  // namespace

std::vector<char32_t> Utf8Decode(const String& s) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
    size_t j = i + 1;
    for (int k = 0; k < extra && j < s.size() && (static_cast<unsigned char>(s[j]) & 0xC0) == 0x80; ++k, ++j)
      c = (c << 6) | (static_cast<unsigned char>(s[j]) & 0x3F);
    if (extra < 0 || j - i != size_t(extra) + 1) c = 0xFFFD;
    out.push_back(c);
    i = j;
  }
  return out;
}

TacEditMask ParseEditMask(const String& maskText, char32_t timeSeparator, char32_t dateSeparator) {
  const std::vector<char32_t> m = Utf8Decode(maskText);
  TacEditMask mask;
  // The mask part ends at the first ";" that is not escaped.
  size_t end = 0;
  for (; end < m.size() && m[end] != U';'; ++end)
    if (m[end] == U'\\') ++end;
  if (end < m.size()) {
    size_t i = end + 1;
    if (i < m.size() && m[i] != U';') mask.SaveLiterals = m[i] != U'0';
    while (i < m.size() && m[i] != U';') ++i;
    if (i + 1 < m.size()) mask.BlankChar = m[i + 1];
  }
  TacMaskCase currentCase = TacMaskCase::mcNone;
  for (size_t i = 0; i < end && i < m.size(); ++i) {
    const char32_t c = m[i];
    TacMaskPosition p;
    p.Case = currentCase;
    switch (c) {
      case U'>': currentCase = TacMaskCase::mcUpper; continue;
      case U'<':
        if (i + 1 < end && m[i + 1] == U'>') {
          currentCase = TacMaskCase::mcNone;
          ++i;
        } else {
          currentCase = TacMaskCase::mcLower;
        }
        continue;
      case U'!': continue;
      case U'\\':
        if (++i >= end) continue;
        p.Literal = m[i];
        break;
      case U'L': case U'l': p.Kind = TacMaskCharKind::mkLetter; p.Required = c == U'L'; break;
      case U'A': case U'a': p.Kind = TacMaskCharKind::mkAlnum; p.Required = c == U'A'; break;
      case U'C': case U'c': p.Kind = TacMaskCharKind::mkAny; p.Required = c == U'C'; break;
      case U'0': case U'9': p.Kind = TacMaskCharKind::mkDigit; p.Required = c == U'0'; break;
      case U'#': p.Kind = TacMaskCharKind::mkDigitOrSign; break;
      case U':': p.Literal = timeSeparator; break;
      case U'/': p.Literal = dateSeparator; break;
      case U'_': p.Literal = U' '; break;
      default: p.Literal = c; break;
    }
    mask.Positions.push_back(p);
  }
  return mask;
}

bool MaskCharFits(const TacMaskPosition& p, char32_t c, char32_t& stored) {
  if (c < 0x20 || c == 0x7F) return false;
  bool fits = false;
  switch (p.Kind) {
    case TacMaskCharKind::mkLiteral: return false;
    case TacMaskCharKind::mkLetter: fits = IsLetter(c); break;
    case TacMaskCharKind::mkAlnum: fits = IsLetter(c) || IsDigit(c); break;
    case TacMaskCharKind::mkAny: fits = true; break;
    case TacMaskCharKind::mkDigit: fits = IsDigit(c); break;
    case TacMaskCharKind::mkDigitOrSign: fits = IsDigit(c) || c == U'+' || c == U'-'; break;
  }
  if (!fits) return false;
  stored = p.Case == TacMaskCase::mcUpper ? ToUpper(c) : p.Case == TacMaskCase::mcLower ? ToLower(c) : c;
  return true;
}

TacMaskEditModel::TacMaskEditModel(TacEditMask mask) { SetMask(std::move(mask)); }

void TacMaskEditModel::SetMask(TacEditMask mask) {
  FMask = std::move(mask);
  FChars.assign(FMask.Positions.size(), 0);
}

void TacMaskEditModel::Clear() { FChars.assign(FMask.Positions.size(), 0); }

String TacMaskEditModel::EditText() const {
  String s;
  for (size_t i = 0; i < Count(); ++i) {
    const TacMaskPosition& p = FMask.Positions[i];
    s += Utf8Of(p.Kind == TacMaskCharKind::mkLiteral ? p.Literal : FChars[i] ? FChars[i] : FMask.BlankChar);
  }
  return s;
}

String TacMaskEditModel::Text() const {
  String s;
  for (size_t i = 0; i < Count(); ++i) {
    const TacMaskPosition& p = FMask.Positions[i];
    if (p.Kind == TacMaskCharKind::mkLiteral) {
      if (FMask.SaveLiterals) s += Utf8Of(p.Literal);
    } else {
      s += FChars[i] ? Utf8Of(FChars[i]) : String(" ");
    }
  }
  return s;
}

bool TacMaskEditModel::IsComplete() const {
  for (size_t i = 0; i < Count(); ++i)
    if (FMask.Positions[i].Required && !FChars[i]) return false;
  return true;
}

size_t TacMaskEditModel::NextEntry(size_t pos) const {
  while (pos < Count() && FMask.Positions[pos].Kind == TacMaskCharKind::mkLiteral) ++pos;
  return pos;
}

size_t TacMaskEditModel::TypeChar(size_t pos, char32_t c, bool overtype) {
  if (pos < Count() && FMask.Positions[pos].Kind == TacMaskCharKind::mkLiteral && FMask.Positions[pos].Literal == c)
    return NextEntry(pos + 1);
  pos = NextEntry(pos);
  if (pos >= Count()) return npos;
  char32_t stored = 0;
  if (!MaskCharFits(FMask.Positions[pos], c, stored)) {
    // the cursor already stepped over this literal: typing it again is no fault
    const TacMaskPosition* before = pos > 0 ? &FMask.Positions[pos - 1] : nullptr;
    return before && before->Kind == TacMaskCharKind::mkLiteral && before->Literal == c ? pos : npos;
  }
  if (!overtype && FChars[pos]) {
    std::vector<size_t> entries;
    for (size_t i = pos; i < Count(); ++i)
      if (FMask.Positions[i].Kind != TacMaskCharKind::mkLiteral) entries.push_back(i);
    if (FChars[entries.back()]) return npos;  // full: nothing may fall off
    std::vector<char32_t> moved(FChars);
    for (size_t k = entries.size() - 1; k > 0; --k) {
      const char32_t from = FChars[entries[k - 1]];
      char32_t fitted = 0;
      if (from && !MaskCharFits(FMask.Positions[entries[k]], from, fitted)) return npos;
      moved[entries[k]] = from ? fitted : 0;
    }
    FChars = std::move(moved);
  }
  FChars[pos] = stored;
  return NextEntry(pos + 1);
}

bool TacMaskEditModel::ShiftLeftFrom(size_t pos) {
  std::vector<size_t> entries;
  for (size_t i = pos; i < Count(); ++i)
    if (FMask.Positions[i].Kind != TacMaskCharKind::mkLiteral) entries.push_back(i);
  if (entries.empty()) return false;
  std::vector<char32_t> moved(FChars);
  for (size_t k = 0; k + 1 < entries.size(); ++k) {
    const char32_t from = FChars[entries[k + 1]];
    char32_t fitted = 0;
    if (from && !MaskCharFits(FMask.Positions[entries[k]], from, fitted)) {
      FChars[entries[0]] = 0;  // the rest would not fit moved: only clear
      return true;
    }
    moved[entries[k]] = from ? fitted : 0;
  }
  moved[entries.back()] = 0;
  FChars = std::move(moved);
  return true;
}

size_t TacMaskEditModel::DeleteChar(size_t pos) {
  const size_t entry = NextEntry(pos);
  if (entry < Count()) ShiftLeftFrom(entry);
  return std::min(pos, Count());
}

size_t TacMaskEditModel::Backspace(size_t pos) {
  pos = std::min(pos, Count());
  while (pos > 0) {
    --pos;
    if (FMask.Positions[pos].Kind != TacMaskCharKind::mkLiteral) {
      ShiftLeftFrom(pos);
      return pos;
    }
  }
  return 0;
}

size_t TacMaskEditModel::ClearRange(size_t start, size_t length) {
  start = std::min(start, Count());
  const size_t end = length > Count() - start ? Count() : start + length;
  for (size_t i = start; i < end; ++i) FChars[i] = 0;
  return start;
}

size_t TacMaskEditModel::Paste(size_t pos, const String& text, bool& dropped) {
  dropped = false;
  pos = std::min(pos, Count());
  for (char32_t c : Utf8Decode(text)) {
    if (pos >= Count()) {
      dropped = true;  // cut to the mask
      break;
    }
    const size_t next = TypeChar(pos, c, true);
    if (next == npos)
      dropped = true;
    else
      pos = next;
  }
  return pos;
}

bool TacMaskEditModel::SetText(const String& text) {
  Clear();
  bool dropped = false;
  size_t pos = 0;
  for (char32_t c : Utf8Decode(text)) {
    if (pos >= Count()) return false;  // cut to the mask
    const size_t next = TypeChar(pos, c, true);
    if (next != npos) {
      pos = next;
    } else if (c == U' ' || c == FMask.BlankChar) {
      pos = NextEntry(pos) + 1;  // an unfilled position (as Text and EditText give them)
    } else {
      dropped = true;
    }
  }
  return !dropped;
}
