#include "platform/ffmpeg/FfmpegOwners.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <mutex>

namespace lumivo::ffmpeg
{

void FormatCloser::operator()(AVFormatContext* context) const
{
    avformat_close_input(&context);
}

void CodecCloser::operator()(AVCodecContext* codec) const
{
    avcodec_free_context(&codec);
}

void FrameCloser::operator()(AVFrame* frame) const
{
    av_frame_free(&frame);
}

void PacketCloser::operator()(AVPacket* packet) const
{
    av_packet_free(&packet);
}

void IoCloser::operator()(AVIOContext* io) const
{
    av_freep(&io->buffer);
    avio_context_free(&io);
}

void ResamplerCloser::operator()(SwrContext* resampler) const
{
    swr_free(&resampler);
}

void quietLibraryLog()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

} // namespace lumivo::ffmpeg
