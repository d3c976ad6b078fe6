// LZW decoding of image data, and the LZW and run-length encoders.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "gif/GIFImage.h"

namespace {

constexpr Integer TableSize = 4096;
// A string never holds more values than the table has entries (plus the
// value pushed for a code that is not in the table yet); a deeper walk can
// only come from a loop in a corrupt table.
constexpr Integer StackSize = TableSize + 2;

// Rows of a frame in the order its data holds them.
std::vector<Integer> RowOrder(Integer Height, bool Interlaced) {
  std::vector<Integer> rows;
  rows.reserve(Height);
  if (!Interlaced) {
    for (Integer y = 0; y < Height; ++y) rows.push_back(y);
    return rows;
  }
  static const Integer start[4] = {0, 4, 2, 1};
  static const Integer step[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (Integer y = start[pass]; y < Height; y += step[pass]) rows.push_back(y);
  return rows;
}

// Copies a string of the output. Most are a few bytes long: those go as one
// 8-byte move when the buffer has room for it (bytes past Count are written
// over later, or by the fill of an unfinished frame).
inline void CopyString(Byte* Dst, const Byte* Src, Integer Count, const Byte* Limit) {
  if (Count <= 8 && Dst + 8 <= Limit && Src + 8 <= Limit) {
    uint64_t v;
    std::memcpy(&v, Src, 8);
    std::memcpy(Dst, &v, 8);
  } else {
    std::memcpy(Dst, Src, size_t(Count));
  }
}

// Working storage and state of decoding one frame. Everything lives here for
// the duration of the call; codes are read straight from the byte buffer.
// From a memory stream the sub-blocks are taken from its block directly.
class TLZWDecoder {
 public:
  TLZWDecoder(TStream* Stream, TGIFSubImage* Frame) : stream_(Stream), frame_(Frame) {
    if (auto* m = dynamic_cast<TCustomMemoryStream*>(Stream)) {
      memory_ = static_cast<const Byte*>(m->Memory());
      memSize_ = m->Size();
      memPos_ = std::clamp<Int64>(m->Position(), 0, memSize_);
    }
  }
  // Leaves the stream after what was read.
  void Finish() {
    if (memory_) stream_->SetPosition(memPos_);
  }

  // Decodes up to Count values into Out; returns the number stored.
  Integer Decode(Integer MinCodeSize, Byte* Out, Integer Count);
  // Reads the remaining sub-blocks up to the zero-size one.
  void SkipToTerminator();

 private:
  Integer ReadCodeSlow(Integer Size);
  Integer UnderRun();
  bool Refill();
  void ResetTable();
  bool NextByte(Byte& Value) {
    if (!memory_) return StreamReadByte(stream_, Value);
    if (memPos_ >= memSize_) return false;
    Value = memory_[memPos_++];
    return true;
  }
  Int64 BytesLeft() { return memory_ ? memSize_ - memPos_ : stream_->Size() - stream_->Position(); }
  // Reads up to Count bytes; returns how many came.
  Integer NextBytes(Byte* Buffer, Integer Count) {
    if (!memory_) return stream_->Read(Buffer, Count);
    const Integer n = Integer(std::min<Int64>(Count, memSize_ - memPos_));
    std::memcpy(Buffer, memory_ + memPos_, size_t(n));
    memPos_ += n;
    return n;
  }

  inline Integer ReadCode(Integer Size) {
    if (bitPos_ + Size < bitEnd_) {
      const Byte* p = buffer_ + (bitPos_ >> 3);
      Cardinal v = Cardinal(p[0]) | (Cardinal(p[1]) << 8) | (Cardinal(p[2]) << 16);
      Integer code = Integer((v >> (bitPos_ & 7)) & ((1u << Size) - 1));
      bitPos_ += Size;
      return code;
    }
    return ReadCodeSlow(Size);
  }

  TStream* stream_;
  TGIFSubImage* frame_;
  const Byte* memory_ = nullptr;
  Int64 memSize_ = 0;
  Int64 memPos_ = 0;
  // 2 carried bytes, up to 255 bytes of the sub-block, and slack for reading
  // three bytes at the last bit position.
  Byte buffer_[2 + 255 + 4] = {};
  Integer bitPos_ = 0;
  Integer bitEnd_ = 0;
  Integer held_ = 2;
  bool terminatorSeen_ = false;
  bool exhausted_ = false;
  bool streamEnded_ = false;
  bool warnedUnderrun_ = false;
  Integer clearCode_ = 0;
  Word prefix_[TableSize];
  Byte suffix_[TableSize];
  // Each entry's string as it stands in the output: offset and length.
  Integer pos_[TableSize];
  Word len_[TableSize];
  Byte stack_[StackSize + 8];  // slack for 8-byte copies of short strings
};

bool TLZWDecoder::Refill() {
  buffer_[0] = buffer_[held_ - 2];
  buffer_[1] = buffer_[held_ - 1];
  Byte n;
  if (streamEnded_ || !NextByte(n)) {
    streamEnded_ = true;
    return false;
  }
  Integer count = n;
  if (count == 0) {
    terminatorSeen_ = true;
    exhausted_ = true;
  } else {
    const Int64 left = BytesLeft();
    if (count > left) {
      frame_->ReportWarning("Premature end of data");
      count = left > 0 ? Integer(left) : 0;
    }
    if (count > 0 && NextBytes(buffer_ + 2, count) != count) RaiseGIFError("Premature end of data");
  }
  // Bits past the held bytes read as zero, never as stale data.
  std::memset(buffer_ + 2 + count, 0, sizeof(buffer_) - 2 - count);
  held_ = count + 2;
  bitPos_ = bitPos_ - bitEnd_ + 16;
  bitEnd_ = held_ * 8;
  return true;
}

// A code was asked for after the data's last sub-block and no whole code is
// left: the frame's data ended before its pixels. Reported once per frame.
Integer TLZWDecoder::UnderRun() {
  if (!warnedUnderrun_) {
    warnedUnderrun_ = true;
    frame_->ReportWarning("Decoder bit buffer under-run");
  }
  return -1;
}

Integer TLZWDecoder::ReadCodeSlow(Integer Size) {
  if (exhausted_) return UnderRun();
  if (!Refill()) return -1;
  // Sub-blocks shorter than a code: keep reading until the code is complete.
  while (bitPos_ + Size > bitEnd_ && !exhausted_)
    if (!Refill()) return -1;
  // After the terminator only complete codes count; the data ran out.
  if (bitPos_ + Size > bitEnd_) return UnderRun();
  const Byte* p = buffer_ + (bitPos_ >> 3);
  Cardinal v = Cardinal(p[0]) | (Cardinal(p[1]) << 8) | (Cardinal(p[2]) << 16);
  Integer code = Integer((v >> (bitPos_ & 7)) & ((1u << Size) - 1));
  bitPos_ += Size;
  return code;
}

void TLZWDecoder::SkipToTerminator() {
  if (terminatorSeen_ || streamEnded_) return;
  Byte scratch[255];
  for (;;) {
    Byte n;
    if (!NextByte(n) || n == 0) break;
    if (NextBytes(scratch, n) < n) break;
  }
  terminatorSeen_ = true;
}

void TLZWDecoder::ResetTable() {
  std::memset(prefix_, 0, sizeof(prefix_));
  std::memset(suffix_, 0, sizeof(suffix_));
  for (Integer i = 0; i < clearCode_; ++i) suffix_[i] = Byte(i);
}

Integer TLZWDecoder::Decode(Integer MinCodeSize, Byte* Out, Integer Count) {
  clearCode_ = 1 << MinCodeSize;
  const Integer clear = clearCode_;
  const Integer endCode = clear + 1;
  Integer codeSize = MinCodeSize + 1;
  Integer limit = 2 * clear;
  Integer nextFree = clear + 2;
  Integer first = 0, old = 0;
  // Where the previous code's string went in Out, and its length.
  Integer prevStart = 0, prevLen = 0;
  bool clean = false;
  Byte* o = Out;
  Byte* const oend = Out + Count;
  if (Count <= 0) return 0;

  // Decoding begins as after a clear code, whether the data starts with one or not.
  Integer code = clear;
  for (;;) {
    if (code == clear) {
      ResetTable();
      codeSize = MinCodeSize + 1;
      limit = 2 * clear;
      nextFree = clear + 2;
      do code = ReadCode(codeSize);
      while (code == clear);
      if (code < 0) break;
      if (code == endCode) {
        SkipToTerminator();
        break;
      }
      first = old = code;
      // A code that is not a single value right after a clear leaves the
      // table in a state only the prefix walk below reproduces.
      clean = code < clear;
      prevStart = Integer(o - Out);
      prevLen = 1;
      *o++ = Byte(code);
      if (o == oend) break;
      code = ReadCode(codeSize);
      if (code < 0) break;
      continue;
    }
    if (code == endCode) {
      SkipToTerminator();
      break;
    }
    if (clean && code <= nextFree) {
      // Every string of the table was written out before, in this frame:
      // copy it from there instead of walking its prefixes.
      const Integer start = Integer(o - Out);
      const Integer room = Integer(oend - o);
      Integer len;
      if (code < clear) {
        len = 1;
        first = code;
        *o = Byte(code);
      } else if (code < nextFree) {
        len = len_[code];
        const Byte* src = Out + pos_[code];
        first = *src;
        CopyString(o, src, std::min(len, room), oend);
      } else {
        // Not in the table yet: the previous string and its own first value.
        len = prevLen + 1;
        const Byte* src = Out + prevStart;
        first = *src;
        CopyString(o, src, std::min(prevLen, room), oend);
        if (prevLen < room) o[prevLen] = Byte(first);
      }
      if (nextFree < TableSize) {
        prefix_[nextFree] = Word(old);
        suffix_[nextFree] = Byte(first);
        pos_[nextFree] = prevStart;
        len_[nextFree] = Word(prevLen + 1);
        ++nextFree;
        if (nextFree == limit && limit < TableSize) {
          limit <<= 1;
          ++codeSize;
        }
      }
      old = code;
      if (len >= room) {
        o += room;
        break;
      }
      o += len;
      prevStart = start;
      prevLen = len;
      code = ReadCode(codeSize);
      if (code < 0) break;
      continue;
    }
    clean = false;
    const Integer incoming = code;
    // The string is built from its last value backwards, at the end of the
    // stack, so it lies there in order and goes out in one copy.
    Byte* const stackEnd = stack_ + StackSize;
    Byte* sp = stackEnd;
    if (code >= nextFree) {
      *--sp = Byte(first);
      code = old;
    }
    while (code >= clear) {
      *--sp = suffix_[code];
      const Integer p = prefix_[code];
      if (p == code || sp == stack_) RaiseGIFError("Circular decoder table entry");
      code = p;
    }
    first = suffix_[code];
    *--sp = Byte(first);
    if (nextFree < TableSize) {
      prefix_[nextFree] = Word(old);
      suffix_[nextFree] = Byte(first);
      ++nextFree;
      if (nextFree == limit && limit < TableSize) {
        limit <<= 1;
        ++codeSize;
      }
    }
    old = incoming;
    const Integer n = Integer(stackEnd - sp);
    const Integer room = Integer(oend - o);
    if (n >= room) {
      // The frame is full; values past its end are dropped.
      std::memcpy(o, sp, size_t(room));
      o += room;
      break;
    }
    if (n <= 8 && o + 8 <= oend) {
      uint64_t v;
      std::memcpy(&v, sp, 8);
      std::memcpy(o, &v, 8);
    } else {
      std::memcpy(o, sp, size_t(n));
    }
    o += n;
    code = ReadCode(codeSize);
    if (code < 0) break;
  }
  return Integer(o - Out);
}

}  // namespace

void TGIFSubImage::DecodePixels(TStream* Stream) {
  const Int64 pixels = Int64(Descriptor.Width) * Descriptor.Height;
  // Interlaced rows are moved with 32-bit offsets, and the buffer's size is one.
  if (pixels > GIFMaxFramePixels) RaiseGIFError("Image is too large");
  if (image_ && image_->Loading()) {
    image_->ChargePixels(pixels);
  } else {
    // Outside a document load: the data left in the stream must justify the frame.
    const Int64 left = std::max<Int64>(Stream->Size() - Stream->Position(), 0);
    if (pixels > GIFFreePixelAllowance + left * GIFMaxPixelsPerDataByte)
      RaiseGIFError("Image size exceeds what the GIF data can encode");
  }
  // Not zeroed: the decoder writes every value, and what it does not reach
  // gets the fill value below.
  data_.reset();
  dataSize_ = 0;
  if (pixels > 0) {
    data_.reset(new Byte[size_t(pixels)]);
    dataSize_ = Integer(pixels);
  }
  Byte fill = 0;
  if (Transparent() && GraphicControl()) fill = GraphicControl()->TransparentIndex();

  Byte minCodeSize;
  if (!StreamReadByte(Stream, minCodeSize)) {
    if (dataSize_ > 0) std::memset(data_.get(), fill, size_t(dataSize_));
    return;
  }
  if (minCodeSize > 11) RaiseGIFError("Invalid GIF data");

  auto decoder = std::make_unique<TLZWDecoder>(Stream, this);
  if (dataSize_ > 0) {
    if (!Interlaced()) {
      const Integer done = decoder->Decode(minCodeSize, data_.get(), dataSize_);
      std::memset(data_.get() + done, fill, size_t(dataSize_ - done));
    } else {
      // Decode in data order, then put each row in its place; rows never
      // reached keep the fill value either way.
      std::unique_ptr<Byte[]> linear(new Byte[size_t(dataSize_)]);
      const Integer done = decoder->Decode(minCodeSize, linear.get(), dataSize_);
      std::memset(linear.get() + done, fill, size_t(dataSize_ - done));
      const size_t w = size_t(Width());
      std::vector<Integer> rows = RowOrder(Height(), true);
      for (size_t i = 0; i < rows.size(); ++i)
        std::memcpy(data_.get() + size_t(rows[i]) * w, linear.get() + i * w, w);
    }
  }
  // Whatever follows the pixels (the end code, surplus codes) is consumed up
  // to the data's zero-size sub-block, so the next block is read in step.
  decoder->SkipToTerminator();
  decoder->Finish();
}

// ---------------------------------------------------------------------------
// Hash table.

THashTable::THashTable() : slots_(new Cardinal[Slots]) { Reset(); }

void THashTable::Reset() { std::fill(slots_.get(), slots_.get() + Slots, 0xFFFFFFFFu); }

namespace {
inline Integer HashIndex(Cardinal Key) { return Integer((Key ^ (Key >> 4)) % Cardinal(THashTable::Slots)); }
inline Integer HashStep(Integer Index) { return Index == 0 ? 1 : THashTable::Slots - Index; }
constexpr Cardinal EmptyTop = 0xFFFFF000u;
}  // namespace

void THashTable::Store(Cardinal Key, Integer Code) {
  Integer i = HashIndex(Key);
  const Integer step = HashStep(i);
  while ((slots_[i] & EmptyTop) != EmptyTop) {
    i -= step;
    if (i < 0) i += Slots;
  }
  slots_[i] = (Key << 12) | Cardinal(Code & 0xFFF);
}

Integer THashTable::Find(Cardinal Key) const {
  Integer i = HashIndex(Key);
  const Integer step = HashStep(i);
  const Cardinal want = Key << 12;
  for (;;) {
    const Cardinal s = slots_[i];
    if ((s & EmptyTop) == EmptyTop) return -1;
    if ((s & EmptyTop) == want) return Integer(s & 0xFFF);
    i -= step;
    if (i < 0) i += Slots;
  }
}

// ---------------------------------------------------------------------------
// Encoders.

void TGIFEncoder::Encode(TStream* Stream, Integer BitsPerPixel, Integer ColorCount, const Byte* Pixels,
                         bool Interlaced, Integer Height, Integer Width) {
  stream_ = Stream;
  minCodeSize_ = std::max(BitsPerPixel, 2);
  colorCount_ = ColorCount;
  pixels_ = Pixels;
  interlaced_ = Interlaced;
  height_ = Height;
  width_ = Width;
  StreamWriteByte(Stream, Byte(minCodeSize_));
  initCodeSize_ = minCodeSize_ + 1;
  codeSize_ = initCodeSize_;
  maxCode_ = (1 << initCodeSize_) - 1;
  clearCode_ = Word(1 << minCodeSize_);
  endCode_ = Word(clearCode_ + 1);
  baseCode_ = Word(clearCode_ + 2);
  bucket_ = 0;
  bitCount_ = 0;

  TGIFWriter writer(Stream);
  writer_ = &writer;
  if (Pixels && Width > 0 && Height > 0) EncodePixels();
  EmitCode(endCode_);
  writer.FlushBlock();
  writer_ = nullptr;
  StreamWriteByte(Stream, 0);
}

inline void TGIFEncoder::EmitBits(Integer Code) {
  if (bitCount_ > 0)
    bucket_ = (Cardinal(Code) << bitCount_) | (bucket_ & ((1u << bitCount_) - 1));
  else
    bucket_ = Cardinal(Code);
  bitCount_ += codeSize_;
  while (bitCount_ >= 8) {
    writer_->WriteByte(Byte(bucket_));
    bucket_ >>= 8;
    bitCount_ -= 8;
  }
  if (Code == endCode_ && bitCount_ > 0) {
    writer_->WriteByte(Byte(bucket_ & ((1u << bitCount_) - 1)));
    bucket_ = 0;
    bitCount_ = 0;
  }
}

void TGIFEncoder::EmitCode(Integer Code) { EmitBits(Code); }

void TGIFEncoder::EmitClear() {
  clearFlag_ = true;
  EmitCode(clearCode_);
}

void TGIFEncoder::ColorNotInTable() { RaiseGIFError("Color not in color table"); }

template <class F>
void TGIFEncoder::WalkPixels(F&& Fn) {
  if (!interlaced_) {
    Fn(pixels_, width_ * height_);
    return;
  }
  // Rows 0, 8, 16, ...; 4, 12, ...; 2, 6, ...; 1, 3, ...: passes without rows are skipped.
  static const Integer start[4] = {0, 4, 2, 1};
  static const Integer step[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (Integer row = start[pass]; row < height_; row += step[pass]) Fn(pixels_ + size_t(row) * width_, width_);
}

// LZW ----------------------------------------------------------------------

// The string table indexed directly by (prefix code shl the pixel bits) or
// pixel: one lookup per pixel. An entry holds a stamp in its upper 20 bits and
// its code in the lower 12, and counts only while its stamp is the current
// one, so a clear takes a new stamp instead of wiping the table. The block (up
// to 4 MB for 8-bit pixels) is kept per thread: allocating and first touching
// it is paid once, not for every frame.
struct TLZWEncoder::TCodeTable {
  static constexpr Cardinal StampStep = 1u << 12;
  struct TBlock {
    std::unique_ptr<Cardinal[]> entries;
    size_t count = 0;
    Cardinal stamp = 0;
    bool busy = false;
  };
  static thread_local TBlock threadBlock;

  TBlock own;
  TBlock* block;
  Cardinal* entries;
  Cardinal stamp;

  explicit TCodeTable(Integer PixelBits) {
    // An encoder writing into a stream that saves another image on the same
    // thread gets a block of its own.
    block = threadBlock.busy ? &own : &threadBlock;
    block->busy = true;
    const size_t count = size_t(4096) << PixelBits;
    if (block->count < count) {
      block->entries.reset();
      block->entries.reset(new Cardinal[count]());
      block->count = count;
      block->stamp = 0;
    }
    entries = block->entries.get();
    stamp = block->stamp;
  }
  ~TCodeTable() {
    block->stamp = stamp;
    block->busy = false;
  }
  // Forgets every string.
  void Clear() {
    stamp += StampStep;
    if (stamp == 0) {
      // The stamps went round: entries of the first round would count again.
      std::fill(entries, entries + block->count, 0u);
      stamp = StampStep;
    }
  }
};

thread_local TLZWEncoder::TCodeTable::TBlock TLZWEncoder::TCodeTable::threadBlock;

TLZWEncoder::TLZWEncoder() = default;
TLZWEncoder::~TLZWEncoder() = default;

inline void TLZWEncoder::Put(Integer Code) {
  EmitBits(Code);
  if (nextFree_ > maxCode_ || clearFlag_) {
    if (clearFlag_) {
      codeSize_ = initCodeSize_;
      maxCode_ = (1 << initCodeSize_) - 1;
      clearFlag_ = false;
    } else {
      ++codeSize_;
      maxCode_ = codeSize_ == 12 ? 4096 : (1 << codeSize_) - 1;
    }
  }
}

void TLZWEncoder::EmitCode(Integer Code) { Put(Code); }

void TLZWEncoder::EmitClear() {
  TGIFEncoder::EmitClear();
  table_->Clear();
  nextFree_ = clearCode_ + 2;
}

void TLZWEncoder::EncodePixels() {
  table_ = std::make_unique<TCodeTable>(minCodeSize_);
  nextFree_ = 0;
  EmitClear();
  // The bytes gather in a local block, and while a run of pixels (the frame,
  // or a row of an interlaced one) is coded, the coding state lives in plain
  // locals of that loop: held in members or reached through a closure, it
  // would be loaded again after every byte stored, for every pixel.
  struct TState {
    uint64_t bucket;
    Integer bits, size, maxCode, nextFree, prefix, held;
    Cardinal stamp;
  };
  TState state{bucket_, bitCount_, codeSize_, maxCode_, nextFree_, -1, 0, table_->stamp};
  Byte block[4096];
  // Clears and a bad value are rare: they go through the members.
  auto flush = [this, &block](TState& s) {
    writer_->Write(block, s.held);
    s.held = 0;
  };
  auto clear = [this, &flush](TState& s) {
    flush(s);
    bucket_ = Cardinal(s.bucket);
    bitCount_ = s.bits;
    codeSize_ = s.size;
    maxCode_ = s.maxCode;
    EmitClear();
    s.bucket = bucket_;
    s.bits = bitCount_;
    s.size = codeSize_;
    s.maxCode = maxCode_;
    s.nextFree = nextFree_;
    s.stamp = table_->stamp;
  };
  auto refuse = [this, &flush](TState& s) {
    flush(s);  // what was coded before the bad value still goes out
    ColorNotInTable();
  };
  WalkPixels([&](const Byte* p, Integer n) {
    Byte* const out = block;
    Cardinal* const entries = table_->entries;
    const Integer colors = colorCount_, shift = minCodeSize_;
    uint64_t bucket = state.bucket;
    Integer bits = state.bits, size = state.size, maxCode = state.maxCode, nextFree = state.nextFree;
    Integer prefix = state.prefix, held = state.held;
    Cardinal stamp = state.stamp;
    auto store = [&] { state = TState{bucket, bits, size, maxCode, nextFree, prefix, held, stamp}; };
    auto load = [&] {
      bucket = state.bucket;
      bits = state.bits;
      size = state.size;
      maxCode = state.maxCode;
      nextFree = state.nextFree;
      held = state.held;
      stamp = state.stamp;
    };
    Integer i = 0;
    if (prefix < 0) {
      prefix = p[0];
      if (prefix >= colors) {
        store();
        refuse(state);
      }
      i = 1;
    }
    for (; i < n; ++i) {
      const Integer c = p[i];
      if (c >= colors) {
        store();
        refuse(state);
      }
      Cardinal* const at = entries + ((size_t(prefix) << shift) | size_t(c));
      const Cardinal s = *at;
      if ((s & ~0xFFFu) == stamp) {
        prefix = Integer(s & 0xFFF);
        continue;
      }
      // The prefix's code goes out. Its whole bytes are stored as one 8-byte
      // word (the block keeps room for it; Windows runs little-endian, so the
      // low byte comes first): a loop over them mispredicts every other code.
      bucket |= uint64_t(prefix) << bits;
      bits += size;
      std::memcpy(out + held, &bucket, 8);
      held += bits >> 3;
      bucket >>= bits & ~7;
      bits &= 7;
      if (held > Integer(sizeof(block)) - 8) {
        store();
        flush(state);
        held = 0;
      }
      if (nextFree > maxCode) {
        ++size;
        maxCode = size == 12 ? 4096 : (1 << size) - 1;
      }
      prefix = c;
      if (nextFree > 4094) {
        store();
        clear(state);
        load();
      } else {
        *at = stamp | Cardinal(nextFree);
        ++nextFree;
      }
    }
    store();
  });
  flush(state);
  bucket_ = Cardinal(state.bucket);
  bitCount_ = state.bits;
  codeSize_ = state.size;
  maxCode_ = state.maxCode;
  nextFree_ = state.nextFree;
  Put(state.prefix);
  table_.reset();
}

// Run-length -------------------------------------------------------------

Integer IntSqrt(Integer X) {
  if (X < 2) return X;
  Integer digits = 0;
  for (Cardinal v = Cardinal(X); v != 0; v >>= 2) ++digits;
  Int64 r = Int64(1) << digits;
  for (;;) {
    const Int64 t = (r + X / r) / 2;
    if (t == r || t == r + 1) return Integer(r);
    r = t;
  }
}

Integer TRLEEncoder::TriangleCost(Integer Count, Integer N) {
  const Int64 per = Int64(N) * (N + 1) / 2;
  Int64 count = Count;
  Int64 cost = 0;
  if (per > 0) {
    cost += (count / per) * N;
    count %= per;
  }
  if (count > 0) {
    Int64 m = IntSqrt(Integer(count));
    while (m > 0 && m * (m + 1) >= 2 * count) --m;
    while (m * (m + 1) < 2 * count) ++m;
    cost += m;
  }
  return Integer(cost);
}

void TRLEEncoder::EmitClear() {
  bumpThreshold_ = bumpInit_;
  clearThreshold_ = clearInit_;
  outCount_ = 0;
  runTableMax_ = 0;
  TGIFEncoder::EmitClear();
  codeSize_ = initCodeSize_;
}

void TRLEEncoder::EmitPlain(Integer Code) {
  clearFlag_ = false;
  EmitCode(Code);
  ++outCount_;
  if (outCount_ == bumpThreshold_) {
    bumpThreshold_ += 1 << codeSize_;
    ++codeSize_;
  }
  if (outCount_ == clearThreshold_) EmitClear();
}

void TRLEEncoder::OpenClearLimit() { clearThreshold_ = maxCodes_; }

void TRLEEncoder::RestoreClearLimit() {
  clearThreshold_ = clearInit_;
  if (outCount_ >= clearThreshold_) EmitClear();
}

void TRLEEncoder::RunsAfterClear(Integer Count) {
  OpenClearLimit();
  runTablePixel_ = runPixel_;
  Integer n = 1;
  while (Count > 0) {
    if (n == 1) {
      runTableMax_ = 1;
      EmitPlain(runPixel_);
      Count -= 1;
    } else if (n <= Count) {
      runTableMax_ = n;
      EmitPlain(baseCode_ + n - 2);
      Count -= n;
    } else if (Count == 1) {
      ++runTableMax_;
      EmitPlain(runPixel_);
      Count = 0;
    } else {
      ++runTableMax_;
      EmitPlain(baseCode_ + Count - 2);
      Count = 0;
    }
    n = outCount_ == 0 ? 1 : n + 1;
  }
  RestoreClearLimit();
}

void TRLEEncoder::RepeatOrRestart(Integer Count) {
  if (TriangleCost(Count, maxCodes_) + 1 < Count) {
    EmitClear();
    RunsAfterClear(Count);
  } else {
    for (Integer i = 0; i < Count; ++i) EmitPlain(runPixel_);
  }
}

void TRLEEncoder::RunsFromTable(Integer Count) {
  Integer reps = Count / runTableMax_;
  Integer left = Count % runTableMax_;
  Integer extra = left > 0 ? 1 : 0;
  if (outCount_ + reps + extra > maxCodes_) {
    reps = maxCodes_ - outCount_;
    left = Count - reps * runTableMax_;
    extra = 1 + TriangleCost(left, maxCodes_);
  }
  if (1 + TriangleCost(Count, maxCodes_) < reps + extra) {
    EmitClear();
    RunsAfterClear(Count);
    return;
  }
  OpenClearLimit();
  const Integer runCode = baseCode_ + runTableMax_ - 2;
  for (Integer i = 0; i < reps; ++i) EmitPlain(runCode);
  if (left > 0) {
    if (outCount_ == 0)
      RunsAfterClear(left);
    else if (left == 1)
      EmitPlain(runPixel_);
    else
      EmitPlain(baseCode_ + left - 2);
  }
  RestoreClearLimit();
}

void TRLEEncoder::FlushRun(Integer Count) {
  if (Count == 1)
    EmitPlain(runPixel_);
  else if (clearFlag_)
    RunsAfterClear(Count);
  else if (runTableMax_ > 1 && runTablePixel_ == runPixel_)
    RunsFromTable(Count);
  else
    RepeatOrRestart(Count);
}

void TRLEEncoder::EncodePixels() {
  bumpInit_ = clearCode_ - 1;
  clearInit_ = minCodeSize_ <= 3 ? 9 : clearCode_ - 2;
  maxCodes_ = 4095 - baseCode_;
  EmitClear();
  runPixel_ = -1;
  Integer run = 0;
  const Integer colors = colorCount_;
  WalkPixels([&](const Byte* p, Integer n) {
    for (Integer i = 0; i < n; ++i) {
      const Integer c = p[i];
      if (c >= colors) ColorNotInTable();
      if (run > 0 && c != runPixel_) {
        FlushRun(run);
        run = 0;
      }
      if (run > 0) {
        ++run;
      } else {
        runPixel_ = c;
        run = 1;
      }
    }
  });
  if (run > 0) FlushRun(run);
}

// ---------------------------------------------------------------------------

Integer TGIFSubImage::PixelBits() const {
  if (!data_ || dataSize_ <= 0) return 0;
  // The highest bit set in any value is the highest bit of the largest.
  const Byte* p = data_.get();
  Byte any = 0;
  for (Integer i = 0; i < dataSize_; ++i) any |= p[i];
  Integer bits = 1;
  while (bits < 8 && (any >> bits) != 0) ++bits;
  return bits;
}

void TGIFSubImage::WriteImageData(TStream* Stream) {
  // The colour table is written with 2^bits entries, padded past the map
  // when pixel values lie beyond it (SaveToStream), so every value below
  // 2^bits is in it.
  Integer bits = colorMap_->BitsPerEntry();
  if (colorMap_->Count() == 0 && image_)
    bits = image_->Header()->WritingBits() > 0 ? image_->Header()->WritingBits() : image_->BitsPerPixel();
  bits = std::max(bits, PixelBits());
  const Integer colors = 1 << bits;
  std::unique_ptr<TGIFEncoder> encoder;
  if (image_->CompressionKind() == ckRLE)
    encoder = std::make_unique<TRLEEncoder>();
  else
    encoder = std::make_unique<TLZWEncoder>();
  encoder->Encode(Stream, bits, colors, data_.get(), Interlaced(), Height(), Width());
}
