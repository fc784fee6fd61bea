#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// A settings file of sections and keys ("[section]" lines, then "key=value"
// lines), read and written by hand because section and key names are matched
// without regard to case and a write must keep every other line as it was.
//
// Values are taken as they stand after the first '='; keys are trimmed.
//
// A file keeps its own form: one written by an older program in Windows-1252
// with CR LF stays so, a UTF-8 or UTF-16 file (with or without byte order
// mark) stays so.  Each line of a byte-oriented file is read as UTF-8 when it
// is valid UTF-8 and as Windows-1252 otherwise, so that a file holding both
// reads right; lines nobody changed are written back byte for byte.  The file
// is only written when a value really changed, through a temporary file that
// replaces the old one.
class SettingsFile {
public:
    SettingsFile() = default;
    explicit SettingsFile(const QString &path) : m_path(path) {}

    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }

    // Reads the file; false when it is missing or unreadable (then empty).
    // Only a regular file of at most kMaxBytes is read: anything else standing
    // under the name (a pipe, a device such as /dev/zero, a folder, a file too
    // large for settings) counts as missing, is never written over, and is
    // reported once per run through the warning handler.
    bool load();
    // Writes the file atomically when a value changed since load(); false
    // (with errorString) when it cannot be written.  A file that exists but could not be read by the last load() is
    // not replaced: its lines are unknown and would be lost.
    bool save();
    // Why the last load() or save() failed, in German sentences.
    QString errorString() const { return m_error; }

    static constexpr qint64 kMaxBytes = 1 << 20;
    // Shows a warning about a settings file that cannot be read although it
    // exists; given once per file and run.  Without a handler nothing is shown.
    static void setWarningHandler(std::function<void(const QString &)> handler);

    bool contains(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key, const QString &fallback = QString()) const;
    // Replaces the value of an existing key (the line is rewritten with `key` as
    // spelled here), or adds the key at the end of its section, or adds the
    // section (spelled as here) at the end of the file.  Writing the value a
    // key already has changes nothing.  Line breaks in the
    // value are written as blanks, so that the value stays on its own line.
    void setValue(const QString &section, const QString &key, const QString &value);

    QStringList lines() const { return m_lines; }

private:
    int findSection(const QString &section) const;   // line index of "[section]", -1
    int findKey(int sectionLine, const QString &key) const;
    int sectionEnd(int sectionLine) const;            // first line after the section's last key
    void insertLine(qsizetype at, const QString &text);
    QByteArray encoded() const;

    enum class Encoding { Utf8, Windows1252, Utf16LE, Utf16BE };

    QString m_path;
    QString m_error;
    QStringList m_lines;
    QList<std::optional<QByteArray>> m_raw;  // per line: its bytes as read; none when changed or new
    bool m_unread = false;    // the file exists, but load() could not read it
    QString m_unreadWhy;
    bool m_changed = false;
    Encoding m_encoding = Encoding::Utf8;   // of a new file too
    bool m_byteOrderMark = false;
    QByteArray m_lineEnd = "\n";            // the file's first line end
    bool m_finalLineEnd = true;             // the last line ends with a line end
};
