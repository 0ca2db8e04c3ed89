#pragma once
#include <string>

// Where the per-user registry hive lives.
namespace hive
{

// The environment variable that names another hive file (tests and second profiles use it).
inline constexpr const char* HiveVariable = "STRANDMOOR_HIVE";

// The hive file to use now: $STRANDMOOR_HIVE when set, else
// $XDG_DATA_HOME/Strandmoor/registry.hive, with XDG_DATA_HOME defaulting to
// $HOME/.local/share. Empty when no home folder can be found.
std::string HivePath();

// The user's home folder: $HOME, else the password database's entry; empty when neither.
std::string HomeFolder();

} // namespace hive
