#include "singleinstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
    if (m_lockFd >= 0) {
        // Removed while still held, so that no later start sees a file
        // without its holder.
        ::unlink(QFile::encodeName(lockFilePath()).constData());
        ::close(m_lockFd);
    }
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

namespace {

// What the lock file says about the copy that wrote it: its process number,
// its program file and its machine, one per line.
struct LockHolder {
    qint64 pid = 0;
    QString program;
    QString host;
};

QString ownProgramName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

QString programOfProcess(qint64 pid)
{
    return QFileInfo(QFile::symLinkTarget(u"/proc/%1/exe"_qs.arg(pid))).fileName();
}

LockHolder readHolder(int fd)
{
    char buffer[1024];
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
    LockHolder holder;
    if (n <= 0)
        return holder;
    const QList<QByteArray> lines = QByteArray(buffer, int(n)).split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&ok);
    if (ok && pid > 0)
        holder.pid = pid;
    holder.program = QString::fromUtf8(lines.value(1).trimmed());
    holder.host = QString::fromUtf8(lines.value(2).trimmed());
    return holder;
}

void writeHolder(int fd)
{
    const QByteArray text = QByteArray::number(QCoreApplication::applicationPid()) + '\n'
                            + ownProgramName().toUtf8() + '\n'
                            + QSysInfo::machineHostName().toUtf8() + '\n';
    // The record only tells a person who holds the lock; the lock itself is
    // the operating system's, so a failed write changes nothing.
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, text.constData(), size_t(text.size()), 0) == text.size())
        ::fsync(fd);
}

// Only where the file system cannot lock files: true when the process the
// lock file names is certainly gone (no process of that number on this
// machine, or one that runs another program).
bool holderIsGone(const LockHolder &holder)
{
    if (holder.pid <= 0)
        return false;
    if (!holder.host.isEmpty() && holder.host != QSysInfo::machineHostName())
        return false;
    if (::kill(pid_t(holder.pid), 0) == -1 && errno == ESRCH)
        return true;
    const QString running = programOfProcess(holder.pid);
    return !running.isEmpty() && !holder.program.isEmpty() && running != holder.program;
}

QString openErrorText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return u"keine Zugriffsberechtigung"_qs;
    case EISDIR:
        return u"an ihrer Stelle steht ein Verzeichnis"_qs;
    case ELOOP:
        return u"an ihrer Stelle steht ein symbolischer Verweis"_qs;
    default:
        return u"Systemfehler %1"_qs.arg(error);
    }
}

const QString deleteAdvice = u"Sie verhindert, dass zwei Ofenring gleichzeitig mit denselben Daten arbeiten. "
                             "Wenn Ofenring nicht läuft, löschen Sie die Datei und starten Sie Ofenring erneut."_qs;

} // namespace

bool SingleInstance::tryBecomePrimary()
{
    if (m_primary)
        return true;
    m_blockedMessage.clear();
    m_holderPid = 0;

    QDir().mkpath(m_directory);
    const QByteArray path = QFile::encodeName(lockFilePath());
    // A copy that ends removes its lock file while it still holds it; a start
    // that opened the file just before then holds a lock on a removed file and
    // has to try again with the new one.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            const int error = errno;
            struct stat st;
            if (::lstat(path.constData(), &st) == 0) {
                m_blockedMessage = u"Die Sperrdatei %1 kann nicht geöffnet werden (%2).\n\n"_qs
                                       .arg(lockFilePath(), openErrorText(error))
                                   + deleteAdvice;
                return false;
            }
            // No lock file can be created at all (no write permission, full
            // disk).  Refusing to start would lock the user out of the program
            // for good, so this copy runs without the guard.
            qWarning("Ofenring: Sperrdatei %s kann nicht angelegt werden", qPrintable(lockFilePath()));
            m_primary = true;
            startListening();
            return true;
        }

        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            struct stat opened, named;
            if (::fstat(fd, &opened) != 0 || ::stat(path.constData(), &named) != 0
                || opened.st_ino != named.st_ino || opened.st_dev != named.st_dev) {
                ::close(fd);
                continue;
            }
            // Nobody holds the lock: whatever the file says (nothing, garbage,
            // a copy that crashed, another machine), its writer is gone.
            becomePrimary(fd);
            return true;
        }

        const int error = errno;
        const LockHolder holder = readHolder(fd);
        m_holderPid = holder.pid;
        if (error == EWOULDBLOCK || error == EINTR) {
            // A live process holds it.
            ::close(fd);
            return false;
        }

        // The file system cannot lock files: decide by the process the file names.
        if (holderIsGone(holder)) {
            becomePrimary(fd);
            return true;
        }
        ::close(fd);
        if (holder.pid > 0 && (holder.host.isEmpty() || holder.host == QSysInfo::machineHostName()))
            return false;   // a live copy of ours, presumably: ask it
        m_blockedMessage = u"Die Sperrdatei %1 lässt sich auf diesem Dateisystem nicht sperren, "
                           "und ob der Prozess, den sie nennt, noch läuft, lässt sich nicht prüfen.\n\n"_qs
                               .arg(lockFilePath())
                           + deleteAdvice;
        return false;
    }
    m_blockedMessage = u"Die Sperrdatei %1 wird immer wieder ersetzt, während Ofenring sie prüft.\n\n"_qs
                           .arg(lockFilePath())
                       + deleteAdvice;
    return false;
}

void SingleInstance::becomePrimary(int fd)
{
    writeHolder(fd);
    m_lockFd = fd;
    m_primary = true;
    m_holderPid = QCoreApplication::applicationPid();
    startListening();
}

SingleInstance::Claim SingleInstance::claim(int answerTimeoutMs)
{
    if (tryBecomePrimary())
        return Claim::Primary;
    if (!m_blockedMessage.isEmpty())
        return Claim::Blocked;
    if (notifyPrimary(answerTimeoutMs))
        return Claim::Raised;

    const QString process = m_holderPid > 0 ? u" (Prozess %1)"_qs.arg(m_holderPid) : QString();
    const QString stop = m_holderPid > 0
        ? u"beenden Sie den Prozess %1 (zum Beispiel mit „kill %1“)"_qs.arg(m_holderPid)
        : u"beenden Sie es über die Prozessliste des Systems"_qs;
    m_blockedMessage = u"Ofenring läuft bereits%1, antwortet aber nicht.\n\n"
                       "Schließen Sie das laufende Ofenring. Reagiert es nicht mehr, %2 "
                       "und starten Sie Ofenring erneut.\n\nSperrdatei: %3"_qs
                           .arg(process, stop, lockFilePath());
    return Claim::Blocked;
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
