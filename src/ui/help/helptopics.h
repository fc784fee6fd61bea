#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// The topics of the program's help.  Windows ask for a topic by its path in
// the help file, for example "kq.chm::/anmerkungen.htm" or just
// "::/anmerkungen.htm"; the empty path is the start topic.  The pages are
// German HTML compiled into the program.
namespace help {

// The name under which the help file is known to the windows.
inline constexpr char16_t helpFileName[] = u"kq.chm";

struct Topic {
    QString path;   // normalised topic path, "" for the start topic
    QString file;   // page file in the resources
    QString title;  // entry in the contents list
};

// Every topic, in the order of the contents list; the first is the start topic.
const QList<Topic> &topics();

// "kq.chm::/Allgemeine Angaben.htm", "::/allgemeine angaben.htm", "/allgemeine
// angaben.htm" and "allgemeine angaben.htm" all become "allgemeine angaben.htm";
// "kq.chm" alone, "::/" and "" become "" (the start topic).
QString normaliseTopicPath(const QString &topicPath);

// The topic of a path; null when the help has no such topic.
const Topic *findTopic(const QString &topicPath);

// The topic whose page has the given URL; null when none.
const Topic *topicForUrl(const QUrl &url);

const Topic &startTopic();

// The resource URL of a topic's page (qrc:/help/pages/...).
QUrl pageUrl(const Topic &topic);

// Makes sure the pages compiled into the help library are registered.
void initResources();

} // namespace help
