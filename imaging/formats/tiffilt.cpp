// TIFF reader: header, directory chain, tags, parameters, EXIF, IPTC,
// resolution and orientation. Pixels: tiffilt_decode.cpp.
#include "imaging/formats/tiffilt.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "imaging/buffer/ruzozadproc.h"
#include "imaging/formats/iefmtutil.h"
#include "imaging/formats/jpegfilt.h"

// ---------------------------------------------------------------------------
// Directory reader.

Integer TiffTypeSize(Word Type) {
  switch (Type) {
    case 1: case 2: case 6: case 7: return 1;   // BYTE ASCII SBYTE UNDEFINED
    case 3: case 8: return 2;                   // SHORT SSHORT
    case 4: case 9: case 11: case 13: return 4; // LONG SLONG FLOAT IFD
    case 5: case 10: case 12: return 8;         // RATIONAL SRATIONAL DOUBLE
    default: return 0;
  }
}

TTiffDirReader::TTiffDirReader(TStream* Stream, bool LittleEndian, Int64 Base)
    : stream_(Stream), le_(LittleEndian), base_(Base), size_(Stream->Size()) {}

Word TTiffDirReader::U16(const Byte* P) const { return le_ ? Word(P[0] | (P[1] << 8)) : Word((P[0] << 8) | P[1]); }

Cardinal TTiffDirReader::U32(const Byte* P) const {
  return le_ ? iefmt::Le32(P)
             : (Cardinal(P[0]) << 24) | (Cardinal(P[1]) << 16) | (Cardinal(P[2]) << 8) | Cardinal(P[3]);
}

const TTiffEntry* TTiffDirReader::Find(Word Tag) const {
  for (const TTiffEntry& e : entries_)
    if (e.Tag == Tag) return &e;
  return nullptr;
}

bool TTiffDirReader::Place(const TTiffEntry& E, Int64& Position, Int64& Length) const {
  const Integer ts = TiffTypeSize(E.Type);
  if (ts == 0) return false;
  Length = Int64(E.Count) * ts;
  if (Length <= 4) {
    Position = -1;  // inline: the value field itself
    return true;
  }
  Position = base_ + Int64(U32(E.Field));
  return Position >= 0 && Position <= size_ && Length <= size_ - Position;
}

bool TTiffDirReader::Bytes(const TTiffEntry& E, std::vector<Byte>& Out) const {
  Out.clear();
  Int64 pos = 0, len = 0;
  if (!Place(E, pos, len)) return false;
  if (pos < 0) {
    Out.assign(E.Field, E.Field + len);
    return true;
  }
  Out.resize(size_t(len));
  if (len == 0) return true;
  stream_->SetPosition(pos);
  if (stream_->Read(Out.data(), Integer(len)) != Integer(len)) {
    Out.clear();
    return false;
  }
  return true;
}

namespace {

Int64 ElementValue(const TTiffDirReader& D, Word Type, const Byte* P) {
  switch (Type) {
    case 1: case 2: case 7: return P[0];
    case 6: return static_cast<signed char>(P[0]);
    case 3: return D.U16(P);
    case 8: return static_cast<int16_t>(D.U16(P));
    case 9: return static_cast<int32_t>(D.U32(P));
    default: return D.U32(P);
  }
}

}  // namespace

Int64 TTiffDirReader::Value(Word Tag, Int64 Default) const {
  const TTiffEntry* e = Find(Tag);
  if (!e || e->Count == 0) return Default;
  const Integer ts = TiffTypeSize(e->Type);
  if (ts == 0 || ts > 4) return Default;
  return ElementValue(*this, e->Type, e->Field);
}

double TTiffDirReader::Rational(Word Tag, Integer N) const {
  const TTiffEntry* e = Find(Tag);
  if (!e || N < 0 || Cardinal(N) >= e->Count) return 0;
  if (e->Type != 5 && e->Type != 10) {
    std::vector<Cardinal> a;
    if (!Array(Tag, a) || size_t(N) >= a.size()) return 0;
    return e->Type == 8 ? double(int16_t(a[size_t(N)])) : e->Type == 9 ? double(int32_t(a[size_t(N)]))
                                                                       : double(a[size_t(N)]);
  }
  Int64 pos = 0, len = 0;
  if (!Place(*e, pos, len)) return 0;
  Byte b[8];
  stream_->SetPosition(pos + 8 * Int64(N));
  if (stream_->Read(b, 8) != 8) return 0;
  // Signed, as most writers of unsigned values never come near 2^31.
  const double num = double(int32_t(U32(b)));
  double den = double(int32_t(U32(b + 4)));
  if (den == 0) den = 1;
  return num / den;
}

bool TTiffDirReader::Array(Word Tag, std::vector<Cardinal>& Out) const {
  Out.clear();
  const TTiffEntry* e = Find(Tag);
  if (!e) return false;
  const Integer ts = TiffTypeSize(e->Type);
  if (ts == 0 || ts > 4 || e->Type == 11) return false;
  std::vector<Byte> raw;
  if (!Bytes(*e, raw)) return false;
  Out.resize(e->Count);
  for (size_t i = 0; i < Out.size(); ++i) Out[i] = Cardinal(ElementValue(*this, e->Type, raw.data() + i * ts));
  return true;
}

std::string TTiffDirReader::Text(Word Tag) const {
  const TTiffEntry* e = Find(Tag);
  std::vector<Byte> raw;
  if (!e || !Bytes(*e, raw)) return std::string();
  const auto nul = std::find(raw.begin(), raw.end(), Byte(0));
  return std::string(raw.begin(), nul);
}

// ---------------------------------------------------------------------------
// Reading.

namespace {

enum : Word {
  kImageWidth = 256, kImageLength = 257, kBitsPerSample = 258, kCompression = 259, kPhotometric = 262,
  kFillOrder = 266, kDocumentName = 269, kImageDescription = 270, kMake = 271, kModel = 272, kStripOffsets = 273,
  kOrientation = 274, kSamplesPerPixel = 277, kRowsPerStrip = 278, kStripByteCounts = 279, kXResolution = 282,
  kYResolution = 283, kPlanarConfig = 284, kPageName = 285, kXPosition = 286, kYPosition = 287, kT4Options = 292,
  kResolutionUnit = 296, kPageNumber = 297, kSoftware = 305, kDateTime = 306, kPredictor = 317, kWhitePoint = 318,
  kPrimaryChromaticities = 319, kColorMap = 320, kTileWidth = 322, kTileLength = 323, kTileOffsets = 324,
  kTileByteCounts = 325, kExtraSamples = 338, kJpegTables = 347, kJpegProc = 512, kJpegIf = 513, kJpegIfLength = 514,
  kYCbCrCoefficients = 529, kYCbCrPositioning = 531, kReferenceBlackWhite = 532, kCopyright = 33432,
  kIptc = 33723, kExifIfd = 34665,
};

// Loads the entries of a directory at Base + Offset into Dir (when Load) and
// returns the offset of the next directory; false when the directory does
// not lie wholly inside the stream.
bool LoadIfd(TTiffDirReader& Dir, Int64 Offset, bool Load, Cardinal& Next) {
  TStream* s = Dir.Stream();
  const Int64 at = Dir.Base() + Offset;
  if (Offset < 0 || at + 2 > Dir.StreamSize()) return false;
  s->SetPosition(at);
  Byte b[12];
  if (s->Read(b, 2) != 2) return false;
  const Integer n = Dir.U16(b);
  const Int64 entriesEnd = at + 2 + Int64(n) * 12;
  if (entriesEnd >= Dir.StreamSize()) return false;
  if (Load) {
    Dir.Entries().clear();
    Dir.Entries().reserve(size_t(n));
    for (Integer i = 0; i < n; ++i) {
      if (s->Read(b, 12) != 12) return false;
      TTiffEntry e;
      e.Tag = Dir.U16(b);
      e.Type = Dir.U16(b + 2);
      e.Count = Dir.U32(b + 4);
      std::memcpy(e.Field, b + 8, 4);
      Dir.Entries().push_back(e);
    }
  }
  s->SetPosition(entriesEnd);
  Next = 0;
  if (s->Read(b, 4) == 4) Next = Dir.U32(b);
  return true;
}

void ReadColorMap(TTiffDirReader& Dir, TTIFFVars& V) {
  V.ColorMap.clear();
  std::vector<Cardinal> map;
  if (V.BitsPerSample > 8 || !Dir.Array(kColorMap, map)) return;
  const size_t wanted = size_t(1) << V.BitsPerSample;
  const size_t n = std::min(wanted, map.size() / 3);
  if (n == 0) return;
  V.ColorMap.assign(wanted, TIEColorTriple{0, 0, 0});
  for (size_t i = 0; i < n; ++i)
    V.ColorMap[i] = TIEColorTriple{Byte(map[2 * n + i] >> 8), Byte(map[n + i] >> 8), Byte(map[i] >> 8)};
}

void ReadIptc(TTiffDirReader& Dir, TIOParamsVals& P) {
  const TTiffEntry* e = Dir.Find(kIptc);
  std::vector<Byte> raw;
  if (!e || !Dir.Bytes(*e, raw)) {
    P.IptcInfo.ClearDatasets();
    return;
  }
  P.IptcInfo.ParseDatasets(raw.data(), Integer(raw.size()));
}

// Version tags hold up to four bytes (not NUL-terminated) in the value field.
std::string VersionText(TTiffDirReader& Dir, Word Tag) {
  const TTiffEntry* e = Dir.Find(Tag);
  if (!e) return std::string();
  std::vector<Byte> raw;
  if (!Dir.Bytes(*e, raw)) return std::string();
  return std::string(raw.begin(), raw.end());
}

void ReadMainExif(TTiffDirReader& D, TIOParamsVals& P, Integer Orientation) {
  P.ExifMake = D.Text(kMake);
  P.ExifModel = D.Text(kModel);
  P.ExifDateTime = D.Text(kDateTime);
  P.ExifOrientation = Orientation;
  P.ExifXResolution = D.Rational(kXResolution);
  P.ExifYResolution = D.Rational(kYResolution);
  P.ExifResolutionUnit = Integer(D.Value(kResolutionUnit, 2));
  P.ExifSoftware = D.Text(kSoftware);
  for (Integer i = 0; i < 2; ++i) P.ExifWhitePoint[i] = D.Rational(kWhitePoint, i);
  for (Integer i = 0; i < 6; ++i) P.ExifPrimaryChromaticities[i] = D.Rational(kPrimaryChromaticities, i);
  for (Integer i = 0; i < 3; ++i) P.ExifYCbCrCoefficients[i] = D.Rational(kYCbCrCoefficients, i);
  P.ExifYCbCrPositioning = Integer(D.Value(kYCbCrPositioning, 0));
  for (Integer i = 0; i < 6; ++i) P.ExifReferenceBlackWhite[i] = D.Rational(kReferenceBlackWhite, i);
  P.ExifCopyright = D.Text(kCopyright);
}

void ReadSubExif(TTiffDirReader& E, TIOParamsVals& P) {
  auto I = [&](Word t) { return Integer(E.Value(t, 0)); };
  auto R = [&](Word t) { return E.Rational(t); };
  P.ExifExposureTime = R(33434);
  P.ExifFNumber = R(33437);
  P.ExifExposureProgram = I(34850);
  std::vector<Cardinal> iso;
  E.Array(34855, iso);
  P.ExifIsoSpeedRatings[0] = iso.size() > 0 ? Integer(iso[0]) : 0;
  P.ExifIsoSpeedRatings[1] = iso.size() > 1 ? Integer(iso[1]) : 0;
  P.ExifVersion = VersionText(E, 36864);
  P.ExifDateTimeOriginal = E.Text(36867);
  P.ExifDateTimeDigitized = E.Text(36868);
  P.ExifCompressedBitsPerPixel = R(37122);
  P.ExifShutterSpeedValue = R(37377);
  P.ExifApertureValue = R(37378);
  P.ExifBrightnessValue = R(37379);
  P.ExifExposureBiasValue = R(37380);
  P.ExifMaxApertureValue = R(37381);
  P.ExifSubjectDistance = R(37382);
  P.ExifMeteringMode = I(37383);
  P.ExifLightSource = I(37384);
  P.ExifFlash = I(37385);
  P.ExifFocalLength = R(37386);
  const TTiffEntry* uc = E.Find(37510);
  std::vector<Byte> raw;
  if (uc && E.Bytes(*uc, raw)) {
    const std::string all(raw.begin(), raw.end());
    P.ExifUserCommentCode = all.substr(0, std::min<size_t>(8, all.size()));
    std::string rest = all.size() > 8 ? all.substr(8) : std::string();
    const size_t nul = rest.find('\0');
    if (nul != std::string::npos) rest.resize(nul);
    P.ExifUserComment = rest;
  } else {
    P.ExifUserCommentCode.clear();
    P.ExifUserComment.clear();
  }
  P.ExifSubsecTime = E.Text(37520);
  P.ExifSubsecTimeOriginal = E.Text(37521);
  P.ExifSubsecTimeDigitized = E.Text(37522);
  P.ExifFlashPixVersion = VersionText(E, 40960);
  P.ExifColorSpace = I(40961);
  P.ExifPixelXDimension = I(40962);
  P.ExifPixelYDimension = I(40963);
  P.ExifRelatedSoundFile = E.Text(40964);
  P.ExifFocalPlaneXResolution = R(41486);
  P.ExifFocalPlaneYResolution = R(41487);
  P.ExifFocalPlaneResolutionUnit = I(41488);
  P.ExifExposureIndex = R(41493);
  P.ExifSensingMethod = I(41495);
  P.ExifFileSource = I(41728);
  P.ExifSceneType = I(41729);
}

Byte ParamsCompression(Integer C, Cardinal T4Options) {
  switch (C) {
    case 1: return 0;
    case 2: return 1;
    case 3: return (T4Options & 1) ? 3 : 2;
    case 4: return 4;
    case 5: return 5;
    case 6: return 6;
    case 7: return 7;
    case 32773: return 8;
    default: return 9;
  }
}

// The most decoded bytes one byte of each compression gives in practice:
// bounds the picture a file of a given size may ask for before anything is
// allocated (a blank fax page at 600 dpi needs about 4000).
Int64 BestRatio(Integer Compression) {
  switch (Compression) {
    case 1: return 4;       // a file cut short still shows its first part
    case 32773: return 64;  // a 2-byte packet gives 128 bytes
    case 2: case 3: case 4: return 8192;
    default: return 1024;   // LZW and JPEG
  }
}

void ReadOldJpegTiff(TIEBitmap* Bitmap, TStream* S, const TTIFFVars& V, Int64 Base, TIEProgressRecord& Progress) {
  const Int64 size = S->Size();
  const Int64 from = Base + V.JpegIfOffset;
  if (from < 0 || from >= size) {
    IEFilterFail(Progress, "TIFF JPEG data lies outside the file");
    return;
  }
  Int64 len = size - from;
  if (V.JpegIfLength > 0) len = std::min(len, V.JpegIfLength);
  TMemoryStream mem;
  S->SetPosition(from);
  mem.CopyFrom(S, len);
  mem.SetPosition(0);
  TIOParamsVals fresh;
  ReadJpegStream(&mem, nullptr, Bitmap, false, false, Progress, fresh);
}

void ApplyOrientation(TIEBitmap* B, Integer O) {
  const TIEColorTriple black{0, 0, 0};
  switch (O) {
    case 2: FlipImage(B, 0); break;
    case 3: FlipImage(B, 1); FlipImage(B, 0); break;
    case 4: FlipImage(B, 1); break;
    // Stored row 0 is the left column (5) or the right column (7): a
    // transpose and the transpose turned half round.
    case 5: RotateImage(B, false, -90, black); FlipImage(B, 0); break;
    case 6: RotateImage(B, false, -90, black); break;
    case 7: RotateImage(B, false, 90, black); FlipImage(B, 0); break;
    case 8: RotateImage(B, false, 90, black); break;
    default: break;
  }
}

}  // namespace

void ReadTiffStream(TIEBitmap* Bitmap, TStream* Stream, Integer& ImageCount, bool IgnoreAlpha, bool PositionRelative,
                    std::unique_ptr<TIEMask>& Alpha, bool ParamsOnly, TIEProgressRecord& Progress,
                    TIOParamsVals& Params) {
  ImageCount = 0;
  const Int64 base = PositionRelative ? Stream->Position() : 0;
  Byte h[8];
  if (Stream->Read(h, 8) != 8 || !((h[0] == 'I' && h[1] == 'I') || (h[0] == 'M' && h[1] == 'M'))) {
    IEFilterFail(Progress, "Not a TIFF file");
    return;
  }
  TTiffDirReader dir(Stream, h[0] == 'I', base);
  const Cardinal first = dir.U32(h + 4);
  if (first == 0) return;

  // The chain: a directory met twice (a loop) or one that does not lie inside
  // the file ends it at the last good directory.
  const Integer wanted = Params.TiffPageIndex;
  bool found = false;
  std::set<Cardinal> seen;
  Cardinal offset = first;
  for (Integer k = 0; offset != 0; ++k) {
    if (!seen.insert(offset).second) break;
    Cardinal next = 0;
    if (!LoadIfd(dir, Int64(offset), k == wanted, next)) break;
    if (k == wanted) found = true;
    ++ImageCount;
    offset = next;
  }
  if (ImageCount == 0) {
    IEFilterFail(Progress, "TIFF directory lies outside the file");
    return;
  }
  if (!found) return;

  TTiffDirReader exif(Stream, dir.LittleEndian(), base);
  bool hasExif = false;
  if (dir.Has(kExifIfd)) {
    Cardinal next = 0;
    hasExif = LoadIfd(exif, dir.Value(kExifIfd, 0) & 0xFFFFFFFF, true, next);
  }

  TTIFFVars V;
  V.LittleEndian = dir.LittleEndian();
  V.Params = &Params;
  V.IgnoreAlpha = IgnoreAlpha;
  V.ImageWidth = Integer(std::clamp<Int64>(dir.Value(kImageWidth, 0), 0, 0x7FFFFFFF));
  V.ImageLength = Integer(std::clamp<Int64>(dir.Value(kImageLength, 0), 0, 0x7FFFFFFF));
  V.SamplesPerPixel = Integer(dir.Value(kSamplesPerPixel, 1));
  {
    std::vector<Cardinal> bits;
    if (dir.Array(kBitsPerSample, bits) && !bits.empty()) {
      for (Cardinal b : bits)
        if (b != bits[0]) {
          IEFilterFail(Progress, "TIFF samples of different sizes");
          return;
        }
      V.BitsPerSample = Integer(std::min<Cardinal>(bits[0], 64));
    } else {
      V.BitsPerSample = Integer(std::clamp<Int64>(dir.Value(kBitsPerSample, 1), 0, 64));
    }
  }
  V.Compression = Word(dir.Value(kCompression, 1));
  V.Photometric = Word(dir.Value(kPhotometric, 2));
  V.FillOrder = Integer(dir.Value(kFillOrder, 1));
  V.DocumentName = dir.Text(kDocumentName);
  V.ImageDescription = dir.Text(kImageDescription);
  V.Orientation = Word(dir.Value(kOrientation, 1));
  {
    const Int64 rps = dir.Value(kRowsPerStrip, V.ImageLength) & 0xFFFFFFFF;
    V.RowsPerStrip = (rps == 0xFFFFFFFF || rps == 0) ? V.ImageLength : rps;
  }
  V.XResolution = dir.Rational(kXResolution);
  V.YResolution = dir.Rational(kYResolution);
  V.PlanarConfig = Word(dir.Value(kPlanarConfig, 1));
  V.PageName = dir.Text(kPageName);
  V.XPosition = dir.Rational(kXPosition);
  V.YPosition = dir.Rational(kYPosition);
  V.T4Options = Cardinal(dir.Value(kT4Options, 0));
  V.ResolutionUnit = Integer(dir.Value(kResolutionUnit, 2));
  {
    std::vector<Cardinal> pn;
    if (dir.Array(kPageNumber, pn) && pn.size() >= 2) {
      V.PageNumber[0] = Integer(pn[0]);
      V.PageNumber[1] = Integer(pn[1]);
    }
  }
  V.Software = dir.Text(kSoftware);
  V.Predictor = Integer(dir.Value(kPredictor, 1));
  V.TileWidth = dir.Has(kTileWidth) ? dir.Value(kTileWidth, -1) & 0xFFFFFFFF : -1;
  V.TileLength = dir.Has(kTileLength) ? dir.Value(kTileLength, -1) & 0xFFFFFFFF : -1;
  V.ExtraSamples = Integer(dir.Value(kExtraSamples, 0));
  if (const TTiffEntry* e = dir.Find(kJpegTables)) dir.Bytes(*e, V.JpegTables);
  V.JpegProc = Integer(dir.Value(kJpegProc, 0));
  V.JpegIfOffset = dir.Value(kJpegIf, 0) & 0xFFFFFFFF;
  V.JpegIfLength = dir.Value(kJpegIfLength, 0) & 0xFFFFFFFF;
  if (V.SamplesPerPixel == 1 && V.BitsPerSample == 1 && V.Compression >= 1 && V.Compression <= 4 &&
      V.Photometric == 2)
    V.Photometric = 0;

  // Parameters.
  Params.BitsPerSample = V.BitsPerSample;
  Params.SamplesPerPixel = V.SamplesPerPixel;
  Params.Width = V.ImageWidth;
  Params.Height = V.ImageLength;
  Params.TiffImageCount = ImageCount;
  Params.TiffOrientation = V.Orientation;
  Params.TiffCompression = ParamsCompression(V.Compression, V.T4Options);
  if (V.Photometric <= 6)
    Params.TiffPhotometric = Byte(V.Photometric);
  else if (V.Photometric == 8)
    Params.TiffPhotometric = 7;
  Params.TiffPlanarConfig = V.PlanarConfig;
  Params.TiffDocumentName = V.DocumentName;
  Params.TiffImageDescription = V.ImageDescription;
  Params.TiffPageName = V.PageName;
  Params.TiffPageNumber = V.PageNumber[0];
  Params.TiffPageCount = V.PageNumber[1];
  ReadMainExif(dir, Params, V.Orientation);
  if (hasExif) ReadSubExif(exif, Params);
  ReadIptc(dir, Params);
  ReadColorMap(dir, V);
  Params.FreePalette();
  if (!V.ColorMap.empty()) {
    Params.SetPalette(V.ColorMap.data(), Integer(V.ColorMap.size()));
  }
  const double factor = V.ResolutionUnit == 3 ? 2.54 : 1.0;
  auto truncInt = [](double v) { return std::isfinite(v) ? Integer(std::clamp(v, -2147483647.0, 2147483647.0)) : 0; };
  Params.DpiX = truncInt(V.XResolution * factor);
  if (Params.DpiX == 0) Params.DpiX = IEDefaultDpiX;
  Params.DpiY = truncInt(V.YResolution * factor);
  if (Params.DpiY == 0) Params.DpiY = IEDefaultDpiY;
  Params.TiffXPosition = truncInt(V.XPosition * factor);
  Params.TiffYPosition = truncInt(V.YPosition * factor);

  if (V.Compression == 5) {
    V.LzwDecoder = Params.TiffLzwDecoder ? Params.TiffLzwDecoder : DefaultTiffLzwDecoder;
    if (!V.LzwDecoder) {
      IEFilterFail(Progress, "TIFF LZW compression needs an LZW decoder, and none is installed");
      return;
    }
  }
  if (ParamsOnly) return;

  // Alpha.
  const bool alphaWanted = !IgnoreAlpha && ((V.SamplesPerPixel == 4 && V.ExtraSamples == 2) ||
                                            (V.SamplesPerPixel == 2 && V.BitsPerSample == 8) ||
                                            (V.SamplesPerPixel == 4 && V.Photometric == 2));

  if (V.Compression == 6 && (V.JpegProc == 0 || V.JpegProc == 1) && dir.Has(kJpegIf)) {
    if (alphaWanted && !Alpha) Alpha = std::make_unique<TIEMask>();
    ReadOldJpegTiff(Bitmap, Stream, V, base, Progress);
    if (Alpha) {
      Alpha->AllocateMask(Bitmap->Width(), Bitmap->Height(), 8);
      Alpha->FillMask(255);
    }
  } else {
    if (V.ImageWidth <= 0 || V.ImageLength <= 0) {
      IEFilterFail(Progress, "TIFF image without a width or a height");
      return;
    }
    if (!TiffPixelFormatSupported(V)) {
      IEFilterFail(Progress, "Unsupported TIFF pixel format (photometric " + std::to_string(V.Photometric) +
                                 ", " + std::to_string(V.SamplesPerPixel) + " samples of " +
                                 std::to_string(V.BitsPerSample) + " bits, compression " +
                                 std::to_string(V.Compression) + ")");
      return;
    }
    if (V.Photometric == 3 && V.ColorMap.empty()) {
      IEFilterFail(Progress, "TIFF palette image without a colour map");
      return;
    }
    const TIEPixelKind kind = (V.SamplesPerPixel == 1 && V.BitsPerSample == 1 && V.Photometric != 3) ? ipkBW1
                                                                                                        : ipkRGB24;
    const bool tiled = V.TileWidth > 0 || V.TileLength > 0;
    if (tiled && (V.TileWidth <= 0 || V.TileLength <= 0 || V.TileWidth > IEMaxImageSide ||
                  V.TileLength > IEMaxImageSide)) {
      IEFilterFail(Progress, "Invalid TIFF tile size");
      return;
    }
    const Int64 dataBytes = std::max<Int64>(Stream->Size() - base, 0);
    const Integer bits = V.SamplesPerPixel * V.BitsPerSample;
    const Int64 ratio = BestRatio(V.Compression);
    if (!IEImageSizeAllowed(V.ImageWidth, V.ImageLength, bits, dataBytes, ratio) ||
        (tiled && !IEImageSizeAllowed(V.TileWidth, V.TileLength, bits, dataBytes, ratio))) {
      IEFilterFail(Progress, "TIFF image size does not fit its data");
      return;
    }
    auto readTable = [&](Word tag, std::vector<Cardinal>& out) {
      if (dir.Has(tag) && !dir.Array(tag, out)) {
        IEFilterFail(Progress, "TIFF strip or tile table lies outside the file");
        return false;
      }
      return true;
    };
    if (!readTable(kStripOffsets, V.StripOffsets) || !readTable(kStripByteCounts, V.StripByteCounts) ||
        !readTable(kTileOffsets, V.TileOffsets) || !readTable(kTileByteCounts, V.TileByteCounts))
      return;
    if (!IEAllocateImage(Bitmap, V.ImageWidth, V.ImageLength, kind, Progress)) return;
    // Rows the data never reaches (a short file, a missing strip or tile)
    // show what empty data shows, never an earlier picture of a reused buffer:
    // white for bilevel white-is-zero, black otherwise.
    const int empty = kind == ipkBW1 && V.Photometric == 0 ? 0xFF : 0;
    for (Integer y = 0; y < V.ImageLength; ++y)
      std::memset(Bitmap->GetRowPointer(y), empty, size_t(Bitmap->GetRowLength()));
    if (alphaWanted && !Alpha) Alpha = std::make_unique<TIEMask>();
    if (Alpha) {
      Alpha->AllocateMask(V.ImageWidth, V.ImageLength, 8);
      Alpha->FillMask(255);
      V.Alpha = Alpha.get();
    }
    if (tiled) {
      if (V.TileOffsets.empty() && !V.StripOffsets.empty()) {
        V.TileOffsets = V.StripOffsets;
        V.TileByteCounts = V.StripByteCounts;
      }
      DecodeTiffTiles(dir, V, Bitmap, Progress);
    } else if (!V.StripOffsets.empty()) {
      DecodeTiffStrips(dir, V, Bitmap, Progress);
    }
  }
  if (Params.TiffApplyOrientation && V.Orientation != 1 && !Progress.Aborted() && Bitmap->Width() > 0)
    ApplyOrientation(Bitmap, V.Orientation);
}
