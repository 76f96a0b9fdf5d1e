#pragma once
// A file system held in memory, for tests that must not touch the disk.

#include "platform/files/FileSystem.h"

#include <map>

namespace lumivo::files
{

class MemoryFileSystem : public FileSystem
{
public:
    std::unique_ptr<File> open(const QString& path, OpenMode mode) override;
    FileInfo info(const QString& path) override;
    bool remove(const QString& path) override;
    bool rename(const QString& from, const QString& to) override;
    bool makeDirectories(const QString& path) override;
    std::vector<QString> list(const QString& folder) override;
    bool flushDirectory(const QString&) override { return true; }

    // Direct access for tests.
    void setContents(const QString& path, std::vector<std::uint8_t> bytes);
    const std::vector<std::uint8_t>* contents(const QString& path) const;
    void setReadOnly(const QString& path, bool readOnly);
    // Every file and every folder made, for tests that check where things were written.
    std::vector<QString> filePaths() const;
    std::vector<QString> folderPaths() const;

private:
    struct Node {
        std::shared_ptr<std::vector<std::uint8_t>> bytes;
        bool readOnly = false;
        std::time_t modified = 0;
    };
    std::map<QString, Node> m_files;
    std::map<QString, bool> m_folders;
};

} // namespace lumivo::files
