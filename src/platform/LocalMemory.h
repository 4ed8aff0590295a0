#pragma once
// Handle-based memory blocks, the currency between Orvane and the PNG decoder plug-in.
//
// The plug-in is a separate shared object that compiles its own copy of these functions. A
// handle is a pointer to a malloc'ed block that carries its own size and lock count, so there is
// no registry anywhere: a block allocated by one copy can be locked, unlocked and freed by the
// other, as long as both use the process's one C library allocator. Nothing here uses Qt.

#include <cstddef>
#include <cstdint>

struct OrvaneLocalBlock;
typedef OrvaneLocalBlock* HLOCAL;

enum : uint32_t {
    LMEM_FIXED = 0x0000,
    LMEM_MOVEABLE = 0x0002,  // accepted; blocks never actually move
    LMEM_ZEROINIT = 0x0040,
};

// A block of `bytes` bytes (0 allowed), zero-filled with LMEM_ZEROINIT; nullptr when memory is
// short or an unknown flag is given.
HLOCAL localAlloc(uint32_t flags, size_t bytes);

// Pointer to the block's data and one more lock; nullptr for a null or foreign handle.
void* localLock(HLOCAL block);

// One lock less. True while the block is still locked, false when it is now unlocked (or the
// handle is not a block).
bool localUnlock(HLOCAL block);

// Releases the block, locked or not. nullptr on success; the handle itself when it is not a
// live block (nothing is freed then). A null handle is a no-op returning nullptr.
HLOCAL localFree(HLOCAL block);

// Size the block was allocated with; 0 for a null or foreign handle.
size_t localSize(HLOCAL block);

// Current lock count, for tests and assertions.
unsigned localLockCount(HLOCAL block);
