#pragma once
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// One window per program folder. The settings are the folder's files, written whole when a
// window closes, so two windows on one folder would each write back their own older copy. A
// second start therefore hands its path to the window already running there and ends.
//
// The first start holds a lock file for as long as it runs (a crashed one leaves a lock that
// the next start finds stale) and listens on a local socket; both are named after the program
// folder and kept in the user's runtime directory.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& programDir, QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Outcome {
        First,       // this process runs the window; handed paths come as pathHanded
        HandedOver,  // the window already running took the path: end this process
        NoAnswer,    // a window runs on this folder but did not take the path in time
        Alone,       // no runtime directory or lock to be had: run without handing over
    };
    // Settles which process runs the folder's window, handing `path` (absolute; may be empty)
    // over when another one does. Waits up to `patienceMs` for a running one to answer.
    Outcome claim(const QString& path, int patienceMs = 10000);

    // Asked before a handed path is taken; a window that has begun to close says no, and the
    // second start then waits for it to end and runs the window itself.
    void setTakesPaths(std::function<bool()> takes) { takesPaths_ = std::move(takes); }

signals:
    void pathHanded(const QString& path);

private:
    bool listen();
    void serve(QLocalSocket* socket);
    bool handOver(const QString& path, int patienceMs);

    QString socketPath_;
    QString lockPath_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    std::function<bool()> takesPaths_;
};
