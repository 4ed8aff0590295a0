// Only GetPicture is visible; the decoder and its copy of the memory layer stay private to the
// shared object.

#include "GetPicture.h"

#include "IfPng.h"

int32_t GetPicture(const char* fileName, int32_t offset, uint32_t flags, HLOCAL* info,
                   HLOCAL* bits, IfPngProgressProc /*progress*/, int32_t /*userValue*/) {
    return ifpng::decodeFile(fileName, offset, flags, info, bits);
}
