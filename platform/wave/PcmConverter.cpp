#include "platform/wave/PcmConverter.h"

#include "platform/video/FfmpegOwners.h"
#include "platform/wave/Riff.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <memory>

namespace lumivo::wave
{

namespace
{

// The most 16-bit samples one conversion gives: 256 MB, some 25 minutes of stereo. A damaged header
// (a rate of 1 Hz, say) would otherwise have a few bytes grow into more memory than there is.
constexpr std::size_t maxConvertedSamples = std::size_t(128) << 20;

// A read-only stream over bytes in memory, for the demuxer.
struct MemoryReader {
    const std::vector<std::uint8_t>& bytes;
    std::size_t position = 0;

    static int read(void* opaque, std::uint8_t* buffer, int size)
    {
        auto* self = static_cast<MemoryReader*>(opaque);
        const std::size_t left = self->bytes.size() - self->position;
        const std::size_t n = std::min<std::size_t>(left, std::size_t(size));
        if (n == 0)
            return AVERROR_EOF;
        std::memcpy(buffer, self->bytes.data() + self->position, n);
        self->position += n;
        return int(n);
    }

    static std::int64_t seek(void* opaque, std::int64_t offset, int whence)
    {
        auto* self = static_cast<MemoryReader*>(opaque);
        if (whence & AVSEEK_SIZE)
            return std::int64_t(self->bytes.size());
        std::int64_t target = offset;
        if ((whence & 3) == SEEK_CUR)
            target += std::int64_t(self->position);
        else if ((whence & 3) == SEEK_END)
            target += std::int64_t(self->bytes.size());
        if (target < 0 || target > std::int64_t(self->bytes.size()))
            return -1;
        self->position = std::size_t(target);
        return target;
    }
};

struct IoCloser {
    void operator()(AVIOContext* io) const
    {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
struct ResamplerCloser {
    void operator()(SwrContext* resampler) const { swr_free(&resampler); }
};

// Decodes the one audio stream of a RIFF image and resamples it to interleaved 16-bit samples.
class Decoder
{
public:
    explicit Decoder(const std::vector<std::uint8_t>& riff) : m_reader{riff} {}

    bool open(int sampleRate);
    bool run(std::vector<std::int16_t>& samples);
    int outputChannels() const { return m_outputChannels; }

private:
    bool resampleInto(const AVFrame* frame, std::vector<std::int16_t>& samples);
    bool drain(std::vector<std::int16_t>& samples);

    MemoryReader m_reader;
    std::unique_ptr<AVIOContext, IoCloser> m_io;
    ffmpeg::FormatOwner m_format;
    ffmpeg::CodecOwner m_codec;
    std::unique_ptr<SwrContext, ResamplerCloser> m_resampler;
    int m_stream = -1;
    int m_outputChannels = 0;
    int m_sampleRate = 0;
};

bool Decoder::open(int sampleRate)
{
    m_sampleRate = sampleRate;
    constexpr int bufferSize = 4096;
    auto* buffer = static_cast<unsigned char*>(av_malloc(bufferSize));
    if (!buffer)
        return false;
    m_io.reset(avio_alloc_context(buffer, bufferSize, 0, &m_reader, &MemoryReader::read, nullptr,
                                  &MemoryReader::seek));
    if (!m_io) {
        av_free(buffer);
        return false;
    }
    AVFormatContext* format = avformat_alloc_context();
    if (!format)
        return false;
    format->pb = m_io.get();
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    // Only the WAVE demuxer ever sees the bytes.
    if (avformat_open_input(&format, nullptr, av_find_input_format("wav"), nullptr) < 0)
        return false;
    m_format.reset(format);
    if (avformat_find_stream_info(format, nullptr) < 0)
        return false;
    m_stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (m_stream < 0)
        return false;
    const AVCodecParameters* parameters = format->streams[m_stream]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec)
        return false;
    m_codec.reset(avcodec_alloc_context3(codec));
    if (!m_codec || avcodec_parameters_to_context(m_codec.get(), parameters) < 0 ||
        avcodec_open2(m_codec.get(), codec, nullptr) < 0)
        return false;

    AVChannelLayout inputLayout;
    if (av_channel_layout_check(&m_codec->ch_layout) && m_codec->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_copy(&inputLayout, &m_codec->ch_layout);
    else
        av_channel_layout_default(&inputLayout, std::max(1, m_codec->ch_layout.nb_channels));
    // Mono stays mono and everything else becomes stereo here; the caller maps to what it asked for,
    // so that no mixing coefficient of the resampler changes the loudness.
    m_outputChannels = inputLayout.nb_channels == 1 ? 1 : 2;
    AVChannelLayout outputLayout;
    av_channel_layout_default(&outputLayout, m_outputChannels);
    SwrContext* resampler = nullptr;
    const int made = swr_alloc_set_opts2(&resampler, &outputLayout, AV_SAMPLE_FMT_S16, sampleRate,
                                         &inputLayout, m_codec->sample_fmt, m_codec->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&inputLayout);
    av_channel_layout_uninit(&outputLayout);
    if (made < 0 || !resampler)
        return false;
    m_resampler.reset(resampler);
    return m_codec->sample_rate > 0 && swr_init(resampler) >= 0;
}

bool Decoder::resampleInto(const AVFrame* frame, std::vector<std::int16_t>& samples)
{
    const int inputCount = frame ? frame->nb_samples : 0;
    const int room = swr_get_out_samples(m_resampler.get(), inputCount);
    if (room < 0)
        return false;
    if (room == 0)
        return true;
    const std::size_t start = samples.size();
    if (std::size_t(room) * m_outputChannels > maxConvertedSamples - start)
        return false;
    samples.resize(start + std::size_t(room) * m_outputChannels);
    auto* target = reinterpret_cast<std::uint8_t*>(samples.data() + start);
    const int made =
        swr_convert(m_resampler.get(), &target, room,
                    frame ? const_cast<const std::uint8_t**>(frame->extended_data) : nullptr, inputCount);
    if (made < 0)
        return false;
    samples.resize(start + std::size_t(made) * m_outputChannels);
    return true;
}

bool Decoder::drain(std::vector<std::int16_t>& samples)
{
    ffmpeg::FrameOwner frame(av_frame_alloc());
    if (!frame)
        return false;
    for (;;) {
        const int received = avcodec_receive_frame(m_codec.get(), frame.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return true;
        if (received < 0 || !resampleInto(frame.get(), samples))
            return false;
        av_frame_unref(frame.get());
    }
}

bool Decoder::run(std::vector<std::int16_t>& samples)
{
    ffmpeg::PacketOwner packet(av_packet_alloc());
    if (!packet)
        return false;
    bool decodedSomething = false;
    while (av_read_frame(m_format.get(), packet.get()) >= 0) {
        if (packet->stream_index == m_stream) {
            const int sent = avcodec_send_packet(m_codec.get(), packet.get());
            av_packet_unref(packet.get());
            if (sent < 0 && sent != AVERROR_INVALIDDATA)
                return false;
            if (!drain(samples))
                return false;
            decodedSomething = true;
        } else {
            av_packet_unref(packet.get());
        }
    }
    avcodec_send_packet(m_codec.get(), nullptr);
    if (!drain(samples))
        return false;
    // The resampler keeps a few samples of history; take them too.
    for (;;) {
        const std::size_t before = samples.size();
        if (!resampleInto(nullptr, samples))
            return false;
        if (samples.size() == before)
            break;
    }
    return decodedSomething;
}

std::vector<std::uint8_t> mapChannels(const std::vector<std::int16_t>& samples, int from, int to)
{
    std::vector<std::uint8_t> bytes;
    const std::size_t frames = samples.size() / std::size_t(from);
    bytes.resize(frames * std::size_t(to) * 2);
    auto put = [&bytes](std::size_t index, int value) {
        bytes[index * 2] = std::uint8_t(value);
        bytes[index * 2 + 1] = std::uint8_t(unsigned(value) >> 8);
    };
    for (std::size_t i = 0; i < frames; ++i) {
        if (from == to) {
            for (int c = 0; c < to; ++c)
                put(i * to + c, samples[i * from + c]);
        } else if (to == 1) {
            put(i, (int(samples[2 * i]) + int(samples[2 * i + 1])) / 2);
        } else {
            put(2 * i, samples[i]);
            put(2 * i + 1, samples[i]);
        }
    }
    return bytes;
}

} // namespace

int convertToPcm16(const WaveBlock& in, int channels, WaveBlock& out, int sampleRate)
{
    out = WaveBlock();
    if (in.isNull())
        return convertNoInput;
    channels = channels == 1 ? 1 : 2;
    const WaveFormat source = in.format();
    const std::size_t usable = in.wholeFrameBytes();
    if (source.isPcm16(sampleRate, channels)) {
        out = WaveBlock(source, in.samples(), usable);
        return convertOk;
    }
    if (source.channels == 0 || source.blockAlign == 0 || source.samplesPerSec == 0)
        return convertFailed;

    ffmpeg::quietLibraryLog();
    const std::vector<std::uint8_t> riff = toRiff(WaveBlock(source, in.samples(), usable));
    Decoder decoder(riff);
    std::vector<std::int16_t> samples;
    if (usable == 0) {
        out = WaveBlock(WaveFormat::pcm(channels, sampleRate, 16), nullptr, 0);
        return convertOk;
    }
    if (!decoder.open(sampleRate) || !decoder.run(samples))
        return convertFailed;
    out = WaveBlock(WaveFormat::pcm(channels, sampleRate, 16),
                    mapChannels(samples, decoder.outputChannels(), channels));
    return convertOk;
}

} // namespace lumivo::wave
