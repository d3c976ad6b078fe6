// Docking headless: ManualDock and the dock manager's zones, dock
// notifications, a site's own dock manager, dock drags made of mouse messages
// (docking, floating, the grabber), undocking, and double buffering.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/DockTree.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "tests/support/ui.h"
#include "platform/TypInfo.h"

namespace {

// A windowed control that fills itself with its colour.
class TBox : public TCustomControl {
 public:
  T_CLASSNAME(TBox)
  explicit TBox(TComponent* AOwner, TColor C = clWhite) : TCustomControl(AOwner) {
    controlStyle_.Include(csAcceptsControls);
    controlStyle_.Include(csOpaque);
    SetColor(C);
  }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

// A windowless control painted by its parent.
class TSpot : public TGraphicControl {
 public:
  T_CLASSNAME(TSpot)
  explicit TSpot(TComponent* AOwner, TColor C = clRed) : TGraphicControl(AOwner) { SetColor(C); }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

// A dock site that records the dock messages it gets.
class TSite : public TBox {
 public:
  T_CLASSNAME(TSite)
  explicit TSite(TComponent* AOwner, bool Manager = true) : TBox(AOwner, clBtnFace) {
    SetDockSite(true);
    SetUseDockManager(Manager);
  }
  std::vector<std::string> log;

 protected:
  void CMDockNotification(TMessage& M) override {
    TCMDockNotification n(M);
    if (n.NotifyRec->ClientMsg == WM_SETTEXT)
      log.push_back(n.Client->Name() + " text " + reinterpret_cast<const char*>(n.NotifyRec->MsgLParam));
    else if (n.NotifyRec->ClientMsg == CM_VISIBLECHANGED)
      log.push_back(n.Client->Name() + " visible " + std::to_string(n.NotifyRec->MsgWParam));
    TBox::CMDockNotification(M);
  }
  void CMUndockClient(TMessage& M) override {
    TCMUnDockClient u(M);
    log.push_back("undock " + u.Client->Name());
    TBox::CMUndockClient(M);
  }
};

using testui::NewForm;

template <class T, class... A>
T* Child(TWinControl* Parent, const char* Name, Integer L, Integer Top, Integer W, Integer H, A... Args) {
  auto* c = new T(Parent, Args...);
  c->SetName(Name);
  c->SetParent(Parent);
  c->SetBounds(L, Top, W, H);
  return c;
}

TRect ClientBounds(TControl* C) { return C->BoundsRect(); }

// Mouse messages as the window holding the capture gets them, from screen points.
void Mouse(TControl* To, UINT Msg, TPoint Screen) {
  HWND wnd;
  TPoint p;
  if (auto* w = dynamic_cast<TWinControl*>(To)) {
    wnd = w->Handle();
    p = w->ScreenToClient(Screen);
  } else {
    wnd = To->Parent()->Handle();
    p = To->Parent()->ScreenToClient(Screen);
  }
  if (Msg == WM_LBUTTONDOWN) SetCursorPos(Screen.X, Screen.Y);
  WPARAM keys = Msg == WM_LBUTTONUP ? 0 : MK_LBUTTON;
  ::SendMessageW(wnd, Msg, keys, PointToLParam(p));
}

// A drag from one screen point to another in a few steps, then the release.
void DragTo(TControl* Source, TPoint From, TPoint To) {
  Mouse(Source, WM_LBUTTONDOWN, From);
  for (int i = 1; i <= 4; ++i) {
    TPoint p = Point(From.X + (To.X - From.X) * i / 4, From.Y + (To.Y - From.Y) * i / 4);
    Mouse(Source, WM_MOUSEMOVE, p);
  }
  Mouse(Source, WM_LBUTTONUP, To);
}

TPoint ScreenOf(TControl* C, Integer X, Integer Y) { return C->ClientToScreen(Point(X, Y)); }

// ---------------------------------------------------------------------------
// ManualDock and the zones.

TEST(Docking, ManualDockPlacesClientsInZonesAndRemovingGivesTheSpaceBack) {
  TForm* form = NewForm(400, 300);
  auto* site = Child<TSite>(form, "site", 0, 0, 204, 112);
  auto* a = Child<TBox>(form, "a", 250, 0, 50, 50, clRed);
  auto* b = Child<TSpot>(form, "b", 250, 60, 30, 30, clBlue);
  auto* c = Child<TBox>(form, "c", 250, 100, 40, 40, clLime);
  form->Show();
  ASSERT_NE(site->DockManager(), nullptr);
  EXPECT_TRUE(site->DoubleBuffered());

  // Alone, a client fills the site below its 12-pixel grabber.
  EXPECT_TRUE(a->ManualDock(site));
  EXPECT_EQ(a->HostDockSite(), site);
  EXPECT_EQ(a->Parent(), site);
  EXPECT_FALSE(a->Floating());
  ASSERT_EQ(site->DockClientCount(), 1);
  EXPECT_EQ(site->DockClients(0), a);
  EXPECT_EQ(ClientBounds(a), Rect(0, 12, 204, 112));

  // Beside it (a 4-pixel splitter between), then below the right one.
  EXPECT_TRUE(b->ManualDock(site, a, alRight));
  EXPECT_EQ(ClientBounds(a), Rect(0, 12, 100, 112));
  EXPECT_EQ(ClientBounds(b), Rect(104, 12, 204, 112));
  EXPECT_TRUE(c->ManualDock(site, b, alBottom));
  EXPECT_EQ(ClientBounds(b), Rect(104, 12, 204, 54));
  EXPECT_EQ(ClientBounds(c), Rect(104, 70, 204, 112));
  TRect frame;
  site->DockManager()->GetControlBounds(c, frame);
  EXPECT_EQ(frame, Rect(104, 58, 204, 112));
  EXPECT_EQ(site->DockClientCount(), 3);

  // The zones follow the site's size.
  site->SetBounds(0, 0, 304, 212);
  EXPECT_EQ(ClientBounds(a), Rect(0, 12, 150, 212));
  EXPECT_EQ(ClientBounds(c), Rect(154, 120, 304, 212));

  // Where a drop beside a client would go (screen coordinates).
  TRect r;
  site->DockManager()->PositionDockRect(a, c, alLeft, r);
  TPoint o = ScreenOf(site, 0, 0);
  EXPECT_EQ(r, Rect(o.X + 154, o.Y + 108, o.X + 229, o.Y + 212));

  // Leaving: the neighbours take the space back.
  EXPECT_TRUE(b->ManualDock(nullptr));
  EXPECT_TRUE(b->Floating());
  EXPECT_EQ(site->DockClientCount(), 2);
  EXPECT_EQ(ClientBounds(c), Rect(154, 12, 304, 212));
  EXPECT_EQ(site->log, (std::vector<std::string>{"undock b"}));
  delete c;  // a client that goes away leaves its zone
  EXPECT_EQ(site->DockClientCount(), 1);
  EXPECT_EQ(ClientBounds(a), Rect(0, 12, 304, 212));
  delete form;
  Application->ProcessMessages();
}

TEST(Docking, TheSplitterMovesTheBorderBetweenTwoZones) {
  TForm* form = NewForm(400, 300);
  auto* site = Child<TSite>(form, "site", 0, 0, 204, 112);
  auto* a = Child<TBox>(form, "a", 250, 0, 50, 50);
  auto* b = Child<TSpot>(form, "b", 250, 60, 30, 30);
  form->Show();
  ASSERT_TRUE(a->ManualDock(site));
  ASSERT_TRUE(b->ManualDock(site, a, alRight));
  HWND sh = site->Handle();
  ::SendMessageW(sh, WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(Point(102, 50)));
  EXPECT_EQ(GetCapture(), sh);
  ::SendMessageW(sh, WM_MOUSEMOVE, MK_LBUTTON, PointToLParam(Point(130, 60)));
  ::SendMessageW(sh, WM_LBUTTONUP, 0, PointToLParam(Point(152, 60)));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(ClientBounds(a), Rect(0, 12, 150, 112));
  EXPECT_EQ(ClientBounds(b), Rect(154, 12, 204, 112));
  // The shares stay when the site grows.
  site->SetBounds(0, 0, 304, 212);
  EXPECT_EQ(ClientBounds(a), Rect(0, 12, 225, 212));
  EXPECT_EQ(ClientBounds(b), Rect(229, 12, 304, 212));
  // A zone keeps at least its grabber's width.
  ::SendMessageW(sh, WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(Point(226, 50)));
  ::SendMessageW(sh, WM_LBUTTONUP, 0, PointToLParam(Point(400, 50)));
  EXPECT_EQ(ClientBounds(b), Rect(292, 12, 304, 212));
  delete form;
}

TEST(Docking, ManualDockIsRefusedByANonSiteAndByTheHost) {
  TForm* form = NewForm(400, 300);
  auto* notSite = Child<TBox>(form, "plain", 0, 0, 100, 100);
  auto* site = Child<TSite>(form, "site", 100, 0, 100, 100);
  auto* other = Child<TSite>(form, "other", 200, 0, 100, 100);
  auto* a = Child<TBox>(form, "a", 300, 0, 30, 30);
  form->Show();
  EXPECT_FALSE(a->ManualDock(notSite));
  EXPECT_EQ(a->Parent(), form);
  ASSERT_TRUE(a->ManualDock(site));
  bool allow = false;
  site->OnUnDock = [&](TObject*, TControl* Client, TWinControl* NewTarget, bool& Allow) {
    EXPECT_EQ(Client, a);
    EXPECT_EQ(NewTarget, other);
    Allow = allow;
  };
  EXPECT_FALSE(a->ManualDock(other));
  EXPECT_EQ(a->HostDockSite(), site);
  allow = true;
  EXPECT_TRUE(a->ManualDock(other));
  EXPECT_EQ(a->HostDockSite(), other);
  EXPECT_EQ(site->DockClientCount(), 0);
  EXPECT_EQ(other->DockClientCount(), 1);
  // Switching DockSite off drops the clients and the manager.
  other->SetDockSite(false);
  EXPECT_EQ(other->DockManager(), nullptr);
  EXPECT_EQ(a->HostDockSite(), nullptr);
  EXPECT_EQ(a->Parent(), other);
  delete form;
}

// ---------------------------------------------------------------------------
// Notifications.

TEST(Docking, ClientCaptionAndVisibilityReachTheHostSite) {
  TForm* form = NewForm(400, 300);
  auto* site = Child<TSite>(form, "site", 0, 0, 204, 112);
  auto* a = Child<TBox>(form, "a", 250, 0, 50, 50);
  auto* b = Child<TSpot>(form, "b", 250, 60, 30, 30);
  form->Show();
  a->SetCaption("before");  // not docked yet: no notification
  ASSERT_TRUE(a->ManualDock(site));
  ASSERT_TRUE(b->ManualDock(site, a, alRight));
  site->log.clear();

  a->SetCaption("Tool\r\nwindow");
  b->SetCaption("Spot");
  a->Hide();
  EXPECT_EQ(site->log, (std::vector<std::string>{"a text Tool\r\nwindow", "b text Spot", "a visible 0"}));
  // The hidden client's zone gives its space to the other one.
  EXPECT_EQ(ClientBounds(b), Rect(0, 12, 204, 112));
  a->Show();
  EXPECT_EQ(site->log.back(), "a visible 1");
  EXPECT_EQ(ClientBounds(a), Rect(0, 12, 100, 112));
  EXPECT_EQ(ClientBounds(b), Rect(104, 12, 204, 112));
  delete form;
}

// ---------------------------------------------------------------------------
// A site with its own dock manager.

class TLeftGrabberTree : public TDockTree {
 public:
  explicit TLeftGrabberTree(TWinControl* Site, std::vector<UINT>* Seen) : TDockTree(Site), seen(Seen) {
    SetGrabberSize(14);
    previous = Site->WindowProc;
    Site->WindowProc = TWndMethod(this, &TLeftGrabberTree::Hook);
  }
  ~TLeftGrabberTree() override { DockSite()->WindowProc = previous; }
  std::vector<UINT>* seen;
  TWndMethod previous;
  Integer framesPainted = 0;

 protected:
  void AdjustDockRect(TControl*, TRect& ARect) override { ARect.Left += 14; }
  void PaintDockFrame(TCanvas* Canvas, TControl*, const TRect& ARect) override {
    ++framesPainted;
    Canvas->Brush()->SetColor(clNavy);
    Canvas->FillRect(Rect(ARect.Left, ARect.Top, ARect.Left + 14, ARect.Bottom));
  }

 private:
  void Hook(TMessage& M) {
    if (M.Msg == WM_COMMAND) seen->push_back(M.Msg);
    previous(M);
  }
};

class TOwnManagerSite : public TBox {
 public:
  T_CLASSNAME(TOwnManagerSite)
  explicit TOwnManagerSite(TComponent* AOwner) : TBox(AOwner, clWhite) {}
  std::vector<UINT> seen;
  Integer created = 0;

 protected:
  std::unique_ptr<IDockManager> CreateDockManager() override {
    ++created;
    return std::make_unique<TLeftGrabberTree>(this, &seen);
  }
};

class DockManagerOrder : public ::testing::TestWithParam<bool> {};

TEST_P(DockManagerOrder, ASitesOwnManagerIsCreatedOnceAndUsed) {
  TForm* form = NewForm(400, 300);
  auto* site = Child<TOwnManagerSite>(form, "site", 0, 0, 114, 100);
  EXPECT_FALSE(site->DoubleBuffered());
  if (GetParam()) {
    site->SetDockSite(true);
    EXPECT_EQ(site->DockManager(), nullptr);
    site->SetUseDockManager(true);
  } else {
    site->SetUseDockManager(true);
    EXPECT_EQ(site->DockManager(), nullptr);
    site->SetDockSite(true);
  }
  EXPECT_EQ(site->created, 1);
  auto* tree = dynamic_cast<TLeftGrabberTree*>(site->DockManager());
  ASSERT_NE(tree, nullptr);
  EXPECT_TRUE(site->DoubleBuffered());
  auto* a = Child<TBox>(form, "a", 200, 0, 30, 30, clRed);
  form->Show();
  ASSERT_TRUE(a->ManualDock(site));
  EXPECT_EQ(ClientBounds(a), Rect(14, 0, 114, 100));

  // Its frames paint with the site, its hook sees the site's messages.
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(114, 100);
  site->PaintTo(bmp.Canvas(), 0, 0);
  EXPECT_GE(tree->framesPainted, 1);
  EXPECT_EQ(bmp.Canvas()->Pixels(5, 50), clNavy);
  EXPECT_EQ(bmp.Canvas()->Pixels(60, 50), clRed);
  ::SendMessageW(site->Handle(), WM_COMMAND, 0, 0);
  EXPECT_EQ(site->seen, std::vector<UINT>{WM_COMMAND});

  // Without the manager the window procedure is the site's own again.
  site->SetUseDockManager(false);
  EXPECT_EQ(site->DockManager(), nullptr);
  EXPECT_FALSE(site->WindowProc.Assigned());
  ::SendMessageW(site->Handle(), WM_COMMAND, 0, 0);
  EXPECT_EQ(site->seen.size(), 1u);
  delete form;
}

INSTANTIATE_TEST_SUITE_P(Docking, DockManagerOrder, ::testing::Bool());

// ---------------------------------------------------------------------------
// Dock drags.

struct DragFixture : ::testing::Test {
  TForm* form = nullptr;
  TSite* site = nullptr;
  TBox* tool = nullptr;
  std::vector<std::string> events;

  void SetUp() override {
    form = NewForm(400, 300);
    site = Child<TSite>(form, "site", 0, 0, 200, 150);
    // Wide enough for a floating tool window's smallest size.
    tool = Child<TBox>(form, "tool", 240, 200, 150, 90, clRed);
    tool->SetDragKind(dkDock);
    tool->SetDragMode(dmAutomatic);
    tool->OnEndDock = [this](TObject*, TObject* Target, Integer, Integer) {
      events.push_back(std::string("end ") + (Target ? static_cast<TComponent*>(Target)->Name() : "none"));
    };
    site->OnDockOver = [this](TObject*, TDragDockObject* Src, Integer, Integer, TDragState State, bool&) {
      static const char* names[] = {"enter", "leave", "move"};
      EXPECT_EQ(Src->Control(), tool);
      if (events.empty() || events.back() != std::string("over ") + names[State])
        events.push_back(std::string("over ") + names[State]);
    };
    site->OnDockDrop = [this](TObject*, TDragDockObject* Src, Integer, Integer) {
      if (Src->Control() == tool) events.push_back("drop");
    };
    form->Show();
  }
  void TearDown() override {
    delete form;
    // Floating hosts free themselves through the message queue.
    Application->ProcessMessages();
  }
};

TEST_F(DragFixture, DraggedOntoASiteItDocksAndElsewhereItFloats) {
  DragTo(tool, ScreenOf(tool, 10, 10), ScreenOf(site, 100, 80));
  EXPECT_FALSE(tool->Dragging());
  EXPECT_EQ(tool->HostDockSite(), site);
  EXPECT_EQ(tool->Parent(), site);
  EXPECT_EQ(ClientBounds(tool), Rect(0, 12, 200, 150));
  EXPECT_EQ(events, (std::vector<std::string>{"over enter", "over move", "drop", "end site"}));
  EXPECT_EQ(GetCaptureControl(), nullptr);

  // Dragged by its grabber to a point outside every site: it floats there at
  // its size from before docking, grabbed at the same relative place.
  events.clear();
  TPoint grab = ScreenOf(site, 40, 5);
  TPoint drop = ScreenOf(form, 600, 400);
  SetCursorPos(grab.X, grab.Y);
  ::SendMessageW(site->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(Point(40, 5)));
  EXPECT_TRUE(tool->Dragging());
  Mouse(tool, WM_MOUSEMOVE, ScreenOf(site, 60, 40));
  Mouse(tool, WM_MOUSEMOVE, drop);
  Mouse(tool, WM_LBUTTONUP, drop);
  EXPECT_EQ(events, (std::vector<std::string>{"over enter", "over leave", "end none"}));
  EXPECT_EQ(site->log, (std::vector<std::string>{"undock tool"}));
  EXPECT_EQ(site->DockClientCount(), 0);
  auto* host = dynamic_cast<TCustomDockForm*>(tool->HostDockSite());
  ASSERT_NE(host, nullptr);
  EXPECT_TRUE(tool->Floating());
  EXPECT_TRUE(host->Visible());
  EXPECT_EQ(tool->Parent(), host);
  EXPECT_EQ(tool->Width(), 150);
  EXPECT_EQ(tool->Height(), 90);
  // The floating window's corner keeps the grab point's place relative to the
  // control: a fifth of its width, and 7 pixels above it (on the grabber)
  // scaled from the docked height of 138 to 90.
  EXPECT_EQ(host->Left(), drop.X - 30);
  EXPECT_EQ(host->Top(), drop.Y + 5);

  // Dragged back from the floating window's caption onto the site.
  events.clear();
  TPoint caption = ScreenOf(host, 20, -5);
  SetCursorPos(caption.X, caption.Y);
  ::SendMessageW(host->Handle(), WM_NCLBUTTONDOWN, HTCAPTION, PointToLParam(caption));
  EXPECT_TRUE(tool->Dragging());
  Mouse(tool, WM_MOUSEMOVE, ScreenOf(site, 100, 100));
  Mouse(tool, WM_LBUTTONUP, ScreenOf(site, 100, 100));
  EXPECT_EQ(tool->HostDockSite(), site);
  EXPECT_EQ(tool->Align(), alNone);
  EXPECT_EQ(ClientBounds(tool), Rect(0, 12, 200, 150));
  // The empty floating window goes.
  TComponent* watched = host;
  bool gone = false;
  for (int i = 0; i < 50 && !gone; ++i) {
    Application->ProcessMessages();
    gone = true;
    for (Integer f = 0; f < Screen->FormCount(); ++f)
      if (Screen->Forms(f) == watched) gone = false;
  }
  EXPECT_TRUE(gone);
}

TEST_F(DragFixture, ARefusingSiteMakesTheDropFloatAndAClickIsNoDrag) {
  site->OnDockOver = [](TObject*, TDragDockObject*, Integer, Integer, TDragState, bool& Accept) { Accept = false; };
  DragTo(tool, ScreenOf(tool, 75, 45), ScreenOf(site, 100, 80));
  EXPECT_TRUE(tool->Floating());
  EXPECT_EQ(site->DockClientCount(), 0);
  EXPECT_EQ(events, (std::vector<std::string>{"end none"}));
  auto* host = tool->HostDockSite();
  ASSERT_NE(host, nullptr);
  // Centred on the drop point: it was grabbed in its middle.
  TPoint c = ScreenOf(site, 100, 80);
  EXPECT_EQ(Point(host->Left(), host->Top()), Point(c.X - 75, c.Y - 45));

  // Dropped nowhere again: the floating window just moves.
  events.clear();
  TPoint from = ScreenOf(tool, 75, 45);
  TPoint to = Point(from.X - 40, from.Y + 30);
  DragTo(tool, from, to);
  EXPECT_EQ(tool->HostDockSite(), host);
  EXPECT_EQ(Point(host->Left(), host->Top()), Point(to.X - 75, to.Y - 45));
  EXPECT_EQ(tool->Width(), 150);

  // A press and release without moving ends the drag where it began.
  events.clear();
  Mouse(tool, WM_LBUTTONDOWN, ScreenOf(tool, 5, 5));
  EXPECT_TRUE(tool->Dragging());
  Mouse(tool, WM_LBUTTONUP, ScreenOf(tool, 5, 5));
  EXPECT_FALSE(tool->Dragging());
  EXPECT_EQ(tool->HostDockSite(), host);
  EXPECT_EQ(Point(host->Left(), host->Top()), Point(to.X - 75, to.Y - 45));
  EXPECT_EQ(events, (std::vector<std::string>{"end none"}));
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(DragFixture, DroppedBesideADockedClientItTakesHalfItsZone) {
  auto* first = Child<TSpot>(form, "first", 0, 0, 10, 10);
  ASSERT_TRUE(first->ManualDock(site));
  // Over the lower part of the first client's zone: below it.
  DragTo(tool, ScreenOf(tool, 10, 10), ScreenOf(site, 100, 140));
  EXPECT_EQ(tool->HostDockSite(), site);
  EXPECT_EQ(ClientBounds(first), Rect(0, 12, 200, 73));
  EXPECT_EQ(ClientBounds(tool), Rect(0, 89, 200, 150));
  // Over the right edge of the first one: beside it.
  DragTo(tool, ScreenOf(tool, 10, 10), ScreenOf(site, 195, 40));
  EXPECT_EQ(ClientBounds(first), Rect(0, 12, 98, 150));
  EXPECT_EQ(ClientBounds(tool), Rect(102, 12, 200, 150));
}

TEST_F(DragFixture, TheGrabberClosesAndFloatsItsClient) {
  ASSERT_TRUE(tool->ManualDock(site));
  // The close button sits at the grabber's right end.
  HWND sh = site->Handle();
  ::SendMessageW(sh, WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(Point(194, 5)));
  ::SendMessageW(sh, WM_LBUTTONUP, 0, PointToLParam(Point(194, 5)));
  EXPECT_FALSE(tool->Visible());
  EXPECT_EQ(tool->HostDockSite(), site);
  tool->Show();
  // A double click on the grabber floats it.
  ::SendMessageW(sh, WM_LBUTTONDBLCLK, MK_LBUTTON, PointToLParam(Point(50, 5)));
  EXPECT_TRUE(tool->Floating());
  EXPECT_EQ(tool->Width(), 150);
  EXPECT_EQ(site->DockClientCount(), 0);
  // Closing the floating window hides the client and the window with it.
  auto* host = dynamic_cast<TCustomForm*>(tool->HostDockSite());
  ASSERT_NE(host, nullptr);
  host->Close();
  EXPECT_FALSE(tool->Visible());
  EXPECT_FALSE(host->Visible());
  tool->Show();
  EXPECT_TRUE(host->Visible());
  // The window shows the client's caption.
  tool->SetCaption("Tools");
  EXPECT_EQ(host->Caption(), "Tools");

  // A floating window whose client is freed goes as well.
  delete tool;
  TComponent* watched = host;
  bool gone = false;
  for (int i = 0; i < 50 && !gone; ++i) {
    Application->ProcessMessages();
    gone = true;
    for (Integer f = 0; f < Screen->FormCount(); ++f)
      if (Screen->Forms(f) == watched) gone = false;
  }
  EXPECT_TRUE(gone);
}

// A drag object of the control's own, moving the floating rectangle.
class TShiftedDockObject : public TDragDockObject {
 public:
  using TDragDockObject::TDragDockObject;
  void AdjustDockRect(TRect& ARect) override {
    ARect.Left += 7;
    ARect.Right += 7;
    ARect.Top += 9;
    ARect.Bottom += 9;
  }
};

TEST_F(DragFixture, OnStartDockMayGiveItsOwnDragObject) {
  TShiftedDockObject own(tool);
  int started = 0;
  tool->OnStartDock = [&](TObject* Sender, TDragDockObject*& Obj) {
    EXPECT_EQ(Sender, tool);
    EXPECT_EQ(Obj, nullptr);
    ++started;
    Obj = &own;
  };
  TPoint to = ScreenOf(form, 600, 400);
  DragTo(tool, ScreenOf(tool, 75, 45), to);
  EXPECT_EQ(started, 1);
  ASSERT_TRUE(tool->Floating());
  EXPECT_EQ(Point(tool->HostDockSite()->Left(), tool->HostDockSite()->Top()), Point(to.X - 75 + 7, to.Y - 45 + 9));
}

// ---------------------------------------------------------------------------
// A site that keeps each client on a page of its own (as a page control does).

class TPagedSite : public TBox {
 public:
  T_CLASSNAME(TPagedSite)
  explicit TPagedSite(TComponent* AOwner) : TBox(AOwner) { SetDockSite(true); }
  TBox* newPage = nullptr;
  TBox* pageToFree = nullptr;
  std::vector<TBox*> pages;

 protected:
  void CMDockClient(TMessage& M) override {
    TCMDockClient d(M);
    M.Result = 0;
    newPage = new TBox(this);
    newPage->SetParent(this);
    newPage->SetAlign(alClient);
    pages.push_back(newPage);
    TControl* c = d.DockSource->Control();
    c->Dock(this, d.DockSource->DockRect());
    c->SetAlign(alClient);
    newPage = nullptr;
  }
  void CMUndockClient(TMessage& M) override {
    TCMUnDockClient u(M);
    M.Result = 0;
    pageToFree = static_cast<TBox*>(u.Client->Parent());
    u.Client->SetAlign(alNone);
  }
  void DoAddDockClient(TControl* Client, const TRect& ARect) override {
    if (newPage)
      Client->SetParent(newPage);
    else
      TBox::DoAddDockClient(Client, ARect);
  }
  void DoRemoveDockClient(TControl* Client) override {
    TBox::DoRemoveDockClient(Client);
    if (pageToFree) {
      pages.erase(std::find(pages.begin(), pages.end(), pageToFree));
      delete pageToFree;
      pageToFree = nullptr;
    }
  }
};

TEST(Docking, ASiteMayPutItsClientsIntoPagesAndAFormDocksAndFloatsAsItself) {
  TForm* form = NewForm(400, 300);
  auto* site = Child<TPagedSite>(form, "site", 0, 0, 200, 150);
  auto* tool = Child<TBox>(form, "tool", 300, 200, 60, 40);
  TForm* docked = CreateForm<TForm>(nullptr);
  docked->SetName("docked");
  docked->SetBounds(500, 300, 160, 120);
  docked->SetCaption("Palette");
  form->Show();
  docked->Show();
  EXPECT_TRUE(docked->Floating());

  ASSERT_TRUE(tool->ManualDock(site));
  ASSERT_EQ(site->pages.size(), 1u);
  EXPECT_EQ(tool->Parent(), site->pages[0]);
  EXPECT_EQ(tool->HostDockSite(), site);
  EXPECT_EQ(ClientBounds(tool), Rect(0, 0, 200, 150));

  ASSERT_TRUE(docked->ManualDock(site));
  ASSERT_EQ(site->pages.size(), 2u);
  EXPECT_EQ(docked->Parent(), site->pages[1]);
  EXPECT_FALSE(docked->Floating());
  EXPECT_TRUE(GetWindowLongW(docked->Handle(), GWL_STYLE) & WS_CHILD);
  EXPECT_EQ(site->DockClientCount(), 2);

  // The page goes once its control has moved out of it.
  ASSERT_TRUE(tool->ManualFloat(Rect(600, 400, 660, 440)));
  EXPECT_EQ(site->pages.size(), 1u);
  EXPECT_TRUE(tool->Floating());
  // A form floats as a window of its own again, at its size from before.
  ASSERT_TRUE(docked->ManualDock(nullptr));
  EXPECT_TRUE(site->pages.empty());
  EXPECT_EQ(docked->Parent(), nullptr);
  EXPECT_EQ(docked->HostDockSite(), nullptr);
  EXPECT_TRUE(docked->Floating());
  EXPECT_FALSE(GetWindowLongW(docked->Handle(), GWL_STYLE) & WS_CHILD);
  EXPECT_TRUE(IsWindowVisible(docked->Handle()));
  EXPECT_EQ(docked->Width(), 160);
  EXPECT_EQ(docked->Height(), 120);
  delete docked;
  delete form;
  Application->ProcessMessages();
}

// ---------------------------------------------------------------------------
// A dock site and a dockable control read from a form resource.

class TfrmDocking : public TForm {
 public:
  T_CLASSNAME(TfrmDocking)
  using TForm::TForm;
  TWinControl* pnlSite = nullptr;
  TCustomControl* pnlTool = nullptr;
  std::vector<std::string> calls;
  void pnlSiteDockDrop(TObject*, TDragDockObject* Source, Integer, Integer) {
    calls.push_back("drop " + Source->Control()->Name());
  }
  void pnlToolEndDock(TObject*, TObject* Target, Integer, Integer) {
    calls.push_back("end " + static_cast<TComponent*>(Target)->Name());
  }
};

const bool dockingFormRegistered = [] {
  RegisterClassInfo<TfrmDocking, TForm>("TfrmDocking");
  RegisterHandlers<TfrmDocking>(
      {{"pnlSiteDockDrop", &TfrmDocking::pnlSiteDockDrop}, {"pnlToolEndDock", &TfrmDocking::pnlToolEndDock}});
  RegisterFields<TfrmDocking>({{"pnlSite", &TfrmDocking::pnlSite}, {"pnlTool", &TfrmDocking::pnlTool}});
  return true;
}();

TEST(Docking, SitesAndDockableControlsComeFromFormResources) {
  TfrmDocking form(nullptr);
  ReadComponentFromText(
      "object frmDocking: TfrmDocking\n"
      "  BorderStyle = bsNone\n"
      "  ClientHeight = 200\n"
      "  ClientWidth = 300\n"
      "  object pnlSite: TWinControl\n"
      "    Width = 150\n"
      "    Height = 200\n"
      "    DockSite = True\n"
      "    UseDockManager = True\n"
      "    OnDockDrop = pnlSiteDockDrop\n"
      "  end\n"
      "  object pnlTool: TCustomControl\n"
      "    Left = 200\n"
      "    Width = 80\n"
      "    Height = 40\n"
      "    DragKind = dkDock\n"
      "    DragMode = dmAutomatic\n"
      "    OnEndDock = pnlToolEndDock\n"
      "  end\n"
      "end\n",
      &form);
  ASSERT_NE(form.pnlSite, nullptr);
  ASSERT_NE(form.pnlTool, nullptr);
  EXPECT_TRUE(form.pnlSite->DockSite());
  EXPECT_NE(form.pnlSite->DockManager(), nullptr);
  EXPECT_TRUE(form.pnlSite->DoubleBuffered());
  EXPECT_EQ(form.pnlTool->DragKind(), dkDock);
  form.Show();
  DragTo(form.pnlTool, ScreenOf(form.pnlTool, 40, 20), ScreenOf(form.pnlSite, 75, 100));
  EXPECT_EQ(form.pnlTool->HostDockSite(), form.pnlSite);
  EXPECT_EQ(ClientBounds(form.pnlTool), Rect(0, 12, 150, 200));
  EXPECT_EQ(form.calls, (std::vector<std::string>{"drop pnlTool", "end pnlSite"}));
}

// ---------------------------------------------------------------------------
// Double buffering.

// A box that notes whether it last painted into a memory device context.
class TProbeBox : public TBox {
 public:
  T_CLASSNAME(TProbeBox)
  explicit TProbeBox(TComponent* AOwner, TColor C) : TBox(AOwner, C) {}
  bool paintedToMemory = false;

 protected:
  void Paint() override {
    paintedToMemory = GetObjectType(Canvas()->Handle()) == OBJ_MEMDC;
    TBox::Paint();
  }
};

// Reads a window's client area back from the screen.
void Grab(TWinControl* C, TBitmap& Bmp) {
  Bmp.SetPixelFormat(pf24bit);
  Bmp.SetSize(C->ClientWidth(), C->ClientHeight());
  HDC dc = GetDC(C->Handle());
  BitBlt(Bmp.Canvas()->Handle(), 0, 0, C->ClientWidth(), C->ClientHeight(), dc, 0, 0, SRCCOPY);
  ReleaseDC(C->Handle(), dc);
}

bool SamePixels(TBitmap& A, TBitmap& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height()) return false;
  for (Integer y = 0; y < A.Height(); ++y)
    for (Integer x = 0; x < A.Width(); ++x)
      if (A.Canvas()->Pixels(x, y) != B.Canvas()->Pixels(x, y)) return false;
  return true;
}

TEST(Docking, DoubleBufferedPaintingGivesTheSamePixels) {
  TForm* form = NewForm(300, 200);
  auto* panel = Child<TProbeBox>(form, "panel", 10, 10, 200, 120, clYellow);
  for (int i = 0; i < 12; ++i)
    Child<TSpot>(panel, "", 5 + (i % 6) * 30, 5 + (i / 6) * 50, 25, 40, i % 2 ? clBlue : clGreen);
  auto* inner = Child<TBox>(panel, "inner", 150, 80, 40, 30, clFuchsia);
  form->Show();

  TBitmap plain, buffered;
  panel->Repaint();
  Grab(panel, plain);
  EXPECT_FALSE(panel->paintedToMemory);
  panel->SetDoubleBuffered(true);
  // Scribble over the window first, so only a complete repaint restores it.
  HDC dc = GetDC(panel->Handle());
  RECT all{0, 0, 200, 120};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(panel->Handle(), dc);
  InvalidateRect(panel->Handle(), nullptr, TRUE);
  UpdateWindow(panel->Handle());
  inner->Repaint();
  EXPECT_TRUE(panel->paintedToMemory);
  Grab(panel, buffered);
  EXPECT_EQ(plain.Canvas()->Pixels(2, 2), clYellow);
  EXPECT_EQ(plain.Canvas()->Pixels(10, 10), clGreen);
  EXPECT_EQ(plain.Canvas()->Pixels(160, 90), clFuchsia);
  EXPECT_TRUE(SamePixels(plain, buffered));

  // An erase of the window itself leaves the screen as it is.
  dc = GetDC(panel->Handle());
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ::SendMessageW(panel->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  ReleaseDC(panel->Handle(), dc);
  TBitmap erased;
  Grab(panel, erased);
  EXPECT_EQ(erased.Canvas()->Pixels(2, 2), clBlack);

  // The background is painted only into the buffer: an erase with a device
  // context leaves it alone; with the buffer's own (WParam = LParam) it paints.
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(20, 20);
  target.Canvas()->Brush()->SetColor(clGray);
  target.Canvas()->FillRect(Rect(0, 0, 20, 20));
  HDC tdc = target.Canvas()->Handle();
  panel->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(tdc), 0);
  EXPECT_EQ(target.Canvas()->Pixels(5, 5), clGray);
  panel->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(tdc), reinterpret_cast<LPARAM>(tdc));
  EXPECT_EQ(target.Canvas()->Pixels(5, 5), clYellow);
  panel->SetDoubleBuffered(false);
  target.Canvas()->Brush()->SetColor(clGray);
  target.Canvas()->FillRect(Rect(0, 0, 20, 20));
  panel->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(tdc), 0);
  EXPECT_EQ(target.Canvas()->Pixels(5, 5), clYellow);
  delete form;
}

TEST(Docking, TheDefaultGrabberPaintsACloseButton) {
  TForm* form = NewForm(400, 300);
  auto* site = Child<TSite>(form, "site", 0, 0, 120, 80);
  site->SetColor(clWhite);
  auto* a = Child<TBox>(form, "a", 200, 0, 30, 30, clRed);
  form->Show();
  ASSERT_TRUE(a->ManualDock(site));
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(120, 80);
  site->PaintTo(bmp.Canvas(), 0, 0);
  EXPECT_EQ(bmp.Canvas()->Pixels(60, 40), clRed);
  // The close glyph: dark pixels inside the button at the grabber's right end.
  int dark = 0;
  for (Integer y = 1; y < 11; ++y)
    for (Integer x = 109; x < 119; ++x)
      if (ColorToRGB(bmp.Canvas()->Pixels(x, y)) == 0) ++dark;
  EXPECT_GT(dark, 4);
  // The grabber bars are drawn between the left edge and the button.
  bool bars = false;
  for (Integer y = 0; y < 12; ++y)
    if (bmp.Canvas()->Pixels(20, y) != clWhite) bars = true;
  EXPECT_TRUE(bars);
  delete form;
}

}  // namespace
