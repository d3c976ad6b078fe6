// The format table and content detection.
#include "imaging/formats/formatregistry.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "imaging/formats/bmpfilt.h"
#include "imaging/formats/iej2000.h"
#include "imaging/formats/iepnm.h"
#include "imaging/formats/ietgafil.h"
#include "imaging/formats/jpegfilt.h"
#include "imaging/formats/pngfilt.h"

void PlaceholderReadHook(TStream*, TIEBitmap*, TIOParamsVals&, bool, TIEProgressRecord&) {}
void PlaceholderWriteHook(TStream*, TIEBitmap*, TIOParamsVals&, TIEProgressRecord&) {}
bool PlaceholderProbeHook(TStream*) { return false; }

namespace {

std::string Lower(std::string S) {
  for (char& c : S)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return S;
}

// Records live in their own blocks, so pointers handed out survive later
// registrations; the lock only guards the list itself.
struct TRegistry {
  std::mutex Lock;
  std::vector<std::unique_ptr<TIEFormatRegistration>> Records;

  TRegistry() {
    struct TBuiltIn {
      Integer Type;
      const char* Name;
      const char* Extensions;
      bool Writable;
    };
    static const TBuiltIn builtIns[] = {
        {ioTIFF, "TIFF Bitmap", "TIF;TIFF;FAX;G3N;G3F", true},
        {ioGIF, "CompuServe Bitmap", "GIF", true},
        {ioJPEG, "JPEG Bitmap", "JPG;JPEG;JPE", true},
        {ioPCX, "PaintBrush", "PCX", true},
        {ioBMP, "Windows Bitmap", "BMP;DIB;RLE", true},
        {ioICO, "Windows Icon", "ICO", false},
        {ioCUR, "Windows Cursor", "CUR", false},
        {ioPNG, "Portable Network Graphics", "PNG", true},
        {ioWMF, "Windows Metafile", "WMF", false},
        {ioEMF, "Enhanced Windows Metafile", "EMF", false},
        {ioTGA, "Targa Bitmap", "TGA;TARGA;VDA;ICB;VST;PIX", true},
        {ioPXM, "Portable Pixmap, GreyMap, BitMap", "PXM;PPM;PGM;PBM", true},
        {ioJP2, "JPEG2000", "JP2", true},
        {ioJ2K, "JPEG2000 Code Stream", "J2K;JPC;J2C", true},
    };
    for (const TBuiltIn& b : builtIns) {
      auto r = std::make_unique<TIEFormatRegistration>();
      r->FormatType = b.Type;
      r->DisplayName = b.Name;
      r->ExtensionList = b.Extensions;
      r->ReadHook = PlaceholderReadHook;
      r->WriteHook = b.Writable ? PlaceholderWriteHook : nullptr;
      r->ProbeHook = PlaceholderProbeHook;
      Records.push_back(std::move(r));
    }
  }
};

TRegistry& Registry() {
  // Built on first use, so a lookup from another unit's start-up code finds
  // the built-ins already there.
  static TRegistry registry;
  return registry;
}

// The piece of List before the N-th ";" (from 0); empty when the list ends first.
std::string ExtensionPiece(const std::string& List, Integer N) {
  std::string rest = List;
  std::string piece;
  for (Integer i = 0; i <= N; ++i) {
    if (rest.empty()) return std::string();
    const size_t semi = rest.find(';');
    if (semi == std::string::npos) {
      piece = rest;
      rest.clear();
    } else {
      piece = rest.substr(0, semi);
      rest.erase(0, semi + 1);
    }
  }
  return piece;
}

}  // namespace

Integer RegisterFileFormat(const TIEFormatRegistration& Record) {
  auto r = std::make_unique<TIEFormatRegistration>(Record);
  if (r->DisplayName.size() > IEFormatTextLimit) r->DisplayName.resize(IEFormatTextLimit);
  if (r->ExtensionList.size() > IEFormatTextLimit) r->ExtensionList.resize(IEFormatTextLimit);
  TRegistry& reg = Registry();
  std::lock_guard<std::mutex> hold(reg.Lock);
  reg.Records.push_back(std::move(r));
  return Integer(reg.Records.size()) - 1;
}

Integer FormatRegistryCount() {
  TRegistry& reg = Registry();
  std::lock_guard<std::mutex> hold(reg.Lock);
  return Integer(reg.Records.size());
}

const TIEFormatRegistration* FormatRegistryAt(Integer Index) {
  TRegistry& reg = Registry();
  std::lock_guard<std::mutex> hold(reg.Lock);
  if (Index < 0 || Index >= Integer(reg.Records.size())) return nullptr;
  return reg.Records[size_t(Index)].get();
}

const TIEFormatRegistration* FindFormatByType(Integer Type) {
  for (Integer i = 0;; ++i) {
    const TIEFormatRegistration* r = FormatRegistryAt(i);
    if (r == nullptr) return nullptr;
    if (r->FormatType == Type) return r;
  }
}

std::string GetFormatExtension(Integer Type, Integer N) {
  const TIEFormatRegistration* r = FindFormatByType(Type);
  if (r == nullptr || N < 0) return std::string();
  return ExtensionPiece(r->ExtensionList, N);
}

Integer CountFormatExtensions(Integer Type) {
  Integer n = 0;
  while (!GetFormatExtension(Type, n).empty()) ++n;
  return n;
}

const TIEFormatRegistration* FindFormatByExtension(const std::string& Extension) {
  const std::string wanted = Lower(Extension);
  for (Integer i = 0;; ++i) {
    const TIEFormatRegistration* r = FormatRegistryAt(i);
    if (r == nullptr) return nullptr;
    // Extensions are taken by type number, so of two records with one number
    // the first answers for both.
    const Integer count = CountFormatExtensions(r->FormatType);
    for (Integer n = 0; n < count; ++n)
      if (Lower(GetFormatExtension(r->FormatType, n)) == wanted) return r;
  }
}

namespace {

// Reads Count bytes from Start when the stream's total size exceeds Count. A
// stream whose rest is shorter than that only fails this test: the tests after
// it still run.
bool HeadOf(TStream* Stream, Int64 Start, Int64 Size, Integer Count, Byte* Head) {
  if (Size <= Count) return false;
  Stream->SetPosition(Start);
  const bool whole = Stream->Read(Head, Count) == Count;
  Stream->SetPosition(Start);
  return whole;
}

// The text of the first five bytes up to the first zero byte.
std::string TagOf(const Byte* Head) {
  size_t n = 0;
  while (n < 5 && Head[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(Head), n);
}

Integer DetectAt(TStream* Stream, Int64 Start, Int64 Size, Integer& Found) {
  for (Integer i = 0;; ++i) {
    const TIEFormatRegistration* r = FormatRegistryAt(i);
    if (r == nullptr) break;
    if (r->ProbeHook == nullptr) continue;
    Stream->SetPosition(Start);
    const bool mine = r->ProbeHook(Stream);
    Stream->SetPosition(Start);
    if (mine) return Found = r->FormatType;
  }
  Byte head[128];
  if (HeadOf(Stream, Start, Size, 12, head) && TagOf(head) == "JFIF") return Found = ioJPEG;
  if (HeadOf(Stream, Start, Size, 13, head) && head[0] == 'G' && head[1] == 'I' && head[2] == 'F') return Found = ioGIF;
  if (HeadOf(Stream, Start, Size, 12, head) && TagOf(head) == "PCX2") return Found = ioPCX;
  if (HeadOf(Stream, Start, Size, 4, head)) {
    head[4] = 0;  // only the four bytes read count
    if (TagOf(head) == "PCX") return Found = ioPCX;
  }
  if (HeadOf(Stream, Start, Size, 14, head) && head[0] == 'B' && head[1] == 'M') return Found = ioBMP;
  if (HeadOf(Stream, Start, Size, 128, head) && head[0] == 0x0A && head[1] <= 5) return Found = ioPCX;
  if (HeadOf(Stream, Start, Size, 12, head) && TagOf(head) == "TIFF") return Found = ioTIFF;
  if (HeadOf(Stream, Start, Size, 8, head) &&
      ((head[0] == 'I' && head[1] == 'I') || (head[0] == 'M' && head[1] == 'M')))
    return Found = ioTIFF;
  Stream->SetPosition(Start);
  if (Size > 8 && IsPngStream(Stream)) return Found = ioPNG;
  if (IsIcoStream(Stream)) return Found = ioICO;
  if (IsCurStream(Stream)) return Found = ioCUR;
  if (IsTgaStream(Stream)) return Found = ioTGA;
  if (IsPnmStream(Stream)) return Found = ioPXM;
  if (FindJpegStart(Stream) >= 0) return Found = ioJPEG;
  if (Jpeg2000HasSignatureBox(Stream)) return Found = ioJP2;
  if (Jpeg2000HasCodestreamStart(Stream)) return Found = ioJ2K;
  return Found = ioUnknown;
}

}  // namespace

Integer DetectStreamType(TStream* Stream) {
  if (Stream == nullptr) return ioUnknown;
  Integer found = ioUnknown;
  Int64 start = 0;
  bool haveStart = false;
  try {
    start = Stream->Position();
    haveStart = true;
    DetectAt(Stream, start, Stream->Size(), found);
  } catch (...) {
  }
  if (haveStart) {
    try {
      Stream->SetPosition(start);
    } catch (...) {
    }
  }
  return found;
}

Integer DetectFileType(const std::string& FileName, bool CheckExtension) {
  Integer result = ioUnknown;
  try {
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    result = DetectStreamType(&file);
  } catch (...) {
    return ioUnknown;
  }
  if (!CheckExtension || result == ioUnknown) return result;
  const size_t dot = FileName.find_last_of('.');
  const size_t slash = FileName.find_last_of("/\\");
  std::string ext;
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ext = FileName.substr(dot + 1);
  const TIEFormatRegistration* r = FindFormatByExtension(ext);
  if (r == nullptr) return ioUnknown;
  if (result == ioICO || result == ioCUR) return r->FormatType;
  return r->FormatType == result ? result : ioUnknown;
}
