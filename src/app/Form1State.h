#pragma once
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

// The main window's own state. Plain data, so the logic that reads it can be tested as
// functions of it. Positions in the file list count from 1, as the user sees them.
struct Form1State {
    QString CurrentFolder;        // ends in "/" once a folder was opened
    QStringList FileList;         // bare names; entry i is FileList[i - 1]
    int32_t FileCount = 0;
    int32_t CurrentIndex = 0;     // 1..FileCount, 0 when the list is empty
    bool ImageShown = false;
    int32_t TransferMode = 0;     // 0 move, 1 copy
    bool TransferLocked = false;
    bool CopiedFlag = false;
    int16_t CopiedSlot = 0;
    std::array<bool, 257> KeyIsDown{};
    std::array<bool, 5> SlideKeys{};  // Left, Up, Right, Down, Shift
    int16_t OverviewRow = 3;
    bool PngPluginAvailable = false;

    // Name at position `i` (1-based); empty outside 1..FileCount.
    QString FileAt(int32_t i) const {
        return (i >= 1 && i <= FileCount && i <= FileList.size()) ? FileList.at(i - 1) : QString();
    }
    // Full path of the shown file, or empty.
    QString CurrentPath() const {
        const QString name = FileAt(CurrentIndex);
        return name.isEmpty() ? QString() : CurrentFolder + name;
    }
};
