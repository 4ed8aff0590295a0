#pragma once
#include <QDir>
#include <QMimeData>
#include <QUrl>

#include "FakePickers.h"
#include "Folder.h"
#include "GlobalParam.h"
#include "Services.h"
#include "TestSupport.h"

// A library of three pages "A", "B", "C" with page 1 current, fresh options, and fake
// services; the temporary folder stands in for the program's directory.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        Folder::ResetState();
        GlobalParam::ResetState();
        GlobalParam::InitSettings();
        Folder::gi_PageCount = 3;
        Folder::gl_PageNum = 1;
        const char* names[] = {"A", "B", "C"};
        for (int p = 0; p < 3; ++p) {
            Folder::gs_PageName[p] = QString::fromLatin1(names[p]);
            Folder::gs_FolderTitle[p][0] = QStringLiteral("t") + QString::number(p);
            Folder::gs_FolderPath[p][0] = QStringLiteral("/p") + QString::number(p) + QLatin1Char('/');
        }
        QDir().mkpath(program.file("config"));
        services.msgBox = &msg;
        services.pickers = &dialogs;
    }

    // A drag payload of local paths, as a file manager sends it.
    static std::unique_ptr<QMimeData> Urls(const QStringList& paths) {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
        data->setUrls(urls);
        return data;
    }

    TempDir program;
    FakeMsgBox msg;
    FakePickers dialogs;
    Services services;
};
