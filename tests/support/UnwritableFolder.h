#pragma once
// A folder that cannot be written, as one whose permissions forbid it: while this object lives, nothing
// below `folder` can be made, changed, renamed or removed, and no folder made there; everything can
// still be read. Make it after the files a test keeps open for writing there are opened.

#include "platform/files/FileSystem.h"

#include <QString>

namespace lumivo::test
{

class UnwritableFolder : public files::FileSystem
{
public:
    explicit UnwritableFolder(const QString& folder) : m_folder(folder) {}

    std::unique_ptr<files::File> open(const QString& path, files::OpenMode mode) override
    {
        if (mode != files::OpenMode::Read && below(path))
            return nullptr;
        return m_base.open(path, mode);
    }
    files::FileInfo info(const QString& path) override
    {
        files::FileInfo info = m_base.info(path);
        info.writable = info.writable && !below(path);
        return info;
    }
    bool remove(const QString& path) override { return !below(path) && m_base.remove(path); }
    bool rename(const QString& from, const QString& to) override
    {
        return !below(from) && !below(to) && m_base.rename(from, to);
    }
    bool makeDirectories(const QString& path) override
    {
        return (!below(path) || m_base.info(path).isDirectory) && m_base.makeDirectories(path);
    }
    std::vector<QString> list(const QString& folder) override { return m_base.list(folder); }
    bool flushDirectory(const QString& folder) override { return m_base.flushDirectory(folder); }

private:
    bool below(const QString& path) const
    {
        return path == m_folder || path.startsWith(m_folder + QLatin1Char('/'));
    }

    QString m_folder;
    files::FileSystem& m_base = files::fileSystem();
    files::ScopedFileSystem m_installed{*this};
};

} // namespace lumivo::test
