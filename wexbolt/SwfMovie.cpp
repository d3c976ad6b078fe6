// Writing the movie: the file header, the tags with their bit-packed records,
// zlib-compressed bitmaps and the loop actions.
#include "wexbolt/SwfMovie.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <unordered_map>

namespace wexbolt {

namespace {

// Tag codes of the file format.
enum : uint16_t {
  kTagEnd = 0,
  kTagShowFrame = 1,
  kTagDefineShape = 2,
  kTagSetBackgroundColor = 9,
  kTagDoAction = 12,
  kTagDefineBitsLossless = 20,
  kTagPlaceObject2 = 26,
  kTagRemoveObject2 = 28,
};

// Action codes (those of 0x80 and up carry a 16-bit length).
enum : uint8_t {
  kActionEnd = 0x00,
  kActionPlay = 0x06,
  kActionStop = 0x07,
  kActionAdd = 0x0A,
  kActionLess = 0x0F,
  kActionNot = 0x12,
  kActionGetVariable = 0x1C,
  kActionSetVariable = 0x1D,
  kActionGotoFrame = 0x81,
  kActionPush = 0x96,
  kActionJump = 0x99,
  kActionIf = 0x9D,
};

constexpr int kTwipsPerPixel = 20;
constexpr uint32_t kMaxMovieFrames = 65535;
constexpr uint32_t kHundredthsPerRateUnit = 25600;  // 100 hundredths x 256 (8.8 fixed point)
constexpr uint8_t kSwfVersion = 4;
constexpr uint16_t kPictureDepth = 1;
// The longest straight edge a shape record holds (17 signed bits).
constexpr int32_t kMaxEdgeTwips = 65535;
// The variable counting the passes played.
constexpr char kPassCounter[] = "gifPasses";

void PutU8(std::vector<uint8_t>& Out, uint32_t V) { Out.push_back(uint8_t(V)); }
void PutU16(std::vector<uint8_t>& Out, uint32_t V) {
  Out.push_back(uint8_t(V));
  Out.push_back(uint8_t(V >> 8));
}
void PutU32(std::vector<uint8_t>& Out, uint32_t V) {
  PutU16(Out, V & 0xFFFF);
  PutU16(Out, V >> 16);
}
void PatchU32(std::vector<uint8_t>& Out, size_t At, uint32_t V) {
  for (int i = 0; i < 4; ++i) Out[At + i] = uint8_t(V >> (8 * i));
}

// Bit fields, most significant bit first, as the format packs its records.
class TSwfBits {
 public:
  explicit TSwfBits(std::vector<uint8_t>& Out) : out_(Out) {}
  ~TSwfBits() { Flush(); }
  void Unsigned(uint32_t Value, int Count) {
    for (int i = Count - 1; i >= 0; --i) {
      acc_ = uint8_t((acc_ << 1) | ((Value >> i) & 1));
      if (++used_ == 8) {
        out_.push_back(acc_);
        acc_ = 0;
        used_ = 0;
      }
    }
  }
  void Signed(int32_t Value, int Count) { Unsigned(uint32_t(Value), Count); }
  void Flush() {
    if (used_ == 0) return;
    out_.push_back(uint8_t(acc_ << (8 - used_)));
    acc_ = 0;
    used_ = 0;
  }

 private:
  std::vector<uint8_t>& out_;
  uint8_t acc_ = 0;
  int used_ = 0;
};

// Bits a signed field needs for Value (at least 1).
int SwfSignedBits(int32_t Value) {
  uint32_t magnitude = Value < 0 ? ~uint32_t(Value) : uint32_t(Value);
  int bits = 1;
  while (magnitude) {
    ++bits;
    magnitude >>= 1;
  }
  return bits;
}

void PutRect(std::vector<uint8_t>& Out, int32_t Width, int32_t Height) {
  const int bits = std::max(SwfSignedBits(Width), SwfSignedBits(Height));
  TSwfBits b(Out);
  b.Unsigned(uint32_t(bits), 5);
  b.Signed(0, bits);
  b.Signed(Width, bits);
  b.Signed(0, bits);
  b.Signed(Height, bits);
}

// A tag: the short header for bodies under 63 bytes, else the long one.
void PutTag(std::vector<uint8_t>& Out, uint16_t Code, const std::vector<uint8_t>& Body) {
  if (Body.size() < 0x3F) {
    PutU16(Out, (uint32_t(Code) << 6) | uint32_t(Body.size()));
  } else {
    PutU16(Out, (uint32_t(Code) << 6) | 0x3F);
    PutU32(Out, uint32_t(Body.size()));
  }
  Out.insert(Out.end(), Body.begin(), Body.end());
}

// Actions of the last frame: stop after the last pass, otherwise play on
// from the loop's first frame.
std::vector<uint8_t> LoopActions(uint32_t Passes, uint32_t LoopFrame) {
  std::vector<uint8_t> a;
  auto pushString = [&](const char* Text) {
    const size_t n = std::strlen(Text);
    a.push_back(kActionPush);
    PutU16(a, uint32_t(n + 2));
    a.push_back(0);
    a.insert(a.end(), Text, Text + n + 1);
  };
  auto pushNumber = [&](float Value) {
    a.push_back(kActionPush);
    PutU16(a, 5);
    a.push_back(1);
    uint32_t bits;
    std::memcpy(&bits, &Value, 4);
    PutU32(a, bits);
  };
  std::vector<uint8_t> playOn;
  playOn.push_back(kActionGotoFrame);
  PutU16(playOn, 2);
  PutU16(playOn, LoopFrame);
  playOn.push_back(kActionPlay);

  if (Passes == 1) {
    a.push_back(kActionStop);
  } else if (Passes == 0) {
    a.insert(a.end(), playOn.begin(), playOn.end());
  } else {
    // gifPasses = gifPasses + 1 (an unset variable counts as 0)
    pushString(kPassCounter);
    pushString(kPassCounter);
    a.push_back(kActionGetVariable);
    pushNumber(1.0f);
    a.push_back(kActionAdd);
    a.push_back(kActionSetVariable);
    // if !(gifPasses < Passes) goto stop
    pushString(kPassCounter);
    a.push_back(kActionGetVariable);
    pushNumber(float(Passes));
    a.push_back(kActionLess);
    a.push_back(kActionNot);
    a.push_back(kActionIf);
    PutU16(a, 2);
    PutU16(a, uint32_t(playOn.size() + 5));  // over the play-on actions and the jump
    a.insert(a.end(), playOn.begin(), playOn.end());
    a.push_back(kActionJump);
    PutU16(a, 2);
    PutU16(a, 1);  // over the Stop
    a.push_back(kActionStop);
  }
  a.push_back(kActionEnd);
  return a;
}

uint64_t SwfHashBytes(const uint8_t* Data, size_t Size) {
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < Size; ++i) h = (h ^ Data[i]) * 1099511628211ull;
  return h;
}

}  // namespace

// ---------------------------------------------------------------------------
// Timing.

TMovieTiming ChooseTiming(const std::vector<uint32_t>& Delays) {
  if (Delays.empty()) throw EMovieError("no pictures");
  if (Delays.size() > kMaxMovieFrames) throw EMovieError("too many pictures");
  uint32_t g = 0;
  for (uint32_t d : Delays) g = std::gcd(g, std::max<uint32_t>(d, 1));
  const uint32_t exact = std::gcd(g, kHundredthsPerRateUnit);
  auto ticksFor = [&](uint32_t Tick, std::vector<uint32_t>& Ticks) {
    uint64_t total = 0;
    Ticks.clear();
    for (uint32_t d : Delays) {
      const uint32_t t = std::max<uint32_t>(1, (std::max<uint32_t>(d, 1) + Tick / 2) / Tick);
      Ticks.push_back(t);
      total += t;
    }
    return total;
  };
  TMovieTiming timing;
  for (uint32_t tick = exact; tick <= kHundredthsPerRateUnit; ++tick) {
    if (kHundredthsPerRateUnit % tick != 0) continue;
    if (ticksFor(tick, timing.Ticks) <= kMaxMovieFrames) {
      timing.TickHundredths = tick;
      timing.RateFixed = uint16_t(kHundredthsPerRateUnit / tick);
      return timing;
    }
  }
  throw EMovieError("the animation is too long for a movie");
}

// ---------------------------------------------------------------------------
// The writer.

struct TSwfMovieWriter::TState {
  int width = 0, height = 0;
  uint32_t background = 0;
  uint16_t rate = 0;
  size_t maxBytes = 0;
  std::vector<uint8_t> body;  // every tag after the header
  std::vector<uint8_t> scratch;
  struct TKnown {
    size_t dataAt, dataSize;  // the compressed pixels in body
    uint16_t shape;
  };
  std::unordered_multimap<uint64_t, TKnown> known;
  std::vector<uint32_t> pictureFirstFrame;
  uint32_t frames = 0;
  uint16_t nextId = 1;
  uint16_t placed = 0;
  size_t bitmaps = 0;

  void CheckSize(size_t Extra) const {
    if (body.size() + Extra > maxBytes) throw EMovieError("the movie is too large");
  }
};

TSwfMovieWriter::TSwfMovieWriter(int Width, int Height, uint32_t Background, uint16_t RateFixed,
                                 size_t MaxBytes)
    : state_(std::make_unique<TState>()) {
  TState& s = *state_;
  s.width = Width;
  s.height = Height;
  s.background = Background;
  s.rate = RateFixed;
  s.maxBytes = MaxBytes;
  std::vector<uint8_t> rgb{uint8_t(Background >> 16), uint8_t(Background >> 8), uint8_t(Background)};
  PutTag(s.body, kTagSetBackgroundColor, rgb);
}

TSwfMovieWriter::~TSwfMovieWriter() = default;

size_t TSwfMovieWriter::BitmapCount() const { return state_->bitmaps; }

void TSwfMovieWriter::AddPicture(const uint32_t* Pixels, uint32_t Ticks) {
  TState& s = *state_;
  Ticks = std::max<uint32_t>(Ticks, 1);
  if (uint64_t(s.frames) + Ticks > kMaxMovieFrames) throw EMovieError("too many movie frames");

  // The pixels as the bitmap stores them: a reserved byte, then red, green, blue.
  const size_t count = size_t(s.width) * size_t(s.height);
  s.scratch.resize(count * 4);
  uint8_t* p = s.scratch.data();
  for (size_t i = 0; i < count; ++i, p += 4) {
    const uint32_t c = Pixels[i];
    p[0] = 0;
    p[1] = uint8_t(c >> 16);
    p[2] = uint8_t(c >> 8);
    p[3] = uint8_t(c);
  }
  const uLong bound = compressBound(uLong(s.scratch.size()));
  s.CheckSize(size_t(bound) + 64 + size_t(Ticks) * 2);

  // DefineBitsLossless, compressed in place; taken back if the picture is known.
  const size_t tagAt = s.body.size();
  PutU16(s.body, (uint32_t(kTagDefineBitsLossless) << 6) | 0x3F);
  PutU32(s.body, 0);
  const size_t bodyAt = s.body.size();
  const uint16_t bitmapId = s.nextId;
  PutU16(s.body, bitmapId);
  PutU8(s.body, 5);  // 32-bit pixels
  PutU16(s.body, uint32_t(s.width));
  PutU16(s.body, uint32_t(s.height));
  const size_t dataAt = s.body.size();
  s.body.resize(dataAt + bound);
  uLongf packed = bound;
  if (compress2(s.body.data() + dataAt, &packed, s.scratch.data(), uLong(s.scratch.size()), 6) != Z_OK)
    throw EMovieError("compression failed");
  s.body.resize(dataAt + packed);

  const uint64_t hash = SwfHashBytes(s.body.data() + dataAt, packed);
  uint16_t shape = 0;
  auto range = s.known.equal_range(hash);
  for (auto it = range.first; it != range.second; ++it)
    if (it->second.dataSize == packed &&
        std::memcmp(s.body.data() + it->second.dataAt, s.body.data() + dataAt, packed) == 0) {
      shape = it->second.shape;
      break;
    }
  if (shape != 0) {
    s.body.resize(tagAt);
  } else {
    if (s.nextId > 0xFFFD) throw EMovieError("too many pictures");
    PatchU32(s.body, tagAt + 2, uint32_t(s.body.size() - bodyAt));
    shape = uint16_t(s.nextId + 1);
    s.nextId = uint16_t(s.nextId + 2);
    s.known.emplace(hash, TState::TKnown{dataAt, packed, shape});
    ++s.bitmaps;

    // A rectangle of the picture's size filled with the bitmap, one pixel to 20 twips.
    std::vector<uint8_t> d;
    PutU16(d, shape);
    const int32_t w = s.width * kTwipsPerPixel, h = s.height * kTwipsPerPixel;
    PutRect(d, w, h);
    PutU8(d, 1);     // one fill style
    PutU8(d, 0x41);  // clipped bitmap
    PutU16(d, bitmapId);
    {
      TSwfBits b(d);
      const int32_t scale = kTwipsPerPixel << 16;
      const int sb = SwfSignedBits(scale);
      b.Unsigned(1, 1);  // scale
      b.Unsigned(uint32_t(sb), 5);
      b.Signed(scale, sb);
      b.Signed(scale, sb);
      b.Unsigned(0, 1);  // no rotation
      b.Unsigned(0, 5);  // no translation
    }
    PutU8(d, 0);  // no line styles
    {
      TSwfBits b(d);
      b.Unsigned(1, 4);  // fill index bits
      b.Unsigned(0, 4);  // line index bits
      // Style change: fill style 1 (the right side), pen at the origin.
      b.Unsigned(0, 1);
      b.Unsigned(0b00101, 5);
      b.Unsigned(1, 5);
      b.Signed(0, 1);
      b.Signed(0, 1);
      b.Unsigned(1, 1);
      // Clockwise on screen: right, down, left, up; long sides in pieces.
      auto edge = [&](bool Vertical, int32_t Delta) {
        while (Delta != 0) {
          const int32_t step = std::clamp(Delta, -kMaxEdgeTwips, kMaxEdgeTwips);
          const int bits = std::max(SwfSignedBits(step), 2);
          b.Unsigned(1, 1);  // edge
          b.Unsigned(1, 1);  // straight
          b.Unsigned(uint32_t(bits - 2), 4);
          b.Unsigned(0, 1);  // not general: horizontal or vertical
          b.Unsigned(Vertical ? 1 : 0, 1);
          b.Signed(step, bits);
          Delta -= step;
        }
      };
      edge(false, w);
      edge(true, h);
      edge(false, -w);
      edge(true, -h);
      b.Unsigned(0, 6);  // end of shape
    }
    PutTag(s.body, kTagDefineShape, d);
  }

  if (shape != s.placed) {
    std::vector<uint8_t> d;
    if (s.placed != 0) {
      PutU16(d, kPictureDepth);
      PutTag(s.body, kTagRemoveObject2, d);
      d.clear();
    }
    PutU8(d, 0x02);  // has a character
    PutU16(d, kPictureDepth);
    PutU16(d, shape);
    PutTag(s.body, kTagPlaceObject2, d);
    s.placed = shape;
  }
  s.pictureFirstFrame.push_back(s.frames);
  for (uint32_t i = 0; i < Ticks; ++i) PutU16(s.body, uint32_t(kTagShowFrame) << 6);
  s.frames += Ticks;
  s.CheckSize(0);
}

std::vector<uint8_t> TSwfMovieWriter::Finish(uint32_t Passes, size_t LoopStart) {
  TState& s = *state_;
  if (s.frames == 0) throw EMovieError("no pictures");
  const uint32_t loopFrame =
      LoopStart < s.pictureFirstFrame.size() ? s.pictureFirstFrame[LoopStart] : 0;
  // The actions belong to the last frame: before its ShowFrame.
  s.body.resize(s.body.size() - 2);
  PutTag(s.body, kTagDoAction, LoopActions(Passes, loopFrame));
  PutU16(s.body, uint32_t(kTagShowFrame) << 6);
  PutU16(s.body, uint32_t(kTagEnd) << 6);
  s.CheckSize(0);

  std::vector<uint8_t> file;
  file.reserve(s.body.size() + 32);
  for (char c : {'F', 'W', 'S'}) PutU8(file, uint8_t(c));
  PutU8(file, kSwfVersion);
  PutU32(file, 0);
  PutRect(file, s.width * kTwipsPerPixel, s.height * kTwipsPerPixel);
  PutU16(file, s.rate);
  PutU16(file, s.frames);
  file.insert(file.end(), s.body.begin(), s.body.end());
  PatchU32(file, 4, uint32_t(file.size()));
  s.body.clear();
  s.body.shrink_to_fit();
  return file;
}

}  // namespace wexbolt
