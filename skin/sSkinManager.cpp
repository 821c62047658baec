#include "skin/sSkinManager.h"

#include "framework/WinUtils.h"
#include "skin/acSkinColors.h"

#include <algorithm>
#include <cwchar>
#include <random>

#include <shellapi.h>

TsSkinManager* DefaultManager = nullptr;
bool acSkinLoading = false;
bool acSkinChanging = false;
bool acPreviewMode = false;
bool acAnimSkinChanging = false;
bool acSkinStdDialogs = false;
String acChangedSection;
TacMouseAboveQuery acSkinLinkMouseAbove = nullptr;

int acDefaultMessageBox(const String& text, const String& caption, UINT flags) {
  HWND owner = GetActiveWindow();
  return MessageBoxW(owner, ToWide(text).c_str(), ToWide(caption).c_str(), flags | MB_TASKMODAL);
}
TacMessageBoxFunc acMessageBox = acDefaultMessageBox;

namespace {

std::optional<std::vector<String>> gParams;

void RaiseEvent(const TNotifyEvent& event, TObject* sender) {
  if (event) event(sender);
}

bool IsMinimized(HWND wnd) { return IsIconic(wnd) != 0; }

}  // namespace

const std::vector<String>& SkinEngineParams() {
  if (!gParams) {
    std::vector<String> params;
    int count = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
      for (int i = 1; i < count; ++i) params.push_back(FromWide(argv[i]));
      LocalFree(argv);
    }
    gParams = std::move(params);
  }
  return *gParams;
}

void SetSkinEngineParams(std::vector<String> params) { gParams = std::move(params); }

void InitSkinEngine() {
  acPreviewMode = IsPreviewSwitch(SkinEngineParams());
  if (HasSwitch(SkinEngineParams(), "/acver")) acMessageBox(SkinEngineInfoText(), "Information", MB_OK | MB_ICONINFORMATION);
}

// ---- settings objects

void TacScrollBarsSupport::SetScrollSize(int value) {
  if (value == FScrollSize) return;
  FScrollSize = value;
  if (FOwner && !FOwner->IsLoading() && FOwner->Active()) FOwner->RepaintForms(false);
}

ThirdPartyList::ThirdPartyList() {
  for (int i = 0; i < acThirdPartyCount; ++i) FLists[size_t(i)] = ThirdPartyDefault(i);
}

// ---- life cycle

TsSkinManager::TsSkinManager(TComponent* owner)
    : TComponent(owner), FBuiltInSkins(this, &OnSkinListChanged) {
  for (TStringList& list : ThirdLists) list.SetCaseSensitive(true);
  CommonSkinData.Active = false;
  if (!DefaultManager) {
    DefaultManager = this;
    if (!Designing()) HookApplication();
  }
  // What the framework calls after construction.
  UpdateThirdLists(false);
  if (FSkinDirectory.empty()) FSkinDirectory = DefaultSkinDirectory;
}

TsSkinManager::~TsSkinManager() {
  try {
    SetActive(false);
    SetExtendedBorders(false);
  } catch (...) {
    // Nothing may escape a destructor; the skin is gone either way.
  }
  UnInstallHook();
  if (FActiveGraphControl) FActiveGraphControl->RemoveFreeNotification(this);
  if (DefaultManager == this) {
    UnhookApplication();
    DefaultManager = nullptr;
  }
  StoreThirdLists();
}

void TsSkinManager::Loaded() {
  TComponent::Loaded();
  if (FSkinDirectory.empty()) FSkinDirectory = DefaultSkinDirectory;
  if (MenuSupport.IcoLineSkin.empty()) MenuSupport.IcoLineSkin = "ICOLINE";
  UpdateThirdLists(false);
  if (FActive && !FSkinName.empty()) SendNewSkin(false);
  UpdateDialogsRule();
  if (FActive && !Designing()) RaiseEvent(OnActivate, this);
}

void TsSkinManager::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == FActiveGraphControl) FActiveGraphControl = nullptr;
}

// ---- class-name lists

void TsSkinManager::UpdateThirdLists(bool useDefaults) {
  for (int i = 0; i < acThirdPartyCount; ++i) {
    if (useDefaults || ThirdParty.Get(i).empty()) ThirdParty.Set(i, ThirdPartyDefault(i));
    SplitThirdList(ThirdParty.Get(i), ThirdLists[size_t(i)]);
  }
}

void TsSkinManager::StoreThirdLists() {
  for (int i = 0; i < acThirdPartyCount; ++i) ThirdParty.Set(i, ThirdLists[size_t(i)].Text());
}

// ---- properties

String TsSkinManager::SkinInfo() const { return SkinInfoText(FActive && CommonSkinData.Active, CommonSkinData.Version); }

String TsSkinManager::GetFullSkinDirectory() const { return FullSkinDirectory(FSkinDirectory, ExeFilePath()); }

void TsSkinManager::SetSkinDirectory(const String& value) {
  if (value == FSkinDirectory) return;
  FSkinDirectory = value;
  CommonSkinData.SkinPath = GetFullSkinDirectory();
  RaiseEvent(OnSkinListChanged, this);
}

void TsSkinManager::SetSkinningRules(TacSkinningRules value) {
  FSkinningRules = value;
  UpdateDialogsRule();
}

void TsSkinManager::UpdateDialogsRule() {
  if (IsDefault()) acSkinStdDialogs = FSkinningRules.Contains(srStdDialogs) && FActive;
}

void TsSkinManager::SetIsDefault(bool value) {
  if (value || !DefaultManager) {
    if (DefaultManager != this) {
      if (DefaultManager) DefaultManager->UnhookApplication();
      DefaultManager = this;
      if (!Designing()) HookApplication();
    }
    if (FActive)
      SendNewSkin(true);
    else
      SendRemoveSkin();
  }
}

void TsSkinManager::SetActive(bool value) {
  if (value == FActive) return;
  if (value) {
    FActive = true;
    SetSkinName(FSkinName);
    return;
  }
  FActive = false;
  if (FSkinName.empty()) return;
  if (!IsLoading()) SendRemoveSkin();
  InitConstantIndexes();
  UpdateDialogsRule();
  if (!Designing()) RaiseEvent(OnDeactivate, this);
}

bool TsSkinManager::ExtendedBordersInEffect() const { return FExtendedBorders && SkinPlatform().LayeredWindows(); }

void TsSkinManager::ReloadForSettings() {
  TFlagScope loading(acSkinLoading, true);
  if (LocateSkin(GetFullSkinDirectory(), FSkinName, acPreviewMode, [](const String& p) { return FileExists(NativeSkinPath(p)); },
                 [](const String& p) { return DirectoryExists(NativeSkinPath(p)); })
          .Packed)
    ReloadPackedSkin();
  else
    ReloadSkin();
}

void TsSkinManager::SetHueOffset(int value) {
  if (value == FHueOffset) return;
  const int old = FHueOffset;
  FHueOffset = value;
  if (!FActive || IsLoading()) return;
  try {
    ReloadForSettings();
  } catch (...) {
    FHueOffset = old;  // the model kept the old skin: keep the setting that made it
    throw;
  }
  RaiseEvent(OnAfterChange, this);
  if (!NonAutoUpdate) RepaintForms(true);
}

void TsSkinManager::SetSaturation(int value) {
  if (value == FSaturation) return;
  const int old = FSaturation;
  FSaturation = value;
  if (!FActive || IsLoading()) return;
  try {
    ReloadForSettings();
  } catch (...) {
    FSaturation = old;
    throw;
  }
  RaiseEvent(OnAfterChange, this);
  if (!NonAutoUpdate) RepaintForms(true);
}

void TsSkinManager::SetExtendedBorders(bool value) {
  if (value == FExtendedBorders) return;
  FExtendedBorders = value;
  if (!FActive || IsLoading() || FSkinName.empty() || IsDestroying()) return;
  CheckShadows();
  try {
    ReloadForSettings();
  } catch (...) {
    FExtendedBorders = !value;
    CheckShadows();
    throw;
  }
  if (!NonAutoUpdate && !Designing()) RepaintForms(true);
}

void TsSkinManager::SetCommonSections(const TStrings& lines) {
  TacSkinModel::SetCommonSections(lines);
  if (FActive && !IsLoading() && !FSkinName.empty()) SetSkinName(FSkinName);
}

// ---- loading

void TsSkinManager::SetSkinName(const String& value) {
  const String oldName = FSkinName;
  FSkinName = value;
  if (FActive) {
    RaiseEvent(OnBeforeChange, this);
    if (ExtendedBordersInEffect() && !NonAutoUpdate && AnimEffects.SkinChanging.Active) CaptureForms();
    {
      TFlagScope loading(acSkinLoading, true);
      const bool wasActive = CommonSkinData.Active;
      CommonSkinData.Active = false;
      FSkinName = DropSkinExtension(FSkinName);
      try {
        const TacSkinLocation location =
            LocateSkin(GetFullSkinDirectory(), FSkinName, acPreviewMode,
                       [](const String& p) { return FileExists(NativeSkinPath(p)); },
                       [](const String& p) { return DirectoryExists(NativeSkinPath(p)); });
        if (location.Packed)
          ReloadPackedSkin();
        else
          ReloadSkin();
      } catch (const std::exception& e) {
        // The model is untouched by a failed load: the previous skin stays, with its name.
        FSkinName = oldName;
        CommonSkinData.Active = wasActive;
        // With no working skin before, there is nothing to keep: the manager goes inactive.
        if (gd.empty()) FActive = false;
        acMessageBox(e.what(), "Error", MB_OK | MB_ICONERROR);
      }
      if (FActive) {
        if (!NonAutoUpdate) SendNewSkin(true);
        if (!Designing() && !IsLoading()) RaiseEvent(OnActivate, this);
      } else {
        SendRemoveSkin();
        if (!Designing()) RaiseEvent(OnActivate, this);
      }
    }
    RaiseEvent(OnAfterChange, this);
  }
  UpdateDialogsRule();
}

void TsSkinManager::ReloadSkin() {
  if (!FActive) return;
  TFlagScope loading(acSkinLoading, true);
  const String skinPath = NormalizeSkinDir(GetFullSkinDirectory()) + FSkinName + "\\";
  if (FPreviewOptions) {
    LoadFromOptionsText(*FPreviewOptions, skinPath);
  } else if (FileExists(NativeSkinPath(skinPath + "Options.dat"))) {
    LoadFromFolder(skinPath);
  } else {
    int index = FBuiltInSkins.IndexOf(FSkinName);
    if (index < 0) {
      if (FBuiltInSkins.Count() == 0) {
        FActive = false;
        return;
      }
      index = 0;
    }
    TsStoredSkin& skin = *FBuiltInSkins.Items(index);
    LoadFromStoredSkin(skin);
    FSkinName = skin.Name();
  }
  RaiseEvent(OnSkinLoading, this);
}

void TsSkinManager::ReloadPackedSkin() {
  if (!FActive) return;
  TFlagScope loading(acSkinLoading, true);
  const String dir = NormalizeSkinDir(GetFullSkinDirectory());
  LoadFromPackageFile(dir + FSkinName + ".asz", dir);
  RaiseEvent(OnSkinLoading, this);
}

void TsSkinManager::CheckVersion() {
  switch (ClassifySkinVersion(CommonSkinData.Version)) {
    case TacVersionCheck::vcSupported:
      break;
    case TacVersionCheck::vcTooNew: {
      const bool had = FSkinningRules.Contains(srStdDialogs);
      FSkinningRules -= TacSkinningRules{srStdDialogs};
      acMessageBox(SkinTooNewText(), "Warning", MB_OK | MB_ICONWARNING);
      if (had) FSkinningRules += TacSkinningRules{srStdDialogs};
      break;
    }
    case TacVersionCheck::vcTooOld:
      if (Designing() || HasSwitch(SkinEngineParams(), "/actest"))
        acMessageBox(SkinTooOldText(FSkinName), "Information", MB_OK | MB_ICONINFORMATION);
      break;
  }
}

// ---- announcing

void TsSkinManager::SendNewSkin(bool repaint) {
  if (IsLoading()) return;
  if (!Designing() && repaint) LockForms();
  CommonSkinData.Active = false;
  {
    TFlagScope changing(acSkinChanging, true);
    InitConstantIndexes();
    TMessage m = MakeSkinCommand(SKC_SKINLOADED, 0, LPARAM(this));
    BroadcastToForms(m);
  }
  CommonSkinData.Active = true;
  if (IsDefault() && !Designing()) InstallHook();
  if (repaint) RepaintForms(false);
}

void TsSkinManager::SendRemoveSkin() {
  TFlagScope removing(SkinRemoving, true);
  UnInstallHook();
  CommonSkinData.Active = false;
  TMessage m = MakeSkinCommand(SKC_SKINREMOVED, 0, LPARAM(this));
  BroadcastToForms(m);
  RemoveSkin();
}

void TsSkinManager::UpdateSkin(bool repaint) {
  if (FActive) SendNewSkin(repaint);
}

void TsSkinManager::EndUpdate(bool repaint, bool allowAnimation) {
  NonAutoUpdate = false;
  const bool animation = AnimEffects.SkinChanging.Active;
  if (!allowAnimation) AnimEffects.SkinChanging.Active = false;
  try {
    UpdateSkin(repaint);
  } catch (...) {
    AnimEffects.SkinChanging.Active = animation;
    throw;
  }
  AnimEffects.SkinChanging.Active = animation;
}

void TsSkinManager::RepaintForms(bool doLockForms) {
  if (!Designing()) {
    TMessage stop = MakeSkinCommand(SKC_STOPANIMATION, 0, LPARAM(this));
    BroadcastToForms(stop);
  }
  TMessage refresh = MakeSkinCommand(SKC_REFRESH, 0, LPARAM(this));
  if (IsLoading()) {
    BroadcastToForms(refresh);
  } else {
    if (doLockForms) LockForms();
    BroadcastToForms(refresh);
    UnlockForms(true);
  }
  for (HWND wnd : std::vector<HWND>(FAdaptedDialogs))
    if (IsWindow(wnd) && IsWindowVisible(wnd))
      RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TsSkinManager::UpdateSkinSection(const String& sectionName) {
  acChangedSection = UpperCase(sectionName);
  TMessage m = MakeSkinCommand(SKC_SECTIONCHANGED, 0, 0);
  BroadcastToForms(m);
}

// ---- listing

String TsSkinManager::GetSkinNames(TStrings& sl, TacSkinTypes skinType) {
  std::vector<String> internal;
  for (int i = 0; i < FBuiltInSkins.Count(); ++i) internal.push_back(FBuiltInSkins.Items(i)->Name());
  return ListSkinNames(GetFullSkinDirectory(), skinType, internal, sl);
}

String TsSkinManager::GetExternalSkinNames(TStrings& sl, TacSkinTypes skinType) {
  return ListSkinNames(GetFullSkinDirectory(), skinType, {}, sl);
}

String TsSkinManager::GetRandomSkin() {
  TStringList names;
  GetSkinNames(names, TacSkinTypes::stAllSkins);
  if (names.Count() == 0) return String();
  static std::mt19937 random{std::random_device{}()};
  return names[std::uniform_int_distribution<int>(0, names.Count() - 1)(random)];
}

// ---- active window tracking

void TsSkinManager::SetActiveControl(HWND value) {
  if (value == FActiveControl) return;
  if (FActiveControl && FActiveGraphControl) {
    SetActiveGraphControl(nullptr);
    if (FActiveGraphControl) return;  // refused: the mouse is still above it
  }
  const HWND previous = FActiveControl;
  FActiveControl = value;
  if (previous && IsWindow(previous)) SendSkinCommand(previous, SKC_MOUSELEAVE, 0, LPARAM(this));
  if (value) SendSkinCommand(value, SKC_MOUSEENTER, 0, LPARAM(this));
}

void TsSkinManager::SetActiveGraphControl(TControl* value) {
  if (value == FActiveGraphControl) return;
  TControl* previous = FActiveGraphControl;
  if (!value && previous && acSkinLinkMouseAbove) {
    const LRESULT link = SendSkinCommand(previous, SKC_GETSKINLINK);
    if (link && acSkinLinkMouseAbove(link)) return;
  }
  if (value) SetActiveControl(nullptr);
  if (previous) previous->RemoveFreeNotification(this);
  FActiveGraphControl = value;
  if (value) value->FreeNotification(this);
  if (previous) SendSkinCommand(previous, SKC_MOUSELEAVE, 0, LPARAM(this));
}

// ---- the window-creation hook

TacAutoSkinFormFunc acAutoSkinForm = nullptr;
TacAfterFormAnimationFunc acAfterFormAnimation = nullptr;

LRESULT CALLBACK TsSkinManager::CBTProc(int code, WPARAM wParam, LPARAM lParam) {
  // Others hear of it first; an activation may still be refused there.
  const LRESULT result = CallNextHookEx(nullptr, code, wParam, lParam);
  try {
    if (code == HCBT_DESTROYWND && DefaultManager) {
      auto& list = DefaultManager->FAdaptedDialogs;
      list.erase(std::remove(list.begin(), list.end(), HWND(wParam)), list.end());
    }
    if (code == HCBT_ACTIVATE && result == 0 && acAutoSkinForm && DefaultManager && Application &&
        !Application->IsDestroying() && DefaultManager->Active())
      acAutoSkinForm(DefaultManager, HWND(wParam));
    // A new top-level form is skinned before it is first shown, so its
    // system frame never flashes. System dialogs are left to activation.
    if (code == HCBT_CREATEWND && result == 0 && acAutoSkinForm && DefaultManager && Application &&
        !Application->IsDestroying() && DefaultManager->Active()) {
      const auto* cw = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
      const CREATESTRUCTW* cs = cw ? cw->lpcs : nullptr;
      if (cs && !(cs->style & WS_CHILD) && cs->style && cs->dwExStyle && cs->lpszClass &&
          !IS_INTRESOURCE(cs->lpszClass) && std::wcscmp(cs->lpszClass, L"TPUtilWindow") != 0 &&
          std::wcscmp(cs->lpszClass, L"#32770") != 0)
        acAutoSkinForm(DefaultManager, HWND(wParam));
    }
  } catch (...) {
    HandleBoundaryException(DefaultManager);
  }
  return result;
}

void TsSkinManager::InstallHook() {
  if (FHook) return;
  FHook = SetWindowsHookExW(WH_CBT, CBTProc, nullptr, GetCurrentThreadId());
  GlobalHookInstalled = FHook != nullptr;
}

void TsSkinManager::UnInstallHook() {
  for (HWND wnd : FAdaptedDialogs) UnregisterHookedWindow(wnd);
  FAdaptedDialogs.clear();
  if (FHook) UnhookWindowsHookEx(FHook);
  FHook = nullptr;
  GlobalHookInstalled = false;
}

// ---- the application hook

void TsSkinManager::HookApplication() {
  if (FAppHookId || !Application) return;
  FAppHookId = Application->HookMainWindow([this](TMessage& m) { return AppHook(m); });
}

void TsSkinManager::UnhookApplication() {
  if (FAppHookId && Application) Application->UnhookMainWindow(FAppHookId);
  FAppHookId = 0;
}

bool TsSkinManager::AppHook(TMessage& m) {
  switch (m.Msg) {
    case WM_SYSCOMMAND:
      if ((m.WParam & 0xFFF0) == SC_MINIMIZE) ShowState = TShowAction::saMinimize;
      if ((m.WParam & 0xFFF0) == SC_RESTORE) ShowState = TShowAction::saRestore;
      return false;
    case WM_THEMECHANGED:
      m.Result = 0;
      return true;
    case CM_ACTIVATE:
      if (Screen)
        for (int i = Screen->FormCount() - 1; i >= 0; --i) {
          if (i >= Screen->FormCount()) continue;
          TCustomForm* form = Screen->Forms(i);
          if (form && !form->IsDestroying() && form->HandleAllocated()) SendSkinCommand(form->Handle(), SKC_REPAINTNOW);
        }
      return false;
    default:
      return false;
  }
}

// ---- freezing and the skin-change fade

std::vector<TCustomForm*> TsSkinManager::ConcernedForms() const {
  std::vector<TCustomForm*> forms;
  for (TCustomForm* form : SkinnedForms()) {
    if (!form || form->IsDestroying() || form->Parent() || !form->HandleAllocated()) continue;
    const HWND wnd = form->Handle();
    if (!IsWindowVisible(wnd) || IsMinimized(wnd)) continue;
    if (SendSkinCommand(wnd, SKC_GETMANAGER) != LRESULT(this)) continue;
    forms.push_back(form);
  }
  return forms;
}

void TsSkinManager::CaptureForms() {
  // The providers keep the old look for the cross-fade; until forms have
  // providers there is nothing to capture.
  if (Designing() || IsLoading()) return;
  if (IsDefault() && AnimEffects.SkinChanging.Active) acAnimSkinChanging = !ConcernedForms().empty();
}

void TsSkinManager::LockForms() {
  if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated() &&
      IsMinimized(Application->MainForm()->Handle()))
    return;
  for (TCustomForm* form : ConcernedForms()) {
    const HWND wnd = form->Handle();
    if (std::find(FFrozenForms.begin(), FFrozenForms.end(), wnd) != FFrozenForms.end()) continue;
    if (IsDefault() && AnimEffects.SkinChanging.Active) acAnimSkinChanging = true;
    SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    FFrozenForms.push_back(wnd);
  }
}

namespace {

void SetDibHeader(BITMAPINFO& bi, int width, int height) {
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
}

// The form's new look, frame and children included, into a 32-bit DIB.
struct TFormPicture {
  HBITMAP Bitmap = nullptr;
  int Width = 0, Height = 0;
  ~TFormPicture() {
    if (Bitmap) DeleteObject(Bitmap);
  }
};

bool RenderForm(HWND wnd, TFormPicture& pic) {
  RECT r;
  GetWindowRect(wnd, &r);
  pic.Width = r.right - r.left;
  pic.Height = r.bottom - r.top;
  if (pic.Width <= 0 || pic.Height <= 0) return false;
  BITMAPINFO bi{};
  SetDibHeader(bi, pic.Width, pic.Height);
  void* bits = nullptr;
  pic.Bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!pic.Bitmap) return false;
  TMemoryDC dc;
  HGDIOBJ old = SelectObject(dc.Get(), pic.Bitmap);
  SendMessageW(wnd, WM_PRINT, WPARAM(dc.Get()), PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND);
  SelectObject(dc.Get(), old);
  GdiFlush();
  auto* p = static_cast<uint32_t*>(bits);
  for (int i = 0; i < pic.Width * pic.Height; ++i) p[i] |= 0xFF000000u;
  return true;
}

}  // namespace

// Shows the new look over the form in a layered window, frame by frame.
void acDefaultSkinFade(HWND form, int time, TacAnimType mode, uint8_t blend) {
  const int n = FadeSteps(time);
  if (n <= 0 || !SkinPlatform().LayeredWindows()) return;
  TFormPicture pic;
  if (!RenderForm(form, pic)) return;
  RECT r;
  GetWindowRect(form, &r);
  const bool topmost = (GetWindowLongW(form, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  HWND cover = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | (topmost ? WS_EX_TOPMOST : 0),
                               L"STATIC", L"", WS_POPUP, r.left, r.top, pic.Width, pic.Height, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (!cover) return;
  SetWindowPos(cover, GetWindow(form, GW_HWNDPREV) ? GetWindow(form, GW_HWNDPREV) : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  TMemoryDC src, frame;
  BITMAPINFO bi{};
  SetDibHeader(bi, pic.Width, pic.Height);
  void* frameBits = nullptr;
  TBitmapHandle frameBitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &frameBits, nullptr, 0));
  HGDIOBJ oldSrc = SelectObject(src.Get(), pic.Bitmap);
  HGDIOBJ oldFrame = SelectObject(frame.Get(), frameBitmap.Get());
  POINT zero{0, 0}, pos{r.left, r.top};
  SIZE size{pic.Width, pic.Height};
  for (int k = 1; k <= n + 1; ++k) {
    HDC show = src.Get();
    if (mode == TacAnimType::atAero && frameBits) {
      const TRect a = FadeAeroRect(k, n, pic.Width, pic.Height);
      memset(frameBits, 0, size_t(pic.Width) * pic.Height * 4);
      SetStretchBltMode(frame.Get(), HALFTONE);
      StretchBlt(frame.Get(), a.Left, a.Top, a.Width(), a.Height(), src.Get(), 0, 0, pic.Width, pic.Height, SRCCOPY);
      show = frame.Get();
    }
    BLENDFUNCTION bf{AC_SRC_OVER, 0, FadeOpacity(k, n, blend), AC_SRC_ALPHA};
    UpdateLayeredWindow(cover, nullptr, &pos, &size, show, &zero, 0, &bf, ULW_ALPHA);
    Sleep(12);
  }
  SelectObject(src.Get(), oldSrc);
  SelectObject(frame.Get(), oldFrame);
  DestroyWindow(cover);
}

TacSkinFadeFunc acPlaySkinFade = acDefaultSkinFade;

void TsSkinManager::UnlockForms(bool animate) {
  const std::vector<HWND> frozen = std::move(FFrozenForms);
  FFrozenForms.clear();
  for (HWND wnd : frozen)
    if (IsWindow(wnd)) SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
  for (HWND wnd : frozen) {
    if (!IsWindow(wnd) || IsMinimized(wnd)) continue;
    if (animate && AnimEffects.SkinChanging.Active) {
      const LONG ex = GetWindowLongW(wnd, GWL_EXSTYLE);
      BYTE alpha = 255;
      if (ex & WS_EX_LAYERED) GetLayeredWindowAttributes(wnd, nullptr, &alpha, nullptr);
      acPlaySkinFade(wnd, AnimEffects.SkinChanging.Time, AnimEffects.SkinChanging.Mode, alpha);
    }
    RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (animate && AnimEffects.SkinChanging.Active && acAfterFormAnimation && IsWindow(wnd))
      acAfterFormAnimation(wnd, TacAnimEvent::aeSkinChanging);
  }
  acAnimSkinChanging = false;
}

// ---- the preview protocol

bool TsSkinManager::GreetPreviewEditor(HWND formWnd) {
  if (!acPreviewMode || !formWnd) return false;
  const std::wstring title = ToWide(PreviewEditorTitle);
  for (int attempt = 0; attempt < PreviewAttempts; ++attempt) {
    HWND editor = FindWindowW(nullptr, title.c_str());
    DWORD_PTR answer = 0;
    if (editor && SendMessageTimeoutW(editor, WM_ACPREVIEW_MSG, acPreviewHello, LPARAM(formWnd), SMTO_ABORTIFHUNG, 1000,
                                      &answer) &&
        answer == 1)
      return true;
  }
  return false;
}

LRESULT TsSkinManager::HandlePreviewMessage(TCustomForm* form, WPARAM wParam) {
  if (!acPreviewMode) return 0;
  if (wParam == acPreviewClose) {
    if (form) form->Close();
    return 0;
  }
  if (wParam == acPreviewAlive) return 1;
  return 0;
}

LRESULT TsSkinManager::HandlePreviewData(WPARAM wParam, const void* data, size_t size) {
  if (!acPreviewMode || wParam != acPreviewDataWParam) return 0;
  TacPreviewData block;
  if (!ParsePreviewBlock(data, size, block)) return 0;
  BeginUpdate();
  FPreviewOptions = block.Options;
  try {
    SetSkinDirectory(block.SkinDirectory);
    SetSkinName(block.SkinName);
  } catch (...) {
    FPreviewOptions.reset();
    NonAutoUpdate = false;
    throw;
  }
  EndUpdate(true, false);
  FPreviewOptions.reset();
  return 1;
}
