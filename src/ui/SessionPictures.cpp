#include "ui/SessionPictures.h"

#include "view/ImageView.h"
#include "core/SortingSession.h"

SessionPictures::SessionPictures(SortingSession& session, PictureLoader& loader, QObject* parent)
    : QObject(parent), session_(session), loader_(loader) {
    connect(&loader_, &PictureLoader::shown, &session_, &SortingSession::pictureShown);
    connect(&loader_, &PictureLoader::failed, &session_, &SortingSession::pictureFailed);
    connect(&session_, &SortingSession::fitModeChanged, this, [this] {
        loader_.setFit(session_.options().fitToView);
        loader_.drawAfresh();
    });
    connect(&loader_.view(), &ImageView::mouseUp, this,
            [this](Qt::MouseButtons button, Qt::KeyboardModifiers, QPointF) {
                if (button == Qt::RightButton) session_.toggleFitMode();
            });
}

bool SessionPictures::showShownFile() {
    const ImageList& list = session_.list();
    const int32_t at = list.position();
    PictureLoader::Neighbours around;
    if (list.count() > 0 && at >= 1) {
        around.next = list.pathAt(list.after(at));
        around.afterNext = list.pathAt(list.after(list.after(at)));
        around.previous = list.pathAt(list.before(at));
        around.beforePrevious = list.pathAt(list.before(list.before(at)));
    }
    loader_.setPngPluginAvailable(session_.pngPluginAvailable());
    return loader_.show(list.shownPath(), around, session_.options().fitToView);
}

bool SessionPictures::skipsHeldStep(int direction, bool held) {
    const ImageList& list = session_.list();
    const int32_t at = list.position();
    const QString target =
        list.count() > 0 ? list.pathAt(direction > 0 ? list.after(at) : list.before(at)) : QString();
    return loader_.skipsHeldStep(target, direction, held);
}
