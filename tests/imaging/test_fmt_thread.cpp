// The I/O component's asynchronous mode: which calls go to a worker thread,
// what the worker delivers, where the events fire, how the finished load
// reaches the view's thread, failures and stops on the worker, and freeing the
// component while its worker still reads.
#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/formats/formatregistry.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/formats/ruzozadio_thread.h"
#include "imaging/views/ieview.h"
#include "platform/Classes.h"
#include "platform/SysUtils.h"

namespace {

// A picture with a different colour in every pixel, as PNG bytes.
std::vector<Byte> PatternPng(Integer W, Integer H) {
  TRuzozAdIO io(nullptr);
  TIEBitmap* b = io.IEBitmap();
  b->AllocateImage(W, H, ipkRGB24);
  for (Integer y = 0; y < H; ++y) {
    auto* row = static_cast<Byte*>(b->Scanline(y));
    for (Integer x = 0; x < W; ++x) {
      row[x * 3] = Byte(x * 7 + y);
      row[x * 3 + 1] = Byte(y * 5);
      row[x * 3 + 2] = Byte(x ^ y);
    }
  }
  TMemoryStream s;
  io.PngToStream(&s);
  const Byte* p = static_cast<const Byte*>(s.Memory());
  return std::vector<Byte>(p, p + s.Size());
}

std::vector<Byte> PixelsOf(TIEBitmap* B) {
  std::vector<Byte> out;
  for (Integer y = 0; y < B->Height(); ++y) {
    const Byte* row = static_cast<const Byte*>(B->Scanline(y));
    out.insert(out.end(), row, row + B->Width() * B->BitsPerPixel() / 8);
  }
  return out;
}

// A read-only stream over bytes that can hold its reader at a gate, slow each
// read down, or fail; it counts its reads and the thread that made them.
class TTestStream : public TStream {
 public:
  explicit TTestStream(std::vector<Byte> Bytes) : bytes_(std::move(Bytes)) {
    gate_ = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
  }
  ~TTestStream() override { ::CloseHandle(gate_); }
  void CloseGate() { ::ResetEvent(gate_); }
  void OpenGate() { ::SetEvent(gate_); }
  Integer Read(void* Buffer, Integer Count) override {
    ::WaitForSingleObject(gate_, 10000);
    readerThread = ::GetCurrentThreadId();
    ++reads;
    if (delayMs > 0) ::Sleep(DWORD(delayMs));
    if (failAfterReads >= 0 && reads > failAfterReads) throw EReadError("Stream read error");
    const Integer n = std::min<Integer>(Count, Integer(bytes_.size() - pos_));
    if (n > 0) std::memcpy(Buffer, bytes_.data() + pos_, size_t(n));
    pos_ += size_t(n);
    return n;
  }
  Integer Write(const void*, Integer) override { return 0; }
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override {
    Int64 p = Origin == soBeginning ? Offset : Origin == soCurrent ? Int64(pos_) + Offset : Int64(bytes_.size()) + Offset;
    pos_ = size_t(std::max<Int64>(0, std::min<Int64>(p, Int64(bytes_.size()))));
    return Int64(pos_);
  }
  std::atomic<Integer> reads{0};
  std::atomic<DWORD> readerThread{0};
  Integer delayMs = 0;
  Integer failAfterReads = -1;

 private:
  std::vector<Byte> bytes_;
  size_t pos_ = 0;
  HANDLE gate_;
};

// Runs the window messages and the workers' synchronized calls of this thread
// until Done() or the time is up.
bool PumpUntil(const std::function<bool()>& Done, int TimeoutMs = 10000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
  while (!Done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    CheckSynchronize();
    ::Sleep(1);
  }
  return true;
}

// What the component's events saw.
struct TEventLog {
  std::atomic<Integer> finished{0};
  std::atomic<DWORD> finishThread{0};
  std::atomic<DWORD> progressThread{0};
  std::atomic<bool> inWorkerAtFinish{false};
  std::atomic<bool> abortingAtFinish{false};
  void Watch(TRuzozAdIO& Io) {
    Io.OnProgress = [this](TObject*, Integer) { progressThread = ::GetCurrentThreadId(); };
    Io.OnFinishWork = [this, &Io](TObject*) {
      finishThread = ::GetCurrentThreadId();
      inWorkerAtFinish = Io.InWorkerThread();
      abortingAtFinish = Io.Aborting;
      ++finished;
    };
  }
  bool WaitFinished(TRuzozAdIO& Io) {
    return PumpUntil([&] { return finished > 0 && Io.WorkerCount() == 0; });
  }
};

// A view with its own buffer that notes where its notices arrive.
class TNoticeView : public TIEView {
 public:
  explicit TNoticeView(TComponent* AOwner) : TIEView(AOwner) {}
  TIEBitmap* CurrentIEBitmap() override { return &buffer; }
  void NotifyImageChanged() override { changedThread = ::GetCurrentThreadId(); }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == IEM_IOFINISHED) {
      finishedMessageThread = ::GetCurrentThreadId();
      pixelsAtMessage = buffer.Width() * buffer.Height();
      ++finishedMessages;
      return;
    }
    TIEView::WndProc(Message);
  }
  TIEBitmap buffer;
  std::atomic<DWORD> changedThread{0};
  DWORD finishedMessageThread = 0;
  Integer pixelsAtMessage = 0;
  Integer finishedMessages = 0;
};

std::string ThreadTempPath(const std::string& Name) {
  char dir[MAX_PATH];
  ::GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + "fmt_thread_" + std::to_string(::GetCurrentProcessId()) + "_" + Name;
}

void WriteFile(const std::string& Path, const std::vector<Byte>& Bytes) {
  TFileStream f(Path, fmCreate);
  f.Write(Bytes.data(), Integer(Bytes.size()));
}

Int64 SizeOfFile(const std::string& Path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!::GetFileAttributesExA(Path.c_str(), GetFileExInfoStandard, &d)) return -1;
  return (Int64(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

Integer ThreadsOfProcess() {
  HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 e;
  e.dwSize = sizeof(e);
  Integer n = 0;
  for (BOOL ok = ::Thread32First(snap, &e); ok; ok = ::Thread32Next(snap, &e))
    if (e.th32OwnerProcessID == ::GetCurrentProcessId()) ++n;
  ::CloseHandle(snap);
  return n;
}

// Text the process sends to the debugger output (OutputDebugStringA raises it
// as an exception that a vectored handler sees first).
std::vector<std::string>* gDebugTexts = nullptr;
LONG CALLBACK DebugTextCatcher(EXCEPTION_POINTERS* Info) {
  if (Info->ExceptionRecord->ExceptionCode == 0x40010006 /* DBG_PRINTEXCEPTION_C */ && gDebugTexts &&
      Info->ExceptionRecord->NumberParameters >= 2)
    gDebugTexts->push_back(reinterpret_cast<const char*>(Info->ExceptionRecord->ExceptionInformation[1]));
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

// Only a borrowed buffer with AsyncMode on goes to a worker; the call then
// returns before anything is read, and the worker delivers the same pixels a
// load on the caller's thread gives.
TEST(FmtThread, HandOffOnlyWithBorrowedBufferAndAsyncMode) {
  const std::vector<Byte> png = PatternPng(40, 30);
  TRuzozAdIO reference(nullptr);
  {
    TTestStream s(png);
    reference.PngFromStream(&s);
  }
  ASSERT_FALSE(reference.Aborting);
  const std::vector<Byte> want = PixelsOf(reference.IEBitmap());

  struct Case {
    bool borrowed, async, onWorker;
  };
  const Case cases[] = {{true, true, true}, {false, true, false}, {true, false, false}, {false, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "borrowed " << c.borrowed << " async " << c.async);
    TIEBitmap borrowed;
    TRuzozAdIO io(nullptr);
    if (c.borrowed) io.AttachIEBitmap(&borrowed);
    io.AsyncMode = c.async;
    TEventLog log;
    log.Watch(io);
    TTestStream s(png);
    s.CloseGate();
    if (c.onWorker) {
      io.PngFromStream(&s);
      // Back at once: the worker waits at the gate.
      EXPECT_EQ(io.WorkerCount(), 1);
      EXPECT_EQ(log.finished, 0);
      EXPECT_EQ(io.IEBitmap()->Width(), 0);
      EXPECT_FALSE(io.InWorkerThread());
      s.OpenGate();
    } else {
      s.OpenGate();
      io.PngFromStream(&s);
      EXPECT_EQ(log.finished, 1);
    }
    ASSERT_TRUE(log.WaitFinished(io));
    EXPECT_EQ(log.finished, 1);
    EXPECT_EQ(log.finishThread != ::GetCurrentThreadId(), c.onWorker);
    EXPECT_EQ(log.progressThread.load(), log.finishThread.load());
    EXPECT_EQ(s.readerThread.load(), log.finishThread.load());
    EXPECT_EQ(log.inWorkerAtFinish, c.onWorker);
    EXPECT_FALSE(log.abortingAtFinish);
    EXPECT_EQ(PixelsOf(io.IEBitmap()), want);
    EXPECT_EQ(io.Params().FileType, 8);
    EXPECT_EQ(io.WorkerCount(), 0);
  }
}

// File loads and saves of each kind of entry point run on the worker and give
// what they give on the caller's thread.
TEST(FmtThread, FileLoadAndStreamSaveOnWorkerMatchTheCallersThread) {
  const std::vector<Byte> png = PatternPng(33, 21);
  const std::string path = ThreadTempPath("load.png");
  WriteFile(path, png);

  TRuzozAdIO sync(nullptr);
  sync.PngFromFile(path);
  TMemoryStream syncJpeg;
  sync.JpegToStream(&syncJpeg);

  TIEBitmap borrowed;
  TRuzozAdIO io(nullptr);
  io.AttachIEBitmap(&borrowed);
  io.AsyncMode = true;
  TEventLog log;
  log.Watch(io);
  io.PngFromFile(path);
  ASSERT_TRUE(log.WaitFinished(io));
  EXPECT_NE(log.finishThread, ::GetCurrentThreadId());
  EXPECT_EQ(PixelsOf(&borrowed), PixelsOf(sync.IEBitmap()));
  EXPECT_EQ(io.Params().FileName, path);

  TMemoryStream asyncJpeg;
  log.finished = 0;
  io.JpegToStream(&asyncJpeg);
  ASSERT_TRUE(log.WaitFinished(io));
  EXPECT_NE(log.finishThread, ::GetCurrentThreadId());
  ASSERT_EQ(asyncJpeg.Size(), syncJpeg.Size());
  EXPECT_EQ(std::memcmp(asyncJpeg.Memory(), syncJpeg.Memory(), size_t(syncJpeg.Size())), 0);
  ::DeleteFileA(path.c_str());
}

// With a view attached (its buffer borrowed), the worker tells the view of the
// new image directly and asks for the repaint by a message that arrives on the
// view's own thread, after the pixels are in.
TEST(FmtThread, FinishedLoadReachesTheViewsThreadByMessage) {
  HWND host = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(host, nullptr);
  {
    TNoticeView view(nullptr);
    view.SetParentWindow(host);
    ASSERT_NE(view.Handle(), nullptr);
    TRuzozAdIO io(nullptr);
    io.SetAttachedRuzozAd(&view);
    ASSERT_FALSE(io.OwnsIEBitmap());
    io.AsyncMode = true;
    TEventLog log;
    log.Watch(io);
    TTestStream s(PatternPng(24, 16));
    io.PngFromStream(&s);
    ASSERT_TRUE(PumpUntil([&] { return view.finishedMessages > 0 && io.WorkerCount() == 0; }));
    EXPECT_EQ(view.finishedMessages, 1);
    EXPECT_EQ(view.finishedMessageThread, ::GetCurrentThreadId());
    EXPECT_EQ(view.pixelsAtMessage, 24 * 16);
    EXPECT_NE(view.changedThread, ::GetCurrentThreadId());
    EXPECT_EQ(view.changedThread.load(), log.finishThread.load());

    // On the caller's thread the same load sends no message.
    io.AsyncMode = false;
    TTestStream again(PatternPng(24, 16));
    io.PngFromStream(&again);
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(view.finishedMessages, 1);
    EXPECT_EQ(view.changedThread, ::GetCurrentThreadId());
    view.SetParentWindow(nullptr);
  }
  ::DestroyWindow(host);
}

// A failure on the worker reaches nobody as an exception: OnFinishWork has
// fired (on the worker), Aborting is set, the debugger output names it. A stop
// asked for from OnProgress ends the load early the same way.
TEST(FmtThread, FailureAndStopOnTheWorker) {
  std::vector<std::string> texts;
  gDebugTexts = &texts;
  PVOID catcher = ::AddVectoredExceptionHandler(1, DebugTextCatcher);

  const std::vector<Byte> png = PatternPng(64, 200);
  {
    TIEBitmap borrowed;
    TRuzozAdIO io(nullptr);
    io.AttachIEBitmap(&borrowed);
    io.AsyncMode = true;
    TEventLog log;
    log.Watch(io);
    TTestStream s(png);
    s.failAfterReads = 3;
    io.PngFromStream(&s);
    ASSERT_TRUE(log.WaitFinished(io));
    EXPECT_EQ(log.finished, 1);
    EXPECT_NE(log.finishThread, ::GetCurrentThreadId());
    EXPECT_TRUE(io.Aborting);
    EXPECT_EQ(io.WorkerCount(), 0);
  }
  EXPECT_NE(std::find(texts.begin(), texts.end(), std::string(TIEIOThread::FailureText)), texts.end());

  {
    TIEBitmap borrowed;
    TRuzozAdIO io(nullptr);
    io.AttachIEBitmap(&borrowed);
    io.AsyncMode = true;
    TEventLog log;
    log.Watch(io);
    Integer readsOfWholeLoad = 0;
    {
      TTestStream whole(png);
      TRuzozAdIO plain(nullptr);
      plain.PngFromStream(&whole);
      readsOfWholeLoad = whole.reads;
    }
    std::atomic<Integer> progressCalls{0};
    io.OnProgress = [&](TObject*, Integer Percent) {
      if (Percent < 100 && ++progressCalls == 2) io.Aborting = true;
    };
    TTestStream s(png);
    io.PngFromStream(&s);
    ASSERT_TRUE(log.WaitFinished(io));
    EXPECT_TRUE(log.abortingAtFinish);
    EXPECT_TRUE(io.Aborting);
    EXPECT_LT(s.reads, readsOfWholeLoad) << "the stop came before the end of the data";
  }
  ::RemoveVectoredExceptionHandler(catcher);
  gDebugTexts = nullptr;
}

// Freeing the component while its worker reads a slow stream waits for the
// worker: the load completes into the caller's buffer, OnFinishWork has fired,
// and nothing reads or writes after the free returns. A worker handler that
// needs the main thread (Synchronize) is served during the wait.
TEST(FmtThread, FreeingTheComponentWaitsForItsWorker) {
  const std::vector<Byte> png = PatternPng(48, 120);
  TRuzozAdIO reference(nullptr);
  {
    TTestStream s(png);
    reference.PngFromStream(&s);
  }
  for (bool synchronizeAtFinish : {false, true}) {
    SCOPED_TRACE(synchronizeAtFinish ? "OnFinishWork synchronizes" : "plain OnFinishWork");
    auto buffer = std::make_unique<TIEBitmap>();
    auto* io = new TRuzozAdIO(nullptr);
    io->AttachIEBitmap(buffer.get());
    io->AsyncMode = true;
    std::atomic<Integer> finished{0};
    DWORD syncThread = 0;
    io->OnFinishWork = [&](TObject*) {
      if (synchronizeAtFinish) TThread::Synchronize(nullptr, [&] { syncThread = ::GetCurrentThreadId(); });
      ++finished;
    };
    TTestStream s(png);
    s.delayMs = 5;
    io->PngFromStream(&s);
    ASSERT_TRUE(PumpUntil([&] { return s.reads > 2; }));
    ASSERT_EQ(finished, 0) << "the worker must still be reading";
    delete io;
    EXPECT_EQ(finished, 1);
    if (synchronizeAtFinish) {
      EXPECT_EQ(syncThread, ::GetCurrentThreadId());
    }
    const Integer readsAtFree = s.reads;
    EXPECT_EQ(PixelsOf(buffer.get()), PixelsOf(reference.IEBitmap()));
    buffer.reset();
    ::Sleep(50);
    EXPECT_EQ(s.reads, readsAtFree);
  }
}

// A handler that frees the component from its own OnFinishWork, on the worker,
// neither hangs nor leaves the worker touching the freed component.
TEST(FmtThread, ComponentFreedFromItsOwnFinishOnTheWorker) {
  const Integer threadsBefore = ThreadsOfProcess();
  TIEBitmap buffer;
  auto* io = new TRuzozAdIO(nullptr);
  io->AttachIEBitmap(&buffer);
  io->AsyncMode = true;
  std::atomic<bool> freed{false};
  io->OnFinishWork = [&](TObject* Sender) {
    // The handler is freed with the component: nothing of it is read afterwards.
    std::atomic<bool>* flag = &freed;
    delete static_cast<TRuzozAdIO*>(Sender);
    *flag = true;
  };
  TTestStream s(PatternPng(20, 20));
  s.failAfterReads = 2;  // the worker's failure path runs after the free as well
  io->PngFromStream(&s);
  ASSERT_TRUE(PumpUntil([&] { return freed.load(); }));
  EXPECT_TRUE(PumpUntil([&] { return ThreadsOfProcess() <= threadsBefore; }, 5000)) << "the worker ended";
}

namespace {

// A format of the test's own: "T7", width, height; every pixel one grey. The
// reader notes the thread it ran on.
std::atomic<DWORD> gT7ReaderThread{0};
void ReadT7(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, bool, TIEProgressRecord& Progress) {
  gT7ReaderThread = ::GetCurrentThreadId();
  Byte head[5];
  if (Stream->Read(head, 5) != 5 || head[0] != 'T' || head[1] != '7') {
    *Progress.Abort = true;
    return;
  }
  Bitmap->AllocateImage(head[2], head[3], ipkRGB24);
  Bitmap->FillWith(head[4]);
  Params.Width = head[2];
  Params.Height = head[3];
}
void WriteT7(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals&, TIEProgressRecord&) {
  const Byte head[5] = {'T', '7', Byte(Bitmap->Width()), Byte(Bitmap->Height()), 9};
  Stream->Write(head, 5);
}
bool ProbeT7(TStream* Stream) {
  Byte head[2] = {0, 0};
  return Stream->Read(head, 2) == 2 && head[0] == 'T' && head[1] == '7';
}
constexpr Integer kT7 = 77;
void RegisterT7() {
  static bool done = false;
  if (done) return;
  done = true;
  TIEFormatRegistration r;
  r.FormatType = kT7;
  r.DisplayName = "Test T7";
  r.ExtensionList = "t77";
  r.ReadHook = ReadT7;
  r.WriteHook = WriteT7;
  r.ProbeHook = ProbeT7;
  RegisterFileFormat(r);
}

std::vector<Byte> T7Bytes(Byte W, Byte H) { return {'T', '7', W, H, 50}; }

std::string MakeEmf() {
  const std::string path = ThreadTempPath("shape.emf");
  HDC dc = ::CreateEnhMetaFileA(nullptr, path.c_str(), nullptr, nullptr);
  ::Rectangle(dc, 0, 0, 40, 20);
  ::DeleteEnhMetaFile(::CloseEnhMetaFile(dc));
  return path;
}

}  // namespace

// Every call shape hands its own arguments to the worker: the entry points
// with a name, a stream, a result (returned as -1 at once), a type number and
// a size, on the registry roads as on the built-in ones.
TEST(FmtThread, EveryCallShapeRunsOnTheWorker) {
  RegisterT7();
  const std::string t7 = ThreadTempPath("shape.t77");
  WriteFile(t7, T7Bytes(6, 5));
  const std::string gif = ThreadTempPath("shape.gif");
  const std::string tif = ThreadTempPath("shape.tif");
  {
    TRuzozAdIO maker(nullptr);
    maker.IEBitmap()->AllocateImage(7, 3, ipkRGB24);
    maker.IEBitmap()->FillWith(0x80);
    maker.GifToFile(gif);
    maker.TiffToFile(tif);
  }
  const std::string emf = MakeEmf();
  const std::string saved = ThreadTempPath("saved.t77");
  TMemoryStream savedStream;

  struct Case {
    const char* what;
    std::function<Integer(TRuzozAdIO&, TStream*)> call;  // result of a function shape, else 0
    std::vector<Byte> streamBytes;
    Integer wantWidth;  // after a load; -1: a save, the buffer keeps its 2 pixels
    bool registryReader;
  };
  const Case cases[] = {
      {"by extension, registry road", [&](TRuzozAdIO& io, TStream*) { io.LoadFileByExtension(t7); return 0; }, {}, 6,
       true},
      {"of a registered type", [&](TRuzozAdIO& io, TStream*) { io.LoadFileOfType(t7, kT7); return 0; }, {}, 6, true},
      {"stream of a registered type", [&](TRuzozAdIO& io, TStream* s) { io.LoadStreamOfType(s, kT7); return 0; },
       T7Bytes(4, 4), 4, true},
      {"stream by content, registry road", [&](TRuzozAdIO& io, TStream* s) { io.LoadStreamDetected(s); return 0; },
       T7Bytes(3, 9), 3, true},
      {"GIF file, result at once", [&](TRuzozAdIO& io, TStream*) { return io.GifFromFile(gif); }, {}, 7, false},
      {"TIFF file, result at once", [&](TRuzozAdIO& io, TStream*) { return io.TiffFromFile(tif); }, {}, 7, false},
      {"metafile with a size", [&](TRuzozAdIO& io, TStream*) { io.MetafileFromFile(emf, 20, 10); return 0; }, {}, 20,
       false},
      {"save by extension, registry road", [&](TRuzozAdIO& io, TStream*) { io.SaveFileByExtension(saved); return 0; },
       {}, -1, false},
      {"save a stream of a type", [&](TRuzozAdIO& io, TStream*) { io.SaveStreamOfType(&savedStream, kT7); return 0; },
       {}, -1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TIEBitmap borrowed;
    borrowed.AllocateImage(2, 1, ipkRGB24);
    TRuzozAdIO io(nullptr);
    io.AttachIEBitmap(&borrowed);
    io.AsyncMode = true;
    TEventLog log;
    log.Watch(io);
    gT7ReaderThread = 0;
    TTestStream s(c.streamBytes);
    const Integer result = c.call(io, &s);
    EXPECT_EQ(result, std::string(c.what).find("result at once") != std::string::npos ? -1 : 0);
    ASSERT_TRUE(log.WaitFinished(io));
    EXPECT_EQ(log.finished, 1);
    EXPECT_NE(log.finishThread, ::GetCurrentThreadId());
    EXPECT_FALSE(io.Aborting);
    EXPECT_EQ(borrowed.Width(), c.wantWidth < 0 ? 2 : c.wantWidth);
    if (c.registryReader) {
      EXPECT_EQ(gT7ReaderThread.load(), log.finishThread.load());
    }
  }
  EXPECT_EQ(SizeOfFile(saved), 5);
  EXPECT_EQ(savedStream.Size(), 5);
  for (const std::string& f : {t7, gif, tif, emf, saved}) ::DeleteFileA(f.c_str());
}

// The editor's road in the asynchronous mode: files loaded by extension into
// a view's buffer on a worker give the pixels a load on the caller's thread
// gives, and each finished load reaches the view's thread by its message.
TEST(FmtThread, LoadByExtensionOnWorkerGivesTheSamePixels) {
  HWND host = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(host, nullptr);
  TRuzozAdIO maker(nullptr);
  {
    const std::vector<Byte> png = PatternPng(37, 23);
    TTestStream s(png);
    maker.PngFromStream(&s);
  }
  for (const char* ext : {".png", ".jpg", ".bmp", ".gif", ".tif", ".pcx", ".tga", ".ppm"}) {
    SCOPED_TRACE(ext);
    const std::string path = ThreadTempPath(std::string("road") + ext);
    maker.SaveFileByExtension(path);
    ASSERT_FALSE(maker.Aborting);
    TRuzozAdIO sync(nullptr);
    sync.LoadFileByExtension(path);
    ASSERT_FALSE(sync.Aborting);
    {
      TNoticeView view(nullptr);
      view.SetParentWindow(host);
      TRuzozAdIO io(nullptr);
      io.SetAttachedRuzozAd(&view);
      io.AsyncMode = true;
      TEventLog log;
      log.Watch(io);
      io.LoadFileByExtension(path);
      ASSERT_TRUE(PumpUntil([&] { return view.finishedMessages > 0 && io.WorkerCount() == 0; }));
      EXPECT_NE(log.finishThread, ::GetCurrentThreadId());
      EXPECT_EQ(view.finishedMessageThread, ::GetCurrentThreadId());
      EXPECT_FALSE(io.Aborting);
      EXPECT_EQ(view.buffer.PixelKind(), sync.IEBitmap()->PixelKind());
      EXPECT_EQ(PixelsOf(&view.buffer), PixelsOf(sync.IEBitmap()));
      view.SetParentWindow(nullptr);
    }
    ::DeleteFileA(path.c_str());
  }
  ::DestroyWindow(host);
}
