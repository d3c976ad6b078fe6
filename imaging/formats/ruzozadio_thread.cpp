// The I/O component's worker threads: the hand-off of an entry point, the
// worker list and the waits on it.
#include "imaging/formats/ruzozadio_thread.h"

#include <algorithm>

TIEIOThread::TIEIOThread(TRuzozAdIO* Owner, Integer Shape) : TThread(true), shape_(Shape), owner_(Owner) {}

TIEIOThread::TIEIOThread(TRuzozAdIO* Owner, TNameProc Method, const std::string& Name, Integer Shape)
    : TIEIOThread(Owner, Shape == shAddress ? shAddress : shName) {
  nameProc_ = Method;
  name_ = Name;
  Enlist();
}

TIEIOThread::TIEIOThread(TRuzozAdIO* Owner, TStreamProc Method, TStream* Stream) : TIEIOThread(Owner, shStream) {
  streamProc_ = Method;
  stream_ = Stream;
  Enlist();
}

TIEIOThread::TIEIOThread(TRuzozAdIO* Owner, TNameFunc Method, const std::string& Name)
    : TIEIOThread(Owner, shNameFunc) {
  nameFunc_ = Method;
  name_ = Name;
  Enlist();
}

TIEIOThread::TIEIOThread(TRuzozAdIO* Owner, TStreamFunc Method, TStream* Stream) : TIEIOThread(Owner, shStreamFunc) {
  streamFunc_ = Method;
  stream_ = Stream;
  Enlist();
}

TIEIOThread::TIEIOThread(TRuzozAdIO* Owner, TNameIntProc Method, const std::string& Name, Integer Value)
    : TIEIOThread(Owner, shNameInt) {
  nameIntProc_ = Method;
  name_ = Name;
  value1_ = Value;
  Enlist();
}

TIEIOThread::TIEIOThread(TRuzozAdIO* Owner, TStreamIntProc Method, TStream* Stream, Integer Value)
    : TIEIOThread(Owner, shStreamInt) {
  streamIntProc_ = Method;
  stream_ = Stream;
  value1_ = Value;
  Enlist();
}

TIEIOThread::TIEIOThread(TRuzozAdIO* Owner, TNameIntIntProc Method, const std::string& Name, Integer Value1,
                         Integer Value2)
    : TIEIOThread(Owner, shNameIntInt) {
  nameIntIntProc_ = Method;
  name_ = Name;
  value1_ = Value1;
  value2_ = Value2;
  Enlist();
}

// In the list before the body can run, so that the owner's destructor always
// sees a started worker.
void TIEIOThread::Enlist() {
  list_ = owner_->workers_;
  list_->Lock.Enter();
  list_->Threads.push_back(this);
  list_->Lock.Leave();
  Resume();
}

void TIEIOThread::Execute() {
  workerId_ = ::GetCurrentThreadId();
  TRuzozAdIO* io = owner_;
  bool failed = false;
  try {
    switch (shape_) {
      case shName:
      case shAddress:
        (io->*nameProc_)(name_);
        break;
      case shStream:
        (io->*streamProc_)(stream_);
        break;
      case shNameFunc:
        (io->*nameFunc_)(name_);
        break;
      case shStreamFunc:
        (io->*streamFunc_)(stream_);
        break;
      case shNameInt:
        (io->*nameIntProc_)(name_, value1_);
        break;
      case shStreamInt:
        (io->*streamIntProc_)(stream_, value1_);
        break;
      case shNameIntInt:
        (io->*nameIntIntProc_)(name_, value1_, value2_);
        break;
      default:
        break;
    }
  } catch (...) {
    // Nobody waits for this thread: the caller learns of the failure only
    // through Aborting, read in its OnFinishWork handler.
    ::OutputDebugStringA(FailureText);
    failed = true;
  }
  SetFreeOnTerminate(true);
  // The component may have been freed by a handler on this very thread; the
  // shared list says so, and then nothing of it is touched any more.
  std::shared_ptr<TRuzozAdIO::TWorkerList> list = list_;
  list->Lock.Enter();
  if (failed && list->Owner != nullptr) list->Owner->Aborting = true;
  auto& threads = list->Threads;
  threads.erase(std::remove(threads.begin(), threads.end(), this), threads.end());
  list->Lock.Leave();
}

// --- The component's side ------------------------------------------------------

std::shared_ptr<TRuzozAdIO::TWorkerList> TRuzozAdIO::NewWorkerList(TRuzozAdIO* Owner) {
  auto list = std::make_shared<TWorkerList>();
  list->Owner = Owner;
  return list;
}

bool TRuzozAdIO::InWorkerThread() const {
  const DWORD me = ::GetCurrentThreadId();
  workers_->Lock.Enter();
  bool found = false;
  for (TIEIOThread* t : workers_->Threads)
    if (t->WorkerThreadId() == me) {
      found = true;
      break;
    }
  workers_->Lock.Leave();
  return found;
}

Integer TRuzozAdIO::WorkerCount() const {
  workers_->Lock.Enter();
  const auto n = static_cast<Integer>(workers_->Threads.size());
  workers_->Lock.Leave();
  return n;
}

void TRuzozAdIO::WaitForWorkers() {
  const DWORD me = ::GetCurrentThreadId();
  const bool mainThread = me == MainThreadID;
  for (;;) {
    workers_->Lock.Enter();
    size_t others = 0;
    for (TIEIOThread* t : workers_->Threads)
      if (t->WorkerThreadId() != me) ++others;
    workers_->Lock.Leave();
    if (others == 0) return;
    // A worker's handler may be waiting in Synchronize for the main thread.
    if (mainThread) CheckSynchronize();
    ::Sleep(0);
  }
}

void TRuzozAdIO::ReleaseWorkers() {
  WaitForWorkers();
  workers_->Lock.Enter();
  workers_->Owner = nullptr;
  workers_->Lock.Leave();
}

bool TRuzozAdIO::HandOffWanted() const { return !ownsIEBitmap_ && AsyncMode && !InWorkerThread(); }

bool TRuzozAdIO::HandOff(void (TRuzozAdIO::*Method)(const std::string&), const std::string& Name) {
  if (!HandOffWanted()) return false;
  new TIEIOThread(this, Method, Name);
  return true;
}

bool TRuzozAdIO::HandOff(void (TRuzozAdIO::*Method)(TStream*), TStream* Stream) {
  if (!HandOffWanted()) return false;
  new TIEIOThread(this, Method, Stream);
  return true;
}

bool TRuzozAdIO::HandOff(Integer (TRuzozAdIO::*Method)(const std::string&), const std::string& Name) {
  if (!HandOffWanted()) return false;
  new TIEIOThread(this, Method, Name);
  return true;
}

bool TRuzozAdIO::HandOff(Integer (TRuzozAdIO::*Method)(TStream*), TStream* Stream) {
  if (!HandOffWanted()) return false;
  new TIEIOThread(this, Method, Stream);
  return true;
}

bool TRuzozAdIO::HandOff(void (TRuzozAdIO::*Method)(const std::string&, Integer), const std::string& Name,
                         Integer Value) {
  if (!HandOffWanted()) return false;
  new TIEIOThread(this, Method, Name, Value);
  return true;
}

bool TRuzozAdIO::HandOff(void (TRuzozAdIO::*Method)(TStream*, Integer), TStream* Stream, Integer Value) {
  if (!HandOffWanted()) return false;
  new TIEIOThread(this, Method, Stream, Value);
  return true;
}

bool TRuzozAdIO::HandOff(void (TRuzozAdIO::*Method)(const std::string&, Integer, Integer), const std::string& Name,
                         Integer Value1, Integer Value2) {
  if (!HandOffWanted()) return false;
  new TIEIOThread(this, Method, Name, Value1, Value2);
  return true;
}
