// The built-in skin and the windows the frame tests frame.
#pragma once
#include "frames/sFramePaint.h"
#include "framework/core/SysUtils.h"

#include <fstream>
#include <sstream>
#include <string>

namespace frametest {

inline const TacSkinModel& BuiltInSkin() {
  static const TacSkinModel* model = [] {
    std::ifstream in(std::string(QN_SOURCE_DIR) + "/skins/AlterMetro.asz", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string pkg = bytes.str();
    auto* m = new TacSkinModel;
    m->LoadFromPackage(reinterpret_cast<const uint8_t*>(pkg.data()), pkg.size());
    return m;
  }();
  return *model;
}

// The tool window: bsToolWindow, dialog frame 3, small caption 15, close only.
inline TacFrameLayout ToolWindow(int w = 130, int h = 125) {
  TacFrameLayout l;
  l.Skin = &BuiltInSkin();
  l.Wnd.Width = w;
  l.Wnd.Height = h;
  l.Wnd.FrameWidth = 3;
  l.Wnd.CySmCaption = 15;
  l.Wnd.ClientRect = Rect(3, 18, w - 3, h - 3);
  l.Wnd.BorderStyle = TacBorderStyle::bsToolWindow;
  l.Wnd.BorderIcons = {true, false, false, false};
  l.Wnd.WsThickFrame = false;
  l.Wnd.IsMainForm = true;
  l.UpdateIndexes();
  l.InitButtonImages();
  l.CalcItems();
  return l;
}

// The colour dialog: bsSingle, system menu and minimise, no icon, centred caption.
inline TacFrameLayout ColorDialog(int w = 400, int h = 300) {
  TacFrameLayout l;
  l.Skin = &BuiltInSkin();
  l.SkinSection = "DIALOG";
  l.Wnd.Width = w;
  l.Wnd.Height = h;
  l.Wnd.FrameWidth = 3;
  l.Wnd.CyCaption = 19;
  l.Wnd.ClientRect = Rect(3, 22, w - 3, h - 3);
  l.Wnd.BorderStyle = TacBorderStyle::bsSingle;
  l.Wnd.BorderIcons = {true, true, false, false};
  l.Wnd.WsThickFrame = false;
  l.Wnd.ShowAppIcon = false;
  l.Wnd.CaptionAlignment = TacAlignment::taCenter;
  l.UpdateIndexes();
  l.InitButtonImages();
  l.CalcItems();
  return l;
}

// A sizeable form with every border icon, thick frame 4, caption 19.
inline TacFrameLayout SizeableForm(int w = 400, int h = 300) {
  TacFrameLayout l;
  l.Skin = &BuiltInSkin();
  l.Wnd.Width = w;
  l.Wnd.Height = h;
  l.Wnd.FrameWidth = 4;
  l.Wnd.CyCaption = 19;
  l.Wnd.ClientRect = Rect(4, 23, w - 4, h - 4);
  l.UpdateIndexes();
  l.InitButtonImages();
  l.CalcItems();
  return l;
}

}  // namespace frametest
