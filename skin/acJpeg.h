// JPEG pictures of skins. The engine has no JPEG decoder of its own: the
// program installs one (on Windows the platform's picture loader, see
// CreateTinyJpgDecoder), tests install a fake.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/SysUtils.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

// Every failure to read a JPEG; Message() is meant for the user.
QN_DECLARE_EXCEPTION(EJpegError, Exception);

class TacJpegDecoder {
public:
  virtual ~TacJpegDecoder() = default;
  // Decodes a whole JPEG file into opaque 32-bit pixels (PixelFormat
  // pf24bit); throws EJpegError (or another Exception) when it cannot.
  virtual void Decode(const uint8_t* data, size_t size, TBitmap32& bitmap) = 0;
};

using TacJpegDecoderFactory = std::function<std::unique_ptr<TacJpegDecoder>()>;

// The process-wide factory, empty until someone installs one.
inline TacJpegDecoderFactory& JpegDecoderFactory() {
  static TacJpegDecoderFactory factory;
  return factory;
}

// Returns the previous factory, so that tests can put it back.
inline TacJpegDecoderFactory SetJpegDecoderFactory(TacJpegDecoderFactory factory) {
  return std::exchange(JpegDecoderFactory(), std::move(factory));
}

inline std::unique_ptr<TacJpegDecoder> CreateJpegDecoder() {
  std::unique_ptr<TacJpegDecoder> decoder;
  if (JpegDecoderFactory()) decoder = JpegDecoderFactory()();
  if (!decoder) throw EJpegError("Cannot load JPEG image. No JPEG decoder is available.");
  return decoder;
}

// Decodes with a decoder from the factory; `bitmap` changes only on success.
inline void LoadJpeg(const uint8_t* data, size_t size, TBitmap32& bitmap) {
  TBitmap32 result;
  CreateJpegDecoder()->Decode(data, size, result);
  if (result.Empty()) throw EJpegError("Cannot load JPEG image. The picture is empty.");
  result.PixelFormat = TPixelFormat::pf24bit;
  bitmap = std::move(result);
}

#ifdef _WIN32
class TStream;

// The picture class over the platform's OLE picture loader (acTinyJPG.cpp).
class TacTinyJPGImage {
public:
  TacTinyJPGImage();
  ~TacTinyJPGImage();
  TacTinyJPGImage(const TacTinyJPGImage&) = delete;
  TacTinyJPGImage& operator=(const TacTinyJPGImage&) = delete;

  // Seeks the stream to 0 and hands the whole of it to the picture loader.
  void LoadFromStream(TStream& stream);
  void LoadFromBytes(const uint8_t* data, size_t size);
  // Opens the file for reading with sharing allowed.
  void LoadFromFile(const String& fileName);

  bool Empty() const;
  int Width() const;
  int Height() const;
  // Draws the picture into a new bitmap of its size (opaque, pf24bit).
  void DrawTo(TBitmap32& bitmap) const;

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// A decoder for JpegDecoderFactory() built on TacTinyJPGImage:
//   SetJpegDecoderFactory(CreateTinyJpgDecoder);
std::unique_ptr<TacJpegDecoder> CreateTinyJpgDecoder();
#endif
