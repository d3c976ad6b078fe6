// Index-buffer entry points over the frame decoder and the LZW encoder.
#include "gif/GIFLZWHooks.h"

#include <algorithm>
#include <cstring>

#include "gif/GIFImage.h"

void GIFLZWDecodeIndices(TStream* Stream, Integer Height, Integer Width, Byte* Indices, bool Interlaced) {
  TGIFImage image;
  TGIFSubImage frame(&image);
  frame.Descriptor.Width = Word(Width);
  frame.Descriptor.Height = Word(Height);
  frame.Descriptor.Packed = Interlaced ? 0x40 : 0;
  frame.DecodePixels(Stream);
  const Int64 n = std::min<Int64>(Int64(Width) * Height, frame.DataSize());
  if (n > 0 && frame.Data()) std::memcpy(Indices, frame.Data(), size_t(n));
}

void GIFLZWEncodeIndices(TStream* Stream, Integer Height, Integer Width, Integer BitsPerPixel, const Byte* Indices,
                         bool Interlaced) {
  const Integer bits = std::clamp(BitsPerPixel, 1, 8);
  TLZWEncoder encoder;
  encoder.Encode(Stream, bits, 1 << bits, Indices, Interlaced, Height, Width);
}
