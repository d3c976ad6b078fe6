// Bitmap-level services of the styled controls: the parent's background under
// a control that claims to be transparent, a glyph drawn without its
// transparent colour, and gradient fills. Every temporary bitmap and brush is
// freed before a routine returns, also when drawing raises.
#pragma once

#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/System.h"

// Paints what Control's parent shows under the control into DC (in the
// control's coordinates). With InvalidateParent the parent repaints too,
// unless it is a custom control or a form.
void CopyParentBackground(TControl* Control, HDC DC, bool InvalidateParent);
inline void CopyParentBackground(TControl* Control, TCanvas* Canvas, bool InvalidateParent) {
  CopyParentBackground(Control, Canvas->Handle(), InvalidateParent);
}

// Draws the Source rectangle of Bitmap into Dest, leaving every pixel of
// TransparentColor out (the canvas keeps its own pixel there).
void DrawBitmapSkippingColor(TCanvas* Canvas, TBitmap* Bitmap, const TRect& Dest, const TRect& Source,
                             TColor TransparentColor);

// Gradient fill of R between Color1 and Color2. Kinds: 0/1 diagonal
// (mirrored), 2 vertical (Color1 at the bottom), 3 vertical centre-out,
// 4/7/8/9 nested rectangles, 5 horizontal (Color1 at the right), 6 horizontal
// centre-out. BandParameter sets the smallest band.
void PaintColorRamp(TCanvas* Canvas, const TRect& R, Integer Kind, Byte BandParameter, TColor Color1,
                    TColor Color2);

// The steps of PaintColorRamp, drawing into DC from (0, 0).
void RampStrip(HDC DC, Integer XMiddle, Integer YMiddle, Byte BandParameter, TColor Color1, TColor Color2,
               Integer Extent);
void RampNestedRects(HDC DC, Integer Width, Integer Height, Byte BandParameter, TColor Color1, TColor Color2,
                     Integer VerticalInset, Integer HorizontalInset);
void RampDiagonal(HDC DC, Integer Width, Integer Height, Byte BandParameter, TColor Color1, TColor Color2);
void ReplicateBlock(HDC DC, Integer X, Integer Y, DWORD Rop, Integer PaintedHeight, Integer PaintedWidth,
                    Integer FullHeight, Integer FullWidth);
void MirrorQuarterBlock(HDC DC, Integer X, Integer Y, DWORD Rop, Integer Height, Integer Width);
