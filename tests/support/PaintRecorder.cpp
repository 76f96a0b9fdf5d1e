#include "tests/support/PaintRecorder.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainterPath>
#include <QRegion>

#include <climits>

namespace lumivo::test
{

namespace
{

class RecordingEngine : public QPaintEngine
{
public:
    explicit RecordingEngine(PaintRecorder& recorder) : QPaintEngine(AllFeatures), m_recorder(recorder) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState& state) override
    {
        if (state.clipOperation() == Qt::NoClip)
            return;
        if (state.state() & DirtyClipRegion)
            m_recorder.clips.push_back(state.clipRegion().boundingRect());
        if (state.state() & DirtyClipPath)
            m_recorder.clips.push_back(state.clipPath().boundingRect().toAlignedRect());
    }

    void drawPixmap(const QRectF&, const QPixmap& pixmap, const QRectF&) override
    {
        m_recorder.images.push_back(pixmap.size());
    }
    void drawImage(const QRectF&, const QImage& image, const QRectF&, Qt::ImageConversionFlags) override
    {
        m_recorder.images.push_back(image.size());
    }
    // Shapes and text come here as paths and polygons; nothing is drawn.
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}

private:
    PaintRecorder& m_recorder;
};

} // namespace

PaintRecorder::PaintRecorder(int width, int height)
    : m_width(width), m_height(height), m_engine(std::make_unique<RecordingEngine>(*this))
{
}

PaintRecorder::~PaintRecorder() = default;

QPaintEngine* PaintRecorder::paintEngine() const
{
    return m_engine.get();
}

QRect PaintRecorder::clipBeyondArea() const
{
    const QRect allowed = area().adjusted(-1, -1, 1, 1);
    for (const QRect& clip : clips) {
        if (!clip.isEmpty() && !allowed.contains(clip))
            return clip;
    }
    return {};
}

int PaintRecorder::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_width;
    case PdmHeight:
        return m_height;
    case PdmWidthMM:
        return m_width * 254 / 960;
    case PdmHeightMM:
        return m_height * 254 / 960;
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    default:
        return 0;
    }
}

} // namespace lumivo::test
