#include "PageOverview.h"

#include "Folder.h"

namespace {
const QString kBreak = QStringLiteral("\r\n");
const QString kMarked = QStringLiteral("\uFF1E");
const QString kPlain = QStringLiteral("\u3000 ");

QString PageName(int32_t page) {
    return (page >= 0 && page < Folder::kPageStorage) ? Folder::gs_PageName[page] : QString();
}
}  // namespace

QString PageOverviewText(int32_t pageNum, int16_t pageCount, int16_t overviewRow) {
    QString text = QStringLiteral("<< ") + PageName(pageNum) + QStringLiteral(" >>") + kBreak + kBreak;
    const bool validPage = pageNum >= 0 && pageNum < Folder::kPageStorage;
    for (int i = 0; i < Folder::kSlots; ++i)
        text += QString::number(i) + QLatin1Char('.') +
                (validPage ? Folder::gs_FolderTitle[pageNum][i] : QString()) + kBreak;
    text += kBreak + kBreak + kBreak + kBreak + QStringLiteral("<< ページ一覧 >>") + kBreak + kBreak;
    if (pageCount <= 10) {
        for (int i = 0; i < pageCount; ++i)
            text += (i == pageNum ? kMarked : kPlain) + PageName(i) + kBreak;
        return text;
    }
    for (int i = pageNum - overviewRow; i <= pageNum - 1; ++i)
        text += kPlain + PageName(i < 0 ? i + pageCount : i) + kBreak;
    text += kMarked + PageName(pageNum) + kBreak;
    for (int i = pageNum + 1; i <= pageNum + 9 - overviewRow; ++i)
        text += kPlain + PageName(i > pageCount - 1 ? i - pageCount : i) + kBreak;
    return text;
}
