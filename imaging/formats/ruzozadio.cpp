#include "imaging/formats/ioparams.h"

// Until the I/O component exists an owner contributes nothing.
void IOParamsTakeOwnerDefaults(TRuzozAdIO*, TIOParamsVals&) {}
