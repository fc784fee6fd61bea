#pragma once

#include "sketchdocument.h"

#include <QWidget>
#include <optional>

class SketchModel;

// The drawing area of the sketch editor: the 600 x 400 units of the sketch,
// scaled to fit the widget, on a grid of 25 cm with a stronger line each
// metre.  Points snap to 12.5 cm (Shift: to one unit, 2.5 cm).
//
// Mouse: with "Auswahl" a click selects the element under the pointer and a
// drag moves it; with a drawing tool a drag draws a line, room, door, window,
// opening or dimension, and a click places a symbol or a label.
// Keyboard: the arrow keys move the selected element, or, with a drawing
// tool, the cross-hair; Enter or Space sets a point there (two points for a
// line); Page Down / Page Up select the next / previous element; Del deletes
// it; Escape drops a started line.
class SketchCanvas : public QWidget {
    Q_OBJECT
public:
    // The tool: Unknown stands for "Auswahl" (select and move).
    explicit SketchCanvas(SketchModel *model, QWidget *parent = nullptr);

    void setTool(sketch::Kind tool);
    sketch::Kind tool() const { return m_tool; }

    QPoint crossHair() const { return m_cursor; }
    bool hasStartedLine() const { return m_anchor.has_value(); }

    // Device pixels per unit and the top left of the drawing area.
    double scale() const;
    QPointF origin() const;
    QPointF toUnits(QPointF widgetPos) const;
    QPointF toWidget(QPointF units) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A text element was placed or asked to be edited: the editor puts the
    // caret into its caption field.
    void textWanted();
    void statusMessage(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QPoint snapped(QPointF units, Qt::KeyboardModifiers mods) const;
    void setPoint(QPoint p);                 // a point set by click or Enter
    void finishTwoPoint(QPoint end);
    sketch::Element newElement(QPoint a, QPoint b) const;
    void updateStatus();

    SketchModel *m_model;
    sketch::Kind m_tool = sketch::Kind::Unknown;
    QPoint m_cursor{300, 200};               // the keyboard's cross-hair, in units
    std::optional<QPoint> m_anchor;          // first point of a line being drawn
    QPoint m_hover;                          // where the line being drawn ends for now
    std::optional<QPoint> m_dragFrom;        // a move with the mouse under way
    QPoint m_dragDelta;
};
