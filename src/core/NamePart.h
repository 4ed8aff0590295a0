#pragma once
#include <QString>

// A slot's fixed name and the connector text become part of a file name inside the slot's
// folder, and are kept in quoted fields of the option files.
namespace NamePart {

// Empty when `text` may be used; otherwise the message that refuses it: a double quote would
// end its quoted field, and a "/" (or a text that is "." or "..") would name a place outside
// the slot's folder.
QString refusal(const QString& text);

// True when `name` is one entry of a folder: not empty, no "/" or NUL, not "." or "..".
bool isSingleEntry(const QString& name);

}  // namespace NamePart
