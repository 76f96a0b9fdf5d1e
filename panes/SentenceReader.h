#pragma once
// Reading a sentence aloud: its icons are activated one after the other on a timer of the interface
// thread, one step per tick, so the window never blocks. The icon being read is lit (its Highlighted
// bit) while its sound is due.
//
// The pace follows when words are heard: no icon starts while a sound plays or within kReadAloudGapMs
// of the last sound's start as noted, and no icon waits longer than kReadAloudIconBoundMs for the one
// before it to end. A reading starts only when no sound plays and the last one started more than the
// gap ago. The sentence's owner stops the reading whenever the sentence changes or goes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

class CQuibIcon;
class CQuibSentence;
class QTimer;

constexpr std::uint32_t kReadAloudGapMs = 500;
constexpr std::uint32_t kReadAloudIconBoundMs = 30000;
constexpr int kReadAloudTimerMs = 20;

class CSentenceReader
{
public:
    // `repaint` is told of every icon whose light went on or off; `whileWaiting` runs on each tick that
    // waits for a sound.
    explicit CSentenceReader(std::function<void(const CQuibIcon& icon)> repaint,
                             std::function<void()> whileWaiting = {});
    ~CSentenceReader();
    CSentenceReader(const CSentenceReader&) = delete;
    CSentenceReader& operator=(const CSentenceReader&) = delete;

    // Starts reading `sentence` at its first icon, which starts at once; ignored while a reading runs,
    // for an empty sentence, and while a sound plays or started too short a while ago.
    void Start(CQuibSentence& sentence);
    // Ends the reading and puts out the light.
    void Stop();
    bool IsRunning() const { return m_sentence != nullptr; }
    // One step (the timer's; tests call it on the test clock).
    void OnTick();

private:
    void lightOnly(CQuibIcon* icon);

    std::function<void(const CQuibIcon&)> m_repaint;
    std::function<void()> m_whileWaiting;
    CQuibSentence* m_sentence = nullptr; // the sentence read; none while no reading runs
    std::size_t m_next = 0;              // the next icon to activate
    std::uint32_t m_waitStart = 0;       // when the wait for the next icon began
    std::unique_ptr<QTimer> m_timer;     // made on the first start, on the interface thread
};
