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

// A 32-bit list property (windows, atoms, cardinals) of the given type
// (AnyPropertyType for any); empty when absent.
QList<unsigned long> listProperty(_XDisplay* display, unsigned long window, unsigned long property, unsigned long type);

} // namespace zelk::x11
