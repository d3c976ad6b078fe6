// The image library's processing: statistics, bilevel and row-depth
// conversions, resampling, flips and rotations, selection by colour, colour-
// depth conversion and the processing component TRuzozAdProc.
#pragma once

#include <memory>

#include "imaging/buffer/hyieutils.h"
#include "imaging/buffer/neurquant.h"
#include "imaging/buffer/zezivori.h"

class TBitmap;

// ---------------------------------------------------------------------------
// Statistics.

// Average colour, 0..255 per channel; 128, 128, 128 for an empty picture.
void AverageColor(TIEBitmap* Bitmap, Integer& Red, Integer& Green, Integer& Blue);
// Luminance histogram (one bin per level 0..255).
void Histogram256(TIEBitmap* Bitmap, Cardinal* Bins);
// True when the picture is 24-bit and every pixel has red = green = blue.
bool IsGrayRGB(TIEBitmap* Bitmap);
// First entry of smallest L1 distance to Color (0 for an empty palette).
Integer NearestPaletteIndex(const TIEColorTriple* Palette, Integer Count, const TIEColorTriple& Color);

// ---------------------------------------------------------------------------
// Bilevel, two-colour and row-depth conversions.

// For byte v: eight pixels of three equal bytes, 255 for a set bit, most
// significant bit first.
extern Byte BitExpansionTable[256][24];

// 8 x 8 ordered dither of a 24-bit picture into 1 bit (in place).
void OrderedDitherToBilevel(TIEBitmap* Bitmap, TIEProgressRecord& Progress);
// Threshold of a 24-bit picture into 1 bit (in place); -1: average luminance.
void AverageThresholdToBilevel(TIEBitmap* Bitmap, Integer Threshold, TIEProgressRecord& Progress);
// Threshold into Dest (ipkBW1, the source's size). -1: average luminance,
// -2: maximum entropy of the luminance histogram.
void ThresholdToBilevel(TIEBitmap* Source, TIEBitmap* Dest, Integer Threshold, TIEProgressRecord& Progress);
// A 1-bit copy of a picture of exactly two colours (bit 0 the darker), or nil.
std::unique_ptr<TIEBitmap> ReduceToTwoColors(TIEBitmap* Bitmap, TIEColorTriple& First, TIEColorTriple& Second);
// Expands a 1-bit platform bitmap into a 24-bit one (set bits white).
void BilevelTBitmapToRGB(TBitmap* Source, TBitmap* Dest, TIEProgressRecord& Progress);
// Converts one row between bit depths; returns the bytes of the destination row.
Integer ConvertRowDepth(const Byte* Source, Byte* Dest, Integer SourceBits, Integer DestBits, Integer Count,
                        const TIEColorTriple* Palette, TIEQuantizer* Quantizer);

// ---------------------------------------------------------------------------
// Resampling.

struct TResampleFilterEntry {
  double (*Kernel)(double);
  double Support;
};
// Indexed by filter ordinal 0..8 (entry 0, rfNone, has no kernel).
extern const TResampleFilterEntry ResampleFilterTable[9];

// Resamples a 24-bit source into Dest (allocated by the caller, ipkRGB24).
void ResampleImage(TIEBitmap* Source, TIEBitmap* Dest, TResampleFilter Filter,
                   const TIEProgressEvent& OnProgress = nullptr, TObject* Sender = nullptr);
// 1-bit source into a 24-bit grey destination.
void ResampleBilevel(TIEBitmap* Source, TIEBitmap* Dest, TResampleFilter Filter);
// 8-bit masks.
void ResampleMask(TIEMask* Source, TIEMask* Dest, TResampleFilter Filter);
void ResampleAlphaChannel(TIEBitmap* Source, TIEBitmap* Dest, TResampleFilter Filter);
// Box average of the source rectangle (inclusive ends) of a 1-bit picture into
// a 24-bit destination.
void ShrinkBilevelToRGB(TIEBitmap* Source, Integer X1, Integer Y1, Integer X2, Integer Y2, TIEBitmap* Dest);
// The same over bottom-up 1-bit DIB bits; a new block of bottom-up 24-bit
// rows, nil when the destination size is below 1.
std::unique_ptr<Byte[]> StretchDIBToBuffer(const Byte* Bits, Integer Width, Integer Height, Integer NewWidth,
                                           Integer NewHeight, Integer X1, Integer Y1, Integer X2, Integer Y2);
double CubicConvolutionValue(double Sm1, double S0, double S1, double S2, double T);

// ---------------------------------------------------------------------------
// Flip, rotation and nearest stretch.

// Direction 0: left to right, 1: top to bottom (24-bit and 1-bit pictures).
void FlipImage(TIEBitmap* Bitmap, Integer Direction);
void Rotate90Clockwise(TIEBitmap* Source, TIEBitmap* Dest);
void Rotate90CounterClockwise(TIEBitmap* Source, TIEBitmap* Dest);
// Turns counter-clockwise by Angle degrees; the picture grows to hold the result.
void RotateImage(TIEBitmap* Bitmap, bool Antialias, double Angle, TIEColorTriple Background,
                 const TIEProgressEvent& OnProgress = nullptr, TObject* Sender = nullptr);
void RotateBilevel(TIEBitmap* Bitmap, bool WhiteBackground, double Angle, TIEProgressRecord& Progress);
// Nearest-neighbour resize into Dest (allocated with the wanted size and the source's kind).
void StretchNearest(TIEBitmap* Source, TIEBitmap* Dest);

// ---------------------------------------------------------------------------
// Selection by colour (24-bit pictures; the seed must lie inside).

void SelectColorRangeMask(TIEBitmap* Bitmap, Integer X, Integer Y, TIEMask* Mask, Integer Tolerance);
void FloodFillMaskByColor(TIEBitmap* Bitmap, Integer X, Integer Y, TIEMask* Mask, Integer Tolerance,
                          bool Expand);
// The outline of the region, or nil with Count 0.
std::unique_ptr<TPoint[]> TraceColorRegionOutline(TIEBitmap* Bitmap, Integer X, Integer Y, Integer& Count,
                                                  Integer Tolerance, bool Expand);

// ---------------------------------------------------------------------------
// Colour-depth helpers.

// Reduces a 24-bit picture in place to the palette a TIEQuantizer builds for
// Colors colours, written into Palette when it is not nil.
void RemapToQuantizedPalette(TIEBitmap* Bitmap, Integer Colors, TIEColorTriple* Palette,
                             const TIEProgressEvent& OnProgress = nullptr, TObject* Sender = nullptr);
// Greys columns X1..X2-1 of rows Y1..Y2-1 of a 24-bit picture.
void GrayscaleRegion(TIEBitmap* Bitmap, Integer X1, Integer Y1, Integer X2, Integer Y2,
                     const TIEProgressEvent& OnProgress = nullptr, TObject* Sender = nullptr);


// The processing component itself.
#include "imaging/buffer/ruzozadproc_component.h"
