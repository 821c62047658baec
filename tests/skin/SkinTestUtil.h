// Builders of skin packages, options texts and small pictures for the tests.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/SysUtils.h"

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

// Binary blobs are held in Strings.
using TBlob = String;
using TPixelFn = std::function<uint32_t(int x, int y)>;  // 0xAARRGGBB

// Writes "ASzf" packages field by field, so that tests can also break them.
class TPackageWriter {
public:
  TPackageWriter& Magic(const char* magic = "ASzf");
  TPackageWriter& Int(int32_t value);
  TPackageWriter& Raw(const TBlob& bytes);
  // Name length, name, unpacked size and the zlib stream of content.
  TPackageWriter& Entry(const String& name, const TBlob& content, int level = 6);
  // The same with a stored size that need not match the content.
  TPackageWriter& EntryWithSize(const String& name, const TBlob& content, int32_t storedSize);
  const TBlob& Data() const { return FData; }

private:
  TBlob FData;
};

// One complete zlib stream (RFC 1950) of content.
TBlob Zlib(const TBlob& content, int level = 6);
// Magic, count and one entry per file, in order.
TBlob MakePackage(const std::vector<std::pair<String, TBlob>>& files);

// 24-bit BMP, bottom-up; core = the 12-byte OS/2 1.x header, else 40 bytes.
TBlob MakeBmp24(int width, int height, const TPixelFn& pixel, bool core = true);
// 8-bit RGBA PNG (colour type 6) or RGB (type 2) without ancillary chunks.
TBlob MakePngRgba(int width, int height, const TPixelFn& pixel);
TBlob MakePngRgb(int width, int height, const TPixelFn& pixel);
// A 1-bit grey PNG, all black: a large picture in few bytes.
TBlob MakePngBlack1(int width, int height);
// A "JPEG" for the fake decoder the tests install: "FAKEJPEG w h rrggbb".
TBlob MakeFakeJpeg(int width, int height, TColor color);
// Installs the fake JPEG decoder for the life of the object.
class TFakeJpegScope {
public:
  TFakeJpegScope();
  ~TFakeJpegScope();

private:
  struct TImpl;
  TImpl* FImpl;
};

TPixelFn SolidFn(uint32_t pixel);

// A skin shaped like the program's built-in one: the global values and the
// sections the program's windows use, with pictures of the same sizes.
String BuiltInLikeOptions();
std::vector<std::pair<String, TBlob>> BuiltInLikeFiles();  // "Options.dat" first
TBlob BuiltInLikePackage();

// A fresh directory under the working folder, named after the running test,
// removed by the destructor.
class TTempDir {
public:
  explicit TTempDir(const String& name);
  ~TTempDir();
  const String& Path() const { return FPath; }  // with a final "/"
  void Write(const String& fileName, const TBlob& content) const;
  TBlob Read(const String& fileName) const;

private:
  String FPath;
};

TBlob ReadWholeFile(const String& path);
