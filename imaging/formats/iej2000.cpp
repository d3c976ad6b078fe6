// JPEG-2000 filter. OpenJPEG reports errors through return values and message
// callbacks; our stream callbacks catch every C++ exception, keep it and
// report failure to the codec, and the filter raises it again afterwards.
#include "imaging/formats/iej2000.h"

#include <openjpeg.h>

#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include "platform/SysUtils.h"

namespace {

// A code stream of flat data is very small; beyond this many pixels per byte
// (and a floor of 1 M pixels) the header cannot describe real data.
constexpr Int64 kMaxPixelsPerByte = 4096;
constexpr Int64 kPixelFloor = Int64(1) << 20;

struct StreamCtx {
  TStream* stream;
  Int64 base;  // position of the codec's offset 0
  std::exception_ptr* thrown;
};

OPJ_SIZE_T StreamRead(void* buffer, OPJ_SIZE_T count, void* user) {
  auto* c = static_cast<StreamCtx*>(user);
  try {
    const Integer got = c->stream->Read(buffer, static_cast<Integer>(count > 0x40000000 ? 0x40000000 : count));
    return got > 0 ? static_cast<OPJ_SIZE_T>(got) : static_cast<OPJ_SIZE_T>(-1);
  } catch (...) {
    if (!*c->thrown) *c->thrown = std::current_exception();
    return static_cast<OPJ_SIZE_T>(-1);
  }
}

OPJ_SIZE_T StreamWrite(void* buffer, OPJ_SIZE_T count, void* user) {
  auto* c = static_cast<StreamCtx*>(user);
  try {
    const Integer put = c->stream->Write(buffer, static_cast<Integer>(count));
    return put > 0 ? static_cast<OPJ_SIZE_T>(put) : static_cast<OPJ_SIZE_T>(-1);
  } catch (...) {
    if (!*c->thrown) *c->thrown = std::current_exception();
    return static_cast<OPJ_SIZE_T>(-1);
  }
}

OPJ_OFF_T StreamSkip(OPJ_OFF_T count, void* user) {
  auto* c = static_cast<StreamCtx*>(user);
  try {
    const Int64 size = c->stream->Size();
    const Int64 pos = c->stream->Position();
    Int64 target = pos + count;
    // Reading: never past the end; writing: the stream grows on the next write.
    if (target < c->base) return -1;
    if (target > size && c->stream->Size() == size) {
      c->stream->SetSize(target);
    }
    c->stream->SetPosition(target);
    return count;
  } catch (...) {
    if (!*c->thrown) *c->thrown = std::current_exception();
    return -1;
  }
}

OPJ_OFF_T StreamSkipRead(OPJ_OFF_T count, void* user) {
  auto* c = static_cast<StreamCtx*>(user);
  try {
    const Int64 size = c->stream->Size();
    const Int64 pos = c->stream->Position();
    Int64 target = pos + count;
    if (target < c->base) return -1;
    if (target > size) target = size;
    c->stream->SetPosition(target);
    return target - pos;
  } catch (...) {
    if (!*c->thrown) *c->thrown = std::current_exception();
    return -1;
  }
}

OPJ_BOOL StreamSeek(OPJ_OFF_T offset, void* user) {
  auto* c = static_cast<StreamCtx*>(user);
  try {
    c->stream->SetPosition(c->base + offset);
    return OPJ_TRUE;
  } catch (...) {
    if (!*c->thrown) *c->thrown = std::current_exception();
    return OPJ_FALSE;
  }
}

void Silent(const char*, void*) {}
void KeepError(const char* msg, void* user) {
  auto* text = static_cast<std::string*>(user);
  if (text->empty()) {
    *text = msg;
    while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->pop_back();
  }
}

opj_stream_t* MakeStream(StreamCtx* ctx, bool input) {
  opj_stream_t* s = opj_stream_create(65536, input ? OPJ_TRUE : OPJ_FALSE);
  if (!s) return nullptr;
  opj_stream_set_user_data(s, ctx, nullptr);
  if (input) {
    opj_stream_set_read_function(s, StreamRead);
    opj_stream_set_skip_function(s, StreamSkipRead);
    opj_stream_set_user_data_length(s, static_cast<OPJ_UINT64>(ctx->stream->Size() - ctx->base));
  } else {
    opj_stream_set_write_function(s, StreamWrite);
    opj_stream_set_skip_function(s, StreamSkip);
  }
  opj_stream_set_seek_function(s, StreamSeek);
  return s;
}

struct CodecDeleter {
  void operator()(opj_codec_t* c) const { opj_destroy_codec(c); }
};
struct StreamDeleter {
  void operator()(opj_stream_t* s) const { opj_stream_destroy(s); }
};
struct ImageDeleter {
  void operator()(opj_image_t* i) const { opj_image_destroy(i); }
};

bool ReadBytesAt(TStream* Stream, Byte* Buffer, Integer Count) {
  const Int64 pos = Stream->Position();
  const Integer got = Stream->Read(Buffer, Count);
  Stream->SetPosition(pos);
  return got == Count;
}

Integer ScaleSample(Integer Sample, const opj_image_comp_t& C) {
  const Integer prec = C.prec < 1 ? 1 : (C.prec > 31 ? 31 : static_cast<Integer>(C.prec));
  Int64 s = Sample;
  if (C.sgnd) s += Int64(1) << (prec - 1);
  const Int64 maxv = (Int64(1) << prec) - 1;
  if (s < 0) s = 0;
  if (s > maxv) s = maxv;
  return static_cast<Integer>(s * 255 / maxv);
}

// Tiles of the first image-and-tile-size segment (FF51) within the first
// 64 KB, or -1 when there is none to read. The codec sets up every tile of
// the grid while it reads the header, before any data is looked at.
Int64 TileCountOf(TStream* Stream) {
  const Int64 pos = Stream->Position();
  std::vector<Byte> b(65536);
  const Integer got = Stream->Read(b.data(), Integer(b.size()));
  Stream->SetPosition(pos);
  for (Integer i = 0; i + 4 <= got; ++i) {
    if (b[i] != 0xFF || b[i + 1] != 0x4F || b[i + 2] != 0xFF || b[i + 3] != 0x51) continue;
    if (i + 42 > got) return -1;
    auto u32 = [&](Integer at) {
      return Int64(b[at]) << 24 | Int64(b[at + 1]) << 16 | Int64(b[at + 2]) << 8 | Int64(b[at + 3]);
    };
    const Int64 xsiz = u32(i + 8), ysiz = u32(i + 12);
    const Int64 xtsiz = u32(i + 24), ytsiz = u32(i + 28), xtosiz = u32(i + 32), ytosiz = u32(i + 36);
    if (xtsiz == 0 || ytsiz == 0 || xtosiz >= xsiz || ytosiz >= ysiz) return -1;  // the codec refuses these
    return ((xsiz - xtosiz + xtsiz - 1) / xtsiz) * ((ysiz - ytosiz + ytsiz - 1) / ytsiz);
  }
  return -1;
}

}  // namespace

const TJ2kYCbCrTables& J2kYCbCrTables() {
  static const TJ2kYCbCrTables tables = [] {
    TJ2kYCbCrTables t{};
    const float kr = 0.299f, kg = 0.587f, kb = 0.114f;
    for (int i = 0; i < 256; ++i) {
      const float r = static_cast<float>(i - 128);
      t.CrToR[i] = static_cast<Integer>(std::nearbyint(r * (2 - 2 * kr)));
      t.CbToB[i] = static_cast<Integer>(std::nearbyint(r * (2 - 2 * kb)));
      t.CrToG[i] = -static_cast<Integer>(std::nearbyint(r * kr * (2 - 2 * kr) / kg));
      t.CbToG[i] = -static_cast<Integer>(std::nearbyint(r * kb * (2 - 2 * kb) / kg));
    }
    return t;
  }();
  return tables;
}

bool Jpeg2000HasSignatureBox(TStream* Stream) {
  Byte b[12];
  if (!ReadBytesAt(Stream, b, 12)) return false;
  static const Byte sig[12] = {0, 0, 0, 12, 0x6A, 0x50, 0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A};
  return std::memcmp(b, sig, 12) == 0;
}

bool Jpeg2000HasCodestreamStart(TStream* Stream) {
  Byte b[4];
  if (!ReadBytesAt(Stream, b, 4)) return false;
  return b[0] == 0xFF && b[1] == 0x4F && b[2] == 0xFF && b[3] == 0x51;
}

std::string Jpeg2000OptionText(const TIOParamsVals& Params) {
  std::string s = "rate=" + FloatToStr(Params.J2kRate);
  if (Params.J2kProgression == 0) s += " prg=lrcp";
  if (Params.J2kProgression == 1) s += " prg=rlcp";
  return s;
}

void Jpeg2000LoadFromStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
                            TIEProgressRecord& Progress) {
  const bool jp2 = Jpeg2000HasSignatureBox(Stream);
  if (!jp2 && !Jpeg2000HasCodestreamStart(Stream)) {
    IEFilterFail(Progress, "Not a JPEG 2000 file");
    return;
  }
  // Every tile takes at least a 14-byte tile-part header in the data; a grid
  // of more tiles than that describes nothing real, and setting it up is slow.
  const Int64 tiles = TileCountOf(Stream);
  if (tiles > 1 + (Stream->Size() - Stream->Position()) / 14) {
    IEFilterFail(Progress, "JPEG 2000 tile grid is not plausible for its data");
    return;
  }
  std::exception_ptr thrown;
  std::string error;
  StreamCtx ctx{Stream, Stream->Position(), &thrown};
  std::unique_ptr<opj_stream_t, StreamDeleter> stream(MakeStream(&ctx, true));
  std::unique_ptr<opj_codec_t, CodecDeleter> codec(opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
  if (!stream || !codec) {
    IEFilterFail(Progress, "Cannot create the JPEG 2000 decoder");
    return;
  }
  opj_set_info_handler(codec.get(), Silent, nullptr);
  opj_set_warning_handler(codec.get(), Silent, nullptr);
  opj_set_error_handler(codec.get(), KeepError, &error);
  opj_dparameters_t dp;
  opj_set_default_decoder_parameters(&dp);
  opj_image_t* raw = nullptr;
  bool ok = opj_setup_decoder(codec.get(), &dp) && opj_read_header(stream.get(), codec.get(), &raw);
  std::unique_ptr<opj_image_t, ImageDeleter> image(raw);
  if (thrown) std::rethrow_exception(thrown);
  if (!ok || !image || image->numcomps == 0 || image->x1 <= image->x0 || image->y1 <= image->y0) {
    IEFilterFail(Progress, error.empty() ? "Bad JPEG 2000 header" : error);
    return;
  }
  const Int64 width = Int64(image->x1) - image->x0;
  const Int64 height = Int64(image->y1) - image->y0;
  // Colour space: the file's, or from the component count for code streams.
  // A JP2 file's own colour box is applied only by the decoding, so the
  // space is looked at again afterwards.
  enum Space { csGrey, csRGB, csYCbCr, csOther };
  auto spaceOf = [](const opj_image_t* im) {
    switch (im->color_space) {
      case OPJ_CLRSPC_GRAY: return csGrey;
      case OPJ_CLRSPC_SRGB: return im->numcomps >= 3 ? csRGB : csOther;
      case OPJ_CLRSPC_SYCC: return im->numcomps >= 3 ? csYCbCr : csOther;
      case OPJ_CLRSPC_UNSPECIFIED:
        return im->numcomps == 1 ? csGrey : (im->numcomps == 3 ? csRGB : csOther);
      default: return csOther;
    }
  };
  Space space = spaceOf(image.get());
  if (space == csOther) {
    IEFilterFail(Progress, "Unsupported JPEG 2000 color space");
    return;
  }
  const Integer used = space == csGrey ? 1 : 3;
  Params.BitsPerSample = static_cast<Integer>(image->comps[0].prec);
  Params.SamplesPerPixel = used;
  Params.DpiX = IEDefaultDpiX;
  Params.DpiY = IEDefaultDpiY;
  Params.FreePalette();
  Params.Width = static_cast<Integer>(width);
  Params.Height = static_cast<Integer>(height);
  if (ParamsOnly) return;

  const Int64 dataBytes = Stream->Size() - ctx.base;
  if (!IEImageSizeAllowed(width, height, 24, Int64(1) << 40, 0) ||
      width * height > kPixelFloor + dataBytes * kMaxPixelsPerByte) {
    IEFilterFail(Progress, "JPEG 2000 image dimensions are not plausible for its data");
    return;
  }
  for (Integer c = 0; c < used; ++c)
    if (image->comps[c].dx == 0 || image->comps[c].dy == 0) {
      IEFilterFail(Progress, "Bad JPEG 2000 component");
      return;
    }
  ok = opj_decode(codec.get(), stream.get(), image.get()) && opj_end_decompress(codec.get(), stream.get());
  if (thrown) std::rethrow_exception(thrown);
  if (!ok) {
    IEFilterFail(Progress, error.empty() ? "Corrupt JPEG 2000 data" : error);
    return;
  }
  space = spaceOf(image.get());
  if (space == csOther || (space == csGrey) != (used == 1)) {
    IEFilterFail(Progress, "Unsupported JPEG 2000 color space");
    return;
  }
  for (Integer c = 0; c < used; ++c)
    if (image->comps[c].data == nullptr) {
      IEFilterFail(Progress, "Corrupt JPEG 2000 data");
      return;
    }

  const Integer w = static_cast<Integer>(width);
  const Integer h = static_cast<Integer>(height);
  const bool bilevel = Params.BitsPerSample == 1 && used == 1;
  if (!IEAllocateImage(Bitmap, w, h, bilevel ? ipkBW1 : ipkRGB24, Progress)) return;
  const TJ2kYCbCrTables& t = J2kYCbCrTables();
  Progress.Start(h);
  std::vector<Integer> col[3];
  for (Integer c = 0; c < used; ++c) {
    // The component column of every picture column (-1 outside the component).
    const opj_image_comp_t& k = image->comps[c];
    col[c].resize(static_cast<size_t>(w));
    for (Integer x = 0; x < w; ++x) {
      const Int64 cx = (Int64(x) + image->x0) / k.dx - k.x0;
      col[c][x] = (cx >= 0 && cx < Int64(k.w)) ? static_cast<Integer>(cx) : -1;
    }
  }
  for (Integer y = 0; y < h; ++y) {
    const OPJ_INT32* rows[3] = {nullptr, nullptr, nullptr};
    for (Integer c = 0; c < used; ++c) {
      const opj_image_comp_t& k = image->comps[c];
      const Int64 cy = (Int64(y) + image->y0) / k.dy - k.y0;
      if (cy >= 0 && cy < Int64(k.h)) rows[c] = k.data + size_t(cy) * k.w;
    }
    Byte* dst = static_cast<Byte*>(Bitmap->GetRowPointer(y));
    if (bilevel) std::memset(dst, 0, static_cast<size_t>(Bitmap->RowLength()));
    for (Integer x = 0; x < w; ++x) {
      Integer v[3] = {0, 0, 0};
      for (Integer c = 0; c < used; ++c)
        if (rows[c] && col[c][x] >= 0) v[c] = ScaleSample(rows[c][col[c][x]], image->comps[c]);
      if (bilevel) {
        if (v[0] != 0) PutBit(dst, x, 1);
        continue;
      }
      Integer r, g, b;
      if (space == csGrey) {
        r = g = b = v[0];
      } else if (space == csYCbCr) {
        r = ClampToByte(v[0] + t.CrToR[v[2]]);
        g = ClampToByte(v[0] + t.CbToG[v[1]] + t.CrToG[v[2]]);
        b = ClampToByte(v[0] + t.CbToB[v[1]]);
      } else {
        r = v[0];
        g = v[1];
        b = v[2];
      }
      dst[3 * x] = static_cast<Byte>(b);
      dst[3 * x + 1] = static_cast<Byte>(g);
      dst[3 * x + 2] = static_cast<Byte>(r);
    }
    if (Progress.Step()) break;
  }
}

void Jpeg2000SaveToStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, Integer Format,
                          TIEProgressRecord& Progress) {
  const Integer w = Bitmap->Width();
  const Integer h = Bitmap->Height();
  const bool bilevel = Bitmap->PixelKind() == ipkBW1;
  if (bilevel) {
    Params.BitsPerSample = 1;
    Params.J2kColorSpace = 0;
  }
  if (w <= 0 || h <= 0 || (!bilevel && Bitmap->PixelKind() != ipkRGB24)) {
    IEFilterFail(Progress, "Nothing to write");
    return;
  }
  // Colour spaces other than grey and RGB/YCbCr have no components to encode.
  if (Params.J2kColorSpace > 2) {
    IEFilterFail(Progress, "Unsupported JPEG 2000 color space");
    return;
  }
  const bool grey = Params.J2kColorSpace == 0;
  const Integer prec = Params.BitsPerSample < 1 ? 1 : (Params.BitsPerSample > 16 ? 16 : Params.BitsPerSample);
  const Integer maxv = (1 << prec) - 1;
  const Integer comps = grey ? 1 : 3;
  opj_image_cmptparm_t parm[3];
  std::memset(parm, 0, sizeof parm);
  for (Integer c = 0; c < comps; ++c) {
    parm[c].dx = parm[c].dy = 1;
    parm[c].w = static_cast<OPJ_UINT32>(w);
    parm[c].h = static_cast<OPJ_UINT32>(h);
    parm[c].prec = static_cast<OPJ_UINT32>(prec);
    parm[c].sgnd = 0;
  }
  std::unique_ptr<opj_image_t, ImageDeleter> image(
      opj_image_create(static_cast<OPJ_UINT32>(comps), parm, grey ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB));
  if (!image) {
    IEFilterFail(Progress, "Out of memory");
    return;
  }
  image->x0 = image->y0 = 0;
  image->x1 = static_cast<OPJ_UINT32>(w);
  image->y1 = static_cast<OPJ_UINT32>(h);
  Progress.Start(h);
  bool stopped = false;
  for (Integer y = 0; y < h && !stopped; ++y) {
    const Byte* src = static_cast<const Byte*>(Bitmap->GetRowPointer(y));
    const size_t o = size_t(y) * size_t(w);
    for (Integer x = 0; x < w; ++x) {
      if (bilevel) {
        image->comps[0].data[o + x] = TestBit(src, x) ? 1 : 0;
      } else if (grey) {
        const Integer l = (21 * src[3 * x + 2] + 71 * src[3 * x + 1] + 8 * src[3 * x]) / 100;
        image->comps[0].data[o + x] = l * maxv / 255;
      } else {
        image->comps[0].data[o + x] = src[3 * x + 2] * maxv / 255;
        image->comps[1].data[o + x] = src[3 * x + 1] * maxv / 255;
        image->comps[2].data[o + x] = src[3 * x] * maxv / 255;
      }
    }
    stopped = Progress.Step();
  }
  if (stopped) return;

  opj_cparameters_t cp;
  opj_set_default_encoder_parameters(&cp);
  cp.tcp_numlayers = 1;
  cp.cp_disto_alloc = 1;
  cp.tcp_rates[0] = Params.J2kRate > 0 && Params.J2kRate < 1 ? static_cast<float>(1.0 / Params.J2kRate) : 0.0f;
  cp.prog_order = Params.J2kProgression == 1 ? OPJ_RLCP : OPJ_LRCP;
  cp.tcp_mct = comps == 3 ? 1 : 0;
  // Every resolution level needs at least one pixel.
  Integer levels = 1;
  while (levels < 6 && (w >> levels) > 0 && (h >> levels) > 0) ++levels;
  cp.numresolution = levels;

  std::exception_ptr thrown;
  std::string error;
  StreamCtx ctx{Stream, Stream->Position(), &thrown};
  std::unique_ptr<opj_stream_t, StreamDeleter> stream(MakeStream(&ctx, false));
  std::unique_ptr<opj_codec_t, CodecDeleter> codec(opj_create_compress(Format == 0 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
  if (!stream || !codec) {
    IEFilterFail(Progress, "Cannot create the JPEG 2000 encoder");
    return;
  }
  opj_set_info_handler(codec.get(), Silent, nullptr);
  opj_set_warning_handler(codec.get(), Silent, nullptr);
  opj_set_error_handler(codec.get(), KeepError, &error);
  const bool ok = opj_setup_encoder(codec.get(), &cp, image.get()) &&
                  opj_start_compress(codec.get(), image.get(), stream.get()) &&
                  opj_encode(codec.get(), stream.get()) && opj_end_compress(codec.get(), stream.get());
  stream.reset();  // flushes
  if (thrown) std::rethrow_exception(thrown);
  if (!ok) IEFilterFail(Progress, error.empty() ? "Cannot encode JPEG 2000" : error);
}
