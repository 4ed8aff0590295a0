// The host side: checking and converting the blocks the plug-in hands back, and the real
// dlopen route through dll/ifPNG.spi.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include <QDir>
#include <QFile>

#include "view/PngPlugin.h"
#include "PngWriter.h"
#include "TestSupport.h"

namespace {

// A BITMAPINFOHEADER with the fields the host reads.
std::vector<unsigned char> Header(int32_t width, int32_t height, uint16_t bitCount,
                                  uint32_t compression = 0, uint32_t size = 40) {
    std::vector<unsigned char> h(40, 0);
    auto put = [&](size_t at, const void* v, size_t n) { std::memcpy(&h[at], v, n); };
    const uint16_t planes = 1;
    put(0, &size, 4);
    put(4, &width, 4);
    put(8, &height, 4);
    put(12, &planes, 2);
    put(14, &bitCount, 2);
    put(16, &compression, 4);
    return h;
}

PngLoadResult convert(const std::vector<unsigned char>& info, const std::vector<unsigned char>& bits,
                      QImage* out) {
    return PngPlugin::imageFromDib(info.data(), info.size(), bits.data(), bits.size(), out);
}

// Makes `dir` the working directory for a scope, as start-up does with the program's directory.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const QString& dir) : previous_(QDir::currentPath()) {
        EXPECT_TRUE(QDir::setCurrent(dir));
    }
    ~WorkingDirectory() { QDir::setCurrent(previous_); }

private:
    QString previous_;
};

}  // namespace

TEST(PngPluginBlocks, RowOrderPaddingAndCompositing) {
    // 2x2, 32-bit, bottom-up: the block's first row is the image's last.
    const std::vector<unsigned char> bottomUp = {
        10, 20, 30, 255,  40, 50, 60, 255,   // bottom row
        0, 0, 255, 255,   0, 0, 0, 0,        // top row: opaque red, fully transparent
    };
    QImage image;
    ASSERT_EQ(convert(Header(2, 2, 32), bottomUp, &image), PngLoadResult::Loaded);
    EXPECT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), PngPlugin::kBackground);  // transparent shows the background
    EXPECT_EQ(image.pixel(0, 1), qRgb(30, 20, 10));

    // The same rows top-down (negative height) give the same picture.
    std::vector<unsigned char> topDown(bottomUp.begin() + 8, bottomUp.end());
    topDown.insert(topDown.end(), bottomUp.begin(), bottomUp.begin() + 8);
    QImage flipped;
    ASSERT_EQ(convert(Header(2, -2, 32), topDown, &flipped), PngLoadResult::Loaded);
    EXPECT_EQ(flipped, image);

    // Alpha 128 over the background, rounded: red 255 * 127 / 255, green 224 * 127 / 255, ...
    QImage half;
    ASSERT_EQ(convert(Header(1, 1, 32), {0, 0, 0, 128}, &half), PngLoadResult::Loaded);
    EXPECT_EQ(half.pixel(0, 0), qRgb(127, 112, 96));

    // A picture transparent throughout is all background.
    QImage clear;
    ASSERT_EQ(convert(Header(1, 1, 32), {1, 2, 3, 0}, &clear), PngLoadResult::Loaded);
    EXPECT_EQ(clear.pixel(0, 0), PngPlugin::kBackground);

    // 24-bit rows are padded to 4 bytes: 3 pixels = 9 bytes + 3 padding.
    std::vector<unsigned char> rgb(24, 0);
    rgb[12 + 6] = 7, rgb[12 + 7] = 8, rgb[12 + 8] = 9;  // top row, third pixel
    QImage packed;
    ASSERT_EQ(convert(Header(3, 2, 24), rgb, &packed), PngLoadResult::Loaded);
    EXPECT_EQ(packed.pixel(2, 0), qRgb(9, 8, 7));
}

TEST(PngPluginBlocks, InconsistentOrUnsupportedBlocksAreRefused) {
    QImage untouched(1, 1, QImage::Format_RGB32);
    untouched.fill(Qt::green);
    QImage image = untouched;
    const std::vector<unsigned char> fourPixels(16, 0xFF);

    EXPECT_EQ(convert(Header(2, 2, 32), std::vector<unsigned char>(15, 0), &image), PngLoadResult::BadBlocks);
    EXPECT_EQ(convert(Header(3, 2, 24), std::vector<unsigned char>(23, 0), &image), PngLoadResult::BadBlocks);
    EXPECT_EQ(convert(Header(0, 2, 32), fourPixels, &image), PngLoadResult::BadBlocks);
    EXPECT_EQ(convert(Header(-2, 2, 32), fourPixels, &image), PngLoadResult::BadBlocks);
    EXPECT_EQ(convert(Header(2, 0, 32), fourPixels, &image), PngLoadResult::BadBlocks);
    EXPECT_EQ(convert(Header(2, INT32_MIN, 32), fourPixels, &image), PngLoadResult::BadBlocks);
    EXPECT_EQ(convert(Header(INT32_MAX, INT32_MAX, 32), fourPixels, &image), PngLoadResult::Unsupported);
    EXPECT_EQ(convert(Header(2, 2, 32, 0, 44), fourPixels, &image), PngLoadResult::BadBlocks);  // biSize > block
    std::vector<unsigned char> shortInfo = Header(2, 2, 32);
    shortInfo.resize(39);
    EXPECT_EQ(convert(shortInfo, fourPixels, &image), PngLoadResult::BadBlocks);
    EXPECT_EQ(convert(Header(2, 2, 8), fourPixels, &image), PngLoadResult::Unsupported);
    EXPECT_EQ(convert(Header(2, 2, 32, 3), fourPixels, &image), PngLoadResult::Unsupported);  // bitfields
    EXPECT_EQ(image, untouched);
}

TEST(PngPluginLoading, LoadsThroughDlopenFromTheWorkingDirectory) {
    TempDir program;
    TempDir pictures;
    WorkingDirectory cwd(program.path());

    // Nothing to load yet: the target untouched.
    QImage target(1, 1, QImage::Format_RGB32);
    target.fill(Qt::blue);
    const QImage before = target;
    pictures.write("a.png", QByteArray("\x89PNG"));
    EXPECT_EQ(PngPlugin::loadPngWithPlugin(&target, pictures.file("a.png")), PngLoadResult::PluginMissing);
    EXPECT_EQ(target, before);

    ASSERT_TRUE(QDir(program.path()).mkdir("dll"));
    // A named pipe in the plug-in's place: opening it would wait for a writer for ever.
    const QByteArray fifo = QFile::encodeName(program.file("dll/ifPNG.spi"));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    auto load = std::async(std::launch::async, [&] {
        QImage scratch;
        return PngPlugin::loadPngWithPlugin(&scratch, pictures.file("a.png"));
    });
    if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the plug-in's open is blocked on a named pipe";
        ::close(open(fifo.constData(), O_WRONLY | O_NONBLOCK));  // a writer releases it
    }
    EXPECT_EQ(load.get(), PngLoadResult::PluginMissing);
    ASSERT_EQ(::unlink(fifo.constData()), 0);

    ASSERT_TRUE(QFile::copy(QStringLiteral(ORVANE_PROGRAM_DIR "/dll/ifPNG.spi"), program.file("dll/ifPNG.spi")));

    // 3x2 RGBA with one transparent pixel, under a Japanese name.
    pngwriter::Image png;
    png.width = 3;
    png.height = 2;
    png.colorType = PNG_COLOR_TYPE_RGBA;
    png.rows = {{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0},
                {0, 0, 255, 255, 1, 2, 3, 255, 9, 9, 9, 255}};
    const pngwriter::Bytes bytes = pngwriter::Encode(png);
    const QString name = pictures.file(QStringLiteral("写真 1.PNG"));
    pictures.write(QStringLiteral("写真 1.PNG"), QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())));

    ASSERT_EQ(PngPlugin::loadPngWithPlugin(&target, name), PngLoadResult::Loaded);
    ASSERT_EQ(target.size(), QSize(3, 2));
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(2, 0), PngPlugin::kBackground);
    EXPECT_EQ(target.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(2, 1), qRgb(9, 9, 9));

    // A broken file: the plug-in's failure comes back and the previous picture stays.
    const QImage loaded = target;
    pictures.write("broken.png", QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()) - 20));
    EXPECT_EQ(PngPlugin::loadPngWithPlugin(&target, pictures.file("broken.png")), PngLoadResult::PluginFailed);
    EXPECT_EQ(target, loaded);
    // No regular file there: never handed to the plug-in, which could open a pipe and hang.
    EXPECT_EQ(PngPlugin::loadPngWithPlugin(&target, pictures.file("missing.png")), PngLoadResult::NotAFile);
    ASSERT_EQ(mkfifo(QFile::encodeName(pictures.file("pipe.png")).constData(), 0600), 0);
    EXPECT_EQ(PngPlugin::loadPngWithPlugin(&target, pictures.file("pipe.png")), PngLoadResult::NotAFile);
    EXPECT_EQ(target, loaded);
}
