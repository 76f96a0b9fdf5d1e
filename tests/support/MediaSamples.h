#pragma once
// Sample clips and coded sounds made by the real ffmpeg program, for tests that need files the
// program's own writers do not make. Tests skip when ffmpeg is not installed.

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace lumivo::test
{

inline bool haveFfmpeg()
{
    return !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

// An MJPEG AVI of `frames` frames from one of ffmpeg's test sources ("testsrc=size=16x12:rate=5").
inline bool makeMjpegAvi(const QString& path, const QString& source, int frames)
{
    return QProcess::execute(QStringLiteral("ffmpeg"),
                             {"-v", "error", "-y", "-f", "lavfi", "-i", source, "-frames:v",
                              QString::number(frames), "-c:v", "mjpeg", "-f", "avi", path}) == 0;
}

// A mono WAVE file of a sine tone in the given codec ("adpcm_ima_wav", "pcm_mulaw", ...).
inline bool makeCodedWave(const QString& path, const QString& codec, int sampleRate, double seconds)
{
    const QString tone =
        QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2").arg(sampleRate).arg(seconds);
    return QProcess::execute(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-f", "lavfi", "-i", tone, "-ac",
                                                        "1", "-c:a", codec, path}) == 0;
}

} // namespace lumivo::test
