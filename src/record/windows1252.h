#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the single-byte code page of files written by older Windows
// programs (settings files, list files, export files of district programs).
// Positions the code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the C1 controls of the same number, so every byte reads and writes
// back unchanged.
namespace windows1252 {

QString decode(const QByteArray &bytes);

// Writes `text` into `out`; false when it holds a character the code page
// lacks, which then stands as '?' in `out`.
bool encode(const QString &text, QByteArray *out);

} // namespace windows1252
