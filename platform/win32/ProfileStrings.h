#pragma once
#include "platform/win32/WinTypes.h"

// Reading and writing initialisation files (sections of key=value lines), with the classic
// semantics of the platform's profile-string functions. Section, key and value are bytes in
// the ANSI code page; the file name is a path as the host's file system spells it.
namespace win32
{

// Copies the value of `key` in `section` of `fileName` into `returned` (a buffer of `size`
// characters including the terminating NUL) and returns the number of characters copied,
// without the NUL: at most size - 1. Sections and keys match without regard to letter case;
// the value loses its surrounding blanks and one pair of enclosing quotes. When the file,
// section or key is missing, `defaultValue` (trailing blanks removed; null means "") is
// copied instead. A null key copies every key name of the section, a null section every
// section name, each ended by a NUL and the list by a second NUL.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue, char* returned,
                               DWORD size, const char* fileName);

// Sets `key` in `section` of `fileName` to `value`, creating the file, the section and the
// key as needed. A null value removes the key; a null key removes the whole section. Every
// line the write does not change stays as it was, byte for byte. The file is replaced
// atomically, so a failed write leaves it as it was. A section, key or value holding CR, LF
// or NUL is refused (it would add lines to the file). Returns nonzero on success.
BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value, const char* fileName);

// Whether every write waits until the new file is on disk before it takes the old one's place
// (the default). A tool that writes thousands of new files in one run turns this off and syncs
// the file system once at the end: a write stays all-or-nothing for anyone reading the folder
// and for a process killed halfway; only a power cut before that sync can lose the run.
void SetProfileWriteSync(bool eachWrite);

} // namespace win32
