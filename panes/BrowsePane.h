#pragma once
// The browse pane: a callout drawn over the pages beside the one icon selected with the browse tool.
// It shows an enlarged copy of the icon, its text and up to three small buttons (pencil: add the icon
// to the writer's sentence; speaker: play it; watch), as a balloon above the icon, a round rectangle
// below it or a round rectangle around it, with an optional soft shadow. Like every pane it holds no
// widget; its rectangle is the callout's, and it lies at the head of the visible panes, so the client
// window hands it the events over the callout before the pane underneath.

#include "panes/Pane.h"
#include "panes/PictureButton.h"
#include "store/StoredFont.h"

#include <QPainterPath>
#include <QString>

#include <array>
#include <cstdint>

// Where the pencil puts the icon into the writer pane's sentence: at its end.
constexpr int kBrowseInsertAtEnd = 0x7FFFFFFE;

// Bits of CBrowsePane::BrowseFlags (the user's browse-pane settings).
constexpr std::uint32_t kBrowseStyleMask = 0x000F;
constexpr std::uint32_t kBrowseStyleNone = 0;
constexpr std::uint32_t kBrowseStyleBalloon = 1;         // "Balloon above icon"
constexpr std::uint32_t kBrowseStyleRoundRectBelow = 2;  // "Round rect below icon"
constexpr std::uint32_t kBrowseStyleRoundRectAround = 3; // "Round rect surounding icon"
constexpr std::uint32_t kBrowseShowText = 0x0010;
constexpr std::uint32_t kBrowseSpeaker = 0x0020;
constexpr std::uint32_t kBrowsePencil = 0x0040;
constexpr std::uint32_t kBrowseWatch = 0x0080;
constexpr std::uint32_t kBrowseShadow = 0x1000;
constexpr std::uint32_t kBrowseToolsBelowText = 0x2000;
constexpr std::uint32_t kBrowseSelectionFrame = 0x4000;
constexpr std::uint32_t kBrowseDefaultFlags = 0x5011;
constexpr COLORREF kBrowseDefaultColor = 0x0086FFFF; // packed colour

// The buttons' ids, each also the number of its picture in bitmap 171.
constexpr int kBrowseButtonPencil = 1;
constexpr int kBrowseButtonWatch = 3;
constexpr int kBrowseButtonSpeaker = 6;
constexpr int kBrowseButtonCount = 5;
constexpr int kBrowseButtonSize = 16;
constexpr unsigned kBrowseButtonBitmap = 171;
constexpr COLORREF kBrowseButtonMaskColor = 0x999900;
// The pane keeps showing its icon when the selection empties.
constexpr std::uint16_t kPaneFlagKeepShownIcon = 0x800;
// RenderQuality: draw at 200 % and reduce, for smooth edges.
constexpr std::uint8_t kBrowseQualitySmooth = 2;

class CBrowsePane : public CPane
{
public:
    CBrowsePane();
    ~CBrowsePane() override;

    void Draw(QPainter& dc) override;
    // In the callout's region only: the corners of its rectangle belong to the panes underneath.
    bool HitTest(int x, int y) const override;
    // Every event over the callout is consumed here, so it never also selects the icon underneath.
    bool OnLButtonDown(unsigned flags, int x, int y, std::uint32_t tick) override;
    bool OnLButtonUp(unsigned flags, int x, int y, std::uint32_t tick) override;
    bool OnMouseMove(unsigned flags, int x, int y, std::uint32_t tick, bool updateCursor) override;
    bool OnClick(unsigned flags, int x, int y, std::uint32_t tick) override;
    bool OnLongMouseDown() override;
    // Places the callout by the selected icon inside the owner's client area, and shows or hides it.
    void UpdateLayout(bool force) override;
    void ResetPane() override;

    // Follows the selection: shows the one icon selected in the browse tool (not the writer's).
    void UpdateFromSelection();
    // Follows the stored media as the page panes do, and lays the callout out again when its icon may
    // show what changed: around the icon, it keeps room for a picture only while one is stored.
    void DropStoredMediaOf(std::int32_t id) override;
    // No button lit or pressed: the mouse has left the callout.
    void DimButtons();
    // Hides the callout and deletes the enlarged icon with its word, while the store still lives (the
    // program's end); the next selection makes a new one.
    void ReleaseEnlargedIcon();

    // The user's settings (panes/UserSettings.cpp).
    COLORREF BrowseColor = kBrowseDefaultColor; // packed colour of the callout
    std::uint32_t BrowseFlags = kBrowseDefaultFlags;
    CStoredFont BrowseFont;
    std::uint8_t RenderQuality = kBrowseQualitySmooth;

    // The layout, in client coordinates.
    const CRect& BodyRect() const { return m_bodyRect; }
    const CRect& RegionBounds() const { return m_regionBounds; }
    const CRect& TextRect() const { return m_textRect; }
    const CRect& ButtonRowRect() const { return m_buttonRowRect; }
    const CRect& PictureRect() const { return m_pictureRect; }
    const CRect& AnchorRect() const { return m_anchorRect; }
    CPoint TailPoint() const { return m_tailPoint; }
    CSize ShadowOffset() const { return m_shadowOffset; }
    const QString& Text() const { return m_text; }
    const CPictureButton& Button(int index) const { return m_buttons[std::size_t(index)]; }
    int ButtonId(int index) const { return m_buttons[std::size_t(index)].GetImage(); }
    // The copy of the selected icon, or none before the first selection.
    CQuibIcon* EnlargedIcon() const { return m_enlargedIcon; }
    // The callout's outline at `percent` % of its size, with `origin` (client coordinates) at (0, 0).
    QPainterPath CalloutPath(int percent, QPoint origin = QPoint()) const;

private:
    void setDefaults();
    CQuibIcon& enlargedIcon();
    bool showsIcon() const;
    void hide();
    std::uint32_t style() const { return BrowseFlags & kBrowseStyleMask; }
    void measureContent();
    CSize contentSize() const;
    void placeContent(const CRect& body, bool centred);
    void layOutBalloon(const CRect& client);
    void layOutBelow(const CRect& client);
    void layOutAround(const CRect& client);
    void moveCallout(int dx, int dy);
    void setBody(const CRect& body);
    QPainterPath buildRegion() const;
    void hoverEnlargedIcon();
    void updateButtons(int x, int y, std::uint16_t set, std::uint16_t clearOthers);
    int buttonAt(int x, int y) const;
    QImage renderBody(int scale) const;
    QImage shadowMask() const;

    CRect m_bodyRect;
    CRect m_regionBounds;
    CPoint m_tailPoint;
    QPainterPath m_region; // at 100 %, client coordinates
    CSize m_shadowOffset;
    QString m_text;
    CRect m_textRect;
    CRect m_buttonRowRect;
    CRect m_pictureRect;
    CRect m_anchorRect;
    CQuibIcon* m_enlargedIcon = nullptr; // one of the pane's child icons
    CImageList m_imageList;
    bool m_imageListMade = false;
    std::array<CPictureButton, kBrowseButtonCount> m_buttons;
};

extern CBrowsePane theBrowsePane;
