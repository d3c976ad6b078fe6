// Windows and OS/2 bitmap files (1, 4, 8, 16, 24 and 32 bits, RLE4 and
// RLE8), and the icon and cursor readers that share the bitmap layout.
#pragma once

#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/formats/iefilters.h"

// Reads the BMP at the stream's position. TotalSize: its byte count when
// known (0: take the file header's size). HeaderOnly: the parameters alone.
// A file that is not a BMP, or whose pixels cannot be decoded, sets the
// abort flag; the bitmap then keeps a valid state.
void ReadBmpStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                   bool HeaderOnly, Int64 TotalSize);
// Writes Bitmap (ipkBW1 or ipkRGB24; other kinds are converted on a copy) at
// the stream's position and leaves the position at the end of what it wrote.
void WriteBmpStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress);

// Decode run-length data into an allocated ipkRGB24 bitmap, mapping indices
// through Palette (256 entries). Runs are clipped at the row's end; a delta or
// an end of line past the top row ends decoding.
void DecodeBmpRle4(TIEBitmap* Bitmap, const Byte* Data, Integer Length, TIEProgressRecord& Progress,
                   const TIEColorTriple* Palette);
void DecodeBmpRle8(TIEBitmap* Bitmap, const Byte* Data, Integer Length, TIEProgressRecord& Progress,
                   const TIEColorTriple* Palette);

// One row of indices (a byte each) coded into Output, which holds at least
// 10 x Width + 4 bytes; returns the bytes written (the end-of-line code included).
Integer EncodeBmpRle4Row(const Byte* Indices, Integer Width, Byte* Output);
Integer EncodeBmpRle8Row(const Byte* Indices, Integer Width, Byte* Output);

// Icons and cursors. The tests look at the directory: true for a plausible
// icon (type 1) or cursor (type 2) file; the position is restored.
bool IsIcoStream(TStream* Stream);
bool IsCurStream(TStream* Stream);
// Reads the image chosen by IcoImageIndex / CurImageIndex; transparent pixels
// get IcoBackground / CurBackground and 0 in Alpha (unless NoAlpha).
void ReadIcoStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                   bool HeaderOnly, bool NoAlpha, std::unique_ptr<TIEMask>& Alpha);
void ReadCurStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                   bool HeaderOnly, bool NoAlpha, std::unique_ptr<TIEMask>& Alpha);
