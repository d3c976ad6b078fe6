// Edit and combo items on a shown toolbar, driven by real keys and mouse
// clicks: editing in place, Enter and Escape, the text kept or stored on
// leaving, the editor's margins, browsing and opening the combo's list, the
// one-gesture choice from the list, and the views' look (PNGs in the build folder).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "bars/dxBar.h"
#include "tests/bars/bar_input.h"
#include "tests/bars/menu_model.h"
#include "tests/support/png_writer.h"

namespace {

struct TEditBar {
  std::unique_ptr<TForm> form;
  TdxBarManager* manager = nullptr;
  TdxBar* bar = nullptr;
  TdxBarEdit* edit = nullptr;
  TdxBarCombo* combo = nullptr;
  std::vector<std::string> log;

  explicit TEditBar(TdxBarManagerStyle Style = bmsStandard) {
    form.reset(testui::NewForm(560, 260, 40, 40));
    manager = new TdxBarManager(form.get());
    manager->SetStyle(Style);
    bar = manager->Bars()->Add();
    bar->SetCaption("Frame");
    edit = new TdxBarEdit(form.get());
    edit->SetName("edtName");
    edit->SetCaption("&Name:");
    edit->SetWidth(110);
    Watch(edit, "edit");
    combo = new TdxBarCombo(form.get());
    combo->SetName("cboDisposal");
    combo->SetWidth(120);
    for (const char* s : {"none", "b", "background", "previous"}) combo->Items()->Add(s);
    combo->SetItemIndex(0);
    Watch(combo, "combo");
    combo->OnDropDown = [this](TObject*) { log.push_back("dropdown"); };
    combo->OnCloseUp = [this](TObject*) { log.push_back("closeup"); };
    auto* go = new TdxBarButton(form.get());
    go->SetCaption("Go");
    go->SetPaintStyle(psCaption);
    for (TdxBarItem* i : std::vector<TdxBarItem*>{edit, combo, go}) bar->ItemLinks()->Add()->SetItem(i);
    bar->SetDockingStyle(dsTop);
    bar->SetVisible(true);
    barinput::Activate(form.get());
    log.clear();
  }
  ~TEditBar() {
    barinput::MoveTo(Point(5, 5));
    form.reset();
    Application->ProcessMessages();
  }
  void Watch(TdxBarWindowItem* I, const std::string& Name) {
    I->OnChange = [this, I, Name](TObject*) { log.push_back(Name + " change:" + I->Text()); };
    I->OnEnter = [this, Name](TObject*) { log.push_back(Name + " enter"); };
    I->OnExit = [this, Name](TObject*) { log.push_back(Name + " exit"); };
  }
  TdxBarControl* Window() const { return bar->Control(); }
  TdxBarItemLink* LinkOf(TdxBarItem* I) const {
    for (Integer i = 0; i < bar->ItemLinks()->Count(); ++i)
      if (bar->ItemLinks()->Items(i)->Item() == I) return bar->ItemLinks()->Items(i);
    return nullptr;
  }
  TdxBarWinControl* View(TdxBarItem* I) const { return dynamic_cast<TdxBarWinControl*>(LinkOf(I)->Control()); }
  TdxBarComboControl* ComboView() const { return dynamic_cast<TdxBarComboControl*>(View(combo)); }
  TPoint OnScreen(TPoint P) const { return Window()->ClientToScreen(P); }
  TPoint TextPoint(TdxBarItem* I) const {
    TRect r = View(I)->EditRect;
    return OnScreen(Point(r.Left + 10, (r.Top + r.Bottom) / 2));
  }
  TPoint DropButtonPoint() const {
    TRect r = ComboView()->DropButtonRect;
    return OnScreen(Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  }
  // Letters are typed in lower case.
  static void Type(const std::string& Text) {
    for (char c : Text) barinput::Tap(static_cast<Word>(std::toupper(static_cast<unsigned char>(c))));
  }
  HWND ListWindow() const { return combo->DropDownList()->HandleAllocated() ? combo->DropDownList()->Handle() : nullptr; }
  bool ListShown() const { return ListWindow() && IsWindowVisible(ListWindow()); }
  Integer Count(const std::string& Entry) const { return static_cast<Integer>(std::count(log.begin(), log.end(), Entry)); }
};

TEST(EditControls, EnterStoresTheTextCountsAUseAndClosesTheBar) {
  TEditBar f;
  TdxBarWinControl* v = f.View(f.edit);
  ASSERT_NE(v, nullptr);
  Integer curChanges = 0;
  f.edit->OnCurChange = [&](TObject*) { ++curChanges; };
  barinput::Click(f.TextPoint(f.edit));
  ASSERT_TRUE(v->Editing);
  EXPECT_EQ(GetFocus(), v->EditWindow);
  EXPECT_TRUE(IsWindowVisible(v->EditWindow));
  EXPECT_TRUE(f.Window()->Active());
  f.Type("abc");
  EXPECT_EQ(f.edit->Text(), "");
  EXPECT_EQ(f.edit->CurrentText(), "abc");
  EXPECT_EQ(curChanges, 3);
  Integer uses = f.LinkOf(f.edit)->UseCount;
  barinput::Tap(VK_RETURN);
  EXPECT_EQ(f.edit->Text(), "abc");
  EXPECT_EQ(f.Count("edit change:abc"), 1);
  EXPECT_EQ(f.LinkOf(f.edit)->UseCount, uses + 1);
  EXPECT_FALSE(v->Editing);
  EXPECT_FALSE(IsWindowVisible(v->EditWindow));
  EXPECT_FALSE(f.Window()->Active());
  EXPECT_NE(GetFocus(), v->EditWindow);
  EXPECT_EQ(f.log, (std::vector<std::string>{"edit enter", "edit change:abc", "edit exit"}));
}

TEST(EditControls, EscapeLeavesTheTextAndKeepsTheViewSelected) {
  TEditBar f;
  f.edit->SetText("kept");
  f.log.clear();
  TdxBarWinControl* v = f.View(f.edit);
  barinput::Click(f.TextPoint(f.edit));
  ASSERT_TRUE(v->Editing);
  f.Type("zz");
  barinput::Tap(VK_ESCAPE);
  EXPECT_EQ(f.edit->Text(), "kept");
  EXPECT_EQ(f.Count("edit change:zz"), 0);
  EXPECT_FALSE(v->Editing);
  EXPECT_EQ(f.Window()->SelectedControl(), v);
  // Enter on the selected view starts editing again, with the item's text.
  barinput::Tap(VK_RETURN);
  EXPECT_TRUE(v->Editing);
  EXPECT_EQ(v->GetEditText(), "kept");
  barinput::Tap(VK_ESCAPE);
}

TEST(EditControls, LeavingStoresTheTypedTextOnlyWithAlwaysSaveText) {
  struct Case {
    bool alwaysSave, byEscape;
    const char* text;
  } cases[] = {
      {false, false, ""},     // clicked elsewhere
      {true, false, "typed"},  //
      {true, true, ""},       // Escape never stores
  };
  for (const Case& c : cases) {
    TEditBar f;
    f.manager->SetAlwaysSaveText(c.alwaysSave);
    barinput::Click(f.TextPoint(f.edit));
    ASSERT_TRUE(f.View(f.edit)->Editing);
    f.Type("typed");
    if (c.byEscape)
      barinput::Tap(VK_ESCAPE);
    else
      barinput::Click(f.form->ClientToScreen(Point(300, 200)));
    EXPECT_FALSE(f.View(f.edit)->Editing) << c.alwaysSave << c.byEscape;
    EXPECT_EQ(f.edit->Text(), c.text) << c.alwaysSave << c.byEscape;
    EXPECT_EQ(f.Count("edit change:typed"), std::string(c.text).empty() ? 0 : 1);
  }
}

TEST(EditControls, KeyHandlersSeeAndSwallowKeysAndTabMovesOn) {
  TEditBar f;
  std::vector<Word> downs;
  f.edit->OnKeyPress = [](TObject*, char& Key) {
    if (Key == 'x') Key = 0;
  };
  f.edit->OnKeyDown = [&](TObject*, Word& Key, TShiftState) { downs.push_back(Key); };
  barinput::Click(f.TextPoint(f.edit));
  f.Type("axb");
  EXPECT_EQ(f.edit->CurrentText(), "ab");
  EXPECT_EQ(downs, (std::vector<Word>{'A', 'X', 'B'}));
  // Tab stores the text and moves into the next editor.
  barinput::Tap(VK_TAB);
  EXPECT_EQ(f.edit->Text(), "ab");
  EXPECT_FALSE(f.View(f.edit)->Editing);
  EXPECT_TRUE(f.View(f.combo)->Editing);
  EXPECT_EQ(GetFocus(), f.View(f.combo)->EditWindow);
  barinput::Tap(VK_ESCAPE);
}

TEST(EditControls, EditorMarginsPerStyle) {
  for (TdxBarManagerStyle style : {bmsStandard, bmsFlat}) {
    TEditBar f(style);
    TdxBarWinControl* v = f.View(f.edit);
    barinput::Click(f.TextPoint(f.edit));
    ASSERT_TRUE(v->Editing) << style;
    RECT wr;
    GetClientRect(v->EditWindow, &wr);
    EXPECT_EQ(wr.right, v->EditRect.Width()) << style;
    EXPECT_EQ(wr.bottom, v->EditRect.Height()) << style;
    if (style == bmsFlat) {
      RECT r{};
      SendMessageW(v->EditWindow, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
      // The text stays 2 pixels inside the editor's every side.
      EXPECT_GE(r.left, 2);
      EXPECT_EQ(r.top, 2);
      EXPECT_LE(r.right, wr.right - 2);
      EXPECT_LE(r.bottom, wr.bottom - 2);
    } else {
      LRESULT m = SendMessageW(v->EditWindow, EM_GETMARGINS, 0, 0);
      EXPECT_EQ(LOWORD(m), 2);
      EXPECT_EQ(HIWORD(m), 2);
    }
    barinput::Tap(VK_ESCAPE);
  }
}

TEST(EditControls, ArrowsBrowseTheClosedListAndEnterTakesTheEntry) {
  struct Case {
    const char* name;
    std::vector<Word> keys;
    const char* typed;
    Integer index;
    const char* text;
  } cases[] = {
      {"down once", {VK_DOWN}, "", 1, "b"},
      {"down twice, up once", {VK_DOWN, VK_DOWN, VK_UP}, "", 1, "b"},
      {"up at the first entry stays", {VK_UP}, "", 0, "none"},
      {"down past the end stays at the last", {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN}, "", 3, "previous"},
      {"typing over the entry keeps the typed text", {VK_DOWN}, "xyz", -1, "xyz"},
  };
  for (const Case& c : cases) {
    TEditBar f;
    TdxBarComboControl* v = f.ComboView();
    barinput::Click(f.TextPoint(f.combo));
    ASSERT_TRUE(v->Editing) << c.name;
    EXPECT_EQ(v->GetEditText(), "none");
    for (Word k : c.keys) barinput::Tap(k);
    EXPECT_EQ(f.combo->ItemIndex(), 0) << c.name;  // nothing taken while browsing
    EXPECT_FALSE(v->DroppedDown);
    f.Type(c.typed);
    barinput::Tap(VK_RETURN);
    EXPECT_EQ(f.combo->ItemIndex(), c.index) << c.name;
    EXPECT_EQ(f.combo->Text(), c.text) << c.name;
    Integer expectedChanges = std::string(c.text) == "none" ? 0 : 1;
    EXPECT_EQ(f.Count(std::string("combo change:") + c.text), expectedChanges) << c.name;
    EXPECT_FALSE(f.Window()->Active()) << c.name;
  }
}

TEST(EditControls, F4AndAltDownOpenTheListAndCloseIt) {
  TEditBar f;
  TdxBarComboControl* v = f.ComboView();
  barinput::Click(f.TextPoint(f.combo));
  ASSERT_TRUE(v->Editing);
  barinput::Tap(VK_F4);
  EXPECT_TRUE(v->DroppedDown);
  ASSERT_TRUE(f.ListShown());
  // Below the view, as wide as the entries need, four rows high.
  RECT lr, vr;
  GetWindowRect(f.ListWindow(), &lr);
  TRect item = f.LinkOf(f.combo)->ItemRect;
  TPoint below = f.OnScreen(Point(item.Left, item.Bottom));
  EXPECT_EQ(lr.left, below.X);
  EXPECT_EQ(lr.top, below.Y);
  Integer rows = 0;
  for (Integer i = 0; i < 4; ++i) {
    Integer h = 0;
    f.combo->MeasureItem(i, h);
    rows += h;
  }
  EXPECT_EQ(lr.bottom - lr.top, rows + 4);
  GetClientRect(f.ListWindow(), &vr);
  EXPECT_EQ(vr.bottom, rows);
  SaveBitmapAsPng(menutest::Grab(f.combo->DropDownList()).get(), "bars_combo_list.png");
  // The list opens on the current entry; keys go on to it and the editor follows.
  EXPECT_EQ(f.combo->DropDownList()->ItemIndex(), 0);
  barinput::Tap(VK_DOWN);
  EXPECT_EQ(f.combo->DropDownList()->ItemIndex(), 1);
  EXPECT_EQ(v->GetEditText(), "b");
  barinput::Tap(VK_F4);
  EXPECT_FALSE(v->DroppedDown);
  EXPECT_FALSE(f.ListShown());
  barinput::Chord({VK_MENU}, VK_DOWN);
  EXPECT_TRUE(v->DroppedDown);
  EXPECT_TRUE(f.ListShown());
  EXPECT_TRUE(v->Editing);
  barinput::Chord({VK_MENU}, VK_UP);
  EXPECT_FALSE(f.ListShown());
  EXPECT_EQ(f.Count("dropdown"), 2);
  EXPECT_EQ(f.Count("closeup"), 2);
  // A read-only combo never opens.
  f.combo->SetReadOnly(true);
  barinput::Tap(VK_F4);
  EXPECT_FALSE(f.ListShown());
  barinput::Tap(VK_ESCAPE);
}

TEST(EditControls, DropButtonOpensOnPressAndClosesOnTheReleaseOfTheNextClick) {
  TEditBar f;
  TdxBarComboControl* v = f.ComboView();
  TPoint button = f.DropButtonPoint();
  barinput::MoveTo(button);
  barinput::Settle(30);
  barinput::Button(MOUSEEVENTF_LEFTDOWN);
  barinput::Settle(60);
  EXPECT_TRUE(v->DroppedDown);
  EXPECT_TRUE(f.ListShown());
  barinput::Button(MOUSEEVENTF_LEFTUP);
  barinput::Settle(60);
  EXPECT_TRUE(f.ListShown());  // the press that opened it leaves it open
  barinput::Button(MOUSEEVENTF_LEFTDOWN);
  barinput::Settle(60);
  EXPECT_TRUE(f.ListShown());
  barinput::Button(MOUSEEVENTF_LEFTUP);
  barinput::Settle(60);
  EXPECT_FALSE(v->DroppedDown);
  EXPECT_FALSE(f.ListShown());
  EXPECT_EQ(f.combo->ItemIndex(), 0);
  barinput::Tap(VK_ESCAPE);
}

TEST(EditControls, PressOnTheButtonDragIntoTheListAndReleaseChoosesTheRow) {
  TEditBar f;
  TdxBarComboControl* v = f.ComboView();
  barinput::MoveTo(f.DropButtonPoint());
  barinput::Settle(30);
  barinput::Button(MOUSEEVENTF_LEFTDOWN);
  barinput::Settle(60);
  ASSERT_TRUE(f.ListShown());
  EXPECT_TRUE(f.combo->DropDownList()->Tracking);
  TRect row = f.combo->DropDownList()->ItemRect(2);
  POINT target{row.Left + 15, (row.Top + row.Bottom) / 2};
  ClientToScreen(f.ListWindow(), &target);
  POINT from;
  GetCursorPos(&from);
  for (int k = 1; k <= 5; ++k) {
    barinput::MoveTo(Point(from.x + (target.x - from.x) * k / 5, from.y + (target.y - from.y) * k / 5));
    barinput::Settle(30);
  }
  EXPECT_EQ(f.combo->DropDownList()->ItemIndex(), 2);  // hot tracked
  barinput::Button(MOUSEEVENTF_LEFTUP);
  barinput::Settle(80);
  EXPECT_FALSE(f.ListShown());
  EXPECT_FALSE(v->DroppedDown);
  EXPECT_EQ(f.combo->ItemIndex(), 2);
  EXPECT_EQ(f.combo->Text(), "background");
  EXPECT_EQ(f.Count("combo change:background"), 1);
  EXPECT_FALSE(f.Window()->Active());
}

TEST(EditControls, TypingInTheOpenListSelectsTheMatchingEntry) {
  TEditBar f;
  TdxBarComboControl* v = f.ComboView();
  barinput::Click(f.TextPoint(f.combo));
  barinput::Tap(VK_F4);
  ASSERT_TRUE(f.ListShown());
  // "b" and "background" share the first letter; the upper-case letter takes the first.
  barinput::Chord({VK_SHIFT}, 'B');
  EXPECT_EQ(v->GetEditText(), "B");
  EXPECT_EQ(v->ShownIndex, 1);
  EXPECT_EQ(f.combo->DropDownList()->ItemIndex(), 1);
  // A prefix of a longer entry marks nothing but scrolls that entry up.
  f.Type("ac");
  EXPECT_EQ(v->ShownIndex, 2);
  EXPECT_EQ(f.combo->DropDownList()->ItemIndex(), -1);
  barinput::Tap(VK_ESCAPE);
  EXPECT_FALSE(f.ListShown());
}

TEST(EditControls, ViewsPaintTheirTextFrameAndButton) {
  for (TdxBarManagerStyle style : {bmsStandard, bmsFlat}) {
    TEditBar f(style);
    f.edit->SetShowCaption(true);
    f.edit->SetText("Hello");
    Application->ProcessMessages();
    TdxBarControl* w = f.Window();
    RedrawWindow(w->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    auto shot = menutest::Grab(w);
    std::string name = style == bmsFlat ? "bars_edit_views_flat.png" : "bars_edit_views.png";
    SaveBitmapAsPng(shot.get(), name);
    TdxBarWinControl* v = f.View(f.edit);
    TRect text = v->EditRect;
    ASSERT_GT(text.Width(), 50);
    // The caption part comes before the text area.
    EXPECT_GT(text.Left - f.LinkOf(f.edit)->ItemRect.Left, 20);
    Integer window = 0, ink = 0;
    for (Integer y = text.Top; y < text.Bottom; ++y)
      for (Integer x = text.Left; x < text.Right; ++x) {
        COLORREF c = static_cast<COLORREF>(shot->Canvas()->Pixels(x, y)) & 0xFFFFFF;
        if (c == (GetSysColor(COLOR_WINDOW) & 0xFFFFFF)) ++window;
        if (c == (GetSysColor(COLOR_WINDOWTEXT) & 0xFFFFFF)) ++ink;
      }
    EXPECT_GT(window, text.Width() * text.Height() / 2) << style;
    EXPECT_GT(ink, 10) << style;
    // The drop button's arrow.
    TRect b = f.ComboView()->DropButtonRect;
    Integer arrow = 0;
    for (Integer y = b.Top; y < b.Bottom; ++y)
      for (Integer x = b.Left; x < b.Right; ++x)
        if ((static_cast<COLORREF>(shot->Canvas()->Pixels(x, y)) & 0xFFFFFF) == (GetSysColor(COLOR_BTNTEXT) & 0xFFFFFF))
          ++arrow;
    EXPECT_GE(arrow, 6) << style;
  }
}

}  // namespace

namespace {

TEST(EditControls, LongTextIsStoredWhole) {
  TEditBar f;
  TdxBarWinControl* v = f.View(f.edit);
  barinput::Click(f.TextPoint(f.edit));
  ASSERT_TRUE(v->Editing);
  // As pasted: more than 255 characters.
  std::string longText;
  for (int i = 0; i < 40; ++i) longText += "frame " + std::to_string(i) + ";";
  ASSERT_GT(longText.size(), 300u);
  SetWindowTextW(v->EditWindow, Utf8ToWide(longText).c_str());
  EXPECT_EQ(f.edit->CurrentText(), longText);
  barinput::Tap(VK_RETURN);
  EXPECT_EQ(f.edit->Text(), longText);
}

TEST(EditControls, TheEditorStaysWhileTheMouseLeavesTheBarWindow) {
  TEditBar f;
  TdxBarWinControl* v = f.View(f.edit);
  barinput::Click(f.TextPoint(f.edit));
  ASSERT_TRUE(v->Editing);
  // The pointer over the editor has left the bar window's own client area.
  SendMessageW(f.Window()->Handle(), WM_MOUSELEAVE, 0, 0);
  barinput::Settle(60);
  EXPECT_TRUE(v->Editing);
  EXPECT_EQ(f.Window()->SelectedControl(), v);
  f.Type("ok");
  barinput::Tap(VK_RETURN);
  EXPECT_EQ(f.edit->Text(), "ok");
}

TEST(EditControls, AChangeHandlerThatRemovesTheLinkEndsTheKey) {
  TEditBar f;
  f.edit->OnChange = [&](TObject*) {
    f.log.push_back("change:" + f.edit->Text());
    delete f.LinkOf(f.edit);  // the view goes with its link
  };
  barinput::Click(f.TextPoint(f.edit));
  ASSERT_TRUE(f.View(f.edit)->Editing);
  f.Type("gone");
  barinput::Tap(VK_RETURN);
  EXPECT_EQ(f.edit->Text(), "gone");
  EXPECT_EQ(f.LinkOf(f.edit), nullptr);
  EXPECT_EQ(f.log, (std::vector<std::string>{"edit enter", "change:gone", "edit exit"}));
  // The bar goes on working.
  ASSERT_NE(f.Window(), nullptr);
  barinput::Settle(60);
  barinput::Click(f.TextPoint(f.combo));
  EXPECT_TRUE(f.View(f.combo)->Editing);
  barinput::Tap(VK_ESCAPE);
}

}  // namespace

namespace {

TEST(EditControls, EditorsWorkAfterTheBarIsDraggedToFloat) {
  TEditBar f;
  RECT wr;
  GetWindowRect(f.Window()->Handle(), &wr);
  TPoint grip = Point(wr.left + 4, (wr.top + wr.bottom) / 2);
  TPoint drop = f.form->ClientToScreen(Point(260, 150));
  ASSERT_TRUE(barinput::Drag(grip, {}, drop));
  TdxBarControl* w = f.Window();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(f.bar->DockingStyle(), dsNone);
  barinput::Settle(60);
  TdxBarWinControl* v = f.View(f.edit);
  ASSERT_NE(v, nullptr);
  ASSERT_NE(v->EditWindow, nullptr);
  EXPECT_EQ(GetParent(v->EditWindow), w->Handle());
  barinput::Click(f.TextPoint(f.edit));
  ASSERT_TRUE(v->Editing);
  f.Type("afloat");
  barinput::Tap(VK_RETURN);
  EXPECT_EQ(f.edit->Text(), "afloat");
}

TEST(EditControls, AnEditInAMenuShowsItsCaptionAndEditsInPlace) {
  TEditBar f;
  auto* sub = new TdxBarSubItem(f.form.get());
  sub->SetCaption("Options");
  sub->ItemLinks()->Add()->SetItem(f.edit);
  f.bar->ItemLinks()->Add()->SetItem(sub);
  barinput::Settle(60);
  TRect sr = f.LinkOf(sub)->ItemRect;
  barinput::Click(f.OnScreen(Point((sr.Left + sr.Right) / 2, (sr.Top + sr.Bottom) / 2)));
  TdxBarSubMenuControl* menu = sub->MenuWindow();
  ASSERT_NE(menu, nullptr);
  TdxBarItemLink* row = sub->ItemLinks()->Items(0);
  auto* v = dynamic_cast<TdxBarEditControl*>(row->Control());
  ASSERT_NE(v, nullptr);
  EXPECT_TRUE(v->ShowsCaption());
  barinput::Settle(60);
  SaveBitmapAsPng(menutest::Grab(menu).get(), "bars_edit_in_menu.png");
  EXPECT_GT(v->EditRect.Left - row->ItemRect.Left, v->CaptionWidth() - 8);
  TPoint text = menu->ClientToScreen(Point(v->EditRect.Left + 10, (v->EditRect.Top + v->EditRect.Bottom) / 2));
  barinput::Click(text);
  ASSERT_TRUE(v->Editing);
  EXPECT_EQ(GetParent(v->EditWindow), menu->Handle());
  f.Type("menu");
  barinput::Tap(VK_RETURN);
  EXPECT_EQ(f.edit->Text(), "menu");
  EXPECT_EQ(sub->MenuWindow(), nullptr);
}

}  // namespace

namespace {

TEST(EditControls, AnApplicationDropDownWindowIsPlacedShownFedKeysAndHidden) {
  TEditBar f;
  std::unique_ptr<TForm> popup{testui::NewForm(150, 90, 0, 0)};
  std::string typed;
  popup->OnKeyPress = [&](TObject*, char& Key) { typed += Key; };
  auto* c = new TCustomdxBarCombo(f.form.get());
  c->SetWidth(80);
  c->OnGetDropDownWindow = [&](TObject*, HWND& W) { W = popup->Handle(); };
  c->OnDropDown = [&](TObject*) { f.log.push_back("app dropdown"); };
  c->OnCloseUp = [&](TObject*) { f.log.push_back("app closeup"); };
  f.bar->ItemLinks()->Add()->SetItem(c);
  barinput::Settle(60);
  auto* v = dynamic_cast<TCustomdxBarComboControl*>(f.LinkOf(c)->Control());
  ASSERT_NE(v, nullptr);
  barinput::Click(f.TextPoint(c));
  ASSERT_TRUE(v->Editing);
  barinput::Tap(VK_F4);
  ASSERT_TRUE(IsWindowVisible(popup->Handle()));
  RECT pr;
  GetWindowRect(popup->Handle(), &pr);
  TRect item = f.LinkOf(c)->ItemRect;
  TPoint below = f.OnScreen(Point(item.Left, item.Bottom));
  EXPECT_EQ(pr.left, below.X);
  EXPECT_EQ(pr.top, below.Y);
  // Every key but Tab, Enter and Escape goes to the open window.
  f.Type("ab");
  EXPECT_EQ(typed, "ab");
  EXPECT_EQ(v->GetEditText(), "");
  barinput::Tap(VK_F4);
  EXPECT_FALSE(IsWindowVisible(popup->Handle()));
  EXPECT_EQ(f.log, (std::vector<std::string>{"app dropdown", "app closeup"}));
  f.Type("c");
  EXPECT_EQ(v->GetEditText(), "c");
  // Escape closes the open window with the editor.
  barinput::Tap(VK_F4);
  ASSERT_TRUE(IsWindowVisible(popup->Handle()));
  barinput::Tap(VK_ESCAPE);
  EXPECT_FALSE(IsWindowVisible(popup->Handle()));
  EXPECT_FALSE(v->Editing);
}

}  // namespace

namespace {

TEST(EditControls, ViewWidthFollowsTheItemWidthAndTheCaption) {
  TEditBar f;
  auto* v = dynamic_cast<TdxBarEditControl*>(f.View(f.edit));
  ASSERT_NE(v, nullptr);
  TdxBarItemLink* link = f.LinkOf(f.edit);
  EXPECT_EQ(v->CaptionWidth(), 0);
  EXPECT_EQ(link->ItemRect.Width(), 110);
  f.edit->SetWidth(200);
  barinput::Settle(40);
  EXPECT_EQ(link->ItemRect.Width(), 200);
  f.edit->SetShowCaption(true);
  barinput::Settle(40);
  EXPECT_GT(v->CaptionWidth(), 20);
  EXPECT_EQ(link->ItemRect.Width(), 200 + v->CaptionWidth());
  // A link with its own width keeps it.
  link->SetUserWidth(90);
  f.edit->SetWidth(300);
  f.Window()->RebuildLayout();
  barinput::Settle(40);
  EXPECT_EQ(link->ItemRect.Width(), 90 + v->CaptionWidth());
}

}  // namespace

namespace {

TEST(EditControls, MaxLengthReadOnlyAndDisablingLimitWhatIsTyped) {
  struct Case {
    const char* name;
    Integer maxLength;
    bool readOnly, disableWhileTyping;
    const char* text;  // after typing "abcdef" and Enter
  } cases[] = {
      {"no limit", 0, false, false, "abcdef"},
      {"three characters", 3, false, false, "abc"},
      {"read-only", 0, true, false, "orig"},
      {"disabled while typing", 0, false, true, "orig"},
  };
  for (const Case& c : cases) {
    TEditBar f;
    f.edit->SetText("orig");
    f.edit->SetMaxLength(c.maxLength);
    f.edit->SetReadOnly(c.readOnly);
    TdxBarWinControl* v = f.View(f.edit);
    barinput::Click(f.TextPoint(f.edit));
    ASSERT_TRUE(v->Editing) << c.name;
    f.Type("abc");
    if (c.disableWhileTyping) {
      f.edit->SetEnabled(false);
      EXPECT_FALSE(v->Editing) << c.name;
      EXPECT_FALSE(IsWindowVisible(v->EditWindow)) << c.name;
    }
    f.Type("def");
    barinput::Tap(VK_RETURN);
    EXPECT_EQ(f.edit->Text(), c.text) << c.name;
  }
}

}  // namespace

namespace {

TEST(EditControls, AltShortcutsWorkWhileEditingAndCloseTheEditor) {
  TEditBar f;
  auto* play = new TdxBarButton(f.form.get());
  play->SetCaption("Play");
  play->SetShortCut(ShortCut('P', TShiftState{ssAlt}));
  Integer clicks = 0;
  play->OnClick = [&](TObject*) { ++clicks; };
  f.bar->ItemLinks()->Add()->SetItem(play);
  barinput::Settle(40);
  TdxBarWinControl* v = f.View(f.edit);
  barinput::Click(f.TextPoint(f.edit));
  ASSERT_TRUE(v->Editing);
  f.Type("ab");
  barinput::Chord({VK_MENU}, 'P');
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(v->Editing);
  EXPECT_FALSE(f.Window()->Active());
  EXPECT_EQ(f.edit->Text(), "");
  EXPECT_EQ(v->SysKeyDepth, 0);
}

}  // namespace
