#include "desktop/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>

namespace {

// A handed path: the tag, its length in UTF-8 bytes (32 bits, big-endian), the bytes. The
// running window answers with one byte.
const QByteArray kTag("ORVANE-OPEN1");
constexpr quint32 kMaxPathBytes = 1 << 20;
const char kTaken = 'Y';

QByteArray handOverMessage(const QString& path) {
    const QByteArray bytes = path.toUtf8();
    QByteArray out = kTag;
    char length[4];
    qToBigEndian<quint32>(quint32(bytes.size()), length);
    out.append(length, 4);
    out.append(bytes);
    return out;
}

}  // namespace

SingleInstance::SingleInstance(const QString& programDir, QObject* parent) : QObject(parent) {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) return;
    QString folder = QFileInfo(programDir).canonicalFilePath();
    if (folder.isEmpty()) folder = programDir;
    // Short and fixed in length whatever the folder's path: a socket's path has a small limit.
    const QByteArray key =
        QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    const QString base = runtime + QStringLiteral("/orvane-") + QString::fromLatin1(key);
    socketPath_ = base + QStringLiteral(".sock");
    lockPath_ = base + QStringLiteral(".lock");
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

SingleInstance::Outcome SingleInstance::claim(const QString& path, int patienceMs) {
    if (lockPath_.isEmpty()) return Outcome::Alone;
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Held for the whole run: only a lock whose process is gone is stale, never an old one.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        if (lock_->error() != QLockFile::LockFailedError) return Outcome::Alone;
        if (handOver(path, patienceMs)) return Outcome::HandedOver;
        // Not taken: either the running window ended meanwhile and the lock is ours now, or
        // it did not answer.
        if (!lock_->isLocked()) return Outcome::NoAnswer;
    }
    if (listen()) return Outcome::First;
    // Nobody could reach this window: holding the lock would only keep later starts waiting.
    lock_->unlock();
    return Outcome::Alone;
}

bool SingleInstance::handOver(const QString& path, int patienceMs) {
    const QByteArray message = handOverMessage(path);
    const QDeadlineTimer deadline(patienceMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(500)) {
            socket.write(message);
            socket.flush();
            // The answer comes once the running window's events run; a window that has begun
            // to close hangs up instead.
            while (socket.bytesAvailable() < 1 && socket.state() == QLocalSocket::ConnectedState &&
                   !deadline.hasExpired())
                socket.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 200)));
            if (socket.bytesAvailable() >= 1) return socket.read(1).at(0) == kTaken;
        }
        // Nobody listens (yet): the first start may still be starting, or may just have ended.
        if (lock_->tryLock(0)) return false;
        QThread::msleep(100);
    }
    return false;
}

bool SingleInstance::listen() {
    server_ = new QLocalServer(this);
    // The lock is ours, so a socket left at this name belongs to a process that has ended.
    QLocalServer::removeServer(socketPath_);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath_)) return false;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) serve(socket);
    });
    return true;
}

void SingleInstance::serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        const qsizetype head = kTag.size() + 4;
        if (socket->bytesAvailable() < head) return;
        const QByteArray start = socket->peek(head);
        const quint32 length = qFromBigEndian<quint32>(start.constData() + kTag.size());
        if (!start.startsWith(kTag) || length > kMaxPathBytes) {
            socket->abort();
            return;
        }
        if (socket->bytesAvailable() < head + qsizetype(length)) return;
        socket->read(head);
        const QString path = QString::fromUtf8(socket->read(length));
        if (takesPaths_ && !takesPaths_()) {
            socket->abort();
            return;
        }
        socket->write(&kTaken, 1);
        socket->flush();
        socket->disconnectFromServer();
        emit pathHanded(path);
    });
}
