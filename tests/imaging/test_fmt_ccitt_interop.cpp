// Fax streams made by independent encoders, decoded by our row decoders.
// fmt_tiffw_interop.py fills FMT_CCITT_INTEROP_DIR with NAME.fax (the strips
// of a TIFF file, one after the other), NAME.txt ("scheme width height
// fillorder fillbits" then "rows bytes" per strip) and NAME.pbm (the picture
// encoded). Without that variable there is nothing to do.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/formats/tifccitt.h"
#include "platform/SysUtils.h"

namespace {

std::vector<Byte> ReadBytes(const std::string& Path) {
  std::ifstream f(Path, std::ios::binary);
  return std::vector<Byte>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// P4 rows (1 = black), (width + 7) / 8 bytes each.
bool ReadPbm(const std::string& Path, Integer& W, Integer& H, std::vector<Byte>& Rows) {
  const std::vector<Byte> data = ReadBytes(Path);
  int w = 0, h = 0, n = 0;
  const std::string head(data.begin(), data.begin() + std::min<size_t>(data.size(), 64));
  if (std::sscanf(head.c_str(), "P4 %d %d%n", &w, &h, &n) != 2) return false;
  W = w;
  H = h;
  const size_t size = size_t((w + 7) / 8) * size_t(h);
  if (data.size() < size_t(n) + 1 + size) return false;
  Rows.assign(data.begin() + n + 1, data.begin() + n + 1 + Integer(size));
  return true;
}

std::vector<std::string> Names(const std::string& Dir) {
  std::vector<std::string> out;
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW(Utf8ToWide(Dir + "\\*.txt").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    const std::string n = WideToUtf8(fd.cFileName);
    out.push_back(n.substr(0, n.size() - 4));
  } while (::FindNextFileW(h, &fd));
  ::FindClose(h);
  return out;
}

}  // namespace

TEST(FmtCcittInterop, DecodesIndependentStreams) {
  const char* env = std::getenv("FMT_CCITT_INTEROP_DIR");
  if (!env || !*env) GTEST_SKIP() << "FMT_CCITT_INTEROP_DIR not set";
  const std::string dir = std::string(env) + "\\";
  int decoded = 0;
  for (const std::string& name : Names(std::string(env))) {
    SCOPED_TRACE(name);
    std::ifstream txt(dir + name + ".txt");
    std::string scheme;
    Integer width = 0, height = 0, fillOrder = 1, fillBits = 0;
    txt >> scheme >> width >> height >> fillOrder >> fillBits;
    std::vector<std::pair<Integer, Integer>> strips;  // rows, bytes
    for (Integer rows, bytes; txt >> rows >> bytes;) strips.emplace_back(rows, bytes);
    Integer w = 0, h = 0;
    std::vector<Byte> want;
    ASSERT_TRUE(ReadPbm(dir + name + ".pbm", w, h, want));
    ASSERT_EQ(w, width);
    ASSERT_EQ(h, height);
    const std::vector<Byte> data = ReadBytes(dir + name + ".fax");

    const Integer bytes = (width + 7) / 8;
    std::vector<Byte> row(static_cast<size_t>(bytes)), ref(static_cast<size_t>(bytes));
    Integer y = 0, bad = 0;
    size_t at = 0;
    for (const auto& [rows, size] : strips) {
      ASSERT_LE(at + size_t(size), data.size());
      const Byte* strip = data.data() + at;
      std::fill(ref.begin(), ref.end(), 0xFF);
      std::vector<Integer> changes;  // as the reader keeps them
      Integer pos = 0;
      for (Integer r = 0; r < rows && y < height; ++r, ++y) {
        if (scheme == "mh") {
          pos += FaxDecodeMHRow(row.data(), strip + pos, width, fillOrder, size - pos);
        } else if (scheme == "g31d") {
          pos = FaxDecode1DRow(row.data(), strip, width, fillOrder, pos, size);
        } else {
          pos = FaxDecode2DRow(row.data(), strip, size, fillBits != 0, fillOrder, pos, ref.data(), width,
                               &changes);
        }
        for (Integer x = 0; x < width; ++x) {
          const bool gotBlack = !(row[size_t(x >> 3)] & (0x80 >> (x & 7)));
          const bool wantBlack = (want[size_t(y) * size_t(bytes) + size_t(x >> 3)] & (0x80 >> (x & 7))) != 0;
          if (gotBlack != wantBlack) {
            if (bad++ < 5) ADD_FAILURE() << "pixel " << x << "," << y << " differs";
          }
        }
      }
      at += size_t(size);
    }
    EXPECT_EQ(y, height);
    EXPECT_EQ(bad, 0);
    ++decoded;
  }
  std::printf("fax streams decoded: %d\n", decoded);
  EXPECT_GT(decoded, 0);
}
