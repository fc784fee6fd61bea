#pragma once

#include "dialogbase.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class Record;

// "Offener Kamin / Kachelofen": the kind of fireplace in RA and the
// cross-section of its fire-chamber opening (or the surface of a tiled
// stove), from which it derives the fictitious heat output.
//
// While the area has been touched and the output not recomputed since, "OK"
// refuses to close with a hint to compute the output first.  "Abbrechen",
// Escape and the close box always close and change nothing.
class TOKform : public DialogBase {
    Q_OBJECT
public:
    explicit TOKform(QWidget *parent = nullptr);

    // Takes the record's kind, area and output and shows the dialog modally
    // (without blocking the caller); a change of the kind recomputes the
    // output from the stored area.  On OK the caller reads the choices.
    void showFor(const Record &record);

    int kind() const;
    QString areaText() const;
    QString outputText() const;
    bool changePending() const { return m_pending; }

    void accept() override;

private:
    void kindChosen(int kind);
    void recompute();

    QPlainTextEdit *m_memo = nullptr;
    QButtonGroup *m_kinds = nullptr;
    QGroupBox *m_kindBox = nullptr;
    QLabel *m_areaLabel = nullptr;
    QLineEdit *m_area = nullptr;
    QWidget *m_outputRow = nullptr;
    QLineEdit *m_output = nullptr;
    QPushButton *m_recompute = nullptr;
    bool m_pending = false;   // the area was touched and the output not recomputed since

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
