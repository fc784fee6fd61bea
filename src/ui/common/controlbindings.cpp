#include "controlbindings.h"

#include "tablestore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

// --- CheckBoxBinding -------------------------------------------------------------

CheckBoxBinding::CheckBoxBinding(TableStore *store, const QString &field, QCheckBox *box, QObject *parent)
    : FieldBinding(store, field, parent)
    , m_box(box)
{
    connect(box, &QCheckBox::clicked, this, [this](bool checked) {
        if (!m_writes)
            return;
        m_updating = true;
        m_store->setFieldValue(m_field, checked);
        m_updating = false;
    });
}

QWidget *CheckBoxBinding::widget() const
{
    return m_box;
}

void CheckBoxBinding::refresh()
{
    if (!m_box || m_updating)
        return;
    const bool on = m_store->isOpen() && m_store->current().boolean(m_field);
    if (m_box->isChecked() != on)
        m_box->setChecked(on);
}

// --- ComboTextBinding ------------------------------------------------------------

ComboTextBinding::ComboTextBinding(TableStore *store, const QString &field, QComboBox *combo, QObject *parent)
    : FieldBinding(store, field, parent)
    , m_combo(combo)
{
    const int idx = store->schema().indexOf(field);
    if (idx >= 0 && store->schema().field(idx).size > 0 && combo->lineEdit())
        combo->lineEdit()->setMaxLength(store->schema().field(idx).size);
    // Typing, a completed suggestion and a chosen entry all change the text.
    connect(combo, &QComboBox::currentTextChanged, this, &ComboTextBinding::write);
}

void ComboTextBinding::write(const QString &text)
{
    if (m_store->current().text(m_field) == text)
        return;
    m_updating = true;
    m_store->setFieldText(m_field, text);
    m_updating = false;
    // A chosen entry longer than the field shows as the field keeps it.
    if (m_store->current().text(m_field) != text)
        refresh();
}

QWidget *ComboTextBinding::widget() const
{
    return m_combo;
}

void ComboTextBinding::refresh()
{
    if (!m_combo || m_updating)
        return;
    const QString text = m_store->isOpen() ? m_store->current().text(m_field) : QString();
    if (m_combo->currentText() == text)
        return;
    const QSignalBlocker block(m_combo);
    m_combo->setCurrentIndex(-1);
    m_combo->setEditText(text);
}

// --- LabelBinding ----------------------------------------------------------------

LabelBinding::LabelBinding(TableStore *store, const QString &field, QLabel *label, QObject *parent)
    : FieldBinding(store, field, parent)
    , m_label(label)
{
}

QWidget *LabelBinding::widget() const
{
    return m_label;
}

void LabelBinding::refresh()
{
    if (!m_label)
        return;
    const QString text = m_store->isOpen() ? m_store->fieldText(m_field) : QString();
    if (m_label->text() != text)
        m_label->setText(text);
}

// --- display only ----------------------------------------------------------------

void makeDisplayOnly(QCheckBox *box)
{
    box->setFocusPolicy(Qt::NoFocus);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
}

// --- choices ---------------------------------------------------------------------

void setComboChoices(QComboBox *combo, const QStringList &choices)
{
    const QSignalBlocker block(combo);
    const QString text = combo->currentText();
    combo->clear();
    combo->addItems(choices);
    combo->setCurrentIndex(-1);
    if (combo->isEditable())
        combo->setEditText(text);
}
