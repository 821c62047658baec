// libFuzzer target for the package reader and the model built from it.
// Any input either loads or raises an Exception; anything else is a bug.
//
// The first byte picks the mode. Raw mode ('R' or anything else): the rest is
// a package as stored. Built mode ('B'): the rest is split at the three bytes
// 00 7C 00 into name/content pairs that are packed with valid zlib streams, so that mutated
// contents get past the checksums and reach the options and image readers.
#include "skin/acSkinModel.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void PutLe32(std::string& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b += char((v >> (8 * i)) & 0xFF);
}

std::string BuildPackage(const uint8_t* data, size_t size) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < size; ++i) {
    if (i + 2 < size && data[i] == 0 && data[i + 1] == '|' && data[i + 2] == 0) {
      parts.emplace_back();
      i += 2;
    } else {
      parts.back() += char(data[i]);
    }
  }
  if (parts.size() % 2) parts.emplace_back();
  std::string pkg = "ASzf";
  PutLe32(pkg, uint32_t(parts.size() / 2));
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    const std::string& name = i == 0 && parts[i].empty() ? std::string("Options.dat") : parts[i];
    const std::string& content = parts[i + 1];
    uLongf n = compressBound(uLong(content.size()));
    std::string z(n, '\0');
    compress2(reinterpret_cast<Bytef*>(z.data()), &n, reinterpret_cast<const Bytef*>(content.data()), uLong(content.size()), 1);
    z.resize(n);
    PutLe32(pkg, uint32_t(name.size()));
    pkg += name;
    PutLe32(pkg, uint32_t(content.size()));
    pkg += z;
  }
  return pkg;
}

// Records keep their rectangles as written (within the coordinate bound);
// a record with its own picture covers it.
void CheckModel(TacSkinModel& model) {
  for (int i = 0; i < int(model.ma.size()); ++i) {
    const TsMaskData& md = model.ma[size_t(i)];
    for (int v : {md.R.Left, md.R.Top, md.R.Right, md.R.Bottom})
      if (v < -MaxMaskCoord || v > MaxMaskCoord) std::abort();
    if (md.Bmp && !md.R.IsEmpty() && !(md.R == Rect(0, 0, md.Bmp->Width(), md.Bmp->Height()))) std::abort();
    model.MaskWidthLeft(i);
    model.MaskWidthTop(i);
  }
  for (int i = 0; i < int(model.gd.size()); ++i) {
    const TsGeneralData& g = model.gd[size_t(i)];
    for (int idx : {g.BorderIndex, g.ImgTL, g.ImgBR, g.TextureNormal, g.Props[0].TextureIndex, g.Props[1].TextureIndex})
      if (idx < -1 || idx >= int(model.ma.size())) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string package = data[0] == 'B' ? BuildPackage(data + 1, size - 1)
                                              : std::string(reinterpret_cast<const char*>(data + 1), size - 1);
  TacSkinModel model;
  model.SetExtendedBorders(true);
  try {
    model.LoadFromPackage(reinterpret_cast<const uint8_t*>(package.data()), package.size());
  } catch (const Exception&) {
    return 0;
  }
  CheckModel(model);
  return 0;
}
