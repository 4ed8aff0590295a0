// The handle-based blocks: lock counting, size, zero fill, and refusal of dead handles.

#include <gtest/gtest.h>

#include <cstring>

#include "LocalMemory.h"

TEST(LocalMemory, LockUnlockFreeAndSize) {
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, 4096);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(LocalSize(block), 4096u);

    auto* first = static_cast<unsigned char*>(LocalLock(block));
    ASSERT_NE(first, nullptr);
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(first[i], 0) << i;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % alignof(std::max_align_t), 0u);
    std::memset(first, 0xAB, 4096);

    // Nested locks see the same bytes; the block is unlocked only by the last unlock.
    EXPECT_EQ(LocalLock(block), first);
    EXPECT_EQ(LocalLockCount(block), 2u);
    EXPECT_TRUE(LocalUnlock(block));
    EXPECT_FALSE(LocalUnlock(block));
    EXPECT_FALSE(LocalUnlock(block));  // not locked: no underflow
    EXPECT_EQ(LocalLockCount(block), 0u);
    EXPECT_EQ(LocalFree(block), nullptr);
}

TEST(LocalMemory, EdgeSizesFlagsAndNullHandles) {
    HLOCAL empty = LocalAlloc(LMEM_FIXED, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(LocalSize(empty), 0u);
    EXPECT_NE(LocalLock(empty), nullptr);
    EXPECT_EQ(LocalFree(empty), nullptr);  // freeing a locked block is allowed

    EXPECT_EQ(LocalAlloc(LMEM_MOVEABLE, SIZE_MAX), nullptr);
    EXPECT_EQ(LocalAlloc(LMEM_MOVEABLE, SIZE_MAX - 8), nullptr);
    EXPECT_EQ(LocalAlloc(0x8000, 16), nullptr);  // unknown flag

    EXPECT_EQ(LocalLock(nullptr), nullptr);
    EXPECT_FALSE(LocalUnlock(nullptr));
    EXPECT_EQ(LocalFree(nullptr), nullptr);
    EXPECT_EQ(LocalSize(nullptr), 0u);

    // Something that is not a block is refused and left alone.
    alignas(16) unsigned char notABlock[64] = {};
    HLOCAL fake = reinterpret_cast<HLOCAL>(notABlock);
    EXPECT_EQ(LocalLock(fake), nullptr);
    EXPECT_EQ(LocalFree(fake), fake);
}
