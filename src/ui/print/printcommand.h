#pragma once

#include "printsettings.h"
#include "protocols.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class PreviewWindow;
class QPrinter;
class QWidget;
class RecordStore;

// The command behind "Druck&vorschau", "&Drucken" and the toolbar's preview
// button: saves the current record, refuses an interconnection record that
// is not calculated, narrows the record table to the record, lays out the
// protocol of its mode and previews or prints it, and restores the table with
// the same current record on every way out.
class PrintCommand : public QObject {
    Q_OBJECT
public:
    struct Environment {
        RecordStore *store = nullptr;
        // Finishes editing the current record (typed texts, save question);
        // false when the user refused.
        std::function<bool()> finishEditing;
        // Finishes editing the standard-remarks table.
        std::function<void()> finishRemarks;
        // Lets the main window's data controls follow the record table, or not.
        std::function<void(bool follow)> followTable;
        // The protocols of the program (programprotocols.h); they must outlive the command.
        const report::Protocols *protocols = nullptr;
        QWidget *window = nullptr;  // parent of the dialogs
    };

    explicit PrintCommand(Environment environment, QObject *parent = nullptr);
    ~PrintCommand() override;

    // Druckvorschau1Click: a direct print (true) or a preview (false).
    // Returns when printing has finished or the preview window was closed.
    void run(bool print);
    bool isRunning() const { return m_running; }

    // The report's print settings: printer, copies, page range, orientation,
    // kept for the program's lifetime.
    QPrinter &printer(bool installationRoom);

    const report::Protocols &protocols() const { return *m_protocols; }
    void setProtocols(const report::Protocols *protocols) { m_protocols = protocols; }

    // The sketch scale s of the protocol being laid out: kPreviewSketchScale,
    // and kPrintSketchScale while a direct print is laid out.
    int sketchScale() const { return m_sketchScale; }

    // The print dialog; the platform's unless replaced (tests answer it).
    std::function<bool(QPrinter &printer, int pageCount, QWidget *parent)> printDialog;
    // Asks where to save the PDF, proposing a path; empty when cancelled.
    std::function<QString(QWidget *parent, const QString &proposed)> pdfFileName;

signals:
    // The preview window has its pages and is waiting for the user.
    void previewShown(PreviewWindow *window);

private:
    class Narrowing;

    void print(const Record &record);
    void preview(const Record &record);
    void printFromPreview(PreviewWindow *window);
    void savePdf(PreviewWindow *window);

    Environment m_env;
    const report::Protocols *m_protocols = nullptr;
    int m_sketchScale = report::kPreviewSketchScale;
    std::unique_ptr<QPrinter> m_printers[2];
    bool m_running = false;
};
