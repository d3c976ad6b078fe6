// Loads and saves large generated animations and prints the speed of the GIF
// decoder and encoders: gif_bench [folder for the generated files] [frames]
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "gif/GIFImage.h"

namespace {

constexpr Integer W = 1000, H = 1000;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Kind 0: noise over 256 colours; kind 1: flat areas (large rectangles of few colours).
std::unique_ptr<TGIFImage> Generate(int kind, int frames) {
  auto img = std::make_unique<TGIFImage>();
  for (int i = 0; i < 256; ++i) img->GlobalColorMap()->AppendColor(TColor((i * 0x9E3779B1u) & 0xFFFFFF));
  std::mt19937 rng(kind * 1000 + 7);
  for (int f = 0; f < frames; ++f) {
    auto frame = std::make_unique<TGIFSubImage>(img.get());
    frame->SetPlacement(0, 0, H, W);
    Byte* p = frame->Data();
    if (kind == 0) {
      for (Integer i = 0; i < W * H; i += 4) {
        const Cardinal r = Cardinal(rng());
        std::memcpy(p + i, &r, 4);
      }
    } else {
      for (Integer y = 0; y < H; ++y)
        for (Integer x = 0; x < W; ++x) p[y * W + x] = Byte(((x + f * 7) / 125 + (y / 100) * 3) % 12);
    }
    auto gce = std::make_unique<TGIFGraphicControlExtension>(frame.get());
    gce->SetFrameDelay(5);
    frame->Extensions()->Append(std::move(gce));
    img->AddFrame(std::move(frame));
  }
  return img;
}

void Run(const char* name, int kind, int frames, const std::string& folder) {
  auto img = Generate(kind, frames);
  const double mp = double(W) * H * frames / 1e6;
  for (TGIFCompressionKind ck : {ckLZW, ckRLE}) {
    img->SetCompressionKind(ck);
    TMemoryStream out;
    auto t0 = std::chrono::steady_clock::now();
    img->SaveGIFStream(&out);
    const double enc = Seconds(t0);
    out.SetPosition(0);
    TGIFImage back;
    t0 = std::chrono::steady_clock::now();
    back.LoadGIFStream(&out);
    const double dec = Seconds(t0);
    const char* ckName = ck == ckLZW ? "lzw" : "rle";
    std::printf("%-5s %s: %d frames %dx%d, %.0f MP | encode %.3f s = %.1f MP/s, %lld bytes | decode %.3f s = %.1f MP/s\n",
                name, ckName, frames, W, H, mp, enc, mp / enc, static_cast<long long>(out.Size()), dec, mp / dec);
    if (!folder.empty()) out.SaveToFile(folder + "/bench_" + name + "_" + ckName + ".gif");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "";
  const int frames = argc > 2 ? std::atoi(argv[2]) : 100;
  try {
    Run("noise", 0, frames, folder);
    Run("flat", 1, frames, folder);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gif_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
