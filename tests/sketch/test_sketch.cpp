#include "keyboardcheck.h"
#include "messagebox.h"
#include "sketchcanvas.h"
#include "sketchdocument.h"
#include "sketcheditor.h"
#include "sketchmodel.h"
#include "programprotocols.h"
#include "sketchmodule.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace sketch;

namespace {

const QString kHeaderLine = u"OFENRING-SKIZZE 1"_qs;

bool black(const QImage &image, QPointF p)
{
    const QPoint q = p.toPoint();
    return image.rect().contains(q) && qGray(image.pixel(q)) < 128;
}

// Any black pixel in a rectangle of the image.
bool anyBlack(const QImage &image, QRectF r)
{
    const QRect px = r.toAlignedRect().intersected(image.rect());
    for (int y = px.top(); y <= px.bottom(); ++y)
        for (int x = px.left(); x <= px.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                return true;
    return false;
}

} // namespace

class TestSketch : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        MessageBox::resetScript();
        MessageBox::setScripted(true);
    }
    void cleanup() { QCOMPARE(MessageBox::unexpectedTexts(), QStringList()); }

    void formatRoundTrip_data();
    void formatRoundTrip();
    void foreignAndBrokenLinesAreKept_data();
    void foreignAndBrokenLinesAreKept();
    void drawnThroughTheModuleAtAnyScale_data();
    void drawnThroughTheModuleAtAnyScale();
    void drawingWithTheMouse();
    void workingWithTheKeyboard();
    void undoRedoAndCaptions();
    void unchangedSketchComesBackAsItWas();
    void cancellingAsksOnlyAfterChanges();
};

void TestSketch::formatRoundTrip_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty sketch") << QStringList();
    QTest::newRow("every kind")
        << QStringList{kHeaderLine,
                       u"WAND 40 40 400 40"_qs,
                       u"RAUM 40 40 240 200 \"Bad\""_qs,
                       u"TUER 200 200 232 200"_qs,
                       u"FENSTER 100 40 160 40"_qs,
                       u"OEFFNUNG 60 200 72 200"_qs,
                       u"GERAET 80 80 \"Gastherme\""_qs,
                       u"SCHORNSTEIN 230 50"_qs,
                       u"TEXT 300 300 \"Keller\""_qs,
                       u"MASS 40 20 400 20 \"9,00 m\""_qs,
                       u"MASS 40 10 80 10"_qs};
    QTest::newRow("texts with quotes, backslashes and umlauts")
        << QStringList{kHeaderLine, u"TEXT 1 2 \"Öl \\\"alt\\\" C:\\\\Keller\""_qs, u"RAUM 0 0 10 10 \"\""_qs};
    QCOMPARE(parse({kHeaderLine, u"TEXT 1 2 \"Öl \\\"alt\\\" C:\\\\Keller\""_qs}).elements.value(0).text,
             u"Öl \"alt\" C:\\Keller"_qs);
    QTest::newRow("outside the area and negative") << QStringList{kHeaderLine, u"WAND -20 -5 700 450"_qs};
}

void TestSketch::formatRoundTrip()
{
    QFETCH(QStringList, lines);
    const Document doc = parse(lines);
    QCOMPARE(serialize(doc), lines);
    for (const Element &e : doc.elements)
        QVERIFY2(e.isKnown(), qPrintable(e.raw));
}

void TestSketch::foreignAndBrokenLinesAreKept_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("afterMove");   // lines after moving the first known element by (5, 0)
    QTest::newRow("later version with new kinds")
        << QStringList{u"OFENRING-SKIZZE 2"_qs, u"TREPPE 1 2 3 4"_qs, u"WAND 0 0 10 0"_qs, u"WAND 0 0 10 0 dick"_qs}
        << QStringList{kHeaderLine, u"TREPPE 1 2 3 4"_qs, u"WAND 5 0 15 0"_qs, u"WAND 0 0 10 0 dick"_qs};
    QTest::newRow("broken lines")
        << QStringList{kHeaderLine, u"WAND 1 2 3"_qs, u"WAND a b c d"_qs, u"TEXT 1 2 \"offen"_qs, QString(),
                       u"GERAET 1 2 Therme"_qs, u"WAND 999999999 0 1 1"_qs, u"SCHORNSTEIN 50 50"_qs}
        << QStringList{kHeaderLine, u"WAND 1 2 3"_qs, u"WAND a b c d"_qs, u"TEXT 1 2 \"offen"_qs, QString(),
                       u"GERAET 1 2 Therme"_qs, u"WAND 999999999 0 1 1"_qs, u"SCHORNSTEIN 55 50"_qs};
    QTest::newRow("another module's lines, no header")
        << QStringList{u"L 1 2 3 4"_qs, u"WAND 0 0 10 0"_qs}
        << QStringList{kHeaderLine, u"L 1 2 3 4"_qs, u"WAND 0 0 10 0"_qs};
}

void TestSketch::foreignAndBrokenLinesAreKept()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, afterMove);
    SketchModel model;
    model.setDocument(parse(lines));
    model.selectNext(1);
    model.moveSelected(QPoint(5, 0));
    QCOMPARE(serialize(model.document()), afterMove);
}

void TestSketch::drawnThroughTheModuleAtAnyScale_data()
{
    QTest::addColumn<int>("scale");   // 0: the page's preview at 0,5
    QTest::newRow("preview, 0,5") << 0;
    QTest::newRow("protocol preview, 2") << 2;
    QTest::newRow("printing, 4") << 4;
}

void TestSketch::drawnThroughTheModuleAtAnyScale()
{
    QFETCH(int, scale);
    SketchModule module;
    QCOMPARE(module.load(QStringLiteral(SKETCH_MODULE_DIR), {}), SketchModule::LoadResult::Loaded);
    QVERIFY(module.canEdit());
    QVERIFY(module.canDraw());
    const QStringList lines{kHeaderLine,
                            u"WAND 100 100 300 100"_qs,
                            u"TUER 150 100 180 100"_qs,
                            u"MASS 100 300 300 300"_qs,
                            u"TEXT 400 200 \"Keller\""_qs,
                            u"SCHORNSTEIN 500 100"_qs};
    Record record;
    record.setText(u"Skizze"_qs, SketchModule::textOf(lines));
    const QImage image = scale == 0 ? module.preview(lines)
                                    : report::sketchPicture(record, scale, report::sketchPainter(&module));
    const double s = scale == 0 ? 0.5 : scale;
    const double off = scale == 0 ? 0 : 2 * scale;
    auto at = [&](double x, double y) { return QPointF(off + x * s, off + y * s); };

    QVERIFY(black(image, at(250, 100)));            // the wall
    QVERIFY(!black(image, at(250, 110)));           // beside it
    QVERIFY(!black(image, at(165, 100)));           // the door's gap in the wall
    QVERIFY(anyBlack(image, QRectF(at(149, 70), at(152, 99))));   // its open leaf
    QVERIFY(anyBlack(image, QRectF(at(199, 299), at(201, 301))));  // the dimension line, thin but there
    QVERIFY(anyBlack(image, QRectF(at(400, 188), at(440, 200))));  // the label
    QVERIFY(black(image, at(505, 105)));            // the chimney's black half
    QVERIFY(!black(image, at(495, 95)));            // and its white half
    QVERIFY(!anyBlack(image, QRectF(at(20, 20), at(80, 80))));
}

void TestSketch::drawingWithTheMouse()
{
    SketchEditor editor;
    editor.setLines({});
    editor.show();
    SketchCanvas *canvas = editor.canvas();
    auto px = [canvas](int x, int y) { return canvas->toWidget(QPointF(x, y)).toPoint(); };

    // A wall drawn by dragging, snapped to the grid.
    QTest::mouseClick(editor.toolButton(Kind::Wall), Qt::LeftButton);
    QTest::mousePress(canvas, Qt::LeftButton, {}, px(101, 59));
    QTest::mouseMove(canvas, px(150, 60));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, px(199, 61));
    // A room with two clicks; its caption is typed at once.
    QTest::mouseClick(editor.toolButton(Kind::Room), Qt::LeftButton);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, px(100, 100));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, px(200, 160));
    QTest::keyClicks(editor.findChild<QLineEdit *>(u"beschriftung"_qs), u"Bad"_qs);
    // An appliance by one click.
    QTest::mouseClick(editor.toolButton(Kind::Appliance), Qt::LeftButton);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, px(150, 130));
    QCOMPARE(editor.lines(), (QStringList{kHeaderLine, u"WAND 100 60 200 60"_qs, u"RAUM 100 100 200 160 \"Bad\""_qs,
                                          u"GERAET 150 130 \"Gasfeuerstätte\""_qs}));

    // Selecting and moving with the mouse; the move is one step.
    QTest::mouseClick(editor.toolButton(Kind::Unknown), Qt::LeftButton);
    QTest::mousePress(canvas, Qt::LeftButton, {}, px(150, 60));
    QTest::mouseMove(canvas, px(160, 70));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, px(170, 80));
    QCOMPARE(editor.model()->selected(), 0);
    QCOMPARE(editor.lines().value(1), u"WAND 120 80 220 80"_qs);
    editor.model()->undoStack()->undo();
    QCOMPARE(editor.lines().value(1), u"WAND 100 60 200 60"_qs);
}

void TestSketch::workingWithTheKeyboard()
{
    SketchEditor editor;
    editor.setLines({kHeaderLine, u"SCHORNSTEIN 50 50"_qs, u"WAND 0 0 10 0"_qs});
    editor.show();
    QApplication::setActiveWindow(&editor);
    QCOMPARE(mnemonicClashes(&editor), QStringList());
    SketchCanvas *canvas = editor.canvas();
    canvas->setFocus();

    // Page Down selects, the arrows move (Shift: by one unit), Del deletes.
    QTest::keyClick(canvas, Qt::Key_PageDown);
    QCOMPARE(editor.model()->selected(), 0);
    QTest::keyClick(canvas, Qt::Key_Right);
    QTest::keyClick(canvas, Qt::Key_Right);
    QTest::keyClick(canvas, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(editor.lines().value(1), u"SCHORNSTEIN 60 51"_qs);
    QTest::keyClick(canvas, Qt::Key_PageDown);
    QTest::keyClick(canvas, Qt::Key_Delete);
    QCOMPARE(editor.lines(), (QStringList{kHeaderLine, u"SCHORNSTEIN 60 51"_qs}));

    // Alt+R takes the room tool; the cross-hair starts in the middle, Enter
    // sets the corners, and the caption field takes the name.
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    QTest::keyClick(canvas, Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(canvas->tool(), Kind::Room);   // a button pressed by its letter clicks a moment later
    QCOMPARE(QApplication::focusWidget(), canvas);
    QTest::keyClick(canvas, Qt::Key_Return);
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(canvas, Qt::Key_Right);
        QTest::keyClick(canvas, Qt::Key_Down);
    }
    QTest::keyClick(canvas, Qt::Key_Escape);   // drops the started room
    QVERIFY(!canvas->hasStartedLine());
    QTest::keyClick(canvas, Qt::Key_Return);
    QTest::keyClick(canvas, Qt::Key_Right);
    QTest::keyClick(canvas, Qt::Key_Right);
    QTest::keyClick(canvas, Qt::Key_Down);
    QTest::keyClick(canvas, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), editor.findChild<QLineEdit *>(u"beschriftung"_qs));
    QTest::keyClicks(QApplication::focusWidget(), u"Heizraum"_qs);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), canvas);
    QCOMPARE(editor.lines().value(2), u"RAUM 320 220 330 225 \"Heizraum\""_qs);

    // Ctrl+Z undoes the caption as one step, then the room.
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.lines().value(2), u"RAUM 320 220 330 225 \"\""_qs);
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.lines().size(), 2);
    QTest::keyClick(canvas, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(editor.lines().size(), 3);
}

void TestSketch::undoRedoAndCaptions()
{
    SketchEditor editor;
    editor.setLines({kHeaderLine, u"TEXT 10 20 \"Alt\""_qs, u"WAND 0 0 10 0"_qs});
    auto *caption = editor.findChild<QLineEdit *>(u"beschriftung"_qs);
    auto *undo = editor.findChild<QPushButton *>(u"rueckgaengigbtn"_qs);
    auto *redo = editor.findChild<QPushButton *>(u"wiederholenbtn"_qs);
    QVERIFY(!undo->isEnabled());

    // A wall has no caption; a label has.
    editor.model()->select(1);
    QVERIFY(!caption->isEnabled());
    editor.model()->select(0);
    QVERIFY(caption->isEnabled());
    QCOMPARE(caption->text(), u"Alt"_qs);
    caption->selectAll();
    QTest::keyClicks(caption, u"Neu"_qs);
    QCOMPARE(editor.lines().value(1), u"TEXT 10 20 \"Neu\""_qs);
    QVERIFY(undo->isEnabled());
    QTest::mouseClick(undo, Qt::LeftButton);
    QCOMPARE(caption->text(), u"Alt"_qs);
    QVERIFY(redo->isEnabled());
    QTest::mouseClick(redo, Qt::LeftButton);
    QCOMPARE(editor.lines().value(1), u"TEXT 10 20 \"Neu\""_qs);
    QTest::mouseClick(editor.findChild<QPushButton *>(u"loeschenbtn"_qs), Qt::LeftButton);
    QCOMPARE(editor.lines(), (QStringList{kHeaderLine, u"WAND 0 0 10 0"_qs}));
}

void TestSketch::unchangedSketchComesBackAsItWas()
{
    const QStringList foreign{u"some other format"_qs, u"  with blanks  "_qs};
    SketchEditor editor;
    editor.setLines(foreign);
    QCOMPARE(editor.lines(), foreign);
    // A change undone is no change either.
    editor.setLines({kHeaderLine, u"WAND 0 0 10 0"_qs, u"TREPPE"_qs});
    editor.model()->select(0);
    editor.model()->moveSelected(QPoint(5, 5));
    editor.model()->undoStack()->undo();
    QCOMPARE(editor.lines(), (QStringList{kHeaderLine, u"WAND 0 0 10 0"_qs, u"TREPPE"_qs}));
}

void TestSketch::cancellingAsksOnlyAfterChanges()
{
    const QString question = u"Die Änderungen an der Skizze verwerfen?"_qs;
    SketchEditor editor;
    editor.setLines({kHeaderLine, u"WAND 0 0 10 0"_qs});
    editor.show();
    editor.reject();
    QVERIFY(!editor.isVisible());
    QCOMPARE(MessageBox::shownTexts(), QStringList());

    editor.show();
    editor.model()->select(0);
    editor.model()->removeSelected();
    MessageBox::pushNextAnswer(PromptButton::No);
    QTest::keyClick(&editor, Qt::Key_Escape);
    QVERIFY(editor.isVisible());
    MessageBox::pushNextAnswer(PromptButton::Yes);
    QTest::mouseClick(editor.findChild<QPushButton *>(u"abbrechenbtn"_qs), Qt::LeftButton);
    QVERIFY(!editor.isVisible());
    QCOMPARE(editor.result(), int(QDialog::Rejected));
    QCOMPARE(MessageBox::shownTexts(), (QStringList{question, question}));
}

QTEST_MAIN(TestSketch)
#include "test_sketch.moc"
