// The optimisation wizard (not built yet).
#include "app/GifMainForm.h"

void TfrmGifMain::ShowOptimizeWizard() {}
