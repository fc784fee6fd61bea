#pragma once

#include <QFrame>

class QLabel;
class Record;

// The strip at the foot of the main window that always shows whose record is
// current: the installation site and the owner, display only.
class StatusPanel : public QFrame {
    Q_OBJECT
public:
    explicit StatusPanel(QWidget *parent = nullptr);

    void showRecord(const Record &record);
    // At the right end: how many records the search found ("n von N
    // Datensätzen"); empty without a search.
    void showCount(const QString &text);
    // A notice beside the record (office mode: another desk edits it, or the
    // connection to the server is lost); empty: none.
    void showNotice(const QString &text);
    QString notice() const;

private:
    QLabel *m_notice = nullptr;
    QLabel *m_site[4] = {};
    QLabel *m_owner[4] = {};
    QLabel *m_count = nullptr;
};
