#include "platform/wave/Mp3.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>

namespace lumivo::wave
{

namespace
{

void quietReport(const char*, va_list) {}

struct EncoderCloser {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
struct DecoderCloser {
    void operator()(hip_global_flags* hip) const { hip_decode_exit(hip); }
};

using Encoder = std::unique_ptr<lame_global_flags, EncoderCloser>;

Encoder makeEncoder(const WaveBlock& pcm16, const Mp3EncoderSettings& settings)
{
    Encoder encoder(lame_init());
    if (!encoder)
        return nullptr;
    lame_global_flags* flags = encoder.get();
    lame_set_errorf(flags, quietReport);
    lame_set_debugf(flags, quietReport);
    lame_set_msgf(flags, quietReport);
    lame_set_analysis(flags, 0);
    lame_set_num_channels(flags, pcm16.channels());
    lame_set_in_samplerate(flags, int(pcm16.samplesPerSec()));
    lame_set_brate(flags, settings.bitRateKbps);
    lame_set_quality(flags, settings.quality);
    lame_set_mode(flags, MPEG_mode(settings.mode));
    lame_set_bWriteVbrTag(flags, 1);
    if (lame_init_params(flags) < 0)
        return nullptr;
    return encoder;
}

std::int16_t sampleAt(const std::uint8_t* samples, std::size_t index)
{
    return std::int16_t(samples[2 * index] | (samples[2 * index + 1] << 8));
}

// Room the library may need for `samples` samples per channel, by its own rule of thumb.
std::size_t worstCaseBytes(std::size_t samples)
{
    return samples * 5 / 4 + 7200;
}

bool encodeFrames(lame_global_flags* flags, const WaveBlock& pcm16, std::vector<std::uint8_t>& out)
{
    const int channels = pcm16.channels();
    const std::size_t frames = pcm16.wholeFrameBytes() / pcm16.blockAlign();
    std::vector<short> left(mp3FrameSamples), right(mp3FrameSamples);
    std::size_t written = 0;
    for (std::size_t done = 0; done < frames;) {
        const int count = int(std::min<std::size_t>(mp3FrameSamples, frames - done));
        for (int i = 0; i < count; ++i) {
            left[i] = sampleAt(pcm16.samples(), (done + i) * channels);
            right[i] = channels == 2 ? sampleAt(pcm16.samples(), (done + i) * 2 + 1) : left[i];
        }
        out.resize(written + worstCaseBytes(std::size_t(count)));
        const int made = lame_encode_buffer(flags, left.data(), right.data(), count, out.data() + written,
                                            int(out.size() - written));
        if (made < 0)
            return false;
        written += std::size_t(made);
        done += std::size_t(count);
    }
    out.resize(written + 7200);
    const int flushed = lame_encode_flush(flags, out.data() + written, int(out.size() - written));
    if (flushed < 0)
        return false;
    out.resize(written + std::size_t(flushed));
    return true;
}

// The first frame was held free for the information frame; fill it now that the length is known.
void writeInformationFrame(lame_global_flags* flags, std::vector<std::uint8_t>& out)
{
    std::vector<std::uint8_t> frame(2880);
    const std::size_t size = lame_get_lametag_frame(flags, frame.data(), frame.size());
    if (size > 0 && size <= frame.size() && size <= out.size())
        std::copy_n(frame.begin(), size, out.begin());
}

} // namespace

int encodeMp3(const WaveBlock& pcm16, const Mp3EncoderSettings& settings, std::vector<std::uint8_t>& out)
{
    out.clear();
    // No sound is no input: an MP3 of nothing would be stored as a sound that plays nothing.
    if (pcm16.isNull() || pcm16.wholeFrameBytes() == 0)
        return mp3NoInput;
    const WaveFormat format = pcm16.format();
    if (!format.isPcm16(int(format.samplesPerSec), 1) && !format.isPcm16(int(format.samplesPerSec), 2))
        return mp3NotPcm16;
    Encoder encoder = makeEncoder(pcm16, settings);
    if (!encoder || !encodeFrames(encoder.get(), pcm16, out)) {
        out.clear();
        return mp3EncoderFailed;
    }
    writeInformationFrame(encoder.get(), out);
    return int(out.size());
}

namespace
{

// Collects decoded frames, dropping the codec's delay at the start and its padding at the end.
class DecodedSamples
{
public:
    void add(const short* left, const short* right, int count, int streamChannels)
    {
        for (int i = 0; i < count; ++i) {
            m_left.push_back(left[i]);
            m_right.push_back(streamChannels == 2 ? right[i] : left[i]);
        }
    }
    void trim(int delay, int padding)
    {
        // The decoder itself adds 529 samples of delay, already counted in neither figure.
        constexpr int decoderDelay = 528 + 1;
        const std::size_t start = std::size_t(std::max(0, delay + decoderDelay));
        const std::size_t tail = padding > 0 ? std::size_t(std::max(0, padding - decoderDelay)) : 0;
        if (start + tail >= m_left.size()) {
            m_left.clear();
            m_right.clear();
            return;
        }
        m_left.erase(m_left.end() - std::ptrdiff_t(tail), m_left.end());
        m_right.erase(m_right.end() - std::ptrdiff_t(tail), m_right.end());
        m_left.erase(m_left.begin(), m_left.begin() + std::ptrdiff_t(start));
        m_right.erase(m_right.begin(), m_right.begin() + std::ptrdiff_t(start));
    }
    bool empty() const { return m_left.empty(); }
    std::vector<std::uint8_t> interleave(int channels) const
    {
        std::vector<std::uint8_t> bytes;
        bytes.reserve(m_left.size() * std::size_t(channels) * 2);
        auto put = [&bytes](int value) {
            bytes.push_back(std::uint8_t(value));
            bytes.push_back(std::uint8_t(unsigned(value) >> 8));
        };
        for (std::size_t i = 0; i < m_left.size(); ++i) {
            if (channels == 1) {
                put((int(m_left[i]) + int(m_right[i])) / 2);
            } else {
                put(m_left[i]);
                put(m_right[i]);
            }
        }
        return bytes;
    }

private:
    std::vector<short> m_left, m_right;
};

using Decoder = std::unique_ptr<hip_global_flags, DecoderCloser>;

Decoder makeDecoder()
{
    Decoder hip(hip_decode_init());
    if (hip) {
        hip_set_errorf(hip.get(), quietReport);
        hip_set_debugf(hip.get(), quietReport);
        hip_set_msgf(hip.get(), quietReport);
    }
    return hip;
}

// Bytes of the MPEG Layer III frame whose header starts at `header`, or 0 when it is no such header.
std::size_t frameLength(const std::uint8_t* header)
{
    if (header[0] != 0xFF || (header[1] & 0xE0) != 0xE0)
        return 0;
    const int version = (header[1] >> 3) & 3; // 0: MPEG 2.5, 1: reserved, 2: MPEG 2, 3: MPEG 1
    const int layer = (header[1] >> 1) & 3;   // 1: Layer III
    const int bitRateIndex = header[2] >> 4;
    const int rateIndex = (header[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitRateIndex == 0 || bitRateIndex == 15 || rateIndex == 3)
        return 0;
    static constexpr int mpeg1Kbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr int mpeg2Kbps[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static constexpr int mpeg1Rates[] = {44100, 48000, 32000};
    const int rate = mpeg1Rates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const int kbps = (version == 3 ? mpeg1Kbps : mpeg2Kbps)[bitRateIndex];
    const int padding = (header[2] >> 1) & 1;
    return std::size_t((version == 3 ? 144000 : 72000) * kbps / rate + padding);
}

bool sameStream(const std::uint8_t* one, const std::uint8_t* other)
{
    return (one[1] & 0x1E) == (other[1] & 0x1E) && (one[2] & 0x0C) == (other[2] & 0x0C);
}

// The first frame at or after `from` that another frame of the same stream follows (or the end), so
// that a stray sync pattern in a cover picture or in damage is never taken for sound.
std::size_t nextFrame(const std::uint8_t* data, std::size_t size, std::size_t from)
{
    for (std::size_t at = from; at + 4 <= size; ++at) {
        const std::size_t length = frameLength(data + at);
        if (length == 0)
            continue;
        const std::size_t next = at + length;
        if (next == size ||
            (next + 4 <= size && frameLength(data + next) != 0 && sameStream(data + at, data + next)))
            return at;
    }
    return size;
}

// ID3v2 tags at the start (their size, syncsafe, counts neither the header nor a footer); their
// contents, unsynchronised or not, are never looked at.
std::size_t tagsAtStart(const std::uint8_t* data, std::size_t size)
{
    std::size_t at = 0;
    while (size - at >= 10 && std::memcmp(data + at, "ID3", 3) == 0 && data[at + 3] != 0xFF &&
           data[at + 4] != 0xFF &&
           ((data[at + 6] | data[at + 7] | data[at + 8] | data[at + 9]) & 0x80) == 0) {
        const std::size_t body = (std::size_t(data[at + 6]) << 21) | (std::size_t(data[at + 7]) << 14) |
                                 (std::size_t(data[at + 8]) << 7) | data[at + 9];
        const std::size_t footer = (data[at + 5] & 0x10) ? 10 : 0;
        at += std::min(size - at, 10 + body + footer);
    }
    return at;
}

// An ID3v1 tag takes the last 128 bytes.
std::size_t endBeforeTag(const std::uint8_t* data, std::size_t size)
{
    return size >= 128 && std::memcmp(data + size - 128, "TAG", 3) == 0 ? size - 128 : size;
}

} // namespace

int decodeMp3(const std::uint8_t* data, std::size_t size, int channels, WaveBlock& out)
{
    out = WaveBlock();
    if (!data || size == 0)
        return mp3NoInput;
    Decoder hip = makeDecoder();
    if (!hip)
        return mp3DecoderError;

    std::vector<std::uint8_t> input(data, data + size);
    size = endBeforeTag(data, size);
    std::vector<short> left(mp3FrameSamples * 2), right(mp3FrameSamples * 2);
    mp3data_struct header{};
    int delay = -1, padding = -1, streamChannels = 0, rate = 0;
    DecodedSamples decoded;
    // The decoder answers 0 when it needs more bytes, when it has just read the first header and when it
    // skipped the information frame, so the end is reached only when all bytes are in and it has had
    // nothing to give several times over.
    // Fed a frame at a time, as the decoder gives a frame a call: so the place of a damaged frame is
    // known, and a new decoder starts right after it instead of after all that was fed before.
    constexpr std::size_t feed = 4096;
    std::size_t at = nextFrame(data, size, tagsAtStart(data, size));
    for (int idle = 0; idle < 4;) {
        const std::size_t frame = size - at >= 4 ? frameLength(data + at) : 0;
        const std::size_t length = std::min(frame != 0 ? frame : feed, size - at);
        const int count = hip_decode1_headersB(hip.get(), input.data() + at, length, left.data(),
                                               right.data(), &header, &delay, &padding);
        const std::size_t fed = at;
        at += length;
        if (count < 0) {
            // A false frame header or damage: a new decoder starts at the next true frame after it.
            hip = makeDecoder();
            if (!hip)
                return mp3DecoderError;
            at = nextFrame(data, size, fed + 1);
            header = mp3data_struct{};
            idle = 0;
            continue;
        }
        if (header.header_parsed) {
            streamChannels = header.stereo;
            rate = header.samplerate;
        }
        if (count > 0) {
            decoded.add(left.data(), right.data(), count, streamChannels);
            idle = 0;
        } else if (at == size) {
            ++idle;
        }
    }
    if (streamChannels < 1 || streamChannels > 2 || rate <= 0 || decoded.empty())
        return mp3DecoderError;
    // Low bit rates leave no room for the information frame; the encoder's usual delay is then
    // dropped, and at most one frame of padding stays at the end.
    constexpr int usualEncoderDelay = 576;
    if (delay >= 0 && padding >= 0)
        decoded.trim(delay, padding);
    else
        decoded.trim(usualEncoderDelay, 0);
    // A stream that gives no sound is a failure, never an empty sound that seems to play.
    if (decoded.empty())
        return mp3DecoderError;
    const int outChannels = channels == 1 || channels == 2 ? channels : streamChannels;
    out = WaveBlock(WaveFormat::pcm(outChannels, rate, 16), decoded.interleave(outChannels));
    return int(out.size());
}

} // namespace lumivo::wave
