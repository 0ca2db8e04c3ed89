#pragma once
#include <functional>

namespace desktop
{

// Calls `save` when the program is told to end from outside: SIGTERM or SIGHUP (a logout, a
// shutdown, `kill`), and the desktop session's request to save before it ends. A signal is
// handled on the user-interface thread between two events, never inside one; after `save`
// the program ends at once. The session's request only saves. Installed once.
void OnEndOfSession(std::function<void()> save);

} // namespace desktop
