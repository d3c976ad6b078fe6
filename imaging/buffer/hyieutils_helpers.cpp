// Basic helpers of the image library: row lengths, bit access, bit runs,
// number parsing, folders and platform tests.
#include <cmath>
#include <cpuid.h>
#include <cstdlib>
#include <vector>

#include "imaging/buffer/hyieutils.h"

std::string ImageTempFolder;

const Integer IEPixelKindBits[6] = {0, 1, 8, 8, 16, 24};
const Byte IEBitMask[8] = {128, 64, 32, 16, 8, 4, 2, 1};

const Byte IEDitherMatrix[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},   {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21}};

Cardinal AlignedRowLength(Integer Width, Integer Bits) {
  // 64-bit intermediate: wide pictures at 24 bits would overflow 32 bits.
  const uint64_t bits = static_cast<uint64_t>(static_cast<uint32_t>(Width)) * static_cast<uint32_t>(Bits);
  return static_cast<Cardinal>(((bits + 31) / 32) * 4);
}

Integer VclPixelFormatBits(Integer PixelFormat) {
  // TPixelFormat ordinals: pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom.
  switch (PixelFormat) {
    case 1: return 1;
    case 2: return 4;
    case 3: return 8;
    case 4: return 15;
    case 5: return 16;
    case 6: return 24;
    case 7: return 32;
    default: return 0;
  }
}

Cardinal AlignedRowLengthOfFormat(Integer Width, Integer PixelFormat) {
  return AlignedRowLength(Width, VclPixelFormatBits(PixelFormat));
}

Integer MaskBitWidth(Cardinal Mask) {
  if (Mask == 0) return 0;
  Integer start = 31;
  for (Integer i = 0; i <= 30; ++i)
    if (Mask & (1u << i)) {
      start = i;
      break;
    }
  Integer n = 0;
  for (Integer i = start; i < 32 && (Mask & (1u << i)); ++i) ++n;  // stops after bit 31
  return n;
}

Integer HighestBitIndex(Cardinal Mask) {
  if (Mask == 0) return -1;
  Integer high = 31;
  while (!(Mask & (1u << high))) --high;
  return (Mask & (Mask - 1)) == 0 ? high : high + 1;
}

namespace {
struct ReverseTable {
  Byte t[256];
  ReverseTable() {
    for (int v = 0; v < 256; ++v) {
      Byte r = 0;
      for (int b = 0; b < 8; ++b)
        if (v & (1 << b)) r |= static_cast<Byte>(0x80 >> b);
      t[v] = r;
    }
  }
};
const ReverseTable& Reverse() {
  static const ReverseTable table;
  return table;
}
}  // namespace

void ReverseBitsInByte(Byte& B) { B = Reverse().t[B]; }

void ReverseBits32(Cardinal& W) {
  const auto& t = Reverse().t;
  W = (static_cast<Cardinal>(t[W & 0xFF]) << 24) | (static_cast<Cardinal>(t[(W >> 8) & 0xFF]) << 16) |
      (static_cast<Cardinal>(t[(W >> 16) & 0xFF]) << 8) | t[W >> 24];
}

Word SwapWordBytes(Word W) { return static_cast<Word>((W >> 8) | (W << 8)); }

Cardinal SwapDWordBytes(Cardinal W) {
  return (W >> 24) | ((W >> 8) & 0xFF00) | ((W << 8) & 0xFF0000) | (W << 24);
}

Cardinal ColorCountFromSamples(Integer BitsPerSample, Integer Samples) {
  Cardinal per = 1;
  for (Integer i = 0; i < BitsPerSample; ++i) per *= 2;
  Cardinal r = 1;
  for (Integer i = 0; i < Samples; ++i) r *= per;
  return r;
}

Extended IntegerPower(Integer Exponent, Extended Base) {
  int64_t e = Exponent;
  const bool negative = e < 0;
  if (negative) e = -e;
  Extended result = 1, b = Base;
  while (e > 0) {
    if (e & 1) result *= b;
    b *= b;
    e >>= 1;
  }
  return negative ? 1 / result : result;
}

Extended RealPower(Extended Exponent, Extended Base) {
  if (Exponent == 0) return 1;
  if (Base == 0 && Exponent > 0) return 0;
  if (Exponent == std::trunc(Exponent) && std::fabs(Exponent) <= 2147483647.0L)
    return IntegerPower(static_cast<Integer>(Exponent), Base);
  return std::exp2(Exponent * std::log2(Base));
}

namespace {
char PlatformDecimalSeparator() {
  wchar_t buf[8] = {};
  if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8) > 0 && buf[0] < 128 && buf[0] != 0)
    return static_cast<char>(buf[0]);
  return '.';
}

// Decimal text to float with the given separator: optional blanks, sign,
// digits with an optional fraction, optional exponent, optional blanks.
bool TextToFloat(const std::string& Text, char Separator, Extended& Value) {
  size_t i = 0, n = Text.size();
  while (i < n && Text[i] == ' ') ++i;
  while (n > i && Text[n - 1] == ' ') --n;
  std::string s;
  if (i < n && (Text[i] == '+' || Text[i] == '-')) s += Text[i++];
  size_t digits = 0;
  while (i < n && Text[i] >= '0' && Text[i] <= '9') s += Text[i++], ++digits;
  if (i < n && Text[i] == Separator) {
    s += '.';
    ++i;
    while (i < n && Text[i] >= '0' && Text[i] <= '9') s += Text[i++], ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (Text[i] == 'e' || Text[i] == 'E')) {
    s += 'e';
    ++i;
    if (i < n && (Text[i] == '+' || Text[i] == '-')) s += Text[i++];
    size_t ed = 0;
    while (i < n && Text[i] >= '0' && Text[i] <= '9') s += Text[i++], ++ed;
    if (ed == 0) return false;
  }
  if (i != n) return false;
  Value = std::strtold(s.c_str(), nullptr);
  return true;
}
}  // namespace

Extended TolerantStrToFloat(const std::string& Text, Extended Default) {
  const char sep = PlatformDecimalSeparator();
  Extended v;
  if (TextToFloat(Text, sep, v)) return v;
  std::string t = Text;
  const size_t comma = t.find(',');
  if (comma != std::string::npos)
    t[comma] = '.';
  else if (const size_t dot = t.find('.'); dot != std::string::npos)
    t[dot] = ',';
  if (TextToFloat(t, sep, v)) return v;
  return Default;
}

void CopyBitRun(void* Dest, const void* Source, Integer DstOffset, Integer SrcOffset, Integer BitCount,
                Integer SrcByteLimit) {
  if (BitCount < 1 || DstOffset < 0 || SrcOffset < 0) return;
  const Byte* src = static_cast<const Byte*>(Source) + SrcOffset / 8;
  const Integer s = SrcOffset % 8;
  const Integer needed = (BitCount + s + 7) / 8;
  // A zeroed scratch copy: bits past the source limit read as 0.
  std::vector<Byte> scratch(static_cast<size_t>(needed) + 2, 0);
  const Integer avail = SrcByteLimit - SrcOffset / 8;
  const Integer take = avail < needed ? avail : needed;
  if (take > 0) std::memcpy(scratch.data(), src, static_cast<size_t>(take));
  auto get8 = [&](Integer p) -> Byte {
    if (p < 0) {
      // Only the first destination byte starts before the run; its early bits are masked off.
      const Integer b = 0;
      return static_cast<Byte>(scratch[b] >> (-p));
    }
    const Integer b = p / 8, sh = p % 8;
    const unsigned w = (static_cast<unsigned>(scratch[b]) << 8) | scratch[b + 1];
    return static_cast<Byte>((w >> (8 - sh)) & 0xFF);
  };
  Byte* dst = static_cast<Byte*>(Dest) + DstOffset / 8;
  const Integer d = DstOffset % 8;
  const Integer bytes = (d + BitCount + 7) / 8;
  for (Integer k = 0; k < bytes; ++k) {
    const Integer lo = (k == 0 ? d : 0);
    const Integer hiAbs = d + BitCount - 8 * k;
    const Integer hi = hiAbs > 8 ? 8 : hiAbs;
    const Byte mask = static_cast<Byte>((0xFF >> lo) & (0xFF << (8 - hi)));
    const Byte v = get8(s - d + 8 * k);
    dst[k] = static_cast<Byte>((dst[k] & ~mask) | (v & mask));
  }
}

void SwapRowRedBlue(void* Row, Integer PixelCount) {
  Byte* p = static_cast<Byte*>(Row);
  for (Integer i = 0; i < PixelCount; ++i, p += 3) std::swap(p[0], p[2]);
}

void SwapPaletteRedBlue(void* Palette, Integer EntryCount) { SwapRowRedBlue(Palette, EntryCount); }

Integer RoundUpToInt(Extended X) {
  const Integer t = static_cast<Integer>(Trunc(X));
  return X - t > 0 ? t + 1 : t;
}

Integer RoundDownToInt(Extended X) {
  const Integer t = static_cast<Integer>(Trunc(X));
  return X - t < 0 ? t - 1 : t;
}

double FloatMin(double A, double B) { return A < B ? A : B; }

void OrderRectCorners(Integer& X1, Integer& Y1, Integer& X2, Integer& Y2) {
  if (X2 < X1) std::swap(X1, X2);
  if (Y2 < Y1) std::swap(Y1, Y2);
}

TIEColorTriple ColorToTriple(Integer Color) {
  Cardinal rgb = static_cast<Cardinal>(Color);
  if (Color < 0) rgb = ::GetSysColor(Color & 0xFF);  // system colours are negative values
  return TIEColorTriple{static_cast<Byte>((rgb >> 16) & 0xFF), static_cast<Byte>((rgb >> 8) & 0xFF),
                        static_cast<Byte>(rgb & 0xFF)};
}

bool DirectoryExistsCheck(const std::string& Path) {
  const DWORD attr = ::GetFileAttributesW(Utf8ToWide(Path).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void ForceDirectoryChain(const std::string& Path) {
  if (Path.empty()) throw EInOutError("Cannot Create Directory");
  std::string dir = Path;
  if (dir.back() == '\\' || dir.back() == '/') dir.pop_back();
  if (dir.size() <= 2 || DirectoryExistsCheck(dir)) return;
  const size_t sep = dir.find_last_of("\\/");
  if (sep != std::string::npos) {
    const std::string parent = dir.substr(0, sep);
    if (!parent.empty() && parent != dir) ForceDirectoryChain(parent);
  }
  ::CreateDirectoryW(Utf8ToWide(dir).c_str(), nullptr);  // a failure shows when the folder is used
}

bool CPUHasMMX() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  return (d & (1u << 23)) != 0;
}

bool IsWindowsXP() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!::GetVersionExW(&info)) return false;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion == 5 && info.dwMinorVersion == 1;
}
