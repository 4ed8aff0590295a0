#include "BenchKit.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <png.h>

std::vector<Row> g_rows;

double Ms(qint64 ns) { return ns / 1e6; }

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
double P95(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(v.size() * 0.95))];
}

bool Wanted(const char* part) {
    QByteArray only = qgetenv("ORVANE_BENCH_ONLY");
    if (only.isEmpty()) return true;
    return only.replace(',', ' ').split(' ').contains(QByteArray(part));
}

void AddRow(const QString& what, double ours, const QString& refName, double ref,
            double targetRatio, const QString& unit) {
    const double ratio = ref > 0 ? ours / ref : 0;
    Row r;
    r.what = what;
    r.orvane = QString::number(ours, 'f', 1) + ' ' + unit;
    r.reference = ref > 0 ? refName + ' ' + QString::number(ref, 'f', 1) + ' ' + unit : refName;
    r.ratio = ref > 0 ? QString::number(ratio, 'f', 2) + QStringLiteral(" x") : QStringLiteral("-");
    r.target = targetRatio > 0 ? QStringLiteral("<= %1 x").arg(targetRatio) : QStringLiteral("-");
    r.met = targetRatio > 0 ? (ratio <= targetRatio ? QStringLiteral("yes") : QStringLiteral("NO"))
                            : QStringLiteral("-");
    g_rows.push_back(r);
    std::printf("  %s: %s vs %s\n", qPrintable(what), qPrintable(r.orvane), qPrintable(r.reference));
    std::fflush(stdout);
}

void DecodeJpegAndDestroy(jpeg_decompress_struct* cinfo) {
    jpeg_read_header(cinfo, TRUE);
    cinfo->out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(cinfo);
    const size_t stride = size_t(cinfo->output_width) * 4;
    std::vector<unsigned char> pixels(stride * cinfo->output_height);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = pixels.data() + stride * cinfo->output_scanline;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
}

double LibjpegFullDecodeMs(const QString& path) {
    FILE* f = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!f) return -1;
    Clock t;
    t.start();
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    DecodeJpegAndDestroy(&cinfo);
    const double ms = Ms(t.nsecsElapsed());
    std::fclose(f);
    return ms;
}

double LibpngSimplifiedMs(const QString& path) {
    Clock t;
    t.start();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, QFile::encodeName(path).constData())) return -1;
    image.format = PNG_FORMAT_BGRA;
    std::vector<unsigned char> buffer(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) return -1;
    return Ms(t.nsecsElapsed());
}

double ReaddirMs(const QString& folder) {
    Clock t;
    t.start();
    DIR* d = ::opendir(QFile::encodeName(folder).constData());
    int n = 0;
    while (::readdir(d)) ++n;
    ::closedir(d);
    const double ms = Ms(t.nsecsElapsed());
    return n > 0 ? ms : -1;
}

qint64 StatusKb(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field)) return line.mid(int(strlen(field))).trimmed().split(' ').first().toLongLong();
    return 0;
}

QString LinkInto(const QString& folder, const QString& file, const QString& name) {
    QDir().mkpath(folder);
    const QString target = folder + '/' + name;
    if (!QFileInfo::exists(target)) ::link(QFile::encodeName(file).constData(), QFile::encodeName(target).constData());
    return target;
}
