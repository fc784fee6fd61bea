#pragma once

#include <QString>
#include <QWidget>

class QListWidget;
class QPushButton;
class QTextBrowser;
class QUrl;

// The help window: the contents list on the left, the page on the right, and
// buttons to go back, forward and to the start page.  One window serves the
// whole program; it is not modal, so the user can keep it open beside the
// main window.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows the page of a topic path ("kq.chm::/anmerkungen.htm",
    // "::/anmerkungen.htm", "" for the start page).  An unknown topic shows the
    // start page; the result tells whether the topic was found.
    bool showTopic(const QString &topicPath);

    // The normalised path of the topic on display ("" for the start page).
    QString currentTopic() const;

private:
    void pageChanged(const QUrl &url);

    QListWidget *m_contents = nullptr;
    QTextBrowser *m_browser = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_forward = nullptr;
};

// Opens the shared help window at a topic and brings it to the front.  Used by
// every "&Hilfe" button and F1 binding.
void showHelpTopic(const QString &topicPath);

// Opens the shared help window at the start page (F1 in the main window, menu
// "I&nhalt").
void showHelpContents();

// The window the help opens over, and stays in front of, while no dialog is
// open (the main window).
void setHelpOwner(QWidget *mainWindow);

// The shared help window, created on first use.
HelpWindow *helpWindow();

// Makes F1 anywhere in the given window open the topic.  An empty topic path
// opens the start page.
void bindHelpKey(QWidget *window, const QString &topicPath);
