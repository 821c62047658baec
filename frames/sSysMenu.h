// The skinned system menu of a provider's form: the system's own commands
// rebuilt as items with their visibility and enabled rules, shown as a
// popup menu at a screen point.
#pragma once
#include "framework/Forms.h"

#include <functional>
#include <vector>

#include <windows.h>

class TsSkinProvider;

struct TacSysMenuItem {
  String Name;
  String Caption;
  String ShortCut;  // the text after a tab in the system's item
  UINT Command = 0;  // the item's Tag: its system command (0 for a separator)
  bool Separator = false;
  bool Visible = true;
  bool Enabled = true;
  bool Checked = false;
  bool Radio = false;
  bool Break = false;  // starts a new column
  // Our own items (copies and skin items) run OnClick instead of posting a
  // system command.
  bool Own = false;
  std::function<void()> OnClick;
  std::vector<TacSysMenuItem> Items;  // a sub-menu
};

// An item of a popup menu handed to the system menu.
struct TacPopupItem {
  String Name;
  String Caption;
  String ShortCut;
  bool Checked = false;
  bool Enabled = true;
  std::function<void()> OnClick;
  std::vector<TacPopupItem> Items;
};

enum class TacItemPosition { ipTop, ipBottom, ipBeforeClose };

// A popup menu added to the system menu under one caption.
struct TacSysSubMenu {
  String Caption;
  std::vector<TacPopupItem> PopupMenu;
  TacItemPosition Position = TacItemPosition::ipBeforeClose;
};

// Commands of our own items: clear of the system's (0xF000 and up).
constexpr UINT acFirstOwnCommand = 0xE000;

class TsCustomSysMenu : public TComponent {
public:
  using TComponent::TComponent;
  virtual bool VisibleClose() const = 0;
  virtual bool VisibleMax() const = 0;
  virtual bool VisibleMin() const = 0;
  virtual bool EnabledMax() const = 0;
  virtual bool EnabledMin() const = 0;
  virtual bool EnabledRestore() const = 0;
};

// Shows a built menu and returns the chosen command (0 for none); tests
// replace it to look at the menu and choose.
using TacTrackSysMenuFunc = UINT (*)(HMENU menu, int x, int y, HWND wnd);
extern TacTrackSysMenuFunc acTrackSysMenu;

class TsSystemMenu : public TsCustomSysMenu {
public:
  explicit TsSystemMenu(TsSkinProvider* owner);

  bool VisibleClose() const override;
  bool VisibleMax() const override;
  bool VisibleMin() const override;
  bool EnabledMax() const override;
  bool EnabledMin() const override;
  bool EnabledRestore() const override;
  bool VisibleRestore() const;
  bool VisibleSize() const;
  bool EnabledMove() const;
  bool EnabledSize() const;
  bool EnabledClose() const;

  void Generate();
  void UpdateItems(bool full = false);
  // Whether items built earlier may no longer match: foreign or own items
  // were copied, or the provider asks for own items.
  bool ItemsMayBeStale() const;
  void UpdateGlyphs() {}
  // Shows the items at a screen point; a choice posts its command to the form.
  void Popup(int x, int y);
  // What choosing the item with this command does: our own item's handler,
  // else WM_SYSCOMMAND to the form.
  void ItemClick(UINT command);

  std::vector<TacSysMenuItem> Items;
  int ExtItemsCount = 0;
  TsSkinProvider* FOwner;
  TCustomForm* FForm;
  // Index in Items of the named items, -1 when absent.
  int ItemRestore = -1, ItemMove = -1, ItemSize = -1, ItemMinimize = -1, ItemMaximize = -1, ItemClose = -1;

private:
  HWND Wnd() const;
  void AddSubMenu(TacItemPosition position);
  // "Available skins" with one radio item per skin, then a separator.
  void MakeSkinItems();
  UINT FNextCommand = acFirstOwnCommand;
  bool FHasOwnItems = false;
};
