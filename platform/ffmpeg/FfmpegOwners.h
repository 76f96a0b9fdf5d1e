#pragma once
// Owners of the media library's objects, shared by the clip reader and the sound decoder. The
// library's types are only named here; its headers stay in the .cpp files.

#include <memory>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVIOContext;
struct SwrContext;

namespace lumivo::ffmpeg
{

struct FormatCloser {
    void operator()(AVFormatContext* context) const;
};
struct CodecCloser {
    void operator()(AVCodecContext* codec) const;
};
struct FrameCloser {
    void operator()(AVFrame* frame) const;
};
struct PacketCloser {
    void operator()(AVPacket* packet) const;
};
// Frees the stream's buffer too, which the library may have replaced since it was handed over.
struct IoCloser {
    void operator()(AVIOContext* io) const;
};
struct ResamplerCloser {
    void operator()(SwrContext* resampler) const;
};

using FormatOwner = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecOwner = std::unique_ptr<AVCodecContext, CodecCloser>;
using FrameOwner = std::unique_ptr<AVFrame, FrameCloser>;
using PacketOwner = std::unique_ptr<AVPacket, PacketCloser>;
using IoOwner = std::unique_ptr<AVIOContext, IoCloser>;
using ResamplerOwner = std::unique_ptr<SwrContext, ResamplerCloser>;

// The library's own chatter goes to stderr; only real errors are worth it. Safe to call often.
void quietLibraryLog();

} // namespace lumivo::ffmpeg
