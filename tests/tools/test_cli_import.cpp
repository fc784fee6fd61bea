#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QJsonObject out;
    QString err;
};

Run cli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(OFENRING_CLI), args);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000))
        qFatal("ofenring-cli did not finish");
    return {p.exitCode(), QJsonDocument::fromJson(p.readAllStandardOutput()).object(),
            QString::fromUtf8(p.readAllStandardError())};
}

// Owner in Stuttgart with a name longer than its field, site in Esslingen.
const QByteArray kExport = "Frau\r\nK-1\r\nErika Mustermann-Musterfrau-Beispiel\r\n\r\nWeg 5\r\n70000\r\n"
                           "70173 Stuttgart\r\n0711 1\r\n0711 2\r\nNeue Str. 2\r\n73000\r\n73728 Esslingen\r\n";

} // namespace

class TestCliImport : public QObject {
    Q_OBJECT

private slots:
    void fieldsOfAnExportFile_data();
    void fieldsOfAnExportFile();
    void refusesWhatItCannotRead_data();
    void refusesWhatItCannotRead();
    void encodingsAndFilesThatAreNone_data();
    void encodingsAndFilesThatAreNone();

private:
    QTemporaryDir m_dir;
};

void TestCliImport::fieldsOfAnExportFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("ownerPlz");
    QTest::addColumn<QString>("ownerTown");

    QTest::newRow("export.txt is Abnahme") << u"export.txt"_qs << QStringList() << u"abnahme"_qs << u"70173"_qs
                                           << u"Stuttgart"_qs;
    QTest::newRow("AbnSch.EXP is SchoCom") << u"AbnSch.EXP"_qs << QStringList() << u"schocom"_qs << u"70000"_qs
                                           << u"70173 Stuttgart"_qs;
    QTest::newRow("--quelle overrides the name")
        << u"export.txt"_qs << QStringList{u"--quelle"_qs, u"schocom"_qs} << u"schocom"_qs << u"70000"_qs
        << u"70173 Stuttgart"_qs;
    QTest::newRow("--quelle= for an unknown name") << u"adressen.dat"_qs << QStringList{u"--quelle=abnahme"_qs}
                                                   << u"abnahme"_qs << u"70173"_qs << u"Stuttgart"_qs;
}

void TestCliImport::fieldsOfAnExportFile()
{
    QFETCH(QString, fileName);
    QFETCH(QStringList, options);
    QFETCH(QString, source);
    QFETCH(QString, ownerPlz);
    QFETCH(QString, ownerTown);

    const QString path = m_dir.filePath(fileName);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(kExport);
    f.close();

    const Run r = cli(QStringList{u"import"_qs} + options + QStringList{path});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out.value(u"source"_qs).toString(), source);
    QCOMPARE(r.out.value(u"lines"_qs).toInt(), 12);
    QCOMPARE(r.out.value(u"encoding"_qs).toString(), u"Windows-1252"_qs);
    const QJsonObject fields = r.out.value(u"fields"_qs).toObject();
    QCOMPARE(fields.value(u"E_plz"_qs).toString(), ownerPlz);
    QCOMPARE(fields.value(u"E_ort"_qs).toString(), ownerTown);
    QCOMPARE(fields.value(u"E_Name"_qs).toString(), u"Erika Mustermann-Musterfrau-Be"_qs);   // cut to 30
    QCOMPARE(fields.value(u"E_zusatz"_qs), QJsonValue(u""_qs));                                // empty line clears
    QCOMPARE(fields.keys(), QStringList({u"A_Ort"_qs, u"A_Plz"_qs, u"A_strasse"_qs, u"E_Name"_qs, u"E_anrede"_qs,
                                         u"E_fax"_qs, u"E_ort"_qs, u"E_plz"_qs, u"E_strasse"_qs, u"E_tel"_qs,
                                         u"E_zusatz"_qs}));
}

void TestCliImport::refusesWhatItCannotRead_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");   // part of the error text

    QTest::newRow("no file") << QStringList{u"import"_qs} << u"Keine Exportdatei angegeben"_qs;
    QTest::newRow("unknown source") << QStringList{u"import"_qs, u"--quelle"_qs, u"abnahme3"_qs, u"export.txt"_qs}
                                    << u"Unbekannte Quelle \"abnahme3\""_qs;
    QTest::newRow("name tells nothing") << QStringList{u"import"_qs, u"adressen.dat"_qs}
                                        << u"Der Dateiname nennt die Quelle nicht"_qs;
    QTest::newRow("missing file") << QStringList{u"import"_qs, u"/nicht/vorhanden/export.txt"_qs}
                                  << u"Die Exportdatei /nicht/vorhanden/export.txt kann nicht geöffnet werden"_qs;
}

void TestCliImport::refusesWhatItCannotRead()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Run r = cli(args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
}

void TestCliImport::encodingsAndFilesThatAreNone_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("result");   // the encoding read, or part of the message

    const QString text = u"Herrn\r\n\r\nJürgen Weiß\r\n"_qs;
    QTest::newRow("UTF-8") << text.toUtf8() << 0 << u"UTF-8"_qs;
    QTest::newRow("UTF-16") << QByteArray(QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom).encode(text))
                            << 0 << u"UTF-16"_qs;
    QByteArray random;
    for (int i = 0; i < 1000; ++i)
        random.append(char((i * 7919 + 13) % 256));
    QTest::newRow("random bytes") << random << 2 << u"ist keine Exportdatei: Zeile 1 enthält ein Steuerzeichen"_qs;
    QTest::newRow("empty") << QByteArray() << 2 << u"ist leer. Es wurden keine Adressen übernommen."_qs;
    QTest::newRow("ESC in a name") << QByteArray("Herrn\r\n\r\nJ\x1b[2Jrgen\r\n") << 2
                                   << u"Zeile 3 enthält ein Steuerzeichen (Zeichen U+001B)"_qs;
}

// The encodings it reads, and files it refuses with status 2 and a German message.
void TestCliImport::encodingsAndFilesThatAreNone()
{
    QFETCH(QByteArray, file);
    QFETCH(int, exitCode);
    QFETCH(QString, result);
    const QString path = m_dir.filePath(u"AbnSch.EXP"_qs);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(file);
    f.close();

    const Run r = cli({u"import"_qs, path});
    QCOMPARE(r.exitCode, exitCode);
    if (exitCode == 0) {
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out.value(u"encoding"_qs).toString(), result);
        QCOMPARE(r.out.value(u"fields"_qs).toObject().value(u"E_Name"_qs).toString(), u"Jürgen Weiß"_qs);
    } else {
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.startsWith(u"ofenring-cli import: Die "_qs) && r.err.contains(path) && r.err.contains(result), qPrintable(r.err));
    }
}

QTEST_GUILESS_MAIN(TestCliImport)
#include "test_cli_import.moc"
