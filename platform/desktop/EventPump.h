#pragma once

// The event pump: lets a procedure that waits for something keep the window alive and
// have its socket and timer notifications delivered.
namespace desktop
{

// Dispatches pending events; when there are none, sleeps until the next one arrives, so a
// waiting loop built on it costs no processor time between events.
void WaitForEvents();

} // namespace desktop
