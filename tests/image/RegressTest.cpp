// Inputs that broke a decoder once (fuzzing) or probe its limits (sizes,
// lengths, offsets near overflow) must fail cleanly with the decoder's error.
#include "skin/acBmp.h"
#include "skin/acPNG.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

const fs::path RegressDir = fs::path(QN_SOURCE_DIR) / "tests" / "image" / "regress";

TBytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// regress/<decoder>-<name>: every file is refused with the decoder's error.
TEST(ImageRegressions, EverySavedInputFailsCleanly) {
  if (!fs::is_directory(RegressDir)) GTEST_SKIP() << "no saved inputs";
  int count = 0;
  for (auto& entry : fs::directory_iterator(RegressDir)) {
    String name = entry.path().filename().string();
    SCOPED_TRACE(name);
    TBytes data = ReadAll(entry.path());
    if (name.rfind("png-", 0) == 0) {
      TPNGGraphic png;
      EXPECT_THROW(png.LoadFromBytes(data.data(), data.size()), EPNGError);
      ++count;
    } else if (name.rfind("bmp-", 0) == 0) {
      TBitmap32 bmp;
      EXPECT_THROW(LoadBmp(data.data(), data.size(), bmp), EBmpError);
      ++count;
    }
  }
  EXPECT_GT(count, 0);
  RecordProperty("Inputs", count);
}

}  // namespace
