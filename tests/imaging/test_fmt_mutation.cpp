// Every reader on damaged files: seeded bit flips, truncations and size
// fields set huge, in one process under the allocation guard. No crash, no
// hang, no allocation the data does not justify, and the buffer stays usable.
// FMT_MUTATIONS sets the cases per reader (default 2000).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/bmpfilt.h"
#include "imaging/formats/giffilter.h"
#include "imaging/formats/iepnm.h"
#include "imaging/formats/ietgafil.h"
#include "imaging/formats/pcxfilter.h"
#include "tests/support/alloc_limit.h"

namespace {

using TReader = std::function<void(TStream*, TIEBitmap*, TIOParamsVals&, TIEProgressRecord&, std::unique_ptr<TIEMask>&)>;

struct ReaderCase {
  const char* Name;
  std::vector<const char*> Seeds;
  TReader Read;
};

Integer CasesPerReader() {
  const char* v = std::getenv("FMT_MUTATIONS");
  const long n = v ? std::strtol(v, nullptr, 10) : 0;
  return n > 0 ? Integer(n) : 2000;
}

std::vector<Byte> Mutate(const std::vector<Byte>& Seed, std::mt19937& Rng) {
  std::vector<Byte> f = Seed;
  auto pick = [&](size_t n) { return n ? size_t(Rng() % n) : 0; };
  switch (Rng() % 6) {
    case 0:
    case 1: {  // a few bit flips
      const int flips = 1 + int(Rng() % 8);
      for (int k = 0; k < flips && !f.empty(); ++k) f[pick(f.size())] ^= Byte(1u << (Rng() % 8));
      break;
    }
    case 2:  // truncation
      f.resize(pick(f.size()));
      break;
    case 3: {  // a size field in the header area set huge
      static const uint32_t huge[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0xFFFFu, 0x7FFFu, 0x10000u, 0};
      const uint32_t v = huge[Rng() % 7];
      const size_t at = pick(std::min<size_t>(f.size(), 80));
      const int width = (Rng() % 2) ? 2 : 4;
      for (int k = 0; k < width && at + k < f.size(); ++k) f[at + k] = Byte(v >> (8 * k));
      break;
    }
    case 4: {  // random bytes over a stretch
      const size_t at = pick(f.size()), n = 1 + pick(16);
      for (size_t k = 0; k < n && at + k < f.size(); ++k) f[at + k] = Byte(Rng());
      break;
    }
    default: {  // a stretch removed or repeated
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

const std::vector<ReaderCase>& Readers() {
  static const std::vector<ReaderCase> r = {
      {"bmp",
       {"bmp1.bmp", "bmp4.bmp", "bmp8_rle.bmp", "bmp16_565.bmp", "bmp24_os2.bmp", "bmp32.bmp", "bmp8_os2.bmp"},
       [](TStream* s, TIEBitmap* b, TIOParamsVals& p, TIEProgressRecord& pr, std::unique_ptr<TIEMask>&) {
         ReadBmpStream(s, b, p, pr, false, 0);
       }},
      {"ico",
       {"ico1.ico", "ico4.ico", "ico8.ico", "ico32.ico"},
       [](TStream* s, TIEBitmap* b, TIOParamsVals& p, TIEProgressRecord& pr, std::unique_ptr<TIEMask>& a) {
         ReadIcoStream(s, b, p, pr, false, false, a);
       }},
      {"cur",
       {"cur4.cur"},
       [](TStream* s, TIEBitmap* b, TIOParamsVals& p, TIEProgressRecord& pr, std::unique_ptr<TIEMask>& a) {
         ReadCurStream(s, b, p, pr, false, false, a);
       }},
      {"pnm",
       {"p1.pbm", "p2.pgm", "p3.ppm", "p4.pbm", "p5_max100.pgm", "p6_16bit.ppm", "p6_comments.ppm"},
       [](TStream* s, TIEBitmap* b, TIOParamsVals& p, TIEProgressRecord& pr, std::unique_ptr<TIEMask>&) {
         ReadPnmStream(s, b, p, pr, false);
       }},
      {"pcx",
       {"pcx1.pcx", "pcx4_planes.pcx", "pcx4_packed.pcx", "pcx8.pcx", "pcx24_im.pcx"},
       [](TStream* s, TIEBitmap* b, TIOParamsVals& p, TIEProgressRecord& pr, std::unique_ptr<TIEMask>&) {
         ReadPcxStream(s, b, p, pr, false, 0);
       }},
      {"tga",
       {"tga24.tga", "tga24_rle.tga", "tga32_rle.tga", "tga8_cmap_rle.tga", "tga8_grey.tga"},
       [](TStream* s, TIEBitmap* b, TIOParamsVals& p, TIEProgressRecord& pr, std::unique_ptr<TIEMask>& a) {
         ReadTgaStream(s, b, p, pr, false, false, a);
       }},
      {"gif",
       {"gif1.gif", "gif8.gif", "gif4_interlaced.gif", "gif4_transparent.gif"},
       [](TStream* s, TIEBitmap* b, TIOParamsVals& p, TIEProgressRecord& pr, std::unique_ptr<TIEMask>& a) {
         ReadGifStream(s, b, p, pr, false, false, a);
       }},
  };
  return r;
}

class FmtMutation : public ::testing::TestWithParam<size_t> {};

TEST_P(FmtMutation, DamagedFilesFailCleanly) {
  const ReaderCase& rc = Readers()[GetParam()];
  std::vector<std::vector<Byte>> seeds;
  for (const char* s : rc.Seeds) {
    seeds.push_back(fmtt::ReadAll(fmtt::CorpusPath(s)));
    ASSERT_FALSE(seeds.back().empty()) << s;
  }
  const Integer cases = CasesPerReader();
  std::mt19937 rng(20261211u + unsigned(GetParam()));
  Integer refused = 0, escaped = 0, oversized = 0;
  double slowest = 0;
  std::string firstEscape;
  const auto start = std::chrono::steady_clock::now();
  // Seeds are at most a few kilobytes: a decoded picture never justifies more
  // than a few megabytes.
  AllocLimit guard(64u << 20, 512u << 20);
  for (Integer i = 0; i < cases; ++i) {
    const std::vector<Byte> file = Mutate(seeds[size_t(i) % seeds.size()], rng);
    auto stream = fmtt::StreamOf(file);
    TIEBitmap bitmap;
    bitmap.SetLocation(islMemory);
    bitmap.SetFileThreshold(UINT64_MAX);
    TIOParamsVals params;
    fmtt::TProgressBox progress;
    std::unique_ptr<TIEMask> alpha;
    const auto t0 = std::chrono::steady_clock::now();
    try {
      rc.Read(stream.get(), &bitmap, params, progress.Record, alpha);
    } catch (const std::exception& e) {
      if (escaped++ == 0) firstEscape = std::string(e.what()) + " (case " + std::to_string(i) + ")";
    }
    slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    refused += progress.Abort;
    // The picture's own memory (outside the guard's view) is bounded too,
    // and the buffer is usable whatever happened.
    if (Int64(bitmap.Width()) * bitmap.Height() * 3 > (Int64(64) << 20)) ++oversized;
    if (bitmap.Width() > 0 && bitmap.Height() > 0) {
      ASSERT_NE(bitmap.GetRowPointer(bitmap.Height() - 1), nullptr);
      (void)fmtt::Pixel(bitmap, bitmap.Width() - 1, bitmap.Height() - 1);
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("[ mutation ] %s: %d cases, %d refused, %.1f s, slowest %.3f s, largest request %zu bytes\n", rc.Name,
              int(cases), int(refused), seconds, slowest, guard.LargestRequest());
  EXPECT_EQ(guard.Refusals(), 0u) << rc.Name << ": a request of " << guard.LargestRequest() << " bytes";
  EXPECT_EQ(escaped, 0) << rc.Name << ": " << firstEscape;
  EXPECT_EQ(oversized, 0) << rc.Name;
  EXPECT_LT(slowest, 2.0) << rc.Name;
  EXPECT_GT(refused, 0) << rc.Name;
}

INSTANTIATE_TEST_SUITE_P(Readers, FmtMutation, ::testing::Range<size_t>(0, 7),
                         [](const ::testing::TestParamInfo<size_t>& I) { return std::string(Readers()[I.param].Name); });

}  // namespace
