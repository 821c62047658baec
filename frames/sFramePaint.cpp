#include "frames/sFramePaint.h"

#include "paint/sGlyphUtils.h"
#include "paint/sGraphUtils.h"
#include "paint/sMaskDraw.h"
#include "paint/sSkinPaint.h"

#include <algorithm>

namespace {

// Key pixels of a top-level form's frame corners: nothing lies behind the
// window in its own cache (the region's runs are cleared afterwards).
TCacheInfo TransparentCorners() {
  TCacheInfo ci;
  ci.FillColor = 0;
  return ci;
}

// A view of the part r of v (r clipped to v); empty when nothing is left.
TPixelView SubView(const TPixelView& v, const TRect& r) {
  const TRect c = ClipRectToView(r, v);
  if (c.IsEmpty() || v.Empty()) return TPixelView();
  return TPixelView(v.Row(c.Top) + c.Left, c.Width(), c.Height(), v.Stride);
}

// Background, corner images and border of a section over r; the border's
// key pixels become transparent.
void PaintSection(const TacSkinModel& sm, int skinIndex, const String& section, int state, const TRect& r,
                  const TPixelView& bmp) {
  if (!sm.IsValidSkinIndex(skinIndex) || r.IsEmpty()) return;
  const TsGeneralData& gd = sm.gd[size_t(skinIndex)];
  state = ClampState(state, gd.States);
  PaintSectionBG(skinIndex, section, TCacheInfo(), state, r, Point(0, 0), bmp, &sm, -1, -1);
  TCacheInfo self;
  self.Ready = true;
  self.Bmp = bmp;
  const int corners[4] = {gd.ImgTL, gd.ImgTR, gd.ImgBL, gd.ImgBR};
  for (int k = 0; k < 4; ++k) {
    if (!sm.IsValidImgIndex(corners[k])) continue;
    const TsMaskData& md = sm.ma[size_t(corners[k])];
    const int x = (k == 1 || k == 3) ? r.Right - ImageWidth(md) : r.Left;
    const int y = k >= 2 ? r.Bottom - ImageHeight(md) : r.Top;
    DrawMaskImage(bmp, Point(x, y), state, self, md, 1);
  }
  if (sm.IsValidImgIndex(gd.BorderIndex)) DrawBorder(bmp, r, true, state, sm.ma[size_t(gd.BorderIndex)], TransparentCorners());
}

int SectionPaintState(const TacFrameLayout& layout, int skinIndex) {
  const TacSkinModel* sm = layout.Skin;
  const int states = sm && sm->IsValidSkinIndex(skinIndex) ? sm->gd[size_t(skinIndex)].States : 1;
  return ClampState(layout.Wnd.Active ? 1 : 0, states);
}

// The border width of a mask record (own width, else BorderWidth, else the frame size).
int MaskBorderWidth(const TsMaskData& md) {
  if (md.WL > 0) return md.WL;
  if (md.BorderWidth > 0) return md.BorderWidth;
  return ImageWidth(md);
}

// Runs of exact 0xFF00FF in one corner area of a mask cell, moved to the window.
void ScanCorner(const TPixelView& src, int cellX, int cellY, const TRect& area, int dx, int dy,
                std::vector<TRect>& out) {
  for (int y = area.Top; y < area.Bottom; ++y) {
    const int sy = cellY + y;
    if (sy < 0 || sy >= src.Height) continue;
    const uint32_t* row = src.Row(sy);
    int x = area.Left;
    while (x < area.Right) {
      const int sx = cellX + x;
      const bool key = sx >= 0 && sx < src.Width && (row[sx] & 0xFFFFFF) == 0xFF00FF;
      if (!key) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < area.Right && cellX + x < src.Width && (row[cellX + x] & 0xFFFFFF) == 0xFF00FF) ++x;
      out.push_back(Rect(start + dx, y + dy, x + dx, y + dy + 1));
    }
  }
}

void ScanMaskCorners(const TacSkinModel& sm, int maskIndex, bool bottoms, int width, int height,
                     std::vector<TRect>& out) {
  if (!sm.IsValidImgIndex(maskIndex)) return;
  const TsMaskData& md = sm.ma[size_t(maskIndex)];
  const TPixelView src = MaskSource(md);
  const int w = ImageWidth(md), h = ImageHeight(md);
  if (src.Empty() || w <= 0 || h <= 0) return;
  const int wl = std::min<int>(std::max<int>(md.WL, 0), w), wr = std::min<int>(std::max<int>(md.WR, 0), w);
  const int wt = std::min<int>(std::max<int>(md.WT, 0), h), wb = std::min<int>(std::max<int>(md.WB, 0), h);
  const int cx = md.R.Left, cy = md.R.Top;  // the first state picture
  ScanCorner(src, cx, cy, Rect(0, 0, wl, wt), 0, 0, out);
  ScanCorner(src, cx, cy, Rect(w - wr, 0, w, wt), width - w, 0, out);
  if (bottoms) {
    ScanCorner(src, cx, cy, Rect(0, h - wb, wl, h), 0, height - h, out);
    ScanCorner(src, cx, cy, Rect(w - wr, h - wb, w, h), width - w, height - h, out);
  }
}

}  // namespace

// ---- caption text

TacCaptionTextLayout CalcCaptionText(const TacFrameLayout& layout) {
  TacCaptionTextLayout t;
  const TacFrameWindow& wnd = layout.Wnd;
  const TacSkinModel* sm = layout.Skin;
  if (layout.CaptionHeight() <= 0 || !wnd.DrawNonClientArea) return t;
  int left = layout.FrameWidth() + (layout.IconVisible() ? layout.IconWidth() : 0) +
             (sm ? sm->CommonSkinData.BILeftMargin : 0) + 4 + (layout.CaptionSkinIndex() >= 0 ? 2 : 0);
  int right = layout.CacheSize().X - layout.ButtonsAreaWidth() - 12;
  if (layout.HasTitleBar) {
    left = layout.TitleBarRect.Left + 8;
    right = std::min(right, layout.TitleBarRect.Right - 8);
  }
  if (right <= left) return t;
  const int areaRight = right;
  const int tw = wnd.ShowMainCaption ? std::max(wnd.CaptionTextWidth, 0) : 0;
  const int th = std::max(wnd.CaptionTextHeight, 0);
  const int aw = std::max(wnd.AddedTextWidth, 0);
  TacAlignment align = wnd.CaptionAlignment;
  if (wnd.RightToLeft && align != TacAlignment::taCenter)
    align = align == TacAlignment::taLeftJustify ? TacAlignment::taRightJustify : TacAlignment::taLeftJustify;
  if (align == TacAlignment::taRightJustify) {
    const int need = tw + aw + 4;
    if (need <= right - left) left = right - need;
  } else if (align == TacAlignment::taCenter) {
    left = std::max(left, left + (right - left - tw - aw - 4) / 2);
    right = std::min(left + tw, right);
  }
  const int top = layout.VCenter - th / 2;
  t.Text = Rect(left, top, right, top + th);
  t.Flags = acDT_SINGLELINE | acDT_VCENTER | acDT_NOPREFIX | acDT_END_ELLIPSIS | (wnd.RightToLeft ? acDT_CAPTION_RTL : 0);
  t.Draw = !t.Text.IsEmpty();
  // The added title follows the caption and never leaves the text area.
  if (aw > 0 && t.Draw) {
    const int at = t.Text.Left + std::min(tw, t.Text.Width()) + (tw > 0 ? 4 : 0);
    const TRect added = Rect(at, top, std::min(at + aw, areaRight), top + th);
    if (!added.IsEmpty()) t.Added = added;
  }
  const int ti = layout.TitleSkinIndex();
  if (sm && sm->IsValidSkinIndex(ti)) {
    const TsGeneralData& gd = sm->gd[size_t(ti)];
    const bool hot = SectionPaintState(layout, ti) > 0;
    t.GlowSize = hot ? gd.HotGlowSize : gd.GlowSize;
    t.GlowColor = hot ? gd.HotGlowColor : gd.GlowColor;
    t.FontColor = gd.Props[hot ? 1 : 0].FontColor.Color;
    const TColor c = wnd.AddedTextColor;
    if (c == acclDefault || c == acclWindowText)
      t.AddedFontColor = wnd.Active ? gd.HotFontColor.Color : gd.FontColor.Color;
    else
      t.AddedFontColor = wnd.Active ? c : MixColors(c, gd.FontColor.Color, 50);
  }
  return t;
}

// ---- region

std::vector<TRect> CalcCornerRects(const TacFrameLayout& layout) {
  std::vector<TRect> out;
  const TacSkinModel* sm = layout.Skin;
  if (!sm) return out;
  const int w = layout.CaptionWidth(), h = layout.Wnd.Height;
  if (w <= 0 || h <= 0) return out;
  if (sm->IsValidSkinIndex(layout.SkinIndex()))
    ScanMaskCorners(*sm, sm->gd[size_t(layout.SkinIndex())].BorderIndex, true, w, h, out);
  if (sm->IsValidSkinIndex(layout.TitleSkinIndex()) && layout.CaptionHeight() > 0)
    ScanMaskCorners(*sm, sm->gd[size_t(layout.TitleSkinIndex())].BorderIndex, false, w, h, out);
  return out;
}

std::array<TRect, 4> CopyFrameStrips(const TacFrameLayout& layout) {
  const TacFrameWindow& wnd = layout.Wnd;
  const int w = std::max(layout.CaptionWidth(), 0), h = std::max(wnd.Height, 0);
  int bw = layout.BorderWidth(), bh = layout.BorderHeight();
  int top = layout.CaptionHeight() > 0 ? layout.HeaderHeight() : bh;
  if (layout.CaptionHeight() <= 0 && !layout.HasFrame() && wnd.WsThickFrame) top = bw = bh = layout.BorderWidth() + 3;
  top = std::min(top, h);
  bw = std::min(bw, w / 2);
  bh = std::min(bh, h - top);
  return {Rect(0, 0, w, top), Rect(0, top, bw, h), Rect(bw, h - bh, w - bw, h), Rect(w - bw, top, w, h)};
}

TacFrameRegion MakeFrameRegion(const TacFrameLayout& layout, bool inMenu) {
  TacFrameRegion r;
  const TacFrameWindow& wnd = layout.Wnd;
  if (inMenu) {
    r.Keep = true;
    r.Remove = false;
    return r;
  }
  if (!wnd.DrawNonClientArea || (!layout.HasFrame() && !wnd.WsThickFrame && !wnd.Minimized)) return r;
  const int w = layout.CaptionWidth(), h = wnd.Height;
  if (w <= 0 || h <= 0) return r;
  r.Remove = false;
  if (wnd.Maximized && !wnd.HasConstraints) {
    const int f = layout.FrameWidth();
    r.Bounds = Rect(f, f, std::max(f, w - f), std::max(f, h - f));
    return r;
  }
  r.Bounds = Rect(0, 0, w, h);
  r.Cuts = CalcCornerRects(layout);
  return r;
}

// ---- painter

TCacheInfo TacFramePainter::ClientBackground(const TacFrameLayout& layout, const TPixelView& cache) {
  TCacheInfo ci;
  if (cache.Empty()) return ci;
  ci.Bmp = cache;
  ci.X = layout.OffsetX();
  ci.Y = layout.OffsetY();
  ci.Ready = true;
  return ci;
}

void TacFramePainter::DropGlows() {
  FGlow1 = TCoverage8();
  FGlow2 = TCoverage8();
  FGlowText1 = FGlowText2 = TRect();
}

bool TacFramePainter::PaintFrameCache(TacFrameLayout& layout, const TPixelView& cache, const TacFrameHooks& hooks) {
  const TacSkinModel* sm = layout.Skin;
  if (!sm || !sm->IsValidSkinIndex(layout.SkinIndex()) || cache.Empty()) return false;
  // 1. Size.
  const TPoint size = layout.CacheSize();
  if (size.X != cache.Width || size.Y != cache.Height) return false;
  // 2. Layout.
  if (BGChanged) {
    layout.CalcItems();
    RgnChanged = true;
  }
  // 3. Background of the whole window.
  const int state = layout.PaintState();
  const TRect all = cache.Bounds();
  const TsGeneralData& gd = sm->gd[size_t(layout.SkinIndex())];
  if (layout.Wnd.PlainColor) {
    FillRect32(cache, all, layout.FormColor(), 255);
    if (sm->IsValidImgIndex(gd.BorderIndex))
      DrawBorder(cache, all, true, state, sm->ma[size_t(gd.BorderIndex)], TransparentCorners());
  } else if (layout.HasFrame() || layout.Wnd.IsChild) {
    PaintSection(*sm, layout.SkinIndex(), layout.SkinSection, state, all, cache);
  } else {
    PaintSectionBG(layout.SkinIndex(), layout.SkinSection, TCacheInfo(), state, all, Point(0, 0), cache, sm, -1, -1);
  }
  // 4. Size grip.
  PaintGrip(layout, cache);
  // 5. The cache is the client controls' background (ClientBackground).
  // 6. Title background, icon and title-bar mask.
  PaintTitleBackground(layout, cache, hooks);
  // What the window region cuts away is transparent in the cache too.
  if (!layout.Wnd.Maximized && cache.Height == layout.Wnd.Height)
    for (const TRect& cut : CalcCornerRects(layout)) FillRect32(cache, cut, 0, 0);
  // 7-8. Main-menu line and MDI area: not used by this program.
  // 9. Caption text.
  PaintCaptionText(layout, cache, hooks);
  // 10. Strip under the buttons, then the buttons.
  if (layout.CaptionHeight() > 0 && layout.Wnd.DrawNonClientArea) {
    SaveButtonStrip(layout, cache);
    DrawCaptionButtons(layout, cache, hooks);
  }
  // 11. Done; the form's own paint handler draws over the client part.
  MenuChanged = false;
  BGChanged = false;
  if (hooks.PaintClient) hooks.PaintClient(cache, Point(layout.OffsetX(), layout.OffsetY()));
  FirstInitialized = true;
  return true;
}

void TacFramePainter::PaintGrip(const TacFrameLayout& layout, const TPixelView& cache) {
  const TRect g = layout.GripRect();
  if (g.IsEmpty() || !layout.Skin) return;
  const int index = layout.Skin->ConstData.GripRightBottom;
  TCacheInfo self;
  self.Ready = true;
  self.Bmp = cache;
  DrawMaskImage(cache, Point(g.Left, g.Top), 0, self, layout.Skin->ma[size_t(index)], 1);
}

void TacFramePainter::PaintTitleBackground(const TacFrameLayout& layout, const TPixelView& cache,
                                           const TacFrameHooks& hooks) {
  const TacSkinModel* sm = layout.Skin;
  if (!sm || cache.Empty() || layout.CaptionHeight() <= 0 || !layout.Wnd.DrawNonClientArea) return;
  const int ti = layout.TitleSkinIndex();
  const bool minimizedTitle = layout.Wnd.Minimized;
  const TRect title = minimizedTitle ? cache.Bounds()
                                     : IntersectRect(Rect(0, 0, cache.Width, layout.FrameWidth() + layout.CaptionHeight()),
                                                     cache.Bounds());
  PaintSection(*sm, ti, layout.TitleSkin.empty() ? String("FORMTITLE") : layout.TitleSkin,
               SectionPaintState(layout, ti), title, cache);
  PaintTitleIcon(layout, cache, hooks);
  if (layout.Wnd.HasSystemMenu && layout.Wnd.BorderIcons.SystemMenu) {
    const int bar = sm->GetMaskIndex(layout.SkinIndex(), layout.SkinSection, "TITLEBAR");
    if (sm->IsValidImgIndex(bar)) {
      const TsMaskData& md = sm->ma[size_t(bar)];
      const int cw = layout.CaptionWidth();
      const TRect r = Rect(cw - (2 * MaskBorderWidth(md) + layout.ButtonsAreaWidth()), 0, cache.Width,
                           layout.FrameWidth() + layout.CaptionHeight());
      DrawBorder(cache, r, true, layout.PaintState(), md, TransparentCorners());
    }
  }
}

void TacFramePainter::PaintTitleIcon(const TacFrameLayout& layout, const TPixelView& cache, const TacFrameHooks& hooks) {
  if (!layout.IconVisible() || !hooks.DrawTitleIcon) return;
  const TRect r = ClipRectToView(layout.FIconRect, cache);
  if (r.IsEmpty()) return;
  std::vector<uint32_t> before(size_t(r.Width()) * size_t(r.Height()));
  for (int y = 0; y < r.Height(); ++y)
    std::copy_n(cache.Row(r.Top + y) + r.Left, r.Width(), before.begin() + ptrdiff_t(y) * r.Width());
  hooks.DrawTitleIcon(cache, layout.FIconRect);
  // The system's icon drawing leaves alpha 0: what it changed becomes opaque.
  for (int y = 0; y < r.Height(); ++y) {
    uint32_t* d = cache.Row(r.Top + y) + r.Left;
    const uint32_t* b = before.data() + ptrdiff_t(y) * r.Width();
    for (int x = 0; x < r.Width(); ++x)
      if ((d[x] & 0xFFFFFF) != (b[x] & 0xFFFFFF)) d[x] |= 0xFF000000;
  }
}

void TacFramePainter::PaintCaptionText(const TacFrameLayout& layout, const TPixelView& cache,
                                       const TacFrameHooks& hooks) {
  const TacCaptionTextLayout t = CalcCaptionText(layout);
  if (!t.Draw || !hooks.DrawCaptionText || cache.Empty()) return;
  // Every pass (glow, outline copies, text) stays inside the title between
  // the left frame and the end of the text area.
  const int areaRight = layout.CacheSize().X - layout.ButtonsAreaWidth() - 12;
  const TRect clip = Rect(layout.FrameWidth(), 0, areaRight, layout.FrameWidth() + layout.CaptionHeight());
  const TPixelView v = SubView(cache, clip);
  if (v.Empty()) return;
  const TRect c = ClipRectToView(clip, cache);
  const TRect text = OffsetRect(t.Text, -c.Left, -c.Top);
  auto draw = [&](bool added) {
    return [&hooks, &t, added](const TPixelView& picture, const TRect& rect) {
      hooks.DrawCaptionText(picture, rect, t.Flags, added);
    };
  };
  if (t.GlowSize > 0) {
    const TTextRenderer render = draw(false);
    const TMaskTextRenderer maskRender = [&render](TCoverage8& mask, const TRect& rect) {
      TBitmap32 pic = CreateBmp32(rect.Width(), rect.Height());
      if (pic.Empty()) return;
      render(TPixelView(pic), Rect(0, 0, pic.Width(), pic.Height()));
      for (int y = 0; y < pic.Height(); ++y) {
        const int my = rect.Top + y;
        if (my < 0 || my >= mask.Height()) continue;
        for (int x = 0; x < pic.Width(); ++x) {
          const int mx = rect.Left + x;
          if (mx < 0 || mx >= mask.Width()) continue;
          const uint8_t g = uint8_t(pic.Pixel(x, y) >> 8);
          mask.At(mx, my) = std::min(mask.At(mx, my), g);
        }
      }
    };
    TCoverage8& glow = layout.Wnd.Active ? FGlow1 : FGlow2;
    TRect& keptText = layout.Wnd.Active ? FGlowText1 : FGlowText2;
    uint32_t& keptFlags = layout.Wnd.Active ? FGlowFlags1 : FGlowFlags2;
    if (!(keptText == t.Text) || keptFlags != t.Flags) glow = TCoverage8();
    keptText = t.Text;
    keptFlags = t.Flags;
    TextGlow(v, text, glow, t.GlowColor, t.GlowSize, gsAll, maskRender);
  }
  const int ti = layout.TitleSkinIndex();
  const bool hot = SectionPaintState(layout, ti) > 0;
  WriteText32(v, true, layout.Skin, hot, ti, text, t.FontColor, draw(false));
  if (!t.Added.IsEmpty()) WriteTextPass(v, OffsetRect(t.Added, -c.Left, -c.Top), t.AddedFontColor, draw(true));
}

void TacFramePainter::SaveButtonStrip(const TacFrameLayout& layout, const TPixelView& cache) {
  const int w = layout.FrameWidth() + layout.ButtonsAreaWidth() + 10;
  const int h = layout.FrameWidth() + layout.CaptionHeight();
  // One column more than the strip's width, so that a button touching the
  // right edge is restored whole.
  const TRect strip = ClipRectToView(Rect(layout.CaptionWidth() - w - 1, 0, layout.CaptionWidth(), h), cache);
  if (strip.IsEmpty()) {
    TempBmp = TBitmap32();
    TempBmpOrigin = Point(0, 0);
    return;
  }
  TempBmp.SetSize(strip.Width(), strip.Height());
  TPixelView dst(TempBmp);
  CopyRect32(dst, 0, 0, cache, strip);
  TempBmpOrigin = Point(strip.Left, strip.Top);
}

void TacFramePainter::DrawCaptionButtons(const TacFrameLayout& layout, const TPixelView& cache,
                                         const TacFrameHooks& hooks) {
  if (layout.CloseShown()) DrawCaptionButton(layout, layout.ButtonClose, cache, hooks);
  if (layout.VisibleMax()) DrawCaptionButton(layout, layout.ButtonMax, cache, hooks);
  if (layout.VisibleMin()) DrawCaptionButton(layout, layout.ButtonMin, cache, hooks);
  if (layout.HelpShown()) DrawCaptionButton(layout, layout.ButtonHelp, cache, hooks);
  for (size_t i = 0; i < layout.UserButtons.size(); ++i)
    if (layout.UserButtons[i].Visible) DrawCaptionButton(layout, layout.UserButtons[i].Data, cache, hooks, int(i));
}

void TacFramePainter::DrawCaptionButton(const TacFrameLayout& layout, const TsCaptionButton& button,
                                        const TPixelView& cache, const TacFrameHooks& hooks, int userIndex) {
  if (cache.Empty() || button.Rect.IsEmpty()) return;
  const TacSkinModel* sm = layout.Skin;
  const int image = layout.ButtonImage(button);
  const bool animating = button.Timer != nullptr;
  const int state = animating ? 0 : button.State;
  if (sm && sm->IsValidImgIndex(image)) {
    const bool dimmed = (state == 0 || animating) && (!layout.Wnd.Active || !layout.ButtonEnabled(button));
    DrawMaskImage(cache, Point(button.Rect.Left, button.Rect.Top), state, TCacheInfo(), sm->ma[size_t(image)],
                  dimmed ? 0 : 1);
  }
  if (userIndex >= 0 && hooks.DrawUserGlyph) hooks.DrawUserGlyph(cache, button.Rect, userIndex, button.State == 2);
}

void TacFramePainter::RepaintCaptionButton(const TacFrameLayout& layout, const TsCaptionButton& button,
                                           const TPixelView& cache, const TacFrameHooks& hooks, int userIndex) {
  if (cache.Empty() || button.Rect.IsEmpty()) return;
  // Only buttons right of the icon are repainted on their own.
  if (button.Rect.Left < layout.FIconRect.Right) return;
  if (!TempBmp.Empty()) {
    const TRect saved = Rect(TempBmpOrigin.X, TempBmpOrigin.Y, TempBmpOrigin.X + TempBmp.Width(),
                             TempBmpOrigin.Y + TempBmp.Height());
    const TRect part = IntersectRect(button.Rect, saved);
    if (!part.IsEmpty())
      CopyRect32(cache, part.Left, part.Top, TPixelView::ReadOnly(TempBmp),
                 OffsetRect(part, -TempBmpOrigin.X, -TempBmpOrigin.Y));
  }
  DrawCaptionButton(layout, button, cache, hooks, userIndex);
}
