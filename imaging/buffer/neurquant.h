// The palette builder of the image library: grey ramp, exact colours, box
// splitting or the NeuQuant neural-network quantiser, chosen by the picture
// and the colour count.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "imaging/buffer/stdquant.h"

class TIEBitmap;
struct TIEColorTriple;

class TIENeuQuantNetwork {
 public:
  Integer NetSize = 0;
  Integer MaxNetPos = 0;
  Integer InitRad = 0;
  Integer InitRadius = 0;
  Integer AlphaDec = 0;
  int64_t ByteLength = 0;
  Integer SampleFac = 1;
  std::vector<int32_t> Network;  // NetSize * 4: blue, green, red, palette index
  int32_t NetIndex[256] = {};
  std::vector<int32_t> Bias;
  std::vector<int32_t> Freq;
  std::vector<int32_t> RadPower;
  Integer Width = 0;
  Integer Height = 0;

  int32_t* Neuron(Integer i) { return &Network[size_t(i) * 4]; }
  const int32_t* Neuron(Integer i) const { return &Network[size_t(i) * 4]; }
  Integer Contest(int32_t b, int32_t g, int32_t r);
  void AlterSingle(int32_t alpha, Integer i, int32_t b, int32_t g, int32_t r);
  void AlterNeigh(Integer rad, Integer i, int32_t b, int32_t g, int32_t r);
  void Learn(const TIERGBRowSource& Source);
  void Unbias();
  void BuildIndex();
  Integer Search(int32_t b, int32_t g, int32_t r) const;
};

// Sampling factor for a quality of 0..100, or -1 to choose it from the pixel count.
Integer NeuQuantSampleFactor(Integer Quality, int64_t Pixels);

std::unique_ptr<TIENeuQuantNetwork> NeuQuantCreate(const TIERGBRowSource& Source, Byte* Palette,
                                                   Integer Colors, Integer Quality);
Integer NeuQuantIndex(const TIENeuQuantNetwork& State, Byte Blue, Byte Green, Byte Red);

// The picture's distinct colours in first-seen order (blue, green, red packed
// as blue + green * 256 + red * 65536), copied to the first palette entries;
// empty when the picture has more than Count colours or is not 24-bit.
bool CollectExactColors(const TIERGBRowSource& Source, Integer Count, Byte* Palette,
                        std::vector<uint32_t>& Colors);
// First index holding Color in Colors, or -1.
Integer FindExactColor(const std::vector<uint32_t>& Colors, uint32_t Color);

class TIEQuantizer : public TObject {
 public:
  T_CLASSNAME(TIEQuantizer)
  // Builds the palette (Colors entries of blue, green, red) and the mapping.
  // Quality: 0..100 for NeuQuant's sampling, -1 chosen from the pixel count.
  // Method: 0 chosen by the colour count, 1 box splitting.
  TIEQuantizer(const TIERGBRowSource& Source, Byte* Palette, Integer Colors, Integer Quality = -1,
               Integer Method = 0);
  TIEQuantizer(TIEBitmap* Bitmap, TIEColorTriple* Palette, Integer Colors, Integer Quality = -1,
               Integer Method = 0);
  ~TIEQuantizer() override;

  // The palette index for any colour.
  Integer ColorIndex(Byte Blue, Byte Green, Byte Red) const;
  Integer ColorIndex(const TIEColorTriple& Color) const;

  Integer Method() const { return method_; }
  bool AllGray() const { return grey_; }
  bool HasExactColors() const { return exact_; }
  Integer ColorCount() const { return colors_; }

 private:
  void Build(const TIERGBRowSource& Source, Byte* Palette, Integer Quality, Integer Method);

  Integer method_ = 0;
  std::unique_ptr<TIENeuQuantNetwork> neu_;
  std::unique_ptr<TIEBoxQuantizer> box_;
  bool grey_ = false;
  bool exact_ = false;
  std::vector<uint32_t> exactColors_;
  std::unordered_map<uint32_t, Integer> exactIndex_;
  Integer colors_ = 0;
};
