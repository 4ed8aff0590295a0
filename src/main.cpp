#include <QApplication>
#include <QDir>
#include <QStringList>

#include "Appearance.h"
#include "FileSystem.h"
#include "Form1.h"
#include "Module1.h"
#include "QtServices.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    Appearance::Apply();
    QStringList args = QApplication::arguments().mid(1);
    // A relative path names a place under the folder the program was started from; start-up
    // changes the working directory, so make it absolute first.
    if (!args.isEmpty() && !args.first().isEmpty() && !args.first().startsWith(QLatin1Char('/')))
        args.first() = QDir::current().absoluteFilePath(args.first());
    QtMsgBox msgBox;
    QtShellDialogs dialogs;
    PosixFileSystem fileSystem;
    Services services;
    services.msgBox = &msgBox;
    services.dialogs = &dialogs;
    services.fileSystem = &fileSystem;
    Form1 form(services, QApplication::applicationDirPath(), Module1::BuildCommandLine(args));
    msgBox.setParent(&form);
    form.Form_Load();
    form.ShowAsPlaced();
    return app.exec();
}
