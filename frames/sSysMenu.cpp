#include "frames/sSysMenu.h"

#include "frames/sSkinProvider.h"
#include "framework/WinUtils.h"

namespace {

UINT DefaultTrackSysMenu(HMENU menu, int x, int y, HWND wnd) {
  return UINT(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, wnd, nullptr));
}

// The text of a system-menu item, split at its tab; false when missing.
bool SysItemText(HMENU menu, UINT command, String& caption, String& shortCut) {
  if (!menu) return false;
  wchar_t buf[256];
  const int n = GetMenuStringW(menu, command, buf, 256, MF_BYCOMMAND);
  if (n <= 0) return false;
  const std::wstring text(buf, size_t(n));
  const size_t tab = text.find(L'\t');
  caption = FromWide(text.substr(0, tab));
  shortCut = tab == std::wstring::npos ? String() : FromWide(text.substr(tab + 1));
  return true;
}

}  // namespace

TacTrackSysMenuFunc acTrackSysMenu = DefaultTrackSysMenu;

TsSystemMenu::TsSystemMenu(TsSkinProvider* owner) : TsCustomSysMenu(owner), FOwner(owner), FForm(owner->Form) {
  SetName("acSysMenu" + std::to_string(GetTickCount()));
}

HWND TsSystemMenu::Wnd() const { return FForm->HandleAllocated() ? FForm->Handle() : nullptr; }

bool TsSystemMenu::VisibleClose() const {
  HMENU menu = FOwner->SystemMenuHandle();
  return FForm->BorderIcons().Contains(biSystemMenu) && menu && GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) != UINT(-1);
}
bool TsSystemMenu::VisibleMax() const { return FOwner->FLayout.VisibleMax(); }
bool TsSystemMenu::VisibleMin() const { return FOwner->FLayout.VisibleMin(); }
bool TsSystemMenu::EnabledMax() const {
  return FOwner->FLayout.EnabledMax() && !(Wnd() && IsZoomed(Wnd()));
}
bool TsSystemMenu::EnabledMin() const { return FOwner->FLayout.EnabledMin() && !(Wnd() && IsIconic(Wnd())); }
bool TsSystemMenu::EnabledRestore() const {
  const HWND w = Wnd();
  return w && ((FForm->BorderIcons().Contains(biMaximize) && IsZoomed(w)) || IsIconic(w));
}
bool TsSystemMenu::VisibleRestore() const {
  const auto bs = FForm->BorderStyle();
  return bs == TFormBorderStyle::bsSingle || bs == TFormBorderStyle::bsSizeable;
}
bool TsSystemMenu::VisibleSize() const {
  const auto bs = FForm->BorderStyle();
  return bs != TFormBorderStyle::bsNone && bs != TFormBorderStyle::bsDialog && bs != TFormBorderStyle::bsToolWindow;
}
bool TsSystemMenu::EnabledMove() const { return !(Wnd() && IsZoomed(Wnd())); }
bool TsSystemMenu::EnabledSize() const {
  return FForm->BorderStyle() != TFormBorderStyle::bsSingle && !(Wnd() && IsIconic(Wnd())) &&
         !(Wnd() && IsZoomed(Wnd()));
}
bool TsSystemMenu::EnabledClose() const { return FOwner->FLayout.EnabledClose(); }

void TsSystemMenu::Generate() {
  Items.clear();
  ExtItemsCount = 0;
  ItemRestore = ItemMove = ItemSize = ItemMinimize = ItemMaximize = ItemClose = -1;
  HMENU menu = FOwner->SystemMenuHandle();
  if (!menu) return;
  auto add = [&](const char* name, UINT command, const char* fallback) {
    TacSysMenuItem item;
    item.Name = name;
    item.Command = command;
    if (!SysItemText(menu, command, item.Caption, item.ShortCut)) item.Caption = fallback;
    Items.push_back(item);
    return int(Items.size()) - 1;
  };
  auto separator = [&] {
    TacSysMenuItem item;
    item.Separator = true;
    Items.push_back(item);
  };
  ItemRestore = add("acIR", SC_RESTORE, "Restore");
  ItemMove = add("acIM", SC_MOVE, "Move");
  ItemSize = add("acIS", SC_SIZE, "Size");
  ItemMinimize = add("acIN", SC_MINIMIZE, "Minimize");
  ItemMaximize = add("acIX", SC_MAXIMIZE, "Maximize");
  separator();
  // Foreign items: command items only (separators and sub-menus would come out empty).
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(menu, UINT(i), TRUE, &mii)) continue;
    if ((mii.fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) || mii.hSubMenu) continue;
    if (mii.wID >= 0xF000 && mii.wID <= 0xF1FF) continue;
    TacSysMenuItem item;
    item.Command = mii.wID;
    item.Name = "acExt" + std::to_string(mii.wID);
    if (!SysItemText(menu, mii.wID, item.Caption, item.ShortCut) || item.Caption.empty()) continue;
    Items.push_back(item);
    ++ExtItemsCount;
  }
  if (ExtItemsCount) separator();
  ItemClose = add("acIC", SC_CLOSE, "Close");
}

void TsSystemMenu::UpdateItems(bool full) {
  if (full || ItemClose < 0) Generate();
  auto set = [this](int index, bool visible, bool enabled) {
    if (index < 0) return;
    Items[size_t(index)].Visible = visible;
    Items[size_t(index)].Enabled = enabled;
  };
  set(ItemRestore, VisibleRestore(), EnabledRestore());
  set(ItemMove, true, EnabledMove());
  set(ItemSize, VisibleSize(), EnabledSize());
  set(ItemMinimize, VisibleMin(), EnabledMin());
  set(ItemMaximize, VisibleMax(), EnabledMax());
  set(ItemClose, VisibleClose(), EnabledClose());
}

void TsSystemMenu::Popup(int x, int y) {
  const HWND wnd = Wnd();
  if (!wnd) return;
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  bool lastWasSeparator = true;
  for (const TacSysMenuItem& item : Items) {
    if (!item.Visible) continue;
    if (item.Separator) {
      if (!lastWasSeparator) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      lastWasSeparator = true;
      continue;
    }
    std::wstring text = ToWide(item.Caption);
    if (!item.ShortCut.empty()) text += L"\t" + ToWide(item.ShortCut);
    AppendMenuW(menu, MF_STRING | (item.Enabled ? 0 : MF_GRAYED), item.Command, text.c_str());
    lastWasSeparator = false;
  }
  const int n = GetMenuItemCount(menu);
  if (n > 0 && (GetMenuState(menu, UINT(n - 1), MF_BYPOSITION) & MF_SEPARATOR))
    DeleteMenu(menu, UINT(n - 1), MF_BYPOSITION);
  const UINT chosen = acTrackSysMenu(menu, x, y, wnd);
  DestroyMenu(menu);
  if (chosen) ItemClick(chosen);
}

void TsSystemMenu::ItemClick(UINT command) {
  for (const TacSysMenuItem& item : Items)
    if (!item.Separator && item.Command == command) {
      if (!item.Enabled || !Wnd()) return;
      PostMessageW(Wnd(), WM_SYSCOMMAND, command, 0);
      return;
    }
}
