#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/Classes.h"
#include "platform/SysUtils.h"

// ---------------------------------------------------------------------------
// TStream

Int64 TStream::Size() {
  const Int64 pos = Seek(0, soCurrent);
  const Int64 result = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return result;
}

void TStream::SetSize(Int64) {}

void TStream::ReadBuffer(void* Buffer, Integer Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, Integer Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  const Int64 result = Count;
  constexpr Integer kMaxBuffer = 0xF000;
  const Integer bufferSize = static_cast<Integer>(std::min<Int64>(Count, kMaxBuffer));
  std::unique_ptr<Byte[]> buffer(new Byte[static_cast<size_t>(std::max(bufferSize, 1))]);
  while (Count > 0) {
    const Integer n = static_cast<Integer>(std::min<Int64>(Count, bufferSize));
    Source->ReadBuffer(buffer.get(), n);
    WriteBuffer(buffer.get(), n);
    Count -= n;
  }
  return result;
}

// ---------------------------------------------------------------------------
// THandleStream, TFileStream

Integer THandleStream::Read(void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  DWORD done = 0;
  if (!::ReadFile(handle_, Buffer, static_cast<DWORD>(Count), &done, nullptr)) return 0;
  return static_cast<Integer>(done);
}

Integer THandleStream::Write(const void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  DWORD done = 0;
  if (!::WriteFile(handle_, Buffer, static_cast<DWORD>(Count), &done, nullptr)) return 0;
  return static_cast<Integer>(done);
}

Int64 THandleStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  LARGE_INTEGER distance, result;
  distance.QuadPart = Offset;
  static constexpr DWORD kMethod[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  if (Origin > soEnd || !::SetFilePointerEx(handle_, distance, &result, kMethod[Origin])) return -1;
  return result.QuadPart;
}

Int64 THandleStream::Size() {
  LARGE_INTEGER size;
  if (::GetFileSizeEx(handle_, &size)) return size.QuadPart;
  return TStream::Size();  // not a disk file: measure by seeking
}

void THandleStream::SetSize(Int64 NewSize) {
  Seek(NewSize, soBeginning);
  Win32Check(::SetEndOfFile(handle_) != 0);
}

TFileStream::TFileStream(const std::string& FileName, Word Mode)
    : THandleStream(INVALID_HANDLE_VALUE), fileName_(FileName) {
  static constexpr DWORD kShare[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE};
  const std::wstring name = Utf8ToWide(FileName);
  const unsigned shareIndex = (Mode & 0xF0u) >> 4;
  const DWORD share = shareIndex < 5 ? kShare[shareIndex] : 0;
  if ((Mode & fmCreate) == fmCreate) {
    handle_ = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE)
      throw EFCreateError(Format("Cannot create file \"%s\". %s",
                                 {FileName, SysErrorMessage(::GetLastError())}));
  } else {
    static constexpr DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    const unsigned accessIndex = Mode & 3u;
    handle_ = accessIndex < 3 ? ::CreateFileW(name.c_str(), kAccess[accessIndex], share, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                              : INVALID_HANDLE_VALUE;
    if (handle_ == INVALID_HANDLE_VALUE) {
      const DWORD error = accessIndex < 3 ? ::GetLastError() : ERROR_INVALID_PARAMETER;
      throw EFOpenError(Format("Cannot open file \"%s\". %s", {FileName, SysErrorMessage(error)}));
    }
  }
}

TFileStream::~TFileStream() {
  if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
}

// ---------------------------------------------------------------------------
// TCustomMemoryStream, TMemoryStream

Integer TCustomMemoryStream::Read(void* Buffer, Integer Count) {
  if (position_ < 0 || Count <= 0) return 0;
  const Int64 available = size_ - position_;
  if (available <= 0) return 0;
  const Integer n = static_cast<Integer>(std::min<Int64>(available, Count));
  std::memcpy(Buffer, memory_ + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

Integer TCustomMemoryStream::Write(const void*, Integer) { return 0; }

Int64 TCustomMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning: position_ = Offset; break;
    case soCurrent: position_ += Offset; break;
    case soEnd: position_ = size_ + Offset; break;
  }
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  Int64 done = 0;
  while (done < size_) {
    const Integer n = static_cast<Integer>(std::min<Int64>(size_ - done, 1 << 30));
    Stream->WriteBuffer(memory_ + done, n);
    done += n;
  }
}

void TCustomMemoryStream::SaveToFile(const std::string& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

TMemoryStream::~TMemoryStream() { std::free(memory_); }

void TMemoryStream::SetCapacity(Int64 NewCapacity) {
  if (NewCapacity == capacity_) return;
  // The data never extends past the block.
  if (NewCapacity < size_) size_ = std::max<Int64>(NewCapacity, 0);
  if (NewCapacity <= 0) {
    std::free(memory_);
    memory_ = nullptr;
    capacity_ = 0;
    return;
  }
  // A new block and one memcpy of the data: the heap's own realloc under
  // Wine copies large blocks byte by byte.
  void* p = std::malloc(static_cast<size_t>(NewCapacity));
  if (p == nullptr) throw EStreamError("Out of memory while expanding memory stream");
  if (memory_ != nullptr) {
    std::memcpy(p, memory_, static_cast<size_t>(std::min(size_, NewCapacity)));
    std::free(memory_);
  }
  memory_ = static_cast<Byte*>(p);
  capacity_ = NewCapacity;
}

namespace {
constexpr Int64 kMemoryDelta = 0x2000;
Int64 RoundToDelta(Int64 n) { return (n + kMemoryDelta - 1) & ~(kMemoryDelta - 1); }
}  // namespace

void TMemoryStream::SetSize(Int64 NewSize) {
  if (NewSize < 0) NewSize = 0;
  const Int64 oldPosition = position_;
  // Growing step by step costs a copy per step unless the block grows geometrically.
  if (NewSize > capacity_)
    SetCapacity(RoundToDelta(std::max(NewSize, capacity_ * 2)));
  else if (NewSize < capacity_ / 2)
    SetCapacity(RoundToDelta(NewSize));
  // New bytes are zero rather than whatever the allocator left there.
  if (NewSize > size_) std::memset(memory_ + size_, 0, static_cast<size_t>(NewSize - size_));
  size_ = NewSize;
  if (oldPosition > NewSize) position_ = NewSize;
}

Integer TMemoryStream::Write(const void* Buffer, Integer Count) {
  if (position_ < 0 || Count <= 0) return 0;
  const Int64 end = position_ + Count;
  if (end > size_) {
    if (end > capacity_) SetCapacity(RoundToDelta(std::max(end, capacity_ * 2)));
    // A gap left by seeking past the end reads as zeros.
    if (position_ > size_) std::memset(memory_ + size_, 0, static_cast<size_t>(position_ - size_));
    size_ = end;
  }
  std::memcpy(memory_ + position_, Buffer, static_cast<size_t>(Count));
  position_ = end;
  return Count;
}

void TMemoryStream::Clear() {
  SetCapacity(0);
  size_ = 0;
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  const Int64 count = Stream->Size();
  // The block is read into as it is; zeroing it first would only be overwritten.
  size_ = 0;
  position_ = 0;
  if (count > capacity_ || count < capacity_ / 2) SetCapacity(RoundToDelta(count));
  Int64 done = 0;
  while (done < count) {
    const Integer n = static_cast<Integer>(std::min<Int64>(count - done, 1 << 30));
    Stream->ReadBuffer(memory_ + done, n);
    done += n;
  }
  size_ = count;
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

// ---------------------------------------------------------------------------
// TResourceStream

TResourceStream::TResourceStream(HINSTANCE Instance, const std::string& ResName, const wchar_t* ResType) {
  const std::wstring name = Utf8ToWide(ResName);
  Initialize(Instance, name.c_str(), ResType, ResName);
}

TResourceStream::TResourceStream(HINSTANCE Instance, Integer ResID, const wchar_t* ResType) {
  Initialize(Instance, MAKEINTRESOURCEW(ResID), ResType, IntToStr(ResID));
}

void TResourceStream::Initialize(HINSTANCE Instance, const wchar_t* Name, const wchar_t* ResType,
                                 const std::string& Shown) {
  HRSRC info = ::FindResourceW(Instance, Name, ResType);
  HGLOBAL data = info != nullptr ? ::LoadResource(Instance, info) : nullptr;
  void* p = data != nullptr ? ::LockResource(data) : nullptr;
  if (p == nullptr) throw EResNotFound(Format("Resource %s not found", {Shown}));
  SetPointer(p, ::SizeofResource(Instance, info));
}

Integer TResourceStream::Write(const void*, Integer) {
  throw EStreamError("Can't write to a read-only resource stream");
}

// ---------------------------------------------------------------------------
// TStringStream

Integer TStringStream::Read(void* Buffer, Integer Count) {
  const Int64 available = Size() - position_;
  if (Count <= 0 || available <= 0) return 0;
  const Integer n = static_cast<Integer>(std::min<Int64>(available, Count));
  std::memcpy(Buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

// Overwrites from the position and extends the string as needed; the rest
// of the data after the written bytes is kept.
Integer TStringStream::Write(const void* Buffer, Integer Count) {
  if (Count <= 0) return 0;
  const size_t end = static_cast<size_t>(position_) + static_cast<size_t>(Count);
  if (end > data_.size()) data_.resize(end);
  std::memcpy(data_.data() + position_, Buffer, static_cast<size_t>(Count));
  position_ = static_cast<Int64>(end);
  return Count;
}

Int64 TStringStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning: position_ = Offset; break;
    case soCurrent: position_ += Offset; break;
    case soEnd: position_ = Size() + Offset; break;
  }
  position_ = std::clamp<Int64>(position_, 0, Size());
  return position_;
}

void TStringStream::SetSize(Int64 NewSize) {
  data_.resize(static_cast<size_t>(std::max<Int64>(NewSize, 0)));
  if (position_ > Size()) position_ = Size();
}

std::string TStringStream::ReadString(Integer Count) {
  const Int64 n = std::clamp<Int64>(Size() - position_, 0, std::max(Count, 0));
  std::string result = data_.substr(static_cast<size_t>(position_), static_cast<size_t>(n));
  position_ += n;
  return result;
}

void TStringStream::WriteString(const std::string& AString) {
  Write(AString.data(), static_cast<Integer>(AString.size()));
}
