#include "controls/RzCommon.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "controls/RzThemeSrv.h"
#include "platform/TypInfo.h"

void RegisterRzCommonTypes() {
  static const bool done = [] {
    RegisterEnum<TFrameStyleEx>("TFrameStyleEx", {"fsNone", "fsFlat", "fsGroove", "fsBump", "fsLowered",
                                                  "fsButtonDown", "fsRaised", "fsButtonUp", "fsStatus",
                                                  "fsPopup", "fsFlatBold", "fsFlatRounded"});
    RegisterEnum<TSide>("TSide", {"sdLeft", "sdTop", "sdRight", "sdBottom"});
    RegisterEnum<TFramingPreference>("TFramingPreference", {"fpCustomFraming", "fpXPThemes"});
    RegisterEnum<TTextStyle>("TTextStyle", {"tsNormal", "tsRaised", "tsRecessed", "tsShadow"});
    RegisterEnum<TAlignmentVertical>("TAlignmentVertical", {"avTop", "avCenter", "avBottom"});
    return true;
  }();
  (void)done;
}

// ---------------------------------------------------------------------------
// Colours.

void ColorToHslBytes(TColor Color, Byte& H, Byte& S, Byte& L) {
  Integer rgb = ColorToRGB(Color);
  double r = GetRValue(rgb) / 255.0, g = GetGValue(rgb) / 255.0, b = GetBValue(rgb) / 255.0;
  double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  double l = (mx + mn) / 2, h = 0, s = 0;
  if (mx != mn) {
    double d = mx - mn;
    s = l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
    if (r == mx)
      h = (g - b) / d;
    else if (g == mx)
      h = 2 + (b - r) / d;
    else
      h = 4 + (r - g) / d;
    h /= 6;
    if (h < 0) h += 1;
  }
  H = static_cast<Byte>(Round(h * 240));
  S = static_cast<Byte>(Round(s * 240));
  L = static_cast<Byte>(Round(l * 240));
}

Byte HueOfColor(TColor Color) {
  Byte h, s, l;
  ColorToHslBytes(Color, h, s, l);
  return h;
}

TColor ColorFromHslBytes(Byte H, Byte S, Byte L) {
  double l = L / 240.0, s = S / 240.0;
  double m2 = l >= 0.5 ? l + s - l * s : l * (1 + s);
  double r = 0, g = 0, b = 0;
  if (m2 > 0) {
    // The hue is read back on 239 steps, so a round trip may shift it slightly.
    double x = (H / 239.0) * 6;
    int k = static_cast<int>(x);
    double f = x - k;
    double m1 = 2 * l - m2;
    double rise = m1 + (m2 - m1) * f, fall = m2 - (m2 - m1) * f;
    switch (k) {
      case 1: r = fall, g = m2, b = m1; break;
      case 2: r = m1, g = m2, b = rise; break;
      case 3: r = m1, g = fall, b = m2; break;
      case 4: r = rise, g = m1, b = m2; break;
      case 5: r = m2, g = m1, b = fall; break;
      default: r = m2, g = rise, b = m1; break;
    }
  }
  auto channel = [](double v) { return static_cast<Integer>(Round(std::min(v, 1.0) * 255)); };
  return static_cast<TColor>(RGB(channel(r), channel(g), channel(b)));
}

TColor ColorDarkenedBy(TColor Color, Byte N) {
  Byte h, s, l;
  ColorToHslBytes(Color, h, s, l);
  return ColorFromHslBytes(h, s, static_cast<Byte>(std::max(l - N, 0)));
}

TColor ColorLightenedBy(TColor Color, Byte N) {
  Byte h, s, l;
  ColorToHslBytes(Color, h, s, l);
  return ColorFromHslBytes(h, s, static_cast<Byte>(std::min(l + N, 255)));
}

TColor ColorAdjustedBy(TColor Color, Integer N) {
  if (N < 0) return ColorDarkenedBy(Color, static_cast<Byte>(-N));
  if (N > 0) return ColorLightenedBy(Color, static_cast<Byte>(N));
  return Color;
}

TColor MixColors(TColor A, TColor B, Byte Weight) {
  Integer a = ColorToRGB(A), b = ColorToRGB(B);
  float w = Weight / 255.0f;
  auto mix = [w](Integer ca, Integer cb) {
    return static_cast<Integer>(Round(static_cast<Extended>(ca) * w + static_cast<Extended>(cb) * (1 - w)));
  };
  return static_cast<TColor>(RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
                                 mix(GetBValue(a), GetBValue(b))));
}

bool ColorsHardToTell(TColor A, TColor B) {
  Byte ha, sa, la, hb, sb, lb;
  ColorToHslBytes(A, ha, sa, la);
  ColorToHslBytes(B, hb, sb, lb);
  return std::abs(ha - hb) < 20 && std::abs(la - lb) < 60;
}

bool ScreenHasFullColor() {
  HDC dc = ::GetDC(nullptr);
  bool full = ::GetDeviceCaps(dc, NUMCOLORS) == -1;
  ::ReleaseDC(nullptr, dc);
  return full;
}

// ---------------------------------------------------------------------------
// Frames.

TRect RectCenteredIn(const TRect& Outer, Integer Width, Integer Height) {
  Integer l = (Outer.Left + Outer.Right - Width) / 2;
  Integer t = (Outer.Top + Outer.Bottom - Height) / 2;
  return Bounds(l, t, Width, Height);
}

TRect PaintSideLines(TCanvas* Canvas, const TRect& Bounds, TColor ULColor, TSides Sides, TColor LRColor) {
  const TRect& b = Bounds;
  if (ULColor != clNone) {
    Canvas->Pen()->SetColor(ULColor);
    if (Sides.Contains(sdLeft)) {
      Canvas->MoveTo(b.Left, b.Top);
      Canvas->LineTo(b.Left, b.Bottom);
    }
    if (Sides.Contains(sdTop)) {
      Canvas->MoveTo(b.Left, b.Top);
      Canvas->LineTo(b.Right, b.Top);
    }
  }
  if (LRColor != clNone) {
    Canvas->Pen()->SetColor(LRColor);
    if (Sides.Contains(sdRight)) {
      Canvas->MoveTo(b.Right - 1, b.Top);
      Canvas->LineTo(b.Right - 1, b.Bottom);
    }
    if (Sides.Contains(sdBottom)) {
      Canvas->MoveTo(b.Left, b.Bottom - 1);
      Canvas->LineTo(b.Right, b.Bottom - 1);
    }
  }
  TRect r = b;
  if (Sides.Contains(sdLeft)) ++r.Left;
  if (Sides.Contains(sdTop)) ++r.Top;
  if (Sides.Contains(sdRight)) --r.Right;
  if (Sides.Contains(sdBottom)) --r.Bottom;
  return r;
}

TRect PaintBevelRings(TCanvas* Canvas, const TRect& Bounds, TColor ULColor, TSides Sides, Integer Count,
                      TColor LRColor) {
  Canvas->Pen()->SetWidth(1);
  TRect r = Bounds;
  for (Integer i = 0; i < Count; ++i) r = PaintSideLines(Canvas, r, ULColor, Sides, LRColor);
  return r;
}

namespace {

TRect TwoRings(TCanvas* Canvas, const TRect& Bounds, TSides Sides, TColor OuterUL, TColor OuterLR, TColor InnerUL,
               TColor InnerLR) {
  TRect r = PaintBevelRings(Canvas, Bounds, OuterUL, Sides, 1, OuterLR);
  return PaintBevelRings(Canvas, r, InnerUL, Sides, 1, InnerLR);
}

struct TColorPair {
  TColor UL, LR;
};

TColorPair SystemFrameColors(TFrameStyle Style) {
  switch (Style) {
    case fsNone: return {clWindow, clWindow};
    case fsFlat: return {cl3DDkShadow, cl3DDkShadow};
    case fsGroove: return {clBtnShadow, clBtnHighlight};
    case fsBump: return {clBtnHighlight, clBtnShadow};
    case fsLowered: return {clBtnShadow, clBtnHighlight};
    case fsRaised: return {cl3DDkShadow, clBtnFace};
    case fsStatus: return {clBtnShadow, clBtnHighlight};
    case fsPopup: return {clBtnHighlight, clBtnShadow};
    case fsFlatBold: return {clBtnShadow, clBtnShadow};
    default: return {clNone, clNone};
  }
}

// The etched look of fsGroove and fsBump: two offset rings with fixed-up corners.
TRect PaintEtched(TCanvas* Canvas, const TRect& B, TColor UL, TColor LR, TSides Sides) {
  bool l = Sides.Contains(sdLeft), t = Sides.Contains(sdTop), r = Sides.Contains(sdRight),
       b = Sides.Contains(sdBottom);
  if (r) Canvas->SetPixels(B.Right - 1, B.Top, LR);
  if (t && !r) Canvas->SetPixels(B.Right - 1, B.Top, UL);
  if (b) Canvas->SetPixels(B.Left, B.Bottom - 1, LR);
  if (l && !b) Canvas->SetPixels(B.Left, B.Bottom - 1, UL);
  if (t && !l) Canvas->SetPixels(B.Left, B.Top + 1, LR);
  if (l && !t) Canvas->SetPixels(B.Left + 1, B.Top, LR);
  if (b && !r) Canvas->SetPixels(B.Right - 1, B.Bottom - 2, UL);
  if (r && !b) Canvas->SetPixels(B.Right - 2, B.Bottom - 1, UL);
  PaintSideLines(Canvas, Rect(B.Left + 1, B.Top + 1, B.Right, B.Bottom), LR, Sides, LR);
  PaintSideLines(Canvas, Rect(B.Left, B.Top, B.Right - 1, B.Bottom - 1), UL, Sides, UL);
  TRect inner = B;
  if (l) inner.Left += 2;
  if (t) inner.Top += 2;
  if (r) inner.Right -= 2;
  if (b) inner.Bottom -= 2;
  return inner;
}

}  // namespace

TRect PaintCtl3DFrame(TCanvas* Canvas, const TRect& Bounds, bool Lowered, TSides Sides) {
  if (Lowered) return TwoRings(Canvas, Bounds, Sides, clBtnShadow, clBtnHighlight, cl3DDkShadow, cl3DLight);
  return TwoRings(Canvas, Bounds, Sides, cl3DLight, cl3DDkShadow, clBtnHighlight, clBtnShadow);
}

TRect PaintButtonFrame(TCanvas* Canvas, const TRect& Bounds, bool Down, TSides Sides) {
  if (Down) return TwoRings(Canvas, Bounds, Sides, clBtnText, clBtnText, clBtnShadow, clBtnShadow);
  return TwoRings(Canvas, Bounds, Sides, clBtnHighlight, cl3DDkShadow, cl3DLight, clBtnShadow);
}

TRect PaintTintedButtonFrame(TCanvas* Canvas, const TRect& Bounds, TColor FaceColor, TSides Sides, bool Down) {
  TColor d100 = ColorDarkenedBy(FaceColor, 100), d50 = ColorDarkenedBy(FaceColor, 50);
  if (Down) return TwoRings(Canvas, Bounds, Sides, d100, d100, d50, d50);
  return TwoRings(Canvas, Bounds, Sides, ColorLightenedBy(FaceColor, 100), d100, ColorLightenedBy(FaceColor, 40),
                  d50);
}

TRect PaintStyledFrame(TCanvas* Canvas, const TRect& Bounds, TFrameStyle Style, TSides Sides) {
  TColorPair c = SystemFrameColors(Style);
  switch (Style) {
    case fsFlat:
    case fsStatus:
    case fsPopup: return PaintSideLines(Canvas, Bounds, c.UL, Sides, c.LR);
    case fsLowered:
    case fsRaised: return PaintCtl3DFrame(Canvas, Bounds, Style == fsLowered, Sides);
    case fsButtonDown:
    case fsButtonUp: return PaintButtonFrame(Canvas, Bounds, Style == fsButtonDown, Sides);
    case fsFlatBold: return PaintBevelRings(Canvas, Bounds, c.UL, Sides, 2, c.LR);
    case fsGroove:
    case fsBump: return PaintEtched(Canvas, Bounds, c.UL, c.LR, Sides);
    default: return Bounds;
  }
}

TRect PaintTintedStyledFrame(TCanvas* Canvas, const TRect& Bounds, TColor FaceColor, TSides Sides,
                             TFrameStyle Style) {
  TColor d50 = ColorDarkenedBy(FaceColor, 50), d100 = ColorDarkenedBy(FaceColor, 100);
  TColor l50 = ColorLightenedBy(FaceColor, 50), l100 = ColorLightenedBy(FaceColor, 100);
  switch (Style) {
    case fsFlat: return PaintBevelRings(Canvas, Bounds, d50, Sides, 1, d50);
    case fsGroove: return PaintEtched(Canvas, Bounds, d50, l100, Sides);
    case fsBump: return PaintEtched(Canvas, Bounds, l100, d50, Sides);
    case fsLowered: return TwoRings(Canvas, Bounds, Sides, d50, l100, d100, l50);
    case fsRaised: return TwoRings(Canvas, Bounds, Sides, l50, d100, l100, d50);
    case fsButtonDown:
    case fsButtonUp: return PaintTintedButtonFrame(Canvas, Bounds, FaceColor, Sides, Style == fsButtonDown);
    case fsStatus: return PaintBevelRings(Canvas, Bounds, d50, Sides, 1, l100);
    case fsPopup: return PaintBevelRings(Canvas, Bounds, l100, Sides, 1, d50);
    case fsFlatBold: return PaintBevelRings(Canvas, Bounds, d50, Sides, 2, d50);
    default: return Bounds;
  }
}

TRect PaintRoundedFlatFrame(TCanvas* Canvas, const TRect& Bounds, TColor Color, TSides Sides) {
  const TRect& b = Bounds;
  bool l = Sides.Contains(sdLeft), t = Sides.Contains(sdTop), r = Sides.Contains(sdRight),
       bt = Sides.Contains(sdBottom);
  Integer y0 = t ? b.Top + 2 : b.Top, y1 = bt ? b.Bottom - 2 : b.Bottom;
  Integer x0 = l ? b.Left + 2 : b.Left, x1 = r ? b.Right - 2 : b.Right;
  Canvas->Pen()->SetColor(Color);
  if (l) {
    Canvas->MoveTo(b.Left, y0);
    Canvas->LineTo(b.Left, y1);
  }
  if (t) {
    Canvas->MoveTo(x0, b.Top);
    Canvas->LineTo(x1, b.Top);
  }
  if (r) {
    Canvas->MoveTo(b.Right - 1, y0);
    Canvas->LineTo(b.Right - 1, y1);
  }
  if (bt) {
    Canvas->MoveTo(x0, b.Bottom - 1);
    Canvas->LineTo(x1, b.Bottom - 1);
  }
  if (l && t) Canvas->SetPixels(b.Left + 1, b.Top + 1, Color);
  if (t && r) Canvas->SetPixels(b.Right - 2, b.Top + 1, Color);
  if (r && bt) Canvas->SetPixels(b.Right - 2, b.Bottom - 2, Color);
  if (l && bt) Canvas->SetPixels(b.Left + 1, b.Bottom - 2, Color);
  return Rect(x0, y0, x1, y1);
}

TRect PaintDottedFocusFrame(TCanvas* Canvas, const TRect& Bounds) {
  const TRect& b = Bounds;
  for (Integer y = b.Top + 1; y < b.Bottom; y += 2) {
    Canvas->SetPixels(b.Left, y, clBlack);
    Canvas->SetPixels(b.Right - 1, y, clBlack);
  }
  for (Integer x = b.Left + 1; x < b.Right; x += 2) {
    Canvas->SetPixels(x, b.Top, clBlack);
    Canvas->SetPixels(x, b.Bottom - 1, clBlack);
  }
  return Rect(b.Left + 1, b.Top + 1, b.Right - 1, b.Bottom - 1);
}

TRect PaintLayeredBorders(TCanvas* Canvas, const TRect& Bounds, TFrameStyleEx OuterStyle, bool Transparent,
                          TColor ParentColor, TColor ControlColor, Integer FlatColorAdjustment, TColor FlatColor,
                          TColor ShadowColor, TColor HighlightColor, TColor BorderColor, Integer BevelWidth,
                          TSides Sides, Integer BorderWidth, TFrameStyleEx InnerStyle) {
  TColor fc = ColorAdjustedBy(FlatColor, FlatColorAdjustment);
  TRect r = Bounds;
  bool banded = BorderWidth > 0 || InnerStyle != fsNone;
  switch (OuterStyle) {
    case fsFlat: r = PaintBevelRings(Canvas, r, fc, Sides, 1, fc); break;
    case fsFlatBold: r = PaintBevelRings(Canvas, r, fc, Sides, 2, fc); break;
    case fsFlatRounded:
      if (!Transparent) {
        TRect in = PaintBevelRings(Canvas, r, ParentColor, Sides, 1, ParentColor);
        TColor c = banded ? BorderColor : ControlColor;
        PaintBevelRings(Canvas, in, c, Sides, 1, c);
      } else if (banded) {
        PaintBevelRings(Canvas, Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), BorderColor, Sides, 1,
                        BorderColor);
      }
      r = PaintRoundedFlatFrame(Canvas, r, fc, Sides);
      break;
    case fsPopup: r = PaintBevelRings(Canvas, r, HighlightColor, Sides, BevelWidth, ShadowColor); break;
    case fsStatus: r = PaintBevelRings(Canvas, r, ShadowColor, Sides, BevelWidth, HighlightColor); break;
    default: r = PaintStyledFrame(Canvas, r, OuterStyle, Sides); break;
  }
  if (BorderWidth > 0) r = PaintBevelRings(Canvas, r, BorderColor, Sides, BorderWidth, BorderColor);
  switch (InnerStyle) {
    case fsFlat: r = PaintBevelRings(Canvas, r, fc, Sides, 1, fc); break;
    case fsFlatBold: r = PaintBevelRings(Canvas, r, fc, Sides, 2, fc); break;
    case fsFlatRounded: {
      TRect in = PaintBevelRings(Canvas, r, BorderColor, Sides, 1, BorderColor);
      if (!Transparent) PaintBevelRings(Canvas, in, ControlColor, Sides, 1, ControlColor);
      r = PaintRoundedFlatFrame(Canvas, r, fc, Sides);
      break;
    }
    case fsStatus: r = PaintBevelRings(Canvas, r, ShadowColor, Sides, BevelWidth, HighlightColor); break;
    case fsPopup: r = PaintBevelRings(Canvas, r, HighlightColor, Sides, BevelWidth, ShadowColor); break;
    default: r = PaintStyledFrame(Canvas, r, InnerStyle, Sides); break;
  }
  return r;
}

void PaintControlFrame(TCanvas* Canvas, Integer Width, Integer Height, TSides Sides, TColor FrameColor,
                       TColor ControlColor, TFrameStyle Style) {
  TRect r = Rect(0, 0, Width, Height);
  PaintBevelRings(Canvas, r, ControlColor, sdAllSides, 2, ControlColor);
  switch (Style) {
    case fsFlat: PaintSideLines(Canvas, r, FrameColor, Sides, FrameColor); break;
    case fsFlatBold: PaintBevelRings(Canvas, r, FrameColor, Sides, 2, FrameColor); break;
    default:
      if (ControlColor == clWindow)
        PaintStyledFrame(Canvas, r, Style, Sides);
      else
        PaintTintedStyledFrame(Canvas, r, ControlColor, Sides, Style);
      break;
  }
}

// ---------------------------------------------------------------------------
// Arrows.

namespace {

TColor ArrowColor(Integer ThemedLook, bool Enabled) {
  if (!Enabled) return clBtnShadow;
  if (ThemedLook != 1) return clBlack;
  // The arrow takes the colour the themed drop button shows in its middle,
  // unless that is too close to the window colour to be seen.
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(17, 21);
  SharedThemeServices()->PaintElement(bmp->Canvas()->Handle(), TThemeServices::DetailsFor(tcDropDownButtonNormal),
                                      Rect(0, 0, 16, 20));
  TColor c = bmp->Canvas()->Pixels(8, 10);
  return ColorsHardToTell(c, clWindow) ? cl3DDkShadow : c;
}

void FillArrow(TCanvas* Canvas, const std::vector<TPoint>& Points, TColor Color) {
  TColor oldColor = Canvas->Brush()->Color();
  TBrushStyle oldStyle = Canvas->Brush()->Style();
  Canvas->Brush()->SetColor(Color);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Pen()->SetStyle(psClear);
  Canvas->Polygon(Points);
  Canvas->Brush()->SetColor(oldColor);
  Canvas->Brush()->SetStyle(oldStyle);
  Canvas->Pen()->SetStyle(psSolid);
}

TPoint ArrowCentre(const TRect& R) {
  Integer x = R.Left + (R.Right - R.Left) / 2;
  Integer h = R.Bottom - R.Top;
  Integer y = R.Top + h / 2 - (h % 2 == 0 ? 1 : 0);
  return Point(x, y);
}

}  // namespace

void PaintDropArrow(TCanvas* Canvas, const TRect& R, Integer ThemedLook, bool Down, bool Enabled) {
  TColor color = ArrowColor(ThemedLook, Enabled);
  TPoint c = ArrowCentre(R);
  Integer X = c.X, Y = c.Y + (ThemedLook == 1 ? 4 : 2);
  if (Down) ++X, ++Y;
  if (ThemedLook == 1)
    FillArrow(Canvas, {{X, Y}, {X - 4, Y - 5}, {X - 3, Y - 7}, {X, Y - 3}, {X + 3, Y - 7}, {X + 5, Y - 5}}, color);
  else
    FillArrow(Canvas, {{X, Y}, {X - 3, Y - 4}, {X + 4, Y - 4}}, color);
}

void PaintDirectionArrow(TCanvas* Canvas, const TRect& R, Integer ThemedLook, TArrowDirection Direction,
                         bool Down, bool Enabled) {
  TColor color = ArrowColor(ThemedLook, Enabled);
  TPoint c = ArrowCentre(R);
  Integer X = c.X, Y = c.Y;
  bool themed = ThemedLook == 1;
  switch (Direction) {
    case adUp: Y += themed ? 4 : 2; break;
    case adDown: Y += 2; break;
    case adLeft: X += themed ? -1 : -2; break;
    case adRight: X += themed ? -3 : -2; break;
  }
  if (Down && Enabled) ++X, ++Y;
  std::vector<TPoint> p;
  switch (Direction) {
    case adUp:
      p = themed ? std::vector<TPoint>{{X, Y - 5}, {X + 4, Y}, {X + 1, Y}, {X, Y - 2}, {X - 1, Y}, {X - 4, Y}}
                 : std::vector<TPoint>{{X, Y - 5}, {X + 4, Y}, {X - 4, Y}};
      break;
    case adDown:
      p = themed ? std::vector<TPoint>{{X, Y}, {X - 3, Y - 4}, {X, Y - 4}, {X, Y - 3}, {X + 1, Y - 4}, {X + 4, Y - 4}}
                 : std::vector<TPoint>{{X, Y + 1}, {X - 3, Y - 3}, {X + 4, Y - 3}};
      break;
    case adLeft:
      p = themed ? std::vector<TPoint>{{X, Y}, {X + 4, Y - 4}, {X + 4, Y - 1}, {X + 3, Y}, {X + 4, Y + 1}, {X + 4, Y + 4}}
                 : std::vector<TPoint>{{X, Y}, {X + 4, Y - 4}, {X + 4, Y + 4}};
      break;
    case adRight:
      p = themed ? std::vector<TPoint>{{X + 4, Y}, {X, Y + 4}, {X, Y + 1}, {X + 1, Y}, {X, Y - 1}, {X, Y - 4}}
                 : std::vector<TPoint>{{X + 4, Y}, {X, Y + 4}, {X, Y - 4}};
      break;
  }
  FillArrow(Canvas, p, color);
}

// ---------------------------------------------------------------------------
// Fonts and the system.

HFONT CreateAngledFont(TFont* Font, Integer Angle) {
  LOGFONTW lf{};
  lf.lfHeight = Font->Height();
  lf.lfWidth = 0;
  lf.lfEscapement = Angle * 10;
  lf.lfOrientation = 0;
  lf.lfWeight = Font->Style().Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = Font->Style().Contains(fsItalic) ? 1 : 0;
  lf.lfUnderline = Font->Style().Contains(fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = Font->Style().Contains(fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  switch (Font->Pitch()) {
    case fpVariable: lf.lfPitchAndFamily = VARIABLE_PITCH; break;
    case fpFixed: lf.lfPitchAndFamily = FIXED_PITCH; break;
    default: lf.lfPitchAndFamily = DEFAULT_PITCH; break;
  }
  std::wstring face = Utf8ToWide(Font->Name());
  face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  return ::CreateFontIndirectW(&lf);
}

namespace {
TEXTMETRICW ScreenMetrics(TFont* Font) {
  TEXTMETRICW tm{};
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, Font->Handle());
  ::GetTextMetricsW(dc, &tm);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  return tm;
}
}  // namespace

bool FontIsTrueType(TFont* Font) { return (ScreenMetrics(Font).tmPitchAndFamily & TMPF_TRUETYPE) != 0; }

Integer FontLineHeight(TFont* Font) { return ScreenMetrics(Font).tmHeight + 2; }

bool RunningWindowsRelease(Integer Release) {
  OSVERSIONINFOW vi{};
  vi.dwOSVersionInfoSize = sizeof vi;
  if (!::GetVersionExW(&vi)) return false;
  bool win9x = vi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS, nt = vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
  DWORD major = vi.dwMajorVersion, minor = vi.dwMinorVersion;
  switch (Release) {
    case 0: return win9x && major <= 4 && minor == 0;
    case 1: return nt && major <= 4;
    case 2: return win9x && major <= 4 && minor == 10;
    case 3: return win9x && major <= 4 && minor == 90;
    case 4: return nt && major == 5 && minor == 0;
    case 5: return nt && major == 5 && minor == 1;
    case 6: return nt && major == 5 && minor == 2;
    default: return false;
  }
}

void TellDesignerModified(TControl* /*Control*/) {
  // Our forms have no designer: controls are never designed at run time.
}
