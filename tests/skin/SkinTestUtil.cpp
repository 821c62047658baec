#include "SkinTestUtil.h"

#include "skin/acJpeg.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

void PutLe32(TBlob& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b += char((v >> (8 * i)) & 0xFF);
}
void PutLe16(TBlob& b, uint16_t v) {
  b += char(v & 0xFF);
  b += char(v >> 8);
}
void PutBe32(TBlob& b, uint32_t v) {
  for (int i = 3; i >= 0; --i) b += char((v >> (8 * i)) & 0xFF);
}

}  // namespace

TBlob Zlib(const TBlob& content, int level) {
  uLongf size = compressBound(uLong(content.size()));
  TBlob out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(content.data()),
                uLong(content.size()), level) != Z_OK)
    throw std::runtime_error("compress2 failed");
  out.resize(size);
  return out;
}

TPackageWriter& TPackageWriter::Magic(const char* magic) {
  FData += magic;
  return *this;
}

TPackageWriter& TPackageWriter::Int(int32_t value) {
  PutLe32(FData, uint32_t(value));
  return *this;
}

TPackageWriter& TPackageWriter::Raw(const TBlob& bytes) {
  FData += bytes;
  return *this;
}

TPackageWriter& TPackageWriter::Entry(const String& name, const TBlob& content, int level) {
  Int(int32_t(name.size()));
  FData += name;
  Int(int32_t(content.size()));
  FData += Zlib(content, level);
  return *this;
}

TPackageWriter& TPackageWriter::EntryWithSize(const String& name, const TBlob& content, int32_t storedSize) {
  Int(int32_t(name.size()));
  FData += name;
  Int(storedSize);
  FData += Zlib(content);
  return *this;
}

TBlob MakePackage(const std::vector<std::pair<String, TBlob>>& files) {
  TPackageWriter w;
  w.Magic().Int(int32_t(files.size()));
  for (const auto& [name, content] : files) w.Entry(name, content);
  return w.Data();
}

TBlob MakeBmp24(int width, int height, const TPixelFn& pixel, bool core) {
  const int stride = (width * 3 + 3) & ~3;
  const uint32_t headerSize = core ? 12 : 40;
  const uint32_t offset = 14 + headerSize;
  TBlob b = "BM";
  PutLe32(b, offset + uint32_t(stride * height));
  PutLe32(b, 0);
  PutLe32(b, offset);
  PutLe32(b, headerSize);
  if (core) {
    PutLe16(b, uint16_t(width));
    PutLe16(b, uint16_t(height));
    PutLe16(b, 1);
    PutLe16(b, 24);
  } else {
    PutLe32(b, uint32_t(width));
    PutLe32(b, uint32_t(height));
    PutLe16(b, 1);
    PutLe16(b, 24);
    for (int i = 0; i < 6; ++i) PutLe32(b, 0);
  }
  for (int y = height - 1; y >= 0; --y) {
    int n = 0;
    for (int x = 0; x < width; ++x, n += 3) {
      const uint32_t p = pixel(x, y);
      b += char(p & 0xFF);
      b += char((p >> 8) & 0xFF);
      b += char((p >> 16) & 0xFF);
    }
    for (; n < stride; ++n) b += '\0';
  }
  return b;
}

namespace {

void PutChunk(TBlob& png, const char* type, const TBlob& data) {
  PutBe32(png, uint32_t(data.size()));
  TBlob body = type;
  body += data;
  png += body;
  PutBe32(png, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

TBlob MakePng(int width, int height, const TPixelFn& pixel, bool alpha) {
  TBlob png("\x89PNG\r\n\x1A\n", 8);
  TBlob ihdr;
  PutBe32(ihdr, uint32_t(width));
  PutBe32(ihdr, uint32_t(height));
  ihdr += char(8);
  ihdr += char(alpha ? 6 : 2);
  ihdr += TBlob(3, '\0');
  PutChunk(png, "IHDR", ihdr);
  TBlob raw;
  for (int y = 0; y < height; ++y) {
    raw += '\0';
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixel(x, y);
      raw += char((p >> 16) & 0xFF);
      raw += char((p >> 8) & 0xFF);
      raw += char(p & 0xFF);
      if (alpha) raw += char(p >> 24);
    }
  }
  PutChunk(png, "IDAT", Zlib(raw));
  PutChunk(png, "IEND", TBlob());
  return png;
}

}  // namespace

TBlob MakePngBlack1(int width, int height) {
  TBlob png("\x89PNG\r\n\x1A\n", 8);
  TBlob ihdr;
  PutBe32(ihdr, uint32_t(width));
  PutBe32(ihdr, uint32_t(height));
  ihdr += char(1);
  ihdr += TBlob(4, '\0');
  PutChunk(png, "IHDR", ihdr);
  PutChunk(png, "IDAT", Zlib(TBlob(size_t(height) * size_t(1 + (width + 7) / 8), '\0'), 9));
  PutChunk(png, "IEND", TBlob());
  return png;
}

TBlob MakePngRgba(int width, int height, const TPixelFn& pixel) { return MakePng(width, height, pixel, true); }
TBlob MakePngRgb(int width, int height, const TPixelFn& pixel) { return MakePng(width, height, pixel, false); }

TBlob MakeFakeJpeg(int width, int height, TColor color) {
  return Format("FAKEJPEG %d %d %06X", width, height, unsigned(color));
}

TPixelFn SolidFn(uint32_t pixel) {
  return [pixel](int, int) { return pixel; };
}

namespace {

class TFakeJpegDecoder : public TacJpegDecoder {
public:
  void Decode(const uint8_t* data, size_t size, TBitmap32& bitmap) override {
    std::istringstream in(String(reinterpret_cast<const char*>(data), size));
    String tag;
    int w = 0, h = 0;
    unsigned color = 0;
    in >> tag >> w >> h >> std::hex >> color;
    if (tag != "FAKEJPEG" || !in) throw EJpegError("Cannot load JPEG image. Not a test picture.");
    bitmap.SetSize(w, h);
    bitmap.Fill(ColorToPixel(color));
  }
};

}  // namespace

struct TFakeJpegScope::TImpl {
  TacJpegDecoderFactory Previous;
};

TFakeJpegScope::TFakeJpegScope() : FImpl(new TImpl) {
  FImpl->Previous = SetJpegDecoderFactory([] { return std::make_unique<TFakeJpegDecoder>(); });
}

TFakeJpegScope::~TFakeJpegScope() {
  SetJpegDecoderFactory(FImpl->Previous);
  delete FImpl;
}

// ---- the built-in-like skin

String BuiltInLikeOptions() {
  return "[GLOBALINFO]\r\n"
         "MASTERBITMAP=MASTER COPY.BMP\r\n"
         "VERSION=8.12\r\n"
         "AUTHOR=Test Author\r\n"
         "COLOR=16512753\r\n"
         "HOTCOLOR=16777215\r\n"
         "FONTCOLOR=4013373\r\n"
         "BORDERCOLOR=13420215\r\n"
         "TCLEFT=0\r\n"
         "SHADOW1COLOR=12632256\r\n"
         "SHADOW1OFFSET=1\r\n"
         "SHADOW1BLUR=3\r\n"
         "BOXCHECKED=@0078@0017@0126@0033@3@0\r\n"
         "SMALLCHECKED=@0178@0073@0190@0085@1@0\r\n"
         "BOXUNCHECKED=@0029@0017@0077@0033@3@0\r\n"
         "SMALLUNCHECKED=@0165@0073@0177@0085@1@0\r\n"
         "BOXGRAYED=@0095@0000@0143@0016@3@0\r\n"
         "SMALLGRAYED=@0191@0073@0203@0085@1@0\r\n"
         "RADIOCHECKED=@0078@0000@0094@0016@1@0\r\n"
         "RADIOUNCHECKED=@0029@0000@0077@0016@3@0\r\n"
         "CHECK=@0069@0098@0084@0128@1@1\r\n"
         "BICONMIN=@0243@0068@0315@0090@3@0\r\n"
         "BICONCLOSE=@0125@0095@0221@0117@3@0\r\n"
         "BICONMAX=@0243@0114@0315@0136@3@0\r\n"
         "SICLOSEALONE=@0000@0015@0021@0022@3@0\r\n"
         "GRIPIMAGE=@0225@0100@0242@0117@1@0\r\n"
         "BISPACE=-1\r\n"
         "BIRIGHT=-1\r\n"
         "EXBORDER=!EXTBORD.PNG!2!0!3!0022!0052!0022!0022!1\r\n"
         "BORDERMODE=1\r\n"
         "BORDERWIDTH=6\r\n"
         "FORMOFFSET=15\r\n"
         "TITLEHEIGHT=32\r\n"
         "BITOP=0\r\n"
         "CENTEROFFSET=-2\r\n"
         "AEROBLUR=0\r\n"
         "TCBOTTOM=12877058\r\n"
         "TCTOP=150503\r\n"
         "BICONNORM=@0243@0091@0315@0113@3@0\r\n"
         "MAXHEIGHT=28\r\n"
         "GRIPVERT=@0142@0041@0146@0065@1@0\r\n"
         "GRIPHORZ=@0165@0086@0189@0090@1@0\r\n"
         "BILEFT=1\r\n"
         "BIVALIGN=1\r\n"
         "SICONCLOSE=@0272@0000@0326@0018@3@0\r\n"
         "SICONMIN=@0346@0018@0400@0036@3@0\r\n"
         "SICONNORM=@0326@0000@0380@0018@3@0\r\n"
         "SICONMAX=@0292@0018@0346@0036@3@0\r\n"
         "TITLEBUTTON=@0218@0000@0272@0018@3@0\r\n"
         "BICONHELP=@0116@0118@0170@0136@3@0\r\n"
         "BICLOSEALONE=@0125@0095@0221@0117@3@0\r\n"
         "SICONHELP=@0116@0118@0170@0136@3@0\r\n"
         "EDITBG_EVEN=16513265\r\n"
         "ALIGNOFFSET=1\r\n"
         "\r\n"
         "[CHECKBOX]\r\n"
         "STATES=3\r\nFONTCOLOR=4013373\r\nHOTFONTCOLOR=0\r\nTRANSPARENCY=100\r\nHOTTRANSPARENCY=100\r\n"
         "FADINGENABLED=1\r\nFADINGITERATIONS=10\r\nHGSIZE=1\r\nHGCOL=13553358\r\nGSIZE=0\r\n"
         "\r\n"
         "[EDIT]\r\n"
         "STATES=2\r\nCOLOR=16777215\r\nBORDERSMASK=^0015^0000^0025^0005^0001^0001^0001^0001^2^0^1^1\r\n"
         "HOTCOLOR=16777215\r\nGLOWMARGIN=6\r\nGLOW=1\r\nGLOW0=!GLOWEDIT.PNG!1!0!3!0010!0010!0010!0010!1\r\n"
         "\r\n"
         "[FORMTITLE]\r\n"
         "STATES=2\r\nCOLOR=14341838\r\nFONTCOLOR=0\r\nHOTCOLOR=14992515\r\nHOTFONTCOLOR=0\r\nGRADIENTPERCENT=0\r\n"
         "GRADIENTDATA=N/A\r\nHOTGRADIENTPERCENT=0\r\nHOTGRADIENTDATA=N/A\r\nHGCOL=11837298\r\nHGSIZE=1\r\n"
         "GCOL=10855845\r\nGSIZE=1\r\nBORDERSMASK=^0010^0006^0028^0008^0001^0001^0001^0000^2^0^1^1\r\nIMAGEPERCENT=0\r\n"
         "\r\n"
         "[FORM]\r\n"
         "STATES=2\r\nCOLOR=16249576\r\nGRADIENTPERCENT=0\r\nGRADIENTDATA=N/A\r\nIMAGEPERCENT=0\r\nPATTERN=N/A\r\n"
         "HOTCOLOR=16249576\r\nBORDERSMASK=^0010^0006^0028^0015^0004^0004^0004^0004^2^0^1^1\r\n"
         "HOTGRADIENTDATA=N/A\r\nHOTIMAGEPERCENT=0\r\nHOTGRADIENTPERCENT=0\r\n"
         "\r\n"
         "[DIALOG]\r\n"
         "STATES=2\r\nCOLOR=16249576\r\nGRADIENTPERCENT=0\r\nGRADIENTDATA=N/A\r\nIMAGEPERCENT=0\r\nPATTERN=N/A\r\n"
         "HOTCOLOR=16249576\r\nBORDERSMASK=^0010^0006^0028^0015^0004^0004^0004^0004^2^0^1^1\r\n"
         "HOTGRADIENTDATA=N/A\r\nHOTIMAGEPERCENT=0\r\nHOTGRADIENTPERCENT=0\r\n"
         "\r\n"
         "[SELECTION]\r\n"
         "STATES=2\r\nCOLOR=16772552\r\nHOTCOLOR=16699758\r\nHOTGRADIENTPERCENT=100\r\n"
         "HOTGRADIENTDATA=16765560;16764265;97;0;0;16764265;16764265;0;0;0\r\nHGSIZE=2\r\nHGCOL=13936728\r\n"
         "\r\n"
         "[MENUITEM]\r\n"
         "STATES=2\r\nCOLOR=16772552\r\nHOTCOLOR=16699758\r\nHOTGRADIENTPERCENT=100\r\n"
         "HOTGRADIENTDATA=16767350;16369513;97;0;0;16369513;16369513;0;0;0\r\nTRANSPARENCY=100\r\nHGSIZE=2\r\n"
         "HGCOL=13936728\r\n"
         "\r\n"
         "[PROGRESSH]\r\n"
         "STATES=1\r\nPATTERN=~0293~0037~0323~0067~00~0\r\n"
         "\r\n"
         "[BUTTON]\r\n"
         "STATES=4\r\nCOLOR=16777215\r\nFONTCOLOR=4013373\r\nHOTCOLOR=16765037\r\nHOTFONTCOLOR=0\r\n"
         "BORDERSMASK=^0206^0066^0242^0094^0004^0005^0004^0003^4^0^5^1\r\nHGSIZE=2\r\nTRANSPARENCY=100\r\n"
         "HOTTRANSPARENCY=100\r\nGSIZE=0\r\nFADINGENABLED=1\r\nFADINGITERATIONS=10\r\nHGCOL=13936728\r\n"
         "GLOWMARGIN=5\r\nGLOW=1\r\nGLOW0=!GLOWEDIT.PNG!1!0!3!0010!0010!0010!0010!1\r\n"
         "\r\n"
         "[BUTTON_HUGE]\r\n"
         "STATES=3\r\nBORDERSMASK=!BTNHUGE.BMP!3!1!0!0031!0031!0032!0032!5\r\n"
         "GLOW0=!GLOWH.PNG!1!0!3!0053!0053!0053!0053!1\r\n"
         "\r\n"
         "[SPEEDBUTTON]\r\n"
         "STATES=3\r\nCOLOR=16777215\r\nFONTCOLOR=4013373\r\nHOTCOLOR=16765037\r\nHOTFONTCOLOR=0\r\n"
         "BORDERSMASK=^0256^0019^0292^0063^0004^0005^0004^0003^3^1^5^1\r\nTRANSPARENCY=100\r\nHOTTRANSPARENCY=100\r\n"
         "FADINGENABLED=1\r\nFADINGITERATIONS=10\r\nGSIZE=0\r\nHGSIZE=2\r\nHGCOL=13936728\r\nGLOWMARGIN=5\r\nGLOW=1\r\n"
         "GLOW0=!GLOWEDIT.PNG!1!0!3!0010!0010!0010!0010!1\r\n"
         "\r\n"
         "[MAINMENU]\r\n"
         "STATES=1\r\nCOLOR=15329769\r\nFONTCOLOR=0\r\nBORDERSMASK=^0168^0001^0178^0027^0003^0003^0003^0003^1^0^1^1\r\n"
         "GRADIENTPERCENT=100\r\n"
         "GRADIENTDATA=16777215;16777215;24;2;0;16777215;16777215;24;2;0;16777215;15986663;24;2;0;15986663;16777215;24;2;0;"
         "16777215;16777215;0;2;0\r\n"
         "\r\n"
         "[ICOLINE]\r\n"
         "STATES=1\r\nCOLOR=16774885\r\n"
         "\r\n";
}

std::vector<std::pair<String, TBlob>> BuiltInLikeFiles() {
  // Grey master with fuchsia rows at the very top and bottom.
  auto master = [](int x, int y) -> uint32_t { return y == 151 ? 0xFFFF00FF : 0xFF808080 + uint32_t(x % 7); };
  return {
      {"Options.dat", BuiltInLikeOptions()},
      {"BtnHuge.bmp", MakeBmp24(192, 128, SolidFn(0xFFC0C0C0))},
      {"Master copy.bmp", MakeBmp24(400, 152, master)},
      {"ExtBord.png", MakePngRgba(100, 80, [](int x, int) { return x < 50 ? 0x80102030u : 0xFF405060u; })},
      {"GlowEdit.png", MakePngRgba(22, 22, SolidFn(0x80326496))},
      {"GlowH.png", MakePngRgba(108, 108, SolidFn(0x40FFFFFF))},
  };
}

TBlob BuiltInLikePackage() { return MakePackage(BuiltInLikeFiles()); }

// ---- files

TTempDir::TTempDir(const String& name) {
  namespace fs = std::filesystem;
  // Tests may run in parallel processes from one folder: the test's own name
  // keeps their folders apart.
  String unique = name;
  if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
    unique += String("-") + info->test_suite_name() + "-" + info->name();
  const fs::path p = fs::current_path() / "skin-test-tmp" / unique;
  fs::remove_all(p);
  fs::create_directories(p);
  FPath = p.string() + "/";
}

TTempDir::~TTempDir() {
  std::error_code ec;
  std::filesystem::remove_all(FPath, ec);
}

void TTempDir::Write(const String& fileName, const TBlob& content) const {
  std::ofstream out(FPath + fileName, std::ios::binary);
  out.write(content.data(), std::streamsize(content.size()));
}

TBlob TTempDir::Read(const String& fileName) const { return ReadWholeFile(FPath + fileName); }

TBlob ReadWholeFile(const String& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}
