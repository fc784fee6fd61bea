#include "mainwindow.h"

#include "addressimportflow.h"
#include "catalogstore.h"
#include "datenbankdlg.h"
#include "eigentuemerdlg.h"
#include "fieldbinding.h"
#include "generalpage.h"
#include "kopfzeilendlg.h"
#include "messagebox.h"
#include "ortslistdlg.h"
#include "printcommand.h"
#include "raumbezdlg.h"
#include "recordnavigator.h"
#include "recordstore.h"
#include "programprotocols.h"
#include "remarkspage.h"
#include "serverconnection.h"
#include "settingsfile.h"
#include "storedialect.h"
#include "sketchmodule.h"
#include "sketchpage.h"
#include "statuspanel.h"
#include "storegrid.h"

#include "aboutbox.h"
#include "betriebdlg.h"
#include "programsettings.h"
#include "aufstellungsraumpage.h"
#include "luftverbundpage.h"
#include "voldialog.h"
#include "helpwindow.h"
#include "modifiedmark.h"
#include "programicon.h"
#include "scrollpage.h"
#include "tabswitch.h"
#include "windowgeometry.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidth = 1362;
constexpr int kClientHeight = 763;

struct PageDef {
    const char *name;
    QString caption;
};

const PageDef &pageDef(int p)
{
    static const PageDef defs[TForm1::PageCount] = {
        // The Alt letters of the tabs; the two mode pages share one, since
        // only one of them is shown at a time.
        {"uebersicht", u"&Übersicht"_qs},
        {"allgemein", u"Allgemeine Anga&ben"_qs},
        {"luftverbund", u"Lu&ftverbundberechnung"_qs},
        {"aufstellungsraum", u"Au&fstellungsraum"_qs},
        {"anmerkungen", u"Anmer&kungen"_qs},
        {"zeichnung", u"Zei&chnung"_qs},
    };
    return defs[p];
}

QList<TableStoreModel::Column> overviewColumns()
{
    return {
        {u"Lfd"_qs, u"Lfd"_qs, -1, true},
        {u"A_Name"_qs, u"Aufstellort Name"_qs, 149},
        {u"A_zusatz"_qs, u"Aufstellort Zusatz"_qs, 179},
        {u"A_gebteil"_qs, u"Aufstellort Gebäudeteil"_qs, 145},
        {u"A_strasse"_qs, u"Aufstellort Straße"_qs, -1},
        {u"A_Plz"_qs, u"Aufstellort PLZ"_qs, 97},
        {u"A_Ort"_qs, u"Aufstellort Ort"_qs, 206},
        {u"E_Name"_qs, u"Eigentümer Name"_qs, 204},
        {u"E_zusatz"_qs, u"Eigentümer Zusatz"_qs, 189},
        {u"E_strasse"_qs, u"Eigentümer Straße"_qs, 201},
        {u"E_plz"_qs, u"Eigent.  PLZ"_qs, -1},
        {u"E_ort"_qs, u"Eigentümer Ort"_qs, 202},
    };
}

} // namespace

TForm1::TForm1(const QString &dataDir, QWidget *parent) : TForm1(dataDir, nullptr, parent) {}

TForm1::TForm1(ServerConnection *server, QWidget *parent) : TForm1(u"daten"_qs, server, parent) {}

TForm1::TForm1(const QString &dataDir, ServerConnection *server, QWidget *parent)
    : QMainWindow(parent)
    , m_server(server)
    , m_dataDir(dataDir)
    , m_lists(dataDir)
{
    setObjectName(u"TForm1"_qs);
    setWindowTitle(u"Ofenring"_qs);
    setWindowIcon(programIcon());
    MessageBox::setParentWidget(this);
    setHelpOwner(this);

    m_kq = new RecordStore(this);
    m_owners = new CatalogStore(CatalogStore::Owners, this);
    m_places = new CatalogStore(CatalogStore::Places, this);
    m_remarks = new CatalogStore(CatalogStore::Remarks, this);
    for (TableStore *s : {static_cast<TableStore *>(m_kq), static_cast<TableStore *>(m_owners),
                          static_cast<TableStore *>(m_places), static_cast<TableStore *>(m_remarks)})
        s->setPrompter(&MessageBox::instance());
    if (m_server) {
        m_server->setPrompter(&MessageBox::instance());
        m_lists.setServer(m_server);
    }

    buildMenus();
    auto *client = new QWidget(this);
    client->setObjectName(u"client"_qs);
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildToolbar());
    buildPages();
    installWorkPages();
    layout->addWidget(m_pages, 1);
    m_status = new StatusPanel(client);
    layout->addWidget(m_status);
    setCentralWidget(client);
    // 1362 x 763 is the designed client area and the size the window opens
    // with, but the window can be resized and maximised; it opens maximised
    // on a screen too small for it, and where it was left on the last run.
    windowgeometry::restore(this, QSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height()));

    // The store's notifications drive the window.
    connect(m_kq, &TableStore::beforeScroll, this, &TForm1::beforeScroll);
    connect(m_kq, &TableStore::afterScroll, this, &TForm1::afterScroll);
    connect(m_kq, &TableStore::rowsReset, this, [this] {
        updateNavigator();
        updateRecordCount();
    });
    // A new or changed record's place in the order follows what is typed.
    connect(m_kq, &TableStore::stateChanged, this, &TForm1::updateNavigator);
    connect(m_kq, &TableStore::fieldChanged, this, [this](const QString &field) {
        refreshStatus();
        updateNavigator();
        if (field.compare(u"Modus"_qs, Qt::CaseInsensitive) == 0)
            modusWechsel();
    });
    // A save or a cancel shows the record afresh but leaves the page as it is
    // (unless its tab goes with a mode that was given back).
    connect(m_kq, &TableStore::currentReloaded, this, [this] {
        refreshStatus();
        modusWechsel(false);
    });
    // "Ofenring *" while the current record has unsaved changes.
    new ModifiedMark(this, windowTitle(), {m_kq});

    // The protocols of this program, with the letterhead as set in
    // "Kopfzeilen" and the sketches of the sketch module once it is loaded.
    m_sketchModule = std::make_unique<SketchModule>();
    m_protocols = report::programProtocols([this]() -> const PrintSettings & { return m_printSettings; },
                                           m_sketchModule.get());

    // The remarks page edits the record's remarks and the remark catalog.
    m_remarksPage = new RemarksPage(m_kq, m_remarks);
    installPage(Anmerkungen, m_remarksPage);
    connect(m_remarksPage, &RemarksPage::fontCommandAvailable, m_fontButton, &QWidget::setEnabled);
    connect(m_fontButton, &QToolButton::clicked, m_remarksPage, &RemarksPage::zeichenClick);
    connect(m_remarksPage, &RemarksPage::helpRequested, this, &TForm1::showHelp);

    openTables(dataDir);
    m_remarksPage->refresh();
    createDialogs();
    assignShortcuts();
    followServer();
}

TForm1::~TForm1() = default;

// --- construction ----------------------------------------------------------------

void TForm1::buildMenus()
{
    auto action = [this](QMenu *menu, const char *name, const QString &text, const QString &hint = QString()) {
        QAction *a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (!hint.isEmpty()) {
            a->setToolTip(hint);
            a->setStatusTip(hint);
        }
        return a;
    };

    QMenu *datei = menuBar()->addMenu(u"&Datei"_qs);
    datei->setObjectName(u"dateimenu"_qs);
    connect(action(datei, "druckvorschau", u"Druck&vorschau"_qs, u"Druckvorschau"_qs), &QAction::triggered, this,
            [this] { Druckvorschau1Click(false); });
    connect(action(datei, "drucken", u"&Drucken"_qs, u"Drucken"_qs), &QAction::triggered, this,
            [this] { Druckvorschau1Click(true); });
    QAction *save = action(datei, "speichern", u"Datensatz &speichern"_qs, u"Datensatz speichern"_qs);
    connect(save, &QAction::triggered, this, &TForm1::saveRecord);
    // The records by keyboard; the keys stand beside the commands, and in the
    // hints of the navigator's buttons.
    QMenu *records = datei->addMenu(u"Da&tensatz"_qs);
    records->setObjectName(u"datensatzmenu"_qs);
    connect(action(records, "neu", u"&Neu"_qs, u"Datensatz einfügen"_qs), &QAction::triggered, this,
            &TForm1::insertRecord);
    connect(action(records, "loeschen", u"&Löschen"_qs, u"Datensatz löschen"_qs), &QAction::triggered, this,
            &TForm1::deleteRecord);
    records->addSeparator();
    connect(action(records, "erster", u"&Erster"_qs, u"Erster Datensatz"_qs), &QAction::triggered, this,
            [this] { navigate(&RecordStore::first); });
    connect(action(records, "vorheriger", u"&Vorheriger"_qs, u"Vorheriger Datensatz"_qs), &QAction::triggered, this,
            [this] { navigate(&RecordStore::prior); });
    connect(action(records, "naechster", u"Nä&chster"_qs, u"Nächster Datensatz"_qs), &QAction::triggered, this,
            [this] { navigate(&RecordStore::next); });
    connect(action(records, "letzter", u"Le&tzter"_qs, u"Letzter Datensatz"_qs), &QAction::triggered, this,
            [this] { navigate(&RecordStore::last); });
    records->addSeparator();
    records->addAction(save);
    connect(action(records, "suchen", u"S&uchen"_qs, u"Datensätze suchen"_qs), &QAction::triggered, this,
            &TForm1::suchen);
    datei->addSeparator();
    connect(action(datei, "sicherunganlegen", u"Sicherung &anlegen"_qs, u"Alle Tabellen und Listen jetzt sichern"_qs),
            &QAction::triggered, this, &TForm1::makeBackup);
    connect(action(datei, "sicherungwiederherstellen", u"Sicherung &wiederherstellen …"_qs,
                   u"Die Daten aus einer Sicherung zurückholen"_qs),
            &QAction::triggered, this, &TForm1::showRestoreBackup);
    datei->addSeparator();
    connect(action(datei, "schliessen", u"S&chließen"_qs), &QAction::triggered, this, &QWidget::close);

    QMenu *einst = menuBar()->addMenu(u"&Einstellungen"_qs);
    einst->setObjectName(u"einstellungenmenu"_qs);
    connect(action(einst, "kopfzeilen", u"&Kopfzeilen"_qs), &QAction::triggered, this, &TForm1::showKopfzeilen);
    connect(action(einst, "raumbezeichnungen", u"&Raumbezeichnungen"_qs), &QAction::triggered, this,
            [this] { editTextList(TextLists::RoomNames); });
    connect(action(einst, "ortsliste", u"&Ortsliste"_qs), &QAction::triggered, this,
            [this] { showOrtsliste(NoPlaceTarget); });
    connect(action(einst, "eigentuemerliste", u"&Eigentümerliste"_qs), &QAction::triggered, this,
            [this] { showEigentuemerliste(false); });
    connect(action(einst, "feuerstaettenliste", u"&Feuerstättenliste"_qs), &QAction::triggered, this,
            [this] { editTextList(TextLists::ApplianceTypes); });
    connect(action(einst, "betrieb", u"&Betrieb …"_qs), &QAction::triggered, this, &TForm1::showBetrieb);
    einst->addSeparator();
    connect(action(einst, "datenbank", u"&Datenbank …"_qs, u"Lokale Tabellen oder Datenbankserver im Büro"_qs),
            &QAction::triggered, this, [this] { m_databaseDlg->showSettings(); });

    QMenu *hilfe = menuBar()->addMenu(u"&?"_qs);
    hilfe->setObjectName(u"hilfemenu"_qs);
    connect(action(hilfe, "inhalt", u"I&nhalt"_qs), &QAction::triggered, this, [this] { showHelp(QString()); });
    connect(action(hilfe, "info", u"&Info"_qs), &QAction::triggered, this, [this] { m_about->open(); });
}

QWidget *TForm1::buildToolbar()
{
    auto *bar = new QWidget;
    bar->setObjectName(u"toolbar"_qs);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(4);

    m_navigator = new RecordNavigator(bar);
    m_navigator->setObjectName(u"navigator"_qs);
    row->addWidget(m_navigator);
    row->addSpacing(12);

    m_fontButton = new QToolButton(bar);
    m_fontButton->setObjectName(u"zeichenbtn"_qs);
    m_fontButton->setText(u"Zeichen"_qs);
    m_fontButton->setToolTip(u"Zeichensatz auswählen"_qs);
    // Only a remarks editor with the focus has a font to choose.
    m_fontButton->setEnabled(false);
    row->addWidget(m_fontButton);

    m_previewButton = new QToolButton(bar);
    m_previewButton->setObjectName(u"vorschaubtn"_qs);
    m_previewButton->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    m_previewButton->setToolTip(u"Druckvorschau"_qs);
    connect(m_previewButton, &QToolButton::clicked, this, [this] { Druckvorschau1Click(false); });
    row->addWidget(m_previewButton);
    row->addSpacing(12);

    m_sortOwner = new QToolButton(bar);
    m_sortOwner->setObjectName(u"sorteigentuemerbtn"_qs);
    m_sortOwner->setText(u"Eigentümer"_qs);
    m_sortOwner->setToolTip(u"Sortierung nach Egentümer"_qs);
    m_sortOwner->setCheckable(true);
    row->addWidget(m_sortOwner);

    m_sortSite = new QToolButton(bar);
    m_sortSite->setObjectName(u"sortortbtn"_qs);
    m_sortSite->setText(u"Aufstellort"_qs);
    m_sortSite->setToolTip(u"Sortierung nach Aufstellort"_qs);
    m_sortSite->setCheckable(true);
    row->addWidget(m_sortSite);
    connect(m_sortOwner, &QToolButton::clicked, this, [this](bool on) { sortToggled(m_sortOwner, on); });
    connect(m_sortSite, &QToolButton::clicked, this, [this](bool on) { sortToggled(m_sortSite, on); });
    row->addSpacing(12);

    m_saveButton = new QToolButton(bar);
    m_saveButton->setObjectName(u"speichernbtn"_qs);
    m_saveButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_saveButton->setToolTip(u"Datensatz speichern (Strg+S)"_qs);
    connect(m_saveButton, &QToolButton::clicked, this, &TForm1::saveRecord);
    row->addWidget(m_saveButton);

    m_confirm = new QCheckBox(u"Änderungen bestätigen"_qs, bar);
    m_confirm->setObjectName(u"aenderungsabfrage"_qs);
    m_confirm->setToolTip(u"Änderungen vor dem Speichern bestätigen"_qs);
    m_confirm->setChecked(true);
    connect(m_confirm, &QCheckBox::toggled, this, [this](bool on) { m_kq->setConfirmChanges(on); });
    row->addWidget(m_confirm);
    row->addStretch(1);

    connect(m_navigator, &RecordNavigator::firstClicked, this, [this] { navigate(&RecordStore::first); });
    connect(m_navigator, &RecordNavigator::priorClicked, this, [this] { navigate(&RecordStore::prior); });
    connect(m_navigator, &RecordNavigator::nextClicked, this, [this] { navigate(&RecordStore::next); });
    connect(m_navigator, &RecordNavigator::lastClicked, this, [this] { navigate(&RecordStore::last); });
    connect(m_navigator, &RecordNavigator::insertClicked, this, &TForm1::insertRecord);
    connect(m_navigator, &RecordNavigator::deleteClicked, this, &TForm1::deleteRecord);
    return bar;
}

void TForm1::buildPages()
{
    m_pages = new QTabWidget;
    m_pages->setObjectName(u"pagecontrol"_qs);

    m_grid = new StoreGrid(m_kq, overviewColumns());
    m_grid->setObjectName(u"kqgrid"_qs);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setBeforeMove([this] { return commitEdits(); });
    // A double click or Enter on a record opens its page.
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { uebersichtDblClick(); });
    connect(m_grid, &StoreGrid::rowChosen, this, [this] { uebersichtDblClick(); });
    connect(m_grid, &StoreGrid::deleteRequested, this, &TForm1::deleteRecord);

    // The quick search stands above the overview.
    auto *overview = new QWidget;
    auto *ol = new QVBoxLayout(overview);
    ol->setContentsMargins(0, 0, 0, 0);
    ol->setSpacing(0);
    auto *searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(6, 4, 6, 4);
    searchRow->setSpacing(8);
    auto *searchLabel = new QLabel(u"&Suchen"_qs, overview);
    searchLabel->setObjectName(u"suchenlabel"_qs);
    m_search = new QLineEdit(overview);
    m_search->setObjectName(u"suchenedit"_qs);
    m_search->setClearButtonEnabled(true);
    m_search->setPlaceholderText(u"Aufstellort, Straße, Ort, PLZ oder Eigentümer"_qs);
    // Wide enough for its hint, and for the clear button beside it.
    m_search->setMinimumWidth(QFontMetrics(m_search->font()).horizontalAdvance(m_search->placeholderText())
                              + 4 * m_search->fontMetrics().height());
    searchLabel->setBuddy(m_search);
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_search);
    searchRow->addStretch(1);
    ol->addLayout(searchRow);
    ol->addWidget(m_grid, 1);
    connect(m_search, &QLineEdit::textChanged, this, &TForm1::searchEdited);
    m_search->installEventFilter(this);
    m_grid->installEventFilter(this);
    QWidget::setTabOrder(m_search, m_grid);

    m_general = new GeneralPage;
    m_bindings = new BindingSet(m_kq, this);
    m_bindings->add<ButtonGroupBinding>(u"Modus"_qs, m_general->modusButtons(), m_general->modusGroup());
    for (const GeneralPage::AddressField &f : m_general->addressFields()) {
        m_bindings->add<LineEditBinding>(f.field, f.edit);
        m_bindings->editOnContextMenu(f.edit);
    }
    connect(m_general->siteOrtslisteButton(), &QPushButton::clicked, this, [this] { showOrtsliste(SitePlace); });
    connect(m_general->ownerOrtslisteButton(), &QPushButton::clicked, this, [this] { showOrtsliste(OwnerPlace); });
    connect(m_general->eigentuemerlisteButton(), &QPushButton::clicked, this, [this] { showEigentuemerliste(true); });
    connect(m_general->importButton(), &QPushButton::clicked, this, [this] {
        if (m_tablesOpen && commitEdits())
            startAddressImport(m_kq, this, [this](const QString &topic) { showHelp(topic); });
    });
    connect(m_general, &GeneralPage::helpRequested, this, &TForm1::showHelp);

    for (int p = 0; p < PageCount; ++p) {
        QWidget *w = nullptr;
        if (p == Uebersicht) {
            w = overview;
        } else if (p == Allgemein) {
            w = m_general;
        } else {
            w = new QWidget;   // placeholder until the page's own content is installed
        }
        w->setObjectName(QString::fromLatin1(pageDef(p).name));
        m_pageWidgets[p] = w;
        m_pageInstalled[p] = (p == Uebersicht || p == Allgemein);
        // The overview scrolls by itself; every other page scrolls as a whole
        // where the window is smaller than the page.
        m_pages->addTab(p == Uebersicht ? w : static_cast<QWidget *>(scrollingPage(w)), pageDef(p).caption);
        m_pages->setTabVisible(p, m_pageInstalled[p]);
    }
    m_activePageName = pageDef(Uebersicht).name;
    connect(m_pages, &QTabWidget::currentChanged, this, &TForm1::pageAboutToChange);
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == Zeichnung && m_sketchPage)
            m_sketchPage->drawPreview();
    });
    addPageSwitchKeys(m_pages);
}

void TForm1::installWorkPages()
{
    // The two mode pages share the room volume calculator and take the
    // default room height from the settings file.
    m_volDialog = new TVolDialog(this);
    const auto roomHeight = [this] { return m_roomHeight; };
    m_luftverbund = new LuftverbundPage(m_kq, m_volDialog, roomHeight);
    m_aufstellungsraum = new AufstellungsraumPage(m_kq, m_volDialog, roomHeight);
    installPage(Luftverbund, m_luftverbund);
    installPage(Aufstellungsraum, m_aufstellungsraum);
    for (PageBase *page : {static_cast<PageBase *>(m_luftverbund), static_cast<PageBase *>(m_aufstellungsraum)})
        connect(page, &PageBase::helpRequested, this, &TForm1::showHelp);
    connect(m_volDialog, &DialogBase::helpRequested, this, &TForm1::showHelp);
}

void TForm1::createDialogs()
{
    // Every dialog is made once, hidden, and reused.
    m_listDlg = new Traumbezdlg(&m_lists, this);
    m_ownerDlg = new Teigentuemerdlg(m_owners, this);
    m_placeDlg = new Tortslistdlg(m_places, this);
    m_about = new TAboutBox(this);
    m_databaseDlg = new Tdatenbankdlg(this);
    connect(m_databaseDlg, &Tdatenbankdlg::helpRequested, this, &TForm1::showHelp);
    m_about->setObjectName(u"TAboutBox"_qs);
    connect(m_ownerDlg, &QDialog::finished, this, [this](int result) {
        if (result == Teigentuemerdlg::Ok && m_ownerPick)
            takeOwner();
        m_ownerPick = false;
    });
    connect(m_placeDlg, &QDialog::finished, this, [this](int result) {
        if (result == Tortslistdlg::Ok)
            takePlace(m_placeTarget);
        m_placeTarget = NoPlaceTarget;
    });
    m_headerDlg = new Tkopfzeilendlg(this);
    connect(m_headerDlg, &QDialog::accepted, this, [this] {
        // In effect at once, even when the file cannot be written.
        m_printSettings = m_headerDlg->settings();
        settings::savePrintSettings(m_printSettings, &MessageBox::instance());
    });
    connect(m_headerDlg, &Tkopfzeilendlg::helpRequested, this, &TForm1::showHelp);
    m_officeDlg = new Tbetriebdlg(this);
    connect(m_officeDlg, &Tbetriebdlg::helpRequested, this, &TForm1::showHelp);
    connect(m_officeDlg, &QDialog::accepted, this, [this] {
        const QString name = m_officeDlg->name();
        settings::saveOfficeName(name, &MessageBox::instance());
        // Asked at the start, the name heads this run's protocols already; a
        // later change waits for the next start, so that the letterhead stays
        // the same while the program runs.
        if (m_askingFirstStart)
            m_printSettings.headerLine1 = name;
        m_askingFirstStart = false;
    });
    connect(m_officeDlg, &QDialog::rejected, this, [this] { m_askingFirstStart = false; });

    PrintCommand::Environment print;
    print.store = m_kq;
    print.finishEditing = [this] { return commitEdits() && m_kq->finishEditing(); };
    print.finishRemarks = [this] { m_remarks->finishEditing(); };
    print.followTable = [this, focused = QPointer<QWidget>()](bool follow) mutable {
        // While the table is narrowed to the printed record the window shows
        // what it showed before and takes no commands.  Disabling it takes
        // the focus away; afterwards the control that had it gets it back,
        // rather than the first button of the toolbar.
        if (!follow)
            focused = focusWidget();
        m_kq->blockSignals(!follow);
        centralWidget()->setEnabled(follow);
        menuBar()->setEnabled(follow);
        if (follow && focused && focused->isEnabled() && focused->isVisible())
            focused->setFocus(Qt::OtherFocusReason);
    };
    print.protocols = m_protocols.get();
    print.window = this;
    m_print = new PrintCommand(print, this);

    connect(m_listDlg, &Traumbezdlg::helpRequested, this, &TForm1::showHelp);
    // A changed list is offered at once in the interconnection page's fields.
    connect(m_listDlg, &QDialog::accepted, this, [this] {
        if (m_luftverbund)
            m_luftverbund->loadTextLists(m_lists);
    });
    connect(m_ownerDlg, &Teigentuemerdlg::helpRequested, this, &TForm1::showHelp);
    connect(m_placeDlg, &Tortslistdlg::helpRequested, this, &TForm1::showHelp);
}

void TForm1::openTables(const QString &dataDir)
{
    // The catalogs are opened even when kq.db failed, so their error (if any)
    // is shown too; the list buttons only work on an open catalog.
    if (m_server) {
        m_tablesOpen = m_kq->open(m_server);
        m_remarks->open(m_server);
        m_places->open(m_server);
        m_owners->open(m_server);
    } else {
        m_tablesOpen = m_kq->open(dataDir);
        m_remarks->open(dataDir);
        m_places->open(dataDir);
        m_owners->open(dataDir);
    }
    if (m_tablesOpen)
        m_kq->first();
    // Said now rather than at the first save that fails.
    const QString readOnly = TableStore::readOnlyNotice(dataDir, {m_kq, m_remarks, m_places, m_owners});
    if (!readOnly.isEmpty())
        MessageBox::instance().tell(PromptKind::Warning, readOnly);
    m_bindings->refreshAll();
    m_grid->showCurrentRow();
    updateNavigator();
    refreshStatus();
}

void TForm1::showEvent(QShowEvent *event)
{
    if (!m_firstShowDone) {
        m_firstShowDone = true;
        firstShow();
    }
    QMainWindow::showEvent(event);
}

void TForm1::firstShow()
{
    m_printSettings = settings::loadPrintSettings();
    m_roomHeight = settings::loadDefaultRoomHeight();
    for (const TextLists::Kind kind : {TextLists::RoomNames, TextLists::ApplianceTypes}) {
        // A list file that is no list is named once the window stands.
        if (!m_lists.load(kind) && !m_lists.refusal(kind).isEmpty())
            QTimer::singleShot(0, this, [text = m_lists.refusal(kind)] { MessageBox::error(text); });
    }
    if (m_luftverbund)
        m_luftverbund->loadTextLists(m_lists);
    if (m_aufstellungsraum)
        m_aufstellungsraum->enablenr();
    loadSketchModule();
    m_fontButton->setEnabled(false);
    setActivePage(Uebersicht);
    m_rememberedPage = pageDef(Uebersicht).name;
    modusWechsel();
    // The overview on the current record: Enter opens it, the arrows move.
    focusActivePage();
}

// The sketch module is looked for once; only when it loads is there a page
// "Zeichnung", whose preview then shows the current record's sketch.
void TForm1::loadSketchModule()
{
    // Found as every protocol of the program finds it; the protocols draw
    // their sketch box through it from now on.
    const SketchModule::LoadResult result = report::loadSketchModule(*m_sketchModule);
    if (result == SketchModule::LoadResult::NotLoadable)
        MessageBox::information(QString::fromLatin1(SketchModule::message));
    if (result != SketchModule::LoadResult::Loaded)
        return;
    m_sketchPage = new SketchPage(m_kq, m_sketchModule.get());
    connect(m_sketchPage, &SketchPage::helpRequested, this, &TForm1::showHelp);
    installPage(Zeichnung, m_sketchPage);
    m_sketchPage->drawPreview();
}

// --- pages -------------------------------------------------------------------------

void TForm1::installPage(Page p, QWidget *content)
{
    if (p == Uebersicht || p == Allgemein || !content)
        return;
    const bool wasCurrent = m_pages->currentIndex() == p;
    m_switchingPages = true;
    QWidget *old = m_pages->widget(p);
    content->setObjectName(QString::fromLatin1(pageDef(p).name));
    m_pages->removeTab(p);
    m_pages->insertTab(p, scrollingPage(content), pageDef(p).caption);
    old->deleteLater();
    m_pageWidgets[p] = content;
    m_pageInstalled[p] = true;
    if (p == Anmerkungen || p == Zeichnung)
        m_pages->setTabVisible(p, true);
    if (wasCurrent)
        m_pages->setCurrentIndex(p);
    m_switchingPages = false;
    modusWechsel();
}

TForm1::Page TForm1::activePage() const
{
    return Page(m_pages->currentIndex());
}

void TForm1::setActivePage(Page p)
{
    m_pages->setCurrentIndex(p);
}

bool TForm1::isTabShown(Page p) const
{
    return m_pages->isTabVisible(p);
}

void TForm1::pageAboutToChange(int index)
{
    if (m_switchingPages || index < 0)
        return;
    // Remember the page that was active until now; a record move uses it to
    // decide whether the user was on a mode page.
    m_rememberedPage = m_activePageName;
    m_activePageName = QString::fromLatin1(pageDef(index).name);
    // Opened by its tab, Ctrl+Tab, Enter on a record: typing starts in the page's first field.
    focusActivePage();
}

void TForm1::focusActivePage()
{
    const Page p = activePage();
    if (p == Uebersicht) {
        m_grid->setFocus(Qt::OtherFocusReason);
        m_grid->showCurrentRow();
    } else if (auto *page = qobject_cast<PageBase *>(m_pageWidgets[p])) {
        page->focusFirstField();
    }
}

void TForm1::modusWechsel(bool followRememberedPage)
{
    const Record &r = m_kq->current();
    const bool hasMode = m_kq->isOpen() && m_kq->currentRow() >= 0 && !r.isNull(u"Modus"_qs);
    const int mode = r.integer(u"Modus"_qs);
    const Page before = activePage();
    const bool interconnection = m_pageInstalled[Luftverbund] && hasMode && mode == 0;
    const bool installationRoom = m_pageInstalled[Aufstellungsraum] && hasMode && mode == 1;
    const bool modePageGoes = (before == Luftverbund && !interconnection)
        || (before == Aufstellungsraum && !installationRoom);
    const bool wasOnModePage = followRememberedPage
        ? m_rememberedPage == QLatin1String(pageDef(Luftverbund).name)
            || m_rememberedPage == QLatin1String(pageDef(Aufstellungsraum).name) || before == Luftverbund
            || before == Aufstellungsraum
        : modePageGoes;

    m_switchingPages = true;
    // Only a real change touches the tabs: showing a tab lays out and repaints the whole page set.
    const auto showTab = [this](Page p, bool on) {
        if (m_pages->isTabVisible(p) != on)
            m_pages->setTabVisible(p, on);
    };
    // The tab that appears comes first, and the page to land on is made
    // current before the other mode tab goes: hiding the current tab would
    // otherwise pass through the neighbouring remarks page, whose editor,
    // entered on the way, marks the record as changed.
    if (interconnection)
        showTab(Luftverbund, true);
    if (installationRoom)
        showTab(Aufstellungsraum, true);
    if (wasOnModePage) {
        // A record without a mode opens on its general data, where the mode is chosen.
        const Page target = !hasMode ? Allgemein : mode == 0 ? Luftverbund : Aufstellungsraum;
        if (m_pages->isTabVisible(target))
            m_pages->setCurrentIndex(target);
    }
    if (!interconnection)
        showTab(Luftverbund, false);
    if (!installationRoom)
        showTab(Aufstellungsraum, false);
    m_switchingPages = false;
    m_activePageName = QString::fromLatin1(pageDef(activePage()).name);
    if (activePage() != before)
        focusActivePage();
}

void TForm1::uebersichtDblClick()
{
    if (m_kq->currentRow() < 0)
        return;
    // The record's mode page; a record without one (no mode yet, or its page
    // not there) opens on its general data, so the user always gets to it.
    const Page target = m_kq->current().integer(u"Modus"_qs) == 0 ? Luftverbund : Aufstellungsraum;
    setActivePage(m_pages->isTabVisible(target) ? target : Allgemein);
}

// --- records ---------------------------------------------------------------------

bool TForm1::commitEdits()
{
    return m_bindings->commitAll() && (!m_luftverbund || m_luftverbund->commitEdits())
        && (!m_aufstellungsraum || m_aufstellungsraum->commitEdits());
}

bool TForm1::saveRecord()
{
    if (!m_tablesOpen)
        return false;
    // The record stays where it is; only its pending changes are written.
    // A remark catalog entry still being typed is saved with it.
    bool saved = m_bindings->saveNow();
    if (m_remarks->isOpen() && m_remarks->isModified()) {
        const bool confirm = m_remarks->confirmChanges();
        m_remarks->setConfirmChanges(false);
        saved = m_remarks->post() && saved;
        m_remarks->setConfirmChanges(confirm);
    }
    return saved;
}

void TForm1::assignShortcuts()
{
    // The menus show these keys beside their commands.
    // The moves take keys that no field of the pages uses, so that they work
    // wherever the focus stands (Ctrl+Page Up and Down switch the pages).
    const std::pair<const char *, QKeySequence> keys[] = {
        {"speichern", QKeySequence::Save},
        {"drucken", QKeySequence::Print},
        {"schliessen", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"inhalt", QKeySequence::HelpContents},
        {"neu", QKeySequence::New},
        {"loeschen", QKeySequence(Qt::CTRL | Qt::Key_Delete)},
        {"erster", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up)},
        {"vorheriger", QKeySequence(Qt::CTRL | Qt::Key_Up)},
        {"naechster", QKeySequence(Qt::CTRL | Qt::Key_Down)},
        {"letzter", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down)},
        {"suchen", QKeySequence::Find},
    };
    for (const auto &[name, key] : keys)
        if (auto *a = findChild<QAction *>(QString::fromLatin1(name)))
            a->setShortcut(key);

    // The hints of the toolbar's buttons name the same keys.
    const std::pair<QToolButton *, const char *> hinted[] = {
        {m_navigator->button(RecordNavigator::First), "erster"},
        {m_navigator->button(RecordNavigator::Prior), "vorheriger"},
        {m_navigator->button(RecordNavigator::Next), "naechster"},
        {m_navigator->button(RecordNavigator::Last), "letzter"},
        {m_navigator->button(RecordNavigator::Insert), "neu"},
        {m_navigator->button(RecordNavigator::Delete), "loeschen"},
        {m_saveButton, "speichern"},
    };
    for (const auto &[button, name] : hinted)
        if (auto *a = findChild<QAction *>(QString::fromLatin1(name)))
            button->setToolTip(u"%1 (%2)"_qs.arg(a->toolTip(), a->shortcut().toString(QKeySequence::NativeText)));
    m_search->setToolTip(u"Suchen nach Aufstellort (Name, Straße, Ort, PLZ) und Eigentümer (%1)"_qs.arg(
        QKeySequence(QKeySequence::Find).toString(QKeySequence::NativeText)));
}

void TForm1::navigate(bool (RecordStore::*move)())
{
    if (!m_tablesOpen || !commitEdits())
        return;
    (m_kq->*move)();
}

void TForm1::insertRecord()
{
    if (!m_tablesOpen || !commitEdits())
        return;
    if (!m_kq->insert())
        return;
    // A new record starts with its mode, on its general data; the focus is
    // there before anything else is typed.
    setActivePage(Allgemein);
    m_general->focusFirstField();
}

void TForm1::deleteRecord()
{
    if (!m_tablesOpen)
        return;
    m_kq->deleteCurrent();
}

void TForm1::beforeScroll()
{
    m_rememberedPage = QString::fromLatin1(pageDef(activePage()).name);
}

void TForm1::afterScroll()
{
    refreshStatus();
    updateNavigator();
    modusWechsel();
    if (m_sketchPage && activePage() == Zeichnung)
        m_sketchPage->drawPreview();
    // A page that shows another record starts at its first field; in the
    // overview the focus stays (in the grid, or in the search being typed).
    if (activePage() != Uebersicht)
        focusActivePage();
}

void TForm1::sortToggled(QToolButton *button, bool pressed)
{
    QToolButton *other = button == m_sortOwner ? m_sortSite : m_sortOwner;
    QString order;
    if (pressed)
        order = button == m_sortOwner ? RecordStore::nameIndex : RecordStore::ortIndex;
    if (m_tablesOpen && commitEdits())
        m_kq->setOrder(order);
    // The buttons always show the order the table really has (a refused save
    // keeps the old one); pressing one releases the other.
    Q_UNUSED(other);
    syncSortButtons();
}

void TForm1::syncSortButtons()
{
    const QString order = m_kq->order();
    m_sortOwner->setChecked(order == RecordStore::nameIndex);
    m_sortSite->setChecked(order == RecordStore::ortIndex);
}

void TForm1::updateNavigator()
{
    m_navigator->showPositionOf(*m_kq);
}

void TForm1::refreshStatus()
{
    m_status->showRecord(m_kq->current());
    m_status->showNotice(officeNotice());
}

QString TForm1::officeNotice() const
{
    if (!m_server)
        return {};
    if (m_server->isLost())
        return u"Keine Verbindung zum Datenbankserver. Es wird im Hintergrund neu verbunden; Ihre Änderungen bleiben "
               "erhalten."_qs;
    return m_kq->lockNotice();
}

void TForm1::followServer()
{
    if (!m_server)
        return;
    connect(m_kq, &TableStore::lockNoticeChanged, this, &TForm1::refreshStatus);
    connect(m_server, &ServerConnection::connectionLost, this, &TForm1::refreshStatus);
    connect(m_server, &ServerConnection::reconnected, this, &TForm1::refreshStatus);
    // Another desk's save of the record shown here: the sketch is drawn anew too.
    connect(m_kq, &TableStore::changedElsewhere, this, [this](int key) {
        if (key == m_kq->currentKey() && m_sketchPage && activePage() == Zeichnung)
            m_sketchPage->drawPreview();
    });
    // A list saved at another desk is offered here at once.
    connect(m_server, &ServerConnection::changed, this, [this](const QString &table, QChar, int key, const QString &) {
        if (table != serverschema::listsTable || (key != TextLists::RoomNames && key != TextLists::ApplianceTypes))
            return;
        m_lists.load(TextLists::Kind(key));
        if (m_luftverbund)
            m_luftverbund->loadTextLists(m_lists);
    });
}

// --- quick search ----------------------------------------------------------------

void TForm1::suchen()
{
    setActivePage(Uebersicht);
    m_search->setFocus(Qt::ShortcutFocusReason);
    m_search->selectAll();
}

void TForm1::searchEdited(const QString &text)
{
    if (m_searchUpdating || !m_tablesOpen)
        return;
    // Typed text of a page is the record's first; a search the store cannot
    // show (a number that does not convert) leaves the field as it was.
    if (!commitEdits() || !m_kq->setSearch(text)) {
        // Not blocked: the field's clear button follows its text by this signal.
        m_searchUpdating = true;
        m_search->setText(m_kq->search());
        m_searchUpdating = false;
    }
    updateRecordCount();
}

void TForm1::openFirstMatch()
{
    if (!m_tablesOpen || m_kq->rowCount() <= 0 || !commitEdits() || !m_kq->goToRow(0))
        return;
    uebersichtDblClick();
}

void TForm1::clearSearch()
{
    m_searchUpdating = true;
    m_search->clear();
    m_searchUpdating = false;
    if (m_tablesOpen)
        m_kq->setSearch(QString());
    updateRecordCount();
    setActivePage(Uebersicht);
    m_grid->setFocus(Qt::OtherFocusReason);
    m_grid->showCurrentRow();
}

void TForm1::updateRecordCount()
{
    m_status->showCount(m_kq->isSearching()
                            ? u"%1 von %2 Datensätzen"_qs.arg(m_kq->rowCount()).arg(m_kq->totalRowCount())
                            : QString());
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    // Entering the search field reads what it searches in, so that the
    // first key is as quick as the others.
    if (watched == m_search && event->type() == QEvent::FocusIn && m_tablesOpen) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            m_kq->prepareSearch();
    }
    if ((watched == m_search || watched == m_grid) && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && key->key() == Qt::Key_Escape && (watched == m_search || m_kq->isSearching())) {
            clearSearch();
            return true;
        }
        if (watched == m_search && plain) {
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                openFirstMatch();
                return true;
            case Qt::Key_Down:
            case Qt::Key_PageDown:
                // Down into the records found, to choose another than the first.
                m_grid->setFocus(Qt::OtherFocusReason);
                m_grid->showCurrentRow();
                return true;
            default:
                break;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- the office's name -------------------------------------------------------------

void TForm1::askOfficeNameOnce()
{
    if (!settings::officeName().isEmpty())
        return;
    m_askingFirstStart = true;
    m_officeDlg->ask(settings::accountFullName(), true);
}

void TForm1::showBetrieb()
{
    const QString kept = settings::officeName();
    m_askingFirstStart = false;
    m_officeDlg->ask(kept.isEmpty() ? m_printSettings.headerLine1 : kept, false);
}

// --- catalogs and lists ----------------------------------------------------------

void TForm1::showEigentuemerliste(bool pick)
{
    if (!m_owners->isOpen())
        return;
    m_ownerPick = pick;
    m_ownerDlg->showList();
}

void TForm1::showOrtsliste(int target)
{
    if (!m_places->isOpen())
        return;
    m_placeTarget = PlaceTarget(target);
    m_placeDlg->showList();
}

void TForm1::Druckvorschau1Click(bool print)
{
    m_print->run(print);
}

void TForm1::showKopfzeilen()
{
    m_headerDlg->setSettings(m_printSettings);
    m_headerDlg->open();
}

void TForm1::takeOwner()
{
    // Nothing to take from an empty list.
    if (m_owners->currentRow() < 0 || !m_tablesOpen || !commitEdits())
        return;
    static const std::pair<const char16_t *, const char16_t *> pairs[] = {
        {u"Anrede", u"E_anrede"}, {u"Name", u"E_Name"}, {u"Zusatz", u"E_zusatz"}, {u"Strasse", u"E_strasse"},
        {u"Plz", u"E_plz"},       {u"Ort", u"E_ort"},   {u"Tel", u"E_tel"},       {u"Fax", u"E_fax"},
    };
    if (!m_kq->edit())
        return;
    const Record &owner = m_owners->current();
    for (const auto &[from, to] : pairs)
        m_kq->setFieldValue(QString::fromUtf16(to), owner.value(QString::fromUtf16(from)));
}

void TForm1::takePlace(PlaceTarget target)
{
    if (target == NoPlaceTarget || m_places->currentRow() < 0 || !m_tablesOpen || !commitEdits())
        return;
    if (!m_kq->edit())
        return;
    const Record &place = m_places->current();
    const bool site = target == SitePlace;
    m_kq->setFieldValue(site ? u"A_Plz"_qs : u"E_plz"_qs, place.value(u"Plz"_qs));
    m_kq->setFieldValue(site ? u"A_Ort"_qs : u"E_ort"_qs, place.value(u"Ort"_qs));
}

void TForm1::editTextList(TextLists::Kind kind)
{
    m_listDlg->editList(kind);
}

void TForm1::showHelp(const QString &topicPath)
{
    if (topicPath.isEmpty())
        showHelpContents();
    else
        showHelpTopic(topicPath);
}

// --- second start, closing -------------------------------------------------------

void TForm1::bringToFront()
{
    // Restored from the task bar the way it was left: a maximised window
    // comes back maximised.
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

bool TForm1::mayCloseWithoutSaving(TableStore *store)
{
    const StoreState s = store->state();
    if (s != StoreState::Edit && s != StoreState::Insert)
        return true;   // "&Nein": the changes are already dropped
    if (!store->lastSaveFailed())
        return false;  // "Abbrechen": the user stays with the changes
    QString lost;
    if (store == m_kq) {
        lost = s == StoreState::Insert ? u"Der neue Datensatz geht dann verloren."_qs
                                       : u"Die Änderungen am Datensatz %1 gehen dann verloren."_qs.arg(store->currentKey());
    } else {
        lost = store == m_owners ? u"Die Änderungen in der Eigentümerliste gehen dann verloren."_qs
                                 : u"Die Änderungen in der Ortsliste gehen dann verloren."_qs;
    }
    const PromptButton answer = MessageBox::question(u"Die Änderungen lassen sich nicht speichern. "
                                                     "Programm ohne Speichern beenden? "_qs + lost,
                                                     PromptButton::Yes | PromptButton::No, PromptButton::No);
    if (answer != PromptButton::Yes)
        return false;
    store->cancel();
    return true;
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    // The print command is still running (a preview is open): it ends first.
    if (m_print && m_print->isRunning()) {
        event->ignore();
        return;
    }
    if (!confirmClose() || !shutdown()) {
        event->ignore();
        return;
    }
    m_closed = true;
    windowgeometry::remember(this);
    event->accept();
    emit shutdownFinished();
}

bool TForm1::confirmClose()
{
    return MessageBox::question(u"Programm wirklich schließen?"_qs, PromptButton::Ok | PromptButton::Cancel,
                                PromptButton::Ok)
        == PromptButton::Ok;
}

bool TForm1::shutdown()
{
    // Pending changes of the installation record are saved with the usual
    // question.  "&Nein" drops them and the program ends; "Abbrechen" (or a
    // typed number that does not convert) keeps the window open with the
    // change still pending, so that nothing is lost unasked.  A save that
    // cannot be written (full disk, read-only table) would fail again on every
    // try: the user may then close without saving, told what is lost.
    if (m_tablesOpen) {
        if (!commitEdits())
            return false;
        if (!m_kq->finishEditing() && !mayCloseWithoutSaving(m_kq))
            return false;
    }
    // An owner or place whose save was put off with "Abbrechen" in its list
    // window is still pending: it gets its question now, under the same rule.
    for (CatalogStore *catalog : {m_owners, m_places}) {
        if (catalog->isOpen() && !catalog->finishEditing() && !mayCloseWithoutSaving(catalog))
            return false;
    }
    // The remark catalog has its own question ("&Ja" / "&Nein" only).
    if (m_remarks->isOpen())
        m_remarks->finishEditing();

    settings::saveDefaultRoomHeight(m_roomHeight);
    return true;
}
