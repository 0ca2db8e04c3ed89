#pragma once
#include "platform/hive/Hive.h"
#include "platform/win32/WinTypes.h"

#include <memory>
#include <string>

// The one hive the process's registry functions work on.
namespace hive
{

// The hive at HivePath(), opened on first use and opened afresh when HivePath() changes
// (handles already open keep the hive they were opened in). Null, with the registry status,
// when it cannot be used; LastOpenError() then says why.
std::shared_ptr<Hive> CurrentHive(win32::LONG& status);

// Why the last attempt to open the current hive failed; empty after a successful open.
std::string LastOpenError();

// Forgets the open hive, so the next registry call opens HivePath() anew. For tests, which
// remove their hive files between cases.
void ResetForTests();

} // namespace hive
