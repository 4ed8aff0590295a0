#pragma once
#include <QString>

#include <optional>

#include "FolderLibrary.h"
#include "SaveFailure.h"

class MsgBox;

// The texts the user sees when the library or a settings file refuses something.

// Shows that a settings file could not be written, naming it and the reason; nothing when
// `failure` is empty. True when there was nothing to show.
bool reportSaveFailure(MsgBox& msg, const std::optional<SaveFailure>& failure);

// The message for a refused page operation; empty for one that was done or that the editor
// never asks for.
QString pageChangeMessage(FolderLibrary::PageChange change);
