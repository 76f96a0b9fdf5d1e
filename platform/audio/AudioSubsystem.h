#pragma once
// Shared inside platform/audio: the audio subsystem is brought up once for output and capture.

#include <QString>

namespace lumivo::audio
{

bool ensureAudioSubsystem();
void setLastError(const QString& error);

} // namespace lumivo::audio
