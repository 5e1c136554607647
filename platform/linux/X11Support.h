#pragma once
// Small Xlib helpers shared by the X11 backend's connections: Xlib's thread
// support switched on once, and X errors kept as answers per connection
// (Xlib's default handler would end the process on the first BadAccess),
// and 32-bit list properties read.
#include <QList>

struct _XDisplay;

namespace zelk::x11 {

// Call before opening a connection.
void initThreads();
// Errors on this connection are recorded until stopTrapping(); errors of
// other connections go to whichever handler was there before.
void trapErrors(_XDisplay* display);
void stopTrapping(_XDisplay* display);
// The first error recorded since the last call (0 for none), and clears it.
int takeError(_XDisplay* display);

// A lost connection (the X server crashed or the session ended): Xlib would
// exit() from whichever thread met it first, with the others still running.
// Instead the loss is said once and the Qt application is asked to quit with
// status 1 from its own thread; meanwhile Xlib calls on the dead connection
// return at once.
void quitWhenLost(_XDisplay* display);

// A 32-bit list property (windows, atoms, cardinals) of the given type
// (AnyPropertyType for any); empty when absent.
QList<unsigned long> listProperty(_XDisplay* display, unsigned long window, unsigned long property, unsigned long type);

// The X server's screen-saver timeout in seconds (0: none, or no display),
// on a connection of its own.
int screenSaverTimeout();

} // namespace zelk::x11
