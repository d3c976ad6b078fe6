// Speed of the editor's main road: opening a large animation until the frame
// list shows every frame (with the memory the open holds per frame), and
// inserting picture files as frames. Both run through the main window when
// its form and commands are there, and through the document routines alone
// for comparison. Not part of the tests.
//
//   editor_bench [frames, default 100] [frame size, default 1000] [PNG count, default 100] [PNG size, default 640]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/AppFileUtils.h"
#include "app/GifMainForm.h"
#include "app/GifRoutines.h"
#include "controls/RzListVw.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/views/imaging_classes.h"
#include "imaging/views/ruzozad.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point Since) { return std::chrono::duration<double>(Clock::now() - Since).count(); }

// Committed private memory of the process, summed over its address space
// (the process counters are not kept under every Windows layer).
double PrivateMB() {
  double bytes = 0;
  MEMORY_BASIC_INFORMATION info;
  for (char* p = nullptr; ::VirtualQuery(p, &info, sizeof info) == sizeof info;
       p = static_cast<char*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) bytes += static_cast<double>(info.RegionSize);
    if (static_cast<char*>(info.BaseAddress) + info.RegionSize < p) break;
  }
  return bytes / (1024.0 * 1024.0);
}

// An animation of Frames full-screen frames of Size x Size over one
// 256-colour map; every frame differs (moving bands with some texture), as
// the frames of a real animation do.
void MakeAnimation(const std::string& Path, Integer Frames, Integer Size) {
  TGIFImage doc;
  for (Integer c = 0; c < 256; ++c)
    doc.GlobalColorMap()->AppendColor(static_cast<TColor>(RGB(c, (c * 7) & 255, 255 - c)));
  doc.SetLogicalWidth(Size);
  doc.SetLogicalHeight(Size);
  for (Integer f = 0; f < Frames; ++f) {
    auto frame = std::make_unique<TGIFSubImage>(&doc);
    frame->SetPlacement(0, 0, Size, Size);
    for (Integer y = 0; y < Size; ++y) {
      Byte* row = frame->Scanline(y);
      for (Integer x = 0; x < Size; ++x) row[x] = static_cast<Byte>(((x + y + f * 5) >> 3) + (((x ^ y) >> 5) & 7));
    }
    TGIFSubImage* raw = frame.get();
    doc.AddFrame(std::move(frame));
    EnsureGraphicControl(raw, 4);
  }
  SetLoopCount(&doc, 0);
  doc.SaveToFile(Path);
}

// Count PNG files of Size x Size, 24 bits, each a different gradient.
std::vector<std::string> MakePngFiles(const std::string& Folder, Integer Count, Integer Size) {
  std::vector<std::string> files;
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(Size, Size);
  for (Integer i = 0; i < Count; ++i) {
    for (Integer y = 0; y < Size; ++y) {
      Byte* p = static_cast<Byte*>(bitmap.ScanLine(y));
      for (Integer x = 0; x < Size; ++x, p += 3) {
        p[0] = static_cast<Byte>(x * 255 / Size);
        p[1] = static_cast<Byte>(y * 255 / Size);
        p[2] = static_cast<Byte>(i * 2 + ((x ^ y) & 15));
      }
    }
    std::string path = Folder + "pic" + std::to_string(1000 + i) + ".png";
    TRuzozAdIO io(nullptr);
    io.AttachVclBitmap(&bitmap);
    io.PngToFile(path);
    files.push_back(path);
  }
  return files;
}

void RemoveFolder(const std::string& Folder) {
  TSearchRec found;
  if (FindFirst(Folder + "*", faAnyFile, found) == 0) {
    do {
      if (found.Name != "." && found.Name != "..") ::DeleteFileW(Utf8ToWide(Folder + found.Name).c_str());
    } while (FindNext(found) == 0);
    FindClose(found);
  }
  ::RemoveDirectoryW(Utf8ToWide(Folder).c_str());
}

// The main window as the program makes it, shown; nullptr when its form or
// list is not there (the road is then skipped).
std::unique_ptr<TfrmGifMain> ShownMainWindow() {
  try {
    std::unique_ptr<TfrmGifMain> form(new TfrmGifMain(Application));
    form->AfterConstruction();
    if (!form->lvFiles) return nullptr;
    form->Show();
    Application->ProcessMessages();
    return form;
  } catch (const std::exception& e) {
    std::printf("main window: cannot be made (%s)\n", e.what());
    return nullptr;
  }
}

Integer ListCount(TfrmGifMain* Form) { return Form->lvFiles->Items()->Count(); }

// Inserts the files through the Insert command, the file dialog answering
// with all of them at once.
void InsertThroughMainWindow(TfrmGifMain* Form, const std::vector<std::string>& Files, const char* Where) {
  FileDialogFunc = [&](const TOpenDialog&, bool) { return Files; };
  const Integer before = ListCount(Form);
  const auto start = Clock::now();
  Form->InsertFrames();
  Application->ProcessMessages();
  const double seconds = Seconds(start);
  const Integer inserted = ListCount(Form) - before;
  std::printf("main window insert %s: %d of %d PNG files as frames in %.3f s (%.1f ms per file)\n", Where, inserted,
              static_cast<Integer>(Files.size()), seconds, inserted ? seconds * 1000.0 / inserted : 0.0);
  FileDialogFunc = nullptr;
}

void BenchMainWindow(const std::string& Gif, Integer Frames, const std::vector<std::string>& Pngs) {
  std::unique_ptr<TfrmGifMain> form = ShownMainWindow();
  if (!form) {
    std::printf("main window road: not available in this build\n");
    return;
  }
  // Dialogs answered as a person would: the save prompt with No, messages with OK.
  MessageBoxFunc = [](HWND, const std::string& Text, const std::string&, UINT Flags) {
    std::printf("  message: %s\n", Text.c_str());
    return (Flags & MB_TYPEMASK) == MB_YESNOCANCEL ? IDNO : IDOK;
  };
  const double before = PrivateMB();
  auto start = Clock::now();
  bool loaded = form->LoadAnimationFile(Gif);
  Application->ProcessMessages();
  const double openSeconds = Seconds(start);
  const Integer listed = ListCount(form.get());
  const double held = PrivateMB() - before;
  std::printf("main window open: %s, %d of %d frames listed in %.3f s; memory held %.1f MB = %.2f MB per frame\n",
              loaded ? "ok" : "FAILED", listed, Frames, openSeconds, held, Frames ? held / Frames : 0.0);

  // Inserting into the opened animation: every insert merges the colour
  // maps of all frames, so its cost grows with the document.
  const std::vector<std::string> few(Pngs.begin(), Pngs.begin() + std::min<size_t>(10, Pngs.size()));
  InsertThroughMainWindow(form.get(), few, "into the opened animation");
  // Inserting into a new, empty animation.
  form->ResetDocument();
  Application->ProcessMessages();
  InsertThroughMainWindow(form.get(), Pngs, "into a new animation");
  FileDialogFunc = nullptr;
  form->modified = false;
  form.reset();
  Application->ProcessMessages();
}

void BenchRoutines(const std::string& Gif, Integer Frames, const std::vector<std::string>& Pngs) {
  const double before = PrivateMB();
  auto start = Clock::now();
  auto doc = std::make_unique<TGIFImage>();
  bool loaded = LoadGifFile(doc.get(), Gif);
  const double loadSeconds = Seconds(start);
  const double held = PrivateMB() - before;
  std::printf("routines open (LoadGifFile): %s, %d frames in %.3f s; memory held %.1f MB = %.2f MB per frame\n",
              loaded ? "ok" : "FAILED", doc->Frames()->ItemCount(), loadSeconds, held,
              Frames ? held / Frames : 0.0);
  // Rendering every frame: what opening would cost if the list rendered each
  // frame for its size (it reads the frame's own size instead).
  start = Clock::now();
  Integer sized = 0;
  for (Integer i = 0; i < doc->Frames()->ItemCount(); ++i)
    if (doc->Frames()->FrameAt(i)->RenderedBitmap()->Width() > 0) ++sized;
  std::printf("routines: rendered bitmaps of %d frames in %.3f s; memory held now %.1f MB\n", sized,
              Seconds(start), PrivateMB() - before);

  TRuzozAd component(nullptr);
  GifRoutinesImageComponent = &component;
  TBitmap picture;
  const size_t few = std::min<size_t>(10, Pngs.size());
  start = Clock::now();
  for (size_t i = 0; i < few; ++i)
    if (LoadImageAsBitmap(Pngs[i], &picture, gftPng, false) == 0)
      AddBitmapAsFrame(doc.get(), &picture, doc->Frames()->ItemCount());
  std::printf("routines insert into the opened animation: %d PNG files in %.3f s (%.1f ms per file)\n",
              static_cast<Integer>(few), Seconds(start), few ? Seconds(start) * 1000.0 / few : 0.0);
  doc.reset();

  TGIFImage target;
  TBitmap work;
  start = Clock::now();
  double loading = 0;
  Integer added = 0;
  for (const std::string& file : Pngs) {
    auto t = Clock::now();
    if (LoadImageAsBitmap(file, &work, FileTypeFromExtension(file), false) != 0) continue;
    loading += Seconds(t);
    AddBitmapAsFrame(&target, &work, target.Frames()->ItemCount());
    ++added;
  }
  const double total = Seconds(start);
  std::printf("routines insert into a new animation: %d of %d PNG files in %.3f s (%.1f ms per file: %.1f loading, %.1f adding)\n", added,
              static_cast<Integer>(Pngs.size()), total, added ? total * 1000.0 / added : 0.0,
              added ? loading * 1000.0 / added : 0.0, added ? (total - loading) * 1000.0 / added : 0.0);
  GifRoutinesImageComponent = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const Integer frames = argc > 1 ? std::atoi(argv[1]) : 100;
  const Integer size = argc > 2 ? std::atoi(argv[2]) : 1000;
  const Integer pngCount = argc > 3 ? std::atoi(argv[3]) : 100;
  const Integer pngSize = argc > 4 ? std::atoi(argv[4]) : 640;
  RegisterImagingClasses();

  const std::string folder = TempFolder() + "editor_bench_" + std::to_string(::GetCurrentProcessId()) + "\\";
  ::CreateDirectoryW(Utf8ToWide(folder).c_str(), nullptr);
  const std::string gif = folder + "anim.gif";
  auto start = Clock::now();
  MakeAnimation(gif, frames, size);
  std::printf("made %s: %d frames of %d x %d, %lld bytes, in %.2f s\n", gif.c_str(), frames, size, size,
              static_cast<long long>(FileSizeOf(gif)), Seconds(start));
  start = Clock::now();
  const std::vector<std::string> pngs = MakePngFiles(folder, pngCount, pngSize);
  std::printf("made %d PNG files of %d x %d in %.2f s\n", pngCount, pngSize, pngSize, Seconds(start));

  BenchRoutines(gif, frames, pngs);
  BenchMainWindow(gif, frames, pngs);
  RemoveFolder(folder);
  return 0;
}
