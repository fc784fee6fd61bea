#include "exportfilepreview.h"

#include "dialogbuttons.h"
#include "tabchain.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace addressimport;

namespace {

// The fields an export file can set, as the general data page names them.
struct Row {
    const char16_t *field;
    const char16_t *label;
};
constexpr Row kRows[] = {
    {u"E_anrede", u"Eigentümer: Anrede"},  {u"E_Name", u"Eigentümer: Name"},
    {u"E_zusatz", u"Eigentümer: Zusatz"},  {u"E_strasse", u"Eigentümer: Straße"},
    {u"E_plz", u"Eigentümer: PLZ"},        {u"E_ort", u"Eigentümer: Ort"},
    {u"E_tel", u"Eigentümer: Tel."},       {u"E_fax", u"Eigentümer: Fax"},
    {u"A_strasse", u"Aufstellort: Straße"}, {u"A_Plz", u"Aufstellort: PLZ"},
    {u"A_Ort", u"Aufstellort: Ort"},
};

} // namespace

ExportFilePreviewDialog::ExportFilePreviewDialog(const QString &path, const QStringList &lines,
                                                 const Record &current, QWidget *parent)
    : DialogBase(parent), m_lines(lines), m_current(current)
{
    setObjectName(u"exportvorschau"_qs);
    setWindowTitle(u"Exportdatei übernehmen"_qs);
    setModal(true);
    setHelpTopic(u"::/adressimport.htm"_qs);

    auto *file = new QLabel(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), this);
    file->setObjectName(u"dateiname"_qs);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_kind = new QComboBox(this);
    m_kind->setObjectName(u"herkunftcombo"_qs);
    m_kind->addItem(u"SchoCom (AbnSch.EXP)"_qs, int(Source::SchoCom));
    m_kind->addItem(u"Abnahme oder Abnahme II (export.txt)"_qs, int(Source::Abnahme));
    m_kindHint = new QLabel(this);
    m_kindHint->setObjectName(u"herkunfthinweis"_qs);
    const std::optional<Source> byName = sourceFromFileName(path);
    m_hintPrefix = byName ? u"Aus dem Dateinamen erkannt.\n"_qs
                          : u"Der Dateiname nennt die Herkunft nicht, bitte wählen.\n"_qs;
    setSource(byName.value_or(Source::SchoCom));

    auto *form = new QFormLayout;
    form->addRow(u"Datei:"_qs, file);
    auto *kindLabel = new QLabel(u"Her&kunft:"_qs, this);
    kindLabel->setBuddy(m_kind);
    form->addRow(kindLabel, m_kind);
    form->addRow(QString(), m_kindHint);

    m_table = new QTableWidget(int(std::size(kRows)), 3, this);
    m_table->setObjectName(u"vorschautabelle"_qs);
    m_table->setHorizontalHeaderLabels({u"Feld"_qs, u"Bisher im Datensatz"_qs, u"Aus der Exportdatei"_qs});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    for (int r = 0; r < int(std::size(kRows)); ++r)
        m_table->setItem(r, 0, new QTableWidgetItem(QString::fromUtf16(kRows[r].label)));

    // The take-over is this window's "OK".
    const DialogButtons buttons = makeDialogButtons(this);
    m_take = buttons.ok;
    m_take->setText(u"&Übernehmen"_qs);
    m_take->setObjectName(u"uebernehmenbtn"_qs);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons.layout);

    connect(m_kind, &QComboBox::currentIndexChanged, this, [this] {
        m_hintPrefix.clear();
        refresh();
    });
    setTabChain({m_kind, buttons.ok, buttons.cancel, buttons.help});

    refresh();
    // Every row visible without scrolling, and a whole field of 30 characters
    // (in bold, as a changed value is shown) in both value columns.
    QFont bold = m_table->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    m_table->verticalHeader()->setDefaultSectionSize(metrics.lineSpacing() + 8);
    m_table->resizeColumnToContents(0);
    const int valueWidth = metrics.averageCharWidth() * 30 + 16;
    m_table->setMinimumSize(m_table->columnWidth(0) + 2 * valueWidth + 2 * m_table->frameWidth(),
                            int(std::size(kRows)) * m_table->verticalHeader()->defaultSectionSize()
                                + m_table->horizontalHeader()->sizeHint().height() + 2 * m_table->frameWidth());
    resize(minimumSizeHint());
}

Source ExportFilePreviewDialog::source() const
{
    return Source(m_kind->currentData().toInt());
}

void ExportFilePreviewDialog::setSource(Source source)
{
    // Abnahme II reads its file as Abnahme does.
    const Source kind = source == Source::SchoCom ? Source::SchoCom : Source::Abnahme;
    const QSignalBlocker block(m_kind);
    m_kind->setCurrentIndex(m_kind->findData(int(kind)));
    if (m_table)
        refresh();
}

QList<FieldValue> ExportFilePreviewDialog::values() const
{
    return fieldsFromLines(m_lines, sourceDef(source()).splitsPlaces);
}

void ExportFilePreviewDialog::refresh()
{
    m_kindHint->setText(m_hintPrefix
                        + u"Bei Abnahme werden Postleitzahl und Ort der Zeilen 7 und 12 getrennt,\n"
                          "bei SchoCom steht die ganze Zeile im Ort."_qs);

    const QList<FieldValue> fromFile = values();
    for (int r = 0; r < int(std::size(kRows)); ++r) {
        const QString field = QString::fromUtf16(kRows[r].field);
        const QString before = m_current.value(field).toString();
        auto *was = new QTableWidgetItem(before);
        auto *now = new QTableWidgetItem;
        std::optional<QString> value;
        for (const FieldValue &v : fromFile)
            if (v.field == field)
                value = storedValue(field, v.value);
        if (!value) {
            now->setText(u"(bleibt)"_qs);
            now->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
        } else {
            now->setText(value->isEmpty() ? u"(leer)"_qs : *value);
            QFont f = now->font();
            f.setBold(*value != before);
            f.setItalic(value->isEmpty());
            now->setFont(f);
        }
        m_table->setItem(r, 1, was);
        m_table->setItem(r, 2, now);
    }
    m_take->setEnabled(!fromFile.isEmpty());
}
