#pragma once
// Video clips from files: how many frames, at what rate, how large, and any frame as a picture.

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

namespace lumivo::video
{

class VideoClip
{
public:
    ~VideoClip();
    VideoClip(const VideoClip&) = delete;
    VideoClip& operator=(const VideoClip&) = delete;

    // Opens a clip file; nullptr when it is missing or holds no video stream that can be decoded,
    // with the reason in `error` when one is given.
    static std::unique_ptr<VideoClip> open(const QString& path, QString* error = nullptr);

    int frameCount() const;
    double frameRate() const; // frames per second
    int durationMs() const;
    QSize size() const;
    // Whether the clip's pictures are stored as 8-bit palette indexes (its frames still come as RGB).
    bool isPaletted() const;
    // Frame n (0-based) as an RGB picture; a null image when n is out of range or cannot be decoded.
    QImage frame(int n);

private:
    struct Decoder;
    explicit VideoClip(std::unique_ptr<Decoder> decoder);
    std::unique_ptr<Decoder> m_decoder;
};

} // namespace lumivo::video
