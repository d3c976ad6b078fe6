// Helpers of the TIFF reader tests: a small TIFF file builder (either byte
// order, any tags, strips or tiles, an EXIF sub-directory, chains that loop),
// a TIFF LZW coder for the decoding hook, and a PackBits encoder.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Classes.h"

namespace tifft {

enum : uint16_t { BYTE = 1, ASCII = 2, SHORT = 3, LONG = 4, RATIONAL = 5, UNDEFINED = 7 };

struct Field {
  uint16_t Type = SHORT;
  uint32_t Count = 0;
  std::vector<uint32_t> Values;  // integer types; RATIONAL as num, den pairs
  std::vector<uint8_t> Bytes;    // ASCII and UNDEFINED
};

struct Dir {
  std::map<uint16_t, Field> Fields;
  std::vector<std::vector<uint8_t>> Chunks;  // strip or tile data, in order
  bool Tiles = false;
  bool WithByteCounts = true;
  std::vector<std::pair<uint16_t, Dir>> SubDirs;  // tag holding the offset (EXIF 34665)

  Dir& Set(uint16_t Tag, uint16_t Type, std::vector<uint32_t> V) {
    Field f;
    f.Type = Type;
    f.Count = uint32_t(Type == RATIONAL ? V.size() / 2 : V.size());
    f.Values = std::move(V);
    Fields[Tag] = f;
    return *this;
  }
  Dir& Short(uint16_t Tag, std::vector<uint32_t> V) { return Set(Tag, SHORT, std::move(V)); }
  Dir& Long(uint16_t Tag, std::vector<uint32_t> V) { return Set(Tag, LONG, std::move(V)); }
  Dir& Rational(uint16_t Tag, std::vector<uint32_t> NumDen) { return Set(Tag, RATIONAL, std::move(NumDen)); }
  Dir& Text(uint16_t Tag, const std::string& S) {
    Field f;
    f.Type = ASCII;
    f.Bytes.assign(S.begin(), S.end());
    f.Bytes.push_back(0);
    f.Count = uint32_t(f.Bytes.size());
    Fields[Tag] = f;
    return *this;
  }
  Dir& Raw(uint16_t Tag, uint16_t Type, std::vector<uint8_t> B) {
    Field f;
    f.Type = Type;
    f.Bytes = std::move(B);
    f.Count = uint32_t(f.Bytes.size());
    Fields[Tag] = f;
    return *this;
  }
  // The usual image tags: size, samples, bits, photometric, compression.
  Dir& Image(uint32_t W, uint32_t H, uint32_t Spp, uint32_t Bits, uint32_t Photometric, uint32_t Compression = 1) {
    Short(256, {W}).Short(257, {H}).Short(277, {Spp}).Short(262, {Photometric}).Short(259, {Compression});
    return Short(258, std::vector<uint32_t>(Spp, Bits));
  }
};

class Builder {
 public:
  explicit Builder(bool LittleEndian = true) : le_(LittleEndian) {}
  std::vector<Dir> Dirs;
  // Directory offsets of the last Build (to make loops and bad links).
  std::vector<uint32_t> DirOffsets;
  // Next-directory links written in place of the true ones (index -> offset).
  std::map<size_t, uint32_t> NextOverride;

  std::vector<uint8_t> Build() {
    out_.clear();
    DirOffsets.clear();
    out_.push_back(le_ ? 'I' : 'M');
    out_.push_back(le_ ? 'I' : 'M');
    Put16(42);
    Put32(0);
    std::vector<size_t> nextSlots;
    for (size_t i = 0; i < Dirs.size(); ++i) {
      const uint32_t at = WriteDir(Dirs[i], nextSlots);
      DirOffsets.push_back(at);
    }
    Patch32(4, DirOffsets.empty() ? 0 : DirOffsets[0]);
    for (size_t i = 0; i < Dirs.size(); ++i) {
      uint32_t next = i + 1 < Dirs.size() ? DirOffsets[i + 1] : 0;
      if (NextOverride.count(i)) next = NextOverride[i];
      Patch32(nextSlots[i], next);
    }
    return out_;
  }

  void Put16(uint32_t V) {
    if (le_) {
      out_.push_back(uint8_t(V));
      out_.push_back(uint8_t(V >> 8));
    } else {
      out_.push_back(uint8_t(V >> 8));
      out_.push_back(uint8_t(V));
    }
  }
  void Put32(uint32_t V) {
    uint8_t b[4];
    Enc32(b, V);
    out_.insert(out_.end(), b, b + 4);
  }

 private:
  void Enc32(uint8_t* B, uint32_t V) const {
    for (int k = 0; k < 4; ++k) B[k] = uint8_t(le_ ? V >> (8 * k) : V >> (24 - 8 * k));
  }
  void Enc16(uint8_t* B, uint32_t V) const {
    B[0] = uint8_t(le_ ? V : V >> 8);
    B[1] = uint8_t(le_ ? V >> 8 : V);
  }
  void Patch32(size_t At, uint32_t V) { Enc32(out_.data() + At, V); }
  void Align() {
    if (out_.size() & 1) out_.push_back(0);
  }

  std::vector<uint8_t> Encode(const Field& F) const {
    std::vector<uint8_t> b;
    if (F.Type == ASCII || F.Type == UNDEFINED || (F.Type == BYTE && !F.Bytes.empty())) return F.Bytes;
    for (uint32_t v : F.Values) {
      uint8_t t[4];
      if (F.Type == BYTE) {
        b.push_back(uint8_t(v));
      } else if (F.Type == SHORT) {
        Enc16(t, v);
        b.insert(b.end(), t, t + 2);
      } else {
        Enc32(t, v);
        b.insert(b.end(), t, t + 4);
      }
    }
    return b;
  }

  uint32_t WriteDir(Dir D, std::vector<size_t>& NextSlots) {
    // Sub-directories first: their offsets become LONG values of this one.
    for (auto& [tag, sub] : D.SubDirs) {
      std::vector<size_t> slots;
      const uint32_t at = WriteDir(sub, slots);
      Patch32(slots[0], 0);
      D.Long(tag, {at});
    }
    if (!D.Chunks.empty()) {
      std::vector<uint32_t> offs, counts;
      for (const auto& c : D.Chunks) {
        Align();
        offs.push_back(uint32_t(out_.size()));
        counts.push_back(uint32_t(c.size()));
        out_.insert(out_.end(), c.begin(), c.end());
      }
      D.Long(D.Tiles ? 324 : 273, offs);
      if (D.WithByteCounts) D.Long(D.Tiles ? 325 : 279, counts);
    }
    std::map<uint16_t, std::vector<uint8_t>> data;
    std::map<uint16_t, uint32_t> where;
    for (const auto& [tag, f] : D.Fields) {
      data[tag] = Encode(f);
      if (data[tag].size() > 4) {
        Align();
        where[tag] = uint32_t(out_.size());
        out_.insert(out_.end(), data[tag].begin(), data[tag].end());
      }
    }
    Align();
    const uint32_t at = uint32_t(out_.size());
    Put16(uint32_t(D.Fields.size()));
    for (const auto& [tag, f] : D.Fields) {
      Put16(tag);
      Put16(f.Type);
      Put32(f.Count);
      const auto& v = data[tag];
      if (v.size() <= 4) {
        uint8_t field[4] = {};
        std::memcpy(field, v.data(), v.size());
        out_.insert(out_.end(), field, field + 4);
      } else {
        Put32(where[tag]);
      }
    }
    NextSlots.push_back(out_.size());
    Put32(0);
    return at;
  }

  bool le_;
  std::vector<uint8_t> out_;
};

// PackBits: literal runs and repeats, never across the end of the input.
inline std::vector<uint8_t> PackBits(const std::vector<uint8_t>& In) {
  std::vector<uint8_t> o;
  size_t i = 0;
  while (i < In.size()) {
    size_t run = 1;
    while (i + run < In.size() && run < 128 && In[i + run] == In[i]) ++run;
    if (run >= 2) {
      o.push_back(uint8_t(1 - int(run)));
      o.push_back(In[i]);
      i += run;
      continue;
    }
    size_t lit = 1;
    while (i + lit < In.size() && lit < 128 && !(i + lit + 1 < In.size() && In[i + lit] == In[i + lit + 1])) ++lit;
    o.push_back(uint8_t(lit - 1));
    o.insert(o.end(), In.begin() + long(i), In.begin() + long(i + lit));
    i += lit;
  }
  return o;
}

// TIFF LZW (codes most significant bit first, 9 to 12 bits, clear 256, end
// 257, the code width growing one code early).
inline std::vector<uint8_t> LzwEncode(const std::vector<uint8_t>& In) {
  std::vector<uint8_t> out;
  uint32_t acc = 0;
  int nacc = 0, width = 9;
  auto emit = [&](uint32_t code) {
    acc = (acc << width) | code;
    nacc += width;
    while (nacc >= 8) {
      out.push_back(uint8_t(acc >> (nacc - 8)));
      nacc -= 8;
    }
    acc &= (1u << nacc) - 1;
  };
  std::map<std::pair<int, uint8_t>, int> dict;
  int next = 258;
  emit(256);
  int prefix = -1;
  for (uint8_t c : In) {
    if (prefix < 0) {
      prefix = c;
      continue;
    }
    auto it = dict.find({prefix, c});
    if (it != dict.end()) {
      prefix = it->second;
      continue;
    }
    emit(uint32_t(prefix));
    dict[{prefix, c}] = next++;
    if (next >= (1 << width) && width < 12) ++width;
    if (next >= 4093) {
      emit(256);
      dict.clear();
      next = 258;
      width = 9;
    }
    prefix = c;
  }
  if (prefix >= 0) {
    emit(uint32_t(prefix));
    ++next;
    if (next >= (1 << width) && width < 12) ++width;
  }
  emit(257);
  if (nacc > 0) out.push_back(uint8_t(acc << (8 - nacc)));
  return out;
}

// The decoding hook: one row per call from the strip's bytes, state kept
// between rows; nil when the data ends before the row is complete or holds a
// code it cannot have. Output held is bounded by the row length plus the
// longest string.
struct LzwState {
  const uint8_t* Data = nullptr;
  int64_t Size = 0, BitPos = 0;
  int Width = 9, Next = 258, Prev = -1;
  bool Ended = false;
  uint16_t Prefix[4096];
  uint8_t Suffix[4096], First[4096];
  uint16_t Length[4096];
  std::vector<uint8_t> Pending;
  size_t PendingStart = 0;
};

inline Byte* LzwDecodeRow(const Byte* Strip, Integer StripSize, Integer RowLength, void*& State) {
  if (!Strip) {
    delete static_cast<LzwState*>(State);
    State = nullptr;
    return nullptr;
  }
  auto* s = static_cast<LzwState*>(State);
  if (!s) {
    s = new LzwState;
    State = s;
    s->Data = Strip;
    s->Size = StripSize;
    for (int i = 0; i < 256; ++i) {
      s->Prefix[i] = 0;
      s->Suffix[i] = s->First[i] = uint8_t(i);
      s->Length[i] = 1;
    }
  }
  if (s->PendingStart > 0) {
    s->Pending.erase(s->Pending.begin(), s->Pending.begin() + long(s->PendingStart));
    s->PendingStart = 0;
  }
  auto emit = [&](int code) {
    const size_t n = s->Length[code], end = s->Pending.size() + n;
    s->Pending.resize(end);
    for (size_t i = end; i-- > end - n;) {
      s->Pending[i] = s->Suffix[code];
      code = s->Prefix[code];
    }
  };
  while (s->Pending.size() < size_t(RowLength)) {
    if (s->Ended) return nullptr;
    if (s->BitPos + s->Width > s->Size * 8) {
      s->Ended = true;
      continue;
    }
    const int64_t byte = s->BitPos >> 3;
    uint32_t window = 0;
    for (int k = 0; k < 3; ++k) window = (window << 8) | (byte + k < s->Size ? s->Data[byte + k] : 0);
    const int code = int((window >> (24 - s->Width - (s->BitPos & 7))) & ((1u << s->Width) - 1));
    s->BitPos += s->Width;
    if (code == 257) {
      s->Ended = true;
      continue;
    }
    if (code == 256) {
      s->Width = 9;
      s->Next = 258;
      s->Prev = -1;
      continue;
    }
    if (s->Prev < 0) {
      if (code > 255) return nullptr;
      emit(code);
    } else {
      uint8_t first;
      if (code < s->Next) {
        first = s->First[code];
      } else if (code == s->Next) {
        first = s->First[s->Prev];
      } else {
        return nullptr;
      }
      if (s->Next < 4096) {
        const int e = s->Next++;
        s->Prefix[e] = uint16_t(s->Prev);
        s->Suffix[e] = first;
        s->First[e] = s->First[s->Prev];
        s->Length[e] = uint16_t(s->Length[s->Prev] + 1);
      }
      emit(code);
      if (s->Next >= (1 << s->Width) - 1 && s->Width < 12) ++s->Width;
    }
    s->Prev = code;
  }
  s->PendingStart = size_t(RowLength);
  return s->Pending.data();
}

}  // namespace tifft
