// Image records of a skin (masks, glyphs, textures, glows, patterns) and the
// parsers of the image references written in the options file.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/SysUtils.h"
#include "framework/core/Types.h"
#include "skin/sSkinData.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class TacSkinModel;

enum TacImgType : int16_t { itisaBorder = 0, itisaTexture = 1, itisaGlyph = 2, itisaGlow = 3, itisaPngGlyph = 4 };

// One image record. Without Bmp the rectangle R lies in the master bitmap.
// R is kept as the skin writes it: it may reach past its picture, be inverted,
// or refer to a master bitmap that is missing (an empty picture), so whatever
// reads pixels for a record clips R to the picture itself. Coordinates stay
// within +-MaxMaskCoord.
constexpr int MaxMaskCoord = 1 << 24;

struct TsMaskData {
  std::unique_ptr<TBitmap32> Bmp;
  String ClassName;
  String PropertyName;
  TRect R;
  int16_t ImageCount = 0;  // frames side by side
  int16_t MaskType = 0;    // rows below the first
  int16_t BorderWidth = 0;
  int16_t DrawMode = 0;
  TacImgType ImgType = itisaBorder;
  TacSkinModel* Manager = nullptr;
  int16_t WL = 0, WT = 0, WR = 0, WB = 0;
  int16_t CornerType = 0;  // 0 full corners, 1 transparent corner pixels, 2 fixed for BUTTON_HUGE
};
using TsMaskArray = std::vector<TsMaskData>;

// A large JPEG texture kept as a picture of its own.
struct TsPatternData {
  std::unique_ptr<TBitmap32> Img;
  String ClassName;
  String PropertyName;
};
using TsPatternArray = std::vector<TsPatternData>;

// Frame geometry: width of R / ImageCount and height of R / (MaskType + 1),
// integer division, 0 when the divisor is not positive.
int MaskFrameWidth(const TsMaskData& md);
int MaskFrameHeight(const TsMaskData& md);

// 0, 1 or 2 as described for CornerType; picture is the record's own bitmap
// or the master bitmap. Scanned areas are clipped to the picture.
int16_t DetectCornerType(const TsMaskData& md, const TBitmap32& picture);

// ---- reference syntax

enum class TacRefForm {
  rfNone,      // not an image reference (numbers, gradients, "N/A", "#" alone)
  rfFile,      // "!NAME.PNG!frames!rows!type!wl!wt!wr!wb!mode"
  rfGlyph,     // "@llll@tttt@rrrr@bbbb@f@m"
  rfBorder,    // "^llll^tttt^rrrr^bbbb^wl..^wb..^f^m^d^w"
  rfTexture,   // "~llll~tttt~rrrr~bbbb~dd~m"
  rfSharp,     // "NAME (l,t,r,b) (frames,rows[,width[,mode]])"
  rfBmpName,   // a plain name containing ".BMP"
};

// The form of a value as the mask pass sees it (JPEG names are rfNone here).
TacRefForm ReferenceForm(std::string_view value);
// True when the upper-cased value names a JPEG file (".JPG" or ".JPEG").
bool IsJpegReference(std::string_view value);

// Words of an "!" reference. Numbers that are missing or malformed read as 0.
struct TacFileRef {
  String FileName;
  bool IsBmp = false;   // name contains ".BMP"; otherwise read as PNG
  int WordCount = 0;    // words found, file name included
  int ImageCount = 0;
  int MaskType = 0;
  TacImgType ImgType = itisaBorder;
  int WL = 0, WT = 0, WR = 0, WB = 0;
  int DrawMode = 1;
};
// False when the file name contains neither ".BMP" nor ".PNG".
bool ParseFileReference(const String& value, TacFileRef& ref);

// Fixed-column forms fill R, the counts, widths and modes of md. A column
// that is not a decimal number at its exact place raises EConvertError.
void ParseGlyphReference(const String& value, TsMaskData& md);
void ParseBorderReference(const String& value, TsMaskData& md);
void ParseTextureReference(const String& value, TsMaskData& md);

// "#" form: R, ImageCount (< 1 becomes 1), MaskType (< 0 becomes 0),
// BorderWidth (absent 0, < 0 becomes 0) and DrawMode (absent 1). A width or
// mode that is present but not an integer raises EConvertError. Widths stay 0.
void ParseSharpReference(const String& value, TsMaskData& md);

// Sets WL..WB from the frame: width / (ImageCount * 3), height / ((MaskType + 1) * 3).
// ESkinError when a divisor is not positive (the reference cannot be sized).
void DeriveThirdWidths(TsMaskData& md, int width, int height);

// ---- pixel preparation

// A picture that is not 32-bit becomes 32-bit: alpha 255, fuchsia alpha 0.
void MakeSkinBitmap32(TBitmap32& bmp);
// PNG pixels after decoding: 0x00FFFFFF becomes 0; for versions above 7.45
// every other 32-bit pixel is premultiplied (channel * alpha / 256). Then
// MakeSkinBitmap32.
void PrepareSkinPng(TBitmap32& bmp, double version);
// Pixels equal to 0x00FFFFFF become 0.
void ClearWhiteTransparent(TBitmap32& bmp);
