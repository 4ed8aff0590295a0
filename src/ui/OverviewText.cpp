#include "ui/OverviewText.h"


namespace {
const QString kBreak = QStringLiteral("\r\n");
const QString kMarked = QStringLiteral("\uFF1E");
const QString kPlain = QStringLiteral("\u3000 ");

QString pageName(const FolderLibrary& library, int32_t page) {
    return library.hasPage(page) ? library.page(page).name : QString();
}
}  // namespace

QString overviewText(const FolderLibrary& library, int overviewRow) {
    const int32_t pageNum = library.currentPage();
    const int pageCount = library.pageCount();
    QString text = QStringLiteral("<< ") + pageName(library, pageNum) + QStringLiteral(" >>");
    // Where the page stands among many, counted from 1 as the page chooser shows them.
    if (pageCount > 1) text += QStringLiteral(" %1/%2").arg(pageNum + 1).arg(pageCount);
    text += kBreak + kBreak;
    const bool validPage = library.hasPage(pageNum);
    for (int i = 0; i < FolderLibrary::kSlots; ++i)
        text += QString::number(i) + QLatin1Char('.') +
                (validPage ? library.page(pageNum).folderSlots[static_cast<size_t>(i)].title : QString()) + kBreak;
    text += kBreak + kBreak + kBreak + kBreak + QStringLiteral("<< ページ一覧 >>") + kBreak + kBreak;
    if (pageCount <= 10) {
        for (int i = 0; i < pageCount; ++i)
            text += (i == pageNum ? kMarked : kPlain) + pageName(library, i) + kBreak;
        return text;
    }
    for (int i = pageNum - overviewRow; i <= pageNum - 1; ++i)
        text += kPlain + pageName(library, i < 0 ? i + pageCount : i) + kBreak;
    text += kMarked + pageName(library, pageNum) + kBreak;
    for (int i = pageNum + 1; i <= pageNum + 9 - overviewRow; ++i)
        text += kPlain + pageName(library, i > pageCount - 1 ? i - pageCount : i) + kBreak;
    return text;
}

int overviewSlotOfLine(int line) {
    // The heading and an empty line come first.
    return line >= 2 && line < 2 + FolderLibrary::kSlots ? line - 2 : -1;
}
