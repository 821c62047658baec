// The pictures of the built-in skin "AlterMetro": a light, flat look with
// one-pixel borders, soft hot states and a clear pressed state.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/SysUtils.h"

#include <vector>

#include "tools/SkinPackage.h"

// One picture of the master bitmap: what it is for, where it lies, and how
// it is cut (frames side by side, Rows 2 when a grey mask lies below).
struct TSkinArtItem {
  String Purpose;
  TRect R;
  int ImageCount = 1;
  int Rows = 1;
  // A picture that lies inside another on purpose (the title border is the
  // top of the frame border) names that picture here.
  String PartOf;
};

inline constexpr int MasterWidth = 400;
inline constexpr int MasterHeight = 152;

const std::vector<TSkinArtItem>& AlterMetroMasterLayout();

TBitmap32 DrawAlterMetroMaster();    // 400 x 152, alpha 0 where transparent
TBitmap32 DrawAlterMetroBtnHuge();   // 192 x 128, colour row over mask row
TBitmap32 DrawAlterMetroExtBord();   // 100 x 80, straight alpha
TBitmap32 DrawAlterMetroGlowEdit();  // 22 x 22, straight alpha
TBitmap32 DrawAlterMetroGlowH();     // 108 x 108, straight alpha

// The six package entries in their stored order, from the options text.
TSkinFileEntries BuildAlterMetroEntries(const TBytes& options);
