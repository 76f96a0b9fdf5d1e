#include "panes/PanesState.h"

#include "panes/ClipPreview.h"
#include "panes/IconPainter.h"
#include "panes/MouseState.h"
#include "panes/PaneInput.h"
#include "panes/Panes.h"
#include "panes/PrintView.h"

void ResetPanesState()
{
    ResetPanes();
    ResetPrintView();
    ResetMouseState();
    ResetPaneInput();
    ResetClipPreview();
    ResetIconPainter();
    ResetIconPictures();
}
