#pragma once

// The two protocols behind one door: the installation-room protocol for a
// record whose `Modus` is not 0, the interconnection protocol otherwise.

#include "installationroomreport.h"
#include "interconnectionreport.h"
#include "pagepainter.h"

#include <QDate>

namespace report {

class Protocols {
public:
    // Both protocols with the letterhead from `settings` and the sketch box
    // drawn by `sketch` (empty without one).  The protocols of this program
    // are made by programProtocols() (programprotocols.h).
    explicit Protocols(SettingsSource settings, SketchPainter sketch = {});

    static bool isInstallationRoom(const Record &record) { return record.integer(u"Modus"_qs) != 0; }

    // The interconnection protocol prints only what a finished check stored.
    static bool mayPrint(const Record &record);
    // "Die Daten wurden noch nicht berechnet, klicken Sie erst auf "Berechnen"!"
    static QString notCalculatedMessage();

    // The report title of the record's protocol ("Protokoll Aufstellungsraum"
    // or none), the preview window's caption.
    static QString title(const Record &record);

    const Layout &layout(const Record &record) const;
    // The pages of the record's protocol, its sketch drawn at scale s
    // (kPreviewSketchScale for a preview, kPrintSketchScale for a direct print).
    std::vector<Page> layOut(const Record &record, int sketchScale, const PageSink &sink = {}) const;

    // Title (the protocol's kind and the site) and author (header line 1) of its PDF.
    PdfInfo pdfInfo(const Record &record) const;

private:
    SettingsSource m_settings;
    TQuickReport m_interconnection;
    Tarrepform m_installationRoom;
};

// A file name for the protocol's PDF from the site's street and the date,
// such as "Hauptstraße 5 2024-03-01.pdf"; characters that file systems do not
// allow become blanks.  Without a street: "Protokoll 2024-03-01.pdf".
QString proposedPdfFileName(const Record &record, const QDate &date);

} // namespace report
