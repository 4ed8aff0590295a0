#include "platform/LocalMemory.h"

#include <cstdlib>
#include <cstring>
#include <new>

// Header in front of the caller's bytes. The magic lets a stale or foreign handle be refused
// instead of being written through; it is wiped on free.
struct OrvaneLocalBlock {
    uint64_t magic;
    size_t size;
    unsigned locks;
    alignas(std::max_align_t) unsigned char data[1];
};

namespace {

constexpr uint64_t kLiveMagic = 0x4f52564c4d454d31ull;  // "ORVLMEM1"

bool isLive(HLOCAL block) { return block != nullptr && block->magic == kLiveMagic; }

}  // namespace

HLOCAL localAlloc(uint32_t flags, size_t bytes) {
    if ((flags & ~(LMEM_MOVEABLE | LMEM_ZEROINIT)) != 0) return nullptr;
    const size_t header = offsetof(OrvaneLocalBlock, data);
    if (bytes > SIZE_MAX - header - 1) return nullptr;
    void* raw = (flags & LMEM_ZEROINIT) ? std::calloc(1, header + bytes + 1)
                                        : std::malloc(header + bytes + 1);
    if (raw == nullptr) return nullptr;
    HLOCAL block = static_cast<HLOCAL>(raw);
    block->magic = kLiveMagic;
    block->size = bytes;
    block->locks = 0;
    return block;
}

void* localLock(HLOCAL block) {
    if (!isLive(block)) return nullptr;
    ++block->locks;
    return block->data;
}

bool localUnlock(HLOCAL block) {
    if (!isLive(block) || block->locks == 0) return false;
    --block->locks;
    return block->locks > 0;
}

HLOCAL localFree(HLOCAL block) {
    if (block == nullptr) return nullptr;
    if (!isLive(block)) return block;
    block->magic = 0;
    std::free(block);
    return nullptr;
}

size_t localSize(HLOCAL block) { return isLive(block) ? block->size : 0; }

unsigned localLockCount(HLOCAL block) { return isLive(block) ? block->locks : 0; }
