#include "view/JpegHeader.h"

#include <QIODevice>

#include <algorithm>
#include <vector>

namespace JpegHeader {
namespace {

bool readByte(QIODevice* device, int* out) {
    char c;
    if (!device->getChar(&c)) return false;
    *out = static_cast<unsigned char>(c);
    return true;
}

bool readBE16(QIODevice* device, int* out) {
    int high, low;
    if (!readByte(device, &high) || !readByte(device, &low)) return false;
    *out = high << 8 | low;
    return true;
}

// Start-of-frame markers of every coding process (C4, C8 and CC are other segments).
bool isFrameMarker(int code) {
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

bool isProgressive(int code) { return code == 0xC2 || code == 0xC6 || code == 0xCA || code == 0xCE; }

struct Component {
    int h = 1;  // sampling factors
    int v = 1;
};

int64_t roundUp(int64_t value, int64_t multiple) { return (value + multiple - 1) / multiple * multiple; }

}  // namespace

int64_t workingBytes(QIODevice* device) {
    int b0, b1;
    if (!readByte(device, &b0) || !readByte(device, &b1) || b0 != 0xFF || b1 != 0xD8) return -1;
    int width = 0, height = 0;
    bool progressive = false;
    std::vector<Component> components;
    // Markers are found as the decoder finds them: bytes before a marker are skipped, as are
    // fill bytes and stuffed zeros, so no layout it accepts hides a frame from this reading.
    for (;;) {
        int code;
        do {
            if (!readByte(device, &code)) return -1;
            while (code != 0xFF) {
                if (!readByte(device, &code)) return -1;
            }
            do {
                if (!readByte(device, &code)) return -1;
            } while (code == 0xFF);
        } while (code == 0);
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD8)) continue;  // no length follows
        int length;
        if (code == 0xD9 || !readBE16(device, &length)) return -1;
        length = std::max(length, 2);  // a shorter one is skipped as empty
        if (isFrameMarker(code)) {
            int precision, count;
            if (!components.empty() || !readByte(device, &precision) || !readBE16(device, &height) ||
                !readBE16(device, &width) || !readByte(device, &count) || count < 1 ||
                length != 8 + 3 * count)
                return -1;
            for (int i = 0; i < count; ++i) {
                int id, sampling, table;
                if (!readByte(device, &id) || !readByte(device, &sampling) || !readByte(device, &table))
                    return -1;
                Component c{sampling >> 4, sampling & 15};
                if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4) return -1;
                components.push_back(c);
            }
            progressive = isProgressive(code);
            continue;
        }
        if (code == 0xDA) {
            int inScan;
            if (components.empty() || width == 0 || height == 0 || !readByte(device, &inScan))
                return -1;
            if (!progressive && inScan >= int(components.size())) return 0;
            int hMax = 1, vMax = 1;
            for (const Component& c : components) {
                hMax = std::max(hMax, c.h);
                vMax = std::max(vMax, c.v);
            }
            int64_t bytes = 0;
            for (const Component& c : components) {
                const int64_t blocksWide = roundUp((int64_t{width} * c.h + 8 * hMax - 1) / (8 * hMax), c.h);
                const int64_t blocksHigh = roundUp((int64_t{height} * c.v + 8 * vMax - 1) / (8 * vMax), c.v);
                bytes += blocksWide * blocksHigh * 64 * 2;
            }
            return bytes;
        }
        if (device->skip(length - 2) != length - 2) return -1;
    }
}

}  // namespace JpegHeader
