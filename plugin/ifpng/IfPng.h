#pragma once
// PNG decoding into the two blocks GetPicture hands back: a BITMAPINFO and the pixel rows.
// Plain C++ and libpng; no Qt, so the plug-in drags no toolkit into the host's process.

#include <cstdint>
#include <cstdio>

#include "platform/LocalMemory.h"

namespace ifpng {

// Return codes of GetPicture; 0 is success, anything else hands nothing back.
enum Result : int32_t {
    kOk = 0,
    kBadArguments = 1,  // null out-pointer, unsupported flags, negative offset
    kCannotRead = 2,    // missing file, not a regular file, read error
    kNotPng = 3,        // no PNG signature
    kBrokenData = 4,    // libpng refused the data: truncated, bad CRC, bad zlib stream, ...
    kTooLarge = 5,      // beyond kMaxDimension, kMaxOutputBytes or kMaxWorkingBytes
    kOutOfMemory = 6,
};

// Images wider or taller than this are refused before anything is allocated.
constexpr uint32_t kMaxDimension = 30000;
// Cap on the pixel rows handed back (32 bits a pixel): 400 MiB, about 100 megapixels.
constexpr uint64_t kMaxOutputBytes = 400ull * 1024 * 1024;
// Cap on what one ancillary chunk may inflate to (zTXt, iCCP, ...), and on how many of them
// are kept; beyond these libpng drops the chunk instead of growing.
constexpr uint32_t kMaxChunkBytes = 8u * 1024 * 1024;
constexpr uint32_t kMaxCachedChunks = 500;
// Cap on what libpng itself holds at any moment (chunk buffers, text, rows, zlib's state): a
// decode never takes more than kMaxOutputBytes + kMaxWorkingBytes. libpng allocates a chunk's
// declared length before reading it, so a few bytes declaring 2 GiB would otherwise cost that.
// A file past it is refused (kTooLarge) at the next read.
constexpr uint64_t kMaxWorkingBytes = 64ull * 1024 * 1024;

// The 40-byte header at the start of the info block, in the DIB layout (little-endian fields).
#pragma pack(push, 1)
struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(BitmapInfoHeader) == 40, "BITMAPINFOHEADER is 40 bytes");

// Output format: biBitCount 32, BI_RGB, bottom-up rows (biHeight > 0), each pixel the bytes
// B, G, R, A with straight (not premultiplied) alpha; 255 = opaque. Every PNG colour type,
// bit depth and interlace method ends up in this one format. The host composites alpha.

// Decodes a PNG read from `stream` (from its current position). On kOk *info and *bits hold
// new blocks owned by the caller; on any other result both are untouched and nothing leaks.
// `maxOutputBytes` lowers the output cap (the fuzzer keeps each run quick with it).
Result DecodeStream(FILE* stream, HLOCAL* info, HLOCAL* bits,
                    uint64_t maxOutputBytes = kMaxOutputBytes);

// The whole of GetPicture: `fileName` is raw bytes (no encoding assumed), `offset` the byte
// where the PNG starts, `flags` must be 0 (a file on disk).
Result decodeFile(const char* fileName, int32_t offset, uint32_t flags, HLOCAL* info,
                  HLOCAL* bits);

}  // namespace ifpng
