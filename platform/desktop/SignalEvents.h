#pragma once
#include <functional>

// Signals from outside (Ctrl+C, kill, a logout) handled as events: a signal handler may do
// next to nothing safely, so it only wakes the event loop, and the handler given here runs on
// the loop's thread between two events, never inside one.
namespace desktop
{

// Calls `handler` with the signal's number whenever `signal` arrives, once the event loop
// gets to it. A later call for the same signal replaces its handler. Needs the application
// object; false when the signal could not be taken over.
bool OnSignal(int signal, std::function<void(int)> handler);

// Gives the signal back its default action: the next one ends the program.
void DefaultSignal(int signal);

} // namespace desktop
