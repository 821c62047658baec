// libFuzzer target for the pixel routines: fuzzed bitmap sizes, rectangles,
// image records (counts, types, widths, modes), states, percentages and
// background records, every routine called in a fuzzed order. Nothing may
// crash, hang, read or write outside a bitmap, or raise (except the one
// documented error of ResampleBitmap).
#include "framework/core/SysUtils.h"
#include "paint/sGlyphUtils.h"
#include "paint/sGradient.h"
#include "paint/sGraphUtils.h"
#include "paint/sMaskDraw.h"
#include "skin/acSkinModel.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

namespace {

TBitmap32 Picture(FuzzedDataProvider& in, int maxSide) {
  TBitmap32 b(in.ConsumeIntegralInRange(0, maxSide), in.ConsumeIntegralInRange(0, maxSide));
  for (size_t i = 0; i < b.PixelCount(); ++i)
    b.Bits()[i] = in.ConsumeBool() ? KeyPixel : in.ConsumeIntegral<uint32_t>();
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  auto coord = [&] { return in.ConsumeBool() ? in.ConsumeIntegralInRange(-8, 40) : in.ConsumeIntegralInRange(-3000, 3000); };
  auto rect = [&] { return Rect(coord(), coord(), coord(), coord()); };
  auto percent = [&] { return in.ConsumeIntegralInRange(-200, 300); };

  TBitmap32 dst = Picture(in, 40), src = Picture(in, 24), bg = Picture(in, 40);
  TacSkinModel model;
  model.MasterBitmap = Picture(in, 24);
  TsMaskData md;
  md.Manager = in.ConsumeBool() ? &model : nullptr;
  if (in.ConsumeBool()) md.Bmp = std::make_unique<TBitmap32>(Picture(in, 16));
  md.R = rect();
  md.ImageCount = in.ConsumeIntegral<int16_t>();
  md.MaskType = in.ConsumeIntegralInRange<int16_t>(-3, 4);
  md.DrawMode = in.ConsumeIntegral<int16_t>();
  md.WL = in.ConsumeIntegralInRange<int16_t>(-5, 30), md.WT = in.ConsumeIntegralInRange<int16_t>(-5, 30);
  md.WR = in.ConsumeIntegralInRange<int16_t>(-5, 30), md.WB = in.ConsumeIntegralInRange<int16_t>(-5, 30);
  md.CornerType = in.ConsumeIntegralInRange<int16_t>(0, 2);
  TCacheInfo ci;
  ci.Ready = in.ConsumeBool();
  ci.Bmp = in.ConsumeBool() ? TPixelView(bg) : TPixelView();
  ci.X = coord(), ci.Y = coord();
  ci.FillColor = in.ConsumeIntegral<uint32_t>();
  TsGradArray pieces;
  try {
    ParseGradientData(in.ConsumeRandomLengthString(64), pieces);
  } catch (const EConvertError&) {
  }
  TCoverage8 mask(in.ConsumeIntegralInRange(0, 40), in.ConsumeIntegralInRange(0, 40), 255);

  const TPixelView d(dst), s(src);
  // A bounded number of calls keeps each input quick whatever its length.
  for (int calls = 0; calls < 48 && in.remaining_bytes() > 0; ++calls) {
    TRect r = rect();
    const int state = in.ConsumeIntegralInRange(-3, 6);
    switch (in.ConsumeIntegralInRange(0, 27)) {
      case 0: FillRect32(d, r, in.ConsumeIntegral<uint32_t>(), in.ConsumeIntegral<uint8_t>()); break;
      case 1: SetAlpha32(d, r, in.ConsumeIntegral<uint8_t>(), in.ConsumeIntegral<uint32_t>()); break;
      case 2: BlendColorRect(d, r, percent(), in.ConsumeIntegral<uint32_t>()); break;
      case 3: BlendBitmapRect(d, s, in.ConsumeIntegralInRange(-10, 300), Point(coord(), coord()), r); break;
      case 4: BlendBitmapKeyed(d, coord(), coord(), KeyPixel, percent(), r, s); break;
      case 5: GrayBitmapKeyed(d, KeyPixel), TintBitmap(d, in.ConsumeIntegral<uint32_t>(), percent()); break;
      case 6: ColorizeByMask(d, s, in.ConsumeIntegral<uint32_t>()); break;
      case 7: TileTexture(d, r, s, rect(), in.ConsumeIntegralInRange(-2, 22)); break;
      case 8: TileTexture(d, r, md, DrawModeTable(in.ConsumeIntegralInRange(-2, 22))); break;
      case 9: TileMaskedTexture(d, r, ci, in.ConsumeBool() ? 0 : 10, md); break;
      case 10: TileGraphic(d, r, s); break;
      case 11: StretchCopy(d, r, s, rect()); break;
      case 12: CopyKeyed(d, coord(), coord(), s, r, in.ConsumeBool(), ci); break;
      case 13: CopyMasked(d, coord(), coord(), s, r, in.ConsumeIntegralInRange(-2, 30), in.ConsumeBool(), ci); break;
      case 14: {
        DrawBorder(d, r, in.ConsumeBool(), state, md, ci);
        std::vector<TRegionCut> cuts;
        DrawBorderCutRegion(d, cuts, in.ConsumeBool(), state, md);
        for (const TRegionCut& c : cuts)
          if (c.R.Left < 0 || c.R.Top < 0 || c.R.Right > d.Width || c.R.Bottom > d.Height) __builtin_trap();
        break;
      }
      case 15:
        StretchMasked(coord(), coord(), coord(), coord(), in.ConsumeBool(), in.ConsumeIntegralInRange(-2, 30), s,
                      coord(), coord(), coord(), coord(), d);
        break;
      case 16: DrawMaskImage(d, Point(coord(), coord()), state, ci, md, in.ConsumeIntegralInRange(0, 2)); break;
      case 17: UpdateCornerPixels(d, md, state, in.ConsumeIntegralInRange(0, 15), ci); break;
      case 18: FillBorder32(d, r, coord(), 0xFF, coord(), coord(), coord()); break;
      case 19: CopyBorderBands(d, coord(), coord(), coord(), coord(), coord(), s, coord(), coord()); break;
      case 20: {
        TBitmap32 out;
        try {
          ResampleBitmap(s, out, in.ConsumeIntegralInRange(-2, 64), in.ConsumeIntegralInRange(-2, 9),
                         in.ConsumeIntegralInRange(-2, 64));
        } catch (const EInvalidArgument&) {
        }
        break;
      }
      case 21:
        PaintGradient(d, r, pieces);
        PaintGradientTexture(d, rect(), pieces, in.ConsumeIntegralInRange(-10, 300), r, s);
        break;
      case 22: BlurMask8(mask, in.ConsumeIntegralInRange(-2, 200)); break;
      case 23:  // glow boxes cost their area times the blur: keep them caption-sized
        r = Rect(in.ConsumeIntegralInRange(-20, 40), in.ConsumeIntegralInRange(-20, 40), in.ConsumeIntegralInRange(-20, 200),
                 in.ConsumeIntegralInRange(-20, 60));
        TextGlow(d, r, mask, in.ConsumeIntegral<uint32_t>(), in.ConsumeIntegralInRange(-3, 12), 15,
                 [](TCoverage8& m, const TRect& at) {
                   const TRect c = IntersectRect(at, Rect(0, 0, m.Width(), m.Height()));
                   for (int y = c.Top; y < c.Bottom; ++y)
                     for (int x = c.Left; x < c.Right; ++x) m.At(x, y) = 0;
                 });
        break;
      case 24:
        DrawGlyph(s, in.ConsumeBool(), d, r, in.ConsumeIntegralInRange(-3, 8), percent(), in.ConsumeIntegralInRange(-1, 5),
                  in.ConsumeIntegralInRange(0, 3), in.ConsumeBool(), in.ConsumeIntegralInRange(-2, 30));
        break;
      case 25:
        DrawAlphaImage(r, rect(), d, in.ConsumeBool(), percent(), in.ConsumeBool() ? NoTint : 0x336699, in.ConsumeBool(),
                       ci, s);
        CopyAlpha32(rect(), r, d, in.ConsumeBool(), ci, s);
        break;
      case 26: DrawArrow(d, 0x00FF00, r, in.ConsumeBool() ? adDown : adRight); break;
      default: PaintDisabledLook(d, in.ConsumeIntegralInRange(0, 3), 0x808080, Point(coord(), coord()), ci); break;
    }
  }
  return 0;
}
