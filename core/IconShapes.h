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
    IconLook Look() const override { return IconLook::Outline; }
};

// The writer pane's tool buttons: only their picture, always in the writer pane's size step; no text,
// frames or handles, and their drawn flags stay as they are.
class CWriterToolIcon : public CQuibIcon
{
public:
    static constexpr std::uint32_t kToolFlags = 0xA004;

    CWriterToolIcon() { Flags = DrawnFlags = kToolFlags; }
    IconLook Look() const override { return IconLook::ToolPicture; }
};
