#include "ui/ResponsiveFolderLister.h"

#include <QApplication>

#include <chrono>
#include <future>
#include <system_error>


ResponsiveFolderLister::ResponsiveFolderLister(ListFolder listFolder)
    : listFolder_(std::move(listFolder)) {}

QStringList ResponsiveFolderLister::list(const QString& folder, bool png, bool extra, bool companions) {
    std::future<QStringList> listed;
    try {
        // Everything the worker needs goes by value: it reads no state of the window's.
        listed = std::async(std::launch::async, listFolder_, folder, png, extra, companions);
    } catch (const std::system_error&) {
        return listFolder_(folder, png, extra, companions);  // no thread to be had: read it here, as before
    }
    // A local folder of 50,000 files lists in a few tens of milliseconds, well within this;
    // then nothing else runs meanwhile, as if the list had been read here.
    if (listed.wait_for(std::chrono::milliseconds(150)) == std::future_status::ready) return listed.get();

    // Slow storage: nothing but painting, resizing and moving the window runs meanwhile.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    while (listed.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 15);
        listed.wait_for(std::chrono::milliseconds(15));
    }
    QApplication::restoreOverrideCursor();
    return listed.get();
}
