#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// Makes sure that only one copy of Ofenring works on the data directory.
//
// The first copy takes a lock file named "KQmutex" in the user's runtime
// directory and holds it for its whole life; it also listens on a local socket
// beside the lock.  A later copy finds the lock taken, asks the running copy
// over the socket to bring its window to the front, and ends:
//
//     SingleInstance guard;
//     if (!guard.tryBecomePrimary()) {
//         guard.notifyPrimary();
//         return 0;
//     }
//     QObject::connect(&guard, &SingleInstance::activationRequested, ...);
//
// A lock left behind by a copy that crashed (its process is gone) is taken
// over by the next start.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // The lock "KQmutex" in the user's runtime directory.
    explicit SingleInstance(QObject *parent = nullptr);
    // A lock of the given name in the given directory (tests use their own).
    SingleInstance(const QString &lockName, const QString &directory, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock.  True when this process is now the running copy (also
    // when no lock can be created at all, so that the program still starts);
    // false when another live process holds it.
    bool tryBecomePrimary();
    bool isPrimary() const { return m_primary; }

    // From a second copy: asks the running copy to show its window.  Waits at
    // most timeoutMs for its answer; true when the running copy confirmed.
    bool notifyPrimary(int timeoutMs = 3000);

    QString lockFilePath() const;
    QString serverName() const;

    // The directory the default lock lives in: the runtime directory, or a
    // private directory under the temporary directory when there is none.
    static QString defaultDirectory();

signals:
    // On the running copy: a second start asked for the window.
    void activationRequested();

private:
    void startListening();
    void acceptConnections();

    QString m_lockName;
    QString m_directory;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    bool m_primary = false;
};
