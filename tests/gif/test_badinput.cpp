// Malformed streams: each gives its warning or error, never a crash, a hang,
// or an allocation larger than the stream could justify.
#include <cstdlib>
#include <new>
#include <random>

#include "platform/SysUtils.h"
#include "tests/gif/anim_test_util.h"
#include "tests/support/alloc_limit.h"


using namespace giftest;

namespace {

// A byte of LZW data stands for at most ~2,730 pixels; a small allowance is free.
size_t AllocationAllowance(size_t streamBytes) {
  return std::max<size_t>(4u << 20, streamBytes * size_t(GIFMaxPixelsPerDataByte) + size_t(GIFFreePixelAllowance));
}

struct Outcome {
  bool loaded = false;
  std::string error;  // GIFException message
  std::vector<std::string> warnings;
  int frames = 0;
};

Outcome Load(const Bytes& b) {
  Outcome o;
  TGIFImage img;
  img.OnGIFWarning = [&](TObject*, Integer, const std::string& m) { o.warnings.push_back(m); };
  auto s = StreamOf(b);
  // Twice the pixels the data can encode: an interlaced frame is decoded
  // beside its buffer.
  AllocLimit guard(AllocationAllowance(b.size()), 2 * AllocationAllowance(b.size()));
  try {
    img.LoadGIFStream(s.get());
    o.loaded = true;
  } catch (const GIFException& e) {
    o.error = e.Message();
  } catch (const std::bad_alloc&) {
    o.error = "allocation refused";
  }
  EXPECT_EQ(guard.Refusals(), 0u) << "stream of " << b.size() << " bytes asked for " << guard.LargestRequest();
  o.frames = img.Frames()->ItemCount();
  return o;
}

// A stream that holds one of every kind of block; Marks collects the offsets
// at which whole blocks end.
Bytes RichStream(std::vector<size_t>& marks) {
  Bytes b = Header(8, 6, 2);
  marks.push_back(b.size());
  Append(b, Bytes{0x21, 0xFF, 11});
  Append(b, std::string("NETSCAPE2.0"));
  Append(b, Bytes{3, 1, 0, 0, 0});
  marks.push_back(b.size());
  Append(b, Comment("a comment"));
  marks.push_back(b.size());
  Append(b, GraphicControl(0x09, 10, 1));
  marks.push_back(b.size());
  Append(b, Descriptor(1, 1, 5, 4, 0x81));
  Append(b, Bytes{0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});
  CodeWriter cw(2);
  cw.Code(cw.Clear());
  for (int i = 0; i < 20; ++i) cw.Code(i % 4);
  cw.Code(cw.End());
  Append(b, cw.Data(4));
  marks.push_back(b.size());
  Bytes text = {0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 6, 0, 4, 6, 1, 0, 5, 'h', 'e', 'l', 'l', 'o', 0};
  Append(b, text);
  marks.push_back(b.size());
  Append(b, Descriptor(0, 0, 8, 6, 0x40));
  CodeWriter cw2(2);
  cw2.Code(cw2.Clear());
  for (int i = 0; i < 48; ++i) cw2.Code((i / 3) % 4);
  cw2.Code(cw2.End());
  Append(b, cw2.Data());
  marks.push_back(b.size());
  b.push_back(0x3B);
  marks.push_back(b.size());
  return b;
}

TEST(BadInput, TruncatedAtEveryByte) {
  std::vector<size_t> marks;
  const Bytes full = RichStream(marks);
  const Outcome whole = Load(full);
  ASSERT_TRUE(whole.loaded);
  EXPECT_TRUE(whole.warnings.empty());
  ASSERT_EQ(whole.frames, 2);
  for (size_t cut = 0; cut < full.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    const Outcome o = Load(Bytes(full.begin(), full.begin() + cut));
    if (!o.loaded) {
      EXPECT_EQ(o.error, "Premature end of data");
      EXPECT_EQ(o.frames, 0) << "a failed load keeps the document as it was";
    }
    if (cut < 13) {
      EXPECT_FALSE(o.loaded);
    }
    if (std::find(marks.begin(), marks.end(), cut) != marks.end()) {
      // At a block boundary the stream simply ends: no error and no warning.
      EXPECT_TRUE(o.loaded);
      EXPECT_TRUE(o.warnings.empty()) << o.warnings.front();
    }
  }
}

TEST(BadInput, MalformedStreams) {
  auto gif = [](std::initializer_list<Bytes> parts, int bits = 2) {
    Bytes b = Header(4, 2, bits);
    for (auto& p : parts) Append(b, p);
    return b;
  };
  const Bytes img = [] {
    Bytes b = Descriptor(0, 0, 4, 2);
    Append(b, TinyData());
    return b;
  }();
  auto data = [](int minCode, std::initializer_list<int> codes) {
    CodeWriter cw(minCode);
    for (int c : codes) cw.Code(c);
    return cw.Data();
  };
  struct Case {
    const char* name;
    Bytes stream;
    std::string error;  // "" when the stream loads
    int frames;
    std::vector<std::string> warnings;
  };
  Bytes badSig = gif({img});
  Bytes shortTable = Header(4, 2, 3);
  shortTable.resize(shortTable.size() - 4);
  badSig[1] = 'X';
  const Case cases[] = {
      {"wrong signature", badSig, "Invalid GIF signature", 0, {}},
      {"only a signature", Bytes{'G', 'I', 'F', '8', '9', 'a'}, "Premature end of data", 0, {}},
      {"short screen record", Bytes{'G', 'I', 'F', '8', '9', 'a', 4, 0, 2}, "Premature end of data", 0, {}},
      {"short global table", shortTable, "Premature end of data", 0, {}},
      {"short descriptor", gif({img, Bytes{0x2C, 0, 0, 0}}), "Premature end of data", 0, {}},
      {"short local table", gif({Descriptor(0, 0, 4, 2, 0x82), Bytes{1, 2, 3}}), "Premature end of data", 0, {}},
      {"short plain text record", gif({img, Bytes{0x21, 0x01, 12, 0, 0}}), "Premature end of data", 0, {}},
      {"short comment sub-block", gif({img, Bytes{0x21, 0xFE, 9, 'a', 'b'}}), "Premature end of data", 0, {}},
      // Extensions of unknown kinds are passed over, sub-blocks and all.
      {"unknown extension label", gif({img, Bytes{0x21, 0x02, 3, 0x21, 0x2C, 0x3B, 0}, img}), "", 2,
       {"Unknown extension type"}},
      {"unknown extension cut off", gif({img, Bytes{0x21, 0x02, 3, 0x21}}), "", 1, {"Unknown extension type"}},
      {"introducer at the end", gif({img, Bytes{0x21}}), "Premature end of data", 0, {}},
      {"application block size 5", gif({Bytes{0x21, 0xFF, 5, 'A', 'B', 'C', 'D', 'E', 0}, img}),
       "Unsupported Application Extension block size", 0, {}},
      {"loop sub-block too short",
       gif({Bytes{0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 2, 1, 0, 0}, img}), "", 1,
       {"Invalid GIF data"}},
      {"buffer sub-block too short",
       gif({Bytes{0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 2, 0, 0, 0}, img}), "", 1,
       {"Invalid GIF data"}},
      {"code size 12", gif({Descriptor(0, 0, 4, 2), Bytes{12, 2, 0, 0, 0}}), "Invalid GIF data", 0, {}},
      {"code size 11 is fine", gif({Descriptor(0, 0, 4, 2), data(11, {2048, 7, 2049})}), "", 1, {}},
      {"self-referencing table entry", gif({Descriptor(0, 0, 4, 2), data(2, {4, 6, 0, 6, 5})}),
       "Circular decoder table entry", 0, {}},
      {"table loop through two entries", gif({Descriptor(0, 0, 9, 9), data(2, {4, 7, 6, 0, 6, 5})}),
       "Circular decoder table entry", 0, {}},
      {"huge frame from a few bytes", gif({Descriptor(0, 0, 65535, 30000), TinyData()}),
       "Image size exceeds what the GIF data can encode", 0, {}},
      // The frame takes the empty logical screen: nothing is left of it.
      {"zero sizes everywhere", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 0, 0, 0, 0,
                                      0, 2, 0, 0x3B},
       "", 0, {"Image exceeds Logical Screen size"}},
      {"data cut inside a sub-block", gif({Descriptor(0, 0, 4, 2), Bytes{2, 10, 0x8C}}), "", 1,
       {"Premature end of data"}},
      {"data without end code or terminator", gif({Descriptor(0, 0, 4, 2), Bytes{2, 1, 0x8C}}), "", 1, {}},
      {"codes past the last pixel", gif({Descriptor(0, 0, 1, 1), data(2, {4, 1, 2, 3, 0, 1, 5}), img}), "", 2, {}},
      {"data exhausted before the pixels", gif({Descriptor(0, 0, 4, 2), Bytes{2, 1, 0x8C, 0}, Bytes{0x3B}}), "", 1,
       {"Decoder bit buffer under-run"}},
      {"terminator only", gif({Descriptor(0, 0, 4, 2), Bytes{2, 0}, Bytes{0x3B}}), "", 1,
       {"Decoder bit buffer under-run"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome o = Load(c.stream);
    EXPECT_EQ(o.error, c.error);
    EXPECT_EQ(o.loaded, c.error.empty());
    EXPECT_EQ(o.frames, c.frames);
    EXPECT_EQ(o.warnings, c.warnings);
  }
}

TEST(BadInput, ColourIndicesBeyondTheMap) {
  // Two colours in the map, pixels of value 3.
  CodeWriter cw(2);
  cw.Code(cw.Clear());
  cw.Code(3);
  cw.Code(1);
  cw.Code(cw.End());
  Bytes b = Header(2, 1, 1);
  Append(b, Descriptor(0, 0, 2, 1));
  Append(b, cw.Data());
  b.push_back(0x3B);
  TGIFImage img;
  Warnings w;
  w.Attach(img);
  LoadBytes(img, b);
  TGIFSubImage* f = img.Frames()->FrameAt(0);
  EXPECT_EQ(f->PixelAt(0, 0), 3);
  EXPECT_TRUE(w.list.empty());
  EXPECT_EQ(f->EffectiveColorMap()->ColorAt(f->PixelAt(0, 0)), f->EffectiveColorMap()->ColorAt(0));
  EXPECT_EQ(w.Count("Invalid color index"), 1u);
  // What loaded also renders and saves: the map is written padded to the
  // values, and the copy reads back with the same pixels.
  EXPECT_NE(f->RenderedBitmap(), nullptr);
  const Bytes saved = SaveBytes(img);
  EXPECT_EQ(saved[10] & 7, 1) << "global table of 4 entries";
  TGIFImage back;
  LoadBytes(back, saved);
  EXPECT_EQ(back.Frames()->FrameAt(0)->PixelAt(0, 0), 3);
  EXPECT_EQ(back.Frames()->FrameAt(0)->PixelAt(1, 0), 1);
}

TEST(BadInput, DocumentPixelsAreBoundedByTheData) {
  // Many large frames, each from a few bytes: together they claim far more
  // pixels than the file can encode. The load fails before allocating them
  // and leaves the document empty.
  Bytes many = Header(3000, 3000, 2);
  for (int i = 0; i < 60; ++i) {
    Append(many, Descriptor(0, 0, 3000, 3000));
    Append(many, TinyData());
  }
  many.push_back(0x3B);
  // One interlaced frame of 65535 x 65535 (more than 2^31 - 1 pixels), with
  // enough data behind it for the document bound to allow it.
  Bytes huge = Header(65535, 65535, 2);
  Append(huge, Descriptor(0, 0, 65535, 65535, 0x40));
  Append(huge, TinyData());
  Append(huge, Bytes{0x21, 0xFE});
  for (int i = 0; i < 6400; ++i) {
    huge.push_back(255);
    huge.insert(huge.end(), 255, 'x');
  }
  huge.push_back(0);
  huge.push_back(0x3B);
  struct Case {
    const char* name;
    const Bytes& stream;
    std::string error;
  };
  for (const Case& c : {Case{"many large frames", many, "Image size exceeds what the GIF data can encode"},
                        Case{"interlaced frame beyond 32-bit sizes", huge, "Image is too large"}}) {
    SCOPED_TRACE(c.name);
    const Outcome o = Load(c.stream);
    EXPECT_EQ(o.error, c.error);
    EXPECT_EQ(o.frames, 0);
  }
}

TEST(BadInput, FrameCutOffInsideLargeDataLoadsWithTheFillValue) {
  // Frame 1: 100 x 100 values coded one code each (about 14 KB). Frame 2:
  // 2000 x 2000 of value 1 in ever longer runs, transparent index 3, cut off
  // 100 bytes into its data.
  Bytes b = Header(2000, 2000, 2);
  Append(b, Descriptor(0, 0, 100, 100));
  std::mt19937 rng(7);
  CodeWriter first(2);
  first.Code(first.Clear());
  for (int i = 0; i < 100 * 100; ++i) first.Code(int(rng() % 4));
  first.Code(first.End());
  Append(b, first.Data());
  Append(b, GraphicControl(0x01, 0, 3));
  Append(b, Descriptor(0, 0, 2000, 2000));
  CodeWriter runs(2);
  runs.Code(runs.Clear());
  runs.Code(1);
  for (int code = 6; code < 4096; ++code) runs.Code(code);
  runs.Code(runs.End());
  const Bytes data = runs.Data();
  b.insert(b.end(), data.begin(), data.begin() + 100);

  TGIFImage img;
  Warnings w;
  w.Attach(img);
  {
    AllocLimit guard(AllocationAllowance(b.size()), 2 * AllocationAllowance(b.size()));
    LoadBytes(img, b);
    EXPECT_EQ(guard.Refusals(), 0u);
  }
  ASSERT_EQ(img.Frames()->ItemCount(), 2);
  TGIFSubImage* f = img.Frames()->FrameAt(1);
  EXPECT_EQ(f->PixelAt(0, 0), 1);
  EXPECT_EQ(f->PixelAt(1999, 0), 1);
  EXPECT_EQ(f->PixelAt(0, 10), 3) << "where the data ended";
  EXPECT_EQ(f->PixelAt(1999, 1999), 3);
  EXPECT_EQ(w.Count("Premature end of data"), 1u);
  // It saves and reads back the same.
  TGIFImage back;
  LoadBytes(back, SaveBytes(img));
  ASSERT_EQ(back.Frames()->ItemCount(), 2);
  EXPECT_EQ(std::memcmp(back.Frames()->FrameAt(1)->Data(), f->Data(), size_t(f->DataSize())), 0);
}

TEST(BadInput, FailedLoadLeavesTheDocumentAsItWas) {
  auto gif = [](bool broken) {
    Bytes b = Header(4, 2, 2);
    Append(b, Comment("first"));
    Append(b, Descriptor(0, 0, 4, 2));
    Append(b, TinyData());
    if (broken) Append(b, Bytes{0x2C, 0, 0, 0});  // a second descriptor cut short
    b.push_back(0x3B);
    return b;
  };
  TGIFImage img;
  LoadBytes(img, gif(false));
  const Bytes before = SaveBytes(img);
  EXPECT_EQ(GIFErrorOf([&] { LoadBytes(img, gif(true)); }), "Premature end of data");
  EXPECT_EQ(img.Frames()->ItemCount(), 1);
  EXPECT_EQ(SaveBytes(img), before);
  // Also when the load goes through a file.
  const std::string name = GetTempPathStr() + "gifperf-broken-" + IntToStr(::GetCurrentProcessId()) + ".gif";
  {
    const Bytes broken = gif(true);
    TFileStream f(name, fmCreate);
    f.WriteBuffer(broken.data(), Integer(broken.size()));
  }
  EXPECT_THROW(img.LoadFromFile(name), GIFException);
  DeleteFile(name);
  EXPECT_EQ(SaveBytes(img), before);
}

// Whatever loads also renders, plays, saves and reads back the same. The
// run's length comes from GIF_MUTATION_ROUNDS (default 3000); a long run
// prints its tally.
TEST(BadInput, RandomMutationsOfTheCorpus) {
  const char* files[] = {"bw1_17x13",      "c4_interlaced_40x29", "c8_64x48",       "one_1x1",
                         "anim_local_maps", "anim_disposals",     "anim_transparent", "comments_app",
                         "plaintext",       "gs_interlaced_offset", "c5_interlaced_3x37", "noise8_100x80"};
  std::vector<Bytes> corpus;
  for (const char* f : files) corpus.push_back(ReadFileBytes(DataPath(std::string(f) + ".gif")));
  const char* env = std::getenv("GIF_MUTATION_ROUNDS");
  const int rounds = env && *env ? std::atoi(env) : 3000;
  std::mt19937 rng(20240611);
  animtest::FakeClock clock;
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(32, 32);
  // Time is this thread's processor time: the wall clock of a loaded machine
  // says nothing about a hang.
  const auto cpuSeconds = [] {
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return double(ticks(kernel) + ticks(user)) * 1e-7;
  };
  const double start = cpuSeconds();
  int loaded = 0, refused = 0;
  double slowest = 0;
  for (int round = 0; round < rounds; ++round) {
    Bytes b = corpus[rng() % corpus.size()];
    const int edits = 1 + int(rng() % 4);
    for (int e = 0; e < edits && !b.empty(); ++e) {
      const size_t at = rng() % b.size();
      switch (rng() % 5) {
        case 0: b[at] ^= Byte(1u << (rng() % 8)); break;
        case 1: b[at] = Byte(rng()); break;
        case 2: b.resize(at); break;
        case 3: {
          const size_t len = std::min<size_t>(1 + rng() % 64, b.size() - at);
          const Bytes piece(b.begin() + at, b.begin() + at + len);
          b.insert(b.begin() + rng() % (b.size() + 1), piece.begin(), piece.end());
          break;
        }
        default: {
          static const Byte special[] = {0x00, 0xFF, 0x21, 0x2C, 0x3B, 0xF9, 0x0B};
          b[at] = special[rng() % sizeof(special)];
          break;
        }
      }
    }
    SCOPED_TRACE("round " + std::to_string(round));
    const double roundStart = cpuSeconds();
    TGIFImage img;
    auto s = StreamOf(b);
    bool ok = false;
    {
      AllocLimit guard(AllocationAllowance(b.size()), 2 * AllocationAllowance(b.size()));
      try {
        img.LoadGIFStream(s.get());
        ok = true;
      } catch (const GIFException&) {
      } catch (const std::bad_alloc&) {
      }
      ASSERT_EQ(guard.Refusals(), 0u) << "stream of " << b.size() << " bytes asked for " << guard.LargestRequest();
    }
    if (!ok) {
      ++refused;
      ASSERT_EQ(img.Frames()->ItemCount(), 0);
      continue;
    }
    ++loaded;
    for (Integer i = 0; i < img.Frames()->ItemCount(); ++i) img.Frames()->FrameAt(i)->RenderedBitmap();
    TGIFPainter* ref = nullptr;
    img.CreatePainter(&ref, target.Canvas(), pfAnimate | pfTransparent, Rect(0, 0, 32, 32));
    Bytes saved;
    try {
      saved = SaveBytes(img);
    } catch (const GIFException& e) {
      FAIL() << "a loaded document does not save: " << e.Message();
    }
    TGIFImage back;
    LoadBytes(back, saved);
    ASSERT_EQ(back.Frames()->ItemCount(), img.Frames()->ItemCount());
    for (Integer i = 0; i < img.Frames()->ItemCount(); ++i) {
      TGIFSubImage* f = img.Frames()->FrameAt(i);
      TGIFSubImage* g = back.Frames()->FrameAt(i);
      ASSERT_EQ(g->DataSize(), f->DataSize());
      ASSERT_EQ(g->Extensions()->ItemCount(), f->Extensions()->ItemCount());
      if (f->DataSize() > 0) {
        ASSERT_EQ(g->BoundsRect(), f->BoundsRect());  // a frame without pixels has no place
      }
      ASSERT_TRUE(f->DataSize() == 0 || std::memcmp(f->Data(), g->Data(), size_t(f->DataSize())) == 0) << "frame " << i;
    }
    ASSERT_EQ(SaveBytes(back), saved);
    slowest = std::max(slowest, cpuSeconds() - roundStart);
  }
  const double seconds = cpuSeconds() - start;
  if (rounds != 3000)
    std::printf("mutation run: %d cases, %d loaded, %d refused, %.1f s, slowest case %.3f s\n", rounds, loaded,
                refused, seconds, slowest);
  EXPECT_LT(seconds, rounds * 0.02 + 30.0);
  EXPECT_LT(slowest, 5.0) << "no case hangs";
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
