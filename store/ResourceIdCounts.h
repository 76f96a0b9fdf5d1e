#pragma once
// How many records carry each non-zero id, so that a search for an id that no record of any type in
// any file uses costs one look-up a probe. An open-addressing table (linear probing; id 0 marks a free
// slot; removal shifts the entries behind back into place): counting an id allocates nothing.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumivo::store
{

class IdUseCounts
{
public:
    void add(std::int32_t id);    // one more record carries `id` (not 0)
    void remove(std::int32_t id); // one record fewer carries `id`
    bool contains(std::int32_t id) const;
    std::size_t size() const { return m_used; } // distinct ids
    // Room for `count` distinct ids without growing.
    void reserve(std::size_t count);
    void clear();
    // The slot where the search for `id` starts, and the number of slots (tests place ids with these).
    std::size_t homeOf(std::int32_t id) const;
    std::size_t capacity() const { return m_slots.size(); }

private:
    struct Slot {
        std::int32_t id = 0; // 0: free
        std::int32_t count = 0;
    };
    std::size_t find(std::int32_t id) const; // the slot holding `id`, or the free slot where it would go
    void rehash(std::size_t capacity);

    std::vector<Slot> m_slots; // a power of two in size, at most half full
    std::size_t m_mask = 0;
    int m_shift = 64;
    std::size_t m_used = 0;
};

} // namespace lumivo::store
