#include "ortslistdlg.h"

#include "catalogstore.h"
#include "fieldbinding.h"
#include "storegrid.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QTabWidget>

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

    m_pages->addTab(gridPage("uebersicht"), u"&Übersicht"_qs);

    auto *details = new QWidget;
    details->setObjectName(u"details"_qs);
    auto *form = new QFormLayout(details);
    auto *plz = new QLineEdit;
    plz->setObjectName(u"plzedit"_qs);
    m_bindings->add<LineEditBinding>(u"Plz"_qs, plz);
    auto *ort = new QLineEdit;
    ort->setObjectName(u"ortedit"_qs);
    m_bindings->add<LineEditBinding>(u"Ort"_qs, ort);
    form->addRow(u"&PLZ"_qs, plz);
    form->addRow(u"&Ort"_qs, ort);
    m_pages->addTab(details, u"&Details"_qs);

    finishLayout();
    // A fixed dialog.
    setFixedSize(440, 400);
}
