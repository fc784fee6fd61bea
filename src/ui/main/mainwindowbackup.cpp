// The main window's backup commands: the daily backup at start, "Sicherung
// anlegen" and "Sicherung wiederherstellen …".
#include "mainwindow.h"

#include "backupdialog.h"
#include "catalogstore.h"
#include "fieldbinding.h"
#include "luftverbundpage.h"
#include "messagebox.h"
#include "programsettings.h"
#include "recordstore.h"
#include "remarkspage.h"
#include "settingsfile.h"

#include <QApplication>
#include <QDir>

namespace {

// The wait cursor while the tables are copied.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QString shownFolder(const QString &path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(path).absolutePath()));
}

} // namespace

void TForm1::dailyBackup()
{
    if (!m_tablesOpen || m_server)
        return;
    Backup backup(m_dataDir);
    if (!backup.isDue())
        return;
    std::optional<Backup::Info> made;
    {
        WaitCursor wait;
        made = backup.make(Backup::Reason::Daily);
    }
    if (made)
        return;
    // Every start of the day tries again, but says so only once a day.
    SettingsFile file(settings::programSettingsFilePath());
    file.load();
    const QString today = backup.now().date().toString(Qt::ISODate);
    if (file.value(u"Sicherung"_qs, u"Fehler gemeldet"_qs) == today)
        return;
    file.setValue(u"Sicherung"_qs, u"Fehler gemeldet"_qs, today);
    file.save();
    MessageBox::error(u"Die tägliche Sicherung ist fehlgeschlagen. "_qs + backup.errorString()
                      + u" Beim nächsten Start wird sie wieder versucht."_qs);
}

bool TForm1::finishAllEditing()
{
    if (m_tablesOpen && (!commitEdits() || !m_kq->finishEditing()))
        return false;
    for (TableStore *catalog : {static_cast<TableStore *>(m_owners), static_cast<TableStore *>(m_places),
                                static_cast<TableStore *>(m_remarks)})
        if (catalog->isOpen() && !catalog->finishEditing())
            return false;
    return true;
}

void TForm1::makeBackup()
{
    if (m_server) {
        MessageBox::information(RestoreBackupDialog::officeNote());
        return;
    }
    // What the user has typed belongs into the backup: it is saved first.
    if (!finishAllEditing())
        return;
    Backup backup(m_dataDir);
    std::optional<Backup::Info> made;
    {
        WaitCursor wait;
        made = backup.make(Backup::Reason::OnDemand);
    }
    if (!made) {
        MessageBox::error(backup.errorString());
        return;
    }
    MessageBox::information(u"Die Daten sind gesichert (%1 Datensätze) im Ordner \"%2\"."_qs.arg(
        QLocale().toString(made->installationRecords()), shownFolder(made->path)));
}

void TForm1::showRestoreBackup()
{
    if (!m_backupDlg) {
        m_backupDlg = new RestoreBackupDialog(this);
        connect(m_backupDlg, &DialogBase::helpRequested, this, &TForm1::showHelp);
        connect(m_backupDlg, &QDialog::accepted, this, [this] {
            if (const std::optional<Backup::Info> chosen = m_backupDlg->chosen())
                restoreBackup(*chosen);
        });
    }
    Backup backup(m_dataDir);
    if (m_server)
        m_backupDlg->showOfficeNote();
    else
        m_backupDlg->showBackups(backup.list(), shownFolder(backup.root()));
    m_backupDlg->open();
}

bool TForm1::restoreBackup(const Backup::Info &chosen)
{
    if (m_server)
        return false;
    const QString when = Backup::madeText(chosen);
    if (MessageBox::question(u"Die Daten vom %1 ersetzen die heutigen. Die heutigen werden vorher gesichert."_qs.arg(when),
                             PromptButton::Ok | PromptButton::Cancel, PromptButton::Cancel)
        != PromptButton::Ok)
        return false;
    if (!finishAllEditing())
        return false;

    Backup backup(m_dataDir);
    Backup::Info savedFirst;
    bool restored = false;
    {
        WaitCursor wait;
        // The tables are put in place as files: the window lets go of them
        // first and opens them again afterwards, restored or not.
        for (TableStore *s : {static_cast<TableStore *>(m_kq), static_cast<TableStore *>(m_owners),
                              static_cast<TableStore *>(m_places), static_cast<TableStore *>(m_remarks)})
            s->close();
        restored = backup.restore(chosen, &savedFirst);
        reloadAfterRestore();
    }
    if (!restored) {
        MessageBox::error(backup.errorString());
        return false;
    }
    MessageBox::information(u"Die Daten vom %1 sind wiederhergestellt. Die Daten von vorher liegen in der Sicherung \"%2\"."_qs
                                .arg(when, shownFolder(savedFirst.path)));
    return true;
}

void TForm1::reloadAfterRestore()
{
    openTables(m_dataDir);
    m_remarksPage->refresh();
    syncSortButtons();
    // A list the backup did not hold is gone now: its built-in choices return.
    m_lists = TextLists(m_dataDir);
    for (const TextLists::Kind kind : {TextLists::RoomNames, TextLists::ApplianceTypes})
        m_lists.load(kind);
    if (m_luftverbund)
        m_luftverbund->loadTextLists(m_lists);
}
