// Targa files: colour-mapped, true-colour and grey, raw or run-length coded,
// with the 2.0 extension area and footer.
#pragma once

#include <memory>

#include "imaging/formats/iefilters.h"

// True when the 18-byte header has a known image type, pixel depth and colour
// map type; the position is restored.
bool IsTgaStream(TStream* Stream);
// 32-bit files with alpha bits fill Alpha (created when nil) unless NoAlpha.
void ReadTgaStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                   bool HeaderOnly, bool NoAlpha, std::unique_ptr<TIEMask>& Alpha);
// Bitmap must be ipkRGB24 or ipkBW1 (another kind writes nothing). Alpha, when
// given and not full, makes a 32-bit file.
void WriteTgaStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                    TIEMask* Alpha);

// One row of Count pixels of Size bytes each (1 or 3) coded into packets of
// at most 128 pixels; Output holds at least Count x (Size + 1) bytes.
Integer EncodeTgaRleRow(const Byte* Row, Integer Count, Integer Size, Byte* Output);
