#include "tools/favorites/CheckProgress.h"

#include "tools/favorites/CheckReport.h"

#include <algorithm>
#include <ostream>
#include <sys/ioctl.h>
#include <unistd.h>

CheckProgress::CheckProgress(std::ostream& err, int columns, int total) : err_(err), columns_(columns), total_(total)
{
    elapsed_.start();
}

void CheckProgress::Checked(bool broken, bool noReply)
{
    ++checked_;
    broken_ += broken ? 1 : 0;
    noReply_ += noReply ? 1 : 0;
    if (columns_ > 0)
        Draw(false);
    else if (checked_ % 100 == 0)
        err_ << "favorites check: " << Line(0).toStdString() << "\n" << std::flush;
}

void CheckProgress::Tick()
{
    if (columns_ > 0)
        Draw(false);
}

void CheckProgress::Note(const QString& text)
{
    if (columns_ > 0 && drawn_)
        err_ << "\r\x1b[K";
    err_ << text.toStdString() << "\n";
    if (columns_ > 0 && drawn_)
        Draw(true);
    err_ << std::flush;
}

void CheckProgress::Finish()
{
    if (columns_ > 0) {
        Draw(true);
        err_ << "\n" << std::flush;
    }
}

QString CheckProgress::Line(int columns) const
{
    const auto figuresFor = [this](int checked, int broken, int noReply) {
        return QStringLiteral("%1/%2 checked, %3 broken, %4 no reply, %5")
            .arg(checked)
            .arg(total_)
            .arg(broken)
            .arg(noReply)
            .arg(DurationText(elapsed_.elapsed() / 1000));
    };
    const QString figures = figuresFor(checked_, broken_, noReply_);
    if (columns <= 0)
        return figures;
    const qsizetype room = columns - 1;
    // The bar keeps its width as the figures grow, so the line does not jitter.
    const qsizetype widest = figuresFor(total_, total_, total_).size();
    const qsizetype bar = std::min<qsizetype>(40, room - widest - 3);
    if (bar < 10)
        return figures.left(room);
    const qsizetype filled = total_ > 0 ? bar * checked_ / total_ : bar;
    return (QLatin1Char('[') + QString(filled, QLatin1Char('#')) + QString(bar - filled, QLatin1Char('-')) +
            QStringLiteral("] ") + figures)
        .left(room);
}

void CheckProgress::Draw(bool now)
{
    // A fast run would spend its time drawing: ten times a second is enough for the eye.
    const qint64 at = elapsed_.elapsed();
    if (!now && at - lastDrawn_ < 100)
        return;
    lastDrawn_ = at;
    drawn_ = true;
    err_ << "\r" << Line(columns_).toStdString() << "\x1b[K" << std::flush;
}

int TerminalColumns(int fd)
{
    if (!isatty(fd))
        return 0;
    winsize size{};
    if (ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
        return 80;
    return size.ws_col;
}

QString Printable(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
            out += QStringLiteral("\\x%1").arg(int{code}, 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}
