#pragma once

#include <QList>

class QWidget;

// Sets the Tab order of the widgets in the order given (reading order of a
// form); null entries are skipped.
void setTabChain(const QList<QWidget *> &widgets);
