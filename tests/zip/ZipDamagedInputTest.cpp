// Damaged and hostile archives: every one gives a clean error (a cause), never a crash, a hang or
// wrong data.

#include "tests/zip/ZipTestSupport.h"

#include <QDir>

using namespace lumivo::test;

namespace
{

// Builds archives byte by byte with Python, for damage the library itself never writes.
const char* const kCraft = R"(
import struct, sys, zlib
kind, path = sys.argv[1], sys.argv[2]

def local(name, method, crc, csize, usize, flags=0):
    return struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, flags, method, 0, 0x21, crc, csize, usize, len(name), 0) + name

def central(name, method, crc, csize, usize, offset, flags=0, disk=0):
    return struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 20, 20, flags, method, 0, 0x21, crc, csize, usize,
                       len(name), 0, 0, disk, 0, 0x81a40020, offset) + name

def end(count, size, offset, this_disk=0, cd_disk=0):
    return struct.pack('<IHHHHIIH', 0x06054b50, this_disk, cd_disk, count, count, size, offset, 0)

def archive(entries, order=None, duplicate=False):
    data, dirs = b'', []
    for name, method, payload, crc, usize in entries:
        dirs.append(central(name, method, crc, len(payload), usize, 0 if duplicate else len(data)))
        data += local(name, method, crc, len(payload), usize) + payload
    if order:
        dirs = [dirs[i] for i in order]
    cd = b''.join(dirs)
    return data + cd + end(len(dirs), len(cd), len(data))

text = b'lumivo ' * 3000
crc = zlib.crc32(text)
if kind == 'reversed':
    entries = [(b'e%d.txt' % i, 0, text[:100 + i], zlib.crc32(text[:100 + i]), 100 + i) for i in range(3)]
    out = archive(entries, order=[2, 1, 0])
elif kind == 'duplicate':
    out = archive([(b'a', 0, b'x', zlib.crc32(b'x'), 1), (b'b', 0, b'x', zlib.crc32(b'x'), 1)], duplicate=True)
elif kind == 'cut-stream':
    # A deflate stream cut short: a stored block announces more bytes than the entry holds.
    block = b'\x00' + struct.pack('<HH', 1000, 0xffff ^ 1000) + text[:10]
    out = archive([(b'cut.txt', 8, block, zlib.crc32(text[:1000]), 1000)])
elif kind == 'short-data':
    # The stream ends well before the size the headers announce.
    payload = zlib.compress(text[:1000])[2:-4]
    out = archive([(b'short.txt', 8, payload, zlib.crc32(text[:2000]), 2000)])
elif kind == 'wrapping-offset':
    # Directory offset + size wraps in 32 bits to a value before the end record.
    out = b'\x00' * 100 + end(1, 0x20, 0xfffffff0)
elif kind == 'short-encrypted':
    # An encrypted entry whose data is too short to hold the 12-byte encryption header.
    out = archive([(b'locked', 0, b'abcde', 0, 5)])
    out = out.replace(struct.pack('<HH', 20, 0) + b'\x00\x00', struct.pack('<HH', 20, 1) + b'\x00\x00', 1)
    i = out.find(b'PK\x01\x02')
    out = out[:i + 8] + struct.pack('<H', 1) + out[i + 10:]
elif kind == 'bad-descriptor':
    name = b'd.txt'
    payload = zlib.compress(text)[2:-4]
    data = local(name, 8, 0, 0, 0, flags=8) + payload + struct.pack('<IIII', 0x08074b50, crc ^ 1, len(payload), len(text))
    cd = central(name, 8, crc, len(payload), len(text), 0, flags=8)
    out = data + cd + end(1, len(cd), len(data))
elif kind == 'comment':
    out = archive([(b'c.txt', 0, b'hello', zlib.crc32(b'hello'), 5)])
    out = out[:-2] + struct.pack('<H', 65535) + b'PK' * 32767 + b'!'
elif kind == 'zeros':
    out = b'\x00' * 65557
elif kind == 'split':
    # Entry one in volume 1 (name.001), entry two, the directory and the end record in name.zip.
    first, second = text[:5000], text[:7000]
    vol1 = struct.pack('<I', 0x08074b50) + local(b'one.txt', 0, zlib.crc32(first), 5000, 5000) + first
    vol2 = local(b'two.txt', 0, zlib.crc32(second), 7000, 7000) + second
    cd = central(b'one.txt', 0, zlib.crc32(first), 5000, 5000, 4) + \
         central(b'two.txt', 0, zlib.crc32(second), 7000, 7000, 0, disk=1)
    open(path[:-3] + '001', 'wb').write(vol1)
    out = vol2 + cd + end(2, len(cd), len(vol2), this_disk=1, cd_disk=1)
    out = out[:-14] + struct.pack('<HH', 1, 2) + out[-10:]
open(path, 'wb').write(out)
)";

class ZipDamagedInputTest : public lumivo::test::LumivoTest
{
protected:
    QString craft(const QString& kind)
    {
        const QString path = tempPath(kind + ".zip");
        const ProcessResult made = python(QString::fromLatin1(kCraft), {kind, path});
        EXPECT_EQ(made.exitCode, 0) << made.err.constData();
        return path;
    }

    // Opens and reads everything; returns the cause of the first failure, 0 when all went well.
    static int readAll(const QString& path, const QString& password = {},
                       QList<QByteArray>* contents = nullptr)
    {
        return causeOf([&] {
            CZipArchive archive;
            archive.Open(path, CZipArchive::zipOpenReadOnly);
            archive.SetPassword(password);
            for (int i = 0; i < archive.GetCount(); ++i) {
                bool ok = false;
                const QByteArray data = extractBytes(archive, i, &ok);
                if (!ok) {
                    ThrowZipException(-1);
                }
                if (contents)
                    contents->append(data);
            }
        });
    }
};

TEST_F(ZipDamagedInputTest, EveryTruncationGivesDamagedOrNotFound)
{
    CZipArchive archive;
    archive.Open(tempPath("whole.zip"), CZipArchive::zipCreate);
    archive.SetPassword(QStringLiteral("pw"));
    addBytes(archive, QStringLiteral("a.txt"), compressibleText(3000, 1));
    addBytes(archive, QStringLiteral("b.bin"), randomBytes(300, 2));
    archive.Close();
    const QByteArray whole = readFile(tempPath("whole.zip"));
    for (qsizetype length = 0; length < whole.size(); ++length) {
        writeFile(tempPath("cut.zip"), whole.left(length));
        const int cause = readAll(tempPath("cut.zip"), QStringLiteral("pw"));
        EXPECT_TRUE(cause == 101 || cause == 116) << "length " << length << " cause " << cause;
    }
    EXPECT_EQ(readAll(tempPath("whole.zip"), QStringLiteral("pw")), 0);
}

TEST_F(ZipDamagedInputTest, EveryFlippedByteGivesACleanErrorOrTheRightData)
{
    for (const QString& password : {QString(), QStringLiteral("pw")}) {
        CZipArchive archive;
        archive.Open(tempPath("whole.zip"), CZipArchive::zipCreate);
        archive.SetPassword(password);
        addBytes(archive, QStringLiteral("a.txt"), compressibleText(2000, 1));
        addBytes(archive, QStringLiteral("tiny"), "abc");
        archive.Close();
        const QByteArray whole = readFile(tempPath("whole.zip"));
        const QList<QByteArray> expected{compressibleText(2000, 1), "abc"};
        for (qsizetype at = 0; at < whole.size(); ++at) {
            QByteArray damaged = whole;
            damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
            writeFile(tempPath("flip.zip"), damaged);
            QList<QByteArray> contents;
            if (readAll(tempPath("flip.zip"), password, &contents) == 0) {
                EXPECT_EQ(contents, expected) << "byte " << at << " changed, data returned as good";
            }
        }
    }
}

TEST_F(ZipDamagedInputTest, StructuralDamageIsRefused)
{
    EXPECT_EQ(readAll(craft("duplicate")), 101) << "two entries at one offset";
    EXPECT_EQ(readAll(craft("wrapping-offset")), 101) << "offset + size wraps past 4 GiB";
    EXPECT_EQ(readAll(craft("short-encrypted"), QStringLiteral("pw")), 101)
        << "encrypted, shorter than its header";
    EXPECT_EQ(readAll(craft("cut-stream")), 101) << "the stream wants more than the entry holds";
    const int descriptor = readAll(craft("bad-descriptor"));
    EXPECT_TRUE(descriptor == 101 || descriptor == 102) << descriptor;
    EXPECT_EQ(readAll(craft("zeros")), 116);
}

TEST_F(ZipDamagedInputTest, AnEditOfADamagedArchiveChangesNothing)
{
    CZipArchive archive;
    archive.Open(tempPath("whole.zip"), CZipArchive::zipCreate);
    for (int i = 0; i < 3; ++i)
        addBytes(archive, QStringLiteral("entry%1.txt").arg(i), compressibleText(4000, i));
    archive.Close();
    const QByteArray whole = readFile(tempPath("whole.zip"));
    const qsizetype lastCentral = whole.lastIndexOf("PK\x01\x02");

    // A directory that places an entry beyond itself: deleting it would move bytes by a wrapped distance.
    QByteArray beyond = whole;
    beyond.replace(lastCentral + 42, 4, QByteArray(4, '\xff'));
    writeFile(tempPath("beyond.zip"), beyond);
    EXPECT_EQ(causeOf([&] { archive.Open(tempPath("beyond.zip")); }), CZipException::badZipFile);
    EXPECT_EQ(readFile(tempPath("beyond.zip")), beyond);

    // A local header whose name length disagrees with the directory: renaming is refused before the
    // directory is cut off the file, so closing after the error leaves the archive whole.
    QByteArray odd = whole;
    const qsizetype secondLocal = odd.indexOf("PK\x03\x04", 1);
    odd[secondLocal + 26] = static_cast<char>(odd[secondLocal + 26] + 1);
    writeFile(tempPath("odd.zip"), odd);
    archive.Open(tempPath("odd.zip"));
    EXPECT_EQ(causeOf([&] { archive.RenameEntry(1, QStringLiteral("a longer name for it.txt")); }),
              CZipException::badZipFile);
    archive.Close(CZipArchive::closeAfterException);
    EXPECT_EQ(readFile(tempPath("odd.zip")), odd);
}

TEST_F(ZipDamagedInputTest, AnEntryThatEndsEarlyGivesNoData)
{
    CZipArchive archive;
    archive.Open(craft("short-data"), CZipArchive::zipOpenReadOnly);
    CZipMemoryFile target(1024);
    target.Write("kept", 4);
    EXPECT_FALSE(archive.ExtractToMemory(0, target));
    EXPECT_EQ(QByteArray(target.data(), static_cast<qsizetype>(target.GetLength())), "kept");
    EXPECT_EQ(causeOf([&] { archive.TestEntry(0); }), CZipException::badZipFile);
}

TEST_F(ZipDamagedInputTest, AMissingFileIsTheFileLayersError)
{
    CZipArchive archive;
    EXPECT_THROW(archive.Open(tempPath("missing.zip"), CZipArchive::zipOpenReadOnly), ZipFileError);
    EXPECT_TRUE(archive.IsClosed());
    writeFile(tempPath("text.zip"), "this is not an archive at all");
    EXPECT_EQ(causeOf([&] { archive.Open(tempPath("text.zip")); }), 116);
    EXPECT_TRUE(archive.IsClosed());
}

TEST_F(ZipDamagedInputTest, OddButValidLayoutsAreRead)
{
    QList<QByteArray> contents;
    EXPECT_EQ(readAll(craft("comment"), {}, &contents), 0) << "a 65,535-byte comment";
    EXPECT_EQ(contents, QList<QByteArray>{"hello"});

    CZipArchive archive;
    archive.Open(craft("reversed"), CZipArchive::zipOpenReadOnly);
    for (int i = 0; i < 3; ++i) {
        CZipEntryHeader header;
        archive.GetEntryInfo(header, i);
        EXPECT_EQ(header.GetFileName(), QStringLiteral("e%1.txt").arg(i)) << "indexes follow the file order";
    }
    archive.Close();

    contents.clear();
    EXPECT_EQ(readAll(craft("split"), {}, &contents), 0) << "numbered volume files";
    EXPECT_EQ(contents.size(), 2);
    EXPECT_EQ(contents.value(1).size(), 7000);
    archive.Open(tempPath("split.zip"));
    EXPECT_FALSE(addBytes(archive, QStringLiteral("x"), "xyz")) << "an existing split archive is not changed";
    EXPECT_FALSE(archive.RenameEntry(0, QStringLiteral("y")));
    archive.Close();
}

} // namespace
