#pragma once
// Desktop tools run as commands: arguments are passed as they are, never
// through a shell, and every wait is bounded.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace zelk {

struct CommandResult {
    int exitCode = -1;
    QByteArray output; // standard output
};

// Runs the program (found on PATH, in the C locale) and waits up to timeoutMs for it to end;
// nullopt when it could not start, crashed or ran out of time (it is
// killed then). caller names the class and method for the log.
std::optional<CommandResult> runCommand(const char* caller, const QString& program, const QStringList& arguments,
                                        int timeoutMs);

// Starts the program and waits up to timeoutMs for its exit code. One that
// is still running then is left to go on (a launcher that stays with the
// application it started) and answers nullopt with *running set; one that
// could not start answers nullopt with *running false.
std::optional<int> startCommand(const char* caller, const QString& program, const QStringList& arguments,
                                int timeoutMs, bool* running);

} // namespace zelk
