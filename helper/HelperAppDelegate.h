#pragma once
// ZelkHelper's one job: find the engine's bundle around its own and start
// it. The engine's identifier is the helper's less its last component
// ("org.zelk.Zelk.helper" -> "org.zelk.Zelk"); any bundle met on the way up
// with another identifier (the editor's) is passed over.
#include <QString>

namespace helper {

class HelperAppDelegate {
public:
    // The enclosing bundle whose identifier is targetIdentifier, never the
    // helper's own; empty when none is found before the root.
    static QString outerBundleWithIdentifier(const QString& helperBundlePath, const QString& targetIdentifier);
    // "a.b.c" -> "a.b"; an identifier without a dot stays as it is (and so
    // names no engine to launch).
    static QString targetIdentifierFor(const QString& helperIdentifier);

    // The work of launching: walk up from the helper's bundle and ask the
    // workspace to start what was found. Answers the path asked for.
    static QString applicationDidFinishLaunching(const QString& helperBundlePath, const QString& helperIdentifier);
};

} // namespace helper
