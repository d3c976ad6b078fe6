// Quality and speed of the image library's quantisers and resampler, and a
// very large buffer held in a mapped file. Not part of the tests.
//
//   imaging_bench [folder for PPM copies of the generated pictures] [--no-huge | --huge-only]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/buffer/neurquant.h"
#include "imaging/buffer/ruzozadproc.h"
#include "platform/Win.h"

#include <psapi.h>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point Since) { return std::chrono::duration<double>(Clock::now() - Since).count(); }

// User plus kernel time of this process, in seconds: on a loaded machine it
// varies far less than the wall time.
double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto value = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7; };
  return value(kernel) + value(user);
}

std::unique_ptr<TIEBitmap> Picture(Integer W, Integer H, int Variant) {
  auto b = std::make_unique<TIEBitmap>();
  b->SetLocation(islMemory);
  b->AllocateImage(W, H, ipkRGB24);
  uint32_t s = 12345u + Variant * 7919u;
  for (Integer y = 0; y < H; ++y) {
    Byte* p = static_cast<Byte*>(b->GetRowPointer(y));
    for (Integer x = 0; x < W; ++x, p += 3) {
      s = s * 1664525u + 1013904223u;
      const int noise = static_cast<int>((s >> 24) % 32) - 16;
      double r, g, bl;
      switch (Variant) {
        case 0:  // diagonal gradients
          r = 255.0 * x / W;
          g = 255.0 * y / H;
          bl = 255.0 * (1 - double(x + y) / (W + H));
          break;
        case 1:  // rings
          r = 128 + 127 * std::sin((x - W / 2.0) * (x - W / 2.0) / 9000.0 + (y - H / 2.0) * (y - H / 2.0) / 9000.0);
          g = 128 + 127 * std::cos(x / 37.0);
          bl = 128 + 127 * std::sin(y / 53.0);
          break;
        default:  // soft skin-and-sky tones
          r = 180 + 60 * std::sin(x / 150.0);
          g = 140 + 50 * std::cos(y / 120.0);
          bl = 100 + 80 * double(y) / H;
          break;
      }
      // Shapes: a disc, a bar and a checker patch.
      const double dx = x - W * 0.3, dy = y - H * 0.4;
      if (dx * dx + dy * dy < (H * 0.15) * (H * 0.15)) {
        r = 20;
        g = 200;
        bl = 60;
      }
      if (y > H * 0.7 && y < H * 0.8) {
        r = 250;
        g = 220;
        bl = 10;
      }
      if (x > W * 0.75 && y < H * 0.25 && ((x / 16 + y / 16) % 2 == 0)) r = g = bl = 30;
      p[0] = static_cast<Byte>(ClampToByte(static_cast<Integer>(bl) + noise));
      p[1] = static_cast<Byte>(ClampToByte(static_cast<Integer>(g) + noise));
      p[2] = static_cast<Byte>(ClampToByte(static_cast<Integer>(r) + noise));
    }
  }
  return b;
}

void WritePPM(TIEBitmap* B, const std::string& Path) {
  FILE* f = std::fopen(Path.c_str(), "wb");
  if (f == nullptr) return;
  std::fprintf(f, "P6\n%d %d\n255\n", B->Width(), B->Height());
  std::vector<Byte> line(static_cast<size_t>(B->Width()) * 3);
  for (Integer y = 0; y < B->Height(); ++y) {
    const Byte* p = static_cast<const Byte*>(B->GetRowPointer(y));
    for (Integer x = 0; x < B->Width(); ++x) {
      line[3 * x] = p[3 * x + 2];
      line[3 * x + 1] = p[3 * x + 1];
      line[3 * x + 2] = p[3 * x];
    }
    std::fwrite(line.data(), 1, line.size(), f);
  }
  std::fclose(f);
}

double MeanSquaredError(TIEBitmap* A, TIEBitmap* B) {
  double se = 0;
  std::vector<Byte> row(static_cast<size_t>(A->Width()) * 3);
  for (Integer y = 0; y < A->Height(); ++y) {
    std::memcpy(row.data(), A->GetRowPointer(y), row.size());
    const Byte* q = static_cast<const Byte*>(B->GetRowPointer(y));
    for (size_t i = 0; i < row.size(); ++i) se += double(row[i] - q[i]) * (row[i] - q[i]);
  }
  return se / (3.0 * A->Width() * A->Height());
}

// Builds the palette with the chosen way and maps every pixel (in place).
void Quantise(TIEBitmap* B, Integer Colors, bool NeuQuant) {
  std::vector<TIEColorTriple> pal(static_cast<size_t>(Colors));
  const TIERGBRowSource rows = RowSourceOf(B);
  Byte* palette = reinterpret_cast<Byte*>(pal.data());
  std::unique_ptr<TIENeuQuantNetwork> net;
  std::unique_ptr<TIEBoxQuantizer> box;
  if (NeuQuant)
    net = NeuQuantCreate(rows, palette, Colors, -1);
  else
    box = BoxQuantizerCreate(rows, palette, Colors);
  for (Integer y = 0; y < B->Height(); ++y) {
    Byte* p = static_cast<Byte*>(B->GetRowPointer(y));
    for (Integer x = 0; x < B->Width(); ++x, p += 3) {
      const Integer i = NeuQuant ? NeuQuantIndex(*net, p[0], p[1], p[2]) : BoxQuantizerIndex(*box, p[0], p[1], p[2]);
      p[0] = pal[i].Blue;
      p[1] = pal[i].Green;
      p[2] = pal[i].Red;
    }
  }
}

void PeakMemory(const char* When) {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof(pmc);
  if (K32GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc)))
    std::printf("memory %s: working set %.0f MB, peak working set %.0f MB, peak private %.0f MB\n", When,
                pmc.WorkingSetSize / 1048576.0, pmc.PeakWorkingSetSize / 1048576.0, pmc.PeakPagefileUsage / 1048576.0);
}

struct OpTimes {
  double t[4] = {0, 0, 0, 0};    // wall
  double cpu[4] = {0, 0, 0, 0};  // user + kernel
  bool mappedBefore = false, mappedAfter = false;
};

void FillPattern(TIEBitmap* B) {
  for (Integer y = 0; y < B->Height(); ++y) {
    Byte* p = static_cast<Byte*>(B->GetRowPointer(y));
    for (Integer x = 0; x < B->Width(); ++x, p += 3) {
      p[0] = static_cast<Byte>(x);
      p[1] = static_cast<Byte>(y);
      p[2] = static_cast<Byte>(x ^ y);
    }
  }
}

// Allocate and fill, flip both ways, convert to grey; seconds of each.
// Flips repeats times each (an even count leaves the picture as it was),
// timing one: a flip of a small buffer in memory is shorter than the clock's step.
OpTimes BufferOperations(TIEBitmap* B, Integer W, Integer H, int FlipRepeats = 1) {
  OpTimes r;
  auto t0 = Clock::now();
  double c0 = CpuSeconds();
  auto lap = [&](int i, int Repeats = 1) {
    r.t[i] = Seconds(t0) / Repeats;
    r.cpu[i] = (CpuSeconds() - c0) / Repeats;
    t0 = Clock::now();
    c0 = CpuSeconds();
  };
  B->AllocateImage(W, H, ipkRGB24);
  FillPattern(B);
  lap(0);
  r.mappedBefore = B->Location() == islMappedFile;
  for (int k = 0; k < FlipRepeats; ++k) FlipImage(B, 0);
  lap(1, FlipRepeats);
  for (int k = 0; k < FlipRepeats; ++k) FlipImage(B, 1);
  lap(2, FlipRepeats);
  B->ConvertToKind(ipkGray8);
  lap(3);
  r.mappedAfter = B->Location() == islMappedFile;
  return r;
}

void QuantiseAndResample(const std::string& folder) {
  std::printf("== quantisation (1600 x 1200 pictures)\n");
  std::printf("picture method colours seconds MPix/s MSE\n");
  for (int v = 0; v < 3; ++v) {
    auto original = Picture(1600, 1200, v);
    if (!folder.empty()) WritePPM(original.get(), folder + "/pic" + std::to_string(v) + ".ppm");
    for (Integer colors : {256, 64, 16})
      for (bool neu : {true, false}) {
        TIEBitmap work;
        work.SetLocation(islMemory);
        work.CopyFromObject(original.get());
        const auto t0 = Clock::now();
        Quantise(&work, colors, neu);
        const double s = Seconds(t0);
        std::printf("pic%d %-8s %4d %8.3f %8.2f %8.2f\n", v, neu ? "neuquant" : "box", colors, s,
                    1600.0 * 1200 / 1e6 / s, MeanSquaredError(original.get(), &work));
        std::fflush(stdout);
      }
  }

  std::printf("== resampling 4000 x 3000\n");
  auto big = Picture(4000, 3000, 0);
  if (!folder.empty()) WritePPM(big.get(), folder + "/big.ppm");
  struct {
    TResampleFilter f;
    const char* name;
  } filters[] = {{rfTriangle, "triangle"}, {rfLanczos3, "lanczos3"}, {rfBicubic, "bicubic"}, {rfFastLinear, "fastlinear"}};
  for (const auto& f : filters)
    for (double scale : {0.5, 2.0}) {
      TIEBitmap dst;
      dst.SetLocation(islMemory);
      dst.AllocateImage(static_cast<Integer>(4000 * scale), static_cast<Integer>(3000 * scale), ipkRGB24);
      const auto t0 = Clock::now();
      ResampleImage(big.get(), &dst, f.f);
      std::printf("%-10s x%.1f %8.3f s\n", f.name, scale, Seconds(t0));
      std::fflush(stdout);
    }
  big.reset();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 && argv[1][0] != '-' ? argv[1] : "";
  bool huge = true, hugeOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-huge") == 0) huge = false;
    if (std::strcmp(argv[i], "--huge-only") == 0) hugeOnly = true;
  }

  if (!hugeOnly) QuantiseAndResample(folder);

  if (huge) {
    // The same four operations on a memory buffer and on a buffer in a mapped
    // file 33 times larger; the memory times scaled by the pixel count are
    // what the mapped buffer is measured against.
    std::printf("== buffer operations: 4000 x 3000 in memory against 20000 x 20000 in a mapped file\n");
    PeakMemory("before");
    const double scale = (20000.0 * 20000.0) / (4000.0 * 3000.0);
    TIEBitmap small;
    small.SetLocation(islMemory);
    small.SetFileThreshold(UINT64_MAX);
    OpTimes mem = BufferOperations(&small, 4000, 3000, 20);
    for (int run = 0; run < 2; ++run) {  // the best of three: short times are noisy
      const OpTimes again = BufferOperations(&small, 4000, 3000, 20);
      for (int i = 0; i < 4; ++i) {
        mem.t[i] = std::min(mem.t[i], again.t[i]);
        mem.cpu[i] = std::min(mem.cpu[i], again.cpu[i]);
      }
    }
    TIEBitmap huge;
    huge.SetFileThreshold(64u << 20);
    const OpTimes mapped = BufferOperations(&huge, 20000, 20000);
    const char* names[4] = {"allocate+fill", "flip left-right", "flip top-bottom", "convert to 8-bit grey"};
    for (int cpu = 0; cpu < 2; ++cpu) {
      std::printf("%-22s %10s %12s %12s %8s  (%s)\n", "operation", "memory s", "x33.3 s", "mapped s", "ratio",
                  cpu ? "CPU time, user + kernel" : "wall time");
      for (int i = 0; i < 4; ++i) {
        const double m = cpu ? mem.cpu[i] : mem.t[i], f = cpu ? mapped.cpu[i] : mapped.t[i];
        std::printf("%-22s %10.3f %12.2f %12.2f %8.2f\n", names[i], m, m * scale, f, m > 0 ? f / (m * scale) : 0.0);
      }
    }
    std::printf("mapped file while filled: %s; after the grey conversion: %s\n", mapped.mappedBefore ? "yes" : "no",
                mapped.mappedAfter ? "yes" : "no");
    PeakMemory("after");
    if (hugeOnly) return 0;
    {
      std::printf("== resampling 20000 x 20000 in a mapped file\n");
      huge.FreeImage();
      huge.AllocateImage(20000, 20000, ipkRGB24);
      FillPattern(&huge);
      TIEBitmap half;
      half.SetFileThreshold(64u << 20);
      half.AllocateImage(10000, 10000, ipkRGB24);
      auto t0 = Clock::now();
      ResampleImage(&huge, &half, rfFastLinear);
      std::printf("resample to half (fast linear) %.2f s, mapped: %s\n", Seconds(t0),
                  half.Location() == islMappedFile ? "yes" : "no");
      t0 = Clock::now();
      TIEBitmap third;
      third.SetFileThreshold(64u << 20);
      third.AllocateImage(6666, 6666, ipkRGB24);
      ResampleImage(&huge, &third, rfTriangle);
      std::printf("resample to a third (triangle) %.2f s\n", Seconds(t0));
    }
  }
  return 0;
}
