#pragma once
#include <QString>

#include <vector>

#include "core/FolderLibrary.h"
#include "core/SaveFailure.h"

class MsgBox;

// The texts the user sees when the library or a settings file refuses something.

// Shows, one message each, that settings files could not be written, naming the file and the
// reason; nothing when `failures` is empty.
void reportSaveFailures(MsgBox& msg, const std::vector<SaveFailure>& failures);

// The message for a refused page operation; empty for one that was done or that the editor
// never asks for.
QString pageChangeMessage(FolderLibrary::PageChange change);
