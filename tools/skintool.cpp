// skintool: authors the built-in skin and inspects skins.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "frames/sFramePaint.h"
#include "framework/core/SysUtils.h"
#include "tools/AlterMetroArt.h"
#include "tools/SkinPackage.h"
#include "tools/SkinInfo.h"
#include "tools/SkinPreview.h"
#include "tools/SkinRender.h"
#include "tools/ImageWriters.h"

#ifndef QN_SKIN_SOURCE_DIR
#define QN_SKIN_SOURCE_DIR "skins/AlterMetro"
#endif

namespace {

const char* Usage =
    "usage:\n"
    "  skintool build [--source DIR] OUT.asz   author the built-in skin from DIR/Options.dat\n"
    "  skintool pack DIR FILE.asz               pack an unpacked skin folder\n"
    "  skintool unpack FILE.asz DIR             unpack a skin into a folder\n"
    "  skintool info FILE.asz|DIR [--json]      load a skin and print its model\n"
    "  skintool preview FILE.asz OUT.png        draw a contact sheet of a skin\n"
    "  skintool render FILE.asz|DIR --section NAME --size WxH [--state N] [--background 0xRRGGBB] OUT.png\n"
    "                                           paint one section as a control of that size and state\n"
    "                                           (W, H 1..4096; a state past the section's last paints\n"
    "                                           the last; default background: the DIALOG colour)\n"
    "  skintool sheet FILE.asz|DIR OUT.png      every section in each state at 64x24 and 160x60\n"
    "  skintool frame FILE.asz|DIR --size WxH [--style tool|dialog|sizeable] [--inactive] OUT.png\n"
    "                                           paint a form's frame cache (no caption text or icon)\n";

int Fail(const String& message) {
  std::fprintf(stderr, "skintool: %s\n", message.c_str());
  return 1;
}

// A form of the given style framed as the Win32 side would describe it
// (frame 3 for dialog frames, 4 for sizing ones; captions 19 and 15).
int RunFrame(const std::vector<String>& args) {
  String skin, out, style = "sizeable";
  int w = 0, h = 0;
  bool active = true;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--size" && i + 1 < args.size()) {
      if (std::sscanf(args[++i].c_str(), "%dx%d", &w, &h) != 2) return Fail("--size needs WxH");
    } else if (args[i] == "--style" && i + 1 < args.size()) {
      style = args[++i];
    } else if (args[i] == "--inactive") {
      active = false;
    } else if (skin.empty()) {
      skin = args[i];
    } else if (out.empty()) {
      out = args[i];
    } else {
      return Fail(String("too many arguments\n") + Usage);
    }
  }
  if (skin.empty() || out.empty()) return Fail(String("frame needs a skin and an output file\n") + Usage);
  if (w < 1 || h < 1 || w > 4096 || h > 4096) return Fail("--size must be 1..4096 on each side");
  if (style != "tool" && style != "dialog" && style != "sizeable") return Fail("--style must be tool, dialog or sizeable");
  const auto model = LoadSkinModel(skin);
  TacFrameLayout l;
  l.Skin = model.get();
  TacFrameWindow& wnd = l.Wnd;
  wnd.Width = w;
  wnd.Height = h;
  wnd.Active = active;
  wnd.CyCaption = 19;
  wnd.CySmCaption = 15;
  if (style == "tool") {
    wnd.BorderStyle = TacBorderStyle::bsToolWindow;
    wnd.BorderIcons = {true, false, false, false};
  } else if (style == "dialog") {
    l.SkinSection = "DIALOG";
    wnd.BorderStyle = TacBorderStyle::bsSingle;
    wnd.BorderIcons = {true, true, false, false};
    wnd.ShowAppIcon = false;
  } else {
    wnd.GripMode = TacGripMode::gmRightBottom;
  }
  wnd.WsThickFrame = style == "sizeable";
  wnd.FrameWidth = wnd.WsThickFrame ? 4 : 3;
  const int top = wnd.FrameWidth + l.CaptionHeight();
  wnd.ClientRect = Rect(wnd.FrameWidth, top, w - wnd.FrameWidth, std::max(top, h - wnd.FrameWidth));
  l.UpdateIndexes();
  if (l.SkinIndex() < 0) return Fail("the skin has no " + l.SkinSection + " section");
  l.InitButtonImages();
  const TPoint size = l.CacheSize();
  TBitmap32 cache(size.X, size.Y);
  TacFramePainter painter;
  if (!painter.PaintFrameCache(l, TPixelView(cache), {})) return Fail("nothing to paint at that size");
  WriteFileBytes(out, EncodePng(cache));
  return 0;
}

int Run(int argc, char** argv) {
  if (argc < 2) return Fail(String("missing command\n") + Usage);
  String command = argv[1];
  std::vector<String> args(argv + 2, argv + argc);
  if (command == "build") {
    String source = QN_SKIN_SOURCE_DIR, out;
    for (size_t i = 0; i < args.size(); ++i) {
      if (args[i] == "--source" && i + 1 < args.size())
        source = args[++i];
      else if (out.empty())
        out = args[i];
      else
        return Fail(String("too many arguments\n") + Usage);
    }
    if (out.empty()) return Fail(String("missing output file\n") + Usage);
    TBytes options = ReadFileBytes(IncludeTrailingPathDelimiter(source) + SkinOptionsName);
    WriteFileBytes(out, PackSkinEntries(BuildAlterMetroEntries(options)));
    return 0;
  }
  if (command == "pack" && args.size() == 2) {
    WriteFileBytes(args[1], PackSkinEntries(ReadSkinFolder(args[0])));
    return 0;
  }
  if (command == "unpack" && args.size() == 2) {
    UnpackSkinFolder(UnpackSkinEntries(ReadFileBytes(args[0])), args[1]);
    return 0;
  }
  if (command == "info" && (args.size() == 1 || (args.size() == 2 && args[1] == "--json"))) {
    String text = args.size() == 2 ? SkinModelJson(*LoadSkinModel(args[0])) : SkinModelText(*LoadSkinModel(args[0]));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  }
  if (command == "preview" && args.size() == 2) {
    WriteFileBytes(args[1], DrawSkinPreview(args[0]));
    return 0;
  }
  if (command == "render") {
    const TRenderArgs a = ParseRenderArgs(args);
    const TBitmap32 cache = RenderSection(*LoadSkinModel(a.Skin), a.Request);
    WriteFileBytes(a.Out, EncodePng(cache));
    return 0;
  }
  if (command == "sheet" && args.size() == 2) {
    String name = args[0];
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    const String title = Format("%s  -  EVERY SECTION IN EACH STATE AT %dX%d AND %dX%d", ExtractFileName(name).c_str(),
                                SheetSmallWidth, SheetSmallHeight, SheetLargeWidth, SheetLargeHeight);
    WriteFileBytes(args[1], EncodePng(DrawSectionSheet(*LoadSkinModel(args[0]), title)));
    return 0;
  }
  if (command == "frame") return RunFrame(args);
  return Fail(String("unknown command or wrong arguments\n") + Usage);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const Exception& e) {
    return Fail(e.Message());
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
