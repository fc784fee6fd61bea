#pragma once

class QTabWidget;

// Ctrl+Tab and Ctrl+Page Down show the next page of a page control,
// Ctrl+Shift+Tab and Ctrl+Page Up the previous one, as in any tabbed window.
// Pages whose tab is hidden or disabled are skipped; the last page leads back
// to the first.  The keys work anywhere in the page control's window.
void addPageSwitchKeys(QTabWidget *pages);

// The page `step` tabs away from the current one (+1 next, -1 previous),
// counting only tabs that are shown and enabled; the current page when no
// other one is.
int neighbourPage(const QTabWidget *pages, int step);
