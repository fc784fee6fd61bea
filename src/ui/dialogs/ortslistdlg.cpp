#include "ortslistdlg.h"

#include "catalogstore.h"
#include "storegrid.h"

Tortslistdlg::Tortslistdlg(CatalogStore *places, QWidget *parent)
    : CatalogListDialog(places, u"::/ortsliste.htm"_qs, parent)
{
    setObjectName(u"Tortslistdlg"_qs);
    setWindowTitle(u"Ortsliste"_qs);

    auto *grid = new StoreGrid(places, {
        {u"Plz"_qs, u"Plz"_qs, 70},
        {u"Ort"_qs, u"Ort"_qs, 260},
    });
    grid->setObjectName(u"ortsgrid"_qs);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    setGrid(grid);

    addPages("uebersicht", u"&Übersicht"_qs, {
        {u"&PLZ"_qs, {u"Plz"_qs}},
        {u"&Ort"_qs, {u"Ort"_qs}},
    });

    finishLayout();
    // A fixed dialog.
    setFixedSize(440, 400);
}
