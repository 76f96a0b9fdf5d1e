#include "panes/PanesState.h"

#include "panes/MouseState.h"
#include "panes/PaneInput.h"
#include "panes/Panes.h"
#include "panes/PrintView.h"
#include "panes/SoundDevice.h"
#include "panes/SpeechEngine.h"

void ResetPanesState()
{
    ResetPanes();
    ResetPrintView();
    ResetMouseState();
    ResetPaneInput();
    ResetSpeechEngine();
    CSoundDevice::CloseSound();
}
