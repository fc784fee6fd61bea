// The protocols as PDF files, read back with the poppler tools: real text at
// the places the layout put it, the right fonts, title and author.

#include "printedprotocol.h"
#include "protocolfixtures.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

using namespace report;

namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct PdfWord {
    int page;
    QString text;
    QRectF box;  // mm
};

// The words of a PDF with their boxes, as pdftotext -bbox reads them.
std::vector<PdfWord> pdfWords(const QString &file)
{
    const QString html = run(u"pdftotext"_qs, {u"-bbox"_qs, file, u"-"_qs});
    std::vector<PdfWord> words;
    int page = -1;
    const QRegularExpression tag(
        u"<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"_qs);
    const double mm = 25.4 / 72.0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(u"<page"_qs)) {
            ++page;
            continue;
        }
        const QRectF box(QPointF(m.captured(1).toDouble() * mm, m.captured(2).toDouble() * mm),
                         QPointF(m.captured(3).toDouble() * mm, m.captured(4).toDouble() * mm));
        QTextDocument unescape;
        unescape.setHtml(m.captured(5));
        words.push_back({page, unescape.toPlainText(), box});
    }
    return words;
}

} // namespace

class TestProtocolPdf : public QObject {
    Q_OBJECT

public:
    TestProtocolPdf() : m_protocols([this]() -> const PrintSettings & { return m_settings; }) {}

private slots:
    void initTestCase();
    void wordsLandWhereTheyWerePlaced_data();
    void wordsLandWhereTheyWerePlaced();
    void documentInformationAndFonts();
    void unwritableFileIsReported();
    void controlCharactersStayOutOfTitleAndAuthor();

private:
    PrintSettings m_settings = fixtures::printSettings();
    Protocols m_protocols;
    QTemporaryDir m_dir;
};

void TestProtocolPdf::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty(), "poppler-utils is not installed");
    QVERIFY(m_dir.isValid());
}

void TestProtocolPdf::wordsLandWhereTheyWerePlaced_data()
{
    QTest::addColumn<bool>("installationRoom");
    QTest::newRow("Luftverbund") << false;
    QTest::newRow("Aufstellungsraum") << true;
}

void TestProtocolPdf::wordsLandWhereTheyWerePlaced()
{
    QFETCH(bool, installationRoom);
    const Record r = installationRoom ? fixtures::installationRoom() : fixtures::interconnection();
    const PrintedProtocol printed(m_protocols, r);
    const QString file = m_dir.filePath(installationRoom ? u"ar.pdf"_qs : u"lv.pdf"_qs);
    QString error;
    QVERIFY2(writePdf(printed.pages, file, m_protocols.pdfInfo(r), &error), qPrintable(error));
    const std::vector<PdfWord> words = pdfWords(file);
    QVERIFY(!words.empty());

    // Every text painted as one word is in the PDF, at the same place.
    const PaintRecorder metrics;
    int compared = 0;
    for (size_t page = 0; page < printed.painted.size(); ++page) {
        for (const DrawnText &t : printed.painted[page]->texts) {
            const QString word = t.text.trimmed();
            if (word.isEmpty() || word.contains(u' '))
                continue;
            const PdfWord *best = nullptr;
            double distance = 1e9;
            for (const PdfWord &w : words) {
                if (w.page != int(page) || w.text != word)
                    continue;
                const double d = qAbs(w.box.left() - t.x) + qAbs(w.box.bottom() - t.baseline);
                if (d < distance) {
                    distance = d;
                    best = &w;
                }
            }
            QVERIFY2(best, qPrintable(u"\"%1\" is not text in the PDF"_qs.arg(word)));
            // Leading and trailing blanks are not part of the PDF's word box.
            if (!t.text.startsWith(u' '))
                QVERIFY2(qAbs(best->box.left() - t.x) <= 0.5, qPrintable(word));
            if (!t.text.endsWith(u' '))
                QVERIFY2(qAbs(best->box.right() - t.right()) <= 0.5, qPrintable(word));
            // pdftotext's box reaches from the font's ascent to its descent.
            const double descent = QFontMetricsF(t.font, &metrics).descent() / PaintRecorder::kPxPerMm;
            QVERIFY2(qAbs(best->box.bottom() - (t.baseline + descent)) <= 0.5, qPrintable(word));
            QVERIFY2(qAbs(best->box.top() - t.top) <= 0.5, qPrintable(word));
            ++compared;
        }
    }
    QVERIFY(compared > 30);
}

void TestProtocolPdf::documentInformationAndFonts()
{
    const Record r = fixtures::interconnection();
    const QString file = m_dir.filePath(u"info.pdf"_qs);
    QVERIFY(writePdf(m_protocols.layOut(r, 2), file, m_protocols.pdfInfo(r), nullptr));

    const QString info = run(u"pdfinfo"_qs, {file});
    QVERIFY2(info.contains(u"Title:           Protokoll Luftverbund – Wohnhaus Brenner, Lindenstraße 12, Esslingen"_qs),
             qPrintable(info));
    QVERIFY2(info.contains(u"Author:          Martin Russ\n"_qs), qPrintable(info));
    QVERIFY(info.contains(u"Page size:       595 x 842 pts (A4)"_qs));
    QVERIFY(info.contains(u"Pages:           2"_qs));

    const QString fonts = run(u"pdffonts"_qs, {file});
    for (const QString &face : {u"LiberationSans "_qs, u"LiberationSans-Bold "_qs, u"LiberationSans-Italic "_qs})
        QVERIFY2(fonts.contains(face), qPrintable(fonts));

    // Searchable, with its umlauts.
    const QString text = run(u"pdftotext"_qs, {file, u"-"_qs});
    QVERIFY(text.contains(u"Berechnung des Ofenringes für Feuerstätten"_qs));
    QVERIFY(text.contains(u"Schutzziel 1 (1 m³ / kW)"_qs));
    QVERIFY(text.contains(u"Nachprüfung im Herbst vereinbart."_qs));

    // The installation-room protocol carries its report title.
    const Record ar = fixtures::installationRoom();
    QVERIFY(m_protocols.pdfInfo(ar).title.startsWith(u"Protokoll Aufstellungsraum – "_qs));
}

void TestProtocolPdf::unwritableFileIsReported()
{
    const QString file = m_dir.filePath(u"fehlt/da.pdf"_qs);
    QString error;
    QVERIFY(!writePdf(m_protocols.layOut(fixtures::interconnection(), 2), file, {}, &error));
    QCOMPARE(error, u"Die Datei %1 kann nicht geschrieben werden: Der Ordner fehlt."_qs.arg(file));

}

// Texts from the record and the settings reach the document information
// without their control characters.
void TestProtocolPdf::controlCharactersStayOutOfTitleAndAuthor()
{
    Record r = fixtures::interconnection();
    r.setValue(u"A_Name"_qs, u"Wohnhaus\u001b[2J\r\nBrenner\u0000"_qs);
    PrintSettings withTab = m_settings;
    withTab.headerLine1 = u"Martin\tRuss\u0007"_qs;
    const Protocols protocols([&withTab]() -> const PrintSettings & { return withTab; });
    const QString file = m_dir.filePath(u"steuerzeichen.pdf"_qs);
    QString error;
    QVERIFY2(writePdf(protocols.layOut(r, 2), file, protocols.pdfInfo(r), &error), qPrintable(error));

    const QString info = run(u"pdfinfo"_qs, {file});
    QVERIFY2(info.contains(u"Title:           Protokoll Luftverbund – Wohnhaus [2J Brenner, Lindenstraße 12, Esslingen\n"_qs),
             qPrintable(info));
    QVERIFY2(info.contains(u"Author:          Martin Russ\n"_qs), qPrintable(info));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    for (const char c : {'\x1b', '\x07', '\t'})
        QVERIFY2(!bytes.contains(QByteArray("Wohnhaus") + c) && !bytes.contains(QByteArray("Martin") + c), qPrintable(QString::number(c)));
}

QTEST_MAIN(TestProtocolPdf)
#include "test_protocolpdf.moc"
