#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;
class TableStore;

// Shows " *" after a window's caption while the current row of one of its
// tables holds changes that are not saved yet ("Ofenring *"), and the plain
// caption again once they are saved or dropped.
class ModifiedMark : public QObject {
    Q_OBJECT
public:
    ModifiedMark(QWidget *window, const QString &caption, const QList<TableStore *> &stores);

    static QString captionFor(const QString &caption, bool modified);
    bool isModified() const;

    // Shows the mark as the tables stand now.
    void update();

private:
    QPointer<QWidget> m_window;
    QString m_caption;
    QList<QPointer<TableStore>> m_stores;
};
