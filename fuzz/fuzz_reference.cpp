// libFuzzer target for image references: the parsers alone, then the mask
// build of a tiny in-memory skin whose sections carry the input as their
// references (normal, inherited, BUTTON_HUGE and override sections). The
// first byte picks the skin version (old rules below 7.4, premultiplication
// above 7.45); the rest, up to the first line break, is the reference.
#include "skin/acSkinModel.h"
#include "tools/SamplePictures.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void AddFile(TacSkinConvertor& c, const char* name, const TBytes& bytes) {
  TacImageItem item;
  item.FileName = name;
  item.FileStream = std::make_unique<TMemoryStream>();
  item.FileStream->LoadFromBytes(bytes.data(), bytes.size());
  c.Files.push_back(std::move(item));
  c.ImageCount = int32_t(c.Files.size());
}

void ParsersAlone(const std::string& v) {
  TsMaskData md;
  TacFileRef ref;
  try { ParseGlyphReference(v, md); } catch (const EConvertError&) {}
  try { ParseBorderReference(v, md); } catch (const EConvertError&) {}
  try { ParseTextureReference(v, md); } catch (const EConvertError&) {}
  try { ParseSharpReference(v, md); } catch (const EConvertError&) {}
  ParseFileReference(v, ref);
  (void)ReferenceForm(v);
  (void)IsJpegReference(v);
  TBitmap32 pic(16, 16);
  (void)DetectCornerType(md, pic);
  (void)MaskFrameWidth(md);
  (void)MaskFrameHeight(md);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const char* const versions[] = {"7.3", "7.45", "7.5", "8.12"};
  const char* version = versions[data[0] % 4];
  std::string value(reinterpret_cast<const char*>(data + 1), size - 1);
  value = value.substr(0, value.find_first_of("\r\n"));
  ParsersAlone(value);

  TacSkinConvertor conv;
  AddFile(conv, "MASTER COPY.BMP", SampleBmp(64, 48));
  AddFile(conv, "F.BMP", SampleBmp(18, 12));
  const std::string options = std::string("[GLOBALINFO]\nMASTERBITMAP=MASTER COPY.BMP\nVERSION=") + version +
                              "\nEXBORDER=" + value + "\n[BUTTON_HUGE]\nBORDERSMASK=" + value + "\n[SEC]\nPARENTCLASS=CHILD\nPATTERN=" +
                              value + "\n[CHILD]\nPARENTCLASS=SEC\nSTATES=1\nK=" + value + "\n";
  conv.Options = std::make_unique<TMemoryStream>();
  conv.Options->LoadFromBytes(options.data(), options.size());

  TacSkinModel model;
  TStringList overrides;
  overrides.Add("[OVR]");
  overrides.Add("K=" + value);
  model.SetCommonSections(overrides);
  model.SetExtendedBorders(true);
  try {
    model.LoadFromConvertor(conv, "/nonexistent-skin-dir/");
  } catch (const Exception&) {
    return 0;
  }
  for (int i = 0; i < int(model.ma.size()); ++i) {
    const TsMaskData& md = model.ma[size_t(i)];
    // Rectangles are kept as written, within the coordinate bound.
    for (int v : {md.R.Left, md.R.Top, md.R.Right, md.R.Bottom})
      if (v < -MaxMaskCoord || v > MaxMaskCoord) std::abort();
    model.MaskWidthLeft(i);
    model.MaskWidthBottom(i);
  }
  (void)model.GetMaskIndex(model.GetSkinIndex("CHILD"), "CHILD", "PATTERN");
  (void)model.GetTextureIndex(model.GetSkinIndex("SEC"), "SEC", "K");
  return 0;
}
