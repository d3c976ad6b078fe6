// The framed edit: state colours, the frame in the non-client area with hot
// tracking, and the embedded drop button.
#include "controls/RzEdit.h"

#include "controls/RzRectOps.h"
#include "controls/RzThemeSrv.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/TypInfo.h"

TRzCustomEdit::TRzCustomEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  controlStyle_.Exclude(csSetCaption);
  controlStyle_.Include(csCaptureMouse);
}

TRzCustomEdit::~TRzCustomEdit() {
  if (frameController_) frameController_->UnregisterControl(this);
}

bool TRzCustomEdit::UsesStyledFrame() {
  return framingPreference_ == fpXPThemes && SharedThemeServices()->VisualStylesOn();
}

void TRzCustomEdit::ReadFrameFlat(bool Value) {
  // Through the writer, so the flat frame an old file meant shows (and a
  // saved copy reads back the same); sides read from the file stay.
  SetFrameHotTrack(Value);
  if (Value) {
    frameStyle_ = fsStatus;
    frameHotStyle_ = fsLowered;
  }
}

void TRzCustomEdit::SetAlignment(TAlignment Value) {
  if (Value == taCenter) Value = taLeftJustify;
  if (alignment_ == Value) return;
  alignment_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TRzCustomEdit::CreateParams(TCreateParams& Params) {
  TCustomMaskEdit::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
  Params.Style &= ~static_cast<DWORD>(ES_MULTILINE);
  if (alignment_ == taRightJustify) Params.Style |= ES_RIGHT;
}

void TRzCustomEdit::SetColor(TColor Value) {
  if (Value == Color()) return;
  TCustomMaskEdit::SetColor(Value);
  if (!updatingColor_) {
    if (focusColor_ == normalColor_) focusColor_ = Value;
    normalColor_ = Value;
  }
  if (frameVisible_ && !UsesStyledFrame()) RedrawFrame();
}

void TRzCustomEdit::SetDisabledColor(TColor Value) {
  disabledColor_ = Value;
  if (!Enabled()) UpdateColors();
}

void TRzCustomEdit::SetFocusColor(TColor Value) {
  focusColor_ = Value;
  if (inControl_) UpdateColors();
}

void TRzCustomEdit::SetFrameHotTrack(bool Value) {
  if (frameHotTrack_ == Value) return;
  frameHotTrack_ = Value;
  if (Value) {
    SetFrameVisible(true);
    if (!ComponentState().Contains(csLoading)) SetFrameSides(sdAllSides);
  }
  RedrawFrame();
  Invalidate();
}

void TRzCustomEdit::SetFrameVisible(bool Value) {
  if (frameVisible_ == Value) return;
  frameVisible_ = Value;
  // The frame is drawn into the two-pixel sunken border.
  if (Value) SetCtl3D(true);
  if (HandleAllocated()) RecreateWnd();
}

void TRzCustomEdit::SetFramingPreference(TFramingPreference Value) {
  if (framingPreference_ == Value) return;
  framingPreference_ = Value;
  if (Value == fpCustomFraming) RedrawFrame();
}

void TRzCustomEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomMaskEdit::Notification(AComponent, Operation);
  FrameControllerNotification(AComponent, Operation);
}

void TRzCustomEdit::SetFlatButtons(bool Value) {
  if (flatButtons_ == Value) return;
  flatButtons_ = Value;
  RepaintNonClient();
}

void TRzCustomEdit::SetDropButtonVisible(bool Value) {
  if (dropButtonVisible_ == Value) return;
  dropButtonVisible_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TRzCustomEdit::SetButtonState(TButtonState State) {
  if (!dropButtonVisible_ || buttonState_ == State) return;
  buttonState_ = State;
  RepaintNonClient();
}

void TRzCustomEdit::RepaintNonClient() {
  if (HandleAllocated()) ::SendMessageW(handle_, WM_NCPAINT, 0, 0);
}

void TRzCustomEdit::RedrawFrame() {
  if (HandleAllocated()) ::RedrawWindow(handle_, nullptr, nullptr, RDW_FRAME | RDW_UPDATENOW | RDW_INVALIDATE);
}

void TRzCustomEdit::UpdateColors() {
  if (ComponentState().Contains(csLoading)) return;
  updatingColor_ = true;
  try {
    SetColor(!Enabled() ? disabledColor_ : inControl_ ? focusColor_ : normalColor_);
  } catch (...) {
    updatingColor_ = false;
    throw;
  }
  updatingColor_ = false;
}

void TRzCustomEdit::UpdateFrameState(Integer Which, bool Value) {
  if (Which == 0)
    inControl_ = Value;
  else
    overControl_ = Value;
  if (dropButtonVisible_) {
    if ((flatButtons_ || frameHotTrack_ || SharedThemeServices()->VisualStylesOn()) && buttonState_ != bsDown &&
        HandleAllocated()) {
      TRect r = ClientRect();
      if (!frameHotTrack_) {
        Integer strip = ::GetSystemMetrics(SM_CXVSCROLL) + 2;
        if (UseRightToLeftAlignment())
          r.Right = r.Left + strip;
        else
          r.Left = r.Right - strip;
      }
      ::RedrawWindow(handle_, r.AsRECT(), nullptr, RDW_FRAME | RDW_UPDATENOW | RDW_NOERASE | RDW_INVALIDATE);
    }
  } else if (frameHotTrack_) {
    RedrawFrame();
  }
  UpdateColors();
}

void TRzCustomEdit::Loaded() {
  TCustomMaskEdit::Loaded();
  UpdateColors();
  UpdateFrameState(0, false);
}

void TRzCustomEdit::CMEnter(TMessage& Message) {
  UpdateFrameState(0, true);
  TCustomMaskEdit::CMEnter(Message);
}

void TRzCustomEdit::CMExit(TMessage& Message) {
  TCustomMaskEdit::CMExit(Message);
  UpdateFrameState(0, false);
}

void TRzCustomEdit::CMMouseEnter(TMessage& Message) {
  TCustomMaskEdit::CMMouseEnter(Message);
  UpdateFrameState(1, true);
  OnMouseEnter(this);
}

void TRzCustomEdit::CMMouseLeave(TMessage& Message) {
  TCustomMaskEdit::CMMouseLeave(Message);
  UpdateFrameState(1, false);
  OnMouseLeave(this);
}

void TRzCustomEdit::CMEnabledChanged(TMessage& Message) {
  TCustomMaskEdit::CMEnabledChanged(Message);
  RepaintNonClient();
  UpdateColors();
}

void TRzCustomEdit::CMParentColorChanged(TMessage& Message) {
  TCustomMaskEdit::CMParentColorChanged(Message);
  if (frameVisible_ && !UsesStyledFrame()) RedrawFrame();
}

void TRzCustomEdit::WMSize(TMessage& Message) {
  TCustomMaskEdit::WMSize(Message);
  if (frameVisible_ && !UsesStyledFrame()) RedrawFrame();
}

void TRzCustomEdit::KeyPress(char& Key) {
  if (tabOnEnter_ && Key == '\r') {
    Key = 0;
    if (HandleAllocated()) ::PostMessageW(handle_, WM_KEYDOWN, VK_TAB, 0);
    return;
  }
  TCustomMaskEdit::KeyPress(Key);
}

void TRzCustomEdit::KeyDown(Word& Key, TShiftState Shift) {
  TCustomMaskEdit::KeyDown(Key, Shift);
  if (dropButtonVisible_ && Key == VK_DOWN && Shift == TShiftState{ssAlt}) {
    DropDown();
    Key = 0;
  }
}

void TRzCustomEdit::ValidateError() {
  if (OnValidateError) {
    std::string message;
    OnValidateError(this, message);
    if (!message.empty()) {
      ::MessageBeep(0);
      throw EDBEditError(message);
    }
  }
  TCustomMaskEdit::ValidateError();
}

void TRzCustomEdit::DropDown() {
  droppedDown_ = true;
  try {
    SetMouseCapture(true);
    SetButtonState(bsDown);
    OnDropDown(this);
    OnCloseUp(this);
    SetButtonState(bsUp);
  } catch (...) {
    droppedDown_ = false;
    throw;
  }
  droppedDown_ = false;
}

void TRzCustomEdit::CloseUp() {
  if (!droppedDown_) SetButtonState(bsUp);
  if (HandleAllocated() && ::GetCapture() == handle_) ::ReleaseCapture();
}

// Non-client area ----------------------------------------------------------

void TRzCustomEdit::PaintNonClient(HDC DC) {
  TCanvas canvas;
  canvas.SetHandle(DC);
  ncCanvas_ = &canvas;
  try {
    if (frameVisible_ && !UsesStyledFrame()) {
      bool hot = frameHotTrack_ && (inControl_ || overControl_);
      PaintControlFrame(&canvas, Width(), Height(), frameSides_, hot ? frameHotColor_ : frameColor_, Color(),
                        hot ? frameHotStyle_ : frameStyle_);
    }
    if (dropButtonVisible_) {
      TRect r = Rect(0, 0, Width(), Height());
      LONG style = ::GetWindowLongW(handle_, GWL_STYLE), ex = ::GetWindowLongW(handle_, GWL_EXSTYLE);
      if ((style & WS_BORDER) || (ex & WS_EX_CLIENTEDGE)) {
        Integer b = SharedThemeServices()->VisualStylesOn() ? 1 : 2;
        InflateBy(r, -b, -b);
        ::IntersectClipRect(DC, r.Left, r.Top, r.Right, r.Bottom);
      }
      Integer w = ::GetSystemMetrics(SM_CXVSCROLL);
      TRect button = r;
      if (UseRightToLeftAlignment())
        button.Right = button.Left + w;
      else
        button.Left = button.Right - w;
      DrawDropButton(button);
      ::ExcludeClipRect(DC, button.Left, button.Top, button.Right, button.Bottom);
      canvas.FillRect(r);
    }
  } catch (...) {
    ncCanvas_ = nullptr;
    canvas.SetHandle(nullptr);
    throw;
  }
  ncCanvas_ = nullptr;
  canvas.SetHandle(nullptr);
}

void TRzCustomEdit::WMNCPaint(TMessage& Message) {
  DefaultHandler(Message);
  HDC dc = ::GetWindowDC(handle_);
  try {
    PaintNonClient(dc);
  } catch (...) {
    ::ReleaseDC(handle_, dc);
    throw;
  }
  ::ReleaseDC(handle_, dc);
  Message.Result = 0;
}

void TRzCustomEdit::DrawDropButton(const TRect& Rect) {
  TCanvas* c = ncCanvas_;
  if (!c) return;
  bool hot = inControl_ || overControl_;
  TRect r = Rect;
  {
    if (SharedThemeServices()->VisualStylesOn()) {
      if (flatButtons_ && !hot) {
        c->Brush()->SetColor(Color());
        c->FillRect(r);
        PaintDropArrow(c, r, 1, false, Enabled());
      } else {
        TThemedComboBox state = !Enabled()              ? tcDropDownButtonDisabled
                                : buttonState_ == bsDown ? tcDropDownButtonPressed
                                : hot                    ? tcDropDownButtonHot
                                                         : tcDropDownButtonNormal;
        SharedThemeServices()->PaintElement(c->Handle(), TThemeServices::DetailsFor(state), r);
      }
    } else if (!flatButtons_) {
      UINT flags = DFCS_SCROLLCOMBOBOX;
      if (buttonState_ == bsDown) flags |= DFCS_PUSHED | DFCS_FLAT;
      if (!Enabled()) flags |= DFCS_INACTIVE;
      ::DrawFrameControl(c->Handle(), r.AsRECT(), DFC_SCROLL, flags);
    } else if (hot) {
      bool down = buttonState_ == bsDown;
      c->Brush()->SetColor(flatButtonColor_);
      if (flatButtonColor_ == clBtnFace)
        r = PaintBevelRings(c, r, down ? clBtnShadow : clBtnHighlight, sdAllSides, 1,
                            down ? clBtnHighlight : clBtnShadow);
      else
        r = PaintTintedStyledFrame(c, r, flatButtonColor_, sdAllSides, down ? fsStatus : fsPopup);
      c->Brush()->SetColor(flatButtonColor_);
      c->FillRect(r);
      PaintDropArrow(c, Rect, 0, down, Enabled());
    } else {
      c->Brush()->SetColor(inControl_ ? focusColor_ : normalColor_);
      c->FillRect(r);
      PaintDropArrow(c, r, 0, false, Enabled());
    }
  }
}

void TRzCustomEdit::WMNCCalcSize(TMessage& Message) {
  if (dropButtonVisible_ && Message.LParam) {
    auto* r = reinterpret_cast<RECT*>(Message.LParam);
    Integer w = ::GetSystemMetrics(SM_CXVSCROLL) - (SharedThemeServices()->VisualStylesOn() ? 1 : 0);
    if (UseRightToLeftAlignment())
      r->left += w;
    else
      r->right -= w;
  }
  DefaultHandler(Message);
}

void TRzCustomEdit::WMNCHitTest(TMessage& Message) {
  DefaultHandler(Message);
  if (!dropButtonVisible_) return;
  if (Message.Result == HTNOWHERE) {
    mouseOverButton_ = true;
    Message.Result = HTCLIENT;
  } else {
    mouseOverButton_ = false;
  }
}

bool TRzCustomEdit::ButtonMouseMessage(TMessage& Message) {
  if (!dropButtonVisible_) return false;
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (mouseOverButton_) {
        if (!Focused()) SetFocus();
        DropDown();
        Message.Result = 0;
        return true;
      }
      if (Message.Msg == WM_LBUTTONDOWN) {
        TCustomMaskEdit::Dispatch(Message);
        if (!Focused()) CloseUp();
        return true;
      }
      return false;
    case WM_RBUTTONDOWN: return mouseOverButton_;
    case WM_LBUTTONUP:
      CloseUp();
      return false;
    case WM_SETCURSOR:
      if (mouseOverButton_) Message.LParam = MAKELPARAM(HTNOWHERE, HIWORD(Message.LParam));
      return false;
    case WM_KILLFOCUS:
      TCustomMaskEdit::Dispatch(Message);
      CloseUp();
      return true;
    default: return false;
  }
}

void TRzCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCPAINT: WMNCPaint(Message); return;
    case WM_NCCALCSIZE: WMNCCalcSize(Message); return;
    case WM_NCHITTEST: WMNCHitTest(Message); return;
    default: break;
  }
  if (ButtonMouseMessage(Message)) return;
  TCustomMaskEdit::Dispatch(Message);
}

// Published properties -----------------------------------------------------

void RegisterRzEditClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzCommonTypes();
  using E = TRzCustomEdit;
  // The controller supplies these; a form file keeps them only without one.
  auto own = [](E* e) { return e->FrameController() == nullptr; };
  RegisterClassInfo<E, TCustomMaskEdit>("TRzCustomEdit")
      .Enum("Alignment", &E::Alignment, &E::SetAlignment, taRightJustify)
      // The colour the control has when enabled and unfocused: a form saved
      // while the control is disabled or focused keeps its own colour.
      .Color("Color", &E::NormalColor, &E::SetColor, clWindow)
      .Stored([](E* c) { return !c->FrameController() && !c->ParentColor(); })
      .Color("DisabledColor", &E::DisabledColor, &E::SetDisabledColor, clBtnFace)
      .Stored(own)
      .Color("FocusColor", &E::FocusColor, &E::SetFocusColor, clWindow)
      .Stored([](E* c) { return !c->FrameController() && ColorToRGB(c->FocusColor()) != ColorToRGB(c->NormalColor()); })
      .Bool("FlatButtons", &E::FlatButtons, &E::SetFlatButtons, false)
      .Stored(own)
      .Color("FlatButtonColor", &E::FlatButtonColor, &E::SetFlatButtonColor, clBtnFace)
      .Color("FrameColor", &E::FrameColor, &E::SetFrameColor, clBtnShadow)
      .Stored(own)
      .Ref("FrameController", &E::FrameController, &E::SetFrameController)
      .Color("FrameHotColor", &E::FrameHotColor, &E::SetFrameHotColor, clBtnShadow)
      .Stored(own)
      .Bool("FrameHotTrack", &E::FrameHotTrack, &E::SetFrameHotTrack, false)
      .Stored(own)
      .Enum("FrameHotStyle", &E::FrameHotStyle, &E::SetFrameHotStyle, fsFlatBold)
      .Stored(own)
      .Set<TSide>("FrameSides", &E::FrameSides, &E::SetFrameSides, sdAllSides)
      .Stored(own)
      .Enum("FrameStyle", &E::FrameStyle, &E::SetFrameStyle, fsFlat)
      .Stored(own)
      .Bool("FrameVisible", &E::FrameVisible, &E::SetFrameVisible, false)
      .Stored(own)
      .Enum("FramingPreference", &E::FramingPreference, &E::SetFramingPreference, fpXPThemes)
      .Bool("TabOnEnter", &E::TabOnEnter, &E::SetTabOnEnter, false)
      .Event("OnMouseEnter", &E::OnMouseEnter)
      .Event("OnMouseLeave", &E::OnMouseLeave)
      .Define([](E* e, TFiler* filer) {
        filer->DefineProperty(
            "FrameFlat", [e](TReader* r) { e->ReadFrameFlat(r->ReadBoolean()); }, nullptr, false);
        filer->DefineProperty(
            "FrameFocusStyle",
            [e](TReader* r) {
              std::string ident = r->ReadIdent();
              if (const TEnumInfo* info = FindEnumInfo(typeid(TFrameStyle))) {
                Integer v = info->ValueOf(ident);
                // An unknown name keeps the current hot style.
                if (v >= fsNone && v <= fsFlatBold) e->SetFrameHotStyle(static_cast<TFrameStyle>(v));
              }
            },
            nullptr, false);
        filer->DefineProperty(
            "FrameFlatStyle", [](TReader* r) { r->ReadIdent(); }, nullptr, false);
      });
}
