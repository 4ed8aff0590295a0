#pragma once
// Runs the decoder on bytes in memory and reads its blocks back as top-down 0xAARRGGBB pixels.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "IfPng.h"
#include "PngWriter.h"

struct Decoded {
    ifpng::Result result = ifpng::kOk;
    ifpng::BitmapInfoHeader header{};
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels;  // top-down, 0xAARRGGBB
    bool handedBackOnFailure = false;

    uint32_t at(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }
};

// Sentinel the decoder must leave in place when it fails.
inline HLOCAL Untouched() { return reinterpret_cast<HLOCAL>(uintptr_t{0x5a5a}); }

// Unpacks (and frees) a pair of blocks from a successful decode.
inline void ReadBlocks(HLOCAL info, HLOCAL bits, Decoded* out) {
    std::memcpy(&out->header, localLock(info), sizeof out->header);
    out->width = static_cast<uint32_t>(out->header.biWidth);
    out->height = static_cast<uint32_t>(out->header.biHeight);
    const auto* rows = static_cast<const unsigned char*>(localLock(bits));
    if (localSize(bits) == size_t(out->width) * out->height * 4) {
        for (uint32_t y = 0; y < out->height; ++y) {
            const unsigned char* p = rows + size_t(out->height - 1 - y) * out->width * 4;
            for (uint32_t x = 0; x < out->width; ++x, p += 4) {
                out->pixels.push_back(uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 |
                                      uint32_t(p[1]) << 8 | p[0]);
            }
        }
    }
    localUnlock(info);
    localUnlock(bits);
    localFree(info);
    localFree(bits);
}

inline Decoded DecodeBytes(const pngwriter::Bytes& bytes,
                           uint64_t cap = ifpng::kMaxOutputBytes) {
    Decoded out;
    // fmemopen refuses an empty buffer: empty files are tested through decodeFile.
    std::vector<unsigned char> copy = bytes;
    FILE* stream = fmemopen(copy.data(), copy.size(), "rb");
    if (stream == nullptr) {
        out.result = ifpng::kCannotRead;
        return out;
    }
    HLOCAL info = Untouched();
    HLOCAL bits = Untouched();
    out.result = ifpng::DecodeStream(stream, &info, &bits, cap);
    std::fclose(stream);
    if (out.result != ifpng::kOk) {
        out.handedBackOnFailure = info != Untouched() || bits != Untouched();
        return out;
    }
    ReadBlocks(info, bits, &out);
    return out;
}
