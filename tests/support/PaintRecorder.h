#pragma once
// A paint device that draws nothing and notes what painters ask of it: every clip set and every image
// drawn. Drawing code that must stay within what can be seen (whatever the sizes it is given) is drawn
// onto one, and the notes are checked against its area.

#include <QPaintDevice>
#include <QRect>
#include <QSize>

#include <memory>
#include <vector>

class QPaintEngine;

namespace lumivo::test
{

class PaintRecorder : public QPaintDevice
{
public:
    PaintRecorder(int width, int height);
    ~PaintRecorder() override;

    QPaintEngine* paintEngine() const override;
    QRect area() const { return {0, 0, m_width, m_height}; }

    // The bounding rectangle of every clip a painter set, region or path, in the painter's coordinates.
    std::vector<QRect> clips;
    // The size of every image drawn.
    std::vector<QSize> images;

    // The first clip that reaches beyond the area (by more than a pixel on any side), or a null rectangle.
    QRect clipBeyondArea() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int m_width;
    int m_height;
    std::unique_ptr<QPaintEngine> m_engine;
};

} // namespace lumivo::test
