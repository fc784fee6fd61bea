#include "addressimportflow.h"

#include "addressimport.h"
#include "exportfilepreview.h"
#include "kbvimpdlg.h"
#include "messagebox.h"
#include "recordstore.h"

#include <QGuiApplication>
#include <QPointer>

using namespace addressimport;

namespace {

void waitCursor(bool on)
{
    if (on)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void runChosen(const SourceList &installed, const QString &entry, RecordStore *store)
{
    const std::optional<Source> source = recogniseEntry(entry);
    if (!source)
        return;
    for (const Installed &program : installed.entries) {
        if (program.source == *source) {
            runExport(program, *store, MessageBox::instance(), waitCursor);
            return;
        }
    }
}

} // namespace

void startAddressImport(RecordStore *store, QWidget *parent, const std::function<void(const QString &)> &help)
{
    // The list is built anew for every import: programs may have been
    // installed or removed since the last one.
    const SourceList installed = installedSources();
    QStringList entries;
    for (const Installed &program : installed.entries)
        entries << sourceDef(program.source).entry;

    auto *dialog = new Tkbvimpdlg(entries, installed.preselected, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &DialogBase::helpRequested, dialog, help);
    QPointer<RecordStore> target(store);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, installed, target, parent, help](int result) {
        if (!target)
            return;
        if (result == QDialog::Accepted)
            runChosen(installed, dialog->selectedEntry(), target);
        else if (result == Tkbvimpdlg::FromFile)
            previewExportFile(dialog->exportFile(), target, parent, help);
    });
    dialog->open();
}

void previewExportFile(const QString &path, RecordStore *store, QWidget *parent,
                       const std::function<void(const QString &)> &help)
{
    QStringList lines;
    QString error;
    if (!readExportFile(path, &lines, &error)) {
        MessageBox::error(error);
        return;
    }
    auto *dialog = new ExportFilePreviewDialog(path, lines, store->current(), parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &DialogBase::helpRequested, dialog, help);
    QPointer<RecordStore> target(store);
    QObject::connect(dialog, &QDialog::accepted, dialog, [dialog, target] {
        if (target)
            applyFields(*target, dialog->values());
    });
    dialog->open();
}
