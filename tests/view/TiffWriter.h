#pragma once
// The hand-made TIFF-based files of the tests' samples (DNG and the cameras' RAW files).

#include <QByteArray>
#include <QtEndian>

#include <cstring>
#include <vector>

namespace SampleFormats {

// A TIFF file being written: directories' entries kept sorted as written, values placed by the
// caller, in either byte order.
class TiffWriter {
public:
    explicit TiffWriter(bool bigEndian = false, int headerSize = 8) : big(bigEndian) {
        bytes = QByteArray(big ? "MM\0*" : "II*\0", 4) + QByteArray(headerSize - 4, '\0');
    }
    const bool big;
    QByteArray bytes;
    void put16(int at, uint16_t v) {
        if (big) qToBigEndian(v, bytes.data() + at);
        else qToLittleEndian(v, bytes.data() + at);
    }
    void put32(int at, uint32_t v) {
        if (big) qToBigEndian(v, bytes.data() + at);
        else qToLittleEndian(v, bytes.data() + at);
    }
    int append(const QByteArray& data) {
        if (bytes.size() & 1) bytes.append('\0');
        const int at = int(bytes.size());
        bytes.append(data);
        return at;
    }
    int appendText(const char* text) { return append(QByteArray(text, qsizetype(strlen(text)) + 1)); }
    // 16-bit values, or rationals (numerator and denominator in turn), in the file's order.
    int append16(const std::vector<uint16_t>& values) {
        const int at = append(QByteArray(int(values.size()) * 2, '\0'));
        for (size_t i = 0; i < values.size(); ++i) put16(at + 2 * int(i), values[i]);
        return at;
    }
    int append32(const std::vector<uint32_t>& values) {
        const int at = append(QByteArray(int(values.size()) * 4, '\0'));
        for (size_t i = 0; i < values.size(); ++i) put32(at + 4 * int(i), values[i]);
        return at;
    }
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    // Writes a directory; returns its offset. Values that do not fit in 4 bytes are offsets;
    // bytes that fit are given lowest first, two shorts lower first.
    int directory(const std::vector<Entry>& entries) {
        QByteArray d(2 + 12 * int(entries.size()) + 4, '\0');
        const int at = append(d);
        put16(at, uint16_t(entries.size()));
        for (size_t i = 0; i < entries.size(); ++i) {
            const Entry& entry = entries[i];
            const int e = at + 2 + 12 * int(i);
            put16(e, entry.tag);
            put16(e + 2, entry.type);
            put32(e + 4, entry.count);
            const bool bytewise = entry.type == 1 || entry.type == 2 || entry.type == 7;
            if (bytewise && entry.count <= 4) {
                qToLittleEndian(entry.value, bytes.data() + e + 8);
            } else if (entry.type == 3 && entry.count <= 2) {
                put16(e + 8, uint16_t(entry.value));
                if (entry.count == 2) put16(e + 10, uint16_t(entry.value >> 16));
            } else {
                put32(e + 8, entry.value);
            }
        }
        return at;
    }
    // The directory at `from` continues with the one at `to`.
    void chain(int from, int to) { put32(from + 2 + 12 * entryCount(from), uint32_t(to)); }

private:
    int entryCount(int at) const {
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + at);
        return big ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
    }
};

}  // namespace SampleFormats
