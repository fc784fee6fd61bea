#include "dialogbuttons.h"

#include "dialogbase.h"

#include <QBoxLayout>
#include <QPushButton>

DialogButtons makeDialogButtons(DialogBase *dialog, Qt::Orientation orientation)
{
    DialogButtons b;
    b.ok = new QPushButton(u"OK"_qs, dialog);
    b.ok->setObjectName(u"okbtn"_qs);
    b.ok->setDefault(true);
    b.cancel = new QPushButton(u"Abbrechen"_qs, dialog);
    b.cancel->setObjectName(u"abbrechenbtn"_qs);
    b.cancel->setAutoDefault(false);
    QObject::connect(b.ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(b.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    if (!dialog->helpTopic().isNull())
        b.help = dialog->makeHelpButton();

    const bool row = orientation == Qt::Horizontal;
    b.layout = new QBoxLayout(row ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    if (row)
        b.layout->addStretch(1);
    for (QPushButton *button : {b.ok, b.cancel, b.help})
        if (button)
            b.layout->addWidget(button);
    if (!row)
        b.layout->addStretch(1);
    return b;
}
