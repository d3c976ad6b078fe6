// Fax row codec: round trips of every scheme over a table of rows, exact
// bits of known codes, EOL handling, fill order, and rows cut short or
// coded past their width.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/formats/tifccitt.h"
#include "platform/Classes.h"

namespace {

using Row = std::vector<Byte>;  // 1 = black, the encoders' convention

Integer RowBytes(Integer W) { return (W + 7) / 8; }

Row MakeRow(Integer W, const std::function<bool(Integer)>& Black) {
  Row r(size_t(RowBytes(W)), 0);
  for (Integer x = 0; x < W; ++x)
    if (Black(x)) r[size_t(x >> 3)] |= Byte(0x80 >> (x & 7));
  return r;
}

// Runs of the given lengths, alternating from white.
Row RunsRow(Integer W, const std::vector<Integer>& Runs) {
  std::vector<bool> px;
  bool black = false;
  for (Integer r : Runs) {
    for (Integer i = 0; i < r; ++i) px.push_back(black);
    black = !black;
  }
  px.resize(size_t(W), black);
  return MakeRow(W, [&](Integer x) { return bool(px[size_t(x)]); });
}

// A decoded row (1 = white) in the encoders' convention, padding bits cleared.
Row FromDecoded(const Row& D, Integer W) {
  return MakeRow(W, [&](Integer x) { return !(D[size_t(x >> 3)] & (0x80 >> (x & 7))); });
}

std::vector<Byte> Bytes(TMemoryStream& S) {
  const Byte* p = static_cast<const Byte*>(S.Memory());
  return std::vector<Byte>(p, p + S.Size());
}

std::string Hex(const std::vector<Byte>& B) {
  std::string s;
  char buf[4];
  for (Byte b : B) {
    std::snprintf(buf, sizeof buf, "%02X", b);
    s += buf;
  }
  return s;
}

// The bits of a stream as a '0'/'1' string.
std::string BitString(const std::vector<Byte>& B) {
  std::string s;
  for (Byte b : B)
    for (int i = 7; i >= 0; --i) s += ((b >> i) & 1) ? '1' : '0';
  return s;
}

std::vector<Byte> FromBitString(const std::string& Bits) {
  std::vector<Byte> out((Bits.size() + 7) / 8, 0);
  for (size_t i = 0; i < Bits.size(); ++i)
    if (Bits[i] == '1') out[i / 8] |= Byte(0x80 >> (i % 8));
  return out;
}

void Reverse(std::vector<Byte>& B) {
  for (Byte& b : B) ReverseBitsInByte(b);
}

// k1D: one-dimensional rows without EOL; kG31D: the same with EOL before each row.
enum Scheme { kMH, k1D, kG31D, kG32D, kG4 };
const char* SchemeName(Scheme S) {
  static const char* const names[] = {"MH", "1D", "G3-1D", "G3-2D", "G4"};
  return names[S];
}

std::vector<Byte> Encode(Scheme S, const std::vector<Row>& Rows, Integer W) {
  TMemoryStream out;
  bool abort = false;
  Integer bits = 0;
  Byte carried = 0;
  std::vector<Byte> ref;
  for (const Row& r : Rows) switch (S) {
      case kMH: FaxEncodeMHRow(r.data(), W, &out, abort); break;
      case k1D:
      case kG31D: FaxEncode1DRow(r.data(), W, &out, abort, bits, carried, S == kG31D); break;
      case kG32D: FaxEncodeG3Row(r.data(), W, &out, abort, ref, bits, carried); break;
      case kG4: FaxEncodeG4Row(r.data(), W, &out, abort, ref, bits, carried); break;
    }
  switch (S) {
    case kMH: break;
    case k1D:
    case kG31D: FaxEncode1DRow(nullptr, W, &out, abort, bits, carried, S == kG31D); break;
    case kG32D: FaxEncodeG3Row(nullptr, W, &out, abort, ref, bits, carried); break;
    case kG4: FaxEncodeG4Row(nullptr, W, &out, abort, ref, bits, carried); break;
  }
  EXPECT_FALSE(abort);
  EXPECT_TRUE(ref.empty()) << "the final call releases the reference row";
  return Bytes(out);
}

// Decodes Height rows of Data; rows come back in the encoders' convention.
std::vector<Row> Decode(Scheme S, const std::vector<Byte>& Data, Integer W, Integer H, Integer FillOrder,
                        bool FillBits = false) {
  std::vector<Row> rows;
  Row row(size_t(RowBytes(W)) + 1), ref(size_t(RowBytes(W)) + 1, 0xFF);
  std::vector<Integer> changes;  // the reference row's changes, kept as the reader keeps them
  const Integer size = Integer(Data.size());
  Integer pos = 0;  // bits, bytes for MH
  for (Integer y = 0; y < H; ++y) {
    row.back() = 0x5A;
    switch (S) {
      case kMH:
        pos += FaxDecodeMHRow(row.data(), Data.data() + pos, W, FillOrder, size - pos);
        break;
      case k1D:
      case kG31D: pos = FaxDecode1DRow(row.data(), Data.data(), W, FillOrder, pos, size); break;
      case kG32D:
      case kG4:
        pos = FaxDecode2DRow(row.data(), Data.data(), size, FillBits, FillOrder, pos, ref.data(), W, &changes);
        break;
    }
    EXPECT_EQ(row.back(), 0x5A) << "row " << y << " written past its bytes";
    rows.push_back(FromDecoded(Row(row.begin(), row.end() - 1), W));
  }
  return rows;
}

// ---------------------------------------------------------------------------

struct Picture {
  const char* Name;
  Integer Width;
  std::vector<Row> Rows;
};

std::vector<Picture> Pictures() {
  std::vector<Picture> out;
  auto add = [&](const char* name, Integer w, Integer h, const std::function<Row(Integer)>& rowAt) {
    Picture p{name, w, {}};
    for (Integer y = 0; y < h; ++y) p.Rows.push_back(rowAt(y));
    out.push_back(p);
  };
  add("white 1728", 1728, 3, [](Integer) { return MakeRow(1728, [](Integer) { return false; }); });
  add("black 1728", 1728, 3, [](Integer) { return MakeRow(1728, [](Integer) { return true; }); });
  add("one pixel", 1, 4, [](Integer y) { return MakeRow(1, [y](Integer) { return y % 2 == 1; }); });
  add("width 13 checks", 13, 6, [](Integer y) { return MakeRow(13, [y](Integer x) { return (x + y) % 2 == 0; }); });
  // Every terminating length of both colours, then make-up lengths.
  add("runs 1..63", 2100, 4, [](Integer y) {
    std::vector<Integer> runs;
    for (Integer r = 1; r <= 63; ++r) runs.push_back(y % 2 ? 64 - r : r);
    return RunsRow(2100, runs);
  });
  add("make-up runs", 9000, 3, [](Integer y) {
    return RunsRow(9000, y == 0   ? std::vector<Integer>{64, 65, 127, 128, 1727, 1728, 1729, 64}
                         : y == 1 ? std::vector<Integer>{0, 1791, 1792, 1793, 2560, 2}
                                  : std::vector<Integer>{2561, 3000, 63, 3000, 376});
  });
  add("long runs past 2560", 5300, 2, [](Integer y) {
    return RunsRow(5300, y == 0 ? std::vector<Integer>{5200, 50} : std::vector<Integer>{0, 5121, 100});
  });
  // Shifting edges give pass, vertical +-1..3 and horizontal modes.
  add("drifting bars 77", 77, 24, [](Integer y) {
    return MakeRow(77, [y](Integer x) { return ((x + (y * y) % 7 - 3 * (y % 3)) / 5) % 2 == 0 || x == 76 - y; });
  });
  add("width 9 diagonal", 9, 12, [](Integer y) { return MakeRow(9, [y](Integer x) { return x == y % 9 || x == 8; }); });
  add("noise 203", 203, 30, [](Integer y) {
    return MakeRow(203, [y](Integer x) { return ((x * 7919 + y * 104729) ^ (x * y)) % 11 < 4; });
  });
  return out;
}

TEST(FmtCcittCodec, RoundTripsEverySchemeAndFillOrder) {
  for (const Picture& p : Pictures())
    for (Scheme s : {kMH, k1D, kG31D, kG32D, kG4}) {
      const std::vector<Byte> data = Encode(s, p.Rows, p.Width);
      std::vector<Byte> reversed = data;
      Reverse(reversed);
      for (Integer fillOrder : {1, 2}) {
        SCOPED_TRACE(std::string(p.Name) + " " + SchemeName(s) + " fill order " + std::to_string(fillOrder));
        const std::vector<Row> got =
            Decode(s, fillOrder == 1 ? data : reversed, p.Width, Integer(p.Rows.size()), fillOrder);
        for (size_t y = 0; y < got.size(); ++y) ASSERT_EQ(Hex(got[y]), Hex(p.Rows[y])) << "row " << y;
      }
    }
}

// Known codes, bit for bit.
TEST(FmtCcittCodec, WritesTheExpectedBits) {
  struct Case {
    const char* Name;
    Scheme S;
    Integer Width;
    std::vector<Row> Rows;
    std::string Bits;  // before padding to a byte
  };
  const Row white1728 = MakeRow(1728, [](Integer) { return false; });
  const Case cases[] = {
      // Make-up 1728 and white terminating 0.
      {"white 1728 MH", kMH, 1728, {white1728}, "010011011" "00110101"},
      // 2560, then 384, then 56.
      {"white 3000 1D", k1D, 3000, {MakeRow(3000, [](Integer) { return false; })},
       "000000011111" "00110111" "01011001"},
      // A black start: white 0, black 3000 (2560 + 384 + 56).
      {"black 3000 1D", k1D, 3000, {MakeRow(3000, [](Integer) { return true; })},
       "00110101" "000000011111" "000000110100" "000000101000"},
      // EOL before each one-dimensional row; the last row's bits padded.
      {"G3 1D two rows", kG31D, 8, {MakeRow(8, [](Integer) { return false; }), MakeRow(8, [](Integer) { return true; })},
       "000000000001" "10011" "000000000001" "00110101" "000101"},
      // V0, then EOFB.
      {"G4 one white row", kG4, 8, {MakeRow(8, [](Integer) { return false; })}, "1" "000000000001000000000001"},
      // EOL + tag 1 + runs; EOL + tag 0 + V0; the final EOL.
      {"G3 2D two rows", kG32D, 8, {MakeRow(8, [](Integer) { return false; }), MakeRow(8, [](Integer) { return false; })},
       "000000000001" "1" "10011" "000000000001" "0" "1" "000000000001"},
      // Horizontal mode (white 2, black 3) then V0 against an all-white row.
      {"G4 horizontal", kG4, 8, {MakeRow(8, [](Integer x) { return x >= 2 && x < 5; })},
       "001" "0111" "10" "1" "000000000001000000000001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::string want = c.Bits;
    while (want.size() % 8) want += '0';
    EXPECT_EQ(BitString(Encode(c.S, c.Rows, c.Width)), want);
  }
}

// Rows coded against empty runs of the row before, by hand. Other decoders
// agree on every row here: a pass over white 0 and black 0 coded in
// two-dimensional mode goes nowhere, while the pair inside a one-dimensional
// row is ignored by the row after it.
TEST(FmtCcittCodec, RowsCodedAgainstEmptyRuns) {
  const std::string eol = "000000000001";
  struct Case {
    const char* Name;
    Scheme S;
    std::string Bits;  // without the closing EOL (G3) or EOFB (G4)
    std::vector<std::vector<Integer>> Runs;  // the rows, from white
  };
  const Case cases[] = {
      // H(white 0, black 0) H(4, 3) V0 | P H(2, 2) V0
      {"G4, empty runs at a row's start", kG4,
       "001" "00110101" "0000110111" "001" "1011" "10" "1" "0001" "001" "0111" "11" "1", {{4, 3}, {2, 2}}},
      {"G3 two-dimensional rows", kG32D,
       eol + "0" "001" "00110101" "0000110111" "001" "1011" "10" "1" + eol + "0" "0001" "001" "0111" "11" "1",
       {{4, 3}, {2, 2}}},
      // H(4, 3) H(0, 0) V0 | V0 P V0: the pass ends at the empty runs, the
      // last V0 paints the row's end black.
      {"G4, empty runs inside a row", kG4,
       "001" "1011" "10" "001" "00110101" "0000110111" "1" "1" "0001" "1", {{4, 3}, {4, 12}}},
      // One-dimensional white 0, black 0, white 4, black 3, white 9 | P H(2, 2) V0
      {"G3 one-dimensional row before", kG32D,
       eol + "1" "00110101" "0000110111" "1011" "10" "10100" + eol + "0" "0001" "001" "0111" "11" "1",
       {{4, 3}, {9, 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::vector<Byte> data = FromBitString(c.Bits + eol + (c.S == kG4 ? eol : ""));
    const std::vector<Row> got = Decode(c.S, data, 16, Integer(c.Runs.size()), 1);
    for (size_t y = 0; y < got.size(); ++y) EXPECT_EQ(Hex(got[y]), Hex(RunsRow(16, c.Runs[y]))) << "row " << y;
    // Every code is taken by its own row: the closing codes come next.
    Row row(2), ref(2, 0xFF);
    std::vector<Integer> changes;
    Integer pos = 0;
    for (size_t y = 0; y < c.Runs.size(); ++y)
      pos = FaxDecode2DRow(row.data(), data.data(), Integer(data.size()), false, 1, pos, ref.data(), 16, &changes);
    EXPECT_EQ(pos, Integer(c.Bits.size()));
  }
}

// Rows carried across bytes: the carry holds the row's last bits and the
// final call pads them.
TEST(FmtCcittCodec, OneDimensionalRowsShareBytes) {
  const Row r = MakeRow(8, [](Integer) { return false; });  // white 8: 10011
  EXPECT_EQ(BitString(Encode(k1D, {r, r, r}, 8)), "100111001110011" "0");
  EXPECT_EQ(BitString(Encode(kMH, {r, r}, 8)), "10011000" "10011000");
}

TEST(FmtCcittCodec, EolEndsARowAndStartsTheNext) {
  // Width 8: white 3 then an EOL inside the row; the next row is white 8.
  const std::vector<Byte> data = FromBitString("000000000001" "1000" "000000000001" "10011");
  Row row(1);
  Integer pos = FaxDecode1DRow(row.data(), data.data(), 8, 1, 0, Integer(data.size()));
  EXPECT_EQ(pos, 16) << "the row stops in front of its EOL";
  EXPECT_EQ(row[0], 0xE0) << "white 3, then black (the colour after a white run) to the end";
  pos = FaxDecode1DRow(row.data(), data.data(), 8, 1, pos, Integer(data.size()));
  EXPECT_EQ(pos, 33);
  EXPECT_EQ(row[0], 0xFF);

  // Two-dimensional: an EOL after a vertical mode to black paints the rest black.
  const std::vector<Byte> d2 = FromBitString("000000000001" "0" "011" "000000000001" "0" "1" "1");
  Row ref(1, 0xFF), r2(1);
  ref[0] = 0xF0;  // black from 4: VR1 puts a1 at 5
  pos = FaxDecode2DRow(r2.data(), d2.data(), Integer(d2.size()), false, 1, 0, ref.data(), 8);
  EXPECT_EQ(pos, 16);
  EXPECT_EQ(r2[0], 0xF8) << "white 0..4, black from 5 to the EOL";
  EXPECT_EQ(ref[0], 0xF8) << "the reference row follows";
  pos = FaxDecode2DRow(r2.data(), d2.data(), Integer(d2.size()), false, 1, pos, ref.data(), 8);
  EXPECT_EQ(pos, 31);
  EXPECT_EQ(r2[0], 0xF8) << "V0 twice copies the reference";
}

// A Group 3 stream padded with fill bits before each EOL.
TEST(FmtCcittCodec, FillBitsBeforeEolAreSkipped) {
  const std::vector<Byte> data =
      FromBitString("0000" "000000000001" "1" "10011" "00000" "000000000001" "0" "1" "1" "1");
  Row ref(1, 0x0F), row(1);
  Integer pos = FaxDecode2DRow(row.data(), data.data(), Integer(data.size()), true, 1, 0, ref.data(), 8);
  EXPECT_EQ(pos, 22);
  EXPECT_EQ(row[0], 0xFF) << "one-dimensional white 8";
  ref[0] = 0x0F;  // V0 three times against black 0..3 paints it again
  pos = FaxDecode2DRow(row.data(), data.data(), Integer(data.size()), true, 1, pos, ref.data(), 8);
  EXPECT_EQ(pos, 43);
  EXPECT_EQ(row[0], 0x0F);
}

TEST(FmtCcittCodec, UncompressedModeDecodes) {
  // Width 16: extension, then "1" (B), "01" (WB), "000001" (WWWWW),
  // "00001" (WWWWB), exit "00000001" + tag 0 (W, next run white), then V0
  // against an all-white reference fills the rest white.
  const std::vector<Byte> data = FromBitString("0000001111" "1" "01" "000001" "00001" "00000001" "0" "1");
  Row ref(2, 0xFF), row(2);
  const Integer pos = FaxDecode2DRow(row.data(), data.data(), Integer(data.size()), false, 1, 0, ref.data(), 16);
  EXPECT_EQ(pos, 10 + 1 + 2 + 6 + 5 + 8 + 1 + 1);
  // B W B W W W W W W W W W B W . .  -> pixels 0, 2, 12 black
  EXPECT_EQ(Hex(FromDecoded(row, 16)), Hex(MakeRow(16, [](Integer x) { return x == 0 || x == 2 || x == 12; })));
}

// A byte page followed by an inaccessible one: reading past Size faults.
struct GuardedData {
  Byte* Base = nullptr;
  Byte* Data = nullptr;
  explicit GuardedData(const std::vector<Byte>& Bytes) {
    SYSTEM_INFO si;
    ::GetSystemInfo(&si);
    const size_t page = si.dwPageSize;
    Base = static_cast<Byte*>(::VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old;
    ::VirtualProtect(Base + page, page, PAGE_NOACCESS, &old);
    Data = Base + page - Bytes.size();
    std::memcpy(Data, Bytes.data(), Bytes.size());
  }
  ~GuardedData() { ::VirtualFree(Base, 0, MEM_RELEASE); }
};

// Data that ends inside a row: the row keeps what was decoded, nothing is
// read past the data, and the position never passes its end.
TEST(FmtCcittCodec, DataEndingMidRowStopsThere) {
  const Integer w = 300;
  std::vector<Row> rows;
  for (Integer y = 0; y < 6; ++y) rows.push_back(MakeRow(w, [y](Integer x) { return (x / (y + 3)) % 3 == 0; }));
  for (Scheme s : {kMH, k1D, kG31D, kG32D, kG4})
    for (Integer fillOrder : {1, 2}) {
      std::vector<Byte> full = Encode(s, rows, w);
      if (fillOrder == 2) Reverse(full);
      for (size_t cut : {size_t(1), full.size() / 3, full.size() / 2, full.size() - 2}) {
        SCOPED_TRACE(std::string(SchemeName(s)) + " cut at " + std::to_string(cut));
        const std::vector<Byte> part(full.begin(), full.begin() + Integer(cut));
        GuardedData g(part);
        Row row(size_t(RowBytes(w)) + 1, 0), ref(size_t(RowBytes(w)) + 1, 0xFF);
        Integer pos = 0;
        for (Integer y = 0; y < 6; ++y) {
          row.back() = 0x5A;
          const Integer size = Integer(cut) - (s == kMH ? pos : 0);
          const Integer before = pos;
          if (s == kMH) pos += FaxDecodeMHRow(row.data(), g.Data + pos, w, fillOrder, size);
          else if (s == k1D || s == kG31D) pos = FaxDecode1DRow(row.data(), g.Data, w, fillOrder, pos, size);
          else pos = FaxDecode2DRow(row.data(), g.Data, size, false, fillOrder, pos, ref.data(), w);
          ASSERT_EQ(row.back(), 0x5A);
          ASSERT_LE(pos, Integer(s == kMH ? cut : cut * 8));
          if (s != kMH && before == Integer(cut * 8)) {
            EXPECT_EQ(pos, before);
            EXPECT_EQ(Hex(FromDecoded(Row(row.begin(), row.end() - 1), w)), Hex(MakeRow(w, [](Integer) { return false; })))
                << "a row past the data stays white";
          }
        }
      }
    }
}

// Random bytes through every decoder: nothing read past the data, nothing
// written past the row, positions within the data.
TEST(FmtCcittCodec, RandomDataStaysInBounds) {
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int round = 0; round < 400; ++round) {
    std::vector<Byte> data(1 + next() % 96);
    for (Byte& b : data) b = Byte(next() % 4 ? next() : 0);  // zeros make EOLs and long codes likely
    const Integer w = Integer(1 + next() % 300), fillOrder = Integer(1 + next() % 2);
    const bool fillBits = next() % 2;
    GuardedData g(data);
    const Integer size = Integer(data.size());
    Row row(size_t(RowBytes(w)) + 1), ref(size_t(RowBytes(w)) + 1, 0xFF), ref3 = ref;
    std::vector<Integer> changes;  // the reader's road: the coded changes carried along
    Integer p1 = 0, p2 = 0, p3 = 0;
    for (int y = 0; y < 6; ++y) {
      row.back() = 0x5A;
      ref.back() = 0x5A;
      const Integer m = FaxDecodeMHRow(row.data(), g.Data, w, fillOrder, size);
      ASSERT_LE(m, size);
      p1 = FaxDecode1DRow(row.data(), g.Data, w, fillOrder, p1, size);
      ASSERT_LE(p1, size * 8);
      p2 = FaxDecode2DRow(row.data(), g.Data, size, fillBits, fillOrder, p2, ref.data(), w);
      ASSERT_LE(p2, size * 8);
      ASSERT_EQ(row.back(), 0x5A);
      ASSERT_EQ(ref.back(), 0x5A);
      ref3.back() = 0x5A;
      p3 = FaxDecode2DRow(row.data(), g.Data, size, fillBits, fillOrder, p3, ref3.data(), w, &changes);
      ASSERT_LE(p3, size * 8);
      ASSERT_EQ(row.back(), 0x5A);
      ASSERT_EQ(ref3.back(), 0x5A);
      ASSERT_TRUE(std::is_sorted(changes.begin(), changes.end()));
      for (Integer c : changes) ASSERT_TRUE(c >= 0 && c <= w) << c;
    }
  }
}

// Runs coded past the width stop at the row's end; the bits after them
// start the next row.
TEST(FmtCcittCodec, RunsPastTheWidthStopAtTheRow) {
  // Width 10: white 4, black 200 (make-up 192 + 8), then a row of white 10.
  const std::vector<Byte> data = FromBitString("1011" "000011001001" "000101" "00111");
  Row row(3, 0x00);
  row[2] = 0x5A;
  Integer pos = FaxDecode1DRow(row.data(), data.data(), 10, 1, 0, Integer(data.size()));
  EXPECT_EQ(pos, 22);
  EXPECT_EQ(row[0], 0xF0);
  EXPECT_EQ(row[1] & 0xC0, 0x00);
  EXPECT_EQ(row[2], 0x5A);
  pos = FaxDecode1DRow(row.data(), data.data(), 10, 1, pos, Integer(data.size()));
  EXPECT_EQ(pos, 27);
  EXPECT_EQ(row[0], 0xFF);

  // Two-dimensional: horizontal mode with white 4 + black 200 in width 10,
  // then VR3 (a1 = b1 + 3 = 13, past the width) on a second row.
  const std::vector<Byte> d2 = FromBitString("001" "1011" "000011001001" "000101" "0000011" "1");
  Row ref(3, 0xFF), r2(3);
  r2[2] = 0x5A;
  pos = FaxDecode2DRow(r2.data(), d2.data(), Integer(d2.size()), false, 1, 0, ref.data(), 10);
  EXPECT_EQ(pos, 25);
  EXPECT_EQ(r2[0], 0xF0);
  EXPECT_EQ(r2[1] & 0xC0, 0x00);
  EXPECT_EQ(r2[2], 0x5A);
  Row ref2(3, 0xFF);
  pos = FaxDecode2DRow(r2.data(), d2.data(), Integer(d2.size()), false, 1, 25, ref2.data(), 10);
  EXPECT_EQ(pos, 32);
  EXPECT_EQ(r2[0], 0xFF);
  EXPECT_EQ(r2[1] & 0xC0, 0xC0);
  EXPECT_EQ(r2[2], 0x5A);
}

// Short writes set the abort flag.
class ShortStream : public TMemoryStream {
 public:
  Integer Write(const void*, Integer Count) override { return Count > 0 ? Count - 1 : 0; }
};

TEST(FmtCcittCodec, ShortWriteSetsTheAbortFlag) {
  const Row r = MakeRow(40, [](Integer x) { return x % 3 == 0; });
  for (Scheme s : {kMH, k1D, kG31D, kG32D, kG4}) {
    ShortStream out;
    bool abort = false;
    Integer bits = 0;
    Byte carried = 0;
    std::vector<Byte> ref;
    if (s == kMH) FaxEncodeMHRow(r.data(), 40, &out, abort);
    if (s == k1D || s == kG31D) FaxEncode1DRow(r.data(), 40, &out, abort, bits, carried, s == kG31D);
    if (s == kG32D) FaxEncodeG3Row(r.data(), 40, &out, abort, ref, bits, carried);
    if (s == kG4) FaxEncodeG4Row(r.data(), 40, &out, abort, ref, bits, carried);
    EXPECT_TRUE(abort) << SchemeName(s);
  }
}

}  // namespace
