#pragma once
#include <QString>
#include <QStringList>

// A small file listing the temporaries an action has made and not yet seen gone. Should the
// process be killed mid-way, the next start reads it and can say where each one still lies;
// no folder has to be searched for them. One path a line, '%', CR and LF escaped as %25, %0D
// and %0A (a file name may hold a line break); written with plain write(2): it is to survive
// the process, not a power cut.
class TemporaryJournal {
public:
    // Reads `file`: the temporaries it lists that still exist are leftovers() and stay noted.
    explicit TemporaryJournal(const QString& file);

    // Appends `temporary` before anything is made under that name.
    void note(const QString& temporary);
    // Forgets the noted temporaries that are gone; rewrites the file only when one went.
    void settle();
    // What the file listed at construction that still exists.
    const QStringList& leftovers() const { return leftovers_; }

private:
    void rewrite();

    QString file_;
    QStringList noted_;
    QStringList leftovers_;
};
