#include "skin/sSkinData.h"

#include <algorithm>

void ParseGradientData(const String& text, TsGradArray& pieces) {
  pieces.clear();
  if (text.empty()) return;
  std::vector<std::string_view> fields;
  std::string_view rest(text);
  for (;;) {
    const size_t p = rest.find(';');
    fields.push_back(rest.substr(0, p));
    if (p == std::string_view::npos) break;
    rest.remove_prefix(p + 1);
  }
  const size_t n = fields.size() / 5;
  pieces.assign(n, TsGradPie{});
  for (size_t k = 0; k < n; ++k) {
    TsGradPie& pie = pieces[k];
    pie.Color1 = TColor(std::max(StrToInt(fields[5 * k]), 0));
    pie.Color2 = TColor(std::max(StrToInt(fields[5 * k + 1]), 0));
    pie.Percent = uint8_t(std::clamp(StrToInt(fields[5 * k + 2]), 0, 100));
    pie.Mode1 = StrToInt(fields[5 * k + 3]);
  }
}
