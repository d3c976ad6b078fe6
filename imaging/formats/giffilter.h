// The image library's own GIF container: header, colour tables, graphic
// control and comment blocks; the pixel data pass through the LZW hooks
// (Params.GifLzwDecoder / GifLzwEncoder, else the library-wide defaults).
#pragma once

#include <memory>
#include <string>

#include "imaging/formats/iefilters.h"

// Reads the image Params.GifImageIndex; returns the number of images met
// (also Params.GifImageCount). A header-only read walks the whole file for
// the count and the comments without decoding pixels.
Integer ReadGifStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                      bool HeaderOnly, bool NoAlpha, std::unique_ptr<TIEMask>& Alpha);
Integer ReadGifFile(const std::string& FileName, TIEBitmap* Bitmap, TIOParamsVals& Params,
                    TIEProgressRecord& Progress, bool NoAlpha, std::unique_ptr<TIEMask>& Alpha);
// One image of Params.BitsPerSample bits (1..8) with a graphic control block
// and a comment block.
void WriteGifStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress);
void WriteGifFile(const std::string& FileName, TIEBitmap* Bitmap, TIOParamsVals& Params,
                  TIEProgressRecord& Progress);
