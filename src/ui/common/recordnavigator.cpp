#include "recordnavigator.h"

#include "tablestore.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

RecordNavigator::RecordNavigator(QWidget *parent)
    : QWidget(parent)
{
    struct Def {
        const char *name;
        QString hint;
        QStyle::StandardPixmap icon;
        QString text;
    };
    const Def defs[6] = {
        {"navfirst", u"Erster Datensatz"_qs, QStyle::SP_MediaSkipBackward, u"|<"_qs},
        {"navprior", u"Vorheriger Datensatz"_qs, QStyle::SP_MediaSeekBackward, u"<"_qs},
        {"navnext", u"Nächster Datensatz"_qs, QStyle::SP_MediaSeekForward, u">"_qs},
        {"navlast", u"Letzter Datensatz"_qs, QStyle::SP_MediaSkipForward, u">|"_qs},
        {"navinsert", u"Datensatz einfügen"_qs, QStyle::SP_CustomBase, u"+"_qs},
        {"navdelete", u"Datensatz löschen"_qs, QStyle::SP_CustomBase, u"\u2212"_qs},
    };
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < 6; ++i) {
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(defs[i].name));
        b->setToolTip(defs[i].hint);
        b->setAutoRaise(false);
        b->setFixedSize(28, 26);
        if (defs[i].icon != QStyle::SP_CustomBase)
            b->setIcon(style()->standardIcon(defs[i].icon));
        else
            b->setText(defs[i].text);
        layout->addWidget(b);
        m_buttons[i] = b;
    }
    connect(m_buttons[First], &QToolButton::clicked, this, &RecordNavigator::firstClicked);
    connect(m_buttons[Prior], &QToolButton::clicked, this, &RecordNavigator::priorClicked);
    connect(m_buttons[Next], &QToolButton::clicked, this, &RecordNavigator::nextClicked);
    connect(m_buttons[Last], &QToolButton::clicked, this, &RecordNavigator::lastClicked);
    connect(m_buttons[Insert], &QToolButton::clicked, this, &RecordNavigator::insertClicked);
    connect(m_buttons[Delete], &QToolButton::clicked, this, &RecordNavigator::deleteClicked);
}

QToolButton *RecordNavigator::button(Button b) const
{
    return m_buttons[b];
}

void RecordNavigator::setPosition(int row, int rowCount)
{
    const bool empty = rowCount <= 0;
    m_buttons[First]->setEnabled(!empty && row > 0);
    m_buttons[Prior]->setEnabled(!empty && row > 0);
    m_buttons[Next]->setEnabled(!empty && row < rowCount - 1);
    m_buttons[Last]->setEnabled(!empty && row < rowCount - 1);
    m_buttons[Delete]->setEnabled(!empty);
}

void RecordNavigator::showPositionOf(const TableStore &store)
{
    setPosition(positionAfterSave(store), store.rowCount());
}

namespace {

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

// The table's sorting of one field: empty first, numbers by value, texts by
// their characters (as the table compares them, case and all).
int compareValues(const QVariant &a, const QVariant &b)
{
    const bool aEmpty = !a.isValid() || a.isNull();
    const bool bEmpty = !b.isValid() || b.isNull();
    if (aEmpty || bEmpty)
        return int(bEmpty) - int(aEmpty);
    if (isNumber(a) && isNumber(b)) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (isNumber(a) != isNumber(b))
        return isNumber(a) ? -1 : 1;
    return a.toString().compare(b.toString(), Qt::CaseSensitive);
}

} // namespace

int positionAfterSave(const TableStore &store)
{
    const int pos = store.currentRow();
    if (pos < 0 || !store.isModified())
        return pos;
    const TableDefinition &def = store.definition();
    QStringList fields = def.primaryOrder;
    for (const TableOrder &o : def.orders)
        if (o.name.compare(store.order(), Qt::CaseInsensitive) == 0)
            fields = o.fieldList.split(u';', Qt::SkipEmptyParts);
    const RecordSchema &schema = store.schema();
    const Record &pending = store.current();
    const int pendingKey = store.currentKey();   // 0: not saved yet, so its key comes after every other

    // True when the row sorts before the pending one (rows of equal values by
    // their keys, that is in the order of creation).
    auto before = [&](int row) {
        const Record other = store.rowAt(row);
        for (const QString &f : fields) {
            const int i = schema.indexOf(f.trimmed());
            if (i < 0)
                continue;
            QVariant mine = pending.value(i);
            // A new row's key field is given when it is saved: after every other.
            if (schema.field(i).type == FieldType::AutoInc && (!mine.isValid() || mine.isNull()))
                return true;
            const int c = compareValues(other.value(i), mine);
            if (c != 0)
                return c < 0;
        }
        return pendingKey == 0 || store.keys()[row] < pendingKey;
    };
    // The other rows are in order: the pending row goes after those that sort before it.
    int lo = 0;
    int hi = store.rowCount() - 1;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (before(mid < pos ? mid : mid + 1))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}
