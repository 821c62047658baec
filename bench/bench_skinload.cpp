// Loading a skin package end to end (unpack, options, model, masks) against
// the bare zlib inflate of the same bytes. Uses skins/AlterMetro.asz when it
// exists, else a synthetic package of the same shape.
#include "skin/acSkinModel.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

void PutLe(std::string& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b += char((v >> (8 * i)) & 0xFF);
}
void PutBe32(std::string& b, uint32_t v) {
  for (int i = 3; i >= 0; --i) b += char((v >> (8 * i)) & 0xFF);
}
std::string Deflate(const std::string& s) {
  uLongf n = compressBound(uLong(s.size()));
  std::string z(n, '\0');
  compress2(reinterpret_cast<Bytef*>(z.data()), &n, reinterpret_cast<const Bytef*>(s.data()), uLong(s.size()), 9);
  z.resize(n);
  return z;
}

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
    for (int x = 0; x < w; ++x, n += 3) b += std::string{char(0xF0 - x % 32), char(0xE0 - y % 16), char(0xD0)};
    for (; n < stride; ++n) b += '\0';
  }
  return b;
}

std::string Png(int w, int h) {
  auto chunk = [](std::string& png, const char* t, const std::string& body) {
    PutBe32(png, uint32_t(body.size()));
    const std::string tb = std::string(t) + body;
    png += tb;
    PutBe32(png, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(tb.data()), uInt(tb.size()))));
  };
  std::string png("\x89PNG\r\n\x1A\n", 8), ihdr, raw;
  PutBe32(ihdr, uint32_t(w));
  PutBe32(ihdr, uint32_t(h));
  ihdr += std::string("\x08\x06\x00\x00\x00", 5);
  chunk(png, "IHDR", ihdr);
  for (int y = 0; y < h; ++y) {
    raw += '\0';
    for (int x = 0; x < w; ++x) raw += std::string{char(0x30), char(0x60), char(0x90), char((x * y) & 0xFF)};
  }
  chunk(png, "IDAT", Deflate(raw));
  chunk(png, "IEND", "");
  return png;
}

std::string SyntheticPackage() {
  std::string options =
      "[GLOBALINFO]\r\nMASTERBITMAP=MASTER COPY.BMP\r\nVERSION=8.12\r\n"
      "EXBORDER=!EXTBORD.PNG!2!0!3!0022!0052!0022!0022!1\r\nBOXCHECKED=@0078@0017@0126@0033@3@0\r\n";
  // About as many sections and lines as the built-in skin.
  for (int i = 0; i < 66; ++i)
    options += "[SECTION" + std::to_string(i) +
               "]\r\nSTATES=2\r\nCOLOR=16777215\r\nHOTCOLOR=16765037\r\nFONTCOLOR=4013373\r\n"
               "BORDERSMASK=^0015^0000^0025^0005^0001^0001^0001^0001^2^0^1^1\r\n"
               "GRADIENTDATA=16777215;16579058;97;0;0;16579058;16579058;0;0;0\r\nGLOW=1\r\n"
               "GLOW0=!GLOWEDIT.PNG!1!0!3!0010!0010!0010!0010!1\r\nFADINGENABLED=1\r\n\r\n";
  const std::pair<std::string, std::string> files[] = {
      {"Options.dat", options},          {"BtnHuge.bmp", Bmp(192, 128)}, {"Master copy.bmp", Bmp(400, 152)},
      {"ExtBord.png", Png(100, 80)},     {"GlowEdit.png", Png(22, 22)},  {"GlowH.png", Png(108, 108)}};
  std::string pkg = "ASzf";
  PutLe(pkg, 6, 4);
  for (const auto& [name, content] : files) {
    PutLe(pkg, uint32_t(name.size()), 4);
    pkg += name;
    PutLe(pkg, uint32_t(content.size()), 4);
    pkg += Deflate(content);
  }
  return pkg;
}

const std::string& Package() {
  static const std::string pkg = [] {
    std::ifstream in(std::string(QN_SOURCE_DIR) + "/skins/AlterMetro.asz", std::ios::binary);
    if (in) {
      std::ostringstream s;
      s << in.rdbuf();
      return s.str();
    }
    return SyntheticPackage();
  }();
  return pkg;
}

// Inflates every entry of the package and nothing else.
size_t InflateAll(const std::string& pkg, std::vector<uint8_t>& out) {
  size_t pos = 8, total = 0;
  int32_t count;
  std::memcpy(&count, pkg.data() + 4, 4);
  for (int32_t i = 0; i < count; ++i) {
    int32_t len, size;
    std::memcpy(&len, pkg.data() + pos, 4);
    pos += 4 + size_t(len);
    std::memcpy(&size, pkg.data() + pos, 4);
    pos += 4;
    out.resize(size_t(size));
    z_stream z{};
    inflateInit(&z);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(pkg.data() + pos));
    z.avail_in = uInt(pkg.size() - pos);
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    inflate(&z, Z_FINISH);
    pos += z.total_in;
    total += z.total_out;
    inflateEnd(&z);
  }
  return total;
}

void BM_LoadSkinPackage(benchmark::State& state) {
  const std::string& pkg = Package();
  for (auto _ : state) {
    TacSkinModel model;
    model.LoadFromPackage(reinterpret_cast<const uint8_t*>(pkg.data()), pkg.size());
    benchmark::DoNotOptimize(model.ma.size());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pkg.size()));
}
BENCHMARK(BM_LoadSkinPackage)->Unit(benchmark::kMicrosecond);

void BM_InflateOnly(benchmark::State& state) {
  const std::string& pkg = Package();
  std::vector<uint8_t> out;
  for (auto _ : state) benchmark::DoNotOptimize(InflateAll(pkg, out));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pkg.size()));
}
BENCHMARK(BM_InflateOnly)->Unit(benchmark::kMicrosecond);

void BM_UnpackOnly(benchmark::State& state) {
  const std::string& pkg = Package();
  for (auto _ : state) {
    auto conv = std::make_unique<TacSkinConvertor>();
    auto stream = std::make_unique<TMemoryStream>();
    stream->LoadFromBytes(pkg.data(), pkg.size());
    conv->SetPackedData(std::move(stream));
    ExtractPackedData(conv);
    benchmark::DoNotOptimize(conv->Files.size());
  }
}
BENCHMARK(BM_UnpackOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
