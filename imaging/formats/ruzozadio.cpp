// The I/O component: attachment and buffer ownership, the load and save
// protocol, and the JPEG, PNG and JPEG-2000 entry points.
#include "imaging/formats/ruzozadio.h"

#include "imaging/formats/iej2000.h"
#include "imaging/formats/jpegfilt.h"
#include "imaging/formats/pngfilt.h"
#include "imaging/views/ieview.h"
#include "platform/ExtCtrls.h"

TIEPreviewsDialogRunner IEPreviewsDialogRunner = nullptr;

void IOParamsTakeOwnerDefaults(TRuzozAdIO* Owner, TIOParamsVals& Params) {
  if (TBitmap* b = Owner->TargetBitmap()) {
    Params.Width = b->Width();
    Params.Height = b->Height();
  }
  if (TIEView* v = Owner->AttachedRuzozAd()) {
    Params.DpiX = v->ResolutionX();
    Params.DpiY = v->ResolutionY();
  }
}

TRuzozAdIO::TRuzozAdIO(TComponent* AOwner) : TComponent(AOwner) {
  own_ = std::make_unique<TIEBitmap>();
  ieBitmap_ = own_.get();
  scannerParams_ = std::make_unique<TIETWainParams>(this);
  previewFont_ = std::make_unique<TFont>();
  params_ = std::make_unique<TIOParamsVals>(this);
}

TRuzozAdIO::~TRuzozAdIO() {
  ReleaseWorkers();
  RemoveViewListener();
}

void TRuzozAdIO::RemoveViewListener() {
  if (view_ != nullptr && viewListener_ != IENoListener) view_->RemoveChangeListener(viewListener_);
  viewListener_ = IENoListener;
}

// A fresh empty buffer of our own (a borrowed one is never touched).
void TRuzozAdIO::UseOwnBuffer() {
  if (!ownsIEBitmap_ || !own_) own_ = std::make_unique<TIEBitmap>();
  ieBitmap_ = own_.get();
  ownsIEBitmap_ = true;
}

void TRuzozAdIO::SetAttachedRuzozAd(TIEView* View) {
  RemoveViewListener();
  view_ = View;
  if (View == nullptr) {
    if (ieBitmap_) ieBitmap_->FreeImage();
    return;
  }
  if (ownsIEBitmap_) {
    own_.reset();
    ieBitmap_ = nullptr;
    ownsIEBitmap_ = false;
  }
  targetBitmap_ = View->CurrentBitmap();
  ieBitmap_ = View->CurrentIEBitmap();
  if (ieBitmap_ != nullptr) {
    targetBitmap_ = nullptr;
  } else {
    UseOwnBuffer();
    if (targetBitmap_) ieBitmap_->AttachTBitmap(targetBitmap_, true);
  }
  View->FreeNotification(this);
  image_ = nullptr;
  viewListener_ = View->AddChangeListener(TIEViewChangeEvent(this, &TRuzozAdIO::ViewChanged));
}

void TRuzozAdIO::SetAttachedTImage(TImage* Image) {
  RemoveViewListener();
  image_ = Image;
  if (Image == nullptr) {
    if (ieBitmap_) ieBitmap_->FreeImage();
    return;
  }
  targetBitmap_ = Image->Picture()->Bitmap();
  if (!ownsIEBitmap_) UseOwnBuffer();
  ieBitmap_->AttachTBitmap(targetBitmap_, true);
  Image->FreeNotification(this);
  view_ = nullptr;
}

void TRuzozAdIO::BindIEBitmap(TIEBitmap* Bitmap) {
  targetBitmap_ = nullptr;
  if (ownsIEBitmap_) own_.reset();
  ownsIEBitmap_ = false;
  ieBitmap_ = Bitmap;
}

void TRuzozAdIO::AttachIEBitmap(TIEBitmap* Bitmap) {
  RemoveViewListener();
  if (Bitmap == nullptr && (view_ != nullptr || image_ != nullptr)) return;
  BindIEBitmap(Bitmap);
  if (Bitmap != nullptr) {
    view_ = nullptr;
    image_ = nullptr;
  }
}

void TRuzozAdIO::AttachVclBitmap(TBitmap* Bitmap) {
  RemoveViewListener();
  if (Bitmap == nullptr && (view_ != nullptr || image_ != nullptr)) return;
  targetBitmap_ = Bitmap;
  // The wrapper is ours: a borrowed buffer is never made to wrap a bitmap.
  if (!ownsIEBitmap_ || ieBitmap_ == nullptr) UseOwnBuffer();
  if (Bitmap != nullptr) {
    ieBitmap_->AttachTBitmap(Bitmap, true);
    view_ = nullptr;
    image_ = nullptr;
  } else {
    ieBitmap_->FreeImage();
  }
}

void TRuzozAdIO::ViewChanged(TIEView* /*Sender*/, bool Destroying) {
  if (Destroying) {
    // The view frees its listener records itself. Its buffer and bitmap go with
    // it, so we must not keep pointing at them.
    viewListener_ = IENoListener;
    view_ = nullptr;
    targetBitmap_ = nullptr;
    if (ownsIEBitmap_)
      ieBitmap_->FreeImage();
    else
      UseOwnBuffer();
    return;
  }
  if (view_ == nullptr) return;
  targetBitmap_ = view_->CurrentBitmap();
  if (ownsIEBitmap_) {
    if (targetBitmap_)
      ieBitmap_->AttachTBitmap(targetBitmap_, true);
    else
      ieBitmap_->FreeImage();
  } else {
    TIEBitmap* b = view_->CurrentIEBitmap();
    if (b != nullptr) {
      ieBitmap_ = b;
      targetBitmap_ = nullptr;
    }
  }
}

void TRuzozAdIO::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (view_ != nullptr && AComponent == view_) {
    // Normally the view's destroying call came first; this covers the rest
    // without touching the half-destroyed view.
    viewListener_ = IENoListener;
    view_ = nullptr;
    targetBitmap_ = nullptr;
    if (!ownsIEBitmap_) UseOwnBuffer();
  }
  if (image_ != nullptr && AComponent == image_) {
    image_ = nullptr;
    targetBitmap_ = nullptr;
    if (ownsIEBitmap_) ieBitmap_->FreeImage();
  }
}

TColor TRuzozAdIO::Background() const { return view_ != nullptr ? view_->Background() : ownBackground_; }

void TRuzozAdIO::SetBackground(TColor Value) {
  if (view_ == nullptr) ownBackground_ = Value;
}

void TRuzozAdIO::SignalWorkDone() {
  if (OnProgress) OnProgress(this, 100);
  if (OnFinishWork) OnFinishWork(this);
}

void TRuzozAdIO::RefreshTarget() {
  if (view_ != nullptr) {
    if (InWorkerThread()) {
      if (view_->HandleAllocated()) ::PostMessageW(view_->Handle(), IEM_IOFINISHED, 0, 0);
    } else {
      view_->Update();
    }
    view_->NotifyImageChanged();
  } else if (targetBitmap_ != nullptr) {
    targetBitmap_->SetModified(true);
  }
}

void TRuzozAdIO::CopyParamsFrom(TObject* Source) {
  if (auto* io = dynamic_cast<TRuzozAdIO*>(Source))
    params_->CopyFrom(io->params_.get());
  else if (auto* p = dynamic_cast<TIOParamsVals*>(Source))
    params_->CopyFrom(p);
}

void TRuzozAdIO::ChooseMonoDither(Byte Method) {
  if (ieBitmap_) ieBitmap_->SetBilevelMethod(Method);
  bilevelMethod_ = Method;
}

bool TRuzozAdIO::RunPreviewsDialog(Word Pages) {
  bool handled = false;
  if (OnDoPreviews) {
    OnDoPreviews(this, handled);
    if (handled) return true;
  }
  if (ieBitmap_ == nullptr) return false;
  if (targetBitmap_) ieBitmap_->AttachTBitmap(targetBitmap_, false);
  if (ieBitmap_->PixelKind() != ipkRGB24 && ieBitmap_->PixelKind() != ipkBW1) ieBitmap_->ConvertToKind(ipkRGB24);
  const bool result = IEPreviewsDialogRunner != nullptr && IEPreviewsDialogRunner(this, Pages);
  RefreshTarget();
  return result;
}

void TRuzozAdIO::FireAcquireBitmap(TIEBitmap* Bitmap, bool& Handled) {
  if (OnAcquireBitmap) OnAcquireBitmap(this, Bitmap, Handled);
}

void TRuzozAdIO::AcceptAcquiredBitmap(TIEBitmap* Bitmap, TIOParamsVals*& AParams) {
  if (targetBitmap_ && ieBitmap_) ieBitmap_->AttachTBitmap(targetBitmap_, false);
  bool handled = false;
  FireAcquireBitmap(Bitmap, handled);
  if (handled) return;
  AParams = params_.get();
  ++acquireCount_;
  if (ieBitmap_ == nullptr) return;
  ieBitmap_->CopyFromObject(Bitmap);
  if (AutoAdjustDPI) AdjustDpi();
  RefreshTarget();
}

void TRuzozAdIO::FillProgress(TIEProgressRecord& Progress) {
  Progress.Callback = OnProgress;
  Progress.Sender = this;
}

void TRuzozAdIO::LoadEpilogue(std::unique_ptr<TIEMask>& Alpha, const std::string* FileName, Integer FileType,
                              bool ViewResolution) {
  if (Alpha) {
    ieBitmap_->GetAlphaChannel()->CopyFromMask(Alpha.get());
    Alpha.reset();
  }
  // A load that failed leaves the picture alone: no resampling by stale values.
  if (AutoAdjustDPI && !Aborting) AdjustDpi();
  params_->FileName = FileName ? *FileName : std::string();
  params_->FileType = FileType;
  if (view_ != nullptr && ViewResolution) view_->StoreResolution(params_->DpiX, params_->DpiY);
  RefreshTarget();
}

void TRuzozAdIO::RunLoad(const std::string* FileName, TStream* Stream, Integer FileType, bool ViewResolution,
                         const TLoadCall& Filter, bool FilterOpens) {
  try {
    Aborting = FileName != nullptr && !FilterOpens;
    TIEProgressRecord progress;
    progress.Abort = &Aborting;
    if (ieBitmap_ != nullptr) {
      if (targetBitmap_) ieBitmap_->AttachTBitmap(targetBitmap_, false);
      params_->ClearPerImage();
      std::unique_ptr<TFileStream> file;
      if (FileName && !FilterOpens) {
        file = std::make_unique<TFileStream>(*FileName, fmOpenRead | fmShareDenyWrite);
        Stream = file.get();
        Aborting = false;
      }
      FillProgress(progress);
      ieBitmap_->FreeAlphaChannel();
      std::unique_ptr<TIEMask> alpha;
      stopLoad_ = false;
      Filter(Stream, progress, alpha);
      if (!stopLoad_) LoadEpilogue(alpha, FileName, FileType, ViewResolution);
    }
  } catch (...) {
    SignalWorkDone();
    throw;
  }
  SignalWorkDone();
}

void TRuzozAdIO::RunSave(const std::string* FileName, TStream* Stream, const TSaveCall& Filter, bool FilterOpens) {
  try {
    Aborting = FileName != nullptr && !FilterOpens;
    TIEProgressRecord progress;
    progress.Abort = &Aborting;
    if (ieBitmap_ != nullptr) {
      if (targetBitmap_) ieBitmap_->AttachTBitmap(targetBitmap_, false);
      if (ieBitmap_->PixelKind() != ipkRGB24 && ieBitmap_->PixelKind() != ipkBW1) ieBitmap_->ConvertToKind(ipkRGB24);
      std::unique_ptr<TFileStream> file;
      if (FileName && !FilterOpens) {
        file = std::make_unique<TFileStream>(*FileName, fmCreate);
        Stream = file.get();
        Aborting = false;
      }
      FillProgress(progress);
      Filter(Stream, progress);
    }
  } catch (...) {
    SignalWorkDone();
    throw;
  }
  SignalWorkDone();
}

// --- JPEG --------------------------------------------------------------------

void TRuzozAdIO::JpegFromFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::JpegFromFile, FileName)) return;
  RunLoad(&FileName, nullptr, 3, true, [this](TStream* s, TIEProgressRecord& p, std::unique_ptr<TIEMask>&) {
    ReadJpegStream(s, nullptr, ieBitmap_, false, false, p, *params_);
    TakeJpegMetadata();
  });
}

void TRuzozAdIO::JpegFromStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::JpegFromStream, Stream)) return;
  RunLoad(nullptr, Stream, 3, true, [this](TStream* s, TIEProgressRecord& p, std::unique_ptr<TIEMask>&) {
    // A "JFIF" frame is looked for whether StreamHeaders is on or not.
    const Int64 start = s->Position();
    std::string tag;
    Int64 length = 0;
    const bool framed = ReadFrameHead(s, tag, length) && tag == "JFIF";
    if (!framed) s->SetPosition(start);
    ReadJpegStream(s, nullptr, ieBitmap_, false, false, p, *params_);
    TakeJpegMetadata();
    if (framed && length >= 0) s->SetPosition(start + 12 + length);
  });
}

void TRuzozAdIO::JpegToFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::JpegToFile, FileName)) return;
  RunSave(&FileName, nullptr, [this](TStream* s, TIEProgressRecord& p) {
    PutJpegIptc();
    WriteJpegStream(s, ieBitmap_, *params_, p);
  });
}

void TRuzozAdIO::JpegToStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::JpegToStream, Stream)) return;
  RunSave(nullptr, Stream, [this](TStream* s, TIEProgressRecord& p) {
    const Int64 start = BeginStreamHeader(s);
    PutJpegIptc();
    WriteJpegStream(s, ieBitmap_, *params_, p);
    EndStreamHeader(s, start, "JFIF");
  });
}

// --- PNG ---------------------------------------------------------------------

void TRuzozAdIO::PngFromFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::PngFromFile, FileName)) return;
  RunLoad(&FileName, nullptr, 8, true, [this](TStream* s, TIEProgressRecord& p, std::unique_ptr<TIEMask>& alpha) {
    params_->PngBackground = ColorToTriple(Background());
    ReadPngStream(s, ieBitmap_, *params_, false, alpha, false, p);
    SetBackground(TripleToColor(params_->PngBackground));
  });
}

void TRuzozAdIO::PngFromStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::PngFromStream, Stream)) return;
  RunLoad(nullptr, Stream, 8, true, [this](TStream* s, TIEProgressRecord& p, std::unique_ptr<TIEMask>& alpha) {
    ReadPngStream(s, ieBitmap_, *params_, false, alpha, false, p);
    SetBackground(TripleToColor(params_->PngBackground));
  });
}

// The mask's Full flag comes from the values themselves (the channel's own
// flag is not kept up to date by every edit).
std::unique_ptr<TIEMask> TRuzozAdIO::AlphaMaskOf(TIEBitmap* Bitmap) {
  if (!Bitmap->HasAlphaChannel()) return nullptr;
  TIEBitmap* a = Bitmap->GetAlphaChannel();
  if (a->PixelKind() != ipkGray8 || a->Width() != Bitmap->Width() || a->Height() != Bitmap->Height()) return nullptr;
  auto mask = std::make_unique<TIEMask>();
  a->CopyToMask(mask.get());
  bool full = true;
  for (Integer y = 0; y < mask->Height() && full; ++y) {
    const Byte* row = mask->RowAddress(y);
    for (Integer x = 0; x < mask->Width(); ++x)
      if (row[x] != 255) {
        full = false;
        break;
      }
  }
  mask->SetFull(full);
  return mask;
}

void TRuzozAdIO::PngToFile(const std::string& FileName) {
  if (HandOff(&TRuzozAdIO::PngToFile, FileName)) return;
  RunSave(&FileName, nullptr, [this](TStream* s, TIEProgressRecord& p) {
    auto mask = AlphaMaskOf(ieBitmap_);
    WritePngStream(s, ieBitmap_, *params_, mask.get(), p);
  });
}

void TRuzozAdIO::PngToStream(TStream* Stream) {
  if (HandOff(&TRuzozAdIO::PngToStream, Stream)) return;
  RunSave(nullptr, Stream, [this](TStream* s, TIEProgressRecord& p) {
    auto mask = AlphaMaskOf(ieBitmap_);
    WritePngStream(s, ieBitmap_, *params_, mask.get(), p);
  });
}

// --- JPEG-2000 ---------------------------------------------------------------

void TRuzozAdIO::LoadJpeg2000(const std::string* FileName, TStream* Stream, Integer FileType) {
  RunLoad(FileName, Stream, FileType, true, [this](TStream* s, TIEProgressRecord& p, std::unique_ptr<TIEMask>&) {
    Jpeg2000LoadFromStream(s, ieBitmap_, *params_, false, p);
  });
}

void TRuzozAdIO::SaveJpeg2000(const std::string* FileName, TStream* Stream, Integer Format) {
  RunSave(FileName, Stream, [this, Format](TStream* s, TIEProgressRecord& p) {
    Jpeg2000SaveToStream(s, ieBitmap_, *params_, Format, p);
  });
}

void TRuzozAdIO::Jp2FromFile(const std::string& FileName) {
  if (!HandOff(&TRuzozAdIO::Jp2FromFile, FileName)) LoadJpeg2000(&FileName, nullptr, 13);
}
void TRuzozAdIO::J2kFromFile(const std::string& FileName) {
  if (!HandOff(&TRuzozAdIO::J2kFromFile, FileName)) LoadJpeg2000(&FileName, nullptr, 14);
}
void TRuzozAdIO::Jp2FromStream(TStream* Stream) {
  if (!HandOff(&TRuzozAdIO::Jp2FromStream, Stream)) LoadJpeg2000(nullptr, Stream, 13);
}
void TRuzozAdIO::J2kFromStream(TStream* Stream) {
  if (!HandOff(&TRuzozAdIO::J2kFromStream, Stream)) LoadJpeg2000(nullptr, Stream, 14);
}
void TRuzozAdIO::Jp2ToFile(const std::string& FileName) {
  if (!HandOff(&TRuzozAdIO::Jp2ToFile, FileName)) SaveJpeg2000(&FileName, nullptr, 0);
}
void TRuzozAdIO::J2kToFile(const std::string& FileName) {
  if (!HandOff(&TRuzozAdIO::J2kToFile, FileName)) SaveJpeg2000(&FileName, nullptr, 1);
}
void TRuzozAdIO::Jp2ToStream(TStream* Stream) {
  if (!HandOff(&TRuzozAdIO::Jp2ToStream, Stream)) SaveJpeg2000(nullptr, Stream, 0);
}
void TRuzozAdIO::J2kToStream(TStream* Stream) {
  if (!HandOff(&TRuzozAdIO::J2kToStream, Stream)) SaveJpeg2000(nullptr, Stream, 1);
}
