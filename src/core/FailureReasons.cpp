#include "core/FailureReasons.h"

#include <cerrno>

namespace Transfer {

namespace {

// Said as a person sorting photos needs it: what stands in the way, not the call that failed.
const std::vector<ErrnoReason> kErrnoReasons = {
    {ENOSPC, "ドライブの空き容量が足りません"},
    {EDQUOT, "このドライブで使える容量の上限に達しました"},
    {EFBIG, "ファイルが大きすぎて、このドライブには書き込めません"},
    {EROFS, "読み取り専用のドライブのため、書き込めません"},
    {EACCES, "フォルダまたはファイルへのアクセスが許可されていません"},
    {EPERM, "この操作は許可されていません（書き込み禁止か、持ち主の違うファイルです）"},
    {ENOENT, "ファイルまたはフォルダが見つかりません"},
    {ENOTDIR, "パスの途中にフォルダではないものがあります"},
    {EISDIR, "ファイルではなくフォルダです"},
    {EEXIST, "同じ名前のファイルが既にあります"},
    {ENOTEMPTY, "フォルダが空ではありません"},
    {EXDEV, "別のドライブへは名前の変更だけでは移せません"},
    {ENAMETOOLONG, "ファイル名またはパスが長すぎます"},
    {EILSEQ, "ファイル名に、このドライブでは使えない文字があります"},
    {EINVAL, "このファイル名か種類のファイルは、ここでは扱えません"},
    {ELOOP, "シンボリックリンクのたどる先が多すぎるか、循環しています"},
    {EMLINK, "リンクまたはフォルダ内の項目の数が上限に達しました"},
    {EIO, "ドライブの読み書きに失敗しました（入出力エラー）"},
    {EUCLEAN, "ドライブのファイルシステムが壊れています。修復が必要です"},
    {EBUSY, "ファイルまたはドライブが使用中です"},
    {ETXTBSY, "ファイルが実行中のため書き換えられません"},
    {EAGAIN, "一時的に使えません。少し待ってからやり直してください"},
    {EINTR, "操作が途中で中断されました"},
    {ECANCELED, "操作が取り消されました"},
    {ENOMEM, "メモリが足りません"},
    {EMFILE, "開いているファイルが多すぎます"},
    {ENFILE, "システム全体で開いているファイルが多すぎます"},
    {ENOLCK, "ファイルをロックできません"},
    {EOVERFLOW, "ファイルが大きすぎて扱えません"},
    {EOPNOTSUPP, "このドライブでは使えない操作です"},  // ENOTSUP is the same number on Linux
    {ENOSYS, "このシステムでは使えない操作です"},
    {ENODEV, "ドライブが見つかりません（取り外されたかもしれません）"},
    {ENXIO, "装置が見つかりません（取り外されたかもしれません）"},
    {ENOMEDIUM, "ドライブにメディアが入っていません"},
    {ESTALE, "ネットワーク上のファイルが無効になりました。フォルダを開き直してください"},
    {ETIMEDOUT, "応答がないまま時間切れになりました（ネットワークのドライブ）"},
    {ENOTCONN, "ネットワークのドライブにつながっていません"},
    {ECONNRESET, "ネットワークのドライブとの接続が切れました"},
    {EHOSTDOWN, "ネットワークのドライブの相手が止まっています"},
    {EHOSTUNREACH, "ネットワークのドライブの相手に届きません"},
    {EBADF, "ファイルの扱いで内部の誤りが起きました"},
};

QString fromTable(int code) {
    for (const ErrnoReason& r : kErrnoReasons)
        if (r.code == code) return QString::fromUtf8(r.text);
    return QString();
}

// The system's own text for what the table does not know, with its number.
QString unknownReason(const FsError& error) {
    if (error.code == 0)
        return error.reason.isEmpty() ? QStringLiteral("原因のわからない失敗です") : error.reason;
    const QString number = QStringLiteral("エラー番号 %1").arg(error.code);
    return error.reason.isEmpty() ? number : number + QStringLiteral(": ") + error.reason;
}

QString folderOf(const QString& path) { return FsPath::withSlash(FsPath::folderOf(path)); }

// A throwaway file in `folder`, created and removed: whether the folder takes a new entry now.
bool acceptsNewFiles(FileSystem& fs, const QString& folder) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        const QString probe = fs.newTemporaryPath(folder, FileSystem::TemporaryRole::Incoming, QStringLiteral("probe"));
        int fd = -1;
        FsError e;
        if (fs.createNew(probe, 0600, &fd, &e)) {
            fs.close(fd, &e);
            fs.unlink(probe, &e);
            return true;
        }
        if (e.code != EEXIST) return false;
    }
    return false;
}

}  // namespace

const std::vector<ErrnoReason>& errnoReasons() { return kErrnoReasons; }

QString reasonFor(const FsError& error) {
    using Cause = FsError::Cause;
    switch (error.cause) {
        case Cause::ChangedWhileCopied:
            return QStringLiteral("コピーしている間にファイルが変わりました（まだ書き込み中かもしれません）。"
                                  "ファイルは元の場所に残しました");
        case Cause::TrashNotSupported:
            return QStringLiteral("この場所のファイルはごみ箱に入れられません（ごみ箱の使えないドライブです）");
        case Cause::NoTrashFolder:
            return QStringLiteral("このドライブのごみ箱フォルダが見つからず、作ることもできません");
        case Cause::TrashFailed:
            return error.reason.isEmpty() ? QStringLiteral("ごみ箱に入れられませんでした")
                                          : QStringLiteral("ごみ箱に入れられませんでした: ") + error.reason;
        case Cause::LinkWouldBreak:
            return QStringLiteral("移した先からではシンボリックリンクが元の画像にたどり着けません");
        case Cause::Errno: break;
    }
    const QString known = fromTable(error.code);
    return known.isEmpty() ? unknownReason(error) : known;
}

QString copyModeHint() { return QStringLiteral("コピーモード (C キー) なら転送できます"); }

QString failureDetails(const Result& result) {
    const QString br = QStringLiteral("\n");
    QString text = reasonFor(result.error);
    if (result.copyWouldDo) text += br + copyModeHint();
    // An overwrite that could not remove the old destination names that file.
    const bool deletingDestination = result.refusal == Refusal::DeleteFailed && !result.destination.isEmpty();
    const QString& file = deletingDestination ? result.destination : result.source;
    if (file.isEmpty()) return text;
    text += br + QStringLiteral("ファイル: ") + FsPath::nameOf(file);
    if (result.refusal == Refusal::DeleteFailed || result.destination.isEmpty())
        return text + br + QStringLiteral("フォルダ: ") + folderOf(file);
    const QString newName = FsPath::nameOf(result.destination);
    if (newName != FsPath::nameOf(result.source)) text += QStringLiteral(" → ") + newName;
    return text + br + QStringLiteral("転送元: ") + folderOf(result.source) + br + QStringLiteral("転送先: ") +
           folderOf(result.destination);
}

void noteFailure(FileSystem& fs, const Plan& plan, Kind kind, Result* result) {
    if (result->source.isEmpty()) result->source = plan.source;
    if (result->destination.isEmpty())
        result->destination = result->refusal == Refusal::FolderNotFound ? FsPath::withSlash(plan.slotFolder)
                                                                          : plan.destination;
    if (kind != Kind::Move || result->refusal != Refusal::TransferFailed) return;
    const int code = result->error.code;
    if (code != EROFS && code != EACCES && code != EPERM) return;
    result->copyWouldDo = !acceptsNewFiles(fs, folderOf(plan.source)) &&
                          acceptsNewFiles(fs, folderOf(plan.destination));
}

}  // namespace Transfer
