// gif2swf, loaded from wexbolt.dll by its path as the editor loads it. GIFs
// are made with our GIF library, converted, and the movies read back: header,
// tags, the bitmaps' pixels against frames composed here from the fixtures'
// own description, the delays in movie frames, and the loop as a player runs
// the movie's actions.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include <psapi.h>

#include "tests/gif/anim_test_util.h"
#include "tests/wexbolt/swf_reader.h"
#include "wexbolt/wexbolt.h"

namespace {

namespace fs = std::filesystem;
using animtest::FrameSpec;
using swftest::Bytes;

TGif2SwfProc Gif2Swf() {
  static TGif2SwfProc proc = [] {
    HMODULE dll = ::LoadLibraryA(WEXBOLT_DLL_PATH);
    return dll ? reinterpret_cast<TGif2SwfProc>(reinterpret_cast<void*>(::GetProcAddress(dll, "gif2swf")))
               : nullptr;
  }();
  return proc;
}

std::string Utf8(const fs::path& P) {
  const std::u8string s = P.u8string();
  return std::string(s.begin(), s.end());
}

int Convert(const fs::path& Gif, const fs::path& Swf) {
  return Gif2Swf()(Utf8(Gif).c_str(), Utf8(Swf).c_str(), nullptr);
}

Bytes ReadAll(const fs::path& P) {
  std::ifstream in(P, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}
void WriteAll(const fs::path& P, const Bytes& B) {
  std::ofstream out(P, std::ios::binary);
  out.write(reinterpret_cast<const char*>(B.data()), std::streamsize(B.size()));
}

// A folder of its own under the temporary folder, removed afterwards.
struct TempFolder {
  fs::path path;
  TempFolder() {
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    path = fs::path(base) / ("gif2swf_" + std::to_string(::GetCurrentProcessId()) + "_" +
                             std::to_string(::GetTickCount64()) + "_" + std::to_string(counter()++));
    fs::create_directories(path);
  }
  ~TempFolder() {
    std::error_code ec;
    for (auto& e : fs::recursive_directory_iterator(path, ec))
      ::SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(path, ec);
  }
  std::set<std::string> Names() const {
    std::set<std::string> n;
    for (auto& e : fs::directory_iterator(path)) n.insert(e.path().filename().string());
    return n;
  }
  static int& counter() {
    static int c = 0;
    return c;
  }
};

// ---------------------------------------------------------------------------
// Fixtures: an animation described by its frames, saved by our GIF library.

struct Fixture {
  std::string name;
  int width, height;
  std::vector<TColor> colors;  // global map, 0x00BBGGRR
  std::vector<FrameSpec> frames;
  int loopFrame = -1;          // frame holding the loop block, -1 for none
  int loops = 0;
  std::map<int, std::vector<TColor>> localMaps{};
  int backgroundIndex = 0;
};

Bytes SaveFixture(const Fixture& F) {
  auto img = animtest::MakeImage(F.width, F.height, F.colors, F.frames);
  for (auto& [index, colors] : F.localMaps)
    for (TColor c : colors) img->Frames()->FrameAt(index)->ColorMap()->AppendColor(c);
  img->Header()->SetBackgroundIndex(F.backgroundIndex);
  if (F.loopFrame >= 0) animtest::AddLoop(*img, F.loopFrame, F.loops);
  TMemoryStream s;
  img->SaveGIFStream(&s);
  const auto* p = static_cast<const uint8_t*>(s.Memory());
  return Bytes(p, p + s.Size());
}

uint32_t Rgb(TColor C) { return ((C & 0xFF) << 16) | (C & 0xFF00) | ((C >> 16) & 0xFF); }

// The frames as a viewer shows them, composed from the description alone:
// the screen starts as the background colour; a frame's transparent pixels
// leave what is below; after it, disposal 2 clears its rectangle to the
// background and 3 brings back what was there before it.
std::vector<std::vector<uint32_t>> Composed(const Fixture& F) {
  const uint32_t background = Rgb(F.colors[size_t(F.backgroundIndex)]);
  std::vector<uint32_t> screen(size_t(F.width * F.height), background);
  std::vector<std::vector<uint32_t>> out;
  for (size_t i = 0; i < F.frames.size(); ++i) {
    const FrameSpec& s = F.frames[i];
    const auto local = F.localMaps.find(int(i));
    const std::vector<TColor>& map = local != F.localMaps.end() ? local->second : F.colors;
    const std::vector<uint32_t> before = screen;
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x) {
        const Byte index = s.pixels.empty() ? 0 : s.pixels[size_t(y * s.width + x)];
        if (index == s.transparent || s.left + x >= F.width || s.top + y >= F.height) continue;
        screen[size_t((s.top + y) * F.width + s.left + x)] = Rgb(map[index]);
      }
    out.push_back(screen);
    if (s.disposal == 2)
    {
      for (int y = s.top; y < std::min(F.height, s.top + s.height); ++y)
        for (int x = s.left; x < std::min(F.width, s.left + s.width); ++x) screen[size_t(y * F.width + x)] = background;
    } else if (s.disposal == 3)
      screen = before;
  }
  return out;
}

// How long the editor's playback shows a frame, in hundredths of a second.
int ShownDelay(int Delay) { return Delay <= 0 ? 10 : std::max(Delay, 3); }

std::vector<Byte> Pattern(int W, int H, int Seed, int Colors) {
  std::vector<Byte> p(size_t(W * H));
  for (int i = 0; i < W * H; ++i) p[size_t(i)] = Byte((i * 7 + Seed * 3 + i / W) % Colors);
  return p;
}

const std::vector<TColor> kMap = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x808080, 0x00FFFF, 0xFF00FF};

std::vector<Fixture> Fixtures() {
  std::vector<Fixture> f;
  // Full first frame, then smaller frames placed inside with transparency.
  f.push_back({"keep_transparent", 12, 10, kMap,
               {{0, 0, 12, 10, Pattern(12, 10, 1, 8), 20, 1, -1},
                {3, 2, 5, 4, Pattern(5, 4, 2, 8), 20, 1, 0},
                {6, 5, 6, 5, Pattern(6, 5, 3, 8), 20, 0, 1}},
               0, 0});
  // Restore to background after offset frames; the background shows first.
  f.push_back({"dispose_background", 10, 8, kMap,
               {{2, 1, 4, 3, Pattern(4, 3, 1, 8), 10, 2, -1},
                {5, 4, 5, 4, Pattern(5, 4, 2, 8), 10, 2, 3},
                {0, 0, 3, 3, Pattern(3, 3, 4, 8), 10, 1, -1}},
               0, 0, {}, 5});
  // Restore to previous, after a kept frame and after a cleared one.
  f.push_back({"dispose_previous", 9, 9, kMap,
               {{0, 0, 9, 9, Pattern(9, 9, 5, 8), 10, 1, -1},
                {1, 1, 4, 4, Pattern(4, 4, 6, 8), 10, 3, 2},
                {4, 4, 5, 5, Pattern(5, 5, 7, 8), 10, 2, -1},
                {2, 3, 6, 3, Pattern(6, 3, 8, 8), 10, 3, 4},
                {0, 0, 2, 2, Pattern(2, 2, 9, 8), 10, 0, -1}},
               0, 0});
  // Each frame its own colour table, the same indices in other colours.
  {
    Fixture l{"local_palettes", 8, 6, kMap,
              {{0, 0, 8, 6, Pattern(8, 6, 1, 4), 15, 1, -1},
               {2, 1, 5, 4, Pattern(5, 4, 2, 4), 15, 1, 0},
               {0, 0, 8, 6, Pattern(8, 6, 3, 4), 15, 1, -1}},
              0, 0};
    l.localMaps[0] = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
    l.localMaps[1] = {0x010203, 0x0A0B0C, 0x112233, 0x445566};
    f.push_back(l);
  }
  // Unequal delays, a zero one and one below the shortest the player waits.
  f.push_back({"unequal_delays", 6, 4, kMap,
               {{0, 0, 6, 4, Pattern(6, 4, 1, 8), 7, 1, -1},
                {0, 0, 6, 4, Pattern(6, 4, 2, 8), 21, 1, -1},
                {0, 0, 6, 4, Pattern(6, 4, 3, 8), 0, 1, -1},
                {0, 0, 6, 4, Pattern(6, 4, 4, 8), 2, 1, -1},
                {0, 0, 6, 4, Pattern(6, 4, 5, 8), -1, 1, -1}},
               0, 0});
  // The same picture again: one bitmap shown twice.
  f.push_back({"repeated_picture", 5, 5, kMap,
               {{0, 0, 5, 5, Pattern(5, 5, 1, 8), 50, 1, -1},
                {0, 0, 5, 5, Pattern(5, 5, 2, 8), 100, 1, -1},
                {0, 0, 5, 5, Pattern(5, 5, 1, 8), 50, 1, -1},
                {0, 0, 5, 5, Pattern(5, 5, 1, 8), 50, 1, -1}},
               0, 0});
  // Loops: finite, none, and a loop block on a later frame.
  f.push_back({"three_passes", 4, 4, kMap,
               {{0, 0, 4, 4, Pattern(4, 4, 1, 8), 20, 1, -1}, {0, 0, 4, 4, Pattern(4, 4, 2, 8), 40, 1, -1}},
               0, 3});
  f.push_back({"no_loop_block", 4, 4, kMap,
               {{0, 0, 4, 4, Pattern(4, 4, 1, 8), 20, 1, -1}, {0, 0, 4, 4, Pattern(4, 4, 2, 8), 40, 1, -1}},
               -1, 0});
  f.push_back({"loop_from_second", 4, 4, kMap,
               {{0, 0, 4, 4, Pattern(4, 4, 1, 8), 20, 1, -1},
                {0, 0, 4, 4, Pattern(4, 4, 2, 8), 20, 1, -1},
                {0, 0, 4, 4, Pattern(4, 4, 3, 8), 20, 1, -1}},
               1, 2});
  f.push_back({"single_frame", 7, 3, kMap, {{0, 0, 7, 3, Pattern(7, 3, 1, 8), 0, 0, -1}}, 0, 0});
  return f;
}

// The movie frames a player shows, as pictures, against the composed frames
// each repeated for its delay, over the passes the loop asks for.
void CheckMovie(const Fixture& F, const Bytes& File) {
  swftest::Movie m;
  try {
    m = swftest::Parse(File);
  } catch (const std::exception& e) {
    FAIL() << "movie unreadable: " << e.what();
  }
  EXPECT_EQ(m.signature, "FWS");
  EXPECT_EQ(m.version, 4);
  EXPECT_EQ(m.fileLength, File.size());
  EXPECT_EQ(m.endOffset, File.size());
  EXPECT_EQ(m.xMin, 0);
  EXPECT_EQ(m.yMin, 0);
  EXPECT_EQ(m.xMax, F.width * 20);
  EXPECT_EQ(m.yMax, F.height * 20);
  EXPECT_EQ(m.frameCount, m.frameCharacter.size());
  ASSERT_TRUE(m.backgroundSet);
  EXPECT_EQ(m.tags.front(), 9) << "the background comes first";
  EXPECT_EQ(m.background, Rgb(F.colors[size_t(F.backgroundIndex)]));
  ASSERT_GT(m.rate, 0);
  ASSERT_EQ(25600 % m.rate, 0) << "a movie frame lasts whole hundredths";
  const int tick = 25600 / m.rate;

  const auto composed = Composed(F);
  std::set<std::vector<uint32_t>> distinct(composed.begin(), composed.end());
  EXPECT_EQ(m.bitmaps.size(), distinct.size()) << "one bitmap per distinct picture";
  for (auto& [shape, size] : m.shapeSize) {
    EXPECT_EQ(size.first, F.width * 20);
    EXPECT_EQ(size.second, F.height * 20);
  }

  // Expected pictures per movie frame: the first pass, then the passes from the loop's frame.
  std::vector<const std::vector<uint32_t>*> pass, again;
  for (size_t i = 0; i < composed.size(); ++i) {
    const int delay = ShownDelay(F.frames[i].delay);
    ASSERT_EQ(delay % tick, 0) << "frame " << i << " delay " << delay << " tick " << tick;
    for (int t = 0; t < delay / tick; ++t) {
      pass.push_back(&composed[i]);
      if (F.loopFrame >= 0 && int(i) >= F.loopFrame) again.push_back(&composed[i]);
    }
  }
  const int passes = F.loopFrame < 0 ? 1 : F.loops;
  std::vector<const std::vector<uint32_t>*> expected = pass;
  for (int p = 1; p < (passes == 0 ? 3 : passes); ++p) expected.insert(expected.end(), again.begin(), again.end());

  const swftest::PlayResult played = swftest::Play(m, expected.size() + 5);
  if (passes == 0) {
    EXPECT_FALSE(played.stopped) << "plays forever";
  } else {
    EXPECT_TRUE(played.stopped) << "stops after " << passes << " passes";
  }
  ASSERT_GE(played.frames.size(), expected.size());
  if (passes != 0) {
    EXPECT_EQ(played.frames.size(), expected.size());
  }
  for (size_t k = 0; k < expected.size(); ++k) {
    const int character = m.frameCharacter.at(size_t(played.frames[k]));
    ASSERT_TRUE(m.shapeBitmap.count(character)) << "movie frame " << k << " shows no picture";
    const swftest::Bitmap& b = m.bitmaps.at(m.shapeBitmap.at(character));
    ASSERT_EQ(b.width, F.width);
    ASSERT_EQ(b.height, F.height);
    ASSERT_EQ(b.pixels, *expected[k]) << "movie frame " << k;
  }
}

TEST(Gif2Swf, LibraryExportsTheFunction) { ASSERT_NE(Gif2Swf(), nullptr) << WEXBOLT_DLL_PATH; }

// The most memory the process has held so far.
SIZE_T PeakMemory() {
  PROCESS_MEMORY_COUNTERS c{};
  c.cb = sizeof(c);
  return ::K32GetProcessMemoryInfo(::GetCurrentProcess(), &c, sizeof(c)) ? c.PeakWorkingSetSize : 0;
}

// A few kilobytes of GIF can describe gigabytes of frames, or hours of
// composing, and a few megabytes minutes of reading: such a file is refused
// before its frames are made. (Placed early, while the process's peak memory
// still shows what one conversion takes.)
TEST(Gif2Swf, FramesOfHostileSizesAreRefusedBeforeTheyAreMade) {
  ASSERT_NE(Gif2Swf(), nullptr);
  // One whole frame of W x H in one colour (a few kilobytes), repeated.
  auto bomb = [](int Frames, int W, int H) {
    auto one = animtest::MakeImage(W, H, {clBlack, clWhite}, {{0, 0, W, H, {}, 10, 1, -1}});
    TMemoryStream s;
    one->SaveGIFStream(&s);
    const auto* p = static_cast<const Byte*>(s.Memory());
    const Bytes file(p, p + s.Size());
    const size_t frameAt = 13 + 6;  // header, two colours
    Bytes b(file.begin(), file.begin() + long(frameAt));
    for (int i = 0; i < Frames; ++i) b.insert(b.end(), file.begin() + long(frameAt), file.end() - 1);
    b.push_back(0x3B);
    return b;
  };
  struct Case {
    const char* name;
    Bytes gif;
  } cases[] = {
      {"more one-pixel frames than a movie has frames", [] {
         Bytes b = giftest::Header(4, 4, 1);
         Bytes frame = giftest::Descriptor(0, 0, 1, 1);
         giftest::Append(frame, giftest::TinyData());
         for (int i = 0; i < 1000000; ++i) giftest::Append(b, frame);
         b.push_back(0x3B);
         return b;
       }()},
      {"many large frames", bomb(70, 4000, 4000)},
      {"many small frames on a large screen", [] {
         Bytes b = giftest::Header(4000, 4000, 1);
         for (int i = 0; i < 80; ++i) {
           giftest::Append(b, giftest::Descriptor(unsigned(i), 0, 1, 1));
           giftest::Append(b, giftest::TinyData());
         }
         b.push_back(0x3B);
         return b;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    WriteAll(dir.path / "bomb.gif", c.gif);
    const SIZE_T before = PeakMemory();
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(Convert(dir.path / "bomb.gif", dir.path / "bomb.swf"), 0);
    const ULONGLONG ms = ::GetTickCount64() - start;
    EXPECT_LT(PeakMemory() - before, SIZE_T(256) << 20) << ms << " ms";
    EXPECT_LT(ms, 10000u) << "a refusal takes no time";
    EXPECT_EQ(dir.Names(), std::set<std::string>{"bomb.gif"});
  }
}

TEST(Gif2Swf, MoviesShowTheComposedFramesForTheirDelaysAndLoop) {
  ASSERT_NE(Gif2Swf(), nullptr);
  TempFolder dir;
  for (const Fixture& f : Fixtures()) {
    SCOPED_TRACE(f.name);
    const fs::path gif = dir.path / (f.name + ".gif"), swf = dir.path / (f.name + ".swf");
    WriteAll(gif, SaveFixture(f));
    ASSERT_EQ(Convert(gif, swf), 1);
    CheckMovie(f, ReadAll(swf));
  }
  // Nothing but the GIFs and their movies is left in the folder.
  std::set<std::string> expected;
  for (const Fixture& f : Fixtures()) expected.insert({f.name + ".gif", f.name + ".swf"});
  EXPECT_EQ(dir.Names(), expected);
}

// For the check by independent readers (swf_check.py): the fixtures' GIFs
// and their movies, written into the folder WEXBOLT_SWF_OUT names.
TEST(Gif2SwfExport, WritesFixturesForIndependentReaders) {
  const char* out = std::getenv("WEXBOLT_SWF_OUT");
  if (!out || !*out) GTEST_SKIP() << "WEXBOLT_SWF_OUT not set";
  ASSERT_NE(Gif2Swf(), nullptr);
  const fs::path dir(out);
  fs::create_directories(dir);
  for (const Fixture& f : Fixtures()) {
    SCOPED_TRACE(f.name);
    WriteAll(dir / (f.name + ".gif"), SaveFixture(f));
    ASSERT_EQ(Convert(dir / (f.name + ".gif"), dir / (f.name + ".swf")), 1);
  }
}

// Delays too long for exact movie frames at the rate their divisor gives:
// the rate drops until the movie's 65535 frames hold them, and each frame
// lasts its delay rounded to whole movie frames (at least one).
TEST(Gif2Swf, DelaysBeyondTheMovieFrameCountAreRounded) {
  TempFolder dir;
  Fixture f{"long_delays", 3, 2, kMap,
            {{0, 0, 3, 2, Pattern(3, 2, 1, 8), 65535, 1, -1},
             {0, 0, 3, 2, Pattern(3, 2, 2, 8), 1, 1, -1},
             {0, 0, 3, 2, Pattern(3, 2, 3, 8), 65535, 1, -1}},
            0, 0};
  WriteAll(dir.path / "long.gif", SaveFixture(f));
  ASSERT_EQ(Convert(dir.path / "long.gif", dir.path / "long.swf"), 1);
  const swftest::Movie m = swftest::Parse(ReadAll(dir.path / "long.swf"));
  ASSERT_GT(m.rate, 0);
  ASSERT_EQ(25600 % m.rate, 0);
  const int tick = 25600 / m.rate;
  EXPECT_GT(tick, 1) << "the exact rate would need more than 65535 frames";
  EXPECT_EQ(m.frameCount, m.frameCharacter.size());
  // Runs of movie frames showing one picture, in order.
  std::vector<std::pair<int, int>> runs;
  for (int c : m.frameCharacter)
    if (!runs.empty() && runs.back().first == c)
      ++runs.back().second;
    else
      runs.push_back({c, 1});
  ASSERT_EQ(runs.size(), 3u);
  const int delays[] = {65535, ShownDelay(1), 65535};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_LE(std::abs(runs[size_t(i)].second * tick - delays[i]), tick / 2 + (delays[i] < tick ? tick : 0));
    EXPECT_GE(runs[size_t(i)].second, 1);
  }
  const auto composed = Composed(f);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(m.bitmaps.at(m.shapeBitmap.at(runs[size_t(i)].first)).pixels, composed[size_t(i)]);
}

// Non-ASCII folder and file names, and a target that exists already.
TEST(Gif2Swf, UnicodePathsAndAnExistingTargetIsReplaced) {
  TempFolder dir;
  const fs::path sub = dir.path / fs::path(u8"Bewegte Bilder éè 中文");
  fs::create_directories(sub);
  const Fixture f = Fixtures().front();
  const fs::path gif = sub / fs::path(u8"über.gif"), swf = sub / fs::path(u8"über.swf");
  WriteAll(gif, SaveFixture(f));
  WriteAll(swf, Bytes(5000, 0xAB));
  ASSERT_EQ(Convert(gif, swf), 1);
  CheckMovie(f, ReadAll(swf));
  std::set<std::string> names;
  for (auto& e : fs::directory_iterator(sub)) names.insert(Utf8(e.path().filename()));
  EXPECT_EQ(names, (std::set<std::string>{Utf8(gif.filename()), Utf8(swf.filename())}));
}

// Every failure returns 0 and leaves the folder as it was: no movie, no
// temporary file, and a target that existed keeps its bytes.
TEST(Gif2Swf, FailuresReturnZeroAndWriteNothing) {
  ASSERT_NE(Gif2Swf(), nullptr);
  const Bytes good = SaveFixture(Fixtures()[2]);
  Bytes empty = giftest::Header(4, 4, 1);
  empty.push_back(0x3B);
  // A logical screen of 65535 x 65535 with one pixel in it.
  Bytes huge = giftest::Header(65535, 65535, 1);
  giftest::Append(huge, giftest::Descriptor(0, 0, 1, 1));
  giftest::Append(huge, giftest::TinyData());
  huge.push_back(0x3B);
  Bytes garbage = {'G', 'I', 'F', '8', '9', 'a'};
  for (int i = 0; i < 200; ++i) garbage.push_back(Byte(i * 37 + 11));

  struct Case {
    std::string name;
    std::optional<Bytes> gif;     // none: no GIF file
    std::optional<Bytes> target;  // bytes already at the target
    std::string targetName = "out.swf";
    bool readOnlyTarget = false;
    bool targetIsFolder = false;
  };
  std::vector<Case> cases = {
      {"missing GIF", std::nullopt, std::nullopt},
      {"missing GIF, target kept", std::nullopt, Bytes{1, 2, 3}},
      {"zero-byte file", Bytes{}, std::nullopt},
      {"not GIF data", garbage, Bytes{4, 5, 6}},
      {"no frames", empty, std::nullopt},
      {"screen too large", huge, std::nullopt},
      {"cut inside the header", Bytes(good.begin(), good.begin() + 9), std::nullopt},
      {"cut inside the image data", Bytes(good.begin(), good.begin() + long(good.size() / 2)), Bytes{7}},
      {"cut before the trailer", Bytes(good.begin(), good.end() - 1), std::nullopt},
      {"folder of the target missing", good, std::nullopt, "no such folder/out.swf"},
      {"read-only target", good, Bytes{8, 9}, "out.swf", true},
      {"target is a folder", good, std::nullopt, "out.swf", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    const fs::path gif = dir.path / "in.gif", swf = dir.path / fs::path(c.targetName);
    if (c.gif) WriteAll(gif, *c.gif);
    if (c.target) WriteAll(swf, *c.target);
    if (c.targetIsFolder) fs::create_directories(swf);
    if (c.readOnlyTarget) ::SetFileAttributesW(swf.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::set<std::string> before = dir.Names();
    EXPECT_EQ(Convert(gif, swf), 0);
    EXPECT_EQ(dir.Names(), before);
    if (c.target) {
      EXPECT_EQ(ReadAll(swf), *c.target);
    }
    if (c.targetIsFolder) {
      EXPECT_TRUE(fs::is_directory(swf));
    }
  }
  // A GIF cut anywhere is damaged, even where the library reads the frames
  // before the cut as a shorter animation.
  TempFolder dir;
  const fs::path gif = dir.path / "cut.gif", swf = dir.path / "cut.swf";
  for (size_t length = 1; length < good.size(); ++length) {
    WriteAll(gif, Bytes(good.begin(), good.begin() + long(length)));
    ASSERT_EQ(Convert(gif, swf), 0) << "cut after " << length << " of " << good.size() << " bytes";
    ASSERT_EQ(dir.Names(), std::set<std::string>{"cut.gif"});
  }
  EXPECT_EQ(Gif2Swf()(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(Gif2Swf()("", "", nullptr), 0);
}

// Damaged bytes anywhere in a GIF: no crash; either a refusal that leaves
// nothing behind or a whole, readable movie.
TEST(Gif2Swf, CorruptedBytesGiveAReadableMovieOrNone) {
  TempFolder dir;
  const Bytes good = SaveFixture(Fixtures()[2]);
  const fs::path gif = dir.path / "bad.gif", swf = dir.path / "bad.swf";
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  int written = 0;
  for (int round = 0; round < 200; ++round) {
    Bytes b = good;
    const int flips = 1 + int(next() >> 16) % 4;
    for (int k = 0; k < flips; ++k) b[(next() >> 8) % b.size()] = Byte(next() >> 16);
    WriteAll(gif, b);
    std::error_code ec;
    fs::remove(swf, ec);
    const int result = Convert(gif, swf);
    SCOPED_TRACE(round);
    if (result == 1) {
      ++written;
      EXPECT_NO_THROW(swftest::Parse(ReadAll(swf)));
    } else {
      ASSERT_EQ(result, 0);
      EXPECT_EQ(dir.Names(), std::set<std::string>{"bad.gif"});
    }
  }
  std::printf("%d of 200 damaged GIFs still gave a movie\n", written);
}

// 100 frames of 500 x 500, each different: the time is reported.
TEST(Gif2Swf, HundredLargeFramesConvertInReasonableTime) {
  TempFolder dir;
  std::vector<TColor> colors;
  for (int i = 0; i < 256; ++i) colors.push_back(TColor((i * 0x010305) & 0xFFFFFF));
  std::vector<FrameSpec> frames;
  for (int i = 0; i < 100; ++i) {
    FrameSpec s{0, 0, 500, 500, std::vector<Byte>(500 * 500), 10, 1, -1};
    for (int y = 0; y < 500; ++y)
      for (int x = 0; x < 500; ++x) s.pixels[size_t(y * 500 + x)] = Byte(((x + i * 5) / 8 + (y / 8) * 3) & 0xFF);
    frames.push_back(std::move(s));
  }
  auto img = animtest::MakeImage(500, 500, colors, frames);
  TMemoryStream s;
  img->SaveGIFStream(&s);
  const auto* p = static_cast<const uint8_t*>(s.Memory());
  WriteAll(dir.path / "big.gif", Bytes(p, p + s.Size()));
  const ULONGLONG start = ::GetTickCount64();
  ASSERT_EQ(Convert(dir.path / "big.gif", dir.path / "big.swf"), 1);
  const ULONGLONG ms = ::GetTickCount64() - start;
  const Bytes movie = ReadAll(dir.path / "big.swf");
  std::printf("100 frames of 500 x 500: %llu ms, GIF %lld bytes, movie %zu bytes\n", ms, (long long)s.Size(),
              movie.size());
  const swftest::Movie m = swftest::Parse(movie);
  EXPECT_EQ(m.bitmaps.size(), 100u);
  EXPECT_EQ(m.frameCount, 100);
  EXPECT_LT(ms, 30000u);
}

}  // namespace
