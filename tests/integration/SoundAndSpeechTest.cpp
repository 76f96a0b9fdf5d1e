// What a touch on an icon sets off: the word's sound found in the open data files and played through the
// sound model (the sound device, or the wave output), sample for sample onto SDL's "disk" driver; and,
// for a word without a sound, the word's text spoken in the user's language by the stored voice.

#include "tests/integration/SampleDataFile.h"

#include "core/Registry.h"
#include "panes/SoundDevice.h"
#include "panes/SpeechEngine.h"
#include "platform/audio/Audio.h"
#include "tests/support/AudioTestHelpers.h"
#include "tests/support/LumivoTest.h"

#include <QFile>

#include <atomic>

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
        ASSERT_EQ(CSoundDevice::SaveToSound(theSoundDevice->GetSample(), &recorded), 0);
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

} // namespace
