#include "tools/SkinRender.h"

#include "paint/sSkinPaint.h"
#include "tools/SkinPreview.h"

#include <algorithm>
#include <cctype>

namespace {

// Whole decimal number with an optional minus sign; long numbers saturate
// so that they still fail the range checks with the same message.
bool ParseWhole(const String& text, int& value) {
  size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(uint8_t(text[i]))) return false;
    v = std::min<int64_t>(v * 10 + (text[i] - '0'), 1000000000);
  }
  value = int(text[0] == '-' ? -v : v);
  return true;
}

void CheckSize(int width, int height, const String& text) {
  if (width < 1 || height < 1 || width > MaxRenderSide || height > MaxRenderSide)
    throw EInvalidArgument(Format("bad size '%s': width and height must be from 1 to %d", text.c_str(), MaxRenderSide));
}

void CheckState(int state, const String& text) {
  if (state < 0) throw EInvalidArgument(Format("bad state '%s': states count from 0", text.c_str()));
}

void ParseSize(const String& text, int& width, int& height) {
  const size_t x = text.find_first_of("xX");
  if (x == String::npos || !ParseWhole(text.substr(0, x), width) || !ParseWhole(text.substr(x + 1), height))
    throw EConvertError(Format("bad size '%s': expected WxH, for example 129x26", text.c_str()));
  CheckSize(width, height, text);
}

// 0xRRGGBB (or #RRGGBB) to a TColor, whose red is the low byte.
TColor ParseBackground(const String& text) {
  size_t start = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? 2 : text.rfind('#', 0) == 0 ? 1 : 0;
  String hex = text.substr(start);
  const auto isHex = [](char c) { return std::isxdigit(uint8_t(c)) != 0; };
  if (start == 0 || hex.size() != 6 || !std::all_of(hex.begin(), hex.end(), isHex))
    throw EConvertError(Format("bad background '%s': expected 0xRRGGBB", text.c_str()));
  const uint32_t rgb = uint32_t(std::stoul(hex, nullptr, 16));
  return TColor(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

TBitmap32 RenderByIndex(const TacSkinModel& sm, int index, int width, int height, int state, TColor background) {
  TBitmap32 cache(width, height);
  cache.Fill(0x00FFFFFF);  // what a newly sized cache holds
  TCacheInfo ci;
  ci.FillColor = background == clFuchsia ? DefaultRenderBackground(sm) : background;
  PaintSectionByIndex(index, sm.gd[size_t(index)].ClassName, ci, state, Rect(0, 0, width, height), Point(0, 0),
                      TPixelView(cache), &sm);
  return cache;
}

// ---- sheet layout
constexpr int Margin = 16;
constexpr int TitleHeight = 24;
constexpr int NameHeight = 12;
constexpr int StateLabelHeight = 11;
constexpr int CellGap = 6;
constexpr int ColumnWidth = SheetLargeWidth + 12;
constexpr int BlockGap = 12;
constexpr int BlockHeight = NameHeight + StateLabelHeight + SheetSmallHeight + CellGap + SheetLargeHeight + 17;
constexpr int SheetMaxWidth = 1600;
constexpr uint32_t LabelInk = 0xFF202428;

// States come from the options file: a skin may claim any number.
constexpr int MaxSheetStates = 8;

int SectionStates(const TacSkinModel& sm, int section) {
  return std::clamp(sm.gd[size_t(section)].States, 1, MaxSheetStates);
}

struct TSheetLayout {
  int BlockWidth = 0;
  int Columns = 1;
  int Rows = 0;
};

TSheetLayout Layout(const TacSkinModel& sm) {
  int states = 1;
  for (size_t i = 0; i < sm.gd.size(); ++i) states = std::max(states, SectionStates(sm, int(i)));
  TSheetLayout l;
  l.BlockWidth = states * ColumnWidth + BlockGap;
  l.Columns = std::clamp((SheetMaxWidth - 2 * Margin) / l.BlockWidth, 1, std::max(1, int(sm.gd.size())));
  l.Rows = (int(sm.gd.size()) + l.Columns - 1) / l.Columns;
  return l;
}

TPoint BlockOrigin(const TSheetLayout& l, int section) {
  return Point(Margin + (section % l.Columns) * l.BlockWidth,
               Margin + TitleHeight + (section / l.Columns) * BlockHeight);
}

}  // namespace

TRenderArgs ParseRenderArgs(const std::vector<String>& args) {
  TRenderArgs a;
  bool haveSize = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const String& arg = args[i];
    if (arg == "--section" || arg == "--size" || arg == "--state" || arg == "--background") {
      if (i + 1 >= args.size()) throw EConvertError(arg + " needs a value");
      const String& value = args[++i];
      if (arg == "--section") {
        a.Request.Section = value;
      } else if (arg == "--size") {
        ParseSize(value, a.Request.Width, a.Request.Height);
        haveSize = true;
      } else if (arg == "--state") {
        if (!ParseWhole(value, a.Request.State))
          throw EConvertError(Format("bad state '%s': expected a whole number", value.c_str()));
        CheckState(a.Request.State, value);
      } else {
        a.Request.Background = ParseBackground(value);
      }
    } else if (arg.rfind("--", 0) == 0) {
      throw EConvertError("unknown option " + arg);
    } else if (a.Skin.empty()) {
      a.Skin = arg;
    } else if (a.Out.empty()) {
      a.Out = arg;
    } else {
      throw EConvertError("too many arguments");
    }
  }
  if (a.Skin.empty() || a.Out.empty()) throw EConvertError("render needs a skin and an output file");
  if (a.Request.Section.empty()) throw EConvertError("render needs --section NAME");
  if (!haveSize) throw EConvertError("render needs --size WxH");
  return a;
}

TColor DefaultRenderBackground(const TacSkinModel& sm) {
  const int dialog = sm.GetSkinIndex("DIALOG");
  if (dialog >= 0) return ColorToRGB(sm.gd[size_t(dialog)].Props[0].Color);
  const TColor global = sm.Palette[psGlobalColor];
  return global == NoColor || global == clFuchsia ? clWhite : ColorToRGB(global);
}

TBitmap32 RenderSection(const TacSkinModel& sm, const TRenderRequest& request) {
  CheckSize(request.Width, request.Height, Format("%dx%d", request.Width, request.Height));
  CheckState(request.State, Format("%d", request.State));
  int index = sm.GetSkinIndex(request.Section);
  for (size_t i = 0; index < 0 && i < sm.gd.size(); ++i)  // names typed by hand: any case
    if (SameText(sm.gd[i].ClassName, request.Section)) index = int(i);
  if (index < 0) throw EInvalidArgument("unknown section '" + request.Section + "': the skin has no such section");
  return RenderByIndex(sm, index, request.Width, request.Height, request.State, request.Background);
}

TRect SheetCell(const TacSkinModel& sm, int section, int state, bool large) {
  const TPoint o = BlockOrigin(Layout(sm), section);
  const int x = o.X + state * ColumnWidth, y = o.Y + NameHeight + StateLabelHeight;
  if (!large) return Rect(x, y, x + SheetSmallWidth, y + SheetSmallHeight);
  const int top = y + SheetSmallHeight + CellGap;
  return Rect(x, top, x + SheetLargeWidth, top + SheetLargeHeight);
}

TBitmap32 DrawSectionSheet(const TacSkinModel& sm, const String& title) {
  const TSheetLayout l = Layout(sm);
  const int width = std::max(2 * Margin + l.Columns * l.BlockWidth - BlockGap, 2 * Margin + TinyTextWidth(title));
  const int64_t height = Margin + TitleHeight + int64_t(l.Rows) * BlockHeight + Margin;
  if (height > TBitmap32::MaxDimension)
    throw EInvalidArgument(Format("%zu sections are too many for one sheet", sm.gd.size()));
  TBitmap32 sheet(width, int(height));
  sheet.Fill(SheetBackground);
  DrawTinyText(sheet, Margin, Margin, title, LabelInk);
  const TColor cellBackground = TColor(SheetBackground & 0xFFFFFF);  // grey: the same as a TColor
  for (int i = 0; i < int(sm.gd.size()); ++i) {
    const TPoint o = BlockOrigin(l, i);
    DrawTinyText(sheet, o.X, o.Y, sm.gd[size_t(i)].ClassName, LabelInk);
    for (int s = 0; s < SectionStates(sm, i); ++s) {
      DrawTinyText(sheet, o.X + s * ColumnWidth, o.Y + NameHeight, Format("STATE %d", s), 0xFF606870);
      for (bool large : {false, true}) {
        const TRect c = SheetCell(sm, i, s, large);
        const TBitmap32 cell = RenderByIndex(sm, i, c.Width(), c.Height(), s, cellBackground);
        for (int y = 0; y < cell.Height(); ++y)
          for (int x = 0; x < cell.Width(); ++x) sheet.SetPixel(c.Left + x, c.Top + y, cell.Pixel(x, y) | 0xFF000000);
      }
    }
  }
  return sheet;
}
