// Targa reader and writer.
#include "imaging/formats/ietgafil.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/buffer/neurquant.h"
#include "imaging/buffer/ruzozadproc.h"
#include "imaging/formats/iefmtutil.h"
#include "platform/SysUtils.h"

using namespace iefmt;

namespace {

const char kSignature[] = "TRUEVISION-XFILE.";
constexpr Integer kExtensionSize = 495;

bool ValidTgaHeader(const Byte* H) {
  const Byte type = H[2], depth = H[16], mapType = H[1];
  const bool typeOk = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
  const bool depthOk = depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
  return typeOk && depthOk && mapType <= 1;
}

// Buffered reading of the pixel data; past the end it has nothing to give.
class TTgaInput {
 public:
  explicit TTgaInput(TStream* S) : s_(S) {}
  bool Bytes(Byte* Out, Integer Count) {
    while (Count > 0) {
      if (pos_ == len_) {
        const Integer got = s_->Read(buf_, sizeof(buf_));
        pos_ = 0;
        len_ = got > 0 ? got : 0;
        if (len_ == 0) return false;
      }
      const Integer n = std::min(Count, len_ - pos_);
      std::memcpy(Out, buf_ + pos_, size_t(n));
      Out += n;
      pos_ += n;
      Count -= n;
    }
    return true;
  }
  Int64 Remaining() { return (len_ - pos_) + iefmt::Remaining(s_); }

 private:
  TStream* s_;
  Byte buf_[8192];
  Integer pos_ = 0, len_ = 0;
};

inline TIEColorTriple From555(Word X) {
  return TIEColorTriple{Byte((X & 31) * 8), Byte(((X >> 5) & 31) * 8), Byte(((X >> 10) & 31) * 8)};
}

std::string FixedText(const Byte* P, Integer Size) {
  Integer n = 0;
  while (n < Size && P[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(P), size_t(n));
}

void SetDefaultTgaPalette(TIEColorTriple* Pal) {
  for (Integer r = 0; r < 8; ++r)
    for (Integer g = 0; g < 8; ++g)
      for (Integer b = 0; b < 4; ++b)
        Pal[r * 32 + g * 4 + b] = TIEColorTriple{Byte(b * 64 + 60), Byte(g * 32 + 28), Byte(r * 32 + 28)};
}

// Reads the footer, the extension area and the header; false for a header of
// unknown type or depth. Leaves the stream at the start of the pixel data.
bool ReadTgaHeader(TStream* Stream, Int64 Start, Byte* H, TIEColorTriple* Pal, TIOParamsVals& Params) {
  Params.TgaAuthor.clear();
  Params.TgaJobName.clear();
  Params.TgaTimeStamp = Date();
  Params.TgaKeyColor = TIEColorTriple{};
  Params.TgaAspectRatio = 1.0;
  Params.TgaGamma = 2.2;

  const Int64 size = Stream->Size() - Start;
  if (size >= 18 + 26) {
    Byte f[26];
    Stream->SetPosition(Start + size - 26);
    if (Stream->Read(f, 26) == 26 && FixedText(f + 8, 18) == kSignature) {
      const Int64 offset = Le32(f);
      if (offset != 0 && offset + kExtensionSize <= size) {
        Byte e[kExtensionSize];
        Stream->SetPosition(Start + offset);
        if (Stream->Read(e, kExtensionSize) == kExtensionSize) {
          Params.TgaAuthor = FixedText(e + 2, 41);
          const Word month = Le16(e + 367), day = Le16(e + 369), year = Le16(e + 371);
          const Word hour = Le16(e + 373), minute = Le16(e + 375), second = Le16(e + 377);
          TDateTime d, t;
          if (month >= 1 && month <= 12 && day >= 1 && day <= 31 && year >= 1 && year <= 2499 && hour <= 23 &&
              minute <= 59 && second <= 59 && TryEncodeDate(year, month, day, d) &&
              TryEncodeTime(hour, minute, second, 0, t))
            Params.TgaTimeStamp = d + t;
          Params.TgaJobName = FixedText(e + 379, 41);
          Params.TgaKeyColor = TIEColorTriple{e[473], e[472], e[471]};
          const Word an = Le16(e + 474), ad = Le16(e + 476), gn = Le16(e + 478), gd = Le16(e + 480);
          if (an != 0 && ad != 0) Params.TgaAspectRatio = double(an) / ad;
          if (gn != 0 && gd != 0) Params.TgaGamma = double(gn) / gd;
        }
      }
    }
  }

  Stream->SetPosition(Start);
  if (Stream->Read(H, 18) != 18) return false;
  Params.TgaXOrigin = Le16(H + 8);
  Params.TgaYOrigin = Le16(H + 10);
  if (!ValidTgaHeader(H)) return false;
  std::string id(H[0], '\0');
  if (H[0] && Stream->Read(id.data(), H[0]) != H[0]) return false;
  Params.TgaImageId = FixedText(reinterpret_cast<const Byte*>(id.data()), H[0]);

  SetDefaultTgaPalette(Pal);
  const Integer depth = H[16];
  if (H[1] == 1) {
    const Integer first = Le16(H + 3), length = Le16(H + 5), entryBits = H[7];
    const Integer entryBytes = (entryBits + 7) / 8;
    if (Int64(length) * entryBytes > Remaining(Stream)) return false;
    std::vector<Byte> map(size_t(length) * entryBytes);
    Stream->Read(map.data(), Integer(map.size()));
    for (Integer k = 0; k < length && first + k < 256; ++k) {
      const Byte* p = map.data() + size_t(k) * entryBytes;
      if (entryBits == 15 || entryBits == 16)
        Pal[first + k] = From555(Le16(p));
      else if (entryBits == 24 || entryBits == 32)
        Pal[first + k] = TIEColorTriple{p[0], p[1], p[2]};
    }
    SetParamsPalette(Params, Pal, std::min(length, 256));
    Params.TgaGrayscale = false;
  } else if (depth == 8) {
    for (Integer k = 0; k < 256; ++k) Pal[k] = TIEColorTriple{Byte(k), Byte(k), Byte(k)};
    Params.TgaGrayscale = true;
  } else if (depth == 1) {
    Pal[0] = TIEColorTriple{0, 0, 0};
    Pal[1] = TIEColorTriple{255, 255, 255};
  }
  Params.TgaCompression = H[2] >= 9;
  return true;
}

}  // namespace

bool IsTgaStream(TStream* Stream) {
  const Int64 start = Stream->Position();
  Byte h[18];
  const bool ok = Stream->Read(h, 18) == 18 && ValidTgaHeader(h);
  Stream->SetPosition(start);
  return ok;
}

void ReadTgaStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                   bool HeaderOnly, bool NoAlpha, std::unique_ptr<TIEMask>& Alpha) {
  const Int64 start = Stream->Position();
  Byte h[18];
  TIEColorTriple pal[256];
  if (!ReadTgaHeader(Stream, start, h, pal, Params)) {
    IEFilterFail(Progress, "Not a TGA file");
    return;
  }
  const Integer width = Le16(h + 12), height = Le16(h + 14), depth = h[16], type = h[2];
  const bool rle = type >= 9;
  Params.Width = width;
  Params.Height = height;
  Params.DpiX = IEDefaultDpiX;
  Params.DpiY = IEDefaultDpiY;
  switch (depth) {
    case 1: Params.BitsPerSample = 1; Params.SamplesPerPixel = 1; break;
    case 8: Params.BitsPerSample = 8; Params.SamplesPerPixel = 1; break;
    case 16: Params.BitsPerSample = 5; Params.SamplesPerPixel = 3; break;
    case 24: Params.BitsPerSample = 8; Params.SamplesPerPixel = 3; break;
    case 32: Params.BitsPerSample = 8; Params.SamplesPerPixel = 4; break;
    default: break;
  }
  if (HeaderOnly) return;

  // Indices are 8 bits (4 for the writer's own 16-colour files); run-length
  // coded 1- and 4-bit data has no defined form.
  if (((type == 1 || type == 9) && depth != 8 && depth != 4) || ((depth == 1 || depth == 4) && rle)) {
    IEFilterFail(Progress, "Unsupported TGA pixel depth for its image type");
    return;
  }
  TTgaInput in(Stream);
  const double pixelsPerByte = rle ? 128.0 / (1 + std::max(depth / 8, 1)) : 8.0 / depth;
  if (width == 0 || height == 0 || !PictureFitsData(width, height, in.Remaining(), pixelsPerByte)) {
    IEFilterFail(Progress, "TGA image size does not fit its data");
    return;
  }
  Bitmap->AllocateImage(width, height, depth == 1 ? ipkBW1 : ipkRGB24);
  TIEMask* mask = nullptr;
  if (depth == 32 && (h[17] & 8) && !NoAlpha) {
    if (!Alpha) Alpha = std::make_unique<TIEMask>();
    Alpha->AllocateMask(width, height, 8);
    Alpha->FillMask(255);
    Alpha->SetFull(false);
    mask = Alpha.get();
  }
  const bool topDown = (h[17] & 0x20) != 0, rightToLeft = (h[17] & 0x10) != 0;
  const Integer pixelBytes = depth == 1 ? 0 : depth == 4 ? 0 : depth / 8;
  std::vector<Byte> rgb(size_t(width) * 3 + 8), alpha(size_t(width) + 8, 255);
  std::vector<Byte> raw(size_t(width) * 4 + 8);
  Progress.Start(height);

  // One pixel value (PixelBytes bytes) to colour and alpha at x.
  auto store = [&](const Byte* v, Integer x) {
    Byte* p = rgb.data() + 3 * x;
    TIEColorTriple c;
    switch (depth) {
      case 8: c = pal[v[0]]; break;
      case 16: c = From555(Le16(v)); break;
      default: c = TIEColorTriple{v[0], v[1], v[2]}; break;
    }
    p[0] = c.Blue;
    p[1] = c.Green;
    p[2] = c.Red;
    if (depth == 32) alpha[x] = v[3];
  };
  Integer pending = 0;  // pixels of the current packet still to place
  bool pendingRun = false;
  Byte runValue[4] = {};
  for (Integer k = 0; k < height; ++k) {
    const Integer y = topDown ? k : height - 1 - k;
    bool ended = false;
    if (depth == 1 || depth == 4) {
      const Integer n = depth == 1 ? (width + 7) / 8 : (width + 1) / 2;
      ended = !in.Bytes(raw.data(), n);
      if (!ended && depth == 4)
        for (Integer x = 0; x < width; ++x) {
          const TIEColorTriple& c = pal[(x & 1) ? (raw[x >> 1] & 15) : (raw[x >> 1] >> 4)];
          rgb[3 * x] = c.Blue;
          rgb[3 * x + 1] = c.Green;
          rgb[3 * x + 2] = c.Red;
        }
    } else if (!rle) {
      ended = !in.Bytes(raw.data(), width * pixelBytes);
      if (!ended)
        for (Integer x = 0; x < width; ++x) store(raw.data() + x * pixelBytes, x);
    } else {
      // Packets may run on from one row into the next; a packet's pixels are
      // placed row by row, never past the picture.
      for (Integer x = 0; x < width && !ended;) {
        if (pending == 0) {
          Byte head;
          if (!in.Bytes(&head, 1)) {
            ended = true;
            break;
          }
          pending = (head & 0x7F) + 1;
          pendingRun = (head & 0x80) != 0;
          if (pendingRun && !in.Bytes(runValue, pixelBytes)) {
            ended = true;
            break;
          }
        }
        if (pendingRun) {
          store(runValue, x);
        } else {
          Byte v[4];
          if (!in.Bytes(v, pixelBytes)) {
            ended = true;
            break;
          }
          store(v, x);
        }
        --pending;
        ++x;
      }
    }
    if (ended && !rle) break;
    Byte* row = static_cast<Byte*>(Bitmap->GetRowPointer(y));
    if (depth == 1) {
      if (rightToLeft) {
        for (Integer x = 0; x < width; ++x) PutBit(row, width - 1 - x, TestBit(raw.data(), x) ? 1 : 0);
      } else {
        std::memcpy(row, raw.data(), size_t((width + 7) / 8));
      }
    } else {
      if (rightToLeft) {
        for (Integer x = 0; x < width / 2; ++x) {
          for (Integer c = 0; c < 3; ++c) std::swap(rgb[3 * x + c], rgb[3 * (width - 1 - x) + c]);
          std::swap(alpha[x], alpha[width - 1 - x]);
        }
      }
      std::memcpy(row, rgb.data(), size_t(width) * 3);
      if (mask) std::memcpy(mask->RowAddress(y), alpha.data(), size_t(width));
    }
    if (ended) break;
    if (Progress.Step()) return;
  }
}

Integer EncodeTgaRleRow(const Byte* Row, Integer Count, Integer Size, Byte* Output) {
  auto same = [&](Integer a, Integer b) { return std::memcmp(Row + a * Size, Row + b * Size, size_t(Size)) == 0; };
  Integer o = 0;
  for (Integer i = 0; i < Count;) {
    Integer n = 1;
    while (i + n < Count && n < 128 && same(i, i + n)) ++n;
    if (n >= 2) {
      Output[o++] = Byte((n - 1) + 128);
      std::memcpy(Output + o, Row + i * Size, size_t(Size));
      o += Size;
    } else {
      // A raw packet stops before a pixel that starts a run; the row's last
      // pixel always joins it.
      n = 1;
      while (i + n + 1 < Count && !same(i + n, i + n + 1) && n < 127) ++n;
      if (i + n == Count - 1) ++n;
      Output[o++] = Byte(n - 1);
      std::memcpy(Output + o, Row + i * Size, size_t(n) * Size);
      o += n * Size;
    }
    i += n;
  }
  return o;
}

void WriteTgaStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                    TIEMask* Alpha) {
  TAbortFlagScope abortScope(Progress);
  bool& aborting = abortScope.Flag();
  if (Bitmap->PixelKind() != ipkRGB24 && Bitmap->PixelKind() != ipkBW1) return;
  const Int64 start = Stream->Position();
  const Integer width = Bitmap->Width(), height = Bitmap->Height();

  TIEBitmap* work = Bitmap;
  std::unique_ptr<TIEBitmap> copy;
  std::unique_ptr<TIEQuantizer> quantizer;
  TIEColorTriple pal[256] = {};
  Integer depth;
  if (Params.SamplesPerPixel == 1) {
    depth = Params.BitsPerSample == 1 ? 1 : Params.BitsPerSample == 4 ? 4 : 8;
    if (depth == 1) {
      if (work->PixelKind() != ipkBW1) {
        TIEColorTriple first, second;
        copy = ReduceToTwoColors(work, first, second);
        if (!copy) {
          copy = std::make_unique<TIEBitmap>();
          copy->SetLocation(islMemory);
          copy->CopyFromObject(Bitmap);
          copy->ConvertToKind(ipkBW1);
        }
        work = copy.get();
      }
      pal[1] = TIEColorTriple{255, 255, 255};
      Params.TgaCompression = false;
    } else {
      if (work->PixelKind() == ipkRGB24) {
        quantizer = std::make_unique<TIEQuantizer>(work, pal, 1 << depth, -1);
        SetParamsPalette(Params, pal, 1 << depth);
      } else {
        pal[1] = TIEColorTriple{255, 255, 255};
      }
      if (depth == 4) Params.TgaCompression = false;
    }
  } else {
    depth = (Alpha && !Alpha->Full()) ? 32 : 24;
    if (depth == 32) Params.TgaCompression = false;
    if (work->PixelKind() != ipkRGB24) {
      copy = std::make_unique<TIEBitmap>();
      copy->SetLocation(islMemory);
      copy->CopyFromObject(Bitmap);
      copy->ConvertToKind(ipkRGB24);
      work = copy.get();
    }
  }
  const bool grey = depth == 8 && Params.TgaGrayscale;
  const bool rle = Params.TgaCompression && (depth == 8 || depth == 24);

  Byte h[18] = {};
  h[0] = Byte(std::min<size_t>(Params.TgaImageId.size(), 254) + 1);
  if (depth == 4 || (depth == 8 && !grey)) {
    h[1] = 1;
    h[2] = rle ? 9 : 1;
    PutLe16(h + 5, Cardinal(1) << depth);
    h[7] = 24;
  } else if (grey) {
    h[2] = rle ? 11 : 3;
    PutLe16(h + 5, 256);
    h[7] = 24;
  } else if (depth == 1) {
    h[2] = rle ? 11 : 3;
  } else {
    h[2] = rle ? 10 : 2;
  }
  PutLe16(h + 8, Cardinal(Params.TgaXOrigin));
  PutLe16(h + 10, Cardinal(Params.TgaYOrigin));
  PutLe16(h + 12, Cardinal(width));
  PutLe16(h + 14, Cardinal(height));
  h[16] = Byte(depth);
  h[17] = Byte(0x20 | (depth == 32 ? 8 : 0));
  StreamWriteChecked(Stream, aborting, h, 18);
  std::string id = Params.TgaImageId.substr(0, 254);
  id.push_back('\0');
  StreamWriteChecked(Stream, aborting, id.data(), Integer(id.size()));
  if (h[1] == 1) StreamWriteChecked(Stream, aborting, pal, 3 << depth);

  const Integer srcBits = work->PixelKind() == ipkBW1 ? 1 : 24;
  const Integer outBits = depth == 32 ? 24 : depth;
  std::vector<Byte> row(size_t(width) * 4 + 8), coded(size_t(width) * 5 + 8);
  Progress.Start(height);
  for (Integer y = 0; y < height; ++y) {
    std::fill(row.begin(), row.end(), 0);
    const Integer n = ConvertRowDepth(static_cast<const Byte*>(work->GetRowPointer(y)), row.data(), srcBits, outBits,
                                      width, pal, quantizer.get());
    if (grey)
      for (Integer x = 0; x < width; ++x) {
        const TIEColorTriple& c = pal[row[x]];
        row[x] = Byte((21 * c.Red + 71 * c.Green + 8 * c.Blue) / 100);
      }
    if (rle) {
      StreamWriteChecked(Stream, aborting, coded.data(), EncodeTgaRleRow(row.data(), width, depth / 8, coded.data()));
    } else if (depth == 32) {
      for (Integer x = width - 1; x >= 0; --x) {
        std::memmove(row.data() + 4 * x, row.data() + 3 * x, 3);
        row[4 * x + 3] = Byte(Alpha->BitsPerPixel() == 8 ? Alpha->RowAddress(y)[x] : Alpha->GetPixelValue(x, y));
      }
      StreamWriteChecked(Stream, aborting, row.data(), width * 4);
    } else {
      StreamWriteChecked(Stream, aborting, row.data(), n);
    }
    Progress.Step();
  }

  Byte e[kExtensionSize] = {};
  PutLe16(e, kExtensionSize);
  const std::string author = Params.TgaAuthor.substr(0, 40), job = Params.TgaJobName.substr(0, 40);
  std::memcpy(e + 2, author.data(), author.size());
  std::memcpy(e + 379, job.data(), job.size());
  Word yy, mo, dd, hh, mi, ss, ms;
  DecodeDate(Params.TgaTimeStamp, yy, mo, dd);
  DecodeTime(Params.TgaTimeStamp, hh, mi, ss, ms);
  PutLe16(e + 367, mo);
  PutLe16(e + 369, dd);
  PutLe16(e + 371, yy);
  PutLe16(e + 373, hh);
  PutLe16(e + 375, mi);
  PutLe16(e + 377, ss);
  e[471] = Params.TgaKeyColor.Red;
  e[472] = Params.TgaKeyColor.Green;
  e[473] = Params.TgaKeyColor.Blue;
  PutLe16(e + 474, Cardinal(Trunc(Params.TgaAspectRatio * 10000)));
  PutLe16(e + 476, 10000);
  PutLe16(e + 478, Cardinal(Trunc(Params.TgaGamma * 10000)));
  PutLe16(e + 480, 10000);
  const Int64 extOffset = Stream->Position() - start;
  StreamWriteChecked(Stream, aborting, e, kExtensionSize);
  Byte f[26] = {};
  PutLe32(f, Cardinal(extOffset));
  std::memcpy(f + 8, kSignature, sizeof(kSignature));
  StreamWriteChecked(Stream, aborting, f, 26);
}
