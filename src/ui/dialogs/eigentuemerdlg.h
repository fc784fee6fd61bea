#pragma once

#include "cataloglistdialog.h"

class QHeaderView;

// The owner list "Eigentümer": the owners in a grid whose cells can be edited,
// and one owner's full address on the page "Details".  Clicking the title
// "Name" lists the owners by name, "Ort" by town and street.
class Teigentuemerdlg : public CatalogListDialog {
    Q_OBJECT
public:
    explicit Teigentuemerdlg(CatalogStore *owners, QWidget *parent = nullptr);

    void showList() override;

    // The hint over a column title: "Sortierung nach Name" over "Name",
    // "Sortierung nach Ort und Straße" over "Ort", none elsewhere.
    static QString titleHint(int column);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void afterClosing() override;

private:
    void titleClicked(int column);
};
