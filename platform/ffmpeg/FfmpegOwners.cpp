#include "platform/ffmpeg/FfmpegOwners.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <mutex>

namespace lumivo::ffmpeg
{

void Closer::operator()(AVFormatContext* context) const
{
    avformat_close_input(&context);
}

void Closer::operator()(AVCodecContext* codec) const
{
    avcodec_free_context(&codec);
}

void Closer::operator()(AVFrame* frame) const
{
    av_frame_free(&frame);
}

void Closer::operator()(AVPacket* packet) const
{
    av_packet_free(&packet);
}

void Closer::operator()(AVIOContext* io) const
{
    av_freep(&io->buffer);
    avio_context_free(&io);
}

void Closer::operator()(SwrContext* resampler) const
{
    swr_free(&resampler);
}

void Closer::operator()(SwsContext* scaler) const
{
    sws_freeContext(scaler);
}

void quietLibraryLog()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

} // namespace lumivo::ffmpeg
