#pragma once
#include <QString>

// The application object: where the program lives, what it is called, which version it is.
namespace desktop::App
{

// The folder the program's executable lies in, without a trailing separator.
QString Path();
// The executable's file name without its extension.
QString EXEName();
// The program's title, used where the platform needs a name for it.
QString Title();

int Major();
int Minor();
int Revision();

// The help file that F1 opens.
QString HelpFile();
void SetHelpFile(const QString& path);

// Test seams: another program folder and file name in place of the real ones; an empty
// string restores the real value.
void SetPath(const QString& folder);
void SetEXEName(const QString& name);

} // namespace desktop::App
