// Basic helpers, small containers, the null stream and the progress record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/formats/iepnm.h"

TEST(IEHelpers, BitMeasures) {
  EXPECT_EQ(HighestBitIndex(0), -1);
  EXPECT_EQ(HighestBitIndex(0x0400), 10);
  EXPECT_EQ(HighestBitIndex(0x0F00), 12);
  EXPECT_EQ(MaskBitWidth(0), 0);
  EXPECT_EQ(MaskBitWidth(0x07E0), 6);
  EXPECT_EQ(MaskBitWidth(0xF800), 5);
  EXPECT_EQ(MaskBitWidth(0xFFFFFFFFu), 32);  // stops after 32 bits
  EXPECT_EQ(MaskBitWidth(0x80000000u), 1);
}

TEST(IEHelpers, RowLengthsAndBitOrder) {
  EXPECT_EQ(AlignedRowLength(1, 1), 4u);
  EXPECT_EQ(AlignedRowLength(33, 1), 8u);
  EXPECT_EQ(AlignedRowLength(10, 24), 32u);
  EXPECT_EQ(AlignedRowLength(3, 8), 4u);
  // 64-bit intermediate: 200,000,000 pixels of 24 bits.
  EXPECT_EQ(AlignedRowLength(200000000, 24), 600000000u);
  Byte b = 0x01;
  ReverseBitsInByte(b);
  EXPECT_EQ(b, 0x80);
  Cardinal w = 0x00000001;
  ReverseBits32(w);
  EXPECT_EQ(w, 0x80000000u);
  EXPECT_EQ(SwapWordBytes(0x1234), 0x3412);
  EXPECT_EQ(SwapDWordBytes(0x12345678u), 0x78563412u);
  EXPECT_EQ(ColorCountFromSamples(8, 3), 16777216u);
  EXPECT_EQ(ColorCountFromSamples(1, 1), 2u);
}

TEST(IEHelpers, PowersAndRounding) {
  EXPECT_DOUBLE_EQ(static_cast<double>(IntegerPower(10, 2)), 1024.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(IntegerPower(-2, 2)), 0.25);
  EXPECT_DOUBLE_EQ(static_cast<double>(IntegerPower(0, 7)), 1.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(RealPower(0, 0)), 1.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(RealPower(3, 0)), 0.0);
  EXPECT_NEAR(static_cast<double>(RealPower(0.5, 16)), 4.0, 1e-12);
  EXPECT_EQ(RoundUpToInt(-1.5), -1);
  EXPECT_EQ(RoundDownToInt(-1.5), -2);
  EXPECT_EQ(RoundUpToInt(2.0), 2);
  EXPECT_EQ(RoundUpToInt(2.1), 3);
  EXPECT_EQ(RoundDownToInt(2.9), 2);
  // Halves go to the even integer.
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(ClampInt(5, 0, 3), 3);
  EXPECT_EQ(ClampInt(-1, 0, 3), 0);
  EXPECT_EQ(ClampToByte(300), 255);
  EXPECT_EQ(ClampToByte(-3), 0);
  Integer x1 = 5, y1 = 1, x2 = 2, y2 = 9;
  OrderRectCorners(x1, y1, x2, y2);
  EXPECT_EQ(x1, 2);
  EXPECT_EQ(x2, 5);
  EXPECT_EQ(y1, 1);
  EXPECT_EQ(y2, 9);
}

TEST(IEHelpers, TolerantStrToFloat) {
  struct Case {
    const char* text;
    double expected;
  } cases[] = {{"1.5", 1.5}, {"1,5", 1.5}, {" -2.25 ", -2.25}, {"3e2", 300}, {"abc", 7}, {"", 7}, {"1,2,3", 7},
               {"0x10", 7},  {"inf", 7}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(static_cast<double>(TolerantStrToFloat(c.text, 7)), c.expected) << c.text;
}

TEST(IEHelpers, ColoursAndTriples) {
  const TIEColorTriple red = MakeColorTriple(255, 0, 0);
  EXPECT_EQ(red.Red, 255);
  EXPECT_EQ(red.Blue, 0);
  EXPECT_EQ(TripleLuminance(red), 53);
  EXPECT_EQ(TripleToColor(red), 0x0000FF);
  EXPECT_EQ(TripleToCardinal(red), 0xFF0000u);
  EXPECT_TRUE(SameTriple(ColorToTriple(0x00FF00), MakeColorTriple(0, 255, 0)));
  // A system colour is resolved.
  const DWORD face = ::GetSysColor(COLOR_BTNFACE);
  const TIEColorTriple t = ColorToTriple(static_cast<Integer>(0x80000000u | COLOR_BTNFACE));
  EXPECT_EQ(t.Red, GetRValue(face));
  EXPECT_EQ(t.Green, GetGValue(face));
  EXPECT_EQ(t.Blue, GetBValue(face));
  Byte row[6] = {1, 2, 3, 4, 5, 6};
  SwapRowRedBlue(row, 2);
  EXPECT_EQ(std::vector<Byte>(row, row + 6), (std::vector<Byte>{3, 2, 1, 6, 5, 4}));
}

TEST(IEHelpers, BitsAndBitRuns) {
  Byte row[2] = {0, 0};
  PutBit(row, 0, 1);
  PutBit(row, 9, 5);
  EXPECT_EQ(row[0], 0x80);
  EXPECT_EQ(row[1], 0x40);
  EXPECT_TRUE(TestBit(row, 9));
  PutBit(row, 9, 0);
  EXPECT_FALSE(TestBit(row, 9));

  // 10 bits from source offset 6 into destination offset 3 change only bits 3..12.
  const Byte src[4] = {0b10101011, 0b11001100, 0b11110000, 0xFF};
  Byte dst[3] = {0b01010101, 0b01010101, 0b01010101};
  const Byte before[3] = {dst[0], dst[1], dst[2]};
  CopyBitRun(dst, src, 3, 6, 10, 4);
  for (int i = 0; i < 24; ++i) {
    if (i >= 3 && i <= 12)
      EXPECT_EQ(TestBit(dst, i), TestBit(src, i - 3 + 6)) << i;
    else
      EXPECT_EQ(TestBit(dst, i), TestBit(before, i)) << i;
  }
  // Bits past the source limit read as 0.
  Byte d2[2] = {0xFF, 0xFF};
  const Byte s2[1] = {0xFF};
  CopyBitRun(d2, s2, 0, 0, 16, 1);
  EXPECT_EQ(d2[0], 0xFF);
  EXPECT_EQ(d2[1], 0x00);
  // Nothing for a negative offset or an empty run.
  Byte d3 = 0x0F;
  CopyBitRun(&d3, s2, -1, 0, 4, 1);
  CopyBitRun(&d3, s2, 0, 0, 0, 1);
  EXPECT_EQ(d3, 0x0F);
}

TEST(IEHelpers, ForceDirectoryChainMakesEveryLevel) {
  wchar_t tmp[MAX_PATH + 1];
  ::GetTempPathW(MAX_PATH + 1, tmp);
  const std::string base = WideToUtf8(tmp) + "iebuf_dirs_" + std::to_string(::GetCurrentProcessId());
  const std::string deep = base + "\\a\\b\\c\\";
  ForceDirectoryChain(deep);
  EXPECT_TRUE(DirectoryExistsCheck(base + "\\a\\b\\c"));
  ::RemoveDirectoryW(Utf8ToWide(base + "\\a\\b\\c").c_str());
  ::RemoveDirectoryW(Utf8ToWide(base + "\\a\\b").c_str());
  ::RemoveDirectoryW(Utf8ToWide(base + "\\a").c_str());
  ::RemoveDirectoryW(Utf8ToWide(base).c_str());
  try {
    ForceDirectoryChain("");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot Create Directory");
  }
  EXPECT_TRUE(CPUHasMMX());
  EXPECT_FALSE(DirectoryExistsCheck(base + "\\missing"));
}

TEST(IELists, ItemListOperations) {
  TIERecordList list(12);
  const Byte item[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  EXPECT_EQ(list.AppendItem(item), 0);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.Changed());
  EXPECT_EQ(std::memcmp(list.ItemAddress(0), item, 12), 0);
  Byte item2[12] = {};
  item2[0] = 42;
  EXPECT_EQ(list.AppendItem(item2), 1);
  list.DeleteItem(list.Count());  // outside: no change
  list.DeleteItem(-1);
  EXPECT_EQ(list.Count(), 2);
  list.DeleteItem(0);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(static_cast<Byte*>(list.ItemAddress(0))[0], 42);
  list.SetItemCount(3);
  EXPECT_EQ(static_cast<Byte*>(list.ItemAddress(0))[0], 42);
  list.ClearItems();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.Changed());
  EXPECT_EQ(list.ItemSize(), 12);
}

TEST(IELists, TypedListsCopyOnlyTheirOwnClass) {
  TIEIntegerList a, b;
  Integer v = 7;
  a.AppendItem(&v);
  a.Extra[2] = 9;
  b.CopyItemsFrom(&a);
  EXPECT_EQ(b.Count(), 1);
  EXPECT_EQ(b.Item(0), 7);
  EXPECT_EQ(b.Extra[2], 9);
  TIEDoubleList d;
  EXPECT_THROW(d.CopyItemsFrom(&a), EInvalidCast);
  b.CopyItemsFrom(nullptr);
  EXPECT_EQ(b.Count(), 1);
  b.ClearItems();
  EXPECT_EQ(b.Extra[2], 0);
  EXPECT_EQ(b.ItemSize(), 4);
  EXPECT_EQ(d.ItemSize(), 8);
}

TEST(IELists, ByteArrayGrowsByItsStep) {
  TIEByteArray a;
  EXPECT_EQ(a.Capacity(), 8192);
  for (int i = 0; i < 8192; ++i) a.AppendByte(static_cast<Byte>(i));
  EXPECT_EQ(a.Capacity(), 8192);
  a.AppendByte(0xAB);
  EXPECT_EQ(a.Capacity(), 16385);
  EXPECT_EQ(a.Size(), 8193);
  EXPECT_EQ(a.Data()[8192], 0xAB);
  EXPECT_EQ(a.Data()[300], static_cast<Byte>(300));
}

TEST(IELists, KeySetChainsCollidingKeys) {
  THash1 h(8);
  EXPECT_EQ(h.BucketCount(), 256);
  EXPECT_TRUE(h.InsertKey(0x100));
  EXPECT_EQ(h.BucketState(0), 1);
  EXPECT_TRUE(h.InsertKey(0x200));
  EXPECT_EQ(h.BucketState(0), 2);
  EXPECT_FALSE(h.InsertKey(0x100));
  EXPECT_FALSE(h.InsertKey(0x200));
  EXPECT_TRUE(h.InsertKey(0x300));
  EXPECT_FALSE(h.InsertKey(0x300));
  EXPECT_TRUE(h.InsertKey(1));
  EXPECT_EQ(h.KeyCount(), 4);
  THash1 wide(40);  // taken modulo 32
  EXPECT_EQ(wide.BucketCount(), 256);
}

TEST(IEStreams, NulStreamCountsOnly) {
  TNulStream s;
  char buf[10] = {};
  EXPECT_EQ(s.Write(buf, 10), 10);
  EXPECT_EQ(s.Seek(4, soBeginning), 4);
  s.Write(buf, 2);
  EXPECT_EQ(s.Position(), 6);
  EXPECT_EQ(s.Size(), 10);
  EXPECT_EQ(s.Seek(3, soEnd), 7);
  EXPECT_EQ(s.Read(nullptr, 5), 5);
  EXPECT_EQ(s.Size(), 12);
}

namespace {
// Accepts at most Limit bytes in total.
class TShortStream : public TStream {
 public:
  explicit TShortStream(Integer Limit) : limit_(Limit) {}
  Integer Read(void*, Integer) override { return 0; }
  Integer Write(const void*, Integer Count) override {
    const Integer n = std::min(Count, limit_ - written_);
    written_ += n;
    return n;
  }
  Int64 Seek(Int64, TSeekOrigin) override { return written_; }

 private:
  Integer limit_;
  Integer written_ = 0;
};
}  // namespace

TEST(IEStreams, StreamWriteCheckedKeepsTheFlag) {
  TShortStream s(5);
  bool aborting = false;
  const char data[4] = {};
  StreamWriteChecked(&s, aborting, data, 4);
  EXPECT_FALSE(aborting);
  StreamWriteChecked(&s, aborting, data, 4);
  EXPECT_TRUE(aborting);
  TNulStream n;
  StreamWriteChecked(&n, aborting, data, 4);
  EXPECT_TRUE(aborting);
}

TEST(IEOptions, Defaults) {
  TIEScrollBarParams sb;
  EXPECT_EQ(sb.LineStep, -1);
  EXPECT_EQ(sb.PageStep, -1);
  EXPECT_TRUE(sb.Tracking);
  TIEMouseWheelParams mw;
  EXPECT_FALSE(mw.Reverse);
  EXPECT_EQ(mw.Action, 2);
  EXPECT_EQ(mw.StepKind, 1);
  EXPECT_EQ(mw.Step, 8);
  EXPECT_EQ(mw.ZoomAtMouse, 0);
}

// ---------------------------------------------------------------------------
// Progress record, as a real operation drives it: the PNM reader counts one
// unit per row, reports after each and stops at the abort flag.

namespace {
// A P5 picture two pixels wide whose row y holds the value y + 1.
std::unique_ptr<TMemoryStream> GreyRows(Integer Rows) {
  std::string file = "P5 2 " + std::to_string(Rows) + " 255\n";
  for (Integer y = 0; y < Rows; ++y) file += std::string(2, char(y + 1));
  auto s = std::make_unique<TMemoryStream>();
  s->WriteBuffer(file.data(), Integer(file.size()));
  s->SetPosition(0);
  return s;
}

struct TReadRun {
  std::vector<Integer> reports;
  std::vector<TObject*> senders;
  Integer done = 0;
  Integer decodedRows = 0;  // leading rows holding their values
};

// Reads a picture of Rows rows with the record as the caller set it up;
// AbortAt >= 0 makes the handler raise the flag at that percentage.
TReadRun ReadObserved(Integer Rows, TIEProgressRecord& P, Integer AbortAt) {
  TReadRun run;
  if (P.Callback || AbortAt >= 0)
    P.Callback = TIEProgressEvent([&](TObject* s, Integer per) {
      run.reports.push_back(per);
      run.senders.push_back(s);
      if (AbortAt >= 0 && per >= AbortAt) P.SetAborted();
    });
  auto stream = GreyRows(Rows);
  TIEBitmap bitmap;
  bitmap.SetLocation(islMemory);
  TIOParamsVals params;
  ReadPnmStream(stream.get(), &bitmap, params, P, false);
  run.done = P.Done;
  while (run.decodedRows < bitmap.Height() &&
         static_cast<const Byte*>(bitmap.GetRowPointer(run.decodedRows))[0] == Byte(run.decodedRows + 1))
    ++run.decodedRows;
  return run;
}
}  // namespace

TEST(IEProgress, AReaderReportsTruncatedPercentagesToItsSender) {
  struct Case {
    Integer rows;
    std::vector<Integer> reports;
  };
  for (const Case& c : {Case{1, {100}}, Case{3, {33, 66, 100}}, Case{7, {14, 28, 42, 57, 71, 85, 100}}}) {
    SCOPED_TRACE(c.rows);
    TObject sender;
    bool abort = false;
    TIEProgressRecord p;
    p.Sender = &sender;
    p.Abort = &abort;
    p.Callback = TIEProgressEvent([](TObject*, Integer) {});
    const TReadRun run = ReadObserved(c.rows, p, -1);
    EXPECT_EQ(run.reports, c.reports);
    EXPECT_EQ(run.senders, std::vector<TObject*>(c.reports.size(), &sender));
    EXPECT_EQ(run.done, c.rows);
    EXPECT_EQ(run.decodedRows, c.rows);
    EXPECT_FALSE(abort);
  }
}

TEST(IEProgress, AReaderStopsAtTheAbortFlag) {
  struct Case {
    const char* what;
    bool handler, abortBefore;
    Integer abortAt;
    std::vector<Integer> reports;
    Integer done;
  };
  const Case cases[] = {
      {"handler raises the flag at 50 %", true, false, 50, {10, 20, 30, 40, 50}, 5},
      {"flag up before the reading", true, true, -1, {10}, 1},
      {"no handler: still counts every row", false, false, -1, {}, 10},
      {"no handler, flag up: stops after the first row", false, true, -1, {}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool abort = c.abortBefore;
    TIEProgressRecord p;
    p.Abort = &abort;
    if (c.handler) p.Callback = TIEProgressEvent([](TObject*, Integer) {});
    const TReadRun run = ReadObserved(10, p, c.abortAt);
    EXPECT_EQ(run.reports, c.reports);
    EXPECT_EQ(run.done, c.done);
    // Every row counted was decoded.
    EXPECT_GE(run.decodedRows, c.done);
    EXPECT_EQ(abort, c.abortBefore || c.abortAt >= 0);
  }
}
