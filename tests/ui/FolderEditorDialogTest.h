#pragma once
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListView>

#include <memory>

#include "DialogTestSupport.h"
#include "ui/FolderEditorDialog.h"

// The folder editor opened on DialogTest's library, and what every page operation must leave.
class FolderEditorDialogTest : public DialogTest {
protected:
    // An editor of the fixture's library and options; Edited() is its copy from then on.
    std::unique_ptr<FolderEditorDialog> Open() {
        auto editor = std::make_unique<FolderEditorDialog>(services, library, options);
        opened_ = editor.get();
        return editor;
    }
    const FolderLibrary& Edited() const { return opened_->library(); }

    // The page list as the user sees and uses it.
    static int Count(const FolderEditorDialog& f) { return f.pageList()->model()->rowCount(); }
    static QString Entry(const FolderEditorDialog& f, int k) {
        return f.pageList()->model()->index(k, 0).data().toString();
    }
    static int CurrentRow(const FolderEditorDialog& f) { return f.pageList()->currentIndex().row(); }
    // Makes entry `k` current, as a click does.
    static void Choose(const FolderEditorDialog& f, int k) {
        f.pageList()->setCurrentIndex(f.pageList()->model()->index(k, 0));
    }
    static QStringList entries(const FolderEditorDialog& f) {
        QStringList out;
        for (int k = 0; k < Count(f); ++k) out << Entry(f, k);
        return out;
    }
    // The invariant after every page operation: list, current page and rows agree.
    static void ExpectShows(const FolderEditorDialog& f, int page) {
        EXPECT_EQ(f.library().currentPage(), page);
        EXPECT_EQ(CurrentRow(f), page);
        EXPECT_EQ(Count(f), f.library().pageCount());
        EXPECT_EQ(f.pageNameBox()->text(), f.library().page(page).name);
        EXPECT_EQ(f.titleBox(0)->text(), f.library().page(page).folderSlots[0].title);
        EXPECT_FALSE(f.fillingFromLibrary());
    }

private:
    FolderEditorDialog* opened_ = nullptr;
};
