#pragma once
// A child window that plays the pictures of a video clip frame by frame on a timer. It can key one
// colour of the frames out over what lies behind the window (a grab of its parent) or over a plain
// background, play at half or double speed, loop or stop at the end, and fit itself to the frames.
// A clip kept among the program's resources is played from a temporary copy, deleted on close.

#include "platform/types/WinTypes.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>

namespace lumivo::video
{
class VideoClip;
}

class CAviPlayerWnd : public QWidget
{
public:
    // Options of OpenFile.
    static constexpr std::uint32_t kHalfSpeed = 0x1;
    static constexpr std::uint32_t kDoubleSpeed = 0x2; // only without kHalfSpeed
    static constexpr std::uint32_t kCentreFrame =
        0x4; // frame at its own size in the middle; window keeps its size
    static constexpr std::uint32_t kStretchFrame = 0x8; // frame fills the window; window keeps its size
    static constexpr std::uint32_t kKeepCentred =
        0x10; // a window fitted to the frame stays centred where it was
    static constexpr std::uint32_t kPlayAtOnce = 0x20;      // start looping as soon as the clip is open
    static constexpr std::uint32_t kPlainBackground = 0x40; // the window colour behind the frames, no grab
    static constexpr std::uint32_t kKeyFromClip = 0x80;     // take the key colour from the clip

    // Results of opening.
    using Result = std::int32_t;
    static constexpr Result kOk = 0;
    static constexpr Result kFail = static_cast<Result>(0x80004005);

    // The key colour of a clip whose pictures carry no palette.
    static constexpr COLORREF kDefaultKeyColour = 0x00FF00;

    explicit CAviPlayerWnd(QWidget* parent = nullptr);
    ~CAviPlayerWnd() override;
    CAviPlayerWnd(const CAviPlayerWnd&) = delete;
    CAviPlayerWnd& operator=(const CAviPlayerWnd&) = delete;

    // Opens the clip file (closing any open one first); kFail when it holds no playable video or no
    // frames, with the reason in LastError().
    Result OpenFile(const QString& path, std::uint32_t options, COLORREF keyColour);
    // Plays the program's clip resource `resourceId` from a temporary copy.
    Result OpenResource(int resourceId, std::uint32_t options, COLORREF keyColour);
    // Plays the bytes of a clip file from a temporary copy.
    Result OpenBytes(const QByteArray& clip, std::uint32_t options, COLORREF keyColour);
    // Stops, lets go of the clip and deletes the temporary copy.
    void Close();

    // Starts the frame timer: false without a clip, and false when already playing (the clip then
    // starts again from frame 0 and plays on). With `stopAtEnd` the clip plays once and rests on frame 0.
    bool Play(bool stopAtEnd);
    // Stops the timer; with `rewind` frame 0 shows again.
    bool Stop(bool rewind);

    bool IsOpen() const { return m_clip != nullptr; }
    bool IsPlaying() const { return m_playing; }
    int FrameCount() const { return m_frameCount; }
    int FramePeriod() const { return m_framePeriod; }
    int CurrentFrame() const { return m_currentFrame; }
    COLORREF KeyColour() const { return m_keyColour; }
    std::uint32_t Options() const { return m_options; }
    const QString& TemporaryFile() const { return m_temporaryFile; }
    const QString& LastError() const { return m_lastError; }

    // Where the clip resource with that id is kept among the program's resources.
    static QString ResourcePath(int resourceId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Reset();
    void OnFrameTimer();
    COLORREF ClipKeyColour();
    void PlaceFrame(QSize frameSize);
    void FillPlainBackground();
    void CaptureBackground();
    void RequestCapture();
    const QImage& KeyedFrame(int n);
    static QString NewTemporaryFileName();

    std::uint32_t m_options = 0;
    QString m_temporaryFile;
    QSize m_drawSize;
    QPoint m_offset;
    bool m_stopAtEnd = false;
    bool m_backgroundStale = true;
    bool m_capturing = false;      // our own paint is left out of the grab of the parent
    bool m_capturePending = false; // a capture waits for the event loop
    QImage m_background;
    COLORREF m_keyColour = kDefaultKeyColour;
    int m_framePeriod = 0;
    int m_frameCount = 0;
    int m_currentFrame = 0;
    std::unique_ptr<lumivo::video::VideoClip> m_clip;
    bool m_playing = false;
    QTimer m_frameTimer;
    // The frame last made ready for drawing, with its key colour made transparent.
    int m_keyedFrameIndex = -1;
    QImage m_keyedFrame;
    QString m_lastError;
};
