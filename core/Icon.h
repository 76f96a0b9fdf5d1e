#pragma once
// An icon: one placed item on a page, a rectangle that stands for a word and shows the word's picture,
// its text or a clip. Icons are no records of their own: they live in the streams of their page and
// sentence, on the clipboard and as the panes' tool icons. The stream names the icon's class ("CQuibIcon",
// "CQuibIcon_Rect", "CQuibIcon_Ellipse"), so those names are part of the file format.
//
// The rectangle is kept twice: StoredRect in per mille of the page size (what is stored) and ScreenRect
// in page pixels (what is drawn and hit), converted by RelativeToScreen and ScreenToRelative.

#include "platform/archive/Archive.h"
#include "platform/types/WinTypes.h"
#include "store/TaggedText.h"

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <Qt>

#include <cstdint>
#include <memory>
#include <vector>

class CQuibBg;
class QObject;
class CQuibIcon;
class CQuibSound;
class CQuibWord;

// Bits of CQuibIcon::Flags. Bits not named here are kept and stored as they are.
constexpr std::uint32_t kIconSelected = 0x1;
constexpr std::uint32_t kIconVisible = 0x4;
constexpr std::uint32_t kIconEntered = 0x8;
constexpr std::uint32_t kIconHandles = 0x10;
constexpr std::uint32_t kIconFrameShown = 0x20;
constexpr std::uint32_t kIconKeyColor = 0x40; // the cached picture has a transparent key colour
constexpr std::uint32_t kIconDrawn = 0x80;
constexpr std::uint32_t kIconModified = 0x1000;
constexpr std::uint32_t kIconNeedsLayout = 0x2000;
constexpr std::uint32_t kIconNotSelectable = 0x8000;
constexpr std::uint32_t kIconNoPicture = 0x20000;
constexpr std::uint32_t kIconContentMask = 0xF00000;
constexpr std::uint32_t kIconContentTextOnly = 0x300000;
constexpr std::uint32_t kIconContentPictureWhenEditing = 0x400000;
constexpr std::uint32_t kIconDefaultFlags = kIconNeedsLayout | kIconVisible;

// Shape kinds of CQuibIcon::Shape. Kinds 3 and 7 are further rectangular kinds.
constexpr std::uint32_t kIconShapeRect = 1;
constexpr std::uint32_t kIconShapeEllipse = 2;
constexpr std::uint32_t kIconShapeUnclipped = 3;
constexpr std::uint32_t kIconShapeNoHit = 7;

// The colour of "no transparent colour" in PictCacheColor.
constexpr std::uint32_t kIconNoCacheColor = 0xFE7D7D19;

// The only icon stream versions there are; any other fails the load of what holds the icon.
constexpr std::uint32_t kIconStreamVersion = 1;

// The name of the clipboard format of icons.
inline constexpr char kIconClipFormat[] = "TavimoIcon";

// How the painter (panes/IconPainter.h) draws an icon: the standard way (picture or text, frames,
// handles), only the outline of its ellipse, or only its picture in the writer's size step.
enum class IconLook { Standard, Outline, ToolPicture };

// What an icon copies: everything but what it owns (its word, sound, cached pictures, drag copy).
struct CQuibIconFields {
    CRect StoredRect; // per mille of the page size, 0 to 1000; stored
    CRect ScreenRect; // page pixels, from StoredRect
    std::uint32_t Flags = kIconDefaultFlags;
    std::uint32_t DrawnFlags = kIconDefaultFlags; // Flags at the last drawing
    std::uint32_t Shape = kIconShapeRect;
    std::uint32_t BgColor = 0xFFFFFF;
    std::uint32_t FrameColor = 0;
    QString Options; // tagged text: "framewidth", "framecolor", "textsize", "textalign"
    std::int32_t WordId = 0;
    std::int32_t ShownWordId = 0; // WordId or a member of its family after "next inflexion"
    std::int32_t LinkId = 0;      // the page a link opens; 0 = none
    std::int32_t SoundId = 0;
    std::int32_t PictId = 0; // the icon's own picture instead of the word's
    std::uint16_t PictCacheState = 0;
    QString Name;
    QString WordName; // shown instead of the word's text; "#none" in it shows no text
    CRect PictCacheRect;
    std::uint32_t PictCacheColor = kIconNoCacheColor;

    bool operator==(const CQuibIconFields&) const = default;
};

class CQuibIcon : public CObject, public CQuibIconFields
{
    DECLARE_SERIAL(CQuibIcon)

public:
    explicit CQuibIcon(std::uint32_t shape = kIconShapeRect);
    ~CQuibIcon() override;
    CQuibIcon(const CQuibIcon&) = delete;
    CQuibIcon& operator=(const CQuibIcon&) = delete;

    // Takes the other icon's fields; what the other owns is not copied, and this icon's own cached
    // picture is dropped (it belonged to the old fields), so the copy is marked for a new layout.
    void CopyFrom(const CQuibIcon& other);
    // A copy of the same class (an ellipse stays an ellipse) with this icon's fields.
    std::unique_ptr<CQuibIcon> Clone() const;

    void Serialize(CArchive& ar) override;

    // Loads the word of WordId (again with `force`) and marks the icon for a new layout.
    void ReloadWord(bool force);
    // Drops the drag copy, the word, the sound and the cached pictures.
    virtual void FreeCache();

    // The page of the view that shows the icon (core/ShownIcons.h), or none.
    CQuibBg* GetBackground() const;
    // With `commitPage`, commits the page whose icon list holds the icon; with `setModifiedBit`, marks
    // the icon.
    void SetModified(bool commitPage, bool setModifiedBit);
    // The shown text: the label, else the word's name, through the word's display rule with `flags`.
    QString GetDisplayText(int flags);
    // The display text of the word shown now (another member of the family after "next inflexion").
    QString GetShownWordText();
    bool IsSelected() const { return (Flags & kIconSelected) != 0; }

    // Geometry (core/IconGeometry.cpp). Whether the point lies in the icon's shape.
    virtual bool HitTest(const POINT& point) const;
    // Whether a click at the point belongs to the icon, with the edit tool's rules and the handles.
    virtual bool IsHit(const POINT& point) const;
    virtual bool IsEditableShape(const POINT&) const { return false; }
    // Whether a view shows the icon (core/ShownIcons.h) and its rectangle meets `rect`.
    virtual bool IsVisibleIn(const CRect& rect) const;
    // The area a redraw must cover: the rectangle with its handles and state frames, now or last drawn.
    virtual CRect GetBoundsRect() const;

    // Handles 1 to 4 (top left, top right, bottom right, bottom left); 0 none, -1 the band round the
    // frame, where a drag moves the icon.
    virtual int HitTestHandles(const POINT& point) const;
    virtual int GetHandleCount() const { return 4; }
    // Sets the corner of the handle from the drag copy's rectangle (nothing without a drag copy).
    virtual void MoveHandleTo(int handle, POINT point);
    virtual CRect GetHandleRect(int handle) const;
    virtual CPoint GetHandlePoint(int handle) const;
    virtual Qt::CursorShape GetHandleCursor(int handle) const;
    // Places the icon (snapped to the grid with `snap` when snapping is on) and marks it modified.
    void SetRect(int left, int top, int right, int bottom, bool snap);

    // How the icon is drawn; the painter of the panes draws it.
    virtual IconLook Look() const { return IconLook::Standard; }

    // Events (core/IconEvents.cpp), all answering true (handled). The mouse rests on the icon, moved
    // onto it, left it, or held the button down on it.
    virtual bool OnInside();
    virtual bool OnEnter();
    virtual bool OnLeave();
    virtual bool OnLLongDown();
    // Plays the icon's sound or its word's, or speaks the word, by the user's output settings; 0: the
    // shown word.
    virtual bool Activate(std::int32_t wordId);
    // Opens the linked page in the main pane (or the fallback page); false without a link.
    bool FollowLink();
    // Joins the selection (the caller's pane shows the icon).
    void Select();
    void Deselect();
    // Shows the next member of the word's family; with `takeAsWord` (an icon of the writer's sentence,
    // which the caller knows) the member becomes the icon's word, as the sentence says it.
    void NextInflexion(bool takeAsWord);
    // Announces that the icon's area wants repainting (iconChanged), whatever `erase` says.
    void Redraw(bool erase);

    // Offers the icon to a drag from `dragSource` (core/IconDrag.cpp); true when it ended in a drop.
    bool StartDrag(QObject* dragSource);

    // Per mille <-> page pixels against the page size, MulDiv rounding (PixelRectOf). A page side of 0,
    // or a pixel rectangle that the stored one still gives, leaves the stored rectangle as it is.
    virtual void ScreenToRelative(const SIZE& pageSize);
    virtual void RelativeToScreen(const SIZE& pageSize);

    std::unique_ptr<CQuibIcon> DragCopy; // the reference rectangle while handles are dragged
    std::unique_ptr<CQuibWord> Word;
    std::unique_ptr<CQuibSound> Sound;
    QImage CachedBitmap;  // the scaled picture as drawn: transparent where it had its key colour
    QImage PictCacheData; // the scaled picture's pixels, 3 bytes a pixel
    CTaggedText Attributes;
    QSize PictCacheBox;              // the box the cached picture was scaled into
    QSize PictCacheShownSize;        // the size it is drawn at: its own, or more where it was kept smaller
    std::int16_t PictCacheModel = 0; // the image model it was scaled by
    std::uint64_t DragToken = 0;     // the icon's name in drag data, once it was dragged
    // Writer-pane state, never stored or copied: the box of the text under the picture, and whether the
    // sentence is being read aloud at this icon (drawn with the selection colour behind it).
    CRect DrawnRect;
    bool Highlighted = false;
};

// An icon's page pixels stay within this distance of the page's origin, whatever its stored rectangle
// says: far beyond any screen or paper, and small enough that the sums of a few coordinates, widths
// and offsets never leave an int.
constexpr int kIconPixelLimit = 1 << 24;
// The page pixels of a per-mille rectangle on a page of that size, within kIconPixelLimit.
CRect PixelRectOf(const CRect& perMille, const SIZE& pageSize);

// A page's or sentence's icons in drawing order: the tail is drawn last and lies in front.
using CQuibIconList = std::vector<std::unique_ptr<CQuibIcon>>;

// Both do nothing for a page size of (0, 0).
void IconListScreenToRelative(CQuibIconList& list, const SIZE& pageSize);
void IconListRelativeToScreen(CQuibIconList& list, const SIZE& pageSize);

// Copies of every icon, each of its own class.
CQuibIconList CopyIconList(const CQuibIconList& source);
