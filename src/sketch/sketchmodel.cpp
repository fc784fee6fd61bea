#include "sketchmodel.h"

#include <QUndoCommand>

using namespace sketch;

namespace {

enum MergeId { MoveStep = 1, TextStep = 2 };

class SnapshotCommand : public QUndoCommand {
public:
    SnapshotCommand(SketchModel *model, Document before, int selBefore, Document after, int selAfter,
                    const QString &what, int mergeId)
        : QUndoCommand(what)
        , m_model(model)
        , m_before(std::move(before))
        , m_after(std::move(after))
        , m_selBefore(selBefore)
        , m_selAfter(selAfter)
        , m_merge(mergeId)
    {
    }

    void undo() override { m_model->restore(m_before, m_selBefore); }
    void redo() override { m_model->restore(m_after, m_selAfter); }
    int id() const override { return m_merge; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *o = static_cast<const SnapshotCommand *>(other);
        if (o->m_selBefore != m_selAfter || o->m_selAfter != m_selAfter)
            return false;   // only steps on the same element form one
        m_after = o->m_after;
        return true;
    }

private:
    SketchModel *m_model;
    Document m_before, m_after;
    int m_selBefore, m_selAfter;
    int m_merge;
};

} // namespace

SketchModel::SketchModel(QObject *parent) : QObject(parent) {}

void SketchModel::setDocument(const Document &doc)
{
    m_undo.clear();
    m_doc = doc;
    m_selected = -1;
    emit changed();
    emit selectionChanged(-1);
}

const Element *SketchModel::selectedElement() const
{
    return m_selected >= 0 && m_selected < m_doc.elements.size() ? &m_doc.elements[m_selected] : nullptr;
}

void SketchModel::select(int index)
{
    if (index < 0 || index >= m_doc.elements.size() || !m_doc.elements[index].isKnown())
        index = -1;
    if (index == m_selected)
        return;
    m_selected = index;
    emit selectionChanged(index);
}

void SketchModel::selectNext(int direction)
{
    const int n = int(m_doc.elements.size());
    if (n == 0)
        return;
    int i = m_selected;
    for (int step = 0; step < n; ++step) {
        i = i < 0 ? (direction > 0 ? 0 : n - 1) : (i + direction + n) % n;
        if (m_doc.elements[i].isKnown()) {
            select(i);
            return;
        }
    }
}

int SketchModel::elementAt(QPointF p, double tolerance) const
{
    int best = -1;
    double bestDistance = tolerance;
    // Later elements lie on top.
    for (int i = int(m_doc.elements.size()) - 1; i >= 0; --i) {
        const double d = distanceTo(m_doc.elements[i], p);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
            if (d == 0)
                break;
        }
    }
    return best;
}

void SketchModel::apply(const Document &after, int selectAfter, const QString &what, int mergeId)
{
    m_undo.push(new SnapshotCommand(this, m_doc, m_selected, after, selectAfter, what, mergeId));
}

void SketchModel::restore(const Document &doc, int selected)
{
    m_doc = doc;
    const bool valid = selected >= 0 && selected < m_doc.elements.size() && m_doc.elements[selected].isKnown();
    m_selected = valid ? selected : -1;
    emit changed();
    emit selectionChanged(m_selected);
}

void SketchModel::add(const Element &e)
{
    Document after = m_doc;
    after.elements << e;
    apply(after, int(after.elements.size()) - 1, displayName(e.kind) + u" zeichnen"_qs);
}

void SketchModel::removeSelected()
{
    const Element *e = selectedElement();
    if (!e)
        return;
    Document after = m_doc;
    after.elements.removeAt(m_selected);
    apply(after, -1, displayName(e->kind) + u" löschen"_qs);
}

void SketchModel::moveSelected(QPoint delta)
{
    const Element *e = selectedElement();
    if (!e || delta.isNull())
        return;
    Document after = m_doc;
    after.elements[m_selected] = e->moved(delta);
    apply(after, m_selected, displayName(e->kind) + u" verschieben"_qs, MoveStep);
}

void SketchModel::setSelectedText(const QString &text)
{
    const Element *e = selectedElement();
    if (!e || !e->hasText() || e->text == text)
        return;
    Document after = m_doc;
    after.elements[m_selected].text = text;
    apply(after, m_selected, u"Beschriftung ändern"_qs, TextStep);
}
