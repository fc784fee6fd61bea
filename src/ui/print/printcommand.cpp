#include "printcommand.h"

#include "messagebox.h"
#include "previewwindow.h"
#include "printing.h"
#include "recordstore.h"

#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>
#include <QScopeGuard>

// The record table narrowed to the current record for the length of a run,
// and everything put back when the run ends, however it ends: the filter off,
// the same record current, the main window's controls following the table.
class PrintCommand::Narrowing {
public:
    explicit Narrowing(const Environment &env)
        : m_env(env)
        , m_key(env.store->currentKey())
    {
        if (m_env.followTable)
            m_env.followTable(false);
        m_env.store->restrictToKey(m_key);
    }
    ~Narrowing() { restore(); }

    void restore()
    {
        if (m_restored)
            return;
        m_restored = true;
        m_env.store->liftRestriction();
        m_env.store->goToKey(m_key);
        if (m_env.followTable)
            m_env.followTable(true);
    }

private:
    const Environment &m_env;
    int m_key;
    bool m_restored = false;
};

PrintCommand::PrintCommand(Environment environment, QObject *parent)
    : QObject(parent)
    , m_env(std::move(environment))
    , m_protocols(m_env.protocols)
{
    printDialog = [](QPrinter &printer, int pageCount, QWidget *parent) {
        return report::showPrintDialog(printer, pageCount, parent);
    };
    pdfFileName = [](QWidget *parent, const QString &proposed) {
        return QFileDialog::getSaveFileName(parent, u"Als PDF speichern"_qs, proposed, u"PDF-Dateien (*.pdf)"_qs);
    };
}

PrintCommand::~PrintCommand() = default;

QPrinter &PrintCommand::printer(bool installationRoom)
{
    std::unique_ptr<QPrinter> &p = m_printers[installationRoom ? 1 : 0];
    if (!p) {
        p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setPageSize(QPageSize(QPageSize::A4));
        p->setPageOrientation(QPageLayout::Portrait);
        p->setCopyCount(1);
        p->setPrintRange(QPrinter::AllPages);
        p->setDocName(installationRoom ? report::Tarrepform::reportTitle() : u"Protokoll Luftverbund"_qs);
    }
    return *p;
}

void PrintCommand::run(bool print)
{
    if (m_running || !m_env.store || !m_env.store->isOpen() || !m_protocols)
        return;
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });

    // A refused save question ends the command without a message of its own.
    if (m_env.finishEditing && !m_env.finishEditing())
        return;
    if (m_env.store->currentRow() < 0)
        return;
    if (!report::Protocols::mayPrint(m_env.store->current())) {
        MessageBox::instance().ask(PromptKind::Confirmation, report::Protocols::notCalculatedMessage(), PromptButton::Ok,
                                   PromptButton::Ok);
        return;
    }
    if (m_env.finishRemarks)
        m_env.finishRemarks();

    try {
        Narrowing narrowing(m_env);
        const Record record = m_env.store->current();
        if (print)
            this->print(record);
        else
            preview(record);
    } catch (const std::exception &e) {
        // The table is back as it was before the message appears.
        MessageBox::error(QString::fromLocal8Bit(e.what()));
    }
}

void PrintCommand::print(const Record &record)
{
    QPrinter &printer = this->printer(report::Protocols::isInstallationRoom(record));
    // Laid out once so that the dialog knows the page count, then laid out
    // again for the printer with the finer sketch.
    const int pageCount = int(m_protocols->layOut(record, m_sketchScale).size());
    const bool confirmed = printDialog(printer, pageCount, m_env.window);
    if (!confirmed)
        return;
    m_sketchScale = report::kPrintSketchScale;
    const auto back = qScopeGuard([this] { m_sketchScale = report::kPreviewSketchScale; });
    const std::vector<report::Page> pages = m_protocols->layOut(record, m_sketchScale);
    QString error;
    if (!report::printPages(printer, pages, m_env.window, &error))
        MessageBox::error(error);
}

void PrintCommand::preview(const Record &record)
{
    auto *window = new PreviewWindow(report::Protocols::title(record), m_env.window);
    QEventLoop loop;
    bool closed = false;
    connect(window, &PreviewWindow::closed, &loop, [&] {
        closed = true;
        loop.quit();
    });
    connect(window, &PreviewWindow::printRequested, &loop, [this, window] { printFromPreview(window); });
    connect(window, &PreviewWindow::pdfRequested, &loop, [this, window] { savePdf(window); });
    window->showMaximized();
    try {
        // Each page appears in the window as soon as it is laid out.
        m_protocols->layOut(record, m_sketchScale, [window](int, const report::Page &page) { window->addPage(page); });
    } catch (...) {
        window->close();
        throw;
    }
    emit previewShown(window);
    if (!closed)
        loop.exec();
}

void PrintCommand::printFromPreview(PreviewWindow *window)
{
    const Record &record = m_env.store->current();
    QPrinter &printer = this->printer(report::Protocols::isInstallationRoom(record));
    if (!printDialog(printer, window->pageCount(), window))
        return;
    QString error;
    if (!report::printPages(printer, window->pages(), window, &error))
        MessageBox::error(error);
}

void PrintCommand::savePdf(PreviewWindow *window)
{
    const Record &record = m_env.store->current();
    static QString lastFolder = QDir::homePath();
    const QString proposed = QDir(lastFolder).filePath(report::proposedPdfFileName(record, QDate::currentDate()));
    QString path = pdfFileName(window, proposed);
    if (path.isEmpty())
        return;
    if (!path.endsWith(u".pdf"_qs, Qt::CaseInsensitive))
        path += u".pdf"_qs;
    lastFolder = QFileInfo(path).absolutePath();
    QString error;
    if (!report::writePdf(window->pages(), path, m_protocols->pdfInfo(record), &error))
        MessageBox::error(error);
}
