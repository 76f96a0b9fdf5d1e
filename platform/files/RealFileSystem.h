#pragma once
// The disk, through POSIX calls.

#include "platform/files/FileSystem.h"

namespace lumivo::files
{

class RealFileSystem : public FileSystem
{
public:
    std::unique_ptr<File> open(const QString& path, OpenMode mode) override;
    FileInfo info(const QString& path) override;
    bool remove(const QString& path) override;
    bool rename(const QString& from, const QString& to) override;
    bool makeDirectories(const QString& path) override;
    std::vector<QString> list(const QString& folder) override;
    bool flushDirectory(const QString& folder) override;
};

} // namespace lumivo::files
