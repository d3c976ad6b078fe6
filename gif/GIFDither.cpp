// Ditherers: serpentine walk over the rows with integer error diffusion.
// Every row buffer has guard cells on both sides wide enough for its kernel,
// so spreading never needs a bounds test.
#include <algorithm>

#include "gif/GIFColorLookup.h"

TDitherEngine::TDitherEngine(Integer Width, TColorLookup* Lookup)
    : lookup_(Lookup), width_(Width < 0 ? 0 : Width) {}

Byte TDitherEngine::QuantizePixel(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen, Byte& OutBlue) {
  Byte index = lookup_->NearestIndex(Red, Green, Blue, OutRed, OutGreen, OutBlue);
  AdvanceColumn();
  return index;
}

void TDitherEngine::AdvanceRow() {
  direction_ = -direction_;
  column_ = direction_ > 0 ? 0 : width_ - 1;
}

// ---------------------------------------------------------------------------
// Floyd-Steinberg (7 right; 3, 5, 1 below), divisor 16.
TFloydSteinbergDitherer::TFloydSteinbergDitherer(Integer Width, TColorLookup* Lookup)
    : TDitherEngine(Width, Lookup) {
  for (Channel& c : ch_) c.row.assign(width_ + 2, 0);
}

Integer TFloydSteinbergDitherer::Diffuse(Channel& C, Integer Value) {
  return Feed(Value, C.row[C.cursor] + C.carried, 16);
}

void TFloydSteinbergDitherer::Spread(Channel& C, Integer Error) {
  if (Error != 0) {
    C.row[C.cursor] = C.pending2 + 3 * Error;
    C.pending2 = C.pending1 + 5 * Error;
    C.pending1 = Error;
    C.carried = 7 * Error;
  } else {
    C.carried = 0;
  }
  C.cursor += direction_;
}

Byte TFloydSteinbergDitherer::QuantizePixel(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen,
                                            Byte& OutBlue) {
  Integer r = Diffuse(ch_[0], Red);
  Integer g = Diffuse(ch_[1], Green);
  Integer b = Diffuse(ch_[2], Blue);
  Byte index = lookup_->NearestIndex(static_cast<Byte>(r), static_cast<Byte>(g), static_cast<Byte>(b), OutRed,
                                     OutGreen, OutBlue);
  Spread(ch_[0], r - OutRed);
  Spread(ch_[1], g - OutGreen);
  Spread(ch_[2], b - OutBlue);
  AdvanceColumn();
  return index;
}

void TFloydSteinbergDitherer::AdvanceRow() {
  for (Channel& c : ch_) {
    c.row[c.cursor] = c.pending2;
    c.carried = c.pending1 = c.pending2 = 0;
  }
  TDitherEngine::AdvanceRow();
  for (Channel& c : ch_) c.cursor = direction_ > 0 ? 0 : width_ + 1;
}

// ---------------------------------------------------------------------------
// Three-row kernels.
T5by3Ditherer::T5by3Ditherer(Integer Width, TColorLookup* Lookup, Integer Divisor)
    : TDitherEngine(Width, Lookup), divisor_(Divisor) {
  for (auto& row : rows_)
    for (auto& cells : row) cells.assign(width_ + 4, 0);
}

Byte T5by3Ditherer::QuantizePixel(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen, Byte& OutBlue) {
  Integer r = Feed(Red, At(0, 0, 0), divisor_);
  Integer g = Feed(Green, At(1, 0, 0), divisor_);
  Integer b = Feed(Blue, At(2, 0, 0), divisor_);
  Byte index = lookup_->NearestIndex(static_cast<Byte>(r), static_cast<Byte>(g), static_cast<Byte>(b), OutRed,
                                     OutGreen, OutBlue);
  if (r != OutRed) SpreadError(0, r - OutRed);
  if (g != OutGreen) SpreadError(1, g - OutGreen);
  if (b != OutBlue) SpreadError(2, b - OutBlue);
  cursor_ += direction_;
  AdvanceColumn();
  return index;
}

void T5by3Ditherer::SpreadError(Integer, Integer) {}

void T5by3Ditherer::AdvanceRow() {
  for (Integer c = 0; c < 3; ++c) {
    std::fill(rows_[0][c].begin(), rows_[0][c].end(), 0);
    std::swap(rows_[0][c], rows_[1][c]);  // row 0 := row 1, row 1 := zeroed
    std::swap(rows_[1][c], rows_[2][c]);  // row 1 := row 2, row 2 := zeroed
  }
  TDitherEngine::AdvanceRow();
  cursor_ = direction_ > 0 ? 2 : width_ + 1;
}

namespace {
// Adds Error times the weights of offsets -2..+2 of one row.
inline void SpreadRow(Integer* center, Integer dir, Integer e, Integer w_2, Integer w_1, Integer w0, Integer w1,
                      Integer w2) {
  center[-2 * dir] += w_2 * e;
  center[-dir] += w_1 * e;
  center[0] += w0 * e;
  center[dir] += w1 * e;
  center[2 * dir] += w2 * e;
}
}  // namespace

void TStuckiDitherer::SpreadError(Integer Channel, Integer Error) {
  At(Channel, 0, 1) += 8 * Error;
  At(Channel, 0, 2) += 4 * Error;
  SpreadRow(&At(Channel, 1, 0), direction_, Error, 2, 4, 8, 4, 2);
  SpreadRow(&At(Channel, 2, 0), direction_, Error, 1, 2, 4, 2, 1);
}

void TSierraDitherer::SpreadError(Integer Channel, Integer Error) {
  At(Channel, 0, 1) += 5 * Error;
  At(Channel, 0, 2) += 3 * Error;
  SpreadRow(&At(Channel, 1, 0), direction_, Error, 2, 4, 5, 4, 2);
  SpreadRow(&At(Channel, 2, 0), direction_, Error, 0, 2, 3, 2, 0);
}

void TJaJuNiDitherer::SpreadError(Integer Channel, Integer Error) {
  At(Channel, 0, 1) += 7 * Error;
  At(Channel, 0, 2) += 5 * Error;
  SpreadRow(&At(Channel, 1, 0), direction_, Error, 3, 5, 7, 5, 3);
  SpreadRow(&At(Channel, 2, 0), direction_, Error, 1, 3, 5, 3, 1);
}

// ---------------------------------------------------------------------------
// Stevenson-Arce: four rows, divisor 200.
TSteveArcheDitherer::TSteveArcheDitherer(Integer Width, TColorLookup* Lookup) : TDitherEngine(Width, Lookup) {
  for (auto& row : rows_)
    for (auto& cells : row) cells.assign(width_ + 6, 0);
}

Byte TSteveArcheDitherer::QuantizePixel(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen,
                                        Byte& OutBlue) {
  Integer v[3] = {Feed(Red, At(0, 0, 0), 200), Feed(Green, At(1, 0, 0), 200), Feed(Blue, At(2, 0, 0), 200)};
  Byte index = lookup_->NearestIndex(static_cast<Byte>(v[0]), static_cast<Byte>(v[1]), static_cast<Byte>(v[2]),
                                     OutRed, OutGreen, OutBlue);
  const Integer out[3] = {OutRed, OutGreen, OutBlue};
  for (Integer c = 0; c < 3; ++c) {
    Integer e = v[c] - out[c];
    if (e == 0) continue;
    At(c, 0, 2) += 32 * e;
    At(c, 1, -3) += 12 * e;
    At(c, 1, -1) += 26 * e;
    At(c, 1, 1) += 30 * e;
    At(c, 1, 3) += 16 * e;
    At(c, 2, -2) += 12 * e;
    At(c, 2, 0) += 26 * e;
    At(c, 2, 2) += 12 * e;
    At(c, 3, -3) += 5 * e;
    At(c, 3, -1) += 12 * e;
    At(c, 3, 1) += 12 * e;
    At(c, 3, 3) += 5 * e;
  }
  cursor_ += direction_;
  AdvanceColumn();
  return index;
}

void TSteveArcheDitherer::AdvanceRow() {
  for (Integer c = 0; c < 3; ++c) {
    std::fill(rows_[0][c].begin(), rows_[0][c].end(), 0);
    std::swap(rows_[0][c], rows_[1][c]);
    std::swap(rows_[1][c], rows_[2][c]);
    std::swap(rows_[2][c], rows_[3][c]);
  }
  TDitherEngine::AdvanceRow();
  cursor_ = direction_ > 0 ? 3 : width_ + 2;
}

// ---------------------------------------------------------------------------
// Burkes: two rows, divisor 32.
TBurkesDitherer::TBurkesDitherer(Integer Width, TColorLookup* Lookup) : TDitherEngine(Width, Lookup) {
  for (auto& row : rows_)
    for (auto& cells : row) cells.assign(width_ + 4, 0);
}

Byte TBurkesDitherer::QuantizePixel(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen, Byte& OutBlue) {
  Integer v[3] = {Feed(Red, At(0, 0, 0), 32), Feed(Green, At(1, 0, 0), 32), Feed(Blue, At(2, 0, 0), 32)};
  Byte index = lookup_->NearestIndex(static_cast<Byte>(v[0]), static_cast<Byte>(v[1]), static_cast<Byte>(v[2]),
                                     OutRed, OutGreen, OutBlue);
  const Integer out[3] = {OutRed, OutGreen, OutBlue};
  for (Integer c = 0; c < 3; ++c) {
    Integer e = v[c] - out[c];
    if (e == 0) continue;
    At(c, 0, 1) += 8 * e;
    At(c, 0, 2) += 4 * e;
    SpreadRow(&At(c, 1, 0), direction_, e, 2, 4, 8, 4, 2);
  }
  cursor_ += direction_;
  AdvanceColumn();
  return index;
}

void TBurkesDitherer::AdvanceRow() {
  for (Integer c = 0; c < 3; ++c) {
    std::fill(rows_[0][c].begin(), rows_[0][c].end(), 0);
    std::swap(rows_[0][c], rows_[1][c]);
  }
  TDitherEngine::AdvanceRow();
  cursor_ = direction_ > 0 ? 2 : width_ + 1;
}

std::unique_ptr<TDitherEngine> CreateDitherer(Integer Kind, Integer Width, TColorLookup* Lookup) {
  switch (Kind) {
    case 0: return std::make_unique<TDitherEngine>(Width, Lookup);
    case 1: return std::make_unique<TFloydSteinbergDitherer>(Width, Lookup);
    case 2: return std::make_unique<TStuckiDitherer>(Width, Lookup);
    case 3: return std::make_unique<TSierraDitherer>(Width, Lookup);
    case 4: return std::make_unique<TJaJuNiDitherer>(Width, Lookup);
    case 5: return std::make_unique<TSteveArcheDitherer>(Width, Lookup);
    case 6: return std::make_unique<TBurkesDitherer>(Width, Lookup);
    default: return nullptr;
  }
}
