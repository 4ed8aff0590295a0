#include "Launch.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSize>
#include <QStandardPaths>
#include <QThread>

#include <ctime>

namespace {

qint64 MonotonicNs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The first line a helper process prints on its standard output, or empty.
QString FirstLine(QProcess& p, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!p.canReadLine() && t.elapsed() < timeoutMs && p.state() != QProcess::NotRunning)
        p.waitForReadyRead(50);
    return p.canReadLine() ? QString::fromLocal8Bit(p.readLine()).trimmed() : QString();
}

void End(QProcess& p) {
    if (p.state() == QProcess::NotRunning) return;
    p.kill();
    p.waitForFinished(5000);
}

}  // namespace

Launcher::Launcher(const QString& workDir, const QString& programFile, const QString& pluginFile,
                   const QSize& windowSize) {
    programDir_ = workDir + "/launch-program";
    home_ = workDir + "/launch-home";
    QDir().mkpath(programDir_ + "/dll");
    QDir().mkpath(programDir_ + "/config");
    QDir().mkpath(home_);
    QFile::setPermissions(home_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::remove(programDir_ + "/orvane");
    QFile::copy(programFile, programDir_ + "/orvane");
    QFile::remove(programDir_ + "/dll/ifPNG.spi");
    QFile::copy(pluginFile, programDir_ + "/dll/ifPNG.spi");
    QFile options(programDir_ + QStringLiteral("/config/設定_オプション.ini"));
    if (options.open(QIODevice::WriteOnly))
        options.write(QStringLiteral("\"CurrentFullMode\",-1\r\n\"StateWndMain\",0,0,%1,%2,1\r\n")
                          .arg(windowSize.width())
                          .arg(windowSize.height())
                          .toLatin1());

    if (!QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        xvfb_ = std::make_unique<QProcess>();
        // -noreset: the server stays as it is between the programs it serves.
        xvfb_->start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1920x1080x24",
                                             "-nolisten", "tcp", "-noreset"});
        const QString number = FirstLine(*xvfb_, 10000);
        if (!number.isEmpty()) display_ = ':' + number;
    }
    if (!QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
        busDaemon_ = std::make_unique<QProcess>();
        busDaemon_->start(QStringLiteral("dbus-daemon"),
                          {"--session", "--nofork", "--print-address=1"});
        bus_ = FirstLine(*busDaemon_, 10000);
    }
}

Launcher::~Launcher() {
    if (busDaemon_) End(*busDaemon_);
    if (xvfb_) End(*xvfb_);
}

QProcessEnvironment Launcher::Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home_);
    env.insert("XDG_RUNTIME_DIR", home_);
    env.insert("XDG_CONFIG_HOME", home_ + "/.config");
    env.insert("XDG_DATA_HOME", home_ + "/.local/share");
    env.insert("LANG", "C.UTF-8");
    if (display_.isEmpty()) {
        env.insert("QT_QPA_PLATFORM", "offscreen");
    } else {
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", display_);
    }
    // Without a bus a Qt program may wait seconds for one to be started for it.
    if (!bus_.isEmpty()) env.insert("DBUS_SESSION_BUS_ADDRESS", bus_);
    return env;
}

double Launcher::TimeToPaint(const QString& target, bool picture, int timeoutMs) {
    QProcess p;
    QProcessEnvironment env = Environment();
    env.insert("ORVANE_BENCH_PAINT_CLOCK", "1");
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(home_);
    p.setStandardOutputFile(QProcess::nullDevice());
    const QByteArray wanted = picture ? "orvane-paint-clock picture " : "orvane-paint-clock window ";
    p.setReadChannel(QProcess::StandardError);
    const qint64 start = MonotonicNs();
    p.start(programDir_ + "/orvane", {target});
    double ms = -1;
    QElapsedTimer t;
    t.start();
    while (ms < 0 && t.elapsed() < timeoutMs) {
        while (ms < 0 && p.canReadLine()) {
            const QByteArray line = p.readLine().trimmed();
            if (line.startsWith(wanted)) ms = (line.mid(wanted.size()).toLongLong() - start) / 1e6;
        }
        if (ms >= 0 || p.state() == QProcess::NotRunning) break;
        p.waitForReadyRead(100);
    }
    End(p);
    return ms;
}

bool Launcher::CanRun(const QString& name) const {
    return !display_.isEmpty() && !QStandardPaths::findExecutable(name).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}

double Launcher::TimeToWindow(const QString& program, const QStringList& args,
                              const QString& windowClass, int timeoutMs) {
    QProcess p;
    p.setProcessEnvironment(Environment());
    p.setWorkingDirectory(home_);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    const qint64 start = MonotonicNs();
    p.start(program, args);
    double ms = -1;
    QElapsedTimer t;
    t.start();
    // Asked from outside, a few milliseconds apart: the window counts from the answer that
    // found it, so this errs in the other program's favour by at most one poll.
    while (ms < 0 && t.elapsed() < timeoutMs && p.state() != QProcess::NotRunning) {
        const qint64 asked = MonotonicNs();
        QProcess search;
        search.setProcessEnvironment(Environment());
        search.start(QStringLiteral("xdotool"),
                     {"search", "--onlyvisible", "--class", windowClass});
        search.waitForFinished(5000);
        if (!search.readAllStandardOutput().trimmed().isEmpty()) ms = (asked - start) / 1e6;
        else QThread::msleep(2);
    }
    End(p);
    return ms;
}
