#pragma once
#include <QElapsedTimer>
#include <QString>

#include <iosfwd>

// How far a check from the command line has come, on standard error: on a terminal one line
// that is drawn over and over in place (a bar, checked of all, broken, no reply, the time
// taken), elsewhere (a log, a pipe) one line for every hundred favorites.
class CheckProgress
{
public:
    // `columns` is the terminal's width; 0 when standard error is no terminal.
    CheckProgress(std::ostream& err, int columns, int total);

    // One more favorite checked, with its verdict.
    void Checked(bool broken, bool noReply);
    // Draws the line again, for the time taken while a slow favorite is awaited.
    void Tick();
    // Says something on a line of its own; the progress line follows below it.
    void Note(const QString& text);
    // Leaves the progress line as it stands, with the final figures.
    void Finish();

    // The line for the figures so far, at most `columns` - 1 characters wide, so that the
    // terminal never wraps it (a wrapped line could not be drawn over in place).
    QString Line(int columns) const;

private:
    void Draw(bool now);

    std::ostream& err_;
    int columns_;
    int total_;
    int checked_ = 0;
    int broken_ = 0;
    int noReply_ = 0;
    bool drawn_ = false;
    QElapsedTimer elapsed_;
    qint64 lastDrawn_ = -1000;
};

// The width of the terminal that `fd` writes to; 0 when it is none.
int TerminalColumns(int fd);

// Text from outside (a name, a path) as it may be shown on a terminal: control characters,
// which could move the cursor or change the terminal's settings, as \xNN.
QString Printable(const QString& text);
