// TIFF writer: what it chooses to write for each request, the directory and
// its tags, the pixel data of every kind read back from the strip, offsets at
// a non-zero stream position, the LZW hook, short writes and progress.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/ioparams.h"
#include "imaging/formats/tifccitt.h"
#include "imaging/formats/tiffilt.h"

namespace {

using fmtt::Le16At;
using fmtt::Le32At;

struct Entry {
  uint32_t Type = 0, Count = 0, Field = 0;
  std::vector<uint32_t> Values;  // SHORT and LONG values; RATIONAL as pairs
  std::string Text;              // ASCII without its NUL
  size_t DataAt = 0;             // where the values are
};

// The file's one directory, every offset counted from the stream's start.
struct Tiff {
  std::vector<Byte> Bytes;
  size_t Directory = 0;
  std::vector<uint32_t> Order;  // tags as stored
  std::map<uint32_t, Entry> Tags;

  explicit Tiff(std::vector<Byte> B, size_t HeaderAt = 0) : Bytes(std::move(B)) {
    EXPECT_EQ(std::string(Bytes.begin() + HeaderAt, Bytes.begin() + HeaderAt + 2), "II");
    EXPECT_EQ(Le16At(Bytes, HeaderAt + 2), 42u);
    Directory = Le32At(Bytes, HeaderAt + 4);
    const uint32_t n = Le16At(Bytes, Directory);
    EXPECT_EQ(Bytes.size(), Directory + 2 + 12 * n + 4) << "the directory ends the file";
    EXPECT_EQ(Le32At(Bytes, Directory + 2 + 12 * n), 0u) << "one directory";
    static const uint32_t sizes[] = {0, 1, 1, 2, 4, 8};
    for (uint32_t i = 0; i < n; ++i) {
      const size_t at = Directory + 2 + 12 * i;
      const uint32_t tag = Le16At(Bytes, at);
      Entry e;
      e.Type = Le16At(Bytes, at + 2);
      e.Count = Le32At(Bytes, at + 4);
      e.Field = Le32At(Bytes, at + 8);
      const size_t size = size_t(e.Type <= 5 ? sizes[e.Type] : 1) * e.Count;
      e.DataAt = size <= 4 ? at + 8 : e.Field;
      EXPECT_LE(e.DataAt + size, Bytes.size()) << "tag " << tag;
      if (e.DataAt + size > Bytes.size()) continue;
      for (uint32_t k = 0; k < e.Count; ++k) {
        if (e.Type == 3) e.Values.push_back(Le16At(Bytes, e.DataAt + 2 * k));
        if (e.Type == 4) e.Values.push_back(Le32At(Bytes, e.DataAt + 4 * k));
        if (e.Type == 5) {
          e.Values.push_back(Le32At(Bytes, e.DataAt + 8 * k));
          e.Values.push_back(Le32At(Bytes, e.DataAt + 8 * k + 4));
        }
      }
      if (e.Type == 2) {
        e.Text.assign(Bytes.begin() + e.DataAt, Bytes.begin() + e.DataAt + e.Count - 1);
        EXPECT_EQ(Bytes[e.DataAt + e.Count - 1], 0) << "tag " << tag << " ends with NUL";
      }
      Order.push_back(tag);
      Tags[tag] = e;
    }
  }
  bool Has(uint32_t Tag) const { return Tags.count(Tag) != 0; }
  uint32_t Value(uint32_t Tag, size_t I = 0) const {
    auto it = Tags.find(Tag);
    return it == Tags.end() || it->second.Values.size() <= I ? 0xFFFFFFFFu : it->second.Values[I];
  }
  std::vector<Byte> Strip() const {
    const size_t at = Value(273), n = Value(279);
    if (at + n > Bytes.size()) return {};
    return std::vector<Byte>(Bytes.begin() + at, Bytes.begin() + at + n);
  }
};

struct Written {
  std::unique_ptr<Tiff> File;
  bool Abort = false;
  std::vector<Integer> Reports;
};

Written Write(TIEBitmap& Pic, TIOParamsVals& P, size_t Lead = 0) {
  fmtt::TProgressBox box;
  box.Track();
  TMemoryStream s;
  const std::vector<Byte> lead(Lead, 0xEE);
  if (Lead) s.WriteBuffer(lead.data(), Integer(Lead));
  EXPECT_EQ(WriteTiffStream(&s, &Pic, box.Record, P), 1);
  Written w;
  w.Abort = box.Abort;
  w.Reports = box.Reports;
  w.File = std::make_unique<Tiff>(fmtt::BytesOf(s), Lead);
  return w;
}

std::vector<Byte> UnpackBits(const std::vector<Byte>& In) {
  std::vector<Byte> out;
  for (size_t i = 0; i < In.size();) {
    const int n = static_cast<signed char>(In[i++]);
    if (n >= 0) {
      out.insert(out.end(), In.begin() + Integer(i), In.begin() + Integer(i) + n + 1);
      i += size_t(n) + 1;
    } else if (n != -128) {
      out.insert(out.end(), size_t(1 - n), In[i++]);
    }
  }
  return out;
}

// Rows of packed pixels of a picture as the file should hold them.
std::vector<Byte> RgbBytes(TIEBitmap& B) {
  std::vector<Byte> out;
  for (Integer y = 0; y < B.Height(); ++y)
    for (Integer x = 0; x < B.Width(); ++x) {
      const uint32_t c = fmtt::Pixel(B, x, y);
      out.insert(out.end(), {Byte(c >> 16), Byte(c >> 8), Byte(c)});
    }
  return out;
}

std::vector<Byte> BilevelBytes(TIEBitmap& B, bool Invert) {
  std::vector<Byte> out;
  const Integer bytes = (B.Width() + 7) / 8;
  for (Integer y = 0; y < B.Height(); ++y) {
    const Byte* row = static_cast<const Byte*>(B.GetRowPointer(y));
    for (Integer i = 0; i < bytes; ++i) out.push_back(Invert ? Byte(~row[i]) : row[i]);
  }
  return out;
}

// The colour of each pixel of a palette or grey strip.
std::vector<uint32_t> IndexedColors(const Tiff& F, Integer W, Integer H) {
  const uint32_t bits = F.Value(258);
  const std::vector<Byte> strip = F.Strip();
  const Integer rowBytes = Integer((bits * uint32_t(W) + 7) / 8);
  std::vector<uint32_t> out;
  const auto& map = F.Tags.count(320) ? F.Tags.at(320).Values : std::vector<uint32_t>();
  const uint32_t n = 1u << bits;
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) {
      uint32_t index = 0;
      for (uint32_t k = 0; k < bits; ++k) {
        const size_t bit = size_t(x) * bits + k;
        index = index << 1 | ((strip[size_t(y * rowBytes) + bit / 8] >> (7 - bit % 8)) & 1);
      }
      if (map.empty())
        out.push_back(index * 0x010101u);
      else
        out.push_back((map[index] / 257) << 16 | (map[n + index] / 257) << 8 | (map[2 * n + index] / 257));
    }
  return out;
}

std::vector<uint32_t> Colors(TIEBitmap& B) {
  std::vector<uint32_t> out;
  for (Integer y = 0; y < B.Height(); ++y)
    for (Integer x = 0; x < B.Width(); ++x) out.push_back(fmtt::Pixel(B, x, y));
  return out;
}

std::unique_ptr<TIEBitmap> Sixteen() {
  return fmtt::MakeRGB(13, 5, [](Integer x, Integer y) { return uint32_t(((x + 3 * y) % 16) * 0x0F0D0B + 0x010203); });
}
std::unique_ptr<TIEBitmap> GreyPicture() {
  return fmtt::MakeRGB(11, 4, [](Integer x, Integer y) { return uint32_t((x * 23 + y * 5) % 256) * 0x010101u; });
}
std::unique_ptr<TIEBitmap> TrueColor() {
  return fmtt::MakeRGB(9, 4, [](Integer x, Integer y) { return uint32_t(x * 29) << 16 | uint32_t(y * 61) << 8 | uint32_t(200 - x * y); });
}
std::unique_ptr<TIEBitmap> Bilevel() {
  return fmtt::MakeBW(21, 6, [](Integer x, Integer y) { return (x * 3 + y * y) % 5 < 2; });
}

// ---------------------------------------------------------------------------

TEST(FmtTiffWrite, DefaultTrueColourIsUncompressedRgbInOneStrip) {
  auto pic = TrueColor();
  TIOParamsVals p;
  p.DpiX = 300;
  p.DpiY = 200;
  Written w = Write(*pic, p);
  const Tiff& f = *w.File;
  EXPECT_FALSE(w.Abort);
  EXPECT_EQ(f.Value(256), 9u);
  EXPECT_EQ(f.Value(257), 4u);
  ASSERT_EQ(f.Tags.at(258).Values, (std::vector<uint32_t>{8, 8, 8}));
  EXPECT_NE(f.Tags.at(258).DataAt, f.Directory + 2 + 8) << "three SHORTs are written as data";
  EXPECT_EQ(f.Value(259), 1u);
  EXPECT_EQ(f.Value(262), 2u);
  EXPECT_EQ(f.Value(277), 3u);
  EXPECT_EQ(f.Value(278), 4u);
  EXPECT_EQ(f.Value(279), 9u * 4 * 3);
  EXPECT_FALSE(f.Has(317)) << "no predictor";
  EXPECT_EQ(f.Tags.at(282).Values, (std::vector<uint32_t>{300, 1}));
  EXPECT_EQ(f.Tags.at(283).Values, (std::vector<uint32_t>{200, 1}));
  EXPECT_EQ(f.Value(296), 2u);
  EXPECT_FALSE(f.Has(297));
  EXPECT_FALSE(f.Has(320));
  EXPECT_EQ(f.Strip(), RgbBytes(*pic));
  EXPECT_TRUE(std::is_sorted(f.Order.begin(), f.Order.end())) << "readers require ascending tags";
  EXPECT_EQ(w.Reports, (std::vector<Integer>{0, 25, 50, 75})) << "progress before each row";
}

// What is written for each request, and the pixels read back from the strip.
TEST(FmtTiffWrite, ChoosesTheKindAndWritesItsPixels) {
  struct Case {
    const char* Name;
    std::function<std::unique_ptr<TIEBitmap>()> Pic;
    Integer Bits, Samples, Photometric, Compression;
    // Expected tags: BitsPerSample count and first value, photometric,
    // compression, samples, colour map entries (0: none).
    uint32_t BpsCount, Bps, PhotoTag, CompTag, SppTag, MapCount;
    // The parameters afterwards.
    Integer ParamBits, ParamSamples, ParamPhotometric, ParamCompression;
  };
  const Case cases[] = {
      {"4-bit palette", Sixteen, 4, 1, 2, 0, 1, 4, 3, 1, 1, 48, 4, 1, 3, 0},
      {"8-bit palette", Sixteen, 8, 1, 2, 0, 1, 8, 3, 1, 1, 768, 8, 1, 3, 0},
      {"2-bit palette of many colours", TrueColor, 2, 1, 2, 0, 1, 2, 3, 1, 1, 12, 2, 1, 3, 0},
      {"palette asked for CCITT writes none", Sixteen, 4, 1, 3, 4, 1, 4, 3, 1, 1, 48, 4, 1, 3, 0},
      {"palette keeps PackBits", Sixteen, 4, 1, 3, 8, 1, 4, 3, 32773, 1, 48, 4, 1, 3, 8},
      {"8-bit grey source", GreyPicture, 8, 1, 3, 0, 1, 8, 1, 1, 1, 0, 8, 1, 1, 0},
      // The quantizer finds grey only for 256 colours: a 4-bit grey picture
      // keeps its palette (its pixels read back right).
      {"4-bit grey source", GreyPicture, 4, 1, 1, 0, 1, 4, 3, 1, 1, 48, 4, 1, 3, 0},
      {"1-bit from two colours", [] { return fmtt::MakeRGB(10, 3, [](Integer x, Integer) { return x % 3 ? 0xFF8000u : 0x000080u; }); },
       1, 1, 2, 0, 1, 1, 1, 1, 1, 0, 1, 1, 1, 0},
      {"CCITT on true colour writes none", TrueColor, 8, 3, 2, 4, 3, 8, 2, 1, 3, 0, 8, 3, 2, 4},
      {"16 bits become 8-bit RGB", TrueColor, 16, 1, 1, 0, 3, 8, 2, 1, 3, 0, 8, 3, 2, 0},
      {"grey asked with three samples", TrueColor, 8, 3, 1, 0, 3, 8, 2, 1, 3, 0, 8, 3, 2, 0},
      {"palette asked with three samples", TrueColor, 8, 3, 3, 0, 3, 8, 2, 1, 3, 0, 8, 3, 2, 0},
      {"YCbCr without JPEG", TrueColor, 8, 3, 6, 0, 3, 8, 2, 1, 3, 0, 8, 3, 2, 0},
      {"CMYK", TrueColor, 8, 3, 5, 0, 4, 8, 5, 1, 4, 0, 8, 3, 5, 0},
      {"CIELab", TrueColor, 8, 3, 7, 0, 3, 8, 8, 1, 3, 0, 8, 3, 7, 0},
      {"JPEG", TrueColor, 8, 3, 2, 7, 3, 8, 6, 7, 3, 0, 8, 3, 2, 7},
      // Samples of 4 bits (or 2 samples) have no RGB layout: 8-bit RGB rows.
      {"RGB asked with 4-bit samples", TrueColor, 4, 3, 2, 0, 3, 8, 2, 1, 3, 0, 4, 3, 2, 0},
      {"RGB asked with two samples", TrueColor, 8, 2, 2, 0, 3, 8, 2, 1, 3, 0, 8, 2, 2, 0},
      {"grey asked with 4-bit samples", TrueColor, 4, 3, 1, 0, 3, 8, 2, 1, 3, 0, 4, 3, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    auto pic = c.Pic();
    TIOParamsVals p;
    p.BitsPerSample = c.Bits;
    p.SamplesPerPixel = c.Samples;
    p.TiffPhotometric = Byte(c.Photometric);
    p.TiffCompression = Byte(c.Compression);
    Written w = Write(*pic, p);
    const Tiff& f = *w.File;
    ASSERT_FALSE(w.Abort);
    EXPECT_EQ(f.Tags.at(258).Count, c.BpsCount);
    EXPECT_EQ(f.Value(258), c.Bps);
    EXPECT_EQ(f.Value(262), c.PhotoTag);
    EXPECT_EQ(f.Value(259), c.CompTag);
    EXPECT_EQ(f.Value(277), c.SppTag);
    EXPECT_EQ(f.Has(320) ? f.Tags.at(320).Count : 0u, c.MapCount);
    EXPECT_EQ(p.BitsPerSample, c.ParamBits);
    EXPECT_EQ(p.SamplesPerPixel, c.ParamSamples);
    EXPECT_EQ(p.TiffPhotometric, c.ParamPhotometric);
    EXPECT_EQ(p.TiffCompression, c.ParamCompression);
    EXPECT_EQ(f.Directory % 2, 0u);

    const Integer W = pic->Width(), H = pic->Height();
    std::vector<Byte> strip = f.Strip();
    if (c.CompTag == 32773) strip = UnpackBits(strip);
    if (c.CompTag == 7) {
      ASSERT_GE(strip.size(), 4u);
      EXPECT_EQ(strip[0], 0xFF);
      EXPECT_EQ(strip[1], 0xD8);
      EXPECT_EQ(strip[strip.size() - 1], 0xD9);
    } else if (c.PhotoTag == 3 || (c.PhotoTag == 1 && c.Bps == 8)) {
      Tiff copy = f;
      copy.Tags[279].Values = {uint32_t(strip.size())};
      copy.Bytes.insert(copy.Bytes.end(), strip.begin(), strip.end());
      copy.Tags[273].Values = {uint32_t(copy.Bytes.size() - strip.size())};
      const std::vector<uint32_t> got = IndexedColors(copy, W, H);
      if (pic->PixelKind() == ipkRGB24 && fmtt::ColorCount(*pic) <= (1 << c.Bps))
        EXPECT_EQ(got, Colors(*pic)) << "each colour has its entry";
      else
        EXPECT_EQ(got.size(), size_t(W * H));
    } else if (c.PhotoTag == 1 && c.Bps == 1) {
      // Darker colour 0 (black).
      std::vector<Byte> want;
      for (Integer y = 0; y < H; ++y) {
        std::vector<Byte> row(size_t((W + 7) / 8), 0);
        for (Integer x = 0; x < W; ++x)
          if (fmtt::Pixel(*pic, x, y) == 0xFF8000u) row[size_t(x / 8)] |= Byte(0x80 >> (x % 8));
        want.insert(want.end(), row.begin(), row.end());
      }
      EXPECT_EQ(strip, want);
    } else if (c.PhotoTag == 2) {
      EXPECT_EQ(strip, RgbBytes(*pic));
    } else if (c.PhotoTag == 5) {
      ASSERT_EQ(strip.size(), size_t(W * H * 4));
      for (Integer i = 0; i < W * H; ++i) {
        const uint32_t px = fmtt::Pixel(*pic, i % W, i / W);
        const Integer r = Integer(px >> 16), g = Integer(px >> 8 & 255), b = Integer(px & 255);
        const Integer m = std::max({r, g, b, 1});
        EXPECT_EQ(strip[size_t(4 * i)], 255 - r * 255 / m);
        EXPECT_EQ(strip[size_t(4 * i + 1)], 255 - g * 255 / m);
        EXPECT_EQ(strip[size_t(4 * i + 2)], 255 - b * 255 / m);
        EXPECT_EQ(strip[size_t(4 * i + 3)], 255 - m);
      }
    } else if (c.PhotoTag == 8) {
      ASSERT_EQ(strip.size(), size_t(W * H * 3));
    }
  }
}

// CMYK and CIELab values of fixed colours.
TEST(FmtTiffWrite, CmykAndLabSamples) {
  const uint32_t colours[] = {0xFFFFFF, 0x000000, 0xFF0000, 0x643200, 0x808080};
  auto pic = fmtt::MakeRGB(5, 1, [&](Integer x, Integer) { return colours[x]; });
  struct Want {
    Integer Photometric;
    std::vector<int> Samples;  // per pixel
    int Tolerance;
  };
  const Want wants[] = {
      {5, {0, 0, 0, 0, /**/ 255, 255, 255, 254, /**/ 0, 255, 255, 0, /**/ 0, 128, 255, 155, /**/ 0, 0, 0, 127}, 0},
      // L* 0..100 as 0..255, a* and b* signed: white, black, red (53, 80, 67),
      // (100, 50, 0) (L* 27, a* 19, b* 37), grey 128 (L* 54).
      {7, {255, 0, 0, /**/ 0, 0, 0, /**/ 136, 80, 67, /**/ 68, 19, 37, /**/ 137, 0, 0}, 1},
  };
  for (const Want& w : wants) {
    SCOPED_TRACE(w.Photometric);
    TIOParamsVals p;
    p.TiffPhotometric = Byte(w.Photometric);
    Written out = Write(*pic, p);
    const std::vector<Byte> strip = out.File->Strip();
    ASSERT_EQ(strip.size(), w.Samples.size());
    for (size_t i = 0; i < strip.size(); ++i)
      EXPECT_NEAR(int(w.Photometric == 7 && i % 3 ? int(static_cast<signed char>(strip[i])) : int(strip[i])),
                  w.Samples[i], w.Tolerance)
          << "sample " << i;
  }
}

// Texts, resolution, position, page number and IPTC; offsets absolute when
// the file starts inside the stream.
TEST(FmtTiffWrite, TagsAndAbsoluteOffsets) {
  struct Case {
    const char* Name;
    size_t Lead;
    std::string Doc, Description, Page;
    Integer PageNumber, PageCount;
    std::vector<Byte> IptcData;  // one 2:120 dataset, or none
  };
  const Case cases[] = {
      {"at the start", 0, "Document", "Description", "Page", 1, 3, {'a'}},
      {"inside the stream", 7, "Document", "", "Page two", 0, 0, {'a', 'b', 'c'}},
      {"short texts go in the entry", 3, "Ab", "x", "", 0, 2, {}},
      {"one-byte dataset", 1, "", "", "", 2, 0, {'q', 'r', 's', 't', 'u'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    auto pic = Sixteen();
    TIOParamsVals p;
    p.BitsPerSample = 4;
    p.SamplesPerPixel = 1;
    p.TiffDocumentName = c.Doc;
    p.TiffImageDescription = c.Description;
    p.TiffPageName = c.Page;
    p.TiffPageNumber = c.PageNumber;
    p.TiffPageCount = c.PageCount;
    p.TiffXPosition = 4;
    p.TiffYPosition = 7;
    p.DpiX = 96;
    p.DpiY = 72;
    if (!c.IptcData.empty()) p.IptcInfo.AddDataset(2, 120, c.IptcData.data(), Integer(c.IptcData.size()));
    Written w = Write(*pic, p, c.Lead);
    const Tiff& f = *w.File;
    for (size_t i = 0; i < c.Lead; ++i) ASSERT_EQ(f.Bytes[i], 0xEE) << "bytes before the file stay";
    auto text = [&](uint32_t tag) { return f.Has(tag) ? f.Tags.at(tag).Text : std::string("(none)"); };
    EXPECT_EQ(text(269), c.Doc.empty() ? "(none)" : c.Doc);
    EXPECT_EQ(text(270), c.Description.empty() ? "(none)" : c.Description);
    EXPECT_EQ(text(285), c.Page.empty() ? "(none)" : c.Page);
    EXPECT_EQ(f.Tags.at(282).Values, (std::vector<uint32_t>{96, 1}));
    EXPECT_EQ(f.Tags.at(283).Values, (std::vector<uint32_t>{72, 1}));
    EXPECT_EQ(f.Tags.at(286).Values, (std::vector<uint32_t>{40000, 10000}));
    EXPECT_EQ(f.Tags.at(287).Values, (std::vector<uint32_t>{70000, 10000}));
    if (c.PageNumber || c.PageCount) {
      EXPECT_EQ(f.Tags.at(297).Values, (std::vector<uint32_t>{uint32_t(c.PageNumber), uint32_t(c.PageCount)}));
      EXPECT_EQ(f.Tags.at(297).DataAt, f.Directory + 2 + 12 * size_t(std::find(f.Order.begin(), f.Order.end(), 297u) - f.Order.begin()) + 8)
          << "both values in the entry";
    } else {
      EXPECT_FALSE(f.Has(297)) << "page 0 of 0 writes no page number";
    }
    if (c.IptcData.empty()) {
      EXPECT_FALSE(f.Has(33723));
    } else {
      const std::vector<Byte> block = p.IptcInfo.WriteDatasets(false);
      const Entry& e = f.Tags.at(33723);
      EXPECT_EQ(e.Type, 4u);
      EXPECT_EQ(e.Count, (block.size() + 3) / 4);
      ASSERT_LE(e.DataAt + 4 * e.Count, f.Bytes.size());
      std::vector<Byte> stored(f.Bytes.begin() + Integer(e.DataAt), f.Bytes.begin() + Integer(e.DataAt + 4 * e.Count));
      std::vector<Byte> padded = block;
      padded.resize(4 * e.Count, 0);
      EXPECT_EQ(stored, padded);
    }
    // The strip holds the palette indices at its absolute offset.
    EXPECT_EQ(IndexedColors(f, pic->Width(), pic->Height()), Colors(*pic));
    EXPECT_EQ(f.Directory % 2, 0u);
    EXPECT_TRUE(std::is_sorted(f.Order.begin(), f.Order.end()));
  }
}

// An odd amount of data before the directory gets one pad byte.
TEST(FmtTiffWrite, OddDataIsPaddedBeforeTheDirectory) {
  for (Integer width : {8, 16}) {
    auto pic = fmtt::MakeBW(width, 1, [](Integer x, Integer) { return x % 2 == 0; });
    TIOParamsVals p;
    p.BitsPerSample = 1;
    p.SamplesPerPixel = 1;
    p.TiffDocumentName = "abcd";  // 5 bytes as data
    Written w = Write(*pic, p);
    const Tiff& f = *w.File;
    // Data after the strip: 2 rationals (16), 2 position rationals (16).
    const size_t end = f.Value(273) + f.Value(279) + 32;
    EXPECT_EQ(f.Directory, end + (end & 1)) << "width " << width;
    if (end & 1) {
      EXPECT_EQ(f.Bytes[end], 0);
    }
  }
}

// Bilevel pictures: CCITT rows (white-is-zero) decode back to the picture;
// the source is left as it was.
TEST(FmtTiffWrite, BilevelCompressionsReadBack) {
  struct Case {
    Integer Compression;
    uint32_t Tag, T4Options;
  };
  const Case cases[] = {{0, 1, 9}, {1, 2, 9}, {2, 3, 0}, {3, 3, 1}, {4, 4, 9}, {8, 32773, 9}, {7, 1, 9}, {5, 1, 9}};
  auto pic = Bilevel();
  const std::vector<Byte> before = BilevelBytes(*pic, false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Compression);
    TIOParamsVals p;
    p.BitsPerSample = 1;
    p.SamplesPerPixel = 1;
    p.TiffCompression = Byte(c.Compression);
    Written w = Write(*pic, p);
    const Tiff& f = *w.File;
    EXPECT_EQ(f.Value(259), c.Tag);
    EXPECT_EQ(f.Value(258), 1u);
    EXPECT_EQ(f.Value(277), 1u);
    const bool ccitt = c.Tag >= 2 && c.Tag <= 4;
    EXPECT_EQ(f.Value(262), ccitt ? 0u : 1u);
    if (c.T4Options != 9) {
      EXPECT_EQ(f.Value(292), c.T4Options);
    } else {
      EXPECT_FALSE(f.Has(292));
    }
    EXPECT_EQ(BilevelBytes(*pic, false), before) << "the source is not inverted";

    const std::vector<Byte> strip = f.Strip();
    const Integer W = pic->Width(), H = pic->Height(), bytes = (W + 7) / 8;
    std::vector<Byte> got;
    if (ccitt) {
      std::vector<Byte> row(static_cast<size_t>(bytes)), ref(static_cast<size_t>(bytes), 0xFF);
      Integer pos = 0;
      for (Integer y = 0; y < H; ++y) {
        if (c.Tag == 2)
          pos += FaxDecodeMHRow(row.data(), strip.data() + pos, W, 1, Integer(strip.size()) - pos);
        else if (c.Tag == 3 && c.T4Options == 0)
          pos = FaxDecode1DRow(row.data(), strip.data(), W, 1, pos, Integer(strip.size()));
        else
          pos = FaxDecode2DRow(row.data(), strip.data(), Integer(strip.size()), false, 1, pos, ref.data(), W);
        got.insert(got.end(), row.begin(), row.end());
      }
    } else {
      got = c.Tag == 32773 ? UnpackBits(strip) : strip;
    }
    // Compare pixels only (padding bits aside).
    ASSERT_EQ(got.size(), size_t(bytes * H));
    for (Integer y = 0; y < H; ++y)
      for (Integer x = 0; x < W; ++x)
        ASSERT_EQ(TestBit(got.data() + y * bytes, x), TestBit(pic->GetRowPointer(y), x)) << x << "," << y;
  }
}

// Runs and literals: runs of 4 to 128, longer ones split, literals in groups
// of at most 128, every row coded on its own.
TEST(FmtTiffWrite, PackBitsRows) {
  auto pic = fmtt::MakeRGB(150, 2, [](Integer x, Integer y) {
    if (y == 0) return x < 100 ? 0x101010u : uint32_t(x * 7919 % 256) * 0x010101u;  // run of 300, then literals
    return uint32_t((x * 31) % 256) << 16 | uint32_t(x % 2 ? 5 : 9);  // literals only
  });
  TIOParamsVals p;
  p.TiffCompression = 8;
  Written w = Write(*pic, p);
  const std::vector<Byte> strip = w.File->Strip();
  EXPECT_EQ(UnpackBits(strip), RgbBytes(*pic));
  // Row 0 starts with runs: 128, 128, then 44 equal bytes.
  ASSERT_GE(strip.size(), 6u);
  EXPECT_EQ(strip[0], Byte(1 - 128));
  EXPECT_EQ(strip[1], 0x10);
  EXPECT_EQ(strip[2], Byte(1 - 128));
  EXPECT_EQ(strip[4], Byte(1 - 44));
  // No code reaches across the row boundary: decoding row 0 alone gives 450 bytes.
  size_t i = 0, produced = 0;
  while (produced < 450 && i < strip.size()) {
    const int n = static_cast<signed char>(strip[i]);
    produced += n >= 0 ? size_t(n) + 1 : size_t(1 - n);
    i += n >= 0 ? size_t(n) + 2 : 2;
  }
  EXPECT_EQ(produced, 450u);
}

// LZW goes through the hook, once per row and once more to finish; without
// a hook the strip is uncompressed.
std::vector<std::vector<Byte>> gHookRows;
int gHookFinals = 0;
void RecordingHook(const Byte* Row, Integer Length, TStream* Stream, void*& State) {
  if (!State) State = &gHookFinals;
  if (!Row) {
    ++gHookFinals;
    State = nullptr;
    return;
  }
  gHookRows.emplace_back(Row, Row + Length);
  Stream->WriteBuffer(Row, Length);
}

TEST(FmtTiffWrite, LzwThroughTheHook) {
  struct Case {
    const char* Name;
    std::function<std::unique_ptr<TIEBitmap>()> Pic;
    Integer Bits, Samples;
    bool Hook;
    uint32_t Compression, Predictor;
  };
  const Case cases[] = {
      {"RGB with predictor", TrueColor, 8, 3, true, 5, 2},
      {"palette without predictor", Sixteen, 4, 1, true, 5, 0},
      {"bilevel", Bilevel, 1, 1, true, 5, 0},
      {"no hook: uncompressed", TrueColor, 8, 3, false, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    gHookRows.clear();
    gHookFinals = 0;
    auto pic = c.Pic();
    TIOParamsVals p;
    p.BitsPerSample = c.Bits;
    p.SamplesPerPixel = c.Samples;
    p.TiffCompression = 5;
    p.TiffLzwEncoder = c.Hook ? RecordingHook : nullptr;
    Written w = Write(*pic, p);
    const Tiff& f = *w.File;
    EXPECT_EQ(f.Value(259), c.Compression);
    EXPECT_EQ(f.Has(317) ? f.Value(317) : 0u, c.Predictor);
    EXPECT_EQ(gHookRows.size(), c.Hook ? size_t(pic->Height()) : 0u);
    EXPECT_EQ(gHookFinals, c.Hook ? 1 : 0);
    if (c.Predictor == 2) {
      // Each sample minus the same sample of the pixel to its left.
      std::vector<Byte> rgb = RgbBytes(*pic), want = rgb;
      const size_t rowBytes = size_t(pic->Width()) * 3;
      for (size_t i = 0; i < rgb.size(); ++i)
        if (i % rowBytes >= 3) want[i] = Byte(rgb[i] - rgb[i - 3]);
      EXPECT_EQ(f.Strip(), want);
    }
    if (!c.Hook) {
      EXPECT_EQ(f.Strip(), RgbBytes(*pic));
    }
  }
}

// A short write stops the rows and leaves the directory and header out.
class LimitedStream : public TMemoryStream {
 public:
  explicit LimitedStream(Integer Limit) : limit_(Limit) {}
  Integer Write(const void* Buffer, Integer Count) override {
    const Integer room = std::max<Integer>(0, std::min<Integer>(Count, limit_ - Integer(Position())));
    return TMemoryStream::Write(Buffer, room);
  }

 private:
  Integer limit_;
};

TEST(FmtTiffWrite, ShortWriteLeavesTheDirectoryOut) {
  auto pic = fmtt::MakeRGB(40, 30, [](Integer x, Integer y) { return uint32_t(x * 5 + y); });
  for (Integer limit : {20, 400, 3000}) {
    SCOPED_TRACE(limit);
    LimitedStream s(limit);
    fmtt::TProgressBox box;
    box.Track();
    TIOParamsVals p;
    WriteTiffStream(&s, pic.get(), box.Record, p);
    EXPECT_TRUE(box.Abort);
    const std::vector<Byte> bytes = fmtt::BytesOf(s);
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(std::vector<Byte>(bytes.begin(), bytes.begin() + 8), std::vector<Byte>(8, 0)) << "no header";
    EXPECT_LT(box.Reports.size(), 30u) << "the rows stop";
  }
}

}  // namespace
