// Bilevel, two-colour and row-depth conversions.
#include <cmath>

#include "imaging/buffer/ruzozadproc.h"
#include "platform/Graphics.h"

Byte BitExpansionTable[256][24];

namespace {

[[maybe_unused]] const bool expansionBuilt = [] {
  for (int v = 0; v < 256; ++v)
    for (int bit = 0; bit < 8; ++bit) {
      const Byte b = (v & (0x80 >> bit)) ? 255 : 0;
      BitExpansionTable[v][3 * bit] = BitExpansionTable[v][3 * bit + 1] = BitExpansionTable[v][3 * bit + 2] = b;
    }
  return true;
}();

inline Integer Luma(Byte Red, Byte Green, Byte Blue) { return (21 * Red + 71 * Green + 8 * Blue) / 100; }

void StartRows(TIEProgressRecord& Progress, Integer Rows) {
  Progress.Done = 0;
  Progress.PerUnit = 100.0 / (Rows + 0.5);
}

void RowDone(TIEProgressRecord& Progress) {
  ++Progress.Done;
  Progress.Report();
}

Integer MaxEntropyThreshold(TIEBitmap* Bitmap) {
  Cardinal bins[256];
  Histogram256(Bitmap, bins);
  double pixels = 0;
  for (Cardinal b : bins) pixels += b;
  if (pixels <= 0) return -2;
  double p[256], total = 0;
  for (int i = 0; i < 256; ++i) {
    p[i] = bins[i] / pixels;
    if (p[i] > 0) total -= p[i] * std::log(p[i]);
  }
  Integer threshold = -2;
  double best = 0, P = 0, h = 0;
  for (int t = 1; t <= 255; ++t) {
    // P and h run over the levels below t.
    P += p[t - 1];
    if (p[t - 1] > 0) h -= p[t - 1] * std::log(p[t - 1]);
    if (P > 0 && P < 1) {
      const double score = std::log(P - P * P) + h / P + (total - h) / (1 - P);
      if (score > best) {
        best = score;
        threshold = t;
      }
    }
  }
  return threshold;
}

}  // namespace

void OrderedDitherToBilevel(TIEBitmap* Bitmap, TIEProgressRecord& Progress) {
  if (Bitmap == nullptr || Bitmap->PixelKind() != ipkRGB24) return;
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  TIEBitmap scratch;
  scratch.AllocateImage(w, h, ipkBW1);
  StartRows(Progress, h);
  for (Integer y = 0; y < h; ++y) {
    const Byte* src = static_cast<const Byte*>(Bitmap->GetRowPointer(y));
    Byte* dst = static_cast<Byte*>(scratch.GetRowPointer(y));
    for (Integer x = 0; x < w; ++x, src += 3) {
      const Integer level = Luma(src[2], src[1], src[0]) / 4;
      PutBit(dst, x, level > IEDitherMatrix[x & 7][y & 7] ? 1 : 0);
    }
    RowDone(Progress);
  }
  Bitmap->CopyPixelsFrom(&scratch);
}

void AverageThresholdToBilevel(TIEBitmap* Bitmap, Integer Threshold, TIEProgressRecord& Progress) {
  if (Bitmap == nullptr || Bitmap->PixelKind() != ipkRGB24) return;
  TIEBitmap scratch;
  scratch.AllocateImage(Bitmap->Width(), Bitmap->Height(), ipkBW1);
  ThresholdToBilevel(Bitmap, &scratch, Threshold, Progress);
  Bitmap->CopyPixelsFrom(&scratch);
}

void ThresholdToBilevel(TIEBitmap* Source, TIEBitmap* Dest, Integer Threshold, TIEProgressRecord& Progress) {
  if (Source == nullptr || Dest == nullptr) return;
  if (Source->PixelKind() == ipkBW1) {
    Dest->CopyPixelsFrom(Source);
    return;
  }
  const Integer w = IntMin(Source->Width(), Dest->Width()), h = IntMin(Source->Height(), Dest->Height());
  StartRows(Progress, Source->Height());
  Integer threshold = Threshold;
  if (Threshold == -1) {
    Integer r, g, b;
    AverageColor(Source, r, g, b);
    threshold = Luma(static_cast<Byte>(r), static_cast<Byte>(g), static_cast<Byte>(b));
  } else if (Threshold == -2) {
    threshold = MaxEntropyThreshold(Source);
  }
  const TIEPixelKind kind = Source->PixelKind();
  // One row of the source at a time: its address may not outlive the next request.
  std::vector<Byte> line(static_cast<size_t>(Source->RowLength()));
  for (Integer y = 0; y < h; ++y) {
    const Byte* src = static_cast<const Byte*>(Source->GetRowPointer(y));
    std::memcpy(line.data(), src, line.size());
    Byte* dst = static_cast<Byte*>(Dest->GetRowPointer(y));
    const Byte* s = line.data();
    bool known = true;
    for (Integer x = 0; x < w; ++x) {
      Integer lum;
      switch (kind) {
        case ipkPal8: lum = TripleLuminance(Source->PaletteEntry(s[x])); break;
        case ipkGray8: lum = Luma(s[x], s[x], s[x]); break;
        case ipkGray16: {
          const Byte v = s[2 * x + 1];
          lum = Luma(v, v, v);
          break;
        }
        case ipkRGB24: lum = Luma(s[3 * x + 2], s[3 * x + 1], s[3 * x]); break;
        default: known = false; lum = 0; break;
      }
      if (!known) break;
      PutBit(dst, x, lum >= threshold ? 1 : 0);
    }
    RowDone(Progress);
  }
}

std::unique_ptr<TIEBitmap> ReduceToTwoColors(TIEBitmap* Bitmap, TIEColorTriple& First, TIEColorTriple& Second) {
  if (Bitmap == nullptr) return nullptr;
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  auto result = std::make_unique<TIEBitmap>();
  result->AllocateImage(w, h, ipkBW1);
  std::vector<Cardinal> seen;
  for (Integer y = 0; y < h && seen.size() <= 2; ++y) {
    // Read the source row before asking for the destination's.
    std::vector<TIEColorTriple> colors(static_cast<size_t>(w));
    for (Integer x = 0; x < w; ++x) colors[x] = Bitmap->PixelAsTriple(x, y);
    Byte* dst = static_cast<Byte*>(result->GetRowPointer(y));
    for (Integer x = 0; x < w; ++x) {
      const TIEColorTriple c = colors[x];
      const Cardinal key = c.Red * 65536u + c.Green * 256u + c.Blue;
      bool known = false;
      for (Cardinal k : seen) known = known || k == key;
      if (!known) {
        seen.push_back(key);
        if (seen.size() == 1)
          First = c;
        else
          Second = c;
      }
      PutBit(dst, x, c == First ? 0 : 1);
    }
  }
  if (seen.size() != 2) return nullptr;
  auto luma = [](const TIEColorTriple& c) {
    return static_cast<Byte>(Round((21.0 * c.Red + 71.0 * c.Green + 8.0 * c.Blue) / 100.0));
  };
  if (luma(Second) < luma(First)) {
    InvertBitmapBits(result.get());
    std::swap(First, Second);
  }
  return result;
}

void BilevelTBitmapToRGB(TBitmap* Source, TBitmap* Dest, TIEProgressRecord& Progress) {
  if (Source == nullptr || Dest == nullptr) return;
  Dest->SetSize(1, 1);
  Dest->SetPixelFormat(pf24bit);
  const Integer w = Source->Width(), h = Source->Height();
  Dest->SetSize(w, h);
  Progress.Done = 0;
  Progress.PerUnit = 100.0 / (h + 0.5);
  const Integer full = w / 8, rest = w % 8;
  for (Integer y = 0; y < h; ++y) {
    const Byte* src = static_cast<const Byte*>(Source->ScanLine(y));
    Byte* dst = static_cast<Byte*>(Dest->ScanLine(y));
    for (Integer i = 0; i < full; ++i, dst += 24) std::memcpy(dst, BitExpansionTable[src[i]], 24);
    if (rest > 0) std::memcpy(dst, BitExpansionTable[src[full]], 3 * rest);
    RowDone(Progress);
  }
}

Integer ConvertRowDepth(const Byte* Source, Byte* Dest, Integer SourceBits, Integer DestBits, Integer Count,
                        const TIEColorTriple* Palette, TIEQuantizer* Quantizer) {
  const Integer n = Count;
  auto nibbleOut = [&](Integer i, Integer v) { Dest[i >> 1] |= static_cast<Byte>((i & 1) ? (v & 15) : (v & 15) << 4); };
  auto nibbleIn = [&](Integer i) -> Integer { return (i & 1) ? (Source[i >> 1] & 15) : (Source[i >> 1] >> 4); };
  auto putTriple = [&](Integer i, Integer index) {
    const TIEColorTriple c = Palette != nullptr ? Palette[index] : TIEColorTriple();
    Dest[3 * i] = c.Blue;
    Dest[3 * i + 1] = c.Green;
    Dest[3 * i + 2] = c.Red;
  };
  bool done = true;
  switch (SourceBits * 100 + DestBits) {
    case 101: std::memcpy(Dest, Source, (n + 7) / 8); break;
    case 104: for (Integer i = 0; i < n; ++i) nibbleOut(i, TestBit(Source, i) ? 1 : 0); break;
    case 108: for (Integer i = 0; i < n; ++i) Dest[i] = TestBit(Source, i) ? 1 : 0; break;
    case 124: for (Integer i = 0; i < n; ++i) putTriple(i, TestBit(Source, i) ? 1 : 0); break;
    case 404: std::memcpy(Dest, Source, (n + 1) / 2); break;
    case 408: for (Integer i = 0; i < n; ++i) Dest[i] = static_cast<Byte>(nibbleIn(i)); break;
    case 424: for (Integer i = 0; i < n; ++i) putTriple(i, nibbleIn(i)); break;
    case 801:
      std::memset(Dest, 0, (n + 7) / 8);
      for (Integer i = 0; i < n; ++i)
        if (Source[i] & 1) Dest[i >> 3] |= IEBitMask[i & 7];
      break;
    case 808: std::memcpy(Dest, Source, n); break;
    case 824: for (Integer i = 0; i < n; ++i) putTriple(i, Source[i]); break;
    case 2404:
      if (Quantizer == nullptr) return 0;
      for (Integer i = 0; i < n; ++i)
        nibbleOut(i, Quantizer->ColorIndex(Source[3 * i], Source[3 * i + 1], Source[3 * i + 2]));
      break;
    case 2408:
      if (Quantizer == nullptr) return 0;
      for (Integer i = 0; i < n; ++i)
        Dest[i] = static_cast<Byte>(Quantizer->ColorIndex(Source[3 * i], Source[3 * i + 1], Source[3 * i + 2]));
      break;
    case 2424: std::memcpy(Dest, Source, size_t(3) * n); break;
    case 3224:
      for (Integer i = 0; i < n; ++i) std::memcpy(Dest + 3 * i, Source + 4 * i, 3);
      break;
    default: done = false; break;
  }
  if (!done) return 0;
  switch (DestBits) {
    case 1: return (n + 7) / 8;
    case 4: return (n + 1) / 2;
    case 8: return n;
    case 24: return 3 * n;
    default: return 0;
  }
}
