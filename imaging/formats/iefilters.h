// Conventions shared by the format filters of the image library.
//
// Signatures. A reader fills a buffer and the parameters from a stream read at
// its current position; a writer writes the buffer at the stream's position:
//   void ReadXxxStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params,
//                      TIEProgressRecord& Progress, bool ParamsOnly, ...);
//   void WriteXxxStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params,
//                       TIEProgressRecord& Progress, ...);
// Extra arguments a format needs (an alpha mask, a tables stream, ...) follow.
//
// Progress and abort. Before the row loop Progress.Start(units); after each
// unit `if (Progress.Step()) return;` (reports Trunc(Done * PerUnit) when a
// callback is assigned and tests the shared abort flag).
//
// Failure. Bad data sets the abort flag through IEFilterFail with a short
// reason and returns; the buffer is left valid (allocated and whatever was
// decoded, or untouched when the failure came before allocation). Every size,
// offset and count taken from a file is checked against the bytes actually
// there (TIEInput) before it is used or allocated (IEImageSizeAllowed).
#pragma once

#include <string>

#include "imaging/buffer/hyieutils.h"
#include "imaging/formats/ioparams.h"
#include "platform/Classes.h"

using TIEReadFilterProc = void (*)(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params,
                                   TIEProgressRecord& Progress, bool ParamsOnly);
using TIEWriteFilterProc = void (*)(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params,
                                    TIEProgressRecord& Progress);

// Sets the abort flag and records why (for this thread's IELastFilterError).
void IEFilterFail(TIEProgressRecord& Progress, const std::string& Reason);
// The reason of the last failure on this thread; empty after IEClearFilterError.
std::string IELastFilterError();
void IEClearFilterError();

// Largest width or height any filter accepts.
constexpr Int64 IEMaxImageSide = 1000000;

// True when an image of that size and depth is plausible: both sides in
// 1..IEMaxImageSide, and its pixel bytes at most InputBytes * MaxRatio (what the
// rest of the file could decode to at the format's best compression) plus a
// small allowance. MaxRatio 0 skips the data test.
bool IEImageSizeAllowed(Int64 Width, Int64 Height, Integer BitsPerPixel, Int64 InputBytes, Int64 MaxRatio);

// Allocates the buffer; an allocation failure becomes IEFilterFail("Out of
// memory") and false, with the buffer left empty but valid. A buffer that
// already has that size and kind (and no palette) is kept as it is: every
// pixel is written again by the reader, and fresh memory costs a page fault
// per page (a 24-megapixel picture takes longer to fault in than to decode).
bool IEAllocateImage(TIEBitmap* Bitmap, Integer Width, Integer Height, TIEPixelKind Kind,
                     TIEProgressRecord& Progress);

// Bounded reading from a stream: remembers how many bytes are left from the
// position it was made at, so a reader can check a count before trusting it.
class TIEInput {
 public:
  explicit TIEInput(TStream* Stream);
  TStream* Stream() const { return stream_; }
  Int64 Position() { return stream_->Position(); }
  // Bytes from the current position to the end of the stream.
  Int64 Remaining();
  // All or nothing: false (stream position unspecified) when fewer are there.
  bool Read(void* Buffer, Int64 Count);
  bool Skip(Int64 Count);
  bool Seek(Int64 Absolute);
  bool U8(Byte& V);
  bool U16LE(Word& V);
  bool U16BE(Word& V);
  bool U32LE(Cardinal& V);
  bool U32BE(Cardinal& V);

 private:
  TStream* stream_;
  Int64 size_;
};
