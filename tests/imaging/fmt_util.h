// Helpers of the format-filter tests: pictures made in memory, byte streams,
// a stream that stops taking bytes, and a progress record over a local flag.
#pragma once

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/formats/iefilters.h"
#include "platform/Classes.h"

namespace fmtfix {

// A 24-bit picture in memory, each pixel from f(x, y) as 0xRRGGBB.
inline std::unique_ptr<TIEBitmap> MakeRGB(Integer w, Integer h, const std::function<uint32_t(Integer, Integer)>& f) {
  auto b = std::make_unique<TIEBitmap>();
  b->SetLocation(islMemory);
  b->SetFileThreshold(UINT64_MAX);
  b->AllocateImage(w, h, ipkRGB24);
  for (Integer y = 0; y < h; ++y) {
    Byte* row = static_cast<Byte*>(b->GetRowPointer(y));
    for (Integer x = 0; x < w; ++x) {
      const uint32_t c = f(x, y);
      row[3 * x] = Byte(c);
      row[3 * x + 1] = Byte(c >> 8);
      row[3 * x + 2] = Byte(c >> 16);
    }
  }
  return b;
}

// A smooth colour picture that every lossy coder keeps close.
inline std::unique_ptr<TIEBitmap> Gradient(Integer w, Integer h) {
  return MakeRGB(w, h, [w, h](Integer x, Integer y) {
    const uint32_t r = uint32_t(x * 255 / (w > 1 ? w - 1 : 1));
    const uint32_t g = uint32_t(y * 255 / (h > 1 ? h - 1 : 1));
    return (r << 16) | (g << 8) | 128u;
  });
}

inline uint32_t PixelOrBit(TIEBitmap& b, Integer x, Integer y) {
  const Byte* row = static_cast<const Byte*>(b.GetRowPointer(y));
  if (b.PixelKind() == ipkBW1) return TestBit(row, x) ? 1 : 0;
  return (uint32_t(row[3 * x + 2]) << 16) | (uint32_t(row[3 * x + 1]) << 8) | row[3 * x];
}

// Largest difference of one channel between two 24-bit pictures of one size.
inline int MaxChannelDiff(TIEBitmap& a, TIEBitmap& b) {
  int worst = 0;
  for (Integer y = 0; y < a.Height(); ++y)
    for (Integer x = 0; x < a.Width(); ++x) {
      const uint32_t p = PixelOrBit(a, x, y), q = PixelOrBit(b, x, y);
      for (int s = 0; s < 24; s += 8) {
        const int d = std::abs(int((p >> s) & 255) - int((q >> s) & 255));
        if (d > worst) worst = d;
      }
    }
  return worst;
}

inline std::vector<Byte> StreamBytes(TMemoryStream& s) {
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return std::vector<Byte>(p, p + s.Size());
}

inline void LoadBytes(TMemoryStream& s, const std::vector<Byte>& bytes) {
  s.Clear();
  if (!bytes.empty()) s.Write(bytes.data(), static_cast<Integer>(bytes.size()));
  s.SetPosition(0);
}

// Takes Limit bytes, then refuses (short writes).
class TLimitedStream : public TMemoryStream {
 public:
  explicit TLimitedStream(Int64 Limit) : limit_(Limit) {}
  Integer Write(const void* Buffer, Integer Count) override {
    const Int64 room = limit_ - Position();
    if (room <= 0) return 0;
    return TMemoryStream::Write(Buffer, Count < room ? Count : static_cast<Integer>(room));
  }

 private:
  Int64 limit_;
};

// A progress record over its own abort flag, counting callback calls.
struct Progress {
  bool abort = false;
  std::vector<Integer> percents;
  TIEProgressRecord rec;
  explicit Progress(bool withCallback = false) {
    rec.Abort = &abort;
    if (withCallback) rec.Callback = [this](TObject*, Integer per) { percents.push_back(per); };
  }
};

inline std::string TempPath(const std::string& name) {
  wchar_t buf[MAX_PATH];
  ::GetTempPathW(MAX_PATH, buf);
  return WideToUtf8(buf) + name;
}

}  // namespace fmtfix
