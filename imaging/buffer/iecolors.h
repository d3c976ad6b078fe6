// Colour spaces, geometry tests and painting helpers of the image library.
#pragma once

#include "imaging/buffer/hyieutils.h"

class TCanvas;
class TComponent;

// Colour is red in bits 16..23, green 8..15, blue 0..7; L unsigned (0..255
// for 0..100), a and b signed bytes.
void RGBToCIELab(Cardinal Color, Byte& L, ShortInt& A, ShortInt& B);
// Lab is L in bits 0..7, a in 8..15, b in 16..23.
void CIELabToRGB(Cardinal Lab, TIEColorTriple& Triple);

// Moves (X, Y) onto the horizontal, vertical or diagonal line through (X0, Y0).
void SnapTo45Degrees(Integer X0, Integer Y0, Integer& X, Integer& Y);
// 0 when the rectangles are apart, else 1.
Integer RectanglesIntersect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4,
                            Integer Y4);
// 1 crossing, 2 the second inside the first, else 0.
Integer RectangleRelation(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4,
                          Integer Y4);
bool PointInRect(Integer X, Integer Y, Integer X1, Integer Y1, Integer X2, Integer Y2);
double DistancePointToLine(Integer PX, Integer PY, Integer X1, Integer Y1, Integer X2, Integer Y2);
// 1,000,000 when the point is far from the segment.
double DistancePointToSegment(Integer PX, Integer PY, Integer X1, Integer Y1, Integer X2, Integer Y2);
// The window of the first window control among Component and its owners, or 0.
HWND OwnerWindowHandle(TComponent* Component);

// Soft drop-shadow strips (style 2).
void PaintShadowStripVertical(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Style);
void PaintShadowStripHorizontal(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Style);
// Colour 1 left and top, colour 2 bottom and right.
void PaintTwoToneFrame(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Color1, Integer Color2);
