#pragma once
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <vector>

class QIODevice;

// What a check of the Favorites from the command line found, for a person to read: a row for
// every favorite checked, in the order the tree shows them, and the run's totals, written as
// CSV, JSON or one HTML page.

// The three results the tree shows for a checked link.
enum class Verdict
{
    Answered,
    Broken,
    NoReply,
};

// As the tree's pictures tell them: no reply for -1, broken for 404 and 410, answered else.
Verdict VerdictOf(int16_t status);
// "answered", "broken", "no reply".
QString VerdictName(Verdict verdict);

// One favorite checked.
struct CheckedRow
{
    QString Folder;      // its folder below the one checked, "/" between names; "" for that one
    QString Name;        // its name when its check began
    QString Url;         // its address then
    int16_t Status = -1; // the reply's status; -1 for no usable reply
    QString RedirectUrl; // the new address written into it (on a dry run, that would be)
    QString NewName;     // its name after the rename (on a dry run, that it would get); "" for none
    qint64 Milliseconds = 0;
};

struct CheckTotals
{
    int Favorites = 0; // found in the folder, checked or not
    int Checked = 0;
    int Answered = 0;
    int Broken = 0;
    int NoReply = 0;
    int Moved = 0;   // given a new address
    int Renamed = 0; // renamed after their page title
};

struct CheckReport
{
    QString Folder;       // the folder checked
    int Favorites = 0;    // the favorites found in it
    bool DryRun = false;  // nothing was written or renamed
    bool Stopped = false; // the run was stopped before its end
    QDateTime Started;
    QDateTime Ended;
    std::vector<CheckedRow> Rows;

    CheckTotals Totals() const;
};

enum class ReportFormat
{
    Unknown,
    Csv,
    Json,
    Html,
};

// A time taken, as a clock shows it: "0:07", "12:30", "1:02:03".
QString DurationText(qint64 seconds);

// The format a report's file name asks for by its extension, in any letter case.
ReportFormat ReportFormatOf(const QString& fileName);

// Writes the report: CSV (RFC 4180, UTF-8 with a byte-order mark for spreadsheets), JSON, or
// an HTML page that needs nothing from outside and also reads as XML. False when the device
// took not all of it.
bool WriteReport(QIODevice& device, const CheckReport& report, ReportFormat format);
