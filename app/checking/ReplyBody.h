#pragma once
#include <QLatin1StringView>
#include <QString>
#include <QStringView>

// The header lines and the body of a reply, and a body taken out of the chunks it was sent in.
// A reply is the whole received text: one character per byte, line ends kept.

// Position (0-based) where the body begins: just after the empty line that ends the header
// lines. A line may end with CR LF or with LF alone. -1 when no empty line has arrived.
qsizetype BodyStart(QStringView reply);

// The value of the first header line called name (letters in any case), without the blanks
// around it; empty when the header lines have none.
QStringView HeaderValue(QStringView reply, QLatin1StringView name);

// A body sent with "Transfer-Encoding: chunked", as its chunks carried it: the size lines,
// chunk extensions and trailers gone. A body cut short (by the time-out or the size cap) gives
// what arrived, without the part of a size line it ends in. Where the framing breaks down (a
// size line without a hexadecimal size, a chunk not followed by its line end) the rest is
// taken as it came. One pass; never longer than the body.
QString DechunkBody(QStringView body);

// The reply with its body taken out of its chunks when its header lines say it was chunked;
// any other reply as it is.
QString DechunkReply(const QString& reply);
