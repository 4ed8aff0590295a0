#pragma once
// Starting the real program as a user starts it, timed from outside: a process of its own on
// an X server of its own (Xvfb; the offscreen platform where there is none) with a session bus,
// as a desktop has one.

#include <QProcess>
#include <QString>

#include <memory>

class Launcher {
public:
    // A program folder under `workDir` holding a copy of `programFile`, the plug-in and option
    // file 0 asking for fit mode in a window of `windowSize`.
    Launcher(const QString& workDir, const QString& programFile, const QString& pluginFile,
             const QSize& windowSize);
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // "Xvfb" or "offscreen".
    QString Platform() const { return display_.isEmpty() ? QStringLiteral("offscreen") : QStringLiteral("Xvfb"); }

    // Starts the program on `target` and ends it once it painted its view (`picture` false) or
    // the first picture in it (true). Milliseconds from the start, or -1.
    double TimeToPaint(const QString& target, bool picture, int timeoutMs = 20000);

    // Whether another viewer, `name`, can be run here for comparison (installed, and an X server).
    bool CanRun(const QString& name) const;
    // Starts `program` with `args` and ends it once it shows a window of class `windowClass`.
    // Milliseconds from the start, or -1.
    double TimeToWindow(const QString& program, const QStringList& args, const QString& windowClass,
                        int timeoutMs = 20000);

private:
    QProcessEnvironment Environment() const;

    QString programDir_;
    QString home_;
    QString display_;  // ":N", empty without an X server
    QString bus_;
    std::unique_ptr<QProcess> xvfb_;
    std::unique_ptr<QProcess> busDaemon_;
};
