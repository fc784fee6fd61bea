#pragma once

#include "pagebase.h"

class QCheckBox;
class QLabel;
class QPushButton;
class RecordStore;
class SketchModule;

// The page "Zeichnung": the sketch of the installation site, drawn by the
// sketch module at half size, the switch that prints it with the protocol,
// and "Zeichnen" (or a double click on the picture) to edit it in the module.
class SketchPage : public PageBase {
    Q_OBJECT
public:
    SketchPage(RecordStore *records, SketchModule *module, QWidget *parent = nullptr);

    // Edits the current record's sketch in the module, writes the lines back,
    // switches "Zeichnung drucken" on (saying so) and saves the record.
    void zeichnbtnClick();
    // Draws the current record's sketch into the picture area.
    void drawPreview();

    QLabel *picture() const { return m_picture; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPrintSwitch();

    RecordStore *m_records;
    SketchModule *m_module;
    QPushButton *m_draw = nullptr;
    QCheckBox *m_print = nullptr;
    QLabel *m_picture = nullptr;
};
