#include "system/SystemSettings.h"

#include "platform/files/FileSystem.h"
#include "store/Registry.h"
#include "store/ResourceManager.h"
#include "system/SystemStrings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <set>

const QString kSettingsRoot = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\halvorix\\Lumivo\\2.0");
const QString kOldSettingsRoot = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\halvorix\\Morvelt\\2.0");

QString theSettingsRoot = kSettingsRoot;
QString theProgramDir;
QString theBaseDir;
QString theHelpFile;
std::uint16_t theLanguageNo = 0;
int theTranslateFlags = 0;
std::uint16_t theScreenMode = 0;
std::uint32_t theAutoFileSave = 0;
std::array<std::uint32_t, 16> theUserColors{};
std::uint16_t theEditOptions = 0;
std::uint16_t theProgramMode = 0;

namespace
{

constexpr int kNotInstalledMessage = 9396;
constexpr int kHelpFileName = 1016;
constexpr std::uint32_t kInstallLanguageDanish = 10002;
constexpr int kLanguageSettingBase = 10000;

// Reads from the settings root, else from the older root; `read` is one typed read of CRegistry.
template <typename Read> bool ReadWithFallback(Read read)
{
    if (!theRegistry)
        return false;
    return read(theSettingsRoot) || read(kOldSettingsRoot);
}

QString WithTrailingSeparator(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

bool IsExistingFolder(const QString& path)
{
    return !path.isEmpty() && lumivo::files::fileSystem().info(path).isDirectory;
}

bool IsReadableFile(const QString& path)
{
    const auto info = lumivo::files::fileSystem().info(path);
    return info.exists && !info.isDirectory && info.readable;
}

} // namespace

bool GetSystemSettingString(const QString& name, QString& out)
{
    out.clear();
    return ReadWithFallback([&](const QString& root) { return theRegistry->ReadString(root, name, out); });
}

bool GetSystemSettingInt(const QString& name, int* out)
{
    *out = 0;
    return ReadWithFallback([&](const QString& root) { return theRegistry->ReadInt(root, name, *out); });
}

bool GetSystemSettingDWord(const QString& name, std::uint32_t* out)
{
    *out = 0;
    return ReadWithFallback([&](const QString& root) { return theRegistry->ReadDWord(root, name, *out); });
}

bool GetSystemSettingWord(const QString& name, std::uint16_t* out)
{
    *out = 0;
    int value = 0;
    if (!GetSystemSettingInt(name, &value))
        return false;
    *out = static_cast<std::uint16_t>(value & 0xFFFF);
    return true;
}

bool SetSystemSettingString(const QString& name, const QString& text)
{
    return theRegistry && theRegistry->WriteString(theSettingsRoot, name, text);
}

bool SetSystemSettingInt(const QString& name, int value)
{
    return theRegistry && theRegistry->WriteInt(theSettingsRoot, name, value);
}

bool SetSystemSettingWord(const QString& name, std::uint16_t value)
{
    return SetSystemSettingInt(name, value);
}

bool SetSystemSettingDWord(const QString& name, std::uint32_t value)
{
    return theRegistry && theRegistry->WriteDWord(theSettingsRoot, name, value);
}

bool FlushSystemSettings()
{
    return theRegistry && theRegistry->FlushRootOf(theSettingsRoot);
}

QString SystemSettingsFile()
{
    return theRegistry ? theRegistry->FileOf(theSettingsRoot) : QString();
}

bool GetScreenModeFlag(int n)
{
    switch (n) {
    case 1:
        return true;
    case 2:
        return theScreenMode & SCREENMODE_MENUBAR;
    case 3:
        return theScreenMode & SCREENMODE_STATUSBAR;
    case 4:
        return theScreenMode & SCREENMODE_TOOLBARS;
    case 5:
        return theScreenMode & SCREENMODE_FULLSCREEN;
    default:
        return false;
    }
}

namespace
{

bool HoldsValues(CRegistry& registry, const QString& path)
{
    return registry.KeyExists(path) && registry.CountValues(path) > 0;
}

// Copies every value of the older root, then marks the installation as the older, Danish one. True
// only when every write succeeded: the older root is deleted afterwards, so a value that failed to
// copy would otherwise be lost.
bool CopyOldValues(CRegistry& registry)
{
    QStringList names;
    bool written = registry.EnumerateValues(kOldSettingsRoot, names);
    for (const QString& name : names)
        written = registry.CopyValue(kOldSettingsRoot, name, kSettingsRoot, name) && written;
    written =
        registry.WriteDWord(kSettingsRoot, QStringLiteral("Install_language"), kInstallLanguageDanish) &&
        written;
    written =
        registry.WriteString(kSettingsRoot, QStringLiteral("Install_appname"), QStringLiteral("Morvelt")) &&
        written;
    return written;
}

QString ParentKey(const QString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('\\')));
}

} // namespace

bool MigrateOldSettings(CRegistry& registry)
{
    if (HoldsValues(registry, kSettingsRoot))
        return true;
    bool result = true;
    if (registry.KeyExists(kOldSettingsRoot)) {
        if (!registry.KeyExists(kSettingsRoot) && !registry.CreateKey(kSettingsRoot)) {
            MessageBoxById(kNotInstalledMessage, 0);
            return false;
        }
        result = CopyOldValues(registry);
    }
    if (result && registry.DeleteKey(kOldSettingsRoot))
        registry.DeleteKey(ParentKey(kOldSettingsRoot));
    return result;
}

QString ProgramFolder()
{
    QString folder =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return WithTrailingSeparator(folder);
}

namespace
{

QString ChooseBaseFolder()
{
    QString folder;
    GetSystemSettingString(QStringLiteral("Default_dir"), folder);
    if (IsExistingFolder(folder))
        return folder;
    GetSystemSettingString(QStringLiteral("Install_dir"), folder);
    folder = WithTrailingSeparator(folder);
    if (IsExistingFolder(folder))
        return folder;
    return theProgramDir;
}

QString FindHelpFile()
{
    const QString name = LoadSystemString(kHelpFileName);
    for (const QString& candidate : {WithTrailingSeparator(theBaseDir) + name, theProgramDir + name,
                                     theProgramDir + QStringLiteral("Help.chm")}) {
        if (IsReadableFile(candidate))
            return candidate;
    }
    return {};
}

} // namespace

std::uint16_t ReadSystemLanguage()
{
    int language = 0;
    GetSystemSettingInt(QStringLiteral("LanguageNo"), &language);
    if (language == 0) {
        std::uint32_t installLanguage = 0;
        GetSystemSettingDWord(QStringLiteral("Install_language"), &installLanguage);
        language = static_cast<int>(installLanguage);
    }
    if (language >= kLanguageSettingBase)
        language -= kLanguageSettingBase;
    return static_cast<std::uint16_t>(language);
}

void LoadSystemSettings()
{
    theProgramDir = ProgramFolder();
    theBaseDir = ChooseBaseFolder();
    WriteDebugLog(QStringLiteral("Startup,50"));
    theLanguageNo = ReadSystemLanguage();
    GetSystemSettingInt(QStringLiteral("TranslateFlags"), &theTranslateFlags);
    GetSystemSettingWord(QStringLiteral("ScreenMode"), &theScreenMode);
    GetSystemSettingDWord(QStringLiteral("AutoFileSave"), &theAutoFileSave);
    theHelpFile = FindHelpFile();
}

QString BaseSubFolder(const QString& name, const QString& sub)
{
    const QString folder = WithTrailingSeparator(theBaseDir) + name;
    auto& fs = lumivo::files::fileSystem();
    if (!fs.info(folder).isDirectory && !fs.makeDirectories(folder))
        return {};
    return folder + sub;
}

bool GetDataDir(QString& out, const QString& sub)
{
    out = BaseSubFolder(QStringLiteral("Data"), sub);
    return !out.isEmpty();
}

QString GetDataDirString(const QString& sub)
{
    return BaseSubFolder(QStringLiteral("Data"), sub);
}

bool GetTempDir(QString& out, const QString& sub)
{
    out = BaseSubFolder(QStringLiteral("Temp"), sub);
    return !out.isEmpty();
}

QString GetTempDirString(const QString& sub)
{
    return BaseSubFolder(QStringLiteral("Temp"), sub);
}

bool BuildUsersDir(QString& out, const QString& sub)
{
    out = BaseSubFolder(QStringLiteral("Users"), sub);
    return !out.isEmpty();
}

QString GetUsersDirString(const QString& sub)
{
    return BaseSubFolder(QStringLiteral("Users"), sub);
}

namespace
{

// Walks one folder; `walked` holds the resolved paths of the folders walked so far, so a link back up
// the tree is not followed round and round.
void ListFolderTreeOnce(QStringList& out, const QString& folder, bool descend, std::set<QString>& walked)
{
    if (!walked.insert(CanonicalResPath(folder)).second)
        return;
    auto& fs = lumivo::files::fileSystem();
    for (const QString& name : fs.list(folder)) {
        if (name.startsWith(QLatin1Char('.')))
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        if (fs.info(path).isDirectory) {
            if (descend)
                ListFolderTreeOnce(out, path, descend, walked);
        } else
            out.append(path);
    }
}

} // namespace

void ListFolderTree(QStringList& out, const QString& folder, bool descend)
{
    if (folder.isEmpty())
        return;
    std::set<QString> walked;
    ListFolderTreeOnce(out, folder, descend, walked);
}

void ResetSystemSettings()
{
    theSettingsRoot = kSettingsRoot;
    theProgramDir.clear();
    theBaseDir.clear();
    theHelpFile.clear();
    theLanguageNo = 0;
    theTranslateFlags = 0;
    theScreenMode = 0;
    theAutoFileSave = 0;
    theUserColors.fill(0);
    theEditOptions = 0;
    theProgramMode = 0;
}
