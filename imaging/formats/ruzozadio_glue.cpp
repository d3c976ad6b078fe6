// Per-format glue of the I/O component: JPEG metadata across a load and a
// save, the resolution adjustment, metafile import through the platform's
// metafile class, and the parameter-only reads.
#include <algorithm>
#include <cmath>

#include "imaging/buffer/ruzozadproc.h"
#include "imaging/formats/bmpfilt.h"
#include "imaging/formats/formatregistry.h"
#include "imaging/formats/giffilter.h"
#include "imaging/formats/iej2000.h"
#include "imaging/formats/iepnm.h"
#include "imaging/formats/ietgafil.h"
#include "imaging/formats/jpegfilt.h"
#include "imaging/formats/pcxfilter.h"
#include "imaging/formats/pngfilt.h"
#include "imaging/formats/ieexif.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/formats/tiffilt.h"
#include "imaging/views/ieview.h"

namespace {
constexpr Byte kApp1 = 0xE1;   // EXIF
constexpr Byte kApp13 = 0xED;  // IPTC inside an image-resource block
}  // namespace

// --- JPEG metadata -----------------------------------------------------------------

void TRuzozAdIO::TakeJpegMetadata() {
  TIOParamsVals& p = *params_;
  const Integer iptc = p.JpegMarkers.IndexOfType(kApp13);
  if (iptc >= 0) p.IptcInfo.ParseDatasets(p.JpegMarkers.MarkerData(iptc), p.JpegMarkers.MarkerLength(iptc));
  const Integer exif = p.JpegMarkers.IndexOfType(kApp1);
  if (exif < 0 || !ReadExifBlock(p.JpegMarkers.MarkerData(exif), p.JpegMarkers.MarkerLength(exif), p)) return;
  // A JFIF header that gives only an aspect ratio: the EXIF resolution counts.
  if (p.DpiX == 1 && p.DpiY == 1) {
    const double factor = p.ExifResolutionUnit == 3 ? 2.54 : 1.0;
    p.DpiX = Integer(std::trunc(p.ExifXResolution * factor));
    p.DpiY = Integer(std::trunc(p.ExifYResolution * factor));
  }
}

void TRuzozAdIO::PutJpegIptc() {
  TIOParamsVals& p = *params_;
  if (!p.IptcInfo.UserChanged()) return;
  const std::vector<Byte> block = p.IptcInfo.WriteDatasets(true);
  const Integer at = p.JpegMarkers.IndexOfType(kApp13);
  if (at < 0)
    p.JpegMarkers.AddMarker(kApp13, block.data(), Integer(block.size()));
  else
    p.JpegMarkers.ReplaceMarker(at, kApp13, block.data(), Integer(block.size()));
}

// --- Resolution adjustment ------------------------------------------------------------

void TRuzozAdIO::AdjustDpi() {
  TIOParamsVals& p = *params_;
  const Integer x = p.DpiX, y = p.DpiY;
  if (x == y || x <= 0 || y <= 0 || ieBitmap_ == nullptr) return;
  if (targetBitmap_) ieBitmap_->AttachTBitmap(targetBitmap_, false);
  const Integer w = p.Width, h = p.Height;
  Int64 newW = w, newH = h;
  if (h < w)
    newH = Int64(std::trunc(double(h) / y * x));
  else
    newW = Int64(std::trunc(double(w) / x * y));
  // A side that would vanish or pass the library's limit leaves the picture
  // as it was rather than allocating nothing or gigabytes.
  if (newW < 1 || newH < 1 || newW > IEMaxImageSide || newH > IEMaxImageSide) return;
  if (h < w) {
    p.DpiY = x;
    p.Height = Integer(newH);
  } else {
    p.DpiX = y;
    p.Width = Integer(newW);
  }
  std::unique_ptr<TIEBitmap> alpha;
  if (ieBitmap_->HasAlphaChannel()) {
    alpha = std::make_unique<TIEBitmap>();
    alpha->CopyFromObject(ieBitmap_->GetAlphaChannel());
  }
  TIEBitmap dest;
  if (FilteredAdjustDPI) {
    dest.AllocateImage(Integer(newW), Integer(newH), ipkRGB24);
    if (ieBitmap_->PixelKind() != ipkRGB24) ieBitmap_->ConvertToKind(ipkRGB24);
    ResampleImage(ieBitmap_, &dest, rfFastLinear);
  } else {
    dest.AllocateImage(Integer(newW), Integer(newH), ieBitmap_->PixelKind());
    StretchNearest(ieBitmap_, &dest);
  }
  ieBitmap_->FreeAlphaChannel();
  ieBitmap_->CopyFromObject(&dest);
  if (alpha) StretchNearest(alpha.get(), ieBitmap_->GetAlphaChannel());
}

// --- Metafiles ----------------------------------------------------------------------

void TRuzozAdIO::MetafileFromFile(const std::string& FileName, Integer Width, Integer Height) {
  if (HandOff(&TRuzozAdIO::MetafileFromFile, FileName, Width, Height)) return;
  try {
    Aborting = false;
    if (Width != 0 && Height != 0 && ieBitmap_ != nullptr) ImportMetafile(FileName, Width, Height);
  } catch (...) {
    SignalWorkDone();
    throw;
  }
  SignalWorkDone();
}

void TRuzozAdIO::ImportMetafile(const std::string& FileName, Integer Width, Integer Height) {
  if (targetBitmap_) ieBitmap_->AttachTBitmap(targetBitmap_, false);
  params_->ClearPerImage();
  TMetafile mf;
  mf.LoadFromFile(FileName);
  Int64 w = mf.Width(), h = mf.Height();
  // A drawing without extent cannot be scaled (and must not be divided by).
  if (w <= 0 || h <= 0) {
    Aborting = true;
    return;
  }
  if (Width >= 0 && Height >= 0) {
    w = Width;
    h = Height;
  } else if (Width < 0 && Height >= 0) {
    w = w * Height / h;
    h = Height;
  } else if (Height < 0 && Width >= 0) {
    h = h * Width / w;
    w = Width;
  }
  if (w <= 0 || h <= 0) {
    Aborting = true;
    return;
  }
  constexpr Int64 kLimit = 2800;
  if (w > kLimit || h > kLimit) {
    if (h > w) {
      w = std::max<Int64>(1, w * kLimit / h);
      h = kLimit;
    } else {
      h = std::max<Int64>(1, h * kLimit / w);
      w = kLimit;
    }
  }
  mf.SetWidth(Integer(w));
  mf.SetHeight(Integer(h));
  // The picture gets the whole drawing at the size asked for.
  TIEDibbitmap dib;
  dib.AllocateDIB(Integer(w), Integer(h), 24);
  TIOParamsVals& p = *params_;
  p.FileName = FileName;
  p.FileType = mf.Enhanced() ? ioEMF : ioWMF;
  p.BitsPerSample = 8;
  p.SamplesPerPixel = 3;
  p.Width = Integer(w);
  p.Height = Integer(h);
  p.DpiX = IEDefaultDpiX;
  p.DpiY = IEDefaultDpiY;
  p.FreePalette();
  if (view_ != nullptr) view_->StoreResolution(p.DpiX, p.DpiY);
  {
    TCanvas canvas;
    canvas.SetHandle(dib.DC());
    canvas.Brush()->SetColor(Background());
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRect(Rect(0, 0, Integer(w), Integer(h)));
    canvas.StretchDraw(Rect(0, 0, Integer(w), Integer(h)), &mf);
    canvas.SetHandle(nullptr);
  }
  ::GdiFlush();
  ieBitmap_->CopyFromDibbitmap(&dib);
  ieBitmap_->FreeAlphaChannel();
  RefreshTarget();
}

// --- Parameter-only reads -------------------------------------------------------------

void TRuzozAdIO::ReadParamsCore(TStream* Stream, Integer FileType, Int64 DataLength, TIEProgressRecord& Progress) {
  // Readers get a scratch buffer, so the component's picture is never touched.
  TIEBitmap scratch;
  std::unique_ptr<TIEMask> alpha;
  TIOParamsVals& p = *params_;
  switch (FileType) {
    case ioTIFF: {
      Integer count = 0;
      ReadTiffStream(&scratch, Stream, count, true, true, alpha, true, Progress, p);
      break;
    }
    case ioGIF: ReadGifStream(Stream, &scratch, p, Progress, true, true, alpha); break;
    case ioJPEG:
      ReadJpegStream(Stream, nullptr, &scratch, false, true, Progress, p);
      TakeJpegMetadata();
      break;
    case ioPCX: ReadPcxStream(Stream, &scratch, p, Progress, true, DataLength); break;
    case ioBMP: ReadBmpStream(Stream, &scratch, p, Progress, true, DataLength); break;
    case ioICO: ReadIcoStream(Stream, &scratch, p, Progress, true, true, alpha); break;
    case ioCUR: ReadCurStream(Stream, &scratch, p, Progress, true, true, alpha); break;
    case ioPNG: ReadPngStream(Stream, &scratch, p, false, alpha, true, Progress); break;
    case ioTGA: ReadTgaStream(Stream, &scratch, p, Progress, true, true, alpha); break;
    case ioPXM: ReadPnmStream(Stream, &scratch, p, Progress, true); break;
    case ioJP2:
    case ioJ2K: Jpeg2000LoadFromStream(Stream, &scratch, p, true, Progress); break;
    default: {
      const TIEFormatRegistration* format = FileType == ioUnknown ? nullptr : FindFormatByType(FileType);
      if (format == nullptr || format->ReadHook == nullptr || format->ReadHook == PlaceholderReadHook) {
        // No reader: the type stays unknown rather than pretending to a read.
        Aborting = true;
        return;
      }
      format->ReadHook(Stream, &scratch, p, true, Progress);
      break;
    }
  }
}

void TRuzozAdIO::ReadParamsOfFileType(const std::string& FileName, Integer FileType) {
  params_->FileType = FileType;
  std::unique_ptr<TFileStream> file;
  try {
    params_->ClearPerImage();
    Aborting = true;
    TIEProgressRecord progress;
    progress.Abort = &Aborting;
    file = std::make_unique<TFileStream>(FileName, fmOpenRead | fmShareDenyWrite);
    Aborting = false;
    ReadParamsCore(file.get(), FileType, file->Size(), progress);
  } catch (...) {
    params_->FileType = ioUnknown;
  }
  if (Aborting) params_->FileType = ioUnknown;
  params_->FileName = FileName;
  file.reset();
  SignalWorkDone();
}

void TRuzozAdIO::ReadParamsOfStreamType(TStream* Stream, Integer FileType) {
  params_->FileType = FileType;
  try {
    params_->ClearPerImage();
    Aborting = false;
    TIEProgressRecord progress;
    progress.Abort = &Aborting;
    ReadParamsCore(Stream, FileType, Stream->Size(), progress);
  } catch (...) {
    params_->FileType = ioUnknown;
  }
  if (Aborting) params_->FileType = ioUnknown;
  SignalWorkDone();
}

void TRuzozAdIO::ReadParamsOfFile(const std::string& FileName) {
  try {
    ReadParamsOfFileType(FileName, DetectFileType(FileName, true));
  } catch (...) {
    params_->FileType = ioUnknown;
  }
}

void TRuzozAdIO::ReadParamsOfStream(TStream* Stream) {
  try {
    ReadParamsOfStreamType(Stream, DetectStreamType(Stream));
  } catch (...) {
    params_->FileType = ioUnknown;
  }
}
