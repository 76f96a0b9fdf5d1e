#pragma once
// The sound functions the whole program uses: wave files, conversion to the program's PCM, MP3,
// and the one way a sound is played.

#include "platform/types/Hook.h"
#include "platform/wave/WaveBlock.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <vector>

using lumivo::wave::WaveBlock;

// SoundFormat bits: the data kind in bits 0-3, the channel choice in bits 8-9.
constexpr int soundKindMask = 0x000F;
constexpr int soundKindWave = 2;
constexpr int soundKindMp3First = 4;
constexpr int soundKindMp3Last = 8;
constexpr int soundChannelMask = 0x0300;
constexpr int soundChannelMono = 0x0100;
constexpr int soundChannelStereo = 0x0200;

// How sounds are played: 3 through the sound device, 2 through the wave output waiting for the end
// (at most 2,000 ms), 1 through the wave output without waiting.
extern std::int32_t theSoundModel;
// Non-zero while this code plays a sound through the wave output, or sets one up on the device.
extern std::atomic<std::uint32_t> theWaveOutHandle;
// When the last sound started (device) or ended (wave output); speech sets it too. A click and a
// deselection set it to 0, so that the next long press may play at once.
extern std::atomic<std::uint32_t> theLastSoundTick;

// The millisecond tick that theLastSoundTick is measured in.
std::uint32_t CurrentSoundTick();
// Notes a sound's start or end as theLastSoundTick. A device sound's start is moved on to the moment
// its first audible sample goes out, once the device can tell, unless another tick was noted since.
void NoteSoundTick(std::uint32_t tick);

void InitSoundModel();

// Failures of ReadWaveFile (the values of the platform's RIFF reader, which it passes on).
enum ReadWaveResult : int {
    readWaveNotOpened = -1,   // the file could not be opened
    readWaveNotRiffWave = -2, // no RIFF "WAVE" form
    readWaveNoFormat = -3,    // no usable "fmt " chunk
    readWaveNoData = -5,      // no "data" chunk
    readWaveShortData = -7,   // fewer bytes than the chunk claims: the file was cut short
    readWaveTooLarge = -9,    // larger than a sound record may be: refused unread
};
// Wave files. ReadWaveFile returns the sample-data byte count, or a ReadWaveResult.
int ReadWaveFile(const QString& path, WaveBlock& out);
// Replaces the file whole; false without a block or when it cannot be written.
bool WriteWaveFile(const QString& path, const WaveBlock& block);
int GetWaveChannels(const WaveBlock& block);
// 0 for a header with a zero rate, width or channel count.
std::uint32_t GetWaveDurationMs(const WaveBlock& block);

// Results of ConvertWaveToPcm (the values of the platform's converter, which it passes on).
enum ConvertWaveResult : int {
    convertWaveOk = 0,
    convertWaveNoInput = -1,
    convertWaveNoMemory = -2,
    convertWaveFailed = -3, // then `out` is empty
};
// To 16-bit PCM at 44,100 Hz: mono when (flags & 0x300) is 0x100, else stereo. `out` always gets a new
// block. Returns a ConvertWaveResult.
int ConvertWaveToPcm(const WaveBlock& in, WaveBlock& out, int flags);

enum ScaleWaveResult : int {
    scaleWaveOk = 0,
    scaleWaveNoBlock = -1,
    scaleWaveNot16Bit = -2,
};
// Multiplies every 16-bit sample, truncating toward zero and keeping to the 16-bit range.
// Returns a ScaleWaveResult.
int ScaleWaveSamples(WaveBlock& block, double factor);

// Failures of EncodeMp3 and DecodeMp3.
enum Mp3CodecResult : int {
    mp3CodecNoInput = -1,
    mp3CodecConversionFailed = -2, // EncodeMp3: the block could not be made 16-bit PCM
    mp3CodecEncoderFailed = -3,
    mp3CodecDecoderError = -4,
};
// MP3 at the level in flags & 15 (4 to 8) with the channel choice of flags & 0x300. Returns the MP3
// byte count, or mp3CodecNoInput, mp3CodecConversionFailed or mp3CodecEncoderFailed.
int EncodeMp3(const WaveBlock& in, std::vector<std::uint8_t>& out, int flags);
// Returns the size of the new wave block (header included), or mp3CodecNoInput or mp3CodecDecoderError.
// The block has the stream's rate and channels, or one channel when (flags & 0x300) is 0x100.
int DecodeMp3(const std::vector<std::uint8_t>& in, WaveBlock& out, int flags);

// Plays a wave block by theSoundModel and returns at once (model 2 waits for the end, at most
// 2,000 ms). The player keeps its own copy of the samples. Model 3 plays on the program's sound device
// (theSoundDevice, media/SoundDevice.h), and nothing while there is none.
void PlaySoundData(const WaveBlock& block);
void StopSound();
bool IsSoundPlaying();
std::uint32_t GetSoundElapsedMs();
// Milliseconds since the last noted sound tick, whatever set theLastSoundTick to 0 since: the pace of a
// sentence read aloud, which a click on the way must not hurry.
std::uint32_t GetNotedSoundElapsedMs();

// Run while model 2 waits for its sound to end (the application's idle processing); by default nothing.
extern lumivo::Hook<void()> theSoundWaitIdleHook;

// Puts the sound state back to that of a fresh start, the hooks at their defaults (for tests).
void ResetSoundState();
