// TIFF files. The reader: header, directory chain, tags and their defaults,
// the EXIF sub-directory, IPTC, resolution, orientation, and the pixel decoding
// of strips and tiles (tiffilt_decode.cpp). The writer: tiffilt_write.cpp.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "imaging/formats/iefilters.h"

// Reads image number Params.TiffPageIndex (0 = first) of the TIFF at the
// stream's position. ImageCount receives the length of the directory chain
// (a chain that loops or leaves the file ends at its last good directory).
// PositionRelative: offsets count from the stream's position, else from 0.
// Alpha: created when the image has an alpha sample (unless IgnoreAlpha) and
// nil, sized to the image and filled when given. Failure is the abort flag
// (reason in IELastFilterError); an index past the chain or a first offset of
// 0 end quietly with only ImageCount set.
void ReadTiffStream(TIEBitmap* Bitmap, TStream* Stream, Integer& ImageCount, bool IgnoreAlpha, bool PositionRelative,
                    std::unique_ptr<TIEMask>& Alpha, bool ParamsOnly, TIEProgressRecord& Progress,
                    TIOParamsVals& Params);

// One directory's entries, with their values fetched from the stream when
// asked for. Every count and offset is checked against the stream's size: a
// value that does not lie wholly inside the file reads as absent.
struct TTiffEntry {
  Word Tag = 0;
  Word Type = 0;
  Cardinal Count = 0;
  Byte Field[4] = {};  // the value field as stored (file byte order)
};

class TTiffDirReader {
 public:
  TTiffDirReader(TStream* Stream, bool LittleEndian, Int64 Base);
  bool LittleEndian() const { return le_; }
  TStream* Stream() const { return stream_; }
  Int64 Base() const { return base_; }
  Int64 StreamSize() const { return size_; }
  std::vector<TTiffEntry>& Entries() { return entries_; }

  Word U16(const Byte* P) const;
  Cardinal U32(const Byte* P) const;

  const TTiffEntry* Find(Word Tag) const;
  bool Has(Word Tag) const { return Find(Tag) != nullptr; }
  // A single integer value read by its type; Default when absent.
  Int64 Value(Word Tag, Int64 Default) const;
  // Element N of a RATIONAL (or SRATIONAL) array, denominator 0 taken as 1;
  // 0 when absent. An integer-typed tag gives its value.
  double Rational(Word Tag, Integer N = 0) const;
  // Every element of an integer array (BYTE, SHORT, LONG and their signed
  // kinds). False (Out empty) when the tag is absent or its values do not
  // lie inside the file.
  bool Array(Word Tag, std::vector<Cardinal>& Out) const;
  // ASCII text without its terminating NUL; UNDEFINED bytes the same way.
  std::string Text(Word Tag) const;
  // The raw bytes of a value (count x type size); false when outside the file.
  bool Bytes(const TTiffEntry& E, std::vector<Byte>& Out) const;
  // Absolute stream position of the value's bytes (inline values included)
  // and their length; false when they do not lie inside the file.
  bool Place(const TTiffEntry& E, Int64& Position, Int64& Length) const;

 private:
  TStream* stream_;
  bool le_;
  Int64 base_;
  Int64 size_;
  std::vector<TTiffEntry> entries_;
};

// Size in bytes of one value of a TIFF field type (0 for an unknown type).
Integer TiffTypeSize(Word Type);

// The decoding state of one image.
struct TTIFFVars {
  Integer ImageWidth = 0;
  Integer ImageLength = 0;
  Integer SamplesPerPixel = 1;
  Integer BitsPerSample = 1;
  Int64 RowsPerStrip = 0;
  Int64 TileWidth = -1;
  Int64 TileLength = -1;
  Word Photometric = 2;
  Word PlanarConfig = 1;
  Word Orientation = 1;
  Word Compression = 1;
  std::vector<Cardinal> StripOffsets;
  std::vector<Cardinal> StripByteCounts;
  std::vector<Cardinal> TileOffsets;
  std::vector<Cardinal> TileByteCounts;
  std::vector<TIEColorTriple> ColorMap;  // blue, green, red
  Integer ResolutionUnit = 2;
  double XResolution = 0;
  double YResolution = 0;
  Integer Predictor = 1;
  std::vector<Byte> JpegTables;
  Cardinal T4Options = 0;
  Integer FillOrder = 1;
  double XPosition = 0;
  double YPosition = 0;
  std::string DocumentName, ImageDescription, PageName, Software;
  Integer PageNumber[2] = {0, 0};
  Integer JpegProc = 0;
  Int64 JpegIfOffset = 0;
  Int64 JpegIfLength = 0;
  TTiffLzwDecoder LzwDecoder = nullptr;
  bool LittleEndian = true;
  TIOParamsVals* Params = nullptr;
  TIEMask* Alpha = nullptr;
  bool IgnoreAlpha = false;
  Integer ExtraSamples = 0;
};

// Pixel decoding of the strips or tiles of an allocated target (ipkBW1 or
// ipkRGB24). Failures set the abort flag with a reason.
void DecodeTiffStrips(TTiffDirReader& Dir, TTIFFVars& V, TIEBitmap* Bitmap, TIEProgressRecord& Progress);
void DecodeTiffTiles(TTiffDirReader& Dir, TTIFFVars& V, TIEBitmap* Bitmap, TIEProgressRecord& Progress);
// False when this reader has no conversion for the image's photometric,
// samples, bits, planar configuration and compression.
bool TiffPixelFormatSupported(const TTIFFVars& V);

// One CMYK pixel (255 = full ink) to blue, green, red.
void TiffCmykToBgr(const Byte* Cmyk, Byte* Bgr);

// Writes Bitmap as a one-image, one-strip little-endian TIFF at the stream's
// position, as Params' TIFF settings ask (bits and samples per pixel,
// photometric kind, compression, texts, resolution, position, page number,
// IPTC); the kind actually written goes back into Params' BitsPerSample,
// SamplesPerPixel, TiffPhotometric and TiffCompression. PositionRelative:
// offsets count from the stream's position (where the header goes, as
// ReadTiffStream reads them), else from the stream's start. A short write sets
// the abort flag and leaves the directory out. Returns the number of images
// written (1).
Integer WriteTiffStream(TStream* Stream, TIEBitmap* Bitmap, TIEProgressRecord& Progress, TIOParamsVals& Params,
                        bool PositionRelative = false);
