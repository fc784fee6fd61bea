#include "keyboardcheck.h"
#include "previewwindow.h"
#include "protocolfixtures.h"
#include "protocols.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

using namespace report;

class TestPreviewWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void captionAndFrame();
    void pageLabelsAndButtons();
    void pagesArriveOneByOne();
    void zoomLimits();
    void fitButtons();
    void escapeCloses();
    void wheelScrollsByATenth_data();
    void wheelScrollsByATenth();
    void buttonsAskForPrintAndPdf();

private:
    template <typename T>
    T *find(const char *name)
    {
        T *w = m_window->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("no %s", name);
        return w;
    }
    QString pageText() { return find<QLabel>("seitelabel")->text() + find<QLabel>("seitenzahllabel")->text(); }

    std::vector<Page> m_pages;  // a three-page protocol
    QPointer<PreviewWindow> m_window;
};

void TestPreviewWindow::init()
{
    static const PrintSettings settings = fixtures::printSettings();
    static const Protocols protocols([]() -> const PrintSettings & { return settings; });
    if (m_pages.empty()) {
        Record r = fixtures::interconnection();
        r.setText(u"Bemerkung"_qs, fixtures::longRemarks());
        r.setBoolean(u"Skizzedrucken"_qs, false);
        m_pages = protocols.layOut(r, 2);
        QCOMPARE(m_pages.size(), size_t(3));
    }
    m_window = new PreviewWindow(u"Protokoll Aufstellungsraum"_qs);
    for (const Page &p : m_pages)
        m_window->addPage(p);
    m_window->resize(1000, 800);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestPreviewWindow::cleanup()
{
    delete m_window;
}

void TestPreviewWindow::captionAndFrame()
{
    QCOMPARE(m_window->windowTitle(), u"Protokoll Aufstellungsraum"_qs);
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(flags & Qt::Window);
    QVERIFY(!(flags & Qt::WindowCloseButtonHint));
    QVERIFY(!(flags & Qt::WindowSystemMenuHint));
    QVERIFY(!(flags & Qt::WindowMinMaxButtonsHint));
    QCOMPARE(find<QSpinBox>("zoomedit")->value(), 58);
    QCOMPARE(m_window->currentPage(), 1);
    // A report without a title.
    PreviewWindow untitled{QString()};
    QCOMPARE(untitled.windowTitle(), u"Druckvorschau"_qs);
    QCOMPARE(find<QToolButton>("vorbtn")->toolTip(), u"Seite vor"_qs);
    QCOMPARE(find<QToolButton>("zurueckbtn")->toolTip(), u"Seite zurück"_qs);
    QCOMPARE(find<QToolButton>("breitebtn")->toolTip(), u"volle Breite"_qs);
    QCOMPARE(find<QToolButton>("hoehebtn")->toolTip(), u"volle Höhe"_qs);
    QCOMPARE(mnemonicClashes(m_window), QStringList());
}

void TestPreviewWindow::pageLabelsAndButtons()
{
    QCOMPARE(pageText(), u"Seite 1 von 3 "_qs);
    QToolButton *forward = find<QToolButton>("vorbtn");
    QToolButton *back = find<QToolButton>("zurueckbtn");
    back->click();
    QCOMPARE(pageText(), u"Seite 1 von 3 "_qs);
    forward->click();
    QCOMPARE(pageText(), u"Seite 2 von 3 "_qs);
    forward->click();
    forward->click();
    QCOMPARE(pageText(), u"Seite 3 von 3 "_qs);
    QCOMPARE(m_window->currentPage(), 3);
    back->click();
    QCOMPARE(m_window->currentPage(), 2);
    m_window->setCurrentPage(0);
    m_window->setCurrentPage(4);
    QCOMPARE(m_window->currentPage(), 2);
}

void TestPreviewWindow::pagesArriveOneByOne()
{
    PreviewWindow w{QString()};
    w.show();
    QCOMPARE(w.findChild<QLabel *>(u"seitelabel"_qs)->text() + w.findChild<QLabel *>(u"seitenzahllabel"_qs)->text(),
             u"Seite 0 von 0 "_qs);
    QStringList seen;
    for (const Page &p : m_pages) {
        w.addPage(p);
        seen << w.findChild<QLabel *>(u"seitelabel"_qs)->text() + w.findChild<QLabel *>(u"seitenzahllabel"_qs)->text();
    }
    QCOMPARE(seen, QStringList({u"Seite 1 von 1 "_qs, u"Seite 1 von 2 "_qs, u"Seite 1 von 3 "_qs}));
}

void TestPreviewWindow::zoomLimits()
{
    QSpinBox *zoom = find<QSpinBox>("zoomedit");
    QCOMPARE(zoom->minimum(), 20);
    QCOMPARE(zoom->maximum(), 800);
    QCOMPARE(zoom->singleStep(), 20);
    QWidget *view = find<QWidget>("seitenansicht");
    zoom->setValue(800);
    QCOMPARE(m_window->zoom(), 800);
    const int wide = view->width();
    zoom->stepUp();
    QCOMPARE(zoom->value(), 800);
    // Typed beyond the range, the field keeps within it.
    zoom->selectAll();
    QTest::keyClicks(zoom, u"9999"_qs);
    QVERIFY(zoom->value() <= 800);
    QVERIFY(zoom->text().size() <= 3);
    zoom->setValue(20);
    QCOMPARE(m_window->zoom(), 20);
    QVERIFY(view->width() * 30 < wide * 1.01);
    find<QPushButton>("zoom100btn")->click();
    QCOMPARE(zoom->value(), 100);
    QCOMPARE(m_window->zoom(), 100);
    // 100 % is the paper's size on the screen.
    QVERIFY(qAbs(view->width() - 24 - 210.0 / 25.4 * m_window->logicalDpiX()) <= 1.0);
}

void TestPreviewWindow::fitButtons()
{
    QScrollArea *scroll = find<QScrollArea>("seitenscroller");
    const double at100 = m_window->logicalDpiX() / 25.4;  // pixels per mm at 100 %
    auto sheet = [&] {
        const double k = m_window->zoom() / 100.0 * at100;
        return QSizeF(210.0 * k, 297.0 * k);
    };
    find<QToolButton>("breitebtn")->click();
    const QSize view = scroll->viewport()->size();
    QCOMPARE(find<QSpinBox>("zoomedit")->value(), m_window->zoom());
    QVERIFY(sheet().width() <= 0.90 * view.width());
    QVERIFY(sheet().width() > 0.90 * view.width() - at100 * 210.0 / 100.0);

    find<QToolButton>("hoehebtn")->click();
    const QSize after = scroll->viewport()->size();
    const QSizeF s = sheet();
    QVERIFY(s.width() <= 0.95 * after.width() && s.height() <= 0.95 * after.height());
    // One percent more would break the limit in one direction.
    const double next = (m_window->zoom() + 1) / 100.0 * at100;
    QVERIFY(210.0 * next > 0.95 * after.width() || 297.0 * next > 0.95 * after.height());
    QCOMPARE(find<QSpinBox>("zoomedit")->value(), m_window->zoom());
}

void TestPreviewWindow::escapeCloses()
{
    QSignalSpy closed(m_window.data(), &PreviewWindow::closed);
    QSpinBox *zoom = find<QSpinBox>("zoomedit");
    zoom->setFocus();
    QTest::keyClick(zoom, Qt::Key_Escape);
    QCOMPARE(closed.count(), 1);
    QTRY_VERIFY(m_window.isNull());  // freed when closed
}

void TestPreviewWindow::wheelScrollsByATenth_data()
{
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("moved");
    QTest::newRow("eine Raste hoch") << 120 << -12;
    QTest::newRow("zwei Rasten runter") << -240 << 24;
    QTest::newRow("feines Rad") << 125 << -12;
    QTest::newRow("kleiner als zehn") << 7 << 0;
}

void TestPreviewWindow::wheelScrollsByATenth()
{
    QFETCH(int, delta);
    QFETCH(int, moved);
    find<QSpinBox>("zoomedit")->setValue(200);
    QScrollBar *bar = find<QScrollArea>("seitenscroller")->verticalScrollBar();
    bar->setValue(500);
    QWidget *viewport = find<QScrollArea>("seitenscroller")->viewport();
    const QPointF at(50, 50);
    QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    QCOMPARE(bar->value(), 500 + moved);
    // The zoom field does not take the wheel for itself.
    QApplication::sendEvent(find<QSpinBox>("zoomedit"), &wheel);
    QCOMPARE(find<QSpinBox>("zoomedit")->value(), 200);
    QCOMPARE(bar->value(), 500 + 2 * moved);
}

void TestPreviewWindow::buttonsAskForPrintAndPdf()
{
    QSignalSpy print(m_window.data(), &PreviewWindow::printRequested);
    QSignalSpy pdf(m_window.data(), &PreviewWindow::pdfRequested);
    QSignalSpy closed(m_window.data(), &PreviewWindow::closed);
    QPushButton *printButton = find<QPushButton>("druckenbtn");
    QCOMPARE(printButton->text(), u"&Drucken"_qs);
    printButton->click();
    find<QPushButton>("pdfbtn")->click();
    QCOMPARE(print.count(), 1);
    QCOMPARE(pdf.count(), 1);
    QCOMPARE(find<QPushButton>("pdfbtn")->text().remove(u'&'), u"Als PDF speichern …"_qs);
    find<QPushButton>("okbtn")->click();
    QCOMPARE(closed.count(), 1);
}

QTEST_MAIN(TestPreviewWindow)
#include "test_previewwindow.moc"
