#include "core/ResourcePool.h"

#include <algorithm>

namespace lumivo::store
{

void* RecordPool::do_allocate(std::size_t bytes, std::size_t alignment)
{
    if (!served(bytes, alignment))
        return std::pmr::new_delete_resource()->allocate(bytes, alignment);
    const std::size_t sizeClass = classOf(bytes);
    if (FreeBlock* block = m_free[sizeClass]) {
        m_free[sizeClass] = block->next;
        return block;
    }
    return carve((sizeClass + 1) * kGrain);
}

void RecordPool::do_deallocate(void* block, std::size_t bytes, std::size_t alignment)
{
    if (!served(bytes, alignment)) {
        std::pmr::new_delete_resource()->deallocate(block, bytes, alignment);
        return;
    }
    const std::size_t sizeClass = classOf(bytes);
    m_free[sizeClass] = new (block) FreeBlock{m_free[sizeClass]};
}

void* RecordPool::carve(std::size_t size)
{
    if (m_left < size) {
        // The rest of the old chunk is too small for this class; it stays unused until the pool goes.
        const std::size_t chunkSize = std::max(m_nextChunk, size);
        m_chunks.push_back(std::make_unique_for_overwrite<std::byte[]>(chunkSize));
        m_cursor = m_chunks.back().get();
        m_left = chunkSize;
        m_nextChunk = std::min(m_nextChunk * 2, kLargestChunk);
    }
    void* block = m_cursor;
    m_cursor += size;
    m_left -= size;
    return block;
}

} // namespace lumivo::store
