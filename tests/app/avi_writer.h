// A small writer of uncompressed AVI files for the import tests: one video
// stream (or one audio stream, for a file without video) of bottom-up DIB
// samples, with an index, and a JUNK chunk to reach an exact file size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace aviwriter {

struct TAviSpec {
  int Width = 16, Height = 12;
  int Bits = 24;                        // 8 or 24
  uint32_t Rate = 10, Scale = 1, Start = 0;
  std::vector<uint32_t> Palette;        // 0x00RRGGBB entries of an 8-bit stream; its size is the colour-used count
  std::vector<std::string> Samples;     // each a full set of bottom-up rows
  size_t FileSize = 0;                  // when set, the exact size of the file (a JUNK chunk fills it)
  bool Audio = false;                   // the one stream is 'auds' instead of 'vids'
  std::string Codec;                    // a compression FourCC for the stream (the samples are left as they are)
  int64_t Compression = -1;             // the samples' compression value; -1: the Codec's FourCC (none: 0)
  int64_t BufferSize = -1;              // the suggested buffer size the headers declare; -1: one whole sample
};

inline void Put32(std::string& S, uint32_t V) {
  for (int i = 0; i < 4; ++i) S.push_back(static_cast<char>((V >> (8 * i)) & 0xFF));
}
inline void Put16(std::string& S, uint32_t V) {
  S.push_back(static_cast<char>(V & 0xFF));
  S.push_back(static_cast<char>((V >> 8) & 0xFF));
}
inline std::string Chunk(const char* Id, const std::string& Data) {
  std::string s(Id, 4);
  Put32(s, static_cast<uint32_t>(Data.size()));
  s += Data;
  if (Data.size() % 2) s.push_back('\0');
  return s;
}
inline std::string List(const char* Type, const std::string& Data) { return Chunk("LIST", std::string(Type, 4) + Data); }

// Bytes per row of a sample.
inline int Stride(int Width, int Bits) { return ((Width * Bits + 31) / 32) * 4; }

// A sample whose pixel (x, y) (y from the top) is Pixel(x, y): a palette
// index for 8 bits, 0x00RRGGBB for 24.
template <typename F>
std::string MakeSample(int Width, int Height, int Bits, F Pixel) {
  const int stride = Stride(Width, Bits);
  std::string s(static_cast<size_t>(stride * Height), '\0');
  for (int y = 0; y < Height; ++y) {
    char* row = &s[static_cast<size_t>((Height - 1 - y) * stride)];
    for (int x = 0; x < Width; ++x) {
      const uint32_t v = Pixel(x, y);
      if (Bits == 8) {
        row[x] = static_cast<char>(v);
      } else {
        row[x * 3] = static_cast<char>(v & 0xFF);
        row[x * 3 + 1] = static_cast<char>((v >> 8) & 0xFF);
        row[x * 3 + 2] = static_cast<char>((v >> 16) & 0xFF);
      }
    }
  }
  return s;
}

inline std::string MakeAvi(const TAviSpec& A) {
  const uint32_t n = static_cast<uint32_t>(A.Samples.size());
  const uint32_t sampleSize = static_cast<uint32_t>(Stride(A.Width, A.Bits) * A.Height);
  const uint32_t bufferSize = A.BufferSize < 0 ? sampleSize : static_cast<uint32_t>(A.BufferSize);
  std::string avih;
  Put32(avih, A.Rate ? static_cast<uint32_t>(1000000ull * A.Scale / A.Rate) : 0);
  Put32(avih, 0);
  Put32(avih, 0);
  Put32(avih, 0x10);  // has an index
  Put32(avih, n);
  Put32(avih, 0);
  Put32(avih, 1);
  Put32(avih, bufferSize);
  Put32(avih, static_cast<uint32_t>(A.Width));
  Put32(avih, static_cast<uint32_t>(A.Height));
  for (int i = 0; i < 4; ++i) Put32(avih, 0);

  std::string strh = A.Audio ? "auds" : "vids";
  strh += A.Audio ? std::string(4, '\0') : A.Codec.empty() ? std::string("DIB ") : A.Codec;
  Put32(strh, 0);
  Put16(strh, 0);
  Put16(strh, 0);
  Put32(strh, 0);
  Put32(strh, A.Scale);
  Put32(strh, A.Rate);
  Put32(strh, A.Start);
  Put32(strh, n);
  Put32(strh, bufferSize);
  Put32(strh, 0xFFFFFFFF);
  Put32(strh, A.Audio ? 1 : 0);
  Put16(strh, 0);
  Put16(strh, 0);
  Put16(strh, static_cast<uint32_t>(A.Width));
  Put16(strh, static_cast<uint32_t>(A.Height));

  std::string strf;
  if (A.Audio) {
    Put16(strf, 1);  // PCM, mono, 8000 Hz, 8 bits
    Put16(strf, 1);
    Put32(strf, 8000);
    Put32(strf, 8000);
    Put16(strf, 1);
    Put16(strf, 8);
    Put16(strf, 0);
  } else {
    Put32(strf, 40);
    Put32(strf, static_cast<uint32_t>(A.Width));
    Put32(strf, static_cast<uint32_t>(A.Height));
    Put16(strf, 1);
    Put16(strf, static_cast<uint32_t>(A.Bits));
    if (A.Compression >= 0)
      Put32(strf, static_cast<uint32_t>(A.Compression));
    else if (A.Codec.empty())
      Put32(strf, 0);
    else
      strf += A.Codec;
    Put32(strf, sampleSize);
    Put32(strf, 0);
    Put32(strf, 0);
    Put32(strf, static_cast<uint32_t>(A.Palette.size()));
    Put32(strf, 0);
    for (uint32_t c : A.Palette) Put32(strf, c);
  }
  const std::string hdrl =
      List("hdrl", Chunk("avih", avih) + List("strl", Chunk("strh", strh) + Chunk("strf", strf)));

  const char* id = A.Audio ? "00wb" : "00db";
  std::string movi, idx;
  for (const std::string& s : A.Samples) {
    Put32(idx, *reinterpret_cast<const uint32_t*>(id));
    Put32(idx, 0x10);
    Put32(idx, static_cast<uint32_t>(4 + movi.size()));
    Put32(idx, static_cast<uint32_t>(s.size()));
    movi += Chunk(id, s);
  }
  const std::string tail = List("movi", movi) + Chunk("idx1", idx);

  std::string junk;
  // RIFF header (12) + hdrl + JUNK + the rest; an odd size gets one byte
  // after the RIFF chunk.
  const size_t base = 12 + hdrl.size() + tail.size();
  bool trailing = false;
  if (A.FileSize) {
    size_t fill = A.FileSize - base - 8;
    if (fill % 2) {
      trailing = true;
      --fill;
    }
    junk = Chunk("JUNK", std::string(fill, '\0'));
  }
  std::string body = "AVI " + hdrl + junk + tail;
  std::string file = "RIFF";
  Put32(file, static_cast<uint32_t>(body.size()));
  file += body;
  if (trailing) file.push_back('\0');
  return file;
}

}  // namespace aviwriter
