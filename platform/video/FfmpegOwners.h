#pragma once
// Owners of the video library's objects, shared by the clip reader and the sound converter. The
// library's types are only named here; its headers stay in the .cpp files.

#include <memory>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;

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

using FormatOwner = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecOwner = std::unique_ptr<AVCodecContext, CodecCloser>;
using FrameOwner = std::unique_ptr<AVFrame, FrameCloser>;
using PacketOwner = std::unique_ptr<AVPacket, PacketCloser>;

// The library's own chatter goes to stderr; only real errors are worth it. Safe to call often.
void quietLibraryLog();

} // namespace lumivo::ffmpeg
