// Memory for everything the parser builds before the image is written:
// 4096-byte blocks, freed in one go when the arena goes.
#pragma once

#include <cstddef>
#include <cstring>

namespace model_parse {

const size_t kArenaBlockSize = 4096;

struct ArenaBlock {
    ArenaBlock* next;
    size_t used;
    size_t capacity;
};
const size_t kArenaUsable = kArenaBlockSize - sizeof(ArenaBlock);
static_assert(kArenaUsable == 4072, "arena block layout");

class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    ~Arena();

    // Zero-filled, 8-byte aligned; null when memory runs out.
    void* Allocate(size_t size);

    template <typename T>
    T* New()
    {
        return static_cast<T*>(Allocate(sizeof(T)));
    }

    // A terminated copy of length characters of text; null when memory runs out.
    char* Copy(const char* text, size_t length)
    {
        char* copy = static_cast<char*>(Allocate(length + 1));
        if (copy)
            std::memcpy(copy, text, length);
        return copy;
    }

private:
    static void* Take(ArenaBlock* block, size_t size);

    ArenaBlock* head_ = nullptr;
};

} // namespace model_parse
