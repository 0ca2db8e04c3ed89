#pragma once
#include "platform/win32/AnsiCodePage.h"

#include <QString>

#include <optional>

// The numeric-reference loop run step by step as the program states it, to hold the decoder
// against: find the first "&#" and the ";" after it, then convert, remove every copy, or
// replace, and start over from the beginning. Only plain runs of digits are taken as numbers.
// Gives nothing for a title on which that loop would never end (a "&#" not followed by a
// number and ";") or that needs more steps than the limit.
inline std::optional<QString> DecodeStepByStep(QString title, int stepLimit = 10000)
{
    for (int step = 0; title.contains(QStringLiteral("&#")); ++step) {
        if (step > stepLimit)
            return std::nullopt;
        const qsizetype p = title.indexOf(QStringLiteral("&#"));
        const qsizetype q = title.indexOf(u';', p);
        if (q < 0)
            return std::nullopt;
        const QString num = title.mid(p + 2, q - p - 2);
        if (num.isEmpty() || num.size() > 9)
            return std::nullopt;
        for (QChar c : num) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
        }
        const int value = num.toInt();
        if (value >= 256) {
            title.remove(QStringLiteral("&#") + num + u';');
            continue;
        }
        // A control character has no place in a one-line title: its reference goes.
        const QChar c(win32::AnsiToChar(static_cast<unsigned char>(value)));
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            title.remove(p, q - p + 1);
        else
            title.replace(p, q - p + 1, c);
    }
    return title;
}
