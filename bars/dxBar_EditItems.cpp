// Edit and combo items: the text with its events, the edit settings, the
// combo's drop-down window (placement, opening, closing) and the custom
// combo's own list of strings with the drop-down list window that shows it.
#include <algorithm>
#include <cctype>

#include "bars/dxBar.h"
#include "platform/FormReader.h"
#include "platform/TypInfo.h"

namespace {
std::string ComboUpperText(std::string S) {
  for (char& c : S) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return S;
}

// The combo view of the item's active link, or none.
TCustomdxBarComboControl* ActiveComboViewOf(const TdxBarItem* Item) {
  TdxBarItemLink* l = Item->ActiveLink();
  return l ? dynamic_cast<TCustomdxBarComboControl*>(l->Control()) : nullptr;
}

// Height of a text in a font, measured on a screen DC.
TSize ComboTextSize(HFONT Font, const std::string& Text) {
  std::wstring w = Utf8ToWide(Text);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font ? Font : GetStockObject(DEFAULT_GUI_FONT));
  SIZE sz{};
  GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &sz);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return TSize{sz.cx, sz.cy};
}
}  // namespace

// --- TdxBarWindowItem -----------------------------------------------------------------------
void TdxBarWindowItem::WriteText(const std::string& Value) {
  if (text_ == Value) return;
  text_ = Value;
  RepaintLinks();
  DoChange();
  RepaintLinks();
}

void TdxBarWindowItem::DoChange() {
  if (!IsLoading()) OnChange(this);
}

void TdxBarWindowItem::DoCurChange() { OnCurChange(this); }

TdxBarItemLink* TdxBarWindowItem::EditingLink() const {
  TdxBarItemLink* l = ActiveLink();
  auto* v = l ? dynamic_cast<TdxBarWinControl*>(l->Control()) : nullptr;
  return v && v->Editing ? l : nullptr;
}

TdxBarWinControl* TdxBarWindowItem::EditingView() const {
  TdxBarItemLink* l = EditingLink();
  return l ? static_cast<TdxBarWinControl*>(l->Control()) : nullptr;
}

std::string TdxBarWindowItem::CurrentText() const {
  TdxBarWinControl* v = EditingView();
  return v ? v->GetEditText() : text_;
}

// --- TdxBarEdit -------------------------------------------------------------------------------
void TdxBarEdit::SetShowCaption(bool V) {
  if (showCaption_ == V) return;
  showCaption_ = V;
  if (!IsLoading()) RelayoutLinks();
}

void TdxBarEdit::SetWidth(Integer V) {
  ClampItemWidth(V);
  if (width_ == V) return;
  width_ = V;
  if (!IsLoading()) WidthChanged();
}

void TdxBarEdit::WidthChanged() {
  for (Integer i = 0; i < LinkCount(); ++i) {
    TdxBarItemLink* l = Links(i);
    if (l->UserDefine().Contains(udWidth)) continue;
    if (auto* v = dynamic_cast<TdxBarEditControl*>(l->Control())) v->WidthChanged();
  }
}

bool TdxBarEdit::IsDroppedDown() const {
  TCustomdxBarComboControl* v = ActiveComboViewOf(this);
  return v && v->DroppedDown;
}

bool TdxBarEdit::AcceleratorUsable(TdxBarItemLink* Link) const {
  if (!ReadEnabled()) return false;
  bool onToolbar = Link && Link->Links() && Link->Links()->IsInToolbar();
  return !onToolbar || showCaption_;
}

void TdxBarEdit::DrawInterior(TCanvas* Canvas, const TRect& R, TdxBarItemControl* View) {
  HDC dc = Canvas->Handle();
  FillRect(dc, R.AsRECT(), Canvas->Brush()->Handle());
  TRect r = Rect(R.Left + 2, R.Top, R.Right - 2, R.Bottom);
  if (View && View->IsFlat()) r.Top += 2;
  std::string text = View && EditingView() == View ? CurrentText() : Text();
  std::wstring w = Utf8ToWide(text);
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), r.AsRECT(), DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
  SetBkMode(dc, OPAQUE);
}

// --- TCustomdxBarCombo ------------------------------------------------------------------------
void TCustomdxBarCombo::SetShowEditor(bool V) {
  if (!noEditor_ == V) return;
  noEditor_ = !V;
  if (!IsLoading()) RepaintLinks();
}

bool TCustomdxBarCombo::CheckKeyForDropDownWindow(Word Key, TShiftState Shift) {
  bool accept = Key != VK_TAB && Key != VK_RETURN && Key != VK_ESCAPE;
  OnCheckKeyForDropDownWindow(this, Key, Shift, accept);
  return accept;
}

HWND TCustomdxBarCombo::GetDropDownWindow() {
  HWND w = nullptr;
  OnGetDropDownWindow(this, w);
  return w;
}

void TCustomdxBarCombo::PrepareDropDownWindow(HWND) {}

TPoint TCustomdxBarCombo::FitDropDownToScreen(const TRect& WorkArea, TPoint P, Integer W, Integer H, Integer ItemW,
                                              Integer ItemH, bool Sideways) {
  Integer x = P.X, y = P.Y;
  if (Sideways) {
    if (x + W > WorkArea.Right && WorkArea.Right - x < x - ItemW - WorkArea.Left) x = x - W - ItemW;
    if (y + H > WorkArea.Bottom) y = WorkArea.Bottom - H;
  } else {
    if (x + W > WorkArea.Right) x = WorkArea.Right - W;
    if (y + H > WorkArea.Bottom && WorkArea.Bottom - y < y - ItemH - WorkArea.Top) y = y - ItemH - H;
  }
  // Kept inside the work area's left and top edges, also on a monitor at
  // negative coordinates.
  return Point(std::max<Integer>(x, WorkArea.Left), std::max<Integer>(y, WorkArea.Top));
}

void TCustomdxBarCombo::DoDropDown(Integer X, Integer Y) {
  OnDropDown(this);
  HWND w = GetDropDownWindow();
  if (!w) return;
  PrepareDropDownWindow(w);
  RECT wr;
  GetWindowRect(w, &wr);
  TdxBarItemLink* l = ActiveLink();
  Integer iw = l ? l->ItemRect.Width() : 0, ih = l ? l->ItemRect.Height() : 0;
  TCustomdxBarControl* bar = l && l->Control() ? l->Control()->Window() : nullptr;
  bool sideways = bar && (bar->IsMenuWindow() || IsVerticalToolbar(bar));
  TPoint p = FitDropDownToScreen(GetWorkAreaAt(POINT{X, Y}), Point(X, Y), wr.right - wr.left, wr.bottom - wr.top, iw,
                                 ih, sideways);
  SetWindowPos(w, nullptr, p.X, p.Y, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
  SetWindowPos(w, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  AfterDropDown();
}

void TCustomdxBarCombo::DoCloseUp() {
  if (HWND w = GetDropDownWindow()) ShowWindow(w, SW_HIDE);
  OnCloseUp(this);
}

// --- TdxBarCustomCombo ------------------------------------------------------------------------
TdxBarCustomCombo::TdxBarCustomCombo(TComponent* AOwner)
    : TCustomdxBarCombo(AOwner), items_(std::make_unique<TStringList>()) {
  items_->OnChange = TNotifyEvent(this, &TdxBarCustomCombo::ItemsChanged);
  list_ = std::make_unique<TdxBarDropDownListBox>(this);
}

TdxBarCustomCombo::~TdxBarCustomCombo() {
  items_->OnChange = nullptr;
  // The list goes before the strings it may still report changes of.
  list_.reset();
}

void TdxBarCustomCombo::ItemsChanged(TObject*) {
  if (itemIndex_ >= items_->Count())
    WriteItemIndex(-1);
  else
    RepaintLinks();
}

void TdxBarCustomCombo::SetSorted(bool V) {
  if (sorted_ == V) return;
  sorted_ = V;
  items_->SetSorted(V);
  itemIndex_ = items_->IndexOf(text_);
}

void TdxBarCustomCombo::WriteText(const std::string& Value) {
  bool current = itemIndex_ >= 0 && itemIndex_ < items_->Count() && items_->Strings(itemIndex_) == Value;
  if (!current) itemIndex_ = items_->IndexOf(Value);
  TCustomdxBarCombo::WriteText(Value);
}

void TdxBarCustomCombo::WriteItemIndex(Integer Value) {
  if (Value == itemIndex_) return;
  if (Value < 0 || Value >= items_->Count()) Value = -1;
  itemIndex_ = Value;
  std::string text = Value >= 0 ? items_->Strings(Value) : std::string();
  if (text != text_) {
    TdxBarWindowItem::WriteText(text);
  } else {
    RepaintLinks();
    DoChange();
    RepaintLinks();
  }
}

TCanvas* TdxBarCustomCombo::Canvas() { return drawCanvas_ ? drawCanvas_ : list_->Canvas(); }

void TdxBarCustomCombo::MeasureItem(Integer Index, Integer& Height) {
  if (itemHeight_ > 0) {
    Height = itemHeight_;
  } else {
    HFONT font = list_->HandleAllocated() ? list_->Font()->Handle() : (manager_ ? manager_->BarFontHandle() : nullptr);
    Height = ComboTextSize(font, "Qq").cy;
  }
  OnMeasureItem(this, Index, Height);
}

void TdxBarCustomCombo::MeasureItemWidth(Integer Index, Integer& Width) {
  HFONT font = list_->HandleAllocated() ? list_->Font()->Handle() : (manager_ ? manager_->BarFontHandle() : nullptr);
  Width = ComboTextSize(font, items_->Strings(Index)).cx + 2;
}

Integer TdxBarCustomCombo::DropDownPixelWidth() {
  bool scrolls = items_->Count() > dropDownCount_;
  Integer bar = scrolls ? GetSystemMetrics(SM_CXVSCROLL) : 0;
  if (dropDownWidth_ >= 1) return dropDownWidth_ + 4 + bar;
  Integer w = dropDownWidth_;
  if (TCustomdxBarComboControl* v = ActiveComboViewOf(this))
    w = v->Link()->ItemRect.Width() - (v->Window() ? v->Window()->SmallButtonWidth() : 0) - 4;
  w -= bar;
  for (Integer i = 0; i < items_->Count(); ++i) {
    Integer iw = 0;
    MeasureItemWidth(i, iw);
    w = std::max(w, iw);
  }
  return w + 4 + bar;
}

void TdxBarCustomCombo::DrawItem(Integer Index, const TRect& R, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, R, State);
  } else {
    TCanvas* c = Canvas();
    HDC dc = c->Handle();
    FillRect(dc, R.AsRECT(), c->Brush()->Handle());
    std::string text = Index < 0 ? text_ : Index < items_->Count() ? items_->Strings(Index) : std::string();
    std::wstring w = Utf8ToWide(text);
    // In the list the row takes the list's font; in a view the view's font is selected already.
    HGDIOBJ oldFont = DrawingInView ? nullptr : SelectObject(dc, list_->Font()->Handle());
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(c->Font()->Color())));
    SetBkMode(dc, TRANSPARENT);
    Integer top = R.Top + (DrawingInView && manager_ && manager_->IsFlat() ? 2 : 0);
    TextOutW(dc, R.Left + 2, top, w.c_str(), static_cast<int>(w.size()));
    SetBkMode(dc, OPAQUE);
    if (oldFont) SelectObject(dc, oldFont);
  }
  if (State.Contains(odFocused)) DrawFocusRect(Canvas()->Handle(), R.AsRECT());
}

void TdxBarCustomCombo::DrawInterior(TCanvas* Canvas, const TRect& R, TdxBarItemControl* View) {
  auto* v = dynamic_cast<TdxBarComboControl*>(View);
  Integer index = v && EditingView() == View ? v->ShownIndex : itemIndex_;
  TCanvas* saved = drawCanvas_;
  drawCanvas_ = Canvas;
  DrawingInView = true;
  try {
    DrawItem(index, R, TOwnerDrawState{});
  } catch (...) {
    DrawingInView = false;
    drawCanvas_ = saved;
    throw;
  }
  DrawingInView = false;
  drawCanvas_ = saved;
}

Integer TdxBarCustomCombo::FindByPrefix(const std::string& Text) const {
  if (Text.empty()) return -1;
  std::string t = ComboUpperText(Text);
  Integer best = -1;
  size_t bestLen = 0;
  for (Integer i = 0; i < items_->Count(); ++i) {
    std::string s = ComboUpperText(items_->Strings(i));
    size_t n = 0;
    while (n < s.size() && n < t.size() && s[n] == t[n]) ++n;
    if (n == t.size()) return i;
    if (n > bestLen) {
      bestLen = n;
      best = i;
    }
  }
  return best;
}

void TdxBarCustomCombo::SyncListWithText() {
  auto* v = dynamic_cast<TdxBarComboControl*>(ActiveComboViewOf(this));
  if (!v) return;
  std::string text = v->GetEditText();
  Integer i = v->ShownIndex;
  if (i < 0 || i >= items_->Count() || items_->Strings(i) != text) i = FindByPrefix(text);
  v->ShownIndex = i;
  if (!v->DroppedDown || !list_->HandleAllocated()) return;
  if (i >= 0 && ComboUpperText(items_->Strings(i)) == ComboUpperText(text)) {
    list_->SetItemIndex(i);
  } else {
    list_->SetItemIndex(-1);
    if (i >= 0) list_->SetTopIndex(i);
  }
}

void TdxBarCustomCombo::DoCurChange() {
  TCustomdxBarCombo::DoCurChange();
  SyncListWithText();
}

bool TdxBarCustomCombo::CheckKeyForDropDownWindow(Word Key, TShiftState Shift) {
  bool plain = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
  return plain && (Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT);
}

HWND TdxBarCustomCombo::GetDropDownWindow() {
  HWND w = TCustomdxBarCombo::GetDropDownWindow();
  if (w) return w;
  list_->HandleNeeded();
  return list_->Handle();
}

void TdxBarCustomCombo::PrepareDropDownWindow(HWND Window) {
  if (Window != (list_->HandleAllocated() ? list_->Handle() : nullptr)) return;
  TdxBarItemLink* l = ActiveLink();
  TCustomdxBarControl* bar = l && l->Control() ? l->Control()->Window() : nullptr;
  HFONT font = bar ? bar->FontHandle() : (manager_ ? manager_->BarFontHandle() : nullptr);
  if (font) list_->Font()->SetHandle(font);
  list_->Font()->SetColor(clWindowText);
  SendMessageW(Window, WM_SETFONT, reinterpret_cast<WPARAM>(list_->Font()->Handle()), 0);
  list_->Items()->Assign(items_.get());
  Integer rows = std::min(items_->Count(), dropDownCount_);
  Integer height = 4;
  for (Integer i = 0; i < items_->Count(); ++i) {
    Integer h = 0;
    MeasureItem(i, h);
    SendMessageW(Window, LB_SETITEMHEIGHT, static_cast<WPARAM>(i), MAKELPARAM(std::clamp<Integer>(h, 1, 255), 0));
    if (i < rows) height += h;
  }
  SetWindowPos(Window, nullptr, 0, 0, DropDownPixelWidth(), height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TdxBarCustomCombo::DoDropDown(Integer X, Integer Y) {
  TCustomForm* form = manager_ ? manager_->OwnerForm() : nullptr;
  if (form && form->HandleAllocated() && !list_->HandleAllocated()) list_->SetParentWindow(form->Handle());
  TCustomdxBarCombo::DoDropDown(X, Y);
  SyncListWithText();
}

void TdxBarCustomCombo::AfterDropDown() {
  if (!list_->HandleAllocated() || !IsWindowVisible(list_->Handle())) return;
  if (LogicalLeftButtonDown()) {
    SetCapture(list_->Handle());
    list_->Tracking = true;
  } else {
    list_->Tracking = false;
  }
}

void TdxBarCustomCombo::DoCloseUp() {
  if (list_->HandleAllocated() && GetCapture() == list_->Handle()) ReleaseCapture();
  list_->Tracking = false;
  TCustomdxBarCombo::DoCloseUp();
}

// --- TdxBarDropDownListBox ----------------------------------------------------------------------
TdxBarDropDownListBox::TdxBarDropDownListBox(TdxBarCustomCombo* Combo) : TCustomListBox(nullptr), combo_(Combo) {
  SetStyle(lbOwnerDrawVariable);
  SetBorderStyle(bsNone);
  SetVisible(false);
}

void TdxBarDropDownListBox::CreateParams(TCreateParams& Params) {
  TCustomListBox::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPSIBLINGS | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOTIFY | LBS_OWNERDRAWVARIABLE |
                 LBS_NOINTEGRALHEIGHT;
  Params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  Params.WindowClass.style |= CS_SAVEBITS;
}

void TdxBarDropDownListBox::CreateWnd() {
  TCustomListBox::CreateWnd();
  // Drawn as focused without taking the focus from the edit.
  SendMessageW(Handle(), WM_SETFOCUS, 0, 0);
}

void TdxBarDropDownListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  // The list draws the focus rectangle itself.
  State.Exclude(odFocused);
  combo_->DrawItem(Index, Rect, State);
}

void TdxBarDropDownListBox::MeasureItem(Integer Index, Integer& Height) { combo_->MeasureItem(Index, Height); }

void TdxBarDropDownListBox::TakeSelection() {
  Integer sel = ItemIndex();
  TdxBarItemLink* l = combo_->ActiveLink();
  if (l) l->OwnerLink()->CountUse(true);
  if (TdxBarManager* m = combo_->BarManager()) m->CloseActiveMenus();
  if (sel >= 0) combo_->WriteItemIndex(sel);
}

void TdxBarDropDownListBox::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_NCCALCSIZE: {
      TCustomListBox::WndProc(M);
      RECT* r = M.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam)->rgrc[0] : reinterpret_cast<RECT*>(M.LParam);
      InflateRect(r, -2, -2);
      return;
    }
    case WM_NCPAINT: {
      TCustomListBox::WndProc(M);
      RECT wr;
      GetWindowRect(Handle(), &wr);
      RECT r{0, 0, wr.right - wr.left, wr.bottom - wr.top};
      HDC dc = GetWindowDC(Handle());
      if (combo_->BarManager() && combo_->BarManager()->IsFlat()) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
        InflateRect(&r, -1, -1);
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
      } else {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
      }
      ReleaseDC(Handle(), dc);
      return;
    }
    case WM_ERASEBKGND:
      M.Result = 1;
      return;
    case WM_MOUSEMOVE: {
      TPoint p = MessagePoint(M.LParam);
      RECT cr;
      ::GetClientRect(Handle(), &cr);
      bool inside = p.X >= cr.left && p.X < cr.right && p.Y >= cr.top && p.Y < cr.bottom;
      if (Tracking && inside) {
        // The press that opened the list becomes the list's own click.
        Tracking = false;
        ReleaseCapture();
        TCustomListBox::WndProc(M);
        SendMessageW(Handle(), WM_LBUTTONDOWN, MK_LBUTTON, M.LParam);
        return;
      }
      TCustomListBox::WndProc(M);
      if (inside) {
        Integer i = ItemAtPos(p, true);
        if (i >= 0 && i != ItemIndex()) SetItemIndex(i);
      }
      return;
    }
    case WM_LBUTTONUP:
      if (Tracking) {
        Tracking = false;
        ReleaseCapture();
        return;
      }
      TCustomListBox::WndProc(M);
      TakeSelection();
      return;
    case WM_KEYDOWN:
      if (ItemIndex() < 0 && Items()->Count() > 0) SetItemIndex(TopIndex());
      break;
    case WM_CAPTURECHANGED:
      Tracking = false;
      break;
    case CN_COMMAND:
      if (HIWORD(M.WParam) == LBN_SELCHANGE)
        if (auto* v = dynamic_cast<TdxBarComboControl*>(ActiveComboViewOf(combo_))) v->ShowEntry(ItemIndex());
      break;
    default:
      break;
  }
  TCustomListBox::WndProc(M);
}

// --- Published properties -----------------------------------------------------------------------
void dxBarRegisterEditClasses() {
  using W = TdxBarWindowItem;
  RegisterClassInfo<W, TdxBarItem>("TdxBarWindowItem")
      .Str("Text", &W::Text, &W::SetText)
      .Event("OnChange", [](W* i) -> TNotifyEvent& { return i->OnChange; })
      .Event("OnCurChange", [](W* i) -> TNotifyEvent& { return i->OnCurChange; })
      .Event("OnEnter", [](W* i) -> TNotifyEvent& { return i->OnEnter; })
      .Event("OnExit", [](W* i) -> TNotifyEvent& { return i->OnExit; })
      .Event("OnKeyDown", [](W* i) -> TKeyEvent& { return i->OnKeyDown; })
      .Event("OnKeyPress", [](W* i) -> TKeyPressEvent& { return i->OnKeyPress; })
      .Event("OnKeyUp", [](W* i) -> TKeyEvent& { return i->OnKeyUp; });
  using E = TdxBarEdit;
  RegisterClassInfo<E, TdxBarWindowItem>("TdxBarEdit")
      .Object("Glyph", &E::Glyph, &E::SetGlyph)
      .Int("ImageIndex", &E::ImageIndex, &E::SetImageIndex, -1)
      .Stored([](E* e) { return e->IsImageIndexStored(); })
      .Int("MaxLength", &E::MaxLength, &E::SetMaxLength, 0)
      .Bool("ReadOnly", &E::ReadOnly, &E::SetReadOnly, false)
      .Bool("ShowCaption", &E::ShowCaption, &E::SetShowCaption, false)
      .Int("Width", &E::Width, &E::SetWidth, 100)
      .Event("OnClick", [](E* e) -> TNotifyEvent& { return e->OnClick; })
      .Stored([](E* e) { return e->IsOnClickStored(); });
  using C = TCustomdxBarCombo;
  RegisterClassInfo<C, TdxBarEdit>("TCustomdxBarCombo")
      .Bool("ShowEditor", &C::ShowEditor, &C::SetShowEditor, true)
      .Event("OnCheckKeyForDropDownWindow",
             [](C* c) -> TdxBarCheckKeyForDropDownWindowEvent& { return c->OnCheckKeyForDropDownWindow; })
      .Event("OnCloseUp", [](C* c) -> TNotifyEvent& { return c->OnCloseUp; })
      .Event("OnDropDown", [](C* c) -> TNotifyEvent& { return c->OnDropDown; })
      .Event("OnGetDropDownWindow", [](C* c) -> TdxBarGetDropDownWindowEvent& { return c->OnGetDropDownWindow; });
  using CC = TdxBarCustomCombo;
  RegisterClassInfo<CC, TCustomdxBarCombo>("TdxBarCustomCombo")
      .Int("DropDownCount", &CC::DropDownCount, &CC::SetDropDownCount, 8)
      .Int("DropDownWidth", &CC::DropDownWidth, &CC::SetDropDownWidth, 0)
      .Event("OnDrawItem", [](CC* c) -> TdxBarDrawItemEvent& { return c->OnDrawItem; })
      .Event("OnMeasureItem", [](CC* c) -> TdxBarMeasureItemEvent& { return c->OnMeasureItem; });
  using Cb = TdxBarCombo;
  RegisterClassInfo<Cb, TdxBarCustomCombo>("TdxBarCombo")
      .Int("ItemHeight", &Cb::ItemHeight, &Cb::SetItemHeight, 0)
      .Object("Items", &Cb::Items, &Cb::SetItems)
      .Bool("Sorted", &Cb::Sorted, &Cb::SetSorted, false)
      .Int("ItemIndex", &Cb::ItemIndex, &Cb::SetItemIndex, -1);
}
