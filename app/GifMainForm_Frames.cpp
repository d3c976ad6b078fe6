// The frame list and the frame and animation property edits of the main window.
#include "app/GifMainForm.h"

void TfrmGifMain::RebuildFrameList() {}
void TfrmGifMain::ClearFrameList(TRzListView*) {}
std::string TfrmGifMain::FrameCaption(const std::string&, Integer) { return std::string(); }
void TfrmGifMain::lvFilesSelectItem(TObject*, TListItem*, bool) {}
void TfrmGifMain::lvFilesMouseDown(TObject*, TMouseButton, TShiftState, Integer, Integer) {}
void TfrmGifMain::lvFilesDblClick(TObject*) {}
void TfrmGifMain::spinDelayChange(TObject*) {}
void TfrmGifMain::cboDisposalChange(TObject*) {}
void TfrmGifMain::optLoopForeverClick(TObject*) {}
void TfrmGifMain::spinPlayTimesChange(TObject*) {}
void TfrmGifMain::chkAnimationTransClick(TObject*) {}
void TfrmGifMain::btnSelectTransColorClick(TObject*) {}
void TfrmGifMain::PickGlobalTransparentColor() {}
void TfrmGifMain::PickFrameTransparentColor() {}
std::string TfrmGifMain::FrameSizeText(Integer) { return std::string(); }
TListItem* TfrmGifMain::InsertFrameItem(Integer, const std::string&) { return nullptr; }
Byte TfrmGifMain::ItemOwnColor(TListItem*) { return 0; }
void TfrmGifMain::SetItemOwnColor(TListItem*, Byte) {}
