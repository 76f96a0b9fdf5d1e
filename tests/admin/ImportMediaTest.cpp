// The store steps of the picture, sound and clip imports and their dialogs' choices: what is stored
// where, what is refused, and that a refused or failed import leaves the output file as it was.

#include "admin/ImportAviDlg.h"
#include "admin/ImportPictDlg.h"
#include "admin/ImportSoundDlg.h"
#include "core/Clip.h"
#include "core/Page.h"
#include "core/Picture.h"
#include "core/Sound.h"
#include "panes/Panes.h"
#include "system/SystemStrings.h"
#include "tests/admin/ImportTestSupport.h"
#include "tests/support/FullDisk.h"
#include "tests/support/MediaSamples.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

using namespace lumivo;
using lumivo::test::ImportTest;

namespace
{

constexpr std::int32_t kSol = 101;
constexpr int kUnknownFile = 77;

class ImportMediaTest : public ImportTest
{
protected:
    void SetUp() override
    {
        ImportTest::SetUp();
        addWord(kSol, QStringLiteral("sol"));
    }

    template <class T> std::unique_ptr<T> stored(std::int32_t type, int file = theOutputFile)
    {
        auto object = std::make_unique<T>();
        if (AttachResource(object.get(), kSol, type, file) != RES_OK)
            return nullptr;
        object->ReadHeader();
        return object;
    }

    PictureImportChoice pictureChoice(int kind = 2, int compression = 2) const
    {
        PictureImportChoice choice;
        choice.outputFile = theOutputFile;
        choice.kind = kind;
        choice.language = kDanish;
        choice.compression = compression;
        return choice;
    }

    SoundImportChoice soundChoice(int compression = 0x106) const
    {
        SoundImportChoice choice;
        choice.outputFile = theOutputFile;
        choice.soundType = 1 + 256 * kDanish;
        choice.compression = compression;
        choice.translateLanguage = kDanish;
        return choice;
    }

    ClipImportChoice clipChoice() const
    {
        ClipImportChoice choice;
        choice.outputFile = theOutputFile;
        choice.aviType = 10 + 256 * kDanish;
        choice.translateLanguage = kDanish;
        return choice;
    }

    static QComboBox* list(QDialog& dialog, const char* name)
    {
        return dialog.findChild<QComboBox*>(QLatin1String(name));
    }
    static std::vector<int> dataOf(const QComboBox& list)
    {
        std::vector<int> data;
        for (int i = 0; i < list.count(); ++i)
            data.push_back(list.itemData(i).toInt());
        return data;
    }
    static bool importEnabled(QDialog& dialog)
    {
        return dialog.findChild<QPushButton*>(QStringLiteral("importFilesButton"))->isEnabled() &&
               dialog.findChild<QPushButton*>(QStringLiteral("importFolderButton"))->isEnabled();
    }

    const std::int32_t m_pictType = MakePictType(2, kDanish);
    const std::int32_t m_soundType = MakeSoundType(1, kDanish);
    const std::int32_t m_clipType = CQuibAvi::MakeType(10, kDanish);
};

// The imports on a disk that fills up (in place before the set-up opens the files).
class ImportOnFullDiskTest : public ImportMediaTest
{
protected:
    test::FullDisk m_disk;
};

// The main pane as a person sees it: 320 x 240 pixels.
QImage drawMainPane()
{
    QImage buffer(320, 240, QImage::Format_RGB32);
    buffer.fill(Qt::black);
    QPainter painter(&buffer);
    theMainPane.Draw(painter);
    return buffer;
}

} // namespace

TEST_F(ImportMediaTest, PictureTypesOfferTheirCompressionsAndMasksStoreLosslessly)
{
    theTranslateFlags = 0;
    CImportPictDlg dialog;
    QComboBox* types = list(dialog, "typeList");
    QComboBox* compressions = list(dialog, "compressionList");
    EXPECT_EQ(types->currentIndex(), -1);
    EXPECT_FALSE(importEnabled(dialog)) << "until a type is chosen";
    types->setCurrentIndex(types->findData(1));
    EXPECT_EQ(dataOf(*compressions), (std::vector<int>{1, 3, 4, 5, 6, 8})) << "Icon 32: no lossless entry";
    EXPECT_EQ(dialog.Compression(), 1);
    EXPECT_TRUE(importEnabled(dialog));
    types->setCurrentIndex(types->findData(18));
    EXPECT_EQ(dataOf(*compressions), (std::vector<int>{1, 2, 3, 4, 5, 6, 8, 7}));
    EXPECT_EQ(dialog.Compression(), 7);
    EXPECT_EQ(dialog.PictureFormat(), 3);
    EXPECT_EQ(dialog.Language(), kDanish);
    EXPECT_EQ(types->itemText(types->findData(18)), LoadSystemString(1222));

    ASSERT_EQ(ImportPictureFile(pictureChoice(18, 7), QStringLiteral("sol"), kSol,
                                writePicture(QStringLiteral("sol.png"))),
              0);
    const auto picture = stored<CQuibPict>(MakePictType(18, kDanish));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->StoreFormat, 3);
    EXPECT_EQ(picture->Compression, 7);
    EXPECT_EQ(picture->Width, 40u);
    QString name;
    picture->GetName(name);
    EXPECT_EQ(name, QStringLiteral("sol"));
}

TEST_F(ImportMediaTest, TheDefaultLanguageCheckStoresPicturesInLanguageOne)
{
    theTranslateFlags = 1;
    CImportPictDlg dialog;
    QComboBox* types = list(dialog, "typeList");
    types->setCurrentIndex(types->findData(2));
    EXPECT_EQ(dialog.Language(), 1);
    dialog.ImportFileList({writePicture(QStringLiteral("sol.png"))});
    EXPECT_NE(stored<CQuibPict>(MakePictType(2, 1)), nullptr);
    EXPECT_EQ(stored<CQuibPict>(m_pictType), nullptr);
}

TEST_F(ImportMediaTest, PicturesAreRefusedOrReplacedAndTheStoredOneIsKeptOnEveryFailure)
{
    const QString small = writePicture(QStringLiteral("sol.png"), 20, 10);
    const QString large = writePicture(QStringLiteral("large/sol.png"), 64, 48);
    ASSERT_EQ(ImportPictureFile(pictureChoice(), QStringLiteral("sol"), kSol, small), 0);

    EXPECT_EQ(ImportPictureFile(pictureChoice(), QStringLiteral("sol"), kSol, large), kImportExists);
    EXPECT_EQ(stored<CQuibPict>(m_pictType)->Width, 20u) << "overwrite off leaves it unchanged";

    PictureImportChoice overwrite = pictureChoice();
    overwrite.overwrite = true;
    const QString broken = writeBytes(QStringLiteral("broken.png"), "not a picture");
    EXPECT_EQ(ImportPictureFile(overwrite, QStringLiteral("sol"), kSol, broken), kImportUnreadablePicture);
    EXPECT_EQ(ImportPictureFile(overwrite, QStringLiteral("sol"), kSol, large), 0);
    EXPECT_EQ(stored<CQuibPict>(m_pictType)->Width, 64u);

    PictureImportChoice elsewhere = pictureChoice();
    elsewhere.skipWhenElsewhere = true;
    CQuibPict inData;
    ASSERT_EQ(inData.SaveAs(kSol, m_data, MakePictType(3, kDanish)), RES_OK);
    elsewhere.kind = 3;
    EXPECT_EQ(ImportPictureFile(elsewhere, QStringLiteral("sol"), kSol, small), kImportExistsElsewhere);
    EXPECT_EQ(stored<CQuibPict>(MakePictType(3, kDanish)), nullptr);

    PictureImportChoice nowhere = pictureChoice(4);
    nowhere.outputFile = kUnknownFile;
    const int failed = ImportPictureFile(nowhere, QStringLiteral("sol"), kSol, small);
    EXPECT_LT(failed, 0) << "a store error, never OK";
    EXPECT_EQ(unplacedRecords(MakePictType(0, 0)), 0) << "nothing left behind";
}

TEST_F(ImportMediaTest, SoundsAreEncodedMonoWithTheClampedAuthor)
{
    CImportSoundDlg dialog;
    QComboBox* types = list(dialog, "typeList");
    QComboBox* compressions = list(dialog, "compressionList");
    EXPECT_EQ(dataOf(*types), (std::vector<int>{512, 513, 514, 515, 516, 517, 518}));
    EXPECT_EQ(dataOf(*compressions), (std::vector<int>{0, 0x102, 0x104, 0x106, 0x107}));
    EXPECT_EQ(compressions->itemText(3),
              LoadSystemString(5573) + QStringLiteral("  (") + LoadSystemString(5580) + QLatin1Char(')'));
    EXPECT_FALSE(importEnabled(dialog)) << "until both lists are read";
    compressions->setCurrentIndex(3);
    EXPECT_TRUE(importEnabled(dialog)) << "the voice kind None carries the language";
    compressions->setCurrentIndex(0);
    EXPECT_FALSE(importEnabled(dialog)) << "the compression None";
    compressions->setCurrentIndex(3);
    types->setCurrentIndex(1);

    auto* author = dialog.findChild<QLineEdit*>(QStringLiteral("authorIdEdit"));
    author->setText(QStringLiteral("1500"));
    EXPECT_EQ(author->text(), QStringLiteral("1000"));
    EXPECT_EQ(dialog.AuthorId(), 1000);
    author->setText(QStringLiteral("-3"));
    EXPECT_EQ(author->text(), QStringLiteral("0"));
    author->setText(QString());
    EXPECT_EQ(dialog.AuthorId(), 0) << "an empty field changes nothing";
    author->setText(QStringLiteral("12,7"));
    EXPECT_EQ(author->text(), QStringLiteral("12,7"));
    EXPECT_EQ(dialog.AuthorId(), 12);

    dialog.ImportFileList({writeWave(QStringLiteral("sol.wav"), 2)});
    EXPECT_EQ(dialog.LogText(), QStringLiteral("sol\tOK\tImportet ID: 101\r\n"));
    const auto sound = stored<CQuibSound>(m_soundType);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->SoundFormat, 0x106) << "a mono MP3";
    EXPECT_EQ(sound->SoundAuthor, 12);
    EXPECT_EQ(sound->SoundDuration, 200);
    EXPECT_GT(sound->SoundBitRate, 0);
}

TEST_F(ImportMediaTest, AMonoWaveStaysMonoAndPcmKeepsItsWord)
{
    SoundImportChoice choice = soundChoice(0x202);
    ASSERT_EQ(ImportSoundFile(choice, QStringLiteral("sol"), kSol, writeWave(QStringLiteral("sol.wav"), 1)),
              0);
    const auto sound = stored<CQuibSound>(m_soundType);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->SoundFormat, 0x102);
    sound->LoadData();
    ASSERT_TRUE(sound->Data);
    const auto block = WaveBlock::fromBytes(sound->Data->data(), sound->Data->size());
    ASSERT_TRUE(block);
    EXPECT_EQ(block->channels(), 1);
    EXPECT_EQ(block->samplesPerSec(), 44100u);
}

TEST_F(ImportMediaTest, ASoundThatCannotBeStoredSaysWhyAndKeepsTheOldOne)
{
    const QString wave = writeWave(QStringLiteral("sol.wav"), 1);
    SoundImportChoice choice = soundChoice();
    choice.author = 5;
    ASSERT_EQ(ImportSoundFile(choice, QStringLiteral("sol"), kSol, wave), 0);

    choice.author = 6;
    EXPECT_EQ(ImportSoundFile(choice, QStringLiteral("sol"), kSol, wave), kImportExists);
    choice.overwrite = true;
    choice.compression = 0x103; // an encoding nobody makes: nothing is produced
    EXPECT_EQ(ImportSoundFile(choice, QStringLiteral("sol"), kSol, wave), kImportNothingProduced);
    EXPECT_EQ(ImportSoundFile(choice, QStringLiteral("sol"), kSol, mediaPath(QStringLiteral("none.wav"))),
              kImportUnreadableFile);
    const QString silent = writeWave(QStringLiteral("silent/sol.wav"), 1, 0);
    for (int compression : {0x102, 0x104}) {
        choice.compression = compression;
        EXPECT_EQ(ImportSoundFile(choice, QStringLiteral("sol"), kSol, silent), kImportNothingProduced);
    }
    EXPECT_EQ(stored<CQuibSound>(m_soundType)->SoundAuthor, 5) << "the old sound is still there";
    choice.compression = 0x102;
    EXPECT_EQ(ImportSoundFile(choice, QStringLiteral("sol"), kSol, wave), 0);
    EXPECT_EQ(stored<CQuibSound>(m_soundType)->SoundAuthor, 6) << "replaced";

    SoundImportChoice nowhere = soundChoice();
    nowhere.outputFile = kUnknownFile;
    const int failed = ImportSoundFile(nowhere, QStringLiteral("sol"), kSol, wave);
    EXPECT_LT(failed, 0);
    EXPECT_EQ(ImportLogLine(ImportItem::Sound, QStringLiteral("sol"), 1, kSol, failed),
              QStringLiteral("sol\tError\tRes error (%1)\r\n").arg(-failed));
    EXPECT_EQ(unplacedRecords(MakeSoundType(0, 0)), 0);

    SoundImportChoice elsewhere = soundChoice();
    elsewhere.skipWhenElsewhere = true;
    elsewhere.soundType = 2 + 256 * kDanish;
    CQuibSound inData;
    ASSERT_EQ(inData.SaveAs(kSol, m_data, MakeSoundType(2, kDanish)), RES_OK);
    EXPECT_EQ(ImportSoundFile(elsewhere, QStringLiteral("sol"), kSol, wave), kImportExistsElsewhere);
}

TEST_F(ImportMediaTest, AFileLargerThanARecordMayHoldOrACutShortSoundIsLoggedWithWhyAndNotStored)
{
    const std::uint64_t tooLarge = files::kMaxMediaFileBytes + 1;
    const QString hugeSound = mediaPath(QStringLiteral("huge/sol.wav"));
    const QString cutSound = mediaPath(QStringLiteral("cut/sol.wav"));
    const QString hugeClip = mediaPath(QStringLiteral("huge/sol.avi"));
    ASSERT_TRUE(QDir().mkpath(mediaPath(QStringLiteral("huge"))) &&
                QDir().mkpath(mediaPath(QStringLiteral("cut"))));
    ASSERT_TRUE(test::makeSparseWave(hugeSound, tooLarge));
    ASSERT_TRUE(test::makeSparseWave(cutSound, 108, 0xFFFFFFD0u));
    ASSERT_TRUE(test::makeSparseFile(hugeClip, "RIFF....AVI LIST", tooLarge));
    const QString tooLargeLine =
        QStringLiteral("sol\tError\tThe file is larger than %1 MB and was not read\r\n")
            .arg(files::kMaxMediaFileBytes >> 20);

    const auto logged = [](ImportItem item, int result) {
        return ImportLogLine(item, QStringLiteral("sol"), 1, kSol, result);
    };
    EXPECT_EQ(
        logged(ImportItem::Sound, ImportSoundFile(soundChoice(), QStringLiteral("sol"), kSol, hugeSound)),
        tooLargeLine);
    EXPECT_EQ(
        logged(ImportItem::Sound, ImportSoundFile(soundChoice(), QStringLiteral("sol"), kSol, cutSound)),
        QStringLiteral("sol\tError\tThe file is damaged: its sound ends before its header says\r\n"));
    EXPECT_EQ(logged(ImportItem::Clip, ImportAviFile(clipChoice(), QStringLiteral("sol"), kSol, hugeClip)),
              tooLargeLine);
    EXPECT_EQ(stored<CQuibSound>(m_soundType), nullptr);
    EXPECT_EQ(stored<CQuibAvi>(m_clipType), nullptr);
    EXPECT_EQ(unplacedRecords(CQuibAvi::MakeType(0, 0)), 0);
}

TEST_F(ImportMediaTest, ClipsKeepTheirBytesAndTheDefaultColours)
{
    CImportAviDlg dialog;
    QComboBox* types = list(dialog, "typeList");
    EXPECT_EQ(dataOf(*types), (std::vector<int>{256, 257, 258, 259, 260, 261, 266, 267}))
        << "listed for language 1";
    EXPECT_EQ(types->currentIndex(), 0);
    EXPECT_TRUE(importEnabled(dialog)) << "opened on None, which carries its language";
    types->setCurrentIndex(1);
    types->setCurrentIndex(0);
    EXPECT_TRUE(importEnabled(dialog));
    EXPECT_EQ(dialog.ChromaKey(), kClipDefaultColor);
    dialog.findChild<QLineEdit*>(QStringLiteral("authorIdEdit"))->setText(QStringLiteral("42"));
    const QByteArray bytes("RIFF....AVI LIST clip bytes");
    dialog.ImportFileList({writeBytes(QStringLiteral("sol.avi"), bytes)});
    EXPECT_EQ(dialog.LogText(), QStringLiteral("sol\tOK\tImportet ID: 101\r\n"));
    const auto clip = stored<CQuibAvi>(CQuibAvi::MakeType(0, kDanish));
    ASSERT_NE(clip, nullptr) << "kind 0 in the translation language";
    EXPECT_EQ(clip->Param2, 0xFBFFFFFFu);
    EXPECT_EQ(clip->Param3, 0xFBFFFFFFu);
    EXPECT_EQ(clip->Options, 42);
    ASSERT_TRUE(clip->LoadData());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(clip->AviData->data()), int(clip->AviData->size())),
              bytes);
}

TEST_F(ImportMediaTest, ARefusedClipLeavesNoRecordBehindAndOverwriteReplaces)
{
    const QString first = writeBytes(QStringLiteral("sol.avi"), "first clip");
    const QString second = writeBytes(QStringLiteral("again/sol.avi"), "second clip, longer");
    const std::int32_t bare = CQuibAvi::MakeType(0, 0);
    ClipImportChoice choice = clipChoice();
    ASSERT_EQ(ImportAviFile(choice, QStringLiteral("sol"), kSol, first), 0);
    EXPECT_EQ(ImportAviFile(choice, QStringLiteral("sol"), kSol, second), kImportExists);
    EXPECT_EQ(ImportAviFile(choice, QStringLiteral("sol"), kSol, mediaPath(QStringLiteral("none.avi"))),
              kImportUnreadableFile);
    ClipImportChoice elsewhere = clipChoice();
    elsewhere.skipWhenElsewhere = true;
    elsewhere.aviType = 11 + 256 * kDanish;
    CQuibAvi inData;
    ASSERT_EQ(inData.SaveAs(kSol, m_data, CQuibAvi::MakeType(11, kDanish)), RES_OK);
    EXPECT_EQ(ImportAviFile(elsewhere, QStringLiteral("sol"), kSol, second), kImportExistsElsewhere);
    ClipImportChoice nowhere = clipChoice();
    nowhere.outputFile = kUnknownFile;
    EXPECT_LT(ImportAviFile(nowhere, QStringLiteral("sol"), kSol, second), 0);
    EXPECT_EQ(unplacedRecords(bare), 0) << "no record made up front is left";
    EXPECT_EQ(stored<CQuibAvi>(m_clipType)->DataSize, 10u);

    choice.overwrite = true;
    choice.author = 9;
    EXPECT_EQ(ImportAviFile(choice, QStringLiteral("sol"), kSol, second), 0);
    const auto replaced = stored<CQuibAvi>(m_clipType);
    EXPECT_EQ(replaced->DataSize, 19u);
    EXPECT_EQ(replaced->Options, 9);
    EXPECT_EQ(unplacedRecords(bare), 0);
}

TEST_F(ImportOnFullDiskTest, AnImportThatCannotBeWrittenKeepsTheStoredPictureSoundAndClip)
{
    PictureImportChoice picture = pictureChoice();
    SoundImportChoice sound = soundChoice();
    ClipImportChoice clip = clipChoice();
    sound.author = 5;
    ASSERT_EQ(ImportPictureFile(picture, QStringLiteral("sol"), kSol,
                                writePicture(QStringLiteral("sol.png"), 20, 10)),
              0);
    ASSERT_EQ(ImportSoundFile(sound, QStringLiteral("sol"), kSol, writeWave(QStringLiteral("sol.wav"), 1)),
              0);
    ASSERT_EQ(
        ImportAviFile(clip, QStringLiteral("sol"), kSol, writeBytes(QStringLiteral("sol.avi"), "first clip")),
        0);

    picture.overwrite = sound.overwrite = clip.overwrite = true;
    sound.author = 6;
    const QString largePicture = writePicture(QStringLiteral("large/sol.png"), 64, 48);
    const QString secondSound = writeWave(QStringLiteral("again/sol.wav"), 1);
    const QString secondClip = writeBytes(QStringLiteral("again/sol.avi"), "second clip, longer");
    m_disk.Fill();
    EXPECT_LT(ImportPictureFile(picture, QStringLiteral("sol"), kSol, largePicture), 0);
    EXPECT_LT(ImportSoundFile(sound, QStringLiteral("sol"), kSol, secondSound), 0);
    EXPECT_LT(ImportAviFile(clip, QStringLiteral("sol"), kSol, secondClip), 0);
    m_disk.MakeRoom();

    EXPECT_EQ(stored<CQuibPict>(m_pictType)->Width, 20u);
    EXPECT_EQ(stored<CQuibSound>(m_soundType)->SoundAuthor, 5);
    EXPECT_EQ(stored<CQuibAvi>(m_clipType)->DataSize, 10u);
    for (const std::int32_t type : {m_pictType, m_soundType, m_clipType}) {
        int count = 0;
        ASSERT_EQ(CountResources(&count, type, theOutputFile), RES_OK);
        EXPECT_EQ(count, 1) << "no new record is left behind";
    }
}

TEST_F(ImportMediaTest, AnImportedPictureShowsInThePanesAtOnce)
{
    theActiveFiles = {m_data, theOutputFile};
    const auto writeSolid = [this](const QString& name, QColor color) {
        QImage image(40, 40, QImage::Format_RGB32);
        image.fill(color);
        EXPECT_TRUE(image.save(mediaPath(name)));
        return mediaPath(name);
    };
    ASSERT_EQ(ImportPictureFile(pictureChoice(), QStringLiteral("sol"), kSol,
                                writeSolid(QStringLiteral("sol.png"), Qt::red)),
              0);
    auto page = std::make_unique<CQuibBg>();
    auto icon = std::make_unique<CQuibIcon>();
    icon->WordId = kSol;
    icon->StoredRect = CRect(250, 250, 500, 500);
    const CQuibIcon& shown = *icon;
    page->Icons.push_back(std::move(icon));
    theMainPane.PaneRect = CRect(0, 0, 320, 240);
    theMainPane.SetVisible(true);
    ASSERT_EQ(theMainPane.AdoptPage(std::move(page)), nullptr);
    const QImage before = drawMainPane();
    before.save(tempPath(QStringLiteral("before.png")));
    const QPoint middle =
        toQRect(shown.ScreenRect).translated(toQPoint(theMainPane.PageRect.TopLeft())).center();
    ASSERT_EQ(before.pixel(middle), qRgb(255, 0, 0));

    PictureImportChoice overwrite = pictureChoice();
    overwrite.overwrite = true;
    ASSERT_EQ(ImportPictureFile(overwrite, QStringLiteral("sol"), kSol,
                                writeSolid(QStringLiteral("blue/sol.png"), Qt::blue)),
              0);
    const QImage after = drawMainPane();
    after.save(tempPath(QStringLiteral("after.png")));
    EXPECT_EQ(after.pixel(middle), qRgb(0, 0, 255)) << "the imported picture, without a reload";
    theMainPane.SetPage(nullptr);
}
