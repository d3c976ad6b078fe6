#include "platform/ComCtrls.h"

#include <algorithm>

#include <commctrl.h>

#include "platform/SysUtils.h"

void InitCommonControlClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX),
                           ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS |
                               ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
}

namespace {
std::string ListIndexError(Integer Index) { return "List index out of bounds (" + std::to_string(Index) + ")"; }
}  // namespace

// ---------------------------------------------------------------------------
// Image lists

namespace {

// A device bitmap copy of a TBitmap (the image list copies it again; the
// TBitmap's own handle may be selected into its canvas).
HBITMAP CopyBitmap(TBitmap* Source, bool Mono) {
  Integer w = Source->Width(), h = Source->Height();
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = Mono ? CreateBitmap(w, h, 1, 1, nullptr) : CreateCompatibleBitmap(screen, w, h);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  BitBlt(dc, 0, 0, w, h, Source->Canvas()->Handle(), 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return bmp;
}

}  // namespace

TChangeLink::~TChangeLink() {
  if (sender_) sender_->UnRegisterChanges(this);
}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* l : links_) l->sender_ = nullptr;
  if (handle_) ImageList_Destroy(handle_);
}

HIMAGELIST TCustomImageList::Handle() {
  if (!handle_) {
    handle_ = ImageList_Create(width_, height_, ILC_COLOR24 | (masked_ ? ILC_MASK : 0), 4, 4);
    if (!handle_) throw EOutOfResources("Failed to create the image list");
  }
  return handle_;
}

Integer TCustomImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

void TCustomImageList::Recreate() {
  // A new size or mask kind starts an empty list, as the platform's does.
  if (handle_) {
    ImageList_Destroy(handle_);
    handle_ = nullptr;
    Change();
  }
}

void TCustomImageList::SetWidth(Integer Value) {
  if (Value <= 0 || width_ == Value) return;
  width_ = Value;
  Recreate();
}

void TCustomImageList::SetHeight(Integer Value) {
  if (Value <= 0 || height_ == Value) return;
  height_ = Value;
  Recreate();
}

void TCustomImageList::SetMasked(bool Value) {
  if (masked_ == Value) return;
  masked_ = Value;
  Recreate();
}

Integer TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) return -1;
  HBITMAP img = CopyBitmap(Image, false);
  HBITMAP mask = Mask && !Mask->Empty() ? CopyBitmap(Mask, true) : nullptr;
  Integer r = ImageList_Add(Handle(), img, mask);
  DeleteObject(img);
  if (mask) DeleteObject(mask);
  if (r < 0) throw EOutOfResources("Failed to add the image");
  Change();
  return r;
}

Integer TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!Image || Image->Empty()) return -1;
  HBITMAP img = CopyBitmap(Image, false);
  Integer r = ImageList_AddMasked(Handle(), img, static_cast<COLORREF>(ColorToRGB(MaskColor)));
  DeleteObject(img);
  if (r < 0) throw EOutOfResources("Failed to add the image");
  Change();
  return r;
}

void TCustomImageList::Replace(Integer Index, TBitmap* Image, TBitmap* Mask) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation("Invalid image list index");
  HBITMAP img = CopyBitmap(Image, false);
  HBITMAP mask = Mask && !Mask->Empty() ? CopyBitmap(Mask, true) : nullptr;
  BOOL ok = ImageList_Replace(handle_, Index, img, mask);
  DeleteObject(img);
  if (mask) DeleteObject(mask);
  if (!ok) throw EInvalidOperation("Failed to replace the image");
  Change();
}

void TCustomImageList::Delete(Integer Index) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation("Invalid image list index");
  ImageList_Remove(handle_, Index);
  Change();
}

void TCustomImageList::Clear() {
  if (handle_) ImageList_Remove(handle_, -1);
  Change();
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled) {
  if (!handle_ || Index < 0 || Index >= Count()) return;
  HDC dc = Canvas->Handle();
  if (Enabled) {
    ImageList_Draw(handle_, Index, dc, X, Y, ILD_NORMAL);
    return;
  }
  // Greyed: every pixel of the image that is not white becomes an embossed
  // shape, highlight offset by one pixel under shadow, as disabled buttons look.
  HDC monoDC = ::CreateCompatibleDC(nullptr);
  HBITMAP mono = ::CreateBitmap(width_, height_, 1, 1, nullptr);
  if (!monoDC || !mono) {
    if (mono) ::DeleteObject(mono);
    if (monoDC) ::DeleteDC(monoDC);
    return;
  }
  HGDIOBJ oldMono = ::SelectObject(monoDC, mono);
  ::PatBlt(monoDC, 0, 0, width_, height_, WHITENESS);
  // Colour to monochrome: the background colour (white) gives 1, the rest 0.
  ::SetBkColor(monoDC, RGB(255, 255, 255));
  ImageList_DrawEx(handle_, Index, monoDC, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL);

  constexpr DWORD kBrushWhereSourceIsZero = 0x00B8074A;  // PSDPxax: D where S is 1, P where S is 0
  const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF oldBk = ::SetBkColor(dc, RGB(255, 255, 255));
  HBRUSH highlight = ::CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
  HBRUSH shadow = ::CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  HGDIOBJ oldBrush = ::SelectObject(dc, highlight);
  ::BitBlt(dc, X + 1, Y + 1, width_, height_, monoDC, 0, 0, kBrushWhereSourceIsZero);
  ::SelectObject(dc, shadow);
  ::BitBlt(dc, X, Y, width_, height_, monoDC, 0, 0, kBrushWhereSourceIsZero);
  ::SelectObject(dc, oldBrush);
  ::DeleteObject(highlight);
  ::DeleteObject(shadow);
  ::SetTextColor(dc, oldText);
  ::SetBkColor(dc, oldBk);
  ::SelectObject(monoDC, oldMono);
  ::DeleteObject(mono);
  ::DeleteDC(monoDC);
}

void TCustomImageList::GetBitmap(Integer Index, TBitmap* Image) {
  if (!Image) return;
  Image->SetSize(width_, height_);
  Image->Canvas()->Brush()->SetColor(clBtnFace);
  Image->Canvas()->FillRect(Rect(0, 0, width_, height_));
  Draw(Image->Canvas(), 0, 0, Index);
}

void TCustomImageList::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0 && changed_) {
    changed_ = false;
    Change();
  }
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
  if (!Value) return;
  if (Value->sender_ && Value->sender_ != this) Value->sender_->UnRegisterChanges(Value);
  Value->sender_ = this;
  if (std::find(links_.begin(), links_.end(), Value) == links_.end()) links_.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
  links_.erase(std::remove(links_.begin(), links_.end(), Value), links_.end());
  if (Value && Value->sender_ == this) Value->sender_ = nullptr;
}

void TCustomImageList::Change() {
  if (updateCount_ > 0) {
    changed_ = true;
    return;
  }
  for (TChangeLink* l : std::vector<TChangeLink*>(links_)) l->Change();
  OnChange(this);
}

// ---------------------------------------------------------------------------
// Status bar

TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}

void TStatusPanel::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TStatusPanel*>(Source)) {
    text_ = p->text_;
    width_ = p->width_;
    style_ = p->style_;
    bevel_ = p->bevel_;
    alignment_ = p->alignment_;
    Changed(true);
    return;
  }
  TCollectionItem::Assign(Source);
}

void TStatusPanel::SetText(const std::string& Value) {
  if (text_ == Value) return;
  text_ = Value;
  Changed(false);
}
void TStatusPanel::SetWidth(Integer Value) {
  if (width_ == Value) return;
  width_ = Value;
  Changed(true);
}
void TStatusPanel::SetStyle(TStatusPanelStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  Changed(false);
}
void TStatusPanel::SetBevel(TStatusPanelBevel Value) {
  if (bevel_ == Value) return;
  bevel_ = Value;
  Changed(false);
}
void TStatusPanel::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Changed(false);
}

TStatusPanels::TStatusPanels(TStatusBar* StatusBar)
    : TCollection(CollectionItemClass<TStatusPanel>()), statusBar_(StatusBar) {}

TPersistent* TStatusPanels::GetOwner() const { return statusBar_; }

void TStatusPanels::Update(TCollectionItem* Item) {
  if (Item)
    statusBar_->UpdatePanel(Item->Index());
  else
    statusBar_->UpdatePanels();
}

TStatusBar::TStatusBar(TComponent* AOwner)
    : TWinControl(AOwner),
      panels_(std::make_unique<TStatusPanels>(this)),
      canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
  controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
  color_ = clBtnFace;
  brush_->SetColor(clBtnFace);
  height_ = 19;
  align_ = alBottom;
}

TStatusBar::~TStatusBar() {
  if (handle_) DestroyWindowHandle();
}

void TStatusBar::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, STATUSCLASSNAMEW);
  Params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
  if (sizeGrip_) Params.Style |= SBARS_SIZEGRIP;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TStatusBar::CreateWnd() {
  TWinControl::CreateWnd();
  UpdatePanels();
}

void TStatusBar::SetSimplePanel(bool Value) {
  if (simplePanel_ == Value) return;
  simplePanel_ = Value;
  if (handle_) ::SendMessageW(handle_, SB_SIMPLE, Value ? 1 : 0, 0);
  UpdatePanels();
}

void TStatusBar::SetSimpleText(const std::string& Value) {
  if (simpleText_ == Value) return;
  simpleText_ = Value;
  if (handle_)
    ::SendMessageW(handle_, SB_SETTEXTW, 255, reinterpret_cast<LPARAM>(Utf8ToWide(Value).c_str()));
}

void TStatusBar::SetSizeGrip(bool Value) {
  if (sizeGrip_ == Value) return;
  sizeGrip_ = Value;
  if (handle_) RecreateWnd();
}

void TStatusBar::UpdatePanels() {
  if (!handle_) return;
  if (simplePanel_) {
    ::SendMessageW(handle_, SB_SIMPLE, 1, 0);
    ::SendMessageW(handle_, SB_SETTEXTW, 255, reinterpret_cast<LPARAM>(Utf8ToWide(simpleText_).c_str()));
    return;
  }
  ::SendMessageW(handle_, SB_SIMPLE, 0, 0);
  Integer n = panels_->Count();
  std::vector<int> rights(static_cast<size_t>(std::max<Integer>(n, 1)));
  Integer x = 0;
  for (Integer i = 0; i < n; ++i) {
    x += panels_->Items(i)->Width();
    rights[static_cast<size_t>(i)] = x;
  }
  // The last panel stretches to the right edge.
  if (n > 0) rights[static_cast<size_t>(n - 1)] = -1;
  else rights[0] = -1;
  ::SendMessageW(handle_, SB_SETPARTS, static_cast<WPARAM>(rights.size()), reinterpret_cast<LPARAM>(rights.data()));
  for (Integer i = 0; i < n; ++i) UpdatePanel(i);
}

void TStatusBar::UpdatePanel(Integer Index) {
  if (!handle_ || simplePanel_ || Index < 0 || Index >= panels_->Count()) return;
  TStatusPanel* p = panels_->Items(Index);
  static const WPARAM Bevels[] = {SBT_NOBORDERS, 0, SBT_POPOUT};
  WPARAM flags = static_cast<WPARAM>(Index) | Bevels[p->Bevel()];
  if (p->Style() == psOwnerDraw) {
    ::SendMessageW(handle_, SB_SETTEXTW, flags | SBT_OWNERDRAW, reinterpret_cast<LPARAM>(p));
  } else {
    std::wstring text = Utf8ToWide(p->Text());
    if (p->Alignment() == taCenter) text = L"\t" + text;
    else if (p->Alignment() == taRightJustify) text = L"\t\t" + text;
    ::SendMessageW(handle_, SB_SETTEXTW, flags, reinterpret_cast<LPARAM>(text.c_str()));
  }
}

TRect TStatusBar::PanelRect(Integer Index) {
  TRect r;
  ::SendMessageW(Handle(), SB_GETRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(r.AsRECT()));
  return r;
}

void TStatusBar::DrawPanel(TStatusPanel* Panel, const TRect& Rect) {
  if (OnDrawPanel)
    OnDrawPanel(this, Panel, Rect);
  else
    canvas_->FillRect(Rect);
}

void TStatusBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      Integer index = static_cast<Integer>(dis->itemID);
      if (index >= 0 && index < panels_->Count()) {
        canvas_->Lock();
        canvas_->SetHandle(dis->hDC);
        canvas_->SetFont(Font());
        canvas_->Brush()->SetColor(clBtnFace);
        canvas_->Brush()->SetStyle(bsSolid);
        TRect r{dis->rcItem.left, dis->rcItem.top, dis->rcItem.right, dis->rcItem.bottom};
        try {
          DrawPanel(panels_->Items(index), r);
        } catch (...) {
          canvas_->SetHandle(nullptr);
          canvas_->Unlock();
          throw;
        }
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
      }
      Message.Result = 1;
      break;
    }
    case WM_SIZE:
      TWinControl::Dispatch(Message);
      // The stretching last panel follows the width.
      if (handle_) InvalidateRect(handle_, nullptr, TRUE);
      break;
    default: TWinControl::Dispatch(Message); break;
  }
}

// ---------------------------------------------------------------------------
// Progress bar

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
  width_ = 150;
  height_ = 16;
}

void TProgressBar::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, PROGRESS_CLASSW);
  if (smooth_) Params.Style |= PBS_SMOOTH;
  if (orientation_ == pbVertical) Params.Style |= PBS_VERTICAL;
}

void TProgressBar::CreateWnd() {
  TWinControl::CreateWnd();
  ::SendMessageW(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  ::SendMessageW(handle_, PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
  ::SendMessageW(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetMin(Integer Value) {
  min_ = Value;
  if (handle_) ::SendMessageW(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  SetPosition(std::max(position_, min_));
}

void TProgressBar::SetMax(Integer Value) {
  max_ = Value;
  if (handle_) ::SendMessageW(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  SetPosition(std::min(position_, max_));
}

Integer TProgressBar::Position() {
  if (handle_) return static_cast<Integer>(::SendMessageW(handle_, PBM_GETPOS, 0, 0));
  return position_;
}

void TProgressBar::SetPosition(Integer Value) {
  position_ = std::clamp(Value, std::min(min_, max_), std::max(min_, max_));
  if (handle_) ::SendMessageW(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetStep(Integer Value) {
  step_ = Value;
  if (handle_) ::SendMessageW(handle_, PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
}

// Like the window class, stepping past the end wraps to the start.
void TProgressBar::StepIt() {
  Integer p = Position() + step_;
  if (p > max_) p = min_ + (p - max_);
  SetPosition(p);
}

void TProgressBar::StepBy(Integer Delta) { SetPosition(Position() + Delta); }

void TProgressBar::SetSmooth(bool Value) {
  if (smooth_ == Value) return;
  smooth_ = Value;
  if (handle_) RecreateWnd();
}

void TProgressBar::SetOrientation(TProgressBarOrientation Value) {
  if (orientation_ == Value) return;
  orientation_ = Value;
  if (handle_) RecreateWnd();
}

// ---------------------------------------------------------------------------
// Track bar

TTrackBar::TTrackBar(TComponent* AOwner) : TWinControl(AOwner) {
  width_ = 150;
  height_ = 45;
  tabStop_ = true;
}

void TTrackBar::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, TRACKBAR_CLASSW);
  Params.Style |= TBS_FIXEDLENGTH | (orientation_ == trVertical ? TBS_VERT : TBS_HORZ);
  static const DWORD Ticks[] = {TBS_NOTICKS, TBS_AUTOTICKS, 0};
  Params.Style |= Ticks[tickStyle_];
  if (tickMarks_ == tmTopLeft) Params.Style |= TBS_TOP;
  if (tickMarks_ == tmBoth) Params.Style |= TBS_BOTH;
}

void TTrackBar::CreateWnd() {
  TWinControl::CreateWnd();
  ::SendMessageW(handle_, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(thumbLength_), 0);
  ::SendMessageW(handle_, TBM_SETLINESIZE, 0, lineSize_);
  ::SendMessageW(handle_, TBM_SETPAGESIZE, 0, pageSize_);
  ::SendMessageW(handle_, TBM_SETRANGEMIN, FALSE, min_);
  ::SendMessageW(handle_, TBM_SETRANGEMAX, FALSE, max_);
  ::SendMessageW(handle_, TBM_SETTICFREQ, static_cast<WPARAM>(frequency_), 0);
  ::SendMessageW(handle_, TBM_SETPOS, TRUE, position_);
}

void TTrackBar::SetMin(Integer Value) {
  min_ = Value;
  if (handle_) ::SendMessageW(handle_, TBM_SETRANGEMIN, TRUE, Value);
  if (position_ < min_) SetPosition(min_);
}

void TTrackBar::SetMax(Integer Value) {
  max_ = Value;
  if (handle_) ::SendMessageW(handle_, TBM_SETRANGEMAX, TRUE, Value);
  if (position_ > max_) SetPosition(max_);
}

Integer TTrackBar::Position() {
  if (handle_) return static_cast<Integer>(::SendMessageW(handle_, TBM_GETPOS, 0, 0));
  return position_;
}

void TTrackBar::SetPosition(Integer Value) {
  Value = std::clamp(Value, std::min(min_, max_), std::max(min_, max_));
  if (Position() == Value) return;
  position_ = Value;
  if (handle_) ::SendMessageW(handle_, TBM_SETPOS, TRUE, Value);
  Changed();
}

void TTrackBar::SetFrequency(Integer Value) {
  frequency_ = Value;
  if (handle_) ::SendMessageW(handle_, TBM_SETTICFREQ, static_cast<WPARAM>(Value), 0);
}
void TTrackBar::SetLineSize(Integer Value) {
  lineSize_ = Value;
  if (handle_) ::SendMessageW(handle_, TBM_SETLINESIZE, 0, Value);
}
void TTrackBar::SetPageSize(Integer Value) {
  pageSize_ = Value;
  if (handle_) ::SendMessageW(handle_, TBM_SETPAGESIZE, 0, Value);
}
void TTrackBar::SetThumbLength(Integer Value) {
  thumbLength_ = Value;
  if (handle_) ::SendMessageW(handle_, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(Value), 0);
}
void TTrackBar::SetOrientation(TTrackBarOrientation Value) {
  if (orientation_ == Value) return;
  orientation_ = Value;
  if (handle_) RecreateWnd();
}
void TTrackBar::SetTickStyle(TTickStyle Value) {
  if (tickStyle_ == Value) return;
  tickStyle_ = Value;
  if (handle_) RecreateWnd();
}
void TTrackBar::SetTickMarks(TTickMark Value) {
  if (tickMarks_ == Value) return;
  tickMarks_ = Value;
  if (handle_) RecreateWnd();
}

void TTrackBar::Changed() { OnChange(this); }

void TTrackBar::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_HSCROLL || Message.Msg == CN_VSCROLL) {
    Integer p = static_cast<Integer>(::SendMessageW(handle_, TBM_GETPOS, 0, 0));
    if (p != position_) {
      position_ = p;
      Changed();
    }
    Message.Result = 0;
    return;
  }
  TWinControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Up-down

TUpDown::TUpDown(TComponent* AOwner) : TWinControl(AOwner) {
  width_ = 15;
  height_ = 21;
  controlStyle_ = TControlStyle{csCaptureMouse, csOpaque};
}

void TUpDown::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, UPDOWN_CLASSW);
  if (alignButton_ == udLeft) Params.Style |= UDS_ALIGNLEFT;
  else Params.Style |= UDS_ALIGNRIGHT;
  if (orientation_ == udHorizontal) Params.Style |= UDS_HORZ;
  if (arrowKeys_) Params.Style |= UDS_ARROWKEYS;
  if (!thousands_) Params.Style |= UDS_NOTHOUSANDS;
  if (wrap_) Params.Style |= UDS_WRAP;
}

void TUpDown::CreateWnd() {
  TWinControl::CreateWnd();
  ::SendMessageW(handle_, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  ::SendMessageW(handle_, UDM_SETPOS32, 0, position_);
  UDACCEL accel{0, static_cast<UINT>(increment_)};
  ::SendMessageW(handle_, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

void TUpDown::SetMin(Integer Value) {
  min_ = Value;
  if (handle_) ::SendMessageW(handle_, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}
void TUpDown::SetMax(Integer Value) {
  max_ = Value;
  if (handle_) ::SendMessageW(handle_, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

Integer TUpDown::Position() {
  // As with the system's buddy window: a number typed into the associate is
  // the position (and the arrows step from it).
  Integer typed;
  if (AssociateValue(typed)) {
    position_ = typed;
    if (handle_) ::SendMessageW(handle_, UDM_SETPOS32, 0, position_);
    return position_;
  }
  return WindowPosition();
}

Integer TUpDown::WindowPosition() {
  // The window has no buddy, so its error flag (set by some systems when no
  // buddy text could be read) says nothing about the value.
  if (handle_) position_ = static_cast<Integer>(::SendMessageW(handle_, UDM_GETPOS32, 0, 0));
  return position_;
}

bool TUpDown::AssociateValue(Integer& Value) const {
  if (!associate_) return false;
  std::string digits;
  for (char c : associate_->Text())
    if (c != ',') digits += c;
  Integer v;
  if (!TryStrToInt(digits, v) || v < std::min(min_, max_) || v > std::max(min_, max_)) return false;
  Value = v;
  return true;
}

void TUpDown::SetPosition(Integer Value) {
  position_ = std::clamp(Value, std::min(min_, max_), std::max(min_, max_));
  if (handle_) ::SendMessageW(handle_, UDM_SETPOS32, 0, position_);
  UpdateAssociate();
}

void TUpDown::SetIncrement(Integer Value) {
  increment_ = Value;
  if (handle_) {
    UDACCEL accel{0, static_cast<UINT>(Value)};
    ::SendMessageW(handle_, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  }
}
void TUpDown::SetWrap(bool Value) {
  if (wrap_ == Value) return;
  wrap_ = Value;
  if (handle_) RecreateWnd();
}
void TUpDown::SetThousands(bool Value) {
  if (thousands_ == Value) return;
  thousands_ = Value;
  if (handle_) RecreateWnd();
}
void TUpDown::SetArrowKeys(bool Value) {
  if (arrowKeys_ == Value) return;
  arrowKeys_ = Value;
  if (handle_) RecreateWnd();
}
void TUpDown::SetAlignButton(TUDAlignButton Value) {
  if (alignButton_ == Value) return;
  alignButton_ = Value;
  if (handle_) RecreateWnd();
}
void TUpDown::SetOrientation(TUDOrientation Value) {
  if (orientation_ == Value) return;
  orientation_ = Value;
  if (handle_) RecreateWnd();
}

void TUpDown::SetAssociate(TWinControl* Value) {
  if (associate_ == Value) return;
  if (associate_) associate_->RemoveFreeNotification(this);
  associate_ = Value;
  if (Value) {
    Value->FreeNotification(this);
    // The buttons sit against the edit's side.
    if (!ComponentState().Contains(csLoading) && Value->Parent() == parent_) {
      if (alignButton_ == udRight)
        SetBounds(Value->Left() + Value->Width(), Value->Top(), width_, Value->Height());
      else
        SetBounds(Value->Left() - width_, Value->Top(), width_, Value->Height());
    }
    UpdateAssociate();
  }
}

void TUpDown::UpdateAssociate() {
  if (!associate_ || ComponentState().Contains(csLoading)) return;
  std::string s = std::to_string(position_);
  if (thousands_ && std::abs(position_) >= 1000) {
    bool neg = position_ < 0;
    std::string digits = std::to_string(std::abs(position_));
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
      if (i && (digits.size() - i) % 3 == 0) out += ',';
      out += digits[i];
    }
    s = (neg ? "-" : "") + out;
  }
  associate_->SetText(s);
}

void TUpDown::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == associate_) associate_ = nullptr;
}

bool TUpDown::CanChange() {
  bool allow = true;
  OnChanging(this, allow);
  return allow;
}

void TUpDown::Click(TUDBtnType Button) { OnClick(this, Button); }

void TUpDown::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
      if (hdr->code == static_cast<UINT>(UDN_DELTAPOS)) {
        // The step starts from what the associate shows now.
        Integer typed;
        if (AssociateValue(typed) && typed != WindowPosition()) {
          position_ = typed;
          ::SendMessageW(handle_, UDM_SETPOS32, 0, typed);
          reinterpret_cast<NMUPDOWN*>(Message.LParam)->iPos = typed;
        }
        Message.Result = CanChange() ? 0 : 1;
      }
      return;
    }
    case CN_HSCROLL:
    case CN_VSCROLL:
      if (LOWORD(Message.WParam) == SB_THUMBPOSITION) {
        Integer old = position_;
        Integer p = WindowPosition();
        UpdateAssociate();
        Click(p > old || (wrap_ && p == min_ && old == max_) ? btNext : btPrev);
      }
      return;
    default: TWinControl::Dispatch(Message); break;
  }
}

// ---------------------------------------------------------------------------
// List view: columns

// Joined after the members are set: joining updates the window's columns,
// which reads this column's caption, width and alignment.
TListColumn::TListColumn(TCollection* Collection) : TCollectionItem(nullptr) { SetCollection(Collection); }

void TListColumn::Assign(TPersistent* Source) {
  if (auto* c = dynamic_cast<TListColumn*>(Source)) {
    caption_ = c->caption_;
    width_ = c->width_;
    alignment_ = c->alignment_;
    imageIndex_ = c->imageIndex_;
    Changed(false);
    return;
  }
  TCollectionItem::Assign(Source);
}

void TListColumn::SetCaption(const std::string& Value) {
  if (caption_ == Value) return;
  caption_ = Value;
  Changed(false);
}

Integer TListColumn::Width() {
  // The user may have dragged the column's edge.
  auto* cols = static_cast<TListColumns*>(Collection());
  if (cols && cols->Owner()->HandleAllocated() && cols->Owner()->ViewStyle() == vsReport)
    width_ = static_cast<Integer>(
        ::SendMessageW(cols->Owner()->Handle(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(Index()), 0));
  return width_;
}

void TListColumn::SetWidth(Integer Value) {
  if (width_ == Value) return;
  width_ = Value;
  Changed(false);
}

void TListColumn::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Changed(false);
}

TListColumns::TListColumns(TCustomListView* Owner)
    : TCollection(CollectionItemClass<TListColumn>()), owner_(Owner) {}

TPersistent* TListColumns::GetOwner() const { return owner_; }

void TListColumns::Update(TCollectionItem*) { owner_->UpdateColumns(); }

// ---------------------------------------------------------------------------
// List view: items

TListItem::TListItem(TListItems* Owner) : owner_(Owner), subItems_(std::make_unique<TStringList>()) {
  subItems_->OnChange = TNotifyEvent(this, &TListItem::SubItemsChanged);
}

TListItem::~TListItem() { subItems_->OnChange = TNotifyEvent(); }

void TListItem::Assign(TPersistent* Source) {
  if (auto* i = dynamic_cast<TListItem*>(Source)) {
    caption_ = i->caption_;
    data_ = i->data_;
    imageIndex_ = i->imageIndex_;
    subItems_->Assign(i->subItems_.get());
    if (Integer idx = Index(); idx >= 0) {
      ListView()->UpdateWindowItem(idx);
      ListView()->AutoSort(true, true);
    }
    return;
  }
  TPersistent::Assign(Source);
}

TCustomListView* TListItem::ListView() const { return owner_->owner_; }

Integer TListItem::Index() const { return owner_->IndexOf(this); }

void TListItem::SetCaption(const std::string& Value) {
  if (caption_ == Value) return;
  caption_ = Value;
  if (Integer i = Index(); i >= 0) {
    ListView()->UpdateWindowItem(i);
    ListView()->AutoSort(true, false);
  }
}

void TListItem::SetImageIndex(Integer Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  if (Integer i = Index(); i >= 0) ListView()->UpdateWindowItem(i);
}

void TListItem::SubItemsChanged(TObject*) {
  if (Integer i = Index(); i >= 0) ListView()->UpdateWindowItem(i);
}

bool TListItem::GetState(UINT Mask) const {
  TCustomListView* lv = ListView();
  Integer i = Index();
  if (lv->HandleAllocated() && i >= 0)
    return (::SendMessageW(const_cast<TCustomListView*>(lv)->Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(i),
                           Mask) &
            Mask) != 0;
  return (state_ & Mask) != 0;
}

void TListItem::SetState(UINT Mask, bool Value) { SetStateBits(Mask, Value ? Mask : 0); }

bool TListItem::Selected() const { return GetState(LVIS_SELECTED); }
void TListItem::SetSelected(bool Value) { SetState(LVIS_SELECTED, Value); }
bool TListItem::Focused() const { return GetState(LVIS_FOCUSED); }
void TListItem::SetFocused(bool Value) { SetState(LVIS_FOCUSED, Value); }

void TListItem::Delete() { owner_->Delete(Index()); }

void TListItem::MakeVisible(bool PartialOK) {
  if (ListView()->HandleAllocated())
    ::SendMessageW(ListView()->Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(Index()), PartialOK ? 1 : 0);
}

TRect TListItem::DisplayRect(TDisplayCode Code) {
  static const LONG Codes[] = {LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL, LVIR_SELECTBOUNDS};
  TRect r;
  r.Left = Codes[Code];
  ::SendMessageW(ListView()->Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(Index()),
                 reinterpret_cast<LPARAM>(r.AsRECT()));
  return r;
}

TListItems::TListItems(TCustomListView* Owner) : owner_(Owner) {}
TListItems::~TListItems() = default;

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(Integer Index) {
  return AddItem(nullptr, Index);
}

TListItem* TListItems::AddItem(TListItem* Item, Integer Index) {
  if (Index < 0 || Index > Count()) Index = Count();
  auto item = std::make_unique<TListItem>(this);
  TListItem* p = item.get();
  if (Item) {
    p->caption_ = Item->caption_;
    p->data_ = Item->data_;
    p->imageIndex_ = Item->imageIndex_;
    p->subItems_->Assign(Item->subItems_.get());
  }
  items_.insert(items_.begin() + Index, std::move(item));
  owner_->InsertWindowItem(Index);
  if (Item) owner_->AutoSort(true, true);
  return p;
}

void TListItems::Delete(Integer Index) {
  if (Index < 0 || Index >= Count()) throw EListError(ListIndexError(Index));
  TListItem* item = items_[static_cast<size_t>(Index)].get();
  owner_->OnDeletion(owner_, item);
  if (owner_->HandleAllocated())
    ::SendMessageW(owner_->Handle(), LVM_DELETEITEM, static_cast<WPARAM>(Index), 0);
  items_.erase(items_.begin() + Index);
}

void TListItems::Clear() {
  BeginUpdate();
  for (Integer i = Count() - 1; i >= 0; --i) owner_->OnDeletion(owner_, items_[static_cast<size_t>(i)].get());
  if (owner_->HandleAllocated()) ::SendMessageW(owner_->Handle(), LVM_DELETEALLITEMS, 0, 0);
  items_.clear();
  EndUpdate();
}

void TListItems::BeginUpdate() {
  if (updateCount_++ == 0 && owner_->HandleAllocated()) ::SendMessageW(owner_->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0 && owner_->HandleAllocated()) {
    ::SendMessageW(owner_->Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(owner_->Handle(), nullptr, TRUE);
  }
}

TListItem* TListItems::Item(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(ListIndexError(Index));
  return items_[static_cast<size_t>(Index)].get();
}

Integer TListItems::IndexOf(const TListItem* Value) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == Value) return static_cast<Integer>(i);
  return -1;
}

void TListItems::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TListItems*>(Source)) {
    BeginUpdate();
    Clear();
    for (Integer i = 0; i < other->Count(); ++i) AddItem(other->Item(i));
    EndUpdate();
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------
// List view

TCustomListView::TCustomListView(TComponent* AOwner)
    : TWinControl(AOwner),
      columns_(std::make_unique<TListColumns>(this)),
      items_(std::make_unique<TListItems>(this)),
      smallLink_(std::make_unique<TChangeLink>()),
      largeLink_(std::make_unique<TChangeLink>()),
      stateLink_(std::make_unique<TChangeLink>()),
      canvas_(std::make_unique<TControlCanvas>()) {
  for (TChangeLink* l : {smallLink_.get(), largeLink_.get(), stateLink_.get()})
    l->OnChange = TNotifyEvent(this, &TCustomListView::ImageListChange);
  canvas_->SetControl(this);
  // Clicks come from the control's own notifications.
  controlStyle_ = TControlStyle{csDoubleClicks, csReflector};
  width_ = 250;
  height_ = 150;
  tabStop_ = true;
  parentColor_ = false;
  color_ = clWindow;
  brush_->SetColor(clWindow);
}

TCustomListView::~TCustomListView() {
  destroying_ = true;
  if (handle_) DestroyWindowHandle();
  canvas_->FreeHandle();
  ReleaseCustomDrawFont(nullptr);
}

void TCustomListView::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_LISTVIEWW);
  static const DWORD Views[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  Params.Style |= Views[viewStyle_] | LVS_SHAREIMAGELISTS;
  if (!multiSelect_) Params.Style |= LVS_SINGLESEL;
  if (!readOnly_) Params.Style |= LVS_EDITLABELS;
  if (!hideSelection_) Params.Style |= LVS_SHOWSELALWAYS;
  if (!showColumnHeaders_) Params.Style |= LVS_NOCOLUMNHEADER;
  if (!columnClick_) Params.Style |= LVS_NOSORTHEADER;
  if (borderStyle_ == bsSingle) {
    if (NewStyleControls && Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomListView::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateImageLists();
  UpdateExStyles();
  UpdateColumns();
  for (Integer i = 0; i < items_->Count(); ++i) InsertWindowItem(i);
}

void TCustomListView::DestroyWnd() {
  // Keep the selection, focus and check marks in the items across a re-creation.
  if (handle_)
    for (Integer i = 0; i < items_->Count(); ++i)
      items_->Item(i)->state_ = static_cast<UINT>(::SendMessageW(
          handle_, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK));
  canvas_->FreeHandle();
  TWinControl::DestroyWnd();
  ReleaseCustomDrawFont(nullptr);
}

void TCustomListView::UpdateExStyles() {
  if (!handle_) return;
  DWORD ex = (rowSelect_ ? LVS_EX_FULLROWSELECT : 0) | (gridLines_ ? LVS_EX_GRIDLINES : 0) |
             (checkboxes_ ? LVS_EX_CHECKBOXES : 0);
  ::SendMessageW(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES,
                 ex);
  // Check boxes bring their own state images; the application's go back on top.
  if (stateImages_)
    ::SendMessageW(handle_, LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(stateImages_->Handle()));
}

void TCustomListView::UpdateColumns() {
  if (!handle_) return;
  while (::SendMessageW(handle_, LVM_DELETECOLUMN, 0, 0)) {
  }
  static const int Formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER};
  for (Integer i = 0; i < columns_->Count(); ++i) {
    TListColumn* c = columns_->Items(i);
    std::wstring text = Utf8ToWide(c->caption_);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    col.fmt = i == 0 ? LVCFMT_LEFT : Formats[c->alignment_];
    col.cx = c->width_;
    col.pszText = text.data();
    col.iSubItem = i;
    if (c->imageIndex_ >= 0) {
      col.mask |= LVCF_IMAGE;
      col.fmt |= LVCFMT_IMAGE;
      col.iImage = c->imageIndex_;
    }
    ::SendMessageW(handle_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col));
  }
}

void TCustomListView::InsertWindowItem(Integer Index) {
  if (!handle_) return;
  TListItem* item = items_->Item(Index);
  std::wstring text = Utf8ToWide(item->caption_);
  LVITEMW lv{};
  lv.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE | LVIF_STATE;
  lv.iItem = Index;
  lv.pszText = text.data();
  lv.lParam = reinterpret_cast<LPARAM>(item);
  lv.iImage = item->imageIndex_;
  lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  lv.state = item->state_ & lv.stateMask;
  UINT stateImage = item->state_ & LVIS_STATEIMAGEMASK;
  if (checkboxes_ && stateImage != INDEXTOSTATEIMAGEMASK(2)) stateImage = INDEXTOSTATEIMAGEMASK(1);
  if (stateImage) {
    lv.stateMask |= LVIS_STATEIMAGEMASK;
    lv.state |= stateImage;
  }
  ::SendMessageW(handle_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv));
  // With check boxes the control inserts every item unticked.
  if (stateImage && static_cast<UINT>(::SendMessageW(handle_, LVM_GETITEMSTATE, static_cast<WPARAM>(Index),
                                                     LVIS_STATEIMAGEMASK)) != stateImage) {
    LVITEMW st{};
    st.stateMask = LVIS_STATEIMAGEMASK;
    st.state = stateImage;
    ::SendMessageW(handle_, LVM_SETITEMSTATE, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&st));
  }
  for (Integer s = 0; s < item->subItems_->Count(); ++s) {
    std::wstring sub = Utf8ToWide(item->subItems_->Strings(s));
    LVITEMW si{};
    si.iSubItem = s + 1;
    si.pszText = sub.data();
    ::SendMessageW(handle_, LVM_SETITEMTEXTW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&si));
  }
}

void TCustomListView::UpdateWindowItem(Integer Index) {
  if (!handle_) return;
  TListItem* item = items_->Item(Index);
  std::wstring text = Utf8ToWide(item->caption_);
  LVITEMW lv{};
  lv.mask = LVIF_TEXT | LVIF_IMAGE;
  lv.iItem = Index;
  lv.pszText = text.data();
  lv.iImage = item->imageIndex_;
  ::SendMessageW(handle_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
  Integer cols = std::max<Integer>(columns_->Count(), item->subItems_->Count() + 1);
  for (Integer s = 1; s < cols; ++s) {
    std::wstring sub = s - 1 < item->subItems_->Count() ? Utf8ToWide(item->subItems_->Strings(s - 1)) : L"";
    LVITEMW si{};
    si.iSubItem = s;
    si.pszText = sub.data();
    ::SendMessageW(handle_, LVM_SETITEMTEXTW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&si));
  }
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
  if (viewStyle_ == Value) return;
  viewStyle_ = Value;
  if (handle_) RecreateWnd();
}
void TCustomListView::SetMultiSelect(bool Value) {
  if (multiSelect_ == Value) return;
  multiSelect_ = Value;
  if (handle_) RecreateWnd();
}
void TCustomListView::SetRowSelect(bool Value) {
  rowSelect_ = Value;
  UpdateExStyles();
}
void TCustomListView::SetGridLines(bool Value) {
  gridLines_ = Value;
  UpdateExStyles();
}
void TCustomListView::SetReadOnly(bool Value) {
  if (readOnly_ == Value) return;
  readOnly_ = Value;
  if (handle_) RecreateWnd();
}
void TCustomListView::SetHideSelection(bool Value) {
  if (hideSelection_ == Value) return;
  hideSelection_ = Value;
  if (handle_) RecreateWnd();
}
void TCustomListView::SetShowColumnHeaders(bool Value) {
  if (showColumnHeaders_ == Value) return;
  showColumnHeaders_ = Value;
  if (handle_) RecreateWnd();
}
void TCustomListView::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  if (handle_) RecreateWnd();
}

TListItem* TCustomListView::GetNextItem(TListItem* StartItem, TItemStateItem State) const {
  UINT flags = State == isSelected ? LVNI_SELECTED : State == isFocused ? LVNI_FOCUSED : LVNI_ALL;
  Integer start = StartItem ? items_->IndexOf(StartItem) : -1;
  if (handle_) {
    LRESULT i = ::SendMessageW(handle_, LVM_GETNEXTITEM, static_cast<WPARAM>(start), flags);
    return i >= 0 && i < items_->Count() ? items_->Item(static_cast<Integer>(i)) : nullptr;
  }
  UINT mask = State == isSelected ? LVIS_SELECTED : State == isFocused ? LVIS_FOCUSED : 0;
  for (Integer i = start + 1; i < items_->Count(); ++i)
    if (!mask || (items_->Item(i)->state_ & mask)) return items_->Item(i);
  return nullptr;
}

TListItem* TCustomListView::Selected() const { return GetNextItem(nullptr, isSelected); }

void TCustomListView::SetSelected(TListItem* Value) {
  ClearSelection();
  if (Value) Value->SetSelected(true);
}

void TCustomListView::ClearSelection() {
  for (TListItem* i = GetNextItem(nullptr, isSelected); i; i = GetNextItem(i, isSelected)) i->SetSelected(false);
}

TListItem* TCustomListView::ItemFocused() const { return GetNextItem(nullptr, isFocused); }

void TCustomListView::SetItemFocused(TListItem* Value) {
  if (Value)
    Value->SetFocused(true);
  else if (TListItem* f = ItemFocused())
    f->SetFocused(false);
}

Integer TCustomListView::SelCount() const {
  if (handle_) return static_cast<Integer>(::SendMessageW(handle_, LVM_GETSELECTEDCOUNT, 0, 0));
  Integer n = 0;
  for (Integer i = 0; i < items_->Count(); ++i)
    if (items_->Item(i)->state_ & LVIS_SELECTED) ++n;
  return n;
}

void TCustomListView::SelectAll() {
  if (!multiSelect_) return;
  for (Integer i = 0; i < items_->Count(); ++i) items_->Item(i)->SetSelected(true);
}

TListItem* TCustomListView::GetItemAt(Integer X, Integer Y) {
  if (!handle_) return nullptr;
  LVHITTESTINFO hit{};
  hit.pt = POINT{X, Y};
  LRESULT i = ::SendMessageW(handle_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (viewStyle_ == vsReport && i < 0) {
    // Report rows count across all columns.
    LRESULT s = ::SendMessageW(handle_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    i = s;
  }
  return i >= 0 && i < items_->Count() ? items_->Item(static_cast<Integer>(i)) : nullptr;
}

Integer TCustomListView::TopIndex() {
  return handle_ ? static_cast<Integer>(::SendMessageW(handle_, LVM_GETTOPINDEX, 0, 0)) : 0;
}

void TCustomListView::DoSelectItem(TListItem* Item, bool Selected) { OnSelectItem(this, Item, Selected); }

void TCustomListView::Change(TListItem* Item, TItemChange AChange) { OnChange(this, Item, AChange); }

void TCustomListView::CNNotify(TMessage& Message) {
  auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
  switch (hdr->code) {
    case LVN_ITEMCHANGED: {
      if (destroying_) break;
      auto* nm = reinterpret_cast<NMLISTVIEW*>(Message.LParam);
      // iItem -1 stands for every item.
      auto changed = [&](Integer index) {
        if (index < 0 || index >= items_->Count()) return;
        TListItem* item = items_->Item(index);
        if (nm->uChanged & LVIF_STATE) {
          UINT keep = LVIS_SELECTED | LVIS_FOCUSED;
          if ((nm->uOldState ^ nm->uNewState) & LVIS_STATEIMAGEMASK) keep |= LVIS_STATEIMAGEMASK;
          item->state_ = (item->state_ & ~keep) | (nm->uNewState & keep);
          Change(item, ctState);
          if ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED)
            DoSelectItem(item, (nm->uNewState & LVIS_SELECTED) != 0);
        } else if (nm->uChanged & LVIF_TEXT) {
          Change(item, ctText);
        } else if (nm->uChanged & LVIF_IMAGE) {
          Change(item, ctImage);
        }
      };
      if (nm->iItem >= 0)
        changed(nm->iItem);
      else
        for (Integer i = 0; i < items_->Count(); ++i) changed(i);
      break;
    }
    case LVN_ITEMCHANGING: {
      if (destroying_) break;
      auto* nm = reinterpret_cast<NMLISTVIEW*>(Message.LParam);
      bool allow = true;
      if (nm->iItem >= 0) {
        if (nm->iItem < items_->Count()) allow = CanChange(items_->Item(nm->iItem), static_cast<Integer>(nm->uChanged));
      } else {
        // A change of every item is refused when any item refuses it.
        for (Integer i = 0; allow && i < items_->Count(); ++i)
          allow = CanChange(items_->Item(i), static_cast<Integer>(nm->uChanged));
      }
      Message.Result = allow ? 0 : 1;
      break;
    }
    case LVN_COLUMNCLICK: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(Message.LParam);
      if (nm->iSubItem >= 0 && nm->iSubItem < columns_->Count()) ColClick(columns_->Items(nm->iSubItem));
      break;
    }
    case LVN_GETDISPINFOW: {
      // Items without an image ask for it (-1: none).
      auto* di = reinterpret_cast<NMLVDISPINFOW*>(Message.LParam);
      if ((di->item.mask & LVIF_IMAGE) && di->item.iSubItem == 0 && di->item.iItem >= 0 &&
          di->item.iItem < items_->Count())
        di->item.iImage = items_->Item(di->item.iItem)->imageIndex_;
      break;
    }
    case NM_CUSTOMDRAW:
      if (hdr->hwndFrom == handle_) Message.Result = CustomDrawNotify(reinterpret_cast<void*>(Message.LParam));
      break;
    case NM_CLICK:
    case NM_RCLICK: Click(); break;
    case NM_DBLCLK: DblClick(); break;
    case LVN_BEGINLABELEDITW: {
      auto* di = reinterpret_cast<NMLVDISPINFOW*>(Message.LParam);
      TListItem* item =
          di->item.iItem >= 0 && di->item.iItem < items_->Count() ? items_->Item(di->item.iItem) : nullptr;
      Message.Result = readOnly_ || !item || !CanEdit(item) ? 1 : 0;
      break;
    }
    case LVN_ENDLABELEDITW: {
      // A cancelled edit has no text. The caption is set here, so the window is told nothing.
      auto* di = reinterpret_cast<NMLVDISPINFOW*>(Message.LParam);
      if (di->item.pszText && di->item.iItem >= 0 && di->item.iItem < items_->Count())
        Edit(items_->Item(di->item.iItem), WideToUtf8(di->item.pszText));
      Message.Result = 0;
      break;
    }
    default: break;
  }
}

void TCustomListView::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY) {
    CNNotify(Message);
    return;
  }
  TWinControl::Dispatch(Message);
}
