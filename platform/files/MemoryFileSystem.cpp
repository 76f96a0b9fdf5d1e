#include "platform/files/MemoryFileSystem.h"

#include <algorithm>
#include <cstring>

namespace lumivo::files
{

namespace
{

class MemoryFile : public File
{
public:
    MemoryFile(std::shared_ptr<std::vector<std::uint8_t>> bytes, QString path, bool writable)
        : m_bytes(std::move(bytes)), m_path(std::move(path)), m_writable(writable)
    {
    }

    std::int64_t read(void* buffer, std::size_t n) override
    {
        if (m_position >= m_bytes->size())
            return 0;
        const std::size_t count = std::min<std::size_t>(n, m_bytes->size() - m_position);
        std::memcpy(buffer, m_bytes->data() + m_position, count);
        m_position += count;
        return static_cast<std::int64_t>(count);
    }

    bool write(const void* buffer, std::size_t n) override
    {
        if (!m_writable)
            return false;
        if (m_position + n > m_bytes->size())
            m_bytes->resize(m_position + n);
        if (n > 0)
            std::memcpy(m_bytes->data() + m_position, buffer, n);
        m_position += n;
        return true;
    }

    bool seek(std::uint64_t position) override
    {
        m_position = position;
        return true;
    }
    std::uint64_t position() const override { return m_position; }
    std::int64_t length() const override { return static_cast<std::int64_t>(m_bytes->size()); }
    bool setLength(std::uint64_t length) override
    {
        if (!m_writable)
            return false;
        m_bytes->resize(length);
        return true;
    }
    bool flush() override { return true; }
    QString path() const override { return m_path; }

private:
    std::shared_ptr<std::vector<std::uint8_t>> m_bytes;
    QString m_path;
    bool m_writable;
    std::uint64_t m_position = 0;
};

} // namespace

std::unique_ptr<File> MemoryFileSystem::open(const QString& path, OpenMode mode)
{
    auto found = m_files.find(path);
    if (mode == OpenMode::CreateReadWrite) {
        if (found != m_files.end() && found->second.readOnly)
            return nullptr;
        if (found == m_files.end())
            found = m_files.emplace(path, Node{std::make_shared<std::vector<std::uint8_t>>()}).first;
        found->second.bytes->clear();
        found->second.modified = std::time(nullptr);
        return std::make_unique<MemoryFile>(found->second.bytes, path, true);
    }
    if (found == m_files.end())
        return nullptr;
    const bool writable = mode == OpenMode::ReadWrite;
    if (writable && found->second.readOnly)
        return nullptr;
    return std::make_unique<MemoryFile>(found->second.bytes, path, writable);
}

FileInfo MemoryFileSystem::info(const QString& path)
{
    FileInfo result;
    if (auto found = m_files.find(path); found != m_files.end()) {
        result.exists = result.readable = true;
        result.writable = !found->second.readOnly;
        result.size = found->second.bytes->size();
        result.modified = found->second.modified;
    } else if (m_folders.count(path)) {
        result.exists = result.isDirectory = result.readable = result.writable = true;
    }
    return result;
}

bool MemoryFileSystem::remove(const QString& path)
{
    return m_files.erase(path) > 0;
}

bool MemoryFileSystem::rename(const QString& from, const QString& to)
{
    auto found = m_files.find(from);
    if (found == m_files.end())
        return false;
    Node node = found->second;
    m_files.erase(found);
    m_files[to] = node;
    return true;
}

bool MemoryFileSystem::makeDirectories(const QString& path)
{
    m_folders[path] = true;
    return true;
}

std::vector<QString> MemoryFileSystem::list(const QString& folder)
{
    std::vector<QString> names;
    for (const auto& [path, node] : m_files)
        if (folderOf(path) == folder)
            names.push_back(fileNameOf(path));
    return names;
}

void MemoryFileSystem::setContents(const QString& path, std::vector<std::uint8_t> bytes)
{
    m_files[path] = Node{std::make_shared<std::vector<std::uint8_t>>(std::move(bytes))};
}

const std::vector<std::uint8_t>* MemoryFileSystem::contents(const QString& path) const
{
    auto found = m_files.find(path);
    return found == m_files.end() ? nullptr : found->second.bytes.get();
}

void MemoryFileSystem::setReadOnly(const QString& path, bool readOnly)
{
    if (auto found = m_files.find(path); found != m_files.end())
        found->second.readOnly = readOnly;
}

std::vector<QString> MemoryFileSystem::filePaths() const
{
    std::vector<QString> paths;
    for (const auto& [path, node] : m_files)
        paths.push_back(path);
    return paths;
}

std::vector<QString> MemoryFileSystem::folderPaths() const
{
    std::vector<QString> paths;
    for (const auto& [path, made] : m_folders)
        paths.push_back(path);
    return paths;
}

} // namespace lumivo::files
