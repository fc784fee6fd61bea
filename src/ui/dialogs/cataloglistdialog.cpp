#include "cataloglistdialog.h"

#include "catalogstore.h"
#include "fieldbinding.h"
#include "recordnavigator.h"
#include "storegrid.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

CatalogListDialog::CatalogListDialog(CatalogStore *store, const QString &helpTopic, QWidget *parent)
    : QDialog(parent)
    , m_store(store)
    , m_helpTopic(helpTopic)
{
    setModal(true);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(u"pagecontrol"_qs);
    m_bindings = new BindingSet(store, this);

    m_navigator = new RecordNavigator(this);
    m_navigator->setObjectName(u"navigator"_qs);
    connect(m_navigator, &RecordNavigator::firstClicked, this, [this] { if (m_bindings->commitAll()) m_store->first(); });
    connect(m_navigator, &RecordNavigator::priorClicked, this, [this] { if (m_bindings->commitAll()) m_store->prior(); });
    connect(m_navigator, &RecordNavigator::nextClicked, this, [this] { if (m_bindings->commitAll()) m_store->next(); });
    connect(m_navigator, &RecordNavigator::lastClicked, this, [this] { if (m_bindings->commitAll()) m_store->last(); });
    connect(m_navigator, &RecordNavigator::insertClicked, this, [this] {
        if (!m_bindings->commitAll() || !m_store->insert())
            return;
        // A list that cannot be typed into takes a new entry on its details page.
        if (m_grid && m_grid->editTriggers() == QAbstractItemView::NoEditTriggers
            && m_pages->currentWidget() && m_pages->currentWidget()->isAncestorOf(m_grid))
            m_pages->setCurrentIndex(m_pages->count() - 1);
        focusCurrentPage();
    });
    connect(m_navigator, &RecordNavigator::deleteClicked, this, [this] { m_store->deleteCurrent(); });
    auto updateNavigator = [this] { m_navigator->setPosition(m_store->currentRow(), m_store->rowCount()); };
    connect(store, &TableStore::afterScroll, this, updateNavigator);
    connect(store, &TableStore::rowsReset, this, updateNavigator);
    connect(store, &TableStore::afterOpen, this, updateNavigator);

    // Ticked at every start, not remembered between runs.
    m_confirm = new QCheckBox(u"Änderungen bestätigen"_qs, this);
    m_confirm->setObjectName(u"aenderungsabfrage"_qs);
    m_confirm->setToolTip(u"Bestätigungsabfrage bei Änderungen"_qs);
    m_confirm->setChecked(true);
    store->setConfirmChanges(true);
    connect(m_confirm, &QCheckBox::toggled, this, [this](bool on) { m_store->setConfirmChanges(on); });

    m_ok = new QPushButton(u"OK"_qs, this);
    m_ok->setObjectName(u"okbtn"_qs);
    m_abort = new QPushButton(u"Abbrechen"_qs, this);
    m_abort->setObjectName(u"abbrechenbtn"_qs);
    m_help = new QPushButton(u"&Hilfe"_qs, this);
    m_help->setObjectName(u"hilfebtn"_qs);
    for (QPushButton *b : {m_ok, m_abort, m_help})
        b->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, [this] { done(Ok); });
    connect(m_abort, &QPushButton::clicked, this, [this] { done(Abort); });
    connect(m_help, &QPushButton::clicked, this, [this] { emit helpRequested(m_helpTopic); });
    // F1 in the window asks for the same topic as its "&Hilfe" button.
    auto *f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, [this] { emit helpRequested(m_helpTopic); });
}

void CatalogListDialog::setGrid(StoreGrid *grid)
{
    m_grid = grid;
    grid->setBeforeMove([this] { return m_bindings->commitAll(); });
    connect(grid, &QAbstractItemView::doubleClicked, this, [this] { done(Ok); });
    connect(grid, &StoreGrid::deleteRequested, this, [this] { m_store->deleteCurrent(); });
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
}

void CatalogListDialog::showList()
{
    m_bindings->refreshAll();
    m_navigator->setPosition(m_store->currentRow(), m_store->rowCount());
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
    if (result == Closed) {
        m_store->cancel();
    } else {
        // Text typed into a detail field is the catalog's before it is saved.
        m_bindings->commitAll();
        const bool newRow = m_store->state() == StoreState::Insert;
        // A refusal ("&Nein" or "Abbrechen") does not keep the window open;
        // with "Abbrechen" the row stays in its edit state until its next save.
        const bool saved = m_store->finishEditing();
        // "&Nein" to a new entry removes it; the row that became current is not
        // the one the user chose, so nothing is taken over.
        if (result == Ok && newRow && !saved && m_store->state() != StoreState::Insert)
            result = Abort;
    }
    afterClosing();
    m_finishing = false;
    QDialog::done(result);
}
