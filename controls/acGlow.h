// Glow windows: the section's "GLOW0" picture shown around a hot control in
// a click-through layered window that is never activated.
#pragma once
#include "controls/acGlowFadeMath.h"
#include "framework/Controls.h"
#include "framework/core/Classes.h"
#include "framework/core/Types.h"
#include "skin/sSkinManager.h"

#include <windows.h>

class TsCommonData;

class TacGlowEffect : public TObject {
public:
  TacGlowEffect(TsSkinManager* skinManager, int maskIndex, int margin);
  ~TacGlowEffect() override;
  TacGlowEffect(const TacGlowEffect&) = delete;
  TacGlowEffect& operator=(const TacGlowEffect&) = delete;

  static int IntBorderWidth() { return 2; }
  // R in screen coordinates, clipRect the visible part of the control in its
  // own coordinates. Nothing when the window exists or nothing is visible.
  void Show(const TRect& r, const TRect& clipRect, HWND ownerWnd, int alpha);
  // The glow picture of w x h: the mask's border drawn on transparent black.
  bool CreateAlphaBmp(TBitmap32& bmp, int w, int h) const;
  HWND Wnd() const { return FWnd; }
  // Destroys the window now (true) or when the message loop allows.
  void CloseWindow(bool now);
  // Keeps the window where it was against its owner after the owner moved.
  void FollowOwner();
  HWND OwnerWnd() const { return FOwner; }

  TsSkinManager* SkinManager;
  int MaskIndex;
  int Margin;

private:
  HWND FWnd = nullptr;
  HWND FOwner = nullptr;
  POINT FOffset{};  // from the owner's top-left
};

// The ex-style of a glow window: layered, tool window, transparent, no activate.
constexpr DWORD GlowWindowExStyle = 0x080800A0;

int ShowGlow(const TRect& r, const TRect& clipRect, const String& skinSection, TsSkinManager* skinManager,
             HWND ownerWnd, int alpha, int margin, const String& maskName = "GLOW");
void HideGlow(int& glowID);
// Frees every glow (destroyWindows false at shutdown: the windows go with the loop).
void FreeAllGlows(bool destroyWindows);
// The glow of a linked control on mouse enter (or a repeat).
void ShowLinkGlow(TsCommonData* link, bool repeat, HWND handle = nullptr);
// The glow of a control follows its link: shown on mouse enter, hidden on
// leave, move, size, hide, disable, skin removal and destruction.
void LinkGlowMessage(const TMessage& message, TsCommonData* link);
// The live glow of an id (nil when none) and the table size (for leak checks).
TacGlowEffect* GlowOf(int glowID);
size_t GlowTableCapacity();
size_t LiveGlowCount();

// Set while a glow window is being destroyed or released.
extern bool acGlowDestroying;
// Global hot-tracking suppression (no glows while set).
extern bool acHotSuppressed;
