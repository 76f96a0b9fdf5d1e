#include "platform/wave/WaveBlock.h"

#include <cstring>

namespace lumivo::wave
{

namespace
{

void put16(std::uint8_t* at, std::uint16_t value)
{
    at[0] = std::uint8_t(value);
    at[1] = std::uint8_t(value >> 8);
}

void put32(std::uint8_t* at, std::uint32_t value)
{
    put16(at, std::uint16_t(value));
    put16(at + 2, std::uint16_t(value >> 16));
}

} // namespace

WaveFormat WaveFormat::pcm(int channels, int samplesPerSec, int bitsPerSample)
{
    WaveFormat format;
    format.formatTag = formatPcm;
    format.channels = std::uint16_t(channels);
    format.samplesPerSec = std::uint32_t(samplesPerSec);
    format.bitsPerSample = std::uint16_t(bitsPerSample);
    format.blockAlign = std::uint16_t(channels * ((bitsPerSample + 7) / 8));
    format.avgBytesPerSec = format.samplesPerSec * format.blockAlign;
    return format;
}

bool WaveFormat::isPcm16(int rate, int channelCount) const
{
    return formatTag == formatPcm && bitsPerSample == 16 && samplesPerSec == std::uint32_t(rate) &&
           channels == channelCount && blockAlign == channelCount * 2;
}

std::uint16_t WaveFormat::sampleFormatTag() const
{
    // cbSize 22: valid bits (2), channel mask (4), then the sub-format GUID whose first two bytes are the
    // tag.
    if (formatTag != formatExtensible)
        return formatTag;
    return extra.size() >= 22 ? std::uint16_t(extra[6] | (extra[7] << 8)) : 0;
}

bool WaveFormat::isLinear() const
{
    const std::uint16_t tag = sampleFormatTag();
    return tag == formatPcm || tag == formatFloat;
}

namespace
{

bool hasPlayableRate(const WaveFormat& format)
{
    return format.samplesPerSec >= std::uint32_t(minPlayableRate) &&
           format.samplesPerSec <= std::uint32_t(maxPlayableRate) && format.blockAlign != 0 &&
           (format.formatTag != formatExtensible || format.sampleFormatTag() != 0);
}

} // namespace

bool WaveFormat::isPlausible() const
{
    return channels >= 1 && channels <= maxPlayableChannels && hasPlayableRate(*this) &&
           (!isLinear() || bitsPerSample != 0);
}

bool WaveFormat::isConvertible() const
{
    if (channels < 1 || channels > maxConvertibleChannels || !hasPlayableRate(*this))
        return false;
    if (!isLinear())
        return true; // the codec's decoder judges its own fields
    const bool knownWidth = sampleFormatTag() == formatFloat ? bitsPerSample == 32 || bitsPerSample == 64
                                                             : bitsPerSample == 8 || bitsPerSample == 16 ||
                                                                   bitsPerSample == 24 || bitsPerSample == 32;
    if (!knownWidth || blockAlign != channels * (bitsPerSample / 8))
        return false;
    if (formatTag != formatExtensible)
        return true;
    const int validBits = extra[0] | (extra[1] << 8);
    return validBits <= bitsPerSample; // 0: writers that leave it out mean all bits
}

WaveBlock::WaveBlock(const WaveFormat& format, const std::uint8_t* samples, std::size_t sampleBytes)
{
    m_bytes.resize(headerSize + format.extra.size() + sampleBytes);
    writeHeader(format);
    if (sampleBytes)
        std::memcpy(m_bytes.data() + sampleOffset(), samples, sampleBytes);
}

WaveBlock::WaveBlock(const WaveFormat& format, std::vector<std::uint8_t>&& samples)
    : WaveBlock(format, samples.data(), samples.size())
{
}

WaveBlock WaveBlock::inPlace(const WaveFormat& format, std::vector<std::uint8_t>&& buffer,
                             std::size_t sampleOffset, std::size_t sampleBytes)
{
    const std::size_t offset = headerSize + format.extra.size();
    // Only a data chunk before a long format chunk lies closer to the start than the header is long.
    if (buffer.size() < offset + sampleBytes)
        buffer.resize(offset + sampleBytes);
    if (sampleBytes)
        std::memmove(buffer.data() + offset, buffer.data() + sampleOffset, sampleBytes);
    buffer.resize(offset + sampleBytes);
    WaveBlock block;
    block.m_bytes = std::move(buffer);
    block.writeHeader(format);
    return block;
}

std::optional<WaveBlock> WaveBlock::fromBytes(const std::uint8_t* data, std::size_t size)
{
    if (!data || size < headerSize)
        return std::nullopt;
    const std::size_t cbSize = data[16] | (data[17] << 8);
    if (size < headerSize + cbSize)
        return std::nullopt;
    WaveBlock block;
    block.m_bytes.assign(data, data + size);
    return block;
}

WaveFormat WaveBlock::format() const
{
    WaveFormat format;
    if (isNull())
        return format;
    format.formatTag = formatTag();
    format.channels = channels();
    format.samplesPerSec = samplesPerSec();
    format.avgBytesPerSec = avgBytesPerSec();
    format.blockAlign = blockAlign();
    format.bitsPerSample = bitsPerSample();
    format.extra.assign(m_bytes.begin() + headerSize, m_bytes.begin() + sampleOffset());
    return format;
}

std::size_t WaveBlock::wholeFrameBytes() const
{
    const std::size_t align = blockAlign();
    if (align == 0)
        return 0;
    return sampleBytes() / align * align;
}

void WaveBlock::resizeSamples(std::size_t sampleBytes)
{
    if (!isNull())
        m_bytes.resize(sampleOffset() + sampleBytes);
}

std::uint64_t WaveBlock::durationMs() const
{
    const std::uint64_t bitsPerSecond = std::uint64_t(channels()) * bitsPerSample() * samplesPerSec();
    if (bitsPerSecond == 0)
        return 0;
    return std::uint64_t(sampleBytes()) * 8000u / bitsPerSecond;
}

std::uint16_t WaveBlock::u16(std::size_t at) const
{
    if (m_bytes.size() < at + 2)
        return 0;
    return std::uint16_t(m_bytes[at] | (m_bytes[at + 1] << 8));
}

std::uint32_t WaveBlock::u32(std::size_t at) const
{
    return std::uint32_t(u16(at)) | (std::uint32_t(u16(at + 2)) << 16);
}

void WaveBlock::writeHeader(const WaveFormat& format)
{
    std::uint8_t* header = m_bytes.data();
    put16(header, format.formatTag);
    put16(header + 2, format.channels);
    put32(header + 4, format.samplesPerSec);
    put32(header + 8, format.avgBytesPerSec);
    put16(header + 12, format.blockAlign);
    put16(header + 14, format.bitsPerSample);
    put16(header + 16, std::uint16_t(format.extra.size()));
    if (!format.extra.empty())
        std::memcpy(header + headerSize, format.extra.data(), format.extra.size());
}

} // namespace lumivo::wave
