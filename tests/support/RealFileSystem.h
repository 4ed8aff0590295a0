#pragma once
#include "platform/FileSystem.h"

// The real file system, for tests that read real folders.
inline FileSystem& realFileSystem() {
    static PosixFileSystem fs;
    return fs;
}
