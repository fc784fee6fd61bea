#pragma once

#include "dialogbase.h"
#include "sketchdocument.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class SketchCanvas;
class SketchModel;

// The modal editor "Skizze bearbeiten" of our own sketch module: a tool for
// each kind of element beside the drawing area, the caption of the selected
// element, undo and redo, delete, and "OK" / "Abbrechen".  Every tool has an
// Alt letter; Ctrl+Z and Ctrl+Y undo and redo.  "Abbrechen" or Escape after
// changes asks before the changes are dropped.
class SketchEditor : public DialogBase {
    Q_OBJECT
public:
    explicit SketchEditor(QWidget *parent = nullptr);
    ~SketchEditor() override;

    void setLines(const QStringList &lines);
    // The lines to store: as given when nothing was changed.
    QStringList lines() const;

    SketchModel *model() const { return m_model; }
    SketchCanvas *canvas() const { return m_canvas; }
    QToolButton *toolButton(sketch::Kind kind) const;

    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectionShown();

    SketchModel *m_model;
    SketchCanvas *m_canvas;
    QButtonGroup *m_tools;
    QLineEdit *m_caption;
    QPushButton *m_undo;
    QPushButton *m_redo;
    QPushButton *m_delete;
    QLabel *m_status;
    QStringList m_original;
};
