#pragma once

#include "addressimport.h"
#include "dialogbase.h"
#include "record.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// "Exportdatei übernehmen": what an export file of a district program would
// put into the current record, before the user takes it over.  The kind of
// file (SchoCom or Abnahme) decides whether postcode and town are taken
// apart; the file name suggests it, the user may change it.
class ExportFilePreviewDialog : public DialogBase {
    Q_OBJECT
public:
    ExportFilePreviewDialog(const QString &path, const QStringList &lines, const Record &current,
                            QWidget *parent = nullptr);

    addressimport::Source source() const;
    void setSource(addressimport::Source source);
    // The fields the file sets under the chosen kind.
    QList<addressimport::FieldValue> values() const;

private:
    void refresh();

    QStringList m_lines;
    Record m_current;
    QComboBox *m_kind = nullptr;
    QLabel *m_kindHint = nullptr;
    QTableWidget *m_table = nullptr;
    QPushButton *m_take = nullptr;
    QString m_hintPrefix;   // what the file name told
};
