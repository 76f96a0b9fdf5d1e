#pragma once
// File access for the whole program. Everything that touches the disk goes through `fileSystem()`,
// so tests can swap in an in-memory file system or one that fails on purpose.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

namespace lumivo::files
{

enum class OpenMode {
    Read,           // existing file, read only
    ReadWrite,      // existing file, read and write
    CreateReadWrite // created, or truncated when it exists
};

// One open file with a current position, in the manner of a random-access stream.
class File
{
public:
    virtual ~File() = default;
    // What read and length give on an error.
    static constexpr std::int64_t kIoError = -1;
    // Reads up to n bytes at the position; returns the count read (0 at the end) or kIoError.
    virtual std::int64_t read(void* buffer, std::size_t n) = 0;
    // Writes all n bytes at the position; false on any error (the file may hold part of them).
    virtual bool write(const void* buffer, std::size_t n) = 0;
    virtual bool seek(std::uint64_t position) = 0;
    virtual std::uint64_t position() const = 0;
    virtual std::int64_t length() const = 0; // kIoError on error
    virtual bool setLength(std::uint64_t length) = 0;
    // Pushes the bytes to the disk (fsync for a real file).
    virtual bool flush() = 0;
    virtual QString path() const = 0;

    // Reads exactly n bytes or fails.
    bool readExactly(void* buffer, std::size_t n);
    bool readAt(std::uint64_t position, void* buffer, std::size_t n);
    bool writeAt(std::uint64_t position, const void* buffer, std::size_t n);
};

struct FileInfo {
    bool exists = false;
    bool isDirectory = false;
    bool readable = false;
    bool writable = false;
    std::uint64_t size = 0;
    std::time_t modified = 0;
};

class FileSystem
{
public:
    virtual ~FileSystem() = default;
    virtual std::unique_ptr<File> open(const QString& path, OpenMode mode) = 0;
    virtual FileInfo info(const QString& path) = 0;
    virtual bool remove(const QString& path) = 0;
    // Replaces `to` when it exists.
    virtual bool rename(const QString& from, const QString& to) = 0;
    virtual bool makeDirectories(const QString& path) = 0;
    // Names (not paths) of the entries of a folder.
    virtual std::vector<QString> list(const QString& folder) = 0;
    // Flushes a folder's entries (after a rename), where the file system needs it.
    virtual bool flushDirectory(const QString& folder) = 0;

    bool exists(const QString& path) { return info(path).exists; }
};

// The file system in use: the real one unless a test has installed another.
FileSystem& fileSystem();

// Installs a file system for the lifetime of this object, then restores the previous one.
class ScopedFileSystem
{
public:
    explicit ScopedFileSystem(FileSystem& replacement);
    ~ScopedFileSystem();
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

private:
    FileSystem* m_previous;
};

// The most bytes a sound or clip file may have to be read and stored as a record. A larger file is
// refused before a byte of it is read, so that picking any file answers at once and in bounded memory;
// 64 MiB is over six minutes of CD-quality sound, far more than a word's sound or clip needs.
constexpr std::uint64_t kMaxMediaFileBytes = std::uint64_t{64} << 20;

enum class ReadResult { Read, NotRead, TooLarge };

// Whole-file helpers over `fileSystem()`.
bool readWholeFile(const QString& path, std::vector<std::uint8_t>& bytes);
// Reads a whole file of at most `limit` bytes; a larger one is refused from its length, unread. `bytes`
// is empty unless the file was read.
ReadResult readWholeFile(const QString& path, std::vector<std::uint8_t>& bytes, std::uint64_t limit);
// Writes beside the target (at its scratch path), flushes and renames over it: a crash leaves the old
// file or the new one. A scratch file that a killed write left behind is removed first.
bool writeFileAtomically(const QString& path, const void* data, std::size_t size);
// The same for a copy of the file at `from`, read in pieces: its memory does not grow with the file.
bool copyFileAtomically(const QString& from, const QString& to);
// Copies the file at `from` to `to` (made, or emptied first) in pieces and flushes it. Not atomic: for a
// scratch file that is renamed into place once it is complete.
bool copyFile(const QString& from, const QString& to);
// Where an atomic write of `path` puts its bytes before the rename: `path` with ".new" added.
QString atomicScratchPathFor(const QString& path);

// The folder part and the last element of a path, with '/' separators.
QString folderOf(const QString& path);
QString fileNameOf(const QString& path);

} // namespace lumivo::files
