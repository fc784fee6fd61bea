#pragma once

#include "sketchdocument.h"

#include <QObject>
#include <QUndoStack>

// The sketch being edited, the selected element and the undo history.  Every
// change is one step that can be undone and redone; consecutive moves of one
// element and consecutive edits of its text count as one step.
class SketchModel : public QObject {
    Q_OBJECT
public:
    explicit SketchModel(QObject *parent = nullptr);

    void setDocument(const sketch::Document &doc);   // starts a fresh history
    const sketch::Document &document() const { return m_doc; }
    QUndoStack *undoStack() { return &m_undo; }
    bool isModified() const { return !m_undo.isClean(); }

    int selected() const { return m_selected; }
    const sketch::Element *selectedElement() const;
    void select(int index);          // -1: nothing
    // The next (or previous) drawable element after the selected one, round the end.
    void selectNext(int direction);
    // The topmost drawable element within `tolerance` units of `p`, or -1.
    int elementAt(QPointF p, double tolerance) const;

    void add(const sketch::Element &e);
    void removeSelected();
    void moveSelected(QPoint delta);
    void setSelectedText(const QString &text);

    // Replaces the document as one step (used by the commands above and by undo).
    void apply(const sketch::Document &after, int selectAfter, const QString &what, int mergeId = -1);
    void restore(const sketch::Document &doc, int selected);

signals:
    void changed();
    void selectionChanged(int index);

private:
    sketch::Document m_doc;
    int m_selected = -1;
    QUndoStack m_undo;
};
