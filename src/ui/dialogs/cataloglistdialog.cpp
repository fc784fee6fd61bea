#include "cataloglistdialog.h"

#include "catalogstore.h"
#include "fieldbinding.h"
#include "modifiedmark.h"
#include "tabswitch.h"
#include "recordnavigator.h"
#include "storegrid.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

CatalogListDialog::CatalogListDialog(CatalogStore *store, const QString &helpTopic, QWidget *parent)
    : DialogBase(parent)
    , m_store(store)
{
    setModal(true);
    setHelpTopic(helpTopic);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(u"pagecontrol"_qs);
    m_bindings = new BindingSet(store, this);

    m_navigator = new RecordNavigator(this);
    m_navigator->setObjectName(u"navigator"_qs);
    connect(m_navigator, &RecordNavigator::firstClicked, this, [this] { if (m_bindings->commitAll()) m_store->first(); });
    connect(m_navigator, &RecordNavigator::priorClicked, this, [this] { if (m_bindings->commitAll()) m_store->prior(); });
    connect(m_navigator, &RecordNavigator::nextClicked, this, [this] { if (m_bindings->commitAll()) m_store->next(); });
    connect(m_navigator, &RecordNavigator::lastClicked, this, [this] { if (m_bindings->commitAll()) m_store->last(); });
    connect(m_navigator, &RecordNavigator::insertClicked, this, &CatalogListDialog::insertEntry);
    connect(m_navigator, &RecordNavigator::deleteClicked, this, [this] { m_store->deleteCurrent(); });
    auto updateNavigator = [this] { m_navigator->showPositionOf(*m_store); };
    connect(store, &TableStore::afterScroll, this, updateNavigator);
    connect(store, &TableStore::rowsReset, this, updateNavigator);
    connect(store, &TableStore::afterOpen, this, updateNavigator);
    connect(store, &TableStore::stateChanged, this, updateNavigator);
    connect(store, &TableStore::fieldChanged, this, updateNavigator);
    connect(store, &TableStore::fieldChanged, this, [this] { m_newUntouched = false; });
    connect(store, &TableStore::stateChanged, this, [this](StoreState s) {
        if (s != StoreState::Insert)
            m_newUntouched = false;
    });

    // Ticked at every start, not remembered between runs.
    m_confirm = new QCheckBox(u"&Änderungen bestätigen"_qs, this);
    m_confirm->setObjectName(u"aenderungsabfrage"_qs);
    m_confirm->setToolTip(u"Bestätigungsabfrage bei Änderungen"_qs);
    m_confirm->setChecked(true);
    store->setConfirmChanges(true);
    connect(m_confirm, &QCheckBox::toggled, this, [this](bool on) { m_store->setConfirmChanges(on); });

    m_ok = new QPushButton(u"OK"_qs, this);
    m_ok->setObjectName(u"okbtn"_qs);
    m_abort = new QPushButton(u"Abbrechen"_qs, this);
    m_abort->setObjectName(u"abbrechenbtn"_qs);
    m_help = makeHelpButton();
    for (QPushButton *b : {m_ok, m_abort})
        b->setAutoDefault(false);
    // Enter takes the entry, as the double click does; Escape closes like "Abbrechen".
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, [this] { done(Ok); });
    connect(m_abort, &QPushButton::clicked, this, [this] { done(Abort); });

    auto *save = new QShortcut(QKeySequence::Save, this);
    save->setContext(Qt::WindowShortcut);
    connect(save, &QShortcut::activated, this, &CatalogListDialog::saveEntry);
    addPageSwitchKeys(m_pages);
}

QLabel *CatalogListDialog::buddyLabel(const QString &text, QWidget *field)
{
    auto *label = new QLabel(text);
    label->setBuddy(field);
    return label;
}

void CatalogListDialog::insertEntry()
{
    if (!m_bindings->commitAll() || !m_store->insert())
        return;
    m_newUntouched = true;
    // A new entry is typed on the details page, which shows all its fields;
    // the cursor stands in the first of them, so typing lands there.
    m_pages->setCurrentIndex(m_pages->count() - 1);
    focusCurrentPage();
}

bool CatalogListDialog::saveEntry()
{
    return m_bindings->saveNow();
}

void CatalogListDialog::setGrid(StoreGrid *grid)
{
    m_grid = grid;
    grid->setBeforeMove([this] { return m_bindings->commitAll(); });
    connect(grid, &QAbstractItemView::doubleClicked, this, [this] { done(Ok); });
    connect(grid, &StoreGrid::deleteRequested, this, [this] { m_store->deleteCurrent(); });
}

QWidget *CatalogListDialog::gridPage(const char *objectName)
{
    auto *page = new QWidget;
    page->setObjectName(QString::fromLatin1(objectName));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid, 1);
    auto *hint = new QLabel(u"F2 bearbeitet, Enter oder Doppelklick übernimmt"_qs, page);
    hint->setObjectName(u"gridhinweis"_qs);
    hint->setContentsMargins(4, 0, 4, 2);
    layout->addWidget(hint);
    // A list whose cells are not edited in place is edited on its details page.
    if (m_grid->editTriggers() == QAbstractItemView::NoEditTriggers) {
        auto *edit = new QShortcut(QKeySequence(Qt::Key_F2), m_grid, nullptr, nullptr, Qt::WidgetShortcut);
        connect(edit, &QShortcut::activated, this, [this] {
            if (m_store->currentRow() < 0)
                return;
            m_pages->setCurrentIndex(m_pages->count() - 1);
            focusCurrentPage();
        });
    }
    return page;
}

void CatalogListDialog::addPages(const char *listName, const QString &listCaption, const QList<DetailRow> &rows)
{
    m_pages->addTab(gridPage(listName), listCaption);
    m_pages->addTab(detailsPage(rows), u"&Details"_qs);
}

QWidget *CatalogListDialog::detailsPage(const QList<DetailRow> &rows)
{
    auto *details = new QWidget;
    details->setObjectName(u"details"_qs);
    auto *form = new QFormLayout(details);
    auto field = [this](const QString &name) {
        auto *edit = new QLineEdit;
        edit->setObjectName(name.toLower() + u"edit"_qs);
        m_bindings->add<LineEditBinding>(name, edit);
        return edit;
    };
    for (const DetailRow &row : rows) {
        if (row.fields.size() == 1) {
            form->addRow(row.caption, field(row.fields.first()));
            continue;
        }
        auto *line = new QHBoxLayout;
        QLineEdit *first = nullptr;
        for (const QString &name : row.fields) {
            QLineEdit *edit = field(name);
            if (!first) {
                first = edit;
                if (row.firstWidth > 0)
                    edit->setMaximumWidth(row.firstWidth);
            }
            line->addWidget(edit);
        }
        form->addRow(buddyLabel(row.caption, first), line);
    }
    return details;
}

void CatalogListDialog::finishLayout()
{
    auto *top = new QHBoxLayout;
    top->addWidget(m_navigator);
    top->addSpacing(16);
    top->addWidget(m_confirm);
    top->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_abort);
    buttons->addWidget(m_help);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);

    new ModifiedMark(this, windowTitle(), {m_store});
}

void CatalogListDialog::showList()
{
    m_bindings->refreshAll();
    m_navigator->showPositionOf(*m_store);
    if (m_grid)
        m_grid->showCurrentRow();
    // Centred on the screen.
    if (QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    open();
    focusCurrentPage();
}

void CatalogListDialog::focusCurrentPage()
{
    // Typing goes where the entry is shown: into the list, or into the first
    // field of the details; never onto a navigator button.
    QWidget *page = m_pages->currentWidget();
    if (!page)
        return;
    if (m_grid && page->isAncestorOf(m_grid)) {
        m_grid->setFocus(Qt::OtherFocusReason);
    } else if (auto *first = page->findChild<QLineEdit *>()) {
        first->setFocus(Qt::OtherFocusReason);
    }
}

void CatalogListDialog::done(int result)
{
    if (m_finishing)
        return;
    m_finishing = true;
    // Text typed into a detail field is the catalog's before it is saved.
    m_bindings->commitAll();
    const bool newRow = m_store->state() == StoreState::Insert;
    if (newRow && m_newUntouched) {
        // "+" and nothing typed: there is no entry to save or take.
        m_store->cancel();
        if (result == Ok)
            result = Abort;
    } else {
        // Whichever way the window closes, what the user typed is saved or
        // asked about; a refusal ("&Nein" or "Abbrechen") does not keep the
        // window open, and with "Abbrechen" the row stays in its edit state
        // until its next save.
        const bool saved = m_store->finishEditing();
        // "&Nein" to a new entry removes it; the row that became current is not
        // the one the user chose, so nothing is taken over.
        if (result == Ok && newRow && !saved && m_store->state() != StoreState::Insert)
            result = Abort;
    }
    afterClosing();
    m_finishing = false;
    DialogBase::done(result);
}
