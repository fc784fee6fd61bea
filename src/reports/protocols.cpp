#include "protocols.h"

#include "controlchars.h"

#include <QRegularExpression>

namespace report {

Protocols::Protocols(SettingsSource settings, SketchPainter sketch)
    : m_settings(settings)
    , m_interconnection(settings, sketch)
    , m_installationRoom(settings, sketch)
{
}

bool Protocols::mayPrint(const Record &record)
{
    return isInstallationRoom(record) || record.boolean(u"Gerechnet"_qs);
}

QString Protocols::notCalculatedMessage()
{
    return u"Die Daten wurden noch nicht berechnet, klicken Sie erst auf \"Berechnen\"!"_qs;
}

QString Protocols::title(const Record &record)
{
    return isInstallationRoom(record) ? Tarrepform::reportTitle() : QString();
}

const Layout &Protocols::layout(const Record &record) const
{
    return isInstallationRoom(record) ? m_installationRoom.layout() : m_interconnection.layout();
}

std::vector<Page> Protocols::layOut(const Record &record, int sketchScale, const PageSink &sink) const
{
    return isInstallationRoom(record) ? m_installationRoom.run(record, sketchScale, sink)
                                      : m_interconnection.run(record, sketchScale, sink);
}

PdfInfo Protocols::pdfInfo(const Record &record) const
{
    PdfInfo info;
    info.title = isInstallationRoom(record) ? Tarrepform::reportTitle() : u"Protokoll Luftverbund"_qs;
    QStringList site;
    for (const char *field : {"A_Name", "A_strasse", "A_Ort"}) {
        const QString part = controlchars::oneLine(record.text(QString::fromLatin1(field)));
        if (!part.isEmpty())
            site << part;
    }
    if (!site.isEmpty())
        info.title += u" – "_qs + site.join(u", "_qs);
    info.author = m_settings().headerLine1;
    return info;
}

QString proposedPdfFileName(const Record &record, const QDate &date)
{
    QString street = record.text(u"A_strasse"_qs);
    street.replace(QRegularExpression(u"[/\\\\:*?\"<>|\\x00-\\x1f]"_qs), u" "_qs);
    street = street.simplified();
    if (street.startsWith(u'.'))
        street.remove(0, 1);
    const QString stem = street.isEmpty() ? u"Protokoll"_qs : street;
    return stem + u' ' + date.toString(u"yyyy-MM-dd"_qs) + u".pdf"_qs;
}

} // namespace report
