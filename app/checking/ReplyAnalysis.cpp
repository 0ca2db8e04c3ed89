#include "app/checking/ReplyAnalysis.h"

#include "app/checking/DecimalNumber.h"
#include "app/checking/RelativeReference.h"
#include "app/checking/ReplyBody.h"
#include "app/checking/ReplyText.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace
{
// 304 (not modified), 305 and 306 name no new address.
bool IsRedirectStatus(int16_t code)
{
    return code == 300 || code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
}

QStringView TrimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t'))
        ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.sliced(begin, end - begin);
}

// The value of the first "Location:" in the reply, wherever it stands, resolved against url.
QString LocationTarget(QStringView reply, const QString& url)
{
    const qsizetype name = IndexOfCaseless(reply, "Location:"_L1);
    if (name < 0)
        return {};
    // The value is the rest of its own line and nothing beyond it. A line that never ends
    // means the reply was cut short, and half an address must not replace a favorite's.
    const qsizetype valueStart = name + 9;
    const qsizetype lineEnd = reply.indexOf(u'\n', valueStart);
    if (lineEnd < 0)
        return {};
    QStringView value = reply.sliced(valueStart, lineEnd - valueStart);
    if (value.endsWith(u'\r'))
        value.chop(1);
    value = TrimBlanks(value);
    if (value.isEmpty() || ContainsControlCharacter(value))
        return {};
    if (StartsWithCaseless(value, "HTTP"_L1))
        return value.toString();
    // A browser follows a redirect to another kind of address (mailto:, file:, javascript:)
    // no more than the probe could check one.
    if (HasScheme(value))
        return {};
    // The probed address comes from a file too, and may hold what the header may not.
    const QString target = ResolveRelativeReference(url, value);
    return ContainsControlCharacter(target) ? QString() : target;
}

// The target after "URL=" in the first <META HTTP-EQUIV="REFRESH" tag, up to the closing
// quote of its attribute, in the reply's own letter case.
QString RefreshTarget(QStringView reply)
{
    const qsizetype tagStart = IndexOfCaseless(reply, "<META HTTP-EQUIV=\"REFRESH\""_L1);
    if (tagStart < 0)
        return {};
    const qsizetype tagEnd = reply.indexOf(u'>', tagStart);
    if (tagEnd < 0)
        return {};
    const QStringView tag = reply.sliced(tagStart, tagEnd - tagStart + 1);
    const qsizetype url = IndexOfCaseless(tag, "URL="_L1);
    if (url < 0)
        return {};
    const qsizetype quote = tag.indexOf(u'"', url);
    if (quote < 0)
        return {};
    const QStringView target = tag.sliced(url + 4, quote - url - 4);
    if (ContainsControlCharacter(target))
        return {};
    return target.toString();
}
} // namespace

int16_t ParseStatusCode(const QString& reply)
{
    if (reply.size() < 10)
        return 0;
    const auto number = ParseDecimalNumber(QStringView(reply).sliced(9, std::min<qsizetype>(3, reply.size() - 9)));
    if (!number || number->Saturated || number->Rounded < std::numeric_limits<int16_t>::min() ||
        number->Rounded > std::numeric_limits<int16_t>::max())
        return 0;
    return static_cast<int16_t>(number->Rounded);
}

QString AnalyzeReply(const QString& reply, const QString& url)
{
    if (IsRedirectStatus(ParseStatusCode(reply)))
        return LocationTarget(reply, url);
    // A chunk's size line may fall inside the tag.
    return RefreshTarget(DechunkReply(reply));
}
