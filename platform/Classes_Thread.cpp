#include <deque>
#include <mutex>

#include "platform/Classes.h"
#include "platform/SysUtils.h"

// Captured during static initialisation, which runs on the main thread.
DWORD MainThreadID = ::GetCurrentThreadId();
TNotifyEvent WakeMainThread;

namespace {

struct SyncRequest {
  TThreadMethod method;
  std::exception_ptr error;
  HANDLE done;
};

struct SyncQueue {
  std::mutex lock;
  std::deque<SyncRequest*> pending;
  HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

SyncQueue& Queue() {
  static SyncQueue* q = new SyncQueue;  // lives for the whole program; threads may outlive statics
  return *q;
}

std::string MessageOf(const std::exception_ptr& p) {
  if (!p) return std::string();
  try {
    std::rethrow_exception(p);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
}

}  // namespace

HANDLE SyncEventHandle() { return Queue().event; }

bool CheckSynchronize(Integer Timeout) {
  if (::GetCurrentThreadId() != MainThreadID)
    throw EThread(Format("CheckSynchronize called from thread $%x, which is NOT the main thread",
                         {static_cast<uint32_t>(::GetCurrentThreadId())}));
  SyncQueue& q = Queue();
  if (Timeout > 0) ::WaitForSingleObject(q.event, static_cast<DWORD>(Timeout));
  std::deque<SyncRequest*> work;
  {
    std::lock_guard<std::mutex> guard(q.lock);
    work.swap(q.pending);
    ::ResetEvent(q.event);
  }
  for (SyncRequest* r : work) {
    try {
      r->method();
    } catch (...) {
      r->error = std::current_exception();
    }
    ::SetEvent(r->done);
  }
  return !work.empty();
}

void TThread::Synchronize(TThread* Thread, const TThreadMethod& Method) {
  if (::GetCurrentThreadId() == MainThreadID) {
    Method();
    return;
  }
  SyncRequest request{Method, nullptr, ::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  if (request.done == nullptr) throw EThread("Thread error: " + SysErrorMessage(::GetLastError()));
  SyncQueue& q = Queue();
  TNotifyEvent wake;
  {
    std::lock_guard<std::mutex> guard(q.lock);
    q.pending.push_back(&request);
    ::SetEvent(q.event);
    wake = WakeMainThread;
  }
  wake(Thread);
  ::WaitForSingleObject(request.done, INFINITE);
  ::CloseHandle(request.done);
  if (request.error) std::rethrow_exception(request.error);
}

TThread::TThread(bool CreateSuspended) : createSuspended_(CreateSuspended) {
  // Always created suspended: the body may only run once the derived object exists.
  handle_ = ::CreateThread(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &threadID_);
  if (handle_ == nullptr) throw EThread("Thread creation error: " + SysErrorMessage(::GetLastError()));
  suspended_ = true;
}

TThread::~TThread() {
  if (handle_ == nullptr) return;
  if (::GetCurrentThreadId() != threadID_) TerminateAndWaitFor();
  ::CloseHandle(handle_);
}

void TThread::TerminateAndWaitFor() {
  if (::GetCurrentThreadId() == threadID_) return;
  Terminate();
  if (!started_) {
    // Never started: let the thread end without running the body.
    skipExecute_ = true;
    started_ = true;
    DWORD previous;
    do {
      previous = ::ResumeThread(handle_);
    } while (previous != static_cast<DWORD>(-1) && previous > 1);
    ::WaitForSingleObject(handle_, INFINITE);
    return;
  }
  while (suspended_) Resume();
  WaitFor();
}

void TThread::AfterConstruction() {
  if (!createSuspended_ && !started_) Resume();
}

void TThread::Resume() {
  started_ = true;
  const DWORD previous = ::ResumeThread(handle_);
  if (previous == static_cast<DWORD>(-1)) throw EThread("Thread error: " + SysErrorMessage(::GetLastError()));
  if (previous <= 1) suspended_ = false;
}

void TThread::Suspend() {
  const bool old = suspended_;
  suspended_ = true;
  if (::SuspendThread(handle_) == static_cast<DWORD>(-1)) {
    suspended_ = old;
    throw EThread("Thread error: " + SysErrorMessage(::GetLastError()));
  }
}

void TThread::Start() {
  if (started_ || finished_) throw EThread("Cannot call Start on a running or suspended thread");
  Resume();
}

void TThread::SetSuspended(bool Value) {
  if (Value == suspended_) return;
  if (Value) {
    Suspend();
  } else {
    Resume();
  }
}

Cardinal TThread::WaitFor() {
  if (::GetCurrentThreadId() == MainThreadID) {
    // Keep running the worker's synchronized calls (OnTerminate among them).
    HANDLE handles[2] = {handle_, SyncEventHandle()};
    for (;;) {
      const DWORD r = ::MsgWaitForMultipleObjects(2, handles, FALSE, 1000, QS_SENDMESSAGE);
      if (r == WAIT_OBJECT_0) break;
      if (r == WAIT_FAILED) throw EThread("Thread error: " + SysErrorMessage(::GetLastError()));
      if (r == WAIT_OBJECT_0 + 1) CheckSynchronize();
      if (r == WAIT_OBJECT_0 + 2) {
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // delivers sent messages
      }
    }
  } else {
    ::WaitForSingleObject(handle_, INFINITE);
  }
  DWORD code = 0;
  ::GetExitCodeThread(handle_, &code);
  return code;
}

namespace {
constexpr int kPriorities[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_BELOW_NORMAL,
                               THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_ABOVE_NORMAL,
                               THREAD_PRIORITY_HIGHEST,      THREAD_PRIORITY_TIME_CRITICAL};
}  // namespace

TThreadPriority TThread::Priority() const {
  const int p = ::GetThreadPriority(handle_);
  for (int i = 0; i < 7; ++i)
    if (kPriorities[i] == p) return static_cast<TThreadPriority>(i);
  return tpNormal;
}

void TThread::SetPriority(TThreadPriority Value) {
  if (!::SetThreadPriority(handle_, kPriorities[Value]))
    throw EThread("Thread error: " + SysErrorMessage(::GetLastError()));
}

std::string TThread::FatalExceptionMessage() const { return MessageOf(fatalException_); }

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

DWORD WINAPI TThread::ThreadProc(void* Param) {
  auto* thread = static_cast<TThread*>(Param);
  if (thread->skipExecute_) return 0;
  // No exception leaves the thread: the body's goes to FatalException.
  try {
    thread->Execute();
  } catch (...) {
    thread->fatalException_ = std::current_exception();
  }
  const bool freeThread = thread->freeOnTerminate_;
  const DWORD result = static_cast<DWORD>(thread->returnValue_);
  try {
    thread->DoTerminate();
  } catch (...) {
    if (!thread->fatalException_) thread->fatalException_ = std::current_exception();
  }
  thread->finished_ = true;
  if (freeThread) {
    try {
      delete thread;
    } catch (...) {
    }
  }
  return result;
}
