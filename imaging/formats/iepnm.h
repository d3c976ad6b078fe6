// The portable bitmap family: PBM, PGM and PPM, plain ("P1".."P3") and raw
// ("P4".."P6"). All six are read; the raw kinds are written.
#pragma once

#include "imaging/formats/iefilters.h"

// True when the stream starts with a PNM magic and a positive width and
// height; the position is restored.
bool IsPnmStream(TStream* Stream);
// Header comments go to Params.PnmComments (without the "#"). A bad magic, a
// missing or non-positive size or maxval, or a size the data cannot hold sets
// the abort flag before anything is allocated.
void ReadPnmStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                   bool HeaderOnly);
// "P4" for 1-bit images (or BitsPerSample 1 with SamplesPerPixel 1), "P5" for
// BitsPerSample 8 with SamplesPerPixel 1, else "P6"; the comments are written back.
void WritePnmStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress);
