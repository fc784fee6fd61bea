#include "singleinstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace {

// What a second copy sends, and what the running copy answers.
const QByteArray activateMessage = "activate\n";
const QByteArray acknowledgeMessage = "ok\n";

QString userName()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("LOGNAME");
    if (name.isEmpty())
        name = u"user"_qs;
    // Keep the socket name to plain characters.
    for (QChar &c : name) {
        if (!c.isLetterOrNumber() && c != u'_' && c != u'-')
            c = u'_';
    }
    return name;
}

} // namespace

SingleInstance::SingleInstance(QObject *parent)
    : SingleInstance(u"KQmutex"_qs, defaultDirectory(), parent)
{
}

SingleInstance::SingleInstance(const QString &lockName, const QString &directory, QObject *parent)
    : QObject(parent), m_lockName(lockName), m_directory(directory)
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_lock)
        m_lock->unlock();
}

QString SingleInstance::defaultDirectory()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QDir().mkpath(runtime))
        return runtime;
    // Without a runtime directory: a directory of our own under the temporary
    // directory, so that two users of one machine do not block each other.
    const QString fallback = QDir(QDir::tempPath()).filePath(u"ofenring-"_qs + userName());
    QDir().mkpath(fallback);
    QFile::setPermissions(fallback, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return fallback;
}

QString SingleInstance::lockFilePath() const
{
    return QDir(m_directory).filePath(m_lockName);
}

QString SingleInstance::serverName() const
{
    return QDir(m_directory).filePath(m_lockName + u'-' + userName() + u".socket"_qs);
}

bool SingleInstance::tryBecomePrimary()
{
    if (m_primary)
        return true;

    QDir().mkpath(m_directory);
    m_lock = std::make_unique<QLockFile>(lockFilePath());
    // The lock is held for the whole run; it must never count as stale because
    // of its age, only because the process that wrote it is gone.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        m_primary = true;
        startListening();
        return true;
    }

    if (m_lock->error() == QLockFile::LockFailedError)
        return false;

    // The lock file cannot be created at all (no write permission, full disk).
    // Refusing to start would lock the user out of the program for good, so
    // this copy runs without the guard.
    qWarning("Ofenring: Sperrdatei %s kann nicht angelegt werden", qPrintable(lockFilePath()));
    m_lock.reset();
    m_primary = true;
    startListening();
    return true;
}

void SingleInstance::startListening()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket file that is still there was left behind
    // by a copy that crashed.
    QLocalServer::removeServer(serverName());
    if (!m_server->listen(serverName())) {
        qWarning("Ofenring: %s", qPrintable(m_server->errorString()));
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray line = socket->readLine();
            if (line == activateMessage) {
                socket->write(acknowledgeMessage);
                socket->flush();
                emit activationRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::notifyPrimary(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // The running copy may have taken the lock a moment ago and not be
    // listening yet: try again until the time is up.
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(serverName());
        if (socket.waitForConnected(int(qMax<qint64>(deadline.remainingTime(), 0)))) {
            socket.write(activateMessage);
            if (!socket.waitForBytesWritten(int(qMax<qint64>(deadline.remainingTime(), 0))))
                return false;
            while (!socket.canReadLine()) {
                if (!socket.waitForReadyRead(int(qMax<qint64>(deadline.remainingTime(), 0))))
                    return false;
            }
            return socket.readLine() == acknowledgeMessage;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
}
