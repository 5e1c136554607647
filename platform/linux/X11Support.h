#pragma once
// Small Xlib helpers shared by the X11 backend's connections: Xlib's thread
// support switched on once, and X errors kept as answers per connection
// (Xlib's default handler would end the process on the first BadAccess).
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

} // namespace zelk::x11
