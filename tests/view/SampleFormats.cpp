#include "SampleFormats.h"

#include <QBuffer>
#include <QImageWriter>
#include <QtEndian>

#include <libheif/heif.h>
#include <lcms2.h>
#include <tiffio.h>
#include <webp/mux.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "view/ColourProfile.h"
#include "TiffWriter.h"

namespace SampleFormats {

QByteArray encoded(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality)) return {};
    return bytes;
}

namespace {

heif_error appendBytes(heif_context*, const void* data, size_t size, void* userdata) {
    static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data), qsizetype(size));
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

// libtiff's file procedures over a QBuffer.
QIODevice* device(thandle_t h) { return static_cast<QIODevice*>(h); }
tmsize_t tiffRead(thandle_t h, void* b, tmsize_t n) { return tmsize_t(device(h)->read(static_cast<char*>(b), n)); }
tmsize_t tiffWrite(thandle_t h, void* b, tmsize_t n) {
    return tmsize_t(device(h)->write(static_cast<const char*>(b), n));
}
toff_t tiffSeek(thandle_t h, toff_t o, int whence) {
    const qint64 base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? device(h)->pos() : device(h)->size();
    return device(h)->seek(base + qint64(o)) ? toff_t(base + qint64(o)) : toff_t(-1);
}
int tiffClose(thandle_t) { return 0; }
toff_t tiffSize(thandle_t h) { return toff_t(device(h)->size()); }
int tiffMap(thandle_t, void**, toff_t*) { return 0; }
void tiffUnmap(thandle_t, void*, toff_t) {}

QByteArray savedProfile(cmsHPROFILE p) {
    cmsUInt32Number size = 0;
    QByteArray bytes;
    if (p && cmsSaveProfileToMem(p, nullptr, &size)) {
        bytes.resize(qsizetype(size));
        cmsSaveProfileToMem(p, bytes.data(), &size);
    }
    if (p) cmsCloseProfile(p);
    return bytes;
}

}  // namespace

QByteArray heif(const QImage& source, HeifCodec codec, int exifOrientation, const QByteArray& icc,
                int quality, bool bt709Limited) {
    // With alpha, libheif codes it as a picture of its own, an auxiliary item.
    const bool alpha = source.hasAlphaChannel();
    const QImage rgb = source.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    heif_image* image = nullptr;
    heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB,
                      alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        memcpy(plane + y * stride, rgb.constScanLine(y), size_t(rgb.width()) * (alpha ? 4 : 3));
    if (!icc.isEmpty()) heif_image_set_raw_color_profile(image, "prof", icc.constData(), size_t(icc.size()));
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    QByteArray out;
    if (!heif_context_get_encoder_for_format(
            context, codec == HeifCodec::Hevc ? heif_compression_HEVC : heif_compression_AV1,
            &encoder).code) {
        heif_encoder_set_lossy_quality(encoder, quality);
        heif_encoding_options* options = heif_encoding_options_alloc();
        options->image_orientation = heif_orientation(exifOrientation);
        // An nclx box written, so it can be rewritten below.
        if (bt709Limited) options->macOS_compatibility_workaround_no_nclx_profile = 0;
        if (!heif_context_encode_image(context, image, encoder, options, nullptr).code) {
            heif_writer writer{1, appendBytes};
            heif_context_write(context, &writer, &out);
        }
        heif_encoding_options_free(options);
        heif_encoder_release(encoder);
    }
    heif_context_free(context);
    heif_image_release(image);
    // libheif 1.15 writes BT.601 full range whatever it is asked: the box says otherwise, and
    // a decoder that follows it reads the same samples as other colours.
    const int colr = int(out.indexOf("colrnclx"));
    if (bt709Limited && colr > 0 && colr + 15 <= out.size()) {
        out[colr + 12] = 0;
        out[colr + 13] = 1;   // matrix_coefficients: BT.709
        out[colr + 14] = 0;   // full_range_flag clear
    }
    return out;
}

namespace {
QByteArray bigEndian(uint32_t value, int bytes) {
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i) out += char(value >> (8 * i));
    return out;
}
QByteArray box(const char* type, const QByteArray& body) {
    return bigEndian(uint32_t(8 + body.size()), 4) + type + body;
}
QByteArray fullBox(const char* type, int version, int flags, const QByteArray& body) {
    return box(type, bigEndian(uint32_t(version), 1) + bigEndian(uint32_t(flags), 3) + body);
}
}  // namespace

QByteArray heifGrid(const QImage& tile, int columns, int rows) {
    // The tile's parameter sets (its hvcC box) and coded data (all the mdat box libheif writes).
    const QByteArray single = heif(tile, HeifCodec::Hevc);
    const int hvcC = int(single.indexOf("hvcC")) - 4, mdat = int(single.lastIndexOf("mdat")) - 4;
    if (hvcC < 0 || mdat < 0) return {};
    const QByteArray config = single.mid(hvcC, qFromBigEndian<int32_t>(single.constData() + hvcC));
    const QByteArray coded = single.mid(mdat + 8);
    const int tiles = columns * rows;
    const QByteArray ftyp = box("ftyp", QByteArray("heic") + bigEndian(0, 4) + "mif1heic");
    auto meta = [&](uint32_t codedAt) {
        QByteArray infe = fullBox("infe", 2, 0, bigEndian(1, 2) + bigEndian(0, 2) + "grid" + '\0');
        QByteArray iloc = bigEndian(0x4400, 2) + bigEndian(uint32_t(tiles + 1), 2) + bigEndian(1, 2) +
                          bigEndian(1, 2) + bigEndian(0, 2) + bigEndian(1, 2) + bigEndian(0, 4) + bigEndian(8, 4);
        QByteArray dimg = bigEndian(1, 2) + bigEndian(uint32_t(tiles), 2);
        QByteArray ipma = bigEndian(uint32_t(tiles + 1), 4) + bigEndian(1, 2) + '\1' + '\3';
        for (uint32_t id = 2; id < uint32_t(tiles) + 2; ++id) {
            infe += fullBox("infe", 2, 1, bigEndian(id, 2) + bigEndian(0, 2) + "hvc1" + '\0');
            iloc += bigEndian(id, 2) + bigEndian(0, 2) + bigEndian(0, 2) + bigEndian(1, 2) +
                    bigEndian(codedAt, 4) + bigEndian(uint32_t(coded.size()), 4);
            dimg += bigEndian(id, 2);
            ipma += bigEndian(id, 2) + '\2' + '\x81' + '\2';
        }
        auto ispe = [](int w, int h) { return fullBox("ispe", 0, 0, bigEndian(w, 4) + bigEndian(h, 4)); };
        const QByteArray grid = bigEndian(0, 2) + bigEndian(uint32_t(rows - 1), 1) + bigEndian(uint32_t(columns - 1), 1) +
                                bigEndian(uint32_t(columns * tile.width()), 2) + bigEndian(uint32_t(rows * tile.height()), 2);
        return box("meta", bigEndian(0, 4) +
                   fullBox("hdlr", 0, 0, bigEndian(0, 4) + "pict" + QByteArray(13, '\0')) +
                   fullBox("pitm", 0, 0, bigEndian(1, 2)) +
                   fullBox("iinf", 0, 0, bigEndian(uint32_t(tiles + 1), 2) + infe) +
                   fullBox("iloc", 1, 0, iloc) + fullBox("iref", 0, 0, box("dimg", dimg)) +
                   box("iprp", box("ipco", config + ispe(tile.width(), tile.height()) +
                                               ispe(columns * tile.width(), rows * tile.height())) +
                                   fullBox("ipma", 0, 0, ipma)) +
                   box("idat", grid));
    };
    const uint32_t codedAt = uint32_t(ftyp.size() + meta(0).size() + 8);
    return ftyp + meta(codedAt) + box("mdat", coded);
}

QByteArray dng(const QByteArray& previewJpeg, int exifOrientation, int sensorWidth,
               int sensorHeight) {
    TiffWriter t;
    const QImage preview = QImage::fromData(previewJpeg, "jpeg");
    const int jpegAt = t.append(previewJpeg);
    const int rawAt = t.append(QByteArray(sensorWidth * sensorHeight * 2, '\x08'));  // 0x0808
    const int bitsAt = t.append16({8, 8, 8});
    const int makeAt = t.append(QByteArray("Orvane\0", 7));
    const int modelAt = t.append(QByteArray("Sample\0", 7));
    const int uniqueAt = t.append(QByteArray("Orvane Sample\0", 14));
    // An identity-like XYZ to camera matrix, as signed rationals.
    QByteArray matrix(9 * 8, '\0');
    for (int i = 0; i < 9; ++i) {
        qToLittleEndian<int32_t>(i % 4 == 0 ? 10000 : 0, matrix.data() + 8 * i);
        qToLittleEndian<int32_t>(10000, matrix.data() + 8 * i + 4);
    }
    const int matrixAt = t.append(matrix);
    const int rawIfd = t.directory({{254, 4, 1, 0},
                                    {256, 4, 1, uint32_t(sensorWidth)},
                                    {257, 4, 1, uint32_t(sensorHeight)},
                                    {258, 3, 1, 16},
                                    {259, 3, 1, 1},
                                    {262, 3, 1, 32803},
                                    {273, 4, 1, uint32_t(rawAt)},
                                    {277, 3, 1, 1},
                                    {278, 4, 1, uint32_t(sensorHeight)},
                                    {279, 4, 1, uint32_t(sensorWidth * sensorHeight * 2)},
                                    {33421, 3, 2, 0x00020002},
                                    {33422, 1, 4, 0x02010100},
                                    {50717, 4, 1, 4095}});
    const int ifd0 = t.directory({{254, 4, 1, 1},
                                  {256, 4, 1, uint32_t(preview.width())},
                                  {257, 4, 1, uint32_t(preview.height())},
                                  {258, 3, 3, uint32_t(bitsAt)},
                                  {259, 3, 1, 7},
                                  {262, 3, 1, 6},
                                  {271, 2, 7, uint32_t(makeAt)},
                                  {272, 2, 7, uint32_t(modelAt)},
                                  {273, 4, 1, uint32_t(jpegAt)},
                                  {274, 3, 1, uint32_t(exifOrientation)},
                                  {277, 3, 1, 3},
                                  {278, 4, 1, uint32_t(preview.height())},
                                  {279, 4, 1, uint32_t(previewJpeg.size())},
                                  {330, 4, 1, uint32_t(rawIfd)},
                                  {50706, 1, 4, 0x00000401},
                                  {50708, 2, 14, uint32_t(uniqueAt)},
                                  {50721, 10, 9, uint32_t(matrixAt)},
                                  {50778, 3, 1, 21}});
    t.put32(4, uint32_t(ifd0));
    return t.bytes;
}

QByteArray jpegWithProfile(const QByteArray& jpeg, const QByteArray& icc) {
    constexpr int kChunk = 65519;
    const int count = int((icc.size() + kChunk - 1) / kChunk);
    QByteArray segments;
    for (int i = 0; i < count; ++i) {
        const QByteArray part = icc.mid(i * kChunk, kChunk);
        const int length = 2 + 14 + int(part.size());
        segments += QByteArray("\xFF\xE2", 2) + char(length >> 8) + char(length & 0xFF) +
                    QByteArray("ICC_PROFILE\0", 12) + char(i + 1) + char(count) + part;
    }
    return jpeg.left(2) + segments + jpeg.mid(2);
}

QByteArray cmykJpeg(int w, int h, const unsigned char inks[4], const QByteArray& icc) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(w);
    info.image_height = JDIMENSION(h);
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(size_t(w) * 4);
    for (int x = 0; x < w; ++x)
        for (int c = 0; c < 4; ++c) row[size_t(x) * 4 + c] = 255 - inks[c];  // Adobe's inversion
    while (info.next_scanline < info.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    const QByteArray jpeg(reinterpret_cast<const char*>(buffer), qsizetype(size));
    jpeg_destroy_compress(&info);
    free(buffer);
    return jpegWithProfile(jpeg, icc);
}

QByteArray cmykTiff(int w, int h, const unsigned char inks[4], const QByteArray& icc, int bits,
                    bool planar, int tile) {
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    TIFF* t = TIFFClientOpen("sample", "w", &out, tiffRead, tiffWrite, tiffSeek, tiffClose, tiffSize,
                             tiffMap, tiffUnmap);
    if (!t) return {};
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(w));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(h));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(4));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(bits));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_SEPARATED));
    TIFFSetField(t, TIFFTAG_INKSET, uint16_t(INKSET_CMYK));
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, uint16_t(planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG));
    if (tile) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, uint32_t(tile));
        TIFFSetField(t, TIFFTAG_TILELENGTH, uint32_t(tile));
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(2));
    }
    if (!icc.isEmpty()) TIFFSetField(t, TIFFTAG_ICCPROFILE, uint32_t(icc.size()), icc.constData());
    const int bytes = bits / 8;
    // One row of the picture, or of a tile: every row and every tile holds the same inks.
    const int rowPixels = tile ? tile : w;
    std::vector<unsigned char> row(size_t(rowPixels) * 4 * size_t(bytes));
    for (int plane = 0; plane < (planar ? 4 : 1); ++plane) {
        for (int x = 0; x < rowPixels; ++x)
            for (int c = 0; c < (planar ? 1 : 4); ++c) {
                const uint16_t v = uint16_t(inks[planar ? plane : c] * (bits == 16 ? 257 : 1));
                std::memcpy(&row[(size_t(x) * (planar ? 1 : 4) + size_t(c)) * size_t(bytes)],
                            bits == 16 ? static_cast<const void*>(&v) : &inks[planar ? plane : c], size_t(bytes));
            }
        if (!tile) {
            for (int y = 0; y < h; ++y) TIFFWriteScanline(t, row.data(), uint32_t(y), uint16_t(plane));
            continue;
        }
        const size_t rowBytes = size_t(rowPixels) * (planar ? 1 : 4) * size_t(bytes);
        std::vector<unsigned char> tileBytes;
        for (int y = 0; y < tile; ++y) tileBytes.insert(tileBytes.end(), row.begin(), row.begin() + long(rowBytes));
        for (int y = 0; y < h; y += tile)
            for (int x = 0; x < w; x += tile)
                TIFFWriteTile(t, tileBytes.data(), uint32_t(x), uint32_t(y), 0, uint16_t(plane));
    }
    TIFFClose(t);
    return out.data();
}

QByteArray webpWithExif(const QByteArray& webp, int exifOrientation) {
    // A little-endian TIFF header and a first directory of one entry: Orientation, a SHORT.
    QByteArray exif("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 18);
    exif += char(exifOrientation);
    exif += QByteArray(7, '\0');  // the value's padding, no next directory
    const WebPData image{reinterpret_cast<const uint8_t*>(webp.constData()), size_t(webp.size())};
    WebPMux* mux = WebPMuxCreate(&image, 0);
    if (!mux) return {};
    const WebPData chunk{reinterpret_cast<const uint8_t*>(exif.constData()), size_t(exif.size())};
    WebPData assembled{nullptr, 0};
    QByteArray out;
    if (WebPMuxSetChunk(mux, "EXIF", &chunk, 0) == WEBP_MUX_OK &&
        WebPMuxAssemble(mux, &assembled) == WEBP_MUX_OK)
        out = QByteArray(reinterpret_cast<const char*>(assembled.bytes), qsizetype(assembled.size));
    WebPDataClear(&assembled);
    WebPMuxDelete(mux);
    return out;
}

QByteArray pressProfile() {
    // Each corner of the ink cube as sRGB, then as Lab for the profile's table.
    static const double kInk[4][3] = {{0, 174, 239}, {236, 0, 140}, {255, 242, 0}, {35, 31, 32}};
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab = cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL,
                                             INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* clut = cmsStageAllocCLut16bit(nullptr, 2, 4, 3, nullptr);
    cmsStageSampleCLut16bit(
        clut,
        [](const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) -> cmsInt32Number {
            double rgb[3] = {1, 1, 1};
            for (int ink = 0; ink < 4; ++ink) {
                if (in[ink] < 0x8000) continue;
                for (int c = 0; c < 3; ++c) rgb[c] *= kInk[ink][c] / 255.0;
            }
            cmsCIELab l;
            cmsDoTransform(static_cast<cmsHTRANSFORM>(cargo), rgb, &l, 1);
            cmsFloat2LabEncoded(out, &l);
            return TRUE;
        },
        toLab, 0);
    cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, clut);
    cmsHPROFILE p = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(p, 2.1);
    cmsSetDeviceClass(p, cmsSigOutputClass);
    cmsSetColorSpace(p, cmsSigCmykData);
    cmsSetPCS(p, cmsSigLabData);
    cmsWriteTag(p, cmsSigAToB0Tag, pipeline);
    cmsWriteTag(p, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsPipelineFree(pipeline);
    cmsDeleteTransform(toLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(srgb);
    return savedProfile(p);
}

QByteArray proPhotoProfile() {
    const double xy[6] = {0.7347, 0.2653, 0.1596, 0.8404, 0.0366, 0.0001};
    const double d50[2] = {0.3457, 0.3585};
    return ColourProfile::rgbProfile(xy, d50, false, 1.8);
}

QByteArray adobeRgbProfile() {
    const double xy[6] = {0.64, 0.33, 0.21, 0.71, 0.15, 0.06};
    const double d65[2] = {0.3127, 0.3290};
    return ColourProfile::rgbProfile(xy, d65, false, 563.0 / 256);
}

QByteArray displayP3Profile() {
    const double xy[6] = {0.680, 0.320, 0.265, 0.690, 0.150, 0.060};
    const double d65[2] = {0.3127, 0.3290};
    return ColourProfile::rgbProfile(xy, d65, true, 0);
}

}  // namespace SampleFormats
