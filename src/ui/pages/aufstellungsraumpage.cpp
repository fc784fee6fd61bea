#include "aufstellungsraumpage.h"

#include "controlbindings.h"
#include "fieldbinding.h"
#include "installationroom.h"
#include "numberformat.h"
#include "recordstore.h"
#include "roomvolume.h"
#include "tabchain.h"
#include "voldialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using installationroom::PageInput;
using installationroom::PageState;

namespace {

const QStringList kDuctNames = {u"Zuluftöffnung"_qs, u"Abluftöffnung"_qs, u"Zuluftleitung"_qs, u"Abluftleitung"_qs};


// A check box whose caption stands before the box ("Nachbarraum: [x]").
void captionFirst(QCheckBox *box)
{
    box->setLayoutDirection(Qt::RightToLeft);
}

QString generalText(const Record &r, const QString &field)
{
    return r.isNull(field) ? QString() : numfmt::general(r.number(field));
}

} // namespace

AufstellungsraumPage::AufstellungsraumPage(RecordStore *store, TVolDialog *volumeDialog,
                                           std::function<double()> defaultRoomHeight, QWidget *parent)
    : PageBase(parent)
    , m_store(store)
    , m_volumeDialog(volumeDialog)
    , m_defaultRoomHeight(std::move(defaultRoomHeight))
{
    setObjectName(u"aufstellungsraum"_qs);
    setHelpTopic(u"::/aufstellungsraeume.htm"_qs);
    build();
    bind();

    connect(m_store, &TableStore::afterOpen, this, &AufstellungsraumPage::enablenr);
    connect(m_store, &TableStore::afterScroll, this, &AufstellungsraumPage::enablenr);
    connect(m_store, &TableStore::currentReloaded, this, &AufstellungsraumPage::showOpeningSizesFromRecord);
    m_bindings->refreshAll();
    enablenr();
}

AufstellungsraumPage::~AufstellungsraumPage() = default;

// --- construction ----------------------------------------------------------------

QWidget *AufstellungsraumPage::labelled(QLineEdit *edit, const QString &label, const QString &unit)
{
    auto *box = new QWidget(this);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto *l = new QLabel(label, box);
    l->setBuddy(edit);
    row->addWidget(l);
    row->addWidget(edit);
    row->addWidget(new QLabel(unit, box));
    row->addStretch(1);
    return box;
}

QLineEdit *AufstellungsraumPage::numberEdit(const char *name, QWidget *parent, int maxLength)
{
    const QFontMetrics fm(font());
    const int numberWidth = fm.horizontalAdvance(u"00000,00"_qs) + 12;
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setFixedWidth(numberWidth);
    e->setAlignment(Qt::AlignRight);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

void AufstellungsraumPage::build()
{
    const QFontMetrics fm(font());
    QHBoxLayout *inputs = buildRoomInputs();
    QHBoxLayout *neighbourRow = buildNeighbourRoom();
    QHBoxLayout *sizes = buildOpeningSizes();
    QHBoxLayout *choices = buildChoices();
    buildNotebook();

    QPushButton *help = makeHelpButton(u"arhilfebtn"_qs);
    help->setAutoDefault(false);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(help);
    bottom->addStretch(1);

    // One column as wide as the duct notebook needs, on the left of the page.
    auto *column = new QWidget(this);
    column->setObjectName(u"arspalte"_qs);
    column->setMaximumWidth(fm.averageCharWidth() * 120);
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(24, 16, 24, 16);
    outer->addWidget(column, 1);
    outer->addStretch(0);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(inputs);
    layout->addWidget(m_goalByRoom, 0, Qt::AlignLeft | Qt::AlignAbsolute);
    layout->addSpacing(8);
    layout->addLayout(neighbourRow);
    layout->addSpacing(8);
    layout->addLayout(sizes);
    layout->addLayout(choices);
    layout->addWidget(m_notebook);
    layout->addStretch(1);
    layout->addLayout(bottom);

    // A key or mouse button released in these controls runs the evaluation.
    m_evaluatingControls = {m_output, m_volume, m_neighbour, m_throughNeighbour, m_neighbourVolume};
    for (const Duct &duct : m_ducts)
        m_evaluatingControls << duct.length << duct.bends90 << duct.bends45 << duct.grilles;
    for (QObject *o : std::as_const(m_evaluatingControls))
        o->installEventFilter(this);

    // Tab in reading order.
    setTabChain({m_output, m_volume, m_neighbour, m_neighbourVolume, m_neighbourOpeningButtons->button(0),
                 m_neighbourOpeningButtons->button(1), m_neighbourOpeningButtons->button(2),
                 m_openingCountButtons->button(1), m_openingCountButtons->button(2), m_supplyButtons->button(0),
                 m_supplyButtons->button(1), m_throughNeighbour, m_ducts[0].name, m_ducts[1].name,
                 m_ducts[0].length, m_ducts[1].length, m_ducts[0].bends90, m_ducts[1].bends90, m_ducts[0].bends45,
                 m_ducts[1].bends45, m_ducts[0].grilles, m_ducts[1].grilles, help});
    // Typing starts with the total output.
    setFirstField(m_output);
}

QHBoxLayout *AufstellungsraumPage::buildRoomInputs()
{
    // Output and volume of the installation room.
    m_output = numberEdit("HRleistung", this, 6);
    m_volume = numberEdit("ARV", this, 6);
    m_volume->setToolTip(u"Rechte Maustaste für Volumenberechnung klicken"_qs);
    m_volume->installEventFilter(this);
    auto *inputs = new QHBoxLayout;
    inputs->addWidget(labelled(m_output, u"&Leistung"_qs, u"kW"_qs));
    inputs->addSpacing(24);
    inputs->addWidget(labelled(m_volume, u"&Volumen"_qs, u"m³"_qs));
    inputs->addStretch(1);

    m_goalByRoom = new QCheckBox(u"Schutzziel 1 mit Aufstellungsraum erreicht:"_qs, this);
    m_goalByRoom->setObjectName(u"arsz1checkbox"_qs);
    makeDisplayOnly(m_goalByRoom);
    captionFirst(m_goalByRoom);
    return inputs;
}

QHBoxLayout *AufstellungsraumPage::buildNeighbourRoom()
{
    // The neighbour room.
    m_neighbour = new QCheckBox(u"&Nachbarraum:"_qs, this);
    m_neighbour->setObjectName(u"NRaktiv"_qs);
    m_neighbour->setToolTip(u"Nachbarraum einbeziehen"_qs);
    captionFirst(m_neighbour);

    m_neighbourPanel = new QFrame(this);
    m_neighbourPanel->setObjectName(u"hrnrpanel"_qs);
    m_neighbourPanel->setFrameShape(QFrame::StyledPanel);
    m_neighbourVolume = numberEdit("NRV", m_neighbourPanel);
    m_neighbourVolume->setToolTip(u"Volumen des Nachbarraumes"_qs);
    m_neighbourOpenings = new QGroupBox(u"Lüftungsöffnungen zum Nachbarraum"_qs, m_neighbourPanel);
    m_neighbourOpenings->setObjectName(u"radiogroupNRloeff"_qs);
    m_neighbourOpenings->setToolTip(u"Lüftungsöffnungen zum Nachbarraum"_qs);
    m_neighbourOpeningButtons = new QButtonGroup(this);
    auto *openingsLayout = new QHBoxLayout(m_neighbourOpenings);
    const QStringList neighbourItems = {u"2 x 150 cm²"_qs, u"1 x 150 cm²"_qs, u"2 x   75 cm²"_qs};
    for (int i = 0; i < neighbourItems.size(); ++i) {
        auto *b = new QRadioButton(neighbourItems[i], m_neighbourOpenings);
        b->setObjectName(u"radiogroupNRloeff"_qs + QString::number(i));
        m_neighbourOpeningButtons->addButton(b, i);
        openingsLayout->addWidget(b);
    }
    m_goalWithNeighbour = new QCheckBox(u"Schutzziel 1 zusammen mit Nachbarraum erreicht:"_qs, m_neighbourPanel);
    m_goalWithNeighbour->setObjectName(u"arnrsz1checkbox"_qs);
    makeDisplayOnly(m_goalWithNeighbour);
    captionFirst(m_goalWithNeighbour);
    auto *panelLayout = new QVBoxLayout(m_neighbourPanel);
    auto *nrvRow = new QWidget(m_neighbourPanel);
    {
        auto *row = new QHBoxLayout(nrvRow);
        row->setContentsMargins(0, 0, 0, 0);
        auto *l = new QLabel(u"V&olumen"_qs, nrvRow);
        l->setBuddy(m_neighbourVolume);
        row->addWidget(l);
        row->addWidget(m_neighbourVolume);
        row->addWidget(new QLabel(u"m³"_qs, nrvRow));
        row->addStretch(1);
    }
    panelLayout->addWidget(nrvRow);
    panelLayout->addWidget(m_neighbourOpenings);
    panelLayout->addWidget(m_goalWithNeighbour, 0, Qt::AlignLeft | Qt::AlignAbsolute);
    auto *neighbourRow = new QHBoxLayout;
    neighbourRow->addWidget(m_neighbour, 0, Qt::AlignTop);
    neighbourRow->addWidget(m_neighbourPanel);
    neighbourRow->addStretch(1);
    return neighbourRow;
}

QHBoxLayout *AufstellungsraumPage::buildOpeningSizes()
{
    // Opening sizes.
    m_singleOpening = numberEdit("hrloeffs", this);
    m_twoOpenings = numberEdit("hrloeffs2", this);
    for (QLineEdit *e : {m_singleOpening, m_twoOpenings}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
    }
    auto *sizes = new QHBoxLayout;
    sizes->addWidget(new QLabel(u"Querschnitt der Lüftungsöffnung(en):"_qs, this));
    auto *oneBy = new QLabel(u"1 x"_qs, this);
    auto *orLabel = new QLabel(u"cm²   oder"_qs, this);
    sizes->addWidget(oneBy);
    sizes->addWidget(m_singleOpening);
    sizes->addWidget(orLabel);
    m_singleOpeningRow = {m_singleOpening, oneBy, orLabel};
    sizes->addWidget(new QLabel(u"2 x"_qs, this));
    sizes->addWidget(m_twoOpenings);
    sizes->addWidget(new QLabel(u"cm²"_qs, this));
    sizes->addStretch(1);
    return sizes;
}

QHBoxLayout *AufstellungsraumPage::buildChoices()
{
    // Number of openings and the supply variant.
    m_openingCount = new QGroupBox(u"Anzahl der Öffnungen"_qs, this);
    m_openingCount->setObjectName(u"hrllanzahl"_qs);
    m_openingCountButtons = new QButtonGroup(this);
    auto *countLayout = new QHBoxLayout(m_openingCount);
    for (int n : {1, 2}) {
        auto *b = new QRadioButton(QString::number(n), m_openingCount);
        b->setObjectName(u"hrllanzahl"_qs + QString::number(n));
        m_openingCountButtons->addButton(b, n);
        countLayout->addWidget(b);
    }
    m_supply = new QGroupBox(this);
    m_supply->setObjectName(u"hrll"_qs);
    m_supplyButtons = new QButtonGroup(this);
    auto *supplyLayout = new QVBoxLayout(m_supply);
    const QStringList supplyItems = {u"Zuluft über Öffnungen ins Freie"_qs,
                                     u"Zuluft über nachgeschaltete Lüftungsleitung"_qs};
    for (int i = 0; i < supplyItems.size(); ++i) {
        auto *b = new QRadioButton(supplyItems[i], m_supply);
        b->setObjectName(u"hrll"_qs + QString::number(i));
        m_supplyButtons->addButton(b, i);
        supplyLayout->addWidget(b);
    }
    auto *choices = new QHBoxLayout;
    choices->addWidget(m_openingCount);
    choices->addWidget(m_supply);
    choices->addStretch(1);
    return choices;
}

void AufstellungsraumPage::buildNotebook()
{
    // The notebook: openings to outside, or ducts behind them.
    m_notebook = new QStackedWidget(this);
    m_notebook->setObjectName(u"Notebook1"_qs);
    auto *outsidePage = new QGroupBox(u"Zuluft über Öffnungen ins Freie"_qs, m_notebook);
    outsidePage->setObjectName(u"Notebook1page0"_qs);
    m_goalOutside = new QCheckBox(u"Schutzziel 1 mit Öffnungen ins Freie erreicht"_qs, outsidePage);
    m_goalOutside->setObjectName(u"arsz1freibox"_qs);
    makeDisplayOnly(m_goalOutside);
    m_throughNeighbour =
        new QCheckBox(u"&Zuluft durch Nachbarraum hindurch mit Öffnung 1x 150 cm² ins Freie"_qs, outsidePage);
    m_throughNeighbour->setObjectName(u"hrnrzuluft"_qs);
    auto *outsideLayout = new QVBoxLayout(outsidePage);
    outsideLayout->addWidget(m_throughNeighbour);
    outsideLayout->addWidget(m_goalOutside);
    outsideLayout->addStretch(1);

    m_notebook->addWidget(outsidePage);
    m_notebook->addWidget(buildDuctPage());
}

QWidget *AufstellungsraumPage::buildDuctPage()
{
    const QFontMetrics fm(font());
    auto *ductPage = new QGroupBox(u"Luftversorgung über nachgeschaltete Lüftungsleitung(en)"_qs, m_notebook);
    ductPage->setObjectName(u"Notebook1page1"_qs);
    auto *ductGrid = new QGridLayout(ductPage);
    const char *const suffix[2] = {"", "2"};
    const QStringList rowLabels = {QString(), u"Länge"_qs, u"Bögen 90°"_qs, u"Bögen 45°"_qs, u"Gitter"_qs,
                                   u"Querschnitt der Lüftungsleitung"_qs};
    for (int r = 1; r < rowLabels.size(); ++r)
        ductGrid->addWidget(new QLabel(rowLabels[r], ductPage), r, 0);
    for (int d = 0; d < 2; ++d) {
        Duct &duct = m_ducts[d];
        auto name = [&](const char *base) { return QString::fromLatin1(base) + QString::fromLatin1(suffix[d]); };
        duct.name = new QComboBox(ductPage);
        duct.name->setObjectName(name("hrllname"));
        duct.name->setEditable(true);
        duct.name->setInsertPolicy(QComboBox::NoInsert);
        duct.name->addItems(kDuctNames);
        duct.name->setCurrentIndex(-1);
        duct.name->setMinimumWidth(fm.averageCharWidth() * 18);
        duct.length = numberEdit(d == 0 ? "hrlllaenge" : "hrlllaenge2", ductPage);
        duct.bends90 = numberEdit(d == 0 ? "hrllu90" : "hrllu902", ductPage);
        duct.bends45 = numberEdit(d == 0 ? "hrllu45" : "hrllu452", ductPage);
        duct.grilles = numberEdit(d == 0 ? "hrllgitter" : "hrllgitter2", ductPage);
        duct.area = numberEdit(d == 0 ? "hrllS" : "hrlls2", ductPage);
        duct.area->setReadOnly(true);
        duct.area->setFocusPolicy(Qt::NoFocus);
        // Enabled once the iteration settled for this duct, and from then on.
        duct.area->setEnabled(false);
        const int col = 1 + 2 * d;
        auto *lengthUnit = new QLabel(u"m"_qs, ductPage);
        auto *areaUnit = new QLabel(u"cm²"_qs, ductPage);
        ductGrid->addWidget(duct.name, 0, col, 1, 2);
        ductGrid->addWidget(duct.length, 1, col);
        ductGrid->addWidget(lengthUnit, 1, col + 1);
        ductGrid->addWidget(duct.bends90, 2, col);
        ductGrid->addWidget(duct.bends45, 3, col);
        ductGrid->addWidget(duct.grilles, 4, col);
        ductGrid->addWidget(duct.area, 5, col);
        ductGrid->addWidget(areaUnit, 5, col + 1);
        duct.column = {duct.name, duct.length, lengthUnit, duct.bends90, duct.bends45, duct.grilles, duct.area, areaUnit};
    }
    ductGrid->setColumnMinimumWidth(2, 24);
    ductGrid->setColumnStretch(5, 1);
    ductGrid->setRowStretch(6, 1);
    return ductPage;
}

void AufstellungsraumPage::bind()
{
    m_bindings = new BindingSet(m_store, this);
    m_bindings->add<LineEditBinding>(u"Hrleistung"_qs, m_output);
    m_bindings->add<LineEditBinding>(u"Hrvolumen"_qs, m_volume);
    m_bindings->add<CheckBoxBinding>(u"Hrnrvorhanden"_qs, m_neighbour);
    m_bindings->add<LineEditBinding>(u"Hrnrvolumen"_qs, m_neighbourVolume);
    m_bindings->add<ButtonGroupBinding>(u"Hrnrloeff"_qs, m_neighbourOpeningButtons, m_neighbourOpenings);
    m_bindings->add<CheckBoxBinding>(u"Hrnrsz1"_qs, m_goalWithNeighbour)->showOnly();
    m_bindings->add<CheckBoxBinding>(u"Hrsz1"_qs, m_goalByRoom)->showOnly();
    m_bindings->add<ButtonGroupBinding>(u"Hrllanzahl"_qs, m_openingCountButtons, m_openingCount);
    m_bindings->add<ButtonGroupBinding>(u"Hrll"_qs, m_supplyButtons, m_supply);
    m_bindings->add<CheckBoxBinding>(u"Hrsz1insfreie"_qs, m_goalOutside)->showOnly();
    m_bindings->add<CheckBoxBinding>(u"Hrnrzuluft"_qs, m_throughNeighbour);
    for (int d = 0; d < 2; ++d) {
        const Duct &duct = m_ducts[d];
        auto f = [&](const char *one, const char *two) { return QString::fromLatin1(d == 0 ? one : two); };
        m_bindings->add<ComboTextBinding>(f("Hrllname", "Hrllname2"), duct.name);
        m_bindings->add<LineEditBinding>(f("Hrlllaenge", "Hrlllaenge2"), duct.length);
        m_bindings->add<LineEditBinding>(f("Hrllu90", "Hrllu902"), duct.bends90);
        m_bindings->add<LineEditBinding>(f("Hrllu45", "Hrllu452"), duct.bends45);
        m_bindings->add<LineEditBinding>(f("Hrllgitter", "Hrllgitter2"), duct.grilles);
        m_bindings->add<LineEditBinding>(f("HrllS", "Hrlls2"), duct.area);
    }

    // Choices evaluate after their binding has written them.
    connect(m_neighbour, &QCheckBox::clicked, this, &AufstellungsraumPage::evaluate);
    connect(m_throughNeighbour, &QCheckBox::clicked, this, &AufstellungsraumPage::evaluate);
    connect(m_neighbourOpeningButtons, &QButtonGroup::idClicked, this, &AufstellungsraumPage::evaluate);
    connect(m_openingCountButtons, &QButtonGroup::idClicked, this, &AufstellungsraumPage::evaluate);
    connect(m_supplyButtons, &QButtonGroup::idClicked, this, [this](int variant) {
        m_notebook->setCurrentIndex(variant == 1 ? 1 : 0);
        evaluate();
    });
}

bool AufstellungsraumPage::commitEdits()
{
    return m_bindings->commitAll();
}

// --- evaluation ------------------------------------------------------------------

void AufstellungsraumPage::evaluate()
{
    if (!m_store->isOpen() || m_store->currentRow() < 0 || !m_store->edit())
        return;
    PageInput in;
    in.record = m_store->current();
    in.outputText = m_output->text();
    in.volumeText = m_volume->text();
    in.neighbourVolumeText = m_neighbourVolume->text();
    for (int d = 0; d < 2; ++d) {
        const Duct &duct = m_ducts[d];
        installationroom::DuctTexts &t = d == 0 ? in.duct1 : in.duct2;
        t = {duct.length->text(), duct.bends90->text(), duct.bends45->text(), duct.grilles->text()};
    }
    in.duct1DisplayEnabled = m_ductDisplayEnabled[0];
    in.duct2DisplayEnabled = m_ductDisplayEnabled[1];
    apply(installationroom::evaluate(in), true);
}

void AufstellungsraumPage::enablenr()
{
    if (!m_store->isOpen())
        return;
    PageInput in = PageInput::fromRecord(m_store->current());
    in.duct1DisplayEnabled = m_ductDisplayEnabled[0];
    in.duct2DisplayEnabled = m_ductDisplayEnabled[1];
    const PageState state = installationroom::enablenr(in);
    // A forced choice has been evaluated like a click; its results are written too.
    const bool evaluated = !state.forcedSelections.empty();
    apply(state, evaluated);
    if (!evaluated)
        showOpeningSizesFromRecord();
}

void AufstellungsraumPage::apply(const PageState &state, bool showOpeningTexts)
{
    if (!state.writtenFields.isEmpty() && m_store->currentRow() >= 0 && m_store->edit()) {
        for (const QString &field : state.writtenFields) {
            const QVariant v = state.record.value(field);
            if (m_store->current().value(field) != v || m_store->current().isNull(field) != !v.isValid())
                m_store->setFieldValue(field, v);
        }
    }

    const installationroom::PageControls &control = state.controls;
    m_neighbour->setEnabled(control.NRaktiv.enabled);
    m_neighbourPanel->setVisible(control.hrnrpanel.visible);
    m_throughNeighbour->setEnabled(control.hrnrzuluft.enabled);
    m_goalWithNeighbour->setEnabled(control.arnrsz1checkbox.enabled);
    m_goalOutside->setEnabled(control.arsz1freibox.enabled);
    m_openingCount->setEnabled(control.hrllanzahl.enabled);
    for (QWidget *w : std::as_const(m_singleOpeningRow))
        w->setVisible(control.hrloeffs.visible);
    m_supply->setEnabled(control.hrll.enabled);
    for (QWidget *w : std::as_const(m_ducts[1].column))
        w->setVisible(control.hrllname2.visible);
    m_ductDisplayEnabled[0] = state.duct1DisplayEnabled;
    m_ductDisplayEnabled[1] = state.duct2DisplayEnabled;
    m_ducts[0].area->setEnabled(m_ductDisplayEnabled[0]);
    m_ducts[1].area->setEnabled(m_ductDisplayEnabled[1]);
    m_notebook->setCurrentIndex(state.notebookPage);

    if (showOpeningTexts) {
        m_singleOpening->setText(state.singleOpeningText);
        m_twoOpenings->setText(state.twoOpeningsText);
    }
}

void AufstellungsraumPage::showOpeningSizesFromRecord()
{
    const Record &r = m_store->current();
    m_singleOpening->setText(generalText(r, u"HrloeffS"_qs));
    m_twoOpenings->setText(generalText(r, u"Hrloeffs2"_qs));
}

// --- events ------------------------------------------------------------------------

bool AufstellungsraumPage::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == m_volume) {
        if (type == QEvent::MouseButtonPress && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            openVolumeCalculator();
            return true;
        }
        if (type == QEvent::ContextMenu) {
            // The right button opened the calculator on its press; the menu key opens it too.
            if (static_cast<QContextMenuEvent *>(event)->reason() != QContextMenuEvent::Mouse)
                openVolumeCalculator();
            return true;
        }
    }
    if (m_evaluatingControls.contains(watched)) {
        if (type == QEvent::KeyRelease) {
            // A check box toggled by the space key evaluates on its click.
            auto *key = static_cast<QKeyEvent *>(event);
            if (!(qobject_cast<QCheckBox *>(watched) && key->key() == Qt::Key_Space) && !key->isAutoRepeat())
                evaluate();
        } else if (type == QEvent::MouseButtonRelease && !qobject_cast<QCheckBox *>(watched)) {
            evaluate();
        }
    }
    return PageBase::eventFilter(watched, event);
}

void AufstellungsraumPage::openVolumeCalculator()
{
    if (!m_store->isOpen() || m_store->currentRow() < 0)
        return;
    m_volume->setFocus(Qt::MouseFocusReason);
    m_volumeDialog->calculate(m_store, roomvolume::installationRoomFields(),
                              m_defaultRoomHeight ? m_defaultRoomHeight() : roomvolume::kDefaultRoomHeight,
                              [this](bool) { evaluate(); });
}
