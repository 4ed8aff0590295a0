// The handle-based blocks: lock counting, size, zero fill, and refusal of dead handles.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/LocalMemory.h"

TEST(LocalMemory, LockUnlockFreeAndSize) {
    HLOCAL block = localAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, 4096);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(localSize(block), 4096u);

    auto* first = static_cast<unsigned char*>(localLock(block));
    ASSERT_NE(first, nullptr);
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(first[i], 0) << i;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % alignof(std::max_align_t), 0u);
    std::memset(first, 0xAB, 4096);

    // Nested locks see the same bytes; the block is unlocked only by the last unlock.
    EXPECT_EQ(localLock(block), first);
    EXPECT_EQ(localLockCount(block), 2u);
    EXPECT_TRUE(localUnlock(block));
    EXPECT_FALSE(localUnlock(block));
    EXPECT_FALSE(localUnlock(block));  // not locked: no underflow
    EXPECT_EQ(localLockCount(block), 0u);
    EXPECT_EQ(localFree(block), nullptr);
}

TEST(LocalMemory, EdgeSizesFlagsAndNullHandles) {
    HLOCAL empty = localAlloc(LMEM_FIXED, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(localSize(empty), 0u);
    EXPECT_NE(localLock(empty), nullptr);
    EXPECT_EQ(localFree(empty), nullptr);  // freeing a locked block is allowed

    EXPECT_EQ(localAlloc(LMEM_MOVEABLE, SIZE_MAX), nullptr);
    EXPECT_EQ(localAlloc(LMEM_MOVEABLE, SIZE_MAX - 8), nullptr);
    EXPECT_EQ(localAlloc(0x8000, 16), nullptr);  // unknown flag

    EXPECT_EQ(localLock(nullptr), nullptr);
    EXPECT_FALSE(localUnlock(nullptr));
    EXPECT_EQ(localFree(nullptr), nullptr);
    EXPECT_EQ(localSize(nullptr), 0u);

    // Something that is not a block is refused and left alone.
    alignas(16) unsigned char notABlock[64] = {};
    HLOCAL fake = reinterpret_cast<HLOCAL>(notABlock);
    EXPECT_EQ(localLock(fake), nullptr);
    EXPECT_EQ(localFree(fake), fake);
}
