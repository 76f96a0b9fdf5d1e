// The archive's interface: its states, password rules, finding, the smartness rules, extraction into
// memory and onto the disk, the close modes and the format's limits.

#include "packages/zip/ZipPlatformOps.h"
#include "platform/files/FaultyFileSystem.h"
#include "tests/zip/ZipTestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <unistd.h>

using namespace lumivo::test;

namespace
{

class ZipArchiveTest : public lumivo::test::LumivoTest
{
protected:
    QString makeArchive(const QStringList& names, const QString& password = {})
    {
        const QString path = tempPath("a.zip");
        CZipArchive archive;
        archive.Open(path, CZipArchive::zipCreate);
        archive.SetPassword(password);
        for (const QString& name : names)
            EXPECT_TRUE(addBytes(archive, name, contentOf(name)));
        archive.Close();
        return path;
    }
    static QByteArray contentOf(const QString& name)
    {
        return compressibleText(1000 + name.size() * 37, qHash(name));
    }
};

TEST_F(ZipArchiveTest, AnEmptyArchiveIsTheEndRecordAlone)
{
    const QString path = makeArchive({});
    EXPECT_EQ(QFileInfo(path).size(), 22);
    const ProcessResult names =
        python("import zipfile,sys; print(zipfile.ZipFile(sys.argv[1]).namelist())", {path});
    EXPECT_EQ(names.out.trimmed(), "[]");

    // The same in a memory file that never received a byte before the close.
    CZipMemoryFile memory(1024);
    CZipArchive archive;
    ASSERT_TRUE(archive.OpenOnFile(memory, CZipArchive::zipCreate));
    archive.Close();
    EXPECT_EQ(memory.GetLength(), 22u);
    ASSERT_TRUE(archive.OpenOnFile(memory, CZipArchive::zipOpenReadOnly));
    EXPECT_EQ(archive.GetCount(), 0);
}

TEST_F(ZipArchiveTest, PasswordsAreSingleByteTextClearedByOpen)
{
    CZipArchive archive;
    EXPECT_TRUE(archive.SetPassword(QStringLiteral("secret"))); // allowed while closed
    EXPECT_FALSE(archive.SetPassword(QStringLiteral("pässword")));
    EXPECT_EQ(archive.GetPassword(), "");
    archive.SetPassword(QStringLiteral("secret"));
    archive.Open(tempPath("p.zip"), CZipArchive::zipCreate);
    EXPECT_EQ(archive.GetPassword(), "") << "Open clears the password";

    CZipEntryHeader header;
    header.SetFileName(QStringLiteral("piece.txt"));
    ASSERT_TRUE(archive.OpenNewEntry(header));
    EXPECT_FALSE(archive.SetPassword(QStringLiteral("late"))) << "refused while an entry is written";
    EXPECT_FALSE(archive.OpenNewEntry(header)) << "one entry at a time";
    archive.WriteNewEntry("abc", 3);
    archive.WriteNewEntry("def", 3);
    EXPECT_TRUE(archive.CloseNewEntry());
    archive.Close();

    CZipArchive reread;
    reread.Open(tempPath("p.zip"), CZipArchive::zipOpenReadOnly);
    ASSERT_TRUE(reread.OpenEntry(0));
    char buffer[16];
    EXPECT_EQ(reread.ReadEntry(buffer, 2), 2u);
    EXPECT_EQ(reread.ReadEntry(buffer + 2, 16), 4u);
    EXPECT_EQ(QByteArray(buffer, 6), "abcdef");
    EXPECT_EQ(reread.CloseEntry(), 1);
}

TEST_F(ZipArchiveTest, FindsEntriesByNameAndPattern)
{
    QDir().mkpath(tempPath("in/V2.1/x"));
    writeFile(tempPath("in/V2.1/x/BgName.str"), "page");
    writeFile(tempPath("in/V2.1/x/xBgName.str"), "other");
    ASSERT_EQ(run(QStringLiteral("zip"), {"-q", "-r", tempPath("peer.zip"), "V2.1"}, tempPath("in")).exitCode,
              0);
    CZipArchive archive;
    archive.Open(tempPath("peer.zip"));
    const int index = archive.FindEntry(QStringLiteral("v2.1\\x\\BGNAME.STR"));
    ASSERT_GE(index, 0);
    CZipEntryHeader header;
    archive.GetEntryInfo(header, index);
    EXPECT_EQ(header.GetFileName(), "V2.1\\x\\BgName.str");
    EXPECT_EQ(archive.FindEntry(QStringLiteral("v2.1/x/bgname.str"), CZipArchive::ffCaseSens), -1);
    EXPECT_EQ(archive.FindEntry(QStringLiteral("V2.1/x/BgName.str"), CZipArchive::ffCaseSens), index);
    EXPECT_EQ(archive.FindEntry(QStringLiteral("bgname.str"), CZipArchive::ffDefault, true), index);
    // Name only compares the whole given name with each entry's last component; it is not cut first.
    EXPECT_EQ(archive.FindEntry(QStringLiteral("elsewhere\\bgname.str"), CZipArchive::ffDefault, true), -1);
    EXPECT_EQ(archive.FindEntry(QStringLiteral("x/BgName.str"), CZipArchive::ffCaseSens, true), -1);

    std::vector<std::uint16_t> found{999};
    archive.FindMatches(QStringLiteral("BgName.str"), found, false);
    EXPECT_EQ(found, (std::vector<std::uint16_t>{999, static_cast<std::uint16_t>(index)})) << "appends";
    found.clear();
    archive.FindMatches(QStringLiteral("*.str"), found, true);
    EXPECT_EQ(found.size(), 2u);
    archive.Close();
    EXPECT_EQ(archive.FindEntry(QStringLiteral("x")), -1);
}

TEST_F(ZipArchiveTest, SmartnessStoresTinyEntriesAndLeavesEmptyOnesUnencrypted)
{
    CZipArchive archive;
    archive.Open(tempPath("s.zip"), CZipArchive::zipCreate);
    archive.SetPassword(QStringLiteral("pw"));
    addBytes(archive, QStringLiteral("empty"), {});
    addBytes(archive, QStringLiteral("tiny"), "abcd");
    addBytes(archive, QStringLiteral("odd level"), compressibleText(500, 1), 10);
    addBytes(archive, QStringLiteral("random"), randomBytes(4000, 1), 9, CZipArchive::zipsmCheckForEff);
    archive.Close();

    archive.Open(tempPath("s.zip"), CZipArchive::zipOpenReadOnly);
    CZipEntryHeader empty, tiny, odd, random;
    archive.GetEntryInfo(empty, 0);
    archive.GetEntryInfo(tiny, 1);
    archive.GetEntryInfo(odd, 2);
    archive.GetEntryInfo(random, 3);
    EXPECT_EQ(empty.m_uFlag, 0);
    EXPECT_EQ(tiny.m_uMethod, 0);
    EXPECT_EQ(tiny.m_uComprSize, 16u);
    EXPECT_EQ(odd.m_uMethod, 8);
    EXPECT_EQ(odd.m_uFlag, 9) << "a level outside -1..9 is the default level";
    EXPECT_EQ(random.m_uMethod, 0) << "came out larger compressed, so stored";
    EXPECT_EQ(extractBytes(archive, 0), QByteArray()) << "no password needed";
    archive.SetPassword(QStringLiteral("pw"));
    EXPECT_EQ(extractBytes(archive, 3), randomBytes(4000, 1));
    archive.Close();
}

TEST_F(ZipArchiveTest, EncryptionHeadersDifferEvenWithinOneSecond)
{
    CZipMemoryFile memory(1024);
    CZipArchive archive;
    archive.OpenOnFile(memory, CZipArchive::zipCreate);
    archive.SetPassword(QStringLiteral("pw"));
    const QByteArray same = compressibleText(100, 1);
    for (int i = 0; i < 8; ++i)
        addBytes(archive, QStringLiteral("same%1").arg(i), same);
    archive.Close();
    ASSERT_TRUE(archive.OpenOnFile(memory, CZipArchive::zipOpenReadOnly));
    QSet<QByteArray> headers;
    for (int i = 0; i < 8; ++i) {
        CZipEntryHeader header;
        archive.GetEntryInfo(header, i);
        const auto start = static_cast<qsizetype>(header.m_uOffset + 30 + header.GetArchiveName().size());
        headers.insert(QByteArray(memory.data() + start, 12));
    }
    EXPECT_EQ(headers.size(), 8);
}

TEST_F(ZipArchiveTest, ExtractingIntoMemoryAppendsAndCanRewind)
{
    const QString path = makeArchive({QStringLiteral("one.txt")});
    CZipArchive archive;
    archive.Open(path);
    CZipMemoryFile target(1024);
    target.Write("prefix", 6);
    target.Seek(2, CZipFileBase::begin);
    ASSERT_TRUE(archive.ExtractToMemory(0, target, true));
    EXPECT_EQ(target.GetPosition(), 2u);
    EXPECT_EQ(target.GetLength(), 6u + contentOf(QStringLiteral("one.txt")).size());
    EXPECT_FALSE(archive.ExtractToMemory(1, target)) << "no such index";
    EXPECT_FALSE(archive.ExtractToMemory(0, target, true, 0)) << "no buffer";
}

TEST_F(ZipArchiveTest, ExtractsToDiskButNeverOutsideTheTargetFolder)
{
    CZipArchive archive;
    archive.Open(tempPath("x.zip"), CZipArchive::zipCreate);
    for (const QString& name :
         {QStringLiteral("sub\\good.txt"), QStringLiteral("../evil.txt"), QStringLiteral("/abs.txt"),
          QStringLiteral("link\\escape.txt"), QStringLiteral("a\\..\\..\\evil2.txt")})
        addBytes(archive, name, "content " + name.toUtf8());
    archive.Close();

    QDir().mkpath(tempPath("out"));
    QDir().mkpath(tempPath("elsewhere"));
    ASSERT_EQ(
        ::symlink(tempPath("elsewhere").toUtf8().constData(), tempPath("out/link").toUtf8().constData()), 0);
    archive.Open(tempPath("x.zip"), CZipArchive::zipOpenReadOnly);
    EXPECT_TRUE(archive.ExtractToFile(0, tempPath("out")));
    EXPECT_EQ(readFile(tempPath("out/sub/good.txt")), "content sub\\good.txt");
    for (int i = 1; i < archive.GetCount(); ++i)
        EXPECT_FALSE(archive.ExtractToFile(i, tempPath("out"))) << i;
    EXPECT_FALSE(QFileInfo::exists(tempPath("evil.txt")));
    EXPECT_FALSE(QFileInfo::exists(tempPath("elsewhere/escape.txt")));
    EXPECT_TRUE(QDir(tempPath("elsewhere")).isEmpty());
    // The entry's time is given to the file.
    CZipEntryHeader header;
    archive.GetEntryInfo(header, 0);
    EXPECT_EQ(QFileInfo(tempPath("out/sub/good.txt")).lastModified().toSecsSinceEpoch(), header.GetTime());
}

TEST_F(ZipArchiveTest, AFailedExtractionLeavesTheTargetAsItWas)
{
    CZipArchive archive;
    archive.Open(tempPath("bad.zip"), CZipArchive::zipCreate);
    addBytes(archive, QStringLiteral("stored.bin"), randomBytes(5000, 1), 0);
    archive.Close();
    QByteArray bytes = readFile(tempPath("bad.zip"));
    bytes[100] = static_cast<char>(bytes[100] ^ 1); // inside the stored data: the CRC no longer matches
    writeFile(tempPath("bad.zip"), bytes);

    QDir().mkpath(tempPath("out"));
    writeFile(tempPath("out/stored.bin"), "the older file");
    archive.Open(tempPath("bad.zip"), CZipArchive::zipOpenReadOnly);
    EXPECT_EQ(causeOf([&] { archive.ExtractToFile(0, tempPath("out")); }), CZipException::badCrc);
    EXPECT_EQ(readFile(tempPath("out/stored.bin")), "the older file");
    EXPECT_EQ(QDir(tempPath("out")).entryList(QDir::Files | QDir::Hidden), QStringList{"stored.bin"})
        << "no partial file left";
    EXPECT_FALSE(archive.OpenEntry(5));
    EXPECT_TRUE(archive.OpenEntry(0)) << "the failed entry was closed";
    archive.CloseEntry(nullptr, true);
}

TEST_F(ZipArchiveTest, ClosingCanDateTheFileAfterItsNewestEntry)
{
    QDir().mkpath(tempPath("src"));
    writeFile(tempPath("src/old.txt"), "old");
    const QDateTime when(QDate(2020, 5, 17), QTime(10, 30, 0));
    ASSERT_TRUE(ZipPlatformOps::WriteModTime(tempPath("src/old.txt"), when.toSecsSinceEpoch()));
    CZipArchive archive;
    archive.Open(tempPath("t.zip"), CZipArchive::zipCreate);
    archive.AddEntryFromPath(tempPath("src/old.txt"), -1, false);
    archive.Close(CZipArchive::closeNormal, true);
    EXPECT_EQ(QFileInfo(tempPath("t.zip")).lastModified(), when);

    EXPECT_EQ(causeOf([&] { archive.Open(tempPath("span.zip"), CZipArchive::zipCreateSpan); }),
              CZipException::nonRemovable);
    EXPECT_TRUE(archive.IsClosed());
}

TEST_F(ZipArchiveTest, AddsFilesAndFoldersFromDisk)
{
    QDir().mkpath(tempPath("src/folder"));
    writeFile(tempPath("src/folder/data.txt"), compressibleText(5000, 7));
    CZipArchive archive;
    archive.Open(tempPath("d.zip"), CZipArchive::zipCreate);
    archive.SetPassword(QStringLiteral("pw"));
    archive.SetRootPath(tempPath("src"));
    EXPECT_EQ(archive.PredictEntryName(tempPath("src/folder/data.txt"), false), "folder\\data.txt");
    EXPECT_TRUE(archive.AddEntryFromPath(tempPath("src/folder"), -1, false));
    EXPECT_TRUE(archive.AddEntryFromPath(tempPath("src/folder/data.txt"), -1, false));
    EXPECT_EQ(archive.FindPredictedEntry(tempPath("src/folder/data.txt"), false, false), 1);
    // A folder opened by hand with a compression level is stored all the same, in both headers.
    CZipEntryHeader manual;
    manual.SetFileName(QStringLiteral("manual\\"));
    manual.m_uExternalAttr = 0x10;
    ASSERT_TRUE(archive.OpenNewEntry(manual, 9));
    archive.CloseNewEntry();
    archive.Close();
    const ProcessResult listing = run(QStringLiteral("unzip"), {"-P", "pw", "-t", tempPath("d.zip")});
    EXPECT_EQ(listing.exitCode, 0) << listing.out.constData();
    EXPECT_TRUE(listing.out.contains("folder/data.txt")) << listing.out.constData();
    EXPECT_TRUE(listing.out.contains("manual/")) << listing.out.constData();

    archive.Open(tempPath("d.zip"), CZipArchive::zipOpenReadOnly);
    CZipEntryHeader folder;
    archive.GetEntryInfo(folder, 0);
    EXPECT_TRUE(folder.IsDirectory());
    EXPECT_EQ(folder.m_uFlag & 1, 0) << "folders are not encrypted";
    EXPECT_TRUE(archive.TestEntry(0));
    archive.SetPassword(QStringLiteral("pw"));
    EXPECT_TRUE(archive.TestEntry(1));
    EXPECT_TRUE(archive.ExtractToFile(0, tempPath("out")));
    EXPECT_TRUE(archive.ExtractToFile(1, tempPath("out")));
    EXPECT_EQ(readFile(tempPath("out/folder/data.txt")), compressibleText(5000, 7));
}

TEST_F(ZipArchiveTest, CloseModesDecideWhetherTheDirectoryIsWritten)
{
    for (const int mode : {CZipArchive::closeNormal, CZipArchive::closeAfterException,
                           CZipArchive::closeAfterExceptionWrite}) {
        const QString path = tempPath(QStringLiteral("c%1.zip").arg(mode));
        CZipArchive archive;
        archive.Open(path, CZipArchive::zipCreate);
        addBytes(archive, QStringLiteral("done.txt"), compressibleText(3000, 1));
        // An entry left half-written, as after a failure.
        CZipEntryHeader header;
        header.SetFileName(QStringLiteral("half.txt"));
        ASSERT_TRUE(archive.OpenNewEntry(header));
        const QByteArray half = randomBytes(200000, 2);
        archive.WriteNewEntry(half.constData(), static_cast<std::size_t>(half.size()));
        if (mode == CZipArchive::closeNormal)
            archive.CloseNewEntry();
        archive.Close(mode);
        EXPECT_TRUE(archive.IsClosed());
        const int unzip = run(QStringLiteral("unzip"), {"-t", "-q", path}).exitCode;
        if (mode == CZipArchive::closeAfterException) {
            EXPECT_NE(unzip, 0) << "no directory was written";
        } else {
            EXPECT_EQ(unzip, 0);
            CZipArchive reread;
            reread.Open(path, CZipArchive::zipOpenReadOnly);
            EXPECT_EQ(reread.GetCount(), mode == CZipArchive::closeNormal ? 2 : 1);
            if (mode == CZipArchive::closeAfterExceptionWrite) {
                EXPECT_LT(QFileInfo(path).size(), 10000) << "the unfinished entry's bytes are cut off";
            }
        }
    }
}

TEST_F(ZipArchiveTest, ADiskThatFailsMidWayGivesAClearErrorAndNoFalseArchive)
{
    for (int failing = 1; failing <= 4; ++failing) {
        const QString path = tempPath(QStringLiteral("fail%1.zip").arg(failing));
        {
            lumivo::files::FaultyFileSystem faulty(lumivo::files::fileSystem());
            lumivo::files::ScopedFileSystem scope(faulty);
            faulty.failAt(lumivo::files::FaultyFileSystem::Operation::Write, failing, false);
            CZipArchive archive;
            archive.Open(path, CZipArchive::zipCreate);
            archive.SetPassword(QStringLiteral("pw"));
            int cause = 0;
            for (int i = 0; i < 6 && cause == 0; ++i)
                cause = causeOf([&] { addBytes(archive, QString::number(i), randomBytes(40000, i)); });
            EXPECT_EQ(cause, 5) << "an I/O error, write " << failing;
            archive.Close(CZipArchive::closeAfterExceptionWrite);
            EXPECT_TRUE(archive.IsClosed());
        }
        // Whatever is left is refused or reads right; it never passes wrong data off as good.
        CZipArchive reread;
        const int cause = causeOf([&] {
            reread.Open(path, CZipArchive::zipOpenReadOnly);
            reread.SetPassword(QStringLiteral("pw"));
            for (int i = 0; i < reread.GetCount(); ++i)
                EXPECT_EQ(extractBytes(reread, i), randomBytes(40000, i));
        });
        EXPECT_TRUE(cause == 0 || cause == 116 || cause == 101) << cause;
    }
}

TEST_F(ZipArchiveTest, NoMoreEntriesThanTheFormatCanCount)
{
    CZipMemoryFile memory(1 << 20);
    CZipArchive archive;
    ASSERT_TRUE(archive.OpenOnFile(memory, CZipArchive::zipCreate));
    for (int i = 0; i < CZipArchive::kMaxEntries; ++i) {
        CZipEntryHeader header;
        header.SetFileName(QString::number(i));
        ASSERT_TRUE(archive.OpenNewEntry(header, 0)) << i;
        archive.CloseNewEntry();
    }
    EXPECT_FALSE(addBytes(archive, QStringLiteral("one too many"), "x"));
    // Nor by a copy that was to replace an entry of its name and found none.
    CZipMemoryFile otherMemory(1024);
    CZipArchive other;
    other.OpenOnFile(otherMemory, CZipArchive::zipCreate);
    addBytes(other, QStringLiteral("not in the full one"), "x");
    other.Flush();
    EXPECT_FALSE(archive.GetFromArchive(other, 0, -2));
    EXPECT_EQ(archive.GetCount(), CZipArchive::kMaxEntries);
    archive.Close();
    CZipArchive reread;
    ASSERT_TRUE(reread.OpenOnFile(memory, CZipArchive::zipOpenReadOnly));
    EXPECT_EQ(reread.GetCount(), CZipArchive::kMaxEntries);
}

TEST_F(ZipArchiveTest, AnArchiveThatWouldPassFourGigabytesIsRefused)
{
    // A sparse archive whose only entry claims nearly 4 GiB of stored data.
    const std::uint32_t bigSize = 0xFFFFFF00u;
    const char* script = R"(
import struct, sys
path, size = sys.argv[1], int(sys.argv[2])
name = b'big.bin'
local = struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, 0, 0, 0, 0x21, 0, size, size, len(name), 0) + name
central = struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 20, 20, 0, 0, 0, 0x21, 0, size, size, len(name),
                      0, 0, 0, 0, 0x81a40020, 0) + name
with open(path, 'wb') as f:
    f.write(local)
    f.seek(len(local) + size)
    f.write(central)
    f.write(struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, 1, 1, len(central), len(local) + size, 0))
)";
    const ProcessResult made =
        python(QString::fromLatin1(script), {tempPath("big.zip"), QString::number(bigSize)});
    ASSERT_EQ(made.exitCode, 0) << made.err.constData();
    CZipArchive archive;
    archive.Open(tempPath("big.zip"));
    ASSERT_EQ(archive.GetCount(), 1);
    const int cause = causeOf([&] { addBytes(archive, QStringLiteral("more.bin"), randomBytes(1000, 1)); });
    EXPECT_EQ(cause, CZipException::tooLarge);
    archive.Close(CZipArchive::closeAfterException);

    // An entry that itself fits, but leaves no room for the directory behind it (122 bytes here), is
    // refused too, and the archive can still be closed whole without it.
    const std::uint32_t nearlyFull = 0xFFFFFFFFu - 131;
    ASSERT_EQ(
        python(QString::fromLatin1(script), {tempPath("full.zip"), QString::number(nearlyFull)}).exitCode, 0);
    archive.Open(tempPath("full.zip"));
    EXPECT_EQ(causeOf([&] { addBytes(archive, QStringLiteral("x"), "abc"); }), CZipException::tooLarge);
    archive.Close(CZipArchive::closeAfterExceptionWrite);
    archive.Open(tempPath("full.zip"), CZipArchive::zipOpenReadOnly);
    EXPECT_EQ(archive.GetCount(), 1);
}

} // namespace
