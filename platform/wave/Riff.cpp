#include "platform/wave/Riff.h"

#include "platform/files/FileSystem.h"

#include <cstring>
#include <limits>
#include <optional>

namespace lumivo::wave
{

namespace
{

struct Chunk {
    std::size_t offset = 0; // of the chunk's data
    std::size_t size = 0;   // as the chunk's header claims it
};

std::uint32_t read32(const std::uint8_t* at)
{
    return at[0] | (at[1] << 8) | (at[2] << 16) | (std::uint32_t(at[3]) << 24);
}

void append32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(std::uint8_t(value >> shift));
}

void appendId(std::vector<std::uint8_t>& out, const char* id)
{
    out.insert(out.end(), id, id + 4);
}

// Finds the first chunk with the given id among those between `begin` and `end`.
std::optional<Chunk> findChunk(const std::uint8_t* data, std::size_t begin, std::size_t end, const char* id)
{
    std::size_t at = begin;
    while (at + 8 <= end) {
        Chunk chunk{at + 8, read32(data + at + 4)};
        if (std::memcmp(data + at, id, 4) == 0)
            return chunk;
        const std::size_t padded = chunk.size + (chunk.size & 1);
        if (padded > end - chunk.offset)
            return std::nullopt;
        at = chunk.offset + padded;
    }
    return std::nullopt;
}

std::optional<WaveFormat> formatOf(const std::uint8_t* data, std::size_t size)
{
    // cbSize must fit its 16 bits; the fields a player divides by must not be 0.
    if (size < 16 || (size > 18 && size - 18 > std::numeric_limits<std::uint16_t>::max()))
        return std::nullopt;
    WaveFormat format;
    format.formatTag = std::uint16_t(data[0] | (data[1] << 8));
    format.channels = std::uint16_t(data[2] | (data[3] << 8));
    format.samplesPerSec = read32(data + 4);
    format.avgBytesPerSec = read32(data + 8);
    format.blockAlign = std::uint16_t(data[12] | (data[13] << 8));
    format.bitsPerSample = std::uint16_t(data[14] | (data[15] << 8));
    if (size > 18)
        format.extra.assign(data + 18, data + size);
    if (format.channels == 0 || format.samplesPerSec == 0 || format.blockAlign == 0)
        return std::nullopt;
    return format;
}

// Form sizes a streaming writer leaves in place of the real one: it cannot seek back to patch it.
bool isPlaceholderSize(std::uint32_t size)
{
    return size == 0 || size == 0xFFFFFFFFu || size >= 0x7FFFF000u;
}

// Data sizes a streaming writer leaves: all ones, or about the largest a signed 32-bit count can hold
// (sox writes 0x7FFFF000, rounded down to whole frames; others 0x7FFF0000 or 0x7FFFFFFF). A data chunk
// that claims any other size and ends early was cut short: its file is damaged.
bool isPlaceholderDataSize(std::uint32_t size)
{
    return size == 0xFFFFFFFFu || (size >= 0x7FFF0000u && size <= 0x80000000u);
}

// Where a RIFF WAVE image's format and samples are.
struct WaveLayout {
    WaveFormat format;
    std::size_t sampleOffset = 0;
    std::size_t sampleBytes = 0;
};

// The sample bytes of the data chunk, or riffShortData. A streaming writer's chunk runs to the end of
// the form, or of the file when the chunk starts at or past the form's end: a form size too small for
// chunks that are whole in the file is stale, as recorders that never patch the header leave it.
std::int64_t sampleBytesOf(const Chunk& samples, std::size_t formEnd, std::size_t fileEnd, bool streamedForm)
{
    const std::size_t end = samples.offset < formEnd ? formEnd : fileEnd;
    const std::size_t present = end - samples.offset;
    const bool placeholder =
        isPlaceholderDataSize(std::uint32_t(samples.size)) || (streamedForm && samples.size == 0);
    if (placeholder && (samples.size > present || (samples.size == 0 && present > 0)))
        return std::int64_t(present);
    if (samples.size > fileEnd - samples.offset)
        return riffShortData;
    return std::int64_t(samples.size);
}

int locateWave(const std::uint8_t* data, std::size_t size, WaveLayout& layout)
{
    if (!data || size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return riffNotWave;
    // Writers that stream often leave the form's size wrong; the bytes that are there decide. Chunks are
    // looked for to the end of the file, since a stale form size may end before them.
    const std::size_t claimed = std::size_t(read32(data + 4)) + 8;
    const std::size_t formEnd = claimed >= 12 && claimed < size ? claimed : size;

    const auto fmt = findChunk(data, 12, size, "fmt ");
    if (!fmt || fmt->size > size - fmt->offset)
        return riffNoFormat;
    const auto format = formatOf(data + fmt->offset, fmt->size);
    if (!format)
        return riffNoFormat;
    if (!format->isPlausible())
        return riffUnplayableFormat;

    const auto samples = findChunk(data, 12, size, "data");
    if (!samples)
        return riffNoData;
    const std::int64_t sampleBytes =
        sampleBytesOf(*samples, formEnd, size, isPlaceholderSize(read32(data + 4)));
    if (sampleBytes < 0)
        return int(sampleBytes);
    layout = {*format, samples->offset, std::size_t(sampleBytes)};
    return int(std::min<std::size_t>(layout.sampleBytes, std::numeric_limits<int>::max()));
}

} // namespace

int readRiff(const std::uint8_t* data, std::size_t size, WaveBlock& out)
{
    out = WaveBlock();
    WaveLayout layout;
    const int found = locateWave(data, size, layout);
    if (found >= 0)
        out = WaveBlock(layout.format, data + layout.sampleOffset, layout.sampleBytes);
    return found;
}

int readWaveFile(const QString& path, WaveBlock& out)
{
    out = WaveBlock();
    std::vector<std::uint8_t> bytes;
    switch (files::readWholeFile(path, bytes, files::kMaxMediaFileBytes)) {
    case files::ReadResult::TooLarge:
        return riffTooLarge;
    case files::ReadResult::NotRead:
        return riffFileNotOpened;
    case files::ReadResult::Read:
        break;
    }
    WaveLayout layout;
    const int found = locateWave(bytes.data(), bytes.size(), layout);
    // The samples move to their place in the file's own bytes: the file is never held twice.
    if (found >= 0)
        out = WaveBlock::inPlace(layout.format, std::move(bytes), layout.sampleOffset, layout.sampleBytes);
    return found;
}

std::vector<std::uint8_t> toRiff(const WaveBlock& block)
{
    std::vector<std::uint8_t> out;
    if (block.isNull())
        return out;
    const std::size_t formatBytes = block.sampleOffset();
    const std::size_t sampleBytes = block.sampleBytes();
    out.reserve(12 + 8 + formatBytes + 1 + 8 + sampleBytes + 1);
    appendId(out, "RIFF");
    append32(out, 0); // filled in below
    appendId(out, "WAVE");
    appendId(out, "fmt ");
    append32(out, std::uint32_t(formatBytes));
    out.insert(out.end(), block.bytes().begin(), block.bytes().begin() + formatBytes);
    if (formatBytes & 1)
        out.push_back(0);
    appendId(out, "data");
    append32(out, std::uint32_t(sampleBytes));
    out.insert(out.end(), block.samples(), block.samples() + sampleBytes);
    if (sampleBytes & 1)
        out.push_back(0);
    const std::uint32_t formSize = std::uint32_t(out.size() - 8);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = std::uint8_t(formSize >> (8 * i));
    return out;
}

bool writeWaveFile(const QString& path, const WaveBlock& block)
{
    if (block.isNull())
        return false;
    const auto riff = toRiff(block);
    return files::writeFileAtomically(path, riff.data(), riff.size());
}

} // namespace lumivo::wave
