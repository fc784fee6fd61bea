#include "betriebdlg.h"

#include "dialogbuttons.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Tbetriebdlg::Tbetriebdlg(QWidget *parent)
    : DialogBase(parent)
{
    setObjectName(u"Tbetriebdlg"_qs);
    setWindowTitle(u"Betrieb"_qs);
    setModal(true);
    setHelpTopic(u"::/kopfzeilen.htm"_qs);

    m_name = new QLineEdit(this);
    m_name->setObjectName(u"betriebedit"_qs);
    m_name->setMinimumWidth(QFontMetrics(font()).averageCharWidth() * 50);
    auto *label = new QLabel(u"&Name des Betriebs"_qs, this);
    label->setObjectName(u"betrieblabel"_qs);
    label->setBuddy(m_name);
    m_note = new QLabel(this);
    m_note->setObjectName(u"betriebhinweis"_qs);
    m_note->setWordWrap(true);

    const DialogButtons buttons = makeDialogButtons(this);
    m_ok = buttons.ok;
    connect(m_name, &QLineEdit::textChanged, this, &Tbetriebdlg::updateOk);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_name);
    layout->addWidget(m_note);
    layout->addSpacing(8);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void Tbetriebdlg::ask(const QString &name, bool firstStart)
{
    m_note->setText(firstStart
                        ? u"Der Name steht im Briefkopf und in der Absenderzeile jedes Protokolls. "
                          "Er lässt sich später unter „Einstellungen → Betrieb …“ ändern."_qs
                        : u"Der Name steht im Briefkopf und in der Absenderzeile jedes Protokolls. "
                          "Ein geänderter Name gilt ab dem nächsten Programmstart."_qs);
    m_name->setText(name);
    updateOk();
    open();
    m_name->setFocus(Qt::OtherFocusReason);
    m_name->selectAll();
}

QString Tbetriebdlg::name() const
{
    return m_name->text().trimmed();
}

void Tbetriebdlg::updateOk()
{
    // A letterhead without a name is no letterhead.
    m_ok->setEnabled(!name().isEmpty());
}
