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

// Whether another instance of the program runs for this user. The first instance to ask
// holds a lock for the rest of its life; a later one is told it is not alone.
bool PrevInstance();

// The help file that F1 opens.
QString HelpFile();
void SetHelpFile(const QString& path);

// Test seams: another program folder and file name in place of the real ones; an empty
// string restores the real value.
void SetPath(const QString& folder);
void SetEXEName(const QString& name);
// Test seam: another version in place of the real one; negative numbers restore it.
void SetVersion(int major, int minor, int revision);

} // namespace desktop::App
