#pragma once

#include "dialogbase.h"

#include <QStringList>

class QPlainTextEdit;
class QPushButton;

// The message window "Meldungen": the findings and the verdict of the
// interconnection check, one line of the message list per line of its text.
// "OK" and "Abbrechen" both close it; what the check did is already done.
class Tmeldform : public DialogBase {
    Q_OBJECT
public:
    explicit Tmeldform(QWidget *parent = nullptr);

    // Shows the lines modally (without blocking the caller) in the middle of
    // the screen.
    void showMessages(const QStringList &lines);

    QStringList lines() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPlainTextEdit *m_memo = nullptr;
    QPushButton *m_ok = nullptr;
};
