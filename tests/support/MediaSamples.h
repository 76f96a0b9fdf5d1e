#pragma once
// Sample clips, sounds and pictures made by other programs (ffmpeg, sox, lame, ImageMagick, Python),
// for tests that need files the program's own writers do not make. Older tests skip when ffmpeg is not
// installed; the tools below are installed by scripts/deps, so a missing one fails its test loudly.

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

// Runs one of the tools in scripts/deps; false, with the reason on stderr, when it is missing or fails.
// With `output`, what the tool writes to its standard output goes to that file, as through a pipe.
inline bool runTool(const QString& program, const QStringList& arguments, const QString& output = {})
{
    if (QStandardPaths::findExecutable(program).isEmpty()) {
        qWarning("%s is not installed: run scripts/deps", qPrintable(program));
        return false;
    }
    QProcess process;
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    process.start(program, arguments);
    const bool done = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
                      process.exitCode() == 0;
    if (!done)
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return done;
}

// Runs a short Python program, for files no tool writes as they are needed.
inline bool runPython(const QString& program, const QStringList& arguments = {})
{
    return runTool(QStringLiteral("python3"), QStringList{"-c", program} + arguments);
}

} // namespace lumivo::test
