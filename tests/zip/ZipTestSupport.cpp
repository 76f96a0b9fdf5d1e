#include "tests/zip/ZipTestSupport.h"

#include <QFile>
#include <QProcess>

#include <random>

namespace lumivo::test
{

ProcessResult run(const QString& program, const QStringList& arguments, const QString& workingDir,
                  const QByteArray& input, int timeoutMs)
{
    QProcess process;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForStarted(10000))
        return result;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

ProcessResult python(const QString& script, const QStringList& arguments)
{
    return run(QStringLiteral("python3"), QStringList{QStringLiteral("-c"), script} + arguments);
}

QByteArray randomBytes(std::size_t size, std::uint32_t seed)
{
    std::mt19937 generator(seed);
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    for (auto& b : bytes)
        b = static_cast<char>(generator() & 0xFF);
    return bytes;
}

QByteArray compressibleText(std::size_t size, std::uint32_t seed)
{
    static const char* const words[] = {"jeg ", "vil ", "gerne ", "have ", "et ",  "glas ", "vand ",  "tak ",
                                        "mor ", "far ", "spise ", "lege ", "ude ", "nu ",   "i dag\n"};
    std::mt19937 generator(seed);
    QByteArray text;
    text.reserve(static_cast<qsizetype>(size) + 16);
    while (static_cast<std::size_t>(text.size()) < size)
        text.append(words[generator() % 15]);
    text.truncate(static_cast<qsizetype>(size));
    return text;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

bool addBytes(CZipArchive& archive, const QString& name, const QByteArray& bytes, int level, int smartness)
{
    CZipMemoryFile source(1024);
    source.Write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return archive.AddEntryFromMemory(source, name, level, smartness);
}

QByteArray extractBytes(CZipArchive& archive, int index, bool* ok)
{
    CZipMemoryFile target(1024);
    const bool result = archive.ExtractToMemory(index, target);
    if (ok)
        *ok = result;
    return QByteArray(target.data(), static_cast<qsizetype>(target.GetLength()));
}

} // namespace lumivo::test
