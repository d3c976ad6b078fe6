// The palette dialog: a colour map shown as a grid of swatches. The editor
// opens it to pick the transparent colour of the animation or of one frame
// (a swatch or a pixel of the frame's picture, shown with that colour blanked
// out); two editing modes work on the global colour map and on one colour.
//
// Use: construct with the mode and the document (the form is complete after
// the constructor), preset SelectedIndex, PickedColor and FrameIndex, run
// ShowModal (mrOk / mrCancel), read SelectedIndex and PickedColor, free it.
#pragma once

#include <memory>
#include <string>

#include "platform/Buttons.h"
#include "platform/ComCtrls.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

class TGIFImage;
class TGIFColorMap;
class TCmdColorMap;

// Dialog modes.
constexpr Byte pmEditGlobal = 0;  // edit the document's global colour map
constexpr Byte pmPickColor = 1;   // pick a colour from the swatches or the frame's picture
constexpr Byte pmEditColor = 2;   // edit one colour value

// Grid geometry: cells of 15 x 15 pixels, 16 per row, the first at (1, 1).
constexpr Integer PaletteCellSize = 15;
constexpr Integer PaletteColumns = 16;

class TfrmPalette final : public TForm {
 public:
  T_CLASSNAME(TfrmPalette)
  // Reads the form, runs FormCreate and lays the form out for the mode. The
  // document is borrowed: it must outlive the dialog.
  TfrmPalette(TComponent* AOwner, Byte AMode, TGIFImage* ADocument);
  ~TfrmPalette() override;

  // Components (from resources/TfrmPalette.dfm).
  TPaintBox* pbPalette = nullptr;
  TShape* shpPicker = nullptr;
  TLabel* lblCaption = nullptr;
  TBevel* bevTop = nullptr;
  TBevel* bevBottom = nullptr;
  TShape* shpSpacer = nullptr;
  TScrollBox* sbPreview = nullptr;
  TPaintBox* pbImage = nullptr;
  TPanel* pnlRGB = nullptr;
  TLabel* lblRed = nullptr;
  TLabel* lblGreen = nullptr;
  TLabel* lblBlue = nullptr;
  TEdit* txtRed = nullptr;
  TEdit* txtGreen = nullptr;
  TEdit* txtBlue = nullptr;
  TUpDown* udRed = nullptr;
  TUpDown* udGreen = nullptr;
  TUpDown* udBlue = nullptr;
  TShape* shpPreview = nullptr;
  TSpeedButton* btnColorAdd = nullptr;
  TSpeedButton* btnColorDelete = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;

  // Own state, preset by the caller after construction (FrameIndex before
  // showing) and read after OK. SelectedIndex is -1 when the picked colour is
  // not in the working map.
  Integer SelectedIndex = 0;
  Integer FrameIndex = 0;
  TColor PickedColor = clBlack;

  Byte Mode() const { return mode_; }
  bool ColorChanged() const { return changed_; }
  // The dialog's own copy of the colour map (nullptr until it is made); it
  // goes with the dialog.
  TCmdColorMap* WorkMap() const { return workMap_.get(); }
  // The frame's rendered picture, borrowed from the frame (nullptr without one).
  TBitmap* FrameBitmap() const { return frameBitmap_; }
  TGIFImage* Document() const { return document_; }

  // Handlers (bound by name from the form text).
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void pbPalettePaint(TObject* Sender);
  void pbPaletteMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void pbPaletteMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  void pbImagePaint(TObject* Sender);
  void pbImageMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void txtColorKeyPress(TObject* Sender, char& Key);
  void txtColorEnter(TObject* Sender);
  void txtColorExit(TObject* Sender);
  void udColorClick(TObject* Sender, TUDBtnType Button);
  void btnColorAddClick(TObject* Sender);
  void btnColorDeleteClick(TObject* Sender);

  // The swatch and the up-downs show Color.
  void ShowColor(TColor Color);
  // Takes the colour of the up-downs into the preview and the selected entry.
  void ApplyRGB();
  // Puts the picker frame on the swatch of Index (nothing below 0).
  void MovePicker(Integer Index);
  // Scrolls Box to its origin and centres Box's Image in it (a picture larger
  // than the box starts at the box's margin).
  static void CenterImage(TScrollBox* Box, TPaintBox* Image);
  // The swatch index under (X, Y) of the grid, or -1 outside the swatches.
  Integer CellAt(Integer X, Integer Y) const;

  void AfterConstruction() override;

 private:
  void LayoutForMode();
  void FitClientArea();
  void UpdateEditButtons();
  // Fills one swatch (sunken edge, then the entry's colour) of the grid's canvas.
  void PaintCell(Integer Index);
  TColor ColorOfUpDowns();

  TBitmap* frameBitmap_ = nullptr;
  bool changed_ = false;
  Byte mode_;
  std::unique_ptr<TCmdColorMap> workMap_;
  TGIFImage* document_;
};

// Whether entry Index of Map may be removed: its colour stands at a lower
// index too (or, for a map sorted by use, at any other index), or no pixel uses
// the index: no pixel of a frame that takes the document's global map when
// FrameIndex is -1, else no pixel of frame FrameIndex.
bool CanDeleteColor(TGIFImage* Document, TGIFColorMap* Map, Integer Index, Integer FrameIndex);
// Whether a pixel of frame FrameIndex has the value Index (false for a frame
// that does not exist or has no pixels).
bool ColorIndexUsed(TGIFImage* Document, Integer FrameIndex, Integer Index);
