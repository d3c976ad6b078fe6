// TIEIOThread: the worker that runs one load or save of a TRuzozAdIO in the
// asynchronous mode. It calls the same entry point again, with the same
// arguments, on its own thread; the entry point finds itself on a worker of its
// component there and does the work.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "imaging/formats/ruzozadio.h"
#include "platform/Classes.h"

class TIEIOThread : public TThread {
 public:
  T_CLASSNAME(TIEIOThread)
  using TNameProc = void (TRuzozAdIO::*)(const std::string&);
  using TStreamProc = void (TRuzozAdIO::*)(TStream*);
  using TNameFunc = Integer (TRuzozAdIO::*)(const std::string&);
  using TStreamFunc = Integer (TRuzozAdIO::*)(TStream*);
  using TNameIntProc = void (TRuzozAdIO::*)(const std::string&, Integer);
  using TStreamIntProc = void (TRuzozAdIO::*)(TStream*, Integer);
  using TNameIntIntProc = void (TRuzozAdIO::*)(const std::string&, Integer, Integer);

  // The call shapes, numbered as the entry points hand them over.
  enum : Integer {
    shName = 0,
    shStream = 1,
    shNameFunc = 2,
    shStreamFunc = 4,
    shNameInt = 5,
    shStreamInt = 6,
    shNameIntInt = 9,
    shAddress = 10
  };

  // Each creates the thread suspended, enters it in the owner's worker list and
  // starts it; the thread frees itself when the call is done. Shape is shName
  // or shAddress for the first.
  TIEIOThread(TRuzozAdIO* Owner, TNameProc Method, const std::string& Name, Integer Shape = shName);
  TIEIOThread(TRuzozAdIO* Owner, TStreamProc Method, TStream* Stream);
  TIEIOThread(TRuzozAdIO* Owner, TNameFunc Method, const std::string& Name);
  TIEIOThread(TRuzozAdIO* Owner, TStreamFunc Method, TStream* Stream);
  TIEIOThread(TRuzozAdIO* Owner, TNameIntProc Method, const std::string& Name, Integer Value);
  TIEIOThread(TRuzozAdIO* Owner, TStreamIntProc Method, TStream* Stream, Integer Value);
  TIEIOThread(TRuzozAdIO* Owner, TNameIntIntProc Method, const std::string& Name, Integer Value1, Integer Value2);

  Integer Shape() const { return shape_; }
  // The identifier of the thread running the call (0 until it started).
  DWORD WorkerThreadId() const { return workerId_; }

  // What goes to the debugger output when the call raised.
  static constexpr const char* FailureText = "Exception in TIEIOThread.Execute";

 protected:
  void Execute() override;

 private:
  TIEIOThread(TRuzozAdIO* Owner, Integer Shape);
  void Enlist();

  std::shared_ptr<TRuzozAdIO::TWorkerList> list_;
  Integer shape_;
  TNameProc nameProc_ = nullptr;
  TStreamProc streamProc_ = nullptr;
  TNameFunc nameFunc_ = nullptr;
  TStreamFunc streamFunc_ = nullptr;
  TNameIntProc nameIntProc_ = nullptr;
  TStreamIntProc streamIntProc_ = nullptr;
  TNameIntIntProc nameIntIntProc_ = nullptr;
  std::string name_;
  TStream* stream_ = nullptr;
  Integer value1_ = 0;
  Integer value2_ = 0;
  std::atomic<DWORD> workerId_{0};
  TRuzozAdIO* owner_;
};
