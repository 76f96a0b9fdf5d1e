#pragma once
// The clip preview: the word clip of the icon under the mouse, played inside that icon. One icon at a
// time. It follows the model's events: when the mouse enters an icon with a word the clip for the
// icon's size is opened into a temporary file and stepped on the preview's own timer; it stops when the
// mouse leaves the icon or the icon loses its entered state (a deselected icon), and closes when the
// icon is destroyed. The painter draws the current frame in place of the icon's picture. A clip of the
// icon's replaced or removed while it plays is opened again, so the icon plays what is stored.

#include "core/PageEvents.h"
#include "platform/types/WinTypes.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <memory>

class CQuibIcon;
class QTimer;

namespace lumivo::video
{
class VideoClip;
}

class CClipPreview
{
public:
    CClipPreview();
    ~CClipPreview();
    CClipPreview(const CClipPreview&) = delete;
    CClipPreview& operator=(const CClipPreview&) = delete;

    // Opens the icon's word clip (the shown inflexion's first, then the word's, then the one member of
    // its family) for the icon's size; closes what was open first. Returns whether the icon became the
    // preview's.
    bool Open(CQuibIcon* icon);
    // Stops, forgets the clip and removes its temporary file.
    void Close();
    // Starts the timer, only while a clip is open; returns whether it started.
    bool Start();
    // Stops a running timer; the icon is then no longer the preview's (the clip stays open until the
    // next Open or Close).
    void Stop();
    // One timer step: the next frame (the first after the last), and the icon is redrawn.
    void Step();

    // The icon the preview plays in: from Open until Stop or Close.
    const CQuibIcon* Icon() const { return m_icon; }
    int Frame() const { return m_frame; }
    // The frame to draw now; null without a clip.
    QImage FrameImage() const;
    bool IsRunning() const { return m_running; }
    // The time between two frames, from the clip's length and frame count.
    int FrameMs() const { return m_frameMs; }

    // Follows the hover, the selection, dying icons and changed stored media of thePageEvents
    // (WirePanes), until Unfollow.
    void Follow();
    void Unfollow();

private:
    void onHoverChanged(CQuibIcon* icon, CQuibIcon* previous);
    void onSelectionChanged();
    void onIconAboutToBeDestroyed(const CQuibIcon* icon);
    void onStoredMediaChanged(std::int32_t id);

    CQuibIcon* m_icon = nullptr;
    // The icon whose clip is open, running or not; read only while it lives (a dying icon closes it).
    const CQuibIcon* m_clipOf = nullptr;
    std::unique_ptr<lumivo::video::VideoClip> m_clip;
    QString m_path;
    int m_frameCount = 0;
    int m_frameMs = 0;
    int m_frame = 0;
    bool m_running = false;
    std::unique_ptr<QTimer> m_timer; // made on the first start, on the interface thread
    CPageEventConnections m_followed;
};

extern CClipPreview theClipPreview;

// Where a clip frame is stretched to in the icon's rectangle: the whole rectangle for an icon without
// picture or word, else a square of the standard step for the rectangle's smaller side, one pixel
// larger, centred.
QRect ClipFrameBox(const CRect& rect, bool hasId);

// Closes the preview and lets go of the model's events.
void ResetClipPreview();
