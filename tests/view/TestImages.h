#pragma once
// Image files for tests, built in memory.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageWriter>

namespace TestImages {

inline QByteArray Encode(int w, int h, const char* format, QColor colour = Qt::red) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, format);
    return bytes;
}

// A progressive JPEG of w x h pixels: decoded from whole-image coefficients.
inline QByteArray ProgressiveJpeg(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    QImageWriter writer(&buf, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(img);
    return bytes;
}

// A 1 x 1 GIF (Qt reads GIF but does not write it).
inline QByteArray Gif1x1() {
    static const unsigned char kGif[] = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xff,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c,
        0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00,
        0x3b};
    return QByteArray(reinterpret_cast<const char*>(kGif), sizeof kGif);
}

// A 2 x 1 GIF: an opaque red pixel, then a transparent one.
inline QByteArray Gif2x1Transparent() {
    static const unsigned char kGif[] = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xff,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x01, 0x00, 0x00, 0x01, 0x00, 0x2c,
        0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x0a, 0x00,
        0x3b};
    return QByteArray(reinterpret_cast<const char*>(kGif), sizeof kGif);
}

// A bitmap header that claims width x height pixels of 24 bits, without the pixels.
inline QByteArray BmpHeaderOnly(int32_t width, int32_t height) {
    QByteArray b(54, '\0');
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xff);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, 54);
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    b[26] = 1;
    b[28] = 24;
    return b;
}

// `jpeg` with its frame header changed to claim width x height.
inline QByteArray JpegClaiming(QByteArray jpeg, uint16_t width, uint16_t height) {
    for (int i = 2; i + 9 < jpeg.size(); ++i) {
        if (uchar(jpeg[i]) == 0xFF && (uchar(jpeg[i + 1]) == 0xC0 || uchar(jpeg[i + 1]) == 0xC2)) {
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height & 0xff);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width & 0xff);
            break;
        }
    }
    return jpeg;
}

// `jpeg` with an EXIF block saying "rotate 90 degrees clockwise to show" (orientation 6).
inline QByteArray JpegWithOrientation6(const QByteArray& jpeg) {
    static const unsigned char kApp1[] = {
        0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0,
        'I', 'I', 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,   // TIFF header, IFD at 8
        0x01, 0x00,                                     // one entry
        0x12, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, // orientation, SHORT, count 1
        0x06, 0x00, 0x00, 0x00,                         // value 6
        0x00, 0x00, 0x00, 0x00};                        // no next IFD
    QByteArray out = jpeg.left(2);
    out += QByteArray(reinterpret_cast<const char*>(kApp1), sizeof kApp1);
    out += jpeg.mid(2);
    return out;
}

}  // namespace TestImages
