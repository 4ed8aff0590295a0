#pragma once
// The plug-in's one export, with the seven arguments of its call site: a NUL-terminated file
// name (raw bytes), the offset of the PNG in the file (0), flags (0: a file on disk), the two
// out-handles, a progress callback (null) and its user value. 0 is success; on any other
// result nothing is handed back.

#include <cstdint>

#include "platform/LocalMemory.h"

extern "C" {

// Progress callback of the call site; Orvane passes none and the plug-in never calls one.
typedef int32_t (*IfPngProgressProc)(int32_t done, int32_t total, int32_t userValue);

__attribute__((visibility("default"))) int32_t GetPicture(const char* fileName, int32_t offset,
                                                          uint32_t flags, HLOCAL* info,
                                                          HLOCAL* bits, IfPngProgressProc progress,
                                                          int32_t userValue);
}
