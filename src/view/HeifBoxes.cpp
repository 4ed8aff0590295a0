#include "view/HeifBoxes.h"

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

#include "view/CodedSize.h"

namespace HeifBoxes {
namespace {

using FourCC = uint32_t;
constexpr FourCC fourcc(const char (&s)[5]) {
    return FourCC(uint8_t(s[0])) << 24 | FourCC(uint8_t(s[1])) << 16 | FourCC(uint8_t(s[2])) << 8 |
           FourCC(uint8_t(s[3]));
}

// Beyond these the file is not one a camera or an encoder writes, and is not read further.
constexpr qint64 kMaxMetaBytes = 8 << 20;
constexpr int kMaxTopLevelBoxes = 4096;

struct Span { const uint8_t* data = nullptr; size_t size = 0; };

// Big-endian fields read from a span; a read past its end leaves ok() false.
class ByteReader {
public:
    explicit ByteReader(Span span) : span_(span) {}
    bool ok() const { return ok_; }
    uint64_t read(int bytes) {
        if (!ok_ || span_.size - at_ < size_t(bytes)) {
            ok_ = false;
            return 0;
        }
        uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) value = value << 8 | span_.data[at_++];
        return value;
    }
    Span take(size_t bytes) {
        if (!ok_ || span_.size - at_ < bytes) {
            ok_ = false;
            return {};
        }
        at_ += bytes;
        return {span_.data + at_ - bytes, bytes};
    }
    Span rest() const { return {span_.data + at_, span_.size - at_}; }

private:
    Span span_;
    size_t at_ = 0;
    bool ok_ = true;
};

using CodedSize::bigEndian;

// Calls visit(type, body) for each box in `span`; false when a box does not fit in it or
// visit says so.
bool forEachBox(Span span, const std::function<bool(FourCC, Span)>& visit) {
    ByteReader r(span);
    while (r.ok() && r.rest().size > 0) {
        const size_t left = r.rest().size;
        uint64_t size = r.read(4);
        const FourCC type = FourCC(r.read(4));
        size_t header = 8;
        if (size == 1) {
            size = r.read(8);
            header = 16;
        } else if (size == 0) {
            size = left;
        }
        if (!r.ok() || size < header || size > left) return false;
        if (!visit(type, r.take(size_t(size) - header))) return false;
    }
    return r.ok();
}

struct Extent { uint64_t offset = 0, length = 0; };

struct Item {
    FourCC type = 0;
    int method = -1;  // where its data is: 0 in the file, 1 in idat, -1 nowhere Orvane reads
    std::vector<Extent> extents;
    std::vector<uint32_t> properties;  // ipco indices, from 1
    std::vector<uint32_t> inputs;      // dimg references: tiles, overlay parts, iden's source
    bool inputsRead = false;
    std::vector<uint32_t> auxiliaries;  // items with an auxl reference to this one (alpha, depth)
};

class Boxes {
public:
    explicit Boxes(QIODevice* file) : file_(file), fileSize_(file->size()) {}
    bool read();
    std::optional<Demand> primaryDemand();

private:
    bool readMeta(Span meta);
    bool readLocations(Span iloc);
    bool readReferences(Span iref);
    bool readProperties(Span iprp);
    bool extentsFit(Item* item) const;
    QByteArray itemBytes(const Item& item, uint64_t at, size_t count) const;
    static uint64_t itemSize(const Item& item);
    int64_t codedPixels(uint32_t id, const Item& item);
    bool addPicture(uint32_t id, bool mayBeDerived, bool withAuxiliaries, Demand* demand);

    QIODevice* file_;
    qint64 fileSize_;
    QByteArray meta_;
    Span idat_;
    uint32_t primary_ = 0;
    bool hasPrimary_ = false;
    std::vector<std::pair<FourCC, Span>> properties_;
    std::map<uint32_t, Item> items_;
    std::map<uint32_t, int64_t> codedPixels_;
};

bool Boxes::read() {
    qint64 at = 0;
    for (int n = 0; n < kMaxTopLevelBoxes && at < fileSize_; ++n) {
        if (!file_->seek(at)) return false;
        const QByteArray head = file_->read(16);
        if (head.size() < 8) return false;
        uint64_t size = bigEndian(head, 0, 4);
        const FourCC type = FourCC(bigEndian(head, 4, 4));
        int header = 8;
        if (size == 1) {
            if (head.size() < 16) return false;
            size = bigEndian(head, 8, 8);
            header = 16;
        } else if (size == 0) {
            size = uint64_t(fileSize_ - at);
        }
        if (size < uint64_t(header) || size > uint64_t(fileSize_ - at)) return false;
        if (type == fourcc("meta")) {
            const qint64 body = qint64(size) - header;
            if (body > kMaxMetaBytes || !file_->seek(at + header)) return false;
            meta_ = file_->read(body);
            return meta_.size() == body &&
                   readMeta({reinterpret_cast<const uint8_t*>(meta_.constData()), size_t(body)});
        }
        at += qint64(size);
    }
    return false;
}

bool Boxes::readMeta(Span meta) {
    ByteReader full(meta);
    full.read(4);  // version and flags
    return full.ok() && forEachBox(full.rest(), [this](FourCC type, Span body) {
        ByteReader r(body);
        const int version = int(r.read(1));
        r.read(3);
        if (type == fourcc("pitm")) {
            primary_ = uint32_t(r.read(version == 0 ? 2 : 4));
            hasPrimary_ = r.ok();
            return r.ok();
        }
        if (type == fourcc("iinf")) {
            r.read(version == 0 ? 2 : 4);  // the entry count: the boxes themselves tell
            return r.ok() && forEachBox(r.rest(), [this](FourCC entryType, Span entry) {
                ByteReader e(entry);
                const int entryVersion = int(e.read(1));
                e.read(3);
                if (entryType != fourcc("infe") || entryVersion < 2) return true;
                const uint32_t id = uint32_t(e.read(entryVersion == 2 ? 2 : 4));
                e.read(2);  // item_protection_index
                const FourCC itemType = FourCC(e.read(4));
                if (e.ok()) items_[id].type = itemType;
                return e.ok();
            });
        }
        if (type == fourcc("iloc")) return readLocations(body);
        if (type == fourcc("iref")) return readReferences(body);
        if (type == fourcc("iprp")) return readProperties(body);
        if (type == fourcc("idat")) idat_ = body;
        return true;
    });
}

bool Boxes::readLocations(Span iloc) {
    ByteReader r(iloc);
    const int version = int(r.read(1));
    r.read(3);
    const int sizes = int(r.read(1)), moreSizes = int(r.read(1));
    const int offsetSize = sizes >> 4, lengthSize = sizes & 15, baseSize = moreSizes >> 4;
    const int indexSize = version > 0 ? moreSizes & 15 : 0;
    for (int s : {offsetSize, lengthSize, baseSize, indexSize})
        if (s != 0 && s != 4 && s != 8) return false;
    if (version > 2) return false;
    const uint64_t count = r.read(version < 2 ? 2 : 4);
    for (uint64_t i = 0; i < count && r.ok(); ++i) {
        Item& item = items_[uint32_t(r.read(version < 2 ? 2 : 4))];
        const int method = version > 0 ? int(r.read(2) & 15) : 0;
        const bool here = r.read(2) == 0 && method <= 1;  // data_reference_index: this file
        const uint64_t base = r.read(baseSize);
        const uint64_t extents = r.read(2);
        item.extents.clear();
        for (uint64_t e = 0; e < extents && r.ok(); ++e) {
            r.read(indexSize);
            const uint64_t offset = r.read(offsetSize);
            const uint64_t length = r.read(lengthSize);
            if (offset > UINT64_MAX - base) return false;
            item.extents.push_back({base + offset, length});
        }
        item.method = here ? method : -1;
    }
    return r.ok();
}

bool Boxes::readReferences(Span iref) {
    ByteReader r(iref);
    const int idSize = r.read(1) == 0 ? 2 : 4;
    r.read(3);
    return r.ok() && forEachBox(r.rest(), [this, idSize](FourCC type, Span body) {
        ByteReader b(body);
        const uint32_t from = uint32_t(b.read(idSize));
        const uint64_t count = b.read(2);
        std::vector<uint32_t> to;
        for (uint64_t i = 0; i < count && b.ok(); ++i) to.push_back(uint32_t(b.read(idSize)));
        if (!b.ok()) return false;
        // libheif takes an item's first dimg box and ignores the rest.
        Item& item = items_[from];
        if (type == fourcc("dimg") && !item.inputsRead) {
            item.inputs = std::move(to);
            item.inputsRead = true;
        } else if (type == fourcc("auxl")) {
            for (uint32_t master : to) items_[master].auxiliaries.push_back(from);
        }
        return true;
    });
}

bool Boxes::readProperties(Span iprp) {
    return forEachBox(iprp, [this](FourCC type, Span body) {
        if (type == fourcc("ipco")) {
            return forEachBox(body, [this](FourCC property, Span content) {
                properties_.emplace_back(property, content);
                return true;
            });
        }
        if (type != fourcc("ipma")) return true;
        ByteReader r(body);
        const int version = int(r.read(1));
        const bool wideIndex = r.read(3) & 1;
        const uint64_t entries = r.read(4);
        for (uint64_t i = 0; i < entries && r.ok(); ++i) {
            Item& item = items_[uint32_t(r.read(version < 1 ? 2 : 4))];
            const uint64_t associations = r.read(1);
            for (uint64_t a = 0; a < associations && r.ok(); ++a) {
                const uint32_t index = uint32_t(wideIndex ? r.read(2) & 0x7fff : r.read(1) & 0x7f);
                if (index) item.properties.push_back(index);
            }
        }
        return r.ok();
    });
}

uint64_t Boxes::itemSize(const Item& item) {
    uint64_t size = 0;
    for (const Extent& e : item.extents) size += e.length;  // each checked to fit a file
    return size;
}

// Whether all the item's data lies in the file or its idat box (an extent of length 0 runs to
// the end of either).
bool Boxes::extentsFit(Item* item) const {
    if (item->method < 0) return false;
    const uint64_t whole = item->method == 1 ? idat_.size : uint64_t(fileSize_);
    for (Extent& e : item->extents) {
        if (e.offset > whole) return false;
        if (e.length == 0) e.length = whole - e.offset;
        if (e.length > whole - e.offset) return false;
    }
    return true;
}

// Up to `count` bytes of the item's data from `at`, across its extents; fewer at its end.
QByteArray Boxes::itemBytes(const Item& item, uint64_t at, size_t count) const {
    QByteArray out;
    for (const Extent& e : item.extents) {
        if (size_t(out.size()) >= count) break;
        if (at >= e.length) {
            at -= e.length;
            continue;
        }
        const size_t take = size_t(std::min<uint64_t>(count - size_t(out.size()), e.length - at));
        if (item.method == 1) {
            out.append(reinterpret_cast<const char*>(idat_.data + e.offset + at), qsizetype(take));
        } else {
            if (!file_->seek(qint64(e.offset + at))) break;
            const QByteArray part = file_->read(qint64(take));
            out += part;
            if (size_t(part.size()) < take) break;
        }
        at = 0;
    }
    return out;
}

int64_t Boxes::codedPixels(uint32_t id, const Item& item) {
    const auto known = codedPixels_.find(id);
    if (known != codedPixels_.end()) return known->second;
    const bool hevc = item.type == fourcc("hvc1");
    int64_t pixels = 0;
    for (uint32_t index : item.properties) {
        if (index > properties_.size()) return -1;
        const auto& [type, body] = properties_[index - 1];
        ByteReader r(body);
        if (type == fourcc("ispe")) {
            r.read(4);
            const uint64_t w = r.read(4), h = r.read(4);
            if (!r.ok()) return -1;
            pixels = std::max(pixels, CodedSize::area(w, h));
        } else if (type == fourcc(hevc ? "hvcC" : "av1C")) {
            const int64_t declared = CodedSize::configurationPixels(hevc, body.data, body.size);
            if (declared < 0) return -1;
            pixels = std::max(pixels, declared);
        }
    }
    const int64_t inData = CodedSize::largestDeclared(hevc, itemSize(item), [this, &item](uint64_t at, size_t n) {
        return itemBytes(item, at, n);
    });
    pixels = inData < 0 ? -1 : std::max(pixels, inData);
    codedPixels_[id] = pixels;
    return pixels;
}

bool Boxes::addPicture(uint32_t id, bool mayBeDerived, bool withAuxiliaries, Demand* demand) {
    const auto found = items_.find(id);
    if (found == items_.end()) return false;
    const Item& item = found->second;
    // An iden has no data of its own.
    if (item.type != fourcc("iden") && !extentsFit(&found->second)) return false;
    if (item.type == fourcc("hvc1") || item.type == fourcc("av01")) {
        const int64_t pixels = codedPixels(id, item);
        if (pixels <= 0) return false;
        demand->canvasPixels = std::max(demand->canvasPixels, pixels);
        demand->largestCodedPixels = std::max(demand->largestCodedPixels, pixels);
        // At most 2^50 each: even 2^16 tiles of that stay within the sum.
        demand->codedPixels += pixels;
        demand->codedPictures += 1;
    } else {
        // A derived picture: its canvas, then its inputs. Those are coded pictures, but for the
        // primary's when it is an iden (of a grid, say): so no picture is made of itself, and
        // libheif never holds two canvases at once.
        if (!mayBeDerived) return false;
        const QByteArray data = itemBytes(item, 0, 18);
        uint64_t width = 0, height = 0;
        const bool wide = data.size() >= 2 && (uint8_t(data[1]) & 1);
        if (item.type == fourcc("grid")) {
            if (data.size() < (wide ? 12 : 8)) return false;
            const uint64_t tiles = uint64_t(uint8_t(data[2]) + 1) * (uint8_t(data[3]) + 1);
            if (item.inputs.size() != tiles) return false;
            width = bigEndian(data, 4, wide ? 4 : 2);
            height = bigEndian(data, wide ? 8 : 6, wide ? 4 : 2);
        } else if (item.type == fourcc("iovl")) {
            if (data.size() < (wide ? 18 : 14) || data[0] != 0) return false;
            width = bigEndian(data, 10, wide ? 4 : 2);
            height = bigEndian(data, wide ? 14 : 12, wide ? 4 : 2);
        } else if (item.type != fourcc("iden") || item.inputs.size() != 1) {
            return false;
        }
        demand->canvasPixels = std::max(demand->canvasPixels, CodedSize::area(width, height));
        // Only the primary is derived and takes its auxiliaries.
        const bool primaryIden = item.type == fourcc("iden") && withAuxiliaries;
        for (uint32_t input : item.inputs)
            if (!addPicture(input, primaryIden, !primaryIden, demand)) return false;
    }
    if (withAuxiliaries)
        for (uint32_t auxiliary : item.auxiliaries)
            if (!addPicture(auxiliary, mayBeDerived, false, demand)) return false;
    return true;
}

std::optional<Demand> Boxes::primaryDemand() {
    Demand demand;
    if (!hasPrimary_ || !addPicture(primary_, true, true, &demand)) return std::nullopt;
    return demand;
}

}  // namespace

std::optional<Demand> primaryDemand(QIODevice* file) {
    const qint64 kept = file->pos();
    Boxes boxes(file);
    std::optional<Demand> demand = boxes.read() ? boxes.primaryDemand() : std::nullopt;
    file->seek(kept);
    return demand;
}

}  // namespace HeifBoxes
