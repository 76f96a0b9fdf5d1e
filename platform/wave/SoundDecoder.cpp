#include "platform/wave/SoundDecoder.h"

#include "platform/ffmpeg/FfmpegOwners.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <new>

namespace lumivo::wave
{

namespace
{

// A read-only stream over bytes in memory, for the demuxer.
struct MemoryReader {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;

    static int read(void* opaque, std::uint8_t* buffer, int size)
    {
        auto* self = static_cast<MemoryReader*>(opaque);
        const std::size_t n = std::min<std::size_t>(std::size_t(size), self->size - self->position);
        if (n == 0)
            return AVERROR_EOF;
        std::memcpy(buffer, self->data + self->position, n);
        self->position += n;
        return int(n);
    }

    // Any negative result is a failed seek to the demuxer.
    static constexpr std::int64_t kSeekFailed = -1;

    static std::int64_t seek(void* opaque, std::int64_t offset, int whence)
    {
        auto* self = static_cast<MemoryReader*>(opaque);
        if (whence & AVSEEK_SIZE)
            return std::int64_t(self->size);
        std::int64_t target = offset;
        if ((whence & 3) == SEEK_CUR)
            target += std::int64_t(self->position);
        else if ((whence & 3) == SEEK_END)
            target += std::int64_t(self->size);
        if (target < 0 || target > std::int64_t(self->size))
            return kSeekFailed;
        self->position = std::size_t(target);
        return target;
    }
};

QString libraryError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// A channel layout of our own. It starts zeroed, because the library's copy first frees what its
// destination held and its defaults leave fields as they were, and it is given back on every way out.
struct ChannelLayout {
    AVChannelLayout layout{};

    ChannelLayout() = default;
    ChannelLayout(const ChannelLayout&) = delete;
    ChannelLayout& operator=(const ChannelLayout&) = delete;
    ~ChannelLayout() { av_channel_layout_uninit(&layout); }
};

// How the input channels are mixed into the output, a row for each output channel; none leaves it to
// the library. Mono and stereo keep their loudness: stereo to mono is the mean of the two, mono to
// stereo the same sound on both sides. The library mixes only channels it has names for; more channels
// than it knows a layout for get equal weights.
std::vector<double> mixWeights(int inputChannels, bool named, int outputChannels)
{
    if (inputChannels == outputChannels || (named && inputChannels > 2))
        return {};
    return std::vector<double>(std::size_t(inputChannels) * std::size_t(outputChannels), 1.0 / inputChannels);
}

// Decodes the one audio stream of the bytes and resamples it to interleaved 16-bit samples.
class Decoder
{
public:
    Decoder(const std::uint8_t* data, std::size_t size) : m_reader{data, size} {}

    bool open(const SoundTarget& target, QString& error);
    bool run(std::vector<std::int16_t>& samples, QString& error);

private:
    bool openInput(bool waveOnly, QString& error);
    bool openCodec(QString& error);
    bool openResampler(const SoundTarget& target, QString& error);
    bool resampleInto(const AVFrame* frame, std::vector<std::int16_t>& samples, QString& error);
    bool drain(AVFrame* frame, std::vector<std::int16_t>& samples, QString& error);
    bool fitsResampler(const AVFrame* frame) const;

    MemoryReader m_reader;
    ffmpeg::IoOwner m_io;
    ffmpeg::FormatOwner m_format;
    ffmpeg::CodecOwner m_codec;
    ffmpeg::ResamplerOwner m_resampler;
    int m_stream = -1;
    int m_outputChannels = 0;
    // What the resampler was made for.
    int m_inputFormat = -1;
    int m_inputChannels = 0;
    int m_inputRate = 0;
};

bool Decoder::open(const SoundTarget& target, QString& error)
{
    return openInput(target.waveOnly, error) && openCodec(error) && openResampler(target, error);
}

bool Decoder::openInput(bool waveOnly, QString& error)
{
    constexpr int bufferSize = 16384;
    auto* buffer = static_cast<unsigned char*>(av_malloc(bufferSize));
    if (!buffer)
        throw std::bad_alloc();
    m_io.reset(avio_alloc_context(buffer, bufferSize, 0, &m_reader, &MemoryReader::read, nullptr,
                                  &MemoryReader::seek));
    if (!m_io) {
        av_free(buffer);
        throw std::bad_alloc();
    }
    AVFormatContext* format = avformat_alloc_context();
    if (!format)
        throw std::bad_alloc();
    format->pb = m_io.get();
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    const AVInputFormat* demuxer = waveOnly ? av_find_input_format("wav") : nullptr;
    if (const int rc = avformat_open_input(&format, nullptr, demuxer, nullptr); rc < 0) {
        error = QStringLiteral("Unknown file format (%1)").arg(libraryError(rc));
        return false; // avformat_open_input frees the context on failure
    }
    m_format.reset(format);
    if (avformat_find_stream_info(format, nullptr) < 0) {
        error = QStringLiteral("Unknown file format");
        return false;
    }
    return true;
}

bool Decoder::openCodec(QString& error)
{
    const AVCodec* codec = nullptr;
    m_stream = av_find_best_stream(m_format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (m_stream < 0 || !codec) {
        error = QStringLiteral("The file holds no sound");
        return false;
    }
    m_codec.reset(avcodec_alloc_context3(codec));
    if (!m_codec || avcodec_parameters_to_context(m_codec.get(), m_format->streams[m_stream]->codecpar) < 0 ||
        avcodec_open2(m_codec.get(), codec, nullptr) < 0) {
        error = QStringLiteral("The sound cannot be decoded");
        return false;
    }
    if (!isPlausibleSampleRate(m_codec->sample_rate) || m_codec->ch_layout.nb_channels <= 0) {
        error = QStringLiteral("The sound has no valid sample rate or channels");
        return false;
    }
    return true;
}

bool Decoder::openResampler(const SoundTarget& target, QString& error)
{
    ChannelLayout input;
    const bool described =
        av_channel_layout_check(&m_codec->ch_layout) && m_codec->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC;
    if (described && av_channel_layout_copy(&input.layout, &m_codec->ch_layout) < 0)
        throw std::bad_alloc();
    if (!described)
        av_channel_layout_default(&input.layout, m_codec->ch_layout.nb_channels);
    const int inputChannels = input.layout.nb_channels;
    const bool named = input.layout.order != AV_CHANNEL_ORDER_UNSPEC;
    m_inputFormat = m_codec->sample_fmt;
    m_inputChannels = inputChannels;
    m_inputRate = m_codec->sample_rate;
    m_outputChannels = target.channels == 1 ? 1 : 2;
    ChannelLayout output;
    av_channel_layout_default(&output.layout, m_outputChannels);
    SwrContext* resampler = nullptr;
    const int made =
        swr_alloc_set_opts2(&resampler, &output.layout, AV_SAMPLE_FMT_S16, target.sampleRate, &input.layout,
                            m_codec->sample_fmt, m_codec->sample_rate, 0, nullptr);
    m_resampler.reset(resampler);
    const std::vector<double> weights = mixWeights(inputChannels, named, m_outputChannels);
    if (made < 0 || !resampler ||
        (!weights.empty() && swr_set_matrix(resampler, weights.data(), inputChannels) < 0) ||
        swr_init(resampler) < 0) {
        error = QStringLiteral("The sound cannot be converted");
        return false;
    }
    return true;
}

// Pushes one frame (none to flush the resampler's history) through the resampler onto `samples`. With
// no room for output yet the resampler keeps the input, so it is always handed over.
bool Decoder::resampleInto(const AVFrame* frame, std::vector<std::int16_t>& samples, QString& error)
{
    const int inputCount = frame ? frame->nb_samples : 0;
    const int room = swr_get_out_samples(m_resampler.get(), inputCount);
    if (room < 0) {
        error = QStringLiteral("The sound cannot be converted");
        return false;
    }
    const std::size_t start = samples.size();
    if (std::size_t(room) * m_outputChannels > maxDecodedSamples - start) {
        error = QStringLiteral("The sound is too long");
        return false;
    }
    samples.resize(start + std::size_t(room) * m_outputChannels);
    auto* target = reinterpret_cast<std::uint8_t*>(samples.data() + start);
    const auto** input = frame ? const_cast<const std::uint8_t**>(frame->extended_data) : nullptr;
    const int made = swr_convert(m_resampler.get(), &target, room, input, inputCount);
    if (made < 0) {
        error = QStringLiteral("The sound cannot be converted");
        return false;
    }
    samples.resize(start + std::size_t(made) * m_outputChannels);
    return true;
}

// A frame of another sample format, channel count or rate than the stream announced (a damaged
// stream switches midway) does not fit the resampler, which would read planes the frame does not have.
bool Decoder::fitsResampler(const AVFrame* frame) const
{
    return frame->format == m_inputFormat && frame->ch_layout.nb_channels == m_inputChannels &&
           frame->sample_rate == m_inputRate && frame->extended_data != nullptr;
}

bool Decoder::drain(AVFrame* frame, std::vector<std::int16_t>& samples, QString& error)
{
    for (;;) {
        const int received = avcodec_receive_frame(m_codec.get(), frame);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return true;
        if (received < 0) {
            // A damaged frame is passed over, as players do, once the sound has begun.
            if (samples.empty())
                error = QStringLiteral("Error loading file");
            return !samples.empty();
        }
        // Such a frame is passed over like a damaged one.
        const bool resampled = !fitsResampler(frame) || resampleInto(frame, samples, error);
        av_frame_unref(frame);
        if (!resampled)
            return false;
    }
}

bool Decoder::run(std::vector<std::int16_t>& samples, QString& error)
{
    ffmpeg::PacketOwner packet(av_packet_alloc());
    ffmpeg::FrameOwner frame(av_frame_alloc());
    if (!packet || !frame)
        throw std::bad_alloc();
    bool streamHadPackets = false;
    while (av_read_frame(m_format.get(), packet.get()) >= 0) {
        if (packet->stream_index != m_stream) {
            av_packet_unref(packet.get());
            continue;
        }
        streamHadPackets = true;
        // A packet the decoder refuses is skipped; the rest of the sound may still decode.
        const int sent = avcodec_send_packet(m_codec.get(), packet.get());
        av_packet_unref(packet.get());
        if (sent == AVERROR(ENOMEM))
            throw std::bad_alloc();
        if (!drain(frame.get(), samples, error))
            return false;
    }
    avcodec_send_packet(m_codec.get(), nullptr);
    if (!drain(frame.get(), samples, error))
        return false;
    // The resampler keeps a few samples of history; take them too.
    std::size_t before = 0;
    do {
        before = samples.size();
        if (!resampleInto(nullptr, samples, error))
            return false;
    } while (samples.size() != before);
    if (!streamHadPackets)
        error = QStringLiteral("The file holds no sound");
    return streamHadPackets;
}

DecodedSound decode(const std::uint8_t* data, std::size_t size, const SoundTarget& target)
{
    DecodedSound sound;
    if (!data || size == 0) {
        sound.error = QStringLiteral("The sound is empty");
        return sound;
    }
    if (!isPlausibleSampleRate(target.sampleRate)) {
        sound.error = QStringLiteral("The sound cannot be converted");
        return sound;
    }
    Decoder decoder(data, size);
    sound.ok = decoder.open(target, sound.error) && decoder.run(sound.samples, sound.error);
    if (!sound.ok)
        sound.samples.clear();
    return sound;
}

} // namespace

DecodedSound decodeSoundBytes(const std::uint8_t* data, std::size_t size, const SoundTarget& target)
{
    ffmpeg::quietLibraryLog();
    try {
        return decode(data, size, target);
    } catch (const std::bad_alloc&) {
        // A short file may decode into more sound than memory holds.
        DecodedSound sound;
        sound.outOfMemory = true;
        sound.error = QStringLiteral("Not enough memory");
        return sound;
    }
}

} // namespace lumivo::wave
