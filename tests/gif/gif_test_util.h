// Helpers shared by the GIF library tests: byte builders for hand-made
// streams, loading from bytes, and a warning recorder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gif/GIFImage.h"

namespace giftest {

using Bytes = std::vector<Byte>;

inline void Put16(Bytes& b, unsigned v) {
  b.push_back(Byte(v));
  b.push_back(Byte(v >> 8));
}
inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }
inline void Append(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

// Header "GIF89a" with a logical screen and a global map of 2^(bits) grey entries (bits 0: none).
inline Bytes Header(unsigned w, unsigned h, int bits, const char* version = "89a") {
  Bytes b;
  Append(b, std::string("GIF") + version);
  Put16(b, w);
  Put16(b, h);
  b.push_back(bits > 0 ? Byte(0x80 | 0x70 | (bits - 1)) : 0);
  b.push_back(0);
  b.push_back(0);
  for (int i = 0; bits > 0 && i < (1 << bits); ++i) {
    const Byte v = Byte(i * 255 / ((1 << bits) - 1 ? (1 << bits) - 1 : 1));
    b.push_back(v);
    b.push_back(v);
    b.push_back(v);
  }
  return b;
}

inline Bytes Descriptor(unsigned l, unsigned t, unsigned w, unsigned h, Byte packed = 0) {
  Bytes b{0x2C};
  Put16(b, l);
  Put16(b, t);
  Put16(b, w);
  Put16(b, h);
  b.push_back(packed);
  return b;
}

inline Bytes GraphicControl(Byte packed, unsigned delay, Byte transparent) {
  Bytes b{0x21, 0xF9, 4, packed};
  Put16(b, delay);
  b.push_back(transparent);
  b.push_back(0);
  return b;
}

inline Bytes Comment(const std::string& text) {
  Bytes b{0x21, 0xFE};
  for (size_t i = 0; i < text.size(); i += 255) {
    const size_t n = std::min<size_t>(255, text.size() - i);
    b.push_back(Byte(n));
    Append(b, text.substr(i, n));
  }
  b.push_back(0);
  return b;
}

// Packs LZW codes least significant bit first, choosing each code's size as a
// decoder would (growing as its table fills, back to the start after a clear),
// and frames them as sub-blocks of at most BlockSize bytes.
class CodeWriter {
 public:
  explicit CodeWriter(int minCodeSize) : min_(minCodeSize) { Reset(); }
  void Code(int code) {
    acc_ |= uint64_t(code) << bits_;
    bits_ += size_;
    while (bits_ >= 8) {
      data_.push_back(Byte(acc_));
      acc_ >>= 8;
      bits_ -= 8;
    }
    const int clear = 1 << min_;
    if (code == clear) {
      Reset();
      afterClear_ = true;
      return;
    }
    if (afterClear_) {
      afterClear_ = false;
      return;
    }
    if (next_ < 4096) {
      ++next_;
      if (next_ == limit_ && limit_ < 4096) {
        limit_ <<= 1;
        ++size_;
      }
    }
  }
  // Minimum code size byte, the sub-blocks and (unless told not to) the terminator.
  Bytes Data(size_t blockSize = 255, bool terminator = true) {
    Bytes d = data_;
    if (bits_ > 0) d.push_back(Byte(acc_));
    Bytes b{Byte(min_)};
    for (size_t i = 0; i < d.size(); i += blockSize) {
      const size_t n = std::min(blockSize, d.size() - i);
      b.push_back(Byte(n));
      b.insert(b.end(), d.begin() + i, d.begin() + i + n);
    }
    if (terminator) b.push_back(0);
    return b;
  }
  int Clear() const { return 1 << min_; }
  int End() const { return (1 << min_) + 1; }

 private:
  void Reset() {
    size_ = min_ + 1;
    limit_ = 2 << min_;
    next_ = (1 << min_) + 2;
  }
  int min_;
  int size_ = 0, limit_ = 0, next_ = 0;
  bool afterClear_ = true;
  uint64_t acc_ = 0;
  int bits_ = 0;
  Bytes data_;
};

struct Warnings {
  std::vector<std::string> list;
  void Attach(TGIFImage& img) {
    img.OnGIFWarning = [this](TObject*, Integer severity, const std::string& msg) {
      EXPECT_EQ(severity, 1);
      list.push_back(msg);
    };
  }
  size_t Count(const std::string& msg) const { return size_t(std::count(list.begin(), list.end(), msg)); }
};

inline std::unique_ptr<TMemoryStream> StreamOf(const Bytes& b) {
  auto s = std::make_unique<TMemoryStream>();
  if (!b.empty()) s->WriteBuffer(b.data(), Integer(b.size()));
  s->SetPosition(0);
  return s;
}

inline void LoadBytes(TGIFImage& img, const Bytes& b) {
  auto s = StreamOf(b);
  img.LoadGIFStream(s.get());
}

inline Bytes SaveBytes(TGIFImage& img) {
  TMemoryStream s;
  img.SaveGIFStream(&s);
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return Bytes(p, p + s.Size());
}

// The message of the GIFException that F raises, or "" when none.
template <class F>
std::string GIFErrorOf(F&& f) {
  try {
    f();
  } catch (const GIFException& e) {
    return e.Message();
  }
  return "";
}

inline Bytes ReadFileBytes(const std::string& path) {
  TMemoryStream s;
  s.LoadFromFile(path);
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return Bytes(p, p + s.Size());
}

inline std::string DataPath(const std::string& name) { return std::string(TEST_DATA_DIR) + "/gif/" + name; }

// The image data of one pixel of colour 1 (codes of 2 bits).
inline Bytes TinyData() {
  CodeWriter cw(2);
  cw.Code(cw.Clear());
  cw.Code(1);
  cw.Code(cw.End());
  return cw.Data();
}

// The message of the E that F throws.
template <class E, class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "(no exception)";
}

// Black, red, green and blue.
inline const std::vector<TColor> kColors = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000};

}  // namespace giftest
