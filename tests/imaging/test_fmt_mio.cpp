// The multi-image I/O component against a minimal multi-image view: its
// parameter list in step with the view's list, accepted pages, the resolution
// equalizer, attachment and detachment, and its form properties.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/formats/ruzozadmio.h"
#include "imaging/views/ieview.h"
#include "imaging/views/imaging_classes.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

namespace {

// The least a multi-image view does: a list of pictures and delays, the last
// change recorded and told to the change listeners.
class TListMView : public TIEView, public IIEMultiView {
 public:
  T_CLASSNAME(TListMView)
  explicit TListMView(TComponent* AOwner) : TIEView(AOwner) {}
  struct Entry {
    Integer width = 0, height = 0;
    TIEPixelKind kind = ipkNone;
    TIEColorTriple firstPixel;
    Integer delay = 0;
  };
  std::vector<Entry> entries;

  Integer EntryCount() override { return Integer(entries.size()); }
  void InsertEntry(Integer Index) override {
    const Integer at = std::min(Index, EntryCount());
    entries.insert(entries.begin() + at, Entry());
    Changed(lcInserted, Index);
  }
  void DeleteEntry(Integer Index) {
    entries.erase(entries.begin() + Index);
    Changed(lcDeleted, Index);
  }
  void StoreEntryBitmap(Integer Index, TIEBitmap* Bitmap) override {
    Entry& e = entries.at(size_t(Index));
    e.width = Bitmap->Width();
    e.height = Bitmap->Height();
    e.kind = Bitmap->PixelKind();
    e.firstPixel = Bitmap->PixelAsTriple(0, 0);
  }
  void StoreFrameDelay(Integer Index, Integer Milliseconds) override {
    if (Index >= 0 && Index < EntryCount()) entries[size_t(Index)].delay = Milliseconds;
  }
  Integer TakeLastChange() override {
    const Integer k = lastKind_;
    lastKind_ = lcNone;
    return k;
  }
  Integer LastChangeIndex() override { return lastIndex_; }
  // Another kind of change (a repaint, say) tells the listeners with nothing recorded.
  void Touch() { NotifyChangeListeners(); }

 private:
  void Changed(Integer Kind, Integer Index) {
    lastKind_ = Kind;
    lastIndex_ = Index;
    NotifyChangeListeners();
  }
  Integer lastKind_ = lcNone;
  Integer lastIndex_ = 0;
};

// The entries' page numbers and a marker (DpiX) that follows each entry.
struct TListState {
  std::vector<Integer> pages, gifIndexes, markers;
  bool operator==(const TListState&) const = default;
};
TListState StateOf(const TRuzozAdMIO& Mio) {
  TListState s;
  for (Integer i = 0; i < Mio.ParamsCount(); ++i) {
    s.pages.push_back(Mio.ParamsOf(i)->TiffPageIndex);
    s.gifIndexes.push_back(Mio.ParamsOf(i)->GifImageIndex);
    s.markers.push_back(Mio.ParamsOf(i)->DpiX);
  }
  return s;
}
std::vector<Integer> Iota(Integer N) {
  std::vector<Integer> v;
  for (Integer i = 0; i < N; ++i) v.push_back(i);
  return v;
}

std::unique_ptr<TIEBitmap> Page(Integer W, Integer H, TIEPixelKind Kind = ipkRGB24) {
  auto b = std::make_unique<TIEBitmap>();
  b->AllocateImage(W, H, Kind);
  if (Kind == ipkRGB24) {
    for (Integer y = 0; y < H; ++y) {
      auto* row = static_cast<Byte*>(b->Scanline(y));
      for (Integer x = 0; x < W; ++x) {
        row[x * 3] = Byte(x);
        row[x * 3 + 1] = Byte(y);
        row[x * 3 + 2] = 200;
      }
    }
  }
  return b;
}

}  // namespace

// Inserts and deletes in the view keep one entry per image, in order, each
// numbered with its place; an insert copies the entry it displaces (or the
// last one), and the first entry of an empty list has the defaults.
TEST(FmtMio, ParameterListFollowsTheViewsList) {
  TListMView view(nullptr);
  view.entries.resize(3);
  TRuzozAdMIO mio(nullptr);
  mio.SetAttachedMView(&view);
  ASSERT_EQ(mio.ParamsCount(), 3);
  for (Integer i = 0; i < 3; ++i) mio.ParamsOf(i)->DpiX = 100 + i;

  struct Step {
    const char* what;
    std::function<void()> act;
    std::vector<Integer> markers;
  };
  const Step steps[] = {
      {"insert at 1 copies entry 1", [&] { view.InsertEntry(1); }, {100, 101, 101, 102}},
      {"insert past the end copies the last", [&] { view.InsertEntry(99); }, {100, 101, 101, 102, 102}},
      {"delete 0 renumbers from 0", [&] { view.DeleteEntry(0); }, {101, 101, 102, 102}},
      {"a change with nothing recorded changes nothing", [&] { view.Touch(); }, {101, 101, 102, 102}},
      {"delete the last", [&] { view.DeleteEntry(3); }, {101, 101, 102}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    const Integer n = Integer(s.markers.size());
    EXPECT_EQ(view.EntryCount(), n);
    EXPECT_EQ(StateOf(mio), (TListState{Iota(n), Iota(n), s.markers}));
  }
  EXPECT_EQ(mio.ParamsOf(-1), nullptr);
  EXPECT_EQ(mio.ParamsOf(3), nullptr);

  TListMView empty(nullptr);
  TRuzozAdMIO fresh(nullptr);
  fresh.SetAttachedMView(&empty);
  EXPECT_EQ(fresh.ParamsCount(), 0);
  empty.InsertEntry(0);
  ASSERT_EQ(fresh.ParamsCount(), 1);
  TIOParamsVals defaults;
  EXPECT_EQ(fresh.ParamsOf(0)->DpiX, defaults.DpiX);
  EXPECT_EQ(fresh.ParamsOf(0)->Width, defaults.Width);
  EXPECT_EQ(fresh.ParamsOf(0)->Owner, nullptr);
}

// Attaching another view listens to that one only and leaves one entry per
// image of it; a view that is not a multi-image view is refused; a destroyed
// view is forgotten.
TEST(FmtMio, AttachDetachAndRefusal) {
  TListMView first(nullptr), second(nullptr);
  first.entries.resize(4);
  second.entries.resize(2);
  TRuzozAdMIO mio(nullptr);
  mio.SetAttachedMView(&first);
  EXPECT_EQ(mio.ParamsCount(), 4);
  EXPECT_EQ(first.ChangeListenerCount(), 1);

  mio.SetAttachedMView(&second);
  EXPECT_EQ(first.ChangeListenerCount(), 0);
  EXPECT_EQ(second.ChangeListenerCount(), 1);
  EXPECT_EQ(mio.ParamsCount(), 2) << "one entry per image of the view now attached";
  first.InsertEntry(0);
  EXPECT_EQ(mio.ParamsCount(), 2);
  second.InsertEntry(2);
  EXPECT_EQ(mio.ParamsCount(), 3);

  TIEView plain(nullptr);
  EXPECT_THROW(mio.SetAttachedMView(&plain), EInvalidCast);
  EXPECT_EQ(mio.AttachedMView(), &second);
  EXPECT_EQ(second.ChangeListenerCount(), 1);

  {
    TListMView passing(nullptr);
    passing.entries.resize(1);
    mio.SetAttachedMView(&passing);
    EXPECT_EQ(second.ChangeListenerCount(), 0);
  }
  EXPECT_EQ(mio.AttachedMView(), nullptr);
  TIOParamsVals* out = reinterpret_cast<TIOParamsVals*>(1);
  auto page = Page(4, 4);
  mio.AcceptAcquiredBitmap(page.get(), out);
  EXPECT_EQ(out, nullptr) << "no view: the page goes nowhere";
  EXPECT_EQ(mio.AcceptedCount(), 0);

  // Detached by nil, then freed before the view: the view keeps no listener.
  auto* other = new TRuzozAdMIO(nullptr);
  other->SetAttachedMView(&second);
  EXPECT_EQ(second.ChangeListenerCount(), 1);
  delete other;
  EXPECT_EQ(second.ChangeListenerCount(), 0);
}

// Accepted pages go into the view one after another from index 0, each with
// its entry handed out and a delay of 100; a handler that takes a page keeps
// the view as it was.
TEST(FmtMio, AcceptedPagesAreAppendedToTheView) {
  TListMView view(nullptr);
  view.entries.resize(1);
  TRuzozAdMIO mio(nullptr);
  mio.SetAttachedMView(&view);

  bool take = true;
  Integer offered = 0;
  mio.OnAcquireBitmap = [&](TObject* Sender, TIEBitmap*, bool& Handled) {
    EXPECT_EQ(Sender, &mio);
    ++offered;
    Handled = take;
  };
  auto page = Page(6, 5);
  TIOParamsVals* params = nullptr;
  mio.AcceptAcquiredBitmap(page.get(), params);
  EXPECT_EQ(offered, 1);
  EXPECT_EQ(params, nullptr);
  EXPECT_EQ(view.EntryCount(), 1);
  EXPECT_EQ(mio.AcceptedCount(), 0);

  take = false;
  for (Integer i = 0; i < 2; ++i) {
    auto p = Page(6 + i, 5);
    mio.AcceptAcquiredBitmap(p.get(), params);
    ASSERT_EQ(params, mio.ParamsOf(i));
    EXPECT_EQ(view.entries[size_t(i)].width, 6 + i);
    EXPECT_EQ(view.entries[size_t(i)].delay, 100);
  }
  EXPECT_EQ(mio.AcceptedCount(), 2);
  EXPECT_EQ(view.EntryCount(), 3);
  EXPECT_EQ(view.entries[2].width, 0) << "the image that was there moved behind the pages";
  EXPECT_EQ(StateOf(mio).pages, Iota(3));
  mio.ResetAcquireState();
  EXPECT_EQ(mio.AcceptedCount(), 2) << "the count of accepted pages only grows";
}

// With AutoAdjustDPI a page of 300 x 150 dpi and 1000 x 500 pixels is stored
// as 1000 x 1000 at 300 dpi both ways; the caller's page is left as it was.
TEST(FmtMio, AcceptedPageResolutionIsEqualized) {
  TListMView view(nullptr);
  view.entries.resize(1);
  TRuzozAdMIO mio(nullptr);
  mio.SetAttachedMView(&view);
  mio.ParamsOf(0)->DpiX = 300;
  mio.ParamsOf(0)->DpiY = 150;
  mio.AutoAdjustDPI = true;
  auto page = Page(1000, 500);
  TIOParamsVals* params = nullptr;
  mio.AcceptAcquiredBitmap(page.get(), params);
  ASSERT_NE(params, nullptr);
  EXPECT_EQ(view.entries[0].width, 1000);
  EXPECT_EQ(view.entries[0].height, 1000);
  EXPECT_EQ(params->DpiX, 300);
  EXPECT_EQ(params->DpiY, 300);
  EXPECT_EQ(params->Height, 1000);
  EXPECT_EQ(page->Height(), 500);
}

// The equalizer: which side grows or shrinks, filtered and nearest copies, the
// cases that need no copy, a palette picture keeps its colours, and a
// one-pixel side never becomes zero.
TEST(FmtMio, EqualizeDpiTable) {
  struct Case {
    const char* what;
    Integer w, h, dpiX, dpiY;
    TIEPixelKind kind;
    bool filtered;
    bool copy;
    Integer wantW, wantH, wantDpiX, wantDpiY;
    TIEPixelKind wantKind;
  };
  const Case cases[] = {
      {"wide: height follows", 1000, 500, 300, 150, ipkRGB24, false, true, 1000, 1000, 300, 300, ipkRGB24},
      {"tall: width follows", 100, 400, 300, 150, ipkRGB24, false, true, 50, 400, 150, 150, ipkRGB24},
      {"square counts as tall", 90, 90, 60, 120, ipkGray8, false, true, 180, 90, 120, 120, ipkGray8},
      {"filtered gives 24 bits", 40, 20, 100, 50, ipkGray8, true, true, 40, 40, 100, 100, ipkRGB24},
      {"equal resolutions", 40, 20, 72, 72, ipkRGB24, false, false, 40, 20, 72, 72, ipkRGB24},
      {"no resolution", 40, 20, 0, 72, ipkRGB24, false, false, 40, 20, 0, 72, ipkRGB24},
      {"one-pixel side stays", 1, 1, 300, 150, ipkRGB24, false, true, 1, 1, 150, 150, ipkRGB24},
      {"bilevel nearest", 64, 16, 200, 100, ipkBW1, false, true, 64, 32, 200, 200, ipkBW1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto src = Page(c.w, c.h, c.kind);
    TIOParamsVals p;
    p.Width = c.w;
    p.Height = c.h;
    p.DpiX = c.dpiX;
    p.DpiY = c.dpiY;
    TIEBitmap* out = EqualizeDpi(src.get(), p, c.filtered);
    std::unique_ptr<TIEBitmap> owned(out != src.get() ? out : nullptr);
    EXPECT_EQ(out != src.get(), c.copy);
    EXPECT_EQ(out->Width(), c.wantW);
    EXPECT_EQ(out->Height(), c.wantH);
    EXPECT_EQ(out->PixelKind(), c.wantKind);
    EXPECT_EQ(p.DpiX, c.wantDpiX);
    EXPECT_EQ(p.DpiY, c.wantDpiY);
    EXPECT_EQ(c.w == c.wantW ? p.Height : p.Width, c.w == c.wantW ? c.wantH : c.wantW);
  }

  // A palette picture: the nearest copy keeps the colours of its indexes.
  TIEBitmap pal;
  pal.AllocateImage(8, 4, ipkPal8);
  pal.SetPaletteEntry(5, TIEColorTriple{10, 20, 30});
  for (Integer y = 0; y < 4; ++y) std::memset(pal.Scanline(y), 5, 8);
  TIOParamsVals p;
  p.DpiX = 200;
  p.DpiY = 100;
  std::unique_ptr<TIEBitmap> out(EqualizeDpi(&pal, p, false));
  ASSERT_EQ(out->Height(), 8);
  const TIEColorTriple c = out->PixelAsTriple(3, 7);
  EXPECT_EQ(c.Blue, 10);
  EXPECT_EQ(c.Green, 20);
  EXPECT_EQ(c.Red, 30);

  // Filtered resampling of a flat picture keeps its colour.
  auto flat = Page(30, 10);
  for (Integer y = 0; y < 10; ++y) std::memset(flat->Scanline(y), 77, size_t(flat->RowLength()));
  TIOParamsVals q;
  q.DpiX = 150;
  q.DpiY = 50;
  std::unique_ptr<TIEBitmap> wide(EqualizeDpi(flat.get(), q, true));
  ASSERT_EQ(wide->Height(), 30);
  EXPECT_EQ(wide->PixelAsTriple(15, 20).Green, 77);
}

// The component in a form file: its published properties read and written
// back, the view reference resolved.
TEST(FmtMio, FormPropertiesReadAndWriteBack) {
  RegisterImagingClasses();
  static bool registered = false;
  if (!registered) RegisterClassInfo<TListMView, TIEView>("TListMView");
  registered = true;
  const char* const text = R"(object Form: TForm
  Left = 0
  Top = 0
  Width = 200
  Height = 120
  object MView: TListMView
    Left = 0
    Top = 0
    Width = 100
    Height = 80
  end
  object MIO: TRuzozAdMIO
    AttachedMView = MView
    MsgLanguage = msFrench
    PreviewsParams = [ioppDefaultLockPreview]
    PreviewFont.Name = 'Arial'
    AutoAdjustDPI = True
    FilteredAdjustDPI = True
    SimplifiedParamsDialogs = False
  end
end
)";
  auto* form = new TForm(nullptr);
  ReadComponentFromText(text, form);
  auto* mio = dynamic_cast<TRuzozAdMIO*>(form->FindComponent("MIO"));
  ASSERT_NE(mio, nullptr);
  EXPECT_EQ(mio->AttachedMView(), form->FindComponent("MView"));
  EXPECT_EQ(mio->MsgLanguage, msFrench);
  EXPECT_EQ(mio->PreviewsParams, TIOPreviewsParams(1u << ioppDefaultLockPreview));
  EXPECT_EQ(mio->PreviewFont()->Name(), "Arial");
  EXPECT_TRUE(mio->AutoAdjustDPI);
  EXPECT_TRUE(mio->FilteredAdjustDPI);
  EXPECT_FALSE(mio->SimplifiedParamsDialogs);
  EXPECT_EQ(mio->ScannerParams()->Owner, mio);
  const std::string once = WriteComponentToText(form);
  EXPECT_NE(once.find("AttachedMView = MView"), std::string::npos) << once;
  auto* copy = new TForm(nullptr);
  ReadComponentFromText(once, copy);
  EXPECT_EQ(WriteComponentToText(copy), once);
  delete copy;
  delete form;
}
