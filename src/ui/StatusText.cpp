#include "ui/StatusText.h"

#include "core/SortingSession.h"

QString formatFileSize(int64_t bytes) {
    if (bytes < 0) bytes = 0;
    if (bytes < 1024) return QStringLiteral("  %1B").arg(bytes);
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
    int64_t unit = 1024;
    int u = 0;
    while (u < 3 && bytes >= unit * 1024) {
        unit *= 1024;
        ++u;
    }
    // Integer arithmetic keeps the cut exact for every 64-bit size.
    const int64_t whole = bytes / unit;
    const int64_t hundredths = (bytes % unit) * 100 / unit;
    QString text = QStringLiteral(" ") + QString::number(whole);
    if (hundredths != 0) {
        QString frac = QStringLiteral("%1").arg(hundredths, 2, 10, QLatin1Char('0'));
        if (frac.endsWith(QLatin1Char('0'))) frac.chop(1);
        text += QLatin1Char('.') + frac;
    }
    return text + QLatin1String(kUnits[u]);
}

QString statusText(const SortingSession& s, int64_t shownFileSize, int companions) {
    const ImageList& list = s.list();
    QString text = s.copyMode() ? QStringLiteral("[コピー] ") : QStringLiteral("[移動] ");
    text += QString::number(list.position()) + QLatin1Char('/') + QString::number(list.count()) +
            QLatin1Char(' ');
    if (list.count() > 0 && s.imageShown()) {
        text += list.shownName();
        if (companions > 0) text += QStringLiteral(" +") + QString::number(companions);
        text += formatFileSize(shownFileSize);
    }
    if (s.locked()) text += QStringLiteral(" < 転送・削除ロック > ");
    if (s.copied()) text += QStringLiteral("< ") + s.copiedSlotTitle() + QStringLiteral(" へコピー済>");
    return text;
}

QString undoneNote(const Transfer::Result& action) {
    using Transfer::Action;
    const QString head = QStringLiteral("元に戻しました: ");
    switch (action.action) {
        case Action::Copied:
            return head + FsPath::nameOf(action.destination) + QStringLiteral(" のコピーを削除 (") +
                   shortenedFolder(FsPath::folderOf(action.destination)) + QLatin1Char(')');
        // The replaced file is back where the copy stood.
        case Action::CopiedOver:
            return head + FsPath::nameOf(action.destination) + QStringLiteral(" → ") +
                   shortenedFolder(FsPath::folderOf(action.destination));
        default:
            return head + FsPath::nameOf(action.source) + QStringLiteral(" → ") +
                   shortenedFolder(FsPath::folderOf(action.source));
    }
}

QString shortenedFolder(const QString& folder, int maxChars) {
    const QString whole = FsPath::withSlash(folder);
    if (whole.size() <= maxChars) return whole;
    const QString ellipsis = QStringLiteral("/…");
    // From the last folder backwards, as many whole names as fit after "/…".
    qsizetype start = whole.lastIndexOf(QLatin1Char('/'), whole.size() - 2);
    while (start > 0) {
        const qsizetype before = whole.lastIndexOf(QLatin1Char('/'), start - 1);
        if (before <= 0 || ellipsis.size() + whole.size() - before > maxChars) break;
        start = before;
    }
    return start <= 0 ? whole : ellipsis + whole.mid(start);
}

QString captionFor(const QString& currentCaption, const QString& currentFolder) {
    if (currentFolder.isEmpty()) return currentCaption;
    const QString tail = QStringLiteral(" [ ") + currentFolder + QStringLiteral(" ]");
    if (currentCaption.endsWith(tail)) return currentCaption;
    return QStringLiteral("Orvane") + tail;
}
