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

// A clip's frames are the slots of its index: a chunk holds the picture of its slot, and an empty chunk
// (a frame a capture dropped, or an encoder's delay) repeats the picture before it. The decoder keeps
// the picture shown and the next one, decoded ahead, so that it knows where the shown one ends.
struct VideoClip::Decoder {
    static constexpr int noSlot = -1;

    ffmpeg::FormatOwner format;
    ffmpeg::CodecOwner codec;
    ffmpeg::FrameOwner shown{av_frame_alloc()}; // the picture of slots shownSlot up to aheadSlot
    ffmpeg::FrameOwner ahead{av_frame_alloc()};
    ffmpeg::PacketOwner packet{av_packet_alloc()};
    ffmpeg::ScalerOwner scaler;
    AVStream* stream = nullptr;
    std::int64_t startStamp = 0; // the time stamp of slot 0
    int frameCount = 0;
    double rate = 0;
    int shownSlot = noSlot;
    int aheadSlot = noSlot;
    bool ended = false; // the decoder has given its last picture: the shown one lasts to the clip's end
    // The slot the decoder goes on from: the shown picture's, or where it started or seeked to.
    int origin = noSlot;
    // Pictures come out in another order than their packets (B-frames), so neither a packet's place
    // in the index nor a seek tells which picture comes next: such clips number their pictures in the
    // order the decoder gives them, and are decoded again from the start to go back.
    bool reorders = false;

    bool open(const QString& path, QString& error);
    void countFrames();
    void forget();
    bool rewind();
    bool seekToKeyFrameBefore(int n);
    bool canWalkTo(int n) const;
    bool restartBefore(int n);
    bool advanceTo(int n);
    bool readPacket();
    bool decodeAhead();
    int slotOf(const AVFrame& picture);
    QImage convert();
};

bool VideoClip::Decoder::open(const QString& path, QString& error)
{
    if (!shown || !ahead || !packet) {
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
    startStamp = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    countFrames();
    origin = 0;
    return true;
}

// The header's frame count is only a claim: every frame takes at least a chunk header or an index entry
// of eight bytes in the file, so no more frames than that are believed, and nothing the clip does costs
// time in proportion to the claim.
void VideoClip::Decoder::countFrames()
{
    constexpr std::int64_t leastBytesPerFrame = 8;
    const std::int64_t fileSize = avio_size(format->pb);
    const std::int64_t mostFrames = fileSize > 0 ? fileSize / leastBytesPerFrame : 0;
    if (stream->nb_frames > 0) {
        frameCount =
            int(std::min({stream->nb_frames, mostFrames, std::int64_t(std::numeric_limits<int>::max())}));
        return;
    }
    double seconds = 0;
    if (stream->duration > 0)
        seconds = double(stream->duration) * av_q2d(stream->time_base);
    else if (format->duration > 0)
        seconds = double(format->duration) / AV_TIME_BASE;
    frameCount = clampedToInt(std::min(seconds * rate, double(mostFrames)));
}

// Drops what the decoder knew of its place, after a seek or a failure.
void VideoClip::Decoder::forget()
{
    av_frame_unref(ahead.get());
    shownSlot = aheadSlot = origin = noSlot;
    ended = false;
}

bool VideoClip::Decoder::rewind()
{
    forget();
    if (av_seek_frame(format.get(), stream->index, startStamp, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(codec.get());
    origin = 0;
    return true;
}

// Without reordering, a packet's decoding time stamp is its slot; the decoder starts at the key frame
// at or before slot n.
bool VideoClip::Decoder::seekToKeyFrameBefore(int n)
{
    forget();
    if (av_seek_frame(format.get(), stream->index, startStamp + n, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(codec.get());
    if (!readPacket())
        return false;
    const std::int64_t slot = packet->dts == AV_NOPTS_VALUE ? noSlot : packet->dts - startStamp;
    if (slot < 0 || slot > n) {
        av_packet_unref(packet.get());
        return false;
    }
    const bool sent = avcodec_send_packet(codec.get(), packet.get()) >= 0;
    av_packet_unref(packet.get());
    origin = sent ? int(slot) : noSlot;
    return sent;
}

// Whether frame n lies ahead of the decoder, within a short walk or inside the shown picture's slots.
bool VideoClip::Decoder::canWalkTo(int n) const
{
    constexpr int stepsWorthDecoding = 50;
    if (origin == noSlot || n < origin)
        return false;
    return ended || aheadSlot > n || n - origin <= stepsWorthDecoding;
}

// Backwards, or far ahead, the decoder starts again at a key frame or the start.
bool VideoClip::Decoder::restartBefore(int n)
{
    if (reorders)
        return (origin != noSlot && n >= origin) || rewind();
    return seekToKeyFrameBefore(n) || rewind();
}

// Decodes on until the shown picture is the one of slot n. Slots before the first picture (a clip that
// starts with an empty chunk) show the first picture.
bool VideoClip::Decoder::advanceTo(int n)
{
    for (;;) {
        if (aheadSlot == noSlot && !ended && !decodeAhead())
            return false;
        if (aheadSlot == noSlot || (aheadSlot > n && shownSlot != noSlot))
            return shownSlot != noSlot;
        av_frame_unref(shown.get());
        av_frame_move_ref(shown.get(), ahead.get());
        shownSlot = origin = aheadSlot;
        aheadSlot = noSlot;
    }
}

// The next packet of the clip's video that holds data; false at the end. Empty chunks never reach the
// decoder, which would take them for the end of the stream; their slots show in the time stamps.
bool VideoClip::Decoder::readPacket()
{
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream->index && packet->size > 0)
            return true;
        av_packet_unref(packet.get());
    }
    return false;
}

// Decodes the picture after the shown one into `ahead`, or notes that there is none.
bool VideoClip::Decoder::decodeAhead()
{
    for (;;) {
        const int received = avcodec_receive_frame(codec.get(), ahead.get());
        if (received == 0) {
            aheadSlot = slotOf(*ahead);
            return true;
        }
        if (received == AVERROR_EOF) {
            ended = true;
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

// The slot a picture the decoder gave starts at: its packet's slot, or with reordering the next one in
// the order of the pictures. A packet that gave no picture (damaged) leaves its slot to the picture
// before, as an empty chunk does.
int VideoClip::Decoder::slotOf(const AVFrame& picture)
{
    reorders = reorders || codec->has_b_frames > 0;
    const int next = shownSlot == noSlot ? origin : shownSlot + 1;
    if (reorders || picture.pkt_dts == AV_NOPTS_VALUE)
        return next;
    const std::int64_t slot = picture.pkt_dts - startStamp;
    return slot > next ? int(std::min<std::int64_t>(slot, std::numeric_limits<int>::max())) : next;
}

QImage VideoClip::Decoder::convert()
{
    // A damaged stream can change its picture size midway; such a frame is not shown.
    const int width = shown->width, height = shown->height;
    if (width <= 0 || height <= 0 || width > maxClipSide || height > maxClipSide)
        return {};
    scaler.reset(sws_getCachedContext(scaler.release(), width, height, AVPixelFormat(shown->format), width,
                                      height, AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler)
        return {};
    QImage image(width, height, QImage::Format_RGB888);
    if (image.isNull())
        return {};
    std::uint8_t* target[4] = {image.bits(), nullptr, nullptr, nullptr};
    int stride[4] = {int(image.bytesPerLine()), 0, 0, 0};
    if (sws_scale(scaler.get(), shown->data, shown->linesize, 0, height, target, stride) != height)
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
    if (!decoder.canWalkTo(n) && !decoder.restartBefore(n))
        return {};
    if (!decoder.advanceTo(n)) {
        decoder.forget();
        return {};
    }
    return decoder.convert();
}

} // namespace lumivo::video
