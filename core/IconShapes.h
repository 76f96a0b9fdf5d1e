#pragma once
// The shape classes that the editing tools make. They add no fields; they are stored under their own
// class names, so a page that holds an ellipse reads back an ellipse.

#include "core/Icon.h"

class CQuibIcon_Rect : public CQuibIcon
{
    DECLARE_DYNCREATE(CQuibIcon_Rect)

public:
    CQuibIcon_Rect() = default;
};

class CQuibIcon_Ellipse : public CQuibIcon_Rect
{
    DECLARE_DYNCREATE(CQuibIcon_Ellipse)

public:
    CQuibIcon_Ellipse() = default;

    // The ellipse inscribed in the rectangle, whatever the shape kind says.
    bool HitTest(const POINT& point) const override;
    // An outline only: black, red when selected, green when entered; and the handles.
    void Draw(IconPaint& paint) override;
};
