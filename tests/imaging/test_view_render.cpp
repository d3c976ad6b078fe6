// What the image view paints: the picture at several zooms and scroll offsets
// over every background style, against a reference computed here by mapping
// each client pixel to its picture pixel; the pixel grid. One PNG per case in
// the build folder.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "imaging/buffer/iecolors.h"
#include "tests/imaging/view_fixture.h"

using namespace viewtest;

namespace {

constexpr Integer kPicW = 300, kPicH = 90;
constexpr TColor kBackground = 0x00C08040;  // blue 0xC0, green 0x80, red 0x40

const char* const kStyleNames[] = {"solid",      "horizontal", "vertical",  "fdiagonal", "bdiagonal", "cross",
                                   "diagcross",  "chessboard", "diagonals", "cropped",   "cropshadow"};

// The background alone, painted with plain GDI calls (or per pixel) for the
// client area W x H around the picture at Image.
std::unique_ptr<TBitmap> ReferenceBackground(TIEBackgroundStyle Style, Integer W, Integer H, const RECT& Image) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(W, H);
  HDC dc = b->Canvas()->Handle();
  const COLORREF bg = kBackground, inv = ~kBackground & 0xFFFFFF;
  const RECT all{0, 0, W, H};
  auto fill = [&](COLORREF c) {
    HBRUSH br = CreateSolidBrush(c);
    FillRect(dc, &all, br);
    DeleteObject(br);
  };
  const bool shown = Image.right - Image.left >= 2 && Image.bottom - Image.top >= 2;
  switch (Style) {
    case iebsSolid:
      fill(bg);
      break;
    case iebsChessboard:
      for (Integer y = 0; y < H; ++y)
        for (Integer x = 0; x < W; ++x) SetPixel(dc, x, y, ((x / 16 + y / 16) & 1) == 0 ? inv : bg);
      break;
    case iebsDiagonals: {
      fill(bg);
      HPEN pen = CreatePen(PS_SOLID, 1, inv);
      HGDIOBJ old = SelectObject(dc, pen);
      MoveToEx(dc, 0, 0, nullptr);
      LineTo(dc, W, H);
      MoveToEx(dc, W, 0, nullptr);
      LineTo(dc, 0, H);
      SelectObject(dc, old);
      DeleteObject(pen);
      break;
    }
    case iebsCropped:
    case iebsCropShadow: {
      fill(GetSysColor(COLOR_BTNFACE));
      if (!shown) break;
      if (Style == iebsCropped) {
        RECT r = Image;
        InflateRect(&r, GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE));
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
      } else {
        PaintShadowStripVertical(b->Canvas(), Image.right, Image.top, Image.right + 5, Image.bottom + 3, 2);
        PaintShadowStripHorizontal(b->Canvas(), Image.left, Image.bottom, Image.right + 4, Image.bottom + 5, 2);
      }
      break;
    }
    default: {  // the hatches: lines in the background colour over its complement
      static const int hatch[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
      HBRUSH br = CreateHatchBrush(hatch[Style - iebsHorizontal], bg);
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, inv);
      SetBrushOrgEx(dc, 0, 0, nullptr);
      FillRect(dc, &all, br);
      DeleteObject(br);
    }
  }
  return b;
}

// The visible part of one axis by the view's rules: zoomed size, shown extent,
// origin, source start and length, destination length.
struct TAxis {
  Integer zoomed, extent, origin, src, srcLen, dst;
};

TAxis AxisOf(Integer Picture, Integer Client, double Zoom, Integer Scroll) {
  TAxis a{};
  const double f = Zoom / 100;
  a.zoomed = static_cast<Integer>(std::nearbyint(Picture * f));  // halves to even
  a.extent = std::min(a.zoomed, Client);
  a.origin = (Client - a.extent) / 2;
  const double r = static_cast<double>(Picture) / a.zoomed;
  a.src = static_cast<Integer>(std::nearbyint(Scroll * r));
  a.srcLen = static_cast<Integer>(std::nearbyint(r * a.extent));
  if (a.src + a.srcLen > Picture) --a.srcLen;
  a.dst = a.extent;
  if (Zoom > 100) {
    a.dst = static_cast<Integer>(std::trunc(a.srcLen * f));
    if (a.dst < a.extent && a.src + a.srcLen < Picture) a.dst = static_cast<Integer>(std::trunc(++a.srcLen * f));
  }
  return a;
}

// The largest scroll offset: the zoomed picture plus half a pixel, less the client.
Integer MaxScrollOf(Integer Picture, Integer Client, double Zoom) {
  return std::max(static_cast<Integer>(std::trunc((Picture + 0.5) * Zoom / 100)) - Client, 0);
}

struct TZoomCase {
  const char* name;
  double zoom;  // 0: fit
};
struct TScrollCase {
  const char* name;
  Integer x, y;
};

}  // namespace

TEST(ViewRender, EveryZoomScrollAndBackgroundMatchesTheNearestNeighbourReference) {
  const TZoomCase zooms[] = {{"z25", 25}, {"z100", 100}, {"z333", 333}, {"fit", 0}};
  // The last offsets ask for more than the picture has: the view stops at its edge.
  const TScrollCase scrolls[] = {{"s0", 0, 0}, {"smid", 37, 11}, {"sfar", 100000, 100000}};
  TViewForm f(200, 150);
  auto picture = MakePicture(kPicW, kPicH);
  f.view->SetBackground(kBackground);
  f.Load(picture.get());
  Integer cases = 0;
  for (const TZoomCase& z : zooms) {
    for (const TScrollCase& s : scrolls) {
      for (Integer style = iebsSolid; style <= iebsCropShadow; ++style) {
        const auto bs = static_cast<TIEBackgroundStyle>(style);
        const std::string name = std::string("view_render_") + z.name + "_" + s.name + "_" + kStyleNames[style];
        SCOPED_TRACE(name);
        f.view->SetBackgroundStyle(bs);
        double zoom = z.zoom;
        if (zoom == 0) {
          // Fit: the control's outer size less the style's margins.
          const Integer m = bs == iebsCropped ? GetSystemMetrics(SM_CXEDGE) : bs == iebsCropShadow ? 5 : 0;
          const Integer my = bs == iebsCropped ? GetSystemMetrics(SM_CYEDGE) : m;
          zoom = std::min((150.0 - 2 * my) / (kPicH / 100.0), (200.0 - 2 * m) / (kPicW / 100.0));
          f.view->FitToClient();
        } else {
          f.view->SetZoom(zoom);
        }
        EXPECT_DOUBLE_EQ(f.view->Zoom(), zoom);
        f.view->SetScrollXY(s.x, s.y);
        Application->ProcessMessages();
        const Integer cw = f.view->ClientWidth(), ch = f.view->ClientHeight();
        const bool fitsOuter = std::trunc((kPicW + 0.5) * zoom / 100) <= 200 && std::trunc((kPicH + 0.5) * zoom / 100) <= 150;
        const Integer sx = fitsOuter ? 0 : std::min(s.x, MaxScrollOf(kPicW, cw, zoom));
        const Integer sy = fitsOuter ? 0 : std::min(s.y, MaxScrollOf(kPicH, ch, zoom));
        ASSERT_EQ(f.view->ScrollX(), sx);
        ASSERT_EQ(f.view->ScrollY(), sy);

        const TAxis ax = AxisOf(kPicW, cw, zoom, sx), ay = AxisOf(kPicH, ch, zoom, sy);
        // Never a row or column outside the picture.
        ASSERT_GE(ax.src, 0);
        ASSERT_LE(ax.src + ax.srcLen, kPicW);
        ASSERT_LE(ay.src + ay.srcLen, kPicH);
        const RECT image{ax.origin, ay.origin, ax.origin + ax.dst, ay.origin + ay.dst};
        auto ref = ReferenceBackground(bs, cw, ch, image);
        for (Integer py = std::max<Integer>(image.top, 0); py < std::min<Integer>(image.bottom, ch); ++py) {
          Byte* row = static_cast<Byte*>(ref->ScanLine(py));
          const Integer iy = ay.src + (py - ay.origin) * ay.srcLen / ay.dst;
          for (Integer px = std::max<Integer>(image.left, 0); px < std::min<Integer>(image.right, cw); ++px) {
            const Integer ix = ax.src + (px - ax.origin) * ax.srcLen / ax.dst;
            const COLORREF c = PictureColor(ix, iy);
            row[3 * px] = GetBValue(c);
            row[3 * px + 1] = GetGValue(c);
            row[3 * px + 2] = GetRValue(c);
          }
        }

        auto shot = Capture(f.view);
        SaveBitmapAsPng(shot.get(), name + ".png");
        Integer wrong = 0, firstX = -1, firstY = -1;
        for (Integer y = 0; y < ch; ++y)
          for (Integer x = 0; x < cw; ++x)
            if (PixelOf(shot.get(), x, y) != PixelOf(ref.get(), x, y) && wrong++ == 0) firstX = x, firstY = y;
        EXPECT_EQ(wrong, 0) << "first at " << firstX << "," << firstY << ": got " << std::hex
                            << (wrong ? PixelOf(shot.get(), firstX, firstY) : 0) << " want "
                            << (wrong ? PixelOf(ref.get(), firstX, firstY) : 0);
        if (wrong) SaveBitmapAsPng(ref.get(), name + "_expected.png");
        ++cases;
      }
    }
  }
  EXPECT_EQ(cases, 4 * 3 * 11);
}

TEST(ViewRender, PixelGridFromZoom400) {
  TViewForm f(200, 150);
  auto picture = MakePicture(40, 30);
  f.Load(picture.get());
  f.view->DisplayGrid = true;
  for (const double zoom : {400.0, 399.0, 500.0}) {
    SCOPED_TRACE(zoom);
    f.view->SetZoom(zoom);
    f.view->SetScrollXY(13, 7);
    Application->ProcessMessages();
    const Integer cw = f.view->ClientWidth(), ch = f.view->ClientHeight();
    const TAxis ax = AxisOf(40, cw, zoom, f.view->ScrollX()), ay = AxisOf(30, ch, zoom, f.view->ScrollY());
    auto shot = Capture(f.view);
    SaveBitmapAsPng(shot.get(), "view_grid_" + std::to_string(static_cast<int>(zoom)) + ".png");
    // A pixel on a grid line is the complement of its picture pixel; where a
    // row line crosses a column line it is inverted twice.
    Integer wrong = 0, lines = 0;
    for (Integer py = ay.origin; py < std::min(ay.origin + ay.dst, ch); ++py) {
      const Integer iy = ay.src + (py - ay.origin) * ay.srcLen / ay.dst;
      const Integer iyPrev = ay.src + (py - 1 - ay.origin) * ay.srcLen / ay.dst;
      const bool rowLine = zoom >= 400 && (py == ay.origin || iy != iyPrev);
      for (Integer px = ax.origin; px < std::min(ax.origin + ax.dst, cw); ++px) {
        const Integer ix = ax.src + (px - ax.origin) * ax.srcLen / ax.dst;
        const Integer ixPrev = ax.src + (px - 1 - ax.origin) * ax.srcLen / ax.dst;
        const bool colLine = zoom >= 400 && (px == ax.origin || ix != ixPrev);
        COLORREF want = PictureColor(ix, iy);
        if (rowLine != colLine) want = ~want & 0xFFFFFF;
        if (rowLine || colLine) ++lines;
        if (PixelOf(shot.get(), px, py) != want && wrong++ == 0)
          ADD_FAILURE() << "first wrong at " << px << "," << py << std::hex << ": got " << PixelOf(shot.get(), px, py)
                        << " want " << want;
      }
    }
    EXPECT_EQ(wrong, 0);
    if (zoom >= 400)
      EXPECT_GT(lines, 0);
    else
      EXPECT_EQ(lines, 0);
  }
}
