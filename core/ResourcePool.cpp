#include "core/ResourcePool.h"

#include <algorithm>
#include <new>

namespace lumivo::store
{

RecordPool::~RecordPool()
{
    release();
}

void RecordPool::release()
{
    while (m_large) {
        LargeBlock* next = m_large->next;
        freeLarge(m_large);
        m_large = next;
    }
    m_free.fill(nullptr);
    keepChunksUpTo(kKeptBytes);
    m_chunksStarted = 0;
    m_cursor = nullptr;
    m_left = 0;
}

void RecordPool::keepChunksUpTo(std::size_t bytes)
{
    std::size_t kept = 0;
    std::size_t count = 0;
    while (count < m_chunks.size() && kept + m_chunks[count].size <= bytes)
        kept += m_chunks[count++].size;
    m_chunks.resize(count);
}

void* RecordPool::do_allocate(std::size_t bytes, std::size_t alignment)
{
    if (!served(bytes, alignment))
        return allocateLarge(bytes, alignment);
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
        deallocateLarge(block, bytes, alignment);
        return;
    }
    const std::size_t sizeClass = classOf(bytes);
    m_free[sizeClass] = new (block) FreeBlock{m_free[sizeClass]};
}

void* RecordPool::carve(std::size_t size)
{
    // The rest of the old chunk is too small for this class; it stays unused until the next release.
    if (m_left < size)
        startNextChunk(size);
    void* block = m_cursor;
    m_cursor += size;
    m_left -= size;
    return block;
}

void RecordPool::startNextChunk(std::size_t size)
{
    if (m_chunksStarted == m_chunks.size() || m_chunks[m_chunksStarted].size < size) {
        const std::size_t chunkSize = std::max(m_nextChunk, size);
        Chunk chunk{std::make_unique_for_overwrite<std::byte[]>(chunkSize), chunkSize};
        m_chunks.insert(m_chunks.begin() + static_cast<std::ptrdiff_t>(m_chunksStarted), std::move(chunk));
        m_nextChunk = std::min(m_nextChunk * 2, kLargestChunk);
    }
    const Chunk& chunk = m_chunks[m_chunksStarted++];
    m_cursor = chunk.bytes.get();
    m_left = chunk.size;
}

void* RecordPool::allocateLarge(std::size_t bytes, std::size_t alignment)
{
    const std::size_t header = largeHeaderSize(alignment);
    void* raw = ::operator new (header + bytes, std::align_val_t{largeAlignment(alignment)});
    // The header sits right in front of the block, whatever the block's alignment.
    auto* large = new (static_cast<std::byte*>(raw) + header - sizeof(LargeBlock))
        LargeBlock{nullptr, m_large, alignment};
    if (m_large)
        m_large->prev = large;
    m_large = large;
    return static_cast<std::byte*>(raw) + header;
}

void RecordPool::deallocateLarge(void* block, std::size_t, std::size_t)
{
    auto* large = reinterpret_cast<LargeBlock*>(static_cast<std::byte*>(block) - sizeof(LargeBlock));
    if (large->prev)
        large->prev->next = large->next;
    else
        m_large = large->next;
    if (large->next)
        large->next->prev = large->prev;
    freeLarge(large);
}

void RecordPool::freeLarge(LargeBlock* large)
{
    const std::size_t alignment = large->alignment;
    std::byte* raw = reinterpret_cast<std::byte*>(large) + sizeof(LargeBlock) - largeHeaderSize(alignment);
    ::operator delete (raw, std::align_val_t{largeAlignment(alignment)});
}

} // namespace lumivo::store
