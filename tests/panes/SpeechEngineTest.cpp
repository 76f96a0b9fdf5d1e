#include "panes/SpeechEngine.h"
#include "core/Registry.h"
#include "core/Sound.h"
#include "platform/audio/Audio.h"
#include "tests/support/AudioTestHelpers.h"
#include "tests/support/LumivoTest.h"

#include <QFile>

#include <chrono>
#include <thread>

using namespace lumivo;
using namespace lumivo::test;
using Clock = std::chrono::steady_clock;

namespace
{

const QString readerKey = "HKEY_CURRENT_USER\\Software\\NorMedia\\Taleboka\\Speaker";

bool waitUntilReady(const CSpeechEngine& engine)
{
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (!engine.IsReady() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return engine.IsReady();
}

// Records the loudest sample that leaves the mixer.
class LoudestSample
{
public:
    LoudestSample()
    {
        audio::mixer().setObserver([this](const std::int16_t* s, std::size_t n) {
            m_peak.store(std::max(m_peak.load(), peakOf(s, n)));
        });
    }
    ~LoudestSample() { audio::mixer().setObserver({}); }
    int peak() const { return m_peak.load(); }

private:
    std::atomic<int> m_peak{0};
};

} // namespace

class SpeechEngineTest : public LumivoTest
{
};

TEST_F(SpeechEngineTest, BeforeItIsReadyNothingIsSpokenAndSpeakSaysSo)
{
    CSpeechEngine engine;
    EXPECT_FALSE(engine.IsReady());
    EXPECT_EQ(engine.SelectVoice("Danish"), 0);
    EXPECT_EQ(engine.GetEngineKind(), speechKindNone);
    EXPECT_EQ(engine.Speak("hund"), speakNotReady);
    EXPECT_EQ(engine.GetVoiceCount(), -1);
    EXPECT_TRUE(engine.GetVoiceName(0).isEmpty());
    EXPECT_FALSE(engine.IsSpeaking());
}

TEST_F(SpeechEngineTest, SpeaksADanishAndAnEnglishWordThroughTheMixer)
{
    CSpeechEngine engine;
    engine.StartInit();
    ASSERT_TRUE(waitUntilReady(engine));
    EXPECT_EQ(engine.Speak("hund"), speakNoVoice); // ready, but no voice chosen yet
    ASSERT_GT(engine.GetVoiceCount(), 1);
    EXPECT_FALSE(engine.GetVoiceName(0).isEmpty());
    EXPECT_TRUE(engine.GetVoiceName(engine.GetVoiceCount()).isEmpty());

    for (const auto& [voice, word] : {std::pair{"DANISH", "hund"}, {"english (great britain)", "dog"}}) {
        LoudestSample loudest;
        ASSERT_EQ(engine.SelectVoice(voice), 0) << voice;
        EXPECT_EQ(engine.GetEngineKind(), speechKindVoice);
        EXPECT_EQ(engine.Speak(word), speakDone) << voice;
        EXPECT_FALSE(engine.IsSpeaking());
        EXPECT_GT(loudest.peak(), 1000) << voice;
    }
}

TEST_F(SpeechEngineTest, AVoiceNameOfAnotherSystemFallsBackToTheLanguagesVoice)
{
    CSpeechEngine engine;
    ASSERT_EQ(engine.Init(), 0);
    engine.SetUserLanguage(CSpeechEngine::VoiceLanguageOf(9)); // English (UK)
    ASSERT_EQ(engine.SelectVoice("Microsoft Anna - English (United States)"), 0);
    EXPECT_EQ(engine.GetEngineKind(), speechKindVoice);
    EXPECT_EQ(engine.GetCurrentVoiceName(), "Microsoft Anna - English (United States)");
    LoudestSample loudest;
    EXPECT_EQ(engine.Speak("dog"), speakDone);
    EXPECT_GT(loudest.peak(), 1000);
}

TEST_F(SpeechEngineTest, LongSpeechIsPassedWholeAndGoesOnAfterSpeakReturns)
{
    CSpeechEngine engine;
    ASSERT_EQ(engine.Init(), 0);
    ASSERT_EQ(engine.SelectVoice("English (Great Britain)"), 0);
    const QString text = QString("this sentence is read again and again, ").repeated(12);
    ASSERT_GT(text.size(), 254);
    const auto start = Clock::now();
    EXPECT_EQ(engine.Speak(text), speakDone);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(waited, CSpeechEngine::kSpeakWaitMs - 50);
    EXPECT_LT(waited, CSpeechEngine::kSpeakWaitMs + 1000);
    EXPECT_TRUE(engine.IsSpeaking());
    engine.StopSpeaking();
    EXPECT_FALSE(engine.IsSpeaking());
}

TEST_F(SpeechEngineTest, WithoutASoundDeviceSpeechCountsAsASoundPlaying)
{
    theSpeechEngine = std::make_unique<CSpeechEngine>();
    ASSERT_EQ(theSpeechEngine->Init(), 0);
    ASSERT_EQ(theSpeechEngine->SelectVoice("Danish"), 0);
    EXPECT_FALSE(IsSoundPlaying());
    const QString text = QString("en hund og en kat ").repeated(20);
    EXPECT_EQ(theSpeechEngine->Speak(text), speakDone);
    EXPECT_TRUE(IsSoundPlaying());
    EXPECT_LT(GetSoundElapsedMs(), 500u);
    theSpeechEngine->StopSpeaking();
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (IsSoundPlaying() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_FALSE(IsSoundPlaying());
}

TEST_F(SpeechEngineTest, TheReaderIsFoundWithoutQuotesAndGetsStarAndTheText)
{
    EXPECT_FALSE(CSpeechEngine::IsTalebokaInstalled());
    EXPECT_TRUE(CSpeechEngine::GetTalebokaName().isEmpty());
    EXPECT_FALSE(CSpeechEngine::SpeakWithTaleboka("hund"));

    const QString script = tempPath("reader.sh");
    const QString out = tempPath("args.txt");
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        QString("#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\" >> '%1'; done\n").arg(out).toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    CRegistry registry;
    ASSERT_TRUE(registry.CreateKey(readerKey));
    ASSERT_TRUE(registry.WriteString(readerKey, "path", '"' + script + '"'));

    EXPECT_TRUE(CSpeechEngine::IsTalebokaInstalled());
    EXPECT_EQ(CSpeechEngine::GetTalebokaPath(), script);
    EXPECT_EQ(CSpeechEngine::GetTalebokaName(), "Taleboka");
    EXPECT_FALSE(CSpeechEngine::SpeakWithTaleboka(""));
    EXPECT_TRUE(CSpeechEngine::SpeakWithTaleboka("hund"));
    QFile result(out);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(result.readAll(), QByteArray("[*][hund]"));
}
