#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <ftw.h>
#include <stdio.h>

#include "platform/TextFile.h"

TempDir::TempDir() { EXPECT_TRUE(dir_.isValid()); }

// Emptied by bytes first: QTemporaryDir cannot name, and so leaves behind, entries whose names
// are not valid UTF-8, which several tests make on purpose.
TempDir::~TempDir() {
    if (!dir_.isValid()) return;
    const QByteArray top = QFile::encodeName(dir_.path());
    nftw(top.constData(), [](const char* path, const struct stat*, int, struct FTW* at) {
        if (at->level > 0) ::remove(path);
        return 0;
    }, 16, FTW_DEPTH | FTW_PHYS);
}

void TempDir::write(const QString& name, const QByteArray& bytes) const {
    const QString full = file(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << full.toStdString();
    f.write(bytes);
}

QByteArray TempDir::read(const QString& name) const {
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

bool TempDir::exists(const QString& name) const { return QFileInfo::exists(file(name)); }

MsgAnswer FakeMsgBox::ask(const QString& text, const QString& title, MsgButtons buttons,
                     MsgAnswer defaultAnswer) {
    shown.push_back({text, title, buttons, defaultAnswer});
    if (!answers.empty()) {
        MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    if (defaultAnswer != MsgAnswer::None) return defaultAnswer;
    switch (buttons) {
        case MsgButtons::Ok: return MsgAnswer::Ok;
        case MsgButtons::OkCancel: return MsgAnswer::Ok;
        case MsgButtons::YesNo: return MsgAnswer::Yes;
    }
    return MsgAnswer::Ok;
}

QStringList FakeMsgBox::texts() const {
    QStringList out;
    for (const auto& s : shown) out << s.text;
    return out;
}

QByteArray Cp932(const QString& text) {
    bool ok = false;
    QByteArray bytes = TextFile::encodeCp932(text, &ok);
    EXPECT_TRUE(ok);
    return bytes;
}

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

ScopedMount::ScopedMount(const QString& path, const char* options) : path_(path), options_(options) {
    QDir().mkpath(path);
    const QByteArray p = QFile::encodeName(path);
    if (::mount("tmpfs", p.constData(), "tmpfs", 0, options) == 0) {
        ok_ = true;
    } else {
        reason_ = QStringLiteral("cannot mount a tmpfs here: %1").arg(QString::fromLocal8Bit(strerror(errno)));
    }
}

ScopedMount::~ScopedMount() {
    if (ok_) ::umount2(QFile::encodeName(path_).constData(), MNT_DETACH);
}

bool ScopedMount::remountReadOnly() {
    const QByteArray p = QFile::encodeName(path_);
    if (::mount("tmpfs", p.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, options_.constData()) == 0)
        return true;
    reason_ = QStringLiteral("remount read-only failed: %1").arg(QString::fromLocal8Bit(strerror(errno)));
    return false;
}
