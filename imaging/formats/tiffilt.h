// TIFF files.
#pragma once

#include "imaging/formats/iefilters.h"

// Writes Bitmap as a one-image, one-strip little-endian TIFF at the stream's
// position, as Params' TIFF settings ask (bits and samples per pixel,
// photometric kind, compression, texts, resolution, position, page number,
// IPTC); the kind actually written goes back into Params' BitsPerSample,
// SamplesPerPixel, TiffPhotometric and TiffCompression. Offsets count from the
// stream's start. A short write sets the abort flag and leaves the directory
// out. Returns the number of images written (1).
Integer WriteTiffStream(TStream* Stream, TIEBitmap* Bitmap, TIEProgressRecord& Progress, TIOParamsVals& Params);
