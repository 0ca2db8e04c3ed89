#pragma once
#include <iosfwd>
#include <string>
#include <vector>

// The reg tool's operations: query, add, delete, export and import, with the switches and
// messages users of the classic command know.
namespace regtool
{

// Where a run reads answers to its questions and writes its messages.
struct Console
{
    std::istream& In;
    std::ostream& Out;
    std::ostream& Err;
};

// Runs one command line (without the program name; arguments in UTF-8). Returns the exit
// status: 0 on success, 1 on failure or when the user declines.
int RunReg(const std::vector<std::string>& args, Console& console);

} // namespace regtool
