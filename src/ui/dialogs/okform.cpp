#include "okform.h"

#include "dialogbuttons.h"
#include "fireplace.h"
#include "keyevents.h"
#include "messagebox.h"
#include "numberformat.h"
#include "record.h"
#include "tablestore.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QStringList &explanation()
{
    static const QStringList lines = {
        u"Offene Kaminen wird gemäß ihrer Feuerraumöffnung ein fiktive Wärmeleistung zugeordnet. "_qs,
        u"Wird der offene Kamin alleine in der Wohnung betrieben, errechnet sich die fiktive Wärmeleistung zu: "_qs,
        u"Feuerraumöffnungsquerschnitt x 360 m³ /h  / 1,6 m³ /h kW. "_qs,
        u"Wird der offene Kamin im Ofenring mit anderen Feuerstätten betrieben, ist anzusetzen:"_qs,
        u"Feuerraumöffnungsquerschnitt x 540 m³ /h  / 1,6 m³ /h kW. "_qs,
        u"Falls der offene Kamin als alleinige Feuerstätte ausgewählt wird, ist dieser als Hauptfeuerstätte in RA "_qs,
        u"festzulegen. Alle  Leistungsangaben weiterer Feuerstätten werden deaktiviert und deren Leistung mit 0 KW "_qs,
        u"eingetragen."_qs,
        QString(),
        u"Bei einem Kachelofen wird 1 KW pro qm Oberfläche angesetzt."_qs,
    };
    return lines;
}

const QStringList &kindTexts()
{
    static const QStringList texts = {
        u"---"_qs,
        u"Offener Kamin als alleinige Feuerstätte"_qs,
        u"Offener Kamin mit anderen Feuerstätten im Ofenring"_qs,
        u"Kachelofen"_qs,
    };
    return texts;
}

// Keys that move between controls or close the dialog; they do not touch the area.
bool isNavigationKey(const QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_F1:
        return true;
    default:
        return isModifierOrShortcut(e);
    }
}

} // namespace

TOKform::TOKform(QWidget *parent)
    : DialogBase(parent)
{
    setObjectName(u"TOKform"_qs);
    setWindowTitle(u"Offener Kamin / Kachelofen"_qs);
    setModal(true);
    setHelpTopic(u"::/offener kamin kachelofen.htm"_qs);

    // The explanation: plain text on the dialog's background, not a control
    // one can type into or tab to.
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(u"Memo1"_qs);
    m_memo->setReadOnly(true);
    m_memo->setFrameShape(QFrame::NoFrame);
    m_memo->setFocusPolicy(Qt::NoFocus);
    m_memo->setTextInteractionFlags(Qt::NoTextInteraction);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette pal = m_memo->palette();
    pal.setColor(QPalette::Base, palette().color(QPalette::Window));
    m_memo->setPalette(pal);
    m_memo->setPlainText(explanation().join(u'\n'));
    const QFontMetrics fm(m_memo->font());
    int widest = 0;
    for (const QString &line : explanation())
        widest = std::max(widest, fm.horizontalAdvance(line));
    m_memo->document()->setDocumentMargin(2);
    m_memo->setMinimumWidth(widest + 16);
    m_memo->setFixedHeight(fm.lineSpacing() * int(explanation().size()) + 8);

    m_kindBox = new QGroupBox(u"Auswahl"_qs, this);
    m_kindBox->setObjectName(u"auswahl"_qs);
    m_kinds = new QButtonGroup(this);
    auto *kindLayout = new QVBoxLayout(m_kindBox);
    for (int i = 0; i < kindTexts().size(); ++i) {
        auto *b = new QRadioButton(kindTexts()[i], m_kindBox);
        b->setObjectName(u"auswahl"_qs + QString::number(i));
        m_kinds->addButton(b, i);
        kindLayout->addWidget(b);
    }
    m_kinds->button(0)->setChecked(true);
    connect(m_kinds, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            kindChosen(id);
    });

    m_areaLabel = new QLabel(fireplace::areaLabel(0), this);
    m_areaLabel->setObjectName(u"Label2"_qs);
    m_area = new QLineEdit(this);
    m_area->setObjectName(u"querschnitt"_qs);
    m_area->installEventFilter(this);
    m_areaLabel->setBuddy(m_area);

    m_outputRow = new QWidget(this);
    m_outputRow->setObjectName(u"leistungrow"_qs);
    m_output = new QLineEdit(m_outputRow);
    m_output->setObjectName(u"leistunglabel"_qs);
    m_output->setReadOnly(true);
    m_output->setFocusPolicy(Qt::NoFocus);
    m_recompute = new QPushButton(u"Leistung"_qs, m_outputRow);
    m_recompute->setObjectName(u"rechenbtn"_qs);
    m_recompute->setToolTip(u"Fiktive Leistung berechnen"_qs);
    m_recompute->setAutoDefault(false);
    m_recompute->setVisible(false);
    connect(m_recompute, &QPushButton::clicked, this, &TOKform::recompute);
    auto *outputLayout = new QHBoxLayout(m_outputRow);
    outputLayout->setContentsMargins(0, 0, 0, 0);
    auto *outputLabel = new QLabel(u"Fiktive Wärmeleistung"_qs, m_outputRow);
    outputLabel->setMinimumWidth(fm.horizontalAdvance(u"Feuerraumquerschnitt"_qs) + 8);
    m_areaLabel->setMinimumWidth(outputLabel->minimumWidth());
    outputLayout->addWidget(outputLabel);
    outputLayout->addWidget(m_output);
    outputLayout->addWidget(new QLabel(u"KW"_qs, m_outputRow));
    outputLayout->addWidget(m_recompute);
    outputLayout->addStretch(1);

    auto *areaRow = new QHBoxLayout;
    areaRow->addWidget(m_areaLabel);
    areaRow->addWidget(m_area);
    areaRow->addWidget(new QLabel(u"m²"_qs, this));
    areaRow->addStretch(1);
    m_area->setMaximumWidth(fm.averageCharWidth() * 14);
    m_output->setMaximumWidth(m_area->maximumWidth());

    const DialogButtons buttons = makeDialogButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_memo);
    layout->addWidget(m_kindBox);
    layout->addLayout(areaRow);
    layout->addWidget(m_outputRow);
    layout->addStretch(1);
    layout->addLayout(buttons.layout);

    m_outputRow->setVisible(false);
}

void TOKform::showFor(const Record &record)
{
    m_area->setText(record.displayText(u"Okqs1"_qs));
    m_output->setText(record.displayText(u"Okqn1"_qs));
    const int stored = record.integer(u"Okraum1"_qs);
    // A kind other than the one last chosen runs the selection rule, which
    // recomputes the output from the stored area.
    m_kinds->button(stored >= 0 && stored < fireplace::kKindCount ? stored : 0)->setChecked(true);
    // A fresh start: nothing is pending when the dialog appears.
    m_pending = false;
    open();
    m_kinds->checkedButton()->setFocus();
}

int TOKform::kind() const
{
    return m_kinds->checkedId() < 0 ? 0 : m_kinds->checkedId();
}

QString TOKform::areaText() const
{
    return m_area->text();
}

QString TOKform::outputText() const
{
    return m_output->text();
}

void TOKform::kindChosen(int kind)
{
    if (kind != fireplace::NoFireplace) {
        m_pending = true;
    } else {
        m_pending = false;
        m_output->setText(numfmt::fixed(0.0, 1));
    }
    m_outputRow->setVisible(fireplace::outputRowVisible(kind));
    adjustSize();
    m_areaLabel->setText(fireplace::areaLabel(kind));
    recompute();
}

void TOKform::recompute()
{
    const fireplace::FictitiousOutput r = fireplace::fictitiousOutputFromText(kind(), m_area->text());
    m_output->setText(r.text);
    if (r.beep) {
        // The mark stays as it was: a touched area must first hold a number.
        QApplication::beep();
        return;
    }
    m_pending = false;
}

bool TOKform::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_area) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            m_pending = true;
            break;
        case QEvent::KeyPress:
            if (!isNavigationKey(static_cast<QKeyEvent *>(event)))
                m_pending = true;
            break;
        case QEvent::KeyRelease:
            recompute();
            break;
        default:
            break;
        }
    }
    return DialogBase::eventFilter(watched, event);
}

void TOKform::accept()
{
    if (m_pending) {
        MessageBox::information(u"Sie haben Werte geändert, bitte zuerst die fiktive Wärmeleistung berechnen!"_qs);
        return;
    }
    // Only "---" lets an unreadable area through; the table would not take it.
    double area = 0.0;
    if (!m_area->text().trimmed().isEmpty() && !numfmt::parse(m_area->text(), &area)) {
        MessageBox::error(floatConversionMessage(m_area->text(), u"Okqs1"_qs));
        m_area->setFocus();
        return;
    }
    DialogBase::accept();
}
