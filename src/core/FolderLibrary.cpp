#include "core/FolderLibrary.h"

#include <utility>

bool FolderLibrary::selectPage(int index) {
    if (!hasPage(index)) return false;
    current_ = index;
    return true;
}

void FolderLibrary::settleCurrentPage(int32_t remembered) {
    current_ = (remembered >= 0 && remembered < kMaxPages && hasPage(remembered)) ? remembered : 0;
}

void FolderLibrary::stepPage(int direction) {
    if (pages_.empty()) return;
    if (direction > 0)
        current_ = current_ >= pageCount() - 1 ? 0 : current_ + 1;
    else
        current_ = current_ <= 0 ? pageCount() - 1 : current_ - 1;
}

void FolderLibrary::appendPage(const QString& name) {
    if (pageCount() >= kMaxPages) return;
    Page page;
    page.name = name;
    pages_.push_back(std::move(page));
}

FolderLibrary::PageChange FolderLibrary::addPage(int pos) {
    if (pageCount() >= kMaxPages) return PageChange::TooManyPages;
    if (pos < 0 || pos > pageCount()) return PageChange::NoSuchPage;
    Page page;
    page.name = QStringLiteral("新しいページ");
    for (Slot& slot : page.folderSlots) slot.nextNumber = 1;
    pages_.insert(pages_.begin() + pos, std::move(page));
    return PageChange::Done;
}

FolderLibrary::PageChange FolderLibrary::deletePage(int pos) {
    if (pageCount() <= 1) return PageChange::LastPage;
    if (!hasPage(pos)) return PageChange::NoSuchPage;
    pages_.erase(pages_.begin() + pos);
    if (current_ > pageCount() - 1) current_ = pageCount() - 1;
    return PageChange::Done;
}

void FolderLibrary::swapPages(int a, int b) {
    if (!hasPage(a) || !hasPage(b)) return;
    std::swap(page(a), page(b));
}

void FolderLibrary::resetRenaming() {
    for (Page& page : pages_)
        for (Slot& slot : page.folderSlots) {
            slot.renaming = Renaming::Off;
            slot.fixedName.clear();
            slot.nextNumber = 1;
        }
}
