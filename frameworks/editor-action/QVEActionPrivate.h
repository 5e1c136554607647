#pragma once
// Helpers shared by the framework's own files; not part of its interface.
#include <QString>

namespace zelk {

// The editor's QVActionDebug user default, read at each use.
bool qveActionDebug();

// A text of the framework's default strings table (Localizable).
QString qveFrameworkString(const char* key);

// A modal alert through the host's QVUtility: 1 for the first button, 0 for
// the second; 0 when the host has no QVUtility (logged).
int qveAlert(const QString& title, const QString& message, const QString& button1, const QString& button2 = {});

} // namespace zelk
