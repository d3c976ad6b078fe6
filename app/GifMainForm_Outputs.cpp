// Exports and wizards of the main window's commands. They are not built yet:
// each command runs one of these, which does nothing so far.
#include "app/GifMainForm.h"

void TfrmGifMain::ExportFlashMovie() {}
void TfrmGifMain::ImportAviCommand() {}
void TfrmGifMain::ShowExportDialog() {}
void TfrmGifMain::ShowHTMLCode(const std::string&, Integer, Integer) {}
void TfrmGifMain::ShowOptimizeWizard() {}
void TfrmGifMain::RunAnimationWizard() {}
