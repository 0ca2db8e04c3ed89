#pragma once
#include <QString>
#include <QStringView>

// Reading a page title in the character set the page is written in. The reply reaches the
// program as one code-page character per received byte, so the title's own bytes are
// recovered from that text and decoded again.

// The charset a Content-Type value names ("text/html; charset=utf-8" gives utf-8), quoted or
// not; empty when it names none.
QStringView CharsetParameter(QStringView contentType);

// The charset the page declares: the one of its Content-Type header line, else that of the
// first <meta charset=...> or <meta http-equiv="Content-Type" content="...charset=..."> in the
// body before position titleStart. Empty when the page declares none.
QStringView DeclaredCharset(QStringView reply, qsizetype titleStart);

// The characters of text decoded from the bytes they stand for, by charset. With no charset,
// or one that is unknown or does not read ASCII as ASCII, the bytes are taken as UTF-8 when
// they are valid UTF-8 and as the code page otherwise.
QString DecodeInCharset(QStringView text, QStringView charset);
