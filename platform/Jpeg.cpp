// TJPEGImage over libjpeg. libjpeg reports fatal errors by longjmp: the calls
// into it live in plain C-style functions whose frames hold no C++ objects;
// they return an error message that is thrown as EJPEG afterwards.
#include "platform/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

extern "C" void JpegOutputMessage(j_common_ptr) {}

// Decoding parameters and results. The pixel buffer is malloc'ed inside the
// decoder so nothing in its frame needs a destructor.
struct DecodeJob {
  const unsigned char* data;
  unsigned long size;
  int scaleDenom;
  bool grayscale;
  bool quantize;  // 8-bit output with a colour map
  bool fast;
  bool smoothing;
  bool headerOnly;
  // results
  int width, height, components;  // output size and samples per pixel
  int imageWidth, imageHeight;    // full size from the header
  bool sourceGray;
  unsigned char* pixels;  // rows top-down, width * components bytes each
  int colors;
  unsigned char colormap[3][256];
  char message[JMSG_LENGTH_MAX];
};

// Largest picture accepted for a stream of the given size: every 8x8 block
// costs some bits even in a flat picture, so far more pixels than this (or
// more than 128 M) can only come from a corrupt header.
bool PlausibleSize(unsigned long dataSize, unsigned w, unsigned h) {
  const uint64_t pixels = uint64_t(w) * h;
  const uint64_t limit = std::max<uint64_t>(uint64_t(dataSize) * 1024, uint64_t(1) << 20);
  return pixels <= limit && pixels <= (uint64_t(1) << 27);
}

bool RunDecode(DecodeJob* job) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegErrorExit;
  err.pub.output_message = JpegOutputMessage;
  job->pixels = nullptr;
  if (setjmp(err.jump)) {
    std::memcpy(job->message, err.message, sizeof job->message);
    std::free(job->pixels);
    job->pixels = nullptr;
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, job->data, job->size);
  jpeg_read_header(&cinfo, TRUE);
  job->imageWidth = static_cast<int>(cinfo.image_width);
  job->imageHeight = static_cast<int>(cinfo.image_height);
  job->sourceGray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  if (!PlausibleSize(job->size, cinfo.image_width, cinfo.image_height)) {
    std::snprintf(job->message, sizeof job->message, "JPEG image dimensions %ux%u are not plausible",
                  cinfo.image_width, cinfo.image_height);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  if (job->headerOnly) {
    jpeg_destroy_decompress(&cinfo);
    return true;
  }
  cinfo.scale_num = 1;
  cinfo.scale_denom = static_cast<unsigned>(job->scaleDenom);
  if (job->grayscale || job->sourceGray) cinfo.out_color_space = JCS_GRAYSCALE;
  else if (cinfo.jpeg_color_space != JCS_CMYK && cinfo.jpeg_color_space != JCS_YCCK) cinfo.out_color_space = JCS_RGB;
  else cinfo.out_color_space = JCS_CMYK;
  if (job->quantize && cinfo.out_color_space == JCS_RGB) {
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = 256;
    cinfo.two_pass_quantize = job->fast ? FALSE : TRUE;
    cinfo.dither_mode = job->fast ? JDITHER_ORDERED : JDITHER_FS;
  }
  cinfo.dct_method = job->fast ? JDCT_IFAST : JDCT_ISLOW;
  cinfo.do_fancy_upsampling = job->fast ? FALSE : TRUE;
  cinfo.do_block_smoothing = job->smoothing ? TRUE : FALSE;
  jpeg_start_decompress(&cinfo);
  job->width = static_cast<int>(cinfo.output_width);
  job->height = static_cast<int>(cinfo.output_height);
  job->components = cinfo.output_components;
  const size_t rowBytes = size_t(cinfo.output_width) * size_t(cinfo.output_components);
  job->pixels = static_cast<unsigned char*>(std::malloc(rowBytes * cinfo.output_height + 1));
  if (job->pixels == nullptr) {
    std::snprintf(job->message, sizeof job->message, "Out of memory");
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = job->pixels + rowBytes * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  job->colors = 0;
  if (cinfo.quantize_colors) {
    job->colors = cinfo.actual_number_of_colors;
    for (int c = 0; c < cinfo.out_color_components && c < 3; ++c)
      for (int i = 0; i < job->colors; ++i) job->colormap[c][i] = cinfo.colormap[c][i];
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

struct EncodeJob {
  const unsigned char* pixels;  // top-down rows of RGB or gray samples
  int width, height, components;
  int quality;
  bool progressive;
  unsigned char* out;  // malloc'ed by libjpeg's memory destination
  unsigned long outSize;
  char message[JMSG_LENGTH_MAX];
};

bool RunEncode(EncodeJob* job) {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegErrorExit;
  err.pub.output_message = JpegOutputMessage;
  job->out = nullptr;
  job->outSize = 0;
  if (setjmp(err.jump)) {
    std::memcpy(job->message, err.message, sizeof job->message);
    jpeg_destroy_compress(&cinfo);
    std::free(job->out);
    job->out = nullptr;
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &job->out, &job->outSize);
  cinfo.image_width = static_cast<JDIMENSION>(job->width);
  cinfo.image_height = static_cast<JDIMENSION>(job->height);
  cinfo.input_components = job->components;
  cinfo.in_color_space = job->components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, job->quality, TRUE);
  if (job->progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t rowBytes = size_t(job->width) * size_t(job->components);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(job->pixels + rowBytes * cinfo.next_scanline);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

}  // namespace

// ---------------------------------------------------------------------------
TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

Integer TJPEGImage::Width() const {
  if (bitmap_) return bitmap_->Width();
  static const int kDenoms[] = {1, 2, 4, 8};
  return (width_ + kDenoms[scale_] - 1) / kDenoms[scale_];
}

Integer TJPEGImage::Height() const {
  if (bitmap_) return bitmap_->Height();
  static const int kDenoms[] = {1, 2, 4, 8};
  return (height_ + kDenoms[scale_] - 1) / kDenoms[scale_];
}

HPALETTE TJPEGImage::Palette() {
  if (pixelFormat_ != jf8Bit || Empty()) return nullptr;
  return Bitmap()->Palette();
}

void TJPEGImage::FreeBitmap() { bitmap_.reset(); }

void TJPEGImage::SetCompressionQuality(Integer Value) {
  quality_ = std::clamp<Integer>(Value, 1, 100);
}

void TJPEGImage::SetSmoothing(bool Value) {
  if (Value == smoothing_) return;
  smoothing_ = Value;
  if (!data_.empty()) FreeBitmap();
}

void TJPEGImage::SetGrayscale(bool Value) {
  if (Value == grayscale_) return;
  grayscale_ = Value;
  if (!data_.empty()) FreeBitmap();
  Changed(this);
}

void TJPEGImage::SetPerformance(TJPEGPerformance Value) {
  if (Value == performance_) return;
  performance_ = Value;
  if (!data_.empty()) FreeBitmap();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat Value) {
  if (Value == pixelFormat_) return;
  pixelFormat_ = Value;
  if (!data_.empty()) FreeBitmap();
  Changed(this);
}

void TJPEGImage::SetScale(TJPEGScale Value) {
  if (Value == scale_) return;
  scale_ = Value;
  if (!data_.empty()) FreeBitmap();
  Changed(this);
}

void TJPEGImage::ReadHeader() {
  DecodeJob job{};
  job.data = data_.data();
  job.size = static_cast<unsigned long>(data_.size());
  job.scaleDenom = 1;
  job.headerOnly = true;
  if (!RunDecode(&job)) throw EJPEG(job.message);
  width_ = job.imageWidth;
  height_ = job.imageHeight;
  headerGray_ = job.sourceGray;
}

void TJPEGImage::LoadFromStream(TStream* Stream) {
  const Int64 n = Stream->Size() - Stream->Position();
  std::vector<Byte> data;
  if (n > 0) {
    if (n > 0x7FFFFFFF) throw EJPEG("JPEG stream too large");
    data.resize(static_cast<size_t>(n));
    Stream->ReadBuffer(data.data(), static_cast<Integer>(n));
  }
  std::vector<Byte> old;
  old.swap(data_);
  data_ = std::move(data);
  FreeBitmap();
  if (data_.empty()) {
    width_ = height_ = 0;
    Changed(this);
    return;
  }
  try {
    ReadHeader();
  } catch (...) {
    data_.clear();
    width_ = height_ = 0;
    throw;
  }
  Changed(this);
}

void TJPEGImage::SaveToStream(TStream* Stream) {
  JPEGNeeded();
  if (!data_.empty()) Stream->WriteBuffer(data_.data(), static_cast<Integer>(data_.size()));
}

void TJPEGImage::DIBNeeded() {
  if (bitmap_ || data_.empty()) return;
  static const int kDenoms[] = {1, 2, 4, 8};
  DecodeJob job{};
  job.data = data_.data();
  job.size = static_cast<unsigned long>(data_.size());
  job.scaleDenom = kDenoms[scale_];
  job.grayscale = grayscale_;
  job.quantize = pixelFormat_ == jf8Bit;
  job.fast = performance_ == jpBestSpeed;
  job.smoothing = smoothing_;
  const bool ok = RunDecode(&job);
  std::unique_ptr<unsigned char, FreeDeleter> pixels(job.pixels);
  if (!ok) throw EJPEG(job.message);
  Progress(this, psStarting, 0, false, TRect{}, "");
  auto bmp = std::make_unique<TBitmap>();
  const int w = job.width, h = job.height, comps = job.components;
  if (comps == 1 || job.colors > 0) {
    bmp->SetPixelFormat(pf8bit);
    std::vector<PALETTEENTRY> pal(256);
    if (job.colors > 0) {
      pal.resize(static_cast<size_t>(job.colors));
      for (int i = 0; i < job.colors; ++i)
        pal[i] = PALETTEENTRY{job.colormap[0][i], job.colormap[1][i], job.colormap[2][i], 0};
    } else {
      for (int i = 0; i < 256; ++i) pal[i] = PALETTEENTRY{Byte(i), Byte(i), Byte(i), 0};
    }
    HPALETTE hp = CreatePaletteFromEntries(pal);
    bmp->SetPalette(hp);
    ::DeleteObject(hp);
    bmp->SetSize(w, h);
    for (int y = 0; y < h; ++y)
      std::memcpy(bmp->ScanLine(y), pixels.get() + size_t(y) * w, static_cast<size_t>(w));
  } else {
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(w, h);
    for (int y = 0; y < h; ++y) {
      const unsigned char* src = pixels.get() + size_t(y) * w * comps;
      Byte* dst = static_cast<Byte*>(bmp->ScanLine(y));
      for (int x = 0; x < w; ++x) {
        Byte r, g, b;
        if (comps == 4) {  // Adobe CMYK is stored inverted
          const unsigned k = src[4 * x + 3];
          r = Byte(src[4 * x] * k / 255);
          g = Byte(src[4 * x + 1] * k / 255);
          b = Byte(src[4 * x + 2] * k / 255);
        } else {
          r = src[3 * x];
          g = src[3 * x + 1];
          b = src[3 * x + 2];
        }
        dst[3 * x] = b;
        dst[3 * x + 1] = g;
        dst[3 * x + 2] = r;
      }
    }
  }
  bmp->SetModified(false);
  bitmap_ = std::move(bmp);
  Progress(this, psEnding, 100, false, TRect{}, "");
}

void TJPEGImage::JPEGNeeded() {
  if (!data_.empty() || !bitmap_ || bitmap_->Empty()) return;
  TBitmap* src = bitmap_.get();
  const int w = src->Width(), h = src->Height();
  const int comps = grayscale_ ? 1 : 3;
  std::vector<Byte> pixels(size_t(w) * h * comps);
  // Read the pixels as 24-bit through a copy, whatever the bitmap's format.
  TBitmap tmp;
  tmp.Assign(src);
  tmp.SetPixelFormat(pf24bit);
  for (int y = 0; y < h; ++y) {
    const Byte* row = static_cast<const Byte*>(tmp.ScanLine(y));
    Byte* out = pixels.data() + size_t(y) * w * comps;
    for (int x = 0; x < w; ++x) {
      const Byte b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
      if (comps == 1) {
        out[x] = Byte((r * 77 + g * 151 + b * 28) >> 8);
      } else {
        out[3 * x] = r;
        out[3 * x + 1] = g;
        out[3 * x + 2] = b;
      }
    }
  }
  EncodeJob job{};
  job.pixels = pixels.data();
  job.width = w;
  job.height = h;
  job.components = comps;
  job.quality = quality_;
  job.progressive = progressiveEncoding_;
  const bool ok = RunEncode(&job);
  std::unique_ptr<unsigned char, FreeDeleter> out(job.out);
  if (!ok) throw EJPEG(job.message);
  data_.assign(out.get(), out.get() + job.outSize);
  width_ = w;
  height_ = h;
  headerGray_ = comps == 1;
}

void TJPEGImage::Compress() {
  DIBNeeded();
  data_.clear();
  JPEGNeeded();
}

TBitmap* TJPEGImage::Bitmap() {
  DIBNeeded();
  if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
  return bitmap_.get();
}

void TJPEGImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (auto* j = dynamic_cast<TJPEGImage*>(Source)) {
    data_ = j->data_;
    width_ = j->width_;
    height_ = j->height_;
    headerGray_ = j->headerGray_;
    quality_ = j->quality_;
    progressiveEncoding_ = j->progressiveEncoding_;
    progressiveDisplay_ = j->progressiveDisplay_;
    smoothing_ = j->smoothing_;
    grayscale_ = j->grayscale_;
    performance_ = j->performance_;
    pixelFormat_ = j->pixelFormat_;
    scale_ = j->scale_;
    FreeBitmap();
    if (data_.empty() && j->bitmap_) {
      bitmap_ = std::make_unique<TBitmap>();
      bitmap_->Assign(j->bitmap_.get());
    }
    Changed(this);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    data_.clear();
    auto bmp = std::make_unique<TBitmap>();
    bmp->Assign(b);
    width_ = bmp->Width();
    height_ = bmp->Height();
    bitmap_ = std::move(bmp);
    scale_ = jsFullSize;
    Changed(this);
    return;
  }
  if (Source == nullptr) {
    data_.clear();
    FreeBitmap();
    width_ = height_ = 0;
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
  if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
    if (Empty()) {
      b->Assign(nullptr);
      return;
    }
    b->Assign(Bitmap());
    return;
  }
  TGraphic::AssignTo(Dest);
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty()) return;
  ACanvas->StretchDraw(Rect, Bitmap());
}

void TJPEGImage::LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) {
  TBitmap b;
  b.LoadFromClipboardFormat(AFormat, AData, APalette);
  Assign(&b);
}

void TJPEGImage::SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) {
  Bitmap()->SaveToClipboardFormat(AFormat, AData, APalette);
}
