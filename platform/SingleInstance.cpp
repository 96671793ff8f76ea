#include "platform/SingleInstance.h"

#include "platform/Log.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace platform {

namespace {

const QByteArray kComeForward = "come-forward\n";
const QByteArray kDone = "done\n";

} // namespace

SingleInstance::SingleInstance(QString folder)
    : folder_(std::move(folder)), lock_(QDir(folder_).filePath(QStringLiteral(".kelvora.lock"))) {
    // Only a lock whose process is gone is stale, however old it is.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockFilePath() const {
    return QDir(folder_).filePath(QStringLiteral(".kelvora.lock"));
}

QString SingleInstance::serverName() const {
    // Socket names are short; the folder as it resolves names it (it may be reached by a link).
    const QString canonical = QFileInfo(folder_).canonicalFilePath();
    const QByteArray digest = QCryptographicHash::hash(
        (canonical.isEmpty() ? folder_ : canonical).toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("kelvora-") + QString::fromLatin1(digest.toHex().left(20));
}

SingleInstance::Outcome SingleInstance::start(int waitMs) {
    QDir().mkpath(folder_);
    if (lock_.tryLock(0)) {
        listen();
        return Outcome::First;
    }
    if (lock_.error() != QLockFile::LockFailedError) {
        message_ = QStringLiteral("Kelvora cannot take the lock %1 of its documents folder.")
                       .arg(QDir::toNativeSeparators(lockFilePath()));
        return Outcome::Failed;
    }
    if (askToComeForward(waitMs)) {
        message_ = QStringLiteral("Kelvora is already running on %1; its window was brought "
                                  "forward.")
                       .arg(QDir::toNativeSeparators(folder_));
        return Outcome::BroughtForward;
    }
    message_ =
        QStringLiteral("Kelvora is already running on %1.").arg(QDir::toNativeSeparators(folder_));
    return Outcome::AlreadyRunning;
}

bool SingleInstance::askToComeForward(int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    do {
        QLocalSocket socket;
        socket.connectToServer(serverName());
        if (socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
            socket.write(kComeForward);
            socket.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 1)));
            while (!socket.canReadLine() &&
                   socket.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1))))
                ;
            if (socket.canReadLine() && socket.readLine() == kDone)
                return true;
        }
        // The holder may still be starting up, before it listens.
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return false;
}

void SingleInstance::listen() {
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a killed holder would refuse the name; the lock says it is ours now.
    QLocalServer::removeServer(serverName());
    if (!server_->listen(serverName())) {
        qCWarning(lcKelvora, "Later starts cannot reach this program: %s",
                  qPrintable(server_->errorString()));
        return;
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == kComeForward) {
                    qCInfo(lcKelvora, "A later start asked this program to come forward");
                    if (onActivate_)
                        onActivate_();
                    socket->write(kDone);
                    socket->flush();
                }
                socket->disconnectFromServer();
            });
        }
    });
    qCInfo(lcKelvora, "Listening for later starts as %s", qPrintable(serverName()));
}

} // namespace platform
