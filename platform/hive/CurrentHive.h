#pragma once
#include "platform/hive/Hive.h"
#include "platform/win32/WinTypes.h"

#include <functional>
#include <memory>
#include <string>

// The one hive the process's registry functions work on.
namespace hive
{

// The hive at HivePath(), opened on first use and opened afresh when HivePath() changes
// (handles already open keep the hive they were opened in). Null, with the registry status,
// when it cannot be used; LastOpenError() then says why.
std::shared_ptr<Hive> CurrentHive(win32::LONG& status);

// Why the current hive cannot be used: why the last attempt to open it failed, or the damage
// found in it since it was opened; empty when neither.
std::string LastOpenError();

// Runs work on the current hive as one transaction (see Hive::RunAsOne): the registry functions
// it calls change everything or, unless it returns ERROR_SUCCESS, nothing.
win32::LONG RunAsOne(bool write, const std::function<win32::LONG()>& work);

// Forgets the open hive, so the next registry call opens HivePath() anew. For tests, which
// remove their hive files between cases.
void ResetForTests();

} // namespace hive
