#pragma once
// Diagnostics: lines begin with the class and the method, as in
//   zlog("QVEAction", "initWithDictionaryInEditor") << "failed to init" << name;
// They go to Qt's message handler (stderr / the journal).
#include <QDebug>

namespace zelk {

inline QDebug zlog(const char* cls, const char* method)
{
    QDebug d = qWarning().noquote().nospace();
    d << cls << " " << method << ":";
    return d.space();
}

} // namespace zelk
