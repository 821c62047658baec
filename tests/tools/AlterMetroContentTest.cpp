// The built-in skin's package as authored: entries, options text, the
// pictures behind every reference, and the committed file.
#include <gtest/gtest.h>

#include <algorithm>

#include "skin/acBmp.h"
#include "skin/acPNG.h"
#include "skin/acSkinOptions.h"
#include "skin/sMaskData.h"
#include "tools/AlterMetroArt.h"
#include "tools/SkinPackage.h"

namespace {

const String SourceDir = String(QN_SOURCE_DIR) + "/skins/";

const TBytes& OptionsBytes() {
  static const TBytes bytes = ReadFileBytes(SourceDir + "AlterMetro/Options.dat");
  return bytes;
}

const TSkinFileEntries& Entries() {
  static const TSkinFileEntries entries = BuildAlterMetroEntries(OptionsBytes());
  return entries;
}

const TBytes& Entry(const char* name) {
  for (const TSkinFileEntry& e : Entries())
    if (e.Name == name) return e.Data;
  throw EListError(name);
}

const TacSkinOptions& Options() {
  static const TacSkinOptions options = [] {
    TacSkinOptions o;
    o.SetText(std::string_view(reinterpret_cast<const char*>(OptionsBytes().data()), OptionsBytes().size()));
    return o;
  }();
  return options;
}

const TBitmap32& Master() {
  static const TBitmap32 master = [] {
    TBitmap32 bmp;
    LoadBmp(Entry("Master copy.bmp").data(), Entry("Master copy.bmp").size(), bmp);
    return bmp;
  }();
  return master;
}

bool IsKey(uint32_t pixel) { return (pixel & 0xFFFFFF) == 0xFF00FF; }

std::vector<String> Lines() {
  std::vector<String> lines;
  String text(OptionsBytes().begin(), OptionsBytes().end());
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    if (end == String::npos) break;
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// The lines of one section, without the header and the empty line after it.
std::vector<String> SectionLines(const String& name) {
  std::vector<String> all = Lines(), out;
  auto it = std::find(all.begin(), all.end(), "[" + name + "]");
  if (it == all.end()) return out;
  for (++it; it != all.end() && !it->empty(); ++it) out.push_back(*it);
  return out;
}

struct TRef {
  String Section, Key, Value;
  TsMaskData Mask;
};

// Every fixed-column reference of the options text, parsed by the skin code.
std::vector<TRef> MasterReferences() {
  std::vector<TRef> refs;
  for (const String& section : Options().SectionNames())
    for (const String& key : Options().KeyNames(section)) {
      TRef r{section, key, Options().ReadString(section, key, ""), {}};
      switch (ReferenceForm(r.Value)) {
        case TacRefForm::rfGlyph: ParseGlyphReference(r.Value, r.Mask); break;
        case TacRefForm::rfBorder: ParseBorderReference(r.Value, r.Mask); break;
        case TacRefForm::rfTexture: ParseTextureReference(r.Value, r.Mask); break;
        default: continue;
      }
      refs.push_back(std::move(r));
    }
  return refs;
}

const TSkinArtItem* ItemAt(const TRect& r) {
  for (const TSkinArtItem& item : AlterMetroMasterLayout())
    if (item.R == r) return &item;
  return nullptr;
}

bool Overlap(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

uint32_t ReadLE32(const TBytes& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint32_t ReadBE32(const TBytes& b, size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | uint32_t(b[at + 3]);
}

}  // namespace

// ---- the committed package

TEST(AlterMetroPackage, RebuildMatchesTheCommittedFileByteForByte) {
  TBytes committed = ReadFileBytes(SourceDir + "AlterMetro.asz");
  TBytes rebuilt = PackSkinEntries(BuildAlterMetroEntries(OptionsBytes()));
  ASSERT_EQ(rebuilt.size(), committed.size());
  EXPECT_TRUE(rebuilt == committed);
}

TEST(AlterMetroPackage, SixEntriesInTheStoredOrder) {
  TSkinFileEntries read = UnpackSkinEntries(ReadFileBytes(SourceDir + "AlterMetro.asz"));
  std::vector<String> names;
  for (const TSkinFileEntry& e : read) names.push_back(e.Name);
  EXPECT_EQ(names, (std::vector<String>{"Options.dat", "BtnHuge.bmp", "Master copy.bmp", "ExtBord.png",
                                        "GlowEdit.png", "GlowH.png"}));
  EXPECT_EQ(read[0].Data, OptionsBytes());
}

TEST(AlterMetroPackage, BitmapsHaveTheCoreHeaderAt24Bits) {
  struct {
    const char* Name;
    int Width, Height;
  } expected[] = {{"BtnHuge.bmp", 192, 128}, {"Master copy.bmp", 400, 152}};
  for (const auto& x : expected) {
    const TBytes& b = Entry(x.Name);
    ASSERT_GE(b.size(), 26u) << x.Name;
    EXPECT_EQ(ReadLE32(b, 14), 12u) << x.Name;
    EXPECT_EQ(b[18] | b[19] << 8, x.Width) << x.Name;
    EXPECT_EQ(b[20] | b[21] << 8, x.Height) << x.Name;
    EXPECT_EQ(b[24] | b[25] << 8, 24) << x.Name;
    EXPECT_EQ(b.size(), 26u + size_t((x.Width * 3 + 3) & ~3) * x.Height) << x.Name;
  }
}

TEST(AlterMetroPackage, PngsAreEightBitRgbaOfTheirSizes) {
  struct {
    const char* Name;
    uint32_t Width, Height;
  } expected[] = {{"ExtBord.png", 100, 80}, {"GlowEdit.png", 22, 22}, {"GlowH.png", 108, 108}};
  for (const auto& x : expected) {
    const TBytes& b = Entry(x.Name);
    EXPECT_EQ(ReadBE32(b, 16), x.Width) << x.Name;
    EXPECT_EQ(ReadBE32(b, 20), x.Height) << x.Name;
    EXPECT_EQ(b[24], 8) << x.Name;
    EXPECT_EQ(b[25], 6) << x.Name;
  }
}

// ---- options text

TEST(AlterMetroOptions, PlainAsciiWithCrLfLineEnds) {
  const TBytes& b = OptionsBytes();
  for (size_t i = 0; i < b.size(); ++i) {
    ASSERT_LT(b[i], 0x80) << i;
    if (b[i] == '\r') { ASSERT_TRUE(i + 1 < b.size() && b[i + 1] == '\n') << i; }
    if (b[i] == '\n') { ASSERT_TRUE(i > 0 && b[i - 1] == '\r') << i; }
  }
  ASSERT_GE(b.size(), 4u);
  EXPECT_EQ(String(b.end() - 4, b.end()), "\r\n\r\n");
}

TEST(AlterMetroOptions, SixtySevenSectionsInOrderEachFollowedByOneEmptyLine) {
  const std::vector<String> expected = {
      "GLOBALINFO", "CHECKBOX", "DIVIDER", "DRAGBAR", "EDIT", "EXTRALINE", "GRIPH", "GROUPBOX", "HINT", "MAINMENU",
      "MENULINE", "PANEL", "PANEL_LOW", "SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V",
      "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT", "SCROLLBTNTOP", "SCROLLSLIDERH", "SCROLLSLIDERV",
      "STATUSBAR", "TABTOP", "TRACKBAR", "WEBBUTTON", "RADIOBUTTON", "TOOLBAR", "RIBBONPAGE", "TB_TAB", "BARPANEL",
      "UPDOWNBTN", "TB_MENUBTN", "COLHEADER", "GAUGE", "BAR", "RIBBONTAB", "FORMTITLE", "FORM", "DIALOG", "MENUBTN",
      "SELECTION", "MENUITEM", "PROGRESSH", "BUTTON", "BUTTON_HUGE", "BUTTON_BIG", "BARTITLE", "SPLITTER",
      "TOOLBUTTON", "SPEEDBUTTON", "SPEEDBUTTON_SMALL", "PAGECONTROL", "PAGECONTROLLEFT", "PAGECONTROLRIGHT",
      "PAGECONTROLBOTTOM", "TABBOTTOM", "TABLEFT", "TABRIGHT", "SEARCHEDIT", "SEARCHCOMBOBOX", "COMBOBOX", "PROGRESSV",
      "ICOLINE", "MENUCAPTION", "TB_BTN"};
  ASSERT_EQ(expected.size(), 67u);
  EXPECT_EQ(Options().SectionNames(), expected);

  std::vector<String> lines = Lines();
  int headers = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) {
      // An empty line ends a section: the next line starts one, or the file ends.
      EXPECT_TRUE(i + 1 == lines.size() || lines[i + 1].front() == '[') << i;
      EXPECT_FALSE(i > 0 && lines[i - 1].empty()) << i;
    } else if (lines[i].front() == '[') {
      ++headers;
      EXPECT_TRUE(i == 0 || lines[i - 1].empty()) << i;
    } else {
      EXPECT_NE(lines[i].find('='), String::npos) << lines[i];
    }
  }
  EXPECT_EQ(headers, 67);
  EXPECT_TRUE(lines.back().empty());
}

TEST(AlterMetroOptions, NoSectionNamesAParent) {
  for (const String& line : Lines()) EXPECT_NE(line.rfind("PARENTCLASS", 0), 0u) << line;
}

TEST(AlterMetroOptions, GlobalValuesExactlyAsFixedWithOurAuthor) {
  std::vector<String> lines = SectionLines("GLOBALINFO");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[2].rfind("AUTHOR=", 0), 0u);
  EXPECT_GT(lines[2].size(), 7u);
  lines.erase(lines.begin() + 2);
  const std::vector<String> expected = {
      "MASTERBITMAP=MASTER COPY.BMP", "VERSION=8.12", "COLOR=16512753", "HOTCOLOR=16777215", "FONTCOLOR=4013373",
      "BORDERCOLOR=13420215", "TCLEFT=0", "SHADOW1COLOR=12632256", "SHADOW1OFFSET=1", "SHADOW1BLUR=3",
      "BOXCHECKED=@0078@0017@0126@0033@3@0", "SMALLCHECKED=@0178@0073@0190@0085@1@0",
      "BOXUNCHECKED=@0029@0017@0077@0033@3@0", "SMALLUNCHECKED=@0165@0073@0177@0085@1@0",
      "BOXGRAYED=@0095@0000@0143@0016@3@0", "SMALLGRAYED=@0191@0073@0203@0085@1@0",
      "RADIOCHECKED=@0078@0000@0094@0016@1@0", "RADIOUNCHECKED=@0029@0000@0077@0016@3@0",
      "CHECK=@0069@0098@0084@0128@1@1", "BICONMIN=@0243@0068@0315@0090@3@0", "BICONCLOSE=@0125@0095@0221@0117@3@0",
      "BICONMAX=@0243@0114@0315@0136@3@0", "SICLOSEALONE=@0000@0015@0021@0022@3@0",
      "GRIPIMAGE=@0225@0100@0242@0117@1@0", "BISPACE=-1", "BIRIGHT=-1",
      "EXBORDER=!EXTBORD.PNG!2!0!3!0022!0052!0022!0022!1", "BORDERMODE=1", "BORDERWIDTH=6", "FORMOFFSET=15",
      "TITLEHEIGHT=32", "BITOP=0", "CENTEROFFSET=-2", "AEROBLUR=0", "TCBOTTOM=12877058", "TCTOP=150503",
      "BICONNORM=@0243@0091@0315@0113@3@0", "MAXHEIGHT=28", "GRIPVERT=@0142@0041@0146@0065@1@0",
      "GRIPHORZ=@0165@0086@0189@0090@1@0", "BILEFT=1", "BIVALIGN=1", "SICONCLOSE=@0272@0000@0326@0018@3@0",
      "SICONMIN=@0346@0018@0400@0036@3@0", "SICONNORM=@0326@0000@0380@0018@3@0",
      "SICONMAX=@0292@0018@0346@0036@3@0", "TITLEBUTTON=@0218@0000@0272@0018@3@0",
      "BICONHELP=@0116@0118@0170@0136@3@0", "BICLOSEALONE=@0125@0095@0221@0117@3@0",
      "SICONHELP=@0116@0118@0170@0136@3@0", "EDITBG_EVEN=16513265", "ALIGNOFFSET=1"};
  EXPECT_EQ(lines, expected);
}

TEST(AlterMetroOptions, SectionsOfTheProgramsOwnWindowsExactlyAsFixed) {
  const std::vector<String> form = {"STATES=2", "COLOR=16249576", "GRADIENTPERCENT=0", "GRADIENTDATA=N/A",
                                    "IMAGEPERCENT=0", "PATTERN=N/A", "HOTCOLOR=16249576",
                                    "BORDERSMASK=^0010^0006^0028^0015^0004^0004^0004^0004^2^0^1^1",
                                    "HOTGRADIENTDATA=N/A", "HOTIMAGEPERCENT=0", "HOTGRADIENTPERCENT=0"};
  const String glow = "GLOW0=!GLOWEDIT.PNG!1!0!3!0010!0010!0010!0010!1";
  EXPECT_EQ(SectionLines("FORM"), form);
  EXPECT_EQ(SectionLines("DIALOG"), form);
  EXPECT_EQ(SectionLines("FORMTITLE"),
            (std::vector<String>{"STATES=2", "COLOR=14341838", "FONTCOLOR=0", "HOTCOLOR=14992515", "HOTFONTCOLOR=0",
                                 "GRADIENTPERCENT=0", "GRADIENTDATA=N/A", "HOTGRADIENTPERCENT=0",
                                 "HOTGRADIENTDATA=N/A", "HGCOL=11837298", "HGSIZE=1", "GCOL=10855845", "GSIZE=1",
                                 "BORDERSMASK=^0010^0006^0028^0008^0001^0001^0001^0000^2^0^1^1", "IMAGEPERCENT=0"}));
  EXPECT_EQ(SectionLines("EDIT"),
            (std::vector<String>{"STATES=2", "COLOR=16777215",
                                 "BORDERSMASK=^0015^0000^0025^0005^0001^0001^0001^0001^2^0^1^1", "HOTCOLOR=16777215",
                                 "GLOWMARGIN=6", "GLOW=1", glow}));
  EXPECT_EQ(SectionLines("BUTTON"),
            (std::vector<String>{"STATES=4", "COLOR=16777215", "FONTCOLOR=4013373", "HOTCOLOR=16765037",
                                 "HOTFONTCOLOR=0", "BORDERSMASK=^0206^0066^0242^0094^0004^0005^0004^0003^4^0^5^1",
                                 "HGSIZE=2", "TRANSPARENCY=100", "HOTTRANSPARENCY=100", "GSIZE=0", "FADINGENABLED=1",
                                 "FADINGITERATIONS=10", "HGCOL=13936728", "GLOWMARGIN=5", "GLOW=1", glow}));
  EXPECT_EQ(SectionLines("SPEEDBUTTON"),
            (std::vector<String>{"STATES=3", "COLOR=16777215", "FONTCOLOR=4013373", "HOTCOLOR=16765037",
                                 "HOTFONTCOLOR=0", "BORDERSMASK=^0256^0019^0292^0063^0004^0005^0004^0003^3^1^5^1",
                                 "TRANSPARENCY=100", "HOTTRANSPARENCY=100", "FADINGENABLED=1",
                                 "FADINGITERATIONS=10", "GSIZE=0", "HGSIZE=2", "HGCOL=13936728", "GLOWMARGIN=5",
                                 "GLOW=1", glow}));
  EXPECT_EQ(SectionLines("CHECKBOX"),
            (std::vector<String>{"STATES=3", "FONTCOLOR=4013373", "HOTFONTCOLOR=0", "TRANSPARENCY=100",
                                 "HOTTRANSPARENCY=100", "FADINGENABLED=1", "FADINGITERATIONS=10", "HGSIZE=1",
                                 "HGCOL=13553358", "GSIZE=0"}));
  EXPECT_EQ(SectionLines("SELECTION"),
            (std::vector<String>{"STATES=2", "COLOR=16772552", "HOTCOLOR=16699758", "HOTGRADIENTPERCENT=100",
                                 "HOTGRADIENTDATA=16765560;16764265;97;0;0;16764265;16764265;0;0;0", "HGSIZE=2",
                                 "HGCOL=13936728"}));
  EXPECT_EQ(SectionLines("MENUITEM"),
            (std::vector<String>{"STATES=2", "COLOR=16772552", "HOTCOLOR=16699758", "HOTGRADIENTPERCENT=100",
                                 "HOTGRADIENTDATA=16767350;16369513;97;0;0;16369513;16369513;0;0;0",
                                 "TRANSPARENCY=100", "HGSIZE=2", "HGCOL=13936728"}));
  EXPECT_EQ(SectionLines("MAINMENU"),
            (std::vector<String>{"STATES=1", "COLOR=15329769", "FONTCOLOR=0",
                                 "BORDERSMASK=^0168^0001^0178^0027^0003^0003^0003^0003^1^0^1^1",
                                 "GRADIENTPERCENT=100",
                                 "GRADIENTDATA=16777215;16777215;24;2;0;16777215;16777215;24;2;0;16777215;15986663;24;"
                                 "2;0;15986663;16777215;24;2;0;16777215;16777215;0;2;0"}));
  EXPECT_EQ(SectionLines("ICOLINE"), (std::vector<String>{"STATES=1", "COLOR=16774885"}));
  EXPECT_EQ(Options().ReadString("BUTTON_HUGE", "BORDERSMASK", ""), "!BTNHUGE.BMP!3!1!0!0031!0031!0032!0032!5");
  EXPECT_EQ(Options().ReadString("BUTTON_HUGE", "GLOW0", ""), "!GLOWH.PNG!1!0!3!0053!0053!0053!0053!1");
  EXPECT_EQ(Options().ReadString("PROGRESSH", "PATTERN", ""), "~0293~0037~0323~0067~00~0");
}

TEST(AlterMetroOptions, FileReferencesNameEntriesOfThePackage) {
  for (const String& section : Options().SectionNames())
    for (const String& key : Options().KeyNames(section)) {
      String value = Options().ReadString(section, key, "");
      if (ReferenceForm(value) != TacRefForm::rfFile) continue;
      TacFileRef ref;
      ASSERT_TRUE(ParseFileReference(value, ref)) << value;
      bool found = std::any_of(Entries().begin(), Entries().end(),
                               [&](const TSkinFileEntry& e) { return UpperCase(e.Name) == ref.FileName; });
      EXPECT_TRUE(found) << section << "." << key << " " << value;
    }
}

// ---- pictures of the master bitmap

TEST(AlterMetroMaster, EveryReferenceHasItsPictureCutTheSameWay) {
  std::vector<TRef> refs = MasterReferences();
  EXPECT_GT(refs.size(), 60u);
  for (const TRef& r : refs) {
    const TSkinArtItem* item = ItemAt(r.Mask.R);
    if (!item && r.Section == "FORMTITLE") {
      // The title border is the top of the frame border's cells.
      const TSkinArtItem* frame = ItemAt(TRect{10, 6, 28, 15});
      ASSERT_NE(frame, nullptr);
      EXPECT_EQ(r.Mask.R, (TRect{10, 6, 28, 8}));
      EXPECT_EQ(r.Mask.ImageCount, frame->ImageCount);
      continue;
    }
    ASSERT_NE(item, nullptr) << r.Section << "." << r.Key << " " << r.Value;
    EXPECT_EQ(r.Mask.ImageCount, item->ImageCount) << r.Section << "." << r.Key;
    EXPECT_EQ(r.Mask.MaskType + 1, item->Rows) << r.Section << "." << r.Key;
  }
}

TEST(AlterMetroMaster, EveryPictureIsUsedAndInsideTheMaster) {
  std::vector<TRef> refs = MasterReferences();
  for (const TSkinArtItem& item : AlterMetroMasterLayout()) {
    EXPECT_TRUE(std::any_of(refs.begin(), refs.end(), [&](const TRef& r) { return r.Mask.R == item.R; }))
        << item.Purpose;
    EXPECT_GE(item.R.Left, 0);
    EXPECT_GE(item.R.Top, 0);
    EXPECT_LE(item.R.Right, MasterWidth);
    EXPECT_LE(item.R.Bottom, MasterHeight);
    EXPECT_EQ(item.R.Width() % item.ImageCount, 0) << item.Purpose;
    EXPECT_EQ(item.R.Height() % item.Rows, 0) << item.Purpose;
  }
}

TEST(AlterMetroMaster, PicturesForDifferentPurposesDoNotOverlap) {
  const auto& layout = AlterMetroMasterLayout();
  for (size_t i = 0; i < layout.size(); ++i)
    for (size_t j = i + 1; j < layout.size(); ++j) {
      bool related = layout[i].PartOf == layout[j].Purpose || layout[j].PartOf == layout[i].Purpose;
      EXPECT_TRUE(related || !Overlap(layout[i].R, layout[j].R)) << layout[i].Purpose << " / " << layout[j].Purpose;
    }
}

TEST(AlterMetroMaster, EveryFrameHoldsAPictureAndTheRestIsFuchsia) {
  const TBitmap32& m = Master();
  ASSERT_EQ(m.Width(), MasterWidth);
  ASSERT_EQ(m.Height(), MasterHeight);
  std::vector<bool> used(size_t(MasterWidth) * MasterHeight);
  for (const TSkinArtItem& item : AlterMetroMasterLayout()) {
    int fw = item.R.Width() / item.ImageCount, fh = item.R.Height() / item.Rows;
    for (int f = 0; f < item.ImageCount; ++f) {
      int painted = 0;
      for (int y = 0; y < fh; ++y)
        for (int x = 0; x < fw; ++x) painted += !IsKey(m.Pixel(item.R.Left + f * fw + x, item.R.Top + y));
      EXPECT_GT(painted, 0) << item.Purpose << " frame " << f;
    }
    for (int y = item.R.Top; y < item.R.Bottom; ++y)
      for (int x = item.R.Left; x < item.R.Right; ++x) used[size_t(y) * MasterWidth + x] = true;
  }
  int stray = 0;
  for (int y = 0; y < MasterHeight; ++y)
    for (int x = 0; x < MasterWidth; ++x) stray += !used[size_t(y) * MasterWidth + x] && !IsKey(m.Pixel(x, y));
  EXPECT_EQ(stray, 0);
}

TEST(AlterMetroMaster, MaskRowsAreGreyAndMatchTheColourRow) {
  const TBitmap32& m = Master();
  for (const TSkinArtItem& item : AlterMetroMasterLayout()) {
    if (item.Rows != 2) continue;
    int h = item.R.Height() / 2;
    for (int y = item.R.Top; y < item.R.Top + h; ++y)
      for (int x = item.R.Left; x < item.R.Right; ++x) {
        uint32_t c = m.Pixel(x, y), k = m.Pixel(x, y + h) & 0xFFFFFF;
        uint8_t v = uint8_t(k);
        ASSERT_EQ(k, uint32_t(v) * 0x010101u) << item.Purpose << " at " << x << "," << y;
        if (IsKey(c)) { EXPECT_EQ(v, 255) << item.Purpose << " at " << x << "," << y; }
        if (v < 255) { EXPECT_FALSE(IsKey(c)) << item.Purpose << " at " << x << "," << y; }
      }
  }
}

// Borders without a mask row copy their sides and centre unkeyed, so only
// the corner pieces may hold the transparent colour.
TEST(AlterMetroMaster, UnmaskedBordersAreOpaqueOutsideTheCorners) {
  for (const TRef& r : MasterReferences()) {
    if (ReferenceForm(r.Value) != TacRefForm::rfBorder || r.Mask.MaskType != 0) continue;
    const TsMaskData& md = r.Mask;
    int fw = md.R.Width() / md.ImageCount, fh = md.R.Height();
    for (int f = 0; f < md.ImageCount; ++f)
      for (int y = 0; y < fh; ++y)
        for (int x = 0; x < fw; ++x) {
          bool inCornerColumn = x < md.WL || x >= fw - md.WR;
          bool inCornerRow = y < md.WT || y >= fh - md.WB;
          if (inCornerColumn && inCornerRow) continue;
          EXPECT_FALSE(IsKey(Master().Pixel(md.R.Left + f * fw + x, md.R.Top + y)))
              << r.Section << " frame " << f << " at " << x << "," << y;
        }
  }
}

TEST(AlterMetroMaster, ButtonCornersAreRoundedWithTheKeyColour) {
  // BUTTON, frame 0: the outermost corner pixel is transparent, the edge
  // centre is not.
  EXPECT_TRUE(IsKey(Master().Pixel(206, 66)));
  EXPECT_FALSE(IsKey(Master().Pixel(210, 66)));
}

// ---- file pictures

TEST(AlterMetroPictures, HugeButtonHasThreeFramesOverAMaskRow) {
  TBitmap32 bmp;
  LoadBmp(Entry("BtnHuge.bmp").data(), Entry("BtnHuge.bmp").size(), bmp);
  ASSERT_EQ(bmp.Width(), 192);
  ASSERT_EQ(bmp.Height(), 128);
  for (int f = 0; f < 3; ++f) {
    EXPECT_TRUE(IsKey(bmp.Pixel(f * 64, 0)));           // rounded corner
    EXPECT_EQ(bmp.Pixel(f * 64, 64) & 0xFFFFFF, 0xFFFFFFu);  // its mask: keep the destination
    EXPECT_EQ(bmp.Pixel(f * 64 + 32, 96) & 0xFFFFFF, 0u);    // centre drawn fully
  }
}

TEST(AlterMetroPictures, GlowsLeaveTheControlItselfClear) {
  struct {
    const char* Name;
    int Size, Inset;
  } glows[] = {{"GlowEdit.png", 22, 4}, {"GlowH.png", 108, 8}};
  for (const auto& g : glows) {
    TPNGGraphic png;
    png.LoadFromBytes(Entry(g.Name).data(), Entry(g.Name).size());
    ASSERT_EQ(png.Width(), g.Size);
    int halo = 0;
    for (int y = 0; y < g.Size; ++y)
      for (int x = 0; x < g.Size; ++x) {
        uint8_t a = uint8_t(png.Bitmap().Pixel(x, y) >> 24);
        bool overControl = x >= g.Inset && x < g.Size - g.Inset && y >= g.Inset && y < g.Size - g.Inset;
        if (overControl) { EXPECT_EQ(a, 0) << g.Name << " at " << x << "," << y; }
        halo += a > 0;
      }
    EXPECT_GT(halo, 4 * g.Inset * (g.Size - 2 * g.Inset)) << g.Name;
  }
}

TEST(AlterMetroPictures, ExtendedBorderFramesAreClearInsideTheWindow) {
  TPNGGraphic png;
  png.LoadFromBytes(Entry("ExtBord.png").data(), Entry("ExtBord.png").size());
  ASSERT_EQ(png.Width(), 100);
  ASSERT_EQ(png.Height(), 80);
  for (int f = 0; f < 2; ++f) {
    EXPECT_EQ(png.Bitmap().Pixel(f * 50 + 25, 40) >> 24, 0u);  // over the window
    EXPECT_GT(png.Bitmap().Pixel(f * 50 + 10, 40) >> 24, 0u);  // the shadow beside it
    EXPECT_EQ(png.Bitmap().Pixel(f * 50, 0) >> 24, 0u);        // faded out at the edge
  }
}
