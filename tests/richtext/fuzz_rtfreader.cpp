// libFuzzer target for the RTF reader: every input must read without a crash
// or a hang, and what was read must come back unchanged through the writer.
// Built with clang only on request (scripts/fuzz-rtf.sh).

#include "docdescription.h"
#include "rtf.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    rtf::read(input, &doc);
    const QByteArray written = rtf::write(doc);
    if (doc.isEmpty())
        return written.isEmpty() ? 0 : (abort(), 0);
    QTextDocument back;
    back.setDefaultFont(doc.defaultFont());
    rtf::read(written, &back);
    if (describeDocument(back) != describeDocument(doc)) {
        fprintf(stderr, "read:\n%s\nwritten and read again:\n%s\n", qPrintable(describeDocument(doc)),
                qPrintable(describeDocument(back)));
        abort();
    }
    return 0;
}
