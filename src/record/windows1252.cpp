#include "windows1252.h"

#include <algorithm>
#include <iterator>

namespace {

// Windows-1252 characters 0x80..0x9F; the rest of the code page is Latin-1.
const char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

namespace windows1252 {

QString decode(const QByteArray &bytes)
{
    QString s;
    s.reserve(bytes.size());
    for (const char ch : bytes) {
        const uchar b = uchar(ch);
        s += (b >= 0x80 && b < 0xA0) ? QChar(kHighControls[b - 0x80]) : QChar(b);
    }
    return s;
}

bool encode(const QString &text, QByteArray *out)
{
    out->clear();
    out->reserve(text.size());
    bool complete = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            *out += char(u);
            continue;
        }
        const auto *hit = std::find(std::begin(kHighControls), std::end(kHighControls), u);
        if (hit == std::end(kHighControls)) {
            *out += '?';
            complete = false;
        } else {
            *out += char(0x80 + (hit - std::begin(kHighControls)));
        }
    }
    return complete;
}

} // namespace windows1252
