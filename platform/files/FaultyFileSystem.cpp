#include "platform/files/FaultyFileSystem.h"

namespace lumivo::files
{

namespace
{

class FaultyFile : public File
{
public:
    FaultyFile(std::unique_ptr<File> inner, FaultyFileSystem& owner)
        : m_inner(std::move(inner)), m_owner(owner)
    {
    }

    std::int64_t read(void* buffer, std::size_t n) override { return m_inner->read(buffer, n); }

    bool write(const void* buffer, std::size_t n) override
    {
        const bool alreadyBroken = m_owner.hasFailed();
        if (m_owner.shouldFail(FaultyFileSystem::Operation::Write)) {
            if (!alreadyBroken)
                m_inner->write(buffer, n / 2); // the write that fails gets half-way, as on a full disk
            return false;
        }
        return m_owner.takeRoom(growthTo(m_inner->position() + n)) && m_inner->write(buffer, n);
    }

    bool seek(std::uint64_t position) override { return m_inner->seek(position); }
    std::uint64_t position() const override { return m_inner->position(); }
    std::int64_t length() const override { return m_inner->length(); }
    bool setLength(std::uint64_t length) override
    {
        return !m_owner.shouldFail(FaultyFileSystem::Operation::Write) &&
               m_owner.takeRoom(growthTo(length)) && m_inner->setLength(length);
    }
    bool flush() override
    {
        return !m_owner.shouldFail(FaultyFileSystem::Operation::Flush) && m_inner->flush();
    }
    QString path() const override { return m_inner->path(); }

private:
    std::uint64_t growthTo(std::uint64_t end) const
    {
        const std::int64_t now = m_inner->length();
        return now >= 0 && end > static_cast<std::uint64_t>(now) ? end - static_cast<std::uint64_t>(now) : 0;
    }

    std::unique_ptr<File> m_inner;
    FaultyFileSystem& m_owner;
};

} // namespace

void FaultyFileSystem::failAt(Operation operation, int n, bool thenEveryLater)
{
    m_counts[index(operation)] = 0;
    m_failAt[index(operation)] = n;
    m_sticky = thenEveryLater;
    m_failed = false;
}

bool FaultyFileSystem::takeRoom(std::uint64_t growth)
{
    if (!m_room || growth == 0)
        return true;
    if (growth > *m_room)
        return false;
    *m_room -= growth;
    return true;
}

bool FaultyFileSystem::shouldFail(Operation operation)
{
    const int i = index(operation);
    ++m_counts[i];
    if (stuck())
        return true;
    if (m_failAt[i] > 0 && m_counts[i] == m_failAt[i]) {
        m_failed = true;
        return true;
    }
    return false;
}

std::unique_ptr<File> FaultyFileSystem::open(const QString& path, OpenMode mode)
{
    if (stuck() && mode != OpenMode::Read)
        return nullptr;
    auto inner = m_base.open(path, mode);
    if (!inner)
        return nullptr;
    return std::make_unique<FaultyFile>(std::move(inner), *this);
}

bool FaultyFileSystem::rename(const QString& from, const QString& to)
{
    return !shouldFail(Operation::Rename) && m_base.rename(from, to);
}

} // namespace lumivo::files
