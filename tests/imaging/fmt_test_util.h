// Helpers of the format filter tests: files and byte streams, pictures built
// from pixel lists, and comparisons with a reference decoding.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/formats/iefilters.h"
#include "imaging/formats/ioparams.h"
#include "platform/Classes.h"
#include "platform/Win.h"

namespace fmtt {

inline std::vector<Byte> ReadAll(const std::string& Path) {
  std::vector<Byte> out;
  if (FILE* f = std::fopen(Path.c_str(), "rb")) {
    Byte buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
  }
  return out;
}

inline std::string CorpusPath(const std::string& Name) { return std::string(TEST_DATA_DIR) + "/formats/" + Name; }

inline std::unique_ptr<TMemoryStream> StreamOf(const std::vector<Byte>& Bytes) {
  auto s = std::make_unique<TMemoryStream>();
  if (!Bytes.empty()) s->Write(Bytes.data(), Integer(Bytes.size()));
  s->SetPosition(0);
  return s;
}

inline std::vector<Byte> BytesOf(TMemoryStream& S) {
  const Byte* p = static_cast<const Byte*>(S.Memory());
  return std::vector<Byte>(p, p + S.Size());
}

inline uint32_t Le32At(const std::vector<Byte>& F, size_t At) {
  return uint32_t(F[At]) | (uint32_t(F[At + 1]) << 8) | (uint32_t(F[At + 2]) << 16) | (uint32_t(F[At + 3]) << 24);
}
inline uint32_t Le16At(const std::vector<Byte>& F, size_t At) { return uint32_t(F[At]) | (uint32_t(F[At + 1]) << 8); }
inline void Put16(std::vector<Byte>& v, size_t at, uint32_t x) {
  v[at] = Byte(x);
  v[at + 1] = Byte(x >> 8);
}
inline void Put32(std::vector<Byte>& v, size_t at, uint32_t x) {
  for (int k = 0; k < 4; ++k) v[at + k] = Byte(x >> (8 * k));
}

// A progress record with its own abort flag.
struct TProgressBox {
  bool Abort = false;
  TIEProgressRecord Record;
  std::vector<Integer> Reports;
  TProgressBox() { Record.Abort = &Abort; }
  void Track() {
    Record.Callback = [this](TObject*, Integer Percent) { Reports.push_back(Percent); };
  }
};

// Pixel as 0xRRGGBB (ipkBW1: 0xFFFFFF for a set bit).
inline uint32_t Pixel(TIEBitmap& B, Integer X, Integer Y) {
  const Byte* row = static_cast<const Byte*>(B.GetRowPointer(Y));
  if (B.PixelKind() == ipkBW1) return TestBit(row, X) ? 0xFFFFFF : 0;
  const Byte* p = row + 3 * X;
  return (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}

// A picture from 0xRRGGBB values, rows from the top.
inline std::unique_ptr<TIEBitmap> MakeRGB(Integer W, Integer H, const std::function<uint32_t(Integer, Integer)>& Color) {
  auto b = std::make_unique<TIEBitmap>();
  b->SetLocation(islMemory);
  b->AllocateImage(W, H, ipkRGB24);
  for (Integer y = 0; y < H; ++y) {
    Byte* row = static_cast<Byte*>(b->GetRowPointer(y));
    for (Integer x = 0; x < W; ++x) {
      const uint32_t c = Color(x, y);
      row[3 * x] = Byte(c);
      row[3 * x + 1] = Byte(c >> 8);
      row[3 * x + 2] = Byte(c >> 16);
    }
  }
  return b;
}

inline std::unique_ptr<TIEBitmap> MakeBW(Integer W, Integer H, const std::function<bool(Integer, Integer)>& White) {
  auto b = std::make_unique<TIEBitmap>();
  b->SetLocation(islMemory);
  b->AllocateImage(W, H, ipkBW1);
  for (Integer y = 0; y < H; ++y) {
    Byte* row = static_cast<Byte*>(b->GetRowPointer(y));
    for (Integer x = 0; x < W; ++x) PutBit(row, x, White(x, y) ? 1 : 0);
  }
  return b;
}

inline std::unique_ptr<TIEBitmap> NewBuffer() {
  auto b = std::make_unique<TIEBitmap>();
  b->SetLocation(islMemory);
  return b;
}

// Number of pixels whose colours differ between two pictures of one size.
inline Integer DifferentPixels(TIEBitmap& A, TIEBitmap& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height()) return -1;
  Integer n = 0;
  for (Integer y = 0; y < A.Height(); ++y)
    for (Integer x = 0; x < A.Width(); ++x) n += Pixel(A, x, y) != Pixel(B, x, y);
  return n;
}

// Distinct colours of a picture.
inline Integer ColorCount(TIEBitmap& B) {
  std::vector<bool> seen(1 << 24);
  Integer n = 0;
  for (Integer y = 0; y < B.Height(); ++y)
    for (Integer x = 0; x < B.Width(); ++x) {
      const uint32_t c = Pixel(B, x, y);
      if (!seen[c]) {
        seen[c] = true;
        ++n;
      }
    }
  return n;
}

// The names of the plain files in a folder (for the interop runs' input folders).
inline std::vector<std::string> FilesIn(const std::string& Dir) {
  std::vector<std::string> out;
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW(Utf8ToWide(Dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.push_back(WideToUtf8(fd.cFileName));
  } while (::FindNextFileW(h, &fd));
  ::FindClose(h);
  return out;
}

}  // namespace fmtt
