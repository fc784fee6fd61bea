#include "kbvimpdlg.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "dialogbuttons.h"
#include "tabchain.h"

namespace {

QString chooseWithFileDialog(QWidget *parent)
{
    return QFileDialog::getOpenFileName(
        parent, u"Exportdatei öffnen"_qs, QDir::homePath(),
        u"Exportdateien (*.EXP *.exp *.txt *.TXT);;Alle Dateien (*)"_qs);
}

Tkbvimpdlg::FileChooser &fileChooser()
{
    static Tkbvimpdlg::FileChooser chooser = chooseWithFileDialog;
    return chooser;
}

} // namespace

Tkbvimpdlg::Tkbvimpdlg(const QStringList &entries, int preselected, QWidget *parent)
    : DialogBase(parent)
{
    setObjectName(u"Tkbvimpdlg"_qs);
    setWindowTitle(u"Import aus Kehrbezirksverwaltungsprogrammen"_qs);
    setModal(true);
    setHelpTopic(u"::/adressimport.htm"_qs);

    auto *label = new QLabel(u"&Programm, aus dem die Adresse übernommen wird:"_qs, this);
    m_list = new QListWidget(this);
    m_list->setObjectName(u"programmliste"_qs);
    m_list->addItems(entries);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    if (preselected >= 0 && preselected < entries.size())
        m_list->setCurrentRow(preselected);
    else
        m_list->setCurrentRow(-1, QItemSelectionModel::Clear);
    label->setBuddy(m_list);

    m_empty = new QLabel(u"Auf diesem Rechner ist kein Kehrbezirksverwaltungsprogramm eingerichtet. "
                         "Eine Exportdatei, die von einem anderen Rechner stammt, öffnen Sie mit "
                         "„Exportdatei öffnen …“. Wie ein Programm eingerichtet wird, steht in der Hilfe (F1)."_qs,
                         this);
    m_empty->setObjectName(u"leerhinweis"_qs);
    m_empty->setWordWrap(true);
    m_empty->setVisible(entries.isEmpty());

    auto *file = new QPushButton(u"&Exportdatei öffnen …"_qs, this);
    file->setObjectName(u"dateibtn"_qs);
    file->setAutoDefault(false);
    file->setToolTip(u"Adressen aus einer Exportdatei übernehmen (AbnSch.EXP oder export.txt)"_qs);

    const DialogButtons buttons = makeDialogButtons(this);
    m_ok = buttons.ok;

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(file);
    bottom->addLayout(buttons.layout, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_empty);
    layout->addLayout(bottom);

    // Room for the three programs (and a little more) without scrolling; the
    // dialog opens at that height and may be made larger.
    m_list->setMinimumHeight(m_list->fontMetrics().lineSpacing() * 6 + 2 * m_list->frameWidth());
    setMinimumWidth(fontMetrics().horizontalAdvance(u"M"_qs) * 34);
    resize(minimumSizeHint());

    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        if (!selectedEntry().isEmpty())
            accept();
    });
    connect(m_list, &QListWidget::itemSelectionChanged, this, &Tkbvimpdlg::updateButtons);
    connect(file, &QPushButton::clicked, this, &Tkbvimpdlg::chooseFile);
    setTabChain({m_list, file, buttons.ok, buttons.cancel, buttons.help});
    updateButtons();
}

QString Tkbvimpdlg::selectedEntry() const
{
    const QList<QListWidgetItem *> items = m_list->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

void Tkbvimpdlg::setFileChooser(FileChooser chooser)
{
    fileChooser() = chooser ? std::move(chooser) : FileChooser(chooseWithFileDialog);
}

void Tkbvimpdlg::showEvent(QShowEvent *event)
{
    DialogBase::showEvent(event);
    // The hint wraps to the width the dialog opens with (its narrowest, the
    // caption's width): the dialog is as high as those lines need, so that
    // the hint never runs across the list.
    const int needed = layout()->totalHeightForWidth(width());
    if (needed > minimumHeight())
        setMinimumHeight(needed);
    // Centred on the screen the program is shown on.
    QScreen *screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (screen) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    m_list->setFocus();
}

void Tkbvimpdlg::chooseFile()
{
    const QString path = fileChooser()(this);
    if (path.isEmpty())
        return;
    m_file = path;
    done(FromFile);
}

void Tkbvimpdlg::updateButtons()
{
    // "OK" only means something with a program chosen.
    m_ok->setEnabled(!selectedEntry().isEmpty());
}
