// TIOParamsVals: everything about an image file that is not pixels. Readers
// fill it with what they found; writers take their options from it. Fields are
// plain public members, grouped by format in a fixed order.
#pragma once

#include <memory>
#include <string>

#include "imaging/buffer/hyieutils.h"
#include "imaging/formats/iemarkers.h"
#include "platform/Classes.h"
#include "platform/SysUtils.h"

class TRuzozAdIO;

// LZW hooks. The GIF defaults are the GIF library's coder (gif/GIFLZWHooks.h);
// the TIFF ones start nil. A filter that needs a hook and finds none sets the
// abort flag.
//
// GIF decoder: the stream stands at the LZW minimum code size byte; fills
// Width x Height indices (rows from the top, de-interlaced) and leaves the
// stream after the image's sub-blocks and terminator.
using TGifLzwDecoder = void (*)(TStream* Stream, Integer Height, Integer Width, Byte* Indices, bool Interlaced);
// GIF encoder: writes the code size byte, the sub-blocks and the terminator.
using TGifLzwEncoder = void (*)(TStream* Stream, Integer Height, Integer Width, Integer BitsPerPixel,
                                const Byte* Indices, bool Interlaced);
// TIFF decoder: called once per row with the strip's compressed bytes (and
// their count, so the hook never reads past them) and returns one decoded row
// or nil on failure; after the last row of a strip it is called with (nil, 0, 0).
using TTiffLzwDecoder = Byte* (*)(const Byte* Strip, Integer StripSize, Integer RowLength, void*& State);
// TIFF encoder: called once per row, then with (nil, 0) to finish.
using TTiffLzwEncoder = void (*)(const Byte* Row, Integer RowLength, TStream* Stream, void*& State);

extern TGifLzwDecoder DefaultGifLzwDecoder;
extern TGifLzwEncoder DefaultGifLzwEncoder;
extern TTiffLzwDecoder DefaultTiffLzwDecoder;
extern TTiffLzwEncoder DefaultTiffLzwEncoder;

// The screen resolution in dots per inch, stored by readers when a file gives
// none and written by the JPEG writer when the parameters hold 0. Set once at
// program start by the views; 0 before that.
extern Integer IEDefaultDpiX;
extern Integer IEDefaultDpiY;

class TIOParamsVals : public TObject {
 public:
  T_CLASSNAME(TIOParamsVals)
  explicit TIOParamsVals(TRuzozAdIO* AOwner = nullptr);
  ~TIOParamsVals() override;

  // Every field to its default (the owner's target size and view resolution when it has them).
  void ResetDefaults();
  // Empties what must not survive from one image to the next: IPTC, markers,
  // EXIF, comments and the TIFF and Targa texts. Every load calls it first.
  void ClearPerImage();
  void ClearExif();
  // Copies every field but the owner and the two JPEG warning fields.
  void CopyFrom(const TIOParamsVals* Source);

  // Palette helpers: PaletteCount entries of blue, green, red.
  void FreePalette();
  void SetPalette(const TIEColorTriple* Entries, Integer Count);

  TRuzozAdIO* Owner = nullptr;
  Integer BitsPerSample = 8;
  Integer SamplesPerPixel = 3;
  Integer Width = 0;
  Integer Height = 0;
  Integer DpiX = 0;
  Integer DpiY = 0;
  Integer FileType = 0;

  // TIFF.
  Byte TiffCompression = 0;
  Integer TiffPageIndex = 0;
  Byte TiffPhotometric = 2;
  Integer TiffPlanarConfig = 1;
  Integer TiffXPosition = 0;
  Integer TiffYPosition = 0;
  std::string TiffDocumentName;
  std::string TiffImageDescription;
  std::string TiffPageName;
  Integer TiffPageNumber = 0;
  Integer TiffPageCount = 0;
  Integer TiffOrientation = 1;
  TTiffLzwDecoder TiffLzwDecoder = nullptr;
  TTiffLzwEncoder TiffLzwEncoder = nullptr;
  bool TiffApplyOrientation = false;
  Integer TiffJpegQuality = 80;

  // GIF.
  std::string GifVersion = "GIF89a";
  Integer GifImageIndex = 0;
  Integer GifXPosition = 0;
  Integer GifYPosition = 0;
  Integer GifDelay = 0;
  bool GifHasTransparency = false;
  TIEColorTriple GifTransparentColor;
  bool GifInterlaced = false;
  Integer GifScreenWidth = 0;
  Integer GifScreenHeight = 0;
  TIEColorTriple GifBackgroundColor;
  Integer GifAspectRatio = 0;
  TStringList GifComments;
  TGifLzwDecoder GifLzwDecoder = nullptr;
  TGifLzwEncoder GifLzwEncoder = nullptr;

  // JPEG.
  Byte JpegColorSpace = 2;  // 0 RGB, 1 grey, 2 YCbCr, 3 CMYK, 4 YCbCrK
  Integer JpegQuality = 80;
  Byte JpegDctMethod = 0;   // 0 slow integer, 1 fast integer, 2 floating point
  bool JpegOptimalHuffman = false;
  Integer JpegSmoothing = 0;
  bool JpegProgressive = false;
  Byte JpegScaleMode = 1;   // 0 automatic, 1 full, 2 half, 3 quarter, 4 eighth
  TIEMarkerList JpegMarkers;
  Integer JpegScaleUsed = 1;
  Integer JpegWarningCount = 0;  // not reset: set by every JPEG read
  Integer JpegWarningCode = 0;
  Integer JpegOriginalWidth = 0;
  Integer JpegOriginalHeight = 0;

  // JPEG-2000, PCX, BMP, icon, cursor, PNG.
  Byte J2kColorSpace = 1;  // 0 grey, 1 RGB, 2 YCbCr
  double J2kRate = 1.0;
  Byte J2kProgression = 0;  // 0 LRCP, 1 RLCP
  Integer PcxVersion = 5;
  Byte PcxCompression = 1;
  Byte BmpVersion = 1;  // 1 40-byte header, 2 12-byte core header, 3 64-byte header, 0 other
  Byte BmpCompression = 0;
  Integer IcoImageIndex = 0;
  TIEColorTriple IcoBackground{255, 255, 255};
  Integer CurImageIndex = 0;
  Integer CurHotSpotX = 0;
  Integer CurHotSpotY = 0;
  TIEColorTriple CurBackground{255, 255, 255};
  bool PngInterlaced = false;
  TIEColorTriple PngBackground;
  Byte PngFilter = 0;  // 0 none, 1 sub, 2 Paeth, other: the codec's choice
  Integer PngCompression = 5;

  // Targa, IPTC, PNM.
  Integer TgaXOrigin = 0;
  Integer TgaYOrigin = 0;
  bool TgaCompression = true;
  std::string TgaImageId;
  std::string TgaAuthor;
  TDateTime TgaTimeStamp = 0;
  std::string TgaJobName;
  TIEColorTriple TgaKeyColor;
  double TgaAspectRatio = 1.0;
  double TgaGamma = 2.2;
  bool TgaGrayscale = false;
  TIEIPTCInfoList IptcInfo;
  TStringList PnmComments;

  // EXIF (the tag number each holds is in the comment).
  bool ExifPresent = false;
  std::unique_ptr<TIEBitmap> ExifThumbnail;
  std::string ExifImageDescription;   // 270
  std::string ExifMake;               // 271
  std::string ExifModel;              // 272
  Integer ExifOrientation = 0;        // 274
  double ExifXResolution = 0;         // 282
  double ExifYResolution = 0;         // 283
  Integer ExifResolutionUnit = 0;     // 296: 2 inches, 3 centimetres
  std::string ExifSoftware;           // 305
  std::string ExifDateTime;           // 306
  double ExifWhitePoint[2] = {};      // 318
  double ExifPrimaryChromaticities[6] = {};  // 319
  double ExifYCbCrCoefficients[3] = {};      // 529
  Integer ExifYCbCrPositioning = 0;          // 531
  double ExifReferenceBlackWhite[6] = {};    // 532
  std::string ExifCopyright;                 // 33432
  double ExifExposureTime = 0;               // 33434
  double ExifFNumber = 0;                    // 33437
  Integer ExifExposureProgram = 0;           // 34850
  Integer ExifIsoSpeedRatings[2] = {};       // 34855
  std::string ExifVersion;                   // 36864
  std::string ExifDateTimeOriginal;          // 36867
  std::string ExifDateTimeDigitized;         // 36868
  double ExifCompressedBitsPerPixel = 0;     // 37122
  double ExifShutterSpeedValue = 0;          // 37377
  double ExifApertureValue = 0;              // 37378
  double ExifBrightnessValue = 0;            // 37379
  double ExifExposureBiasValue = 0;          // 37380
  double ExifMaxApertureValue = 0;           // 37381
  double ExifSubjectDistance = 0;            // 37382
  Integer ExifMeteringMode = 0;              // 37383
  Integer ExifLightSource = 0;               // 37384
  Integer ExifFlash = 0;                     // 37385
  double ExifFocalLength = 0;                // 37386
  std::string ExifSubsecTime;                // 37520
  std::string ExifSubsecTimeOriginal;        // 37521
  std::string ExifSubsecTimeDigitized;       // 37522
  std::string ExifFlashPixVersion;           // 40960
  Integer ExifColorSpace = 0;                // 40961
  Integer ExifPixelXDimension = 0;           // 40962
  Integer ExifPixelYDimension = 0;           // 40963
  std::string ExifRelatedSoundFile;          // 40964
  double ExifFocalPlaneXResolution = 0;      // 41486
  double ExifFocalPlaneYResolution = 0;      // 41487
  Integer ExifFocalPlaneResolutionUnit = 0;  // 41488
  double ExifExposureIndex = 0;              // 41493
  Integer ExifSensingMethod = 0;             // 41495
  Integer ExifFileSource = 0;                // 41728
  Integer ExifSceneType = 0;                 // 41729
  std::string ExifUserComment;               // 37510, after its first 8 characters
  std::string ExifUserCommentCode;           // 37510, the first 8 characters

  // Tail.
  std::string FileName;
  std::unique_ptr<TIEColorTriple[]> Palette;
  Integer PaletteCount = 0;
  Integer GifImageCount = 0;
  Integer TiffImageCount = 0;

  // The EXIF fields of Source (all but ExifPresent and ExifThumbnail).
  void CopyExifValues(const TIOParamsVals* Source);
};

// Called by ResetDefaults when there is an owner: the owner's target bitmap
// size and its attached view's resolution (defined with TRuzozAdIO).
void IOParamsTakeOwnerDefaults(TRuzozAdIO* Owner, TIOParamsVals& Params);
