// The document model, colour maps, extension blocks, and what the reader and
// the writer decide beyond the pixels.
#include "tests/gif/gif_test_util.h"

using namespace giftest;

namespace {

TGIFSubImage* AddFrame(TGIFImage& img, unsigned l, unsigned t, unsigned w, unsigned h) {
  auto f = std::make_unique<TGIFSubImage>(&img);
  f->SetPlacement(l, t, h, w);
  TGIFSubImage* p = f.get();
  img.AddFrame(std::move(f));
  return p;
}

TEST(Document, NewAndCleared) {
  TGIFImage img;
  EXPECT_TRUE(img.IsEmpty());
  EXPECT_EQ(img.LogicalWidth(), 0);
  EXPECT_EQ(img.GlobalColorMap()->Count(), 0);
  EXPECT_EQ(img.RequiredVersion(), fvUnknown);
  EXPECT_EQ(img.Header()->Screen.Packed, 0x77);
  EXPECT_EQ(img.PaintFlags(), 0x060F);
  EXPECT_EQ(img.ColorReduction(), rdNetscape);
  EXPECT_EQ(img.PaintBackground(), 0x1FFFFFFF);
  EXPECT_EQ(GIFErrorOf([&] { SaveBytes(img); }), "Unsupported GIF version");
  EXPECT_NE(TPicture::FileFormatClass("gif"), nullptr);
  EXPECT_NE(CF_GIF, 0);
}

TEST(Document, Placement) {
  TGIFImage img;
  Warnings w;
  w.Attach(img);
  TGIFSubImage* f = AddFrame(img, 0, 0, 10, 10);
  EXPECT_TRUE(w.list.empty());  // an empty screen grows silently
  EXPECT_EQ(img.LogicalWidth(), 10);
  f->Data()[3] = 9;
  f->SetPlacement(0, 0, 10, 12);  // width changes: a new zero buffer
  EXPECT_EQ(f->DataSize(), 120);
  EXPECT_EQ(f->Data()[3], 0);

  TGIFImage doc;
  Warnings w2;
  w2.Attach(doc);
  AddFrame(doc, 0, 0, 10, 10);
  TGIFSubImage* g = AddFrame(doc, 0, 0, 1, 1);
  g->SetPlacement(5, 5, 20, 20);
  EXPECT_EQ(w2.list, (std::vector<std::string>{"Image width too small for contained frames",
                                               "Image height too small for contained frames",
                                               "Image exceeds Logical Screen size"}));
  EXPECT_EQ(doc.LogicalWidth(), 25);
  EXPECT_EQ(doc.LogicalHeight(), 25);
  EXPECT_EQ(GIFErrorOf([&] { doc.SetLogicalWidth(24); }), "Image width too small for contained frames");
  EXPECT_EQ(GIFErrorOf([&] { doc.SetLogicalHeight(24); }), "Image height too small for contained frames");
  EXPECT_EQ(doc.LogicalWidth(), 25);

  EXPECT_EQ(GIFErrorOf([&] { g->PixelAt(20, 0); }), "Invalid pixel coordinates");
  EXPECT_EQ(GIFErrorOf([&] { g->Scanline(-1); }), "Invalid pixel coordinates");
  TGIFSubImage empty(&doc);
  EXPECT_EQ(GIFErrorOf([&] { empty.Scanline(0); }), "Invalid pixel coordinates");
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(g->PlacementValue(1), 5);
  EXPECT_EQ(g->PlacementValue(4), 20);
  EXPECT_EQ(g->PlacementValue(7), 0);
}

TEST(Document, RequiredVersionAndBits) {
  TGIFImage img;
  TGIFSubImage* f = AddFrame(img, 0, 0, 2, 2);
  EXPECT_EQ(img.RequiredVersion(), fv87a);
  f->ColorMap()->AppendColor(clRed);
  f->ColorMap()->AppendColor(clBlue);
  f->ColorMap()->AppendColor(clLime);
  EXPECT_EQ(img.BitsPerPixel(), 2);
  EXPECT_EQ(img.ColorResolution(), 1);
  f->ColorMap()->Compact();  // marks the map sorted
  EXPECT_TRUE(f->ColorMap()->Sorted());
  EXPECT_EQ(img.RequiredVersion(), fv89a);
  TGIFImage img2;
  TGIFSubImage* g = AddFrame(img2, 0, 0, 2, 2);
  auto c = std::make_unique<TGIFCommentExtension>(g);
  g->Extensions()->Append(std::move(c));
  EXPECT_EQ(img2.RequiredVersion(), fv89a);
}

// ---------------------------------------------------------------------------

TEST(ColorMap, CapacityLookupAndLimits) {
  TGIFImage img;
  TGIFColorMap* m = img.GlobalColorMap();
  m->EnsureCapacity(17);
  EXPECT_EQ(m->Capacity(), 32);
  m->Clear();
  m->EnsureCapacity(16);
  EXPECT_EQ(m->Capacity(), 16);
  m->EnsureCapacity(250);
  EXPECT_EQ(m->Capacity(), 256);
  m->Clear();

  m->AppendColor(clRed);
  m->AppendColor(clBlue);
  m->AppendColor(clRed);
  EXPECT_FALSE(m->Sorted());
  EXPECT_EQ(m->FindColor(clRed), 2);
  m->SetSorted(true);
  EXPECT_EQ(m->FindColor(clRed), 0);
  EXPECT_EQ(m->FindColor(clLime), -1);
  EXPECT_EQ(m->AddUniqueColor(clBlue), 1);
  EXPECT_EQ(m->BitsPerEntry(), 2);

  Warnings w;
  w.Attach(img);
  EXPECT_EQ(m->ColorAt(5), clRed);
  EXPECT_EQ(w.Count("Invalid color index"), 1u);
  EXPECT_EQ(GIFErrorOf([&] { m->RemoveEntry(3); }), "Invalid color index");
  EXPECT_EQ(GIFErrorOf([&] { m->ReplaceColor(-1, 0); }), "Invalid color index");
  m->RemoveEntry(0);
  EXPECT_EQ(m->ColorAt(0), clBlue);

  m->Clear();
  EXPECT_EQ(GIFErrorOf([&] { m->ColorAt(0); }), "Color table is empty");
  EXPECT_EQ(w.Count("Invalid color index"), 2u);

  for (int i = 0; i < 256; ++i) m->AppendColor(TColor(i));
  EXPECT_EQ(GIFErrorOf([&] { m->AppendColor(clWhite); }), "Color table overflow");
  EXPECT_EQ(m->Count(), 256);
  EXPECT_EQ(m->ColorAt(255), TColor(255));
  EXPECT_EQ(m->BitsPerEntry(), 8);
}

TEST(ColorMap, CompactionSortsByUseAndRenumbers) {
  TGIFImage img;
  TGIFSubImage* f = AddFrame(img, 0, 0, 4, 3);
  for (TColor c : {clRed, clLime, clBlue, clWhite}) f->ColorMap()->AppendColor(c);
  for (int i = 0; i < 12; ++i) f->Data()[i] = i < 10 ? 2 : 0;
  auto gce = std::make_unique<TGIFGraphicControlExtension>(f);
  gce->SetTransparentIndex(0);
  gce->SetUsesTransparentIndex(true);
  f->Extensions()->Append(std::move(gce));
  EXPECT_TRUE(f->ColorMap()->Compact());
  EXPECT_EQ(f->ColorMap()->Count(), 2);
  EXPECT_EQ(f->ColorMap()->ColorAt(0), clBlue);
  EXPECT_EQ(f->ColorMap()->ColorAt(1), clRed);
  EXPECT_EQ(f->Data()[0], 0);
  EXPECT_EQ(f->Data()[11], 1);
  EXPECT_EQ(f->GraphicControl()->TransparentIndex(), 1);

  // A map already in order keeps even its unused entries.
  TGIFImage ordered;
  TGIFSubImage* o = AddFrame(ordered, 0, 0, 6, 1);
  for (TColor c : {clRed, clLime, clBlue}) o->ColorMap()->AppendColor(c);
  o->Data()[5] = 1;
  EXPECT_TRUE(o->ColorMap()->Compact());
  EXPECT_EQ(o->ColorMap()->Count(), 3);

  // The global map is compacted over the frames without local colours only.
  TGIFImage doc;
  EXPECT_FALSE(doc.GlobalColorMap()->Compact());
  for (TColor c : {clRed, clLime, clBlue}) doc.GlobalColorMap()->AppendColor(c);
  EXPECT_FALSE(doc.GlobalColorMap()->Compact());
  TGIFSubImage* a = AddFrame(doc, 0, 0, 2, 1);
  TGIFSubImage* b = AddFrame(doc, 0, 0, 2, 1);
  a->Data()[0] = a->Data()[1] = 1;
  b->ColorMap()->AppendColor(clWhite);
  b->ColorMap()->AppendColor(clBlack);
  b->Data()[0] = 1;
  EXPECT_TRUE(doc.GlobalColorMap()->Compact());
  EXPECT_EQ(doc.GlobalColorMap()->Count(), 1);
  EXPECT_EQ(doc.GlobalColorMap()->ColorAt(0), clLime);
  EXPECT_EQ(a->Data()[0], 0);
  EXPECT_EQ(b->Data()[0], 1);
}

TEST(ColorMap, PalettesAndConversions) {
  HPALETTE p = MakeNetscapePalette();
  ASSERT_NE(p, nullptr);
  PALETTEENTRY e[216];
  ASSERT_EQ(::GetPaletteEntries(p, 0, 216, e), 216u);
  EXPECT_EQ(e[0].peRed + e[0].peGreen + e[0].peBlue, 0);
  EXPECT_EQ(e[5].peBlue, 255);
  EXPECT_EQ(e[5].peRed, 0);
  EXPECT_EQ(e[215].peRed & e[215].peGreen & e[215].peBlue, 255);
  TGIFImage img;
  TGIFColorMap* m = img.GlobalColorMap();
  m->LoadFromPaletteHandle(p);
  EXPECT_EQ(m->Count(), 216);
  EXPECT_EQ(m->ColorAt(36), TColor(0x000033));
  ::DeleteObject(p);
  HPALETTE q = m->CreatePaletteHandle();
  EXPECT_EQ(PaletteEntryCount(q), 216);
  ::DeleteObject(q);
  RGBQUAD quads[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
  m->LoadFromRGBQuads(quads, 2);
  EXPECT_EQ(m->ColorAt(1), TColor(0x040506));
  TGIFLocalColorMap other(nullptr);
  other.Assign(m);
  EXPECT_EQ(other.Count(), 2);
  EXPECT_EQ(other.ColorAt(0), TColor(0x010203));
  m->LoadFromEntries(nullptr, 0);
  EXPECT_EQ(m->Count(), 0);
  EXPECT_EQ(m->CreatePaletteHandle(), nullptr);
}

// ---------------------------------------------------------------------------

TEST(Extensions, GraphicControlCacheAndTransparency) {
  TGIFImage img;
  TGIFSubImage* f = AddFrame(img, 0, 0, 2, 2);
  auto* first = new TGIFGraphicControlExtension(f);
  auto* second = new TGIFGraphicControlExtension(f);
  f->Extensions()->Append(std::unique_ptr<TGIFItem>(first));
  f->Extensions()->Append(std::unique_ptr<TGIFItem>(second));
  EXPECT_EQ(f->GraphicControl(), first);
  EXPECT_EQ(first->Control.BlockSize, 4);
  second->SetUsesTransparentIndex(true);
  first->SetUsesTransparentIndex(true);
  EXPECT_TRUE(f->Transparent());
  delete first;  // leaves the list by itself
  EXPECT_EQ(f->Extensions()->ItemCount(), 1);
  EXPECT_EQ(f->GraphicControl(), nullptr);
  EXPECT_FALSE(f->Transparent());

  Warnings w;
  w.Attach(img);
  second->SetTransparentIndex(5);  // no colours at all: stored as given
  EXPECT_EQ(second->TransparentIndex(), 5);
  for (TColor c : {clRed, clLime, clBlue, clWhite}) img.GlobalColorMap()->AppendColor(c);
  second->SetTransparentIndex(5);
  EXPECT_EQ(second->TransparentIndex(), 0);
  EXPECT_EQ(w.Count("Invalid color index"), 1u);
  second->SetTransparentColorValue(clBlue);
  EXPECT_EQ(second->TransparentIndex(), 2);
  EXPECT_EQ(second->TransparentColorValue(), clBlue);
  second->SetDisposalMethod(9);
  EXPECT_EQ(second->DisposalMethod(), 1);
  EXPECT_EQ(second->Control.Packed & 0xE3, 0x01);
  second->SetFrameDelay(65535);
  EXPECT_EQ(second->FrameDelay(), 65535);
}

TEST(Extensions, TextBlocksAndSubBlocks) {
  TGIFImage img;
  TGIFSubImage* f = AddFrame(img, 0, 0, 1, 1);
  img.GlobalColorMap()->AppendColor(clBlack);
  auto c = std::make_unique<TGIFCommentExtension>(f);
  c->SetText("one\r\ntwo\r\n\r\nthree");
  EXPECT_EQ(c->Lines()->Count(), 4);
  auto t = std::make_unique<TGIFTextExtension>(f);
  t->Lines()->Add(std::string(300, 'x'));
  EXPECT_EQ(t->PlainText.BlockSize, 12);
  f->Extensions()->Append(std::move(c));
  f->Extensions()->Append(std::move(t));
  const Bytes out = SaveBytes(img);
  // The comment: three sub-blocks, the empty line writes nothing.
  const Bytes expectComment = {0x21, 0xFE, 3, 'o', 'n', 'e', 3, 't', 'w', 'o', 5, 't', 'h', 'r', 'e', 'e', 0};
  EXPECT_NE(std::search(out.begin(), out.end(), expectComment.begin(), expectComment.end()), out.end());
  TGIFImage back;
  LoadBytes(back, out);
  auto* bc = dynamic_cast<TGIFCommentExtension*>(back.Frames()->FrameAt(0)->Extensions()->ExtensionAt(0));
  auto* bt = dynamic_cast<TGIFTextExtension*>(back.Frames()->FrameAt(0)->Extensions()->ExtensionAt(1));
  ASSERT_TRUE(bc && bt);
  EXPECT_EQ(bc->Lines()->Count(), 3);
  EXPECT_EQ(bc->Lines()->Strings(2), "three");
  ASSERT_EQ(bt->Lines()->Count(), 2);
  EXPECT_EQ(bt->Lines()->Strings(0).size(), 255u);
  EXPECT_EQ(bt->Lines()->Strings(1).size(), 45u);
}

TEST(Extensions, Registries) {
  EXPECT_EQ(ExtensionRegistry()->FindClass(0xF9), TGIFGraphicControlExtension::StaticClass());
  EXPECT_EQ(ExtensionRegistry()->FindClass(0x01), TGIFTextExtension::StaticClass());
  EXPECT_EQ(ExtensionRegistry()->FindClass(0xFE), TGIFCommentExtension::StaticClass());
  EXPECT_EQ(ExtensionRegistry()->FindClass(0xFF), TGIFApplicationExtension::StaticClass());
  EXPECT_EQ(ExtensionRegistry()->FindClass(0x02), nullptr);
  TGIFAppIdent id;
  std::memcpy(&id, "ANIMEXTS1.0", 11);
  EXPECT_EQ(AppExtensionRegistry()->FindClass(id), TGIFAppExtNSLoop::StaticClass());
  std::memcpy(&id, "NETSCAPE2.1", 11);
  EXPECT_EQ(AppExtensionRegistry()->FindClass(id), nullptr);
  TExtensionList later;
  later.Register(0x10, TGIFCommentExtension::StaticClass());
  later.Register(0x10, TGIFTextExtension::StaticClass());
  EXPECT_EQ(later.FindClass(0x10), TGIFTextExtension::StaticClass());
}

// ---------------------------------------------------------------------------
// Writer decisions.

TEST(Writing, VersionPackedFieldsAndPadding) {
  TGIFImage img;
  img.GlobalColorMap()->AppendColor(clBlack);
  img.GlobalColorMap()->AppendColor(clWhite);
  TGIFSubImage* f = AddFrame(img, 0, 0, 1, 1);
  f->Data()[0] = 1;
  Bytes expect;
  Append(expect, std::string("GIF87a"));
  Put16(expect, 1);
  Put16(expect, 1);
  Append(expect, Bytes{0x80, 0, 0, 0, 0, 0, 255, 255, 255});
  Append(expect, Descriptor(0, 0, 1, 1, 0));
  Append(expect, TinyData());
  expect.push_back(0x3B);
  EXPECT_EQ(SaveBytes(img), expect);

  f->Extensions()->Append(std::make_unique<TGIFGraphicControlExtension>(f));
  EXPECT_EQ(SaveBytes(img)[4], '9');

  img.GlobalColorMap()->AppendColor(clRed);  // 3 entries: written as 4, size bits 1
  const Bytes three = SaveBytes(img);
  EXPECT_EQ(three[10], 0x80 | 0x10 | 0x01);
  EXPECT_EQ(Bytes(three.begin() + 13, three.begin() + 25),
            (Bytes{0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0, 0}));
}

TEST(Writing, FramesWithoutPixelsInterlaceAndLoop) {
  TGIFImage img;
  img.GlobalColorMap()->AppendColor(clBlack);
  img.GlobalColorMap()->AppendColor(clWhite);
  TGIFSubImage* f = AddFrame(img, 0, 0, 4, 4);
  f->SetInterlaced(true);
  auto loop = std::make_unique<TGIFAppExtNSLoop>(f);
  f->Extensions()->Append(std::move(loop));
  auto blank = std::make_unique<TGIFSubImage>(&img);
  auto c = std::make_unique<TGIFCommentExtension>(blank.get());
  c->Lines()->Add("end");
  blank->Extensions()->Append(std::move(c));
  img.AddFrame(std::move(blank));
  Bytes out = SaveBytes(img);
  const Bytes loopBytes = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0};
  EXPECT_NE(std::search(out.begin(), out.end(), loopBytes.begin(), loopBytes.end()), out.end());
  const Bytes tail = {0x21, 0xFE, 3, 'e', 'n', 'd', 0, 0x3B};
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), out.end() - Integer(tail.size())));
  TGIFImage back;
  LoadBytes(back, out);
  EXPECT_TRUE(back.Frames()->FrameAt(0)->Interlaced());
  EXPECT_EQ(back.Frames()->ItemCount(), 2);

  f->ColorMap()->AppendColor(clRed);  // a local map: written row by row
  out = SaveBytes(img);
  TGIFImage back2;
  LoadBytes(back2, out);
  EXPECT_FALSE(back2.Frames()->FrameAt(0)->Interlaced());

  auto* l = dynamic_cast<TGIFAppExtNSLoop*>(f->Extensions()->ExtensionAt(0));
  l->SetBufferSize(0x01020304);
  out = SaveBytes(img);
  const Bytes withBuffer = {3, 1, 0, 0, 5, 2, 4, 3, 2, 1, 0};
  EXPECT_NE(std::search(out.begin(), out.end(), withBuffer.begin(), withBuffer.end()), out.end());
}

TEST(Writing, ProgressReportsSaving) {
  TGIFImage img;
  img.GlobalColorMap()->AppendColor(clBlack);
  AddFrame(img, 0, 0, 2, 2);
  AddFrame(img, 0, 0, 2, 2);
  std::vector<std::string> seen;
  img.OnProgress = [&](TObject*, TProgressStage st, Byte pct, bool, const TRect&, const std::string& msg) {
    seen.push_back(std::to_string(int(st)) + ":" + std::to_string(pct) + ":" + msg);
  };
  SaveBytes(img);
  EXPECT_EQ(seen, (std::vector<std::string>{"0:0:Saving...", "1:50:Saving...", "1:100:Saving...", "2:100:Saving..."}));
  seen.clear();
  EXPECT_EQ(GIFErrorOf([&] { LoadBytes(img, Bytes{'X', 'Y', 'Z', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0}); }),
            "Invalid GIF signature");
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), "0:0:Loading...");
  EXPECT_EQ(seen.back(), "2:0:Loading...");
}

// ---------------------------------------------------------------------------
// Reader decisions.

TEST(Reading, SignatureVariants) {
  Bytes gif = Header(1, 1, 1, "89a");
  Append(gif, Descriptor(0, 0, 1, 1));
  Append(gif, TinyData());
  gif.push_back(0x3B);
  Bytes lower = gif;
  lower[0] = 'g', lower[1] = 'i', lower[2] = 'f';
  lower[3] = '9', lower[4] = '9', lower[5] = 'z';
  Bytes prefixed = {Byte(gif.size()), 0, 0, 0};
  Append(prefixed, gif);
  for (const Bytes& b : {gif, lower, prefixed}) {
    TGIFImage img;
    Warnings w;
    w.Attach(img);
    LoadBytes(img, b);
    EXPECT_EQ(img.Frames()->ItemCount(), 1);
    EXPECT_TRUE(w.list.empty());
  }
  TGIFImage img;
  auto s = StreamOf(Bytes{'G', 'I', 'X', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0});
  s->SetPosition(1);
  EXPECT_EQ(GIFErrorOf([&] { img.LoadGIFStream(s.get()); }), "Invalid GIF signature");
  EXPECT_EQ(s->Position(), 1);
}

TEST(Reading, TolerantCases) {
  struct Case {
    const char* name;
    Bytes body;  // after a 4x2 screen with a 2-bit global map
    int frames;
    std::vector<std::string> warnings;
  };
  const Bytes img = [] {
    Bytes b = Descriptor(0, 0, 4, 2);
    Append(b, TinyData());
    return b;
  }();
  auto cat = [](std::initializer_list<Bytes> parts) {
    Bytes b;
    for (auto& p : parts) Append(b, p);
    return b;
  };
  const Case cases[] = {
      {"no trailer", img, 1, {}},
      {"no trailer, zero bytes", cat({img, Bytes{0, 0, 0}}), 1, {}},
      {"zero bytes between frames", cat({img, Bytes{0, 0}, img, Bytes{0x3B}}), 2, {}},
      {"unknown block between frames", cat({img, Bytes{0x2A}, img, Bytes{0x3B}}), 1,
       {"Unknown GIF block type", "Invalid Image trailer"}},
      {"comment after the last image", cat({img, Comment("bye"), Bytes{0x3B}}), 2, {}},
      {"width 0", cat({Descriptor(0, 0, 0, 2), TinyData(), Bytes{0x3B}}), 1, {"Image exceeds Logical Screen size"}},
      {"short graphic control", cat({img, Bytes{0x21, 0xF9, 4, 1}}), 2, {"Premature end of data"}},
      // The stray byte is taken as the descriptor's separator, which is not checked.
      {"bad introducer before a descriptor", cat({Bytes{0x21, 0xFE, 0, 0x07}, Bytes(img.begin() + 1, img.end()),
                                                  Bytes{0x3B}}),
       1, {"Invalid extension introducer"}},
      {"sub-block longer than the stream", cat({Descriptor(0, 0, 4, 2), Bytes{2, 200, 0x8C}}), 1,
       {"Premature end of data"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TGIFImage doc;
    Warnings w;
    w.Attach(doc);
    Bytes b = Header(4, 2, 2);
    Append(b, c.body);
    EXPECT_NO_THROW(LoadBytes(doc, b));
    EXPECT_EQ(doc.Frames()->ItemCount(), c.frames);
    EXPECT_EQ(w.list, c.warnings);
  }
}

TEST(Reading, HeaderAndApplicationBlocks) {
  Bytes b = Header(2, 2, 1, "87a");
  b[10] |= 0x08;  // sort bit: kept, and written back
  Append(b, Bytes{0x21, 0xFF, 11});
  Append(b, std::string("NETSCAPE2.0"));
  Append(b, Bytes{3, 1, 5, 0, 0});
  Append(b, Bytes{0x21, 0xFF, 11});
  Append(b, std::string("OTHERAPP1.0"));
  Append(b, Bytes{2, 7, 8, 1, 9, 0});
  Append(b, Bytes{0x21, 0xFF, 10});
  Append(b, std::string("SHORTID1.0"));
  Append(b, Bytes{1, 42, 0});
  Append(b, Descriptor(0, 0, 1, 1));
  Append(b, TinyData());
  b.push_back(0x3B);
  TGIFImage img;
  LoadBytes(img, b);
  EXPECT_TRUE(img.GlobalColorMap()->Sorted());
  TGIFSubImage* f = img.Frames()->FrameAt(0);
  ASSERT_EQ(f->Extensions()->ItemCount(), 3);
  auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(f->Extensions()->ExtensionAt(0));
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->Loops(), 5);
  EXPECT_EQ(loop->BufferSize(), 0u);
  auto* other = dynamic_cast<TGIFUnknownAppExtension*>(f->Extensions()->ExtensionAt(1));
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(other->Blocks().size(), 2u);
  EXPECT_EQ(other->Blocks()[0]->Size(), 2);
  EXPECT_EQ(other->Blocks()[1]->Bytes()[0], 9);
  auto* shortId = dynamic_cast<TGIFUnknownAppExtension*>(f->Extensions()->ExtensionAt(2));
  ASSERT_NE(shortId, nullptr);
  EXPECT_EQ(shortId->IdentText(), std::string("SHORTID1.0") + '\0');
  // Written back: the same identifiers and sub-blocks, block size at least 11;
  // the screen's packed fields (sort flag, colour resolution 7) as read.
  const Bytes out = SaveBytes(img);
  EXPECT_EQ(out[10], b[10]);
  Bytes again = {0x21, 0xFF, 11};
  Append(again, std::string("OTHERAPP1.0"));
  Append(again, Bytes{2, 7, 8, 1, 9, 0});
  EXPECT_NE(std::search(out.begin(), out.end(), again.begin(), again.end()), out.end());
}

}  // namespace

namespace {

// Whatever the reader accepts, the writer writes so that it reads back the
// same, and the renderer shows.
TEST(Reading, WhatLoadsAlsoSavesAndShows) {
  // A loop block identified by 12 bytes is no loop block: it is kept as an
  // unknown one and written back with its 12 bytes (cut to 11 it would name a
  // loop block whose sub-block is too short for one).
  Bytes longIdent = Header(2, 1, 1);
  const Bytes block = {0x21, 0xFF, 12, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 'X', 2, 1, 0, 0};
  Append(longIdent, block);
  Append(longIdent, Descriptor(0, 0, 2, 1));
  Append(longIdent, TinyData());
  longIdent.push_back(0x3B);
  // No images at all.
  Bytes noImages = Header(4, 2, 1, "87a");
  noImages.push_back(0x3B);
  // No colour table anywhere: values 0, 1, 2.
  Bytes noTable = Header(3, 1, 0);
  Append(noTable, Descriptor(0, 0, 3, 1));
  CodeWriter cw(2);
  for (int c : {4, 0, 1, 2, 5}) cw.Code(c);
  Append(noTable, cw.Data());
  noTable.push_back(0x3B);
  struct Case {
    const char* name;
    const Bytes& stream;
    int frames;
    std::vector<TColor> shown;  // frame 0 as rendered
  };
  for (const Case& c : {Case{"long application identifier", longIdent, 1, {0xFFFFFF, 0x000000}},
                        Case{"document without images", noImages, 0, {}},
                        Case{"frame without a colour table", noTable, 1, {0x000000, 0x555555, 0xAAAAAA}}}) {
    SCOPED_TRACE(c.name);
    TGIFImage img;
    LoadBytes(img, c.stream);
    ASSERT_EQ(img.Frames()->ItemCount(), c.frames);
    if (c.frames > 0) {
      TBitmap* bmp = img.Frames()->FrameAt(0)->RenderedBitmap();
      ASSERT_NE(bmp, nullptr);
      std::vector<TColor> shown;
      for (Integer x = 0; x < bmp->Width(); ++x) shown.push_back(bmp->Canvas()->Pixels(x, 0) & 0xFFFFFF);
      EXPECT_EQ(shown, c.shown);
    }
    Bytes saved;
    EXPECT_EQ(GIFErrorOf([&] { saved = SaveBytes(img); }), "");
    TGIFImage back;
    EXPECT_EQ(GIFErrorOf([&] { LoadBytes(back, saved); }), "");
    ASSERT_EQ(back.Frames()->ItemCount(), c.frames);
    EXPECT_EQ(SaveBytes(back), saved);
    for (Integer i = 0; i < c.frames; ++i) {
      TGIFSubImage* f = img.Frames()->FrameAt(i);
      TGIFSubImage* g = back.Frames()->FrameAt(i);
      EXPECT_EQ(Bytes(g->Data(), g->Data() + g->DataSize()), Bytes(f->Data(), f->Data() + f->DataSize()));
    }
  }
  TGIFImage img;
  LoadBytes(img, longIdent);
  const Bytes out = SaveBytes(img);
  EXPECT_NE(std::search(out.begin(), out.end(), block.begin(), block.end()), out.end());
  LoadBytes(img, noImages);
  EXPECT_EQ(SaveBytes(img), noImages);
}

}  // namespace

// ---------------------------------------------------------------------------
// Streams that are not in memory (files): read and written in blocks.

namespace {
// A stream outside memory, as a file is, counting the calls made on it.
class TCountingStream : public TStringStream {
 public:
  using TStringStream::TStringStream;
  Integer Read(void* Buffer, Integer Count) override {
    ++calls;
    return TStringStream::Read(Buffer, Count);
  }
  Integer Write(const void* Buffer, Integer Count) override {
    ++calls;
    return TStringStream::Write(Buffer, Count);
  }
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override {
    ++calls;
    return TStringStream::Seek(Offset, Origin);
  }
  Bytes Data() const { return Bytes(DataString().begin(), DataString().end()); }
  int calls = 0;
};
}  // namespace

TEST(FileStreams, WholeDocumentsGoThroughBlocksInPlaceOfSubBlockCalls) {
  // Three frames of noise: about a megabyte of data, over several blocks.
  TGIFImage img;
  for (int i = 0; i < 256; ++i) img.GlobalColorMap()->AppendColor(TColor(i * 0x010101));
  uint32_t s = 99;
  for (int k = 0; k < 3; ++k) {
    TGIFSubImage* f = AddFrame(img, 0, 0, 600, 500);
    for (Integer i = 0; i < f->DataSize(); ++i) f->Data()[i] = Byte((s = s * 1664525u + 1013904223u) >> 24);
  }
  const Bytes gif = SaveBytes(img);
  ASSERT_GT(gif.size(), 800000u);

  // Saving: the same bytes, without a call per 255-byte sub-block.
  TCountingStream out;
  img.SaveGIFStream(&out);
  EXPECT_TRUE(out.Data() == gif);
  EXPECT_LT(out.calls, int(gif.size() / 4096));

  // Loading from the middle of a stream, with other data after the GIF:
  // the same frames, few calls, and the stream left just after the trailer.
  const std::string before = "12345", after = "tail";
  TCountingStream in(before + std::string(gif.begin(), gif.end()) + after);
  in.SetPosition(Int64(before.size()));
  TGIFImage back;
  back.LoadGIFStream(&in);
  EXPECT_LT(in.calls, int(gif.size() / 4096));
  EXPECT_EQ(in.Position(), Int64(before.size() + gif.size()));
  ASSERT_EQ(back.Frames()->ItemCount(), 3);
  EXPECT_TRUE(SaveBytes(back) == gif);

  // Cut off inside the second frame: the same pixels and warnings as from memory.
  const Bytes cut(gif.begin(), gif.begin() + Integer(gif.size() / 2));
  TGIFImage fromMemory, fromStream;
  Warnings memoryWarnings, streamWarnings;
  memoryWarnings.Attach(fromMemory);
  streamWarnings.Attach(fromStream);
  LoadBytes(fromMemory, cut);
  TCountingStream cutStream(std::string(cut.begin(), cut.end()));
  fromStream.LoadGIFStream(&cutStream);
  EXPECT_EQ(streamWarnings.list, memoryWarnings.list);
  EXPECT_FALSE(streamWarnings.list.empty());
  ASSERT_EQ(fromStream.Frames()->ItemCount(), fromMemory.Frames()->ItemCount());
  EXPECT_TRUE(SaveBytes(fromStream) == SaveBytes(fromMemory));

  // A load that fails, at once or after the three frames (a fourth with a
  // code size no GIF has), puts the stream back where it was and keeps the
  // document.
  Bytes late(gif.begin(), gif.end() - 1);
  Append(late, Descriptor(0, 0, 1, 1));
  Append(late, Bytes{12, 0, 0x3B});
  struct Case {
    std::string stream, error;
  };
  for (const Case& c : {Case{"GIX89a", "Invalid GIF signature"},
                        Case{std::string(late.begin(), late.end()), "Invalid GIF data"}}) {
    TCountingStream bad(before + c.stream + after);
    bad.SetPosition(Int64(before.size()));
    EXPECT_EQ(GIFErrorOf([&] { back.LoadGIFStream(&bad); }), c.error);
    EXPECT_EQ(bad.Position(), Int64(before.size()));
    EXPECT_EQ(back.Frames()->ItemCount(), 3);
  }
}
