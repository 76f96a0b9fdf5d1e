// The crop dialog: the frame's handles and drag, the files it browses, where a deleted picture goes,
// and what RunCropDialog hands back on OK and on Cancel.

#include "authoring/CropPictureDlg.h"

#include "authoring/AuthoringStrings.h"
#include "platform/files/FaultyFileSystem.h"
#include "platform/ui/Ui.h"
#include "system/SystemStrings.h"
#include "tests/authoring/AuthoringTestFiles.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/Pictures.h"

#include <QDir>
#include <QFile>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace lumivo::test;
using lumivo::ui::ScopedAnswerer;

namespace
{

class CropPictureTest : public LumivoTest
{
protected:
    // A PNG file of a pattern picture; gives its path.
    QString writePicture(const QString& name, int width, int height)
    {
        std::vector<std::uint8_t> bytes;
        EXPECT_TRUE(lumivo::image::encodePng(patternImage(width, height), bytes));
        const QString path = tempPath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path;
    }

    void touch(const QString& path)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
};

} // namespace

TEST_F(CropPictureTest, CornersAreFoundBeforeEdgesAndADragKeepsTheFrameInsideAndLargeEnough)
{
    const CRect frame(100, 100, 300, 200);
    EXPECT_EQ(HandleAt(frame, {102, 98}), 8);
    EXPECT_EQ(HandleAt(frame, {297, 103}), 2);
    EXPECT_EQ(HandleAt(frame, {300, 200}), 4);
    EXPECT_EQ(HandleAt(frame, {100, 203}), 6);
    EXPECT_EQ(HandleAt(frame, {200, 97}), 1);
    EXPECT_EQ(HandleAt(frame, {200, 202}), 5);
    EXPECT_EQ(HandleAt(frame, {99, 150}), 7);
    EXPECT_EQ(HandleAt(frame, {303, 150}), 3);
    EXPECT_EQ(HandleAt(frame, {200, 150}), kNoHandle);
    EXPECT_EQ(HandleAt(frame, {200, 96}), kNoHandle) << "4 pixels off is out of reach";

    const CRect shown(50, 50, 400, 300);
    const CRect pulledIn = DragFrame(frame, 8, {290, 190}, shown);
    EXPECT_EQ(pulledIn.left, 300 - kMinimumFrameSize);
    EXPECT_EQ(pulledIn.top, 200 - kMinimumFrameSize);
    const CRect pulledOut = DragFrame(frame, 4, {900, 900}, shown);
    EXPECT_EQ(pulledOut.right, 400);
    EXPECT_EQ(pulledOut.bottom, 300);
    const CropMargins margins = MarginsOfFrame(CRect(85, 50, 400, 300), shown);
    EXPECT_EQ(margins, (CropMargins{100, 0, 0, 0}));
}

TEST_F(CropPictureTest, PicturesAreListedByTheirExtensionAndADeletedOneGetsTheFirstFreeNumber)
{
    EXPECT_TRUE(IsCropListedFile(QStringLiteral("/p/a.tif")));
    EXPECT_TRUE(IsCropListedFile(QStringLiteral("/p/b.JPG")));
    EXPECT_TRUE(IsCropListedFile(QStringLiteral("/p/c.jpeg")));
    EXPECT_FALSE(IsCropListedFile(QStringLiteral("/p/d.txt")));
    EXPECT_FALSE(IsCropListedFile(QStringLiteral("/p/e.m"))) << "a part of an extension is none";
    EXPECT_FALSE(IsCropListedFile(QStringLiteral("/p/README"))) << "nor is no extension";

    const QString deleted = tempPath("Deleted pictures");
    touch(deleted + "/a.jpg");
    touch(deleted + "/a(1).jpg");
    EXPECT_EQ(DeletedPictureTarget(deleted, QStringLiteral("/elsewhere/a.jpg")), deleted + "/a(2).jpg");
    EXPECT_EQ(DeletedPictureTarget(deleted + "/", QStringLiteral("/x/b.png")), deleted + "/b.png");
}

TEST_F(CropPictureTest, TheDialogBrowsesTheFoldersTurnsAndThrowsPicturesAway)
{
    writePicture("Pictures/one.png", 40, 30);
    writePicture("Pictures/sub/two.png", 20, 10);
    touch(tempPath("Pictures/notes.txt"));
    touch(tempPath("Pictures/broken.png"));
    const QString deleted = tempPath("Pictures/Deleted pictures");
    QDir().mkpath(deleted);

    CCropPictureDlg dialog;
    dialog.SetDeletedFolder(deleted);
    dialog.SetFolders({tempPath("Pictures")});
    ASSERT_EQ(dialog.Files().size(), 3) << dialog.Files().join(",").toStdString();
    // broken.png comes first and cannot be read: the first file that loads is shown.
    EXPECT_TRUE(dialog.CurrentFile().endsWith("one.png"));
    EXPECT_EQ(dialog.Position(), 1);
    EXPECT_TRUE(dialog.StatusText().startsWith("Picture 2 of 3 ("));
    EXPECT_TRUE(dialog.findChild<QToolButton*>("cropPrevious")->isEnabled());

    dialog.SetMargins(CropMargins{0, 100, 0, 0});
    dialog.RotatePicture();
    ASSERT_TRUE(dialog.Picture());
    EXPECT_EQ(QSize(dialog.Picture()->width, dialog.Picture()->height), QSize(30, 40));
    EXPECT_EQ(dialog.Margins(), (CropMargins{0, 0, 100, 0}));

    dialog.DeletePicture();
    EXPECT_TRUE(QFile::exists(deleted + "/one.png"));
    EXPECT_FALSE(QFile::exists(tempPath("Pictures/one.png")));
    EXPECT_EQ(dialog.Files().size(), 2);
    EXPECT_TRUE(dialog.CurrentFile().endsWith("two.png")) << "the next file takes its place";
    EXPECT_FALSE(dialog.findChild<QToolButton*>("cropNext")->isEnabled());
}

TEST_F(CropPictureTest, APictureThatCannotBeMovedAwayIsNamedAndStaysWhereItWasAndInTheList)
{
    const QString one = writePicture("Pictures/one.png", 40, 30);
    writePicture("Pictures/two.png", 20, 10);
    const QString deleted = tempPath("Pictures/Deleted pictures");
    QDir().mkpath(deleted);
    CCropPictureDlg dialog;
    dialog.SetDeletedFolder(deleted);
    dialog.SetFolders({tempPath("Pictures")});
    ASSERT_EQ(dialog.CurrentFile(), one);

    // Neither a rename nor the copy that stands in for one across disks can be made.
    lumivo::files::FaultyFileSystem faulty(lumivo::files::fileSystem());
    lumivo::files::ScopedFileSystem installed(faulty);
    faulty.failAt(lumivo::files::FaultyFileSystem::Operation::Rename, 1);
    ScopedAnswerer answerer;
    dialog.DeletePicture();
    ASSERT_EQ(answerer.questions().size(), 1u);
    EXPECT_EQ(answerer.questions()[0].text, LoadSystemString(kStrCannotMovePicture).replace("[#1]", one));
    EXPECT_TRUE(QFile::exists(one));
    EXPECT_TRUE(QDir(deleted).isEmpty());
    EXPECT_EQ(dialog.Files().size(), 2);
    EXPECT_EQ(dialog.CurrentFile(), one);
    EXPECT_EQ(dialog.Position(), 0);
}

TEST_F(CropPictureTest, OkHandsBackThePictureCutByTheFrameAndCancelLeavesTheCallersPicture)
{
    EXPECT_GE(CCropPictureDlg().minimumSize().width(), 580);
    std::optional<RgbImage> picture = patternImage(200, 100);
    {
        ScopedAnswerer answerer;
        answerer.reply([](QDialog& shown) {
            static_cast<CCropPictureDlg&>(shown).SetMargins(CropMargins{100, 0, 0, 0});
            return lumivo::ui::IDOK;
        });
        EXPECT_EQ(RunCropDialog(nullptr, {}, picture), lumivo::ui::IDOK);
    }
    ASSERT_TRUE(picture);
    EXPECT_EQ(QSize(picture->width, picture->height), QSize(179, 99));
    EXPECT_TRUE(std::equal(pixelAt(*picture, 0, 0), pixelAt(*picture, 0, 0) + 3,
                           pixelAt(patternImage(200, 100), 20, 0)));

    const std::vector<std::uint8_t> before = picture->pixels;
    {
        ScopedAnswerer answerer;
        answerer.reply([](QDialog& shown) {
            static_cast<CCropPictureDlg&>(shown).RotatePicture();
            return lumivo::ui::IDCANCEL;
        });
        EXPECT_EQ(RunCropDialog(nullptr, {}, picture), lumivo::ui::IDCANCEL);
    }
    EXPECT_EQ(picture->pixels, before);
}
