// ofenring-cli kamin, zuluft, aufstellraum and volumen: the worked examples fed
// as JSON give the same results as the calculation functions.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QJsonObject out;
    QString err;
};

// Every key of `expected` must be in `actual` with the same value (null: absent
// or null); nested objects are compared the same way, so a case names only
// what it is about.
bool containsAll(const QJsonObject &actual, const QJsonObject &expected, QString &why, const QString &path = {})
{
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const QString where = path.isEmpty() ? it.key() : path + u'.' + it.key();
        const QJsonValue a = actual.value(it.key());
        if (it.value().isObject() && a.isObject()) {
            if (!containsAll(a.toObject(), it.value().toObject(), why, where))
                return false;
            continue;
        }
        // An empty field is left out of the output; null in a case stands for that.
        if (it.value().isNull() && (a.isNull() || a.isUndefined()))
            continue;
        if (a != it.value()) {
            why = u"%1: expected %2, got %3"_qs.arg(
                where, QString::fromUtf8(QJsonDocument(QJsonArray{it.value()}).toJson(QJsonDocument::Compact)),
                QString::fromUtf8(QJsonDocument(QJsonArray{a}).toJson(QJsonDocument::Compact)));
            return false;
        }
    }
    return true;
}

QJsonObject object(const char *json)
{
    QJsonParseError e;
    const QJsonDocument d = QJsonDocument::fromJson(QByteArray(json), &e);
    if (e.error != QJsonParseError::NoError)
        qFatal("bad JSON in test case: %s", json);
    return d.object();
}

} // namespace

class TestCliCalc : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void results_data();
    void results();
    void aufstellraumListsEveryControl();
    void badInput_data();
    void badInput();
    void helpNamesTheKeys();

private:
    Run cli(const QString &command, const QByteArray &input);
    QTemporaryDir m_dir;
};

void TestCliCalc::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir(m_dir.path()).mkpath(u"home"_qs));
}

Run TestCliCalc::cli(const QString &command, const QByteArray &input)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_qs, m_dir.filePath(u"home"_qs));
    env.insert(u"XDG_CONFIG_HOME"_qs, m_dir.filePath(u"home"_qs));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_dir.path());
    p.start(QStringLiteral(OFENRING_CLI), {command});
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000))
        qFatal("ofenring-cli did not finish");
    return {p.exitCode(), QJsonDocument::fromJson(p.readAllStandardOutput()).object(),
            QString::fromUtf8(p.readAllStandardError())};
}

void TestCliCalc::results_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    auto row = [](const char *name, const char *command, const char *input, const char *expected) {
        QTest::newRow(name) << QString::fromLatin1(command) << QByteArray(input) << QByteArray(expected);
    };

    row("kamin alone", "kamin", R"({"Okraum1": 1, "Okqs1": "0,5"})",
        R"({"text": "112,5", "areaIsNumber": true, "fields": {"Okraum1": 1, "Okqs1": 0.5, "Okqn1": 112.5}})");
    row("kamin with others", "kamin", R"({"Okraum1": 2, "Okqs1": 0.5})",
        R"({"text": "168,8", "fields": {"Okqn1": 168.8}})");
    row("kamin tiled stove", "kamin", R"({"Okraum1": 3, "Okqs1": "0,5"})", R"({"text": "0,5", "fields": {"Okqn1": 0.5}})");
    row("kamin area not a number", "kamin", R"({"Okraum1": 1, "Okqs1": "0.5"})",
        R"({"text": "0,0", "areaIsNumber": false, "fields": {"Okqn1": 0, "Okqs1": null}})");

    row("zuluft 5 m round", "zuluft", R"({"OkllP": "10", "OkllLaenge": "5", "Okllform": 0})",
        R"({"texts": {"OkllS": "188,8", "Okllstats": "188,8"}, "okAllowed": true, "message": ""})");
    row("zuluft 10 %", "zuluft", R"({"OkllP": 10, "OkllLaenge": 5, "Okllform": 1})",
        R"({"texts": {"Okllstats": "207,7"}, "fields": {"OkllS": 188.8, "Okllstats": 207.7, "Okllform": 1}})");
    row("zuluft 25 %", "zuluft", R"({"OkllP": 10, "OkllLaenge": 5, "Okllform": 2})", R"({"texts": {"Okllstats": "236,0"}})");
    row("zuluft no length", "zuluft", R"({"OkllP": "10", "OkllLaenge": "0"})", R"({"texts": {"OkllS": "22,5"}})");
    row("zuluft bends", "zuluft", R"({"OkllP": "112,5", "OkllLaenge": "3", "Okllu45": 1, "Okllu90": 1})",
        R"({"texts": {"OkllS": "524,2"}, "fields": {"Okllu45": 1, "Okllu90": 1}})");
    row("zuluft 30 m line", "zuluft", R"({"OkllP": "50", "OkllLaenge": "30"})", R"({"texts": {"OkllS": "549,7"}})");
    row("zuluft 31 m", "zuluft", R"({"OkllP": "10", "OkllLaenge": "28", "Okllu90": 1})",
        R"({"texts": {"OkllS": "0,0", "Okllstats": "0,0"}, "okAllowed": true,
            "message": "Länge von 30 m überschritten!"})");
    row("zuluft empty output", "zuluft", R"({"OkllLaenge": 5})",
        R"({"texts": {"OkllS": "", "Okllstats": ""}, "okAllowed": false, "fields": {}})");
    row("zuluft partly supplied", "zuluft", R"({"OkllP": "100", "OkllLaenge": "2", "Okqn1": 112.5})",
        R"({"fields": {"Okunversorgt": 12.5}})");
    row("zuluft oversupplied", "zuluft", R"({"OkllP": "120", "OkllLaenge": "2", "Okqn1": 112.5})",
        R"({"fields": {"Okunversorgt": 0}})");

    row("aufstellraum 35/40", "aufstellraum", R"({"Hrleistung": "35", "Hrvolumen": "40", "Hrllanzahl": 1, "Hrll": 0})",
        R"({"fields": {"Hrsz1": true, "HrloeffS": 150, "Hrloeffs2": 75},
            "texts": {"hrloeffs": "150", "hrloeffs2": "75"}, "controls": {"NRaktiv": {"enabled": true}}})");
    row("aufstellraum 60,5/70", "aufstellraum",
        R"({"Hrleistung": "60,5", "Hrvolumen": "70", "Hrllanzahl": 1, "Hrll": 1, "Hrnrvorhanden": true})",
        R"({"fields": {"Hrsz1": true, "HrloeffS": 171, "Hrloeffs2": 85.5, "Hrllanzahl": 1, "Hrll": 1},
            "texts": {"hrloeffs": "171", "hrloeffs2": "85,5"}, "forced": {},
            "controls": {"NRaktiv": {"enabled": false}, "hrnrpanel": {"visible": false},
                         "hrllanzahl": {"enabled": true}, "hrll": {"enabled": true}}})");
    row("aufstellraum 60/50", "aufstellraum", R"({"Hrleistung": 60, "Hrvolumen": 50, "Hrllanzahl": 1, "Hrll": 1})",
        R"({"fields": {"Hrsz1": false, "Hrllanzahl": 2, "Hrll": 0, "Hrsz1insfreie": true, "HrloeffS": 170, "Hrloeffs2": 85},
            "forced": {"Hrllanzahl": 2, "Hrll": 0}, "notebookPage": 0,
            "controls": {"hrllanzahl": {"enabled": false}, "hrll": {"enabled": false}, "hrloeffs": {"visible": false},
                         "hrllname2": {"visible": true}}})");
    row("aufstellraum neighbour 2 x 150", "aufstellraum",
        R"({"Hrleistung": "40", "Hrvolumen": "30", "Hrnrvorhanden": true, "Hrnrvolumen": "20", "Hrnrloeff": 0})",
        R"({"fields": {"Hrsz1": false, "Hrnrsz1": true}, "controls": {"hrnrpanel": {"visible": true}}})");
    row("aufstellraum neighbour 1 x 150", "aufstellraum",
        R"({"Hrleistung": "40", "Hrvolumen": "30", "Hrnrvorhanden": true, "Hrnrvolumen": "20", "Hrnrloeff": 1})",
        R"({"fields": {"Hrsz1": false, "Hrnrsz1": false}})");
    row("aufstellraum 50,0005", "aufstellraum", R"({"Hrleistung": "50,0005", "Hrvolumen": "60"})",
        R"({"texts": {"hrloeffs": "150", "hrloeffs2": "75"}})");
    row("aufstellraum one opening to outside", "aufstellraum",
        R"({"Hrleistung": "40", "Hrvolumen": "100", "Hrllanzahl": 1, "Hrll": 0})", R"({"fields": {"Hrsz1insfreie": false}})");
    row("aufstellraum two openings through the neighbour", "aufstellraum",
        R"({"Hrleistung": "40", "Hrvolumen": "100", "Hrllanzahl": 2, "Hrll": 0, "Hrnrvorhanden": true, "Hrnrzuluft": true})",
        R"({"fields": {"Hrsz1insfreie": false}})");
    row("aufstellraum two openings to outside", "aufstellraum",
        R"({"Hrleistung": "40", "Hrvolumen": "100", "Hrllanzahl": 2, "Hrll": 0})", R"({"fields": {"Hrsz1insfreie": true}})");
    row("aufstellraum duct 150 cm2", "aufstellraum",
        R"({"Hrleistung": "35", "Hrvolumen": "40", "Hrllanzahl": 1, "Hrll": 1,
            "Hrlllaenge": "4", "Hrllu90": "2", "Hrllu45": "0", "Hrllgitter": "0"})",
        R"({"fields": {"HrllS": 297.5}, "texts": {"hrllS": "297,5"}, "controls": {"hrllS": {"enabled": true}}})");
    row("aufstellraum ducts 2 x 75 cm2", "aufstellraum",
        R"({"Hrleistung": "35", "Hrvolumen": "40", "Hrllanzahl": 2, "Hrll": 1,
            "Hrlllaenge": 4, "Hrllu90": 2, "Hrllu45": 0, "Hrllgitter": 0,
            "Hrlllaenge2": 4, "Hrllu902": 2, "Hrllu452": 0, "Hrllgitter2": 0})",
        R"({"fields": {"HrllS": 172.6, "Hrlls2": 172.6}, "controls": {"hrlls2": {"enabled": true, "visible": true}}})");
    row("aufstellraum duct Leq 0", "aufstellraum",
        R"({"Hrleistung": "35", "Hrvolumen": "40", "Hrllanzahl": 1,
            "Hrlllaenge": 0, "Hrllu90": 0, "Hrllu45": 0, "Hrllgitter": 0})",
        R"({"fields": {"HrllS": 150}})");
    row("aufstellraum volume not yet typed above 50 kW", "aufstellraum",
        R"({"Hrleistung": "60", "Hrvolumen": "", "Hrllanzahl": 1, "Hrll": 1, "Hrsz1": true, "HrloeffS": 150})",
        R"({"volumeMissing": true, "forced": {}, "fields": {"Hrsz1": true, "HrloeffS": null, "Hrllanzahl": 1},
            "texts": {"hrloeffs": ""}, "controls": {"hrllanzahl": {"enabled": true}}})");
    row("aufstellraum display stays enabled", "aufstellraum",
        R"({"Hrleistung": "35", "Hrvolumen": "40", "controls": {"hrllS": {"enabled": true}}})",
        R"({"controls": {"hrllS": {"enabled": true}, "hrlls2": {"enabled": false}}})");
    row("aufstellraum enablenr without force", "aufstellraum",
        R"({"event": "enablenr", "Hrleistung": 35, "Hrvolumen": 40, "Hrllanzahl": 1})",
        R"({"written": [], "controls": {"hrllname2": {"visible": false}}})");
    row("aufstellraum enablenr with force", "aufstellraum",
        R"({"event": "enablenr", "Hrleistung": 60, "Hrvolumen": 50, "Hrllanzahl": 1, "Hrll": 1})",
        R"({"forced": {"Hrllanzahl": 2, "Hrll": 0}, "fields": {"Hrsz1": false, "HrloeffS": 170}})");

    row("volumen", "volumen", R"({"Ral": "4", "Rab": "3,5", "Rah": "2,5"})",
        R"({"room": "RA", "volumeField": "RAV", "text": "35,0"})");
    row("volumen stored dimensions", "volumen", R"({"r3L": 4, "R3b": 3.5, "R3h": 2.5})",
        R"({"room": "R3", "texts": {"R3l": "4", "R3b": "3,5", "R3h": "2,5"}, "text": "35,0"})");
    row("volumen default height", "volumen", R"({"Ral": 4, "Rab": 3.5})", R"({"texts": {"Rah": "2,7"}, "text": "37,8"})");
    row("volumen stored height 0", "volumen", R"({"Hrlaenge": 4, "Hrbreite": 3.5, "Hrhoehe": 0, "defaultHeight": 2.5})",
        R"({"room": "Aufstellraum", "texts": {"Hrhoehe": "2,5"}, "text": "35,0"})");
    row("volumen not a number", "volumen", R"({"Ral": "4", "Rab": "drei", "Rah": "2,5"})", R"({"text": ""})");
}

void TestCliCalc::results()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    const Run r = cli(command, input);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY(r.err.isEmpty());
    QString why;
    QVERIFY2(containsAll(r.out, object(expected.constData()), why), qPrintable(why));
}

void TestCliCalc::aufstellraumListsEveryControl()
{
    const Run r = cli(u"aufstellraum"_qs, R"({"Hrleistung": "35", "Hrvolumen": "40"})");
    QCOMPARE(r.exitCode, 0);
    const QJsonObject controls = r.out.value(u"controls"_qs).toObject();
    const QStringList names = {u"NRaktiv"_qs, u"hrnrpanel"_qs, u"hrnrzuluft"_qs, u"arnrsz1checkbox"_qs,
                               u"arsz1freibox"_qs, u"hrllanzahl"_qs, u"hrloeffs"_qs, u"hrll"_qs,
                               u"hrllname2"_qs, u"hrllS"_qs, u"hrlls2"_qs};
    QCOMPARE(controls.keys().size(), names.size());
    for (const QString &n : names) {
        const QJsonObject c = controls.value(n).toObject();
        QVERIFY2(c.value(u"enabled"_qs).isBool() && c.value(u"visible"_qs).isBool(), qPrintable(n));
    }
}

void TestCliCalc::badInput_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message");
    QTest::newRow("kamin: unknown kind") << u"kamin"_qs << QByteArray(R"({"Okraum1": 4})") << u"Okraum1"_qs;
    QTest::newRow("kamin: not JSON") << u"kamin"_qs << QByteArray("{Okraum1") << u"kein gültiges JSON"_qs;
    QTest::newRow("zuluft: eleven bends") << u"zuluft"_qs << QByteArray(R"({"Okllu90": 11})") << u"Okllu90"_qs;
    QTest::newRow("zuluft: side ratio 3") << u"zuluft"_qs << QByteArray(R"({"Okllform": 3})") << u"Okllform"_qs;
    QTest::newRow("zuluft: unknown field") << u"zuluft"_qs << QByteArray(R"({"Laenge": 3})") << u"Laenge"_qs;
    QTest::newRow("aufstellraum: unknown event") << u"aufstellraum"_qs << QByteArray(R"({"event": "klick"})")
                                                 << u"event"_qs;
    QTest::newRow("aufstellraum: boolean as text") << u"aufstellraum"_qs << QByteArray(R"({"Hrnrvorhanden": "ja"})")
                                                   << u"Hrnrvorhanden"_qs;
    QTest::newRow("volumen: two rooms") << u"volumen"_qs << QByteArray(R"({"Ral": 4, "R1b": 3})") << u"einem Raum"_qs;
    QTest::newRow("volumen: no dimension") << u"volumen"_qs << QByteArray("{}") << u"Keine Raummaße"_qs;
    QTest::newRow("volumen: volume is no dimension") << u"volumen"_qs << QByteArray(R"({"RAV": 30})") << u"RAV"_qs;
}

void TestCliCalc::badInput()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, input);
    QFETCH(QString, message);
    const Run r = cli(command, input);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
}

void TestCliCalc::helpNamesTheKeys()
{
    QProcess p;
    p.setWorkingDirectory(m_dir.path());
    p.start(QStringLiteral(OFENRING_CLI), {u"--help"_qs});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const QString help = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString &word : {u"kamin"_qs, u"Okqs1"_qs, u"zuluft"_qs, u"okAllowed"_qs, u"aufstellraum"_qs,
                                u"hrllname2"_qs, u"enablenr"_qs, u"volumen"_qs, u"defaultHeight"_qs})
        QVERIFY2(help.contains(word), qPrintable(word));
}

QTEST_GUILESS_MAIN(TestCliCalc)
#include "test_cli_calc.moc"
