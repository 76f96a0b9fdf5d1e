#pragma once
// Records what the model's event object announces while the log lives, in order: the signal's name
// and what it named. Its connections end with it, so a test's log never hears the next test.

#include "core/PageEvents.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <ostream>
#include <utility>
#include <vector>

namespace lumivo::test
{

class PageEventLog : public QObject
{
public:
    struct Event {
        QString name;
        const void* object = nullptr; // the icon, sentence or page announced
        const void* other = nullptr;  // the previous hover icon; the page that replaces
        std::int32_t id = 0;          // the page removed or asked for, the id of the media stored
        bool operator==(const Event&) const = default;
        friend void PrintTo(const Event& event, std::ostream* out)
        {
            *out << event.name.toStdString() << "(" << event.object << ", " << event.other << ", " << event.id
                 << ")";
        }
    };

    PageEventLog()
    {
        CPageEvents* events = &thePageEvents;
        connect(events, &CPageEvents::selectionChanged, this, [this] { add({"selectionChanged"}); });
        connect(events, &CPageEvents::hoverChanged, this, [this](CQuibIcon* icon, CQuibIcon* previous) {
            add({"hoverChanged", icon, previous});
        });
        connect(events, &CPageEvents::iconAboutToBeDestroyed, this, [this](const CQuibIcon* icon) {
            add({"iconAboutToBeDestroyed", icon});
        });
        connect(events, &CPageEvents::sentenceAboutToBeDestroyed, this,
                [this](const CQuibSentence* sentence) {
                    add({"sentenceAboutToBeDestroyed", sentence});
                });
        connect(events, &CPageEvents::pageReplaced, this, [this](CQuibBg* old, CQuibBg* replacement) {
            add({"pageReplaced", old, replacement});
        });
        connect(events, &CPageEvents::pageAboutToBeRemoved, this, [this](CQuibBg* page) {
            add({"pageAboutToBeRemoved", page});
        });
        connect(events, &CPageEvents::pageRemoved, this, [this](std::int32_t id) {
            add({"pageRemoved", nullptr, nullptr, id});
        });
        connect(events, &CPageEvents::pageReverted, this, [this](CQuibBg* page) {
            add({"pageReverted", page});
        });
        connect(events, &CPageEvents::pageCommitted, this, [this](CQuibBg* page) {
            add({"pageCommitted", page});
        });
        connect(events, &CPageEvents::iconChanged, this, [this](CQuibIcon* icon) {
            add({"iconChanged", icon});
        });
        connect(events, &CPageEvents::linkRequested, this, [this](std::int32_t id) {
            add({"linkRequested", nullptr, nullptr, id});
        });
        connect(events, &CPageEvents::storedMediaChanged, this, [this](std::int32_t id) {
            add({"storedMediaChanged", nullptr, nullptr, id});
        });
    }

    // What was announced since the last call.
    std::vector<Event> take() { return std::exchange(m_events, {}); }
    // Only the names, for sequences whose objects do not matter.
    std::vector<QString> takeNames()
    {
        std::vector<QString> names;
        for (const Event& event : take())
            names.push_back(event.name);
        return names;
    }

private:
    void add(Event event) { m_events.push_back(std::move(event)); }

    std::vector<Event> m_events;
};

} // namespace lumivo::test
