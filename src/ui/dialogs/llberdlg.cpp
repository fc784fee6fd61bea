#include "llberdlg.h"

#include "dialogbuttons.h"
#include "messagebox.h"
#include "numberformat.h"
#include "recordstore.h"
#include "supplyairduct.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const QStringList &sideRatioTexts()
{
    static const QStringList texts = {
        u"rechteckig bis 1:1,5 oder rund"_qs,
        u"rechteckig 1:1,5 bis 1:5  (10% Zuschlag)"_qs,
        u"rechteckig 1:5 bis 1:10   (25% Zuschlag)"_qs,
    };
    return texts;
}

QSpinBox *bendCounter(const QString &name, QWidget *parent)
{
    // Changed only by its arrows (or the arrow keys), 0 to 10, no wrap.
    auto *s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(0, 10);
    s->setWrapping(false);
    s->findChild<QLineEdit *>()->setReadOnly(true);
    return s;
}

} // namespace

Tllberdlg::Tllberdlg(QWidget *parent)
    : DialogBase(parent)
{
    setObjectName(u"Tllberdlg"_qs);
    setWindowTitle(u"Zuluftleitung für offenen Kamin / Kachelofen berechnen nach DIN 18895"_qs);
    setModal(true);
    setHelpTopic(u"::/zuluftleitungen fuer offene kamine und kacheloefen.htm"_qs);

    m_fireplaceOutput = new QLabel(this);
    m_fireplaceOutput->setObjectName(u"DBText1"_qs);
    m_output = new QLineEdit(this);
    m_output->setObjectName(u"leistungedit"_qs);
    m_length = new QLineEdit(this);
    m_length->setObjectName(u"laengeedit"_qs);
    m_bends45 = bendCounter(u"okllu45"_qs, this);
    m_bends90 = bendCounter(u"okllu90"_qs, this);
    m_base = new QLineEdit(this);
    m_base->setObjectName(u"querschnittgrundwertedit"_qs);
    m_base->setReadOnly(true);
    m_base->setEnabled(false);
    m_actual = new QLineEdit(this);
    m_actual->setObjectName(u"querschnittedit"_qs);
    m_actual->setReadOnly(true);
    m_actual->setEnabled(false);

    auto *ratioBox = new QWidget(this);
    ratioBox->setObjectName(u"llseitenverhaeltnis"_qs);
    auto *ratioLayout = new QVBoxLayout(ratioBox);
    ratioLayout->setContentsMargins(0, 0, 0, 0);
    m_sideRatio = new QButtonGroup(this);
    for (int i = 0; i < sideRatioTexts().size(); ++i) {
        auto *b = new QRadioButton(sideRatioTexts()[i], ratioBox);
        b->setObjectName(u"llseitenverhaeltnis"_qs + QString::number(i));
        m_sideRatio->addButton(b, i);
        ratioLayout->addWidget(b);
    }
    m_sideRatio->button(0)->setChecked(true);

    const QFontMetrics fm(font());
    for (QWidget *w : {static_cast<QWidget *>(m_output), static_cast<QWidget *>(m_length),
                       static_cast<QWidget *>(m_bends45), static_cast<QWidget *>(m_bends90),
                       static_cast<QWidget *>(m_base), static_cast<QWidget *>(m_actual)})
        w->setFixedWidth(fm.averageCharWidth() * 12);

    auto *grid = new QGridLayout;
    int row = 0;
    auto addRow = [&](const QString &label, QWidget *control, const QString &unit) {
        auto *l = new QLabel(label, this);
        if (control->focusPolicy() != Qt::NoFocus && control->isEnabled())
            l->setBuddy(control);
        // The label of the side-ratio choices stands beside their first line.
        grid->addWidget(l, row, 0, Qt::AlignLeft | (control == ratioBox ? Qt::AlignTop : Qt::AlignVCenter));
        // Each value with its unit right beside it.
        auto *cell = new QHBoxLayout;
        cell->addWidget(control);
        if (!unit.isEmpty())
            cell->addWidget(new QLabel(unit, this));
        cell->addStretch(1);
        grid->addLayout(cell, row, 1);
        ++row;
        return l;
    };
    addRow(u"Leistung der Feuerstätte"_qs, m_fireplaceOutput, u"kW"_qs);
    addRow(u"Versorgte Leistung durch Zuluftleitung"_qs, m_output, u"kW"_qs);
    addRow(u"Länge der Zuluftleitung"_qs, m_length, u"m"_qs);
    addRow(u"Umlenkungen 45° (1,5 m Zuschlag)"_qs, m_bends45, QString());
    addRow(u"Umlenkungen 90° (3,0 m Zuschlag)"_qs, m_bends90, QString());
    addRow(u"Grundwert"_qs, m_base, u"cm ²"_qs);
    addRow(u"Seitenverhältnis"_qs, ratioBox, QString());
    addRow(u"Tatsächlicher Querschnitt der Zuluftleitung"_qs, m_actual, u"cm ²"_qs);
    grid->setColumnStretch(1, 1);

    const DialogButtons buttons = makeDialogButtons(this);
    m_ok = buttons.ok;

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons.layout);

    connect(m_output, &QLineEdit::textChanged, this, &Tllberdlg::recompute);
    connect(m_length, &QLineEdit::textChanged, this, &Tllberdlg::recompute);
    connect(m_bends45, &QSpinBox::valueChanged, this, &Tllberdlg::recompute);
    connect(m_bends90, &QSpinBox::valueChanged, this, &Tllberdlg::recompute);
    connect(m_sideRatio, &QButtonGroup::idClicked, this, &Tllberdlg::recompute);
}

void Tllberdlg::showFor(RecordStore *store)
{
    m_store = store;
    const Record &r = store->current();
    {
        // Filled as one step; the sizing runs once for all of it below.
        m_filling = true;
        m_fireplaceOutput->setText(r.displayText(u"Okqn1"_qs));
        m_output->setText(r.displayText(u"OkllP"_qs));
        m_length->setText(r.displayText(u"OkllLaenge"_qs));
        m_bends45->setValue(r.integer(u"Okllu45"_qs));
        m_bends90->setValue(r.integer(u"Okllu90"_qs));
        m_base->setText(r.displayText(u"OkllS"_qs));
        m_actual->setText(r.displayText(u"Okllstats"_qs));
        const int form = r.integer(u"Okllform"_qs);
        m_sideRatio->button(form >= 0 && form < sideRatioTexts().size() ? form : 0)->setChecked(true);
        m_filling = false;
    }
    recompute();
    open();
    // OK has the focus, unless the stored duct cannot be confirmed yet.
    (m_ok->isEnabled() ? static_cast<QWidget *>(m_ok) : m_output)->setFocus();
}

void Tllberdlg::recompute()
{
    if (m_filling)
        return;
    supplyairduct::SupplyAirDuctInput in;
    in.outputText = m_output->text();
    in.lengthText = m_length->text();
    in.bends45 = m_bends45->value();
    in.bends90 = m_bends90->value();
    in.sideRatio = std::max(0, m_sideRatio->checkedId());
    const supplyairduct::SupplyAirDuctResult r = supplyairduct::sizeSupplyAirDuct(in);
    m_base->setText(r.baseText);
    m_actual->setText(r.actualText);
    m_ok->setEnabled(r.okAllowed);
    if (!r.message.isEmpty())
        MessageBox::error(r.message);
}

void Tllberdlg::accept()
{
    if (!m_ok->isEnabled() || !m_store || !m_store->edit())
        return;
    auto number = [](const QString &text) {
        double v = 0.0;
        return numfmt::parse(text, &v) ? QVariant(v) : QVariant();
    };
    const double suppliedBefore = m_store->current().number(u"OkllP"_qs);
    const bool hadSupplied = !m_store->current().isNull(u"OkllP"_qs);
    m_store->setFieldValue(u"OkllP"_qs, number(m_output->text()));
    m_store->setFieldValue(u"OkllLaenge"_qs, number(m_length->text()));
    m_store->setFieldValue(u"Okllu45"_qs, m_bends45->value());
    m_store->setFieldValue(u"Okllu90"_qs, m_bends90->value());
    m_store->setFieldValue(u"OkllS"_qs, number(m_base->text()));
    m_store->setFieldValue(u"Okllstats"_qs, number(m_actual->text()));
    m_store->setFieldValue(u"Okllform"_qs, std::max(0, m_sideRatio->checkedId()));
    const Record &r = m_store->current();
    m_store->setFieldValue(u"Okunversorgt"_qs,
                           supplyairduct::unsuppliedOutput(r.number(u"Okqn1"_qs), r.number(u"OkllP"_qs)));
    // The output the duct supplies enters the interconnection check: results
    // computed with another value no longer belong to this record.
    if (!hadSupplied || r.number(u"OkllP"_qs) != suppliedBefore)
        m_store->ungerechnet();
    DialogBase::accept();
}
