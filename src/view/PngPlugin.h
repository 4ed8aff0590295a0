#pragma once
// Decoding PNG files through the plug-in dll/ifPNG.spi.
//
// Division of work: the plug-in hands back 32-bit rows with straight alpha; this side
// composites every pixel over the view's background colour, so the QImage it fills is opaque
// (Format_RGB32) and draws the same whatever the painter does with alpha.
//
// Memory: the plug-in hands back at most 400 MiB of rows and holds at most 64 MiB of its own
// while decoding; with the picture built from the rows a PNG takes at most 864 MiB, within the
// bound every decode keeps (PictureDecoder::kAllocationLimitMB).

#include <QImage>
#include <QString>

#include <cstddef>
#include <cstdint>

// How a decode through the plug-in ended.
enum class PngLoadResult {
    Loaded,
    PluginMissing,  // no regular file at the plug-in's path, or dlopen/dlsym failed
    NotAFile,       // no regular file at the picture's path: not handed over
    PluginFailed,   // the plug-in answered with a failure code of its own
    BadBlocks,      // blocks inconsistent with their header
    Unsupported,    // a DIB layout this side does not read
    NoMemory,       // the QImage could not be allocated
};

namespace PngPlugin {

// The library path, relative to the working directory (the program's directory).
inline constexpr const char* kPluginPath = "dll/ifPNG.spi";

// The view's background RGB(255, 224, 192), under transparent pixels.
inline constexpr QRgb kBackground = 0xFFFFE0C0u;

// Decodes `path` with the plug-in into *target (the image's size, opaque RGB32): Loaded; on
// failure *target is untouched. Only a regular file is ever handed to the plug-in. The plug-in
// is loaded on the first call and stays loaded; a failed load is tried again on the next call.
// Safe to call from any thread (the plug-in keeps no shared state).
PngLoadResult loadPngWithPlugin(QImage* target, const QString& path);

// The conversion step of loadPngWithPlugin: checks a BITMAPINFO of `infoSize` bytes against
// pixel rows of `bitsSize` bytes and builds the image. 32-bit (B, G, R, alpha) and 24-bit rows,
// bottom-up (biHeight > 0) or top-down (biHeight < 0), rows padded to 4 bytes. The fourth byte
// of 32-bit rows is straight alpha, as the plug-in writes it. Returns Loaded or BadBlocks /
// Unsupported / NoMemory, *out untouched on failure.
PngLoadResult imageFromDib(const void* info, size_t infoSize, const void* bits, size_t bitsSize,
                           QImage* out);

}  // namespace PngPlugin
