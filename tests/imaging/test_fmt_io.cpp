// The I/O component: buffer ownership and attachment, the load and save
// protocol (end signals, abort flag, conversions, epilogue) and its entry points.
#include <gtest/gtest.h>

#include "fmt_util.h"
#include "imaging/formats/pngfilt.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/views/ieview.h"
#include "platform/Graphics.h"

using namespace fmtfix;

namespace {

// A view that shows a platform bitmap or an image buffer, as the real views do.
class TTestView : public TIEView {
 public:
  explicit TTestView(TComponent* AOwner) : TIEView(AOwner) {}
  TBitmap* CurrentBitmap() override { return bitmap; }
  TIEBitmap* CurrentIEBitmap() override { return ieBitmap; }
  void NotifyImageChanged() override { ++changes; }
  TBitmap* bitmap = nullptr;
  TIEBitmap* ieBitmap = nullptr;
  int changes = 0;
};

struct Signals {
  std::vector<Integer> progress;
  int finished = 0;
  void Hook(TRuzozAdIO& io) {
    io.OnProgress = [this](TObject*, Integer per) { progress.push_back(per); };
    io.OnFinishWork = [this](TObject*) { ++finished; };
  }
};

std::vector<Byte> PngBytes(TIEBitmap& bmp) {
  TIOParamsVals params;
  TMemoryStream s;
  Progress pr;
  WritePngStream(&s, &bmp, params, nullptr, pr.rec);
  return StreamBytes(s);
}

}  // namespace

TEST(FmtIOComponent, NoBufferOnlySignalsTheEnd) {
  TRuzozAdIO io(nullptr);
  io.BindIEBitmap(nullptr);
  Signals sig;
  sig.Hook(io);
  auto pic = Gradient(4, 4);
  TMemoryStream s;
  LoadBytes(s, PngBytes(*pic));
  io.PngFromStream(&s);
  io.JpegToStream(&s);
  EXPECT_EQ(sig.progress, (std::vector<Integer>{100, 100}));
  EXPECT_EQ(sig.finished, 2);
  EXPECT_FALSE(io.Aborting);
}

TEST(FmtIOComponent, MissingFileRaisesAfterSignallingWithAbortSet) {
  TRuzozAdIO io(nullptr);
  Signals sig;
  sig.Hook(io);
  for (auto load : {&TRuzozAdIO::JpegFromFile, &TRuzozAdIO::PngFromFile, &TRuzozAdIO::Jp2FromFile}) {
    io.Params().JpegMarkers.AddMarker(0xFE, "x", 1);
    EXPECT_THROW((io.*load)(TempPath("no such picture.file")), EFOpenError);
    EXPECT_TRUE(io.Aborting);
    EXPECT_EQ(io.Params().JpegMarkers.Count(), 0);  // per-image values were cleared first
  }
  EXPECT_EQ(sig.finished, 3);
  EXPECT_EQ(sig.progress.back(), 100);
}

TEST(FmtIOComponent, SaveConvertsToRgbButKeepsBilevel) {
  struct Case {
    TIEPixelKind kind;
    TIEPixelKind after;
  };
  const Case cases[] = {{ipkPal8, ipkRGB24}, {ipkGray8, ipkRGB24}, {ipkGray16, ipkRGB24}, {ipkBW1, ipkBW1},
                        {ipkRGB24, ipkRGB24}};
  for (const Case& c : cases) {
    TIEBitmap bmp;
    bmp.SetLocation(islMemory);
    bmp.AllocateImage(5, 3, c.kind);
    bmp.FillWith(1);
    TRuzozAdIO io(nullptr);
    io.AttachIEBitmap(&bmp);
    TMemoryStream s;
    io.PngToStream(&s);
    EXPECT_FALSE(io.Aborting);
    EXPECT_EQ(bmp.PixelKind(), c.after) << int(c.kind);
    EXPECT_GT(s.Size(), 0);
  }
}

TEST(FmtIOComponent, ProgressHandlerCanAbort) {
  auto pic = Gradient(20, 50);
  const auto png = PngBytes(*pic);
  TRuzozAdIO io(nullptr);
  std::vector<Integer> seen;
  int finished = 0;
  io.OnProgress = [&](TObject*, Integer per) {
    seen.push_back(per);
    io.Aborting = true;
  };
  io.OnFinishWork = [&](TObject*) { ++finished; };
  TMemoryStream s;
  LoadBytes(s, png);
  io.PngFromStream(&s);
  EXPECT_TRUE(io.Aborting);
  EXPECT_EQ(seen, (std::vector<Integer>{2, 100}));  // one row, then the end
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(io.IEBitmap()->Height(), 50);  // a partly filled picture of the full size
}

TEST(FmtIOComponent, LoadEpilogueFillsParamsAlphaAndView) {
  TTestView view(nullptr);
  TIEBitmap shown;
  view.ieBitmap = &shown;
  TRuzozAdIO io(nullptr);
  io.SetAttachedRuzozAd(&view);
  EXPECT_EQ(io.IEBitmap(), &shown);
  EXPECT_FALSE(io.OwnsIEBitmap());
  EXPECT_EQ(view.ChangeListenerCount(), 1);

  auto pic = Gradient(6, 5);
  TIEMask mask;
  mask.AllocateMask(6, 5, 8);
  mask.FillMask(255);
  mask.SetPixelValue(2, 2, 40);
  mask.SetFull(false);
  TIOParamsVals wp;
  wp.DpiX = 200;
  wp.DpiY = 100;
  TMemoryStream s;
  Progress pr;
  WritePngStream(&s, pic.get(), wp, &mask, pr.rec);
  const std::string path = TempPath("fmt_io_epilogue.png");
  static_cast<TCustomMemoryStream&>(s).SaveToFile(path);

  io.PngFromFile(path);
  EXPECT_FALSE(io.Aborting);
  EXPECT_EQ(io.Params().FileName, path);
  EXPECT_EQ(io.Params().FileType, 8);
  EXPECT_EQ(view.ResolutionX(), 200);
  EXPECT_EQ(view.ResolutionY(), 100);
  EXPECT_EQ(view.changes, 1);
  EXPECT_EQ(shown.Width(), 6);
  ASSERT_TRUE(shown.HasAlphaChannel());
  EXPECT_EQ(static_cast<const Byte*>(shown.GetAlphaChannel()->GetRowPointer(2))[2], 40);

  s.SetPosition(0);
  io.PngFromStream(&s);
  EXPECT_EQ(io.Params().FileName, "");
  ::DeleteFileW(Utf8ToWide(path).c_str());

  // The view goes away first: the component drops it and keeps a buffer of its own.
  io.SetAttachedRuzozAd(nullptr);
  EXPECT_EQ(view.ChangeListenerCount(), 0);
  {
    TTestView temporary(nullptr);
    TIEBitmap temporaryShown;
    temporary.ieBitmap = &temporaryShown;
    io.SetAttachedRuzozAd(&temporary);
  }
  EXPECT_EQ(io.AttachedRuzozAd(), nullptr);
  ASSERT_NE(io.IEBitmap(), nullptr);
  EXPECT_TRUE(io.OwnsIEBitmap());
  s.SetPosition(0);
  io.PngFromStream(&s);
  EXPECT_EQ(io.IEBitmap()->Width(), 6);
}

TEST(FmtIOComponent, PlatformBitmapsViewBackgroundAndDialogHook) {
  // A view with only a platform bitmap: our own buffer wraps it; detaching empties it.
  TTestView view(nullptr);
  view.SetBackground(0x123456);
  TBitmap shown;
  shown.SetPixelFormat(pf24bit);
  shown.SetSize(7, 3);
  view.bitmap = &shown;
  TRuzozAdIO io(nullptr);
  io.SetBackground(0x0000FF);
  io.SetAttachedRuzozAd(&view);
  EXPECT_TRUE(io.OwnsIEBitmap());
  EXPECT_EQ(io.TargetBitmap(), &shown);
  EXPECT_EQ(io.IEBitmap()->Width(), 7);
  io.SetBackground(0x00FF00);
  EXPECT_EQ(io.Background(), 0x123456);
  EXPECT_EQ(view.Background(), 0x123456);
  io.SetAttachedRuzozAd(nullptr);
  EXPECT_EQ(io.IEBitmap()->Width(), 0);
  EXPECT_EQ(io.Background(), 0x0000FF);

  // A handed platform bitmap receives the load and is marked modified.
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(2, 2);
  target.SetModified(false);
  io.AttachVclBitmap(&target);
  auto pic = Gradient(9, 4);
  TMemoryStream s;
  LoadBytes(s, PngBytes(*pic));
  io.PngFromStream(&s);
  EXPECT_EQ(target.Width(), 9);
  EXPECT_TRUE(target.Modified());

  // Reset takes the target bitmap's size.
  io.Params().ResetDefaults();
  EXPECT_EQ(io.Params().Width, 9);
  EXPECT_EQ(io.Params().Height, 4);

  bool asked = false;
  io.OnDoPreviews = [&](TObject*, bool& handled) {
    asked = true;
    handled = true;
  };
  EXPECT_TRUE(io.RunPreviewsDialog(0xFFFF));
  EXPECT_TRUE(asked);
  io.OnDoPreviews = nullptr;
  EXPECT_FALSE(io.RunPreviewsDialog(0xFFFF));  // no dialog installed

  TRuzozAdIO other(nullptr);
  other.Params().JpegQuality = 31;
  io.CopyParamsFrom(&other);
  EXPECT_EQ(io.Params().JpegQuality, 31);
  other.Params().JpegQuality = 32;
  io.CopyParamsFrom(&other.Params());
  EXPECT_EQ(io.Params().JpegQuality, 32);
}

TEST(FmtIOComponent, JpegAndJpeg2000FilesRoundTrip) {
  auto pic = Gradient(33, 17);
  TRuzozAdIO io(nullptr);
  io.IEBitmap()->CopyFromObject(pic.get());
  const std::string jpg = TempPath("fmt_io_roundtrip.jpg");
  const std::string jp2 = TempPath("fmt_io_roundtrip.jp2");
  const std::string j2k = TempPath("fmt_io_roundtrip.j2k");
  io.JpegToFile(jpg);
  io.Jp2ToFile(jp2);
  io.J2kToFile(j2k);
  EXPECT_FALSE(io.Aborting);
  TRuzozAdIO in(nullptr);
  in.JpegFromFile(jpg);
  EXPECT_EQ(in.Params().FileType, 3);
  EXPECT_LE(MaxChannelDiff(*pic, *in.IEBitmap()), 12);
  in.Jp2FromFile(jp2);
  EXPECT_EQ(in.Params().FileType, 13);
  EXPECT_EQ(MaxChannelDiff(*pic, *in.IEBitmap()), 0);
  in.J2kFromFile(j2k);
  EXPECT_EQ(in.Params().FileType, 14);
  EXPECT_EQ(MaxChannelDiff(*pic, *in.IEBitmap()), 0);
  for (const auto& f : {jpg, jp2, j2k}) ::DeleteFileW(Utf8ToWide(f).c_str());
}
