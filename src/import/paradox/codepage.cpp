#include "codepage.h"

#include <iconv.h>

#include <cerrno>

namespace {

// Bytes 0x80..0x9F of Windows-1252; the rest of the code page equals Latin-1.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr int kWindows1252 = 1252;

} // namespace

QString decodeWindows1252(const QByteArray &bytes)
{
    QString s(bytes.size(), Qt::Uninitialized);
    QChar *out = s.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return s;
}

QByteArray encodeWindows1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(char(u));
            continue;
        }
        char b = '?';
        for (int i = 0; i < 32; ++i)
            if (kHigh[i] == u)
                b = char(0x80 + i);
        out.append(b);
    }
    return out;
}

CodePage::CodePage(int number) : m_number(number)
{
    if (number == 0 || number == kWindows1252)
        return;
    const QByteArray name = "CP" + QByteArray::number(number);
    iconv_t cd = iconv_open("UTF-16LE", name.constData());
    if (cd == iconv_t(-1)) {
        m_supported = false;
        return;
    }
    m_iconv = cd;
}

CodePage::~CodePage()
{
    if (m_iconv)
        iconv_close(iconv_t(m_iconv));
}

QString CodePage::decode(const QByteArray &bytes) const
{
    if (!m_iconv)
        return decodeWindows1252(bytes);
    auto cd = iconv_t(m_iconv);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    QByteArray in = bytes;
    QByteArray out(bytes.size() * 4 + 4, Qt::Uninitialized);
    char *src = in.data();
    size_t srcLeft = size_t(in.size());
    char *dst = out.data();
    size_t dstLeft = size_t(out.size());
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break;
        // A byte the code page does not define: U+FFFD, and on with the next.
        if (dstLeft < 2)
            break;
        *dst++ = char(0xFD);
        *dst++ = char(0xFF);
        dstLeft -= 2;
        ++src;
        --srcLeft;
    }
    const qsizetype produced = out.size() - qsizetype(dstLeft);
    return QString(reinterpret_cast<const QChar *>(out.constData()), produced / 2);
}
