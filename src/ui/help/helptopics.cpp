#include "helptopics.h"

#include <QFileInfo>

static void registerHelpResources()
{
    // The pages live in a static library; naming the resource here keeps the
    // linker from dropping it.
    Q_INIT_RESOURCE(help);
}

namespace help {

const QList<Topic> &topics()
{
    static const QList<Topic> list = {
        {QString(), u"start.htm"_qs, u"Willkommen bei Ofenring"_qs},
        {u"allgemeine angaben.htm"_qs, u"allgemeine_angaben.htm"_qs, u"Allgemeine Angaben"_qs},
        {u"adressimport.htm"_qs, u"adressimport.htm"_qs, u"Adressen importieren"_qs},
        {u"luftverbundberechnung.htm"_qs, u"luftverbundberechnung.htm"_qs, u"Luftverbundberechnung"_qs},
        {u"offener kamin kachelofen.htm"_qs, u"offener_kamin_kachelofen.htm"_qs, u"Offener Kamin / Kachelofen"_qs},
        {u"zuluftleitungen fuer offene kamine und kacheloefen.htm"_qs,
         u"zuluftleitungen_fuer_offene_kamine_und_kacheloefen.htm"_qs,
         u"Zuluftleitungen für offene Kamine und Kachelöfen"_qs},
        {u"raumvolumen berechnen.htm"_qs, u"raumvolumen_berechnen.htm"_qs, u"Raumvolumen berechnen"_qs},
        {u"aufstellungsraeume.htm"_qs, u"aufstellungsraeume.htm"_qs, u"Aufstellungsraum"_qs},
        {u"anmerkungen.htm"_qs, u"anmerkungen.htm"_qs, u"Anmerkungen"_qs},
        {u"zeichnung.htm"_qs, u"zeichnung.htm"_qs, u"Zeichnung"_qs},
        {u"drucken.htm"_qs, u"drucken.htm"_qs, u"Druckvorschau und Drucken"_qs},
        {u"kopfzeilen.htm"_qs, u"kopfzeilen.htm"_qs, u"Kopfzeilen"_qs},
        {u"eigentuemerliste.htm"_qs, u"eigentuemerliste.htm"_qs, u"Eigentümerliste"_qs},
        {u"ortsliste.htm"_qs, u"ortsliste.htm"_qs, u"Ortsliste"_qs},
        {u"raumbezeichnungen.htm"_qs, u"raumbezeichnungen.htm"_qs, u"Raumbezeichnungen"_qs},
        {u"feuerstaettenliste.htm"_qs, u"feuerstaettenliste.htm"_qs, u"Feuerstättenliste"_qs},
        {u"sicherung.htm"_qs, u"sicherung.htm"_qs, u"Sicherung"_qs},
        {u"datenbank.htm"_qs, u"datenbank.htm"_qs, u"Datenbank und Büro-Betrieb"_qs},
    };
    return list;
}

QString normaliseTopicPath(const QString &topicPath)
{
    QString path = topicPath.trimmed();
    const qsizetype separator = path.indexOf(u"::"_qs);
    if (separator >= 0)
        path = path.mid(separator + 2);
    else if (path.compare(QStringView(helpFileName), Qt::CaseInsensitive) == 0)
        path.clear();
    while (path.startsWith(u'/') || path.startsWith(u'\\'))
        path.remove(0, 1);
    return path.toLower();
}

const Topic *findTopic(const QString &topicPath)
{
    const QString path = normaliseTopicPath(topicPath);
    for (const Topic &topic : topics()) {
        if (topic.path == path)
            return &topic;
    }
    return nullptr;
}

const Topic *topicForUrl(const QUrl &url)
{
    const QString file = QFileInfo(url.path()).fileName();
    for (const Topic &topic : topics()) {
        if (topic.file.compare(file, Qt::CaseInsensitive) == 0)
            return &topic;
    }
    return nullptr;
}

const Topic &startTopic()
{
    return topics().first();
}

QUrl pageUrl(const Topic &topic)
{
    return QUrl(u"qrc:/help/pages/"_qs + topic.file);
}

void initResources()
{
    static const bool done = (registerHelpResources(), true);
    Q_UNUSED(done);
}

} // namespace help
