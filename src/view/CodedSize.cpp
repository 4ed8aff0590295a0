#include "view/CodedSize.h"

#include <QByteArray>

#include <algorithm>
#include <vector>

namespace CodedSize {
namespace {

// Reads bits most significant first; past the end it reads zeros and remembers it overran.
class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool overran() const { return overran_; }

    uint64_t bits(int count) {
        uint64_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (position_ >= size_ * 8) {
                overran_ = true;
                return 0;
            }
            value = (value << 1) | ((data_[position_ / 8] >> (7 - position_ % 8)) & 1);
            ++position_;
        }
        return value;
    }
    void skip(int count) { bits(count); }

    // An Exp-Golomb number (HEVC's ue(v), AV1's uvlc()): at most 32 leading zeros.
    uint64_t expGolomb() {
        int zeros = 0;
        while (!bits(1)) {
            if (overran_ || ++zeros > 32) {
                overran_ = true;
                return 0;
            }
        }
        return (uint64_t(1) << zeros) - 1 + bits(zeros);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
    bool overran_ = false;
};

// HEVC's profile_tier_level(1, maxSubLayersMinus1).
void skipProfileTierLevel(BitReader* r, int maxSubLayersMinus1) {
    r->skip(88 + 8);  // the general profile and level
    bool profile[8] = {}, level[8] = {};
    for (int i = 0; i < maxSubLayersMinus1; ++i) {
        profile[i] = r->bits(1);
        level[i] = r->bits(1);
    }
    if (maxSubLayersMinus1 > 0) r->skip(2 * (8 - maxSubLayersMinus1));
    for (int i = 0; i < maxSubLayersMinus1; ++i) {
        if (profile[i]) r->skip(88);
        if (level[i]) r->skip(8);
    }
}

// Beyond this a coded item is not one a camera or an encoder writes, and is not read further.
constexpr int kMaxUnitsPerItem = 1024;  // NAL units or OBUs
// The headers of a parameter set or sequence header hold the size well within these.
constexpr size_t kHeaderBytes = 512;

}  // namespace

int64_t area(uint64_t width, uint64_t height) {
    const uint64_t side = uint64_t(1) << 25;  // far past any bound, and no product overflows
    return int64_t(std::min(width, side) * std::min(height, side));
}

int64_t hevcNalPixels(const uint8_t* nal, size_t size) {
    if (size < 2) return -1;
    if (((nal[0] >> 1) & 0x3f) != 33) return 0;
    // The payload without its emulation prevention bytes (00 00 03 stands for 00 00); the
    // size comes well within the first bytes.
    std::vector<uint8_t> payload;
    int zeros = 0;
    for (size_t i = 2; i < size && payload.size() < 256; ++i) {
        if (zeros >= 2 && nal[i] == 3) {
            zeros = 0;
            continue;
        }
        zeros = nal[i] ? 0 : zeros + 1;
        payload.push_back(nal[i]);
    }
    BitReader r(payload.data(), payload.size());
    r.skip(4);  // sps_video_parameter_set_id
    const int maxSubLayersMinus1 = int(r.bits(3));
    r.skip(1);
    if (maxSubLayersMinus1 > 6) return -1;
    skipProfileTierLevel(&r, maxSubLayersMinus1);
    r.expGolomb();  // sps_seq_parameter_set_id
    if (r.expGolomb() == 3) r.skip(1);  // chroma_format_idc, separate_colour_plane_flag
    const uint64_t width = r.expGolomb();
    const uint64_t height = r.expGolomb();
    if (r.overran()) return -1;
    return area(width, height);
}

int64_t av1SequenceHeaderPixels(const uint8_t* payload, size_t size) {
    BitReader r(payload, size);
    r.skip(3);  // seq_profile
    r.skip(1);  // still_picture
    if (r.bits(1)) {  // reduced_still_picture_header
        r.skip(5);
    } else {
        bool decoderModelInfo = false;
        int bufferDelayLength = 0;
        if (r.bits(1)) {  // timing_info_present_flag
            r.skip(64);
            if (r.bits(1)) r.expGolomb();  // equal_picture_interval, num_ticks_per_picture
            decoderModelInfo = r.bits(1);
            if (decoderModelInfo) {
                bufferDelayLength = int(r.bits(5)) + 1;
                r.skip(32 + 5 + 5);
            }
        }
        const bool initialDisplayDelay = r.bits(1);
        const int operatingPoints = int(r.bits(5)) + 1;
        for (int i = 0; i < operatingPoints && !r.overran(); ++i) {
            r.skip(12);  // operating_point_idc
            if (r.bits(5) > 7) r.skip(1);  // seq_level_idx, seq_tier
            if (decoderModelInfo && r.bits(1)) r.skip(2 * bufferDelayLength + 1);
            if (initialDisplayDelay && r.bits(1)) r.skip(4);
        }
    }
    const int widthBits = int(r.bits(4)) + 1;
    const int heightBits = int(r.bits(4)) + 1;
    const uint64_t width = r.bits(widthBits) + 1;
    const uint64_t height = r.bits(heightBits) + 1;
    if (r.overran()) return -1;
    return area(width, height);
}

uint64_t bigEndian(const QByteArray& bytes, int at, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

int64_t largestDeclared(bool hevc, uint64_t size, const Reader& read) {
    int64_t largest = 0;
    uint64_t at = 0;
    for (int units = 0; at < size; ++units) {
        if (units >= kMaxUnitsPerItem) return -1;
        const QByteArray head = read(at, 10);
        uint64_t header = 0, length = 0;
        bool wanted = false;
        if (hevc) {
            if (head.size() < 6) break;  // the decoder stops here too
            header = 4;
            length = bigEndian(head, 0, 4);
            wanted = length >= 2 && ((uint8_t(head[4]) >> 1) & 0x3f) == 33;
        } else {
            if (head.isEmpty()) break;
            const uint8_t obu = uint8_t(head[0]);
            header = (obu & 4) ? 2 : 1;
            wanted = ((obu >> 3) & 15) == 1;
            if (obu & 2) {  // obu_has_size_field: a LEB128 number follows
                int shift = 0;
                for (;; shift += 7) {
                    if (header >= uint64_t(head.size()) || shift > 56) return -1;
                    const uint8_t byte = uint8_t(head[int(header++)]);
                    length |= uint64_t(byte & 0x7f) << shift;
                    if (!(byte & 0x80)) break;
                }
            } else {
                length = size - at - std::min(header, size - at);
            }
        }
        if (wanted) {
            const QByteArray unit = read(at + header, size_t(std::min<uint64_t>(length, kHeaderBytes)));
            const auto* bytes = reinterpret_cast<const uint8_t*>(unit.constData());
            const int64_t pixels = hevc ? hevcNalPixels(bytes, size_t(unit.size()))
                                        : av1SequenceHeaderPixels(bytes, size_t(unit.size()));
            if (pixels < 0) return -1;
            largest = std::max(largest, pixels);
        }
        if (length > size - std::min(size, at + header)) break;  // runs past the end
        at += header + length;
    }
    return largest;
}

int64_t configurationPixels(bool hevc, const uint8_t* box, size_t size) {
    // hvcC: 22 bytes of profile, then arrays of NAL units each after a 2-byte length, which
    // are handed to the decoder each after a 4-byte length. av1C: 4 bytes, then OBUs.
    QByteArray units;
    size_t at = hevc ? 23 : 4;
    if (size < at) return -1;
    if (hevc) {
        for (int arrays = box[22]; arrays > 0; --arrays) {
            if (size - at < 3) return -1;
            int count = box[at + 1] << 8 | box[at + 2];
            for (at += 3; count > 0; --count) {
                if (size - at < 2) return -1;
                const size_t length = size_t(box[at] << 8 | box[at + 1]);
                if (size - at - 2 < length) return -1;
                const char prefix[4] = {0, 0, char(length >> 8), char(length)};
                units.append(prefix, 4).append(reinterpret_cast<const char*>(box + at + 2), qsizetype(length));
                at += 2 + length;
            }
        }
    } else {
        units = QByteArray(reinterpret_cast<const char*>(box + at), qsizetype(size - at));
    }
    return largestDeclared(hevc, uint64_t(units.size()), [&units](uint64_t from, size_t n) {
        return units.mid(qsizetype(from), qsizetype(n));
    });
}

}  // namespace CodedSize
