// own-process: the first test checks that the internet library is loaded only
// by the first load from a web address.
//
// Loading from an "http://" address against a small HTTP server on a socket of
// the test: a picture delivered in pieces, error answers, bodies that are no
// picture or end early, refused connections, malformed addresses, the road
// through the load by extension, and the asynchronous mode.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/formats/ruzozadio.h"
#include "platform/Classes.h"

namespace {

std::vector<Byte> PatternPng(Integer W, Integer H) {
  TRuzozAdIO io(nullptr);
  TIEBitmap* b = io.IEBitmap();
  b->AllocateImage(W, H, ipkRGB24);
  uint32_t seed = 12345;
  for (Integer y = 0; y < H; ++y) {
    auto* row = static_cast<Byte*>(b->Scanline(y));
    for (Integer x = 0; x < W * 3; ++x) {
      seed = seed * 1103515245u + 12345u;  // noise, so that the file stays large
      row[x] = Byte(seed >> 24);
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

// One canned answer: status line, body, and how much of it is really sent
// (the Content-Length always announces the whole body).
struct TAnswer {
  std::string status;
  std::vector<Byte> body;
  size_t sent = SIZE_MAX;
  size_t piece = 0;  // sent in pieces of this size with a pause between them
};

// A one-connection-at-a-time HTTP server on 127.0.0.1 and a free port.
class THttpServer {
 public:
  THttpServer() {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    int len = sizeof(a);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    ::listen(listener_, 8);
    thread_ = std::thread([this] { Serve(); });
  }
  ~THttpServer() {
    ::closesocket(listener_);
    thread_.join();
    ::WSACleanup();
  }
  void Route(const std::string& Path, TAnswer Answer) {
    std::lock_guard<std::mutex> g(lock_);
    routes_[Path] = std::move(Answer);
  }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> g(lock_);
    return requests_;
  }
  std::string Url(const std::string& Path) const { return "http://127.0.0.1:" + std::to_string(port) + Path; }
  // A port on which nobody listens.
  static int ClosedPort() {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    int len = sizeof(a);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::closesocket(s);
    return ntohs(a.sin_port);
  }
  int port = 0;

 private:
  void Serve() {
    for (;;) {
      SOCKET c = ::accept(listener_, nullptr, nullptr);
      if (c == INVALID_SOCKET) return;
      Answer(c);
      ::shutdown(c, SD_SEND);
      char drain[256];
      while (::recv(c, drain, sizeof(drain), 0) > 0) {
      }
      ::closesocket(c);
    }
  }
  void Answer(SOCKET C) {
    std::string request;
    char buf[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const int n = ::recv(C, buf, sizeof(buf), 0);
      if (n <= 0) return;
      request.append(buf, size_t(n));
    }
    const size_t sp1 = request.find(' '), sp2 = request.find(' ', sp1 + 1);
    const std::string path = request.substr(sp1 + 1, sp2 - sp1 - 1);
    TAnswer a;
    {
      std::lock_guard<std::mutex> g(lock_);
      requests_.push_back(request.substr(0, sp1) + " " + path);
      auto it = routes_.find(path);
      a = it != routes_.end() ? it->second : TAnswer{"404 Not Found", {'n', 'o'}};
    }
    const std::string head = "HTTP/1.1 " + a.status + "\r\nContent-Length: " + std::to_string(a.body.size()) +
                             "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
    ::send(C, head.data(), int(head.size()), 0);
    const size_t total = std::min(a.sent, a.body.size());
    const size_t piece = a.piece ? a.piece : total;
    for (size_t at = 0; at < total; at += piece) {
      ::send(C, reinterpret_cast<const char*>(a.body.data() + at), int(std::min(piece, total - at)), 0);
      if (a.piece) ::Sleep(1);
    }
  }
  SOCKET listener_;
  std::thread thread_;
  std::mutex lock_;
  std::map<std::string, TAnswer> routes_;
  std::vector<std::string> requests_;
};

struct TRun {
  Integer finished = 0;
  DWORD finishThread = 0;
};

bool WaitFor(const std::function<bool()>& Done, int TimeoutMs = 20000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
  while (!Done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ::Sleep(2);
  }
  return true;
}

}  // namespace

// Before the first load from the web the internet library is not in the
// process; the first load brings it in.
TEST(FmtUrl, InternetLibraryLoadedOnFirstUse) {
  THttpServer server;
  const std::vector<Byte> png = PatternPng(8, 8);
  server.Route("/first.png", {"200 OK", png});
  TRuzozAdIO io(nullptr);
  {
    // Other loads do not need it.
    TMemoryStream s;
    s.Write(png.data(), Integer(png.size()));
    s.SetPosition(0);
    io.PngFromStream(&s);
  }
  io.IEBitmap()->FreeImage();
  EXPECT_EQ(::GetModuleHandleA("wininet.dll"), nullptr);
  io.LoadFromUrl(server.Url("/first.png"));
  EXPECT_NE(::GetModuleHandleA("wininet.dll"), nullptr);
  EXPECT_FALSE(io.Aborting);
  EXPECT_EQ(io.IEBitmap()->Width(), 8);
}

// Every answer and address against the same component: what is loaded, the
// abort flag, the end signal, and what the server was asked.
TEST(FmtUrl, AnswersAndAddresses) {
  THttpServer server;
  const std::vector<Byte> png = PatternPng(180, 150);
  ASSERT_GT(png.size(), 65536u) << "the picture must need more than one read";
  std::vector<Byte> wanted;
  {
    TRuzozAdIO ref(nullptr);
    TMemoryStream s;
    s.Write(png.data(), Integer(png.size()));
    s.SetPosition(0);
    ref.PngFromStream(&s);
    wanted = PixelsOf(ref.IEBitmap());
  }
  const std::string html = "<html><body>Not here</body></html>";
  server.Route("/pic.png", {"200 OK", png, SIZE_MAX, 1500});
  server.Route("/gone.html", {"404 Not Found", std::vector<Byte>(html.begin(), html.end())});
  server.Route("/gone.png", {"404 Not Found", png});
  server.Route("/page", {"200 OK", std::vector<Byte>(html.begin(), html.end())});
  server.Route("/half.png", {"200 OK", png, png.size() / 2});
  server.Route("/err.png", {"500 Internal Server Error", png});
  const std::string closed = "http://127.0.0.1:" + std::to_string(THttpServer::ClosedPort());

  struct Case {
    const char* what;
    std::string address;
    bool loads;
    const char* request;  // what the server must have been asked last, or nil
  };
  const Case cases[] = {
      {"a picture in many pieces", server.Url("/pic.png"), true, "GET /pic.png"},
      {"scheme in capitals", "HTTP://127.0.0.1:" + std::to_string(server.port) + "/pic.png", true, "GET /pic.png"},
      {"404 with an error page", server.Url("/gone.html"), false, "GET /gone.html"},
      {"404 whose body is a picture", server.Url("/gone.png"), false, "GET /gone.png"},
      {"500 whose body is a picture", server.Url("/err.png"), false, "GET /err.png"},
      {"a body that is no picture", server.Url("/page"), false, "GET /page"},
      {"a body that ends early", server.Url("/half.png"), false, "GET /half.png"},
      {"refused connection", closed + "/pic.png", false, nullptr},
      {"unknown host", "http://no-such-host.invalid/pic.png", false, nullptr},
      {"host without a path", server.Url(""), false, nullptr},
      {"not an http address", "ftp://127.0.0.1/pic.png", false, nullptr},
      {"https is not ours", "https://127.0.0.1/pic.png", false, nullptr},
      {"empty", "", false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + ": " + c.address);
    TRuzozAdIO io(nullptr);
    io.IEBitmap()->AllocateImage(3, 2, ipkRGB24);
    TRun run;
    io.OnFinishWork = [&](TObject*) { ++run.finished; };
    const size_t asked = server.Requests().size();
    const auto t0 = std::chrono::steady_clock::now();
    io.LoadFromUrl(c.address);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20));
    EXPECT_EQ(run.finished, 1);
    EXPECT_EQ(io.Aborting, !c.loads);
    if (c.loads) {
      EXPECT_EQ(PixelsOf(io.IEBitmap()), wanted);
      EXPECT_EQ(io.Params().FileType, 8);
    } else {
      EXPECT_EQ(io.IEBitmap()->Width(), 3) << "a failed fetch leaves the picture as it was";
    }
    const std::vector<std::string> requests = server.Requests();
    if (c.request) {
      ASSERT_EQ(requests.size(), asked + 1);
      EXPECT_EQ(requests.back(), c.request);
    } else {
      EXPECT_EQ(requests.size(), asked);
    }
  }
}

// The load by extension takes any name beginning with "http://" to the web.
TEST(FmtUrl, LoadByExtensionGoesToTheWeb) {
  THttpServer server;
  server.Route("/dir/pic.bin", {"200 OK", PatternPng(5, 4)});
  TRuzozAdIO io(nullptr);
  io.LoadFileByExtension("hTTp://127.0.0.1:" + std::to_string(server.port) + "/dir/pic.bin");
  EXPECT_FALSE(io.Aborting);
  EXPECT_EQ(io.IEBitmap()->Width(), 5);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0], "GET /dir/pic.bin");
}

// In the asynchronous mode the fetch and the load run on a worker; the caller
// gets control back at once.
TEST(FmtUrl, AsynchronousFetchRunsOnAWorker) {
  THttpServer server;
  const std::vector<Byte> png = PatternPng(60, 40);
  server.Route("/slow.png", {"200 OK", png, SIZE_MAX, 200});
  TIEBitmap buffer;
  TRuzozAdIO io(nullptr);
  io.AttachIEBitmap(&buffer);
  io.AsyncMode = true;
  std::atomic<DWORD> finishThread{0};
  io.OnFinishWork = [&](TObject*) { finishThread = ::GetCurrentThreadId(); };
  io.LoadFromUrl(server.Url("/slow.png"));
  EXPECT_EQ(buffer.Width(), 0);
  ASSERT_TRUE(WaitFor([&] { return finishThread != 0 && io.WorkerCount() == 0; }));
  EXPECT_NE(finishThread, ::GetCurrentThreadId());
  EXPECT_FALSE(io.Aborting);
  EXPECT_EQ(buffer.Width(), 60);
  EXPECT_EQ(buffer.Height(), 40);
}

// Against Python's http.server, which fmt_url_http_server.py starts on a free
// port and stops again (FMT_URL_SERVER its address, FMT_URL_DIR the folder it
// serves, FMT_URL_CLOSED an address nobody listens on); skipped without it.
TEST(FmtUrlHttpServer, PictureAndClearFailures) {
  const char* base = std::getenv("FMT_URL_SERVER");
  const char* dir = std::getenv("FMT_URL_DIR");
  const char* closed = std::getenv("FMT_URL_CLOSED");
  if (!base || !dir || !closed) GTEST_SKIP() << "started by fmt_url_http_server.py";
  const std::vector<Byte> png = PatternPng(37, 23);
  {
    TFileStream f(std::string(dir) + "\\pic.png", fmCreate);
    f.WriteBuffer(png.data(), Integer(png.size()));
    TFileStream t(std::string(dir) + "\\page.txt", fmCreate);
    t.WriteBuffer("no picture here", 15);
  }
  TRuzozAdIO ref(nullptr);
  {
    TMemoryStream s;
    s.Write(png.data(), Integer(png.size()));
    s.SetPosition(0);
    ref.PngFromStream(&s);
  }
  struct Case {
    const char* What;
    std::string Address;
    bool Loads;
  };
  const Case cases[] = {
      {"a picture", std::string(base) + "/pic.png", true},
      {"404", std::string(base) + "/missing.png", false},
      {"a body that is no picture", std::string(base) + "/page.txt", false},
      {"refused connection", std::string(closed) + "/pic.png", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.What) + ": " + c.Address);
    TRuzozAdIO io(nullptr);
    io.IEBitmap()->AllocateImage(3, 2, ipkRGB24);
    int finished = 0;
    io.OnFinishWork = [&](TObject*) { ++finished; };
    const auto t0 = std::chrono::steady_clock::now();
    io.LoadFromUrl(c.Address);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20));
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(io.Aborting, !c.Loads);
    if (c.Loads)
      EXPECT_EQ(PixelsOf(io.IEBitmap()), PixelsOf(ref.IEBitmap()));
    else
      EXPECT_EQ(io.IEBitmap()->Width(), 3) << "a failed fetch leaves the picture as it was";
  }
}
