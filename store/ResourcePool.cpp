#include "store/ResourcePool.h"

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
        if (!m_large->inChunk)
            freeLarge(m_large);
        m_large = next;
    }
    for (Chunk& chunk : m_chunks)
        chunk.lent = false;
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
    const auto next = m_chunks.begin() + static_cast<std::ptrdiff_t>(m_chunksStarted);
    const std::size_t spare = spareChunkFor(size);
    if (spare < m_chunks.size()) {
        std::swap(*next, m_chunks[spare]);
    } else {
        const std::size_t chunkSize = std::max(m_nextChunk, size);
        m_chunks.insert(next, Chunk{std::make_unique_for_overwrite<std::byte[]>(chunkSize), chunkSize});
        m_nextChunk = std::min(m_nextChunk * 2, kLargestChunk);
    }
    const Chunk& chunk = m_chunks[m_chunksStarted++];
    m_cursor = chunk.bytes.get();
    m_left = chunk.size;
}

// The smallest kept chunk that nobody uses and that holds `size` bytes, or none (the count of chunks).
std::size_t RecordPool::spareChunkFor(std::size_t size) const
{
    std::size_t best = m_chunks.size();
    for (std::size_t i = m_chunksStarted; i < m_chunks.size(); ++i) {
        const Chunk& chunk = m_chunks[i];
        if (!chunk.lent && chunk.size >= size &&
            (best == m_chunks.size() || chunk.size < m_chunks[best].size))
            best = i;
    }
    return best;
}

std::byte* RecordPool::lendChunk(std::size_t size, std::size_t alignment)
{
    if (alignment > kGrain) // a chunk is aligned no further
        return nullptr;
    const std::size_t spare = spareChunkFor(size);
    if (spare == m_chunks.size() || size < m_chunks[spare].size / 2)
        return nullptr;
    m_chunks[spare].lent = true;
    return m_chunks[spare].bytes.get();
}

void RecordPool::takeBackChunk(const std::byte* bytes)
{
    for (Chunk& chunk : m_chunks)
        if (chunk.bytes.get() == bytes)
            chunk.lent = false;
}

void* RecordPool::allocateLarge(std::size_t bytes, std::size_t alignment)
{
    const std::size_t header = largeHeaderSize(alignment);
    std::byte* raw = lendChunk(header + bytes, alignment);
    const bool inChunk = raw != nullptr;
    if (!inChunk)
        raw = static_cast<std::byte*>(
            ::operator new (header + bytes, std::align_val_t{largeAlignment(alignment)}));
    // The header sits right in front of the block, whatever the block's alignment.
    auto* large = new (raw + header - sizeof(LargeBlock)) LargeBlock{nullptr, m_large, alignment, inChunk};
    if (m_large)
        m_large->prev = large;
    m_large = large;
    return raw + header;
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
    if (large->inChunk)
        takeBackChunk(reinterpret_cast<std::byte*>(large) + sizeof(LargeBlock) -
                      largeHeaderSize(large->alignment));
    else
        freeLarge(large);
}

void RecordPool::freeLarge(LargeBlock* large)
{
    const std::size_t alignment = large->alignment;
    std::byte* raw = reinterpret_cast<std::byte*>(large) + sizeof(LargeBlock) - largeHeaderSize(alignment);
    ::operator delete (raw, std::align_val_t{largeAlignment(alignment)});
}

} // namespace lumivo::store
