#pragma once
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// A slot's renaming switch: On, files sent there get the fixed name and a number. A value the
// renaming file held that is neither is kept as read, so the file gets it back unchanged; such
// a slot does not rename, yet is not Off either (its next number is left alone).
enum class Renaming : int16_t { Off, On };

// One destination a digit key sends files to.
struct Slot {
    QString title;       // shown in the status text, the overview and the editor
    QString folder;      // empty: the slot is not assigned
    Renaming renaming = Renaming::Off;
    QString fixedName;
    int32_t nextNumber = 0;  // the next number renaming tries when it continues its count

    bool renames() const { return renaming == Renaming::On; }
};

// A named page of ten slots, numbered after the digit keys 0..9.
struct Page {
    static constexpr int kSlots = 10;
    QString name;
    std::array<Slot, kSlots> folderSlots;
};

// The pages of slots and which of them is current. Pages are numbered from 0; the current
// page is always one of them once the library holds a page (0 while it is empty).
class FolderLibrary {
public:
    static constexpr int kMaxPages = 250;
    static constexpr int kSlots = Page::kSlots;

    // Why a page operation changed nothing.
    enum class PageChange { Done, TooManyPages, LastPage, NoSuchPage };

    int pageCount() const { return static_cast<int>(pages_.size()); }
    bool hasPage(int index) const { return index >= 0 && index < pageCount(); }
    // `index` must be a page (hasPage).
    const Page& page(int index) const { return pages_.at(static_cast<size_t>(index)); }
    Page& page(int index) { return pages_.at(static_cast<size_t>(index)); }

    int currentPage() const { return current_; }
    // The current page; the library must hold a page.
    const Page& current() const { return page(current_); }
    Page& current() { return page(current_); }

    // Makes page `index` current; anything that is not a page is ignored (false).
    bool selectPage(int index);
    // The current page as remembered from the last run: kept when it is a page in use,
    // otherwise page 0.
    void settleCurrentPage(int32_t remembered);
    // One page forwards (+1) or backwards (-1), from the last page round to the first and back.
    void stepPage(int direction);

    // Appends a page as read from the page file; nothing past kMaxPages.
    void appendPage(const QString& name);
    // Inserts a page "新しいページ" with ten empty slots (next number 1) at `pos`
    // (0..pageCount()); that page and all after it move one place on. The current page number
    // stays, so an insert at the current page makes the new page current. Refused at kMaxPages.
    PageChange addPage(int pos);
    // Removes page `pos`; a current page past the new end moves back onto the last page.
    // Refused for the only page.
    PageChange deletePage(int pos);
    // Exchanges two pages whole; the current page number stays. Pages only.
    void swapPages(int a, int b);

    // The renaming settings of every slot back to their start: off, no fixed name, next number 1.
    void resetRenaming();

private:
    std::vector<Page> pages_;
    int current_ = 0;
};
