#include "kopfzeilendlg.h"

#include "tabchain.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

Tkopfzeilendlg::Tkopfzeilendlg(QWidget *parent)
    : DialogBase(parent)
{
    setObjectName(u"Tkopfzeilendlg"_qs);
    setWindowTitle(u"Kopfzeile"_qs);
    setModal(true);
    setHelpTopic(u"::/kopfzeilen.htm"_qs);

    auto field = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMinimumWidth(360);
        return edit;
    };
    m_name = field("nameedit");
    // Shown for reference only: greyed, and Tab passes it by.
    m_name->setReadOnly(true);
    m_name->setEnabled(false);
    m_name->setFocusPolicy(Qt::NoFocus);
    m_logo = new QCheckBox(u"Logo drucken"_qs, this);
    m_logo->setObjectName(u"logocheckbox"_qs);
    m_address = new QCheckBox(u"Anschrift f. Brieffenster drucken"_qs, this);
    m_address->setObjectName(u"adressecheckbox"_qs);
    m_sender = field("absenderedit");
    m_header = field("kopfzeileedit");

    auto *form = new QVBoxLayout;
    form->addWidget(new QLabel(u"Name (Kopfzeile und Absenderfeld)"_qs, this));
    form->addWidget(m_name);
    form->addSpacing(6);
    form->addWidget(m_logo);
    form->addWidget(m_address);
    form->addSpacing(6);
    auto *senderLabel = new QLabel(u"z.B. Titel, Straße, Ort (Absenderfeld)"_qs, this);
    senderLabel->setBuddy(m_sender);
    form->addWidget(senderLabel);
    form->addWidget(m_sender);
    auto *headerLabel = new QLabel(u"z. B. Titel, Tel., Fax (Kopfzeile)"_qs, this);
    headerLabel->setBuddy(m_header);
    form->addWidget(headerLabel);
    form->addWidget(m_header);
    form->addStretch(1);

    auto *ok = new QPushButton(u"OK"_qs, this);
    ok->setObjectName(u"okbtn"_qs);
    ok->setDefault(true);
    auto *cancel = new QPushButton(u"Abbrechen"_qs, this);
    cancel->setObjectName(u"abbrechenbtn"_qs);
    QPushButton *help = makeHelpButton();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    buttons->addStretch(1);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabChain({m_logo, m_address, m_sender, m_header, ok, cancel, help});
}

void Tkopfzeilendlg::setSettings(const PrintSettings &settings)
{
    m_given = settings;
    m_name->setText(settings.headerLine1);
    m_logo->setChecked(settings.printLogo);
    m_address->setChecked(settings.printAddress);
    m_sender->setText(settings.headerLine2);
    m_header->setText(settings.headerLine3);
}

PrintSettings Tkopfzeilendlg::settings() const
{
    PrintSettings s = m_given;
    s.headerLine2 = m_sender->text();
    s.headerLine3 = m_header->text();
    s.printAddress = m_address->isChecked();
    s.printLogo = m_logo->isChecked();
    return s;
}

void Tkopfzeilendlg::showEvent(QShowEvent *event)
{
    DialogBase::showEvent(event);
    m_address->setFocus();
    // Centred on the screen rather than over the main window.
    if (QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
