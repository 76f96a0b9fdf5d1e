// Real kills: a child copy of this test program runs "Back to factory settings" with OK, backs up the
// output file, or makes a new output file over a closed one, and is killed with SIGKILL at a random
// moment; the next start, here in the parent, finds everything whole. LUMIVO_KILLS sets the number of kills
// (150 for a thorough run by hand).

#include "admin/OutputFileLife.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Ui.h"
#include "store/ResourceHandle.h"
#include "store/ResourceTypes.h"
#include "system/OutputFile.h"
#include "tests/admin/AdminFilesTestSupport.h"
#include "tests/admin/UserSettingsFixture.h"
#include "tests/support/Bytes.h"
#include "tests/support/KilledChild.h"

#include <QDir>

#include <cstdio>
#include <map>
#include <string>

using namespace lumivo;
using test::KilledChild;
using test::KillPhase;

namespace
{

constexpr int kKills = 30;

// Tallies where the kills landed and how many lost something, and prints them.
class KillReport
{
public:
    void add(const std::string& where, bool whole)
    {
        ++m_where[where];
        ++m_kills;
        m_lost += whole ? 0 : 1;
    }

    void print(const std::string& what) const
    {
        std::printf("%s: %d kills, %d lost something\n", what.c_str(), m_kills, m_lost);
        for (const auto& [where, count] : m_where)
            std::printf("  %3d %s\n", count, where.c_str());
    }

    int kills() const { return m_kills; }
    int landed(const std::string& where) const
    {
        const auto found = m_where.find(where);
        return found == m_where.end() ? 0 : found->second;
    }

private:
    std::map<std::string, int> m_where;
    int m_kills = 0;
    int m_lost = 0;
};

// The measured time of a child's work, as a report shows it.
std::string milliseconds(const KilledChild& child)
{
    return QString::number(static_cast<double>(child.workTime()) / 1000, 'f', 1).toStdString() + " ms";
}

// Names of the plain files of a folder, hidden ones too.
QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Each folder made anew, empty.
void emptyFolders(const QStringList& folders)
{
    for (const QString& folder : folders) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
    }
}

// Anna as the tests give her: her own language and a picture of 20000 bytes, which also makes her file
// mostly live bytes, so that leaving her compacts it through the store's scratch file.
constexpr std::int16_t kAnnasLanguage = 2;
constexpr std::int32_t kPictureId = 1;
constexpr std::int32_t kPictureType = 77;
constexpr std::int64_t kPictureSize = 20000;

bool holdsHerPicture(int file)
{
    CMyByteRes picture;
    return AttachResource(&picture, kPictureId, kPictureType, file) == RES_OK && picture.Load() == RES_OK &&
           picture.GetSize() == kPictureSize;
}

class KilledResetTest : public test::UserResetTest
{
protected:
    // The child: the parent's base folder and registry, Anna opened as a start opens her with something
    // of hers still to be saved, then the reset confirmed with OK.
    void runResetAsChild(const QString& base)
    {
        dropProgramState();
        ::setenv("XDG_CONFIG_HOME", QString(base + QStringLiteral("/config")).toUtf8().constData(), 1);
        theBaseDir = base + QLatin1Char('/');
        annaPath = usersFolder() + QStringLiteral("Anna.tvf");
        UseDefaultUser();
        ASSERT_TRUE(isAnnaFromHerFile());
        SetResFileDirty(user().GetFile());
        answers.reply([](QDialog& sheet) {
            test::reportWorkStarts();
            return pressFactoryThenOk(sheet);
        });
        EditUserSettings();
        test::reportWorkDone();
    }

    void giveAnnaHerOwnThings()
    {
        user().PrimaryLanguage = kAnnasLanguage;
        user().Commit();
        ASSERT_EQ(user().Write(), RES_OK);
        CMyByteRes picture;
        ASSERT_EQ(picture.Create(), RES_OK);
        picture.SetSize(kPictureSize);
        ASSERT_EQ(picture.SaveAs(kPictureId, user().GetFile(), kPictureType), RES_OK);
    }

    // Anna's file and the template for new users (when `factory` is not empty) as the child finds them,
    // with nothing in Temp; the settings that launch Anna on the disk for the child to read.
    void prepare(const QByteArray& anna, const QByteArray& factory)
    {
        dropProgramState();
        emptyFolders({usersFolder(), backupFolder(), tempPath(QStringLiteral("run"))});
        test::replaceFileContent(annaPath, anna);
        if (!factory.isEmpty())
            test::replaceFileContent(templatePath(), factory);
        SetSystemSettingString(QStringLiteral("Userfile"), annaPath);
        SetSystemSettingInt(QStringLiteral("Usernumber"), kAnnaId);
        SetSystemSettingInt(QStringLiteral("Launch_user_at_start"), 1);
        ASSERT_TRUE(registry::registry().flushAll());
    }

    static QString backupFolder() { return GetTempDirString(QStringLiteral("/")); }

    // Where the kill came, told by what it left on the disk when it came during the reset.
    std::string whereTheKillCame(KillPhase phase) const
    {
        if (phase == KillPhase::BeforeWork)
            return "before OK: the start and the sheet";
        if (phase == KillPhase::AfterWork)
            return "after the reset";
        if (filesIn(backupFolder()).isEmpty())
            return "during the reset, before the user file was moved";
        if (!QFile::exists(annaPath))
            return "during the reset, after the move, before the new user file";
        return "during the reset, after the new user file was made";
    }

    bool backupHoldsAnnaAsShe(const QString& path) const
    {
        int file = 0;
        if (OpenResFile(&file, path) != RES_OK)
            return false;
        bool holds = false;
        {
            CQuibUser kept;
            holds = kept.LoadFrom(kAnnaId, file) == RES_OK && kept.Name == QLatin1String("Anna") &&
                    kept.PrimaryLanguage == kAnnasLanguage && holdsHerPicture(file);
        }
        CloseResFile(file);
        return holds;
    }

    // The next start on what the child left: Anna's file, where there is one, holds her user (never a
    // copy of the template without it); the start opens her from her file, as she was with a language
    // and a picture of her own and no backup, or as reset with her old file as the only backup; no
    // scratch file of the store or of an atomic write is left. False, after saying why, when any of it
    // fails.
    bool nextStartFindsEverything(const std::string& step)
    {
        bool whole = true;
        const auto expect = [&](bool holds, const std::string& what) {
            if (!holds) {
                ADD_FAILURE() << step << ": " << what;
                whole = false;
            }
        };
        registry::discardRegistry();
        if (QFile::exists(annaPath)) {
            int file = 0;
            expect(OpenResFile(&file, annaPath) == RES_OK, "Anna's file opens");
            expect(ResourceExists(kAnnaId, CQuibUser::kType, file), "Anna's file holds her user");
            CloseResFile(file);
        }
        UseDefaultUser();
        const bool asBefore = isAnnaFromHerFile() && user().PrimaryLanguage == kAnnasLanguage &&
                              holdsHerPicture(user().GetFile());
        const bool asReset =
            theCurrentUser && user().GetID() == kAnnaId &&
            (user().Name == QLatin1String("Factory") ||
             (!QFile::exists(templatePath()) && user().Name == QLatin1String("Standard user"))) &&
            GetResFilePath(user().GetFile()) == annaPath;
        const QStringList backups = filesIn(backupFolder());
        const QString listed =
            QStringLiteral("users folder: %1; Temp: %2")
                .arg(filesIn(usersFolder()).join(QLatin1Char(' ')), backups.join(QLatin1Char(' ')));
        expect(asBefore || asReset,
               "the next start opens Anna from her file, as she was or as reset; " + listed.toStdString());
        if (asBefore)
            expect(backups.isEmpty(), "no backup unless the reset went through; " + listed.toStdString());
        if (asReset)
            expect(backups.size() == 1 && backups[0].startsWith(QLatin1String("Anna_")) &&
                       backups[0].endsWith(QLatin1String(".tvf")) &&
                       backupHoldsAnnaAsShe(backupFolder() + backups[0]),
                   "the reset's backup holds Anna as she was; " + listed.toStdString());
        QStringList users{QStringLiteral("Anna.tvf")};
        if (QFile::exists(templatePath()))
            users << QLatin1String(kTemplateUserFileName);
        expect(filesIn(usersFolder()) == users,
               "no scratch file is left in the users folder; " + listed.toStdString());
        dropProgramState();
        return whole;
    }
};

// The kills spread over OK's reset: while Anna is saved and left, while her file is moved to Temp,
// while start-up makes the new user file, and a few before (the start, the sheet) and after.
TEST_F(KilledResetTest, AResetKilledAtRandomMomentsLeavesTheNextStartTheUserAndLosesNothing)
{
    if (const QString base = test::killedChildArgument(); !base.isEmpty())
        return runResetAsChild(base);
    giveAnnaHerOwnThings();
    SetCurrentUser(nullptr);
    const QByteArray anna = test::fileContent(annaPath);
    const QByteArray factory = test::fileContent(templatePath());
    // Every third reset has no template: start-up then makes a new standard user. Each kind of reset
    // is measured on its own, so that the kills spread over its own time.
    KilledChild withTemplate(tempDir(), tempPath(QStringLiteral("run")));
    KilledChild withoutTemplate(tempDir(), tempPath(QStringLiteral("run")));
    for (int run = 0; run < 3; ++run) {
        for (const QByteArray& templateBytes : {factory, QByteArray()}) {
            prepare(anna, templateBytes);
            (templateBytes.isEmpty() ? withoutTemplate : withTemplate).runToTheEnd();
            ASSERT_TRUE(nextStartFindsEverything("a reset run to its end"));
        }
    }
    KillReport report;
    for (int kill = 1; kill <= KilledChild::kills(kKills); ++kill) {
        const bool hasTemplate = kill % 3 != 0;
        prepare(anna, hasTemplate ? factory : QByteArray());
        const KillPhase phase = (hasTemplate ? withTemplate : withoutTemplate).killAtRandom();
        const std::string where = whereTheKillCame(phase);
        const std::string step =
            "kill " + std::to_string(kill) + (hasTemplate ? " " : " without template ") + where;
        report.add(where, nextStartFindsEverything(step));
    }
    report.print("Back to factory settings (OK takes " + milliseconds(withTemplate) + " with a template, " +
                 milliseconds(withoutTemplate) + " without)");
    EXPECT_GT(report.kills() - report.landed("before OK: the start and the sheet") -
                  report.landed("after the reset"),
              0)
        << "some kills came during the reset";
}

// An output file of a few megabytes, backed up three times in a row by the child.
class KilledBackupTest : public test::AdminFilesTest
{
protected:
    static QString outputPath() { return theBaseDir + QStringLiteral("Data/out.tvf"); }
    static QString backupFolder() { return GetTempDirString(QStringLiteral("/")); }

    static void writeOutputFile()
    {
        const int file = test::NewResFile(outputPath(), FILEKIND_DATA, 2, 0, 61);
        CMyByteRes words;
        ASSERT_EQ(words.Create(), RES_OK);
        constexpr std::uint32_t kSize = 4 << 20;
        words.SetSize(kSize);
        for (std::uint32_t at = 0; at < kSize; ++at)
            words.GetBytes()[at] = static_cast<std::uint8_t>((at * 2654435761u) >> 24);
        ASSERT_EQ(words.SaveAs(1, file, 77), RES_OK);
        words.Detach();
        ASSERT_EQ(SaveResFile(file), RES_OK);
        CloseResFile(file);
    }

    static void openAsOutputFile()
    {
        int file = 0;
        ASSERT_EQ(OpenResFile(&file, outputPath()), RES_OK);
        theOutputFile = file;
    }

    static void runBackupsAsChild(const QString& base)
    {
        theBaseDir = base + QLatin1Char('/');
        openAsOutputFile();
        test::reportWorkStarts();
        for (int backup = 0; backup < 3; ++backup)
            ASSERT_EQ(BackupOutputFile().error, OutputFileError::None);
        test::reportWorkDone();
    }

    // The backup is whole or not there, beside at most the scratch file of a killed copy; the next
    // backup replaces it whole and leaves no scratch file.
    static bool backupIsWholeOrAbsent(const std::string& step, const QByteArray& output)
    {
        bool whole = true;
        const auto expect = [&](bool holds, const char* what) {
            if (!holds) {
                ADD_FAILURE() << step << ": " << what
                              << "; Temp: " << filesIn(backupFolder()).join(' ').toStdString();
                whole = false;
            }
        };
        const QString backup = OutputFileBackupPath();
        const QStringList left = filesIn(backupFolder());
        expect(left.isEmpty() || left == QStringList{"tmpQuib.tvf"} ||
                   left == QStringList{"tmpQuib.tvf.new"} ||
                   left == QStringList({"tmpQuib.tvf", "tmpQuib.tvf.new"}),
               "Temp holds the backup and its scratch file only");
        if (QFile::exists(backup))
            expect(fileBytesOf(backup) == output, "the backup is whole");
        openAsOutputFile();
        expect(BackupOutputFile().error == OutputFileError::None, "the next backup is written");
        expect(filesIn(backupFolder()) == QStringList{"tmpQuib.tvf"},
               "the next backup leaves no scratch file");
        expect(fileBytesOf(backup) == output, "the next backup is whole");
        CloseResFile(theOutputFile);
        theOutputFile = 0;
        return whole;
    }
};

TEST_F(KilledBackupTest, AnOutputFileBackupKilledAtRandomMomentsIsWholeOrAbsent)
{
    if (const QString base = test::killedChildArgument(); !base.isEmpty())
        return runBackupsAsChild(base);
    writeOutputFile();
    const QByteArray output = fileBytesOf(outputPath());
    KilledChild child(tempDir(), tempPath(QStringLiteral("run")));
    const auto prepare = [this] { emptyFolders({backupFolder(), tempPath(QStringLiteral("run"))}); };
    for (int run = 0; run < 3; ++run) {
        prepare();
        child.runToTheEnd();
        ASSERT_TRUE(backupIsWholeOrAbsent("backups run to their end", output));
    }
    KillReport report;
    for (int kill = 1; kill <= KilledChild::kills(kKills); ++kill) {
        prepare();
        const KillPhase phase = child.killAtRandom();
        std::string where = phase == KillPhase::BeforeWork                   ? "during the start"
                            : phase == KillPhase::AfterWork                  ? "after the backups"
                            : QFile::exists(OutputFileBackupPath() + ".new") ? "during a copy"
                                                                             : "between copies";
        report.add(where, backupIsWholeOrAbsent("kill " + std::to_string(kill) + " " + where, output));
    }
    report.print("Three backups of the output file (" + milliseconds(child) + ")");
}

// New output file at the path of a closed one (the file dialog asked before replacing it), or at a path
// where no file is, with a language record in the old file to tell it from a new one.
class KilledNewOutputFileTest : public test::AdminFilesTest
{
protected:
    static QString outputFolder() { return theBaseDir + QStringLiteral("Translations/"); }
    static QString outputPath() { return outputFolder() + QStringLiteral("translation.tvf"); }
    static QString backupFolder() { return GetTempDirString(QStringLiteral("/")); }

    static QByteArray oldFileBytes()
    {
        QDir().mkpath(outputFolder());
        const int file = test::NewResFile(outputPath(), FILEKIND_DATA, 2, 0, 61);
        EXPECT_EQ(test::WriteLanguageRecord(file, 1020, 20, "Tyve"), 0);
        EXPECT_EQ(SaveResFile(file), RES_OK);
        CloseResFile(file);
        return fileBytesOf(outputPath());
    }

    // The child: New output file with the parent's base folder, the path typed into the file dialog.
    static void createAsChild(const QString& base)
    {
        theBaseDir = base + QLatin1Char('/');
        ui::ScopedAnswerer answerer;
        answerer.reply(outputPath());
        test::reportWorkStarts();
        ASSERT_EQ(CreateOutputFile().error, OutputFileError::None);
        test::reportWorkDone();
    }

    // The old file at the chosen path (none when `old` is empty), and nothing in Temp.
    void prepare(const QByteArray& old) const
    {
        emptyFolders({outputFolder(), backupFolder(), tempPath(QStringLiteral("run"))});
        if (!old.isEmpty())
            test::replaceFileContent(outputPath(), old);
    }

    static std::string whereTheKillCame(KillPhase phase, const QByteArray& old)
    {
        if (phase == KillPhase::BeforeWork)
            return "during the start";
        if (phase == KillPhase::AfterWork)
            return "after the new output file";
        if (QFile::exists(outputPath()) && fileBytesOf(outputPath()) != old)
            return "during New output file, after the new file stood";
        if (QFile::exists(ResScratchPathFor(outputPath())))
            return "during New output file, while the new file was written";
        return "during New output file, before the new file was written";
    }

    // The chosen path holds the old file as it was, nothing where there was none, or a whole new file
    // that Open output file takes; the next New output file there is made and leaves no scratch file
    // beside it or in Temp. False, after saying why, when any of it fails.
    static bool nextAttemptFindsItWhole(const std::string& step, const QByteArray& old)
    {
        bool whole = true;
        const auto expect = [&](bool holds, const char* what) {
            if (!holds) {
                ADD_FAILURE() << step << ": " << what
                              << "; beside it: " << filesIn(outputFolder()).join(' ').toStdString()
                              << "; Temp: " << filesIn(backupFolder()).join(' ').toStdString();
                whole = false;
            }
        };
        if (!QFile::exists(outputPath())) {
            expect(old.isEmpty(), "the old file is kept");
        } else if (old.isEmpty() || fileBytesOf(outputPath()) != old) {
            expect(OpenOutputFile(outputPath()).error == OutputFileError::None,
                   "the new file opens as the output file");
            expect(theOutputFile > 0 && !ResourceExists(1020, RESTYPE_SYSTEM, theOutputFile),
                   "the new file holds nothing of the old one");
            expect(CloseOutputFileAsking(), "the new file closes");
        }
        ui::ScopedAnswerer answerer;
        answerer.reply(outputPath());
        expect(CreateOutputFile().error == OutputFileError::None, "the next New output file is made");
        expect(filesIn(outputFolder()) == QStringList{"translation.tvf"}, "no scratch file beside it");
        expect(filesIn(backupFolder()) == QStringList{"tmpQuib.tvf"}, "no scratch file in Temp");
        expect(CloseOutputFileAsking(), "the next new file closes");
        expect(answerer.questions().size() == 1, "the file dialog alone is asked");
        return whole;
    }
};

// Every third run has no file at the chosen path.
TEST_F(KilledNewOutputFileTest, ANewOutputFileKilledAtRandomMomentsLeavesTheOldFileOrAWholeNewOne)
{
    if (const QString base = test::killedChildArgument(); !base.isEmpty())
        return createAsChild(base);
    const QByteArray oldFile = oldFileBytes();
    KilledChild child(tempDir(), tempPath(QStringLiteral("run")));
    for (int run = 0; run < 3; ++run) {
        const QByteArray old = run == 2 ? QByteArray() : oldFile;
        prepare(old);
        child.runToTheEnd();
        ASSERT_TRUE(nextAttemptFindsItWhole("New output file run to its end", old));
    }
    KillReport report;
    for (int kill = 1; kill <= KilledChild::kills(kKills); ++kill) {
        const QByteArray old = kill % 3 == 0 ? QByteArray() : oldFile;
        prepare(old);
        const std::string where = whereTheKillCame(child.killAtRandom(), old);
        const std::string step =
            "kill " + std::to_string(kill) + (old.isEmpty() ? " without old file " : " ") + where;
        report.add(where, nextAttemptFindsItWhole(step, old));
    }
    report.print("New output file (" + milliseconds(child) + ")");
    EXPECT_GT(report.kills() - report.landed("during the start") - report.landed("after the new output file"),
              0)
        << "some kills came during New output file";
}

} // namespace
