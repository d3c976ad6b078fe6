// Shared pieces of the styled controls: the frame and text enumerations,
// colour arithmetic on hue/saturation/lightness bytes, the border, frame and
// arrow painters (each returns the rectangle left inside what it drew, so
// borders stack), font helpers, and the frame controller with the blink list
// (RzCommon_Frame.cpp).
#pragma once

#include <string>

#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/System.h"

// ---------------------------------------------------------------------------
// Shared enumerations.
enum TFrameStyleEx {
  fsNone, fsFlat, fsGroove, fsBump, fsLowered, fsButtonDown, fsRaised, fsButtonUp, fsStatus, fsPopup,
  fsFlatBold, fsFlatRounded
};
// fsNone..fsFlatBold; the painters treat fsFlatRounded through PaintLayeredBorders.
using TFrameStyle = TFrameStyleEx;

enum TSide { sdLeft, sdTop, sdRight, sdBottom };
using TSides = TEnumSet<TSide>;
constexpr TSides sdAllSides{sdLeft, sdTop, sdRight, sdBottom};

enum TFramingPreference { fpCustomFraming, fpXPThemes };
enum TTextStyle { tsNormal, tsRaised, tsRecessed, tsShadow };
enum TAlignmentVertical { avTop, avCenter, avBottom };
enum TArrowDirection { adUp, adDown, adLeft, adRight };

// Enters the names of the enumerations above for the property tables (idempotent).
void RegisterRzCommonTypes();

// ---------------------------------------------------------------------------
// Colour arithmetic. Hue, saturation and lightness are bytes on a 0..240 scale.
void ColorToHslBytes(TColor Color, Byte& H, Byte& S, Byte& L);
Byte HueOfColor(TColor Color);
TColor ColorFromHslBytes(Byte H, Byte S, Byte L);
TColor ColorDarkenedBy(TColor Color, Byte N);
TColor ColorLightenedBy(TColor Color, Byte N);
// N < 0 darkens, N > 0 lightens, 0 returns the colour as given (even a system colour).
TColor ColorAdjustedBy(TColor Color, Integer N);
// Per channel round(A·w + B·(1 − w)), w = Weight / 255.
TColor MixColors(TColor A, TColor B, Byte Weight);
bool ColorsHardToTell(TColor A, TColor B);
bool ScreenHasFullColor();

// ---------------------------------------------------------------------------
// Rectangles, sides and frames.
TRect RectCenteredIn(const TRect& Outer, Integer Width, Integer Height);
// Lines on the chosen sides (clNone leaves a colour's lines out); the result
// is the bounds moved in by 1 on each chosen side.
TRect PaintSideLines(TCanvas* Canvas, const TRect& Bounds, TColor ULColor, TSides Sides, TColor LRColor);
TRect PaintBevelRings(TCanvas* Canvas, const TRect& Bounds, TColor ULColor, TSides Sides, Integer Count,
                      TColor LRColor);
TRect PaintCtl3DFrame(TCanvas* Canvas, const TRect& Bounds, bool Lowered, TSides Sides);
TRect PaintButtonFrame(TCanvas* Canvas, const TRect& Bounds, bool Down, TSides Sides = sdAllSides);
TRect PaintTintedButtonFrame(TCanvas* Canvas, const TRect& Bounds, TColor FaceColor, TSides Sides, bool Down);
TRect PaintStyledFrame(TCanvas* Canvas, const TRect& Bounds, TFrameStyle Style, TSides Sides = sdAllSides);
TRect PaintTintedStyledFrame(TCanvas* Canvas, const TRect& Bounds, TColor FaceColor, TSides Sides,
                             TFrameStyle Style);
TRect PaintRoundedFlatFrame(TCanvas* Canvas, const TRect& Bounds, TColor Color, TSides Sides);
TRect PaintDottedFocusFrame(TCanvas* Canvas, const TRect& Bounds);
// The layered border of a label or panel: outer style, border band, inner style.
TRect PaintLayeredBorders(TCanvas* Canvas, const TRect& Bounds, TFrameStyleEx OuterStyle, bool Transparent,
                          TColor ParentColor, TColor ControlColor, Integer FlatColorAdjustment, TColor FlatColor,
                          TColor ShadowColor, TColor HighlightColor, TColor BorderColor, Integer BevelWidth,
                          TSides Sides, Integer BorderWidth, TFrameStyleEx InnerStyle);
// The frame of an edit or list view in its non-client area of Width x Height.
void PaintControlFrame(TCanvas* Canvas, Integer Width, Integer Height, TSides Sides, TColor FrameColor,
                       TColor ControlColor, TFrameStyle Style);

// ---------------------------------------------------------------------------
// Glyphs and fonts. ThemedLook is 0 (classic) or 1 (visual styles).
void PaintDropArrow(TCanvas* Canvas, const TRect& R, Integer ThemedLook, bool Down, bool Enabled);
void PaintDirectionArrow(TCanvas* Canvas, const TRect& R, Integer ThemedLook, TArrowDirection Direction,
                         bool Down, bool Enabled);
// A new font handle turned by Angle degrees; the caller deletes it.
HFONT CreateAngledFont(TFont* Font, Integer Angle);
bool FontIsTrueType(TFont* Font);
Integer FontLineHeight(TFont* Font);
// 0 Windows 95, 1 NT 4 or older, 2 Windows 98, 3 Me, 4 2000, 5 XP, 6 Server 2003.
bool RunningWindowsRelease(Integer Release);
// Tells a form designer that the control changed; nothing outside a designer.
void TellDesignerModified(TControl* Control);
