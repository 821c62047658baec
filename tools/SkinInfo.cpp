#include "tools/SkinInfo.h"

#include <charconv>
#include <type_traits>

namespace {

// Minimal JSON writer: objects and arrays on one line each, as data, not art.
class TJsonWriter {
public:
  String Text;

  void BeginObject() { Value("{"), FFirst = true; }
  void EndObject() { Text += "}", FFirst = false; }
  void BeginArray() { Value("["), FFirst = true; }
  void EndArray() { Text += "]", FFirst = false; }
  void Key(const char* name) {
    Separate();
    Text += Quote(name) + ":";
    FAfterKey = true;
  }
  void Str(const String& s) { Value(Quote(s)); }
  void Int(int64_t v) { Value(IntToStr(v)); }
  void Bool(bool v) { Value(v ? "true" : "false"); }
  void Real(double v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    Value(String(buf, res.ptr));
  }

  template <typename T>
  void Field(const char* name, const T& v) {
    Key(name);
    if constexpr (std::is_same_v<T, bool>)
      Bool(v);
    else if constexpr (std::is_same_v<T, String>)
      Str(v);
    else if constexpr (std::is_floating_point_v<T>)
      Real(v);
    else
      Int(int64_t(v));
  }

private:
  static String Quote(const String& s) {
    String out = "\"";
    for (unsigned char c : s) {
      if (c == '"' || c == '\\')
        out += '\\', out += char(c);
      else if (c < 0x20)
        out += Format("\\u%04x", c);
      else
        out += char(c);
    }
    return out + "\"";
  }
  void Separate() {
    if (!FFirst) Text += ",";
    FFirst = false;
  }
  void Value(const String& v) {
    if (!FAfterKey) Separate();
    FAfterKey = false;
    Text += v;
    FFirst = false;
  }

  bool FFirst = true;
  bool FAfterKey = false;
};

// TColor fields are printed as the signed 32-bit values the options hold,
// so that "no colour" reads -1.
int64_t ColorValue(TColor c) { return int32_t(c); }

void WriteFontColor(TJsonWriter& w, const char* name, const TsFontColor& f) {
  w.Key(name);
  w.BeginObject();
  w.Field("Color", ColorValue(f.Color));
  w.Field("Left", ColorValue(f.Left));
  w.Field("Top", ColorValue(f.Top));
  w.Field("Right", ColorValue(f.Right));
  w.Field("Bottom", ColorValue(f.Bottom));
  w.EndObject();
}

void WriteGradient(TJsonWriter& w, const char* name, const TsGradArray& pieces) {
  w.Key(name);
  w.BeginArray();
  for (const TsGradPie& p : pieces) {
    w.BeginObject();
    w.Field("Color1", ColorValue(p.Color1));
    w.Field("Color2", ColorValue(p.Color2));
    w.Field("Percent", p.Percent);
    w.Field("Mode1", p.Mode1);
    w.Field("Mode2", p.Mode2);
    w.EndObject();
  }
  w.EndArray();
}

void WriteState(TJsonWriter& w, const TsGenState& s) {
  w.BeginObject();
  w.Field("Color", ColorValue(s.Color));
  WriteFontColor(w, "FontColor", s.FontColor);
  w.Field("GradientPercent", s.GradientPercent);
  w.Field("GradientData", s.GradientData);
  WriteGradient(w, "GradientArray", s.GradientArray);
  w.Field("ImagePercent", s.ImagePercent);
  w.Field("TextureIndex", s.TextureIndex);
  w.Field("GlowColor", ColorValue(s.GlowColor));
  w.Field("GlowSize", s.GlowSize);
  w.Field("Transparency", s.Transparency);
  w.EndObject();
}

void WriteSkinData(TJsonWriter& w, const TsSkinData& d) {
  w.BeginObject();
  w.Field("SkinPath", d.SkinPath);
  w.Field("Active", d.Active);
  w.Field("Version", d.Version);
  w.Field("Author", d.Author);
  w.Field("Description", d.Description);
  w.Field("Shadow1Color", ColorValue(d.Shadow1Color));
  w.Field("Shadow1Offset", d.Shadow1Offset);
  w.Field("Shadow1Blur", d.Shadow1Blur);
  w.Field("Shadow1Transparency", d.Shadow1Transparency);
  w.Field("ExBorderWidth", d.ExBorderWidth);
  w.Field("ExTitleHeight", d.ExTitleHeight);
  w.Field("ExMaxHeight", d.ExMaxHeight);
  w.Field("ExContentOffs", d.ExContentOffs);
  w.Field("ExCenterOffs", d.ExCenterOffs);
  w.Field("ExDrawMode", d.ExDrawMode);
  w.Field("ExShadowOffs", d.ExShadowOffs);
  w.Field("ExShadowOffsR", d.ExShadowOffsR);
  w.Field("ExShadowOffsT", d.ExShadowOffsT);
  w.Field("ExShadowOffsB", d.ExShadowOffsB);
  w.Field("FXColor", ColorValue(d.FXColor));
  w.Field("BISpacing", d.BISpacing);
  w.Field("BIVAlign", d.BIVAlign);
  w.Field("BIRightMargin", d.BIRightMargin);
  w.Field("BILeftMargin", d.BILeftMargin);
  w.Field("BITopMargin", d.BITopMargin);
  w.Field("BIKeepHUE", d.BIKeepHUE);
  w.Field("BICloseGlow", d.BICloseGlow);
  w.Field("BICloseGlowMargin", d.BICloseGlowMargin);
  w.Field("BIMaxGlow", d.BIMaxGlow);
  w.Field("BIMaxGlowMargin", d.BIMaxGlowMargin);
  w.Field("BIMinGlow", d.BIMinGlow);
  w.Field("BIMinGlowMargin", d.BIMinGlowMargin);
  w.Field("UseAeroBluring", d.UseAeroBluring);
  w.EndObject();
}

void WriteSection(TJsonWriter& w, const TsGeneralData& g) {
  w.BeginObject();
  w.Field("ParentClass", g.ParentClass);
  w.Field("ClassName", g.ClassName);
  w.Field("States", g.States);
  w.Key("Props");
  w.BeginArray();
  WriteState(w, g.Props[0]);
  WriteState(w, g.Props[1]);
  w.EndArray();
  w.Field("GiveOwnFont", g.GiveOwnFont);
  w.Field("ReservedBoolean", g.ReservedBoolean);
  w.Field("ShowFocus", g.ShowFocus);
  w.Field("GlowCount", g.GlowCount);
  w.Field("GlowMargin", g.GlowMargin);
  w.Field("BorderIndex", g.BorderIndex);
  w.Field("ImgTL", g.ImgTL);
  w.Field("ImgTR", g.ImgTR);
  w.Field("ImgBL", g.ImgBL);
  w.Field("ImgBR", g.ImgBR);
  w.Field("TextureNormal", g.TextureNormal);
  w.Field("Color", ColorValue(g.Color));
  w.Field("Transparency", g.Transparency);
  w.Field("GradientPercent", g.GradientPercent);
  w.Field("GradientData", g.GradientData);
  WriteGradient(w, "GradientArray", g.GradientArray);
  w.Field("ImagePercent", g.ImagePercent);
  WriteFontColor(w, "FontColor", g.FontColor);
  w.Field("HotColor", ColorValue(g.HotColor));
  w.Field("HotTransparency", g.HotTransparency);
  w.Field("HotGradientPercent", g.HotGradientPercent);
  w.Field("HotGradientData", g.HotGradientData);
  WriteGradient(w, "HotGradientArray", g.HotGradientArray);
  w.Field("HotImagePercent", g.HotImagePercent);
  WriteFontColor(w, "HotFontColor", g.HotFontColor);
  w.Field("FadingEnabled", g.FadingEnabled);
  w.Field("FadingIterations", g.FadingIterations);
  w.Field("HotGlowColor", ColorValue(g.HotGlowColor));
  w.Field("GlowColor", ColorValue(g.GlowColor));
  w.Field("HotGlowSize", g.HotGlowSize);
  w.Field("GlowSize", g.GlowSize);
  w.EndObject();
}

void WriteMask(TJsonWriter& w, const TsMaskData& m) {
  w.BeginObject();
  w.Field("ClassName", m.ClassName);
  w.Field("PropertyName", m.PropertyName);
  w.Field("ImgType", int(m.ImgType));
  w.Key("R");
  w.BeginArray();
  w.Int(m.R.Left), w.Int(m.R.Top), w.Int(m.R.Right), w.Int(m.R.Bottom);
  w.EndArray();
  w.Field("ImageCount", m.ImageCount);
  w.Field("MaskType", m.MaskType);
  w.Field("BorderWidth", m.BorderWidth);
  w.Field("DrawMode", m.DrawMode);
  w.Field("WL", m.WL);
  w.Field("WT", m.WT);
  w.Field("WR", m.WR);
  w.Field("WB", m.WB);
  w.Field("CornerType", m.CornerType);
  w.Field("OwnBitmap", m.Bmp != nullptr);
  w.EndObject();
}

void WriteConstData(TJsonWriter& w, const TConstantSkinData& c) {
  w.BeginObject();
#define QN_FIELD(f) w.Field(#f, c.f)
  QN_FIELD(IndexGLobalInfo); QN_FIELD(ExBorder);
  QN_FIELD(IndexTabTop); QN_FIELD(IndexTabBottom); QN_FIELD(IndexTabLeft); QN_FIELD(IndexTabRight);
  QN_FIELD(MaskTabTop); QN_FIELD(MaskTabBottom); QN_FIELD(MaskTabLeft); QN_FIELD(MaskTabRight);
  QN_FIELD(IndexScrollTop); QN_FIELD(IndexScrollBottom); QN_FIELD(IndexScrollLeft); QN_FIELD(IndexScrollRight);
  QN_FIELD(MaskScrollTop); QN_FIELD(MaskScrollBottom); QN_FIELD(MaskScrollLeft); QN_FIELD(MaskScrollRight);
  QN_FIELD(IndexBGScrollTop); QN_FIELD(IndexBGScrollBottom); QN_FIELD(IndexBGScrollLeft); QN_FIELD(IndexBGScrollRight);
  QN_FIELD(IndexBGHotScrollTop); QN_FIELD(IndexBGHotScrollBottom); QN_FIELD(IndexBGHotScrollLeft);
  QN_FIELD(IndexBGHotScrollRight);
  QN_FIELD(MaskCloseBtn); QN_FIELD(MaskCloseAloneBtn); QN_FIELD(MaskMaxBtn); QN_FIELD(MaskNormBtn);
  QN_FIELD(MaskMinBtn); QN_FIELD(MaskHelpBtn);
  QN_FIELD(MaskCloseSmall); QN_FIELD(MaskMaxSmall); QN_FIELD(MaskNormSmall); QN_FIELD(MaskMinSmall);
  QN_FIELD(MaskHelpSmall);
  QN_FIELD(MaskArrowTop); QN_FIELD(MaskArrowBottom); QN_FIELD(MaskArrowLeft); QN_FIELD(MaskArrowRight);
  QN_FIELD(IndexSliderVert); QN_FIELD(IndexSliderHorz); QN_FIELD(MaskSliderVert); QN_FIELD(MaskSliderHorz);
  QN_FIELD(MaskSliderGlyphVert); QN_FIELD(MaskSliderGlyphHorz);
  QN_FIELD(ScrollSliderBGHorz); QN_FIELD(ScrollSliderBGHotHorz); QN_FIELD(ScrollSliderBGVert);
  QN_FIELD(ScrollSliderBGHotVert);
  QN_FIELD(IndexScrollBar1H); QN_FIELD(IndexScrollBar1V); QN_FIELD(IndexScrollBar2H); QN_FIELD(IndexScrollBar2V);
  QN_FIELD(MaskScrollBar1H); QN_FIELD(MaskScrollBar1V); QN_FIELD(MaskScrollBar2H); QN_FIELD(MaskScrollBar2V);
  QN_FIELD(BGScrollBar1H); QN_FIELD(BGScrollBar1V); QN_FIELD(BGScrollBar2H); QN_FIELD(BGScrollBar2V);
  QN_FIELD(BGHotScrollBar1H); QN_FIELD(BGHotScrollBar1V); QN_FIELD(BGHotScrollBar2H); QN_FIELD(BGHotScrollBar2V);
  QN_FIELD(CheckBoxChecked); QN_FIELD(CheckBoxUnChecked); QN_FIELD(CheckBoxGrayed);
  QN_FIELD(RadioButtonChecked); QN_FIELD(RadioButtonUnChecked); QN_FIELD(RadioButtonGrayed);
  QN_FIELD(SmallCheckBoxChecked); QN_FIELD(SmallCheckBoxUnChecked); QN_FIELD(SmallCheckBoxGrayed);
  QN_FIELD(ComboBtnIndex); QN_FIELD(ComboBtnBorder); QN_FIELD(ComboBtnBG); QN_FIELD(ComboBtnBGHot);
  QN_FIELD(ComboGlyph); QN_FIELD(GripRightBottom); QN_FIELD(GripHorizontal); QN_FIELD(GripVertical);
  QN_FIELD(IndexWebBtn);
#undef QN_FIELD
  w.EndObject();
}

}  // namespace

std::unique_ptr<TacSkinModel> LoadSkinModel(const String& path) {
  auto model = std::make_unique<TacSkinModel>();
  if (DirectoryExists(path))
    model->LoadFromFolder(path);
  else if (FileExists(path))
    model->LoadFromPackageFile(path, ExtractFilePath(path));
  else
    throw EFOpenError(Format("No skin file or folder \"%s\".", path.c_str()));
  return model;
}

String SkinModelJson(const TacSkinModel& model) {
  TJsonWriter w;
  w.BeginObject();
  w.Key("CommonSkinData");
  WriteSkinData(w, model.CommonSkinData);
  w.Key("Sections");
  w.BeginArray();
  for (const TsGeneralData& g : model.gd) WriteSection(w, g);
  w.EndArray();
  w.Key("Palette");
  w.BeginArray();
  for (TColor c : model.Palette) w.Int(ColorValue(c));
  w.EndArray();
  w.Key("Masks");
  w.BeginArray();
  for (const TsMaskData& m : model.ma) WriteMask(w, m);
  w.EndArray();
  w.Key("ConstData");
  WriteConstData(w, model.ConstData);
  w.EndObject();
  return w.Text + "\n";
}

String SkinModelText(const TacSkinModel& model) {
  const TsSkinData& d = model.CommonSkinData;
  String out = Format("Version %g, author \"%s\", %zu sections, %zu image records, master bitmap %d x %d\n", d.Version,
                      d.Author.c_str(), model.gd.size(), model.ma.size(), model.MasterBitmap.Width(),
                      model.MasterBitmap.Height());
  out += Format("Title height %d, max height %d, border width %d, content offset %d, centre offset %d, draw mode %d\n",
                d.ExTitleHeight, d.ExMaxHeight, d.ExBorderWidth, d.ExContentOffs, d.ExCenterOffs, d.ExDrawMode);
  out += "\nSections (index, name, states, colour, hot colour, border mask, glow count):\n";
  for (size_t i = 0; i < model.gd.size(); ++i) {
    const TsGeneralData& g = model.gd[i];
    out += Format("  %3zu %-20s %d  %8d %8d  %4d  %d\n", i, g.ClassName.c_str(), g.States, int32_t(g.Props[0].Color),
                  int32_t(g.Props[1].Color), g.BorderIndex, g.GlowCount);
  }
  out += "\nImage records (index, section.key, type, rectangle, frames x rows, widths, draw mode, corner type):\n";
  for (size_t i = 0; i < model.ma.size(); ++i) {
    const TsMaskData& m = model.ma[i];
    out += Format("  %3zu %-32s %d  (%d, %d, %d, %d)%s  %d x %d  %d %d %d %d  %d  %d\n", i,
                  (m.ClassName + "." + m.PropertyName).c_str(), int(m.ImgType), m.R.Left, m.R.Top, m.R.Right,
                  m.R.Bottom, m.Bmp ? " own" : "", m.ImageCount, m.MaskType + 1, m.WL, m.WT, m.WR, m.WB, m.DrawMode,
                  m.CornerType);
  }
  out += "\nPalette:";
  for (size_t i = 0; i < model.Palette.size(); ++i) out += Format("%s%d", i % 7 == 0 ? "\n  " : " ", int32_t(model.Palette[i]));
  return out + "\n";
}
