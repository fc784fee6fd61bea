#pragma once

#include "fontdialog.h"
#include "pagebase.h"

#include <functional>

class BindingSet;
class CatalogStore;
class QAction;
class QCheckBox;
class QFrame;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;
class RecordNavigator;
class RecordStore;
class RichTextBinding;
class RichTextEdit;
class StoreGrid;
class TableStore;

// The page "Anmerkungen": on the left the remarks of the current installation
// record (`Bemerkung`), on the right the catalog of standard remarks
// (stdbem.DB) with its navigators, its editor, the short title and the list,
// from which "Kopieren" or a double click copies an entry, or the part of it
// selected, into the remarks with its formatting.
//
// Current editor: the editor that has the focus (or was last clicked) is the
// target of the font command ("Zeichen") and of the edit menu; entering an
// editor puts its row into the edit state and marks it as changed, so that
// leaving the row asks the save question even for a pure formatting change.
class RemarksPage : public PageBase {
    Q_OBJECT
public:
    using FontChooser = std::function<std::optional<FontChoice>(QWidget *parent, const FontChoice &initial)>;

    RemarksPage(RecordStore *records, CatalogStore *catalog, QWidget *parent = nullptr);

    RichTextEdit *bemedit() const { return m_bemedit; }
    RichTextEdit *katedit() const { return m_katedit; }
    RichTextEdit *currentEditor() const { return m_current; }
    QMenu *editMenu() const { return m_menu; }

    // The font command: the font dialog on the current editor's selection;
    // the chosen font goes to the selection, or without one becomes the
    // editor's font for text without a font of its own and for what is typed next.
    void zeichenClick();
    // "Kopieren": the selection of the catalog entry (or all of it) into the
    // remarks at their caret.
    void kopierbtnClick();

    // Where the font dialog comes from (tests answer it themselves).
    void setFontChooser(FontChooser chooser) { m_chooseFont = std::move(chooser); }

    // Shows the current rows (after the tables were opened).
    void refresh();

signals:
    // The font command can be used (an editor is current) or not.
    void fontCommandAvailable(bool available);

private:
    void buildCatalog(QFrame *box);
    void enterEditor(RichTextEdit *editor);
    void leaveEditor(RichTextEdit *editor, Qt::FocusReason reason);
    void markChanged(RichTextEdit *editor);
    TableStore *storeOf(RichTextEdit *editor) const;
    RichTextBinding *bindingOf(RichTextEdit *editor) const;
    void showEditMenu(RichTextEdit *editor, const QPoint &pos);
    void updateNavigators();

    RecordStore *m_records;
    CatalogStore *m_catalog;
    RichTextEdit *m_bemedit = nullptr;
    RichTextEdit *m_katedit = nullptr;
    RichTextEdit *m_current = nullptr;
    RichTextBinding *m_remarkBinding = nullptr;
    RichTextBinding *m_catalogBinding = nullptr;
    BindingSet *m_recordBindings = nullptr;
    BindingSet *m_catalogBindings = nullptr;
    QCheckBox *m_confirm = nullptr;
    RecordNavigator *m_navigator = nullptr;
    RecordNavigator *m_gridNavigator = nullptr;
    QToolButton *m_editButton = nullptr;
    QToolButton *m_cancelButton = nullptr;
    QLineEdit *m_shortTitle = nullptr;
    StoreGrid *m_grid = nullptr;
    QPushButton *m_copyButton = nullptr;
    QMenu *m_menu = nullptr;
    FontChooser m_chooseFont;
};
