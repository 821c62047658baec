// libFuzzer target for the section painters: every section of a fuzzed
// options text (pictures from a small fixed set) painted into a cache of a
// fuzzed size in a fuzzed state, over a parent picture and over a colour.
// The first three bytes are the width, height and state; the rest is the text.
#include "paint/sSkinPaint.h"
#include "skin/acSkinModel.h"
#include "tools/SamplePictures.h"

#include <cstddef>
#include <cstdint>
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
  if (size < 3) return 0;
  const int w = data[0] % 97, h = data[1] % 61, state = int(int8_t(data[2]));
  const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
  TacSkinModel model;
  TacSkinConvertor& pictures = Pictures();
  pictures.Options->LoadFromBytes(text.data(), text.size());
  try {
    model.LoadFromConvertor(pictures, "/nonexistent-skin-dir/");
  } catch (const Exception&) {
    return 0;
  }
  TBitmap32 parent(w + 7, h + 5), cache(w, h);
  parent.Fill(0xFF405060);
  TCacheInfo ready, colour;
  ready.Ready = true;
  ready.Bmp = TPixelView(parent);
  ready.X = 3, ready.Y = 2;
  colour.FillColor = 0x00E0E0E0;
  colour.Bmp = TPixelView(parent);
  colour.FillRect = Rect(2, 2, 2, 2);
  for (int i = 0; i < int(model.gd.size()); ++i) {
    const String& name = model.gd[size_t(i)].ClassName;
    for (const TCacheInfo* ci : {&ready, &colour}) {
      PaintSectionByIndex(i, name, *ci, state, Rect(0, 0, w, h), Point(1, 1), cache, &model);
      PaintSectionBG(i, name, *ci, state, Rect(1, 1, w - 1, h - 1), Point(2, 2), cache, &model, -1, -1);
      const TsGeneralData& gd = model.gd[size_t(i)];
      PaintSectionWithBorder(i, gd.BorderIndex, gd.Props[0].TextureIndex, &model, cache, Point(1, 1), Rect(0, 0, w, h),
                             state, *ci, name, gd.Props[1].TextureIndex);
    }
  }
  return 0;
}
