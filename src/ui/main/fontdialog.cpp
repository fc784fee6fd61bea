#include "fontdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The sixteen colours of the desktop's font dialog, with their German names.
const QList<std::pair<QString, QColor>> &standardColors()
{
    static const QList<std::pair<QString, QColor>> colors = {
        {u"Schwarz"_qs, QColor(0, 0, 0)},         {u"Dunkelrot"_qs, QColor(128, 0, 0)},
        {u"Grün"_qs, QColor(0, 128, 0)},          {u"Olivgrün"_qs, QColor(128, 128, 0)},
        {u"Marineblau"_qs, QColor(0, 0, 128)},    {u"Violett"_qs, QColor(128, 0, 128)},
        {u"Blaugrün"_qs, QColor(0, 128, 128)},    {u"Grau"_qs, QColor(128, 128, 128)},
        {u"Silber"_qs, QColor(192, 192, 192)},    {u"Rot"_qs, QColor(255, 0, 0)},
        {u"Hellgrün"_qs, QColor(0, 255, 0)},      {u"Gelb"_qs, QColor(255, 255, 0)},
        {u"Blau"_qs, QColor(0, 0, 255)},          {u"Fuchsie"_qs, QColor(255, 0, 255)},
        {u"Aquamarin"_qs, QColor(0, 255, 255)},   {u"Weiß"_qs, QColor(255, 255, 255)},
    };
    return colors;
}

QIcon swatch(const QColor &c)
{
    QPixmap pm(24, 12);
    pm.fill(c);
    QPainter p(&pm);
    p.setPen(Qt::gray);
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return QIcon(pm);
}

} // namespace

FontDialog::FontDialog(QWidget *parent) : DialogBase(parent)
{
    setObjectName(u"fontdialog"_qs);
    setWindowTitle(u"Schriftart"_qs);

    // The platform's font dialog, embedded as a part of this one.
    m_fonts = new QFontDialog(this);
    m_fonts->setObjectName(u"schriftauswahl"_qs);
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_fonts->setWindowFlags(Qt::Widget);
    m_fonts->setSizeGripEnabled(false);
    // The list of writing systems only narrows the faces shown; it goes, and
    // with it the second "S" mnemonic of the German captions.  Strike-through
    // gets a letter of its own (its German caption shares "g" with "Größe").
    for (QComboBox *combo : m_fonts->findChildren<QComboBox *>()) {
        combo->hide();
        for (QLabel *label : m_fonts->findChildren<QLabel *>())
            if (label->buddy() == combo)
                label->hide();
    }
    for (QCheckBox *box : m_fonts->findChildren<QCheckBox *>()) {
        if (box->text() == QCoreApplication::translate("QFontDialog", "Stri&keout"))
            box->setText(u"&Durchgestrichen"_qs);
        else if (box->text() == QCoreApplication::translate("QFontDialog", "&Underline"))
            box->setText(u"&Unterstrichen"_qs);
    }

    m_color = new QComboBox(this);
    m_color->setObjectName(u"farbe"_qs);
    for (const auto &[name, color] : standardColors())
        m_color->addItem(swatch(color), name, color);
    auto *colorLabel = new QLabel(u"&Farbe:"_qs, this);
    colorLabel->setObjectName(u"farbelabel"_qs);
    colorLabel->setBuddy(m_color);

    // The embedded dialog closes itself on Enter in its lists and on Escape;
    // here that ends the whole dialog, and the font part stays in place.
    connect(m_fonts, &QDialog::finished, this, [this](int result) {
        m_fonts->setVisible(true);
        done(result);
    });

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(u"OK"_qs, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"okbtn"_qs);
    ok->setDefault(true);
    buttons->addButton(u"Abbrechen"_qs, QDialogButtonBox::RejectRole)->setObjectName(u"abbrechenbtn"_qs);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *colorRow = new QHBoxLayout;
    colorRow->addWidget(colorLabel);
    colorRow->addWidget(m_color);
    colorRow->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fonts, 1);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
}

void FontDialog::selectColor(const QColor &color)
{
    const QColor c = color.isValid() ? color : QColor(Qt::black);
    int index = m_color->findData(c);
    if (index < 0) {
        // A colour of the text outside the list stays choosable as it is.
        const int custom = m_color->findText(u"Benutzerdefiniert"_qs);
        if (custom >= 0)
            m_color->removeItem(custom);
        m_color->addItem(swatch(c), u"Benutzerdefiniert"_qs, c);
        index = m_color->count() - 1;
    }
    m_color->setCurrentIndex(index);
}

void FontDialog::setChoice(const FontChoice &choice)
{
    // The face list names the family the text is really drawn with, and the
    // style list that family's own name for the style drawn ("Book" rather
    // than "Normal"); a style name the list lacks would select its first
    // entry, so that OK would turn upright text oblique.
    QFont font = choice.font;
    const QFontInfo drawn(choice.font);
    if (!QFontDatabase::families().contains(font.family()))
        font.setFamily(drawn.family());
    const QString style = drawn.styleName();
    if (QFontDatabase::styles(font.family()).contains(style) && QFontDatabase::italic(font.family(), style) == font.italic()
        && QFontDatabase::bold(font.family(), style) == font.bold())
        font.setStyleName(style);
    m_fonts->setCurrentFont(font);
    selectColor(choice.color);
}

FontChoice FontDialog::choice() const
{
    return {m_fonts->currentFont(), m_color->currentData().value<QColor>()};
}

std::optional<FontChoice> FontDialog::ask(QWidget *parent, const FontChoice &initial)
{
    FontDialog dialog(parent);
    dialog.setChoice(initial);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}
