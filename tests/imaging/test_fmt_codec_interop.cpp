// For fmt_interop.py: decodes every file of FMT_CODEC_INTEROP_DIR/in with our
// filters into a PPM (or a .refused note), and writes FMT_CODEC_INTEROP_DIR/src/*.ppm
// again in every kind our writers make, for independent tools to check.
// Without that variable there is nothing to do.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "fmt_test_util.h"
#include "fmt_util.h"
#include "imaging/formats/iej2000.h"
#include "imaging/formats/jpegfilt.h"
#include "imaging/formats/pngfilt.h"
#include "platform/SysUtils.h"

using namespace fmtfix;

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

void WritePpm(TIEBitmap& b, const std::string& path) {
  TFileStream f(path, fmCreate);
  const std::string head = "P6\n" + std::to_string(b.Width()) + " " + std::to_string(b.Height()) + "\n255\n";
  f.WriteBuffer(head.data(), Integer(head.size()));
  std::vector<Byte> row(size_t(b.Width()) * 3);
  for (Integer y = 0; y < b.Height(); ++y) {
    for (Integer x = 0; x < b.Width(); ++x) {
      const uint32_t p = b.PixelKind() == ipkBW1 ? (PixelOrBit(b, x, y) ? 0xFFFFFFu : 0u) : PixelOrBit(b, x, y);
      row[3 * size_t(x)] = Byte(p >> 16);
      row[3 * size_t(x) + 1] = Byte(p >> 8);
      row[3 * size_t(x) + 2] = Byte(p);
    }
    f.WriteBuffer(row.data(), Integer(row.size()));
  }
}

// Binary PPM with maxval 255, as the script writes them.
std::unique_ptr<TIEBitmap> ReadPpm(const std::string& path) {
  TMemoryStream s;
  s.LoadFromFile(path);
  const char* p = static_cast<const char*>(s.Memory());
  int w = 0, h = 0, maxv = 0, n = 0;
  if (std::sscanf(p, "P6 %d %d %d%n", &w, &h, &maxv, &n) != 3 || maxv != 255) return nullptr;
  const Byte* px = reinterpret_cast<const Byte*>(p) + n + 1;
  return MakeRGB(w, h, [&](Integer x, Integer y) {
    const Byte* q = px + (size_t(y) * size_t(w) + size_t(x)) * 3;
    return uint32_t(q[0]) << 16 | uint32_t(q[1]) << 8 | q[2];
  });
}

void Save(const std::string& path, const std::function<void(TStream*, TIEProgressRecord&)>& write) {
  TFileStream f(path, fmCreate);
  Progress pr;
  write(&f, pr.rec);
  EXPECT_FALSE(pr.abort) << path << ": " << IELastFilterError();
}

}  // namespace

TEST(FmtCodecInterop, DecodeCorpusAndWriteEveryKind) {
  const char* env = std::getenv("FMT_CODEC_INTEROP_DIR");
  if (!env || !*env) GTEST_SKIP() << "FMT_CODEC_INTEROP_DIR not set";
  const std::string dir = env;
  for (const std::string& name : fmtt::FilesIn(dir + "\\in")) {
    const std::string ext = Lower(name.substr(name.rfind('.') + 1));
    TMemoryStream s;
    s.LoadFromFile(dir + "\\in\\" + name);
    TIEBitmap bmp;
    TIOParamsVals params;
    Progress pr;
    IEClearFilterError();
    try {
      if (ext == "jpg") {
        ReadJpegStream(&s, nullptr, &bmp, false, false, pr.rec, params);
      } else if (ext == "png") {
        std::unique_ptr<TIEMask> alpha;
        ReadPngStream(&s, &bmp, params, false, alpha, false, pr.rec);
      } else if (ext == "jp2" || ext == "j2k") {
        Jpeg2000LoadFromStream(&s, &bmp, params, false, pr.rec);
      } else {
        continue;
      }
    } catch (const std::exception& e) {
      pr.abort = true;
      IEFilterFail(pr.rec, std::string("exception: ") + e.what());
    }
    // A JPEG read that the codec only warned about counts as decoded.
    if (pr.abort) {
      TFileStream note(dir + "\\out\\" + name + ".refused", fmCreate);
      const std::string why = IELastFilterError() + "\n";
      note.WriteBuffer(why.data(), Integer(why.size()));
    } else {
      WritePpm(bmp, dir + "\\out\\" + name + ".ppm");
      if (params.JpegWarningCount) {
        TFileStream note(dir + "\\out\\" + name + ".warned", fmCreate);
      }
    }
  }

  for (const std::string& name : fmtt::FilesIn(dir + "\\src")) {
    auto pic = ReadPpm(dir + "\\src\\" + name);
    ASSERT_NE(pic, nullptr) << name;
    const std::string base = dir + "\\enc\\" + name.substr(0, name.size() - 4);
    // Alpha from the picture itself, so that every value occurs.
    TIEMask alpha;
    alpha.AllocateMask(pic->Width(), pic->Height(), 8);
    for (Integer y = 0; y < pic->Height(); ++y)
      for (Integer x = 0; x < pic->Width(); ++x) alpha.SetPixelValue(x, y, Integer((x * 7 + y * 3) & 255));
    alpha.SetFull(false);
    struct Kind {
      const char* suffix;
      std::function<void(TIOParamsVals&)> setup;
      TIEMask* mask;
    };
    const Kind jpegs[] = {{"q90.jpg", [](TIOParamsVals& p) { p.JpegQuality = 90; }, nullptr},
                          {"grey.jpg", [](TIOParamsVals& p) { p.JpegColorSpace = 1; }, nullptr},
                          {"rgb.jpg", [](TIOParamsVals& p) { p.JpegColorSpace = 0; }, nullptr},
                          {"cmyk.jpg", [](TIOParamsVals& p) { p.JpegColorSpace = 3; }, nullptr},
                          {"prog.jpg", [](TIOParamsVals& p) { p.JpegProgressive = true; }, nullptr}};
    for (const Kind& k : jpegs) {
      TIOParamsVals p;
      k.setup(p);
      Save(base + "." + k.suffix, [&](TStream* f, TIEProgressRecord& r) { WriteJpegStream(f, pic.get(), p, r); });
    }
    const Kind pngs[] = {{"rgb.png", [](TIOParamsVals&) {}, nullptr},
                         {"rgba.png", [](TIOParamsVals&) {}, &alpha},
                         {"interlaced.png", [](TIOParamsVals& p) { p.PngInterlaced = true; }, &alpha},
                         {"pal.png", [](TIOParamsVals& p) { p.SamplesPerPixel = 1; }, nullptr},
                         {"bw.png",
                          [](TIOParamsVals& p) {
                            p.SamplesPerPixel = 1;
                            p.BitsPerSample = 1;
                          },
                          nullptr}};
    for (const Kind& k : pngs) {
      TIOParamsVals p;
      k.setup(p);
      Save(base + "." + k.suffix,
           [&](TStream* f, TIEProgressRecord& r) { WritePngStream(f, pic.get(), p, k.mask, r); });
    }
    for (Integer format : {0, 1}) {
      TIOParamsVals p;
      Save(base + (format == 0 ? ".jp2" : ".j2k"),
           [&](TStream* f, TIEProgressRecord& r) { Jpeg2000SaveToStream(f, pic.get(), p, format, r); });
    }
    TIOParamsVals g;
    g.J2kColorSpace = 0;
    Save(base + ".grey.jp2", [&](TStream* f, TIEProgressRecord& r) { Jpeg2000SaveToStream(f, pic.get(), g, 0, r); });
  }
}
