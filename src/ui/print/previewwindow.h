#pragma once

#include "reportengine.h"

#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QToolButton;

// The preview of a protocol: the pages laid out so far, one at a time, with
// zoom, page buttons, printing, saving as PDF and OK.  Maximised, without
// system menu or close box; Escape closes it.  It is made anew for every
// preview and deletes itself when closed.
class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    // `caption` is the report's title; a report without one shows "Druckvorschau".
    explicit PreviewWindow(const QString &caption, QWidget *parent = nullptr);
    ~PreviewWindow() override;

    // A newly laid-out page; the page-count label follows.
    void addPage(const report::Page &page);
    const std::vector<report::Page> &pages() const { return m_pages; }
    int pageCount() const { return int(m_pages.size()); }

    int currentPage() const { return m_current; }  // from 1; 0 before the first page
    // Shows page n; a number outside 1 to the page count is ignored.
    void setCurrentPage(int n);

    int zoom() const { return m_zoom; }   // percent; 100 is the paper's size on the screen
    void setZoom(int percent);
    void fitWidth();
    void fitPage();

signals:
    void printRequested();
    void pdfRequested();
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    class PageView;

    void watch(QObject *object);
    void updatePageLabel();
    double screenPxPerMm(int percent) const;
    int fittingZoom(double factor, bool wholePage) const;

    std::vector<report::Page> m_pages;
    int m_current = 0;
    int m_zoom = 58;
    bool m_closed = false;

    QSpinBox *m_zoomEdit = nullptr;
    QScrollArea *m_scroll = nullptr;
    PageView *m_view = nullptr;
    QLabel *m_pageLabel = nullptr;
    QLabel *m_countLabel = nullptr;
};
