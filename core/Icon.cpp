#include "core/Icon.h"

#include "core/IconDrag.h"
#include "core/IconEvents.h"
#include "core/Lookups.h"
#include "core/Page.h"
#include "core/ShownIcons.h"
#include "core/Sound.h"
#include "core/Word.h"

#include <algorithm>

IMPLEMENT_SERIAL(CQuibIcon, CObject, 1)

namespace
{

// What a loaded icon never keeps from its stream: the session's own state.
constexpr std::uint32_t kIconSessionFlags = kIconModified | kIconSelected | kIconEntered;

} // namespace

CQuibIcon::CQuibIcon(std::uint32_t shape)
{
    Shape = shape;
    Attributes.Attach(&Options);
}

CQuibIcon::~CQuibIcon()
{
    ForgetDraggedIcon(this);
    ForgetIcon(this);
    FreeCache();
}

void CQuibIcon::CopyFrom(const CQuibIcon& other)
{
    static_cast<CQuibIconFields&>(*this) = other;
    // The cached picture belonged to the old fields; the copy lays itself out again when it is drawn.
    CachedBitmap = QImage();
    PictCacheData = QImage();
    PictCacheBox = QSize();
    PictCacheShownSize = QSize();
    Flags |= kIconNeedsLayout;
}

std::unique_ptr<CQuibIcon> CQuibIcon::Clone() const
{
    std::unique_ptr<CObject> made = GetRuntimeClass()->CreateObject();
    std::unique_ptr<CQuibIcon> copy(static_cast<CQuibIcon*>(made.release()));
    copy->CopyFrom(*this);
    return copy;
}

void CQuibIcon::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        Flags &= ~kIconModified;
        ar << Options << StoredRect << Shape << BgColor << FrameColor;
        ar << WordId << LinkId << SoundId << kIconStreamVersion << Name << WordName;
        ar << PictId << Flags;
        return;
    }
    std::uint32_t version = 0;
    ar >> Options >> StoredRect >> Shape >> BgColor >> FrameColor;
    ar >> WordId >> LinkId >> SoundId >> version >> Name >> WordName;
    if (version == 0) {
        PictId = 0;
    } else if (version == kIconStreamVersion) {
        std::uint32_t storedFlags = 0;
        ar >> PictId >> storedFlags;
        Flags = (Flags & ~kIconNoPicture) | storedFlags;
    } else {
        // Reading on would take the next icon's bytes for this one's unknown fields.
        throw CArchiveException(CArchiveException::badSchema, QStringLiteral("icon version %1").arg(version));
    }
    Flags &= ~kIconSessionFlags;
}

void CQuibIcon::ReloadWord(bool force)
{
    if (WordId != 0 && (!Word || force)) {
        Word.reset();
        if (ShownWordId == 0)
            ShownWordId = WordId;
        Word = FindWordById(WordId);
        if (Word && Word->Load() < 0)
            Word.reset();
    }
    Flags |= kIconNeedsLayout;
}

void CQuibIcon::FreeCache()
{
    DragCopy.reset();
    Word.reset();
    Sound.reset();
    CachedBitmap = QImage();
    PictCacheData = QImage();
}

CQuibBg* CQuibIcon::GetBackground() const
{
    return ShownPageOf(this);
}

void CQuibIcon::SetModified(bool commitPage, bool setModifiedBit)
{
    if (commitPage) {
        CQuibBg* page = GetBackground();
        if (page && page->HoldsIcon(this))
            page->Commit();
    }
    if (setModifiedBit)
        Flags |= kIconModified;
}

QString CQuibIcon::GetDisplayText(int flags)
{
    if (!WordName.isEmpty())
        return WordName.contains(QLatin1String("#none")) ? QString() : WordDisplayText(WordName, flags);
    // An icon without a word has nothing to reload; reloading would only ask for a new layout, and so
    // a new picture search, at every paint.
    if (!Word && WordId != 0)
        ReloadWord(true);
    if (!Word)
        return {};
    return WordDisplayText(Word->WordName, flags);
}

QString CQuibIcon::GetShownWordText()
{
    constexpr int kShownTextFlags = kWordTextCutSuffix | kWordTextDropLayoutChars;
    if (ShownWordId == WordId)
        return GetDisplayText(kShownTextFlags);
    std::unique_ptr<CQuibWord> shown = FindWordById(ShownWordId);
    if (!shown || shown->Load() < 0)
        return {};
    return shown->GetDisplayText(kShownTextFlags);
}

void CQuibIcon::ScreenToRelative(const SIZE& pageSize)
{
    if (pageSize.cx == 0 || pageSize.cy == 0)
        return;
    // An icon that has not moved keeps its stored rectangle exactly as it was read: converting back
    // would round it, or bring a rectangle far off the page back from the pixel limit.
    if (PixelRectOf(StoredRect, pageSize) == ScreenRect)
        return;
    StoredRect.left = MulDivSaturated(ScreenRect.left, 1000, pageSize.cx);
    StoredRect.right = MulDivSaturated(ScreenRect.right, 1000, pageSize.cx);
    StoredRect.top = MulDivSaturated(ScreenRect.top, 1000, pageSize.cy);
    StoredRect.bottom = MulDivSaturated(ScreenRect.bottom, 1000, pageSize.cy);
}

void CQuibIcon::RelativeToScreen(const SIZE& pageSize)
{
    ScreenRect = PixelRectOf(StoredRect, pageSize);
}

CRect PixelRectOf(const CRect& perMille, const SIZE& pageSize)
{
    const auto pixel = [](int value, int side) {
        return std::clamp(MulDivSaturated(value, side, 1000), -kIconPixelLimit, kIconPixelLimit);
    };
    return {pixel(perMille.left, pageSize.cx), pixel(perMille.top, pageSize.cy),
            pixel(perMille.right, pageSize.cx), pixel(perMille.bottom, pageSize.cy)};
}

void IconListScreenToRelative(CQuibIconList& list, const SIZE& pageSize)
{
    if (pageSize.cx == 0 && pageSize.cy == 0)
        return;
    for (auto& icon : list)
        icon->ScreenToRelative(pageSize);
}

void IconListRelativeToScreen(CQuibIconList& list, const SIZE& pageSize)
{
    if (pageSize.cx == 0 && pageSize.cy == 0)
        return;
    for (auto& icon : list)
        icon->RelativeToScreen(pageSize);
}

CQuibIconList CopyIconList(const CQuibIconList& source)
{
    CQuibIconList copies;
    copies.reserve(source.size());
    for (const auto& icon : source)
        copies.push_back(icon->Clone());
    return copies;
}
