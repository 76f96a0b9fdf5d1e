#include "platform/audio/Decode.h"

#include "platform/files/FileSystem.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace lumivo::audio
{

namespace
{

// Rates outside these bounds come only from damaged headers. A low one would also make resampling
// multiply a few bytes into gigabytes.
constexpr int kMinSampleRate = 1000;
constexpr int kMaxSampleRate = 768000;

bool isPlausibleRate(int rate)
{
    return rate >= kMinSampleRate && rate <= kMaxSampleRate;
}

struct MemoryReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
};

int readPacket(void* opaque, std::uint8_t* buffer, int size)
{
    auto* reader = static_cast<MemoryReader*>(opaque);
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(size), reader->size - reader->position);
    if (n == 0)
        return AVERROR_EOF;
    std::memcpy(buffer, reader->data + reader->position, n);
    reader->position += n;
    return static_cast<int>(n);
}

std::int64_t seekPacket(void* opaque, std::int64_t offset, int whence)
{
    auto* reader = static_cast<MemoryReader*>(opaque);
    if (whence == AVSEEK_SIZE)
        return static_cast<std::int64_t>(reader->size);
    std::int64_t target = offset;
    if ((whence & 3) == SEEK_CUR)
        target += static_cast<std::int64_t>(reader->position);
    else if ((whence & 3) == SEEK_END)
        target += static_cast<std::int64_t>(reader->size);
    if (target < 0 || target > static_cast<std::int64_t>(reader->size))
        return -1;
    reader->position = static_cast<std::size_t>(target);
    return target;
}

struct FormatDeleter {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct IoDeleter {
    void operator()(AVIOContext* io) const
    {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
struct CodecDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct ResamplerDeleter {
    void operator()(SwrContext* context) const { swr_free(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerDeleter>;

ResamplerPtr makeResampler(AVChannelLayout layout, AVSampleFormat format, int rate)
{
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    SwrContext* context = nullptr;
    if (swr_alloc_set_opts2(&context, &mono, AV_SAMPLE_FMT_S16, kSampleRate, &layout, format, rate, 0,
                            nullptr) < 0)
        return nullptr;
    ResamplerPtr resampler(context);
    if (swr_init(context) < 0)
        return nullptr;
    return resampler;
}

// Pushes `count` input frames (none to flush) through the resampler and appends the output.
bool appendResampled(SwrContext* resampler, const std::uint8_t** input, int count, Samples& out)
{
    const int room = swr_get_out_samples(resampler, count);
    if (room < 0)
        return false;
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(room));
    auto* target = reinterpret_cast<std::uint8_t*>(out.data() + start);
    const int made = swr_convert(resampler, &target, room, input, count);
    if (made < 0)
        return false;
    out.resize(start + static_cast<std::size_t>(made));
    return true;
}

QString averror(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

class Decoder
{
public:
    std::optional<Samples> run(const std::uint8_t* data, std::size_t size, QString& error);

private:
    bool open(QString& error);
    bool decodePackets(QString& error);
    bool drain(AVFrame* frame, QString& error);

    MemoryReader m_reader{nullptr, 0};
    std::unique_ptr<AVIOContext, IoDeleter> m_io;
    std::unique_ptr<AVFormatContext, FormatDeleter> m_format;
    std::unique_ptr<AVCodecContext, CodecDeleter> m_codec;
    ResamplerPtr m_resampler;
    int m_stream = -1;
    Samples m_out;
};

bool Decoder::open(QString& error)
{
    constexpr int kIoBuffer = 16384;
    auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBuffer));
    AVIOContext* io = avio_alloc_context(buffer, kIoBuffer, 0, &m_reader, readPacket, nullptr, seekPacket);
    if (!io) {
        av_free(buffer);
        error = QStringLiteral("Not enough memory");
        return false;
    }
    m_io.reset(io);
    AVFormatContext* format = avformat_alloc_context();
    if (!format) {
        error = QStringLiteral("Not enough memory");
        return false;
    }
    format->pb = io;
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (const int rc = avformat_open_input(&format, nullptr, nullptr, nullptr); rc < 0) {
        error = QStringLiteral("Unknown file format (%1)").arg(averror(rc));
        return false; // avformat_open_input frees the context on failure
    }
    m_format.reset(format);
    if (avformat_find_stream_info(format, nullptr) < 0) {
        error = QStringLiteral("Unknown file format");
        return false;
    }
    const AVCodec* codec = nullptr;
    m_stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (m_stream < 0 || !codec) {
        error = QStringLiteral("The file holds no sound");
        return false;
    }
    m_codec.reset(avcodec_alloc_context3(codec));
    if (!m_codec || avcodec_parameters_to_context(m_codec.get(), format->streams[m_stream]->codecpar) < 0 ||
        avcodec_open2(m_codec.get(), codec, nullptr) < 0) {
        error = QStringLiteral("The sound cannot be decoded");
        return false;
    }
    const int rate = m_codec->sample_rate;
    if (!isPlausibleRate(rate) || m_codec->ch_layout.nb_channels <= 0) {
        error = QStringLiteral("The sound has no valid sample rate or channels");
        return false;
    }
    m_resampler = makeResampler(m_codec->ch_layout, m_codec->sample_fmt, rate);
    if (!m_resampler) {
        error = QStringLiteral("The sound cannot be converted");
        return false;
    }
    return true;
}

bool Decoder::drain(AVFrame* frame, QString& error)
{
    for (;;) {
        const int rc = avcodec_receive_frame(m_codec.get(), frame);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0) {
            // A damaged frame ends the sound there, as players do; what came before is kept.
            return !m_out.empty() || (error = QStringLiteral("Error loading file"), false);
        }
        const auto** input = const_cast<const std::uint8_t**>(frame->extended_data);
        if (!appendResampled(m_resampler.get(), input, frame->nb_samples, m_out)) {
            error = QStringLiteral("The sound cannot be converted");
            return false;
        }
    }
}

bool Decoder::decodePackets(QString& error)
{
    std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
    while (av_read_frame(m_format.get(), packet.get()) >= 0) {
        if (packet->stream_index == m_stream) {
            // A packet the decoder refuses is skipped; the rest of the sound may still decode.
            avcodec_send_packet(m_codec.get(), packet.get());
            if (!drain(frame.get(), error))
                return false;
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(m_codec.get(), nullptr);
    if (!drain(frame.get(), error))
        return false;
    return appendResampled(m_resampler.get(), nullptr, 0, m_out);
}

std::optional<Samples> Decoder::run(const std::uint8_t* data, std::size_t size, QString& error)
{
    if (!data || size == 0) {
        error = QStringLiteral("The sound is empty");
        return std::nullopt;
    }
    m_reader = MemoryReader{data, size};
    if (!open(error) || !decodePackets(error))
        return std::nullopt;
    if (m_out.empty()) {
        error = QStringLiteral("The file holds no sound");
        return std::nullopt;
    }
    return std::move(m_out);
}

void quietLibraryLog()
{
    static const bool once = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)once;
}

} // namespace

std::optional<Samples> decodeSound(const std::uint8_t* data, std::size_t size, QString* error)
{
    quietLibraryLog();
    QString reason;
    std::optional<Samples> samples;
    try {
        Decoder decoder;
        samples = decoder.run(data, size, reason);
    } catch (const std::bad_alloc&) {
        // A short file may decode into more sound than memory holds.
        reason = QStringLiteral("Not enough memory");
        samples.reset();
    }
    if (error)
        *error = reason;
    return samples;
}

std::optional<Samples> decodeSoundFile(const QString& path, QString* error)
{
    std::vector<std::uint8_t> bytes;
    if (!files::readWholeFile(path, bytes)) {
        if (error)
            *error = QStringLiteral("File not found");
        return std::nullopt;
    }
    return decodeSound(bytes.data(), bytes.size(), error);
}

namespace
{

double readSample(const std::uint8_t* p, const PcmFormat& format)
{
    switch (format.bitsPerSample) {
    case 8:
        return (p[0] - 128) / 128.0;
    case 16:
        return static_cast<std::int16_t>(p[0] | p[1] << 8) / 32768.0;
    case 24: {
        const std::int32_t value = static_cast<std::int32_t>(p[0] << 8 | p[1] << 16 | p[2] << 24) >> 8;
        return value / 8388608.0;
    }
    default: {
        const std::uint32_t bits = p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
        if (format.isFloat) {
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return std::clamp(static_cast<double>(value), -1.0, 1.0);
        }
        return static_cast<std::int32_t>(bits) / 2147483648.0;
    }
    }
}

bool isConvertible(const PcmFormat& format)
{
    const int bits = format.bitsPerSample;
    const bool integerBits = bits == 8 || bits == 16 || bits == 24 || bits == 32;
    return format.channels >= 1 && format.channels <= 32 && isPlausibleRate(format.sampleRate) &&
           (format.isFloat ? bits == 32 : integerBits);
}

} // namespace

std::optional<Samples> convertPcm(const std::uint8_t* data, std::size_t size, const PcmFormat& format)
{
    if (!isConvertible(format) || (!data && size > 0))
        return std::nullopt;
    const std::size_t sampleBytes = static_cast<std::size_t>(format.bitsPerSample) / 8;
    const std::size_t frameBytes = sampleBytes * static_cast<std::size_t>(format.channels);
    const std::size_t frames = size / frameBytes;
    Samples mono(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        double sum = 0.0;
        for (int c = 0; c < format.channels; ++c)
            sum += readSample(data + f * frameBytes + static_cast<std::size_t>(c) * sampleBytes, format);
        const double value = sum / format.channels * 32768.0;
        mono[f] = static_cast<std::int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
    }
    if (format.sampleRate == kSampleRate)
        return mono;
    return resampleTo44k(mono, format.sampleRate);
}

Samples resampleTo44k(const Samples& samples, int fromRate)
{
    if (fromRate == kSampleRate || samples.empty())
        return samples;
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    ResamplerPtr resampler = makeResampler(mono, AV_SAMPLE_FMT_S16, fromRate);
    Samples out;
    if (!resampler)
        return out;
    const auto* input = reinterpret_cast<const std::uint8_t*>(samples.data());
    if (!appendResampled(resampler.get(), &input, static_cast<int>(samples.size()), out) ||
        !appendResampled(resampler.get(), nullptr, 0, out))
        out.clear();
    return out;
}

} // namespace lumivo::audio
