#pragma once
// Diagnostics: lines begin with the class and the method, as in
//   zlog("QVEAction", "initWithDictionaryInEditor") << "failed to init" << name;
// They go to Qt's message handler (stderr / the journal, see JournalLog).
#include <QDebug>
#include <QLoggingCategory>

// Verbose tracing of the platform layer, off unless the user switches it
// on: QT_LOGGING_RULES="zelk.trace.debug=true".
Q_DECLARE_LOGGING_CATEGORY(zelkTrace)

namespace zelk {

inline QDebug zlog(const char* cls, const char* method)
{
    QDebug d = qWarning().noquote().nospace();
    d << cls << " " << method << ":";
    return d.space();
}

} // namespace zelk
