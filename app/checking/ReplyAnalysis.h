#pragma once
#include <QString>

#include <cstdint>

// Reading a reply's status, and finding where the reply says the browser should go instead.
// Pure functions of their arguments. A reply is the whole received text: status line, headers
// and body, one character per byte, line ends kept.

// The status number in characters 10 to 12 of the reply (200 for "HTTP/1.1 200 OK"); 0 when
// those characters are missing or are not a number that fits 16 bits.
int16_t ParseStatusCode(const QString& reply);

// The redirect target the reply names, or empty when there is none. A redirect reply (300,
// 301, 302, 303, 307, 308) names it in its "Location:" header: an address beginning with "HTTP"
// is returned unchanged, a relative one is resolved against url, the address that was probed.
// Any other reply may name it in a <META HTTP-EQUIV="REFRESH" ...> tag in its body (taken out of
// its chunks first), whose target is returned as written. A target that would carry a control
// character into a shortcut file is never returned.
QString AnalyzeReply(const QString& reply, const QString& url);
