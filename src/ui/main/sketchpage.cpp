#include "sketchpage.h"

#include "messagebox.h"
#include "recordstore.h"
#include "sketchmodule.h"
#include "tabchain.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kSkizze = u"Skizze"_qs;
const QString kSkizzedrucken = u"Skizzedrucken"_qs;
} // namespace

SketchPage::SketchPage(RecordStore *records, SketchModule *module, QWidget *parent)
    : PageBase(parent)
    , m_records(records)
    , m_module(module)
{
    setHelpTopic(u"::/zeichnung.htm"_qs);

    m_draw = new QPushButton(u"Zeichnen"_qs, this);
    m_draw->setObjectName(u"zeichnbtn"_qs);
    m_draw->setEnabled(module && module->isLoaded());
    connect(m_draw, &QPushButton::clicked, this, &SketchPage::zeichnbtnClick);
    setDefaultButton(m_draw);

    m_print = new QCheckBox(u"Zeichnung drucken"_qs, this);
    m_print->setObjectName(u"zeichnungdruckenbox"_qs);
    m_print->setToolTip(u"Zeichnung mit ausdrucken"_qs);
    connect(m_print, &QCheckBox::clicked, this, [this](bool on) { m_records->setFieldValue(kSkizzedrucken, on); });

    // 300 x 200 pixels show the top left of the 600 x 400 preview: the sketch at half size.
    m_picture = new QLabel(this);
    m_picture->setObjectName(u"zeichnungbild"_qs);
    m_picture->setFixedSize(300, 200);
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_picture->setFrameShape(QFrame::Box);
    m_picture->setLineWidth(1);
    m_picture->setAutoFillBackground(true);
    QPalette pal = m_picture->palette();
    pal.setColor(QPalette::Window, Qt::white);
    m_picture->setPalette(pal);
    m_picture->setToolTip(u"Doppelklick: Zeichnung bearbeiten"_qs);
    m_picture->installEventFilter(this);

    QPushButton *help = makeHelpButton();

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_draw);
    buttons->addWidget(m_print);
    buttons->addStretch(1);
    buttons->addWidget(help);

    auto *row = new QHBoxLayout;
    row->addWidget(m_picture, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addLayout(buttons);
    row->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addStretch(1);

    setTabChain({m_draw, m_print, help});

    connect(records, &TableStore::currentReloaded, this, &SketchPage::showPrintSwitch);
    connect(records, &TableStore::fieldChanged, this, [this](const QString &field) {
        if (field.compare(kSkizzedrucken, Qt::CaseInsensitive) == 0)
            showPrintSwitch();
    });
    showPrintSwitch();
}

void SketchPage::showPrintSwitch()
{
    m_print->setChecked(m_records->isOpen() && m_records->current().value(kSkizzedrucken).toBool());
}

bool SketchPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_picture && event->type() == QEvent::MouseButtonDblClick) {
        zeichnbtnClick();
        return true;
    }
    return PageBase::eventFilter(watched, event);
}

void SketchPage::drawPreview()
{
    if (!m_module || !m_module->canDraw())
        return;
    const QString skizze = m_records->isOpen() ? m_records->current().value(kSkizze).toString() : QString();
    const QImage image = m_module->preview(SketchModule::linesOf(skizze));
    if (!image.isNull())
        m_picture->setPixmap(QPixmap::fromImage(image));
}

void SketchPage::zeichnbtnClick()
{
    if (!m_module || !m_module->isLoaded() || !m_records->isOpen())
        return;
    unsetCursor();
    if (!m_module->canEdit())
        return;
    const QStringList lines =
        m_module->edit(SketchModule::linesOf(m_records->current().value(kSkizze).toString()));

    // The lines come back into the record whether or not the module changed
    // them, and the record counts as changed.
    if (!m_records->edit())
        return;
    m_records->setFieldValue(kSkizze, SketchModule::textOf(lines));
    m_records->markModified();
    drawPreview();
    if (!m_records->current().value(kSkizzedrucken).toBool()) {
        m_records->setFieldValue(kSkizzedrucken, true);
        MessageBox::information(u"Die Option \"Zeichnung drucken\" wurde aktiviert."_qs);
    }
    m_records->finishEditing();
}
