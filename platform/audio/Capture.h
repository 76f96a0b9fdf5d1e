#pragma once
// Recording from the default capture device into a buffer of fixed length, 16-bit mono at 44,100 Hz.
// The buffer is taken before the device opens; the audio thread fills it and publishes its position
// atomically, so the program can poll the position while recording runs.

#include "platform/audio/AudioFormat.h"

#include <QString>

#include <cstddef>
#include <memory>

namespace lumivo::audio
{

class Capture
{
public:
    Capture();
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // Starts recording at most `limit` samples. False, with error() set, when the buffer cannot be
    // had or no capture device opens.
    bool start(std::size_t limit);
    bool isRunning() const;
    // Samples recorded so far; recording holds still at the limit.
    std::size_t position() const;
    std::size_t limit() const;
    // Ends recording and hands over exactly the samples that were recorded.
    Samples stop();
    QString error() const;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

// Closes every open capture device (used when the audio subsystem shuts down).
void closeAllCaptures();

} // namespace lumivo::audio
