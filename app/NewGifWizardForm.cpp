// The new-animation wizard (not built yet).
#include "app/GifMainForm.h"

void TfrmGifMain::RunAnimationWizard() {}
