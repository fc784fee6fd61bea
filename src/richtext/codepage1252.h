#pragma once

#include <QChar>

// Windows-1252, the code page of remarks written on Windows: bytes 0x80 to
// 0x9F carry typographic characters (€, „, “, –, …), the rest equals Latin-1.
namespace cp1252 {

// The character of a byte; a null QChar for the five bytes the code page
// leaves undefined.
QChar toUnicode(unsigned char byte);

// The byte of a character, or -1 when the code page has none.
int fromUnicode(QChar c);

} // namespace cp1252
