#include "colordialog/sColorDialog.h"

#include "colordialog/acScreenPicker.h"
#include "colordialog/sColorUtils.h"

#include <cwctype>
#include <iterator>

TsColorDialogForm* acColorDialogForm = nullptr;
std::function<void(TsColorDialogForm&)> OnColorDialogFormShowing;

namespace {

void DrawBitmap32(HDC dc, int x, int y, const TBitmap32& bmp) {
  if (!dc || bmp.Empty()) return;
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), bmp.Width(), -bmp.Height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  SetDIBitsToDevice(dc, x, y, DWORD(bmp.Width()), DWORD(bmp.Height()), 0, 0, 0, UINT(bmp.Height()), bmp.Bits(), &bi,
                    DIB_RGB_COLORS);
}

// The field picture depends on its size only, and rendering it is most of
// the form's creation time: it is rendered once per size and copied.
const TBitmap32& FieldPicture(int width, int height) {
  static TBitmap32 picture;
  if (picture.Width() != width || picture.Height() != height) CreateExtBmp(picture, width, height);
  return picture;
}

// The eyedropper, row by row: k black, g grey, w white, . transparent.
constexpr const char* EyedropperRows[TacEyedropperButton::GlyphHeight] = {
    "...........kkk..", "..........kgggk.", ".........kgggggk", "........kkggggk.", ".......kwkkggk..",
    "......kwwwkkk...", ".....kwwwk.k....", "....kwwwk.......", "...kwwwk........", "..kwwwk.........",
    ".kwwwk..........", ".kwwk...........", "k.kk............", "k...............", "................"};

}  // namespace

String LoadLngString(int id, const char* fallback) {
  const wchar_t* text = nullptr;
  const int n = LoadStringW(GetModuleHandleW(nullptr), UINT(id), reinterpret_cast<LPWSTR>(&text), 0);
  return n > 0 && text ? FromWide(std::wstring_view(text, size_t(n))) : String(fallback);
}

// ---- TacEyedropperButton

TColor TacEyedropperButton::GlyphPixel(int x, int y) {
  if (x < 0 || y < 0 || x >= GlyphWidth || y >= GlyphHeight) return clFuchsia;
  switch (EyedropperRows[y][x]) {
    case 'k': return clBlack;
    case 'g': return RGBColor(128, 128, 128);
    case 'w': return clWhite;
    default: return clFuchsia;
  }
}

void TacEyedropperButton::Paint() {
  TsSpeedButton::Paint();
  HDC dc = Canvas()->Handle();
  const int x0 = (Width() - GlyphWidth) / 2, y0 = (Height() - GlyphHeight) / 2;
  for (int y = 0; y < GlyphHeight; ++y)
    for (int x = 0; x < GlyphWidth; ++x)
      if (TColor c = GlyphPixel(x, y); c != clFuchsia) SetPixelV(dc, x0 + x, y0 + y, COLORREF(c));
}

// ---- TsColorDialogForm: construction

TsColorDialogForm::TsColorDialogForm(TComponent* owner) : TForm(owner) {
  BeginLoading();
  SetName("sColorDialogForm");
  SetBorderStyle(TFormBorderStyle::bsSingle);
  SetBorderIcons({biSystemMenu, biMinimize});
  SetPosition(TPosition::poScreenCenter);
  SetColor(clBtnFace);
  SetCaption("Color");
  SetClientSize(DesignClientWidth, DesignClientHeight);
  Constraints.MinHeight = Constraints.MaxHeight = FixedHeight;
  Constraints.MinWidth = NarrowWidth;
  Constraints.MaxWidth = FullWidth;
  SetBounds(Left(), Top(), Width(), FixedHeight);
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
  OnPaint = [this](TObject* s) { FormPaint(s); };
  OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { FormMouseDown(s, b, sh, x, y); };
  OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { FormMouseMove(s, sh, x, y); };
  OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { FormMouseUp(s, b, sh, x, y); };

  sLabel1 = Label(8, 8, 64, 13, "Main palette :");
  sLabel2 = Label(8, 192, 83, 13, "Additional colors :");
  sLabel4 = Label(430, 276, 6, 14, "o");
  sLabel5 = Label(429, 304, 8, 13, "%");
  sLabel6 = Label(429, 328, 8, 13, "%");

  sSpeedButton1 = new TacEyedropperButton(this);
  sSpeedButton1->SetName("sSpeedButton1");
  sSpeedButton1->SetParent(this);
  sSpeedButton1->SetBounds(20, 308, 37, 33);
  sSpeedButton1->SkinData()->SetSkinSection("SPEEDBUTTON");
  sSpeedButton1->ShowCaption = false;
  sSpeedButton1->OnClick = [this](TObject* s) { sSpeedButton1Click(s); };

  sBitBtn1 = Button(7, 352, 69, "OK", 8);
  sBitBtn1->SetDefault(true);
  sBitBtn1->OnClick = [this](TObject* s) { sBitBtn1Click(s); };
  sBitBtn2 = Button(77, 352, 69, "Cancel", 9);
  sBitBtn2->SetCancel(true);
  sBitBtn2->SetModalResult(mrCancel);
  sBitBtn2->OnClick = [this](TObject* s) { sBitBtn2Click(s); };

  ColorPanel = PickPanel(234, 8, 260, 15);
  ColorPanel->SetName("ColorPanel");
  ColorPanel->OnPaint = [this](TObject* s, TCanvas* c) { ColorPanelPaint(s, c); };
  ColorPanel->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    ColorPanelMouseDown(s, b, sh, x, y);
  };
  ColorPanel->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { ColorPanelMouseMove(s, sh, x, y); };
  ColorPanel->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    ColorPanelMouseUp(s, b, sh, x, y);
  };
  GradPanel = PickPanel(BarLeft, BarTop, BarWidth, 16);
  GradPanel->SetName("GradPanel");
  GradPanel->OnPaint = [this](TObject* s, TCanvas* c) { GradPanelPaint(s, c); };
  GradPanel->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    GradPanelMouseDown(s, b, sh, x, y);
  };
  GradPanel->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { GradPanelMouseMove(s, sh, x, y); };
  GradPanel->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    GradPanelMouseUp(s, b, sh, x, y);
  };

  SelectedPanel = new TShape(this);
  SelectedPanel->SetName("SelectedPanel");
  SelectedPanel->SetParent(this);
  SelectedPanel->SetBounds(234, 276, 131, 69);
  SelectedPanel->Brush()->SetColor(clGreen);

  sHEdit = NumberEdit(394, 276, "H :", 2);
  sSEdit = NumberEdit(394, 300, "S :", 3);
  sVEdit = NumberEdit(394, 324, "B :", 4);
  sREdit = NumberEdit(494, 276, "Red :", 5);
  sGEdit = NumberEdit(494, 300, "Green :", 6);
  sBEdit = NumberEdit(494, 324, "Blue :", 7);
  for (TsCurrencyEdit* e : {sHEdit, sSEdit, sVEdit}) e->OnChange = [this](TObject* s) { sHEditChange(s); };
  for (TsCurrencyEdit* e : {sREdit, sGEdit, sBEdit}) e->OnChange = [this](TObject* s) { sREditChange(s); };

  sBitBtn3 = Button(236, 352, 291, "Add to custom colors set", 11);
  sBitBtn3->OnClick = [this](TObject* s) { sBitBtn3Click(s); };
  sBitBtn4 = Button(8, 268, 209, "Define colors", 12);
  sBitBtn4->SetEnabled(false);
  sBitBtn4->OnClick = [this](TObject* s) { sBitBtn4Click(s); };

  MainPal = Palette(21, 167, MainPalCols, MainPalRows, 13);
  MainPal->SetName("MainPal");
  {
    TStringList words;
    for (const char* w : MainPaletteWords) words.Add(w);
    MainPal->SetColors(words);
  }
  MainPal->OnDblClick = [this](TObject* s) { MainPalDblClick(s); };
  AddPal = Palette(205, 59, AddPalCols, AddPalRows, 14);
  AddPal->SetName("AddPal");
  AddPal->OnDblClick = [this](TObject* s) { AddPalDblClick(s); };

  sEditHex = new TsMaskEdit(this);
  sEditHex->SetName("sEditHex");
  sEditHex->SetParent(this);
  sEditHex->SetBounds(142, 302, 70, 21);
  sEditHex->SkinData()->SetSkinSection("EDIT");
  sEditHex->SetCharCase(TEditCharCase::ecUpperCase);
  sEditHex->SetEditMask("AAAAAA;1; ");
  sEditHex->SetMaxLength(6);
  sEditHex->SetText("      ");
  sEditHex->BoundLabel()->SetActive(true);
  sEditHex->BoundLabel()->SetCaption("Hex - ");
  sEditHex->OnChange = [this](TObject* s) { sEditHexChange(s); };
  // The mask edit takes typed characters before OnKeyPress could see them:
  // the filter sits on top of its window procedure.
  FHexKeyLink = sEditHex->AttachWindowProc([this](TMessage& m) {
    if (m.Msg == WM_CHAR) {
      wchar_t key = wchar_t(m.WParam);
      sEditHexKeyPress(sEditHex, key);
      if (key == 0) {
        m.Result = 0;
        return;
      }
      m.WParam = key;
    }
    sEditHex->CallPreviousWindowProc(FHexKeyLink, m);
  });

  sEditDecimal = NumberEdit(142, 323, "Decimal - ", 1);
  sEditDecimal->SetWidth(70);
  sEditDecimal->OnChange = [this](TObject* s) { sEditDecimalChange(s); };

  sBitBtn5 = Button(147, 352, 69, "&Help", 10);
  sBitBtn5->OnClick = [this](TObject* s) { sBitBtn5Click(s); };

  using F = TColorEditField;
  FEdits[int(F::H)] = sHEdit;
  FEdits[int(F::S)] = sSEdit;
  FEdits[int(F::V)] = sVEdit;
  FEdits[int(F::R)] = sREdit;
  FEdits[int(F::G)] = sGEdit;
  FEdits[int(F::B)] = sBEdit;
  FEdits[int(F::Hex)] = sEditHex;
  FEdits[int(F::Decimal)] = sEditDecimal;

  // Tab order, lowest first.
  TWinControl* order[] = {sEditHex, sEditDecimal, sHEdit,   sSEdit,   sVEdit,  sREdit,  sGEdit,     sBEdit,    sBitBtn1,
                          sBitBtn2, sBitBtn5,     sBitBtn3, sBitBtn4, MainPal, AddPal, ColorPanel, GradPanel};
  for (int i = 0; i < int(std::size(order)); ++i) order[i]->SetTabOrder(i);

  FModel = std::make_unique<TacColorDialogModel>(MainPal->Grid(), AddPal->Grid());
  FModel->SetFieldSize(ColorPanel->Width(), ColorPanel->Height());
  FModel->SetBarHeight(GradPanel->Height());
  MainPal->OnChange = [this](TObject* s) { MainPalChange(s); };
  AddPal->OnChange = [this](TObject* s) { MainPalChange(s); };
  FModel->SetView(this);

  WatchCapture(ColorPanel);
  WatchCapture(GradPanel);

  sSkinProvider1 = new TsSkinProvider(this);
  sSkinProvider1->SetName("sSkinProvider1");
  sSkinProvider1->SkinData()->SetSkinSection("DIALOG");
  sSkinProvider1->CaptionAlignment = taCenter;
  sSkinProvider1->ScreenSnap = true;
  sSkinProvider1->ShowAppIcon = false;
  EndLoading();
  FitLabels();
}

void TsColorDialogForm::FitLabels() {
  for (TsLabel* l : {sLabel1, sLabel2, sLabel4, sLabel5, sLabel6}) l->AdjustBounds();
}

TsColorDialogForm::~TsColorDialogForm() {
  // Form teardown must never leave the cursor confined.
  if (FCursorClipped) ClipCursor(nullptr);
  if (FModel) FModel->SetView(nullptr);
}

TsLabel* TsColorDialogForm::Label(int left, int top, int width, int height, const String& caption) {
  auto* l = new TsLabel(this);
  l->SetParent(this);
  // Sized to its text after the design bounds: the design widths were
  // measured in a narrower font.
  l->SetBounds(left, top, width, height);
  l->SetCaption(caption);
  return l;
}

TsBitBtn* TsColorDialogForm::Button(int left, int top, int width, const String& caption, int tabOrder) {
  auto* b = new TsBitBtn(this);
  b->SetParent(this);
  b->SetBounds(left, top, width, 25);
  b->SetCaption(caption);
  b->SkinData()->SetSkinSection("BUTTON");
  b->ShowFocus = false;
  b->SetTabOrder(tabOrder);
  return b;
}

TsCurrencyEdit* TsColorDialogForm::NumberEdit(int left, int top, const char* label, int tabOrder) {
  auto* e = new TsCurrencyEdit(this);
  e->SetParent(this);
  e->SetBounds(left, top, 33, 19);
  e->SkinData()->SetSkinSection("EDIT");
  e->NumModel().DecimalPlaces = 0;
  e->NumModel().DisplayFormat = "0";
  e->SetAlignment(taLeftJustify);
  e->SetText("0");
  e->BoundLabel()->SetActive(true);
  e->BoundLabel()->SetCaption(label);
  e->BoundLabel()->SetLayout(sclLeft);
  e->BoundLabel()->SetIndent(0);
  e->SetTabOrder(tabOrder);
  return e;
}

TsPanel* TsColorDialogForm::PickPanel(int left, int top, int width, int tabOrder) {
  auto* p = new TsPanel(this);
  p->SetParent(this);
  p->SetBevelOuter(TacBevelCut::bvNone);
  p->SkinData()->SetSkinSection("CHECKBOX");
  p->SetCaption(" ");
  p->SetBounds(left, top, width, 260);
  p->SetTabStop(true);
  p->SetTabOrder(tabOrder);
  return p;
}

TsColorsPanel* TsColorDialogForm::Palette(int top, int height, int cols, int rows, int tabOrder) {
  auto* p = new TsColorsPanel(this);
  p->SetParent(this);
  p->SetBevelOuter(TacBevelCut::bvNone);
  p->SkinData()->SetSkinSection("CHECKBOX");
  p->SetCaption(" ");
  p->SetBounds(1, top, 223, height);
  p->Grid().SetColCount(cols);
  p->Grid().SetRowCount(rows);
  p->SetTabStop(true);
  p->SetTabOrder(tabOrder);
  return p;
}

void TsColorDialogForm::InitLngCaptions() {
  sBitBtn1->SetCaption(LoadLngString(sOkButton, "OK"));
  sBitBtn2->SetCaption(LoadLngString(sCancelButton, "Cancel"));
  sBitBtn5->SetCaption(LoadLngString(sHelpButton, "&Help"));
  sBitBtn3->SetCaption(LoadLngString(sAddToCustom, "Add to custom colors set"));
  sBitBtn4->SetCaption(LoadLngString(sDefineColors, "Define colors"));
  sLabel1->SetCaption(LoadLngString(sMainPalette, "Main palette :"));
  sLabel2->SetCaption(LoadLngString(sAdditionalColors, "Additional colors :"));
  SetCaption(LoadLngString(sDialogCaption, "Color"));
  sREdit->BoundLabel()->SetCaption(LoadLngString(sRedLabel, "Red :"));
  sGEdit->BoundLabel()->SetCaption(LoadLngString(sGreenLabel, "Green :"));
  sBEdit->BoundLabel()->SetCaption(LoadLngString(sBlueLabel, "Blue :"));
  sEditDecimal->BoundLabel()->SetCaption(LoadLngString(sDecimalLabel, "Decimal - "));
  sEditHex->BoundLabel()->SetCaption(LoadLngString(sHexLabel, "Hex - "));
  FitLabels();
}

// ---- lifecycle

void TsColorDialogForm::FormCreate(TObject*) {
  if (ColorPanel->Width() > 0 && ColorPanel->Height() > 0)
    ExtBmp = FieldPicture(ColorPanel->Width(), ColorPanel->Height());
}

// The fields are filled while the window is still hidden (see WndProc), so
// its first paint already shows them; OnShow comes once it is on screen.
void TsColorDialogForm::FormShow(TObject*) {
  if (FOwnerDialog && FOwnerDialog->OnShow) FOwnerDialog->OnShow(FOwnerDialog);
}

void TsColorDialogForm::FormDestroy(TObject*) {
  ReleaseDrag();
  ExtBmp.SetSize(0, 0);
}

void TsColorDialogForm::WatchCapture(TControl* control) {
  auto id = std::make_shared<int>(0);
  *id = control->AttachWindowProc([this, control, id](TMessage& m) {
    if (m.Msg == WM_CAPTURECHANGED || m.Msg == WM_CANCELMODE) ReleaseDrag();
    control->CallPreviousWindowProc(*id, m);
  });
}

void TsColorDialogForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_SHOWINGCHANGED:
      // Filled before the window shows: texts set and panels redrawn on a
      // visible form would each paint at once, ahead of the form's own first
      // paint, and show the previous colour for a moment.
      if (Showing()) {
        const TColor color = FOwnerDialog ? FOwnerDialog->Color() : SelectedPanel->Brush()->Color();
        FModel->FormShow(ColorToRGB(color));
      }
      break;
    case CM_DIALOGKEY:
    case WM_CLOSE:
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
    case WM_DESTROY:
    case WM_ACTIVATE:
      if (m.Msg != WM_ACTIVATE || LOWORD(m.WParam) == WA_INACTIVE) ReleaseDrag();
      break;
    default:
      break;
  }
  TForm::WndProc(m);
}

void TsColorDialogForm::ConfineCursorTo(TControl* control) {
  const TPoint origin = control->ClientToScreen(Point(0, 0));
  RECT r{origin.X, origin.Y, origin.X + control->Width(), origin.Y + control->Height()};
  FCursorClipped = ClipCursor(&r) != FALSE;
}

void TsColorDialogForm::ReleaseDrag() {
  if (FReleasing) return;
  TFlagScope releasing(FReleasing);
  if (FCursorClipped) {
    ClipCursor(nullptr);
    FCursorClipped = false;
  }
  const bool dragging = FModel && (FModel->FieldDragging() || FModel->BarDragging());
  if (FModel && FModel->FieldDragging()) FModel->FieldMouseUp();
  if (FModel && FModel->BarDragging()) FModel->BarMouseUp();
  if (dragging && GetCaptureControl()) SetCaptureControl(nullptr);
}

// ---- the colour field and the bar

void TsColorDialogForm::ColorPanelPaint(TObject* sender, TCanvas* canvas) {
  HDC dc = canvas->Handle();
  DrawBitmap32(dc, 0, 0, ExtBmp);
  if (FModel->FieldDragging()) return;
  const TPoint p = FModel->MarkerPos();
  // A black ring with a white one inside stays visible on every colour.
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  Ellipse(dc, p.X - 5, p.Y - 5, p.X + 5, p.Y + 5);
  SelectObject(dc, GetStockObject(WHITE_PEN));
  Ellipse(dc, p.X - 4, p.Y - 4, p.X + 4, p.Y + 4);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
}

void TsColorDialogForm::ColorPanelMouseDown(TObject*, TMouseButton, TShiftState, int x, int y) {
  if (ColorPanel->CanFocus()) ColorPanel->SetFocus();
  FModel->FieldMouseDown(x, y);
  ConfineCursorTo(ColorPanel);
}

void TsColorDialogForm::ColorPanelMouseMove(TObject*, TShiftState, int x, int y) { FModel->FieldMouseMove(x, y); }

void TsColorDialogForm::ColorPanelMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  if (FCursorClipped) {
    ClipCursor(nullptr);
    FCursorClipped = false;
  }
  if (FModel->FieldDragging()) FModel->FieldMouseUp();
}

void TsColorDialogForm::GradPanelPaint(TObject* sender, TCanvas* canvas) {
  TBitmap32 ramp(GradPanel->Width(), GradPanel->Height());
  PaintBarRamp(ramp, FModel->BaseColor());
  DrawBitmap32(canvas->Handle(), 0, 0, ramp);
}

void TsColorDialogForm::GradPanelMouseDown(TObject*, TMouseButton, TShiftState, int, int y) {
  if (GradPanel->CanFocus()) GradPanel->SetFocus();
  FModel->BarMouseDown(y);
}

void TsColorDialogForm::GradPanelMouseMove(TObject*, TShiftState, int, int y) { FModel->BarMouseMove(y); }

void TsColorDialogForm::GradPanelMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  if (FCursorClipped) {
    ClipCursor(nullptr);
    FCursorClipped = false;
  }
  if (FModel->BarDragging()) FModel->BarMouseUp();
}

void TsColorDialogForm::FormPaint(TObject*) {
  // The arrow column is painted whole, so the old arrow goes with it.
  TBitmap32 strip(10, GradPanel->Height() + 10);
  strip.Fill(ColorToPixel(ColorToRGB(Color())));
  DrawMarkerArrow(strip, Point(0, FModel->BarRow() + 5), ColorToPixel(clBlack));
  DrawBitmap32(Canvas()->Handle(), BarRight, BarTop - 5, strip);
}

void TsColorDialogForm::FormMouseDown(TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
  TPoint bar;
  if (MarkerColumnToBar(Point(x, y), ClientWidth(), bar)) FModel->BarMouseDown(bar.Y);
}

void TsColorDialogForm::FormMouseMove(TObject*, TShiftState, int, int y) {
  if (FModel->BarDragging()) FModel->BarMouseMove(y - BarTop);
}

void TsColorDialogForm::FormMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  if (FModel->BarDragging()) FModel->BarMouseUp();
}

// ---- view

void TsColorDialogForm::ShowFieldText(TColorEditField field, const String& text) {
  TsEdit* e = FEdits[int(field)];
  if (!e) return;
  if (e == sEditHex) {
    // The mask keeps its own copy of the text; both must agree.
    sEditHex->Model().SetText(text);
    sEditHex->SetText(sEditHex->Model().EditText());
    return;
  }
  e->SetText(text);
}

void TsColorDialogForm::ShowSelectedColor(TColor c) { SelectedPanel->Brush()->SetColor(c); }

void TsColorDialogForm::RepaintBar() {
  GradPanel->SkinData()->BGChanged = true;
  if (GradPanel->HandleAllocated()) GradPanel->Repaint();
}

void TsColorDialogForm::EraseBarArrow() {
  if (!HandleAllocated()) return;
  const TRect r = MarkerRect(ClientWidth());
  RECT rr{r.Left, r.Top, r.Right, r.Bottom};
  InvalidateRect(Handle(), &rr, TRUE);
}

void TsColorDialogForm::RedrawMarkerArea() {
  if (!HandleAllocated()) return;
  EraseBarArrow();
  UpdateWindow(Handle());
}

void TsColorDialogForm::RepaintField() {
  ColorPanel->SkinData()->BGChanged = true;
  if (ColorPanel->HandleAllocated()) ColorPanel->Repaint();
}

// ---- fields and buttons

void TsColorDialogForm::FieldChange(TColorEditField field) {
  // A focused edit reformats itself while the windows go: not the user's change.
  if (IsDestroying()) return;
  TsEdit* e = FEdits[int(field)];
  if (e && FModel) FModel->FieldChanged(field, e->Text());
}

void TsColorDialogForm::sHEditChange(TObject* sender) {
  FieldChange(sender == sSEdit ? TColorEditField::S : sender == sVEdit ? TColorEditField::V : TColorEditField::H);
}

void TsColorDialogForm::sREditChange(TObject* sender) {
  FieldChange(sender == sGEdit ? TColorEditField::G : sender == sBEdit ? TColorEditField::B : TColorEditField::R);
}

void TsColorDialogForm::sEditHexChange(TObject*) { FieldChange(TColorEditField::Hex); }

void TsColorDialogForm::sEditDecimalChange(TObject*) { FieldChange(TColorEditField::Decimal); }

void TsColorDialogForm::sEditHexKeyPress(TObject*, wchar_t& key) {
  if (key == 8) return;  // the mask edit's own backspace
  if (!HexKeyPasses(int(key)))
    key = 0;
  else
    key = wchar_t(std::towupper(key));
}

void TsColorDialogForm::MainPalChange(TObject* sender) {
  if (!FModel || IsDestroying()) return;
  FModel->MainPalChange(sender == AddPal ? AddPal->Grid() : MainPal->Grid());
}

void TsColorDialogForm::MainPalDblClick(TObject*) { sBitBtn1->Click(); }

void TsColorDialogForm::AddPalDblClick(TObject*) { sBitBtn1->Click(); }

void TsColorDialogForm::sSpeedButton1Click(TObject*) {
  const TPoint origin = ClientToScreen(Point(SelectedPanel->Left(), SelectedPanel->Top()));
  const TRect preview = Rect(origin.X, origin.Y, origin.X + SelectedPanel->Width(), origin.Y + SelectedPanel->Height());
  TColor picked = clBlack;
  if (!PickScreenColor(Handle(), preview, SelectedColor(), picked)) return;
  FModel->ScreenPick(picked);
  RepaintField();
}

void TsColorDialogForm::sBitBtn1Click(TObject*) {
  ReleaseDrag();
  SetModalResult(mrOk);
}

void TsColorDialogForm::sBitBtn2Click(TObject*) {
  ReleaseDrag();
  SetModalResult(mrCancel);
}

void TsColorDialogForm::sBitBtn3Click(TObject*) { FModel->AddCustomColor(); }

void TsColorDialogForm::sBitBtn4Click(TObject*) {
  SetWidth(Constraints.MaxWidth);
  sBitBtn4->SetEnabled(false);
}

void TsColorDialogForm::sBitBtn5Click(TObject*) {
  // The framework has no help system to ask for the owner's HelpContext yet.
}

// ---- Execute's skinned path

bool RunSkinnedColorDialog(TsColorDialog& dialog) {
  if (acColorDialogForm) return false;  // one skinned dialog at a time
  auto* form = new TsColorDialogForm(Application);
  form->AfterConstruction();
  struct TFormScope {
    TsColorDialogForm* Form;
    ~TFormScope() {
      acColorDialogForm = nullptr;
      Form->ReleaseDrag();
      Form->Free();
    }
  } scope{form};
  acColorDialogForm = form;
  form->InitLngCaptions();
  form->SetOwnerDialog(&dialog);
  if (dialog.CustomColors()->Count() > 0) form->AddPal->SetColors(*dialog.CustomColors());
  if (dialog.MainColors()->Count() > 0) form->MainPal->SetColors(*dialog.MainColors());
  form->SetBorderStyle(TFormBorderStyle::bsSingle);
  const TColorDialogOptions options = dialog.Options();
  form->sBitBtn4->SetEnabled(!options.Contains(cdFullOpen));
  form->SetWidth(form->sBitBtn4->Enabled() ? TsColorDialogForm::NarrowWidth : 545);
  if (options.Contains(cdPreventFullOpen)) form->sBitBtn4->SetEnabled(false);
  form->sBitBtn5->SetVisible(options.Contains(cdShowHelp));
  form->SelectedPanel->Brush()->SetColor(dialog.Color());
  if (OnColorDialogFormShowing) OnColorDialogFormShowing(*form);
  TModalResult result = mrCancel;
  try {
    result = form->ShowModal();
  } catch (...) {
    form->ReleaseDrag();
    dialog.SetCustomColors(&form->AddPal->Colors());
    throw;
  }
  form->ReleaseDrag();
  // The custom colours come back however the dialog ended.
  dialog.SetCustomColors(&form->AddPal->Colors());
  if (dialog.OnClose) dialog.OnClose(&dialog);
  if (result == mrOk) dialog.SetColor(form->SelectedColor());
  return result == mrOk;
}

void InstallSkinnedColorDialog() { SkinnedColorDialogRunner = RunSkinnedColorDialog; }
