// TIFF fax images: modified Huffman, Group 3 one- and two-dimensional and
// Group 4 strips and tiles, both fill orders, both photometric senses, made
// by the fax encoders, and fax data that ends inside a row.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/tifccitt.h"
#include "imaging/formats/tiffilt.h"
#include "tiff_read_util.h"

namespace {

using tifft::Builder;
using tifft::Dir;

constexpr Integer kFaxW = 45, kFaxH = 12;

// Black runs of many lengths, a full black row and a full white one.
bool Black(Integer X, Integer Y) {
  if (Y == 3) return true;
  if (Y == 7) return false;
  return ((X * (Y + 1)) / 5 + Y) % 3 == 0;
}

// Encoder rows hold 1 for black.
std::vector<Byte> EncoderRow(Integer Y, Integer X0, Integer Width) {
  std::vector<Byte> r(size_t(Width + 7) / 8, 0);
  for (Integer x = 0; x < Width; ++x)
    if (X0 + x < kFaxW && Y < kFaxH && Black(X0 + x, Y)) r[size_t(x) >> 3] |= Byte(0x80 >> (x & 7));
  return r;
}

enum class Fax { MH, G3_1D, G3_2D, G4 };

std::vector<uint8_t> Encode(Fax F, Integer X0, Integer Width, Integer Y0, Integer Rows) {
  TMemoryStream s;
  bool abort = false;
  Integer bits = 0;
  Byte carried = 0;
  std::vector<Byte> ref;
  for (Integer y = Y0; y < Y0 + Rows; ++y) {
    const auto row = EncoderRow(y, X0, Width);
    switch (F) {
      case Fax::MH:
        FaxEncodeMHRow(row.data(), Width, &s, abort);
        break;
      case Fax::G3_1D: {
        const Byte eol[2] = {0x00, 0x01};  // EOL after 3 fill bits, rows byte-aligned
        s.Write(eol, 2);
        FaxEncodeMHRow(row.data(), Width, &s, abort);
        break;
      }
      case Fax::G3_2D:
        FaxEncodeG3Row(row.data(), Width, &s, abort, ref, bits, carried);
        break;
      case Fax::G4:
        FaxEncodeG4Row(row.data(), Width, &s, abort, ref, bits, carried);
        break;
    }
  }
  if (F == Fax::G3_2D) FaxEncodeG3Row(nullptr, Width, &s, abort, ref, bits, carried);
  if (F == Fax::G4) FaxEncodeG4Row(nullptr, Width, &s, abort, ref, bits, carried);
  return fmtt::BytesOf(s);
}

struct FaxCase {
  Fax F;
  int FillOrder;
  bool Tiles;
  int Photometric;
};

std::string Name(const FaxCase& C) {
  const char* f[] = {"mh", "g3_1d", "g3_2d", "g4"};
  return std::string(f[int(C.F)]) + (C.FillOrder == 2 ? "_lsb" : "_msb") + (C.Tiles ? "_tiles" : "_strips") +
         (C.Photometric ? "_minisblack" : "_miniswhite");
}

std::vector<uint8_t> Reverse(std::vector<uint8_t> D) {
  for (uint8_t& b : D) ReverseBitsInByte(b);
  return D;
}

std::vector<uint8_t> File(const FaxCase& C) {
  Builder b;
  Dir d;
  const uint32_t comp = C.F == Fax::MH ? 2 : C.F == Fax::G4 ? 4 : 3;
  d.Image(kFaxW, kFaxH, 1, 1, uint32_t(C.Photometric), comp).Short(266, {uint32_t(C.FillOrder)});
  if (C.F == Fax::G3_2D) d.Long(292, {1 | 4});
  if (C.F == Fax::G3_1D) d.Long(292, {4});
  auto add = [&](std::vector<uint8_t> data) { d.Chunks.push_back(C.FillOrder == 2 ? Reverse(data) : data); };
  if (C.Tiles) {
    d.Tiles = true;
    d.Short(322, {32}).Short(323, {16});
    for (Integer x = 0; x < kFaxW; x += 32) add(Encode(C.F, x, 32, 0, 16));
  } else {
    d.Short(278, {5});
    for (Integer y = 0; y < kFaxH; y += 5) add(Encode(C.F, 0, kFaxW, y, std::min(5, kFaxH - y)));
  }
  b.Dirs.push_back(d);
  return b.Build();
}

std::vector<FaxCase> FaxCases() {
  std::vector<FaxCase> out;
  for (Fax f : {Fax::MH, Fax::G3_1D, Fax::G3_2D, Fax::G4})
    for (int fo : {1, 2})
      for (bool tiles : {false, true})
        for (int ph : {0, 1}) out.push_back(FaxCase{f, fo, tiles, ph});
  return out;
}

struct Decoded {
  std::unique_ptr<TIEBitmap> Bitmap = fmtt::NewBuffer();
  bool Abort = false;
  std::string Error;
};

Decoded Read(const std::vector<uint8_t>& F) {
  Decoded d;
  auto s = fmtt::StreamOf(F);
  std::unique_ptr<TIEMask> a;
  TIOParamsVals p;
  fmtt::TProgressBox pr;
  Integer n = 0;
  IEClearFilterError();
  ReadTiffStream(d.Bitmap.get(), s.get(), n, false, false, a, false, pr.Record, p);
  d.Abort = pr.Abort;
  d.Error = IELastFilterError();
  return d;
}

class TiffReadFax : public ::testing::TestWithParam<FaxCase> {};

TEST_P(TiffReadFax, DecodesEveryRow) {
  const FaxCase& c = GetParam();
  Decoded d = Read(File(c));
  ASSERT_FALSE(d.Abort) << d.Error;
  ASSERT_EQ(d.Bitmap->PixelKind(), ipkBW1);
  ASSERT_EQ(d.Bitmap->Width(), kFaxW);
  ASSERT_EQ(d.Bitmap->Height(), kFaxH);
  Integer wrong = 0;
  for (Integer y = 0; y < kFaxH; ++y)
    for (Integer x = 0; x < kFaxW; ++x) {
      // Min-is-black fax data shows inverted: the codes' white is black.
      const bool white = Black(x, y) == (c.Photometric == 1);
      wrong += fmtt::Pixel(*d.Bitmap, x, y) != (white ? 0xFFFFFFu : 0u);
    }
  EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, TiffReadFax, ::testing::ValuesIn(FaxCases()),
                         [](const ::testing::TestParamInfo<FaxCase>& I) { return Name(I.param); });

// Fax data that stops inside a row, or never codes a row at all: the rows
// before it stay, nothing is read or written outside the strip, no failure.
TEST(TiffReadFaxDamage, DataEndingInsideARowStopsThere) {
  for (Fax f : {Fax::MH, Fax::G3_1D, Fax::G3_2D, Fax::G4}) {
    const auto full = Encode(f, 0, kFaxW, 0, kFaxH);
    for (size_t keep : {full.size() / 2, size_t(3), size_t(0)}) {
      Builder b;
      Dir d;
      const uint32_t comp = f == Fax::MH ? 2 : f == Fax::G4 ? 4 : 3;
      d.Image(kFaxW, kFaxH, 1, 1, 0, comp).Long(292, {f == Fax::G3_2D ? 5u : 4u});
      d.Chunks.push_back(std::vector<uint8_t>(full.begin(), full.begin() + long(keep)));
      if (keep == 0) d.Chunks.back() = {0x00, 0x00, 0x00, 0x00};  // no code at all
      b.Dirs.push_back(d);
      Decoded r = Read(b.Build());
      EXPECT_FALSE(r.Abort) << int(f) << " " << keep << ": " << r.Error;
      ASSERT_EQ(r.Bitmap->Height(), kFaxH);
      if (keep == full.size() / 2) {
        for (Integer x = 0; x < kFaxW; ++x)
          EXPECT_EQ(fmtt::Pixel(*r.Bitmap, x, 0), Black(x, 0) ? 0u : 0xFFFFFFu) << int(f) << " x " << x;
      }
    }
  }
  // Garbage of every byte value: rows end, the reader returns.
  std::vector<uint8_t> junk(300);
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = uint8_t(i * 37 + 11);
  for (uint32_t comp : {2u, 3u, 4u}) {
    Builder b;
    Dir d;
    d.Image(1000, 200, 1, 1, 0, comp).Long(292, {comp == 3 ? 1u : 0u});
    d.Chunks.push_back(junk);
    b.Dirs.push_back(d);
    Decoded r = Read(b.Build());
    EXPECT_EQ(r.Bitmap->Width(), 1000) << comp;
  }
}

}  // namespace
