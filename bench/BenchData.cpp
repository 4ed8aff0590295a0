#include "BenchData.h"

#include <QDir>
#include <QFile>
#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>

#include <cmath>
#include <cstdio>
#include <random>

namespace BenchData {
namespace {

// Something with the detail of a photograph: smooth shading, edges and fine grain, so the
// entropy decoding weighs as it does on real pictures.
QImage Photo(int w, int h, int seed, bool alpha, int grainAmount = 18) {
    QImage img(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> grain(-grainAmount, grainAmount);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        const double fy = double(y) / h;
        for (int x = 0; x < w; ++x) {
            const double fx = double(x) / w;
            const double wave = std::sin(fx * 37.0 + seed) * std::cos(fy * 23.0) * 60.0;
            const int block = ((x / 97) ^ (y / 71)) & 1 ? 40 : 0;
            const int g = grain(rng);
            const int r = int(90 + 100 * fx + wave) + block + g;
            const int gr = int(70 + 120 * fy - wave) + g;
            const int b = int(140 + 60 * std::sin(fx * fy * 50.0)) - block + g;
            const int a = alpha ? int(128 + 127 * std::sin(fx * 9.0)) : 255;
            row[x] = qRgba(qBound(0, r, 255), qBound(0, gr, 255), qBound(0, b, 255), a);
        }
    }
    return img;
}

// An APP1 segment holding EXIF orientation 6 (turn 90 degrees clockwise to show), put after
// the start-of-image marker.
QByteArray WithOrientation6(const QByteArray& jpeg) {
    static const unsigned char kApp1[] = {
        0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2A, 0x00, 0x08, 0x00,
        0x00, 0x00, 0x01, 0x00, 0x12, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x06, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    return jpeg.left(2) + QByteArray(reinterpret_cast<const char*>(kApp1), sizeof kApp1) +
           jpeg.mid(2);
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path + QStringLiteral(".part"));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return false;
    f.close();
    QFile::remove(path);
    return QFile::rename(path + QStringLiteral(".part"), path);
}

QByteArray Encode(const QImage& img, const char* format, int quality, bool progressive) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    QImageWriter w(&buf, format);
    w.setQuality(quality);
    w.setProgressiveScanWrite(progressive);
    w.write(img);
    return bytes;
}

void MakeJpeg(const QString& path, int w, int h, int seed, bool progressive, bool rotated,
              int grain = 18, int quality = 90) {
    if (QFileInfo::exists(path)) return;
    std::printf("  making %s\n", qPrintable(path));
    std::fflush(stdout);
    QByteArray jpeg = Encode(Photo(w, h, seed, false, grain), "jpeg", quality, progressive);
    if (rotated) jpeg = WithOrientation6(jpeg);
    WriteFile(path, jpeg);
}

void MakePng(const QString& path, int w, int h, int seed, bool alpha) {
    if (QFileInfo::exists(path)) return;
    std::printf("  making %s\n", qPrintable(path));
    std::fflush(stdout);
    QImage img = Photo(w, h, seed, alpha);
    if (!alpha) img = img.convertToFormat(QImage::Format_RGB888);
    WriteFile(path, Encode(img, "png", 80, false));
}

}  // namespace

Pictures Generate(const QString& root) {
    QDir().mkpath(root);
    Pictures p;
    p.jpeg24Baseline = root + "/p24_baseline.jpg";
    p.jpeg24BaselineRot = root + "/p24_baseline_rot6.jpg";
    p.jpeg24Progressive = root + "/p24_progressive.jpg";
    p.jpeg24ProgressiveRot = root + "/p24_progressive_rot6.jpg";
    p.jpeg24Detailed = root + "/p24_detailed.jpg";
    p.jpeg50Baseline = root + "/p50_baseline.jpg";
    p.jpeg50ProgressiveRot = root + "/p50_progressive_rot6.jpg";
    p.png24Rgb = root + "/p24_rgb.png";
    p.png24Rgba = root + "/p24_rgba.png";
    p.folder50k = root + "/folder50k";
    MakeJpeg(p.jpeg24Baseline, 6000, 4000, 1, false, false);
    MakeJpeg(p.jpeg24BaselineRot, 6000, 4000, 2, false, true);
    MakeJpeg(p.jpeg24Progressive, 6000, 4000, 3, true, false);
    MakeJpeg(p.jpeg24ProgressiveRot, 6000, 4000, 4, true, true);
    MakeJpeg(p.jpeg24Detailed, 6000, 4000, 10, false, false, 100, 97);
    MakeJpeg(p.jpeg50Baseline, 8640, 5760, 5, false, false);
    MakeJpeg(p.jpeg50ProgressiveRot, 8640, 5760, 6, true, true);
    MakePng(p.png24Rgb, 6000, 4000, 7, false);
    MakePng(p.png24Rgba, 6000, 4000, 8, true);

    const QString done = p.folder50k + "/.complete";
    if (!QFileInfo::exists(done)) {
        std::printf("  making %s (%d files)\n", qPrintable(p.folder50k), kFolderFiles);
        std::fflush(stdout);
        QDir().mkpath(p.folder50k);
        const QByteArray small = Encode(Photo(64, 48, 9, false), "jpeg", 90, false);
        // Names as cameras and downloads give them, in several spellings, so the order is
        // the numeric, case-insensitive one and not the bytes'.
        for (int i = 0; i < kFolderFiles; ++i) {
            const char* kinds[] = {"IMG_%05d.JPG", "img_%d.jpg", "DSC%05d.jpg", "photo %d.png",
                                   "scan-%d.gif", "Shot %d.bmp"};
            char name[64];
            std::snprintf(name, sizeof name, kinds[i % 6], i);
            QFile f(p.folder50k + '/' + QString::fromLatin1(name));
            f.open(QIODevice::WriteOnly);
            if (i == 0) f.write(small);
        }
        QFile(done).open(QIODevice::WriteOnly);
    }
    return p;
}

}  // namespace BenchData
