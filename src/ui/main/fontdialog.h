#pragma once

#include "dialogbase.h"

#include <QColor>
#include <QFont>
#include <optional>

class QComboBox;
class QFontDialog;

// Face, size, style, underline, strike-through and colour of text.
struct FontChoice {
    QFont font;
    QColor color = Qt::black;
};

// The font command's dialog "Schriftart": the platform's font dialog (face,
// style, size without limits, underline, strike-through, sample) with the
// colour list of the desktop's font dialog beside it.
class FontDialog : public DialogBase {
    Q_OBJECT
public:
    explicit FontDialog(QWidget *parent = nullptr);

    void setChoice(const FontChoice &choice);
    FontChoice choice() const;

    // Shows the dialog modally; nothing when it was cancelled.
    static std::optional<FontChoice> ask(QWidget *parent, const FontChoice &initial);

private:
    void selectColor(const QColor &color);

    QFontDialog *m_fonts;
    QComboBox *m_color;
};
