#include "admin/UserSettingsSheet.h"

#include "admin/UserSettingsStrings.h"
#include "core/ObjectIndex.h"
#include "core/User.h"
#include "platform/files/FileSystem.h"
#include "platform/ui/Ui.h"
#include "shell/ColorCombo.h"
#include "shell/CurrentUser.h"
#include "shell/MainFrame.h"
#include "shell/Reload.h"
#include "store/Registry.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>

namespace
{

constexpr int kEditUserSettingsCaption = 9037;
constexpr std::uint32_t kUserSettingsStep = kReloadUserSettings;
constexpr int kUserDefinableColor = 255;

void addMissingColors(CQuibColorTable& map, const CQuibColorTable& source)
{
    for (const auto& [number, color] : source) {
        if (color && !map.count(number))
            map[number] = std::make_unique<CColor>(color.get());
    }
}

QWidget* sheetOwner()
{
    return MainFrame();
}

// The pages of command 5014, in the order of their tabs, each after its trace line.
void addUserSettingsPages(CQuibUS_PropSheet& sheet)
{
    lumivo::ui::PropertyPage* pages[] = {
        &sheet.m_basicPage,    &sheet.m_identityPage,  &sheet.m_languagePage, &sheet.m_voicePage,
        &sheet.m_mainViewPage, &sheet.m_navViewPage,   &sheet.m_wordViewPage, &sheet.m_writerViewPage,
        &sheet.m_infoViewPage, &sheet.m_browseViewPage};
    int trace = 10;
    for (lumivo::ui::PropertyPage* page : pages) {
        WriteDebugLog(QStringLiteral("EUS %1").arg(trace));
        trace += 2;
        sheet.AddPage(*page);
    }
}

// OK: what the pages put into the user is stored and the program follows it.
void storeUser(CQuibUser& user, std::uint32_t mask)
{
    user.Commit();
    user.Write();
    InitializeSystem(mask);
}

// The old user file's place in the Temp folder: its base name, "_" and the time of the reset. A second
// reset within the same second gets a number after the time, so that it never replaces the first backup.
QString backupNameFor(const QString& userFile)
{
    const QString temp = GetTempDirString(QStringLiteral("/"));
    if (temp.isEmpty())
        return {};
    const QString stem =
        QStringLiteral("%1%2_%3").arg(temp, GetFileBaseName(userFile),
                                      QDateTime::currentDateTime().toString(QStringLiteral("ddMMyy-HHmmss")));
    QString name = stem + QStringLiteral(".tvf");
    for (int number = 2; lumivo::files::fileSystem().exists(name); ++number)
        name = QStringLiteral("%1-%2.tvf").arg(stem).arg(number);
    return name;
}

// A rename, or a copy and delete where the rename cannot go (another file system); false leaves the
// file where it was.
bool moveFile(const QString& from, const QString& to)
{
    auto& files = lumivo::files::fileSystem();
    if (to.isEmpty())
        return false;
    if (files.rename(from, to))
        return true;
    if (!lumivo::files::copyFileAtomically(from, to))
        return false;
    if (files.remove(from))
        return true;
    files.remove(to);
    return false;
}

// The user that the file still holds, made current again after the reset could not take its place.
void keepUser(const QString& path, std::int32_t id)
{
    int file = 0;
    int result = RES_OK;
    auto user = std::make_unique<CQuibUser>();
    if (OpenDataFile(path, &file, &result) == DATAFILE_ACCEPTED && file > 0 &&
        user->LoadFrom(id, file) == RES_OK) {
        SetCurrentUser(std::move(user));
        return;
    }
    UseDefaultUser();
}

// The reset stopped with the user's file where it was: the person is told and the user stays.
void keepUserAfterFailedReset(int messageId, const QString& path, std::int32_t id)
{
    MessageBoxById(messageId, lumivo::ui::MB_ICONEXCLAMATION, path);
    keepUser(path, id);
}

// Moves the user's file to its dated backup and lets start-up choose its user again, which is made
// current only once it is stored on the disk. When no user could be stored (a full disk), the file is
// moved back and its user kept. A kill at any moment leaves the next start a user: the file, or the
// backup and a fresh start-up user, or the backup and no file, from which start-up makes one anew.
void replaceUserFile(const QString& path, std::int32_t id)
{
    WriteDebugLog(QStringLiteral("EUS 58"));
    const QString backup = backupNameFor(path);
    if (!moveFile(path, backup)) {
        keepUserAfterFailedReset(kMsgUserFileNotMoved, path, id);
        return;
    }
    WriteDebugLog(QStringLiteral("EUS 59"));
    if (UseStoredDefaultUser())
        return;
    WriteDebugLog(QStringLiteral("EUS: no user could be stored, the user file is moved back"));
    keepUserAfterFailedReset(kMsgUserNotReset, moveFile(backup, path) ? path : backup, id);
}

// "Back to factory settings" confirmed: the user's file goes to the Temp folder and start-up chooses
// its user again. The backup holds the user as the file had it: the factory settings were only shown.
void resetUserFile(CQuibUS_PropSheet& sheet)
{
    WriteDebugLog(QStringLiteral("EUS 55"));
    CQuibUser& user = *sheet.GetUser();
    const QString path = user.GetFile() > 0 ? GetResFilePath(user.GetFile()) : QString();
    const std::int32_t id = user.GetID();
    user.Load();
    sheet.ForgetUser();
    SetCurrentUser(nullptr);
    WriteDebugLog(QStringLiteral("EUS 57"));
    if (!path.isEmpty() && FindResFileByPath(path) > 0) {
        // Its changes could not be saved (the person was told): a backup would lack them.
        keepUserAfterFailedReset(kMsgUserNotReset, path, id);
    } else if (!path.isEmpty() && lumivo::files::fileSystem().exists(path)) {
        replaceUserFile(path, id);
    } else {
        WriteDebugLog(QStringLiteral("EUS 59"));
        UseDefaultUser();
    }
    WriteDebugLog(QStringLiteral("EUS 60"));
    InitializeSystem(sheet.GetChangeMask());
    // What choosing the user again found about its file (one kept aside, a user kept in memory only).
    TellUserFileNotes();
}

// Runs the sheet on the current user; false when there is none.
bool runOnCurrentUser(CQuibUS_PropSheet& sheet, bool traced)
{
    const auto trace = [traced](const char* line) {
        if (traced)
            WriteDebugLog(QLatin1String(line));
    };
    trace("EUS 40");
    CQuibUser* user = theCurrentUser;
    if (!user)
        return false;
    trace("EUS 51");
    if (user->IsChanged())
        user->Write();
    // Cancel reads the user back from its file; a user held in memory only has no file to be read
    // from and gets back the settings the sheet found.
    const CQuibUserSettings asFound = user->Settings();
    sheet.SetUser(user);
    trace("EUS 52");
    if (sheet.DoModal(sheetOwner()) != lumivo::ui::IDOK) {
        trace("EUS 80");
        if (user->GetFile() <= 0 || user->Load() != RES_OK)
            user->Settings() = asFound;
        return true;
    }
    trace("EUS 53");
    if (sheet.GetResetUserFile()) {
        resetUserFile(sheet);
        return true;
    }
    trace("EUS 70");
    storeUser(*user, sheet.GetChangeMask());
    return true;
}

} // namespace

CQuibUS_PropSheet::CQuibUS_PropSheet(int captionId) : CQuibUS_PropSheet(LoadSystemString(captionId)) {}

CQuibUS_PropSheet::CQuibUS_PropSheet(const QString& caption)
    : PropertySheet(caption), m_basicPage(*this), m_mainViewPage(*this), m_navViewPage(*this),
      m_wordViewPage(*this), m_writerViewPage(*this), m_infoViewPage(*this), m_browseViewPage(*this),
      m_identityPage(*this), m_voicePage(*this), m_printPage(*this), m_languagePage(*this),
      m_layoutPage(*this)
{
}

CQuibUS_PropSheet::~CQuibUS_PropSheet() = default;

void CQuibUS_PropSheet::SetUser(CQuibUser* user)
{
    m_user = user;
    m_savedProfile = user ? user->Profile.get() : nullptr;
    m_profile = m_savedProfile;
}

void CQuibUS_PropSheet::ForgetUser()
{
    m_user = nullptr;
    m_savedProfile = nullptr;
    m_profile = nullptr;
}

void CQuibUS_PropSheet::SetModified(lumivo::ui::PropertyPage& page, std::uint32_t flags)
{
    page.SetModified(true);
    m_changeMask |= flags | kUserSettingsStep;
}

void CQuibUS_PropSheet::BuildColorMap(const CQuibUser* user, const CQuibUser* profile)
{
    if (user)
        addMissingColors(m_colorMap, user->ColorTable);
    if (profile)
        addMissingColors(m_colorMap, profile->ColorTable);
    addMissingColors(m_colorMap, theSystemColorTable);
}

void CQuibUS_PropSheet::FreeColorMap()
{
    if (m_user)
        m_colorMap.clear();
}

int CQuibUS_PropSheet::SetPageTabText(lumivo::ui::PropertyPage& page, const QString& text)
{
    return SetTabText(page, text) ? 1 : 0;
}

void CQuibUS_PropSheet::ReloadBuiltPages(const CQuibUS_Page* except)
{
    for (int index = 0; index < GetPageCount(); ++index) {
        auto* page = dynamic_cast<CQuibUS_Page*>(GetPage(index));
        if (page && page != except && page->IsCreated()) {
            page->LoadFromUser();
            page->UpdateData(false);
        }
    }
}

void CQuibUS_PropSheet::OnInitDialog()
{
    BuildColorMap(m_user, m_profile);
    PropertySheet::OnInitDialog();
    const std::pair<lumivo::ui::PropertyPage*, int> tabTexts[] = {
        {&m_basicPage, 9316},      {&m_mainViewPage, 9317},   {&m_navViewPage, 9318},
        {&m_wordViewPage, 9319},   {&m_writerViewPage, 9320}, {&m_infoViewPage, 9321},
        {&m_browseViewPage, 9322}, {&m_identityPage, 9323},   {&m_voicePage, 9326},
        {&m_printPage, 9324},      {&m_languagePage, 9325},   {&m_layoutPage, 9327},
    };
    for (const auto& [page, textId] : tabTexts) {
        if (GetPageIndex(*page) >= 0)
            SetPageTabText(*page, LoadSystemString(textId));
    }
}

void EditUserSettings()
{
    WriteDebugLog(QStringLiteral("EUS START"));
    {
        CQuibUS_PropSheet sheet(kEditUserSettingsCaption);
        sheet.SetChangeMask(0);
        addUserSettingsPages(sheet);
        runOnCurrentUser(sheet, true);
    }
    WriteDebugLog(QStringLiteral("EUS END"));
}

void EditPrintSettings()
{
    WriteDebugLog(QStringLiteral("EUS START"));
    CQuibUS_PropSheet sheet(kEditUserSettingsCaption);
    sheet.SetChangeMask(0);
    sheet.AddPage(sheet.m_printPage);
    runOnCurrentUser(sheet, false);
}

void FillSheetColorCombo(CColorCombo& combo, const CQuibColorTable& colorMap, std::uint32_t color)
{
    combo.Clear();
    const int number = CColor::PackedID(color);
    for (const auto& [id, entry] : colorMap) {
        if (!entry || !(entry->GetExtra() & kColorExtraShown))
            continue;
        CColor shown(entry.get());
        if (id == kUserDefinableColor)
            shown.SetRGB(number >= 1 && number <= 254 ? 0xFFFFFF : CColor::PackedToRGB(color));
        combo.InsertColor(-1, &shown);
    }
    combo.SelectColor(color);
}

bool TakeSheetColor(CColorCombo& combo, std::uint32_t& color)
{
    const int index = combo.currentIndex();
    std::uint32_t packed = 0;
    if ((index == combo.UserDefinableIndex() && !combo.PickCustomColor()) ||
        !combo.GetItemPacked(index, packed)) {
        combo.SelectColor(color);
        return false;
    }
    color = packed;
    combo.update();
    return true;
}

QString FillPageNameCombo(QComboBox& combo, const QString& prefix, int maxCount)
{
    const CSortedStringArray& names = theBgIndex.Names();
    QString first;
    int position = names.FindPrefix(prefix, 0);
    while (maxCount > 0 && position >= 0 && position < names.GetSize()) {
        const QString name = names.GetString(position);
        if (name.left(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0) {
            auto* page = static_cast<CMyRes*>(names.GetItemData(position));
            combo.addItem(name, page ? page->GetID() : 0);
            if (first.isEmpty())
                first = name;
            --maxCount;
        }
        position = names.FindPrefix(prefix, position + 1);
    }
    return prefix.isEmpty() ? QString() : first;
}
