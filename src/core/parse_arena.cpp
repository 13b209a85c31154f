#include "core/parse_arena.h"

#include <cstdlib>

namespace model_parse {

Arena::~Arena()
{
    while (head_) {
        ArenaBlock* next = head_->next;
        std::free(head_);
        head_ = next;
    }
}

void* Arena::Allocate(size_t size)
{
    size = (size + 7) & ~size_t(7);
    if (head_ && head_->capacity - head_->used >= size)
        return Take(head_, size);
    size_t capacity = size > kArenaUsable ? size : kArenaUsable;
    auto* block = static_cast<ArenaBlock*>(std::malloc(sizeof(ArenaBlock) + capacity));
    if (!block)
        return nullptr;
    block->capacity = capacity;
    block->used = 0;
    if (head_ && capacity > kArenaUsable) {
        // An oversized request gets a block of its own behind the current
        // one, so the room left in the current block stays usable.
        block->next = head_->next;
        head_->next = block;
    } else {
        block->next = head_;
        head_ = block;
    }
    return Take(block, size);
}

void* Arena::Take(ArenaBlock* block, size_t size)
{
    void* result = reinterpret_cast<unsigned char*>(block + 1) + block->used;
    block->used += size;
    std::memset(result, 0, size);
    return result;
}

} // namespace model_parse
