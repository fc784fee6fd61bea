#pragma once

#include "dialogbase.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class RecordStore;

// "Zuluftleitung für offenen Kamin / Kachelofen berechnen nach DIN 18895":
// the supply-air duct of the fireplace in RA, sized anew on every change of
// its output, length, bends and side ratio.  OK writes the duct into the
// record; it stays disabled while the output or the length is not a number.
class Tllberdlg : public DialogBase {
    Q_OBJECT
public:
    explicit Tllberdlg(QWidget *parent = nullptr);

    // Fills the dialog from the current record of `store` and shows it
    // modally (without blocking the caller); OK writes into that record.
    void showFor(RecordStore *store);

    void accept() override;

private:
    void recompute();

    RecordStore *m_store = nullptr;
    QLabel *m_fireplaceOutput = nullptr;
    QLineEdit *m_output = nullptr;
    QLineEdit *m_length = nullptr;
    QSpinBox *m_bends45 = nullptr;
    QSpinBox *m_bends90 = nullptr;
    QLineEdit *m_base = nullptr;
    QButtonGroup *m_sideRatio = nullptr;
    QLineEdit *m_actual = nullptr;
    QPushButton *m_ok = nullptr;
    bool m_filling = false;
};
