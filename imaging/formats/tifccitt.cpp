// Fax codes of bilevel rows: code tables, decoding trees, the row decoders
// and the row encoders.
#include "imaging/formats/tifccitt.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>

#include "imaging/buffer/hyieutils.h"

namespace {

// ---------------------------------------------------------------------------
// Code tables. Codes are written as bit strings, first bit first.

const char* const kWhiteTerm[64] = {
    "00110101", "000111",   "0111",     "1000",     "1011",     "1100",     "1110",     "1111",
    "10011",    "10100",    "00111",    "01000",    "001000",   "000011",   "110100",   "110101",
    "101010",   "101011",   "0100111",  "0001100",  "0001000",  "0010111",  "0000011",  "0000100",
    "0101000",  "0101011",  "0010011",  "0100100",  "0011000",  "00000010", "00000011", "00011010",
    "00011011", "00010010", "00010011", "00010100", "00010101", "00010110", "00010111", "00101000",
    "00101001", "00101010", "00101011", "00101100", "00101101", "00000100", "00000101", "00001010",
    "00001011", "01010010", "01010011", "01010100", "01010101", "00100100", "00100101", "01011000",
    "01011001", "01011010", "01011011", "01001010", "01001011", "00110010", "00110011", "00110100"};

const char* const kBlackTerm[64] = {
    "0000110111",   "010",          "11",           "10",           "011",          "0011",
    "0010",         "00011",        "000101",       "000100",       "0000100",      "0000101",
    "0000111",      "00000100",     "00000111",     "000011000",    "0000010111",   "0000011000",
    "0000001000",   "00001100111",  "00001101000",  "00001101100",  "00000110111",  "00000101000",
    "00000010111",  "00000011000",  "000011001010", "000011001011", "000011001100", "000011001101",
    "000001101000", "000001101001", "000001101010", "000001101011", "000011010010", "000011010011",
    "000011010100", "000011010101", "000011010110", "000011010111", "000001101100", "000001101101",
    "000011011010", "000011011011", "000001010100", "000001010101", "000001010110", "000001010111",
    "000001100100", "000001100101", "000001010010", "000001010011", "000000100100", "000000110111",
    "000000111000", "000000100111", "000000101000", "000001011000", "000001011001", "000000101011",
    "000000101100", "000001011010", "000001100110", "000001100111"};

// Make-up codes for 64 .. 1728.
const char* const kWhiteMakeUp[27] = {
    "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",  "01100100",
    "01100101",  "01101000",  "01100111",  "011001100", "011001101", "011010010", "011010011",
    "011010100", "011010101", "011010110", "011010111", "011011000", "011011001", "011011010",
    "011011011", "010011000", "010011001", "010011010", "011000",    "010011011"};

const char* const kBlackMakeUp[27] = {
    "0000001111",    "000011001000",  "000011001001",  "000001011011",  "000000110011",
    "000000110100",  "000000110101",  "0000001101100", "0000001101101", "0000001001010",
    "0000001001011", "0000001001100", "0000001001101", "0000001110010", "0000001110011",
    "0000001110100", "0000001110101", "0000001110110", "0000001110111", "0000001010010",
    "0000001010011", "0000001010100", "0000001010101", "0000001011010", "0000001011011",
    "0000001100100", "0000001100101"};

// Make-up codes for 1792 .. 2560, common to both colours.
const char* const kExtMakeUp[13] = {"00000001000",  "00000001100",  "00000001101",  "000000010010", "000000010011",
                                    "000000010100", "000000010101", "000000010110", "000000010111", "000000011100",
                                    "000000011101", "000000011110", "000000011111"};

// Entries of a decoding tree: 0..63 terminating codes, 64..103 make-up codes
// (64 x (entry - 63)), 104..124 EOL with 0 to 20 extra leading zeros,
// 125..127 codes of 8, 9 or 10 zeros and a 1 that carry nothing.
constexpr int kFirstMakeUp = 64;
constexpr int kFirstEol = 104;
constexpr int kFirstEmpty = 125;
constexpr int kEntries = 128;

struct TCode {
  uint32_t Bits = 0;  // right-aligned
  int Length = 0;
};

TCode ParseCode(const char* s) {
  TCode c;
  for (; *s; ++s) {
    c.Bits = (c.Bits << 1) | uint32_t(*s == '1');
    ++c.Length;
  }
  return c;
}

TCode ZerosThenOne(int Zeros) { return TCode{1u, Zeros + 1}; }

// ---------------------------------------------------------------------------
// Decoding trees (one per colour), built once.

class TFaxCodeTree {
 public:
  explicit TFaxCodeTree(bool Black) {
    nodes_.push_back(Node{});
    for (int i = 0; i < 64; ++i) Add(ParseCode(Black ? kBlackTerm[i] : kWhiteTerm[i]), i);
    for (int i = 0; i < 27; ++i) Add(ParseCode(Black ? kBlackMakeUp[i] : kWhiteMakeUp[i]), kFirstMakeUp + i);
    for (int i = 0; i < 13; ++i) Add(ParseCode(kExtMakeUp[i]), kFirstMakeUp + 27 + i);
    for (int extra = 0; extra <= 20; ++extra) Add(ZerosThenOne(11 + extra), kFirstEol + extra);
    for (int z = 8; z <= 10; ++z) Add(ZerosThenOne(z), kFirstEmpty + (z - 8));
  }

  // Walks Window (next bit on top) down the tree: the entry and its code
  // length, or -1 when no code starts there.
  int Decode(uint32_t Window, int& Length) const {
    int n = 0;
    for (int i = 0; i < 32; ++i) {
      n = nodes_[size_t(n)].Child[(Window >> (31 - i)) & 1];
      if (n <= 0) return -1;
      if (nodes_[size_t(n)].Entry >= 0) {
        Length = i + 1;
        return nodes_[size_t(n)].Entry;
      }
    }
    return -1;
  }

 private:
  struct Node {
    int Child[2] = {0, 0};  // 0: none (the root is never a child)
    int Entry = -1;
  };

  void Add(TCode Code, int Entry) {
    int n = 0;
    for (int i = Code.Length - 1; i >= 0; --i) {
      const int bit = int((Code.Bits >> i) & 1);
      if (nodes_[size_t(n)].Child[bit] == 0) {
        nodes_[size_t(n)].Child[bit] = int(nodes_.size());
        nodes_.push_back(Node{});
      }
      n = nodes_[size_t(n)].Child[bit];
    }
    nodes_[size_t(n)].Entry = Entry;
  }

  std::vector<Node> nodes_;
};

const TFaxCodeTree& FaxCodeTree(bool Black) {
  static const TFaxCodeTree white(false), black(true);
  return Black ? black : white;
}

int EntryRun(int Entry) { return Entry < kFirstMakeUp ? Entry : 64 * (Entry - kFirstMakeUp + 1); }

// ---------------------------------------------------------------------------
// Bit access.

struct TBitSource {
  const Byte* Data;
  Integer Size;  // bytes
  bool Reversed; // fill order 2

  Int64 Bits() const { return Int64(Size) * 8; }

  Byte At(Int64 Index) const {
    if (Index < 0 || Index >= Size) return 0;
    Byte b = Data[Index];
    if (Reversed) ReverseBitsInByte(b);
    return b;
  }

  // The 32 bits from BitPos, the next one on top.
  uint32_t Fetch(Int64 BitPos) const {
    const Int64 first = BitPos >> 3;
    uint64_t w = 0;
    for (int i = 0; i < 5; ++i) w = (w << 8) | At(first + i);
    return uint32_t(w >> (8 - (BitPos & 7)));
  }
};

TBitSource MakeSource(const Byte* Data, Integer DataSize, Integer FillOrder) {
  // Bit positions are 32-bit: a strip of more than 256 MB is read up to that.
  const Integer size = std::clamp<Integer>(DataSize, 0, INT32_MAX / 8 - 8);
  return TBitSource{Data, Data ? size : 0, FillOrder != 1};
}

// ---------------------------------------------------------------------------
// Rows.

Integer RowBytes(Integer Width) { return (Width + 7) / 8; }

// Clears bits [From, To) (paints black in a 1-is-white row).
void ClearBits(Byte* Row, Integer From, Integer To) {
  if (From >= To) return;
  while (From < To && (From & 7)) {
    Row[From >> 3] &= Byte(~(0x80 >> (From & 7)));
    ++From;
  }
  if (To - From >= 8) {
    std::memset(Row + (From >> 3), 0, size_t((To - From) >> 3));
    From += (To - From) & ~7;
  }
  for (; From < To; ++From) Row[From >> 3] &= Byte(~(0x80 >> (From & 7)));
}

// Positions where a row's colour changes, left to right, the pixel before the
// first being white; entry i changes to black when i is even. WhiteBit is the
// bit value of a white pixel.
void RowChanges(const Byte* Row, Integer Width, int WhiteBit, std::vector<Integer>& Changes) {
  Changes.clear();
  int colour = WhiteBit;
  const Byte same[2] = {0x00, 0xFF};
  for (Integer x = 0; x < Width;) {
    if ((x & 7) == 0 && x + 8 <= Width && Row[x >> 3] == same[colour]) {
      x += 8;
      continue;
    }
    const int bit = (Row[x >> 3] >> (7 - (x & 7))) & 1;
    if (bit != colour) {
      Changes.push_back(x);
      colour = bit;
    }
    ++x;
  }
}

// b1 and b2: the first change right of A0 to the colour opposite Black, and
// the change after it (Width when there is none).
void FindB1B2(const std::vector<Integer>& Ref, Integer A0, bool Black, Integer Width, Integer& B1, Integer& B2) {
  size_t i = size_t(std::upper_bound(Ref.begin(), Ref.end(), A0) - Ref.begin());
  // Even entries change to black: wanted when the current colour is white.
  if (Black ? (i % 2 == 0) : (i % 2 == 1)) ++i;
  B1 = i < Ref.size() ? Ref[i] : Width;
  B2 = i + 1 < Ref.size() ? Ref[i + 1] : Width;
}

// ---------------------------------------------------------------------------
// Decoding.

// One run of a colour (make-up codes summed up to the terminating code) or -1
// when an EOL, a code without meaning or undecodable bits come first; BitPos
// then stands at that code.
Integer DecodeRun(const TBitSource& Src, Int64& BitPos, bool Black) {
  const TFaxCodeTree& tree = FaxCodeTree(Black);
  Int64 run = 0;
  for (;;) {
    if (BitPos >= Src.Bits()) return -1;
    int len = 0;
    const int e = tree.Decode(Src.Fetch(BitPos), len);
    if (e < 0 || e >= kFirstEol) return -1;
    BitPos += len;
    run = std::min<Int64>(run + EntryRun(e), INT32_MAX / 2);
    if (e < kFirstMakeUp) return Integer(run);
  }
}

// Changes, when given, receives the row's changes as coded: a run of length 0
// gives two equal entries (but see the pair dropped below).
Int64 Decode1D(Byte* Row, const TBitSource& Src, Integer Width, Int64 BitPos, std::vector<Integer>* Changes) {
  if (Changes) Changes->clear();
  std::memset(Row, 0xFF, size_t(RowBytes(Width)));
  bool black = false, makeUp = false, started = false;
  Integer pos = 0;
  while ((pos < Width || makeUp) && BitPos < Src.Bits()) {
    int len = 0;
    const int e = FaxCodeTree(black).Decode(Src.Fetch(BitPos), len);
    if (e < 0) {
      ++BitPos;
      continue;
    }
    if (e >= kFirstEol && e < kFirstEmpty) {
      BitPos += len;
      if (!started) continue;
      // The EOL belongs to the next row.
      BitPos -= len;
      if (black) ClearBits(Row, pos, Width);
      break;
    }
    BitPos += len;
    if (e >= kFirstEmpty) continue;
    started = true;
    const Integer run = EntryRun(e);
    const Integer end = Integer(std::min<Int64>(Int64(pos) + run, Width));
    if (black) ClearBits(Row, pos, end);
    pos = end;
    makeUp = e >= kFirstMakeUp;
    if (!makeUp) {
      black = !black;
      if (Changes) {
        Changes->push_back(pos);
        // White 0 and black 0 inside a one-dimensional row code nothing, and
        // the row after is coded as if they were not there.
        const size_t n = Changes->size();
        if (!black && pos < Width && n >= 2 && (*Changes)[n - 1] == (*Changes)[n - 2] &&
            (*Changes)[n - 2] == (n >= 3 ? (*Changes)[n - 3] : 0))
          Changes->resize(n - 2);
      }
    }
  }
  return std::min(BitPos, Src.Bits());
}

enum TMode { mNone, mPass, mHorizontal, mVertical, mExtension, mEol };

// Identifies the two-dimensional mode code at BitPos; Delta is a1 - b1 for
// vertical modes. Length is the code's length (for an EOL with fill bits, up
// to and including its 1 bit).
TMode IdentifyMode(const TBitSource& Src, Int64 BitPos, bool FillBits, int& Delta, Int64& Length) {
  const uint32_t w = Src.Fetch(BitPos);
  struct TModeCode {
    uint32_t Bits;
    int Len;
    TMode Mode;
    int Delta;
  };
  static const TModeCode codes[] = {
      {0b1, 1, mVertical, 0},        {0b011, 3, mVertical, 1},      {0b010, 3, mVertical, -1},
      {0b001, 3, mHorizontal, 0},    {0b0001, 4, mPass, 0},         {0b000011, 6, mVertical, 2},
      {0b000010, 6, mVertical, -2},  {0b0000011, 7, mVertical, 3},  {0b0000010, 7, mVertical, -3},
      {0b0000001111, 10, mExtension, 0}, {0b000000000001, 12, mEol, 0}};
  for (const TModeCode& c : codes)
    if ((w >> (32 - c.Len)) == c.Bits) {
      Delta = c.Delta;
      Length = c.Len;
      return c.Mode;
    }
  if (FillBits && (w >> 20) == 0) {
    Int64 p = BitPos + 12;
    while (p < Src.Bits() && !((Src.At(p >> 3) >> (7 - (p & 7))) & 1)) ++p;
    if (p >= Src.Bits()) return mNone;
    Length = p + 1 - BitPos;
    return mEol;
  }
  return mNone;
}

}  // namespace

Integer FaxDecode1DRow(Byte* Row, const Byte* Data, Integer Width, Integer FillOrder, Integer BitPos,
                       Integer DataSize) {
  if (Width <= 0) return BitPos;
  const TBitSource src = MakeSource(Data, DataSize, FillOrder);
  return Integer(Decode1D(Row, src, Width, std::max<Integer>(BitPos, 0), nullptr));
}

Integer FaxDecodeMHRow(Byte* Row, const Byte* Data, Integer Width, Integer FillOrder, Integer DataSize) {
  if (Width <= 0) return 0;
  const TBitSource src = MakeSource(Data, DataSize, FillOrder);
  return Integer((Decode1D(Row, src, Width, 0, nullptr) + 7) / 8);
}

Integer FaxDecode2DRow(Byte* Row, const Byte* Data, Integer DataSize, bool FillBits, Integer FillOrder,
                       Integer BitPos, Byte* Reference, Integer Width, std::vector<Integer>* Changes) {
  if (Width <= 0) return BitPos;
  const TBitSource src = MakeSource(Data, DataSize, FillOrder);
  const Integer bytes = RowBytes(Width);
  // The reference row's changes as they were coded: an encoder may code a
  // row against an empty run of the row before (a pass over white 0 and
  // black 0 at the start), which the pixels no longer show.
  std::vector<Integer> ref, cur;
  if (Changes)
    ref.swap(*Changes);
  else
    RowChanges(Reference, Width, 1, ref);
  bool uncompressed = false;
  std::memset(Row, 0xFF, size_t(bytes));
  Int64 pos = std::max<Integer>(BitPos, 0);
  Integer a0 = -1;
  bool black = false, started = false;
  while (a0 < Width && pos < src.Bits()) {
    int delta = 0;
    Int64 len = 0;
    const TMode mode = IdentifyMode(src, pos, FillBits, delta, len);
    const Integer from = std::max<Integer>(a0, 0);
    switch (mode) {
      case mNone:
        pos += 12;
        continue;
      case mEol:
        if (!started) {
          pos += len;
          const bool oneD = ((src.At((pos) >> 3) >> (7 - (pos & 7))) & 1) != 0;
          ++pos;
          if (oneD) {
            pos = Decode1D(Row, src, Width, pos, Changes);
            std::memcpy(Reference, Row, size_t(bytes));
            return Integer(std::min(pos, src.Bits()));
          }
          continue;
        }
        if (black) ClearBits(Row, from, Width);
        a0 = Width;
        continue;  // left for the next row
      case mPass: {
        pos += len;
        Integer b1, b2;
        FindB1B2(ref, a0, black, Width, b1, b2);
        const Integer to = std::clamp(b2, from, Width);
        if (black) ClearBits(Row, from, to);
        a0 = to;
        break;
      }
      case mHorizontal: {
        pos += len;
        const Integer r1 = DecodeRun(src, pos, black);
        if (r1 < 0) break;
        const Integer r2 = DecodeRun(src, pos, !black);
        if (r2 < 0) break;
        const Integer end1 = Integer(std::min<Int64>(Int64(from) + r1, Width));
        const Integer end2 = Integer(std::min<Int64>(Int64(end1) + r2, Width));
        if (black)
          ClearBits(Row, from, end1);
        else
          ClearBits(Row, end1, end2);
        cur.push_back(end1);
        cur.push_back(end2);
        a0 = end2;
        break;
      }
      case mVertical: {
        pos += len;
        Integer b1, b2;
        FindB1B2(ref, a0, black, Width, b1, b2);
        const Integer a1 = std::clamp(b1 + delta, from, Width);
        if (black) ClearBits(Row, from, a1);
        cur.push_back(a1);
        a0 = a1;
        black = !black;
        break;
      }
      case mExtension: {
        // Uncompressed mode: k zeros and a 1 give k white pixels and a black
        // one (k < 5), five white pixels (k = 5), or k - 6 white pixels and
        // an exit whose tag bit gives the next colour (k = 6 .. 10).
        pos += len;
        uncompressed = true;
        Integer x = from;
        bool exited = false;
        while (x < Width && pos < src.Bits() && !exited) {
          int k = 0;
          while (k <= 10 && pos < src.Bits() && !((src.At(pos >> 3) >> (7 - (pos & 7))) & 1)) {
            ++k;
            ++pos;
          }
          if (k > 10 || pos >= src.Bits()) break;
          ++pos;  // the 1
          if (k < 5) {
            x = std::min(x + k, Width);
            if (x < Width) {
              ClearBits(Row, x, x + 1);
              ++x;
            }
          } else if (k == 5) {
            x = std::min(x + 5, Width);
          } else {
            x = std::min(x + (k - 6), Width);
            black = pos < src.Bits() && ((src.At(pos >> 3) >> (7 - (pos & 7))) & 1);
            ++pos;
            exited = true;
          }
        }
        a0 = x;
        break;
      }
    }
    started = true;
  }
  std::memcpy(Reference, Row, size_t(bytes));
  if (Changes) {
    // Uncompressed pixels carry no runs: their changes come from the pixels.
    if (uncompressed) RowChanges(Row, Width, 1, cur);
    Changes->swap(cur);
  }
  return Integer(std::min(pos, src.Bits()));
}

// ---------------------------------------------------------------------------
// Encoding.

namespace {

// Codes of one row, appended first bit first, after the bits carried in from
// the row before.
class TBitWriter {
 public:
  TBitWriter(Integer CarriedBits, Byte CarriedByte) : bits_(std::clamp<Integer>(CarriedBits, 0, 7)) {
    acc_ = bits_ ? uint32_t(CarriedByte) >> (8 - bits_) : 0;
  }

  void Put(uint32_t Code, int Length) {
    for (int i = Length - 1; i >= 0; --i) {
      acc_ = (acc_ << 1) | ((Code >> i) & 1);
      if (++bits_ == 8) {
        out_.push_back(Byte(acc_));
        acc_ = 0;
        bits_ = 0;
      }
    }
  }
  void Put(const TCode& C) { Put(C.Bits, C.Length); }
  void PutEol() { Put(1, 12); }

  // Writes the whole bytes; the partial one goes to the carry (or is padded
  // and written with Pad).
  void Flush(TStream* Stream, bool& Abort, Integer& CarriedBits, Byte& CarriedByte, bool Pad) {
    if (Pad && bits_) Put(0, 8 - bits_);
    if (!out_.empty()) StreamWriteChecked(Stream, Abort, out_.data(), Integer(out_.size()));
    out_.clear();
    CarriedBits = bits_;
    CarriedByte = bits_ ? Byte(acc_ << (8 - bits_)) : 0;
  }

 private:
  std::vector<Byte> out_;
  uint32_t acc_ = 0;
  Integer bits_ = 0;
};

struct TEncodeTables {
  TCode Term[2][64];
  TCode MakeUp[2][40];  // 64 .. 2560
  TEncodeTables() {
    for (int c = 0; c < 2; ++c) {
      for (int i = 0; i < 64; ++i) Term[c][i] = ParseCode(c ? kBlackTerm[i] : kWhiteTerm[i]);
      for (int i = 0; i < 27; ++i) MakeUp[c][i] = ParseCode(c ? kBlackMakeUp[i] : kWhiteMakeUp[i]);
      for (int i = 0; i < 13; ++i) MakeUp[c][27 + i] = ParseCode(kExtMakeUp[i]);
    }
  }
};

const TEncodeTables& Tables() {
  static const TEncodeTables t;
  return t;
}

void PutRun(TBitWriter& W, Integer Run, bool Black) {
  const TEncodeTables& t = Tables();
  const int c = Black ? 1 : 0;
  while (Run > 2560) {
    W.Put(t.MakeUp[c][39]);
    Run -= 2560;
  }
  if (Run >= 64) {
    W.Put(t.MakeUp[c][Run / 64 - 1]);
    Run %= 64;
  }
  W.Put(t.Term[c][Run]);
}

// Runs alternating from white (a row starting black begins with white 0).
void Encode1DLine(TBitWriter& W, const Byte* Row, Integer Width) {
  std::vector<Integer> changes;
  RowChanges(Row, Width, 0, changes);
  Integer x = 0;
  bool black = false;
  for (const Integer c : changes) {
    PutRun(W, c - x, black);
    x = c;
    black = !black;
  }
  PutRun(W, Width - x, black);
}

void Encode2DLine(TBitWriter& W, const Byte* Row, const Byte* Reference, Integer Width) {
  std::vector<Integer> coding, ref;
  RowChanges(Row, Width, 0, coding);
  RowChanges(Reference, Width, 0, ref);
  Integer a0 = -1;
  bool black = false;
  while (a0 < Width) {
    const size_t i = size_t(std::upper_bound(coding.begin(), coding.end(), a0) - coding.begin());
    const Integer a1 = i < coding.size() ? coding[i] : Width;
    Integer b1, b2;
    FindB1B2(ref, a0, black, Width, b1, b2);
    if (b2 < a1) {
      W.Put(0b0001, 4);
      a0 = b2;
    } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
      static const TCode vertical[7] = {{0b0000010, 7}, {0b000010, 6}, {0b010, 3}, {0b1, 1},
                                        {0b011, 3},     {0b000011, 6}, {0b0000011, 7}};
      W.Put(vertical[a1 - b1 + 3]);
      a0 = a1;
      black = !black;
    } else {
      const Integer a2 = i + 1 < coding.size() ? coding[i + 1] : Width;
      W.Put(0b001, 3);
      PutRun(W, a1 - std::max<Integer>(a0, 0), black);
      PutRun(W, a2 - a1, !black);
      a0 = a2;
    }
  }
}

}  // namespace

void FaxEncodeMHRow(const Byte* Row, Integer Width, TStream* Stream, bool& Abort) {
  if (!Row || Width <= 0) return;
  TBitWriter w(0, 0);
  Encode1DLine(w, Row, Width);
  Integer bits = 0;
  Byte b = 0;
  w.Flush(Stream, Abort, bits, b, true);
}

void FaxEncode1DRow(const Byte* Row, Integer Width, TStream* Stream, bool& Abort, Integer& CarriedBits,
                    Byte& CarriedByte, bool Eol) {
  TBitWriter w(CarriedBits, CarriedByte);
  if (Row && Width > 0) {
    if (Eol) w.PutEol();
    Encode1DLine(w, Row, Width);
  }
  w.Flush(Stream, Abort, CarriedBits, CarriedByte, Row == nullptr);
}

void FaxEncodeG3Row(const Byte* Row, Integer Width, TStream* Stream, bool& Abort, std::vector<Byte>& Reference,
                    Integer& CarriedBits, Byte& CarriedByte) {
  TBitWriter w(CarriedBits, CarriedByte);
  if (!Row) {
    w.PutEol();
    Reference.clear();
    Reference.shrink_to_fit();
  } else if (Width > 0) {
    w.PutEol();
    const size_t bytes = size_t(RowBytes(Width));
    if (Reference.size() != bytes) {
      w.Put(1, 1);
      Encode1DLine(w, Row, Width);
    } else {
      w.Put(0, 1);
      Encode2DLine(w, Row, Reference.data(), Width);
    }
    Reference.assign(Row, Row + bytes);
  }
  w.Flush(Stream, Abort, CarriedBits, CarriedByte, Row == nullptr);
}

void FaxEncodeG4Row(const Byte* Row, Integer Width, TStream* Stream, bool& Abort, std::vector<Byte>& Reference,
                    Integer& CarriedBits, Byte& CarriedByte) {
  TBitWriter w(CarriedBits, CarriedByte);
  if (!Row) {
    w.PutEol();
    w.PutEol();
    Reference.clear();
    Reference.shrink_to_fit();
  } else if (Width > 0) {
    const size_t bytes = size_t(RowBytes(Width));
    if (Reference.size() != bytes) Reference.assign(bytes, 0);
    Encode2DLine(w, Row, Reference.data(), Width);
    Reference.assign(Row, Row + bytes);
  }
  w.Flush(Stream, Abort, CarriedBits, CarriedByte, Row == nullptr);
}
