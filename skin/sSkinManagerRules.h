// The skin manager's rules that need no window: locating and listing skins,
// the version check, the skin-change fade schedule, the preview data block
// and the tool window's skin settings. The Win32 manager (sSkinManager)
// applies them.
#pragma once
#include "framework/core/Classes.h"
#include "framework/core/SysUtils.h"
#include "framework/core/Types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// The skin engine's own version, the manager's read-only Version.
inline constexpr const char* SkinEngineVersion = "8.46";
inline constexpr const char* DefaultSkinDirectory = "c:\\Skins";

// ---- names and folders

// A name longer than 4 characters ending in ".asz" (any case) loses it.
String DropSkinExtension(const String& name);

// SkinDirectory resolved against programFolder (the program file's folder
// with a final separator). No separator is added at the end.
String FullSkinDirectory(const String& skinDirectory, const String& programFolder);

// Where the name of a skin points. fullDir is the full skin directory.
struct TacSkinLocation {
  bool Packed = false;   // load the package file
  String PackageFile;    // normalised fullDir + name + ".asz"
};
using TacPathTest = std::function<bool(const String& path)>;
// The package file wins unless, in preview mode, a folder of that name exists.
TacSkinLocation LocateSkin(const String& fullDir, const String& name, bool previewMode, const TacPathTest& fileExists,
                           const TacPathTest& dirExists);

enum class TacSkinTypes { stUnpacked, stPacked, stAllSkins };
// Clears list; adds internalNames, then from fullDir (when it exists) every
// entry not beginning with ".": folders holding "Options.dat" (unpacked) and
// files whose extension is exactly ".asz" under their name up to the first
// "." (packed). The list is sorted case-insensitively; returns the first name
// added before sorting, "" when none.
String ListSkinNames(const String& fullDir, TacSkinTypes type, const std::vector<String>& internalNames, TStrings& list);

// ---- class-name lists of standard controls to skin

inline constexpr int acThirdPartyCount = 22;
// Property names and kinds by index (the kind is what control adapters use).
extern const char* const acThirdPartyNames[acThirdPartyCount];
extern const char* const acThirdKinds[acThirdPartyCount];
// " " for every list but ThirdButtons, which is "TButton".
String ThirdPartyDefault(int index);
// The list's class names, one per line of text.
void SplitThirdList(const String& text, TStrings& list);

// ---- command line

// Preview mode: "/acpreview" exactly as the first parameter.
bool IsPreviewSwitch(const std::vector<String>& params);
// True when one parameter, lower-cased, equals sw (given in lower case).
bool HasSwitch(const std::vector<String>& params, const String& sw);

// ---- version check

enum class TacVersionCheck { vcSupported, vcTooNew, vcTooOld };
// 7.0 to 8.99 is supported.
TacVersionCheck ClassifySkinVersion(double version);
String SkinTooNewText();
String SkinTooOldText(const String& skinName);
String SkinEngineInfoText();
// "N/A" while no skin is active, else the version with "." as separator.
String SkinInfoText(bool active, double version);

// ---- the skin-change fade

// Number of steps for a fade of timeMs milliseconds (12 ms per step).
int FadeSteps(int timeMs);
// Opacity of frame k (1..n+1): min(B, k*B/n) rounded half to even; B when n is 0.
uint8_t FadeOpacity(int k, int n, uint8_t blend);
// The atAero rectangle of frame k in a width x height picture: inset by an
// eighth on every side at the first frame, the full picture at the last.
TRect FadeAeroRect(int k, int n, int width, int height);
// Weight of the old picture at frame k without layered windows: 255 falling
// by 255 div n per frame, never below 0.
int FadeOldWeight(int k, int n);
// One channel of the fallback mix: (w * o + (256 - w) * p) / 256.
inline uint8_t FadeMix(uint8_t o, uint8_t p, int w) { return uint8_t((w * o + (256 - w) * p) >> 8); }
// Opacity of the old look's border window: min(255, max(0, 3 * (B - opacity))).
uint8_t FadeCoverOpacity(uint8_t blend, uint8_t opacity);

// ---- the preview protocol

inline constexpr unsigned WM_ACPREVIEW_MSG = 0xA400;
inline constexpr const char* PreviewEditorTitle = "Quarnel skin editor";
inline constexpr int PreviewAttempts = 101;
// Message 0xA400 WParam values.
inline constexpr uintptr_t acPreviewClose = 1;
inline constexpr uintptr_t acPreviewHello = 3;
inline constexpr uintptr_t acPreviewAlive = 4;
// The data-copy block (WM_COPYDATA with WParam 7).
inline constexpr uintptr_t acPreviewDataWParam = 7;
inline constexpr uint32_t acPreviewMarker = 0x0000A400;
inline constexpr size_t acPreviewNameOffset = 4, acPreviewNameSize = 128;
inline constexpr size_t acPreviewDirOffset = 132, acPreviewDirSize = 513;
inline constexpr size_t acPreviewOptionsOffset = 645, acPreviewOptionsSize = 30001;
inline constexpr size_t acPreviewBlockSize = acPreviewOptionsOffset + acPreviewOptionsSize;  // 30646

struct TacPreviewData {
  String SkinName;       // UTF-8 from the block's single-byte text
  String SkinDirectory;
  String Options;        // bytes as sent
};
// Accepts only the exact size and marker; each field ends at its first zero
// byte or at its end. data may be null when size is 0.
bool ParsePreviewBlock(const void* data, size_t size, TacPreviewData& out);

// ---- the tool window's [SKIN] settings

inline constexpr const char* SkinSettingsSection = "SKIN";
inline constexpr const char* SkinSettingsName = "NAME";
inline constexpr const char* SkinSettingsDir = "DIR";
// A stored value that is blank leaves the form's own value.
String SkinSettingOrDefault(const String& stored, const String& formValue);
