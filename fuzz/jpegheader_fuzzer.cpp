// Feeds arbitrary bytes to the JPEG header reader the decoder asks before every JPEG, as it
// reads a file: through a QIODevice. It must end on any input with -1, 0 or a size it can
// stand behind; the sanitizers report the rest.

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

#include "view/JpegHeader.h"

// The most any frame can ask: 65535 x 65535 samples, 255 components of 4 x 4 sampling, two
// bytes for each coefficient.
static constexpr int64_t kMostBytes = int64_t(65535 + 31) * (65535 + 31) * 255 * 16 * 2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer device;
    device.setData(bytes);
    if (!device.open(QIODevice::ReadOnly)) std::abort();
    const int64_t working = JpegHeader::workingBytes(&device);
    if (working < -1 || working > kMostBytes) std::abort();
    return 0;
}
