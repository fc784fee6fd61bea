#pragma once

class QScrollArea;
class QWidget;

// Puts a page into a frameless scroll area: the page grows with the window,
// and where the window becomes smaller than the page can shrink, the page
// scrolls instead of being cut off.  Tab into a control out of view scrolls
// it into view.
QScrollArea *scrollingPage(QWidget *content);
