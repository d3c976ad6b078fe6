// TIFF writer: one image, one strip, little-endian.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/buffer/neurquant.h"
#include "imaging/buffer/ruzozadproc.h"
#include "imaging/formats/iefmtutil.h"
#include "imaging/formats/ioparams.h"
#include "imaging/formats/jpegfilt.h"
#include "imaging/formats/tifccitt.h"
#include "imaging/formats/tiffilt.h"

using namespace iefmt;

namespace {

enum : Word { kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5 };

// TIFF compression codes.
enum : Integer {
  kNone = 1,
  kCcittMH = 2,
  kCcittG3 = 3,
  kCcittG4 = 4,
  kLzw = 5,
  kJpeg = 7,
  kPackBits = 32773
};

// TIFF photometric values.
enum : Integer { kWhiteIsZero = 0, kBlackIsZero = 1, kRGB = 2, kPalette = 3, kSeparated = 5, kYCbCr = 6, kCIELab = 8 };

// What the pixel writer needs.
struct TWriteSettings {
  TTiffLzwEncoder Lzw = nullptr;
  Integer Compression = kNone;
  bool TwoDimensional = false;
  Integer Predictor = 1;
  TIEQuantizer* Quantizer = nullptr;
  Integer BitsPerSample = 8;
  Integer JpegQuality = 80;
  Integer Photometric = kRGB;
};

// Directory entries in the order they are made; value data that does not fit
// in the entry's four bytes is written at the stream's position right away,
// its offset counted from Base.
class TTiffEntries {
 public:
  TTiffEntries(TStream* Stream, Int64 Base, bool& Abort) : stream_(Stream), base_(Base), abort_(Abort) {}

  void AddLong(Word Tag, Cardinal Value) {
    Byte v[4];
    PutLe32(v, Value);
    Add(Tag, kLong, 1, v, 4);
  }
  void AddShort(Word Tag, Word Value) {
    Byte v[2];
    PutLe16(v, Value);
    Add(Tag, kShort, 1, v, 2);
  }
  void AddShorts(Word Tag, const std::vector<Word>& Values) {
    std::vector<Byte> v(Values.size() * 2);
    for (size_t i = 0; i < Values.size(); ++i) PutLe16(&v[2 * i], Values[i]);
    Add(Tag, kShort, Cardinal(Values.size()), v.data(), v.size());
  }
  void AddRational(Word Tag, Cardinal Numerator, Cardinal Denominator) {
    Byte v[8];
    PutLe32(v, Numerator);
    PutLe32(v + 4, Denominator);
    Add(Tag, kRational, 1, v, 8);
  }
  // Text and its NUL; nothing for an empty text.
  void AddAscii(Word Tag, const std::string& Text) {
    if (Text.empty()) return;
    std::vector<Byte> v(Text.begin(), Text.end());
    v.push_back(0);
    Add(Tag, kAscii, Cardinal(v.size()), v.data(), v.size());
  }
  // IPTC datasets as LONGs, zero-padded to whole LONGs.
  void AddIptc(Word Tag, std::vector<Byte> Data) {
    if (Data.empty()) return;
    Data.resize((Data.size() + 3) / 4 * 4, 0);
    Add(Tag, kLong, Cardinal(Data.size() / 4), Data.data(), Data.size());
  }

  // The directory at the stream's position: count, entries by ascending tag
  // (readers require the order), next-directory offset 0.
  void WriteDirectory() {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& a, const Entry& b) { return Le16(a.Bytes) < Le16(b.Bytes); });
    std::vector<Byte> d(2 + entries_.size() * 12 + 4, 0);
    PutLe16(d.data(), Cardinal(entries_.size()));
    for (size_t i = 0; i < entries_.size(); ++i) std::memcpy(&d[2 + 12 * i], entries_[i].Bytes, 12);
    StreamWriteChecked(stream_, abort_, d.data(), Integer(d.size()));
  }

 private:
  struct Entry {
    Byte Bytes[12];
  };

  void Add(Word Tag, Word Type, Cardinal Count, const Byte* Value, size_t Size) {
    Entry e{};
    PutLe16(e.Bytes, Tag);
    PutLe16(e.Bytes + 2, Type);
    PutLe32(e.Bytes + 4, Count);
    if (Size <= 4) {
      std::memcpy(e.Bytes + 8, Value, Size);
    } else {
      PutLe32(e.Bytes + 8, Cardinal(stream_->Position() - base_));
      StreamWriteChecked(stream_, abort_, Value, Integer(Size));
    }
    entries_.push_back(e);
  }

  TStream* stream_;
  Int64 base_;
  bool& abort_;
  std::vector<Entry> entries_;
};

// 255 = full ink.
void BgrToTiffCmyk(const TIEColorTriple& C, Byte* Cmyk) {
  Integer m = std::max({Integer(C.Blue), Integer(C.Green), Integer(C.Red)});
  if (m == 0) m = 1;
  Cmyk[0] = Byte(255 - C.Red * 255 / m);
  Cmyk[1] = Byte(255 - C.Green * 255 / m);
  Cmyk[2] = Byte(255 - C.Blue * 255 / m);
  Cmyk[3] = Byte(255 - m);
}

// CIELab as TIFF readers take it: sRGB through XYZ against the D65 white;
// L* 0..100 as 0..255, a* and b* as signed bytes, each rounded.
void BgrToTiffLab(const TIEColorTriple& C, Byte* Lab) {
  auto linear = [](Byte v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const double r = linear(C.Red), g = linear(C.Green), b = linear(C.Blue);
  const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
  const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
  const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
  auto f = [](double t) { return t > 216.0 / 24389.0 ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0; };
  const double fx = f(x), fy = f(y), fz = f(z);
  auto clampRound = [](double v, double lo, double hi) { return std::lround(std::clamp(v, lo, hi)); };
  Lab[0] = Byte(clampRound((116.0 * fy - 16.0) * 2.55, 0, 255));
  Lab[1] = Byte(clampRound(500.0 * (fx - fy), -128, 127));
  Lab[2] = Byte(clampRound(200.0 * (fy - fz), -128, 127));
}

// One row, coded on its own: runs of 4 to 128 equal bytes as (1 - length,
// byte), everything else as literal groups of at most 128 (count - 1, bytes).
void PackBitsEncode(const Byte* Row, Integer Length, TStream* Stream, bool& Abort) {
  std::vector<Byte> out;
  out.reserve(size_t(Length) + size_t(Length) / 128 + 2);
  std::vector<Byte> literal;
  auto flush = [&]() {
    if (literal.empty()) return;
    out.push_back(Byte(literal.size() - 1));
    out.insert(out.end(), literal.begin(), literal.end());
    literal.clear();
  };
  for (Integer i = 0; i < Length;) {
    Integer run = 1;
    while (run < 128 && i + run < Length && Row[i + run] == Row[i]) ++run;
    if (run >= 4) {
      flush();
      out.push_back(Byte(1 - run));
      out.push_back(Row[i]);
    } else {
      for (Integer k = 0; k < run; ++k) {
        literal.push_back(Row[i + k]);
        if (literal.size() == 128) flush();
      }
    }
    i += run;
  }
  flush();
  if (!out.empty()) StreamWriteChecked(Stream, Abort, out.data(), Integer(out.size()));
}

void ReportRow(TIEProgressRecord& Progress, Integer Row, Integer Height) {
  if (Progress.Callback && Height > 0) Progress.Callback(Progress.Sender, Integer(Int64(Row) * 100 / Height));
}

void WriteTiffJpegStrip(TStream* Stream, TIEBitmap* Work, const TWriteSettings& S, TIEProgressRecord& Progress,
                        bool& Abort) {
  TIOParamsVals jpeg;
  jpeg.JpegQuality = S.JpegQuality;
  // The JPEG writer reports through the record's flag: make it ours.
  TIEProgressRecord progress = Progress;
  progress.Abort = &Abort;
  WriteJpegStream(Stream, Work, jpeg, progress);
}

void WriteTiffPixels(TStream* Stream, TIEBitmap* Work, const TWriteSettings& S, TIEProgressRecord& Progress,
                     bool& Abort) {
  const Integer width = Work->Width(), height = Work->Height();
  void* lzwState = nullptr;
  auto writeRow = [&](const Byte* row, Integer length) {
    switch (S.Compression) {
      case kLzw: S.Lzw(row, length, Stream, lzwState); break;
      case kPackBits: PackBitsEncode(row, length, Stream, Abort); break;
      default: StreamWriteChecked(Stream, Abort, row, length);
    }
  };

  if (Work->PixelKind() == ipkBW1) {
    const Integer bytes = (width + 7) / 8;
    std::vector<Byte> row(size_t(bytes) + 1);
    std::vector<Byte> reference;
    Integer carriedBits = 0;
    Byte carriedByte = 0;
    for (Integer y = 0; y < height; ++y) {
      ReportRow(Progress, y, height);
      if (Abort) break;
      std::memcpy(row.data(), Work->GetRowPointer(y), size_t(bytes));
      if (width & 7) row[size_t(bytes - 1)] &= Byte(0xFF00 >> (width & 7));  // no stray bits after the row
      switch (S.Compression) {
        case kCcittMH: FaxEncodeMHRow(row.data(), width, Stream, Abort); break;
        case kCcittG3:
          if (S.TwoDimensional)
            FaxEncodeG3Row(row.data(), width, Stream, Abort, reference, carriedBits, carriedByte);
          else
            FaxEncode1DRow(row.data(), width, Stream, Abort, carriedBits, carriedByte, true);
          break;
        case kCcittG4: FaxEncodeG4Row(row.data(), width, Stream, Abort, reference, carriedBits, carriedByte); break;
        default: writeRow(row.data(), bytes);
      }
    }
    switch (S.Compression) {
      case kCcittG3:
        if (S.TwoDimensional)
          FaxEncodeG3Row(nullptr, width, Stream, Abort, reference, carriedBits, carriedByte);
        else
          FaxEncode1DRow(nullptr, width, Stream, Abort, carriedBits, carriedByte, true);
        break;
      case kCcittG4: FaxEncodeG4Row(nullptr, width, Stream, Abort, reference, carriedBits, carriedByte); break;
      case kLzw: S.Lzw(nullptr, 0, Stream, lzwState); break;
      default: break;
    }
    return;
  }

  if (S.Compression == kJpeg) {
    WriteTiffJpegStrip(Stream, Work, S, Progress, Abort);
    return;
  }

  const bool indexed = S.Photometric == kPalette || S.Photometric == kBlackIsZero;
  const Integer bits = S.BitsPerSample;
  const Integer bytes = indexed ? Integer((Int64(bits) * width + 7) / 8)
                                : width * (S.Photometric == kSeparated ? 4 : 3);
  std::vector<Byte> row(size_t(bytes) + 4);
  for (Integer y = 0; y < height; ++y) {
    ReportRow(Progress, y, height);
    if (Abort) break;
    const TIEColorTriple* src = static_cast<const TIEColorTriple*>(Work->GetRowPointer(y));
    std::fill(row.begin(), row.end(), 0);
    Byte* out = row.data();
    for (Integer x = 0; x < width; ++x) {
      const TIEColorTriple& c = src[x];
      switch (S.Photometric) {
        case kSeparated: BgrToTiffCmyk(c, out + 4 * x); break;
        case kCIELab: BgrToTiffLab(c, out + 3 * x); break;
        case kPalette:
        case kBlackIsZero: {
          const Integer index = S.Quantizer->ColorIndex(c);
          if (bits == 8) {
            out[x] = Byte(index);
          } else {
            const Int64 at = Int64(x) * bits;
            for (Integer k = 0; k < bits; ++k)
              if ((index >> (bits - 1 - k)) & 1) out[(at + k) >> 3] |= Byte(0x80 >> ((at + k) & 7));
          }
          break;
        }
        default:
          if (S.Predictor == 2 && x > 0) {
            const TIEColorTriple& l = src[x - 1];
            out[3 * x] = Byte(c.Red - l.Red);
            out[3 * x + 1] = Byte(c.Green - l.Green);
            out[3 * x + 2] = Byte(c.Blue - l.Blue);
          } else {
            out[3 * x] = c.Red;
            out[3 * x + 1] = c.Green;
            out[3 * x + 2] = c.Blue;
          }
      }
    }
    writeRow(row.data(), bytes);
  }
  if (S.Compression == kLzw) S.Lzw(nullptr, 0, Stream, lzwState);
}

}  // namespace

Integer WriteTiffStream(TStream* Stream, TIEBitmap* Bitmap, TIEProgressRecord& Progress, TIOParamsVals& Params,
                        bool PositionRelative) {
  TAbortFlagScope abortScope(Progress);
  bool& abort = abortScope.Flag();

  // The work bitmap: 1-bit for one 1-bit sample, 24-bit otherwise.
  std::unique_ptr<TIEBitmap> copy;
  TIEBitmap* work = Bitmap;
  auto convertedCopy = [&](TIEPixelKind Kind) {
    copy = std::make_unique<TIEBitmap>();
    copy->SetLocation(islMemory);
    copy->CopyFromObject(Bitmap);
    copy->ConvertToKind(Kind);
    work = copy.get();
  };
  if (!(Params.BitsPerSample == 1 && Params.SamplesPerPixel == 1)) {
    if (Bitmap->PixelKind() != ipkRGB24) convertedCopy(ipkRGB24);
  } else if (Bitmap->PixelKind() != ipkBW1) {
    TIEColorTriple first, second;
    if (std::unique_ptr<TIEBitmap> two = ReduceToTwoColors(Bitmap, first, second)) {
      copy = std::move(two);
      work = copy.get();
    } else {
      convertedCopy(ipkBW1);
    }
  }
  const bool oneBit = work->PixelKind() == ipkBW1;

  TWriteSettings s;
  s.Lzw = Params.TiffLzwEncoder ? Params.TiffLzwEncoder : DefaultTiffLzwEncoder;

  // Palette and grey: a quantizer of 2^bits colours.
  TIEColorTriple palette[256] = {};
  std::unique_ptr<TIEQuantizer> quantizer;
  if (!oneBit && Params.SamplesPerPixel == 1 && Params.BitsPerSample >= 2 && Params.BitsPerSample <= 8) {
    Params.TiffPhotometric = 3;
    quantizer = std::make_unique<TIEQuantizer>(work, palette, 1 << Params.BitsPerSample);
    if (Params.TiffCompression != 5 && Params.TiffCompression != 8) Params.TiffCompression = 0;
    if (quantizer->AllGray()) Params.TiffPhotometric = 1;
  }
  if (Params.TiffPhotometric == 3 && Params.SamplesPerPixel > 1) Params.TiffPhotometric = 2;
  if (Params.BitsPerSample > 8) {
    Params.SamplesPerPixel = 3;
    Params.BitsPerSample = 8;
    Params.TiffPhotometric = 2;
  }
  if (Params.TiffPhotometric <= 1 && Params.BitsPerSample == 8 && Params.SamplesPerPixel == 3)
    Params.TiffPhotometric = 2;
  if (Params.TiffPhotometric == 2 && Params.SamplesPerPixel == 1 && Params.BitsPerSample == 1)
    Params.TiffPhotometric = 1;
  if (Params.TiffPhotometric == 6 && Params.TiffCompression != 7) Params.TiffPhotometric = 2;

  switch (Params.TiffPhotometric) {
    case 0:
    case 1: s.Photometric = kBlackIsZero; break;
    case 3: s.Photometric = kPalette; break;
    case 5: s.Photometric = kSeparated; break;
    case 7: s.Photometric = kCIELab; break;
    default: s.Photometric = kRGB;
  }
  // Grey and palette rows come from the quantizer: without one (more than one
  // sample, or a depth it does not make) the picture goes out as RGB.
  if (!oneBit && (s.Photometric == kBlackIsZero || s.Photometric == kPalette) && !quantizer) {
    s.Photometric = kRGB;
    Params.TiffPhotometric = 2;
  }
  s.Quantizer = quantizer.get();
  // Only palette and grey rows pack other depths; every other 24-bit kind
  // has 8-bit samples.
  s.BitsPerSample = oneBit ? 1 : quantizer ? Params.BitsPerSample : 8;

  bool invert = false;
  switch (Params.TiffCompression) {
    case 1:
    case 2:
    case 3:
    case 4:
      if (oneBit) {
        s.Compression = Params.TiffCompression == 1 ? kCcittMH : Params.TiffCompression == 4 ? kCcittG4 : kCcittG3;
        s.TwoDimensional = Params.TiffCompression == 3;
        s.Photometric = kWhiteIsZero;
        invert = true;
      }
      break;
    case 5:
      s.Compression = s.Lzw ? kLzw : kNone;
      s.Predictor = s.Lzw ? 2 : 1;
      break;
    case 7:
      // A 1-bit picture has no JPEG form: it goes out uncompressed.
      if (!oneBit) {
        s.Compression = kJpeg;
        s.Photometric = kYCbCr;
        s.JpegQuality = Params.TiffJpegQuality;
      }
      break;
    case 8: s.Compression = kPackBits; break;
    default: break;
  }
  if (!(s.Photometric == kRGB && !oneBit && s.BitsPerSample == 8)) s.Predictor = 1;
  if (invert) {
    if (!copy) convertedCopy(ipkBW1);
    InvertBitmapBits(work);
  }

  const Int64 start = Stream->Position();
  const Int64 base = PositionRelative ? start : 0;
  const Byte placeholder[8] = {};
  StreamWriteChecked(Stream, abort, placeholder, 8);

  const Integer width = work->Width(), height = work->Height();
  TTiffEntries entries(Stream, base, abort);
  entries.AddLong(256, Cardinal(width));
  entries.AddLong(257, Cardinal(height));
  const bool indexed = s.Photometric == kBlackIsZero || s.Photometric == kPalette;
  if (oneBit)
    entries.AddShort(258, 1);
  else if (indexed)
    entries.AddShort(258, Word(s.BitsPerSample));
  else if (s.Photometric == kSeparated)
    entries.AddShorts(258, {8, 8, 8, 8});
  else
    entries.AddShorts(258, {8, 8, 8});
  entries.AddShort(259, Word(s.Compression));
  if (oneBit)
    entries.AddShort(262, Word(invert ? kWhiteIsZero : kBlackIsZero));
  else
    entries.AddShort(262, Word(s.Photometric));
  entries.AddAscii(269, Params.TiffDocumentName);
  entries.AddAscii(270, Params.TiffImageDescription);
  const Int64 stripOffset = Stream->Position();
  entries.AddLong(273, Cardinal(stripOffset - base));

  WriteTiffPixels(Stream, work, s, Progress, abort);
  if (abort) return 1;
  const Int64 stripBytes = Stream->Position() - stripOffset;

  entries.AddShort(277, Word(oneBit || indexed ? 1 : s.Photometric == kSeparated ? 4 : 3));
  entries.AddLong(278, Cardinal(height));
  entries.AddLong(279, Cardinal(stripBytes));
  if (s.Predictor == 2) entries.AddShort(317, 2);
  entries.AddRational(282, Cardinal(Params.DpiX), 1);
  entries.AddRational(283, Cardinal(Params.DpiY), 1);
  entries.AddAscii(285, Params.TiffPageName);
  entries.AddRational(286, Cardinal(Int64(Params.TiffXPosition) * 10000), 10000);
  entries.AddRational(287, Cardinal(Int64(Params.TiffYPosition) * 10000), 10000);
  if (s.Compression == kCcittG3) entries.AddLong(292, s.TwoDimensional ? 1 : 0);
  entries.AddShort(296, 2);
  if (Params.TiffPageNumber != 0 || Params.TiffPageCount != 0) {
    entries.AddShorts(297, {Word(Params.TiffPageNumber), Word(Params.TiffPageCount)});
  }
  if (Params.IptcInfo.Count() > 0) entries.AddIptc(33723, Params.IptcInfo.WriteDatasets(false));
  if (s.Photometric == kPalette) {
    const Integer n = 1 << s.BitsPerSample;
    std::vector<Word> map(size_t(3 * n));
    for (Integer i = 0; i < n; ++i) {
      // 65535 is full intensity: 255 x 257.
      map[size_t(i)] = Word(palette[i].Red * 257);
      map[size_t(n + i)] = Word(palette[i].Green * 257);
      map[size_t(2 * n + i)] = Word(palette[i].Blue * 257);
    }
    entries.AddShorts(320, map);
  }

  if ((Stream->Position() - base) & 1) {
    const Byte zero = 0;
    StreamWriteChecked(Stream, abort, &zero, 1);
  }
  const Int64 directory = Stream->Position();
  Stream->SetPosition(start);
  Byte header[8] = {'I', 'I'};
  PutLe16(header + 2, 42);
  PutLe32(header + 4, Cardinal(directory - base));
  StreamWriteChecked(Stream, abort, header, 8);
  Stream->SetPosition(directory);
  entries.WriteDirectory();
  return 1;
}
