#include "controlchars.h"
#include "fileerror.h"
#include "smallfilesystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class TestFileError : public QObject {
    Q_OBJECT

private slots:
    void reasonsFromTheErrorNumber();
    void replacesOnlyWhenComplete();
    void failures_data();
    void failures();
    void controlCharactersLeaveOneLine_data();
    void controlCharactersLeaveOneLine();
};

void TestFileError::reasonsFromTheErrorNumber()
{
    QCOMPARE(fileerror::sentence(ENOSPC), u"Der Datenträger ist voll."_qs);
    QCOMPARE(fileerror::phrase(EROFS), u"der Datenträger ist schreibgeschützt"_qs);
    QCOMPARE(fileerror::phrase(EACCES), u"keine Schreibberechtigung"_qs);
    // An error without words of its own is named by its number, never in English.
    QCOMPARE(fileerror::sentence(EPROTO), u"Systemfehler Nr. %1."_qs.arg(EPROTO));
}

// The new contents replace the old file whole; a link is followed; nothing
// is left beside the file.
void TestFileError::replacesOnlyWhenComplete()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"protokoll.pdf"_qs);
    writeFile(path, "alt");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QString why;
    QVERIFY2(fileerror::writeReplacing(path, "neu", &why), qPrintable(why));
    QCOMPARE(readAll(path), QByteArray("neu"));
    QCOMPARE(QFile::permissions(path) & ~QFile::Permissions(QFile::ReadUser | QFile::WriteUser),
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

    const QString link = dir.filePath(u"verweis.pdf"_qs);
    QVERIFY(QFile::link(path, link));
    QVERIFY2(fileerror::writeReplacing(link, "über den Verweis", &why), qPrintable(why));
    QCOMPARE(readAll(path), QByteArray("über den Verweis"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
             (QStringList{u"protokoll.pdf"_qs, u"verweis.pdf"_qs}));
}

void TestFileError::failures_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason");
    QTest::newRow("Ordner fehlt") << u"missing"_qs << u"Der Ordner fehlt."_qs;
    QTest::newRow("ein Ordner steht dort") << u"folder"_qs << u"An dieser Stelle steht ein Ordner."_qs;
    QTest::newRow("Datenträger voll") << u"full"_qs << u"Der Datenträger ist voll."_qs;
    QTest::newRow("schreibgeschützter Datenträger") << u"readonly"_qs << u"Der Datenträger ist schreibgeschützt."_qs;
    QTest::newRow("ohne Schreibrecht") << u"permission"_qs << u"Keine Schreibberechtigung."_qs;
}

// A write that fails says why in German, and the old file stays as it was.
void TestFileError::failures()
{
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"ziel"_qs);
    QVERIFY(QDir().mkpath(folder));
    QString path = QDir(folder).filePath(u"protokoll.pdf"_qs);
    std::unique_ptr<SmallFileSystem> medium;
    const QByteArray old = "die alte Fassung";
    if (setup == u"missing"_qs) {
        path = dir.filePath(u"fehlt/protokoll.pdf"_qs);
    } else if (setup == u"folder"_qs) {
        QVERIFY(QDir().mkpath(path));
    } else if (setup == u"full"_qs) {
        medium = std::make_unique<SmallFileSystem>(folder, u"size=128k"_qs);
        if (!medium->mounted())
            QSKIP(SmallFileSystem::skipReason());
        writeFile(path, old);
        medium->fill();
    } else if (setup == u"readonly"_qs) {
        // Mounted empty and read-only: the old file is one on the medium's
        // own folder instead, which cannot be written either.
        medium = std::make_unique<SmallFileSystem>(folder, u"size=64k,ro"_qs);
        if (!medium->mounted())
            QSKIP(SmallFileSystem::skipReason());
    } else if (setup == u"permission"_qs) {
        if (::geteuid() == 0)
            QSKIP("root writes in any folder");
        writeFile(path, old);
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }
    QString why;
    QVERIFY(!fileerror::writeReplacing(path, QByteArray(256 * 1024, 'n'), &why));
    QCOMPARE(why, reason);
    if (setup == u"full"_qs || setup == u"permission"_qs) {
        QCOMPARE(readAll(path), old);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 setup == u"full"_qs ? (QStringList{u"fueller"_qs, u"protokoll.pdf"_qs}) : QStringList{u"protokoll.pdf"_qs});
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestFileError::controlCharactersLeaveOneLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("line");
    QTest::newRow("ohne") << u"Protokoll Luftverbund – Haus  am See"_qs << u"Protokoll Luftverbund – Haus  am See"_qs;
    QTest::newRow("NUL und ESC") << u"Haus\u0000am\u001b[31mSee"_qs << u"Haus am [31mSee"_qs;
    QTest::newRow("Zeilenwechsel mit Leerzeichen") << u"Müller \r\n Straße\t5\u0085"_qs << u"Müller Straße 5"_qs;
    QTest::newRow("nur Steuerzeichen") << u"\u0001\u0002"_qs << QString();
}

void TestFileError::controlCharactersLeaveOneLine()
{
    QFETCH(QString, text);
    QFETCH(QString, line);
    QCOMPARE(controlchars::oneLine(text), line);
    QCOMPARE(controlchars::find(line), qsizetype(-1));
}

QTEST_GUILESS_MAIN(TestFileError)
#include "test_fileerror.moc"
