#pragma once

#include <cstddef>

namespace vantoro {

// Storage for the small objects a document is built from (sections and font runs): a parse
// creates tens of thousands of them and frees them all together, which a general allocator
// handles poorly. Blocks come in size classes from chunks that each thread keeps for reuse;
// a block freed on another thread simply joins that thread's free blocks. The chunks stay
// with the program, so memory in use settles at the largest document loaded.
//
// Larger requests go to the general allocator. `size` in modelFree must be the size asked
// for in modelAllocate (class-specific sized delete passes it).
void* modelAllocate(std::size_t size);
void modelFree(void* block, std::size_t size) noexcept;

// What the calling thread's pool holds: bytes in blocks handed out and not yet freed, and bytes
// taken from the general allocator for chunks. For measuring what a document holds.
struct ModelPoolUsage
{
    std::size_t liveBytes = 0;
    std::size_t chunkBytes = 0;
};
ModelPoolUsage modelPoolUsage();

// Routes a class's dynamic allocation through the pool.
#define VANTORO_MODEL_POOLED                                                                       \
    static void* operator new(std::size_t size)                                                    \
    {                                                                                              \
        return ::vantoro::modelAllocate(size);                                                     \
    }                                                                                              \
    static void operator delete(void* block, std::size_t size) noexcept                            \
    {                                                                                              \
        ::vantoro::modelFree(block, size);                                                         \
    }

} // namespace vantoro
