// A ZIP archive from memory, every entry extracted into a target folder: entries give their data or a
// ZIP error; nothing is written outside the target folder; an extracted file holds what the entry
// gives in memory.

#include "packages/zip/ZipArchive.h"
#include "packages/zip/ZipException.h"
#include "packages/zip/ZipMemoryFile.h"
#include "platform/files/FileSystem.h"
#include "platform/files/MemoryFileSystem.h"
#include "tests/fuzz/FuzzTarget.h"

#include <cstring>

namespace lumivo::fuzz::zip
{

namespace
{

// A folder that exists nowhere on the real disk, so that nothing the archive library does there
// directly (attributes, times) can reach a real file.
const QString kTarget = QStringLiteral("/lumivo-fuzz-zip/target");

bool isInsideTarget(const QString& path)
{
    return path == kTarget || path.startsWith(kTarget + QLatin1Char('/'));
}

Bytes entryInMemory(CZipArchive& archive, int index, bool& ok)
{
    CZipMemoryFile memory;
    ok = false;
    try {
        ok = archive.ExtractToMemory(index, memory);
    } catch (const CZipException&) {
        archive.CloseEntry(nullptr, true);
        return {};
    }
    const std::vector<char> held = memory.bytes();
    return Bytes(held.begin(), held.end());
}

void extractEvery(CZipArchive& archive, lumivo::files::MemoryFileSystem& disk)
{
    for (int index = 0; index < archive.GetCount(); ++index) {
        CZipEntryHeader header;
        if (!archive.GetEntryInfo(header, index))
            continue;
        const QString target = archive.PredictExtractedName(header.GetFileName(), kTarget, true);
        bool extracted = false;
        try {
            extracted = archive.ExtractToFile(index, kTarget);
        } catch (const CZipException&) {
            archive.CloseEntry(nullptr, true);
            continue;
        }
        if (!extracted || header.IsDirectory())
            continue;
        bool inMemory = false;
        const Bytes expected = entryInMemory(archive, index, inMemory);
        const std::vector<std::uint8_t>* written = disk.contents(target);
        fuzzCheck(inMemory, "an entry extracts to a file but not into memory");
        fuzzCheck(written && *written == expected, "an extracted file does not hold the entry's data");
    }
}

void fuzzZip(const std::uint8_t* data, std::size_t size)
{
    lumivo::files::MemoryFileSystem disk;
    lumivo::files::ScopedFileSystem installed(disk);
    disk.makeDirectories(kTarget);
    CZipMemoryFile memory;
    memory.Attach(data, size);
    CZipArchive archive;
    try {
        if (!archive.OpenOnFile(memory, CZipArchive::zipOpenReadOnly))
            return;
        extractEvery(archive, disk);
        archive.Close();
    } catch (const CZipException&) {
        archive.Close(CZipArchive::closeAfterException);
    }
    for (const QString& path : disk.filePaths())
        fuzzCheck(isInsideTarget(path),
                  "a file was written outside the target folder: " + path.toStdString());
    for (const QString& path : disk.folderPaths())
        fuzzCheck(isInsideTarget(path), "a folder was made outside the target folder: " + path.toStdString());
}

std::vector<Bytes> zipSeeds()
{
    CZipMemoryFile memory;
    {
        CZipArchive archive;
        archive.OpenOnFile(memory, CZipArchive::zipCreate);
        for (const auto& [name, text] :
             {std::pair{"a.txt", "stored text, stored text, stored text"}, std::pair{"folder/b.txt", "b"}}) {
            CZipMemoryFile entry;
            entry.Write(text, std::strlen(text));
            entry.Seek(0, CZipFileBase::begin);
            archive.AddEntryFromMemory(entry, QString::fromLatin1(name));
        }
        archive.Close();
    }
    const std::vector<char> held = memory.bytes();
    return {Bytes(held.begin(), held.end())};
}

const FuzzTargetRegistration registration({"zip", &fuzzZip, &zipSeeds});

} // namespace

} // namespace lumivo::fuzz::zip
