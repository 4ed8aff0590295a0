#include "view/PictureFile.h"

#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <optional>

#include "platform/FileSystem.h"
#include "platform/ImageNames.h"
#include "platform/NativePath.h"
#include "view/OtherFormats.h"
#include "view/PngPlugin.h"
#include "view/ViewGeometry.h"

namespace {

std::mutex& pluginMutex() {
    static std::mutex m;
    return m;
}

bool isPngName(const QString& path) {
    return ImageNames::formatOf(path) == ImageFormat::Png;
}

}  // namespace

bool stampOf(FileSystem& fs, const QString& path, FileVersion* out) {
    FileStatus st;
    if (!fs.stat(path, &st, nullptr) || !st.isRegular) return false;
    *out = FileVersion::of(st);
    return true;
}

namespace PictureFile {

int openRegular(const QString& path) {
    NativePath native;
    if (!native.set(path, nullptr)) {
        errno = EINVAL;
        return -1;
    }
    // Looked at before it is opened: a device is never opened at all.
    struct stat st;
    if (::stat(native.constData(), &st) != 0) return -1;
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return -1;
    }
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    // The name may have been given to something else between the two looks.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

bool open(const QString& path, QFile* file) {
    file->close();
    const int fd = openRegular(path);
    if (fd < 0) return false;
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

int64_t estimateBytes(const QString& path, const QSize& coverView) {
    if (isPngName(path)) return -1;
    // A camera RAW file's first directory is a thumbnail or the sensor data, not the preview
    // shown, and a TIFF reader only complains of it: only the decoder knows the size.
    if (OtherFormats::isRawEnding(path)) return -1;
    QFile file;
    if (!open(path, &file)) return -1;
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!size.isValid()) return -1;
    QSize pixels = size;
    int64_t stretchedBytes = 0;
    if (coverView.isValid()) {
        const bool rotated =
            (reader.transformation() & QImageIOHandler::TransformationRotate90) != 0;
        // A JPEG and the other formats are held reduced (a bitmap or GIF whole), each beside
        // the stretched copy made for the view: the picture held counts both, or once where
        // the picture is decoded at the very size it is shown and shares its pixels.
        if (reader.format() == "jpeg" || OtherFormats::isOtherEnding(path))
            pixels = PictureDecoder::reducedSize(size, rotated, coverView);
        const QSize natural = rotated ? size.transposed() : size;
        if (const std::optional<QSize> dest = ViewGeometry::stretchSize(
                natural.width(), natural.height(), coverView.width(), coverView.height()))
            if (*dest != pixels) stretchedBytes = int64_t(dest->width()) * dest->height() * 4;
    }
    return int64_t(pixels.width()) * pixels.height() * 4 + stretchedBytes;
}

}  // namespace PictureFile

DecodedPicture decodePictureFile(FileSystem& fs, const QString& path, bool pngPlugin, const QSize& coverView) {
    using PictureFile::open;
    DecodedPicture d;
    FileVersion before;
    const bool stamped = stampOf(fs, path, &before);
    d.pngRoute = isPngName(path);
    if (d.pngRoute) {
        if (!pngPlugin) return d;
        QImage image;
        {
            std::lock_guard<std::mutex> lock(pluginMutex());
            d.pngResult = PngPlugin::loadPngWithPlugin(&image, path);
        }
        d.ok = (d.pngResult == PngLoadResult::Loaded);
        if (d.ok) {
            // The plug-in knows nothing of colour profiles: its pixels are converted from the
            // file's iCCP chunk here.
            QFile file;
            if (open(path, &file)) OtherFormats::convertFromEmbeddedProfile(&file, &image);
            d.picture = PictureBuffer(std::move(image));
        }
    } else {
        QImage image;
        QSize natural;
        d.outcome = PictureDecoder::decode(path, &image, coverView, &natural);
        d.ok = (d.outcome == PictureDecoder::Outcome::Decoded);
        if (d.ok) d.picture = PictureBuffer(std::move(image), natural);
    }
    if (d.ok && coverView.isValid()) {
        const std::optional<QSize> dest = ViewGeometry::stretchSize(
            d.picture.width(), d.picture.height(), coverView.width(), coverView.height());
        if (dest) d.picture.prepareStretched(*dest);
    }
    FileVersion after;
    d.stable = stamped && stampOf(fs, path, &after) && after == before;
    d.stamp = before;
    return d;
}
