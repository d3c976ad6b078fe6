// The image buffer's storage places: the choice of place, row access, the
// alpha channel, moves between places and the temporary files.
#include <gtest/gtest.h>

#include <memory>

#include "imaging/buffer/hyieutils.h"
#include "platform/Graphics.h"
#include "tests/imaging/iebuffer_util.h"

using namespace iebuf;

namespace {
bool PathExists(const std::string& name) {
  return ::GetFileAttributesW(Utf8ToWide(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}
}  // namespace

TEST(IEBufferStorage, NewBufferIsEmpty) {
  TIEBitmap b;
  EXPECT_EQ(b.PixelKind(), ipkNone);
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Location(), islMappedFile);
  EXPECT_EQ(b.BilevelMethod(), 1);
  EXPECT_FALSE(b.HasAlphaChannel());
  EXPECT_EQ(b.Palette(), nullptr);
}

TEST(IEBufferStorage, ThresholdIsHalfTheFreeMemoryIn64Bits) {
  // Measured in 64 bits: a signed 32-bit value cannot describe this machine's memory.
  const uint64_t avail = AvailablePhysicalMemory();
  ASSERT_GT(avail, 0u);
  TIEBitmap b;
  EXPECT_GT(b.FileThreshold(), avail / 2 - avail / 4);
  EXPECT_LT(b.FileThreshold(), avail / 2 + avail / 4);
  {
    DefaultThreshold fixed(12345);
    TIEBitmap c;
    EXPECT_EQ(c.FileThreshold(), 12345u);
    EXPECT_EQ(c.GetAlphaChannel()->FileThreshold(), 12345u);
  }
  TIEBitmap d;
  EXPECT_NE(d.FileThreshold(), 12345u);
}

TEST(IEBufferStorage, PlaceFollowsSizeAgainstThreshold) {
  // 10 x 10 ipkGray8: row length 12, 120 bytes of pixel data.
  struct Case {
    TIEStorageLocation requested;
    uint64_t threshold;
    TIEStorageLocation expected;
  } cases[] = {
      {islMappedFile, 121, islMemory},      // below: memory
      {islMappedFile, 120, islMappedFile},  // equal: stays where requested
      {islMemory, 120, islMemory},          // equal: stays where requested
      {islMemory, 119, islMappedFile},      // above: mapped file
      {islMappedFile, 119, islMappedFile},
  };
  for (const auto& c : cases) {
    TIEBitmap b;
    b.SetLocation(c.requested);
    b.SetFileThreshold(c.threshold);
    b.AllocateImage(10, 10, ipkGray8);
    EXPECT_EQ(b.Location(), c.expected) << PlaceName(c.requested) << " " << c.threshold;
    EXPECT_EQ(b.RowLength(), 12);
    EXPECT_EQ(b.MappedFile()->IsOpen(), c.expected == islMappedFile);
  }
}

TEST(IEBufferStorage, LargePictureGoesToFileAndSmallOneComesBack) {
  TIEBitmap b;
  b.AllocateImage(100, 100, ipkRGB24);
  EXPECT_EQ(b.Location(), islMemory);
  b.SetFileThreshold(1000);
  b.AllocateImage(100, 100, ipkRGB24);
  EXPECT_EQ(b.Location(), islMappedFile);
  const std::string name = b.MappedFile()->FileName();
  EXPECT_TRUE(PathExists(name));
  b.FreeImage();
  EXPECT_FALSE(PathExists(name));
  b.AllocateImage(10, 10, ipkRGB24);
  EXPECT_EQ(b.Location(), islMemory);
}

TEST(IEBufferStorage, EmptyAllocationsStoreOnlyTheKind) {
  struct Case {
    Integer w, h;
    TIEPixelKind k;
  } cases[] = {{0, 10, ipkRGB24}, {10, 0, ipkGray8}, {10, 10, ipkNone}, {-3, 10, ipkBW1}};
  for (const auto& c : cases) {
    TIEBitmap b;
    b.AllocateImage(c.w, c.h, c.k);
    EXPECT_EQ(b.PixelKind(), c.k);
    EXPECT_EQ(b.RowLength(), 0);
    EXPECT_EQ(b.Palette(), nullptr);
    EXPECT_FALSE(b.MappedFile()->IsOpen());
  }
}

TEST(IEBufferStorage, KindsGiveBitsRowLengthAndPalette) {
  struct Case {
    TIEPixelKind k;
    Integer bits, rowLength, paletteCount;
  } cases[] = {{ipkBW1, 1, 4, 0}, {ipkPal8, 8, 20, 256}, {ipkGray8, 8, 20, 0}, {ipkGray16, 16, 36, 0},
               {ipkRGB24, 24, 52, 0}};
  for (TIEStorageLocation p : {islMemory, islMappedFile}) {
    for (const auto& c : cases) {
      TIEBitmap b;
      Place(b, p);
      b.AllocateImage(17, 3, c.k);
      EXPECT_EQ(b.BitsPerPixel(), c.bits);
      EXPECT_EQ(b.RowLength(), c.rowLength);
      EXPECT_EQ(b.PaletteCount(), c.paletteCount);
      EXPECT_EQ(b.Palette() != nullptr, c.paletteCount == 256);
    }
  }
}

TEST(IEBufferStorage, Gray16OnPlatformBitmapBecomesGray8) {
  TIEBitmap b;
  b.SetLocation(islVCLBitmap);
  b.AllocateImage(5, 4, ipkGray16);
  EXPECT_EQ(b.PixelKind(), ipkGray8);
  EXPECT_EQ(b.BitsPerPixel(), 8);
  EXPECT_EQ(b.RowLength(), 8);
  ASSERT_NE(b.VclBitmap(), nullptr);
  EXPECT_EQ(b.VclBitmap()->PixelFormat(), pf8bit);
  EXPECT_EQ(b.GetRowPointer(0), b.VclBitmap()->ScanLine(0));
}

TEST(IEBufferStorage, MappedRowAddressDiesAtTheNextRequest) {
  TIEBitmap b;
  Place(b, islMappedFile);
  b.AllocateImage(100, 2000, ipkRGB24);  // rows spread over several 64 KB granules
  ASSERT_EQ(b.Location(), islMappedFile);
  for (Integer y = 0; y < b.Height(); ++y) std::memset(b.GetRowPointer(y), y & 0xFF, 300);
  Byte* p5 = static_cast<Byte*>(b.GetRowPointer(5));
  EXPECT_EQ(p5[0], 5);
  EXPECT_EQ(b.MappedFile()->ViewCount(), 1);
  Byte* p6 = static_cast<Byte*>(b.GetRowPointer(6));
  EXPECT_EQ(p6[299], 6);
  // Only one view is mapped, and the first address is no longer part of any.
  EXPECT_EQ(b.MappedFile()->ViewCount(), 1);
  EXPECT_NE(p5 + 300, p6);
  MEMORY_BASIC_INFORMATION mi{};
  ASSERT_NE(::VirtualQuery(p5, &mi, sizeof(mi)), 0u);
  EXPECT_NE(mi.State, static_cast<DWORD>(MEM_COMMIT));
  EXPECT_EQ(static_cast<Byte*>(b.GetRowPointer(1999))[0], 1999 & 0xFF);
}

TEST(IEBufferStorage, MappedRowWindowsGiveTheSameRows) {
  // Outside strict mode a view covers a window of rows; every row still reads right.
  SetIEStrictRowViews(false);
  TIEBitmap b;
  Place(b, islMappedFile);
  b.AllocateImage(1000, 3000, ipkRGB24);
  for (Integer y = 0; y < b.Height(); ++y) {
    Byte* row = static_cast<Byte*>(b.GetRowPointer(y));
    row[0] = Byte(y);
    row[2999] = Byte(y >> 8);
  }
  Integer wrong = 0;
  for (Integer y = b.Height() - 1; y >= 0; y -= 7) {
    const Byte* row = static_cast<const Byte*>(b.GetRowPointer(y));
    wrong += row[0] != Byte(y) || row[2999] != Byte(y >> 8);
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(b.MappedFile()->ViewCount(), 1);
  SetIEStrictRowViews(true);
}

TEST(IEBufferStorage, MappedPictureBeyondFourGigabytes) {
  // 40000 x 40000 RGB: 4.8 GB of rows (a sparse file); offsets past 4 GB work.
  TIEBitmap b;
  Place(b, islMappedFile);
  b.AllocateImage(40000, 40000, ipkRGB24);
  ASSERT_EQ(b.Location(), islMappedFile);
  EXPECT_EQ(b.RowLength(), 120000);
  const Integer last = 39999;
  static_cast<Byte*>(b.GetRowPointer(last))[119999] = 0xA5;
  static_cast<Byte*>(b.GetRowPointer(0))[0] = 0x5A;
  static_cast<Byte*>(b.GetRowPointer(35792))[7] = 0x33;  // the first row past 4 GB
  EXPECT_EQ(static_cast<Byte*>(b.GetRowPointer(last))[119999], 0xA5);
  EXPECT_EQ(static_cast<Byte*>(b.GetRowPointer(0))[0], 0x5A);
  EXPECT_EQ(static_cast<Byte*>(b.GetRowPointer(35792))[7], 0x33);
  EXPECT_EQ(static_cast<Byte*>(b.GetRowPointer(35791))[7], 0);
}

TEST(IEBufferStorage, RowsAreAddressedByPlace) {
  // Memory rows are stored bottom-up, mapped rows top-down.
  TIEBitmap m;
  Place(m, islMemory);
  m.AllocateImage(4, 3, ipkGray8);
  EXPECT_EQ(static_cast<Byte*>(m.GetRowPointer(0)) - static_cast<Byte*>(m.GetRowPointer(2)), 2 * 4);
  TIEBitmap f;
  Place(f, islMappedFile);
  f.AllocateImage(4, 3, ipkGray8);
  for (Integer y = 0; y < 3; ++y) static_cast<Byte*>(f.GetRowPointer(y))[0] = Byte(10 + y);
  void* view = f.MappedFile()->MapView(0, 12);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(static_cast<Byte*>(view)[0], 10);
  EXPECT_EQ(static_cast<Byte*>(view)[4], 11);
  EXPECT_EQ(static_cast<Byte*>(view)[8], 12);
  f.MappedFile()->UnmapView(view);
}

TEST(IEBufferStorage, AlphaChannelStartsOpaque) {
  for (TIEStorageLocation p : {islMemory, islMappedFile, islVCLBitmap}) {
    TIEBitmap b;
    MakePicture(b, p, 9, 4, ipkRGB24);
    EXPECT_FALSE(b.HasAlphaChannel());
    TIEBitmap* a = b.GetAlphaChannel();
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(b.HasAlphaChannel());
    EXPECT_EQ(a->PixelKind(), ipkGray8);
    EXPECT_EQ(a->Width(), 9);
    EXPECT_EQ(a->Height(), 4);
    EXPECT_TRUE(a->IsAlphaChannel());
    EXPECT_TRUE(a->AlphaFull());
    EXPECT_NE(a->Location(), islVCLBitmap);
    for (uint32_t v : Pixels(*a)) EXPECT_EQ(v, 255u);
    EXPECT_EQ(a->GetAlphaChannel(), nullptr);
    EXPECT_FALSE(a->HasAlphaChannel());
    EXPECT_EQ(b.GetAlphaChannel(), a);
    b.FreeAlphaChannel();
    EXPECT_FALSE(b.HasAlphaChannel());
  }
}

TEST(IEBufferStorage, MoveContentToLeavesTheGiverEmpty) {
  TIEBitmap a, b;
  MakePicture(a, islMappedFile, 6, 5, ipkPal8);
  a.SetBilevelMethod(0);
  a.GetAlphaChannel();
  const auto pixels = Pixels(a);
  a.MoveContentTo(&b);
  EXPECT_EQ(a.PixelKind(), ipkNone);
  EXPECT_EQ(a.Width(), 0);
  EXPECT_FALSE(a.HasAlphaChannel());
  EXPECT_EQ(a.Palette(), nullptr);
  EXPECT_EQ(a.Location(), islMappedFile);
  EXPECT_EQ(a.BilevelMethod(), 0);
  EXPECT_FALSE(a.MappedFile()->IsOpen());
  EXPECT_EQ(b.PixelKind(), ipkPal8);
  EXPECT_EQ(b.Location(), islMappedFile);
  EXPECT_TRUE(b.HasAlphaChannel());
  EXPECT_EQ(b.BilevelMethod(), 0);
  EXPECT_EQ(Pixels(b), pixels);
}

class IEBufferMove : public ::testing::TestWithParam<std::tuple<TIEStorageLocation, TIEStorageLocation, TIEPixelKind>> {};

TEST_P(IEBufferMove, PixelsSurviveEveryMove) {
  const auto [from, to, kind] = GetParam();
  DefaultThreshold small(to == islMappedFile || from == islMappedFile ? 1 : 0);
  TIEBitmap b;
  MakePicture(b, from, 37, 11, kind, 5);
  const auto before = Pixels(b);
  b.GetAlphaChannel();
  b.SetFileThreshold(to == islMappedFile ? 0 : UINT64_MAX);
  b.MoveToLocation(to);
  EXPECT_EQ(b.Location(), to);
  EXPECT_EQ(b.Width(), 37);
  EXPECT_EQ(b.Height(), 11);
  if (from == to) {
    EXPECT_TRUE(b.HasAlphaChannel());  // nothing happened
  } else {
    EXPECT_FALSE(b.HasAlphaChannel());
  }
  if (from == islVCLBitmap && kind == ipkGray16) {
    EXPECT_EQ(b.PixelKind(), ipkGray8);  // it was 8-bit grey on the platform bitmap already
    EXPECT_EQ(Pixels(b), before);
  } else if (to == islVCLBitmap && kind == ipkGray16) {
    EXPECT_EQ(b.PixelKind(), ipkGray8);
    auto expected = before;
    for (auto& v : expected) v >>= 8;
    EXPECT_EQ(Pixels(b), expected);
  } else {
    EXPECT_EQ(b.PixelKind(), kind);
    EXPECT_EQ(Pixels(b), before);
  }
}

std::string MoveName(const ::testing::TestParamInfo<IEBufferMove::ParamType>& info) {
  static const char* kinds[] = {"None", "BW1", "Pal8", "Gray8", "Gray16", "RGB24"};
  return std::string(PlaceName(std::get<0>(info.param))) + "To" + PlaceName(std::get<1>(info.param)) +
         kinds[std::get<2>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(AllPlaces, IEBufferMove,
                         ::testing::Combine(::testing::Values(islMemory, islMappedFile, islVCLBitmap),
                                            ::testing::Values(islMemory, islMappedFile, islVCLBitmap),
                                            ::testing::Values(ipkBW1, ipkPal8, ipkGray8, ipkGray16, ipkRGB24)),
                         MoveName);

TEST(IEBufferStorage, SmallPictureAskedForMappedFileEndsInMemory) {
  TIEBitmap b;
  MakePicture(b, islMemory, 8, 8, ipkRGB24);
  const auto before = Pixels(b);
  b.SetFileThreshold(1 << 20);
  b.MoveToLocation(islMappedFile);
  EXPECT_EQ(b.Location(), islMemory);
  EXPECT_EQ(Pixels(b), before);
}

TEST(IEBufferStorage, CanvasForDrawingMovesToAPlatformBitmap) {
  TIEBitmap b;
  MakePicture(b, islMappedFile, 8, 8, ipkRGB24);
  TCanvas* c = b.CanvasForDrawing();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(b.Location(), islVCLBitmap);
  c->SetPixels(2, 3, 0x0000FF);  // red
  ::GdiFlush();
  EXPECT_EQ(Get(b, 2, 3), 0xFF0000u);
}

TEST(IEMemoryMappedFile, TemporaryFileLifecycle) {
  TIEMemoryMapped m;
  EXPECT_FALSE(m.IsOpen());
  ASSERT_TRUE(m.CreateMappedTempFile("", 100000));
  EXPECT_TRUE(m.IsOpen());
  const std::string name = m.FileName();
  const auto slash = name.find_last_of("\\/");
  EXPECT_EQ(name.substr(slash + 1, 7), "ruzozad");
  wchar_t tmp[MAX_PATH + 1];
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, tmp);
  EXPECT_EQ(_wcsnicmp(Utf8ToWide(name).c_str(), tmp, n), 0);
  EXPECT_TRUE(PathExists(name));
  void* v = m.MapView(65536, 1000);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(m.ViewCount(), 1);
  m.Close();
  EXPECT_EQ(m.ViewCount(), 0);
  EXPECT_FALSE(m.IsOpen());
  EXPECT_FALSE(PathExists(name));
  m.Close();  // a second close does nothing
  EXPECT_EQ(m.MapView(0, 10), nullptr);
}

TEST(IEMemoryMappedFile, TemporaryFolderIsHonouredAndCreated) {
  wchar_t tmp[MAX_PATH + 1];
  ::GetTempPathW(MAX_PATH + 1, tmp);
  const std::string folder = WideToUtf8(tmp) + "iebuf_tf_" + std::to_string(::GetCurrentProcessId()) + "\\sub";
  ImageTempFolder = folder;
  {
    TIEBitmap b;
    Place(b, islMappedFile);
    b.AllocateImage(10, 10, ipkRGB24);
    EXPECT_EQ(b.Location(), islMappedFile);
    EXPECT_EQ(b.MappedFile()->FileName().rfind(folder, 0), 0u) << b.MappedFile()->FileName();
  }
  ImageTempFolder.clear();
  ::RemoveDirectoryW(Utf8ToWide(folder).c_str());
  ::RemoveDirectoryW(Utf8ToWide(folder.substr(0, folder.size() - 4)).c_str());
}

TEST(IEMemoryMappedFile, FailingFileFallsBackToMemory) {
  ImageTempFolder = "Z:\\proc\\iebuffer-cannot-exist\\x";
  TIEMemoryMapped m;
  EXPECT_FALSE(m.CreateMappedTempFile("", 1000));
  EXPECT_FALSE(m.IsOpen());
  TIEBitmap b;
  Place(b, islMappedFile);
  b.AllocateImage(10, 10, ipkGray8);
  EXPECT_EQ(b.Location(), islMemory);
  FillPattern(b);
  EXPECT_EQ(Pixels(b).size(), 100u);
  ImageTempFolder.clear();
}

TEST(IEMemoryMappedFile, CopyMappedRangeCopiesMoreThanOneChunk) {
  const uint64_t size = 2621440;  // 2.5 MB: chunks of 1 MB, 1 MB and 0.5 MB
  TIEMemoryMapped a, b;
  ASSERT_TRUE(a.CreateMappedTempFile("", size));
  ASSERT_TRUE(b.CreateMappedTempFile("", size));
  Byte* va = static_cast<Byte*>(a.MapView(0, size));
  ASSERT_NE(va, nullptr);
  for (uint64_t i = 0; i < size; ++i) va[i] = Byte(i * 31 + (i >> 16));
  a.UnmapView(va);
  a.CopyMappedRange(&b, 0, size);
  EXPECT_EQ(a.ViewCount(), 0);
  EXPECT_EQ(b.ViewCount(), 0);
  Byte* vb = static_cast<Byte*>(b.MapView(0, size));
  ASSERT_NE(vb, nullptr);
  uint64_t wrong = 0;
  for (uint64_t i = 0; i < size; ++i) wrong += vb[i] != Byte(i * 31 + (i >> 16));
  EXPECT_EQ(wrong, 0u);
  b.UnmapView(vb);
}

TEST(IEMemoryMappedFile, ResizeKeepsContent) {
  TIEMemoryMapped m;
  ASSERT_TRUE(m.CreateMappedTempFile("", 65536));
  Byte* v = static_cast<Byte*>(m.MapView(0, 16));
  v[3] = 77;
  m.UnmapAllViews();
  ASSERT_TRUE(m.ResizeMappedFile(3 * 65536));
  Byte* w = static_cast<Byte*>(m.MapView(2 * 65536, 65536));
  ASSERT_NE(w, nullptr);
  Byte* v2 = static_cast<Byte*>(m.MapView(0, 16));
  EXPECT_EQ(v2[3], 77);
  EXPECT_EQ(m.ViewCount(), 2);
}
