#include "mainwindow.h"
#include "uitestenv.h"

#include "../common/keyboardcheck.h"
#include "protocolparts.h"
#include "recordnavigator.h"
#include "reportengine.h"
#include "remarkspage.h"
#include "richtextedit.h"
#include "rtf.h"
#include "startup.h"
#include "storegrid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFontInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>

namespace {

const QString kSaveRecord = u"Daten wurden geändert. Jetzt speichern?"_qs;
const QString kSaveCatalog = u"Daten im Anmerkungskatalog wurden geändert. Jetzt speichern?"_qs;

QTextCharFormat formatOf(RichTextEdit *edit, const QString &word)
{
    const QTextCursor found = edit->document()->find(word);
    if (found.isNull())
        return {};
    QTextCursor c(edit->document());
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

bool isBold(RichTextEdit *edit, const QString &word)
{
    return formatOf(edit, word).font().resolve(edit->document()->defaultFont()).bold();
}

void select(RichTextEdit *edit, const QString &word)
{
    QTextCursor found = edit->document()->find(word);
    QVERIFY2(!found.isNull(), qPrintable(word));
    edit->setTextCursor(found);
}

void focus(QWidget *w)
{
    w->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
}

} // namespace

class TestRemarksPage : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.enter();
        seedRecords({{{u"A_Name"_qs, u"Erster"_qs}, {u"Bemerkung"_qs, u"{\\rtf1 Vorher nachher}"_qs}},
                     {{u"A_Name"_qs, u"Zweiter"_qs}}});
        seedCatalog(CatalogStore::Remarks,
                    {{{u"Kurzbez"_qs, u"Abgas"_qs},
                      {u"Text"_qs, u"{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 Erster Satz. {\\b Zweiter} Satz. Dritter Satz.}"_qs}},
                     {{u"Kurzbez"_qs, u"Zuluft"_qs}, {u"Text"_qs, u"{\\rtf1{\\i Zuluft} ausreichend.}"_qs}}});
    }
    void cleanup()
    {
        QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
        m_dir.leave();
    }

    void catalogCopy_data();
    void catalogCopy();
    void catalogCopyStoresWhatTheEditorShows();
    void emptyEntryCopiesNothing();
    void catalogIsMaintainedOnThePage();
    void fontCommand_data();
    void fontCommand();
    void zeichenFollowsTheFocus();
    void enteredEditorAsksWhenLeaving_data();
    void enteredEditorAsksWhenLeaving();
    void typedRemarkIsStoredAsRtf();
    void editMenuActsOnTheCurrentEditor();
    void pasteFromOtherPrograms();
    void keyboard();
    void protocolsPrintTheRemarksFormatted();
    void fontDialogKeepsFaceSizeStyleAndColour();
    void fontDialogOnTheEditorsOwnText_data();
    void fontDialogOnTheEditorsOwnText();

private:
    struct Window {
        TForm1 w;
        RemarksPage *page;
        RichTextEdit *bem;
        RichTextEdit *kat;
        Window()
        {
            w.show();
            QApplication::setActiveWindow(&w);
            w.setActivePage(TForm1::Anmerkungen);
            page = findNamed<RemarksPage>(&w, "anmerkungen");
            bem = findNamed<RichTextEdit>(&w, "bemedit");
            kat = findNamed<RichTextEdit>(&w, "katedit");
        }
    };

    UiTestDir m_dir;
};

void TestRemarksPage::catalogCopy_data()
{
    QTest::addColumn<QString>("selected");   // selected in the catalog editor; empty: nothing
    QTest::addColumn<int>("row");            // catalog row double-clicked; -1: "Kopieren"
    QTest::addColumn<QString>("remarks");
    QTest::addColumn<QString>("boldWord");

    QTest::newRow("one sentence") << u"Zweiter Satz."_qs << -1 << u"VorherZweiter Satz. nachher"_qs << u"Zweiter"_qs;
    QTest::newRow("no selection: the whole entry")
        << QString() << -1 << u"VorherErster Satz. Zweiter Satz. Dritter Satz. nachher"_qs << u"Zweiter"_qs;
    QTest::newRow("double click on another entry") << QString() << 1 << u"VorherZuluft ausreichend. nachher"_qs << QString();
}

void TestRemarksPage::catalogCopy()
{
    QFETCH(QString, selected);
    QFETCH(int, row);
    QFETCH(QString, remarks);
    QFETCH(QString, boldWord);

    Window f;
    QTextCursor caret = f.bem->textCursor();
    caret.setPosition(6);   // "Vorher|"
    f.bem->setTextCursor(caret);
    int rememberedCaret = 4;
    if (!selected.isEmpty()) {
        select(f.kat, selected);
        rememberedCaret = f.kat->textCursor().position();
    } else {
        QTextCursor c = f.kat->textCursor();
        c.setPosition(rememberedCaret);
        f.kat->setTextCursor(c);
    }

    if (row < 0) {
        QTest::mouseClick(findNamed<QPushButton>(&f.w, "kopierbtn"), Qt::LeftButton);
    } else {
        auto *grid = findNamed<StoreGrid>(&f.w, "katgrid");
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(f.w.remarkStore()->currentRow(), row);
        rememberedCaret = 0;   // the newly shown entry has its caret at the start
    }

    QCOMPARE(f.bem->toPlainText(), remarks);
    if (!boldWord.isEmpty()) {
        QVERIFY(isBold(f.bem, boldWord));
        QCOMPARE(formatOf(f.bem, boldWord).fontFamilies().toStringList().value(0), u"Arial"_qs);
    }
    QVERIFY(!isBold(f.bem, u"Vorher"_qs));
    if (row == 1)
        QVERIFY(formatOf(f.bem, u"Zuluft"_qs).fontItalic());
    // The catalog editor's selection is gone, its caret where it was.
    QVERIFY(!f.kat->textCursor().hasSelection());
    QCOMPARE(f.kat->textCursor().position(), rememberedCaret);
    // The record is being edited, its remark written through; the clipboard
    // keeps the copy in every format a word processor reads.
    QCOMPARE(f.w.recordStore()->state(), StoreState::Edit);
    QCOMPARE(rtf::toPlainText(f.w.recordStore()->fieldValue(u"Bemerkung"_qs).toString()), remarks);
    const QMimeData *clip = QApplication::clipboard()->mimeData();
    QVERIFY(clip->hasFormat(u"text/rtf"_qs));
    QVERIFY(clip->hasHtml());
    QVERIFY(clip->hasText());

    MessageBox::pushNextAnswer(PromptButton::Yes);
    QVERIFY(f.w.recordStore()->post());
    QCOMPARE(rtf::toPlainText(storedRecord(1).value(u"Bemerkung"_qs).toString()), remarks);
}

// The face, size and style of a word as a document shows it.
QString shownAs(const QTextDocument &doc, const QString &word)
{
    const QTextCursor found = doc.find(word);
    if (found.isNull())
        return u"(missing)"_qs;
    QTextCursor c(const_cast<QTextDocument *>(&doc));
    c.setPosition(found.selectionStart() + 1);
    const QFont f = c.charFormat().font().resolve(doc.defaultFont());
    const double pt = f.pointSizeF() > 0 ? f.pointSizeF() : f.pixelSize() * 0.75;
    return u"%1 %2%3%4"_qs.arg(f.family()).arg(pt).arg(f.bold() ? u" fett"_qs : QString()).arg(f.italic() ? u" kursiv"_qs : QString());
}

void TestRemarksPage::catalogCopyStoresWhatTheEditorShows()
{
    Window f;
    // The remarks editor's default attributes are italic (the font command
    // without a selection), the catalog's texts are upright.
    FontChoice italic{RichTextEdit::baseFont(), QColor()};
    italic.font.setItalic(true);
    f.page->setFontChooser([&](QWidget *, const FontChoice &) -> std::optional<FontChoice> { return italic; });
    focus(f.bem);
    QTextCursor end = f.bem->textCursor();
    end.movePosition(QTextCursor::End);
    f.bem->setTextCursor(end);
    QTest::mouseClick(findNamed<QToolButton>(&f.w, "zeichenbtn"), Qt::LeftButton);

    // A clipboard manager of the desktop keeps only the plain text of a copy.
    bool reducing = false;
    QClipboard *clipboard = QApplication::clipboard();
    const QMetaObject::Connection manager = connect(clipboard, &QClipboard::dataChanged, this, [&] {
        if (reducing)
            return;
        reducing = true;
        clipboard->setText(clipboard->text());
        reducing = false;
    });
    QTest::mouseClick(findNamed<QPushButton>(&f.w, "kopierbtn"), Qt::LeftButton);
    QVERIFY(f.w.remarkStore()->next());
    QTest::mouseClick(findNamed<QPushButton>(&f.w, "kopierbtn"), Qt::LeftButton);
    disconnect(manager);
    QCOMPARE(clipboard->text(), u"Zuluft ausreichend."_qs);
    QCOMPARE(f.bem->toPlainText(), u"Vorher nachherErster Satz. Zweiter Satz. Dritter Satz.Zuluft ausreichend."_qs);

    // What is stored, what the protocol prints and what is copied out read
    // as the editor shows it, whatever font the reader takes by default.
    const QString stored = f.w.recordStore()->fieldValue(u"Bemerkung"_qs).toString();
    QTextDocument storedDoc;
    storedDoc.setDefaultFont(QFont(u"DejaVu Serif"_qs, 7));
    rtf::read(stored, &storedDoc);
    QTextCursor all(f.bem->document());
    all.select(QTextCursor::Document);
    QTextDocument copiedOut;
    copiedOut.setDefaultFont(QFont(u"DejaVu Serif"_qs, 7));
    rtf::read(rtf::writeSelection(all), &copiedOut);
    const auto printed = report::remarksDocument(stored);
    for (const QString &word : {u"Erster"_qs, u"Zweiter"_qs, u"Dritter"_qs, u"Zuluft"_qs, u"ausreichend"_qs}) {
        const QString shown = shownAs(*f.bem->document(), word);
        QCOMPARE(shownAs(storedDoc, word), shown);
        QCOMPARE(shownAs(copiedOut, word), shown);
        QCOMPARE(shownAs(*printed, word), shown);
    }
    // Upright as in the catalog, bold where the catalog has it.
    QCOMPARE(shownAs(*f.bem->document(), u"Zweiter"_qs), u"Arial 12 fett"_qs);
    QVERIFY(!shownAs(*f.bem->document(), u"ausreichend"_qs).contains(u"kursiv"_qs));
    QVERIFY(shownAs(*f.bem->document(), u"Zuluft"_qs).endsWith(u" kursiv"_qs));
    f.w.recordStore()->cancel();
}

void TestRemarksPage::emptyEntryCopiesNothing()
{
    // Copying an entry without text must not paste what the clipboard held before.
    seedCatalog(CatalogStore::Remarks, {{{u"Kurzbez"_qs, u"Zz leer"_qs}}});
    Window f;
    QApplication::clipboard()->setText(u"Fremder Text"_qs);
    QVERIFY(f.w.remarkStore()->last());
    QCOMPARE(f.kat->toPlainText(), QString());
    QTest::mouseClick(findNamed<QPushButton>(&f.w, "kopierbtn"), Qt::LeftButton);
    QCOMPARE(f.bem->toPlainText(), u"Vorher nachher"_qs);
    QCOMPARE(f.w.recordStore()->state(), StoreState::Browse);
    QCOMPARE(QApplication::clipboard()->text(), u"Fremder Text"_qs);
}

void TestRemarksPage::catalogIsMaintainedOnThePage()
{
    Window f;
    CatalogStore *catalog = f.w.remarkStore();
    // A new entry from the navigator, its short title typed, saved on moving on.
    QTest::mouseClick(findNamed<RecordNavigator>(&f.w, "katnavigator")->button(RecordNavigator::Insert), Qt::LeftButton);
    QTest::keyClicks(findNamed<QLineEdit>(&f.w, "kurzbezedit"), u"Abgasweg"_qs);
    focus(f.kat);
    QTest::keyClicks(f.kat, u"Der Abgasweg ist frei."_qs);
    MessageBox::pushNextAnswer(PromptButton::Yes);
    QTest::mouseClick(findNamed<RecordNavigator>(&f.w, "katgridnavigator")->button(RecordNavigator::Last), Qt::LeftButton);
    QCOMPARE(MessageBox::shownTexts(), QStringList{kSaveCatalog});
    QCOMPARE(catalog->rowCount(), 3);
    // The list shows the short titles in their order; Ctrl+Del deletes after the question.
    auto *grid = findNamed<StoreGrid>(&f.w, "katgrid");
    QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), u"Kurzbezeichnung"_qs);
    QCOMPARE(grid->model()->index(1, 0).data().toString(), u"Abgasweg"_qs);
    grid->selectRow(1);
    QCOMPARE(f.kat->toPlainText(), u"Der Abgasweg ist frei."_qs);
    MessageBox::pushNextAnswer(PromptButton::Ok);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(MessageBox::shownTexts().last(), u"Datensatz löschen?"_qs);
    QCOMPARE(catalog->rowCount(), 2);
    // Edit and cancel on the second navigator.
    auto *edit = findNamed<QToolButton>(&f.w, "katbearbeitenbtn");
    auto *cancel = findNamed<QToolButton>(&f.w, "katabbrechenbtn");
    QVERIFY(edit->isEnabled() && !cancel->isEnabled());
    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(catalog->state(), StoreState::Edit);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QCOMPARE(catalog->state(), StoreState::Browse);
}

void TestRemarksPage::fontCommand_data()
{
    QTest::addColumn<bool>("withSelection");
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("selection") << true << false;
    QTest::newRow("no selection: text typed next") << false << false;
    QTest::newRow("dialog cancelled") << true << true;
}

void TestRemarksPage::fontCommand()
{
    QFETCH(bool, withSelection);
    QFETCH(bool, cancelled);

    Window f;
    QList<FontChoice> offered;
    FontChoice chosen{QFont(u"DejaVu Serif"_qs, 14), QColor(255, 0, 0)};
    chosen.font.setBold(true);
    f.page->setFontChooser([&](QWidget *, const FontChoice &initial) -> std::optional<FontChoice> {
        offered << initial;
        if (cancelled)
            return std::nullopt;
        return chosen;
    });
    focus(f.bem);
    if (withSelection) {
        select(f.bem, u"nachher"_qs);
    } else {
        QTextCursor end = f.bem->textCursor();
        end.movePosition(QTextCursor::End);
        f.bem->setTextCursor(end);
    }
    const QString before = f.w.recordStore()->fieldValue(u"Bemerkung"_qs).toString();

    QTest::mouseClick(findNamed<QToolButton>(&f.w, "zeichenbtn"), Qt::LeftButton);
    QCOMPARE(offered.size(), 1);
    // The dialog showed the attributes of the selection.
    QCOMPARE(offered[0].font.bold(), false);
    QCOMPARE(f.w.recordStore()->state(), StoreState::Edit);
    if (cancelled) {
        QCOMPARE(f.w.recordStore()->fieldValue(u"Bemerkung"_qs).toString(), before);
        return;
    }
    if (!withSelection)
        QTest::keyClicks(f.bem, u" neu"_qs);

    const QString changed = withSelection ? u"nachher"_qs : u"neu"_qs;
    QVERIFY(isBold(f.bem, changed));
    QCOMPARE(formatOf(f.bem, changed).foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatOf(f.bem, changed).font().resolve(f.bem->document()->defaultFont()).family(), u"DejaVu Serif"_qs);
    QVERIFY(!isBold(f.bem, u"Vorher"_qs));
    QVERIFY(!formatOf(f.bem, u"Vorher"_qs).hasProperty(QTextFormat::ForegroundBrush));

    // The formatting reaches the table and comes back from it.
    MessageBox::pushNextAnswer(PromptButton::Yes);
    QTest::mouseClick(findNamed<RecordNavigator>(&f.w, "navigator")->button(RecordNavigator::Next), Qt::LeftButton);
    QCOMPARE(f.w.recordStore()->currentRow(), 1);
    QVERIFY(f.w.recordStore()->first());
    QVERIFY(isBold(f.bem, changed));
    QVERIFY(!isBold(f.bem, u"Vorher"_qs));
}

void TestRemarksPage::zeichenFollowsTheFocus()
{
    Window f;
    auto *zeichen = findNamed<QToolButton>(&f.w, "zeichenbtn");
    QVERIFY(!zeichen->isEnabled());
    int asked = 0;
    f.page->setFontChooser([&](QWidget *, const FontChoice &) -> std::optional<FontChoice> {
        ++asked;
        return std::nullopt;
    });

    const QList<std::pair<const char *, bool>> steps = {
        {"bemedit", true}, {"katgrid", false}, {"katedit", true}, {"kurzbezedit", false}, {"bemedit", true}};
    for (const auto &[name, enabled] : steps) {
        focus(findNamed<QWidget>(&f.w, name));
        QVERIFY2(zeichen->isEnabled() == enabled, name);
    }
    // Without a current editor the command does nothing, even when called.
    focus(findNamed<QWidget>(&f.w, "katgrid"));
    f.page->zeichenClick();
    findNamed<QAction>(f.page->editMenu(), "zeichen")->trigger();
    QCOMPARE(asked, 0);
    // A mouse click into an editor makes it current as well.
    QTest::mouseClick(f.kat->viewport(), Qt::LeftButton);
    QCOMPARE(f.page->currentEditor(), f.kat);
}

void TestRemarksPage::enteredEditorAsksWhenLeaving_data()
{
    QTest::addColumn<QString>("editor");
    QTest::addColumn<bool>("confirm");
    QTest::newRow("remarks, confirmation ticked") << u"bemedit"_qs << true;
    QTest::newRow("remarks, confirmation off") << u"bemedit"_qs << false;
    QTest::newRow("catalog, confirmation ticked") << u"katedit"_qs << true;
    QTest::newRow("catalog, confirmation off") << u"katedit"_qs << false;
}

void TestRemarksPage::enteredEditorAsksWhenLeaving()
{
    QFETCH(QString, editor);
    QFETCH(bool, confirm);
    Window f;
    const bool catalog = editor == u"katedit";
    if (!confirm)
        findNamed<QCheckBox>(&f.w, catalog ? "Bestaetigbox" : "aenderungsabfrage")->setChecked(false);

    // Entered, not typed into: leaving the row still asks.
    focus(findNamed<QWidget>(&f.w, editor.toLatin1().constData()));
    if (!catalog)
        QCOMPARE(f.w.windowTitle(), u"Ofenring *"_qs);   // the record counts as changed
    if (confirm)
        MessageBox::pushNextAnswer(PromptButton::Yes);
    auto *nav = findNamed<RecordNavigator>(&f.w, catalog ? "katnavigator" : "navigator");
    QTest::mouseClick(nav->button(RecordNavigator::Next), Qt::LeftButton);

    const QStringList expected = confirm ? QStringList{catalog ? kSaveCatalog : kSaveRecord} : QStringList{};
    QCOMPARE(MessageBox::shownTexts(), expected);
    TableStore *store = catalog ? static_cast<TableStore *>(f.w.remarkStore()) : f.w.recordStore();
    QCOMPARE(store->currentRow(), 1);
    // Saved as it was.
    if (!catalog)
        QCOMPARE(rtf::toPlainText(storedRecord(1).value(u"Bemerkung"_qs).toString()), u"Vorher nachher"_qs);
}

void TestRemarksPage::typedRemarkIsStoredAsRtf()
{
    Window f;
    QVERIFY(f.w.recordStore()->next());
    focus(f.bem);
    QTest::keyClicks(f.bem, u"Gasgeruch: nein"_qs);
    QTest::keyClick(f.bem, Qt::Key_Return);
    QTest::keyClicks(f.bem, u"Öffnung frei"_qs);
    const QString stored = f.w.recordStore()->fieldValue(u"Bemerkung"_qs).toString();
    QVERIFY(rtf::looksLikeRtf(stored));
    QCOMPARE(rtf::toPlainText(stored), u"Gasgeruch: nein\nÖffnung frei"_qs);
    // Undo belongs to the record: moving on starts a fresh history.
    MessageBox::pushNextAnswer(PromptButton::Yes);
    QVERIFY(f.w.recordStore()->first());
    QVERIFY(!f.bem->document()->isUndoAvailable());
    QCOMPARE(f.bem->toPlainText(), u"Vorher nachher"_qs);
    QVERIFY(f.w.recordStore()->next());
    QCOMPARE(f.bem->toPlainText(), u"Gasgeruch: nein\nÖffnung frei"_qs);
}

void TestRemarksPage::editMenuActsOnTheCurrentEditor()
{
    Window f;
    QMenu *menu = f.page->editMenu();
    QStringList items;
    for (QAction *a : menu->actions())
        items << (a->isSeparator() ? u"-"_qs : a->text() + u' ' + a->shortcut().toString());
    QCOMPARE(items, (QStringList{u"&Rückgängig Ctrl+Z"_qs, u"-"_qs, u"&Ausschneiden Ctrl+X"_qs, u"&Kopieren Ctrl+C"_qs,
                                 u"&Einfügen Ctrl+V"_qs, u"-"_qs, u"&Zeichen "_qs}));

    focus(f.kat);
    select(f.kat, u"Dritter Satz."_qs);
    findNamed<QAction>(menu, "kopieren")->trigger();
    focus(f.bem);
    f.bem->moveCursor(QTextCursor::End);
    findNamed<QAction>(menu, "einfuegen")->trigger();
    QCOMPARE(f.bem->toPlainText(), u"Vorher nachherDritter Satz."_qs);
    findNamed<QAction>(menu, "rueckgaengig")->trigger();
    QCOMPARE(f.bem->toPlainText(), u"Vorher nachher"_qs);
    select(f.bem, u"nachher"_qs);
    findNamed<QAction>(menu, "ausschneiden")->trigger();
    QCOMPARE(f.bem->toPlainText(), u"Vorher "_qs);
    QCOMPARE(QApplication::clipboard()->text(), u"nachher"_qs);

    // Without a current editor the menu does nothing.
    focus(findNamed<QWidget>(&f.w, "katgrid"));
    findNamed<QAction>(menu, "einfuegen")->trigger();
    findNamed<QAction>(menu, "rueckgaengig")->trigger();
    QCOMPARE(f.bem->toPlainText(), u"Vorher "_qs);
    QCOMPARE(f.kat->toPlainText(), u"Erster Satz. Zweiter Satz. Dritter Satz."_qs);
    f.w.recordStore()->cancel();
}

void TestRemarksPage::pasteFromOtherPrograms()
{
    Window f;
    focus(f.bem);
    f.bem->moveCursor(QTextCursor::End);

    // A word processor offers RTF: it wins over the HTML and the plain text.
    auto *data = new QMimeData;
    data->setData(u"text/rtf"_qs, "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs24 { \\b Fett}\\par}");
    data->setHtml(u"<i>kursiv</i>"_qs);
    data->setText(u"schlicht"_qs);
    QApplication::clipboard()->setMimeData(data);
    QTest::keyClick(f.bem, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(f.bem->document()->blockCount(), 2);
    QCOMPARE(f.bem->document()->begin().text(), u"Vorher nachher Fett"_qs);
    QVERIFY(isBold(f.bem, u"Fett"_qs));

    // A program offering HTML only.
    auto *html = new QMimeData;
    html->setHtml(u"<i>kursiv</i>"_qs);
    QApplication::clipboard()->setMimeData(html);
    QTest::keyClick(f.bem, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(formatOf(f.bem, u"kursiv"_qs).fontItalic());
    QVERIFY(rtf::toPlainText(f.w.recordStore()->fieldValue(u"Bemerkung"_qs).toString()).endsWith(u"kursiv"_qs));

    // Copying out gives the other programs all three formats.
    select(f.bem, u"Fett"_qs);
    QTest::keyClick(f.bem, Qt::Key_C, Qt::ControlModifier);
    const QMimeData *out = QApplication::clipboard()->mimeData();
    QVERIFY(rtf::toPlainText(out->data(u"text/rtf"_qs)) == u"Fett"_qs);
    QVERIFY(out->html().contains(u"Fett"_qs));
    QCOMPARE(out->text(), u"Fett"_qs);
    f.w.recordStore()->cancel();
}

void TestRemarksPage::keyboard()
{
    Window f;
    QCOMPARE(mnemonicClashes(&f.w), QStringList());
    // Tab leaves the remarks for the catalog; Ctrl+Tab types a tab.
    focus(f.bem);
    f.bem->moveCursor(QTextCursor::End);
    QTest::keyClick(f.bem, Qt::Key_Tab, Qt::ControlModifier);
    QVERIFY(f.bem->toPlainText().endsWith(u'\t'));
    QTest::keyClick(f.bem, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), findNamed<QWidget>(&f.w, "Bestaetigbox"));
    // Ctrl+Page Down turns the page from inside the editor.
    focus(f.bem);
    QTest::keyClick(f.bem, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(f.w.activePage(), TForm1::Uebersicht);
    // The help button opens the page's topic.
    QCOMPARE(f.page->helpTopic(), u"::/anmerkungen.htm"_qs);
    f.w.recordStore()->cancel();
}

void TestRemarksPage::protocolsPrintTheRemarksFormatted()
{
    Window f;
    // What the protocols lay out for `Bemerkung`: the formatting kept, an
    // indent of one inch one inch on the report's fine layout device.
    const auto doc = report::remarksDocument(
        u"{\\rtf1{\\fonttbl{\\f0 Arial;}}\\pard\\li1440\\f0\\fs24 Normal {\\b fett}\\par}"_qs);
    QCOMPARE(doc->toPlainText(), u"Normal fett"_qs);
    QTextCursor c(doc.get());
    c.setPosition(8);
    QVERIFY(c.charFormat().font().bold());
    QCOMPARE(c.charFormat().fontFamilies().toStringList().value(0), u"Arial"_qs);
    QCOMPARE(doc->begin().blockFormat().leftMargin(), report::kLayoutDpi);
    // An empty remark prints no section, a plain one prints as it stands.
    QVERIFY(report::remarksDocument(QString())->toPlainText().isEmpty());
    QCOMPARE(report::remarksDocument(u"Alt\nText"_qs)->toPlainText(), u"Alt\nText"_qs);
}

void TestRemarksPage::fontDialogKeepsFaceSizeStyleAndColour()
{
    FontDialog d;
    QFont font(u"DejaVu Serif"_qs, 17);
    font.setItalic(true);
    font.setUnderline(true);
    font.setStrikeOut(true);
    // A colour from the list, and one outside it that stays choosable.
    for (const QColor &color : {QColor(128, 0, 0), QColor(1, 2, 3)}) {
        d.setChoice({font, color});
        const FontChoice back = d.choice();
        QCOMPARE(back.font.family(), u"DejaVu Serif"_qs);
        QCOMPARE(back.font.pointSize(), 17);
        QVERIFY(back.font.italic());
        QVERIFY(back.font.underline());
        QVERIFY(back.font.strikeOut());
        QCOMPARE(back.color, color);
    }
    QCOMPARE(findNamed<QComboBox>(&d, "farbe")->findText(u"Benutzerdefiniert"_qs), 16);
    d.show();
    QCOMPARE(mnemonicClashes(&d), QStringList());
    QCOMPARE(d.windowTitle(), u"Schriftart"_qs);
}

void TestRemarksPage::fontDialogOnTheEditorsOwnText_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter in the face list") << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(QDialog::Rejected);
}

void TestRemarksPage::fontDialogOnTheEditorsOwnText()
{
    QFETCH(int, key);
    QFETCH(int, result);
    // The editors' own face, upright and regular: confirmed unchanged, it
    // stays upright and regular.
    const QFont upright = RichTextEdit::baseFont();
    FontDialog d;
    d.setChoice({upright, Qt::black});
    QVERIFY(!d.choice().font.italic());
    QCOMPARE(d.choice().font.weight(), QFont::Normal);
    QCOMPARE(d.choice().font.family(), QFontInfo(upright).family());

    // Enter and Escape end the whole dialog, wherever the focus is in it.
    d.show();
    QApplication::setActiveWindow(&d);
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QWidget *faces = QApplication::focusWidget();
    QVERIFY(faces && d.isAncestorOf(faces));
    QTest::keyClick(faces, Qt::Key(key));
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), result);
    QVERIFY(!d.choice().font.italic());
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    startup::useGerman(app);   // the captions of Qt's own dialogs, as the program shows them
    TestRemarksPage test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_remarkspage.moc"
