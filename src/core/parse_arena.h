// Memory for everything the parser builds before the image is written:
// 4096-byte blocks, freed in one go when the arena goes. The indexes that
// find features and options by name live in the same blocks.
#pragma once

#include <cstddef>
#include <cstdint>
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

// Records by name, optionally within an owner (the options of one feature
// share their feature as owner), found in constant time however many there
// are. The index keeps pointers to the names, which must live as long as it
// does (arena copies or the description's text).
class NameIndex {
public:
    explicit NameIndex(Arena& arena) : arena_(arena) {}
    NameIndex(const NameIndex&) = delete;
    NameIndex& operator=(const NameIndex&) = delete;

    // The record stored under the name, or null.
    void* Find(const void* owner, const char* name, size_t length) const;

    // Stores the record under the name, replacing one stored before; false
    // when memory runs out.
    bool Put(const void* owner, const char* name, size_t length, void* record);

private:
    struct Slot {
        const void* owner;
        const char* name;
        void* record;        // null: the slot is free
        size_t length;
        uint32_t hash;
    };

    static uint32_t Hash(const void* owner, const char* name, size_t length);
    Slot* Probe(Slot* slots, size_t mask, uint32_t hash, const void* owner, const char* name,
                size_t length) const;
    bool Grow();

    Arena& arena_;
    Slot* slots_ = nullptr;
    size_t mask_ = 0;    // slot count - 1; the count is a power of two
    size_t count_ = 0;
};

} // namespace model_parse
