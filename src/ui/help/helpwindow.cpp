#include "helpwindow.h"

#include "helptopics.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// A plain, readable look for the pages; the pages themselves carry no styles.
const QString pageStyle = uR"(
body { font-size: 11pt; }
h1 { font-size: 16pt; color: #7a2e0e; }
h2 { font-size: 13pt; color: #7a2e0e; margin-top: 14px; }
dt { font-weight: bold; margin-top: 6px; }
td, th { padding: 2px 6px; }
th { background-color: #eee6d8; text-align: left; }
p.hinweis { background-color: #fff6d5; }
)"_qs;

} // namespace

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    help::initResources();

    setObjectName(u"hilfefenster"_qs);
    setWindowTitle(u"Ofenring - Hilfe"_qs);
    resize(1000, 720);

    m_back = new QPushButton(u"&Zurück"_qs, this);
    m_back->setObjectName(u"zurueckbtn"_qs);
    m_back->setEnabled(false);
    m_forward = new QPushButton(u"&Vor"_qs, this);
    m_forward->setObjectName(u"vorbtn"_qs);
    m_forward->setEnabled(false);
    auto *home = new QPushButton(u"&Inhalt"_qs, this);
    home->setObjectName(u"inhaltbtn"_qs);
    auto *closeButton = new QPushButton(u"&Schließen"_qs, this);
    closeButton->setObjectName(u"schliessenbtn"_qs);

    m_contents = new QListWidget(this);
    m_contents->setObjectName(u"inhaltsliste"_qs);
    for (const help::Topic &topic : help::topics())
        m_contents->addItem(topic.title);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(u"hilfetext"_qs);
    m_browser->setOpenExternalLinks(false);
    m_browser->document()->setDefaultStyleSheet(pageStyle);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({330, 650});

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addWidget(home);
    buttons->addStretch();
    buttons->addWidget(closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);

    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QWidget::setEnabled);
    connect(home, &QPushButton::clicked, this, [this] { showTopic(QString()); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::pageChanged);
    connect(m_contents, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        const int row = m_contents->row(item);
        if (row >= 0 && row < help::topics().size())
            m_browser->setSource(help::pageUrl(help::topics().at(row)));
    });
    connect(m_contents, &QListWidget::itemClicked, m_contents, &QListWidget::itemActivated);
    // Moving through the contents with the arrow keys opens each topic, as a
    // click does.  (The list follows the page shown with its signals blocked.)
    connect(m_contents, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < help::topics().size())
            m_browser->setSource(help::pageUrl(help::topics().at(row)));
    });

    // The window opens with the contents list in hand, so the arrow keys
    // walk the topics at once.
    m_contents->setFocus();

    // Escape puts the help away, as "Schließen" does.
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);
    new QShortcut(QKeySequence::Back, m_browser, [this] { m_browser->backward(); });
    new QShortcut(QKeySequence::Forward, m_browser, [this] { m_browser->forward(); });
}

bool HelpWindow::showTopic(const QString &topicPath)
{
    const help::Topic *topic = help::findTopic(topicPath);
    const help::Topic &shown = topic ? *topic : help::startTopic();
    const QUrl url = help::pageUrl(shown);
    if (m_browser->source() != url)
        m_browser->setSource(url);
    return topic != nullptr;
}

QString HelpWindow::currentTopic() const
{
    const help::Topic *topic = help::topicForUrl(m_browser->source());
    return topic ? topic->path : QString();
}

void HelpWindow::pageChanged(const QUrl &url)
{
    const help::Topic *topic = help::topicForUrl(url);
    const int row = topic ? int(topic - help::topics().constData()) : -1;
    const QSignalBlocker blocker(m_contents);
    m_contents->setCurrentRow(row);
}

namespace {

QPointer<QWidget> &helpOwner()
{
    static QPointer<QWidget> owner;
    return owner;
}

// Where the help window opens the first time: centred over the window it
// belongs to, and whole on that window's screen.
void placeOver(QWidget *help, QWidget *owner)
{
    QRect r = help->frameGeometry();
    r.moveCenter(owner->frameGeometry().center());
    if (QScreen *screen = owner->screen()) {
        const QRect avail = screen->availableGeometry();
        r.setSize(r.size().boundedTo(avail.size()));
        if (r.right() > avail.right())
            r.moveRight(avail.right());
        if (r.bottom() > avail.bottom())
            r.moveBottom(avail.bottom());
        if (r.left() < avail.left())
            r.moveLeft(avail.left());
        if (r.top() < avail.top())
            r.moveTop(avail.top());
    }
    help->resize(help->size().boundedTo(r.size()));
    help->move(r.topLeft());
}

} // namespace

void setHelpOwner(QWidget *mainWindow)
{
    helpOwner() = mainWindow;
}

HelpWindow *helpWindow()
{
    static QPointer<HelpWindow> window;
    if (!window) {
        window = new HelpWindow;
        window->setAttribute(Qt::WA_QuitOnClose, false);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, window.data(), &QObject::deleteLater);
    }
    return window;
}

void showHelpTopic(const QString &topicPath)
{
    HelpWindow *window = helpWindow();
    // Help is mostly asked for from modal dialogs.  A window of its own would
    // be blocked by such a dialog, so the help window then belongs to the
    // dialog for as long as it is open; otherwise it belongs to the main
    // window, and so always stays in front of it.
    QWidget *owner = QApplication::activeModalWidget();
    if (owner == window || !owner)
        owner = helpOwner();
    const bool firstShow = !window->testAttribute(Qt::WA_Moved);
    if (window->parentWidget() != owner) {
        const QRect geometry = window->geometry();
        window->setParent(owner, Qt::Window);
        if (!firstShow)
            window->setGeometry(geometry);
    }
    if (firstShow && owner)
        placeOver(window, owner);
    window->showTopic(topicPath);
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

void showHelpContents()
{
    showHelpTopic(QString());
}

void bindHelpKey(QWidget *window, const QString &topicPath)
{
    auto *shortcut = new QShortcut(QKeySequence::HelpContents, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, [topicPath] { showHelpTopic(topicPath); });
}
