#pragma once
// Wraps another file system and fails on purpose at the n-th write, flush or rename, so that crash
// safety is tested rather than hoped for. A failed write first writes half of its bytes, as a full
// disk does. After the first failure every later operation of that kind fails too (the machine
// "crashed"), unless the fault was set as a single one. A nearly full disk is a mode of its own: writes
// that make files longer take from the room left and fail, having written nothing, once it is used up,
// while renames, removals and flushes go on working.

#include "platform/files/FileSystem.h"

#include <optional>

namespace lumivo::files
{

class FaultyFileSystem : public FileSystem
{
public:
    enum class Operation { Write, Flush, Rename };

    explicit FaultyFileSystem(FileSystem& base) : m_base(base) {}

    // Fails the n-th (1-based) operation of that kind from now on; 0 disarms.
    void failAt(Operation operation, int n, bool thenEveryLater = true);
    int count(Operation operation) const { return m_counts[index(operation)]; }
    bool hasFailed() const { return m_failed; }
    // From now on only `bytes` more may be added to files (room that removals free does not come
    // back); nullopt lifts the limit.
    void setRoomLeft(std::optional<std::uint64_t> bytes) { m_room = bytes; }
    // Takes the growth of a file from the room left; false when it does not fit.
    bool takeRoom(std::uint64_t growth);

    std::unique_ptr<File> open(const QString& path, OpenMode mode) override;
    FileInfo info(const QString& path) override { return m_base.info(path); }
    bool remove(const QString& path) override { return !stuck() && m_base.remove(path); }
    bool rename(const QString& from, const QString& to) override;
    bool makeDirectories(const QString& path) override { return m_base.makeDirectories(path); }
    std::vector<QString> list(const QString& folder) override { return m_base.list(folder); }
    bool flushDirectory(const QString& folder) override { return m_base.flushDirectory(folder); }

    // True when this operation is to fail; counts it.
    bool shouldFail(Operation operation);

private:
    static int index(Operation operation) { return static_cast<int>(operation); }
    bool stuck() const { return m_failed && m_sticky; }

    FileSystem& m_base;
    int m_counts[3] = {0, 0, 0};
    int m_failAt[3] = {0, 0, 0};
    bool m_sticky = true;
    bool m_failed = false;
    std::optional<std::uint64_t> m_room;
};

} // namespace lumivo::files
