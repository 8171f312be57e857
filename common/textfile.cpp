// SPDX-License-Identifier: GPL-3.0-or-later
#include "textfile.h"

#include "numtext.h"

#include <cerrno>
#include <iconv.h>

namespace numbelle {

namespace {

// Decodes GBK. With escape set, backslash, CR, LF and TAB are written as the
// two-character escapes \\ \r \n \t and a byte that starts no valid character as
// \xHH; without it such a byte becomes U+FFFD.
QString decodeGbk(const QByteArray &bytes, bool escape)
{
    QString out;
    out.reserve(bytes.size());
    // The converter is opened at the first byte beyond ASCII: a file of plain
    // ASCII (the settings, most records) never loads the system's GBK tables.
    iconv_t cd = iconv_t(-1);
    const char *in = bytes.constData();
    size_t inLeft = size_t(bytes.size());
    char16_t buffer[1024];
    while (inLeft > 0) {
        // Plain ASCII is by far the common case; copy it straight through.
        const unsigned char c = static_cast<unsigned char>(*in);
        if (c < 0x80) {
            if (escape && c == '\\')
                out += QStringLiteral("\\\\");
            else if (escape && c == '\r')
                out += QStringLiteral("\\r");
            else if (escape && c == '\n')
                out += QStringLiteral("\\n");
            else if (escape && c == '\t')
                out += QStringLiteral("\\t");
            else
                out += QChar(c);
            ++in;
            --inLeft;
            continue;
        }
        if (cd == iconv_t(-1)) {
            cd = iconv_open("UTF-16LE", "GBK");
            if (cd == iconv_t(-1))
                return QString::fromLatin1(bytes);
        }
        char *outPtr = reinterpret_cast<char *>(buffer);
        size_t outLeft = sizeof buffer;
        // One multi-byte character at a time keeps the error position exact.
        size_t take = inLeft >= 2 ? 2 : 1;
        char *inPtr = const_cast<char *>(in);
        size_t chunk = take;
        const size_t r = iconv(cd, &inPtr, &chunk, &outPtr, &outLeft);
        if (r == size_t(-1) || chunk != 0) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (escape)
                out += QStringLiteral("\\x") + QString::number(c, 16).toUpper().rightJustified(2, u'0');
            else
                out += QChar(0xFFFD);
            ++in;
            --inLeft;
            continue;
        }
        const auto produced = (sizeof buffer - outLeft) / sizeof(char16_t);
        out += QStringView(buffer, qsizetype(produced));
        in += take;
        inLeft -= take;
    }
    if (cd != iconv_t(-1))
        iconv_close(cd);
    return out;
}

} // namespace

QString fromGbk(const QByteArray &bytes) { return decodeGbk(bytes, false); }

QString fromGbkEscaped(const QByteArray &bytes) { return decodeGbk(bytes, true); }

QString localPath(const QString &path)
{
#ifdef Q_OS_WIN
    return path;
#else
    QString p = path;
    p.replace(u'\\', u'/');
    return p;
#endif
}

QByteArray toGbk(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    // Opened at the first character beyond ASCII, as in decodeGbk.
    iconv_t cd = iconv_t(-1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80) {
            out += char(u);
            continue;
        }
        if (cd == iconv_t(-1)) {
            cd = iconv_open("GBK", "UTF-16LE");
            if (cd == iconv_t(-1))
                return text.toLatin1();
        }
        qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        char *inPtr = reinterpret_cast<char *>(const_cast<QChar *>(text.data() + i));
        size_t inLeft = size_t(len) * 2;
        char buf[8];
        char *outPtr = buf;
        size_t outLeft = sizeof buf;
        const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        if (r == size_t(-1)) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            out += '?';
        } else {
            out.append(buf, qsizetype(sizeof buf - outLeft));
        }
        i += len - 1;
    }
    if (cd != iconv_t(-1))
        iconv_close(cd);
    return out;
}

bool ListReader::atEnd() const
{
    qsizetype p = m_pos;
    while (p < m_text.size() && (m_text[p] == u' ' || m_text[p] == u'\t' || m_text[p] == u'\r' || m_text[p] == u'\n'))
        ++p;
    return p >= m_text.size();
}

void ListReader::skipBlanks()
{
    while (m_pos < m_text.size() && (m_text[m_pos] == u' ' || m_text[m_pos] == u'\t'))
        ++m_pos;
}

void ListReader::skipSeparator()
{
    skipBlanks();
    if (m_pos >= m_text.size())
        return;
    if (m_text[m_pos] == u',') {
        ++m_pos;
    } else if (m_text[m_pos] == u'\r') {
        ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == u'\n')
            ++m_pos;
    } else if (m_text[m_pos] == u'\n') {
        ++m_pos;
    }
}

bool ListReader::readNumber(double &value)
{
    // A new item may start on a following line.
    while (m_pos < m_text.size() &&
           (m_text[m_pos] == u' ' || m_text[m_pos] == u'\t' || m_text[m_pos] == u'\r' || m_text[m_pos] == u'\n'))
        ++m_pos;
    if (m_pos >= m_text.size())
        return false;
    const qsizetype start = m_pos;
    while (m_pos < m_text.size()) {
        const QChar c = m_text[m_pos];
        if (c == u' ' || c == u'\t' || c == u',' || c == u'\r' || c == u'\n')
            break;
        ++m_pos;
    }
    const QStringView item = m_text.mid(start, m_pos - start);
    skipSeparator();
    if (item.isEmpty()) {
        // An empty item between two commas reads as zero.
        value = 0.0;
        return true;
    }
    // The whole item must be a number: "12abc" or "abc" is not.
    value = leadingNumber(item);
    bool ok = startsWithNumber(item);
    if (ok) {
        // Accept only items made of number characters.
        for (QChar c : item) {
            if (!(c.isDigit() || c == u'.' || c == u'-' || c == u'+' || c == u'E' || c == u'e')) {
                ok = false;
                break;
            }
        }
    }
    return ok;
}

bool ListReader::readText(QString &value)
{
    while (m_pos < m_text.size() &&
           (m_text[m_pos] == u' ' || m_text[m_pos] == u'\t' || m_text[m_pos] == u'\r' || m_text[m_pos] == u'\n'))
        ++m_pos;
    if (m_pos >= m_text.size())
        return false;
    if (m_text[m_pos] == u'"') {
        const qsizetype start = ++m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != u'"' && m_text[m_pos] != u'\r' && m_text[m_pos] != u'\n')
            ++m_pos;
        value = m_text.mid(start, m_pos - start).toString();
        if (m_pos < m_text.size() && m_text[m_pos] == u'"')
            ++m_pos;
        skipSeparator();
        return true;
    }
    const qsizetype start = m_pos;
    while (m_pos < m_text.size() && m_text[m_pos] != u',' && m_text[m_pos] != u'\r' && m_text[m_pos] != u'\n')
        ++m_pos;
    value = m_text.mid(start, m_pos - start).toString();
    if (m_pos < m_text.size() && m_text[m_pos] == u',')
        ++m_pos;
    else
        skipSeparator();
    return true;
}

} // namespace numbelle
