// PCX reader and writer.
#include "imaging/formats/pcxfilter.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/buffer/neurquant.h"
#include "imaging/buffer/ruzozadproc.h"
#include "imaging/formats/iefmtutil.h"

using namespace iefmt;

void TPcxLineDecoder::DecodeLine(Byte* Line, Integer Count) {
  Integer i = 0;
  if (!rle_) {
    const Int64 n = std::min<Int64>(Count, std::max<Int64>(len_ - pos_, 0));
    std::memcpy(Line, data_ + pos_, size_t(n));
    pos_ += n;
    i = Integer(n);
  } else {
    while (i < Count) {
      if (pendingCount_ > 0) {
        const Integer n = std::min(pendingCount_, Count - i);
        std::memset(Line + i, pendingValue_, size_t(n));
        i += n;
        pendingCount_ -= n;
        continue;
      }
      if (pos_ >= len_) break;
      const Byte b = data_[pos_++];
      if (b >= 0xC0) {
        pendingCount_ = b & 0x3F;
        pendingValue_ = pos_ < len_ ? data_[pos_] : 0;
        ++pos_;
      } else {
        Line[i++] = b;
      }
    }
  }
  if (i < Count) std::memset(Line + i, 0, size_t(Count - i));
}

Integer EncodePcxLine(Byte* Output, const Byte* Source, Integer Count, Integer Stride, Integer Offset) {
  Integer o = 0;
  for (Integer i = 0; i < Count;) {
    const Byte v = Source[Offset + Stride * i];
    Integer n = 1;
    while (i + n < Count && n < 63 && Source[Offset + Stride * (i + n)] == v) ++n;
    if (n > 1 || v >= 0xC0) Output[o++] = Byte(0xC0 + n);
    Output[o++] = v;
    i += n;
  }
  if (Count & 1) Output[o++] = 0;
  return o;
}

void ReadPcxStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                   bool HeaderOnly, Int64 Size) {
  const Int64 start = Stream->Position();
  const Int64 avail = Remaining(Stream);
  if (Size <= 0 || Size > avail) Size = avail;
  Byte h[128];
  if (Size < 128 || Stream->Read(h, 128) != 128 || h[0] != 10 || h[3] > 8 || h[2] > 1) {
    IEFilterFail(Progress, "Not a PCX file");
    return;
  }
  const Integer bits = h[3], planes = h[65], bytesPerLine = Le16(h + 66);
  const Integer width = Integer(Le16(h + 8)) - Le16(h + 4) + 1;
  const Integer height = Integer(Le16(h + 10)) - Le16(h + 6) + 1;
  if (width <= 0 || height <= 0) {
    IEFilterFail(Progress, "Invalid PCX image size");
    return;
  }
  Params.DpiX = Le16(h + 12);
  Params.DpiY = Le16(h + 14);
  if (Params.DpiX == 0 || Params.DpiY == 0) {
    Params.DpiX = IEDefaultDpiX;
    Params.DpiY = IEDefaultDpiY;
  }
  TIEColorTriple vga[256] = {};
  if (planes == 1 && bits > 4) {
    if (Size < 128 + 769) {
      IEFilterFail(Progress, "PCX palette missing");
      return;
    }
    Byte raw[768];
    Stream->SetPosition(start + Size - 768);
    ReadZeroFilled(Stream, raw, 768);
    for (Integer k = 0; k < 256; ++k) vga[k] = TIEColorTriple{raw[3 * k + 2], raw[3 * k + 1], raw[3 * k]};
    Stream->SetPosition(start + 128);
  }
  TIEColorTriple header16[16];
  for (Integer k = 0; k < 16; ++k) header16[k] = TIEColorTriple{h[16 + 3 * k + 2], h[16 + 3 * k + 1], h[16 + 3 * k]};

  Params.BitsPerSample = bits;
  Params.SamplesPerPixel = planes;
  Params.Width = width;
  Params.Height = height;
  Params.PcxVersion = h[1];
  Params.PcxCompression = h[2];
  if (bits == 8) {
    SetParamsPalette(Params, vga, 256);
  } else if (bits == 1 && planes == 4) {
    SetParamsPalette(Params, header16, 16);
    Params.BitsPerSample = 4;
    Params.SamplesPerPixel = 1;
  } else if (bits < 8) {
    SetParamsPalette(Params, header16, std::min(1 << bits, 16));
  }
  if (HeaderOnly) return;

  enum { k8, k4, k1, kRGB, kPlanar16, kNone } layout = kNone;
  Integer needBytes = 0;  // bytes of one plane's line that hold pixels
  if (planes == 1 && bits == 8) layout = k8, needBytes = width;
  else if (planes == 1 && bits == 4) layout = k4, needBytes = (width + 1) / 2;
  else if (planes == 1 && bits == 1) layout = k1, needBytes = (width + 7) / 8;
  else if (planes == 3 && bits == 8) layout = kRGB, needBytes = width;
  else if (planes == 4 && bits == 1) layout = kPlanar16, needBytes = (width + 7) / 8;
  if (layout == kNone) {
    IEFilterFail(Progress, "Unsupported PCX bit depth");
    return;
  }
  if (bytesPerLine < needBytes) {
    IEFilterFail(Progress, "PCX line length too short for its width");
    return;
  }
  const Int64 dataLength = Size - 128;
  const double linesBytes = double(bytesPerLine) * planes;
  // Run-length data gives at most 63 bytes for 2.
  const double bytesPerByte = h[2] == 1 ? 31.5 : 1.0;
  if (!PictureFitsData(width, height, dataLength, bytesPerByte * width / linesBytes)) {
    IEFilterFail(Progress, "PCX image size does not fit its data");
    return;
  }
  std::vector<Byte> data(static_cast<size_t>(dataLength) + 8);
  const Integer got = ReadZeroFilled(Stream, data.data(), Integer(dataLength));
  Bitmap->AllocateImage(width, height, layout == k1 ? ipkBW1 : ipkRGB24);
  Progress.Done = 0;
  Progress.PerUnit = 100.0 / height;
  std::vector<Byte> line(size_t(bytesPerLine) * 2 + 8);
  std::vector<Byte> planesBuf(size_t(bytesPerLine) * 4 + 8);
  TPcxLineDecoder dec(data.data(), got, h[2] == 1);
  for (Integer y = 0; y < height; ++y) {
    if (Progress.Callback) Progress.Callback(Progress.Sender, Integer(Trunc(Extended(y) * Progress.PerUnit)));
    if (Progress.Aborted()) return;
    Byte* row = static_cast<Byte*>(Bitmap->GetRowPointer(y));
    auto put = [&](Integer x, const TIEColorTriple& c) {
      row[3 * x] = c.Blue;
      row[3 * x + 1] = c.Green;
      row[3 * x + 2] = c.Red;
    };
    switch (layout) {
      case k8:
        dec.DecodeLine(line.data(), bytesPerLine);
        for (Integer x = 0; x < width; ++x) put(x, vga[line[x]]);
        break;
      case k4:
        dec.DecodeLine(line.data(), bytesPerLine);
        for (Integer x = 0; x < width; ++x) put(x, header16[(x & 1) ? (line[x >> 1] & 15) : (line[x >> 1] >> 4)]);
        break;
      case k1:
        dec.DecodeLine(line.data(), bytesPerLine);
        std::memcpy(row, line.data(), size_t(needBytes));
        break;
      case kRGB:
        for (Integer p = 0; p < 3; ++p) {
          dec.DecodeLine(line.data(), bytesPerLine);
          for (Integer x = 0; x < width; ++x) row[3 * x + 2 - p] = line[x];
        }
        break;
      case kPlanar16:
        for (Integer p = 0; p < 4; ++p) dec.DecodeLine(planesBuf.data() + size_t(p) * bytesPerLine, bytesPerLine);
        for (Integer x = 0; x < width; ++x) {
          Integer idx = 0;
          for (Integer p = 0; p < 4; ++p)
            if (TestBit(planesBuf.data() + size_t(p) * bytesPerLine, x)) idx |= 1 << p;
          put(x, header16[idx]);
        }
        break;
      default: break;
    }
    ++Progress.Done;
  }
}

void ReadPcxFile(const std::string& FileName, TIEBitmap* Bitmap, TIOParamsVals& Params,
                 TIEProgressRecord& Progress) {
  TFileStream fs(FileName, fmOpenRead | fmShareDenyWrite);
  ReadPcxStream(&fs, Bitmap, Params, Progress, false, fs.Size());
}

void WritePcxStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress) {
  TAbortFlagScope abortScope(Progress);
  bool& aborting = abortScope.Flag();
  Integer bits = Params.BitsPerSample == 1 ? 1 : Params.BitsPerSample * Params.SamplesPerPixel;
  if (bits != 1 && bits != 4 && bits != 8) bits = 24;
  const Integer width = Bitmap->Width(), height = Bitmap->Height();
  const bool rle = Params.PcxCompression != 0;

  std::unique_ptr<TIEBitmap> copy;
  TIEBitmap* work = Bitmap;
  auto convertedCopy = [&](TIEPixelKind kind) {
    copy = std::make_unique<TIEBitmap>();
    copy->SetLocation(islMemory);
    copy->CopyFromObject(Bitmap);
    copy->ConvertToKind(kind);
    work = copy.get();
  };
  TIEColorTriple pal[256] = {};
  std::unique_ptr<TIEQuantizer> quantizer;
  if (bits == 1) {
    pal[0] = TIEColorTriple{0, 0, 0};
    pal[1] = TIEColorTriple{255, 255, 255};
    if (work->PixelKind() != ipkBW1) {
      TIEColorTriple first, second;
      std::unique_ptr<TIEBitmap> two = ReduceToTwoColors(work, first, second);
      if (two) {
        copy = std::move(two);
        work = copy.get();
        pal[0] = first;
        pal[1] = second;
      } else {
        convertedCopy(ipkBW1);
      }
    }
  } else {
    if (work->PixelKind() != ipkRGB24) convertedCopy(ipkRGB24);
    if (bits == 4 || bits == 8) quantizer = std::make_unique<TIEQuantizer>(work, pal, 1 << bits, -1);
  }

  Integer bytesPerLine = bits == 1 ? (width + 7) / 8 : bits == 4 ? (width + 1) / 2 : width;
  bytesPerLine += bytesPerLine & 1;
  Byte h[128] = {};
  h[0] = 10;
  h[1] = Byte(Params.PcxVersion);
  h[2] = rle ? 1 : 0;
  h[3] = bits == 24 ? 8 : Byte(bits);
  PutLe16(h + 8, Cardinal(width - 1));
  PutLe16(h + 10, Cardinal(height - 1));
  PutLe16(h + 12, Cardinal(Params.DpiX));
  PutLe16(h + 14, Cardinal(Params.DpiY));
  if (bits == 1 || bits == 4)
    for (Integer k = 0; k < (bits == 1 ? 2 : 16); ++k) {
      h[16 + 3 * k] = pal[k].Red;
      h[16 + 3 * k + 1] = pal[k].Green;
      h[16 + 3 * k + 2] = pal[k].Blue;
    }
  h[65] = bits == 24 ? 3 : 1;
  PutLe16(h + 66, Cardinal(bytesPerLine));
  PutLe16(h + 68, bits == 24 ? 0 : 1);
  StreamWriteChecked(Stream, aborting, h, 128);

  std::vector<Byte> values(size_t(bytesPerLine) + 8, 0);
  std::vector<Byte> out(size_t(bytesPerLine) * 2 + 8);
  auto writeLine = [&](const Byte* src, Integer count, Integer stride, Integer offset) {
    if (rle) {
      StreamWriteChecked(Stream, aborting, out.data(), EncodePcxLine(out.data(), src, count, stride, offset));
    } else {
      std::fill(values.begin(), values.end(), 0);
      for (Integer i = 0; i < count; ++i) values[i] = src[offset + stride * i];
      StreamWriteChecked(Stream, aborting, values.data(), bytesPerLine);
    }
  };
  Progress.Done = 0;
  Progress.PerUnit = height > 0 ? 100.0 / height : 0;
  std::vector<Byte> indices(size_t(width) + 8);
  for (Integer y = 0; y < height; ++y) {
    if (Progress.Callback) Progress.Callback(Progress.Sender, Integer(Trunc(Extended(y) * Progress.PerUnit)));
    if (aborting) break;
    const Byte* src = static_cast<const Byte*>(work->GetRowPointer(y));
    switch (bits) {
      case 24:
        for (Integer p = 0; p < 3; ++p) writeLine(src, width, 3, 2 - p);
        break;
      case 8:
        for (Integer x = 0; x < width; ++x)
          indices[x] = Byte(quantizer->ColorIndex(src[3 * x], src[3 * x + 1], src[3 * x + 2]));
        writeLine(indices.data(), width, 1, 0);
        break;
      case 4: {
        const Integer n = (width + 1) / 2;
        std::fill(indices.begin(), indices.end(), 0);
        for (Integer x = 0; x < width; ++x) {
          const Integer i = quantizer->ColorIndex(src[3 * x], src[3 * x + 1], src[3 * x + 2]) & 15;
          indices[x >> 1] |= Byte((x & 1) ? i : i << 4);
        }
        writeLine(indices.data(), n, 1, 0);
        break;
      }
      default:
        writeLine(src, (width + 7) / 8, 1, 0);
        break;
    }
    ++Progress.Done;
  }
  if (bits == 8 && !aborting) {
    const Byte mark = 0x0C;
    Stream->Write(&mark, 1);
    Byte raw[768];
    for (Integer k = 0; k < 256; ++k) {
      raw[3 * k] = pal[k].Red;
      raw[3 * k + 1] = pal[k].Green;
      raw[3 * k + 2] = pal[k].Blue;
    }
    StreamWriteChecked(Stream, aborting, raw, 768);
  }
}
