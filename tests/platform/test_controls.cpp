// Controls headless: alignment and anchors, tab order and focus, mouse
// enter/leave and clicks of windowed and windowless controls, reflected
// notifications, exceptions in handlers, PaintTo.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Forms.h"
#include "tests/support/ui.h"

namespace {

using Log = std::vector<std::string>;

using testui::NewForm;
using testui::PressKey;
using testui::PumpUntil;

// A windowed control that fills itself with its colour and logs notifications.
class TBox : public TCustomControl {
 public:
  T_CLASSNAME(TBox)
  TBox(TComponent* AOwner, std::string Tag, Log* L = nullptr) : TCustomControl(AOwner), tag(std::move(Tag)), log(L) {
    controlStyle_.Include(csAcceptsControls);
    controlStyle_.Include(csOpaque);
  }
  std::string tag;
  Log* log;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
  void CMMouseEnter(TMessage& M) override {
    TCustomControl::CMMouseEnter(M);
    if (log) log->push_back(tag + " enter");
  }
  void CMMouseLeave(TMessage& M) override {
    TCustomControl::CMMouseLeave(M);
    if (log) log->push_back(tag + " leave");
  }
};

// A windowless control painted by its parent.
class TSpot : public TGraphicControl {
 public:
  T_CLASSNAME(TSpot)
  TSpot(TComponent* AOwner, std::string Tag, Log* L = nullptr) : TGraphicControl(AOwner), tag(std::move(Tag)), log(L) {
    controlStyle_.Include(csOpaque);
  }
  std::string tag;
  Log* log;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
  void CMMouseEnter(TMessage& M) override {
    TGraphicControl::CMMouseEnter(M);
    if (log) log->push_back(tag + " enter");
  }
  void CMMouseLeave(TMessage& M) override {
    TGraphicControl::CMMouseLeave(M);
    if (log) log->push_back(tag + " leave");
  }
};

// A focusable control over the platform's edit class.
class TTestEdit : public TWinControl {
 public:
  T_CLASSNAME(TTestEdit)
  TTestEdit(TComponent* AOwner, std::string Tag, Log* L = nullptr) : TWinControl(AOwner), tag(std::move(Tag)), log(L) {
    SetTabStop(true);
    SetBounds(0, 0, 80, 21);
    OnEnter = [this](TObject*) {
      if (log) log->push_back(tag + " enter");
    };
    OnExit = [this](TObject*) {
      if (log) log->push_back(tag + " exit");
    };
  }
  std::string tag;
  Log* log;
  Integer reflectedCtlColor = 0;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"EDIT");
    Params.Style |= ES_AUTOHSCROLL;
  }
  void CNCtlColor(TMessage& M) override {
    ++reflectedCtlColor;
    TWinControl::CNCtlColor(M);
  }
};

// A push button over the platform's button class that reports its click
// through the reflected WM_COMMAND.
class TTestButton : public TWinControl {
 public:
  T_CLASSNAME(TTestButton)
  explicit TTestButton(TComponent* AOwner) : TWinControl(AOwner) {
    // The button class tracks the mouse itself.
    SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
    SetBounds(0, 0, 75, 25);
  }
  Integer commands = 0;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"BUTTON");
    Params.Style |= BS_PUSHBUTTON;
  }
  void Dispatch(TMessage& M) override {
    if (M.Msg == CN_COMMAND && HIWORD(M.WParam) == BN_CLICKED) {
      ++commands;
      Click();
      return;
    }
    TWinControl::Dispatch(M);
  }
};

TRect BoundsOf(TControl* C) { return C->BoundsRect(); }

// ---------------------------------------------------------------------------
// Alignment and anchors.

class AlignTest : public ::testing::TestWithParam<bool> {};

TEST_P(AlignTest, AlignsInOrderAndFollowsResize) {
  bool withWindow = GetParam();
  TForm* form = NewForm(400, 300);
  auto* panel = new TBox(form, "panel");
  panel->SetParent(form);
  panel->SetBounds(0, 0, 200, 100);
  panel->SetBorderWidth(2);
  if (withWindow) form->Show();

  auto make = [&](TAlign a, Integer l, Integer t, Integer w, Integer h) {
    auto* c = new TSpot(form, "x");
    c->SetBounds(l, t, w, h);
    c->SetParent(panel);
    c->SetAlign(a);
    return c;
  };
  // Created out of order: alignment goes top, bottom, left, right, client and,
  // within one kind, by position.
  TSpot* client = make(alClient, 0, 0, 10, 10);
  TSpot* top2 = make(alTop, 0, 50, 10, 15);
  TSpot* top1 = make(alTop, 0, 0, 10, 10);
  TSpot* right = make(alRight, 0, 0, 30, 10);
  TSpot* left = make(alLeft, 0, 0, 20, 10);
  TSpot* bottom = make(alBottom, 0, 0, 10, 12);

  EXPECT_EQ(BoundsOf(top1), Rect(2, 2, 198, 12));
  EXPECT_EQ(BoundsOf(top2), Rect(2, 12, 198, 27));
  EXPECT_EQ(BoundsOf(bottom), Rect(2, 86, 198, 98));
  EXPECT_EQ(BoundsOf(left), Rect(2, 27, 22, 86));
  EXPECT_EQ(BoundsOf(right), Rect(168, 27, 198, 86));
  EXPECT_EQ(BoundsOf(client), Rect(22, 27, 168, 86));

  // Anchored controls, placed in the 200 x 100 panel.
  auto anchored = [&](TAnchors a) {
    auto* c = new TSpot(form, "a");
    c->SetParent(panel);
    c->SetBounds(50, 40, 20, 10);
    c->SetAnchors(a);
    return c;
  };
  TSpot* rb = anchored({akRight, akBottom});
  TSpot* lr = anchored({akLeft, akTop, akRight});
  TSpot* none = anchored({});
  TSpot* all = anchored({akLeft, akTop, akRight, akBottom});

  panel->SetBounds(0, 0, 300, 160);
  EXPECT_EQ(BoundsOf(top1), Rect(2, 2, 298, 12));
  EXPECT_EQ(BoundsOf(bottom), Rect(2, 146, 298, 158));
  EXPECT_EQ(BoundsOf(right), Rect(268, 27, 298, 146));
  EXPECT_EQ(BoundsOf(client), Rect(22, 27, 268, 146));
  EXPECT_EQ(BoundsOf(rb), Rect(150, 100, 170, 110));   // keeps right 130 and bottom 50
  EXPECT_EQ(BoundsOf(lr), Rect(50, 40, 170, 50));      // stretches
  EXPECT_EQ(BoundsOf(none), Rect(80, 67, 100, 77));    // centre moves proportionally
  EXPECT_EQ(BoundsOf(all), Rect(50, 40, 170, 110));

  // Back to the original size restores the original layout.
  panel->SetBounds(0, 0, 200, 100);
  EXPECT_EQ(BoundsOf(rb), Rect(50, 40, 70, 50));
  EXPECT_EQ(BoundsOf(all), Rect(50, 40, 70, 50));

  // A hidden aligned control gives its space away.
  top1->SetVisible(false);
  EXPECT_EQ(BoundsOf(top2), Rect(2, 2, 198, 17));
  delete form;
}

INSTANTIATE_TEST_SUITE_P(Controls, AlignTest, ::testing::Values(false, true));

TEST(Controls, FormClientSizeAndResizeEvent) {
  TForm* form = CreateForm<TForm>(nullptr);
  form->SetBorderStyle(bsSizeable);
  form->SetClientWidth(250);
  form->SetClientHeight(150);
  EXPECT_EQ(form->ClientWidth(), 250);
  EXPECT_EQ(form->ClientHeight(), 150);
  int resized = 0;
  form->OnResize = [&](TObject*) { ++resized; };
  form->Show();
  EXPECT_EQ(form->ClientWidth(), 250);
  EXPECT_EQ(form->ClientHeight(), 150);
  form->SetBounds(form->Left(), form->Top(), form->Width() + 20, form->Height());
  EXPECT_EQ(form->ClientWidth(), 270);
  EXPECT_GE(resized, 1);
  delete form;
}

// ---------------------------------------------------------------------------
// Tab order and focus.

TEST(Controls, TabMovesFocusInTabOrder) {
  Log log;
  TForm* form = NewForm(400, 300);
  auto* panel = new TBox(form, "panel");
  panel->SetParent(form);
  panel->SetBounds(0, 100, 300, 100);
  auto* a = new TTestEdit(form, "a", &log);
  auto* b = new TTestEdit(form, "b", &log);
  auto* skip = new TTestEdit(form, "skip", &log);
  auto* off = new TTestEdit(form, "off", &log);
  auto* c = new TTestEdit(form, "c", &log);  // inside the panel
  for (TTestEdit* e : {a, b, skip, off}) e->SetParent(form);
  c->SetParent(panel);
  skip->SetTabStop(false);
  off->SetEnabled(false);
  form->Show();

  a->SetFocus();
  ASSERT_TRUE(a->Focused());
  EXPECT_EQ(form->ActiveControl(), a);
  EXPECT_EQ(Screen->ActiveControl(), a);
  log.clear();

  // a -> b -> (skip: no tab stop, off: disabled, panel: no tab stop) -> c -> a
  PressKey(a->Handle(), VK_TAB);
  EXPECT_TRUE(b->Focused());
  PressKey(b->Handle(), VK_TAB);
  EXPECT_TRUE(c->Focused());
  EXPECT_EQ(form->ActiveControl(), c);
  PressKey(c->Handle(), VK_TAB);
  EXPECT_TRUE(a->Focused());
  EXPECT_EQ(log, (Log{"a exit", "b enter", "b exit", "c enter", "c exit", "a enter"}));

  // Shift+Tab goes back.
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE saved = keys[VK_SHIFT];
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  PressKey(a->Handle(), VK_TAB);
  keys[VK_SHIFT] = saved;
  SetKeyboardState(keys);
  EXPECT_TRUE(c->Focused());

  // A changed tab order is followed: b, panel (c), a, skip, off.
  b->SetTabOrder(0);
  EXPECT_EQ(b->TabOrder(), 0);
  EXPECT_EQ(panel->TabOrder(), 1);
  EXPECT_EQ(a->TabOrder(), 2);
  a->SetFocus();
  PressKey(a->Handle(), VK_TAB);
  EXPECT_TRUE(b->Focused());
  PressKey(b->Handle(), VK_TAB);
  EXPECT_TRUE(c->Focused());

  // Hiding the focused control's parent moves the active control away.
  panel->SetVisible(false);
  EXPECT_NE(form->ActiveControl(), c);
  delete form;
}

// ---------------------------------------------------------------------------
// Mouse.

LPARAM At(Integer X, Integer Y) { return MAKELPARAM(X, Y); }

TEST(Controls, MouseEnterAndLeaveForWindowedAndWindowless) {
  Log log;
  TForm* form = NewForm(400, 300);
  auto* box = new TBox(form, "box", &log);
  box->SetParent(form);
  box->SetBounds(100, 10, 50, 50);
  auto* spot = new TSpot(form, "spot", &log);
  spot->SetParent(form);
  spot->SetBounds(10, 10, 40, 40);
  auto* inner = new TSpot(form, "inner", &log);  // windowless, inside the windowed box
  inner->SetParent(box);
  inner->SetBounds(0, 0, 10, 10);
  form->Show();
  HWND fh = form->Handle();

  ::SendMessageW(fh, WM_MOUSEMOVE, 0, At(20, 20));      // over the windowless control
  ::SendMessageW(fh, WM_MOUSEMOVE, 0, At(25, 25));      // still there: nothing new
  ::SendMessageW(box->Handle(), WM_MOUSEMOVE, 0, At(30, 30));  // into the windowed control
  ::SendMessageW(box->Handle(), WM_MOUSEMOVE, 0, At(5, 5));    // its windowless child
  ::SendMessageW(box->Handle(), WM_MOUSEMOVE, 0, At(30, 30));
  ::SendMessageW(fh, WM_MOUSEMOVE, 0, At(300, 200));    // the form's empty area
  EXPECT_EQ(log, (Log{"spot enter", "spot leave", "box enter", "box leave", "inner enter", "inner leave",
                      "box enter", "box leave"}));
  EXPECT_EQ(MouseControl(), form);

  // A control that goes away while under the mouse is forgotten.
  ::SendMessageW(fh, WM_MOUSEMOVE, 0, At(20, 20));
  EXPECT_EQ(MouseControl(), spot);
  delete spot;
  EXPECT_EQ(MouseControl(), nullptr);
  delete form;
}

TEST(Controls, WindowlessControlGetsClicksAndCapture) {
  TForm* form = NewForm(400, 300);
  auto* spot = new TSpot(form, "spot");
  spot->SetParent(form);
  spot->SetBounds(10, 10, 40, 40);
  form->Show();
  HWND fh = form->Handle();
  int clicks = 0;
  std::vector<TPoint> downs;
  spot->OnClick = [&](TObject* s) {
    EXPECT_EQ(s, spot);
    ++clicks;
  };
  spot->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, Integer x, Integer y) {
    EXPECT_EQ(b, mbLeft);
    downs.push_back(Point(x, y));
  };

  ::SendMessageW(fh, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 20));
  EXPECT_EQ(GetCaptureControl(), spot);
  EXPECT_EQ(GetCapture(), fh);
  ::SendMessageW(fh, WM_LBUTTONUP, 0, At(16, 21));
  EXPECT_EQ(GetCaptureControl(), nullptr);
  EXPECT_EQ(clicks, 1);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0], Point(5, 10));  // in the control's coordinates

  // Released outside: the captured control gets the up, but no click.
  ::SendMessageW(fh, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 20));
  ::SendMessageW(fh, WM_LBUTTONUP, 0, At(200, 200));
  EXPECT_EQ(clicks, 1);
  delete form;
}

// ---------------------------------------------------------------------------
// Reflection and subclassing.

TEST(Controls, NotificationsAreReflectedToTheChild) {
  TForm* form = NewForm(400, 300);
  auto* button = new TTestButton(form);
  button->SetParent(form);
  auto* edit = new TTestEdit(form, "e");
  edit->SetParent(form);
  edit->SetTop(40);
  edit->SetColor(clRed);
  edit->Font()->SetColor(clBlue);
  form->Show();
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };

  ::SendMessageW(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(button->commands, 1);
  EXPECT_EQ(clicks, 1);

  HDC dc = GetDC(edit->Handle());
  LRESULT brush = ::SendMessageW(form->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(edit->Handle()));
  EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), edit->Brush()->Handle());
  EXPECT_EQ(GetTextColor(dc), static_cast<COLORREF>(ColorToRGB(clBlue)));
  EXPECT_EQ(GetBkColor(dc), static_cast<COLORREF>(ColorToRGB(clRed)));
  ReleaseDC(edit->Handle(), dc);
  EXPECT_GE(edit->reflectedCtlColor, 1);

  // The wrapped class still does its work: text goes through the edit window.
  edit->SetText("hello");
  EXPECT_EQ(edit->Text(), "hello");
  wchar_t buf[16];
  GetWindowTextW(edit->Handle(), buf, 16);
  EXPECT_EQ(std::wstring(buf), L"hello");

  // Recreating the window keeps the text and the children.
  edit->RecreateWnd();
  EXPECT_EQ(edit->Text(), "hello");
  EXPECT_TRUE(IsWindowVisible(edit->Handle()));
  delete form;
}

TEST(Controls, WindowsOfOtherProcessesAreNeverTakenForOurControls) {
  TForm* form = NewForm(400, 300);
  form->Show();
  EXPECT_EQ(TWinControl::FindControl(form->Handle()), form);

  // The desktop window belongs to another process. Give it the property our
  // windows carry, holding an address that means nothing in this process.
  HWND desktop = ::GetDesktopWindow();
  DWORD process = 0;
  ::GetWindowThreadProcessId(desktop, &process);
  ASSERT_NE(process, ::GetCurrentProcessId());
  ASSERT_TRUE(::SetPropW(desktop, L"ClassLibraryControl", reinterpret_cast<HANDLE>(0x10)));
  EXPECT_EQ(TWinControl::FindControl(desktop), nullptr);
  ::RemovePropW(desktop, L"ClassLibraryControl");
  delete form;
}

TEST(Controls, ColourAndFontComeFromTheParent) {
  TForm* form = NewForm(400, 300);
  form->SetColor(clYellow);
  auto* box = new TBox(form, "box");
  auto* spot = new TSpot(form, "spot");
  box->SetParent(form);
  spot->SetParent(box);
  EXPECT_EQ(box->Color(), clYellow);
  EXPECT_EQ(spot->Color(), clYellow);
  form->Font()->SetName("Arial");
  EXPECT_EQ(spot->Font()->Name(), "Arial");
  EXPECT_TRUE(spot->ParentFont());

  form->SetColor(clAqua);
  EXPECT_EQ(spot->Color(), clAqua);
  box->SetColor(clRed);  // own colour: the link to the parent ends
  EXPECT_FALSE(box->ParentColor());
  form->SetColor(clGreen);
  EXPECT_EQ(box->Color(), clRed);
  EXPECT_EQ(spot->Color(), clRed);
  box->SetParentColor(true);
  EXPECT_EQ(box->Color(), clGreen);
  delete form;
}

// ---------------------------------------------------------------------------
// Exceptions raised in handlers.

TEST(Controls, ExceptionInHandlerReachesApplicationAndLoopGoesOn) {
  TForm* form = NewForm(400, 300);
  auto* button = new TTestButton(form);
  button->SetParent(form);
  auto* spot = new TSpot(form, "spot");
  spot->SetParent(form);
  spot->SetBounds(100, 100, 20, 20);
  form->Show();

  std::vector<std::string> reported;
  std::vector<TObject*> senders;
  Application->OnException = [&](TObject* Sender, const Exception& E) {
    senders.push_back(Sender);
    reported.push_back(E.ClassName() + ": " + E.Message());
  };
  button->OnClick = [](TObject*) { throw EConvertError("bad number"); };
  int spotClicks = 0;
  spot->OnClick = [&](TObject*) {
    ++spotClicks;
    if (spotClicks == 1) throw EAbort("silent");
  };

  PostMessageW(button->Handle(), BM_CLICK, 0, 0);
  PostMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(105, 105));
  PostMessageW(form->Handle(), WM_LBUTTONUP, 0, At(105, 105));
  PostMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(105, 105));
  PostMessageW(form->Handle(), WM_LBUTTONUP, 0, At(105, 105));
  EXPECT_TRUE(PumpUntil([&] { return spotClicks == 2; }));
  EXPECT_EQ(reported, (std::vector<std::string>{"EConvertError: bad number"}));
  // Reported by the window whose message was being handled: the button's
  // click arrives as the form's reflected WM_COMMAND.
  ASSERT_EQ(senders.size(), 1u);
  EXPECT_EQ(senders[0], form);
  EXPECT_EQ(GetCaptureControl(), nullptr);
  Application->OnException = nullptr;
  delete form;
}

// ---------------------------------------------------------------------------
// PaintTo.

TEST(Controls, PaintToDrawsTheFormAndItsControls) {
  TForm* form = NewForm(120, 80);
  form->SetColor(clWhite);
  auto* red = new TBox(form, "red");
  red->SetParent(form);
  red->SetBounds(10, 10, 40, 30);
  red->SetColor(clRed);
  auto* green = new TBox(form, "green");  // nested windowed control
  green->SetParent(red);
  green->SetBounds(20, 5, 10, 10);
  green->SetColor(clLime);
  auto* blue = new TSpot(form, "blue");  // windowless
  blue->SetParent(form);
  blue->SetBounds(70, 20, 20, 20);
  blue->SetColor(clBlue);
  auto* edit = new TTestEdit(form, "edit");  // a wrapped platform class paints itself
  edit->SetParent(form);
  edit->SetBounds(10, 50, 40, 15);
  edit->SetColor(clFuchsia);
  int painted = 0;
  form->OnPaint = [&](TObject*) {
    ++painted;
    form->Canvas()->Brush()->SetColor(clBlack);
    form->Canvas()->FillRect(Rect(0, 70, 120, 80));
  };
  form->Show();

  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(120, 80);
  bmp.Canvas()->Brush()->SetColor(clGray);
  bmp.Canvas()->FillRect(Rect(0, 0, 120, 80));
  form->PaintTo(bmp.Canvas(), 0, 0);

  struct Probe {
    Integer X, Y;
    TColor Want;
  };
  const Probe probes[] = {
      {2, 2, clWhite},  {12, 12, clRed}, {49, 39, clRed},   {50, 40, clWhite}, {32, 17, clLime},
      {39, 24, clLime}, {40, 25, clRed}, {75, 25, clBlue},  {89, 39, clBlue},  {90, 40, clWhite},
      {5, 75, clBlack}, {119, 79, clBlack}, {45, 60, clFuchsia},
  };
  for (const Probe& p : probes)
    EXPECT_EQ(bmp.Canvas()->Pixels(p.X, p.Y), p.Want) << "at " << p.X << "," << p.Y;
  EXPECT_GE(painted, 1);

  // At an offset, into a bigger bitmap.
  bmp.SetSize(200, 150);
  bmp.Canvas()->FillRect(Rect(0, 0, 200, 150));
  form->PaintTo(bmp.Canvas()->Handle(), 30, 40);
  EXPECT_EQ(bmp.Canvas()->Pixels(29, 45), clGray);
  EXPECT_EQ(bmp.Canvas()->Pixels(42, 52), clRed);
  EXPECT_EQ(bmp.Canvas()->Pixels(105, 65), clBlue);
  delete form;
}

}  // namespace

namespace {

// A popup menu stand-in: records where it was asked to show.
class TFakePopup : public TComponent, public IPopupMenu {
 public:
  explicit TFakePopup(TComponent* AOwner) : TComponent(AOwner) {}
  void Popup(Integer X, Integer Y) override { shown.push_back(Point(X, Y)); }
  void SetPopupComponent(TComponent* C) override { component = C; }
  std::vector<TPoint> shown;
  TComponent* component = nullptr;
};

TEST(Controls, ContextMenuShowsThePopupMenuOfTheControlOrItsParent) {
  TForm* form = NewForm(400, 300);
  auto* box = new TBox(form, "box");
  box->SetParent(form);
  box->SetBounds(100, 100, 60, 60);
  auto* spot = new TSpot(form, "spot");  // windowless, without a menu of its own
  spot->SetParent(box);
  spot->SetBounds(10, 10, 20, 20);
  auto* menu = new TFakePopup(form);
  box->SetPopupMenu(menu);
  EXPECT_EQ(box->PopupMenu<TFakePopup>(), menu);
  form->Show();

  TPoint sp = box->ClientToScreen(Point(15, 15));
  ::SendMessageW(box->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(box->Handle()), MAKELPARAM(sp.X, sp.Y));
  ASSERT_EQ(menu->shown.size(), 1u);
  EXPECT_EQ(menu->shown[0], sp);
  EXPECT_EQ(menu->component, box);

  // OnContextPopup of the control under the mouse can take the request.
  TPoint seen{};
  spot->OnContextPopup = [&](TObject*, TPoint P, bool& Handled) {
    seen = P;
    Handled = true;
  };
  ::SendMessageW(box->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(box->Handle()), MAKELPARAM(sp.X, sp.Y));
  EXPECT_EQ(menu->shown.size(), 1u);
  EXPECT_EQ(seen, Point(5, 5));

  // A freed menu is forgotten.
  delete menu;
  EXPECT_EQ(box->PopupMenuComponent(), nullptr);
  delete form;
}

TEST(Controls, KeyPressCanChangeOrSwallowCharacters) {
  TForm* form = NewForm(400, 300);
  auto* edit = new TTestEdit(form, "e");
  edit->SetParent(form);
  edit->OnKeyPress = [](TObject*, char& Key) {
    if (Key == 'a') Key = 'b';
    if (Key == 'x') Key = 0;
  };
  form->Show();
  edit->SetFocus();
  for (wchar_t c : std::wstring(L"axc")) PostMessageW(edit->Handle(), WM_CHAR, c, 1);
  Application->ProcessMessages();
  EXPECT_EQ(edit->Text(), "bc");
  delete form;
}

}  // namespace

namespace {

TEST(Controls, DragFromOneControlAndDropOnAnother) {
  TForm* form = NewForm(400, 300);
  auto* source = new TSpot(form, "source");
  source->SetParent(form);
  source->SetBounds(10, 10, 30, 30);
  source->SetDragMode(dmAutomatic);
  auto* refuse = new TBox(form, "refuse");  // no OnDragOver: refuses
  refuse->SetParent(form);
  refuse->SetBounds(60, 10, 30, 30);
  auto* target = new TBox(form, "target");
  target->SetParent(form);
  target->SetBounds(120, 10, 60, 60);
  form->Show();
  std::vector<std::string> events;
  target->OnDragOver = [&](TObject*, TObject* Src, Integer, Integer, TDragState State, bool& Accept) {
    EXPECT_EQ(Src, source);
    static const char* names[] = {"enter", "leave", "move"};
    events.push_back(names[State]);
    Accept = true;
  };
  TPoint dropped{-1, -1};
  target->OnDragDrop = [&](TObject*, TObject* Src, Integer X, Integer Y) {
    EXPECT_EQ(Src, source);
    dropped = Point(X, Y);
  };
  TObject* endTarget = source;
  source->OnEndDrag = [&](TObject*, TObject* T, Integer, Integer) { endTarget = T; };
  int clicks = 0;
  source->OnClick = [&](TObject*) { ++clicks; };
  HWND fh = form->Handle();

  // Released over a control that refuses: no drop, the end reports no target.
  ::SendMessageW(fh, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  EXPECT_TRUE(source->Dragging());
  ::SendMessageW(fh, WM_MOUSEMOVE, MK_LBUTTON, At(70, 20));
  ::SendMessageW(fh, WM_LBUTTONUP, 0, At(70, 20));
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(endTarget, nullptr);
  EXPECT_EQ(clicks, 0);

  // Over the accepting control: enter, move, then the drop in its coordinates.
  ::SendMessageW(fh, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  ::SendMessageW(fh, WM_MOUSEMOVE, MK_LBUTTON, At(130, 20));
  ::SendMessageW(fh, WM_MOUSEMOVE, MK_LBUTTON, At(135, 25));
  ::SendMessageW(fh, WM_LBUTTONUP, 0, At(135, 25));
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "move"}));
  EXPECT_EQ(dropped, Point(15, 15));
  EXPECT_EQ(endTarget, target);
  EXPECT_EQ(GetCaptureControl(), nullptr);

  // A press and release without moving ends the drag without a drop.
  endTarget = source;
  ::SendMessageW(fh, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
  ::SendMessageW(fh, WM_LBUTTONUP, 0, At(20, 20));
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(endTarget, nullptr);
  EXPECT_EQ(GetCaptureControl(), nullptr);
  delete form;
}

}  // namespace

// ---------------------------------------------------------------------------
// PaintTo with the standard controls, away from the origin.
#include "platform/ExtCtrls.h"
#include "platform/StdCtrls.h"
#include "tests/support/png_writer.h"

namespace {

bool IsDark(TColor C) {
  Cardinal rgb = static_cast<Cardinal>(ColorToRGB(C));
  return (rgb & 0xFF) + ((rgb >> 8) & 0xFF) + ((rgb >> 16) & 0xFF) < 3 * 0x80;
}

TEST(Controls, PaintToDrawsNestedStandardControlsAtTheirPlaces) {
  TForm* form = NewForm(340, 220);
  form->SetColor(clWhite);
  auto* outer = new TPanel(form);  // away from the form's origin
  outer->SetParent(form);
  outer->SetBounds(60, 50, 260, 150);
  outer->SetColor(clSilver);
  auto* button = new TButton(form);
  button->SetParent(outer);
  button->SetBounds(10, 10, 75, 25);
  button->SetCaption("OK");
  auto* check = new TCheckBox(form);
  check->SetParent(outer);
  check->SetBounds(100, 14, 90, 17);
  check->SetCaption("Check");
  check->SetChecked(true);
  auto* edit = new TEdit(form);
  edit->SetParent(outer);
  edit->SetBounds(10, 50, 100, 21);
  edit->SetColor(clYellow);
  auto* list = new TListBox(form);
  list->SetParent(outer);
  list->SetBounds(10, 80, 100, 60);
  list->SetColor(clAqua);
  list->Items()->Add("one");
  auto* inner = new TPanel(form);  // a panel in the panel, partly outside it
  inner->SetParent(outer);
  inner->SetBounds(130, 50, 150, 80);
  inner->SetColor(clLime);
  form->Show();

  TColor face = clBtnFace;
  for (Integer shift : {0, 25}) {
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(340 + shift, 220 + shift);
    bmp.Canvas()->Brush()->SetColor(clGray);
    bmp.Canvas()->FillRect(Rect(0, 0, bmp.Width(), bmp.Height()));
    form->PaintTo(bmp.Canvas(), shift, shift);
    if (shift) SaveBitmapAsPng(&bmp, "paintto_standard_controls.png");
    auto at = [&](Integer X, Integer Y) { return bmp.Canvas()->Pixels(X + shift, Y + shift); };
    // Outer panel at (60, 50): its children are at (70, 60) and on.
    SCOPED_TRACE(shift);
    EXPECT_EQ(at(65, 145), clSilver);
    // The button whole: face up to its lower right corner, dark frame there.
    EXPECT_EQ(ColorToRGB(at(80, 70)), ColorToRGB(face));
    EXPECT_EQ(ColorToRGB(at(138, 78)), ColorToRGB(face));
    EXPECT_TRUE(IsDark(at(143, 83)));
    // The check box's square (left, vertically centred) is white with a dark mark.
    int dark = 0, white = 0;
    for (Integer y = 64; y < 81; ++y)
      for (Integer x = 160; x < 175; ++x) {
        if (IsDark(at(x, y))) ++dark;
        if (at(x, y) == clWhite) ++white;
      }
    EXPECT_GT(dark, 5);
    EXPECT_GT(white, 20);
    // Edit and list box in their colours, framed by a sunken edge.
    EXPECT_EQ(at(160, 115), clYellow);
    EXPECT_EQ(at(150, 180), clAqua);
    EXPECT_NE(at(70, 100), clYellow);
    EXPECT_NE(at(70, 130), clAqua);
    // The inner panel, cut at the outer panel's edge.
    EXPECT_EQ(at(250, 150), clLime);
    EXPECT_EQ(at(315, 150), clLime);
    EXPECT_EQ(at(325, 150), clWhite);
  }
  delete form;
}

}  // namespace
