// Every kind the TIFF writer makes, written for independent readers:
// fmt_tiffw_interop.py sets FMT_TIFFW_INTEROP_DIR, runs this file and checks
// each NAME.tif with tiffinfo, ImageMagick and tiffcp against NAME.rgba, the
// pixels it should show. Without that variable there is nothing to do.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/ioparams.h"
#include "imaging/formats/tiffilt.h"
#include "platform/SysUtils.h"

namespace {

// A TIFF LZW encoder for the writer's hook (the library ships none): the
// rows of the strip are gathered and coded at the final call.
struct LzwStrip {
  std::vector<Byte> Rows;
};

void LzwHook(const Byte* Row, Integer Length, TStream* Stream, void*& State) {
  if (!State) State = new LzwStrip;
  auto* s = static_cast<LzwStrip*>(State);
  if (Row) {
    s->Rows.insert(s->Rows.end(), Row, Row + Length);
    return;
  }
  std::vector<Byte> out;
  uint32_t acc = 0;
  int accBits = 0, bits = 9, next = 258;
  auto emit = [&](int code) {
    acc = (acc << bits) | uint32_t(code);
    accBits += bits;
    while (accBits >= 8) {
      out.push_back(Byte(acc >> (accBits - 8)));
      accBits -= 8;
    }
  };
  // Entries are added as codes go out, one ahead of the decoder: the width
  // grows once the next entry passes the widest code, and the table starts
  // again (Clear) at 4094 entries.
  auto grow = [&]() {
    ++next;
    if (next == 4094) {
      emit(256);
      bits = 9;
      next = 258;
      return true;
    }
    if (next > (1 << bits) - 1) ++bits;
    return false;
  };
  std::unordered_map<uint32_t, int> table;
  emit(256);
  int w = -1;
  for (Byte b : s->Rows) {
    if (w < 0) {
      w = b;
      continue;
    }
    const uint32_t key = uint32_t(w) << 8 | b;
    auto it = table.find(key);
    if (it != table.end()) {
      w = it->second;
      continue;
    }
    emit(w);
    table.emplace(key, next);
    if (grow()) table.clear();
    w = b;
  }
  if (w >= 0) {
    emit(w);
    if (grow()) table.clear();
  }
  emit(257);
  if (accBits) out.push_back(Byte(acc << (8 - accBits)));
  Stream->WriteBuffer(out.data(), Integer(out.size()));
  delete s;
  State = nullptr;
}

std::string OutDir() {
  const char* v = std::getenv("FMT_TIFFW_INTEROP_DIR");
  return v && *v ? std::string(v) + "\\" : std::string();
}

std::unique_ptr<TIEBitmap> Picture(const std::string& Which) {
  if (Which == "bw") return fmtt::MakeBW(29, 13, [](Integer x, Integer y) { return (x * x + y * 3) % 7 < 3; });
  if (Which == "fax") return fmtt::MakeBW(1731, 21, [](Integer x, Integer y) { return ((x / (y + 1)) % 5 != 0) || x > 1700; });
  if (Which == "four") return fmtt::MakeRGB(31, 11, [](Integer x, Integer y) { return uint32_t(((x / 3 + y) % 4) * 0x304050 + 0x102030); });
  if (Which == "sixteen") return fmtt::MakeRGB(31, 11, [](Integer x, Integer y) { return uint32_t(((x / 2 + y) % 16) * 0x0F0D0B); });
  if (Which == "many") return fmtt::MakeRGB(37, 23, [](Integer x, Integer y) { return uint32_t((x * 7 + y * 3) % 200) * 0x010305 ^ 0x204000; });
  if (Which == "grey") return fmtt::MakeRGB(33, 9, [](Integer x, Integer y) { return uint32_t((x * 8 + y) % 256) * 0x010101; });
  if (Which == "smooth") return fmtt::MakeRGB(48, 32, [](Integer x, Integer y) { return uint32_t(x * 5) << 16 | uint32_t(y * 7) << 8 | uint32_t(128 + x - y); });
  // True colour with long equal runs and rough parts.
  return fmtt::MakeRGB(45, 17, [](Integer x, Integer y) {
    return x < 20 ? 0x336699u : uint32_t(x * 5) << 16 | uint32_t(y * 13) << 8 | uint32_t((x * y) % 256);
  });
}

void WriteBytes(const std::string& Path, const std::vector<Byte>& Bytes) {
  TFileStream f(Path, fmCreate);
  if (!Bytes.empty()) f.WriteBuffer(Bytes.data(), Integer(Bytes.size()));
}

}  // namespace

TEST(FmtTiffWriteInterop, WritesEveryKind) {
  const std::string dir = OutDir();
  if (dir.empty()) GTEST_SKIP() << "FMT_TIFFW_INTEROP_DIR not set";
  struct Kind {
    std::string Name;
    std::string Picture;
    Integer Bits, Samples, Photometric;
  };
  // Pixel kinds with the compressions each can carry (TIOParamsVals numbering).
  const Kind kinds[] = {{"bw", "bw", 1, 1, 1},         {"fax", "fax", 1, 1, 1},       {"pal2", "four", 2, 1, 3},
                        {"pal3", "four", 3, 1, 3},     {"pal4", "sixteen", 4, 1, 3},  {"pal6", "sixteen", 6, 1, 3},
                        {"pal8", "many", 8, 1, 3},     {"grey8", "grey", 8, 1, 1},
                        {"rgb", "rgb", 8, 3, 2},       {"cmyk", "rgb", 8, 4, 5},      {"lab", "smooth", 8, 3, 7},
                        {"ycbcr", "smooth", 8, 3, 6}};
  const std::pair<const char*, Integer> compressions[] = {{"none", 0}, {"mh", 1},   {"g31d", 2}, {"g32d", 3},
                                                          {"g4", 4},   {"lzw", 5},  {"jpeg", 7}, {"packbits", 8}};
  int written = 0;
  for (const Kind& k : kinds)
    for (const auto& [cname, compression] : compressions) {
      const bool bilevel = k.Bits == 1;
      if (compression >= 1 && compression <= 4 && !bilevel) continue;
      if (compression == 7 && k.Name != "rgb" && k.Name != "ycbcr") continue;
      if (k.Name == "ycbcr" && compression != 7) continue;
      if (k.Name == "fax" && (compression == 0 || compression >= 5)) continue;
      const std::string name = k.Name + "_" + cname;
      SCOPED_TRACE(name);
      auto pic = Picture(k.Picture);
      TIOParamsVals p;
      p.BitsPerSample = k.Bits;
      p.SamplesPerPixel = k.Samples;
      p.TiffPhotometric = Byte(k.Photometric);
      p.TiffCompression = Byte(compression);
      p.TiffLzwEncoder = LzwHook;
      p.TiffJpegQuality = 95;
      p.DpiX = 300;
      p.DpiY = 150;
      fmtt::TProgressBox box;
      TMemoryStream s;
      EXPECT_EQ(WriteTiffStream(&s, pic.get(), box.Record, p), 1);
      ASSERT_FALSE(box.Abort);
      WriteBytes(dir + name + ".tif", fmtt::BytesOf(s));
      std::vector<Byte> rgba;
      for (Integer y = 0; y < pic->Height(); ++y)
        for (Integer x = 0; x < pic->Width(); ++x) {
          const uint32_t c = fmtt::Pixel(*pic, x, y);
          rgba.insert(rgba.end(), {Byte(c >> 16), Byte(c >> 8), Byte(c), 255});
        }
      WriteBytes(dir + name + ".rgba", rgba);
      ++written;
    }

  // Every tag a reader should show.
  {
    auto pic = Picture("sixteen");
    TIOParamsVals p;
    p.BitsPerSample = 4;
    p.SamplesPerPixel = 1;
    p.TiffDocumentName = "Doc";
    p.TiffImageDescription = "A test picture";
    p.TiffPageName = "Front page";
    p.TiffXPosition = 2;
    p.TiffYPosition = 3;
    p.TiffPageNumber = 1;
    p.TiffPageCount = 3;
    p.DpiX = 72;
    p.DpiY = 96;
    const char caption[] = "Caption text";
    p.IptcInfo.AddDataset(2, 120, caption, Integer(sizeof caption - 1));
    fmtt::TProgressBox box;
    TMemoryStream s;
    WriteTiffStream(&s, pic.get(), box.Record, p);
    WriteBytes(dir + "tags.tiff", fmtt::BytesOf(s));
  }
  std::printf("tiff files written: %d\n", written);
}
