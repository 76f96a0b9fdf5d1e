#pragma once
// Memory for the store's records, their index and their bytes: a store of 100,000 records makes that
// many small nodes and data blocks and drops them at close, so they come from size-classed free lists
// carved out of large chunks. Allocation and release cost a few instructions each. Larger blocks come
// from the heap, each one listed, so that release() can take back everything at once without anyone
// walking the records.
// Released chunks are kept for the records that come next, up to kKeptBytes: handing 40 MB back to the
// system costs some milliseconds, more than reading a large file's map. A large block that would fill
// at least half of a kept chunk nobody uses (the map of a file opened again) is lent that chunk, so that
// it needs no fresh memory either.
// Under AddressSanitizer every block comes from the heap, so that it checks each one's bounds.
// Single-threaded, like the store.

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <memory_resource>
#include <vector>

namespace lumivo::store
{

class RecordPool final : public std::pmr::memory_resource
{
public:
    RecordPool() = default;
    RecordPool(const RecordPool&) = delete;
    RecordPool& operator=(const RecordPool&) = delete;
    ~RecordPool() override;

    // Takes back every block at once, those still handed out too: only for when nothing refers to any
    // of them any more.
    void release();

private:
    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override
    {
        return this == &other;
    }

    static constexpr std::size_t kGrain = 16;    // every block is a multiple of this, and aligned to it
    static constexpr std::size_t kLargest = 512; // larger blocks come from the heap, listed
    static constexpr std::size_t kFirstChunk = 64 * 1024;
    static constexpr std::size_t kLargestChunk = 4 * 1024 * 1024;
    static constexpr std::size_t kKeptBytes = 64 * 1024 * 1024;
#if defined(__SANITIZE_ADDRESS__)
    static constexpr bool kEveryBlockFromHeap = true;
#elif defined(__has_feature)
    static constexpr bool kEveryBlockFromHeap = __has_feature(address_sanitizer);
#else
    static constexpr bool kEveryBlockFromHeap = false;
#endif

    struct FreeBlock {
        FreeBlock* next;
    };
    // Stands right in front of every large block: the list of them, doubly linked so that one block
    // leaves it in constant time, and what it takes to give the block back.
    struct alignas(kGrain) LargeBlock {
        LargeBlock* prev;
        LargeBlock* next;
        std::size_t alignment;
        bool inChunk; // lent a kept chunk, which goes back to the pool with it
    };
    static bool served(std::size_t bytes, std::size_t alignment)
    {
        return !kEveryBlockFromHeap && bytes <= kLargest && alignment <= kGrain;
    }
    static std::size_t classOf(std::size_t bytes)
    {
        return bytes ? (bytes - 1) / kGrain : 0;
    }
    static std::size_t largeAlignment(std::size_t alignment)
    {
        return std::max(alignment, kGrain);
    }
    // Keeps the block behind it aligned.
    static std::size_t largeHeaderSize(std::size_t alignment)
    {
        return std::max(sizeof(LargeBlock), largeAlignment(alignment));
    }
    static void freeLarge(LargeBlock* large);
    struct Chunk {
        std::unique_ptr<std::byte[]> bytes;
        std::size_t size = 0;
        bool lent = false;
    };
    void* carve(std::size_t size);
    void startNextChunk(std::size_t size);
    std::size_t spareChunkFor(std::size_t size) const;
    std::byte* lendChunk(std::size_t size, std::size_t alignment);
    void takeBackChunk(const std::byte* bytes);
    void keepChunksUpTo(std::size_t bytes);
    void* allocateLarge(std::size_t bytes, std::size_t alignment);
    void deallocateLarge(void* block, std::size_t bytes, std::size_t alignment);

    std::array<FreeBlock*, kLargest / kGrain> m_free{};
    std::vector<Chunk> m_chunks;
    std::size_t m_chunksStarted = 0; // carved from; the rest are kept from before the last release
    std::byte* m_cursor = nullptr;
    std::size_t m_left = 0;
    std::size_t m_nextChunk = kFirstChunk;
    LargeBlock* m_large = nullptr;
};

} // namespace lumivo::store
