#pragma once
// A private D-Bus daemon for the tests, never the machine's own buses. It
// stands in for both the session and the system bus: QtDBus sets up its
// default buses together and keeps them once made, so both addresses are
// put in place before the program's first use of either. Started at the
// first test that asks, stopped after the last.
#include <QString>

namespace zelk::test {

// The bus address; empty when no bus could start (whyNot says why).
QString privateBus(QString* whyNot);

} // namespace zelk::test
