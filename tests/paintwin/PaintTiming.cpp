// Our blend, stretch and gradient against the platform's AlphaBlend,
// StretchBlt and GradientFill on the same 32-bit DIB sections, at three
// sizes. Prints the median of each and the ratio ours / platform's (below 1:
// ours is faster). Never fails on the figures.
#include "paint/sGradient.h"
#include "paint/sGraphUtils.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include <windows.h>

namespace {

struct TDib {
  TDib(int w, int h) : W(w), H(h) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    Bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    DC = CreateCompatibleDC(nullptr);
    Old = SelectObject(DC, Bmp);
    Bits = static_cast<uint32_t*>(bits);
    for (int i = 0; i < w * h; ++i) Bits[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
  }
  ~TDib() {
    SelectObject(DC, Old);
    DeleteDC(DC);
    DeleteObject(Bmp);
  }
  TPixelView View() const { return TPixelView(Bits, W, H, W); }
  int W, H;
  HBITMAP Bmp;
  HDC DC;
  HGDIOBJ Old;
  uint32_t* Bits;
};

using TAlphaBlendFunc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using TGradientFillFunc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// Median microseconds of runs calls, after a warm-up call.
double Median(const std::function<void()>& f, int runs) {
  f();
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    const auto a = std::chrono::steady_clock::now();
    f();
    GdiFlush();
    t.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - a).count());
  }
  std::nth_element(t.begin(), t.begin() + runs / 2, t.end());
  return t[size_t(runs / 2)];
}

void Report(const char* name, int w, int h, double ours, double theirs) {
  std::printf("%-10s %4dx%-4d ours %10.1f us  platform %10.1f us  ratio %.2f\n", name, w, h, ours, theirs,
              theirs > 0 ? ours / theirs : 0.0);
}

}  // namespace

int main() {
  HMODULE lib = LoadLibraryW(L"msimg32.dll");
  auto alphaBlend = lib ? reinterpret_cast<TAlphaBlendFunc>(reinterpret_cast<void*>(GetProcAddress(lib, "AlphaBlend"))) : nullptr;
  auto gradientFill = lib ? reinterpret_cast<TGradientFillFunc>(reinterpret_cast<void*>(GetProcAddress(lib, "GradientFill"))) : nullptr;
  if (!alphaBlend || !gradientFill) {
    std::printf("msimg32 functions missing\n");
    return 0;
  }
  const int sizes[3][2] = {{129, 26}, {256, 256}, {1920, 1080}};
  for (auto [w, h] : sizes) {
    const int runs = w * h > 1000000 ? 21 : 201;
    TDib dst(w, h), src(w, h), half(w / 2 + 1, h / 2 + 1);
    const TRect all = Rect(0, 0, w, h);
    // Constant-alpha blend of a whole bitmap (alpha 128 of the destination stays).
    const double ourBlend = Median([&] { BlendBitmapRect(dst.View(), src.View(), 128, Point(0, 0), all); }, runs);
    const BLENDFUNCTION bf{AC_SRC_OVER, 0, 128, 0};
    const double theirBlend = Median([&] { alphaBlend(dst.DC, 0, 0, w, h, src.DC, 0, 0, w, h, bf); }, runs);
    Report("blend", w, h, ourBlend, theirBlend);
    // Nearest-pixel stretch of a half-size picture over the whole bitmap.
    const TRect halfAll = Rect(0, 0, half.W, half.H);
    const double ourStretch = Median([&] { StretchCopy(dst.View(), all, half.View(), halfAll); }, runs);
    SetStretchBltMode(dst.DC, COLORONCOLOR);
    const double theirStretch =
        Median([&] { StretchBlt(dst.DC, 0, 0, w, h, half.DC, 0, 0, half.W, half.H, SRCCOPY); }, runs);
    Report("stretch", w, h, ourStretch, theirStretch);
    // A vertical two-colour gradient over the whole bitmap.
    const TsGradArray pieces = {{0xFFFFFF, 0x203040, 100, 0, 0}};
    const double ourGradient = Median([&] { PaintGradient(dst.View(), all, pieces); }, runs);
    TRIVERTEX v[2] = {{0, 0, 0xFF00, 0xFF00, 0xFF00, 0xFF00}, {w, h, 0x4000, 0x3000, 0x2000, 0xFF00}};
    GRADIENT_RECT gr{0, 1};
    const double theirGradient = Median([&] { gradientFill(dst.DC, v, 2, &gr, 1, GRADIENT_FILL_RECT_V); }, runs);
    Report("gradient", w, h, ourGradient, theirGradient);
  }
  return 0;
}
