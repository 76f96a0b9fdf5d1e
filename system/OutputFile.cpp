#include "system/OutputFile.h"

#include "platform/ui/Ui.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

int theOutputFile = 0;
std::uint16_t theTranslateLanguage = 0;
std::uint16_t thePaneInfoFlags = 0;
std::uint32_t theSystemInitFlags = 0;

namespace
{

constexpr int kAskSaveOutputFile = 9001;
constexpr std::uint32_t kReloadEverything = 0xFFFF;
// The data version an output file is stamped with: 2.0.61.
constexpr int kStampMajor = 2;
constexpr int kStampMinor = 0;
constexpr int kStampBuild = 61;

// Until the output-file commands install theirs: ask, save on Yes, keep the file on Cancel.
bool CloseOutputFileByDefault()
{
    if (theOutputFile <= 0)
        return true;
    if (IsResFileDirty(theOutputFile)) {
        const int answer = MessageBoxById(kAskSaveOutputFile, lumivo::ui::MB_YESNOCANCEL);
        if (answer == lumivo::ui::IDCANCEL)
            return false;
        if (answer == lumivo::ui::IDYES && SaveChangedOutputFile() != RES_OK)
            return false;
    }
    int result = RES_OK;
    ReleaseDataFile(theOutputFile, &result);
    theOutputFile = 0;
    theTranslateLanguage = 0;
    AddSystemInitFlags(kReloadEverything);
    SetSystemSettingInt(QStringLiteral("TranslateFlags"), theTranslateFlags);
    return true;
}

} // namespace

lumivo::Hook<bool()> theCloseOutputFileHook{CloseOutputFileByDefault};

void AddSystemInitFlags(std::uint32_t flags)
{
    theSystemInitFlags |= flags;
}

void StampAsDataFile(int file)
{
    if (GetResFileKind(file) == 0)
        SetResFileKind(file, FILEKIND_DATA);
    if (GetResFileVersion(file) == 0)
        SetResFileVersion(file, MakeResFileVersion(kStampMajor, kStampMinor, kStampBuild));
}

int SaveChangedOutputFile()
{
    const int file = theOutputFile;
    if (file <= 0 || !IsResFileDirty(file))
        return RES_OK;
    StampAsDataFile(file);
    int error = RES_OK;
    SaveDataFile(file, false, false, &error);
    return error;
}

bool CloseOutputFile()
{
    return theCloseOutputFileHook();
}

void ResetOutputFileState()
{
    theOutputFile = 0;
    theTranslateLanguage = 0;
    thePaneInfoFlags = 0;
    theSystemInitFlags = 0;
    theCloseOutputFileHook.reset();
}
