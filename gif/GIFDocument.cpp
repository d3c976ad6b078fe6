// Document operations: copying documents and pictures, paint flags and the
// renderings they invalidate, the composite bitmap and the embedded form.
#include "gif/GIFImage.h"
#include "gif/GIFImport.h"
#include "gif/GIFPainter.h"

void TGIFSubImage::Assign(TPersistent* Source) { CopyFrameFrom(this, Source); }

void TGIFImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    ClearDocument();
    return;
  }
  if (auto* src = dynamic_cast<TGIFImage*>(Source)) {
    ClearDocument();
    // The copy reports through the source's handlers while it runs.
    OnProgress = src->OnProgress;
    OnGIFWarning = src->OnGIFWarning;
    DoProgressFrom(this, psStarting, 0, false, "Copying...");
    try {
      header_->Assign(src->Header());
      painterPriority_ = src->painterPriority_;
      paintBackground_ = src->paintBackground_;
      paintFlags_ = src->paintFlags_;
      colorReduction_ = src->colorReduction_;
      ditherKind_ = src->ditherKind_;
      OnGIFWarning = src->OnGIFWarning;
      OnAnimationStart = src->OnAnimationStart;
      OnFrameShow = src->OnFrameShow;
      OnAnimationEnd = src->OnAnimationEnd;
      OnFrameShown = src->OnFrameShown;
      OnAnimationLoop = src->OnAnimationLoop;
      const Integer n = src->Frames()->ItemCount();
      for (Integer i = 0; i < n; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(this);
        frame->Assign(src->Frames()->FrameAt(i));
        AddFrame(std::move(frame));
        DoProgressFrom(this, psRunning, Byte((i + 1) * 100 / n), false, "Copying...");
      }
    } catch (...) {
      DoProgressFrom(this, psEnding, 0, false, "Copying...");
      OnProgress = {};
      OnGIFWarning = {};
      throw;
    }
    DoProgressFrom(this, psEnding, 100, false, "Copying...");
    OnProgress = {};
    OnGIFWarning = {};
    return;
  }
  ClearDocument();
  auto frame = std::make_unique<TGIFSubImage>(this);
  try {
    frame->Assign(Source);
  } catch (const EConvertError&) {
    frame.reset();
    TGraphic::Assign(Source);  // the platform's own refusal
    return;
  }
  AddFrame(std::move(frame));
}

void TGIFImage::SetPaintFlags(TGIFPaintFlags Value) {
  if (Value == paintFlags_) return;
  if (activePainter_) activePainter_->StopPainter();
  paintFlags_ = Value;
  FlushRenderings();
  NotifyChanged();
}

void TGIFImage::FlushRenderings() {
  DropComposite();
  SetPaletteHandle(nullptr);
  for (Integer i = 0; i < frames_->ItemCount(); ++i) {
    TGIFSubImage* f = frames_->FrameAt(i);
    f->SetBitmap(nullptr);
    f->SetPaletteHandle(nullptr);
  }
  // A single frame's colours become the document's.
  if (GlobalColorMap()->Count() == 0 && frames_->ItemCount() == 1) {
    TGIFSubImage* f = frames_->FrameAt(0);
    GlobalColorMap()->Assign(f->ColorMap());
    f->ColorMap()->Clear();
  }
}

TBitmap* TGIFImage::NewComposite() {
  if (!composite_) {
    composite_ = std::make_unique<TBitmap>();
    composite_->OnChange = TNotifyEvent([this](TObject*) { NotifyChanged(); });
    if (HPALETTE p = PaletteHandle()) composite_->SetPalette(CopyPalette(p));
    composite_->SetSize(LogicalWidth(), LogicalHeight());
  }
  return composite_.get();
}

void TGIFImage::DropComposite() {
  if (activePainter_) activePainter_->StopPainter();
  composite_.reset();
}

void TGIFImage::WriteData(TStream* Stream) {
  if (GIFDefaults.CompactBeforeEmbeddedWrite)
    OptimizeFrames(ofTrimFrames | ofMergeDuplicates | ofStripInvisible | ofCompactColorMaps | ofReduceColors, rdNone,
                   8, dkNearest);
  // The embedded form: a 32-bit length, then the GIF stream.
  TMemoryStream gif;
  SaveGIFStream(&gif);
  const Integer length = Integer(gif.Size());
  Stream->WriteBuffer(&length, 4);
  Stream->WriteBuffer(gif.Memory(), length);
}
