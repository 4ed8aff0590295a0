#include "view/EmbeddedProfile.h"

#include <QIODevice>

#include <zlib.h>

#include <map>

namespace EmbeddedProfile {
namespace {

uint32_t bigEndian(const QByteArray& b, int at, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | uint8_t(b[at + i]);
    return v;
}

uint32_t littleEndian(const QByteArray& b, int at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | uint8_t(b[at + i]);
    return v;
}

bool readExactly(QIODevice* device, qint64 n, QByteArray* out) {
    if (n < 0 || n > kMaxProfileBytes) return false;
    *out = device->read(n);
    return out->size() == n;
}

// Markers up to the first scan; the profile may be split over up to 255 APP2 segments.
QByteArray fromJpeg(QIODevice* device) {
    std::map<int, QByteArray> chunks;
    int expected = 0;
    qint64 total = 0;
    for (;;) {
        char c = 0;
        if (!device->getChar(&c)) return {};
        if (uint8_t(c) != 0xFF) return {};
        uint8_t marker = 0xFF;
        while (marker == 0xFF) {  // fill bytes
            if (!device->getChar(&c)) return {};
            marker = uint8_t(c);
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (marker == 0xDA || marker == 0xD9) break;
        QByteArray lengthBytes;
        if (!readExactly(device, 2, &lengthBytes)) return {};
        const int length = int(bigEndian(lengthBytes, 0, 2)) - 2;
        if (length < 0) return {};
        if (marker != 0xE2 || length < 14) {
            if (!device->seek(device->pos() + length)) return {};
            continue;
        }
        QByteArray segment;
        if (!readExactly(device, length, &segment)) return {};
        if (!segment.startsWith(QByteArray("ICC_PROFILE\0", 12))) continue;
        const int sequence = uint8_t(segment[12]);
        const int count = uint8_t(segment[13]);
        if (sequence == 0 || count == 0 || sequence > count) return {};
        if (expected != 0 && expected != count) return {};
        expected = count;
        total += length - 14;
        if (total > kMaxProfileBytes) return {};
        chunks[sequence] = segment.mid(14);
    }
    if (expected == 0 || int(chunks.size()) != expected) return {};
    QByteArray profile;
    for (const auto& chunk : chunks) profile += chunk.second;
    return profile;
}

// zlib data inflated to at most kMaxProfileBytes.
QByteArray inflated(const QByteArray& compressed) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return {};
    QByteArray out;
    char buffer[16384];
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
    zs.avail_in = uInt(compressed.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef*>(buffer);
        zs.avail_out = sizeof buffer;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) break;
        out.append(buffer, int(sizeof buffer - zs.avail_out));
        if (out.size() > kMaxProfileBytes) rc = Z_MEM_ERROR;
        else if (rc == Z_OK && zs.avail_in == 0 && zs.avail_out != 0) rc = Z_DATA_ERROR;
    }
    inflateEnd(&zs);
    return rc == Z_STREAM_END ? out : QByteArray();
}

// Chunks up to the first image data: iCCP is only valid before it.
QByteArray fromPng(QIODevice* device) {
    if (!device->seek(8)) return {};
    for (;;) {
        QByteArray header;
        if (!readExactly(device, 8, &header)) return {};
        const uint32_t length = bigEndian(header, 0, 4);
        const QByteArray type = header.mid(4, 4);
        if (type == "IDAT" || type == "IEND") return {};
        if (type != "iCCP") {
            if (length > 0x7fffffffu || !device->seek(device->pos() + qint64(length) + 4)) return {};
            continue;
        }
        QByteArray data;
        if (!readExactly(device, length, &data)) return {};
        const int nameEnd = data.indexOf('\0');
        // A name of 1 to 79 bytes, then the compression method, which is always 0 (zlib).
        if (nameEnd < 1 || nameEnd > 79 || nameEnd + 2 > data.size() || data[nameEnd + 1] != 0)
            return {};
        return inflated(data.mid(nameEnd + 2));
    }
}

QByteArray fromWebp(QIODevice* device) {
    if (!device->seek(12)) return {};
    for (;;) {
        QByteArray header;
        if (!readExactly(device, 8, &header)) return {};
        const uint32_t length = littleEndian(header, 4, 4);
        const QByteArray type = header.left(4);
        if (type == "ICCP") {
            QByteArray data;
            return readExactly(device, length, &data) ? data : QByteArray();
        }
        // The profile comes right after VP8X, before any image data.
        if (type != "VP8X") return {};
        if (length > 0x7ffffff0u || !device->seek(device->pos() + qint64(length) + (length & 1)))
            return {};
    }
}

QByteArray fromTiff(QIODevice* device, bool little) {
    auto number = [little](const QByteArray& b, int at, int n) {
        return little ? littleEndian(b, at, n) : bigEndian(b, at, n);
    };
    QByteArray header;
    if (!device->seek(4) || !readExactly(device, 4, &header)) return {};
    QByteArray countBytes;
    if (!device->seek(number(header, 0, 4)) || !readExactly(device, 2, &countBytes)) return {};
    const int count = int(number(countBytes, 0, 2));
    QByteArray entries;
    if (!readExactly(device, qint64(count) * 12, &entries)) return {};
    for (int i = 0; i < count; ++i) {
        const int at = i * 12;
        if (number(entries, at, 2) != 34675) continue;
        const uint32_t type = number(entries, at + 2, 2);
        const uint32_t length = number(entries, at + 4, 4);
        if ((type != 7 && type != 1) || length > uint32_t(kMaxProfileBytes)) return {};
        QByteArray data;
        if (length <= 4) return entries.mid(at + 8, int(length));
        if (!device->seek(number(entries, at + 8, 4)) || !readExactly(device, length, &data))
            return {};
        return data;
    }
    return {};
}

}  // namespace

QByteArray read(QIODevice* device) {
    if (!device->seek(0)) return {};
    const QByteArray magic = device->peek(12);
    if (magic.startsWith("\xFF\xD8")) {
        device->seek(2);
        return fromJpeg(device);
    }
    if (magic.startsWith("\x89PNG\r\n\x1a\n")) return fromPng(device);
    if (magic.startsWith("RIFF") && magic.mid(8, 4) == "WEBP") return fromWebp(device);
    if (magic.startsWith(QByteArray("II*\0", 4))) return fromTiff(device, true);
    if (magic.startsWith(QByteArray("MM\0*", 4))) return fromTiff(device, false);
    return {};
}

}  // namespace EmbeddedProfile
