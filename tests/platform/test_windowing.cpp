// Windows of controls: double clicks without csDoubleClicks, keeping a window
// and taking it back, the order of WM_DESTROY, the 3-D look, the cancel-mode
// request, cursors that change under the mouse, palettes, characters beyond
// ASCII in KeyPress, and the show request passed up the parents.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "platform/Tabs.h"
#include "platform/TypInfo.h"
#include "tests/support/ui.h"

namespace {

using Log = std::vector<std::string>;

std::string MsgName(UINT Msg) {
  switch (Msg) {
    case WM_LBUTTONDOWN: return "ldown";
    case WM_LBUTTONDBLCLK: return "ldbl";
    case WM_RBUTTONDOWN: return "rdown";
    case WM_RBUTTONDBLCLK: return "rdbl";
    case WM_MBUTTONDOWN: return "mdown";
    case WM_MBUTTONDBLCLK: return "mdbl";
    default: return "?";
  }
}

bool IsButtonMsg(UINT Msg) { return Msg >= WM_LBUTTONDOWN && Msg <= WM_MBUTTONDBLCLK && Msg != WM_LBUTTONUP &&
                                    Msg != WM_RBUTTONUP && Msg != WM_MBUTTONUP; }

// A windowed control that logs the button messages its Dispatch sees and the
// messages of interest, and can keep its window.
class TProbe : public TCustomControl {
 public:
  T_CLASSNAME(TProbe)
  TProbe(TComponent* AOwner, std::string Tag, Log* L) : TCustomControl(AOwner), tag(std::move(Tag)), log(L) {
    controlStyle_.Include(csAcceptsControls);
    OnDblClick = [this](TObject*) { log->push_back(tag + " OnDblClick"); };
  }
  std::string tag;
  Log* log;
  HWND kept = nullptr;       // taken back by CreateWnd when set
  Integer userMessages = 0;  // WM_USER messages received
  bool logPalette = false;  // the system asks too, whenever the form is activated
  bool paletteAnswer = false;
  HPALETTE palette = nullptr;

  using TWinControl::AttachHandle;
  using TWinControl::DetachHandle;
  bool PaletteChanged(bool Foreground) override {
    if (logPalette) log->push_back(tag + (Foreground ? " palette fg" : " palette bg"));
    if (palette) return TCustomControl::PaletteChanged(Foreground);
    return paletteAnswer;
  }
  HPALETTE GetPalette() override { return palette; }

 protected:
  void Dispatch(TMessage& M) override {
    if (IsButtonMsg(M.Msg)) log->push_back(tag + " " + MsgName(M.Msg));
    if (M.Msg == WM_USER) ++userMessages;
    if (M.Msg == WM_DESTROY) log->push_back(tag + " destroy");
    if (M.Msg == CM_CANCELMODE)
      log->push_back(tag + " cancelmode from " +
                     (M.LParam ? reinterpret_cast<TControl*>(M.LParam)->Name() : std::string("none")));
    TCustomControl::Dispatch(M);
  }
  void CreateWnd() override {
    if (kept) {
      AttachHandle(kept);
      kept = nullptr;
      return;
    }
    TCustomControl::CreateWnd();
  }
  void ShowControl(TControl* AControl) override {
    log->push_back(tag + " show " + AControl->Name());
    TCustomControl::ShowControl(AControl);
  }
};

// A windowless control that logs its button messages.
class TSpotProbe : public TGraphicControl {
 public:
  T_CLASSNAME(TSpotProbe)
  TSpotProbe(TComponent* AOwner, std::string Tag, Log* L) : TGraphicControl(AOwner), tag(std::move(Tag)), log(L) {
    OnDblClick = [this](TObject*) { log->push_back(tag + " OnDblClick"); };
  }
  std::string tag;
  Log* log;

 protected:
  void Dispatch(TMessage& M) override {
    if (IsButtonMsg(M.Msg)) log->push_back(tag + " " + MsgName(M.Msg));
    TGraphicControl::Dispatch(M);
  }
};

using testui::NewForm;

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

// ---------------------------------------------------------------------------
// Double clicks.

TEST(Windowing, DoubleClicksBecomePressesWithoutCsDoubleClicks) {
  struct TCase {
    bool DoubleClicks;
    UINT Sent;
    Log Expected;
  };
  const TCase cases[] = {
      {true, WM_LBUTTONDBLCLK, {"w ldbl", "w OnDblClick"}},
      {false, WM_LBUTTONDBLCLK, {"w ldown"}},
      {true, WM_RBUTTONDBLCLK, {"w rdbl"}},
      {false, WM_RBUTTONDBLCLK, {"w rdown"}},
      {false, WM_MBUTTONDBLCLK, {"w mdown"}},
      {false, WM_LBUTTONDOWN, {"w ldown"}},
  };
  for (const TCase& c : cases) {
    Log log;
    TForm* form = NewForm(300, 200, 40, 40);
    auto* w = new TProbe(form, "w", &log);
    w->SetBounds(10, 10, 100, 80);
    w->SetParent(form);
    TControlStyle style = w->ControlStyle();
    if (c.DoubleClicks)
      style.Include(csDoubleClicks);
    else
      style.Exclude(csDoubleClicks);
    w->SetControlStyle(style);
    form->Show();
    ::SendMessageW(w->Handle(), c.Sent, 0, MAKELPARAM(5, 5));
    ReleaseCapture();
    EXPECT_EQ(log, c.Expected) << MsgName(c.Sent) << " doubleClicks=" << c.DoubleClicks;
    delete form;
  }
}

TEST(Windowing, WindowlessChildTurnsItsOwnDoubleClicks) {
  Log log;
  TForm* form = NewForm(300, 200, 40, 40);
  auto* host = new TProbe(form, "host", &log);
  host->SetBounds(0, 0, 200, 150);
  host->SetParent(form);
  auto* plain = new TSpotProbe(form, "plain", &log);
  plain->SetBounds(10, 10, 40, 40);
  plain->SetParent(host);
  TControlStyle style = plain->ControlStyle();
  style.Exclude(csDoubleClicks);
  plain->SetControlStyle(style);
  auto* dbl = new TSpotProbe(form, "dbl", &log);
  dbl->SetBounds(100, 10, 40, 40);
  dbl->SetParent(host);
  form->Show();

  ::SendMessageW(host->Handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(20, 20));
  ::SendMessageW(host->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  ::SendMessageW(host->Handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(110, 20));
  ::SendMessageW(host->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(110, 20));
  ::SendMessageW(host->Handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(180, 120));
  ReleaseCapture();
  // The host gets only the message over its own area.
  EXPECT_EQ(log, (Log{"plain ldown", "dbl ldbl", "dbl OnDblClick", "host ldbl", "host OnDblClick"}));
  delete form;
}

// ---------------------------------------------------------------------------
// Kept windows.

TEST(Windowing, DetachedWindowLivesOnWithoutTheControl) {
  Log log;
  TForm* form = NewForm(300, 200, 40, 40);
  auto* bar = new TProbe(form, "bar", &log);
  bar->SetBounds(5, 6, 120, 30);
  bar->SetParent(form);
  form->Show();
  HWND first = bar->Handle();
  ::SendMessageW(first, WM_USER, 0, 0);
  EXPECT_EQ(bar->userMessages, 1);

  // Hidden first, so that nothing makes it a new window meanwhile.
  bar->SetVisible(false);
  EXPECT_EQ(bar->DetachHandle(), first);
  EXPECT_FALSE(bar->HandleAllocated());
  EXPECT_FALSE(bar->Showing());
  ASSERT_TRUE(IsWindow(first));
  EXPECT_EQ(TWinControl::FindControl(first), nullptr);
  ::SendMessageW(first, WM_USER, 0, 0);
  EXPECT_EQ(bar->userMessages, 1) << "a kept window's messages do not reach the control";
  EXPECT_EQ(bar->DetachHandle(), nullptr);

  // Some code puts the class's procedure back on the kept window; while
  // another control creates its window, the kept one is sent a message: it
  // must not be taken for the window being created.
  ::SetWindowLongPtrW(first, GWLP_WNDPROC, ::GetClassLongPtrW(first, GCLP_WNDPROC));
  class TPoker : public TProbe {
   public:
    using TProbe::TProbe;
    HWND poke = nullptr;

   protected:
    void CreateWindowHandle(const TCreateParams& Params) override {
      ::SendMessageW(poke, WM_USER, 0, 0);
      TProbe::CreateWindowHandle(Params);
    }
  };
  auto* other = new TPoker(form, "other", &log);
  other->poke = first;
  other->SetBounds(0, 50, 50, 20);
  other->SetParent(form);
  HWND otherWnd = other->Handle();
  EXPECT_NE(otherWnd, first);
  EXPECT_EQ(TWinControl::FindControl(otherWnd), other);
  EXPECT_EQ(TWinControl::FindControl(first), nullptr);
  EXPECT_EQ(other->userMessages, 0);

  // The control takes its kept window back instead of creating one.
  ::SetWindowPos(first, nullptr, 7, 8, 130, 31, SWP_NOZORDER | SWP_NOACTIVATE);
  bar->kept = first;
  EXPECT_EQ(bar->Handle(), first);
  EXPECT_EQ(TWinControl::FindControl(first), bar);
  EXPECT_EQ(bar->BoundsRect(), Rect(7, 8, 137, 39));
  ::SendMessageW(first, WM_USER, 0, 0);
  EXPECT_EQ(bar->userMessages, 2);
  bar->SetVisible(true);
  EXPECT_TRUE(IsWindowVisible(first));

  // A window that belongs to another control is refused.
  auto* third = new TProbe(form, "third", &log);
  third->SetVisible(false);
  third->SetParent(form);
  ASSERT_FALSE(third->HandleAllocated());
  EXPECT_THROW(third->AttachHandle(otherWnd), EInvalidOperation);
  EXPECT_FALSE(third->HandleAllocated());
  // So is a window that no longer exists.
  HWND gone = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ::DestroyWindow(gone);
  EXPECT_THROW(third->AttachHandle(gone), EInvalidOperation);
  EXPECT_EQ(TWinControl::FindControl(otherWnd), other);
  delete form;
  EXPECT_FALSE(IsWindow(first));
}

TEST(Windowing, DetachedWindowOfAWrappedClassKeepsWorking) {
  // A control over the system's edit class: the kept window goes on being an
  // edit, and taken back it is the control's again.
  TForm* form = NewForm(300, 200, 40, 40);
  class TKeptEdit : public TEdit {
   public:
    using TEdit::TEdit;
    using TWinControl::AttachHandle;
    using TWinControl::DetachHandle;
  };
  auto* edit = new TKeptEdit(form);
  edit->SetParent(form);
  form->Show();
  edit->SetText("kept");
  HWND h = edit->DetachHandle();
  ASSERT_NE(h, nullptr);
  ::SetWindowTextW(h, L"typed");
  wchar_t buf[32] = {};
  ::GetWindowTextW(h, buf, 32);
  EXPECT_EQ(std::wstring(buf), L"typed");
  edit->AttachHandle(h);
  EXPECT_EQ(edit->Handle(), h);
  EXPECT_EQ(edit->Text(), "typed");
  edit->SetText("again");
  ::GetWindowTextW(h, buf, 32);
  EXPECT_EQ(std::wstring(buf), L"again");
  delete form;
}

// ---------------------------------------------------------------------------
// Destruction order.

TEST(Windowing, ParentWindowIsDestroyedBeforeItsChildren) {
  Log log;
  TForm* form = NewForm(300, 200, 40, 40);
  form->WindowProc = [&log, form](TMessage& M) {
    if (M.Msg == WM_DESTROY) log.push_back("form destroy");
    form->WndProc(M);
  };
  auto* panel = new TProbe(form, "panel", &log);
  panel->SetParent(form);
  auto* inner = new TProbe(form, "inner", &log);
  inner->SetParent(panel);
  form->Show();
  ASSERT_TRUE(inner->HandleAllocated());
  // Each window sees its children still alive when it is destroyed.
  HWND innerWnd = inner->Handle();
  bool innerAliveAtPanel = false;
  panel->WindowProc = [&, panel](TMessage& M) {
    if (M.Msg == WM_DESTROY) innerAliveAtPanel = IsWindow(innerWnd) != FALSE;
    panel->WndProc(M);
  };
  delete form;
  EXPECT_EQ(log, (Log{"form destroy", "panel destroy", "inner destroy"}));
  EXPECT_TRUE(innerAliveAtPanel);

  // A windowed control freed on its own does the same.
  log.clear();
  form = NewForm(300, 200, 40, 40);
  panel = new TProbe(form, "panel", &log);
  panel->SetParent(form);
  panel->WindowProc = [&log, panel](TMessage& M) {
    if (M.Msg == WM_DESTROY) log.push_back("panel destroy");
    panel->WndProc(M);
  };
  inner = new TProbe(form, "inner", &log);
  inner->SetParent(panel);
  form->Show();
  ASSERT_TRUE(inner->HandleAllocated());
  delete panel;
  EXPECT_EQ(log, (Log{"panel destroy", "inner destroy"}));
  EXPECT_EQ(form->ControlCount(), 0);
  delete form;
}

// ---------------------------------------------------------------------------
// Ctl3D.

TEST(Windowing, Ctl3DFollowsTheParentUntilSetOnItsOwn) {
  Log log;
  TForm* form = NewForm(300, 200, 40, 40);
  auto* panel = new TProbe(form, "panel", &log);
  panel->SetParent(form);
  auto* follower = new TEdit(form);
  follower->SetParent(panel);
  auto* own = new TEdit(form);
  own->SetParent(panel);
  own->SetCtl3D(true);  // the value it has: still following
  EXPECT_TRUE(own->ParentCtl3D());
  own->SetParentCtl3D(false);
  EXPECT_TRUE(follower->ParentCtl3D());

  panel->SetCtl3D(false);
  EXPECT_FALSE(follower->Ctl3D());
  EXPECT_TRUE(follower->ParentCtl3D());
  EXPECT_TRUE(own->Ctl3D());

  // Back to following: the parent's value comes at once.
  own->SetParentCtl3D(true);
  EXPECT_FALSE(own->Ctl3D());
  // A control put into the panel takes its look.
  auto* late = new TEdit(form);
  late->SetParent(panel);
  EXPECT_FALSE(late->Ctl3D());
  // Down more than one level.
  form->SetCtl3D(true);
  panel->SetParentCtl3D(true);
  EXPECT_TRUE(panel->Ctl3D());
  EXPECT_TRUE(late->Ctl3D());
  delete form;
}

TEST(Windowing, Ctl3DChoosesTheBorderOfABorderedControl) {
  TForm* form = NewForm(300, 200, 40, 40);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  form->Show();
  edit->SetText("text");
  HWND h = edit->Handle();
  EXPECT_NE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_EQ(GetWindowLongW(h, GWL_STYLE) & WS_BORDER, 0);
  edit->SetCtl3D(true);  // unchanged: the same window
  EXPECT_EQ(edit->Handle(), h);

  edit->SetCtl3D(false);
  HWND flat = edit->Handle();
  EXPECT_NE(flat, h) << "a new window with the new border";
  EXPECT_EQ(GetWindowLongW(flat, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_EQ(edit->Text(), "text");
  EXPECT_TRUE(IsWindowVisible(flat));
  // (The edit class draws a WS_BORDER itself; a list box keeps the style.)
  auto* list = new TListBox(form);
  list->SetParent(form);
  list->SetCtl3D(false);
  EXPECT_EQ(GetWindowLongW(list->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_NE(GetWindowLongW(list->Handle(), GWL_STYLE) & WS_BORDER, 0);
  list->SetCtl3D(true);
  EXPECT_NE(GetWindowLongW(list->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_EQ(GetWindowLongW(list->Handle(), GWL_STYLE) & WS_BORDER, 0);

  // A borderless one has nothing to change.
  edit->SetBorderStyle(bsNone);
  HWND none = edit->Handle();
  edit->SetCtl3D(true);
  EXPECT_EQ(edit->Handle(), none);
  EXPECT_EQ(GetWindowLongW(none, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  delete form;
}

TEST(Windowing, Ctl3DIsReadFromAndWrittenToFormText) {
  TForm form(nullptr);
  ReadComponentFromText(
      "object F: TForm\n"
      "  Ctl3D = False\n"
      "  object E: TEdit\n"
      "  end\n"
      "  object C: TComboBox\n"
      "    Ctl3D = True\n"
      "    ParentCtl3D = False\n"
      "  end\n"
      "  object P: TPanel\n"
      "    Ctl3D = False\n"
      "    object L: TListBox\n"
      "    end\n"
      "  end\n"
      "end\n",
      &form);
  auto* e = dynamic_cast<TWinControl*>(form.FindComponent("E"));
  auto* c = dynamic_cast<TWinControl*>(form.FindComponent("C"));
  auto* p = dynamic_cast<TWinControl*>(form.FindComponent("P"));
  auto* l = dynamic_cast<TWinControl*>(form.FindComponent("L"));
  ASSERT_TRUE(e && c && p && l);
  EXPECT_FALSE(form.Ctl3D());
  EXPECT_FALSE(e->Ctl3D()) << "follows the form once loaded";
  EXPECT_TRUE(e->ParentCtl3D());
  EXPECT_TRUE(c->Ctl3D());
  EXPECT_FALSE(c->ParentCtl3D());
  EXPECT_FALSE(p->Ctl3D());
  EXPECT_FALSE(p->ParentCtl3D());
  EXPECT_FALSE(l->Ctl3D());

  // Written back: only what does not follow the parent.
  std::string text = WriteComponentToText(&form);
  EXPECT_NE(text.find("    Ctl3D = True\n    ParentCtl3D = False\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("object E: TEdit\n    Ctl3D"), std::string::npos) << text;
  TForm again(nullptr);
  ReadComponentFromText(text, &again);
  auto* c2 = dynamic_cast<TWinControl*>(again.FindComponent("C"));
  ASSERT_NE(c2, nullptr);
  EXPECT_TRUE(c2->Ctl3D());
  EXPECT_FALSE(c2->ParentCtl3D());
  EXPECT_FALSE(again.Ctl3D());
}

// ---------------------------------------------------------------------------
// Cancel mode.

TEST(Windowing, SendCancelModeReachesTheActiveControl) {
  Log log;
  TForm* form = NewForm(300, 200, 40, 40);
  auto* probe = new TProbe(form, "probe", &log);
  probe->SetName("probe");
  probe->SetParent(form);
  probe->SetTabStop(true);
  auto* combo = new TComboBox(form);
  combo->SetName("combo");
  combo->SetStyle(csDropDownList);
  combo->SetBounds(0, 100, 120, 21);
  combo->Items()->Add("one");
  combo->Items()->Add("two");
  combo->SetParent(form);
  form->Show();
  ::SetForegroundWindow(form->Handle());
  ::SetActiveWindow(form->Handle());
  Pump();
  ASSERT_TRUE(form->Active());

  probe->SetFocus();
  ASSERT_EQ(form->ActiveControl(), probe);
  form->SendCancelMode(combo);
  EXPECT_EQ(log, (Log{"probe cancelmode from combo"}));

  // An open list closes when another control takes the mouse, not for itself.
  combo->SetFocus();
  combo->SetDroppedDown(true);
  ASSERT_TRUE(combo->DroppedDown());
  form->SendCancelMode(combo);
  EXPECT_TRUE(combo->DroppedDown());
  form->SendCancelMode(probe);
  EXPECT_FALSE(combo->DroppedDown());

  // An inactive form tells nobody.
  log.clear();
  probe->SetFocus();
  TForm* other = NewForm(50, 50, 40, 40);
  other->Show();
  ::SetActiveWindow(other->Handle());
  Pump();
  if (!form->Active()) {
    form->SendCancelMode(nullptr);
    EXPECT_TRUE(log.empty());
  }
  delete other;
  delete form;
}

// ---------------------------------------------------------------------------
// Cursors.

TEST(Windowing, NewCursorShowsAtOnceUnderTheMouse) {
  Log log;
  TForm* form = NewForm(300, 200, 40, 40);
  auto* box = new TProbe(form, "box", &log);
  box->SetBounds(0, 0, 150, 200);
  box->SetParent(form);
  auto* spot = new TSpotProbe(form, "spot", &log);
  spot->SetBounds(10, 10, 50, 50);
  spot->SetParent(box);
  form->Show();
  ::SetCursor(Screen->Cursors(crArrow));

  TPoint inSpot = box->ClientToScreen(Point(20, 20));
  ::SetCursorPos(inSpot.X, inSpot.Y);
  POINT p;
  ::GetCursorPos(&p);
  if (p.x != inSpot.X || p.y != inSpot.Y) GTEST_SKIP() << "the cursor cannot be moved here";

  spot->SetCursor(crHandPoint);
  EXPECT_EQ(::GetCursor(), Screen->Cursors(crHandPoint));
  // A control the mouse is not over leaves the cursor alone.
  box->SetCursor(crCross);
  EXPECT_EQ(::GetCursor(), Screen->Cursors(crHandPoint));
  TPoint inBox = box->ClientToScreen(Point(100, 100));
  ::SetCursorPos(inBox.X, inBox.Y);
  box->SetCursor(crIBeam);
  EXPECT_EQ(::GetCursor(), Screen->Cursors(crIBeam));
  // While a window holds the mouse, nothing changes.
  ::SetCapture(form->Handle());
  box->SetCursor(crSizeAll);
  EXPECT_EQ(::GetCursor(), Screen->Cursors(crIBeam));
  ::ReleaseCapture();
  delete form;
}

// ---------------------------------------------------------------------------
// Palettes.

TEST(Windowing, FormHandsPaletteMessagesToItsControls) {
  Log log;
  TForm* form = NewForm(300, 200, 40, 40);
  auto* bottom = new TProbe(form, "bottom", &log);
  bottom->SetParent(form);
  auto* top = new TProbe(form, "top", &log);
  top->SetParent(form);
  form->Show();
  top->logPalette = bottom->logPalette = true;

  // Foreground: topmost first; the first one that realises a palette ends it.
  top->paletteAnswer = true;
  EXPECT_EQ(::SendMessageW(form->Handle(), WM_QUERYNEWPALETTE, 0, 0), 1);
  EXPECT_EQ(log, (Log{"top palette fg"}));
  log.clear();
  top->paletteAnswer = false;
  EXPECT_EQ(::SendMessageW(form->Handle(), WM_QUERYNEWPALETTE, 0, 0), 0);
  EXPECT_EQ(log, (Log{"top palette fg", "bottom palette fg"}));

  // Background: everybody, unless the form itself changed the palette.
  log.clear();
  top->paletteAnswer = true;
  ::SendMessageW(form->Handle(), WM_PALETTECHANGED, reinterpret_cast<WPARAM>(GetDesktopWindow()), 0);
  EXPECT_EQ(log, (Log{"top palette bg", "bottom palette bg"}));
  log.clear();
  ::SendMessageW(form->Handle(), WM_PALETTECHANGED, reinterpret_cast<WPARAM>(form->Handle()), 0);
  EXPECT_TRUE(log.empty());

  // The default step realises a palette the control has, and says so.
  top->paletteAnswer = false;
  struct {
    WORD Version = 0x300, Count = 1;
    PALETTEENTRY Entries[1] = {{10, 20, 30, 0}};
  } lp;
  HPALETTE pal = CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp));
  ASSERT_NE(pal, nullptr);
  bottom->palette = pal;
  log.clear();
  EXPECT_TRUE(form->PaletteChanged(true));
  EXPECT_EQ(log, (Log{"top palette fg", "bottom palette fg"}));
  bottom->SetVisible(false);
  EXPECT_FALSE(bottom->PaletteChanged(true)) << "a hidden control does not realise";
  delete form;
  DeleteObject(pal);
}

// ---------------------------------------------------------------------------
// KeyPress and characters beyond ASCII.

TEST(Windowing, KeyPressSeesEveryCharacterInTheAnsiCodePage) {
  TForm* form = NewForm(300, 200, 40, 40);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  form->Show();
  std::vector<int> keys;
  bool refuse = true;
  edit->OnKeyPress = [&](TObject*, char& Key) {
    keys.push_back(static_cast<unsigned char>(Key));
    if (refuse && static_cast<unsigned char>(Key) >= 32) Key = 0;
  };
  auto type = [&](wchar_t ch) { ::SendMessageW(edit->Handle(), WM_CHAR, ch, 1); };

  // Refused: the characters never reach the window.
  auto ansiByte = [](wchar_t ch) {
    char b[4] = {};
    BOOL def = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &ch, 1, b, 4, nullptr, &def);
    return n == 1 && !def ? static_cast<unsigned char>(b[0]) : '?';
  };
  type(L'a');
  type(0x00E9);  // é
  type(0x20AC);  // €
  type(0x4E2D);  // a character no 8-bit code page has
  EXPECT_EQ(edit->Text(), "");
  EXPECT_EQ(keys, (std::vector<int>{'a', ansiByte(0x00E9), ansiByte(0x20AC), '?'}));

  // Left alone, each arrives as typed, also one the code page lacks.
  refuse = false;
  type(0x00E9);
  type(0x4E2D);
  EXPECT_EQ(edit->Text(), "\xC3\xA9\xE4\xB8\xAD");

  // Replaced: the new byte is a character of the code page.
  edit->SetText("");
  edit->OnKeyPress = [&](TObject*, char& Key) {
    if (Key == 'x') Key = static_cast<char>(ansiByte(0x00E9));
  };
  type(L'x');
  if (ansiByte(0x00E9) != '?') {
    EXPECT_EQ(edit->Text(), "\xC3\xA9");
  }
  delete form;
}

// ---------------------------------------------------------------------------
// Show.

TEST(Windowing, ShowAsksTheParentsToShowTheControl) {
  Log log;
  TForm* form = NewForm(300, 200, 40, 40);
  auto* outer = new TProbe(form, "outer", &log);
  outer->SetName("outer");
  outer->SetParent(form);
  auto* inner = new TProbe(form, "inner", &log);
  inner->SetName("inner");
  inner->SetParent(outer);
  auto* spot = new TSpotProbe(form, "spot", &log);
  spot->SetName("spot");
  spot->SetParent(inner);
  spot->SetVisible(false);
  inner->SetVisible(false);

  spot->Show();
  EXPECT_EQ(log, (Log{"inner show spot", "outer show inner"}));
  EXPECT_TRUE(spot->Visible());
  // Showing a control is its parents' decision: a hidden parent stays hidden.
  EXPECT_FALSE(inner->Visible());
  delete form;
}

TEST(Windowing, ShowingAControlOnAPageMakesThatPageActive) {
  TForm* form = NewForm(300, 200, 40, 40);
  auto* pages = new TPageControl(form);
  pages->SetParent(form);
  TTabSheet* sheets[2];
  for (auto*& sheet : sheets) {
    sheet = new TTabSheet(form);
    sheet->SetPageControl(pages);
  }
  auto* edit = new TEdit(form);
  edit->SetParent(sheets[1]);
  form->Show();
  pages->SetActivePage(sheets[0]);
  ASSERT_EQ(pages->ActivePage(), sheets[0]);

  edit->Show();
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_TRUE(sheets[1]->Visible());
  EXPECT_FALSE(sheets[0]->Visible());
  sheets[0]->Show();
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  delete form;
}

}  // namespace

// ---------------------------------------------------------------------------
// A control's palette handler may add or remove its siblings.
namespace {

// A non-windowed control whose palette handler runs Action once.
class TPaletteHook : public TGraphicControl {
 public:
  T_CLASSNAME(TPaletteHook)
  TPaletteHook(TWinControl* Parent, std::string Tag, Log* L) : TGraphicControl(nullptr), tag(std::move(Tag)), log(L) {
    SetParent(Parent);
  }
  bool PaletteChanged(bool) override {
    log->push_back(tag);
    if (auto act = std::move(action)) act();
    return false;
  }
  std::string tag;
  Log* log;
  std::function<void()> action;
};

TEST(Windowing, PaletteChangeAsksOnlyTheChildrenStillThere) {
  TForm* form = testui::NewForm();
  Log log;
  std::vector<std::unique_ptr<TPaletteHook>> added;
  auto* a = new TPaletteHook(form, "a", &log);
  auto* b = new TPaletteHook(form, "b", &log);
  auto* c = new TPaletteHook(form, "c", &log);
  form->Show();
  log.clear();
  // The top one takes the one below it away and adds many (the list grows
  // into new storage); the new ones are not asked this time.
  c->action = [&] {
    b->SetParent(nullptr);
    for (int i = 0; i < 64; ++i) added.push_back(std::make_unique<TPaletteHook>(form, "new", &log));
  };
  EXPECT_FALSE(form->PaletteChanged(false));
  EXPECT_EQ(log, (Log{"c", "a"}));
  log.clear();
  form->PaletteChanged(false);
  EXPECT_EQ(log.size(), 66u);
  added.clear();
  delete c;
  delete b;
  delete a;
  delete form;
}

}  // namespace
