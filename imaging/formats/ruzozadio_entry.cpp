// Entry points of the GIF, PCX, BMP, icon, cursor, Targa and PBM/PGM/PPM
// formats, the 12-byte stream frame, and the dispatchers by extension, type
// number and stream content.
#include "imaging/formats/bmpfilt.h"
#include "imaging/formats/formatregistry.h"
#include "imaging/formats/giffilter.h"
#include "imaging/formats/iepnm.h"
#include "imaging/formats/ietgafil.h"
#include "imaging/formats/pcxfilter.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/formats/tiffilt.h"
#include "imaging/views/ieview.h"
#include "platform/SysUtils.h"

namespace {

using TAlpha = std::unique_ptr<TIEMask>;

// The built-in entries' placeholder hooks do nothing: a road that meets one
// has no reader or writer and must report the failure, not a silent success.
TIEReadHook RealReadHook(const TIEFormatRegistration* F) {
  return F == nullptr || F->ReadHook == PlaceholderReadHook ? nullptr : F->ReadHook;
}
TIEWriteHook RealWriteHook(const TIEFormatRegistration* F) {
  return F == nullptr || F->WriteHook == PlaceholderWriteHook ? nullptr : F->WriteHook;
}

// The extension of the file name itself (a dot in a folder name is not one),
// dot included, in lower case.
std::string LowerExtension(const std::string& FileName) { return LowerCase(ExtractFileExt(FileName)); }

}  // namespace

// --- StreamHeader --------------------------------------------------------------

bool TRuzozAdIO::ReadFrameHead(TStream* Stream, std::string& Tag, Int64& Length) {
  Byte head[12];
  Tag.clear();
  Length = 0;
  if (Stream->Read(head, 12) != 12) return false;
  size_t n = 0;
  while (n < 5 && head[n] != 0) ++n;
  Tag.assign(reinterpret_cast<const char*>(head), n);
  Length = Int64(int32_t(Cardinal(head[8]) | (Cardinal(head[9]) << 8) | (Cardinal(head[10]) << 16) |
                         (Cardinal(head[11]) << 24)));
  return true;
}

Int64 TRuzozAdIO::BeginStreamHeader(TStream* Stream) {
  if (!StreamHeaders) return -1;
  const Int64 start = Stream->Position();
  const Byte placeholder[12] = {};
  Stream->WriteBuffer(placeholder, 12);
  return start;
}

void TRuzozAdIO::EndStreamHeader(TStream* Stream, Int64 Start, const char* Tag) {
  if (Start < 0) return;
  const Int64 end = Stream->Position();
  const Cardinal length = Cardinal(end - Start - 12);
  Byte head[12] = {};
  for (int i = 0; i < 4; ++i) head[i] = Byte(Tag[i]);
  for (int i = 0; i < 4; ++i) head[8 + i] = Byte(length >> (8 * i));
  Stream->SetPosition(Start);
  Stream->WriteBuffer(head, 12);
  Stream->SetPosition(end);
}

// --- TIFF ----------------------------------------------------------------------

// The reader ends quietly when the wanted page is not in the chain (or the
// file has none); for a load that is a failure: nothing was loaded.
void TRuzozAdIO::NoPageIsAFailure(Integer PageCount) {
  if (!Aborting && params_->TiffPageIndex >= PageCount) Aborting = true;
}

Integer TRuzozAdIO::TiffFromFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::TiffFromFile, FileName)) return -1;
  Integer count = 0;
  RunLoad(&FileName, nullptr, ioTIFF, true, [&](TStream* s, TIEProgressRecord& p, TAlpha& alpha) {
    ReadTiffStream(ieBitmap_, s, count, false, true, alpha, false, p, *params_);
    NoPageIsAFailure(count);
  });
  return count;
}

Integer TRuzozAdIO::TiffFromStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::TiffFromStream, Stream)) return -1;
  Integer count = 0;
  RunLoad(nullptr, Stream, ioTIFF, true, [&](TStream* s, TIEProgressRecord& p, TAlpha& alpha) {
    Int64 body = -1, length = 0;
    if (StreamHeaders) {
      std::string tag;
      if (!ReadFrameHead(s, tag, length) || tag != "TIFF") {
        Aborting = true;
        StopLoad();
        return;
      }
      body = s->Position();
    }
    // A framed TIFF carries offsets from the start of the stream.
    ReadTiffStream(ieBitmap_, s, count, false, body < 0, alpha, false, p, *params_);
    NoPageIsAFailure(count);
    if (body >= 0 && length >= 0) s->SetPosition(body + length);
  });
  return count;
}

// A file save makes a new file (never appended to an existing TIFF).
void TRuzozAdIO::TiffToFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::TiffToFile, FileName)) return;
  RunSave(&FileName, nullptr,
          [this](TStream* s, TIEProgressRecord& p) { WriteTiffStream(s, ieBitmap_, p, *params_); });
}

void TRuzozAdIO::TiffToStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::TiffToStream, Stream)) return;
  RunSave(nullptr, Stream, [this](TStream* s, TIEProgressRecord& p) {
    // Offsets as TiffFromStream reads them: from the TIFF's own header when
    // unframed, from the stream's start in a frame.
    const Int64 start = BeginStreamHeader(s);
    WriteTiffStream(s, ieBitmap_, p, *params_, start < 0);
    EndStreamHeader(s, start, "TIFF");
  });
}

// --- GIF -----------------------------------------------------------------------

void TRuzozAdIO::TakeGifBackground() {
  SetBackground(TripleToColor(params_->GifHasTransparency ? params_->GifTransparentColor
                                                          : params_->GifBackgroundColor));
}

Integer TRuzozAdIO::GifFromFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::GifFromFile, FileName)) return -1;
  Integer count = 0;
  RunLoad(
      &FileName, nullptr, ioGIF, true,
      [&](TStream*, TIEProgressRecord& p, TAlpha& alpha) {
        count = ReadGifFile(FileName, ieBitmap_, *params_, p, false, alpha);
        TakeGifBackground();
      },
      true);
  return count;
}

Integer TRuzozAdIO::GifFromStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::GifFromStream, Stream)) return -1;
  Integer count = 0;
  RunLoad(nullptr, Stream, ioGIF, false, [&](TStream* s, TIEProgressRecord& p, TAlpha& alpha) {
    count = ReadGifStream(s, ieBitmap_, *params_, p, false, false, alpha);
    TakeGifBackground();
  });
  return count;
}

void TRuzozAdIO::GifToFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::GifToFile, FileName)) return;
  RunSave(
      &FileName, nullptr,
      [&](TStream*, TIEProgressRecord& p) { WriteGifFile(FileName, ieBitmap_, *params_, p); }, true);
}

void TRuzozAdIO::GifToStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::GifToStream, Stream)) return;
  RunSave(nullptr, Stream, [this](TStream* s, TIEProgressRecord& p) { WriteGifStream(s, ieBitmap_, *params_, p); });
}

// --- PCX -----------------------------------------------------------------------

void TRuzozAdIO::PcxFromFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::PcxFromFile, FileName)) return;
  RunLoad(
      &FileName, nullptr, ioPCX, true,
      [&](TStream*, TIEProgressRecord& p, TAlpha&) {
        params_->FileName = FileName;
        params_->FileType = ioPCX;
        ReadPcxFile(FileName, ieBitmap_, *params_, p);
      },
      true);
}

void TRuzozAdIO::PcxFromStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::PcxFromStream, Stream)) return;
  RunLoad(nullptr, Stream, ioPCX, true, [this](TStream* s, TIEProgressRecord& p, TAlpha&) {
    const Int64 start = s->Position();
    Int64 dataLength = s->Size();
    bool framed = false;
    if (StreamHeaders) {
      std::string tag;
      Int64 length = 0;
      if (!ReadFrameHead(s, tag, length) || tag.compare(0, 3, "PCX") != 0) {
        Aborting = true;
        StopLoad();
        return;
      }
      if (tag == "PCX2") {
        framed = true;
        dataLength = length;
      } else {
        s->SetPosition(start + 4);  // the older 4-byte frame
      }
    }
    ReadPcxStream(s, ieBitmap_, *params_, p, false, dataLength);
    if (framed && dataLength >= 0) s->SetPosition(start + 12 + dataLength);
  });
}

void TRuzozAdIO::PcxToFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::PcxToFile, FileName)) return;
  RunSave(&FileName, nullptr, [this](TStream* s, TIEProgressRecord& p) { WritePcxStream(s, ieBitmap_, *params_, p); });
}

void TRuzozAdIO::PcxToStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::PcxToStream, Stream)) return;
  RunSave(nullptr, Stream, [this](TStream* s, TIEProgressRecord& p) {
    const Int64 start = BeginStreamHeader(s);
    WritePcxStream(s, ieBitmap_, *params_, p);
    if (!Aborting) EndStreamHeader(s, start, "PCX2");
  });
}

// --- BMP, icon, cursor -----------------------------------------------------------

void TRuzozAdIO::BmpFromFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::BmpFromFile, FileName)) return;
  RunLoad(&FileName, nullptr, ioBMP, true, [this](TStream* s, TIEProgressRecord& p, TAlpha&) {
    ReadBmpStream(s, ieBitmap_, *params_, p, false, s->Size());
  });
}

void TRuzozAdIO::BmpFromStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::BmpFromStream, Stream)) return;
  RunLoad(nullptr, Stream, ioBMP, false,
          [this](TStream* s, TIEProgressRecord& p, TAlpha&) { ReadBmpStream(s, ieBitmap_, *params_, p, false, 0); });
}

void TRuzozAdIO::BmpToFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::BmpToFile, FileName)) return;
  RunSave(&FileName, nullptr, [this](TStream* s, TIEProgressRecord& p) { WriteBmpStream(s, ieBitmap_, *params_, p); });
}

void TRuzozAdIO::BmpToStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::BmpToStream, Stream)) return;
  RunSave(nullptr, Stream, [this](TStream* s, TIEProgressRecord& p) { WriteBmpStream(s, ieBitmap_, *params_, p); });
}

void TRuzozAdIO::IcoFromFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::IcoFromFile, FileName)) return;
  RunLoad(&FileName, nullptr, ioICO, true, [this](TStream* s, TIEProgressRecord& p, TAlpha& alpha) {
    ReadIcoStream(s, ieBitmap_, *params_, p, false, false, alpha);
  });
}

void TRuzozAdIO::IcoFromStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::IcoFromStream, Stream)) return;
  RunLoad(nullptr, Stream, ioICO, false, [this](TStream* s, TIEProgressRecord& p, TAlpha& alpha) {
    ReadIcoStream(s, ieBitmap_, *params_, p, false, false, alpha);
  });
}

void TRuzozAdIO::CurFromFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::CurFromFile, FileName)) return;
  RunLoad(&FileName, nullptr, ioCUR, true, [this](TStream* s, TIEProgressRecord& p, TAlpha& alpha) {
    ReadCurStream(s, ieBitmap_, *params_, p, false, false, alpha);
  });
}

void TRuzozAdIO::CurFromStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::CurFromStream, Stream)) return;
  RunLoad(nullptr, Stream, ioCUR, false, [this](TStream* s, TIEProgressRecord& p, TAlpha& alpha) {
    ReadCurStream(s, ieBitmap_, *params_, p, false, false, alpha);
  });
}

// --- Targa, PBM/PGM/PPM ------------------------------------------------------------

void TRuzozAdIO::TgaFromFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::TgaFromFile, FileName)) return;
  RunLoad(&FileName, nullptr, ioTGA, true, [this](TStream* s, TIEProgressRecord& p, TAlpha& alpha) {
    ReadTgaStream(s, ieBitmap_, *params_, p, false, false, alpha);
  });
}

void TRuzozAdIO::TgaFromStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::TgaFromStream, Stream)) return;
  RunLoad(nullptr, Stream, ioTGA, false, [this](TStream* s, TIEProgressRecord& p, TAlpha& alpha) {
    ReadTgaStream(s, ieBitmap_, *params_, p, false, false, alpha);
  });
}

void TRuzozAdIO::TgaToFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::TgaToFile, FileName)) return;
  RunSave(&FileName, nullptr, [this](TStream* s, TIEProgressRecord& p) {
    auto mask = AlphaMaskOf(ieBitmap_);
    WriteTgaStream(s, ieBitmap_, *params_, p, mask.get());
  });
}

void TRuzozAdIO::TgaToStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::TgaToStream, Stream)) return;
  RunSave(nullptr, Stream, [this](TStream* s, TIEProgressRecord& p) {
    auto mask = AlphaMaskOf(ieBitmap_);
    WriteTgaStream(s, ieBitmap_, *params_, p, mask.get());
  });
}

void TRuzozAdIO::PxmFromFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::PxmFromFile, FileName)) return;
  RunLoad(&FileName, nullptr, ioPXM, false,
          [this](TStream* s, TIEProgressRecord& p, TAlpha&) { ReadPnmStream(s, ieBitmap_, *params_, p, false); });
}

void TRuzozAdIO::PxmFromStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::PxmFromStream, Stream)) return;
  RunLoad(nullptr, Stream, ioPXM, false,
          [this](TStream* s, TIEProgressRecord& p, TAlpha&) { ReadPnmStream(s, ieBitmap_, *params_, p, false); });
}

void TRuzozAdIO::PxmToFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::PxmToFile, FileName)) return;
  RunSave(&FileName, nullptr, [this](TStream* s, TIEProgressRecord& p) { WritePnmStream(s, ieBitmap_, *params_, p); });
}

void TRuzozAdIO::PxmToStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::PxmToStream, Stream)) return;
  RunSave(nullptr, Stream, [this](TStream* s, TIEProgressRecord& p) { WritePnmStream(s, ieBitmap_, *params_, p); });
}

// --- Dispatchers -------------------------------------------------------------------

namespace {

struct TExtensionRoad {
  const char* Extensions;  // ";"-separated, dot included
  Integer Type;
};

// The built-in extension table of the loads and saves by extension. Targa
// takes ".win" here but not ".pix"; icons, cursors and metafiles have no save.
const TExtensionRoad kExtensionRoads[] = {
    {".jpg;.jpeg;.jpe", ioJPEG}, {".tif;.tiff;.fax;.g3n;.g3f", ioTIFF}, {".jp2", ioJP2},  {".j2k;.jpc;.j2c", ioJ2K},
    {".png", ioPNG},             {".pcx", ioPCX},  {".gif", ioGIF},
    {".wmf", ioWMF},             {".emf", ioEMF},  {".bmp;.dib;.rle", ioBMP},
    {".cur", ioCUR},             {".ico", ioICO},  {".tga;.targa;.vda;.icb;.vst;.win", ioTGA},
    {".pxm;.ppm;.pgm;.pbm", ioPXM},
};

Integer TypeOfExtension(const std::string& Ext) {
  if (Ext.empty()) return ioUnknown;
  for (const TExtensionRoad& r : kExtensionRoads) {
    const std::string list = std::string(";") + r.Extensions + ";";
    if (list.find(";" + Ext + ";") != std::string::npos) return r.Type;
  }
  return ioUnknown;
}

}  // namespace

bool TRuzozAdIO::LoadFileOfBuiltInType(const std::string& FileName, Integer FileType) {
  switch (FileType) {
    case ioTIFF: TiffFromFile(FileName); return true;
    case ioGIF: GifFromFile(FileName); return true;
    case ioJPEG: JpegFromFile(FileName); return true;
    case ioPCX: PcxFromFile(FileName); return true;
    case ioBMP: BmpFromFile(FileName); return true;
    case ioICO: IcoFromFile(FileName); return true;
    case ioCUR: CurFromFile(FileName); return true;
    case ioPNG: PngFromFile(FileName); return true;
    case ioWMF:
    case ioEMF: MetafileFromFile(FileName, -1, -1); return true;
    case ioTGA: TgaFromFile(FileName); return true;
    case ioPXM: PxmFromFile(FileName); return true;
    case ioJP2: Jp2FromFile(FileName); return true;
    case ioJ2K: J2kFromFile(FileName); return true;
    default: return false;
  }
}

bool TRuzozAdIO::LoadStreamOfBuiltInType(TStream* Stream, Integer FileType) {
  switch (FileType) {
    case ioTIFF: TiffFromStream(Stream); return true;
    case ioGIF: GifFromStream(Stream); return true;
    case ioJPEG: JpegFromStream(Stream); return true;
    case ioPCX: PcxFromStream(Stream); return true;
    case ioBMP: BmpFromStream(Stream); return true;
    case ioICO: IcoFromStream(Stream); return true;
    case ioCUR: CurFromStream(Stream); return true;
    case ioPNG: PngFromStream(Stream); return true;
    case ioTGA: TgaFromStream(Stream); return true;
    case ioPXM: PxmFromStream(Stream); return true;
    case ioJP2: Jp2FromStream(Stream); return true;
    case ioJ2K: J2kFromStream(Stream); return true;
    default: return false;
  }
}

bool TRuzozAdIO::SaveFileOfBuiltInType(const std::string& FileName, Integer FileType) {
  switch (FileType) {
    case ioTIFF: TiffToFile(FileName); return true;
    case ioGIF: GifToFile(FileName); return true;
    case ioJPEG: JpegToFile(FileName); return true;
    case ioPCX: PcxToFile(FileName); return true;
    case ioBMP: BmpToFile(FileName); return true;
    case ioPNG: PngToFile(FileName); return true;
    case ioTGA: TgaToFile(FileName); return true;
    case ioPXM: PxmToFile(FileName); return true;
    case ioJP2: Jp2ToFile(FileName); return true;
    case ioJ2K: J2kToFile(FileName); return true;
    default: return false;
  }
}

bool TRuzozAdIO::SaveStreamOfBuiltInType(TStream* Stream, Integer FileType) {
  switch (FileType) {
    case ioTIFF: TiffToStream(Stream); return true;
    case ioGIF: GifToStream(Stream); return true;
    case ioJPEG: JpegToStream(Stream); return true;
    case ioPCX: PcxToStream(Stream); return true;
    case ioBMP: BmpToStream(Stream); return true;
    case ioPNG: PngToStream(Stream); return true;
    case ioTGA: TgaToStream(Stream); return true;
    case ioPXM: PxmToStream(Stream); return true;
    case ioJP2: Jp2ToStream(Stream); return true;
    case ioJ2K: J2kToStream(Stream); return true;
    default: return false;
  }
}

void TRuzozAdIO::LoadFileByExtension(const std::string& FileName) {
  if (ieBitmap_ == nullptr) return;
  if (FileName.empty()) {
    Aborting = true;
    SignalWorkDone();
    return;
  }
  if (LowerCase(FileName.substr(0, 7)) == "http://") {
    LoadFromUrl(FileName);
    return;
  }
  const std::string ext = LowerExtension(FileName);
  if (LoadFileOfBuiltInType(FileName, TypeOfExtension(ext))) return;
  params_->FileName.clear();
  params_->FileType = ioUnknown;
  params_->ClearPerImage();
  const TIEFormatRegistration* format = ext.empty() ? nullptr : FindFormatByExtension(ext.substr(1));
  const TIEReadHook read = RealReadHook(format);
  if (read == nullptr) {
    Aborting = true;
    SignalWorkDone();
    return;
  }
  if (HandOff(&TRuzozAdIO::LoadFileByExtension, FileName)) return;
  // No end signal when the file cannot be opened: the exception says it.
  Aborting = true;
  if (targetBitmap_) ieBitmap_->AttachTBitmap(targetBitmap_, false);
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  Aborting = false;
  TIEProgressRecord progress;
  progress.Abort = &Aborting;
  FillProgress(progress);
  params_->FileName = FileName;
  params_->FileType = format->FormatType;
  try {
    read(&file, ieBitmap_, *params_, false, progress);
  } catch (...) {
    Aborting = true;
  }
  if (!Aborting) {
    if (AutoAdjustDPI) AdjustDpi();
    if (view_ != nullptr) view_->StoreResolution(params_->DpiX, params_->DpiY);
  }
  RefreshTarget();
  SignalWorkDone();
}

void TRuzozAdIO::SaveFileByExtension(const std::string& FileName) {
  if (FileName.empty()) return;
  const std::string ext = LowerExtension(FileName);
  if (SaveFileOfBuiltInType(FileName, TypeOfExtension(ext))) return;
  const TIEFormatRegistration* format = ext.empty() ? nullptr : FindFormatByExtension(ext.substr(1));
  const TIEWriteHook write = RealWriteHook(format);
  if (write == nullptr) {
    Aborting = true;
    return;
  }
  if (HandOff(&TRuzozAdIO::SaveFileByExtension, FileName)) return;
  RunSave(&FileName, nullptr, [&](TStream* s, TIEProgressRecord& p) {
    params_->FileName = FileName;
    params_->FileType = format->FormatType;
    write(s, ieBitmap_, *params_, p);
  });
}

void TRuzozAdIO::LoadThroughRegistry(const std::string* FileName, TStream* Stream,
                                     const TIEFormatRegistration* Format) {
  const TIEReadHook read = RealReadHook(Format);
  try {
    Aborting = FileName != nullptr;
    if (ieBitmap_ != nullptr) {
      if (targetBitmap_) ieBitmap_->AttachTBitmap(targetBitmap_, false);
      std::unique_ptr<TFileStream> file;
      if (FileName) {
        file = std::make_unique<TFileStream>(*FileName, fmOpenRead | fmShareDenyWrite);
        Stream = file.get();
        Aborting = false;
        params_->FileName = *FileName;
      }
      TIEProgressRecord progress;
      progress.Abort = &Aborting;
      FillProgress(progress);
      params_->FileType = Format->FormatType;
      read(Stream, ieBitmap_, *params_, false, progress);
      if (AutoAdjustDPI && !Aborting) AdjustDpi();
      if (view_ != nullptr) view_->StoreResolution(params_->DpiX, params_->DpiY);
      RefreshTarget();
    }
  } catch (...) {
    SignalWorkDone();
    throw;
  }
  SignalWorkDone();
}

void TRuzozAdIO::LoadFileOfType(const std::string& FileName, Integer FileType) {
  if (LoadFileOfBuiltInType(FileName, FileType)) return;
  params_->ClearPerImage();
  params_->FileName.clear();
  params_->FileType = ioUnknown;
  const TIEFormatRegistration* format = FindFormatByType(FileType);
  if (RealReadHook(format) == nullptr) {
    Aborting = true;
    SignalWorkDone();
    return;
  }
  if (HandOff(&TRuzozAdIO::LoadFileOfType, FileName, FileType)) return;
  LoadThroughRegistry(&FileName, nullptr, format);
}

void TRuzozAdIO::LoadStreamOfType(TStream* Stream, Integer FileType) {
  if (LoadStreamOfBuiltInType(Stream, FileType)) return;
  if (HandOff(&TRuzozAdIO::LoadStreamOfType, Stream, FileType)) return;
  params_->ClearPerImage();
  params_->FileName.clear();
  params_->FileType = ioUnknown;
  const TIEFormatRegistration* format = FileType == ioUnknown ? nullptr : FindFormatByType(FileType);
  if (RealReadHook(format) == nullptr) {
    Aborting = true;
    SignalWorkDone();
    return;
  }
  LoadThroughRegistry(nullptr, Stream, format);
}

void TRuzozAdIO::LoadStreamDetected(TStream* Stream) {
  const Integer type = DetectStreamType(Stream);
  if (LoadStreamOfBuiltInType(Stream, type)) return;
  // The worker detects again.
  if (HandOff(&TRuzozAdIO::LoadStreamDetected, Stream)) return;
  LoadStreamOfType(Stream, type);
}

void TRuzozAdIO::SaveStreamOfType(TStream* Stream, Integer FileType) {
  if (SaveStreamOfBuiltInType(Stream, FileType)) return;
  if (HandOff(&TRuzozAdIO::SaveStreamOfType, Stream, FileType)) return;
  const TIEFormatRegistration* format = FindFormatByType(FileType);
  const TIEWriteHook write = RealWriteHook(format);
  if (write == nullptr) {
    Aborting = true;
    return;
  }
  RunSave(nullptr, Stream, [&](TStream* s, TIEProgressRecord& p) {
    params_->FileType = format->FormatType;
    write(s, ieBitmap_, *params_, p);
  });
}
