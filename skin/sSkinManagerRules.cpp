#include "skin/sSkinManagerRules.h"

#include "skin/acSkinPack.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

// ---- names and folders

String DropSkinExtension(const String& name) {
  if (name.size() > 4 && SameText(std::string_view(name).substr(name.size() - 4), ".asz"))
    return name.substr(0, name.size() - 4);
  return name;
}

String FullSkinDirectory(const String& skinDirectory, const String& programFolder) {
  const String& a = programFolder;
  const String& s = skinDirectory;
  if (s.starts_with("..")) {
    // The program folder without its last folder, keeping the separator.
    size_t end = a.size();
    if (end > 0 && IsPathDelimiter(a[end - 1])) --end;
    while (end > 0 && !IsPathDelimiter(a[end - 1])) --end;
    return a.substr(0, end) + s.substr(std::min<size_t>(3, s.size()));
  }
  if (s.starts_with(".\\") || s.starts_with("./")) return a + s.substr(2);
  if (s == ".") return a;
  if (s.find(':') == String::npos && s.find("\\\\") == String::npos) return a + s;
  return s;
}

TacSkinLocation LocateSkin(const String& fullDir, const String& name, bool previewMode, const TacPathTest& fileExists,
                           const TacPathTest& dirExists) {
  TacSkinLocation location;
  const String dir = NormalizeSkinDir(fullDir);
  location.PackageFile = dir + name + ".asz";
  location.Packed = fileExists(location.PackageFile);
  if (previewMode && dirExists(dir + name)) location.Packed = false;
  return location;
}

String ListSkinNames(const String& fullDir, TacSkinTypes type, const std::vector<String>& internalNames, TStrings& list) {
  TStringList names;
  for (const String& n : internalNames) names.Add(n);
  const bool unpacked = type != TacSkinTypes::stPacked, packed = type != TacSkinTypes::stUnpacked;
  const String dir = NormalizeSkinDir(fullDir);
  std::error_code ec;
  const std::filesystem::path native(NativeSkinPath(dir));
  if (!fullDir.empty() && std::filesystem::is_directory(native, ec)) {
    for (std::filesystem::directory_iterator it(native, ec), end; !ec && it != end; it.increment(ec)) {
      const String entry = it->path().filename().string();
      if (entry.empty() || entry[0] == '.') continue;
      std::error_code typeError;
      if (it->is_directory(typeError)) {
        if (unpacked && FileExists(NativeSkinPath(dir + entry + "\\Options.dat"))) names.Add(entry);
      } else if (packed && ExtractFileExt(entry) == ".asz") {
        names.Add(entry.substr(0, entry.find('.')));
      }
    }
  }
  String first = names.Count() > 0 ? names[0] : String();
  names.Sort();
  list.Clear();
  list.AddStrings(names);
  return first;
}

// ---- class-name lists

const char* const acThirdPartyNames[acThirdPartyCount] = {
    "ThirdEdits",       "ThirdButtons",      "ThirdBitBtns",     "ThirdCheckBoxes",    "ThirdComboBoxes",
    "ThirdGrids",       "ThirdGroupBoxes",   "ThirdListViews",   "ThirdPanels",        "ThirdTreeViews",
    "ThirdWWEdits",     "ThirdGridEh",       "ThirdVirtualTrees", "ThirdPageControl",  "ThirdTabControl",
    "ThirdToolBar",     "ThirdStatusBar",    "ThirdSpeedButton", "ThirdScrollControl", "ThirdUpDown",
    "ThirdScrollBar",   "ThirdStaticText"};
const char* const acThirdKinds[acThirdPartyCount] = {
    "Edit",     "Button",     "BitBtn",      "CheckBox",    "ComboBox",  "Grid",          "GroupBox", "ListView",
    "Panel",    "TreeView",   "wwEdit",      "GridEh",      "VirtualTree", "PageControl", "TabControl", "ToolBar",
    "StatusBar", "SpeedButton", "ScrollControl", "UpDownBtn", "ScrollBar", "StaticText"};

String ThirdPartyDefault(int index) { return index == 1 ? "TButton" : " "; }

void SplitThirdList(const String& text, TStrings& list) { list.SetText(text); }

// ---- command line

bool IsPreviewSwitch(const std::vector<String>& params) { return !params.empty() && params[0] == "/acpreview"; }

bool HasSwitch(const std::vector<String>& params, const String& sw) {
  return std::any_of(params.begin(), params.end(), [&](const String& p) { return LowerCase(p) == sw; });
}

// ---- version check

TacVersionCheck ClassifySkinVersion(double version) {
  if (version > 8.99) return TacVersionCheck::vcTooNew;
  if (version < 7.0) return TacVersionCheck::vcTooOld;
  return TacVersionCheck::vcSupported;
}

String SkinTooNewText() {
  return "This skin version is not completely supported by the skinning components in use.\n"
         "Please update the components to use this skin.";
}

String SkinTooOldText(const String& skinName) {
  return "The skin \"" + skinName + "\" is of an old version.\n"
         "Please update the skin or contact the makers of the skinning components for an upgrade.\n"
         "This notice is shown at design time only.";
}

String SkinEngineInfoText() { return String("Quarnel skin components, version ") + SkinEngineVersion; }

String SkinInfoText(bool active, double version) {
  if (!active) return "N/A";
  String s = Format("%.15g", version);
  std::replace(s.begin(), s.end(), ',', '.');
  return s;
}

// ---- the skin-change fade

int FadeSteps(int timeMs) { return timeMs > 0 ? timeMs / 12 : 0; }

uint8_t FadeOpacity(int k, int n, uint8_t blend) {
  if (n <= 0) return blend;
  // k * B / n rounded half to even, in integers.
  const int64_t num = int64_t(k) * blend, q = num / n, r = num % n;
  int64_t v = q;
  if (2 * r > n || (2 * r == n && (q & 1))) ++v;
  return uint8_t(std::min<int64_t>(blend, v));
}

TRect FadeAeroRect(int k, int n, int width, int height) {
  if (n <= 0 || k > n) return Rect(0, 0, width, height);
  const int64_t left = int64_t(width) * (n + 1 - k) / (8 * int64_t(n));
  const int64_t top = int64_t(height) * (n + 1 - k) / (8 * int64_t(n));
  return Rect(int(left), int(top), int(width - left), int(height - top));
}

int FadeOldWeight(int k, int n) {
  if (n <= 0) return 0;
  return std::max(0, 255 - (k - 1) * (255 / n));
}

uint8_t FadeCoverOpacity(uint8_t blend, uint8_t opacity) {
  return uint8_t(std::clamp(3 * (int(blend) - int(opacity)), 0, 255));
}

// ---- the preview protocol

namespace {

// A single-byte field up to its first zero or its end; bytes above 127 are
// taken as Latin-1 so that names and paths come out as valid UTF-8.
String BoundedText(const uint8_t* p, size_t size, bool asUtf8) {
  const size_t len = std::find(p, p + size, uint8_t(0)) - p;
  if (!asUtf8) return String(reinterpret_cast<const char*>(p), len);
  String s;
  s.reserve(len);
  for (size_t i = 0; i < len; ++i) {
    if (p[i] < 0x80) {
      s += char(p[i]);
    } else {
      s += char(0xC0 | (p[i] >> 6));
      s += char(0x80 | (p[i] & 0x3F));
    }
  }
  return s;
}

}  // namespace

bool ParsePreviewBlock(const void* data, size_t size, TacPreviewData& out) {
  if (data == nullptr || size != acPreviewBlockSize) return false;
  const auto* p = static_cast<const uint8_t*>(data);
  const uint32_t marker = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  if (marker != acPreviewMarker) return false;
  out.SkinName = BoundedText(p + acPreviewNameOffset, acPreviewNameSize, true);
  out.SkinDirectory = BoundedText(p + acPreviewDirOffset, acPreviewDirSize, true);
  out.Options = BoundedText(p + acPreviewOptionsOffset, acPreviewOptionsSize, false);
  return true;
}

// ---- the tool window's [SKIN] settings

String SkinSettingOrDefault(const String& stored, const String& formValue) {
  return Trim(stored).empty() ? formValue : stored;
}
