#include "luftverbundpage.h"

#include "controlbindings.h"
#include "fieldbinding.h"
#include "keyevents.h"
#include "llberdlg.h"
#include "meldform.h"
#include "messagebox.h"
#include "numberformat.h"
#include "okform.h"
#include "recordstore.h"
#include "roommodel.h"
#include "roomvolume.h"
#include "tabchain.h"
#include "textlists.h"
#include "voldialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

// A volume or output edit whose typed number is written only when it passes
// the page's entry check.
class NumberEntryBinding : public LineEditBinding {
public:
    NumberEntryBinding(TableStore *store, const QString &field, QLineEdit *edit, LuftverbundPage *page,
                       QObject *parent = nullptr)
        : LineEditBinding(store, field, edit, parent)
        , m_page(page)
        , m_edit(edit)
    {
    }

    bool commit() override
    {
        if (hasPendingText() && !m_page->commitAllowed(m_edit))
            return false;
        return LineEditBinding::commit();
    }

private:
    LuftverbundPage *m_page;
    QLineEdit *m_edit;
};

namespace {

// The eight room rows, RA first: the caption with its Alt key (Alt+A goes to
// RA's name, Alt+1 … Alt+7 to the other rooms' names) and the control names.
// A row without a name for a control lacks it: the interconnection mark is
// R1's and R2's, the opening and connected-with lists (with the residual
// volume) are R1..R7's.  The fields they edit are the room fields of the
// record (roomFields).
struct RowDescription {
    const char16_t *caption;
    const char *name, *mark, *volume, *output, *appliance, *outside, *opening, *connected;
};
constexpr RowDescription kRows[8] = {
    {u"R&A", "RA", "", "RAV", "ran", "raart", "ratof", "", ""},
    {u"R&1", "r1", "r1vr", "r1v", "r1n", "r1art", "r1tof", "r1oeff", "r1vmit"},
    {u"R&2", "r2", "r2vr", "r2v", "r2n", "r2art", "r2tof", "r2oeff", "r2vmit"},
    {u"R&3", "r3", "", "r3v", "r3n", "r3art", "r3tof", "r3oeff", "r3vmit"},
    {u"R&4", "r4", "", "r4v", "r4n", "r4art", "r4tof", "r4oeff", "r4vmit"},
    {u"R&5", "r5", "", "r5v", "r5n", "r5art", "r5tof", "r5oeff", "r5vmit"},
    {u"R&6", "r6", "", "r6v", "r6n", "r6art", "r6tof", "r6oeff", "r6vmit"},
    {u"R&7", "r7", "", "r7v", "r7n", "r7art", "r7tof", "r7oeff", "r7vmit"},
};

// The connected-with lists: the position chosen is the code of the room
// (1 RA, 2 R1, 3 R2).
const QStringList kListA = {QString(), u"RA"_qs};
const QStringList kListB = {QString(), u"RA"_qs, u"R1"_qs};
const QStringList kListC = {QString(), u"RA"_qs, u"R1"_qs, u"R2"_qs};

const QStringList kFireplaceKinds = {u"---"_qs, u"OK"_qs, u"OK"_qs, u"KO"_qs};

const QString kVolumeHint = u"Rechte Maustaste für Volumenberechnung klicken"_qs;
const QString kMarkingMessage =
    u"Verbundräume von oben nach unten markieren, bzw. Markierungen von unten nach oben entfernen!"_qs;

// Grid columns of the page.
enum Column {
    ColLabel, ColName, ColMark, ColVolume, ColOutput, ColAppliance, ColOutside, ColOpening, ColConnected,
    ColGap, ColPanelCaption, ColCreditable, ColRest, ColCount
};
constexpr int kHeadingRow = 1;
constexpr int kFirstRoomRow = 2;   // RA; the fireplace row follows, then R1..R7
constexpr int kFireplaceRow = 3;

int gridRowOf(int room)
{
    return room == 0 ? kFirstRoomRow : kFireplaceRow + room;
}
constexpr int kTotalsRow = kFireplaceRow + 8;

const QColor kPanelColour(191, 191, 104);
const QColor kCalculated(0, 0, 0);
const QColor kStale(128, 128, 128);

void setTextColour(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    p.setColor(QPalette::ButtonText, c);
    w->setPalette(p);
}


} // namespace

LuftverbundPage::LuftverbundPage(RecordStore *store, TVolDialog *volumeDialog,
                                 std::function<double()> defaultRoomHeight, QWidget *parent)
    : PageBase(parent)
    , m_store(store)
    , m_volumeDialog(volumeDialog)
    , m_defaultRoomHeight(std::move(defaultRoomHeight))
{
    setObjectName(u"luftverbund"_qs);
    setHelpTopic(u"::/luftverbundberechnung.htm"_qs);

    // The dialogs of the page, made once and reused.
    m_meldform = new Tmeldform(this);
    m_okform = new TOKform(this);
    m_llberdlg = new Tllberdlg(this);
    for (DialogBase *d : {static_cast<DialogBase *>(m_meldform), static_cast<DialogBase *>(m_okform),
                          static_cast<DialogBase *>(m_llberdlg)})
        connect(d, &DialogBase::helpRequested, this, &PageBase::helpRequested);
    connect(m_okform, &QDialog::accepted, this, [this] {
        if (!m_store->edit())
            return;
        const int kind = m_okform->kind();
        m_store->setFieldValue(u"Okraum1"_qs, kind);
        double output = 0.0;
        m_store->setFieldValue(u"Okqn1"_qs, numfmt::parse(m_okform->outputText(), &output) ? QVariant(output)
                                                                                              : QVariant());
        m_store->setFieldText(u"Okqs1"_qs, m_okform->areaText());
        selectFireplaceKind();
        ungerechnet();
    });

    build();
    bind();

    // Opening the table, every move, a cancel and a save reload the current
    // record as a whole; the unbound lists and the colours follow it then.
    connect(m_store, &TableStore::currentReloaded, this, &LuftverbundPage::refreshFromRecord);
    connect(m_store, &TableStore::fieldChanged, this, &LuftverbundPage::fieldChanged);
    m_bindings->refreshAll();
    refreshFromRecord();
}

LuftverbundPage::~LuftverbundPage() = default;

// --- construction ----------------------------------------------------------------

void LuftverbundPage::build()
{
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    const QFontMetrics fm(font());
    const int numberWidth = numberFieldWidth();

    buildHeadings(grid);
    for (int i = 0; i < 8; ++i)
        buildRoomRow(grid, i);
    // R1 is only ever joined with RA: its list is shown, not chosen.
    m_rows[1].connected->setEnabled(false);
    buildFireplaceRow(grid);
    buildTotals(grid);
    QPushButton *help = buildButtons(grid);

    grid->setColumnMinimumWidth(ColGap, 8);
    grid->setColumnMinimumWidth(ColPanelCaption, fm.horizontalAdvance(u"Σ QLan"_qs) + 12);
    grid->setColumnMinimumWidth(ColCreditable, numberWidth + 14);
    grid->setColumnMinimumWidth(ColRest, numberWidth + 14);
    // The rows keep their natural width; spare room goes to the right of the panel.
    grid->setColumnStretch(ColCount, 1);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 12, 16, 12);
    outer->addLayout(grid);
    outer->addStretch(1);

    // The page's push buttons never act as a dialog's default: Enter is the page's.
    for (QPushButton *b : findChildren<QPushButton *>(Qt::FindDirectChildrenOnly))
        b->setAutoDefault(false);

    setReadingOrder(help);
}

int LuftverbundPage::numberFieldWidth() const
{
    return QFontMetrics(font()).horizontalAdvance(u"00000,0"_qs) + 12;
}

QLabel *LuftverbundPage::panelLabel(QGridLayout *grid, const QString &text, int row, int col, Qt::Alignment align)
{
    auto *l = new QLabel(text, this);
    l->setAlignment(align);
    l->setContentsMargins(6, 0, 8, 0);
    grid->addWidget(l, row, col);
    m_resultWidgets << l;
    return l;
}

void LuftverbundPage::buildHeadings(QGridLayout *grid)
{
    const QFontMetrics fm(font());

    // The results panel lies behind its column of the grid, from the headings
    // down to the two protection goals; its captions and values sit on it.
    auto *panel = new QFrame(this);
    panel->setObjectName(u"ergebnispanel"_qs);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    QPalette pp = panel->palette();
    pp.setColor(QPalette::Window, kPanelColour);
    panel->setPalette(pp);
    grid->addWidget(panel, kHeadingRow, ColPanelCaption, kTotalsRow + 3 - kHeadingRow, ColCount - ColPanelCaption);

    auto heading = [&](const QString &text, int col, int span = 1) {
        auto *l = new QLabel(text, this);
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        grid->addWidget(l, kHeadingRow, col, 1, span);
        return l;
    };
    heading(u"Raumbezeichnung"_qs, ColName);
    heading(u"Verbund-\nraum"_qs, ColMark)->setWordWrap(false);
    heading(u"Volumen"_qs, ColVolume);
    heading(u"NWL [KW]"_qs, ColOutput);
    heading(u"Art der Feuerstätte"_qs, ColAppliance);
    heading(u"Türe/ Fenster i. Freie"_qs, ColOutside)->setMaximumWidth(fm.horizontalAdvance(u"Fenster i."_qs) + 8);
    heading(u"Öffnungen in Richtung RA"_qs, ColOpening);
    heading(u"Verbunden mit"_qs, ColConnected);

    auto *note = new QLabel(u"Reicht das Raumvolumen für das Schuzziel 1 (1m³ / 1kW) aus, genügt eine Öffnung von 150 cm² "_qs,
                            this);
    note->setObjectName(u"hinweis"_qs);
    note->setWordWrap(true);
    QFont small = note->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    note->setFont(small);
    setTextColour(note, QColor(0, 128, 128));
    grid->addWidget(note, 0, ColOpening, 1, 2);

    // Results headings: Q with the index "Lanr" over [kW], the residual volume over [m³].
    panelLabel(grid, u"Q<sub>Lanr</sub><br>[kW]"_qs, kHeadingRow, ColCreditable, Qt::AlignRight | Qt::AlignBottom)
        ->setObjectName(u"qlanrheading"_qs);
    panelLabel(grid, u"Rest-<br>volumen<br>[m³]"_qs, kHeadingRow, ColRest, Qt::AlignRight | Qt::AlignBottom)
        ->setObjectName(u"restvolumenheading"_qs);
}

void LuftverbundPage::buildRoomRow(QGridLayout *grid, int i)
{
    const QFontMetrics fm(font());
    const int numberWidth = numberFieldWidth();
    const RowDescription &n = kRows[i];
    Row &row = m_rows[size_t(i)];
    const int r = gridRowOf(i);

    row.label = new QLabel(QString::fromUtf16(n.caption), this);
    row.label->setObjectName(u"label"_qs + slotLabel(i));
    grid->addWidget(row.label, r, ColLabel);

    row.name = new QComboBox(this);
    row.name->setObjectName(QString::fromLatin1(n.name));
    row.name->setEditable(true);
    row.name->setInsertPolicy(QComboBox::NoInsert);
    row.name->setMinimumWidth(fm.averageCharWidth() * 22);
    row.label->setBuddy(row.name);
    grid->addWidget(row.name, r, ColName);

    if (*n.mark) {
        row.mark = new QCheckBox(this);
        row.mark->setObjectName(QString::fromLatin1(n.mark));
        grid->addWidget(row.mark, r, ColMark, Qt::AlignCenter);
        row.mark->installEventFilter(this);
        connect(row.mark, &QCheckBox::clicked, this, [this, i](bool on) { markClicked(i, on); });
        connect(row.mark, &QCheckBox::toggled, this, &LuftverbundPage::populate);
    }

    row.volume = new QLineEdit(this);
    row.volume->setObjectName(QString::fromLatin1(n.volume));
    row.volume->setToolTip(kVolumeHint);
    row.output = new QLineEdit(this);
    row.output->setObjectName(QString::fromLatin1(n.output));
    for (QLineEdit *e : {row.volume, row.output}) {
        e->setFixedWidth(numberWidth);
        e->setAlignment(Qt::AlignRight);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this, &LuftverbundPage::ungerechnet);
    }
    grid->addWidget(row.volume, r, ColVolume);
    grid->addWidget(row.output, r, ColOutput);

    row.appliance = new QComboBox(this);
    row.appliance->setObjectName(QString::fromLatin1(n.appliance));
    row.appliance->setEditable(true);
    row.appliance->setInsertPolicy(QComboBox::NoInsert);
    row.appliance->setMinimumWidth(fm.averageCharWidth() * 18);
    grid->addWidget(row.appliance, r, ColAppliance);

    row.outside = new QCheckBox(this);
    row.outside->setObjectName(QString::fromLatin1(n.outside));
    row.outside->installEventFilter(this);
    grid->addWidget(row.outside, r, ColOutside, Qt::AlignCenter);

    if (*n.opening)
        buildJoinColumns(grid, i);
    row.creditable = panelLabel(grid, QString(), r, ColCreditable);
    row.creditable->setObjectName(roomFields(i).creditableOutput);
}

void LuftverbundPage::buildJoinColumns(QGridLayout *grid, int i)
{
    const QFontMetrics fm(font());
    const RowDescription &n = kRows[i];
    Row &row = m_rows[size_t(i)];
    const int r = gridRowOf(i);

    row.opening = new QComboBox(this);
    row.opening->setObjectName(QString::fromLatin1(n.opening));
    for (int code = 0; code < kOpeningTypeCount; ++code)
        row.opening->addItem(openingTypeLabel(code));
    row.opening->installEventFilter(this);
    connect(row.opening, &QComboBox::activated, this, [this, i](int pos) { openingChosen(i, pos); });
    grid->addWidget(row.opening, r, ColOpening);

    row.connected = new QComboBox(this);
    row.connected->setObjectName(QString::fromLatin1(n.connected));
    row.connected->addItems(kListA);
    row.connected->setMinimumWidth(fm.horizontalAdvance(u"RA"_qs) * 3 + 24);
    row.connected->installEventFilter(this);
    connect(row.connected, &QComboBox::activated, this, [this, i](int pos) { connectedChosen(i, pos); });
    grid->addWidget(row.connected, r, ColConnected);

    row.rest = panelLabel(grid, QString(), r, ColRest);
    row.rest->setObjectName(roomFields(i).restVolume);
}

void LuftverbundPage::buildFireplaceRow(QGridLayout *grid)
{
    const int numberWidth = numberFieldWidth();

    // The fireplace row: the open fireplace or tiled stove in RA and its duct.
    auto *fireplaceLabel = new QLabel(u"RA"_qs, this);
    grid->addWidget(fireplaceLabel, kFireplaceRow, ColLabel);
    m_okCalc = new QPushButton(u"&OK / KO"_qs, this);
    m_okCalc->setObjectName(u"OKcalcbtn1"_qs);
    m_okCalc->setToolTip(u"Offener Kamin / Kachelofen berechnen"_qs);
    connect(m_okCalc, &QPushButton::clicked, this, &LuftverbundPage::okCalc);
    grid->addWidget(m_okCalc, kFireplaceRow, ColName, Qt::AlignLeft);

    m_okOutput = new QLineEdit(this);
    m_okOutput->setObjectName(u"OKN1"_qs);
    m_okOutput->setReadOnly(true);
    m_okOutput->setEnabled(false);
    m_okOutput->setFixedWidth(numberWidth);
    m_okOutput->setAlignment(Qt::AlignRight);
    m_okOutput->setToolTip(u"OK / Klicken zum Berechnen"_qs);
    grid->addWidget(m_okOutput, kFireplaceRow, ColOutput);

    m_okKind = new QComboBox(this);
    m_okKind->setObjectName(u"okraum1"_qs);
    m_okKind->addItems(kFireplaceKinds);
    m_okKind->setEnabled(false);
    grid->addWidget(m_okKind, kFireplaceRow, ColAppliance, Qt::AlignLeft);

    m_duct = new QCheckBox(u"&Zuluftl."_qs, this);
    m_duct->setObjectName(u"zuluftcheckbox"_qs);
    m_duct->setToolTip(u"Zuluftleitung für Offenen Kamin / Kachelofen"_qs);
    m_duct->installEventFilter(this);
    connect(m_duct, &QCheckBox::clicked, this, &LuftverbundPage::enableDuct);
    m_ductButton = new QPushButton(u"&Leitung …"_qs, this);
    m_ductButton->setObjectName(u"llberbtn"_qs);
    m_ductButton->setToolTip(u"Zuluftleitung berechnen"_qs);
    connect(m_ductButton, &QPushButton::clicked, this, &LuftverbundPage::ductDialog);

    auto *ductRow = new QHBoxLayout;
    ductRow->addWidget(m_duct);
    ductRow->addWidget(m_ductButton);
    ductRow->addStretch(1);
    ductRow->addWidget(buildDuctBox());
    grid->addLayout(ductRow, kFireplaceRow, ColOutside, 1, 3);
}

QFrame *LuftverbundPage::buildDuctBox()
{
    const int numberWidth = numberFieldWidth();
    auto *ductBox = new QFrame(this);
    ductBox->setObjectName(u"zuluftrahmen"_qs);
    ductBox->setFrameShape(QFrame::StyledPanel);
    auto *ductLayout = new QGridLayout(ductBox);
    ductLayout->setContentsMargins(6, 2, 6, 2);
    ductLayout->setVerticalSpacing(2);
    auto ductValue = [&](const char *name, const QString &caption, int line) {
        auto *e = new QLineEdit(ductBox);
        e->setObjectName(QString::fromLatin1(name));
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        e->setFixedWidth(numberWidth);
        e->setAlignment(Qt::AlignRight);
        ductLayout->addWidget(new QLabel(caption, ductBox), line, 0);
        ductLayout->addWidget(e, line, 1);
        ductLayout->addWidget(new QLabel(u"kW"_qs, ductBox), line, 2);
        return e;
    };
    m_ductSupplied = ductValue("okllptext", u"Versorgte Leistung"_qs, 0);
    m_ductUnsupplied = ductValue("okunversorgttext", u"Unversorgte Leistung"_qs, 1);
    return ductBox;
}

void LuftverbundPage::buildTotals(QGridLayout *grid)
{
    const int numberWidth = numberFieldWidth();

    // Totals and the existing-installation protection.
    m_vsum = new QLineEdit(this);
    m_vsum->setObjectName(u"Vsum"_qs);
    m_vsum->setToolTip(u"Gesamtvolumen"_qs);
    m_psum = new QLineEdit(this);
    m_psum->setObjectName(u"Psum"_qs);
    m_psum->setToolTip(u"Über Luftverbund zu versorgen"_qs);
    for (QLineEdit *e : {m_vsum, m_psum}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        e->setFixedWidth(numberWidth);
        e->setAlignment(Qt::AlignRight);
        m_resultWidgets << e;
    }
    grid->addWidget(m_vsum, kTotalsRow, ColVolume);
    grid->addWidget(m_psum, kTotalsRow, ColOutput);

    auto *sumCaption = panelLabel(grid, u"Σ Q<sub>Lan</sub>"_qs, kTotalsRow, ColPanelCaption, Qt::AlignLeft | Qt::AlignVCenter);
    sumCaption->setObjectName(u"qlansumcaption"_qs);
    m_qlansum = panelLabel(grid, QString(), kTotalsRow, ColCreditable);
    m_qlansum->setObjectName(u"Qlansum"_qs);
    QFont bold = m_qlansum->font();
    bold.setBold(true);
    m_qlansum->setFont(bold);

    // The two protection goals, on a pale background within the panel.
    auto *goals = new QFrame(this);
    goals->setObjectName(u"schutzzielrahmen"_qs);
    goals->setAutoFillBackground(true);
    QPalette gp = goals->palette();
    gp.setColor(QPalette::Window, gp.color(QPalette::ToolTipBase));
    goals->setPalette(gp);
    auto *goalsLayout = new QVBoxLayout(goals);
    goalsLayout->setContentsMargins(6, 4, 6, 4);
    m_sz1 = new QCheckBox(u"Schutzziel 1 erreicht"_qs, goals);
    m_sz1->setObjectName(u"Sz1"_qs);
    m_sz2 = new QCheckBox(u"Schutzziel 2 erreicht"_qs, goals);
    m_sz2->setObjectName(u"Sz2"_qs);
    for (QCheckBox *b : {m_sz1, m_sz2}) {
        makeDisplayOnly(b);
        goalsLayout->addWidget(b);
        m_resultWidgets << b;
    }
    grid->addWidget(goals, kTotalsRow + 1, ColPanelCaption, 2, ColCount - ColPanelCaption);

    m_bschutz = new QCheckBox(u"Bestand&sschutz für Altanlagen (Gesamtleistung der Gasfeuerstätten > 35 KW) "_qs, this);
    m_bschutz->setObjectName(u"bschutzcheckbox"_qs);
    grid->addWidget(m_bschutz, kTotalsRow + 1, ColName, 1, ColConnected - ColName + 1);
}

QPushButton *LuftverbundPage::buildButtons(QGridLayout *grid)
{
    m_rechnen = new QPushButton(u"Be&rechnen"_qs, this);
    m_rechnen->setObjectName(u"rechenbtn"_qs);
    m_rechnen->setDefault(true);
    setDefaultButton(m_rechnen);
    connect(m_rechnen, &QPushButton::clicked, this, &LuftverbundPage::rechnen);
    QPushButton *help = makeHelpButton(u"hilfebtn1"_qs);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_rechnen);
    buttons->addSpacing(12);
    buttons->addWidget(help);
    buttons->addStretch(1);
    grid->addLayout(buttons, kTotalsRow + 2, ColName, 1, ColConnected - ColName + 1);
    return help;
}

void LuftverbundPage::setReadingOrder(QPushButton *help)
{
    // Tab walks the page row by row, as it is read.
    QList<QWidget *> chain;
    for (int i = 0; i < 8; ++i) {
        const Row &row = m_rows[size_t(i)];
        chain << row.name << row.mark << row.volume << row.output << row.appliance << row.outside << row.opening
              << row.connected;
        if (i == 0)
            chain << m_okCalc << m_duct << m_ductButton;
    }
    chain << m_bschutz << m_rechnen << help;
    setTabChain(chain);
    // Typing starts with the installation room's name.
    setFirstField(m_rows[0].name);
}

void LuftverbundPage::bind()
{
    m_bindings = new BindingSet(m_store, this);
    for (int i = 0; i < 8; ++i) {
        const Row &row = m_rows[size_t(i)];
        const RoomFieldNames &f = roomFields(i);
        m_bindings->add<ComboTextBinding>(f.name, row.name);
        m_bindings->editOnContextMenu(row.name->lineEdit());
        if (row.mark)
            m_bindings->add<CheckBoxBinding>(f.mark, row.mark)->showOnly();
        m_bindings->add<NumberEntryBinding>(f.volume, row.volume, this);
        m_bindings->add<NumberEntryBinding>(f.output, row.output, this);
        m_bindings->add<ComboTextBinding>(f.appliance, row.appliance);
        m_bindings->editOnContextMenu(row.appliance->lineEdit());
        m_bindings->add<CheckBoxBinding>(f.outsideOpening, row.outside);
        m_bindings->add<LabelBinding>(f.creditableOutput, row.creditable);
        if (row.rest)
            m_bindings->add<LabelBinding>(f.restVolume, row.rest);
    }
    m_bindings->add<LineEditBinding>(u"Okqn1"_qs, m_okOutput);
    m_bindings->add<CheckBoxBinding>(u"Okll"_qs, m_duct);
    m_bindings->add<LineEditBinding>(u"OkllP"_qs, m_ductSupplied);
    m_bindings->add<LineEditBinding>(u"Okunversorgt"_qs, m_ductUnsupplied);
    m_bindings->add<LineEditBinding>(u"Vsum"_qs, m_vsum);
    m_bindings->add<LineEditBinding>(u"Psum"_qs, m_psum);
    m_bindings->add<CheckBoxBinding>(u"Bschutz"_qs, m_bschutz);
    m_bindings->add<LabelBinding>(u"Qlansum"_qs, m_qlansum);
    m_bindings->add<CheckBoxBinding>(u"Sz1"_qs, m_sz1)->showOnly();
    m_bindings->add<CheckBoxBinding>(u"Sz2"_qs, m_sz2)->showOnly();
}

void LuftverbundPage::loadTextLists(const TextLists &lists)
{
    const QStringList rooms = lists.choices(TextLists::RoomNames);
    const QStringList appliances = lists.choices(TextLists::ApplianceTypes);
    for (const Row &row : m_rows) {
        setComboChoices(row.name, rooms);
        setComboChoices(row.appliance, appliances);
    }
}

// --- mirroring the record ----------------------------------------------------------

void LuftverbundPage::refreshFromRecord()
{
    // The bound controls have refreshed themselves already.
    const Record &r = m_store->current();
    populate();
    // The unbound lists show the record's codes; a code beyond a list leaves
    // it without selection, and the record keeps its value.
    for (int i = 1; i < 8; ++i) {
        const Row &row = m_rows[size_t(i)];
        const RoomFieldNames &f = roomFields(i);
        for (auto [combo, field] : {std::pair{row.opening, f.openingType}, std::pair{row.connected, f.connectedWith}}) {
            const int code = r.integer(field);
            const QSignalBlocker block(combo);
            combo->setCurrentIndex(code >= 0 && code < combo->count() ? code : -1);
        }
    }
    selectFireplaceKind();
    setcolors(r.boolean(u"Gerechnet"_qs));
    enableDuct(r.boolean(u"Okll"_qs));
}

void LuftverbundPage::fieldChanged(const QString &name)
{
    const Record &r = m_store->current();
    if (name.compare(u"Gerechnet"_qs, Qt::CaseInsensitive) == 0)
        setcolors(r.boolean(u"Gerechnet"_qs));
    else if (name.compare(u"Okll"_qs, Qt::CaseInsensitive) == 0)
        enableDuct(r.boolean(u"Okll"_qs));
    else if (name.compare(u"Okraum1"_qs, Qt::CaseInsensitive) == 0)
        selectFireplaceKind();
}

void LuftverbundPage::selectFireplaceKind()
{
    const int kind = m_store->current().integer(u"Okraum1"_qs);
    m_okKind->setCurrentIndex(kind >= 0 && kind < m_okKind->count() ? kind : -1);
}

void LuftverbundPage::setcolors(bool calculated)
{
    if (m_coloursSet && calculated == m_calculatedColour)
        return;
    m_coloursSet = true;
    m_calculatedColour = calculated;
    const QColor &c = calculated ? kCalculated : kStale;
    for (QWidget *w : std::as_const(m_resultWidgets))
        setTextColour(w, c);
}

void LuftverbundPage::enableDuct(bool on)
{
    m_ductButton->setEnabled(on);
    m_ductSupplied->setEnabled(on);
    m_ductUnsupplied->setEnabled(on);
}

void LuftverbundPage::ungerechnet()
{
    if (m_store->isOpen() && m_store->currentRow() >= 0)
        m_store->ungerechnet();
}

// --- connected-with lists ------------------------------------------------------------

void LuftverbundPage::populate()
{
    const Record &r = m_store->current();
    const bool r1 = r.boolean(u"R1VR"_qs);
    const bool r2 = r.boolean(u"R2VR"_qs);
    for (int i = 2; i < 8; ++i) {
        const QStringList &list = r2 ? (i == 2 ? kListB : kListC) : (r1 ? kListB : kListA);
        QComboBox *combo = m_rows[size_t(i)].connected;
        if (combo->count() == list.size())
            continue;
        // The position is the code: it stays when the new list has it.
        const QSignalBlocker block(combo);
        const int pos = combo->currentIndex();
        combo->clear();
        combo->addItems(list);
        combo->setCurrentIndex(pos < list.size() ? pos : -1);
    }
}

void LuftverbundPage::checkvmit()
{
    for (int i = 1; i < 8; ++i)
        connectedChosen(i, m_rows[size_t(i)].connected->currentIndex());
}

void LuftverbundPage::openingChosen(int room, int position)
{
    if (!m_store->edit())
        return;
    m_store->setFieldValue(roomFields(room).openingType, position);
    ungerechnet();
}

void LuftverbundPage::connectedChosen(int room, int position)
{
    if (!m_store->edit())
        return;
    m_store->setFieldValue(roomFields(room).connectedWith, position < 0 ? -1 : position);
    ungerechnet();
}

void LuftverbundPage::markClicked(int room, bool checked)
{
    // Judged on the marks before the change: R1 is marked before R2, and R2's
    // mark is removed before R1's.
    const Record &r = m_store->current();
    const bool r1 = r.boolean(u"R1VR"_qs);
    const bool r2 = r.boolean(u"R2VR"_qs);
    if ((room == 1 && r1 && r2) || (room == 2 && !r1 && !r2)) {
        QCheckBox *box = m_rows[size_t(room)].mark;
        {
            const QSignalBlocker block(box);
            box->setChecked(!checked);
        }
        MessageBox::error(kMarkingMessage);
        return;
    }
    if (!m_store->setFieldValue(roomFields(room).mark, checked))
        return;
    populate();
    ungerechnet();
    checkvmit();
}

// --- entry check of volumes and outputs ------------------------------------------------

bool LuftverbundPage::isNumberField(QObject *o) const
{
    for (const Row &row : m_rows)
        if (o == row.volume || o == row.output)
            return true;
    return false;
}

int LuftverbundPage::roomOfVolume(QObject *o) const
{
    for (int i = 0; i < 8; ++i)
        if (o == m_rows[size_t(i)].volume)
            return i;
    return -1;
}

bool LuftverbundPage::acceptableEntry(const QString &text)
{
    double v = 0.0;
    return numfmt::parse(text, &v) && v > -0.001;
}

void LuftverbundPage::refuseEntry(QLineEdit *edit)
{
    m_refusing = true;
    QApplication::beep();
    MessageBox::error(u"Falsche Eingabe"_qs);
    QLineEdit *back = m_lastEntered ? m_lastEntered.data() : edit;
    back->setFocus(Qt::OtherFocusReason);
    m_refusing = false;
}

bool LuftverbundPage::commitAllowed(QLineEdit *edit)
{
    if (acceptableEntry(edit->text()))
        return true;
    // Leaving the field has already told the user; a save, a move or the
    // check asks again.
    if (m_explicitCommit && !m_refusing)
        refuseEntry(edit);
    return false;
}

bool LuftverbundPage::commitEdits()
{
    m_explicitCommit = true;
    const bool ok = m_bindings->commitAll();
    m_explicitCommit = false;
    return ok;
}

void LuftverbundPage::keyPressEvent(QKeyEvent *event)
{
    // Enter in a volume or output field checks the field before "Berechnen".
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto *edit = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (enter && edit && isNumberField(edit) && !acceptableEntry(edit->text())) {
        refuseEntry(edit);
        event->accept();
        return;
    }
    PageBase::keyPressEvent(event);
}

// --- events of the controls ----------------------------------------------------------

bool LuftverbundPage::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();

    if (isNumberField(watched)) {
        auto *edit = static_cast<QLineEdit *>(watched);
        const int room = roomOfVolume(watched);
        switch (type) {
        case QEvent::FocusIn:
            m_lastEntered = edit;
            break;
        case QEvent::FocusOut: {
            // Leaving the field for another control of the window checks it;
            // a menu or another window taking the focus for a moment does not.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason || m_refusing)
                break;
            if (!acceptableEntry(edit->text())) {
                refuseEntry(edit);
                return true;   // the field keeps the focus as if never left
            }
            break;
        }
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(event);
            // A full stop typed in a number is its decimal comma.
            if (key->text() == u"."_qs) {
                QKeyEvent comma(QEvent::KeyPress, Qt::Key_Comma, key->modifiers(), u","_qs);
                QCoreApplication::sendEvent(edit, &comma);
                return true;
            }
            break;
        }
        case QEvent::MouseButtonPress:
            if (room >= 0) {
                ungerechnet();
                if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
                    openVolumeCalculator(room);
                    return true;
                }
            }
            break;
        case QEvent::ContextMenu:
            ungerechnet();
            if (room >= 0) {
                // The right button has opened the calculator on its press; the
                // menu key opens it from the keyboard.
                if (static_cast<QContextMenuEvent *>(event)->reason() != QContextMenuEvent::Mouse)
                    openVolumeCalculator(room);
                return true;
            }
            break;
        default:
            break;
        }
        return PageBase::eventFilter(watched, event);
    }

    for (int i = 0; i < 8; ++i) {
        const Row &row = m_rows[size_t(i)];
        if (watched == row.outside || watched == m_duct) {
            if (type == QEvent::MouseButtonPress
                || (type == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space))
                ungerechnet();
            break;
        }
        if (watched == row.opening || watched == row.connected) {
            if (type == QEvent::KeyPress && !static_cast<QKeyEvent *>(event)->text().isEmpty()
                && static_cast<QKeyEvent *>(event)->text().at(0).isPrint())
                ungerechnet();
            break;
        }
        if (watched == row.mark) {
            if (type == QEvent::KeyRelease) {
                auto *key = static_cast<QKeyEvent *>(event);
                // The space key toggles the mark and goes through the marking
                // rule; any other key released here still counts as an edit.
                if (key->key() != Qt::Key_Space && !key->isAutoRepeat() && !isModifierOrShortcut(key)) {
                    populate();
                    ungerechnet();
                    checkvmit();
                }
            } else if (type == QEvent::FocusOut) {
                const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
                if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                    checkvmit();
            }
            break;
        }
    }
    return PageBase::eventFilter(watched, event);
}

// --- commands ------------------------------------------------------------------------

void LuftverbundPage::rechnen()
{
    if (!m_store->isOpen() || m_store->currentRow() < 0 || !commitEdits())
        return;
    const std::optional<MessageList> messages = m_store->rechnen();
    if (!messages)
        return;   // the save was refused
    m_meldform->showMessages(messages->lines());
}

void LuftverbundPage::okCalc()
{
    if (!m_store->isOpen() || m_store->currentRow() < 0)
        return;
    m_okform->showFor(m_store->current());
}

void LuftverbundPage::ductDialog()
{
    if (!m_store->isOpen() || m_store->currentRow() < 0 || !m_duct->isChecked())
        return;
    m_llberdlg->showFor(m_store);
}

void LuftverbundPage::openVolumeCalculator(int room)
{
    QLineEdit *edit = m_rows[size_t(room)].volume;
    edit->setFocus(Qt::MouseFocusReason);
    // A refused entry elsewhere keeps the focus there; the calculator waits.
    if (QApplication::focusWidget() != edit && edit->window()->isActiveWindow())
        return;
    const QChar key = room == 0 ? u'A' : QChar(u'0' + room);
    const std::optional<roomvolume::RoomFields> fields = roomvolume::roomFields(key);
    if (!fields || !m_store->isOpen() || m_store->currentRow() < 0)
        return;
    m_volumeDialog->calculate(m_store, *fields, m_defaultRoomHeight ? m_defaultRoomHeight() : roomvolume::kDefaultRoomHeight);
}
