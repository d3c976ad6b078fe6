// The JPEG filter over libjpeg(-turbo): a TStream into a 24-bit TIEBitmap with
// the JPEG fields of TIOParamsVals filled, and back. Scaled decoding, colour
// spaces (grey, RGB, YCbCr, CMYK, YCCK), kept APPn/COM markers, density,
// progressive coding and quality.
#pragma once

#include <string>

#include "imaging/formats/iefilters.h"

T_DECLARE_EXCEPTION(EIEJpegException, Exception)

// Reads at the stream's position (up to 99 junk bytes before the start of
// image are skipped). Tables: an abbreviated stream holding only tables, or
// nil. RawYCbCr: samples without colour conversion. ParamsOnly: header and
// parameters, the bitmap untouched. Failure shows as the abort flag (reason in
// IELastFilterError); only an error in the tables stream raises EIEJpegException.
void ReadJpegStream(TStream* Stream, TStream* Tables, TIEBitmap* Bitmap, bool RawYCbCr, bool ParamsOnly,
                    TIEProgressRecord& Progress, TIOParamsVals& Params);
// Writes one JPEG stream from an ipkRGB24 or ipkBW1 bitmap. A codec error
// raises EIEJpegException (abort flag set); a short write sets the abort flag.
void WriteJpegStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress);
// Absolute position of the first FF D8 FF among the 100 positions from the
// current one, or -1; the position is restored.
Int64 FindJpegStart(TStream* Stream);
// The text of a codec message code ("Corrupted" for an unknown code).
std::string JpegMessageText(Integer Code);

// CMYK samples as the codec delivers them (Adobe: 255 = no ink) to B, G, R and back.
void CmykToBgr(const Byte* Cmyk, Byte* Bgr, Integer Pixels);
void BgrToCmyk(const Byte* Bgr, Byte* Cmyk, Integer Pixels);
