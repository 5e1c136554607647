#pragma once
// Scripts as this system has them: source text run by the interpreter its
// "#!" line names (/bin/sh without one), as a child process. "Compiling" a
// source is its interpreter's syntax check; the compiled form that records
// store as CompiledScript is the checked source's UTF-8 bytes, so a record
// never holds a script that failed its check as runnable. Data that is not
// UTF-8 text (a compiled script of another system) reads as no source and
// never runs.
//
// The checks: "-n" for the POSIX shells and bash, "-c" for perl and ruby,
// a parse for python; any other interpreter only has to exist.
#include "DesktopServices.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace zelk::script {

// The program and its arguments before the script's file:
// "#!/usr/bin/env python3" -> {"/usr/bin/env", "python3"}; none -> {"/bin/sh"}.
QStringList interpreterOf(const QString& source);

struct CheckResult {
    bool compiles = false;
    // The characters in error (start, length) when the check names a line;
    // the whole text otherwise.
    int start = 0;
    int length = 0;
    int number = 0;   // the checker's exit code
    QString message;  // its first line of complaint
};
// Checks a source with its interpreter (a short child process).
CheckResult checkSource(const QString& source);

// The compiled form of a source that passes its check; empty otherwise.
QByteArray compiledScriptWithSource(const QString& source);
// The source of a compiled form; none for data that is not UTF-8 text.
std::optional<QString> sourceWithCompiledScript(const QByteArray& compiled);

// A script file: extension scpt, sh, bash, py, pl or rb, or a file that
// begins with "#!".
bool isScriptFileAtPath(const QString& path);
// A script file's contents; empty when it is not one or can't be read.
QByteArray compiledScriptWithPath(const QString& path);

// Runs a compiled script to its end (see ProcessService::run); a result
// that did not start says why in error.
ProcessResult runCompiledScript(const QByteArray& compiled, const std::function<bool()>& keepRunning);

} // namespace zelk::script
