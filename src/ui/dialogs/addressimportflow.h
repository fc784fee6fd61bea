#pragma once

#include <QString>

#include <functional>

class QWidget;
class RecordStore;

// The command "Importieren" of the general data page: shows the selection of
// district programs and then either runs the chosen program's export or
// previews an export file and takes it over into the current record.  The
// record stays in the edit state afterwards and is saved as any other change.
//
// Returns at once; the dialogs are window-modal and made anew each time.
// `help` answers a help request of the dialogs (F1, "&Hilfe").
void startAddressImport(RecordStore *store, QWidget *parent, const std::function<void(const QString &)> &help);

// The second half on its own: preview the export file at `path` and take it
// over.  An unreadable file is reported and changes nothing.
void previewExportFile(const QString &path, RecordStore *store, QWidget *parent,
                       const std::function<void(const QString &)> &help);
