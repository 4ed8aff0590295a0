#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "view/PictureDecoder.h"
#include "view/PictureFile.h"
#include "TestImages.h"
#include "TestSupport.h"

using PictureDecoder::Outcome;

namespace {
Outcome DecodeBytes(const TempDir& dir, const QString& name, const QByteArray& bytes,
                    QImage* out) {
    dir.write(name, bytes);
    return PictureDecoder::decode(dir.file(name), out);
}
}  // namespace

TEST(PictureDecoder, DecodesBitmapJpegAndGifAtNaturalSize) {
    TempDir dir;
    QImage img;
    ASSERT_EQ(DecodeBytes(dir, "a.bmp", TestImages::Encode(7, 5, "BMP"), &img), Outcome::Decoded);
    EXPECT_EQ(img.size(), QSize(7, 5));
    ASSERT_EQ(DecodeBytes(dir, "b.jpg", TestImages::Encode(16, 8, "JPG"), &img), Outcome::Decoded);
    EXPECT_EQ(img.size(), QSize(16, 8));
    ASSERT_EQ(DecodeBytes(dir, "c.gif", TestImages::Gif1x1(), &img), Outcome::Decoded);
    EXPECT_EQ(img.size(), QSize(1, 1));
}

TEST(PictureDecoder, TheContentDecidesNotTheEnding) {
    TempDir dir;
    QImage img;
    // A bitmap named .jpg is still a picture.
    EXPECT_EQ(DecodeBytes(dir, "really-bmp.jpg", TestImages::Encode(3, 3, "BMP"), &img),
              Outcome::Decoded);
    // PNG data is only ever decoded by the plug-in, whatever the name says.
    const QImage before = img;
    EXPECT_EQ(DecodeBytes(dir, "really-png.jpg", TestImages::Encode(3, 3, "PNG"), &img),
              Outcome::NotAPicture);
    EXPECT_EQ(img, before);
}

TEST(PictureDecoder, JpegOrientationIsApplied) {
    TempDir dir;
    QImage img;
    const QByteArray jpeg = TestImages::JpegWithOrientation6(TestImages::Encode(16, 8, "JPG"));
    ASSERT_EQ(DecodeBytes(dir, "rot.jpg", jpeg, &img), Outcome::Decoded);
    EXPECT_EQ(img.size(), QSize(8, 16));
}

TEST(PictureDecoder, TransparentPixelsShowTheViewBackground) {
    // The picture is opaque, as a PNG's is, so drawing it over the view at a new offset is a
    // plain copy that leaves nothing of the earlier drawing showing through.
    TempDir dir;
    QImage img;
    ASSERT_EQ(DecodeBytes(dir, "t.gif", TestImages::Gif2x1Transparent(), &img), Outcome::Decoded);
    ASSERT_EQ(img.size(), QSize(2, 1));
    EXPECT_FALSE(img.hasAlphaChannel());
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(1, 0), qRgb(255, 224, 192));
}

TEST(PictureDecoder, BadFilesGiveAClearOutcomeAndLeaveTheTargetAlone) {
    TempDir dir;
    const QImage sentinel(2, 2, QImage::Format_RGB32);
    QImage img = sentinel;
    EXPECT_EQ(DecodeBytes(dir, "empty.jpg", QByteArray(), &img), Outcome::NotAPicture);
    EXPECT_EQ(DecodeBytes(dir, "text.jpg", "just some words\n", &img), Outcome::NotAPicture);
    EXPECT_EQ(DecodeBytes(dir, "junk.bmp", QByteArray(5000, '\x5a'), &img), Outcome::NotAPicture);
    EXPECT_EQ(PictureDecoder::decode(dir.file("missing.jpg"), &img), Outcome::NotAFile);
    EXPECT_EQ(PictureDecoder::decode(QString(), &img), Outcome::NotAFile);
    QDir(dir.path()).mkdir("folder.jpg");
    EXPECT_EQ(PictureDecoder::decode(dir.file("folder.jpg"), &img), Outcome::NotAFile);
    EXPECT_EQ(img.cacheKey(), sentinel.cacheKey());
}

TEST(PictureDecoder, TruncatedFilesNeverCrash) {
    TempDir dir;
    for (const char* format : {"JPG", "BMP"}) {
        const QByteArray whole = TestImages::Encode(64, 64, format);
        for (int cut : {10, 60, int(whole.size() / 2), int(whole.size() - 1)}) {
            QImage img;
            const Outcome o = DecodeBytes(dir, QStringLiteral("t.") + format, whole.left(cut), &img);
            if (o == Outcome::Decoded)
                EXPECT_EQ(img.size(), QSize(64, 64)) << format << " cut at " << cut;
            else
                EXPECT_TRUE(img.isNull()) << format << " cut at " << cut;
        }
    }
    QImage img;
    const Outcome gif = DecodeBytes(dir, "t.gif", TestImages::Gif1x1().left(20), &img);
    EXPECT_NE(gif, Outcome::Decoded);
}

// TooLarge comes from the size the headers claim, before any pixel is decoded.
TEST(PictureDecoder, HugeImagesAreRefusedBeforeDecoding) {
    TempDir dir;
    QImage img;
    // Qt's bitmap reader already refuses the header itself; either way nothing is decoded.
    const Outcome bmp = DecodeBytes(dir, "huge.bmp", TestImages::BmpHeaderOnly(30000, 30000), &img);
    EXPECT_TRUE(bmp == Outcome::TooLarge || bmp == Outcome::Broken);
    const QByteArray jpeg = TestImages::JpegClaiming(TestImages::Encode(16, 16, "JPG"), 30000, 30000);
    EXPECT_EQ(DecodeBytes(dir, "huge.jpg", jpeg, &img), Outcome::TooLarge);
    EXPECT_TRUE(img.isNull());
}

// A progressive JPEG of a few kilobytes claiming 16384 x 16384 pixels: the picture alone fits
// the bound, but the decoder would also hold 0.8 to 1.5 GB of coefficients. Refused from its
// headers. A 50-megapixel progressive photo needs a third of the bound and decodes.
TEST(PictureDecoder, TheDecodersWorkingMemoryCountsAgainstTheBound) {
    TempDir dir;
    QImage img;
    const QByteArray progressive = TestImages::ProgressiveJpeg(16, 16);
    ASSERT_LT(progressive.size(), 3000);
    EXPECT_EQ(DecodeBytes(dir, "claims.jpg", TestImages::JpegClaiming(progressive, 16384, 16384), &img),
              Outcome::TooLarge);
    EXPECT_TRUE(img.isNull());
    dir.write("50mp.jpg", TestImages::JpegClaiming(progressive, 8688, 5792));
    QSize natural;
    EXPECT_EQ(PictureDecoder::decode(dir.file("50mp.jpg"), &img, QSize(800, 600), &natural),
              Outcome::Decoded);
    EXPECT_EQ(natural, QSize(8688, 5792));
}

// Opening a named pipe for reading waits for a writer for ever; a socket or a folder named like
// a picture is no picture either. Each is refused at once, by every reader of picture files.
TEST(PictureFile, OnlyARegularFileIsEverOpened) {
    TempDir dir;
    const QString fifo = dir.file("pipe.jpg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkpath(dir.file("folder.jpg")));
    const QString socketPath = dir.file("socket.jpg");
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(socketPath);
    ASSERT_LT(size_t(native.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    dir.write("good.jpg", TestImages::Encode(4, 3, "JPG"));

    for (const QString& path : {fifo, dir.file("folder.jpg"), socketPath, dir.file("missing.jpg")}) {
        EXPECT_EQ(PictureFile::openRegular(path), -1) << qPrintable(path);
        EXPECT_EQ(PictureFile::estimateBytes(path, QSize()), -1) << qPrintable(path);
        QImage img;
        EXPECT_EQ(PictureDecoder::decode(path, &img), Outcome::NotAFile) << qPrintable(path);
    }
    const int fd = PictureFile::openRegular(dir.file("good.jpg"));
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    ::close(fd);
    EXPECT_EQ(PictureFile::estimateBytes(dir.file("good.jpg"), QSize()), 4 * 3 * 4);
    ::close(listener);
}
