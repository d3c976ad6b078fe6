// The file and frame commands of the main window.
#include "app/GifMainForm.h"

bool TfrmGifMain::NewAnimation() { return false; }
void TfrmGifMain::ResetDocument() {}
bool TfrmGifMain::OpenAnimation() { return false; }
bool TfrmGifMain::LoadAnimationFile(const std::string&) { return false; }
bool TfrmGifMain::SaveAnimation() { return false; }
bool TfrmGifMain::SaveAnimationAs() { return false; }
bool TfrmGifMain::WriteAnimation() { return false; }
void TfrmGifMain::InsertFrames() {}
Integer TfrmGifMain::InsertPosition() { return 0; }
Integer TfrmGifMain::AddBitmapFrame(TBitmap*, Integer) { return -1; }
Integer TfrmGifMain::CheckFrameSize(TBitmap*) { return 0; }
void TfrmGifMain::MergeGifFrames(const std::string&) {}
void TfrmGifMain::RemoveSelectedFrames() {}
void TfrmGifMain::MoveSelectedFrame(Integer) {}
void TfrmGifMain::SelectAllFrames() {}
