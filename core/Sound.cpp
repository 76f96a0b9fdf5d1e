#include "core/Sound.h"

#include "core/ResourceTypes.h"
#include "platform/archive/Archive.h"

#include <cstring>

IMPLEMENT_SERIAL(CQuibSound, CObject, 1)

namespace
{

void put16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, std::uint16_t(value));
    put16(out, std::uint16_t(value >> 16));
}

std::uint16_t get16(const std::uint8_t* at)
{
    return std::uint16_t(at[0] | (at[1] << 8));
}
std::uint32_t get32(const std::uint8_t* at)
{
    return get16(at) | (std::uint32_t(get16(at + 2)) << 16);
}

} // namespace

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
    const std::int64_t size = GetSize();
    const std::uint8_t* data = size >= 4 ? GetData() : nullptr;
    if (!data)
        return false;
    // Readers take the length from the header itself, but never beyond the fields or the resource.
    const std::uint32_t length = get32(data);
    if (length < headerLength || length > size)
        return false;
    HeaderLength = length;
    SoundAuthor = get16(data + 4);
    SoundFlags = get32(data + 6);
    SoundFormat = get16(data + 10);
    SoundDuration = std::int32_t(get32(data + 12));
    SoundBitRate = std::int32_t(get32(data + 16));
    return true;
}

void CQuibSound::WriteHeader()
{
    std::vector<std::uint8_t> header;
    put32(header, headerLength);
    put16(header, SoundAuthor);
    put32(header, SoundFlags);
    put16(header, SoundFormat);
    put32(header, std::uint32_t(SoundDuration));
    put32(header, std::uint32_t(SoundBitRate));
    HeaderLength = headerLength;
    if (SetSize(HeaderLength) != RES_OK)
        return;
    if (std::uint8_t* data = GetData())
        std::memcpy(data, header.data(), header.size());
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
