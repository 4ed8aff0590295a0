#include "core/ImageList.h"

#include "platform/FileSystem.h"
#include "core/NaturalOrder.h"

void ImageList::assign(const QString& folder, const QStringList& names) {
    folder_ = FsPath::withSlash(folder);
    names_ = names;
    position_ = 0;
}

QString ImageList::nameAt(int32_t i) const {
    return (i >= 1 && i <= count()) ? names_.at(i - 1) : QString();
}

QString ImageList::pathAt(int32_t i) const {
    const QString name = nameAt(i);
    return name.isEmpty() ? QString() : folder_ + name;
}

int32_t ImageList::find(const QString& path) const {
    for (int32_t i = 1; i <= count(); ++i)
        if (folder_ + names_.at(i - 1) == path) return i;
    return 0;
}

void ImageList::setPosition(int32_t position) {
    if (position >= 0 && position <= count()) position_ = position;
}

int32_t ImageList::after(int32_t from) const {
    if (count() <= 0) return 0;
    return from < count() ? from + 1 : 1;
}

int32_t ImageList::before(int32_t from) const {
    if (count() <= 0) return 0;
    return from <= 1 || from > count() ? count() : from - 1;
}

void ImageList::step(int direction) { position_ = direction > 0 ? after(position_) : before(position_); }

bool ImageList::removeShown() {
    if (position_ < 1 || position_ > count()) return false;
    names_.removeAt(position_ - 1);
    if (position_ == count() + 1) position_ = 1;
    if (names_.isEmpty()) position_ = 0;
    return true;
}

void ImageList::insertAndShow(const QString& name) {
    int32_t at = names_.indexOf(name) + 1;
    if (at == 0) {
        // The first entry the name sorts before; the others keep their places.
        auto before = [](const QString& a, const QString& b) {
            QStringList pair{b, a};
            NaturalOrder::sort(&pair);
            return pair.first() == a;
        };
        qsizetype low = 0, high = names_.size();
        while (low < high) {
            const qsizetype mid = (low + high) / 2;
            if (before(name, names_.at(mid)))
                high = mid;
            else
                low = mid + 1;
        }
        names_.insert(low, name);
        at = int32_t(low) + 1;
    }
    position_ = at;
}

bool ImageList::removeName(const QString& name) {
    const int32_t at = names_.indexOf(name) + 1;
    if (at == 0) return false;
    if (at == position_) return removeShown();
    names_.removeAt(at - 1);
    if (at < position_) --position_;
    return false;
}
