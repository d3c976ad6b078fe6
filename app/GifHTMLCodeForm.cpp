// The HTML snippet dialog and Flash export (not built yet).
#include "app/GifMainForm.h"

void TfrmGifMain::ShowHTMLCode(const std::string&, Integer, Integer) {}
void TfrmGifMain::ExportFlashMovie() {}
