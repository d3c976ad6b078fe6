// EXIF block reader: the TIFF structure inside an APP1 "Exif" marker, read
// twice by the TIFF reader (tags, then the thumbnail directory).
#include "imaging/formats/ieexif.h"

#include <cstring>
#include <memory>

#include "imaging/formats/tiffilt.h"

bool ReadExifBlock(const void* Data, Integer Length, TIOParamsVals& Params) {
  const Byte* d = static_cast<const Byte*>(Data);
  if (!d || Length < 5 || std::memcmp(d, "Exif", 4) != 0 || d[4] != 0) return false;
  TIOParamsVals scratch(Params.Owner);
  TMemoryStream stream;
  if (Length > 6) stream.Write(d + 6, Length - 6);
  stream.SetPosition(0);
  bool aborting = false;
  TIEProgressRecord progress;
  progress.Abort = &aborting;
  if (!Params.ExifThumbnail) {
    Params.ExifThumbnail = std::make_unique<TIEBitmap>();
    Params.ExifThumbnail->SetLocation(islMemory);
  }
  Integer count = 0;
  std::unique_ptr<TIEMask> noAlpha;
  ReadTiffStream(Params.ExifThumbnail.get(), &stream, count, true, false, noAlpha, false, progress, scratch);
  Params.ExifPresent = true;
  Params.CopyExifValues(&scratch);
  Params.ExifImageDescription = scratch.TiffImageDescription;
  scratch.TiffPageIndex = 1;
  stream.SetPosition(0);
  aborting = false;
  ReadTiffStream(Params.ExifThumbnail.get(), &stream, count, true, false, noAlpha, false, progress, scratch);
  return true;
}
