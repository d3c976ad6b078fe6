#include "app/Palette.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/GifRoutines.h"
#include "gif/GIFImage.h"
#include "platform/Dialogs.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"
#include "platform/Win.h"

namespace {

// Swatch clicks: the first cell starts 3 pixels into the grid; the last
// column ends at 242 (16 cells of 15 pixels).
constexpr Integer kPaletteCellOrigin = 3;
constexpr Integer kPaletteCellLimit = kPaletteCellOrigin + PaletteColumns * PaletteCellSize - 1;
constexpr Integer kPaletteMaxEntries = 256;
// Space between the parts of the form and around them.
constexpr Integer kPaletteGap = 8;

struct TPaletteModeText {
  const char* Caption;
  const char* Instruction;
};
constexpr TPaletteModeText kPaletteModeTexts[3] = {
    {"Global Palette", "Select a color from the color swatches to edit a global color value"},
    {"Transparent Color", "Select a color from the color swatches or click on the image."},
    {"Change Color Value", "Adjust the Red, Green and Blue color values to change the color"},
};

void RegisterPaletteFormClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  using F = TfrmPalette;
  RegisterClassInfo<F, TForm>("TfrmPalette");
  RegisterHandlers<F>({
      {"FormCreate", &F::FormCreate},
      {"FormShow", &F::FormShow},
      {"FormCloseQuery", &F::FormCloseQuery},
      {"pbPalettePaint", &F::pbPalettePaint},
      {"pbPaletteMouseDown", &F::pbPaletteMouseDown},
      {"pbPaletteMouseMove", &F::pbPaletteMouseMove},
      {"pbImagePaint", &F::pbImagePaint},
      {"pbImageMouseDown", &F::pbImageMouseDown},
      {"txtColorKeyPress", &F::txtColorKeyPress},
      {"txtColorEnter", &F::txtColorEnter},
      {"txtColorExit", &F::txtColorExit},
      {"udColorClick", &F::udColorClick},
      {"btnColorAddClick", &F::btnColorAddClick},
      {"btnColorDeleteClick", &F::btnColorDeleteClick},
  });
  RegisterFields<F>({
      {"pbPalette", &F::pbPalette},       {"shpPicker", &F::shpPicker},
      {"lblCaption", &F::lblCaption},     {"bevTop", &F::bevTop},
      {"bevBottom", &F::bevBottom},       {"shpSpacer", &F::shpSpacer},
      {"sbPreview", &F::sbPreview},       {"pbImage", &F::pbImage},
      {"pnlRGB", &F::pnlRGB},             {"lblRed", &F::lblRed},
      {"lblGreen", &F::lblGreen},         {"lblBlue", &F::lblBlue},
      {"txtRed", &F::txtRed},             {"txtGreen", &F::txtGreen},
      {"txtBlue", &F::txtBlue},           {"udRed", &F::udRed},
      {"udGreen", &F::udGreen},           {"udBlue", &F::udBlue},
      {"shpPreview", &F::shpPreview},     {"btnColorAdd", &F::btnColorAdd},
      {"btnColorDelete", &F::btnColorDelete}, {"btnOK", &F::btnOK},
      {"btnCancel", &F::btnCancel},
  });
}

std::unique_ptr<TCmdColorMap> CopyOfPaletteMap(TGIFColorMap* Source) {
  auto map = std::make_unique<TCmdColorMap>();
  if (Source) map->Assign(Source);
  return map;
}

TGIFSubImage* PaletteFrameAt(TGIFImage* Document, Integer FrameIndex) {
  if (!Document || FrameIndex < 0 || FrameIndex >= Document->Frames()->ItemCount()) return nullptr;
  return Document->Frames()->FrameAt(FrameIndex);
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction and layout.

TfrmPalette::TfrmPalette(TComponent* AOwner, Byte AMode, TGIFImage* ADocument)
    : TForm(AOwner), mode_(AMode), document_(ADocument) {
  RegisterPaletteFormClasses();
  AfterConstruction();
}

TfrmPalette::~TfrmPalette() = default;

void TfrmPalette::AfterConstruction() {
  const bool first = !constructed_;
  TForm::AfterConstruction();
  if (first) LayoutForMode();
}

void TfrmPalette::LayoutForMode() {
  if (mode_ <= pmEditColor) {
    SetCaption(kPaletteModeTexts[mode_].Caption);
    lblCaption->SetCaption(kPaletteModeTexts[mode_].Instruction);
  }
  switch (mode_) {
    case pmEditGlobal:
      sbPreview->SetVisible(false);
      pnlRGB->SetTop(pbPalette->Top() + pbPalette->Height() + kPaletteGap);
      pnlRGB->SetVisible(true);
      workMap_ = CopyOfPaletteMap(document_ ? document_->GlobalColorMap() : nullptr);
      if (workMap_->Count() > 0) ShowColor(workMap_->ColorAt(0));
      UpdateEditButtons();
      break;
    case pmPickColor:
      sbPreview->SetLeft(pbPalette->Left() + pbPalette->Width() + kPaletteGap);
      sbPreview->SetTop(pbPalette->Top());
      sbPreview->SetVisible(true);
      bevBottom->SetVisible(true);
      break;
    case pmEditColor:
      pbPalette->SetVisible(false);
      sbPreview->SetVisible(false);
      bevTop->SetVisible(false);
      pnlRGB->SetTop(bevTop->Top() + kPaletteGap);
      pnlRGB->SetHeight(72);
      btnColorAdd->SetVisible(false);
      btnColorDelete->SetVisible(false);
      pnlRGB->SetVisible(true);
      break;
    default:
      break;
  }
  FitClientArea();
}

void TfrmPalette::FitClientArea() {
  Integer bottom = 0, right = 0;
  for (TControl* part : {static_cast<TControl*>(pbPalette), static_cast<TControl*>(sbPreview),
                         static_cast<TControl*>(pnlRGB)}) {
    if (!part->Visible()) continue;
    bottom = std::max(bottom, part->Top() + part->Height());
    right = std::max(right, part->Left() + part->Width());
  }
  const Integer height = bottom + shpSpacer->Height() + kPaletteGap;
  const Integer width = right + kPaletteGap;
  SetClientSize(width, height);
  // The buttons sit at the bottom right of the space kept for them, under a
  // line across the form.
  const Integer buttonTop = height - kPaletteGap - btnOK->Height();
  btnCancel->SetBounds(width - kPaletteGap - btnCancel->Width(), buttonTop, btnCancel->Width(), btnCancel->Height());
  btnOK->SetBounds(btnCancel->Left() - kPaletteGap - btnOK->Width(), buttonTop, btnOK->Width(), btnOK->Height());
  bevBottom->SetBounds(kPaletteGap, bottom + 6, width - 2 * kPaletteGap, 2);
  bevTop->SetWidth(width - 2 * kPaletteGap);
  lblCaption->SetWidth(width - 2 * kPaletteGap);
}

void TfrmPalette::UpdateEditButtons() {
  const Integer count = workMap_ ? workMap_->Count() : 0;
  btnColorAdd->SetEnabled(count < kPaletteMaxEntries);
  btnColorDelete->SetEnabled(count > 2);
}

// ---------------------------------------------------------------------------
// Form events.

void TfrmPalette::FormCreate(TObject*) {
  pbImage->SetCursor(crHandPoint);
  SelectedIndex = 0;
  changed_ = false;
  FrameIndex = 0;
}

void TfrmPalette::FormShow(TObject*) {
  if (mode_ == pmPickColor && document_ && !document_->IsEmpty() && FrameIndex != -1) {
    try {
      TGIFSubImage* frame = document_->Frames()->FrameAt(FrameIndex);
      frameBitmap_ = frame->RenderedBitmap();
      if (frameBitmap_) {
        pbImage->SetBounds(pbImage->Left(), pbImage->Top(), frameBitmap_->Width(), frameBitmap_->Height());
        CenterImage(sbPreview, pbImage);
      }
      workMap_ = CopyOfPaletteMap(frame->ColorMap()->Count() > 0 ? static_cast<TGIFColorMap*>(frame->ColorMap())
                                                         : document_->GlobalColorMap());
      TGIFGraphicControlExtension* control = frame->GraphicControl();
      if (frame->Transparent() && control) {
        SelectedIndex = control->TransparentIndex();
        PickedColor = control->TransparentColorValue();
      }
    } catch (...) {
      // A frame that cannot be shown leaves the picture empty.
    }
  }
  MovePicker(SelectedIndex);
  ShowColor(PickedColor);
}

void TfrmPalette::FormCloseQuery(TObject*, bool&) {
  if (mode_ == pmEditColor && ModalResult() == mrOk) ApplyRGB();
}

// ---------------------------------------------------------------------------
// The swatch grid.

void TfrmPalette::PaintCell(Integer Index) {
  TCanvas* canvas = pbPalette->Canvas();
  const Integer column = Index % PaletteColumns, row = Index / PaletteColumns;
  TRect cell{1 + column * PaletteCellSize, 1 + row * PaletteCellSize, 1 + (column + 1) * PaletteCellSize,
             1 + (row + 1) * PaletteCellSize};
  if (workMap_ && Index < workMap_->Count()) {
    ::DrawEdge(canvas->Handle(), cell.AsRECT(), EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    canvas->Brush()->SetColor(workMap_->ColorAt(Index));
  } else {
    canvas->Brush()->SetColor(pbPalette->Color());
  }
  canvas->FillRect(cell);
}

void TfrmPalette::pbPalettePaint(TObject*) {
  if (workMap_ && workMap_->Count() == 0) return;
  TCanvas* canvas = pbPalette->Canvas();
  if (workMap_) {
    const TRect clip = canvas->ClipRect();
    const Integer firstRow = std::max(0, (clip.Top - 1) / PaletteCellSize);
    const Integer firstColumn = std::max(0, (clip.Left - 1) / PaletteCellSize);
    for (Integer row = firstRow; row < kPaletteMaxEntries / PaletteColumns && 1 + row * PaletteCellSize < pbPalette->Height();
         ++row)
      for (Integer column = firstColumn;
           column < PaletteColumns && 1 + column * PaletteCellSize < pbPalette->Width(); ++column)
        PaintCell(row * PaletteColumns + column);
  }
  TRect whole{0, 0, pbPalette->Width(), pbPalette->Height()};
  ::DrawEdge(canvas->Handle(), whole.AsRECT(), EDGE_SUNKEN, BF_RECT);
}

Integer TfrmPalette::CellAt(Integer X, Integer Y) const {
  if (!workMap_ || X < kPaletteCellOrigin || Y < kPaletteCellOrigin || X > kPaletteCellLimit || Y > kPaletteCellLimit) return -1;
  const Integer index = (X - kPaletteCellOrigin) / PaletteCellSize + PaletteColumns * ((Y - kPaletteCellOrigin) / PaletteCellSize);
  return index < workMap_->Count() ? index : -1;
}

void TfrmPalette::pbPaletteMouseDown(TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
  if (Button != mbLeft || !workMap_ || workMap_->Count() < 1) return;
  btnColorAdd->SetEnabled(workMap_->Count() < kPaletteMaxEntries);
  const Integer index = CellAt(X, Y);
  if (index < 0) {
    btnColorDelete->SetEnabled(false);
    return;
  }
  SelectedIndex = index;
  MovePicker(index);
  const TColor color = workMap_->ColorAt(index);
  ShowColor(color);
  if (mode_ == pmPickColor) changed_ = true;
  btnColorDelete->SetEnabled(workMap_->Count() > 2);
  PickedColor = color;
  pbImage->Invalidate();
}

void TfrmPalette::pbPaletteMouseMove(TObject*, TShiftState, Integer X, Integer Y) {
  pbPalette->SetCursor(CellAt(X, Y) >= 0 ? crHandPoint : crDefault);
}

void TfrmPalette::MovePicker(Integer Index) {
  if (Index < 0) return;
  shpPicker->SetLeft(pbPalette->Left() + (Index % PaletteColumns) * PaletteCellSize + 1);
  shpPicker->SetTop(pbPalette->Top() + (Index / PaletteColumns) * PaletteCellSize + 1);
  shpPicker->SetVisible(true);
}

// ---------------------------------------------------------------------------
// The frame's picture.

void TfrmPalette::CenterImage(TScrollBox* Box, TPaintBox* Image) {
  Box->ScrollTo(0, 0);
  const Integer clientWidth = Box->ClientWidth(), clientHeight = Box->ClientHeight();
  const Integer left = Image->Width() > clientWidth ? Box->HorzScrollBar()->Margin()
                                                    : (clientWidth - Image->Width()) / 2;
  const Integer top = Image->Height() > clientHeight ? Box->VertScrollBar()->Margin()
                                                     : (clientHeight - Image->Height()) / 2;
  Image->SetBounds(left, top, Image->Width(), Image->Height());
}

void TfrmPalette::pbImagePaint(TObject*) {
  if (!frameBitmap_) return;
  TCanvas* canvas = pbImage->Canvas();
  const TRect r{0, 0, frameBitmap_->Width(), frameBitmap_->Height()};
  canvas->FillRect(r);
  canvas->BrushCopy(r, frameBitmap_, r, PickedColor);
  const Integer right = r.Right - 1, bottom = r.Bottom - 1;
  canvas->Polyline(std::vector<TPoint>{{0, 0}, {right, 0}, {right, bottom}, {0, bottom}, {0, 0}});
}

void TfrmPalette::pbImageMouseDown(TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
  // Without a picture (a frame that could not be rendered) or off it, there
  // is no pixel to take.
  if (Button != mbLeft || !frameBitmap_) return;
  if (X < 0 || Y < 0 || X >= frameBitmap_->Width() || Y >= frameBitmap_->Height()) return;
  const TColor color = frameBitmap_->Canvas()->Pixels(X, Y);
  SelectedIndex = workMap_ ? workMap_->FindColor(color) : -1;
  PickedColor = color;
  pbImage->Invalidate();
  changed_ = true;
  MovePicker(SelectedIndex);
  ShowColor(color);
}

// ---------------------------------------------------------------------------
// Colour values.

void TfrmPalette::ShowColor(TColor Color) {
  shpPreview->Brush()->SetColor(Color);
  const TColor rgb = ColorToRGB(Color);
  udRed->SetPosition(GetRValue(rgb));
  udGreen->SetPosition(GetGValue(rgb));
  udBlue->SetPosition(GetBValue(rgb));
}

TColor TfrmPalette::ColorOfUpDowns() {
  return static_cast<TColor>(RGB(udRed->Position(), udGreen->Position(), udBlue->Position()));
}

void TfrmPalette::ApplyRGB() {
  const TColor color = ColorOfUpDowns();
  shpPreview->Brush()->SetColor(color);
  changed_ = true;
  if (!workMap_ || SelectedIndex < 0 || SelectedIndex >= workMap_->Count()) return;
  if (color == workMap_->ColorAt(SelectedIndex)) return;
  workMap_->ReplaceColor(SelectedIndex, color);
  shpPicker->SendToBack();
  PaintCell(SelectedIndex);
  shpPicker->BringToFront();
}

void TfrmPalette::txtColorKeyPress(TObject*, char& Key) {
  if ((Key < '0' || Key > '9') && Key != '\b') Key = 0;
}

void TfrmPalette::txtColorEnter(TObject* Sender) {
  if (auto* edit = dynamic_cast<TEdit*>(Sender)) edit->SetTag(StrToIntDef(edit->Text(), 0));
}

void TfrmPalette::txtColorExit(TObject* Sender) {
  auto* edit = dynamic_cast<TEdit*>(Sender);
  if (!edit || !ValidateIntegerField(edit, true)) return;
  const Integer value = StrToInt(edit->Text());
  if (value >= 256) {
    MessageDlg(Format("'%s' is not within the 0-255 range.", {edit->Text()}), mtError, TMsgDlgButtons{mbOK}, 0);
    edit->SetText(IntToStr(edit->Tag()));
  } else if (value != edit->Tag()) {
    ApplyRGB();
  }
}

void TfrmPalette::udColorClick(TObject*, TUDBtnType) { ApplyRGB(); }

void TfrmPalette::btnColorAddClick(TObject*) {
  if (!workMap_) return;
  if (workMap_->Count() >= kPaletteMaxEntries) {
    btnColorAdd->SetEnabled(false);
    return;
  }
  const TColor white = static_cast<TColor>(RGB(255, 255, 255));
  workMap_->AppendColor(white);
  SelectedIndex = workMap_->Count() - 1;
  MovePicker(SelectedIndex);
  ShowColor(white);
  pbPalette->Invalidate();
  changed_ = true;
  UpdateEditButtons();
}

void TfrmPalette::btnColorDeleteClick(TObject*) {
  if (!workMap_) return;
  if (workMap_->Count() <= 2) {
    btnColorDelete->SetEnabled(false);
    return;
  }
  if (SelectedIndex >= 0 && SelectedIndex < workMap_->Count()) {
    if (CanDeleteColor(document_, workMap_.get(), SelectedIndex, FrameIndex)) {
      workMap_->RemoveEntry(SelectedIndex);
      pbPalette->Invalidate();
      if (SelectedIndex > 0) --SelectedIndex;
      MovePicker(SelectedIndex);
      ShowColor(workMap_->ColorAt(SelectedIndex));
      changed_ = true;
    } else {
      MessageDlg("This color is required by the image and cannot be removed.", mtInformation,
                 TMsgDlgButtons{mbOK}, 0);
    }
  }
  UpdateEditButtons();
}

// ---------------------------------------------------------------------------
// Whether an entry is still needed by the pixels.

bool ColorIndexUsed(TGIFImage* Document, Integer FrameIndex, Integer Index) {
  TGIFSubImage* frame = PaletteFrameAt(Document, FrameIndex);
  if (!frame || !frame->Data() || Index < 0 || Index > 255) return false;
  const Int64 pixels = std::min<Int64>(Int64(frame->Width()) * frame->Height(), frame->DataSize());
  return std::memchr(frame->Data(), Index, static_cast<size_t>(pixels)) != nullptr;
}

bool CanDeleteColor(TGIFImage* Document, TGIFColorMap* Map, Integer Index, Integer FrameIndex) {
  if (!Map || Index < 0 || Index >= Map->Count()) return false;
  const TColor color = Map->ColorAt(Index);
  for (Integer i = 0; i < Map->Count(); ++i)
    if (i != Index && (i < Index || Map->Sorted()) && Map->ColorAt(i) == color) return true;
  if (FrameIndex != -1) return !ColorIndexUsed(Document, FrameIndex, Index);
  if (!Document) return true;
  for (Integer i = 0; i < Document->Frames()->ItemCount(); ++i)
    if (Document->Frames()->FrameAt(i)->EffectiveColorMap() == Document->GlobalColorMap() &&
        ColorIndexUsed(Document, i, Index))
      return false;
  return true;
}
