#include "sketchdocument.h"

#include <QLineF>
#include <QLocale>

#include <cmath>

namespace sketch {

const char *const kHeader = "OFENRING-SKIZZE";

namespace {

struct KindInfo {
    Kind kind;
    const char *keyword;
    const char16_t *name;
    int points;     // 1 or 2
    bool text;      // carries a text
};

constexpr KindInfo kKinds[] = {
    {Kind::Wall, "WAND", u"Wand", 2, false},
    {Kind::Room, "RAUM", u"Raum", 2, true},
    {Kind::Door, "TUER", u"Tür", 2, false},
    {Kind::Window, "FENSTER", u"Fenster", 2, false},
    {Kind::Opening, "OEFFNUNG", u"Öffnung", 2, false},
    {Kind::Appliance, "GERAET", u"Gerät", 1, true},
    {Kind::Chimney, "SCHORNSTEIN", u"Schornstein", 1, false},
    {Kind::Label, "TEXT", u"Text", 1, true},
    {Kind::Dimension, "MASS", u"Maß", 2, true},
};

const KindInfo *infoOf(Kind kind)
{
    for (const KindInfo &k : kKinds)
        if (k.kind == kind)
            return &k;
    return nullptr;
}

// Coordinates far outside the area are kept, within a bound that keeps every
// later computation in range.
constexpr int kLimit = 100000;

QString quoted(const QString &text)
{
    QString out = u"\""_qs;
    for (QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c == u'\n' || c == u'\r')
            c = u' ';
        out += c;
    }
    return out + u'"';
}

// Splits a line into words; a word in double quotes may hold blanks and
// escaped quotes.  False when a quote is not closed.
bool tokenize(const QString &line, QStringList *words, QList<bool> *wasQuoted)
{
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        if (line[i].isSpace()) {
            ++i;
            continue;
        }
        if (line[i] == u'"') {
            QString w;
            ++i;
            bool closed = false;
            while (i < n) {
                if (line[i] == u'\\' && i + 1 < n) {
                    w += line[i + 1];
                    i += 2;
                } else if (line[i] == u'"') {
                    closed = true;
                    ++i;
                    break;
                } else {
                    w += line[i++];
                }
            }
            if (!closed)
                return false;
            *words << w;
            *wasQuoted << true;
        } else {
            const qsizetype start = i;
            while (i < n && !line[i].isSpace())
                ++i;
            *words << line.mid(start, i - start);
            *wasQuoted << false;
        }
    }
    return true;
}

bool parseElement(const QString &line, Element *out)
{
    QStringList words;
    QList<bool> quotedWords;
    if (!tokenize(line, &words, &quotedWords) || words.isEmpty() || quotedWords[0])
        return false;
    const KindInfo *info = nullptr;
    for (const KindInfo &k : kKinds)
        if (words[0] == QLatin1String(k.keyword))
            info = &k;
    if (!info)
        return false;
    const int numbers = info->points * 2;
    const qsizetype expectedMin = 1 + numbers;
    const qsizetype expectedMax = expectedMin + (info->text ? 1 : 0);
    if (words.size() < expectedMin || words.size() > expectedMax)
        return false;
    int v[4] = {};
    for (int i = 0; i < numbers; ++i) {
        bool ok = false;
        v[i] = words[1 + i].toInt(&ok);
        if (!ok || quotedWords[1 + i] || v[i] < -kLimit || v[i] > kLimit)
            return false;
    }
    Element e;
    e.kind = info->kind;
    e.a = QPoint(v[0], v[1]);
    if (info->points == 2)
        e.b = QPoint(v[2], v[3]);
    if (words.size() == expectedMax && info->text) {
        if (!quotedWords.last())
            return false;
        e.text = words.last();
    }
    *out = e;
    return true;
}

} // namespace

bool Element::hasTwoPoints() const
{
    const KindInfo *info = infoOf(kind);
    return info && info->points == 2;
}

bool Element::hasText() const
{
    const KindInfo *info = infoOf(kind);
    return info && info->text;
}

Element Element::moved(QPoint delta) const
{
    Element e = *this;
    e.a += delta;
    if (hasTwoPoints())
        e.b += delta;
    return e;
}

QRect Element::bounds() const
{
    switch (kind) {
    case Kind::Appliance: return QRect(a - QPoint(14, 14), QSize(29, 29));
    case Kind::Chimney: return QRect(a - QPoint(10, 10), QSize(21, 21));
    case Kind::Label: return QRect(a - QPoint(0, 12), QSize(qMax(8, int(text.size()) * 7), 16));
    case Kind::Unknown: return {};
    default: return QRect(a, b).normalized().adjusted(-4, -4, 4, 4);
    }
}

QString keyword(Kind kind)
{
    const KindInfo *info = infoOf(kind);
    return info ? QString::fromLatin1(info->keyword) : QString();
}

QString displayName(Kind kind)
{
    const KindInfo *info = infoOf(kind);
    return info ? QString::fromUtf16(info->name) : QString();
}

QString dimensionText(const Element &e)
{
    if (!e.text.isEmpty())
        return e.text;
    const double metres = QLineF(e.a, e.b).length() * kMetresPerUnit;
    return QLocale(QLocale::German).toString(metres, 'f', 2) + u" m"_qs;
}

double distanceTo(const Element &e, QPointF p)
{
    auto segment = [&](QPointF s, QPointF t) {
        const QPointF d = t - s;
        const double len2 = QPointF::dotProduct(d, d);
        double u = len2 > 0 ? QPointF::dotProduct(p - s, d) / len2 : 0;
        u = std::clamp(u, 0.0, 1.0);
        const QPointF q = s + u * d;
        return std::hypot(p.x() - q.x(), p.y() - q.y());
    };
    switch (e.kind) {
    case Kind::Room: {
        const QRectF r = QRectF(e.a, e.b).normalized();
        return std::min({segment(r.topLeft(), r.topRight()), segment(r.topRight(), r.bottomRight()),
                         segment(r.bottomRight(), r.bottomLeft()), segment(r.bottomLeft(), r.topLeft())});
    }
    case Kind::Appliance:
    case Kind::Chimney:
    case Kind::Label:
        return e.bounds().contains(p.toPoint()) ? 0.0
                                                : std::hypot(p.x() - e.bounds().center().x(), p.y() - e.bounds().center().y());
    case Kind::Unknown:
        return 1e9;
    default:
        return segment(e.a, e.b);
    }
}

Document parse(const QStringList &lines)
{
    Document doc;
    bool header = false;
    for (const QString &line : lines) {
        if (!header) {
            const QStringList words = line.trimmed().split(u' ', Qt::SkipEmptyParts);
            if (words.size() == 2 && words[0] == QLatin1String(kHeader)) {
                bool ok = false;
                words[1].toInt(&ok);
                if (ok) {
                    header = true;
                    continue;
                }
            }
            Element unknown;
            unknown.raw = line;
            doc.elements << unknown;
            continue;
        }
        Element e;
        if (parseElement(line, &e)) {
            doc.elements << e;
        } else {
            Element unknown;
            unknown.raw = line;
            doc.elements << unknown;
        }
    }
    return doc;
}

QStringList serialize(const Document &doc)
{
    if (doc.isEmpty())
        return {};
    // The header always comes first; lines that stood before it are kept after it.
    QStringList lines;
    lines << QString::fromLatin1(kHeader) + u' ' + QString::number(kVersion);
    for (const Element &e : doc.elements) {
        if (!e.isKnown()) {
            lines << e.raw;
            continue;
        }
        QStringList words{keyword(e.kind), QString::number(e.a.x()), QString::number(e.a.y())};
        if (e.hasTwoPoints())
            words << QString::number(e.b.x()) << QString::number(e.b.y());
        if (e.hasText() && (!e.text.isEmpty() || e.kind != Kind::Dimension))
            words << quoted(e.text);
        lines << words.join(u' ');
    }
    return lines;
}

} // namespace sketch
