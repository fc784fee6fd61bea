#include "aboutbox.h"

#include "programicon.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyle>

#ifndef OFENRING_VERSION
#define OFENRING_VERSION "0.0.0"
#endif

TAboutBox::TAboutBox(QWidget *parent)
    : DialogBase(parent)
{
    setObjectName(u"TAboutBox"_qs);
    setWindowTitle(u"Info"_qs);
    setModal(true);

    auto *icon = new QLabel(this);
    icon->setObjectName(u"programicon"_qs);
    icon->setPixmap(programIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);

    auto *name = new QLabel(u"Ofenring"_qs, this);
    name->setObjectName(u"productname"_qs);
    QFont nameFont = name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
    name->setFont(nameFont);

    auto *version = new QLabel(u"Version "_qs + QString::fromLatin1(OFENRING_VERSION), this);
    version->setObjectName(u"version"_qs);

    auto *purpose = new QLabel(u"Verbrennungsluftversorgung nach TRGI, Zuluftleitungen nach DIN 18895"_qs, this);
    purpose->setObjectName(u"comments"_qs);

    auto *systems = new QLabel(u"Für Linux-Arbeitsplätze mit Qt 6.4 oder neuer (z. B. Debian 12)"_qs, this);
    systems->setObjectName(u"systems"_qs);

    m_build = new QLabel(this);
    m_build->setObjectName(u"buildlabel"_qs);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(u"OK"_qs, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"okbtn"_qs);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(version);
    text->addSpacing(8);
    text->addWidget(purpose);
    text->addWidget(systems);
    text->addSpacing(8);
    text->addWidget(m_build);

    auto *layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0);
    layout->addLayout(text, 0, 1);
    layout->addWidget(buttons, 1, 0, 1, 2);

    m_build->setText(buildLine());
    // A fixed dialog, wide enough for its content and its caption.
    setFixedSize(sizeHint().expandedTo(QSize(captionWidth(), 0)));
}

QString TAboutBox::buildLine()
{
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QDateTime changed = program.lastModified();
    const QLocale german(QLocale::German, QLocale::Germany);
    return u"Built: "_qs + german.toString(changed, QLocale::ShortFormat);
}

void TAboutBox::showEvent(QShowEvent *event)
{
    m_build->setText(buildLine());
    DialogBase::showEvent(event);
}

void TAboutBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_build->setText(buildLine());
    DialogBase::mouseDoubleClickEvent(event);
}
