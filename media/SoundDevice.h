#pragma once
// The sound device: holds one sound, plays it on a channel of the program's mixer and records into
// it. Every sound it holds is 16-bit mono at 44,100 Hz, whatever it was loaded from, so the wave
// blocks and files it writes describe their samples truly. The program owns one global device for
// icons and the writer; the authoring tools make their own to preview, record and store a sound.

#include "platform/audio/AudioFormat.h"
#include "platform/audio/Capture.h"
#include "platform/wave/WaveBlock.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// A sound encoded to be stored: MP3 bytes with what a stored sound keeps beside them. The model files
// it into a stored sound (StoreEncodedSound, core/Sound.h).
struct EncodedSound {
    std::vector<std::uint8_t> bytes;
    std::uint16_t format = 0;  // the stored sound's SoundFormat: MP3 level and channels
    std::int32_t duration = 0; // milliseconds
    std::int32_t bitRate = 0;  // bytes a second
};

// A sound as the device holds it.
using CSoundSample = lumivo::audio::Samples;

// Error codes of the sound layer, as Load gives them (0 or above: the numbering of the texts);
// GetFmodErrorText gives their texts.
enum SoundError : int {
    soundNoError = 0,
    soundInitFailed = 3,
    soundPlayFailed = 5,
    soundFileNotFound = 9,
    soundUnknownFormat = 10,
    soundLoadFailed = 11,
    soundNoMemory = 12,
    soundInvalidParameter = 14,
    soundNoChannel = 16,
    soundNoRecording = 17,
};

// Results of the device's other calls: 0, or a failure below 0 (one name per meaning).
enum SoundDeviceResult : int {
    soundDeviceOk = 0,
    soundDeviceNoOutput = -1,    // InitSound: the audio output could not be opened
    soundDeviceNoCapture = -1,   // StartRecording: no capture device, or no room to record into
    soundDeviceNoSound = -1,     // no wave block, an empty one, or no sample
    soundDeviceUnplayable = -1,  // the block describes nothing that can be played
    soundDeviceNotEncoded = -1,  // SaveToSound: the sample could not be encoded
    soundDeviceNoFileName = -1,  // SaveWavFile: no file name is set
    soundDeviceWriteFailed = -4, // SaveWavFile: the file could not be written
};

class CSoundDevice
{
public:
    // A recording holds at most 10 seconds.
    static constexpr std::size_t kRecordLimit = 441000;

    CSoundDevice();
    virtual ~CSoundDevice();
    CSoundDevice(const CSoundDevice&) = delete;
    CSoundDevice& operator=(const CSoundDevice&) = delete;

    // Opens the audio path once for the whole program and makes theSoundDevice; soundDeviceOk or
    // soundDeviceNoOutput.
    static int InitSound();
    // Deletes theSoundDevice and closes the audio path; soundDeviceOk.
    static int CloseSound();
    // When InitSound found no output, tells the person so, once a run, with the reason.
    static void TellIfNoOutput();
    static QString GetFmodErrorText(int code);

    // A SoundError.
    int Load(const QString& path);
    int LoadTempRecording();
    std::uint32_t GetLengthMs() const;
    int Play();
    bool IsPlaying();
    // When the output carried the first audible sample of the sound played last; 0 while it has not.
    std::uint32_t GetHeardTick() const;
    int StartRecording();
    bool IsRecording();
    // Samples recorded so far while recording (for a recorder's progress); 0 otherwise.
    std::size_t GetRecordPosition() const;
    int Stop();
    void Free();

    int LoadWaveData(const lumivo::wave::WaveBlock& block);
    int WaveDataToRiff(const lumivo::wave::WaveBlock& block);
    int LoadFromWaveData(const lumivo::wave::WaveBlock* block);
    static int SampleToWaveData(const CSoundSample* sample, lumivo::wave::WaveBlock& out);
    // Encodes the sample as mono MP3 at level 4; `sound` is emptied first and filled only on success.
    static int SaveToSound(const CSoundSample* sample, EncodedSound& sound);
    void SetCompressor(bool on);
    int SaveWavFile(const CSoundSample* sample);

    // The sound held; none when empty.
    const CSoundSample* GetSample() const { return m_sample.get(); }
    const QString& GetFileName() const { return m_fileName; }
    void SetFileName(const QString& name) { m_fileName = name; }
    // The mixer's state: it is shared by every device and outlives none of them, so no device keeps a
    // copy that could go stale when the audio output is shut down and opened again.
    bool IsCompressorOn() const;

private:
    void TakeSamples(CSoundSample&& samples);

    bool m_recording = false;
    QString m_fileName;
    lumivo::audio::SharedSamples m_sample;
    int m_channel = 0; // the mixer's handle of the last Play; its low 12 bits are the channel
    std::uint32_t m_endTick = 0;
    std::unique_ptr<lumivo::audio::Capture> m_capture;
};

// The program's device: none until InitSound succeeds.
extern std::unique_ptr<CSoundDevice> theSoundDevice;
