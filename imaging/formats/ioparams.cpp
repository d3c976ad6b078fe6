#include "imaging/formats/ioparams.h"

#include <cstring>

#include "gif/GIFLZWHooks.h"

// GIF pixels go through the GIF library's LZW coder unless an application sets other hooks.
TGifLzwDecoder DefaultGifLzwDecoder = GIFLZWDecodeIndices;
TGifLzwEncoder DefaultGifLzwEncoder = GIFLZWEncodeIndices;
TTiffLzwDecoder DefaultTiffLzwDecoder = nullptr;
TTiffLzwEncoder DefaultTiffLzwEncoder = nullptr;
Integer IEDefaultDpiX = 0;
Integer IEDefaultDpiY = 0;

TIOParamsVals::TIOParamsVals(TRuzozAdIO* AOwner) : Owner(AOwner) { ResetDefaults(); }

TIOParamsVals::~TIOParamsVals() = default;

void TIOParamsVals::FreePalette() {
  Palette.reset();
  PaletteCount = 0;
}

void TIOParamsVals::SetPalette(const TIEColorTriple* Entries, Integer Count) {
  Palette.reset();
  PaletteCount = Count > 0 ? Count : 0;
  if (PaletteCount > 0) {
    Palette.reset(new TIEColorTriple[static_cast<size_t>(PaletteCount)]);
    if (Entries) std::memcpy(Palette.get(), Entries, static_cast<size_t>(PaletteCount) * 3);
  }
}

void TIOParamsVals::ResetDefaults() {
  FreePalette();
  FileName.clear();
  FileType = 0;
  BitsPerSample = 8;
  SamplesPerPixel = 3;
  if (Owner) IOParamsTakeOwnerDefaults(Owner, *this);

  GifVersion = "GIF89a";
  GifImageIndex = 0;
  GifXPosition = 0;
  GifYPosition = 0;
  GifDelay = 0;
  GifHasTransparency = false;
  GifTransparentColor = TIEColorTriple{};
  GifInterlaced = false;
  GifScreenWidth = 0;
  GifScreenHeight = 0;
  GifBackgroundColor = TIEColorTriple{};
  GifAspectRatio = 0;
  GifLzwDecoder = DefaultGifLzwDecoder;
  GifLzwEncoder = DefaultGifLzwEncoder;
  GifImageCount = 0;
  GifComments.Clear();

  TiffCompression = 0;
  TiffPageIndex = 0;
  TiffPhotometric = 2;
  TiffPlanarConfig = 1;
  TiffXPosition = 0;
  TiffYPosition = 0;
  TiffDocumentName.clear();
  TiffImageDescription.clear();
  TiffPageName.clear();
  TiffPageNumber = 0;
  TiffPageCount = 0;
  TiffOrientation = 1;
  TiffLzwDecoder = DefaultTiffLzwDecoder;
  TiffLzwEncoder = DefaultTiffLzwEncoder;
  TiffApplyOrientation = false;
  TiffJpegQuality = 80;
  TiffImageCount = 0;

  JpegColorSpace = 2;
  JpegQuality = 80;
  JpegDctMethod = 0;
  JpegOptimalHuffman = false;
  JpegSmoothing = 0;
  JpegProgressive = false;
  JpegScaleMode = 1;
  JpegMarkers.ClearMarkers();
  JpegScaleUsed = 1;
  JpegOriginalWidth = 0;
  JpegOriginalHeight = 0;

  J2kColorSpace = 1;
  J2kRate = 1.0;
  J2kProgression = 0;
  PcxVersion = 5;
  PcxCompression = 1;
  BmpVersion = 1;
  BmpCompression = 0;
  IcoImageIndex = 0;
  IcoBackground = TIEColorTriple{255, 255, 255};
  CurImageIndex = 0;
  CurHotSpotX = 0;
  CurHotSpotY = 0;
  CurBackground = TIEColorTriple{255, 255, 255};
  PngInterlaced = false;
  PngBackground = TIEColorTriple{};
  PngFilter = 0;
  PngCompression = 5;

  TgaXOrigin = 0;
  TgaYOrigin = 0;
  TgaCompression = true;
  TgaImageId.clear();
  TgaAuthor.clear();
  TgaTimeStamp = Date();
  TgaJobName.clear();
  TgaKeyColor = TIEColorTriple{};
  TgaAspectRatio = 1.0;
  TgaGamma = 2.2;
  TgaGrayscale = false;

  IptcInfo.ClearDatasets();
  PnmComments.Clear();
  ClearExif();
}

void TIOParamsVals::ClearPerImage() {
  IptcInfo.ClearDatasets();
  JpegMarkers.ClearMarkers();
  ClearExif();
  GifComments.Clear();
  TiffDocumentName.clear();
  TiffImageDescription.clear();
  TiffPageName.clear();
  TgaImageId.clear();
  TgaAuthor.clear();
  TgaJobName.clear();
  PnmComments.Clear();
}

void TIOParamsVals::ClearExif() {
  ExifPresent = false;
  ExifThumbnail.reset();
  for (std::string* s : {&ExifImageDescription, &ExifMake, &ExifModel, &ExifSoftware, &ExifDateTime, &ExifCopyright,
                         &ExifVersion, &ExifDateTimeOriginal, &ExifDateTimeDigitized, &ExifSubsecTime,
                         &ExifSubsecTimeOriginal, &ExifSubsecTimeDigitized, &ExifFlashPixVersion,
                         &ExifRelatedSoundFile, &ExifUserComment, &ExifUserCommentCode})
    s->clear();
  for (Integer* i : {&ExifOrientation, &ExifResolutionUnit, &ExifYCbCrPositioning, &ExifExposureProgram,
                     &ExifIsoSpeedRatings[0], &ExifIsoSpeedRatings[1], &ExifMeteringMode, &ExifLightSource,
                     &ExifFlash, &ExifColorSpace, &ExifPixelXDimension, &ExifPixelYDimension,
                     &ExifFocalPlaneResolutionUnit, &ExifSensingMethod, &ExifFileSource, &ExifSceneType})
    *i = 0;
  for (double* d : {&ExifXResolution, &ExifYResolution, &ExifExposureTime, &ExifFNumber,
                    &ExifCompressedBitsPerPixel, &ExifShutterSpeedValue, &ExifApertureValue, &ExifBrightnessValue,
                    &ExifExposureBiasValue, &ExifMaxApertureValue, &ExifSubjectDistance, &ExifFocalLength,
                    &ExifFocalPlaneXResolution, &ExifFocalPlaneYResolution, &ExifExposureIndex})
    *d = 0;
  for (double& d : ExifWhitePoint) d = 0;
  for (double& d : ExifPrimaryChromaticities) d = 0;
  for (double& d : ExifYCbCrCoefficients) d = 0;
  for (double& d : ExifReferenceBlackWhite) d = 0;
}

void TIOParamsVals::CopyExifValues(const TIOParamsVals* s) {
  ExifImageDescription = s->ExifImageDescription;
  ExifMake = s->ExifMake;
  ExifModel = s->ExifModel;
  ExifOrientation = s->ExifOrientation;
  ExifXResolution = s->ExifXResolution;
  ExifYResolution = s->ExifYResolution;
  ExifResolutionUnit = s->ExifResolutionUnit;
  ExifSoftware = s->ExifSoftware;
  ExifDateTime = s->ExifDateTime;
  std::memcpy(ExifWhitePoint, s->ExifWhitePoint, sizeof ExifWhitePoint);
  std::memcpy(ExifPrimaryChromaticities, s->ExifPrimaryChromaticities, sizeof ExifPrimaryChromaticities);
  std::memcpy(ExifYCbCrCoefficients, s->ExifYCbCrCoefficients, sizeof ExifYCbCrCoefficients);
  ExifYCbCrPositioning = s->ExifYCbCrPositioning;
  std::memcpy(ExifReferenceBlackWhite, s->ExifReferenceBlackWhite, sizeof ExifReferenceBlackWhite);
  ExifCopyright = s->ExifCopyright;
  ExifExposureTime = s->ExifExposureTime;
  ExifFNumber = s->ExifFNumber;
  ExifExposureProgram = s->ExifExposureProgram;
  std::memcpy(ExifIsoSpeedRatings, s->ExifIsoSpeedRatings, sizeof ExifIsoSpeedRatings);
  ExifVersion = s->ExifVersion;
  ExifDateTimeOriginal = s->ExifDateTimeOriginal;
  ExifDateTimeDigitized = s->ExifDateTimeDigitized;
  ExifCompressedBitsPerPixel = s->ExifCompressedBitsPerPixel;
  ExifShutterSpeedValue = s->ExifShutterSpeedValue;
  ExifApertureValue = s->ExifApertureValue;
  ExifBrightnessValue = s->ExifBrightnessValue;
  ExifExposureBiasValue = s->ExifExposureBiasValue;
  ExifMaxApertureValue = s->ExifMaxApertureValue;
  ExifSubjectDistance = s->ExifSubjectDistance;
  ExifMeteringMode = s->ExifMeteringMode;
  ExifLightSource = s->ExifLightSource;
  ExifFlash = s->ExifFlash;
  ExifFocalLength = s->ExifFocalLength;
  ExifSubsecTime = s->ExifSubsecTime;
  ExifSubsecTimeOriginal = s->ExifSubsecTimeOriginal;
  ExifSubsecTimeDigitized = s->ExifSubsecTimeDigitized;
  ExifFlashPixVersion = s->ExifFlashPixVersion;
  ExifColorSpace = s->ExifColorSpace;
  ExifPixelXDimension = s->ExifPixelXDimension;
  ExifPixelYDimension = s->ExifPixelYDimension;
  ExifRelatedSoundFile = s->ExifRelatedSoundFile;
  ExifFocalPlaneXResolution = s->ExifFocalPlaneXResolution;
  ExifFocalPlaneYResolution = s->ExifFocalPlaneYResolution;
  ExifFocalPlaneResolutionUnit = s->ExifFocalPlaneResolutionUnit;
  ExifExposureIndex = s->ExifExposureIndex;
  ExifSensingMethod = s->ExifSensingMethod;
  ExifFileSource = s->ExifFileSource;
  ExifSceneType = s->ExifSceneType;
  ExifUserComment = s->ExifUserComment;
  ExifUserCommentCode = s->ExifUserCommentCode;
}

void TIOParamsVals::CopyFrom(const TIOParamsVals* s) {
  if (s == nullptr || s == this) return;
  FileName = s->FileName;
  FileType = s->FileType;
  BitsPerSample = s->BitsPerSample;
  SamplesPerPixel = s->SamplesPerPixel;
  Width = s->Width;
  Height = s->Height;
  DpiX = s->DpiX;
  DpiY = s->DpiY;
  // The count follows the source even when it has no palette block.
  Palette.reset();
  if (s->Palette && s->PaletteCount > 0) SetPalette(s->Palette.get(), s->PaletteCount);
  PaletteCount = s->PaletteCount;

  TiffCompression = s->TiffCompression;
  TiffPageIndex = s->TiffPageIndex;
  TiffPhotometric = s->TiffPhotometric;
  TiffPlanarConfig = s->TiffPlanarConfig;
  TiffXPosition = s->TiffXPosition;
  TiffYPosition = s->TiffYPosition;
  TiffDocumentName = s->TiffDocumentName;
  TiffImageDescription = s->TiffImageDescription;
  TiffPageName = s->TiffPageName;
  TiffPageNumber = s->TiffPageNumber;
  TiffPageCount = s->TiffPageCount;
  TiffOrientation = s->TiffOrientation;
  TiffLzwDecoder = s->TiffLzwDecoder;
  TiffLzwEncoder = s->TiffLzwEncoder;
  TiffApplyOrientation = s->TiffApplyOrientation;
  TiffJpegQuality = s->TiffJpegQuality;
  TiffImageCount = s->TiffImageCount;

  GifVersion = s->GifVersion;
  GifImageIndex = s->GifImageIndex;
  GifXPosition = s->GifXPosition;
  GifYPosition = s->GifYPosition;
  GifDelay = s->GifDelay;
  GifHasTransparency = s->GifHasTransparency;
  GifTransparentColor = s->GifTransparentColor;
  GifInterlaced = s->GifInterlaced;
  GifScreenWidth = s->GifScreenWidth;
  GifScreenHeight = s->GifScreenHeight;
  GifBackgroundColor = s->GifBackgroundColor;
  GifAspectRatio = s->GifAspectRatio;
  GifLzwDecoder = s->GifLzwDecoder;
  GifLzwEncoder = s->GifLzwEncoder;
  GifImageCount = s->GifImageCount;

  JpegColorSpace = s->JpegColorSpace;
  JpegQuality = s->JpegQuality;
  JpegDctMethod = s->JpegDctMethod;
  JpegOptimalHuffman = s->JpegOptimalHuffman;
  JpegSmoothing = s->JpegSmoothing;
  JpegProgressive = s->JpegProgressive;
  JpegScaleMode = s->JpegScaleMode;
  JpegScaleUsed = s->JpegScaleUsed;
  JpegOriginalWidth = s->JpegOriginalWidth;
  JpegOriginalHeight = s->JpegOriginalHeight;

  J2kColorSpace = s->J2kColorSpace;
  J2kRate = s->J2kRate;
  J2kProgression = s->J2kProgression;
  PcxVersion = s->PcxVersion;
  PcxCompression = s->PcxCompression;
  BmpVersion = s->BmpVersion;
  BmpCompression = s->BmpCompression;
  IcoImageIndex = s->IcoImageIndex;
  IcoBackground = s->IcoBackground;
  CurImageIndex = s->CurImageIndex;
  CurHotSpotX = s->CurHotSpotX;
  CurHotSpotY = s->CurHotSpotY;
  CurBackground = s->CurBackground;
  PngInterlaced = s->PngInterlaced;
  PngBackground = s->PngBackground;
  PngFilter = s->PngFilter;
  PngCompression = s->PngCompression;

  TgaXOrigin = s->TgaXOrigin;
  TgaYOrigin = s->TgaYOrigin;
  TgaCompression = s->TgaCompression;
  TgaImageId = s->TgaImageId;
  TgaAuthor = s->TgaAuthor;
  TgaTimeStamp = s->TgaTimeStamp;
  TgaJobName = s->TgaJobName;
  TgaKeyColor = s->TgaKeyColor;
  TgaAspectRatio = s->TgaAspectRatio;
  TgaGamma = s->TgaGamma;
  TgaGrayscale = s->TgaGrayscale;

  GifComments.Assign(const_cast<TStringList*>(&s->GifComments));
  PnmComments.Assign(const_cast<TStringList*>(&s->PnmComments));
  JpegMarkers.AssignFrom(&s->JpegMarkers);
  IptcInfo.AssignFrom(&s->IptcInfo);

  ExifPresent = s->ExifPresent;
  if (s->ExifThumbnail) {
    if (!ExifThumbnail) ExifThumbnail = std::make_unique<TIEBitmap>();
    ExifThumbnail->CopyFromObject(s->ExifThumbnail.get());
  }
  CopyExifValues(s);
}
