// The small parts under the archive: memory file, buffer, exception texts, entry header fields,
// the storage's write buffer, paths and the wildcard matcher.

#include "packages/zip/ZipArchive.h"
#include "packages/zip/ZipPlatformOps.h"
#include "tests/zip/ZipTestSupport.h"

#include <QDateTime>

#include <cstring>

using namespace lumivo::test;

namespace
{

class ZipMemoryFileTest : public lumivo::test::LumivoTest
{
};

TEST_F(ZipMemoryFileTest, GrowsInWholeStepsAndReadsLikeAFile)
{
    CZipMemoryFile file(1024);
    file.Write("x", 1);
    EXPECT_EQ(file.GetBufferSize(), 1024u);
    const QByteArray more(1024, 'y');
    file.Write(more.constData(), static_cast<std::size_t>(more.size()));
    EXPECT_EQ(file.GetBufferSize(), 2048u);
    EXPECT_EQ(file.GetLength(), 1025u);

    char buffer[10];
    EXPECT_EQ(file.Read(buffer, 10), 0u) << "at the end";
    EXPECT_EQ(file.GetPosition(), 1025u);
    EXPECT_EQ(file.Seek(-4, CZipFileBase::end), 1021u);
    EXPECT_EQ(file.Read(buffer, 10), 4u);

    CZipMemoryFile fixed(0);
    EXPECT_EQ(causeOf([&] { fixed.Write("x", 1); }), CZipException::memError);

    EXPECT_FALSE(CZipMemoryFile().IsClosed()) << "open before its first byte";
    file.Close();
    EXPECT_TRUE(file.IsClosed());
    EXPECT_EQ(file.GetLength(), 0u);
}

TEST_F(ZipMemoryFileTest, GapsReadAsZerosAndPositionsBeforeTheStartAreRefused)
{
    CZipMemoryFile file(16);
    file.Write("abc", 3);
    file.SetLength(1);                  // cut back: "a"
    file.Seek(40, CZipFileBase::begin); // past the end, then write: the gap must be zeros
    file.Write("z", 1);
    ASSERT_EQ(file.GetLength(), 41u);
    EXPECT_EQ(QByteArray(file.data(), 41), QByteArray("a") + QByteArray(39, '\0') + "z");

    file.SetLength(100); // growing keeps the position and adds zeros
    EXPECT_EQ(file.GetPosition(), 41u);
    EXPECT_EQ(QByteArray(file.data() + 41, 59), QByteArray(59, '\0'));

    EXPECT_EQ(causeOf([&] { file.Seek(-1, CZipFileBase::begin); }), 22);
    EXPECT_EQ(causeOf([&] { file.Seek(-101, CZipFileBase::end); }), 22);
    EXPECT_EQ(file.GetPosition(), 41u);
}

class ZipExceptionTest : public lumivo::test::LumivoTest
{
};

TEST_F(ZipExceptionTest, CausesAndTextsFollowTheTable)
{
    EXPECT_EQ(ZlibErrorToCause(0), 100);
    const int mapping[][2] = {{-6, 507}, {-5, 506}, {-4, 505}, {-3, 504},
                              {-2, 503}, {-1, 502}, {1, 500},  {2, 501}};
    for (const auto& pair : mapping)
        EXPECT_EQ(ZlibErrorToCause(pair[0]), pair[1]);
    EXPECT_EQ(CZipException::CauseText(501, true), "Unknown error");
    EXPECT_EQ(CZipException::CauseText(101, true), "Damaged or not a zip file");
    EXPECT_EQ(CZipException::CauseText(27, true), "File too large");

    const CZipException e(101, QStringLiteral("/x.zip"));
    char buffer[10];
    std::memset(buffer, 'q', sizeof buffer);
    EXPECT_TRUE(e.GetErrorMessage(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "Damaged o");
    EXPECT_FALSE(e.GetErrorMessage(nullptr, 10));
    EXPECT_FALSE(e.GetErrorMessage(buffer, 0));
}

class ZipBufferTest : public lumivo::test::LumivoTest
{
};

TEST_F(ZipBufferTest, KeepsItsBlockForTheSameSizeAndCopiesDeeply)
{
    CZipBuffer buffer(8);
    char* block = buffer.GetBuffer();
    EXPECT_EQ(buffer.Allocate(8, true), block);
    EXPECT_EQ(std::memcmp(block, "\0\0\0\0\0\0\0\0", 8), 0);
    std::memcpy(block, "abcdefgh", 8);
    CZipBuffer copy(buffer);
    copy.GetBuffer()[0] = 'X';
    EXPECT_EQ(buffer.GetBuffer()[0], 'a');
    copy = CZipBuffer();
    EXPECT_EQ(copy.GetSize(), 0u);
    EXPECT_EQ(copy.GetBuffer(), nullptr);
}

class ZipEntryHeaderTest : public lumivo::test::LumivoTest
{
};

TEST_F(ZipEntryHeaderTest, DosTimesConvertBothWays)
{
    CZipEntryHeader header;
    header.m_uModTime = 0;
    header.m_uModDate = 0;
    EXPECT_EQ(QDateTime::fromSecsSinceEpoch(header.GetTime()).toString("yyyy-MM-dd hh:mm:ss"),
              "1979-11-30 00:00:00");
    header.SetTime(QDateTime(QDate(1975, 6, 1), QTime(12, 0)).toSecsSinceEpoch());
    EXPECT_EQ(header.m_uModDate >> 9, 0);
    const QDateTime when(QDate(2024, 2, 29), QTime(13, 37, 58));
    header.SetTime(when.toSecsSinceEpoch());
    EXPECT_EQ(header.GetTime(), when.toSecsSinceEpoch());
    // Past the seven year bits: the last moment they hold, not a wrap back to 1980.
    header.SetTime(QDateTime(QDate(2150, 3, 1), QTime(8, 0)).toSecsSinceEpoch());
    EXPECT_EQ(QDateTime::fromSecsSinceEpoch(header.GetTime()).toString("yyyy-MM-dd hh:mm:ss"),
              "2107-12-31 23:59:58");
}

TEST_F(ZipEntryHeaderTest, NamesAndFieldsMustFitTheirSixteenBitLengths)
{
    CZipEntryHeader header;
    header.SetFileName(QString(65535, 'n'));
    EXPECT_TRUE(header.PrepareForWriting(-1, false, false));
    header.SetFileName(QString(65536, 'n'));
    EXPECT_FALSE(header.PrepareForWriting(-1, false, false));
}

TEST_F(ZipEntryHeaderTest, AttributesConvertBetweenHostSystems)
{
    EXPECT_EQ(ZipAttrMap::Convert(0x81A40000, zipHostUnix, zipHostDos), 0x20u);
    EXPECT_EQ(ZipAttrMap::Convert(0x20, zipHostDos, zipHostUnix), 0x81B40000u);
    // A folder keeps its search bits, or nothing in it could be reached once extracted.
    const std::uint32_t folder = ZipAttrMap::Convert(0x10, zipHostDos, zipHostUnix);
    EXPECT_EQ(folder & 0x40000000, 0x40000000u);
    EXPECT_EQ((folder >> 16) & 0111, 0111u);
    EXPECT_EQ(ZipAttrMap::Convert(0x33, zipHostDos, zipHostMac), 0x11u);
    EXPECT_EQ(causeOf([] { ZipAttrMap::Convert(0x20, 5, zipHostDos); }), CZipException::platfNotSupp);
    EXPECT_EQ(ZipAttrMap::Convert(0x1234, 11, zipHostDos), 0x1234u);
}

TEST_F(ZipEntryHeaderTest, NamesUseTheOemCodePageOrUtf8WhenItCannotHoldThem)
{
    bool utf8 = false;
    const QByteArray danish =
        ZipAttrMap::NameToArchive(QStringLiteral("bøger\\æble.txt").toUtf8(), zipHostDos, utf8);
    EXPECT_FALSE(utf8);
    EXPECT_EQ(danish, QByteArray("b\x9B"
                                 "ger/\x91"
                                 "ble.txt"));
    EXPECT_EQ(QString::fromUtf8(ZipAttrMap::NameFromArchive(danish, zipHostDos, false)), "bøger\\æble.txt");

    const QByteArray greek = ZipAttrMap::NameToArchive(QStringLiteral("αβγ.txt").toUtf8(), zipHostDos, utf8);
    EXPECT_TRUE(utf8);
    EXPECT_EQ(greek, QStringLiteral("αβγ.txt").toUtf8());
    // Unix names are taken byte for byte.
    utf8 = false;
    EXPECT_EQ(ZipAttrMap::NameToArchive("a\\b\xff", zipHostUnix, utf8), QByteArray("a/b\xff"));

    // The same code pages for single-byte text in place; the euro sign has no OEM byte.
    QByteArray text("\xE6\xF8\xE5 ok \x80");
    ZipPlatformOps::ConvertCodePage(text, true);
    EXPECT_EQ(text, QByteArray("\x91\x9B\x86 ok ?"));
    ZipPlatformOps::ConvertCodePage(text, false);
    EXPECT_EQ(text, QByteArray("\xE6\xF8\xE5 ok ?"));
}

TEST_F(ZipEntryHeaderTest, NameComparisonsFollowTheirCaseRule)
{
    const ZipNameCompare folding = GetNameCompare(false, true);
    EXPECT_EQ(folding(QStringLiteral("Dir\\BgName.STR"), QStringLiteral("dir\\bgname.str")), 0);
    EXPECT_LT(folding(QStringLiteral("a"), QStringLiteral("B")), 0);
    for (const bool collate : {true, false}) {
        const ZipNameCompare exact = GetNameCompare(true, collate);
        EXPECT_NE(exact(QStringLiteral("Name"), QStringLiteral("name")), 0);
        EXPECT_LT(exact(QStringLiteral("ab"), QStringLiteral("abc")), 0);
        EXPECT_GT(exact(QStringLiteral("b"), QStringLiteral("abc")), 0);
        EXPECT_EQ(exact(QStringLiteral("æble"), QStringLiteral("æble")), 0);
    }
}

// A file that records the size of every write, to see how the storage hands its buffer on.
class RecordingFile : public CZipMemoryFile
{
public:
    void Write(const void* buffer, std::size_t count) override
    {
        writes.push_back(count);
        CZipMemoryFile::Write(buffer, count);
    }
    std::vector<std::size_t> writes;
};

class ZipStorageTest : public lumivo::test::LumivoTest
{
};

TEST_F(ZipStorageTest, WritesReachTheFileInBufferSizedBlocks)
{
    const QByteArray data(70000, 'd');
    {
        RecordingFile file;
        CZipVolumeStore storage;
        storage.OpenOnFile(file, CZipVolumeStore::openCreate);
        storage.Write(data.constData(), 70000, false);
        storage.Close(false);
        EXPECT_EQ(file.writes, (std::vector<std::size_t>{65536, 4464}));
    }
    {
        RecordingFile file;
        CZipVolumeStore storage;
        storage.OpenOnFile(file, CZipVolumeStore::openCreate);
        storage.Write(data.constData(), 70000, false);
        storage.Close(true); // after an exception the buffered bytes are dropped
        EXPECT_EQ(file.GetLength(), 65536u);
        // Closed, it refuses rather than waiting for room in a buffer it no longer has.
        EXPECT_EQ(causeOf([&] { storage.Write("x", 1, false); }), 9);
        char byte;
        EXPECT_EQ(causeOf([&] { storage.Read(&byte, 1, false); }), 9);
    }
}

class ZipPathTest : public lumivo::test::LumivoTest
{
};

TEST_F(ZipPathTest, SplitsPathsAndKeepsALongUncPrefixApart)
{
    const CZipPath unc(QStringLiteral("\\\\?\\UNC\\server\\share\\folder\\name.ext"));
    EXPECT_EQ(unc.m_prefix, "\\\\?\\UNC\\");
    EXPECT_EQ(unc.m_name, "name");
    EXPECT_EQ(unc.m_extension, "ext");
    const CZipPath plain(QStringLiteral("/home/u/archive.zip"));
    EXPECT_EQ(plain.m_folder, "/home/u");
    CZipPath volume = plain;
    volume.m_extension = QStringLiteral("001");
    EXPECT_EQ(volume.GetFullPath(), "/home/u/archive.001");
    EXPECT_EQ(ZipPlatformOps::PathKind(QStringLiteral("/")), -1);
    EXPECT_EQ(ZipPlatformOps::PathKind(QStringLiteral("/no/such/path")), 0);
}

class WildcardTest : public lumivo::test::LumivoTest
{
};

TEST_F(WildcardTest, MatchesLikeAShell)
{
    const CWildcard name(QStringLiteral("BgName.str"), false);
    EXPECT_TRUE(name.IsMatch(QStringLiteral("bgname.STR")));
    EXPECT_FALSE(name.IsMatch(QStringLiteral("xBgName.str")));
    // A letter outside ASCII is one character to "?" and to a set, whatever its bytes.
    EXPECT_TRUE(CWildcard(QStringLiteral("?ble.txt"), false).IsMatch(QStringLiteral("Æble.txt")));
    EXPECT_TRUE(CWildcard(QStringLiteral("b[æøå]ger"), true).IsMatch(QStringLiteral("bøger")));
    EXPECT_FALSE(CWildcard(QStringLiteral("b[!ø]ger"), true).IsMatch(QStringLiteral("bøger")));

    EXPECT_EQ(CWildcard::Match("[!a-c]x", "dx"), CWildcard::matchValid);
    EXPECT_NE(CWildcard::Match("[!a-c]x", "bx"), CWildcard::matchValid);
    EXPECT_EQ(CWildcard::Match("[c-a]", "b"), CWildcard::matchValid);
    EXPECT_EQ(CWildcard::Match("[]x", "]x"), CWildcard::matchPattern);
    EXPECT_EQ(CWildcard::Match("a\\*", "a*"), CWildcard::matchValid);
    EXPECT_EQ(CWildcard::Match("*", ""), CWildcard::matchValid);
    EXPECT_EQ(CWildcard::Match("?", ""), CWildcard::matchAbort);
    EXPECT_EQ(CWildcard::Match("ab", "abc"), CWildcard::matchEnd);
    // A literal mismatch after a star lets the star try later positions.
    EXPECT_EQ(CWildcard::Match("*.str", "a.s.str"), CWildcard::matchValid);
    EXPECT_EQ(CWildcard::Match("*x*.str", "ax.s.str"), CWildcard::matchValid);
    EXPECT_NE(CWildcard::Match("*.str", "a.s.stx"), CWildcard::matchValid);
}

TEST_F(WildcardTest, ChecksPatterns)
{
    int code = 1;
    EXPECT_TRUE(CWildcard::IsPatternValid(QStringLiteral("a[b-c]*?\\*"), &code));
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(CWildcard::IsPatternValid(QStringLiteral("[]x"), &code));
    EXPECT_EQ(code, CWildcard::patternEmpty);
    EXPECT_FALSE(CWildcard::IsPatternValid(QStringLiteral("abc\\"), &code));
    EXPECT_EQ(code, CWildcard::patternEsc);
    EXPECT_FALSE(CWildcard::IsPatternValid(QStringLiteral("[a-]"), &code));
    EXPECT_EQ(code, CWildcard::patternRange);
    EXPECT_FALSE(CWildcard::IsPatternValid(QStringLiteral("[ab"), &code));
    EXPECT_EQ(code, CWildcard::patternClose);
    EXPECT_TRUE(CWildcard::IsPattern(QStringLiteral("a?")));
    EXPECT_FALSE(CWildcard::IsPattern(QStringLiteral("BgName.str")));
}

} // namespace
