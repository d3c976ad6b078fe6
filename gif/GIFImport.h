// Turning pictures into frames: copies of frames, bitmaps of every depth
// (deeper ones reduced to a palette first), icons and metafiles (drawn on a
// bitmap), with the source's transparency as a transparent colour index.
#pragma once

#include "gif/GIFDIB.h"
#include "gif/GIFImage.h"

// The frame's copy operation: nil clears, a frame is copied, a bitmap, icon,
// metafile, other graphic or picture is imported; anything else is refused
// with EConvertError.
void CopyFrameFrom(TGIFSubImage* Frame, TPersistent* Source);

// Row imports from the frame's working bitmap (through a reader of that
// depth) into the frame's pixels and local colour map.
void ImportRows1Bit(TGIFSubImage* Frame, TDIBReader* Reader);
void ImportRows4Bit(TGIFSubImage* Frame, TDIBReader* Reader);
void ImportRows8Bit(TGIFSubImage* Frame, TDIBReader* Reader);
// Builds an exact local map in order of first appearance; more than 256
// colours raise "Color table overflow".
void ImportRows24Bit(TGIFSubImage* Frame, TDIBReader* Reader);

// Sizes the bitmap to the graphic, 24 bits per pixel, and draws it at (0, 0).
void DrawGraphicOnBitmap(TBitmap* Bitmap, TGraphic* Graphic);
// The metafile drawn at (0, 0) over a bitmap of its size filled with Color.
void RenderMetafileOnColor(TBitmap* Bitmap, TMetafile* Metafile, TColor Color);

// Frame pixels whose mask pixel is not black become a new transparent entry
// (black) appended to the compacted local map, marked by a new graphic
// control extension; nothing when the map has no room or no pixel is marked.
void ApplyTransparencyMask(TGIFSubImage* Frame, TBitmap* Mask);
// A monochrome mask handle (1 = transparent); the handle stays the caller's.
void ApplyMaskHandle(TGIFSubImage* Frame, HBITMAP Mask);
// The icon's AND mask.
void ApplyIconMask(TGIFSubImage* Frame, TIcon* Icon);
// Every pixel the metafile leaves unpainted.
void ApplyMetafileMask(TGIFSubImage* Frame, TMetafile* Metafile);
