#pragma once
// Running child processes to their end (ProcessService::run), the same on
// every backend: a child process is no desktop service, and tests need the
// real exit codes, output and stops.
#include "DesktopServices.h"

namespace zelk {

ProcessResult runChildProcess(const QString& program, const QStringList& arguments,
                              const std::function<bool()>& keepRunning);

} // namespace zelk
