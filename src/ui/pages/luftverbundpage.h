#pragma once

#include "pagebase.h"

#include <QList>
#include <QPointer>
#include <array>
#include <functional>

class BindingSet;
class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class RecordStore;
class TextLists;
class Tllberdlg;
class Tmeldform;
class TOKform;
class TVolDialog;
class NumberEntryBinding;

// The page "Luftverbundberechnung": the installation room RA and the rooms
// R1..R7 of a dwelling with their volumes, outputs, appliances, doors and
// windows to the outside, openings towards RA and the room each is joined
// with; the open fireplace or tiled stove in RA with its supply-air duct; the
// command "Berechnen"; and the results of the last check, drawn black while
// they belong to the record's inputs and grey once an input has changed.
//
// The page owns no rule.  It keeps the connected-with choices consistent with
// the two interconnection-room marks, refuses marks set out of order and
// numbers that cannot be volumes or outputs, marks the record as not
// calculated on every edit that enters the check, and hands everything else
// to the record store and the calculation.
class LuftverbundPage : public PageBase {
    Q_OBJECT
public:
    LuftverbundPage(RecordStore *store, TVolDialog *volumeDialog, std::function<double()> defaultRoomHeight,
                    QWidget *parent = nullptr);
    ~LuftverbundPage() override;

    // The suggestions of the room-name and appliance-type lists.
    void loadTextLists(const TextLists &lists);

    // Writes every typed number the record has not taken yet; a number that
    // is no volume or output is refused with "Falsche Eingabe" and false.
    bool commitEdits();

    // The commands of the page, callable by name.
    void rechnen();           // "Berechnen"
    void populate();          // connected-with choices after the marks
    void checkvmit();         // every connected-with choice back into the record
    void okCalc();            // "OK / KO"
    void ductDialog();        // the duct button beside "Zuluftl."

    Tmeldform *meldform() const { return m_meldform; }
    TOKform *okform() const { return m_okform; }
    Tllberdlg *llberdlg() const { return m_llberdlg; }
    BindingSet *bindings() const { return m_bindings; }

    // Black while the record's results are calculated, grey otherwise.
    bool showsCalculated() const { return m_calculatedColour; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Row {
        QLabel *label = nullptr;
        QComboBox *name = nullptr;
        QCheckBox *mark = nullptr;       // R1 and R2 only
        QLineEdit *volume = nullptr;
        QLineEdit *output = nullptr;
        QComboBox *appliance = nullptr;
        QCheckBox *outside = nullptr;
        QComboBox *opening = nullptr;    // R1..R7
        QComboBox *connected = nullptr;  // R1..R7
        QLabel *creditable = nullptr;
        QLabel *rest = nullptr;          // R1..R7
    };

    void build();
    // The parts of the page, top to bottom; each room row after its description.
    void buildHeadings(QGridLayout *grid);
    void buildRoomRow(QGridLayout *grid, int room);
    void buildJoinColumns(QGridLayout *grid, int room);   // opening, connected with, residual volume
    void buildFireplaceRow(QGridLayout *grid);
    QFrame *buildDuctBox();
    void buildTotals(QGridLayout *grid);
    QPushButton *buildButtons(QGridLayout *grid);          // returns the help button
    void setReadingOrder(QPushButton *help);
    // A caption or value on the results panel, drawn black or grey with the results.
    QLabel *panelLabel(QGridLayout *grid, const QString &text, int row, int col,
                       Qt::Alignment align = Qt::AlignRight | Qt::AlignVCenter);
    int numberFieldWidth() const;   // a volume or output, "00000,0"
    void bind();
    void refreshFromRecord();
    void fieldChanged(const QString &name);
    void setcolors(bool calculated);
    void enableDuct(bool on);
    void selectFireplaceKind();
    void ungerechnet();

    void openingChosen(int room, int position);
    void connectedChosen(int room, int position);
    void markClicked(int room, bool checked);

    bool isNumberField(QObject *o) const;
    int roomOfVolume(QObject *o) const;
    // The check of a typed volume or output: a number above −0,001.
    static bool acceptableEntry(const QString &text);
    // Beep, "Falsche Eingabe", and back into the field last entered.
    void refuseEntry(QLineEdit *edit);
    void openVolumeCalculator(int room);
    friend class NumberEntryBinding;
    bool commitAllowed(QLineEdit *edit);

    RecordStore *m_store;
    TVolDialog *m_volumeDialog;
    std::function<double()> m_defaultRoomHeight;
    BindingSet *m_bindings = nullptr;
    std::array<Row, 8> m_rows;

    QPushButton *m_okCalc = nullptr;
    QLineEdit *m_okOutput = nullptr;
    QComboBox *m_okKind = nullptr;
    QCheckBox *m_duct = nullptr;
    QPushButton *m_ductButton = nullptr;
    QLineEdit *m_ductSupplied = nullptr;
    QLineEdit *m_ductUnsupplied = nullptr;
    QLineEdit *m_vsum = nullptr;
    QLineEdit *m_psum = nullptr;
    QCheckBox *m_bschutz = nullptr;
    QLabel *m_qlansum = nullptr;
    QCheckBox *m_sz1 = nullptr;
    QCheckBox *m_sz2 = nullptr;
    QPushButton *m_rechnen = nullptr;
    QList<QWidget *> m_resultWidgets;   // everything drawn black or grey

    Tmeldform *m_meldform = nullptr;
    TOKform *m_okform = nullptr;
    Tllberdlg *m_llberdlg = nullptr;

    QPointer<QLineEdit> m_lastEntered;
    bool m_explicitCommit = false;
    bool m_refusing = false;
    bool m_calculatedColour = true;
    bool m_coloursSet = false;
};
