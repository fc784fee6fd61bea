#include "fileerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileerror {

QString phrase(int error)
{
    switch (error) {
    case ENOSPC: return u"der Datenträger ist voll"_qs;
    case EDQUOT: return u"der zugeteilte Speicherplatz ist aufgebraucht"_qs;
    case EROFS: return u"der Datenträger ist schreibgeschützt"_qs;
    case EACCES:
    case EPERM: return u"keine Schreibberechtigung"_qs;
    case ENOENT: return u"der Ordner fehlt"_qs;
    case ENOTDIR: return u"ein Teil des Pfades ist kein Ordner"_qs;
    case EISDIR: return u"an dieser Stelle steht ein Ordner"_qs;
    case ENAMETOOLONG: return u"der Name ist zu lang"_qs;
    case EFBIG: return u"die Datei würde zu groß"_qs;
    case EIO: return u"der Datenträger meldet einen Lese- oder Schreibfehler"_qs;
    case EMFILE:
    case ENFILE: return u"zu viele Dateien sind geöffnet"_qs;
    case EBUSY:
    case ETXTBSY: return u"die Datei ist in Gebrauch"_qs;
    case EXDEV: return u"Quelle und Ziel liegen auf verschiedenen Datenträgern"_qs;
    case ENXIO:
    case ENODEV: return u"das Gerät ist nicht erreichbar"_qs;
    case ELOOP: return u"zu viele Verweise im Pfad"_qs;
    case ENOMEM: return u"zu wenig Arbeitsspeicher"_qs;
    case EPIPE: return u"der Empfänger hat die Verbindung geschlossen"_qs;
    default: return u"Systemfehler Nr. %1"_qs.arg(error);
    }
}

QString sentence(int error)
{
    QString s = phrase(error);
    if (!s.isEmpty())
        s[0] = s[0].toUpper();
    return s + u'.';
}

namespace {

bool fail(QString *why, int error)
{
    if (why)
        *why = sentence(error);
    return false;
}

// Writes everything, also after a short write or an interrupted call.
bool writeAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

bool writeReplacing(const QString &path, const QByteArray &bytes, QString *why)
{
    QFileInfo info(path);
    if (info.isSymLink())
        info = QFileInfo(info.symLinkTarget());
    const QString target = info.absoluteFilePath();
    const QByteArray targetName = QFile::encodeName(target);
    struct stat old {};
    const bool exists = ::stat(targetName.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return fail(why, EISDIR);
    if (exists && ::access(targetName.constData(), W_OK) != 0)
        return fail(why, errno);

    // The temporary file lies beside the target, so that the rename stays on
    // one file system and is atomic.
    const QString folder = info.absolutePath();
    int fd = -1;
    QByteArray tempName;
    for (int n = 0; fd < 0 && n < 100; ++n) {
        tempName = QFile::encodeName(QDir(folder).filePath(u".%1.neu-%2-%3"_qs.arg(info.fileName()).arg(::getpid()).arg(n)));
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return fail(why, errno);
    }
    if (fd < 0)
        return fail(why, EEXIST);
    auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(tempName.constData());
        return fail(why, error);
    };
    if (exists)
        ::fchmod(fd, old.st_mode & 07777);
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        return abandon(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(tempName.constData());
        return fail(why, error);
    }
    if (::rename(tempName.constData(), targetName.constData()) != 0) {
        const int error = errno;
        ::unlink(tempName.constData());
        return fail(why, error);
    }
    // The new name is kept on the medium too.
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool makeFolders(const QString &path, QString *why)
{
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    QString made;
    for (const QString &part : absolute.split(u'/', Qt::SkipEmptyParts)) {
        made += u'/' + part;
        const QByteArray native = QFile::encodeName(made);
        struct stat st {};
        if (::stat(native.constData(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return fail(why, ENOTDIR);
            continue;
        }
        if (::mkdir(native.constData(), 0777) != 0 && errno != EEXIST)
            return fail(why, errno);
    }
    return true;
}

} // namespace fileerror
