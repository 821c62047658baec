// Loading a skin package end to end (unpack, options, model, masks) against
// the bare zlib inflate of the same bytes. Uses skins/AlterMetro.asz when it
// exists, else a synthetic package of the same shape; and a large synthetic
// skin: 400 sections cutting a 2048 x 2048 master bitmap.
#include "skin/acSkinModel.h"
#include "tools/SamplePictures.h"
#include "tools/SkinPackage.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

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
  const TBytes pkg = PackSkinEntries({{"Options.dat", TBytes(options.begin(), options.end())},
                                      {"BtnHuge.bmp", SampleBmp(192, 128)},
                                      {"Master copy.bmp", SampleBmp(400, 152)},
                                      {"ExtBord.png", SamplePng(100, 80)},
                                      {"GlowEdit.png", SamplePng(22, 22)},
                                      {"GlowH.png", SamplePng(108, 108)}});
  return std::string(pkg.begin(), pkg.end());
}

// Hundreds of sections, each with a border, a glyph and a texture cut from a
// 2048 x 2048 master bitmap, colours, gradients, a glow picture and parents.
std::string LargeSyntheticPackage() {
  auto four = [](int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%04d", v);
    return std::string(b);
  };
  std::string options =
      "[GLOBALINFO]\r\nMASTERBITMAP=MASTER COPY.BMP\r\nVERSION=8.12\r\nCOLOR=16512753\r\n"
      "EXBORDER=!EXTBORD.PNG!2!0!3!0022!0052!0022!0022!1\r\nBOXCHECKED=@0078@0017@0126@0033@3@0\r\n"
      "BICONCLOSE=@0125@0095@0221@0117@3@0\r\nGRIPIMAGE=@0225@0100@0242@0117@1@0\r\n\r\n";
  for (int i = 0; i < 400; ++i) {
    const int x = (i % 20) * 100, y = 128 + (i / 20) * 95;
    options += "[SECTION" + std::to_string(i) + "]\r\n";
    if (i % 4 != 0) options += "PARENTCLASS=SECTION" + std::to_string(i - i % 4) + "\r\n";
    options += "STATES=" + std::to_string(1 + i % 3) + "\r\nCOLOR=" + std::to_string(16777215 - i * 97) +
               "\r\nHOTCOLOR=16765037\r\nFONTCOLOR=4013373\r\nHOTFONTCOLOR=0\r\nTRANSPARENCY=0\r\n"
               "BORDERSMASK=^" + four(x) + "^" + four(y) + "^" + four(x + 60) + "^" + four(y + 40) +
               "^0005^0005^0005^0005^3^1^1^0\r\nGLYPHMASK=@" + four(x + 62) + "@" + four(y) + "@" + four(x + 92) + "@" +
               four(y + 10) + "@3@0\r\nPATTERN=~" + four(x) + "~" + four(y + 45) + "~" + four(x + 40) + "~" +
               four(y + 85) + "~01~0\r\nGRADIENTDATA=16777215;16579058;97;0;0;16579058;16579058;0;0;0\r\n"
               "HOTGRADIENTDATA=16777215;16579058;50;0;0\r\nFADINGENABLED=1\r\nFADINGITERATIONS=5\r\n";
    if (i % 8 == 0) options += "GLOW=1\r\nGLOW0=!GLOWEDIT.PNG!1!0!3!0010!0010!0010!0010!1\r\n";
    options += "\r\n";
  }
  const TBytes pkg = PackSkinEntries({{"Options.dat", TBytes(options.begin(), options.end())},
                                      {"Master copy.bmp", SampleBmp(2048, 2048)},
                                      {"ExtBord.png", SamplePng(100, 80)},
                                      {"GlowEdit.png", SamplePng(22, 22)}});
  return std::string(pkg.begin(), pkg.end());
}

const std::string& LargePackage() {
  static const std::string pkg = LargeSyntheticPackage();
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

// One model loaded again and again, as the skin manager reloads itself
// (the old skin is freed inside each load). A new model per iteration
// would add the first-touch page faults of the half megabyte that glibc
// hands back to the system whenever a whole model is freed.
void LoadRepeatedly(benchmark::State& state, const std::string& pkg) {
  TacSkinModel model;
  for (auto _ : state) {
    model.LoadFromPackage(reinterpret_cast<const uint8_t*>(pkg.data()), pkg.size());
    benchmark::DoNotOptimize(model.ma.size());
  }
  state.counters["sections"] = double(model.gd.size());
  state.counters["masks"] = double(model.ma.size());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pkg.size()));
}

void BM_LoadSkinPackage(benchmark::State& state) { LoadRepeatedly(state, Package()); }
BENCHMARK(BM_LoadSkinPackage)->Unit(benchmark::kMicrosecond);

void BM_InflateOnly(benchmark::State& state) {
  const std::string& pkg = Package();
  std::vector<uint8_t> out;
  for (auto _ : state) benchmark::DoNotOptimize(InflateAll(pkg, out));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pkg.size()));
}
BENCHMARK(BM_InflateOnly)->Unit(benchmark::kMicrosecond);

void BM_LoadLargeSkin(benchmark::State& state) { LoadRepeatedly(state, LargePackage()); }
BENCHMARK(BM_LoadLargeSkin)->Unit(benchmark::kMicrosecond);

void BM_InflateLargeSkin(benchmark::State& state) {
  const std::string& pkg = LargePackage();
  std::vector<uint8_t> out;
  for (auto _ : state) benchmark::DoNotOptimize(InflateAll(pkg, out));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pkg.size()));
}
BENCHMARK(BM_InflateLargeSkin)->Unit(benchmark::kMicrosecond);

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
