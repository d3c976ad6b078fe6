// Malformed streams: each gives its warning or error, never a crash, a hang,
// or an allocation larger than the stream could justify.
#include <chrono>
#include <new>
#include <random>

#include "tests/gif/gif_test_util.h"
#include "tests/support/alloc_limit.h"

using namespace giftest;

namespace {

// Decoded pixels stand for at most ~11000 per byte of data; small frames are free.
size_t AllocationAllowance(size_t streamBytes) {
  return std::max<size_t>(4u << 20, streamBytes * 11000 + (1u << 20));
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
  AllocLimit guard(AllocationAllowance(b.size()));
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

Bytes TinyData() {
  CodeWriter cw(2);
  cw.Code(cw.Clear());
  cw.Code(1);
  cw.Code(cw.End());
  return cw.Data();
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
      // A cut right after an introducer leaves no label to look up.
      const std::vector<std::string> allowed = {"Premature end of data", "Unknown extension type"};
      EXPECT_NE(std::find(allowed.begin(), allowed.end(), o.error), allowed.end()) << o.error;
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
      {"short descriptor", gif({img, Bytes{0x2C, 0, 0, 0}}), "Premature end of data", 1, {}},
      {"short local table", gif({Descriptor(0, 0, 4, 2, 0x82), Bytes{1, 2, 3}}), "Premature end of data", 0, {}},
      {"short plain text record", gif({img, Bytes{0x21, 0x01, 12, 0, 0}}), "Premature end of data", 1, {}},
      {"short comment sub-block", gif({img, Bytes{0x21, 0xFE, 9, 'a', 'b'}}), "Premature end of data", 1, {}},
      {"unknown extension label", gif({img, Bytes{0x21, 0x02, 0}, img}), "Unknown extension type", 1, {}},
      {"application block size 5", gif({Bytes{0x21, 0xFF, 5, 'A', 'B', 'C', 'D', 'E', 0}, img}),
       "Unsupported Application Extension block size", 0, {}},
      {"loop sub-block too short",
       gif({Bytes{0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 2, 1, 0, 0}, img}),
       "Invalid GIF data", 0, {}},
      {"buffer sub-block too short",
       gif({Bytes{0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 2, 0, 0, 0}, img}),
       "Invalid GIF data", 0, {}},
      {"code size 12", gif({Descriptor(0, 0, 4, 2), Bytes{12, 2, 0, 0, 0}}), "Invalid GIF data", 0, {}},
      {"code size 11 is fine", gif({Descriptor(0, 0, 4, 2), data(11, {2048, 7, 2049})}), "", 1, {}},
      {"self-referencing table entry", gif({Descriptor(0, 0, 4, 2), data(2, {4, 6, 0, 6, 5})}),
       "Circular decoder table entry", 0, {}},
      {"table loop through two entries", gif({Descriptor(0, 0, 9, 9), data(2, {4, 7, 6, 0, 6, 5})}),
       "Circular decoder table entry", 0, {}},
      {"huge frame from a few bytes", gif({Descriptor(0, 0, 65535, 65535), TinyData()}), "Premature end of data", 0,
       {}},
      {"zero sizes everywhere", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 0, 0, 0, 0,
                                      0, 2, 0, 0x3B},
       "", 1, {"Image exceeds Logical Screen size"}},
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
  EXPECT_EQ(GIFErrorOf([&] { SaveBytes(img); }), "Color not in color table");
}

TEST(BadInput, RandomMutationsOfTheCorpus) {
  const char* files[] = {"bw1_17x13",      "c4_interlaced_40x29", "c8_64x48",       "one_1x1",
                         "anim_local_maps", "anim_disposals",     "anim_transparent", "comments_app",
                         "plaintext",       "gs_interlaced_offset", "c5_interlaced_3x37", "noise8_100x80"};
  std::vector<Bytes> corpus;
  for (const char* f : files) corpus.push_back(ReadFileBytes(DataPath(std::string(f) + ".gif")));
  std::mt19937 rng(20240611);
  const auto start = std::chrono::steady_clock::now();
  int loaded = 0, refused = 0;
  for (int round = 0; round < 3000; ++round) {
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
    TGIFImage img;
    auto s = StreamOf(b);
    {
      AllocLimit guard(AllocationAllowance(b.size()));
      try {
        img.LoadGIFStream(s.get());
        ++loaded;
      } catch (const GIFException&) {
        ++refused;
      } catch (const std::bad_alloc&) {
      }
      ASSERT_EQ(guard.Refusals(), 0u) << "stream of " << b.size() << " bytes asked for " << guard.LargestRequest();
    }
    // Whatever was read can be written again, or is refused with a GIF error.
    try {
      SaveBytes(img);
    } catch (const GIFException&) {
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 60.0);
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
