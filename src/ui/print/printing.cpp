#include "printing.h"

#include "pagepainter.h"

#include <QApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>

namespace report {

bool showPrintDialog(QPrinter &printer, int pageCount, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(u"Drucken"_qs);
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile
                      | QAbstractPrintDialog::PrintShowPageSize);
    if (pageCount > 0)
        dialog.setMinMax(1, pageCount);
    else
        dialog.setMinMax(0, 9999);
    return dialog.exec() == QDialog::Accepted;
}

bool printPages(QPrinter &printer, const std::vector<Page> &pages, QWidget *parent, QString *error)
{
    if (pages.empty())
        return true;
    int first = 1;
    int last = int(pages.size());
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(first, printer.fromPage());
        last = std::min(last, printer.toPage() > 0 ? printer.toPage() : last);
    }
    if (first > last)
        return true;
    // Copies the printer cannot make itself are printed one after the other.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());

    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error)
            *error = u"Der Drucker \"%1\" kann nicht benutzt werden."_qs.arg(printer.printerName().isEmpty()
                                                                                 ? printer.outputFileName()
                                                                                 : printer.printerName());
        return false;
    }

    const int total = (last - first + 1) * copies;
    QProgressDialog progress(u"Drucken …"_qs, u"Abbrechen"_qs, 0, total, parent);
    progress.setObjectName(u"druckfortschritt"_qs);
    progress.setWindowTitle(u"Drucken"_qs);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);

    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const double native = printer.resolution() / 25.4;
    const double fit = std::min({1.0, paper.width() / (210.0 * native), paper.height() / (297.0 * native)});
    const double pxPerMm = native * fit;
    const QPointF origin((paper.width() - 210.0 * pxPerMm) / 2.0, fit < 1.0 ? (paper.height() - 297.0 * pxPerMm) / 2.0 : 0.0);

    int done = 0;
    for (int copy = 0; copy < copies; ++copy) {
        for (int n = first; n <= last; ++n) {
            progress.setLabelText(u"Seite %1 von %2 wird gedruckt …"_qs.arg(n).arg(pages.size()));
            progress.setValue(done);
            QApplication::processEvents();
            if (progress.wasCanceled()) {
                printer.abort();
                return true;
            }
            if (done > 0)
                printer.newPage();
            paintPage(painter, pages[size_t(n - 1)], pxPerMm, origin);
            ++done;
        }
    }
    painter.end();
    progress.setValue(total);
    return true;
}

} // namespace report
