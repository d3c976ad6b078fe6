// Frame optimisation: compact colour maps, drop what no pixel or frame shows,
// turn pixels that repeat the previous frame transparent, trim transparent
// borders and strip extensions that carry nothing.
#include <algorithm>
#include <memory>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"

namespace {

bool Overlap(const TRect& A, const TRect& B, TRect& Out) {
  Out = Rect(std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
             std::min(A.Bottom, B.Bottom));
  return Out.Left < Out.Right && Out.Top < Out.Bottom;
}

Byte DisposalOf(TGIFSubImage* Frame) {
  return Frame->GraphicControl() ? Frame->GraphicControl()->DisposalMethod() : 0;
}

// Counts what an encoder writes, keeping nothing.
class TCountingStream : public TStream {
 public:
  Integer Read(void*, Integer) override { return 0; }
  Integer Write(const void*, Integer Count) override {
    size_ += Count;
    return Count;
  }
  Int64 Seek(Int64, TSeekOrigin) override { return size_; }
  Int64 Written() const { return size_; }

 private:
  Int64 size_ = 0;
};

// Bytes the frame's image data and colour table would take once trimmed to
// the pixels it does not leave transparent (as the trimming step does).
Int64 CodedFrameSize(TGIFSubImage* Frame) {
  if (Frame->IsEmpty()) return 0;
  const Integer w = Frame->Width(), h = Frame->Height();
  const Byte* data = Frame->Data();
  Integer x0 = 0, y0 = 0, x1 = w - 1, y1 = h - 1;
  TGIFGraphicControlExtension* gce = Frame->GraphicControl();
  if (Frame->Transparent() && gce) {
    const Byte t = gce->TransparentIndex();
    x0 = w, y0 = h, x1 = -1, y1 = -1;
    for (Integer y = 0; y < h; ++y)
      for (Integer x = 0; x < w; ++x)
        if (data[size_t(y) * w + x] != t) {
          x0 = std::min(x0, x), x1 = std::max(x1, x);
          y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
    if (x1 < 0) return 0;
  }
  const Integer cw = x1 - x0 + 1, ch = y1 - y0 + 1;
  std::vector<Byte> box(size_t(cw) * ch);
  for (Integer y = 0; y < ch; ++y) std::copy_n(data + size_t(y + y0) * w + x0, cw, box.data() + size_t(y) * cw);
  const Integer bits = std::max(Frame->EffectiveColorMap()->BitsPerEntry(), Frame->PixelBits());
  TCountingStream out;
  TLZWEncoder encoder;
  encoder.Encode(&out, bits, 1 << bits, box.data(), false, ch, cw);
  const Integer local = Frame->ColorMap()->Count();
  return out.Written() + (local > 0 ? 3 * (Int64(1) << BitsForColorCount(local)) : 0);
}

// What merging may change in a frame, to put back when it does not pay.
struct TMergeUndo {
  std::vector<Byte> pixels;
  Integer extensionCount = 0;
  bool transparent = false;
  bool hadControl = false;
  TGIFControlRecord control{};
  TGIFColorMap* map = nullptr;
  Integer mapCount = 0;
  bool mapSorted = false;

  explicit TMergeUndo(TGIFSubImage* Frame)
      : pixels(Frame->Data(), Frame->Data() + Frame->DataSize()),
        extensionCount(Frame->Extensions()->ItemCount()),
        transparent(Frame->Transparent()),
        hadControl(Frame->GraphicControl() != nullptr),
        map(Frame->ColorMap()->Count() > 0 || !Frame->Image() ? static_cast<TGIFColorMap*>(Frame->ColorMap())
                                                               : Frame->Image()->GlobalColorMap()),
        mapCount(map->Count()),
        mapSorted(map->Sorted()) {
    if (hadControl) control = Frame->GraphicControl()->Control;
  }

  void Restore(TGIFSubImage* Frame) {
    std::copy(pixels.begin(), pixels.end(), Frame->Data());
    while (Frame->Extensions()->ItemCount() > extensionCount)
      Frame->Extensions()->RemoveAndFree(Frame->Extensions()->ItemAt(Frame->Extensions()->ItemCount() - 1));
    if (hadControl) Frame->GraphicControl()->Control = control;
    Frame->SetTransparent(transparent);
    while (map->Count() > mapCount) map->RemoveEntry(map->Count() - 1);
    map->SetSorted(mapSorted);
    Frame->FreeBitmap();
    Frame->FreeMask();
  }
};

// Every pixel is the frame's transparent index.
bool ShowsNothing(TGIFSubImage* Frame) {
  const Byte t = Frame->GraphicControl()->TransparentIndex();
  const Byte* p = Frame->Data();
  return std::all_of(p, p + Frame->DataSize(), [t](Byte b) { return b == t; });
}

// A frame that draws nothing and whose disposal changes nothing shows the
// previous frame's picture for its delay. It can go when that picture is what
// the previous frame leaves (it keeps or leaves its pixels) and its time can be
// added to that frame's delay; frame 0, which shows the empty screen, stays.
bool FoldIntoPrevious(TGIFImageList* Frames, Integer Index) {
  if (Index <= 0) return false;
  TGIFSubImage* f = Frames->FrameAt(Index);
  TGIFSubImage* prev = Frames->FrameAt(Index - 1);
  TGIFGraphicControlExtension* gce = f->GraphicControl();
  if (gce->UserInputFlag() || DisposalOf(prev) > 1) return false;
  // A player shows a frame without a delay for its default time and a short
  // delay for its shortest wait: only delays it takes as they are add up.
  TGIFGraphicControlExtension* prevGce = prev->GraphicControl();
  const Integer prevDelay = prevGce ? prevGce->FrameDelay() : 0;
  if (prevDelay < GIFDefaults.MinimumDelay || gce->FrameDelay() < GIFDefaults.MinimumDelay) return false;
  const Integer delay = prevDelay + gce->FrameDelay();
  if (delay > 0xFFFF) return false;
  prevGce->SetFrameDelay(Word(delay));
  return true;
}

}  // namespace

void TGIFSubImage::TrimToContent() {
  if (IsEmpty() || !transparent_ || !graphicControl_) return;
  const Byte t = graphicControl_->TransparentIndex();
  const Integer w = Width(), h = Height();
  auto columnHasContent = [&](Integer x, Integer y0, Integer y1) {
    for (Integer y = y0; y <= y1; ++y)
      if (data_[size_t(y) * w + x] != t) return true;
    return false;
  };
  Integer i = 0;
  while (i < w && !columnHasContent(i, 0, h - 1)) ++i;
  if (i == w) {
    // Nothing to show: one transparent pixel keeps the frame (and its time).
    if (w == 1 && h == 1) return;
    std::unique_ptr<Byte[]> one(new Byte[1]{t});
    Descriptor.Width = 1;
    Descriptor.Height = 1;
    data_ = std::move(one);
    dataSize_ = 1;
    FreeBitmap();
    FreeMask();
    return;
  }
  Integer r = w - 1;
  while (r > i && !columnHasContent(r, 0, h - 1)) --r;
  auto rowHasContent = [&](Integer y) {
    for (Integer x = i; x <= r; ++x)
      if (data_[size_t(y) * w + x] != t) return true;
    return false;
  };
  Integer j = 0;
  while (j < h && !rowHasContent(j)) ++j;
  Integer b = h - 1;
  while (b > j && !rowHasContent(b)) --b;
  const Integer nw = r - i + 1, nh = b - j + 1;
  if (nw == w && nh == h) return;
  std::unique_ptr<Byte[]> cut(new Byte[size_t(nw) * nh]);
  for (Integer y = 0; y < nh; ++y)
    std::copy_n(data_.get() + size_t(y + j) * w + i, nw, cut.get() + size_t(y) * nw);
  Descriptor.Left = Word(Left() + i);
  Descriptor.Top = Word(Top() + j);
  Descriptor.Width = Word(nw);
  Descriptor.Height = Word(nh);
  data_ = std::move(cut);
  dataSize_ = nw * nh;
  FreeBitmap();
  FreeMask();
}

bool TGIFSubImage::CanAddTransparentEntry() const {
  const Integer local = colorMap_->Count();
  if (local > 0) return local <= 255;
  const Integer global = image_ ? image_->GlobalColorMap()->Count() : 0;
  return global >= 1 && global <= 255;
}

Integer TGIFSubImage::SharedTransparentIndex() {
  if (colorMap_->Count() == 0 && image_) {
    for (Integer i = 0; i < image_->Frames()->ItemCount(); ++i) {
      TGIFSubImage* f = image_->Frames()->FrameAt(i);
      if (f == this || !f->Transparent() || f->ColorMap()->Count() > 0 || !f->GraphicControl()) continue;
      const Byte t = f->GraphicControl()->TransparentIndex();
      // Another frame's transparent index is shared only when this frame does
      // not show that entry as a colour of its own.
      if (!ScanForByte(data_.get(), t, dataSize_)) return t;
      break;
    }
  }
  TGIFColorMap* map = colorMap_->Count() > 0 ? static_cast<TGIFColorMap*>(colorMap_.get())
                                              : static_cast<TGIFColorMap*>(image_->GlobalColorMap());
  return map->AppendColor(TColor(0));
}

void TGIFSubImage::MergeWithPrevious(TGIFSubImage* Previous) {
  if (IsEmpty() || !Previous || Previous->IsEmpty()) return;
  const Byte prevDisposal = DisposalOf(Previous);
  if (prevDisposal == 2 || prevDisposal == 3) return;
  TRect ov;
  if (!Overlap(BoundsRect(), Previous->BoundsRect(), ov)) return;
  const bool wasTransparent = transparent_ && graphicControl_;
  Integer dest = -1;
  if (wasTransparent)
    dest = graphicControl_->TransparentIndex();
  else if (!CanAddTransparentEntry())
    return;
  const Integer src =
      (Previous->Transparent() && Previous->GraphicControl()) ? Previous->GraphicControl()->TransparentIndex() : -1;
  TGIFColorMap* myMap = EffectiveColorMap();
  TGIFColorMap* prevMap = Previous->EffectiveColorMap();
  const bool sameMap = myMap == prevMap;
  const Integer myCount = myMap->Count(), prevCount = prevMap->Count();
  bool fixedHere = false;
  for (Integer y = ov.Top; y < ov.Bottom; ++y) {
    Byte* row = data_.get() + size_t(y - Top()) * Width();
    const Byte* prow = Previous->Data() + size_t(y - Previous->Top()) * Previous->Width();
    for (Integer x = ov.Left; x < ov.Right; ++x) {
      Byte& p = row[x - Left()];
      const Byte q = prow[x - Previous->Left()];
      if (dest >= 0 && p == dest) continue;
      if (src >= 0 && q == src) continue;
      bool same = sameMap && p == q;
      if (!same && p < myCount && q < prevCount) {
        const TGIFColor& a = myMap->Entries()[p];
        const TGIFColor& b = prevMap->Entries()[q];
        same = a.Red == b.Red && a.Green == b.Green && a.Blue == b.Blue;
      }
      if (!same) continue;
      if (dest < 0) {
        dest = SharedTransparentIndex();
        fixedHere = true;
      }
      p = Byte(dest);
    }
  }
  if (fixedHere) {
    TGIFGraphicControlExtension* gce = nullptr;
    for (Integer e = 0; e < extensions_->ItemCount() && !gce; ++e)
      gce = dynamic_cast<TGIFGraphicControlExtension*>(extensions_->ExtensionAt(e));
    if (!gce) {
      auto made = std::make_unique<TGIFGraphicControlExtension>(this);
      gce = made.get();
      extensions_->Append(std::move(made));
    }
    gce->Control.TransparentIndex = Byte(dest);
    gce->SetUsesTransparentIndex(true);
    if (!graphicControl_) graphicControl_ = gce;
  }
  FreeBitmap();
  FreeMask();
}

void TGIFImage::OptimizeFrames(TGIFOptimizeFlags Flags, TGIFColorReduction Method, Integer /*ColorBits*/,
                               TGIFDitherKind /*Dither*/) {
  if (IsEmpty()) return;
  StopAllPainters();
  painters_->LockList();
  const Integer M = 6 * frames_->ItemCount();
  Integer P = 0;
  auto report = [&] { DoProgressFrom(this, psRunning, Byte(::MulDiv(P, 100, M)), false, "Optimizing..."); };
  try {
    DoProgressFrom(this, psStarting, 0, false, "Optimizing...");
    if (Flags & ofCompactColorMaps) {
      if (GlobalColorMap()->Count() > 0) GlobalColorMap()->Compact();
      for (Integer i = 0; i < frames_->ItemCount(); ++i) {
        TGIFSubImage* f = frames_->FrameAt(i);
        ++P;
        if (f->ColorMap()->Count() > 0) {
          f->ColorMap()->Compact();
          report();
        }
      }
    }
    if (Flags & ofStripInvisible) {
      for (Integer i = 0; i < frames_->ItemCount(); ++i) {
        TGIFSubImage* f = frames_->FrameAt(i);
        ++P;
        TGIFGraphicControlExtension* gce = f->GraphicControl();
        if (f->Transparent() && gce && !ScanForByte(f->Data(), gce->TransparentIndex(), f->DataSize())) {
          gce->SetUsesTransparentIndex(false);
          report();
        }
      }
      for (Integer i = 0; i + 1 < frames_->ItemCount(); ++i) {
        TGIFSubImage* f = frames_->FrameAt(i);
        TGIFSubImage* next = frames_->FrameAt(i + 1);
        ++P;
        const Byte d = DisposalOf(f);
        TRect ov;
        if ((d == 2 || d == 3) && !next->Transparent() && Overlap(f->BoundsRect(), next->BoundsRect(), ov)) {
          report();
          if (ov == f->BoundsRect()) f->GraphicControl()->SetDisposalMethod(0);
        }
      }
    } else {
      P += 2 * frames_->ItemCount();
    }
    if (Flags & ofMergeDuplicates) {
      for (Integer i = frames_->ItemCount() - 1; i >= 1; --i) {
        ++P;
        Integer j = i - 1;
        while (j > 0 && DisposalOf(frames_->FrameAt(j)) == 3 && frames_->FrameAt(j)->GraphicControl()) --j;
        // Making pixels that repeat the previous frame transparent can make
        // the frame cost more (it breaks runs the coder had); the smaller
        // form stays, so that no file grows.
        TGIFSubImage* f = frames_->FrameAt(i);
        TMergeUndo undo(f);
        const Int64 before = CodedFrameSize(f);
        f->MergeWithPrevious(frames_->FrameAt(j));
        if (CodedFrameSize(f) > before) undo.Restore(f);
        report();
      }
    } else {
      P += frames_->ItemCount();
    }
    if (Flags & ofTrimFrames) {
      for (Integer i = frames_->ItemCount() - 1; i >= 0; --i) {
        ++P;
        TGIFSubImage* f = frames_->FrameAt(i);
        // Restoring the background clears the frame's whole area: a smaller
        // frame would leave the cut-away part of the area uncleared.
        if (!f->IsEmpty() && f->Transparent() && f->GraphicControl() && DisposalOf(f) != 2) {
          if (ShowsNothing(f) && FoldIntoPrevious(frames_.get(), i)) {
            frames_->RemoveAndFree(f);
          } else {
            f->TrimToContent();
          }
        }
        report();
      }
    } else {
      P += frames_->ItemCount();
    }
    P += frames_->ItemCount();
    if (Flags & ofStripInvisible) {
      const bool single = frames_->ItemCount() == 1;
      for (Integer i = frames_->ItemCount() - 1; i >= 0; --i) {
        TGIFSubImage* f = frames_->FrameAt(i);
        TGIFExtensionList* exts = f->Extensions();
        for (Integer e = exts->ItemCount() - 1; e >= 0; --e) {
          TGIFExtension* ext = exts->ExtensionAt(e);
          const bool isLoop = dynamic_cast<TGIFAppExtNSLoop*>(ext) != nullptr;
          const bool carriesNothing = dynamic_cast<TGIFCommentExtension*>(ext) ||
                                      dynamic_cast<TGIFTextExtension*>(ext) ||
                                      dynamic_cast<TGIFUnknownAppExtension*>(ext);
          if (carriesNothing || (isLoop && !(i == 0 && frames_->ItemCount() > 1))) exts->RemoveAndFree(ext);
        }
        TGIFGraphicControlExtension* gce = f->GraphicControl();
        if (gce && !gce->UsesTransparentIndex() && !gce->UserInputFlag() && (gce->FrameDelay() == 0 || single) &&
            (gce->DisposalMethod() <= 1 || single))
          exts->RemoveAndFree(gce);
        if (f->IsEmpty() && exts->ItemCount() == 0) frames_->RemoveAndFree(f);
      }
      report();
    } else if ((Flags & ofReduceColors) && Method == rdCustom) {
      RaiseGIFError("Invalid reduction method");
    }
  } catch (...) {
    DoProgressFrom(this, psEnding, 0, false, "Optimizing...");
    painters_->UnlockList();
    throw;
  }
  DoProgressFrom(this, psEnding, 100, false, "Optimizing...");
  painters_->UnlockList();
  // What the frames show changed under the cached renderings.
  DropComposite();
}
