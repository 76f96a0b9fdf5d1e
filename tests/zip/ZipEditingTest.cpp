// Changing an archive in place: deleting, replacing, copying between archives, comments, flushing
// and the progress callbacks that may stop an operation.

#include "tests/zip/ZipTestSupport.h"

#include <QDir>
#include <QFileInfo>

using namespace lumivo::test;

namespace
{

const QString kPassword = QStringLiteral("pw");

class ZipEditingTest : public lumivo::test::LumivoTest
{
protected:
    QString makeArchive(int count, const QString& password = kPassword)
    {
        const QString path = tempPath("e.zip");
        CZipArchive archive;
        archive.Open(path, CZipArchive::zipCreate);
        archive.SetPassword(password);
        for (int i = 0; i < count; ++i)
            EXPECT_TRUE(addBytes(archive, name(i), content(i)));
        archive.Close();
        return path;
    }
    static QString name(int i) { return QStringLiteral("dir\\entry%1.txt").arg(i); }
    static QByteArray content(int i)
    {
        return i % 2 ? randomBytes(3000 + i, i) : compressibleText(9000 + i, i);
    }

    // Every entry's bytes, checked by the library and by unzip.
    QList<QByteArray> contents(const QString& path, const QString& password = kPassword)
    {
        QStringList test{QStringLiteral("-t"), QStringLiteral("-q"), path};
        if (!password.isEmpty())
            test = QStringList{QStringLiteral("-P"), password} + test;
        const ProcessResult unzip = run(QStringLiteral("unzip"), test);
        EXPECT_EQ(unzip.exitCode, 0) << unzip.out.constData();
        CZipArchive archive;
        archive.Open(path, CZipArchive::zipOpenReadOnly);
        archive.SetPassword(password);
        QList<QByteArray> all;
        for (int i = 0; i < archive.GetCount(); ++i)
            all << extractBytes(archive, i);
        return all;
    }
};

TEST_F(ZipEditingTest, DeletingEverythingLeavesTheEndRecordAlone)
{
    const QString path = makeArchive(5);
    CZipArchive archive;
    archive.Open(path);
    archive.DeleteEntries(std::vector<std::uint16_t>{4, 0, 2, 1, 3, 3});
    EXPECT_EQ(QFileInfo(path).size(), 0) << "until the directory is written";
    archive.Close();
    EXPECT_EQ(QFileInfo(path).size(), 22);
}

TEST_F(ZipEditingTest, DeletingTheLastEntryOnlyShortensTheFile)
{
    const QString path = makeArchive(3);
    CZipArchive archive;
    archive.Open(path);
    CZipEntryHeader last;
    archive.GetEntryInfo(last, 2);
    const QByteArray before = readFile(path);
    archive.DeleteEntry(2);
    archive.Flush();
    const QByteArray after = readFile(path);
    EXPECT_EQ(after.left(static_cast<qsizetype>(last.m_uOffset)),
              before.left(static_cast<qsizetype>(last.m_uOffset)));
    archive.Close();
    EXPECT_EQ(contents(path), (QList<QByteArray>{content(0), content(1)}));
}

TEST_F(ZipEditingTest, DeletingByNameSkipsNamesNotFound)
{
    const QString path = makeArchive(4, {});
    CZipArchive archive;
    archive.Open(path);
    archive.DeleteEntries(QStringList{name(1), QStringLiteral("nothing"), QStringLiteral("DIR/ENTRY3.TXT")});
    archive.Close();
    EXPECT_EQ(contents(path, {}), (QList<QByteArray>{content(0), content(2)}));
}

TEST_F(ZipEditingTest, ReplacingAnEntryKeepsItsIndex)
{
    const QString path = makeArchive(4);
    CZipArchive archive;
    archive.Open(path);
    archive.SetPassword(kPassword);
    const QByteArray longer = compressibleText(50000, 99);
    const QByteArray shorter = "short now";
    CZipMemoryFile source(1024);
    for (const auto& [index, bytes, level] :
         {std::tuple{1, longer, -1}, std::tuple{2, shorter, 0}, std::tuple{3, randomBytes(100, 5), -1}}) {
        source.Attach(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        CZipAddEntryInfo info;
        info.m_pFile = &source;
        info.m_szFileNameInZip = name(index);
        info.m_iComprLevel = level;
        info.m_iReplaceIndex = index;
        info.m_iSmartLevel = CZipArchive::zipsmSafeSmart | CZipArchive::zipsmMemoryFlag;
        EXPECT_TRUE(archive.AddEntry(info)) << index;
    }
    // A source that is not there replaces nothing: the last entry is not removed ahead of the add.
    CZipAddEntryInfo missing;
    missing.m_szFilePath = tempPath("no such file");
    missing.m_szFileNameInZip = name(3);
    missing.m_iReplaceIndex = 3;
    EXPECT_FALSE(archive.AddEntry(missing));
    EXPECT_EQ(archive.GetCount(), 4);
    archive.Close();
    EXPECT_EQ(contents(path), (QList<QByteArray>{content(0), longer, shorter, randomBytes(100, 5)}));
}

TEST_F(ZipEditingTest, ReplacingThroughATemporaryFileOnDisk)
{
    const QString path = makeArchive(3);
    CZipArchive archive;
    archive.Open(path);
    archive.SetPassword(kPassword);
    archive.SetTempPath(tempPath("tmp"));
    CZipMemoryFile source(1024);
    const QByteArray bytes = compressibleText(70000, 3);
    source.Attach(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    CZipAddEntryInfo info;
    info.m_pFile = &source;
    info.m_szFileNameInZip = name(0);
    info.m_iReplaceIndex = -2; // the entry that bears the name
    EXPECT_TRUE(archive.AddEntry(info));
    archive.Close();
    EXPECT_EQ(contents(path), (QList<QByteArray>{bytes, content(1), content(2)}));
    EXPECT_TRUE(QDir(tempPath("tmp")).isEmpty()) << "the temporary archive is removed";
}

TEST_F(ZipEditingTest, CopiesEntriesRawBetweenArchives)
{
    const QString from = makeArchive(4);
    CZipArchive source;
    source.Open(from, CZipArchive::zipOpenReadOnly);
    CZipArchive target;
    target.Open(tempPath("copy.zip"), CZipArchive::zipCreate);
    addBytes(target, QStringLiteral("own.txt"), "own bytes");
    EXPECT_TRUE(target.GetFromArchive(source, std::vector<std::uint16_t>{3, 1}));
    EXPECT_TRUE(target.GetFromArchive(source, 0, 0)); // replaces own.txt
    target.Close();
    const QList<QByteArray> copied = contents(tempPath("copy.zip"));
    EXPECT_EQ(copied, (QList<QByteArray>{content(0), content(1), content(3)}));
}

TEST_F(ZipEditingTest, CommentsAreWrittenWithTheDirectory)
{
    const QString path = makeArchive(2);
    CZipArchive archive;
    archive.Open(path);
    EXPECT_TRUE(archive.SetGlobalComment(QStringLiteral("pages for Ida")));
    EXPECT_TRUE(archive.SetEntryComment(1, QStringLiteral("the second")));
    EXPECT_FALSE(archive.SetGlobalComment(QString(65536, 'c'))) << "longer than the length field holds";
    archive.Close();
    const ProcessResult read = python("import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
                                      "print(z.comment.decode(), z.infolist()[1].comment.decode())",
                                      {path});
    EXPECT_EQ(read.out.trimmed(), "pages for Ida the second");
    archive.Open(path, CZipArchive::zipOpenReadOnly);
    EXPECT_EQ(archive.GetGlobalComment(), "pages for Ida");
}

TEST_F(ZipEditingTest, FlushLeavesAValidArchiveWhileItStaysOpen)
{
    const QString path = tempPath("f.zip");
    CZipArchive archive;
    archive.Open(path, CZipArchive::zipCreate);
    EXPECT_EQ(archive.SetAutoFlush(true), 0);
    addBytes(archive, QStringLiteral("a.txt"), compressibleText(4000, 1));
    EXPECT_EQ(run(QStringLiteral("unzip"), {"-t", "-q", path}).exitCode, 0);
    addBytes(archive, QStringLiteral("b.txt"), compressibleText(4000, 2));
    EXPECT_EQ(run(QStringLiteral("unzip"), {"-t", "-q", path}).exitCode, 0);
    archive.Close();
    EXPECT_EQ(archive.SetAutoFlush(true), 1) << "closed";
}

TEST_F(ZipEditingTest, AutoFlushAlsoFollowsAReplacementAndARemoval)
{
    const QString path = makeArchive(3, {});
    CZipArchive archive;
    archive.Open(path);
    ASSERT_EQ(archive.SetAutoFlush(true), 0);
    const QByteArray bytes = compressibleText(20000, 7);
    CZipMemoryFile source(1024);
    source.Attach(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    for (const int index : {0, 2}) { // through a temporary archive; in place of the last entry
        CZipAddEntryInfo info;
        info.m_pFile = &source;
        info.m_szFileNameInZip = name(index);
        info.m_iReplaceIndex = index;
        info.m_iSmartLevel = CZipArchive::zipsmSafeSmart | CZipArchive::zipsmMemoryFlag;
        ASSERT_TRUE(archive.AddEntry(info)) << index;
        EXPECT_EQ(run(QStringLiteral("unzip"), {"-t", "-q", path}).exitCode, 0) << index;
    }
    ASSERT_TRUE(archive.RemoveLastEntry(true));
    EXPECT_EQ(run(QStringLiteral("unzip"), {"-t", "-q", path}).exitCode, 0);
    const ProcessResult listed =
        python("import zipfile,sys; print(len(zipfile.ZipFile(sys.argv[1]).infolist()))", {path});
    EXPECT_EQ(listed.out.trimmed(), "2");
    archive.Close();
}

// Stops after a given number of steps.
class StoppingCallback : public CZipActionCallback
{
public:
    explicit StoppingCallback(int allowed) : m_allowed(allowed) {}
    bool Callback(std::uint64_t) override { return m_allowed-- > 0; }

private:
    int m_allowed;
};

TEST_F(ZipEditingTest, ACallbackCanStopAnOperationCleanly)
{
    const QString path = makeArchive(2, {});
    CZipArchive archive;
    archive.Open(path);
    StoppingCallback stop(1);
    archive.SetCallback(&stop, CZipActionCallback::cbAdd | CZipActionCallback::cbExtract);
    CZipMemoryFile source(1024);
    const QByteArray big = randomBytes(300000, 1);
    source.Attach(big.constData(), static_cast<std::size_t>(big.size()));
    EXPECT_EQ(causeOf([&] { archive.AddEntryFromMemory(source, QStringLiteral("big"), -1, 7, 65536); }),
              CZipException::abortedSafely);
    EXPECT_EQ(archive.GetCount(), 2) << "the stopped entry is gone";
    StoppingCallback stopAtOnce(0);
    archive.SetCallback(&stopAtOnce, CZipActionCallback::cbExtract);
    CZipMemoryFile target(1024);
    EXPECT_EQ(causeOf([&] { archive.ExtractToMemory(0, target, true, 1000); }), CZipException::abortedAction);
    archive.SetCallback(nullptr);
    archive.Close();
    EXPECT_EQ(contents(path, {}), (QList<QByteArray>{content(0), content(1)}));
}

} // namespace
