#include "panes/SentenceReader.h"

#include "core/Icon.h"
#include "core/Sentence.h"
#include "media/SoundFunctions.h"
#include "platform/types/Clock.h"

#include <QTimer>

#include <utility>

namespace
{

// A sound plays, or the last one was heard to start too short a while ago for the next. The click
// that started the reading clears the shared sound tick after the first icon, so the pause is
// measured from the tick as noted.
bool soundBusy()
{
    return IsSoundPlaying() || GetNotedSoundElapsedMs() < kReadAloudGapMs;
}

} // namespace

CSentenceReader::CSentenceReader(std::function<void(const CQuibIcon&)> repaint,
                                 std::function<void()> whileWaiting)
    : m_repaint(std::move(repaint)), m_whileWaiting(std::move(whileWaiting))
{
}

CSentenceReader::~CSentenceReader() = default;

void CSentenceReader::Start(CQuibSentence& sentence)
{
    if (IsRunning() || sentence.Icons.empty())
        return;
    if (IsSoundPlaying() || GetSoundElapsedMs() <= kReadAloudGapMs)
        return;
    m_sentence = &sentence;
    m_next = 0;
    m_waitStart = lumivo::clock::tickCount();
    OnTick(); // the first icon starts at once
    if (!IsRunning())
        return;
    if (!m_timer) {
        m_timer = std::make_unique<QTimer>();
        QObject::connect(m_timer.get(), &QTimer::timeout, [this] { OnTick(); });
    }
    m_timer->start(kReadAloudTimerMs);
}

void CSentenceReader::OnTick()
{
    if (!IsRunning())
        return;
    const std::uint32_t waited = lumivo::clock::tickCount() - m_waitStart;
    if (m_next > 0 && soundBusy() && waited < kReadAloudIconBoundMs) {
        if (m_whileWaiting)
            m_whileWaiting();
        return;
    }
    if (m_next >= m_sentence->Icons.size()) {
        Stop();
        return;
    }
    CQuibIcon& icon = *m_sentence->Icons[m_next++];
    lightOnly(&icon);
    icon.Activate(0);
    m_waitStart = lumivo::clock::tickCount();
}

void CSentenceReader::Stop()
{
    if (m_timer)
        m_timer->stop();
    if (!IsRunning())
        return;
    lightOnly(nullptr);
    m_sentence = nullptr;
    m_next = 0;
}

// Puts out every light of the sentence but the icon's, and lights the icon.
void CSentenceReader::lightOnly(CQuibIcon* icon)
{
    for (auto& each : m_sentence->Icons) {
        if (each->Highlighted && each.get() != icon) {
            each->Highlighted = false;
            m_repaint(*each);
        }
    }
    if (icon) {
        icon->Highlighted = true;
        m_repaint(*icon);
    }
}
