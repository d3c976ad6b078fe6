// The palette dialog shown on a small document and driven by real clicks and
// keys: the swatch grid and the frame's picture checked pixel by pixel, the
// picks, the colour value edits, adding and removing colours, and the rule
// that keeps colours the pixels use.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/GifRoutines.h"
#include "app/Palette.h"
#include "gif/GIFImage.h"
#include "tests/app/dialog_input.h"
#include "tests/app/routines_support.h"

namespace {

// Frame 0: 40 x 30, its own map of 20 colours, pixel index (x / 2) mod 19 in
// vertical stripes (index 19 unused), transparent index 5. Frame 1: 40 x 30
// on the global map {black, red, green, blue, red}, index y mod 3 in rows
// (3 and 4 unused). Frame 2: no pixels.
constexpr Integer kPalW = 40, kPalH = 30, kPalLocalCount = 20, kPalTransparent = 5;

TColor PalLocalColor(Integer I) { return static_cast<TColor>(RGB(12 * I + 3, 250 - 11 * I, (I * 53) & 0xFF)); }
const TColor kPalGlobal[] = {static_cast<TColor>(RGB(0, 0, 0)), static_cast<TColor>(RGB(255, 0, 0)),
                          static_cast<TColor>(RGB(0, 255, 0)), static_cast<TColor>(RGB(0, 0, 255)),
                          static_cast<TColor>(RGB(255, 0, 0))};
Integer PalStripeIndex(Integer X) { return (X / 2) % 19; }

std::unique_ptr<TGIFImage> MakePaletteDocument() {
  auto doc = std::make_unique<TGIFImage>();
  doc->SetLogicalWidth(kPalW);
  doc->SetLogicalHeight(kPalH);
  for (TColor c : kPalGlobal) doc->GlobalColorMap()->AppendColor(c);

  auto f0 = std::make_unique<TGIFSubImage>(doc.get());
  for (Integer i = 0; i < kPalLocalCount; ++i) f0->ColorMap()->AppendColor(PalLocalColor(i));
  f0->SetPlacement(0, 0, kPalH, kPalW);
  for (Integer y = 0; y < kPalH; ++y)
    for (Integer x = 0; x < kPalW; ++x) f0->Scanline(y)[x] = static_cast<Byte>(PalStripeIndex(x));
  TGIFSubImage* frame0 = f0.get();
  doc->AddFrame(std::move(f0));
  EnsureGraphicControl(frame0, 10);
  frame0->GraphicControl()->SetUsesTransparentIndex(true);
  frame0->GraphicControl()->SetTransparentIndex(kPalTransparent);

  auto f1 = std::make_unique<TGIFSubImage>(doc.get());
  f1->SetPlacement(0, 0, kPalH, kPalW);
  for (Integer y = 0; y < kPalH; ++y)
    for (Integer x = 0; x < kPalW; ++x) f1->Scanline(y)[x] = static_cast<Byte>(y % 3);
  doc->AddFrame(std::move(f1));

  doc->AddFrame(std::make_unique<TGIFSubImage>(doc.get()));
  return doc;
}

TColor PalRgb(TColor C) { return static_cast<TColor>(ColorToRGB(C) & 0xFFFFFF); }

// The dialog made as the editor makes it, presets applied, shown modelessly
// as the active window (a modal run is tested on its own).
struct TShownPalette {
  std::unique_ptr<TfrmPalette> dlg;
  TShownPalette(TGIFImage* Doc, Byte Mode, Integer FrameIndex, Integer Selected = 0, TColor Picked = clBlack) {
    dlg = std::make_unique<TfrmPalette>(nullptr, Mode, Doc);
    dlg->SelectedIndex = Selected;
    dlg->PickedColor = Picked;
    dlg->FrameIndex = FrameIndex;
    testshots::ShowActive(dlg.get());
  }
  TfrmPalette* operator->() const { return dlg.get(); }
  // A click (SendInput) on the swatch grid at grid coordinates.
  void ClickGrid(Integer X, Integer Y) const { dlgtest::ClickAt(dlg->pbPalette, X, Y); }
  void ClickCell(Integer Index) const {
    ClickGrid(3 + (Index % 16) * 15 + 7, 3 + (Index / 16) * 15 + 7);
  }
  TPoint PickerCell() const {
    return Point((dlg->shpPicker->Left() - dlg->pbPalette->Left() - 1) / 15,
                 (dlg->shpPicker->Top() - dlg->pbPalette->Top() - 1) / 15);
  }
};

TPoint PalCellOf(Integer Index) { return Point(Index % 16, Index / 16); }

// The grid as shown: every cell's centre and top-left corner.
void ExpectPaletteGrid(TfrmPalette* Dlg, const std::vector<TColor>& Entries, Integer Selected) {
  auto shot = testshots::Shot(Dlg->pbPalette);
  // A sunken edge is two lines: shadow outside, dark shadow inside. The grid's
  // own edge lies over the first row and column of cells, so a cell is
  // checked by its inner line.
  const TColor face = PalRgb(clBtnFace), shadow = PalRgb(clBtnShadow), dark = PalRgb(cl3DDkShadow);
  EXPECT_EQ(testshots::Px(shot.get(), 0, 0), shadow) << "the sunken edge around the grid";
  EXPECT_EQ(testshots::Px(shot.get(), 1, 1), dark) << "the sunken edge around the grid";
  Integer wrong = 0;
  for (Integer i = 0; i < 256 && wrong < 5; ++i) {
    const Integer x = 1 + (i % 16) * 15, y = 1 + (i / 16) * 15;
    const bool swatch = i < static_cast<Integer>(Entries.size());
    const TColor centre = testshots::Px(shot.get(), x + 7, y + 7), corner = testshots::Px(shot.get(), x + 1, y + 1);
    const TColor wantCentre = swatch ? PalRgb(Entries[i]) : face;
    TColor wantCorner = swatch ? dark : face;
    if (i == Selected) wantCorner = PalRgb(clRed);  // under the picker frame's pen
    if (centre != wantCentre || corner != wantCorner) {
      ++wrong;
      ADD_FAILURE() << "cell " << i << ": centre " << std::hex << centre << " want " << wantCentre << ", corner "
                    << corner << " want " << wantCorner;
    }
  }
}

std::vector<TColor> PalLocalColors() {
  std::vector<TColor> v;
  for (Integer i = 0; i < kPalLocalCount; ++i) v.push_back(PalLocalColor(i));
  return v;
}

// The picture as shown: stripes of their colours, those of Blank in the box's
// colour, a black outline.
void ExpectPalettePicture(TfrmPalette* Dlg, TColor Blank) {
  ASSERT_EQ(Dlg->pbImage->Width(), kPalW);
  ASSERT_EQ(Dlg->pbImage->Height(), kPalH);
  auto shot = testshots::Shot(Dlg->pbImage);
  EXPECT_EQ(testshots::Px(shot.get(), 0, 0), PalRgb(clBlack)) << "outline";
  EXPECT_EQ(testshots::Px(shot.get(), kPalW - 1, kPalH - 1), PalRgb(clBlack)) << "outline";
  Integer wrong = 0;
  for (Integer x = 1; x < kPalW - 1 && wrong < 5; ++x) {
    const TColor colour = PalLocalColor(PalStripeIndex(x));
    const TColor want = PalRgb(colour) == PalRgb(Blank) ? PalRgb(clBtnFace) : PalRgb(colour);
    const TColor got = testshots::Px(shot.get(), x, kPalH / 2);
    if (got != want) {
      ++wrong;
      ADD_FAILURE() << "picture column " << x << ": " << std::hex << got << " want " << want;
    }
  }
}

class PaletteDlgTest : public ::testing::Test {
 protected:
  std::unique_ptr<TGIFImage> doc = MakePaletteDocument();
};

// --- Layout -----------------------------------------------------------------------

struct TPaletteModeCase {
  Byte Mode;
  const char* Caption;
  const char* Instruction;
  bool Grid, Picture, Panel, TopLine, BottomLine, EditButtons;
  Integer ClientWidth, ClientHeight;
};

const TPaletteModeCase kPaletteModes[] = {
    {pmEditGlobal, "Global Palette", "Select a color from the color swatches to edit a global color value", true,
     false, true, true, false, true, 258, 298 + 72 + 39 + 8},
    {pmPickColor, "Transparent Color", "Select a color from the color swatches or click on the image.", true, true,
     false, true, true, false, 258 + 265 + 8, 290 + 39 + 8},
    {pmEditColor, "Change Color Value", "Adjust the Red, Green and Blue color values to change the color", false,
     false, true, false, false, false, 258, 48 + 72 + 39 + 8},
};

TEST_F(PaletteDlgTest, EachModeShowsItsPartsAndFitsTheFormToThem) {
  testshots::TSheet sheet;
  for (const TPaletteModeCase& c : kPaletteModes) {
    SCOPED_TRACE(c.Caption);
    TShownPalette p(doc.get(), c.Mode, c.Mode == pmEditGlobal ? -1 : 0);
    EXPECT_EQ(p->Caption(), c.Caption);
    EXPECT_EQ(p->lblCaption->Caption(), c.Instruction);
    EXPECT_EQ(p->pbPalette->Visible(), c.Grid);
    EXPECT_EQ(p->sbPreview->Visible(), c.Picture);
    EXPECT_EQ(p->pnlRGB->Visible(), c.Panel);
    EXPECT_EQ(p->bevTop->Visible(), c.TopLine);
    EXPECT_EQ(p->bevBottom->Visible(), c.BottomLine);
    EXPECT_EQ(p->pnlRGB->Visible() && p->btnColorAdd->Visible(), c.EditButtons);
    EXPECT_EQ(p->pnlRGB->Visible() && p->btnColorDelete->Visible(), c.EditButtons);
    EXPECT_EQ(p->ClientWidth(), c.ClientWidth);
    EXPECT_EQ(p->ClientHeight(), c.ClientHeight);
    if (c.Picture) {
      EXPECT_EQ(p->sbPreview->Left(), p->pbPalette->Left() + p->pbPalette->Width() + 8);
      EXPECT_EQ(p->sbPreview->Top(), p->pbPalette->Top());
    }
    // The buttons stay inside the form, at its bottom right.
    EXPECT_EQ(p->btnCancel->Left() + p->btnCancel->Width(), c.ClientWidth - 8);
    EXPECT_EQ(p->btnOK->Top() + p->btnOK->Height(), c.ClientHeight - 8);
    sheet.Add(c.Caption, dlgtest::FormShot(p.dlg.get()).get());
  }
  EXPECT_TRUE(sheet.Save("app_dlg_palette_modes.png"));
}

// --- Pick mode: the grid and the picture -----------------------------------------------

TEST_F(PaletteDlgTest, PickModeOnATransparentFrameShowsItsMapAndBlanksItsTransparentColour) {
  TShownPalette p(doc.get(), pmPickColor, 0);
  EXPECT_EQ(p->SelectedIndex, kPalTransparent);
  EXPECT_EQ(PalRgb(p->PickedColor), PalRgb(PalLocalColor(kPalTransparent)));
  EXPECT_TRUE(p->shpPicker->Visible());
  EXPECT_EQ(p.PickerCell(), PalCellOf(kPalTransparent));
  ASSERT_NE(p->WorkMap(), nullptr);
  EXPECT_EQ(p->WorkMap()->Count(), kPalLocalCount);
  {
    SCOPED_TRACE("grid of a 20-entry map");
    ExpectPaletteGrid(p.dlg.get(), PalLocalColors(), kPalTransparent);
  }
  {
    SCOPED_TRACE("picture with the transparent colour blanked");
    ExpectPalettePicture(p.dlg.get(), PalLocalColor(kPalTransparent));
  }
  testshots::TSheet sheet;
  sheet.Add("Transparent Color, frame 1 (index 5 preselected)", dlgtest::FormShot(p.dlg.get()).get());
  EXPECT_TRUE(sheet.Save("app_dlg_palette_pick.png"));
}

TEST_F(PaletteDlgTest, PickModeOnAFrameOfTheGlobalMapCopiesThatMap) {
  TShownPalette p(doc.get(), pmPickColor, 1, 2, kPalGlobal[2]);
  ASSERT_NE(p->WorkMap(), nullptr);
  EXPECT_EQ(p->WorkMap()->Count(), 5);
  EXPECT_EQ(p->SelectedIndex, 2) << "a frame that is not transparent keeps the caller's preset";
  EXPECT_EQ(p.PickerCell(), PalCellOf(2));
  ExpectPaletteGrid(p.dlg.get(), std::vector<TColor>(std::begin(kPalGlobal), std::end(kPalGlobal)), 2);
}

struct TPaletteGridClick {
  const char* Name;
  Integer X, Y;
  Integer Selected;  // after the click
  bool DeleteEnabled;
  TCursor Cursor;  // over the point
};

TEST_F(PaletteDlgTest, ClickingSwatchesPicksThemAndOffSwatchClicksChangeNothing) {
  TShownPalette p(doc.get(), pmPickColor, 0);
  const TPaletteGridClick clicks[] = {
      {"first swatch at (3, 3)", 3, 3, 0, true, crHandPoint},
      {"swatch 19, the last one", 3 + 3 * 15 + 7, 3 + 15 + 7, 19, true, crHandPoint},
      {"cell 20 has no entry", 3 + 4 * 15 + 7, 3 + 15 + 7, 19, false, crDefault},
      {"left of the swatches at (2, 10)", 2, 10, 19, false, crDefault},
      {"swatch 17", 3 + 15 + 2, 3 + 15 + 2, 17, true, crHandPoint},
      {"below the last row of entries", 30, 3 + 5 * 15, 17, false, crDefault},
  };
  for (const TPaletteGridClick& c : clicks) {
    SCOPED_TRACE(c.Name);
    p.ClickGrid(c.X, c.Y);
    EXPECT_EQ(p->SelectedIndex, c.Selected);
    EXPECT_EQ(p.PickerCell(), PalCellOf(c.Selected));
    EXPECT_EQ(PalRgb(p->PickedColor), PalRgb(PalLocalColor(c.Selected)));
    EXPECT_EQ(PalRgb(p->shpPreview->Brush()->Color()), PalRgb(PalLocalColor(c.Selected)));
    EXPECT_EQ(p->btnColorDelete->Enabled(), c.DeleteEnabled);
    EXPECT_EQ(p->pbPalette->Cursor(), c.Cursor);
    EXPECT_TRUE(p->ColorChanged());
  }
  // The picture now blanks the last pick instead of the transparent colour.
  ExpectPalettePicture(p.dlg.get(), PalLocalColor(17));
}

TEST_F(PaletteDlgTest, SwatchBoundsOfAFullMap) {
  // The editing mode shows the global map, here filled to 256 entries.
  doc->GlobalColorMap()->Clear();
  for (Integer i = 0; i < 256; ++i) doc->GlobalColorMap()->AppendColor(static_cast<TColor>(RGB(i, 255 - i, i / 2)));
  TShownPalette p(doc.get(), pmEditGlobal, -1);
  const TPaletteGridClick clicks[] = {
      {"(3, 3) is swatch 0", 3, 3, 0, true, crHandPoint},
      {"(242, 242) is swatch 255", 242, 242, 255, true, crHandPoint},
      {"(244, 10) is beyond the grid", 244, 10, 255, false, crDefault},
      {"(17, 3) is still swatch 0", 17, 3, 0, true, crHandPoint},
      {"(18, 3) is swatch 1", 18, 3, 1, true, crHandPoint},
      {"(2, 10) is before the grid", 2, 10, 1, false, crDefault},
      // Past the 16th column: no swatch of the next row is taken instead.
      {"(243, 3) is past the last column", 243, 3, 1, false, crDefault},
      {"(3, 243) is past the last row", 3, 243, 1, false, crDefault},
  };
  for (const TPaletteGridClick& c : clicks) {
    SCOPED_TRACE(c.Name);
    // The grid box is 242 pixels wide: its far edge is fed to the handler as
    // the window would, the rest comes through real clicks.
    if (c.X < p->pbPalette->Width() && c.Y < p->pbPalette->Height())
      p.ClickGrid(c.X, c.Y);
    else
      p->pbPaletteMouseDown(p->pbPalette, mbLeft, TShiftState{}, c.X, c.Y);
    p->pbPaletteMouseMove(p->pbPalette, TShiftState{}, c.X, c.Y);
    EXPECT_EQ(p->SelectedIndex, c.Selected);
    EXPECT_EQ(p->btnColorDelete->Enabled(), c.DeleteEnabled);
    EXPECT_EQ(p->pbPalette->Cursor(), c.Cursor);
  }
  EXPECT_EQ(p.PickerCell(), PalCellOf(1));
  EXPECT_FALSE(p->btnColorAdd->Enabled()) << "a full map takes no more colours";
}

TEST_F(PaletteDlgTest, ClickingThePicturePicksThePixelsColour) {
  TShownPalette p(doc.get(), pmPickColor, 0);
  // Column 15 holds index 7.
  dlgtest::ClickAt(p->pbImage, 15, 10);
  EXPECT_EQ(p->SelectedIndex, 7);
  EXPECT_EQ(PalRgb(p->PickedColor), PalRgb(PalLocalColor(7)));
  EXPECT_EQ(p.PickerCell(), PalCellOf(7));
  EXPECT_EQ(PalRgb(p->shpPreview->Brush()->Color()), PalRgb(PalLocalColor(7)));
  EXPECT_TRUE(p->ColorChanged());
  ExpectPalettePicture(p.dlg.get(), PalLocalColor(7));

  // A colour the working map does not hold gives index -1; the picker stays.
  p->WorkMap()->ReplaceColor(9, static_cast<TColor>(RGB(1, 2, 3)));
  dlgtest::ClickAt(p->pbImage, 18, 5);  // index 9's stripe
  EXPECT_EQ(p->SelectedIndex, -1);
  EXPECT_EQ(PalRgb(p->PickedColor), PalRgb(PalLocalColor(9)));
  EXPECT_EQ(p.PickerCell(), PalCellOf(7));
  ExpectPalettePicture(p.dlg.get(), PalLocalColor(9));
}

TEST_F(PaletteDlgTest, AFrameWithoutAPictureLeavesThePictureEmptyAndIgnoresClicksOnIt) {
  struct TCase {
    const char* Name;
    Integer FrameIndex;
    Integer MapCount;  // -1: no working map
  };
  const TCase cases[] = {{"a frame without pixels", 2, 5}, {"a frame index past the end", 9, -1}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TShownPalette p(doc.get(), pmPickColor, c.FrameIndex, 3, clRed);
    EXPECT_EQ(p->FrameBitmap(), nullptr);
    if (c.MapCount < 0) {
      EXPECT_EQ(p->WorkMap(), nullptr);
    } else {
      ASSERT_NE(p->WorkMap(), nullptr);
      EXPECT_EQ(p->WorkMap()->Count(), c.MapCount);
    }
    // The picture area takes the click without a picture: nothing changes.
    dlgtest::ClickCentre(p->pbImage);
    EXPECT_EQ(p->SelectedIndex, 3);
    EXPECT_EQ(PalRgb(p->PickedColor), PalRgb(clRed));
    EXPECT_FALSE(p->ColorChanged());
    // Without a map, the grid shows only its edge; a click there picks nothing.
    p.ClickCell(0);
    EXPECT_EQ(p->SelectedIndex, c.MapCount < 0 ? 3 : 0);
    auto shot = testshots::Shot(p->pbPalette);
    EXPECT_EQ(testshots::Px(shot.get(), 1 + 7, 1 + 7), c.MapCount < 0 ? PalRgb(clBtnFace) : PalRgb(kPalGlobal[0]));
  }
}

TEST_F(PaletteDlgTest, ModalRunAnswersOkWithThePickAndCancelOnEscape) {
  struct TCase {
    const char* Name;
    Word Key;  // 0: the OK button is clicked
    TModalResult Result;
  };
  const TCase cases[] = {{"OK button", 0, mrOk}, {"Enter", VK_RETURN, mrOk}, {"Escape", VK_ESCAPE, mrCancel}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto dlg = std::make_unique<TfrmPalette>(nullptr, pmPickColor, doc.get());
    dlg->FrameIndex = 1;
    dlg->SelectedIndex = 0;
    TfrmPalette* d = dlg.get();
    dlgtest::TInputScript script({
        [d] { dlgtest::ClickAt(d->pbPalette, 3 + 15 + 7, 3 + 7); },
        [d, &c] {
          if (c.Key)
            barinput::Tap(c.Key);
          else
            dlgtest::ClickCentre(d->btnOK);
        },
    });
    EXPECT_EQ(dlg->ShowModal(), c.Result);
    EXPECT_EQ(script.Error(), "");
    EXPECT_EQ(dlg->SelectedIndex, 1);
    EXPECT_EQ(PalRgb(dlg->PickedColor), PalRgb(kPalGlobal[1]));
  }
}

// --- Editing modes -------------------------------------------------------------------

TEST_F(PaletteDlgTest, ColourValueEditsTakeDigitsAndRefuseValuesAbove255) {
  routinestest::TMessageLog boxes;
  TShownPalette p(doc.get(), pmEditColor, 0, 0, static_cast<TColor>(RGB(10, 20, 30)));
  EXPECT_EQ(p->txtRed->Text(), "10");
  EXPECT_EQ(p->txtGreen->Text(), "20");
  EXPECT_EQ(p->txtBlue->Text(), "30");

  struct TCase {
    const char* Name;
    TEdit* TfrmPalette::*Edit;
    const char* Typed;
    const char* Message;  // "" when none
    const char* Text;     // after leaving the edit
    TColor Preview;
  };
  const TCase cases[] = {
      {"300 is out of range", &TfrmPalette::txtRed, "300", "'300' is not within the 0-255 range.", "10",
       static_cast<TColor>(RGB(10, 20, 30))},
      {"letters are dropped", &TfrmPalette::txtRed, "1a2b8", "", "128", static_cast<TColor>(RGB(128, 20, 30))},
      {"255 is the largest", &TfrmPalette::txtBlue, "255", "", "255", static_cast<TColor>(RGB(128, 20, 255))},
      {"an empty field is refused", &TfrmPalette::txtGreen, "", "'' is not a valid integer value.", "20",
       static_cast<TColor>(RGB(128, 20, 255))},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    boxes.Boxes.clear();
    TEdit* edit = p.dlg.get()->*c.Edit;
    dlgtest::ClickCentre(edit);
    barinput::Tap(VK_END);
    for (int i = 0; i < 3; ++i) barinput::Tap(VK_BACK);
    dlgtest::TypeText(c.Typed);
    barinput::Tap(VK_TAB);
    testshots::SettleInput();
    if (*c.Message) {
      ASSERT_EQ(boxes.Boxes.size(), 1u);
      EXPECT_EQ(boxes.Boxes[0].Text, c.Message);
      EXPECT_NE(boxes.Boxes[0].Flags & MB_ICONERROR, 0u);
    } else {
      EXPECT_TRUE(boxes.Boxes.empty());
    }
    EXPECT_EQ(edit->Text(), c.Text);
    EXPECT_EQ(PalRgb(p->shpPreview->Brush()->Color()), PalRgb(c.Preview));
  }
  // The arrows step from the typed value and apply it at once.
  dlgtest::ClickAt(p->udRed, p->udRed->Width() / 2, 4);
  EXPECT_EQ(p->txtRed->Text(), "129");
  EXPECT_EQ(PalRgb(p->shpPreview->Brush()->Color()), PalRgb(static_cast<TColor>(RGB(129, 20, 255))));
  dlgtest::ClickAt(p->udBlue, p->udBlue->Width() / 2, p->udBlue->Height() - 4);
  EXPECT_EQ(p->txtBlue->Text(), "254");
  EXPECT_EQ(PalRgb(p->shpPreview->Brush()->Color()), PalRgb(static_cast<TColor>(RGB(129, 20, 254))));

  // A field emptied before it takes the focus counts as 0, without an error.
  dlgtest::ClickCentre(p->txtRed);
  boxes.Boxes.clear();
  p->txtGreen->SetText("");
  dlgtest::ClickCentre(p->txtGreen);
  dlgtest::TypeText("7");
  barinput::Tap(VK_TAB);
  EXPECT_TRUE(boxes.Boxes.empty());
  EXPECT_EQ(p->txtGreen->Tag(), 0);
  EXPECT_EQ(PalRgb(p->shpPreview->Brush()->Color()), PalRgb(static_cast<TColor>(RGB(129, 7, 254))));
}

TEST_F(PaletteDlgTest, OkInTheColourValueModeTakesTheTypedValue) {
  auto dlg = std::make_unique<TfrmPalette>(nullptr, pmEditColor, doc.get());
  dlg->PickedColor = static_cast<TColor>(RGB(10, 20, 30));
  TfrmPalette* d = dlg.get();
  dlgtest::TInputScript script({
      [d] { dlgtest::ClickCentre(d->txtGreen); },
      [] { barinput::Tap(VK_END); },
      [] { barinput::Tap(VK_BACK); },
      [] { barinput::Tap(VK_BACK); },
      [] { dlgtest::TypeText("99"); },
      // Enter closes through the default button while the edit has the focus.
      [] { barinput::Tap(VK_RETURN); },
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(script.Error(), "");
  EXPECT_EQ(PalRgb(dlg->shpPreview->Brush()->Color()), PalRgb(static_cast<TColor>(RGB(10, 99, 30))));
}

TEST_F(PaletteDlgTest, EditingTheGlobalMapChangesAddsAndRemovesColours) {
  routinestest::TMessageLog boxes;
  TShownPalette p(doc.get(), pmEditGlobal, -1);
  ASSERT_NE(p->WorkMap(), nullptr);
  TCmdColorMap* map = p->WorkMap();
  EXPECT_TRUE(p->btnColorAdd->Enabled());
  EXPECT_TRUE(p->btnColorDelete->Enabled());

  // An up-down click puts the values into the selected swatch at once.
  p.ClickCell(0);
  dlgtest::ClickAt(p->udRed, p->udRed->Width() / 2, 4);  // the upper arrow
  EXPECT_EQ(p->udRed->Position(), 1);
  EXPECT_EQ(PalRgb(map->ColorAt(0)), PalRgb(static_cast<TColor>(RGB(1, 0, 0))));
  EXPECT_EQ(PalRgb(testshots::Px(testshots::Shot(p->pbPalette, false).get(), 8, 8)),
            PalRgb(static_cast<TColor>(RGB(1, 0, 0))));
  EXPECT_EQ(PalRgb(doc->GlobalColorMap()->ColorAt(0)), PalRgb(kPalGlobal[0])) << "the document's map is left alone";

  struct TStep {
    const char* Name;
    Integer Cell;  // clicked first; -1: none
    TSpeedButton* TfrmPalette::*Button;
    std::vector<TColor> Map;  // after the step
    Integer Selected;
    const char* Message;
  };
  const TColor white = static_cast<TColor>(RGB(255, 255, 255)), dark = static_cast<TColor>(RGB(1, 0, 0));
  const TStep steps[] = {
      {"red is drawn by frame 2's pixels", 1, &TfrmPalette::btnColorDelete,
       {dark, kPalGlobal[1], kPalGlobal[2], kPalGlobal[3], kPalGlobal[4]}, 1,
       "This color is required by the image and cannot be removed."},
      {"unused blue goes", 3, &TfrmPalette::btnColorDelete, {dark, kPalGlobal[1], kPalGlobal[2], kPalGlobal[4]}, 2, ""},
      {"the second red duplicates the first", 3, &TfrmPalette::btnColorDelete, {dark, kPalGlobal[1], kPalGlobal[2]}, 2,
       ""},
      {"white is added and selected", -1, &TfrmPalette::btnColorAdd, {dark, kPalGlobal[1], kPalGlobal[2], white}, 3, ""},
  };
  for (const TStep& s : steps) {
    SCOPED_TRACE(s.Name);
    boxes.Boxes.clear();
    if (s.Cell >= 0) p.ClickCell(s.Cell);
    dlgtest::ClickCentre(p.dlg.get()->*s.Button);
    std::vector<TColor> got;
    for (Integer i = 0; i < map->Count(); ++i) got.push_back(PalRgb(map->ColorAt(i)));
    std::vector<TColor> want;
    for (TColor c : s.Map) want.push_back(PalRgb(c));
    EXPECT_EQ(got, want);
    EXPECT_EQ(p->SelectedIndex, s.Selected);
    EXPECT_EQ(p.PickerCell(), PalCellOf(s.Selected));
    EXPECT_EQ(PalRgb(p->shpPreview->Brush()->Color()), want[s.Selected]);
    if (*s.Message) {
      ASSERT_EQ(boxes.Boxes.size(), 1u);
      EXPECT_EQ(boxes.Boxes[0].Text, s.Message);
      EXPECT_NE(boxes.Boxes[0].Flags & MB_ICONINFORMATION, 0u);
    } else {
      EXPECT_TRUE(boxes.Boxes.empty());
    }
    ExpectPaletteGrid(p.dlg.get(), s.Map, s.Selected);
  }

  // Down to two entries Delete refuses; at 256 Add does.
  map->RemoveEntry(3);
  map->RemoveEntry(2);
  p->btnColorDeleteClick(p->btnColorDelete);
  EXPECT_EQ(map->Count(), 2);
  EXPECT_FALSE(p->btnColorDelete->Enabled());
  while (map->Count() < 255) map->AppendColor(clGray);
  p->btnColorAddClick(p->btnColorAdd);
  EXPECT_EQ(map->Count(), 256);
  EXPECT_FALSE(p->btnColorAdd->Enabled());
  p->btnColorAddClick(p->btnColorAdd);
  EXPECT_EQ(map->Count(), 256);

  // With no entry selected (a caller's preset), the values show but no entry changes.
  p->SelectedIndex = -1;
  const TColor before = PalRgb(map->ColorAt(0));
  boxes.Boxes.clear();
  dlgtest::ClickAt(p->udGreen, p->udGreen->Width() / 2, 4);
  EXPECT_TRUE(boxes.Boxes.empty());
  EXPECT_EQ(PalRgb(map->ColorAt(0)), before);
  EXPECT_EQ(map->Count(), 256);
  EXPECT_EQ(PalRgb(p->shpPreview->Brush()->Color()), PalRgb(static_cast<TColor>(
                                                      RGB(p->udRed->Position(), p->udGreen->Position(),
                                                          p->udBlue->Position()))));
}

// --- Which colours may go ------------------------------------------------------------------

TEST_F(PaletteDlgTest, PixelUseDecidesWhetherAColourMayBeRemoved) {
  TCmdColorMap global;
  global.Assign(doc->GlobalColorMap());
  TCmdColorMap sortedGlobal;
  sortedGlobal.Assign(doc->GlobalColorMap());
  sortedGlobal.SetSorted(true);
  TCmdColorMap local;
  local.Assign(doc->Frames()->FrameAt(0)->ColorMap());
  struct TCase {
    const char* Name;
    TGIFColorMap* Map;
    Integer Index, FrameIndex;
    bool Deletable;
  };
  const TCase cases[] = {
      {"a duplicate of a lower entry", &global, 4, -1, true},
      {"used by a frame on the global map", &global, 1, -1, false},
      {"a higher duplicate in a map sorted by use", &sortedGlobal, 1, -1, true},
      {"unused by the frames on the global map", &global, 3, -1, true},
      {"frame 1's index 19 is unused", &local, 19, 0, true},
      {"frame 1's index 7 is used", &local, 7, 0, false},
      {"a frame without pixels", &global, 0, 2, true},
      {"no such entry", &global, 5, -1, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(CanDeleteColor(doc.get(), c.Map, c.Index, c.FrameIndex), c.Deletable);
  }
  struct TUse {
    Integer Frame, Index;
    bool Used;
  };
  const TUse uses[] = {{0, 7, true}, {0, 18, true}, {0, 19, false}, {1, 2, true},
                       {1, 3, false}, {2, 0, false}, {9, 0, false}, {-1, 0, false}};
  for (const TUse& u : uses)
    EXPECT_EQ(ColorIndexUsed(doc.get(), u.Frame, u.Index), u.Used) << "frame " << u.Frame << " index " << u.Index;
}

}  // namespace
