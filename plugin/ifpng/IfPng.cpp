#include "IfPng.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstddef>
#include <cstdlib>
#include <cstring>

// libpng is not built with the fuzzer's instrumentation; this hook shows the fuzzer which of
// libpng's checks an input reached. Nothing defines it outside the fuzzer, so it is null here.
extern "C" __attribute__((weak, visibility("hidden"))) void orvane_ifpng_trace(const char* message);

namespace ifpng {
namespace {

void Trace(const char* message) {
    if (orvane_ifpng_trace != nullptr && message != nullptr) orvane_ifpng_trace(message);
}

// Everything a decode owns. It lives in DecodeStream's frame, outside the function that calls
// setjmp, so a longjmp never leaves it in an indeterminate state.
struct Decode {
    FILE* stream = nullptr;
    png_structp png = nullptr;
    png_infop pngInfo = nullptr;
    HLOCAL infoBlock = nullptr;
    HLOCAL bitsBlock = nullptr;
    png_bytep* rows = nullptr;
    uint64_t maxOutputBytes = kMaxOutputBytes;
    Result failure = kBrokenData;  // what a longjmp out of libpng reports
    uint64_t workingBytes = 0;     // held by libpng now
    bool overBudget = false;       // libpng asked for more than kMaxWorkingBytes
};

// libpng's allocations, counted against kMaxWorkingBytes. Each block carries its size in front.
constexpr size_t kBlockHeader = alignof(std::max_align_t);

png_voidp Allocate(png_structp png, png_alloc_size_t size) {
    Decode* d = static_cast<Decode*>(png_get_mem_ptr(png));
    if (size > kMaxWorkingBytes - d->workingBytes) {
        // Refused quietly: libpng copes with a null block (an error or a dropped chunk), and
        // the next read stops the decode. Raising the error here could leak what a caller
        // inside libpng holds.
        d->overBudget = true;
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(std::malloc(kBlockHeader + size));
    if (block == nullptr) return nullptr;
    std::memcpy(block, &size, sizeof size);
    d->workingBytes += size;
    return block + kBlockHeader;
}

void Release(png_structp png, png_voidp pointer) {
    if (pointer == nullptr) return;
    Decode* d = static_cast<Decode*>(png_get_mem_ptr(png));
    unsigned char* block = static_cast<unsigned char*>(pointer) - kBlockHeader;
    png_alloc_size_t size;
    std::memcpy(&size, block, sizeof size);
    d->workingBytes -= size;
    std::free(block);
}

void ReadData(png_structp png, png_bytep out, size_t length) {
    Decode* d = static_cast<Decode*>(png_get_io_ptr(png));
    // libpng reads at points where it holds nothing of its own, so an error here leaks nothing.
    if (d->overBudget) png_error(png, "working memory limit exceeded");
    if (std::fread(out, 1, length, d->stream) != length) png_error(png, "unexpected end of file");
}

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    Trace(message);
    png_longjmp(png, 1);
}

// Warnings are silent; the one that matters is IHDR exceeding the size limit, which is
// followed by an error that should read "too large" rather than "broken".
void OnWarning(png_structp png, png_const_charp message) {
    Trace(message);
    if (message != nullptr && std::strstr(message, "exceeds user limit") != nullptr) {
        static_cast<Decode*>(png_get_error_ptr(png))->failure = kTooLarge;
    }
}

Result Run(Decode* d) {
    if (setjmp(png_jmpbuf(d->png))) return d->overBudget ? kTooLarge : d->failure;

    png_structp png = d->png;
    png_infop pngInfo = d->pngInfo;
    png_set_read_fn(png, d, ReadData);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, kMaxDimension, kMaxDimension);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
#ifdef ORVANE_FUZZING
    // Mutated chunks almost never keep a valid CRC or Adler-32; without this the fuzzer would
    // stop at the checksums and never reach the decoding behind them.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif

    png_read_info(png, pngInfo);
    if (d->overBudget) return kTooLarge;
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0;
    png_get_IHDR(png, pngInfo, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
    if (width == 0 || height == 0) return kBrokenData;
    if (width > kMaxDimension || height > kMaxDimension) return kTooLarge;
    const uint64_t stride = uint64_t{width} * 4;
    const uint64_t total = stride * height;
    if (total > d->maxOutputBytes || total > kMaxOutputBytes) return kTooLarge;

    // Every colour type, depth and interlace method to 8-bit B, G, R, A.
    const bool hasAlpha =
        (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, pngInfo, PNG_INFO_tRNS) != 0;
    png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
    if (depth == 16) png_set_scale_16(png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
    if (!hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, pngInfo);
    if (png_get_bit_depth(png, pngInfo) != 8 || png_get_channels(png, pngInfo) != 4 ||
        png_get_rowbytes(png, pngInfo) != stride) {
        return kBrokenData;
    }

    d->infoBlock = localAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BitmapInfoHeader));
    d->bitsBlock = localAlloc(LMEM_MOVEABLE, static_cast<size_t>(total));
    d->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (d->infoBlock == nullptr || d->bitsBlock == nullptr || d->rows == nullptr) {
        return kOutOfMemory;
    }

    // Bottom-up: the image's first row is the block's last.
    auto* pixels = static_cast<unsigned char*>(localLock(d->bitsBlock));
    for (png_uint_32 y = 0; y < height; ++y) {
        d->rows[y] = pixels + (uint64_t{height} - 1 - y) * stride;
    }
    png_read_image(png, d->rows);
    // Reading up to IEND turns a file cut after its image data into an error too.
    png_read_end(png, nullptr);
    localUnlock(d->bitsBlock);
    if (d->overBudget) return kTooLarge;

    BitmapInfoHeader header{};
    header.biSize = sizeof(BitmapInfoHeader);
    header.biWidth = static_cast<int32_t>(width);
    header.biHeight = static_cast<int32_t>(height);
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = 0;  // BI_RGB
    header.biSizeImage = static_cast<uint32_t>(total);
    std::memcpy(localLock(d->infoBlock), &header, sizeof header);
    localUnlock(d->infoBlock);
    return kOk;
}

}  // namespace

Result DecodeStream(FILE* stream, HLOCAL* info, HLOCAL* bits, uint64_t maxOutputBytes) {
    if (stream == nullptr || info == nullptr || bits == nullptr) return kBadArguments;
    unsigned char signature[8];
    if (std::fread(signature, 1, sizeof signature, stream) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0) {
        return kNotPng;
    }

    Decode d;
    d.stream = stream;
    d.maxOutputBytes = maxOutputBytes;
    d.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &d, OnError, OnWarning, &d, Allocate,
                                     Release);
    if (d.png == nullptr) return kOutOfMemory;
    d.pngInfo = png_create_info_struct(d.png);
    Result result = d.pngInfo != nullptr ? Run(&d) : kOutOfMemory;
    png_destroy_read_struct(&d.png, d.pngInfo != nullptr ? &d.pngInfo : nullptr, nullptr);
    std::free(d.rows);
    if (result != kOk) {
        localFree(d.infoBlock);
        localFree(d.bitsBlock);
        return result;
    }
    *info = d.infoBlock;
    *bits = d.bitsBlock;
    return kOk;
}

Result decodeFile(const char* fileName, int32_t offset, uint32_t flags, HLOCAL* info,
                  HLOCAL* bits) {
    if (fileName == nullptr || info == nullptr || bits == nullptr) return kBadArguments;
    if (flags != 0 || offset < 0) return kBadArguments;
    // Non-blocking open so that a FIFO never hangs the host; only regular files are decoded.
    const int fd = open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return kCannotRead;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        (offset > 0 && lseek(fd, offset, SEEK_SET) != offset)) {
        ::close(fd);
        return kCannotRead;
    }
    FILE* stream = fdopen(fd, "rb");
    if (stream == nullptr) {
        ::close(fd);
        return kCannotRead;
    }
    const Result result = DecodeStream(stream, info, bits);
    std::fclose(stream);
    return result;
}

}  // namespace ifpng
