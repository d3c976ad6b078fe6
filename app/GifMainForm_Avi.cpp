// AVI import (not built yet).
#include "app/GifMainForm.h"

void TfrmGifMain::ImportAviCommand() {}
