#pragma once
// Turning a decoded picture upright, for decoders that report orientation without applying it.

#include <QImage>
#include <QImageIOHandler>
#include <QTransform>

#include <cstddef>
#include <cstdint>

namespace PictureOrientation {

// The transformation an EXIF/TIFF orientation value (1 to 8) asks for; none for other values.
inline QImageIOHandler::Transformations fromExif(int orientation) {
    switch (orientation) {
    case 2: return QImageIOHandler::TransformationMirror;
    case 3: return QImageIOHandler::TransformationRotate180;
    case 4: return QImageIOHandler::TransformationFlip;
    case 5: return QImageIOHandler::TransformationFlipAndRotate90;
    case 6: return QImageIOHandler::TransformationRotate90;
    case 7: return QImageIOHandler::TransformationMirrorAndRotate90;
    case 8: return QImageIOHandler::TransformationRotate270;
    default: return QImageIOHandler::TransformationNone;
    }
}

// The orientation (1 to 8) an EXIF block's first directory records, the block as a WebP or HEIF
// file holds it (a TIFF header, "Exif\0\0" before it or not); 1 when it records none.
int fromExifBlock(const uint8_t* exif, size_t size);

// `image` turned as Qt's readers turn a picture with autoTransform: mirrored first, then turned.
inline QImage oriented(QImage image, QImageIOHandler::Transformations t) {
    if (t == QImageIOHandler::TransformationNone) return image;
    if (t == QImageIOHandler::TransformationRotate270)
        return image.transformed(QTransform().rotate(270));
    image = image.mirrored(t & QImageIOHandler::TransformationMirror,
                           t & QImageIOHandler::TransformationFlip);
    if (t & QImageIOHandler::TransformationRotate90) image = image.transformed(QTransform().rotate(90));
    return image;
}

}  // namespace PictureOrientation
