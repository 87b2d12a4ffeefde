#pragma once
// What the viewer does when it runs without a terminal, as when a desktop
// launches it for a double-clicked model: its console texts then go where
// the launcher sends them (usually the session's log) and each " [enter]"
// wait returns at once, since standard input is at its end. So that a model
// that cannot be shown is not passed over in silence, the diagnostics of the
// start-up are then also posted as a desktop notification.

// Call first in main: with none of standard input, output and error a
// terminal, the diagnostics are kept for PostDiagnosticsToDesktop, which
// also runs at exit for whatever no one posted.
void StartDesktopNotices();
// Posts the diagnostics kept since the last post as one notification, over
// the session bus to the freedesktop notification service (through the
// notice module, loaded then). Does nothing without a session bus or without
// diagnostics; waits 2 s at most. For the exits before the window.
void PostDiagnosticsToDesktop();
// The same from a thread of its own, for a running viewer: returns at once.
void PostDiagnosticsAside();
// Whether a session bus can be reached without starting one.
bool HasSessionBus();
