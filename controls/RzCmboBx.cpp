// The combo box: state colours, the painted frame and flat button, wheel
// stepping, owner draw and the published properties.
#include "controls/RzCmboBx.h"

#include "controls/RzRectOps.h"
#include "controls/RzThemeSrv.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/TypInfo.h"

TRzCustomComboBox::TRzCustomComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {
  controlStyle_.Exclude(csSetCaption);
  searchTimer_ = std::make_unique<TTimer>(nullptr);
  searchTimer_->SetEnabled(false);
  searchTimer_->SetInterval(1500);
  searchTimer_->OnTimer = TNotifyEvent(this, &TRzCustomComboBox::SearchTimerExpired);
}

TRzCustomComboBox::~TRzCustomComboBox() {
  searchTimer_.reset();
  if (frameController_) frameController_->UnregisterControl(this);
}

bool TRzCustomComboBox::UsesStyledFrame() {
  return framingPreference_ == fpXPThemes && SharedThemeServices()->VisualStylesOn();
}

void TRzCustomComboBox::ReadFrameFlat(bool Value) {
  // Through the writer, so the flat frame an old file meant shows (and a
  // saved copy reads back the same); sides read from the file stay.
  SetFrameHotTrack(Value);
  if (Value) {
    frameStyle_ = fsStatus;
    frameHotStyle_ = fsLowered;
  }
}

// Colours ------------------------------------------------------------------

void TRzCustomComboBox::SetColor(TColor Value) {
  if (Value == Color()) return;
  TCustomComboBox::SetColor(Value);
  if (!updatingColor_) {
    if (focusColor_ == normalColor_) focusColor_ = Value;
    normalColor_ = Value;
  }
}

void TRzCustomComboBox::SetDisabledColor(TColor Value) {
  disabledColor_ = Value;
  if (!Enabled()) UpdateColors();
}

void TRzCustomComboBox::SetFocusColor(TColor Value) {
  focusColor_ = Value;
  if (inControl_) UpdateColors();
}

void TRzCustomComboBox::UpdateColors() {
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

// Frame properties ---------------------------------------------------------

void TRzCustomComboBox::SetFlatButtons(bool Value) {
  if (flatButtons_ == Value) return;
  flatButtons_ = Value;
  Invalidate();
}

void TRzCustomComboBox::SetFlatButtonColor(TColor Value) {
  if (flatButtonColor_ == Value) return;
  flatButtonColor_ = Value;
  Invalidate();
}

void TRzCustomComboBox::SetFrameHotTrack(bool Value) {
  if (frameHotTrack_ == Value) return;
  frameHotTrack_ = Value;
  if (Value) {
    SetFrameVisible(true);
    if (!ComponentState().Contains(csLoading)) SetFrameSides(sdAllSides);
  }
  Invalidate();
}

void TRzCustomComboBox::SetFrameVisible(bool Value) {
  if (frameVisible_ == Value) return;
  frameVisible_ = Value;
  SetParentCtl3D(!Value);
  SetCtl3D(!Value);
  Invalidate();
}

void TRzCustomComboBox::SetFramingPreference(TFramingPreference Value) {
  if (framingPreference_ == Value) return;
  framingPreference_ = Value;
  if (Value == fpCustomFraming) Invalidate();
}

void TRzCustomComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomComboBox::Notification(AComponent, Operation);
  FrameControllerNotification(AComponent, Operation);
}

void TRzCustomComboBox::SetDropDownWidth(Integer Value) {
  if (dropDownWidth_ == Value) return;
  dropDownWidth_ = Value;
  if (HandleAllocated()) ::SendMessageW(handle_, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(Value), 0);
}

void TRzCustomComboBox::SetReadOnly(bool Value) {
  if (readOnly_ == Value) return;
  readOnly_ = Value;
  if (HasEditPart() && HandleAllocated())
    if (HWND edit = EditHandle()) ::SendMessageW(edit, EM_SETREADONLY, Value ? 1 : 0, 0);
  Invalidate();
}

void TRzCustomComboBox::SetItemHeight(Integer Value) {
  if (Style() != csOwnerDrawFixed && Style() != csOwnerDrawVariable) return;
  if (Value == ItemHeight()) return;
  TCustomComboBox::SetItemHeight(Value);
  if (HandleAllocated()) RecreateWnd();
}

void TRzCustomComboBox::CreateWnd() {
  TCustomComboBox::CreateWnd();
  if (savedDropDownWidth_ != 0) dropDownWidth_ = savedDropDownWidth_;
  if (dropDownWidth_ != 0) ::SendMessageW(handle_, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(dropDownWidth_), 0);
  if (readOnly_ && HasEditPart())
    if (HWND edit = EditHandle()) ::SendMessageW(edit, EM_SETREADONLY, 1, 0);
}

void TRzCustomComboBox::DestroyWnd() {
  savedDropDownWidth_ = dropDownWidth_;
  TCustomComboBox::DestroyWnd();
}

// States -------------------------------------------------------------------

void TRzCustomComboBox::UpdateFrameState(Integer Which, bool Value) {
  if (Which == 0)
    inControl_ = Value;
  else
    overControl_ = Value;
  if ((flatButtons_ || frameHotTrack_) && HandleAllocated() && !DroppedDown()) {
    TRect r = ClientRect();
    if (!frameHotTrack_) r.Left = r.Right - (::GetSystemMetrics(SM_CXVSCROLL) + 2);
    ::RedrawWindow(handle_, r.AsRECT(), nullptr, RDW_UPDATENOW | RDW_NOERASE | RDW_INVALIDATE);
  }
  UpdateColors();
}

void TRzCustomComboBox::Loaded() {
  TCustomComboBox::Loaded();
  UpdateColors();
  UpdateFrameState(0, false);
}

void TRzCustomComboBox::CMEnter(TMessage& Message) {
  TCustomComboBox::CMEnter(Message);
  hasFocus_ = true;
  UpdateFrameState(0, true);
}

void TRzCustomComboBox::CMExit(TMessage& Message) {
  TCustomComboBox::CMExit(Message);
  hasFocus_ = false;
  UpdateFrameState(0, false);
  if (Style() == csDropDown) {
    std::string text = Text();
    if (!text.empty() && Items()->IndexOf(text) < 0) OnNotInList(this);
  }
}

void TRzCustomComboBox::CMMouseEnter(TMessage& Message) {
  TCustomComboBox::CMMouseEnter(Message);
  UpdateFrameState(1, true);
  OnMouseEnter(this);
}

void TRzCustomComboBox::CMMouseLeave(TMessage& Message) {
  TCustomComboBox::CMMouseLeave(Message);
  UpdateFrameState(1, false);
  OnMouseLeave(this);
}

void TRzCustomComboBox::CMEnabledChanged(TMessage& Message) {
  TCustomComboBox::CMEnabledChanged(Message);
  UpdateColors();
}

void TRzCustomComboBox::WMSize(TMessage& Message) {
  TCustomComboBox::WMSize(Message);
  if (frameVisible_ && !UsesStyledFrame()) Invalidate();
}

void TRzCustomComboBox::CNCommand(TMessage& Message) {
  TCustomComboBox::CNCommand(Message);
  switch (HIWORD(Message.WParam)) {
    case CBN_SELENDOK:
      skipMatch_ = true;
      OnSelEndOk(this);
      break;
    case CBN_SELENDCANCEL: OnSelEndCancel(this); break;
    default: break;
  }
}

void TRzCustomComboBox::CloseUp() {
  TCustomComboBox::CloseUp();
  Invalidate();
}

void TRzCustomComboBox::KeyPress(char& Key) {
  if (tabOnEnter_ && Key == '\r' && !DroppedDown()) {
    Key = 0;
    ::PostMessageW(Handle(), WM_KEYDOWN, VK_TAB, 0);
    return;
  }
  if (Style() == csDropDown && static_cast<unsigned char>(Key) >= 32 && MaxLength() > 0 &&
      static_cast<Integer>(Utf8ToWide(Text()).size()) >= MaxLength() && SelLength() == 0) {
    ::MessageBeep(0);
    Key = 0;
    return;
  }
  TCustomComboBox::KeyPress(Key);
}

bool TRzCustomComboBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  TCustomComboBox::DoMouseWheel(Shift, WheelDelta, MousePos);
  if (WheelDelta == 0) return true;
  bool down = WheelDelta < 0;
  if (DroppedDown()) {
    Integer top = static_cast<Integer>(::SendMessageW(Handle(), CB_GETTOPINDEX, 0, 0));
    Integer lines = Mouse->WheelScrollLines();
    top = down ? top + lines : std::max<Integer>(top - lines, 0);
    ::SendMessageW(Handle(), CB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    return true;
  }
  Integer i = ItemIndex();
  if (down) {
    // The last item stays selected: stepping past it would leave none.
    if (i + 1 >= Items()->Count()) return true;
    SetItemIndex(i + 1);
  } else {
    if (i <= 0) {
      SetItemIndex(0);
      return true;
    }
    SetItemIndex(i - 1);
  }
  Click();
  Change();
  return true;
}

// Painting -----------------------------------------------------------------

void TRzCustomComboBox::PaintOverlay(HDC DC) {
  TCanvas canvas;
  canvas.SetHandle(DC);
  TCanvas* c = &canvas;
  try {
    bool styles = SharedThemeServices()->VisualStylesOn();
    bool hot = inControl_ || overControl_;
    bool white = ColorToRGB(Color()) == 0xFFFFFF;
    Integer b = styles ? 1 : 2;
    Integer sb = ::GetSystemMetrics(SM_CXVSCROLL);
    TRect client = Rect(0, 0, Width(), Height());
    TRect button = Rect(Width() - sb - b, b, Width() - b, Height() - b);
    bool custom = frameVisible_ && !UsesStyledFrame();

    auto innerStep = [&] {
      TRect r = client;
      r.Right = button.Left;
      InflateBy(r, -1, -1);
      if (!white) PaintBevelRings(c, r, Color(), sdAllSides, 2, Color());
    };
    if (custom) {
      if (styles) {
        if (!white) PaintBevelRings(c, client, Color(), sdAllSides, 1, Color());
        innerStep();
      } else {
        PaintBevelRings(c, client, Color(), sdAllSides, 2, Color());
      }
    } else if (styles) {
      innerStep();
    }
    c->Brush()->SetStyle(bsSolid);
    if (styles) {
      c->Brush()->SetColor(Color());
      c->FillRect(Rect(button.Left - 3, button.Top, button.Left, button.Bottom));
    }

    bool dropped = DroppedDown();
    if (readOnly_) {
      c->Brush()->SetColor(Color());
      c->FillRect(button);
    } else if (flatButtons_) {
      if (!hot) {
        c->Brush()->SetColor(Color());
        c->FillRect(button);
        PaintDropArrow(c, button, styles ? 1 : 0, false, Enabled());
      } else if (styles) {
        TThemedComboBox state = dropped ? tcDropDownButtonPressed : tcDropDownButtonHot;
        SharedThemeServices()->PaintElement(DC, TThemeServices::DetailsFor(state), button);
      } else {
        TRect inner;
        if (flatButtonColor_ == clBtnFace)
          inner = PaintBevelRings(c, button, dropped ? clBtnShadow : clBtnHighlight, sdAllSides, 1,
                                  dropped ? clBtnHighlight : clBtnShadow);
        else
          inner = PaintTintedStyledFrame(c, button, flatButtonColor_, sdAllSides, dropped ? fsStatus : fsPopup);
        c->Brush()->SetColor(flatButtonColor_);
        c->FillRect(inner);
        PaintDropArrow(c, button, 0, dropped, Enabled());
      }
    }

    if (custom) {
      bool hotFrame = frameHotTrack_ && hot;
      TColor colour = hotFrame ? frameHotColor_ : frameColor_;
      TFrameStyle style = hotFrame ? frameHotStyle_ : frameStyle_;
      if (style == fsFlat)
        PaintSideLines(c, client, colour, frameSides_, colour);
      else if (style == fsFlatBold)
        PaintBevelRings(c, client, colour, frameSides_, 2, colour);
      else if (Color() == clWindow)
        PaintStyledFrame(c, client, style, frameSides_);
      else
        PaintTintedStyledFrame(c, client, Color(), frameSides_, style);
    }
  } catch (...) {
    canvas.SetHandle(nullptr);
    throw;
  }
  canvas.SetHandle(nullptr);
}

void TRzCustomComboBox::CNDrawItem(TMessage& Message) {
  auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  TOwnerDrawState state = OwnerDrawStateFromItemState(LOWORD(d->itemState));
  if (d->itemState & ODS_COMBOBOXEDIT) state.Include(odComboBoxEdit);
  if (d->itemState & ODS_DEFAULT) state.Include(odDefault);
  TCanvas* c = Canvas();
  c->SetHandle(d->hDC);
  try {
    c->SetFont(Font());
    c->SetBrush(Brush());
    TRect r = Rect(d->rcItem.left, d->rcItem.top, d->rcItem.right, d->rcItem.bottom);
    auto index = static_cast<Integer>(d->itemID);
    bool selected = state.Contains(odSelected);
    if (index >= 0 && selected) {
      c->Brush()->SetColor(clHighlight);
      c->Font()->SetColor(clHighlightText);
    }
    if (index >= 0) {
      DrawItem(index, r, state);
      if (selected && focusOutline_) PaintDottedFocusFrame(c, r);
    } else if (selected) {
      PaintDottedFocusFrame(c, r);
    } else {
      c->FillRect(r);
    }
  } catch (...) {
    c->SetHandle(nullptr);
    throw;
  }
  c->SetHandle(nullptr);
  Message.Result = 1;
}

void TRzCustomComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: {
      TCustomComboBox::Dispatch(Message);
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      if (dc) {
        PaintOverlay(dc);
      } else if (HandleAllocated()) {
        HDC own = ::GetDC(handle_);
        try {
          PaintOverlay(own);
        } catch (...) {
          ::ReleaseDC(handle_, own);
          throw;
        }
        ::ReleaseDC(handle_, own);
      }
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The list of a read-only box cannot be dropped with the mouse.
      if (readOnly_) return;
      break;
    case CN_DELETEITEM: {
      auto* d = reinterpret_cast<DELETEITEMSTRUCT*>(Message.LParam);
      if (d && d->itemData) {
        DeleteItemNotify(reinterpret_cast<void*>(d->itemData));
        d->itemData = 0;
      }
      break;
    }
    default: break;
  }
  if (ListSearchMessage(Message)) return;
  TCustomComboBox::Dispatch(Message);
}

// Published properties -----------------------------------------------------

void RegisterRzComboBoxClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzCommonTypes();
  using C = TRzCustomComboBox;
  auto own = [](C* c) { return c->FrameController() == nullptr; };
  RegisterClassInfo<C, TCustomComboBox>("TRzCustomComboBox");
  RegisterClassInfo<TRzComboBox, C>("TRzComboBox")
      .Bool("AllowEdit", &C::AllowEdit, &C::SetAllowEdit, true)
      .Bool("AutoComplete", &C::AutoComplete, &C::SetAutoComplete, true)
      .Bool("BeepOnInvalidKey", &C::BeepOnInvalidKey, &C::SetBeepOnInvalidKey, true)
      // The colour the control has when enabled and unfocused: a form saved
      // while the control is disabled or focused keeps its own colour.
      .Color("Color", &C::NormalColor, &C::SetColor, clWindow)
      .Stored([](C* c) { return !c->FrameController() && !c->ParentColor(); })
      .Color("DisabledColor", &C::DisabledColor, &C::SetDisabledColor, clBtnFace)
      .Stored(own)
      .Int("DropDownWidth", &C::DropDownWidth, &C::SetDropDownWidth, 0)
      .Color("FlatButtonColor", &C::FlatButtonColor, &C::SetFlatButtonColor, clBtnFace)
      .Stored(own)
      .Bool("FlatButtons", &C::FlatButtons, &C::SetFlatButtons, false)
      .Stored(own)
      .Color("FocusColor", &C::FocusColor, &C::SetFocusColor, clWindow)
      .Stored([](C* c) { return !c->FrameController() && ColorToRGB(c->FocusColor()) != ColorToRGB(c->NormalColor()); })
      .Color("FrameColor", &C::FrameColor, &C::SetFrameColor, clBtnShadow)
      .Stored(own)
      .Ref("FrameController", &C::FrameController, &C::SetFrameController)
      .Color("FrameHotColor", &C::FrameHotColor, &C::SetFrameHotColor, clBtnShadow)
      .Stored(own)
      .Bool("FrameHotTrack", &C::FrameHotTrack, &C::SetFrameHotTrack, false)
      .Stored(own)
      .Enum("FrameHotStyle", &C::FrameHotStyle, &C::SetFrameHotStyle, fsFlatBold)
      .Stored(own)
      .Set<TSide>("FrameSides", &C::FrameSides, &C::SetFrameSides, sdAllSides)
      .Stored(own)
      .Enum("FrameStyle", &C::FrameStyle, &C::SetFrameStyle, fsFlat)
      .Stored(own)
      .Bool("FrameVisible", &C::FrameVisible, &C::SetFrameVisible, false)
      .Stored(own)
      .Enum("FramingPreference", &C::FramingPreference, &C::SetFramingPreference, fpXPThemes)
      .Int("ItemHeight", &C::ItemHeight, &C::SetItemHeight)
      .Bool("KeepSearchCase", &C::KeepSearchCase, &C::SetKeepSearchCase, false)
      .Bool("ReadOnly", &C::ReadOnly, &C::SetReadOnly, false)
      .Bool("TabOnEnter", &C::TabOnEnter, &C::SetTabOnEnter, false)
      .Event("OnDeleteItem", &C::OnDeleteItem)
      .Event("OnMatch", &C::OnMatch)
      .Event("OnMouseEnter", &C::OnMouseEnter)
      .Event("OnMouseLeave", &C::OnMouseLeave)
      .Event("OnMouseWheelUp", &TControl::OnMouseWheelUp)
      .Event("OnMouseWheelDown", &TControl::OnMouseWheelDown)
      .Event("OnNotInList", &C::OnNotInList)
      .Event("OnSelEndCancel", &C::OnSelEndCancel)
      .Event("OnSelEndOk", &C::OnSelEndOk)
      .Define([](TRzComboBox* c, TFiler* filer) {
        filer->DefineProperty(
            "FrameFlat", [c](TReader* r) { c->ReadFrameFlat(r->ReadBoolean()); }, nullptr, false);
        filer->DefineProperty(
            "FrameFocusStyle",
            [c](TReader* r) {
              std::string ident = r->ReadIdent();
              if (const TEnumInfo* info = FindEnumInfo(typeid(TFrameStyle))) {
                Integer v = info->ValueOf(ident);
                if (v >= fsNone && v <= fsFlatBold) c->SetFrameHotStyle(static_cast<TFrameStyle>(v));
              }
            },
            nullptr, false);
        filer->DefineProperty(
            "FrameFlatStyle", [](TReader* r) { r->ReadIdent(); }, nullptr, false);
      });
}
