#include "platform/video/VideoClip.h"

#include "platform/ffmpeg/FfmpegOwners.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumivo::video
{

namespace
{

// Clips are small previews; a picture larger than this is damage, not a clip, and is refused before
// any frame memory is asked for.
constexpr int maxClipSide = 8192;

// A whole number from a figure worked out of a clip's own fields, kept within int's range.
int clampedToInt(double value)
{
    if (!(value > 0))
        return 0;
    return int(std::min(std::round(value), double(std::numeric_limits<int>::max())));
}

} // namespace

struct VideoClip::Decoder {
    ffmpeg::FormatOwner format;
    ffmpeg::CodecOwner codec;
    ffmpeg::FrameOwner frame{av_frame_alloc()}; // the picture last decoded
    ffmpeg::FrameOwner incoming{av_frame_alloc()};
    ffmpeg::PacketOwner packet{av_packet_alloc()};
    ffmpeg::ScalerOwner scaler;
    AVStream* stream = nullptr;
    int frameCount = 0;
    double rate = 0;
    // Frames are numbered by the order the decoder gives them from the clip's start: AVI carries no
    // presentation times that could be trusted, and with B-frames decode order is not that order.
    int nextFrame = -1; // the number of the picture the decoder gives next, -1 when unknown
    // Pictures come out in another order than their packets (B-frames), so a seek cannot tell which
    // picture comes next; such clips are decoded again from the start instead.
    bool reorders = false;

    bool open(const QString& path, QString& error);
    void countFrames();
    bool rewind();
    bool seekToKeyFrameBefore(int n);
    bool readPacket();
    bool decodeNext();
    QImage convert();
};

bool VideoClip::Decoder::open(const QString& path, QString& error)
{
    if (!frame || !incoming || !packet) {
        error = QStringLiteral("out of memory");
        return false;
    }
    AVFormatContext* context = nullptr;
    const QByteArray name = path.toLocal8Bit();
    // Clips are AVI files: only that demuxer reads the bytes, and it may open no other file or address.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int opened = avformat_open_input(&context, name.constData(), av_find_input_format("avi"), &options);
    av_dict_free(&options);
    if (opened < 0) {
        error = QStringLiteral("the clip file cannot be opened");
        return false;
    }
    format.reset(context);
    if (avformat_find_stream_info(context, nullptr) < 0) {
        error = QStringLiteral("the clip file holds no readable streams");
        return false;
    }
    const int index = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        error = QStringLiteral("the clip file holds no video");
        return false;
    }
    stream = context->streams[index];
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    codec.reset(decoder ? avcodec_alloc_context3(decoder) : nullptr);
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0 ||
        avcodec_open2(codec.get(), decoder, nullptr) < 0 || codec->width <= 0 || codec->height <= 0) {
        error = QStringLiteral("the clip's video cannot be decoded");
        return false;
    }
    if (codec->width > maxClipSide || codec->height > maxClipSide) {
        error = QStringLiteral("the clip's picture is too large");
        return false;
    }
    const AVRational guessed = av_guess_frame_rate(context, stream, nullptr);
    rate = guessed.num > 0 && guessed.den > 0 ? av_q2d(guessed) : 0;
    reorders = codec->has_b_frames > 0 || stream->codecpar->video_delay > 0;
    countFrames();
    nextFrame = 0;
    return true;
}

void VideoClip::Decoder::countFrames()
{
    if (stream->nb_frames > 0) {
        frameCount = int(std::min<std::int64_t>(stream->nb_frames, std::numeric_limits<int>::max()));
        return;
    }
    double seconds = 0;
    if (stream->duration > 0)
        seconds = double(stream->duration) * av_q2d(stream->time_base);
    else if (format->duration > 0)
        seconds = double(format->duration) / AV_TIME_BASE;
    frameCount = clampedToInt(seconds * rate);
}

bool VideoClip::Decoder::rewind()
{
    const std::int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    if (av_seek_frame(format.get(), stream->index, start, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(codec.get());
    nextFrame = 0;
    return true;
}

// Without reordering, the n-th picture is the n-th packet of the stream, which is its position in the
// AVI index and so its decoding time stamp.
bool VideoClip::Decoder::seekToKeyFrameBefore(int n)
{
    const std::int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    if (av_seek_frame(format.get(), stream->index, start + n, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(codec.get());
    nextFrame = -1;
    if (!readPacket())
        return false;
    const std::int64_t index = packet->dts == AV_NOPTS_VALUE ? -1 : packet->dts - start;
    if (index < 0 || index > n) {
        av_packet_unref(packet.get());
        return false;
    }
    nextFrame = int(index);
    const bool sent = avcodec_send_packet(codec.get(), packet.get()) >= 0;
    av_packet_unref(packet.get());
    return sent;
}

// The next packet of the clip's video that holds data; false at the end.
bool VideoClip::Decoder::readPacket()
{
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream->index && packet->size > 0)
            return true;
        av_packet_unref(packet.get());
    }
    return false;
}

// Decodes picture number `nextFrame`. Index entries past the last picture the decoder gives (frames
// an encoder never coded, placeholders of packed B-frames, empty chunks) show the last picture, as
// players show it.
bool VideoClip::Decoder::decodeNext()
{
    for (;;) {
        const int received = avcodec_receive_frame(codec.get(), incoming.get());
        if (received == 0) {
            av_frame_unref(frame.get());
            av_frame_move_ref(frame.get(), incoming.get());
            reorders = reorders || codec->has_b_frames > 0;
            ++nextFrame;
            return true;
        }
        if (received == AVERROR_EOF && frame->data[0] && nextFrame > 0 && nextFrame < frameCount) {
            ++nextFrame;
            return true;
        }
        if (received != AVERROR(EAGAIN))
            return false;
        if (!readPacket()) {
            avcodec_send_packet(codec.get(), nullptr); // let the decoder give what it still holds
            continue;
        }
        const int sent = avcodec_send_packet(codec.get(), packet.get());
        av_packet_unref(packet.get());
        if (sent < 0 && sent != AVERROR_INVALIDDATA)
            return false; // a damaged packet is passed over; the next key frame recovers
    }
}

QImage VideoClip::Decoder::convert()
{
    // A damaged stream can change its picture size midway; such a frame is not shown.
    const int width = frame->width, height = frame->height;
    if (width <= 0 || height <= 0 || width > maxClipSide || height > maxClipSide)
        return {};
    scaler.reset(sws_getCachedContext(scaler.release(), width, height, AVPixelFormat(frame->format), width,
                                      height, AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler)
        return {};
    QImage image(width, height, QImage::Format_RGB888);
    if (image.isNull())
        return {};
    std::uint8_t* target[4] = {image.bits(), nullptr, nullptr, nullptr};
    int stride[4] = {int(image.bytesPerLine()), 0, 0, 0};
    if (sws_scale(scaler.get(), frame->data, frame->linesize, 0, height, target, stride) != height)
        return {};
    return image;
}

VideoClip::VideoClip(std::unique_ptr<Decoder> decoder) : m_decoder(std::move(decoder)) {}
VideoClip::~VideoClip() = default;

std::unique_ptr<VideoClip> VideoClip::open(const QString& path, QString* error)
{
    ffmpeg::quietLibraryLog();
    auto decoder = std::make_unique<Decoder>();
    QString reason;
    if (!decoder->open(path, reason)) {
        if (error)
            *error = reason;
        return nullptr;
    }
    return std::unique_ptr<VideoClip>(new VideoClip(std::move(decoder)));
}

int VideoClip::frameCount() const
{
    return m_decoder->frameCount;
}
double VideoClip::frameRate() const
{
    return m_decoder->rate;
}

int VideoClip::durationMs() const
{
    if (m_decoder->rate <= 0)
        return 0;
    return clampedToInt(m_decoder->frameCount * 1000.0 / m_decoder->rate);
}

QSize VideoClip::size() const
{
    return {m_decoder->codec->width, m_decoder->codec->height};
}

bool VideoClip::isPaletted() const
{
    return m_decoder->codec->pix_fmt == AV_PIX_FMT_PAL8;
}

QImage VideoClip::frame(int n)
{
    if (n < 0 || n >= m_decoder->frameCount)
        return {};
    Decoder& decoder = *m_decoder;
    if (n == decoder.nextFrame - 1)
        return decoder.convert(); // the picture last decoded
    // Backwards, or far ahead, the decoder starts again at a key frame or the start.
    constexpr int stepsWorthDecoding = 50;
    if (decoder.nextFrame < 0 || n < decoder.nextFrame || n - decoder.nextFrame > stepsWorthDecoding) {
        const bool seeked = !decoder.reorders && decoder.seekToKeyFrameBefore(n);
        if (!seeked && (decoder.nextFrame < 0 || n < decoder.nextFrame) && !decoder.rewind())
            return {};
    }
    while (decoder.nextFrame <= n) {
        if (!decoder.decodeNext()) {
            decoder.nextFrame = -1;
            return {};
        }
    }
    return decoder.convert();
}

} // namespace lumivo::video
