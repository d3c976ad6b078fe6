#include "imaging/formats/iefilters.h"

#include <new>

namespace {
thread_local std::string lastFilterError;
}

void IEFilterFail(TIEProgressRecord& Progress, const std::string& Reason) {
  lastFilterError = Reason;
  Progress.SetAborted();
}

std::string IELastFilterError() { return lastFilterError; }

void IEClearFilterError() { lastFilterError.clear(); }

bool IEImageSizeAllowed(Int64 Width, Int64 Height, Integer BitsPerPixel, Int64 InputBytes, Int64 MaxRatio) {
  if (Width <= 0 || Height <= 0 || Width > IEMaxImageSide || Height > IEMaxImageSide) return false;
  if (BitsPerPixel <= 0) return false;
  const Int64 bytes = (Width * BitsPerPixel + 7) / 8 * Height;
  if (MaxRatio <= 0) return true;
  const Int64 allowance = 1 << 16;
  if (InputBytes < 0) InputBytes = 0;
  return bytes <= allowance || bytes / MaxRatio <= InputBytes;
}

bool IEAllocateImage(TIEBitmap* Bitmap, Integer Width, Integer Height, TIEPixelKind Kind,
                     TIEProgressRecord& Progress) {
  if (Bitmap->Width() == Width && Bitmap->Height() == Height && Bitmap->PixelKind() == Kind &&
      Bitmap->PaletteCount() == 0 && !Bitmap->HasAlphaChannel())
    return true;
  try {
    Bitmap->AllocateImage(Width, Height, Kind);
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const EOutOfMemory&) {
  }
  try {
    Bitmap->FreeImage();
  } catch (...) {
  }
  IEFilterFail(Progress, "Out of memory");
  return false;
}

TIEInput::TIEInput(TStream* Stream) : stream_(Stream), size_(Stream->Size()) {}

Int64 TIEInput::Remaining() {
  const Int64 left = size_ - stream_->Position();
  return left > 0 ? left : 0;
}

bool TIEInput::Read(void* Buffer, Int64 Count) {
  if (Count < 0 || Count > Remaining()) return false;
  Byte* p = static_cast<Byte*>(Buffer);
  while (Count > 0) {
    const Integer chunk = Count > 0x40000000 ? 0x40000000 : static_cast<Integer>(Count);
    const Integer got = stream_->Read(p, chunk);
    if (got <= 0) return false;
    p += got;
    Count -= got;
  }
  return true;
}

bool TIEInput::Skip(Int64 Count) {
  if (Count < 0 || Count > Remaining()) return false;
  stream_->Seek(Count, soCurrent);
  return true;
}

bool TIEInput::Seek(Int64 Absolute) {
  if (Absolute < 0 || Absolute > size_) return false;
  stream_->Seek(Absolute, soBeginning);
  return true;
}

bool TIEInput::U8(Byte& V) { return Read(&V, 1); }

bool TIEInput::U16LE(Word& V) {
  Byte b[2];
  if (!Read(b, 2)) return false;
  V = static_cast<Word>(b[0] | (b[1] << 8));
  return true;
}

bool TIEInput::U16BE(Word& V) {
  Byte b[2];
  if (!Read(b, 2)) return false;
  V = static_cast<Word>((b[0] << 8) | b[1]);
  return true;
}

bool TIEInput::U32LE(Cardinal& V) {
  Byte b[4];
  if (!Read(b, 4)) return false;
  V = Cardinal(b[0]) | (Cardinal(b[1]) << 8) | (Cardinal(b[2]) << 16) | (Cardinal(b[3]) << 24);
  return true;
}

bool TIEInput::U32BE(Cardinal& V) {
  Byte b[4];
  if (!Read(b, 4)) return false;
  V = (Cardinal(b[0]) << 24) | (Cardinal(b[1]) << 16) | (Cardinal(b[2]) << 8) | Cardinal(b[3]);
  return true;
}
