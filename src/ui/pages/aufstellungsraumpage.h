#pragma once

#include "pagebase.h"

#include <QHash>
#include <QList>
#include <functional>

namespace installationroom {
struct PageState;
}

class BindingSet;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QStackedWidget;
class RecordStore;
class TVolDialog;

// The page "Aufstellungsraum" of the installation-room mode (from 35 kW):
// total output and room volume, an optional neighbour room, the openings to
// outside and up to two ventilation ducts behind them.  Every edit runs the
// evaluation of the installation room at once and shows what it returns:
// the protection-goal results, the opening sizes, the duct cross-sections,
// which choices are available and which are forced.
class AufstellungsraumPage : public PageBase {
    Q_OBJECT
public:
    AufstellungsraumPage(RecordStore *store, TVolDialog *volumeDialog, std::function<double()> defaultRoomHeight,
                         QWidget *parent = nullptr);
    ~AufstellungsraumPage() override;

    // Writes every typed number the record has not taken yet.
    bool commitEdits();

    // The evaluation after an edit on the page.
    void evaluate();
    // The enabling rules alone, for another record or the first show.
    void enablenr();

    BindingSet *bindings() const { return m_bindings; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    // The panels of the page, top to bottom.
    QHBoxLayout *buildRoomInputs();
    QHBoxLayout *buildNeighbourRoom();
    QHBoxLayout *buildOpeningSizes();
    QHBoxLayout *buildChoices();
    void buildNotebook();
    QWidget *buildDuctPage();
    // A right-aligned edit for a number, as wide as "00000,00".
    QLineEdit *numberEdit(const char *name, QWidget *parent, int maxLength = 0);
    void bind();
    void apply(const installationroom::PageState &state, bool showOpeningTexts);
    void showOpeningSizesFromRecord();
    void openVolumeCalculator();
    QWidget *labelled(QLineEdit *edit, const QString &label, const QString &unit);

    RecordStore *m_store;
    TVolDialog *m_volumeDialog;
    std::function<double()> m_defaultRoomHeight;
    BindingSet *m_bindings = nullptr;

    QLineEdit *m_output = nullptr;
    QLineEdit *m_volume = nullptr;
    QCheckBox *m_neighbour = nullptr;
    QFrame *m_neighbourPanel = nullptr;
    QLineEdit *m_neighbourVolume = nullptr;
    QGroupBox *m_neighbourOpenings = nullptr;
    QButtonGroup *m_neighbourOpeningButtons = nullptr;
    QCheckBox *m_goalWithNeighbour = nullptr;
    QCheckBox *m_goalByRoom = nullptr;
    QLineEdit *m_singleOpening = nullptr;
    QLineEdit *m_twoOpenings = nullptr;
    QList<QWidget *> m_singleOpeningRow;   // the edit with "1 x" and "cm²   oder"
    QGroupBox *m_openingCount = nullptr;
    QButtonGroup *m_openingCountButtons = nullptr;
    QGroupBox *m_supply = nullptr;
    QButtonGroup *m_supplyButtons = nullptr;
    QCheckBox *m_goalOutside = nullptr;
    QCheckBox *m_throughNeighbour = nullptr;
    QStackedWidget *m_notebook = nullptr;

    struct Duct {
        QComboBox *name = nullptr;
        QLineEdit *length = nullptr;
        QLineEdit *bends90 = nullptr;
        QLineEdit *bends45 = nullptr;
        QLineEdit *grilles = nullptr;
        QLineEdit *area = nullptr;
        QList<QWidget *> column;   // every widget of the duct's column
    };
    Duct m_ducts[2];
    bool m_ductDisplayEnabled[2] = {false, false};

    QList<QObject *> m_evaluatingControls;   // a key or mouse button released here evaluates
};
