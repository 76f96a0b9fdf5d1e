#include "platform/speech/Speech.h"
#include "platform/audio/Audio.h"
#include "platform/speech/ReaderProgram.h"
#include "tests/support/AudioTestHelpers.h"
#include "tests/support/LumivoTest.h"

#include <QFile>
#include <QTemporaryDir>

using namespace lumivo;
using namespace lumivo::speech;
using lumivo::test::LumivoTest;

class SpeechTest : public LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        ASSERT_TRUE(initialise());
    }
};

TEST_F(SpeechTest, VoicesHaveNamesAndAreFoundWithoutRegardToCase)
{
    const auto all = voices();
    ASSERT_FALSE(all.empty());
    for (const Voice& voice : all)
        EXPECT_FALSE(voice.name.isEmpty());
    const auto danish = voiceForLanguage("da");
    ASSERT_TRUE(danish);
    const auto found = findVoice(danish->name.toUpper());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->identifier, danish->identifier);
    EXPECT_FALSE(findVoice("Vox Alba"));
}

TEST_F(SpeechTest, ADanishAndAnEnglishWordBecomeSoundThatStartsWithoutSilence)
{
    for (const char* language : {"da", "en"}) {
        const auto voice = voiceForLanguage(language);
        ASSERT_TRUE(voice) << language;
        const auto samples = synthesize(language == QLatin1String("da") ? "hund" : "dog", voice->identifier,
                                        test::kGenerousWaitMs);
        ASSERT_TRUE(samples) << language;
        EXPECT_GT(samples->size(), std::size_t(audio::kSampleRate / 10)) << language;
        EXPECT_GT(std::abs(int((*samples)[0])), LeadingSilenceTrimmer::kThreshold) << language;
    }
}

TEST_F(SpeechTest, SpokenWordPlaysThroughTheMixerAndNotesItsEnd)
{
    const auto voice = voiceForLanguage("en");
    ASSERT_TRUE(voice);
    int loudest = 0;
    audio::mixer().setObserver([&loudest](const std::int16_t* s, std::size_t n) {
        loudest = std::max(loudest, test::peakOf(s, n));
    });
    const auto utterance = speak("hello", voice->identifier);
    ASSERT_TRUE(utterance);
    ASSERT_TRUE(utterance->waitUntilDone(test::kGenerousWaitMs));
    audio::mixer().setObserver({});
    EXPECT_FALSE(utterance->failed());
    EXPECT_NE(utterance->endTick(), 0u);
    EXPECT_GT(loudest, 1000);
    EXPECT_FALSE(speak("", voice->identifier));
}

TEST_F(SpeechTest, AnUnknownVoiceOrStoppedSpeechEndsWithoutSound)
{
    const auto bad = speak("hello", "no/such-voice");
    ASSERT_TRUE(bad);
    ASSERT_TRUE(bad->waitUntilDone(test::kGenerousWaitMs));
    EXPECT_TRUE(bad->failed());

    const auto voice = voiceForLanguage("en");
    const auto long_ = speak(QString("this is a rather long sentence ").repeated(20), voice->identifier);
    ASSERT_TRUE(long_);
    long_->stop();
    EXPECT_TRUE(long_->waitUntilDone(test::kGenerousWaitMs));
}

TEST_F(SpeechTest, ResamplerKeepsItsPlaceAcrossChunks)
{
    audio::Samples whole;
    audio::Samples chunked;
    const audio::Samples input = test::sine(0.5, 300, 2205, 22050);
    StreamResampler one(22050);
    one.process(input.data(), input.size(), whole);
    StreamResampler pieces(22050);
    for (std::size_t i = 0; i < input.size(); i += 101)
        pieces.process(input.data() + i, std::min<std::size_t>(101, input.size() - i), chunked);
    EXPECT_EQ(whole, chunked);
    EXPECT_NEAR(static_cast<double>(whole.size()), 4410.0, 2.0);
}

class ReaderProgramTest : public lumivo::test::LumivoTest
{
};

TEST_F(ReaderProgramTest, ReaderReceivesItsArgumentsAndIsBounded)
{
    QTemporaryDir dir;
    const QString script = dir.filePath("reader.sh");
    const QString out = dir.filePath("args.txt");
    ASSERT_TRUE(test::writeReaderScript(script, out, "%s\\n"));

    EXPECT_EQ(runReaderProgram(script, {"*", "hund; rm -rf $HOME"}, 5000), ReaderResult::Finished);
    QFile result(out);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(result.readAll(), QByteArray("*\nhund; rm -rf $HOME\n"));

    EXPECT_EQ(runReaderProgram(dir.filePath("missing"), {"*"}, 1000), ReaderResult::NotStarted);
    EXPECT_EQ(runReaderProgram("/bin/sleep", {"5"}, 100), ReaderResult::TimedOut);
}

TEST_F(SpeechTest, ALongTextIsSpokenWhole)
{
    const auto voice = voiceForLanguage("en");
    ASSERT_TRUE(voice);
    const QString text = QString("one two three four five six seven eight nine ten. ").repeated(12);
    const auto whole = synthesize(text, voice->identifier, test::kGenerousWaitMs);
    const auto cut = synthesize(text.left(254), voice->identifier, test::kGenerousWaitMs);
    ASSERT_TRUE(whole && cut);
    EXPECT_GT(whole->size(), cut->size() * 2);
}
