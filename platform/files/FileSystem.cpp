#include "platform/files/FileSystem.h"

#include "platform/files/RealFileSystem.h"

#include <limits>

namespace lumivo::files
{

namespace
{

// Settings are still flushed while statics are destroyed at exit, so the real file system is never
// destroyed: a union member whose destructor the union does not run.
union ImmortalRealFileSystem {
    RealFileSystem value;
    ImmortalRealFileSystem() : value() {}
    ~ImmortalRealFileSystem() {}
};

FileSystem*& currentFileSystem()
{
    static ImmortalRealFileSystem real;
    static FileSystem* current = &real.value;
    return current;
}

} // namespace

FileSystem& fileSystem()
{
    return *currentFileSystem();
}

ScopedFileSystem::ScopedFileSystem(FileSystem& replacement) : m_previous(currentFileSystem())
{
    currentFileSystem() = &replacement;
}

ScopedFileSystem::~ScopedFileSystem()
{
    currentFileSystem() = m_previous;
}

bool File::readExactly(void* buffer, std::size_t n)
{
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const std::int64_t got = read(out + done, n - done);
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool File::readAt(std::uint64_t position, void* buffer, std::size_t n)
{
    return seek(position) && readExactly(buffer, n);
}

bool File::writeAt(std::uint64_t position, const void* buffer, std::size_t n)
{
    return seek(position) && write(buffer, n);
}

bool readWholeFile(const QString& path, std::vector<std::uint8_t>& bytes)
{
    return readWholeFile(path, bytes, std::numeric_limits<std::size_t>::max()) == ReadResult::Read;
}

ReadResult readWholeFile(const QString& path, std::vector<std::uint8_t>& bytes, std::uint64_t limit)
{
    bytes.clear();
    auto file = fileSystem().open(path, OpenMode::Read);
    if (!file)
        return ReadResult::NotRead;
    const std::int64_t length = file->length();
    if (length < 0)
        return ReadResult::NotRead;
    if (static_cast<std::uint64_t>(length) > limit)
        return ReadResult::TooLarge;
    bytes.resize(static_cast<std::size_t>(length));
    if (length > 0 && !file->readExactly(bytes.data(), bytes.size())) {
        bytes.clear();
        return ReadResult::NotRead;
    }
    return ReadResult::Read;
}

namespace
{

// Copies go through a buffer of this size, so that their memory does not grow with the file.
constexpr std::size_t kCopyChunk = std::size_t{1} << 20;

// Copies what is left of `source` into `target` in pieces.
bool copyRest(File& source, File& target)
{
    std::vector<std::uint8_t> chunk(kCopyChunk);
    for (;;) {
        const std::int64_t count = source.read(chunk.data(), chunk.size());
        if (count <= 0)
            return count == 0;
        if (!target.write(chunk.data(), static_cast<std::size_t>(count)))
            return false;
    }
}

// A scratch file left by a write that was killed before its rename holds nothing anyone needs, and
// one that cannot be opened for writing (made read-only since) would fail every later write. Only a
// plain file of exactly that name goes.
void removeStrayScratchFile(FileSystem& fs, const QString& temporary)
{
    const FileInfo stray = fs.info(temporary);
    if (stray.exists && !stray.isDirectory)
        fs.remove(temporary);
}

// Lets `fill` write a file beside `path`, flushes it and renames it over `path`: a crash or a failure
// leaves the old file or the new one, never a part.
template <typename Fill> bool replaceAtomically(const QString& path, Fill fill)
{
    FileSystem& fs = fileSystem();
    const QString temporary = atomicScratchPathFor(path);
    removeStrayScratchFile(fs, temporary);
    {
        auto file = fs.open(temporary, OpenMode::CreateReadWrite);
        if (!file)
            return false;
        if (!fill(*file) || !file->flush()) {
            file.reset();
            fs.remove(temporary);
            return false;
        }
    }
    if (!fs.rename(temporary, path)) {
        fs.remove(temporary);
        return false;
    }
    fs.flushDirectory(folderOf(path));
    return true;
}

} // namespace

bool writeFileAtomically(const QString& path, const void* data, std::size_t size)
{
    return replaceAtomically(path, [data, size](File& file) { return file.write(data, size); });
}

bool copyFileAtomically(const QString& from, const QString& to)
{
    auto source = fileSystem().open(from, OpenMode::Read);
    if (!source)
        return false;
    return replaceAtomically(to, [&source](File& target) { return copyRest(*source, target); });
}

bool copyFile(const QString& from, const QString& to)
{
    auto source = fileSystem().open(from, OpenMode::Read);
    if (!source)
        return false;
    auto target = fileSystem().open(to, OpenMode::CreateReadWrite);
    return target && copyRest(*source, *target) && target->flush();
}

QString atomicScratchPathFor(const QString& path)
{
    return path + QStringLiteral(".new");
}

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString fileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace lumivo::files
