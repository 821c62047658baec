// The replaceable JPEG decoder: factory handling and the LoadJpeg contract.
#include "skin/acJpeg.h"

#include <gtest/gtest.h>

namespace {

// Gives a picture as wide as the input is long, or fails on request.
class TFakeDecoder : public TacJpegDecoder {
public:
  explicit TFakeDecoder(int* calls) : FCalls(calls) {}
  void Decode(const uint8_t* data, size_t size, TBitmap32& bitmap) override {
    ++*FCalls;
    if (size > 0 && data[0] == 'X') throw EJpegError("Cannot load JPEG image. Fake failure.");
    if (size == 0) return;  // leaves the bitmap empty
    bitmap.SetSize(int(size), 1);
    bitmap.Fill(0xFF102030);
    bitmap.PixelFormat = TPixelFormat::pf32bit;
  }

private:
  int* FCalls;
};

class JpegDecoding : public ::testing::Test {
protected:
  void SetUp() override { FPrevious = SetJpegDecoderFactory(nullptr); }
  void TearDown() override { SetJpegDecoderFactory(FPrevious); }
  void InstallFake() {
    SetJpegDecoderFactory([this] { return std::make_unique<TFakeDecoder>(&FCalls); });
  }
  TacJpegDecoderFactory FPrevious;
  int FCalls = 0;
};

TEST_F(JpegDecoding, WithoutAFactoryLoadingFails) {
  TBitmap32 bmp;
  const uint8_t data[] = {1, 2, 3};
  try {
    LoadJpeg(data, sizeof data, bmp);
    FAIL() << "loaded without a decoder";
  } catch (const EJpegError& e) {
    EXPECT_EQ(e.Message(), "Cannot load JPEG image. No JPEG decoder is available.");
  }
  EXPECT_TRUE(bmp.Empty());
}

TEST_F(JpegDecoding, AFactoryGivingNothingCountsAsNone) {
  SetJpegDecoderFactory([] { return std::unique_ptr<TacJpegDecoder>(); });
  EXPECT_THROW(CreateJpegDecoder(), EJpegError);
}

TEST_F(JpegDecoding, InstalledDecoderDecodesAndResultIsMarkedOpaqueSource) {
  InstallFake();
  TBitmap32 bmp;
  const uint8_t data[] = {1, 2, 3, 4, 5};
  LoadJpeg(data, sizeof data, bmp);
  EXPECT_EQ(FCalls, 1);
  EXPECT_EQ(bmp.Width(), 5);
  EXPECT_EQ(bmp.Height(), 1);
  EXPECT_EQ(bmp.Pixel(4, 0), 0xFF102030u);
  EXPECT_EQ(bmp.PixelFormat, TPixelFormat::pf24bit);
}

TEST_F(JpegDecoding, FailureLeavesTheBitmapAlone) {
  InstallFake();
  TBitmap32 bmp(2, 2);
  bmp.Fill(0x11223344);
  const uint8_t bad[] = {'X', 0};
  EXPECT_THROW(LoadJpeg(bad, sizeof bad, bmp), EJpegError);
  EXPECT_EQ(bmp.Width(), 2);
  EXPECT_EQ(bmp.Pixel(1, 1), 0x11223344u);
}

TEST_F(JpegDecoding, AnEmptyPictureIsAnError) {
  InstallFake();
  TBitmap32 bmp;
  try {
    LoadJpeg(nullptr, 0, bmp);
    FAIL() << "an empty picture was accepted";
  } catch (const EJpegError& e) {
    EXPECT_EQ(e.Message(), "Cannot load JPEG image. The picture is empty.");
  }
}

TEST_F(JpegDecoding, SettingAFactoryReturnsThePreviousOne) {
  InstallFake();
  auto fake = SetJpegDecoderFactory(nullptr);
  ASSERT_TRUE(bool(fake));
  EXPECT_FALSE(bool(JpegDecoderFactory()));
  SetJpegDecoderFactory(fake);
  EXPECT_NE(CreateJpegDecoder(), nullptr);
}

}  // namespace
