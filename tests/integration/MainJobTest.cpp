// The program's main job without a window: a user is made current, a page of pictured icons is shown in
// the main pane and drawn into a back buffer; a touch on an icon plays its word's recorded sound onto the
// output, or speaks its word; a link opens the linked page; a touch while a sound plays, and a long
// press too soon after one, do nothing.

#include "core/FrameSizes.h"
#include "core/Icon.h"
#include "core/IconEvents.h"
#include "core/Page.h"
#include "core/Picture.h"
#include "core/Sound.h"
#include "core/User.h"
#include "core/Word.h"
#include "media/SoundDevice.h"
#include "media/SpeechEngine.h"
#include "panes/Panes.h"
#include "platform/audio/Audio.h"
#include "shell/CurrentUser.h"
#include "store/Registry.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/StatusText.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/AudioTestHelpers.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/Pictures.h"

#include <QFile>
#include <QPainter>

#include <cmath>

using namespace lumivo;

namespace
{

constexpr std::int16_t kLanguage = 1;
constexpr std::int32_t kHomePage = 31;
constexpr std::int32_t kLinkedPage = 32;
constexpr std::int32_t kDog = 101; // has a recorded sound
constexpr std::int32_t kCat = 102; // has none: spoken
constexpr std::int16_t kActivationSoundKind = 5;
constexpr std::int16_t kAnyIconSizePictureKind = 10;
constexpr int kOutputSpeech = 0xC0;
constexpr QRgb kDogRgb = 0xFFC00000;
constexpr QRgb kCatRgb = 0xFF00A000;
constexpr QRgb kPageRgb = 0xFFE0E0F0;

// The window the main pane lives in; here only a rectangle list.
class ClientWindowStandIn : public CPaneOwner
{
public:
    bool HasWindow() const override { return true; }
    void InvalidateRect(const CRect&, bool) override {}
};

// Half a second of a loud 440 Hz tone, 16-bit mono.
WaveBlock toneBlock()
{
    constexpr int kRate = 44100; // the output's own rate, so the samples pass unchanged
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < kRate / 2; ++i) {
        const auto sample = static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * 440 * i / kRate));
        bytes.push_back(std::uint8_t(sample & 0xFF));
        bytes.push_back(std::uint8_t((sample >> 8) & 0xFF));
    }
    return WaveBlock(wave::WaveFormat::pcm(1, kRate, 16), std::move(bytes));
}

std::unique_ptr<CQuibIcon> iconAt(CRect perMille, std::int32_t word, std::int32_t link = 0)
{
    auto icon = std::make_unique<CQuibIcon>();
    icon->StoredRect = perMille;
    icon->WordId = word;
    icon->LinkId = link;
    if (word == 0)
        icon->Name = QStringLiteral("Videre");
    return icon;
}

class MainJobTest : public test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theBaseDir = tempDir() + QLatin1Char('/');
        theRegistry = std::make_unique<CRegistry>();
        theRegistry->CreateKey(kSettingsRoot);
        makeDataFile();

        UseDefaultUser();
        ASSERT_NE(theCurrentUser, nullptr);
        theCurrentUser->FirstOutput = kOutputSpeech; // the user's voice speaks what has no sound

        m_output = tempPath(QStringLiteral("output.raw"));
        test::useDiskAudio(m_output);
        InitSoundModel();
        ASSERT_EQ(CSoundDevice::InitSound(), 0);

        theFrameSizeMode = 2;
        theMainPane.SetOwnerWnd(&m_window);
        theMainPane.PaneRect = CRect(0, 0, 640, 427);
        theMainPane.SetVisible(true);
    }

    void makeDataFile()
    {
        m_file = test::makeResourceFile(tempPath(QStringLiteral("main.tvf")));
        theActiveFiles = {m_file};
        theSearchLanguages = {std::uint16_t(kLanguage)};
        theCurrentLanguage = kLanguage;
        storeWord(kDog, "hund", kDogRgb);
        storeWord(kCat, "kat", kCatRgb);
        storeSound(kDog);
        CQuibIconList home;
        home.push_back(iconAt(CRect(100, 100, 300, 400), kDog));
        home.push_back(iconAt(CRect(400, 100, 600, 400), kCat));
        home.push_back(iconAt(CRect(700, 600, 900, 900), 0, kLinkedPage));
        storePage(kHomePage, std::move(home));
        CQuibIconList linked;
        linked.push_back(iconAt(CRect(0, 0, 200, 200), kCat));
        storePage(kLinkedPage, std::move(linked));
        m_file = test::saveAndReopen(m_file);
        theActiveFiles = {m_file};
    }

    void storeWord(std::int32_t id, const char* name, QRgb rgb)
    {
        CQuibWord word;
        word.WordName = QString::fromUtf8(name);
        test::storeInFile(word, id, m_file, MakeWordType(kLanguage));
        ASSERT_EQ(word.Write(), RES_OK);
        storePicture(id, kAnyIconSizePictureKind, test::solidRgbImage(64, 64, rgb));
    }

    void storePicture(std::int32_t id, int kind, const RgbImage& image)
    {
        CQuibPict picture;
        ASSERT_EQ(picture.Create(), RES_OK);
        ASSERT_TRUE(picture.SetImage(image, image.width, image.height, pictRawRgb));
        ASSERT_EQ(picture.SaveAs(id, m_file, MakePictType(std::int16_t(kind), kLanguage)), RES_OK);
        ASSERT_EQ(picture.Write(), RES_OK);
    }

    void storeSound(std::int32_t id)
    {
        CQuibSound sound;
        ASSERT_EQ(sound.Create(), RES_OK);
        sound.SetData(toneBlock(), soundKindWave, 0, 0, 0);
        ASSERT_EQ(sound.SaveAs(id, m_file, MakeSoundType(kActivationSoundKind, kLanguage)), RES_OK);
        ASSERT_EQ(sound.Write(), RES_OK);
    }

    void storePage(std::int32_t id, CQuibIconList icons)
    {
        CQuibBg page;
        page.Icons = std::move(icons);
        test::storeInFile(page, id, m_file, MakeBgType(1, kLanguage));
        ASSERT_EQ(page.Write(), RES_OK);
        storePicture(id, FrameSizeToLayoutId(2), test::solidRgbImage(640, 427, kPageRgb));
    }

    QImage drawMainPane()
    {
        QImage backBuffer(640, 427, QImage::Format_RGB32);
        backBuffer.fill(Qt::black);
        QPainter painter(&backBuffer);
        theMainPane.Draw(painter);
        return backBuffer;
    }

    CQuibIcon* homeIcon(std::size_t index) { return theMainPane.GetPage()->Icons.at(index).get(); }

    QByteArray writtenOutput()
    {
        audio::shutdown(); // the disk driver writes each mixed period before the output closes
        QFile file(m_output);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    ClientWindowStandIn m_window;
    QString m_output;
    int m_file = 0;
};

TEST_F(MainJobTest, APageIsShownATouchPlaysOrSpeaksTheWordAndALinkOpensItsPage)
{
    std::vector<QString> statusTexts;
    QObject receiver;
    QObject::connect(&theStatusText, &CStatusText::changed, &receiver,
                     [&](const QString& text) { statusTexts.push_back(text); });
    theSpeechEngine = std::make_unique<CSpeechEngine>();
    theSpeechEngine->StartInit();
    ASSERT_TRUE(test::waitFor([] { return theSpeechEngine->IsReady(); }));

    // The page with its picture and its icons' pictures, each in its place on the 640 x 427 page.
    theMainPane.LoadPage(kHomePage);
    ASSERT_NE(theMainPane.GetPage(), nullptr);
    const QImage shown = drawMainPane();
    EXPECT_EQ(shown.pixel(128, 107), kDogRgb);
    EXPECT_EQ(shown.pixel(320, 107), kCatRgb);
    EXPECT_EQ(shown.pixel(10, 10), kPageRgb);

    // The dog plays its recorded sound; a touch on the cat meanwhile is ignored without a word.
    EXPECT_TRUE(homeIcon(0)->Activate(0));
    ASSERT_TRUE(IsSoundPlaying());
    homeIcon(1)->Activate(0);
    EXPECT_TRUE(theSpeechEngine->GetSpokenText().isEmpty());
    EXPECT_TRUE(statusTexts.empty());
    ASSERT_TRUE(test::waitFor([] { return !IsSoundPlaying(); }));

    // A long press on the cat this soon after the sound is ignored; once the dog is let go of, the
    // next long press speaks "kat" at once, in the user's voice.
    homeIcon(0)->Select();
    homeIcon(1)->OnLLongDown();
    EXPECT_TRUE(theSpeechEngine->GetSpokenText().isEmpty());
    homeIcon(0)->Deselect();
    {
        test::LoudestSample speech;
        homeIcon(1)->OnLLongDown();
        EXPECT_EQ(theSpeechEngine->GetSpokenText(), "kat");
        EXPECT_GT(speech.peak(), 1000);
    }
    EXPECT_TRUE(statusTexts.empty()) << "nothing said that there was no sound";

    // The link opens its page in the main pane.
    EXPECT_TRUE(homeIcon(2)->FollowLink());
    ASSERT_NE(theMainPane.GetPage(), nullptr);
    EXPECT_EQ(theMainPane.GetPage()->GetID(), kLinkedPage);
    EXPECT_EQ(drawMainPane().pixel(32, 21), kCatRgb);

    // The dog's samples reached the output as stored.
    const WaveBlock tone = toneBlock();
    const QByteArray samples(reinterpret_cast<const char*>(tone.samples()), qsizetype(tone.sampleBytes()));
    EXPECT_TRUE(writtenOutput().contains(samples));
}

} // namespace
