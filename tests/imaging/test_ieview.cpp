// The view base: change listeners, resolution, window style and mouse events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/views/ieview.h"

namespace {

class TBareView : public TIEView {
 public:
  TBareView() : TIEView(nullptr) {}
};

struct TListener : TObject {
  std::vector<std::string>* log;
  std::string name;
  TListener(std::vector<std::string>* l, std::string n) : log(l), name(std::move(n)) {}
  void Changed(TIEView*, bool Destroying) { log->push_back(name + (Destroying ? " gone" : " changed")); }
};

}  // namespace

TEST(IEView, ListenersAreCalledInOrderAndRemovedOnce) {
  std::vector<std::string> log;
  TListener a(&log, "a"), b(&log, "b");
  TBareView view;
  const TIEListenerHandle ha = view.AddChangeListener(TIEViewChangeEvent(&a, &TListener::Changed));
  view.AddChangeListener(TIEViewChangeEvent(&b, &TListener::Changed));
  view.NotifyChangeListeners();
  EXPECT_EQ(log, (std::vector<std::string>{"a changed", "b changed"}));

  view.RemoveChangeListener(ha);
  view.RemoveChangeListener(ha);  // a second time: nothing
  view.RemoveChangeListener(IENoListener);
  view.RemoveChangeListener(12345);  // not a handle of this view
  EXPECT_EQ(view.ChangeListenerCount(), 1);
  log.clear();
  view.NotifyChangeListeners();
  EXPECT_EQ(log, (std::vector<std::string>{"b changed"}));
}

TEST(IEView, DestructionTellsEveryListenerFirstRegisteredFirst) {
  std::vector<std::string> log;
  TListener a(&log, "a"), b(&log, "b");
  {
    TBareView view;
    view.AddChangeListener(TIEViewChangeEvent(&a, &TListener::Changed));
    view.AddChangeListener(TIEViewChangeEvent(&b, &TListener::Changed));
  }
  EXPECT_EQ(log, (std::vector<std::string>{"a gone", "b gone"}));
}

TEST(IEView, ResolutionZeroKeepsAnAxis) {
  TBareView view;
  EXPECT_EQ(view.ResolutionX(), 0);
  view.StoreResolution(72, 72);
  view.StoreResolution(0, 96);
  EXPECT_EQ(view.ResolutionX(), 72);
  EXPECT_EQ(view.ResolutionY(), 96);
}

TEST(IEView, DefaultsAndAbstractOperations) {
  TBareView view;
  EXPECT_EQ(view.Background(), clBtnFace);
  EXPECT_EQ(view.BorderStyle(), bsSingle);
  EXPECT_TRUE(view.Ctl3D());
  EXPECT_EQ(view.CurrentBitmap(), nullptr);
  EXPECT_EQ(view.CurrentIEBitmap(), nullptr);
  view.NotifyImageChanged();
  EXPECT_THROW(view.AlphaBitmap(), Exception);
  EXPECT_THROW(view.SuspendRefresh(), Exception);
  EXPECT_THROW(view.ResumeRefreshQuiet(), Exception);
  view.SetBackground(clRed);
  EXPECT_EQ(view.Background(), clRed);
}

TEST(IEView, BorderChangesRecreateTheWindowOnlyWhenTheyDiffer) {
  HWND host = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(host, nullptr);
  TBareView view;
  view.SetParentWindow(host);
  HWND first = view.Handle();
  ASSERT_NE(first, nullptr);
  EXPECT_NE(::GetWindowLongW(first, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_EQ(::GetClassLongW(first, GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW), 0u);
  view.SetBorderStyle(bsSingle);
  view.SetCtl3D(true);
  EXPECT_EQ(view.Handle(), first);
  EXPECT_TRUE(::IsWindow(first));

  view.SetCtl3D(false);
  HWND second = view.Handle();
  EXPECT_EQ(::GetWindowLongW(second, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_NE(::GetWindowLongW(second, GWL_STYLE) & WS_BORDER, 0);
  view.SetBorderStyle(bsNone);
  EXPECT_EQ(::GetWindowLongW(view.Handle(), GWL_STYLE) & WS_BORDER, 0);
  view.SetParentWindow(nullptr);
  ::DestroyWindow(host);
}

TEST(IEView, MouseEnterAndLeaveEvents) {
  TBareView view;
  std::vector<std::string> log;
  view.OnMouseEnter = [&](TObject* s) { log.push_back(s == &view ? "enter" : "?"); };
  view.OnMouseLeave = [&](TObject* s) { log.push_back(s == &view ? "leave" : "?"); };
  view.Perform(CM_MOUSEENTER);
  view.Perform(CM_MOUSELEAVE);
  EXPECT_EQ(log, (std::vector<std::string>{"enter", "leave"}));
}
