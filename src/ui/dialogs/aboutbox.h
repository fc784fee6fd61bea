#pragma once

#include "dialogbase.h"

class QLabel;

// The About window "Info": program icon, short name and version, the systems
// the program runs on, and the date and time the program file was built.
class TAboutBox : public DialogBase {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);

    // "Built: " followed by the last change of the program file, in the German
    // short date and time format.
    static QString buildLine();

protected:
    void showEvent(QShowEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QLabel *m_build = nullptr;
};
