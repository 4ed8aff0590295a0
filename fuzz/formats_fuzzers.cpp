// libFuzzer entry points for the decoders of the formats beyond bitmap, JPEG and GIF, one
// executable each (chosen at compile time by ORVANE_FUZZ_HEIF, _RAW, _WEBP, _TIFF or _COLOUR).
#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>

#include "view/ColourProfile.h"
#include "view/EmbeddedProfile.h"
#include "view/HeifDecoder.h"
#include "view/OtherFormats.h"
#include "view/RawDecoder.h"
#include "view/WebpDecoder.h"

// Qt's image conversions start its pool's threads, and each would start glib's event loop,
// whose per-thread memory, freed as the thread ends, LeakSanitizer may find while the thread
// is starting during a later input and report as that input's leak. Qt's own event loop for
// threads is used instead.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_NO_GLIB", "1");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                     qsizetype(size));
    QImage image;
    // The decoders that read a file read it through a device.
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
#if defined(ORVANE_FUZZ_HEIF)
    QSize natural;
    // Reduced for a view and at full size take different paths after the decode.
    HeifDecoder::decode(&buffer, size % 2 ? QSize(320, 240) : QSize(), &image, &natural);
#elif defined(ORVANE_FUZZ_RAW)
    QSize natural;
    RawDecoder::decode(&buffer, size % 2 ? QSize(320, 240) : QSize(), &image, &natural);
#elif defined(ORVANE_FUZZ_WEBP)
    QSize natural;
    WebpDecoder::decode(bytes, size % 2 ? QSize(320, 240) : QSize(), &image, &natural);
#elif defined(ORVANE_FUZZ_TIFF)
    QSize natural;
    OtherFormats::decodeCmykTiff(&buffer, size % 2 ? QSize(320, 240) : QSize(), &image, &natural);
#elif defined(ORVANE_FUZZ_COLOUR)
    // The profile as found in a picture file's headers, and the input taken as a profile.
    QByteArray icc = EmbeddedProfile::read(&buffer);
    if (icc.isEmpty()) icc = bytes;
    QImage rgb(7, 5, QImage::Format_ARGB32);
    rgb.fill(qRgba(200, 120, 60, 128));
    ColourProfile::toSrgb(&rgb, icc);
    QImage grey(7, 5, QImage::Format_Grayscale8);
    grey.fill(90);
    ColourProfile::toSrgb(&grey, icc);
    const uchar inks[7 * 4] = {0, 64, 128, 255};
    ColourProfile::cmykToSrgb(inks, 7, 1, 7 * 4, size % 2, icc);
#endif
    return 0;
}
