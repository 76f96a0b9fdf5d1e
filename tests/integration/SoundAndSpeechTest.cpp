// What a touch on an icon sets off: the word's sound found in the open data files and played through the
// sound model (the sound device, or the wave output), sample for sample onto SDL's "disk" driver; and,
// for a word without a sound, the word's text spoken in the user's language by the stored voice. A
// sentence read aloud is heard word by word at the writer's pace.

#include "tests/integration/SampleDataFile.h"

#include "core/Sentence.h"
#include "media/SoundDevice.h"
#include "media/SpeechEngine.h"
#include "panes/MouseState.h"
#include "panes/Panes.h"
#include "platform/audio/Audio.h"
#include "platform/types/Clock.h"
#include "store/Registry.h"
#include "tests/support/AudioTestHelpers.h"
#include "tests/support/LumivoTest.h"

#include <QCoreApplication>
#include <QFile>

#include <atomic>
#include <cmath>
#include <mutex>
#include <vector>

using namespace lumivo::test;
using namespace lumivo;

namespace
{

bool MixerIsSilent()
{
    for (int channel = 1; channel <= audio::Mixer::kChannelCount; ++channel) {
        if (audio::mixer().isPlaying(channel))
            return false;
    }
    return true;
}

// The ticks at which sounds began to leave the mixer: a loud sample after a tenth of a second of quiet.
class HeardStarts
{
public:
    HeardStarts()
    {
        audio::mixer().setObserver([this](const std::int16_t* samples, std::size_t count) {
            const std::uint32_t now = lumivo::clock::tickCount();
            std::lock_guard guard(m_lock);
            for (std::size_t i = 0; i < count; ++i) {
                if (std::abs(static_cast<int>(samples[i])) < kLoud) {
                    ++m_quiet;
                    continue;
                }
                if (m_quiet >= kQuietBetween)
                    m_starts.push_back(now);
                m_quiet = 0;
            }
        });
    }
    ~HeardStarts() { audio::mixer().setObserver({}); }
    std::vector<std::uint32_t> starts() const
    {
        std::lock_guard guard(m_lock);
        return m_starts;
    }

private:
    static constexpr int kLoud = 1000;
    static constexpr std::size_t kQuietBetween = audio::kSampleRate / 10;
    mutable std::mutex m_lock;
    std::vector<std::uint32_t> m_starts;
    std::size_t m_quiet = kQuietBetween;
};

// A fifth of a second of a tone at full strength from its first sample, after `silentMs` of silence.
WaveBlock ToneAfterSilence(int silentMs)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(audio::kSampleRate / 1000 * silentMs) * 2, 0);
    for (int i = 0; i < audio::kSampleRate / 5; ++i) {
        const auto v =
            static_cast<std::int16_t>(std::lround(std::cos(2 * M_PI * 440 * i / audio::kSampleRate) * 12000));
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8));
    }
    return WaveBlock(wave::WaveFormat::pcm(1, audio::kSampleRate, 16), std::move(bytes));
}

class SoundAndSpeechTest : public test::LumivoTest
{
protected:
    void SetUp() override
    {
        LumivoTest::SetUp();
        theBaseDir = tempDir() + QLatin1Char('/');
        content = MakeSampleContent(tempDir());
        const int file = WriteSampleDataFile(tempPath(QStringLiteral("sample.tvf")), content);
        ASSERT_GT(file, 0);
        theDataFiles = {file};
        MakeDanishCurrent();
    }

    // Plays the stored sound by the sound model; the bytes that reached the disk driver's file.
    QByteArray PlayStoredSound(const QString& output)
    {
        auto sound = FindSoundById<CQuibSound>(kSoundId, kSoundKind);
        EXPECT_TRUE(sound);
        if (!sound)
            return {};
        EXPECT_EQ(sound->Load(), RES_OK);
        EXPECT_TRUE(sound->Play());
        EXPECT_TRUE(test::waitFor([] { return !IsSoundPlaying() && MixerIsSilent(); }));
        audio::shutdown(); // the driver writes each mixed period before the output closes
        QFile file(output);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QByteArray StoredSamples() const
    {
        return QByteArray(reinterpret_cast<const char*>(content.wave.samples()),
                          static_cast<qsizetype>(content.wave.sampleBytes()));
    }

    SampleContent content;
};

TEST_F(SoundAndSpeechTest, AStoredSoundReachesTheOutputSampleForSampleOnTheSoundDevice)
{
    const QString output = tempPath(QStringLiteral("device.raw"));
    test::useDiskAudio(output);
    InitSoundModel();
    EXPECT_EQ(theSoundModel, 3); // the sound device, when no setting says otherwise
    ASSERT_EQ(CSoundDevice::InitSound(), 0);
    const QByteArray written = PlayStoredSound(output);
    EXPECT_GE(written.size(), StoredSamples().size());
    EXPECT_TRUE(written.contains(StoredSamples()));
    ASSERT_TRUE(theSoundDevice && theSoundDevice->GetSample());
    EXPECT_EQ(theSoundDevice->GetLengthMs(), 250u);
}

// The wave output, chosen by the system setting, plays without any sound device.
TEST_F(SoundAndSpeechTest, AStoredSoundReachesTheOutputSampleForSampleOnTheWaveOutput)
{
    theRegistry = std::make_unique<CRegistry>();
    ASSERT_TRUE(theRegistry->CreateKey(kSettingsRoot));
    ASSERT_TRUE(SetSystemSettingInt(QStringLiteral("SoundModel"), 1));
    ResetSoundState(); // as the next start of the program: the model is read once per run
    InitSoundModel();
    ASSERT_EQ(theSoundModel, 1);
    const QString output = tempPath(QStringLiteral("wave.raw"));
    test::useDiskAudio(output);
    const QByteArray written = PlayStoredSound(output);
    EXPECT_TRUE(written.contains(StoredSamples()));
}

TEST_F(SoundAndSpeechTest, TheUsersVoiceSpeaksTheWordsOfTheUsersLanguage)
{
    CQuibUser user;
    ASSERT_EQ(user.LoadFrom(kUserId, theDataFiles.front()), RES_OK);
    theSpeechEngine = std::make_unique<CSpeechEngine>();
    theSpeechEngine->StartInit();
    ASSERT_TRUE(test::waitFor([] { return theSpeechEngine->IsReady(); }));
    ASSERT_EQ(theSpeechEngine->SelectVoice(user.Voice1), 0);
    EXPECT_EQ(theSpeechEngine->GetEngineKind(), speechKindVoice);
    const QString danishVoice = theSpeechEngine->GetCurrentVoiceIdentifier();

    for (std::int32_t id : {101, 105}) {
        auto word = FindWordById(id);
        ASSERT_TRUE(word);
        ASSERT_EQ(word->Load(), RES_OK);
        const QString text = WordDisplayText(word->WordName, kWordTextCutSuffix | kWordTextDropLayoutChars);
        EXPECT_FALSE(text.contains(QChar(0x00B7)));
        LoudestSample loudest;
        EXPECT_EQ(theSpeechEngine->Speak(text), speakDone) << text.toStdString();
        EXPECT_GT(loudest.peak(), 1000) << text.toStdString();
    }

    // A voice stored on another system: the user's language still speaks, through its own voice.
    ASSERT_EQ(theSpeechEngine->SelectVoice(QStringLiteral("Vox Dana - Danish (Denmark)")), 0);
    EXPECT_EQ(theSpeechEngine->GetCurrentVoiceIdentifier(), danishVoice);
    LoudestSample loudest;
    EXPECT_EQ(theSpeechEngine->Speak(QStringLiteral("hund")), speakDone);
    EXPECT_GT(loudest.peak(), 1000);
}

// A sound held by the device, stored by it (as MP3) into the data file, and played from there again.
TEST_F(SoundAndSpeechTest, ARecordingKeptAsMp3PlaysBackAtItsLength)
{
    const QString output = tempPath(QStringLiteral("mp3.raw"));
    test::useDiskAudio(output);
    ASSERT_EQ(CSoundDevice::InitSound(), 0);
    ASSERT_EQ(theSoundDevice->LoadFromWaveData(&content.wave), 0);
    const int file = theDataFiles.front();
    {
        CQuibSound recorded;
        ASSERT_EQ(recorded.Create(), RES_OK);
        EncodedSound encoded;
        ASSERT_EQ(CSoundDevice::SaveToSound(theSoundDevice->GetSample(), encoded), 0);
        ASSERT_TRUE(StoreEncodedSound(recorded, encoded));
        ASSERT_EQ(recorded.SaveAs(kSoundId + 1, file, MakeSoundType(kSoundKind, kDanish)), RES_OK);
        EXPECT_EQ(recorded.SoundFormat & soundKindMask, 4); // the device keeps what it stores small
        ASSERT_EQ(recorded.Write(), RES_OK);
    }
    int err = 0;
    SaveDataFile(file, false, true, &err);
    ASSERT_EQ(err, 0);

    theSoundModel = 3;
    auto sound = FindSoundById<CQuibSound>(kSoundId + 1, kSoundKind);
    ASSERT_TRUE(sound);
    ASSERT_EQ(sound->Load(), RES_OK);
    LoudestSample loudest;
    ASSERT_TRUE(sound->Play());
    EXPECT_EQ(sound->SoundFormat & soundKindMask, 4);
    ASSERT_TRUE(theSoundDevice->GetSample());
    // MP3 pads the sound a little at both ends.
    EXPECT_NEAR(theSoundDevice->GetLengthMs(), 250.0, 60.0);
    EXPECT_TRUE(test::waitFor([] { return !IsSoundPlaying() && MixerIsSilent(); }));
    EXPECT_GT(loudest.peak(), 8000);
}

class NoWindow : public CPaneOwner
{
public:
    bool HasWindow() const override { return true; }
    void InvalidateRect(const CRect&, bool) override {}
};

// A word's own recorded sound, kept in the data file as a wave block.
void StoreWordSound(std::int32_t wordId, const WaveBlock& block, int file)
{
    CQuibSound sound;
    ASSERT_EQ(sound.Create(), RES_OK);
    sound.SetData(block, soundKindWave | soundChannelMono, 0, std::int32_t(GetWaveDurationMs(block)), 705600);
    ASSERT_EQ(sound.SaveAs(wordId, file, MakeSoundType(5, kDanish)), RES_OK);
    ASSERT_EQ(sound.Write(), RES_OK);
}

// The click on the read button frees the next long press at once; the words of the sentence still keep
// their pace. A recording that opens with silence counts from when it is heard.
TEST_F(SoundAndSpeechTest, ASentenceReadAloudIsHeardWordByWordAtLeast500MsApart)
{
    constexpr std::int32_t kTone = 501;
    constexpr std::int32_t kToneAfterSilence = 502;
    const int file = theDataFiles.front();
    StoreWordSound(kTone, ToneAfterSilence(0), file);
    StoreWordSound(kToneAfterSilence, ToneAfterSilence(300), file);
    test::useDiskAudio(tempPath(QStringLiteral("sentence.raw")));
    ASSERT_EQ(CSoundDevice::InitSound(), 0);
    theSpeechEngine = std::make_unique<CSpeechEngine>();
    theSpeechEngine->StartInit();
    ASSERT_TRUE(test::waitFor([] { return theSpeechEngine->IsReady(); }));

    CQuibUser user;
    ASSERT_EQ(user.LoadFrom(kUserId, file), RES_OK);
    user.FirstOutput = 0xC0; // what has no sound is spoken
    user.SecondOutput = 0;
    user.Voice1.clear();
    user.Sentences.clear();
    user.CurrentSentence = 0;
    theCurrentUser = &user;
    NoWindow window;
    theWriterPane.SetOwnerWnd(&window);
    theWriterPane.PaneRect = CRect(0, 400, 800, 510);
    theWriterPane.SetVisible(true);
    theWriterPane.UpdateLayout(true);
    for (std::int32_t word : {101, kTone, kToneAfterSilence, kTone}) {
        CQuibIcon icon;
        icon.WordId = icon.ShownWordId = word;
        theWriterPane.InsertIcon(&icon, kInsertAtTail, 0);
    }
    theWriterPane.UpdateLayout(false);

    HeardStarts heard;
    const CPoint button = theWriterPane.ToolRect(WriterTool::ReadAloud).CenterPoint();
    const std::uint32_t now = lumivo::clock::tickCount();
    theMouseState.down = {button, MK_LBUTTON, now};
    theMouseState.up = {button, 0, now};
    ASSERT_TRUE(theWriterPane.OnLButtonUp(0, button.x, button.y, now));
    ASSERT_TRUE(theWriterPane.IsReadingAloud());
    EXPECT_TRUE(test::waitFor([] {
        QCoreApplication::processEvents();
        return !theWriterPane.IsReadingAloud();
    }));

    const std::vector<std::uint32_t> starts = heard.starts();
    ASSERT_EQ(starts.size(), 4u) << "every word heard on its own";
    for (std::size_t i = 1; i < starts.size(); ++i) {
        // The mixer notes a start on the clock a moment before this observer reads it.
        EXPECT_GE(starts[i] - starts[i - 1], kReadAloudGapMs - 1)
            << "between words " << i << " and " << i + 1;
    }
    theWriterPane.SetVisible(false);
    theCurrentUser = nullptr;
}

} // namespace
