#include "previewwindow.h"

#include "pagepainter.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

constexpr int kMinZoom = 20;
constexpr int kMaxZoom = 800;
constexpr int kSheetMargin = 12;  // grey border around the sheet, pixels

} // namespace

// The sheet of the current page, drawn at the window's zoom on a grey desk.
class PreviewWindow::PageView : public QWidget {
public:
    explicit PageView(PreviewWindow *window) : QWidget(window), m_window(window)
    {
        setObjectName(u"seitenansicht"_qs);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, QColor(128, 128, 128));
        setPalette(p);
    }

    QSize sizeHint() const override { return sheetSize() + QSize(2 * kSheetMargin, 2 * kSheetMargin); }
    QSize sheetSize() const
    {
        const double k = m_window->screenPxPerMm(m_window->m_zoom);
        return QSize(qRound(210.0 * k), qRound(297.0 * k));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QSize sheet = sheetSize();
        const int left = std::max(kSheetMargin, (width() - sheet.width()) / 2);
        const QRect paper(QPoint(left, kSheetMargin), sheet);
        painter.fillRect(paper.translated(3, 3), QColor(70, 70, 70));
        painter.fillRect(paper, Qt::white);
        if (m_window->m_current >= 1)
            report::paintPage(painter, m_window->m_pages[size_t(m_window->m_current - 1)],
                              m_window->screenPxPerMm(m_window->m_zoom), paper.topLeft());
    }

private:
    PreviewWindow *m_window;
};

PreviewWindow::PreviewWindow(const QString &caption, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(u"PreviewWindow"_qs);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption.isEmpty() ? u"Druckvorschau"_qs : caption);

    auto *bar = new QWidget(this);
    bar->setObjectName(u"vorschauleiste"_qs);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 4, 6, 4);

    auto *zoomLabel = new QLabel(u"Zoom:"_qs, bar);
    m_zoomEdit = new QSpinBox(bar);
    m_zoomEdit->setObjectName(u"zoomedit"_qs);
    m_zoomEdit->setRange(kMinZoom, kMaxZoom);  // at most three digits
    m_zoomEdit->setSingleStep(20);
    m_zoomEdit->setValue(m_zoom);
    zoomLabel->setBuddy(m_zoomEdit);
    connect(m_zoomEdit, &QSpinBox::valueChanged, this, &PreviewWindow::setZoom);

    auto *full = new QPushButton(u"100%"_qs, bar);
    full->setObjectName(u"zoom100btn"_qs);
    connect(full, &QPushButton::clicked, this, [this] { m_zoomEdit->setValue(100); });

    auto tool = [bar](const char *name, const QString &glyph, const QString &hint) {
        auto *b = new QToolButton(bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(glyph);
        b->setToolTip(hint);
        b->setAccessibleName(hint);
        b->setAutoRaise(true);
        return b;
    };
    QToolButton *width = tool("breitebtn", u"↔"_qs, u"volle Breite"_qs);
    QToolButton *height = tool("hoehebtn", u"↕"_qs, u"volle Höhe"_qs);
    QToolButton *back = tool("zurueckbtn", u"◀"_qs, u"Seite zurück"_qs);
    QToolButton *forward = tool("vorbtn", u"▶"_qs, u"Seite vor"_qs);
    connect(width, &QToolButton::clicked, this, &PreviewWindow::fitWidth);
    connect(height, &QToolButton::clicked, this, &PreviewWindow::fitPage);
    connect(back, &QToolButton::clicked, this, [this] { setCurrentPage(m_current - 1); });
    connect(forward, &QToolButton::clicked, this, [this] { setCurrentPage(m_current + 1); });

    m_pageLabel = new QLabel(bar);
    m_pageLabel->setObjectName(u"seitelabel"_qs);
    m_countLabel = new QLabel(bar);
    m_countLabel->setObjectName(u"seitenzahllabel"_qs);

    auto *print = new QPushButton(u"&Drucken"_qs, bar);
    print->setObjectName(u"druckenbtn"_qs);
    connect(print, &QPushButton::clicked, this, &PreviewWindow::printRequested);
    auto *pdf = new QPushButton(u"Als &PDF speichern …"_qs, bar);
    pdf->setObjectName(u"pdfbtn"_qs);
    connect(pdf, &QPushButton::clicked, this, &PreviewWindow::pdfRequested);
    auto *ok = new QPushButton(u"OK"_qs, bar);
    ok->setObjectName(u"okbtn"_qs);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);

    row->addWidget(zoomLabel);
    row->addWidget(m_zoomEdit);
    row->addWidget(full);
    row->addWidget(width);
    row->addWidget(height);
    row->addSpacing(12);
    row->addWidget(back);
    row->addWidget(forward);
    row->addWidget(m_pageLabel);
    row->addWidget(m_countLabel);
    row->addSpacing(12);
    row->addWidget(print);
    row->addWidget(pdf);
    row->addStretch(1);
    row->addWidget(ok);

    m_view = new PageView(this);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(u"seitenscroller"_qs);
    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(false);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // The sheet lies on a grey desk that fills the whole view.
    m_scroll->viewport()->setPalette(m_view->palette());
    m_scroll->viewport()->setAutoFillBackground(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_scroll, 1);

    setZoom(m_zoom);
    updatePageLabel();
    // Keys and the wheel reach the window before its controls.
    watch(this);
    resize(1000, 760);
}

PreviewWindow::~PreviewWindow()
{
    if (!m_closed)
        emit closed();
}

void PreviewWindow::watch(QObject *object)
{
    object->installEventFilter(this);
    for (QObject *child : object->children())
        if (child->isWidgetType())
            watch(child);
}

void PreviewWindow::addPage(const report::Page &page)
{
    m_pages.push_back(page);
    m_countLabel->setText(u"%1 "_qs.arg(m_pages.size()));
    if (m_current == 0) {
        m_current = 1;
        updatePageLabel();
        m_view->update();
    }
}

void PreviewWindow::setCurrentPage(int n)
{
    if (n < 1 || n > pageCount())
        return;
    m_current = n;
    updatePageLabel();
    m_scroll->verticalScrollBar()->setValue(0);
    m_view->update();
}

void PreviewWindow::updatePageLabel()
{
    m_pageLabel->setText(u"Seite %1 von "_qs.arg(m_current));
    m_countLabel->setText(u"%1 "_qs.arg(m_pages.size()));
}

double PreviewWindow::screenPxPerMm(int percent) const
{
    return percent / 100.0 * logicalDpiX() / 25.4;
}

void PreviewWindow::setZoom(int percent)
{
    m_zoom = std::clamp(percent, kMinZoom, kMaxZoom);
    if (m_zoomEdit->value() != m_zoom)
        m_zoomEdit->setValue(m_zoom);  // comes back here with the same value
    m_view->resize(m_view->sizeHint());
    m_view->update();
}

int PreviewWindow::fittingZoom(double factor, bool wholePage) const
{
    const QSize view = m_scroll->viewport()->size();
    const double at100 = screenPxPerMm(100);
    const double byWidth = factor * view.width() / (210.0 * at100);
    const double byHeight = factor * view.height() / (297.0 * at100);
    return int(100.0 * (wholePage ? std::min(byWidth, byHeight) : byWidth));
}

void PreviewWindow::fitWidth()
{
    // The page's width fills 90 % of the view.
    m_zoomEdit->setValue(std::clamp(fittingZoom(0.90, false), kMinZoom, kMaxZoom));
}

void PreviewWindow::fitPage()
{
    // The whole page in 95 % of the view, in the direction that limits it.
    m_zoomEdit->setValue(std::clamp(fittingZoom(0.95, true), kMinZoom, kMaxZoom));
}

bool PreviewWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    if (event->type() == QEvent::Wheel) {
        // One notch (120) scrolls the page by 12 pixels, whatever the pointer is over.
        QScrollBar *bar = m_scroll->verticalScrollBar();
        const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
        bar->setValue(bar->value() - delta / 10);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PreviewWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updatePageLabel();
    m_zoomEdit->setValue(m_zoom);
}

void PreviewWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted() && !m_closed) {
        m_closed = true;
        emit closed();
    }
}
