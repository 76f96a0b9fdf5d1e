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

// A WAVE_FORMAT_EXTENSIBLE file of a half-scale 441 Hz tone, 0.1 s at 48 kHz: 24 valid bits in 32-bit
// containers, which no tool at hand writes.
inline bool makeExtensible24In32Wave(const QString& path)
{
    return runPython(QStringLiteral(R"(
import math, struct, sys
rate, frames = 48000, 4800
data = b''.join(struct.pack('<i', int(round(0.5 * math.sin(2 * math.pi * 441 * i / rate) * 8388607)) << 8)
                for i in range(frames))
guid = struct.pack('<H', 1) + bytes.fromhex('000000001000800000aa00389b71')
fmt = struct.pack('<HHIIHHHHI', 0xFFFE, 1, rate, rate * 4, 4, 32, 22, 24, 4) + guid
body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', len(data)) + data
open(sys.argv[1], 'wb').write(b'RIFF' + struct.pack('<I', len(body)) + body)
)"),
                     {path});
}

} // namespace lumivo::test
