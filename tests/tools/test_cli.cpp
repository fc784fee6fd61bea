#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

Run cli(const QStringList &args, const QByteArray &input = {})
{
    QProcess p;
    p.start(QStringLiteral(OFENRING_CLI), args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000))
        qFatal("ofenring-cli did not finish");
    return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void emptyObjectGivesFreshVerdict();
    void workedExample();
    void badInput_data();
    void badInput();
    void help();
    void strictReaderTakesEveryValidForm();
    void malformedJsonIsRefusedInGerman_data();
    void malformedJsonIsRefusedInGerman();
    void valuesBeyondAnyInstallationAreRefused_data();
    void valuesBeyondAnyInstallationAreRefused();
    void anOverlongNameIsQuotedShortened();
    void aFailedWriteOfTheOutputIsReported();
};

void TestCli::emptyObjectGivesFreshVerdict()
{
    const Run r = cli({u"check"_qs}, "{}");
    QCOMPARE(r.exitCode, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(o.value(u"messages"_qs).toArray().toVariantList(),
             QVariantList({QString(), u"Ergebnis:"_qs, u"Schutzziel 1: erreicht"_qs, u"Schutzziel 2: erreicht"_qs}));
    const QJsonObject f = o.value(u"fields"_qs).toObject();
    QCOMPARE(f.value(u"Sz1"_qs), QJsonValue(true));
    QCOMPARE(f.value(u"Gerechnet"_qs), QJsonValue(true));
    QCOMPARE(f.value(u"Qlansum"_qs), QJsonValue(0));
    QVERIFY(!f.contains(u"RAV"_qs));  // an empty input field stays empty
}

void TestCli::workedExample()
{
    const QByteArray in = R"({"RAV": 30, "RAN": 11, "RATOF": true, "A_Name": "Haus Sonnenschein",
        "R1V": 40, "R1N": 0, "R1TOF": true, "R1oeff": 1, "R1Vmit": 1,
        "R2V": 25, "R2N": null, "R2tof": true, "R2oeff": 3, "R2vmit": 1,
        "R3V": 20, "R3tof": false, "R3oeff": 5, "R3vmit": 1, "R4vmit": -1})";
    const Run r = cli({u"check"_qs}, in);
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.err.isEmpty());
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    const QJsonObject f = o.value(u"fields"_qs).toObject();
    const QList<QPair<QString, double>> expected = {
        {u"Vortrag"_qs, 30}, {u"Rarv"_qs, -14}, {u"R1Rv"_qs, 40}, {u"R2rv"_qs, 25}, {u"R3rv"_qs, 0},
        {u"RAQl"_qs, 7.5},   {u"R1Ql"_qs, 10},  {u"R2ql"_qs, 5.6}, {u"R3ql"_qs, 0},  {u"Qlansum"_qs, 23.1},
        {u"Psum"_qs, 11},    {u"Vsum"_qs, 115}, {u"Pzusatz"_qs, 0}};
    for (const auto &[name, value] : expected)
        QVERIFY2(qAbs(f.value(name).toDouble() - value) < 1e-9, qPrintable(name));
    QCOMPARE(f.value(u"A_Name"_qs).toString(), u"Haus Sonnenschein"_qs);
    QCOMPARE(f.value(u"Sz2"_qs), QJsonValue(true));
    QVERIFY(!f.contains(u"R2N"_qs));
    QCOMPARE(o.value(u"messages"_qs).toArray().toVariantList(),
             QVariantList({u"PROBLEM!"_qs, u"R3 hat keine Türe/Fenster ins Freie"_qs, QString(), QString(),
                           u"Ergebnis:"_qs, u"Schutzziel 1: erreicht"_qs, u"Schutzziel 2: erreicht"_qs}));
}

void TestCli::badInput_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("malformed") << QByteArray("{\"RAV\": ") << u"kein gültiges JSON"_qs;
    QTest::newRow("not an object") << QByteArray("[1, 2]") << u"JSON-Objekt"_qs;
    QTest::newRow("unknown field") << QByteArray(R"({"RAVV": 3})") << u"RAVV"_qs;
    QTest::newRow("text for a number") << QByteArray(R"({"RAV": "30"})") << u"RAV"_qs;
    QTest::newRow("number for a flag") << QByteArray(R"({"RATOF": 1})") << u"RATOF"_qs;
    QTest::newRow("fraction for a code") << QByteArray(R"({"R1oeff": 1.5})") << u"R1oeff"_qs;
    QTest::newRow("code out of range") << QByteArray(R"({"R1oeff": 70000})") << u"R1oeff"_qs;
    QTest::newRow("opening type beyond the list") << QByteArray(R"({"R1oeff": 257, "R1Vmit": 1})") << u"R1oeff"_qs;
    QTest::newRow("connected-with beyond R2") << QByteArray(R"({"R3oeff": 1, "R3vmit": 4})") << u"R3vmit"_qs;
    QTest::newRow("connected-with below none") << QByteArray(R"({"R5vmit": -2})") << u"R5vmit"_qs;
    QTest::newRow("unknown fireplace kind") << QByteArray(R"({"Okraum1": 4})") << u"Okraum1"_qs;
    QTest::newRow("number for a text") << QByteArray(R"({"A_Name": 5})") << u"A_Name"_qs;
}

void TestCli::badInput()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, errorPart);
    const Run r = cli({u"check"_qs}, input);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.contains(errorPart), qPrintable(r.err));
}

void TestCli::help()
{
    const Run r = cli({u"--help"_qs});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(QString::fromUtf8(r.out).contains(u"check"_qs));
    QVERIFY(QString::fromUtf8(r.out).contains(u"Befehle"_qs));
    const Run unknown = cli({u"gibtsnicht"_qs});
    QCOMPARE(unknown.exitCode, 2);
    QVERIFY(unknown.out.isEmpty());
}

void TestCli::strictReaderTakesEveryValidForm()
{
    const QByteArray in = "\xef\xbb\xbf {\"RAV\" : 0.5e2, \"RAN\":1E1,\"R1V\":-0, \"R2V\": 12.25,\r\n\t"
                          "\"A_Name\": \"\\\"\\\\\\/\\b\\f\\n\\r\\t\\u00e4\\ud83d\\ude00\xc3\xb6\", \"R1N\": null} ";
    const Run r = cli({u"check"_qs}, in);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    const QJsonObject f = QJsonDocument::fromJson(r.out).object().value(u"fields"_qs).toObject();
    QCOMPARE(f.value(u"RAV"_qs).toDouble(), 50.0);
    QCOMPARE(f.value(u"RAN"_qs).toDouble(), 10.0);
    QCOMPARE(f.value(u"R2V"_qs).toDouble(), 12.25);
    QCOMPARE(f.value(u"A_Name"_qs).toString(), u"\"\\/\b\f\n\r\tä\U0001F600ö"_qs);
}

void TestCli::malformedJsonIsRefusedInGerman_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("error");   // the whole message after "ofenring-cli check: "
    const QString number = u"ungültige Zahl (erlaubt sind Zahlen wie 12, -0.5 oder 1.5e3)"_qs;
    const QString control = u"Steuerzeichen in einer Zeichenkette (als Escape-Sequenz wie \\n schreiben)"_qs;
    const QString escape = u"ungültige Escape-Sequenz in einer Zeichenkette"_qs;
    const auto at = [](int byte, const QString &what) {
        return u"Die Eingabe ist kein gültiges JSON (Byte %1: %2)."_qs.arg(byte).arg(what);
    };
    // Forms Qt's own reader takes.
    QTest::newRow(".5") << QByteArray(R"({"RAV": .5})") << at(9, number);
    QTest::newRow("1.") << QByteArray(R"({"RAV": 1.})") << at(9, number);
    QTest::newRow("-.5") << QByteArray(R"({"RAV": -.5})") << at(9, number);
    QTest::newRow("1.e5") << QByteArray(R"({"RAV": 1.e5})") << at(9, number);
    QTest::newRow("leading zero") << QByteArray(R"({"RAV": 01})") << at(9, number);
    QTest::newRow("plus sign") << QByteArray(R"({"RAV": +1})") << at(9, number);
    QTest::newRow("invalid escape") << QByteArray(R"({"A_Name": "a\x"})") << at(14, escape);
    QTest::newRow("short \\u escape") << QByteArray(R"({"A_Name": "\u12"})") << at(13, escape);
    QTest::newRow("raw tab in a string") << QByteArray("{\"A_Name\": \"a\tb\"}") << at(14, control);
    QTest::newRow("raw line break in a string") << QByteArray("{\"A_Name\": \"a\nb\"}") << at(14, control);
    QTest::newRow("lone surrogate") << QByteArray(R"({"A_Name": "\ud800"})")
                                    << at(19, u"ein \\u-Ersatzzeichen steht ohne sein Gegenstück"_qs);
    QTest::newRow("not UTF-8") << QByteArray("{\"A_Name\": \"K\xfc" "che\"}")
                               << at(14, u"die Eingabe ist kein gültiges UTF-8"_qs);
    QTest::newRow("text after the object") << QByteArray("{} x") << at(4, u"nach dem JSON-Wert folgt noch Text"_qs);
    QTest::newRow("cut off") << QByteArray(R"({"RAV": )") << at(9, u"die Eingabe endet vorzeitig"_qs);
    QTest::newRow("number beyond double") << QByteArray(R"({"RAV": 1e400})")
                                          << at(9, u"die Zahl ist zu groß, um dargestellt zu werden"_qs);
    QTest::newRow("a name twice") << QByteArray(R"({"RAV": 1, "RAV": 2})")
                                  << at(12, u"ein Name kommt im selben Objekt zweimal vor"_qs);
    QTest::newRow("a field twice in another spelling") << QByteArray(R"({"RAV": 1, "rav": 2})")
                                                       << u"Feld \"RAV\" ist mehrfach angegeben."_qs;
    // Deeper than any input needs: refused before the stack could run out.
    QTest::newRow("100000 brackets") << QByteArray(100000, '[')
                                     << at(65, u"zu tief verschachtelt (höchstens 64 Ebenen)"_qs);
}

void TestCli::malformedJsonIsRefusedInGerman()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, error);
    const Run r = cli({u"check"_qs}, input);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.out.isEmpty());
    QCOMPARE(r.err, u"ofenring-cli check: "_qs + error + u'\n');
}

void TestCli::valuesBeyondAnyInstallationAreRefused_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("error");
    const auto beyond = [](const QString &value, const QString &field, const QString &limit) {
        return u"Der Wert %1 für Feld \"%2\" liegt außerhalb jeder Anlage (erlaubt sind Beträge bis %3)."_qs.arg(
            value, field, limit);
    };
    QTest::newRow("volume 1e308") << u"check"_qs << QByteArray(R"({"RAV": 1e308})")
                                  << beyond(u"1E+308"_qs, u"RAV"_qs, u"1.000.000 m³"_qs);
    QTest::newRow("output -1e300") << u"check"_qs << QByteArray(R"({"R3N": -1e300})")
                                   << beyond(u"-1E+300"_qs, u"R3N"_qs, u"10.000 kW"_qs);
    QTest::newRow("typed duct output") << u"zuluft"_qs << QByteArray(R"({"OkllP": "1e308", "OkllLaenge": 5})")
                                       << beyond(u"1E+308"_qs, u"OkllP"_qs, u"10.000 kW"_qs);
    QTest::newRow("fire-chamber opening") << u"kamin"_qs << QByteArray(R"({"Okraum1": 1, "Okqs1": 1e9})")
                                          << beyond(u"1E+09"_qs, u"Okqs1"_qs, u"100 m²"_qs);
    QTest::newRow("room length") << u"volumen"_qs << QByteArray(R"({"Ral": 1e200, "Rab": 3})")
                                 << beyond(u"1E+200"_qs, u"Ral"_qs, u"1.000 m"_qs);
    QTest::newRow("default room height") << u"volumen"_qs << QByteArray(R"({"Ral": 4, "defaultHeight": 1e308})")
                                         << u"\"defaultHeight\" muss eine Zahl über 0 und bis 100 sein."_qs;
}

void TestCli::valuesBeyondAnyInstallationAreRefused()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, input);
    QFETCH(QString, error);
    const Run r = cli({command}, input);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.out.isEmpty());
    QCOMPARE(r.err, u"ofenring-cli %1: %2\n"_qs.arg(command, error));
}

void TestCli::anOverlongNameIsQuotedShortened()
{
    const QByteArray name(10 * 1024 * 1024, 'x');
    const Run r = cli({u"check"_qs}, "{\"" + name + "\": 1}");
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.err, u"ofenring-cli check: Unbekanntes Feld \"%1…\" (10485760 Zeichen lang).\n"_qs
                        .arg(QString(40, u'x')));
    // A short one is quoted whole, a control character in it shown as '?'.
    QCOMPARE(cli({u"check"_qs}, R"({"Ra\nV": 1})").err, u"ofenring-cli check: Unbekanntes Feld \"Ra?V\".\n"_qs);
}

void TestCli::aFailedWriteOfTheOutputIsReported()
{
    if (!QFile::exists(u"/dev/full"_qs))
        QSKIP("this system has no /dev/full to play a full disk");
    QProcess p;
    p.setStandardOutputFile(u"/dev/full"_qs);
    p.start(QStringLiteral(OFENRING_CLI), {u"check"_qs});
    p.write("{}");
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 3);
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()),
             u"Die Ausgabe kann nicht geschrieben werden: Der Datenträger ist voll.\n"_qs);
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
