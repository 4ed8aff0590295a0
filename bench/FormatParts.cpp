// The formats beyond bitmap, JPEG and GIF, and colour profiles. First paints, stepping and
// memory go through the real window with its listing option on, measured as the JPEG rows
// are: press (or open) to the view's paint ended. The colour row compares two decodes for the
// view, each painted as the view paints a prepared picture, into a 1920 x 1080 frame.
#include <malloc.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <libheif/heif.h>
#include <libraw/libraw.h>
#include <jpeglib.h>

#include <cstdio>
#include <functional>
#include <memory>

#include "BenchKit.h"
#include "Parts.h"
#include "view/ViewGeometry.h"

namespace {

const QSize kView(1920, 1080);

// Decoded for the view as the feed decodes a picture it shows, then painted.
double decodeAndPaintMs(const QString& path) {
    static PosixFileSystem fs;
    Clock t;
    t.start();
    const DecodedPicture d = decodePictureFile(fs, path, true, kView);
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

// A cold show of `file` alone in a folder, as the JPEG cold show rows measure it: the view
// emptied, nothing decoded ahead, the file opened, the time to its paint.
double coldShowMs(Bench& b, const QString& file, const QString& work) {
    const QString single = LinkInto(work + "/first-" + QFileInfo(file).fileName(), file,
                                    "x." + QFileInfo(file).suffix());
    b.window->openFolderAt(work);
    b.window->prefetcher().clear();
    b.Pump(10);
    const qint64 t0 = b.paint.clock.nsecsElapsed();
    b.window->openPath(single);
    const qint64 t1 = b.WaitPaint(t0);
    return t1 < 0 ? -1 : Ms(t1 - t0);
}

// Peak resident memory, above what was resident before, while the window steps through the
// files of `folder` once, each step's neighbours decoded before the next.
double peakSteppingMb(Bench& b, const QString& folder, int steps) {
    b.window->openFolderAt(folder);
    b.Settle();
    // What earlier parts freed goes back first, so each run starts from the same footing.
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
    clear.close();
    const qint64 baseKb = StatusKb("VmRSS:");
    for (int i = 0; i < steps; ++i) {
        b.PressMs(Qt::Key_Space, " ");
        b.window->prefetcher().waitIdle(20000);
    }
    return (StatusKb("VmHWM:") - baseKb) / 1024.0;
}

}  // namespace

void BenchFormats(Bench& b, const BenchData::Pictures& pics, const BenchData::FormatPictures& more,
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

    // The window lists these endings only with the option on.
    const bool listedBefore = b.window->options().extraFormats;
    b.window->options().extraFormats = true;
    const auto heic = inTurns([&] { return coldShowMs(b, more.heic12, work); },
                              [&] { return libheifDecodeMs(more.heic12); });
    AddRow("First paint, 12 MP HEIC (opened in the window, painted)", heic.first, "libheif decode",
           heic.second, 1.1);
    const auto raw = inTurns([&] { return coldShowMs(b, more.raw24, work); },
                             [&] { return librawPreviewMs(more.raw24); });
    AddRow("First paint, RAW (DNG) with a 24 MP preview (opened in the window)", raw.first,
           "LibRaw preview + libjpeg decode", raw.second, 1.1);

    // Space at 1 step a second over HEIC, WebP and RAW, as the JPEG pace row steps.
    const QString folder = work + "/formats";
    for (int i = 0; i < 12; ++i) {
        const QString& source = i % 3 == 0 ? more.heic12 : i % 3 == 1 ? more.webp12 : more.raw24;
        LinkInto(folder, source, QStringLiteral("f%1.%2").arg(i, 2, 10, QLatin1Char('0')).arg(QFileInfo(source).suffix()));
    }
    b.window->openFolderAt(folder);
    b.Settle();
    const std::vector<double> paced = b.PacedPressesMs(30, 1000, Qt::Key_Space, " ");
    AddRow("Space at 1 step/s over HEIC, WebP, RAW, press to painted, median", Median(paced),
           "one frame", 16.7, 0);
    AddRow("Space at 1 step/s over HEIC, WebP, RAW, press to painted, p95", P95(paced), "one frame",
           16.7, 1.0);

    // Peak memory stepping 50 files: these formats against 24 MP JPEGs.
    const QString jpegFolder = work + "/formats-jpeg", otherFolder = work + "/formats-50";
    const QStringList mixed = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (int i = 0; i < 50; ++i) {
        LinkInto(jpegFolder, i % 2 ? pics.jpeg24Baseline : pics.jpeg24Progressive,
                 QStringLiteral("j%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
        const QString& name = mixed[i % mixed.size()];
        LinkInto(otherFolder, folder + "/" + name,
                 QStringLiteral("o%1.%2").arg(i, 2, 10, QLatin1Char('0')).arg(QFileInfo(name).suffix()));
    }
    const double jpegPeak = peakSteppingMb(b, jpegFolder, 50);
    AddRow("Peak memory stepping 50 HEIC/WebP/RAW files (above before)", peakSteppingMb(b, otherFolder, 50),
           "50 JPEG files", jpegPeak, 1.2, QStringLiteral("MiB"));
    b.window->options().extraFormats = listedBefore;
}
