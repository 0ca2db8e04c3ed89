#pragma once
#include "platform/win32/ComResult.h"

#include <string>

namespace tarnhold
{

// Writes the keys that make the class creatable: the class with its server library
// (apartment threading), the programmatic identifier, the interface and the type library,
// all below HKEY_CLASSES_ROOT. modulePath is the library's absolute path (UTF-8).
win32::HRESULT RegisterServer(const std::string& modulePath);

// Removes every key RegisterServer writes, with anything below them.
win32::HRESULT UnregisterServer();

} // namespace tarnhold
