#include "TransferMessages.h"

#include <QDateTime>
#include <QLocale>

namespace Transfer {

namespace {
QString Describe(const FileStatus& st) {
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(st.mtimeSec * 1000 + st.mtimeNsec / 1000000);
    return QString::number(st.size) + QStringLiteral("bytes ") +
           QLocale().toString(when, QLocale::ShortFormat);
}
}  // namespace

QString messageFor(const Result& result) {
    switch (result.refusal) {
        case Refusal::None:
        case Refusal::Declined: return QString();
        case Refusal::SourceMissing: return QStringLiteral("指定の画像ファイルが見当たりません");
        case Refusal::NoFolderSet: return QStringLiteral("フォルダパスが設定されていません");
        case Refusal::FolderNotFound: return QStringLiteral("転送先フォルダが見つかりません");
        case Refusal::NoFreeNumber: return QStringLiteral("これ以上は振り分けられません");
        case Refusal::NameLeavesFolder:
            return QStringLiteral("転送先の名前が転送先フォルダの外を指しています\n") + result.outsideName;
        case Refusal::SameFile: return QStringLiteral("転送元と転送先が同じファイルです");
        case Refusal::UnsupportedCollisionMode: return QStringLiteral("対応していない上書き対応モードです");
        case Refusal::CopyToCdRom: return QStringLiteral("指定のメディアへのコピーはできません。");
        case Refusal::MoveFromCdRom: return QStringLiteral("指定のメディアからの移動はできません。");
        case Refusal::MoveToCdRom: return QStringLiteral("指定のメディアへの移動はできません。");
        case Refusal::DeleteOnCdRom: return QStringLiteral("指定のメディアのファイルは削除はできません。");
        case Refusal::TransferFailed:
            return QStringLiteral("ファイルを転送できませんでした\n") + result.error.reason;
        case Refusal::DeleteFailed:
            return QStringLiteral("ファイルを削除できませんでした\n") + result.error.reason;
    }
    return QString();
}

QString overwriteQuestion(const FileStatus& source, const FileStatus& destination) {
    return QStringLiteral("同ファイル名が存在。上書き？\n転送元 ") + Describe(source) +
           QStringLiteral("\n転送先 ") + Describe(destination);
}

QString deleteQuestion(const QString& path) { return path + QStringLiteral("を削除しますか？"); }

}  // namespace Transfer
