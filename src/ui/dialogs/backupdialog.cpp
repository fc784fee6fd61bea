#include "backupdialog.h"

#include "dialogbuttons.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

RestoreBackupDialog::RestoreBackupDialog(QWidget *parent) : DialogBase(parent)
{
    setObjectName(u"sicherungdlg"_qs);
    setWindowTitle(u"Sicherung wiederherstellen"_qs);
    setHelpTopic(u"::/sicherung.htm"_qs);

    m_text = new QLabel(this);
    m_text->setObjectName(u"hinweis"_qs);
    m_text->setWordWrap(true);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(u"sicherungsliste"_qs);
    m_list->setHeaderLabels({u"Datum"_qs, u"Uhrzeit"_qs, u"Datensätze"_qs, u"Anlass"_qs});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(true);
    m_text->setBuddy(m_list);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);

    const DialogButtons buttons = makeDialogButtons(this);
    m_restore = buttons.ok;
    m_restore->setText(u"&Wiederherstellen"_qs);
    m_restore->setObjectName(u"wiederherstellenbtn"_qs);
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { m_restore->setEnabled(item != nullptr); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons.layout);
    resize(620, 420);
}

void RestoreBackupDialog::showBackups(const QList<Backup::Info> &backups, const QString &folder)
{
    m_backups = backups;
    m_list->clear();
    m_list->setVisible(true);
    for (const Backup::Info &b : backups) {
        auto *item = new QTreeWidgetItem(m_list);
        item->setText(0, b.made.date().toString(u"dd.MM.yyyy"_qs));
        item->setText(1, b.made.time().toString(u"HH:mm"_qs));
        item->setText(2, QLocale().toString(b.installationRecords()));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(3, Backup::reasonText(b.reason));
    }
    for (int c = 0; c < 3; ++c)
        m_list->resizeColumnToContents(c);
    m_text->setText(backups.isEmpty()
                        ? u"Im Ordner \"%1\" liegt noch keine Sicherung."_qs.arg(folder)
                        : u"&Sicherungen im Ordner \"%1\", die neueste zuerst:"_qs.arg(folder));
    if (!backups.isEmpty())
        m_list->setCurrentItem(m_list->topLevelItem(0));
    m_restore->setEnabled(!backups.isEmpty());
    m_list->setFocus(Qt::OtherFocusReason);
}

void RestoreBackupDialog::showOfficeNote()
{
    m_backups.clear();
    m_list->clear();
    m_list->setVisible(false);
    m_text->setText(officeNote());
    m_restore->setEnabled(false);
}

std::optional<Backup::Info> RestoreBackupDialog::chosen() const
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || row >= m_backups.size())
        return std::nullopt;
    return m_backups[row];
}

QString RestoreBackupDialog::officeNote()
{
    return u"Im Büro-Betrieb liegen die Daten auf dem Datenbankserver. Ofenring legt dann keine eigenen "
           "Sicherungen an: gesichert wird auf dem Server, zum Beispiel jede Nacht mit pg_dump, und "
           "zurückgeholt ebenfalls dort (siehe README und Hilfe, „Sicherung“)."_qs;
}
