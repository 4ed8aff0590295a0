#pragma once
#include <QString>

#include <cstdint>

#include "FolderLibrary.h"

// The page overview beside the image: the current page's name and slot titles, then the page
// list (a ten-line circular window when there are more than ten pages), CR LF line ends.
QString overviewText(const FolderLibrary& library, int16_t overviewRow);
