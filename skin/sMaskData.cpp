#include "skin/sMaskData.h"

#include "skin/acSkinOptions.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

int MaskFrameWidth(const TsMaskData& md) { return md.ImageCount > 0 ? md.R.Width() / md.ImageCount : 0; }

int MaskFrameHeight(const TsMaskData& md) { return md.MaskType + 1 > 0 ? md.R.Height() / (md.MaskType + 1) : 0; }

int16_t DetectCornerType(const TsMaskData& md, const TBitmap32& picture) {
  if (md.ClassName == "BUTTON_HUGE" && md.PropertyName == "BORDERSMASK") return 2;
  if (md.R.Height() <= 0) return 0;
  const int fw = MaskFrameWidth(md), fh = MaskFrameHeight(md);
  // Exclusive ends, clipped to the picture so that its last row and column count too.
  auto hit = [&](int x0, int x1, int y0, int y1) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, picture.Width());
    y1 = std::min(y1, picture.Height());
    for (int y = y0; y < y1; ++y) {
      const uint32_t* row = picture.ScanLine(y);
      for (int x = x0; x < x1; ++x)
        if (row[x] == 0x00FF00FF) return true;
    }
    return false;
  };
  const TRect& r = md.R;
  const int rightX = r.Left + fw - md.WR, bottomY = r.Top + fh - md.WB;
  if (hit(r.Left, r.Left + md.WL, r.Top, r.Top + md.WT) || hit(rightX, rightX + md.WR, r.Top, r.Top + md.WT) ||
      hit(r.Left, r.Left + md.WL, bottomY, bottomY + md.WB) || hit(rightX, rightX + md.WR, bottomY, bottomY + md.WB))
    return 1;
  return 0;
}

// ---- reference syntax

namespace {

// Whether text holds word (a "." and upper-case letters) in any case, without
// an upper-cased copy.
bool ContainsNoCase(std::string_view text, std::string_view word) {
  for (size_t i = text.find(word[0]); i != std::string_view::npos && text.size() - i >= word.size();
       i = text.find(word[0], i + 1)) {
    size_t k = 1;
    while (k < word.size() && (text[i + k] >= 'a' && text[i + k] <= 'z' ? char(text[i + k] - 32) : text[i + k]) == word[k])
      ++k;
    if (k == word.size()) return true;
  }
  return false;
}

}  // namespace

bool IsJpegReference(std::string_view value) { return ContainsNoCase(value, ".JPG") || ContainsNoCase(value, ".JPEG"); }

TacRefForm ReferenceForm(std::string_view value) {
  if (value.empty()) return TacRefForm::rfNone;
  switch (value[0]) {
    case '!': return TacRefForm::rfFile;
    case '@': return TacRefForm::rfGlyph;
    case '^': return TacRefForm::rfBorder;
    case '~': return TacRefForm::rfTexture;
    default: break;
  }
  if (value.find('#') == std::string_view::npos)
    return ContainsNoCase(value, ".BMP") ? TacRefForm::rfBmpName : TacRefForm::rfNone;
  return value == "#" ? TacRefForm::rfNone : TacRefForm::rfSharp;
}

namespace {

int16_t ToInt16(int v) { return int16_t(std::clamp(v, -32768, 32767)); }

int LenientInt(const String& word) {
  int v;
  return TryReadSkinInt(word, v) ? v : 0;
}

std::vector<String> SplitWords(const String& text, const char* delimiters) {
  std::vector<String> words;
  size_t i = 0;
  while (i < text.size()) {
    i = text.find_first_not_of(delimiters, i);
    if (i == String::npos) break;
    size_t e = text.find_first_of(delimiters, i);
    if (e == String::npos) e = text.size();
    words.push_back(text.substr(i, e - i));
    i = e;
  }
  return words;
}

// A number at 1-based position pos, len characters, decimal digits only.
int FixedColumn(const String& value, size_t pos, size_t len) {
  const std::string_view text = pos - 1 < value.size() ? std::string_view(value).substr(pos - 1, len) : std::string_view();
  bool ok = text.size() == len;
  int v = 0;
  for (char c : text) {
    ok = ok && c >= '0' && c <= '9';
    v = v * 10 + (c - '0');  // at most four digits
  }
  if (!ok) throw EConvertError("'" + String(text) + "' is not a valid integer value");
  return v;
}

}  // namespace

bool ParseFileReference(const String& value, TacFileRef& ref) {
  ref = TacFileRef{};
  const std::vector<String> words = SplitWords(value, "!");
  if (words.empty()) return false;
  ref.FileName = words[0];
  ref.WordCount = int(words.size());
  const bool bmp = ref.FileName.find(".BMP") != String::npos;
  if (!bmp && ref.FileName.find(".PNG") == String::npos) return false;
  ref.IsBmp = bmp;
  auto word = [&](size_t i) { return i < words.size() ? LenientInt(words[i]) : 0; };
  ref.ImageCount = word(1);
  ref.MaskType = word(2);
  ref.ImgType = TacImgType(std::clamp(word(3), 0, 4));
  ref.WL = word(4);
  ref.WT = word(5);
  ref.WR = word(6);
  ref.WB = word(7);
  ref.DrawMode = words.size() < 9 ? 1 : word(8);
  return true;
}

void ParseGlyphReference(const String& value, TsMaskData& md) {
  md.R = Rect(FixedColumn(value, 2, 4), FixedColumn(value, 7, 4), FixedColumn(value, 12, 4), FixedColumn(value, 17, 4));
  md.ImageCount = int16_t(FixedColumn(value, 22, 1));
  md.MaskType = int16_t(FixedColumn(value, 24, 1));
  md.ImgType = itisaGlyph;
}

void ParseBorderReference(const String& value, TsMaskData& md) {
  md.R = Rect(FixedColumn(value, 2, 4), FixedColumn(value, 7, 4), FixedColumn(value, 12, 4), FixedColumn(value, 17, 4));
  md.WL = int16_t(FixedColumn(value, 22, 4));
  md.WT = int16_t(FixedColumn(value, 27, 4));
  md.WR = int16_t(FixedColumn(value, 32, 4));
  md.WB = int16_t(FixedColumn(value, 37, 4));
  md.ImageCount = int16_t(FixedColumn(value, 42, 1));
  md.MaskType = int16_t(FixedColumn(value, 44, 1));
  md.DrawMode = int16_t(FixedColumn(value, 46, 1));
  md.BorderWidth = int16_t(FixedColumn(value, 48, 1));
  md.ImgType = itisaBorder;
}

void ParseTextureReference(const String& value, TsMaskData& md) {
  md.R = Rect(FixedColumn(value, 2, 4), FixedColumn(value, 7, 4), FixedColumn(value, 12, 4), FixedColumn(value, 17, 4));
  md.DrawMode = int16_t(FixedColumn(value, 22, 2));
  md.MaskType = int16_t(value.size() < 25 ? 0 : FixedColumn(value, 25, 1));
  md.ImageCount = 1;
  md.ImgType = itisaTexture;
}

void ParseSharpReference(const String& value, TsMaskData& md) {
  // Blanks next to commas belong to the number lists, not between words.
  String text;
  text.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == ' ') {
      const size_t prev = text.find_last_not_of(' ');
      const size_t next = value.find_first_not_of(' ', i);
      if ((prev != String::npos && text[prev] == ',') || (next != String::npos && value[next] == ',')) continue;
    }
    text += value[i];
  }
  const std::vector<String> words = SplitWords(text, " ()");
  const std::vector<String> rect = words.size() > 1 ? SplitWords(words[1], ", ") : std::vector<String>();
  const std::vector<String> params = words.size() > 2 ? SplitWords(words[2], ", ") : std::vector<String>();
  auto num = [](const std::vector<String>& list, size_t i) { return i < list.size() ? LenientInt(list[i]) : 0; };
  // A rectangle past its picture is kept; coordinates far beyond any picture
  // are pulled in so that widths and offsets computed from them cannot overflow.
  auto coord = [&](size_t i) { return std::clamp(num(rect, i), -MaxMaskCoord, MaxMaskCoord); };
  md.R = Rect(coord(0), coord(1), coord(2), coord(3));
  md.ImageCount = std::max<int16_t>(ToInt16(num(params, 0)), 1);
  md.MaskType = std::max<int16_t>(ToInt16(num(params, 1)), 0);
  md.BorderWidth = params.size() > 2 ? std::max<int16_t>(ToInt16(StrToInt(params[2])), 0) : 0;
  md.DrawMode = params.size() > 3 ? ToInt16(StrToInt(params[3])) : 1;
  md.ImgType = itisaBorder;
}

void DeriveThirdWidths(TsMaskData& md, int width, int height) {
  const int dx = md.ImageCount * 3, dy = (md.MaskType + 1) * 3;
  if (dx <= 0 || dy <= 0)
    throw ESkinError("Image \"" + md.PropertyName + "\" of section \"" + md.ClassName +
                     "\" cannot be sized: it has no frames and no border widths.");
  md.WL = md.WR = int16_t(width / dx);
  md.WT = md.WB = int16_t(height / dy);
}

// ---- pixel preparation

void MakeSkinBitmap32(TBitmap32& bmp) {
  if (bmp.PixelFormat == TPixelFormat::pf32bit) return;
  uint32_t* p = bmp.Bits();
  const size_t n = bmp.PixelCount();
  size_t i = 0;
#if defined(__SSE2__)
  // Four pixels at a time: rgb | (rgb == key ? 0 : 0xFF000000).
  const __m128i rgbMask = _mm_set1_epi32(0x00FFFFFF), key = _mm_set1_epi32(0x00FF00FF);
  const __m128i opaque = _mm_set1_epi32(int32_t(0xFF000000u));
  for (; i + 4 <= n; i += 4) {
    const __m128i rgb = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), rgbMask);
    const __m128i alpha = _mm_andnot_si128(_mm_cmpeq_epi32(rgb, key), opaque);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), _mm_or_si128(rgb, alpha));
  }
#endif
  for (; i < n; ++i) {
    const uint32_t rgb = p[i] & 0x00FFFFFF;
    p[i] = rgb == 0x00FF00FF ? rgb : 0xFF000000 | rgb;
  }
  bmp.PixelFormat = TPixelFormat::pf32bit;
}

void ClearWhiteTransparent(TBitmap32& bmp) {
  uint32_t* p = bmp.Bits();
  for (size_t i = 0, n = bmp.PixelCount(); i < n; ++i)
    if (p[i] == 0x00FFFFFF) p[i] = 0;
}

void PrepareSkinPng(TBitmap32& bmp, double version) {
  if (bmp.PixelFormat == TPixelFormat::pf32bit) {
    const bool premultiply = version > 7.45;
    uint32_t* p = bmp.Bits();
    const size_t n = bmp.PixelCount();
    size_t i = 0;
#if defined(__SSE2__)
    // Four pixels at a time, the same arithmetic in 16-bit lanes; transparent
    // white (0x00FFFFFF) becomes 0 either way.
    const __m128i zero = _mm_setzero_si128(), white = _mm_set1_epi32(0x00FFFFFF);
    const __m128i alphaMask = _mm_set1_epi32(int32_t(0xFF000000u));
    for (; i + 4 <= n; i += 4) {
      const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      __m128i out = px;
      if (premultiply) {
        auto half = [&](__m128i c) {  // two pixels: channel * alpha >> 8
          const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(c, 0xFF), 0xFF);
          return _mm_srli_epi16(_mm_mullo_epi16(c, a), 8);
        };
        const __m128i mul = _mm_packus_epi16(half(_mm_unpacklo_epi8(px, zero)), half(_mm_unpackhi_epi8(px, zero)));
        out = _mm_or_si128(_mm_andnot_si128(alphaMask, mul), _mm_and_si128(alphaMask, px));
      }
      out = _mm_andnot_si128(_mm_cmpeq_epi32(px, white), out);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), out);
    }
#endif
    for (; i < n; ++i) {
      const uint32_t px = p[i];
      if (px == 0x00FFFFFF) {
        p[i] = 0;
      } else if (premultiply) {
        // channel * alpha / 256, truncated: an opaque 255 becomes 254.
        const uint32_t a = px >> 24;
        const uint32_t r = ((px >> 16) & 0xFF) * a >> 8, g = ((px >> 8) & 0xFF) * a >> 8, b = (px & 0xFF) * a >> 8;
        p[i] = (a << 24) | (r << 16) | (g << 8) | b;
      }
    }
  }
  MakeSkinBitmap32(bmp);
}
