// Delivery of skin commands to windows, controls and forms.
#pragma once
#include "framework/Controls.h"
#include "framework/Forms.h"
#include "skin/sConst.h"

#include <vector>

// WParam = code * 65536 + arg.
TMessage MakeSkinCommand(int code, int arg = 0, LPARAM lParam = 0);
// The command code of a skin command (high word of WParam).
inline int SkinCommandCode(const TMessage& message) { return int(HIWORD(message.WParam)); }

// To one control (windowless: direct dispatch; windowed with a live window: send; otherwise 0).
LRESULT SendSkinCommand(TControl* target, int code, int arg = 0, LPARAM lParam = 0);
LRESULT SendSkinCommand(HWND wnd, int code, int arg = 0, LPARAM lParam = 0);
bool IsSkinAware(HWND wnd);
void BroadcastToForms(TMessage& message);
void BroadcastToControls(TWinControl* parent, TMessage& message);
void SendToChildWindows(HWND wnd, TMessage& message);

// The list of skinned forms (providers register their forms) and the windows adapted by the manager's hook.
void RegisterSkinnedForm(TCustomForm* form);
void UnregisterSkinnedForm(TCustomForm* form);
const std::vector<TCustomForm*>& SkinnedForms();
void RegisterHookedWindow(HWND wnd);
void UnregisterHookedWindow(HWND wnd);

// True only while `message` is a skin command delivered by SendSkinCommand / the broadcasts of this
// process and thread (a receiver honours pointer-carrying codes and hands out addresses only then).
// Commands from other threads or programs, or sent raw, are never trusted; a thread that has used
// these senders drops posted skin commands from its queue altogether (commands are never posted).
// Receivers pass commands on through these senders, so that the next receiver trusts them too.
bool IsTrustedSkinCommand(const TMessage& message);
// LParam of a trusted command whose code carries a pointer or handle; 0 otherwise.
LPARAM TrustedSkinPointer(const TMessage& message);
