// What an icon does when it is held, activated, selected, followed or stepped to its next inflexion:
// which sound plays, what is spoken and when the "no sound" message shows, against sounds and words
// stored in a real resource file and the program's sound device on SDL's silent driver.

#include "core/IconEvents.h"
#include "core/Icon.h"
#include "core/ObjectIndex.h"
#include "core/PageEvents.h"
#include "core/Picture.h"
#include "core/Sentence.h"
#include "core/Sound.h"
#include "core/User.h"
#include "core/Word.h"
#include "media/SoundDevice.h"
#include "media/SpeechEngine.h"
#include "platform/audio/Audio.h"
#include "platform/types/Clock.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/SystemStrings.h"
#include "tests/core/UserTestStore.h"
#include "tests/support/EndlessSound.h"
#include "tests/support/LumivoTest.h"
#include "tests/support/PageEventLog.h"

#include <cstdlib>
#include <optional>
#include <utility>

namespace
{

constexpr std::int16_t kLanguage = 1;
constexpr std::int32_t kWord = 10;
constexpr std::int32_t kOwnSound = 20;
constexpr int kSpeech = 0xC0;
constexpr int kOtherSoundKind = 7;

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
        ASSERT_EQ(CSoundDevice::InitSound(), 0);
        theCurrentUser = &user;
        icon.WordId = icon.ShownWordId = kWord;
    }

    // A stored sound of `frames` samples at the device's own rate, so that the device holds as many; an
    // unplayable one holds a format no player knows.
    void StoreSound(std::int32_t id, int kind, int frames, bool playable = true)
    {
        CQuibSound sound;
        ASSERT_EQ(sound.Create(), RES_OK);
        sound.SetData(WaveBlock(lumivo::wave::WaveFormat::pcm(1, 44100, 16),
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

    // The length, in samples, of every sound the device took so far. The device lets go of each once it
    // is seen, so that a sound played again shows again and a next activation finds the device free.
    const std::vector<int>& Played()
    {
        if (const CSoundSample* sample = theSoundDevice->GetSample()) {
            played.push_back(static_cast<int>(sample->size()));
            theSoundDevice->Free();
        }
        return played;
    }

    // The program's speech engine, speaking into a mixer that stands still on a clock that does not
    // wait for the end: what it was last asked to say is what shows.
    void StartSpeech()
    {
        theSpeechEngine = std::make_unique<CSpeechEngine>();
        ASSERT_EQ(theSpeechEngine->Init(), 0);
        lumivo::audio::mixer().setPaused(true);
        speechClock.emplace();
    }
    static QString SpokenText() { return theSpeechEngine->GetSpokenText(); }

    int file = 0;
    std::vector<int> played;
    CQuibUser user;
    CQuibIcon icon;
    std::optional<lumivo::clock::TestClock> speechClock;
};

} // namespace

TEST_F(IconEventsTest, LongPressWaitsForTheLastSoundButNotAfterDeselect)
{
    lumivo::clock::TestClock clock(100000);
    StoreSound(kWord, 5, 100);
    theLastSoundTick = CurrentSoundTick() - 3000;
    icon.OnLLongDown();
    EXPECT_TRUE(Played().empty()) << "3,000 ms after the last sound";
    clock.advance(1);
    icon.OnLLongDown();
    EXPECT_EQ(Played(), std::vector<int>{100});

    icon.OnLLongDown(); // the sound just started
    EXPECT_EQ(Played().size(), 1u);
    icon.Deselect();
    icon.OnLLongDown();
    EXPECT_EQ(Played().size(), 2u);

    // While a sound plays, neither a press nor a direct activation starts anything or says anything.
    const CSoundSample* playing = lumivo::test::playEndlessSound();
    SetStatusText({});
    clock.advance(5000);
    icon.OnLLongDown();
    icon.Activate(0);
    EXPECT_EQ(theSoundDevice->GetSample(), playing);
    EXPECT_TRUE(LastStatusText().isEmpty());
}

TEST_F(IconEventsTest, OwnSoundThatFailsSkipsTheWordsSoundButNotTheOutputSettings)
{
    StartSpeech();
    StoreSound(kOwnSound, 5, 50, false);
    StoreSound(kWord, 5, 100);
    icon.SoundId = kOwnSound;
    LoadIconWord(QStringLiteral("hus#2"));
    user.FirstOutput = kSpeech;
    user.Voice1 = QStringLiteral("first");

    icon.Activate(0);
    EXPECT_TRUE(Played().empty());
    EXPECT_EQ(theSpeechEngine->GetCurrentVoiceName(), "first");
    EXPECT_EQ(SpokenText(), "hus");
    EXPECT_FALSE(ShowsNoSound());
}

TEST_F(IconEventsTest, SpeechWithoutTextOrThatFailsGoesOnToTheNextSettingAndTheMessage)
{
    StartSpeech();
    StoreSound(kWord, kOtherSoundKind, 70);
    user.FirstOutput = kSpeech;
    user.SecondOutput = kOtherSoundKind;
    icon.Activate(0); // no word loaded: nothing to say
    EXPECT_TRUE(SpokenText().isEmpty());
    EXPECT_EQ(Played(), std::vector<int>{70});

    LoadIconWord(QStringLiteral("hus"));
    icon.Sound.reset();
    user.SecondOutput = kSpeech;
    user.Voice1 = QStringLiteral("first");
    user.Voice2 = QStringLiteral("second");
    // Speech fails: the audio output cannot be opened.
    lumivo::audio::shutdown();
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SetAppCursor(CURSOR_HAND);
    icon.Activate(0);
    EXPECT_EQ(theSpeechEngine->GetCurrentVoiceName(), "second") << "the second setting was tried";
    EXPECT_TRUE(SpokenText().isEmpty());
    EXPECT_TRUE(ShowsNoSound());
    EXPECT_EQ(GetAppCursor(), CURSOR_ARROW);
}

TEST_F(IconEventsTest, ShownInflexionWithNothingToPlayFallsBackOnceToTheIconsWord)
{
    StartSpeech();
    StoreSound(kWord, 5, 100);
    icon.ShownWordId = 11; // no sound, no stored word
    icon.Activate(0);
    EXPECT_EQ(Played(), std::vector<int>{100});
    EXPECT_FALSE(ShowsNoSound());

    // The shown inflexion speaks its own text.
    StoreWord(11, QStringLiteral("huse"));
    LoadIconWord(QStringLiteral("hus"));
    user.FirstOutput = kSpeech;
    icon.Sound.reset();
    icon.Activate(0);
    EXPECT_EQ(SpokenText(), "huse");
}

TEST_F(IconEventsTest, SecondActivationLeavesTheKeptSoundToTheOutputSettings)
{
    StartSpeech();
    StoreSound(kWord, 5, 100);
    LoadIconWord(QStringLiteral("hus"));
    user.FirstOutput = kSpeech;
    icon.Activate(0);
    EXPECT_EQ(Played().size(), 1u);
    EXPECT_TRUE(SpokenText().isEmpty());

    icon.Activate(0); // still selected: the word is spoken, its sound not played again here
    EXPECT_EQ(Played().size(), 1u);
    EXPECT_EQ(SpokenText(), "hus");

    user.FirstOutput = 5; // a sound-kind setting plays the kept sound
    icon.Activate(0);
    EXPECT_EQ(Played().size(), 2u);
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
