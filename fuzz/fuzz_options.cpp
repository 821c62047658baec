// libFuzzer target for the options parser and the model built from it, with
// a small fixed set of pictures so that references resolve. The input is the
// options text; text after a line "%%" becomes the CommonSections overrides.
// A leading "~~" followed by two bytes sets the hue offset and saturation.
#include "skin/acSkinModel.h"
#include "tools/SamplePictures.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

TacSkinConvertor& Pictures() {
  static TacSkinConvertor* conv = [] {
    auto* c = new TacSkinConvertor;
    const std::pair<const char*, TBytes> files[] = {
        {"Master copy.bmp", SampleBmp(60, 40)}, {"Glow.png", SamplePng(12, 12)}, {"Frame.bmp", SampleBmp(18, 12)}};
    for (const auto& [name, bytes] : files) {
      TacImageItem item;
      item.FileName = name;
      item.IsBitmap = std::string(name).find(".bmp") != std::string::npos;
      item.FileStream = std::make_unique<TMemoryStream>();
      item.FileStream->LoadFromBytes(bytes.data(), bytes.size());
      c->Files.push_back(std::move(item));
    }
    c->ImageCount = int32_t(c->Files.size());
    c->Options = std::make_unique<TMemoryStream>();
    return c;
  }();
  return *conv;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  TacSkinModel model;
  if (text.size() >= 4 && text.compare(0, 2, "~~") == 0) {
    // One byte repeated fills the whole int: the extremes are reachable.
    model.SetHueOffset(int32_t(uint8_t(text[2]) * 0x01010101u));
    model.SetSaturation(int32_t(uint8_t(text[3]) * 0x01010101u));
    text.erase(0, 4);
  }
  const size_t split = text.find("\n%%\n");
  if (split != std::string::npos) {
    TStringList overrides;
    overrides.SetText(text.substr(split + 4));
    model.SetCommonSections(overrides);
    text.resize(split);
  }
  model.SetExtendedBorders(true);
  TacSkinConvertor& pictures = Pictures();
  pictures.Options->LoadFromBytes(text.data(), text.size());
  try {
    model.LoadFromConvertor(pictures, "/nonexistent-skin-dir/");
  } catch (const Exception&) {
    return 0;
  }
  for (int i = 0; i < int(model.ma.size()); ++i) {
    const TsMaskData& md = model.ma[size_t(i)];
    // Rectangles are kept as written, within the coordinate bound.
    for (int v : {md.R.Left, md.R.Top, md.R.Right, md.R.Bottom})
      if (v < -MaxMaskCoord || v > MaxMaskCoord) std::abort();
  }
  TStringList sections;
  model.CommonSkinData.Active = true;
  model.GetSkinSections(sections);
  if (sections.Count() != int(model.gd.size())) std::abort();
  return 0;
}
