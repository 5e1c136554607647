#pragma once
// Work handed to the thread of the Qt event loop (alerts, menus, windows,
// objects that the main thread owns), from any thread.
//
// A caller that waits is released without its work having run once the
// process closes the hand-over (close(): the event loop is over), so a
// background thread that the quit joins never waits on a loop that no
// longer turns.
#include <functional>

namespace zelk::MainThread {

// True on the thread of the Qt event loop, and without an application.
bool isCurrent();
// Runs fn there: at once when already there (or without an application),
// else queued (wait false) or waiting until it has run (wait true).
// Answers whether fn ran (a queued call: whether it was handed over).
bool run(std::function<void()> fn, bool wait);
// Starts work there that ends later (a menu that closes when the user
// picks or dismisses it): start gets a done function that the main thread
// calls once the work has ended; the caller waits until then (on the main
// thread itself, in a local event loop). Answers whether done was called.
bool runUntilDone(std::function<void(std::function<void()> done)> start);
// From now on waits end at once and calls not yet run are dropped.
void close();
// Hands over again (a new application object in the same process).
void reopen();
bool isClosed();

} // namespace zelk::MainThread
