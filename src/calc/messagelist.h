#pragma once

#include <QString>
#include <QStringList>

// The findings of the interconnection check, line by line, as the message
// window "Meldungen" shows them.
class MessageList {
public:
    // Title, text and an empty line.
    void addProblem(const QString &title, const QString &text)
    {
        m_lines << title << text << QString();
    }
    void addLine(const QString &text) { m_lines << text; }
    void clear() { m_lines.clear(); }

    const QStringList &lines() const { return m_lines; }
    QString text() const { return m_lines.join(u'\n'); }

private:
    QStringList m_lines;
};
