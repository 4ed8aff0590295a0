// The benchmark's HEIC, WebP, RAW and profiled JPEG, made from its 24 MP baseline picture.
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QBuffer>

#include <cstdio>
#include <functional>

#include "BenchData.h"
#include "SampleFormats.h"

namespace BenchData {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void make(const QString& path, const std::function<QByteArray()>& bytes) {
    if (QFileInfo::exists(path)) return;
    std::printf("  making %s\n", qPrintable(path));
    std::fflush(stdout);
    QFile f(path + QStringLiteral(".part"));
    if (f.open(QIODevice::WriteOnly) && f.write(bytes()) > 0) {
        f.close();
        QFile::rename(path + QStringLiteral(".part"), path);
    }
}

}  // namespace

FormatPictures GenerateFormats(const QString& root, const Pictures& pics) {
    FormatPictures p;
    p.heic12 = root + "/p12.heic";
    p.webp12 = root + "/p12.webp";
    p.raw24 = root + "/p24.dng";
    p.jpeg24Profiled = root + "/p24_adobergb.jpg";
    auto twelve = [&] {
        return QImage(pics.jpeg24Baseline).scaled(4000, 3000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    make(p.heic12, [&] { return SampleFormats::heif(twelve(), SampleFormats::HeifCodec::Hevc, 1, {}, 85); });
    make(p.webp12, [&] {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        twelve().save(&buffer, "webp", 85);
        return bytes;
    });
    make(p.raw24, [&] { return SampleFormats::dng(readAll(pics.jpeg24Baseline), 1, 6000, 4000); });
    make(p.jpeg24Profiled, [&] {
        return SampleFormats::jpegWithProfile(readAll(pics.jpeg24Baseline), SampleFormats::adobeRgbProfile());
    });
    return p;
}

}  // namespace BenchData
