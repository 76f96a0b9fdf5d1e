#pragma once
// Helpers of the ZIP tests: running the peer tools (zip, unzip, zipinfo, Python's zipfile) with an
// argument list and a bounded wait, and making test data.

#include "packages/zip/ZipArchive.h"
#include "tests/support/LumivoTest.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace lumivo::test
{

struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    bool finished = false;
};

// Runs a program without a shell; gives up after `timeoutMs`.
ProcessResult run(const QString& program, const QStringList& arguments, const QString& workingDir = {},
                  const QByteArray& input = {}, int timeoutMs = 60000);
// Runs a Python script (the script text, then its arguments).
ProcessResult python(const QString& script, const QStringList& arguments = {});

QByteArray randomBytes(std::size_t size, std::uint32_t seed);
QByteArray compressibleText(std::size_t size, std::uint32_t seed);

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// Adds an entry from bytes; returns what AddEntryFromMemory returned.
bool addBytes(CZipArchive& archive, const QString& name, const QByteArray& bytes, int level = -1,
              int smartness = CZipArchive::zipsmSafeSmart);
// Extracts an entry into bytes; `ok` receives the result of ExtractToMemory.
QByteArray extractBytes(CZipArchive& archive, int index, bool* ok = nullptr);

// The cause of the CZipException the callable throws, or 0 when it throws none.
template <typename F> int causeOf(F&& call)
{
    try {
        call();
    } catch (const CZipException& e) {
        return e.m_iCause;
    }
    return 0;
}

} // namespace lumivo::test
