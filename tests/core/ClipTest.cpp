#include "core/Clip.h"
#include "tests/support/Bytes.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/MediaSamples.h"

#include "platform/files/FileSystem.h"
#include "platform/video/VideoClip.h"
#include "store/ResourceManager.h"

using lumivo::test::boundRecordBytes;
using lumivo::test::LumivoTest;
using lumivo::test::setBoundRecordBytes;

namespace
{

std::vector<std::uint8_t> readAll(const QString& path)
{
    std::vector<std::uint8_t> bytes;
    lumivo::files::readWholeFile(path, bytes);
    return bytes;
}

} // namespace

class ClipTest : public LumivoTest
{
};

TEST_F(ClipTest, HeaderHoldsEveryFieldInOrder)
{
    CQuibAvi clip;
    EXPECT_EQ(clip.GetType(), 0x67610000);
    EXPECT_EQ(CQuibAvi::MakeType(2, 3), 0x67610203);
    ASSERT_EQ(clip.Create(), RES_OK);
    clip.Options = 0x0102;
    clip.Param1 = 0x03040506;
    clip.Param2 = 0xFBFFFFFF;
    clip.Param3 = 0x00112233;
    clip.Name = QStringLiteral("x");
    clip.AviData = std::vector<std::uint8_t>{'R', 'I'};
    clip.DataSize = 2;
    clip.Exchange(true);
    const std::vector<std::uint8_t> expected{24,   0,    0,    0,    0x02, 0x01, 0x06, 0x05, 0x04,
                                             0x03, 2,    0,    0,    0,    1,    'x',  0xFF, 0xFF,
                                             0xFF, 0xFB, 0x33, 0x22, 0x11, 0x00, 'R',  'I'};
    EXPECT_EQ(boundRecordBytes(clip), expected);
}

TEST_F(ClipTest, ParametersAreReadOnlyFromRecordsAfterTheirIntroduction)
{
    CQuibAvi writer;
    ASSERT_EQ(writer.Create(), RES_OK);
    writer.Param2 = 11;
    writer.Param3 = 12;
    writer.Name = QStringLiteral("old");
    writer.Exchange(true);
    const auto bytes = boundRecordBytes(writer);

    for (std::int64_t offset : {-1, 0, 1}) {
        SCOPED_TRACE(offset);
        CQuibAvi reader;
        ASSERT_EQ(reader.Create(), RES_OK);
        setBoundRecordBytes(reader, bytes);
        reader.GetEntry()->m_stamp = std::uint32_t(CQuibAvi::ParamsSince() + offset);
        reader.Param2 = reader.Param3 = 5;
        ASSERT_TRUE(reader.ReadHeader());
        EXPECT_EQ(reader.Name, QStringLiteral("old"));
        EXPECT_EQ(reader.Param2, offset > 0 ? 11u : 5u);
        EXPECT_EQ(reader.Param3, offset > 0 ? 12u : 5u);
    }
}

TEST_F(ClipTest, EmptyOrDamagedClipsExportNothing)
{
    CQuibAvi clip;
    ASSERT_EQ(clip.Create(), RES_OK);
    const QString path = tempPath(QStringLiteral("out.avi"));
    EXPECT_EQ(clip.ExportFile(path), 0u);
    EXPECT_FALSE(lumivo::files::fileSystem().exists(path));

    clip.AviData = std::vector<std::uint8_t>(100, 7);
    clip.DataSize = 100;
    clip.Exchange(true);
    auto truncated = boundRecordBytes(clip);
    truncated.resize(truncated.size() - 10);
    CQuibAvi damaged;
    ASSERT_EQ(damaged.Create(), RES_OK);
    setBoundRecordBytes(damaged, truncated);
    ASSERT_TRUE(damaged.ReadHeader());
    EXPECT_FALSE(damaged.LoadData());
    EXPECT_EQ(damaged.ExportFile(path), 0u);
    EXPECT_FALSE(lumivo::files::fileSystem().exists(path));

    // Storing a clip whose bytes are missing keeps the record as it was.
    damaged.Exchange(true);
    EXPECT_EQ(boundRecordBytes(damaged), truncated);

    setBoundRecordBytes(damaged, {200, 0, 0, 0, 1, 2});
    EXPECT_FALSE(damaged.ReadHeader());
    EXPECT_EQ(damaged.DataSize, 100u);
    EXPECT_EQ(clip.ImportFile(tempPath(QStringLiteral("missing.avi"))), 0u);
}

TEST_F(ClipTest, ImportedClipIsStoredReloadedAndExportedUnchanged)
{
    if (!lumivo::test::haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    const QString source = tempPath(QStringLiteral("source.avi"));
    ASSERT_TRUE(lumivo::test::makeMjpegAvi(source, QStringLiteral("testsrc=size=40x30:rate=5"), 4));
    const auto original = readAll(source);
    ASSERT_FALSE(original.empty());

    const QString store = tempPath(QStringLiteral("clips.tvf"));
    int file = 0;
    ASSERT_EQ(FindOrAddResFile(&file, store), 0);
    {
        CQuibAvi clip;
        ASSERT_EQ(clip.Create(), RES_OK);
        clip.Name = QStringLiteral("hop");
        ASSERT_EQ(clip.ImportFile(source), original.size());
        ASSERT_EQ(clip.SaveAs(31, file, CQuibAvi::MakeType(1, 2)), RES_OK);
    }
    ASSERT_EQ(SaveResFile(file), RES_OK);
    ASSERT_EQ(CloseResFile(file), RES_OK);

    // Reloaded and committed without ever being played: the bytes are written back unchanged.
    ASSERT_EQ(OpenResFile(&file, store), RES_OK);
    {
        // The store asks a committed object for its bytes when it saves, so it lives until then.
        CQuibAvi clip;
        ASSERT_EQ(AttachResource(&clip, 31, CQuibAvi::MakeType(1, 2), file), RES_OK);
        ASSERT_EQ(clip.Load(), RES_OK);
        EXPECT_EQ(clip.Name, QStringLiteral("hop"));
        EXPECT_FALSE(clip.AviData);
        clip.Param1 = 9;
        ASSERT_EQ(clip.Commit(), RES_OK);
        ASSERT_EQ(SaveResFile(file), RES_OK);
        ASSERT_EQ(CloseResFile(file), RES_OK);
    }

    ASSERT_EQ(OpenResFile(&file, store), RES_OK);
    CQuibAvi clip;
    ASSERT_EQ(AttachResource(&clip, 31, CQuibAvi::MakeType(1, 2), file), RES_OK);
    ASSERT_EQ(clip.Load(), RES_OK);
    EXPECT_EQ(clip.Param1, 9u);
    const QString exported = tempPath(QStringLiteral("exported.avi"));
    ASSERT_EQ(clip.ExportFile(exported), original.size());
    EXPECT_EQ(readAll(exported), original);
    const auto video = lumivo::video::VideoClip::open(exported);
    ASSERT_TRUE(video);
    EXPECT_EQ(video->frameCount(), 4);
}
