#include "system/StatusText.h"

// Never deleted, on purpose: see the header.
CStatusText& theStatusText = *new CStatusText;

void ResetStatusText()
{
    theStatusText.disconnect();
}
