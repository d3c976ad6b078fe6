// Every reader against damaged input: seeded bit flips, overwritten bytes,
// truncations and size fields set huge, all in one process under the shared
// allocation guard. No crash, no hang, no picture larger than the data can
// justify, and the buffer stays usable. FMT_MUTATIONS sets the count per
// reader (a few thousand by default; the long run uses 100,000).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "fmt_util.h"
#include "imaging/formats/iej2000.h"
#include "imaging/formats/jpegfilt.h"
#include "imaging/formats/pngfilt.h"
#include "tests/support/alloc_limit.h"

using namespace fmtfix;

namespace {

using Reader = std::function<void(TStream*, TIEBitmap*, TIOParamsVals&, TIEProgressRecord&)>;

struct Rng {
  uint64_t s;
  uint32_t Next() {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return uint32_t(s >> 33);
  }
  uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
};

std::vector<Byte> Mutate(const std::vector<Byte>& seed, Rng& rng) {
  std::vector<Byte> b = seed;
  switch (rng.Below(5)) {
    case 0:  // flip a few bits
      for (uint32_t n = 1 + rng.Below(8); n; --n) b[rng.Below(uint32_t(b.size()))] ^= Byte(1u << rng.Below(8));
      break;
    case 1:  // overwrite a few bytes
      for (uint32_t n = 1 + rng.Below(4); n; --n) b[rng.Below(uint32_t(b.size()))] = Byte(rng.Next());
      break;
    case 2:  // truncate
      b.resize(rng.Below(uint32_t(b.size())));
      break;
    case 3: {  // a 16- or 32-bit field set huge, mostly in the header
      const uint32_t at = rng.Below(uint32_t(b.size() < 200 ? b.size() : 200));
      const uint32_t len = rng.Below(2) ? 2 : 4;
      const Byte v = rng.Below(2) ? 0xFF : 0x7F;
      for (uint32_t i = 0; i < len && at + i < b.size(); ++i) b[at + i] = i == 0 ? v : 0xFF;
      break;
    }
    default:  // a mix
      b[rng.Below(uint32_t(b.size()))] ^= 0xFF;
      b.resize(b.size() - rng.Below(uint32_t(b.size() / 2)));
      break;
  }
  return b;
}

// Recomputes the CRC of every whole PNG chunk, so that a damaged field gets
// past the checksum and reaches the code behind it.
void FixPngCrcs(std::vector<Byte>& b) {
  static uint32_t table[256];
  if (!table[1])
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
  size_t at = 8;
  while (at + 12 <= b.size()) {
    const uint64_t len = uint64_t(b[at]) << 24 | uint64_t(b[at + 1]) << 16 | uint64_t(b[at + 2]) << 8 | b[at + 3];
    if (at + 12 + len > b.size()) break;
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = at + 4; i < at + 8 + len; ++i) c = table[(c ^ b[i]) & 255] ^ (c >> 8);
    c ^= 0xFFFFFFFFu;
    const size_t crc = at + 8 + size_t(len);
    b[crc] = Byte(c >> 24);
    b[crc + 1] = Byte(c >> 16);
    b[crc + 2] = Byte(c >> 8);
    b[crc + 3] = Byte(c);
    at = crc + 4;
  }
}

// Runs Count mutations of each seed through the reader.
void Hammer(const char* name, const std::vector<std::vector<Byte>>& seeds, const Reader& read, Int64 maxPixelsPerByte,
            uint64_t seedValue, bool fixPngCrcs = false) {
  const char* env = std::getenv("FMT_MUTATIONS");
  const long count = env ? std::atol(env) : 1500;
  Rng rng{seedValue};
  long refused = 0;
  double slowest = 0;
  std::vector<Byte> slowestInput;
  for (long i = 0; i < count; ++i) {
    std::vector<Byte> input = Mutate(seeds[size_t(i) % seeds.size()], rng);
    if (fixPngCrcs && (i & 1)) FixPngCrcs(input);
    TMemoryStream s;
    LoadBytes(s, input);
    TIEBitmap bmp;
    bmp.SetLocation(islMemory);
    bmp.SetFileThreshold(UINT64_MAX);
    TIOParamsVals params;
    Progress pr;
    const auto start = std::chrono::steady_clock::now();
    {
      // Nothing in a filter asks the heap for more than a few row buffers.
      AllocLimit guard(32u << 20);
      try {
        read(&s, &bmp, params, pr.rec);
      } catch (const Exception&) {
        pr.abort = true;
      }
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (took > slowest) {
      slowest = took;
      slowestInput = input;
    }
    if (took >= 5.0) {
      // Keep the input for a look with other tools.
      TMemoryStream keep;
      LoadBytes(keep, input);
      keep.SaveToFile(TempPath(std::string("fmt_slow_") + name + ".bin"));
    }
    ASSERT_LT(took, 5.0) << name << " mutation " << i;
    if (pr.abort) ++refused;
    const Int64 pixels = Int64(bmp.Width()) * bmp.Height();
    ASSERT_LE(pixels, (Int64(1) << 20) + Int64(input.size()) * maxPixelsPerByte) << name << " mutation " << i;
    // The buffer is whole: every row can be reached and written.
    for (Integer y = 0; y < bmp.Height(); ++y) static_cast<Byte*>(bmp.GetRowPointer(y))[0] ^= 1;
  }
  std::printf("%s: %ld mutations, %ld refused, slowest %.3f s\n", name, count, refused, slowest);
  if (env) {
    TMemoryStream keep;
    LoadBytes(keep, slowestInput);
    keep.SaveToFile(TempPath(std::string("fmt_slowest_") + name + ".bin"));
  }
}

std::vector<Byte> Jpeg(TIEBitmap& pic, const std::function<void(TIOParamsVals&)>& setup) {
  TIOParamsVals p;
  setup(p);
  TMemoryStream s;
  Progress pr;
  WriteJpegStream(&s, &pic, p, pr.rec);
  return StreamBytes(s);
}

std::unique_ptr<TIEBitmap> Noise(Integer w, Integer h) {
  return MakeRGB(w, h, [](Integer x, Integer y) { return uint32_t(x * 7919 + y * 104729) * 2654435761u >> 8; });
}

}  // namespace

TEST(FmtCodecMutation, JpegReader) {
  auto pic = Noise(40, 24);
  const std::vector<std::vector<Byte>> seeds = {
      Jpeg(*pic, [](TIOParamsVals&) {}),
      Jpeg(*pic, [](TIOParamsVals& p) { p.JpegProgressive = true; }),
      Jpeg(*pic, [](TIOParamsVals& p) { p.JpegColorSpace = 3; }),
      Jpeg(*pic, [](TIOParamsVals& p) {
        p.JpegColorSpace = 1;
        p.JpegMarkers.AddMarker(0xE1, "Exif\0\0MM", 8);
      }),
  };
  Hammer("jpeg", seeds,
         [](TStream* s, TIEBitmap* b, TIOParamsVals& p, TIEProgressRecord& r) {
           ReadJpegStream(s, nullptr, b, false, false, r, p);
         },
         1024, 1);
}

TEST(FmtCodecMutation, PngReader) {
  auto pic = Noise(30, 20);
  TIEMask alpha;
  alpha.AllocateMask(30, 20, 8);
  alpha.FillMask(128);
  alpha.SetFull(false);
  std::vector<std::vector<Byte>> seeds;
  for (int kind = 0; kind < 4; ++kind) {
    TIOParamsVals p;
    p.PngInterlaced = kind == 1;
    if (kind == 2) p.SamplesPerPixel = 1;
    if (kind == 3) {
      p.SamplesPerPixel = 1;
      p.BitsPerSample = 1;
    }
    TMemoryStream s;
    Progress pr;
    WritePngStream(&s, pic.get(), p, kind == 1 ? &alpha : nullptr, pr.rec);
    seeds.push_back(StreamBytes(s));
  }
  Hammer("png", seeds,
         [](TStream* s, TIEBitmap* b, TIOParamsVals& p, TIEProgressRecord& r) {
           std::unique_ptr<TIEMask> mask;
           ReadPngStream(s, b, p, false, mask, false, r);
         },
         // Inflate gives at most 1032 bytes per byte, 8 pixels per byte at 1 bit.
         8 * 1032, 2, true);
}

TEST(FmtCodecMutation, Jpeg2000Reader) {
  auto pic = Noise(24, 16);
  std::vector<std::vector<Byte>> seeds;
  for (int kind = 0; kind < 3; ++kind) {
    TIOParamsVals p;
    if (kind == 2) p.J2kRate = 0.2;
    TMemoryStream s;
    Progress pr;
    Jpeg2000SaveToStream(&s, pic.get(), p, kind == 0 ? 0 : 1, pr.rec);
    seeds.push_back(StreamBytes(s));
  }
  Hammer("jpeg2000", seeds,
         [](TStream* s, TIEBitmap* b, TIOParamsVals& p, TIEProgressRecord& r) {
           Jpeg2000LoadFromStream(s, b, p, false, r);
         },
         4096, 3);
}
