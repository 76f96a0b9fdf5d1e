#pragma once
// Memory for the store's records and its index: a store of 100,000 records makes that many small
// nodes as they are first touched and drops them at close, so they come from size-classed free lists
// carved out of large chunks. Allocation and release cost a few instructions each; the chunks go back when
// the pool goes. Single-threaded, like the store.

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
    ~RecordPool() override = default;

private:
    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override
    {
        return this == &other;
    }

    static constexpr std::size_t kGrain = 16;    // every block is a multiple of this, and aligned to it
    static constexpr std::size_t kLargest = 512; // larger blocks (hash buckets) come from the heap
    static constexpr std::size_t kFirstChunk = 64 * 1024;
    static constexpr std::size_t kLargestChunk = 1024 * 1024;

    struct FreeBlock {
        FreeBlock* next;
    };
    static bool served(std::size_t bytes, std::size_t alignment)
    {
        return bytes <= kLargest && alignment <= kGrain;
    }
    static std::size_t classOf(std::size_t bytes) { return bytes ? (bytes - 1) / kGrain : 0; }
    void* carve(std::size_t size);

    std::array<FreeBlock*, kLargest / kGrain> m_free{};
    std::vector<std::unique_ptr<std::byte[]>> m_chunks;
    std::byte* m_cursor = nullptr;
    std::size_t m_left = 0;
    std::size_t m_nextChunk = kFirstChunk;
};

} // namespace lumivo::store
