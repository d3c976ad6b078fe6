// The TIFF reader and the EXIF block reader on damaged files: seeded bit
// flips, truncations, size and offset fields set huge, stretches removed or
// repeated and directory links turned into loops, under the allocation guard.
// No crash, no hang, no allocation the data does not justify.
// FMT_MUTATIONS sets the cases per reader (default 3000).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/ieexif.h"
#include "imaging/formats/jpegfilt.h"
#include "imaging/formats/tiffilt.h"
#include "tests/support/alloc_limit.h"
#include "tiff_read_util.h"

namespace {

using tifft::Builder;
using tifft::Dir;

Integer MutationCases() {
  const char* v = std::getenv("FMT_MUTATIONS");
  const long n = v ? std::strtol(v, nullptr, 10) : 0;
  return n > 0 ? Integer(n) : 3000;
}

std::vector<uint8_t> Rows(uint32_t W, uint32_t H, uint32_t BytesPerPixel) {
  std::vector<uint8_t> r;
  for (uint32_t y = 0; y < H; ++y)
    for (uint32_t x = 0; x < W * BytesPerPixel; ++x) r.push_back(uint8_t(x * 7 + y * 3 + (x / 5) * 40));
  return r;
}

std::vector<uint8_t> SmallJpeg(Integer W, Integer H) {
  auto pic = fmtt::MakeRGB(W, H, [](Integer x, Integer y) { return uint32_t(x * 9 + y * 0x0500); });
  TMemoryStream m;
  TIOParamsVals p;
  fmtt::TProgressBox pr;
  WriteJpegStream(&m, pic.get(), p, pr.Record);
  return fmtt::BytesOf(m);
}

// Seeds covering the directory chain, the tag kinds and every decoding road.
std::vector<std::vector<uint8_t>> TiffSeeds() {
  std::vector<std::vector<uint8_t>> s;
  {  // three pages, grey strips, both byte orders
    for (bool le : {true, false}) {
      Builder b(le);
      for (uint32_t k = 0; k < 3; ++k) {
        Dir d;
        d.Image(12 + k, 9, 1, 8, 1).Short(278, {4}).Text(270, "page").Rational(282, {300, 1}).Short(297, {k, 3});
        for (uint32_t y = 0; y < 9; y += 4) d.Chunks.push_back(Rows(12 + k, std::min(4u, 9 - y), 1));
        b.Dirs.push_back(d);
      }
      s.push_back(b.Build());
    }
  }
  {  // RGB tiles, LZW with predictor
    Builder b;
    Dir d;
    d.Image(40, 20, 3, 8, 2, 5).Short(317, {2}).Short(322, {16}).Short(323, {16});
    d.Tiles = true;
    for (int t = 0; t < 6; ++t) {
      auto raw = Rows(16, 16, 3);
      for (size_t i = raw.size(); i-- > 3;) raw[i] = uint8_t(raw[i] - raw[i - 3]);
      d.Chunks.push_back(tifft::LzwEncode(raw));
    }
    b.Dirs.push_back(d);
    s.push_back(b.Build());
  }
  {  // palette PackBits with a colour map, and RGBA with alpha
    Builder b;
    Dir d;
    d.Image(30, 10, 1, 4, 3, 32773);
    std::vector<uint32_t> map(48);
    for (uint32_t i = 0; i < 48; ++i) map[i] = i * 1300;
    d.Short(320, map);
    d.Chunks.push_back(tifft::PackBits(Rows(15, 10, 1)));
    b.Dirs.push_back(d);
    Dir a;
    a.Image(10, 6, 4, 8, 2).Short(338, {2}).Short(274, {6});
    a.Chunks.push_back(Rows(10, 6, 4));
    b.Dirs.push_back(a);
    s.push_back(b.Build());
  }
  {  // planes, 16-bit big-endian, CMYK, Lab, bilevel
    Builder b(false);
    Dir p;
    p.Image(9, 4, 3, 8, 2).Short(284, {2}).Short(278, {2});
    for (int k = 0; k < 6; ++k) p.Chunks.push_back(Rows(9, 2, 1));
    b.Dirs.push_back(p);
    Dir g;
    g.Image(7, 5, 3, 16, 2);
    g.Chunks.push_back(Rows(7, 5, 6));
    b.Dirs.push_back(g);
    Dir c;
    c.Image(6, 4, 4, 8, 5);
    c.Chunks.push_back(Rows(6, 4, 4));
    b.Dirs.push_back(c);
    Dir l;
    l.Image(6, 4, 3, 8, 8);
    l.Chunks.push_back(Rows(6, 4, 3));
    b.Dirs.push_back(l);
    Dir w;
    w.Image(21, 6, 1, 1, 0);
    w.Chunks.push_back(Rows(3, 6, 1));
    b.Dirs.push_back(w);
    s.push_back(b.Build());
  }
  {  // JPEG strips with tables and old-style JPEG
    Builder b;
    Dir d;
    d.Image(16, 16, 3, 8, 6, 7).Short(278, {8});
    d.Chunks.push_back(SmallJpeg(16, 8));
    d.Chunks.push_back(SmallJpeg(16, 8));
    b.Dirs.push_back(d);
    s.push_back(b.Build());
  }
  {  // EXIF and IPTC
    Builder b;
    Dir d;
    d.Image(4, 4, 1, 8, 1).Raw(33723, tifft::UNDEFINED, {0x1C, 2, 5, 0, 2, 'H', 'i'});
    d.Chunks.push_back(Rows(4, 4, 1));
    Dir e;
    e.Rational(33434, {1, 60}).Raw(37510, tifft::UNDEFINED, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'x'});
    d.SubDirs.push_back({34665, e});
    b.Dirs.push_back(d);
    s.push_back(b.Build());
  }
  // Fixtures made by independent writers.
  for (const char* f : {"lzw_rgb_tiles.tif", "g4_bilevel.tif", "jpeg_ycbcr.tif", "packbits_palette.tif",
                        "g3_2d_fill.tif", "multipage_be.tif"}) {
    auto bytes = fmtt::ReadAll(std::string(TEST_DATA_DIR) + "/tiff/" + f);
    if (!bytes.empty()) s.push_back(bytes);
  }
  return s;
}

// Mutations of a TIFF: those of every format, and a next-directory link or
// an entry's offset pointed somewhere else in the file (loops included).
std::vector<uint8_t> Mutate(const std::vector<uint8_t>& Seed, std::mt19937& Rng) {
  std::vector<uint8_t> f = Seed;
  auto pick = [&](size_t n) { return n ? size_t(Rng() % n) : 0; };
  const bool le = f.size() > 1 && f[0] == 'I';
  auto put32 = [&](size_t at, uint32_t v) {
    for (int k = 0; k < 4 && at + size_t(k) < f.size(); ++k) f[at + size_t(k)] = uint8_t(le ? v >> (8 * k) : v >> (24 - 8 * k));
  };
  switch (Rng() % 7) {
    case 0:
    case 1: {
      const int flips = 1 + int(Rng() % 8);
      for (int k = 0; k < flips && !f.empty(); ++k) f[pick(f.size())] ^= uint8_t(1u << (Rng() % 8));
      break;
    }
    case 2:
      f.resize(pick(f.size()));
      break;
    case 3: {  // a 16- or 32-bit field anywhere set to a huge or tiny value
      static const uint32_t values[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0xFFFFu, 0x7FFFu, 0x10000u, 0, 1};
      const uint32_t v = values[Rng() % 8];
      const size_t at = pick(f.size());
      if (Rng() % 2) {
        put32(at, v);
      } else if (at + 1 < f.size()) {
        f[at] = uint8_t(le ? v : v >> 8);
        f[at + 1] = uint8_t(le ? v >> 8 : v);
      }
      break;
    }
    case 4: {  // an aligned 32-bit word pointed at another place of the file
      if (f.size() < 16) break;
      const size_t at = pick(f.size() / 2) * 2;
      put32(at, uint32_t(pick(f.size() + 8)));
      break;
    }
    case 5: {
      const size_t at = pick(f.size()), n = 1 + pick(16);
      for (size_t k = 0; k < n && at + k < f.size(); ++k) f[at + k] = uint8_t(Rng());
      break;
    }
    default: {
      if (f.size() < 4) break;
      const size_t at = pick(f.size()), n = 1 + pick(std::min<size_t>(64, f.size() - at));
      if (Rng() % 2)
        f.erase(f.begin() + long(at), f.begin() + long(std::min(f.size(), at + n)));
      else
        f.insert(f.begin() + long(at), f.begin() + long(at), f.begin() + long(std::min(f.size(), at + n)));
      break;
    }
  }
  return f;
}

struct Tally {
  Integer Refused = 0, Escaped = 0, Decoded = 0;
  double Slowest = 0;
  std::string FirstEscape;
};

TEST(TiffReadMutation, DamagedTiffFilesFailCleanly) {
  const auto seeds = TiffSeeds();
  ASSERT_GE(seeds.size(), 7u);
  const Integer cases = MutationCases();
  std::mt19937 rng(20261211u);
  Tally t;
  const auto start = std::chrono::steady_clock::now();
  // Seeds are a few kilobytes: nothing they could describe needs more than a
  // few tens of megabytes.
  AllocLimit guard(96u << 20, 768u << 20);
  for (Integer i = 0; i < cases; ++i) {
    const auto file = Mutate(seeds[size_t(i) % seeds.size()], rng);
    auto stream = fmtt::StreamOf(file);
    TIEBitmap bitmap;
    bitmap.SetLocation(islMemory);
    bitmap.SetFileThreshold(UINT64_MAX);
    TIOParamsVals params;
    params.TiffLzwDecoder = tifft::LzwDecodeRow;
    params.TiffPageIndex = rng() % 4 ? 0 : Integer(rng() % 6);
    params.TiffApplyOrientation = rng() % 2;
    fmtt::TProgressBox progress;
    std::unique_ptr<TIEMask> alpha;
    Integer count = 0;
    const auto t0 = std::chrono::steady_clock::now();
    try {
      ReadTiffStream(&bitmap, stream.get(), count, rng() % 4 == 0, false, alpha, rng() % 8 == 0, progress.Record,
                     params);
    } catch (const std::exception& e) {
      if (t.Escaped++ == 0) t.FirstEscape = std::string(e.what()) + " (case " + std::to_string(i) + ")";
    }
    t.Slowest = std::max(t.Slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    t.Refused += progress.Abort;
    EXPECT_LE(Int64(bitmap.Width()) * bitmap.Height() * IEPixelKindBits[bitmap.PixelKind()] / 8, Int64(64) << 20)
        << "case " << i;
    if (bitmap.Width() > 0 && bitmap.Height() > 0) {
      t.Decoded += !progress.Abort;
      ASSERT_NE(bitmap.GetRowPointer(bitmap.Height() - 1), nullptr);
      (void)fmtt::Pixel(bitmap, bitmap.Width() - 1, bitmap.Height() - 1);
    }
    if (alpha && alpha->Width() > 0) (void)alpha->GetPixelValue(alpha->Width() - 1, alpha->Height() - 1);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("[ mutation ] tiff: %d cases, %d decoded, %d refused, %.2f s, slowest %.4f s, largest request %zu bytes\n",
              int(cases), int(t.Decoded), int(t.Refused), seconds, t.Slowest, guard.LargestRequest());
  EXPECT_EQ(guard.Refusals(), 0u) << "a request of " << guard.LargestRequest() << " bytes";
  EXPECT_EQ(t.Escaped, 0) << t.FirstEscape;
  EXPECT_LT(t.Slowest, 2.0);
  EXPECT_GT(t.Refused, 0);
  EXPECT_GT(t.Decoded, cases / 4);
}

TEST(TiffReadMutation, DamagedExifBlocksFailCleanly) {
  std::vector<std::vector<uint8_t>> seeds;
  for (const auto& tiff : TiffSeeds()) {
    std::vector<uint8_t> b = {'E', 'x', 'i', 'f', 0, 0};
    b.insert(b.end(), tiff.begin(), tiff.end());
    seeds.push_back(b);
  }
  const Integer cases = std::max<Integer>(MutationCases() / 3, 200);
  std::mt19937 rng(7u);
  Integer escaped = 0, readOk = 0;
  AllocLimit guard(96u << 20, 768u << 20);
  for (Integer i = 0; i < cases; ++i) {
    auto block = seeds[size_t(i) % seeds.size()];
    // Keep the "Exif" lead-in most of the time so the TIFF part is reached.
    std::vector<uint8_t> tail(block.begin() + 6, block.end());
    tail = Mutate(tail, rng);
    if (rng() % 10 == 0) block = Mutate(block, rng);
    else block.resize(6), block.insert(block.end(), tail.begin(), tail.end());
    TIOParamsVals params;
    try {
      readOk += ReadExifBlock(block.data(), Integer(block.size()), params);
    } catch (const std::exception&) {
      ++escaped;
    }
    if (params.ExifThumbnail && params.ExifThumbnail->Width() > 0)
      (void)fmtt::Pixel(*params.ExifThumbnail, params.ExifThumbnail->Width() - 1, params.ExifThumbnail->Height() - 1);
  }
  std::printf("[ mutation ] exif: %d cases, %d read\n", int(cases), int(readOk));
  EXPECT_EQ(guard.Refusals(), 0u);
  EXPECT_EQ(escaped, 0);
  EXPECT_GT(readOk, cases / 2);
}

}  // namespace
