// The word editor's Image, Sound and Animation pages with real files: what an imported picture, sound or
// clip becomes in the sheet's file, the choices each page offers, and the files they leave behind.

#include "authoring/SoundEncoding.h"
#include "authoring/WordAviPage.h"
#include "authoring/WordPictPage.h"
#include "authoring/WordSheetView.h"
#include "authoring/WordSoundPage.h"
#include "authoring/WordTreeView.h"

#include "core/Clip.h"
#include "core/Icon.h"
#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/Picture.h"
#include "core/Sound.h"
#include "panes/BrowsePane.h"
#include "panes/ClipPreview.h"
#include "platform/ui/Ui.h"
#include "system/DataFiles.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/authoring/WordTestFiles.h"
#include "tests/support/FullDisk.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/MediaSamples.h"
#include "tests/support/PageEventLog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace lumivo::test;
using lumivo::ui::ScopedAnswerer;

namespace
{

constexpr std::uint16_t kLanguage = 2;
constexpr std::int32_t kWordId = 100;

int pictureKey(int kind, int language = kLanguage)
{
    return (kind << 8) | language;
}

int soundKey(int kind, int language = kLanguage)
{
    return kind | (language << 8);
}

class WordMediaPagesTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theBaseDir = tempPath("base");
        QDir().mkpath(theBaseDir);
        m_user = std::make_unique<UserInFile>(tempPath("user.tvf"), kLanguage);
        m_word = fileWord(m_user->file, kWordId, kLanguage, "hest");
        // The finders look in the user's file, in the user's language.
        theActiveFiles = {m_user->file};
        theSearchLanguages = {kLanguage};
        theCurrentLanguage = kLanguage;
    }

    void TearDown() override
    {
        ResetWordEditor();
        theWordIndex.DeleteAll();
        m_user.reset();
        LumivoTest::TearDown();
    }

    // The editor on the word, with the page shown.
    template <class Page> Page& openOn(Page& (CQuibW_PropSheet::*pageOf)())
    {
        CQuibW_Frame& frame = openWordEditor();
        EXPECT_TRUE(frame.SelectWord(m_word));
        CQuibW_PropSheet& sheet = frame.View().Sheet();
        Page& page = (sheet.*pageOf)();
        EXPECT_TRUE(sheet.SetActivePage(page));
        return page;
    }

    QString writePicture(const QString& name, int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB888);
        image.fill(QColor(10, 200, 30));
        image.setPixelColor(0, 0, Qt::white);
        EXPECT_TRUE(image.save(tempPath(name)));
        return tempPath(name);
    }

    QString writeWave(const QString& name, int seconds, int channels)
    {
        const int rate = 22050;
        std::vector<std::uint8_t> samples(std::size_t(rate) * seconds * channels * 2);
        for (std::size_t at = 0; at < samples.size(); ++at)
            samples[at] = std::uint8_t((at * 7) & 0x3F);
        EXPECT_TRUE(WriteWaveFile(tempPath(name), WaveBlock(lumivo::wave::WaveFormat::pcm(channels, rate, 16),
                                                            std::move(samples))));
        return tempPath(name);
    }

    QString writeBytes(const QString& path, int size)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'c'));
        return path;
    }

    std::unique_ptr<UserInFile> m_user;
    CQuibWord* m_word = nullptr;
};

// A client area of 800 x 600 that repaints nothing.
class ClientArea : public CPaneOwner
{
public:
    bool HasWindow() const override { return true; }
    void InvalidateRect(const CRect& /*rect*/, bool /*erase*/) override {}
    CRect GetClientRect() const override { return CRect(0, 0, 800, 600); }
};

// The browse callout as it paints itself onto a white client area.
QImage drawnCallout()
{
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    theBrowsePane.Draw(painter);
    return image;
}

// The same on a disk that fills up (in place before the set-up opens the files).
class WordMediaOnFullDiskTest : public WordMediaPagesTest
{
protected:
    FullDisk m_disk;
};

} // namespace

TEST(WordPictureKindsTest, CompressionChoicesBlackAndWhiteAndSquares)
{
    const auto has = [](const std::vector<int>& codes, int code) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    EXPECT_FALSE(has(WordCompressionChoicesFor(pictureKey(3, 1)), 2)) << "no \"No data loss\" for language 1";
    EXPECT_TRUE(has(WordCompressionChoicesFor(pictureKey(3)), 2));
    EXPECT_FALSE(has(WordCompressionChoicesFor(pictureKey(3)), 7));
    // The black-and-white key is told by the kind byte, never by the language byte.
    EXPECT_TRUE(has(WordCompressionChoicesFor(pictureKey(19)), 7));
    EXPECT_FALSE(has(WordCompressionChoicesFor(pictureKey(3, 0x12)), 7));
    EXPECT_TRUE(IsBlackAndWhiteKind(26));
    EXPECT_EQ(SquareSideOfKind(3), 64);
    EXPECT_EQ(SquareSideOfKind(21), 128);
    EXPECT_EQ(SquareSideOfKind(10), 0);

    RgbImage image{3, 1, {255, 255, 255, 255, 255, 254, 0, 10, 20}};
    MakeBlackAndWhite(image);
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{255, 255, 255, 0, 0, 0, 0, 0, 0}));
}

TEST_F(WordMediaPagesTest, AnImportedPictureIsStretchedToItsSquareOrKeptAndStoredWithItsCompression)
{
    CQuibW_PictPage& page = openOn(&CQuibW_PropSheet::PictPage);
    const QString path = writePicture("wide.png", 200, 100);
    page.ChooseKey(pictureKey(3));
    {
        ScopedAnswerer answerer;
        answerer.reply(path);
        page.ImportPicture();
    }
    const WordPictureEntry* square = page.Entry(pictureKey(3));
    ASSERT_NE(square, nullptr);
    EXPECT_EQ(square->working.width, 64);
    EXPECT_EQ(square->working.height, 64);
    page.ChooseCompression(5);
    EXPECT_EQ(square->storeFormat, pictJpeg70);

    page.ChooseKey(pictureKey(10));
    {
        ScopedAnswerer answerer;
        answerer.reply(path);
        page.ImportPicture();
    }
    EXPECT_EQ(page.Entry(pictureKey(10))->working.width, 200);
    EXPECT_EQ(page.Entry(pictureKey(10))->working.height, 100);
    EXPECT_TRUE(theWordEditorFrame->View().OkButton().isEnabled());
    theWordEditorFrame->View().OkButton().click();

    CQuibPict stored;
    ASSERT_EQ(AttachResource(&stored, kWordId, MakePictType(3, kLanguage), m_user->file), RES_OK);
    ASSERT_GE(stored.Load(), 0);
    ASSERT_TRUE(stored.ReadHeader());
    EXPECT_EQ(stored.Width, 64u);
    EXPECT_EQ(stored.Height, 64u);
    EXPECT_EQ(stored.StoreFormat, pictJpeg70);
    EXPECT_EQ(stored.Compression, 5);
    CQuibPict wide;
    ASSERT_EQ(AttachResource(&wide, kWordId, MakePictType(10, kLanguage), m_user->file), RES_OK);
    ASSERT_GE(wide.Load(), 0);
    ASSERT_TRUE(wide.ReadHeader());
    EXPECT_EQ(wide.Width, 200u);
    EXPECT_EQ(wide.StoreFormat, pictPng) << "Graphic by default";
}

TEST_F(WordMediaPagesTest, AStoredPictureShowsAsTheWordsAndHidesTheWordFromTheWithoutPictureList)
{
    CQuibPict picture;
    ASSERT_EQ(picture.Create(), RES_OK);
    ASSERT_TRUE(picture.SetImage(patternImage(48, 48), 48, 48, pictRawRgb));
    ASSERT_EQ(picture.SaveAs(kWordId, m_user->file, MakePictType(2, kLanguage)), RES_OK);
    picture.Write();
    CQuibW_PictPage& page = openOn(&CQuibW_PropSheet::PictPage);
    page.ChooseKey(pictureKey(2));
    ASSERT_NE(page.Entry(pictureKey(2)), nullptr);
    EXPECT_EQ(page.Entry(pictureKey(2))->status, LoadSystemString(9866));
    EXPECT_FALSE(page.CompressionList()->isEnabled()) << "a stored picture is not encoded again";
    page.ChooseKey(pictureKey(3));
    EXPECT_EQ(page.Entry(pictureKey(3))->status, LoadSystemString(9869)) << "the 48 x 48 one as preview";
    page.ChooseKey(0);
    EXPECT_FALSE(page.ImportButton()->isEnabled()) << "no kind chosen";

    CQuibW_Frame& frame = *theWordEditorFrame;
    page.ChooseKey(pictureKey(2));
    frame.Execute(kWordWithoutPicture);
    frame.Execute(kWordRebuildList);
    EXPECT_EQ(frame.ForEachListedWord(), 0) << "the word has a picture of the chosen kind";
}

TEST_F(WordMediaPagesTest, ASoundIsEncodedByItsChoiceInMonoWithItsSpeakerAndDurationIn64Bits)
{
    CQuibW_SoundPage& page = openOn(&CQuibW_PropSheet::SoundPage);
    page.ChooseKey(soundKey(1));
    {
        ScopedAnswerer answerer;
        answerer.reply(writeWave("ten.wav", 10, 1));
        page.ImportSound();
    }
    const WordSoundEntry* entry = page.Entry(soundKey(1));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->durationMs, 10000u);
    EXPECT_EQ(page.CompressionList()->count(), 5) << "a mono source offers no stereo";
    page.ChooseCompression(0x204);
    EXPECT_EQ(entry->format, 0x104) << "a stereo choice is stored as mono";
    page.ChooseCompression(0x102);
    EXPECT_EQ(entry->format, 0x102);
    EXPECT_EQ(entry->bitRate, SoundBitRate(entry->encoded.size(), 10000));

    page.SpeakerIdEdit()->setText("12,7");
    page.OnSpeakerIdEdited("12,7");
    EXPECT_EQ(entry->speakerId, 12);
    page.SpeakerIdEdit()->setText("2000");
    page.OnSpeakerIdEdited("2000");
    EXPECT_EQ(entry->speakerId, 1000);
    EXPECT_EQ(page.SpeakerIdEdit()->text(), "1000") << "shown clamped";
    theWordEditorFrame->View().OkButton().click();

    CQuibSound stored;
    ASSERT_EQ(AttachResource(&stored, kWordId, MakeSoundType(1, kLanguage), m_user->file), RES_OK);
    stored.LoadData();
    ASSERT_TRUE(stored.Data);
    EXPECT_EQ(stored.SoundFormat, 0x102);
    EXPECT_EQ(stored.SoundAuthor, 1000);
    EXPECT_EQ(stored.SoundDuration, 10000);
    const auto block = WaveBlock::fromBytes(stored.Data->data(), stored.Data->size());
    ASSERT_TRUE(block);
    EXPECT_EQ(block->samplesPerSec(), 44100u) << "No loss is PCM at 44,100 Hz";
    EXPECT_EQ(block->channels(), 1);

    EXPECT_EQ(SoundBitRate(std::uint64_t(5) << 32, 1000), 0xFFFFFFFFu) << "no wrap in 32 bits";
    EXPECT_EQ(SoundBitRate(100, 0), 0u);
}

TEST_F(WordMediaPagesTest, AWaveFileThatCannotBeReadIsToldAndLeavesNothingToStore)
{
    CQuibW_SoundPage& page = openOn(&CQuibW_PropSheet::SoundPage);
    page.ChooseKey(soundKey(1));
    const QString broken = writeBytes(tempPath("broken.wav"), 100);
    ScopedAnswerer answerer;
    answerer.reply(broken);
    page.ImportSound();
    ASSERT_EQ(answerer.questions().size(), 2u);
    EXPECT_EQ(answerer.questions()[1].kind, lumivo::ui::QuestionKind::MessageBox);
    EXPECT_TRUE(answerer.questions()[1].text.contains(broken));
    const WordSoundEntry* entry = page.Entry(soundKey(1));
    EXPECT_TRUE(!entry || !entry->changed);
    ASSERT_TRUE(page.StoreSounds());
    EXPECT_FALSE(ResourceExists(kWordId, MakeSoundType(1, kLanguage), m_user->file));
}

// A file that gives no sound, or no file chosen, leaves the sound imported before as it was: still to be
// stored, and the page names its file, not the refused one.
TEST_F(WordMediaPagesTest, APickThatGivesNoSoundKeepsTheSoundImportedBefore)
{
    CQuibW_SoundPage& page = openOn(&CQuibW_PropSheet::SoundPage);
    page.ChooseKey(soundKey(1));
    const QString good = writeWave("good.wav", 1, 1);
    const QString cut = tempPath("cut.wav");
    ASSERT_TRUE(makeSparseWave(cut, 108, 0xFFFFFFD0u));
    for (const QString& picked : {good, cut, QString()}) {
        ScopedAnswerer answerer;
        if (picked.isEmpty())
            answerer.reply(lumivo::ui::IDCANCEL);
        else
            answerer.reply(picked);
        page.ImportSound();
    }
    const WordSoundEntry* entry = page.Entry(soundKey(1));
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->changed);
    EXPECT_EQ(entry->fileName, good);
    const QString shown = page.GetWidget()->findChild<QLineEdit*>("wordSoundFile")->text();
    EXPECT_TRUE(shown.contains(good) && !shown.contains(cut)) << shown.toStdString();
    theWordEditorFrame->View().OkButton().click();
    EXPECT_TRUE(ResourceExists(kWordId, MakeSoundType(1, kLanguage), m_user->file));
}

TEST_F(WordMediaPagesTest, ASoundShownFromAnotherFileIsNeverStoredEmptyAndAStoredOneKeepsItsBytes)
{
    const int data = makeResourceFile(tempPath("data.tvf"));
    theDataFiles.push_back(data);
    theActiveFiles = {data, m_user->file};
    CQuibSound other;
    ASSERT_EQ(other.Create(), RES_OK);
    other.SetData(std::vector<std::uint8_t>(4000, 0x11), 0x102, 7, 500, 8000);
    ASSERT_EQ(other.SaveAs(kWordId, data, MakeSoundType(2, kLanguage)), RES_OK);
    other.Write();

    CQuibW_SoundPage& page = openOn(&CQuibW_PropSheet::SoundPage);
    page.ChooseKey(soundKey(2));
    const WordSoundEntry* shown = page.Entry(soundKey(2));
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->ownSound);
    EXPECT_EQ(shown->speakerId, 7);
    page.OnSpeakerIdEdited("9");
    EXPECT_FALSE(shown->changed) << "nothing of another file's sound is stored here";
    ASSERT_TRUE(page.StoreSounds());
    EXPECT_FALSE(ResourceExists(kWordId, MakeSoundType(2, kLanguage), m_user->file));

    // A stored sound of the word whose speaker changes is written again with its own bytes.
    CQuibSound own;
    ASSERT_EQ(own.Create(), RES_OK);
    own.SetData(std::vector<std::uint8_t>(3000, 0x22), 0x102, 1, 400, 7500);
    ASSERT_EQ(own.SaveAs(kWordId, m_user->file, MakeSoundType(3, kLanguage)), RES_OK);
    own.Write();
    page.ChooseKey(soundKey(3));
    page.OnSpeakerIdEdited("44");
    ASSERT_TRUE(page.StoreSounds());
    CQuibSound again;
    ASSERT_EQ(AttachResource(&again, kWordId, MakeSoundType(3, kLanguage), m_user->file), RES_OK);
    again.LoadData();
    ASSERT_TRUE(again.Data);
    EXPECT_EQ(again.Data->size(), 3000u);
    EXPECT_EQ(again.SoundAuthor, 44);
}

TEST_F(WordMediaPagesTest, AClipIsImportedWithItsAuthorAndNoFileButItsOwnTemporaryCopyIsEverDeleted)
{
    CQuibW_AviPage& page = openOn(&CQuibW_PropSheet::AviPage);
    page.ChooseKey(soundKey(0));
    EXPECT_FALSE(page.ImportButton()->isEnabled()) << "kind 0 offers nothing to import";
    EXPECT_FALSE(page.AttachButton()->isEnabled());
    page.ChooseKey(soundKey(1));
    // A clip of the author's whose name looks like a temporary copy's.
    const QString source = writeBytes(tempPath("Temp_dance.avi"), 5000);
    {
        ScopedAnswerer answerer;
        answerer.reply(source);
        page.ImportClip();
    }
    page.OnAuthorIdEdited("40000");
    EXPECT_EQ(page.Entry(soundKey(1))->authorId, 32767);
    theWordEditorFrame->View().OkButton().click();
    CQuibAvi stored;
    ASSERT_EQ(AttachResource(&stored, kWordId, CQuibAvi::MakeType(1, kLanguage), m_user->file), RES_OK);
    ASSERT_GE(stored.Load(), 0);
    EXPECT_EQ(stored.DataSize, 5000u);
    EXPECT_EQ(stored.Options, 32767);

    // Shown again, the stored clip plays from a copy in the Temp folder, which goes with the entry.
    ASSERT_TRUE(theWordEditorFrame->SelectWord(nullptr));
    ASSERT_TRUE(theWordEditorFrame->SelectWord(m_word));
    const WordClipEntry* entry = page.Entry(soundKey(1));
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(entry->ownsPlayFile);
    const QString copy = entry->playPath;
    EXPECT_TRUE(copy.startsWith(GetTempDirString(QStringLiteral("/")))) << copy.toStdString();
    EXPECT_TRUE(QFile::exists(copy));
    ASSERT_TRUE(theWordEditorFrame->SelectWord(nullptr));
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_TRUE(QFile::exists(source)) << "an imported clip is never deleted";
}

TEST_F(WordMediaPagesTest, ADeletedClipIsAnnouncedAndTheCalloutPlaysItNoMore)
{
    if (!haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    // The word's picture and clip of the callout's 64 pixels.
    CQuibPict picture;
    ASSERT_EQ(picture.Create(), RES_OK);
    ASSERT_TRUE(picture.SetImage(patternImage(64, 64), 64, 64, pictRawRgb));
    ASSERT_EQ(picture.SaveAs(kWordId, m_user->file, MakePictType(3, kLanguage)), RES_OK);
    ASSERT_EQ(picture.Write(), RES_OK);
    const QString clipFile = tempPath("dance.avi");
    ASSERT_TRUE(makeMjpegAvi(clipFile, QStringLiteral("testsrc=size=64x64:rate=5"), 5));
    const std::int32_t clipType = CQuibAvi::MakeType(3, kLanguage);
    CQuibAvi clip;
    ASSERT_EQ(clip.Create(), RES_OK);
    ASSERT_NE(clip.ImportFile(clipFile), 0);
    ASSERT_EQ(clip.SaveAs(kWordId, m_user->file, clipType), RES_OK);
    ASSERT_EQ(clip.Write(), RES_OK);

    // An icon of the word selected with the browse tool: the callout shows it with its picture, and
    // under the mouse its clip plays there.
    ClientArea client;
    CPane pane;
    pane.PaneRect = pane.PageRect = client.GetClientRect();
    pane.SetOwnerWnd(&client);
    pane.SetVisible(true);
    auto made = std::make_unique<CQuibIcon>();
    made->ScreenRect = CRect(300, 200, 380, 260);
    made->WordId = kWordId;
    CQuibIcon& icon = *made;
    pane.AddChildIcon(std::move(made));
    theEditTool = kEditToolBrowse;
    theBrowsePane.SetOwnerWnd(&client);
    theBrowsePane.RenderQuality = 1;
    theBrowsePane.BrowseFlags = kBrowseStyleRoundRectAround | kBrowseShowText;
    icon.Select();
    ASSERT_TRUE(theBrowsePane.IsVisible());
    const CRect pictureRect = theBrowsePane.PictureRect();
    ASSERT_EQ(pictureRect.Size(), CSize(64, 64));
    const QImage stillPicture = drawnCallout().copy(toQRect(pictureRect));
    SetHoverIcon(theBrowsePane.EnlargedIcon());
    ASSERT_EQ(theClipPreview.Icon(), theBrowsePane.EnlargedIcon());
    ASSERT_NE(drawnCallout().copy(toQRect(pictureRect)), stillPicture) << "the clip's frame is shown";

    CQuibW_AviPage& page = openOn(&CQuibW_PropSheet::AviPage);
    page.ChooseKey(soundKey(3));
    ASSERT_NE(page.Entry(soundKey(3)), nullptr);
    PageEventLog log;
    page.DeleteClip();
    EXPECT_EQ(countRecords(m_user->file, clipType), 0);
    const auto events = log.take();
    EXPECT_NE(std::ranges::find(events, PageEventLog::Event{"storedMediaChanged", nullptr, nullptr, kWordId}),
              events.end());
    EXPECT_EQ(theClipPreview.Icon(), nullptr);
    const QImage after = drawnCallout();
    after.save(tempPath("callout.png"));
    EXPECT_EQ(after.copy(toQRect(pictureRect)), stillPicture);
    SetHoverIcon(nullptr);
}

TEST_F(WordMediaPagesTest, AClipFileThatCannotBeReadIsToldAtOnceAndChangesNothing)
{
    CQuibW_AviPage& page = openOn(&CQuibW_PropSheet::AviPage);
    page.ChooseKey(soundKey(1));
    for (const QString& path : {writeBytes(tempPath("empty.avi"), 0), tempPath("missing.avi")}) {
        ScopedAnswerer answerer;
        answerer.reply(path);
        page.ImportClip();
        ASSERT_EQ(answerer.questions().size(), 2u) << path.toStdString();
        EXPECT_EQ(answerer.questions()[1].kind, lumivo::ui::QuestionKind::MessageBox);
        EXPECT_TRUE(answerer.questions()[1].text.contains(path));
        const WordClipEntry* entry = page.Entry(soundKey(1));
        EXPECT_TRUE(!entry || (!entry->changed && entry->sourcePath.isEmpty())) << path.toStdString();
    }
    EXPECT_FALSE(theWordEditorFrame->View().IsChanged());
}

TEST_F(WordMediaPagesTest, AFileLargerThanARecordMayHoldOrACutShortSoundIsToldWhyAndNothingIsStored)
{
    const std::uint64_t tooLarge = lumivo::files::kMaxMediaFileBytes + 1;
    const QString hugeClip = tempPath("huge.avi"), hugeSound = tempPath("huge.wav"),
                  cut = tempPath("cut.wav");
    ASSERT_TRUE(makeSparseFile(hugeClip, "RIFF....AVI LIST", tooLarge));
    ASSERT_TRUE(makeSparseWave(hugeSound, tooLarge));
    ASSERT_TRUE(makeSparseWave(cut, 108, 0xFFFFFFD0u));
    const QString larger = QStringLiteral("larger than %1 MB").arg(lumivo::files::kMaxMediaFileBytes >> 20);
    // The message names the file and the reason.
    const auto toldOnPicking = [](const QString& path, const std::function<void()>& pick) {
        ScopedAnswerer answerer;
        answerer.reply(path);
        pick();
        return answerer.questions().size() == 2 ? answerer.questions()[1].text : QString();
    };

    CQuibW_AviPage& clips = openOn(&CQuibW_PropSheet::AviPage);
    clips.ChooseKey(soundKey(1));
    const QString toldOfClip = toldOnPicking(hugeClip, [&] { clips.ImportClip(); });
    EXPECT_TRUE(toldOfClip.contains(hugeClip) && toldOfClip.contains(larger)) << toldOfClip.toStdString();
    EXPECT_FALSE(clips.Entry(soundKey(1)) && clips.Entry(soundKey(1))->changed);

    CQuibW_PropSheet& sheet = theWordEditorFrame->View().Sheet();
    ASSERT_TRUE(sheet.SetActivePage(sheet.SoundPage()));
    CQuibW_SoundPage& sounds = sheet.SoundPage();
    sounds.ChooseKey(soundKey(1));
    for (const auto& [path, reason] :
         {std::pair{hugeSound, larger}, std::pair{cut, QStringLiteral("damaged")}}) {
        const QString told = toldOnPicking(path, [&] { sounds.ImportSound(); });
        EXPECT_TRUE(told.contains(path) && told.contains(reason)) << told.toStdString();
        EXPECT_FALSE(sounds.Entry(soundKey(1)) && sounds.Entry(soundKey(1))->changed);
    }
    EXPECT_FALSE(theWordEditorFrame->View().IsChanged());
    theWordEditorFrame->View().OkButton().click();
    EXPECT_FALSE(ResourceExists(kWordId, MakeSoundType(1, kLanguage), m_user->file));
    EXPECT_FALSE(ResourceExists(kWordId, CQuibAvi::MakeType(1, kLanguage), m_user->file));
}

TEST_F(WordMediaPagesTest, AnAttachedClipIsReferredToBelowTheUsersOrDataFolder)
{
    EXPECT_EQ(ClipReferenceName(GetUsersDirString(QStringLiteral("/Anna/clips/hop.avi"))), "/Users/hop.avi");
    EXPECT_EQ(ClipReferenceName(GetDataDirString(QStringLiteral("/hop.avi"))), "/Data/hop.avi");
    EXPECT_EQ(ClipReferenceName(tempPath("elsewhere/hop.avi")), tempPath("elsewhere/hop.avi"));
}

TEST_F(WordMediaOnFullDiskTest, OkOnAFullDiskKeepsTheStoredSoundSaysWhatWasNotStoredAndStoresItLater)
{
    const std::int32_t type = MakeSoundType(1, kLanguage);
    {
        CQuibSound old;
        ASSERT_EQ(old.Create(), RES_OK);
        old.SetData(std::vector<std::uint8_t>(3000, 0x22), 0x102, 5, 400, 7500);
        ASSERT_EQ(old.SaveAs(kWordId, m_user->file, type), RES_OK);
        ASSERT_EQ(old.Write(), RES_OK);
    }
    const auto storedAuthor = [&] {
        CQuibSound stored;
        if (AttachResource(&stored, kWordId, type, m_user->file) != RES_OK)
            return -1;
        stored.LoadData();
        return int(stored.SoundAuthor);
    };
    CQuibW_SoundPage& page = openOn(&CQuibW_PropSheet::SoundPage);
    page.ChooseKey(soundKey(1));
    {
        ScopedAnswerer answerer;
        answerer.reply(writeWave("new.wav", 1, 1));
        page.ImportSound();
    }
    page.SpeakerIdEdit()->setText("9");
    page.OnSpeakerIdEdited("9");

    m_disk.Fill();
    {
        ScopedAnswerer answerer;
        EXPECT_FALSE(theWordEditorFrame->SaveCurrentWord(false));
        ASSERT_EQ(answerer.questions().size(), 1u) << "the person is told";
        const QString told = answerer.questions()[0].text;
        EXPECT_TRUE(told.contains(LoadSystemString(1251))) << told.toStdString();
        EXPECT_TRUE(told.contains("hest"));
        EXPECT_TRUE(told.contains(GetResFilePath(m_user->file)));
    }
    EXPECT_EQ(storedAuthor(), 5) << "the stored sound is kept";
    EXPECT_EQ(countRecords(m_user->file, type), 1) << "and no new record is left behind";
    ASSERT_NE(page.Entry(soundKey(1)), nullptr);
    EXPECT_TRUE(page.Entry(soundKey(1))->changed) << "the new sound waits in the editor";
    EXPECT_TRUE(theWordEditorFrame->View().IsChanged());

    m_disk.MakeRoom();
    ScopedAnswerer quiet;
    EXPECT_TRUE(theWordEditorFrame->SaveCurrentWord(false));
    EXPECT_TRUE(quiet.questions().empty());
    EXPECT_EQ(storedAuthor(), 9);
    EXPECT_EQ(countRecords(m_user->file, type), 1);
}

TEST_F(WordMediaOnFullDiskTest, OkOnAFullDiskKeepsTheStoredClipAndALaterOkKeepsItsBytes)
{
    const std::int32_t type = CQuibAvi::MakeType(1, kLanguage);
    const auto stored = [&] {
        auto clip = std::make_unique<CQuibAvi>();
        EXPECT_EQ(AttachResource(clip.get(), kWordId, type, m_user->file), RES_OK);
        EXPECT_GE(clip->Load(), 0);
        return clip;
    };
    CQuibW_AviPage& page = openOn(&CQuibW_PropSheet::AviPage);
    page.ChooseKey(soundKey(1));
    {
        ScopedAnswerer answerer;
        answerer.reply(writeBytes(tempPath("dance.avi"), 5000));
        page.ImportClip();
    }
    page.OnAuthorIdEdited("3");
    ASSERT_TRUE(theWordEditorFrame->SaveCurrentWord(false));
    // Shown again: the entry holds the stored clip, and only its author changes.
    ASSERT_TRUE(theWordEditorFrame->SelectWord(nullptr));
    ASSERT_TRUE(theWordEditorFrame->SelectWord(m_word));
    page.OnAuthorIdEdited("7");

    m_disk.Fill();
    {
        ScopedAnswerer answerer;
        EXPECT_FALSE(theWordEditorFrame->SaveCurrentWord(false));
        ASSERT_EQ(answerer.questions().size(), 1u);
        EXPECT_TRUE(answerer.questions()[0].text.contains(LoadSystemString(1271)));
    }
    EXPECT_EQ(stored()->DataSize, 5000u);
    EXPECT_EQ(stored()->Options, 3);

    m_disk.MakeRoom();
    EXPECT_TRUE(theWordEditorFrame->SaveCurrentWord(false));
    EXPECT_EQ(stored()->DataSize, 5000u) << "the stored bytes, not none";
    EXPECT_EQ(stored()->Options, 7);
    EXPECT_EQ(countRecords(m_user->file, type), 1);
}
