#include "paint/sSkinPaint.h"

#include "paint/sGradient.h"
#include "paint/sGraphUtils.h"
#include "paint/sMaskDraw.h"

#include <algorithm>

namespace {

// What the item's own layer is made of.
struct TLayer {
  TColor Color = 0;
  int Transparency = 0;  // of the section, 0..100
  int Gradient = 0;      // GradientPercent, 0..100
  int Image = 0;         // ImagePercent, 0..100
  int Mask = -1;         // texture mask (MaskType 0), -1 none
  int Pattern = -1;      // pattern picture, -1 none
  const TsGradArray* Pieces = nullptr;
  // Set for the record-field form: no mixing with the colour behind; this
  // colour fills the item when G + I is 0, and over everything above 100.
  bool Plain = false;
  TColor PlainColor = 0;
};

bool Known(const TCacheInfo& ci) { return ci.Ready || ci.FillColor != clFuchsia; }

// The background pixels under r, copied from ci.Bmp.
void CopyBackground(const TPixelView& bmp, const TRect& part, const TRect& r, TPoint pos, const TCacheInfo& ci) {
  if (part.IsEmpty()) return;
  CopyRect32(bmp, part.Left, part.Top, ci.Bmp, OffsetRect(part, ci.X + pos.X - r.Left, ci.Y + pos.Y - r.Top));
}

// A colour background whose parent still shows its border band there: the
// band's strips come from the parent's bitmap, the rest is the colour.
void FillWithBand(const TPixelView& bmp, const TRect& r, TPoint pos, const TCacheInfo& ci) {
  int ls = 0, ts = 0, rs = 0, bs = 0;
  if (!ci.Bmp.Empty()) {
    const TRect q = Rect(pos.X, pos.Y, pos.X + r.Width(), pos.Y + r.Height());
    const TRect& band = ci.FillRect;
    const int w = ci.Bmp.Width, h = ci.Bmp.Height;
    if (band.Left - ci.X > 0 && band.Left > q.Left) ls = std::min(band.Left - q.Left, r.Width());
    if (band.Top - ci.Y > 0 && band.Top > q.Top) ts = std::min(band.Top - q.Top, r.Height());
    if (band.Right > 0 && q.Right > w - band.Right && q.Right <= w) rs = std::min(q.Right - (w - band.Right), r.Width());
    if (band.Bottom > 0 && q.Bottom > h - band.Bottom && q.Bottom <= h)
      bs = std::min(q.Bottom - (h - band.Bottom), r.Height());
    CopyBackground(bmp, Rect(r.Left, r.Top, r.Left + ls, r.Bottom), r, pos, ci);
    CopyBackground(bmp, Rect(r.Left, r.Top, r.Right, r.Top + ts), r, pos, ci);
    CopyBackground(bmp, Rect(r.Right - rs, r.Top, r.Right, r.Bottom), r, pos, ci);
    CopyBackground(bmp, Rect(r.Left, r.Bottom - bs, r.Right, r.Bottom), r, pos, ci);
  }
  FillRect32(bmp, Rect(r.Left + ls, r.Top + ts, r.Right - rs, r.Bottom - bs), ci.FillColor, 0xFF);
}

// The gradient of the layer, or its colour when it has no pieces this
// platform-free code can paint.
void PaintGradientOrColor(const TPixelView& t, const TRect& r, const TLayer& l) {
  if (!l.Pieces || !PaintGradient(t, r, *l.Pieces)) FillRect32(t, r, l.Color, 0xFF);
}

// The item's own layer into r of t.
void PaintBGLayers(const TPixelView& t, const TRect& r, const TLayer& l, const TCacheInfo& ci, const TacSkinModel& sm) {
  const int g = l.Gradient, i = l.Image;
  const bool validMask = sm.IsValidImgIndex(l.Mask);
  // Gradient and texture together in one pass.
  if (g + i == 100 && g >= 1 && g <= 99 && validMask && sm.ma[size_t(l.Mask)].DrawMode == 0 && l.Pieces &&
      !l.Pieces->empty() && (*l.Pieces)[0].Mode1 < 2) {
    const TsMaskData& md = sm.ma[size_t(l.Mask)];
    PaintGradientTexture(t, r, *l.Pieces, PercentToWeightDiv(i), md.R, MaskSource(md));
    return;
  }
  bool textured = false;
  if (i > 0) {
    TRect w = r;
    if (l.Pattern >= 0 && l.Pattern < int(sm.pa.size()) && sm.pa[size_t(l.Pattern)].Img) {
      TileGraphic(t, w, TPixelView::ReadOnly(*sm.pa[size_t(l.Pattern)].Img));
      w = NoRemainder;
      textured = true;
    } else if (validMask) {
      const TsMaskData& md = sm.ma[size_t(l.Mask)];
      if (md.MaskType != 0)
        TileMaskedTexture(t, w, ci, DrawModeTable(md.DrawMode), md);
      else
        TileTexture(t, w, md, DrawModeTable(md.DrawMode));
      textured = true;
    }
    if (!(w == NoRemainder)) FillRect32(t, w, l.Color, 0xFF);
  }
  if (g > 0) {
    if (textured) {
      TBitmap32 temp = CreateBmp32(r.Width(), r.Height());
      if (!temp.Empty()) {
        PaintGradientOrColor(temp, Rect(0, 0, temp.Width(), temp.Height()), l);
        BlendBitmapRect(t, temp, PercentToWeightDiv(i), Point(r.Left, r.Top), Rect(0, 0, temp.Width(), temp.Height()));
      }
    } else {
      PaintGradientOrColor(t, r, l);
    }
  }
  if (l.Plain) {
    if (g + i == 0 || g + i > 100)
      FillRect32(t, r, l.PlainColor, 0xFF);
    else if (g + i <= 99)
      BlendColorRect(t, r, g + i, l.Color);
    return;
  }
  if (g + i >= 1 && g + i <= 99) {
    BlendColorRect(t, r, g + i, l.Color);
  } else if (g + i == 0) {
    TColor c = l.Color;
    // Mixed with the colour behind only when there is one (clFuchsia is none).
    if (!ci.Ready && l.Transparency != 0 && l.Transparency != 100 && ci.FillColor != clFuchsia)
      c = MixColors(l.Color, ci.FillColor, l.Transparency);
    FillRect32(t, r, c, 0xFF);
  }
}

}  // namespace

void PaintSectionBG(int skinIndex, const String& skinSection, const TCacheInfo& ci, int state, const TRect& r,
                    TPoint pos, const TPixelView& bmp, const TacSkinModel* sm, int texture, int hotTexture,
                    TColor customColor) {
  if (!sm || !sm->IsValidSkinIndex(skinIndex) || bmp.Empty() || r.IsEmpty()) return;
  const TsGeneralData& gd = sm->gd[size_t(skinIndex)];
  const int s = PropsIndex(state, gd.States);
  const TsGenState& props = gd.Props[size_t(s)];
  TLayer l;
  int textureIndex = texture;
  if (customColor == clFuchsia) {
    l.Color = props.Color;
    l.Transparency = ClampPercent(props.Transparency);
    if (l.Transparency != 100) {
      l.Image = ClampPercent(props.ImagePercent);
      l.Gradient = ClampPercent(props.GradientPercent);
    }
    if (l.Image > 0) {
      if (textureIndex < 0) textureIndex = props.TextureIndex;
      if (textureIndex < 0) textureIndex = sm->GetMaskIndex(skinIndex, skinSection, "PATTERN");
      if (sm->IsValidImgIndex(textureIndex)) {
        if (sm->ma[size_t(textureIndex)].MaskType == 0) l.Mask = textureIndex;  // masked ones are the overlay's
      } else {
        l.Pattern = sm->GetPatternIndex(skinIndex, skinSection, "PATTERN");
      }
    }
    if (l.Gradient != 0) l.Pieces = &props.GradientArray;
  } else {
    l.Color = customColor;
  }

  const TRect rc = r;
  if (Known(ci)) {
    const int t = l.Transparency;
    const bool ownBmp = ci.Bmp == bmp;
    if (t == 100) {
      if (ci.Ready && !ci.Bmp.Empty()) {
        if (!ownBmp) CopyBackground(bmp, rc, rc, pos, ci);
      } else {
        FillWithBand(bmp, rc, pos, ci);
      }
    } else if (t > 0 && (ci.Ready || l.Gradient + l.Image > 0)) {
      TBitmap32 temp = CreateBmp32(rc.Width(), rc.Height());
      if (!temp.Empty()) {
        TCacheInfo tempCI = ci;
        tempCI.X += pos.X - rc.Left, tempCI.Y += pos.Y - rc.Top;
        PaintBGLayers(temp, Rect(0, 0, temp.Width(), temp.Height()), l, tempCI, *sm);
        if (!ci.Ready)
          FillRect32(bmp, rc, ci.FillColor, 0xFF);
        else if (!ownBmp)
          CopyBackground(bmp, rc, rc, pos, ci);
        // T % of the background shows through.
        BlendBitmapRect(bmp, temp, PercentToWeight(t), Point(rc.Left, rc.Top), Rect(0, 0, temp.Width(), temp.Height()));
      }
    } else if (t > 0) {
      FillRect32(bmp, rc, MixColors(ci.FillColor, l.Color, t), 0xFF);
    } else {
      PaintBGLayers(bmp, rc, l, ci, *sm);
    }
  } else {
    PaintBGLayers(bmp, rc, l, ci, *sm);
  }

  // A texture with a mask part is laid over everything (draw mode 10).
  const int overlay = (s == 0 && textureIndex != -1) ? textureIndex : hotTexture;
  if (sm->IsValidImgIndex(overlay)) {
    const TsMaskData& md = sm->ma[size_t(overlay)];
    if (md.MaskType > 0 && md.DrawMode == 10) {
      TCacheInfo shifted = ci;
      shifted.X += pos.X, shifted.Y += pos.Y;
      TRect w = rc;
      TileMaskedTexture(bmp, w, shifted, 10, md);
    }
  }
}

void PaintSectionWithBorder(int skinIndex, int borderIndex, int texture, const TacSkinModel* sm, const TPixelView& bmp,
                            TPoint pos, const TRect& r, int state, const TCacheInfo& ci, const String& skinSection,
                            int hotTexture) {
  if (!sm || !sm->IsValidSkinIndex(skinIndex) || bmp.Empty() || r.IsEmpty()) return;
  if (r.Left < 0 || r.Top < 0 || r.Right > bmp.Width || r.Bottom > bmp.Height) return;
  const TsGeneralData& gd = sm->gd[size_t(skinIndex)];
  state = ClampState(state, gd.States);
  const bool hot = state != 0;
  TLayer l;
  l.Color = hot ? gd.HotColor : gd.Color;
  l.Transparency = ClampPercent(hot ? gd.HotTransparency : gd.Transparency);
  l.Image = ClampPercent(hot ? gd.HotImagePercent : gd.ImagePercent);
  l.Gradient = ClampPercent(hot ? gd.HotGradientPercent : gd.GradientPercent);
  l.Pieces = hot ? &gd.HotGradientArray : &gd.GradientArray;
  const int tex = hot ? hotTexture : texture;
  if (sm->IsValidImgIndex(tex)) l.Mask = tex;
  l.Plain = true;
  l.PlainColor = (l.Transparency == 100 && !ci.Ready) ? ci.FillColor : l.Color;

  const int t = l.Transparency;
  if (t == 100 && ci.Ready && !ci.Bmp.Empty()) {
    if (!(ci.Bmp == bmp)) CopyBackground(bmp, r, r, pos, ci);
  } else if (t > 0 && t < 100 && ci.Ready) {
    TBitmap32 temp = CreateBmp32(r.Width(), r.Height());
    if (!temp.Empty()) {
      TCacheInfo tempCI = ci;
      tempCI.X += pos.X - r.Left, tempCI.Y += pos.Y - r.Top;
      PaintBGLayers(temp, Rect(0, 0, temp.Width(), temp.Height()), l, tempCI, *sm);
      if (!(ci.Bmp == bmp)) CopyBackground(bmp, r, r, pos, ci);
      BlendBitmapRect(bmp, temp, PercentToWeightDiv(t), Point(r.Left, r.Top), Rect(0, 0, temp.Width(), temp.Height()));
    }
  } else {
    PaintBGLayers(bmp, r, l, ci, *sm);
  }
  if (sm->IsValidImgIndex(borderIndex)) {
    TCacheInfo shifted = ci;
    shifted.X += pos.X, shifted.Y += pos.Y;
    DrawBorder(bmp, r, true, state, sm->ma[size_t(borderIndex)], shifted);
  }
}

void PaintSectionByIndex(int skinIndex, const String& skinSection, const TCacheInfo& ci, int state, const TRect& r,
                         TPoint pos, const TPixelView& bmp, const TacSkinModel* sm, int texture, int hotTexture) {
  if (bmp.Empty() || r.IsEmpty() || !sm || !sm->IsValidSkinIndex(skinIndex)) return;
  if (r.Left < 0 || r.Top < 0 || r.Right > bmp.Width || r.Bottom > bmp.Height) return;
  const TsGeneralData& gd = sm->gd[size_t(skinIndex)];
  state = ClampState(state, gd.States);
  PaintSectionBG(skinIndex, skinSection, ci, state, r, pos, bmp, sm, texture, hotTexture, clFuchsia);
  TCacheInfo shifted = ci;
  shifted.X += pos.X, shifted.Y += pos.Y;
  // Corner images against the picture painted so far.
  TCacheInfo self;
  self.Ready = true;
  self.Bmp = bmp;
  const int corners[4] = {gd.ImgTL, gd.ImgTR, gd.ImgBL, gd.ImgBR};
  for (int k = 0; k < 4; ++k) {
    if (!sm->IsValidImgIndex(corners[k])) continue;
    const TsMaskData& md = sm->ma[size_t(corners[k])];
    const int x = (k == 1 || k == 3) ? r.Right - ImageWidth(md) : r.Left;
    const int y = k >= 2 ? r.Bottom - ImageHeight(md) : r.Top;
    DrawMaskImage(bmp, Point(x, y), state, self, md, 1);
  }
  if (sm->IsValidImgIndex(gd.BorderIndex)) DrawBorder(bmp, r, true, state, sm->ma[size_t(gd.BorderIndex)], shifted);
}
