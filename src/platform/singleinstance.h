#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Makes sure that only one copy of Ofenring works on the data directory.
//
// The first copy takes a lock file named "KQmutex" in the user's runtime
// directory and holds it for its whole life (an exclusive lock of the
// operating system on the open file, which ends with the process however it
// ends); it also listens on a local socket beside the lock.  A later copy
// finds the lock taken, asks the running copy over the socket to bring its
// window to the front, and ends:
//
//     SingleInstance guard;
//     switch (guard.claim()) {
//     case SingleInstance::Claim::Primary:  ...start...
//     case SingleInstance::Claim::Raised:   return 0;
//     case SingleInstance::Claim::Blocked:  show guard.blockedMessage(); return 1;
//     }
//
// A lock file that nobody holds any more is taken over at once, whatever it
// holds: one left by a copy that crashed, an empty or garbled one, one naming
// another machine.  Only a lock that a live process holds keeps a start out.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // The outcome of a start.
    enum class Claim {
        Primary,   // this process is the running copy now
        Raised,    // the running copy answered and shows its window
        Blocked,   // neither: blockedMessage() says what blocks the start
    };

    // The lock "KQmutex" in the user's runtime directory.
    explicit SingleInstance(QObject *parent = nullptr);
    // A lock of the given name in the given directory (tests use their own).
    SingleInstance(const QString &lockName, const QString &directory, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock, or failing that asks the running copy for its window,
    // waiting at most answerTimeoutMs for its answer.
    Claim claim(int answerTimeoutMs = 3000);

    // Takes the lock.  True when this process is now the running copy (also
    // when no lock file can be created at all, so that the program still
    // starts); false when a live process holds it, or when the lock file is
    // there but cannot be opened (blockedMessage() then says so).
    bool tryBecomePrimary();
    bool isPrimary() const { return m_primary; }

    // From a second copy: asks the running copy to show its window.  Waits at
    // most timeoutMs for its answer; true when the running copy confirmed.
    bool notifyPrimary(int timeoutMs = 3000);

    // After a Blocked claim: a German message naming the lock file, what
    // holds it and what the user can do.
    QString blockedMessage() const { return m_blockedMessage; }
    // The process number the lock file names (0 when it names none).
    qint64 holderPid() const { return m_holderPid; }

    QString lockFilePath() const;
    QString serverName() const;

    // The directory the default lock lives in: the runtime directory, or a
    // private directory under the temporary directory when there is none.
    static QString defaultDirectory();

signals:
    // On the running copy: a second start asked for the window.
    void activationRequested();

private:
    void becomePrimary(int fd);
    void startListening();
    void acceptConnections();

    QString m_lockName;
    QString m_directory;
    int m_lockFd = -1;
    QLocalServer *m_server = nullptr;
    bool m_primary = false;
    qint64 m_holderPid = 0;
    QString m_blockedMessage;
};
