#pragma once
#include <QString>

#include <cstdint>

class MsgBox;

// The folder library: pages of ten folder slots each. Module-level state, read and written
// directly by the whole program, as it always has been.
namespace Folder {

constexpr int kPageStorage = 251;  // indices 0..250; index 250 is never a page in use
constexpr int kMaxPages = 250;
constexpr int kSlots = 10;

extern int16_t gi_PageCount;
extern int32_t gl_PageNum;
extern QString gs_PageName[kPageStorage];
extern QString gs_FolderTitle[kPageStorage][kSlots];
extern QString gs_FolderPath[kPageStorage][kSlots];
extern int16_t gi_SeqSwitch[kPageStorage][kSlots];
extern QString gs_SeqName[kPageStorage][kSlots];
extern int32_t gl_SeqNum[kPageStorage][kSlots];

// Back to the values at program start (everything empty or 0). For tests and start-up.
void ResetState();

// Inserts a page "新しいページ" with ten empty slots at `pos` (0..gi_PageCount); the page
// there and all after it move one place on. Refused with a message when 250 pages exist.
bool AddPage(int32_t pos, MsgBox& msg);
// Removes page `pos`; pulls gl_PageNum back onto the last page when needed. Refused with a
// message when it is the only page.
bool DeletePage(int32_t pos, MsgBox& msg);
// Exchanges two pages: names and all five values of every slot.
void SwapPages(int32_t a, int32_t b);

// "<programDir>/config/設定_ページ.ini" and "<programDir>/config/設定_フォルダ.ini".
QString PageFilePath(const QString& programDir);
QString FolderFilePath(const QString& programDir);

// Read once at start-up, page file first. Never report anything to the user.
void LoadPageFile(const QString& programDir);
void LoadFolderFile(const QString& programDir);
// Rewrite the files from the pages in use. A failed save is reported naming the file.
bool SaveFolderFile(const QString& programDir, MsgBox& msg);
bool SavePageFile(const QString& programDir, MsgBox& msg);

}  // namespace Folder

// The five values of one slot, as SwapPages carries them.
struct FolderSlot {
    QString Title;
    QString Path;
    int16_t SeqSwitch = 0;
    QString SeqName;
    int32_t SeqNum = 0;
};

// A small page-number holder kept for compatibility; the current page is always gl_PageNum.
class FolderLibrary {
public:
    int16_t CurPageNum() const { return curPageNum_; }
    void setCurPageNum(int32_t value);  // clamped to 0..200
    QString PageName() const { return QString::number(curPageNum_); }

private:
    int16_t curPageNum_ = 0;
};
