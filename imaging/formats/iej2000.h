// JPEG-2000 over OpenJPEG: JP2 files and raw code streams, read into and
// written from a TIEBitmap through memory-free stream callbacks on a TStream.
#pragma once

#include <string>

#include "imaging/formats/iefilters.h"

// The stream starts with the JP2 signature box (12, "jP  ", 0x0D0A870A); the
// position is restored.
bool Jpeg2000HasSignatureBox(TStream* Stream);
// The stream starts with the markers FF4F (start of code stream) and FF51.
bool Jpeg2000HasCodestreamStart(TStream* Stream);
// Grey, RGB and YCbCr pictures into ipkRGB24 (ipkBW1 for 1-bit grey); any
// other colour space, or data the codec refuses, sets the abort flag and leaves
// the bitmap unchanged.
void Jpeg2000LoadFromStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                            TIEProgressRecord& Progress);
// Format 0: JP2 file, 1: code stream. J2kColorSpace 0 grey, 1 and 2 RGB;
// J2kRate the fraction of the uncompressed size (1 or more: lossless);
// J2kProgression 0 LRCP, 1 RLCP.
void Jpeg2000SaveToStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, Integer Format,
                          TIEProgressRecord& Progress);
// "rate=<J2kRate> prg=lrcp" (or rlcp): the encoder options in words.
std::string Jpeg2000OptionText(const TIOParamsVals& Params);

// YCbCr to RGB offsets, indexed by the 8-bit chroma sample.
struct TJ2kYCbCrTables {
  Integer CrToR[256];
  Integer CbToB[256];
  Integer CrToG[256];
  Integer CbToG[256];
};
const TJ2kYCbCrTables& J2kYCbCrTables();
