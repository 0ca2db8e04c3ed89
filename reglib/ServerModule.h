#pragma once

// What keeps the library loaded: the objects it has handed out (instances and class factories)
// and the locks taken through IClassFactory::LockServer. DllCanUnloadNow asks ModuleInUse.
namespace tarnhold
{

void ObjectCreated();
void ObjectDestroyed();
void LockModule(bool lock);
bool ModuleInUse();

} // namespace tarnhold
