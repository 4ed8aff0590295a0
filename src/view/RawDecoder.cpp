#include "view/RawDecoder.h"

#include <QBuffer>
#include <QImageReader>

#include <libraw/libraw.h>

#include <cstdio>
#include <limits>
#include <memory>

#include "view/EmbeddedProfile.h"
#include "view/JpegHeader.h"
#include "view/OtherFormats.h"
#include "view/PictureOrientation.h"

using PictureDecoder::Outcome;

namespace RawDecoder {
namespace {

// LibRaw reads the open file through this: only the headers and the preview are read, never
// the tens of megabytes of sensor data a preview is shown without.
class DeviceStream : public LibRaw_abstract_datastream {
public:
    explicit DeviceStream(QIODevice* device) : device_(device) {}
    int valid() override { return device_->isOpen(); }
    int read(void* data, size_t size, size_t count) override {
        if (size == 0 || count > size_t(INT64_MAX) / size) return 0;
        const qint64 got = device_->read(static_cast<char*>(data), qint64(size * count));
        return got <= 0 ? 0 : int(size_t(got) / size);
    }
    int seek(INT64 offset, int whence) override {
        qint64 base = 0;
        if (whence == SEEK_CUR) base = device_->pos();
        else if (whence == SEEK_END) base = device_->size();
        else if (whence != SEEK_SET) return -1;
        // Clamped to the file, as LibRaw's own streams do.
        const qint64 to = qBound<qint64>(0, base + offset, device_->size());
        return device_->seek(to) ? 0 : -1;
    }
    INT64 tell() override { return device_->pos(); }
    INT64 size() override { return device_->size(); }
    int get_char() override {
        char c = 0;
        return device_->getChar(&c) ? int(uchar(c)) : -1;
    }
    char* gets(char* text, int size) override {
        if (size <= 1) return nullptr;
        return device_->readLine(text, size) > 0 ? text : nullptr;
    }
    // One value read as LibRaw's buffer stream reads it: from at most 24 characters on.
    int scanf_one(const char* format, void* value) override {
        QByteArray field = device_->peek(24);
        if (field.isEmpty()) return 0;
        const int read = std::sscanf(field.constData(), format, value);
        if (read > 0) {
            int skip = 1;
            while (skip < field.size() && !QByteArray(" \t\n\0", 4).contains(field[skip])) ++skip;
            device_->seek(device_->pos() + skip);
        }
        return read;
    }
    int eof() override { return device_->atEnd(); }
    void* make_jas_stream() override { return nullptr; }

private:
    QIODevice* device_;
};

constexpr int64_t kLimitBytes = int64_t(PictureDecoder::kAllocationLimitMB) * 1024 * 1024;

// LibRaw's flip (0 upright, 3 half a turn, 5 a quarter left, 6 a quarter right; bit 4 swaps
// the axes) as the EXIF orientation it was read from.
int exifOrientationOf(int flip) {
    switch (flip) {
    case 1: return 2;
    case 2: return 4;
    case 3: return 3;
    case 4: return 5;
    case 5: return 8;
    case 6: return 6;
    case 7: return 7;
    default: return 1;
    }
}

// The camera's JPEG preview, reduced for the view like a JPEG file; orientation is the RAW's.
Outcome decodeJpegPreview(const QByteArray& jpeg, const QSize& coverView, int orientation,
                          QImage* out, QSize* natural) {
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    const int64_t working = JpegHeader::workingBytes(&buffer);
    buffer.seek(0);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid()) return Outcome::Broken;
    const int64_t pixels = int64_t(size.width()) * size.height() * 4;
    if (pixels + std::max<int64_t>(working, pixels) > kLimitBytes) return Outcome::TooLarge;
    const QImageIOHandler::Transformations turn = PictureOrientation::fromExif(orientation);
    const bool rotated = (turn & QImageIOHandler::TransformationRotate90) != 0;
    const QSize reduced = PictureDecoder::reducedSize(size, rotated, coverView);
    if (reduced != size) reader.setScaledSize(reduced);
    QImage image;
    if (!reader.read(&image) || image.isNull()) return Outcome::Broken;
    image = PictureOrientation::oriented(std::move(image), turn);
    if (image.isNull()) return Outcome::Broken;
    *natural = rotated ? size.transposed() : size;
    OtherFormats::toSrgbForView(&image, EmbeddedProfile::read(&buffer), *natural, coverView);
    *out = std::move(image);
    return Outcome::Decoded;
}

// LibRaw with a look at what its loaders divide by, which it does not check itself.
class CheckedRaw : public LibRaw {
public:
    CheckedRaw() : LibRaw(LIBRAW_OPTIONS_NONE) {}
    // A Canon file's sensor data comes in slices of the widths its headers give; a width of
    // none (or a product past an int) makes the lossless JPEG loader divide by zero and end
    // the program (found by fuzzing).
    bool slicesSound() const {
        const ushort* slice = libraw_internal_data.unpacker_data.cr2_slice;
        if (!slice[0]) return true;
        return slice[1] && slice[2] &&
               int64_t(slice[1]) * imgdata.sizes.raw_height <= std::numeric_limits<int>::max();
    }
};

// The sensor data, developed (camera white balance, sRGB, 8 bits) and turned by LibRaw.
Outcome develop(CheckedRaw& raw, const QSize& coverView, QImage* out, QSize* natural) {
    const libraw_image_sizes_t& s = raw.imgdata.sizes;
    const bool turned = (s.flip & 4) != 0;
    const QSize full = turned ? QSize(s.height, s.width) : QSize(s.width, s.height);
    if (full.isEmpty()) return Outcome::Broken;
    const bool half = coverView.isValid() &&
                      PictureDecoder::reducedSize(full, false, coverView) != full;
    const int64_t shown = int64_t(s.width) * s.height / (half ? 4 : 1);
    // The raw samples (two bytes a site behind a colour filter, four 16-bit channels without
    // one), LibRaw's working picture (four 16-bit channels), its 8-bit output and the picture
    // made from it.
    const int64_t sample = raw.imgdata.idata.filters ? 2 : 8;
    const int64_t peak = int64_t(s.raw_width) * s.raw_height * sample + shown * (8 + 3 + 4);
    if (peak > kLimitBytes) return Outcome::TooLarge;
    if (!raw.slicesSound()) return Outcome::Broken;
    raw.imgdata.params.half_size = half ? 1 : 0;
    raw.imgdata.params.use_camera_wb = 1;
    raw.imgdata.params.output_bps = 8;
    if (raw.unpack() != LIBRAW_SUCCESS || raw.dcraw_process() != LIBRAW_SUCCESS)
        return Outcome::Broken;
    int error = 0;
    libraw_processed_image_t* developed = raw.dcraw_make_mem_image(&error);
    if (!developed) return Outcome::Broken;
    std::unique_ptr<libraw_processed_image_t, void (*)(libraw_processed_image_t*)> owned(
        developed, LibRaw::dcraw_clear_mem);
    if (developed->type != LIBRAW_IMAGE_BITMAP || developed->colors != 3 ||
        developed->bits != 8 || developed->width == 0 || developed->height == 0 ||
        int64_t(developed->data_size) < int64_t(developed->width) * developed->height * 3)
        return Outcome::Broken;
    const QImage wrapped(developed->data, developed->width, developed->height,
                         developed->width * 3, QImage::Format_RGB888);
    QImage image = OtherFormats::reducedForView(wrapped, half ? QSize() : coverView);
    if (image.isNull()) return Outcome::Broken;
    *natural = full;
    *out = std::move(image);
    return Outcome::Decoded;
}

}  // namespace

Outcome decode(QIODevice* file, const QSize& coverView, QImage* out, QSize* natural) {
    if (!file->seek(0)) return Outcome::Broken;
    DeviceStream stream(file);
    // About 400 kB of state: on the heap, not on a worker's stack.
    auto raw = std::make_unique<CheckedRaw>();
    raw->imgdata.params.max_raw_memory_mb = unsigned(PictureDecoder::kAllocationLimitMB);
    if (raw->open_datastream(&stream) != LIBRAW_SUCCESS) return Outcome::NotAPicture;
    const libraw_thumbnail_t& thumb = raw->imgdata.thumbnail;
    const libraw_image_sizes_t& s = raw->imgdata.sizes;
    const int orientation = exifOrientationOf(s.flip);
    const int developedSide = std::max<int>(s.width, s.height);
    const bool bigEnough = std::max<int>(thumb.twidth, thumb.theight) >=
                           std::min(kUsablePreviewSide, developedSide / 2);
    // Only a JPEG preview is taken: LibRaw 0.20 writes past its buffer unpacking some
    // malformed bitmap previews (found by fuzzing), and bitmap previews are small anyway.
    // A JPEG's size may be missing from the RAW's headers: its own headers decide then.
    if (raw->is_jpeg_thumb() && raw->thumbOK(file->size()) && (bigEnough || thumb.twidth == 0) &&
        raw->unpack_thumb() == LIBRAW_SUCCESS && thumb.tformat == LIBRAW_THUMBNAIL_JPEG &&
        thumb.thumb) {
        QImage image;
        QSize size;
        const Outcome o =
            decodeJpegPreview(QByteArray::fromRawData(thumb.thumb, int(thumb.tlength)), coverView,
                              orientation, &image, &size);
        if (o == Outcome::TooLarge) return o;
        const bool usable = std::max(size.width(), size.height()) >=
                            std::min(kUsablePreviewSide, developedSide / 2);
        if (o == Outcome::Decoded && usable) {
            *natural = size;
            *out = std::move(image);
            return o;
        }
    }
    return develop(*raw, coverView, out, natural);
}

}  // namespace RawDecoder
