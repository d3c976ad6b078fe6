// Small helpers shared by the BMP, icon, PNM, PCX, Targa and GIF filters:
// little-endian fields, bounded stream reads, and the bound that keeps a
// hostile header from sizing an image its data could never fill.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/formats/iefilters.h"
#include "platform/Classes.h"

namespace iefmt {

inline Word Le16(const Byte* p) { return Word(p[0] | (p[1] << 8)); }
inline Cardinal Le32(const Byte* p) {
  return Cardinal(p[0]) | (Cardinal(p[1]) << 8) | (Cardinal(p[2]) << 16) | (Cardinal(p[3]) << 24);
}
inline void PutLe16(Byte* p, uint32_t v) {
  p[0] = Byte(v);
  p[1] = Byte(v >> 8);
}
inline void PutLe32(Byte* p, uint32_t v) {
  p[0] = Byte(v);
  p[1] = Byte(v >> 8);
  p[2] = Byte(v >> 16);
  p[3] = Byte(v >> 24);
}

// Bytes from the stream's position to its end (0 when past it).
inline Int64 Remaining(TStream* S) {
  const Int64 left = S->Size() - S->Position();
  return left > 0 ? left : 0;
}

// Reads up to Count bytes; bytes the stream does not have are zeroed.
// Returns the number actually read.
inline Integer ReadZeroFilled(TStream* S, void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  const Integer got = S->Read(Buffer, Count);
  const Integer n = got > 0 ? got : 0;
  if (n < Count) std::memset(static_cast<Byte*>(Buffer) + n, 0, size_t(Count - n));
  return n;
}

// Pixels an image may have whatever its data: small pictures are never refused.
constexpr Int64 FreePixels = Int64(1) << 22;

// True when a Width x Height picture could come from DataBytes bytes of an
// encoding that yields at most PixelsPerByte pixels per byte. A file cut
// short still loads (the missing part keeps what the buffer held), but a
// header claiming far more than the data could describe is refused before
// anything is allocated.
inline bool PictureFitsData(Int64 Width, Int64 Height, Int64 DataBytes, double PixelsPerByte) {
  if (Width <= 0 || Height <= 0) return false;
  if (Width > IEMaxImageSide || Height > IEMaxImageSide) return false;
  const Int64 pixels = Width * Height;
  if (pixels <= FreePixels) return true;
  return double(pixels) <= (double(DataBytes) + 4096.0) * PixelsPerByte * 4.0;
}

// dpi = round(ppm / 100 x 2.54); ppm = round(dpi / 2.54 x 100).
inline Integer PpmToDpi(Integer Ppm) { return Integer(Round(Extended(Ppm) / 100.0L * 2.54L)); }
inline Integer DpiToPpm(Integer Dpi) { return Integer(Round(Extended(Dpi) / 2.54L * 100.0L)); }

// The parameters' palette: released, or replaced by Count entries (zeroed
// when Entries is nil).
inline void FreeParamsPalette(TIOParamsVals& P) { P.FreePalette(); }
inline TIEColorTriple* SetParamsPalette(TIOParamsVals& P, const TIEColorTriple* Entries, Integer Count) {
  if (Entries) {
    P.SetPalette(Entries, Count);
  } else {
    std::vector<TIEColorTriple> zero(size_t(Count > 0 ? Count : 1));
    P.SetPalette(zero.data(), Count);
  }
  return P.Palette.get();
}

// The abort flag a writer's checked stream writes set: the record's own, or
// a local one when the caller gave none.
class TAbortFlagScope {
 public:
  explicit TAbortFlagScope(TIEProgressRecord& P) : flag_(P.Abort ? P.Abort : &local_) {}
  TAbortFlagScope(const TAbortFlagScope&) = delete;
  TAbortFlagScope& operator=(const TAbortFlagScope&) = delete;
  bool& Flag() { return *flag_; }

 private:
  bool local_ = false;
  bool* flag_;
};

}  // namespace iefmt
