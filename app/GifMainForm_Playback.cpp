// Playback on the main window's preview page and the floating preview window.
#include "app/GifMainForm.h"

void TfrmGifMain::StartPlayback() {}
void TfrmGifMain::StopPlayback(bool) {}
void TfrmGifMain::RewindPlayback() {}
void TfrmGifMain::PlaybackFrameShown(TObject*) {}
void TfrmGifMain::PlaybackEnded(TObject*) {}
void TfrmGifMain::TogglePreviewWindow() {}
void TfrmGifMain::RefreshPreviewWindow() {}
bool TfrmGifMain::TogglePreviewForm() { return false; }
void TfrmGifMain::ImageGIFProgress(TObject*, TProgressStage, Byte, bool, const TRect&, const std::string&) {}
