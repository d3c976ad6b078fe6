// PNG over libpng 1.6: signature test, reader and writer.
#pragma once

#include <memory>

#include "imaging/formats/iefilters.h"

// True when the stream starts with 0x89 "PNG"; the position is restored.
bool IsPngStream(TStream* Stream);
// Reads into ipkBW1 (1-bit files: grey values or raw palette indices) or
// ipkRGB24. Composite: transparent pixels blended over a background by the
// codec; otherwise the alpha comes back in Alpha (8-bit mask, created when
// nil). HeaderOnly: the parameters alone. Failure sets the abort flag.
void ReadPngStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, bool Composite,
                   std::unique_ptr<TIEMask>& Alpha, bool HeaderOnly, TIEProgressRecord& Progress);
// Writes any pixel kind (1-bit grey, palette, RGB or RGB with alpha, by the
// parameters and the mask). A codec error raises EInvalidGraphic "Error on
// creating PNG"; a stream that stops taking bytes sets the abort flag.
void WritePngStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEMask* Alpha,
                    TIEProgressRecord& Progress);
