#pragma once
#include <QString>

// The button sets the program uses, and the answers a message box gives back.
enum class MsgButtons { Ok, OkCancel, YesNo };
enum MsgAnswer : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// Every message box the program shows goes through this interface, so tests can read the
// text and give the answer. `defaultAnswer` is the button that Enter chooses (0: the first).
class MsgBox {
public:
    virtual ~MsgBox() = default;
    virtual int Show(const QString& text, const QString& title = QStringLiteral("Orvane"),
                     MsgButtons buttons = MsgButtons::Ok, int defaultAnswer = 0) = 0;
};
