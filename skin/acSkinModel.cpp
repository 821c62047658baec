#include "skin/acSkinModel.h"

#include "skin/acBmp.h"
#include "skin/acJpeg.h"
#include "skin/acPNG.h"
#include "skin/acShadows.h"
#include "skin/acSkinColors.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const String GlobalInfo = "GLOBALINFO";


int16_t Low16(int v) { return int16_t(uint16_t(uint32_t(v))); }

String Context(const String& section, const String& key) {
  return "Section \"" + section + "\", key \"" + key + "\": ";
}

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

// Picture dimensions from the header, so that the size budget is checked
// before a decoder allocates. False when the header does not tell.
bool PeekPictureSize(const uint8_t* d, size_t n, int64_t& w, int64_t& h) {
  if (n >= 26 && d[0] == 'B' && d[1] == 'M') {
    if (Le32(d + 14) == 12) {
      w = d[18] | d[19] << 8;
      h = d[20] | d[21] << 8;
    } else {
      w = std::abs(int64_t(int32_t(Le32(d + 18))));
      h = std::abs(int64_t(int32_t(Le32(d + 22))));
    }
    return true;
  }
  if (n >= 24 && std::memcmp(d, "\x89PNG", 4) == 0) {
    w = Be32(d + 16);
    h = Be32(d + 20);
    return true;
  }
  if (n >= 4 && d[0] == 0xFF && d[1] == 0xD8) {
    size_t i = 2;
    while (i + 4 <= n && d[i] == 0xFF) {
      const uint8_t m = d[i + 1];
      if (m == 0xFF) {
        ++i;
        continue;
      }
      if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
        i += 2;
        continue;
      }
      const size_t len = size_t(d[i + 2]) << 8 | d[i + 3];
      if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
        if (i + 9 > n) return false;
        h = int64_t(d[i + 5]) << 8 | d[i + 6];
        w = int64_t(d[i + 7]) << 8 | d[i + 8];
        return true;
      }
      i += 2 + len;
    }
  }
  return false;
}

}  // namespace

struct TacSkinModel::TacModelState {
  TsSkinData CommonSkinData;
  TsSkinGeneralArray gd;
  TsMaskArray ma;
  TsPatternArray pa;
  TConstantSkinData ConstData;
  TacPaletteArray Palette{};
  TBitmap32 MasterBitmap, ShdaTemplate, ShdiTemplate;
  TRect FormShadowSize;
  bool SkinIsPacked = false;
};

TacSkinModel::TacSkinModel() { Palette.fill(0); }

TacSkinModel::~TacSkinModel() = default;

void TacSkinModel::SetCommonSections(const TStrings& lines) {
  FCommonSections.Clear();
  for (int i = 0; i < lines.Count(); ++i) {
    String line = lines[i];
    if (line.empty() || line[0] != ';') line.erase(std::remove(line.begin(), line.end(), ' '), line.end());
    FCommonSections.Add(line);
  }
}

// ---- loading

void TacSkinModel::LoadFromFolder(const String& skinFolder) {
  String path = skinFolder;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  const String optionsFile = NativeSkinPath(path + "Options.dat");
  if (!FileExists(optionsFile)) throw ESkinError("The skin folder \"" + skinFolder + "\" holds no \"Options.dat\".");
  TFileStream file(optionsFile, fmOpenRead | fmShareDenyNone);
  if (file.Size() > MaxSkinFileSize) throw ESkinError("\"" + optionsFile + "\" is too large for an options file.");
  TacSkinOptions options;
  options.LoadFromStream(file);
  LoadCommon(options, nullptr, path);
}

void TacSkinModel::LoadFromPackageFile(const String& fileName, const String& skinDir) {
  if (!FileExists(NativeSkinPath(fileName))) throw ESkinError("The packed skin \"" + fileName + "\" does not exist.");
  std::unique_ptr<TacSkinConvertor> convertor;
  UnpackSkinFile(fileName, convertor, true);
  if (!convertor) throw ESkinError("The packed skin \"" + fileName + "\" does not exist.");
  LoadFromConvertor(*convertor, skinDir.empty() ? ExtractFilePath(fileName) : skinDir);
}

void TacSkinModel::LoadFromPackage(const uint8_t* data, size_t size, const String& skinDir) {
  auto convertor = std::make_unique<TacSkinConvertor>();
  auto stream = std::make_unique<TMemoryStream>();
  stream->LoadFromBytes(data, size);
  convertor->SetPackedData(std::move(stream));
  ExtractPackedData(convertor);
  convertor->ReleasePackedData();
  LoadFromConvertor(*convertor, skinDir);
}

void TacSkinModel::LoadFromStoredSkin(TsStoredSkin& skin) {
  if (skin.PackedData().Size() == 0) throw ESkinError("The internal skin \"" + skin.Name() + "\" holds no data.");
  auto convertor = std::make_unique<TacSkinConvertor>();
  convertor->LendPackedData(&skin.PackedData());
  ExtractPackedData(convertor);
  convertor->ReleasePackedData();
  LoadFromConvertor(*convertor, String());
}

void TacSkinModel::LoadFromOptionsText(std::string_view optionsText, const String& skinPath) {
  String path = skinPath;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  TacSkinOptions options;
  options.SetText(optionsText);
  LoadCommon(options, nullptr, path);
}

void TacSkinModel::LoadFromConvertor(const TacSkinConvertor& convertor, const String& skinDir) {
  if (!convertor.Options) throw ESkinError("The packed skin holds no \"Options.dat\".");
  String path = skinDir;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  TacSkinOptions options;
  options.LoadFromStream(*convertor.Options);
  LoadCommon(options, &convertor, path);
}

void TacSkinModel::LoadCommon(const TacSkinOptions& options, const TacSkinConvertor* package, const String& skinPath) {
  // The previous model is kept aside and put back if anything fails.
  TacModelState old;
  old.CommonSkinData = std::move(CommonSkinData);
  old.gd = std::move(gd);
  old.ma = std::move(ma);
  old.pa = std::move(pa);
  old.ConstData = ConstData;
  old.Palette = Palette;
  old.MasterBitmap = std::move(MasterBitmap);
  old.ShdaTemplate = std::move(ShdaTemplate);
  old.ShdiTemplate = std::move(ShdiTemplate);
  old.FormShadowSize = FormShadowSize;
  old.SkinIsPacked = SkinIsPacked;
  try {
    CommonSkinData = TsSkinData();
    CommonSkinData.Active = old.CommonSkinData.Active;
    CommonSkinData.SkinPath = skinPath;
    gd.clear();
    ma.clear();
    pa.clear();
    MasterBitmap = TBitmap32();
    ShdaTemplate = TBitmap32();
    ShdiTemplate = TBitmap32();
    FormShadowSize = TRect();
    SkinIsPacked = package != nullptr;
    FOptions = &options;
    FPackage = package;
    FLoadedPixels = 0;
    FPictureCache.clear();
    FSharedPictures.clear();
    FLookupSections = FLookupMasks = FLookupPatterns = SIZE_MAX;

    CommonSkinData.Version = options.ReadFloat(GlobalInfo, "VERSION", 0);
    CheckVersion();
    LoadAllMasks();
    LoadAllPatterns();
    LoadAllGeneralData();
    InitConstantIndexes();
  } catch (...) {
    FOptions = nullptr;
    FPackage = nullptr;
    FPictureCache.clear();
    FSharedPictures.clear();
    CommonSkinData = std::move(old.CommonSkinData);
    gd = std::move(old.gd);
    ma = std::move(old.ma);
    pa = std::move(old.pa);
    ConstData = old.ConstData;
    Palette = old.Palette;
    MasterBitmap = std::move(old.MasterBitmap);
    ShdaTemplate = std::move(old.ShdaTemplate);
    ShdiTemplate = std::move(old.ShdiTemplate);
    FormShadowSize = old.FormShadowSize;
    SkinIsPacked = old.SkinIsPacked;
    FLookupSections = FLookupMasks = FLookupPatterns = SIZE_MAX;
    throw;
  }
  FOptions = nullptr;
  FPackage = nullptr;
  FPictureCache.clear();
  FSharedPictures.clear();
}

void TacSkinModel::RemoveSkin() {
  ma.clear();
  MasterBitmap = TBitmap32();
  pa.clear();
  gd.clear();
  FLookupSections = FLookupMasks = FLookupPatterns = SIZE_MAX;
  InitConstantIndexes();
}

// ---- pictures

bool TacSkinModel::LoadPicture(const String& name, TacPicKind kind, bool diskOnly, TBitmap32& picture, bool shared) {
  const uint8_t* data = nullptr;
  size_t size = 0;
  TBytes bytes;
  if (FPackage && !diskOnly) {
    TMemoryStream* file = FPackage->FindFile(name);
    if (!file) return false;
    data = file->Memory();
    size = size_t(file->Size());
  } else {
    const String path = NativeSkinPath(name.find(':') != String::npos ? name : CommonSkinData.SkinPath + name);
    if (!FileExists(path)) return false;
    TFileStream file(path, fmOpenRead | fmShareDenyNone);
    if (file.Size() > MaxSkinFileSize) throw ESkinError("The picture \"" + name + "\" is too large.");
    bytes.resize(size_t(file.Size()));
    if (!bytes.empty()) file.ReadBuffer(bytes.data(), int64_t(bytes.size()));
    data = bytes.data();
    size = bytes.size();
  }

  auto budget = [&](int64_t w, int64_t h) {
    // Each side is checked first, so that the product cannot overflow.
    if (w > TBitmap32::MaxDimension || h > TBitmap32::MaxDimension || w * h > MaxSkinImagePixels)
      throw ESkinError(Format("The picture \"%s\" is too large (%lld x %lld pixels).", name.c_str(), (long long)w, (long long)h));
    if (FLoadedPixels + w * h > MaxSkinTotalPixels)
      throw ESkinError("The pictures of the skin are too large in all (at \"" + name + "\").");
    FLoadedPixels += w * h;
  };
  int64_t w = 0, h = 0;
  const bool peeked = PeekPictureSize(data, size, w, h);
  if (peeked) budget(w, h);

  TBitmap32 result;
  // Skins name the same small picture from many sections: decode it once per
  // load (the budget above still counts every use).
  String cacheKey;
  if (shared) {
    cacheKey.reserve(name.size() + 2);
    cacheKey += char('0' + int(kind));
    cacheKey += diskOnly ? 'd' : 'p';
    cacheKey += name;
  }
  auto cached = shared ? FPictureCache.find(cacheKey) : FPictureCache.end();
  if (cached != FPictureCache.end()) {
    result = cached->second;
  } else {
    try {
      switch (kind) {
        case TacPicKind::pkBmp:
          LoadBmp(data, size, result);
          break;
        case TacPicKind::pkPng: {
          TPNGGraphic png;
          png.LoadFromBytes(data, size);
          result = std::move(png.Bitmap());
          break;
        }
        case TacPicKind::pkJpeg:
          LoadJpeg(data, size, result);
          break;
      }
    } catch (const Exception& e) {
      throw ESkinError(e.Message() + " (file \"" + name + "\")");
    }
    if (shared) FPictureCache.emplace(std::move(cacheKey), result);
  }
  if (!peeked || result.Width() != w || result.Height() != h) {
    if (peeked) FLoadedPixels -= w * h;
    budget(result.Width(), result.Height());
  }
  picture = std::move(result);
  return true;
}

void TacSkinModel::AddMask(TsMaskData&& md) {
  if (int(ma.size()) >= MaxSkinImages) throw ESkinError(Format("The skin has more than %d images.", MaxSkinImages));
  md.Manager = this;
  ma.push_back(std::move(md));
}

namespace {

// Layout of a picture named plainly: three frames, two rows.
void PlainBmpLayout(TsMaskData& md, int w, int h) {
  md.ImageCount = 3;
  md.MaskType = 1;
  md.R = Rect(0, 0, w, h);
  md.WL = md.WR = int16_t(w / 9);
  md.WT = md.WB = int16_t(h / 6);
  md.ImgType = itisaBorder;
}

int16_t ToInt16(int v) { return int16_t(std::clamp(v, -32768, 32767)); }

}  // namespace

void TacSkinModel::LoadAllMasks() {
  ma.clear();
  MasterBitmap = TBitmap32();
  const double version = CommonSkinData.Version;

  const String masterName = FOptions->ReadString(GlobalInfo, "MASTERBITMAP", "");
  if (!masterName.empty()) {
    TBitmap32 pic;
    const bool png = UpperCase(masterName).find(".PNG") != String::npos;
    if (LoadPicture(masterName, png ? TacPicKind::pkPng : TacPicKind::pkBmp, false, pic)) {
      if (png)
        PrepareSkinPng(pic, version);
      else
        MakeSkinBitmap32(pic);
      MasterBitmap = std::move(pic);
    }
  }

  // Pictures named more than once are decoded once (LoadPicture's cache);
  // the others are not copied into it.
  FSharedPictures.clear();
  for (const String& section : FOptions->SectionNames()) {
    for (const TacOptionsKey& k : FOptions->FindSection(section)->Keys) {
      if (!k.First) continue;
      const TacRefForm form = ReferenceForm(k.Value);
      if (form == TacRefForm::rfFile) {
        const size_t from = k.Value.find_first_not_of('!');
        if (from != std::string_view::npos) ++FSharedPictures[String(k.Value.substr(from, k.Value.find('!', from) - from))];
      } else if (form == TacRefForm::rfBmpName) {
        ++FSharedPictures[UpperCase(k.Value)];
      }
    }
  }
  auto shared = [&](const String& name) {
    auto it = FSharedPictures.find(name);
    return it != FSharedPictures.end() && it->second > 1;
  };

  for (const String& section : FOptions->SectionNames()) {
    for (const TacOptionsKey& k : FOptions->FindSection(section)->Keys) {
      if (!k.First || k.Value.empty()) continue;
      if (section == GlobalInfo && k.Name == "MASTERBITMAP") continue;
      const TacRefForm form = ReferenceForm(k.Value);
      if (form == TacRefForm::rfNone) continue;
      const String key(k.Name), value(k.Value);
      TsMaskData md;
      md.ClassName = section;
      md.PropertyName = key;
      try {
        switch (form) {
          case TacRefForm::rfNone:
            break;
          case TacRefForm::rfFile: {
            TacFileRef ref;
            if (!ParseFileReference(value, ref)) break;
            TBitmap32 pic;
            if (!LoadPicture(ref.FileName, ref.IsBmp ? TacPicKind::pkBmp : TacPicKind::pkPng, false, pic,
                             shared(ref.FileName)) ||
                pic.Width() <= 0)
              break;
            if (ref.IsBmp)
              MakeSkinBitmap32(pic);
            else
              PrepareSkinPng(pic, version);
            md.ImgType = ref.ImgType;
            md.ImageCount = ToInt16(ref.ImageCount);
            md.MaskType = ToInt16(ref.MaskType);
            md.R = Rect(0, 0, pic.Width(), pic.Height());
            if (ref.WordCount < 5) {
              DeriveThirdWidths(md, pic.Width(), pic.Height());
            } else {
              md.WL = ToInt16(ref.WL);
              md.WT = ToInt16(ref.WT);
              md.WR = ToInt16(ref.WR);
              md.WB = ToInt16(ref.WB);
            }
            md.DrawMode = ToInt16(ref.DrawMode);
            md.Bmp = std::make_unique<TBitmap32>(std::move(pic));
            if (md.ImgType == itisaBorder) md.CornerType = DetectCornerType(md, *md.Bmp);
            AddMask(std::move(md));
            break;
          }
          case TacRefForm::rfGlyph:
            ParseGlyphReference(value, md);
            AddMask(std::move(md));
            break;
          case TacRefForm::rfBorder:
            ParseBorderReference(value, md);
            if (version < 7.4 && md.MaskType > 0) {
              const bool single = MaskFrameWidth(md) - md.WL - md.WR == 1 && MaskFrameHeight(md) - md.WT - md.WB == 1;
              md.DrawMode = int16_t(single ? (md.DrawMode | 1) : (md.DrawMode & ~1));
            }
            if (md.WL + md.WT + md.WR + md.WB == 0) {
              if (md.BorderWidth != 0)
                md.WL = md.WT = md.WR = md.WB = md.BorderWidth;
              else
                DeriveThirdWidths(md, md.R.Width(), md.R.Height());
            }
            md.CornerType = DetectCornerType(md, MasterBitmap);
            AddMask(std::move(md));
            break;
          case TacRefForm::rfTexture:
            ParseTextureReference(value, md);
            AddMask(std::move(md));
            break;
          case TacRefForm::rfBmpName: {
            const String name = UpperCase(value);
            TBitmap32 pic;
            if (!LoadPicture(name, TacPicKind::pkBmp, false, pic, shared(name)) || pic.Width() <= 0) break;
            MakeSkinBitmap32(pic);
            md.ClassName = UpperCase(section);
            md.PropertyName = UpperCase(key);
            PlainBmpLayout(md, pic.Width(), pic.Height());
            md.Bmp = std::make_unique<TBitmap32>(std::move(pic));
            md.CornerType = DetectCornerType(md, *md.Bmp);
            AddMask(std::move(md));
            break;
          }
          case TacRefForm::rfSharp:
            md.ClassName = UpperCase(section);
            md.PropertyName = UpperCase(key);
            ParseSharpReference(value, md);
            if (md.BorderWidth != 0) {
              md.WL = md.WT = md.WR = md.WB = md.BorderWidth;
            } else {
              md.WL = md.WR = ToInt16(MaskFrameWidth(md));
              md.WT = md.WB = ToInt16(MaskFrameHeight(md));
            }
            md.CornerType = DetectCornerType(md, MasterBitmap);
            AddMask(std::move(md));
            break;
        }
      } catch (const EConvertError& e) {
        throw EConvertError(Context(section, key) + e.Message());
      }
    }
  }

  if (FCommonSections.Count() == 0) return;
  TacSkinOptions overrides(false);
  overrides.LoadFromStrings(FCommonSections);
  for (const String& section : overrides.SectionNames()) {
    if (section == GlobalInfo) continue;
    for (const String& key : overrides.KeyNames(section)) {
      const String value = overrides.ReadString(section, key, "-");
      TsMaskData md;
      md.ClassName = UpperCase(section);
      md.PropertyName = UpperCase(key);
      if (MasterBitmap.Empty() || value.find('#') == String::npos) {
        const String name = UpperCase(value);
        if (name.find(".BMP") == String::npos) continue;
        TBitmap32 pic;
        if (!LoadPicture(name, TacPicKind::pkBmp, true, pic, true) || pic.Width() < 1) continue;
        MakeSkinBitmap32(pic);
        PlainBmpLayout(md, pic.Width(), pic.Height());
        md.Bmp = std::make_unique<TBitmap32>(std::move(pic));
        md.CornerType = DetectCornerType(md, *md.Bmp);
        AddMask(std::move(md));
      } else if (value != "#") {
        try {
          ParseSharpReference(value, md);
        } catch (const EConvertError& e) {
          throw EConvertError(Context(section, key) + e.Message());
        }
        if (md.BorderWidth != 0)
          md.WL = md.WT = md.WR = md.WB = md.BorderWidth;
        else
          DeriveThirdWidths(md, md.R.Width(), md.R.Height());
        md.CornerType = DetectCornerType(md, MasterBitmap);
        AddMask(std::move(md));
      }
    }
  }
}

void TacSkinModel::LoadAllPatterns() {
  pa.clear();
  auto addPattern = [&](TBitmap32&& pic, const String& section, const String& key) {
    if (int(pa.size()) >= MaxSkinImages) throw ESkinError(Format("The skin has more than %d patterns.", MaxSkinImages));
    TsPatternData pd;
    pd.Img = std::make_unique<TBitmap32>(std::move(pic));
    pd.ClassName = UpperCase(section);
    pd.PropertyName = UpperCase(key);
    pa.push_back(std::move(pd));
  };
  for (const String& section : FOptions->SectionNames()) {
    for (const TacOptionsKey& k : FOptions->FindSection(section)->Keys) {
      if (!k.First || !IsJpegReference(k.Value)) continue;
      const String key(k.Name);
      const String name = UpperCase(k.Value);
      TBitmap32 pic;
      if (!LoadPicture(name, TacPicKind::pkJpeg, false, pic) || pic.Width() <= 0) continue;
      if (int64_t(pic.Width()) * pic.Height() < PatternMinPixels) {
        MakeSkinBitmap32(pic);
        TsMaskData md;
        md.Bmp = std::make_unique<TBitmap32>(std::move(pic));
        md.PropertyName = UpperCase(key);
        md.ClassName = UpperCase(section);
        md.ImgType = itisaTexture;
        md.ImageCount = 1;
        AddMask(std::move(md));
      } else {
        addPattern(std::move(pic), section, key);
      }
    }
  }
  if (FCommonSections.Count() == 0) return;
  TacSkinOptions overrides(false);
  overrides.LoadFromStrings(FCommonSections);
  for (const String& section : overrides.SectionNames()) {
    for (const String& key : overrides.KeyNames(section)) {
      const String name = UpperCase(overrides.ReadString(section, key, "-"));
      if (!IsJpegReference(name)) continue;
      TBitmap32 pic;
      if (!LoadPicture(name, TacPicKind::pkJpeg, true, pic) || pic.Width() <= 0) continue;
      addPattern(std::move(pic), section, key);
    }
  }
}

// ---- sections

void TacSkinModel::ReadGlobalValues() {
  const TacSkinOptions& o = *FOptions;
  TsSkinData& d = CommonSkinData;
  auto strict = [&](const char* key, const char* def) -> int16_t {
    const String text = o.ReadString(GlobalInfo, key, def);
    int v;
    if (!TryReadSkinInt(text, v)) throw EConvertError(Context(GlobalInfo, key) + "'" + text + "' is not a valid integer value");
    return Low16(v);
  };
  auto num = [&](const char* key, int def) { return Low16(o.ReadInteger(GlobalInfo, key, def)); };
  d.Version = o.ReadFloat(GlobalInfo, "VERSION", 0);
  d.Author = o.ReadString(GlobalInfo, "AUTHOR", "");
  d.Description = o.ReadString(GlobalInfo, "DESCRIPTION", "");
  d.Shadow1Color = TColor(o.ReadInteger(GlobalInfo, "SHADOW1COLOR", 0));
  d.Shadow1Offset = strict("SHADOW1OFFSET", "0");
  d.Shadow1Blur = strict("SHADOW1BLUR", "-1");
  d.Shadow1Transparency = strict("SHADOW1TRANSPARENCY", "0");
  d.ExBorderWidth = num("BORDERWIDTH", 4);
  d.ExTitleHeight = num("TITLEHEIGHT", 30);
  if (d.ExTitleHeight == 0) d.ExTitleHeight = 30;
  d.ExMaxHeight = num("MAXHEIGHT", 0);
  if (d.ExMaxHeight == 0) d.ExMaxHeight = d.ExTitleHeight;
  d.ExContentOffs = num("FORMOFFSET", SkinPlatform().SizeFrameWidth());
  d.ExCenterOffs = num("CENTEROFFSET", 0);
  d.ExDrawMode = num("BORDERMODE", 0);
  d.ExShadowOffs = num("ALIGNOFFSET", 0);
  d.ExShadowOffsR = num("ALIGNOFFSETR", -1);
  if (d.ExShadowOffsR == -1) d.ExShadowOffsR = d.ExShadowOffs;
  d.ExShadowOffsT = num("ALIGNOFFSETT", -1);
  if (d.ExShadowOffsT == -1) d.ExShadowOffsT = d.ExShadowOffs;
  d.ExShadowOffsB = num("ALIGNOFFSETB", -1);
  if (d.ExShadowOffsB == -1) d.ExShadowOffsB = d.ExShadowOffs;
  d.FXColor = 0;
  d.BISpacing = num("BISPACE", 0);
  d.BIVAlign = num("BIVALIGN", 0);
  d.BIRightMargin = num("BIRIGHT", 0);
  d.BILeftMargin = num("BILEFT", 0);
  d.BITopMargin = num("BITOP", 0);
  d.BIKeepHUE = num("BIKEEPHUE", 0);
  d.BICloseGlow = strict("BICONCLOSEGLOW", "0");
  d.BICloseGlowMargin = strict("BICONCLOSEGLOWMARGIN", "0");
  d.BIMaxGlow = strict("BICONMAXGLOW", "0");
  d.BIMaxGlowMargin = strict("BICONMAXGLOWMARGIN", "0");
  d.BIMinGlow = strict("BICONMINGLOW", "0");
  d.BIMinGlowMargin = strict("BICONMINGLOWMARGIN", "0");
  d.UseAeroBluring = o.ReadInteger(GlobalInfo, "AEROBLUR", 0) != 0;
}

namespace {

void ParseGradient(const String& section, const String& key, const String& text, TsGradArray& pieces) {
  try {
    ParseGradientData(text, pieces);
  } catch (const EConvertError& e) {
    throw EConvertError(Context(section, key) + e.Message());
  }
}

void FillNormalState(TsGeneralData& g) {
  TsGenState& p = g.Props[0];
  p.Color = g.Color;
  p.FontColor = g.FontColor;
  p.GradientPercent = g.GradientPercent;
  p.GradientData = g.GradientData;
  p.GradientArray = g.GradientArray;
  p.ImagePercent = g.ImagePercent;
  p.GlowColor = g.GlowColor;
  p.GlowSize = g.GlowSize;
  p.Transparency = g.Transparency;
}

void FillHotState(TsGeneralData& g) {
  TsGenState& p = g.Props[1];
  p.Color = g.HotColor;
  p.FontColor = g.HotFontColor;
  p.GradientPercent = g.HotGradientPercent;
  p.GradientData = g.HotGradientData;
  p.GradientArray = g.HotGradientArray;
  p.ImagePercent = g.HotImagePercent;
  p.GlowColor = g.HotGlowColor;
  p.GlowSize = g.HotGlowSize;
  p.Transparency = g.HotTransparency;
}

// Props from the section's values: hot ones only for two states or more.
void FillStates(TsGeneralData& g) {
  FillNormalState(g);
  const int32_t texture = g.Props[1].TextureIndex;
  if (g.States < 2)
    g.Props[1] = g.Props[0];
  else
    FillHotState(g);
  g.Props[1].TextureIndex = texture;
}

}  // namespace

void TacSkinModel::ReadSection(const String& name, TsGeneralData& g) {
  const TacSkinOptions& o = *FOptions;
  // Every key below walks the same parent chain: find it once.
  const TacSkinOptions::TacChain chain = o.InheritanceChain(name);
  auto num = [&](const char* key, int def) { return TacSkinOptions::ReadInheritedInteger(chain, key, def); };
  auto color = [&](const char* key, int def) { return TColor(num(key, def)); };
  auto flag = [&](const char* key) { return TacSkinOptions::ReadInheritedBool(chain, key, "0"); };
  auto text = [&](const char* key, const char* def) { return TacSkinOptions::ReadInheritedString(chain, key, def); };
  g.ClassName = name;
  g.ParentClass = o.ReadString(name, "PARENTCLASS", "");
  g.Color = ColorToRGB(color("COLOR", 0xFFFFFF));
  g.ReservedBoolean = flag("RESERVEDBOOLEAN");
  g.GiveOwnFont = flag("GIVEOWNFONT");
  g.GlowCount = num("GLOW", 0);
  g.GlowMargin = num("GLOWMARGIN", 0);
  g.ImgTL = g.ImgTR = g.ImgBL = g.ImgBR = -1;
  g.FontColor = {color("FONTCOLOR", 0), color("TCLEFT", -1), color("TCTOP", -1), color("TCRIGHT", -1), color("TCBOTTOM", -1)};
  g.Transparency = num("TRANSPARENCY", 0);
  g.GradientPercent = num("GRADIENTPERCENT", 0);
  g.ImagePercent = num("IMAGEPERCENT", 0);
  g.GradientData = text("GRADIENTDATA", " ");
  if (g.GradientData.size() >= 2)
    ParseGradient(name, "GRADIENTDATA", g.GradientData, g.GradientArray);
  else
    g.GradientPercent = 0;
  g.ShowFocus = true;
  g.FadingEnabled = flag("FADINGENABLED");
  g.FadingIterations = num("FADINGITERATIONS", 5);
  g.GlowColor = ColorToRGB(color("GCOL", 0xFFFFFF));
  g.GlowSize = uint8_t(num("GSIZE", 0));
  g.States = num("STATES", 3);
  if (g.States >= 2) {
    g.HotColor = color("HOTCOLOR", 0xFFFFFF);
    g.HotTransparency = num("HOTTRANSPARENCY", 0);
    g.HotGradientPercent = num("HOTGRADIENTPERCENT", 0);
    g.HotGradientData = text("HOTGRADIENTDATA", "");
    if (g.HotGradientData.size() >= 2)
      ParseGradient(name, "HOTGRADIENTDATA", g.HotGradientData, g.HotGradientArray);
    else
      g.HotGradientPercent = 0;
    g.HotImagePercent = num("HOTIMAGEPERCENT", 0);
    g.HotFontColor = {color("HOTFONTCOLOR", 0), color("HOTTCLEFT", -1), color("HOTTCTOP", -1), color("HOTTCRIGHT", -1),
                      color("HOTTCBOTTOM", -1)};
    g.HotGlowColor = ColorToRGB(color("HGCOL", 0xFFFFFF));
    g.HotGlowSize = uint8_t(num("HGSIZE", 0));
  }
  FillStates(g);
}

namespace {

TsGeneralData OverrideDefaults() {
  TsGeneralData g;
  g.Color = 0xFFFFFF;
  g.FontColor = {NoColor, NoColor, NoColor, NoColor, NoColor};
  g.HotColor = 0xFFFFFF;
  g.HotFontColor = {NoColor, NoColor, NoColor, NoColor, NoColor};
  g.FadingIterations = -1;
  g.GlowColor = g.HotGlowColor = 0xFFFFFF;
  g.GradientData = g.HotGradientData = " ";
  return g;
}

}  // namespace

void TacSkinModel::ApplyOverrides(const TacSkinOptions& ov) {
  // First record of each exact name and of each upper-cased name.
  std::unordered_map<String, size_t> byName, byUpper;
  for (size_t i = 0; i < gd.size(); ++i) {
    byName.emplace(gd[i].ClassName, i);
    byUpper.emplace(UpperCase(gd[i].ClassName), i);
  }
  for (const String& name : ov.SectionNames()) {
    auto own = byName.find(name);
    TsGeneralData rec;
    if (own != byName.end()) {
      rec = gd[own->second];
    } else {
      const String parent = UpperCase(ov.ReadString(name, "PARENTCLASS", "-1"));
      auto p = byUpper.find(parent);
      rec = p != byUpper.end() ? gd[p->second] : OverrideDefaults();
      rec.ClassName = name;
      rec.ParentClass = parent;
    }
    auto boolKey = [&](const char* key, bool& field) {
      if (ov.ValueExists(name, key)) field = SkinBool(ov.ReadString(name, key, ""));
    };
    auto intKey = [&](const char* key, auto& field) {
      using T = std::remove_reference_t<decltype(field)>;
      if (ov.ValueExists(name, key)) field = T(ov.ReadInteger(name, key, int(field)));
    };
    auto gradKey = [&](const char* key, String& text, TsGradArray& pieces) {
      if (!ov.ValueExists(name, key)) return;
      text = ov.ReadString(name, key, "");
      if (text.size() >= 2)
        ParseGradient(name, key, text, pieces);
      else
        pieces.clear();
    };
    boolKey("RESERVEDBOOLEAN", rec.ReservedBoolean);
    boolKey("GIVEOWNFONT", rec.GiveOwnFont);
    intKey("COLOR", rec.Color);
    intKey("TRANSPARENCY", rec.Transparency);
    intKey("GRADIENTPERCENT", rec.GradientPercent);
    intKey("IMAGEPERCENT", rec.ImagePercent);
    intKey("FONTCOLOR", rec.FontColor.Color);
    intKey("TCLEFT", rec.FontColor.Left);
    intKey("TCTOP", rec.FontColor.Top);
    intKey("TCRIGHT", rec.FontColor.Right);
    intKey("TCBOTTOM", rec.FontColor.Bottom);
    intKey("HOTCOLOR", rec.HotColor);
    intKey("HOTTRANSPARENCY", rec.HotTransparency);
    intKey("HOTGRADIENTPERCENT", rec.HotGradientPercent);
    intKey("HOTIMAGEPERCENT", rec.HotImagePercent);
    intKey("HOTFONTCOLOR", rec.HotFontColor.Color);
    intKey("HOTTCLEFT", rec.HotFontColor.Left);
    intKey("HOTTCTOP", rec.HotFontColor.Top);
    intKey("HOTTCRIGHT", rec.HotFontColor.Right);
    intKey("HOTTCBOTTOM", rec.HotFontColor.Bottom);
    intKey("FADINGITERATIONS", rec.FadingIterations);
    intKey("GCOL", rec.GlowColor);
    intKey("GSIZE", rec.GlowSize);
    intKey("HGCOL", rec.HotGlowColor);
    intKey("HGSIZE", rec.HotGlowSize);
    intKey("GLOW", rec.GlowCount);
    intKey("GLOWMARGIN", rec.GlowMargin);
    boolKey("SHOWFOCUS", rec.ShowFocus);
    boolKey("FADINGENABLED", rec.FadingEnabled);
    gradKey("GRADIENTDATA", rec.GradientData, rec.GradientArray);
    gradKey("HOTGRADIENTDATA", rec.HotGradientData, rec.HotGradientArray);
    rec.States = FOptions->ReadInheritedInteger(name, "STATES", 3);
    FillStates(rec);
    if (own != byName.end()) {
      gd[own->second] = std::move(rec);
    } else {
      if (int(gd.size()) >= MaxSkinSections)
        throw ESkinError(Format("The skin has more than %d sections.", MaxSkinSections));
      byName.emplace(rec.ClassName, gd.size());
      byUpper.emplace(UpperCase(rec.ClassName), gd.size());
      gd.push_back(std::move(rec));
    }
  }
}

void TacSkinModel::LoadAllGeneralData() {
  if (!FOptions) return;
  ReadGlobalValues();
  CheckVersion();
  gd.clear();
  FLookupSections = SIZE_MAX;
  const std::vector<String>& names = FOptions->SectionNames();
  if (int64_t(names.size()) > MaxSkinSections)
    throw ESkinError(Format("The skin has more than %d sections.", MaxSkinSections));
  gd.resize(names.size());
  for (size_t i = 0; i < names.size(); ++i) ReadSection(names[i], gd[i]);
  if (FCommonSections.Count() > 0) {
    TacSkinOptions overrides(false);
    overrides.LoadFromStrings(FCommonSections);
    ApplyOverrides(overrides);
  }
  FLookupSections = SIZE_MAX;
  InitMaskIndexes();
  FillPalette();
  AdjustColors();
  AdjustImages();
}

void TacSkinModel::FillPalette() {
  const TacSkinOptions& o = *FOptions;
  TacPaletteArray& p = Palette;
  auto global = [&](const char* key, TColor def) { return TColor(o.ReadInteger(GlobalInfo, key, int(def))); };
  p[psGlobalColor] = global("COLOR", SysColor(scBtnFace));
  p[psGlobalFontColor] = global("FONTCOLOR", 0);
  p[psBottomOutline] = global("TCBOTTOM", 0xFF0000);
  p[psTopOutline] = global("TCTOP", 0x0000FF);
  const int edit = GetSkinIndex("EDIT");
  p[psEditFont] = edit >= 0 ? ColorToRGB(gd[edit].Props[0].FontColor.Color) : SysColor(scWindowText);
  p[psEditColor] = edit >= 0 ? ColorToRGB(gd[edit].Props[0].Color) : SysColor(scWindow);

  const int sel = GetSkinIndex("SELECTION");
  if (sel >= 0) {
    const TsGeneralData& s = gd[sel];
    const TsGenState& hot = s.States < 2 ? s.Props[0] : s.Props[1];
    p[psHighlight] = s.Props[0].Color;
    p[psHighlightFont] = s.Props[0].FontColor.Color;
    p[psHighlightFocused] = hot.Color;
    p[psHighlightFontFocused] = hot.FontColor.Color;
  } else {
    p[psHighlight] = p[psHighlightFont] = p[psHighlightFocused] = p[psHighlightFontFocused] = NoColor;
  }
  if (p[psHighlightFont] == NoColor || p[psHighlightFont] == clFuchsia) {
    const int item = GetSkinIndex("MENUITEM");
    if (item >= 0) {
      TColor font = gd[item].HotFontColor.Color;
      p[psHighlight] = p[psHighlightFocused] = gd[item].HotColor;
      font = font == NoColor || font == clFuchsia ? SysColor(scHighlightText) : ColorToRGB(font);
      p[psHighlightFont] = p[psHighlightFontFocused] = font;
    } else {
      p[psHighlightFont] = p[psHighlightFontFocused] = SysColor(scHighlightText);
      p[psHighlight] = p[psHighlightFocused] = SysColor(scHighlight);
    }
  }

  p[psEditInvertedBG] = global("EDITBG_INV", p[psEditFont]);
  p[psEditInvertedText] = global("EDITTEXT_INV", p[psEditColor]);
  p[psEditOddBG] = global("EDITBG_ODD", p[psEditColor]);
  {
    // 5 % of the edit text colour over 95 % of the edit colour.
    const TColor a = p[psEditFont], b = p[psEditColor];
    auto mix = [](int ca, int cb) { return uint8_t(std::clamp(int(std::nearbyint(0.05 * ca + 0.95 * cb)), 0, 255)); };
    const TColor even = (a & 0xFF000000) | RGBColor(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
                                                    mix(GetBValue(a), GetBValue(b)));
    p[psEditEvenBG] = global("EDITBG_EVEN", even);
  }
  p[psEditOkText] = global("EDITTEXT_OK", 0x008000);
  p[psEditWarnText] = global("EDITTEXT_WARN", 0x008484);
  p[psEditAlertText1] = global("EDITTEXT_ALERT", 0x0000FF);
  p[psEditAlertText2] = global("EDITTEXT_ALERT", 0x8597D9);
  p[psEditAlertText3] = global("EDITTEXT_ALERT", 0x4AB28F);
  p[psEditOkBG] = global("EDITBG_OK", 0x6CC2A5);
  p[psEditWarnBG] = global("EDITBG_WARN", 0x40FFFF);
  p[psEditAlertBG1] = global("EDITBG_ALERT", 0x95A7E9);
  p[psEditAlertBG2] = global("EDITBG_ALERT", 0x8597D9);
  p[psEditAlertBG3] = global("EDITBG_ALERT", 0x4AB28F);
  p[psEditH1Text] = global("EDITTEXT_H1", 0);
  p[psEditH2Text] = global("EDITTEXT_H2", 0);
  p[psEditH3Text] = global("EDITTEXT_H3", 0);
  p[psBorderColor] = global("BORDERCOLOR", 0);
}

void TacSkinModel::AdjustColors() {
  const int hue = FHueOffset, sat = NormalizeSaturation(FSaturation);
  if (hue == 0 && sat == 0) return;
  auto adjust = [&](TColor& c) {
    if (c == NoColor) return;
    if (hue != 0) c = ChangeHue(c, hue);
    if (sat != 0) c = ChangeSaturation(c, sat);
  };
  auto adjustFont = [&](TsFontColor& f) {
    adjust(f.Color);
    adjust(f.Left);
    adjust(f.Top);
    adjust(f.Right);
    adjust(f.Bottom);
  };
  for (TsGeneralData& g : gd) {
    adjust(g.Color);
    adjust(g.HotColor);
    adjust(g.GlowColor);
    adjust(g.HotGlowColor);
    adjustFont(g.FontColor);
    adjustFont(g.HotFontColor);
    for (TsGradPie& pie : g.GradientArray) {
      adjust(pie.Color1);
      adjust(pie.Color2);
    }
    for (TsGradPie& pie : g.HotGradientArray) {
      adjust(pie.Color1);
      adjust(pie.Color2);
    }
    for (TsGenState& s : g.Props) {
      adjust(s.Color);
      adjust(s.GlowColor);
      adjustFont(s.FontColor);
    }
    // The states show the section's arrays, adjusted once.
    g.Props[0].GradientArray = g.GradientArray;
    g.Props[1].GradientArray = g.States < 2 ? g.GradientArray : g.HotGradientArray;
  }
  adjust(CommonSkinData.Shadow1Color);
  for (int slot : {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 27}) adjust(Palette[size_t(slot)]);
}

void TacSkinModel::AdjustImages() {
  const int hue = FHueOffset, sat = NormalizeSaturation(FSaturation);
  if (hue != 0) {
    const int keep = CommonSkinData.BIKeepHUE;
    if (keep < 1) {
      ChangeBitmapHue(MasterBitmap, hue);
      for (TsMaskData& md : ma)
        if (md.Bmp) ChangeBitmapHue(*md.Bmp, hue);
    } else {
      // Caption-button images keep their hue.
      std::vector<String> kept = {"BICONCLOSE", "BICLOSEALONE", "SICONCLOSE"};
      if (keep == 1)
        kept.insert(kept.end(), {"BICONMAX", "BICONMIN", "BICONNORM", "BICONHELP", "SICONMAX", "SICONMIN", "SICONNORM"});
      auto isKept = [&](const TsMaskData& md) {
        if (md.ClassName != GlobalInfo) return false;
        for (const String& k : kept)
          if (md.PropertyName == k || (md.Bmp && md.PropertyName == k + "GLOW0")) return true;
        return false;
      };
      TBitmap32 shifted = MasterBitmap;
      ChangeBitmapHue(shifted, hue);
      for (const TsMaskData& md : ma)
        if (!md.Bmp && isKept(md)) shifted.CopyRect(md.R.Left, md.R.Top, MasterBitmap, md.R);
      MasterBitmap = std::move(shifted);
      for (TsMaskData& md : ma)
        if (md.Bmp && !isKept(md)) ChangeBitmapHue(*md.Bmp, hue);
    }
  }
  if (sat != 0) {
    ChangeBitmapSaturation(MasterBitmap, sat);
    for (TsMaskData& md : ma)
      if (md.Bmp) ChangeBitmapSaturation(*md.Bmp, sat);
  }
}

// ---- indexes

void TacSkinModel::InitMaskIndexes() {
  std::vector<const String*> chain;
  std::vector<const std::vector<int>*> buckets;
  for (int i = 0; i < int(gd.size()); ++i) {
    TsGeneralData& g = gd[size_t(i)];
    if (g.ClassName == GlobalInfo) continue;
    const String& name = g.ClassName;
    // Seven lookups walk the same parent chain: walk it once (the lookup
    // itself records the sections it visits) and scan their records.
    chain.clear();
    LookupWithParents(i, name, [&](const String& section) {
      chain.push_back(&section);
      return -1;
    });
    RebuildLookups();
    buckets.clear();
    for (const String* section : chain) {
      auto it = FMaskBuckets.find(*section);
      buckets.push_back(it == FMaskBuckets.end() ? nullptr : &it->second);
    }
    auto find = [&](const char* key, bool texturesOnly) {
      for (size_t k = 0; k < chain.size(); ++k) {
        if (!buckets[k]) continue;
        for (const int m : *buckets[k]) {
          const TsMaskData& md = ma[size_t(m)];
          if (md.ClassName != *chain[k])  // tables out of date: the general way
            return texturesOnly ? GetTextureIndex(i, name, key) : GetMaskIndex(i, name, key);
          if (md.PropertyName == key && (!texturesOnly || md.ImgType == itisaTexture)) return m;
        }
      }
      return -1;
    };
    g.BorderIndex = find("BORDERSMASK", false);
    g.ImgTL = find("IMGTOPLEFT", false);
    g.ImgTR = find("IMGTOPRIGHT", false);
    g.ImgBL = find("IMGBTMLEFT", false);
    g.ImgBR = find("IMGBTMRIGHT", false);
    g.TextureNormal = g.Props[0].TextureIndex = find("PATTERN", true);
    // A one-state section shows its normal texture in both states.
    g.Props[1].TextureIndex = g.States > 1 ? find("HOTPATTERN", true) : g.Props[0].TextureIndex;
  }
}

void TacSkinModel::InitConstantIndexes() {
  TConstantSkinData& c = ConstData;
  c = TConstantSkinData();
  auto sec = [&](const char* name) { return int16_t(GetSkinIndex(name)); };
  auto mask = [&](int16_t index, const char* section, const char* key) { return int16_t(GetMaskIndex(index, section, key)); };
  c.IndexGLobalInfo = sec("GLOBALINFO");
  const int16_t gi = c.IndexGLobalInfo;
  c.ExBorder = mask(gi, "GLOBALINFO", "EXBORDER");

  c.IndexTabTop = sec("TABTOP");
  c.IndexTabBottom = sec("TABBOTTOM");
  c.IndexTabLeft = sec("TABLEFT");
  c.IndexTabRight = sec("TABRIGHT");
  c.MaskTabTop = mask(c.IndexTabTop, "TABTOP", "BORDERSMASK");
  c.MaskTabBottom = mask(c.IndexTabBottom, "TABBOTTOM", "BORDERSMASK");
  c.MaskTabLeft = mask(c.IndexTabLeft, "TABLEFT", "BORDERSMASK");
  c.MaskTabRight = mask(c.IndexTabRight, "TABRIGHT", "BORDERSMASK");

  struct TScroll {
    const char* Name;
    int16_t *Index, *Mask, *BG, *BGHot, *Arrow;
  };
  const TScroll scrolls[] = {
      {"SCROLLBTNTOP", &c.IndexScrollTop, &c.MaskScrollTop, &c.IndexBGScrollTop, &c.IndexBGHotScrollTop, &c.MaskArrowTop},
      {"SCROLLBTNBOTTOM", &c.IndexScrollBottom, &c.MaskScrollBottom, &c.IndexBGScrollBottom, &c.IndexBGHotScrollBottom,
       &c.MaskArrowBottom},
      {"SCROLLBTNLEFT", &c.IndexScrollLeft, &c.MaskScrollLeft, &c.IndexBGScrollLeft, &c.IndexBGHotScrollLeft, &c.MaskArrowLeft},
      {"SCROLLBTNRIGHT", &c.IndexScrollRight, &c.MaskScrollRight, &c.IndexBGScrollRight, &c.IndexBGHotScrollRight,
       &c.MaskArrowRight},
  };
  for (const TScroll& s : scrolls) {
    *s.Index = sec(s.Name);
    *s.Mask = mask(*s.Index, s.Name, "BORDERSMASK");
    *s.BG = mask(*s.Index, s.Name, "PATTERN");
    *s.BGHot = mask(*s.Index, s.Name, "HOTPATTERN");
    *s.Arrow = mask(*s.Index, s.Name, "GLYPHMASK");
  }

  c.MaskCloseBtn = mask(gi, "GLOBALINFO", "BICONCLOSE");
  c.MaskCloseAloneBtn = mask(gi, "GLOBALINFO", "BICLOSEALONE");
  c.MaskMaxBtn = mask(gi, "GLOBALINFO", "BICONMAX");
  c.MaskNormBtn = mask(gi, "GLOBALINFO", "BICONNORM");
  c.MaskMinBtn = mask(gi, "GLOBALINFO", "BICONMIN");
  c.MaskHelpBtn = mask(gi, "GLOBALINFO", "BICONHELP");
  c.MaskCloseSmall = mask(gi, "GLOBALINFO", "SICONCLOSE");
  c.MaskMaxSmall = mask(gi, "GLOBALINFO", "SICONMAX");
  c.MaskNormSmall = mask(gi, "GLOBALINFO", "SICONNORM");
  c.MaskMinSmall = mask(gi, "GLOBALINFO", "SICONMIN");
  c.MaskHelpSmall = mask(gi, "GLOBALINFO", "SICONHELP");

  c.IndexSliderVert = sec("SCROLLSLIDERV");
  c.IndexSliderHorz = sec("SCROLLSLIDERH");
  c.MaskSliderVert = mask(c.IndexSliderVert, "SCROLLSLIDERV", "BORDERSMASK");
  c.MaskSliderHorz = mask(c.IndexSliderHorz, "SCROLLSLIDERH", "BORDERSMASK");
  c.MaskSliderGlyphVert = mask(c.IndexSliderVert, "SCROLLSLIDERV", "GLYPHMASK");
  c.MaskSliderGlyphHorz = mask(c.IndexSliderHorz, "SCROLLSLIDERH", "GLYPHMASK");
  c.ScrollSliderBGHorz = mask(c.IndexSliderHorz, "SCROLLSLIDERH", "PATTERN");
  c.ScrollSliderBGHotHorz = mask(c.IndexSliderHorz, "SCROLLSLIDERH", "HOTPATTERN");
  c.ScrollSliderBGVert = mask(c.IndexSliderVert, "SCROLLSLIDERV", "PATTERN");
  c.ScrollSliderBGHotVert = mask(c.IndexSliderVert, "SCROLLSLIDERV", "HOTPATTERN");

  struct TBar {
    const char* Name;
    int16_t *Index, *Mask, *BG, *BGHot;
  };
  const TBar bars[] = {
      {"SCROLLBAR1H", &c.IndexScrollBar1H, &c.MaskScrollBar1H, &c.BGScrollBar1H, &c.BGHotScrollBar1H},
      {"SCROLLBAR1V", &c.IndexScrollBar1V, &c.MaskScrollBar1V, &c.BGScrollBar1V, &c.BGHotScrollBar1V},
      {"SCROLLBAR2H", &c.IndexScrollBar2H, &c.MaskScrollBar2H, &c.BGScrollBar2H, &c.BGHotScrollBar2H},
      {"SCROLLBAR2V", &c.IndexScrollBar2V, &c.MaskScrollBar2V, &c.BGScrollBar2V, &c.BGHotScrollBar2V},
  };
  for (const TBar& b : bars) {
    *b.Index = sec(b.Name);
    *b.Mask = mask(*b.Index, b.Name, "BORDERSMASK");
    *b.BG = mask(*b.Index, b.Name, "PATTERN");
    *b.BGHot = mask(*b.Index, b.Name, "HOTPATTERN");
  }

  c.CheckBoxChecked = mask(gi, "GLOBALINFO", "BOXCHECKED");
  c.CheckBoxUnChecked = mask(gi, "GLOBALINFO", "BOXUNCHECKED");
  c.CheckBoxGrayed = mask(gi, "GLOBALINFO", "BOXGRAYED");
  c.RadioButtonChecked = mask(gi, "GLOBALINFO", "RADIOCHECKED");
  c.RadioButtonUnChecked = mask(gi, "GLOBALINFO", "RADIOUNCHECKED");
  c.RadioButtonGrayed = mask(gi, "GLOBALINFO", "RADIOGRAYED");
  c.SmallCheckBoxChecked = mask(gi, "GLOBALINFO", "SMALLCHECKED");
  c.SmallCheckBoxUnChecked = mask(gi, "GLOBALINFO", "SMALLUNCHECKED");
  c.SmallCheckBoxGrayed = mask(gi, "GLOBALINFO", "SMALLGRAYED");

  c.ComboBtnIndex = GetSkinIndex("COMBOBTN");
  c.ComboBtnBorder = GetMaskIndex("COMBOBTN", "BORDERSMASK");
  c.ComboBtnBG = GetTextureIndex(c.ComboBtnIndex, "COMBOBTN", "PATTERN");
  c.ComboBtnBGHot = GetTextureIndex(c.ComboBtnIndex, "COMBOBTN", "HOTPATTERN");
  c.ComboGlyph = GetMaskIndex("COMBOBOX", "GLYPHMASK");
  c.GripRightBottom = GetMaskIndex(gi, "GLOBALINFO", "GRIPIMAGE");
  c.GripHorizontal = GetMaskIndex(gi, "GLOBALINFO", "GRIPHORZ");
  c.GripVertical = GetMaskIndex(gi, "GLOBALINFO", "GRIPVERT");
  c.IndexWebBtn = GetSkinIndex("WEBBUTTON");

  InitMaskIndexes();
  CheckShadows();
}

void TacSkinModel::CheckShadows() {
  if (gd.empty() || !FExtendedBorders || !SkinPlatform().LayeredWindows()) {
    FormShadowSize = TRect();
    return;
  }
  ShdaTemplate = TBitmap32();
  ShdiTemplate = TBitmap32();
  const int index = ConstData.ExBorder;
  if (!IsValidImgIndex(index)) {
    ShdaTemplate = BuiltInShadow(true);
    ShdiTemplate = BuiltInShadow(false);
    FormShadowSize = Rect(BuiltInShadowMargin, BuiltInShadowMargin, BuiltInShadowMargin, BuiltInShadowMargin);
    return;
  }
  const TsMaskData& md = ma[size_t(index)];
  const int offs = CommonSkinData.ExContentOffs;
  if (CommonSkinData.ExDrawMode != 0)
    FormShadowSize = Rect(offs, offs, offs, offs);
  else
    FormShadowSize = Rect(md.WL - offs, md.WT - offs, md.WR - offs, md.WB - offs);
  const TBitmap32& pic = md.Bmp ? *md.Bmp : MasterBitmap;
  // A frame reaching past its picture gives a template no larger than the
  // picture, its missing pixels transparent.
  const int fw = MaskFrameWidth(md), tw = std::min(fw, pic.Width()), th = std::min(MaskFrameHeight(md), pic.Height());
  if (tw > 0 && th > 0) {
    ShdiTemplate.SetSize(tw, th);
    ShdiTemplate.CopyRect(0, 0, pic, Rect(md.R.Left, md.R.Top, md.R.Left + tw, md.R.Top + th));
    if (md.ImageCount <= 1) {
      ShdaTemplate = ShdiTemplate;
    } else {
      ShdaTemplate.SetSize(tw, th);
      ShdaTemplate.CopyRect(0, 0, pic, Rect(md.R.Left + fw, md.R.Top, md.R.Left + fw + tw, md.R.Top + th));
    }
  }
  if (CommonSkinData.Version < 7.6) {
    ClearWhiteTransparent(ShdaTemplate);
    ClearWhiteTransparent(ShdiTemplate);
  }
}

// ---- lookups

namespace {

String LookupKey(const String& section, const String& key) {
  String k;
  k.reserve(section.size() + key.size() + 1);
  k += section;
  k += '\x1F';
  k += key;
  return k;
}

// The same key in a buffer reused across lookups (no allocation per call).
const String& LookupKey(String& buffer, const String& section, const String& key) {
  buffer.assign(section);
  buffer += '\x1F';
  buffer += key;
  return buffer;
}

}  // namespace

void TacSkinModel::RebuildLookups() const {
  if (FLookupSections != gd.size()) {
    FSectionLookup.clear();
    for (size_t i = 0; i < gd.size(); ++i) FSectionLookup.emplace(gd[i].ClassName, int(i));
    FLookupSections = gd.size();
  }
  if (FLookupMasks != ma.size()) {
    FMaskBuckets.clear();
    for (size_t i = 0; i < ma.size(); ++i) FMaskBuckets[ma[i].ClassName].push_back(int(i));
    FLookupMasks = ma.size();
  }
  if (FLookupPatterns != pa.size()) {
    FPatternLookup.clear();
    for (size_t i = 0; i < pa.size(); ++i) FPatternLookup.emplace(LookupKey(pa[i].ClassName, pa[i].PropertyName), int(i));
    FLookupPatterns = pa.size();
  }
}

int TacSkinModel::GetSkinIndex(const String& skinSection) const {
  if (skinSection.empty() || gd.empty()) return -1;
  RebuildLookups();
  auto it = FSectionLookup.find(skinSection);
  if (it == FSectionLookup.end()) return -1;
  if (gd[size_t(it->second)].ClassName != skinSection) {
    // The array was edited in place: start the tables afresh.
    FLookupSections = FLookupMasks = FLookupPatterns = SIZE_MAX;
    RebuildLookups();
    it = FSectionLookup.find(skinSection);
    return it == FSectionLookup.end() ? -1 : it->second;
  }
  return it->second;
}

int TacSkinModel::FindMask(const String& section, const String& mask, bool texturesOnly) const {
  RebuildLookups();
  // The section's records in array order: the first of that name wins.
  auto it = FMaskBuckets.find(section);
  if (it == FMaskBuckets.end()) return -1;
  for (const int i : it->second) {
    const TsMaskData& md = ma[size_t(i)];
    if (md.ClassName != section) {
      // The array was edited in place: start the tables afresh.
      FLookupSections = FLookupMasks = FLookupPatterns = SIZE_MAX;
      return FindMask(section, mask, texturesOnly);
    }
    if (md.PropertyName == mask && (!texturesOnly || md.ImgType == itisaTexture)) return i;
  }
  return -1;
}

int TacSkinModel::FindPattern(const String& section, const String& pattern) const {
  RebuildLookups();
  auto it = FPatternLookup.find(LookupKey(FKeyBuffer, section, pattern));
  if (it == FPatternLookup.end()) return -1;
  const TsPatternData& pd = pa[size_t(it->second)];
  if (pd.ClassName != section || pd.PropertyName != pattern) {
    FLookupSections = FLookupMasks = FLookupPatterns = SIZE_MAX;
    return FindPattern(section, pattern);
  }
  return it->second;
}

template <typename Find>
int TacSkinModel::LookupWithParents(int skinIndex, const String& skinSection, Find find) const {
  if (skinIndex < 0 || skinSection.empty()) return -1;
  const String* visited[MaxParentDepth];
  int depth = 0;
  const String* section = &skinSection;
  int index = skinIndex;
  for (;;) {
    const int found = find(*section);
    if (found >= 0) return found;
    if (index >= int(gd.size())) return -1;
    const String& parent = gd[size_t(index)].ParentClass;
    if (parent.empty() || parent == *section) return -1;
    const int parentIndex = GetSkinIndex(parent);
    if (parentIndex < 0) return -1;
    // Parent chains that loop or run too deep end without a result.
    visited[depth++] = section;
    if (depth >= MaxParentDepth ||
        std::find_if(visited, visited + depth, [&](const String* v) { return *v == parent; }) != visited + depth)
      return -1;
    section = &parent;
    index = parentIndex;
  }
}

int TacSkinModel::GetMaskIndex(int skinIndex, const String& skinSection, const String& mask) const {
  return LookupWithParents(skinIndex, skinSection, [&](const String& s) { return FindMask(s, mask, false); });
}

int TacSkinModel::GetMaskIndex(const String& skinSection, const String& mask) const {
  if (skinSection.empty()) return -1;
  return FindMask(skinSection, mask, false);
}

int TacSkinModel::GetTextureIndex(int skinIndex, const String& skinSection, const String& propName) const {
  if (ma.empty()) return -1;
  return LookupWithParents(skinIndex, skinSection, [&](const String& s) { return FindMask(s, propName, true); });
}

int TacSkinModel::GetPatternIndex(int skinIndex, const String& skinSection, const String& pattern) const {
  return LookupWithParents(skinIndex, skinSection, [&](const String& s) { return FindPattern(s, pattern); });
}

const TBitmap32& TacSkinModel::MaskPicture(int maskIndex) const {
  static const TBitmap32 none;
  if (!IsValidImgIndex(maskIndex)) return none;
  const TsMaskData& md = ma[size_t(maskIndex)];
  return md.Bmp ? *md.Bmp : MasterBitmap;
}

int TacSkinModel::MaskWidthLeft(int maskIndex) {
  if (!IsValidImgIndex(maskIndex)) return 0;
  TsMaskData& md = ma[size_t(maskIndex)];
  if (md.ImageCount == 0) md.ImageCount = 1;
  return md.WL > 0 ? md.WL : md.BorderWidth > 0 ? md.BorderWidth : MaskFrameWidth(md);
}

int TacSkinModel::MaskWidthTop(int maskIndex) const {
  if (!IsValidImgIndex(maskIndex)) return 0;
  const TsMaskData& md = ma[size_t(maskIndex)];
  return md.WT > 0 ? md.WT : md.BorderWidth > 0 ? md.BorderWidth : MaskFrameHeight(md);
}

int TacSkinModel::MaskWidthRight(int maskIndex) const {
  if (!IsValidImgIndex(maskIndex)) return 0;
  const TsMaskData& md = ma[size_t(maskIndex)];
  return md.WR > 0 ? md.WR : md.BorderWidth > 0 ? md.BorderWidth : MaskFrameWidth(md);
}

int TacSkinModel::MaskWidthBottom(int maskIndex) const {
  if (!IsValidImgIndex(maskIndex)) return 0;
  const TsMaskData& md = ma[size_t(maskIndex)];
  return md.WB > 0 ? md.WB : md.BorderWidth > 0 ? md.BorderWidth : MaskFrameHeight(md);
}

void TacSkinModel::GetSkinSections(TStrings& list) const {
  list.Clear();
  if (!CommonSkinData.Active) return;
  for (const TsGeneralData& g : gd) list.Add(g.ClassName);
}
