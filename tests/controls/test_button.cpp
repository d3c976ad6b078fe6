// Push buttons on a shown form, driven by real mouse and key messages:
// grouped down states, the pressed look while dragging and with Space, the
// dialog keys, hot tracking, and the faces of the three looks by pixels.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/RzButton.h"
#include "controls/RzThemeSrv.h"
#include "platform/ExtCtrls.h"
#include "platform/StdCtrls.h"
#include "tests/controls/shots.h"
#include "tests/controls/theme_look.h"
#include "tests/support/ui.h"

namespace {

using testshots::Px;
using testshots::Shot;
using Log = std::vector<std::string>;

using testshots::At;

bool Differ(TBitmap* A, TBitmap* B) {
  for (Integer y = 0; y < A->Height(); ++y)
    for (Integer x = 0; x < A->Width(); ++x)
      if (Px(A, x, y) != Px(B, x, y)) return true;
  return false;
}

using testshots::Pump;

// A left click (press and release at the same point) through the queue.
void ClickAt(TWinControl* C, Integer X = 5, Integer Y = 5) {
  testshots::PointAt(C, X, Y);
  PostMessageW(C->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(X, Y));
  PostMessageW(C->Handle(), WM_LBUTTONUP, 0, At(X, Y));
  Pump();
}

void MouseOver(TWinControl* C, Integer X, Integer Y) {
  PostMessageW(C->Handle(), WM_MOUSEMOVE, 0, At(X, Y));
  Pump();
}

void SendKeys(std::initializer_list<std::pair<WORD, bool>> Keys) {
  std::vector<INPUT> in;
  for (auto [vk, up] : Keys) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
  testshots::SettleInput();
}

struct TButtonForm {
  TForm* form;
  TButtonForm(Integer W = 320, Integer H = 120) {
    RegisterRzButtonClasses();
    form = testui::NewForm(W, H);
    form->SetColor(clTeal);
    testshots::ShowActive(form);
  }
  ~TButtonForm() { delete form; }
  template <class B = TRzButton>
  B* Add(Integer X, Integer Y, const std::string& Caption = "", TWinControl* Parent = nullptr) {
    auto* b = new B(form);
    b->SetParent(Parent ? Parent : form);
    b->SetBounds(X, Y, 75, 25);
    b->SetCaption(Caption);
    return b;
  }
};

// ---------------------------------------------------------------------------
TEST(ControlsButtonGroup, ClicksMoveTheDownStateWithinOneGroupOfOneParent) {
  TButtonForm f;
  auto* panel = new TPanel(f.form);
  panel->SetParent(f.form);
  panel->SetBounds(0, 60, 320, 60);
  TRzButton* a = f.Add(0, 0, "A");
  TRzButton* b = f.Add(80, 0, "B");
  TRzButton* other = f.Add(160, 0, "other group");
  TRzButton* elsewhere = f.Add(0, 0, "other parent", panel);
  for (TRzButton* x : {a, b, elsewhere}) x->SetGroupIndex(1);
  other->SetGroupIndex(2);
  other->SetDown(true);
  elsewhere->SetDown(true);
  Log clicks;
  for (TRzButton* x : {a, b}) x->OnClick = [&clicks, x](TObject*) { clicks.push_back(x->Caption()); };

  struct Step {
    const char* What;
    std::function<void()> Do;
    bool A, B;
  };
  const Step steps[] = {
      {"click A", [&] { ClickAt(a); }, true, false},
      {"click A again: the only down button stays down", [&] { ClickAt(a); }, true, false},
      {"click B releases A", [&] { ClickAt(b); }, false, true},
      {"Down by code releases B", [&] { a->SetDown(true); }, true, false},
      {"AllowAllUp set on B is shared by A", [&] { b->SetAllowAllUp(true); }, true, false},
      {"click A lets it come up", [&] { ClickAt(a); }, false, false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.What);
    s.Do();
    EXPECT_EQ(a->Down(), s.A);
    EXPECT_EQ(b->Down(), s.B);
    EXPECT_EQ(a->DownState(), s.A ? 3 : 0);
    // Other groups and other parents are never touched.
    EXPECT_TRUE(other->Down());
    EXPECT_TRUE(elsewhere->Down());
  }
  EXPECT_TRUE(a->AllowAllUp());
  EXPECT_FALSE(elsewhere->AllowAllUp());
  EXPECT_EQ(clicks, (Log{"A", "A", "B", "A"}));

  TRzButton* plain = f.Add(240, 0, "plain");
  plain->SetDown(true);
  EXPECT_FALSE(plain->Down()) << "a button without a group is never down";
}

TEST(ControlsButtonPress, DraggingOffAndBackAndSpaceShowThePressedFace) {
  TButtonForm f;
  TRzButton* btn = f.Add(10, 10, "Press");
  int clicks = 0;
  btn->OnClick = [&](TObject*) { ++clicks; };
  HWND w = btn->Handle();

  testshots::PointAt(btn, 5, 5);
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  Pump();
  EXPECT_TRUE(btn->PressedLook());
  EXPECT_TRUE(btn->Focused());
  PostMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, At(90, 5));  // off the button
  Pump();
  EXPECT_FALSE(btn->PressedLook());
  PostMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, At(74, 24));  // the last pixel inside
  Pump();
  EXPECT_TRUE(btn->PressedLook());
  PostMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, At(75, 5));  // the right edge is outside
  Pump();
  EXPECT_FALSE(btn->PressedLook());
  PostMessageW(w, WM_LBUTTONUP, 0, At(75, 5));
  Pump();
  EXPECT_EQ(clicks, 0) << "released outside";

  ClickAt(btn);
  EXPECT_EQ(clicks, 1);

  // Space held shows the pressed face; its release clicks once.
  SendKeys({{VK_SPACE, false}});
  EXPECT_TRUE(btn->PressedLook());
  EXPECT_EQ(clicks, 1);
  SendKeys({{VK_SPACE, true}});
  EXPECT_FALSE(btn->PressedLook());
  EXPECT_EQ(clicks, 2);
  // A release whose press went elsewhere does not click.
  SendKeys({{VK_SPACE, true}});
  EXPECT_EQ(clicks, 2);
}

TEST(ControlsButtonKeys, EnterAndEscapeReachTheDefaultAndCancelButtonsOnlyWithoutModifiers) {
  struct Case {
    std::vector<WORD> Held;
    WORD Key;
    Log Want;
  };
  const Case cases[] = {
      {{}, VK_RETURN, {"ok"}},
      {{VK_CONTROL}, VK_RETURN, {}},
      {{VK_SHIFT}, VK_RETURN, {}},
      {{}, VK_ESCAPE, {"cancel"}},
      {{VK_CONTROL}, VK_ESCAPE, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.Key << " with " << c.Held.size() << " modifiers");
    TButtonForm f;
    auto* edit = new TEdit(f.form);
    edit->SetParent(f.form);
    edit->SetBounds(10, 80, 100, 21);
    TRzButton* ok = f.Add(10, 10, "OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    TRzButton* cancel = f.Add(100, 10, "Cancel");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    Log clicks;
    ok->OnClick = [&](TObject*) { clicks.push_back("ok"); };
    cancel->OnClick = [&](TObject*) { clicks.push_back("cancel"); };
    edit->SetFocus();
    Pump();
    EXPECT_TRUE(ok->Active()) << "the default button is active while an edit has the focus";
    std::vector<std::pair<WORD, bool>> keys;
    for (WORD h : c.Held) keys.push_back({h, false});
    keys.push_back({c.Key, false});
    keys.push_back({c.Key, true});
    for (WORD h : c.Held) keys.push_back({h, true});
    std::vector<INPUT> in;
    for (auto [vk, up] : keys) {
      INPUT i{};
      i.type = INPUT_KEYBOARD;
      i.ki.wVk = vk;
      i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      in.push_back(i);
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    testshots::SettleInput();
    EXPECT_EQ(clicks, c.Want);
    EXPECT_EQ(f.form->ModalResult(), c.Want.empty() ? mrNone : c.Want[0] == "ok" ? mrOk : mrCancel);
  }
}

TEST(ControlsButtonKeys, FocusOnAnotherButtonMakesItTheActiveOne) {
  TButtonForm f;
  auto* edit = new TEdit(f.form);
  edit->SetParent(f.form);
  edit->SetBounds(10, 80, 100, 21);
  TRzButton* ok = f.Add(10, 10, "OK");
  ok->SetDefault(true);
  TRzButton* other = f.Add(100, 10, "Other");
  other->SetFocus();
  Pump();
  EXPECT_TRUE(other->Active());
  EXPECT_FALSE(ok->Active());
  edit->SetFocus();
  Pump();
  EXPECT_TRUE(ok->Active());
  EXPECT_FALSE(other->Active());
}

TEST(ControlsButtonKeys, AcceleratorOfTheCaptionClicks) {
  TButtonForm f;
  TRzButton* open = f.Add(10, 10, "&Open");
  TRzButton* save = f.Add(100, 10, "&Save");
  save->SetModalResult(mrYes);
  Log clicks;
  open->OnClick = [&](TObject*) { clicks.push_back("open"); };
  save->OnClick = [&](TObject*) { clicks.push_back("save"); };
  open->SetFocus();
  Pump();
  PostMessageW(open->Handle(), WM_CHAR, 's', 1);
  Pump();
  PostMessageW(open->Handle(), WM_CHAR, 'x', 1);
  Pump();
  EXPECT_EQ(clicks, Log{"save"});
  EXPECT_EQ(f.form->ModalResult(), mrYes);
}

// ---------------------------------------------------------------------------
// Faces. The editor's buttons: hot tracking on, Color $F0F4F4, HighlightColor
// $F48D6A, HotTrackColor $3CC7FF.
class ControlsButtonFace : public ThemeLookTest {};

TEST_P(ControlsButtonFace, HotTrackLookFollowsTheMouseAndTheFocus) {
  TButtonForm f;
  TRzButton* btn = f.Add(10, 10);
  btn->SetHotTrack(true);
  btn->SetColor(static_cast<TColor>(0xF0F4F4));
  btn->SetHighlightColor(static_cast<TColor>(0xF48D6A));
  btn->SetHotTrackColor(static_cast<TColor>(0x3CC7FF));
  TRzButton* elsewhere = f.Add(200, 10, "x");
  (void)elsewhere;
  const TColor face = 0xF0F4F4;
  auto plain = Shot(btn);

  MouseOver(btn, 30, 12);
  EXPECT_TRUE(btn->MouseOver());
  auto hot = Shot(btn);
  MouseOver(f.form, 300, 100);
  EXPECT_FALSE(btn->MouseOver());
  auto left = Shot(btn);
  btn->SetFocus();
  Pump();
  auto focused = Shot(btn);
  testshots::PointAt(btn, 5, 5);
  PostMessageW(btn->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  Pump();
  auto pressed = Shot(btn);
  PostMessageW(btn->Handle(), WM_LBUTTONUP, 0, At(90, 5));
  Pump();
  btn->SetEnabled(false);
  auto disabled = Shot(btn);

  testshots::TSheet sheet;
  for (auto& [label, pic] : std::vector<std::pair<std::string, TBitmap*>>{
           {"plain", plain.get()}, {"hot", hot.get()}, {"left", left.get()},
           {"focused", focused.get()}, {"pressed", pressed.get()}, {"disabled", disabled.get()}})
    sheet.Add(label, pic);
  sheet.Save(std::string("controls_button_hottrack_") + LookName(GetParam()) + ".png");

  if (Themed()) {
    // The visual style paints the states itself; each shows differently.
    EXPECT_TRUE(Differ(plain.get(), hot.get()));
    EXPECT_FALSE(Differ(plain.get(), left.get()));
    EXPECT_TRUE(Differ(plain.get(), pressed.get()));
    EXPECT_TRUE(Differ(plain.get(), disabled.get()));
    return;
  }
  // The open corners show the parent; the soft outer edge and the outline.
  const TColor d = ColorDarkenedBy(clBtnFace, 20), l = ColorLightenedBy(clBtnFace, 20);
  const TColor outline = ColorDarkenedBy(face, 150);
  for (TBitmap* b : {plain.get(), hot.get(), focused.get(), pressed.get()}) {
    EXPECT_EQ(Px(b, 0, 0), clTeal);
    EXPECT_EQ(Px(b, 1, 1), d);
    EXPECT_EQ(Px(b, 0, 12), d);
    EXPECT_EQ(Px(b, 74, 12), l);
    EXPECT_EQ(Px(b, 37, 24), l);
    EXPECT_EQ(Px(b, 1, 2), outline);
    EXPECT_EQ(Px(b, 1, 22), outline);
  }
  EXPECT_EQ(Px(plain.get(), 37, 2), ColorLightenedBy(face, 20)) << "the plain gradient edge";
  EXPECT_EQ(Px(plain.get(), 37, 21), ColorDarkenedBy(face, 20));
  Byte h = HueOfColor(0x3CC7FF);
  TColor hot1 = ColorFromHslBytes(static_cast<Byte>(h >= 120 ? h - 120 : h + 120), 220, 180);
  EXPECT_EQ(Px(hot.get(), 2, 12), hot1) << "the ring in the complement of the hot-track hue";
  EXPECT_EQ(Px(hot.get(), 72, 12), ColorDarkenedBy(hot1, 30));
  EXPECT_EQ(Px(hot.get(), 3, 12), ColorDarkenedBy(hot1, 10));
  EXPECT_EQ(Px(left.get(), 2, 12), Px(plain.get(), 2, 12)) << "leaving restores the plain face";
  TColor focus1 = ColorFromHslBytes(HueOfColor(0xF48D6A), 220, 220);
  EXPECT_EQ(Px(focused.get(), 2, 12), focus1);
  EXPECT_EQ(Px(pressed.get(), 5, 12), ColorDarkenedBy(face, 10));
  EXPECT_EQ(Px(disabled.get(), 1, 2), ColorDarkenedBy(face, 80));
  EXPECT_EQ(Px(disabled.get(), 5, 12), face);
}

TEST_P(ControlsButtonFace, ClassicFaceShowsFocusPressAndTheDownPattern) {
  TButtonForm f;
  TRzButton* btn = f.Add(10, 10);
  TRzButton* group = f.Add(100, 10);
  group->SetGroupIndex(1);
  group->SetDown(true);
  TRzButton* silver = f.Add(190, 10);
  silver->SetColor(clSilver);
  silver->SetGroupIndex(2);
  silver->SetDown(true);
  auto normal = Shot(btn);
  btn->SetFocus();
  Pump();
  auto focused = Shot(btn);
  testshots::PointAt(btn, 5, 5);
  PostMessageW(btn->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  Pump();
  auto pressed = Shot(btn);
  PostMessageW(btn->Handle(), WM_LBUTTONUP, 0, At(90, 5));
  Pump();
  auto down = Shot(group);
  auto downSilver = Shot(silver);

  testshots::TSheet sheet;
  sheet.Add("normal", normal.get());
  sheet.Add("focused", focused.get());
  sheet.Add("pressed", pressed.get());
  sheet.Add("group down", down.get());
  sheet.Add("silver down", downSilver.get());
  sheet.Save(std::string("controls_button_classic_") + LookName(GetParam()) + ".png");

  if (Themed()) {
    EXPECT_TRUE(Differ(normal.get(), pressed.get()));
    return;
  }
  EXPECT_EQ(Px(normal.get(), 0, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Px(normal.get(), 74, 24), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(Px(focused.get(), 0, 0), ColorToRGB(clWindowFrame)) << "the focused button's outer ring";
  EXPECT_EQ(Px(focused.get(), 1, 1), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Px(focused.get(), 4, 5), 0) << "dotted focus frame 4 pixels in";
  EXPECT_EQ(Px(pressed.get(), 0, 0), ColorToRGB(clBtnText)) << "pressed: the down frame, no focus ring";
  // The checkerboard of a down group button: Color and silver, or silver and grey.
  EXPECT_EQ(Px(down.get(), 10, 10), clSilver);
  EXPECT_EQ(Px(down.get(), 11, 10), ColorToRGB(clBtnFace));
  EXPECT_EQ(Px(downSilver.get(), 10, 10), clGray);
  EXPECT_EQ(Px(downSilver.get(), 11, 10), clSilver);
}

INSTANTIATE_LOOKS(ControlsButtonFace);

// Text bounds of one colour in a picture, inside the button's frame.
TRect InkBox(TBitmap* B, TColor Ink) {
  TRect r{B->Width(), B->Height(), -1, -1};
  for (Integer y = 4; y < B->Height() - 4; ++y)
    for (Integer x = 4; x < B->Width() - 4; ++x)
      if (Px(B, x, y) == Ink) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

TEST(ControlsButtonCaption, TextStylesOffsetTheirLayers) {
  TButtonForm f;
  testlook::ApplyLook(TLook::Classic);
  TRzButton* btn = f.Add(10, 10, "HH");
  btn->SetBounds(10, 10, 90, 40);
  btn->Font()->SetSize(14);
  btn->Font()->SetColor(clBlue);
  btn->SetTextShadowColor(clRed);
  btn->SetTextHighlightColor(clLime);
  btn->SetAlignment(taRightJustify);
  auto normal = Shot(btn);
  btn->SetTextStyle(tsShadow);
  auto shadow = Shot(btn);
  btn->SetTextStyle(tsRaised);
  auto raised = Shot(btn);
  btn->SetTextStyle(tsNormal);
  btn->SetEnabled(false);
  auto disabled = Shot(btn);
  testshots::TSheet sheet;
  sheet.Add("normal", normal.get());
  sheet.Add("shadow", shadow.get());
  sheet.Add("raised", raised.get());
  sheet.Add("disabled", disabled.get());
  sheet.Save("controls_button_caption.png");

  TRect text = InkBox(normal.get(), clBlue), t2 = InkBox(shadow.get(), clBlue), s2 = InkBox(shadow.get(), clRed);
  ASSERT_GT(text.Right, 0);
  // Right-aligned text sits TextShadowDepth left of its place in every style;
  // the shadow lies that far right of and below it.
  EXPECT_EQ(t2.Right, text.Right);
  EXPECT_EQ(t2.Top, text.Top);
  EXPECT_EQ(s2.Right, t2.Right + 2);
  EXPECT_EQ(s2.Bottom, t2.Bottom + 2);
  // Raised: highlight one up-left, shadow one down-right of the text.
  TRect t3 = InkBox(raised.get(), clBlue);
  EXPECT_EQ(InkBox(raised.get(), clLime).Top, t3.Top - 1);
  EXPECT_EQ(InkBox(raised.get(), clRed).Bottom, t3.Bottom + 1);
  // Disabled: highlight one pixel down-right, shadow on top.
  TRect hi = InkBox(disabled.get(), ColorToRGB(clBtnHighlight));
  TRect sh = InkBox(disabled.get(), ColorToRGB(clBtnShadow));
  EXPECT_EQ(InkBox(disabled.get(), clBlue).Right, -1) << "no text colour when disabled";
  EXPECT_EQ(sh.Right, text.Right + 2) << "right-aligned text moves left only while enabled";
  EXPECT_EQ(hi.Bottom, sh.Bottom + 1);
}

}  // namespace
