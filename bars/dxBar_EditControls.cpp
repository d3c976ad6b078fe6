// Views of edit and combo items: the caption part, the frame and the text;
// the in-place EDIT window shown over the text area while editing, whose
// messages the view sees first (keys, focus, the item's events); the combo's
// drop-down button and browsing its list with the arrow keys.
#include <algorithm>

#include "bars/dxBar.h"

namespace {
const wchar_t* const kEditViewProp = L"dxBarEditView";
// The combo view whose drop-down window is open, and that window.
TCustomdxBarComboControl* openComboView = nullptr;
HWND openDropDownWindow = nullptr;

LRESULT CALLBACK EditViewWndProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  auto* view = static_cast<TdxBarWinControl*>(GetPropW(Wnd, kEditViewProp));
  if (!view) return DefWindowProcW(Wnd, Msg, W, L);
  TMessage m;
  m.Msg = Msg;
  m.WParam = W;
  m.LParam = L;
  try {
    view->EditWndProc(m);
  } catch (...) {
    if (Application) Application->HandleException(nullptr);
  }
  return m.Result;
}

Integer EditCaptionTextWidth(TCustomdxBarControl* W, const std::string& Text) {
  return BarTextWidth(W, StripAccelerators(Text));
}

TColor EditBrushColor(HBRUSH B) {
  LOGBRUSH lb{};
  GetObjectW(B, sizeof(lb), &lb);
  return static_cast<TColor>(lb.lbColor);
}

bool EscapeHeldAlone() {
  return GetKeyState(VK_ESCAPE) < 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
}

bool EditViewPtIn(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

// A mouse message's point in the bar window's coordinates.
TPoint EditPointToBar(HWND Edit, HWND Bar, LPARAM L) {
  POINT p{static_cast<short>(LOWORD(L)), static_cast<short>(HIWORD(L))};
  MapWindowPoints(Edit, Bar, &p, 1);
  return Point(p.x, p.y);
}
}  // namespace

// --- Services for the bar windows -----------------------------------------------------------
bool IsEditingView(const TdxBarItemControl* View) {
  auto* v = dynamic_cast<const TdxBarWinControl*>(View);
  return v && v->Editing;
}

bool PointInEditRect(const TdxBarItemControl* View, TPoint P) {
  auto* v = dynamic_cast<const TdxBarWinControl*>(View);
  return v && EditViewPtIn(v->EditRect, P);
}

bool ForwardMouseToEditWindow(TdxBarItemControl* View, UINT Msg, WPARAM Keys, TPoint P, bool OnlyOutsideEditRect) {
  auto* v = dynamic_cast<TdxBarWinControl*>(View);
  if (!v || !v->EditWindow || !v->Window() || !v->Window()->HandleAllocated()) return false;
  if (OnlyOutsideEditRect && EditViewPtIn(v->EditRect, P)) return false;
  POINT p{P.X, P.Y};
  MapWindowPoints(v->Window()->Handle(), v->EditWindow, &p, 1);
  SendMessageW(v->EditWindow, Msg, Keys, MAKELPARAM(static_cast<short>(p.x), static_cast<short>(p.y)));
  return true;
}

bool IsOpenDropDownWindow(HWND Wnd) {
  return openComboView && openDropDownWindow && Wnd && (Wnd == openDropDownWindow || IsChild(openDropDownWindow, Wnd));
}

// --- TdxBarWinControl -------------------------------------------------------------------------
TdxBarWinControl::TdxBarWinControl(TdxBarItemLink* Link) : TdxBarItemControl(Link) { HasEditWindow = true; }

TdxBarWinControl::~TdxBarWinControl() { ReleaseEditWindow(); }

void TdxBarWinControl::SubclassEditWindow() {
  if (!EditWindow) return;
  SetPropW(EditWindow, kEditViewProp, this);
  OldWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(EditWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditViewWndProc)));
}

void TdxBarWinControl::ReleaseEditWindow() {
  if (!EditWindow) return;
  SetEditing(false);
  HWND edit = EditWindow;
  if (!edit) return;  // the editor went while editing ended
  if (OldWndProc) SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OldWndProc));
  RemovePropW(edit, kEditViewProp);
  OldWndProc = nullptr;
  EditWindow = nullptr;
  DestroyWindow(edit);
}

std::string TdxBarWinControl::GetEditText() const {
  if (!EditWindow) return std::string();
  // The whole text: an editor without a length limit holds more than any fixed buffer.
  LRESULT len = SendMessageW(EditWindow, WM_GETTEXTLENGTH, 0, 0);
  if (len <= 0) return std::string();
  std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
  LRESULT n = SendMessageW(EditWindow, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
  buf.resize(static_cast<size_t>(std::max<LRESULT>(n, 0)));
  return WideToUtf8(buf);
}

void TdxBarWinControl::SetEditText(const std::string& Text) {
  if (!EditWindow) return;
  SetWindowTextW(EditWindow, Utf8ToWide(Text).c_str());
  if (WindowItem() && WindowItem()->NoEditor()) RedrawView();
}

void TdxBarWinControl::SetEditing(bool On) { Editing = On && EditWindow; }

void TdxBarWinControl::DefaultEditHandler(TMessage& M) {
  HWND edit = EditWindow;
  M.Result = edit && OldWndProc ? CallWindowProcW(OldWndProc, edit, M.Msg, M.WParam, M.LParam)
                                : DefWindowProcW(edit, M.Msg, M.WParam, M.LParam);
}

void TdxBarWinControl::RemovePendingChars() {
  if (!EditWindow) return;
  MSG m;
  while (PeekMessageW(&m, EditWindow, WM_CHAR, WM_CHAR, PM_REMOVE)) {
  }
}

void TdxBarWinControl::EnabledChanged() {
  if (Editing && !ItemEnabled()) SetEditing(false);
  TdxBarItemControl::EnabledChanged();
}

bool TdxBarWinControl::ClickRunsItem() const { return RotatesWindowItems(window_); }

void TdxBarWinControl::LeaveActive(bool ByMouse) {
  TdxBarItemControl::LeaveActive(ByMouse);
  SetEditing(false);
}

void TdxBarWinControl::PrepareClick(bool ByMouse) {
  SetEditing(true);
  TdxBarItemControl::PrepareClick(ByMouse);
}

void TdxBarWinControl::EditWndProc(TMessage& M) {
  TdxBarWindowItem* item = WindowItem();
  TCustomdxBarControl* w = window_;
  HWND edit = EditWindow;
  TdxBarWinControl* self = this;
  // Handlers may free the view (its links changed) or the bar window.
  auto alive = [w, self] { return IsLiveBarControl(w) && w->OwnsItemControl(self); };
  switch (M.Msg) {
    case WM_SETFOCUS:
      if (item) item->DoEnter();
      if (alive()) DefaultEditHandler(M);
      return;
    case WM_KILLFOCUS: {
      if (Editing) {
        DefaultEditHandler(M);
        w->CloseChain();
        if (item) item->DoExit();
        return;
      }
      HWND to = reinterpret_cast<HWND>(M.WParam);
      bool sameBar = w->HandleAllocated() && to && (to == w->Handle() || GetParent(to) == w->Handle());
      if (w->IsToolbarWindow() && !sameBar) {
        DefaultEditHandler(M);
        RemovePendingChars();
        w->CloseChain();
        if (item) item->DoExit();
        return;
      }
      DefaultEditHandler(M);
      if (item) item->DoExit();
      return;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      if (item) {
        if (M.Msg == WM_CHAR) {
          char c = static_cast<char>(M.WParam);
          item->DoKeyPress(c);
          if (!alive() || c == 0) return;
          M.WParam = static_cast<unsigned char>(c);
        } else {
          Word k = static_cast<Word>(M.WParam);
          TShiftState s = KeyDataToShiftState(M.LParam);
          if (M.Msg == WM_KEYDOWN)
            item->DoKeyDown(k, s);
          else
            item->DoKeyUp(k, s);
          if (!alive() || k == 0) return;
          M.WParam = k;
        }
      }
      if (M.Msg == WM_KEYDOWN && M.WParam == VK_TAB) {
        RemovePendingChars();
        SendMessageW(w->Handle(), WM_KEYDOWN, VK_TAB, M.LParam);
        return;
      }
      if (M.Msg == WM_KEYDOWN && (M.WParam == VK_RETURN || M.WParam == VK_ESCAPE)) {
        bool escape = M.WParam == VK_ESCAPE;
        w->SelectItem(nullptr);
        if (!IsLiveBarControl(w)) return;
        MSG pending;
        while (edit && IsWindow(edit) && PeekMessageW(&pending, edit, WM_CHAR, WM_CHAR, PM_REMOVE)) {
        }
        if (escape) {
          if (alive()) w->SetSelectedControl(this);
        } else {
          w->CloseChain();
        }
        return;
      }
      DefaultEditHandler(M);
      return;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      if (M.Msg == WM_SYSKEYDOWN) {
        ++SysKeyDepth;
      } else if (SysKeyDepth > 0) {
        --SysKeyDepth;
      } else {
        return;
      }
      if (M.Msg == WM_SYSKEYDOWN && M.WParam == VK_MENU) {
        DefaultEditHandler(M);
        return;
      }
      SysKeyDepth = 0;
      w->CloseChain();
      if (!alive()) return;
      if (M.WParam == VK_F10 && GetKeyState(VK_SHIFT) < 0) return;
      if (CallBarKeyboardHook(M.WParam, M.LParam) == 1) return;
      if (alive() && EditWindow == edit) DefaultEditHandler(M);
      return;
    case WM_RBUTTONDOWN:
      if (w->HandleAllocated()) {
        TPoint p = EditPointToBar(edit, w->Handle(), M.LParam);
        SendMessageW(w->Handle(), WM_RBUTTONDOWN, M.WParam, MAKELPARAM(static_cast<short>(p.X), static_cast<short>(p.Y)));
      }
      return;
    case WM_DESTROY:
      SetEditing(false);
      DefaultEditHandler(M);
      if (OldWndProc) SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OldWndProc));
      RemovePropW(edit, kEditViewProp);
      OldWndProc = nullptr;
      EditWindow = nullptr;
      return;
    default:
      break;
  }
  if (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST && M.Msg != WM_MOUSEWHEEL && w->HandleAllocated()) {
    // The caption part is not the editor's.
    TPoint p = EditPointToBar(edit, w->Handle(), M.LParam);
    if (EditViewPtIn(ViewRect(), p) && !EditViewPtIn(EditRect, p)) return;
  }
  DefaultEditHandler(M);
}

// --- TdxBarEditControl ------------------------------------------------------------------------
TdxBarEditControl::TdxBarEditControl(TdxBarItemLink* Link) : TdxBarWinControl(Link) {
  auto* bar = dynamic_cast<TdxBarControl*>(window_);
  if (!(bar && bar->TwoHandleMode)) CreateEditWindow();
}

TdxBarEditControl::~TdxBarEditControl() { ReleaseEditWindow(); }

void TdxBarEditControl::CreateEditWindow() {
  if (EditWindow || !window_ || !window_->HandleAllocated()) return;
  DWORD style = WS_CHILD | ES_AUTOHSCROLL | (IsFlat() ? ES_MULTILINE : 0);
  EditWindow = CreateWindowExW(WS_EX_LEFT, L"EDIT", L"", style, 0, 0, 100, 100, window_->Handle(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (!EditWindow) return;
  if (TdxBarWindowItem* item = WindowItem()) SetEditText(item->Text());
  if (TdxBarEdit* e = Edit()) SendMessageW(EditWindow, EM_LIMITTEXT, static_cast<WPARAM>(e->MaxLength()), 0);
  SubclassEditWindow();
}

bool TdxBarEditControl::ShowsCaption() const { return IsMenu() || (Edit() && Edit()->ShowCaption()); }

Integer TdxBarEditControl::CaptionWidth() const {
  if (!ShowsCaption()) return 0;
  return EditCaptionTextWidth(window_, GetCaption()) + (IsFlat() ? 11 : 6);
}

Integer TdxBarEditControl::GetHeight() const {
  Integer h = window_ ? window_->MenuRowHeight() : 0;
  if (ShowsCaption() && window_) h = std::max(h, window_->TextRowHeight());
  return h;
}

Integer TdxBarEditControl::GetWidth() const { return CaptionWidth() + (link_ ? link_->EffectiveWidth() : 0); }

bool TdxBarEditControl::IsDrawnSelected() const {
  return TdxBarItemControl::IsDrawnSelected() && !(window_ && window_->InCustomizing());
}

void TdxBarEditControl::SetEditText(const std::string& Text) {
  bool saved = SettingText;
  SettingText = true;
  TdxBarWinControl::SetEditText(Text);
  SettingText = saved;
  if (EditWindow) SendMessageW(EditWindow, EM_SETSEL, 0, -1);
}

void TdxBarEditControl::ShowItemText() {
  if (TdxBarWindowItem* item = WindowItem()) SetEditText(item->Text());
}

void TdxBarEditControl::SetEditing(bool On) {
  if (Editing == On) return;
  TdxBarEdit* e = Edit();
  TdxBarManager* m = BarManager();
  TCustomForm* form = m ? m->OwnerForm() : nullptr;
  if (On) {
    if (!EditWindow) CreateEditWindow();
    if (!EditWindow || !e) return;
    Editing = true;
    SendMessageW(EditWindow, EM_SETREADONLY, e->ReadOnly() || e->NoEditor(), 0);
    // The limit as it is now: it may have changed since the editor was made.
    SendMessageW(EditWindow, EM_LIMITTEXT, static_cast<WPARAM>(e->MaxLength()), 0);
    HWND focus = GetFocus();
    PrevFocus = focus && IsWindowVisible(focus) ? focus : (form && form->HandleAllocated() ? form->Handle() : nullptr);
    SendMessageW(EditWindow, WM_SETFONT, reinterpret_cast<WPARAM>(window_->FontHandle()), 0);
    if (!IsFlat()) SendMessageW(EditWindow, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(2, 2));
    if (!Active) EnterActive(true);
    if (!EditWindow) return;
    if (EditRect.Width() <= 0 || EditRect.Height() <= 0) EditRect = TextAreaRect(ViewRect());
    TRect r = EditRect;
    if (e->NoEditor()) r.Right = r.Left;
    SetWindowPos(EditWindow, nullptr, r.Left, r.Top, r.Width(), r.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (IsFlat()) {
      RECT inner{2, 2, r.Width() - 2, r.Height() - 2};
      SendMessageW(EditWindow, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&inner));
    }
    SettingText = true;
    ShowItemText();
    SettingText = false;
    ::SetFocus(EditWindow);
    return;
  }
  Editing = false;
  if (EditWindow) ShowWindow(EditWindow, SW_HIDE);
  HWND prev = PrevFocus;
  PrevFocus = nullptr;
  if (prev && IsWindow(prev) && IsWindowVisible(prev))
    ::SetFocus(prev);
  else if (form && form->HandleAllocated() && IsWindowVisible(form->Handle()))
    ::SetFocus(form->Handle());
  else if (form && form->HandleAllocated())
    ::SetFocus(GetWindow(form->Handle(), GW_HWNDNEXT));
  if (m && m->AlwaysSaveText() && e && EditWindow && !EscapeHeldAlone()) e->WriteText(GetEditText());
}

void TdxBarEditControl::PrepareClick(bool ByMouse) {
  TdxBarWinControl::PrepareClick(ByMouse);
  if (Editing && EditWindow) SendMessageW(EditWindow, EM_SETSEL, 0, -1);
}

void TdxBarEditControl::EditWndProc(TMessage& M) {
  if (M.Msg == WM_COMMAND && HIWORD(M.WParam) == EN_CHANGE) {
    if (!SettingText)
      if (TdxBarWindowItem* item = WindowItem()) item->DoCurChange();
    return;
  }
  if (M.Msg == WM_KEYDOWN && (M.WParam == VK_RETURN || M.WParam == VK_TAB)) {
    TCustomdxBarControl* w = window_;
    TdxBarWinControl* self = this;
    HWND edit = EditWindow;
    if (M.WParam == VK_RETURN && link_) link_->OwnerLink()->CountUse(true);
    if (TdxBarWindowItem* item = WindowItem()) item->WriteText(GetEditText());
    // A handler that closed the editor ends the key here.
    if (!IsLiveBarControl(w) || !w->OwnsItemControl(self) || !edit || !IsWindow(edit) || !IsWindowVisible(edit))
      return;
  }
  TdxBarWinControl::EditWndProc(M);
}

TRect TdxBarEditControl::InsideCaptionAndFrame(const TRect& R) const {
  TRect r = R;
  if (ShowsCaption()) r.Left += EditCaptionTextWidth(window_, GetCaption()) + (IsFlat() ? 11 : 6);
  return Rect(r.Left + (IsFlat() ? 1 : 2), r.Top + (IsFlat() ? 1 : 2), r.Right - (IsFlat() ? 1 : 2),
              r.Bottom - (IsFlat() ? 1 : 2));
}

TRect TdxBarEditControl::TextAreaRect(const TRect& R) const { return InsideCaptionAndFrame(R); }

TRect TdxBarEditControl::PaintCaptionAndFrame(HDC DC, const TRect& R, bool Selected) {
  TRect r = R;
  bool flat = IsFlat(), menu = IsMenu(), enabled = ItemEnabled();
  HBRUSH background = window_->BackgroundBrush();
  if (ShowsCaption()) {
    std::string caption = GetCaption();
    TRect part = Rect(r.Left, r.Top, r.Left + EditCaptionTextWidth(window_, caption) + (flat ? 11 : 2), r.Bottom);
    FillRect(DC, part.AsRECT(), Selected && menu ? window_->HotBrush() : background);
    if (flat && Selected && menu) {
      TRect frame = Rect(part.Left, part.Top, part.Right + 1, part.Bottom);
      FrameRect(DC, frame.AsRECT(), GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    TRect text = part;
    if (flat) text.Right -= 5;
    DrawItemText(DC, caption, text, false, true, Selected && menu, enabled, 2);
    r.Left = part.Right;
    if (!flat) {
      TRect gap = Rect(r.Left, r.Top, r.Left + 4, r.Bottom);
      FillRect(DC, gap.AsRECT(), background);
      r.Left += 4;
    }
  }
  if (Selected) {
    if (flat)
      FrameRect(DC, r.AsRECT(), GetSysColorBrush(COLOR_HIGHLIGHT));
    else
      DrawEdge(DC, r.AsRECT(), BDR_SUNKENOUTER, BF_RECT);
  } else {
    FrameRect(DC, r.AsRECT(), flat && (menu || !enabled) ? GetSysColorBrush(COLOR_BTNSHADOW) : background);
  }
  r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  if (!flat) {
    FrameRect(DC, r.AsRECT(), enabled ? background : GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
  return r;
}

void TdxBarEditControl::PaintContent(HDC DC, const TRect& R) {
  if (R.Width() <= 0 || R.Height() <= 0) return;
  bool enabled = ItemEnabled();
  if (!enabled && !IsFlat()) {
    FillRect(DC, R.AsRECT(), window_->BackgroundBrush());
    return;
  }
  TCanvas* canvas = window_->Canvas();
  canvas->Brush()->SetColor(enabled ? clWindow : EditBrushColor(window_->BackgroundBrush()));
  canvas->Font()->SetColor(enabled ? clWindowText : clGrayText);
  Integer saved = SaveDC(DC);
  IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
  SelectObject(DC, window_->FontHandle());
  SetTextColor(DC, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  try {
    if (TdxBarEdit* e = Edit()) e->DrawInterior(canvas, R, this);
  } catch (...) {
    RestoreDC(DC, saved);
    throw;
  }
  RestoreDC(DC, saved);
  SelectObject(DC, window_->FontHandle());
}

void TdxBarEditControl::PaintView(const TRect& R, Integer) {
  if (R.Width() <= 0 || R.Height() <= 0) return;
  HDC dc = window_->Canvas()->Handle();
  TRect rest = PaintCaptionAndFrame(dc, R, IsDrawnSelected());
  bool enabled = ItemEnabled();
  if (enabled) EditRect = rest;
  if (!(Editing && enabled)) PaintContent(dc, rest);
}

// --- TCustomdxBarComboControl ---------------------------------------------------------------------
TCustomdxBarComboControl::~TCustomdxBarComboControl() {
  if (openComboView == this) {
    openComboView = nullptr;
    openDropDownWindow = nullptr;
  }
  if (DroppedDown) {
    DroppedDown = false;
    if (TCustomdxBarCombo* c = Combo()) c->DoCloseUp();
  }
}

TRect TCustomdxBarComboControl::TextAreaRect(const TRect& R) const {
  TRect r = InsideCaptionAndFrame(R);
  r.Right -= (window_ ? window_->SmallButtonWidth() : 0) + 1;
  return r;
}

void TCustomdxBarComboControl::SetDroppedDown(bool On) {
  TCustomdxBarCombo* c = Combo();
  if (DroppedDown == On || !c || c->ReadOnly()) return;
  DroppedDown = On;
  RedrawView();
  if (!On) {
    if (openComboView == this) {
      openComboView = nullptr;
      openDropDownWindow = nullptr;
    }
    c->DoCloseUp();
    return;
  }
  TRect r = ViewRect();
  TPoint p = IsMenu() || IsVerticalToolbar(window_) ? Point(r.Right, r.Top) : Point(r.Left + CaptionWidth(), r.Bottom);
  p = window_->ClientToScreen(p);
  openComboView = this;
  openDropDownWindow = nullptr;
  TCustomdxBarControl* w = window_;
  TCustomdxBarComboControl* self = this;
  c->DoDropDown(p.X, p.Y);
  if (openComboView == self && IsLiveBarControl(w) && w->OwnsItemControl(self) && DroppedDown)
    openDropDownWindow = c->GetDropDownWindow();
}

void TCustomdxBarComboControl::LeaveActive(bool ByMouse) {
  SetDroppedDown(false);
  TdxBarEditControl::LeaveActive(ByMouse);
}

void TCustomdxBarComboControl::EditWndProc(TMessage& M) {
  TCustomdxBarCombo* c = Combo();
  TCustomdxBarControl* w = window_;
  TCustomdxBarComboControl* self = this;
  HWND edit = EditWindow;
  auto alive = [w, self] { return IsLiveBarControl(w) && w->OwnsItemControl(self); };
  if (M.Msg == WM_KEYDOWN || M.Msg == WM_KEYUP || M.Msg == WM_CHAR) {
    if (M.Msg == WM_KEYDOWN && M.WParam == VK_F4) {
      SetDroppedDown(!DroppedDown);
      return;
    }
    if (DroppedDown && c) {
      HWND list = c->GetDropDownWindow();
      if (list && c->CheckKeyForDropDownWindow(static_cast<Word>(M.WParam), KeyboardStateToShiftState())) {
        SendMessageW(list, M.Msg, M.WParam, M.LParam);
        return;
      }
    }
  } else if ((M.Msg == WM_SYSKEYDOWN || M.Msg == WM_SYSKEYUP) && (M.WParam == VK_UP || M.WParam == VK_DOWN) &&
             GetKeyState(VK_MENU) < 0) {
    if (M.Msg == WM_SYSKEYDOWN) SetDroppedDown(!DroppedDown);
    return;
  }
  bool mouseDown = M.Msg == WM_LBUTTONDOWN || M.Msg == WM_LBUTTONDBLCLK;
  bool openBefore = DroppedDown;
  TPoint p;
  if ((mouseDown || M.Msg == WM_LBUTTONUP) && w->HandleAllocated()) p = EditPointToBar(edit, w->Handle(), M.LParam);
  TdxBarEditControl::EditWndProc(M);
  if (!alive() || !edit || !IsWindow(edit) || !IsWindowVisible(edit)) return;
  if (!mouseDown && M.Msg != WM_LBUTTONUP) return;
  TRect button = DropButtonRect;
  if (c && c->NoEditor()) button.Left = EditRect.Left;
  if (!EditViewPtIn(button, p)) return;
  if (mouseDown) {
    OpenAtMouseDown = openBefore;
    if (!openBefore) SetDroppedDown(true);
  } else if (OpenAtMouseDown) {
    OpenAtMouseDown = false;
    SetDroppedDown(!DroppedDown);
  }
}

void TCustomdxBarComboControl::PaintView(const TRect& R, Integer) {
  if (R.Width() <= 0 || R.Height() <= 0) return;
  HDC dc = window_->Canvas()->Handle();
  bool selected = IsDrawnSelected(), enabled = ItemEnabled(), flat = IsFlat();
  TRect rest = PaintCaptionAndFrame(dc, R, selected);
  Integer bw = window_->SmallButtonWidth();
  TRect text = Rect(rest.Left, rest.Top, rest.Right - bw - 1, rest.Bottom);
  if (enabled) EditRect = text;
  bool noEditor = Combo() && Combo()->NoEditor();
  if (!(Editing && enabled) || noEditor) PaintContent(dc, text);
  DropButtonRect = Rect(rest.Right - bw, rest.Top, rest.Right, rest.Bottom);
  TRect b = DropButtonRect;
  HBRUSH partBrush;
  TColor arrowColor;
  GetArrowPartColors(selected, DroppedDown, partBrush, arrowColor);
  HBRUSH background = window_->BackgroundBrush();
  if (flat && selected) {
    TRect wide = Rect(b.Left - 1, b.Top - 1, b.Right + 1, b.Bottom + 1);
    FrameRect(dc, wide.AsRECT(), GetSysColorBrush(COLOR_HIGHLIGHT));
    FillRect(dc, b.AsRECT(), partBrush);
  } else {
    HBRUSH frame;
    if (selected && enabled) {
      DrawEdge(dc, b.AsRECT(), DroppedDown ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
      frame = background;
    } else {
      frame = enabled ? GetSysColorBrush(COLOR_BTNHIGHLIGHT) : background;
      FrameRect(dc, b.AsRECT(), frame);
    }
    TRect column = Rect(b.Left - 1, b.Top, b.Left, b.Bottom);
    FillRect(dc, column.AsRECT(), frame);
    TRect inside = Rect(b.Left + 1, b.Top + 1, b.Right - 1, b.Bottom - 1);
    FillRect(dc, inside.AsRECT(), partBrush);
    if (DroppedDown) b = Rect(b.Left + 1, b.Top + 1, b.Right + 1, b.Bottom + 1);
  }
  Integer a = bw / 2;
  if (a % 2 == 0) ++a;
  Integer x = (b.Left + b.Right - a) / 2, y = (b.Top + b.Bottom - a / 2) / 2;
  auto triangle = [&](Integer dx, Integer dy, COLORREF color) {
    POINT pts[3] = {{x + dx, y + dy}, {x + a - 1 + dx, y + dy}, {x + a / 2 + dx, y + a / 2 + dy}};
    HBRUSH br = CreateSolidBrush(color);
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ ob = SelectObject(dc, br), op = SelectObject(dc, pen);
    Polygon(dc, pts, 3);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(br);
    DeleteObject(pen);
  };
  if (!enabled) {
    if (!flat) triangle(1, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    triangle(0, 0, GetSysColor(COLOR_BTNSHADOW));
  } else {
    triangle(0, 0, static_cast<COLORREF>(ColorToRGB(arrowColor)));
  }
}

// --- TdxBarComboControl ---------------------------------------------------------------------------
void TdxBarComboControl::ShowEntry(Integer Index) {
  ShownIndex = Index;
  TdxBarCustomCombo* c = ListCombo();
  if (!c) return;
  std::string text = Index >= 0 && Index < c->Items()->Count() ? c->Items()->Strings(Index) : c->Text();
  bool saved = SettingText;
  SettingText = true;
  SetEditText(text);
  SettingText = saved;
  if (c->NoEditor()) RedrawView();
}

void TdxBarComboControl::ShowItemText() {
  TdxBarCustomCombo* c = ListCombo();
  ShowEntry(c ? c->ItemIndex() : -1);
}

void TdxBarComboControl::EditWndProc(TMessage& M) {
  TdxBarCustomCombo* c = ListCombo();
  if (M.Msg == WM_KEYDOWN && c) {
    Word key = static_cast<Word>(M.WParam);
    Integer count = c->Items()->Count();
    if (key == VK_RETURN || key == VK_TAB) {
      bool browsed = ShownIndex >= 0 && ShownIndex < count && GetEditText() == c->Items()->Strings(ShownIndex);
      if (browsed) {
        TCustomdxBarControl* w = window_;
        TdxBarComboControl* self = this;
        HWND edit = EditWindow;
        c->WriteItemIndex(ShownIndex);
        if (!IsLiveBarControl(w) || !w->OwnsItemControl(self) || !edit || !IsWindowVisible(edit)) return;
      }
    } else if (!DroppedDown && (key == VK_UP || key == VK_DOWN) && CurrentShiftBits() == 0) {
      if (key == VK_UP && ShownIndex > 0) ShowEntry(ShownIndex - 1);
      if (key == VK_DOWN && ShownIndex < count - 1) ShowEntry(ShownIndex + 1);
      return;
    }
  }
  TCustomdxBarComboControl::EditWndProc(M);
}
