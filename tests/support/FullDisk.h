#pragma once
// A disk that fills up when a test says so: while this object lives, files are opened through a file
// system whose writes all fail from `Fill` until `MakeRoom` (a failed write gets half-way first, as on a
// full disk). Make it before the files a test writes to are opened.

#include "platform/files/FaultyFileSystem.h"

namespace lumivo::test
{

class FullDisk
{
public:
    void Fill() { m_faulty.failAt(files::FaultyFileSystem::Operation::Write, 1); }
    void MakeRoom() { m_faulty.failAt(files::FaultyFileSystem::Operation::Write, 0); }

private:
    files::FaultyFileSystem m_faulty{files::fileSystem()};
    files::ScopedFileSystem m_installed{m_faulty};
};

} // namespace lumivo::test
