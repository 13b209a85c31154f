#include "core/parse_arena.h"

#include <cstdlib>

namespace model_parse {

namespace {

// Slots of a new index; it doubles whenever it is half full, so that probe
// runs stay short.
const size_t kFirstIndexSlots = 64;

} // namespace

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

// FNV-1a over the name, mixed with the owner's address. Lookups only: the
// order of the slots never shows in what the parser produces.
uint32_t NameIndex::Hash(const void* owner, const char* name, size_t length)
{
    uint64_t h = 0xcbf29ce484222325ull ^ (reinterpret_cast<uintptr_t>(owner) >> 3);
    for (size_t i = 0; i < length; ++i)
        h = (h ^ static_cast<unsigned char>(name[i])) * 0x100000001b3ull;
    return static_cast<uint32_t>(h ^ (h >> 32));
}

// The slot holding the name, or the free slot where it belongs.
NameIndex::Slot* NameIndex::Probe(Slot* slots, size_t mask, uint32_t hash, const void* owner,
                                  const char* name, size_t length) const
{
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = slots[i];
        if (!slot.record)
            return &slot;
        if (slot.hash == hash && slot.owner == owner && slot.length == length &&
            std::memcmp(slot.name, name, length) == 0)
            return &slot;
    }
}

void* NameIndex::Find(const void* owner, const char* name, size_t length) const
{
    if (!slots_)
        return nullptr;
    return Probe(slots_, mask_, Hash(owner, name, length), owner, name, length)->record;
}

bool NameIndex::Put(const void* owner, const char* name, size_t length, void* record)
{
    if ((!slots_ || (count_ + 1) * 2 > mask_ + 1) && !Grow())
        return false;
    const uint32_t hash = Hash(owner, name, length);
    Slot* slot = Probe(slots_, mask_, hash, owner, name, length);
    if (!slot->record)
        ++count_;
    *slot = {owner, name, record, length, hash};
    return true;
}

// Twice the slots, in a fresh arena allocation; the old ones stay behind
// in the arena until it goes.
bool NameIndex::Grow()
{
    const size_t slotCount = slots_ ? (mask_ + 1) * 2 : kFirstIndexSlots;
    auto* slots = static_cast<Slot*>(arena_.Allocate(slotCount * sizeof(Slot)));
    if (!slots)
        return false;
    const size_t mask = slotCount - 1;
    for (size_t i = 0; slots_ && i <= mask_; ++i) {
        if (!slots_[i].record)
            continue;
        size_t at = slots_[i].hash & mask;   // every name is stored once: no compare
        while (slots[at].record)
            at = (at + 1) & mask;
        slots[at] = slots_[i];
    }
    slots_ = slots;
    mask_ = mask;
    return true;
}

} // namespace model_parse
