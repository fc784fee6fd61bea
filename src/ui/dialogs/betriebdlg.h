#pragma once

#include "dialogbase.h"

class QLabel;
class QLineEdit;
class QPushButton;

// "Betrieb": the office's name, which heads the letterhead of every protocol
// and starts its sender line.  Asked once at the first start, and changed
// later through "Einstellungen → Betrieb …"; a changed name takes effect at
// the next start, since the letterhead stays the same while the program runs.
class Tbetriebdlg : public DialogBase {
    Q_OBJECT
public:
    explicit Tbetriebdlg(QWidget *parent = nullptr);

    // Opens the dialog (modal, without blocking the caller) with `name`
    // proposed; `firstStart` tells the user why he is asked.
    void ask(const QString &name, bool firstStart);

    // The name as typed, without blanks around it.
    QString name() const;

private:
    void updateOk();

    QLineEdit *m_name = nullptr;
    QLabel *m_note = nullptr;
    QPushButton *m_ok = nullptr;
};
