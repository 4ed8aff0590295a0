#pragma once
#include <QString>

class MsgBox;
class QLineEdit;

// Every configuration value is stored one a line, so no value may hold a line break.
namespace LineBreakGuard {

// The message shown when a value holding a line break is refused.
QString message();

// True when `text` holds a carriage return or a line feed.
bool hasLineBreak(const QString& text);

// Makes `edit` refuse any user edit (typing, pasting, a dropped or input-method text) that
// would leave a line break in it: the text returns to what it was and `msg` says why.
// Changes made from code (setText) are not checked.
void attach(QLineEdit* edit, MsgBox* msg);

// The same for a slot's fixed name or the connector text, which also refuse what
// NamePart::refusal refuses, with its message.
void attachNamePart(QLineEdit* edit, MsgBox* msg);

}  // namespace LineBreakGuard
