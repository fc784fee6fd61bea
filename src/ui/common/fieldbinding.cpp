#include "fieldbinding.h"

#include "tablestore.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QEvent>
#include <QLineEdit>

FieldBinding::FieldBinding(TableStore *store, QString field, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_field(std::move(field))
{
}

// --- LineEditBinding -----------------------------------------------------------

LineEditBinding::LineEditBinding(TableStore *store, const QString &field, QLineEdit *edit, QObject *parent)
    : FieldBinding(store, field, parent)
    , m_edit(edit)
{
    const int idx = store->schema().indexOf(field);
    const FieldDef *def = idx >= 0 ? &store->schema().field(idx) : nullptr;
    m_writeThrough = !def || def->type == FieldType::String;
    if (def && def->type == FieldType::String && def->size > 0)
        edit->setMaxLength(def->size);

    connect(edit, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (m_writeThrough) {
            m_updating = true;
            m_store->setFieldText(m_field, text);
            m_updating = false;
        } else {
            m_dirty = true;
            m_store->edit();
        }
    });
    connect(edit, &QLineEdit::editingFinished, this, [this] { commit(); });
}

QWidget *LineEditBinding::widget() const
{
    return m_edit;
}

void LineEditBinding::refresh()
{
    if (!m_edit || m_updating)
        return;
    m_dirty = false;
    const QString text = m_store->isOpen() ? m_store->fieldText(m_field) : QString();
    if (m_edit->text() != text)
        m_edit->setText(text);
}

bool LineEditBinding::commit()
{
    if (!m_edit || !m_dirty)
        return true;
    m_updating = true;
    const bool ok = m_store->setFieldText(m_field, m_edit->text());
    m_updating = false;
    if (!ok)
        return false;   // the typed text stays for correction
    m_dirty = false;
    // Show the value as the field's format gives it back ("2,5" -> "2,5", "3" -> "3,0").
    refresh();
    return true;
}

// --- ButtonGroupBinding --------------------------------------------------------

ButtonGroupBinding::ButtonGroupBinding(TableStore *store, const QString &field, QButtonGroup *group, QWidget *box, QObject *parent)
    : FieldBinding(store, field, parent)
    , m_group(group)
    , m_box(box)
{
    connect(group, &QButtonGroup::idClicked, this, [this](int id) {
        if (m_store->current().isNull(m_field) || m_store->current().integer(m_field) != id) {
            m_updating = true;
            m_store->setFieldValue(m_field, id);
            m_updating = false;
        }
        emit valueChosen(id);
    });
}

QWidget *ButtonGroupBinding::widget() const
{
    return m_box;
}

void ButtonGroupBinding::refresh()
{
    if (!m_group || m_updating)
        return;
    const Record &r = m_store->current();
    QAbstractButton *want = (m_store->isOpen() && !r.isNull(m_field)) ? m_group->button(r.integer(m_field)) : nullptr;
    if (want) {
        want->setChecked(true);
        return;
    }
    // An empty field (a new record has no mode yet): no button is checked.
    m_group->setExclusive(false);
    for (QAbstractButton *b : m_group->buttons())
        b->setChecked(false);
    m_group->setExclusive(true);
}

// --- BindingSet ----------------------------------------------------------------

BindingSet::BindingSet(TableStore *store, QObject *parent)
    : QObject(parent)
    , m_store(store)
{
    connect(store, &TableStore::afterScroll, this, &BindingSet::refreshAll);
    connect(store, &TableStore::afterOpen, this, &BindingSet::refreshAll);
    connect(store, &TableStore::currentReloaded, this, &BindingSet::refreshAll);
    connect(store, &TableStore::rowsReset, this, &BindingSet::refreshAll);
    connect(store, &TableStore::fieldChanged, this, [this](const QString &name) {
        for (FieldBinding *b : m_bindings)
            if (b->field().compare(name, Qt::CaseInsensitive) == 0)
                b->refresh();
    });
}

FieldBinding *BindingSet::bindingFor(const QString &field) const
{
    for (FieldBinding *b : m_bindings)
        if (b->field().compare(field, Qt::CaseInsensitive) == 0)
            return b;
    return nullptr;
}

void BindingSet::refreshAll()
{
    for (FieldBinding *b : m_bindings)
        b->refresh();
}

bool BindingSet::commitAll()
{
    for (FieldBinding *b : m_bindings)
        if (!b->commit())
            return false;
    return true;
}

bool BindingSet::saveNow()
{
    if (!commitAll())
        return false;
    const StoreState s = m_store->state();
    if (s != StoreState::Edit && s != StoreState::Insert)
        return true;
    const bool confirm = m_store->confirmChanges();
    m_store->setConfirmChanges(false);
    const bool saved = m_store->post();
    m_store->setConfirmChanges(confirm);
    return saved;
}

void BindingSet::editOnContextMenu(QWidget *widget)
{
    widget->installEventFilter(this);
}

bool BindingSet::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu && m_store->isOpen())
        m_store->edit();
    return QObject::eventFilter(watched, event);
}
