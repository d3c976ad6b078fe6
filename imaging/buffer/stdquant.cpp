#include "imaging/buffer/stdquant.h"

#include <cmath>

namespace {

// Score of a channel that cannot be split; any real split scores below it.
constexpr double NoSplitScore = 17523.6;

int CellOf(int r, int g, int b) { return r * 1024 + g * 32 + b; }

uint32_t ProjAt(const TIEColorBox& Box, int Channel, int Level) {
  return (Level >= 0 && Level < 32) ? Box.Proj[Channel][Level] : 0;
}

void ShrinkBounds(TIEColorBox& Box) {
  for (int c = 0; c < 3; ++c) {
    int lo = Box.Lower[c], hi = Box.Upper[c];
    while (lo < hi && Box.Proj[c][lo] == 0) ++lo;
    while (hi > lo && Box.Proj[c][hi - 1] == 0) --hi;
    Box.Lower[c] = lo;
    Box.Upper[c] = hi;
  }
}

}  // namespace

void TIEBoxQuantizer::ComputeStats(TIEColorBox& Box) const {
  if (Box.Count == 0) {
    Box.Variance = 0;
    return;
  }
  double deviation = 0;
  for (int c = 0; c < 3; ++c) {
    double sum = 0, sumSq = 0;
    for (int j = Box.Lower[c]; j < Box.Upper[c]; ++j) {
      const double p = Box.Proj[c][j];
      sum += j * p;
      sumSq += double(j) * j * p;
    }
    const double mean = sum / Box.Count;
    Box.Mean[c] = mean;
    deviation += sumSq - mean * mean * Box.Count;
  }
  Box.Variance = PixelTotal > 0 ? deviation / PixelTotal : 0;
}

bool TIEBoxQuantizer::SplitAlong(const TIEColorBox& Box, int Channel, TIEColorBox& First,
                                 TIEColorBox& Second) const {
  const int lo = Box.Lower[Channel], hi = Box.Upper[Channel];
  if (hi <= lo + 1) return false;
  const double m = Box.Mean[Channel];
  const int s = static_cast<int>(Round((lo + m) / 2));
  const int e = static_cast<int>(Round((m + hi) / 2));
  const double count = Box.Count;
  double below = 0;
  for (int j = lo; j < s; ++j) below += ProjAt(Box, Channel, j);
  double moment = 0, best = -1;
  int split = s;
  double bestBelow = count;
  for (int t = s; t <= e; ++t) {
    const double p = ProjAt(Box, Channel, t);
    below += p;
    if (below == count) break;
    moment += t * p / count;
    const double score = below / (count - below) * (m - moment) * (m - moment);
    if (score > best) {
      best = score;
      split = t;
      bestBelow = below;
    }
  }
  const uint32_t firstCount = static_cast<uint32_t>(bestBelow);
  if (firstCount == 0 || firstCount >= Box.Count) return false;

  First = Box;
  Second = Box;
  First.Upper[Channel] = split + 1;
  First.Count = firstCount;
  Second.Lower[Channel] = split + 1;
  Second.Count = Box.Count - firstCount;

  // The first half's projections come from the histogram; the second half
  // gets what is left of the parent's.
  for (int c = 0; c < 3; ++c)
    for (int j = 0; j < 32; ++j) First.Proj[c][j] = 0;
  for (int r = First.Lower[0]; r < First.Upper[0]; ++r)
    for (int g = First.Lower[1]; g < First.Upper[1]; ++g)
      for (int b = First.Lower[2]; b < First.Upper[2]; ++b) {
        const uint32_t n = Histogram[CellOf(r, g, b)];
        if (n == 0) continue;
        First.Proj[0][r] += n;
        First.Proj[1][g] += n;
        First.Proj[2][b] += n;
      }
  for (int c = 0; c < 3; ++c)
    for (int j = 0; j < 32; ++j) Second.Proj[c][j] = Box.Proj[c][j] - First.Proj[c][j];
  ShrinkBounds(First);
  ShrinkBounds(Second);
  ComputeStats(First);
  ComputeStats(Second);
  return true;
}

bool TIEBoxQuantizer::SplitBox(const TIEColorBox& Box, TIEColorBox& First, TIEColorBox& Second) const {
  if (Box.Variance == 0 || Box.Count == 0) return false;
  double bestScore = NoSplitScore;
  int bestChannel = -1;
  TIEColorBox halves[3][2];
  for (int c = 0; c < 3; ++c) {
    double score = NoSplitScore;
    if (SplitAlong(Box, c, halves[c][0], halves[c][1]))
      score = halves[c][0].Variance + halves[c][1].Variance;
    if (score < bestScore) {
      bestScore = score;
      bestChannel = c;
    }
  }
  if (bestChannel < 0) return false;
  First = halves[bestChannel][0];
  Second = halves[bestChannel][1];
  return true;
}

std::unique_ptr<TIEBoxQuantizer> BoxQuantizerCreate(const TIERGBRowSource& Source, Byte* Palette,
                                                    Integer Colors) {
  auto q = std::make_unique<TIEBoxQuantizer>();
  q->Histogram.assign(32768, 0);
  q->InverseMap.assign(32768, 0);
  q->Width = static_cast<uint16_t>(Source.Width);
  q->Height = static_cast<uint16_t>(Source.Height);
  q->PixelTotal = static_cast<uint32_t>(int64_t(Source.Width) * Source.Height);
  q->Wanted = Colors < 1 ? 1 : (Colors > TIEBoxQuantizer::MaxBoxes ? TIEBoxQuantizer::MaxBoxes : Colors);

  TIEColorBox& root = q->Boxes[0];
  for (Integer y = 0; y < Source.Height; ++y) {
    const Byte* p = Source.Row(y);
    for (Integer x = 0; x < Source.Width; ++x, p += 3) {
      const int b = p[0] >> 3, g = p[1] >> 3, r = p[2] >> 3;
      ++q->Histogram[CellOf(r, g, b)];
      ++root.Proj[0][r];
      ++root.Proj[1][g];
      ++root.Proj[2][b];
    }
  }
  for (int c = 0; c < 3; ++c) {
    root.Lower[c] = 0;
    root.Upper[c] = 32;
  }
  root.Count = q->PixelTotal;
  q->ComputeStats(root);
  q->BoxesMade = 1;

  TIEColorBox first, second;
  while (q->BoxesMade < q->Wanted) {
    int pick = -1;
    double best = 0;
    for (int i = 0; i < q->BoxesMade; ++i)
      if (q->Boxes[i].Variance > best) {
        best = q->Boxes[i].Variance;
        pick = i;
      }
    if (pick < 0) break;
    if (q->SplitBox(q->Boxes[pick], first, second)) {
      q->Boxes[pick] = first;
      q->Boxes[q->BoxesMade] = second;
      ++q->BoxesMade;
    } else {
      q->Boxes[pick].Variance = 0;
    }
  }

  for (int i = 0; i < q->BoxesMade; ++i) {
    const TIEColorBox& box = q->Boxes[i];
    Byte* entry = Palette + 3 * i;
    entry[0] = static_cast<Byte>(Round(box.Mean[2] * 8));
    entry[1] = static_cast<Byte>(Round(box.Mean[1] * 8));
    entry[2] = static_cast<Byte>(Round(box.Mean[0] * 8));
    for (int r = box.Lower[0]; r < box.Upper[0]; ++r)
      for (int g = box.Lower[1]; g < box.Upper[1]; ++g)
        for (int b = box.Lower[2]; b < box.Upper[2]; ++b) q->InverseMap[CellOf(r, g, b)] = static_cast<Byte>(i);
  }
  return q;
}

Integer BoxQuantizerIndex(const TIEBoxQuantizer& State, Byte Blue, Byte Green, Byte Red) {
  return State.InverseMap[TIEBoxQuantizer::Cell(Red, Green, Blue)];
}
