#pragma once
#include <QString>
#include <QStringList>

#include <functional>

class MsgBox;
class FileSystem;
class Pickers;

// The platform services a window needs. main.cpp passes the real ones; tests pass fakes.
struct Services {
    MsgBox* msgBox = nullptr;
    FileSystem* fileSystem = nullptr;
    // Where the view looks at picture files, from its worker threads as well: one whose calls
    // are safe from any thread (main.cpp: the same real one). Empty: fileSystem.
    FileSystem* pictureFileSystem = nullptr;
    Pickers* pickers = nullptr;
    // Lists a folder's image files as ImageList::listFolder does on fileSystem (which runs when
    // this is empty); tests put a slow one here to stand for a network share.
    std::function<QStringList(const QString& folder, bool pngPluginAvailable, bool extraFormats, bool companions)>
        listFolder;
    // Opens `folder` in the desktop's file manager, false when nothing could
    // (DesktopFolders::showInFileManager runs when this is empty); tests record the folder.
    std::function<bool(const QString& folder)> showFolder;
};
