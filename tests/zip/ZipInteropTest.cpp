// The library against the real peers: Info-ZIP's zip, unzip and zipinfo, and Python's zipfile.

#include "tests/zip/ZipTestSupport.h"

#include <QDir>
#include <QFileInfo>

#include <map>

using namespace lumivo::test;

namespace
{

const QString kPassword = QStringLiteral("Wb5nKe27rD");

// Reads every entry with Python and compares it with the file of the same name under `expected`;
// prints one line per entry: name, flag bits, method, compressed and uncompressed size.
const char* const kPythonCompare = R"(
import sys, zipfile, os
archive, pwd, expected = sys.argv[1], sys.argv[2].encode() or None, sys.argv[3]
with zipfile.ZipFile(archive) as z:
    for info in z.infolist():
        data = z.read(info.filename, pwd=pwd)
        with open(os.path.join(expected, info.filename), 'rb') as f:
            if data != f.read():
                print('DIFF', info.filename)
                sys.exit(1)
        print(info.filename, info.flag_bits, info.compress_type, info.compress_size, info.file_size)
)";

class ZipInteropTest : public lumivo::test::LumivoTest
{
protected:
    struct Listed {
        int flags;
        int method;
        long long compressed;
        long long size;
    };

    // Writes the data set as files under expected/ and returns name -> bytes.
    std::map<QString, QByteArray> makeDataSet()
    {
        std::map<QString, QByteArray> set;
        const std::size_t sizes[] = {0, 1, 4, 5, 65535, 65536, 1 << 20};
        std::uint32_t seed = 1;
        for (const std::size_t size : sizes) {
            set[QStringLiteral("random_%1.bin").arg(size)] = randomBytes(size, seed++);
            set[QStringLiteral("text_%1.txt").arg(size)] = compressibleText(size, seed++);
        }
        QDir().mkpath(tempPath("expected"));
        for (const auto& [name, bytes] : set)
            writeFile(tempPath("expected/" + name), bytes);
        return set;
    }

    QString writeWithLibrary(const std::map<QString, QByteArray>& set, const QString& password)
    {
        const QString path = tempPath(password.isEmpty() ? "plain.zip" : "locked.zip");
        CZipArchive archive;
        archive.Open(path, CZipArchive::zipCreate);
        EXPECT_TRUE(archive.SetPassword(password));
        for (const auto& [name, bytes] : set)
            EXPECT_TRUE(addBytes(archive, name, bytes));
        archive.Close();
        return path;
    }

    std::map<QString, Listed> pythonReads(const QString& archive, const QString& password)
    {
        const ProcessResult result =
            python(QString::fromLatin1(kPythonCompare), {archive, password, tempPath("expected")});
        EXPECT_EQ(result.exitCode, 0) << result.out.constData() << result.err.constData();
        std::map<QString, Listed> listed;
        for (const QByteArray& line : result.out.split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() == 5)
                listed[QString::fromUtf8(f[0])] = {f[1].toInt(), f[2].toInt(), f[3].toLongLong(),
                                                   f[4].toLongLong()};
        }
        return listed;
    }

    // Makes files with `zip` (arguments before the archive name) and returns the archive path.
    QString zipWithPeer(const QString& archiveName, const QStringList& options, const QStringList& files)
    {
        const QString path = tempPath(archiveName);
        const ProcessResult result =
            run(QStringLiteral("zip"), options + QStringList{path} + files, tempPath("expected"));
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
        return path;
    }

    void expectLibraryReads(const QString& path, const QString& password,
                            const std::map<QString, QByteArray>& set, int expectedCount)
    {
        CZipArchive archive;
        archive.Open(path, CZipArchive::zipOpenReadOnly);
        archive.SetPassword(password);
        ASSERT_EQ(archive.GetCount(), expectedCount);
        for (int i = 0; i < archive.GetCount(); ++i) {
            CZipEntryHeader header;
            ASSERT_TRUE(archive.GetEntryInfo(header, i));
            bool ok = false;
            const QByteArray data = extractBytes(archive, i, &ok);
            EXPECT_TRUE(ok) << header.GetFileName().toStdString();
            EXPECT_EQ(data, set.at(header.GetFileName())) << header.GetFileName().toStdString();
            EXPECT_TRUE(archive.TestEntry(i));
        }
        archive.Close();
    }
};

TEST_F(ZipInteropTest, ArchivesWrittenByTheLibraryPassUnzipAndPython)
{
    const auto set = makeDataSet();
    for (const QString& password : {QString(), kPassword}) {
        const QString path = writeWithLibrary(set, password);
        QStringList test{QStringLiteral("-t"), QStringLiteral("-q")};
        if (!password.isEmpty())
            test = QStringList{QStringLiteral("-P"), password} + test;
        const ProcessResult unzip = run(QStringLiteral("unzip"), test + QStringList{path});
        EXPECT_EQ(unzip.exitCode, 0) << unzip.out.constData() << unzip.err.constData();
        EXPECT_EQ(run(QStringLiteral("zipinfo"), {path}).exitCode, 0);

        const auto listed = pythonReads(path, password);
        ASSERT_EQ(listed.size(), set.size());
        for (const auto& [name, entry] : listed) {
            const long long size = entry.size;
            if (password.isEmpty()) {
                EXPECT_EQ(entry.flags & 1, 0) << name.toStdString();
            } else if (size == 0) {
                EXPECT_EQ(entry.flags, 0) << "an empty entry is stored without encryption";
            } else {
                EXPECT_EQ(entry.flags, 9) << name.toStdString();
            }
            // Smartness 7: below 5 bytes stored, from 5 bytes on deflated.
            EXPECT_EQ(entry.method, size < 5 ? 0 : 8) << name.toStdString();
            if (size > 0 && size < 5 && !password.isEmpty()) {
                EXPECT_EQ(entry.compressed, size + 12);
            }
        }
    }
}

TEST_F(ZipInteropTest, ArchivesWrittenByZipAreReadIdentically)
{
    const auto set = makeDataSet();
    QStringList files;
    for (const auto& entry : set)
        files << entry.first;
    const int count = static_cast<int>(files.size());
    const QStringList quiet{QStringLiteral("-q"), QStringLiteral("-X")};

    expectLibraryReads(zipWithPeer("deflated.zip", quiet, files), {}, set, count);
    expectLibraryReads(zipWithPeer("stored.zip", quiet + QStringList{"-0"}, files), {}, set, count);
    expectLibraryReads(zipWithPeer("locked.zip", quiet + QStringList{"-P", kPassword}, files), kPassword, set,
                       count);
    expectLibraryReads(zipWithPeer("locked-stored.zip", quiet + QStringList{"-0", "-P", kPassword}, files),
                       kPassword, set, count);

    // Written to a pipe: zero sizes in the local headers, data descriptors after the data.
    for (const QString& name : {QStringLiteral("text_1048576.txt"), QStringLiteral("random_0.bin"),
                                QStringLiteral("random_65536.bin")}) {
        for (const QString& password : {QString(), kPassword}) {
            QStringList options{QStringLiteral("-q")};
            if (!password.isEmpty())
                options << QStringLiteral("-P") << password;
            const ProcessResult piped =
                run(QStringLiteral("zip"), options + QStringList{QStringLiteral("-"), name},
                    tempPath("expected"));
            ASSERT_EQ(piped.exitCode, 0);
            writeFile(tempPath("piped.zip"), piped.out);
            expectLibraryReads(tempPath("piped.zip"), password, set, 1);
        }
    }
}

TEST_F(ZipInteropTest, AWrongPasswordNeverReturnsData)
{
    const std::map<QString, QByteArray> set{{QStringLiteral("a.txt"), compressibleText(5000, 3)},
                                            {QStringLiteral("b.bin"), randomBytes(3000, 4)}};
    QDir().mkpath(tempPath("expected"));
    for (const auto& [name, bytes] : set)
        writeFile(tempPath("expected/" + name), bytes);
    const QString peer = zipWithPeer("peer.zip", {"-q", "-P", kPassword}, {"a.txt", "b.bin"});
    const QString own = writeWithLibrary(set, kPassword);
    for (const QString& path : {peer, own}) {
        CZipArchive archive;
        archive.Open(path, CZipArchive::zipOpenReadOnly);
        for (int trial = 0; trial < 200; ++trial) {
            ASSERT_TRUE(archive.SetPassword(QStringLiteral("guess%1").arg(trial)));
            for (int i = 0; i < archive.GetCount(); ++i) {
                CZipMemoryFile target(1024);
                bool ok = false;
                const int cause = causeOf([&] { ok = archive.ExtractToMemory(i, target); });
                EXPECT_FALSE(ok);
                EXPECT_EQ(target.GetLength(), 0u) << "trial " << trial;
                if (cause) {
                    EXPECT_TRUE(cause == 110 || cause == 504 || cause == 102 || cause == 101) << cause;
                }
            }
        }
        // No password at all is refused as well.
        archive.SetPassword({});
        EXPECT_EQ(causeOf([&] { extractBytes(archive, 0); }), 110);
        archive.Close();
    }
}

TEST_F(ZipInteropTest, DeletingEntriesTwoAndFiveOfEightLeavesAValidArchive)
{
    std::map<QString, QByteArray> set;
    QDir().mkpath(tempPath("expected"));
    for (int i = 0; i < 8; ++i) {
        const QString name = QStringLiteral("entry%1.dat").arg(i);
        set[name] = i % 2 ? randomBytes(7000 + i * 1000, i) : compressibleText(20000 + i, i);
        writeFile(tempPath("expected/" + name), set[name]);
    }
    for (const bool fromZip : {false, true}) {
        QString path;
        if (fromZip) {
            QStringList files;
            for (const auto& entry : set)
                files << entry.first;
            path = zipWithPeer("peer.zip", {"-q", "-P", kPassword}, files);
        } else {
            path = writeWithLibrary(set, kPassword);
        }
        CZipArchive archive;
        archive.Open(path);
        archive.SetPassword(kPassword);
        CZipEntryHeader second, fifth, third;
        archive.GetEntryInfo(second, 1);
        archive.GetEntryInfo(third, 2);
        archive.GetEntryInfo(fifth, 4);
        const std::uint64_t secondSpan = third.m_uOffset - second.m_uOffset;
        CZipEntryHeader sixth;
        archive.GetEntryInfo(sixth, 5);
        const std::uint64_t fifthSpan = sixth.m_uOffset - fifth.m_uOffset;
        const qint64 before = QFileInfo(path).size();
        const std::size_t directoryBefore = [&] {
            CZipCentralDirInfo info;
            archive.GetCentralDirInfo(info);
            return info.m_uSize;
        }();
        archive.DeleteEntries(std::vector<std::uint16_t>{4, 1});
        EXPECT_EQ(archive.GetCount(), 6);
        archive.Close();
        const qint64 after = QFileInfo(path).size();
        const std::size_t removedHeaders = 2 * 46 + second.GetArchiveName().size() +
                                           fifth.GetArchiveName().size() + second.m_pExtraField.GetSize() +
                                           fifth.m_pExtraField.GetSize();
        (void)directoryBefore;
        EXPECT_EQ(before - after, static_cast<qint64>(secondSpan + fifthSpan + removedHeaders));

        const ProcessResult unzip = run(QStringLiteral("unzip"), {"-P", kPassword, "-t", "-q", path});
        EXPECT_EQ(unzip.exitCode, 0) << unzip.out.constData();
        const auto listed = pythonReads(path, kPassword);
        EXPECT_EQ(listed.size(), 6u);
        EXPECT_EQ(listed.count(second.GetFileName()), 0u);
        EXPECT_EQ(listed.count(fifth.GetFileName()), 0u);
    }
}

TEST_F(ZipInteropTest, RenamedEntriesShowTheNewNameInBothHeaders)
{
    std::map<QString, QByteArray> set;
    QDir().mkpath(tempPath("expected"));
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("name%1.txt").arg(i);
        set[name] = compressibleText(3000 + i, i);
        writeFile(tempPath("expected/" + name), set[name]);
    }
    const QString script = QStringLiteral(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for info in z.infolist():
        z.read(info.filename, pwd=sys.argv[2].encode() or None)  # checks the local header's name too
        print(info.filename)
)");
    for (const bool fromZip : {false, true}) {
        const QString path =
            fromZip ? zipWithPeer("peer.zip", {"-q"}, {"name0.txt", "name1.txt", "name2.txt", "name3.txt"})
                    : writeWithLibrary(set, kPassword);
        CZipArchive archive;
        archive.Open(path);
        const int equal = archive.FindEntry(QStringLiteral("name1.txt"));
        const int longer = archive.FindEntry(QStringLiteral("name2.txt"));
        const int shorter = archive.FindEntry(QStringLiteral("name3.txt"));
        EXPECT_TRUE(archive.RenameEntry(equal, QStringLiteral("eman1.txt")));
        EXPECT_TRUE(archive.RenameEntry(longer, QStringLiteral("folder/a much longer name.txt")));
        EXPECT_TRUE(archive.RenameEntry(shorter, QStringLiteral("n3")));
        archive.Close();
        const QString password = fromZip ? QString() : kPassword;
        QStringList test{QStringLiteral("-t"), QStringLiteral("-q"), path};
        if (!password.isEmpty())
            test = QStringList{QStringLiteral("-P"), password} + test;
        EXPECT_EQ(run(QStringLiteral("unzip"), test).exitCode, 0);
        const ProcessResult names = python(script, {path, password});
        ASSERT_EQ(names.exitCode, 0) << names.err.constData();
        EXPECT_EQ(names.out, QByteArray("name0.txt\neman1.txt\nfolder/a much longer name.txt\nn3\n"));

        CZipArchive reread;
        reread.Open(path, CZipArchive::zipOpenReadOnly);
        reread.SetPassword(password);
        EXPECT_EQ(extractBytes(reread, reread.FindEntry(QStringLiteral("folder\\a much longer name.txt"))),
                  set[QStringLiteral("name2.txt")]);
        EXPECT_EQ(extractBytes(reread, reread.FindEntry(QStringLiteral("n3"))),
                  set[QStringLiteral("name3.txt")]);
    }
}

TEST_F(ZipInteropTest, ARenamedUtf8NameOfAUnixArchiveKeepsItsFlag)
{
    const QString path = tempPath("unix.zip");
    const ProcessResult made = python(QStringLiteral(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    for name in ('ære.txt', 'plain.txt'):
        info = zipfile.ZipInfo(name)
        info.create_system = 3
        z.writestr(info, name)
)"),
                                      {path});
    ASSERT_EQ(made.exitCode, 0) << made.err.constData();
    CZipArchive archive;
    archive.Open(path);
    EXPECT_TRUE(archive.RenameEntry(archive.FindEntry(QStringLiteral("ære.txt")), QStringLiteral("øst.txt")));
    EXPECT_TRUE(
        archive.RenameEntry(archive.FindEntry(QStringLiteral("plain.txt")), QStringLiteral("så.txt")));
    archive.Close();
    const ProcessResult listed =
        python("import zipfile,sys\nfor i in zipfile.ZipFile(sys.argv[1]).infolist(): print(i.filename, "
               "i.flag_bits)",
               {path});
    EXPECT_EQ(QString::fromUtf8(listed.out), "øst.txt 2048\nså.txt 2048\n");
    EXPECT_EQ(run(QStringLiteral("unzip"), {"-t", "-q", path}).exitCode, 0);
}

// Python's zipfile writes a folder given as a ZipInfo with a file's attributes; the name says folder.
TEST_F(ZipInteropTest, AFolderNamedWithASlashIsAFolderWhateverItsAttributes)
{
    const QString path = tempPath("python.zip");
    const ProcessResult made = python(QStringLiteral(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr(zipfile.ZipInfo('docs/'), '')
    z.writestr('docs/readme.txt', 'inside')
)"),
                                      {path});
    ASSERT_EQ(made.exitCode, 0) << made.err.constData();
    CZipArchive archive;
    archive.Open(path, CZipArchive::zipOpenReadOnly);
    CZipEntryHeader folder;
    ASSERT_TRUE(archive.GetEntryInfo(folder, 0));
    EXPECT_TRUE(folder.IsDirectory());
    const QString target = tempPath("out");
    for (int i = 0; i < archive.GetCount(); ++i)
        EXPECT_TRUE(archive.ExtractToFile(i, target)) << i;
    EXPECT_TRUE(QFileInfo(target + "/docs").isDir());
    EXPECT_EQ(readFile(target + "/docs/readme.txt"), "inside");
}

TEST_F(ZipInteropTest, ASelfExtractorPrefixIsSkipped)
{
    const std::map<QString, QByteArray> set{{QStringLiteral("a.txt"), compressibleText(9000, 1)},
                                            {QStringLiteral("b.bin"), randomBytes(100, 2)}};
    QDir().mkpath(tempPath("expected"));
    for (const auto& [name, bytes] : set)
        writeFile(tempPath("expected/" + name), bytes);
    const QString peer = zipWithPeer("peer.zip", {"-q"}, {"a.txt", "b.bin"});
    writeFile(tempPath("sfx.zip"), randomBytes(12345, 9) + readFile(peer));
    expectLibraryReads(tempPath("sfx.zip"), {}, set, 2);

    // Adding to such an archive keeps the prefix and leaves an archive the peers accept.
    {
        CZipArchive archive;
        archive.Open(tempPath("sfx.zip"));
        CZipCentralDirInfo info;
        archive.GetCentralDirInfo(info);
        EXPECT_EQ(info.m_uBytesBeforeZip, 12345u);
        EXPECT_TRUE(addBytes(archive, QStringLiteral("c.txt"), compressibleText(777, 5)));
        archive.Close();
    }
    // unzip warns about the prefix (exit code 1) but must find no error in the data.
    const ProcessResult unzip = run(QStringLiteral("unzip"), {"-t", tempPath("sfx.zip")});
    EXPECT_LE(unzip.exitCode, 1);
    EXPECT_TRUE(unzip.out.contains("No errors detected")) << unzip.out.constData();
    EXPECT_TRUE(unzip.out.contains("c.txt                    OK")) << unzip.out.constData();
}

// An encrypted entry without a data descriptor checks its header against the CRC's top byte, not the
// time. No peer writes such entries any more, so one is built here field by field.
TEST_F(ZipInteropTest, AnEncryptedEntryWithoutADescriptorIsCheckedAgainstItsCrc)
{
    const QByteArray plain = compressibleText(3000, 11);
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : plain) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    crc ^= 0xFFFFFFFFu;
    ZipCrypto crypto;
    QByteArray data(12, '\0');
    const QByteArray password = kPassword.toLatin1();
    crypto.CreateHeader(password.constData(), static_cast<std::size_t>(password.size()), crc, data.data());
    QByteArray body = plain;
    crypto.Encode(body.data(), static_cast<std::size_t>(body.size()));
    data += body;

    auto le = [](QByteArray& out, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    const QByteArray name = "crc-checked.txt";
    const auto dataSize = static_cast<std::uint32_t>(data.size());
    const auto plainSize = static_cast<std::uint32_t>(plain.size());
    const auto nameSize = static_cast<std::uint32_t>(name.size());
    QByteArray archive;
    le(archive, 0x04034B50, 4);
    for (const std::uint32_t field : {20u, 1u, 0u, 0x6000u, 0x5821u})
        le(archive, field, 2);
    for (const std::uint32_t field : {crc, dataSize, plainSize})
        le(archive, field, 4);
    le(archive, nameSize, 2);
    le(archive, 0, 2);
    archive += name + data;
    const auto directoryOffset = static_cast<std::uint32_t>(archive.size());
    le(archive, 0x02014B50, 4);
    for (const std::uint32_t field : {20u, 20u, 1u, 0u, 0x6000u, 0x5821u})
        le(archive, field, 2);
    for (const std::uint32_t field : {crc, dataSize, plainSize})
        le(archive, field, 4);
    for (const std::uint32_t field : {nameSize, 0u, 0u, 0u, 0u})
        le(archive, field, 2);
    le(archive, 0x81A40020, 4);
    le(archive, 0, 4);
    archive += name;
    const auto directorySize = static_cast<std::uint32_t>(archive.size()) - directoryOffset;
    le(archive, 0x06054B50, 4);
    for (const std::uint32_t field : {0u, 0u, 1u, 1u})
        le(archive, field, 2);
    le(archive, directorySize, 4);
    le(archive, directoryOffset, 4);
    le(archive, 0, 2);
    writeFile(tempPath("crc.zip"), archive);
    QDir().mkpath(tempPath("expected"));
    writeFile(tempPath("expected/crc-checked.txt"), plain);

    EXPECT_EQ(pythonReads(tempPath("crc.zip"), kPassword).size(), 1u);
    CZipArchive reader;
    reader.Open(tempPath("crc.zip"), CZipArchive::zipOpenReadOnly);
    reader.SetPassword(kPassword);
    EXPECT_EQ(extractBytes(reader, 0), plain);
    reader.SetPassword(QStringLiteral("wrong"));
    CZipMemoryFile target(1024);
    bool ok = false;
    causeOf([&] { ok = reader.ExtractToMemory(0, target); });
    EXPECT_FALSE(ok);
}

TEST_F(ZipInteropTest, NamesOutsideAsciiReachThePeersIntact)
{
    // "æ" has the same byte in code page 850 and in the 437 that Python assumes for old archives.
    const QStringList names{QStringLiteral("mappe\\æble.txt"), QStringLiteral("αβγ.txt")};
    CZipArchive archive;
    archive.Open(tempPath("names.zip"), CZipArchive::zipCreate);
    for (const QString& name : names)
        addBytes(archive, name, name.toUtf8());
    archive.Close();
    const ProcessResult listed =
        python("import zipfile,sys\nfor i in zipfile.ZipFile(sys.argv[1]).infolist(): print(i.filename, "
               "i.flag_bits)",
               {tempPath("names.zip")});
    EXPECT_EQ(QString::fromUtf8(listed.out), "mappe/æble.txt 0\nαβγ.txt 2048\n");
    EXPECT_EQ(run(QStringLiteral("unzip"), {"-t", "-q", tempPath("names.zip")}).exitCode, 0);
    archive.Open(tempPath("names.zip"), CZipArchive::zipOpenReadOnly);
    for (const QString& name : names)
        EXPECT_GE(archive.FindEntry(name), 0) << name.toStdString();
}

} // namespace
