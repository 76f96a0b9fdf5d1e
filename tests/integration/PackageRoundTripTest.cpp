// A data file carried in a password ZIP archive, the way page packages travel between machines: packed
// with the program's ZIP library, refused whole under a wrong password, and extracted under the right
// one into the Data folder, where the store opens it with every object intact.

#include "tests/integration/SampleDataFile.h"

#include "packages/zip/ZipArchive.h"
#include "packages/zip/ZipException.h"
#include "packages/zip/ZipMemoryFile.h"
#include "platform/files/FaultyFileSystem.h"
#include "platform/ui/Ui.h"
#include "platform/video/VideoClip.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/SystemTestFiles.h"

#include <QDir>
#include <QFile>

using namespace lumivo::test;

namespace
{

const QString kPassword = QStringLiteral("hemmelig");

class PackageRoundTripTest : public lumivo::test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theBaseDir = tempDir() + QLatin1Char('/');
        dataFolder = GetDataDirString(QStringLiteral("/"));
        ASSERT_FALSE(dataFolder.isEmpty());
        ASSERT_TRUE(QDir().mkpath(tempPath(QStringLiteral("work"))));
        content = MakeSampleContent(tempPath(QStringLiteral("work")));
    }

    // The cause of the ZIP exception `action` throws, 0 when it throws none.
    template <class Action> static int CauseOf(Action action)
    {
        try {
            action();
        } catch (const CZipException& e) {
            return e.m_iCause;
        }
        return 0;
    }

    QString dataFolder;
    SampleContent content;
};

TEST_F(PackageRoundTripTest, ADataFileTravelsInAPasswordArchiveAndOpensWhole)
{
    const QString source = tempPath(QStringLiteral("work/sample.tvf"));
    const int written = WriteSampleDataFile(source, content);
    ASSERT_GT(written, 0);
    ASSERT_EQ(CloseResFile(written), RES_OK);
    const std::vector<std::uint8_t> original = fileBytes(source);
    ASSERT_FALSE(original.empty());

    const QString package = tempPath(QStringLiteral("work/package.zip"));
    {
        CZipArchive archive;
        archive.Open(package, CZipArchive::zipCreate);
        ASSERT_TRUE(archive.SetPassword(kPassword));
        ASSERT_TRUE(archive.AddEntryFromPath(source, QStringLiteral("Sider/sample.tvf")));
        if (!content.clip.empty()) {
            CZipMemoryFile clip(1024);
            clip.Write(content.clip.data(), content.clip.size());
            ASSERT_TRUE(archive.AddEntryFromMemory(clip, QStringLiteral("Sider/hoppe.avi")));
        }
        archive.Close();
    }

    CZipArchive archive;
    archive.Open(package, CZipArchive::zipOpenReadOnly);
    const int index = archive.FindEntry(QStringLiteral("Sider/sample.tvf"));
    ASSERT_GE(index, 0);

    // A wrong password: a clear refusal, and no file, not even part of one, in the Data folder.
    archive.SetPassword(QStringLiteral("forkert"));
    bool extracted = false;
    const int cause = CauseOf([&] { extracted = archive.ExtractToFile(index, dataFolder, false); });
    EXPECT_FALSE(extracted);
    EXPECT_TRUE(cause == CZipException::badPassword || cause == CZipException::badCrc ||
                cause == CZipException::dataError)
        << cause;
    EXPECT_FALSE(QFile::exists(dataFolder + QStringLiteral("sample.tvf")));
    ScanDataFolder(0);
    EXPECT_TRUE(theDataFiles.empty());

    archive.SetPassword(kPassword);
    ASSERT_TRUE(archive.ExtractToFile(index, dataFolder, false));
    EXPECT_EQ(fileBytes(dataFolder + QStringLiteral("sample.tvf")), original);
    if (!content.clip.empty()) {
        CZipMemoryFile clip(1024);
        ASSERT_TRUE(archive.ExtractToMemory(archive.FindEntry(QStringLiteral("Sider/hoppe.avi")), clip));
        const std::vector<char> bytes = clip.bytes();
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), content.clip);
    }
    archive.Close();

    lumivo::ui::ScopedAnswerer answerer;
    ScanDataFolder(0);
    ASSERT_EQ(theDataFiles.size(), 1u);
    MakeDanishCurrent();
    ExpectSampleContent(content, theDataFiles.front());
    EXPECT_TRUE(answerer.questions().empty());

    // The clip that came out of the store plays as a video.
    if (!content.clip.empty()) {
        auto clip = FindAviById<CQuibAvi>(kClipId, kClipKind);
        ASSERT_TRUE(clip);
        ASSERT_EQ(clip->Load(), RES_OK);
        const QString exported = tempPath(QStringLiteral("work/played.avi"));
        ASSERT_GT(clip->ExportFile(exported), 0u);
        const auto video = lumivo::video::VideoClip::open(exported);
        ASSERT_TRUE(video);
        EXPECT_EQ(video->frameCount(), 3);
    }
}

// A package unpacked over the data file of the same name while the disk fails at the n-th write: the
// Data folder then holds the old file or the new one, whole, and nothing else that the scan would open.
TEST_F(PackageRoundTripTest, UnpackingOverADataFileOnAFailingDiskLeavesTheOldOrTheNew)
{
    const QString source = tempPath(QStringLiteral("work/sample.tvf"));
    const int written = WriteSampleDataFile(source, content);
    ASSERT_GT(written, 0);
    ASSERT_EQ(CloseResFile(written), RES_OK);
    const std::vector<std::uint8_t> fresh = fileBytes(source);
    const QString package = tempPath(QStringLiteral("work/package.zip"));
    {
        CZipArchive archive;
        archive.Open(package, CZipArchive::zipCreate);
        ASSERT_TRUE(archive.SetPassword(kPassword));
        ASSERT_TRUE(archive.AddEntryFromPath(source, QStringLiteral("sample.tvf")));
        archive.Close();
    }
    const QString target = dataFolder + QStringLiteral("sample.tvf");
    const int older = lumivo::test::NewResFile(target, FILEKIND_DATA, 2, 0, 3);
    ASSERT_EQ(SaveResFile(older), RES_OK);
    ASSERT_EQ(CloseResFile(older), RES_OK);
    const std::vector<std::uint8_t> old = fileBytes(target);

    // A single failed write (a full disk) must leave nothing behind; a crash (every later write and
    // removal fails too) may leave a scratch file, but never one the scan of the Data folder opens.
    bool unpacked = false;
    for (const bool crash : {false, true}) {
        unpacked = false;
        for (int n = 1; n < 200 && !unpacked; ++n) {
            SCOPED_TRACE(testing::Message() << "n=" << n << " crash=" << crash);
            ASSERT_TRUE(lumivo::files::writeFileAtomically(target, old.data(), old.size()));
            {
                lumivo::files::FaultyFileSystem faulty(lumivo::files::fileSystem());
                lumivo::files::ScopedFileSystem scope(faulty);
                CZipArchive archive;
                archive.Open(package, CZipArchive::zipOpenReadOnly);
                archive.SetPassword(kPassword);
                faulty.failAt(lumivo::files::FaultyFileSystem::Operation::Write, n, crash);
                CauseOf([&] { unpacked = archive.ExtractToFile(0, dataFolder, false); });
                faulty.failAt(lumivo::files::FaultyFileSystem::Operation::Write, 0);
                CauseOf([&] { archive.Close(); });
            }
            const std::vector<std::uint8_t> now = fileBytes(target);
            EXPECT_TRUE(now == (unpacked ? fresh : old)) << now.size();
            for (const QString& name : QDir(dataFolder).entryList(QDir::Files | QDir::Hidden)) {
                if (crash)
                    EXPECT_TRUE(name == "sample.tvf" || !name.endsWith(".tvf", Qt::CaseInsensitive))
                        << name.toStdString();
                else
                    EXPECT_EQ(name, "sample.tvf");
            }
        }
        EXPECT_TRUE(unpacked);
    }
    ScanDataFolder(0);
    ASSERT_EQ(theDataFiles.size(), 1u);
    MakeDanishCurrent();
    ExpectSampleContent(content, theDataFiles.front());
}

} // namespace
