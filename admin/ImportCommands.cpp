#include "admin/ImportCommands.h"

#include "admin/DialogParts.h"
#include "admin/ImportAviDlg.h"
#include "admin/ImportPictDlg.h"
#include "admin/ImportSoundDlg.h"
#include "admin/ImportTextDlg.h"
#include "platform/ui/Ui.h"

namespace
{

// Each import writes every item as it goes: closing its dialog has nothing left to save.
template <class Dialog> void runImportDialog()
{
    if (!CanImportIntoOutputFile())
        return;
    Dialog dialog(lumivo::admin::dialogOwner());
    lumivo::ui::runModal(dialog);
}

} // namespace

void ImportWordPictures()
{
    runImportDialog<CImportPictDlg>();
}

void ImportWordSounds()
{
    runImportDialog<CImportSoundDlg>();
}

void ImportWordClips()
{
    runImportDialog<CImportAviDlg>();
}

void ImportTranslatedWords()
{
    runImportDialog<CImportWordTextDlg>();
}

void ImportTranslatedPages()
{
    runImportDialog<CImportBgTextDlg>();
}
