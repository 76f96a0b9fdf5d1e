// The icon wizard's picture and sound pages with real files: a chosen picture shapes a new icon and is
// kept at most three times its size; a sound too short to be one is not stored; a recording stops
// itself at its limit; without a free id nothing is stored and the author is told.

#include "authoring/AuthoringStrings.h"
#include "authoring/ImageOperations.h"
#include "core/Picture.h"
#include "store/PictureFormat.h"
#include "store/ResourceTypes.h"
#include "system/ItemIds.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/authoring/WizardTestFiles.h"
#include "tests/support/AudioTestHelpers.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace lumivo::test;
using lumivo::ui::IDOK;
using lumivo::ui::ScopedAnswerer;

namespace
{

constexpr std::int16_t kMediaKind = 10;
constexpr std::int16_t kSoundKind = 5;

class IconWizardMediaTest : public IconWizardTestBase
{
protected:
    // Adds an icon for the word "hus" and goes on to the page, leaving the rest to `onPage`.
    bool addIconThrough(CWizardPage& (*pageOf)(CIconWizard&), const std::function<void(CIconWizard&)>& onPage)
    {
        ScopedAnswerer answerer;
        answerer.reply([&](QDialog& dialog) {
            auto& wizard = dynamic_cast<CIconWizard&>(dialog);
            typeWord(wizard, QStringLiteral("hus"));
            for (int step = 0; step < 5 && wizard.GetActivePage() != &pageOf(wizard); ++step)
                press(wizard, kWizardNextId);
            EXPECT_EQ(wizard.GetActivePage(), &pageOf(wizard));
            onPage(wizard);
            press(wizard, kWizardFinishId);
            return IDOK;
        });
        for (const QString& path : m_files)
            answerer.reply(path);
        const bool finished = RunIconWizard(nullptr, nullptr, kIconActionAdd, &theMainPane, 0, 0);
        m_asked = answerer.questions();
        return finished;
    }

    QString writeTone(const QString& name, int milliseconds)
    {
        const QByteArray samples(44100 * milliseconds / 1000 * 2, '\x10');
        const QString path = tempPath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(makeWaveFile(samples, 1, 44100, 16));
        return path;
    }

    QStringList m_files; // what the file dialogs are answered with, in order
    std::vector<lumivo::ui::Question> m_asked;
};

CWizardPage& picturePage(CIconWizard& wizard)
{
    return wizard.PicturePage();
}

CWizardPage& soundPage(CIconWizard& wizard)
{
    return wizard.SoundPage();
}

} // namespace

TEST_F(IconWizardMediaTest, A320By240PictureMakesAn85By64IconAndIsStoredAt255By192)
{
    addWord(500, QStringLiteral("hus"));
    const QString path = tempPath("sol.png");
    ASSERT_TRUE(ToDisplayImage(patternImage(320, 240)).save(path, "PNG"));
    m_files = {path};
    ASSERT_TRUE(addIconThrough(picturePage, [](CIconWizard& wizard) {
        // A word of the author's own, not made now: the picture is the icon's own.
        EXPECT_TRUE(wizard.PicturePage().ReplaceBox()->isEnabled());
        EXPECT_FALSE(wizard.PicturePage().ReplaceBox()->isChecked());
        wizard.PicturePage().ChooseButton()->click();
        EXPECT_TRUE(wizard.PicturePage().Image());
    }));

    ASSERT_EQ(page().Icons.size(), 1u);
    const CQuibIcon& icon = *page().Icons.back();
    EXPECT_EQ(icon.ScreenRect.Width(), 85);
    EXPECT_EQ(icon.ScreenRect.Height(), 64);
    EXPECT_NEAR(icon.ScreenRect.CenterPoint().x, 290, 1); // where the 64 x 64 icon was centred
    EXPECT_EQ(icon.WordId, 500);
    EXPECT_GE(icon.PictId, kFirstSystemItemId);
    CQuibPict stored;
    ASSERT_EQ(AttachResource(&stored, icon.PictId, MakePictType(kMediaKind, kLanguage), userFile()), 0);
    ASSERT_TRUE(stored.ReadHeader());
    EXPECT_EQ(stored.StoreFormat, pictJpeg70);
    EXPECT_EQ(QSize(int(stored.Width), int(stored.Height)), QSize(255, 192));
}

TEST_F(IconWizardMediaTest, ASoundShorterThanTheShortestIsNotStoredAndALongerOneIs)
{
    addWord(500, QStringLiteral("hus"));
    m_files = {writeTone("click.wav", 150)};
    ASSERT_TRUE(addIconThrough(soundPage, [](CIconWizard& wizard) {
        wizard.SoundPage().ChooseSoundFile();
        EXPECT_FALSE(wizard.SoundPage().Recorder().HasSound());
        EXPECT_FALSE(wizard.SoundPage().PlayButton()->isEnabled());
    }));
    EXPECT_EQ(countRecords(userFile(), MakeSoundType(kSoundKind, kLanguage)), 0);
    EXPECT_EQ(page().Icons.back()->SoundId, 0);

    m_files = {writeTone("word.wav", 1000)};
    ASSERT_TRUE(addIconThrough(soundPage, [](CIconWizard& wizard) {
        wizard.SoundPage().ChooseSoundFile();
        EXPECT_TRUE(wizard.SoundPage().PlayButton()->isEnabled());
    }));
    EXPECT_EQ(countRecords(userFile(), MakeSoundType(kSoundKind, kLanguage)), 1);
    EXPECT_GE(page().Icons.back()->SoundId, kFirstSystemItemId);
}

TEST_F(IconWizardMediaTest, ARecordingStopsItselfAtTenSecondsAndTheButtonSaysStartAgain)
{
    addWord(500, QStringLiteral("hus"));
    QFile input(tempPath("in.raw"));
    ASSERT_TRUE(input.open(QIODevice::WriteOnly));
    input.write(QByteArray(500000 * 2, '\x20'));
    input.close();
    useDiskAudio(QStringLiteral("/dev/null"), input.fileName(), true);
    theBaseDir = tempDir();
    ASSERT_TRUE(addIconThrough(soundPage, [](CIconWizard& wizard) {
        CIconWizardSoundPage& sound = wizard.SoundPage();
        sound.RecordButton()->click();
        EXPECT_EQ(sound.RecordButton()->text(), LoadSystemString(9079));
        EXPECT_TRUE(waitFor([&] { return !sound.Recorder().IsRecording(); }));
        sound.Recorder().Poll(); // the timer's look
        EXPECT_EQ(sound.RecordButton()->text(), LoadSystemString(9078));
        EXPECT_TRUE(sound.PlayButton()->isEnabled());
    }));
    EXPECT_EQ(countRecords(userFile(), MakeSoundType(kSoundKind, kLanguage)), 1);
    EXPECT_GE(page().Icons.back()->SoundId, kFirstSystemItemId);
}

TEST_F(IconWizardMediaTest, WithoutAFreeIdThePictureIsNotStoredAndTheAuthorIsTold)
{
    addWord(500, QStringLiteral("hus"));
    const QString path = tempPath("sol.png");
    ASSERT_TRUE(ToDisplayImage(patternImage(64, 64)).save(path, "PNG"));
    m_files = {path};
    const auto noId =
        theItemIdRandomHook.scoped([](std::int32_t, std::int32_t) { return kLastSystemItemId + 1; });
    ASSERT_TRUE(addIconThrough(picturePage,
                               [](CIconWizard& wizard) { wizard.PicturePage().ChooseButton()->click(); }));
    EXPECT_EQ(page().Icons.back()->PictId, 0);
    EXPECT_EQ(countRecords(userFile(), MakePictType(kMediaKind, kLanguage)), 0);
    ASSERT_FALSE(m_asked.empty());
    EXPECT_EQ(m_asked.back().text, LoadSystemString(kStrNoFreeItemId));
}
