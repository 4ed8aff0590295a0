#pragma once
#include <QString>

#include <cstdint>

#include "core/FolderLibrary.h"

// The page overview beside the image: the current page's name and slot titles, then the page
// list (a ten-line circular window when there are more than ten pages), CR LF line ends. With
// more than one page the heading ends in the page's place, "<< 風景 >> 121/250".
QString overviewText(const FolderLibrary& library, int overviewRow);

// The slot (0..9) whose title stands on line `line` (from 0) of the overview; -1 for none.
int overviewSlotOfLine(int line);
