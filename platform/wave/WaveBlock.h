#pragma once
// Uncompressed sound travels through the program as one wave block: an 18-byte format header, the
// extra format bytes it announces, then the samples to the end of the block. The header is kept in its
// stored little-endian form, so a block can be written to a file or a resource as it stands.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace lumivo::wave
{

constexpr std::uint16_t formatPcm = 1;
constexpr std::uint16_t formatFloat = 3; // 32-bit or 64-bit IEEE float samples
// WAVE_FORMAT_EXTENSIBLE: the real sample format is the first two bytes of the sub-format GUID, and the
// container may hold fewer valid bits than its width.
constexpr std::uint16_t formatExtensible = 0xFFFE;

// What a sound file ever holds: more channels or other rates come only from damaged headers.
constexpr int maxPlayableChannels = 8;
// Raw samples handed over in memory may have more channels, up to what the resampler mixes.
constexpr int maxConvertibleChannels = 64;
constexpr int minPlayableRate = 1000;
constexpr int maxPlayableRate = 384000;

struct WaveFormat {
    std::uint16_t formatTag = formatPcm;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::vector<std::uint8_t> extra; // cbSize is its length

    // Plain PCM with the derived fields filled in.
    static WaveFormat pcm(int channels, int samplesPerSec, int bitsPerSample);
    bool isPcm16(int rate, int channelCount) const;

    // The tag of the samples themselves: the sub-format's for an extensible header.
    std::uint16_t sampleFormatTag() const;
    // Integer or float samples, which the program converts itself.
    bool isLinear() const;
    // A header a sound file may have: 1 to 8 channels, a playable rate, a block size and, for linear
    // samples, a width.
    bool isPlausible() const;
    // Samples the converter takes: a playable rate and block size and, for linear samples, a width it
    // knows (8, 16, 24, 32 bits; float 32 or 64) that fills the block, with its valid bits inside it.
    bool isConvertible() const;
};

class WaveBlock
{
public:
    static constexpr std::size_t headerSize = 18;

    WaveBlock() = default; // no block
    WaveBlock(const WaveFormat& format, const std::uint8_t* samples, std::size_t sampleBytes);
    WaveBlock(const WaveFormat& format, std::vector<std::uint8_t>&& samples);

    // Makes the block in `buffer` itself, which holds the samples at `sampleOffset` (a whole file read
    // into memory): they move to their place behind the header, so that they are never held twice.
    static WaveBlock inPlace(const WaveFormat& format, std::vector<std::uint8_t>&& buffer,
                             std::size_t sampleOffset, std::size_t sampleBytes);
    // Takes stored bytes; nullopt when they are shorter than the header and extra bytes they announce.
    static std::optional<WaveBlock> fromBytes(const std::uint8_t* data, std::size_t size);

    bool isNull() const { return m_bytes.empty(); }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    std::size_t size() const { return m_bytes.size(); }

    WaveFormat format() const;
    std::uint16_t formatTag() const { return u16(0); }
    std::uint16_t channels() const { return u16(2); }
    std::uint32_t samplesPerSec() const { return u32(4); }
    std::uint32_t avgBytesPerSec() const { return u32(8); }
    std::uint16_t blockAlign() const { return u16(12); }
    std::uint16_t bitsPerSample() const { return u16(14); }
    std::uint16_t cbSize() const { return u16(16); }

    const std::uint8_t* samples() const { return m_bytes.data() + sampleOffset(); }
    std::uint8_t* samples() { return m_bytes.data() + sampleOffset(); }
    std::size_t sampleBytes() const { return isNull() ? 0 : m_bytes.size() - sampleOffset(); }
    std::size_t sampleOffset() const { return isNull() ? 0 : headerSize + cbSize(); }
    // Sample bytes cut down to whole blocks (frames), the part players and converters use.
    std::size_t wholeFrameBytes() const;

    void resizeSamples(std::size_t sampleBytes);

    // Length in milliseconds from the header, in 64 bits; 0 when rate, width or channels is 0.
    std::uint64_t durationMs() const;

private:
    std::uint16_t u16(std::size_t at) const;
    std::uint32_t u32(std::size_t at) const;
    void writeHeader(const WaveFormat& format);

    std::vector<std::uint8_t> m_bytes;
};

} // namespace lumivo::wave
