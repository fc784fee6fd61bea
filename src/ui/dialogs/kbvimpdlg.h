#pragma once

#include "dialogbase.h"

#include <QStringList>

#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

// "Import aus Kehrbezirksverwaltungsprogrammen": the district programs found
// on this computer, one of which the user chooses with "OK" or a double click.
// "Exportdatei öffnen …" instead picks an export file that came from a
// program on another computer.  A fresh dialog is made for every import.
class Tkbvimpdlg : public DialogBase {
    Q_OBJECT
public:
    // Results besides Accepted (an entry chosen) and Rejected.
    enum { FromFile = 2 };

    // `entries` in the order shown; `preselected` is a row or -1.
    Tkbvimpdlg(const QStringList &entries, int preselected, QWidget *parent = nullptr);

    // The chosen entry's text; empty when none is selected.
    QString selectedEntry() const;
    // The export file picked with "Exportdatei öffnen …".
    QString exportFile() const { return m_file; }

    // How the export file is picked (the file dialog normally; tests set
    // their own).  An empty result means the user cancelled.
    using FileChooser = std::function<QString(QWidget *parent)>;
    static void setFileChooser(FileChooser chooser);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void chooseFile();
    void updateButtons();

    QListWidget *m_list = nullptr;
    QLabel *m_empty = nullptr;
    QPushButton *m_ok = nullptr;
    QString m_file;
};
