#include "htmlview/ModelPool.h"

#include <new>

namespace vantoro {

namespace {

constexpr std::size_t kGranule = 16;
constexpr std::size_t kClasses = 32; // blocks up to 512 bytes
constexpr std::size_t kChunkBytes = 32 * 1024;

struct FreeBlock
{
    FreeBlock* next;
};

struct ThreadPool
{
    FreeBlock* free[kClasses] = {};
    ModelPoolUsage usage;

    void* take(std::size_t sizeClass)
    {
        FreeBlock* block = free[sizeClass];
        if (!block)
            block = refill(sizeClass);
        free[sizeClass] = block->next;
        usage.liveBytes += (sizeClass + 1) * kGranule;
        return block;
    }

    void give(void* p, std::size_t sizeClass)
    {
        auto* block = static_cast<FreeBlock*>(p);
        block->next = free[sizeClass];
        free[sizeClass] = block;
        usage.liveBytes -= (sizeClass + 1) * kGranule;
    }

    // Carves a fresh chunk into blocks of the class, linked in address order.
    FreeBlock* refill(std::size_t sizeClass)
    {
        const std::size_t blockBytes = (sizeClass + 1) * kGranule;
        const std::size_t count = kChunkBytes / blockBytes;
        auto* chunk = static_cast<char*>(::operator new(count* blockBytes));
        usage.chunkBytes += count * blockBytes;
        FreeBlock* head = nullptr;
        for (std::size_t i = count; i-- > 0;) {
            auto* block = reinterpret_cast<FreeBlock*>(chunk + i * blockBytes);
            block->next = head;
            head = block;
        }
        free[sizeClass] = head;
        return head;
    }
};

thread_local ThreadPool t_pool;

} // namespace

ModelPoolUsage modelPoolUsage()
{
    return t_pool.usage;
}

void* modelAllocate(std::size_t size)
{
    if (size == 0 || size > kClasses * kGranule)
        return ::operator new(size);
    return t_pool.take((size - 1) / kGranule);
}

void modelFree(void* block, std::size_t size) noexcept
{
    if (!block)
        return;
    if (size == 0 || size > kClasses * kGranule) {
        ::operator delete(block);
        return;
    }
    t_pool.give(block, (size - 1) / kGranule);
}

} // namespace vantoro
