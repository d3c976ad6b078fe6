// PCX files: 1-bit, 4-bit, 8-bit palette, 4-plane 16-colour and 3-plane
// true-colour, raw or run-length coded.
#pragma once

#include <string>

#include "imaging/formats/iefilters.h"

// Reads the PCX at the stream's position; Size is its byte count (the rest of
// the stream when 0 or less).
void ReadPcxStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                   bool HeaderOnly, Int64 Size);
void ReadPcxFile(const std::string& FileName, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress);
// Writes 1, 4, 8 or 24 bits (BitsPerSample x SamplesPerPixel; 1 when BitsPerSample is 1).
void WritePcxStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress);

// Run-length codes Source[Offset + Stride x i], i = 0 .. Count - 1, into
// Output (at least 2 x Count + 1 bytes); an odd Count gets one 0 byte of
// padding. Returns the bytes written.
Integer EncodePcxLine(Byte* Output, const Byte* Source, Integer Count, Integer Stride, Integer Offset);

// The scan-line decoder: a run may continue from one line into the next.
class TPcxLineDecoder {
 public:
  TPcxLineDecoder(const Byte* Data, Int64 Length, bool Compressed) : data_(Data), len_(Length), rle_(Compressed) {}
  // Fills Count bytes of Line; bytes past the data are 0.
  void DecodeLine(Byte* Line, Integer Count);

 private:
  const Byte* data_;
  Int64 len_;
  Int64 pos_ = 0;
  bool rle_;
  Integer pendingCount_ = 0;
  Byte pendingValue_ = 0;
};
