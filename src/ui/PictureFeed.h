#pragma once
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

#include <cstdint>

#include "PictureBuffer.h"
#include "PictureOffset.h"
#include "Prefetcher.h"

class ImageView;
class QWidget;
class SortingSession;

// Puts the session's shown file on the image view. It decodes the file, or takes it from the
// neighbours decoded ahead on worker threads, draws it stretched or at actual size, moves it
// for the arrow keys and the mouse, and then asks for the neighbours in the direction of
// travel. Decoding ahead changes no flag, no text and no order of drawing. It never waits on a
// worker: a file stepped onto while a worker decodes it is shown when that decode is done.
class PictureFeed : public QObject {
    Q_OBJECT
public:
    // `window` is the top-level window: its state decides how a stretched redraw clears.
    // `decode` is how the workers decode ahead (tests put in one that stalls).
    PictureFeed(SortingSession& session, ImageView& view, QWidget& window,
                Prefetcher::Decode decode = decodePictureFile);
    ~PictureFeed() override;

    // Shows the session's shown file, or empties the view when there is none. A file that
    // fails to decode ends as stepping does: nothing counts as shown, picture and view empty,
    // copied mark cleared; the position and the list stay. False after such a failure, and
    // while a worker still decodes the file: nothing counts as shown then either, the view
    // keeps what it showed, and the picture follows with shownLate.
    bool showShownFile();
    // load("") empties the picture and the view and changes nothing else. For a named file it
    // returns false when decoding failed or a worker still decodes it (awaiting() then; the
    // picture is empty either way); else the session hears that the picture is shown and it
    // is drawn.
    bool load(const QString& path);
    // The file whose decode on a worker the feed waits for, without waiting; empty when none.
    const QString& awaiting() const { return awaited_; }
    // 0 after a load or a mode toggle (clear first), 1 after a resize, 2 after a slide.
    void draw(int32_t redrawKind);
    // One step of the arrow keys held, then draw(2).
    void slide(const PictureOffset::HeldKeys& held);
    // The view has a new size: the offset is pulled back inside it (the caller draws).
    void fitOffsetToView();

    // The view's mouse: a left drag slides the picture at actual size, a right click toggles
    // the fit mode.
    void onMouseDown(int button, int shift, double x, double y);
    void onMouseMove(int button, int shift, double x, double y);
    void onMouseUp(int button, int shift, double x, double y);

    // A step repeated by a held key while its picture is still being decoded ahead is passed
    // over, so a held key never piles up work (the latest step wins). `direction` is +1
    // forwards, -1 backwards; it also orders the neighbours asked for next.
    bool skipsHeldStep(int direction);
    // Watches the key events `widget` receives for held keys; install after the key routing,
    // so the watch sees each event first.
    void watchKeysOf(QWidget* widget);
    // While loading (before the window is shown) pictures are decoded for a view of `size`,
    // the one the window will have; an empty size ends that.
    void expectViewWhileLoading(const QSize& size);

    // The decoded picture (size() is always its natural size) and where it lies in the view.
    const PictureBuffer& picture() const { return picture_; }
    const PictureOffset& offset() const { return offset_; }
    PictureOffset& offset() { return offset_; }
    Prefetcher& prefetcher() { return prefetcher_; }

signals:
    // The file awaited was shown, or failed, once its decode on a worker was done.
    void shownLate();

private:
    // The view a reduced decode must cover (see the .cpp).
    QSize coverView() const;
    // The picture of `path` for the current mode: decoded ahead when it still matches the
    // file, else decoded now. Fills *out; true when decoded.
    bool obtain(const QString& path, DecodedPicture* out);
    // Asks for the neighbours of the shown file, the direction of travel first; they are
    // decoded once the view has painted (startPrefetch).
    void prefetchAround();
    void startPrefetch();
    // Makes the picture's pixels full size (dest null) or covering `dest`, from the same file.
    void ensurePixels(const QSize* dest);
    void viewPainted();
    // A worker is done with `path` (posted from the worker).
    void decodeFinished(const QString& path);

    SortingSession& session_;
    ImageView& view_;
    QWidget& window_;
    PictureBuffer picture_;
    PictureOffset offset_;
    Prefetcher prefetcher_;
    QString path_;           // the file picture_ was decoded from
    FileStamp stamp_;        // and how it looked then
    bool heldKey_ = false;   // the key event being handled repeats a held key
    int direction_ = 1;      // of the last step: +1 forwards, -1 backwards
    // The neighbours asked for wait until the view has painted the shown picture, so its
    // decode and its first paint never share the cores with theirs.
    bool startPending_ = false;
    QSize plannedCover_;     // the view they were asked for
    QTimer startAnyway_;     // a window that does not paint (minimised) starts them after all
    QSize expectedView_;     // while loading, before the window is shown: the view it will have
    QObject* heldKeyWatch_ = nullptr;
    QString awaited_;        // the shown file, while a worker decodes it
    // A decode that does not end soon (a hung network share) must not leave the previous
    // picture on show: the view is emptied meanwhile.
    QTimer awaitedLong_;
};
