#pragma once

#include "pagebase.h"

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;

// The page "Allgemeine Angaben": the record's mode, the installation site and
// the owner.  It only builds the controls; the main window binds them to the
// record and wires the buttons; its "&Hilfe" button asks for the page's topic
// through helpRequested.
class GeneralPage : public PageBase {
    Q_OBJECT
public:
    explicit GeneralPage(QWidget *parent = nullptr);

    // The address fields in the order of the page, with the record field each shows.
    struct AddressField {
        QString field;
        QLineEdit *edit;
    };
    const QList<AddressField> &addressFields() const { return m_fields; }
    QLineEdit *editFor(const QString &field) const;

    QGroupBox *modusGroup() const { return m_modusBox; }
    QButtonGroup *modusButtons() const { return m_modusButtons; }
    QPushButton *importButton() const { return m_import; }
    QPushButton *siteOrtslisteButton() const { return m_ortsliste; }
    QPushButton *ownerOrtslisteButton() const { return m_ortsliste2; }
    QPushButton *eigentuemerlisteButton() const { return m_eigentliste; }
    QPushButton *helpButton() const { return m_help; }

    // The mode choice: the chosen mode, or the first while none is chosen.
    QWidget *firstField() const override;

private:
    QLineEdit *addField(const QString &field, int maxLength);

    QList<AddressField> m_fields;
    QGroupBox *m_modusBox = nullptr;
    QButtonGroup *m_modusButtons = nullptr;
    QPushButton *m_import = nullptr;
    QPushButton *m_ortsliste = nullptr;
    QPushButton *m_ortsliste2 = nullptr;
    QPushButton *m_eigentliste = nullptr;
    QPushButton *m_help = nullptr;
};
