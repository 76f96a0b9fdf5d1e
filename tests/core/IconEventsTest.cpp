// What an icon does when it is held, activated, selected, followed or stepped to its next inflexion:
// which sound plays, what is spoken and when the "no sound" message shows, against sounds and words
// stored in a real resource file and a recording sound device.

#include "core/IconEvents.h"
#include "core/Icon.h"
#include "core/ObjectIndex.h"
#include "core/PageEvents.h"
#include "core/Picture.h"
#include "core/Sentence.h"
#include "core/Sound.h"
#include "core/User.h"
#include "core/Word.h"
#include "platform/types/Clock.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/PageEventLog.h"

#include <utility>

namespace
{

constexpr std::int16_t kLanguage = 1;
constexpr std::int32_t kWord = 10;
constexpr std::int32_t kOwnSound = 20;
constexpr int kSpeech = 0xC0;
constexpr int kOtherSoundKind = 7;

// Remembers the length of every block it is given, so a test can tell which stored sound played.
class RecordingDevice : public SoundDevicePort
{
public:
    bool LoadFromWaveData(const WaveBlock& block) override
    {
        frames.push_back(static_cast<int>(block.sampleBytes() / 2));
        return true;
    }
    bool Play() override { return true; }
    bool IsPlaying() override { return playing; }
    void Stop() override {}
    std::vector<int> frames;
    bool playing = false;
};

class IconEventsTest : public lumivo::test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        file = lumivo::test::makeResourceFile(tempPath(QStringLiteral("events.tvf")));
        theActiveFiles = {file};
        theCurrentLanguage = kLanguage;
        theSearchLanguages = {kLanguage};
        theSoundDevicePort.set([this] { return &device; });
        theSpeakWithVoice.set([this](const QString& voice, const QString& text) {
            spoken.emplace_back(voice, text);
            return speechWorks;
        });
        theCurrentUser = &user;
        icon.WordId = icon.ShownWordId = kWord;
    }

    // A stored sound of `frames` samples; an unplayable one holds a format no player knows.
    void StoreSound(std::int32_t id, int kind, int frames, bool playable = true)
    {
        CQuibSound sound;
        ASSERT_EQ(sound.Create(), RES_OK);
        sound.SetData(WaveBlock(lumivo::wave::WaveFormat::pcm(1, 22050, 16),
                                std::vector<std::uint8_t>(std::size_t(frames) * 2, 0x10)),
                      playable ? soundKindWave : 3, 0, 0, 0);
        ASSERT_EQ(sound.SaveAs(id, file, MakeSoundType(std::int16_t(kind), kLanguage)), RES_OK);
    }

    void StoreWord(std::int32_t id, const QString& name, std::vector<std::int32_t> family = {})
    {
        CQuibWord word;
        word.WordName = name;
        word.FamilyList = std::move(family);
        ASSERT_EQ(word.Create(), RES_OK);
        ASSERT_EQ(word.SaveAs(id, file, MakeWordType(kLanguage)), RES_OK);
        ASSERT_EQ(word.Write(), RES_OK);
    }

    void LoadIconWord(const QString& name)
    {
        icon.Word = std::make_unique<CQuibWord>();
        icon.Word->WordName = name;
    }

    bool ShowsNoSound() const { return LastStatusText() == QString::fromUtf8(kNoSoundText); }

    int file = 0;
    RecordingDevice device;
    CQuibUser user;
    CQuibIcon icon;
    std::vector<std::pair<QString, QString>> spoken;
    bool speechWorks = true;
};

} // namespace

TEST_F(IconEventsTest, LongPressWaitsForTheLastSoundButNotAfterDeselect)
{
    lumivo::clock::TestClock clock(100000);
    StoreSound(kWord, 5, 100);
    theLastSoundTick = CurrentSoundTick() - 3000;
    icon.OnLLongDown();
    EXPECT_TRUE(device.frames.empty()) << "3,000 ms after the last sound";
    clock.advance(1);
    icon.OnLLongDown();
    EXPECT_EQ(device.frames, std::vector<int>{100});

    icon.OnLLongDown(); // the sound just started
    EXPECT_EQ(device.frames.size(), 1u);
    icon.Deselect();
    icon.OnLLongDown();
    EXPECT_EQ(device.frames.size(), 2u);

    // While a sound plays, neither a press nor a direct activation starts anything or says anything.
    device.playing = true;
    SetStatusText({});
    clock.advance(5000);
    icon.OnLLongDown();
    icon.Activate(0);
    EXPECT_EQ(device.frames.size(), 2u);
    EXPECT_TRUE(LastStatusText().isEmpty());
}

TEST_F(IconEventsTest, OwnSoundThatFailsSkipsTheWordsSoundButNotTheOutputSettings)
{
    StoreSound(kOwnSound, 5, 50, false);
    StoreSound(kWord, 5, 100);
    icon.SoundId = kOwnSound;
    LoadIconWord(QStringLiteral("hus#2"));
    user.FirstOutput = kSpeech;
    user.Voice1 = QStringLiteral("first");

    icon.Activate(0);
    EXPECT_TRUE(device.frames.empty());
    ASSERT_EQ(spoken.size(), 1u);
    EXPECT_EQ(spoken[0], std::pair(QStringLiteral("first"), QStringLiteral("hus")));
    EXPECT_FALSE(ShowsNoSound());
}

TEST_F(IconEventsTest, SpeechWithoutTextOrThatFailsGoesOnToTheNextSettingAndTheMessage)
{
    StoreSound(kWord, kOtherSoundKind, 70);
    user.FirstOutput = kSpeech;
    user.SecondOutput = kOtherSoundKind;
    icon.Activate(0); // no word loaded: nothing to say
    EXPECT_TRUE(spoken.empty());
    EXPECT_EQ(device.frames, std::vector<int>{70});

    LoadIconWord(QStringLiteral("hus"));
    icon.Sound.reset();
    user.SecondOutput = kSpeech;
    user.Voice1 = QStringLiteral("first");
    user.Voice2 = QStringLiteral("second");
    speechWorks = false;
    SetAppCursor(CURSOR_HAND);
    icon.Activate(0);
    ASSERT_EQ(spoken.size(), 2u);
    EXPECT_EQ(spoken[1].first, "second");
    EXPECT_TRUE(ShowsNoSound());
    EXPECT_EQ(GetAppCursor(), CURSOR_ARROW);
}

TEST_F(IconEventsTest, ShownInflexionWithNothingToPlayFallsBackOnceToTheIconsWord)
{
    StoreSound(kWord, 5, 100);
    icon.ShownWordId = 11; // no sound, no stored word
    icon.Activate(0);
    EXPECT_EQ(device.frames, std::vector<int>{100});
    EXPECT_FALSE(ShowsNoSound());

    // The shown inflexion speaks its own text.
    StoreWord(11, QStringLiteral("huse"));
    LoadIconWord(QStringLiteral("hus"));
    user.FirstOutput = kSpeech;
    icon.Sound.reset();
    icon.Activate(0);
    ASSERT_EQ(spoken.size(), 1u);
    EXPECT_EQ(spoken[0].second, "huse");
}

TEST_F(IconEventsTest, SecondActivationLeavesTheKeptSoundToTheOutputSettings)
{
    StoreSound(kWord, 5, 100);
    LoadIconWord(QStringLiteral("hus"));
    user.FirstOutput = kSpeech;
    icon.Activate(0);
    EXPECT_EQ(device.frames.size(), 1u);
    EXPECT_TRUE(spoken.empty());

    icon.Activate(0); // still selected: the word is spoken, its sound not played again here
    EXPECT_EQ(device.frames.size(), 1u);
    EXPECT_EQ(spoken.size(), 1u);

    user.FirstOutput = 5; // a sound-kind setting plays the kept sound
    icon.Activate(0);
    EXPECT_EQ(device.frames.size(), 2u);
}

TEST_F(IconEventsTest, IconWithNothingToShowIsListedButNotFlaggedSelected)
{
    lumivo::test::PageEventLog log;
    CQuibIcon blank;
    blank.Select();
    EXPECT_EQ(theSelectedIcons, std::vector<CQuibIcon*>{&blank});
    EXPECT_FALSE(blank.IsSelected());
    icon.Select();
    EXPECT_TRUE(icon.IsSelected());
    const std::vector<QString> events = log.takeNames();
    EXPECT_EQ(std::ranges::count(events, QStringLiteral("selectionChanged")), 2);
    icon.Deselect();
    EXPECT_EQ(theSelectedIcons, std::vector<CQuibIcon*>{&blank});
    EXPECT_FALSE(icon.IsSelected());
}

TEST_F(IconEventsTest, NextInflexionStepsThroughTheFamilyInIdOrder)
{
    LoadIconWord(QStringLiteral("hus"));
    icon.NextInflexion(false);
    EXPECT_EQ(icon.ShownWordId, kWord) << "a lone word stays shown";

    StoreWord(kWord, QStringLiteral("hus"));
    StoreWord(13, QStringLiteral("husene"), {kWord});
    StoreWord(11, QStringLiteral("huse"), {kWord, 99});
    StoreWord(12, QStringLiteral("kat"), {99});
    CQuibObjIndex::LoadWords();
    std::vector<std::int32_t> shown;
    for (int step = 0; step < 3; ++step) {
        icon.NextInflexion(false);
        shown.push_back(icon.ShownWordId);
    }
    EXPECT_EQ(shown, (std::vector<std::int32_t>{11, 13, kWord}));
    EXPECT_EQ(icon.WordId, kWord);

    // Taken as the word (the writer pane's sentence says it so), the inflexion becomes the icon's word.
    icon.NextInflexion(true);
    EXPECT_EQ(icon.WordId, 11);
}

TEST_F(IconEventsTest, AnIconWithoutALinkAsksForNoPage)
{
    lumivo::test::PageEventLog log;
    EXPECT_FALSE(icon.FollowLink());
    EXPECT_TRUE(log.take().empty());
}

TEST_F(IconEventsTest, SelectingSteppingMovingAndFollowingALinkAreAnnounced)
{
    using Event = lumivo::test::PageEventLog::Event;
    lumivo::test::PageEventLog log;
    icon.Select();
    icon.Deselect();
    EXPECT_EQ(
        log.take(),
        (std::vector<Event>{
            {"selectionChanged"}, {"iconChanged", &icon}, {"iconChanged", &icon}, {"selectionChanged"}}));

    StoreWord(kWord, QStringLiteral("hus"));
    StoreWord(11, QStringLiteral("huse"), {kWord});
    CQuibObjIndex::LoadWords();
    icon.NextInflexion(false);
    EXPECT_EQ(log.takeNames(), (std::vector<QString>{"iconChanged", "selectionChanged"}));

    icon.SetRect(0, 0, 40, 40, false);
    EXPECT_EQ(log.takeNames(), (std::vector<QString>{"iconChanged", "iconChanged"}))
        << "the old place and the new";

    icon.LinkId = 55;
    icon.FollowLink();
    EXPECT_EQ(log.take(), (std::vector<Event>{{"linkRequested", nullptr, nullptr, 55}}));
}

TEST_F(IconEventsTest, TheIconUnderTheMouseAndObjectsAboutToDieAreAnnounced)
{
    using Event = lumivo::test::PageEventLog::Event;
    lumivo::test::PageEventLog log;
    SetHoverIcon(&icon);
    SetHoverIcon(&icon);
    auto dying = std::make_unique<CQuibIcon>();
    const CQuibIcon* dyingAt = dying.get();
    SetHoverIcon(dying.get());
    dying.reset();
    EXPECT_EQ(theHoverIcon, nullptr);
    EXPECT_EQ(log.take(), (std::vector<Event>{{"hoverChanged", &icon, nullptr},
                                              {"hoverChanged", dyingAt, &icon},
                                              {"hoverChanged", nullptr, dyingAt},
                                              {"iconAboutToBeDestroyed", dyingAt}}));

    auto sentence = std::make_unique<CQuibSentence>();
    const CQuibSentence* sentenceAt = sentence.get();
    sentence.reset();
    EXPECT_EQ(log.take(), (std::vector<Event>{{"sentenceAboutToBeDestroyed", sentenceAt}}));

    // The model's reset lets go of every receiver.
    ResetPageEvents();
    SetHoverIcon(&icon);
    EXPECT_TRUE(log.take().empty());
}
