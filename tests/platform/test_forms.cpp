// Forms headless: the modal loop, default and cancel buttons, closing,
// synchronize calls during a modal run, key preview, the screen and hints.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/Timer.h"
#include "platform/TypInfo.h"
#include "tests/support/ui.h"

namespace {

using testui::PumpUntil;

// A button that answers the dialog keys as default or cancel button and sets
// its form's modal result when clicked.
class TDialogButton : public TWinControl {
 public:
  T_CLASSNAME(TDialogButton)
  TDialogButton(TComponent* AOwner, TModalResult Result) : TWinControl(AOwner), result(Result) {
    SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
  }
  TModalResult result;
  bool isDefault = false;
  bool isCancel = false;
  void Click() override {
    if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(result);
    TWinControl::Click();
  }

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"BUTTON");
  }
  void Dispatch(TMessage& M) override {
    if (M.Msg == CM_DIALOGKEY && ((M.WParam == VK_RETURN && isDefault) || (M.WParam == VK_ESCAPE && isCancel))) {
      Click();
      M.Result = 1;
      return;
    }
    if (M.Msg == CM_DIALOGCHAR && IsAccel(static_cast<Word>(M.WParam), Caption())) {
      Click();
      M.Result = 1;
      return;
    }
    if (M.Msg == CN_COMMAND && HIWORD(M.WParam) == BN_CLICKED) {
      Click();
      return;
    }
    TWinControl::Dispatch(M);
  }
};

class TTestEdit : public TWinControl {
 public:
  T_CLASSNAME(TTestEdit)
  explicit TTestEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetTabStop(true);
    SetBounds(0, 40, 80, 21);
  }

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"EDIT");
  }
};

using testui::NewForm;
using testui::TOneShot;

// ---------------------------------------------------------------------------
TEST(Forms, ShowModalReturnsTheResultSetByATimer) {
  TForm* owner = NewForm(300, 200, 50, 50, bsSizeable);
  owner->Show();
  TForm* dialog = NewForm(300, 200, 50, 50, bsSizeable);
  std::vector<std::string> events;
  dialog->OnShow = [&](TObject*) { events.push_back("show"); };
  dialog->OnHide = [&](TObject*) { events.push_back("hide"); };
  bool ownerDisabledDuringRun = false;
  TOneShot shot(30, [&] {
    ownerDisabledDuringRun = !IsWindowEnabled(owner->Handle());
    EXPECT_TRUE(dialog->FormState().Contains(fsModal));
    dialog->SetModalResult(mrRetry);
  });
  EXPECT_EQ(dialog->ShowModal(), mrRetry);
  EXPECT_TRUE(ownerDisabledDuringRun);
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
  EXPECT_FALSE(dialog->Visible());
  EXPECT_FALSE(IsWindowVisible(dialog->Handle()));
  EXPECT_FALSE(dialog->FormState().Contains(fsModal));
  EXPECT_EQ(events, (std::vector<std::string>{"show", "hide"}));

  // A form can run again; a visible form cannot be made modal.
  TOneShot again(10, [&] { dialog->Close(); });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  dialog->Show();
  EXPECT_THROW(dialog->ShowModal(), EInvalidOperation);
  delete dialog;
  delete owner;
}

TEST(Forms, DefaultAndCancelButtonsAnswerEnterAndEscape) {
  struct Case {
    Word Key;
    TModalResult Want;
  };
  for (Case c : {Case{VK_RETURN, mrOk}, Case{VK_ESCAPE, mrCancel}}) {
    TForm* dialog = NewForm(300, 200, 50, 50, bsSizeable);
    auto* edit = new TTestEdit(dialog);
    edit->SetParent(dialog);
    auto* ok = new TDialogButton(dialog, mrOk);
    ok->isDefault = true;
    ok->SetParent(dialog);
    auto* cancel = new TDialogButton(dialog, mrCancel);
    cancel->isCancel = true;
    cancel->SetParent(dialog);
    cancel->SetLeft(100);
    dialog->SetActiveControl(nullptr);
    // The key arrives at the edit box once the dialog runs.
    TOneShot press(20, [&] {
      edit->SetFocus();
      PostMessageW(edit->Handle(), WM_KEYDOWN, c.Key, 1);
    });
    EXPECT_EQ(dialog->ShowModal(), c.Want) << "key " << c.Key;
    delete dialog;
  }
}

TEST(Forms, AltAcceleratorReachesTheButtonThroughDialogChar) {
  TForm* form = NewForm(300, 200, 50, 50, bsSizeable);
  auto* edit = new TTestEdit(form);
  edit->SetParent(form);
  auto* button = new TDialogButton(form, mrOk);
  button->SetParent(form);
  button->SetCaption("&Keep");
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  edit->SetFocus();
  PostMessageW(edit->Handle(), WM_SYSCHAR, 'q', 0x20000001);  // Alt+Q: nobody's
  PostMessageW(edit->Handle(), WM_SYSCHAR, 'k', 0x20000001);  // Alt+K: the button's
  Application->ProcessMessages();
  EXPECT_EQ(clicks, 1);
  delete form;
}

TEST(Forms, ModalResultFromAClickedButton) {
  TForm* dialog = NewForm(300, 200, 50, 50, bsSizeable);
  auto* ok = new TDialogButton(dialog, mrYes);
  ok->SetParent(dialog);
  TOneShot click(20, [&] { PostMessageW(ok->Handle(), BM_CLICK, 0, 0); });
  EXPECT_EQ(dialog->ShowModal(), mrYes);
  delete dialog;
}

TEST(Forms, CloseQueryAndCloseActions) {
  struct Case {
    bool CanClose;
    TCloseAction Action;
    bool VisibleAfter;
    bool FreedAfter;
  };
  const Case cases[] = {
      {false, caHide, true, false},
      {true, caNone, true, false},
      {true, caHide, false, false},
      {true, caMinimize, true, false},
      {true, caFree, true, true},
  };
  for (const Case& c : cases) {
    TForm* form = NewForm(300, 200, 50, 50, bsSizeable);
    bool destroyed = false;
    form->OnDestroy = [&](TObject*) { destroyed = true; };
    form->OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = c.CanClose; };
    bool closeCalled = false;
    form->OnClose = [&](TObject*, TCloseAction& Action) {
      closeCalled = true;
      EXPECT_EQ(Action, caHide);
      Action = c.Action;
    };
    form->Show();
    form->Close();
    EXPECT_EQ(closeCalled, c.CanClose);
    if (c.FreedAfter) {
      EXPECT_FALSE(destroyed);  // freed only once the queued messages are handled
      EXPECT_TRUE(PumpUntil([&] { return destroyed; }));
      continue;
    }
    EXPECT_EQ(form->Visible(), c.VisibleAfter) << "action " << c.Action;
    if (c.Action == caMinimize && c.CanClose) {
      EXPECT_TRUE(IsIconic(form->Handle()));
    }
    delete form;
    EXPECT_TRUE(destroyed);
  }
}

TEST(Forms, ModalCloseQueryRefusalKeepsTheLoopRunning) {
  TForm* dialog = NewForm(300, 200, 50, 50, bsSizeable);
  int asked = 0;
  dialog->OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = ++asked >= 2; };
  TCloseAction seen = caNone;
  dialog->OnClose = [&](TObject*, TCloseAction& Action) { seen = Action; };
  TTimer timer(nullptr);
  timer.SetInterval(10);
  timer.OnTimer = [&](TObject*) { dialog->SetModalResult(mrOk); };
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(seen, caHide);
  timer.SetEnabled(false);
  delete dialog;
}

TEST(Forms, SynchronizeRunsWhileAModalFormRuns) {
  TForm* dialog = NewForm(300, 200, 50, 50, bsSizeable);
  struct TWork {
    TForm* Dialog;
    DWORD RanOn = 0;
    int Calls = 0;
  } work{dialog};
  DWORD uiThread = GetCurrentThreadId();
  auto body = [](LPVOID p) -> DWORD {
    auto* w = static_cast<TWork*>(p);
    Sleep(20);
    TThread::Synchronize(nullptr, [w] {
      w->RanOn = GetCurrentThreadId();
      ++w->Calls;
    });
    TThread::Synchronize(nullptr, [w] { w->Dialog->SetModalResult(mrIgnore); });
    return 0;
  };
  HANDLE thread = nullptr;
  TOneShot start(10, [&] { thread = CreateThread(nullptr, 0, body, &work, 0, nullptr); });
  EXPECT_EQ(dialog->ShowModal(), mrIgnore);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_EQ(work.Calls, 1);
  EXPECT_EQ(work.RanOn, uiThread);
  delete dialog;
}

TEST(Forms, KeyPreviewSeesKeysFirst) {
  TForm* form = NewForm(300, 200, 50, 50, bsSizeable);
  auto* edit = new TTestEdit(form);
  edit->SetParent(form);
  std::vector<std::string> order;
  form->SetKeyPreview(true);
  form->OnKeyDown = [&](TObject*, Word& Key, TShiftState) {
    order.push_back("form");
    if (Key == 'X') Key = 0;  // swallowed
  };
  edit->OnKeyDown = [&](TObject*, Word&, TShiftState) { order.push_back("edit"); };
  form->Show();
  edit->SetFocus();
  PostMessageW(edit->Handle(), WM_KEYDOWN, 'A', 1);
  PostMessageW(edit->Handle(), WM_KEYDOWN, 'X', 1);
  Application->ProcessMessages();
  EXPECT_EQ(order, (std::vector<std::string>{"form", "edit", "form"}));
  // Freed with a control focused: the screen keeps no trace of it.
  delete form;
  EXPECT_EQ(Screen->FocusedForm(), nullptr);
  EXPECT_EQ(Screen->ActiveControl(), nullptr);
}

TEST(Forms, ActivationAndPosition) {
  TForm* form = NewForm(300, 200, 50, 50, bsSizeable);
  form->SetPosition(poScreenCenter);
  int activated = 0;
  form->OnActivate = [&](TObject*) { ++activated; };
  form->Show();
  TRect area = Screen->WorkAreaRect();
  EXPECT_EQ(form->Left(), area.Left + (area.Width() - form->Width()) / 2);
  EXPECT_EQ(form->Top(), area.Top + (area.Height() - form->Height()) / 2);
  // Whether showing activates depends on the window manager; taking the focus does.
  form->SetFocus();
  EXPECT_EQ(activated, 1);
  EXPECT_EQ(Screen->ActiveForm(), form);
  delete form;
  EXPECT_EQ(Screen->ActiveForm(), nullptr);
}

TEST(Forms, StyleAndBorder) {
  struct Case {
    TFormBorderStyle Border;
    DWORD Has, HasNot;
  };
  const Case cases[] = {
      {bsNone, WS_POPUP, WS_CAPTION},
      {bsSingle, WS_CAPTION, WS_THICKFRAME},
      {bsSizeable, WS_CAPTION | WS_THICKFRAME, 0},
      {bsDialog, WS_CAPTION, WS_THICKFRAME | WS_MINIMIZEBOX},
  };
  for (const Case& c : cases) {
    TForm* form = NewForm(300, 200, 50, 50, bsSizeable);
    form->SetBorderStyle(c.Border);
    auto style = static_cast<DWORD>(GetWindowLongW(form->Handle(), GWL_STYLE));
    EXPECT_EQ(style & c.Has, c.Has) << c.Border;
    EXPECT_EQ(style & c.HasNot, 0u) << c.Border;
    delete form;
  }
  TForm* top = NewForm(300, 200, 50, 50, bsSizeable);
  top->SetFormStyle(fsStayOnTop);
  top->Show();
  EXPECT_TRUE(GetWindowLongW(top->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  top->SetBorderIcons(TBorderIcons{biSystemMenu});
  EXPECT_FALSE(GetWindowLongW(top->Handle(), GWL_STYLE) & WS_MINIMIZEBOX);
  EXPECT_TRUE(IsWindowVisible(top->Handle()));  // re-created window is shown again
  delete top;
}

TEST(Forms, ScreenCursorsAndForms) {
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  EXPECT_EQ(Screen->Cursors(crHourGlass), LoadCursorW(nullptr, IDC_WAIT));
  Screen->SetCursor(crDefault);
  EXPECT_EQ(Screen->Cursor(), crDefault);

  HCURSOR own = CopyCursor(LoadCursorW(nullptr, IDC_CROSS));
  Screen->SetCursors(1778, own);
  EXPECT_EQ(Screen->Cursors(1778), own);
  EXPECT_EQ(Screen->Cursors(4242), Screen->Cursors(crDefault));  // unknown numbers: the default

  Integer before = Screen->FormCount();
  TForm* f = NewForm(300, 200, 50, 50, bsSizeable);
  EXPECT_EQ(Screen->FormCount(), before + 1);
  delete f;
  EXPECT_EQ(Screen->FormCount(), before);
  EXPECT_GT(Screen->Width(), 0);
  EXPECT_GT(Screen->WorkAreaRect().Width(), 0);
  EXPECT_GT(Screen->PixelsPerInch(), 0);
  EXPECT_FALSE(Screen->HintFont()->Name().empty());
}

TEST(Forms, HintsShowTheShortTextAndReportTheLongOne) {
  TForm* form = NewForm(300, 200, 50, 50, bsSizeable);
  form->SetShowHint(true);
  auto* edit = new TTestEdit(form);
  edit->SetParent(form);
  edit->SetHint("Short|Long text");
  form->Show();
  std::vector<std::string> hints;
  Application->OnHint = [&](TObject*) { hints.push_back(Application->Hint()); };
  Application->SetHintPause(10);
  ::SendMessageW(edit->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Application->Hint(), "Long text");
  EXPECT_EQ(Application->HintControl(), edit);
  ASSERT_TRUE(PumpUntil([] { return Application->HintWindow() && IsWindowVisible(Application->HintWindow()->Handle()); }));
  EXPECT_EQ(Application->HintWindow()->Caption(), "Short");
  Application->CancelHint();
  EXPECT_FALSE(IsWindowVisible(Application->HintWindow()->Handle()));
  ::SendMessageW(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(250, 150));
  EXPECT_EQ(Application->Hint(), "");
  EXPECT_EQ(hints, (std::vector<std::string>{"Long text", ""}));
  Application->OnHint = nullptr;
  delete form;
}

TEST(Forms, TimerExceptionGoesToTheApplication) {
  std::vector<std::string> reported;
  Application->OnException = [&](TObject*, const Exception& E) { reported.push_back(E.Message()); };
  TTimer timer(nullptr);
  timer.SetInterval(5);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) {
    if (++ticks == 1) throw Exception("tick failed");
  };
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }));
  timer.SetEnabled(false);
  EXPECT_EQ(reported, (std::vector<std::string>{"tick failed"}));
  Application->OnException = nullptr;
}

TEST(Forms, MDIFrameAndChild) {
  TForm* frame = NewForm(300, 200, 50, 50, bsSizeable);
  frame->SetFormStyle(fsMDIForm);
  Application->SetMainFormOnce(frame);
  if (Application->MainForm() != frame) GTEST_SKIP() << "another main form exists";
  frame->Show();
  ASSERT_NE(frame->ClientHandle(), nullptr);
  wchar_t cls[32];
  GetClassNameW(frame->ClientHandle(), cls, 32);
  EXPECT_EQ(_wcsicmp(cls, L"MDICLIENT"), 0);
  TForm* child = CreateForm<TForm>(nullptr);
  child->SetFormStyle(fsMDIChild);
  child->Show();
  EXPECT_EQ(GetParent(child->Handle()), frame->ClientHandle());
  EXPECT_EQ(frame->MDIChildCount(), 1);
  EXPECT_EQ(frame->ActiveMDIChild(), child);
  delete child;
  EXPECT_EQ(frame->MDIChildCount(), 0);
  delete frame;
}

}  // namespace

// ---------------------------------------------------------------------------
// A form read from the text form format: properties of the control classes,
// parents, tab order as stored, events bound to the form's handlers.

class TReadBox : public TCustomControl {
 public:
  T_CLASSNAME(TReadBox)
  explicit TReadBox(TComponent* AOwner) : TCustomControl(AOwner) { controlStyle_.Include(csAcceptsControls); }
};

class TReadEdit : public TTestEdit {
 public:
  T_CLASSNAME(TReadEdit)
  explicit TReadEdit(TComponent* AOwner) : TTestEdit(AOwner) {}
};

class TfrmRead : public TForm {
 public:
  T_CLASSNAME(TfrmRead)
  explicit TfrmRead(TComponent* AOwner) : TForm(AOwner) {}
  TReadBox* pnlTop = nullptr;
  TReadEdit* edtFirst = nullptr;
  TReadEdit* edtSecond = nullptr;
  int created = 0;
  int clicks = 0;
  void FormCreate(TObject*) { ++created; }
  void pnlTopClick(TObject*) { ++clicks; }
};

const bool readClassesRegistered = [] {
  RegisterClassInfo<TReadBox, TCustomControl>("TReadBox");
  RegisterClassInfo<TReadEdit, TWinControl>("TReadEdit");
  RegisterClassInfo<TfrmRead, TForm>("TfrmRead");
  RegisterHandlers<TfrmRead>({{"FormCreate", &TfrmRead::FormCreate}, {"pnlTopClick", &TfrmRead::pnlTopClick}});
  RegisterFields<TfrmRead>(
      {{"pnlTop", &TfrmRead::pnlTop}, {"edtFirst", &TfrmRead::edtFirst}, {"edtSecond", &TfrmRead::edtSecond}});
  return true;
}();

const char* const ReadFormText = R"(object frmRead: TfrmRead
  Left = 20
  Top = 30
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  Caption = 'Read form'
  ClientHeight = 120
  ClientWidth = 240
  Color = clYellow
  KeyPreview = True
  Position = poDesigned
  ActiveControl = edtSecond
  OnCreate = FormCreate
  object pnlTop: TReadBox
    Left = 0
    Top = 0
    Width = 240
    Height = 30
    Align = alTop
    Color = clRed
    Cursor = crHandPoint
    Hint = 'Top|The top panel'
    ShowHint = True
    TabOrder = 2
    OnClick = pnlTopClick
  end
  object edtSecond: TReadEdit
    Left = 10
    Top = 80
    Width = 100
    Height = 21
    Anchors = [akLeft, akRight, akBottom]
    TabOrder = 1
  end
  object edtFirst: TReadEdit
    Left = 10
    Top = 50
    Width = 100
    Height = 21
    TabOrder = 0
  end
end
)";

TEST(Forms, ReadFromTheTextFormFormat) {
  auto* form = new TfrmRead(nullptr);
  form->AfterConstruction();  // no resource: nothing read, OnCreate unbound
  ReadComponentFromText(ReadFormText, form);
  ASSERT_NE(form->pnlTop, nullptr);
  ASSERT_NE(form->edtFirst, nullptr);
  ASSERT_NE(form->edtSecond, nullptr);
  EXPECT_EQ(form->Caption(), "Read form");
  EXPECT_EQ(form->BorderStyle(), bsDialog);
  EXPECT_EQ(form->BorderIcons(), TBorderIcons{biSystemMenu});
  EXPECT_EQ(form->ClientWidth(), 240);
  EXPECT_EQ(form->ClientHeight(), 120);
  EXPECT_EQ(form->Color(), clYellow);
  EXPECT_TRUE(form->KeyPreview());
  EXPECT_EQ(form->ActiveControl(), form->edtSecond);
  EXPECT_EQ(form->pnlTop->Parent(), form);
  EXPECT_EQ(form->pnlTop->Color(), clRed);
  EXPECT_EQ(form->pnlTop->Cursor(), crHandPoint);
  EXPECT_TRUE(form->pnlTop->ShowHint());
  EXPECT_EQ(form->edtSecond->Anchors(), (TAnchors{akLeft, akRight, akBottom}));
  EXPECT_EQ(form->edtFirst->Color(), clYellow);  // ParentColor
  // Tab order as stored, not as created.
  EXPECT_EQ(form->edtFirst->TabOrder(), 0);
  EXPECT_EQ(form->edtSecond->TabOrder(), 1);
  EXPECT_EQ(form->pnlTop->TabOrder(), 2);
  form->pnlTop->Click();
  EXPECT_EQ(form->clicks, 1);

  // Anchors work from the read layout: the form grows by 40 x 20.
  form->SetClientWidth(280);
  form->SetClientHeight(140);
  EXPECT_EQ(form->pnlTop->Width(), 280);
  EXPECT_EQ(form->edtSecond->BoundsRect(), Rect(10, 100, 150, 121));

  // Written back and read into a new form, the same values come out.
  form->SetClientWidth(240);
  form->SetClientHeight(120);
  std::string text = WriteComponentToText(form);
  auto* again = new TfrmRead(nullptr);
  ReadComponentFromText(text, again);
  EXPECT_EQ(WriteComponentToText(again), text);
  EXPECT_EQ(again->edtSecond->TabOrder(), 1);
  EXPECT_EQ(again->Color(), clYellow);
  delete again;
  delete form;
}
