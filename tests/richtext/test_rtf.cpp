#include "docdescription.h"
#include "rtf.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextTable>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <functional>

namespace {

const QFont &baseFont()
{
    static const QFont f(u"DejaVu Sans"_qs, 10);
    return f;
}

// The text as stored in the blocks, one line per paragraph (line breaks stay
// U+2028, so they can be told from paragraphs).
QString rawText(const QTextDocument &doc)
{
    QStringList lines;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        lines << b.text();
    return lines.join(u'\n');
}

QTextCharFormat charAt(const QTextDocument &doc, const QString &word)
{
    const QTextCursor found = doc.find(word);
    if (found.isNull())
        return {};
    QTextCursor c(const_cast<QTextDocument *>(&doc));
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

// One expectation "Wort|key=value" (character) or "#n|key=value" (paragraph n).
QString check(const QTextDocument &doc, const QString &expectation)
{
    const QString target = expectation.section(u'|', 0, 0);
    const QString key = expectation.section(u'|', 1).section(u'=', 0, 0);
    const QString want = expectation.section(u'=', 1);
    QString got;
    if (target.startsWith(u'#')) {
        const QTextBlock b = doc.findBlockByNumber(target.mid(1).toInt());
        const QStringList parts = describeBlockFormat(b.blockFormat()).split(u' ');
        if (key == u"align")
            got = parts.value(0);
        else if (key == u"tabs")
            got = parts.filter(QRegularExpression(u"^tab"_qs)).replaceInStrings(u"tab"_qs, QString()).join(u',');
        else
            for (const QString &p : parts)
                if (p.startsWith(key + u'=') || p.startsWith(key + u'@'))
                    got += (got.isEmpty() ? QString() : u","_qs) + p.section(QRegularExpression(u"[=@]"_qs), 1);
    } else {
        const QTextCharFormat f = charAt(doc, target);
        const QFont font = f.font().resolve(doc.defaultFont());
        if (key == u"font")
            got = font.family();
        else if (key == u"pt")
            got = QString::number(font.pointSizeF());
        else if (key == u"fg")
            got = f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().name() : u"auto"_qs;
        else
            got = describeCharFormat(f, doc.defaultFont()).split(u' ').contains(key) ? u"1"_qs : u"0"_qs;
    }
    return got == want ? QString() : expectation + u" but got "_qs + got;
}

// `doc` written by our writer and read again, described; a reader with
// another default font shows that every format comes from the RTF itself.
QString afterRoundTrip(const QTextDocument &doc, rtf::ReadInfo *info = nullptr)
{
    QTextDocument back;
    back.setDefaultFont(QFont(u"Other"_qs, 7));
    const rtf::ReadInfo read = rtf::read(rtf::write(doc), &back);
    if (info)
        *info = read;
    return describeDocument(back);
}

QByteArray latin1(const char *s)
{
    return QByteArray(s);
}

// --- documents built the way the editors build them --------------------------------

using Builder = std::function<void(QTextCursor &)>;

QTextCharFormat styled(std::function<void(QTextCharFormat &)> set)
{
    QTextCharFormat f;
    set(f);
    return f;
}

const QList<std::pair<const char *, Builder>> &documents()
{
    static const QList<std::pair<const char *, Builder>> docs = {
        {"plain paragraphs", [](QTextCursor &c) {
             c.insertText(u"Erste Zeile"_qs);
             c.insertBlock();
             c.insertText(u"Zweite Zeile"_qs);
         }},
        {"character styles", [](QTextCursor &c) {
             c.insertText(u"fett"_qs, styled([](auto &f) { f.setFontWeight(QFont::Bold); }));
             c.insertText(u" kursiv"_qs, styled([](auto &f) { f.setFontItalic(true); }));
             c.insertText(u" unterstrichen"_qs, styled([](auto &f) { f.setFontUnderline(true); }));
             c.insertText(u" durchgestrichen"_qs, styled([](auto &f) { f.setFontStrikeOut(true); }));
             c.insertText(u" alles"_qs, styled([](auto &f) {
                 f.setFontWeight(QFont::Bold);
                 f.setFontItalic(true);
                 f.setFontUnderline(true);
                 f.setFontStrikeOut(true);
             }));
             c.insertText(u" schlicht"_qs, QTextCharFormat());
         }},
        {"fonts and sizes", [](QTextCursor &c) {
             c.insertText(u"Serif 14 "_qs, styled([](auto &f) {
                 f.setFontFamilies({u"DejaVu Serif"_qs});
                 f.setFontPointSize(14);
             }));
             c.insertText(u"Mono 8,5 "_qs, styled([](auto &f) {
                 f.setFontFamilies({u"Courier New"_qs});
                 f.setFontPointSize(8.5);
             }));
             c.insertText(u"Grundschrift"_qs, QTextCharFormat());
         }},
        {"colours", [](QTextCursor &c) {
             c.insertText(u"rot "_qs, styled([](auto &f) { f.setForeground(QColor(255, 0, 0)); }));
             c.insertText(u"gelb hinterlegt "_qs, styled([](auto &f) { f.setBackground(QColor(255, 255, 0)); }));
             c.insertText(u"blau auf grau"_qs, styled([](auto &f) {
                 f.setForeground(QColor(0, 0, 200));
                 f.setBackground(QColor(200, 200, 200));
             }));
             c.insertText(u" wieder rot"_qs, styled([](auto &f) { f.setForeground(QColor(255, 0, 0)); }));
         }},
        {"superscript and subscript", [](QTextCursor &c) {
             c.insertText(u"12 m"_qs);
             c.insertText(u"3"_qs, styled([](auto &f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); }));
             c.insertText(u", CO"_qs);
             c.insertText(u"2"_qs, styled([](auto &f) { f.setVerticalAlignment(QTextCharFormat::AlignSubScript); }));
         }},
        {"alignment", [](QTextCursor &c) {
             const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
             for (int i = 0; i < 4; ++i) {
                 if (i > 0)
                     c.insertBlock();
                 QTextBlockFormat b;
                 b.setAlignment(aligns[i]);
                 c.setBlockFormat(b);
                 c.insertText(u"Absatz "_qs + QString::number(i));
             }
         }},
        {"indents and spacing", [](QTextCursor &c) {
             QTextBlockFormat b;
             b.setLeftMargin(20);
             b.setRightMargin(10);
             b.setTextIndent(-10);
             b.setTopMargin(4);
             b.setBottomMargin(8);
             c.setBlockFormat(b);
             c.insertText(u"Eingerückt mit hängendem Einzug"_qs);
             c.insertBlock(QTextBlockFormat());
             c.insertText(u"ohne Einzug"_qs);
         }},
        {"tabs and tab stops", [](QTextCursor &c) {
             QTextBlockFormat b;
             b.setTabPositions({QTextOption::Tab(48, QTextOption::LeftTab),
                                QTextOption::Tab(120, QTextOption::CenterTab),
                                QTextOption::Tab(200, QTextOption::RightTab),
                                QTextOption::Tab(260, QTextOption::DelimiterTab, u',')});
             c.setBlockFormat(b);
             c.insertText(u"RA\t30,0\tm³\t12,5"_qs);
         }},
        {"line breaks", [](QTextCursor &c) {
             c.insertText(u"Zeile 1"_qs + QChar(QChar::LineSeparator) + u"Zeile 2"_qs);
         }},
        {"characters outside ASCII", [](QTextCursor &c) {
             c.insertText(u"Größe 5 €, „Zitat“ – ½ Ω ≤ 😀 \\ { } ;"_qs);
         }},
        {"empty paragraphs", [](QTextCursor &c) {
             c.insertBlock();
             c.insertText(u"mitten"_qs);
             c.insertBlock();
             c.insertBlock();
         }},
        {"protected spaces and hyphens", [](QTextCursor &c) {
             c.insertText(u"12"_qs + QChar(0x00A0) + u"kW Schorn"_qs + QChar(0x00AD) + u"stein 2"_qs + QChar(0x2011) + u"fach"_qs);
         }},
    };
    return docs;
}

} // namespace

class TestRtf : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void wordProcessorText_data();
    void wordProcessorText();
    void badInput_data();
    void badInput();
    void storedFieldsAndPlainText();
    void copyAndPasteKeepFormatting();
    void wordProcessorLayout();
    void randomizedInputsReadAndRoundTrip();
};

void TestRtf::roundTrip_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < documents().size(); ++i)
        QTest::newRow(documents()[i].first) << i;
}

void TestRtf::roundTrip()
{
    QFETCH(int, index);
    QTextDocument doc;
    doc.setDefaultFont(baseFont());
    QTextCursor c(&doc);
    documents()[index].second(c);

    const QByteArray written = rtf::write(doc);
    for (char ch : written)
        QVERIFY2(uchar(ch) < 0x80, "the writer writes 7-bit text");

    rtf::ReadInfo info;
    QCOMPARE(afterRoundTrip(doc, &info), describeDocument(doc));
    QVERIFY(info.wasRtf);
    QVERIFY(!info.malformed);
}

void TestRtf::wordProcessorText_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("checks");

    QTest::newRow("editor control of the desktop (German)")
        << latin1("{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1031{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}"
                  "{\\f1\\fswiss\\fprq2\\fcharset0 Arial;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
                  "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
                  "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang7 Der Schornstein ist \\b frei\\b0 , die \\i Abgasleitung\\i0  dicht.\\par\r\n"
                  "\\pard\\qc\\cf1\\f1\\fs28 Achtung: \\ul Mangel\\ulnone\\par\r\n}\r\n")
        << u"Der Schornstein ist frei, die Abgasleitung dicht.\nAchtung: Mangel"_qs
        << QStringList{u"Der|font=Calibri"_qs, u"Der|pt=11"_qs, u"frei|b=1"_qs, u"ist|b=0"_qs, u"Abgasleitung|i=1"_qs,
                       u"dicht|i=0"_qs, u"Achtung|fg=#ff0000"_qs, u"Achtung|font=Arial"_qs, u"Achtung|pt=14"_qs,
                       u"Mangel|u=1"_qs, u"Achtung|u=0"_qs, u"#0|sa=200"_qs, u"#1|align=center"_qs};

    QTest::newRow("office suite with style sheet, page styles and Unicode")
        << latin1("{\\rtf1\\ansi\\deff3\\adeflang1025\n"
                  "{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New Roman;}{\\f1\\froman\\fprq2\\fcharset2 Symbol;}"
                  "{\\f2\\fswiss\\fprq2\\fcharset0 Arial;}{\\f3\\froman\\fprq2\\fcharset0 Liberation Serif{\\*\\falt Times New Roman};}}\n"
                  "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;}\n"
                  "{\\stylesheet{\\s0\\snext0\\dbch\\af6\\langfe2052\\dbch\\af7\\afs24\\alang1081\\loch\\f3\\fs24\\lang1031 Normal;}}\n"
                  "{\\*\\generator LibreOffice/7.4$Linux_X86_64}{\\info{\\creatim\\yr2023\\mo5\\dy2\\hr10\\min4}}\\deftab709\n"
                  "{\\*\\pgdsctbl{\\pgdsc0\\pgdscuse451\\pgwsxn11906\\pghsxn16838\\pgdscnxt0 Standardformat;}}\n"
                  "\\formshade\\paperh16838\\paperw11906\\margl1134\\margr1134\\sectd\\sbknone\\sectunlocked1\\pgndec\n"
                  "{\\*\\ftnsep\\chftnsep}\\pgndec\\pard\\plain \\s0\\dbch\\af6\\langfe2052\\loch\\f3\\fs24\\lang1031{\\rtlch \\ltrch\\loch\n"
                  "Pr\\'fcfung der Verbrennungsluftversorgung: 12 m\\u179\\'b3 je kW, Geb\\'fchr 5 \\u8364\\'80.}\n"
                  "\\par \\pard\\plain \\s0\\li567\\ri0\\lin567\\rin0\\fi0{\\cf2\\b\\rtlch \\ltrch\\loch\nErgebnis}"
                  "{\\rtlch \\ltrch\\loch :\\tab in Ordnung}\n\\par }")
        << u"Prüfung der Verbrennungsluftversorgung: 12 m³ je kW, Gebühr 5 €.\nErgebnis:\tin Ordnung"_qs
        << QStringList{u"Prüfung|font=Liberation Serif"_qs, u"Prüfung|pt=12"_qs, u"Ergebnis|b=1"_qs,
                       u"Ergebnis|fg=#0000ff"_qs, u"Ordnung|b=0"_qs, u"#1|li=567"_qs};

    QTest::newRow("word processor with field, list, pictures")
        << latin1("{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff31507\\deff0\n"
                  "{\\fonttbl{\\f0\\fbidi \\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}"
                  "{\\f3\\fbidi \\froman\\fcharset2\\fprq2{\\*\\panose 05050102010706020507}Symbol;}"
                  "{\\f37\\fbidi \\fswiss\\fcharset0\\fprq2{\\*\\panose 020f0502020204030204}Calibri;}}\n"
                  "{\\colortbl;\\red0\\green0\\blue0;\\red5\\green99\\blue193;}\n"
                  "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}{\\levelnumbers;}\\f3}"
                  "{\\listname ;}\\listid1}}\n{\\*\\rsidtbl \\rsid1}{\\info{\\author Meister}{\\operator Meister}}\n"
                  "\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\sa160\\sl259\\slmult1 \\f37\\fs22\\lang1031 {\\rtlch\\fcs1 \\af31507 \\ltrch\\fcs0 Siehe }"
                  "{\\field\\fldedit{\\*\\fldinst {\\rtlch\\fcs1 \\ltrch\\fcs0  HYPERLINK \"https://example.org/trgi\" }}"
                  "{\\fldrslt {\\rtlch\\fcs1 \\ltrch\\fcs0 \\cf2\\ul TRGI-Hinweis}}}\\sectd \\ltrsect {\\rtlch\\fcs1 \\ltrch\\fcs0 .}\\par\n"
                  "{\\listtext\\pard\\plain\\f3\\fs22 \\'b7\\tab}\\pard\\plain \\fi-360\\li720\\ri0\\sa160 \\f37\\fs22 Punkt eins\\par\n"
                  "{\\*\\shppict{\\pict{\\*\\picprop}\\pngblip\\picw10\\pich10 89504e470d0a1a0a}}"
                  "{\\nonshppict{\\pict\\wmetafile8 0100090000}}\n"
                  "\\pard\\plain \\f37\\fs22 Ende {\\v versteckt}\\par\n}")
        << u"Siehe TRGI-Hinweis.\n•\tPunkt eins\nEnde "_qs
        << QStringList{u"Siehe|font=Calibri"_qs, u"Siehe|pt=11"_qs, u"TRGI|u=1"_qs, u"TRGI|fg=#0563c1"_qs,
                       u"Siehe|u=0"_qs, u"#1|li=720"_qs, u"#1|fi=-360"_qs, u"#1|sa=160"_qs};

    QTest::newRow("text editor of another desktop")
        << latin1("{\\rtf1\\ansi\\ansicpg1252\\cocoartf2639\n"
                  "\\cocoatextscaling0\\cocoaplatform0{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;\\f1\\fswiss\\fcharset0 Helvetica-Bold;}\n"
                  "{\\colortbl;\\red255\\green255\\blue255;}\n{\\*\\expandedcolortbl;;}\n"
                  "\\paperw11900\\paperh16840\\margl1440\\margr1440\\vieww11520\\viewh8400\\viewkind0\n"
                  "\\pard\\tx566\\tqr\\tx1133\\tx1700\\pardirnatural\\partightenfactor0\n\n"
                  "\\f0\\fs24 \\cf0 Abgasweg\n\\f1\\b  gepr\\'fcft\n\\f0\\b0 \\\nzweite Zeile}")
        << u"Abgasweg geprüft\nzweite Zeile"_qs
        << QStringList{u"Abgasweg|font=Helvetica"_qs, u"Abgasweg|fg=auto"_qs, u"geprüft|b=1"_qs,
                       u"geprüft|font=Helvetica-Bold"_qs, u"zweite|b=0"_qs, u"#0|tabs=0@566,1@1133,0@1700"_qs};

    // Found by fuzzing: two stops at one place came back in either order.
    QTest::newRow("tab stop set twice at one place")
        << latin1("{\\rtf1\\pard\\tx100\\tqc\\tx100\\tx50\\tqr\\tx50 a\\tab b\\par}")
        << u"a\tb"_qs << QStringList{u"#0|tabs=1@50,2@100"_qs};
}

void TestRtf::wordProcessorText()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, text);
    QFETCH(QStringList, checks);

    QTextDocument doc;
    doc.setDefaultFont(baseFont());
    const rtf::ReadInfo info = rtf::read(input, &doc);
    QVERIFY(!info.malformed);
    QCOMPARE(doc.toPlainText(), text);
    QStringList failures;
    for (const QString &c : checks)
        if (const QString f = check(doc, c); !f.isEmpty())
            failures << f;
    QCOMPARE(failures.join(u"; "_qs), QString());

    // What we write of it reads back the same.
    QCOMPARE(afterRoundTrip(doc), describeDocument(doc));
}

void TestRtf::badInput_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("text");

    const QByteArray deep(100000, '{');
    const QByteArray deepClose(100000, '}');
    QByteArray binary = "{\\rtf1 a";
    for (int b = 0; b < 0x20; ++b)
        binary.append(char(b));
    binary.append("\x7f\xff\xfe" "b}");

    QTest::newRow("closing braces missing") << latin1("{\\rtf1{\\b Fett} und normal") << u"Fett und normal"_qs;
    QTest::newRow("closing brace too many") << latin1("{\\rtf1 Text}} Rest}") << u"Text"_qs;
    QTest::newRow("deep nesting") << QByteArray("{\\rtf1 " + deep + "tief" + deepClose + " oben}") << u"tief oben"_qs;
    QTest::newRow("deep nesting never closed") << QByteArray("{\\rtf1 " + deep + "tief") << u"tief"_qs;
    QTest::newRow("huge numbers")
        << latin1("{\\rtf1\\fs999999999999999999999 Gro\\'df \\li-99999999999999\\tx99999999999 x\\u99999999999 y"
                  "{\\uc999999999 \\u65 Bz}\\cf2147483647 \\f-2147483648 !}")
        << u"Groß xA!"_qs;
    QTest::newRow("hex escape cut off") << latin1("{\\rtf1 ab\\'4") << u"ab"_qs;
    QTest::newRow("backslash at the end") << latin1("{\\rtf1 ab\\") << u"ab"_qs;
    QTest::newRow("control word cut off") << latin1("{\\rtf1 ab\\pa") << u"ab"_qs;
    QTest::newRow("hex escape without digits") << latin1("{\\rtf1 a\\'zzb}") << u"azzb"_qs;
    QTest::newRow("binary bytes") << binary << u"a\tÿþb"_qs;
    QTest::newRow("binary data longer than the text") << latin1("{\\rtf1 a\\bin999999 xyz") << u"a"_qs;
    QTest::newRow("binary data holding braces") << latin1("{\\rtf1 a{\\pict\\bin4 }}{{b}c}") << u"ac"_qs;
    QTest::newRow("surrogates paired and alone")
        << latin1("{\\rtf1 \\u-10179?\\u-8704?x\\u-10179?}") << (u"😀x"_qs + QChar(QChar::ReplacementCharacter));
    QTest::newRow("document markers and control characters")
        << latin1("{\\rtf1 a\\u64976 ?b\\u0 ?c\\u8233 ?d\\u65532 ?e}")
        << (u"abc"_qs + QChar(QChar::LineSeparator) + u"de"_qs);
    QTest::newRow("font table never closed: its plain text") << latin1("{\\rtf1{\\fonttbl{\\f0 Arial;}Hallo Welt")
                                                             << u"Arial;Hallo Welt"_qs;
    QTest::newRow("nothing but a header") << latin1("{\\rtf") << QString();
    QTest::newRow("fallback count without end") << latin1("{\\rtf1\\uc3\\u228 ab") << u"ä"_qs;
}

void TestRtf::badInput()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, text);
    QTextDocument doc;
    doc.setDefaultFont(baseFont());
    rtf::read(input, &doc);
    QCOMPARE(rawText(doc), text);
    // Whatever was read can be written and read again unchanged.
    if (!doc.isEmpty())
        QCOMPARE(afterRoundTrip(doc), describeDocument(doc));
}

void TestRtf::storedFieldsAndPlainText()
{
    // A field holds RTF as a string; characters the writer would escape may
    // have been decoded on the way (older tables) and still read right.
    QCOMPARE(rtf::toPlainText(u"{\\rtf1 Gr\\'fc\u00dfe \u20ac 5 \u03a9}"_qs), u"Grüße € 5 Ω"_qs);
    // Text that is not RTF is the remark as it stands.
    QCOMPARE(rtf::toPlainText(u"Kein RTF {\\b}"_qs), u"Kein RTF {\\b}"_qs);
    QVERIFY(!rtf::looksLikeRtf(u"Hallo"_qs));
    QVERIFY(rtf::looksLikeRtf(QByteArray("  \r\n{\\rtf1}")));
    // Bytes without the header: UTF-8 where valid, Windows-1252 otherwise.
    QCOMPARE(rtf::toPlainText(QByteArray("Gr\xc3\xbc\xc3\x9f" "e")), u"Grüße"_qs);
    QCOMPARE(rtf::toPlainText(QByteArray("Gr\xfc\xdf" "e \x80")), u"Grüße €"_qs);

    // An empty remark stays an empty field.
    QTextDocument empty;
    QCOMPARE(rtf::write(empty), QByteArray());
    QCOMPARE(rtf::writeString(empty), QString());

    // A document for the printed protocol keeps the remark's formatting and
    // falls back to the given font only where the remark names none.
    auto doc = rtf::toDocument(u"{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Hallo \\b Welt\\par}"_qs, QFont(u"Serif"_qs, 9), rtf::Units::forDpi(96));
    QCOMPARE(doc->toPlainText(), u"Hallo Welt"_qs);
    QCOMPARE(check(*doc, u"Welt|b=1"_qs), QString());
    QCOMPARE(check(*doc, u"Hallo|pt=10"_qs), QString());
    auto plain = rtf::toDocument(u"Zeile 1\nZeile 2"_qs, QFont(u"Serif"_qs, 9), rtf::Units::forDpi(96));
    QCOMPARE(plain->blockCount(), 2);
    QCOMPARE(plain->defaultFont().family(), u"Serif"_qs);
}

void TestRtf::copyAndPasteKeepFormatting()
{
    QTextDocument source;
    source.setDefaultFont(baseFont());
    rtf::read(QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\pard\\qc\\f0\\fs24 Erster Satz. {\\b Zweiter} Satz.\\par"
                         "\\pard\\li300 Neuer Absatz.\\par}"),
              &source);

    struct Case {
        const char *name;
        int from, to;          // selection in the source
        QString expectedText;  // target after pasting at the caret of "Vorher| nachher"
        QString expectedFirstAlign;
    };
    const QString s = source.toPlainText();
    const int second = int(s.indexOf(u"Zweiter"));
    const int newPara = int(s.indexOf(u"Neuer"));
    const Case cases[] = {
        // One sentence inside a paragraph lands inline, with its formatting,
        // and the target paragraph keeps its own layout.
        {"part of a paragraph", second, second + 13, u"VorherZweiter Satz. nachher"_qs, u"left"_qs},
        // A whole paragraph brings its break and its layout along.
        {"whole paragraph", 0, newPara, u"VorherErster Satz. Zweiter Satz.\n nachher"_qs, u"center"_qs},
        {"into the next paragraph", second, newPara + 5,
         u"VorherZweiter Satz.\nNeuer nachher"_qs, u"center"_qs},
    };
    for (const Case &c : cases) {
        QTextCursor sel(&source);
        sel.setPosition(c.from);
        sel.setPosition(c.to, QTextCursor::KeepAnchor);
        const QByteArray clip = rtf::writeSelection(sel);

        QTextDocument target;
        target.setDefaultFont(baseFont());
        QTextCursor t(&target);
        t.insertText(u"Vorher nachher"_qs);
        t.setPosition(6);
        rtf::insert(t, clip);
        QVERIFY2(target.toPlainText() == c.expectedText, qPrintable(QString::fromLatin1(c.name) + u": "_qs + target.toPlainText()));
        QCOMPARE(describeBlockFormat(target.begin().blockFormat()).section(u' ', 0, 0), c.expectedFirstAlign);
        QCOMPARE(check(target, u"Zweiter|b=1"_qs), QString());
        QCOMPARE(check(target, u"Satz|font=Arial"_qs), QString());
        QCOMPARE(check(target, u"Vorher|b=0"_qs), QString());
        // One undo step takes the whole paste back.
        target.undo();
        QCOMPARE(target.toPlainText(), u"Vorher nachher"_qs);
    }

    // Plain text from another program is pasted as it is.
    QTextDocument target;
    QTextCursor t(&target);
    rtf::insert(t, QByteArray("Zeile eins\nZeile zwei"));
    QCOMPARE(target.toPlainText(), u"Zeile eins\nZeile zwei"_qs);

    // Nothing selected, nothing to copy.
    QCOMPARE(rtf::writeSelection(QTextCursor(&source)), QByteArray());
}

// Remarks as a word processor wrote them (the fixtures of the protocol
// tests): lists, spacing, tab stops and a table, as the editors read them
// (96 dots per inch, so a twip is 1/15 pixel).
void TestRtf::wordProcessorLayout()
{
    auto fixture = [](const char *name) {
        QFile f(QStringLiteral(RTF_FIXTURES) + u'/' + QString::fromLatin1(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    QTextDocument doc;
    doc.setDefaultFont(baseFont());
    rtf::read(fixture("befund.rtf"), &doc);
    QCOMPARE(doc.toPlainText().section(u'\n', 0, 2),
             u"Festgestellte Mängel:\n •\tZuluftöffnung im Heizraum verstellt\n •\tAbgasrohr undicht; der Eigentümer wurde auf "
             "die sofortige Instandsetzung durch einen Fachbetrieb hingewiesen, die Kosten trägt er selbst."_qs);
    // A list item: the hanging indent, and the tab after its bullet going to
    // the indent (283 twips after the first line's start).
    QCOMPARE(check(doc, u"#1|li=709"_qs), QString());
    QCOMPARE(check(doc, u"#1|fi=-283"_qs), QString());
    QCOMPARE(check(doc, u"#1|tabs=0@283"_qs), QString());
    QCOMPARE(check(doc, u"#0|sa=283"_qs), QString());
    QCOMPARE(check(doc, u"Mängel|b=1"_qs), QString());
    QCOMPARE(check(doc, u"Abgasrohr|i=1"_qs), QString());

    // The table: three rows of three cells, the columns as wide as \cellx says.
    QTextTable *table = nullptr;
    for (QTextBlock b = doc.begin(); b.isValid() && !table; b = b.next())
        table = QTextCursor(b).currentTable();
    QVERIFY(table);
    QCOMPARE(table->rows(), 3);
    QCOMPARE(table->columns(), 3);
    const QString shape = describeTable(*table);
    QVERIFY2(shape.startsWith(u"table 3x3 left=0 w=2828 w=1706 w=2269 (0,0) pad 47 47 57 57 border 10 10 10 10"_qs),
             qPrintable(shape));
    QCOMPARE(table->cellAt(1, 2).firstCursorPosition().block().text(), u"1000 ppm"_qs);
    QCOMPARE(check(doc, u"Messung|b=1"_qs), QString());
    QCOMPARE(check(doc, u"Abgasverlust|b=0"_qs), QString());
    // The paragraph after the table is no cell.
    const QTextCursor after = doc.find(u"Kosten der Nachprüfung: 38,50 €."_qs);
    QVERIFY(!after.isNull() && !after.currentTable());
    // The space after "Messwerte:" stands above the table.
    QCOMPARE(std::lround(table->format().topMargin() * 15), 283L);

    // Written and read again, all of it comes back; so does a paste of it.
    QCOMPARE(afterRoundTrip(doc), describeDocument(doc));
    QTextDocument pasted;
    pasted.setDefaultFont(baseFont());
    QTextCursor at(&pasted);
    rtf::insert(at, rtf::write(doc));
    QCOMPARE(pasted.toPlainText(), doc.toPlainText() + u'\n');
    QTextTable *pastedTable = nullptr;
    for (QTextBlock b = pasted.begin(); b.isValid() && !pastedTable; b = b.next())
        pastedTable = QTextCursor(b).currentTable();
    QVERIFY(pastedTable);
    QCOMPARE(describeTable(*pastedTable), describeTable(*table));

    // Spacing: \sa283 after one paragraph and \sb170 before the next add up
    // between them, and are written back as they were.
    QTextDocument spaced;
    rtf::read(fixture("absaetze.rtf"), &spaced);
    QCOMPARE(std::lround(spaced.begin().blockFormat().bottomMargin() * 15), 283L + 170L);
    const QByteArray written = rtf::write(spaced);
    QVERIFY(written.contains("\\sb170\\sa283"));
    QCOMPARE(afterRoundTrip(spaced), describeDocument(spaced));
    // A tab stop counts from the paragraph's left edge: \li567\fi283 and a
    // stop at 2268 twips keep their place through the document.
    QTextDocument tabs;
    rtf::read(QByteArray("{\\rtf1\\pard\\li567\\fi283\\tx2268 a\\tab b\\par}"), &tabs);
    QCOMPARE(check(tabs, u"#0|tabs=0@1418"_qs), QString());
    QVERIFY(rtf::write(tabs).contains("\\tx2268"));
}

void TestRtf::randomizedInputsReadAndRoundTrip()
{
    // Mutations of typical RTF; every input must read without crashing, and
    // whatever was read must survive writing and reading again unchanged.
    QList<QByteArray> seeds;
    for (const auto &[name, build] : documents()) {
        QTextDocument doc;
        doc.setDefaultFont(baseFont());
        QTextCursor c(&doc);
        build(c);
        seeds << rtf::write(doc);
    }
    seeds << QByteArray("{\\rtf1\\trowd\\trgaph100\\clbrdrl\\brdrs\\brdrw20\\cellx1000\\clpadt40\\cellx3000\\pard\\intbl a\\cell "
                        "{\\b b}\\par c\\cell\\row\\pard\\intbl d\\cell e\\cell\\row\\pard f\\par}");
    seeds << QByteArray("{\\rtf1{\\fonttbl\\f0 Arial;\\f1 Times;}{\\colortbl;\\red9\\green8\\blue7;}\\pard\\qr\\tx300 "
                        "a\\tab{\\b\\cf1 b}\\'e4\\u8364?\\line c\\par\\pard\\li-200 d{\\*\\x y}{\\pict ab}\\par}");
    static const char *const tokens[] = {
        "{", "}", "\\", "\\'", "\\'e4", "\\u", "\\u-10179 ?", "\\uc3 ", "\\bin5 ", "\\par ", "\\pard", "\\b ", "\\i0 ",
        "\\fs", "-", "99999999999", "\\*", "\\pict ", "\\fonttbl", "\\colortbl;", "\\red300", "\\f7 ", "\\cf9 ",
        "\\tqdec\\tx", "\\li", ";", "\\line ", "\\tab ", "\\~", "\\v ", "\\plain ", "\xe4", "\x00", "\\qc",
        "\\trowd", "\\cellx1500", "\\intbl ", "\\cell ", "\\row ", "\\clbrdrt\\brdrs", "\\fi-300", "\\sb100",
        "{\\listtext \\'b7\\tab}", "\\sl360\\slmult1",
    };
    QRandomGenerator rng(20240517);
    for (int round = 0; round < 1500; ++round) {
        QByteArray data = seeds[rng.bounded(int(seeds.size()))];
        const int edits = 1 + rng.bounded(6);
        for (int e = 0; e < edits; ++e) {
            const int at = data.isEmpty() ? 0 : rng.bounded(int(data.size()));
            switch (rng.bounded(5)) {
            case 0: data.insert(at, tokens[rng.bounded(int(std::size(tokens)))]); break;
            case 1: if (!data.isEmpty()) data[at] = char(rng.bounded(256)); break;
            case 2: data.remove(at, rng.bounded(8)); break;
            case 3: data.insert(at, data.mid(rng.bounded(int(data.size()) + 1), rng.bounded(40))); break;
            default: data.truncate(at); break;
            }
        }
        QTextDocument doc;
        doc.setDefaultFont(baseFont());
        rtf::read(data, &doc);
        if (doc.isEmpty()) {
            QVERIFY(rtf::write(doc).isEmpty());
            continue;
        }
        const QString back = afterRoundTrip(doc);
        if (back != describeDocument(doc)) {
            qWarning() << "input" << data.toPercentEncoding(" {}\\;");
            QCOMPARE(back, describeDocument(doc));
        }
    }
}

QTEST_MAIN(TestRtf)
#include "test_rtf.moc"
