#include "view/PngPlugin.h"

#include <QFile>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <limits>
#include <mutex>

#include "platform/FileSystem.h"
#include "platform/LocalMemory.h"
#include "view/PictureFile.h"

namespace PngPlugin {
namespace {

// The plug-in's export, as its call site passes it.
typedef int32_t (*ProgressProc)(int32_t done, int32_t total, int32_t userValue);
typedef int32_t (*GetPictureProc)(const char* fileName, int32_t offset, uint32_t flags,
                                  HLOCAL* info, HLOCAL* bits, ProgressProc progress,
                                  int32_t userValue);

// The fields this side reads of the 40-byte BITMAPINFOHEADER (little-endian, unaligned).
struct DibHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
};

template <typename T>
T readField(const unsigned char* p, size_t offset) {
    T value;
    std::memcpy(&value, p + offset, sizeof value);
    return value;
}

GetPictureProc loadPlugin() {
    // Decoding ahead may call from a worker thread while the window thread does too.
    static std::mutex mutex;
    static GetPictureProc proc = nullptr;
    std::lock_guard<std::mutex> lock(mutex);
    if (proc != nullptr) return proc;
    // dlopen opens whatever has the name, and a named pipe there would block it for ever: only
    // a regular file (or a link to one) is loaded.
    const int checked = PictureFile::openRegular(QString::fromLatin1(kPluginPath));
    if (checked < 0) return nullptr;
    ::close(checked);
    // Never unloaded: the program decodes PNG files for as long as it runs.
    void* library = dlopen(kPluginPath, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    proc = reinterpret_cast<GetPictureProc>(dlsym(library, "GetPicture"));
    if (proc == nullptr) dlclose(library);
    return proc;
}

inline int blend(int channel, int background, int alpha) {
    return (channel * alpha + background * (255 - alpha) + 127) / 255;
}

}  // namespace

PngLoadResult imageFromDib(const void* info, size_t infoSize, const void* bits, size_t bitsSize,
                           QImage* out) {
    if (info == nullptr || bits == nullptr || infoSize < 40) return PngLoadResult::BadBlocks;
    const auto* raw = static_cast<const unsigned char*>(info);
    DibHeader h;
    h.size = readField<uint32_t>(raw, 0);
    h.width = readField<int32_t>(raw, 4);
    h.height = readField<int32_t>(raw, 8);
    h.planes = readField<uint16_t>(raw, 12);
    h.bitCount = readField<uint16_t>(raw, 14);
    h.compression = readField<uint32_t>(raw, 16);
    if (h.size < 40 || h.size > infoSize) return PngLoadResult::BadBlocks;
    if (h.width <= 0 || h.height == 0 || h.height == std::numeric_limits<int32_t>::min()) {
        return PngLoadResult::BadBlocks;
    }
    if (h.planes != 1 || h.compression != 0 || (h.bitCount != 24 && h.bitCount != 32)) {
        return PngLoadResult::Unsupported;
    }
    const uint64_t width = static_cast<uint64_t>(h.width);
    const uint64_t height = static_cast<uint64_t>(h.height < 0 ? -int64_t{h.height} : h.height);
    const bool topDown = h.height < 0;
    // QImage's limits; they also keep the product below from overflowing.
    if (width > uint64_t{std::numeric_limits<int>::max()} / 4 || height > 1u << 30) {
        return PngLoadResult::Unsupported;
    }
    const uint64_t stride = (width * h.bitCount + 31) / 32 * 4;
    if (stride * height > bitsSize) return PngLoadResult::BadBlocks;

    const int bg[3] = {qBlue(kBackground), qGreen(kBackground), qRed(kBackground)};
    const auto* pixels = static_cast<const unsigned char*>(bits);
    const bool hasAlpha = h.bitCount == 32;

    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    if (image.isNull()) return PngLoadResult::NoMemory;
    const uint64_t bytesPerPixel = h.bitCount / 8;
    for (uint64_t y = 0; y < height; ++y) {
        const unsigned char* src = pixels + (topDown ? y : height - 1 - y) * stride;
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
        for (uint64_t x = 0; x < width; ++x, src += bytesPerPixel) {
            const int alpha = hasAlpha ? src[3] : 255;
            dst[x] = qRgb(blend(src[2], bg[2], alpha), blend(src[1], bg[1], alpha),
                          blend(src[0], bg[0], alpha));
        }
    }
    *out = std::move(image);
    return PngLoadResult::Loaded;
}

PngLoadResult loadPngWithPlugin(QImage* target, const QString& path) {
    GetPictureProc getPicture = loadPlugin();
    if (getPicture == nullptr) return PngLoadResult::PluginMissing;

    // The plug-in takes a name and opens it itself: it is handed the name of a descriptor
    // already open on the regular file, so whatever takes the file's place meanwhile (a pipe
    // that would hang it) is never what it opens.
    const int fd = PictureFile::openRegular(path);
    if (fd < 0) return PngLoadResult::NotAFile;
    QByteArray fileName = QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(fd);
    struct stat opened, named;
    if (::fstat(fd, &opened) != 0 || ::stat(fileName.constData(), &named) != 0 ||
        opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
        fileName = QFile::encodeName(path);  // no /proc: the name just checked
    HLOCAL infoBlock = nullptr;
    HLOCAL bitsBlock = nullptr;
    const int32_t code = getPicture(fileName.constData(), 0, 0, &infoBlock, &bitsBlock, nullptr, 0);
    ::close(fd);
    if (code != 0) return PngLoadResult::PluginFailed;

    void* info = localLock(infoBlock);
    void* bits = localLock(bitsBlock);
    QImage image;
    const PngLoadResult result =
        imageFromDib(info, localSize(infoBlock), bits, localSize(bitsBlock), &image);
    localUnlock(infoBlock);
    localUnlock(bitsBlock);
    localFree(infoBlock);
    localFree(bitsBlock);
    if (result != PngLoadResult::Loaded) return result;
    if (target != nullptr) *target = std::move(image);
    return PngLoadResult::Loaded;
}

}  // namespace PngPlugin
