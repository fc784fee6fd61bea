#pragma once

#include "dialogbase.h"
#include "printsettings.h"

class QCheckBox;
class QLineEdit;

// "Kopfzeile": the header lines and the two switches of the protocols'
// letterhead and addressee block.  The name (header line 1) is shown but not
// editable; it is the user's name, given to the program from outside.
class Tkopfzeilendlg : public DialogBase {
    Q_OBJECT
public:
    explicit Tkopfzeilendlg(QWidget *parent = nullptr);

    // Fills the controls from the settings in effect.
    void setSettings(const PrintSettings &settings);
    // The settings as the controls hold them; header line 1 as it was given.
    PrintSettings settings() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    PrintSettings m_given;
    QLineEdit *m_name = nullptr;
    QCheckBox *m_logo = nullptr;
    QCheckBox *m_address = nullptr;
    QLineEdit *m_sender = nullptr;
    QLineEdit *m_header = nullptr;
};
