#include "admin/UserFolder.h"

#include "admin/FileRoles.h"
#include "platform/files/FileSystem.h"
#include "store/ResourceManager.h"
#include "system/SystemSettings.h"

#include <algorithm>

QStringList UserFolderFiles()
{
    const QString folder = GetUsersDirString(QStringLiteral("/"));
    if (folder.isEmpty())
        return {};
    std::vector<QString> names = lumivo::files::fileSystem().list(folder.chopped(1));
    std::sort(names.begin(), names.end());
    QStringList paths;
    for (const QString& name : names) {
        const QString path = folder + name;
        if (name.size() > 4 && name.endsWith(QLatin1String(".tvf"), Qt::CaseInsensitive) &&
            ResScratchPathFor(path) != path)
            paths << path;
    }
    return paths;
}

COpenedFiles::~COpenedFiles()
{
    ReleaseAll();
}

bool COpenedFiles::Take(int file, bool wasOpen)
{
    if (Holds(file))
        return false;
    m_files.push_back({file, wasOpen});
    return true;
}

bool COpenedFiles::Holds(int file) const
{
    return std::ranges::find(m_files, file, &Entry::file) != m_files.end();
}

bool COpenedFiles::Forget(int file)
{
    const auto found = std::ranges::find(m_files, file, &Entry::file);
    if (found == m_files.end())
        return false;
    const bool opened = !found->wasOpen;
    m_files.erase(found);
    return opened;
}

void COpenedFiles::ReleaseAll()
{
    for (const Entry& entry : std::exchange(m_files, {})) {
        if (!entry.wasOpen)
            ReleaseFileUnlessInUse(entry.file);
    }
}
