// The plug-in's one export. Only this symbol is visible; the decoder and its copy of the
// memory layer stay private to the shared object.

#include "IfPng.h"

extern "C" {

// Progress callback of the call site; Orvane passes none and the plug-in never calls one.
typedef int32_t (*IfPngProgressProc)(int32_t done, int32_t total, int32_t userValue);

__attribute__((visibility("default"))) int32_t GetPicture(const char* fileName, int32_t offset,
                                                          uint32_t flags, HLOCAL* info,
                                                          HLOCAL* bits,
                                                          IfPngProgressProc /*progress*/,
                                                          int32_t /*userValue*/) {
    return ifpng::DecodeFile(fileName, offset, flags, info, bits);
}

}  // extern "C"
