#include "imaging/buffer/neurquant.h"

#include "imaging/buffer/hyieutils.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

namespace {

constexpr int NetBiasShift = 4;
constexpr int NCycles = 100;
constexpr int IntBiasShift = 16;
constexpr int32_t IntBias = 1 << IntBiasShift;
constexpr int GammaShift = 10;
constexpr int BetaShift = 10;
constexpr int32_t Beta = IntBias >> BetaShift;
constexpr int32_t BetaGamma = IntBias << (GammaShift - BetaShift);
constexpr int RadiusBiasShift = 6;
constexpr int RadiusDec = 30;
constexpr int AlphaBiasShift = 10;
constexpr int32_t InitAlpha = 1 << AlphaBiasShift;
constexpr int RadBiasShift = 8;
constexpr int32_t RadBias = 1 << RadBiasShift;
constexpr int64_t AlphaRadBias = int64_t(1) << (AlphaBiasShift + RadBiasShift);
constexpr int32_t Primes[4] = {499, 491, 487, 503};

uint32_t Pack(Byte b, Byte g, Byte r) { return b + g * 256u + r * 65536u; }

bool SourceIsGray(const TIERGBRowSource& Source) {
  if (!Source.IsRGB24) return false;
  for (Integer y = 0; y < Source.Height; ++y) {
    const Byte* p = Source.Row(y);
    for (Integer x = 0; x < Source.Width; ++x, p += 3)
      if (p[0] != p[1] || p[1] != p[2]) return false;
  }
  return true;
}

void FillRadPower(std::vector<int32_t>& radPower, Integer rad, int32_t alpha) {
  for (Integer i = 0; i < rad; ++i)
    radPower[i] = static_cast<int32_t>(int64_t(alpha) * (((int64_t(rad) * rad - int64_t(i) * i) * RadBias) /
                                                           (int64_t(rad) * rad)));
}

}  // namespace

Integer NeuQuantSampleFactor(Integer Quality, int64_t Pixels) {
  if (Quality >= 0 && Quality <= 100) return static_cast<Integer>(Trunc((100 - Quality) / 100.0 * 29)) + 1;
  if (Pixels < 2000) return 1;
  const int64_t f = Round((Pixels - 2000) * 13.0 / 148000.0 + 2);
  return static_cast<Integer>(std::clamp<int64_t>(f, 1, 30));
}

Integer TIENeuQuantNetwork::Contest(int32_t b, int32_t g, int32_t r) {
  int32_t bestd = INT32_MAX, bestbiasd = INT32_MAX;
  Integer bestpos = -1, bestbiaspos = -1;
  for (Integer i = 0; i < NetSize; ++i) {
    const int32_t* n = Neuron(i);
    const int32_t dist = std::abs(n[0] - b) + std::abs(n[1] - g) + std::abs(n[2] - r);
    if (dist < bestd) {
      bestd = dist;
      bestpos = i;
    }
    // Arithmetic shift: the floor of bias / 4096.
    const int32_t biasdist = dist - (Bias[i] >> (IntBiasShift - NetBiasShift));
    if (biasdist < bestbiasd) {
      bestbiasd = biasdist;
      bestbiaspos = i;
    }
    const int32_t betafreq = Freq[i] >> BetaShift;
    Freq[i] -= betafreq;
    Bias[i] += betafreq << GammaShift;
  }
  Freq[bestpos] += Beta;
  Bias[bestpos] -= BetaGamma;
  return bestbiaspos;
}

void TIENeuQuantNetwork::AlterSingle(int32_t alpha, Integer i, int32_t b, int32_t g, int32_t r) {
  int32_t* n = Neuron(i);
  n[0] -= static_cast<int32_t>(int64_t(alpha) * (n[0] - b) / InitAlpha);
  n[1] -= static_cast<int32_t>(int64_t(alpha) * (n[1] - g) / InitAlpha);
  n[2] -= static_cast<int32_t>(int64_t(alpha) * (n[2] - r) / InitAlpha);
}

void TIENeuQuantNetwork::AlterNeigh(Integer rad, Integer i, int32_t b, int32_t g, int32_t r) {
  Integer lo = i - rad;
  if (lo < -1) lo = -1;
  Integer hi = i + rad;
  if (hi > NetSize) hi = NetSize;
  Integer j = i + 1, k = i - 1, q = 0;
  while (j < hi || k > lo) {
    const int64_t a = RadPower[++q];
    if (j < hi) {
      int32_t* p = Neuron(j);
      p[0] -= static_cast<int32_t>(a * (p[0] - b) / AlphaRadBias);
      p[1] -= static_cast<int32_t>(a * (p[1] - g) / AlphaRadBias);
      p[2] -= static_cast<int32_t>(a * (p[2] - r) / AlphaRadBias);
      ++j;
    }
    if (k > lo) {
      int32_t* p = Neuron(k);
      p[0] -= static_cast<int32_t>(a * (p[0] - b) / AlphaRadBias);
      p[1] -= static_cast<int32_t>(a * (p[1] - g) / AlphaRadBias);
      p[2] -= static_cast<int32_t>(a * (p[2] - r) / AlphaRadBias);
      --k;
    }
  }
}

void TIENeuQuantNetwork::Learn(const TIERGBRowSource& Source) {
  const int64_t pixels = int64_t(Width) * Height;
  if (pixels <= 0) return;
  AlphaDec = 30 + (SampleFac - 1) / 3;
  const int64_t samples = ByteLength / (3 * int64_t(SampleFac));
  int64_t delta = samples / NCycles;
  if (delta < 1) delta = 1;
  int32_t alpha = InitAlpha;
  int32_t radius = InitRadius;
  Integer rad = radius >> RadiusBiasShift;
  if (rad <= 1) rad = 0;
  FillRadPower(RadPower, rad, alpha);

  int64_t step = Primes[3];
  for (int i = 0; i < 3; ++i)
    if (ByteLength % Primes[i] != 0) {
      step = Primes[i];
      break;
    }
  step %= pixels;  // a step past the picture wraps like any other move

  int64_t pos = 0;
  Integer cachedRow = -1;
  const Byte* row = nullptr;
  for (int64_t i = 0; i < samples;) {
    const Integer y = static_cast<Integer>(pos / Width);
    const Integer x = static_cast<Integer>(pos % Width);
    if (y != cachedRow) {
      row = Source.Row(y);
      cachedRow = y;
    }
    const Byte* p = row + 3 * x;
    const int32_t b = p[0] << NetBiasShift, g = p[1] << NetBiasShift, r = p[2] << NetBiasShift;
    const Integer j = Contest(b, g, r);
    AlterSingle(alpha, j, b, g, r);
    if (rad) AlterNeigh(rad, j, b, g, r);
    pos += step;
    if (pos >= pixels) pos -= pixels;
    ++i;
    if (i % delta == 0) {
      alpha -= alpha / AlphaDec;
      radius -= radius / RadiusDec;
      rad = radius >> RadiusBiasShift;
      if (rad <= 1) rad = 0;
      FillRadPower(RadPower, rad, alpha);
    }
  }
}

void TIENeuQuantNetwork::Unbias() {
  for (Integer i = 0; i < NetSize; ++i) {
    int32_t* n = Neuron(i);
    for (int j = 0; j < 3; ++j) n[j] /= (1 << NetBiasShift);
    n[3] = i;
  }
}

void TIENeuQuantNetwork::BuildIndex() {
  // Values stay within 0..255 (every move is a convex step toward a pixel);
  // the clamp only guards the table.
  auto slot = [](int32_t v) { return std::clamp<int32_t>(v, 0, 255); };
  Integer previouscol = 0, startpos = 0;
  for (Integer i = 0; i < NetSize; ++i) {
    int32_t* p = Neuron(i);
    Integer smallpos = i;
    int32_t smallval = p[1];
    for (Integer j = i + 1; j < NetSize; ++j) {
      const int32_t* q = Neuron(j);
      if (q[1] < smallval) {
        smallpos = j;
        smallval = q[1];
      }
    }
    if (i != smallpos) {
      int32_t* q = Neuron(smallpos);
      for (int k = 0; k < 4; ++k) std::swap(p[k], q[k]);
    }
    smallval = slot(smallval);
    if (smallval != previouscol) {
      NetIndex[previouscol] = (startpos + i) >> 1;
      for (Integer j = previouscol + 1; j < smallval; ++j) NetIndex[j] = i;
      previouscol = smallval;
      startpos = i;
    }
  }
  NetIndex[previouscol] = (startpos + MaxNetPos) >> 1;
  for (Integer j = previouscol + 1; j < 256; ++j) NetIndex[j] = MaxNetPos;
}

Integer TIENeuQuantNetwork::Search(int32_t b, int32_t g, int32_t r) const {
  int32_t bestd = 1000;
  Integer best = -1;
  Integer i = NetIndex[std::clamp<int32_t>(g, 0, 255)];
  Integer j = i - 1;
  while (i < NetSize || j >= 0) {
    if (i < NetSize) {
      const int32_t* p = Neuron(i);
      int32_t dist = p[1] - g;
      if (dist >= bestd) {
        i = NetSize;
      } else {
        ++i;
        if (dist < 0) dist = -dist;
        dist += std::abs(p[0] - b);
        if (dist < bestd) {
          dist += std::abs(p[2] - r);
          if (dist < bestd) {
            bestd = dist;
            best = p[3];
          }
        }
      }
    }
    if (j >= 0) {
      const int32_t* p = Neuron(j);
      int32_t dist = g - p[1];
      if (dist >= bestd) {
        j = -1;
      } else {
        --j;
        if (dist < 0) dist = -dist;
        dist += std::abs(p[0] - b);
        if (dist < bestd) {
          dist += std::abs(p[2] - r);
          if (dist < bestd) {
            bestd = dist;
            best = p[3];
          }
        }
      }
    }
  }
  return best < 0 ? 0 : best;
}

std::unique_ptr<TIENeuQuantNetwork> NeuQuantCreate(const TIERGBRowSource& Source, Byte* Palette,
                                                   Integer Colors, Integer Quality) {
  auto net = std::make_unique<TIENeuQuantNetwork>();
  const Integer n = Colors < 1 ? 1 : Colors;
  net->NetSize = n;
  net->MaxNetPos = n - 1;
  net->InitRad = n / 8;
  net->InitRadius = net->InitRad << RadiusBiasShift;
  net->Width = Source.Width;
  net->Height = Source.Height;
  const int64_t pixels = int64_t(Source.Width) * Source.Height;
  net->ByteLength = pixels * 3;
  net->SampleFac = NeuQuantSampleFactor(Quality, pixels);
  net->Network.assign(size_t(n) * 4, 0);
  net->Bias.assign(n, 0);
  net->Freq.assign(n, IntBias / n);
  net->RadPower.assign(std::max<Integer>(net->InitRad, 1) + 1, 0);
  for (Integer i = 0; i < n; ++i) {
    int32_t* p = net->Neuron(i);
    p[0] = p[1] = p[2] = static_cast<int32_t>((int64_t(i) << (NetBiasShift + 8)) / n);
  }
  net->Learn(Source);
  net->Unbias();
  for (Integer i = 0; i < n; ++i) {
    const int32_t* p = net->Neuron(i);
    Palette[3 * i] = static_cast<Byte>(p[0]);
    Palette[3 * i + 1] = static_cast<Byte>(p[1]);
    Palette[3 * i + 2] = static_cast<Byte>(p[2]);
  }
  net->BuildIndex();
  return net;
}

Integer NeuQuantIndex(const TIENeuQuantNetwork& State, Byte Blue, Byte Green, Byte Red) {
  return State.Search(Blue, Green, Red);
}

bool CollectExactColors(const TIERGBRowSource& Source, Integer Count, Byte* Palette,
                        std::vector<uint32_t>& Colors) {
  Colors.clear();
  if (!Source.IsRGB24 || Count < 1) return false;
  std::unordered_set<uint32_t> seen;
  uint32_t last = 0xFFFFFFFFu;
  for (Integer y = 0; y < Source.Height; ++y) {
    const Byte* p = Source.Row(y);
    for (Integer x = 0; x < Source.Width; ++x, p += 3) {
      const uint32_t c = Pack(p[0], p[1], p[2]);
      if (c == last) continue;
      last = c;
      if (seen.count(c)) continue;
      if (static_cast<Integer>(Colors.size()) >= Count) {
        Colors.clear();
        return false;
      }
      seen.insert(c);
      Colors.push_back(c);
    }
  }
  for (size_t i = 0; i < Colors.size(); ++i) {
    Palette[3 * i] = static_cast<Byte>(Colors[i]);
    Palette[3 * i + 1] = static_cast<Byte>(Colors[i] >> 8);
    Palette[3 * i + 2] = static_cast<Byte>(Colors[i] >> 16);
  }
  return true;
}

Integer FindExactColor(const std::vector<uint32_t>& Colors, uint32_t Color) {
  for (size_t i = 0; i < Colors.size(); ++i)
    if (Colors[i] == Color) return static_cast<Integer>(i);
  return -1;
}

TIEQuantizer::TIEQuantizer(const TIERGBRowSource& Source, Byte* Palette, Integer Colors, Integer Quality,
                           Integer Method) {
  colors_ = Colors;
  Build(Source, Palette, Quality, Method);
}

TIEQuantizer::TIEQuantizer(TIEBitmap* Bitmap, TIEColorTriple* Palette, Integer Colors, Integer Quality,
                           Integer Method) {
  colors_ = Colors;
  Build(RowSourceOf(Bitmap), reinterpret_cast<Byte*>(Palette), Quality, Method);
}

TIEQuantizer::~TIEQuantizer() = default;

Integer TIEQuantizer::ColorIndex(const TIEColorTriple& Color) const {
  return ColorIndex(Color.Blue, Color.Green, Color.Red);
}

void TIEQuantizer::Build(const TIERGBRowSource& Source, Byte* Palette, Integer Quality, Integer Method) {
  if (colors_ == 256 && SourceIsGray(Source)) {
    grey_ = true;
    for (int i = 0; i < 256; ++i) Palette[3 * i] = Palette[3 * i + 1] = Palette[3 * i + 2] = static_cast<Byte>(i);
    return;
  }
  if (CollectExactColors(Source, colors_, Palette, exactColors_)) {
    exact_ = true;
    exactIndex_.reserve(exactColors_.size() * 2);
    for (size_t i = 0; i < exactColors_.size(); ++i) exactIndex_.emplace(exactColors_[i], static_cast<Integer>(i));
    return;
  }
  method_ = Method != 0 ? Method : (colors_ < 128 ? 1 : 0);
  // Only 24-bit rows can be read as colour triples; another kind counts as empty.
  TIERGBRowSource rows = Source;
  if (!rows.IsRGB24) rows.Width = rows.Height = 0;
  if (method_ == 1)
    box_ = BoxQuantizerCreate(rows, Palette, colors_);
  else
    neu_ = NeuQuantCreate(rows, Palette, colors_, Quality);
}

Integer TIEQuantizer::ColorIndex(Byte Blue, Byte Green, Byte Red) const {
  if (exact_) {
    const auto it = exactIndex_.find(Pack(Blue, Green, Red));
    if (it != exactIndex_.end()) return it->second;
    // A colour the picture does not hold still needs a valid entry: the
    // nearest of the collected colours (L1 distance, first of equals).
    Integer best = 0, bestDist = 1000;
    for (size_t i = 0; i < exactColors_.size(); ++i) {
      const uint32_t c = exactColors_[i];
      const Integer d = std::abs(Integer(c & 0xFF) - Blue) + std::abs(Integer((c >> 8) & 0xFF) - Green) +
                        std::abs(Integer((c >> 16) & 0xFF) - Red);
      if (d < bestDist) {
        bestDist = d;
        best = static_cast<Integer>(i);
      }
    }
    return best;
  }
  if (grey_) return Red;
  if (box_) return BoxQuantizerIndex(*box_, Blue, Green, Red);
  if (neu_) return NeuQuantIndex(*neu_, Blue, Green, Red);
  return 0;
}

TIERGBRowSource RowSourceOf(TIEBitmap* Bitmap) {
  TIERGBRowSource source;
  if (Bitmap == nullptr) return source;
  source.Width = Bitmap->Width();
  source.Height = Bitmap->Height();
  source.IsRGB24 = Bitmap->PixelKind() == ipkRGB24;
  source.Row = [Bitmap](Integer Row) { return static_cast<const Byte*>(Bitmap->GetRowPointer(Row)); };
  return source;
}
