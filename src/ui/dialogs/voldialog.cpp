#include "voldialog.h"

#include "dialogbuttons.h"
#include "messagebox.h"
#include "numberformat.h"
#include "tablestore.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TVolDialog::TVolDialog(QWidget *parent)
    : DialogBase(parent)
{
    setObjectName(u"TVolDialog"_qs);
    setWindowTitle(u"Raumvolumen berechnen"_qs);
    setModal(true);
    setHelpTopic(u"::/raumvolumen berechnen.htm"_qs);

    auto edit = [this](const char *name) {
        auto *e = new QLineEdit(u"0"_qs, this);
        e->setObjectName(QString::fromLatin1(name));
        e->setFixedWidth(QFontMetrics(font()).averageCharWidth() * 12);
        return e;
    };
    m_length = edit("ledit");
    m_width = edit("bedit");
    m_height = edit("hedit");
    m_volume = edit("vedit");
    m_volume->setReadOnly(true);
    m_volume->setEnabled(false);

    auto *grid = new QGridLayout;
    int row = 0;
    for (auto [label, e] : {std::pair{u"&Länge"_qs, m_length}, std::pair{u"&Breite"_qs, m_width},
                            std::pair{u"H&öhe"_qs, m_height}, std::pair{u"Volumen"_qs, m_volume}}) {
        auto *l = new QLabel(label, this);
        if (e != m_volume)
            l->setBuddy(e);
        grid->addWidget(l, row, 0);
        grid->addWidget(e, row, 1);
        ++row;
    }
    grid->setRowStretch(row, 1);

    const DialogButtons buttons = makeDialogButtons(this, Qt::Vertical);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(16);
    layout->addLayout(buttons.layout);

    for (QLineEdit *e : {m_length, m_width, m_height}) {
        connect(e, &QLineEdit::textChanged, this, &TVolDialog::recompute);
        // A full stop typed or pasted into a dimension is its decimal comma,
        // as in the volume fields of the pages.
        connect(e, &QLineEdit::textEdited, this, [e](const QString &text) {
            if (!text.contains(u'.'))
                return;
            const int cursor = e->cursorPosition();
            QString comma = text;
            comma.replace(u'.', u',');
            e->setText(comma);
            e->setCursorPosition(cursor);
        });
    }
    connect(this, &QDialog::finished, this, [this](int result) {
        // Taken out first: the follow-up may open the dialog again.
        auto done = std::exchange(m_done, {});
        if (done)
            done(result == QDialog::Accepted);
    });
}

void TVolDialog::calculate(TableStore *store, const roomvolume::RoomFields &room, double defaultHeight,
                           std::function<void(bool)> done)
{
    m_store = store;
    m_room = room;
    m_done = std::move(done);
    const Record &r = store->current();
    m_length->setText(roomvolume::offeredDimension(r, room.length));
    m_width->setText(roomvolume::offeredDimension(r, room.width));
    m_height->setText(roomvolume::offeredHeight(r, room.height, defaultHeight));
    recompute();
    open();
    m_length->setFocus();
    m_length->selectAll();
}

void TVolDialog::recompute()
{
    m_volume->setText(roomvolume::volumeText(m_length->text(), m_width->text(), m_height->text()));
}

void TVolDialog::accept()
{
    if (!m_store)
        return;
    // Every dimension must be a number before anything is written, so that
    // the room never keeps a volume that does not match its dimensions.
    const std::pair<QLineEdit *, QString> dims[] = {
        {m_length, m_room.length}, {m_width, m_room.width}, {m_height, m_room.height}};
    for (const auto &[e, field] : dims) {
        double v = 0.0;
        if (!numfmt::parse(e->text(), &v)) {
            MessageBox::error(floatConversionMessage(e->text(), field));
            e->setFocus();
            e->selectAll();
            return;
        }
    }
    if (!m_store->edit())
        return;
    m_store->setFieldText(m_room.volume, m_volume->text());
    for (const auto &[e, field] : dims)
        m_store->setFieldText(field, e->text());
    DialogBase::accept();
}
