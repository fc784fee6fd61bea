#pragma once

#include <QString>
#include <QStringList>

// A settings file of sections and keys ("[section]" lines, then "key=value"
// lines), read and written by hand because section and key names are matched
// without regard to case and a write must keep every other line as it was.
//
// Values are taken as they stand after the first '='; keys are trimmed.
// Files are read as UTF-8, or as Windows-1252 when they are not valid UTF-8,
// and written as UTF-8 through a temporary file that replaces the old one.
class SettingsFile {
public:
    SettingsFile() = default;
    explicit SettingsFile(const QString &path) : m_path(path) {}

    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }

    // Reads the file; false when it is missing or unreadable (then empty).
    bool load();
    // Writes the file atomically; false (with errorString) when it cannot be
    // written.  A file that exists but could not be read by the last load() is
    // not replaced: its lines are unknown and would be lost.
    bool save();
    QString errorString() const { return m_error; }

    bool contains(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key, const QString &fallback = QString()) const;
    // Replaces the value of an existing key (the line is rewritten with `key` as
    // spelled here), or adds the key at the end of its section, or adds the
    // section (spelled as here) at the end of the file.  Line breaks in the
    // value are written as blanks, so that the value stays on its own line.
    void setValue(const QString &section, const QString &key, const QString &value);

    QStringList lines() const { return m_lines; }

private:
    int findSection(const QString &section) const;   // line index of "[section]", -1
    int findKey(int sectionLine, const QString &key) const;
    int sectionEnd(int sectionLine) const;            // first line after the section's last key

    QString m_path;
    QString m_error;
    QStringList m_lines;
    bool m_unread = false;   // the file exists, but load() could not read it
};
