// Pictures carrying a colour profile are shown in sRGB; pictures without one exactly as before.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QColorSpace>
#include <QDir>

#include "RealFileSystem.h"
#include "view/PictureDecoder.h"
#include "view/Prefetcher.h"
#include "SampleFormats.h"
#include "TestImages.h"
#include "TestSupport.h"
#include "WorkingDirectoryGuard.h"

using PictureDecoder::Outcome;

namespace {

struct Case {
    QRgb stored;
    QRgb srgb;  // transicc -i <profile> -o *sRGB -t 0, clipped and rounded
};

// The profiles as SampleFormats builds them, from their published primaries; the values
// were computed once with lcms2's transicc (LittleCMS 2.14) from profiles made with
// cmsCreateRGBProfile from the same primaries, white points and curves.
const Case kProPhoto[] = {{qRgb(255, 0, 0), qRgb(255, 0, 0)},     {qRgb(0, 255, 0), qRgb(0, 255, 0)},
                          {qRgb(0, 0, 255), qRgb(0, 0, 255)},     {qRgb(128, 128, 128), qRgb(146, 146, 146)},
                          {qRgb(200, 120, 60), qRgb(255, 114, 57)}};
const Case kAdobeRgb[] = {{qRgb(255, 0, 0), qRgb(255, 0, 0)},     {qRgb(0, 255, 0), qRgb(0, 255, 0)},
                          {qRgb(0, 0, 255), qRgb(0, 0, 255)},     {qRgb(128, 128, 128), qRgb(129, 129, 129)},
                          {qRgb(200, 120, 60), qRgb(224, 121, 53)}};
const Case kDisplayP3[] = {{qRgb(255, 0, 0), qRgb(255, 0, 0)},    {qRgb(0, 255, 0), qRgb(0, 255, 0)},
                           {qRgb(0, 0, 255), qRgb(0, 0, 255)},    {qRgb(128, 128, 128), qRgb(128, 128, 128)},
                           {qRgb(200, 120, 60), qRgb(213, 115, 42)}};

QByteArray flatJpeg(QRgb colour, const QSize& size = QSize(16, 16)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpeg", 100);
    return bytes;
}

::testing::AssertionResult near(QRgb got, QRgb want, int tolerance) {
    if (std::abs(qRed(got) - qRed(want)) <= tolerance &&
        std::abs(qGreen(got) - qGreen(want)) <= tolerance &&
        std::abs(qBlue(got) - qBlue(want)) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got (" << qRed(got) << "," << qGreen(got) << "," << qBlue(got) << ") want ("
           << qRed(want) << "," << qGreen(want) << "," << qBlue(want) << ")";
}

QRgb centreOf(const TempDir& dir, const QString& name, const QByteArray& bytes) {
    dir.write(name, bytes);
    QImage image;
    if (PictureDecoder::decode(dir.file(name), &image) != Outcome::Decoded) return 0;
    return image.pixel(image.width() / 2, image.height() / 2);
}

}  // namespace

TEST(Colour, ProfiledJpegsShowTheirSrgbColours) {
    TempDir dir;
    const struct {
        const char* name;
        QByteArray icc;
        const Case* cases;
    } profiles[] = {{"ProPhoto", SampleFormats::proPhotoProfile(), kProPhoto},
                    {"Adobe RGB", SampleFormats::adobeRgbProfile(), kAdobeRgb},
                    {"Display P3", SampleFormats::displayP3Profile(), kDisplayP3}};
    for (const auto& p : profiles) {
        ASSERT_FALSE(p.icc.isEmpty());
        for (int i = 0; i < 5; ++i) {
            const Case& c = p.cases[i];
            EXPECT_TRUE(near(centreOf(dir, "p.jpg", SampleFormats::jpegWithProfile(flatJpeg(c.stored), p.icc)),
                             c.srgb, 3))
                << p.name << " case " << i;
        }
    }
}

TEST(Colour, APictureDecodedForTheViewIsConvertedAtTheSizeItIsShown) {
    TempDir dir;
    const Case& c = kAdobeRgb[4];
    dir.write("p.jpg", SampleFormats::jpegWithProfile(flatJpeg(c.stored, QSize(640, 480)),
                                                      SampleFormats::adobeRgbProfile()));
    // The decoder's half scale (320 x 240) is the smallest that covers a 200 x 150 view.
    const DecodedPicture d = decodePictureFile(realFileSystem(), dir.file("p.jpg"), false, QSize(200, 150));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.picture.pixels().size(), QSize(200, 150));
    EXPECT_TRUE(near(d.picture.pixels().pixel(100, 75), c.srgb, 3));
}

TEST(Colour, AProfileIsReadFromWebpTiffHeicAndThePluginsPng) {
    WorkingDirectoryGuard workingDirectory;
    TempDir dir;
    const QByteArray icc = SampleFormats::proPhotoProfile();
    QImage orange(16, 16, QImage::Format_RGB32);
    orange.fill(qRgb(200, 120, 60));
    orange.setColorSpace(QColorSpace::fromIccProfile(icc));
    ASSERT_TRUE(orange.colorSpace().isValid());
    const QRgb want = kProPhoto[4].srgb;
    for (const char* format : {"webp", "tiff"}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(orange.save(&buffer, format, 100));
        EXPECT_TRUE(near(centreOf(dir, QStringLiteral("p.") + format, bytes), want, 3)) << format;
    }
    EXPECT_TRUE(near(centreOf(dir, "p.heic",
                              SampleFormats::heif(orange, SampleFormats::HeifCodec::Hevc, 1, icc, 100)),
                     want, 8));

    QDir::setCurrent(QStringLiteral(ORVANE_PROGRAM_DIR));
    dir.write("p.png", TestImages::Encode(1, 1, "PNG"));  // replaced below, with the profile
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(orange.save(&buffer, "png"));
    dir.write("p.png", png);
    const DecodedPicture d = decodePictureFile(realFileSystem(), dir.file("p.png"), true, QSize());
    ASSERT_TRUE(d.ok);
    EXPECT_TRUE(near(d.picture.pixels().pixel(8, 8), want, 1));
}

TEST(Colour, ACmykJpegShowsItsInksThroughItsProfile) {
    TempDir dir;
    const unsigned char cyan[4] = {255, 0, 0, 0};
    // transicc -i press.icc -o *sRGB -t 0 with C=100%: (18.75, 174.48, 239.16). Read as plain
    // RGB the inks would show as (0, 255, 255).
    EXPECT_TRUE(near(centreOf(dir, "c.jpg", SampleFormats::cmykJpeg(16, 16, cyan, SampleFormats::pressProfile())),
                     qRgb(19, 174, 239), 3));
}

TEST(Colour, ACmykTiffShowsItsInksThroughItsProfile) {
    TempDir dir;
    const unsigned char cyan[4] = {255, 0, 0, 0};
    // As the CMYK JPEG above; Qt's reader would show (0, 255, 255).
    EXPECT_TRUE(near(centreOf(dir, "c.tif", SampleFormats::cmykTiff(16, 16, cyan, SampleFormats::pressProfile())),
                     qRgb(19, 174, 239), 3));
    // Without a profile, through the system's press profile: transicc -i default_cmyk.icc
    // -o *sRGB -t 0 with C=100%: (-653.66, 174.53, 239.35), clipped.
    EXPECT_TRUE(near(centreOf(dir, "bare.tif", SampleFormats::cmykTiff(16, 16, cyan, QByteArray())),
                     qRgb(0, 175, 239), 3));
}

TEST(Colour, ATiledCmykTiffShowsItsInksAsAStripedOneDoes) {
    TempDir dir;
    const unsigned char cyan[4] = {255, 0, 0, 0};
    // 40 x 40 in tiles of 16: the last row and column of tiles lie partly outside the picture.
    // Qt's reader shows the 8-bit one as plain RGB (0, 255, 255) and refuses the 16-bit one.
    for (const int bits : {8, 16}) {
        dir.write("t.tif", SampleFormats::cmykTiff(40, 40, cyan, SampleFormats::pressProfile(), bits,
                                                   bits == 16, 16));
        QImage image;
        QSize natural;
        // Reduced to a quarter for the view, and at full size.
        const QSize view = bits == 16 ? QSize(10, 10) : QSize();
        ASSERT_EQ(PictureDecoder::decode(dir.file("t.tif"), &image, view, &natural), Outcome::Decoded);
        EXPECT_EQ(image.size(), bits == 16 ? QSize(10, 10) : QSize(40, 40));
        for (const QPoint at : {QPoint(image.width() / 2, image.height() / 2),
                                QPoint(image.width() - 1, image.height() - 1)})
            EXPECT_TRUE(near(image.pixel(at), qRgb(19, 174, 239), 3)) << bits;
    }
}

TEST(Colour, APictureWithoutAProfileIsDecodedPixelForPixelAsBefore) {
    TempDir dir;
    QImage gradient(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) gradient.setPixel(x, y, qRgb(x * 4, y * 5, 255 - x * 2));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    gradient.save(&buffer, "jpeg", 80);
    dir.write("g.jpg", bytes);
    QImage decoded;
    ASSERT_EQ(PictureDecoder::decode(dir.file("g.jpg"), &decoded), Outcome::Decoded);
    EXPECT_EQ(decoded, QImage::fromData(bytes, "jpeg").convertToFormat(decoded.format()));
}
