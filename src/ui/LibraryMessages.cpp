#include "ui/LibraryMessages.h"

#include "platform/MsgBox.h"

void reportSaveFailures(MsgBox& msg, const std::vector<SaveFailure>& failures) {
    for (const SaveFailure& failure : failures)
        msg.ask(QStringLiteral("設定ファイルを保存できませんでした。\n%1\n%2").arg(failure.path, failure.reason));
}

QString pageChangeMessage(FolderLibrary::PageChange change) {
    switch (change) {
        case FolderLibrary::PageChange::TooManyPages:
            return QStringLiteral("ページはこれ以上追加できません");
        case FolderLibrary::PageChange::LastPage:
            return QStringLiteral("ページはこれ以上削除できません");
        default:
            return QString();
    }
}
