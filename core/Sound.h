#pragma once
// A stored sound: a "gs" resource whose bytes are a short header and either a whole wave block
// (kind 2) or an MP3 stream (kinds 4 to 8).
// It plays and converts through the media layer's sound functions.

#include "media/SoundFunctions.h"
#include "platform/archive/RuntimeClass.h"
#include "store/ResourceHandle.h"

#include <optional>

struct EncodedSound;

class CQuibSound : public CMyRes, public CObject
{
    DECLARE_SERIAL(CQuibSound)

public:
    static constexpr std::uint32_t headerLength = 20;

    CQuibSound();
    ~CQuibSound() override;
    CQuibSound(const CQuibSound&) = delete;
    CQuibSound& operator=(const CQuibSound&) = delete;

    std::int32_t GetType() const override;

    // Reads the header; false (fields unchanged) when the resource holds no sound header.
    bool ReadHeader();
    void WriteHeader();
    // Holds a copy of the bytes behind the header; none when there are none or no header.
    void LoadData();
    void WriteData();
    // Sets the fields (not SoundFlags) and writes the bytes into the resource; the object keeps no
    // block afterwards, and the caller keeps its own.
    void SetData(const std::vector<std::uint8_t>& bytes, std::uint16_t format, std::uint16_t author,
                 std::int32_t duration, std::int32_t bitRate);
    void SetData(const WaveBlock& block, std::uint16_t format, std::uint16_t author, std::int32_t duration,
                 std::int32_t bitRate);
    // Frees the held block (hides the handle's FreeData, which the handle part reaches by name).
    void FreeData() { Data.reset(); }
    std::optional<std::vector<std::uint8_t>> DetachData();
    // Plays the sound; true when a block went to PlaySoundData.
    bool Play();

    std::uint16_t SoundAuthor = 0;
    std::uint32_t SoundFlags = 0;
    std::uint16_t SoundFormat = 0;
    std::int32_t SoundDuration = 0;
    std::int32_t SoundBitRate = 0;
    std::optional<std::vector<std::uint8_t>> Data;
    std::uint32_t HeaderLength = 0;
};

// Files a sound the device encoded (CSoundDevice::SaveToSound) into the stored sound: its bytes,
// format, duration and bit rate. False, and the stored sound untouched, for an encoding without bytes.
bool StoreEncodedSound(CQuibSound& sound, const EncodedSound& encoded);
