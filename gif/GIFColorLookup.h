// Mapping of 24-bit colours onto palettes of at most 256 entries: the colour
// lookups (one colour -> one palette index) and the ditherers that walk a
// picture row by row in serpentine order and spread the quantisation error.
// The caller owns the pixel loop: per row it starts at Column(), calls
// QuantizePixel while 0 <= Column() < width, stepping its own pointers by
// Direction(), and then calls AdvanceRow.
#pragma once

#include <memory>
#include <vector>

#include "platform/System.h"

// ---------------------------------------------------------------------------
// Colour lookups.
class TColorLookup : public TObject {
 public:
  T_CLASSNAME(TColorLookup)
  explicit TColorLookup(Integer Colors) : colors_(Colors) {}
  // Palette index for the colour; the out values receive that entry's colour.
  virtual Byte NearestIndex(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen, Byte& OutBlue) = 0;
  // Number of palette entries the lookup chooses from.
  Integer Colors() const { return colors_; }

 protected:
  Integer colors_;
};

// Any palette: a 5-5-5 colour cell cache in front of a linear search by the
// sum of absolute channel differences. A cell keeps the first answer found
// for it, so every colour of a cell maps to the same entry.
class TFastColorLookup : public TColorLookup {
 public:
  T_CLASSNAME(TFastColorLookup)
  // Takes up to 256 entries of the palette (none for a null handle).
  explicit TFastColorLookup(HPALETTE Palette);
  Byte NearestIndex(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen, Byte& OutBlue) override;

  static constexpr Integer CellKey(Byte Red, Byte Green, Byte Blue) {
    return (Red >> 3) | ((Green & 0xF8) << 2) | ((Blue & 0xF8) << 7);
  }
  // The cached index of a cell (-1 when not yet known).
  SmallInt CachedCell(Integer Key) const { return cache_[Key]; }

 private:
  PALETTEENTRY entries_[256];
  std::vector<SmallInt> cache_;
};

// The 216-colour cube with levels 0, 51, ..., 255 per channel.
class TNetscapeColorLookup : public TColorLookup {
 public:
  T_CLASSNAME(TNetscapeColorLookup)
  TNetscapeColorLookup() : TColorLookup(216) {}
  Byte NearestIndex(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen, Byte& OutBlue) override;
};

// 256 greys; index = luminance.
class TGrayScaleLookup : public TColorLookup {
 public:
  T_CLASSNAME(TGrayScaleLookup)
  TGrayScaleLookup() : TColorLookup(256) {}
  Byte NearestIndex(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen, Byte& OutBlue) override;
};

// Black (index 0) and white (index 1) by a luminance threshold.
class TMonochromeLookup : public TColorLookup {
 public:
  T_CLASSNAME(TMonochromeLookup)
  TMonochromeLookup() : TColorLookup(2) {}
  Byte NearestIndex(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen, Byte& OutBlue) override;
};

// ---------------------------------------------------------------------------
// Ditherers. The base class maps each pixel as it is (no diffusion).
class TDitherEngine : public TObject {
 public:
  T_CLASSNAME(TDitherEngine)
  // The lookup is not owned and must outlive the ditherer.
  TDitherEngine(Integer Width, TColorLookup* Lookup);
  // Maps one pixel at the current column, then advances the column.
  virtual Byte QuantizePixel(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen, Byte& OutBlue);
  // Ends the row and turns the walking direction.
  virtual void AdvanceRow();
  void AdvanceColumn() { column_ += direction_; }

  Integer Direction() const { return direction_; }
  Integer Column() const { return column_; }
  Integer Width() const { return width_; }

 protected:
  // Value + (accumulated error + Divisor/2) / Divisor, clamped to a byte.
  static Integer Feed(Integer Value, Integer Error, Integer Divisor) {
    Integer v = Value + (Error + Divisor / 2) / Divisor;
    return v < 0 ? 0 : (v > 255 ? 255 : v);
  }

  Integer direction_ = 1;
  Integer column_ = 0;
  TColorLookup* lookup_;
  Integer width_;
};

class TFloydSteinbergDitherer : public TDitherEngine {
 public:
  T_CLASSNAME(TFloydSteinbergDitherer)
  TFloydSteinbergDitherer(Integer Width, TColorLookup* Lookup);
  Byte QuantizePixel(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen, Byte& OutBlue) override;
  void AdvanceRow() override;

 private:
  // Per channel (red, green, blue): the row of errors for the next row, its
  // cursor, the error carried to the next pixel and the two pending errors
  // the next row's cells have collected so far.
  struct Channel {
    std::vector<Integer> row;
    Integer cursor = 0;
    Integer carried = 0;
    Integer pending1 = 0;
    Integer pending2 = 0;
  };
  Integer Diffuse(Channel& C, Integer Value);
  void Spread(Channel& C, Integer Error);
  Channel ch_[3];
};

// Error diffusion over the current row and the two below it (kernels of
// width 5); the subclasses give the weights by their divisor.
class T5by3Ditherer : public TDitherEngine {
 public:
  T_CLASSNAME(T5by3Ditherer)
  Byte QuantizePixel(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen, Byte& OutBlue) override;
  void AdvanceRow() override;

 protected:
  T5by3Ditherer(Integer Width, TColorLookup* Lookup, Integer Divisor);
  // Adds the error of one channel times the kernel's weights.
  virtual void SpreadError(Integer Channel, Integer Error);
  // The cell Offset pixels ahead in the walking direction.
  Integer& At(Integer Channel, Integer Row, Integer Offset) {
    return rows_[Row][Channel][cursor_ + Offset * direction_];
  }

  std::vector<Integer> rows_[3][3];  // [row][channel]; width + 4 cells each
  Integer cursor_ = 2;
  Integer divisor_;
};

class TStuckiDitherer : public T5by3Ditherer {
 public:
  T_CLASSNAME(TStuckiDitherer)
  TStuckiDitherer(Integer Width, TColorLookup* Lookup) : T5by3Ditherer(Width, Lookup, 42) {}

 protected:
  void SpreadError(Integer Channel, Integer Error) override;
};

class TSierraDitherer : public T5by3Ditherer {
 public:
  T_CLASSNAME(TSierraDitherer)
  TSierraDitherer(Integer Width, TColorLookup* Lookup) : T5by3Ditherer(Width, Lookup, 32) {}

 protected:
  void SpreadError(Integer Channel, Integer Error) override;
};

class TJaJuNiDitherer : public T5by3Ditherer {
 public:
  T_CLASSNAME(TJaJuNiDitherer)
  TJaJuNiDitherer(Integer Width, TColorLookup* Lookup) : T5by3Ditherer(Width, Lookup, 48) {}

 protected:
  void SpreadError(Integer Channel, Integer Error) override;
};

// Four-row kernel of width 7 with divisor 200.
class TSteveArcheDitherer : public TDitherEngine {
 public:
  T_CLASSNAME(TSteveArcheDitherer)
  TSteveArcheDitherer(Integer Width, TColorLookup* Lookup);
  Byte QuantizePixel(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen, Byte& OutBlue) override;
  void AdvanceRow() override;

 private:
  Integer& At(Integer Channel, Integer Row, Integer Offset) {
    return rows_[Row][Channel][cursor_ + Offset * direction_];
  }
  std::vector<Integer> rows_[4][3];  // [row][channel]; width + 6 cells each
  Integer cursor_ = 3;
};

// Two-row kernel of width 5 with divisor 32.
class TBurkesDitherer : public TDitherEngine {
 public:
  T_CLASSNAME(TBurkesDitherer)
  TBurkesDitherer(Integer Width, TColorLookup* Lookup);
  Byte QuantizePixel(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen, Byte& OutBlue) override;
  void AdvanceRow() override;

 private:
  Integer& At(Integer Channel, Integer Row, Integer Offset) {
    return rows_[Row][Channel][cursor_ + Offset * direction_];
  }
  std::vector<Integer> rows_[2][3];  // [row][channel]; width + 4 cells each
  Integer cursor_ = 2;
};

// The ditherer of a dither kind (0 nearest, 1 Floyd-Steinberg, 2 Stucki,
// 3 Sierra, 4 Jarvis-Judice-Ninke, 5 Stevenson-Arce, 6 Burkes); nullptr for
// any other kind.
std::unique_ptr<TDitherEngine> CreateDitherer(Integer Kind, Integer Width, TColorLookup* Lookup);
