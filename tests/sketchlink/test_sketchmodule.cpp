#include "programprotocols.h"
#include "sketchmodule.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString fixture(const char *kind)
{
    return QStringLiteral(SKETCH_FIXTURES) + u'/' + QString::fromLatin1(kind);
}

bool black(const QImage &image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 128;
}

} // namespace

Q_DECLARE_METATYPE(SketchModule::LoadResult)

class TestSketchModule : public QObject {
    Q_OBJECT

private slots:
    void load_data();
    void load();
    void editPassesTheSharedList();
    void previewAndProtocolPicture_data();
    void previewAndProtocolPicture();
    void protocolFramesTheSketch();
    void storedLines();
};

void TestSketchModule::load_data()
{
    QTest::addColumn<QString>("registered");
    QTest::addColumn<QStringList>("ownDirs");
    QTest::addColumn<SketchModule::LoadResult>("result");
    QTest::addColumn<bool>("canEdit");
    QTest::addColumn<bool>("canDraw");

    using R = SketchModule::LoadResult;
    const QString nowhere = u"<leer>"_qs;   // replaced by an empty temporary directory
    const QString garbage = u"<kaputt>"_qs; // replaced by a directory with a file that is no library
    QTest::newRow("registered, complete") << fixture("complete") << QStringList() << R::Loaded << true << true;
    QTest::newRow("registered, without skizze") << fixture("noedit") << QStringList() << R::Loaded << false << true;
    QTest::newRow("registered, without zeichne") << fixture("nodraw") << QStringList() << R::Loaded << true << false;
    QTest::newRow("registered directory without the module") << nowhere << QStringList{fixture("complete")}
                                                             << R::NotLoadable << false << false;
    QTest::newRow("registered file is no library") << garbage << QStringList() << R::NotLoadable << false << false;
    QTest::newRow("nothing registered: own directory") << QString() << QStringList{nowhere, fixture("complete")}
                                                       << R::Loaded << true << true;
    QTest::newRow("nothing registered, nothing found") << QString() << QStringList{nowhere, garbage}
                                                       << R::NotInstalled << false << false;
}

void TestSketchModule::load()
{
    QFETCH(QString, registered);
    QFETCH(QStringList, ownDirs);
    QFETCH(SketchModule::LoadResult, result);
    QFETCH(bool, canEdit);
    QFETCH(bool, canDraw);

    QTemporaryDir empty;
    QTemporaryDir broken;
    QFile bad(broken.filePath(u"zobeldll.so"_qs));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("\x7f" "ELF and then nothing");
    bad.close();
    auto place = [&](QString dir) {
        if (dir == u"<leer>")
            return empty.path();
        if (dir == u"<kaputt>")
            return broken.path();
        return dir;
    };
    for (QString &d : ownDirs)
        d = place(d);

    SketchModule module;
    QCOMPARE(module.load(place(registered), ownDirs), result);
    QCOMPARE(module.isLoaded(), result == SketchModule::LoadResult::Loaded);
    QCOMPARE(module.canEdit(), canEdit);
    QCOMPARE(module.canDraw(), canDraw);
    if (!canDraw)
        QVERIFY(module.preview({u"a"_qs}).isNull());
    if (!canEdit)
        QCOMPARE(module.edit({u"a"_qs}), QStringList{u"a"_qs});
}

void TestSketchModule::editPassesTheSharedList()
{
    SketchModule module;
    QCOMPARE(module.load(fixture("complete"), {}), SketchModule::LoadResult::Loaded);
    QCOMPARE(module.edit({u"a"_qs}), (QStringList{u"a"_qs, u"Linie 2"_qs}));
    QCOMPARE(module.edit({u"unverändert"_qs}), QStringList{u"unverändert"_qs});
    // An empty sketch reaches the module as an empty list.
    QCOMPARE(module.edit({}), QStringList{u"Linie 1"_qs});
}

void TestSketchModule::previewAndProtocolPicture_data()
{
    QTest::addColumn<int>("scale");   // 0: the preview of the page
    QTest::addColumn<QSize>("size");
    QTest::newRow("preview") << 0 << QSize(600, 400);
    QTest::newRow("protocol preview, s = 2") << 2 << QSize(1208, 808);
    QTest::newRow("printing, s = 4") << 4 << QSize(2424, 1624);
}

void TestSketchModule::previewAndProtocolPicture()
{
    QFETCH(int, scale);
    QFETCH(QSize, size);
    SketchModule module;
    QCOMPARE(module.load(fixture("complete"), {}), SketchModule::LoadResult::Loaded);
    // The protocols draw through the module as the program wires it.
    Record record;
    record.setText(u"Skizze"_qs, u"eins\nzwei"_qs);
    const QImage image = scale == 0 ? module.preview({u"eins"_qs, u"zwei"_qs})
                                    : report::sketchPicture(record, scale, report::sketchPainter(&module));
    QCOMPARE(image.size(), size);
    QCOMPARE(image.format(), QImage::Format_Mono);

    // Sketch units to pixels: offset 0 and scale 0.5 for the preview, 2s and s otherwise.
    const double s = scale == 0 ? 0.5 : scale;
    const double off = scale == 0 ? 0 : 2 * scale;
    auto px = [&](double unit) { return int(off + unit * s); };
    QVERIFY(black(image, px(60), px(15)));    // first bar
    QVERIFY(black(image, px(60), px(35)));    // second bar
    QVERIFY(!black(image, px(60), px(25)));   // between them
    QVERIFY(!black(image, px(60), px(55)));   // no third line, no third bar
    QVERIFY(!black(image, px(115), px(15)));  // right of the bar
    QVERIFY(!black(image, 0, 0));
}

void TestSketchModule::protocolFramesTheSketch()
{
    SketchModule module;
    QCOMPARE(module.load(fixture("complete"), {}), SketchModule::LoadResult::Loaded);
    const PrintSettings settings;
    const auto protocols = report::programProtocols([&]() -> const PrintSettings & { return settings; }, &module);
    for (const int mode : {0, 1}) {
        Record record = Record::newInstallation();
        record.setInteger(u"Modus"_qs, mode);
        record.setBoolean(u"Gerechnet"_qs, true);
        record.setBoolean(u"Skizzedrucken"_qs, true);
        record.setText(u"Skizze"_qs, u"eins"_qs);
        const std::vector<report::Page> pages = protocols->layOut(record, report::kPreviewSketchScale);
        int picture = -1, frame = -1;
        const report::PlacedSection *band = nullptr;
        const report::Page *page = nullptr;
        for (const report::Page &p : pages)
            if ((band = p.section(u"zeichnungsband"_qs))) {
                page = &p;
                break;
            }
        QVERIFY(band);
        for (int i = 0; i < int(page->elements.size()); ++i) {
            const report::PageElement &e = page->elements[size_t(i)];
            if (e.item == u"skizze"_qs)
                picture = i;
            if (e.item == u"skizzenrahmen"_qs)
                frame = i;
        }
        QVERIFY(picture >= 0 && frame >= 0);
        // The frame of 184.5 x 127 mm, 1.5 mm below the band's top, is drawn
        // over the picture that fills it, so the picture cannot hide it.
        QVERIFY(frame > picture);
        const QRectF box(16.0, band->top + 1.5, 184.5, 127.0);
        for (const QRectF &r : {page->elements[size_t(frame)].rect, page->elements[size_t(picture)].rect}) {
            QVERIFY2(qAbs(r.left() - box.left()) < 1e-6 && qAbs(r.top() - box.top()) < 1e-6, qPrintable(u"%1 %2"_qs.arg(r.left()).arg(r.top())));
            QVERIFY(qAbs(r.width() - box.width()) < 1e-6 && qAbs(r.height() - box.height()) < 1e-6);
        }
        QCOMPARE(page->elements[size_t(picture)].image.size(), QSize(1208, 808));
    }
}

void TestSketchModule::storedLines()
{
    QCOMPARE(SketchModule::linesOf(QString()), QStringList());
    QCOMPARE(SketchModule::linesOf(u"a\r\nb\n"_qs), (QStringList{u"a"_qs, u"b"_qs}));
    QCOMPARE(SketchModule::linesOf(u"a\n\nb"_qs), (QStringList{u"a"_qs, QString(), u"b"_qs}));
    QCOMPARE(SketchModule::textOf({u"a"_qs, QString(), u"b"_qs}), u"a\n\nb"_qs);
}

QTEST_MAIN(TestSketchModule)
#include "test_sketchmodule.moc"
