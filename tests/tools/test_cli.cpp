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

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
