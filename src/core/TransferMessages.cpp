#include "core/TransferMessages.h"

#include <QDateTime>
#include <QLocale>

#include "core/FailureReasons.h"

namespace Transfer {

namespace {
QString describe(const FileStatus& st) {
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(st.mtimeSec * 1000 + st.mtimeNsec / 1000000);
    return QString::number(st.size) + QStringLiteral("bytes ") +
           QLocale().toString(when, QLocale::ShortFormat);
}

// An overwrite that stopped at `result.step`: which step, that both files are as they were,
// the file concerned, the reason.
QString overwriteFailure(const Result& result) {
    const QString br = QStringLiteral("\n");
    QString what;
    QString file = result.destination;
    switch (result.step) {
        case Step::None: break;
        case Step::CannotTrashOld:
            what = QStringLiteral("上書きされるファイルをごみ箱に入れられないため、上書きしませんでした");
            break;
        case Step::PrepareNew:
            what = QStringLiteral("転送先フォルダに新しいファイルを用意できなかったため、上書きしませんでした");
            file = result.source;
            break;
        case Step::TrashOld:
            what = QStringLiteral("上書きされるファイルをごみ箱に入れられなかったため、上書きしませんでした");
            break;
        case Step::OldAside:
            what = QStringLiteral("上書きされるファイルを削除できなかったため、上書きしませんでした");
            break;
        case Step::PlaceNew:
            what = QStringLiteral("新しいファイルを転送先の名前にできなかったため、上書きを取りやめました");
            break;
        case Step::RemoveSource:
            what = QStringLiteral("転送元のファイルを削除できなかったため、上書きを取りやめました");
            file = result.source;
            break;
    }
    const QString state =
        result.oldLeftInTrash ? QStringLiteral("転送元のファイルは元のままです。上書きされるはずだったファイルはごみ箱にあります")
        : !result.leftover.isEmpty()
            ? QStringLiteral("転送元のファイルは元のままです。上書きされるはずだったファイルは次の名前で残っています\n") +
                  result.leftover
            : QStringLiteral("転送元と転送先のファイルは元のままです");
    return what + br + state + br + file + br + result.error.reason;
}

// A done overwrite whose replaced file, set aside, could not be removed.
QString leftoverNotice(const Result& result) {
    // A group deleted directly: its members were set aside first, and one stayed.
    if (result.action == Action::Deleted)
        return QStringLiteral("削除しましたが、削除したファイルを消しきれず、次の名前で残っています\n") + result.leftover +
               QStringLiteral("\n") + result.leftoverError.reason;
    return QStringLiteral("上書きしましたが、上書きされたファイルを削除できず、次の名前で残っています\n") +
           result.leftover + QStringLiteral("\n") + result.leftoverError.reason;
}

// What the user can do about an undo that did not go through; empty where nothing.
QString undoRemedy(const UndoResult& result) {
    using Status = UndoResult::Status;
    switch (result.status) {
        case Status::NameTaken:
            return QStringLiteral("そのファイルを移すか名前を変えてから、もう一度 Ctrl+Z を押してください");
        case Status::OriginFolderMissing:
            return QStringLiteral("フォルダを作り直してから、もう一度 Ctrl+Z を押してください");
        case Status::Failed:
            return QStringLiteral("原因を取り除いてから、もう一度 Ctrl+Z を押してください");
        case Status::AnotherFile:
            return QStringLiteral("この操作は元に戻せないため、取り消しの履歴から外しました");
        default: return QString();
    }
}

// Whether the action stays to be tried again, or was set aside.
QString undoHistoryNote(const UndoResult& result) {
    if (result.setAside)
        return QStringLiteral("この操作は元に戻さずに、取り消しの履歴から外しました。次の Ctrl+Z では、その前の操作を元に戻します");
    if (result.keepsAction())
        return QStringLiteral("次の Ctrl+Z でも元に戻せないときは、この操作を取り消しの履歴から外します");
    return QString();
}
}  // namespace

namespace {
QString messageForMember(const Result& result);
}  // namespace

QString messageFor(const Result& result) {
    if (!result.strandedMembers.isEmpty())
        return messageForMember(result) + QStringLiteral("\n付属ファイルのうち次のものは戻せませんでした:\n") +
               result.strandedMembers.join(QLatin1Char('\n'));
    return messageForMember(result);
}

namespace {
QString messageForMember(const Result& result) {
    if (result.step != Step::None &&
        (result.refusal == Refusal::TransferFailed || result.refusal == Refusal::DeleteFailed))
        return overwriteFailure(result);
    switch (result.refusal) {
        case Refusal::None: return result.leftover.isEmpty() ? QString() : leftoverNotice(result);
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
}  // namespace

QString messageFor(const UndoResult& result) {
    QString text = whatStoodInTheWay(result);
    for (const QString& line : {undoRemedy(result), undoHistoryNote(result)})
        if (!text.isEmpty() && !line.isEmpty()) text += QStringLiteral("\n") + line;
    return text;
}

QString whatStoodInTheWay(const UndoResult& result) {
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
        case Status::AnotherFile:
            return QStringLiteral("元に戻すファイルが別のファイルに置き換わっているため、何もしませんでした") + br +
                   result.path;
        case Status::OriginFolderMissing:
            return QStringLiteral("元のフォルダが見当たらないため元に戻せません") + br + result.path;
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

QString groupDeleteQuestion(const QString& path, int companions) {
    return path + QStringLiteral(" (付属 %1 件) を削除しますか？").arg(companions);
}

QString groupOverwriteQuestion(const QString& shownName, const FileStatus& source, const FileStatus* destination,
                               int collidingCompanions) {
    QString text = shownName;
    if (collidingCompanions > 0) text += QStringLiteral(" (付属 %1 件)").arg(collidingCompanions);
    text += QStringLiteral("\n同ファイル名が存在。上書き？");
    if (destination) text += QStringLiteral("\n転送元 ") + describe(source) + QStringLiteral("\n転送先 ") + describe(*destination);
    return text;
}

}  // namespace Transfer

namespace Transfer {

QString leftoverTemporariesNotice(const QStringList& paths) {
    if (paths.isEmpty()) return QString();
    return QStringLiteral("前回、転送の途中で Orvane が終了したため、次の一時ファイルが残っています。"
                          "中身を確かめて、要らなければ削除してください（要るものは名前を変えてください）\n") +
           paths.join(QLatin1Char('\n'));
}

}  // namespace Transfer
