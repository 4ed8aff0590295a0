#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "TextFile.h"

TempDir::TempDir() { EXPECT_TRUE(dir_.isValid()); }

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

int FakeMsgBox::Show(const QString& text, const QString& title, MsgButtons buttons,
                     int defaultAnswer) {
    shown.push_back({text, title, buttons, defaultAnswer});
    if (!answers.empty()) {
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    if (defaultAnswer != 0) return defaultAnswer;
    switch (buttons) {
        case MsgButtons::Ok: return vbOK;
        case MsgButtons::OkCancel: return vbOK;
        case MsgButtons::YesNo: return vbYes;
    }
    return vbOK;
}

QStringList FakeMsgBox::texts() const {
    QStringList out;
    for (const auto& s : shown) out << s.text;
    return out;
}

QByteArray Cp932(const QString& text) {
    bool ok = false;
    QByteArray bytes = TextFile::EncodeCp932(text, &ok);
    EXPECT_TRUE(ok);
    return bytes;
}
