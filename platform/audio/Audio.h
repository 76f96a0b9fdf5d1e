#pragma once
// The program's one audio path: a single output stream (16-bit mono, 44,100 Hz, short periods) fed by
// our own mixer, plus capture. Everything here runs without any sound hardware: with SDL's "dummy"
// driver the output plays into nothing, and with "disk" it is written to a file.

#include "platform/audio/AudioFormat.h"
#include "platform/audio/Mixer.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace lumivo::audio
{

// Opens the output stream (and the audio subsystem) once; true while it is open.
bool openOutput();
bool isOutputOpen();
// Frames per period that the device actually gave us; 0 while closed.
int outputPeriodFrames();
// Why the output or the capture could not be opened.
QString lastError();
// Closes output and capture and the audio subsystem; the next openOutput() starts afresh (and reads
// SDL_AUDIODRIVER again).
void shutdown();

// The mixer that the output stream plays. Usable while the output is closed (nothing is heard).
Mixer& mixer();

// Starts a sound on a free channel and returns at once; opens the output when needed.
// Returns the mixer's handle of the sound, or Mixer::kNoChannel when it could not play.
int playSamples(SharedSamples samples);
// Decodes a sound file in memory (WAVE, MP3, ... in any rate or channel layout) and plays it.
int playWave(const QByteArray& fileBytes);
int playWaveFile(const QString& path);
// Waits until the channel has finished, at most `timeoutMs` of the program's clock; true when it
// finished. The end depends on the output really playing the samples: on a test clock this returns
// after no real time, most likely with the sound still playing.
bool waitUntilDone(int channel, int timeoutMs);

} // namespace lumivo::audio
