#include "media/SoundDevice.h"

#include "media/SoundFunctions.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include "platform/audio/Audio.h"
#include "platform/audio/Decode.h"
#include "platform/files/FileSystem.h"
#include "platform/types/Clock.h"
#include "platform/wave/Riff.h"

#include <array>

using namespace lumivo;

std::unique_ptr<CSoundDevice> theSoundDevice;

namespace
{

bool soundInitialised = false;
// Why the output could not be opened; the person is told once a run.
QString outputFailure;
bool outputFailureTold = false;
constexpr int kNoSoundDeviceText = 9467;

// The mixer starts a sound at its next period, and a busy machine may run its thread late: the
// computed end allows for that, so the bound never cuts off the end of a sound that is still playing.
constexpr std::uint32_t kEndTickGraceMs = 100;

bool tickHasPassed(std::uint32_t tick, std::uint32_t now)
{
    return static_cast<std::int32_t>(now - tick) > 0;
}

} // namespace

// ---- The audio path for the whole program -------------------------------------------------

int CSoundDevice::InitSound()
{
    if (soundInitialised)
        return soundDeviceOk;
    if (!audio::openOutput()) {
        outputFailure = audio::lastError();
        qWarning("sound: %s", qPrintable(outputFailure));
        return soundDeviceNoOutput;
    }
    if (!theSoundDevice)
        theSoundDevice = std::make_unique<CSoundDevice>();
    soundInitialised = true;
    return soundDeviceOk;
}

void CSoundDevice::TellIfNoOutput()
{
    if (outputFailure.isEmpty() || outputFailureTold)
        return;
    outputFailureTold = true;
    MessageBoxById(kNoSoundDeviceText, lumivo::ui::MB_OK | lumivo::ui::MB_ICONWARNING, outputFailure);
}

int CSoundDevice::CloseSound()
{
    theSoundDevice.reset();
    audio::shutdown();
    soundInitialised = false;
    outputFailure.clear();
    outputFailureTold = false;
    return soundDeviceOk;
}

QString CSoundDevice::GetFmodErrorText(int code)
{
    static const std::array<const char*, 19> texts = {
        "No errors",
        "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
        "This command failed because FSOUND_Init was not called or called properly",
        "Error initializing output device.",
        "The output device is already in use and cannot be reused.",
        "Playing the sound failed.",
        "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
        "Error setting cooperative level for hardware.",
        "Error creating hardware sound buffer.",
        "File not found",
        "Unknown file format",
        "Error loading file",
        "Not enough memory ",
        "The version number of this file format is not supported",
        "An invalid parameter was passed to this function",
        "Tried to use an EAX command on a non EAX enabled channel or output.",
        "Failed to allocate a new channel",
        "Recording not supported on this device",
        "Required Mediaplayer codec is not installed",
    };
    if (code < 0 || code >= static_cast<int>(texts.size()))
        return QStringLiteral("Unknown error");
    return QString::fromLatin1(texts[static_cast<std::size_t>(code)]);
}

// ---- One device ---------------------------------------------------------------------------------

CSoundDevice::CSoundDevice() : m_capture(std::make_unique<audio::Capture>()) {}

CSoundDevice::~CSoundDevice()
{
    Free();
}

void CSoundDevice::TakeSamples(CSoundSample&& samples)
{
    m_sample = samples.empty() ? nullptr : std::make_shared<const CSoundSample>(std::move(samples));
}

int CSoundDevice::Load(const QString& path)
{
    m_fileName = path;
    Free();
    if (!files::fileSystem().exists(path))
        return soundFileNotFound;
    auto samples = audio::decodeSoundFile(path);
    if (!samples)
        return soundUnknownFormat;
    TakeSamples(std::move(*samples));
    return soundNoError;
}

int CSoundDevice::LoadTempRecording()
{
    return Load(GetTempDirString(QStringLiteral("/Sound.tmp")));
}

std::uint32_t CSoundDevice::GetLengthMs() const
{
    return m_sample ? audio::samplesToMs(m_sample->size()) : 0;
}

int CSoundDevice::Play()
{
    if (m_recording || IsPlaying())
        Stop();
    if (!m_sample || !audio::openOutput())
        return soundDeviceOk;
    const int channel = audio::Mixer::channelOf(m_channel);
    const int handle = audio::mixer().play(m_sample, channel > 0 ? channel : 1);
    if (handle > 0) {
        m_channel = handle;
        m_endTick = clock::tickCount() + GetLengthMs() + kEndTickGraceMs;
    }
    return soundDeviceOk;
}

bool CSoundDevice::IsPlaying()
{
    if (m_channel <= 0)
        return false;
    if (m_endTick != 0 && tickHasPassed(m_endTick, clock::tickCount()))
        Stop();
    return audio::mixer().isPlaying(m_channel);
}

std::uint32_t CSoundDevice::GetHeardTick() const
{
    return m_channel > 0 ? audio::mixer().heardTick(m_channel) : 0;
}

int CSoundDevice::StartRecording()
{
    if (m_recording || IsPlaying())
        Stop();
    if (m_fileName.isEmpty())
        LoadTempRecording();
    Free();
    // Without its buffer or a capture device nothing is recorded, and the caller is told so.
    if (!m_capture->start(kRecordLimit)) {
        qWarning("sound: %s", qPrintable(m_capture->error()));
        return soundDeviceNoCapture;
    }
    m_recording = true;
    return soundDeviceOk;
}

bool CSoundDevice::IsRecording()
{
    if (!m_recording)
        return false;
    if (m_capture->position() < kRecordLimit)
        return true;
    Stop();
    return false;
}

std::size_t CSoundDevice::GetRecordPosition() const
{
    return m_recording ? m_capture->position() : 0;
}

int CSoundDevice::Stop()
{
    if (m_channel > 0)
        audio::mixer().stop(m_channel);
    if (m_recording) {
        m_recording = false;
        TakeSamples(m_capture->stop());
    }
    m_endTick = 0;
    return soundDeviceOk;
}

void CSoundDevice::Free()
{
    Stop();
    m_sample.reset();
}

// ---- Wave blocks --------------------------------------------------------------------------------

int CSoundDevice::LoadWaveData(const wave::WaveBlock& block)
{
    if (block.isNull())
        return soundDeviceNoSound;
    const audio::PcmFormat format{block.channels(), block.bitsPerSample(),
                                  static_cast<int>(block.samplesPerSec()),
                                  block.formatTag() == wave::formatFloat};
    auto samples = audio::convertPcm(block.samples(), block.sampleBytes(), format);
    if (!samples) {
        // A header that describes nothing playable: the data are taken as the program's own format.
        samples = audio::convertPcm(block.samples(), block.sampleBytes(), audio::PcmFormat{});
    }
    if (!samples || samples->empty())
        return soundDeviceUnplayable;
    Free();
    TakeSamples(std::move(*samples));
    return soundDeviceOk;
}

int CSoundDevice::WaveDataToRiff(const wave::WaveBlock& block)
{
    if (block.isNull())
        return soundDeviceNoSound;
    const std::vector<std::uint8_t> riff = wave::toRiff(block);
    auto samples = audio::decodeSound(riff.data(), riff.size());
    if (!samples)
        return soundDeviceUnplayable;
    TakeSamples(std::move(*samples));
    return m_sample ? soundDeviceOk : soundDeviceUnplayable;
}

int CSoundDevice::LoadFromWaveData(const wave::WaveBlock* block)
{
    if (!block)
        return soundDeviceNoSound;
    Free();
    if (WaveDataToRiff(*block) == soundDeviceOk)
        return soundDeviceOk;
    return LoadWaveData(*block);
}

int CSoundDevice::SampleToWaveData(const CSoundSample* sample, wave::WaveBlock& out)
{
    out = wave::WaveBlock();
    if (!sample)
        return soundDeviceNoSound;
    out = wave::WaveBlock(wave::WaveFormat::pcm(1, audio::kSampleRate, 16),
                          reinterpret_cast<const std::uint8_t*>(sample->data()), sample->size() * 2);
    return soundDeviceOk;
}

int CSoundDevice::SaveToSound(const CSoundSample* sample, EncodedSound& sound)
{
    constexpr std::uint16_t kMonoLevel4 = 0x104;
    sound = {};
    if (!sample)
        return soundDeviceNoSound;
    WaveBlock block;
    SampleToWaveData(sample, block);
    std::vector<std::uint8_t> mp3;
    // A sound that cannot be encoded is not stored as if it had been.
    if (EncodeMp3(block, mp3, kMonoLevel4) <= 0)
        return soundDeviceNotEncoded;
    const std::uint32_t duration = GetWaveDurationMs(block);
    const auto bitRate = duration == 0 ? 0 : static_cast<std::int32_t>(mp3.size() * 1000 / duration);
    sound = {std::move(mp3), kMonoLevel4, static_cast<std::int32_t>(duration), bitRate};
    return soundDeviceOk;
}

void CSoundDevice::SetCompressor(bool on)
{
    audio::mixer().setCompressorEnabled(on);
}

bool CSoundDevice::IsCompressorOn() const
{
    return audio::mixer().isCompressorEnabled();
}

int CSoundDevice::SaveWavFile(const CSoundSample* sample)
{
    if (!sample)
        return soundDeviceNoSound;
    if (m_fileName.isEmpty())
        return soundDeviceNoFileName;
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(sample->size() * 2);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(44 + dataBytes);
    const auto put = [&bytes](std::uint32_t value, int width) {
        for (int i = 0; i < width; ++i)
            bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    const auto tag = [&bytes](const char* id) { bytes.insert(bytes.end(), id, id + 4); };
    tag("RIFF");
    put(36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2); // PCM
    put(1, 2); // mono
    put(audio::kSampleRate, 4);
    put(audio::kSampleRate * 2, 4); // bytes per second
    put(2, 2);                      // block align
    put(16, 2);                     // bits per sample
    tag("data");
    put(dataBytes, 4);
    for (std::int16_t value : *sample)
        put(static_cast<std::uint16_t>(value), 2);
    return files::writeFileAtomically(m_fileName, bytes.data(), bytes.size()) ? soundDeviceOk
                                                                              : soundDeviceWriteFailed;
}
