// PNG filter. libpng reports errors by longjmp: every call into it is made from
// the Run* functions below, whose frames hold no C++ objects with destructors;
// buffers, masks and exceptions are held by the caller's job record.
#include "imaging/formats/pngfilt.h"

#include <png.h>

#include <cstring>
#include <exception>
#include <vector>

#include "imaging/buffer/neurquant.h"
#include "imaging/buffer/ruzozadproc.h"

namespace {

// Deflate expands at most about 1032:1; an image whose filtered rows need more
// than that from the bytes left in the stream cannot be real.
constexpr Int64 kMaxInflateRatio = 1032;

// One row's progress step. A progress handler that throws aborts the row
// loop; its exception is kept for after the codec has unwound.
bool StepProgress(TIEProgressRecord& Progress, std::exception_ptr* Thrown) {
  try {
    return Progress.Step();
  } catch (...) {
    if (!*Thrown) *Thrown = std::current_exception();
    Progress.SetAborted();
    return true;
  }
}

struct ReadIo {
  TStream* stream;
  bool* abort;
  std::exception_ptr* thrown;
};

void PngReadCallback(png_structp png, png_bytep data, png_size_t length) {
  auto* io = static_cast<ReadIo*>(png_get_io_ptr(png));
  Integer got = 0;
  try {
    got = io->stream->Read(data, static_cast<Integer>(length));
  } catch (...) {
    if (!*io->thrown) *io->thrown = std::current_exception();
    got = -1;
  }
  // A short read would hand the codec bytes that are not there.
  if (got != static_cast<Integer>(length)) png_error(png, "Read error");
}

void PngReadErrorCallback(png_structp png, png_const_charp) {
  if (bool* abort = static_cast<bool*>(png_get_error_ptr(png))) *abort = true;
  png_longjmp(png, 1);
}

void PngWarningCallback(png_structp, png_const_charp) {}

struct PngReadJob {
  TStream* stream;
  TIEBitmap* bitmap;
  TIOParamsVals* params;
  bool composite;
  bool headerOnly;
  TIEProgressRecord* progress;
  TIEMask* mask;  // nil for composite reads
  std::exception_ptr* thrown;
  ReadIo io;
  png_structp png;
  png_infop info;
  // header
  png_uint_32 width, height;
  int depth, colorType, interlace, passes, channels;
  Int64 dataBytes;
  bool failed;
  const char* reason;
  std::vector<Byte>* scratch;
};

Integer RoundDpi(double PixelsPerMetre) {
  return static_cast<Integer>(Round(static_cast<Extended>(PixelsPerMetre / 100.0 * 2.54)));
}

// Header, transforms and parameters.
void RunReadHeader(PngReadJob* job) {
  png_structp png = job->png;
  png_infop info = job->info;
  TIOParamsVals& p = *job->params;
  if (setjmp(png_jmpbuf(png))) {
    job->failed = true;
    return;
  }
  png_set_read_fn(png, &job->io, PngReadCallback);
  png_read_info(png, info);
  int compression = 0, filter = 0;
  png_get_IHDR(png, info, &job->width, &job->height, &job->depth, &job->colorType, &job->interlace, &compression,
               &filter);
  const int depth = job->depth;
  const int type = job->colorType;

  if (job->composite) {
    png_color_16p fileBackground = nullptr;
    if (png_get_bKGD(png, info, &fileBackground)) {
      png_set_background(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
      // The file's colour in 8 bits: 16-bit files keep the high byte, palette
      // files name an entry, grey files of fewer bits are scaled.
      Byte r = 0, g = 0, b = 0;
      if (type == PNG_COLOR_TYPE_PALETTE) {
        png_colorp pal = nullptr;
        int count = 0;
        if (png_get_PLTE(png, info, &pal, &count) && fileBackground->index < count) {
          r = pal[fileBackground->index].red;
          g = pal[fileBackground->index].green;
          b = pal[fileBackground->index].blue;
        }
      } else if ((type & PNG_COLOR_MASK_COLOR) == 0) {
        const int v = depth == 16 ? fileBackground->gray >> 8
                                  : fileBackground->gray * 255 / ((1 << depth) - 1);
        r = g = b = static_cast<Byte>(v);
      } else if (depth == 16) {
        r = static_cast<Byte>(fileBackground->red >> 8);
        g = static_cast<Byte>(fileBackground->green >> 8);
        b = static_cast<Byte>(fileBackground->blue >> 8);
      } else {
        r = static_cast<Byte>(fileBackground->red);
        g = static_cast<Byte>(fileBackground->green);
        b = static_cast<Byte>(fileBackground->blue);
      }
      p.PngBackground = MakeColorTriple(r, g, b);
    } else {
      png_color_16 bg;
      std::memset(&bg, 0, sizeof bg);
      // In the file's depth after expansion: 8 bits, 16 only for 16-bit files.
      const int shift = depth == 16 ? 8 : 0;
      bg.red = static_cast<png_uint_16>(p.PngBackground.Red << shift);
      bg.green = static_cast<png_uint_16>(p.PngBackground.Green << shift);
      bg.blue = static_cast<png_uint_16>(p.PngBackground.Blue << shift);
      bg.gray = static_cast<png_uint_16>(TripleLuminance(p.PngBackground) << shift);
      png_set_background(png, &bg, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
  }

  if (type == PNG_COLOR_TYPE_PALETTE && (depth == 2 || depth == 4 || depth == 8)) png_set_expand(png);
  if (type == PNG_COLOR_TYPE_GRAY && (depth == 2 || depth == 4)) png_set_expand(png);
  if (depth == 16) png_set_strip_16(png);
  if (depth == 2 || depth == 4) png_set_packing(png);
  if ((type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) && depth > 1) png_set_gray_to_rgb(png);
  if (depth > 1) png_set_bgr(png);
  job->passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  job->channels = png_get_channels(png, info);

  p.Width = static_cast<Integer>(job->width);
  p.Height = static_cast<Integer>(job->height);
  p.BitsPerSample = depth;
  switch (type) {
    case PNG_COLOR_TYPE_GRAY: p.SamplesPerPixel = 1; break;
    case PNG_COLOR_TYPE_RGB: p.SamplesPerPixel = 3; break;
    case PNG_COLOR_TYPE_PALETTE: p.SamplesPerPixel = 1; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: p.SamplesPerPixel = 2; break;
    case PNG_COLOR_TYPE_RGB_ALPHA: p.SamplesPerPixel = 4; break;
    default: break;
  }
  p.DpiX = RoundDpi(png_get_x_pixels_per_meter(png, info));
  p.DpiY = RoundDpi(png_get_y_pixels_per_meter(png, info));
  if (p.DpiX == 0) p.DpiX = IEDefaultDpiX;
  if (p.DpiY == 0) p.DpiY = IEDefaultDpiY;
  p.FreePalette();
  if (type == PNG_COLOR_TYPE_PALETTE) {
    png_colorp pal = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &pal, &count) && count > 0) {
      TIEColorTriple entries[256];
      for (int i = 0; i < count && i < 256; ++i) entries[i] = MakeColorTriple(pal[i].red, pal[i].green, pal[i].blue);
      p.SetPalette(entries, count < 256 ? count : 256);
    }
  }
  p.PngInterlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
}

// The rows, pass by pass.
void RunReadRows(PngReadJob* job) {
  png_structp png = job->png;
  if (setjmp(png_jmpbuf(png))) {
    job->failed = true;
    return;
  }
  TIEBitmap* bmp = job->bitmap;
  const Integer w = static_cast<Integer>(job->width);
  const Integer h = static_cast<Integer>(job->height);
  const bool split = job->channels == 4 && !job->composite;
  Byte* scratch = split ? job->scratch->data() : nullptr;
  TIEProgressRecord& progress = *job->progress;
  progress.Done = 0;
  progress.PerUnit = 100.0 / (double(h) * job->passes);
  bool stop = false;
  for (int pass = 0; pass < job->passes && !stop; ++pass) {
    for (Integer y = 0; y < h; ++y) {
      if (split) {
        Byte* mrow = job->mask->RowAddress(y);
        Byte* row = static_cast<Byte*>(bmp->GetRowPointer(y));
        if (pass > 0) {
          // Rebuild the four-byte pixels the earlier passes left.
          for (Integer x = 0; x < w; ++x) {
            std::memcpy(scratch + 4 * x, row + 3 * x, 3);
            scratch[4 * x + 3] = mrow[x];
          }
        }
        png_read_rows(png, &scratch, nullptr, 1);
        for (Integer x = 0; x < w; ++x) {
          std::memcpy(row + 3 * x, scratch + 4 * x, 3);
          mrow[x] = scratch[4 * x + 3];
        }
      } else {
        png_bytep row = static_cast<png_bytep>(bmp->GetRowPointer(y));
        png_read_rows(png, &row, nullptr, 1);
      }
      if (StepProgress(progress, job->thrown)) {
        stop = true;
        break;
      }
    }
  }
  if (!progress.Aborted()) png_read_end(png, nullptr);
}

}  // namespace

bool IsPngStream(TStream* Stream) {
  Byte sig[8] = {};
  const Integer got = Stream->Read(sig, 8);
  Stream->Seek(-got, soCurrent);
  return got >= 4 && png_sig_cmp(sig, 0, 4) == 0;
}

void ReadPngStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, bool Composite,
                   std::unique_ptr<TIEMask>& Alpha, bool HeaderOnly, TIEProgressRecord& Progress) {
  std::exception_ptr thrown;
  std::vector<Byte> scratch;
  PngReadJob job{};
  job.stream = Stream;
  job.bitmap = Bitmap;
  job.params = &Params;
  job.composite = Composite;
  job.headerOnly = HeaderOnly;
  job.progress = &Progress;
  job.thrown = &thrown;
  job.io = ReadIo{Stream, Progress.Abort, &thrown};
  job.scratch = &scratch;
  job.dataBytes = Stream->Size() - Stream->Position();
  job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, Progress.Abort, PngReadErrorCallback, PngWarningCallback);
  if (job.png == nullptr) {
    IEFilterFail(Progress, "Cannot create the PNG reader");
    return;
  }
  job.info = png_create_info_struct(job.png);
  if (job.info == nullptr) {
    png_destroy_read_struct(&job.png, nullptr, nullptr);
    IEFilterFail(Progress, "Cannot create the PNG reader");
    return;
  }
  struct Destroy {
    PngReadJob& j;
    ~Destroy() { png_destroy_read_struct(&j.png, &j.info, nullptr); }
  } destroy{job};

  RunReadHeader(&job);
  if (thrown) std::rethrow_exception(thrown);
  if (job.failed) {
    IEFilterFail(Progress, "Bad PNG header");
    return;
  }
  if (HeaderOnly) return;

  // The filtered rows need (1 + row bytes) per row; refuse what the data left
  // in the stream cannot inflate to, before anything is allocated.
  const int fileChannels = job.colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                           : job.colorType == PNG_COLOR_TYPE_RGB      ? 3
                           : job.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                        : 1;
  const Int64 rowBytes = (Int64(job.width) * job.depth * fileChannels + 7) / 8;
  const Int64 raw = (rowBytes + 1) * Int64(job.height);
  if (!IEImageSizeAllowed(job.width, job.height, 32, Int64(1) << 40, 0) ||
      raw > job.dataBytes * kMaxInflateRatio + 65536) {
    IEFilterFail(Progress, "PNG image dimensions are not plausible for its data");
    return;
  }
  if (!Composite) {
    try {
      if (!Alpha) Alpha = std::make_unique<TIEMask>();
      Alpha->AllocateMask(static_cast<Integer>(job.width), static_cast<Integer>(job.height), 8);
      Alpha->FillMask(255);
      Alpha->SetFull(true);
    } catch (const std::bad_alloc&) {
      IEFilterFail(Progress, "Out of memory");
      return;
    }
  }
  if (!IEAllocateImage(Bitmap, static_cast<Integer>(job.width), static_cast<Integer>(job.height),
                       job.depth == 1 ? ipkBW1 : ipkRGB24, Progress))
    return;
  if (job.channels == 4 && !Composite) {
    scratch.assign(size_t(job.width) * 4, 0);
    Alpha->SetFull(false);
  }
  job.mask = Alpha.get();
  RunReadRows(&job);
  if (thrown) std::rethrow_exception(thrown);
  if (job.failed) IEFilterFail(Progress, "Corrupt PNG data");
}

// --- writing -----------------------------------------------------------------

namespace {

struct WriteIo {
  TStream* stream;
  bool* abort;
  std::exception_ptr* thrown;
};

void PngWriteCallback(png_structp png, png_bytep data, png_size_t length) {
  auto* io = static_cast<WriteIo*>(png_get_io_ptr(png));
  Integer put = 0;
  try {
    put = io->stream->Write(data, static_cast<Integer>(length));
  } catch (...) {
    if (!*io->thrown) *io->thrown = std::current_exception();
    put = -1;
  }
  if (put != static_cast<Integer>(length) && io->abort) *io->abort = true;
}

void PngFlushCallback(png_structp) {}

void PngWriteErrorCallback(png_structp png, png_const_charp) { png_longjmp(png, 1); }

struct PngWriteJob {
  png_structp png;
  png_infop info;
  WriteIo io;
  TIEBitmap* image;  // ipkBW1 or ipkRGB24
  TIOParamsVals* params;
  TIEMask* mask;     // nil when none or full
  TIEQuantizer* quantizer;
  Byte* palette;     // 256 entries of red, green, blue
  Integer paletteEntries;
  int colorType, depth;
  Byte* scratch;
  TIEProgressRecord* progress;
  std::exception_ptr* thrown;
  bool failed;
};

void RunPngWrite(PngWriteJob* job) {
  png_structp png = job->png;
  png_infop info = job->info;
  if (setjmp(png_jmpbuf(png))) {
    job->failed = true;
    return;
  }
  TIOParamsVals& p = *job->params;
  TIEBitmap* img = job->image;
  const Integer w = img->Width();
  const Integer h = img->Height();
  png_set_write_fn(png, &job->io, PngWriteCallback, PngFlushCallback);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), job->depth, job->colorType,
               p.PngInterlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_color_16 bg;
  std::memset(&bg, 0, sizeof bg);
  if (job->colorType == PNG_COLOR_TYPE_PALETTE) {
    png_set_PLTE(png, info, reinterpret_cast<png_colorp>(job->palette), job->paletteEntries);
    if (job->mask) {
      png_byte zero = 0;
      png_set_tRNS(png, info, &zero, 1, nullptr);
    }
    bg.index = static_cast<png_byte>(1 + job->quantizer->ColorIndex(p.PngBackground));
  } else if (job->colorType != PNG_COLOR_TYPE_GRAY) {
    // An 8-bit file takes the 8-bit components (libpng refuses larger values).
    bg.red = p.PngBackground.Red;
    bg.green = p.PngBackground.Green;
    bg.blue = p.PngBackground.Blue;
  }
  png_set_pHYs(png, info, static_cast<png_uint_32>(Round(static_cast<Extended>(p.DpiX * 100.0 / 2.54))),
               static_cast<png_uint_32>(Round(static_cast<Extended>(p.DpiY * 100.0 / 2.54))), PNG_RESOLUTION_METER);
  switch (p.PngFilter) {
    case 0: png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE); break;
    case 1: png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB); break;
    case 2: png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH); break;
    default: break;
  }
  png_set_bKGD(png, info, &bg);
  png_set_compression_level(png, p.PngCompression);
  png_set_bgr(png);
  png_write_info(png, info);
  const int passes = png_set_interlace_handling(png);
  TIEProgressRecord& progress = *job->progress;
  progress.Done = 0;
  progress.PerUnit = 100.0 / (double(h) * passes);
  bool stop = false;
  for (int pass = 0; pass < passes && !stop; ++pass) {
    for (Integer y = 0; y < h; ++y) {
      Byte* src = static_cast<Byte*>(img->GetRowPointer(y));
      png_bytep row = src;
      if (job->colorType == PNG_COLOR_TYPE_PALETTE) {
        const Byte* mrow = job->mask ? job->mask->RowAddress(y) : nullptr;
        for (Integer x = 0; x < w; ++x) {
          const Byte* px = src + 3 * x;
          job->scratch[x] = (mrow && mrow[x] < 255)
                                ? 0
                                : static_cast<Byte>(1 + job->quantizer->ColorIndex(px[0], px[1], px[2]));
        }
        row = job->scratch;
      } else if (job->colorType == PNG_COLOR_TYPE_RGB_ALPHA) {
        const Byte* mrow = job->mask->RowAddress(y);
        for (Integer x = 0; x < w; ++x) {
          std::memcpy(job->scratch + 4 * x, src + 3 * x, 3);
          job->scratch[4 * x + 3] = mrow[x];
        }
        row = job->scratch;
      }
      png_write_rows(png, &row, 1);
      if (StepProgress(progress, job->thrown)) {
        stop = true;
        break;
      }
    }
  }
  if (!progress.Aborted()) png_write_end(png, info);
}

}  // namespace

void WritePngStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEMask* Alpha,
                    TIEProgressRecord& Progress) {
  // The working image: 1-bit for BitsPerSample 1, else 24-bit.
  std::unique_ptr<TIEBitmap> work;
  TIEBitmap* image = Bitmap;
  if (Params.BitsPerSample == 1) {
    if (Bitmap->PixelKind() != ipkBW1) {
      TIEColorTriple first, second;
      work = ReduceToTwoColors(Bitmap, first, second);
      if (!work) {
        work = std::make_unique<TIEBitmap>();
        work->SetLocation(islMemory);
        work->CopyFromObject(Bitmap);
        work->ConvertToKind(ipkBW1);
      }
      image = work.get();
    }
  } else if (Bitmap->PixelKind() != ipkRGB24) {
    work = std::make_unique<TIEBitmap>();
    work->SetLocation(islMemory);
    work->CopyFromObject(Bitmap);
    work->ConvertToKind(ipkRGB24);
    image = work.get();
  }
  const bool bilevel = image->PixelKind() == ipkBW1;
  TIEMask* mask = (Alpha && !Alpha->Full() && Alpha->BitsPerPixel() == 8 && Alpha->Width() == image->Width() &&
                   Alpha->Height() == image->Height())
                      ? Alpha
                      : nullptr;

  std::exception_ptr thrown;
  PngWriteJob job{};
  job.io = WriteIo{Stream, Progress.Abort, &thrown};
  job.image = image;
  job.params = &Params;
  job.progress = &Progress;
  job.thrown = &thrown;
  // 1-bit images are written as 1-bit grey whatever SamplesPerPixel says.
  if (bilevel) {
    job.colorType = PNG_COLOR_TYPE_GRAY;
    job.depth = 1;
    mask = nullptr;
  } else if (Params.SamplesPerPixel == 1) {
    job.colorType = PNG_COLOR_TYPE_PALETTE;
    job.depth = 8;
  } else {
    job.colorType = mask ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    job.depth = 8;
  }
  job.mask = mask;

  std::unique_ptr<TIEQuantizer> quantizer;
  std::vector<Byte> palette(256 * 3, 0);
  std::vector<Byte> scratch;
  if (job.colorType == PNG_COLOR_TYPE_PALETTE) {
    const Integer bps = Params.BitsPerSample < 1 ? 1 : (Params.BitsPerSample > 8 ? 8 : Params.BitsPerSample);
    const Integer colors = (1 << bps) < 255 ? (1 << bps) : 255;
    std::vector<TIEColorTriple> q(256);
    quantizer = std::make_unique<TIEQuantizer>(image, q.data(), colors);
    palette[0] = Params.PngBackground.Red;
    palette[1] = Params.PngBackground.Green;
    palette[2] = Params.PngBackground.Blue;
    for (Integer i = 0; i < 255; ++i) {
      palette[3 * (i + 1)] = q[i].Red;
      palette[3 * (i + 1) + 1] = q[i].Green;
      palette[3 * (i + 1) + 2] = q[i].Blue;
    }
    job.quantizer = quantizer.get();
    job.palette = palette.data();
    job.paletteEntries = (1 << bps) + 1 < 256 ? (1 << bps) + 1 : 256;
    scratch.assign(size_t(image->Width()) + 1, 0);
  } else if (job.colorType == PNG_COLOR_TYPE_RGB_ALPHA) {
    scratch.assign(size_t(image->Width()) * 4 + 1, 0);
  }
  job.scratch = scratch.data();

  job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngWriteErrorCallback, PngWarningCallback);
  if (job.png) job.info = png_create_info_struct(job.png);
  if (!job.png || !job.info) {
    png_destroy_write_struct(&job.png, &job.info);
    throw EInvalidGraphic("Error on creating PNG");
  }
  RunPngWrite(&job);
  png_destroy_write_struct(&job.png, &job.info);
  if (thrown) std::rethrow_exception(thrown);
  if (job.failed) throw EInvalidGraphic("Error on creating PNG");
}
