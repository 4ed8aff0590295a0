// Sending the shown file to a slot's folder, and deleting it: the session's commands, asked
// through message boxes, the outcome shown from its result.
#include "Form1.h"
#include "MsgBox.h"
#include "QuestionBoxes.h"
#include "TransferMessages.h"

void Form1::TransferToSlot(int16_t d) {
    QuestionBoxes questions(*services_.msgBox);
    session_.sendToSlot(d, questions);
}

void Form1::DeleteCurrentFile() {
    QuestionBoxes questions(*services_.msgBox);
    session_.deleteShown(questions);
}

void Form1::ShowResult(const Transfer::Result& result) {
    const QString text = Transfer::messageFor(result);
    if (!text.isEmpty()) services_.msgBox->Show(text);
}
