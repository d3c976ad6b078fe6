// Decode and encode speed of the JPEG, PNG, BMP, Targa, JPEG-2000 and TIFF filters on one
// large picture, in megapixels per second (best of three, in memory, file reading
// excluded). bench/formats_bench.py runs it next to the command-line tools.
//
//   formats_bench <picture.ppm> <picture.jpg> <picture.png> [<picture.jp2>]
//                 [--tiff <uncompressed.tif> <lzw.tif> <g4.tif>]
// TIFF LZW goes through the decoding hook; the library has no LZW decoder, so
// the bench installs the one the tests carry.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "imaging/formats/bmpfilt.h"
#include "imaging/formats/iej2000.h"
#include "imaging/formats/ietgafil.h"
#include "imaging/formats/jpegfilt.h"
#include "imaging/formats/pngfilt.h"
#include "imaging/formats/tiffilt.h"
#include "tests/imaging/tiff_read_util.h"

namespace {

using Clock = std::chrono::steady_clock;

double Best(int Runs, const std::function<void()>& Work) {
  double best = 1e30;
  for (int i = 0; i < Runs; ++i) {
    const auto t0 = Clock::now();
    Work();
    const double s = std::chrono::duration<double>(Clock::now() - t0).count();
    if (s < best) best = s;
  }
  return best;
}

std::unique_ptr<TIEBitmap> ReadPpm(const std::string& Path) {
  TMemoryStream s;
  s.LoadFromFile(Path);
  const char* p = static_cast<const char*>(s.Memory());
  int w = 0, h = 0, maxv = 0, n = 0;
  if (std::sscanf(p, "P6 %d %d %d%n", &w, &h, &maxv, &n) != 3 || maxv != 255) return nullptr;
  auto b = std::make_unique<TIEBitmap>();
  b->SetLocation(islMemory);
  b->SetFileThreshold(UINT64_MAX);
  b->AllocateImage(w, h, ipkRGB24);
  const Byte* px = reinterpret_cast<const Byte*>(p) + n + 1;
  for (int y = 0; y < h; ++y) {
    Byte* row = static_cast<Byte*>(b->GetRowPointer(y));
    const Byte* src = px + size_t(y) * size_t(w) * 3;
    for (int x = 0; x < w; ++x) {
      row[3 * x] = src[3 * x + 2];
      row[3 * x + 1] = src[3 * x + 1];
      row[3 * x + 2] = src[3 * x];
    }
  }
  return b;
}

void Report(const char* What, double Megapixels, double Seconds) {
  std::printf("%-22s %8.2f MP/s  (%.3f s)\n", What, Megapixels / Seconds, Seconds);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const char* tiffs[3] = {};
  for (int i = 1; i + 3 < argc; ++i)
    if (std::strcmp(argv[i], "--tiff") == 0) {
      for (int k = 0; k < 3; ++k) tiffs[k] = argv[i + 1 + k];
      argc = i;
      break;
    }
  if (argc < 4) {
    std::fprintf(stderr, "usage: formats_bench picture.ppm picture.jpg picture.png [picture.jp2]\n");
    return 2;
  }
  auto pic = ReadPpm(argv[1]);
  if (!pic) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  const double mp = double(pic->Width()) * pic->Height() / 1e6;
  std::printf("picture %dx%d (%.1f MP)\n", pic->Width(), pic->Height(), mp);
  bool abort = false;
  TIEProgressRecord progress;
  progress.Abort = &abort;

  // What a decode pays for its output buffer alone: allocating and touching it.
  Report("buffer alloc+fill", mp, Best(3, [&] {
           TIEBitmap out;
           out.SetLocation(islMemory);
           out.SetFileThreshold(UINT64_MAX);
           out.AllocateImage(pic->Width(), pic->Height(), ipkRGB24);
           for (Integer y = 0; y < out.Height(); ++y) std::memset(out.GetRowPointer(y), 1, size_t(out.RowLength()));
         }));

  TMemoryStream jpg;
  jpg.LoadFromFile(argv[2]);
  // Decodes go into one buffer, as repeated loads do: its pages are faulted
  // in once, by the first run.
  TIEBitmap out;
  out.SetLocation(islMemory);
  out.SetFileThreshold(UINT64_MAX);
  Report("ours jpeg decode", mp, Best(4, [&] {
           TIOParamsVals p;
           jpg.SetPosition(0);
           ReadJpegStream(&jpg, nullptr, &out, false, false, progress, p);
         }));
  Report("ours jpeg encode q90", mp, Best(3, [&] {
           TMemoryStream out;
           TIOParamsVals p;
           p.JpegQuality = 90;
           WriteJpegStream(&out, pic.get(), p, progress);
         }));

  TMemoryStream png;
  png.LoadFromFile(argv[3]);
  Report("ours png decode", mp, Best(4, [&] {
           TIOParamsVals p;
           std::unique_ptr<TIEMask> mask;
           png.SetPosition(0);
           ReadPngStream(&png, &out, p, false, mask, false, progress);
         }));
  Report("ours png encode", mp, Best(3, [&] {
           TMemoryStream out;
           TIOParamsVals p;
           p.PngCompression = 6;  // the level pnmtopng uses
           p.PngFilter = 3;       // the codec's adaptive filtering, as pnmtopng
           WritePngStream(&out, pic.get(), p, nullptr, progress);
         }));

  // BMP and Targa decode what our own writers made of the same picture.
  TMemoryStream bmp;
  Report("ours bmp encode", mp, Best(3, [&] {
           TIOParamsVals p;
           bmp.Clear();
           WriteBmpStream(&bmp, pic.get(), p, progress);
         }));
  Report("ours bmp decode", mp, Best(4, [&] {
           TIOParamsVals p;
           bmp.SetPosition(0);
           ReadBmpStream(&bmp, &out, p, progress, false, bmp.Size());
         }));
  TMemoryStream tga;
  Report("ours tga encode", mp, Best(3, [&] {
           TIOParamsVals p;
           tga.Clear();
           WriteTgaStream(&tga, pic.get(), p, progress, nullptr);
         }));
  Report("ours tga decode", mp, Best(4, [&] {
           TIOParamsVals p;
           std::unique_ptr<TIEMask> alpha;
           tga.SetPosition(0);
           ReadTgaStream(&tga, &out, p, progress, false, true, alpha);
         }));

  if (argc > 4) {
    TMemoryStream jp2;
    jp2.LoadFromFile(argv[4]);
    Report("ours jpeg2000 decode", mp, Best(1, [&] {
             TIOParamsVals p;
             jp2.SetPosition(0);
             Jpeg2000LoadFromStream(&jp2, &out, p, false, progress);
           }));
  }
  if (tiffs[0]) {
    const char* names[3] = {"ours tiff none decode", "ours tiff lzw decode", "ours tiff g4 decode"};
    for (int k = 0; k < 3; ++k) {
      TMemoryStream tif;
      tif.LoadFromFile(tiffs[k]);
      bool failed = false;
      const double s = Best(4, [&] {
        TIOParamsVals p;
        p.TiffLzwDecoder = tifft::LzwDecodeRow;
        std::unique_ptr<TIEMask> alpha;
        Integer count = 0;
        tif.SetPosition(0);
        ReadTiffStream(&out, &tif, count, true, false, alpha, false, progress, p);
        failed = failed || abort;
        abort = false;
      });
      if (failed)
        std::printf("%-22s refused: %s\n", names[k], IELastFilterError().c_str());
      else
        Report(names[k], mp, s);
    }
  }
  return abort ? 1 : 0;
}
