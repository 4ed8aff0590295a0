// Feeds arbitrary bytes to the plug-in's decoder as GetPicture reads a file: through a FILE*
// stream, from the signature check to the two blocks. Anything but a clean non-zero result or
// a well-formed pair of blocks is a finding (the sanitizers report the rest).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "IfPng.h"

// Keeps each run quick; the limits themselves are tested in tests/plugin.
static constexpr uint64_t kFuzzOutputCap = 16u * 1024 * 1024;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;  // fmemopen refuses an empty buffer
    FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (stream == nullptr) return 0;
    HLOCAL info = nullptr;
    HLOCAL bits = nullptr;
    const ifpng::Result result = ifpng::DecodeStream(stream, &info, &bits, kFuzzOutputCap);
    std::fclose(stream);
    if (result != ifpng::kOk) {
        if (info != nullptr || bits != nullptr) std::abort();  // failure handed something back
        return 0;
    }
    // Read the header and touch every byte of the rows, as the host does.
    ifpng::BitmapInfoHeader header;
    if (LocalSize(info) < sizeof header) std::abort();
    std::memcpy(&header, LocalLock(info), sizeof header);
    const uint64_t rowBytes = uint64_t(header.biWidth) * 4;
    if (header.biWidth <= 0 || header.biHeight <= 0 || header.biBitCount != 32 ||
        rowBytes * uint64_t(header.biHeight) != LocalSize(bits)) {
        std::abort();
    }
    const auto* pixels = static_cast<const unsigned char*>(LocalLock(bits));
    unsigned sum = 0;
    for (size_t i = 0; i < LocalSize(bits); ++i) sum += pixels[i];
    LocalUnlock(info);
    LocalUnlock(bits);
    if (LocalFree(info) != nullptr || LocalFree(bits) != nullptr) std::abort();
    return sum == 0xFFFFFFFFu;  // keeps the read from being optimised away
}
