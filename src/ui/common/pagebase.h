#pragma once

#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QWidget>


// A page of the main window that answers the keys as a dialog would: Enter
// (or Return) anywhere on the page presses the page's default button, or the
// push button that has the keyboard focus.  Controls that use Enter
// themselves (multi-line text, an open list) keep it.  Escape is left to the
// main window.  The page's "&Hilfe" button asks for the page's help topic.
//
// A page with a first field gets the keyboard focus there whenever it is
// opened or shows another record (focusFirstField, called by the window), so
// that typing never lands in a control left from the last record.
class PageBase : public QWidget {
    Q_OBJECT
public:
    explicit PageBase(QWidget *parent = nullptr);

    void setDefaultButton(QPushButton *button) { m_default = button; }
    QPushButton *defaultButton() const { return m_default; }

    // The control where typing starts on this page; none: the page keeps the
    // focus where the window puts it.
    void setFirstField(QWidget *field) { m_firstField = field; }
    virtual QWidget *firstField() const { return m_firstField; }
    // Gives the first field the keyboard focus; false when the page has none
    // (or it cannot take the focus now).
    bool focusFirstField();

    void setHelpTopic(const QString &topicPath) { m_helpTopic = topicPath; }
    QString helpTopic() const { return m_helpTopic; }
    // A "&Hilfe" button (object name `objectName`) that requests the page's topic.
    QPushButton *makeHelpButton(const QString &objectName = u"hilfebtn"_qs);

signals:
    void helpRequested(const QString &topicPath);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointer<QPushButton> m_default;
    QPointer<QWidget> m_firstField;
    QString m_helpTopic;
};
