// Hostile, broken and oversized files: every one ends in a non-zero code with nothing handed
// back, never a crash, a hang or a huge allocation.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "DecodeHelpers.h"
#include "TestSupport.h"

using pngwriter::Bytes;

namespace {

Bytes SmallRgbPng(uint32_t w = 6, uint32_t h = 4, bool interlaced = false) {
    pngwriter::Image image;
    image.width = w;
    image.height = h;
    image.interlaced = interlaced;
    for (uint32_t y = 0; y < h; ++y) {
        Bytes row(w * 3);
        for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<unsigned char>(i * 11 + y * 5);
        image.rows.push_back(row);
    }
    return pngwriter::Encode(image);
}

// Offset of the first byte of chunk `type`'s data.
size_t ChunkData(const Bytes& file, const char* type) {
    for (size_t at = 8; at + 8 <= file.size();) {
        const uint32_t length = uint32_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        if (std::memcmp(&file[at + 4], type, 4) == 0) return at + 8;
        at += 12 + length;
    }
    ADD_FAILURE() << "no chunk " << type;
    return 0;
}

void ExpectRefused(const Decoded& d, const char* what) {
    EXPECT_NE(d.result, ifpng::kOk) << what;
    EXPECT_FALSE(d.handedBackOnFailure) << what;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Runs GetPicture's body on a file on disk.
ifpng::Result DecodePath(const QByteArray& path, int32_t offset = 0, uint32_t flags = 0,
                         Decoded* out = nullptr) {
    HLOCAL info = Untouched();
    HLOCAL bits = Untouched();
    const ifpng::Result r = ifpng::decodeFile(path.constData(), offset, flags, &info, &bits);
    if (r == ifpng::kOk) {
        Decoded scratch;
        ReadBlocks(info, bits, out != nullptr ? out : &scratch);
    } else {
        EXPECT_EQ(info, Untouched());
        EXPECT_EQ(bits, Untouched());
    }
    return r;
}

QByteArray ToQBytes(const Bytes& b) { return QByteArray(reinterpret_cast<const char*>(b.data()), int(b.size())); }

}  // namespace

TEST(IfPngBadInput, EveryTruncationIsRefused) {
    for (bool interlaced : {false, true}) {
        const Bytes file = SmallRgbPng(6, 4, interlaced);
        ASSERT_EQ(DecodeBytes(file).result, ifpng::kOk);
        // Cut anywhere, even inside IEND: a file that stops early is never taken as complete.
        for (size_t length = 1; length < file.size(); ++length) {
            const Decoded d = DecodeBytes(Bytes(file.begin(), file.begin() + length));
            ExpectRefused(d, ("cut at " + std::to_string(length)).c_str());
        }
    }
}

TEST(IfPngBadInput, BadCrcOrCorruptDataInCriticalChunks) {
    const Bytes file = SmallRgbPng();
    Bytes ihdr = file;
    ihdr[ChunkData(ihdr, "IHDR") + 2] ^= 0x01;  // width changed, CRC not
    ExpectRefused(DecodeBytes(ihdr), "IHDR CRC");

    Bytes idat = file;
    idat[ChunkData(idat, "IDAT") + 3] ^= 0x40;
    ExpectRefused(DecodeBytes(idat), "IDAT CRC");

    // Corrupt zlib data with a correct CRC: the decompressor itself must refuse it.
    const size_t at = ChunkData(file, "IDAT");
    const uint32_t length = uint32_t(file[at - 8]) << 24 | file[at - 7] << 16 | file[at - 6] << 8 | file[at - 5];
    Bytes garbage(length, 0xFF);
    const Bytes rebuilt = Concat({Bytes(file.begin(), file.begin() + at - 8),
                                  pngwriter::Chunk("IDAT", garbage), pngwriter::Chunk("IEND", {})});
    ExpectRefused(DecodeBytes(rebuilt), "garbage IDAT");

    // No image data at all.
    ExpectRefused(DecodeBytes(Concat({pngwriter::Signature(), pngwriter::Ihdr(4, 4, 8, 2),
                                      pngwriter::Chunk("IEND", {})})),
                  "no IDAT");
}

TEST(IfPngBadInput, NotAPngOrInvalidHeader) {
    const Decoded gif = DecodeBytes({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0});
    EXPECT_EQ(gif.result, ifpng::kNotPng);
    EXPECT_FALSE(gif.handedBackOnFailure);
    EXPECT_EQ(DecodeBytes(Bytes(7, 0x89)).result, ifpng::kNotPng);

    // Zero size, depth that does not fit the colour type, unknown colour type.
    ExpectRefused(DecodeBytes(Concat({pngwriter::Signature(), pngwriter::Ihdr(0, 5, 8, 2)})), "width 0");
    ExpectRefused(DecodeBytes(Concat({pngwriter::Signature(), pngwriter::Ihdr(3, 3, 4, 2)})), "RGB at 4 bits");
    ExpectRefused(DecodeBytes(Concat({pngwriter::Signature(), pngwriter::Ihdr(3, 3, 8, 5)})), "type 5");
}

TEST(IfPngBadInput, HugeDimensionsAreRefusedBeforeAllocating) {
    const struct { uint32_t w, h; } sizes[] = {
        {30001, 1}, {1, 30001}, {0x7FFFFFFF, 0x7FFFFFFF}, {0x80000000u, 1},
        {30000, 30000},  // within the side limit, but 3.6 GB of output
        {10241, 10241},  // just past the 400 MiB cap
    };
    for (const auto& s : sizes) {
        const Bytes file = Concat({pngwriter::Signature(), pngwriter::Ihdr(s.w, s.h, 8, 6),
                                   pngwriter::Chunk("IDAT", pngwriter::Deflate(Bytes(100, 0))),
                                   pngwriter::Chunk("IEND", {})});
        const Decoded d = DecodeBytes(file);
        ExpectRefused(d, (std::to_string(s.w) + "x" + std::to_string(s.h)).c_str());
        if (s.w <= 0x7FFFFFFF && s.h <= 0x7FFFFFFF) {
            EXPECT_EQ(d.result, ifpng::kTooLarge) << s.w << "x" << s.h;
        }
    }
}

TEST(IfPngBadInput, DecompressionBombsStayBounded) {
    // 144 megapixels of zeros in about 140 kB: refused at IHDR, never inflated, so
    // the decoder stops reading long before the image data's end.
    Bytes bomb = pngwriter::ZeroImage(12000, 12000);
    ASSERT_LT(bomb.size(), 1u << 20);
    FILE* stream = fmemopen(bomb.data(), bomb.size(), "rb");
    ASSERT_NE(stream, nullptr);
    HLOCAL info = Untouched();
    HLOCAL bits = Untouched();
    EXPECT_EQ(ifpng::DecodeStream(stream, &info, &bits), ifpng::kTooLarge);
    EXPECT_LT(std::ftell(stream), 1024) << "bytes read of " << bomb.size();
    std::fclose(stream);

    // Within the side limit, past a lowered cap: the same check, whatever the cap is.
    EXPECT_EQ(DecodeBytes(pngwriter::ZeroImage(3000, 3000), 8u << 20).result, ifpng::kTooLarge);
    const Decoded fits = DecodeBytes(pngwriter::ZeroImage(1000, 1000), 8u << 20);
    ASSERT_EQ(fits.result, ifpng::kOk);
    EXPECT_EQ(fits.at(999, 999), 0xFF000000u);

    // A 1x1 image whose IDAT inflates to 64 MiB: libpng stops at what the image needs.
    const Bytes big = pngwriter::Deflate(Bytes(64u << 20, 0));
    const Bytes oneByOne = Concat({pngwriter::Signature(), pngwriter::Ihdr(1, 1, 8, 0),
                                   pngwriter::Chunk("IDAT", big), pngwriter::Chunk("IEND", {})});
    const Decoded d = DecodeBytes(oneByOne);
    EXPECT_FALSE(d.handedBackOnFailure);

    // A zTXt chunk that inflates to 64 MiB is past the chunk limit and dropped; the image stays.
    Bytes ztxt = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
    ztxt.insert(ztxt.end(), big.begin(), big.end());
    const Bytes file = SmallRgbPng(2, 2);
    const size_t idat = ChunkData(file, "IDAT") - 8;
    const Bytes withText = Concat({Bytes(file.begin(), file.begin() + idat), pngwriter::Chunk("zTXt", ztxt),
                                   Bytes(file.begin() + idat, file.end())});
    EXPECT_EQ(DecodeBytes(withText).result, ifpng::kOk);
}

// A hundred bytes whose text chunk declares 2 GiB: libpng allocates (and clears) a chunk's
// declared length before reading it. Refused as too large without that memory ever being taken.
TEST(IfPngBadInput, AChunkDeclaringGigabytesIsRefusedWithoutTakingThem) {
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    EXPECT_EQ(DecodeBytes(pngwriter::TextChunkClaiming(0x7fffffff)).result, ifpng::kTooLarge);
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "peak resident kilobytes grew";
    // Declared lengths within the working-memory cap are still merely a file cut short.
    EXPECT_EQ(DecodeBytes(pngwriter::TextChunkClaiming(1u << 20)).result, ifpng::kBrokenData);
}

TEST(IfPngBadInput, FileArgumentsAndOddFiles) {
    TempDir dir;
    const QByteArray good = QFile::encodeName(dir.file("good.png"));
    dir.write("good.png", ToQBytes(SmallRgbPng()));
    EXPECT_EQ(DecodePath(good), ifpng::kOk);

    // Only "a file on disk from its start" is a call the program makes; anything else is refused.
    EXPECT_EQ(DecodePath(good, 0, 1), ifpng::kBadArguments);
    EXPECT_EQ(DecodePath(good, -1, 0), ifpng::kBadArguments);
    HLOCAL bits = Untouched();
    EXPECT_EQ(ifpng::decodeFile(good.constData(), 0, 0, nullptr, &bits), ifpng::kBadArguments);
    EXPECT_EQ(bits, Untouched());

    // A PNG after 16 bytes of something else, read from the offset.
    dir.write("embedded.bin", QByteArray(16, 'x') + ToQBytes(SmallRgbPng()));
    EXPECT_EQ(DecodePath(QFile::encodeName(dir.file("embedded.bin")), 16), ifpng::kOk);

    dir.write("empty.png", QByteArray());
    EXPECT_EQ(DecodePath(QFile::encodeName(dir.file("empty.png"))), ifpng::kNotPng);
    EXPECT_EQ(DecodePath(QFile::encodeName(dir.file("missing.png"))), ifpng::kCannotRead);
    QDir(dir.path()).mkdir("folder.png");
    EXPECT_EQ(DecodePath(QFile::encodeName(dir.file("folder.png"))), ifpng::kCannotRead);
    // A named pipe with no writer would block a plain open forever.
    const QByteArray fifo = QFile::encodeName(dir.file("pipe.png"));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    EXPECT_EQ(DecodePath(fifo), ifpng::kCannotRead);

    // Linux names need not be UTF-8: the name is passed through as bytes.
    const QByteArray latin1 = QFile::encodeName(dir.path()) + "/caf\xe9\xff.png";
    FILE* f = std::fopen(latin1.constData(), "wb");
    ASSERT_NE(f, nullptr);
    const Bytes png = SmallRgbPng(3, 2);
    std::fwrite(png.data(), 1, png.size(), f);
    std::fclose(f);
    Decoded d;
    EXPECT_EQ(DecodePath(latin1, 0, 0, &d), ifpng::kOk);
    EXPECT_EQ(d.width, 3u);
}

// Inputs the fuzzer reached (tests/plugin/cases, CRCs made valid): "decoded-*" decode,
// "refused-*" are refused with nothing handed back; none crashes or leaks.
TEST(IfPngBadInput, FuzzerCorpusCases) {
    const QDir cases(QStringLiteral(ORVANE_PLUGIN_CASES_DIR));
    const QStringList names = cases.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        QFile f(cases.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const Decoded d = DecodeBytes(Bytes(bytes.begin(), bytes.end()), 16u << 20);
        if (name.startsWith(QLatin1String("decoded-"))) {
            EXPECT_EQ(d.result, ifpng::kOk) << name.toStdString();
            EXPECT_EQ(d.pixels.size(), size_t(d.width) * d.height) << name.toStdString();
        } else {
            ExpectRefused(d, name.toUtf8().constData());
        }
    }
}
