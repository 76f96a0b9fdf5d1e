#pragma once
// How the authoring tools store a recorded or imported sound: the sound format code (the low four bits
// the encoding: 2 uncompressed 16-bit PCM at 44,100 Hz, 4 to 8 MP3 at falling quality; bit 0x100 mono,
// 0x200 stereo), the compression choices a person is offered, the speaker id, and playing a sound held
// in memory. Used by the word editor's Sound page and the icon wizard's sound page.
//
// Durations and bit rates are computed in 64 bits: a long or high-rate sound never wraps them.

#include "media/SoundFunctions.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The choice of "None" (nothing encoded) and the one given to new entries ("Excelent", mono).
constexpr std::uint16_t kSoundChoiceNone = 0;
constexpr std::uint16_t kSoundChoiceDefault = 0x104;
// The bits a choice and a format code are compared on.
constexpr std::uint16_t kSoundChoiceMask = 0x30F;
// Speaker ids lie in 0 to 1000.
constexpr int kMaxSpeakerId = 1000;

// One entry of the compression list: its format code and its text (the quality and the channels).
struct SoundChoice {
    std::uint16_t format = 0;
    QString text;
};
// The choices in the list's order: none, "No loss", "Excelent", "Good", "Poor" in mono, then the same
// four in stereo when the source has more than one channel.
std::vector<SoundChoice> SoundChoicesFor(int sourceChannels);

// A sound encoded for storing.
struct EncodedSound {
    std::vector<std::uint8_t> bytes; // a wave block (PCM) or an MP3 stream; empty when nothing encoded
    std::uint16_t format = 0;        // the format code the bytes were made with
    std::uint32_t durationMs = 0;    // of the source
    std::uint32_t bitRate = 0;       // stored bytes per second
};

// Encodes the source by the format code; a mono source is always stored mono. Encoding 2 converts to
// PCM, 4 to 8 make MP3, any other encoding (and a failed conversion) leaves no bytes.
EncodedSound EncodeSound(const WaveBlock& source, std::uint16_t format);
// Stored bytes per second of `bytes` lasting `durationMs`; 0 for a duration of 0. Clamped to 32 bits.
std::uint32_t SoundBitRate(std::uint64_t bytes, std::uint64_t durationMs);

// A number typed into a media page (a speaker or author id): the text's first comma-separated number,
// kept to [0, maximum]; none for an empty text (the id stays as it was).
std::optional<int> ClampedFirstNumber(const QString& text, int maximum);
// The speaker id a person typed, kept to 0..1000.
std::optional<int> SpeakerIdOf(const QString& text);

// Plays stored sound bytes of a format code: PCM as it is, MP3 decoded first. False when there is
// nothing to play, the encoding is another, or decoding failed.
bool PlaySoundBytes(const std::vector<std::uint8_t>& bytes, std::uint16_t format);
// The warning tone of a sound page with nothing to play: 500 Hz for 500 ms.
void PlayNothingToPlayTone();
// The tone's samples (16-bit mono PCM at 44,100 Hz), for tests.
WaveBlock NothingToPlayTone();
