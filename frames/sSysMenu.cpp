#include "frames/sSysMenu.h"

#include "frames/sSkinProvider.h"
#include "framework/WinUtils.h"
#include "skin/sSkinManager.h"

#include <algorithm>

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

// A popup menu of the visible items; no separator leads, follows another or ends it.
HMENU BuildMenu(const std::vector<TacSysMenuItem>& items) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  bool lastWasSeparator = true;
  for (const TacSysMenuItem& item : items) {
    if (!item.Visible) continue;
    if (item.Separator) {
      if (!lastWasSeparator) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      lastWasSeparator = true;
      continue;
    }
    std::wstring text = ToWide(item.Caption);
    if (!item.ShortCut.empty()) text += L"\t" + ToWide(item.ShortCut);
    UINT flags = MF_STRING | (item.Enabled ? 0 : MF_GRAYED) | (item.Checked ? MF_CHECKED : 0) |
                 (item.Break ? MF_MENUBARBREAK : 0);
    UINT_PTR id = item.Command;
    if (!item.Items.empty()) {
      HMENU sub = BuildMenu(item.Items);
      if (!sub) continue;
      flags |= MF_POPUP;
      id = UINT_PTR(sub);
    }
    AppendMenuW(menu, flags, id, text.c_str());
    if (item.Radio) {
      MENUITEMINFOW mii{};
      mii.cbSize = sizeof(mii);
      mii.fMask = MIIM_FTYPE;
      mii.fType = MFT_STRING | MFT_RADIOCHECK | (item.Break ? MFT_MENUBARBREAK : 0);
      SetMenuItemInfoW(menu, UINT(GetMenuItemCount(menu) - 1), TRUE, &mii);
    }
    lastWasSeparator = false;
  }
  const int n = GetMenuItemCount(menu);
  if (n > 0 && (GetMenuState(menu, UINT(n - 1), MF_BYPOSITION) & MF_SEPARATOR))
    DeleteMenu(menu, UINT(n - 1), MF_BYPOSITION);
  return menu;
}

const TacSysMenuItem* FindItem(const std::vector<TacSysMenuItem>& items, UINT command) {
  for (const TacSysMenuItem& item : items) {
    if (!item.Separator && item.Items.empty() && item.Command == command) return &item;
    if (const TacSysMenuItem* sub = FindItem(item.Items, command)) return sub;
  }
  return nullptr;
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
  FNextCommand = acFirstOwnCommand;
  if (FOwner->MakeSkinMenu) MakeSkinItems();
  AddSubMenu(TacItemPosition::ipTop);
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
  AddSubMenu(TacItemPosition::ipBeforeClose);
  ItemClose = add("acIC", SC_CLOSE, "Close");
  AddSubMenu(TacItemPosition::ipBottom);
  FHasOwnItems = std::any_of(Items.begin(), Items.end(), [](const TacSysMenuItem& i) { return i.Own; });
}

// Deep copies of the provider's popup items under one caption, with their
// dividing separator; only when both caption and items are there.
void TsSystemMenu::AddSubMenu(TacItemPosition position) {
  const TacSysSubMenu& sub = FOwner->SysSubMenu;
  if (sub.Position != position || sub.Caption.empty() || sub.PopupMenu.empty()) return;
  std::function<TacSysMenuItem(const TacPopupItem&)> copy = [&](const TacPopupItem& p) {
    TacSysMenuItem item;
    item.Name = p.Name + "Copy";
    item.Caption = p.Caption;
    item.ShortCut = p.ShortCut;
    item.Checked = p.Checked;
    item.Enabled = p.Enabled;
    item.Separator = p.Caption == "-";
    item.Own = true;
    if (!item.Separator) item.Command = FNextCommand++;
    item.OnClick = p.OnClick;
    for (const TacPopupItem& c : p.Items) item.Items.push_back(copy(c));
    return item;
  };
  TacSysMenuItem divider;
  divider.Separator = true;
  divider.Name = position == TacItemPosition::ipBottom ? "ac_BtmDiv" : "ac_TopDiv";
  if (position == TacItemPosition::ipBottom) Items.push_back(divider);
  TacSysMenuItem item;
  item.Name = "ac_SubMenu";
  item.Caption = sub.Caption;
  item.Own = true;
  for (const TacPopupItem& p : sub.PopupMenu) item.Items.push_back(copy(p));
  Items.push_back(std::move(item));
  if (position != TacItemPosition::ipBottom) Items.push_back(divider);
}

void TsSystemMenu::MakeSkinItems() {
  TsSkinManager* sm = FOwner->SkinData() ? FOwner->SkinData()->SkinManager() : nullptr;
  if (!sm) return;
  TStringList names;
  sm->GetSkinNames(names);
  if (names.Count() == 0) return;
  TacSysMenuItem root;
  root.Name = "SkinSelectItem";
  root.Caption = "Available skins";
  root.Own = true;
  const String active = sm->SkinName();
  for (int i = 0; i < names.Count(); ++i) {
    TacSysMenuItem item;
    item.Name = "SkinItem" + std::to_string(i);
    item.Caption = names[i];
    item.Command = FNextCommand++;
    item.Own = item.Radio = true;
    item.Checked = names[i] == active;
    item.Break = i > 0 && i % 20 == 0;
    const String name = names[i];
    item.OnClick = [sm, name] { sm->SetSkinName(name); };
    root.Items.push_back(std::move(item));
  }
  Items.push_back(std::move(root));
  TacSysMenuItem divider;
  divider.Separator = true;
  divider.Name = "SkinSelectDiv";
  Items.push_back(std::move(divider));
}

bool TsSystemMenu::ItemsMayBeStale() const {
  return ExtItemsCount > 0 || FHasOwnItems || FOwner->MakeSkinMenu || !FOwner->SysSubMenu.PopupMenu.empty();
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
  HMENU menu = BuildMenu(Items);
  if (!menu) return;
  const UINT chosen = acTrackSysMenu(menu, x, y, wnd);
  DestroyMenu(menu);
  if (chosen) ItemClick(chosen);
}

void TsSystemMenu::ItemClick(UINT command) {
  const TacSysMenuItem* found = FindItem(Items, command);
  if (!found || !found->Enabled) return;
  if (found->Own) {
    const std::function<void()> handler = found->OnClick;  // may rebuild the items
    if (handler) handler();
    return;
  }
  if (Wnd()) PostMessageW(Wnd(), WM_SYSCOMMAND, command, 0);
}
