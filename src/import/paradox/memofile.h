#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The memo file (.MB) beside an old table, read without trusting any of its
// numbers: every offset and length is checked against the file before a byte
// is taken.
//
// A memo field in a record holds a leader (the first characters of the memo)
// and a 10-byte pointer: u32 block offset with the entry number in its low
// byte, u32 length of the memo, u16 modification number.  The memo file is
// made of 4 kB blocks: block 0 is the header; a block of kind 2 holds one
// long memo after a 9-byte head; a block of kind 3 holds up to 64 short
// memos, with a table of 5-byte entries (offset in 16-byte steps, length in
// 16-byte steps, modification number, length modulo 16) from byte 12 on.
class MemoFile {
public:
    // Opens the file; false when it cannot be read or is no memo file.
    bool open(const QString &path);
    bool isOpen() const { return m_data != nullptr; }
    QString errorString() const { return m_error; }

    enum class Status {
        Empty,        // the field holds no memo
        Ok,           // bytes hold the memo
        NeedsFile,    // the memo lies in the memo file, and none is open
        Damaged,      // the pointer or the block it leads to is not sound; problem says why
    };
    struct Value {
        Status status = Status::Empty;
        QByteArray bytes;
        QString problem;  // German, for the report
    };

    // The memo a record field points to; `field` is the whole field as stored.
    // A memo that fits into the leader is taken from the record itself.
    Value read(const QByteArray &field) const;

    static constexpr int kPointerSize = 10;
    static constexpr qint64 kBlockSize = 4096;

private:
    Value damaged(const QString &problem) const;

    QFile m_file;
    const uchar *m_data = nullptr;
    qint64 m_size = 0;
    QByteArray m_copy;  // when the file cannot be mapped
    QString m_error;
};
