#include "core/NaturalOrder.h"

#include <QCollator>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The user's collation; the C locale has no numeric mode, so English stands in for it there.
QCollator fileManagerCollator() {
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator c(locale);
    c.setNumericMode(true);
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
}

// The collator's order for names of printable ASCII, without building collation keys: each
// character's weight is read off the collator once, and digit runs compare by value as its
// numeric mode does. Collation keys cost a microsecond or more a name, which a folder of tens
// of thousands of photos (nearly always ASCII names) would feel.
class AsciiOrder {
public:
    explicit AsciiOrder(const QCollator& collator) {
        std::vector<char> chars;
        for (char c = 0x20; c < 0x7F; ++c) chars.push_back(c);
        auto cmp = [&collator](char a, char b) {
            return collator.compare(QString(QLatin1Char(a)), QString(QLatin1Char(b)));
        };
        std::stable_sort(chars.begin(), chars.end(), [&](char a, char b) { return cmp(a, b) < 0; });
        int rank = 0;
        for (size_t i = 0; i < chars.size(); ++i) {
            if (i > 0 && cmp(chars[i - 1], chars[i]) != 0) ++rank;
            weight_[static_cast<unsigned char>(chars[i])] = rank + 1;
        }
    }

    static bool applies(const QString& name) {
        for (const QChar c : name)
            if (c.unicode() < 0x20 || c.unicode() >= 0x7F) return false;
        return true;
    }

    // Appends to `key` a byte string whose plain byte order is the collator's order of names
    // of printable ASCII: each character becomes its weight, and each run of digits the digits'
    // weight, the count of its digits without leading zeros, then those digits, so runs compare
    // by value. No key byte is zero.
    void appendKey(const char* name, size_t n, std::string* key) const {
        for (size_t i = 0; i < n;) {
            const char c = name[i];
            if (!isDigit(c)) {
                key->push_back(static_cast<char>(weight_[static_cast<unsigned char>(c)]));
                ++i;
                continue;
            }
            size_t end = i;
            while (end < n && isDigit(name[end])) ++end;
            size_t start = i;
            while (start < end - 1 && name[start] == '0') ++start;
            key->push_back(static_cast<char>(weight_[static_cast<unsigned char>('0')]));
            key->push_back(static_cast<char>(end - start));  // names are at most 255 bytes
            key->append(name + start, end - start);
            i = end;
        }
    }

    static bool applies(const char* s, size_t len) {
        for (size_t i = 0; i < len; ++i)
            if (s[i] < 0x20 || s[i] >= 0x7F) return false;
        return true;
    }

private:
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    int weight_[128] = {};
};

const AsciiOrder& theAsciiOrder() {
    static const AsciiOrder order(fileManagerCollator());
    return order;
}

void sortByCollator(QStringList* names) {
    const QCollator collator = fileManagerCollator();
    struct Keyed {
        QCollatorSortKey key;
        QString name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(names->size()));
    for (const QString& n : *names) keyed.push_back({collator.sortKey(n), n});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    names->clear();
    for (const Keyed& k : keyed) names->push_back(k.name);
}

}  // namespace

// Names of printable ASCII gathered for sorting in the collator's order, ties broken by the
// exact text. Names and keys sit in two flat buffers and the sort moves only small records
// that carry the first 16 key bytes as numbers, which settle nearly every comparison: a folder
// of 50,000 names sorts in a few milliseconds, with no allocation per name.
class NaturalOrder::Collector::AsciiNames {
public:
    AsciiNames() : order_(theAsciiOrder()) {}

    void reserve(size_t count) {
        entries_.reserve(count);
        names_.reserve(count * 16);
        keys_.reserve(count * 20);
    }

    void add(const char* name, size_t len) {
        Entry e;
        e.nameOff = uint32_t(names_.size());
        e.nameLen = uint32_t(len);
        names_.append(name, len);
        e.keyOff = uint32_t(keys_.size());
        order_.appendKey(name, len, &keys_);
        e.keyLen = uint32_t(keys_.size() - e.keyOff);
        e.head0 = pack(keys_.data() + e.keyOff, e.keyLen);
        e.head1 = e.keyLen > 8 ? pack(keys_.data() + e.keyOff + 8, e.keyLen - 8) : 0;
        entries_.push_back(e);
    }

    bool Empty() const { return entries_.empty(); }

    QStringList sorted() {
        std::sort(entries_.begin(), entries_.end(), [this](const Entry& a, const Entry& b) {
            if (a.head0 != b.head0) return a.head0 < b.head0;
            if (a.head1 != b.head1) return a.head1 < b.head1;
            const int c = tail(a).compare(tail(b));
            if (c != 0) return c < 0;
            return name(a) < name(b);
        });
        QStringList out;
        out.reserve(qsizetype(entries_.size()));
        appendTo(&out);
        return out;
    }

    void appendTo(QStringList* out) const {
        for (const Entry& e : entries_)
            out->push_back(QString::fromLatin1(names_.data() + e.nameOff, qsizetype(e.nameLen)));
    }

private:
    struct Entry {
        uint64_t head0, head1;  // key bytes 0-7 and 8-15, big-endian, zero-padded
        uint32_t keyOff, keyLen, nameOff, nameLen;
    };

    // Up to eight bytes as a big-endian number: numeric order is the bytes' order, and as no
    // key byte is zero, a shorter key comes first as it does in a byte comparison.
    static uint64_t pack(const char* p, size_t len) {
        uint64_t v = 0;
        for (size_t i = 0; i < 8; ++i) v = (v << 8) | (i < len ? static_cast<unsigned char>(p[i]) : 0u);
        return v;
    }
    std::string_view tail(const Entry& e) const {
        return e.keyLen > 16 ? std::string_view(keys_.data() + e.keyOff + 16, e.keyLen - 16)
                             : std::string_view();
    }
    std::string_view name(const Entry& e) const {
        return std::string_view(names_.data() + e.nameOff, e.nameLen);
    }

    const AsciiOrder& order_;
    std::string names_, keys_;
    std::vector<Entry> entries_;
};

namespace NaturalOrder {

void sort(QStringList* names) {
    // Equal names under the collator fall back to the exact text, so the order never depends
    // on the order the folder was read in.
    if (std::all_of(names->begin(), names->end(), [](const QString& n) { return AsciiOrder::applies(n); })) {
        Collector::AsciiNames ascii;
        ascii.reserve(size_t(names->size()));
        for (const QString& n : *names) {
            const QByteArray latin = n.toLatin1();
            ascii.add(latin.constData(), size_t(latin.size()));
        }
        *names = ascii.sorted();
        return;
    }
    sortByCollator(names);
}

Collector::Collector() : ascii_(std::make_unique<AsciiNames>()) {}
Collector::~Collector() = default;

void Collector::add(const char* bytes, size_t length) {
    if (AsciiOrder::applies(bytes, length)) {
        ascii_->add(bytes, length);
        return;
    }
    const QByteArray raw(bytes, static_cast<qsizetype>(length));
    const QString name = QFile::decodeName(raw);
    if (QFile::encodeName(name) != raw) return;
    other_.push_back(name);
}

QStringList Collector::sorted() {
    if (other_.isEmpty()) return ascii_->sorted();
    QStringList all = other_;
    ascii_->appendTo(&all);
    sortByCollator(&all);
    return all;
}

}  // namespace NaturalOrder
