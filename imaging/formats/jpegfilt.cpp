// The JPEG filter. libjpeg reports fatal errors by longjmp: every call into it
// happens in RunRead/RunWrite, whose frames hold no C++ objects with
// destructors; C++ exceptions raised by our callbacks (stream, progress
// handler) are caught there, kept in the job and raised again after clean-up.
#include "imaging/formats/jpegfilt.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace {

constexpr size_t kBufferSize = 65536;
// A JPEG cannot expand beyond about 1024 pixels per byte of data, even for a
// flat picture; more than that comes from a damaged or hostile header.
constexpr Int64 kMaxPixelsPerByte = 1024;

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  bool* abort;
};

void IEJpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (err->abort) *err->abort = true;
  std::longjmp(err->jump, 1);
}

void IEJpegEmitMessage(j_common_ptr cinfo, int level) {
  if (level == -1) cinfo->err->num_warnings++;
}

void IEJpegOutputMessage(j_common_ptr) {}
void IEJpegFormatMessage(j_common_ptr, char* buffer) { buffer[0] = 0; }
void IEJpegResetErrorMgr(j_common_ptr cinfo) {
  cinfo->err->num_warnings = 0;
  cinfo->err->msg_code = 0;
}

void InitErrorManager(ErrorManager& err, bool* abort) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = IEJpegErrorExit;
  err.pub.emit_message = IEJpegEmitMessage;
  err.pub.output_message = IEJpegOutputMessage;
  err.pub.format_message = IEJpegFormatMessage;
  err.pub.reset_error_mgr = IEJpegResetErrorMgr;
  err.abort = abort;
}

// --- source ------------------------------------------------------------------

struct StreamSource {
  jpeg_source_mgr pub;
  TStream* stream;
  bool startOfFile;
  bool* abort;
  std::exception_ptr* thrown;  // where a stream exception is kept
  JOCTET* buffer;
};

void IESourceInit(j_decompress_ptr cinfo) {
  reinterpret_cast<StreamSource*>(cinfo->src)->startOfFile = true;
}

boolean IESourceFill(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
  Integer got = 0;
  try {
    got = src->stream->Read(src->buffer, static_cast<Integer>(kBufferSize));
  } catch (...) {
    if (src->thrown && !*src->thrown) *src->thrown = std::current_exception();
    got = 0;
  }
  if (got <= 0) {
    // Feed an end-of-image marker: the codec finishes what it has.
    if (src->startOfFile && src->abort) *src->abort = true;
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    got = 2;
  }
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = static_cast<size_t>(got);
  src->startOfFile = false;
  return TRUE;
}

void IESourceSkip(j_decompress_ptr cinfo, long count) {
  auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
  if (count <= 0) return;
  while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
    count -= static_cast<long>(src->pub.bytes_in_buffer);
    IESourceFill(cinfo);
  }
  src->pub.next_input_byte += count;
  src->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void IESourceTerm(j_decompress_ptr) {}

void InstallSource(j_decompress_ptr cinfo, TStream* stream, bool* abort, std::exception_ptr* thrown) {
  if (cinfo->src == nullptr) {
    auto* src = static_cast<StreamSource*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(StreamSource)));
    src->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kBufferSize));
    cinfo->src = &src->pub;
  }
  auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
  src->pub.init_source = IESourceInit;
  src->pub.fill_input_buffer = IESourceFill;
  src->pub.skip_input_data = IESourceSkip;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = IESourceTerm;
  src->stream = stream;
  src->abort = abort;
  src->thrown = thrown;
  src->pub.bytes_in_buffer = 0;
  src->pub.next_input_byte = nullptr;
}

// --- destination -------------------------------------------------------------

struct StreamDest {
  jpeg_destination_mgr pub;
  TStream* stream;
  bool* abort;
  std::exception_ptr* thrown;
  JOCTET* buffer;
};

void DestWrite(StreamDest* dest, size_t count) {
  if (count == 0) return;
  Integer put = 0;
  try {
    put = dest->stream->Write(dest->buffer, static_cast<Integer>(count));
  } catch (...) {
    if (dest->thrown && !*dest->thrown) *dest->thrown = std::current_exception();
    put = 0;
  }
  if (put != static_cast<Integer>(count) && dest->abort) *dest->abort = true;
}

void IEDestInit(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<StreamDest*>(cinfo->dest);
  dest->buffer = static_cast<JOCTET*>(
      (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kBufferSize));
  dest->pub.next_output_byte = dest->buffer;
  dest->pub.free_in_buffer = kBufferSize;
}

boolean IEDestEmpty(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<StreamDest*>(cinfo->dest);
  DestWrite(dest, kBufferSize);
  dest->pub.next_output_byte = dest->buffer;
  dest->pub.free_in_buffer = kBufferSize;
  return TRUE;
}

void IEDestTerm(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<StreamDest*>(cinfo->dest);
  DestWrite(dest, kBufferSize - dest->pub.free_in_buffer);
}

// --- reading -----------------------------------------------------------------

struct ReadJob {
  TStream* stream;
  TStream* tables;
  TIEBitmap* bitmap;
  bool rawYCbCr;
  bool paramsOnly;
  TIEProgressRecord* progress;
  TIOParamsVals* params;
  Int64 dataBytes;  // bytes from the start of image to the end of the stream
  std::exception_ptr* thrown;
  // results
  bool failed;        // a codec error or a refusal
  bool tablesFailed;  // the codec error came from the tables stream
  int code;           // message code of that error
  const char* reason; // refusal text when not a codec error
};

enum Phase { phCreate, phTables, phHeader, phDecode, phFinish, phDone };

// A progressive file may hold any number of scans, each costing a pass over
// the whole picture; real files have a dozen. Far more is hostile.
constexpr int kMaxScans = 500;

struct ScanLimit {
  jpeg_progress_mgr pub;
  ReadJob* job;
};

void IEJpegScanMonitor(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxScans) {
    reinterpret_cast<ScanLimit*>(cinfo->progress)->job->reason = "Too many scans in a progressive JPEG";
    cinfo->err->msg_code = JERR_NOTIMPL;
    (*cinfo->err->error_exit)(cinfo);
  }
}

// Calls the progress handler; an exception from it stops the read.
bool StepRows(ReadJob* job) {
  try {
    return job->progress->Step();
  } catch (...) {
    if (!*job->thrown) *job->thrown = std::current_exception();
    job->progress->SetAborted();
    return true;
  }
}

void RunRead(ReadJob* job) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  ScanLimit scanLimit;
  volatile Phase phase = phCreate;
  bool* abort = job->progress->Abort;
  InitErrorManager(err, abort);
  cinfo.err = &err.pub;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = &err.pub;
  if (setjmp(err.jump)) {
    if (phase == phFinish) {
      phase = phDone;  // errors while finishing are ignored
    } else {
      job->failed = true;
      job->code = err.pub.msg_code;
      job->tablesFailed = phase == phTables;
    }
    goto cleanup;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = 1024L * 1024L * 1024L;
  scanLimit.pub.progress_monitor = IEJpegScanMonitor;
  scanLimit.job = job;
  cinfo.progress = &scanLimit.pub;
  phase = phTables;
  if (abort && *abort) goto cleanup;
  if (job->tables != nullptr && job->tables != job->stream) {
    InstallSource(&cinfo, job->tables, abort, job->thrown);
    jpeg_read_header(&cinfo, FALSE);
  }
  phase = phHeader;
  InstallSource(&cinfo, job->stream, abort, job->thrown);
  if (abort && *abort) goto cleanup;
  jpeg_save_markers(&cinfo, JPEG_COM, 0xFFFF);
  for (int m = 0; m < 16; ++m) jpeg_save_markers(&cinfo, JPEG_APP0 + m, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);
  if (abort && *abort) goto cleanup;
  {
    TIOParamsVals& p = *job->params;
    p.BitsPerSample = 8;
    switch (cinfo.jpeg_color_space) {
      case JCS_GRAYSCALE:
        p.JpegColorSpace = 1;
        p.SamplesPerPixel = 1;
        cinfo.out_color_space = JCS_EXT_BGR;
        break;
      case JCS_RGB:
        p.JpegColorSpace = 0;
        p.SamplesPerPixel = 3;
        cinfo.out_color_space = JCS_EXT_BGR;
        break;
      case JCS_YCbCr:
        p.JpegColorSpace = 2;
        p.SamplesPerPixel = 3;
        cinfo.out_color_space = JCS_EXT_BGR;
        break;
      case JCS_CMYK:
        p.JpegColorSpace = 3;
        p.SamplesPerPixel = 4;
        cinfo.out_color_space = JCS_CMYK;
        break;
      case JCS_YCCK:
        p.JpegColorSpace = 4;
        p.SamplesPerPixel = 4;
        cinfo.out_color_space = JCS_CMYK;
        break;
      default:
        // Two components, or five and more: no conversion to three samples exists.
        job->failed = true;
        job->reason = "Unsupported JPEG color space";
        if (abort) *abort = true;
        goto cleanup;
    }
    if (job->rawYCbCr) cinfo.out_color_space = JCS_YCbCr;
    switch (p.JpegDctMethod) {
      case 0: cinfo.dct_method = JDCT_ISLOW; break;
      case 1: cinfo.dct_method = JDCT_IFAST; break;
      case 2: cinfo.dct_method = JDCT_FLOAT; break;
      default: break;
    }
    if (cinfo.density_unit == 0 || cinfo.density_unit == 1) {
      p.DpiX = cinfo.X_density;
      p.DpiY = cinfo.Y_density;
    } else if (cinfo.density_unit == 2) {
      p.DpiX = static_cast<Integer>(cinfo.X_density * 2.54);
      p.DpiY = static_cast<Integer>(cinfo.Y_density * 2.54);
    }
    p.FreePalette();
    p.JpegProgressive = cinfo.progressive_mode != 0;
    p.JpegOriginalWidth = static_cast<Integer>(cinfo.image_width);
    p.JpegOriginalHeight = static_cast<Integer>(cinfo.image_height);
    unsigned denom = 1;
    switch (p.JpegScaleMode) {
      case 1: denom = 1; break;
      case 2: denom = 2; break;
      case 3: denom = 4; break;
      case 4: denom = 8; break;
      case 0:
        if (p.Width > 0 && p.Height > 0) {
          denom = 1;
          for (unsigned d : {8u, 4u, 2u}) {
            if (static_cast<Int64>(cinfo.image_width / d) >= p.Width &&
                static_cast<Int64>(cinfo.image_height / d) >= p.Height) {
              denom = d;
              break;
            }
          }
        }
        break;
      default: break;
    }
    cinfo.scale_num = 1;
    cinfo.scale_denom = denom;
    p.JpegScaleUsed = static_cast<Integer>(denom);
    // Nothing is allocated for a picture the data cannot hold.
    const Int64 pixels = Int64(cinfo.image_width) * Int64(cinfo.image_height);
    if (pixels > (job->dataBytes + 1024) * kMaxPixelsPerByte || (!job->paramsOnly && pixels > (Int64(1) << 31))) {
      job->failed = true;
      job->reason = "JPEG image dimensions are not plausible for its data";
      if (abort) *abort = true;
      goto cleanup;
    }
  }
  phase = phDecode;
  jpeg_start_decompress(&cinfo);
  job->params->Width = static_cast<Integer>(cinfo.output_width);
  job->params->Height = static_cast<Integer>(cinfo.output_height);
  if (abort && *abort) goto cleanup;
  if (!job->paramsOnly) {
    const Integer w = static_cast<Integer>(cinfo.output_width);
    const Integer h = static_cast<Integer>(cinfo.output_height);
    if (!IEAllocateImage(job->bitmap, w, h, ipkRGB24, *job->progress)) {
      job->failed = true;
      job->reason = "Out of memory";
      goto cleanup;
    }
    const bool cmyk = cinfo.out_color_space == JCS_CMYK;
    JSAMPROW work = nullptr;
    if (cmyk || cinfo.output_components != 3)
      work = static_cast<JSAMPROW>((*cinfo.mem->alloc_large)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                             size_t(w) * size_t(cinfo.output_components)));
    job->progress->Start(h);
    while (cinfo.output_scanline < cinfo.output_height) {
      const Integer y = static_cast<Integer>(cinfo.output_scanline);
      Byte* dst = static_cast<Byte*>(job->bitmap->GetRowPointer(y));
      JSAMPROW row = work ? work : dst;
      if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
      if (cmyk)
        CmykToBgr(work, dst, w);
      else if (work)
        std::memcpy(dst, work, size_t(w) * 3);
      if (StepRows(job)) break;
    }
    if (cinfo.output_scanline < cinfo.output_height && abort) *abort = true;
  }

cleanup:
  if (phase != phCreate) {
    // Keep the markers in file order; the first one is dropped when it is the
    // JFIF APP0 header, which the writer makes again.
    TIEMarkerList& markers = job->params->JpegMarkers;
    markers.ClearMarkers();
    bool first = true;
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
      if (!(first && m->marker == JPEG_APP0))
        markers.AddMarker(static_cast<Byte>(m->marker), m->data, static_cast<Integer>(m->data_length));
      first = false;
    }
    if (phase == phDecode && !job->paramsOnly && !(abort && *abort)) {
      phase = phFinish;
      err.abort = nullptr;
      jpeg_finish_decompress(&cinfo);
      phase = phDone;
    }
    if (err.pub.num_warnings != 0) {
      job->params->JpegWarningCount = static_cast<Integer>(err.pub.num_warnings);
      job->params->JpegWarningCode = err.pub.msg_code;
    }
  }
  jpeg_destroy_decompress(&cinfo);
}

// --- writing -----------------------------------------------------------------

struct WriteJob {
  TStream* stream;
  TIEBitmap* bitmap;  // ipkRGB24
  TIOParamsVals* params;
  TIEProgressRecord* progress;
  std::exception_ptr* thrown;
  bool failed;
  int code;
};

bool StepWrite(WriteJob* job) {
  try {
    return job->progress->Step();
  } catch (...) {
    if (!*job->thrown) *job->thrown = std::current_exception();
    job->progress->SetAborted();
    return true;
  }
}

void RunWrite(WriteJob* job) {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  StreamDest dest;
  bool* abort = job->progress->Abort;
  InitErrorManager(err, abort);
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = &err.pub;
  if (setjmp(err.jump)) {
    job->failed = true;
    job->code = err.pub.msg_code;
    jpeg_destroy_compress(&cinfo);
    return;
  }
  jpeg_create_compress(&cinfo);
  std::memset(&dest, 0, sizeof dest);
  dest.pub.init_destination = IEDestInit;
  dest.pub.empty_output_buffer = IEDestEmpty;
  dest.pub.term_destination = IEDestTerm;
  dest.stream = job->stream;
  dest.abort = abort;
  dest.thrown = job->thrown;
  cinfo.dest = &dest.pub;
  if (abort && *abort) {
    jpeg_destroy_compress(&cinfo);
    return;
  }
  {
    TIOParamsVals& p = *job->params;
    const Integer w = job->bitmap->Width();
    const Integer h = job->bitmap->Height();
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    J_COLOR_SPACE fileSpace = JCS_RGB;
    bool cmyk = false;
    switch (p.JpegColorSpace) {
      case 1: fileSpace = JCS_GRAYSCALE; break;
      case 2: fileSpace = JCS_YCbCr; break;
      case 3: fileSpace = JCS_CMYK; cmyk = true; break;
      case 4: fileSpace = JCS_YCCK; cmyk = true; break;
      default: fileSpace = JCS_RGB; break;
    }
    cinfo.input_components = cmyk ? 4 : 3;
    cinfo.in_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, fileSpace);
    cinfo.density_unit = 1;
    cinfo.X_density = static_cast<UINT16>(p.DpiX != 0 ? p.DpiX : IEDefaultDpiX);
    cinfo.Y_density = static_cast<UINT16>(p.DpiY != 0 ? p.DpiY : IEDefaultDpiY);
    switch (p.JpegDctMethod) {
      case 0: cinfo.dct_method = JDCT_ISLOW; break;
      case 1: cinfo.dct_method = JDCT_IFAST; break;
      case 2: cinfo.dct_method = JDCT_FLOAT; break;
      default: break;
    }
    cinfo.optimize_coding = p.JpegOptimalHuffman ? TRUE : FALSE;
    cinfo.smoothing_factor = p.JpegSmoothing < 0 ? 0 : (p.JpegSmoothing > 100 ? 100 : p.JpegSmoothing);
    jpeg_set_quality(&cinfo, p.JpegQuality, TRUE);
    if (p.JpegProgressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    const TIEMarkerList& markers = p.JpegMarkers;
    for (Integer i = 0; i < markers.Count(); ++i)
      jpeg_write_marker(&cinfo, markers.MarkerType(i), markers.MarkerData(i),
                        static_cast<unsigned>(markers.MarkerLength(i)));
    JSAMPROW work = nullptr;
    if (cmyk)
      work = static_cast<JSAMPROW>(
          (*cinfo.mem->alloc_large)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, size_t(w) * 4));
    job->progress->Start(h);
    for (Integer y = 0; y < h; ++y) {
      Byte* src = static_cast<Byte*>(job->bitmap->GetRowPointer(y));
      JSAMPROW row = src;
      if (cmyk) {
        BgrToCmyk(src, work, w);
        row = work;
      }
      jpeg_write_scanlines(&cinfo, &row, 1);
      if (StepWrite(job)) break;
    }
    if (!(abort && *abort)) jpeg_finish_compress(&cinfo);
  }
  jpeg_destroy_compress(&cinfo);
}

}  // namespace

void CmykToBgr(const Byte* Cmyk, Byte* Bgr, Integer Pixels) {
  for (Integer i = 0; i < Pixels; ++i, Cmyk += 4, Bgr += 3) {
    const Integer k = Cmyk[3];
    Bgr[0] = static_cast<Byte>(Cmyk[2] * k / 255);
    Bgr[1] = static_cast<Byte>(Cmyk[1] * k / 255);
    Bgr[2] = static_cast<Byte>(Cmyk[0] * k / 255);
  }
}

void BgrToCmyk(const Byte* Bgr, Byte* Cmyk, Integer Pixels) {
  for (Integer i = 0; i < Pixels; ++i, Bgr += 3, Cmyk += 4) {
    Integer k = Bgr[0];
    if (Bgr[1] > k) k = Bgr[1];
    if (Bgr[2] > k) k = Bgr[2];
    if (k == 0) k = 1;
    Cmyk[0] = static_cast<Byte>(Bgr[2] * 255 / k);
    Cmyk[1] = static_cast<Byte>(Bgr[1] * 255 / k);
    Cmyk[2] = static_cast<Byte>(Bgr[0] * 255 / k);
    Cmyk[3] = static_cast<Byte>(k);
  }
}

Int64 FindJpegStart(TStream* Stream) {
  const Int64 start = Stream->Position();
  Byte buf[102];
  Integer got = Stream->Read(buf, sizeof buf);
  Stream->SetPosition(start);
  for (Integer i = 0; i + 2 < got && i < 100; ++i)
    if (buf[i] == 0xFF && buf[i + 1] == 0xD8 && buf[i + 2] == 0xFF) return start + i;
  return -1;
}

void ReadJpegStream(TStream* Stream, TStream* Tables, TIEBitmap* Bitmap, bool RawYCbCr, bool ParamsOnly,
                    TIEProgressRecord& Progress, TIOParamsVals& Params) {
  Params.JpegWarningCount = 0;
  Params.JpegWarningCode = 0;
  const Int64 start = FindJpegStart(Stream);
  if (start < 0) {
    IEFilterFail(Progress, "Not a JPEG file");
    return;
  }
  Stream->SetPosition(start);
  std::exception_ptr thrown;
  ReadJob job{};
  job.stream = Stream;
  job.tables = Tables;
  job.bitmap = Bitmap;
  job.rawYCbCr = RawYCbCr;
  job.paramsOnly = ParamsOnly;
  job.progress = &Progress;
  job.params = &Params;
  job.dataBytes = Stream->Size() - start;
  job.thrown = &thrown;
  RunRead(&job);
  if (thrown) std::rethrow_exception(thrown);
  if (job.failed) {
    const std::string text = job.reason ? std::string(job.reason) : JpegMessageText(job.code);
    IEFilterFail(Progress, text);
    if (job.tablesFailed) throw EIEJpegException(text);
  }
}

void WriteJpegStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress) {
  std::unique_ptr<TIEBitmap> converted;
  TIEBitmap* source = Bitmap;
  if (Bitmap->PixelKind() != ipkRGB24) {
    converted = std::make_unique<TIEBitmap>();
    converted->SetLocation(islMemory);
    converted->CopyFromObject(Bitmap);
    converted->ConvertToKind(ipkRGB24);
    source = converted.get();
  }
  std::exception_ptr thrown;
  WriteJob job{};
  job.stream = Stream;
  job.bitmap = source;
  job.params = &Params;
  job.progress = &Progress;
  job.thrown = &thrown;
  RunWrite(&job);
  if (thrown) std::rethrow_exception(thrown);
  if (job.failed) {
    const std::string text = JpegMessageText(job.code);
    IEFilterFail(Progress, text);
    throw EIEJpegException(text);
  }
}
