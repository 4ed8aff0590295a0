#pragma once

#include "core/FolderLibrary.h"
#include "core/Options.h"

// Brings every slot's next number in line with options just chosen: a counter of a slot that
// does not rename and still at a start value (2 or less) follows the new first number; a
// running one is kept; without the memory of last numbers every counter is 0.
void adjustNextNumbers(FolderLibrary& library, const Options& options);
