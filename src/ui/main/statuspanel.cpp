#include "statuspanel.h"

#include "record.h"

#include <QGridLayout>
#include <QLabel>

StatusPanel::StatusPanel(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(u"statuspanel"_qs);
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    setPalette(pal);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(8, 2, 8, 2);
    grid->setVerticalSpacing(0);
    grid->setHorizontalSpacing(16);

    auto boldLabel = [this](const QString &text) {
        auto *l = new QLabel(text, this);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        return l;
    };
    // Heading in the first column, then two columns of two lines each.
    grid->addWidget(boldLabel(u"Aufstellort"_qs), 0, 0);
    grid->addWidget(boldLabel(u"Eigentümer"_qs), 0, 3);
    const char *siteNames[4] = {"status_a_name", "status_a_gebteil", "status_a_strasse", "status_a_ort"};
    const char *ownerNames[4] = {"status_e_name", "status_e_zusatz", "status_e_strasse", "status_e_ort"};
    for (int i = 0; i < 4; ++i) {
        m_site[i] = new QLabel(this);
        m_site[i]->setObjectName(QString::fromLatin1(siteNames[i]));
        m_owner[i] = new QLabel(this);
        m_owner[i]->setObjectName(QString::fromLatin1(ownerNames[i]));
        // Record texts are shown as typed, never read as markup.  The columns
        // share the width of the window, so a narrow window cuts long texts
        // instead of growing wider than the screen.
        for (QLabel *l : {m_site[i], m_owner[i]}) {
            l->setTextFormat(Qt::PlainText);
            l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            l->setMinimumWidth(60);
        }
    }
    grid->addWidget(m_site[0], 0, 1);
    grid->addWidget(m_site[1], 1, 1);
    grid->addWidget(m_site[2], 0, 2);
    grid->addWidget(m_site[3], 1, 2);
    grid->addWidget(m_owner[0], 0, 4);
    grid->addWidget(m_owner[1], 1, 4);
    grid->addWidget(m_owner[2], 0, 5);
    grid->addWidget(m_owner[3], 1, 5);
    m_count = boldLabel(QString());
    m_count->setObjectName(u"status_anzahl"_qs);
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(m_count, 0, 6, 2, 1);
    m_notice = new QLabel(this);
    m_notice->setObjectName(u"status_hinweis"_qs);
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QFont noticeFont = m_notice->font();
    noticeFont.setBold(true);
    m_notice->setFont(noticeFont);
    m_notice->hide();
    // A line of its own under the record, across the whole panel.
    grid->addWidget(m_notice, 2, 0, 1, 7);
    // Each text column takes a fifth of the room the headings leave, the
    // rest stays free on the right, so the two blocks keep together.
    for (int column : {1, 2, 4, 5, 6})
        grid->setColumnStretch(column, 1);
    // 50 pixels high, or as high as two lines of the font need.
    setFixedHeight(qMax(50, grid->sizeHint().height()));
}

void StatusPanel::showRecord(const Record &r)
{
    auto join = [](const QString &plz, const QString &ort) {
        return plz.isEmpty() ? ort : plz + u' ' + ort;
    };
    m_site[0]->setText(r.text(u"A_Name"_qs));
    m_site[1]->setText(r.text(u"A_gebteil"_qs));
    m_site[2]->setText(r.text(u"A_strasse"_qs));
    m_site[3]->setText(join(r.text(u"A_Plz"_qs), r.text(u"A_Ort"_qs)));
    m_owner[0]->setText(r.text(u"E_Name"_qs));
    m_owner[1]->setText(r.text(u"E_zusatz"_qs));
    m_owner[2]->setText(r.text(u"E_strasse"_qs));
    m_owner[3]->setText(join(r.text(u"E_plz"_qs), r.text(u"E_ort"_qs)));
}

void StatusPanel::showCount(const QString &text)
{
    m_count->setText(text);
}

void StatusPanel::showNotice(const QString &text)
{
    if (text == m_notice->text() && m_notice->isVisibleTo(this) == !text.isEmpty())
        return;
    m_notice->setText(text);
    m_notice->setToolTip(text);
    m_notice->setVisible(!text.isEmpty());
    // The panel grows by the notice's line while there is one.
    setFixedHeight(qMax(50, layout()->sizeHint().height()));
}

QString StatusPanel::notice() const
{
    return m_notice->text();
}
