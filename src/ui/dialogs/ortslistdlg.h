#pragma once

#include "cataloglistdialog.h"

// The place list "Ortsliste": postcodes and towns, chosen by row in the
// overview, edited on the page "Details".
class Tortslistdlg : public CatalogListDialog {
    Q_OBJECT
public:
    explicit Tortslistdlg(CatalogStore *places, QWidget *parent = nullptr);
};
