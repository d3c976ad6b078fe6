// The frame export dialog (not built yet).
#include "app/GifMainForm.h"

void TfrmGifMain::ShowExportDialog() {}
