// Loading thumbnails by file name: the background pool fed by the starter
// thread, synchronous loads, cancelling what scrolled away, placeholders for
// files that cannot be read, and clearing or destroying the view while loads
// run without a crash or a leak.
#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "imaging/formats/formatregistry.h"
#include "imaging/views/ruzozadmview.h"
#include "tests/imaging/mview_util.h"

namespace {

using mview::FileColour;
using mview::Solid;
using mview::TViewForm;

// --- A format whose reader waits at a gate, so a test decides when loads end.

HANDLE Gate() {
  static HANDLE gate = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  return gate;
}
std::atomic<int> gatedReads{0};

// The file holds three bytes: the picture's red, green and blue.
void GatedRead(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly,
               TIEProgressRecord& Progress) {
  Byte rgb[3] = {};
  Stream->Read(rgb, 3);
  Params.Width = 24;
  Params.Height = 16;
  if (ParamsOnly) return;
  ++gatedReads;
  for (int waited = 0; ::WaitForSingleObject(Gate(), 5) == WAIT_TIMEOUT; waited += 5)
    if (Progress.Aborted() || waited > 10000) {
      Progress.SetAborted();
      return;
    }
  Bitmap->AllocateImage(24, 16, ipkRGB24);
  for (Integer y = 0; y < 16; ++y) {
    auto* row = static_cast<TIEColorTriple*>(Bitmap->GetRowPointer(y));
    for (Integer x = 0; x < 24; ++x) row[x] = MakeColorTriple(rgb[0], rgb[1], rgb[2]);
  }
}

void RegisterGatedFormat() {
  static bool done = false;
  if (done) return;
  done = true;
  TIEFormatRegistration r;
  r.FormatType = 9121;
  r.DisplayName = "Gated test pictures";
  r.ExtensionList = "mvgate";
  r.ReadHook = &GatedRead;
  RegisterFileFormat(r);
}

void WriteGated(const std::string& Path, TIEColorTriple C) {
  TFileStream f(Path, fmCreate);
  const Byte rgb[3] = {C.Red, C.Green, C.Blue};
  f.Write(rgb, 3);
}

// --- Files and counts.

struct TFolder {
  std::string dir;
  std::vector<std::string> files;
  TFolder(const std::string& Tag, Integer N, const char* Ext) : dir(mview::NewTempFolder(Tag)) {
    for (Integer i = 0; i < N; ++i) {
      files.push_back(dir + "\\p" + IntToStr(i) + Ext);
      const TIEColorTriple c = FileColour(i);
      if (std::string(Ext) == ".bmp") {
        auto b = Solid(24, 16, c.Red, c.Green, c.Blue);
        mview::WriteBmp(b.get(), files.back());
      } else {
        WriteGated(files.back(), c);
      }
    }
  }
  ~TFolder() { mview::RemoveFolder(dir); }
};

struct TCounts {
  DWORD handles = 0, gdi = 0, user = 0, threads = 0;
  size_t heap = 0;
};

size_t HeapInUse() {
  size_t total = 0;
  HANDLE heaps[64];
  const DWORD n = ::GetProcessHeaps(64, heaps);
  for (DWORD k = 0; k < n && k < 64; ++k) {
    if (!::HeapLock(heaps[k])) continue;
    PROCESS_HEAP_ENTRY e{};
    while (::HeapWalk(heaps[k], &e))
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += e.cbData;
    ::HeapUnlock(heaps[k]);
  }
  return total;
}

DWORD ThreadCount() {
  DWORD n = 0;
  HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 te{};
  te.dwSize = sizeof te;
  for (BOOL ok = ::Thread32First(snap, &te); ok; ok = ::Thread32Next(snap, &te))
    if (te.th32OwnerProcessID == ::GetCurrentProcessId()) ++n;
  ::CloseHandle(snap);
  return n;
}

// The handles of this process in the system's handle list (where the
// process's own count is not kept, as under Wine).
DWORD HandlesInSystemList() {
  struct Entry {
    ULONG OwnerPid;
    BYTE ObjectType, Flags;
    USHORT Value;
    PVOID Object;
    ULONG Access;
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  static const auto query =
      reinterpret_cast<Query>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return 0;
  std::vector<Byte> buffer(1 << 20);
  for (int tries = 0; tries < 8; ++tries) {
    ULONG needed = 0;
    const LONG status = query(16 /* handle list */, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == static_cast<LONG>(0xC0000004)) {  // too small
      buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
      continue;
    }
    if (status != 0) return 0;
    const ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
    DWORD mine = 0;
    for (ULONG k = 0; k < count; ++k)
      if (entries[k].OwnerPid == ::GetCurrentProcessId()) ++mine;
    return mine;
  }
  return 0;
}

TCounts Measure() {
  TCounts c;
  ::GetProcessHandleCount(::GetCurrentProcess(), &c.handles);
  if (c.handles == 0) c.handles = HandlesInSystemList();
  c.gdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  c.user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
  c.threads = ThreadCount();
  c.heap = HeapInUse();
  return c;
}

void ExpectNoLeak(const TCounts& Before, DWORD ThreadsAtStart) {
  // Workers end a moment after they leave their loader.
  EXPECT_TRUE(testui::PumpUntil([&] { return ThreadCount() <= ThreadsAtStart; }, 5000))
      << ThreadCount() << " threads, " << ThreadsAtStart << " before";
  const TCounts after = Measure();
  std::printf("handles %lu -> %lu, GDI objects %lu -> %lu, user objects %lu -> %lu, heap in use %zu -> %zu\n",
              Before.handles, after.handles, Before.gdi, after.gdi, Before.user, after.user, Before.heap,
              after.heap);
  EXPECT_LE(after.handles, Before.handles + 4) << "handles " << Before.handles << " -> " << after.handles;
  EXPECT_LE(after.gdi, Before.gdi + 4);
  EXPECT_LE(after.user, Before.user + 2);
  EXPECT_LT(after.heap, Before.heap + 512 * 1024) << "heap " << Before.heap << " -> " << after.heap;
}

void FillNames(TRuzozAdMView* V, const std::vector<std::string>& Files) {
  V->SuspendRefresh();
  for (size_t i = 0; i < Files.size(); ++i) {
    V->InsertEntry(static_cast<Integer>(i));
    V->SetEntryFileName(static_cast<Integer>(i), Files[i]);
  }
  V->ResumeRefresh();
}

void ClearAll(TRuzozAdMView* V) {
  V->SuspendRefresh();
  while (V->EntryCount() > 0) V->DeleteEntry(V->EntryCount() - 1);
  V->ResumeRefresh();
}

bool Idle(TRuzozAdMView* V) { return V->RunningLoaderCount() == 0 && V->QueuedCount() == 0; }

TIEColorTriple StoredColour(TRuzozAdMView* V, Integer I) {
  TIEBitmap b;
  if (!V->CopyStoredImage(I, &b)) return MakeColorTriple(1, 2, 3);
  return b.PixelAsTriple(b.Width() / 2, b.Height() / 2);
}

}  // namespace

TEST(MViewLoad, PoolLoadsFiveHundredFilesAndClearingWhileLoadingLeaksNothing) {
  TFolder folder("pool", 500, ".bmp");
  TViewForm f(640, 480);
  TRuzozAdMView* v = f.view;
  v->SetThumbWidth(40);
  v->SetThumbHeight(30);
  v->SetGridWidth(-1);
  ASSERT_EQ(v->ThreadPoolSize(), 5);

  // Every visible entry loads in the background, with its own picture; the
  // entries out of sight stay empty.
  FillNames(v, folder.files);
  auto allVisibleLoaded = [&] {
    for (Integer i = 0; i < v->EntryCount(); ++i)
      if (v->IsEntryVisible(i) && !v->EntryHasImage(i)) return false;
    return Idle(v);
  };
  ASSERT_TRUE(testui::PumpUntil(allVisibleLoaded, 60000));
  Integer visible = 0;
  for (Integer i = 0; i < v->EntryCount(); ++i) {
    if (!v->IsEntryVisible(i)) {
      EXPECT_FALSE(v->EntryHasImage(i)) << i;
      continue;
    }
    ++visible;
    EXPECT_EQ(StoredColour(v, i), FileColour(i)) << "entry " << i;
  }
  EXPECT_GT(visible, 100);
  EXPECT_LT(visible, 400);
  // Scrolling on brings the next entries in.
  v->SetScrollY(v->ContentHeight());
  ASSERT_TRUE(testui::PumpUntil(allVisibleLoaded, 60000));
  EXPECT_EQ(StoredColour(v, 499), FileColour(499));
  // The multi-image I/O component got each loaded file's parameters.
  ASSERT_NE(v->OwnMIO()->ParamsOf(499), nullptr);
  EXPECT_EQ(v->OwnMIO()->ParamsOf(499)->FileType, ioBMP);
  EXPECT_EQ(v->OwnMIO()->ParamsOf(499)->Width, 24);
  ClearAll(v);
  ASSERT_TRUE(testui::PumpUntil([&] { return Idle(v); }, 10000));

  // Cleared again and again while the loads run: every tenth file waits at
  // the gate, so loaders are surely at work when the list goes.
  RegisterGatedFormat();
  ::ResetEvent(Gate());
  TFolder gated("pool_gate", 50, ".mvgate");
  std::vector<std::string> mixed = folder.files;
  for (size_t i = 0; i < mixed.size(); i += 10) mixed[i] = gated.files[i / 10];
  DWORD threadsAtStart = 0;
  TCounts before;
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    // Counted after the first round: the system makes a thread of its own
    // on the way, once.
    if (round == 1) {
      threadsAtStart = ThreadCount();
      before = Measure();
    }
    v->SetScrollY(0);
    FillNames(v, mixed);
    ASSERT_TRUE(testui::PumpUntil([&] { return v->RunningLoaderCount() >= 3; }, 10000));
    testui::PumpUntil([] { return false; }, round * 15);
    ClearAll(v);
    EXPECT_EQ(v->EntryCount(), 0);
    ASSERT_TRUE(testui::PumpUntil([&] { return Idle(v); }, 10000));
  }
  ExpectNoLeak(before, threadsAtStart);
}

TEST(MViewLoad, DestroyingTheViewWhileLoadsRunIsSafe) {
  RegisterGatedFormat();
  ::ResetEvent(Gate());
  TFolder folder("destroy", 120, ".bmp");
  TFolder gated("destroy_gate", 12, ".mvgate");
  std::vector<std::string> mixed = folder.files;
  for (size_t i = 0; i < mixed.size(); i += 10) mixed[i] = gated.files[i / 10];
  auto round = [&] {
    TViewForm f(400, 300);
    f.view->SetThumbWidth(40);
    f.view->SetThumbHeight(30);
    f.view->SetGridWidth(-1);
    FillNames(f.view, mixed);
    ASSERT_TRUE(testui::PumpUntil([&] { return f.view->RunningLoaderCount() >= 3; }, 10000));
    // The form and its view go while loaders are at work.
  };
  round();
  const DWORD threadsAtStart = ThreadCount();
  const TCounts before = Measure();
  for (int k = 0; k < 5; ++k) round();
  ExpectNoLeak(before, threadsAtStart);
}

// N gated files in one row of a shown view, cells 0..3 in sight and their
// four loads held at the closed gate.
struct TGatedRow : TViewForm {
  TFolder folder;
  explicit TGatedRow(Integer N) : TViewForm(320, 120), folder("gated", (RegisterGatedFormat(), N), ".mvgate") {
    ::ResetEvent(Gate());
    view->SetScrollBars(ssNone);
    FillNames(view, folder.files);
  }
  ~TGatedRow() { ::ResetEvent(Gate()); }
};

TEST(MViewLoad, GatedLoadsQueueOnceAndCancelWhenScrolledAway) {
  TGatedRow row(20);
  TRuzozAdMView* v = row.view;
  ASSERT_TRUE(testui::PumpUntil([&] { return v->RunningLoaderCount() == 4; }, 5000));
  EXPECT_EQ(v->QueuedCount(), 0);
  // Running loads are not queued again; an entry queued twice stays once.
  EXPECT_TRUE(v->QueueEntryLoad(0));
  EXPECT_EQ(v->QueuedCount(), 0);

  // Away to the end: the four loads are cancelled, not finished.
  v->SetScrollX(v->ContentWidth());
  Application->ProcessMessages();
  EXPECT_TRUE(v->QueueEntryLoad(19));
  ::SetEvent(Gate());
  ASSERT_TRUE(testui::PumpUntil([&] { return Idle(v) && v->EntryHasImage(19); }, 10000));
  for (Integer i = 0; i < 4; ++i) EXPECT_FALSE(v->EntryHasImage(i)) << i;
  EXPECT_EQ(StoredColour(v, 17), FileColour(17));

  // Back in view they are asked for again and load.
  v->SetScrollX(0);
  ASSERT_TRUE(testui::PumpUntil([&] { return Idle(v) && v->EntryHasImage(0) && v->EntryHasImage(3); }, 10000));
  EXPECT_EQ(StoredColour(v, 2), FileColour(2));
}

TEST(MViewLoad, LoadsFollowTheirEntriesThroughInsertsAndDeletes) {
  TGatedRow row(8);
  TRuzozAdMView* v = row.view;
  ASSERT_TRUE(testui::PumpUntil([&] { return v->RunningLoaderCount() == 4; }, 5000));
  // Entry 0 goes while its file loads, a new entry comes in before entry 2:
  // no picture may land in the entry that took another's place.
  v->DeleteEntry(0);
  v->InsertEntry(1);
  ::SetEvent(Gate());
  ASSERT_TRUE(testui::PumpUntil([&] { return Idle(v) && v->EntryHasImage(0) && v->EntryHasImage(3); }, 10000));
  EXPECT_FALSE(v->EntryHasImage(1));  // the new one has no file
  EXPECT_EQ(StoredColour(v, 0), FileColour(1));
  EXPECT_EQ(StoredColour(v, 2), FileColour(2));
  EXPECT_EQ(StoredColour(v, 3), FileColour(3));
}

TEST(MViewLoad, QueueAnswers) {
  TFolder folder("queue", 3, ".bmp");
  TViewForm f(400, 200, false);  // never painted: nothing loads on its own
  TRuzozAdMView* v = f.view;
  v->SetThreadPoolSize(0);  // nothing leaves the queue
  v->SetScrollBars(ssNone);
  FillNames(v, folder.files);
  v->InsertEntry(3);  // no file name
  v->InsertEntry(4);
  v->SetEntryImageID(4, 7);
  auto pic = Solid(5, 5, 1, 1, 1);
  v->InsertEntry(5);
  v->StoreEntryBitmap(5, pic.get());

  EXPECT_TRUE(v->QueueEntryLoad(1));
  EXPECT_TRUE(v->QueueEntryLoad(1));
  EXPECT_EQ(v->QueuedCount(), 1);
  EXPECT_FALSE(v->QueueEntryLoad(3));   // nothing to load from
  EXPECT_TRUE(v->QueueEntryLoad(5));    // has its picture
  EXPECT_FALSE(v->QueueEntryLoad(4));   // an ID without a handler, and no file
  v->OnImageIDRequest = [&](TObject*, Integer id, TBitmap*& b) {
    static TBitmap given;
    given.SetPixelFormat(pf24bit);
    given.SetSize(6 + id, 4);
    b = &given;
  };
  v->InsertEntry(6);
  v->SetEntryImageID(6, 3);
  EXPECT_FALSE(v->QueueEntryLoad(6));  // asked synchronously instead
  EXPECT_TRUE(v->LoadEntryNow(6));
  EXPECT_EQ(v->StoredImageSize(6).X, 9);
  EXPECT_FALSE(v->QueueEntryLoad(99));
}

TEST(MViewLoad, WithoutAPoolVisibleEntriesLoadWhilePainting) {
  TFolder folder("sync", 30, ".bmp");
  TViewForm f(330, 120);
  TRuzozAdMView* v = f.view;
  v->SetThreadPoolSize(0);
  v->SetScrollBars(ssNone);
  FillNames(v, folder.files);
  v->Repaint();
  Application->ProcessMessages();
  EXPECT_EQ(v->RunningLoaderCount(), 0);
  for (Integer i = 0; i < 4; ++i) EXPECT_EQ(StoredColour(v, i), FileColour(i)) << i;
  EXPECT_FALSE(v->EntryHasImage(4));
  EXPECT_FALSE(v->EntryHasImage(29));
}

TEST(MViewLoad, UnreadableFilesGetThePlaceholder) {
  TFolder folder("bad", 2, ".bmp");
  {
    TFileStream junk(folder.files[0], fmCreate);
    const char text[] = "BM this is not a picture at all, only some words";
    junk.Write(text, sizeof text);
  }
  const std::string missing = folder.dir + "\\gone.bmp";
  struct Case {
    const char* what;
    Integer pool;
    bool missingFile;
  };
  const Case cases[] = {{"broken, background", 5, false},
                        {"missing, background", 5, true},
                        {"broken, synchronous", 0, false},
                        {"missing, synchronous", 0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TViewForm f(330, 120);
    TRuzozAdMView* v = f.view;
    v->SetThreadPoolSize(c.pool);
    v->SetThumbWidth(60);
    v->SetThumbHeight(60);
    FillNames(v, {c.missingFile ? missing : folder.files[0], folder.files[1]});
    ASSERT_TRUE(testui::PumpUntil([&] { return Idle(v) && v->EntryHasImage(0) && v->EntryHasImage(1); }, 10000));
    // White with a blue question mark, the size of a cell.
    TIEBitmap b;
    ASSERT_TRUE(v->CopyStoredImage(0, &b));
    EXPECT_EQ(b.Width(), 60);
    EXPECT_EQ(b.PixelAsTriple(0, 0), MakeColorTriple(255, 255, 255));
    Integer blue = 0;
    for (Integer y = 0; y < b.Height(); ++y)
      for (Integer x = 0; x < b.Width(); ++x)
        if (b.PixelAsTriple(x, y) == MakeColorTriple(0, 0, 255)) ++blue;
    EXPECT_GT(blue, 20);
    EXPECT_EQ(StoredColour(v, 1), FileColour(1));
  }

  // The application's own picture, and corrupted entries removed while painting.
  TViewForm f(330, 120);
  TRuzozAdMView* v = f.view;
  v->SetThreadPoolSize(0);
  v->OnWrongImage = [](TObject*, TIEBitmap* Out, Integer, bool& Handled) {
    Out->FillWith(0x00FF00);
    Handled = true;
  };
  FillNames(v, {folder.files[0], folder.files[1]});
  EXPECT_FALSE(v->LoadEntryNow(0));
  EXPECT_EQ(StoredColour(v, 0), MakeColorTriple(0, 255, 0));
  v->InsertEntry(0);
  v->SetEntryFileName(0, missing);
  v->SetRemoveCorrupted(true);
  v->Repaint();
  Application->ProcessMessages();
  ASSERT_EQ(v->EntryCount(), 2);
  EXPECT_EQ(v->EntryFileName(0), folder.files[0]);
}
