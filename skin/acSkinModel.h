// The skin data model: everything a loaded skin consists of, and the lookups
// that controls and painting use. The Win32 skin manager (TsSkinManager)
// derives from TacSkinModel, so gd, ma, pa, CommonSkinData, ConstData,
// Palette, MasterBitmap and the lookup methods are the manager's own members.
//
// A load either succeeds or leaves the previous model exactly as it was and
// raises: ESkinError (format, limits, undecodable image: the decoder's text
// followed by the file name), EConvertError (malformed number, prefixed with
// the section and key), EReadError (truncated package).
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/Classes.h"
#include "framework/core/SysUtils.h"
#include "skin/acSkinOptions.h"
#include "skin/acSkinPack.h"
#include "skin/sMaskData.h"
#include "skin/sSkinData.h"

#include <cstdint>
#include <unordered_map>

// Limits of one skin, checked before anything is allocated for it.
constexpr int MaxSkinSections = 32767;           // section indexes are 16-bit in ConstData
constexpr int MaxSkinImages = 32767;             // so are mask indexes
constexpr int64_t MaxSkinImagePixels = int64_t(4096) * 4096;  // one picture
constexpr int64_t MaxSkinTotalPixels = int64_t(64) << 20;     // all pictures of a skin
constexpr int64_t MaxSkinFileSize = MaxUnpackedSkinSize;      // one file read from a folder
// JPEG pictures of at least this many pixels stay pattern records.
constexpr int64_t PatternMinPixels = 900000;

class TacSkinModel {
public:
  TacSkinModel();
  virtual ~TacSkinModel();
  TacSkinModel(const TacSkinModel&) = delete;
  TacSkinModel& operator=(const TacSkinModel&) = delete;

  // ---- the model (rebuilt on every load)
  TsSkinData CommonSkinData;
  TsSkinGeneralArray gd;   // sections in file order, then override sections
  TsMaskArray ma;          // image records
  TsPatternArray pa;       // large JPEG textures
  TConstantSkinData ConstData;
  TacPaletteArray Palette{};
  TBitmap32 MasterBitmap;  // empty when the skin names none
  TBitmap32 ShdaTemplate;  // window shadow, active
  TBitmap32 ShdiTemplate;  // window shadow, inactive
  TRect FormShadowSize;    // shadow margins: left, top, right, bottom
  bool SkinIsPacked = false;

  // ---- settings read by a load (the manager's property setters wrap these
  // and reload; here they only store)
  int HueOffset() const { return FHueOffset; }
  void SetHueOffset(int value) { FHueOffset = value; }
  int Saturation() const { return FSaturation; }
  void SetSaturation(int value) { FSaturation = value; }
  // The property; shadows are made only when layered windows exist too.
  bool ExtendedBorders() const { return FExtendedBorders; }
  void SetExtendedBorders(bool value) { FExtendedBorders = value; }
  // Override sections in INI form, case-sensitive. Assigning copies the
  // lines and removes every space from each line not starting with ";".
  const TStringList& CommonSections() const { return FCommonSections; }
  void SetCommonSections(const TStrings& lines);

  // ---- loading
  // Unpacked skin: folder holding "Options.dat" and the images.
  void LoadFromFolder(const String& skinFolder);
  // A package file (".asz"); skinDir becomes SkinPath (override images are
  // read from there). ESkinError when the file does not exist.
  void LoadFromPackageFile(const String& fileName, const String& skinDir = String());
  // A package in memory.
  void LoadFromPackage(const uint8_t* data, size_t size, const String& skinDir = String());
  // An internal skin: its PackedData is lent to the reader, never changed.
  void LoadFromStoredSkin(TsStoredSkin& skin);
  // Options from memory, images from the folder skinPath (preview protocol).
  void LoadFromOptionsText(std::string_view optionsText, const String& skinPath);
  // A package already read. Its options must be present.
  void LoadFromConvertor(const TacSkinConvertor& convertor, const String& skinDir = String());
  // Frees every record and picture and empties the sections; ConstData -1.
  void RemoveSkin();

  // ---- lookups (never raise; -1 for anything absent)
  int GetSkinIndex(const String& skinSection) const;
  int GetMaskIndex(int skinIndex, const String& skinSection, const String& mask) const;
  int GetMaskIndex(const String& skinSection, const String& mask) const;
  int GetTextureIndex(int skinIndex, const String& skinSection, const String& propName) const;
  int GetPatternIndex(int skinIndex, const String& skinSection, const String& pattern) const;
  bool IsValidSkinIndex(int skinIndex) const { return skinIndex >= 0 && skinIndex < int(gd.size()); }
  bool IsValidImgIndex(int imageIndex) const { return imageIndex >= 0 && imageIndex < int(ma.size()); }
  // The picture a mask record's R refers to: its own or the master bitmap.
  const TBitmap32& MaskPicture(int maskIndex) const;
  // Border widths of a mask record: own width, else BorderWidth, else frame size.
  // MaskWidthLeft first turns an ImageCount of 0 into 1. 0 for a bad index.
  int MaskWidthLeft(int maskIndex);
  int MaskWidthTop(int maskIndex) const;
  int MaskWidthRight(int maskIndex) const;
  int MaskWidthBottom(int maskIndex) const;
  // Clears the list; adds every section name while a skin is active.
  void GetSkinSections(TStrings& list) const;

  TColor GetGlobalColor() const { return Palette[psGlobalColor]; }
  TColor GetGlobalFontColor() const { return Palette[psGlobalFontColor]; }
  TColor GetActiveEditColor() const { return Palette[psEditColor]; }
  TColor GetActiveEditFontColor() const { return Palette[psEditFont]; }
  TColor GetHighLightColor(bool focused) const { return Palette[focused ? psHighlightFocused : psHighlight]; }
  TColor GetHighLightFontColor(bool focused) const { return Palette[focused ? psHighlightFontFocused : psHighlightFont]; }

  // ---- steps of a load (public because the manager re-runs some)
  // Global values, sections, overrides, palette and colour adjustments from
  // the options file of the load in progress; nothing outside a load.
  void LoadAllGeneralData();
  void InitMaskIndexes();
  // Fills ConstData, then InitMaskIndexes and CheckShadows.
  void InitConstantIndexes();
  // Shadow templates and FormShadowSize from "EXBORDER" or the built-in pictures.
  void CheckShadows();

protected:
  // Called with CommonSkinData.Version read, twice per load (before the
  // images and again with the global values). The manager warns here.
  virtual void CheckVersion() {}

  // The options file of the load in progress (nil outside a load).
  const TacSkinOptions* FOptions = nullptr;
  const TacSkinConvertor* FPackage = nullptr;

  int FHueOffset = 0;
  int FSaturation = 0;
  bool FExtendedBorders = false;
  TStringList FCommonSections{true};

private:
  struct TacModelState;
  void LoadCommon(const TacSkinOptions& options, const TacSkinConvertor* package, const String& skinPath);
  void LoadAllMasks();
  void LoadAllPatterns();
  void ReadGlobalValues();
  void ReadSection(const String& name, TsGeneralData& gd);
  void ApplyOverrides(const TacSkinOptions& overrides);
  void FillPalette();
  void AdjustColors();
  void AdjustImages();
  void AddMask(TsMaskData&& md);
  // Reads a picture named by a reference; false when the file is missing.
  // Shared pictures are decoded once per load and copied for each use.
  enum class TacPicKind { pkBmp, pkPng, pkJpeg };
  bool LoadPicture(const String& name, TacPicKind kind, bool diskOnly, TBitmap32& picture, bool shared = false);
  void RebuildLookups() const;
  int FindMask(const String& section, const String& mask, bool texturesOnly) const;
  int FindPattern(const String& section, const String& pattern) const;
  template <typename Find>
  int LookupWithParents(int skinIndex, const String& skinSection, Find find) const;

  int64_t FLoadedPixels = 0;  // pictures decoded by the load in progress
  // Lookup tables, rebuilt when the arrays change size.
  mutable std::unordered_map<String, int> FSectionLookup, FPatternLookup;
  mutable std::unordered_map<String, std::vector<int>> FMaskBuckets;  // section name -> its records
  mutable size_t FLookupSections = SIZE_MAX, FLookupMasks = SIZE_MAX, FLookupPatterns = SIZE_MAX;
  mutable String FKeyBuffer;  // scratch of the mask and pattern lookups
  std::unordered_map<String, TBitmap32> FPictureCache;  // shared pictures of the load in progress
  std::unordered_map<String, int> FSharedPictures;      // uses of each picture name in the options
};
