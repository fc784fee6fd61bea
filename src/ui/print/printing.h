#pragma once

#include "reportengine.h"

#include <QString>

#include <vector>

class QPrinter;
class QWidget;

namespace report {

// The platform's print dialog for a report: printer, copies, all pages or a
// range (1 to `pageCount` when the pages are laid out, else 0 to 9999) and
// orientation.  The choice stays in `printer`.  True when confirmed.
bool showPrintDialog(QPrinter &printer, int pageCount, QWidget *parent);

// Prints the pages of the printer's range, as many copies as chosen, with a
// progress window.  Each page is drawn at its size; paper smaller than A4
// (or turned sideways) gets it scaled down to fit, centred.  False with a
// German message in `error` when the printer cannot be used.
bool printPages(QPrinter &printer, const std::vector<Page> &pages, QWidget *parent, QString *error);

} // namespace report
