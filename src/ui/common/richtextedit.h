#pragma once

#include <QTextEdit>

// An editor of formatted text that exchanges Rich Text Format with the
// clipboard: a copy offers the selection as RTF, HTML and plain text, so that
// a word processor receives it with its formatting, and a paste prefers RTF
// (then HTML, then plain text) from whatever program copied it.
//
// Tab moves the focus on, as in a form; Ctrl+Tab types a tab character
// (Ctrl+Page Down and Up turn the window's pages from here).
class RichTextEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextEdit(QWidget *parent = nullptr);

    // The editors' font for text without a font of its own: 13 pixels of a
    // sans-serif face installed here ("MS Sans Serif" where it exists).
    static QFont baseFont();

    // The clipboard formats that carry RTF.
    static const QStringList &rtfMimeTypes();

signals:
    void focusEntered(Qt::FocusReason reason);
    void focusLeft(Qt::FocusReason reason);
    void mousePressed();
    void mouseReleased();

protected:
    bool event(QEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
