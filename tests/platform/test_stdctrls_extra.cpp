// Standard and extended controls headless, part two: the image's progress
// event, panel borders, list box tab stops and horizontal scrolling, tab
// positions, the combo box's edit part, selection and drop-down typing, edit
// extras, masked-edit validation, and bitmaps loaded with colours mapped.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ExtCtrls.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "platform/SysUtils.h"
#include "platform/Tabs.h"
#include "platform/TypInfo.h"
#include "tests/support/ui.h"

#include <commctrl.h>

namespace {

using testui::NewForm;

bool HasStyle(HWND Wnd, LONG Bit) { return (GetWindowLongW(Wnd, GWL_STYLE) & Bit) != 0; }

bool IsDark(TBitmap& B, Integer X, Integer Y) {
  const Integer c = ColorToRGB(B.Canvas()->Pixels(X, Y));
  return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128;
}

// The leftmost column of a row band with a dark pixel, or -1.
Integer FirstDarkColumn(TBitmap& B, Integer Top, Integer Bottom, Integer From = 0) {
  for (Integer x = From; x < B.Width(); ++x)
    for (Integer y = Top; y < Bottom; ++y)
      if (IsDark(B, x, y)) return x;
  return -1;
}

// What the window shows on the screen (a scrolled list box paints itself
// only there, not into a device context it is given).
std::unique_ptr<TBitmap> WindowShot(TWinControl* C) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(C->Width(), C->Height());
  UpdateWindow(C->Handle());
  HDC dc = GetDC(C->Handle());
  BitBlt(b->Canvas()->Handle(), 0, 0, C->Width(), C->Height(), dc, 0, 0, SRCCOPY);
  ReleaseDC(C->Handle(), dc);
  return b;
}

std::unique_ptr<TBitmap> Snapshot(TWinControl* C) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(C->Width(), C->Height());
  C->PaintTo(b->Canvas(), 0, 0);
  return b;
}

// ---------------------------------------------------------------------------
// A graphic that reports progress while it loads and while it "renders".
class TSlowGraphic : public TBitmap {
 public:
  T_GRAPHIC_CLASS(TSlowGraphic)
  void LoadFromStream(TStream*) override {
    Progress(this, psStarting, 0, false, TRect{}, "Loading...");
    SetSize(4, 4);
    Progress(this, psRunning, 50, true, Rect(0, 0, 4, 2), "Loading...");
    Progress(this, psEnding, 100, true, TRect{}, "Loading...");
  }
  void Render() { Progress(this, psRunning, 42, false, TRect{}, "Rendering..."); }
};

class TfrmProgress : public TForm {
 public:
  T_CLASSNAME(TfrmProgress)
  using TForm::TForm;
  TImage* ImageGIF = nullptr;
  std::vector<std::string> seen;
  void ImageGIFProgress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                        const std::string& Msg) {
    seen.push_back(Format("%s %d %d %d %d %s", {dynamic_cast<TSlowGraphic*>(Sender) ? "graphic" : "?",
                                                 static_cast<Integer>(Stage), static_cast<Integer>(PercentDone),
                                                 RedrawNow ? 1 : 0, R.Bottom, Msg}));
  }
};

// Registered by the test that needs them, not at start-up: the file format
// would show in the picture filters of every test sharing this executable.
void RegisterProgressForm() {
  static const bool registered = [] {
    RegisterClassInfo<TfrmProgress, TForm>("TfrmProgress");
    RegisterHandlers<TfrmProgress>({{"ImageGIFProgress", &TfrmProgress::ImageGIFProgress}});
    RegisterFields<TfrmProgress>({{"ImageGIF", &TfrmProgress::ImageGIF}});
    TPicture::RegisterFileFormat("slowimg", "Slow images", GraphicClassOf<TSlowGraphic>());
    return true;
  }();
  (void)registered;
}

const char* const kProgressForm =
    "object frmProgress: TfrmProgress\n"
    "  object ImageGIF: TImage\n"
    "    Width = 50\n"
    "    Height = 50\n"
    "    IncrementalDisplay = True\n"
    "    OnProgress = ImageGIFProgress\n"
    "  end\n"
    "end\n";

TEST(ImageProgress, ProgressOfThePicturesGraphicReachesTheBoundHandler) {
  RegisterProgressForm();
  TfrmProgress form(nullptr);
  ReadComponentFromText(kProgressForm, &form);
  ASSERT_NE(form.ImageGIF, nullptr);
  const std::string file = IncludeTrailingPathDelimiter(GetTempPathStr()) + "progress_test.slowimg";
  {
    TFileStream f(file, fmCreate);
    f.Write("x", 1);
  }
  form.Show();
  // Loading reports through the picture, then a later operation of the held graphic does too.
  form.ImageGIF->Picture()->LoadFromFile(file);
  DeleteFile(file);
  auto* g = dynamic_cast<TSlowGraphic*>(form.ImageGIF->Picture()->Graphic());
  ASSERT_NE(g, nullptr);
  g->Render();
  EXPECT_EQ(form.seen, (std::vector<std::string>{"graphic 0 0 0 0 Loading...", "graphic 1 50 1 2 Loading...",
                                                 "graphic 2 100 1 0 Loading...", "graphic 1 42 0 0 Rendering..."}));
  // A copy assigned to the picture reports as well.
  TSlowGraphic other;
  other.SetSize(2, 2);
  form.ImageGIF->Picture()->SetGraphic(&other);
  dynamic_cast<TSlowGraphic*>(form.ImageGIF->Picture()->Graphic())->Render();
  EXPECT_EQ(form.seen.size(), 5u);
  // Written back by its handler's name.
  EXPECT_NE(WriteComponentToText(&form).find("OnProgress = ImageGIFProgress"), std::string::npos);
}

// ---------------------------------------------------------------------------
TEST(Panel, BorderWidthAndBevelsInsetAlignedChildrenOnce) {
  struct Case {
    TPanelBevel Outer, Inner;
    Integer BevelWidth, BorderWidth, Inset;
  };
  const Case cases[] = {
      {bvNone, bvNone, 1, 0, 0},    {bvNone, bvNone, 1, 2, 2},     {bvRaised, bvNone, 1, 0, 1},
      {bvRaised, bvNone, 1, 1, 2},  {bvRaised, bvLowered, 2, 2, 6}, {bvLowered, bvSpace, 3, 0, 6},
  };
  TForm* form = NewForm();
  form->Show();
  for (const Case& c : cases) {
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 100, 60);
    panel->SetBevelOuter(c.Outer);
    panel->SetBevelInner(c.Inner);
    panel->SetBevelWidth(c.BevelWidth);
    panel->SetBorderWidth(c.BorderWidth);
    auto* child = new TPanel(form);
    child->SetParent(panel);
    child->SetBevelOuter(bvNone);
    child->SetColor(clRed);
    child->SetAlign(alClient);
    EXPECT_EQ(child->BoundsRect(), Rect(c.Inset, c.Inset, 100 - c.Inset, 60 - c.Inset))
        << "outer " << c.Outer << " inner " << c.Inner << " border " << c.BorderWidth;
    // The panel's frame shows up to the child, no gap of panel colour beyond it.
    auto shot = Snapshot(panel);
    EXPECT_EQ(ColorToRGB(shot->Canvas()->Pixels(c.Inset, 30)), ColorToRGB(clRed));
    if (c.Inset > 0) {
      EXPECT_NE(ColorToRGB(shot->Canvas()->Pixels(c.Inset - 1, 30)), ColorToRGB(clRed));
    }
    delete panel;
  }
  delete form;
}

TEST(Panel, LockedIsReadFromTheFormFile) {
  TForm form(nullptr);
  ReadComponentFromText(
      "object f: TForm\n  object p: TPanel\n    Locked = True\n    BorderWidth = 1\n  end\nend\n", &form);
  auto* p = dynamic_cast<TPanel*>(form.FindComponent("p"));
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(p->Locked());
  EXPECT_EQ(p->BorderWidth(), 1);
}

// ---------------------------------------------------------------------------
TEST(ListBoxScrolling, LongEntryScrollsHorizontallyToItsEnd) {
  TForm* form = NewForm();
  form->SetColor(clWhite);
  auto* box = new TListBox(form);
  box->SetParent(form);
  box->SetBounds(0, 0, 120, 80);
  box->SetBorderStyle(bsNone);
  form->Show();
  // A mark at both ends of a long entry; the extent covers all of it.
  box->Items()->Add("W" + std::string(80, ' ') + "W");
  box->Canvas()->SetFont(box->Font());
  const Integer extent = box->Canvas()->TextWidth(box->Items()->Strings(0)) + 8;
  SendMessageW(box->Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent), 0);
  EXPECT_TRUE(HasStyle(box->Handle(), WS_HSCROLL));
  const Integer rowBottom = box->ItemHeight();
  // (Rows 2 .. height - 2 from column 2 on: the text, not the focus frame.)
  auto before = WindowShot(box);
  EXPECT_GE(FirstDarkColumn(*before, 2, rowBottom - 2, 2), 2);
  EXPECT_LT(FirstDarkColumn(*before, 2, rowBottom - 2, 2), 10);

  SendMessageW(box->Handle(), WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), 0);
  EXPECT_EQ(GetScrollPos(box->Handle(), SB_HORZ), extent - box->ClientWidth());
  // The first mark went out of view at the left; the last one is in view.
  auto after = WindowShot(box);
  const Integer mark = FirstDarkColumn(*after, 2, rowBottom - 2, 2);
  EXPECT_GT(mark, 40);
  EXPECT_LT(mark, box->ClientWidth() - 2);
  delete form;
}

TEST(ListBoxScrolling, TabWidthSetsTheTabStops) {
  TForm* form = NewForm();
  auto* box = new TListBox(form);
  box->SetParent(form);
  box->SetBounds(0, 0, 200, 80);
  box->SetBorderStyle(bsNone);
  box->Items()->Add("\tW");
  form->Show();
  EXPECT_FALSE(HasStyle(box->Handle(), LBS_USETABSTOPS));
  // 80 dialog units: the W well to the right; the entries survive the new window.
  box->SetTabWidth(80);
  EXPECT_TRUE(HasStyle(box->Handle(), LBS_USETABSTOPS));
  EXPECT_EQ(box->Items()->Count(), 1);
  // Dialog units of the box's font: a quarter of its average character width.
  box->Canvas()->SetFont(box->Font());
  const Integer avg = (box->Canvas()->TextWidth("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
  auto shot = Snapshot(box);
  const Integer x = FirstDarkColumn(*shot, 0, box->ItemHeight());
  EXPECT_GE(x, 80 * avg / 4 - 2);
  EXPECT_LT(x, 80 * avg / 4 + 8);
  box->SetTabWidth(-3);
  EXPECT_EQ(box->TabWidth(), 0);

  TForm read(nullptr);
  ReadComponentFromText("object f: TForm\n  object lb: TListBox\n    TabWidth = 12\n  end\nend\n", &read);
  EXPECT_EQ(dynamic_cast<TListBox*>(read.FindComponent("lb"))->TabWidth(), 12);
  delete form;
}

// ---------------------------------------------------------------------------
TEST(PageControlLook, TabPositionMovesThePagesAndHotTrackSetsTheStyle) {
  TForm* form = NewForm(300, 200);
  auto* pc = new TPageControl(form);
  pc->SetParent(form);
  pc->SetBounds(0, 0, 300, 200);
  auto* a = new TTabSheet(form);
  a->SetPageControl(pc);
  a->SetCaption("First");
  auto* b = new TTabSheet(form);
  b->SetPageControl(pc);
  b->SetCaption("Second");
  pc->SetActivePage(b);
  form->Show();
  const TRect top = b->BoundsRect();
  EXPECT_GT(top.Top, 15);

  struct Case {
    TTabPosition Position;
    LONG Style;
  };
  for (Case c : {Case{tpBottom, TCS_BOTTOM}, Case{tpLeft, TCS_VERTICAL}, Case{tpRight, TCS_VERTICAL | TCS_RIGHT},
                 Case{tpTop, 0}}) {
    pc->SetTabPosition(c.Position);
    const LONG style = GetWindowLongW(pc->Handle(), GWL_STYLE);
    EXPECT_EQ(style & (TCS_BOTTOM | TCS_VERTICAL | TCS_RIGHT), c.Style) << c.Position;
    // The window was made anew: tabs, active page and its room follow.
    EXPECT_EQ(SendMessageW(pc->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(pc->ActivePage(), b);
    EXPECT_EQ(SendMessageW(pc->Handle(), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(b->BoundsRect(), pc->DisplayRect());
    const TRect r = b->BoundsRect();
    switch (c.Position) {
      case tpBottom:
        EXPECT_LT(r.Top, 8);
        EXPECT_LT(r.Bottom, 200 - 15);
        break;
      case tpLeft: EXPECT_GT(r.Left, 15); break;
      case tpRight: EXPECT_LT(r.Right, 300 - 15); break;
      case tpTop: EXPECT_EQ(r, top); break;
    }
  }
  EXPECT_FALSE(HasStyle(pc->Handle(), TCS_HOTTRACK));
  pc->SetHotTrack(true);
  EXPECT_TRUE(HasStyle(pc->Handle(), TCS_HOTTRACK));

  TForm read(nullptr);
  ReadComponentFromText(
      "object f: TForm\n  object pc: TPageControl\n    TabPosition = tpBottom\n    HotTrack = True\n  end\nend\n",
      &read);
  auto* rpc = dynamic_cast<TPageControl*>(read.FindComponent("pc"));
  ASSERT_NE(rpc, nullptr);
  EXPECT_EQ(rpc->TabPosition(), tpBottom);
  EXPECT_TRUE(rpc->HotTrack());
  delete form;
}

// ---------------------------------------------------------------------------
// A combo that takes some messages of its edit part before the platform does.
class TGuardedCombo : public TComboBox {
 public:
  using TComboBox::TComboBox;
  std::vector<UINT> taken;
  bool refusePaste = true;

 protected:
  void EditWndProc(TMessage& Message) override {
    if (Message.Msg == WM_PASTE && refusePaste) {
      taken.push_back(Message.Msg);
      return;
    }
    TComboBox::EditWndProc(Message);
  }
};

TEST(ComboBoxEditPart, EditPartRunsTheKeyEventsAndCanBeIntercepted) {
  TForm* form = NewForm();
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetTop(100);
  auto* combo = new TGuardedCombo(form);
  combo->SetParent(form);
  combo->Items()->Add("Alpha");
  std::vector<std::string> events;
  combo->OnKeyDown = [&](TObject*, Word& Key, TShiftState) { events.push_back("down " + std::to_string(Key)); };
  combo->OnKeyPress = [&](TObject*, char& Key) {
    events.push_back(std::string("press ") + Key);
    if (Key == 'q') Key = 0;  // swallowed
  };
  combo->OnKeyUp = [&](TObject*, Word& Key, TShiftState) { events.push_back("up " + std::to_string(Key)); };
  int enters = 0;
  combo->OnEnter = [&](TObject*) { ++enters; };
  form->Show();
  HWND edit = combo->EditHandle();
  ASSERT_NE(edit, nullptr);
  ASSERT_NE(edit, combo->Handle());

  // The focus in the edit part is the combo's.
  combo->SetFocus();
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(form->ActiveControl(), combo);
  EXPECT_EQ(enters, 1);

  // The key-down of a letter brings its character (the message loop translates it).
  PostMessageW(edit, WM_KEYDOWN, 'A', 1);
  Application->ProcessMessages();
  PostMessageW(edit, WM_CHAR, 'q', 1);
  PostMessageW(edit, WM_KEYUP, 'A', 0xC0000001);
  Application->ProcessMessages();
  EXPECT_EQ(events, (std::vector<std::string>{"down 65", "press a", "press q", "up 65"}));
  EXPECT_EQ(combo->Text(), "a");

  // The subclass refuses a paste; the text stays.
  SendMessageW(edit, WM_PASTE, 0, 0);
  EXPECT_EQ(combo->taken, (std::vector<UINT>{WM_PASTE}));
  EXPECT_EQ(combo->Text(), "a");

  // The hook survives a new window.
  combo->SetSorted(true);
  EXPECT_NE(combo->EditHandle(), edit);
  events.clear();
  combo->SetFocus();
  PostMessageW(combo->EditHandle(), WM_CHAR, 'z', 1);
  Application->ProcessMessages();
  EXPECT_EQ(events, (std::vector<std::string>{"press z"}));
  other->SetFocus();
  EXPECT_EQ(form->ActiveControl(), other);

  // The always-open style has its edit part hooked as well.
  combo->SetStyle(csSimple);
  ASSERT_NE(combo->EditHandle(), nullptr);
  events.clear();
  combo->SetFocus();
  EXPECT_EQ(GetFocus(), combo->EditHandle());
  PostMessageW(combo->EditHandle(), WM_CHAR, 'y', 1);
  Application->ProcessMessages();
  EXPECT_EQ(events, (std::vector<std::string>{"press y"}));
  // The list styles have none.
  combo->SetStyle(csDropDownList);
  EXPECT_EQ(combo->EditHandle(), nullptr);
  delete form;
}

TEST(ComboBoxEditPart, AutoDropDownOpensTheListOnTyping) {
  struct Case {
    TComboBoxStyle Style;
    wchar_t Char;
    bool Auto;
    bool Dropped;
  };
  const Case cases[] = {
      {csDropDownList, L'b', true, true},    {csDropDownList, L'b', false, false},
      {csDropDownList, VK_ESCAPE, true, false}, {csDropDownList, VK_BACK, true, false},
      {csDropDown, L'b', true, true},        {csDropDown, L'b', false, false},
  };
  for (const Case& c : cases) {
    TForm* form = NewForm();
    auto* combo = new TComboBox(form);
    combo->SetParent(form);
    combo->SetStyle(c.Style);
    combo->Items()->Add("Background");
    combo->Items()->Add("Black");
    combo->SetAutoDropDown(c.Auto);
    int drops = 0;
    combo->OnDropDown = [&](TObject*) { ++drops; };
    form->Show();
    combo->SetFocus();
    HWND target = c.Style == csDropDown ? combo->EditHandle() : combo->Handle();
    PostMessageW(target, WM_CHAR, c.Char, 1);
    Application->ProcessMessages();
    // (A list-only combo may close again on the typed character: the window's own business.)
    EXPECT_EQ(drops, c.Dropped ? 1 : 0) << "style " << c.Style << " char " << static_cast<int>(c.Char) << " auto " << c.Auto;
    combo->SetDroppedDown(false);
    delete form;
  }
}

TEST(ComboBoxEditPart, EditPartShowsTheControlsColours) {
  TForm* form = NewForm();
  auto* combo = new TComboBox(form);
  combo->SetParent(form);
  combo->SetColor(clYellow);
  form->Show();
  auto shot = WindowShot(combo);
  // Inside the edit part, left of any text.
  EXPECT_EQ(ColorToRGB(shot->Canvas()->Pixels(4, combo->Height() / 2)), ColorToRGB(clYellow));
  delete form;
}

TEST(ComboBoxEditPart, SelectionOfTheEditPart) {
  TForm* form = NewForm();
  auto* combo = new TComboBox(form);
  combo->SetParent(form);
  form->Show();
  combo->SetText("Grün und Blau");
  combo->SetSelStart(2);
  combo->SetSelLength(6);
  EXPECT_EQ(combo->SelStart(), 2);
  EXPECT_EQ(combo->SelLength(), 6);
  EXPECT_EQ(combo->SelText(), "ün und");
  combo->SetSelText("au");
  EXPECT_EQ(combo->Text(), "Grau Blau");
  EXPECT_EQ(combo->SelLength(), 0);

  combo->SetStyle(csDropDownList);
  combo->Items()->Add("Previous");
  combo->SetItemIndex(0);
  EXPECT_EQ(combo->SelText(), "");
  combo->SetSelText("x");
  EXPECT_EQ(combo->Text(), "Previous");

  // Typed characters follow CharCase.
  combo->SetStyle(csDropDown);
  combo->SetCharCase(ecUpperCase);
  combo->SetText("");
  combo->SetFocus();
  PostMessageW(combo->EditHandle(), WM_CHAR, 'k', 1);
  Application->ProcessMessages();
  EXPECT_EQ(combo->Text(), "K");

  TForm read(nullptr);
  ReadComponentFromText(
      "object f: TForm\n  object cb: TComboBox\n    AutoDropDown = True\n    CharCase = ecLowerCase\n  end\nend\n",
      &read);
  auto* rcb = dynamic_cast<TComboBox*>(read.FindComponent("cb"));
  ASSERT_NE(rcb, nullptr);
  EXPECT_TRUE(rcb->AutoDropDown());
  EXPECT_EQ(rcb->CharCase(), ecLowerCase);
  delete form;
}

// ---------------------------------------------------------------------------
TEST(EditExtras, PasswordCharSelTextAndOEMConvert) {
  TForm* form = NewForm();
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetPasswordChar('*');
  form->Show();
  edit->SetText("geheim");
  EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_EQ(edit->Text(), "geheim");
  edit->SetPasswordChar(0);
  EXPECT_EQ(SendMessageW(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), 0);

  edit->SetText("1 € 2");
  edit->SetSelStart(2);
  edit->SetSelLength(1);
  EXPECT_EQ(edit->SelText(), "€");
  edit->SetSelText("$");
  EXPECT_EQ(edit->Text(), "1 $ 2");

  edit->SetOEMConvert(true);
  EXPECT_TRUE(HasStyle(edit->Handle(), ES_OEMCONVERT));
  EXPECT_EQ(edit->Text(), "1 $ 2");

  TForm read(nullptr);
  ReadComponentFromText("object f: TForm\n  object e: TEdit\n    PasswordChar = '#'\n  end\nend\n", &read);
  auto* re = dynamic_cast<TEdit*>(read.FindComponent("e"));
  ASSERT_NE(re, nullptr);
  EXPECT_EQ(re->PasswordChar(), '#');
  EXPECT_NE(WriteComponentToText(&read).find("PasswordChar = '#'"), std::string::npos);
  delete form;
}

// A masked edit whose validation error is replaced, as a descendant may do.
class TCountingMaskEdit : public TMaskEdit {
 public:
  using TMaskEdit::TMaskEdit;
  int errors = 0;

 protected:
  void ValidateError() override {
    ++errors;
    TMaskEdit::ValidateError();
  }
};

TEST(MaskEdit, EditedTextMustFillTheMaskBeforeTheFocusLeaves) {
  TForm* form = NewForm();
  auto* mask = new TCountingMaskEdit(form);
  mask->SetParent(form);
  mask->SetEditMask("00L;0;_");
  auto* next = new TEdit(form);
  next->SetParent(form);
  next->SetTop(40);
  int exits = 0;
  mask->OnExit = [&](TObject*) { ++exits; };
  std::vector<std::string> reported;
  Application->OnException = [&](TObject*, const Exception& E) { reported.push_back(E.ClassName()); };
  form->Show();

  struct Case {
    const char* Text;
    bool Modified;
    bool Valid;
    Integer CaretAt;
  };
  const Case cases[] = {
      {"12A", true, true, 0}, {"12", true, false, 2},  {"1_A", true, false, 1},
      {"12", false, true, 0}, {"x2A", true, false, 0}, {"", true, false, 0},
  };
  for (const Case& c : cases) {
    mask->SetFocus();
    mask->SetText(c.Text);
    mask->SetModified(c.Modified);
    reported.clear();
    exits = 0;
    mask->errors = 0;
    next->SetFocus();
    if (c.Valid) {
      EXPECT_EQ(form->ActiveControl(), next) << c.Text;
      EXPECT_EQ(exits, 1) << c.Text;
      EXPECT_TRUE(reported.empty()) << c.Text;
    } else {
      // The focus stays with the caret at the first position to fix.
      EXPECT_EQ(form->ActiveControl(), mask) << c.Text;
      EXPECT_EQ(GetFocus(), mask->Handle()) << c.Text;
      EXPECT_EQ(mask->SelStart(), c.CaretAt) << c.Text;
      EXPECT_EQ(mask->errors, 1) << c.Text;
      EXPECT_EQ(exits, 0) << c.Text;
      EXPECT_EQ(reported, (std::vector<std::string>{"EDBEditError"})) << c.Text;
    }
  }
  Application->OnException = nullptr;
  delete form;
}

// ---------------------------------------------------------------------------
// The glyphs of test_stdctrls_extra.rc: white, green, black, green.
TEST(MappedBitmap, ResourceColoursAreReplacedInPaletteAndTrueColourBitmaps) {
  const std::vector<TColor> from = {clWhite, clGreen, clBlack};
  const std::vector<TColor> to = {clBtnFace, TColor(RGB(28, 81, 128)), clBlack};
  HINSTANCE self = GetModuleHandleW(nullptr);
  for (const char* name : {"MAPPED_GLYPH_8BIT", "MAPPED_GLYPH_24BIT"}) {
    TBitmap b;
    b.SetHandle(CreateMappedRes(self, name, from, to));
    ASSERT_FALSE(b.Empty()) << name;
    ASSERT_EQ(b.Width(), 4);
    EXPECT_EQ(ColorToRGB(b.Canvas()->Pixels(0, 0)), ColorToRGB(clBtnFace)) << name;
    EXPECT_EQ(ColorToRGB(b.Canvas()->Pixels(1, 0)), Integer(RGB(28, 81, 128))) << name;
    EXPECT_EQ(ColorToRGB(b.Canvas()->Pixels(2, 0)), 0) << name;
    EXPECT_EQ(ColorToRGB(b.Canvas()->Pixels(3, 0)), Integer(RGB(28, 81, 128))) << name;
  }
  // A palette glyph keeps its colour table (mapped), not a true-colour copy.
  HBITMAP h = CreateMappedRes(self, "MAPPED_GLYPH_8BIT", from, to);
  DIBSECTION ds{};
  ASSERT_EQ(GetObjectW(h, sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
  EXPECT_EQ(ds.dsBmih.biBitCount, 8);
  DeleteObject(h);
  // Unknown names give no bitmap.
  EXPECT_EQ(CreateMappedRes(self, "NO_SUCH_GLYPH", from, to), nullptr);
  EXPECT_EQ(CreateMappedBmp(nullptr, from, to), nullptr);
}

TEST(MappedBitmap, BitmapInMemoryIsCopiedNotChanged) {
  TBitmap source;
  source.SetPixelFormat(pf24bit);
  source.SetSize(3, 1);
  source.Canvas()->SetPixels(0, 0, clRed);
  source.Canvas()->SetPixels(1, 0, clLime);
  source.Canvas()->SetPixels(2, 0, clRed);
  // The first pair that matches decides; unmatched colours stay.
  TBitmap mapped;
  mapped.SetHandle(CreateMappedBmp(source.Handle(), {clRed, clRed}, {clBlue, clYellow}));
  EXPECT_EQ(ColorToRGB(mapped.Canvas()->Pixels(0, 0)), ColorToRGB(clBlue));
  EXPECT_EQ(ColorToRGB(mapped.Canvas()->Pixels(1, 0)), ColorToRGB(clLime));
  EXPECT_EQ(ColorToRGB(mapped.Canvas()->Pixels(2, 0)), ColorToRGB(clBlue));
  EXPECT_EQ(ColorToRGB(source.Canvas()->Pixels(0, 0)), ColorToRGB(clRed));
}

}  // namespace
