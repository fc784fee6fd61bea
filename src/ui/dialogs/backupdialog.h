#pragma once

#include "backup.h"
#include "dialogbase.h"

class QLabel;
class QPushButton;
class QTreeWidget;

// "Sicherung wiederherstellen": the backups of the data folder, newest
// first, with date, time, number of records and why each was made.  The
// chosen one is restored by the main window after its question.  In office
// mode the dialog says instead that the server keeps the backups.
class RestoreBackupDialog : public DialogBase {
    Q_OBJECT
public:
    explicit RestoreBackupDialog(QWidget *parent = nullptr);

    // Fills the list and selects the newest backup.
    void showBackups(const QList<Backup::Info> &backups, const QString &folder);
    // Office mode: the tables are on the server, which makes the backups.
    void showOfficeNote();

    // The backup chosen when the dialog was accepted.
    std::optional<Backup::Info> chosen() const;

    // What the dialog says in office mode (also the answer to "Sicherung anlegen").
    static QString officeNote();

private:
    QLabel *m_text = nullptr;
    QTreeWidget *m_list = nullptr;
    QPushButton *m_restore = nullptr;
    QList<Backup::Info> m_backups;
};
