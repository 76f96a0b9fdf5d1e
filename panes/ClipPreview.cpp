#include "panes/ClipPreview.h"

#include "core/Clip.h"
#include "core/Icon.h"
#include "core/Lookups.h"
#include "core/PageEvents.h"
#include "core/Word.h"
#include "panes/IconPictures.h"
#include "platform/video/VideoClip.h"
#include "system/SystemSettings.h"

#include <QFile>
#include <QTimer>

#include <algorithm>
#include <vector>

CClipPreview theClipPreview;

CClipPreview::CClipPreview() = default;

CClipPreview::~CClipPreview() = default;

bool CClipPreview::Open(CQuibIcon* icon)
{
    Close();
    if (!icon || icon->WordId == 0)
        return false;
    const int width = icon->ScreenRect.Width();
    const int height = icon->ScreenRect.Height();
    std::vector<std::int32_t> ids{icon->ShownWordId, icon->WordId}; // the shown inflexion first
    if (icon->Word && icon->Word->FamilyList.size() == 1)
        ids.push_back(icon->Word->FamilyList.front());
    std::unique_ptr<CQuibAvi> found;
    for (std::int32_t id : ids) {
        for (int kind : PictureKindsForSize(width, height)) {
            if (id != 0 && !found)
                found = FindAviById<CQuibAvi>(id, kind);
        }
    }
    if (!found || found->Load() < 0)
        return false;
    const QString folder = GetTempDirString(QStringLiteral("/"));
    if (folder.isEmpty())
        return false;
    m_path = folder + QStringLiteral("Temp_x.avi");
    if (found->ExportFile(m_path) == 0) {
        m_path.clear();
        return false;
    }
    m_clip = lumivo::video::VideoClip::open(m_path);
    // A clip without frames cannot be stepped through.
    if (!m_clip || m_clip->frameCount() <= 0) {
        Close();
        return false;
    }
    m_frameCount = m_clip->frameCount();
    m_frameMs = std::max(1, m_clip->durationMs() / m_frameCount);
    m_frame = 0;
    m_icon = icon;
    m_clipOf = icon;
    return true;
}

void CClipPreview::Close()
{
    Stop();
    m_clip.reset();
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    m_path.clear();
    m_icon = nullptr;
    m_clipOf = nullptr;
    m_frameCount = m_frameMs = m_frame = 0;
    m_running = false;
}

bool CClipPreview::Start()
{
    if (!m_icon || !m_clip)
        return false;
    m_running = true;
    if (!m_timer) {
        m_timer = std::make_unique<QTimer>();
        QObject::connect(m_timer.get(), &QTimer::timeout, [this] { Step(); });
    }
    m_timer->start(m_frameMs);
    return true;
}

void CClipPreview::Stop()
{
    if (!m_running)
        return;
    if (m_timer)
        m_timer->stop();
    m_running = false;
    m_icon = nullptr;
}

void CClipPreview::Step()
{
    if (!m_running || !m_icon || m_frameCount <= 0)
        return;
    m_frame = (m_frame + 1) % m_frameCount;
    m_icon->Redraw(false);
}

QImage CClipPreview::FrameImage() const
{
    return m_clip ? m_clip->frame(m_frame) : QImage();
}

void CClipPreview::Follow()
{
    Unfollow();
    m_followed.Follow(&CPageEvents::hoverChanged,
                      [this](CQuibIcon* icon, CQuibIcon* previous) { onHoverChanged(icon, previous); });
    m_followed.Follow(&CPageEvents::selectionChanged, [this] { onSelectionChanged(); });
    m_followed.Follow(&CPageEvents::iconAboutToBeDestroyed,
                      [this](const CQuibIcon* icon) { onIconAboutToBeDestroyed(icon); });
    m_followed.Follow(&CPageEvents::storedMediaChanged,
                      [this](std::int32_t id) { onStoredMediaChanged(id); });
}

void CClipPreview::Unfollow()
{
    m_followed.DisconnectAll();
}

// The previous icon was left (another icon's preview may already run); an icon with a word that the
// mouse entered plays its clip.
void CClipPreview::onHoverChanged(CQuibIcon* icon, CQuibIcon* previous)
{
    if (previous && m_icon == previous)
        Stop();
    if (icon && icon->WordId != 0 && Open(icon))
        Start();
}

// The clip runs only while its icon is entered: a deselected icon is entered no more.
void CClipPreview::onSelectionChanged()
{
    if (m_icon && !(m_icon->Flags & kIconEntered))
        Stop();
}

// The icon has left the hover slot already, which stopped its preview: its clip closes with it.
void CClipPreview::onIconAboutToBeDestroyed(const CQuibIcon* icon)
{
    if (m_icon == icon || m_clipOf == icon)
        Close();
}

// The open clip may be the one that changed: the icon that plays it plays what is stored now, or,
// with no clip left, shows its picture again.
void CClipPreview::onStoredMediaChanged(std::int32_t id)
{
    if (!m_clipOf || !IconMayShowMediaOf(*m_clipOf, id))
        return;
    CQuibIcon* playing = m_running ? m_icon : nullptr;
    Close();
    if (!playing)
        return;
    if (Open(playing))
        Start();
    playing->Redraw(false);
}

QRect ClipFrameBox(const CRect& rect, bool hasId)
{
    if (!hasId)
        return toQRect(rect);
    const int smaller = std::min(rect.Width(), rect.Height());
    int side = 128;
    for (const auto& [below, step] : {std::pair{117, 96}, {85, 64}, {53, 48}, {37, 32}}) {
        if (smaller < below)
            side = step;
    }
    if (smaller < 33)
        side = std::max(0, smaller);
    QRect box(0, 0, side + 1, side + 1);
    box.moveCenter(toQRect(rect).center());
    return box;
}

void ResetClipPreview()
{
    theClipPreview.Unfollow();
    theClipPreview.Close();
}
