#include "platform/StdCtrls.h"

#include <algorithm>
#include <cctype>

#include "platform/Forms.h"

TOwnerDrawState OwnerDrawStateFromItemState(UINT ItemState) {
  TOwnerDrawState s;
  if (ItemState & ODS_SELECTED) s.Include(odSelected);
  if (ItemState & ODS_GRAYED) s.Include(odGrayed);
  if (ItemState & ODS_DISABLED) s.Include(odDisabled);
  if (ItemState & ODS_CHECKED) s.Include(odChecked);
  if (ItemState & ODS_FOCUS) s.Include(odFocused);
  if (ItemState & ODS_DEFAULT) s.Include(odDefault);
  if (ItemState & ODS_COMBOBOXEDIT) s.Include(odComboBoxEdit);
  return s;
}

int CanvasDrawText(TCanvas* Canvas, const std::string& Text, TRect& Rect, UINT Flags) {
  Canvas->TextHeight("0");  // selects the font and its colour
  HDC dc = Canvas->Handle();
  if (Canvas->Brush()->Style() == bsClear) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(Canvas->Brush()->Color())));
  }
  std::wstring w = Utf8ToWide(Text);
  return DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), Rect.AsRECT(), Flags);
}

namespace {

std::string WindowString(HWND Wnd, UINT LenMsg, UINT GetMsg, Integer Index) {
  LRESULT n = ::SendMessageW(Wnd, LenMsg, static_cast<WPARAM>(Index), 0);
  if (n < 0) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  n = ::SendMessageW(Wnd, GetMsg, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(w.data()));
  w.resize(static_cast<size_t>(std::max<LRESULT>(n, 0)));
  return WideToUtf8(w);
}

// Paints an owner-drawn item through a control canvas bound to the item's DC.
template <class F>
void WithCanvas(TControlCanvas* Canvas, HDC DC, TFont* Font, TBrush* Brush, F Paint) {
  Canvas->Lock();
  Canvas->SetHandle(DC);
  Canvas->SetFont(Font);
  Canvas->SetBrush(Brush);
  try {
    Paint();
  } catch (...) {
    Canvas->SetHandle(nullptr);
    Canvas->Unlock();
    throw;
  }
  Canvas->SetHandle(nullptr);
  Canvas->Unlock();
}

// One owner-drawn row of a list or combo box: selection colours, the item (or
// an empty row when the box has no items) and the focus frame.
template <class F>
void PaintOwnerDrawRow(TControlCanvas* Canvas, const DRAWITEMSTRUCT* dis, TFont* Font, TBrush* Brush, F DrawItem) {
  const TOwnerDrawState state = OwnerDrawStateFromItemState(dis->itemState);
  WithCanvas(Canvas, dis->hDC, Font, Brush, [&] {
    if (state.Contains(odSelected)) {
      Canvas->Brush()->SetColor(clHighlight);
      Canvas->Font()->SetColor(clHighlightText);
    }
    const TRect r{dis->rcItem.left, dis->rcItem.top, dis->rcItem.right, dis->rcItem.bottom};
    if (static_cast<int>(dis->itemID) >= 0)
      DrawItem(static_cast<Integer>(dis->itemID), r, state);
    else
      Canvas->FillRect(r);
    if (state.Contains(odFocused)) DrawFocusRect(dis->hDC, r.AsRECT());
  });
}

// The default look of an owner-drawn item: its text on the current brush.
void DrawPlainItem(TCanvas* Canvas, TStrings* Items, Integer Index, const TRect& Rect) {
  Canvas->FillRect(Rect);
  if (Index >= 0 && Index < Items->Count()) Canvas->TextOut(Rect.Left + 2, Rect.Top, Items->Strings(Index));
}

}  // namespace

// ---------------------------------------------------------------------------
// TCustomLabel

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_.Include(csOpaque);
  controlStyle_.Include(csReplicatable);
  width_ = 65;
  height_ = 17;
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (autoSize_ == Value) return;
  autoSize_ = Value;
  AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (wordWrap_ == Value) return;
  wordWrap_ = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
  if (Transparent() == Value) return;
  if (Value)
    controlStyle_.Exclude(csOpaque);
  else
    controlStyle_.Include(csOpaque);
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (showAccelChar_ == Value) return;
  showAccelChar_ = Value;
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  if (focusControl_ == Value) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

std::string TCustomLabel::GetLabelText() { return GetText(); }

void TCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
  std::string text = GetLabelText();
  if ((Flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text += " ";
  if (!showAccelChar_) Flags |= DT_NOPREFIX;
  TCanvas* c = Canvas();
  c->SetFont(Font());
  if (!enabled_) {
    OffsetRect(Rect.AsRECT(), 1, 1);
    c->Font()->SetColor(clBtnHighlight);
    CanvasDrawText(c, text, Rect, Flags);
    OffsetRect(Rect.AsRECT(), -1, -1);
    c->Font()->SetColor(clBtnShadow);
  }
  CanvasDrawText(c, text, Rect, Flags);
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!Transparent()) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
  }
  c->Brush()->SetStyle(bsClear);
  static const UINT Align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  UINT flags = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0) | Align[alignment_];
  if (layout_ != tlTop) {
    TRect calc = r;
    DoDrawText(calc, flags | DT_CALCRECT);
    Integer offset = r.Height() - calc.Height();
    if (layout_ == tlCenter) offset /= 2;
    r.Top += offset;
  }
  DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
  if (ComponentState().Contains(csLoading) || !autoSize_) return;
  TRect r = ClientRect();
  HDC dc = GetDC(nullptr);
  Canvas()->Lock();
  Canvas()->SetHandle(dc);
  UINT flags = DT_EXPANDTABS | DT_CALCRECT | (wordWrap_ ? DT_WORDBREAK : 0);
  DoDrawText(r, flags);
  Canvas()->SetHandle(nullptr);
  Canvas()->Unlock();
  ReleaseDC(nullptr, dc);
  Integer x = left_;
  if (alignment_ == taRightJustify) x += width_ - r.Right;
  else if (alignment_ == taCenter) x += (width_ - r.Right) / 2;
  SetBounds(x, top_, r.Right, r.Bottom);
}

void TCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      TGraphicControl::Dispatch(Message);
      AdjustBounds();
      Invalidate();
      break;
    case CM_DIALOGCHAR:
      // Alt plus the accelerator focuses the associated control.
      if (focusControl_ && enabled_ && showAccelChar_ && focusControl_->CanFocus()) {
        std::string t = GetText();
        size_t amp = t.find('&');
        while (amp != std::string::npos && amp + 1 < t.size() && t[amp + 1] == '&') amp = t.find('&', amp + 2);
        if (amp != std::string::npos && amp + 1 < t.size() &&
            std::toupper(static_cast<unsigned char>(t[amp + 1])) ==
                std::toupper(static_cast<int>(Message.WParam & 0xFF))) {
          focusControl_->SetFocus();
          Message.Result = 1;
          return;
        }
      }
      TGraphicControl::Dispatch(Message);
      break;
    default: TGraphicControl::Dispatch(Message); break;
  }
}

// ---------------------------------------------------------------------------
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  width_ = 121;
  height_ = 21;
  tabStop_ = true;
  parentColor_ = false;
  color_ = clWindow;
  brush_->SetColor(clWindow);
  controlStyle_ = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks};
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, L"EDIT");
  Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (borderStyle_ == bsSingle) {
    if (NewStyleControls && Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
  if (readOnly_) Params.Style |= ES_READONLY;
  if (!hideSelection_) Params.Style |= ES_NOHIDESEL;
  if (charCase_ == ecUpperCase) Params.Style |= ES_UPPERCASE;
  if (charCase_ == ecLowerCase) Params.Style |= ES_LOWERCASE;
  if (oemConvert_) Params.Style |= ES_OEMCONVERT;
  if (passwordChar_ != 0) Params.Style |= ES_PASSWORD;
}

void TCustomEdit::CreateWnd() {
  creating_ = true;
  try {
    TWinControl::CreateWnd();
  } catch (...) {
    creating_ = false;
    throw;
  }
  creating_ = false;
  ::SendMessageW(handle_, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  if (modified_) ::SendMessageW(handle_, EM_SETMODIFY, 1, 0);
  if (passwordChar_ != 0)
    ::SendMessageW(handle_, EM_SETPASSWORDCHAR, static_cast<unsigned char>(passwordChar_), 0);
}

void TCustomEdit::SetPasswordChar(char Value) {
  if (passwordChar_ == Value) return;
  passwordChar_ = Value;
  if (handle_) {
    ::SendMessageW(handle_, EM_SETPASSWORDCHAR, static_cast<unsigned char>(Value), 0);
    InvalidateRect(handle_, nullptr, TRUE);
  }
}

void TCustomEdit::SetOEMConvert(bool Value) {
  if (oemConvert_ == Value) return;
  oemConvert_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomEdit::SetMaxLength(Integer Value) {
  maxLength_ = Value;
  if (handle_) ::SendMessageW(handle_, EM_LIMITTEXT, static_cast<WPARAM>(Value), 0);
}

void TCustomEdit::SetReadOnly(bool Value) {
  readOnly_ = Value;
  if (handle_) ::SendMessageW(handle_, EM_SETREADONLY, Value ? 1 : 0, 0);
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (charCase_ == Value) return;
  charCase_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool Value) {
  if (hideSelection_ == Value) return;
  hideSelection_ = Value;
  if (handle_) RecreateWnd();
}

bool TCustomEdit::Modified() const {
  if (handle_) return ::SendMessageW(handle_, EM_GETMODIFY, 0, 0) != 0;
  return modified_;
}

void TCustomEdit::SetModified(bool Value) {
  modified_ = Value;
  if (handle_) ::SendMessageW(handle_, EM_SETMODIFY, Value ? 1 : 0, 0);
}

Integer TCustomEdit::SelStart() {
  DWORD s = 0, e = 0;
  ::SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return static_cast<Integer>(s);
}

void TCustomEdit::SetSelStart(Integer Value) {
  ::SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(Value), Value);
}

Integer TCustomEdit::SelLength() {
  DWORD s = 0, e = 0;
  ::SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return static_cast<Integer>(e - s);
}

void TCustomEdit::SetSelLength(Integer Value) {
  DWORD s = 0, e = 0;
  ::SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  ::SendMessageW(Handle(), EM_SETSEL, s, static_cast<LPARAM>(s) + Value);
}

// Selection positions count UTF-16 units of the window text.
std::string TCustomEdit::SelText() {
  std::wstring w = Utf8ToWide(Text());
  const size_t start = std::min<size_t>(static_cast<size_t>(std::max<Integer>(SelStart(), 0)), w.size());
  return WideToUtf8(w.substr(start, static_cast<size_t>(std::max<Integer>(SelLength(), 0))));
}

void TCustomEdit::SetSelText(const std::string& Value) {
  std::wstring w = Utf8ToWide(Value);
  ::SendMessageW(Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

void TCustomEdit::SelectAll() {
  if (handle_) ::SendMessageW(handle_, EM_SETSEL, 0, -1);
}

void TCustomEdit::Change() { OnChange(this); }

void TCustomEdit::CNCommand(TMessage& Message) {
  if (HIWORD(Message.WParam) == EN_CHANGE && !creating_) Change();
}

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND: CNCommand(Message); break;
    case WM_SETFOCUS:
      TWinControl::Dispatch(Message);
      if (autoSelect_ && !(GetKeyState(VK_LBUTTON) < 0)) SelectAll();
      break;
    case CM_TEXTCHANGED:
      // Text set without a window has no EN_CHANGE to report it.
      TWinControl::Dispatch(Message);
      if (!handle_ && !creating_) Change();
      break;
    default: TWinControl::Dispatch(Message); break;
  }
}

// ---------------------------------------------------------------------------
// TCustomMaskEdit

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const std::string& Value) {
  editMask_ = Value;
  maskChars_ = Value.substr(0, Value.find(';'));
  // Case and blank directives do not take a character position.
  maskChars_.erase(std::remove_if(maskChars_.begin(), maskChars_.end(),
                                  [](char c) { return c == '>' || c == '<' || c == '!'; }),
                   maskChars_.end());
  if (!maskChars_.empty()) SetMaxLength(static_cast<Integer>(maskChars_.size()));
}

bool TCustomMaskEdit::MaskAccepts(Integer Pos, char Key) const {
  if (maskChars_.empty()) return true;
  if (Pos < 0 || Pos >= static_cast<Integer>(maskChars_.size())) return false;
  unsigned char k = static_cast<unsigned char>(Key);
  switch (maskChars_[static_cast<size_t>(Pos)]) {
    case '0':
    case '9':
    case '#': return std::isdigit(k) || (maskChars_[static_cast<size_t>(Pos)] == '#' && (k == '+' || k == '-'));
    case 'L':
    case 'l': return std::isalpha(k) || k >= 0x80;
    case 'A':
    case 'a': return std::isalnum(k) || k >= 0x80;
    default: return true;
  }
}

void TCustomMaskEdit::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  if (Key == 0 || static_cast<unsigned char>(Key) < 0x20 || !IsMasked()) return;
  if (!MaskAccepts(SelStart(), Key)) {
    MessageBeep(0);
    Key = 0;
  }
}

bool TCustomMaskEdit::Validate(const std::string& Value, Integer& Pos) const {
  // The third field of the mask names the blank character.
  char blank = ' ';
  if (size_t a = editMask_.find(';'); a != std::string::npos)
    if (size_t b = editMask_.find(';', a + 1); b != std::string::npos && b + 1 < editMask_.size())
      blank = editMask_[b + 1];
  for (size_t i = 0; i < maskChars_.size(); ++i) {
    const char m = maskChars_[i];
    const bool filled = i < Value.size() && Value[i] != blank;
    const bool required = m == '0' || m == 'L' || m == 'A' || m == 'C';
    if ((required && !filled) || (filled && !MaskAccepts(static_cast<Integer>(i), Value[i]))) {
      Pos = static_cast<Integer>(i);
      return false;
    }
  }
  return true;
}

void TCustomMaskEdit::ValidateEdit() {
  Integer pos = 0;
  if (!IsMasked() || !Modified() || Validate(Text(), pos)) return;
  if (handle_ && CanFocus()) {
    SetFocus();
    ::SendMessageW(handle_, EM_SETSEL, static_cast<WPARAM>(pos), pos);
  }
  ValidateError();
}

void TCustomMaskEdit::ValidateError() {
  MessageBeep(0);
  throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}

void TCustomMaskEdit::CMExit(TMessage& Message) {
  try {
    ValidateEdit();
  } catch (...) {
    // The focus stays until the text is right.
    if (handle_ && CanFocus()) SetFocus();
    throw;
  }
  TCustomEdit::CMExit(Message);
}

// ---------------------------------------------------------------------------
// TCustomMemo

namespace {

// The memo's lines, read from and written to the window text.
class TMemoStrings : public TStrings {
 public:
  explicit TMemoStrings(TCustomMemo* Memo) : memo_(Memo) {}
  std::string Get(Integer Index) const override {
    auto lines = Split();
    if (Index < 0 || Index >= static_cast<Integer>(lines.size()))
      throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return lines[static_cast<size_t>(Index)];
  }
  Integer GetCount() const override { return static_cast<Integer>(Split().size()); }
  void Put(Integer Index, const std::string& S) override {
    auto lines = Split();
    if (Index < 0 || Index >= static_cast<Integer>(lines.size()))
      throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    lines[static_cast<size_t>(Index)] = S;
    Join(lines);
  }
  void Insert(Integer Index, const std::string& S) override {
    auto lines = Split();
    if (Index < 0 || Index > static_cast<Integer>(lines.size()))
      throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    lines.insert(lines.begin() + Index, S);
    Join(lines);
  }
  void Delete(Integer Index) override {
    auto lines = Split();
    if (Index < 0 || Index >= static_cast<Integer>(lines.size()))
      throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    lines.erase(lines.begin() + Index);
    Join(lines);
  }
  void Clear() override { memo_->SetText(""); }

 private:
  std::vector<std::string> Split() const {
    std::vector<std::string> out;
    std::string t = memo_->Text();
    size_t p = 0;
    while (p < t.size()) {
      size_t e = t.find_first_of("\r\n", p);
      if (e == std::string::npos) {
        out.push_back(t.substr(p));
        break;
      }
      out.push_back(t.substr(p, e - p));
      p = e + ((t[e] == '\r' && e + 1 < t.size() && t[e + 1] == '\n') ? 2 : 1);
    }
    return out;
  }
  void Join(const std::vector<std::string>& Lines) {
    std::string t;
    for (const std::string& l : Lines) t += l + "\r\n";
    memo_->SetText(t);
  }
  TCustomMemo* memo_;
};

}  // namespace

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), lines_(std::make_unique<TMemoStrings>(this)) {
  width_ = 185;
  height_ = 89;
  autoSelect_ = false;
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  static const DWORD Bars[] = {0, WS_HSCROLL, WS_VSCROLL, WS_HSCROLL | WS_VSCROLL};
  static const DWORD Align[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
  Params.Style |= ES_MULTILINE | Bars[scrollBars_] | Align[alignment_];
  if (wordWrap_) Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (scrollBars_ == Value) return;
  scrollBars_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (wordWrap_ == Value) return;
  wordWrap_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomMemo::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomMemo::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  if ((Key == '\r' && !wantReturns_) || (Key == '\t' && !wantTabs_)) Key = 0;
}

// ---------------------------------------------------------------------------
// Buttons

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {}

void TButtonControl::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND)
    CNCommand(Message);
  else
    TWinControl::Dispatch(Message);
}

void TButtonControl::CNCommand(TMessage&) {}

void TButtonControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  TWinControl::ActionChange(Sender, CheckDefaults);
  if (auto* a = dynamic_cast<TCustomAction*>(Sender); a && (!CheckDefaults || !Checked()))
    SetCheckedQuietly(a->Checked());
}

std::unique_ptr<TControlActionLink> TButtonControl::CreateActionLink() {
  return std::make_unique<TButtonActionLink>(this);
}

void TButtonControl::SetCheckedQuietly(bool Value) {
  bool saved = clicksDisabled_;
  clicksDisabled_ = true;
  try {
    SetChecked(Value);
  } catch (...) {
    clicksDisabled_ = saved;
    throw;
  }
  clicksDisabled_ = saved;
}

bool TButtonActionLink::IsCheckedLinked() const {
  return TWinControlActionLink::IsCheckedLinked() && button_->Checked() == CustomAction()->Checked();
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
  width_ = 75;
  height_ = 25;
  tabStop_ = true;
  parentColor_ = false;
  color_ = clBtnFace;
  brush_->SetColor(clBtnFace);
}

void TButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, L"BUTTON");
  Params.Style |= (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
  active_ = default_;
}

void TButton::SetDefault(bool Value) {
  if (default_ == Value) return;
  default_ = Value;
  if (handle_) {
    TWinControl* focused = nullptr;
    if (TCustomForm* f = GetParentForm(this)) focused = f->ActiveControl();
    if (!dynamic_cast<TButton*>(focused)) SetButtonStyle(Value);
  }
}

void TButton::SetButtonStyle(bool ADefault) {
  active_ = ADefault;
  if (handle_) ::SendMessageW(handle_, BM_SETSTYLE, ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, 1);
}

void TButton::Click() {
  if (modalResult_ != mrNone)
    if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(modalResult_);
  TButtonControl::Click();
}

void TButton::CNCommand(TMessage& Message) {
  if (HIWORD(Message.WParam) == BN_CLICKED) Click();
}

void TButton::CMDialogKey(TMessage& Message) {
  // Enter goes to the active (default-looking) button, Escape to a Cancel button.
  if (((Message.WParam == VK_RETURN && active_) || (Message.WParam == VK_ESCAPE && cancel_)) &&
      KeyDataToShiftState(Message.LParam).Empty() && CanFocus()) {
    Click();
    Message.Result = 1;
    return;
  }
  TButtonControl::CMDialogKey(Message);
}

void TButton::CMFocusChanged(TMessage& Message) {
  auto* focused = reinterpret_cast<TWinControl*>(Message.LParam);
  if (dynamic_cast<TButton*>(focused))
    SetButtonStyle(focused == this);
  else
    SetButtonStyle(default_);
  TButtonControl::CMFocusChanged(Message);
}

void TButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
    default: TButtonControl::Dispatch(Message); break;
  }
}

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
  width_ = 97;
  height_ = 17;
  tabStop_ = true;
}

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, L"BUTTON");
  Params.Style |= BS_3STATE;
  if (alignment_ == taLeftJustify) Params.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::CreateWnd() {
  TButtonControl::CreateWnd();
  ::SendMessageW(handle_, BM_SETCHECK, static_cast<WPARAM>(state_), 0);
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (state_ == Value) return;
  state_ = Value;
  if (handle_) ::SendMessageW(handle_, BM_SETCHECK, static_cast<WPARAM>(state_), 0);
  // A change made by code is reported as a click, as the user's is (not one made by the action).
  if (!ComponentState().Contains(csLoading) && !clicksDisabled_) Click();
}

void TCustomCheckBox::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCustomCheckBox::CNCommand(TMessage& Message) {
  if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
  width_ = 113;
  height_ = 17;
}

void TRadioButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  CreateSubClass(Params, L"BUTTON");
  Params.Style |= BS_RADIOBUTTON;
  if (alignment_ == taLeftJustify) Params.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateWnd() {
  TButtonControl::CreateWnd();
  ::SendMessageW(handle_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetChecked(bool Value) {
  if (checked_ == Value) return;
  checked_ = Value;
  SetTabStop(Value);
  if (handle_) ::SendMessageW(handle_, BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (Value) {
    if (parent_)
      for (Integer i = 0; i < parent_->ControlCount(); ++i)
        if (auto* r = dynamic_cast<TRadioButton*>(parent_->Controls(i)); r && r != this) r->SetChecked(false);
    if (!ComponentState().Contains(csLoading) && !clicksDisabled_) Click();
  }
}

void TRadioButton::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  if (handle_) RecreateWnd();
}

void TRadioButton::CNCommand(TMessage& Message) {
  switch (HIWORD(Message.WParam)) {
    case BN_CLICKED: SetChecked(true); break;
    case BN_DOUBLECLICKED: DblClick(); break;
    default: break;
  }
}

// ---------------------------------------------------------------------------
// TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  width_ = 185;
  height_ = 105;
  color_ = clBtnFace;
  brush_->SetColor(clBtnFace);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  Canvas()->SetFont(Font());
  Rect.Top += Canvas()->TextHeight("0");
  InflateRect(Rect.AsRECT(), -1, -1);
}

void TCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  c->SetFont(Font());
  Integer h = c->TextHeight("0");
  TRect r = Rect(0, h / 2 - 1, width_, height_);
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  DrawEdge(c->Handle(), r.AsRECT(), EDGE_ETCHED, BF_RECT);
  std::string text = GetText();
  if (!text.empty()) {
    TRect tr = Rect(0, 0, 0, h);
    CanvasDrawText(c, text, tr, DT_CALCRECT | DT_SINGLELINE);
    OffsetRect(tr.AsRECT(), 8, 0);
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    if (!enabled_) c->Font()->SetColor(clGrayText);
    CanvasDrawText(c, text, tr, DT_SINGLELINE);
  }
}

void TCustomGroupBox::CMTextChanged(TMessage& Message) {
  TCustomControl::CMTextChanged(Message);
  Invalidate();
  Realign();
}

void TCustomGroupBox::CMFontChanged(TMessage& Message) {
  TCustomControl::CMFontChanged(Message);
  Realign();
}

// ---------------------------------------------------------------------------
// List box

class TListBoxStrings : public TStrings {
 public:
  explicit TListBoxStrings(TCustomListBox* Box) : box_(Box) {}
  Integer GetCount() const override {
    if (!box_->ListWindow()) return box_->saved_->Count();
    return static_cast<Integer>(::SendMessageW(box_->handle_, LB_GETCOUNT, 0, 0));
  }
  std::string Get(Integer Index) const override {
    if (!box_->ListWindow()) return box_->saved_->Strings(Index);
    return WindowString(box_->handle_, LB_GETTEXTLEN, LB_GETTEXT, Index);
  }
  TObject* GetObject(Integer Index) const override {
    if (!box_->ListWindow()) return box_->saved_->Objects(Index);
    LRESULT r = ::SendMessageW(box_->handle_, LB_GETITEMDATA, static_cast<WPARAM>(Index), 0);
    if (r == LB_ERR) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return reinterpret_cast<TObject*>(r);
  }
  void PutObject(Integer Index, TObject* AObject) override {
    if (!box_->ListWindow()) {
      box_->saved_->SetObjects(Index, AObject);
      return;
    }
    if (Index >= 0 && Index < GetCount())
      ::SendMessageW(box_->handle_, LB_SETITEMDATA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(AObject));
  }
  Integer Add(const std::string& S) override {
    if (!box_->ListWindow()) return box_->saved_->Add(S);
    std::wstring w = Utf8ToWide(S);
    LRESULT r = ::SendMessageW(box_->handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    if (r < 0) throw EOutOfResources("Insufficient space in the list box");
    return static_cast<Integer>(r);
  }
  void Insert(Integer Index, const std::string& S) override {
    if (!box_->ListWindow()) {
      box_->saved_->Insert(Index, S);
      return;
    }
    std::wstring w = Utf8ToWide(S);
    LRESULT r = ::SendMessageW(box_->handle_, LB_INSERTSTRING, static_cast<WPARAM>(Index),
                               reinterpret_cast<LPARAM>(w.c_str()));
    if (r < 0) throw EOutOfResources("Insufficient space in the list box");
  }
  void Delete(Integer Index) override {
    if (!box_->ListWindow()) {
      box_->saved_->Delete(Index);
      return;
    }
    ::SendMessageW(box_->handle_, LB_DELETESTRING, static_cast<WPARAM>(Index), 0);
  }
  void Clear() override {
    if (!box_->ListWindow()) {
      box_->saved_->Clear();
      return;
    }
    ::SendMessageW(box_->handle_, LB_RESETCONTENT, 0, 0);
  }
  Integer IndexOf(const std::string& S) const override {
    if (!box_->ListWindow()) return box_->saved_->IndexOf(S);
    std::wstring w = Utf8ToWide(S);
    LRESULT r = ::SendMessageW(box_->handle_, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(w.c_str()));
    return r == LB_ERR ? -1 : static_cast<Integer>(r);
  }

 private:
  TCustomListBox* box_;
};

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner),
      items_(std::make_unique<TListBoxStrings>(this)),
      saved_(std::make_unique<TStringList>()),
      canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
  width_ = 121;
  height_ = 97;
  tabStop_ = true;
  parentColor_ = false;
  color_ = clWindow;
  brush_->SetColor(clWindow);
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
}

TCustomListBox::~TCustomListBox() {
  // The window goes first, while the item list it is saved into still exists.
  if (handle_) DestroyWindowHandle();
}

void TCustomListBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, L"LISTBOX");
  static const DWORD Styles[] = {0, LBS_OWNERDRAWFIXED, LBS_OWNERDRAWVARIABLE};
  // The horizontal bar shows once a horizontal extent wider than the box is set.
  Params.Style |= WS_HSCROLL | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOTIFY | Styles[style_];
  if (sorted_) Params.Style |= LBS_SORT;
  if (tabWidth_ != 0) Params.Style |= LBS_USETABSTOPS;
  if (!integralHeight_) Params.Style |= LBS_NOINTEGRALHEIGHT;
  if (multiSelect_) Params.Style |= extendedSelect_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (borderStyle_ == bsSingle) {
    if (NewStyleControls && Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

void TCustomListBox::CreateWnd() {
  TWinControl::CreateWnd();
  if (style_ == lbOwnerDrawFixed) ::SendMessageW(handle_, LB_SETITEMHEIGHT, 0, itemHeight_);
  if (tabWidth_ != 0) {
    INT stop = tabWidth_;
    ::SendMessageW(handle_, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
  }
  // Through the window, so a subclass sees the strings arrive.
  for (Integer i = 0; i < saved_->Count(); ++i) {
    std::wstring w = Utf8ToWide(saved_->Strings(i));
    LRESULT idx = ::SendMessageW(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    if (idx >= 0)
      ::SendMessageW(handle_, LB_SETITEMDATA, static_cast<WPARAM>(idx), reinterpret_cast<LPARAM>(saved_->Objects(i)));
  }
  saved_->Clear();
  if (savedIndex_ >= 0) SetItemIndex(savedIndex_);
  savedIndex_ = -1;
}

void TCustomListBox::DestroyWnd() {
  if (handle_) {
    saved_->Clear();
    Integer n = static_cast<Integer>(::SendMessageW(handle_, LB_GETCOUNT, 0, 0));
    for (Integer i = 0; i < n; ++i)
      saved_->AddObject(WindowString(handle_, LB_GETTEXTLEN, LB_GETTEXT, i),
                        reinterpret_cast<TObject*>(::SendMessageW(handle_, LB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
    savedIndex_ = multiSelect_ ? -1 : static_cast<Integer>(::SendMessageW(handle_, LB_GETCURSEL, 0, 0));
  }
  TWinControl::DestroyWnd();
}

// The window is made again when it was destroyed for a re-creation and the
// parent's window exists; while loading or destroying the saved list serves.
bool TCustomListBox::ListWindow() {
  if (!handle_ && parent_ && parent_->HandleAllocated() && !ComponentState().Contains(csLoading) &&
      !ComponentState().Contains(csDestroying) && !controlState_.Contains(csDestroyingHandle))
    HandleNeeded();
  return handle_ != nullptr;
}

Integer TCustomListBox::ItemCount() const { return items_->Count(); }

Integer TCustomListBox::ItemIndex() {
  if (!ListWindow()) return savedIndex_;
  if (multiSelect_) return static_cast<Integer>(::SendMessageW(handle_, LB_GETCARETINDEX, 0, 0));
  return static_cast<Integer>(::SendMessageW(handle_, LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(Integer Value) {
  if (!ListWindow()) {
    savedIndex_ = Value;
    return;
  }
  if (multiSelect_) {
    ::SendMessageW(handle_, LB_SETSEL, 0, -1);
    if (Value >= 0) ::SendMessageW(handle_, LB_SETSEL, 1, Value);
    ::SendMessageW(handle_, LB_SETCARETINDEX, static_cast<WPARAM>(Value), 0);
  } else {
    ::SendMessageW(handle_, LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
  }
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (multiSelect_ == Value) return;
  multiSelect_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (extendedSelect_ == Value) return;
  extendedSelect_ = Value;
  if (handle_) RecreateWnd();
}

bool TCustomListBox::Selected(Integer Index) {
  if (!ListWindow()) return Index == savedIndex_;
  LRESULT r = ::SendMessageW(handle_, LB_GETSEL, static_cast<WPARAM>(Index), 0);
  if (r == LB_ERR) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return r != 0;
}

void TCustomListBox::SetSelected(Integer Index, bool Value) {
  if (!ListWindow()) {
    if (Value) savedIndex_ = Index;
    else if (savedIndex_ == Index) savedIndex_ = -1;
    return;
  }
  if (multiSelect_) {
    if (::SendMessageW(handle_, LB_SETSEL, Value ? 1 : 0, Index) == LB_ERR)
      throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  } else if (Value) {
    SetItemIndex(Index);
  } else if (ItemIndex() == Index) {
    SetItemIndex(-1);
  }
}

Integer TCustomListBox::SelCount() {
  if (!ListWindow()) return savedIndex_ >= 0 ? 1 : 0;
  if (!multiSelect_) return ItemIndex() >= 0 ? 1 : 0;
  return static_cast<Integer>(::SendMessageW(handle_, LB_GETSELCOUNT, 0, 0));
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  if (handle_) RecreateWnd();
}

Integer TCustomListBox::ItemHeight() {
  if (handle_ && style_ == lbStandard) return static_cast<Integer>(::SendMessageW(handle_, LB_GETITEMHEIGHT, 0, 0));
  return itemHeight_;
}

void TCustomListBox::SetItemHeight(Integer Value) {
  if (Value <= 0 || itemHeight_ == Value) return;
  itemHeight_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomListBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (integralHeight_ == Value) return;
  integralHeight_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomListBox::SetTabWidth(Integer Value) {
  Value = std::max<Integer>(Value, 0);
  if (tabWidth_ == Value) return;
  tabWidth_ = Value;
  if (handle_) RecreateWnd();
}

Integer TCustomListBox::TopIndex() {
  return handle_ ? static_cast<Integer>(::SendMessageW(handle_, LB_GETTOPINDEX, 0, 0)) : 0;
}

void TCustomListBox::SetTopIndex(Integer Value) {
  if (handle_) ::SendMessageW(handle_, LB_SETTOPINDEX, static_cast<WPARAM>(Value), 0);
}

TRect TCustomListBox::ItemRect(Integer Index) {
  TRect r;
  Integer count = items_->Count();
  if (Index == 0 || Index < count) {
    ::SendMessageW(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(r.AsRECT()));
  } else if (Index == count) {
    // Just below the last item.
    ::SendMessageW(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(Index - 1), reinterpret_cast<LPARAM>(r.AsRECT()));
    OffsetRect(r.AsRECT(), 0, r.Height());
  }
  return r;
}

Integer TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing) {
  if (!handle_) return -1;
  Integer count = items_->Count();
  if (count == 0) return Existing ? -1 : 0;
  for (Integer i = TopIndex(); i < count; ++i) {
    TRect r;
    if (::SendMessageW(handle_, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(r.AsRECT())) ==
        LB_ERR)
      break;
    if (r.Top >= ClientHeight()) break;
    if (Pos.Y >= r.Top && Pos.Y < r.Bottom) return i;
  }
  return Existing ? -1 : count;
}

void TCustomListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem)
    OnDrawItem(this, Index, Rect, State);
  else
    DrawPlainItem(canvas_.get(), items_.get(), Index, Rect);
}

void TCustomListBox::MeasureItem(Integer Index, Integer& Height) { OnMeasureItem(this, Index, Height); }

void TCustomListBox::CNDrawItem(TMessage& Message) {
  PaintOwnerDrawRow(canvas_.get(), reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam), Font(), Brush(),
                    [this](Integer Index, const TRect& R, TOwnerDrawState State) { DrawItem(Index, R, State); });
  Message.Result = 1;
}

void TCustomListBox::CNMeasureItem(TMessage& Message) {
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  Integer h = itemHeight_;
  if (style_ == lbOwnerDrawVariable) MeasureItem(static_cast<Integer>(mis->itemID), h);
  mis->itemHeight = static_cast<UINT>(h);
  Message.Result = 1;
}

void TCustomListBox::CNCommand(TMessage& Message) {
  switch (HIWORD(Message.WParam)) {
    case LBN_SELCHANGE: Click(); break;
    case LBN_DBLCLK: DblClick(); break;
    default: break;
  }
}

void TCustomListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND: CNCommand(Message); break;
    case CN_DRAWITEM: CNDrawItem(Message); break;
    case CN_MEASUREITEM: CNMeasureItem(Message); break;
    default: TWinControl::Dispatch(Message); break;
  }
}

// ---------------------------------------------------------------------------
// Combo box

class TComboBoxStrings : public TStrings {
 public:
  explicit TComboBoxStrings(TCustomComboBox* Box) : box_(Box) {}
  Integer GetCount() const override {
    if (!box_->ListWindow()) return box_->saved_->Count();
    return static_cast<Integer>(::SendMessageW(box_->handle_, CB_GETCOUNT, 0, 0));
  }
  std::string Get(Integer Index) const override {
    if (!box_->ListWindow()) return box_->saved_->Strings(Index);
    return WindowString(box_->handle_, CB_GETLBTEXTLEN, CB_GETLBTEXT, Index);
  }
  TObject* GetObject(Integer Index) const override {
    if (!box_->ListWindow()) return box_->saved_->Objects(Index);
    LRESULT r = ::SendMessageW(box_->handle_, CB_GETITEMDATA, static_cast<WPARAM>(Index), 0);
    if (r == CB_ERR) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return reinterpret_cast<TObject*>(r);
  }
  void PutObject(Integer Index, TObject* AObject) override {
    if (!box_->ListWindow()) {
      box_->saved_->SetObjects(Index, AObject);
      return;
    }
    ::SendMessageW(box_->handle_, CB_SETITEMDATA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(AObject));
  }
  Integer Add(const std::string& S) override {
    if (!box_->ListWindow()) return box_->saved_->Add(S);
    std::wstring w = Utf8ToWide(S);
    LRESULT r = ::SendMessageW(box_->handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    if (r < 0) throw EOutOfResources("Insufficient space in the combo box");
    return static_cast<Integer>(r);
  }
  void Insert(Integer Index, const std::string& S) override {
    if (!box_->ListWindow()) {
      box_->saved_->Insert(Index, S);
      return;
    }
    std::wstring w = Utf8ToWide(S);
    if (::SendMessageW(box_->handle_, CB_INSERTSTRING, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(w.c_str())) < 0)
      throw EOutOfResources("Insufficient space in the combo box");
  }
  void Delete(Integer Index) override {
    if (!box_->ListWindow()) {
      box_->saved_->Delete(Index);
      return;
    }
    ::SendMessageW(box_->handle_, CB_DELETESTRING, static_cast<WPARAM>(Index), 0);
  }
  void Clear() override {
    if (!box_->ListWindow()) {
      box_->saved_->Clear();
      return;
    }
    // CB_RESETCONTENT also empties the edit; keep the text as the original does.
    std::string text = box_->Text();
    ::SendMessageW(box_->handle_, CB_RESETCONTENT, 0, 0);
    if (box_->style_ == csDropDown || box_->style_ == csSimple) SetWindowTextW(box_->handle_, Utf8ToWide(text).c_str());
  }
  Integer IndexOf(const std::string& S) const override {
    if (!box_->ListWindow()) return box_->saved_->IndexOf(S);
    std::wstring w = Utf8ToWide(S);
    LRESULT r = ::SendMessageW(box_->handle_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(w.c_str()));
    return r == CB_ERR ? -1 : static_cast<Integer>(r);
  }

 private:
  TCustomComboBox* box_;
};

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner),
      items_(std::make_unique<TComboBoxStrings>(this)),
      saved_(std::make_unique<TStringList>()),
      canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
  width_ = 145;
  height_ = 21;
  tabStop_ = true;
  parentColor_ = false;
  color_ = clWindow;
  brush_->SetColor(clWindow);
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight};
}

TCustomComboBox::~TCustomComboBox() {
  if (handle_) DestroyWindowHandle();
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, L"COMBOBOX");
  static const DWORD Styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                 CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
  Params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL | Styles[style_];
  if (sorted_) Params.Style |= CBS_SORT;
  if (charCase_ == ecUpperCase) Params.Style |= CBS_UPPERCASE;
  if (charCase_ == ecLowerCase) Params.Style |= CBS_LOWERCASE;
  // The window's height includes the dropped-down list.
  Integer itemH = itemHeight_ > 0 ? itemHeight_ : 16;
  Params.Height = height_ + itemH * std::max<Integer>(dropDownCount_, 1) + 2;
}

void TCustomComboBox::CreateWnd() {
  std::string text = text_;
  TWinControl::CreateWnd();
  SubclassEdit();
  ::SendMessageW(handle_, CB_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  if (style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable)
    ::SendMessageW(handle_, CB_SETITEMHEIGHT, 0, itemHeight_);
  for (Integer i = 0; i < saved_->Count(); ++i) {
    std::wstring w = Utf8ToWide(saved_->Strings(i));
    LRESULT idx = ::SendMessageW(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    if (idx >= 0)
      ::SendMessageW(handle_, CB_SETITEMDATA, static_cast<WPARAM>(idx), reinterpret_cast<LPARAM>(saved_->Objects(i)));
  }
  saved_->Clear();
  if (savedIndex_ >= 0) {
    ::SendMessageW(handle_, CB_SETCURSEL, static_cast<WPARAM>(savedIndex_), 0);
  } else if (!text.empty()) {
    if (style_ == csDropDown || style_ == csSimple)
      SetWindowTextW(handle_, Utf8ToWide(text).c_str());
    else
      ::SendMessageW(handle_, CB_SETCURSEL, static_cast<WPARAM>(items_->IndexOf(text)), 0);
  }
  savedIndex_ = -1;
}

void TCustomComboBox::DestroyWnd() {
  if (handle_) {
    saved_->Clear();
    Integer n = static_cast<Integer>(::SendMessageW(handle_, CB_GETCOUNT, 0, 0));
    for (Integer i = 0; i < n; ++i)
      saved_->AddObject(WindowString(handle_, CB_GETLBTEXTLEN, CB_GETLBTEXT, i),
                        reinterpret_cast<TObject*>(::SendMessageW(handle_, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
    savedIndex_ = static_cast<Integer>(::SendMessageW(handle_, CB_GETCURSEL, 0, 0));
  }
  TWinControl::DestroyWnd();
  editHandle_ = nullptr;
}

bool TCustomComboBox::ListWindow() {
  if (!handle_ && parent_ && parent_->HandleAllocated() && !ComponentState().Contains(csLoading) &&
      !ComponentState().Contains(csDestroying) && !controlState_.Contains(csDestroyingHandle))
    HandleNeeded();
  return handle_ != nullptr;
}

HWND TCustomComboBox::EditHandle() {
  if (!handle_ || (style_ != csDropDown && style_ != csSimple)) return nullptr;
  return editHandle_ ? editHandle_ : GetWindow(handle_, GW_CHILD);
}

namespace {
// The edit part's own procedure, kept with the window so that it can always be
// called, also once the combo control is gone.
const wchar_t* EditProcProp() { return L"ClassLibraryComboEditProc"; }
}  // namespace

LRESULT CALLBACK ComboEditWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto defProc = reinterpret_cast<WNDPROC>(GetPropW(Wnd, EditProcProp()));
  auto* combo = dynamic_cast<TCustomComboBox*>(TWinControl::FindControl(GetParent(Wnd)));
  LRESULT result = 0;
  if (combo && combo->editHandle_ == Wnd) {
    TMessage m = MakeMessage(Msg, WParam, LParam);
    try {
      combo->EditWndProc(m);
    } catch (...) {
      // Nothing may cross the callback: the application reports it.
      if (Application) Application->HandleException(combo);
    }
    result = m.Result;
  } else {
    result = defProc ? CallWindowProcW(defProc, Wnd, Msg, WParam, LParam) : DefWindowProcW(Wnd, Msg, WParam, LParam);
  }
  if (Msg == WM_NCDESTROY) {
    if (defProc) SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defProc));
    RemovePropW(Wnd, EditProcProp());
    if (combo && combo->editHandle_ == Wnd) combo->editHandle_ = nullptr;
  }
  return result;
}

void TCustomComboBox::SubclassEdit() {
  editHandle_ = nullptr;
  defEditProc_ = nullptr;
  if (style_ != csDropDown && style_ != csSimple) return;
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (!GetComboBoxInfo(handle_, &info) || !info.hwndItem) return;
  defEditProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(info.hwndItem, GWLP_WNDPROC));
  SetPropW(info.hwndItem, EditProcProp(), reinterpret_cast<HANDLE>(defEditProc_));
  editHandle_ = info.hwndItem;
  SetWindowLongPtrW(info.hwndItem, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboEditWndProc));
}

void TCustomComboBox::EditWndProc(TMessage& Message) { ComboWndProc(Message, editHandle_, defEditProc_); }

void TCustomComboBox::ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      // The focus in the edit part is the combo's focus.
      TCustomForm* form = GetParentForm(this);
      if (form && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (controlState_.Contains(csFocusing)) return;
      break;
    case CN_KEYDOWN:
    case CN_CHAR:
    case CN_SYSKEYDOWN:
    case CN_SYSCHAR:
      WndProc(Message);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(Message)) return;
      break;
    case WM_CHAR:
      if (DoKeyPress(Message)) return;
      if ((Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) && DroppedDown()) {
        SetDroppedDown(false);
        return;
      }
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(Message)) return;
      break;
    case WM_GETDLGCODE:
      // The open list takes Enter, Escape and the arrows.
      if (DroppedDown()) {
        Message.Result = DLGC_WANTALLKEYS;
        return;
      }
      break;
    default: break;
  }
  if (!ComboProc) return;
  Message.Result = CallWindowProcW(ComboProc, ComboWnd, Message.Msg, Message.WParam, Message.LParam);
  if (Message.Msg == WM_LBUTTONDBLCLK && controlStyle_.Contains(csDoubleClicks)) DblClick();
}

void TCustomComboBox::KeyPress(char& Key) {
  TWinControl::KeyPress(Key);
  if (!autoDropDown_ || Key == 0) return;
  switch (Key) {
    case VK_ESCAPE:
    case VK_BACK: break;
    case VK_TAB:
      if (DroppedDown()) SetDroppedDown(false);
      break;
    default:
      if (!DroppedDown()) SetDroppedDown(true);
      break;
  }
}

void TCustomComboBox::SetCharCase(TEditCharCase Value) {
  if (charCase_ == Value) return;
  charCase_ = Value;
  if (handle_) RecreateWnd();
}

Integer TCustomComboBox::SelStart() {
  DWORD start = 0, end = 0;
  ::SendMessageW(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<Integer>(start);
}

void TCustomComboBox::SetSelStart(Integer Value) {
  ::SendMessageW(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(Value, Value));
}

Integer TCustomComboBox::SelLength() {
  DWORD start = 0, end = 0;
  ::SendMessageW(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<Integer>(end) - static_cast<Integer>(start);
}

void TCustomComboBox::SetSelLength(Integer Value) {
  DWORD start = 0, end = 0;
  ::SendMessageW(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const Integer from = static_cast<Integer>(start);
  ::SendMessageW(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(from, from + Value));
}

std::string TCustomComboBox::SelText() {
  if (style_ != csDropDown && style_ != csSimple) return std::string();
  std::wstring w = Utf8ToWide(Text());
  const size_t start = std::min<size_t>(static_cast<size_t>(std::max<Integer>(SelStart(), 0)), w.size());
  return WideToUtf8(w.substr(start, static_cast<size_t>(std::max<Integer>(SelLength(), 0))));
}

void TCustomComboBox::SetSelText(const std::string& Value) {
  if (style_ != csDropDown && style_ != csSimple) return;
  HandleNeeded();
  std::wstring w = Utf8ToWide(Value);
  if (HWND edit = EditHandle()) ::SendMessageW(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

Integer TCustomComboBox::ItemIndex() {
  if (!ListWindow()) return savedIndex_;
  return static_cast<Integer>(::SendMessageW(handle_, CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(Integer Value) {
  if (!ListWindow()) {
    savedIndex_ = Value;
    text_ = Value >= 0 && Value < saved_->Count() ? saved_->Strings(Value) : std::string();
    return;
  }
  if (ItemIndex() == Value) return;
  ::SendMessageW(handle_, CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TCustomComboBox::SetTextBuf(const std::string& Value) {
  if (handle_ && style_ != csDropDown && style_ != csSimple) {
    // A list-only combo shows an item or nothing.
    SetItemIndex(items_->IndexOf(Value));
    Perform(CM_TEXTCHANGED, 0, 0);
    return;
  }
  TWinControl::SetTextBuf(Value);
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomComboBox::SetDropDownCount(Integer Value) {
  if (dropDownCount_ == Value) return;
  dropDownCount_ = Value;
  if (handle_) RecreateWnd();
}

Integer TCustomComboBox::ItemHeight() {
  if (handle_ && (style_ == csDropDown || style_ == csSimple || style_ == csDropDownList))
    return static_cast<Integer>(::SendMessageW(handle_, CB_GETITEMHEIGHT, 0, 0));
  return itemHeight_;
}

void TCustomComboBox::SetItemHeight(Integer Value) {
  if (Value <= 0 || itemHeight_ == Value) return;
  itemHeight_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomComboBox::SetMaxLength(Integer Value) {
  maxLength_ = std::max<Integer>(Value, 0);
  if (handle_) ::SendMessageW(handle_, CB_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TCustomComboBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  if (handle_) RecreateWnd();
}

bool TCustomComboBox::DroppedDown() {
  return handle_ && ::SendMessageW(handle_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool Value) { ::SendMessageW(Handle(), CB_SHOWDROPDOWN, Value ? 1 : 0, 0); }

void TCustomComboBox::Clear() {
  SetText("");
  items_->Clear();
}

void TCustomComboBox::Change() { OnChange(this); }
void TCustomComboBox::Select() {
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}
void TCustomComboBox::DropDown() { OnDropDown(this); }
void TCustomComboBox::CloseUp() { OnCloseUp(this); }

void TCustomComboBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem)
    OnDrawItem(this, Index, Rect, State);
  else
    DrawPlainItem(canvas_.get(), items_.get(), Index, Rect);
}

void TCustomComboBox::MeasureItem(Integer Index, Integer& Height) { OnMeasureItem(this, Index, Height); }

void TCustomComboBox::CNDrawItem(TMessage& Message) {
  PaintOwnerDrawRow(canvas_.get(), reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam), Font(), Brush(),
                    [this](Integer Index, const TRect& R, TOwnerDrawState State) { DrawItem(Index, R, State); });
  Message.Result = 1;
}

void TCustomComboBox::CNMeasureItem(TMessage& Message) {
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  Integer h = itemHeight_;
  if (style_ == csOwnerDrawVariable) MeasureItem(static_cast<Integer>(mis->itemID), h);
  mis->itemHeight = static_cast<UINT>(h);
  Message.Result = 1;
}

void TCustomComboBox::CNCommand(TMessage& Message) {
  switch (HIWORD(Message.WParam)) {
    case CBN_EDITCHANGE: Change(); break;
    case CBN_SELCHANGE:
      // The edit shows the chosen item before OnChange runs.
      if (Integer i = ItemIndex(); i >= 0 && (style_ == csDropDown || style_ == csSimple))
        SetWindowTextW(handle_, Utf8ToWide(items_->Strings(i)).c_str());
      Click();
      Select();
      break;
    case CBN_DROPDOWN: DropDown(); break;
    case CBN_CLOSEUP: CloseUp(); break;
    default: break;
  }
}

void TCustomComboBox::Dispatch(TMessage& Message) {
  // The edit part and the dropped list (windows of the combo, not controls of
  // ours) show the control's Color and Font.
  if (Message.Msg >= WM_CTLCOLORMSGBOX && Message.Msg <= WM_CTLCOLORSTATIC &&
      !FindControl(reinterpret_cast<HWND>(Message.LParam))) {
    CNCtlColor(Message);
    return;
  }
  switch (Message.Msg) {
    case CN_COMMAND: CNCommand(Message); break;
    case CN_DRAWITEM: CNDrawItem(Message); break;
    case CN_MEASUREITEM: CNMeasureItem(Message); break;
    case CM_CANCELMODE:
      // Another control takes the mouse: an open list closes.
      if (reinterpret_cast<TControl*>(Message.LParam) != this && handle_)
        ::SendMessageW(handle_, CB_SHOWDROPDOWN, FALSE, 0);
      TWinControl::Dispatch(Message);
      break;
    default: TWinControl::Dispatch(Message); break;
  }
}
