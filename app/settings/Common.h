#pragma once
#include <QString>

// Procedures shared by the program's forms.

// Shows the current error record (when show is true) and appends it as one line to
// ERROR.LOG in the program's folder, then clears the record. When the program's folder
// cannot be written, the line goes to ErrorLogFallbackPath() instead.
void LogError(bool show);

// The log the error lines go to first, and where they go when that cannot be written.
QString ErrorLogPath();
QString ErrorLogFallbackPath();

// One log line as written, without its CR LF.
QString ErrorLogLine(const QString& date, const QString& time, int number, const QString& description,
                     const QString& source);
