#include "sketchcanvas.h"

#include "sketchmodel.h"
#include "sketchrender.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

using namespace sketch;

namespace {

constexpr int kSnap = 5;       // 12.5 cm
constexpr int kGrid = 10;      // 25 cm
constexpr int kMetre = 40;

bool isTwoPointTool(Kind k)
{
    Element e;
    e.kind = k;
    return e.hasTwoPoints();
}

QString defaultText(Kind k)
{
    switch (k) {
    case Kind::Appliance: return u"Gasfeuerstätte"_qs;
    case Kind::Label: return u"Text"_qs;
    default: return QString();
    }
}

} // namespace

SketchCanvas::SketchCanvas(SketchModel *model, QWidget *parent) : QWidget(parent), m_model(model)
{
    setObjectName(u"zeichenflaeche"_qs);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(model, &SketchModel::changed, this, qOverload<>(&QWidget::update));
    connect(model, &SketchModel::selectionChanged, this, [this] {
        update();
        updateStatus();
    });
}

QSize SketchCanvas::sizeHint() const
{
    return QSize(kWidth * 3 / 2 + 2, kHeight * 3 / 2 + 2);
}

QSize SketchCanvas::minimumSizeHint() const
{
    return QSize(kWidth + 2, kHeight + 2);
}

double SketchCanvas::scale() const
{
    return std::max(0.1, std::min((width() - 2) / double(kWidth), (height() - 2) / double(kHeight)));
}

QPointF SketchCanvas::origin() const
{
    const double s = scale();
    return QPointF((width() - kWidth * s) / 2, (height() - kHeight * s) / 2);
}

QPointF SketchCanvas::toUnits(QPointF widgetPos) const
{
    return (widgetPos - origin()) / scale();
}

QPointF SketchCanvas::toWidget(QPointF units) const
{
    return origin() + units * scale();
}

QPoint SketchCanvas::snapped(QPointF units, Qt::KeyboardModifiers mods) const
{
    const int step = (mods & Qt::ShiftModifier) ? 1 : kSnap;
    auto snap = [step](double v, int hi) { return std::clamp(int(std::lround(v / step)) * step, 0, hi); };
    return QPoint(snap(units.x(), kWidth), snap(units.y(), kHeight));
}

void SketchCanvas::setTool(Kind tool)
{
    m_tool = tool;
    m_anchor.reset();
    if (tool != Kind::Unknown)
        m_model->select(-1);
    update();
    updateStatus();
}

Element SketchCanvas::newElement(QPoint a, QPoint b) const
{
    Element e;
    e.kind = m_tool;
    e.a = a;
    if (e.hasTwoPoints())
        e.b = b;
    e.text = defaultText(m_tool);
    return e;
}

void SketchCanvas::setPoint(QPoint p)
{
    m_cursor = p;
    if (m_tool == Kind::Unknown)
        return;
    if (!isTwoPointTool(m_tool)) {
        m_model->add(newElement(p, p));
        if (m_model->selectedElement() && m_model->selectedElement()->hasText())
            emit textWanted();
        return;
    }
    if (!m_anchor) {
        m_anchor = p;
        m_hover = p;
        updateStatus();
        update();
        return;
    }
    finishTwoPoint(p);
}

void SketchCanvas::finishTwoPoint(QPoint end)
{
    const QPoint start = *m_anchor;
    m_anchor.reset();
    if (end != start) {
        m_model->add(newElement(start, end));
        if (m_tool == Kind::Room)
            emit textWanted();
    }
    updateStatus();
    update();
}

// --- painting ---------------------------------------------------------------------

void SketchCanvas::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window).darker(110));
    const double s = scale();
    const QPointF o = origin();
    const QRectF area(o, QSizeF(kWidth * s, kHeight * s));
    p.fillRect(area, Qt::white);

    // The grid: 25 cm dotted, every metre a light line.
    p.setPen(QPen(QColor(225, 225, 225), 0));
    for (int x = 0; x <= kWidth; x += kMetre)
        p.drawLine(toWidget(QPointF(x, 0)), toWidget(QPointF(x, kHeight)));
    for (int y = 0; y <= kHeight; y += kMetre)
        p.drawLine(toWidget(QPointF(0, y)), toWidget(QPointF(kWidth, y)));
    p.setPen(QPen(QColor(170, 170, 170), 0));
    for (int x = 0; x <= kWidth; x += kGrid)
        for (int y = 0; y <= kHeight; y += kGrid)
            p.drawPoint(toWidget(QPointF(x, y)));

    // The sketch as it will be printed, with a move under way shown in place.
    p.save();
    p.translate(o);
    p.scale(s, s);
    p.setRenderHint(QPainter::Antialiasing, true);
    Document shown = m_model->document();
    if (m_dragFrom && m_model->selectedElement())
        shown.elements[m_model->selected()] = m_model->selectedElement()->moved(m_dragDelta);
    sketch::render(p, shown);
    if (m_anchor) {
        p.setOpacity(0.6);
        renderElement(p, newElement(*m_anchor, m_hover));
        p.setOpacity(1);
    }
    p.restore();

    // The selection.
    if (m_model->selectedElement()) {
        const Element &e = shown.elements[m_model->selected()];
        QPen dashed(QColor(0, 90, 200), 1, Qt::DashLine);
        p.setPen(dashed);
        p.setBrush(Qt::NoBrush);
        const QRectF r(toWidget(e.bounds().topLeft()), toWidget(e.bounds().bottomRight() + QPoint(1, 1)));
        p.drawRect(r.adjusted(-2, -2, 2, 2));
        p.setBrush(QColor(0, 90, 200));
        for (QPoint handle : e.hasTwoPoints() ? QList<QPoint>{e.a, e.b} : QList<QPoint>{e.a})
            p.drawRect(QRectF(toWidget(handle) - QPointF(3, 3), QSizeF(6, 6)));
    }

    // The keyboard's cross-hair while drawing.
    if (hasFocus() && m_tool != Kind::Unknown) {
        const QPointF c = toWidget(m_cursor);
        p.setPen(QPen(QColor(200, 0, 0), 1));
        p.drawLine(c - QPointF(8, 0), c + QPointF(8, 0));
        p.drawLine(c - QPointF(0, 8), c + QPointF(0, 8));
    }
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

// --- mouse ------------------------------------------------------------------------

void SketchCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF units = toUnits(event->position());
    if (m_tool == Kind::Unknown) {
        const int hit = m_model->elementAt(units, std::max(4.0, 6 / scale()));
        m_model->select(hit);
        if (hit >= 0) {
            m_dragFrom = snapped(units, event->modifiers());
            m_dragDelta = QPoint();
        }
        return;
    }
    const QPoint p = snapped(units, event->modifiers());
    if (isTwoPointTool(m_tool)) {
        if (m_anchor) {
            // The line was started by a click or the keyboard: this click ends it.
            if (p != *m_anchor)
                finishTwoPoint(p);
            return;
        }
        m_anchor = p;
        m_hover = p;
        m_cursor = p;
        updateStatus();
        update();
    } else {
        setPoint(p);
    }
}

void SketchCanvas::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = snapped(toUnits(event->position()), event->modifiers());
    if (m_dragFrom) {
        m_dragDelta = p - *m_dragFrom;
        update();
    } else if (m_anchor) {
        m_hover = p;
        update();
    }
}

void SketchCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = snapped(toUnits(event->position()), event->modifiers());
    if (m_dragFrom) {
        const QPoint delta = p - *m_dragFrom;
        m_dragFrom.reset();
        m_dragDelta = QPoint();
        m_model->moveSelected(delta);
        update();
    } else if (m_anchor && p != *m_anchor) {
        // Released away from where it started: a drag drew the line.
        finishTwoPoint(p);
    }
    // Released where it started: the line goes on from there with the next click.
}

void SketchCanvas::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (m_tool == Kind::Unknown) {
        mousePressEvent(event);
        if (m_model->selectedElement() && m_model->selectedElement()->hasText())
            emit textWanted();
    }
}

// --- keyboard ---------------------------------------------------------------------

void SketchCanvas::keyPressEvent(QKeyEvent *event)
{
    const int step = (event->modifiers() & Qt::ShiftModifier) ? 1 : kSnap;
    QPoint delta;
    switch (event->key()) {
    case Qt::Key_Left: delta = QPoint(-step, 0); break;
    case Qt::Key_Right: delta = QPoint(step, 0); break;
    case Qt::Key_Up: delta = QPoint(0, -step); break;
    case Qt::Key_Down: delta = QPoint(0, step); break;
    case Qt::Key_PageDown: m_model->selectNext(1); return;
    case Qt::Key_PageUp: m_model->selectNext(-1); return;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        m_model->removeSelected();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_tool != Kind::Unknown) {
            setPoint(m_cursor);
            return;
        }
        if (m_model->selectedElement() && m_model->selectedElement()->hasText()) {
            emit textWanted();
            return;
        }
        break;
    case Qt::Key_Escape:
        if (m_anchor) {
            m_anchor.reset();
            updateStatus();
            update();
            return;
        }
        break;
    default:
        break;
    }
    if (!delta.isNull()) {
        if (m_tool == Kind::Unknown && m_model->selectedElement()) {
            m_model->moveSelected(delta);
        } else {
            m_cursor = QPoint(std::clamp(m_cursor.x() + delta.x(), 0, kWidth),
                              std::clamp(m_cursor.y() + delta.y(), 0, kHeight));
            if (m_anchor)
                m_hover = m_cursor;
            update();
            updateStatus();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void SketchCanvas::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
    updateStatus();
}

void SketchCanvas::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void SketchCanvas::updateStatus()
{
    QString text;
    const auto metres = [](int units) { return QLocale(QLocale::German).toString(units * kMetresPerUnit, 'f', 2); };
    if (m_tool == Kind::Unknown) {
        if (const Element *e = m_model->selectedElement())
            text = displayName(e->kind) + u" gewählt – Pfeiltasten verschieben, Entf löscht, Bild auf/ab wählt das nächste Element."_qs;
        else
            text = u"Element anklicken oder mit Bild auf/ab wählen."_qs;
    } else if (m_anchor) {
        text = displayName(m_tool) + u": Endpunkt mit der Maus oder mit Pfeiltasten und Eingabetaste setzen (Esc bricht ab)."_qs;
    } else {
        text = displayName(m_tool) + u": Punkt mit der Maus oder mit Pfeiltasten und Eingabetaste setzen."_qs;
    }
    emit statusMessage(text + u"  Position "_qs + metres(m_cursor.x()) + u" m / "_qs + metres(m_cursor.y()) + u" m"_qs);
}
