// Real kills: a child copy of this test program archives the current user as a profile and is killed
// with SIGKILL at a random moment. The name chosen then holds nothing, the older file or the whole
// profile, never a second user file of the user; the user's own file is as it was; the next archive to
// that name makes the profile and leaves no scratch file. LUMIVO_KILLS sets the number of kills.

#include "core/User.h"
#include "platform/ui/Ui.h"
#include "shell/CurrentUser.h"
#include "store/Registry.h"
#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"
#include "system/DataFiles.h"
#include "system/SystemSettings.h"
#include "tests/support/Bytes.h"
#include "tests/support/KilledChild.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

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
constexpr std::int32_t kAnnaId = 4711;
constexpr std::int32_t kPictureId = 1;
constexpr std::int32_t kPictureType = 77;
// Large enough that the copy, its save and its rename take a time the kills can spread over.
constexpr std::uint32_t kPictureSize = 2 << 20;

const QString kProfileName = QStringLiteral("Reading.tvf");

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

class KilledProfileTest : public test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        useBase(tempDir());
    }

    static void useBase(const QString& base)
    {
        theBaseDir = base + QLatin1Char('/');
        theRegistry = std::make_unique<CRegistry>();
        theRegistry->CreateKey(kSettingsRoot);
    }

    static QString usersFolder() { return GetUsersDirString(QStringLiteral("/")); }
    static QString annaPath() { return usersFolder() + QStringLiteral("Anna.tvf"); }
    static QString profilePath() { return usersFolder() + kProfileName; }

    // A user file (or profile, by `kind`) holding Anna under her id, named `name`, with a picture of
    // `pictureSize` bytes when that is not 0; its bytes.
    static QByteArray writeAnna(const QString& path, const QString& name, std::uint32_t kind,
                                std::uint32_t pictureSize)
    {
        const int file = test::NewResFile(path, kind, 2, 0, 61);
        {
            CQuibUser anna;
            anna.Name = name;
            EXPECT_EQ(anna.SaveAs(kAnnaId, file, CQuibUser::kType), RES_OK);
            EXPECT_EQ(anna.Write(), RES_OK);
        }
        if (pictureSize != 0) {
            CMyByteRes picture;
            EXPECT_EQ(picture.Create(), RES_OK);
            picture.SetSize(pictureSize);
            EXPECT_EQ(picture.SaveAs(kPictureId, file, kPictureType), RES_OK);
        }
        EXPECT_EQ(SaveResFile(file), RES_OK);
        CloseResFile(file);
        return test::fileContent(path);
    }

    // Anna made current from her file, as a start makes her.
    static void makeAnnaCurrent()
    {
        int file = 0;
        int result = 0;
        ASSERT_EQ(OpenDataFile(annaPath(), &file, &result), DATAFILE_ACCEPTED);
        auto anna = std::make_unique<CQuibUser>();
        ASSERT_EQ(anna->LoadFrom(kAnnaId, file), RES_OK);
        SetCurrentUser(std::move(anna));
    }

    // The program's end as a kill leaves it: nothing more is written, the store and the user let go.
    static void dropProgramState()
    {
        ResetCurrentUser();
        theResMgr.CloseAll();
    }

    // Archive as profile under the name "Reading"; the number of questions asked.
    static std::size_t archiveAsReading()
    {
        ui::ScopedAnswerer answerer;
        answerer.reply(profilePath());
        ArchiveUserAsProfile();
        return answerer.questions().size();
    }

    static void runArchiveAsChild(const QString& base)
    {
        useBase(base);
        makeAnnaCurrent();
        test::reportWorkStarts();
        archiveAsReading();
        test::reportWorkDone();
    }

    // Whether the file at `path` is the whole profile: kind 4, Anna under her id named after the file,
    // and her picture.
    static bool isWholeProfile(const QString& path)
    {
        int file = 0;
        if (OpenResFile(&file, path) != RES_OK)
            return false;
        bool whole = GetResFileKind(file) == FILEKIND_PROFILE;
        {
            CQuibUser profile;
            CMyByteRes picture;
            whole = whole && profile.LoadFrom(kAnnaId, file) == RES_OK && profile.Name == "Reading" &&
                    AttachResource(&picture, kPictureId, kPictureType, file) == RES_OK &&
                    picture.Load() == RES_OK && picture.GetSize() == kPictureSize;
        }
        CloseResFile(file);
        return whole;
    }

    // Users/ as the child found it: Anna's file, and the older profile unless `older` is empty.
    void prepare(const QByteArray& anna, const QByteArray& older)
    {
        dropProgramState();
        QDir(usersFolder()).removeRecursively();
        QDir(tempPath(QStringLiteral("run"))).removeRecursively();
        QDir().mkpath(usersFolder());
        test::replaceFileContent(annaPath(), anna);
        if (!older.isEmpty())
            test::replaceFileContent(profilePath(), older);
    }

    // What a kill left: Anna's file as it was; at the name nothing (where there was nothing), the older
    // file, or the whole profile; beside them at most the scratch files of the copy. Then the next
    // archive to that name makes the whole profile and leaves no scratch file. False, after saying
    // why, when any of it fails.
    bool leftWhole(const std::string& step, const QByteArray& anna, const QByteArray& older)
    {
        bool whole = true;
        const auto expect = [&](bool holds, const std::string& what) {
            if (!holds) {
                ADD_FAILURE() << step << ": " << what << "; users folder: "
                              << filesIn(usersFolder()).join(QLatin1Char(' ')).toStdString();
                whole = false;
            }
        };
        expect(test::fileContent(annaPath()) == anna, "Anna's file is as it was");
        const bool atName = QFile::exists(profilePath());
        expect(atName ? test::fileContent(profilePath()) == older || isWholeProfile(profilePath())
                      : older.isEmpty(),
               "the name holds nothing, the older file or the whole profile");
        const QStringList allowed = {QStringLiteral("Anna.tvf"), kProfileName, kProfileName + ".new",
                                     QStringLiteral("RMGRTMP.new")};
        for (const QString& name : filesIn(usersFolder()))
            expect(allowed.contains(name), "no other file than the copy's scratch files");
        makeAnnaCurrent();
        expect(archiveAsReading() == 1u, "the next archive asks only for the name");
        dropProgramState();
        expect(isWholeProfile(profilePath()), "the next archive makes the whole profile");
        expect(filesIn(usersFolder()) == QStringList({QStringLiteral("Anna.tvf"), kProfileName}),
               "the next archive leaves no scratch file");
        return whole;
    }

    std::string whereTheKillCame(KillPhase phase, const QByteArray& older) const
    {
        if (phase == KillPhase::BeforeWork)
            return "during the start";
        if (phase == KillPhase::AfterWork)
            return "after the archive";
        const bool renamed = QFile::exists(profilePath()) && test::fileContent(profilePath()) != older;
        return renamed ? "during the archive, after the rename" : "during the archive, before the rename";
    }
};

TEST_F(KilledProfileTest, AnArchiveAsProfileKilledAtRandomMomentsLeavesTheNameWholeOrAsItWas)
{
    if (const QString base = test::killedChildArgument(); !base.isEmpty())
        return runArchiveAsChild(base);
    GetUsersDirString();
    const QByteArray anna = writeAnna(annaPath(), QStringLiteral("Anna"), FILEKIND_USER, kPictureSize);
    const QByteArray older = writeAnna(profilePath(), QStringLiteral("Reading"), FILEKIND_PROFILE, 0);
    KilledChild child(tempDir(), tempPath(QStringLiteral("run")));
    for (int run = 0; run < 3; ++run) {
        prepare(anna, older);
        child.runToTheEnd();
        ASSERT_TRUE(leftWhole("an archive run to its end", anna, older));
    }
    std::map<std::string, int> where;
    int lost = 0;
    for (int kill = 1; kill <= KilledChild::kills(kKills); ++kill) {
        // Every other archive goes to a name where nothing is yet.
        const QByteArray before = kill % 2 == 0 ? older : QByteArray();
        prepare(anna, before);
        const std::string step = whereTheKillCame(child.killAtRandom(), before);
        ++where[step];
        lost += leftWhole("kill " + std::to_string(kill) + " " + step, anna, before) ? 0 : 1;
    }
    std::printf("Archive as profile (%.1f ms): %d kills, %d lost something\n",
                static_cast<double>(child.workTime()) / 1000, KilledChild::kills(kKills), lost);
    for (const auto& [step, count] : where)
        std::printf("  %3d %s\n", count, step.c_str());
}

} // namespace
