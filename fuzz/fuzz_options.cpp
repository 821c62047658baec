// libFuzzer target for the options parser and the model built from it, with
// a small fixed set of pictures so that references resolve. The input is the
// options text; text after a line "%%" becomes the CommonSections overrides.
// A leading "~~" followed by two bytes sets the hue offset and saturation.
#include "skin/acSkinModel.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void PutLe(std::string& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b += char((v >> (8 * i)) & 0xFF);
}
void PutBe32(std::string& b, uint32_t v) {
  for (int i = 3; i >= 0; --i) b += char((v >> (8 * i)) & 0xFF);
}

// 24-bit BMP with the 12-byte core header; fuchsia at every fifth pixel.
std::string Bmp(int w, int h) {
  const int stride = (w * 3 + 3) & ~3;
  std::string b = "BM";
  PutLe(b, uint32_t(26 + stride * h), 4);
  PutLe(b, 0, 4);
  PutLe(b, 26, 4);
  PutLe(b, 12, 4);
  PutLe(b, uint32_t(w), 2);
  PutLe(b, uint32_t(h), 2);
  PutLe(b, 1, 2);
  PutLe(b, 24, 2);
  for (int y = 0; y < h; ++y) {
    int n = 0;
    for (int x = 0; x < w; ++x, n += 3) {
      const bool key = (x + y) % 5 == 0;
      b += char(key ? 0xFF : 0x80);
      b += char(key ? 0x00 : 0x90);
      b += char(key ? 0xFF : 0xA0 + x);
    }
    for (; n < stride; ++n) b += '\0';
  }
  return b;
}

void Chunk(std::string& png, const char* type, const std::string& body) {
  PutBe32(png, uint32_t(body.size()));
  const std::string t = std::string(type) + body;
  png += t;
  PutBe32(png, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(t.data()), uInt(t.size()))));
}

std::string Png(int w, int h) {
  std::string png("\x89PNG\r\n\x1A\n", 8), ihdr, raw;
  PutBe32(ihdr, uint32_t(w));
  PutBe32(ihdr, uint32_t(h));
  ihdr += std::string("\x08\x06\x00\x00\x00", 5);
  Chunk(png, "IHDR", ihdr);
  for (int y = 0; y < h; ++y) {
    raw += '\0';
    for (int x = 0; x < w; ++x) raw += std::string{char(x * 20), char(y * 20), char(0xFF), char((x + y) * 16)};
  }
  uLongf n = compressBound(uLong(raw.size()));
  std::string z(n, '\0');
  compress2(reinterpret_cast<Bytef*>(z.data()), &n, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 6);
  z.resize(n);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", "");
  return png;
}

TacSkinConvertor& Pictures() {
  static TacSkinConvertor* conv = [] {
    auto* c = new TacSkinConvertor;
    const std::pair<const char*, std::string> files[] = {
        {"Master copy.bmp", Bmp(60, 40)}, {"Glow.png", Png(12, 12)}, {"Frame.bmp", Bmp(18, 12)}};
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
    model.SetHueOffset(int8_t(text[2]) * 3);
    model.SetSaturation(int8_t(text[3]));
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
    const TBitmap32& pic = model.MaskPicture(i);
    if (md.R.Left < 0 || md.R.Top < 0 || md.R.Right > pic.Width() || md.R.Bottom > pic.Height()) std::abort();
  }
  TStringList sections;
  model.CommonSkinData.Active = true;
  model.GetSkinSections(sections);
  if (sections.Count() != int(model.gd.size())) std::abort();
  return 0;
}
