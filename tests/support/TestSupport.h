#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <vector>

#include "platform/MsgBox.h"

// A temporary folder that stands in for the program's directory (or any other folder a test
// needs); removed with everything in it when the test ends.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder's path, without a final "/".
    QString path() const { return dir_.path(); }
    // `name` below the folder.
    QString file(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }
    // Writes raw bytes to `name`, creating parent folders.
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;
    bool exists(const QString& name) const;

private:
    QTemporaryDir dir_;
};

// Records every message box and answers from a script (the default button when the script
// is empty: OK, Cancel for OK/Cancel with Cancel default, and so on).
class FakeMsgBox : public MsgBox {
public:
    struct Shown {
        QString text;
        QString title;
        MsgButtons buttons;
        MsgAnswer defaultAnswer;
    };
    MsgAnswer ask(const QString& text, const QString& title, MsgButtons buttons,
             MsgAnswer defaultAnswer) override;

    std::vector<Shown> shown;
    std::deque<MsgAnswer> answers;

    QStringList texts() const;
};

// Code page 932 bytes of `text`, for comparing files byte for byte.
QByteArray Cp932(const QString& text);

// A tmpfs mounted at `path` (created if missing) for the life of the object: a real second
// filesystem for full-disk, read-only and cross-filesystem cases. Needs root; ok() is false
// with the reason where mounting is refused, and the test then skips.
class ScopedMount {
public:
    ScopedMount(const QString& path, const char* options);
    ~ScopedMount();
    bool ok() const { return ok_; }
    QString reason() const { return reason_; }
    bool remountReadOnly();

private:
    QString path_;
    QByteArray options_;
    bool ok_ = false;
    QString reason_;
};
