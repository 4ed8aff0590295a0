#include <QApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

#include "desktop/Appearance.h"
#include "platform/FileSystem.h"
#include "ui/MainWindow.h"
#include "platform/Paths.h"
#include "view/Prefetcher.h"
#include "desktop/QtServices.h"
#include "desktop/SingleInstance.h"
#include "platform/TemporaryJournal.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    Appearance::apply();
    PosixFileSystem fileSystem;
    const QStringList args = QApplication::arguments();
    // The first argument is the path as it stands. A relative one names a place under the
    // folder the program was started from; start-up changes the working directory, and a
    // window already running has its own, so it is made absolute here.
    const QString path = args.size() > 1 ? Paths::commandLinePath(fileSystem, args.at(1),
                                                                 QDir::currentPath())
                                         : QString();
    const QString programDir = QApplication::applicationDirPath();
    QtMsgBox msgBox;

    SingleInstance instance(programDir);
    switch (instance.claim(path)) {
    case SingleInstance::Outcome::HandedOver:
        return 0;
    case SingleInstance::Outcome::NoAnswer:
        msgBox.ask(QStringLiteral("このフォルダの Orvane は既に起動していますが、応答がありません。\n"
                                   "そのウィンドウを閉じてから、もう一度開いてください。\n") +
                        programDir,
                    QStringLiteral("Orvane"), MsgButtons::Ok, MsgAnswer::Ok);
        return 1;
    case SingleInstance::Outcome::First:
    case SingleInstance::Outcome::Alone:
        break;
    }

    QtPickers dialogs;
    // Temporaries an action has made are noted beside the settings until they are gone, so a
    // run ended mid-way is told of at the next start.
    TemporaryJournal journal(programDir + QStringLiteral("/config/一時ファイル一覧.txt"));
    fileSystem.setJournal(&journal);
    Services services;
    services.msgBox = &msgBox;
    services.pickers = &dialogs;
    services.fileSystem = &fileSystem;
    services.pictureFileSystem = &fileSystem;  // stateless lookups: safe from the view's workers
    int code = 0;
    {
        MainWindow window(services, programDir, path);
        msgBox.setParent(&window);
        instance.setTakesPaths([&window] { return window.takesHandedPaths(); });
        QObject::connect(&instance, &SingleInstance::pathHanded, &window, &MainWindow::openHandedPath);
        window.startUp();
        window.showAtSavedPlace();
        code = app.exec();
    }
    // The settings were saved as the window closed. A decoding worker stuck in a system call
    // (a file on a hung share) was left running: the process ends now, without the static
    // destructors that could unload code from under it, rather than wait for it for ever.
    if (Prefetcher::abandonedWorkers() > 0) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
