// Colours, graphics objects, the canvas, TPicture and its registry, icons and metafiles.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/Classes.h"
#include "platform/Graphics.h"
#include "platform/Jpeg.h"

namespace {

std::string TempFile(const std::string& name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return WideToUtf8(dir) + "graphics_test_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

TBitmap* Filled(int w, int h, TColor c) {
  auto* b = new TBitmap;
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(c);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
  return b;
}

}  // namespace

TEST(Colors, SystemColoursAndRGB) {
  EXPECT_EQ(clBtnFace, static_cast<TColor>(0x8000000F));
  EXPECT_LT(clBtnFace, 0);
  EXPECT_EQ(ColorToRGB(clBtnFace), static_cast<Integer>(GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(ColorToRGB(clWindowText), static_cast<Integer>(GetSysColor(COLOR_WINDOWTEXT)));
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(0x020000FF), 0x0000FF);  // palette-relative flag dropped
  EXPECT_EQ(clNone, 0x1FFFFFFF);
  EXPECT_EQ(clDefault, 0x20000000);
}

TEST(Colors, NamesAndNumbers) {
  const struct {
    const char* Text;
    TColor Value;
  } cases[] = {{"clRed", clRed},        {"CLRED", clRed},          {"clBtnFace", clBtnFace},
               {"clNone", clNone},      {"clDefault", clDefault},  {"$0000FF00", clLime},
               {"$FF", clRed},          {"255", clRed},            {"-2147483633", clBtnFace},
               {"clLtGray", clSilver},  {"clInfoBk", clInfoBk},    {"0x10", 0x10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(StringToColor(c.Text), c.Value);
  }
  EXPECT_EQ(ColorToString(clRed), "clRed");
  EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
  EXPECT_EQ(ColorToString(0x123456), "$00123456");
  EXPECT_EQ(StringToColor(ColorToString(0x123456)), 0x123456);
  TColor c = 0;
  EXPECT_FALSE(IdentToColor("255", c));
  EXPECT_TRUE(IdentToColor("clwhite", c));
  EXPECT_EQ(c, clWhite);
  for (const char* bad : {"", "clNotAColour", "$", "12x", "$1FFFFFFFF", "99999999999"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(StringToColor(bad), EConvertError);
  }
}

TEST(GraphicsObjects, FontChangesNotifyAndRebuildHandle) {
  TFont f;
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(f.Size(), 8);
  HFONT h1 = f.Handle();
  ASSERT_NE(h1, nullptr);
  EXPECT_EQ(f.Handle(), h1);  // kept until something changes
  f.SetStyle({fsBold, fsItalic});
  EXPECT_EQ(changes, 1);
  LOGFONTW lf{};
  GetObjectW(f.Handle(), sizeof lf, &lf);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfItalic);
  f.SetSize(12);
  EXPECT_EQ(f.Size(), 12);
  EXPECT_EQ(f.Height(), -MulDiv(12, f.PixelsPerInch(), 72));
  f.SetSize(12);  // no change, no event
  EXPECT_EQ(changes, 2);
  f.SetName("Courier New");
  GetObjectW(f.Handle(), sizeof lf, &lf);
  EXPECT_EQ(WideToUtf8(lf.lfFaceName), "Courier New");
  TFont g;
  g.Assign(&f);
  EXPECT_EQ(g.Name(), "Courier New");
  EXPECT_EQ(g.Size(), 12);
  EXPECT_TRUE(g.Style().Contains(fsItalic));
  EXPECT_FALSE(g.Style().Contains(fsUnderline));
}

TEST(GraphicsObjects, PenAndBrush) {
  TPen p;
  int changes = 0;
  p.OnChange = [&](TObject*) { ++changes; };
  p.SetColor(clRed);
  p.SetWidth(3);
  p.SetWidth(3);
  EXPECT_EQ(changes, 2);
  LOGPEN lp{};
  GetObjectW(p.Handle(), sizeof lp, &lp);
  EXPECT_EQ(lp.lopnWidth.x, 3);
  EXPECT_EQ(lp.lopnColor, 0x0000FFu);
  TBrush b;
  b.SetStyle(bsClear);
  LOGBRUSH lb{};
  GetObjectW(b.Handle(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_HOLLOW));
  b.SetColor(clBlue);  // a colour makes a clear brush solid again
  EXPECT_EQ(b.Style(), bsSolid);
  GetObjectW(b.Handle(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(lb.lbColor, 0xFF0000u);
}

TEST(Canvas, DrawingPrimitives) {
  std::unique_ptr<TBitmap> b(Filled(20, 20, clWhite));
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clRed);
  c->MoveTo(0, 5);
  c->LineTo(10, 5);
  EXPECT_EQ(c->PenPos(), Point(10, 5));
  EXPECT_EQ(c->Pixels(4, 5), clRed);
  EXPECT_EQ(c->Pixels(10, 5), clWhite);  // the end point is not drawn
  c->Brush()->SetColor(clBlue);
  c->Rectangle(10, 10, 15, 15);
  EXPECT_EQ(c->Pixels(10, 10), clRed);  // outline with the pen
  EXPECT_EQ(c->Pixels(12, 12), clBlue);  // inside with the brush
  c->Brush()->SetColor(clLime);
  c->FrameRect(Rect(0, 10, 5, 15));
  EXPECT_EQ(c->Pixels(0, 12), clLime);
  EXPECT_EQ(c->Pixels(2, 12), clWhite);
  const std::vector<TPoint> tri = {Point(15, 0), Point(19, 0), Point(19, 4)};
  c->Brush()->SetColor(clYellow);
  c->Pen()->SetStyle(psClear);
  c->Polygon(tri);
  EXPECT_EQ(c->Pixels(18, 1), clYellow);
  c->Ellipse(0, 16, 4, 20);
  EXPECT_EQ(c->Pixels(2, 18), clYellow);
  c->SetPixels(19, 19, clPurple);
  EXPECT_EQ(c->Pixels(19, 19), clPurple);
  EXPECT_EQ(c->Pixels(100, 100), clNone);
  EXPECT_EQ(c->ClipRect(), Rect(0, 0, 20, 20));
}

TEST(Canvas, CopyRectHonoursCopyMode) {
  std::unique_ptr<TBitmap> src(Filled(4, 4, clRed));
  src->Canvas()->SetPixels(3, 3, clBlue);
  std::unique_ptr<TBitmap> dst(Filled(8, 8, clWhite));
  dst->Canvas()->CopyRect(Rect(2, 2, 6, 6), src->Canvas(), Rect(0, 0, 4, 4));
  EXPECT_EQ(dst->Canvas()->Pixels(2, 2), clRed);
  EXPECT_EQ(dst->Canvas()->Pixels(5, 5), clBlue);
  EXPECT_EQ(dst->Canvas()->Pixels(6, 6), clWhite);
  dst->Canvas()->SetCopyMode(cmNotSrcCopy);
  dst->Canvas()->CopyRect(Rect(0, 0, 1, 1), src->Canvas(), Rect(0, 0, 1, 1));
  EXPECT_EQ(dst->Canvas()->Pixels(0, 0), clAqua);  // not red
  // Stretching: 2x2 source to 4x4.
  dst->Canvas()->SetCopyMode(cmSrcCopy);
  dst->Canvas()->CopyRect(Rect(4, 0, 8, 4), src->Canvas(), Rect(2, 2, 4, 4));
  EXPECT_EQ(dst->Canvas()->Pixels(7, 3), clBlue);
  EXPECT_EQ(dst->Canvas()->Pixels(4, 0), clRed);
}

TEST(Canvas, BrushCopyReplacesColour) {
  std::unique_ptr<TBitmap> src(Filled(3, 1, clRed));
  src->Canvas()->SetPixels(1, 0, clLime);
  std::unique_ptr<TBitmap> dst(Filled(3, 1, clWhite));
  dst->Canvas()->Brush()->SetColor(clBlue);
  dst->Canvas()->BrushCopy(Rect(0, 0, 3, 1), src.get(), Rect(0, 0, 3, 1), clLime);
  EXPECT_EQ(dst->Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(dst->Canvas()->Pixels(1, 0), clBlue);
}

TEST(Canvas, ChangeEventsAndForeignHandle) {
  TCanvas c;
  EXPECT_THROW(c.Handle(), EInvalidOperation);  // a bare canvas has no DC of its own
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP hb = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, hb);
  c.SetHandle(dc);
  int changing = 0, changed = 0;
  c.OnChanging = [&](TObject*) { ++changing; };
  c.OnChange = [&](TObject*) {
    EXPECT_EQ(changing, changed + 1);
    ++changed;
  };
  c.Brush()->SetColor(clRed);
  c.FillRect(Rect(0, 0, 4, 4));
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(c.Pixels(1, 1), clRed);
  // Font and pen changes after selection are picked up.
  c.Brush()->SetColor(clBlue);
  c.FillRect(Rect(0, 0, 1, 1));
  EXPECT_EQ(c.Pixels(0, 0), clBlue);
  c.SetHandle(nullptr);
  SelectObject(dc, old);
  DeleteObject(hb);
  DeleteDC(dc);
}

TEST(Canvas, LockIsExclusiveAcrossThreads) {
  TCanvas c;
  c.Lock();
  EXPECT_EQ(c.LockCount(), 1);
  std::atomic<int> got{-1};
  std::thread t([&] { got = c.TryLock() ? 1 : 0; });
  t.join();
  EXPECT_EQ(got, 0);
  c.Unlock();
  std::thread t2([&] {
    got = c.TryLock() ? 1 : 0;
    if (got) c.Unlock();
  });
  t2.join();
  EXPECT_EQ(got, 1);
  EXPECT_EQ(c.LockCount(), 0);
}

TEST(Picture, LoadFromFilePicksClassByExtension) {
  std::unique_ptr<TBitmap> b(Filled(3, 2, clTeal));
  const std::string bmp = TempFile("pic.BMP");
  b->SaveToFile(bmp);
  TPicture p;
  int changes = 0;
  p.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &p);
    ++changes;
  };
  p.LoadFromFile(bmp);
  ASSERT_NE(p.Graphic(), nullptr);
  EXPECT_EQ(p.Graphic()->ClassName(), "TBitmap");
  EXPECT_EQ(p.Width(), 3);
  EXPECT_EQ(p.Bitmap()->Canvas()->Pixels(2, 1), clTeal);
  EXPECT_GE(changes, 1);
  // The graphic's changes reach the picture's listeners.
  const int before = changes;
  p.Bitmap()->Canvas()->SetPixels(0, 0, clRed);
  EXPECT_GT(changes, before);

  // A JPEG by its extension.
  TJPEGImage j;
  j.Assign(b.get());
  const std::string jpg = TempFile("pic.Jpeg");
  j.SaveToFile(jpg);
  p.LoadFromFile(jpg);
  EXPECT_EQ(p.Graphic()->ClassName(), "TJPEGImage");
  EXPECT_EQ(p.Width(), 3);

  try {
    p.LoadFromFile(TempFile("pic.xyz"));
    ADD_FAILURE() << "no exception";
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
  }
  EXPECT_EQ(p.Graphic()->ClassName(), "TJPEGImage");  // kept after the failure
  DeleteFileW(Utf8ToWide(bmp).c_str());
  DeleteFileW(Utf8ToWide(jpg).c_str());
}

TEST(Picture, AssignCopiesIntoNewObjectOfSameClass) {
  std::unique_ptr<TBitmap> b(Filled(2, 2, clMaroon));
  TPicture p;
  p.SetGraphic(b.get());
  ASSERT_NE(p.Graphic(), nullptr);
  EXPECT_NE(p.Graphic(), b.get());
  EXPECT_EQ(p.Graphic()->GraphicClass(), GraphicClassOf<TBitmap>());
  TPicture q;
  q.Assign(&p);
  EXPECT_NE(q.Graphic(), p.Graphic());
  EXPECT_EQ(q.Bitmap()->Canvas()->Pixels(1, 1), clMaroon);
  // The accessors replace a graphic of another class with an empty one.
  EXPECT_TRUE(q.Icon()->Empty());
  EXPECT_EQ(q.Graphic()->ClassName(), "TIcon");
  q.Assign(nullptr);
  EXPECT_EQ(q.Graphic(), nullptr);
  // A picture assigns to a graphic of its graphic's class.
  TBitmap out;
  out.Assign(&p);
  EXPECT_EQ(out.Canvas()->Pixels(0, 0), clMaroon);
}

namespace {
// A minimal graphic class for the registry tests.
class TTestGraphic : public TGraphic {
 public:
  T_GRAPHIC_CLASS(TTestGraphic)
  bool Empty() const override { return data_.empty(); }
  Integer Width() const override { return 1; }
  void SetWidth(Integer) override {}
  Integer Height() const override { return 1; }
  void SetHeight(Integer) override {}
  void LoadFromStream(TStream* s) override {
    data_.resize(static_cast<size_t>(s->Size() - s->Position()));
    if (!data_.empty()) s->ReadBuffer(data_.data(), Integer(data_.size()));
  }
  void SaveToStream(TStream* s) override { s->WriteBuffer(data_.data(), Integer(data_.size())); }
  void Assign(TPersistent* src) override {
    if (auto* t = dynamic_cast<TTestGraphic*>(src)) data_ = t->data_;
    else TGraphic::Assign(src);
  }
  std::string data_;

 protected:
  void Draw(TCanvas*, const TRect&) override {}
};
}  // namespace

TEST(Picture, RegistryAndFilter) {
  const std::string all = GraphicFilter(nullptr);
  EXPECT_EQ(all.rfind("All (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|", 0), 0u)
      << all;
  EXPECT_NE(all.find("|JPEG Image File (*.jpg)|*.jpg|"), std::string::npos);
  EXPECT_NE(all.find("|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf"),
            std::string::npos);
  EXPECT_EQ(GraphicFilter(GraphicClassOf<TBitmap>()), "Bitmaps (*.bmp)|*.bmp");
  EXPECT_EQ(GraphicFilter(GraphicClassOf<TMetafile>()),
            "All (*.emf;*.wmf)|*.emf;*.wmf|Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf");
  EXPECT_EQ(GraphicExtension(GraphicClassOf<TBitmap>()), "bmp");

  TPicture::RegisterFileFormat("TST", "Test Files", GraphicClassOf<TTestGraphic>());
  EXPECT_EQ(GraphicFilter(nullptr).rfind("All (*.tst;*.jpg;", 0), 0u);
  EXPECT_EQ(TPicture::FileFormatClass("tst"), GraphicClassOf<TTestGraphic>());
  const std::string file = TempFile("x.tst");
  {
    TFileStream f(file, fmCreate);
    f.WriteBuffer("abc", 3);
  }
  TPicture p;
  p.LoadFromFile(file);
  ASSERT_EQ(p.Graphic()->ClassName(), "TTestGraphic");
  EXPECT_EQ(static_cast<TTestGraphic*>(p.Graphic())->data_, "abc");
  TPicture q;
  q.Assign(&p);
  EXPECT_EQ(q.Graphic()->ClassName(), "TTestGraphic");

  const Word fmt = static_cast<Word>(RegisterClipboardFormatW(L"Graphics Test Format"));
  EXPECT_FALSE(TPicture::SupportsClipboardFormat(fmt));
  TPicture::RegisterClipboardFormat(fmt, GraphicClassOf<TTestGraphic>());
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(fmt));
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(CF_BITMAP));
  TPicture::UnregisterGraphicClass(GraphicClassOf<TTestGraphic>());
  EXPECT_FALSE(TPicture::SupportsClipboardFormat(fmt));
  EXPECT_EQ(TPicture::FileFormatClass("tst"), nullptr);
  EXPECT_THROW(p.LoadFromFile(file), EInvalidGraphic);
  DeleteFileW(Utf8ToWide(file).c_str());
}

TEST(Picture, FormDataRoundTrip) {
  std::unique_ptr<TBitmap> b(Filled(3, 3, clOlive));
  TPicture p;
  p.SetGraphic(b.get());
  TMemoryStream s;
  p.WriteData(&s);
  EXPECT_EQ(static_cast<Byte*>(s.Memory())[0], 7);  // length of "TBitmap"
  s.SetPosition(0);
  TPicture q;
  q.ReadData(&s);
  EXPECT_EQ(q.Graphic()->ClassName(), "TBitmap");
  EXPECT_EQ(q.Bitmap()->Canvas()->Pixels(2, 2), clOlive);
  EXPECT_EQ(s.Position(), s.Size());
}

TEST(Graphic, EqualsComparesClassAndContent) {
  std::unique_ptr<TBitmap> a(Filled(2, 2, clRed)), b(Filled(2, 2, clRed)), c(Filled(2, 2, clBlue));
  EXPECT_TRUE(a->Equals(b.get()));
  EXPECT_FALSE(a->Equals(c.get()));
  TIcon i;
  EXPECT_FALSE(a->Equals(&i));
}

TEST(Icon, StreamRoundTripAndDraw) {
  // An icon made from colour and mask bitmaps.
  std::unique_ptr<TBitmap> color(Filled(16, 16, clRed));
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);  // all 0: opaque
  ICONINFO ii{TRUE, 0, 0, mask, color->Handle()};
  HICON h = CreateIconIndirect(&ii);
  DeleteObject(mask);
  ASSERT_NE(h, nullptr);
  TIcon icon;
  icon.SetHandle(h);
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_EQ(icon.Height(), 16);
  TMemoryStream s;
  icon.SaveToStream(&s);
  s.SetPosition(0);
  TIcon back;
  back.LoadFromStream(&s);
  EXPECT_EQ(back.Width(), 16);
  std::unique_ptr<TBitmap> target(Filled(20, 20, clWhite));
  target->Canvas()->Draw(2, 2, &back);
  EXPECT_EQ(target->Canvas()->Pixels(10, 10), clRed);
  EXPECT_EQ(target->Canvas()->Pixels(1, 1), clWhite);
  // The stream it was loaded from is written back unchanged.
  TMemoryStream s2;
  back.SaveToStream(&s2);
  ASSERT_EQ(s2.Size(), s.Size());
  EXPECT_EQ(std::memcmp(s.Memory(), s2.Memory(), size_t(s.Size())), 0);
  // A bitmap takes an icon by drawing it.
  TBitmap fromIcon;
  fromIcon.Assign(&back);
  EXPECT_EQ(fromIcon.Width(), 16);
  EXPECT_EQ(fromIcon.Canvas()->Pixels(5, 5), clRed);
  // Corrupt icon data.
  for (size_t cut : {size_t(3), size_t(10), size_t(30), size_t(s.Size() - 1)}) {
    TMemoryStream bad;
    bad.WriteBuffer(s.Memory(), Integer(cut));
    bad.SetPosition(0);
    TIcon x;
    EXPECT_THROW(x.LoadFromStream(&bad), EInvalidGraphic) << cut;
  }
}

TEST(Metafile, RecordPlayAndStreams) {
  TMetafile m;
  m.SetMMWidth(2540);  // one inch
  m.SetMMHeight(2540);
  {
    TMetafileCanvas c(&m, nullptr);
    c.Brush()->SetColor(clBlue);
    c.Pen()->SetStyle(psClear);
    c.Rectangle(0, 0, 50, 50);
  }
  ASSERT_FALSE(m.Empty());
  EXPECT_EQ(m.MMWidth(), 2540);
  EXPECT_EQ(m.Width(), 96);
  std::unique_ptr<TBitmap> target(Filled(100, 100, clWhite));
  target->Canvas()->StretchDraw(Rect(0, 0, 100, 100), &m);
  EXPECT_EQ(target->Canvas()->Pixels(10, 10), clBlue);

  for (bool enhanced : {true, false}) {
    SCOPED_TRACE(enhanced ? "EMF" : "WMF");
    m.SetEnhanced(enhanced);
    TMemoryStream s;
    m.SaveToStream(&s);
    ASSERT_GT(s.Size(), 0);
    if (!enhanced) {
      EXPECT_EQ(*static_cast<DWORD*>(s.Memory()), 0x9AC6CDD7u);
    }
    s.SetPosition(0);
    TMetafile r;
    r.LoadFromStream(&s);
    EXPECT_EQ(r.Enhanced(), enhanced);
    EXPECT_NEAR(r.MMWidth(), 2540, 30);
    std::unique_ptr<TBitmap> t2(Filled(100, 100, clWhite));
    t2->Canvas()->StretchDraw(Rect(0, 0, 100, 100), &r);
    EXPECT_EQ(t2->Canvas()->Pixels(10, 10), clBlue);
  }
  TMemoryStream junk;
  junk.WriteBuffer("not a metafile at all, not at all", 33);
  junk.SetPosition(0);
  TMetafile bad;
  EXPECT_THROW(bad.LoadFromStream(&junk), EInvalidGraphic);
}
