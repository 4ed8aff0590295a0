// HEIC/AVIF, camera RAW, WebP and TIFF: decoded upright, reduced, and refused when they claim
// more memory than the bound.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <QtEndian>

#include <vector>

#include <libheif/heif.h>
#include <libraw/libraw.h>

#include <memory>

#include "view/PictureDecoder.h"
#include "view/PictureFile.h"
#include "SampleFormats.h"
#include "TestImages.h"
#include "TestSupport.h"

using PictureDecoder::Outcome;
using SampleFormats::CameraMake;
using SampleFormats::HeifCodec;

namespace {

// Left half red, right half blue: which way it was turned shows.
QImage halves(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < h; ++y)
        for (int x = w / 2; x < w; ++x) image.setPixel(x, y, qRgb(0, 0, 255));
    return image;
}

QByteArray jpegOf(const QImage& image) { return SampleFormats::encoded(image, "jpeg", 95); }

bool reddish(QRgb c) { return qRed(c) > 180 && qBlue(c) < 80; }
bool bluish(QRgb c) { return qBlue(c) > 180 && qRed(c) < 80; }

struct Decoded {
    Outcome outcome = Outcome::Broken;
    QImage image;
    QSize natural;
};

Decoded decodeFile(const TempDir& dir, const QString& name, const QByteArray& bytes,
                   const QSize& coverView = QSize()) {
    dir.write(name, bytes);
    Decoded d;
    d.outcome = PictureDecoder::decode(dir.file(name), &d.image, coverView, &d.natural);
    return d;
}

// A quarter turn clockwise puts the left half (red) on top.
void expectTurnedUpright(const Decoded& d, const QSize& natural) {
    ASSERT_EQ(d.outcome, Outcome::Decoded);
    EXPECT_EQ(d.natural, natural);
    const QImage& i = d.image;
    EXPECT_TRUE(reddish(i.pixel(i.width() / 2, i.height() / 8))) << std::hex << i.pixel(0, 0);
    EXPECT_TRUE(bluish(i.pixel(i.width() / 2, i.height() * 7 / 8)));
}

}  // namespace

TEST(OtherFormats, HeicAndAvifAreTurnedByTheirContainer) {
    TempDir dir;
    for (HeifCodec codec : {HeifCodec::Hevc, HeifCodec::Av1}) {
        const QByteArray file = SampleFormats::heif(halves(128, 64), codec, 6);
        ASSERT_FALSE(file.isEmpty());
        expectTurnedUpright(decodeFile(dir, codec == HeifCodec::Hevc ? "a.HEIC" : "a.avif", file),
                            QSize(64, 128));
    }
}

TEST(OtherFormats, HeicIsHeldReducedWithItsNaturalSize) {
    TempDir dir;
    const Decoded d = decodeFile(dir, "big.heic", SampleFormats::heif(halves(1024, 512), HeifCodec::Hevc),
                                 QSize(200, 100));
    ASSERT_EQ(d.outcome, Outcome::Decoded);
    EXPECT_EQ(d.natural, QSize(1024, 512));
    EXPECT_EQ(d.image.size(), QSize(256, 128));
}

// libheif's own conversion of the HEIF file `file` to RGB, at full size.
static QImage libheifRgb(const QByteArray& file) {
    heif_context* context = heif_context_alloc();
    heif_image_handle* handle = nullptr;
    heif_image* image = nullptr;
    QImage out;
    if (!heif_context_read_from_memory_without_copy(context, file.constData(), size_t(file.size()), nullptr).code &&
        !heif_context_get_primary_image_handle(context, &handle).code &&
        !heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code) {
        int stride = 0;
        const uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
        out = QImage(plane, heif_image_get_width(image, heif_channel_interleaved),
                     heif_image_get_height(image, heif_channel_interleaved), stride,
                     QImage::Format_RGB888).convertToFormat(QImage::Format_RGB32);
    }
    if (image) heif_image_release(image);
    if (handle) heif_image_handle_release(handle);
    heif_context_free(context);
    return out;
}

TEST(OtherFormats, ReducedHeicShowsTheColoursLibheifConvertsItTo) {
    TempDir dir;
    const QRgb colours[4] = {qRgb(230, 120, 30), qRgb(20, 160, 150), qRgb(128, 128, 128),
                             qRgb(120, 40, 200)};
    QImage quarters(256, 128, QImage::Format_RGB32);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x) quarters.setPixel(x, y, colours[(x >= 128) + 2 * (y >= 64)]);
    // libheif's default coding, and BT.709 in limited range as cameras and phones write it.
    for (bool bt709Limited : {false, true}) {
        const QByteArray file = SampleFormats::heif(quarters, HeifCodec::Hevc, 1, {}, 90, bt709Limited);
        const Decoded d = decodeFile(dir, "q.heic", file, QSize(100, 50));
        ASSERT_EQ(d.outcome, Outcome::Decoded);
        ASSERT_EQ(d.image.size(), QSize(128, 64));
        const QImage reference = libheifRgb(file);
        ASSERT_EQ(reference.size(), QSize(256, 128));
        // The rewritten box does change what libheif shows.
        if (bt709Limited) {
            EXPECT_GT(std::abs(qRed(reference.pixel(64, 32)) - qRed(colours[0])), 10);
        }
        for (int q = 0; q < 4; ++q) {
            const int x = 64 * (q % 2) + 32, y = 32 * (q / 2) + 16;
            const QRgb ours = d.image.pixel(x, y), theirs = reference.pixel(2 * x, 2 * y);
            EXPECT_NEAR(qRed(ours), qRed(theirs), 3) << bt709Limited << " quarter " << q;
            EXPECT_NEAR(qGreen(ours), qGreen(theirs), 3) << bt709Limited << " quarter " << q;
            EXPECT_NEAR(qBlue(ours), qBlue(theirs), 3) << bt709Limited << " quarter " << q;
        }
    }
}

TEST(OtherFormats, HeicClaimingAHugePictureIsRefusedBeforeDecoding) {
    TempDir dir;
    QByteArray file = SampleFormats::heif(halves(64, 64), HeifCodec::Hevc);
    // The ispe box: size, type, version and flags, then width and height.
    const int ispe = int(file.indexOf("ispe"));
    ASSERT_GT(ispe, 0);
    for (int at : {ispe + 8, ispe + 12}) file.replace(at, 4, QByteArray("\x00\x00\xC0\x00", 4));
    QImage untouched;
    QSize natural;
    dir.write("huge.heic", file);
    EXPECT_EQ(PictureDecoder::decode(dir.file("huge.heic"), &untouched, QSize(), &natural),
              Outcome::TooLarge);
    EXPECT_TRUE(untouched.isNull());
}

TEST(OtherFormats, PhonesGridOfTilesDecodesWhole) {
    TempDir dir;
    // 12 MP in 512 x 512 tiles, as phones write them, each tile red left and blue right.
    const Decoded d = decodeFile(dir, "IMG_1.HEIC", SampleFormats::heifGrid(halves(512, 512), 8, 6),
                                 QSize(1024, 768));
    ASSERT_EQ(d.outcome, Outcome::Decoded);
    EXPECT_EQ(d.natural, QSize(4096, 3072));
    const int tile = d.image.width() / 8;
    EXPECT_TRUE(reddish(d.image.pixel(tile * 7 + tile / 4, 10)));
    EXPECT_TRUE(bluish(d.image.pixel(tile * 7 + tile * 3 / 4, d.image.height() - 10)));
}

// Found by fuzzing: a grid item with a small ispe whose grid data claims a huge picture made
// libheif allocate it (3.2 GB for 725 bytes).
TEST(OtherFormats, HeicGridClaimingAHugePictureIsRefusedBeforeDecoding) {
    TempDir dir;
    QByteArray file = SampleFormats::heifGrid(halves(64, 64), 2, 1);
    // The grid data: version, flags, rows - 1, columns - 1, then width and height.
    const int idat = int(file.indexOf("idat"));
    ASSERT_GT(idat, 0);
    file.replace(idat + 8, 4, QByteArray("\x27\x10\x27\x10", 4));  // 10000 x 10000
    EXPECT_EQ(decodeFile(dir, "grid.heic", file).outcome, Outcome::TooLarge);
    // The fuzzer's own file: 49200 x 64799.
    QImage untouched;
    QSize natural;
    EXPECT_EQ(PictureDecoder::decode(QStringLiteral(ORVANE_SOURCE_DIR "/tests/view/cases/grid-huge-output.heic"),
                                     &untouched, QSize(), &natural),
              Outcome::TooLarge);
}

// `heic` (one HEVC item as libheif writes it, its data all of the last box) with copies of its
// sequence parameter set, declaring `width` x `height`, and of its picture parameter set ahead
// of its data, where the decoder takes them over the ones in hvcC.
static QByteArray withCodedSize(QByteArray heic, uint32_t width, uint32_t height) {
    QByteArray sps, pps;
    for (int at = int(heic.indexOf("hvcC")) + 27; at > 30 && at + 5 < heic.size() && pps.isEmpty();) {
        for (int n = qFromBigEndian<uint16_t>(heic.constData() + at + 1), i = 0; i < n; ++i) {
            const int length = qFromBigEndian<uint16_t>(heic.constData() + at + 3);
            const int type = (heic[at + 5] >> 1) & 0x3f;
            if (type == 33 || type == 34) (type == 33 ? sps : pps) = heic.mid(at + 5, length);
            at += 2 + length;
        }
        at += 3;
    }
    std::vector<bool> bits;
    for (int i = 0, zeros = 0; i < sps.size(); ++i) {
        if (zeros >= 2 && sps[i] == 3) {  // emulation prevention
            zeros = 0;
            continue;
        }
        zeros = sps[i] ? 0 : zeros + 1;
        for (int b = 7; b >= 0; --b) bits.push_back((uint8_t(sps[i]) >> b) & 1);
    }
    auto skipNumber = [&bits](size_t at) {  // past an Exp-Golomb number at `at`
        size_t zeros = 0;
        while (at + zeros < bits.size() && !bits[at + zeros]) ++zeros;
        return at + 2 * zeros + 1;
    };
    auto number = [](uint32_t value) {
        std::vector<bool> code;
        const uint64_t v = uint64_t(value) + 1;
        int length = 0;
        while (v >> (length + 1)) ++length;
        code.assign(size_t(length), false);
        for (int b = length; b >= 0; --b) code.push_back((v >> b) & 1);
        return code;
    };
    // Header, VPS id, one sub-layer (as x265 writes), profile and level, SPS id, chroma format 1.
    const size_t sizeAt = skipNumber(skipNumber(16 + 8 + 96));
    const size_t sizeEnd = skipNumber(skipNumber(sizeAt));
    std::vector<bool> rewritten(bits.begin(), bits.begin() + long(sizeAt));
    for (uint32_t side : {width, height}) {
        const std::vector<bool> code = number(side);
        rewritten.insert(rewritten.end(), code.begin(), code.end());
    }
    rewritten.insert(rewritten.end(), bits.begin() + long(sizeEnd), bits.end());
    QByteArray unit;
    for (size_t i = 0, zeros = 0; i < rewritten.size(); i += 8) {
        uint8_t byte = 0;
        for (size_t b = 0; b < 8; ++b) byte = uint8_t(byte << 1 | (i + b < rewritten.size() && rewritten[i + b]));
        if (zeros >= 2 && byte <= 3) {
            unit += '\3';
            zeros = 0;
        }
        zeros = byte ? 0 : zeros + 1;
        unit += char(byte);
    }
    for (QByteArray* nal : {&unit, &pps}) {
        nal->prepend(QByteArray(4, '\0'));
        qToBigEndian<uint32_t>(uint32_t(nal->size() - 4), nal->data());
    }
    unit += pps;
    const int mdat = int(heic.lastIndexOf("mdat")) - 4;
    const uint32_t dataLength = qFromBigEndian<uint32_t>(heic.constData() + mdat) - 8;
    char length[4], longer[4];
    qToBigEndian(dataLength, length);
    qToBigEndian(uint32_t(dataLength + unit.size()), longer);
    const int iloc = int(heic.indexOf("iloc"));
    heic.replace(int(heic.indexOf(QByteArray(length, 4), iloc)), 4, QByteArray(longer, 4));
    heic.insert(mdat + 8, unit);
    qToBigEndian(qFromBigEndian<uint32_t>(heic.constData() + mdat) + uint32_t(unit.size()), heic.data() + mdat);
    return heic;
}

// The earlier finding: a 64 x 64 ispe, but the codec is told of 12000 x 12000.
TEST(OtherFormats, HeicWhoseCodecIsToldOfAHugePictureIsRefusedBeforeDecoding) {
    TempDir dir;
    const QByteArray file = SampleFormats::heif(halves(64, 64), HeifCodec::Hevc);
    // The rewriting itself keeps a good file good.
    EXPECT_EQ(decodeFile(dir, "same.heic", withCodedSize(file, 64, 64)).outcome, Outcome::Decoded);
    EXPECT_EQ(decodeFile(dir, "huge.heic", withCodedSize(file, 12000, 12000)).outcome, Outcome::TooLarge);
}

TEST(OtherFormats, RawShowsItsOwnPreviewTurnedByItsOrientation) {
    TempDir dir;
    const QByteArray preview = jpegOf(halves(320, 200));
    expectTurnedUpright(decodeFile(dir, "IMG_1.dng", SampleFormats::dng(preview, 6, 64, 48)),
                        QSize(200, 320));
    // Reduced like a JPEG file, by the decoder's own scaling.
    const Decoded reduced = decodeFile(dir, "IMG_2.dng", SampleFormats::dng(preview, 1, 64, 48),
                                       QSize(80, 50));
    ASSERT_EQ(reduced.outcome, Outcome::Decoded);
    EXPECT_EQ(reduced.natural, QSize(320, 200));
    EXPECT_EQ(reduced.image.size(), QSize(80, 50));
}

// Each make's own layout, taken by LibRaw for that make: the full-size JPEG preview is shown
// (not the green thumbnail beside it, nor the grey sensor), turned by the RAW's orientation.
TEST(OtherFormats, CamerasRawFilesShowTheirPreviewTurned) {
    TempDir dir;
    const QByteArray preview = jpegOf(halves(320, 200));
    const struct {
        CameraMake make;
        const char* name;
        const char* makeAsLibRawNamesIt;
    } cameras[] = {{CameraMake::Canon, "IMG_0001.CR2", "Canon"},
                   {CameraMake::Nikon, "DSC_0002.NEF", "Nikon"},
                   {CameraMake::Sony, "DSC03.ARW", "Sony"}};
    for (const auto& camera : cameras) {
        SCOPED_TRACE(camera.name);
        QByteArray file = SampleFormats::cameraRaw(camera.make, preview, 6);
        const auto raw = std::make_unique<LibRaw>();  // some 400 kB of state
        ASSERT_EQ(raw->open_buffer(file.data(), size_t(file.size())), LIBRAW_SUCCESS);
        EXPECT_STREQ(raw->imgdata.idata.make, camera.makeAsLibRawNamesIt);
        EXPECT_EQ(raw->imgdata.idata.dng_version, 0u);
        ASSERT_EQ(raw->unpack_thumb(), LIBRAW_SUCCESS);
        EXPECT_EQ(raw->imgdata.thumbnail.tformat, LIBRAW_THUMBNAIL_JPEG);
        expectTurnedUpright(decodeFile(dir, camera.name, file), QSize(200, 320));
        // The first directory (the thumbnail of a NEF) says nothing of the preview's size.
        EXPECT_EQ(PictureFile::estimateBytes(dir.file(camera.name), QSize()), -1);
    }
}

TEST(OtherFormats, RawWithOnlyAThumbnailIsDevelopedFromTheSensor) {
    TempDir dir;
    const Decoded d =
        decodeFile(dir, "x.dng", SampleFormats::dng(jpegOf(halves(32, 24)), 1, 512, 384));
    ASSERT_EQ(d.outcome, Outcome::Decoded);
    EXPECT_EQ(d.natural, QSize(512, 384));
    EXPECT_EQ(d.image.size(), QSize(512, 384));
}

TEST(OtherFormats, RawClaimingAHugeSensorIsRefusedBeforeUnpacking) {
    TempDir dir;
    QByteArray file = SampleFormats::dng(jpegOf(halves(32, 24)), 1, 64, 48);
    // The sensor directory's width and height entries (tags 256 and 257, LONG values).
    for (uint16_t tag : {256, 257}) {
        const QByteArray entry = QByteArray(1, char(tag & 0xff)) + char(tag >> 8) + QByteArray("\x04\x00\x01\x00\x00\x00", 6);
        const int at = int(file.indexOf(entry));  // the sensor's directory is written first
        ASSERT_GT(at, 0);
        file.replace(at + 8, 4, QByteArray("\x60\xea\x00\x00", 4));  // 60000
    }
    const Decoded d = decodeFile(dir, "huge.dng", file);
    EXPECT_TRUE(d.outcome == Outcome::TooLarge || d.outcome == Outcome::NotAPicture ||
                d.outcome == Outcome::Broken);
    EXPECT_TRUE(d.image.isNull());
}

TEST(OtherFormats, WebpAndTiffDecodeByTheirEndingsOnlyAndTiffIsTurned) {
    TempDir dir;
    const QByteArray webp = TestImages::Encode(8, 4, "WEBP");
    EXPECT_EQ(decodeFile(dir, "a.webp", webp).outcome, Outcome::Decoded);
    // Under the four endings the content is read as before: bitmap, JPEG or GIF only.
    EXPECT_EQ(decodeFile(dir, "a.jpg", webp).outcome, Outcome::NotAPicture);

    QByteArray tiff;
    QBuffer buffer(&tiff);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "tiff");
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    ASSERT_TRUE(writer.write(halves(64, 32)));
    expectTurnedUpright(decodeFile(dir, "scan.TIF", tiff), QSize(32, 64));
}

TEST(OtherFormats, WebpIsDecodedReducedInItsOwnColours) {
    TempDir dir;
    const QByteArray webp = SampleFormats::encoded(halves(1024, 512), "webp", 90);
    ASSERT_FALSE(webp.isEmpty());
    const Decoded d = decodeFile(dir, "big.webp", webp, QSize(200, 100));
    ASSERT_EQ(d.outcome, Outcome::Decoded);
    EXPECT_EQ(d.natural, QSize(1024, 512));
    EXPECT_EQ(d.image.size(), QSize(256, 128));
    EXPECT_TRUE(reddish(d.image.pixel(32, 64))) << std::hex << d.image.pixel(32, 64);
    EXPECT_TRUE(bluish(d.image.pixel(224, 64)));
}

TEST(OtherFormats, WebpIsTurnedByItsExifOrientationAsItIsReduced) {
    TempDir dir;
    const QByteArray webp = SampleFormats::encoded(halves(1024, 512), "webp", 90);
    ASSERT_FALSE(webp.isEmpty());
    // Upright it is 512 x 1024: a quarter of that covers the view, an eighth would not.
    const Decoded d = decodeFile(dir, "phone.webp", SampleFormats::webpWithExif(webp, 6), QSize(100, 200));
    expectTurnedUpright(d, QSize(512, 1024));
    EXPECT_EQ(d.image.size(), QSize(128, 256));
}

// Found by fuzzing.
TEST(OtherFormats, MalformedRawFilesEndInAnOutcome) {
    // A bitmap preview LibRaw would unpack past its buffer; a Canon sensor slice of no width
    // its loader would divide by.
    for (const char* name : {"bitmap-preview-overflow.dng", "cr2-slice-of-no-width.cr2"}) {
        QImage image;
        QSize natural;
        PictureDecoder::decode(QStringLiteral(ORVANE_SOURCE_DIR "/tests/view/cases/") + name,
                               &image, QSize(), &natural);
    }
}
