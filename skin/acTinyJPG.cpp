// JPEG through the platform's OLE picture loader.
#include "skin/acJpeg.h"

#include "framework/core/Classes.h"

#include <windows.h>
#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstring>
#include <vector>

namespace {

[[noreturn]] void Fail(const String& what) { throw EJpegError("Cannot load JPEG image. " + what); }

// A memory IStream holding a copy of the bytes; released on scope exit.
IStream* StreamOnBytes(const uint8_t* data, size_t size) {
  if (size == 0 || size > 0x7FFFFFFF) Fail("The file is empty or too large.");
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!mem) Fail("Out of memory.");
  void* p = GlobalLock(mem);
  std::memcpy(p, data, size);
  GlobalUnlock(mem);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(mem, TRUE, &stream))) {
    GlobalFree(mem);
    Fail("Out of memory.");
  }
  return stream;
}

}  // namespace

struct TacTinyJPGImage::TImpl {
  IPicture* Picture = nullptr;
  int Width = 0;
  int Height = 0;
  ~TImpl() {
    if (Picture) Picture->Release();
  }
};

TacTinyJPGImage::TacTinyJPGImage() : FImpl(std::make_unique<TImpl>()) {}
TacTinyJPGImage::~TacTinyJPGImage() = default;

bool TacTinyJPGImage::Empty() const { return FImpl->Picture == nullptr; }
int TacTinyJPGImage::Width() const { return FImpl->Width; }
int TacTinyJPGImage::Height() const { return FImpl->Height; }

void TacTinyJPGImage::LoadFromBytes(const uint8_t* data, size_t size) {
  IStream* stream = StreamOnBytes(data, size);
  IPicture* picture = nullptr;
  HRESULT hr = OleLoadPicture(stream, LONG(size), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
  stream->Release();
  if (FAILED(hr) || !picture) Fail(Format("The picture loader refused it (0x%08lX).", (unsigned long)hr));

  auto image = std::make_unique<TImpl>();
  image->Picture = picture;
  SHORT type = PICTYPE_UNINITIALIZED;
  OLE_HANDLE handle = 0;
  BITMAP info{};
  if (FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP || FAILED(picture->get_Handle(&handle)) ||
      GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof info, &info) == 0)
    Fail("The picture is not a bitmap.");
  if (info.bmWidth <= 0 || info.bmHeight <= 0) Fail("The picture is empty.");
  if (info.bmWidth > TBitmap32::MaxDimension || info.bmHeight > TBitmap32::MaxDimension)
    Fail(Format("The image is too large (%ld x %ld pixels).", info.bmWidth, info.bmHeight));
  image->Width = info.bmWidth;
  image->Height = info.bmHeight;
  FImpl = std::move(image);
}

void TacTinyJPGImage::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  int64_t size = stream.Size();
  if (size <= 0 || size > 0x7FFFFFFF) Fail("The file is empty or too large.");
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  stream.ReadBuffer(bytes.data(), size);
  LoadFromBytes(bytes.data(), bytes.size());
}

void TacTinyJPGImage::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
  LoadFromStream(stream);
}

void TacTinyJPGImage::DrawTo(TBitmap32& bitmap) const {
  if (Empty()) Fail("No picture is loaded.");
  OLE_HANDLE handle = 0;
  FImpl->Picture->get_Handle(&handle);
  HBITMAP source = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
  TBitmap32 result(FImpl->Width, FImpl->Height);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = FImpl->Width;
  bi.bmiHeader.biHeight = -FImpl->Height;  // top-down, as TBitmap32 stores rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(nullptr);
  int rows = GetDIBits(dc, source, 0, UINT(FImpl->Height), result.Bits(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (rows != FImpl->Height) Fail("The picture cannot be drawn.");
  uint32_t* p = result.Bits();
  for (size_t i = 0, n = result.PixelCount(); i < n; ++i) p[i] |= 0xFF000000u;
  result.PixelFormat = TPixelFormat::pf24bit;
  bitmap = std::move(result);
}

namespace {

// COM for the duration of one decode; balanced also when the thread had it
// already (S_FALSE), left alone when it runs another threading model.
class TComScope {
public:
  TComScope() : FResult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~TComScope() {
    if (SUCCEEDED(FResult)) CoUninitialize();
  }

private:
  HRESULT FResult;
};

class TTinyJpgDecoder : public TacJpegDecoder {
public:
  void Decode(const uint8_t* data, size_t size, TBitmap32& bitmap) override {
    TComScope com;
    TacTinyJPGImage image;
    image.LoadFromBytes(data, size);
    image.DrawTo(bitmap);
  }
};

}  // namespace

std::unique_ptr<TacJpegDecoder> CreateTinyJpgDecoder() { return std::make_unique<TTinyJpgDecoder>(); }
