#pragma once
// Sample clips, sounds and pictures made by other programs (ffmpeg, sox, lame, ImageMagick, Python),
// for tests that need files the program's own writers do not make. Older tests skip when ffmpeg is not
// installed; the tools below are installed by scripts/deps, so a missing one fails its test loudly.

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>

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

// A file of `size` bytes that starts with `head` and is silence (zeros) after it, sparse: it takes no time
// and no disk to make, whatever its size.
inline bool makeSparseFile(const QString& path, const QByteArray& head, std::uint64_t size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(head) == head.size() &&
           file.resize(qint64(size));
}

// A sparse WAVE file of `size` bytes: a 16-bit mono 44.1 kHz header whose data chunk holds the rest, in
// silence, or claims `claimedData` bytes when that is given (the form's size agreeing). Sizes beyond 32
// bits are written as the largest the header can say.
inline bool makeSparseWave(const QString& path, std::uint64_t size, std::uint64_t claimedData = 0)
{
    const std::uint64_t data = claimedData ? claimedData : size - 44;
    const auto put32 = [](QByteArray& out, std::uint64_t value) {
        const auto v = std::uint32_t(std::min<std::uint64_t>(value, 0xFFFFFFFFu));
        for (int shift = 0; shift < 32; shift += 8)
            out.append(char(v >> shift));
    };
    QByteArray head("RIFF");
    put32(head, data + 36);
    head.append("WAVEfmt ");
    put32(head, 16);
    head.append("\x01\x00\x01\x00", 4);                 // PCM, mono
    head.append("\x44\xAC\x00\x00\x88\x58\x01\x00", 8); // 44,100 Hz, 88,200 bytes a second
    head.append("\x02\x00\x10\x00", 4);                 // 2 bytes a frame, 16 bits
    head.append("data");
    put32(head, data);
    return makeSparseFile(path, head, size);
}

} // namespace lumivo::test
