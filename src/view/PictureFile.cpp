#include "PictureFile.h"

#include <QByteArray>
#include <QFile>
#include <QImageReader>

#include <sys/stat.h>

namespace PictureFile {

Outcome Decode(const QString& path, QImage* out) {
    struct stat st;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        !S_ISREG(st.st_mode))
        return Outcome::NotAFile;
    if (st.st_size == 0) return Outcome::NotAPicture;

    // The reader refuses larger allocations itself; the size check below says why first.
    QImageReader::setAllocationLimit(kAllocationLimitMB);
    QImageReader reader(path);
    // The name's ending does not decide: a bitmap, JPEG or GIF file is what its bytes say.
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    if (format != "bmp" && format != "jpeg" && format != "gif") return Outcome::NotAPicture;

    const QSize size = reader.size();
    if (size.isValid()) {
        const qint64 bytes = qint64(size.width()) * qint64(size.height()) * 4;
        if (bytes > qint64(kAllocationLimitMB) * 1024 * 1024) return Outcome::TooLarge;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return reader.error() == QImageReader::UnsupportedFormatError ? Outcome::NotAPicture
                                                                      : Outcome::Broken;
    }
    *out = std::move(image);
    return Outcome::Decoded;
}

}  // namespace PictureFile
