// Speed of opening and saving GIF files: generates one animation of noise
// (frames of 1000 x 1000 over 256 colours) into a folder, then measures on
// that same file the medians of
//   open   - TGIFImage::LoadFromFile
//   decode - LoadGIFStream from a memory stream holding the file
//   encode - SaveGIFStream (LZW) into a memory stream
//   save   - TGIFImage::SaveToFile
//   open+save - LoadFromFile then SaveToFile
// and prints them as "name seconds" lines for gif_bench.sh, which compares
// them with giflib and gifsicle on the same file.
// gif_bench <folder> [frames = 50] [repeats = 5]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "gif/GIFImage.h"

namespace {

constexpr Integer W = 1000, H = 1000;

double Median(int repeats, const std::function<void()>& run) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    run();
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
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
    const double open = Median(repeats, [&] { loaded.LoadFromFile(file); });
    const double decode = Median(repeats, [&] {
      bytes.SetPosition(0);
      loaded.LoadGIFStream(&bytes);
    });
    const double encode = Median(repeats, [&] {
      TMemoryStream out;
      loaded.SaveGIFStream(&out);
    });
    const double save = Median(repeats, [&] { loaded.SaveToFile(copy); });
    const double openSave = Median(repeats, [&] {
      TGIFImage doc;
      doc.LoadFromFile(file);
      doc.SaveToFile(copy);
    });
    const double mp = double(W) * H * frames / 1e6;
    std::printf("open %.4f\ndecode %.4f\nencode %.4f\nsave %.4f\nopen+save %.4f\n", open, decode, encode, save,
                openSave);
    std::printf("(decode %.0f MP/s, encode %.0f MP/s)\n", mp / decode, mp / encode);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gif_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
