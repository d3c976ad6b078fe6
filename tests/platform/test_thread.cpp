// TThread: start, terminate, wait, Synchronize with a pumping main thread,
// exceptions, FreeOnTerminate, priority.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/Classes.h"
#include "platform/SysUtils.h"

namespace {

// A thread whose body is a callable.
class TLambdaThread : public TThread {
 public:
  TLambdaThread(bool suspended, std::function<void(TLambdaThread&)> body)
      : TThread(suspended), body_(std::move(body)) {
    AfterConstruction();
  }
  // Stops the body before the members it uses go away.
  ~TLambdaThread() override { TerminateAndWaitFor(); }
  using TThread::SetReturnValue;

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(TLambdaThread&)> body_;
};

// Pumps the main thread until done() or the timeout; true when done.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    CheckSynchronize(10);
  }
  return true;
}

}  // namespace

TEST(Thread, SuspendedThreadRunsAfterResumeAndWaitForReturnsTheValue) {
  std::atomic<bool> ran{false};
  TLambdaThread t(true, [&](TLambdaThread& self) {
    ran = true;
    self.SetReturnValue(42);
  });
  EXPECT_TRUE(t.Suspended());
  ::Sleep(50);
  EXPECT_FALSE(ran) << "created suspended";
  EXPECT_NE(t.Handle(), nullptr);
  EXPECT_NE(t.ThreadID(), 0u);
  t.Start();
  EXPECT_EQ(t.WaitFor(), 42u);
  EXPECT_TRUE(ran);
  EXPECT_TRUE(t.Finished());
  EXPECT_THROW(t.Start(), EThread);
}

TEST(Thread, NotSuspendedThreadStartsAtOnceAndTerminateStopsItsLoop) {
  std::atomic<int> rounds{0};
  TLambdaThread t(false, [&](TLambdaThread& self) {
    while (!self.Terminated()) {
      ++rounds;
      ::Sleep(1);
    }
    self.SetReturnValue(7);
  });
  ASSERT_TRUE(PumpUntil([&] { return rounds > 3; }));
  EXPECT_FALSE(t.Finished());
  t.Terminate();
  EXPECT_EQ(t.WaitFor(), 7u);
}

TEST(Thread, NeverStartedThreadIsFreedWithoutRunningItsBody) {
  std::atomic<bool> ran{false};
  { TLambdaThread t(true, [&](TLambdaThread&) { ran = true; }); }
  EXPECT_FALSE(ran);
}

TEST(Thread, SynchronizeRunsOnTheMainThreadWhileItPumps) {
  const DWORD mainId = ::GetCurrentThreadId();
  ASSERT_EQ(mainId, MainThreadID);
  std::vector<DWORD> ranOn;
  std::atomic<int> afterEach{0};
  std::atomic<int> wakes{0};
  WakeMainThread = [&](TObject*) { ++wakes; };
  TLambdaThread t(false, [&](TLambdaThread& self) {
    for (int i = 0; i < 5; ++i) {
      self.Synchronize([&] { ranOn.push_back(::GetCurrentThreadId()); });
      // Synchronize returns only after the call ran.
      if (static_cast<int>(ranOn.size()) == i + 1) ++afterEach;
    }
  });
  EXPECT_TRUE(PumpUntil([&] { return t.Finished(); }));
  t.WaitFor();
  WakeMainThread = nullptr;
  ASSERT_EQ(ranOn.size(), 5u);
  for (DWORD id : ranOn) EXPECT_EQ(id, mainId);
  EXPECT_EQ(afterEach, 5);
  EXPECT_EQ(wakes, 5) << "the wake hook runs once per queued call";
  EXPECT_FALSE(CheckSynchronize()) << "nothing left in the queue";
}

TEST(Thread, SynchronizeWithAMethodPointer) {
  struct TCounter : TThread {
    TCounter() : TThread(true) {}
    ~TCounter() override { TerminateAndWaitFor(); }
    int calls = 0;
    DWORD where = 0;
    void Count() {
      ++calls;
      where = ::GetCurrentThreadId();
    }
    void Execute() override { Synchronize(&TCounter::Count); }
  } t;
  t.Start();
  EXPECT_TRUE(PumpUntil([&] { return t.Finished(); }));
  EXPECT_EQ(t.calls, 1);
  EXPECT_EQ(t.where, MainThreadID);
  // From the main thread Synchronize calls directly.
  t.Synchronize([&] { ++t.calls; });
  EXPECT_EQ(t.calls, 2);
}

TEST(Thread, ExceptionInSynchronizedMethodIsRaisedInTheWorker) {
  std::string caught;
  TLambdaThread t(false, [&](TLambdaThread& self) {
    try {
      self.Synchronize([] { throw EConvertError("bad value on main"); });
    } catch (const EConvertError& e) {
      caught = e.Message();
    }
  });
  EXPECT_TRUE(PumpUntil([&] { return t.Finished(); }));
  t.WaitFor();
  EXPECT_EQ(caught, "bad value on main");
}

TEST(Thread, ExceptionInExecuteBecomesFatalException) {
  TLambdaThread t(false, [](TLambdaThread&) { throw EInvalidGraphic("broken frame"); });
  t.WaitFor();
  ASSERT_TRUE(t.FatalException());
  EXPECT_EQ(t.FatalExceptionMessage(), "broken frame");
  EXPECT_THROW(std::rethrow_exception(t.FatalException()), EInvalidGraphic);

  TLambdaThread ok(false, [](TLambdaThread&) {});
  ok.WaitFor();
  EXPECT_FALSE(ok.FatalException());
  EXPECT_EQ(ok.FatalExceptionMessage(), "");
}

TEST(Thread, FreeOnTerminateThreadDeletesItselfAfterOnTerminateOnTheMainThread) {
  static std::atomic<int> alive{0};
  struct TSelfFreeing : TThread {
    TSelfFreeing() : TThread(true) { ++alive; }
    ~TSelfFreeing() override { --alive; }
    void Execute() override { ::Sleep(20); }
  };
  auto* t = new TSelfFreeing;
  t->SetFreeOnTerminate(true);
  DWORD terminateOn = 0;
  TObject* sender = nullptr;
  t->OnTerminate = [&](TObject* s) {
    terminateOn = ::GetCurrentThreadId();
    sender = s;
  };
  t->Resume();
  EXPECT_TRUE(PumpUntil([&] { return alive == 0; }));
  EXPECT_EQ(terminateOn, MainThreadID);
  EXPECT_EQ(sender, t);
}

TEST(Thread, WaitForOnTheMainThreadRunsOnTerminate) {
  bool terminated = false;
  TLambdaThread t(true, [](TLambdaThread&) {});
  t.OnTerminate = [&](TObject*) { terminated = true; };
  t.Start();
  t.WaitFor();  // would deadlock if it did not run the queued OnTerminate
  EXPECT_TRUE(terminated);
}

TEST(Thread, PriorityAndSuspendResume) {
  std::atomic<int> rounds{0};
  TLambdaThread t(true, [&](TLambdaThread& self) {
    while (!self.Terminated()) {
      ++rounds;
      ::Sleep(1);
    }
  });
  for (TThreadPriority p : {tpLowest, tpLower, tpNormal, tpHigher, tpHighest}) {
    t.SetPriority(p);
    EXPECT_EQ(t.Priority(), p);
  }
  t.SetPriority(tpNormal);
  t.Resume();
  ASSERT_TRUE(PumpUntil([&] { return rounds > 0; }));
  t.Suspend();
  EXPECT_TRUE(t.Suspended());
  ::Sleep(20);
  const int frozen = rounds;
  ::Sleep(50);
  EXPECT_EQ(rounds, frozen) << "a suspended thread does not run";
  t.SetSuspended(false);
  ASSERT_TRUE(PumpUntil([&] { return rounds > frozen; }));
  t.Terminate();
  t.WaitFor();
}

TEST(Thread, CheckSynchronizeRefusesOtherThreads) {
  std::string message;
  TLambdaThread t(false, [&](TLambdaThread&) {
    try {
      CheckSynchronize();
    } catch (const EThread& e) {
      message = e.Message();
    }
  });
  t.WaitFor();
  EXPECT_NE(message.find("NOT the main thread"), std::string::npos) << message;
}
