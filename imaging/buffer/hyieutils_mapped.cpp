// Memory-mapped temporary files: the storage of large image buffers and of
// the virtual DIB list.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

#include "imaging/buffer/hyieutils.h"

namespace {
std::atomic<uint64_t> g_defaultThreshold{0};
std::atomic<bool> g_strictRowViews{false};
}  // namespace

void SetIEStrictRowViews(bool Strict) { g_strictRowViews = Strict; }
bool IEStrictRowViews() { return g_strictRowViews; }

uint64_t AvailablePhysicalMemory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  if (!::GlobalMemoryStatusEx(&status)) return 0;
  return status.ullAvailPhys;
}

void SetIEDefaultFileThreshold(uint64_t Threshold) { g_defaultThreshold = Threshold; }

uint64_t IEDefaultFileThreshold() {
  const uint64_t fixed = g_defaultThreshold;
  if (fixed != 0) return fixed;
  const uint64_t avail = AvailablePhysicalMemory();
  return avail == 0 ? 33554432ull : avail / 2;
}

TIEMemoryMapped::~TIEMemoryMapped() { Close(); }

namespace {
// Creates a new, unshared temporary file "ruzozad<unique>.tmp" in Folder.
HANDLE CreateUniqueFile(const std::string& Folder, std::string& Name) {
  static std::atomic<uint32_t> counter{0};
  std::string dir = Folder;
  if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
  const uint32_t seed = (::GetCurrentProcessId() << 16) ^ ::GetTickCount();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    char unique[16];
    std::snprintf(unique, sizeof(unique), "%08X", seed + counter.fetch_add(1) * 2654435761u);
    Name = dir + "ruzozad" + unique + ".tmp";
    HANDLE h = ::CreateFileW(Utf8ToWide(Name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    const DWORD err = ::GetLastError();
    if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}
}  // namespace

bool TIEMemoryMapped::CreateMappedTempFile(const std::string& Name, uint64_t Size) {
  if (IsOpen()) Close();
  if (!Name.empty()) {
    fileName_ = Name;
    file_ = ::CreateFileW(Utf8ToWide(fileName_).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_TEMPORARY, nullptr);
  } else {
    std::string folder = ImageTempFolder;
    if (folder.empty()) {
      wchar_t buf[MAX_PATH + 1] = {};
      const DWORD n = ::GetTempPathW(MAX_PATH + 1, buf);
      folder = WideToUtf8(buf, static_cast<int>(n));
    }
    ForceDirectoryChain(folder);
    file_ = CreateUniqueFile(folder, fileName_);
  }
  if (file_ == INVALID_HANDLE_VALUE) return false;
  bool ok = false;
  LARGE_INTEGER pos;
  pos.QuadPart = static_cast<LONGLONG>(Size);
  if (::SetFilePointerEx(file_, pos, nullptr, FILE_BEGIN) && ::SetEndOfFile(file_)) {
    LARGE_INTEGER got{};
    if (::GetFileSizeEx(file_, &got) && static_cast<uint64_t>(got.QuadPart) == Size && Size > 0) {
      mapping_ = ::CreateFileMappingW(file_, nullptr, PAGE_READWRITE, 0, 0, nullptr);
      ok = mapping_ != nullptr;
    }
  }
  if (!ok) {
    ::CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    ::DeleteFileW(Utf8ToWide(fileName_).c_str());
  }
  return ok;
}

bool TIEMemoryMapped::ResizeMappedFile(uint64_t Size) {
  if (!IsOpen()) return false;
  ::CloseHandle(mapping_);
  mapping_ = nullptr;
  LARGE_INTEGER pos;
  pos.QuadPart = static_cast<LONGLONG>(Size);
  if (!::SetFilePointerEx(file_, pos, nullptr, FILE_BEGIN) || !::SetEndOfFile(file_)) {
    // Keep the object usable at its old size.
    mapping_ = ::CreateFileMappingW(file_, nullptr, PAGE_READWRITE, 0, 0, nullptr);
    return false;
  }
  mapping_ = ::CreateFileMappingW(file_, nullptr, PAGE_READWRITE, 0, 0, nullptr);
  return mapping_ != nullptr;
}

void* TIEMemoryMapped::MapView(uint64_t Offset, size_t Length) {
  if (!IsOpen()) return nullptr;
  void* p = ::MapViewOfFile(mapping_, FILE_MAP_WRITE, static_cast<DWORD>(Offset >> 32),
                            static_cast<DWORD>(Offset & 0xFFFFFFFFu), Length);
  if (p) views_.push_back(p);
  return p;
}

void TIEMemoryMapped::UnmapView(void* Address) {
  if (!Address) return;
  auto it = std::find(views_.rbegin(), views_.rend(), Address);
  if (it == views_.rend()) return;
  views_.erase(std::next(it).base());
  ::UnmapViewOfFile(Address);
}

void TIEMemoryMapped::UnmapAllViews() {
  if (!IsOpen()) return;
  while (!views_.empty()) {
    ::UnmapViewOfFile(views_.back());
    views_.pop_back();
  }
}

void TIEMemoryMapped::Close() {
  if (!IsOpen()) return;
  UnmapAllViews();
  ::CloseHandle(mapping_);
  mapping_ = nullptr;
  ::CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  ::DeleteFileW(Utf8ToWide(fileName_).c_str());
}

namespace {
// Positioned reads and writes of at most 1 GB per call.
template <typename Call>
bool FileRange(uint64_t Offset, size_t Length, Call&& Do) {
  while (Length > 0) {
    const DWORD n = static_cast<DWORD>(std::min<size_t>(Length, size_t(1) << 30));
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(Offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(Offset >> 32);
    DWORD done = 0;
    if (!Do(n, &at, &done) || done != n) return false;
    Offset += n;
    Length -= n;
  }
  return true;
}
}  // namespace

bool TIEMemoryMapped::ReadRange(uint64_t Offset, void* Buffer, size_t Length) {
  if (!IsOpen()) return false;
  Byte* p = static_cast<Byte*>(Buffer);
  return FileRange(Offset, Length, [&](DWORD n, OVERLAPPED* at, DWORD* done) {
    const bool ok = ::ReadFile(file_, p, n, done, at);
    p += n;
    return ok;
  });
}

bool TIEMemoryMapped::WriteRange(uint64_t Offset, const void* Buffer, size_t Length) {
  if (!IsOpen()) return false;
  const Byte* p = static_cast<const Byte*>(Buffer);
  return FileRange(Offset, Length, [&](DWORD n, OVERLAPPED* at, DWORD* done) {
    const bool ok = ::WriteFile(file_, p, n, done, at);
    p += n;
    return ok;
  });
}

void TIEMemoryMapped::CopyMappedRange(TIEMemoryMapped* Dest, uint64_t Offset, uint64_t Size) {
  constexpr uint64_t kChunk = 1048576;
  std::vector<Byte> buffer(kChunk);
  while (Size > 0) {
    // Views start on the 64 KB allocation boundary; the remainder is skipped inside the view.
    const uint64_t base = Offset & ~0xFFFFull;
    const size_t skip = static_cast<size_t>(Offset - base);
    const size_t length = static_cast<size_t>(std::min<uint64_t>(Size, kChunk));
    void* from = MapView(base, skip + length);
    if (!from) return;
    std::memcpy(buffer.data(), static_cast<Byte*>(from) + skip, length);
    UnmapView(from);
    void* to = Dest->MapView(base, skip + length);
    if (!to) return;
    std::memcpy(static_cast<Byte*>(to) + skip, buffer.data(), length);
    Dest->UnmapView(to);
    Size -= length;
    Offset += length;
  }
}
