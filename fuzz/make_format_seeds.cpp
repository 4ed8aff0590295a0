// Writes seed files for the format fuzzers: HEIC and AVIF (turned, with a profile), DNG files
// with and without a usable preview, Canon, Nikon and Sony RAW files in their own layouts,
// pictures carrying profiles in every container read, WebP files turned by their EXIF chunk and
// CMYK TIFF files in strips and in tiles.
#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QImage>

#include "SampleFormats.h"

namespace {
void write(const QString& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir + QLatin1Char('/') + name);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}
QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return bytes;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (const char* sub : {"heif", "raw", "colour", "webp", "tiff"}) QDir().mkpath(root + QLatin1Char('/') + sub);
    QImage image(48, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) image.setPixel(x, y, qRgb(x * 5, y * 7, 128));
    const QByteArray p3 = SampleFormats::displayP3Profile();
    using SampleFormats::HeifCodec;
    write(root + "/heif", "plain.heic", SampleFormats::heif(image, HeifCodec::Hevc));
    write(root + "/heif", "turned-p3.heic", SampleFormats::heif(image, HeifCodec::Hevc, 6, p3));
    write(root + "/heif", "mirrored.avif", SampleFormats::heif(image, HeifCodec::Av1, 2));
    write(root + "/heif", "grid.heic", SampleFormats::heifGrid(image.scaled(64, 64), 2, 1));
    QImage withAlpha = image.convertToFormat(QImage::Format_ARGB32);
    withAlpha.setPixel(3, 3, qRgba(10, 20, 30, 40));
    write(root + "/heif", "alpha.heic", SampleFormats::heif(withAlpha, HeifCodec::Hevc));
    const QByteArray jpeg = encoded(image, "jpeg");
    write(root + "/raw", "preview.dng", SampleFormats::dng(jpeg, 6, 32, 24));
    write(root + "/raw", "sensor.dng", SampleFormats::dng(encoded(image.scaled(8, 6), "jpeg"), 1, 64, 48));
    using SampleFormats::CameraMake;
    write(root + "/raw", "canon.cr2", SampleFormats::cameraRaw(CameraMake::Canon, jpeg, 6));
    write(root + "/raw", "nikon.nef", SampleFormats::cameraRaw(CameraMake::Nikon, jpeg, 8));
    write(root + "/raw", "sony.arw", SampleFormats::cameraRaw(CameraMake::Sony, jpeg, 3));
    write(root + "/colour", "adobe.jpg", SampleFormats::jpegWithProfile(jpeg, SampleFormats::adobeRgbProfile()));
    const unsigned char inks[4] = {10, 200, 30, 40};
    write(root + "/colour", "cmyk.jpg", SampleFormats::cmykJpeg(8, 8, inks, SampleFormats::pressProfile()));
    write(root + "/colour", "press.icc", SampleFormats::pressProfile());
    write(root + "/tiff", "cmyk.tif", SampleFormats::cmykTiff(9, 7, inks, SampleFormats::pressProfile()));
    write(root + "/tiff", "cmyk16-planar.tif", SampleFormats::cmykTiff(9, 7, inks, SampleFormats::pressProfile(), 16, true));
    write(root + "/tiff", "cmyk-bare.tif", SampleFormats::cmykTiff(9, 7, inks, QByteArray()));
    write(root + "/tiff", "cmyk-tiled.tif", SampleFormats::cmykTiff(40, 24, inks, QByteArray(), 8, false, 16));
    write(root + "/tiff", "cmyk16-tiled-planar.tif", SampleFormats::cmykTiff(20, 18, inks, QByteArray(), 16, true, 16));
    write(root + "/colour", "prophoto.icc", SampleFormats::proPhotoProfile());
    QImage profiled = image;
    profiled.setColorSpace(QColorSpace::fromIccProfile(p3));
    for (const char* format : {"png", "webp", "tiff"})
        write(root + "/colour", QStringLiteral("p3.") + format, encoded(profiled, format));
    QImage translucent = image.convertToFormat(QImage::Format_ARGB32);
    translucent.setPixel(3, 3, qRgba(10, 20, 30, 40));
    write(root + "/webp", "plain.webp", encoded(image, "webp"));
    write(root + "/webp", "alpha.webp", encoded(translucent, "webp"));
    write(root + "/webp", "exif-turned.webp", SampleFormats::webpWithExif(encoded(image, "webp"), 6));
    write(root + "/webp", "exif-mirrored-alpha.webp", SampleFormats::webpWithExif(encoded(translucent, "webp"), 5));
    return 0;
}
