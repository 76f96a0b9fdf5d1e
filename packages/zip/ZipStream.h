#pragma once
// The working state of the entry being written or read (private to the library's sources): the zlib
// stream, its counters, and the blocks zlib allocated through the archive, all freed when the entry
// closes, whatever zlib left behind.

#include "packages/zip/ZipArchive.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

struct CZipArchive::Stream {
    z_stream z{};
    bool deflating = false;
    bool inflating = false;
    bool dummyOffered = false;
    std::uint64_t uncomprLeft = 0; // reading: bytes still to deliver
    std::uint64_t comprLeft = 0;   // reading: compressed bytes still to read
    std::size_t pending = 0;       // writing: compressed bytes waiting in the working buffer
    std::uint32_t crc = 0;         // reading: CRC-32 of what was delivered
    std::uint64_t storedIn = 0;    // writing a stored entry: bytes taken
    std::vector<void*> blocks;

    Stream()
    {
        z.zalloc = &Stream::allocate;
        z.zfree = &Stream::release;
        z.opaque = this;
    }
    ~Stream() { End(); }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    void End()
    {
        if (deflating)
            deflateEnd(&z);
        if (inflating)
            inflateEnd(&z);
        deflating = inflating = false;
        FreeBlocks();
    }
    void FreeBlocks()
    {
        for (void* block : blocks)
            std::free(block);
        blocks.clear();
    }
    void Reset()
    {
        End();
        z.next_in = nullptr;
        z.avail_in = 0;
        z.next_out = nullptr;
        z.avail_out = 0;
        z.total_in = z.total_out = 0;
        dummyOffered = false;
        uncomprLeft = comprLeft = 0;
        pending = 0;
        crc = 0;
        storedIn = 0;
    }

    static voidpf allocate(voidpf opaque, uInt items, uInt size)
    {
        auto* self = static_cast<Stream*>(opaque);
        void* block = std::malloc(static_cast<std::size_t>(items) * size);
        if (block)
            self->blocks.push_back(block);
        return block;
    }
    static void release(voidpf opaque, voidpf address)
    {
        auto* self = static_cast<Stream*>(opaque);
        auto found = std::find(self->blocks.begin(), self->blocks.end(), address);
        if (found != self->blocks.end())
            self->blocks.erase(found);
        std::free(address);
    }
};
