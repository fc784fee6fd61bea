#include "eigentuemerdlg.h"

#include "catalogstore.h"
#include "storegrid.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

namespace {
constexpr int kNameColumn = 0;
constexpr int kOrtColumn = 3;
} // namespace

Teigentuemerdlg::Teigentuemerdlg(CatalogStore *owners, QWidget *parent)
    : CatalogListDialog(owners, u"::/eigentuemerliste.htm"_qs, parent)
{
    setObjectName(u"Teigentuemerdlg"_qs);
    setWindowTitle(u"Eigentümer"_qs);
    // Unlike the other dialogs it can be maximised, for a long list of owners.
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    resize(760, 480);

    auto *grid = new StoreGrid(owners, {
        {u"Name"_qs, u"Name"_qs, 180, false, true},
        {u"Zusatz"_qs, u"Zusatz"_qs, 140},
        {u"Plz"_qs, u"Plz"_qs, 60},
        {u"Ort"_qs, u"Ort"_qs, 150, false, true},
        {u"Strasse"_qs, u"Straße"_qs, 180},
    });
    grid->setObjectName(u"eigentuemergrid"_qs);
    grid->storeModel()->setEditable(true);
    // A double click takes the owner; typing or F2 edits a cell.
    grid->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                          | QAbstractItemView::SelectedClicked);
    setGrid(grid);
    QHeaderView *header = grid->horizontalHeader();
    header->setSectionsClickable(true);
    header->setMouseTracking(true);
    header->viewport()->setMouseTracking(true);
    header->viewport()->installEventFilter(this);
    connect(header, &QHeaderView::sectionClicked, this, &Teigentuemerdlg::titleClicked);

    addPages("liste", u"&Liste"_qs, {
        {u"&Anrede"_qs, {u"Anrede"_qs}},
        {u"&Name"_qs, {u"Name"_qs}},
        {u"&Zusatz"_qs, {u"Zusatz"_qs}},
        {u"&Straße"_qs, {u"Strasse"_qs}},
        {u"&PLZ, Ort"_qs, {u"Plz"_qs, u"Ort"_qs}, 80},
        {u"&Tel."_qs, {u"Tel"_qs}},
        {u"&Fax."_qs, {u"Fax"_qs}},
    });

    finishLayout();
}

QString Teigentuemerdlg::titleHint(int column)
{
    if (column == kNameColumn)
        return u"Sortierung nach Name"_qs;
    if (column == kOrtColumn)
        return u"Sortierung nach Ort und Straße"_qs;
    return {};
}

void Teigentuemerdlg::showList()
{
    // Each opening starts with the owners by name.
    m_store->setOrder(QString());
    CatalogListDialog::showList();
}

void Teigentuemerdlg::afterClosing()
{
    // Back to the order by name; a row still being edited (its save was put
    // off with "Abbrechen") keeps the order until the next opening asks again.
    if (m_store->state() == StoreState::Browse)
        m_store->setOrder(QString());
}

void Teigentuemerdlg::titleClicked(int column)
{
    if (column == kNameColumn)
        m_store->setOrder(QString());
    else if (column == kOrtColumn)
        m_store->setOrder(CatalogStore::ortOrder);
}

bool Teigentuemerdlg::eventFilter(QObject *watched, QEvent *event)
{
    QHeaderView *header = m_grid->horizontalHeader();
    if (watched == header->viewport()) {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
            const QPoint pos = event->type() == QEvent::MouseMove ? static_cast<QMouseEvent *>(event)->position().toPoint()
                                                                   : header->viewport()->mapFromGlobal(QCursor::pos());
            const bool sortable = !titleHint(header->logicalIndexAt(pos)).isEmpty();
            if (sortable)
                header->viewport()->setCursor(Qt::PointingHandCursor);
            else
                header->viewport()->unsetCursor();
            if (!sortable)
                QToolTip::hideText();
        } else if (event->type() == QEvent::Leave) {
            header->viewport()->unsetCursor();
        } else if (event->type() == QEvent::ToolTip) {
            auto *help = static_cast<QHelpEvent *>(event);
            const QString hint = titleHint(header->logicalIndexAt(help->pos()));
            if (hint.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), hint, header->viewport());
            return true;
        }
    }
    return CatalogListDialog::eventFilter(watched, event);
}
