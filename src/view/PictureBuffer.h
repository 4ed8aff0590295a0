#pragma once
// The off-screen picture: decoded pixels and the image's natural size.

#include <QImage>
#include <QSize>

// In stretched mode the pixels may come from a reduced decode (see PictureDecoder::decode), so the
// size everything measures (sliding, the stretch rectangle, actual size) is kept apart from
// them: size() is always the image's natural size. A copy already stretched for the view may
// ride along, so drawing a picture decoded ahead costs no scaling on the interface thread.
class PictureBuffer {
public:
    PictureBuffer() = default;
    PictureBuffer(QImage pixels, const QSize& natural)
        : pixels_(std::move(pixels)), natural_(pixels_.isNull() ? QSize() : natural) {}
    explicit PictureBuffer(QImage full) : pixels_(std::move(full)), natural_(pixels_.size()) {}

    QSize size() const { return pixels_.isNull() ? QSize(0, 0) : natural_; }
    int width() const { return size().width(); }
    int height() const { return size().height(); }
    bool isNull() const { return pixels_.isNull(); }
    const QImage& pixels() const { return pixels_; }
    // True when the pixels are fewer than the natural size (a reduced decode).
    bool isReduced() const { return !pixels_.isNull() && pixels_.size() != natural_; }
    // Whether the pixels hold every pixel a stretched copy of `dest` can show.
    bool covers(const QSize& dest) const {
        return !isReduced() ||
               (pixels_.width() >= dest.width() && pixels_.height() >= dest.height());
    }

    // The stretched copy of the pixels at exactly `dest`, or null.
    const QImage* stretchedTo(const QSize& dest) const {
        return (!stretched_.isNull() && stretched_.size() == dest) ? &stretched_ : nullptr;
    }
    // Makes the stretched copy: the same smooth scaling the view applies when it draws.
    void prepareStretched(const QSize& dest) {
        if (pixels_.isNull() || dest.isEmpty() || stretchedTo(dest)) return;
        stretched_ = pixels_.scaled(dest, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    // A picture decoded at the size it is shown shares its pixels with its stretched copy.
    qint64 bytes() const {
        const bool shared = stretched_.cacheKey() == pixels_.cacheKey();
        return pixels_.sizeInBytes() + (shared ? 0 : stretched_.sizeInBytes());
    }

private:
    QImage pixels_;
    QSize natural_;
    QImage stretched_;
};
