// Loading from an "http://" address: the platform's internet library is loaded
// on the first call only (programs that never load from the web never load
// it); the whole body is fetched into memory and loaded by its content.
#include <wininet.h>

#include <cctype>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "imaging/formats/ruzozadio.h"
#include "imaging/formats/ruzozadio_thread.h"

namespace {

using TInternetOpenA = HINTERNET(WINAPI*)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
using TInternetCloseHandle = BOOL(WINAPI*)(HINTERNET);
using TInternetConnectA = HINTERNET(WINAPI*)(HINTERNET, LPCSTR, INTERNET_PORT, LPCSTR, LPCSTR, DWORD, DWORD,
                                             DWORD_PTR);
using THttpOpenRequestA = HINTERNET(WINAPI*)(HINTERNET, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR*, DWORD, DWORD_PTR);
using THttpSendRequestA = BOOL(WINAPI*)(HINTERNET, LPCSTR, DWORD, LPVOID, DWORD);
using TInternetReadFile = BOOL(WINAPI*)(HINTERNET, LPVOID, DWORD, LPDWORD);
using THttpQueryInfoA = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, LPDWORD, LPDWORD);

// The library and its entry points, set once and kept until the program ends.
struct TWininet {
  HMODULE Library = nullptr;
  TInternetOpenA InternetOpen = nullptr;
  TInternetCloseHandle InternetCloseHandle = nullptr;
  TInternetConnectA InternetConnect = nullptr;
  THttpOpenRequestA HttpOpenRequest = nullptr;
  THttpSendRequestA HttpSendRequest = nullptr;
  TInternetReadFile InternetReadFile = nullptr;
  THttpQueryInfoA HttpQueryInfo = nullptr;
  // Every entry point found: a missing one would be called through nil.
  bool Usable() const {
    return Library && InternetOpen && InternetCloseHandle && InternetConnect && HttpOpenRequest && HttpSendRequest &&
           InternetReadFile && HttpQueryInfo;
  }
  ~TWininet() {
    if (Library) ::FreeLibrary(Library);
  }
};

template <class F>
void Resolve(HMODULE Library, F& Entry, const char* Name) {
  Entry = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(Library, Name)));
}

TWininet& Wininet() {
  static TWininet w;
  static std::once_flag once;
  std::call_once(once, [] {
    w.Library = ::LoadLibraryA("wininet.dll");
    if (!w.Library) return;
    Resolve(w.Library, w.InternetOpen, "InternetOpenA");
    Resolve(w.Library, w.InternetCloseHandle, "InternetCloseHandle");
    Resolve(w.Library, w.InternetConnect, "InternetConnectA");
    Resolve(w.Library, w.HttpOpenRequest, "HttpOpenRequestA");
    Resolve(w.Library, w.HttpSendRequest, "HttpSendRequestA");
    Resolve(w.Library, w.InternetReadFile, "InternetReadFile");
    Resolve(w.Library, w.HttpQueryInfo, "HttpQueryInfoA");
  });
  return w;
}

constexpr const char* kAgent = "Mozilla/4.0 (compatible)";
constexpr DWORD kRequestFlags = 0x84400000;  // reload, no cache write, keep the connection
constexpr DWORD kReadSize = 65536;

// 1..65535 written in decimal, else 80.
INTERNET_PORT PortOf(const std::string& Text) {
  if (Text.empty() || Text.size() > 5) return 80;
  unsigned long n = 0;
  for (char c : Text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return 80;
    n = n * 10 + static_cast<unsigned long>(c - '0');
  }
  return (n >= 1 && n <= 65535) ? static_cast<INTERNET_PORT>(n) : 80;
}

// The handles of one fetch, closed request first.
struct THandles {
  const TWininet& W;
  HINTERNET Internet = nullptr, Connection = nullptr, Request = nullptr;
  explicit THandles(const TWininet& Api) : W(Api) {}
  ~THandles() {
    if (Request) W.InternetCloseHandle(Request);
    if (Connection) W.InternetCloseHandle(Connection);
    if (Internet) W.InternetCloseHandle(Internet);
  }
};

// Fetches the whole body of a successful answer; false for anything else (no
// connection, refused request, an error status, a read that failed or ended
// before the announced length).
bool Fetch(const TWininet& W, const std::string& Host, INTERNET_PORT Port, const std::string& Path,
           TMemoryStream& Body) {
  THandles h(W);
  h.Internet = W.InternetOpen(kAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (!h.Internet) return false;
  h.Connection = W.InternetConnect(h.Internet, Host.c_str(), Port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  if (!h.Connection) return false;
  h.Request = W.HttpOpenRequest(h.Connection, "GET", Path.c_str(), "HTTP/1.1", nullptr, nullptr, kRequestFlags, 1);
  if (!h.Request) return false;
  if (!W.HttpSendRequest(h.Request, nullptr, 0, nullptr, 0)) return false;
  DWORD status = 0, size = sizeof(status);
  if (!W.HttpQueryInfo(h.Request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
      status < 200 || status > 299)
    return false;
  DWORD announced = 0;
  size = sizeof(announced);
  const bool hasLength =
      W.HttpQueryInfo(h.Request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size, nullptr) != 0;
  std::vector<Byte> buffer(kReadSize);
  for (;;) {
    DWORD got = 0;
    if (!W.InternetReadFile(h.Request, buffer.data(), kReadSize, &got)) return false;
    if (got == 0) break;
    Body.Write(buffer.data(), static_cast<Integer>(got));
  }
  return !hasLength || Body.Size() >= Int64(announced);
}

}  // namespace

void TRuzozAdIO::LoadFromUrl(const std::string& Address) {
  const TWininet& w = Wininet();
  if (!w.Usable()) {
    Aborting = true;
    return;
  }
  if (HandOffWanted()) {
    new TIEIOThread(this, &TRuzozAdIO::LoadFromUrl, Address, TIEIOThread::shAddress);
    return;
  }
  Aborting = false;
  std::string prefix = Address.substr(0, 7);
  for (char& c : prefix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string rest = Address.size() > 7 ? Address.substr(7) : std::string();
  const size_t slash = rest.find('/');
  // Not a web address, or one without a path: nothing to load is a failure too.
  if (prefix != "http://" || slash == std::string::npos) {
    Aborting = true;
    SignalWorkDone();
    return;
  }
  std::string host = rest.substr(0, slash);
  const std::string path = rest.substr(slash);
  INTERNET_PORT port = 80;
  const size_t colon = host.find(':');
  if (colon != std::string::npos) {
    port = PortOf(host.substr(colon + 1));
    host.resize(colon);
  }
  auto body = std::make_unique<TMemoryStream>();
  if (!Fetch(w, host, port, path, *body)) {
    Aborting = true;
    SignalWorkDone();
    return;
  }
  body->SetPosition(0);
  LoadStreamDetected(body.get());
}
