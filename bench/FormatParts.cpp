// The formats beyond bitmap, JPEG and GIF, and colour profiles: decoded through the prefetcher
// path (decodePictureFile and the Prefetcher, as the window's feed uses them), since the window
// lists these endings only with the listing option, built beside this; painted as the view
// paints a prepared picture, into a 1920 x 1080 frame.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QThread>

#include <libheif/heif.h>
#include <libraw/libraw.h>
#include <jpeglib.h>

#include <cstdio>
#include <functional>
#include <memory>

#include "BenchKit.h"
#include "Parts.h"
#include "ViewGeometry.h"

namespace {

const QSize kView(1920, 1080);

// Decoded for the view as the feed decodes a picture it shows, then painted.
double decodeAndPaintMs(const QString& path) {
    Clock t;
    t.start();
    const DecodedPicture d = decodePictureFile(path, true, kView);
    if (!d.ok) return -1;
    QImage frame(kView, QImage::Format_RGB32);
    QPainter painter(&frame);
    const std::optional<QSize> dest =
        ViewGeometry::stretchSize(d.picture.width(), d.picture.height(), kView.width(), kView.height());
    const QImage* stretched = dest ? d.picture.stretchedTo(*dest) : nullptr;
    painter.drawImage(0, 0, stretched ? *stretched : d.picture.pixels());
    painter.end();
    return Ms(t.nsecsElapsed());
}

// libheif's own decode: the file read, the primary picture decoded to interleaved RGB.
double libheifDecodeMs(const QString& path) {
    Clock t;
    t.start();
    heif_context* ctx = heif_context_alloc();
    heif_image_handle* handle = nullptr;
    heif_image* image = nullptr;
    bool ok = !heif_context_read_from_file(ctx, QFile::encodeName(path).constData(), nullptr).code &&
              !heif_context_get_primary_image_handle(ctx, &handle).code &&
              !heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code;
    if (image) heif_image_release(image);
    if (handle) heif_image_handle_release(handle);
    heif_context_free(ctx);
    return ok ? Ms(t.nsecsElapsed()) : -1;
}

// LibRaw's preview extraction, then that JPEG decoded in full by libjpeg-turbo.
double librawPreviewMs(const QString& path) {
    Clock t;
    t.start();
    auto raw = std::make_unique<LibRaw>();
    if (raw->open_file(QFile::encodeName(path).constData()) != LIBRAW_SUCCESS ||
        raw->unpack_thumb() != LIBRAW_SUCCESS || raw->imgdata.thumbnail.tformat != LIBRAW_THUMBNAIL_JPEG)
        return -1;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<unsigned char*>(raw->imgdata.thumbnail.thumb),
                 raw->imgdata.thumbnail.tlength);
    DecodeJpegAndDestroy(&cinfo);
    return Ms(t.nsecsElapsed());
}

// Medians of `runs` runs of each, taken in turns so a change in the machine's load weighs on both.
std::pair<double, double> inTurns(const std::function<double()>& ours, const std::function<double()>& ref,
                                  int runs = 5) {
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(ours());
        b.push_back(ref());
    }
    return {Median(a), Median(b)};
}

// Stepping through `files` with the prefetcher as the feed does: each step takes the
// neighbour decoded ahead (or decodes it then), paints it, and asks for the next two.
struct Stepper {
    Prefetcher prefetcher;
    QStringList files;
    int at = 0;
    double step() {
        at = (at + 1) % int(files.size());
        Clock t;
        t.start();
        DecodedPicture d;
        if (!prefetcher.take(files[at], kView, &d)) {
            // As the window does: a queued job is taken over and decoded here; one a worker
            // is decoding already is waited for (the window would paint it when it lands).
            if (prefetcher.takeOver(files[at])) {
                QElapsedTimer waited;
                waited.start();
                while (prefetcher.statusOf(files[at], kView) == Prefetcher::Status::Pending &&
                       waited.elapsed() < 20000)
                    QThread::usleep(100);
            }
            if (!prefetcher.take(files[at], kView, &d)) d = decodePictureFile(files[at], true, kView);
        }
        QImage frame(kView, QImage::Format_RGB32);
        QPainter painter(&frame);
        const std::optional<QSize> dest = ViewGeometry::stretchSize(d.picture.width(), d.picture.height(),
                                                                    kView.width(), kView.height());
        const QImage* stretched = dest ? d.picture.stretchedTo(*dest) : nullptr;
        if (d.ok) painter.drawImage(0, 0, stretched ? *stretched : d.picture.pixels());
        painter.end();
        const double ms = Ms(t.nsecsElapsed());
        prefetcher.keep(files[at], d);
        const int n = int(files.size());
        prefetcher.request(files[at], {{files[(at + 1) % n], kView}, {files[(at + n - 1) % n], kView},
                                       {files[(at + 2) % n], kView}}, true);
        return ms;
    }
};

// Peak resident memory, above what was resident before, while stepping through `files`.
double peakSteppingMb(const QStringList& files) {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
    clear.close();
    const qint64 baseKb = StatusKb("VmRSS:");
    {
        Stepper s;
        s.files = files;
        for (int i = 0; i < int(files.size()); ++i) {
            s.step();
            s.prefetcher.waitIdle(20000);
        }
    }
    return (StatusKb("VmHWM:") - baseKb) / 1024.0;
}

}  // namespace

void BenchFormats(const BenchData::Pictures& pics, const BenchData::FormatPictures& more,
                  const QString& work) {
    std::printf("formats\n");
    // Colour conversion on a cold show: the same JPEG with and without an Adobe RGB profile.
    // ORVANE_BENCH_ONLY=colour measures this row alone. Eleven runs: the two differ by a few
    // per cent, less than a busy machine's noise over five.
    const auto colour = inTurns([&] { return decodeAndPaintMs(more.jpeg24Profiled); },
                                [&] { return decodeAndPaintMs(pics.jpeg24Baseline); }, 11);
    AddRow("Cold show, 24 MP JPEG with an Adobe RGB profile", colour.first, "same without profile",
           colour.second, 1.1);
    if (!Wanted("formats")) return;

    // The plug-in's path is relative to the working directory; PNG is not stepped here.
    const auto heic = inTurns([&] { return decodeAndPaintMs(more.heic12); },
                              [&] { return libheifDecodeMs(more.heic12); });
    AddRow("First paint, 12 MP HEIC (decode for the view, painted)", heic.first, "libheif decode",
           heic.second, 1.1);
    const auto raw = inTurns([&] { return decodeAndPaintMs(more.raw24); },
                             [&] { return librawPreviewMs(more.raw24); });
    AddRow("First paint, RAW (DNG) with a 24 MP preview", raw.first, "LibRaw preview + libjpeg decode",
           raw.second, 1.1);

    // Space at 1 step a second over HEIC, WebP and RAW.
    const QString folder = work + "/formats";
    QStringList mixed;
    for (int i = 0; i < 12; ++i) {
        const QString& source = i % 3 == 0 ? more.heic12 : i % 3 == 1 ? more.webp12 : more.raw24;
        mixed << LinkInto(folder, source, QStringLiteral("f%1.%2").arg(i, 2, 10, QLatin1Char('0')).arg(QFileInfo(source).suffix()));
    }
    {
        Stepper s;
        s.files = mixed;
        s.step();
        s.prefetcher.waitIdle(20000);  // settled first, as the window's paced row is
        std::vector<double> paced;
        for (int i = 0; i < 30; ++i) {
            Clock pace;
            pace.start();
            paced.push_back(s.step());
            while (pace.elapsed() < 1000) QThread::msleep(5);
        }
        AddRow("Space at 1 step/s over HEIC, WebP, RAW (prefetcher path), press to painted, p95",
               P95(paced), "one frame", 16.7, 1.0);
    }

    // Peak memory stepping 50 files: these formats against 24 MP JPEGs.
    QStringList jpegs, others;
    const QString jpegFolder = work + "/formats-jpeg";
    for (int i = 0; i < 50; ++i) {
        jpegs << LinkInto(jpegFolder, i % 2 ? pics.jpeg24Baseline : pics.jpeg24Progressive, QStringLiteral("j%1.jpg").arg(i));
        others << mixed[i % mixed.size()];
    }
    const double jpegPeak = peakSteppingMb(jpegs);
    AddRow("Peak memory stepping 50 HEIC/WebP/RAW files (above before)", peakSteppingMb(others),
           "50 JPEG files", jpegPeak, 1.2, QStringLiteral("MiB"));
}
