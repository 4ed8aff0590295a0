#pragma once
#include <QString>

#include <cstdint>

// The page overview beside the image: the current page's name and slot titles, then the page
// list (a ten-line circular window when there are more than ten pages), CR LF line ends.
// Reads the folder library.
QString PageOverviewText(int32_t pageNum, int16_t pageCount, int16_t overviewRow);
