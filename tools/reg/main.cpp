// reg: reads and changes the registry hive from the command line.
#include "tools/reg/RegCommands.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    regtool::Console console{std::cin, std::cout, std::cerr};
    return regtool::RunReg(args, console);
}
