#pragma once

// A small file system (tmpfs) mounted over a folder for as long as the object
// lives, to meet a full or a read-only medium for real.  Mounting needs root;
// elsewhere mounted() is false and the test skips.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <unistd.h>

class SmallFileSystem {
public:
    // `options` for mount -o, e.g. "size=256k" or "size=64k,ro".
    SmallFileSystem(const QString &folder, const QString &options) : m_folder(folder)
    {
        QDir().mkpath(folder);
        if (::geteuid() != 0)
            return;
        m_mounted = QProcess::execute(u"mount"_qs, {u"-t"_qs, u"tmpfs"_qs, u"-o"_qs, options, u"tmpfs"_qs, folder}) == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            QProcess::execute(u"umount"_qs, {m_folder});
    }
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    bool mounted() const { return m_mounted; }
    static const char *skipReason() { return "only root can mount the small file system that plays the medium here"; }

    // Fills what is left, so that the next write finds the medium full.
    void fill() const
    {
        QFile filler(QDir(m_folder).filePath(u"fueller"_qs));
        if (!filler.open(QIODevice::WriteOnly))
            return;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.write(QByteArray(1, 'x'));
        filler.flush();
    }

private:
    QString m_folder;
    bool m_mounted = false;
};
