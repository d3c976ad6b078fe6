#include "controls/RzGrafx.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/Forms.h"

// ---------------------------------------------------------------------------
// The parent's background.

void CopyParentBackground(TControl* Control, HDC DC, bool InvalidateParent) {
  TWinControl* parent = Control->Parent();
  if (!parent) return;
  // A windowless control is painted again by its parent's WM_PAINT: it must
  // not copy the background a second time from inside that paint.
  static std::vector<TControl*> copying;
  if (std::find(copying.begin(), copying.end(), Control) != copying.end()) return;
  copying.push_back(Control);
  struct TRestore {
    HDC DC;
    int Saved;
    ~TRestore() {
      ::RestoreDC(DC, Saved);
      copying.pop_back();
    }
  } restore{DC, ::SaveDC(DC)};
  POINT org;
  ::GetViewportOrgEx(DC, &org);
  ::SetViewportOrgEx(DC, org.x - Control->Left(), org.y - Control->Top(), nullptr);
  ::IntersectClipRect(DC, 0, 0, parent->ClientWidth(), parent->ClientHeight());
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  if (InvalidateParent && !dynamic_cast<TCustomControl*>(parent) && !dynamic_cast<TCustomForm*>(parent))
    parent->Invalidate();
}

// ---------------------------------------------------------------------------
// Glyphs without their transparent colour.

namespace {

// A memory DC holding a bitmap, released on every road out.
struct TMemoryBitmap {
  HDC DC = nullptr;
  HBITMAP Bitmap = nullptr;
  HGDIOBJ Old = nullptr;
  TMemoryBitmap(HDC Reference, Integer W, Integer H, bool Mono) {
    DC = ::CreateCompatibleDC(Reference);
    Bitmap = Mono ? ::CreateBitmap(W, H, 1, 1, nullptr) : ::CreateCompatibleBitmap(Reference, W, H);
    Old = ::SelectObject(DC, Bitmap);
  }
  ~TMemoryBitmap() {
    ::SelectObject(DC, Old);
    ::DeleteObject(Bitmap);
    ::DeleteDC(DC);
  }
  TMemoryBitmap(const TMemoryBitmap&) = delete;
  TMemoryBitmap& operator=(const TMemoryBitmap&) = delete;
};

constexpr DWORD ROP_DSna = 0x00220326;  // destination AND NOT source

}  // namespace

void DrawBitmapSkippingColor(TCanvas* Canvas, TBitmap* Bitmap, const TRect& Dest, const TRect& Source,
                             TColor TransparentColor) {
  Integer W = Dest.Width(), H = Dest.Height();
  if (W <= 0 || H <= 0) return;
  HDC dest = Canvas->Handle();
  HDC src = Bitmap->Canvas()->Handle();
  TMemoryBitmap colour(dest, W, H, false);
  ::SetStretchBltMode(colour.DC, COLORONCOLOR);
  ::StretchBlt(colour.DC, 0, 0, W, H, src, Source.Left, Source.Top, Source.Width(), Source.Height(), SRCCOPY);
  // The mask: 1 where the pixel has the transparent colour.
  TMemoryBitmap mask(dest, W, H, true);
  ::SetBkColor(colour.DC, static_cast<COLORREF>(ColorToRGB(TransparentColor) & 0xFFFFFF));
  ::BitBlt(mask.DC, 0, 0, W, H, colour.DC, 0, 0, SRCCOPY);
  // Transparent pixels of the colour copy become black, the canvas keeps its
  // pixels there and is black elsewhere; OR puts the glyph in.
  COLORREF oldText = ::SetTextColor(dest, RGB(0, 0, 0));
  COLORREF oldBk = ::SetBkColor(dest, RGB(255, 255, 255));
  ::SetTextColor(colour.DC, RGB(0, 0, 0));
  ::SetBkColor(colour.DC, RGB(255, 255, 255));
  ::BitBlt(colour.DC, 0, 0, W, H, mask.DC, 0, 0, ROP_DSna);
  ::BitBlt(dest, Dest.Left, Dest.Top, W, H, mask.DC, 0, 0, SRCAND);
  ::BitBlt(dest, Dest.Left, Dest.Top, W, H, colour.DC, 0, 0, SRCPAINT);
  ::SetTextColor(dest, oldText);
  ::SetBkColor(dest, oldBk);
}

// ---------------------------------------------------------------------------
// Gradients.

namespace {

void FillSolid(HDC DC, const RECT& R, COLORREF Color) {
  HBRUSH brush = ::CreateSolidBrush(Color);
  ::FillRect(DC, &R, brush);
  ::DeleteObject(brush);
}

Integer MinimumBand(Byte P, Integer Base) {
  Integer m = P <= 8 ? P : Base / P + 1;
  return std::max(m, 1);
}

// 16.16 fixed-point colour stepping from one colour towards another in N steps.
struct TColorStepper {
  int32_t Acc[3], Inc[3];
  TColorStepper(COLORREF From, COLORREF To, Integer N) {
    const int32_t f[3] = {GetRValue(From), GetGValue(From), GetBValue(From)};
    const int32_t t[3] = {GetRValue(To), GetGValue(To), GetBValue(To)};
    for (int i = 0; i < 3; ++i) {
      Acc[i] = f[i] << 16;
      Inc[i] = N > 0 ? ((t[i] << 16) - (f[i] << 16)) / N : 0;
    }
  }
  COLORREF Current() const { return RGB((Acc[0] >> 16) & 0xFF, (Acc[1] >> 16) & 0xFF, (Acc[2] >> 16) & 0xFF); }
  void Step() {
    for (int i = 0; i < 3; ++i) Acc[i] += Inc[i];
  }
};

// One pass of RampStrip from position S down to B, the last band reaching B - 1.
void StripPass(HDC DC, bool Horizontal, Integer S, Integer B, Integer MinBand, COLORREF From, COLORREF To) {
  Integer n = S - B + 1;
  if (n <= 0) return;
  TColorStepper c(From, To, n);
  Integer pos = S;
  COLORREF cur = c.Current();
  for (;;) {
    Integer bandStart = pos, count = 0;
    COLORREF bandColor = cur;
    do {
      --pos;
      c.Step();
      ++count;
      cur = c.Current();
    } while ((cur == bandColor || count < MinBand) && pos >= B);
    RECT r = Horizontal ? RECT{pos, 0, bandStart, 8} : RECT{0, pos, 8, bandStart};
    FillSolid(DC, r, bandColor);
    if (pos < B) break;
  }
}

}  // namespace

void RampStrip(HDC DC, Integer XMiddle, Integer YMiddle, Byte BandParameter, TColor Color1, TColor Color2,
               Integer Extent) {
  bool horizontal = XMiddle != 0;
  Integer middle = horizontal ? XMiddle : YMiddle;
  COLORREF c1 = static_cast<COLORREF>(ColorToRGB(Color1)), c2 = static_cast<COLORREF>(ColorToRGB(Color2));
  Integer m = MinimumBand(BandParameter, 255);
  Integer start = middle < 0 ? Extent : middle + 1;
  StripPass(DC, horizontal, start, 1, m, c1, c2);
  // Centre-out: the far half goes from Color2 at the edge back to Color1 at the middle.
  if (middle > 0) StripPass(DC, horizontal, Extent, middle + 2, m, c2, c1);
}

void RampNestedRects(HDC DC, Integer Width, Integer Height, Byte BandParameter, TColor Color1, TColor Color2,
                     Integer VerticalInset, Integer HorizontalInset) {
  Integer hw = (Width - 1) / 2, hh = (Height - 1) / 2;
  Integer n = std::max(hw - HorizontalInset, hh - VerticalInset) + 1;
  if (n <= 0) return;
  Integer m = MinimumBand(BandParameter, 256);
  COLORREF c1 = static_cast<COLORREF>(ColorToRGB(Color1)), c2 = static_cast<COLORREF>(ColorToRGB(Color2));
  TColorStepper c(c1, c2, n);
  // Half extents grow from the insets at the centre to the quarter's edges.
  int32_t ex = std::max<Integer>(HorizontalInset, 0) << 16, ey = std::max<Integer>(VerticalInset, 0) << 16;
  int32_t dx = ((hw << 16) - ex) / n, dy = ((hh << 16) - ey) / n;
  Integer prevX = -1, prevY = -1;  // extents already painted (none yet)
  Integer step = 0;
  while (step < n) {
    COLORREF bandColor = c.Current();
    Integer count = 0;
    do {
      c.Step();
      ex += dx;
      ey += dy;
      ++step;
      ++count;
    } while ((c.Current() == bandColor || count < m) && step < n);
    Integer x = step >= n ? hw : std::min<Integer>(ex >> 16, hw);
    Integer y = step >= n ? hh : std::min<Integer>(ey >> 16, hh);
    // An L of a horizontal and a vertical bar around what is painted already.
    RECT top{hw - x, hh - y, hw + 1, hh - prevY};
    RECT left{hw - x, hh - y, hw - prevX, hh + 1};
    HBRUSH brush = ::CreateSolidBrush(bandColor);
    ::FillRect(DC, &top, brush);
    ::FillRect(DC, &left, brush);
    ::DeleteObject(brush);
    prevX = x;
    prevY = y;
  }
}

void RampDiagonal(HDC DC, Integer Width, Integer Height, Byte BandParameter, TColor Color1, TColor Color2) {
  bool mirrored = Width < 0;
  Integer W = std::abs(Width), H = Height;
  COLORREF c1 = static_cast<COLORREF>(ColorToRGB(Color1)), c2 = static_cast<COLORREF>(ColorToRGB(Color2));
  if (mirrored) std::swap(c1, c2);
  Integer n = static_cast<Integer>(std::sqrt(static_cast<double>(W) * W + static_cast<double>(H) * H)) + 1;
  Integer m = MinimumBand(BandParameter, 255);
  TColorStepper c(c1, c2, n);
  // Bands across the diagonal: the lines x + y = d, d running from the
  // top-left corner (0) to the bottom-right one (W + H).
  Integer total = W + H;
  Integer step = 0;
  HGDIOBJ oldPen = ::SelectObject(DC, ::GetStockObject(NULL_PEN));
  while (step < n) {
    COLORREF bandColor = c.Current();
    Integer first = step, count = 0;
    do {
      c.Step();
      ++step;
      ++count;
    } while ((c.Current() == bandColor || count < m) && step < n);
    Integer d0 = static_cast<Integer>(static_cast<int64_t>(first) * total / n);
    Integer d1 = step >= n ? total + 2 : static_cast<Integer>(static_cast<int64_t>(step) * total / n);
    POINT p[4] = {{d0, -1}, {d1 + 1, -1}, {-1, d1 + 1}, {-1, d0}};
    if (mirrored)
      for (POINT& q : p) q.x = W - 1 - q.x;
    HBRUSH brush = ::CreateSolidBrush(bandColor);
    HGDIOBJ oldBrush = ::SelectObject(DC, brush);
    ::Polygon(DC, p, 4);
    ::SelectObject(DC, oldBrush);
    ::DeleteObject(brush);
  }
  ::SelectObject(DC, oldPen);
}

void ReplicateBlock(HDC DC, Integer X, Integer Y, DWORD Rop, Integer PaintedHeight, Integer PaintedWidth,
                    Integer FullHeight, Integer FullWidth) {
  Integer cw = PaintedWidth, ch = PaintedHeight;
  if (cw <= 0 || ch <= 0) return;
  bool widthTurn = true;
  while (cw < FullWidth || ch < FullHeight) {
    if ((widthTurn && cw < FullWidth) || ch >= FullHeight) {
      Integer w = std::min(cw, FullWidth - cw);
      ::BitBlt(DC, X + cw, Y, w, ch, DC, X, Y, Rop);
      cw += w;
    } else {
      Integer h = std::min(ch, FullHeight - ch);
      ::BitBlt(DC, X, Y + ch, cw, h, DC, X, Y, Rop);
      ch += h;
    }
    widthTurn = !widthTurn;
  }
}

void MirrorQuarterBlock(HDC DC, Integer X, Integer Y, DWORD Rop, Integer Height, Integer Width) {
  // The quarter holds the middle row and column of an odd size; the rest is
  // its mirror image, every column and row covered.
  Integer hw = Width / 2, hh = Height / 2;
  Integer qw = Width - hw;
  ::SetStretchBltMode(DC, COLORONCOLOR);
  ::StretchBlt(DC, X, Y + Height - 1, qw, -hh, DC, X, Y, qw, hh, Rop);
  ::StretchBlt(DC, X + Width - 1, Y, -hw, Height, DC, X, Y, hw, Height, Rop);
}

void PaintColorRamp(TCanvas* Canvas, const TRect& R, Integer Kind, Byte BandParameter, TColor Color1,
                    TColor Color2) {
  Integer W = R.Width(), H = R.Height();
  if (W <= 0 || H <= 0) return;
  TColor c1 = ColorToRGB(Color1), c2 = ColorToRGB(Color2);
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(W, H);
  TCanvas* bc = bmp->Canvas();
  bc->Pen()->SetWidth(1);
  bc->Pen()->SetStyle(psClear);
  bc->Pen()->SetMode(pmCopy);
  bc->Brush()->SetStyle(bsSolid);
  HDC dc = bc->Handle();
  const Byte P = BandParameter;
  switch (Kind) {
    case 0:
    case 1:
      if (c1 == c2) {
        RECT all{0, 0, W, H};
        FillSolid(dc, all, static_cast<COLORREF>(c2));
      } else {
        RampDiagonal(dc, Kind == 0 ? W : -W, H, P, c1, c2);
      }
      break;
    case 2:
      RampStrip(dc, 0, -1, P, c1, c2, H);
      ReplicateBlock(dc, 0, 0, SRCCOPY, H, 8, H, W);
      break;
    case 3:
      RampStrip(dc, 0, H / 2, P, c1, c2, H);
      ReplicateBlock(dc, 0, 0, SRCCOPY, H, 8, H, W);
      break;
    case 4:
      RampNestedRects(dc, W, H, P, c1, c2, 0, W / 4);
      MirrorQuarterBlock(dc, 0, 0, SRCCOPY, H, W);
      break;
    case 5:
      RampStrip(dc, -1, 0, P, c1, c2, W);
      ReplicateBlock(dc, 0, 0, SRCCOPY, 8, W, H, W);
      break;
    case 6:
      RampStrip(dc, W / 2, 0, P, c1, c2, W);
      ReplicateBlock(dc, 0, 0, SRCCOPY, 8, W, H, W);
      break;
    case 7:
      RampNestedRects(dc, W, H, P, c1, c2, H / 4, 0);
      MirrorQuarterBlock(dc, 0, 0, SRCCOPY, H, W);
      break;
    case 8:
      RampNestedRects(dc, W, H, P, c1, c2, 0, 0);
      MirrorQuarterBlock(dc, 0, 0, SRCCOPY, H, W);
      break;
    case 9:
      RampNestedRects(dc, W, H, P, c1, c2, H / 4, W / 4);
      MirrorQuarterBlock(dc, 0, 0, SRCCOPY, H, W);
      break;
    default: break;
  }
  Canvas->Draw(R.Left, R.Top, bmp.get());
}
