// Compositing of captions, glows and glyphs over a finished background: the
// blur of glow masks, the text and glow passes (the platform renders the
// text itself through a callback), button glyph strips, images with
// per-pixel alpha, keyed copies, the drop-down arrow and text cutting.
#pragma once
#include "paint/acPixelView.h"

#include <functional>
#include <string>

class TacSkinModel;

// Gaussian blur of an 8-bit mask with a kernel cut where its tails sum under
// 1/510; integer taps summing exactly to 65536, so a flat 255 area stays 255.
// Radius 0 or less leaves the mask unchanged.
void BlurMask8(TCoverage8& mask, int radius);

// Renders text black on white into a grey mask at rect.
using TMaskTextRenderer = std::function<void(TCoverage8& mask, const TRect& rect)>;
// Renders text black on white into a 32-bit picture at rect.
using TTextRenderer = std::function<void(const TPixelView& bmp, const TRect& rect)>;

// Side flags of TextGlow.
constexpr int gsLeft = 1, gsTop = 2, gsRight = 4, gsBottom = 8, gsAll = 15;

// The glow behind a text at r: the mask (kept by the caller and re-rendered
// only when its size changes) is the text drawn at r + (1, 1) grown by
// size + 4, once for each side in sides moved one pixel that way and once in
// place, blurred by size; every mask value v under 255 then colours the pixel
// below it: c = glow + (c - glow) x v div 255, alpha += (255 - alpha) x (255 - v) div 255.
void TextGlow(const TPixelView& bmp, const TRect& r, TCoverage8& glowMask, TColor color, int size, int sides,
              const TMaskTextRenderer& render);

// One coloured pass of a caption: the renderer draws the text black on a
// white picture of r's size; every picture pixel that is not white covers
// the target pixel in r: c = ((c - colour) x t + colour x 256) >> 8, t the
// picture's channel, alpha 255.
void WriteTextPass(const TPixelView& bmp, const TRect& r, TColor color, const TTextRenderer& render);
// The passes of WriteText32 of a section: for an enabled caption the outline
// colours that are not -1 at r moved left, up, right and down, then the main
// colour; disabled, the main colour only. An invalid section gives one pass
// in fontColor. Colours are not hue-shifted here.
void WriteText32(const TPixelView& bmp, bool enabled, const TacSkinModel* model, bool state, int skinIndex,
                 const TRect& r, TColor fontColor, const TTextRenderer& render);

// Source pixels other than the transparent pixel (compared on red, green,
// blue: 24-bit sources carry no alpha) replace the destination at (x, y)
// with alpha 255.
void CopyTransparent(const TPixelView& dst, const TPixelView& src, int x, uint32_t transparent, int y);

// Disabled-glyph kinds.
enum TsDisabledGlyphKindItem : unsigned { dgBlended = 1, dgGrayed = 2 };

// A button glyph from a strip of numGlyphs equal cells drawn at r's top-left
// (see the routine for the cell chosen per state). blend is a percentage.
// fourBit marks a glyph picture of 4 bits per pixel. Nothing for numGlyphs < 1.
void DrawGlyph(const TPixelView& glyph, bool fourBit, const TPixelView& dst, const TRect& r, int index, int blend,
               int glyphState, unsigned disabledKind, bool enabled, int numGlyphs);

// No colouring for DrawAlphaImage.
constexpr TColor NoTint = 0x1FFFFFFF;

// A 32-bit image whose alpha is its opacity, with an extra transparency
// blend (0..100) and an optional colouring; with reflection a mirrored,
// fading copy of its lower half below it. Rectangles are cut to both views.
void DrawAlphaImage(const TRect& dstRect, const TRect& srcRect, const TPixelView& dst, bool reflection, int blend,
                    TColor color, bool fillKey, const TCacheInfo& ci, const TPixelView& src);
// The plain form: each source pixel blended by its own alpha a:
// c = ((s - d) x a + d x 256) >> 8, alpha += a x (255 - alpha) div 255.
void CopyAlpha32(const TRect& dstRect, const TRect& srcRect, const TPixelView& dst, bool fillKey, const TCacheInfo& ci,
                 const TPixelView& src);

// Arrow directions.
constexpr int adRight = 4, adDown = 8;
// A small solid arrow of single pixels centred in r (alpha 255).
void DrawArrow(const TPixelView& bmp, TColor color, const TRect& r, int direction);

// Width of a UTF-8 text in the target's font.
using TTextWidth = std::function<int(const std::string& text)>;
// text when it fits maxWidth; else whole code points are taken off its end
// until it fits followed by "..." (nothing left: empty). maxWidth <= 0: empty.
std::string CutText(const TTextWidth& width, const std::string& text, int maxWidth);
