#pragma once
#include "platform/win32/WinTypes.h"

#include <string>
#include <vector>

// Opening an address or a document with the desktop's default handler.
namespace win32
{

constexpr int SW_SHOWNORMAL = 1;

// Results of ShellExecuteA; anything above 32 is success.
constexpr HINSTANCE SE_ERR_FNF = 2;          // no file or address given
constexpr HINSTANCE SE_ERR_ACCESSDENIED = 5; // refused: it would run a program
constexpr HINSTANCE SE_ERR_OOM = 8;          // no process could be started
constexpr HINSTANCE SE_ERR_NOASSOC = 31;     // no handler for the verb, or no opener installed
constexpr HINSTANCE ShellExecuteStarted = 42;

// Asks the desktop to open `file`, an address or a path in the ANSI code page, with its
// default handler (xdg-open), and returns as soon as the opener has been started. Only the
// default verb ("open", or none) is known. The opener gets `file` as its single argument,
// never through a shell; `directory`, when given, is its working folder. `parameters` and
// `showCmd` have no meaning for a document and are ignored. Nothing is ever executed: a
// local file that is a program (executable, or a desktop entry), given as a path or as a
// file: address, is refused, and so is a name the opener would read as an option.
HINSTANCE ShellExecuteA(HWND hwnd, const char* operation, const char* file, const char* parameters,
                        const char* directory, int showCmd);

// Test seam: while recording, requests that would start the opener are kept here instead.
// Refused requests are not recorded.
struct ShellRequest
{
    std::string Operation;
    std::string File;
    std::string Parameters;
    std::string Directory;
    int ShowCmd = 0;
};

void RecordShellRequests(bool on);
const std::vector<ShellRequest>& ShellRequests();
void ClearShellRequests();

} // namespace win32
