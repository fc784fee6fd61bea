#include "sketcheditor.h"

#include "messagebox.h"
#include "sketchcanvas.h"
#include "sketchmodel.h"
#include "sketchrender.h"
#include "tabchain.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

using namespace sketch;

namespace {

struct ToolDef {
    Kind kind;
    const char *name;
    const char16_t *caption;
};

const ToolDef kTools[] = {
    {Kind::Unknown, "auswahl", u"&Auswahl"},
    {Kind::Wall, "wand", u"&Wand"},
    {Kind::Room, "raum", u"&Raum"},
    {Kind::Door, "tuer", u"&Tür"},
    {Kind::Window, "fenster", u"&Fenster"},
    {Kind::Opening, "oeffnung", u"Öff&nung"},
    {Kind::Appliance, "geraet", u"&Gerät"},
    {Kind::Chimney, "schornstein", u"&Schornstein"},
    {Kind::Label, "text", u"Te&xt"},
    {Kind::Dimension, "mass", u"&Maß"},
};

// A small picture of what a tool draws, drawn by the sketch's own renderer.
QIcon toolIcon(Kind kind)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (kind == Kind::Unknown) {
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygon({QPoint(9, 5), QPoint(9, 26), QPoint(14, 21), QPoint(18, 29), QPoint(21, 27),
                                QPoint(17, 20), QPoint(24, 20)}));
        return QIcon(pm);
    }
    Element e;
    e.kind = kind;
    switch (kind) {
    case Kind::Wall: e.a = {2, 16}; e.b = {30, 16}; break;
    case Kind::Room: e.a = {4, 4}; e.b = {28, 28}; break;
    case Kind::Door:
    case Kind::Window:
    case Kind::Opening: {
        Element wall;
        wall.kind = Kind::Wall;
        wall.a = {1, 24};
        wall.b = {31, 24};
        renderElement(p, wall);
        e.a = {8, 24};
        e.b = {24, 24};
        break;
    }
    case Kind::Label:
        e.a = {3, 22};
        e.text = u"Ab"_qs;
        break;
    case Kind::Dimension:
        e.a = {3, 22};
        e.b = {29, 22};
        e.text = u" "_qs;
        break;
    default: e.a = {16, 16}; break;
    }
    if (kind == Kind::Appliance || kind == Kind::Chimney) {
        p.translate(16, 16);
        p.scale(kind == Kind::Appliance ? 1.0 : 1.4, kind == Kind::Appliance ? 1.0 : 1.4);
        e.a = {0, 0};
    }
    renderElement(p, e);
    return QIcon(pm);
}

} // namespace

SketchEditor::SketchEditor(QWidget *parent) : DialogBase(parent)
{
    setObjectName(u"skizzeneditor"_qs);
    setWindowTitle(u"Skizze bearbeiten"_qs);
    m_model = new SketchModel(this);
    m_canvas = new SketchCanvas(m_model, this);

    // The tools.
    m_tools = new QButtonGroup(this);
    m_tools->setExclusive(true);
    auto *toolColumn = new QVBoxLayout;
    QList<QWidget *> chain;
    for (const ToolDef &t : kTools) {
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(t.name) + u"btn"_qs);
        b->setText(QString::fromUtf16(t.caption));
        b->setIcon(toolIcon(t.kind));
        b->setIconSize(QSize(32, 32));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setCheckable(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_tools->addButton(b, int(t.kind));
        toolColumn->addWidget(b);
        chain << b;
    }
    toolColumn->addStretch(1);
    m_tools->button(int(Kind::Unknown))->setChecked(true);
    connect(m_tools, &QButtonGroup::idClicked, this, [this](int id) {
        m_canvas->setTool(Kind(id));
        m_canvas->setFocus(Qt::OtherFocusReason);
    });

    // The selected element's caption, undo, redo, delete.
    auto *captionLabel = new QLabel(u"&Beschriftung:"_qs, this);
    m_caption = new QLineEdit(this);
    m_caption->setObjectName(u"beschriftung"_qs);
    captionLabel->setBuddy(m_caption);
    connect(m_caption, &QLineEdit::textEdited, m_model, &SketchModel::setSelectedText);
    // Enter in the caption goes back to the drawing, not out of the dialog.
    m_caption->installEventFilter(this);

    m_undo = new QPushButton(u"Rüc&kgängig"_qs, this);
    m_undo->setObjectName(u"rueckgaengigbtn"_qs);
    m_redo = new QPushButton(u"Wieder&holen"_qs, this);
    m_redo->setObjectName(u"wiederholenbtn"_qs);
    m_delete = new QPushButton(u"&Löschen"_qs, this);
    m_delete->setObjectName(u"loeschenbtn"_qs);
    for (QPushButton *b : {m_undo, m_redo, m_delete})
        b->setAutoDefault(false);
    QUndoStack *undo = m_model->undoStack();
    connect(m_undo, &QPushButton::clicked, undo, &QUndoStack::undo);
    connect(m_redo, &QPushButton::clicked, undo, &QUndoStack::redo);
    connect(undo, &QUndoStack::canUndoChanged, m_undo, &QWidget::setEnabled);
    connect(undo, &QUndoStack::canRedoChanged, m_redo, &QWidget::setEnabled);
    connect(m_delete, &QPushButton::clicked, m_model, &SketchModel::removeSelected);
    m_undo->setEnabled(false);
    m_redo->setEnabled(false);
    for (const QKeySequence &keys : {QKeySequence(QKeySequence::Undo)})
        connect(new QShortcut(keys, this), &QShortcut::activated, undo, &QUndoStack::undo);
    for (const QKeySequence &keys : {QKeySequence(u"Ctrl+Y"_qs), QKeySequence(u"Ctrl+Shift+Z"_qs)})
        connect(new QShortcut(keys, this), &QShortcut::activated, undo, &QUndoStack::redo);

    auto *side = new QVBoxLayout;
    side->addWidget(captionLabel);
    side->addWidget(m_caption);
    side->addSpacing(12);
    side->addWidget(m_undo);
    side->addWidget(m_redo);
    side->addWidget(m_delete);
    side->addStretch(1);

    m_status = new QLabel(this);
    m_status->setObjectName(u"status"_qs);
    m_status->setWordWrap(true);
    connect(m_canvas, &SketchCanvas::statusMessage, m_status, &QLabel::setText);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(u"OK"_qs, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"okbtn"_qs);
    ok->setAutoDefault(false);
    QPushButton *cancel = buttons->addButton(u"Abbrechen"_qs, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"abbrechenbtn"_qs);
    cancel->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SketchEditor::reject);

    auto *middle = new QHBoxLayout;
    middle->addLayout(toolColumn);
    middle->addWidget(m_canvas, 1);
    middle->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(middle, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);

    connect(m_model, &SketchModel::selectionChanged, this, &SketchEditor::selectionShown);
    connect(m_model, &SketchModel::changed, this, &SketchEditor::selectionShown);
    connect(m_canvas, &SketchCanvas::textWanted, this, [this] {
        m_caption->setFocus(Qt::OtherFocusReason);
        m_caption->selectAll();
    });

    chain << m_canvas << m_caption << m_undo << m_redo << m_delete << ok << cancel;
    setTabChain(chain);
    selectionShown();
    m_canvas->setFocus(Qt::OtherFocusReason);
}

SketchEditor::~SketchEditor() = default;

QToolButton *SketchEditor::toolButton(Kind kind) const
{
    return qobject_cast<QToolButton *>(m_tools->button(int(kind)));
}

void SketchEditor::setLines(const QStringList &lines)
{
    m_original = lines;
    m_model->setDocument(parse(lines));
}

QStringList SketchEditor::lines() const
{
    if (!m_model->isModified())
        return m_original;
    return serialize(m_model->document());
}

void SketchEditor::selectionShown()
{
    const Element *e = m_model->selectedElement();
    m_delete->setEnabled(e != nullptr);
    const bool text = e && e->hasText();
    m_caption->setEnabled(text);
    const QString shown = text ? e->text : QString();
    if (m_caption->text() != shown)
        m_caption->setText(shown);
}

bool SketchEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_caption && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_canvas->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return DialogBase::eventFilter(watched, event);
}

void SketchEditor::reject()
{
    if (m_model->isModified()
        && MessageBox::question(u"Die Änderungen an der Skizze verwerfen?"_qs, PromptButton::Yes | PromptButton::No,
                                PromptButton::No)
               != PromptButton::Yes)
        return;
    DialogBase::reject();
}
