#include "app/checking/ReplyBody.h"

#include "app/checking/ReplyText.h"

#include <algorithm>
#include <cstdint>

using namespace Qt::StringLiterals;

namespace
{
bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView TrimBlanks(QStringView text)
{
    while (!text.isEmpty() && IsBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && IsBlank(text.back()))
        text.chop(1);
    return text;
}

// Calls line(text of the line without its line end) for each header line, after the status
// line, until it returns true or the header lines end.
template <typename Visit> void ForEachHeaderLine(QStringView reply, Visit line)
{
    qsizetype pos = reply.indexOf(u'\n');
    while (pos >= 0) {
        const qsizetype start = pos + 1;
        pos = reply.indexOf(u'\n', start);
        QStringView text = pos < 0 ? reply.sliced(start) : reply.sliced(start, pos - start);
        if (text.endsWith(u'\r'))
            text.chop(1);
        if (text.isEmpty() || line(text))
            return;
    }
}

// Whether the last of the codings the body was sent in is chunked; only then does the body
// end with a zero-size chunk.
bool IsChunked(QStringView transferEncoding)
{
    const qsizetype comma = transferEncoding.lastIndexOf(u',');
    const QStringView last = TrimBlanks(comma < 0 ? transferEncoding : transferEncoding.sliced(comma + 1));
    return last.size() == 7 && StartsWithCaseless(last, "chunked"_L1);
}
} // namespace

qsizetype BodyStart(QStringView reply)
{
    qsizetype pos = reply.indexOf(u'\n');
    while (pos >= 0) {
        const qsizetype start = pos + 1;
        pos = reply.indexOf(u'\n', start);
        if (pos == start)
            return pos + 1;
        if (pos == start + 1 && reply[start] == u'\r')
            return pos + 1;
    }
    return -1;
}

QStringView HeaderValue(QStringView reply, QLatin1StringView name)
{
    QStringView value;
    ForEachHeaderLine(reply, [&](QStringView line) {
        if (line.size() <= name.size() || line[name.size()] != u':' || !StartsWithCaseless(line, name))
            return false;
        value = TrimBlanks(line.sliced(name.size() + 1));
        return true;
    });
    return value;
}

QString DechunkBody(QStringView body)
{
    // More than any reply holds: a larger size only says "the rest of the reply".
    constexpr uint64_t SizeLimit = uint64_t{1} << 40;
    const qsizetype n = body.size();
    QString out;
    out.reserve(n);
    qsizetype pos = 0;
    while (pos < n) {
        uint64_t size = 0;
        qsizetype digitsEnd = pos;
        for (int digit; digitsEnd < n && (digit = HexDigitValue(body[digitsEnd])) >= 0; ++digitsEnd)
            size = std::min(size * 16 + static_cast<uint64_t>(digit), SizeLimit);
        // Blanks and an extension may follow the size; the line ends where the chunk begins.
        qsizetype afterSize = digitsEnd;
        while (afterSize < n && IsBlank(body[afterSize]))
            ++afterSize;
        if (digitsEnd == pos ||
            (afterSize < n && body[afterSize] != u';' && body[afterSize] != u'\r' && body[afterSize] != u'\n'))
            break;
        const qsizetype lineEnd = body.indexOf(u'\n', afterSize);
        if (lineEnd < 0 || size == 0)
            return out;
        const qsizetype dataStart = lineEnd + 1;
        const qsizetype length = static_cast<qsizetype>(std::min<uint64_t>(size, n - dataStart));
        out += body.sliced(dataStart, length);
        pos = dataStart + length;
        // The chunk's own line end. Whatever stands there instead goes with the rest as it came
        // (at most a CR, where the reply was cut inside the line end).
        const QStringView after = body.sliced(pos);
        if (after.startsWith(u"\r\n"))
            pos += 2;
        else if (after.startsWith(u'\n'))
            pos += 1;
        else
            break;
    }
    out += body.sliced(pos);
    return out;
}

QString DechunkReply(const QString& reply)
{
    const qsizetype body = BodyStart(reply);
    if (body < 0)
        return reply;
    const QStringView head = QStringView(reply).first(body);
    if (!IsChunked(HeaderValue(head, "Transfer-Encoding"_L1)))
        return reply;
    return reply.first(body) + DechunkBody(QStringView(reply).sliced(body));
}
