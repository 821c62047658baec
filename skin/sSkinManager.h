// The skin manager: owns the active skin, loads it by name, announces it to
// every window through the skin command message and removes it again.
#pragma once
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Sets.h"
#include "skin/acSkinModel.h"
#include "skin/sMessages.h"
#include "skin/sSkinManagerRules.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include <windows.h>

class TsSkinManager;

// ---- settings objects

enum class TacAnimType { atFading, atAero };
enum TacBtnEvent { beMouseEnter, beMouseLeave, beMouseDown, beMouseUp };
using TacBtnEvents = TSet<TacBtnEvent>;

class TacFormAnimation : public TPersistent {
public:
  TacFormAnimation(bool active, uint16_t time, TacAnimType mode = TacAnimType::atAero)
      : Active(active), Time(time), Mode(mode) {}
  bool Active;
  uint16_t Time;      // milliseconds
  TacAnimType Mode;   // used by the kinds that have a mode
};

class TacBlendOnMoving : public TacFormAnimation {
public:
  TacBlendOnMoving() : TacFormAnimation(false, 1000) {}
  uint8_t BlendValue = 170;
};
class TacBtnEffects : public TPersistent {
public:
  TacBtnEvents Events{beMouseEnter, beMouseLeave, beMouseDown, beMouseUp};
};
class TacDialogShow : public TacFormAnimation {
public:
  TacDialogShow() : TacFormAnimation(true, 0, TacAnimType::atAero) {}
};
class TacFormShow : public TacFormAnimation {
public:
  TacFormShow() : TacFormAnimation(true, 0, TacAnimType::atAero) {}
};
class TacFormHide : public TacFormAnimation {
public:
  TacFormHide() : TacFormAnimation(true, 0, TacAnimType::atAero) {}
};
class TacMinimizing : public TacFormAnimation {
public:
  TacMinimizing() : TacFormAnimation(true, 200) {}
};
class TacPageChange : public TacFormAnimation {
public:
  TacPageChange() : TacFormAnimation(true, 0) {}
};
class TacSkinChanging : public TacFormAnimation {
public:
  TacSkinChanging() : TacFormAnimation(true, 100, TacAnimType::atFading) {}
};

class TacAnimEffects : public TPersistent {
public:
  TacBlendOnMoving BlendOnMoving;
  TacBtnEffects Buttons;
  TacDialogShow DialogShow;
  TacFormShow FormShow;
  TacFormHide FormHide;
  TacFormHide DialogHide;
  TacMinimizing Minimizing;
  TacPageChange PageChange;
  TacSkinChanging SkinChanging;
};

class TacSkinEffects : public TPersistent {
public:
  bool AllowGlowing = true;
  bool AllowAeroBluring = true;
};

class TacMenuSupport : public TPersistent {
public:
  TacMenuSupport() : ExtraLineFont(std::make_unique<TFont>()) {}
  uint8_t AlphaBlend = 255;
  String IcoLineSkin;  // "ICOLINE" once the form is loaded with it empty
  bool UseExtraLine = false;
  int ExtraLineWidth = 32;
  std::unique_ptr<TFont> ExtraLineFont;
};

class TacScrollBarsSupport : public TPersistent {
public:
  explicit TacScrollBarsSupport(TsSkinManager* owner) : FOwner(owner) {}
  // -1 = the system's vertical scroll-bar width. A new value repaints all forms.
  int ScrollSize() const { return FScrollSize; }
  void SetScrollSize(int value);

private:
  TsSkinManager* FOwner;
  int FScrollSize = -1;
};

class TacButtonsSupport : public TPersistent {
public:
  bool ShowFocusRect = true;
};

// The 22 class-name lists as stored (line-separated class names), by index.
class ThirdPartyList : public TPersistent {
public:
  ThirdPartyList();
  const String& Get(int index) const { return FLists.at(size_t(index)); }
  void Set(int index, const String& value) { FLists.at(size_t(index)) = value; }
  const String& ThirdEdits() const { return FLists[0]; }
  const String& ThirdButtons() const { return FLists[1]; }

private:
  std::array<String, acThirdPartyCount> FLists;
};

enum TacSkinningRule { srStdForms, srStdDialogs, srThirdParty };
using TacSkinningRules = TSet<TacSkinningRule>;
enum class TShowAction { saIgnore, saRestore, saMinimize, saMaximize };

// ---- process-wide state

// The manager used by every control that names none; nil when there is none.
extern TsSkinManager* DefaultManager;
extern bool acSkinLoading;       // a skin is being loaded
extern bool acSkinChanging;      // a new skin is being announced
extern bool acPreviewMode;       // started with "/acpreview"; a preview block was accepted
extern bool acAnimSkinChanging;  // the skin-change fade owns the forms (no other fades)
extern bool acSkinStdDialogs;    // standard dialogs are skinned
extern String acChangedSection;  // upper-cased section of the last UpdateSkinSection

// The skin engine's message boxes (errors, version warnings, "/acver") go
// through this function; tests replace it to capture them.
using TacMessageBoxFunc = int (*)(const String& text, const String& caption, UINT flags);
extern TacMessageBoxFunc acMessageBox;
int acDefaultMessageBox(const String& text, const String& caption, UINT flags);

// The command-line parameters the engine looks at (without the program name).
const std::vector<String>& SkinEngineParams();
void SetSkinEngineParams(std::vector<String> params);  // for tests
// Once at program start, before any form: "/acver" shows the engine's version.
void InitSkinEngine();

// Plays the skin-change fade of one frozen form (time in ms, mode, the
// form's blend value); replaceable so that tests can see the calls.
using TacSkinFadeFunc = void (*)(HWND form, int time, TacAnimType mode, uint8_t blend);
extern TacSkinFadeFunc acPlaySkinFade;
void acDefaultSkinFade(HWND form, int time, TacAnimType mode, uint8_t blend);

// Asks a skin link whether the mouse is still above its control (Result of
// code 37); filled in by the painting layer. Nil = never.
using TacMouseAboveQuery = bool (*)(LRESULT skinLink);
extern TacMouseAboveQuery acSkinLinkMouseAbove;

// Set by the frames layer: gives a top-level window that the manager's hook
// sees activated its automatic form provider. Nil = forms stay unskinned.
using TacAutoSkinFormFunc = void (*)(TsSkinManager* manager, HWND wnd);
extern TacAutoSkinFormFunc acAutoSkinForm;
// Tells a form's provider that an animation of the form ended.
enum class TacAnimEvent { aeShowing, aeHiding, aeSkinChanging };
using TacAfterFormAnimationFunc = void (*)(HWND form, TacAnimEvent animType);
extern TacAfterFormAnimationFunc acAfterFormAnimation;

// ---- the manager

class TsSkinManager : public TComponent, public TacSkinModel {
public:
  explicit TsSkinManager(TComponent* owner);
  ~TsSkinManager() override;

  // ---- published properties
  bool Active() const { return FActive; }
  void SetActive(bool value);
  TacAnimEffects AnimEffects;
  TacButtonsSupport ButtonsOptions;
  TacSkinEffects Effects;
  TacMenuSupport MenuSupport;
  TacScrollBarsSupport ScrollsOptions{this};
  ThirdPartyList ThirdParty;
  // Override sections; assignment reloads the skin.
  void SetCommonSections(const TStrings& lines);
  void SetExtendedBorders(bool value);
  bool ExtendedBordersInEffect() const;
  void SetHueOffset(int value);
  void SetSaturation(int value);
  TsStoredSkins& InternalSkins() { return FBuiltInSkins; }
  bool IsDefault() const { return DefaultManager == this; }
  void SetIsDefault(bool value);
  const String& SkinDirectory() const { return FSkinDirectory; }
  void SetSkinDirectory(const String& value);
  String SkinInfo() const;
  void SetSkinInfo(const String&) {}
  const String& SkinName() const { return FSkinName; }
  void SetSkinName(const String& value);
  bool SkinnedPopups() const { return FSkinnedPopups; }
  void SetSkinnedPopups(bool value) { FSkinnedPopups = value; }
  TacSkinningRules SkinningRules() const { return FSkinningRules; }
  void SetSkinningRules(TacSkinningRules value);
  String Version() const { return SkinEngineVersion; }
  void SetVersion(const String&) {}

  TNotifyEvent OnActivate, OnAfterChange, OnBeforeChange, OnDeactivate, OnSkinListChanged, OnSkinLoading;

  // ---- fields other parts use
  std::array<TStringList, acThirdPartyCount> ThirdLists;
  bool SkinRemoving = false;
  bool NonAutoUpdate = false;
  TShowAction ShowState = TShowAction::saIgnore;
  bool GlobalHookInstalled = false;

  // ---- methods
  void ReloadSkin();
  void ReloadPackedSkin();
  void UpdateSkin(bool repaint = true);
  void RepaintForms(bool doLockForms = true);
  void UpdateSkinSection(const String& sectionName);
  void BeginUpdate() { NonAutoUpdate = true; }
  void EndUpdate(bool repaint = false, bool allowAnimation = true);
  String GetSkinNames(TStrings& sl, TacSkinTypes skinType = TacSkinTypes::stAllSkins);
  String GetExternalSkinNames(TStrings& sl, TacSkinTypes skinType = TacSkinTypes::stAllSkins);
  String GetRandomSkin();
  String GetFullSkinDirectory() const;
  void InstallHook();
  void UnInstallHook();

  HWND ActiveControl() const { return FActiveControl; }
  void SetActiveControl(HWND value);
  TControl* ActiveGraphControl() const { return FActiveGraphControl; }
  void SetActiveGraphControl(TControl* value);

  // The preview protocol: the form's answer to 0xA400 and to a data-copy
  // block. Both answer 0 and change nothing outside preview mode.
  LRESULT HandlePreviewMessage(TCustomForm* form, WPARAM wParam);
  LRESULT HandlePreviewData(WPARAM wParam, const void* data, size_t size);
  // Looks for the editor's window and tells it the form's window (preview mode only).
  static bool GreetPreviewEditor(HWND formWnd);

  // Skin-change freeze and fade of the top-level skinned forms of this manager.
  void LockForms();
  void UnlockForms(bool animate);

protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void CheckVersion() override;

private:
  void SendNewSkin(bool repaint);
  void SendRemoveSkin();
  void UpdateThirdLists(bool useDefaults);
  void StoreThirdLists();
  void UpdateDialogsRule();
  void ReloadForSettings();
  void CaptureForms();
  bool Designing() const { return (ComponentState() & csDesigning) != 0; }
  std::vector<TCustomForm*> ConcernedForms() const;
  void HookApplication();
  void UnhookApplication();
  bool AppHook(TMessage& message);
  static LRESULT CALLBACK CBTProc(int code, WPARAM wParam, LPARAM lParam);

  String FSkinName;
  String FSkinDirectory;
  bool FActive = true;
  TsStoredSkins FBuiltInSkins;
  TacSkinningRules FSkinningRules{srStdForms, srStdDialogs, srThirdParty};
  bool FSkinnedPopups = true;
  HWND FActiveControl = nullptr;
  TControl* FActiveGraphControl = nullptr;
  std::optional<String> FPreviewOptions;  // options text of a preview, while it loads
  int FAppHookId = 0;
  HHOOK FHook = nullptr;
  std::vector<HWND> FAdaptedDialogs;       // windows adapted through the hook
  std::vector<HWND> FFrozenForms;
};
