#pragma once
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>

#include <memory>

#include "DialogTestSupport.h"
#include "FolderEditorDialog.h"

// The folder editor opened on DialogTest's library, and what every page operation must leave.
class FolderEditorDialogTest : public DialogTest {
protected:
    // An editor of the fixture's library and options; Edited() is its copy from then on.
    std::unique_ptr<FolderEditorDialog> Open() {
        auto editor = std::make_unique<FolderEditorDialog>(services, program.path(), library, options);
        opened_ = editor.get();
        return editor;
    }
    const FolderLibrary& Edited() const { return opened_->library(); }

    static QStringList Entries(const FolderEditorDialog& f) {
        QStringList out;
        for (int k = 0; k < f.pageList()->count(); ++k) out << f.pageList()->item(k)->text();
        return out;
    }
    // The invariant after every page operation: list, current page and rows agree.
    static void ExpectShows(const FolderEditorDialog& f, int page) {
        EXPECT_EQ(f.library().currentPage(), page);
        EXPECT_EQ(f.pageList()->currentRow(), page);
        EXPECT_EQ(f.pageList()->count(), f.library().pageCount());
        EXPECT_EQ(f.pageNameBox()->text(), f.library().page(page).name);
        EXPECT_EQ(f.titleBox(0)->text(), f.library().page(page).folderSlots[0].title);
        EXPECT_FALSE(f.fillingFromLibrary());
    }
    static int Lines(const QByteArray& bytes) { return int(bytes.count("\r\n")); }

private:
    FolderEditorDialog* opened_ = nullptr;
};
