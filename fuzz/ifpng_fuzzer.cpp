// Feeds arbitrary bytes to the plug-in's decoder as GetPicture reads a file: through a FILE*
// stream, from the signature check to the two blocks. Anything but a clean non-zero result or
// a well-formed pair of blocks is a finding (the sanitizers report the rest).

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "GetPicture.h"
#include "IfPng.h"

// libpng's messages as extra coverage: each distinct message, and each pair of consecutive
// ones, counts as a feature, so inputs that reach new checks inside libpng are kept.
__attribute__((used, section("__libfuzzer_extra_counters"))) static uint8_t gMessageCounters[1 << 14];
static uint32_t gPreviousMessage = 0;

extern "C" void orvane_ifpng_trace(const char* message) {
    // "abcd: CRC error": the chunk name comes from the input; hashing it would make every
    // random name a new feature.
    if (std::strlen(message) > 6 && message[4] == ':' && message[5] == ' ') message += 6;
    uint32_t hash = 2166136261u;
    for (const char* p = message; *p != '\0'; ++p) hash = (hash ^ uint8_t(*p)) * 16777619u;
    gMessageCounters[hash % (sizeof gMessageCounters / 2)] = 1;
    gMessageCounters[sizeof gMessageCounters / 2 + (hash ^ gPreviousMessage * 31u) % (sizeof gMessageCounters / 2)] = 1;
    gPreviousMessage = hash;
}

// Keeps each run quick; the limits themselves are tested in tests/plugin.
static constexpr uint64_t kFuzzOutputCap = 16u * 1024 * 1024;

// One input in 16 (chosen by its bytes, so a finding replays) also goes through the export itself, as a file: it must give the same
// result as the stream route. Inputs past the fuzzer's lowered cap are skipped: the export
// would decode them in full.
static void CheckExportAgrees(const uint8_t* data, size_t size, ifpng::Result expected) {
    uint32_t pick = uint32_t(size);
    for (size_t i = 0; i < size && i < 64; ++i) pick = pick * 31u + data[i];
    if (expected == ifpng::kTooLarge || pick % 16 != 0) return;
    const int fd = memfd_create("ifpng-fuzz", MFD_CLOEXEC);
    if (fd < 0) return;
    if (::write(fd, data, size) == ssize_t(size)) {
        char name[64];
        std::snprintf(name, sizeof name, "/proc/self/fd/%d", fd);
        HLOCAL info = nullptr;
        HLOCAL bits = nullptr;
        const int32_t result = GetPicture(name, 0, 0, &info, &bits, nullptr, 0);
        if (result == ifpng::kOk) {
            localFree(info);
            localFree(bits);
        } else if (info != nullptr || bits != nullptr) {
            std::abort();
        }
        if (result != expected) std::abort();
    }
    ::close(fd);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gPreviousMessage = 0;
    if (size == 0) return 0;  // fmemopen refuses an empty buffer
    FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (stream == nullptr) return 0;
    HLOCAL info = nullptr;
    HLOCAL bits = nullptr;
    const ifpng::Result result = ifpng::DecodeStream(stream, &info, &bits, kFuzzOutputCap);
    std::fclose(stream);
    CheckExportAgrees(data, size, result);
    if (result != ifpng::kOk) {
        if (info != nullptr || bits != nullptr) std::abort();  // failure handed something back
        return 0;
    }
    // Read the header and touch every byte of the rows, as the host does.
    ifpng::BitmapInfoHeader header;
    if (localSize(info) < sizeof header) std::abort();
    std::memcpy(&header, localLock(info), sizeof header);
    const uint64_t rowBytes = uint64_t(header.biWidth) * 4;
    if (header.biWidth <= 0 || header.biHeight <= 0 || header.biBitCount != 32 ||
        rowBytes * uint64_t(header.biHeight) != localSize(bits)) {
        std::abort();
    }
    const auto* pixels = static_cast<const unsigned char*>(localLock(bits));
    unsigned sum = 0;
    for (size_t i = 0; i < localSize(bits); ++i) sum += pixels[i];
    localUnlock(info);
    localUnlock(bits);
    if (localFree(info) != nullptr || localFree(bits) != nullptr) std::abort();
    return sum == 0xFFFFFFFFu;  // keeps the read from being optimised away
}
