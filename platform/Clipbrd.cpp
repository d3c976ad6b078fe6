#include "platform/Clipbrd.h"

#include <cstring>
#include <memory>

namespace {

TClipboard::TAssignHook gPutGraphic;
TClipboard::TAssignHook gGetGraphic;

std::unique_ptr<TClipboard>& Instance() {
  static std::unique_ptr<TClipboard> instance;
  return instance;
}

}  // namespace

TClipboard* Clipboard() {
  auto& c = Instance();
  if (!c) c = std::make_unique<TClipboard>();
  return c.get();
}

TClipboard* SetClipboard(TClipboard* NewClipboard) {
  auto& c = Instance();
  TClipboard* old = c.release();
  c.reset(NewClipboard);
  return old;
}

Word RegisterClipboardFormat(const std::string& Name) {
  return static_cast<Word>(::RegisterClipboardFormatW(Utf8ToWide(Name).c_str()));
}

void TClipboard::SetGraphicHooks(TAssignHook Put, TAssignHook Get) {
  gPutGraphic = std::move(Put);
  gGetGraphic = std::move(Get);
}

TClipboard::~TClipboard() {
  if (openRefCount_ > 0) ::CloseClipboard();
  if (window_ != nullptr) ::DestroyWindow(window_);
}

HWND TClipboard::Handle() {
  if (window_ == nullptr) {
    // A message-only window: the clipboard needs an owner to store data.
    window_ = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) throw EOutOfResources();
  }
  return window_;
}

void TClipboard::Open() {
  if (openRefCount_ == 0) {
    HWND owner = Handle();
    // Another program may hold the clipboard for a moment.
    bool opened = false;
    for (int attempt = 0; attempt < 10 && !(opened = ::OpenClipboard(owner) != 0); ++attempt) ::Sleep(10);
    if (!opened) throw EClipboardException("Cannot open clipboard");
    emptied_ = false;
  }
  ++openRefCount_;
}

void TClipboard::Close() {
  if (openRefCount_ == 0) return;
  if (--openRefCount_ == 0) ::CloseClipboard();
}

namespace {
// Closes on every way out of a block that opened the clipboard.
struct TOpenBlock {
  explicit TOpenBlock(TClipboard* c) : c_(c) { c_->Open(); }
  ~TOpenBlock() { c_->Close(); }
  TClipboard* c_;
};
}  // namespace

void TClipboard::Clear() {
  TOpenBlock block(this);
  ::EmptyClipboard();
}

void TClipboard::Adding() {
  if (openRefCount_ != 0 && !emptied_) {
    Clear();
    emptied_ = true;
  }
}

bool TClipboard::HasFormat(Word Format) const { return ::IsClipboardFormatAvailable(Format) != 0; }

Integer TClipboard::FormatCount() const { return ::CountClipboardFormats(); }

Word TClipboard::Formats(Integer Index) const {
  auto* self = const_cast<TClipboard*>(this);
  TOpenBlock block(self);
  UINT format = 0;
  for (Integer i = 0; i <= Index; ++i) {
    format = ::EnumClipboardFormats(format);
    if (format == 0) break;
  }
  return static_cast<Word>(format);
}

std::string TClipboard::AsText() {
  TOpenBlock block(this);
  HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return std::string();
  const auto* text = static_cast<const wchar_t*>(::GlobalLock(data));
  if (text == nullptr) return std::string();
  // Up to the terminator, but never past the block.
  const size_t capacity = ::GlobalSize(data) / sizeof(wchar_t);
  size_t n = 0;
  while (n < capacity && text[n] != L'\0') ++n;
  std::string result = WideToUtf8(text, static_cast<int>(n));
  ::GlobalUnlock(data);
  return result;
}

void TClipboard::SetAsText(const std::string& Value) {
  const std::wstring w = Utf8ToWide(Value);
  SetBuffer(CF_UNICODETEXT, w.c_str(), static_cast<Integer>((w.size() + 1) * sizeof(wchar_t)));
}

HANDLE TClipboard::GetAsHandle(Word Format) {
  TOpenBlock block(this);
  return ::GetClipboardData(Format);
}

void TClipboard::SetAsHandle(Word Format, HANDLE Value) {
  TOpenBlock block(this);
  Adding();
  ::SetClipboardData(Format, Value);
}

void TClipboard::SetBuffer(Word Format, const void* Buffer, Integer Size) {
  TOpenBlock block(this);
  Adding();
  HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, static_cast<SIZE_T>(Size));
  if (data == nullptr) throw EOutOfMemory("Out of memory");
  void* p = ::GlobalLock(data);
  if (p != nullptr && Size > 0) std::memcpy(p, Buffer, static_cast<size_t>(Size));
  ::GlobalUnlock(data);
  if (::SetClipboardData(Format, data) == nullptr) {
    ::GlobalFree(data);  // not taken over by the clipboard
    throw EClipboardException("Cannot store data on the clipboard");
  }
}

void TClipboard::Assign(TPersistent* Source) {
  if (Source != nullptr && gPutGraphic) {
    TOpenBlock block(this);
    Adding();
    if (gPutGraphic(this, Source)) return;
  }
  TPersistent::Assign(Source);
}

void TClipboard::AssignTo(TPersistent* Dest) {
  if (Dest != nullptr && gGetGraphic && gGetGraphic(this, Dest)) return;
  TPersistent::AssignTo(Dest);
}
