#pragma once

#include <QByteArray>
#include <QString>

// Texts of the old tables are single bytes in the code page their header
// names; Windows-1252 is the usual one.
class CodePage {
public:
    // A code page as the table header gives it; 0 (not recorded) counts as Windows-1252.
    explicit CodePage(int number);
    ~CodePage();
    CodePage(const CodePage &) = delete;
    CodePage &operator=(const CodePage &) = delete;

    int number() const { return m_number; }
    // False when the code page is neither Windows-1252 nor known to the system's converter.
    bool isSupported() const { return m_supported; }

    QString decode(const QByteArray &bytes) const;

private:
    int m_number;
    bool m_supported = true;
    void *m_iconv = nullptr;  // for code pages other than 1252
};
