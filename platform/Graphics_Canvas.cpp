// TCanvas: drawing on a device context with the font, pen and brush selected on demand.
#include "platform/Graphics.h"

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  ::InitializeCriticalSection(&lock_);
  font_->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
  font_->SetOwnerCriticalSection(&lock_);
  pen_->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
  pen_->SetOwnerCriticalSection(&lock_);
  brush_->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
  brush_->SetOwnerCriticalSection(&lock_);
}

TCanvas::~TCanvas() {
  // The handle belongs to whoever set it; only our objects are taken out of it.
  DeselectHandles();
  ::DeleteCriticalSection(&lock_);
}

HDC TCanvas::Handle() {
  RequiredState({csHandleValid});
  return handle_;
}

void TCanvas::SetHandle(HDC Value) {
  if (handle_ == Value) return;
  if (handle_ != nullptr) DeselectHandles();
  handle_ = Value;
  if (Value != nullptr) state_.Include(csHandleValid);
}

void TCanvas::DeselectHandles() {
  if (handle_ != nullptr && (state_ - TCanvasState{csHandleValid}) != TCanvasState()) {
    ::SelectObject(handle_, ::GetStockObject(BLACK_PEN));
    ::SelectObject(handle_, ::GetStockObject(HOLLOW_BRUSH));
    ::SelectObject(handle_, ::GetStockObject(SYSTEM_FONT));
  }
  handle_ = nullptr;
  state_ = TCanvasState();
}

void TCanvas::RequiredState(TCanvasState ReqState) {
  const TCanvasState needed = ReqState - state_;
  if (needed.Empty()) return;
  if (needed.Contains(csHandleValid)) {
    CreateHandle();
    if (handle_ == nullptr) throw EInvalidOperation("Canvas does not allow drawing");
    state_.Include(csHandleValid);
  }
  if (needed.Contains(csFontValid)) CreateFont();
  if (needed.Contains(csPenValid)) CreatePen();
  if (needed.Contains(csBrushValid)) CreateBrush();
}

void TCanvas::CreateFont() {
  ::SelectObject(handle_, font_->Handle());
  ::SetTextColor(handle_, static_cast<COLORREF>(ColorToRGB(font_->Color())));
  state_.Include(csFontValid);
}

void TCanvas::CreatePen() {
  static const int kModes[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                               R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,
                               R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN, R2_NOTXORPEN};
  ::SelectObject(handle_, pen_->Handle());
  ::SetROP2(handle_, kModes[pen_->Mode()]);
  state_.Include(csPenValid);
}

void TCanvas::CreateBrush() {
  ::UnrealizeObject(brush_->Handle());
  ::SelectObject(handle_, brush_->Handle());
  if (brush_->Style() == bsSolid) {
    ::SetBkColor(handle_, static_cast<COLORREF>(ColorToRGB(brush_->Color())));
    ::SetBkMode(handle_, OPAQUE);
  } else {
    // Hatch lines are drawn over the brush colour as background.
    ::SetBkColor(handle_, ~static_cast<COLORREF>(ColorToRGB(brush_->Color())) & 0xFFFFFF);
    ::SetBkMode(handle_, TRANSPARENT);
  }
  state_.Include(csBrushValid);
}

void TCanvas::FontChanged(TObject*) {
  if (state_.Contains(csFontValid)) {
    state_.Exclude(csFontValid);
    ::SelectObject(handle_, ::GetStockObject(SYSTEM_FONT));
  }
}

void TCanvas::PenChanged(TObject*) {
  if (state_.Contains(csPenValid)) {
    state_.Exclude(csPenValid);
    ::SelectObject(handle_, ::GetStockObject(BLACK_PEN));
  }
}

void TCanvas::BrushChanged(TObject*) {
  if (state_.Contains(csBrushValid)) {
    state_.Exclude(csBrushValid);
    ::SelectObject(handle_, ::GetStockObject(HOLLOW_BRUSH));
  }
}

void TCanvas::Refresh() {
  if (handle_ != nullptr) {
    const bool had = state_.Contains(csHandleValid);
    ::SelectObject(handle_, ::GetStockObject(BLACK_PEN));
    ::SelectObject(handle_, ::GetStockObject(HOLLOW_BRUSH));
    ::SelectObject(handle_, ::GetStockObject(SYSTEM_FONT));
    state_ = TCanvasState();
    if (had) state_.Include(csHandleValid);
  }
}

void TCanvas::Changing() { OnChanging(this); }
void TCanvas::Changed() { OnChange(this); }

void TCanvas::Lock() {
  ::EnterCriticalSection(&lock_);
  ++lockCount_;
}

void TCanvas::Unlock() {
  --lockCount_;
  ::LeaveCriticalSection(&lock_);
}

bool TCanvas::TryLock() {
  if (!::TryEnterCriticalSection(&lock_)) return false;
  ++lockCount_;
  return true;
}

TPoint TCanvas::PenPos() {
  RequiredState({csHandleValid});
  POINT p{};
  ::GetCurrentPositionEx(handle_, &p);
  return TPoint{p.x, p.y};
}

TRect TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  TRect r;
  ::GetClipBox(handle_, r.AsRECT());
  return r;
}

TColor TCanvas::Pixels(Integer X, Integer Y) {
  RequiredState({csHandleValid});
  const COLORREF c = ::GetPixel(handle_, X, Y);
  return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixels(Integer X, Integer Y, TColor Value) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  ::SetPixel(handle_, X, Y, static_cast<COLORREF>(ColorToRGB(Value)));
  Changed();
}

void TCanvas::MoveTo(Integer X, Integer Y) {
  RequiredState({csHandleValid});
  ::MoveToEx(handle_, X, Y, nullptr);
}

void TCanvas::LineTo(Integer X, Integer Y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(handle_, X, Y);
  Changed();
}

void TCanvas::Polyline(const TPoint* Points, Integer Count) {
  if (Count <= 0) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polyline(handle_, reinterpret_cast<const POINT*>(Points), Count);
  Changed();
}

void TCanvas::Polygon(const TPoint* Points, Integer Count) {
  if (Count <= 0) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polygon(handle_, reinterpret_cast<const POINT*>(Points), Count);
  Changed();
}

void TCanvas::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(handle_, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(handle_, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(handle_, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Arc(handle_, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Pie(handle_, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::FillRect(const TRect& Rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FillRect(handle_, Rect.AsRECT(), brush_->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& Rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FrameRect(handle_, Rect.AsRECT(), brush_->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& Rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::DrawFocusRect(handle_, Rect.AsRECT());
  Changed();
}

void TCanvas::FloodFill(Integer X, Integer Y, TColor Color, TFillStyle FillStyle) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::ExtFloodFill(handle_, X, Y, static_cast<COLORREF>(ColorToRGB(Color)),
                 FillStyle == fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
  Changed();
}

void TCanvas::TextOut(Integer X, Integer Y, const std::string& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  const std::wstring w = Utf8ToWide(Text);
  ::SetBkMode(handle_, brush_->Style() == bsSolid ? OPAQUE : TRANSPARENT);
  ::ExtTextOutW(handle_, X, Y, 0, nullptr, w.c_str(), static_cast<UINT>(w.size()), nullptr);
  // The pen position moves past the text, as with TA_UPDATECP.
  SIZE sz{};
  ::GetTextExtentPoint32W(handle_, w.c_str(), static_cast<int>(w.size()), &sz);
  ::MoveToEx(handle_, X + sz.cx, Y, nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& Rect, Integer X, Integer Y, const std::string& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  const std::wstring w = Utf8ToWide(Text);
  UINT options = ETO_CLIPPED;
  if (brush_->Style() != bsClear) options |= ETO_OPAQUE;
  ::SetBkMode(handle_, brush_->Style() == bsSolid ? OPAQUE : TRANSPARENT);
  ::ExtTextOutW(handle_, X, Y, options, Rect.AsRECT(), w.c_str(), static_cast<UINT>(w.size()), nullptr);
  Changed();
}

TSize TCanvas::TextExtent(const std::string& Text) {
  RequiredState({csHandleValid, csFontValid});
  const std::wstring w = Utf8ToWide(Text);
  TSize sz{};
  ::GetTextExtentPoint32W(handle_, w.c_str(), static_cast<int>(w.size()), &sz);
  return sz;
}

void TCanvas::Draw(Integer X, Integer Y, TGraphic* Graphic) {
  if (Graphic == nullptr || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  ::SetBkColor(handle_, 0xFFFFFF);
  ::SetTextColor(handle_, 0);
  Graphic->Draw(this, Bounds(X, Y, Graphic->Width(), Graphic->Height()));
  // The graphic may have changed the DC's colours; reselect ours on next use.
  state_ = state_ - TCanvasState{csFontValid, csBrushValid};
  Changed();
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
  if (Graphic == nullptr || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  Graphic->Draw(this, Rect);
  state_ = state_ - TCanvasState{csFontValid, csBrushValid};
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  HDC src = Canvas->Handle();
  ::StretchBlt(handle_, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), src, Source.Left, Source.Top,
               Source.Width(), Source.Height(), static_cast<DWORD>(copyMode_));
  Changed();
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color) {
  if (Bitmap == nullptr) return;
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  // Copy the source, then paint the brush where the source has Color.
  TBitmap mask;
  mask.Assign(Bitmap);
  mask.Mask(Color);
  HDC maskDC = mask.Canvas()->Handle();
  HDC srcDC = Bitmap->Canvas()->Handle();
  const int w = Dest.Width(), h = Dest.Height();
  ::StretchBlt(handle_, Dest.Left, Dest.Top, w, h, srcDC, Source.Left, Source.Top, Source.Width(),
               Source.Height(), SRCCOPY);
  // Where the mask is white: D = brush; else keep D.  (P & S) | (D & ~S), ROP3 0xE2 (DSPDxax).
  ::SelectObject(handle_, brush_->Handle());
  ::SetTextColor(handle_, 0);
  ::SetBkColor(handle_, 0xFFFFFF);
  ::StretchBlt(handle_, Dest.Left, Dest.Top, w, h, maskDC, Source.Left, Source.Top, Source.Width(),
               Source.Height(), 0x00E20746);
  state_ = state_ - TCanvasState{csFontValid, csBrushValid};
  Changed();
}
