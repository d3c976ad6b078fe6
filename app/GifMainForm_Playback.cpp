// Playback on the main window's preview page and the floating preview window.
// Playing is the GIF library's painter thread, started when ImageGIF paints
// its copy of the document; its events reach the window synchronised with the
// user-interface thread.
#include "app/GifMainForm.h"

#include "app/GifPreviewForm.h"
#include "app/GifRoutines.h"
#include "controls/RzListVw.h"
#include "controls/RzTabs.h"
#include "gif/GIFPainter.h"
#include "platform/ComCtrls.h"
#include "platform/ExtCtrls.h"
#include "platform/SysUtils.h"

namespace {

// The library's default paint flags without drawing straight onto the canvas.
constexpr TGIFPaintFlags kPlaybackPaintFlags =
    pfThreaded | pfTransparent | pfAnimate | pfRepeat | pfDither | pfAutoDither;

TGIFImage* PlaybackCopyOf(TImage* Image) {
  return Image ? dynamic_cast<TGIFImage*>(Image->Picture()->Graphic()) : nullptr;
}

}  // namespace

void TfrmGifMain::StartPlayback() {
  ImageGIF->SetVisible(true);
  playing = true;
  imgPreview->SetVisible(false);
  ImageGIF->Picture()->Assign(nullptr);
  ImageGIF->Picture()->Assign(document.get());
  if (TGIFImage* copy = PlaybackCopyOf(ImageGIF)) {
    PrepareGifForOutput(copy, true, 0);
    copy->StopPainting();
    // The end of a finite loop comes as a frame with no index (see
    // PlaybackFrameShown). The handlers are in place before the new flags
    // make the picture repaint and start the painter.
    copy->OnFrameShow = TGIFPainterEvent(this, &TfrmGifMain::PlaybackFrameShown);
    copy->OnAnimationEnd = TGIFPainterEvent(this, &TfrmGifMain::PlaybackFrameShown);
    copy->SetPaintFlags(kPlaybackPaintFlags);
  }
  UpdateCommandStates();
}

void TfrmGifMain::StopPlayback(bool StopPainter) {
  ImageGIF->SetVisible(false);
  imgPreview->SetVisible(true);
  playing = false;
  if (StopPainter)
    if (TGIFImage* copy = PlaybackCopyOf(ImageGIF)) {
      copy->StopPainting();
      ImageGIF->Picture()->Assign(nullptr);
    }
  if (TListItem* item = lvFiles->Selected())
    tsPreview->SetCaption("Preview - Frame " + IntToStr(item->Index() + 1));
  UpdateCommandStates();
}

void TfrmGifMain::RewindPlayback() {
  StopPlayback(true);
  if (lvFiles->Items()->Count() > 0) lvFiles->SetSelected(lvFiles->Items()->Item(0));
}

void TfrmGifMain::PlaybackFrameShown(TObject* Sender) {
  auto* painter = dynamic_cast<TGIFPainter*>(Sender);
  if (!painter) return;
  if (painter->ActiveFrame() < 0) {
    // The painter is waiting for this handler: it ends by itself.
    StopPlayback(false);
    return;
  }
  if (ImageGIF->Visible() && painter->Image())
    tsPreview->SetCaption("Playing Frame " + IntToStr(painter->ActiveFrame() + 1) + " of " +
                          IntToStr(painter->Image()->Frames()->ItemCount()));
}

void TfrmGifMain::PlaybackEnded(TObject* Sender) {
  if (dynamic_cast<TGIFPainter*>(Sender)) StopPlayback(true);
}

void TfrmGifMain::TogglePreviewWindow() {
  TogglePreviewForm();
  if (frmGifPreview) frmGifPreview->imgPreview->Picture()->Assign(document.get());
}

bool TfrmGifMain::TogglePreviewForm() {
  if (frmGifPreview) {
    frmGifPreview->SetVisible(!frmGifPreview->Visible());
    if (!frmGifPreview->Visible()) {
      if (TGIFImage* gif = PlaybackCopyOf(frmGifPreview->imgPreview)) gif->StopPainting();
      frmGifPreview->imgPreview->Picture()->Assign(nullptr);
    }
    return false;
  }
  frmGifPreview = CreateForm<TfrmGifPreview>(Application);
  GiveProgramIcon(frmGifPreview);
  frmGifPreview->Show();
  return true;
}

void TfrmGifMain::RefreshPreviewWindow() {
  if (!frmGifPreview) return;
  try {
    TImage* image = frmGifPreview->imgPreview;
    if (TGIFImage* gif = PlaybackCopyOf(image)) gif->StopPainting();
    image->Picture()->Assign(nullptr);
    image->SetLeft(0);
    image->SetTop(0);
    image->Picture()->Assign(document.get());
  } catch (...) {
    // The floating window is a convenience: a copy that fails leaves it as it is.
  }
}

void TfrmGifMain::ImageGIFProgress(TObject*, TProgressStage, Byte, bool, const TRect&, const std::string&) {}
