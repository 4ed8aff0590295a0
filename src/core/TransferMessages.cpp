#include "TransferMessages.h"

#include <QDateTime>
#include <QLocale>

#include "FailureReasons.h"

namespace Transfer {

namespace {
QString describe(const FileStatus& st) {
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
        case Refusal::FolderNotFound:
            return QStringLiteral("転送先フォルダが見つかりません") +
                   (result.destination.isEmpty() ? QString() : QStringLiteral("\n") + result.destination);
        case Refusal::NoFreeNumber: return QStringLiteral("これ以上は振り分けられません");
        case Refusal::NameLeavesFolder:
            return QStringLiteral("転送先の名前が転送先フォルダの外を指しています\n") + result.outsideName;
        case Refusal::SameFile: return QStringLiteral("転送元と転送先が同じファイルです");
        case Refusal::UnsupportedCollisionMode: return QStringLiteral("対応していない上書き対応モードです");
        case Refusal::CopyToCdRom: return QStringLiteral("指定のメディアへのコピーはできません。");
        case Refusal::MoveFromCdRom:
            return QStringLiteral("指定のメディアからの移動はできません。\n") + copyModeHint();
        case Refusal::MoveToCdRom: return QStringLiteral("指定のメディアへの移動はできません。");
        case Refusal::DeleteOnCdRom: return QStringLiteral("指定のメディアのファイルは削除はできません。");
        case Refusal::TransferFailed:
            return QStringLiteral("ファイルを転送できませんでした\n") + failureDetails(result);
        case Refusal::DeleteFailed:
            return QStringLiteral("ファイルを削除できませんでした\n") + failureDetails(result);
    }
    return QString();
}

QString messageFor(const UndoResult& result) {
    using Status = UndoResult::Status;
    const QString br = QStringLiteral("\n");
    switch (result.status) {
        case Status::Done: return QString();
        case Status::DeletedForGood: return QStringLiteral("完全に削除したファイルは元に戻せません");
        case Status::ReplacedForGood:
            return QStringLiteral("上書きで完全に削除したファイルは元に戻せません") + br + result.path;
        case Status::NameTaken:
            return QStringLiteral("元の場所に同じ名前のファイルがあるため元に戻せません") + br + result.path;
        case Status::Missing:
            return QStringLiteral("元に戻すファイルが見当たりません") + br + result.path;
        case Status::CopyChanged:
            return QStringLiteral("コピーしたファイルが変更されているため、削除せずに残しました") + br + result.path;
        case Status::OriginalMissing:
            return QStringLiteral("コピー元のファイルが見当たらないか変更されているため、コピーを削除せずに残しました") + br +
                   result.path;
        case Status::NotInTrash:
            return QStringLiteral("ごみ箱にファイルが見当たらないため元に戻せません") + br + result.path;
        case Status::TrashEntryUnknown:
            return QStringLiteral("ごみ箱から自動では元に戻せません。ごみ箱から戻してください") + br + result.path;
        case Status::Failed:
            return QStringLiteral("元に戻せませんでした") + br + reasonFor(result.error) + br + result.path;
        case Status::ReplacedNotRestored:
            return QStringLiteral("上書きされたファイルをごみ箱から戻せませんでした") + br + reasonFor(result.error) +
                   br + result.path;
    }
    return QString();
}

QString overwriteQuestion(const FileStatus& source, const FileStatus& destination) {
    return QStringLiteral("同ファイル名が存在。上書き？\n転送元 ") + describe(source) +
           QStringLiteral("\n転送先 ") + describe(destination);
}

QString deleteQuestion(const QString& path) { return path + QStringLiteral("を削除しますか？"); }

}  // namespace Transfer
