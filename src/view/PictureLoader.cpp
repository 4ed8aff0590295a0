#include "view/PictureLoader.h"

#include <QWidget>

#include <cstdio>
#include <ctime>

#include "view/ImageView.h"
#include "view/ViewGeometry.h"

namespace {

// `make bench` times the start from outside: with ORVANE_BENCH_PAINT_CLOCK set, the first paint
// of the view and the first one holding a picture print the monotonic clock on stderr.
void noteFirstPaints(bool holdsPicture) {
    static const bool wanted = qEnvironmentVariableIsSet("ORVANE_BENCH_PAINT_CLOCK");
    static bool window = false, picture = false;
    if (!wanted || (window && (picture || !holdsPicture))) return;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long ns = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    if (!window) std::fprintf(stderr, "orvane-paint-clock window %lld\n", ns);
    if (holdsPicture && !picture) std::fprintf(stderr, "orvane-paint-clock picture %lld\n", ns);
    window = true;
    picture = picture || holdsPicture;
}

}  // namespace

PictureLoader::PictureLoader(ImageView& view, QWidget& window, FileSystem& fs, Prefetcher::Decode decode)
    : view_(view),
      window_(window),
      fs_(fs),
      prefetcher_(fs, Prefetcher::kDefaultBudget, Prefetcher::defaultWorkers(), std::move(decode)) {
    connect(&view_, &ImageView::painted, this, &PictureLoader::viewPainted);
    connect(&view_, &ImageView::mouseDown, this, &PictureLoader::onMouseDown);
    connect(&view_, &ImageView::mouseMove, this, &PictureLoader::onMouseMove);
    startAnyway_.setSingleShot(true);
    startAnyway_.setInterval(250);
    connect(&startAnyway_, &QTimer::timeout, this, &PictureLoader::startPrefetch);
    awaitedLong_.setSingleShot(true);
    awaitedLong_.setInterval(kAwaitedLongMs);
    connect(&awaitedLong_, &QTimer::timeout, this, [this] {
        if (awaited_.isEmpty()) return;
        view_.clearBacking();
        view_.update();
    });
    prefetcher_.setFinished([this](const QString& path) {
        QMetaObject::invokeMethod(this, [this, path] { decodeFinished(path); }, Qt::QueuedConnection);
    });
}

PictureLoader::~PictureLoader() = default;

void PictureLoader::expectViewWhileLoading(const QSize& size) {
    expectedView_ = size.isEmpty() ? QSize() : size;
}

void PictureLoader::viewPainted() {
    noteFirstPaints(shown_ && !picture_.isNull());
    // Once the frame is on screen, after the rest of this paint.
    if (startPending_)
        QMetaObject::invokeMethod(this, &PictureLoader::startPrefetch, Qt::QueuedConnection);
}

bool PictureLoader::show(const QString& path, const Neighbours& neighbours, bool fit) {
    neighbours_ = neighbours;
    fit_ = fit;
    if (path.isEmpty()) {
        load(QString());
        return true;
    }
    if (load(path)) return true;
    if (awaited_.isEmpty()) {
        // Nothing counts as shown, so a digit never sends a file that is not on screen.
        emit failed(path);
        load(QString());
    }
    return false;
}

bool PictureLoader::load(const QString& path) {
    awaited_.clear();
    sharpening_.reset();
    awaitedLong_.stop();
    shown_ = false;
    if (path.isEmpty()) {
        picture_ = PictureBuffer();
        view_.clearBacking();
        return true;
    }
    offset_.moveTo(0, 0);
    picture_ = PictureBuffer();

    // Decoded ahead: shown at once. The flags follow the same rules either way: a PNG without
    // the plug-in fails to decode like any other file, so the digit keys never act on a file
    // that is not on screen.
    const QSize cover = coverView();
    DecodedPicture picture;
    if (prefetcher_.take(path, cover, &picture)) {
        present(path, picture);
        prefetchAround();
        return true;
    }
    // Else a worker decodes it (the one decoding it ahead already, or the next free one), so
    // no decode and no colour conversion holds the window's thread: keys act meanwhile and the
    // picture is shown when it is done (decodeFinished). A window not on screen yet (starting
    // up) has nothing to answer meanwhile: it waits for a fresh decode, a while at most.
    const bool ahead = prefetcher_.decodingAhead(path);
    prefetcher_.decodeShown(path, cover, pngPlugin_);
    if (!ahead && !view_.isVisible() && prefetcher_.waitShown(kHiddenWaitMs) &&
        prefetcher_.takeShown(path, &picture)) {
        if (picture.ok) prefetcher_.keep(path, picture);
        const bool ok = present(path, picture);
        prefetchAround();
        return ok;
    }
    awaited_ = path;
    awaitedLong_.start();
    prefetchAround();
    return false;
}

bool PictureLoader::present(const QString& path, const DecodedPicture& decoded) {
    path_ = path;
    stamp_ = decoded.stamp;
    if (!decoded.ok) {
        picture_ = PictureBuffer();
        return false;
    }
    picture_ = decoded.picture;
    shown_ = true;
    emit shown(path);
    drawAfresh();
    return true;
}

void PictureLoader::drawAfresh() {
    if (!shown_) return;
    view_.clearBacking();
    redraw();
}

void PictureLoader::redraw() {
    if (!shown_) return;
    if (fit_) {
        const Qt::WindowStates ws = window_.windowState();
        if (!(ws & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
            view_.clearBacking();
        const std::optional<QSize> dest = ViewGeometry::stretchSize(
            picture_.width(), picture_.height(), view_.width(), view_.height());
        if (!dest) return;
        ensurePixels(&*dest);
        const QImage* ready = picture_.stretchedTo(*dest);
        view_.drawStretched(ready ? *ready : picture_.pixels(), *dest);
    } else if (ensurePixels(nullptr)) {
        // Actual size always shows the full-resolution picture...
        view_.drawActualSize(picture_.pixels(), offset_.x(), offset_.y());
    } else {
        // ...and the reduced one enlarged while a worker decodes it.
        view_.drawEnlarged(picture_.pixels(), picture_.size(), offset_.x(), offset_.y());
    }
    // No pending events are run here: the repaint is scheduled, so key handlers never nest.
    view_.update();
}

void PictureLoader::slide(const PictureOffset::HeldKeys& held) {
    offset_.slide(held, picture_.size(), view_.size());
    redraw();
}

void PictureLoader::fitOffsetToView() { offset_.fitView(picture_.size(), view_.size()); }

void PictureLoader::onMouseDown(Qt::MouseButtons, Qt::KeyboardModifiers, QPointF at) {
    if (fit_) return;
    offset_.startDrag(at.x(), at.y());
}

void PictureLoader::onMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers, QPointF at) {
    if (fit_ || buttons != Qt::LeftButton) return;
    offset_.drag(at.x(), at.y(), picture_.size(), view_.size());
    redraw();
}

// The view a reduced decode must cover: stretched mode in a view on screen. Before the window
// is shown its size is not yet the real one: the full picture is decoded then, but while
// loading, when the size the view will have is expected.
QSize PictureLoader::coverView() const {
    if (!fit_) return QSize();
    if (!view_.isVisible()) return expectedView_;
    if (view_.width() <= 0 || view_.height() <= 0) return QSize();
    return view_.size();
}

void PictureLoader::startPrefetch() {
    if (!startPending_) return;
    // Asked for before the view had its size (while loading): asked for again at the real one.
    if (coverView() != plannedCover_) prefetchAround();
    startPending_ = false;
    startAnyway_.stop();
    prefetcher_.start();
}

void PictureLoader::decodeFinished(const QString& path) {
    if (sharpening_ && awaited_.isEmpty() && path == path_) {
        DecodedPicture sharper;
        if (!prefetcher_.takeShown(path, &sharper)) return;
        const bool full = !sharpening_->isValid();
        sharpening_.reset();
        const std::optional<QSize> dest = ViewGeometry::stretchSize(
            picture_.width(), picture_.height(), view_.width(), view_.height());
        if (full || dest) adopt(sharper, full ? nullptr : &*dest);
        redraw();  // asks again when the view outgrew it meanwhile
        return;
    }
    if (awaited_.isEmpty() || path != awaited_) return;
    DecodedPicture picture;
    // Another decode of the file (for another view size) ended: the window's own goes on.
    if (!prefetcher_.takeShown(path, &picture)) return;
    awaited_.clear();
    awaitedLong_.stop();
    if (picture.ok) prefetcher_.keep(path, picture);
    if (!present(path, picture)) {
        emit failed(path);
        load(QString());
    }
    prefetchAround();
    emit shownLate();
}

void PictureLoader::prefetchAround() {
    // The file being shown: awaited from a worker, or decoded (or failed) here last.
    const QString shownPath = awaited_.isEmpty() ? path_ : awaited_;
    if (shownPath.isEmpty()) return;
    const Neighbours& n = neighbours_;
    const QSize cover = coverView();
    const bool forwards = direction_ > 0;
    std::vector<Prefetcher::Job> jobs;
    for (const QString* j : {forwards ? &n.next : &n.previous, forwards ? &n.previous : &n.next,
                             forwards ? &n.afterNext : &n.beforePrevious})
        if (!j->isEmpty() && *j != shownPath) jobs.push_back({*j, cover});
    prefetcher_.request(shownPath, jobs, pngPlugin_, false);
    plannedCover_ = cover;
    startPending_ = true;
    startAnyway_.start();
}

bool PictureLoader::ensurePixels(const QSize* dest) {
    if (!picture_.isReduced()) return true;
    if (dest && picture_.covers(*dest)) return true;
    const QSize cover = dest ? coverView() : QSize();
    DecodedPicture d;
    if (prefetcher_.take(path_, cover, &d)) return adopt(d, dest);
    // On screen the window goes on with what it has, and draws again when the worker is done
    // (decodeFinished). Not yet on screen, it waits for the worker a while.
    if (view_.isVisible()) {
        if (!sharpening_ || *sharpening_ != cover) {
            sharpening_ = cover;
            prefetcher_.decodeShown(path_, cover, pngPlugin_);
        }
        return false;
    }
    prefetcher_.decodeShown(path_, cover, pngPlugin_);
    if (prefetcher_.waitShown(kHiddenWaitMs) && prefetcher_.takeShown(path_, &d)) return adopt(d, dest);
    return false;
}

bool PictureLoader::adopt(const DecodedPicture& d, const QSize* dest) {
    const bool sameFile = d.ok && d.stamp == stamp_ && d.picture.size() == picture_.size();
    if (sameFile) {
        // Decoded for a view the window has outgrown meanwhile.
        if (dest ? !d.picture.covers(*dest) : d.picture.isReduced()) return false;
        picture_ = d.picture;
        prefetcher_.keep(path_, d);
        return true;
    }
    // The file changed or vanished since it was shown: what was shown stays, enlarged to the
    // natural size, as the full picture held in memory would have.
    const QSize natural = picture_.size();
    picture_ = PictureBuffer(
        picture_.pixels().scaled(natural, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
        natural);
    return true;
}

bool PictureLoader::skipsHeldStep(const QString& target, int direction, bool held) {
    direction_ = direction;
    if (!held || target.isEmpty()) return false;
    return prefetcher_.statusOf(target, coverView()) == Prefetcher::Status::Pending;
}
