#pragma once

#include <QDialog>
#include <QString>

class QPushButton;

// What every dialog of the program shares:
//   - a title bar with the close box only (no minimise or maximise buttons);
//   - a width that never cuts off the caption in the title bar;
//   - a help topic: F1 anywhere in the dialog and the button made by
//     makeHelpButton() ask for it through helpRequested(), which the main
//     window answers with its help window.
// Enter presses the default button and Escape rejects, as in any QDialog; a
// dialog whose Escape must not drop confirmed input overrides reject().
class DialogBase : public QDialog {
    Q_OBJECT
public:
    explicit DialogBase(QWidget *parent = nullptr);

    void setHelpTopic(const QString &topicPath) { m_helpTopic = topicPath; }
    QString helpTopic() const { return m_helpTopic; }

    // A "&Hilfe" button (object name "hilfebtn") that requests the help topic.
    // It is never the default button, so Enter does not open the help.
    QPushButton *makeHelpButton();

    // Asks for the help topic, as F1 does.
    void requestHelp();

    // The smallest width at which the caption is shown whole in the title bar.
    int captionWidth() const;

signals:
    void helpRequested(const QString &topicPath);

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void fitCaption();

    QString m_helpTopic;
};
