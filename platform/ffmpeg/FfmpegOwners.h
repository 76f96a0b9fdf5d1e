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
struct SwsContext;

namespace lumivo::ffmpeg
{

// Frees each of the library's objects its own way.
struct Closer {
    void operator()(AVFormatContext* context) const;
    void operator()(AVCodecContext* codec) const;
    void operator()(AVFrame* frame) const;
    void operator()(AVPacket* packet) const;
    void operator()(AVIOContext* io) const; // with its buffer, which the library may have replaced
    void operator()(SwrContext* resampler) const;
    void operator()(SwsContext* scaler) const;
};

using FormatOwner = std::unique_ptr<AVFormatContext, Closer>;
using CodecOwner = std::unique_ptr<AVCodecContext, Closer>;
using FrameOwner = std::unique_ptr<AVFrame, Closer>;
using PacketOwner = std::unique_ptr<AVPacket, Closer>;
using IoOwner = std::unique_ptr<AVIOContext, Closer>;
using ResamplerOwner = std::unique_ptr<SwrContext, Closer>;
using ScalerOwner = std::unique_ptr<SwsContext, Closer>;

// The library's own chatter goes to stderr; only real errors are worth it. Safe to call often.
void quietLibraryLog();

} // namespace lumivo::ffmpeg
