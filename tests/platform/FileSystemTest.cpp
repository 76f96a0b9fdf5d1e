#include "platform/files/FaultyFileSystem.h"
#include "platform/files/MemoryFileSystem.h"
#include "platform/files/RealFileSystem.h"
#include "tests/support/LumivoTest.h"

#include <QDir>

#include <string>

using namespace lumivo::files;
using lumivo::test::LumivoTest;

namespace
{

std::vector<std::uint8_t> textBytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

std::string readText(const QString& path)
{
    std::vector<std::uint8_t> bytes;
    if (!readWholeFile(path, bytes))
        return "<missing>";
    return {bytes.begin(), bytes.end()};
}

} // namespace

class FileSystemTest : public LumivoTest
{
};

TEST_F(FileSystemTest, RealFileReadsWritesAndResizesAtPositions)
{
    const QString path = tempPath("a.bin");
    auto file = fileSystem().open(path, OpenMode::CreateReadWrite);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->writeAt(4, "xyz", 3));
    EXPECT_EQ(file->length(), 7);
    char head[4] = {1, 1, 1, 1};
    ASSERT_TRUE(file->readAt(0, head, 4));
    EXPECT_EQ(std::string(head, 4), std::string(4, '\0'));
    ASSERT_TRUE(file->setLength(5));
    char tail[2];
    EXPECT_FALSE(file->readAt(4, tail, 2));
    EXPECT_TRUE(file->flush());
    EXPECT_FALSE(fileSystem().open(tempPath("missing"), OpenMode::Read));
    EXPECT_FALSE(fileSystem().open(tempDir(), OpenMode::Read));
}

TEST_F(FileSystemTest, AtomicWriteReplacesWholeOrNotAtAll)
{
    const QString path = tempPath("settings.txt");
    ASSERT_TRUE(writeFileAtomically(path, "old", 3));
    EXPECT_EQ(readText(path), "old");

    FaultyFileSystem faulty(fileSystem());
    {
        ScopedFileSystem scope(faulty);
        faulty.failAt(FaultyFileSystem::Operation::Write, 1, false);
        EXPECT_FALSE(writeFileAtomically(path, "new contents", 12));
        faulty.failAt(FaultyFileSystem::Operation::Flush, 1, false);
        EXPECT_FALSE(writeFileAtomically(path, "new contents", 12));
        faulty.failAt(FaultyFileSystem::Operation::Flush, 0);
        faulty.failAt(FaultyFileSystem::Operation::Rename, 1, false);
        EXPECT_FALSE(writeFileAtomically(path, "new contents", 12));
    }
    EXPECT_EQ(readText(path), "old");
    EXPECT_FALSE(fileSystem().exists(path + ".new"));
    ASSERT_TRUE(writeFileAtomically(path, "new", 3));
    EXPECT_EQ(readText(path), "new");
}

// A killed write leaves its scratch file; the next write of that file takes its place even when it can
// no longer be opened for writing.
TEST_F(FileSystemTest, AStrayScratchFileGoesAtTheNextWriteOfItsFile)
{
    MemoryFileSystem memory;
    ScopedFileSystem scope(memory);
    memory.makeDirectories("/m");
    memory.setContents(atomicScratchPathFor("/m/a.tvf"), textBytes("half a write"));
    memory.setReadOnly(atomicScratchPathFor("/m/a.tvf"), true);
    EXPECT_TRUE(writeFileAtomically("/m/a.tvf", "new", 3));
    EXPECT_EQ(readText("/m/a.tvf"), "new");
    EXPECT_FALSE(memory.exists(atomicScratchPathFor("/m/a.tvf")));
}

TEST_F(FileSystemTest, AFolderOfTheScratchNameIsLeftAlone)
{
    const QString path = tempPath("b.tvf");
    ASSERT_TRUE(QDir().mkpath(atomicScratchPathFor(path) + "/inside"));
    EXPECT_FALSE(writeFileAtomically(path, "new", 3));
    EXPECT_TRUE(QDir(atomicScratchPathFor(path) + "/inside").exists());
}

TEST_F(FileSystemTest, AtomicCopyCarriesEveryPieceOrLeavesTheTargetAlone)
{
    std::vector<std::uint8_t> bytes((std::size_t{5} << 20) / 2); // two and a half copy pieces
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 4099);
    const QString from = tempPath("big.bin");
    const QString to = tempPath("copy.bin");
    ASSERT_TRUE(writeFileAtomically(from, bytes.data(), bytes.size()));
    ASSERT_TRUE(writeFileAtomically(to, "old", 3));

    EXPECT_FALSE(copyFileAtomically(tempPath("missing.bin"), to));
    EXPECT_EQ(readText(to), "old");
    FaultyFileSystem faulty(fileSystem());
    {
        ScopedFileSystem scope(faulty);
        faulty.failAt(FaultyFileSystem::Operation::Write, 2, false);
        EXPECT_FALSE(copyFileAtomically(from, to));
    }
    EXPECT_EQ(readText(to), "old");
    EXPECT_FALSE(fileSystem().exists(to + ".new"));

    ASSERT_TRUE(copyFileAtomically(from, to));
    std::vector<std::uint8_t> copied;
    ASSERT_TRUE(readWholeFile(to, copied));
    EXPECT_TRUE(copied == bytes);
}

TEST_F(FileSystemTest, FaultyWriteLeavesAShortWriteAndThenStaysBroken)
{
    MemoryFileSystem memory;
    FaultyFileSystem faulty(memory);
    faulty.failAt(FaultyFileSystem::Operation::Write, 2);
    auto file = faulty.open("/m/f", OpenMode::CreateReadWrite);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->write("abcd", 4));
    EXPECT_FALSE(file->write("efgh", 4));
    EXPECT_FALSE(file->write("ijkl", 4));
    EXPECT_EQ(*memory.contents("/m/f"), textBytes("abcdef"));
    EXPECT_TRUE(faulty.hasFailed());
}

TEST_F(FileSystemTest, AWholeFileOverItsLimitIsRefusedUnreadAndOneAtItsLimitIsRead)
{
    const QString path = tempPath("ten.bin");
    ASSERT_TRUE(writeFileAtomically(path, "0123456789", 10));
    std::vector<std::uint8_t> bytes{1, 2};
    EXPECT_EQ(readWholeFile(path, bytes, 10), ReadResult::Read);
    EXPECT_EQ(bytes, textBytes("0123456789"));
    EXPECT_EQ(readWholeFile(path, bytes, 9), ReadResult::TooLarge);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(readWholeFile(tempPath("missing"), bytes, 10), ReadResult::NotRead);
}

TEST_F(FileSystemTest, MemoryFileSystemHonoursReadOnlyAndRename)
{
    MemoryFileSystem memory;
    memory.setContents("/d/a", textBytes("1"));
    memory.setReadOnly("/d/a", true);
    EXPECT_FALSE(memory.open("/d/a", OpenMode::ReadWrite));
    EXPECT_TRUE(memory.open("/d/a", OpenMode::Read));
    EXPECT_FALSE(memory.info("/d/a").writable);
    EXPECT_TRUE(memory.rename("/d/a", "/d/b"));
    EXPECT_EQ(memory.list("/d"), std::vector<QString>{"b"});
}

class PathHelpers : public lumivo::test::LumivoTest
{
};

TEST_F(PathHelpers, SplitFolderAndName)
{
    EXPECT_EQ(folderOf("/a/b/c.tvf"), "/a/b");
    EXPECT_EQ(folderOf("/c.tvf"), "/");
    EXPECT_EQ(folderOf("c.tvf"), ".");
    EXPECT_EQ(fileNameOf("/a/b/c.tvf"), "c.tvf");
    EXPECT_EQ(fileNameOf("c.tvf"), "c.tvf");
}
