// One small real file of every built-in format, for the registry, entry-point
// and glue tests: the corpus files of tests/data/formats where there are
// some, our own writers' output for JPEG, PNG and JPEG-2000, and a TIFF
// built byte by byte.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/formatregistry.h"
#include "imaging/formats/iej2000.h"
#include "imaging/formats/jpegfilt.h"
#include "imaging/formats/pngfilt.h"

namespace fmtsample {

// 16 x 12 picture, every pixel of its own colour but smooth enough for JPEG
// to keep close, so a decode is checked pixel by pixel.
inline std::unique_ptr<TIEBitmap> Picture() {
  return fmtt::MakeRGB(16, 12, [](Integer x, Integer y) {
    return uint32_t(((16 + x * 8) << 16) | ((32 + y * 10) << 8) | (48 + x * 2 + y));
  });
}

inline std::vector<Byte> Written(Integer Type) {
  auto pic = Picture();
  TIOParamsVals params;
  fmtt::TProgressBox pr;
  TMemoryStream s;
  switch (Type) {
    case ioJPEG:
      params.JpegQuality = 95;
      WriteJpegStream(&s, pic.get(), params, pr.Record);
      break;
    case ioPNG:
      WritePngStream(&s, pic.get(), params, nullptr, pr.Record);
      break;
    case ioJP2:
    case ioJ2K:
      params.J2kRate = 1;
      Jpeg2000SaveToStream(&s, pic.get(), params, Type == ioJP2 ? 0 : 1, pr.Record);
      break;
    default:
      break;
  }
  return fmtt::BytesOf(s);
}

// Little-endian uncompressed RGB TIFF of Picture(), one strip. Base: added
// to every offset, for a TIFF that will sit Base bytes into a stream and
// count its offsets from the stream's start.
inline std::vector<Byte> Tiff(Cardinal Base = 0) {
  auto pic = Picture();
  const Integer w = pic->Width(), h = pic->Height();
  std::vector<Byte> f = {'I', 'I', 42, 0, Byte(8 + Base), 0, 0, 0};
  struct TEntry {
    Word Tag, Type;
    Cardinal Count, Value;
  };
  const Cardinal entries = 9;
  const Cardinal bpsAt = Base + 8 + 2 + entries * 12 + 4;
  const Cardinal pixelsAt = bpsAt + 6;
  const TEntry dir[entries] = {
      {256, 3, 1, Cardinal(w)},   {257, 3, 1, Cardinal(h)},   {258, 3, 3, bpsAt},
      {259, 3, 1, 1},             {262, 3, 1, 2},             {273, 4, 1, pixelsAt},
      {277, 3, 1, 3},             {278, 3, 1, Cardinal(h)},   {279, 4, 1, Cardinal(w * h * 3)},
  };
  auto put16 = [&f](Cardinal v) {
    f.push_back(Byte(v));
    f.push_back(Byte(v >> 8));
  };
  auto put32 = [&](Cardinal v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  put16(entries);
  for (const TEntry& e : dir) {
    put16(e.Tag);
    put16(e.Type);
    put32(e.Count);
    put32(e.Value);
  }
  put32(0);
  put16(8), put16(8), put16(8);
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) {
      const uint32_t c = fmtt::Pixel(*pic, x, y);
      f.push_back(Byte(c >> 16)), f.push_back(Byte(c >> 8)), f.push_back(Byte(c));
    }
  return f;
}

struct TSample {
  Integer Type;
  const char* Extension;  // with the dot
  const char* Corpus;     // file in tests/data/formats, or nil when made here
};

// The loadable built-ins (metafiles are made by the platform in their own tests).
inline const std::vector<TSample>& Samples() {
  static const std::vector<TSample> samples = {
      {ioTIFF, ".tif", nullptr},     {ioGIF, ".gif", "gif8.gif"},   {ioJPEG, ".jpg", nullptr},
      {ioPCX, ".pcx", "pcx8.pcx"},   {ioBMP, ".bmp", "bmp24.bmp"},  {ioICO, ".ico", "ico8.ico"},
      {ioCUR, ".cur", "cur4.cur"},   {ioPNG, ".png", nullptr},      {ioTGA, ".tga", "tga24.tga"},
      {ioPXM, ".ppm", "p6_comments.ppm"}, {ioJP2, ".jp2", nullptr}, {ioJ2K, ".j2k", nullptr},
  };
  return samples;
}

inline std::vector<Byte> Bytes(const TSample& S) {
  if (S.Corpus) return fmtt::ReadAll(fmtt::CorpusPath(S.Corpus));
  if (S.Type == ioTIFF) return Tiff();
  return Written(S.Type);
}

inline std::vector<Byte> BytesOfType(Integer Type) {
  for (const TSample& s : Samples())
    if (s.Type == Type) return Bytes(s);
  return {};
}

// A temporary folder of the test process; what WriteFile and TempPath put
// there is removed when the process ends.
struct TTempFolder {
  std::string Dir;
  std::vector<std::string> Files;
  TTempFolder() {
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    Dir = std::string(base) + "fmt2r_" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(Dir.c_str(), nullptr);
  }
  ~TTempFolder() {
    for (const std::string& f : Files) ::DeleteFileA(f.c_str());
    ::RemoveDirectoryA(Dir.c_str());
  }
};

inline TTempFolder& Temp() {
  static TTempFolder folder;
  return folder;
}

inline std::string TempPath(const std::string& Name) {
  const std::string path = Temp().Dir + "\\" + Name;
  Temp().Files.push_back(path);
  ::DeleteFileA(path.c_str());
  return path;
}

inline std::string WriteFile(const std::string& Name, const std::vector<Byte>& Bytes) {
  const std::string path = TempPath(Name);
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (!Bytes.empty()) std::fwrite(Bytes.data(), 1, Bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

}  // namespace fmtsample
