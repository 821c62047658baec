#include "tools/SkinPreview.h"

#include "skin/acBmp.h"
#include "skin/acPNG.h"
#include "skin/acSkinModel.h"
#include "tools/ImageWriters.h"
#include "tools/SkinPackage.h"

namespace {

TBitmap32 DecodePicture(const TSkinFileEntry& e) {
  if (UpperCase(ExtractFileExt(e.Name)) == ".BMP") {
    TBitmap32 bmp;
    LoadBmp(e.Data.data(), e.Data.size(), bmp);
    MakeSkinBitmap32(bmp);  // the key colour becomes transparent
    return bmp;
  }
  TPNGGraphic png;
  png.LoadFromBytes(e.Data.data(), e.Data.size());
  return png.Bitmap();
}

}  // namespace

TBytes DrawSkinPreview(const String& fileName) {
  TBytes package = ReadFileBytes(fileName);
  TacSkinModel model;
  model.LoadFromPackage(package.data(), package.size());
  TSkinFileEntries entries = UnpackSkinEntries(package);

  TacSkinOptions options;
  for (const TSkinFileEntry& e : entries)
    if (SameText(e.Name, SkinOptionsName)) options.SetText(std::string_view(reinterpret_cast<const char*>(e.Data.data()), e.Data.size()));
  const String masterName = options.ReadString("GLOBALINFO", "MASTERBITMAP", "");

  TPreviewSheet sheet;
  sheet.Title = Format("%s  -  %zu SECTIONS, %zu IMAGE RECORDS", ExtractFileName(fileName).c_str(), model.gd.size(),
                       model.ma.size());
  for (const TSkinFileEntry& e : entries)  // master bitmap first
    if (!masterName.empty() && UpperCase(e.Name) == UpperCase(masterName))
      sheet.Pictures.push_back({e.Name, DecodePicture(e)});
  for (const TSkinFileEntry& e : entries)
    if (!SameText(e.Name, SkinOptionsName) && UpperCase(e.Name) != UpperCase(masterName))
      sheet.Pictures.push_back({e.Name, DecodePicture(e)});

  for (const TsMaskData& m : model.ma) {
    TPreviewMask pm;
    pm.R = m.R;
    pm.ImageCount = m.ImageCount;
    pm.Rows = m.MaskType + 1;
    pm.ImgType = int(m.ImgType);
    if (!m.Bmp) {
      pm.Picture = masterName;
    } else {
      TacFileRef ref;
      if (!ParseFileReference(options.ReadString(m.ClassName, m.PropertyName, ""), ref)) continue;
      pm.Picture = ref.FileName;
    }
    sheet.Masks.push_back(pm);
  }
  for (const TsGeneralData& g : model.gd) sheet.Swatches.push_back({g.ClassName, g.Props[0].Color, g.Props[1].Color});
  return EncodePng(DrawContactSheet(sheet));
}
