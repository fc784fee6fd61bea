#include "codepage.h"

#include "windows1252.h"

#include <iconv.h>

#include <cerrno>

namespace {

constexpr int kWindows1252 = 1252;

} // namespace

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
        return windows1252::decode(bytes);
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
