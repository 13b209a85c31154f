// size bytes that end where an inaccessible page begins, so that a stray
// read or write past them crashes the test instead of passing silently.
#pragma once

#include <windows.h>

#include <memory>
#include <new>

inline std::shared_ptr<BYTE> GuardedBytes(size_t size)
{
    const size_t page = 4096, span = (size + 2 * page - 1) / page * page;
    auto* base = static_cast<BYTE*>(VirtualAlloc(nullptr, span, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old;
    if (!base || !VirtualProtect(base + span - page, page, PAGE_NOACCESS, &old))
        throw std::bad_alloc();
    return {base + span - page - size, [base](BYTE*) { VirtualFree(base, 0, MEM_RELEASE); }};
}
