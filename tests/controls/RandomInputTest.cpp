// Random typing, pasting and deleting: the models never throw, the masked
// field never outgrows its mask and the numeric value stays a finite number.
#include "controls/sCurrEdit.h"
#include "controls/sEdit.h"
#include "controls/sMaskEdit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

const char32_t Alphabet[] = {U'0', U'5', U'9', U'-', U'+', U'.', U',', U'E', U'e', U' ', U'a', U'Z', U'/',
                             U'#', U'\u00A0', U'\u00E9', 27, 8, 3, 22, U'%', U'N', U'I', U'f'};

TEST(RandomInput, MaskedFieldNeverOutgrowsItsMask) {
  std::mt19937 rng(11);
  for (const char* mask : {"AAAAAA;1; ", "!99/99/00;1;_", "(999) 000-0000;0;*", ">LL<ll\\-#9;1;_", ""}) {
    TacMaskEditModel m(ParseEditMask(mask));
    size_t pos = 0;
    for (int i = 0; i < 20000; ++i) {
      const char32_t c = Alphabet[rng() % std::size(Alphabet)];
      const size_t at = rng() % (m.Count() + 3);
      bool dropped = false;
      switch (rng() % 6) {
        case 0: case 1: pos = m.TypeChar(at, c, rng() % 2); break;
        case 2: pos = m.DeleteChar(at); break;
        case 3: pos = m.Backspace(at); break;
        case 4: pos = m.Paste(at, Utf8Of(c) + Utf8Of(c) + "12345678901234567890", dropped); break;
        case 5: m.SetText(std::string(rng() % 30, char('0' + rng() % 10))); break;
      }
      ASSERT_TRUE(pos == TacMaskEditModel::npos || pos <= m.Count());
      ASSERT_EQ(Utf8Length(m.EditText()), m.Count()) << mask;
    }
  }
}

TEST(RandomInput, NumericFieldStaysANumber) {
  std::mt19937 rng(12);
  TacNumEditModel m;
  const TacNumberSeparators seps[] = {{".", ","}, {",", "."}, {",", "\u00A0"}, {".", "."}};
  for (int i = 0; i < 20000; ++i) {
    if (i % 500 == 0) {
      m.Separators = seps[rng() % std::size(seps)];
      m.MinValue = double(int(rng() % 3) - 1) * 100, m.MaxValue = double(int(rng() % 3)) * 100;
      m.DecimalPlaces = rng() % 4;
      m.DisplayFormat = rng() % 2 ? NumEditDefaultDisplayFormat : "0";
      m.EditText.clear();
    }
    const char32_t c = Alphabet[rng() % std::size(Alphabet)];
    const size_t n = Utf8Length(m.EditText), sel = rng() % (n + 2);
    if (rng() % 8 == 0) {
      const std::string previous = m.EditText;
      m.EditText += std::string(rng() % 400, char('0' + rng() % 10)) + Utf8Of(c);
      m.AfterPaste(previous);
    } else {
      const TacNumKeyResult r = m.KeyPress(c, sel, rng() % 2, false);
      if (r.Action == TacNumKeyAction::nkPass && c >= 32) m.EditText += r.Key;
    }
    const double v = m.Value();
    ASSERT_TRUE(std::isfinite(v)) << m.EditText;
    m.DisplayText();
    m.AsInteger();
  }
}

}  // namespace
