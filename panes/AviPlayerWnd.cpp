#include "panes/AviPlayerWnd.h"

#include "platform/types/Clock.h"
#include "platform/video/VideoClip.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>

using namespace lumivo;

namespace
{

// Timers fire no more often than this, however short a clip's frames are.
constexpr int kMinFramePeriodMs = 1;
// How long to wait before trying another temporary name: the name is made from the tick count.
constexpr std::uint32_t kTemporaryNameRetryMs = 100;

int centringOffset(int client, int frame)
{
    return client > frame ? (client - frame) / 2 : 0;
}

int framePeriodOf(const video::VideoClip& clip, std::uint32_t options)
{
    int period = std::max(kMinFramePeriodMs, clip.durationMs() / clip.frameCount());
    if (options & CAviPlayerWnd::kHalfSpeed)
        period *= 2;
    else if (options & CAviPlayerWnd::kDoubleSpeed)
        period = std::max(kMinFramePeriodMs, period / 2);
    return period;
}

// The frame as ARGB with every pixel of the key colour fully transparent.
QImage keyedOut(const QImage& frame, COLORREF keyColour)
{
    QImage keyed = frame.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = toQColor(keyColour).rgb() & RGB_MASK;
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((line[x] & RGB_MASK) == key)
                line[x] = 0;
        }
    }
    return keyed;
}

} // namespace

CAviPlayerWnd::CAviPlayerWnd(QWidget* parent) : QWidget(parent)
{
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_frameTimer, &QTimer::timeout, this, [this] { OnFrameTimer(); });
    Reset();
}

CAviPlayerWnd::~CAviPlayerWnd()
{
    Close();
}

QString CAviPlayerWnd::ResourcePath(int resourceId)
{
    return QStringLiteral(":/avi/%1.avi").arg(resourceId);
}

void CAviPlayerWnd::Reset()
{
    m_clip.reset();
    m_frameCount = 0;
    m_framePeriod = 0;
    m_currentFrame = 0;
    m_offset = {};
    m_drawSize = size();
    m_playing = false;
    m_backgroundStale = true;
    m_keyedFrameIndex = -1;
    m_keyedFrame = {};
}

CAviPlayerWnd::Result CAviPlayerWnd::OpenFile(const QString& path, std::uint32_t options, COLORREF keyColour)
{
    if (m_clip || !m_temporaryFile.isEmpty()) {
        // The temporary copy goes with the clip it was made for, unless it is the file opened now.
        const QString keep = path == m_temporaryFile ? m_temporaryFile : QString();
        m_temporaryFile.clear();
        Close();
        m_temporaryFile = keep;
        Reset();
    }
    m_lastError.clear();
    std::unique_ptr<video::VideoClip> clip = video::VideoClip::open(path, &m_lastError);
    if (!clip)
        return kFail;
    // A clip without frames has no frame period to play at, and nothing to show.
    if (clip->frameCount() <= 0) {
        m_lastError = QStringLiteral("The clip %1 has no frames.").arg(path);
        return kFail;
    }
    m_clip = std::move(clip);
    m_options = options;
    m_keyColour = keyColour;
    m_frameCount = m_clip->frameCount();
    m_framePeriod = framePeriodOf(*m_clip, options);
    PlaceFrame(m_clip->size());
    if (options & kPlainBackground) {
        FillPlainBackground();
    } else {
        CaptureBackground();
        if (options & kKeyFromClip)
            m_keyColour = ClipKeyColour();
    }
    if (options & kPlayAtOnce)
        Play(false);
    update();
    return kOk;
}

void CAviPlayerWnd::PlaceFrame(QSize frameSize)
{
    const QSize client = size();
    const QPoint centring(centringOffset(client.width(), frameSize.width()),
                          centringOffset(client.height(), frameSize.height()));
    m_drawSize = client;
    if (m_options & kCentreFrame) {
        m_offset = centring;
        m_drawSize = frameSize;
    } else if (!(m_options & kStretchFrame)) {
        resize(frameSize);
        m_drawSize = frameSize;
        if (m_options & kKeepCentred)
            move(pos() + centring);
    }
}

COLORREF CAviPlayerWnd::ClipKeyColour()
{
    if (!m_clip || !m_clip->isPaletted())
        return kDefaultKeyColour;
    // The first pixel a bottom-up picture stores is its bottom-left one.
    const QImage first = m_clip->frame(0);
    if (first.isNull())
        return kDefaultKeyColour;
    return fromQColor(first.pixelColor(0, first.height() - 1));
}

QString CAviPlayerWnd::NewTemporaryFileName()
{
    QString name;
    for (;;) {
        name = QDir::temp().filePath(QStringLiteral("AVC%1.AVI").arg(clock::tickCount(), 0, 16).toUpper());
        clock::sleepFor(kTemporaryNameRetryMs);
        if (!QFile::exists(name))
            return name;
    }
}

CAviPlayerWnd::Result CAviPlayerWnd::OpenResource(int resourceId, std::uint32_t options, COLORREF keyColour)
{
    QFile resource(ResourcePath(resourceId));
    if (!resource.open(QIODevice::ReadOnly)) {
        m_lastError = QStringLiteral("The program has no clip %1.").arg(resourceId);
        return kFail;
    }
    return OpenBytes(resource.readAll(), options, keyColour);
}

CAviPlayerWnd::Result CAviPlayerWnd::OpenBytes(const QByteArray& clip, std::uint32_t options,
                                               COLORREF keyColour)
{
    Close();
    Reset();
    const QString name = NewTemporaryFileName();
    // Written whole or not at all: a half-written copy would be played as a damaged clip.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(clip) != clip.size() || !file.commit()) {
        m_lastError = QStringLiteral("The clip could not be written to %1: %2").arg(name, file.errorString());
        return kFail;
    }
    m_temporaryFile = name;
    const Result result = OpenFile(name, options, keyColour);
    if (result != kOk) {
        QFile::remove(m_temporaryFile);
        m_temporaryFile.clear();
    }
    return result;
}

void CAviPlayerWnd::Close()
{
    Stop(false);
    m_clip.reset();
    m_background = {};
    m_backgroundStale = true;
    m_keyedFrameIndex = -1;
    m_keyedFrame = {};
    if (!m_temporaryFile.isEmpty()) {
        QFile::remove(m_temporaryFile);
        m_temporaryFile.clear();
    }
}

bool CAviPlayerWnd::Play(bool stopAtEnd)
{
    if (!m_clip)
        return false;
    m_stopAtEnd = stopAtEnd;
    if (m_playing) {
        m_currentFrame = 0;
        return false;
    }
    update();
    m_frameTimer.start(m_framePeriod);
    m_playing = true;
    return true;
}

bool CAviPlayerWnd::Stop(bool rewind)
{
    m_frameTimer.stop();
    m_playing = false;
    if (rewind) {
        m_currentFrame = 0;
        update();
    }
    return true;
}

void CAviPlayerWnd::OnFrameTimer()
{
    if (++m_currentFrame >= m_frameCount) {
        m_currentFrame = 0;
        if (m_stopAtEnd) {
            Stop(true);
            return;
        }
    }
    update();
}

const QImage& CAviPlayerWnd::KeyedFrame(int n)
{
    if (n != m_keyedFrameIndex) {
        const QImage frame = m_clip->frame(n);
        m_keyedFrame = frame.isNull() ? QImage() : keyedOut(frame, m_keyColour);
        m_keyedFrameIndex = n;
    }
    return m_keyedFrame;
}

void CAviPlayerWnd::FillPlainBackground()
{
    m_background = QImage(size(), QImage::Format_RGB32);
    m_background.fill(palette().color(QPalette::Window));
    m_backgroundStale = false;
}

void CAviPlayerWnd::CaptureBackground()
{
    QWidget* behind = parentWidget();
    if (!behind || size().isEmpty()) {
        FillPlainBackground();
        return;
    }
    // The grab draws the parent with its children; this window draws nothing meanwhile, so what is
    // captured is what lies behind it.
    m_capturing = true;
    m_background = behind->grab(geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    m_capturing = false;
    m_backgroundStale = false;
}

// A grab cannot be taken while a paint is under way (Qt refuses a paint inside a paint), so a stale
// background is taken again once the event loop is free, and the frames are drawn over the old one
// until then.
void CAviPlayerWnd::RequestCapture()
{
    m_backgroundStale = true;
    if (m_capturePending || !m_clip || (m_options & kPlainBackground))
        return;
    m_capturePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_capturePending = false;
            if (m_backgroundStale && m_clip && !(m_options & kPlainBackground)) {
                CaptureBackground();
                update();
            }
        },
        Qt::QueuedConnection);
}

void CAviPlayerWnd::paintEvent(QPaintEvent*)
{
    if (m_capturing || !m_clip)
        return;
    if ((m_options & kPlainBackground) && m_background.size() != size())
        FillPlainBackground();
    const QImage& frame = KeyedFrame(m_currentFrame);
    if (frame.isNull())
        return;
    QImage composed = m_background;
    if (composed.size() != size()) {
        composed = QImage(size(), QImage::Format_RGB32);
        composed.fill(palette().color(QPalette::Window));
    }
    {
        QPainter onto(&composed);
        onto.drawImage(QRect(m_offset, m_drawSize), frame);
    }
    QPainter painter(this);
    painter.drawImage(0, 0, composed);
}

void CAviPlayerWnd::moveEvent(QMoveEvent* event)
{
    RequestCapture();
    QWidget::moveEvent(event);
}

void CAviPlayerWnd::resizeEvent(QResizeEvent* event)
{
    RequestCapture();
    QWidget::resizeEvent(event);
}

void CAviPlayerWnd::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange && (m_options & kPlainBackground))
        FillPlainBackground();
    QWidget::changeEvent(event);
}
