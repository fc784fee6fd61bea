#pragma once

#include <Qt>

class DialogBase;
class QBoxLayout;
class QPushButton;

// The buttons at the foot (or the side) of a dialog: "OK", the default,
// which accepts; "Abbrechen", which rejects; and "&Hilfe" for the dialog's
// help topic when it has one.
struct DialogButtons {
    QPushButton *ok = nullptr;
    QPushButton *cancel = nullptr;
    QPushButton *help = nullptr;   // null without a help topic
    QBoxLayout *layout = nullptr;  // a row pushed to the right, or a column pushed to the top
};

DialogButtons makeDialogButtons(DialogBase *dialog, Qt::Orientation orientation = Qt::Horizontal);
