// Writes camera files for the end-to-end cases: `make_camera_files FOLDER NAME...` writes each
// NAME in FOLDER, a RAW file in its camera's own layout by its ending (.CR2 Canon, .NEF Nikon,
// .ARW Sony, .dng a DNG) or a JPEG (.jpg). The RAW files' previews are one portrait picture, its
// left half red and its right half blue, stored lying and turned upright by the orientation tag;
// the JPEG files are plain green, so that the screen tells which kind is shown.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTransform>

#include <cstdio>

#include "SampleFormats.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER NAME...\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    QImage upright(200, 320, QImage::Format_RGB32);
    upright.fill(Qt::red);
    for (int y = 0; y < 320; ++y)
        for (int x = 100; x < 200; ++x) upright.setPixel(x, y, qRgb(0, 0, 255));
    QImage green(200, 320, QImage::Format_RGB32);
    green.fill(qRgb(0, 160, 0));
    // Stored as a camera held upright stores it: lying, to be turned a quarter right (6).
    const QByteArray lying = SampleFormats::encoded(upright.transformed(QTransform().rotate(-90)), "jpeg");
    using SampleFormats::CameraMake;
    for (int i = 2; i < argc; ++i) {
        const QString name = QString::fromLocal8Bit(argv[i]);
        const QString ending = name.section(QLatin1Char('.'), -1).toLower();
        QByteArray bytes;
        if (ending == QLatin1String("cr2")) bytes = SampleFormats::cameraRaw(CameraMake::Canon, lying, 6);
        else if (ending == QLatin1String("nef")) bytes = SampleFormats::cameraRaw(CameraMake::Nikon, lying, 6);
        else if (ending == QLatin1String("arw")) bytes = SampleFormats::cameraRaw(CameraMake::Sony, lying, 6);
        else if (ending == QLatin1String("dng")) bytes = SampleFormats::dng(lying, 6, 64, 48);
        else if (ending == QLatin1String("jpg")) bytes = SampleFormats::encoded(green, "jpeg");
        QFile file(folder + QLatin1Char('/') + name);
        if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
