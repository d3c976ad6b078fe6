// Basic types, the root classes and the exception hierarchy of the class
// library. Everything else in platform/ and every subsystem builds on this.
#pragma once

#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/Win.h"

// ---------------------------------------------------------------------------
// Fixed-width integer and float types under the names the design uses.
using Integer = int32_t;
using Cardinal = uint32_t;
using LongInt = int32_t;
using LongWord = uint32_t;
using SmallInt = int16_t;
using ShortInt = int8_t;
using Word = uint16_t;
using Byte = uint8_t;
using Int64 = int64_t;
using Extended = long double;
using Single = float;
using Double = double;
using Boolean = bool;

// ---------------------------------------------------------------------------
// Geometry. Layout-compatible with the Windows POINT and RECT.
struct TPoint {
  Integer X = 0;
  Integer Y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TRect {
  Integer Left = 0;
  Integer Top = 0;
  Integer Right = 0;
  Integer Bottom = 0;
  bool operator==(const TRect&) const = default;
  Integer Width() const { return Right - Left; }
  Integer Height() const { return Bottom - Top; }
  RECT* AsRECT() { return reinterpret_cast<RECT*>(this); }
  const RECT* AsRECT() const { return reinterpret_cast<const RECT*>(this); }
};
static_assert(sizeof(TRect) == sizeof(RECT) && sizeof(TPoint) == sizeof(POINT));

inline TPoint Point(Integer x, Integer y) { return TPoint{x, y}; }
inline TRect Rect(Integer l, Integer t, Integer r, Integer b) { return TRect{l, t, r, b}; }
inline TRect Bounds(Integer l, Integer t, Integer w, Integer h) { return TRect{l, t, l + w, t + h}; }
// Right and bottom edges excluded.
inline bool PointInRect(const TRect& R, const TPoint& P) {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

// Rounds halves to the even integer (the FPU's default mode).
int64_t Round(Extended x);
// Rounds toward zero.
int64_t Trunc(Extended x);

// ---------------------------------------------------------------------------
// Events: a bound method (object and member function, comparable with another
// bound method, as method pointers are) or any callable. Empty when unassigned.
template <typename... Args>
class TEvent {
 public:
  TEvent() = default;
  TEvent(std::nullptr_t) {}

  template <class C, class M>
  TEvent(C* object, void (M::*method)(Args...)) {
    static_assert(std::is_base_of_v<M, C>);
    using Ptr = void (M::*)(Args...);
    static_assert(sizeof(Ptr) <= sizeof(code_));
    data_ = static_cast<M*>(object);
    std::memcpy(code_, &method, sizeof(Ptr));
    thunk_ = [](void* data, const unsigned char* code, Args... args) {
      Ptr p;
      std::memcpy(&p, code, sizeof(Ptr));
      (static_cast<M*>(data)->*p)(std::forward<Args>(args)...);
    };
  }

  // Any callable (lambda, function). Compares equal only to itself.
  template <class F, class = std::enable_if_t<std::is_invocable_v<F&, Args...> &&
                                              !std::is_same_v<std::decay_t<F>, TEvent>>>
  TEvent(F f) {
    auto holder = std::make_shared<std::function<void(Args...)>>(std::move(f));
    data_ = holder.get();
    callable_ = std::move(holder);
    thunk_ = [](void* data, const unsigned char*, Args... args) {
      (*static_cast<std::function<void(Args...)>*>(data))(std::forward<Args>(args)...);
    };
  }

  explicit operator bool() const { return thunk_ != nullptr; }
  bool Assigned() const { return thunk_ != nullptr; }

  void operator()(Args... args) const {
    if (thunk_) thunk_(data_, code_, std::forward<Args>(args)...);
  }

  bool operator==(const TEvent& o) const {
    return thunk_ == o.thunk_ && data_ == o.data_ && std::memcmp(code_, o.code_, sizeof(code_)) == 0;
  }
  bool operator==(std::nullptr_t) const { return thunk_ == nullptr; }

  // The object a bound method is called on (the method pointer's data).
  void* Data() const { return data_; }

 private:
  void* data_ = nullptr;
  alignas(void*) unsigned char code_[2 * sizeof(void*)] = {};
  void (*thunk_)(void*, const unsigned char*, Args...) = nullptr;
  std::shared_ptr<void> callable_;
};

// ---------------------------------------------------------------------------
// Root classes.
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  virtual std::string ClassName() const { return "TObject"; }
};

// Declares ClassName() for a class; put it in the class body.
#define T_CLASSNAME(Name) \
  std::string ClassName() const override { return #Name; }

using TNotifyEvent = TEvent<TObject*>;

class TFiler;

class TPersistent : public TObject {
 public:
  T_CLASSNAME(TPersistent)
  // Copies Source into this object; the default asks Source to AssignTo us.
  virtual void Assign(TPersistent* Source);
  // Hook for values stored in form resources under names that are not properties.
  virtual void DefineProperties(TFiler* /*Filer*/) {}
  virtual std::string GetNamePath() const { return ClassName(); }

 protected:
  virtual void AssignTo(TPersistent* Dest);
  [[noreturn]] void AssignError(TPersistent* Source);
};

// ---------------------------------------------------------------------------
// Exceptions.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const { return message_; }
  void SetMessage(std::string m) { message_ = std::move(m); }
  virtual std::string ClassName() const { return "Exception"; }
  Integer HelpContext = 0;

 private:
  std::string message_;
};

#define T_DECLARE_EXCEPTION(Name, Base)                                   \
  class Name : public Base {                                              \
   public:                                                                \
    using Base::Base;                                                     \
    std::string ClassName() const override { return #Name; }              \
  };

// EAbort is the silent exception: handlers that show messages skip it.
T_DECLARE_EXCEPTION(EAbort, Exception)
T_DECLARE_EXCEPTION(EConvertError, Exception)
T_DECLARE_EXCEPTION(EOutOfMemory, Exception)
T_DECLARE_EXCEPTION(EInvalidCast, Exception)
T_DECLARE_EXCEPTION(EInvalidOperation, Exception)
T_DECLARE_EXCEPTION(EInvalidPointer, Exception)
T_DECLARE_EXCEPTION(EIntError, Exception)
T_DECLARE_EXCEPTION(EDivByZero, EIntError)
T_DECLARE_EXCEPTION(ERangeError, EIntError)
T_DECLARE_EXCEPTION(EMathError, Exception)
T_DECLARE_EXCEPTION(EInOutError, Exception)
T_DECLARE_EXCEPTION(EOSError, Exception)
T_DECLARE_EXCEPTION(EStreamError, Exception)
T_DECLARE_EXCEPTION(EFCreateError, EStreamError)
T_DECLARE_EXCEPTION(EFOpenError, EStreamError)
T_DECLARE_EXCEPTION(EFilerError, EStreamError)
T_DECLARE_EXCEPTION(EReadError, EFilerError)
T_DECLARE_EXCEPTION(EWriteError, EFilerError)
T_DECLARE_EXCEPTION(EClassNotFound, EFilerError)
T_DECLARE_EXCEPTION(EListError, Exception)
T_DECLARE_EXCEPTION(EStringListError, Exception)
T_DECLARE_EXCEPTION(EComponentError, Exception)
T_DECLARE_EXCEPTION(EThread, Exception)
T_DECLARE_EXCEPTION(ERegistryException, Exception)
T_DECLARE_EXCEPTION(EIniFileException, Exception)
T_DECLARE_EXCEPTION(EClipboardException, Exception)
T_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
T_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)
T_DECLARE_EXCEPTION(EPrinter, Exception)

// Raised when a GDI or USER object cannot be created; the message is the
// system's text for the last error.
class EOutOfResources : public EOutOfMemory {
 public:
  using EOutOfMemory::EOutOfMemory;
  EOutOfResources();
  std::string ClassName() const override { return "EOutOfResources"; }
};

// Raises EOSError with the system's text for GetLastError() when Condition is false.
void Win32Check(bool Condition);
// The system's message text for an error code, without the trailing line break.
std::string SysErrorMessage(DWORD ErrorCode);
// Raises EOutOfResources unless the handle is valid.
void GDICheck(const void* Handle);

// UTF-8 <-> UTF-16 for talking to the wide Windows API.
std::wstring Utf8ToWide(const std::string& s);
std::string WideToUtf8(const std::wstring& s);
std::string WideToUtf8(const wchar_t* s, int length = -1);

// The run-time library's pseudo-random generator: a linear congruential
// generator on RandSeed (fixed start, so runs repeat until Randomize).
// One generator for the program; call it from one thread at a time.
extern uint32_t RandSeed;
// Uniform in 0 .. Range - 1; 0 when Range is not positive.
Integer Random(Integer Range);
// Uniform in [0, 1).
Extended Random();
// Seeds the generator from the clock.
void Randomize();
