#include "core/Sound.h"

#include "media/SoundDevice.h"
#include "platform/archive/Archive.h"
#include "platform/archive/ArchiveException.h"
#include "platform/archive/MemFile.h"
#include "store/MediaHeader.h"
#include "store/ResourceTypes.h"

#include <cstring>

IMPLEMENT_SERIAL(CQuibSound, CObject, 1)

CQuibSound::CQuibSound()
{
    m_owner = this;
    InitSoundModel();
}

CQuibSound::~CQuibSound() = default;

std::int32_t CQuibSound::GetType() const
{
    return m_entry ? m_entry->GetType() : RESTYPE_SOUND;
}

bool CQuibSound::ReadHeader()
{
    std::uint16_t author = 0, format = 0;
    std::uint32_t flags = 0;
    std::int32_t duration = 0, bitRate = 0;
    const std::uint32_t length = ReadMediaHeader(*this, headerLength, [&](CArchive& archive) {
        archive >> author >> flags >> format >> duration >> bitRate;
    });
    if (!length)
        return false;
    HeaderLength = length;
    SoundAuthor = author;
    SoundFlags = flags;
    SoundFormat = format;
    SoundDuration = duration;
    SoundBitRate = bitRate;
    return true;
}

void CQuibSound::WriteHeader()
{
    HeaderLength = WriteMediaHeader(*this, [this](CArchive& archive) {
        archive << SoundAuthor << SoundFlags << SoundFormat << SoundDuration << SoundBitRate;
    });
}

void CQuibSound::LoadData()
{
    Data.reset();
    if (!ReadHeader())
        return;
    const std::int64_t size = GetSize();
    const std::uint8_t* data = GetData();
    if (data && size > HeaderLength)
        Data.emplace(data + HeaderLength, data + size);
}

void CQuibSound::WriteData()
{
    WriteHeader();
    if (!Data || Data->empty())
        return;
    if (SetSize(HeaderLength + std::uint32_t(Data->size())) != RES_OK)
        return;
    if (std::uint8_t* data = GetData())
        std::memcpy(data + HeaderLength, Data->data(), Data->size());
}

void CQuibSound::SetData(const std::vector<std::uint8_t>& bytes, std::uint16_t format, std::uint16_t author,
                         std::int32_t duration, std::int32_t bitRate)
{
    SoundFormat = format;
    SoundAuthor = author;
    SoundDuration = duration;
    SoundBitRate = bitRate;
    Data = bytes;
    WriteData();
    Data.reset();
}

void CQuibSound::SetData(const WaveBlock& block, std::uint16_t format, std::uint16_t author,
                         std::int32_t duration, std::int32_t bitRate)
{
    SetData(block.bytes(), format, author, duration, bitRate);
}

std::optional<std::vector<std::uint8_t>> CQuibSound::DetachData()
{
    std::optional<std::vector<std::uint8_t>> data = std::move(Data);
    Data.reset();
    return data;
}

bool CQuibSound::Play()
{
    LoadData();
    if (!Data)
        return false;
    const int kind = SoundFormat & soundKindMask;
    if (kind == soundKindWave) {
        const auto block = WaveBlock::fromBytes(Data->data(), Data->size());
        if (!block)
            return false;
        PlaySoundData(*block);
        return true;
    }
    if (kind >= soundKindMp3First && kind <= soundKindMp3Last) {
        WaveBlock decoded;
        if (DecodeMp3(*Data, decoded, SoundFormat) <= 0)
            return false;
        PlaySoundData(decoded);
        return true;
    }
    return false;
}

bool StoreEncodedSound(CQuibSound& sound, const EncodedSound& encoded)
{
    if (encoded.bytes.empty())
        return false;
    sound.SetData(encoded.bytes, encoded.format, 0, encoded.duration, encoded.bitRate);
    return true;
}
