#include "generalpage.h"

#include "tabchain.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QLabel *heading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.1);
    label->setFont(f);
    return label;
}

} // namespace

GeneralPage::GeneralPage(QWidget *parent)
    : PageBase(parent)
{
    setObjectName(u"allgemein"_qs);
    setHelpTopic(u"::/allgemeine angaben.htm"_qs);

    m_modusBox = new QGroupBox(u"Modus"_qs, this);
    m_modusBox->setObjectName(u"modusgroup"_qs);
    m_modusButtons = new QButtonGroup(this);
    auto *modusLayout = new QVBoxLayout(m_modusBox);
    // The letters of the two modes are the only ones the page leaves free.
    auto *luftverbund = new QRadioButton(u"Luft&verbund         (bis 35 kW)"_qs, m_modusBox);
    luftverbund->setObjectName(u"modus0"_qs);
    auto *aufstellraum = new QRadioButton(u"Aufstellungsraum (ab 35 k&W)"_qs, m_modusBox);
    aufstellraum->setObjectName(u"modus1"_qs);
    m_modusButtons->addButton(luftverbund, 0);
    m_modusButtons->addButton(aufstellraum, 1);
    modusLayout->addWidget(luftverbund);
    modusLayout->addWidget(aufstellraum);

    auto makeButton = [this](const char *name, const QString &caption, const QString &hint) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        return b;
    };
    // Every button and field label has an Alt letter of its own on this page,
    // apart from the letters of the menus (D, E, ?) and the tabs (Ü, B, F, K, C).
    m_import = makeButton("importbtn", u"&Importieren"_qs, u"Adressen importieren aus Kehrbezirksverwaltung"_qs);
    m_ortsliste = makeButton("ortslistbtn", u"&Ortsliste"_qs, u"Ort aus Ortsliste auswählen"_qs);
    m_eigentliste = makeButton("eigentlistbtn", u"Ei&gentümerliste"_qs, u"Eigentümer aus Eigentümerliste auswählen"_qs);
    m_ortsliste2 = makeButton("ortslistbtn2", u"O&rtsliste"_qs, u"Ort aus Ortsliste auswählen"_qs);
    m_help = makeHelpButton(u"allghilfebtn"_qs);
    m_help->setAutoDefault(false);

    // Installation site: label | field (| second field) | button
    auto *site = new QGridLayout;
    site->setColumnMinimumWidth(0, 80);
    site->setColumnMinimumWidth(1, 110);
    site->addWidget(heading(u"Aufstellort"_qs, this), 0, 0, 1, 3);
    auto row = [](QGridLayout *grid, int r, const QString &label, QWidget *parent) {
        auto *l = new QLabel(label, parent);
        grid->addWidget(l, r, 0);
        return l;
    };
    // A label and one 30-character field across both field columns.
    auto wideRow = [this, &row](QGridLayout *grid, int r, const QString &label, const QString &field) {
        row(grid, r, label, this)->setBuddy(addField(field, 30));
        grid->addWidget(editFor(field), r, 1, 1, 2);
    };
    wideRow(site, 1, u"&Name"_qs, u"A_Name"_qs);
    wideRow(site, 2, u"&Zusatz"_qs, u"A_zusatz"_qs);
    wideRow(site, 3, u"&Straße"_qs, u"A_strasse"_qs);
    wideRow(site, 4, u"Geb&äudeteil"_qs, u"A_gebteil"_qs);
    row(site, 5, u"&PLZ, Ort"_qs, this)->setBuddy(addField(u"A_Plz"_qs, 7));
    site->addWidget(editFor(u"A_Plz"_qs), 5, 1);
    site->addWidget(addField(u"A_Ort"_qs, 30), 5, 2);
    site->addWidget(m_ortsliste, 5, 3);
    site->setColumnStretch(2, 1);

    auto *owner = new QGridLayout;
    owner->setColumnMinimumWidth(0, 80);
    owner->setColumnMinimumWidth(1, 110);
    owner->addWidget(heading(u"Eigentümer"_qs, this), 0, 0, 1, 3);
    owner->addWidget(m_eigentliste, 0, 3);
    wideRow(owner, 1, u"&Anrede"_qs, u"E_anrede"_qs);
    wideRow(owner, 2, u"Na&me"_qs, u"E_Name"_qs);
    wideRow(owner, 3, u"Z&usatz"_qs, u"E_zusatz"_qs);
    wideRow(owner, 4, u"Stra&ße"_qs, u"E_strasse"_qs);
    row(owner, 5, u"P&LZ, Ort"_qs, this)->setBuddy(addField(u"E_plz"_qs, 7));
    owner->addWidget(editFor(u"E_plz"_qs), 5, 1);
    owner->addWidget(addField(u"E_ort"_qs, 30), 5, 2);
    owner->addWidget(m_ortsliste2, 5, 3);
    wideRow(owner, 6, u"&Tel."_qs, u"E_tel"_qs);
    wideRow(owner, 7, u"Fa&x"_qs, u"E_fax"_qs);
    owner->setColumnStretch(2, 1);

    auto *left = new QVBoxLayout;
    left->addWidget(m_modusBox);
    left->addSpacing(16);
    left->addLayout(site);
    left->addSpacing(24);
    left->addLayout(owner);
    left->addStretch(1);

    auto *right = new QVBoxLayout;
    right->addWidget(m_import);
    right->addStretch(1);
    right->addWidget(m_help);

    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(24, 16, 24, 16);
    auto *leftBox = new QWidget(this);
    leftBox->setLayout(left);
    leftBox->setFixedWidth(620);
    outer->addWidget(leftBox);
    outer->addStretch(1);
    outer->addLayout(right);

    // Tab walks the page as it is read: the mode, the site address with its
    // place button, the owner block with its buttons, then import and help.
    QList<QWidget *> chain{luftverbund, aufstellraum};
    for (const char16_t *f : {u"A_Name", u"A_zusatz", u"A_strasse", u"A_gebteil", u"A_Plz", u"A_Ort"})
        chain << editFor(QString::fromUtf16(f));
    chain << m_ortsliste << m_eigentliste;
    for (const char16_t *f : {u"E_anrede", u"E_Name", u"E_zusatz", u"E_strasse", u"E_plz", u"E_ort"})
        chain << editFor(QString::fromUtf16(f));
    chain << m_ortsliste2 << editFor(u"E_tel"_qs) << editFor(u"E_fax"_qs) << m_import << m_help;
    setTabChain(chain);
    // The mode is one stop: Tab lands on the chosen mode, or on the first.
    makeSingleTabStop(m_modusButtons);
}

QWidget *GeneralPage::firstField() const
{
    return tabStopOf(m_modusButtons);
}

QLineEdit *GeneralPage::addField(const QString &field, int maxLength)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(field.toLower() + u"edit"_qs);
    edit->setMaxLength(maxLength);
    m_fields.append({field, edit});
    return edit;
}

QLineEdit *GeneralPage::editFor(const QString &field) const
{
    for (const AddressField &f : m_fields)
        if (f.field.compare(field, Qt::CaseInsensitive) == 0)
            return f.edit;
    return nullptr;
}
