// PBM, PGM and PPM reader and writer.
#include "imaging/formats/iepnm.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/formats/iefmtutil.h"

using namespace iefmt;

namespace {

// Buffered byte reader: headers and plain files are read a byte at a time.
class TPnmInput {
 public:
  explicit TPnmInput(TStream* S) : s_(S), start_(S->Position()) {}
  // -1 at the end of the stream.
  int Get() {
    if (pos_ == len_ && !Fill()) return -1;
    return buf_[pos_++];
  }
  int Peek() {
    if (pos_ == len_ && !Fill()) return -1;
    return buf_[pos_];
  }
  // Up to Count bytes; returns the number read.
  Integer Read(Byte* Out, Integer Count) {
    Integer done = 0;
    while (done < Count) {
      if (pos_ == len_ && !Fill()) break;
      const Integer n = std::min(Count - done, len_ - pos_);
      std::memcpy(Out + done, buf_ + pos_, size_t(n));
      pos_ += n;
      done += n;
    }
    return done;
  }
  Int64 Remaining() { return (len_ - pos_) + iefmt::Remaining(s_); }
  void Restore() { s_->SetPosition(start_); }

 private:
  bool Fill() {
    const Integer got = s_->Read(buf_, sizeof(buf_));
    pos_ = 0;
    len_ = got > 0 ? got : 0;
    return len_ > 0;
  }
  TStream* s_;
  Int64 start_;
  Byte buf_[65536];
  Integer pos_ = 0, len_ = 0;
};

inline bool IsAlnum(int c) { return c >= 0 && std::isalnum(c) != 0; }

// A comment ("#..." trimmed), a word, or empty at the end of the stream.
std::string ReadPnmToken(TPnmInput& In) {
  int c;
  do {
    c = In.Get();
  } while (c >= 0 && c != '#' && !IsAlnum(c));
  std::string t;
  if (c < 0) return t;
  if (c == '#') {
    t = "#";
    std::string body;
    while ((c = In.Get()) >= 0 && c != '\n' && c != '\r') body.push_back(char(c));
    return t + Trim(body);
  }
  t.push_back(char(c));
  while (IsAlnum(c = In.Get())) t.push_back(char(c));
  return t;
}

// -1 for a token that is not a number.
Int64 TokenNumber(const std::string& T) {
  if (T.empty() || T.size() > 12) return -1;
  Int64 v = 0;
  for (char ch : T) {
    if (ch < '0' || ch > '9') return -1;
    v = v * 10 + (ch - '0');
  }
  return v;
}

struct TPnmHeader {
  std::string Magic;
  Int64 Width = 0, Height = 0, MaxVal = 0;
  bool Complete = false;
};

// Comments go to Comments when given.
TPnmHeader ReadPnmHeader(TPnmInput& In, TStrings* Comments, Integer TokenLimit) {
  TPnmHeader h;
  for (Integer n = 0; n < TokenLimit; ++n) {
    const std::string t = ReadPnmToken(In);
    if (t.empty()) return h;
    if (t[0] == '#') {
      if (Comments) Comments->Add(t.substr(1));
      continue;
    }
    if (h.Magic.empty()) {
      h.Magic = t;
      if (t == "P1" || t == "P4") h.MaxVal = 1;
      if (t.size() != 2 || t[0] != 'P' || t[1] < '1' || t[1] > '6') return h;
    } else if (h.Width == 0) {
      h.Width = TokenNumber(t);
    } else if (h.Height == 0) {
      h.Height = TokenNumber(t);
    } else if (h.MaxVal == 0) {
      h.MaxVal = TokenNumber(t);
    }
    if (h.Width != 0 && h.Height != 0 && h.MaxVal != 0) {
      h.Complete = true;
      return h;
    }
  }
  return h;
}

inline Byte Scale(Int64 V, Int64 MaxVal) {
  if (V >= MaxVal) return 255;
  return Byte(V * 255 / MaxVal);
}

}  // namespace

bool IsPnmStream(TStream* Stream) {
  TPnmInput in(Stream);
  const TPnmHeader h = ReadPnmHeader(in, nullptr, 501);
  in.Restore();
  const bool magic = h.Magic.size() == 2 && h.Magic[0] == 'P' && h.Magic[1] >= '1' && h.Magic[1] <= '6';
  return magic && h.Width > 0 && h.Height > 0;
}

void ReadPnmStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                   bool HeaderOnly) {
  Params.PnmComments.Clear();
  auto in = std::make_unique<TPnmInput>(Stream);
  const TPnmHeader h = ReadPnmHeader(*in, &Params.PnmComments, INT32_MAX);
  const char kind = h.Magic.size() == 2 && h.Magic[0] == 'P' ? h.Magic[1] : 0;
  if (kind < '1' || kind > '6') {
    IEFilterFail(Progress, "Not a PBM, PGM or PPM file");
    return;
  }
  if (!h.Complete || h.Width <= 0 || h.Height <= 0 || h.Width > IEMaxImageSide || h.Height > IEMaxImageSide) {
    IEFilterFail(Progress, "Invalid PNM image size");
    return;
  }
  if (h.MaxVal <= 0 || h.MaxVal > 65535) {
    IEFilterFail(Progress, "Invalid PNM maximum value");
    return;
  }
  const Integer width = Integer(h.Width), height = Integer(h.Height);
  const bool wide = h.MaxVal > 255;  // raw samples of two bytes, most significant first
  FreeParamsPalette(Params);
  Params.Width = width;
  Params.Height = height;
  Params.DpiX = IEDefaultDpiX;
  Params.DpiY = IEDefaultDpiY;
  const bool bilevel = kind == '1' || kind == '4';
  const bool color = kind == '3' || kind == '6';
  Params.BitsPerSample = bilevel ? 1 : 8;
  Params.SamplesPerPixel = color ? 3 : 1;
  if (HeaderOnly) return;

  double pixelsPerByte = 1.0;
  switch (kind) {
    case '1': pixelsPerByte = 1.0; break;
    case '2': pixelsPerByte = 0.5; break;
    case '3': pixelsPerByte = 1.0 / 6; break;
    case '4': pixelsPerByte = 8.0; break;
    case '5': pixelsPerByte = wide ? 0.5 : 1.0; break;
    case '6': pixelsPerByte = wide ? 1.0 / 6 : 1.0 / 3; break;
  }
  if (!PictureFitsData(width, height, in->Remaining(), pixelsPerByte)) {
    IEFilterFail(Progress, "PNM image size does not fit its data");
    return;
  }
  Bitmap->AllocateImage(width, height, bilevel ? ipkBW1 : ipkRGB24);
  Progress.Start(height);

  const Integer samples = color ? 3 : 1;
  const Integer bytesPerSample = wide ? 2 : 1;
  std::vector<Byte> line(size_t(width) * samples * bytesPerSample + 8);
  for (Integer y = 0; y < height; ++y) {
    Byte* row = static_cast<Byte*>(Bitmap->GetRowPointer(y));
    switch (kind) {
      case '1': {
        for (Integer x = 0; x < width;) {
          const int c = in->Get();
          if (c < 0) return;
          if (c == '0' || c == '1') PutBit(row, x++, c == '0' ? 1 : 0);
        }
        break;
      }
      case '2':
      case '3': {
        Byte v[3];
        for (Integer x = 0; x < width; ++x) {
          for (Integer k = 0; k < samples; ++k) {
            const std::string t = ReadPnmToken(*in);
            if (t.empty()) return;
            const Int64 n = TokenNumber(t);
            v[k] = Scale(n < 0 ? 0 : n, h.MaxVal);
          }
          Byte* p = row + 3 * x;
          if (color) {
            p[0] = v[2];
            p[1] = v[1];
            p[2] = v[0];
          } else {
            p[0] = p[1] = p[2] = v[0];
          }
        }
        break;
      }
      case '4': {
        const Integer n = (width + 7) / 8;
        const Integer got = in->Read(line.data(), n);
        for (Integer k = 0; k < got; ++k) row[k] = Byte(~line[k]);
        if (got < n) return;
        break;
      }
      case '5':
      case '6': {
        const Integer n = width * samples * bytesPerSample;
        const Integer got = in->Read(line.data(), n);
        const Integer whole = got / (samples * bytesPerSample);
        for (Integer x = 0; x < whole; ++x) {
          Byte v[3];
          for (Integer k = 0; k < samples; ++k) {
            const Byte* s = line.data() + (x * samples + k) * bytesPerSample;
            const Int64 raw = wide ? (Int64(s[0]) << 8) | s[1] : s[0];
            v[k] = h.MaxVal == 255 ? Byte(raw) : Scale(raw, h.MaxVal);
          }
          Byte* p = row + 3 * x;
          if (color) {
            p[0] = v[2];
            p[1] = v[1];
            p[2] = v[0];
          } else {
            p[0] = p[1] = p[2] = v[0];
          }
        }
        if (got < n) return;
        break;
      }
    }
    if (Progress.Step()) return;
  }
}

void WritePnmStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress) {
  TAbortFlagScope abortScope(Progress);
  bool& aborting = abortScope.Flag();
  char kind;
  if ((Params.BitsPerSample == 1 && Params.SamplesPerPixel == 1) || Bitmap->PixelKind() == ipkBW1)
    kind = '4';
  else if (Params.BitsPerSample == 8 && Params.SamplesPerPixel == 1)
    kind = '5';
  else if ((Params.BitsPerSample == 8 && Params.SamplesPerPixel == 3) || Bitmap->PixelKind() == ipkRGB24)
    kind = '6';
  else
    return;
  const Integer width = Bitmap->Width(), height = Bitmap->Height();

  // The rows come from a 1-bit picture for "P4" and a 24-bit one otherwise.
  std::unique_ptr<TIEBitmap> copy;
  TIEBitmap* work = Bitmap;
  const TIEPixelKind need = kind == '4' ? ipkBW1 : ipkRGB24;
  if (work->PixelKind() != need) {
    copy = std::make_unique<TIEBitmap>();
    copy->SetLocation(islMemory);
    copy->CopyFromObject(Bitmap);
    copy->ConvertToKind(need);
    work = copy.get();
  }

  std::string header = std::string("P") + kind + " ";
  for (Integer k = 0; k < Params.PnmComments.Count(); ++k) header += "\n# " + Params.PnmComments.Strings(k) + "\n";
  header += std::to_string(width) + " " + std::to_string(height);
  if (kind != '4') header += " 255";
  header += "\n";
  StreamWriteChecked(Stream, aborting, header.data(), Integer(header.size()));

  Progress.Start(height);
  std::vector<Byte> line(size_t(width) * 3 + 8);
  for (Integer y = 0; y < height; ++y) {
    const Byte* src = static_cast<const Byte*>(work->GetRowPointer(y));
    Integer n = 0;
    if (kind == '4') {
      n = (width + 7) / 8;
      for (Integer k = 0; k < n; ++k) line[k] = Byte(~src[k]);
    } else if (kind == '5') {
      n = width;
      for (Integer x = 0; x < width; ++x)
        line[x] = Byte((21 * src[3 * x + 2] + 71 * src[3 * x + 1] + 8 * src[3 * x]) / 100);
    } else {
      n = width * 3;
      for (Integer x = 0; x < width; ++x) {
        line[3 * x] = src[3 * x + 2];
        line[3 * x + 1] = src[3 * x + 1];
        line[3 * x + 2] = src[3 * x];
      }
    }
    StreamWriteChecked(Stream, aborting, line.data(), n);
    ++Progress.Done;
    Progress.Report();
  }
}
