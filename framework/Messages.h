// Window message record and the framework's private notifications.
#pragma once
#include "framework/core/Types.h"

#include <functional>

#include <windows.h>

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;

  WORD WParamLo() const { return LOWORD(WParam); }
  WORD WParamHi() const { return HIWORD(WParam); }
  WORD LParamLo() const { return LOWORD(LParam); }
  WORD LParamHi() const { return HIWORD(LParam); }
  // Signed client coordinates of mouse messages.
  int XPos() const { return short(LOWORD(LParam)); }
  int YPos() const { return short(HIWORD(LParam)); }
};

// A replaceable message handler: a control's WindowProc, a subclass method.
using TWndMethod = std::function<void(TMessage&)>;

// Private notifications. They travel by direct dispatch (Perform) between
// framework objects, except CM_ACTIVATE/CM_DEACTIVATE, which the application
// window receives as real messages.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;        // application became active
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;      // application lost activation
constexpr UINT CM_MOUSEENTER = CM_BASE + 2;      // LParam: the control entered (or 0)
constexpr UINT CM_MOUSELEAVE = CM_BASE + 3;      // LParam: the control left (or 0)
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 4;  // WParam: new Visible
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 5;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 6;
constexpr UINT CM_COLORCHANGED = CM_BASE + 7;
constexpr UINT CM_FONTCHANGED = CM_BASE + 8;
constexpr UINT CM_BORDERCHANGED = CM_BASE + 9;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 10;  // sent to a windowed control whose Showing changed
constexpr UINT CM_ENTER = CM_BASE + 11;            // the control (or a child) got the focus within its form
constexpr UINT CM_EXIT = CM_BASE + 12;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 13;      // WParam: character; Result 1 = handled
constexpr UINT CM_DIALOGKEY = CM_BASE + 14;       // WParam: virtual key; Result 1 = handled
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 15;  // WParam: virtual key; Result 1 = the control takes it
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 16;  // WParam: control, LParam: 1 inserted, 0 removed
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 17;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 18;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 19;
constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 20;
constexpr UINT CM_MENUCHANGED = CM_BASE + 21;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 22;  // to a form: LParam = the control now focused
constexpr UINT CM_RELEASE = CM_BASE + 23;       // posted to a form: free it
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 24;
constexpr UINT CM_RECREATEWND = CM_BASE + 25;
constexpr UINT CM_HITTEST = CM_BASE + 26;       // LParam: client point; Result 1 = the point belongs to the control
constexpr UINT CM_INVOKEHELP = CM_BASE + 27;
constexpr UINT CM_LAST = CM_BASE + 0x3F;

// Notifications from a child window reflected back to the child's own object:
// CN_BASE + the original message (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR..., WM_DRAWITEM...).
constexpr UINT CN_BASE = 0xB800;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
