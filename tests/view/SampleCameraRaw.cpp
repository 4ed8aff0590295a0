// Canon CR2, Nikon NEF and Sony ARW files laid out as the cameras write them, with a sensor
// picture of a few kilobytes: what LibRaw recognises them by is their structure and their Make
// and Model tags, never their names.
#include "SampleFormats.h"

#include <QImage>

#include "TiffWriter.h"

namespace SampleFormats {
namespace {

constexpr int kSensorWidth = 64, kSensorHeight = 48;

// The small thumbnail cameras write beside the preview (160 x 120), plain green: a reader that
// takes it instead of the preview shows green.
QByteArray greenThumbnail() {
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(qRgb(0, 200, 0));
    return encoded(image, "jpeg");
}

// An EXIF directory with what every camera writes: exposure time, f-number, ISO speed, time.
int exifDirectory(TiffWriter& t) {
    const int exposureAt = t.append32({1, 125});
    const int apertureAt = t.append32({56, 10});
    const int timeAt = t.appendText("2024:05:01 10:20:30");
    return t.directory({{33434, 5, 1, uint32_t(exposureAt)},
                        {33437, 5, 1, uint32_t(apertureAt)},
                        {34855, 3, 1, 200},
                        {36867, 2, 20, uint32_t(timeAt)}});
}

// A lossless JPEG (SOF3) of two interleaved components of 14 bits, every difference zero (one
// Huffman code, the bit 0): the layout of Canon's sensor data, flat grey.
QByteArray losslessJpeg(int width, int height) {
    const int columns = width / 2;
    QByteArray j("\xFF\xD8", 2);
    // One table: one code of one bit, for the difference category 0.
    j += QByteArray("\xFF\xC4\x00\x14\x00\x01", 6) + QByteArray(15, '\0') + '\0';
    j += QByteArray("\xFF\xC3\x00\x0E\x0E", 5) + char(height >> 8) + char(height & 0xFF) +
         char(columns >> 8) + char(columns & 0xFF) + QByteArray("\x02\x01\x11\x00\x02\x11\x00", 7);
    // Predictor 1 (the sample to the left), no point transform.
    j += QByteArray("\xFF\xDA\x00\x0A\x02\x01\x00\x02\x00\x01\x00\x00", 12);
    j += QByteArray((columns * 2 * height + 7) / 8, '\0');
    return j + QByteArray("\xFF\xD9", 2);
}

// CR2: the TIFF header followed by "CR", version 2.0 and the raw directory's offset. The first
// directory holds the full-size preview as a strip (compression 6) and the camera's tags, the
// second the small thumbnail, the last the lossless JPEG sensor data in one slice.
QByteArray canonCr2(const QByteArray& previewJpeg, int exifOrientation) {
    TiffWriter t(false, 16);
    t.bytes.replace(8, 4, QByteArray("CR\x02\x00", 4));
    const QImage preview = QImage::fromData(previewJpeg, "jpeg");
    const int previewAt = t.append(previewJpeg);
    const QByteArray thumbnail = greenThumbnail();
    const int thumbnailAt = t.append(thumbnail);
    const QByteArray sensor = losslessJpeg(kSensorWidth, kSensorHeight);
    const int sensorAt = t.append(sensor);
    const int bitsAt = t.append16({8, 8, 8});
    const int makeAt = t.appendText("Canon");
    const int modelAt = t.appendText("Canon EOS 5D Mark II");
    const int sliceAt = t.append16({1, kSensorWidth / 2, kSensorWidth / 2});
    const int exif = exifDirectory(t);
    const int ifd0 = t.directory({{256, 3, 1, uint32_t(preview.width())},
                                  {257, 3, 1, uint32_t(preview.height())},
                                  {258, 3, 3, uint32_t(bitsAt)},
                                  {259, 3, 1, 6},
                                  {271, 2, 6, uint32_t(makeAt)},
                                  {272, 2, 21, uint32_t(modelAt)},
                                  {273, 4, 1, uint32_t(previewAt)},
                                  {274, 3, 1, uint32_t(exifOrientation)},
                                  {279, 4, 1, uint32_t(previewJpeg.size())},
                                  {34665, 4, 1, uint32_t(exif)}});
    const int ifd1 = t.directory({{259, 3, 1, 6},
                                  {513, 4, 1, uint32_t(thumbnailAt)},
                                  {514, 4, 1, uint32_t(thumbnail.size())}});
    const int rawIfd = t.directory({{259, 3, 1, 6},
                                    {273, 4, 1, uint32_t(sensorAt)},
                                    {279, 4, 1, uint32_t(sensor.size())},
                                    {50648, 4, 1, 1},
                                    {50656, 4, 1, 1},
                                    {50752, 3, 3, uint32_t(sliceAt)}});
    t.put32(4, uint32_t(ifd0));
    t.put32(12, uint32_t(rawIfd));
    t.chain(ifd0, ifd1);
    t.chain(ifd1, rawIfd);
    return t.bytes;
}

// NEF, big-endian: the first directory holds a small RGB thumbnail (cameras write 160 x 120;
// 32 x 24 here, for size) and two sub-directories: the JPEG preview as JPEGInterchangeFormat,
// and the sensor data, uncompressed 14-bit samples in 16-bit words as the cameras' "uncompressed"
// setting writes them.
QByteArray nikonNef(const QByteArray& previewJpeg, int exifOrientation) {
    TiffWriter t(true);
    constexpr int kThumbW = 32, kThumbH = 24;
    const int thumbnailAt = t.append(QByteArray(kThumbW * kThumbH * 3, '\x50'));
    const int previewAt = t.append(previewJpeg);
    const int sensorAt = t.append(QByteArray(kSensorWidth * kSensorHeight * 2, '\x08'));
    const int bitsAt = t.append16({8, 8, 8});
    const int makeAt = t.appendText("NIKON CORPORATION");
    const int modelAt = t.appendText("NIKON D700");
    const int exif = exifDirectory(t);
    const int previewIfd = t.directory({{254, 4, 1, 1},
                                        {259, 3, 1, 6},
                                        {513, 4, 1, uint32_t(previewAt)},
                                        {514, 4, 1, uint32_t(previewJpeg.size())},
                                        {531, 3, 1, 2}});
    const int rawIfd = t.directory({{254, 4, 1, 0},
                                    {256, 4, 1, kSensorWidth},
                                    {257, 4, 1, kSensorHeight},
                                    {258, 3, 1, 14},
                                    {259, 3, 1, 1},
                                    {262, 3, 1, 32803},
                                    {273, 4, 1, uint32_t(sensorAt)},
                                    {277, 3, 1, 1},
                                    {278, 4, 1, kSensorHeight},
                                    {279, 4, 1, kSensorWidth * kSensorHeight * 2},
                                    {284, 3, 1, 1},
                                    {33421, 3, 2, 0x00020002},
                                    {33422, 1, 4, 0x02010100},
                                    {37399, 3, 1, 2}});
    const int subIfdsAt = t.append32({uint32_t(previewIfd), uint32_t(rawIfd)});
    const int ifd0 = t.directory({{254, 4, 1, 1},
                                  {256, 4, 1, kThumbW},
                                  {257, 4, 1, kThumbH},
                                  {258, 3, 3, uint32_t(bitsAt)},
                                  {259, 3, 1, 1},
                                  {262, 3, 1, 2},
                                  {271, 2, 18, uint32_t(makeAt)},
                                  {272, 2, 11, uint32_t(modelAt)},
                                  {273, 4, 1, uint32_t(thumbnailAt)},
                                  {274, 3, 1, uint32_t(exifOrientation)},
                                  {277, 3, 1, 3},
                                  {278, 4, 1, kThumbH},
                                  {279, 4, 1, kThumbW * kThumbH * 3},
                                  {284, 3, 1, 1},
                                  {330, 4, 2, uint32_t(subIfdsAt)},
                                  {34665, 4, 1, uint32_t(exif)}});
    t.put32(4, uint32_t(ifd0));
    return t.bytes;
}

// ARW: the first directory holds the preview as JPEGInterchangeFormat and the sensor data's
// sub-directory (Sony's compressed 8 bits a site: blocks of 16 sites, each a maximum, a minimum,
// their positions and 14 seven-bit steps; here flat grey), the second the small thumbnail.
QByteArray sonyArw(const QByteArray& previewJpeg, int exifOrientation) {
    TiffWriter t;
    const int previewAt = t.append(previewJpeg);
    const QByteArray thumbnail = greenThumbnail();
    const int thumbnailAt = t.append(thumbnail);
    QByteArray sensor(kSensorWidth * kSensorHeight, '\0');
    for (int block = 0; block < sensor.size(); block += 16)
        qToLittleEndian<uint32_t>(0x200 | 0x200 << 11, sensor.data() + block);
    const int sensorAt = t.append(sensor);
    const int makeAt = t.appendText("SONY");
    const int modelAt = t.appendText("ILCE-7");
    const int curveAt = t.append16({8000, 10400, 12900, 14100});
    const int exif = exifDirectory(t);
    const int rawIfd = t.directory({{254, 4, 1, 0},
                                    {256, 4, 1, kSensorWidth},
                                    {257, 4, 1, kSensorHeight},
                                    {258, 3, 1, 12},
                                    {259, 3, 1, 32767},
                                    {262, 3, 1, 32803},
                                    {273, 4, 1, uint32_t(sensorAt)},
                                    {277, 3, 1, 1},
                                    {278, 4, 1, kSensorHeight},
                                    {279, 4, 1, uint32_t(sensor.size())},
                                    {284, 3, 1, 1},
                                    {28688, 3, 4, uint32_t(curveAt)},
                                    {33421, 3, 2, 0x00020002},
                                    {33422, 1, 4, 0x02010100}});
    const int ifd0 = t.directory({{254, 4, 1, 1},
                                  {259, 3, 1, 6},
                                  {271, 2, 5, uint32_t(makeAt)},
                                  {272, 2, 7, uint32_t(modelAt)},
                                  {274, 3, 1, uint32_t(exifOrientation)},
                                  {330, 4, 1, uint32_t(rawIfd)},
                                  {513, 4, 1, uint32_t(previewAt)},
                                  {514, 4, 1, uint32_t(previewJpeg.size())},
                                  {531, 3, 1, 2},
                                  {34665, 4, 1, uint32_t(exif)}});
    const int ifd1 = t.directory({{254, 4, 1, 1},
                                  {259, 3, 1, 6},
                                  {513, 4, 1, uint32_t(thumbnailAt)},
                                  {514, 4, 1, uint32_t(thumbnail.size())}});
    t.put32(4, uint32_t(ifd0));
    t.chain(ifd0, ifd1);
    return t.bytes;
}

}  // namespace

QByteArray cameraRaw(CameraMake make, const QByteArray& previewJpeg, int exifOrientation) {
    switch (make) {
    case CameraMake::Canon: return canonCr2(previewJpeg, exifOrientation);
    case CameraMake::Nikon: return nikonNef(previewJpeg, exifOrientation);
    case CameraMake::Sony: return sonyArw(previewJpeg, exifOrientation);
    }
    return {};
}

}  // namespace SampleFormats
