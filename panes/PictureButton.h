#pragma once
// A windowless button that a pane draws itself: one picture of an image list in a rectangle, with a
// raised look while the mouse is over it (hot) and a sunken one while it is pressed. The browse
// callout's buttons are of this kind.

#include "platform/types/WinTypes.h"

#include <QImage>
#include <QPoint>

#include <cstdint>
#include <vector>

class CPane;
class QPainter;

// Pictures of one size cut from a strip, each transparent where the strip has its mask colour.
class CImageList
{
public:
    // Cuts `strip` into pictures of `size` from left to right; pixels of `maskColor` (0x00BBGGRR)
    // become transparent. An empty list for a null strip or an empty size.
    static CImageList FromStrip(const QImage& strip, QSize size, COLORREF maskColor);

    int GetImageCount() const { return int(m_images.size()); }
    QSize ImageSize() const { return m_size; }
    // Picture `index` (from 0) with its top-left corner at `at`; nothing for an index outside the list.
    void Draw(QPainter& dc, int index, QPoint at) const;
    // Picture `image` (from 0) becomes overlay `overlay` (from 1); false when either is out of range.
    bool SetOverlayImage(int image, int overlay);
    // The picture of overlay `overlay`, or -1.
    int OverlayImage(int overlay) const;

private:
    std::vector<QImage> m_images;
    std::vector<int> m_overlays;
    QSize m_size;
};

// State bits of a picture button.
constexpr std::uint16_t kPictureButtonHot = 32;
constexpr std::uint16_t kPictureButtonPressed = 64;
// Behind a hot or pressed picture (red 255, green 255, blue 164).
constexpr COLORREF kPictureButtonLitColor = 0xA4FFFF;

class CPictureButton
{
public:
    CPictureButton() = default;
    CPictureButton(const CPictureButton&) = delete;
    CPictureButton& operator=(const CPictureButton&) = delete;

    // The button's rectangle, in the coordinates of the client window that the pane paints.
    CRect Rect;

    void SetImageList(const CImageList* list) { m_imageList = list; }
    // The picture shown, counted from 1; 0 shows none.
    void SetImage(int number) { m_image = number; }
    int GetImage() const { return m_image; }
    // The pane that paints the button and so repaints it.
    void SetPane(CPane* pane) { m_pane = pane; }

    std::uint16_t GetState() const { return m_state; }
    // Hot and pressed exclude each other: setting one clears the other. True when the state changed.
    bool SetState(std::uint16_t state);
    bool ClearState(std::uint16_t state);

    // Fills the lit colour when hot or pressed, draws the picture centred (one pixel down and right
    // when pressed) and a raised or sunken frame. Nothing without a picture in the list.
    void Draw(QPainter& dc) const;
    // Repaints the button's rectangle (with a 2-pixel margin for the frame) through its pane.
    void Invalidate(bool erase) const;

private:
    const CImageList* m_imageList = nullptr;
    CPane* m_pane = nullptr;
    int m_image = 0;
    std::uint16_t m_state = 0;
};
