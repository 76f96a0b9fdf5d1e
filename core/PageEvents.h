#pragma once
// What the model announces when its objects change: the selection and the icon under the mouse, an
// icon or a sentence about to die, a page replaced, removed, reverted or committed, an icon to repaint,
// a link followed, a stored picture, sound or clip replaced. The views and the shell connect to these signals
// (their wire functions, or the constructors of objects that follow the model while they live); the model
// never asks who listens or which pane shows what. Connections are direct: a receiver runs inside the
// emitting call, in the order the receivers connected, so the layers wired first hear first.

#include <QObject>

#include <cstdint>
#include <utility>
#include <vector>

class CQuibBg;
class CQuibIcon;
class CQuibSentence;

// The signals carry the model's objects by pointer and connect directly, so Qt needs no more of their
// types than the pointers: no receiver has to include the whole model to connect.
Q_DECLARE_OPAQUE_POINTER(CQuibBg*)
Q_DECLARE_OPAQUE_POINTER(CQuibIcon*)
Q_DECLARE_OPAQUE_POINTER(const CQuibIcon*)
Q_DECLARE_OPAQUE_POINTER(const CQuibSentence*)

class CPageEvents : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    // An icon was selected or deselected, or its shown inflexion stepped on.
    void selectionChanged();
    // The icon under the mouse changed (SetHoverIcon); either may be none. `previous` may be an icon
    // about to be destroyed: compare it, never use it.
    void hoverChanged(CQuibIcon* icon, CQuibIcon* previous);
    // The icon is about to be destroyed: it has left the selection and the hover slot already.
    void iconAboutToBeDestroyed(const CQuibIcon* icon);
    void sentenceAboutToBeDestroyed(const CQuibSentence* sentence);
    // `old` (a page of the index, or a page saved as a copy) gives way to `replacement`, a page the
    // index holds (none: nothing takes its place yet; a page filed later under the keys of `old` does).
    // Whatever shows `old` lets go of it now, while it still exists, and shows the replacement. The
    // model does not touch `old` afterwards, so a receiver that owns it may delete it.
    void pageReplaced(CQuibBg* old, CQuibBg* replacement);
    // The page is about to be removed from its file and deleted: whatever shows it lets go now. The
    // model still works on it until pageRemoved, so a receiver that owns it keeps it alive till then.
    void pageAboutToBeRemoved(CQuibBg* page);
    // The page of that id is gone: whatever let go of it shows its default page.
    void pageRemoved(std::int32_t id);
    // The page dropped its changes and was read back from its file: whatever shows it lays it out again.
    void pageReverted(CQuibBg* page);
    void pageCommitted(CQuibBg* page);
    // The icon's drawn area changed (or, on a move, its old one): whatever shows it repaints there.
    void iconChanged(CQuibIcon* icon);
    // A link of an icon asks for the page of that id in the main pane.
    void linkRequested(std::int32_t pageId);
    // A picture, sound or clip stored under that id (a word's, a page's or an item's) was replaced or
    // removed: whatever cached one of that id drops it and shows the stored one.
    void storedMediaChanged(std::int32_t id);
};

// The connections one wire function makes to thePageEvents, kept so that its unwire undoes exactly
// those (objects that follow the model while they live connect with themselves as context instead, and
// Qt drops those connections when they die).
class CPageEventConnections
{
public:
    template <typename Signal, typename Receiver> void Follow(Signal signal, Receiver receiver);
    void DisconnectAll();

private:
    std::vector<QMetaObject::Connection> m_connections;
};

// The model's one event object. It lives as long as the process: icons held by other globals may die
// after this module's statics at exit, and they still announce it.
extern CPageEvents& thePageEvents;

// Disconnects every receiver, so that no test's receivers outlive it; the wire functions connect the
// layers again.
void ResetPageEvents();

template <typename Signal, typename Receiver>
void CPageEventConnections::Follow(Signal signal, Receiver receiver)
{
    m_connections.push_back(QObject::connect(&thePageEvents, signal, std::move(receiver)));
}
