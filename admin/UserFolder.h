#pragma once
// The resource files of the users folder, as the user dialogs list them, and a record of the files a
// dialog opened, so that it closes exactly those and no file another part of the program holds.

#include <QString>
#include <QStringList>

#include <vector>

// The full paths of the users folder's "*.tvf" files (the extension in any case), sorted; a compacting
// save's scratch file, left by a crash, is never one of them.
QStringList UserFolderFiles();

// The files one dialog opened or found open. A file open before the dialog touched it belongs to
// someone else and is never closed by the dialog.
class COpenedFiles
{
public:
    COpenedFiles() = default;
    ~COpenedFiles();
    COpenedFiles(const COpenedFiles&) = delete;
    COpenedFiles& operator=(const COpenedFiles&) = delete;

    // Records `file`; false when it is recorded already.
    bool Take(int file, bool wasOpen);
    bool Holds(int file) const;
    // Forgets `file`; true when the dialog had opened it itself.
    bool Forget(int file);
    // Closes the files the dialog opened, except those that have a role in the program by now (the
    // file of a user made current meanwhile stays open), and forgets them all.
    void ReleaseAll();

private:
    struct Entry {
        int file;
        bool wasOpen;
    };
    std::vector<Entry> m_files;
};
