// A shown form read from its form resource with a bar manager to customize: bars from
// the form (one that cannot be closed, one hidden from the lists, a main
// menu), categories (one of them invisible) and commands; helpers that act
// inside the modal loops of the dialogs and record message boxes.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bars/dxBar.h"
#include "platform/Dialogs.h"
#include "platform/TypInfo.h"
#include "tests/bars/bar_input.h"
#include "tests/bars/menu_model.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace custtest {

class TfrmCustomizeTest : public TForm {
 public:
  T_CLASSNAME(TfrmCustomizeTest)
  explicit TfrmCustomizeTest(TComponent* AOwner) : TForm(AOwner) {
    static const bool registered = [] {
      RegisterClassInfo<TfrmCustomizeTest, TForm>("TfrmCustomizeTest");
      return true;
    }();
    (void)registered;
  }
};

// The form's design is tests/data/bars/customizing_dialogs_form.dfm, compiled in
// as its resource (so that bars can be reset to it).

// A 16 x 16 glyph: a coloured square on the transparent grey.
inline void PaintGlyph(TdxBarItem* Item, TColor Color) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(16, 16);
  bmp.Canvas()->Brush()->SetColor(static_cast<TColor>(0xC0C0C0));
  bmp.Canvas()->FillRect(TRect{0, 0, 16, 16});
  bmp.Canvas()->Brush()->SetColor(Color);
  bmp.Canvas()->FillRect(TRect{3, 3, 13, 13});
  Item->Glyph()->Assign(&bmp);
}

struct TCustomizeModel {
  std::unique_ptr<TfrmCustomizeTest> form;
  TdxBarManager* manager = nullptr;

  explicit TCustomizeModel(TdxBarManagerStyle Style = bmsStandard) {
    form.reset(CreateForm<TfrmCustomizeTest>(nullptr));
    manager = FindBarManagerOfForm(form.get());
    manager->SetStyle(Style);
    PaintGlyph(Item("btnNew"), clGreen);
    PaintGlyph(Item("btnCut"), clRed);
    form->Show();
    SetForegroundWindow(form->Handle());
    Application->ProcessMessages();
  }
  ~TCustomizeModel() {
    if (manager && manager->IsCustomizing()) manager->SetCustomizing(false);
    Application->ProcessMessages();
    form.reset();
    Application->ProcessMessages();
  }
  TdxBarItem* Item(const char* Name) { return dynamic_cast<TdxBarItem*>(form->FindComponent(Name)); }
  TdxBar* Bar(const char* Caption) { return manager->BarByCaption(Caption); }

  // Customizing mode with its dialog.
  TdxBarCustomizingForm* Customize() {
    manager->SetCustomizing(true);
    ShowCustomizingForm(manager, true);
    Application->ProcessMessages();
    TdxBarCustomizingForm* f = dxBarCustomizingForm();
    if (f) {
      SetForegroundWindow(f->Handle());
      barinput::Settle(60);
    }
    return f;
  }
};

// The open form of a class (the last one made), or none.
template <class F>
F* OpenForm() {
  for (Integer i = Screen->FormCount() - 1; i >= 0; --i)
    if (auto* f = dynamic_cast<F*>(Screen->Forms(i)))
      if (f->Visible()) return f;
  return nullptr;
}

// Runs Steps one by one once the modal dialog of class F shows, each from a
// later turn of the dialog's own loop (so that what a step started, a close
// asked by a button say, has been handled when the next one runs); a step
// gets the dialog. `ran` tells that every step ran. A dialog still open three
// seconds after the last step is cancelled (and the test fails) rather than
// left waiting for a person.
template <class F>
struct TWhenModal {
  bool ran = false;
  size_t next = 0;
  bool inStep = false;
  Integer ticksAfter = 0;
  std::vector<std::function<void(F*)>> steps;
  std::unique_ptr<TTimer> timer;
  explicit TWhenModal(std::function<void(F*)> Script) : TWhenModal(std::vector<std::function<void(F*)>>{Script}) {}
  explicit TWhenModal(std::vector<std::function<void(F*)>> Steps)
      : steps(std::move(Steps)), timer(std::make_unique<TTimer>(nullptr)) {
    timer->SetInterval(50);
    timer->OnTimer = [this](TObject*) {
      if (inStep) return;
      F* f = OpenForm<F>();
      if (!f) return;
      if (ran) {
        if (++ticksAfter > 60) {
          ADD_FAILURE() << f->ClassName() << " stayed open";
          f->SetModalResult(mrCancel);
          timer->SetEnabled(false);
        }
        return;
      }
      inStep = true;
      if (next == 0) {
        SetForegroundWindow(f->Handle());
        // Past the double-click time, so that a click where the last dialog
        // was clicked is a click of its own.
        barinput::Settle(static_cast<int>(GetDoubleClickTime()) + 40);
      }
      steps[next++](f);
      ran = next >= steps.size();
      inStep = false;
    };
    timer->SetEnabled(true);
  }
};

// Message boxes answered without a person: each is recorded and answered
// with the next of Answers (IDOK when they run out).
struct TMessageBoxes {
  struct TBox {
    std::string Text, Caption;
    UINT Flags;
  };
  std::vector<TBox> shown;
  std::vector<int> answers;
  TMessageBoxFunc saved;
  explicit TMessageBoxes(std::vector<int> Answers = {}) : answers(std::move(Answers)), saved(MessageBoxFunc) {
    MessageBoxFunc = [this](HWND, const std::string& Text, const std::string& Caption, UINT Flags) {
      shown.push_back({Text, Caption, Flags});
      if (answers.empty()) return IDOK;
      int a = answers.front();
      answers.erase(answers.begin());
      return a;
    };
  }
  ~TMessageBoxes() { MessageBoxFunc = saved; }
};

inline TPoint CenterOf(TControl* C) { return C->ClientToScreen(TPoint{C->Width() / 2, C->Height() / 2}); }

// Types a text into the focused control, key by key (letters, digits, blanks).
inline void TypeText(const std::string& Text) {
  for (char ch : Text) {
    SHORT vk = VkKeyScanW(static_cast<wchar_t>(ch));
    bool shift = (vk >> 8) & 1;
    if (shift)
      barinput::Chord({VK_SHIFT}, static_cast<Word>(vk & 0xFF));
    else
      barinput::Tap(static_cast<Word>(vk & 0xFF));
  }
}

// Selects all of the focused edit's text and deletes it.
inline void ClearFocusedEdit() {
  barinput::Tap(VK_HOME);
  barinput::Chord({VK_SHIFT}, VK_END);
  barinput::Tap(VK_DELETE);
}

// The window (frame included) as it is on the screen now.
inline std::unique_ptr<TBitmap> GrabWindow(HWND Wnd) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  RECT r;
  GetWindowRect(Wnd, &r);
  bmp->SetSize(r.right - r.left, r.bottom - r.top);
  HDC dc = GetWindowDC(Wnd);
  BitBlt(bmp->Canvas()->Handle(), 0, 0, r.right - r.left, r.bottom - r.top, dc, 0, 0, SRCCOPY);
  ReleaseDC(Wnd, dc);
  return bmp;
}

// Windows as they lie on the screen, in one picture of the rectangle around them.
inline std::unique_ptr<TBitmap> GrabWindows(std::initializer_list<HWND> Wnds) {
  RECT all{};
  for (HWND w : Wnds) {
    RECT r;
    GetWindowRect(w, &r);
    UnionRect(&all, &all, &r);
  }
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(all.right - all.left, all.bottom - all.top);
  for (HWND w : Wnds) {
    RECT r;
    GetWindowRect(w, &r);
    auto one = GrabWindow(w);
    BitBlt(bmp->Canvas()->Handle(), r.left - all.left, r.top - all.top, one->Width(), one->Height(),
           one->Canvas()->Handle(), 0, 0, SRCCOPY);
  }
  return bmp;
}

inline std::vector<std::string> ListRows(TListBox* L) {
  std::vector<std::string> v;
  for (Integer i = 0; i < L->Items()->Count(); ++i) v.push_back(L->Items()->Strings(i));
  return v;
}

inline COLORREF PixelOf(TBitmap* B, Integer X, Integer Y) {
  return static_cast<COLORREF>(B->Canvas()->Pixels(X, Y)) & 0xFFFFFF;
}

}  // namespace custtest
