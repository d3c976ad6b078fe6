// The editor's document routines: file types, loading and saving with the
// editor's messages, frames from bitmaps under the palette settings, the loop
// and graphic control extensions, tidying before output, frame sizes, and the
// edit-field and scroll-box helpers.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/AppFileUtils.h"
#include "app/GifRoutines.h"
#include "imaging/views/ruzozad.h"
#include "platform/ExtCtrls.h"
#include "platform/Registry.h"
#include "platform/StdCtrls.h"
#include "tests/app/routines_support.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

using routinestest::AddSolidFrame;
using routinestest::FrameColorAt;
using routinestest::SolidBitmap;
using routinestest::TMessageLog;
using routinestest::TScratchFolder;

namespace {

const std::string RoutinesLoadError(const std::string& Path) {
  return "Error loading " + Path + "! GIF Fluxmere does not support the file type or it is a corrupted file.";
}
const std::string RoutinesSaveError(const std::string& Path) { return "Error saving file! Unable to save " + Path + " to disk."; }
// A message with its cause: the fixed text, a blank line, the cause.
const std::string RoutinesWithCause(const std::string& Text, const std::string& Cause) { return Text + "\n\n" + Cause; }

// The settings key emptied before and after a test.
struct TRoutinesCleanSettings {
  TRoutinesCleanSettings() { Clear(); }
  ~TRoutinesCleanSettings() { Clear(); }
  static void Clear() {
    TRegistry r;
    r.SetRootKey(HKEY_CURRENT_USER);
    r.DeleteKey(std::string("\\") + GifSettingsKey);
  }
  static void Put(const std::string& Name, const std::string& Value) {
    TRegistry r;
    r.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(r.OpenKey(GifSettingsKey, true));
    r.WriteString(Name, Value);
  }
  static std::string Get(const std::string& Name) {
    TRegistry r;
    r.SetRootKey(HKEY_CURRENT_USER);
    if (!r.OpenKey(GifSettingsKey, false)) return "<no key>";
    return r.ValueExists(Name) ? r.ReadString(Name) : "<none>";
  }
};

// Kinds of extension in a frame's list, in order: L loop, G graphic control,
// C comment, ? other.
std::string RoutinesExtKinds(TGIFSubImage* Frame) {
  std::string kinds;
  for (Integer j = 0; j < Frame->Extensions()->ItemCount(); ++j) {
    TGIFExtension* e = Frame->Extensions()->ExtensionAt(j);
    kinds += dynamic_cast<TGIFAppExtNSLoop*>(e)               ? 'L'
             : dynamic_cast<TGIFGraphicControlExtension*>(e) ? 'G'
             : dynamic_cast<TGIFCommentExtension*>(e)        ? 'C'
                                                              : '?';
  }
  return kinds;
}

TGIFGraphicControlExtension* RoutinesAppendControl(TGIFSubImage* Frame, Word Delay) {
  auto gce = std::make_unique<TGIFGraphicControlExtension>(Frame);
  gce->SetFrameDelay(Delay);
  auto* raw = gce.get();
  Frame->Extensions()->Append(std::move(gce));
  return raw;
}

TGIFAppExtNSLoop* RoutinesAppendLoop(TGIFSubImage* Frame, Word Loops) {
  auto loop = std::make_unique<TGIFAppExtNSLoop>(Frame);
  loop->SetLoops(Loops);
  auto* raw = loop.get();
  Frame->Extensions()->Append(std::move(loop));
  return raw;
}

// ---------------------------------------------------------------------------
TEST(RoutinesFileTypes, ExtensionTable) {
  struct {
    const char* name;
    Integer type;
  } cases[] = {
      {"a.JPEG", gftUnknown}, {"pic.Gif", gftGif},     {"clip.avi", gftAvi},  {"noextension", gftUnknown},
      {"C:\\x.gif\\file", gftUnknown}, {"C:\\dir\\p.PNG", gftPng}, {"w.wmf", gftWmf}, {"s.wpg", 17},
      {"t.tif", 15},          {"e.emf", gftUnknown},  {"z.jif", 3},          {"star.*", gftUnknown},
  };
  for (const auto& c : cases) EXPECT_EQ(FileTypeFromExtension(c.name), c.type) << c.name;
}

// ---------------------------------------------------------------------------
TEST(RoutinesSettings, ReadsStringsWithDefaults) {
  TRoutinesCleanSettings clean;
  // No key at all: every value takes its default.
  TPaletteSettings none = LoadPaletteSettings();
  EXPECT_EQ(none.PaletteType, 2);
  EXPECT_EQ(none.MaxColorCount, 256);
  EXPECT_EQ(none.DitherMethod, 0);
  EXPECT_EQ(none.MaxImportCount, 256);
  EXPECT_FALSE(none.PaletteDefaults);

  TRoutinesCleanSettings::Put("PaletteType", "0");
  TRoutinesCleanSettings::Put("MaxColorCount", "sixty");
  TRoutinesCleanSettings::Put("DitherMethod", "1");
  TRoutinesCleanSettings::Put("MaxImportCount", "");
  TRoutinesCleanSettings::Put("PaletteDefaults", "1");
  TPaletteSettings s = LoadPaletteSettings();
  EXPECT_EQ(s.PaletteType, 0);
  EXPECT_EQ(s.MaxColorCount, 256);  // not a number
  EXPECT_EQ(s.DitherMethod, 1);
  EXPECT_EQ(s.MaxImportCount, 256);  // empty
  EXPECT_TRUE(s.PaletteDefaults);

  struct {
    const char* stored;
    bool flag;
  } flags[] = {{"1", true}, {"0", false}, {"yes", false}, {"11", false}, {"", false}};
  for (const auto& f : flags) {
    TRoutinesCleanSettings::Put("ClipFrame", f.stored);
    EXPECT_EQ(ReadSettingFlag("ClipFrame", true), f.flag) << f.stored;
  }
  // A value of another registry type cannot be read as a string: the default.
  {
    TRegistry r;
    r.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(r.OpenKey(GifSettingsKey, true));
    r.WriteInteger("MaxColorCount", 64);
    r.WriteInteger("ClipDefault", 1);
  }
  EXPECT_EQ(ReadSettingInt("MaxColorCount", 77), 77);
  EXPECT_TRUE(ReadSettingFlag("ClipDefault", true));
  EXPECT_TRUE(ReadSettingFlag("Missing", true));
  EXPECT_EQ(ReadSettingInt("Missing", -3), -3);
}

TEST(RoutinesSettings, WritesStringsTheReadersRead) {
  TRoutinesCleanSettings clean;
  WriteSettingFlag("ClipDefault", true);
  WriteSettingFlag("ClipFrame", false);
  WriteSettingInt("MaxColorCount", 64);
  WriteSettingInt("PaletteType", -1);
  EXPECT_EQ(TRoutinesCleanSettings::Get("ClipDefault"), "1");
  EXPECT_EQ(TRoutinesCleanSettings::Get("ClipFrame"), "0");
  EXPECT_EQ(TRoutinesCleanSettings::Get("MaxColorCount"), "64");
  EXPECT_TRUE(ReadSettingFlag("ClipDefault", false));
  EXPECT_FALSE(ReadSettingFlag("ClipFrame", true));
  EXPECT_EQ(ReadSettingInt("MaxColorCount", 256), 64);
  EXPECT_EQ(ReadSettingInt("PaletteType", 2), -1);
}

TEST(RoutinesSettings, ReductionSettingsTable) {
  struct {
    Integer type, dither, colors;
    TGIFColorReduction reduction;
    Integer depth;
    TGIFDitherKind kind;
    bool optimize;
  } cases[] = {
      {0, 1, 256, rdQuantize, 8, dkFloydSteinberg, true},
      {2, 0, 8, rdQuantize, 3, dkNearest, false},
      {0, 0, 32, rdQuantize, 5, dkNearest, true},
      {2, 1, 100, rdQuantize, 6, dkFloydSteinberg, false},  // odd count: the depth stays
      {1, 0, 16, rdNetscape, 8, dkNearest, true},
      {7, 5, 16, rdGrayScale, 6, dkStucki, false},  // unknown type and dither: nothing changes
  };
  for (const auto& c : cases) {
    TGIFImage doc;
    doc.SetColorReduction(rdGrayScale);
    doc.SetColorDepthLimit(6);
    doc.SetDitherKind(dkStucki);
    EXPECT_EQ(ApplyPaletteSettings(&doc, c.type, c.dither, c.colors), c.optimize) << c.type << "/" << c.colors;
    EXPECT_EQ(doc.ColorReduction(), c.reduction) << c.type << "/" << c.colors;
    EXPECT_EQ(doc.ColorDepthLimit(), c.depth) << c.type << "/" << c.colors;
    EXPECT_EQ(doc.DitherKind(), c.kind) << c.type << "/" << c.colors;
  }
}

// ---------------------------------------------------------------------------
TEST(RoutinesFrames, FirstBitmapStartsTheAnimation) {
  TRoutinesCleanSettings clean;
  TGIFImage doc;
  auto red = SolidBitmap(20, 10, clRed);
  EXPECT_EQ(AddBitmapAsFrame(&doc, red.get(), 0), 0);
  TGIFSubImage* first = doc.Frames()->FrameAt(0);
  EXPECT_EQ(RoutinesExtKinds(first), "LG");
  EXPECT_EQ(GetLoopCount(&doc), 0);
  ASSERT_NE(first->GraphicControl(), nullptr);
  EXPECT_EQ(first->GraphicControl()->FrameDelay(), 100);
  EXPECT_EQ(first->GraphicControl()->DisposalMethod(), dpBackground);
  EXPECT_GT(doc.GlobalColorMap()->Count(), 0);
  EXPECT_EQ(FrameColorAt(&doc, 0), static_cast<TColor>(clRed));
  // A deep bitmap sets Floyd-Steinberg quantisation whatever the settings say.
  EXPECT_EQ(doc.ColorReduction(), rdQuantize);
  EXPECT_EQ(doc.DitherKind(), dkFloydSteinberg);

  auto blue = SolidBitmap(20, 10, clBlue);
  EXPECT_EQ(AddBitmapAsFrame(&doc, blue.get(), 1), 1);
  EXPECT_EQ(RoutinesExtKinds(doc.Frames()->FrameAt(1)), "");
  EXPECT_EQ(RoutinesExtKinds(doc.Frames()->FrameAt(0)), "LG");
  EXPECT_EQ(FrameColorAt(&doc, 0), static_cast<TColor>(clRed));
  EXPECT_EQ(FrameColorAt(&doc, 1), static_cast<TColor>(clBlue));
}

TEST(RoutinesFrames, PositionInsertsOrAppends) {
  TRoutinesCleanSettings clean;
  const TColor colors[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF};
  struct {
    Integer position, index;
    std::vector<TColor> order;
  } cases[] = {
      {2, 2, {colors[0], colors[1], colors[3], colors[2]}},
      {3, 3, {colors[0], colors[1], colors[2], colors[3]}},
      {9, 3, {colors[0], colors[1], colors[2], colors[3]}},
      {0, 0, {colors[3], colors[0], colors[1], colors[2]}},
  };
  for (const auto& c : cases) {
    TGIFImage doc;
    for (int i = 0; i < 3; ++i) AddBitmapAsFrame(&doc, SolidBitmap(8, 8, colors[i]).get(), i);
    EXPECT_EQ(AddBitmapAsFrame(&doc, SolidBitmap(8, 8, colors[3]).get(), c.position), c.index) << c.position;
    ASSERT_EQ(doc.Frames()->ItemCount(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(FrameColorAt(&doc, i), c.order[size_t(i)]) << c.position << " frame " << i;
    // The loop block stays on frame 0 only.
    EXPECT_TRUE(HasLoopExtension(&doc)) << c.position;
  }
}

TEST(RoutinesFrames, PalettedBitmapKeepsItsIndicesAndSettingsDecideOptimising) {
  // A 4-bit bitmap keeps its colour table; with "PaletteType" 2 the maps are
  // left as they are, with 0 they are merged into one global map.
  for (const char* type : {"2", "0"}) {
    TRoutinesCleanSettings clean;
    TRoutinesCleanSettings::Put("PaletteType", type);
    TGIFImage doc;
    doc.SetColorReduction(rdWindows20);
    auto a = SolidBitmap(6, 6, clLime, pf4bit);
    auto b = SolidBitmap(6, 6, clMaroon, pf4bit);
    AddBitmapAsFrame(&doc, a.get(), 0);
    AddBitmapAsFrame(&doc, b.get(), 1);
    EXPECT_EQ(doc.ColorReduction(), rdWindows20) << type;  // shallow bitmaps leave the reduction
    EXPECT_EQ(FrameColorAt(&doc, 0), static_cast<TColor>(clLime)) << type;
    EXPECT_EQ(FrameColorAt(&doc, 1), static_cast<TColor>(clMaroon)) << type;
    const bool merged = doc.Frames()->FrameAt(1)->ColorMap()->Count() == 0;
    EXPECT_EQ(merged, std::string(type) == "0") << type;
  }
}

TEST(RoutinesFrames, SeveralFramesCountsOnlyNonEmptyOnes) {
  TGIFImage doc;
  EXPECT_FALSE(HasSeveralFrames(&doc));
  AddSolidFrame(&doc, 4, 4, clRed);
  doc.AddFrame(std::make_unique<TGIFSubImage>(&doc));  // empty
  EXPECT_FALSE(HasSeveralFrames(&doc));
  AddSolidFrame(&doc, 4, 4, clBlue);
  EXPECT_TRUE(HasSeveralFrames(&doc));
}

// ---------------------------------------------------------------------------
TEST(RoutinesExtensions, LoopCountRoundTrips) {
  TGIFImage doc;
  EXPECT_EQ(GetLoopCount(&doc), 1);
  SetLoopCount(&doc, 3);  // no frames: nothing
  EXPECT_FALSE(HasLoopExtension(&doc));
  AddSolidFrame(&doc, 4, 4, clRed);
  AddSolidFrame(&doc, 4, 4, clBlue);
  EXPECT_EQ(GetLoopCount(&doc), 1);

  SetLoopCount(&doc, 3);
  EXPECT_EQ(GetLoopCount(&doc), 3);
  EXPECT_EQ(RoutinesExtKinds(doc.Frames()->FrameAt(0)), "L");
  SetLoopCount(&doc, 0);
  EXPECT_EQ(GetLoopCount(&doc), 0);
  SetLoopCount(&doc, 1);
  EXPECT_FALSE(HasLoopExtension(&doc));
  EXPECT_EQ(GetLoopCount(&doc), 1);

  // Two loop blocks: both get the count; count 1 removes the last of them.
  RoutinesAppendLoop(doc.Frames()->FrameAt(0), 7);
  RoutinesAppendLoop(doc.Frames()->FrameAt(0), 9);
  EXPECT_EQ(GetLoopCount(&doc), 9);
  SetLoopCount(&doc, 4);
  EXPECT_EQ(GetLoopCount(&doc), 4);
  SetLoopCount(&doc, 1);
  EXPECT_EQ(RoutinesExtKinds(doc.Frames()->FrameAt(0)), "L");
}

TEST(RoutinesExtensions, LoopBlockGoesFirstAndOnlyWhereAsked) {
  TGIFImage doc;
  TGIFSubImage* f0 = AddSolidFrame(&doc, 4, 4, clRed);
  AddCommentExtension(f0, "made by\r\nhand");
  EnsureGraphicControl(f0, 25);
  AddLoopExtension(&doc, 0, 5);
  EXPECT_EQ(RoutinesExtKinds(f0), "LCG");
  AddLoopExtension(&doc, 0, 1);   // count 1: no block
  AddLoopExtension(&doc, 4, 2);   // no frame 4
  AddLoopExtension(&doc, -1, 2);
  EXPECT_EQ(RoutinesExtKinds(f0), "LCG");
  auto* comment = dynamic_cast<TGIFCommentExtension*>(f0->Extensions()->ExtensionAt(1));
  ASSERT_NE(comment, nullptr);
  EXPECT_EQ(comment->Lines()->Count(), 2);
  EXPECT_EQ(comment->Lines()->Strings(1), "hand");
}

TEST(RoutinesExtensions, GraphicControlAndDisposal) {
  TGIFImage doc;
  TGIFSubImage* f = AddSolidFrame(&doc, 4, 4, clRed);
  SetFrameDisposal(f, dpPrevious);
  ASSERT_NE(f->GraphicControl(), nullptr);
  EXPECT_EQ(f->GraphicControl()->DisposalMethod(), dpPrevious);
  EXPECT_EQ(f->GraphicControl()->FrameDelay(), 0);
  // An existing block keeps its disposal; the delay is stored in 16 bits.
  EnsureGraphicControl(f, 70000);
  EXPECT_EQ(RoutinesExtKinds(f), "G");
  EXPECT_EQ(f->GraphicControl()->DisposalMethod(), dpPrevious);
  EXPECT_EQ(f->GraphicControl()->FrameDelay(), 70000 & 0xFFFF);
  TGIFSubImage* g = AddSolidFrame(&doc, 4, 4, clBlue);
  EnsureGraphicControl(g, 12);
  EXPECT_EQ(g->GraphicControl()->DisposalMethod(), dpBackground);
  EXPECT_EQ(g->GraphicControl()->FrameDelay(), 12);
}

TEST(RoutinesExtensions, MovingFramesKeepsTheLoopOnFrameZero) {
  struct {
    Integer from, to;
    std::vector<TColor> order;
  } cases[] = {
      {0, 2, {clLime, clBlue, clRed}},
      {2, 0, {clBlue, clRed, clLime}},
      {1, 2, {clRed, clBlue, clLime}},
      {-1, 2, {clRed, clLime, clBlue}},
      {0, 7, {clRed, clLime, clBlue}},  // outside the list: nothing moves
  };
  for (const auto& c : cases) {
    TGIFImage doc;
    AddSolidFrame(&doc, 4, 4, clRed);
    AddSolidFrame(&doc, 4, 4, clLime);
    AddSolidFrame(&doc, 4, 4, clBlue);
    SetLoopCount(&doc, 6);
    EnsureGraphicControl(doc.Frames()->FrameAt(0), 30);
    MoveFrame(c.from, c.to, &doc);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(FrameColorAt(&doc, i), c.order[size_t(i)]) << c.from << "->" << c.to << " frame " << i;
    EXPECT_EQ(GetLoopCount(&doc), 6) << c.from << "->" << c.to;
    for (int i = 1; i < 3; ++i)
      EXPECT_EQ(RoutinesExtKinds(doc.Frames()->FrameAt(i)).find('L'), std::string::npos) << c.from << "->" << c.to;
  }
  MoveFrame(0, 1, nullptr);
}

// ---------------------------------------------------------------------------
TEST(RoutinesPrepare, KeepsOneControlBlockPerFrame) {
  TGIFImage doc;
  TGIFSubImage* f = AddSolidFrame(&doc, 4, 4, clRed);
  TGIFGraphicControlExtension* first = RoutinesAppendControl(f, 10);
  RoutinesAppendControl(f, 20);
  RoutinesAppendControl(f, 30);
  ASSERT_EQ(f->GraphicControl(), first);
  PrepareGifForOutput(&doc, false, 0);
  EXPECT_EQ(RoutinesExtKinds(f), "G");
  auto* kept = dynamic_cast<TGIFGraphicControlExtension*>(f->Extensions()->ExtensionAt(0));
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->FrameDelay(), 30);
  // The cached block was one of those removed.
  EXPECT_EQ(f->GraphicControl(), nullptr);
}

TEST(RoutinesPrepare, LoopBlocksEndOnFrameZero) {
  // A loop block on a later frame moves to frame 0 with the given count.
  {
    TGIFImage doc;
    AddSolidFrame(&doc, 4, 4, clRed);
    TGIFSubImage* f2 = AddSolidFrame(&doc, 4, 4, clBlue);
    RoutinesAppendLoop(f2, 9);
    PrepareGifForOutput(&doc, false, 4);
    EXPECT_EQ(RoutinesExtKinds(f2), "");
    EXPECT_EQ(RoutinesExtKinds(doc.Frames()->FrameAt(0)), "L");
    EXPECT_EQ(GetLoopCount(&doc), 4);
  }
  // Frame 0 has its own: it stays alone and keeps its count (a second block
  // would contradict it in the file).
  {
    TGIFImage doc;
    AddSolidFrame(&doc, 4, 4, clRed);
    TGIFSubImage* f2 = AddSolidFrame(&doc, 4, 4, clBlue);
    SetLoopCount(&doc, 3);
    RoutinesAppendLoop(f2, 9);
    PrepareGifForOutput(&doc, false, 0);
    EXPECT_EQ(RoutinesExtKinds(doc.Frames()->FrameAt(0)), "L");
    EXPECT_EQ(RoutinesExtKinds(f2), "");
    EXPECT_EQ(GetLoopCount(&doc), 3);
  }
}

TEST(RoutinesPrepare, TransparencyRulesBySaveAndPlayMode) {
  struct {
    bool playMode;
    Integer frameWidth;  // of frame 1, on a 10-wide screen
    Byte disposal;
  } cases[] = {{false, 10, dpBackground}, {false, 6, dpKeep}, {true, 10, dpKeep}};
  for (const auto& c : cases) {
    TGIFImage doc;
    TGIFSubImage* f0 = AddSolidFrame(&doc, 10, 10, clRed);
    TGIFSubImage* f1 = AddSolidFrame(&doc, c.frameWidth, 10, clBlue);
    for (TGIFSubImage* f : {f0, f1}) {
      SetFrameDisposal(f, dpKeep);
      f->GraphicControl()->SetUsesTransparentIndex(true);
    }
    PrepareGifForOutput(&doc, c.playMode, 0);
    EXPECT_EQ(f0->GraphicControl()->DisposalMethod(), dpKeep) << c.playMode << "/" << c.frameWidth;
    EXPECT_EQ(f1->GraphicControl()->DisposalMethod(), c.disposal) << c.playMode << "/" << c.frameWidth;
  }
}

TEST(RoutinesPrepare, GlobalMapAndPlayBackground) {
  auto saved = GifRoutinesTransparentColor;
  GifRoutinesTransparentColor = [] { return static_cast<TColor>(0x123456); };
  {
    TGIFImage doc;
    AddSolidFrame(&doc, 10, 10, clRed);
    TGIFSubImage* small = AddSolidFrame(&doc, 4, 4, clBlue);
    SetFrameDisposal(small, dpKeep);
    small->GraphicControl()->SetUsesTransparentIndex(true);
    doc.Frames()->MoveItem(1, 0);  // the small transparent frame first
    PrepareGifForOutput(&doc, false, 0);
    EXPECT_EQ(doc.GlobalColorMap()->Count(), 216);  // filled with the 216-colour palette
    EXPECT_NE(doc.BackgroundColor() & 0xFFFFFF, 0x123456);  // save mode leaves the background
    PrepareGifForOutput(&doc, true, 0);
    EXPECT_EQ(doc.BackgroundColor() & 0xFFFFFF, 0x123456);
  }
  // No swatch colour (clNone) puts nothing into the map.
  GifRoutinesTransparentColor = [] { return clNone; };
  {
    TGIFImage doc;
    AddSolidFrame(&doc, 10, 10, clRed);
    TGIFSubImage* small = AddSolidFrame(&doc, 4, 4, clBlue);
    SetFrameDisposal(small, dpKeep);
    small->GraphicControl()->SetUsesTransparentIndex(true);
    doc.Frames()->MoveItem(1, 0);
    PrepareGifForOutput(&doc, true, 0);
    EXPECT_EQ(doc.GlobalColorMap()->Count(), 216);
  }
  GifRoutinesTransparentColor = saved;
  TGIFImage empty;
  PrepareGifForOutput(&empty, false, 0);
  EXPECT_EQ(empty.GlobalColorMap()->Count(), 0);
}

// ---------------------------------------------------------------------------
TEST(RoutinesLoadSave, LoadGifFileReportsTheCauseAndKeepsTheDocument) {
  TScratchFolder folder("load");
  TGIFImage doc;
  AddSolidFrame(&doc, 5, 5, clRed);
  AddSolidFrame(&doc, 5, 5, clBlue);
  const std::string good = folder / "good.gif";
  doc.SaveToFile(good);
  const std::string damaged = folder / "damaged.gif";
  routinestest::WriteBytes(damaged, routinestest::ReadBytes(good).substr(0, 20));
  const std::string notGif = folder / "text.gif";
  routinestest::WriteBytes(notGif, "this is no picture at all");
  const std::string empty = folder / "empty.gif";
  routinestest::WriteBytes(empty, "");
  const std::string missing = folder / "missing.gif";
  // Held open by another without sharing: no reader may open it, even as root.
  const std::string locked = folder / "locked.gif";
  routinestest::WriteBytes(locked, routinestest::ReadBytes(good));
  HANDLE holder = ::CreateFileW(Utf8ToWide(locked).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);

  // The reader's own words for each; the message must carry them after the fixed text.
  std::string truncatedCause, notGifCause, emptyCause, lockedCause;
  for (auto [file, cause] : {std::pair{damaged, &truncatedCause}, std::pair{notGif, &notGifCause},
                             std::pair{empty, &emptyCause}, std::pair{locked, &lockedCause}}) {
    try {
      TGIFImage probe;
      probe.LoadFromFile(file);
    } catch (const Exception& E) {
      *cause = E.Message();
    }
    EXPECT_FALSE(cause->empty()) << file << " loads without an error";
  }
  EXPECT_EQ(lockedCause, "Cannot open file \"" + locked + "\". " + SysErrorMessage(ERROR_SHARING_VIOLATION));

  struct {
    std::string file, cause;
  } cases[] = {
      {damaged, truncatedCause}, {notGif, notGifCause},   {empty, emptyCause},
      {missing, "The file was not found."}, {locked, lockedCause},
  };
  for (const auto& c : cases) {
    TGIFImage target;
    AddSolidFrame(&target, 3, 3, clLime);
    TMessageLog log;
    EXPECT_FALSE(LoadGifFile(&target, c.file)) << c.file;
    ASSERT_EQ(log.Boxes.size(), 1u) << c.file;
    EXPECT_EQ(log.Boxes[0].Text, RoutinesWithCause(RoutinesLoadError(c.file), c.cause));
    EXPECT_EQ(log.Boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
    ASSERT_EQ(target.Frames()->ItemCount(), 1) << c.file;
    EXPECT_EQ(FrameColorAt(&target, 0), static_cast<TColor>(clLime)) << c.file;
  }
  ::CloseHandle(holder);
  TGIFImage loaded;
  TMessageLog log;
  EXPECT_TRUE(LoadGifFile(&loaded, good));
  EXPECT_TRUE(log.Boxes.empty());
  EXPECT_EQ(loaded.Frames()->ItemCount(), 2);
}

TEST(RoutinesLoadSave, LoadImageAsBitmapByType) {
  TScratchFolder folder("img");
  const std::string bmp = folder / "pic.bmp";
  SolidBitmap(7, 5, clRed)->SaveToFile(bmp);
  const std::string badBmp = folder / "bad.bmp";
  routinestest::WriteBytes(badBmp, "BM nothing");
  const std::string unknown = folder / "notes.xyz";
  routinestest::WriteBytes(unknown, "abc");
  const std::string single = folder / "single.gif";
  const std::string multi = folder / "multi.gif";
  {
    TGIFImage doc;
    AddSolidFrame(&doc, 6, 4, clBlue);
    doc.SaveToFile(single);
    AddSolidFrame(&doc, 6, 4, clLime);
    doc.SaveToFile(multi);
  }

  struct {
    std::string file;
    bool whole;
    Integer result;
    std::string message;  // empty: none
    Integer width;        // of the bitmap afterwards (3: left as it was)
    TColor color;
  } cases[] = {
      {folder / "gone.bmp", false, -1, RoutinesWithCause(RoutinesLoadError(folder / "gone.bmp"), "The file was not found."),
       3, clWhite},
      {unknown, false, -1, "notes.xyz is an unrecognized file type!", 3, clWhite},
      {bmp, false, 0, "", 7, clRed},
      {badBmp, false, -1, "", 3, clWhite},
      {single, false, 0, "", 6, clBlue},
      {multi, false, 0, "", 3, clWhite},
      {multi, true, 0, "", 6, clBlue},
  };
  for (const auto& c : cases) {
    auto bitmap = SolidBitmap(3, 3, clWhite);
    TMessageLog log;
    EXPECT_EQ(LoadImageAsBitmap(c.file, bitmap.get(), FileTypeFromExtension(c.file), c.whole), c.result) << c.file;
    if (c.message.empty())
      EXPECT_TRUE(log.Boxes.empty()) << c.file;
    else
      EXPECT_EQ(log.Texts(), std::vector<std::string>{c.message}) << c.file;
    EXPECT_EQ(bitmap->Width(), c.width) << c.file;
    EXPECT_EQ(bitmap->Canvas()->Pixels(0, 0) & 0xFFFFFF, c.color) << c.file;
  }
}

TEST(RoutinesLoadSave, OtherPicturesGoThroughTheImageComponent) {
  TScratchFolder folder("png");
  // A PNG of known colours.
  const std::string png = folder / "pic.png";
  {
    auto source = SolidBitmap(9, 4, clRed);
    source->Canvas()->Brush()->SetColor(clBlue);
    source->Canvas()->FillRect(Rect(5, 0, 9, 4));
    ASSERT_TRUE(SaveBitmapAsPng(source.get(), png));
  }
  const std::string damaged = folder / "damaged.png";
  routinestest::WriteBytes(damaged, routinestest::ReadBytes(png).substr(0, 30));
  // In the editor's table but without a reader in the image library.
  const std::string dcx = folder / "pic.dcx";
  routinestest::WriteBytes(dcx, routinestest::ReadBytes(png));

  TRuzozAd shared(nullptr);
  for (TRuzozAd* component : {static_cast<TRuzozAd*>(nullptr), &shared}) {
    GifRoutinesImageComponent = component;
    auto bitmap = SolidBitmap(3, 3, clWhite);
    TMessageLog log;
    ASSERT_EQ(LoadImageAsBitmap(png, bitmap.get(), gftPng, false), 0);
    EXPECT_EQ(bitmap->Width(), 9);
    EXPECT_EQ(bitmap->Height(), 4);
    EXPECT_EQ(bitmap->Canvas()->Pixels(1, 1) & 0xFFFFFF, static_cast<TColor>(clRed));
    EXPECT_EQ(bitmap->Canvas()->Pixels(7, 2) & 0xFFFFFF, static_cast<TColor>(clBlue));
    // Failures are silent and leave the bitmap; none of them hands over the
    // picture loaded before.
    for (const std::string& bad : {damaged, dcx}) {
      auto other = SolidBitmap(3, 3, clWhite);
      EXPECT_EQ(LoadImageAsBitmap(bad, other.get(), FileTypeFromExtension(bad), false), -1) << bad;
      EXPECT_EQ(other->Width(), 3) << bad;
    }
    EXPECT_TRUE(log.Boxes.empty());
  }
  GifRoutinesImageComponent = nullptr;
}

TEST(RoutinesLoadSave, SaveWritesOnlyWhereAllowedAndRoundTrips) {
  TScratchFolder folder("save");
  TGIFImage doc;
  AddSolidFrame(&doc, 8, 6, clRed);
  AddSolidFrame(&doc, 8, 6, clBlue);
  EnsureGraphicControl(doc.Frames()->FrameAt(1), 40);
  SetLoopCount(&doc, 3);

  const std::string target = folder / "out.gif";
  {
    TMessageLog log;
    EXPECT_FALSE(SaveGifFile(&doc, target, true, false));  // missing and not forced
    EXPECT_EQ(log.Texts(), std::vector<std::string>{RoutinesWithCause(RoutinesSaveError(target), "The file was not found.")});
    EXPECT_FALSE(FileExists(target));
  }
  {
    TMessageLog log;
    EXPECT_TRUE(SaveGifFile(&doc, target, true, true));
    EXPECT_TRUE(log.Boxes.empty());
  }
  EXPECT_EQ(FileSizeOf(target), EncodedSize(&doc));
  TGIFImage back;
  back.LoadFromFile(target);
  ASSERT_EQ(back.Frames()->ItemCount(), 2);
  EXPECT_EQ(GetLoopCount(&back), 3);
  ASSERT_NE(back.Frames()->FrameAt(1)->GraphicControl(), nullptr);
  EXPECT_EQ(back.Frames()->FrameAt(1)->GraphicControl()->FrameDelay(), 40);
  EXPECT_EQ(FrameColorAt(&back, 1), static_cast<TColor>(clBlue));

  // An existing file is replaced without force; nothing else is left in the folder.
  AddSolidFrame(&doc, 8, 6, clLime);
  EXPECT_TRUE(SaveGifFile(&doc, target, true, false));
  TGIFImage again;
  again.LoadFromFile(target);
  EXPECT_EQ(again.Frames()->ItemCount(), 3);
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"out.gif"});
}

// A document whose writing fails after some bytes, as a full disk would.
class TRoutinesBrokenWriteGif : public TGIFImage {
 public:
  void SaveToStream(TStream* Stream) override {
    Stream->WriteBuffer("GIF89a", 6);
    throw EWriteError("Stream write error");
  }
};

TEST(RoutinesLoadSave, FailedSaveLeavesTheOldFileAndSaysWhy) {
  TScratchFolder folder("fail");
  TGIFImage doc;
  AddSolidFrame(&doc, 8, 6, clRed);
  const std::string old = folder / "old.gif";
  routinestest::WriteBytes(old, "the user's old file");
  const std::string readOnly = folder / "locked.gif";
  routinestest::WriteBytes(readOnly, "a read-only file");
  ::SetFileAttributesW(Utf8ToWide(readOnly).c_str(), FILE_ATTRIBUTE_READONLY);
  // Held open by another without sharing: the new file cannot take its place.
  const std::string busy = folder / "busy.gif";
  routinestest::WriteBytes(busy, "a file in use");
  HANDLE holder = ::CreateFileW(Utf8ToWide(busy).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);

  struct {
    std::string file;
    bool broken;
    std::string before;  // content expected afterwards ("" : no file)
    std::string cause;   // after the fixed line
  } cases[] = {
      {readOnly, false, "a read-only file", "The file is read-only."},
      {old, true, "the user's old file", "Stream write error"},  // the writer's message
      {folder / "missing\\new.gif", false, "", SysErrorMessage(ERROR_DIRECTORY)},
      {busy, false, "a file in use", SysErrorMessage(ERROR_ACCESS_DENIED)},  // the replace is refused
  };
  for (const auto& c : cases) {
    TRoutinesBrokenWriteGif broken;
    AddSolidFrame(&broken, 4, 4, clBlue);
    TGIFImage* document = c.broken ? &broken : &doc;
    TMessageLog log;
    EXPECT_FALSE(SaveGifFile(document, c.file, true, true)) << c.file;
    EXPECT_EQ(log.Texts(), std::vector<std::string>{RoutinesWithCause(RoutinesSaveError(c.file), c.cause)}) << c.file;
    if (c.file != busy) {  // busy: read once released
      EXPECT_EQ(routinestest::ReadBytes(c.file), c.before) << c.file;
    }
  }
  // A folder nobody may create files in: the system's reason, whatever it is.
  {
    const std::string file = "Z:\\proc\\lf_not_writable.gif";
    TMessageLog log;
    EXPECT_FALSE(SaveGifFile(&doc, file, true, true));
    ASSERT_EQ(log.Boxes.size(), 1u);
    const std::string prefix = RoutinesSaveError(file) + "\n\n";
    EXPECT_EQ(log.Boxes[0].Text.substr(0, prefix.size()), prefix);
    EXPECT_GT(log.Boxes[0].Text.size(), prefix.size());
    EXPECT_FALSE(FileExists(file));
  }
  ::CloseHandle(holder);
  EXPECT_EQ(routinestest::ReadBytes(busy), "a file in use");
  // No partial file is left behind.
  std::vector<std::string> files = folder.Files();
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"busy.gif", "locked.gif", "old.gif"}));
}

// ---------------------------------------------------------------------------
TEST(RoutinesSizes, ReconcileClipsFramesOrCropsTheBitmap) {
  // Mode 0: frames beyond the bitmap are cut to it, keeping their pixels and
  // blocks; the screen takes the bitmap's size.
  {
    TGIFImage doc;
    TGIFSubImage* f0 = AddSolidFrame(&doc, 12, 10, clRed);
    TGIFSubImage* f1 = AddSolidFrame(&doc, 6, 6, clBlue, 4, 5);
    f1->Scanline(0)[1] = 1;  // black at (1, 0)
    SetLoopCount(&doc, 2);
    EnsureGraphicControl(f1, 55);
    SetFrameDisposal(f1, dpPrevious);
    auto bitmap = SolidBitmap(8, 7, clWhite);
    ReconcileFrameSize(&doc, bitmap.get(), 0);
    EXPECT_EQ(doc.LogicalWidth(), 8);
    EXPECT_EQ(doc.LogicalHeight(), 7);
    EXPECT_EQ(f0->Width(), 8);
    EXPECT_EQ(f0->Height(), 7);
    EXPECT_EQ(f1->Left(), 4);
    EXPECT_EQ(f1->Top(), 5);
    EXPECT_EQ(f1->Width(), 4);
    EXPECT_EQ(f1->Height(), 2);
    EXPECT_EQ(FrameColorAt(&doc, 1, 0, 0), static_cast<TColor>(clBlue));
    EXPECT_EQ(FrameColorAt(&doc, 1, 1, 0), static_cast<TColor>(clBlack));
    EXPECT_EQ(GetLoopCount(&doc), 2);
    ASSERT_NE(f1->GraphicControl(), nullptr);
    EXPECT_EQ(f1->GraphicControl()->FrameDelay(), 55);
    EXPECT_EQ(f1->GraphicControl()->DisposalMethod(), dpPrevious);
    EXPECT_EQ(bitmap->Width(), 8);
  }
  // Mode 1: the bitmap is cut to the smaller of each size.
  struct {
    Integer mode, bw, bh, w, h;
  } cases[] = {{1, 20, 4, 10, 4}, {1, 5, 30, 5, 8}, {2, 20, 30, 20, 30}};
  for (const auto& c : cases) {
    TGIFImage doc;
    AddSolidFrame(&doc, 10, 8, clRed);
    auto bitmap = SolidBitmap(c.bw, c.bh, clYellow);
    bitmap->Canvas()->SetPixels(0, 0, clNavy);
    ReconcileFrameSize(&doc, bitmap.get(), c.mode);
    EXPECT_EQ(bitmap->Width(), c.w) << c.mode << " " << c.bw;
    EXPECT_EQ(bitmap->Height(), c.h) << c.mode << " " << c.bw;
    EXPECT_EQ(bitmap->Canvas()->Pixels(0, 0) & 0xFFFFFF, static_cast<TColor>(clNavy));
    EXPECT_EQ(doc.LogicalWidth(), 10);
  }
  TGIFImage empty;
  auto bitmap = SolidBitmap(20, 20, clRed);
  ReconcileFrameSize(&empty, bitmap.get(), 1);
  EXPECT_EQ(bitmap->Width(), 20);
}

TEST(RoutinesSizes, CropKeepsTheTopLeftAndTheFormat) {
  auto bitmap = SolidBitmap(10, 10, clLime, pf8bit);
  bitmap->Canvas()->SetPixels(2, 1, clRed);
  bitmap->Canvas()->SetPixels(8, 8, clBlue);
  CropBitmap(bitmap.get(), 4, 3);
  EXPECT_EQ(bitmap->Width(), 3);
  EXPECT_EQ(bitmap->Height(), 4);
  EXPECT_EQ(bitmap->PixelFormat(), pf8bit);
  EXPECT_EQ(bitmap->Canvas()->Pixels(2, 1) & 0xFFFFFF, static_cast<TColor>(clRed));
  EXPECT_EQ(bitmap->Canvas()->Pixels(0, 3) & 0xFFFFFF, static_cast<TColor>(clLime));
}

TEST(RoutinesSizes, EncodedSizeIsTheStreamLength) {
  TGIFImage doc;
  AddSolidFrame(&doc, 30, 30, clRed);
  const Int64 one = EncodedSize(&doc);
  AddSolidFrame(&doc, 30, 30, clBlue);
  TMemoryStream stream;
  doc.SaveToStream(&stream);
  EXPECT_EQ(EncodedSize(&doc), stream.Size());
  EXPECT_GT(stream.Size(), one);
}

// ---------------------------------------------------------------------------
TEST(RoutinesFields, NumericTextAndIntegerValidation) {
  struct {
    const char* text;
    bool numeric;
  } texts[] = {{"", false}, {"12", true}, {" 3 ", true}, {"1a", false}, {"-4", false}, {"   ", true}};
  for (const auto& t : texts) EXPECT_EQ(IsNumericText(t.text), t.numeric) << "'" << t.text << "'";

  std::unique_ptr<TForm> form(testui::NewForm(200, 80));
  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  auto* other = new TEdit(form.get());
  other->SetParent(form.get());
  other->SetTop(30);
  form->Show();
  struct {
    const char* text;
    bool small;
    bool ok;
  } cases[] = {{"40000", true, false}, {"40000", false, true}, {"32767", true, true}, {"32768", true, false},
               {"65535", false, true}, {"65536", false, false}, {"", false, false},    {"7x", true, false}};
  for (const auto& c : cases) {
    edit->SetTag(17);
    edit->SetText(c.text);
    other->SetFocus();
    TMessageLog log;
    EXPECT_EQ(ValidateIntegerField(edit, c.small), c.ok) << c.text;
    if (c.ok) {
      EXPECT_TRUE(log.Boxes.empty()) << c.text;
      EXPECT_EQ(edit->Text(), c.text);
    } else {
      ASSERT_EQ(log.Boxes.size(), 1u) << c.text;
      EXPECT_EQ(log.Boxes[0].Text, std::string("'") + c.text + "' is not a valid integer value.");
      EXPECT_EQ(log.Boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
      EXPECT_EQ(edit->Text(), "17");
      EXPECT_EQ(::GetFocus(), edit->Handle()) << c.text;
    }
  }
  // Digits with a space inside pass the text check but not the conversion.
  edit->SetText("1 2");
  EXPECT_THROW(ValidateIntegerField(edit, false), EConvertError);
}

TEST(RoutinesFields, ScrollBoxRedrawAndCentring) {
  std::unique_ptr<TForm> form(testui::NewForm(300, 200));
  auto* box = new TScrollBox(form.get());
  box->SetParent(form.get());
  box->SetBorderStyle(bsNone);
  box->SetBounds(0, 0, 200, 150);
  auto* image = new TImage(form.get());
  image->SetParent(box);
  form->Show();

  SetScrollBoxRedraw(nullptr, true);
  SetScrollBoxRedraw(box, true);
  EXPECT_FALSE(::IsWindowVisible(box->Handle()));  // redraw off hides the window's painting
  SetScrollBoxRedraw(box, false);
  EXPECT_TRUE(::IsWindowVisible(box->Handle()));

  struct {
    Integer w, h;
  } cases[] = {{100, 50}, {40, 150}, {400, 60}, {500, 400}};
  for (const auto& c : cases) {
    image->SetBounds(0, 0, c.w, c.h);
    box->ScrollTo(box->HorzScrollBar()->Range(), box->VertScrollBar()->Range());
    CenterInScrollBox(box, image);
    EXPECT_EQ(box->HorzPosition(), 0);
    EXPECT_EQ(box->VertPosition(), 0);
    const Integer clientW = box->ClientWidth(), clientH = box->ClientHeight();
    EXPECT_EQ(image->Left(), c.w < clientW ? (clientW - c.w) / 2 : 0) << c.w << "x" << c.h;
    EXPECT_EQ(image->Top(), c.h < clientH ? (clientH - c.h) / 2 : 0) << c.w << "x" << c.h;
    EXPECT_EQ(image->Width(), c.w);
    EXPECT_EQ(image->Height(), c.h);
  }
}

}  // namespace
