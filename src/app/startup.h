#pragma once

#include <QString>

class QApplication;
class SingleInstance;
class TForm1;

namespace startup {

// German numbers everywhere and German captions in Qt's own dialogs and
// context menus (qtbase_de from the Qt translations).  True when the
// translations were found.
bool useGerman(QApplication &app);

// A second start of the program asks the running copy to show its main
// window: restored when it was minimised, and in front.
void raiseOnSecondStart(SingleInstance &guard, TForm1 &window);

// Tables of the old Paradox format in the data folder: first finishes a
// take-over that was interrupted, then asks once whether to take the old
// tables over, does it and reports what was taken over.  False when the
// program must not start: the user said no (the files stay as they are), or
// the take-over failed (its message has been shown, the old files are kept).
bool takeOverOldTables(const QString &dataDir = QStringLiteral("daten"));

} // namespace startup
