// LZW decoding and the two encoders, on hand-made code streams and on
// generated pictures.
#include <random>

#include "tests/gif/gif_test_util.h"

using namespace giftest;

namespace {

// A one-frame GIF: screen w x h, global map of 2^bits, the given data.
Bytes OneFrame(unsigned w, unsigned h, int bits, const Bytes& data, Byte packed = 0, const Bytes& before = {}) {
  Bytes b = Header(w, h, bits);
  Append(b, before);
  Append(b, Descriptor(0, 0, w, h, packed));
  Append(b, data);
  b.push_back(0x3B);
  return b;
}

Bytes FramePixels(TGIFImage& img, Integer i = 0) {
  TGIFSubImage* f = img.Frames()->FrameAt(i);
  return Bytes(f->Data(), f->Data() + f->DataSize());
}

TEST(LZWDecoder, HandMadeCodeStreams) {
  {  // No leading clear code; 1x1 with codes 1, end.
    CodeWriter cw(2);
    cw.Code(1);
    cw.Code(cw.End());
    Bytes data = cw.Data();
    TGIFImage img;
    auto s = StreamOf(OneFrame(1, 1, 2, data));
    img.LoadGIFStream(s.get());
    EXPECT_EQ(FramePixels(img), Bytes{1});
    EXPECT_EQ(s->Position(), s->Size());  // trailer read, so the data was consumed exactly
  }
  {  // A code equal to the next free entry: the previous string plus its own first value.
    CodeWriter cw(2);
    cw.Code(cw.Clear());
    cw.Code(2);
    cw.Code(6);  // 2,2
    cw.Code(7);  // 2,2,2
    cw.Code(3);
    cw.Code(cw.End());
    TGIFImage img;
    LoadBytes(img, OneFrame(7, 1, 2, cw.Data()));
    EXPECT_EQ(FramePixels(img), (Bytes{2, 2, 2, 2, 2, 2, 3}));
  }
  {  // The end code early: the rest keeps the fill, the stream stands after the terminator.
    CodeWriter cw(2);
    cw.Code(cw.Clear());
    cw.Code(3);
    cw.Code(cw.End());
    Bytes b = Header(4, 1, 2);
    Append(b, GraphicControl(1, 0, 2));
    Append(b, Descriptor(0, 0, 4, 1));
    Append(b, cw.Data());
    Append(b, Comment("next"));
    b.push_back(0x3B);
    TGIFImage img;
    Warnings w;
    w.Attach(img);
    LoadBytes(img, b);
    EXPECT_EQ(FramePixels(img), (Bytes{3, 2, 2, 2}));
    ASSERT_EQ(img.Frames()->ItemCount(), 2);  // the comment after it is read as a block
    EXPECT_TRUE(w.list.empty());
  }
  {  // More than 4096 codes without a clear: a full table, 12-bit codes to the end.
    CodeWriter cw(2);
    cw.Code(cw.Clear());
    Bytes expect;
    for (int i = 0; i < 5000; ++i) {
      cw.Code(i % 4);
      expect.push_back(Byte(i % 4));
    }
    cw.Code(cw.End());
    TGIFImage img;
    Warnings w;
    w.Attach(img);
    LoadBytes(img, OneFrame(100, 50, 2, cw.Data()));
    EXPECT_EQ(FramePixels(img), expect);
    EXPECT_TRUE(w.list.empty());
  }
  {  // Sub-blocks of one byte carry codes wider than a byte.
    CodeWriter cw(8);
    cw.Code(cw.Clear());
    Bytes expect;
    for (int i = 0; i < 300; ++i) {
      cw.Code((i * 7) & 255);
      expect.push_back(Byte((i * 7) & 255));
    }
    cw.Code(cw.End());
    TGIFImage img;
    LoadBytes(img, OneFrame(300, 1, 8, cw.Data(1)));
    EXPECT_EQ(FramePixels(img), expect);
  }
  {  // Empty data on a transparent frame: all pixels take the transparent index.
    Bytes b = Header(3, 2, 3);
    Append(b, GraphicControl(1, 0, 7));
    Append(b, Descriptor(0, 0, 3, 2));
    Append(b, Bytes{3, 0});
    b.push_back(0x3B);
    TGIFImage img;
    LoadBytes(img, b);
    EXPECT_EQ(FramePixels(img), Bytes(6, 7));
  }
}

TEST(LZWDecoder, InterlacedRowsGoToTheirPlaces) {
  for (unsigned h : {1u, 2u, 3u, 4u, 5u, 8u, 9u, 17u}) {
    SCOPED_TRACE(h);
    // Row k of the data holds the value k; the frame must show the interlace order.
    CodeWriter cw(5);
    cw.Code(cw.Clear());
    for (unsigned k = 0; k < h; ++k)
      for (int x = 0; x < 2; ++x) cw.Code(int(k));
    cw.Code(cw.End());
    TGIFImage img;
    LoadBytes(img, OneFrame(2, h, 5, cw.Data(), 0x40));
    std::vector<unsigned> order;
    for (unsigned start : {0u, 4u, 2u, 1u})
      for (unsigned y = start; y < h; y += (start == 0 ? 8 : start == 4 ? 8 : start == 2 ? 4 : 2)) order.push_back(y);
    Bytes expect(2 * h);
    for (unsigned k = 0; k < h; ++k) expect[2 * order[k]] = expect[2 * order[k] + 1] = Byte(k);
    EXPECT_EQ(FramePixels(img), expect);
  }
}

// Pictures for the encoders: noise, flat areas, stripes and long runs.
Bytes Picture(int kind, unsigned w, unsigned h, int colors, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes p(size_t(w) * h);
  for (unsigned y = 0; y < h; ++y)
    for (unsigned x = 0; x < w; ++x) {
      int v = 0;
      switch (kind) {
        case 0: v = int(rng() % unsigned(colors)); break;
        case 1: v = ((x / 13) + (y / 7)) % colors; break;
        case 2: v = (y * w + x) / 997 % colors; break;
        default: v = (rng() % 50 == 0) ? int(rng() % unsigned(colors)) : 0; break;
      }
      p[size_t(y) * w + x] = Byte(v);
    }
  return p;
}

TEST(Encoders, BothDecodeToTheSamePixels) {
  struct Case {
    unsigned w, h;
    int bits;
    bool interlaced;
  };
  const Case cases[] = {{1, 1, 1, false}, {17, 3, 1, true},  {64, 64, 2, false}, {33, 9, 3, true},
                        {200, 150, 4, false}, {301, 201, 8, false}, {97, 4, 8, true}, {1000, 40, 8, false},
                        {5, 2, 6, true}, {2000, 3, 7, false}};
  for (const Case& c : cases)
    for (int kind = 0; kind < 4; ++kind)
      for (TGIFCompressionKind ck : {ckLZW, ckRLE}) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " bits " + std::to_string(c.bits) +
                     " kind " + std::to_string(kind) + (ck == ckRLE ? " RLE" : " LZW"));
        TGIFImage img;
        img.SetCompressionKind(ck);
        for (int i = 0; i < (1 << c.bits); ++i) img.GlobalColorMap()->AppendColor(TColor(i * 0x010203));
        auto frame = std::make_unique<TGIFSubImage>(&img);
        frame->SetPlacement(0, 0, c.h, c.w);
        frame->SetInterlaced(c.interlaced);
        const Bytes pixels = Picture(kind, c.w, c.h, 1 << c.bits, c.w * 31 + c.h);
        std::memcpy(frame->Data(), pixels.data(), pixels.size());
        img.AddFrame(std::move(frame));
        TGIFImage back;
        Warnings w;
        w.Attach(back);
        LoadBytes(back, SaveBytes(img));
        EXPECT_TRUE(w.list.empty());
        ASSERT_EQ(back.Frames()->ItemCount(), 1);
        EXPECT_EQ(back.Frames()->FrameAt(0)->Interlaced(), c.interlaced);
        EXPECT_TRUE(FramePixels(back) == pixels);
      }
}

TEST(Encoders, CodeStreamDetails) {
  // All-zero pixels with 2 colours: minimum code size 2, first code the clear code 4 in 3 bits.
  TGIFImage img;
  img.GlobalColorMap()->AppendColor(clBlack);
  img.GlobalColorMap()->AppendColor(clWhite);
  auto frame = std::make_unique<TGIFSubImage>(&img);
  frame->SetPlacement(0, 0, 4, 4);
  TGIFSubImage* f = frame.get();
  img.AddFrame(std::move(frame));
  for (TGIFCompressionKind ck : {ckLZW, ckRLE}) {
    img.SetCompressionKind(ck);
    TMemoryStream s;
    f->WriteImageData(&s);
    const Byte* p = static_cast<const Byte*>(s.Memory());
    EXPECT_EQ(p[0], 2);
    EXPECT_EQ(p[2] & 7, 4);
    EXPECT_EQ(p[s.Size() - 1], 0);
    EXPECT_EQ(p[1], s.Size() - 3);
  }
  // The encoders refuse a pixel at or above the colour count they are given.
  const Byte pixels[4] = {0, 1, 3, 2};
  for (int kind = 0; kind < 2; ++kind) {
    std::unique_ptr<TGIFEncoder> enc;
    if (kind == 0)
      enc = std::make_unique<TLZWEncoder>();
    else
      enc = std::make_unique<TRLEEncoder>();
    TMemoryStream s;
    EXPECT_EQ(GIFErrorOf([&] { enc->Encode(&s, 2, 3, pixels, false, 1, 4); }), "Color not in color table");
    TMemoryStream ok;
    EXPECT_EQ(GIFErrorOf([&] { enc->Encode(&ok, 2, 4, pixels, false, 1, 4); }), "");
  }
  // Saving a document pads a map that is shorter than its pixel values, so
  // what was loaded can always be written: global map of 3 and pixel 4,
  // then a local map of 3 and pixel 3.
  img.GlobalColorMap()->AppendColor(clRed);
  f->Data()[5] = 4;
  struct Case {
    bool local;
    Byte pixel;
    Integer tableBits;  // size bits written for the map the frame uses
  };
  for (const Case& c : {Case{false, 4, 3}, Case{true, 3, 2}, Case{true, 200, 8}}) {
    SCOPED_TRACE(std::string(c.local ? "local" : "global") + " map, pixel " + std::to_string(c.pixel));
    if (c.local && f->ColorMap()->Count() == 0) {
      f->ColorMap()->AppendColor(clRed);
      f->ColorMap()->AppendColor(clBlue);
      f->ColorMap()->AppendColor(clLime);
    }
    f->Data()[5] = c.pixel;
    for (TGIFCompressionKind ck : {ckLZW, ckRLE}) {
      img.SetCompressionKind(ck);
      const Bytes out = SaveBytes(img);
      EXPECT_EQ((c.local ? out[13 + 3 * 4 + 9] : out[10]) & 7, c.tableBits - 1);
      TGIFImage back;
      back.SetCompressionKind(ck);
      LoadBytes(back, out);
      EXPECT_EQ(back.Frames()->FrameAt(0)->PixelAt(1, 1), c.pixel);
      EXPECT_EQ(SaveBytes(back), out);
    }
  }
}

TEST(Encoders, LZWClearsWhenTheTableIsFull) {
  // Noise fills the table quickly: the coded data must hold clear codes
  // (a decoder that ignored them would not get the pixels back).
  TGIFImage img;
  for (int i = 0; i < 256; ++i) img.GlobalColorMap()->AppendColor(TColor(i));
  auto frame = std::make_unique<TGIFSubImage>(&img);
  frame->SetPlacement(0, 0, 100, 100);
  const Bytes pixels = Picture(0, 100, 100, 256, 1);
  std::memcpy(frame->Data(), pixels.data(), pixels.size());
  TGIFSubImage* f = frame.get();
  img.AddFrame(std::move(frame));
  TMemoryStream s;
  f->WriteImageData(&s);
  // Codes are 9 bits after each clear, 12 at most: 10000 noise pixels need more than one table.
  EXPECT_GT(s.Size(), 10000 * 9 / 8);
  EXPECT_LT(s.Size(), 10000 * 12 / 8 + 100);
  TGIFImage back;
  LoadBytes(back, SaveBytes(img));
  EXPECT_TRUE(FramePixels(back) == pixels);
}

TEST(HashTable, StoresAndFindsAcrossCollisions) {
  THashTable t;
  for (Cardinal k = 0; k < 4000; ++k) t.Store(k * 4099 % 1048576, Integer(k));
  for (Cardinal k = 0; k < 4000; ++k) EXPECT_EQ(t.Find(k * 4099 % 1048576), Integer(k));
  EXPECT_EQ(t.Find(1048575), -1);
  t.Reset();
  EXPECT_EQ(t.Find(0), -1);
}

TEST(RLEArithmetic, SquareRootAndTriangleCost) {
  EXPECT_EQ(IntSqrt(0), 0);
  EXPECT_EQ(IntSqrt(1), 1);
  for (Integer x : {2, 3, 4, 15, 16, 17, 99, 100, 4095, 1000000, 2147395600})
    EXPECT_EQ(IntSqrt(x), Integer(std::sqrt(double(x)))) << x;
  // Runs of 1, 2, ..., n cost one code each; the remainder costs the smallest m with m(m+1)/2 >= it.
  EXPECT_EQ(TRLEEncoder::TriangleCost(10, 4), 4);
  EXPECT_EQ(TRLEEncoder::TriangleCost(11, 4), 5);
  EXPECT_EQ(TRLEEncoder::TriangleCost(13, 4), 6);
  EXPECT_EQ(TRLEEncoder::TriangleCost(0, 4), 0);
}

TEST(Writer, SubBlockFraming) {
  TMemoryStream s;
  {
    TGIFWriter w(&s);
    Bytes data(600);
    for (size_t i = 0; i < data.size(); ++i) data[i] = Byte(i);
    EXPECT_EQ(w.Write(data.data(), 400), 400);
    EXPECT_EQ(w.Write(data.data() + 400, 200), 200);
  }
  ASSERT_EQ(s.Size(), 603);
  const Byte* p = static_cast<const Byte*>(s.Memory());
  EXPECT_EQ(p[0], 255);
  EXPECT_EQ(p[256], 255);
  EXPECT_EQ(p[512], 90);
  EXPECT_EQ(p[1], 0);
  EXPECT_EQ(p[257], Byte(255));
  EXPECT_EQ(p[602], Byte(599));
  TGIFWriter w(&s);
  Byte b;
  EXPECT_THROW(w.Read(&b, 1), Exception);
  EXPECT_THROW(w.Seek(0, soBeginning), Exception);
}

}  // namespace
