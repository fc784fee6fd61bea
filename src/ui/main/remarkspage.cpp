#include "remarkspage.h"

#include "catalogstore.h"
#include "fieldbinding.h"
#include "recordnavigator.h"
#include "recordstore.h"
#include "richtextbinding.h"
#include "richtextedit.h"
#include "rtf.h"
#include "storegrid.h"
#include "tabchain.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>
#include <QToolButton>
#include <QVBoxLayout>

#include <vector>

namespace {

QLabel *heading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

// A character format that sets every attribute of the chosen font and colour.
QTextCharFormat formatOf(const FontChoice &choice)
{
    QTextCharFormat f;
    f.setFontFamilies({choice.font.family()});
    double pt = choice.font.pointSizeF();
    if (pt <= 0 && choice.font.pixelSize() > 0)
        pt = choice.font.pixelSize() * 0.75;
    if (pt > 0)
        f.setFontPointSize(pt);
    f.setFontWeight(choice.font.weight());
    f.setFontItalic(choice.font.italic());
    f.setFontUnderline(choice.font.underline());
    f.setFontStrikeOut(choice.font.strikeOut());
    if (choice.color.isValid())
        f.setForeground(choice.color);
    return f;
}

} // namespace

RemarksPage::RemarksPage(RecordStore *records, CatalogStore *catalog, QWidget *parent)
    : PageBase(parent)
    , m_records(records)
    , m_catalog(catalog)
{
    setHelpTopic(u"::/anmerkungen.htm"_qs);

    // --- left half: the remarks of the record ----------------------------------
    auto *left = new QVBoxLayout;
    left->addWidget(heading(u"Anmerkungen im Nachweisprotokoll"_qs, this));
    m_bemedit = new RichTextEdit(this);
    m_bemedit->setObjectName(u"bemedit"_qs);
    left->addWidget(m_bemedit, 1);

    // --- right half: the catalog ----------------------------------------------
    auto *box = new QFrame(this);
    box->setObjectName(u"katalog"_qs);
    buildCatalog(box);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(box, 1);

    // --- bindings ---------------------------------------------------------------
    m_recordBindings = new BindingSet(records, this);
    m_remarkBinding = m_recordBindings->add<RichTextBinding>(u"Bemerkung"_qs, m_bemedit);
    m_catalogBindings = new BindingSet(catalog, this);
    m_catalogBinding = m_catalogBindings->add<RichTextBinding>(u"Text"_qs, m_katedit);
    m_catalogBindings->add<LineEditBinding>(u"Kurzbez"_qs, m_shortTitle);

    // --- the current editor -----------------------------------------------------
    for (RichTextEdit *edit : {m_bemedit, m_katedit}) {
        connect(edit, &RichTextEdit::focusEntered, this, [this, edit] { enterEditor(edit); });
        connect(edit, &RichTextEdit::focusLeft, this, [this, edit](Qt::FocusReason r) { leaveEditor(edit, r); });
        connect(edit, &RichTextEdit::mousePressed, this, [this, edit] { enterEditor(edit); });
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(edit, &QWidget::customContextMenuRequested, this,
                [this, edit](const QPoint &pos) { showEditMenu(edit, pos); });
    }
    connect(m_katedit, &RichTextEdit::mouseReleased, this, [this] { enterEditor(m_katedit); });

    // --- the edit menu ----------------------------------------------------------
    m_menu = new QMenu(this);
    m_menu->setObjectName(u"bearbeitenmenu"_qs);
    auto item = [this](const char *name, const QString &text, const QKeySequence &keys, auto act) {
        QAction *a = m_menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (!keys.isEmpty()) {
            a->setShortcut(keys);
            // The editors handle these keys themselves; the menu shows them.
            a->setShortcutContext(Qt::WidgetShortcut);
        }
        connect(a, &QAction::triggered, this, [this, act] {
            if (m_current)
                act(m_current);
        });
        return a;
    };
    item("rueckgaengig", u"&Rückgängig"_qs, QKeySequence(u"Ctrl+Z"_qs), [](RichTextEdit *e) { e->undo(); });
    m_menu->addSeparator();
    item("ausschneiden", u"&Ausschneiden"_qs, QKeySequence(u"Ctrl+X"_qs), [](RichTextEdit *e) { e->cut(); });
    item("kopieren", u"&Kopieren"_qs, QKeySequence(u"Ctrl+C"_qs), [](RichTextEdit *e) { e->copy(); });
    item("einfuegen", u"&Einfügen"_qs, QKeySequence(u"Ctrl+V"_qs), [](RichTextEdit *e) { e->paste(); });
    m_menu->addSeparator();
    item("zeichen", u"&Zeichen"_qs, QKeySequence(), [this](RichTextEdit *) { zeichenClick(); });

    setTabChain({m_bemedit, m_confirm, m_navigator, m_katedit, m_shortTitle, m_grid, m_gridNavigator, m_editButton,
                 m_cancelButton, m_copyButton, findChild<QPushButton *>(u"hilfebtn"_qs)});

    connect(catalog, &TableStore::rowsReset, this, &RemarksPage::updateNavigators);
    connect(catalog, &TableStore::afterScroll, this, &RemarksPage::updateNavigators);
    connect(catalog, &TableStore::stateChanged, this, &RemarksPage::updateNavigators);
}

void RemarksPage::buildCatalog(QFrame *box)
{
    // The catalog's controls stand on the tooltip colour, set apart from the remarks.
    QPalette pal = box->palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        pal.setColor(role, pal.color(QPalette::ToolTipBase));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(role, pal.color(QPalette::ToolTipText));
    box->setPalette(pal);
    box->setAutoFillBackground(true);
    box->setFrameShape(QFrame::StyledPanel);

    auto *column = new QVBoxLayout(box);

    auto *top = new QHBoxLayout;
    top->addWidget(heading(u"Katalog"_qs, box));
    top->addStretch(1);
    m_confirm = new QCheckBox(u"Änderungen bestätigen"_qs, box);
    m_confirm->setObjectName(u"Bestaetigbox"_qs);
    m_confirm->setToolTip(u"Bestätigungsabfrage bei Änderungen des Kataloges"_qs);
    m_confirm->setChecked(true);
    connect(m_confirm, &QCheckBox::toggled, this, [this](bool on) { m_catalog->setConfirmChanges(on); });
    top->addWidget(m_confirm);
    column->addLayout(top);

    m_navigator = new RecordNavigator(box);
    m_navigator->setObjectName(u"katnavigator"_qs);
    auto *navRow = new QHBoxLayout;
    navRow->addWidget(m_navigator);
    navRow->addStretch(1);
    column->addLayout(navRow);

    m_katedit = new RichTextEdit(box);
    m_katedit->setObjectName(u"katedit"_qs);
    column->addWidget(m_katedit, 3);

    auto *titleRow = new QHBoxLayout;
    auto *titleLabel = new QLabel(u"Kurzbezeichnung"_qs, box);
    m_shortTitle = new QLineEdit(box);
    m_shortTitle->setObjectName(u"kurzbezedit"_qs);
    titleLabel->setBuddy(m_shortTitle);
    titleRow->addWidget(titleLabel);
    titleRow->addWidget(m_shortTitle, 1);
    column->addLayout(titleRow);

    m_grid = new StoreGrid(m_catalog, {{u"Kurzbez"_qs, u"Kurzbezeichnung"_qs, 600}}, box);
    m_grid->setObjectName(u"katgrid"_qs);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { kopierbtnClick(); });
    connect(m_grid, &StoreGrid::deleteRequested, this, [this] { m_catalog->deleteCurrent(); });
    column->addWidget(m_grid, 2);

    // The second navigator below the list, with edit and cancel, and "Kopieren" beside it.
    auto *bottom = new QHBoxLayout;
    m_gridNavigator = new RecordNavigator(box);
    m_gridNavigator->setObjectName(u"katgridnavigator"_qs);
    bottom->addWidget(m_gridNavigator);
    auto tool = [box](const char *name, QStyle::StandardPixmap icon, const QString &hint) {
        auto *b = new QToolButton(box);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(box->style()->standardIcon(icon));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        return b;
    };
    m_editButton = tool("katbearbeitenbtn", QStyle::SP_FileDialogDetailedView, u"Datensatz bearbeiten"_qs);
    m_cancelButton = tool("katabbrechenbtn", QStyle::SP_DialogCancelButton, u"Bearbeiten abbrechen"_qs);
    bottom->addWidget(m_editButton);
    bottom->addWidget(m_cancelButton);
    connect(m_editButton, &QToolButton::clicked, this, [this] { m_catalog->edit(); });
    connect(m_cancelButton, &QToolButton::clicked, this, [this] { m_catalog->cancel(); });
    m_copyButton = new QPushButton(u"Kopieren"_qs, box);
    m_copyButton->setObjectName(u"kopierbtn"_qs);
    m_copyButton->setToolTip(u"Kopieren in das Nachweisprotokoll"_qs);
    connect(m_copyButton, &QPushButton::clicked, this, &RemarksPage::kopierbtnClick);
    bottom->addWidget(m_copyButton);
    bottom->addStretch(1);
    bottom->addWidget(makeHelpButton());
    column->addLayout(bottom);

    for (RecordNavigator *nav : {m_navigator, m_gridNavigator}) {
        connect(nav, &RecordNavigator::firstClicked, this, [this] { m_catalog->first(); });
        connect(nav, &RecordNavigator::priorClicked, this, [this] { m_catalog->prior(); });
        connect(nav, &RecordNavigator::nextClicked, this, [this] { m_catalog->next(); });
        connect(nav, &RecordNavigator::lastClicked, this, [this] { m_catalog->last(); });
        connect(nav, &RecordNavigator::insertClicked, this, [this] { m_catalog->insert(); });
        connect(nav, &RecordNavigator::deleteClicked, this, [this] { m_catalog->deleteCurrent(); });
    }
}

void RemarksPage::refresh()
{
    m_recordBindings->refreshAll();
    m_catalogBindings->refreshAll();
    m_grid->showCurrentRow();
    updateNavigators();
}

void RemarksPage::updateNavigators()
{
    for (RecordNavigator *nav : {m_navigator, m_gridNavigator})
        nav->setPosition(m_catalog->currentRow(), m_catalog->rowCount());
    const StoreState s = m_catalog->state();
    m_editButton->setEnabled(s == StoreState::Browse && !m_catalog->isEmpty());
    m_cancelButton->setEnabled(s == StoreState::Edit || s == StoreState::Insert);
}

TableStore *RemarksPage::storeOf(RichTextEdit *editor) const
{
    return editor == m_katedit ? static_cast<TableStore *>(m_catalog) : static_cast<TableStore *>(m_records);
}

RichTextBinding *RemarksPage::bindingOf(RichTextEdit *editor) const
{
    return editor == m_katedit ? m_catalogBinding : m_remarkBinding;
}

// --- the current editor ---------------------------------------------------------

void RemarksPage::markChanged(RichTextEdit *editor)
{
    TableStore *store = storeOf(editor);
    if (store->isOpen() && store->edit())
        store->markModified();
}

void RemarksPage::enterEditor(RichTextEdit *editor)
{
    const bool was = m_current != nullptr;
    m_current = editor;
    if (!was)
        emit fontCommandAvailable(true);
    markChanged(editor);
}

void RemarksPage::leaveEditor(RichTextEdit *editor, Qt::FocusReason reason)
{
    // The edit menu opening over the editor leaves it current.
    if (reason == Qt::PopupFocusReason || m_current != editor)
        return;
    m_current = nullptr;
    emit fontCommandAvailable(false);
}

void RemarksPage::showEditMenu(RichTextEdit *editor, const QPoint &pos)
{
    enterEditor(editor);
    const bool selection = editor->textCursor().hasSelection();
    for (QAction *a : m_menu->actions()) {
        const QString n = a->objectName();
        if (n == u"rueckgaengig")
            a->setEnabled(editor->document()->isUndoAvailable());
        else if (n == u"ausschneiden" || n == u"kopieren")
            a->setEnabled(selection);
        else if (n == u"einfuegen")
            a->setEnabled(editor->canPaste());
    }
    m_menu->exec(editor->viewport()->mapToGlobal(pos));
}

// --- commands ---------------------------------------------------------------------

void RemarksPage::zeichenClick()
{
    RichTextEdit *editor = m_current;
    if (!editor)
        return;
    // The dialog starts with the attributes of the selection (its first
    // character), or of the text typed next.
    QTextCursor cursor = editor->textCursor();
    QTextCharFormat current = editor->currentCharFormat();
    if (cursor.hasSelection()) {
        QTextCursor probe(editor->document());
        probe.setPosition(cursor.selectionStart() + 1);
        current = probe.charFormat();
    }
    FontChoice initial;
    initial.font = current.font().resolve(editor->document()->defaultFont());
    initial.color = current.hasProperty(QTextFormat::ForegroundBrush) ? current.foreground().color()
                                                                       : editor->palette().color(QPalette::Text);
    markChanged(editor);

    const std::optional<FontChoice> chosen =
        m_chooseFont ? m_chooseFont(this, initial) : FontDialog::ask(this, initial);
    if (!chosen)
        return;
    const QTextCharFormat format = formatOf(*chosen);
    if (cursor.hasSelection()) {
        cursor.mergeCharFormat(format);
    } else {
        // Text without a font of its own, and what is typed next.
        QFont base = chosen->font;
        editor->document()->setDefaultFont(base);
        editor->mergeCurrentCharFormat(format);
    }
    bindingOf(editor)->writeNow();
    markChanged(editor);
}

void RemarksPage::kopierbtnClick()
{
    QTextCursor cursor = m_katedit->textCursor();
    const int caret = cursor.position();
    if (!cursor.hasSelection()) {
        cursor.select(QTextCursor::Document);
        m_katedit->setTextCursor(cursor);
    }
    // An empty entry copies nothing (the clipboard keeps what it had and
    // nothing older lands in the remarks).
    if (cursor.hasSelection()) {
        // The clipboard gets the copy with its formatting, as with Ctrl+C; the
        // remarks get it straight from the catalog, whatever became of the
        // clipboard meanwhile.
        m_katedit->copy();
        QTextCursor target = m_bemedit->textCursor();
        const int from = std::min(target.position(), target.anchor());
        rtf::insert(target, rtf::writeSelection(cursor));
        // Every attribute the remarks editor shows for the inserted text is
        // made its own, so that what is stored, printed and copied out is
        // what the editor shows (nothing is left to the editor's default
        // attributes).
        const QFont shown = m_bemedit->document()->defaultFont();
        std::vector<std::pair<QTextCursor, QTextCharFormat>> runs;
        for (QTextBlock b = m_bemedit->document()->findBlock(from); b.isValid() && b.position() <= target.position();
             b = b.next()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment frag = it.fragment();
                const int a = std::max(frag.position(), from);
                const int e = std::min(frag.position() + frag.length(), target.position());
                if (!frag.isValid() || a >= e)
                    continue;
                QTextCharFormat explicitFormat;
                explicitFormat.setFont(frag.charFormat().font().resolve(shown), QTextCharFormat::FontPropertiesAll);
                QTextCursor run(m_bemedit->document());
                run.setPosition(a);
                run.setPosition(e, QTextCursor::KeepAnchor);
                runs.emplace_back(run, explicitFormat);
            }
        }
        QTextCursor edit(m_bemedit->document());
        edit.joinPreviousEditBlock();   // one undo step with the paste
        for (auto &[run, format] : runs)
            run.mergeCharFormat(format);
        edit.endEditBlock();
        m_bemedit->setTextCursor(target);
        m_bemedit->ensureCursorVisible();
    }
    QTextCursor back = m_katedit->textCursor();
    back.setPosition(std::min(caret, m_katedit->document()->characterCount() - 1));
    m_katedit->setTextCursor(back);
}
