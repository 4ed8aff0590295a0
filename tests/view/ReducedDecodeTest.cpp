// Reduced decoding: the smallest scale that still covers the view, and the same picture.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "RealFileSystem.h"
#include "view/PictureDecoder.h"
#include "view/PictureFile.h"
#include "TestImages.h"
#include "TestSupport.h"

namespace {

// A JPEG of w x h with detail in every block, so a wrong scale or offset shows in the pixels.
QByteArray DetailedJpeg(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, (x ^ y) & 255));
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG", 90);
    return bytes;
}

QImage PlainDecode(const QString& path) {
    QImage img;
    EXPECT_EQ(PictureDecoder::decode(path, &img), PictureDecoder::Outcome::Decoded);
    return img;
}

TEST(ReducedDecode, PicksTheSmallestScaleThatCoversTheStretchedRectangle) {
    // 6000 x 4000 in 1920 x 1080: stretched to 1620 x 1080; 1/2 covers it, 1/4 does not.
    EXPECT_EQ(PictureDecoder::reducedSize({6000, 4000}, false, {1920, 1080}), QSize(3000, 2000));
    // Turned by 90 degrees it is 4000 x 6000 on screen, stretched to 720 x 1080: 1/4 covers.
    EXPECT_EQ(PictureDecoder::reducedSize({6000, 4000}, true, {1920, 1080}), QSize(1500, 1000));
    EXPECT_EQ(PictureDecoder::reducedSize({6000, 4000}, false, {640, 400}), QSize(750, 500));
    // Sizes round up as the decoder rounds them.
    EXPECT_EQ(PictureDecoder::reducedSize({6001, 4001}, false, {640, 400}), QSize(751, 501));
    // An image the view enlarges, or no view, is decoded whole.
    EXPECT_EQ(PictureDecoder::reducedSize({800, 600}, false, {1920, 1080}), QSize(800, 600));
    EXPECT_EQ(PictureDecoder::reducedSize({6000, 4000}, false, QSize()), QSize(6000, 4000));
}

TEST(ReducedDecode, KeepsTheNaturalSizeAndOrientationAndFullSizeIsThePlainDecode) {
    TempDir dir;
    dir.write("r.jpg", TestImages::JpegWithOrientation6(DetailedJpeg(1600, 1200)));
    QImage pixels;
    QSize natural;
    ASSERT_EQ(PictureDecoder::decode(dir.file("r.jpg"), &pixels, QSize(300, 300), &natural),
              PictureDecoder::Outcome::Decoded);
    EXPECT_EQ(natural, QSize(1200, 1600));
    // Stretched 225 x 300; 1/4 gives 300 x 400, 1/8 would give 150 x 200.
    EXPECT_EQ(pixels.size(), QSize(300, 400));

    const QImage full = PlainDecode(dir.file("r.jpg"));
    ASSERT_EQ(PictureDecoder::decode(dir.file("r.jpg"), &pixels, QSize(), &natural),
              PictureDecoder::Outcome::Decoded);
    EXPECT_EQ(natural, QSize(1200, 1600));
    EXPECT_EQ(pixels, full);
    // A reduced picture looks like the whole one shrunk: same orientation, close colours.
    ASSERT_EQ(PictureDecoder::decode(dir.file("r.jpg"), &pixels, QSize(300, 300), &natural),
              PictureDecoder::Outcome::Decoded);
    const QImage shrunk = full.scaled(pixels.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QRgb a = pixels.pixel(10, 390), b = shrunk.pixel(10, 390);
    EXPECT_NEAR(qRed(a), qRed(b), 40);
    EXPECT_NEAR(qGreen(a), qGreen(b), 40);
}

}  // namespace

// The prefetcher reserves a decode's room from the header: the reduced picture and the
// stretched copy made beside it, as held afterwards, for a JPEG and for the other formats.
TEST(ReducedDecode, TheRoomReservedIsWhatTheDecodedPictureHolds) {
    TempDir dir;
    const QSize view(400, 300);
    for (const char* format : {"JPG", "WEBP"}) {
        const QString name = QStringLiteral("a.") + QString::fromLatin1(format).toLower();
        dir.write(name, TestImages::Encode(1600, 1000, format));
        const DecodedPicture d = decodePictureFile(realFileSystem(), dir.file(name), false, view);
        ASSERT_TRUE(d.ok) << format;
        ASSERT_TRUE(d.picture.isReduced()) << format;
        EXPECT_EQ(PictureFile::estimateBytes(dir.file(name), view), d.picture.bytes()) << format;
    }
}
