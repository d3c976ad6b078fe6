// Speed of opening and saving GIF files: generates one animation of noise
// (frames of 1000 x 1000 over 256 colours) into a folder, then measures on
// that same file the best of several runs, in CPU time (user + system, which
// a loaded machine disturbs least) and in wall time, of
//   open   - TGIFImage::LoadFromFile
//   decode - LoadGIFStream from a memory stream holding the file
//   encode - SaveGIFStream (LZW) into a new memory stream
//   encode-reused - the same into one memory stream written over again
//   save   - TGIFImage::SaveToFile
//   open+save - LoadFromFile then SaveToFile
// and prints them as "name cpu-seconds wall-seconds" lines for gif_bench.sh,
// which compares them with giflib and gifsicle on the same file.
// gif_bench <folder> [frames = 50] [repeats = 5]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "platform/Win.h"

namespace {

constexpr Integer W = 1000, H = 1000;

// User plus kernel time of this process, in seconds.
double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto value = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7; };
  return value(kernel) + value(user);
}

struct TTimes {
  double cpu = 1e30, wall = 1e30;
};

TTimes Best(int repeats, const std::function<void()>& run) {
  TTimes best;
  for (int i = 0; i < repeats; ++i) {
    const double c0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    run();
    best.wall = std::min(best.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    best.cpu = std::min(best.cpu, CpuSeconds() - c0);
  }
  return best;
}

std::unique_ptr<TGIFImage> Generate(int frames) {
  auto img = std::make_unique<TGIFImage>();
  for (int i = 0; i < 256; ++i) img->GlobalColorMap()->AppendColor(TColor((i * 0x9E3779B1u) & 0xFFFFFF));
  std::mt19937 rng(7);
  for (int f = 0; f < frames; ++f) {
    auto frame = std::make_unique<TGIFSubImage>(img.get());
    frame->SetPlacement(0, 0, H, W);
    Byte* p = frame->Data();
    for (Integer i = 0; i < W * H; i += 4) {
      const Cardinal r = Cardinal(rng());
      std::memcpy(p + i, &r, 4);
    }
    auto gce = std::make_unique<TGIFGraphicControlExtension>(frame.get());
    gce->SetFrameDelay(5);
    frame->Extensions()->Append(std::move(gce));
    img->AddFrame(std::move(frame));
  }
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gif_bench <folder> [frames] [repeats]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int frames = argc > 2 ? std::atoi(argv[2]) : 50;
  const int repeats = argc > 3 ? std::atoi(argv[3]) : 5;
  const std::string file = folder + "/bench.gif";
  const std::string copy = folder + "/bench_saved.gif";
  try {
    auto img = Generate(frames);
    img->SaveToFile(file);
    TMemoryStream bytes;
    bytes.LoadFromFile(file);
    std::printf("file %lld bytes, %d frames of %dx%d\n", static_cast<long long>(bytes.Size()), frames, W, H);

    TGIFImage loaded;
    const TTimes open = Best(repeats, [&] { loaded.LoadFromFile(file); });
    const TTimes decode = Best(repeats, [&] {
      bytes.SetPosition(0);
      loaded.LoadGIFStream(&bytes);
    });
    const TTimes encode = Best(repeats, [&] {
      TMemoryStream out;
      loaded.SaveGIFStream(&out);
    });
    // The same into one block written over again: the coding alone, without
    // the cost of first touching fresh memory (which on some virtual machines
    // is larger than the coding itself).
    TMemoryStream reused;
    const TTimes encodeReused = Best(repeats, [&] {
      reused.SetPosition(0);
      loaded.SaveGIFStream(&reused);
    });
    const TTimes save = Best(repeats, [&] { loaded.SaveToFile(copy); });
    const TTimes openSave = Best(repeats, [&] {
      TGIFImage doc;
      doc.LoadFromFile(file);
      doc.SaveToFile(copy);
    });
    const double mp = double(W) * H * frames / 1e6;
    auto line = [](const char* name, const TTimes& t) { std::printf("%s %.4f %.4f\n", name, t.cpu, t.wall); };
    line("open", open);
    line("decode", decode);
    line("encode", encode);
    line("encode-reused", encodeReused);
    line("save", save);
    line("open+save", openSave);
    std::printf("(CPU time: decode %.0f MP/s, encode %.0f MP/s, into a reused block %.0f MP/s)\n", mp / decode.cpu,
                mp / encode.cpu, mp / encodeReused.cpu);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gif_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
