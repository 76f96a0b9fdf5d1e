#include "store/ResourceIdCounts.h"

#include <algorithm>
#include <bit>

namespace lumivo::store
{

namespace
{
constexpr int kRunBits = 6;
constexpr std::size_t kSmallestTable = std::size_t{2} << kRunBits; // at least two blocks
} // namespace

std::size_t IdUseCounts::homeOf(std::int32_t id) const
{
    // Runs of consecutive ids (the usual case) stay side by side in blocks of 64 slots, so that counting
    // a file's ids touches the table in order; the blocks themselves are spread by Fibonacci hashing,
    // so that no stride of ids can pile them up in one place.
    const auto value = std::uint64_t(std::uint32_t(id));
    const auto block = static_cast<std::size_t>(((value >> kRunBits) * 0x9E3779B97F4A7C15ull) >> m_shift);
    return (block << kRunBits) | static_cast<std::size_t>(value & ((1u << kRunBits) - 1));
}

std::size_t IdUseCounts::find(std::int32_t id) const
{
    std::size_t at = homeOf(id);
    while (m_slots[at].id != 0 && m_slots[at].id != id)
        at = (at + 1) & m_mask;
    return at;
}

void IdUseCounts::add(std::int32_t id)
{
    if (id == 0)
        return;
    reserve(m_used + 1);
    Slot& slot = m_slots[find(id)];
    if (slot.id == 0) {
        slot.id = id;
        ++m_used;
    }
    ++slot.count;
}

void IdUseCounts::remove(std::int32_t id)
{
    if (id == 0 || m_used == 0)
        return;
    std::size_t hole = find(id);
    if (m_slots[hole].id == 0 || --m_slots[hole].count > 0)
        return;
    // Move back every entry of the cluster behind the hole whose home does not lie between them.
    for (std::size_t next = (hole + 1) & m_mask; m_slots[next].id != 0; next = (next + 1) & m_mask) {
        const std::size_t home = homeOf(m_slots[next].id);
        const bool staysPut = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
        if (staysPut)
            continue;
        m_slots[hole] = m_slots[next];
        hole = next;
    }
    m_slots[hole] = Slot{};
    --m_used;
}

bool IdUseCounts::contains(std::int32_t id) const
{
    return id != 0 && m_used != 0 && m_slots[find(id)].id == id;
}

void IdUseCounts::reserve(std::size_t count)
{
    if (count * 2 <= m_slots.size())
        return;
    rehash(std::max(kSmallestTable, std::bit_ceil(count * 2)));
}

void IdUseCounts::clear()
{
    // Every count that went to zero left its slot empty already.
    if (m_used == 0)
        return;
    std::fill(m_slots.begin(), m_slots.end(), Slot{});
    m_used = 0;
}

void IdUseCounts::rehash(std::size_t capacity)
{
    std::vector<Slot> old(capacity);
    old.swap(m_slots);
    m_mask = capacity - 1;
    m_shift = 64 - (std::countr_zero(capacity) - kRunBits); // the bits that number a block
    for (const Slot& slot : old) {
        if (slot.id != 0)
            m_slots[find(slot.id)] = slot;
    }
}

} // namespace lumivo::store
