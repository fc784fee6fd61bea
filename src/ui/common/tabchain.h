#pragma once

#include <QList>

class QButtonGroup;
class QWidget;

// Sets the Tab order of the widgets in the order given (reading order of a
// form); null entries are skipped.
void setTabChain(const QList<QWidget *> &widgets);

// Makes a group of radio buttons one stop of the Tab chain, as a choice is on
// every desktop: Tab and Shift+Tab land on the chosen button, or on the first
// while none is chosen, and the next Tab leaves the group; the arrow keys move
// within it.
void makeSingleTabStop(QButtonGroup *group);

// The button of such a group that Tab lands on: the chosen one, else the first.
QWidget *tabStopOf(const QButtonGroup *group);
