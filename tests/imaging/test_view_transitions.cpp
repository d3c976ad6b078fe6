// The transition engine on a shown view: what the view shows at the start,
// middle and end of each effect (timing driven by an injected clock), the
// timer-driven run, and the ways a transition ends.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "imaging/views/ietransitions.h"
#include "imaging/views/ieview.h"
#include "platform/Forms.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace {

constexpr Integer kViewW = 40, kViewH = 30;
using Px = std::array<Byte, 3>;  // B, G, R

// Every pixel of both pictures is different, and each picture's pixels tell their position.
Px SourcePx(Integer x, Integer y) { return {Byte(x * 6), Byte(y * 8), Byte(40 + ((x + y) & 7) * 20)}; }
Px TargetPx(Integer x, Integer y) { return {Byte(255 - x * 6), Byte(250 - y * 8), 210}; }
const Px Red{0, 0, 255};
const TColor BackColor = static_cast<TColor>(RGB(10, 200, 90));
const Px Back{90, 200, 10};

std::unique_ptr<TBitmap> Picture(Px (*Fn)(Integer, Integer)) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(kViewW, kViewH);
  for (Integer y = 0; y < kViewH; ++y) {
    auto* row = static_cast<Byte*>(b->ScanLine(y));
    for (Integer x = 0; x < kViewW; ++x) {
      const Px p = Fn(x, y);
      std::copy(p.begin(), p.end(), row + x * 3);
    }
  }
  return b;
}

class TFrameView : public TIEView {
 public:
  explicit TFrameView(TComponent* AOwner) : TIEView(AOwner) { SetBorderStyle(bsNone); }
  void SuspendRefresh() override { ++suspended; }
  Integer ResumeRefresh() override { return ResumeRefreshQuiet(); }
  Integer ResumeRefreshQuiet() override {
    ++resumed;
    return suspended - resumed;
  }
  void Update() override {
    ++updates;
    TIEView::Update();
  }
  int suspended = 0, resumed = 0, updates = 0;
};

DWORD fakeNow = 0;
DWORD FakeTicks() { return fakeNow; }

struct TransitionsFixture : ::testing::Test {
  std::unique_ptr<TForm> form{testui::NewForm(kViewW + 20, kViewH + 20)};
  TFrameView* view = nullptr;
  TIETransitionEffects* fx = nullptr;
  std::unique_ptr<TBitmap> source = Picture(&SourcePx), target = Picture(&TargetPx);

  void SetUp() override {
    view = new TFrameView(form.get());
    view->SetParent(form.get());
    view->SetBounds(0, 0, kViewW, kViewH);
    view->SetBackground(BackColor);
    form->Show();
    Application->ProcessMessages();
    fx = view->Transition();
    fx->TickSource = &FakeTicks;
    fakeNow = 5000;
  }

  // What the view's window shows now (no repaint).
  std::unique_ptr<TBitmap> Shown() {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(view->ClientWidth(), view->ClientHeight());
    HDC dc = ::GetDC(view->Handle());
    ::BitBlt(b->Canvas()->Handle(), 0, 0, b->Width(), b->Height(), dc, 0, 0, SRCCOPY);
    ::ReleaseDC(view->Handle(), dc);
    ::GdiFlush();
    return b;
  }
  // Starts with the clock at the start of the timeline TickAt measures from.
  void Start(TIETransitionType Type, Integer Duration = 1000) {
    fakeNow = 5000;
    fx->Start(source.get(), target.get(), Type, Duration);
  }
  void TickAt(DWORD Elapsed) {
    fakeNow = 5000 + Elapsed;
    fx->Step();
  }
};

Px At(TBitmap* B, Integer x, Integer y) {
  const Byte* p = static_cast<const Byte*>(B->ScanLine(y)) + x * 3;
  return {p[0], p[1], p[2]};
}

Px Mix(const Px& A, const Px& B, Integer P) {
  Px r;
  for (int i = 0; i < 3; ++i) r[i] = Byte((A[i] * (1024 - P) + B[i] * P) >> 10);
  return r;
}

// Expected pixel (x, y) of the middle frame (progress 512) of an effect; Any
// marks pixels checked by a rule of their own.
using Expect = std::function<Px(Integer, Integer)>;
const Px Any{1, 2, 3};
Px S(Integer x, Integer y) { return SourcePx(x, y); }
Px T(Integer x, Integer y) { return TargetPx(x, y); }

struct EffectCase {
  TIETransitionType type;
  const char* name;
  bool startsOnSource;  // else on the background colour
  bool endsOnTarget;    // else on the background colour
  Expect middle;
};

const EffectCase kEffects[] = {
    {iettCrossDissolve, "CrossDissolve", true, true, [](Integer x, Integer y) { return Mix(S(x, y), T(x, y), 512); }},
    {iettFadeOut, "FadeOut", true, false, [](Integer x, Integer y) { return Mix(S(x, y), Back, 512); }},
    {iettFadeIn, "FadeIn", false, true, [](Integer x, Integer y) { return Mix(Back, T(x, y), 512); }},
    {iettFadeOutIn, "FadeOutIn", true, true, [](Integer, Integer) { return Back; }},
    {iettLeftRight1, "LeftRight1", true, true, [](Integer x, Integer y) { return x < 20 ? T(x, y) : S(x, y); }},
    {iettLeftRight2, "LeftRight2", true, true,
     [](Integer x, Integer y) { return x < 20 ? T(x, y) : x == 20 ? Red : S(x, y); }},
    {iettRightLeft1, "RightLeft1", true, true, [](Integer x, Integer y) { return x >= 20 ? T(x, y) : S(x, y); }},
    {iettRightLeft2, "RightLeft2", true, true,
     [](Integer x, Integer y) { return x > 20 ? T(x, y) : x == 20 ? Red : S(x, y); }},
    {iettUpDown1, "UpDown1", true, true, [](Integer x, Integer y) { return y < 15 ? T(x, y) : S(x, y); }},
    {iettUpDown2, "UpDown2", true, true,
     [](Integer x, Integer y) { return y < 15 ? T(x, y) : y == 15 ? Red : S(x, y); }},
    {iettDownUp1, "DownUp1", true, true, [](Integer x, Integer y) { return y >= 15 ? T(x, y) : S(x, y); }},
    {iettDownUp2, "DownUp2", true, true,
     [](Integer x, Integer y) { return y > 15 ? T(x, y) : y == 15 ? Red : S(x, y); }},
    {iettFromUpLeft, "FromUpLeft", true, true,
     [](Integer x, Integer y) { return x < 20 && y < 15 ? T(x + 20, y + 15) : S(x, y); }},
    {iettFromUpRight, "FromUpRight", true, true,
     [](Integer x, Integer y) { return x >= 20 && y < 15 ? T(x - 20, y + 15) : S(x, y); }},
    {iettFromBottomLeft, "FromBottomLeft", true, true,
     [](Integer x, Integer y) { return x < 20 && y >= 15 ? T(x + 20, y - 15) : S(x, y); }},
    {iettFromBottomRight, "FromBottomRight", true, true,
     [](Integer x, Integer y) { return x >= 20 && y >= 15 ? T(x - 20, y - 15) : S(x, y); }},
    {iettMoveLeftRight1, "MoveLeftRight1", true, true,
     [](Integer x, Integer y) { return x < 20 ? T(x + 20, y) : S(x - 20, y); }},
    {iettMoveLeftRight2, "MoveLeftRight2", true, true,
     [](Integer x, Integer y) { return x < 20 ? T(x, y) : S(x - 20, y); }},
    {iettMoveRightLeft1, "MoveRightLeft1", true, true,
     [](Integer x, Integer y) { return x < 20 ? S(x + 20, y) : T(x - 20, y); }},
    {iettMoveRightLeft2, "MoveRightLeft2", true, true,
     [](Integer x, Integer y) { return x < 20 ? S(x, y) : T(x - 20, y); }},
    {iettMoveUpDown1, "MoveUpDown1", true, true,
     [](Integer x, Integer y) { return y < 15 ? T(x, y + 15) : S(x, y - 15); }},
    {iettMoveUpDown2, "MoveUpDown2", true, true,
     [](Integer x, Integer y) { return y < 15 ? T(x, y) : S(x, y - 15); }},
    {iettMoveDownUp1, "MoveDownUp1", true, true,
     [](Integer x, Integer y) { return y < 15 ? S(x, y + 15) : T(x, y - 15); }},
    {iettMoveDownUp2, "MoveDownUp2", true, true,
     [](Integer x, Integer y) { return y < 15 ? S(x, y + 15) : T(x, y); }},
    {iettRandomPoints, "RandomPoints", true, true, [](Integer, Integer) { return Any; }},
    {iettRandomBoxes, "RandomBoxes", true, true, [](Integer, Integer) { return Any; }},
    // Centred rectangle at (20 - 10, 15 - 7) of 20 x 15.
    {iettCenter1, "Center1", true, true,
     [](Integer x, Integer y) { return x >= 10 && x < 30 && y >= 8 && y < 23 ? T(x, y) : S(x, y); }},
    {iettCenter2, "Center2", true, true,
     [](Integer x, Integer y) { return x >= 10 && x < 30 && y >= 8 && y < 23 ? S(x, y) : T(x, y); }},
    {iettCenterZoom1, "CenterZoom1", true, true,
     [](Integer x, Integer y) { return x >= 10 && x < 30 && y >= 8 && y < 23 ? Any : S(x, y); }},
    {iettCenterZoom2, "CenterZoom2", true, true,
     [](Integer x, Integer y) { return x >= 10 && x < 30 && y >= 8 && y < 23 ? Any : T(x, y); }},
};

std::string Hex(const Px& p) {
  char buf[16];
  snprintf(buf, sizeof buf, "%02x%02x%02x", p[2], p[1], p[0]);
  return buf;
}

// Where the whole picture Fn was shrunk by two into the rectangle at (10, 8): the
// pixel must come from the 2 x 2 cell it stands for.
bool FromHalvedCell(const Px& p, Integer x, Integer y, bool OfTarget) {
  const Integer sx = OfTarget ? (255 - p[0]) / 6 : p[0] / 6;
  const Integer sy = OfTarget ? (250 - p[1]) / 8 : p[1] / 8;
  const Px again = OfTarget ? T(sx, sy) : S(sx, sy);
  const Integer cx = (x - 10) * 2, cy = (y - 8) * 2;
  return again == p && sx >= cx - 1 && sx <= cx + 2 && sy >= cy - 1 && sy <= cy + 2;
}

}  // namespace

TEST_F(TransitionsFixture, EachEffectAtItsStartMiddleAndEnd) {
  TBitmap sheet;
  sheet.SetPixelFormat(pf24bit);
  sheet.SetSize(3 * (kViewW + 4), IETransitionTypeCount * (kViewH + 4));
  sheet.Canvas()->Brush()->SetColor(clWhite);
  sheet.Canvas()->FillRect(Rect(0, 0, sheet.Width(), sheet.Height()));
  Integer row = 0;
  for (const EffectCase& c : kEffects) {
    SCOPED_TRACE(c.name);
    Start(c.type);
    ASSERT_TRUE(fx->Running());

    TickAt(0);  // the first frame: progress 0
    auto start = Shown();
    TickAt(500);  // still the frame of the tick before; measures 512 for the next one
    EXPECT_EQ(fx->Progress(), 512);
    TickAt(500);
    auto middle = Shown();
    TickAt(1000);  // reaches the duration: the last frame, then the end
    EXPECT_FALSE(fx->Running());
    auto end = Shown();

    int wrong[3] = {0, 0, 0};
    int targetPixels = 0;
    std::string firstWrong;
    for (Integer y = 0; y < kViewH; ++y)
      for (Integer x = 0; x < kViewW; ++x) {
        const Px s0 = At(start.get(), x, y), m = At(middle.get(), x, y), e = At(end.get(), x, y);
        if (s0 != (c.startsOnSource ? S(x, y) : Back)) ++wrong[0];
        if (e != (c.endsOnTarget ? T(x, y) : Back)) ++wrong[2];
        const Px want = c.middle(x, y);
        bool ok;
        if (want != Any) {
          ok = m == want;
        } else if (c.type == iettRandomPoints || c.type == iettRandomBoxes) {
          ok = m == S(x, y) || m == T(x, y);
          targetPixels += m == T(x, y);
        } else {
          ok = FromHalvedCell(m, x, y, c.type == iettCenterZoom1);
        }
        if (!ok && wrong[1]++ == 0)
          firstWrong = std::to_string(x) + "," + std::to_string(y) + " = " + Hex(m) + " want " + Hex(want);
      }
    EXPECT_EQ(wrong[0], 0) << "start frame";
    EXPECT_EQ(wrong[1], 0) << "middle frame, first at " << firstWrong;
    EXPECT_EQ(wrong[2], 0) << "end frame";
    if (c.type == iettRandomPoints || c.type == iettRandomBoxes) {
      EXPECT_GT(targetPixels, 0);
      EXPECT_LT(targetPixels, kViewW * kViewH);
    }
    Integer col = 0;
    for (TBitmap* b : {start.get(), middle.get(), end.get()})
      sheet.Canvas()->Draw(2 + (col++) * (kViewW + 4), 2 + row * (kViewH + 4), b);
    ++row;
  }
  EXPECT_EQ(view->suspended, 30);
  EXPECT_EQ(view->resumed, 30);
  SaveBitmapAsPng(&sheet, "imaging_view_transitions.png");
}

TEST_F(TransitionsFixture, TimerRunEndsOnTheTargetAndUpdatesTheView) {
  fx->TickSource = [] { return ::GetTickCount(); };
  fx->UpdateOnStop = true;
  fx->Start(source.get(), target.get(), iettCrossDissolve, 60);
  ASSERT_TRUE(testui::PumpUntil([&] { return !fx->Running(); }, 3000));
  auto end = Shown();
  EXPECT_EQ(At(end.get(), 0, 0), T(0, 0));
  EXPECT_EQ(At(end.get(), kViewW - 1, kViewH - 1), T(kViewW - 1, kViewH - 1));
  EXPECT_EQ(view->resumed, 1);
  EXPECT_EQ(view->updates, 1);
  EXPECT_EQ(fx->Frame()->Width(), 1);  // the pictures are let go
}

TEST_F(TransitionsFixture, WaysATransitionEndsOrNeverStarts) {
  // Stop while idle: nothing to resume.
  fx->Stop();
  EXPECT_EQ(view->resumed, 0);
  // iettNone would never end: it does not start, and the view is not suspended.
  Start(iettNone);
  EXPECT_FALSE(fx->Running());
  EXPECT_EQ(view->suspended, 0);
  // A resize of the view ends a running transition.
  Start(iettLeftRight1);
  TickAt(0);
  ASSERT_TRUE(fx->Running());
  view->SetBounds(0, 0, kViewW + 5, kViewH);
  EXPECT_FALSE(fx->Running());
  EXPECT_EQ(view->resumed, 1);
  EXPECT_EQ(view->updates, 0);
  // A start while running ends the first one first.
  Start(iettCenter1);
  Start(iettCenter2);
  EXPECT_EQ(view->suspended, 3);
  EXPECT_EQ(view->resumed, 2);
  EXPECT_EQ(fx->TransitionType(), iettCenter2);
  EXPECT_EQ(fx->Frame()->Width(), kViewW + 5);
  // The pictures smaller than the view leave the background showing.
  TickAt(0);
  auto start = Shown();
  EXPECT_EQ(At(start.get(), kViewW + 2, 3), Back);
  TickAt(1000);
  EXPECT_FALSE(fx->Running());
}
