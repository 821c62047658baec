// Painting of skin sections without a window: one section as a control of
// a given size and state over a plain parent background, and a sheet of
// every section of a skin for people to look at.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/SysUtils.h"
#include "skin/acSkinModel.h"

#include <vector>

// Largest width or height of one rendered section.
constexpr int MaxRenderSide = 4096;

struct TRenderRequest {
  String Section;
  int Width = 0;
  int Height = 0;
  int State = 0;                  // above the section's last state: the last
  TColor Background = clFuchsia;  // clFuchsia: DefaultRenderBackground
};

// Arguments of "render" after the command word.
struct TRenderArgs {
  String Skin;
  String Out;
  TRenderRequest Request;
};

// EConvertError with a readable message for a malformed or missing value.
TRenderArgs ParseRenderArgs(const std::vector<String>& args);

// The colour of a control's parent when none is given: the normal colour of
// "DIALOG", else the skin's global colour, else white.
TColor DefaultRenderBackground(const TacSkinModel& sm);

// The section painted into a cache of the request's size (fresh caches are
// white with alpha 0) with PaintSectionByIndex, the background being a plain
// parent colour. EInvalidArgument for an unknown section, a size outside
// 1..MaxRenderSide or a negative state.
TBitmap32 RenderSection(const TacSkinModel& sm, const TRenderRequest& request);

// ---- the sheet: every section in each state at two sizes, labelled
constexpr int SheetSmallWidth = 64, SheetSmallHeight = 24;
constexpr int SheetLargeWidth = 160, SheetLargeHeight = 60;
constexpr uint32_t SheetBackground = 0xFFC4C4C4;  // neutral grey, opaque

// Where the cell of section index, state and size lies on the sheet.
TRect SheetCell(const TacSkinModel& sm, int section, int state, bool large);
// At most eight states of a section are shown. Cells are painted over
// SheetBackground and shown opaque (a cache's colour is what a window shows;
// its alpha byte is not). EInvalidArgument when the sheet would be too tall.
TBitmap32 DrawSectionSheet(const TacSkinModel& sm, const String& title);
