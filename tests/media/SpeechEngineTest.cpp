#include "media/SpeechEngine.h"
#include "media/SoundFunctions.h"
#include "platform/audio/Audio.h"
#include "platform/types/Clock.h"
#include "store/Registry.h"
#include "system/SystemStrings.h"
#include "tests/support/AudioTestHelpers.h"
#include "tests/support/LumivoTest.h"

#include <QFile>

using namespace lumivo;
using namespace lumivo::test;

namespace
{

const QString readerKey = "HKEY_CURRENT_USER\\Software\\NorMedia\\Taleboka\\Speaker";

bool waitUntilReady(const CSpeechEngine& engine)
{
    return waitFor([&engine] { return engine.IsReady(); });
}

// Turns the trace on into a folder of the test's own, and off again at the end.
class TraceInto
{
public:
    explicit TraceInto(const QString& folder) : m_oldTemp(qgetenv("TMPDIR"))
    {
        ::setenv("TMPDIR", folder.toUtf8().constData(), 1);
        SetTraceLogEnabled(true);
    }
    ~TraceInto()
    {
        SetTraceLogEnabled(false);
        if (m_oldTemp.isNull())
            ::unsetenv("TMPDIR");
        else
            ::setenv("TMPDIR", m_oldTemp.constData(), 1);
    }
    QString text() const
    {
        QFile log(TraceLogPath());
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

private:
    QByteArray m_oldTemp;
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
    ASSERT_EQ(engine.SelectVoice("Danish"), 0);
    EXPECT_EQ(engine.Speak(""), speakFailed); // nothing was taken to be said
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
    ASSERT_EQ(engine.SelectVoice("Vox Alba - English (United States)"), 0);
    EXPECT_EQ(engine.GetEngineKind(), speechKindVoice);
    EXPECT_EQ(engine.GetCurrentVoiceName(), "Vox Alba - English (United States)");
    LoudestSample loudest;
    EXPECT_EQ(engine.Speak("dog"), speakDone);
    EXPECT_GT(loudest.peak(), 1000);
}

TEST_F(SpeechEngineTest, ASelectionIsSkippedOnlyWhenItWouldChangeNothing)
{
    CSpeechEngine engine;
    ASSERT_EQ(engine.Init(), 0);
    engine.SetUserLanguage("da");
    const auto english = speech::findVoice("English (Great Britain)");
    const auto danish = speech::voiceForLanguage("da");
    const auto british = speech::voiceForLanguage("en-gb");
    ASSERT_TRUE(english && danish && british);

    ASSERT_EQ(engine.SelectVoice("english (great britain)"), 0);
    EXPECT_EQ(engine.GetCurrentVoiceIdentifier(), english->identifier);
    // The default voice in between: naming the earlier voice again selects it again.
    ASSERT_EQ(engine.SelectVoice(""), 0);
    EXPECT_EQ(engine.GetCurrentVoiceIdentifier(), danish->identifier);
    ASSERT_EQ(engine.SelectVoice("English (Great Britain)"), 0);
    EXPECT_EQ(engine.GetCurrentVoiceIdentifier(), english->identifier);

    // A stored name that no voice has speaks the person's language, follows it when it changes, and
    // is noted in the trace once.
    TraceInto trace(tempDir());
    ASSERT_EQ(engine.SelectVoice("Vox Borea Mette"), 0);
    EXPECT_EQ(engine.GetCurrentVoiceIdentifier(), danish->identifier);
    ASSERT_EQ(engine.SelectVoice("VOX BOREA METTE"), 0);
    engine.SetUserLanguage("en-gb");
    ASSERT_EQ(engine.SelectVoice("Vox Borea Mette"), 0);
    EXPECT_EQ(engine.GetCurrentVoiceIdentifier(), british->identifier);
    EXPECT_EQ(trace.text().count("Vox Borea Mette", Qt::CaseInsensitive), 1) << trace.text().toStdString();
}

TEST_F(SpeechEngineTest, LongSpeechIsPassedWholeAndGoesOnAfterSpeakReturns)
{
    CSpeechEngine engine;
    ASSERT_EQ(engine.Init(), 0);
    ASSERT_EQ(engine.SelectVoice("English (Great Britain)"), 0);
    const QString text = QString("this sentence is read again and again, ").repeated(12);
    ASSERT_GT(text.size(), 254);
    // Speak's wait is timed on the program's clock: on a test clock it takes no real time.
    clock::TestClock testClock;
    const std::uint32_t start = clock::tickCount();
    EXPECT_EQ(engine.Speak(text), speakDone);
    const std::uint32_t waited = clock::tickCount() - start;
    EXPECT_GE(waited, CSpeechEngine::kSpeakWaitMs - 50u);
    EXPECT_LT(waited, CSpeechEngine::kSpeakWaitMs + 1000u);
    EXPECT_TRUE(engine.IsSpeaking());
    theLastSoundTick = 0;
    const std::uint32_t beforeStop = CurrentSoundTick();
    engine.StopSpeaking();
    EXPECT_FALSE(engine.IsSpeaking());
    // The stop is the end of the speech: the tick lies between the calls around it.
    EXPECT_LE(theLastSoundTick - beforeStop, CurrentSoundTick() - beforeStop);
}

TEST_F(SpeechEngineTest, SpeechThatOutlastsSpeakNotesItsEndAsTheLastSound)
{
    CSpeechEngine engine;
    ASSERT_EQ(engine.Init(), 0);
    ASSERT_EQ(engine.SelectVoice("English (Great Britain)"), 0);
    // Speak's wait passes on the test clock at once, so a second of speech outlasts it; the output
    // still plays that second in real time.
    clock::TestClock testClock;
    EXPECT_EQ(engine.Speak("one, two, three"), speakDone);
    const std::uint32_t returnedAt = theLastSoundTick;
    ASSERT_TRUE(engine.IsSpeaking());
    testClock.advance(500);
    ASSERT_TRUE(waitFor([&engine] { return !engine.IsSpeaking(); }));
    EXPECT_GT(theLastSoundTick - returnedAt, 100u);
    EXPECT_LE(theLastSoundTick - returnedAt, CurrentSoundTick() - returnedAt);
}

TEST_F(SpeechEngineTest, WithoutASoundDeviceSpeechCountsAsASoundPlaying)
{
    theSpeechEngine = std::make_unique<CSpeechEngine>();
    ASSERT_EQ(theSpeechEngine->Init(), 0);
    ASSERT_EQ(theSpeechEngine->SelectVoice("Danish"), 0);
    EXPECT_FALSE(IsSoundPlaying());
    const QString text = QString("en hund og en kat ").repeated(20);
    const clock::TestClock testClock; // Speak's wait for the end takes no real time
    EXPECT_EQ(theSpeechEngine->Speak(text), speakDone);
    EXPECT_TRUE(IsSoundPlaying());
    EXPECT_LT(GetSoundElapsedMs(), 500u);
    theSpeechEngine->StopSpeaking();
    EXPECT_TRUE(waitFor([] { return !IsSoundPlaying(); }));
}

TEST_F(SpeechEngineTest, TheReaderIsFoundWithoutQuotesAndGetsStarAndTheText)
{
    EXPECT_FALSE(CSpeechEngine::IsTalebokaInstalled());
    EXPECT_TRUE(CSpeechEngine::GetTalebokaName().isEmpty());
    EXPECT_FALSE(CSpeechEngine::SpeakWithTaleboka("hund"));

    const QString script = tempPath("reader.sh");
    const QString out = tempPath("args.txt");
    ASSERT_TRUE(writeReaderScript(script, out, "[%s]"));
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

// Icon activation speaks through the program's engine only when speech really started, so that a
// failed speech goes on to the next output setting.
TEST_F(SpeechEngineTest, ActivationSpeaksOnlyThroughAReadyEngine)
{
    const QString voice = QStringLiteral("Danish");
    const QString text = QStringLiteral("hund");
    EXPECT_FALSE(SpeakWithVoice(voice, text)) << "no engine";
    theSpeechEngine = std::make_unique<CSpeechEngine>();
    EXPECT_FALSE(SpeakWithVoice(voice, text)) << "not ready yet";
    ASSERT_EQ(theSpeechEngine->Init(), 0);
    const clock::TestClock testClock;
    EXPECT_TRUE(SpeakWithVoice(voice, text));
    theSpeechEngine->StopSpeaking();
    ResetSpeechEngine();
    EXPECT_FALSE(SpeakWithVoice(voice, text));
}
