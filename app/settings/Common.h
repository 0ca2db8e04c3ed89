#pragma once
#include <QString>

namespace runtime
{
class Error;
}

// Procedures shared by the program's forms.

// Shows the current error record (when show is true) and appends it as one line to
// ERROR.LOG in the program's folder, then clears the record. When the program's folder
// cannot be written, the line goes to ErrorLogFallbackPath() instead.
void LogError(bool show);

// What every guarded procedure's handler does with a failure it does not ignore: makes it the
// current error record and logs it with its message box shown.
void LogError(const runtime::Error& error);

// The log the error lines go to first, and where they go when that cannot be written.
QString ErrorLogPath();
QString ErrorLogFallbackPath();

// One log line as written, without its CR LF.
QString ErrorLogLine(const QString& date, const QString& time, int number, const QString& description,
                     const QString& source);

// A new GUID in its registry form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case
// digits, or "" when the system cannot make one.
QString NewGuidString();

// The browser's version as the machine's settings record it; "0" when it is not recorded.
QString BrowserVersion();

// Opens a file or an address with the desktop's default action; the result is not examined.
void OpenThroughShell(const QString& pathOrAddress);

// The vendor's web site, opened from the Help menu and the about box.
QString VendorAddress();
